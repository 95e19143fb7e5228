#include "gif/lzw.h"

#include <algorithm>
#include <cstring>

#include "gif/errors.h"
#include "gif/gif_file.h"
#include "gif/sub_image.h"

namespace gif {

std::vector<int> rowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(std::max(height, 0)));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  return rows;
}

// --- decoding ---------------------------------------------------------------------------------

namespace {

// Reads codes least significant bit first across sub-blocks of any length, 1 byte included.
class CodeReader {
 public:
  CodeReader(ByteStream& s, const GifSubImage& frame) : s_(s), frame_(frame) {}

  int read(int size) {
    while (nbits_ < size) {
      if (pos_ == len_ && !refill()) return -1;
      acc_ |= static_cast<uint32_t>(buf_[pos_++]) << nbits_;
      nbits_ += 8;
    }
    const int code = static_cast<int>(acc_ & ((1u << size) - 1));
    acc_ >>= size;
    nbits_ -= size;
    return code;
  }

  // Passes over whatever data sub-blocks are left, through the terminator.
  void skipToTerminator() {
    if (terminated_) return;
    skipSubBlocks(s_);
    terminated_ = true;
  }

  bool terminated() const { return terminated_; }

 private:
  bool refill() {
    if (terminated_) return false;
    uint8_t n = 0;
    if (!tryReadByte(s_, n)) return false;
    if (n == 0) {
      // Only asked for while pixels are still missing.
      terminated_ = true;
      frame_.warning(1, "Decoder bit buffer under-run");
      return false;
    }
    const int64_t left = s_.size() - s_.position();
    if (n > left) {
      frame_.warning(1, "Premature end of data");
      n = static_cast<uint8_t>(std::max<int64_t>(left, 0));
      if (n == 0) return false;
    }
    readExact(s_, buf_, n);
    len_ = n;
    pos_ = 0;
    return true;
  }

  ByteStream& s_;
  const GifSubImage& frame_;
  uint8_t buf_[255];
  int len_ = 0;
  int pos_ = 0;
  uint32_t acc_ = 0;
  int nbits_ = 0;
  bool terminated_ = false;
};

constexpr int kMaxCodes = 4096;

}  // namespace

int64_t maxDecodablePixels(ByteStream& s) {
  const int64_t start = s.position();
  int64_t bytes = 0;
  uint8_t n = 0;
  if (tryReadByte(s, n)) {
    // Counted as the decoder reads them: a length beyond the end yields what is left.
    while (tryReadByte(s, n) && n != 0) {
      const int64_t k = std::min<int64_t>(n, std::max<int64_t>(s.size() - s.position(), 0));
      if (k == 0) break;
      bytes += k;
      skipBytes(s, k);
    }
  }
  s.seek(start);
  // The k-th code after a reset yields at most k pixels and is read with at least
  // log2(clear + k + 1) bits, and no string exceeds the 4096 codes of the table: no code
  // yields more than 4096 pixels per 12 bits. The 4096 more keep a frame cut short before
  // its first code (whose pixels keep the fill value) loading when it is small.
  return bytes * 8 * 4096 / 12 + 4096;
}

