#include "imagefile/linear_bitmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "imagefile/loaders.h"

namespace imagefile {

namespace {

const std::array<std::uint8_t, 768> kGray = [] {
  std::array<std::uint8_t, 768> p{};
  for (int i = 0; i < 256; ++i) p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = static_cast<std::uint8_t>(i);
  return p;
}();

int pixelSizeOf(PixelFormat f) {
  switch (f) {
    case pf8bit: return 1;
    case pf16bit: return 2;
    case pf24bit: return 3;
    case pf32bit: return 4;
    default: return 0;
  }
}

}  // namespace

const std::uint8_t* grayPalette() { return kGray.data(); }

std::int64_t& mapSizeLimit() {
  static std::int64_t limit = kMaxMapSize;
  return limit;
}

void makeGrayPalette(std::uint8_t* palette, int n) {
  if (n < 2) return;
  for (int i = 0; i < n && i < 256; ++i)
    palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] =
        static_cast<std::uint8_t>(i * 255 / (n - 1));
}

std::string fileExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t sep = fileName.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return std::string();
  std::string ext = fileName.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

LinearBitmap::LinearBitmap() = default;

LinearBitmap::LinearBitmap(const LinearBitmap& source) : AssignObject() { assign(source); }

LinearBitmap::~LinearBitmap() = default;

std::int64_t LinearBitmap::checkSize(int width, int height, PixelFormat format) {
  const int ps = pixelSizeOf(format);
  if (ps == 0) throw LinearBitmapError(text::kUnsupportedPixelFormat);
  if (width < 1 || height < 1) throw LinearBitmapError(text::kInvalidBitmapSize);
  const std::int64_t bpl = static_cast<std::int64_t>(width) * ps;
  // Checked before multiplying: a file's width times its height may not fit 64 bits.
  if (bpl > mapSizeLimit() / height) throw LinearBitmapError(text::kInvalidBitmapSize);
  return bpl * height;
}

void LinearBitmap::allocate(int width, int height, PixelFormat format) {
  const int ps = pixelSizeOf(format);
  const std::int64_t bpl = static_cast<std::int64_t>(width) * ps;
  const std::int64_t size = checkSize(width, height, format);
  map_.reset();
  if (format == pf8bit) {
    if (!palette_) palette_ = std::make_unique<std::uint8_t[]>(768);  // zeroed
  } else {
    palette_.reset();
  }
  // Zeroed, so a loader that stops early leaves black rather than old memory.
  map_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size) + 1);
  info_ = {};
  width_ = width;
  height_ = height;
  pixelFormat_ = format;
  pixelSize_ = ps;
  bytesPerLine_ = bpl;
  size_ = size;
  present_ = true;
}

void LinearBitmap::newImage(int width, int height, PixelFormat format) {
  if (present_ && width == width_ && height == height_ && format == pixelFormat_) {
    info_ = {};
    return;
  }
  allocate(width, height, format);
}

void LinearBitmap::dispose() {
  map_.reset();
  palette_.reset();
  width_ = height_ = 0;
  size_ = 0;
  bytesPerLine_ = 0;
  pixelSize_ = 0;
  pixelFormat_ = pfNone;
  present_ = false;
  info_ = {};
}

void LinearBitmap::takeOver(LinearBitmap& other) {
  if (&other == this) return;
  dispose();
  width_ = other.width_;
  height_ = other.height_;
  pixelFormat_ = other.pixelFormat_;
  bytesPerLine_ = other.bytesPerLine_;
  pixelSize_ = other.pixelSize_;
  size_ = other.size_;
  present_ = other.present_;
  map_ = std::move(other.map_);
  palette_ = std::move(other.palette_);
  info_ = other.info_;
  other.dispose();
}

void LinearBitmap::packRows() {
  const std::int64_t packed = static_cast<std::int64_t>(width_) * pixelSize_;
  if (!present_ || bytesPerLine_ == packed) return;
  auto m = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(packed * height_) + 1);
  for (int y = 0; y < height_; ++y)
    std::memcpy(m.get() + packed * y, map_.get() + bytesPerLine_ * y, static_cast<std::size_t>(packed));
  map_ = std::move(m);
  bytesPerLine_ = packed;
  size_ = packed * height_;
}

