#include "imagefile/png_loader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imagefile/checksums.h"
#include "imagefile/color_utils.h"
#include "imagefile/deflate.h"
#include "imagefile/errors.h"

namespace imagefile {

namespace {

const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
const std::uint8_t kMngSignature[8] = {0x8A, 'M', 'N', 'G', 13, 10, 26, 10};

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void putBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

[[noreturn]] void invalidData() { throw Error(text::kInvalidPngData); }

bool isType(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// The data of consecutive IDAT chunks as one stream. It stops (end of data) in front of the
// first chunk of another type, which it leaves unread for the chunk loop; the CRC of the
// chunk it left is kept for the caller.
class IDATStream : public FilterStream {
 public:
  IDATStream(BaseStream* next, std::uint32_t left, std::uint32_t runningCrc)
      : FilterStream(next), left_(left), crc_(runningCrc) {
    canRead_ = next->canRead();
  }
  std::size_t write(const void*, std::size_t) override { throw InOutError(text::kStreamNotOpenForWrite); }

  bool stoppedAtOtherChunk() const { return stopped_; }
  bool haveStoredCrc() const { return haveStoredCrc_; }
  std::uint32_t storedCrc() const { return storedCrc_; }
  std::uint32_t crc() const { return ~crc_; }

  // The rest of the current chunk, through the CRC.
  void skipRest() {
    std::uint8_t buf[4096];
    while (left_ > 0) {
      const std::size_t n = next_->read(buf, std::min<std::size_t>(sizeof buf, left_));
      crc_ = crc32Update(crc_, buf, n);
      left_ -= static_cast<std::uint32_t>(n);
    }
  }

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
      if (left_ == 0) {
        if (!nextChunk()) break;
        continue;
      }
      const std::size_t want = std::min<std::size_t>(count - done, left_);
      const std::size_t got = next_->readSome(out + done, want);
      crc_ = crc32Update(crc_, out + done, got);
      left_ -= static_cast<std::uint32_t>(got);
      done += got;
      if (got < want) break;
    }
    if (strict && done < count) throw InOutError(text::kReadLessThanExpected);
    return done;
  }
  std::int64_t availableImpl() override { return stopped_ ? 0 : left_ + next_->available(); }

 private:
  bool nextChunk() {
    if (stopped_) return false;
    std::uint8_t h[12];
    const std::size_t got = next_->readSome(h, sizeof h);
    if (got >= 4) {
      haveStoredCrc_ = true;
      storedCrc_ = be32(h);
    }
    if (got < sizeof h || !isType(h + 8, "IDAT")) {
      if (got > 4) next_->unread(h + 4, got - 4);
      stopped_ = true;
      return false;
    }
    const std::uint32_t len = be32(h + 4);
    if (len >= 0x80000000u) invalidData();
    left_ = len;
    crc_ = crc32Update(0xFFFFFFFFu, h + 8, 4);
    haveStoredCrc_ = false;
    return true;
  }

  std::uint32_t left_;
  std::uint32_t crc_;
  bool stopped_ = false;
  bool haveStoredCrc_ = false;
  std::uint32_t storedCrc_ = 0;
};


int samplesOf(int colorType) {
  switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

bool depthAllowed(int colorType, int depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default: return depth == 8 || depth == 16;
  }
}

inline std::uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  if (pb <= pc) return static_cast<std::uint8_t>(b);
  return static_cast<std::uint8_t>(c);
}

// cur and prev point at the row's first byte; bpp bytes before each are zero.
void unfilterRow(int filter, std::uint8_t* cur, const std::uint8_t* prev, std::size_t n, int bpp) {
  switch (filter) {
    case 0: break;
    case 1:
      for (std::size_t i = 0; i < n; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + cur[static_cast<std::ptrdiff_t>(i) - bpp]);
      break;
    case 2:
      for (std::size_t i = 0; i < n; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + prev[i]);
      break;
    case 3:
      for (std::size_t i = 0; i < n; ++i)
        cur[i] = static_cast<std::uint8_t>(cur[i] + ((cur[static_cast<std::ptrdiff_t>(i) - bpp] + prev[i]) >> 1));
      break;
    case 4:
      for (std::size_t i = 0; i < n; ++i) {
        const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) - bpp;
        cur[i] = static_cast<std::uint8_t>(cur[i] + paeth(cur[j], prev[i], prev[j]));
      }
      break;
    default: invalidData();
  }
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int depth = 0;
  int colorType = 0;
  int filterMethod = 0;
  int interlace = 0;
};

