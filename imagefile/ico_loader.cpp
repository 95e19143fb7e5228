#include "imagefile/ico_loader.h"

#include <algorithm>
#include <cstring>

#include "imagefile/bmp_loader.h"
#include "imagefile/byte_order.h"
#include "imagefile/errors.h"

namespace imagefile {

namespace {

std::uint32_t colorOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return r | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
}

}  // namespace

IconImage::IconImage(int width, int height, int bitCount, bool acceptAlpha)
    : width_(width), height_(height), bitCount_(bitCount) {
  switch (bitCount) {
    case 1: pixelFormat_ = 1; break;
    case 4: pixelFormat_ = 2; break;
    case 8: pixelFormat_ = 3; break;
    case 24: pixelFormat_ = 6; break;
    case 32:
      if (acceptAlpha) {
        pixelFormat_ = 7;
        break;
      }
      [[fallthrough]];
    default: throw Error(text::kUnsupportedPixelFormat);
  }
  xorBytesPerLine_ = (static_cast<std::int64_t>(width) * bitCount + 31) / 32 * 4;
  andBytesPerLine_ = (static_cast<std::int64_t>(width) + 31) / 32 * 4;
  andMask.assign(static_cast<std::size_t>(andSize()), 0);
  xorBits.assign(static_cast<std::size_t>(xorSize()) + 1, 0);
  palette.assign(static_cast<std::size_t>(paletteSize()), 0);
}

bool IconImage::transparentAt(int x, int y) const {
  const std::uint8_t* row = andMask.data() + (height_ - 1 - y) * andBytesPerLine_;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

int IconImage::indexAt(int x, int y) const {
  const std::uint8_t* row = xorBits.data() + (height_ - 1 - y) * xorBytesPerLine_;
  switch (bitCount_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 15) : (row[x >> 1] >> 4);
    default: return row[x];
  }
}

std::uint32_t IconImage::colorAt(int x, int y) const {
  if (bitCount_ <= 8) {
    const std::uint8_t* e = palette.data() + 4 * indexAt(x, y);
    return colorOf(e[0], e[1], e[2]);
  }
  const std::uint8_t* p = xorBits.data() + (height_ - 1 - y) * xorBytesPerLine_ + x * (bitCount_ / 8);
  return colorOf(p[2], p[1], p[0]);
}

void IconImage::assignTo(LinearBitmap& dest, std::int64_t transparentColor) const {
  const std::uint32_t tc = transparentColor < 0 ? 0xFF00FFu : static_cast<std::uint32_t>(transparentColor);
  if (bitCount_ <= 8) {
    int t = -1;
    for (int i = 0; i < colorCount(); ++i)
      if (colorOf(palette[4 * i], palette[4 * i + 1], palette[4 * i + 2]) == tc) {
        t = i;
        break;
      }
    if (!(bitCount_ == 8 && t < 0)) {
      dest.newImage(width_, height_, pf8bit);
      std::uint8_t* pal = dest.palette();
      std::memset(pal, 0, 768);
      for (int i = 0; i < colorCount(); ++i) {
        pal[3 * i] = palette[4 * i + 2];
        pal[3 * i + 1] = palette[4 * i + 1];
        pal[3 * i + 2] = palette[4 * i];
      }
      if (t < 0) {
        t = 255;
        pal[3 * t] = static_cast<std::uint8_t>(tc >> 16);
        pal[3 * t + 1] = static_cast<std::uint8_t>(tc >> 8);
        pal[3 * t + 2] = static_cast<std::uint8_t>(tc);
      }
      for (int y = 0; y < height_; ++y) {
        std::uint8_t* row = dest.scanLine(y);
        for (int x = 0; x < width_; ++x) row[x] = transparentAt(x, y) ? static_cast<std::uint8_t>(t) : static_cast<std::uint8_t>(indexAt(x, y));
      }
      return;
    }
  }
  dest.newImage(width_, height_, pf24bit);
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* row = dest.scanLine(y);
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t c = transparentAt(x, y) ? tc : colorAt(x, y);
      row[3 * x] = static_cast<std::uint8_t>(c >> 16);
      row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(c);
    }
  }
}

std::vector<std::uint32_t> IconImage::toArgb() const {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width_) * height_, 0);
  auto alphaAt = [&](int x, int y) -> std::uint32_t {
    return xorBits[static_cast<std::size_t>((height_ - 1 - y) * xorBytesPerLine_ + 4 * x + 3)];
  };
  // 32-bit pixels carry their own transparency; the AND mask is there for readers without
  // alpha and is often coarser than it.
  const bool alphaDecides = bitCount_ == 32;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      if (!alphaDecides && transparentAt(x, y)) continue;
      const std::uint32_t c = colorAt(x, y);
      const std::uint32_t alpha = alphaDecides ? alphaAt(x, y) : 0xFF;
      out[static_cast<std::size_t>(y) * width_ + x] =
          (alpha << 24) | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
  return out;
}

IconImage& IconList::addImage(int width, int height, int bitCount, bool acceptAlpha) {
  images.push_back(std::make_unique<IconImage>(width, height, bitCount, acceptAlpha));
  return *images.back();
}

