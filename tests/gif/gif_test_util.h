#pragma once
// Helpers of the GIF tests: files made and loaded through the file model, warnings
// collected, a code packer for hand-made LZW data, and re-chunking of image data.
#include "support/error_text.h"
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/lzw.h"

namespace giftest {

using Bytes = std::vector<uint8_t>;

struct Loaded {
  std::unique_ptr<gif::GifFile> file = std::make_unique<gif::GifFile>();
  std::vector<std::string> warnings;
};

inline std::unique_ptr<Loaded> load(const Bytes& bytes) {
  auto l = std::make_unique<Loaded>();
  Loaded* raw = l.get();
  l->file->onWarning = [raw](int, const std::string& m) { raw->warnings.push_back(m); };
  gif::MemoryReader reader(bytes.data(), bytes.size());
  l->file->loadFromStream(reader);
  return l;
}

inline std::string loadError(const Bytes& bytes, std::vector<std::string>* warnings = nullptr) {
  gif::GifFile file;
  file.onWarning = [warnings](int, const std::string& m) {
    if (warnings) warnings->push_back(m);
  };
  gif::MemoryReader reader(bytes.data(), bytes.size());
  try {
    file.loadFromStream(reader);
  } catch (const gif::GifException& e) {
    return e.what();
  }
  return "";
}

inline Bytes save(gif::GifFile& file) {
  gif::MemoryStream out;
  file.saveToStream(out);
  return out.bytes();
}

struct GifPlan {
  int width = 1, height = 1;
  std::vector<gif::ColorValue> colors{0, 0xFFFFFF};
  Bytes pixels{0};
  bool interlace = false, rle = false, global = false;
};

inline gif::GifSubImage& addFrame(gif::GifFile& file) {
  auto f = std::make_unique<gif::GifSubImage>(&file);
  gif::GifSubImage& ref = *f;
  file.add(std::move(f));
  return ref;
}

// A frame at (left, top) with the given pixels, and its own table when `local` has colours.
inline gif::GifSubImage& frame(gif::GifFile& file, int left, int top, int w, int h, const Bytes& pixels,
                               const std::vector<gif::ColorValue>& local = {}) {
  gif::GifSubImage& f = addFrame(file);
  if (!local.empty()) f.colorMap().importColors(local);
  f.setBounds(left, top, w, h);
  f.mutableData() = pixels;
  return f;
}

// A control extension; transparent when `transparent` is an index (0 or more).
inline gif::GifGraphicControlExtension& control(gif::GifSubImage& f, int delay = 0, int disposal = 0,
                                                int transparent = -1) {
  auto g = std::make_unique<gif::GifGraphicControlExtension>(&f);
  gif::GifGraphicControlExtension* raw = g.get();
  f.extensions().add(std::move(g));
  raw->setDelay(delay);
  raw->setDisposal(disposal);
  if (transparent >= 0) {
    raw->setTransparentColorIndex(transparent);
    raw->setTransparent(true);
  }
  return *raw;
}

inline void comment(gif::GifSubImage& f, const std::string& text) {
  auto c = std::make_unique<gif::GifCommentExtension>(&f);
  c->text().push_back(text);
  f.extensions().add(std::move(c));
}

inline void loop(gif::GifSubImage& f, int count) {
  auto l = std::make_unique<gif::GifAppExtNSLoop>(&f);
  l->setLoops(count);
  f.extensions().add(std::move(l));
}

inline Bytes encode(const GifPlan& s) {
  gif::GifFile file;
  file.compression = s.rle ? 1 : 0;
  gif::GifSubImage& f = addFrame(file);
  if (s.global)
    file.globalColorMap().importColors(s.colors);
  else
    f.colorMap().importColors(s.colors);
  f.setBounds(0, 0, s.width, s.height);
  f.setInterlaced(s.interlace);
  f.mutableData() = s.pixels;
  return save(file);
}

inline std::vector<gif::ColorValue> greyColors(int n) {
  std::vector<gif::ColorValue> c;
  for (int i = 0; i < n; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / std::max(n - 1, 1));
    c.push_back(gif::makeColor(v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(i)));
  }
  return c;
}

inline Bytes noise(int n, int colors, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(static_cast<size_t>(n));
  for (auto& p : b) p = static_cast<uint8_t>(rng() % static_cast<unsigned>(colors));
  return b;
}

// Runs of random length and colour: what the run-length coder is for.
inline Bytes runs(int n, int colors, unsigned seed, int maxRun) {
  std::mt19937 rng(seed);
  Bytes b;
  while (static_cast<int>(b.size()) < n) {
    const auto c = static_cast<uint8_t>(rng() % static_cast<unsigned>(colors));
    const int len = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxRun));
    for (int i = 0; i < len && static_cast<int>(b.size()) < n; ++i) b.push_back(c);
  }
  return b;
}

// Packs LZW codes least significant bit first.
class CodePacker {
 public:
  void put(int code, int bits) {
    acc_ |= static_cast<uint64_t>(code) << n_;
    n_ += bits;
    while (n_ >= 8) {
      bytes_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
      acc_ >>= 8;
      n_ -= 8;
    }
  }
  Bytes finish() {
    if (n_ > 0) bytes_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
    n_ = 0;
    acc_ = 0;
    return bytes_;
  }

 private:
  Bytes bytes_;
  uint64_t acc_ = 0;
  int n_ = 0;
};