// Reads a chunk's data into out (at most keep bytes kept, the rest read for the CRC only).
void readChunkData(BaseStream& in, std::uint32_t len, std::size_t keep, std::vector<std::uint8_t>& out,
                   std::uint32_t& crc) {
  out.assign(std::min<std::size_t>(len, keep), 0);
  in.read(out.data(), out.size());
  crc = crc32Update(crc, out.data(), out.size());
  std::uint32_t left = len - static_cast<std::uint32_t>(out.size());
  std::uint8_t buf[4096];
  while (left > 0) {
    const std::size_t n = in.read(buf, std::min<std::size_t>(sizeof buf, left));
    crc = crc32Update(crc, buf, n);
    left -= static_cast<std::uint32_t>(n);
  }
}

class PngReader {
 public:
  PngReader(PNGLoader& loader, LinearBitmap& bitmap, bool mng) : l_(loader), bm_(bitmap), mng_(mng) {}

  void header(const std::vector<std::uint8_t>& d) {
    h_.width = be32(d.data());
    h_.height = be32(d.data() + 4);
    h_.depth = d[8];
    h_.colorType = d[9];
    h_.filterMethod = d[11];
    h_.interlace = d[12];
    if (h_.colorType == 1 || h_.colorType == 5 || h_.colorType > 6) throw Error(text::kUnsupportedPngData);
    if (!depthAllowed(h_.colorType, h_.depth)) invalidData();
    if (h_.width == 0 || h_.height == 0 || h_.width >= 0x80000000u || h_.height >= 0x80000000u) invalidData();
    const int w = static_cast<int>(h_.width);
    const int ht = static_cast<int>(h_.height);
    switch (h_.colorType) {
      case 0:
        if (h_.depth == 16) {
          bm_.newImage(w, ht, pf16bit);
        } else {
          bm_.newImage(w, ht, pf8bit);
          if (h_.depth < 8) {
            std::memset(bm_.palette(), 0, 768);
            makeGrayPalette(bm_.palette(), 1 << h_.depth);
          } else {
            std::memcpy(bm_.palette(), grayPalette(), 768);
          }
        }
        break;
      case 3:
        bm_.newImage(w, ht, pf8bit);
        std::memset(bm_.palette(), 0, 768);
        break;
      case 4:
        if (h_.depth == 16) {
          bm_.newImage(w, ht, pf16bit);
        } else {
          bm_.newImage(w, ht, pf8bit);
          std::memcpy(bm_.palette(), grayPalette(), 768);
        }
        break;
      default:
        bm_.newImage(w, ht, pf24bit);
        break;
    }
    if (l_.alphaOption && (h_.colorType == 4 || h_.colorType == 6)) {
      l_.alphaBitmap.newImage(w, ht, pf8bit);
      std::memcpy(l_.alphaBitmap.palette(), grayPalette(), 768);
    }
    l_.bitDepth = h_.depth;
    haveHeader_ = true;
  }

  void palette(const std::vector<std::uint8_t>& d) {
    const std::size_t entries = std::min<std::size_t>(d.size() / 3, 256);
    std::uint8_t* pal = nullptr;
    if (haveHeader_ && h_.colorType == 3) {
      pal = bm_.palette();
    } else {
      if (!l_.separatePalette) l_.separatePalette = std::make_unique<std::uint8_t[]>(768);
      pal = l_.separatePalette.get();
    }
    std::memset(pal, 0, 768);
    for (std::size_t i = 0; i < entries; ++i) {
      pal[3 * i] = d[3 * i + 2];
      pal[3 * i + 1] = d[3 * i + 1];
      pal[3 * i + 2] = d[3 * i];
    }
  }

  void transparency(const std::vector<std::uint8_t>& d) {
    if (!haveHeader_) return;
    switch (h_.colorType) {
      case 0:
        if (d.size() >= 2) l_.transparentValue = (d[0] << 8) | d[1];
        break;
      case 2:
        if (h_.depth == 8 && d.size() >= 6) l_.transparentValue = d[1] | (d[3] << 8) | (d[5] << 16);
        break;
      case 3:
        if (l_.alphaOption) {
          l_.alphaTable = std::make_unique<std::uint8_t[]>(256);
          std::memset(l_.alphaTable.get(), 255, 256);
          std::memcpy(l_.alphaTable.get(), d.data(), std::min<std::size_t>(d.size(), 256));
        } else {
          for (std::size_t i = 0; i < d.size() && i < 256; ++i)
            if (d[i] == 0) {
              l_.transparentValue = static_cast<std::int64_t>(i);
              break;
            }
        }
        break;
      default: break;
    }
  }

