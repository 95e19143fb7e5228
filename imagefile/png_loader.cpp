#include "imagefile/png_loader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imagefile/byte_order.h"
#include "imagefile/checksums.h"
#include "imagefile/color_utils.h"
#include "imagefile/deflate.h"
#include "imagefile/errors.h"

namespace imagefile {

namespace {

const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
const std::uint8_t kMngSignature[8] = {0x8A, 'M', 'N', 'G', 13, 10, 26, 10};

[[noreturn]] void invalidData() { throw Error(text::kInvalidPngData); }

// The most bytes one byte of Deflate data can stand for (a 258-byte match in two bits).
constexpr std::int64_t kMaxDeflateRatio = 1032;

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

PixelFormat bitmapFormatOf(int colorType, int depth) {
  if (colorType == 2 || colorType == 6) return pf24bit;
  return depth == 16 ? pf16bit : pf8bit;
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
  PngReader(const PngLoadOptions& options, PngLoadResult& result, LinearBitmap& bitmap, bool mng)
      : opt_(options), res_(result), bm_(bitmap), mng_(mng) {}

  // bytesLeft: what the file holds after the header chunk, -1 when unknown.
  void header(const std::vector<std::uint8_t>& d, std::int64_t bytesLeft) {
    h_.width = be32(d.data());
    h_.height = be32(d.data() + 4);
    h_.depth = d[8];
    h_.colorType = d[9];
    h_.filterMethod = d[11];
    h_.interlace = d[12];
    if (h_.colorType == 1 || h_.colorType == 5 || h_.colorType > 6) throw Error(text::kUnsupportedPngData);
    if (d[10] != 0) throw Error(text::kUnsupportedPngData);  // only Deflate is defined
    if (!depthAllowed(h_.colorType, h_.depth)) invalidData();
    if (h_.width == 0 || h_.height == 0 || h_.width >= 0x80000000u || h_.height >= 0x80000000u) invalidData();
    const int w = static_cast<int>(h_.width);
    const int ht = static_cast<int>(h_.height);
    LinearBitmap::checkSize(w, ht, bitmapFormatOf(h_.colorType, h_.depth));
    // A file too short for its picture even at Deflate's largest ratio is refused before
    // the bitmap is made: every pass of an interlaced image together holds at least the
    // rows' packed samples.
    if (bytesLeft >= 0) {
      const std::int64_t rowBytes = static_cast<std::int64_t>(h_.width) * samplesOf(h_.colorType) * h_.depth / 8;
      if (rowBytes > 0 && ht > kMaxDeflateRatio * bytesLeft / rowBytes) invalidData();
    }
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
    if (opt_.alpha && (h_.colorType == 4 || h_.colorType == 6)) {
      if (!res_.alphaBitmap) res_.alphaBitmap = std::make_unique<LinearBitmap>();
      res_.alphaBitmap->newImage(w, ht, pf8bit);
      std::memcpy(res_.alphaBitmap->palette(), grayPalette(), 768);
    } else {
      // A header chunk again (a damaged file): the alpha of an earlier one's picture would
      // not fit the picture made now.
      res_.alphaBitmap.reset();
    }
    res_.bitDepth = h_.depth;
    haveHeader_ = true;
  }

  void palette(const std::vector<std::uint8_t>& d) {
    const std::size_t entries = std::min<std::size_t>(d.size() / 3, 256);
    std::uint8_t* pal = nullptr;
    if (haveHeader_ && h_.colorType == 3) {
      pal = bm_.palette();
    } else {
      res_.separatePalette.resize(768);
      pal = res_.separatePalette.data();
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
        if (d.size() >= 2) res_.transparentValue = (d[0] << 8) | d[1];
        break;
      case 2:
        if (h_.depth == 8 && d.size() >= 6) res_.transparentValue = d[1] | (d[3] << 8) | (d[5] << 16);
        break;
      case 3:
        if (opt_.alpha) {
          res_.alphaTable.assign(256, 255);
          std::memcpy(res_.alphaTable.data(), d.data(), std::min<std::size_t>(d.size(), 256));
        } else {
          for (std::size_t i = 0; i < d.size() && i < 256; ++i)
            if (d[i] == 0) {
              res_.transparentValue = static_cast<std::int64_t>(i);
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
      struct Pass {
        int x0, dx, y0, dy;
      };
      static constexpr Pass kAll[1] = {{0, 1, 0, 1}};
      static constexpr Pass kAdam7[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                         {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
      const Pass* passes = h_.interlace ? kAdam7 : kAll;
      const int passCount = h_.interlace ? 7 : 1;
      // Progress counts the rows of every pass.
      std::int64_t progressRows = 0;
      for (int p = 0; p < passCount; ++p)
        if (passes[p].x0 < static_cast<std::int64_t>(h_.width) && passes[p].y0 < static_cast<std::int64_t>(h_.height))
          progressRows += (h_.height - passes[p].y0 + passes[p].dy - 1) / passes[p].dy;
      std::int64_t rowsDone = 0;
      const bool progress = static_cast<bool>(progressHandler());
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
          if (progress) reportProgress(static_cast<int>(rowsDone * 100 / progressRows));
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
    std::uint8_t* alpha = res_.alphaBitmap && res_.alphaBitmap->present() && (h_.colorType == 4 || h_.colorType == 6)
                              ? res_.alphaBitmap->scanLine(y)
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

  const PngLoadOptions& opt_;
  PngLoadResult& res_;
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

// Scores of a filtered row for the per-row choice; lower is better. The sum of its bytes
// read as signed, each without its sign, is leastSumScores below.
std::int64_t scoreRuns(const std::uint8_t* p, std::size_t n) {
  std::int64_t s = 0;
  for (std::size_t i = 4; i < n; ++i)
    if (p[i] == p[i - 1] && p[i] == p[i - 2] && p[i] == p[i - 3] && p[i] == p[i - 4]) --s;
  return s;
}

// |v| of a byte read as a signed byte.
inline int absSigned(std::uint8_t v) { return std::abs(static_cast<int>(static_cast<std::int8_t>(v))); }

// The per-row choice's scores of all five filters (the sum of |signed byte| of each filtered
// row), writing only the Paeth row (into paethOut), the one that costs most to make again:
// raw and prev as for filterRow.
void leastSumScores(const std::uint8_t* raw, const std::uint8_t* prev, std::size_t n, int bpp, std::int64_t sums[5],
                    std::uint8_t* paethOut) {
  std::size_t i = 0;
  for (int f = 0; f < 5; ++f) sums[f] = 0;
#if defined(__SSE2__)
  // 16 bytes at a time. |v| of a signed byte is min(v, -v) read unsigned (128 stays 128),
  // and sums of bytes come eight at a time from psadbw against zero.
  const __m128i null = _mm_setzero_si128();
  const __m128i eins = _mm_set1_epi8(1);
  __m128i s[5] = {null, null, null, null, null};
  auto dazu = [&](__m128i& summe, __m128i v) {
    summe = _mm_add_epi64(summe, _mm_sad_epu8(_mm_min_epu8(v, _mm_sub_epi8(null, v)), null));
  };
  auto betrag16 = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(null, v)); };
  // Paeth on eight 16-bit lanes: a where |b - c| <= |a - c| and |b - c| <= |a + b - 2c|,
  // else b where |a - c| <= |a + b - 2c|, else c.
  auto paeth8 = [&](__m128i a, __m128i b, __m128i c) {
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i pa = betrag16(bc);
    const __m128i pb = betrag16(ac);
    const __m128i pc = betrag16(_mm_add_epi16(ac, bc));
    const __m128i nichtA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    const __m128i nimmC = _mm_cmpgt_epi16(pb, pc);
    const __m128i bOderC = _mm_or_si128(_mm_and_si128(nimmC, c), _mm_andnot_si128(nimmC, b));
    return _mm_or_si128(_mm_and_si128(nichtA, bOderC), _mm_andnot_si128(nichtA, a));
  };
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + i));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + i - bpp));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - bpp));
    dazu(s[0], x);
    dazu(s[1], _mm_sub_epi8(x, a));
    dazu(s[2], _mm_sub_epi8(x, b));
    // (a + b) >> 1: pavgb rounds up, so its carry is taken back where a + b is odd.
    const __m128i mittel = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), eins));
    dazu(s[3], _mm_sub_epi8(x, mittel));
    const __m128i unten = _mm_packus_epi16(paeth8(_mm_unpacklo_epi8(a, null), _mm_unpacklo_epi8(b, null), _mm_unpacklo_epi8(c, null)),
                                           paeth8(_mm_unpackhi_epi8(a, null), _mm_unpackhi_epi8(b, null), _mm_unpackhi_epi8(c, null)));
    const __m128i rest = _mm_sub_epi8(x, unten);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(paethOut + i), rest);
    dazu(s[4], rest);
  }
  for (int f = 0; f < 5; ++f) {
    alignas(16) std::int64_t teile[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(teile), s[f]);
    sums[f] = teile[0] + teile[1];
  }