void decodeFrame(GifSubImage& frame, ByteStream& s) {
  const int w = frame.width();
  const int h = frame.height();
  const uint8_t fill = frame.transparent() ? static_cast<uint8_t>(frame.transparentColorIndex()) : 0;
  std::vector<uint8_t>& data = frame.mutableData();
  data.assign(static_cast<size_t>(w) * static_cast<size_t>(h), fill);

  uint8_t initial = 0;
  if (!tryReadByte(s, initial)) return;
  if (initial < 2 || initial > 8) raiseError("Invalid LZW code size");

  CodeReader reader(s, frame);
  const int clear = 1 << initial;
  const int end = clear + 1;
  int size = initial + 1;
  int limit = clear * 2;
  int freeCode = clear + 2;
  int old = -1;
  uint8_t first = 0;

  std::array<uint16_t, kMaxCodes> prefix{};
  std::array<uint8_t, kMaxCodes> suffix{};
  std::array<uint8_t, kMaxCodes + 1> stack{};

  const std::vector<int> rows = rowOrder(h, frame.interlaced());
  size_t rowIndex = 0;
  bool complete = w == 0 || h == 0;
  uint8_t* out = complete ? nullptr : data.data() + static_cast<size_t>(rows[0]) * static_cast<size_t>(w);
  int left = w;
  bool corrupt = false;

  while (!complete) {
    int code = reader.read(size);
    if (code < 0) break;
    if (code == clear) {
      size = initial + 1;
      limit = clear * 2;
      freeCode = clear + 2;
      old = -1;
      continue;
    }
    if (code == end) break;
    int sp = 0;
    if (old < 0) {
      // The first code after a reset must be a literal.
      if (code > clear) {
        corrupt = true;
        break;
      }
      first = static_cast<uint8_t>(code);
      stack[sp++] = first;
      old = code;
    } else {
      if (code > freeCode || (code == freeCode && freeCode >= kMaxCodes)) {
        corrupt = true;
        break;
      }
      const int incoming = code;
      if (code == freeCode) {
        stack[sp++] = first;
        code = old;
      }
      while (code >= clear) {
        if (sp >= kMaxCodes) raiseError("Circular decoder table entry");
        stack[sp++] = suffix[static_cast<size_t>(code)];
        code = prefix[static_cast<size_t>(code)];
      }
      first = static_cast<uint8_t>(code);
      stack[sp++] = first;
      if (freeCode < kMaxCodes) {
        prefix[static_cast<size_t>(freeCode)] = static_cast<uint16_t>(old);
        suffix[static_cast<size_t>(freeCode)] = first;
        ++freeCode;
        if (freeCode == limit && limit < kMaxCodes) {
          limit *= 2;
          ++size;
        }
      }
      old = incoming;
    }
    while (sp > 0) {
      *out++ = stack[static_cast<size_t>(--sp)];
      if (--left == 0) {
        if (++rowIndex == rows.size()) {
          complete = true;
          break;
        }
        out = data.data() + static_cast<size_t>(rows[rowIndex]) * static_cast<size_t>(w);
        left = w;
      }
    }
  }
  if (corrupt) frame.warning(1, "Invalid LZW code");
  reader.skipToTerminator();
  frame.dropCache();
}

// --- writing ----------------------------------------------------------------------------------

GifWriter::~GifWriter() noexcept(false) {
  if (std::uncaught_exceptions() == 0) flush();
}

size_t GifWriter::write(const void* buffer, size_t count) {
  const auto* p = static_cast<const uint8_t*>(buffer);
  for (size_t i = 0; i < count; ++i) writeByte(p[i]);
  return count;
}

void GifWriter::flushFull() {
  buffer_[0] = 255;
  target_.write(buffer_.data(), 256);
  pos_ = 1;
}

void GifWriter::flush() {
  if (pos_ <= 1) return;
  buffer_[0] = static_cast<uint8_t>(pos_ - 1);
  target_.write(buffer_.data(), pos_);
  pos_ = 1;
}

namespace {

// Codes packed least significant bit first into sub-blocks.
class BitOutput {
 public:
  explicit BitOutput(GifWriter& w) : w_(w) {}
  void put(int code, int bits) {
    acc_ |= static_cast<uint32_t>(code) << nbits_;
    nbits_ += bits;
    while (nbits_ >= 8) {
      w_.writeByte(static_cast<uint8_t>(acc_ & 0xFF));
      acc_ >>= 8;
      nbits_ -= 8;
    }
  }
  void flushBits() {
    if (nbits_ > 0) w_.writeByte(static_cast<uint8_t>(acc_ & 0xFF));
    acc_ = 0;
    nbits_ = 0;
  }

 private:
  GifWriter& w_;
  uint32_t acc_ = 0;
  int nbits_ = 0;
};

// Pixels in storage order, each checked against the colour limit.
class PixelSource {
 public:
  explicit PixelSource(const EncoderInput& in) : in_(in), rows_(rowOrder(in.height, in.interlaced)) { startRow(); }
  bool more() const { return row_ < rows_.size(); }
  int next() {
    const int c = *p_++;
    if (c >= in_.colorLimit) raiseError("Color not in color table");
    if (--left_ == 0) {
      ++row_;
      startRow();
    }
    return c;
  }

 private:
  void startRow() {
    if (row_ >= rows_.size()) return;
    p_ = in_.pixels + static_cast<size_t>(rows_[row_]) * static_cast<size_t>(in_.width);
    left_ = in_.width;
  }
  const EncoderInput& in_;
  std::vector<int> rows_;
  size_t row_ = 0;
  const uint8_t* p_ = nullptr;
  int left_ = 0;
};

struct Codes {
  explicit Codes(int bitsPerPixel)
      : bpp(std::max(bitsPerPixel, 2)), initBits(bpp + 1), clear(1 << bpp), end(clear + 1), base(clear + 2) {}
  int bpp, initBits, clear, end, base;
};

bool hasPixels(const EncoderInput& in) { return in.pixels && in.width >= 1 && in.height >= 1; }

}  // namespace

