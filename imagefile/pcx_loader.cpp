#include "imagefile/pcx_loader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imagefile/bmp_loader.h"
#include "imagefile/byte_order.h"
#include "imagefile/errors.h"

namespace imagefile {

namespace {

constexpr int kMaxRun = 63;

// Output collected in pieces, handed to the stream about every 64 KiB.
class PieceWriter {
 public:
  explicit PieceWriter(BaseStream& out) : out_(out) { buf_.reserve(kPiece + 128); }
  void put(std::uint8_t b) {
    buf_.push_back(b);
    if (buf_.size() >= kPiece) flush();
  }
  void put(const std::uint8_t* p, std::size_t n) {
    buf_.insert(buf_.end(), p, p + n);
    if (buf_.size() >= kPiece) flush();
  }
  void flush() {
    if (!buf_.empty()) out_.write(buf_.data(), buf_.size());
    buf_.clear();
  }

 private:
  static constexpr std::size_t kPiece = 65536;
  BaseStream& out_;
  std::vector<std::uint8_t> buf_;
};

// n samples, every step-th byte from s, as runs of at most 63 that end with the line.
void encodeLine(PieceWriter& w, const std::uint8_t* s, int n, int step) {
  int i = 0;
  while (i < n) {
    const std::uint8_t v = s[static_cast<std::ptrdiff_t>(i) * step];
    int run = 1;
    while (i + run < n && run < kMaxRun && s[static_cast<std::ptrdiff_t>(i + run) * step] == v) ++run;
    if (run == 1 && (v & 0xC0) != 0xC0) {
      w.put(v);
    } else {
      w.put(static_cast<std::uint8_t>(0xC0 + run));
      w.put(v);
    }
    i += run;
  }
}

}  // namespace

bool PCXLoader::canLoad(const std::string& ext) { return ext == "PCX"; }
bool PCXLoader::canSave(const std::string& ext) { return ext == "PCX"; }
std::string PCXLoader::getLoadFilter() { return "Zsoft Paintbrush (*.pcx)|*.pcx"; }

void PCXLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  const std::vector<std::uint8_t> d = readWholeStream(stream);
  if (d.size() < 128) throw InOutError(text::kReadLessThanExpected);
  const std::uint8_t* h = d.data();
  const int planes = h[65];
  if (h[0] != 10 || h[1] != 5 || h[2] != 1 || h[3] != 8 || (planes != 1 && planes != 3))
    throw LinearBitmapError(text::kUnsupportedFileFormat);
  const int xmin = le16(h + 4), ymin = le16(h + 6), xmax = le16(h + 8), ymax = le16(h + 10);
  const int bpl = le16(h + 66);
  if (xmax < xmin || ymax < ymin || bpl < 1) throw LinearBitmapError(text::kUnsupportedFileFormat);
  const int height = ymax - ymin + 1;
  const PixelFormat format = planes == 1 ? pf8bit : pf24bit;
  // Runs hold at most 63 samples in two bytes: data too short for the picture even so is
  // refused before the bitmap is made.
  const std::int64_t samples = LinearBitmap::checkSize(bpl, height, format);
  const std::int64_t leastData = samples / kMaxRun * 2 + (samples % kMaxRun ? 1 : 0) + (planes == 1 ? 769 : 0);
  if (static_cast<std::int64_t>(d.size()) - 128 < leastData) throw InOutError(text::kReadLessThanExpected);
  bitmap.newImage(bpl, height, format);
  bitmap.clear(0);
  std::uint8_t* map = bitmap.map();
  const std::int64_t size = bitmap.size();
  const bool progress = planes == 3 && static_cast<bool>(progressHandler());
  std::size_t p = 128;
  auto next = [&]() -> std::uint8_t {
    if (p >= d.size()) throw InOutError(text::kReadLessThanExpected);
    return d[p++];
  };
  if (planes == 1) {
    std::int64_t pos = 0;
    while (pos < size) {
      std::uint8_t b = next();
      int run = 1;
      if ((b & 0xC0) == 0xC0) {
        run = b & 0x3F;
        if (run == 0) run = 1;
        b = next();
      }
      if (pos + run > size) throw LinearBitmapError(text::kErrorInBitmapData);
      std::memset(map + pos, b, static_cast<std::size_t>(run));
      pos += run;
    }
  } else {
    // Each scan line: the red samples, then green, then blue, bpl of each.
    const std::int64_t lineSamples = std::int64_t{bpl} * 3;
    const std::int64_t total = lineSamples * height;
    std::int64_t n = 0;  // samples stored so far
    while (n < total) {
      std::uint8_t b = next();
      int run = 1;
      if ((b & 0xC0) == 0xC0) {
        run = b & 0x3F;
        if (run == 0) run = 1;
        b = next();
      }
      if (n + run > total) throw LinearBitmapError(text::kErrorInBitmapData);
      for (int k = 0; k < run; ++k, ++n) {
        const std::int64_t y = n / lineSamples;
        const std::int64_t inLine = n % lineSamples;
        const std::int64_t plane = inLine / bpl;
        const std::int64_t x = inLine % bpl;
        map[y * bitmap.bytesPerLine() + 3 * x + (2 - plane)] = b;
        if (progress && inLine == lineSamples - 1) reportProgress(static_cast<int>((n + 1) * 100 / total));
      }
    }
  }
  const int width = xmax - xmin + 1;
  if (width != bpl) bitmap.resizeCanvas(width, height, 0, 0, 0);
  if (planes == 1) {
    while (next() != 12) {
    }
    if (p + 768 > d.size()) throw InOutError(text::kReadLessThanExpected);
    std::uint8_t* pal = bitmap.palette();
    for (int i = 0; i < 256; ++i) {
      pal[3 * i] = d[p + 3 * i + 2];
      pal[3 * i + 1] = d[p + 3 * i + 1];
      pal[3 * i + 2] = d[p + 3 * i];
    }
  }
}