  bool haveHeader() const { return haveHeader_; }
  bool paletteImage() const { return haveHeader_ && h_.colorType == 3; }

  // Consumes the image data starting with a chunk of len bytes whose type is in crc; the
  // chunk loop goes on after the last IDAT chunk's CRC.
  void imageData(BaseStream& in, std::uint32_t len, std::uint32_t crc) {
    if (!haveHeader_) invalidData();
    IDATStream idat(&in, len, crc);
    try {
      decode(idat);
    } catch (const InOutError&) {
      // The data ran out at the next chunk: the image data is incomplete.
      if (idat.stoppedAtOtherChunk()) invalidData();
      throw;
    }
    std::uint32_t fileCrc;
    if (idat.stoppedAtOtherChunk()) {
      if (!idat.haveStoredCrc()) throw InOutError(text::kReadLessThanExpected);
      fileCrc = idat.storedCrc();
    } else {
      idat.skipRest();
      std::uint8_t c[4];
      in.read(c, 4);
      fileCrc = be32(c);
    }
    if (fileCrc != idat.crc()) throw Error(text::kCrcError);
  }

 private:
  void decode(IDATStream& idat) {
    std::uint8_t zh[2];
    idat.read(zh, 2);
    if ((zh[0] & 0x0F) != 8 || (zh[0] >> 4) > 7) invalidData();
    if (h_.interlace > 1) invalidData();
    if (h_.filterMethod != 0 && !(mng_ && h_.filterMethod == 64)) invalidData();
    Adler32State adler;
    {
      DeflateStream inflater(&idat, DeflateDirection::Decompress);
      const int samples = samplesOf(h_.colorType);
      const int bitsPerPixel = samples * h_.depth;
      const int bpp = (bitsPerPixel + 7) / 8;
      const std::size_t maxRow = (static_cast<std::size_t>(h_.width) * bitsPerPixel + 7) / 8;
      std::vector<std::uint8_t> a(maxRow + bpp + 1, 0), b(maxRow + bpp + 1, 0);
      const int progressRows = static_cast<int>(h_.height);
      int rowsDone = 0;
      const bool progress = static_cast<bool>(progressHandler());
      struct Pass {
        int x0, dx, y0, dy;
      };
      static constexpr Pass kAll[1] = {{0, 1, 0, 1}};
      static constexpr Pass kAdam7[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                         {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
      const Pass* passes = h_.interlace ? kAdam7 : kAll;
      const int passCount = h_.interlace ? 7 : 1;
      for (int p = 0; p < passCount; ++p) {
        const Pass& ps = passes[p];
        if (ps.x0 >= static_cast<std::int64_t>(h_.width) || ps.y0 >= static_cast<std::int64_t>(h_.height)) continue;
        const std::uint32_t pw = (h_.width - ps.x0 + ps.dx - 1) / ps.dx;
        const std::size_t rowBytes = (static_cast<std::size_t>(pw) * bitsPerPixel + 7) / 8;
        std::fill(a.begin(), a.end(), 0);
        std::fill(b.begin(), b.end(), 0);
        std::uint8_t* prev = a.data() + bpp;
        std::uint8_t* cur = b.data() + bpp;
        for (std::uint32_t y = ps.y0; y < h_.height; y += ps.dy) {
          std::uint8_t* line = cur - 1;  // the filter byte sits just before the row
          const std::uint8_t saved = line[0];
          inflater.read(line, rowBytes + 1);
          adler32Update(adler, line, rowBytes + 1);
          const int filter = line[0];
          line[0] = saved;
          unfilterRow(filter, cur, prev, rowBytes, bpp);
          store(cur, static_cast<int>(y), ps.x0, ps.dx, pw);
          std::swap(prev, cur);
          ++rowsDone;
          if (progress && !h_.interlace) reportProgress(static_cast<int>(std::int64_t{rowsDone} * 100 / progressRows));
        }
      }
      // Let the decoder finish its final block, so that whatever it fetched beyond its data
      // goes back to the IDAT stream for the trailer.
      std::uint8_t extra[4096];
      std::size_t surplus = 0;
      while (std::size_t n = inflater.readSome(extra, sizeof extra)) {
        surplus += n;
        if (surplus > (1u << 20)) invalidData();
      }
    }
    std::uint8_t trailer[4];
    idat.read(trailer, 4);
    if (be32(trailer) != adler32Value(adler)) throw Error(text::kAdler32Error);
    if (mng_ && h_.filterMethod == 64 && bm_.pixelFormat() == pf24bit) {
      std::uint8_t* p = bm_.map();
      for (std::int64_t i = 0; i < bm_.size(); i += 3) {
        p[i] = static_cast<std::uint8_t>(p[i] + p[i + 1]);
        p[i + 2] = static_cast<std::uint8_t>(p[i + 2] + p[i + 1]);
      }
    }
  }

  // The spread of one row of a pass into the bitmap, pixel by pixel.
  void store(const std::uint8_t* raw, int y, int x0, int dx, std::uint32_t pw) {
    std::uint8_t* row = bm_.scanLine(y);
    std::uint8_t* alpha = l_.alphaBitmap.present() && l_.alphaOption && (h_.colorType == 4 || h_.colorType == 6)
                              ? l_.alphaBitmap.scanLine(y)
                              : nullptr;
    const int d = h_.depth;
    const std::size_t n = pw;
    if (d < 8) {
      const int mask = (1 << d) - 1;
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t bit = i * d;
        row[x0 + i * dx] = static_cast<std::uint8_t>((raw[bit >> 3] >> (8 - d - (bit & 7))) & mask);
      }
      return;
    }
    switch (h_.colorType) {
      case 0:
      case 3:
        if (d == 8) {
          if (dx == 1) {
            std::memcpy(row, raw, n);
          } else {
            for (std::size_t i = 0; i < n; ++i) row[x0 + i * dx] = raw[i];
          }
        } else {
          for (std::size_t i = 0; i < n; ++i) {
            std::uint8_t* q = row + 2 * (x0 + i * dx);
            q[0] = raw[2 * i + 1];
            q[1] = raw[2 * i];
          }
        }
        break;
      case 2:
        for (std::size_t i = 0; i < n; ++i) {
          std::uint8_t* q = row + 3 * (x0 + i * dx);
          const std::uint8_t* s = raw + (d == 8 ? 3 : 6) * i;
          const int step = d / 8;
          q[0] = s[2 * step];
          q[1] = s[step];
          q[2] = s[0];
        }
        break;
      case 4:
        for (std::size_t i = 0; i < n; ++i) {
          const std::size_t x = x0 + i * dx;
          if (d == 8) {
            row[x] = raw[2 * i];
            if (alpha) alpha[x] = raw[2 * i + 1];
          } else {
            row[2 * x] = raw[4 * i + 1];
            row[2 * x + 1] = raw[4 * i];
            if (alpha) alpha[x] = raw[4 * i + 2];
          }
        }
        break;
      case 6:
        for (std::size_t i = 0; i < n; ++i) {
          const std::size_t x = x0 + i * dx;
          std::uint8_t* q = row + 3 * x;
          const int step = d / 8;
          const std::uint8_t* s = raw + 4 * step * i;
          q[0] = s[2 * step];
          q[1] = s[step];
          q[2] = s[0];
          if (alpha) alpha[x] = s[3 * step];
        }
        break;
      default: break;
    }
  }

  PNGLoader& l_;
  LinearBitmap& bm_;
  bool mng_;
  Header h_;
  bool haveHeader_ = false;
};

// ---- writing ------------------------------------------------------------------------------

void writeChunk(BaseStream& out, const char* type, const std::uint8_t* data, std::size_t len) {
  std::uint8_t head[8];
  putBE32(head, static_cast<std::uint32_t>(len));
  std::memcpy(head + 4, type, 4);
  std::uint32_t crc = crc32Update(0xFFFFFFFFu, head + 4, 4);
  crc = crc32Update(crc, data, len);
  std::uint8_t tail[4];
  putBE32(tail, ~crc);
  out.write(head, 8);
  if (len > 0) out.write(data, len);
  out.write(tail, 4);
}

// Scores of a filtered row for the per-row choice; lower is better.
std::int64_t scoreSum(const std::uint8_t* p, std::size_t n) {
  std::int64_t s = 0;
  for (std::size_t i = 0; i < n; ++i) s += std::abs(static_cast<int>(static_cast<std::int8_t>(p[i])));
  return s;
}

std::int64_t scoreRuns(const std::uint8_t* p, std::size_t n) {
  std::int64_t s = 0;
  for (std::size_t i = 4; i < n; ++i)
    if (p[i] == p[i - 1] && p[i] == p[i - 2] && p[i] == p[i - 3] && p[i] == p[i - 4]) --s;
  return s;
}

// Filters raw (bpp zero bytes before it, as before prev) into out by filter f.
void filterRow(int f, const std::uint8_t* raw, const std::uint8_t* prev, std::uint8_t* out, std::size_t n, int bpp) {
  switch (f) {
    case 0: std::memcpy(out, raw, n); break;
    case 1:
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - raw[static_cast<std::ptrdiff_t>(i) - bpp]);
      break;
    case 2:
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - prev[i]);
      break;
    case 3:
      for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(raw[i] - ((raw[static_cast<std::ptrdiff_t>(i) - bpp] + prev[i]) >> 1));
      break;
    default:
      for (std::size_t i = 0; i < n; ++i) {
        const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) - bpp;
        out[i] = static_cast<std::uint8_t>(raw[i] - paeth(raw[j], prev[i], prev[j]));
      }
      break;
  }
}