#endif
  for (; i < n; ++i) {
    const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) - bpp;
    const int x = raw[i];
    sums[0] += absSigned(static_cast<std::uint8_t>(x));
    sums[1] += absSigned(static_cast<std::uint8_t>(x - raw[j]));
    sums[2] += absSigned(static_cast<std::uint8_t>(x - prev[i]));
    sums[3] += absSigned(static_cast<std::uint8_t>(x - ((raw[j] + prev[i]) >> 1)));
    paethOut[i] = static_cast<std::uint8_t>(x - paeth(raw[j], prev[i], prev[j]));
    sums[4] += absSigned(paethOut[i]);
  }
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

// Entries up to the last one that is not black, at least one.
int plteLength(const std::uint8_t* pal) {
  for (int i = 255; i > 0; --i)
    if (!isBlack(pal + 3 * i)) return i + 1;
  return 1;
}

// Lossy preparation of a palette image: palette by brightness, then Paeth predictions
// where they come close enough. Returns the filter to write with.
PngFilterMode prepareLossyPalette(LinearBitmap& bm, int tolerance, std::int64_t transparent) {
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
  return PngFilterMode::Paeth;
}

// Lossy preparation of a grey or 24-bit image towards the Average prediction.
PngFilterMode prepareLossyDirect(LinearBitmap& bm, int tolerance, std::int64_t transparent) {
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
  return PngFilterMode::Average;
}