void lzwCompress(ByteStream& s, const EncoderInput& in) {
  const Codes c(in.bitsPerPixel);
  writeByte(s, static_cast<uint8_t>(c.bpp));
  {
    GifWriter writer(s);
    BitOutput out(writer);
    int bits = c.initBits;
    int maxCode = (1 << bits) - 1;
    int freeCode = c.base;
    auto output = [&](int code) {
      out.put(code, bits);
      if (code == c.clear) {
        bits = c.initBits;
        maxCode = (1 << bits) - 1;
      } else if (freeCode > maxCode) {
        ++bits;
        maxCode = bits >= 12 ? 4096 : (1 << bits) - 1;
      }
    };
    if (hasPixels(in)) {
      HashTable table;
      const std::vector<int> rows = rowOrder(in.height, in.interlaced);
      const auto limit = static_cast<unsigned>(in.colorLimit);
      auto checked = [limit](unsigned pixel) {
        if (pixel >= limit) raiseError("Color not in color table");
        return pixel;
      };
      output(c.clear);
      const size_t w = static_cast<size_t>(in.width);
      int prefix = static_cast<int>(checked(in.pixels[static_cast<size_t>(rows[0]) * w]));
      bool first = true;
      // Row by row in storage order; the string carries on across row ends.
      for (int y : rows) {
        const uint8_t* p = in.pixels + static_cast<size_t>(y) * w;
        const uint8_t* end = p + w;
        if (first) {
          ++p;
          first = false;
        }
        for (; p < end; ++p) {
          const unsigned pixel = checked(*p);
          const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | pixel;
          const int code = table.lookup(key);
          if (code >= 0) {
            prefix = code;
            continue;
          }
          output(prefix);
          prefix = static_cast<int>(pixel);
          if (freeCode >= 4095) {
            output(c.clear);
            table.clear();
            freeCode = c.base;
          } else {
            table.insert(key, freeCode);
            ++freeCode;
          }
        }
      }
      output(prefix);
    }
    out.put(c.end, bits);
    out.flushBits();
  }
  writeByte(s, 0);
}

namespace {

// Runs of one pixel written as codes every LZW decoder understands, without a string table:
// after a clear, codes base, base+1, ... stand for runs of 2, 3, ... of the pixel that was
// sent first, because each of them is the decoder's next free code.
class RleEncoder {
 public:
  RleEncoder(BitOutput& out, const Codes& c) : out_(out), c_(c) {
    bits_ = c.initBits;
    bumpInit_ = c.clear - 1;
    clearInit_ = c.bpp > 3 ? bumpInit_ - 1 : 9;
    maxOut_ = 4095 - c.base;
    bump_ = bumpInit_;
    clearPoint_ = clearInit_;
  }

  void run(PixelSource& px) {
    didClear();
    while (px.more()) {
      const int pixel = px.next();
      if (runCount_ > 0 && pixel != runPixel_) {
        flush(runCount_);
        runCount_ = 0;
      }
      if (pixel == runPixel_ && runCount_ > 0) {
        ++runCount_;
      } else {
        runPixel_ = pixel;
        runCount_ = 1;
      }
    }
    if (runCount_ > 0) flush(runCount_);
  }

  void end() {
    out_.put(c_.end, bits_);
    out_.flushBits();
  }

 private:
  // The clear code goes out at the width the decoder expects now; only then do widths,
  // points and counts start over.
  void didClear() {
    out_.put(c_.clear, bits_);
    justCleared_ = true;
    bits_ = c_.initBits;
    bump_ = bumpInit_;
    clearPoint_ = clearInit_;
    outCount_ = 0;
    tableMax_ = 0;
  }

  void outputPlain(int code) {
    justCleared_ = false;
    out_.put(code, bits_);
    ++outCount_;
    if (outCount_ >= bump_) {
      ++bits_;
      bump_ += 1 << (bits_ - 1);
    }
    if (outCount_ >= clearPoint_) didClear();
  }

  static int isqrt(int x) {
    if (x < 2) return x;
    int v = x;
    int r = (v + 1) / 2;
    while (r < v) {
      v = r;
      r = (v + x / v) / 2;
    }
    return v;
  }