bool isBlack(const std::uint8_t* e) { return e[0] == 0 && e[1] == 0 && e[2] == 0; }

// Lossy preparation of a palette image: palette by brightness, then Paeth predictions
// where they come close enough. Returns the filter to write with.
int prepareLossyPalette(LinearBitmap& bm, int tolerance, std::int64_t transparent) {
  std::uint8_t* pal = bm.palette();
  std::array<int, 256> order{};
  for (int i = 0; i < 256; ++i) order[i] = i;
  auto key = [&](int i) { return 2 * pal[3 * i + 2] + 3 * pal[3 * i + 1] + pal[3 * i]; };
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return key(x) < key(y); });
  if (transparent >= 0 && transparent < 256) {
    // The transparent entry keeps its place.
    const int t = static_cast<int>(transparent);
    const int at = static_cast<int>(std::find(order.begin(), order.end(), t) - order.begin());
    std::swap(order[at], order[t]);
  }
  std::array<std::uint8_t, 256> lut{};
  std::uint8_t newPal[768];
  for (int n = 0; n < 256; ++n) {
    lut[order[n]] = static_cast<std::uint8_t>(n);
    std::memcpy(newPal + 3 * n, pal + 3 * order[n], 3);
  }
  applyLUT(lut, bm, 3);
  std::memcpy(pal, newPal, 768);
  const int w = bm.width();
  for (int y = 1; y < bm.height(); ++y) {
    std::uint8_t* row = bm.scanLine(y);
    const std::uint8_t* up = bm.scanLine(y - 1);
    for (int x = 1; x < w; ++x) {
      if (row[x] == transparent) continue;
      const std::uint8_t p = paeth(row[x - 1], up[x], up[x - 1]);
      if (p == transparent) continue;
      const std::uint8_t* c1 = pal + 3 * row[x];
      const std::uint8_t* c2 = pal + 3 * p;
      const int dist = std::abs(c1[0] - c2[0]) + std::abs(c1[1] - c2[1]) + std::abs(c1[2] - c2[2]);
      if (dist < tolerance) row[x] = p;
    }
  }
  return 4;
}