void IconList::loadFromStream(BaseStream& stream, bool acceptAlpha) {
  clear();
  const std::vector<std::uint8_t> d = readWholeStream(stream);
  auto need = [&](std::int64_t at, std::int64_t n) {
    if (at < 0 || at + n > static_cast<std::int64_t>(d.size())) throw InOutError(text::kReadLessThanExpected);
    return d.data() + at;
  };
  const std::uint8_t* h = need(0, 6);
  const int k = le16(h + 2);
  kind = k == 1 ? kIcon : k == 2 ? kCursor : kOther;
  const int n = le16(h + 4);
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* e = need(6 + 16 * i, 16);
    const std::int64_t offset = le32(e + 12);
    const std::uint8_t* bh = need(offset, 40);
    const std::int32_t hw = static_cast<std::int32_t>(le32(bh + 4));
    const std::int32_t hh = static_cast<std::int32_t>(le32(bh + 8));
    if (e[0] != hw || e[1] != hh / 2) {
      std::string t = text::kSizeMismatchInIcon;
      t.replace(t.find("%d"), 2, std::to_string(i));
      throw Error(t);
    }
    IconImage& img = addImage(e[0], e[1], le16(bh + 14), acceptAlpha);
    img.hotSpotX = le16(e + 4);
    img.hotSpotY = le16(e + 6);
    std::int64_t p = offset + 40;
    const std::uint8_t* pal = need(p, img.paletteSize());
    for (int c = 0; c < img.colorCount(); ++c) {
      img.palette[4 * c] = pal[4 * c + 2];
      img.palette[4 * c + 1] = pal[4 * c + 1];
      img.palette[4 * c + 2] = pal[4 * c];
      img.palette[4 * c + 3] = 1;
    }
    p += img.paletteSize();
    // (An image of width 0 has empty masks: nothing to copy.)
    const std::uint8_t* xorData = need(p, img.xorSize());
    if (img.xorSize() > 0) std::memcpy(img.xorBits.data(), xorData, static_cast<std::size_t>(img.xorSize()));
    p += img.xorSize();
    const std::uint8_t* andData = need(p, img.andSize());
    if (img.andSize() > 0) std::memcpy(img.andMask.data(), andData, static_cast<std::size_t>(img.andSize()));
  }
}