  static int triangleCount(int count, int nrepcodes) {
    int cost = 0;
    const int64_t perrep = static_cast<int64_t>(nrepcodes) * (nrepcodes + 1) / 2;
    while (count >= perrep) {
      cost += nrepcodes;
      count -= static_cast<int>(perrep);
    }
    if (count > 0) {
      int n = isqrt(count);
      while (n * (n + 1) >= 2 * count) --n;
      while (n * (n + 1) < 2 * count) ++n;
      cost += n;
    }
    return cost;
  }

  void restoreClearPoint() {
    clearPoint_ = clearInit_;
    if (outCount_ >= clearPoint_) didClear();
  }

  void flushFromClear(int n) {
    clearPoint_ = maxOut_;
    tablePixel_ = runPixel_;
    int k = 1;
    while (n > 0) {
      if (k == 1) {
        tableMax_ = 1;
        outputPlain(runPixel_);
        --n;
      } else if (n >= k) {
        tableMax_ = k;
        outputPlain(c_.base + k - 2);
        n -= k;
      } else if (n == 1) {
        ++tableMax_;
        outputPlain(runPixel_);
        n = 0;
      } else {
        ++tableMax_;
        outputPlain(c_.base + n - 2);
        n = 0;
      }
      k = outCount_ == 0 ? 1 : k + 1;
    }
    restoreClearPoint();
  }

  void flushClearOrRepeat(int n) {
    if (1 + triangleCount(n, maxOut_) < n) {
      didClear();
      flushFromClear(n);
    } else {
      for (int i = 0; i < n; ++i) outputPlain(runPixel_);
    }
  }

  void flushWithTable(int n) {
    int repeats = n / tableMax_;
    int leftover = n % tableMax_;
    int extra = leftover ? 1 : 0;
    if (outCount_ + repeats + extra > maxOut_) {
      repeats = maxOut_ - outCount_;
      leftover = n - repeats * tableMax_;
      extra = 1 + triangleCount(leftover, maxOut_);
    }
    if (1 + triangleCount(n, maxOut_) < repeats + extra) {
      didClear();
      flushFromClear(n);
      return;
    }
    clearPoint_ = maxOut_;
    const int code = c_.base + tableMax_ - 2;
    for (int i = 0; i < repeats; ++i) outputPlain(code);
    if (leftover) {
      if (justCleared_)
        flushFromClear(leftover);
      else if (leftover == 1)
        outputPlain(runPixel_);
      else
        outputPlain(c_.base + leftover - 2);
    }
    restoreClearPoint();
  }

  void flush(int n) {
    if (n == 1) {
      outputPlain(runPixel_);
    } else if (justCleared_) {
      flushFromClear(n);
    } else if (tableMax_ < 2 || tablePixel_ != runPixel_) {
      flushClearOrRepeat(n);
    } else {
      flushWithTable(n);
    }
  }

  BitOutput& out_;
  const Codes& c_;
  int bits_;
  int runPixel_ = -1;
  int runCount_ = 0;
  int tablePixel_ = -1;
  int tableMax_ = 0;
  int outCount_ = 0;
  int bump_, clearPoint_, bumpInit_, clearInit_, maxOut_;
  bool justCleared_ = false;
};

}  // namespace

void rleCompress(ByteStream& s, const EncoderInput& in) {
  const Codes c(in.bitsPerPixel);
  writeByte(s, static_cast<uint8_t>(c.bpp));
  {
    GifWriter writer(s);
    BitOutput out(writer);
    RleEncoder rle(out, c);
    if (hasPixels(in)) {
      PixelSource px(in);
      rle.run(px);
    }
    rle.end();
  }
  writeByte(s, 0);
}

void compressFrame(const GifSubImage& frame, ByteStream& s, int pictureBits) {
  EncoderInput in{};
  in.pixels = frame.data().empty() ? nullptr : frame.data().data();
  in.width = frame.width();
  in.height = frame.height();
  in.interlaced = frame.interlaced();
  const GifFile* picture = frame.picture();
  if (frame.colorMap().count() == 0) {
    in.bitsPerPixel = pictureBits;
    in.colorLimit = 1 << in.bitsPerPixel;
  } else {
    in.bitsPerPixel = frame.colorMap().bitsPerPixel();
    in.colorLimit = frame.colorMap().count();
  }
  if (in.pixels && frame.data().size() < static_cast<size_t>(in.width) * static_cast<size_t>(in.height))
    raiseError("Image is empty");
  if (picture && picture->compression == 1)
    rleCompress(s, in);
  else
    lzwCompress(s, in);
}

}  // namespace gif