bool isRowFilter(PngFilterMode mode) {
  const int m = static_cast<int>(mode);
  return m >= 0 && m <= 4;
}

// One PNG or MNG file of the bitmap, filtered by mode (never SmallestFile).
void writeImage(BaseStream& out, const LinearBitmap& bm, bool mng, PngFilterMode mode, const PngSaveOptions& o) {
  const PixelFormat pf = bm.pixelFormat();
  const int w = bm.width();
  const int h = bm.height();
  int depth = 8;
  // Entries of a palette image's PLTE: up to the last one that is not black, and every index
  // a pixel uses or the tRNS marks, black or not (a tRNS longer than the PLTE is invalid).
  int paletteEntries = 0;
  if (pf == pf8bit) {
    const std::uint8_t* m = bm.map();
    std::uint8_t hi = 0;
    for (std::int64_t i = 0; i < bm.size(); ++i) hi = std::max(hi, m[i]);
    paletteEntries = std::max(plteLength(bm.palette()), hi + 1);
    if (o.transparentValue >= 0 && o.transparentValue < 256)
      paletteEntries = std::max(paletteEntries, static_cast<int>(o.transparentValue) + 1);
    // The depth asked for only while its indices reach every entry.
    if ((o.bitDepth == 1 || o.bitDepth == 2 || o.bitDepth == 4) && paletteEntries <= (1 << o.bitDepth))
      depth = o.bitDepth;
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

  if (o.gamma != 0) {
    std::uint8_t g[4];
    putBE32(g, static_cast<std::uint32_t>(std::llround(o.gamma * 100000)));
    writeChunk(out, "gAMA", g, 4);
  }
  const std::uint8_t* pal = colorType == 3                 ? bm.palette()
                            : o.separatePalette.size() == 768 ? o.separatePalette.data()
                                                              : nullptr;
  if (pal) {
    const int n = colorType == 3 ? paletteEntries : plteLength(pal);
    std::uint8_t plte[768];
    for (int i = 0; i < n; ++i) {
      plte[3 * i] = pal[3 * i + 2];
      plte[3 * i + 1] = pal[3 * i + 1];
      plte[3 * i + 2] = pal[3 * i];
    }
    writeChunk(out, "PLTE", plte, static_cast<std::size_t>(3 * n));
  }
  // A grey level the samples cannot take would make the file invalid.
  const std::int64_t transparent = o.transparentValue;
  if (transparent != -1 && !(colorType == 0 && transparent >= (std::int64_t{1} << depth))) {
    const std::uint32_t t = static_cast<std::uint32_t>(transparent);
    if (colorType == 0) {
      const std::uint8_t d[2] = {static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t)};
      writeChunk(out, "tRNS", d, 2);
    } else if (colorType == 2) {
      const std::uint8_t d[6] = {0, static_cast<std::uint8_t>(t), 0, static_cast<std::uint8_t>(t >> 8),
                                 0, static_cast<std::uint8_t>(t >> 16)};
      writeChunk(out, "tRNS", d, 6);
    } else if (transparent >= 0 && transparent < 256) {
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
    if (colorType != 3 && mode != PngFilterMode::None) deflater.setMinimumMatch(6);
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
          // B, G, R to R, G, B a pixel at a time through a word: the fourth byte written is
          // the next pixel's first, written again with it; the last pixel goes on its own.
          int x = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
          for (; x + 1 < w; ++x) {
            std::uint32_t v;
            std::memcpy(&v, src + 3 * x, 4);
            v = (v & 0x0000FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
            std::memcpy(raw + 3 * x, &v, 4);
          }
#endif
          for (; x < w; ++x) {
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
      if (isRowFilter(mode)) {
        chosen = static_cast<int>(mode);
        filterRow(chosen, raw, prev, cand[chosen].data() + 1, rowBytes, bpp);
      } else {
        chosen = 0;
        std::int64_t bestScore = 2147483647;
        std::int64_t sums[5];
        if (mode != PngFilterMode::MostRuns) leastSumScores(raw, prev, rowBytes, bpp, sums, cand[4].data() + 1);
        for (int f = 0; f < 5; ++f) {
          std::int64_t s;
          if (mode == PngFilterMode::MostRuns) {
            filterRow(f, raw, prev, cand[f].data() + 1, rowBytes, bpp);
            s = scoreRuns(cand[f].data() + 1, rowBytes);
          } else {
            s = sums[f];
          }
          if (s < bestScore) {
            bestScore = s;
            chosen = f;
          }
        }
        // Only the row chosen is written out, once the sums have chosen it.
        if (mode != PngFilterMode::MostRuns && chosen != 4) filterRow(chosen, raw, prev, cand[chosen].data() + 1, rowBytes, bpp);
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

}  // namespace

PngSaveOptions PngSaveOptions::keeping(const PictureInfo& read) {
  PngSaveOptions o;
  static_cast<PictureInfo&>(o) = read;
  return o;
}

PngSaveOptions PngSaveOptions::keeping(const PngLoadResult& read) {
  PngSaveOptions o = keeping(static_cast<const PictureInfo&>(read));
  o.separatePalette = read.separatePalette;
  return o;
}

bool PNGLoader::canLoad(const std::string& ext) { return ext == "PNG" || ext == "MNG"; }
bool PNGLoader::canSave(const std::string& ext) { return canLoad(ext); }

std::string PNGLoader::getLoadFilter() {
  return "Portable Network Graphics (*.png)|*.png|Multiple-image Network Graphics (*.mng)|*.mng";
}

void PNGLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) { load(stream, bitmap); }

void PNGLoader::saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) {
  save(stream, ext, bitmap, PngSaveOptions::keeping(bitmap.info()));
}

PngLoadResult PNGLoader::load(BaseStream& stream, LinearBitmap& bitmap, const PngLoadOptions& options) const {
  PngLoadResult result;
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
  PngReader reader(options, result, bitmap, mng);
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
      reader.header(data, in.bytesLeft());
    } else if (isType(type, "PLTE")) {
      if (!reader.paletteImage() && !options.alpha) {
        in.copyTo(nullptr, std::int64_t{len} + 4);
        continue;
      }
      readChunkData(in, len, 768, data, crc);
      reader.palette(data);
    } else if (isType(type, "gAMA")) {
      readChunkData(in, len, 4, data, crc);
      if (data.size() == 4) result.gamma = be32(data.data()) / 100000.0;
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
  bitmap.setInfo(result);
  return result;
}

void PNGLoader::save(BaseStream& stream, const std::string& ext, const LinearBitmap& bitmap,
                     const PngSaveOptions& options) const {
  const bool mng = ext == "MNG";
  const PixelFormat pf = bitmap.pixelFormat();
  if (pf != pf8bit && pf != pf16bit && pf != pf24bit) throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const int tolerance = options.lossyTolerance;
  if (tolerance != 0 && pf != pf16bit && !(mng && pf == pf24bit)) {
    LinearBitmap copy(bitmap);
    const PngFilterMode mode = (pf == pf8bit && !copy.isGrayScale())
                                   ? prepareLossyPalette(copy, tolerance, options.transparentValue)
                                   : prepareLossyDirect(copy, tolerance, options.transparentValue);
    writeImage(stream, copy, mng, mode, options);
    return;
  }
  if (options.filterMode == PngFilterMode::SmallestFile) {
    static constexpr PngFilterMode kTried[] = {PngFilterMode::MostRuns, PngFilterMode::LeastSum, PngFilterMode::None,
                                               PngFilterMode::Sub,      PngFilterMode::Up,       PngFilterMode::Average,
                                               PngFilterMode::Paeth};
    std::vector<std::uint8_t> best;
    bool have = false;
    for (const PngFilterMode mode : kTried) {
      std::vector<std::uint8_t> trial;
      VectorSink sink(trial);
      writeImage(sink, bitmap, mng, mode, options);
      if (!have || trial.size() < best.size()) {
        best.swap(trial);
        have = true;
      }
      if (progressHandler()) reportProgress((static_cast<int>(mode) + 3) * 100 / 8);
    }
    stream.write(best.data(), best.size());
    return;
  }
  writeImage(stream, bitmap, mng, options.filterMode, options);
}

PNGLoader& pngLoader() {
  static PNGLoader loader;
  return loader;
}

}  // namespace imagefile