// Lossy preparation of a grey or 24-bit image towards the Average prediction.
int prepareLossyDirect(LinearBitmap& bm, int tolerance, std::int64_t transparent) {
  const int ps = bm.pixelSize();
  const bool rgb = bm.pixelFormat() == pf24bit;
  std::uint8_t tpix[3] = {0, 0, 0};
  if (rgb && transparent >= 0) {
    tpix[0] = static_cast<std::uint8_t>(transparent >> 16);  // held R lowest; pixels are B, G, R
    tpix[1] = static_cast<std::uint8_t>(transparent >> 8);
    tpix[2] = static_cast<std::uint8_t>(transparent);
  }
  auto isTransparent = [&](const std::uint8_t* p) {
    if (transparent < 0) return false;
    return rgb ? std::memcmp(p, tpix, 3) == 0 : p[0] == transparent;
  };
  const std::int64_t rowBytes = static_cast<std::int64_t>(bm.width()) * ps;
  for (int y = 1; y < bm.height(); ++y) {
    std::uint8_t* row = bm.scanLine(y);
    const std::uint8_t* up = bm.scanLine(y - 1);
    for (std::int64_t x = ps; x < rowBytes; x += ps) {
      if (isTransparent(row + x)) continue;
      std::uint8_t before[3];
      std::memcpy(before, row + x, static_cast<std::size_t>(ps));
      for (int k = 0; k < ps; ++k) {
        const int v = row[x + k];
        const int p = (row[x + k - ps] + up[x + k]) / 2;
        const int diff = v - p;
        int nv = p;
        if (std::abs(diff) > tolerance) {
          const int q = std::abs(diff) / tolerance;
          const int rem = std::abs(diff) % tolerance;
          const int steps = rem < (tolerance + 1) / 2 ? q : q + 1;
          nv = p + (diff < 0 ? -steps : steps) * tolerance;
        }
        row[x + k] = static_cast<std::uint8_t>(std::clamp(nv, 0, 255));
      }
      if (isTransparent(row + x)) {
        if (rgb) {
          row[x + ps - 1] ^= 1;
        } else {
          std::memcpy(row + x, before, static_cast<std::size_t>(ps));
        }
      }
    }
  }
  return 3;
}

}  // namespace