// Data bytes as sub-blocks of `chunk` bytes plus the terminator.
inline Bytes subBlocks(const Bytes& data, size_t chunk = 255, bool terminate = true) {
  Bytes out;
  for (size_t i = 0; i < data.size(); i += chunk) {
    const size_t k = std::min(chunk, data.size() - i);
    out.push_back(static_cast<uint8_t>(k));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i), data.begin() + static_cast<std::ptrdiff_t>(i + k));
  }
  if (terminate) out.push_back(0);
  return out;
}

// Image data for a file with a 2-entry table (code size 2: clear 4, end 5, codes from 3
// bits): the size byte, the codes as (code, bits) packed into sub-blocks, the terminator.
inline Bytes data2(const std::vector<std::pair<int, int>>& codes, size_t chunk = 255) {
  CodePacker p;
  for (auto [code, bits] : codes) p.put(code, bits);
  Bytes d = {2};
  const Bytes blocks = subBlocks(p.finish(), chunk);
  d.insert(d.end(), blocks.begin(), blocks.end());
  return d;
}

// Clear, pixel 0, end.
inline Bytes onePixelData() { return data2({{4, 3}, {0, 3}, {5, 3}}); }

// A file of a w x h screen (2-colour global table) with frames at (0, 0), each with its image
// data (code size byte, sub-blocks, terminator), then the trailer. Sides are 16 bits.
struct FramePlan {
  int width, height;
  Bytes data;
};
inline Bytes screenFile(int w, int h, const std::vector<FramePlan>& frames) {
  auto lo = [](int v) { return static_cast<uint8_t>(v & 0xFF); };
  auto hi = [](int v) { return static_cast<uint8_t>((v >> 8) & 0xFF); };
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', lo(w), hi(w), lo(h), hi(h), 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  for (const FramePlan& f : frames) {
    const Bytes desc = {',', 0, 0, 0, 0, lo(f.width), hi(f.width), lo(f.height), hi(f.height), 0};
    b.insert(b.end(), desc.begin(), desc.end());
    b.insert(b.end(), f.data.begin(), f.data.end());
  }
  b.push_back(';');
  return b;
}

// A whole file: one w x h frame on a screen of its size, the given image data, trailer.
inline Bytes fileWithData(int w, int h, const Bytes& imageData) { return screenFile(w, h, {{w, h, imageData}}); }

// Image data (code size byte 2, sub-blocks, terminator) at LZW's largest expansion: after the
// literal 1 every code is the next free one (the last string and its first pixel), until the
// table is full; then the longest string, 4091 ones, `repeats` times. It decodes to exactly
// 4091 x (2046 + repeats) pixels of index 1.
inline Bytes longestStrings(int repeats) {
  std::vector<std::pair<int, int>> codes = {{4, 3}, {1, 3}};
  int size = 3, limit = 8;
  for (int code = 6; code < 4096; ++code) {
    codes.emplace_back(code, size);
    if (code + 1 == limit && limit < 4096) {
      limit *= 2;
      ++size;
    }
  }
  codes.insert(codes.end(), static_cast<size_t>(repeats), {4095, 12});
  codes.emplace_back(5, 12);
  return data2(codes);
}

// The same file with every frame's image data cut into sub-blocks of `chunk` bytes. Knows
// the simple layout the encoders here produce (extensions are copied as they are).
inline Bytes rechunk(const Bytes& in, size_t chunk) {
  Bytes out(in.begin(), in.begin() + 13);
  size_t p = 13;
  if (in[10] & 0x80) {
    const size_t n = 3u * (2u << (in[10] & 7));
    out.insert(out.end(), in.begin() + 13, in.begin() + static_cast<std::ptrdiff_t>(13 + n));
    p += n;
  }
  while (p < in.size()) {
    const uint8_t b = in[p];
    if (b == ';') {
      out.push_back(b);
      break;
    }
    if (b == '!') {
      out.push_back(in[p]);
      out.push_back(in[p + 1]);
      p += 2;
      for (;;) {
        const uint8_t n = in[p];
        out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(p), in.begin() + static_cast<std::ptrdiff_t>(p + 1 + n));
        p += 1 + n;
        if (n == 0) break;
      }
      continue;
    }
    out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(p), in.begin() + static_cast<std::ptrdiff_t>(p + 10));
    const uint8_t packed = in[p + 9];
    p += 10;
    if (packed & 0x80) {
      const size_t n = 3u * (2u << (packed & 7));
      out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(p), in.begin() + static_cast<std::ptrdiff_t>(p + n));
      p += n;
    }
    out.push_back(in[p++]);  // code size
    Bytes data;
    for (;;) {
      const uint8_t n = in[p++];
      if (n == 0) break;
      data.insert(data.end(), in.begin() + static_cast<std::ptrdiff_t>(p), in.begin() + static_cast<std::ptrdiff_t>(p + n));
      p += n;
    }
    const Bytes blocks = subBlocks(data, chunk);
    out.insert(out.end(), blocks.begin(), blocks.end());
  }
  return out;
}

inline Bytes colorBytes(const std::vector<gif::ColorValue>& colors) {
  Bytes b;
  for (auto c : colors) {
    b.push_back(gif::colorRed(c));
    b.push_back(gif::colorGreen(c));
    b.push_back(gif::colorBlue(c));
  }
  return b;
}

using testsupport::errorOf;

}  // namespace giftest