void LinearBitmap::clear(std::uint8_t value) {
  if (present_) std::memset(map_.get(), value, static_cast<std::size_t>(size_));
}

void LinearBitmap::clearColor(std::uint32_t color) {
  if (!present_) return;
  if (color == 0) {
    clear(0);
    return;
  }
  const std::uint8_t r = color & 0xFF;
  const std::uint8_t g = (color >> 8) & 0xFF;
  const std::uint8_t b = (color >> 16) & 0xFF;
  if (pixelFormat_ == pf24bit || pixelFormat_ == pf32bit) {
    const int ps = pixelSize_;
    std::uint8_t pixel[4] = {b, g, r, 0};
    std::uint8_t* p = map_.get();
    const std::int64_t n = size_ / ps;
    for (std::int64_t i = 0; i < n; ++i, p += ps) std::memcpy(p, pixel, static_cast<std::size_t>(ps));
    return;
  }
  clear(grayOf(r, g, b));
}

bool LinearBitmap::isGrayScale() const {
  if (!present_) return false;
  switch (pixelFormat_) {
    case pf8bit:
      return std::memcmp(palette_.get(), kGray.data(), 768) == 0;
    case pf16bit:
      return true;
    case pf24bit: {
      const std::uint8_t* p = map_.get();
      for (std::int64_t i = 0; i < size_; i += 3)
        if (p[i] != p[i + 1] || p[i] != p[i + 2]) return false;
      return true;
    }
    default:
      return false;
  }
}

void LinearBitmap::resizeCanvas(int newWidth, int newHeight, std::uint32_t backColor, int x, int y) {
  if (newWidth < 1 || newHeight < 1) {
    dispose();
    return;
  }
  if (!present_) {
    newImage(newWidth, newHeight, pf8bit);
    std::memcpy(palette_.get(), kGray.data(), 768);
    clearColor(backColor);
    return;
  }
  if (newWidth == width_ && newHeight == height_ && x == 0 && y == 0) return;
  LinearBitmap canvas;
  canvas.allocate(newWidth, newHeight, pixelFormat_);
  if (palette_) std::memcpy(canvas.palette_.get(), palette_.get(), 768);
  canvas.clearColor(backColor);
  // Old columns [sx0, sx1) land at x + sx; negative offsets cut the left or top.
  const std::int64_t sx0 = std::max<std::int64_t>(0, -static_cast<std::int64_t>(x));
  const std::int64_t sx1 = std::min<std::int64_t>(width_, static_cast<std::int64_t>(newWidth) - x);
  const std::int64_t sy0 = std::max<std::int64_t>(0, -static_cast<std::int64_t>(y));
  const std::int64_t sy1 = std::min<std::int64_t>(height_, static_cast<std::int64_t>(newHeight) - y);
  if (sx0 < sx1) {
    for (std::int64_t sy = sy0; sy < sy1; ++sy)
      std::memcpy(canvas.scanLine(static_cast<int>(sy + y)) + (sx0 + x) * pixelSize_,
                  scanLine(static_cast<int>(sy)) + sx0 * pixelSize_,
                  static_cast<std::size_t>((sx1 - sx0) * pixelSize_));
  }
  takeOver(canvas);
}