PNGLoader::PNGLoader() = default;
PNGLoader::~PNGLoader() = default;

bool PNGLoader::canLoad(const std::string& ext) { return ext == "PNG" || ext == "MNG"; }
bool PNGLoader::canSave(const std::string& ext) { return canLoad(ext); }

std::string PNGLoader::getLoadFilter() {
  return "Portable Network Graphics (*.png)|*.png|Multiple-image Network Graphics (*.mng)|*.mng";
}

void PNGLoader::resetState() {
  gamma = 0;
  transparentValue = -1;
  separatePalette.reset();
  alphaTable.reset();
  alphaBitmap.dispose();
}

void PNGLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  resetState();
  BufferedStream in(BufferedStream::kDefaultSize, 0, &stream);
  in.setStrict(true);
  std::uint8_t sig[8];
  if (in.readSome(sig, 8) < 8) throw Error(text::kInvalidPngHeader);
  bool mng;
  if (std::memcmp(sig, kPngSignature, 8) == 0) {
    mng = false;
  } else if (std::memcmp(sig, kMngSignature, 8) == 0) {
    mng = true;
  } else {
    throw Error(text::kInvalidPngHeader);
  }
  PngReader reader(*this, bitmap, mng);
  bool imageRead = false;
  std::vector<std::uint8_t> data;
  for (;;) {
    std::uint8_t head[8];
    if (in.readSome(head, 8) < 8) break;
    const std::uint32_t len = be32(head);
    const std::uint8_t* type = head + 4;
    if (len >= 0x80000000u) invalidData();
    std::uint32_t crc = crc32Update(0xFFFFFFFFu, type, 4);
    if (isType(type, "IDAT")) {
      if (imageRead) {
        // An empty chunk after the image data (some writers end with one).
        readChunkData(in, len, 0, data, crc);
      } else {
        reader.imageData(in, len, crc);
        imageRead = true;
        continue;
      }
    } else if (isType(type, "IHDR")) {
      if (len != 13) invalidData();
      readChunkData(in, len, 13, data, crc);
      reader.header(data);
    } else if (isType(type, "PLTE")) {
      if (!reader.paletteImage() && !alphaOption) {
        in.copyTo(nullptr, std::int64_t{len} + 4);
        continue;
      }
      readChunkData(in, len, 768, data, crc);
      reader.palette(data);
    } else if (isType(type, "gAMA")) {
      readChunkData(in, len, 4, data, crc);
      if (data.size() == 4) gamma = be32(data.data()) / 100000.0;
    } else if (isType(type, "tRNS")) {
      readChunkData(in, len, 256, data, crc);
      reader.transparency(data);
    } else if (isType(type, "IEND")) {
      readChunkData(in, len, 0, data, crc);
    } else if ((type[0] >= 'a' && type[0] <= 'z') || isType(type, "MHDR") || isType(type, "MEND") ||
               isType(type, "DEFI")) {
      in.copyTo(nullptr, std::int64_t{len} + 4);
      continue;
    } else {
      throw Error(text::kUnsupportedPngData);
    }
    std::uint8_t c[4];
    in.read(c, 4);
    if (be32(c) != ~crc) throw Error(text::kCrcError);
    if (isType(type, "IEND")) break;
  }
  if (!bitmap.present()) throw Error(text::kUnsupportedPngData);
  // A file that ends before its image data would otherwise load as a black picture.
  if (!imageRead) throw InOutError(text::kReadLessThanExpected);
}