void IconList::saveToStream(BaseStream& stream) const {
  if (kind != kIcon && kind != kCursor) throw Error(text::kUnsupportedFileFormat);
  std::vector<std::uint8_t> b;
  appendLE16(b, 0);
  appendLE16(b, kind);
  appendLE16(b, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (const auto& im : images) {
    const std::uint32_t size = static_cast<std::uint32_t>(im->xorSize() + 40 + im->andSize() + im->paletteSize());
    b.push_back(static_cast<std::uint8_t>(im->width()));
    b.push_back(static_cast<std::uint8_t>(im->height()));
    b.push_back(static_cast<std::uint8_t>(im->bitCount() <= 8 ? 1 << im->bitCount() : 0));
    b.push_back(0);
    appendLE16(b, static_cast<std::uint32_t>(im->hotSpotX));
    appendLE16(b, static_cast<std::uint32_t>(im->hotSpotY));
    appendLE32(b, size);
    appendLE32(b, offset);
    offset += size;
  }
  for (const auto& im : images) {
    appendLE32(b, 40);
    appendLE32(b, static_cast<std::uint32_t>(im->width()));
    appendLE32(b, static_cast<std::uint32_t>(im->height() * 2));
    appendLE16(b, 1);
    appendLE16(b, static_cast<std::uint32_t>(im->bitCount()));
    appendLE32(b, 0);
    appendLE32(b, static_cast<std::uint32_t>(im->xorSize() + im->andSize()));
    for (int i = 0; i < 4; ++i) appendLE32(b, 0);
    for (int c = 0; c < im->colorCount(); ++c)
      b.insert(b.end(), {im->palette[4 * c + 2], im->palette[4 * c + 1], im->palette[4 * c], 0});
    b.insert(b.end(), im->xorBits.begin(), im->xorBits.begin() + im->xorSize());
    b.insert(b.end(), im->andMask.begin(), im->andMask.end());
  }
  stream.write(b.data(), b.size());
}

IcoSaveOptions IcoSaveOptions::keeping(const IcoLoadResult& read) {
  IcoSaveOptions o;
  o.transparentColor = read.transparentColor;
  o.hotSpotX = read.hotSpotX;
  o.hotSpotY = read.hotSpotY;
  return o;
}

bool ICOLoader::canLoad(const std::string& ext) { return ext == "ICO" || ext == "CUR"; }
bool ICOLoader::canSave(const std::string& ext) { return canLoad(ext); }
std::string ICOLoader::getLoadFilter() { return "Windows icon (*.ico)|*.ico|Windows cursor (*.cur)|*.cur"; }

void ICOLoader::loadFromStream(BaseStream& stream, const std::string&, LinearBitmap& bitmap) { load(stream, bitmap); }

void ICOLoader::saveToStream(BaseStream& stream, const std::string& ext, LinearBitmap& bitmap) {
  save(stream, ext, bitmap);
}

IcoLoadResult ICOLoader::load(BaseStream& stream, LinearBitmap& bitmap, const IcoLoadOptions& options) const {
  IconList list;
  list.loadFromStream(stream);
  if (list.count() == 0) throw LinearBitmapError(text::kNoIconsInFile);
  int index = 0;
  IcoLoadResult result;
  result.transparentColor = options.transparentColor;
  if (!options.suppressSelection && selector) {
    std::uint32_t color = options.transparentColor;
    if (!selector(list, index, color)) throw SilentAbort();
    if (index < 0 || index >= list.count()) index = 0;
    result.transparentColor = color;
  }
  const IconImage& img = *list.images[static_cast<std::size_t>(index)];
  if (list.kind == IconList::kCursor) {
    result.hotSpotX = img.hotSpotX;
    result.hotSpotY = img.hotSpotY;
  }
  img.assignTo(bitmap, result.transparentColor);
  return result;
}

void ICOLoader::save(BaseStream& stream, const std::string& ext, const LinearBitmap& bitmap,
                     const IcoSaveOptions& options) const {
  if (bitmap.width() > 255 || bitmap.height() > 255) throw Error(text::kImageTooLargeForIcon);
  const PixelFormat pf = bitmap.pixelFormat();
  if (pf != pf8bit && pf != pf16bit && pf != pf24bit && pf != pf32bit)
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  // pf32bit is taken as pf24bit, pf16bit as grey pf8bit.
  LinearBitmap converted;
  const LinearBitmap* src = &bitmap;
  if (pf == pf32bit || pf == pf16bit) {
    converted.assign(bitmap);
    converted.changePixelFormat(pf == pf32bit ? pf24bit : pf8bit);
    src = &converted;
  }
  const int w = src->width();
  const int h = src->height();
  const std::uint32_t tc = options.transparentColor;
  IconList list;
  list.kind = ext == "ICO" ? IconList::kIcon : IconList::kCursor;
  auto setAnd = [&](IconImage& im, int x, int y) {
    im.andMask[static_cast<std::size_t>((h - 1 - y) * im.andBytesPerLine() + (x >> 3))] |=
        static_cast<std::uint8_t>(0x80 >> (x & 7));
  };
  if (src->pixelFormat() == pf24bit) {
    IconImage& im = list.addImage(w, h, 24);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* s = src->scanLine(y);
      std::uint8_t* o = im.xorBits.data() + (h - 1 - y) * im.xorBytesPerLine();
      for (int x = 0; x < w; ++x) {
        if (colorOf(s[3 * x + 2], s[3 * x + 1], s[3 * x]) == tc) {
          setAnd(im, x, y);
        } else {
          std::memcpy(o + 3 * x, s + 3 * x, 3);
        }
      }
    }
  } else {
    const std::uint8_t* pal = src->palette();
    auto colour = [&](int i) { return colorOf(pal[3 * i + 2], pal[3 * i + 1], pal[3 * i]); };
    int highest = -1;
    bool anyTransparent = false;
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* s = src->scanLine(y);
      for (int x = 0; x < w; ++x) {
        if (colour(s[x]) == tc) {
          anyTransparent = true;
        } else {
          highest = std::max<int>(highest, s[x]);
        }
      }
    }
    int n = std::max(2, highest + 1);
    // A transparent pixel shows the XOR colour on a black entry, so it needs one in range.
    int black = -1;
    if (anyTransparent) {
      for (int i = 0; i < n && black < 0; ++i)
        if (colour(i) == tc || colour(i) == 0) black = i;
      if (black < 0) black = n++;
    }
    IconImage& im = list.addImage(w, h, n > 16 ? 8 : 4);
    for (int i = 0; i < n; ++i) {
      if (i < 256 && colour(i) != tc && i != black) {
        im.palette[4 * i] = pal[3 * i + 2];
        im.palette[4 * i + 1] = pal[3 * i + 1];
        im.palette[4 * i + 2] = pal[3 * i];
      }
      im.palette[4 * i + 3] = 1;
    }
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* s = src->scanLine(y);
      std::uint8_t* o = im.xorBits.data() + (h - 1 - y) * im.xorBytesPerLine();
      for (int x = 0; x < w; ++x) {
        int v = s[x];
        if (colour(v) == tc) {
          setAnd(im, x, y);
          v = black;
        }
        if (im.bitCount() == 8) {
          o[x] = static_cast<std::uint8_t>(v);
        } else {
          o[x >> 1] = static_cast<std::uint8_t>(o[x >> 1] | ((x & 1) ? v : v << 4));
        }
      }
    }
  }
  list.images[0]->hotSpotX = options.hotSpotX;
  list.images[0]->hotSpotY = options.hotSpotY;
  list.saveToStream(stream);
}

ICOLoader& icoLoader() {
  static ICOLoader loader;
  return loader;
}

}  // namespace imagefile