void LinearBitmap::changePixelFormat(PixelFormat format) {
  if (!present_ || format == pixelFormat_) return;
  if (format != pf8bit && format != pf24bit && format != pf32bit)
    throw LinearBitmapError(text::kUnsupportedPixelFormat);
  const std::int64_t pixels = static_cast<std::int64_t>(width_) * height_;
  if (format == pf8bit) {
    if (pixelFormat_ == pf32bit) changePixelFormat(pf24bit);
    LinearBitmap out;
    out.allocate(width_, height_, pf8bit);
    std::uint8_t* d = out.map_.get();
    std::uint8_t* pal = out.palette_.get();
    if (pixelFormat_ == pf24bit) {
      const std::uint8_t* s = map_.get();
      for (std::int64_t i = 0; i < pixels; ++i, s += 3)
        d[i] = static_cast<std::uint8_t>((s[2] & 0xE0) | ((s[1] >> 5) << 2) | (s[0] >> 6));
      for (int i = 0; i < 256; ++i) {
        pal[3 * i + 2] = static_cast<std::uint8_t>(std::lround((i >> 5) * 255.0 / 7));
        pal[3 * i + 1] = static_cast<std::uint8_t>(std::lround(((i >> 2) & 7) * 255.0 / 7));
        pal[3 * i] = static_cast<std::uint8_t>((i & 3) * 85);
      }
    } else {  // pf16bit
      const std::uint8_t* s = map_.get();
      for (std::int64_t i = 0; i < pixels; ++i) d[i] = s[2 * i + 1];
      std::memcpy(pal, kGray.data(), 768);
    }
    takeOver(out);
    return;
  }
  if (format == pf24bit) {
    LinearBitmap out;
    out.allocate(width_, height_, pf24bit);
    std::uint8_t* d = out.map_.get();
    const std::uint8_t* s = map_.get();
    if (pixelFormat_ == pf8bit) {
      const std::uint8_t* pal = palette_.get();
      for (std::int64_t i = 0; i < pixels; ++i, d += 3) std::memcpy(d, pal + 3 * s[i], 3);
    } else if (pixelFormat_ == pf32bit) {
      for (std::int64_t i = 0; i < pixels; ++i, d += 3, s += 4) std::memcpy(d, s, 3);
    } else {  // pf16bit
      for (std::int64_t i = 0; i < pixels; ++i, d += 3) d[0] = d[1] = d[2] = s[2 * i + 1];
    }
    takeOver(out);
    return;
  }
  // pf32bit
  if (pixelFormat_ != pf24bit) changePixelFormat(pf24bit);
  LinearBitmap out;
  out.allocate(width_, height_, pf32bit);
  std::uint8_t* d = out.map_.get();
  const std::uint8_t* s = map_.get();
  for (std::int64_t i = 0; i < pixels; ++i, d += 4, s += 3) {
    std::memcpy(d, s, 3);
    d[3] = 0;
  }
  takeOver(out);
}

BitmapLoader& LinearBitmap::loadFromFile(const std::string& fileName) {
  const std::string ext = fileExtension(fileName);
  BitmapLoader& loader = getLoader(ext);
  dispose();
  loader.loadFromFile(fileName, ext, *this);
  return loader;
}

void LinearBitmap::saveToFile(const std::string& fileName) {
  const std::string ext = fileExtension(fileName);
  getSaver(ext).saveToFile(fileName, ext, *this);
}

void LinearBitmap::loadFromStream(BaseStream& stream, const std::string& ext) {
  std::string e = ext;
  for (char& c : e)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  BitmapLoader& loader = getLoader(e);
  dispose();
  loader.loadFromStream(stream, e, *this);
}

void LinearBitmap::saveToStream(BaseStream& stream, const std::string& ext) {
  std::string e = ext;
  for (char& c : e)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  getSaver(e).saveToStream(stream, e, *this);
}

void LinearBitmap::assign(const AssignObject& source) {
  const auto* other = dynamic_cast<const LinearBitmap*>(&source);
  if (!other) {
    AssignObject::assign(source);
    return;
  }
  if (other == this) return;
  if (!other->present_) {
    dispose();
    return;
  }
  newImage(other->width_, other->height_, other->pixelFormat_);
  if (bytesPerLine_ == other->bytesPerLine_) {
    std::memcpy(map_.get(), other->map_.get(), static_cast<std::size_t>(size_));
  } else {
    const std::size_t row = static_cast<std::size_t>(std::min(bytesPerLine_, other->bytesPerLine_));
    for (int y = 0; y < height_; ++y) std::memcpy(scanLine(y), other->scanLine(y), row);
  }
  if (pixelFormat_ == pf8bit) std::memcpy(palette_.get(), other->palette_.get(), 768);
  info_ = other->info_;
}

void LinearBitmap::assignTo(AssignObject& dest) const {
  if (auto* other = dynamic_cast<LinearBitmap*>(&dest)) {
    other->assign(*this);
    return;
  }
  AssignObject::assignTo(dest);
}

}  // namespace imagefile