void PNGLoader::saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) {
  const bool mng = ext == "MNG";
  const PixelFormat pf = bitmap.pixelFormat();
  if (pf != pf8bit && pf != pf16bit && pf != pf24bit) throw LinearBitmapError(text::kUnsupportedPixelFormat);
  if (lossyTolerance != 0 && pf != pf16bit && !(mng && pf == pf24bit)) {
    LinearBitmap copy(bitmap);
    const int mode = (pf == pf8bit && !copy.isGrayScale())
                         ? prepareLossyPalette(copy, lossyTolerance, transparentValue)
                         : prepareLossyDirect(copy, lossyTolerance, transparentValue);
    writeImage(stream, copy, mng, mode);
    return;
  }
  if (filterMode == -3) {
    std::vector<std::uint8_t> best;
    bool have = false;
    for (int mode = -2; mode <= 4; ++mode) {
      std::vector<std::uint8_t> trial;
      VectorSink sink(trial);
      writeImage(sink, bitmap, mng, mode);
      if (!have || trial.size() < best.size()) {
        best.swap(trial);
        have = true;
      }
      if (progressHandler()) reportProgress((mode + 3) * 100 / 8);
    }
    stream.write(best.data(), best.size());
    return;
  }
  writeImage(stream, bitmap, mng, filterMode);
}

