#include "imagefile/bmp_loader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imagefile/byte_order.h"
#include "imagefile/errors.h"

namespace imagefile {

namespace {

constexpr int kUnsupported = 5;

// The 16 standard colours of old bitmaps, as R, G, B.
const std::uint32_t kStandard16[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                       0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                       0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// One channel of a bit-field pixel, scaled to 0..255.
struct Field {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Field(std::uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  std::uint8_t get(std::uint32_t v) const {
    if (!max) return 0;
    const std::uint64_t x = (v & mask) >> shift;
    return static_cast<std::uint8_t>((x * 255 + max / 2) / max);
  }
};

struct Layout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows top-down
  int planes = 1;
  int bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::int64_t dataOffset = 0;
  std::int64_t paletteAt = 0;
  std::int64_t rowStride = -1;  // 2.x: the header's bytes per line
  bool oldStyle = false;
  std::uint32_t masks[3] = {0, 0, 0};  // R, G, B
};

class Reader {
 public:
  Reader(const std::vector<std::uint8_t>& d, LinearBitmap& bm) : d_(d), bm_(bm) {}

  int read() {
    if (d_.size() < 2) return kUnsupported;
    Layout l;
    const std::uint16_t kind = le16(d_.data());
    if (kind == 0) {
      if (d_.size() < 10) return kUnsupported;
      l.oldStyle = true;
      l.width = le16(&d_[2]);
      l.height = le16(&d_[4]);
      l.rowStride = le16(&d_[6]);
      l.planes = d_[8];
      l.bits = d_[9];
      l.dataOffset = 10;
    } else if (kind == 0x4D42) {
      if (d_.size() < 18) return kUnsupported;
      l.dataOffset = le32(&d_[10]);
      const std::uint32_t hs = le32(&d_[14]);
      if (hs == 12) {
        if (d_.size() < 26) return kUnsupported;
        l.width = le16(&d_[18]);
        l.height = static_cast<std::int16_t>(le16(&d_[20]));
        l.planes = le16(&d_[22]);
        l.bits = le16(&d_[24]);
      } else if (hs == 40 || hs == 52 || hs == 56 || hs == 64 || hs == 108 || hs == 124) {
        if (d_.size() < 14 + static_cast<std::size_t>(std::min<std::uint32_t>(hs, 40))) return kUnsupported;
        l.width = static_cast<std::int32_t>(le32(&d_[18]));
        l.height = static_cast<std::int32_t>(le32(&d_[22]));
        l.planes = le16(&d_[26]);
        l.bits = le16(&d_[28]);
        l.compression = le32(&d_[30]);
        l.colorsUsed = le32(&d_[46]);
        // Bit-field masks: inside the longer headers, after the 40-byte one.
        if ((l.compression == 3 || l.compression == 6) && d_.size() >= 66) {
          l.masks[0] = le32(&d_[54]);
          l.masks[1] = le32(&d_[58]);
          l.masks[2] = le32(&d_[62]);
        }
        if (hs == 64 && l.compression > 2) return kUnsupported;  // OS/2 Huffman and RLE24
      } else {
        return kUnsupported;
      }
      l.paletteAt = 14 + hs;
      // The masks after a 40-byte header come before the palette.
      if (hs == 40 && (l.compression == 3 || l.compression == 6)) l.paletteAt += l.compression == 6 ? 16 : 12;
    } else {
      return kUnsupported;
    }
    if (l.planes != 1) return kUnsupported;
    if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
      return kUnsupported;
    if (l.width < 1) return kUnsupported;
    if (l.compression == 1 && l.bits != 8) return kUnsupported;
    if (l.compression == 2 && l.bits != 4) return kUnsupported;
    if ((l.compression == 3 || l.compression == 6) && l.bits != 16 && l.bits != 32) return kUnsupported;
    if (l.compression > 3 && l.compression != 6) return kUnsupported;
    const bool topDown = l.height < 0;
    std::int64_t h = topDown ? -l.height : l.height;
    if (h == 0) h = 1;
    if (l.width > 0x7FFFFFFF || h > 0x7FFFFFFF) return kUnsupported;
    const PixelFormat format = l.bits <= 8 ? pf8bit : pf24bit;
    try {
      LinearBitmap::checkSize(static_cast<int>(l.width), static_cast<int>(h), format);
    } catch (const LinearBitmapError&) {
      return kUnsupported;
    }
    // Stored rows are never shorter than in the file: data too short for them is refused
    // before the bitmap is made (run-length data may end early and leave rows black).
    if (l.compression != 1 && l.compression != 2 && !holdsStoredRows(l, h))
      throw InOutError(text::kReadLessThanExpected);
    try {
      bm_.newImage(static_cast<int>(l.width), static_cast<int>(h), format);
    } catch (const LinearBitmapError&) {
      return kUnsupported;
    } catch (const std::bad_alloc&) {
      return kUnsupported;
    }
    bm_.clear(0);
    if (l.bits <= 8) readPalette(l);
    h_ = static_cast<int>(h);
    w_ = static_cast<int>(l.width);
    topDown_ = topDown;
    if (l.compression == 1 || l.compression == 2) {
      decodeRle(l);
    } else {
      decodePlain(l);
    }
    return 0;
  }

 private:
  void readPalette(const Layout& l) {
    std::uint8_t* pal = bm_.palette();
    std::memset(pal, 0, 768);
    if (l.oldStyle) {
      if (l.bits == 1) {
        std::memset(pal + 3, 255, 3);
      } else {
        for (int i = 0; i < 16; ++i) {
          pal[3 * i] = static_cast<std::uint8_t>(kStandard16[i]);
          pal[3 * i + 1] = static_cast<std::uint8_t>(kStandard16[i] >> 8);
          pal[3 * i + 2] = static_cast<std::uint8_t>(kStandard16[i] >> 16);
        }
      }
      return;
    }
    std::int64_t count = l.colorsUsed == 0 ? (std::int64_t{1} << l.bits) : l.colorsUsed;
    const int entry = (l.paletteAt + 4 * count <= l.dataOffset) ? 4 : 3;
    count = std::min<std::int64_t>(count, 256);  // entries past 256 are skipped
    for (std::int64_t i = 0; i < count; ++i) {
      const std::int64_t at = l.paletteAt + entry * i;
      if (at + 3 > static_cast<std::int64_t>(d_.size())) break;
      std::memcpy(pal + 3 * i, &d_[static_cast<std::size_t>(at)], 3);
    }
  }

  // Row r of the file starts at dataOffset + r x stride and needs (width x bits + 7) / 8
  // bytes; the data must reach the end of the last row.
  static std::int64_t storedStride(const Layout& l) {
    return l.rowStride >= 0 ? l.rowStride : (l.width * l.bits + 31) / 32 * 4;
  }
  static std::int64_t storedRowBytes(const Layout& l) { return (l.width * l.bits + 7) / 8; }
  bool holdsStoredRows(const Layout& l, std::int64_t rows) const {
    const std::int64_t room = static_cast<std::int64_t>(d_.size()) - l.dataOffset - storedRowBytes(l);
    if (l.dataOffset < 0 || room < 0) return false;
    const std::int64_t stride = storedStride(l);
    return stride <= 0 || rows - 1 <= room / stride;
  }

  // Bitmap row for the y-th row of the file.
  std::uint8_t* row(int y) { return bm_.scanLine(topDown_ ? y : h_ - 1 - y); }

  void decodePlain(const Layout& l) {
    const std::int64_t stride = storedStride(l);
    const std::int64_t need = storedRowBytes(l);
    Field r, g, b;
    if (l.bits == 16 || l.bits == 32) {
      if (l.compression == 3 || l.compression == 6) {
        r = Field(l.masks[0]);
        g = Field(l.masks[1]);
        b = Field(l.masks[2]);
      } else if (l.bits == 16) {
        r = Field(0x7C00);
        g = Field(0x03E0);
        b = Field(0x001F);
      }
    }
    for (int y = 0; y < h_; ++y) {
      const std::int64_t at = l.dataOffset + stride * y;
      if (at < 0 || at + need > static_cast<std::int64_t>(d_.size())) throw InOutError(text::kReadLessThanExpected);
      const std::uint8_t* s = &d_[static_cast<std::size_t>(at)];
      std::uint8_t* o = row(y);
      switch (l.bits) {
        case 1:
          for (int x = 0; x < w_; ++x) o[x] = (s[x >> 3] >> (7 - (x & 7))) & 1;
          break;
        case 4:
          for (int x = 0; x < w_; ++x) o[x] = (x & 1) ? (s[x >> 1] & 15) : (s[x >> 1] >> 4);
          break;
        case 8: std::memcpy(o, s, static_cast<std::size_t>(w_)); break;
        case 24: std::memcpy(o, s, static_cast<std::size_t>(w_) * 3); break;
        case 16:
          for (int x = 0; x < w_; ++x) {
            const std::uint32_t v = le16(s + 2 * x);
            o[3 * x] = b.get(v);
            o[3 * x + 1] = g.get(v);
            o[3 * x + 2] = r.get(v);
          }
          break;
        default:  // 32
          if (l.compression == 0) {
            for (int x = 0; x < w_; ++x) std::memcpy(o + 3 * x, s + 4 * x, 3);
          } else {
            for (int x = 0; x < w_; ++x) {
              const std::uint32_t v = le32(s + 4 * x);
              o[3 * x] = b.get(v);
              o[3 * x + 1] = g.get(v);
              o[3 * x + 2] = r.get(v);
            }
          }
      }
    }
  }

  // Run-length data: every write is clipped to the image; the data may end early (the rows
  // not reached stay black).
  void decodeRle(const Layout& l) {
    const bool four = l.compression == 2;
    std::size_t p = static_cast<std::size_t>(std::max<std::int64_t>(0, l.dataOffset));
    const std::size_t end = d_.size();
    std::int64_t x = 0, y = 0;
    auto put = [&](int v) {
      if (x < w_ && y < h_) row(static_cast<int>(y))[x] = static_cast<std::uint8_t>(v);
      ++x;
    };
    while (y < h_ && p + 2 <= end) {
      const int n = d_[p];
      const int v = d_[p + 1];
      p += 2;
      if (n > 0) {
        for (int i = 0; i < n && x < w_; ++i) put(four ? ((i & 1) ? (v & 15) : (v >> 4)) : v);
        continue;
      }
      if (v == 0) {
        x = 0;
        ++y;
      } else if (v == 1) {
        break;
      } else if (v == 2) {
        if (p + 2 > end) break;
        x += d_[p];
        y += d_[p + 1];
        p += 2;
      } else {
        const std::size_t bytes = four ? static_cast<std::size_t>((v + 1) / 2) : static_cast<std::size_t>(v);
        if (p + bytes > end) break;
        for (int i = 0; i < v; ++i) {
          if (x >= w_) break;
          const int b = d_[p + (four ? i / 2 : i)];
          put(four ? ((i & 1) ? (b & 15) : (b >> 4)) : b);
        }
        p += (bytes + 1) & ~std::size_t{1};
      }
    }
  }

  const std::vector<std::uint8_t>& d_;
  LinearBitmap& bm_;
  int w_ = 0;
  int h_ = 0;
  bool topDown_ = false;
};

}  // namespace

std::vector<std::uint8_t> readWholeStream(BaseStream& stream) {
  std::vector<std::uint8_t> data;
  std::size_t have = 0;
  for (;;) {
    data.resize(have + 65536);
    const std::size_t n = stream.readSome(data.data() + have, 65536);
    have += n;
    if (n == 0) break;
  }
  data.resize(have);
  return data;
}

int readBMPFile(BaseStream& stream, LinearBitmap& bitmap) {
  const std::vector<std::uint8_t> data = readWholeStream(stream);
  bitmap.dispose();
  Reader reader(data, bitmap);
  const int rc = reader.read();
  if (rc != 0) bitmap.dispose();
  return rc;
}

bool BMPLoader::canLoad(const std::string& ext) { return ext == "BMP"; }
bool BMPLoader::canSave(const std::string& ext) { return ext == "BMP"; }
std::string BMPLoader::getLoadFilter() { return "Windows bitmap (*.bmp)|*.bmp"; }

void BMPLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  if (readBMPFile(stream, bitmap) != 0) throw Error(text::kUnsupportedFileFormat);
}

void BMPLoader::saveToStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) {
  const PixelFormat pf = bitmap.pixelFormat();
  if (pf != pf8bit && pf != pf16bit && pf != pf24bit && pf != pf32bit)
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const int bits = (pf == pf8bit || pf == pf16bit) ? 8 : pf == pf24bit ? 24 : 32;
  const int w = bitmap.width();
  const int h = bitmap.height();
  const std::int64_t stride = (static_cast<std::int64_t>(w) * bits + 31) / 32 * 4;
  const std::uint32_t paletteBytes = bits == 8 ? 1024 : 0;
  const std::int64_t imageSize = stride * h;
  const std::int64_t fileSize = 54 + paletteBytes + imageSize;
  if (fileSize > 0xFFFFFFFFll) throw LinearBitmapError(text::kInvalidBitmapSize);
  std::vector<std::uint8_t> head(54 + paletteBytes, 0);
  head[0] = 'B';
  head[1] = 'M';
  putLE32(&head[2], static_cast<std::uint32_t>(fileSize));
  putLE32(&head[10], 54 + paletteBytes);
  putLE32(&head[14], 40);
  putLE32(&head[18], static_cast<std::uint32_t>(w));
  putLE32(&head[22], static_cast<std::uint32_t>(h));
  putLE16(&head[26], 1);
  putLE16(&head[28], static_cast<std::uint32_t>(bits));
  putLE32(&head[34], static_cast<std::uint32_t>(imageSize));
  putLE32(&head[38], 3780);  // 96 dots per inch
  putLE32(&head[42], 3780);
  if (bits == 8) {
    putLE32(&head[46], 256);
    const std::uint8_t* pal = pf == pf8bit ? bitmap.palette() : grayPalette();
    for (int i = 0; i < 256; ++i) std::memcpy(&head[54 + 4 * i], pal + 3 * i, 3);
  }
  stream.write(head.data(), head.size());
  // Rows in pieces of about 64 KiB, bottom row first.
  const std::size_t rowsPerPiece = static_cast<std::size_t>(std::max<std::int64_t>(1, 65536 / stride));
  std::vector<std::uint8_t> piece(rowsPerPiece * static_cast<std::size_t>(stride), 0);
  std::size_t inPiece = 0;
  for (int y = h - 1; y >= 0; --y) {
    std::uint8_t* o = piece.data() + inPiece * static_cast<std::size_t>(stride);
    const std::uint8_t* s = bitmap.scanLine(y);
    if (pf == pf16bit) {
      for (int x = 0; x < w; ++x) o[x] = s[2 * x + 1];
    } else {
      std::memcpy(o, s, static_cast<std::size_t>(w) * bitmap.pixelSize());
    }
    if (++inPiece == rowsPerPiece || y == 0) {
      stream.write(piece.data(), inPiece * static_cast<std::size_t>(stride));
      inPiece = 0;
    }
  }
}

BMPLoader& bmpLoader() {
  static BMPLoader loader;
  return loader;
}

}  // namespace imagefile