void PCXLoader::saveToStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  const PixelFormat pf = bitmap.pixelFormat();
  if (pf != pf8bit && pf != pf16bit && pf != pf24bit && pf != pf32bit)
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const int w = bitmap.width();
  const int h = bitmap.height();
  if (w > 65535 || h > 65535) throw LinearBitmapError(text::kInvalidBitmapSize);
  const bool onePlane = pf == pf8bit || pf == pf16bit;
  std::uint8_t head[128] = {};
  head[0] = 10;
  head[1] = 5;
  head[2] = 1;
  head[3] = 8;
  putLE16(head + 8, w - 1);
  putLE16(head + 10, h - 1);
  putLE16(head + 12, 96);
  putLE16(head + 14, 96);
  head[65] = onePlane ? 1 : 3;
  putLE16(head + 66, w);
  PieceWriter out(stream);
  out.put(head, sizeof head);
  const int ps = bitmap.pixelSize();
  const bool progress = static_cast<bool>(progressHandler());
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(w));
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = bitmap.scanLine(y);
    if (pf == pf8bit) {
      encodeLine(out, row, w, 1);
    } else if (pf == pf16bit) {
      encodeLine(out, row + 1, w, 2);
    } else {
      encodeLine(out, row + 2, w, ps);
      encodeLine(out, row + 1, w, ps);
      encodeLine(out, row, w, ps);
      // A single row is done after it, too.
      if (progress) reportProgress(h > 1 ? y * 100 / (h - 1) : 100);
    }
  }
  if (onePlane) {
    out.put(12);
    std::uint8_t pal[768];
    const std::uint8_t* src = pf == pf8bit ? bitmap.palette() : grayPalette();
    for (int i = 0; i < 256; ++i) {
      pal[3 * i] = src[3 * i + 2];
      pal[3 * i + 1] = src[3 * i + 1];
      pal[3 * i + 2] = src[3 * i];
    }
    out.put(pal, sizeof pal);
  }
  out.flush();
}

PCXLoader& pcxLoader() {
  static PCXLoader loader;
  return loader;
}

}  // namespace imagefile
