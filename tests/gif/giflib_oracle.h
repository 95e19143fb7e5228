#pragma once
// giflib as a black-box oracle: decode a file from memory to indices, encode indices to a
// file. Only the tests and the benchmark use it.
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace oracle {

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlace = false;
  std::vector<uint8_t> pixels;  // rows top-down
  int localColors = 0;
};

struct Picture {
  int width = 0, height = 0;
  int globalColors = 0;
  std::vector<Frame> frames;
};

namespace detail {
struct Input {
  const std::vector<uint8_t>* bytes;
  size_t pos;
};
inline int readInput(GifFileType* gif, GifByteType* buf, int n) {
  auto* in = static_cast<Input*>(gif->UserData);
  const size_t k = std::min(static_cast<size_t>(n), in->bytes->size() - in->pos);
  std::memcpy(buf, in->bytes->data() + in->pos, k);
  in->pos += k;
  return static_cast<int>(k);
}
inline int writeOutput(GifFileType* gif, const GifByteType* buf, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), buf, buf + n);
  return n;
}
}  // namespace detail

// Rows come back top-down whether the frame was interlaced or not.
inline std::optional<Picture> decode(const std::vector<uint8_t>& bytes) {
  detail::Input in{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&in, detail::readInput, &error);
  if (!gif) return std::nullopt;
  if (DGifSlurp(gif) != GIF_OK) {
    DGifCloseFile(gif, &error);
    return std::nullopt;
  }
  Picture p;
  p.width = gif->SWidth;
  p.height = gif->SHeight;
  p.globalColors = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& s = gif->SavedImages[i];
    Frame f;
    f.left = s.ImageDesc.Left;
    f.top = s.ImageDesc.Top;
    f.width = s.ImageDesc.Width;
    f.height = s.ImageDesc.Height;
    f.interlace = s.ImageDesc.Interlace;
    f.localColors = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap->ColorCount : 0;
    f.pixels.assign(s.RasterBits, s.RasterBits + static_cast<size_t>(f.width) * static_cast<size_t>(f.height));
    p.frames.push_back(std::move(f));
  }
  DGifCloseFile(gif, &error);
  return p;
}

// One frame with a global table of `colors` (r, g, b triples); rows given top-down.
inline std::vector<uint8_t> encode(int width, int height, const std::vector<uint8_t>& colors,
                                   const std::vector<uint8_t>& pixels, bool interlace = false) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, detail::writeOutput, &error);
  const int count = static_cast<int>(colors.size() / 3);
  int size = 2;
  while (size < count) size *= 2;
  std::vector<GifColorType> table(static_cast<size_t>(size));
  for (int i = 0; i < count; ++i)
    table[static_cast<size_t>(i)] = GifColorType{colors[static_cast<size_t>(i) * 3],
                                                   colors[static_cast<size_t>(i) * 3 + 1],
                                                   colors[static_cast<size_t>(i) * 3 + 2]};
  ColorMapObject* map = GifMakeMapObject(size, table.data());
  EGifPutScreenDesc(gif, width, height, 8, 0, map);
  EGifPutImageDesc(gif, 0, 0, width, height, interlace, nullptr);
  std::vector<int> rows;
  if (interlace) {
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
  } else {
    for (int y = 0; y < height; ++y) rows.push_back(y);
  }
  for (int y : rows)
    EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width)),
                width);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

}  // namespace oracle