void PNGLoader::writeImage(BaseStream& out, LinearBitmap& bm, bool mng, int mode) {
  const PixelFormat pf = bm.pixelFormat();
  const int w = bm.width();
  const int h = bm.height();
  int depth = 8;
  int maxIndex = -1;
  if (pf == pf8bit) {
    const std::uint8_t* m = bm.map();
    std::uint8_t hi = 0;
    for (std::int64_t i = 0; i < bm.size(); ++i) hi = std::max(hi, m[i]);
    maxIndex = hi;
    if ((bitDepth == 1 || bitDepth == 2 || bitDepth == 4) && maxIndex < (1 << bitDepth)) depth = bitDepth;
  } else if (pf == pf16bit) {
    depth = 16;
  }
  int colorType;
  int samples = 1;
  if (pf == pf24bit) {
    colorType = 2;
    samples = 3;
  } else if (pf == pf16bit) {
    colorType = 0;
  } else if (depth == 8 && bm.isGrayScale()) {
    colorType = 0;
  } else {
    colorType = 3;
  }
  const int filterMethod = (mng && pf == pf24bit) ? 64 : 0;

  out.write(mng ? kMngSignature : kPngSignature, 8);
  if (mng) {
    std::uint8_t mhdr[28] = {};
    putBE32(mhdr, static_cast<std::uint32_t>(w));
    putBE32(mhdr + 4, static_cast<std::uint32_t>(h));
    putBE32(mhdr + 8, 1);   // ticks per second
    putBE32(mhdr + 12, 1);  // layers
    putBE32(mhdr + 16, 1);  // frames
    putBE32(mhdr + 20, 1);  // play time
    writeChunk(out, "MHDR", mhdr, sizeof mhdr);
  }
  std::uint8_t ihdr[13];
  putBE32(ihdr, static_cast<std::uint32_t>(w));
  putBE32(ihdr + 4, static_cast<std::uint32_t>(h));
  ihdr[8] = static_cast<std::uint8_t>(depth);
  ihdr[9] = static_cast<std::uint8_t>(colorType);
  ihdr[10] = 0;
  ihdr[11] = static_cast<std::uint8_t>(filterMethod);
  ihdr[12] = 0;
  writeChunk(out, "IHDR", ihdr, sizeof ihdr);

  if (gamma != 0) {
    std::uint8_t g[4];
    putBE32(g, static_cast<std::uint32_t>(std::llround(gamma * 100000)));
    writeChunk(out, "gAMA", g, 4);
  }
  const std::uint8_t* pal = colorType == 3 ? bm.palette() : separatePalette.get();
  if (pal) {
    int n = 1;
    for (int i = 255; i > 0; --i)
      if (!isBlack(pal + 3 * i)) {
        n = i + 1;
        break;
      }
    // Every index a pixel uses needs its entry, black or not.
    if (colorType == 3) n = std::max(n, maxIndex + 1);
    std::uint8_t plte[768];
    for (int i = 0; i < n; ++i) {
      plte[3 * i] = pal[3 * i + 2];
      plte[3 * i + 1] = pal[3 * i + 1];
      plte[3 * i + 2] = pal[3 * i];
    }
    writeChunk(out, "PLTE", plte, static_cast<std::size_t>(3 * n));
  }
  // A grey level the samples cannot take would make the file invalid.
  if (transparentValue != -1 && !(colorType == 0 && transparentValue >= (std::int64_t{1} << depth))) {
    const std::uint32_t t = static_cast<std::uint32_t>(transparentValue);
    if (colorType == 0) {
      const std::uint8_t d[2] = {static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t)};
      writeChunk(out, "tRNS", d, 2);
    } else if (colorType == 2) {
      const std::uint8_t d[6] = {0, static_cast<std::uint8_t>(t), 0, static_cast<std::uint8_t>(t >> 8),
                                 0, static_cast<std::uint8_t>(t >> 16)};
      writeChunk(out, "tRNS", d, 6);
    } else if (transparentValue >= 0 && transparentValue < 256) {
      std::uint8_t d[256];
      std::memset(d, 255, sizeof d);
      d[t] = 0;
      writeChunk(out, "tRNS", d, t + 1);
    }
  }

  // The image data: zlib header, Deflate data of the filtered rows, Adler-32.
  std::vector<std::uint8_t> idat;
  idat.reserve(static_cast<std::size_t>(bm.size() / 4 + 1024));
  idat.push_back(0x78);
  idat.push_back(0xDA);
  VectorSink sink(idat);
  Adler32State adler;
  {
    DeflateStream deflater(&sink, DeflateDirection::Compress);
    // Filtered grey and colour rows are near-noise bytes: short matches cost more than the
    // literals they replace (palette indices and unfiltered rows keep every match).
    if (colorType != 3 && mode != 0) deflater.setMinimumMatch(6);
    const int bitsPerPixel = samples * depth;
    const int bpp = std::max(1, bitsPerPixel / 8);
    const std::size_t rowBytes = (static_cast<std::size_t>(w) * bitsPerPixel + 7) / 8;
    std::vector<std::uint8_t> rawA(rowBytes + bpp, 0), rawB(rowBytes + bpp, 0);
    std::uint8_t* prev = rawA.data() + bpp;
    std::uint8_t* raw = rawB.data() + bpp;
    std::vector<std::uint8_t> cand[5];
    for (auto& c : cand) c.assign(rowBytes + 1, 0);
    const bool progress = static_cast<bool>(progressHandler());
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* src = bm.scanLine(y);
      if (pf == pf24bit) {
        if (filterMethod == 64) {
          for (int x = 0; x < w; ++x) {
            const std::uint8_t g = src[3 * x + 1];
            raw[3 * x] = static_cast<std::uint8_t>(src[3 * x + 2] - g);
            raw[3 * x + 1] = g;
            raw[3 * x + 2] = static_cast<std::uint8_t>(src[3 * x] - g);
          }
        } else {
          for (int x = 0; x < w; ++x) {
            raw[3 * x] = src[3 * x + 2];
            raw[3 * x + 1] = src[3 * x + 1];
            raw[3 * x + 2] = src[3 * x];
          }
        }
      } else if (pf == pf16bit) {
        for (int x = 0; x < w; ++x) {
          raw[2 * x] = src[2 * x + 1];
          raw[2 * x + 1] = src[2 * x];
        }
      } else if (depth == 8) {
        std::memcpy(raw, src, static_cast<std::size_t>(w));
      } else {
        std::memset(raw, 0, rowBytes);
        for (int x = 0; x < w; ++x) {
          const std::size_t bit = static_cast<std::size_t>(x) * depth;
          raw[bit >> 3] = static_cast<std::uint8_t>(raw[bit >> 3] | (src[x] << (8 - depth - (bit & 7))));
        }
      }
      int chosen;
      if (mode >= 0 && mode <= 4) {
        chosen = mode;
        filterRow(chosen, raw, prev, cand[chosen].data() + 1, rowBytes, bpp);
      } else {
        chosen = 0;
        std::int64_t bestScore = 2147483647;
        for (int f = 0; f < 5; ++f) {
          filterRow(f, raw, prev, cand[f].data() + 1, rowBytes, bpp);
          const std::int64_t s = mode == -2 ? scoreRuns(cand[f].data() + 1, rowBytes)
                                            : scoreSum(cand[f].data() + 1, rowBytes);
          if (s < bestScore) {
            bestScore = s;
            chosen = f;
          }
        }
      }
      std::uint8_t* line = cand[chosen].data();
      line[0] = static_cast<std::uint8_t>(chosen);
      adler32Update(adler, line, rowBytes + 1);
      deflater.write(line, rowBytes + 1);
      std::swap(prev, raw);
      if (progress && h > 0) reportProgress(static_cast<int>(std::int64_t{y + 1} * 100 / h));
    }
    deflater.finish();
  }
  std::uint8_t a[4];
  putBE32(a, adler32Value(adler));
  idat.insert(idat.end(), a, a + 4);
  writeChunk(out, "IDAT", idat.data(), idat.size());
  writeChunk(out, "IEND", nullptr, 0);
  if (mng) writeChunk(out, "MEND", nullptr, 0);
}

PNGLoader& pngLoader() {
  static PNGLoader loader;
  return loader;
}

}  // namespace imagefile
