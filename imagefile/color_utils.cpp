#include "imagefile/color_utils.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imagefile/byte_order.h"

namespace imagefile {

int findByte(const std::uint8_t* buffer, std::uint8_t value, int start, int stop) {
  for (int i = start; i < stop; ++i)
    if (buffer[i] == value) return i;
  return -1;
}

std::uint32_t swapDWord(std::uint32_t v) { return __builtin_bswap32(v); }
void swapDWordInPlace(std::uint32_t& v) { v = __builtin_bswap32(v); }

std::uint32_t swapColorRB(std::uint32_t c) {
  return (c & 0xFF00FF00u) | ((c & 0xFF) << 16) | ((c >> 16) & 0xFF);
}

int ensureRange(int value, int min, int max) {
  if (min > value) return min;
  if (max < value) return max;
  return value;
}

int countColors(const LinearBitmap& bitmap) {
  if (!bitmap.present()) return 0;
  const std::uint8_t* p = bitmap.map();
  int n = 0;
  if (bitmap.pixelFormat() == pf24bit) {
    std::vector<std::uint8_t> seen(1u << 21, 0);  // 2^24 bits
    for (std::int64_t i = 0; i + 2 < bitmap.size(); i += 3) {
      const std::uint32_t c = p[i] | (p[i + 1] << 8) | (p[i + 2] << 16);
      std::uint8_t& byte = seen[c >> 3];
      const std::uint8_t bit = static_cast<std::uint8_t>(1u << (c & 7));
      if (!(byte & bit)) {
        byte |= bit;
        ++n;
      }
    }
    return n;
  }
  std::array<bool, 256> seen{};
  for (std::int64_t i = 0; i < bitmap.size(); ++i)
    if (!seen[p[i]]) {
      seen[p[i]] = true;
      ++n;
    }
  return n;
}

void histogram(Histogram& h, const LinearBitmap& bitmap, int channel) {
  h = Histogram{};
  if (!bitmap.present()) return;
  const std::uint8_t* p = bitmap.map();
  const int stride = (channel != 3 && bitmap.pixelFormat() == pf24bit) ? 3 : 1;
  const int start = channel == 3 ? 0 : channel;
  for (std::int64_t i = start; i < bitmap.size(); i += stride) ++h.counts[p[i]];
  h.samples = static_cast<std::uint64_t>(bitmap.size() / stride);
}

void applyLUT(const std::array<std::uint8_t, 256>& table, LinearBitmap& bitmap, int channel) {
  if (!bitmap.present()) return;
  std::uint8_t* p = bitmap.map();
  std::int64_t start = 0;
  int stride = 1;
  if (channel != 3) {
    if (bitmap.pixelFormat() == pf24bit) {
      start = channel;
      stride = 3;
    } else if (bitmap.pixelFormat() != pf8bit) {
      start = channel;
    }
  }
  for (std::int64_t i = start; i < bitmap.size(); i += stride) p[i] = table[p[i]];
}

void convertToGrayInto(const LinearBitmap& source, LinearBitmap& dest) {
  if (source.pixelFormat() != pf24bit) {
    dest.assign(source);
    convertToGray(dest);
    return;
  }
  LinearBitmap out;
  out.newImage(source.width(), source.height(), pf8bit);
  std::memcpy(out.palette(), grayPalette(), 768);
  const std::uint8_t* s = source.map();
  std::uint8_t* d = out.map();
  const std::int64_t pixels = static_cast<std::int64_t>(source.width()) * source.height();
  for (std::int64_t i = 0; i < pixels; ++i, s += 3) d[i] = grayOf(s[2], s[1], s[0]);
  dest.takeOver(out);
}

void convertToGray(LinearBitmap& bitmap) {
  if (!bitmap.present()) return;
  switch (bitmap.pixelFormat()) {
    case pf32bit:
      bitmap.changePixelFormat(pf24bit);
      [[fallthrough]];
    case pf24bit:
      convertToGrayInto(LinearBitmap(bitmap), bitmap);
      return;
    case pf8bit: {
      std::array<std::uint8_t, 256> lut{};
      const std::uint8_t* pal = bitmap.palette();
      for (int i = 0; i < 256; ++i) lut[i] = grayOf(pal[3 * i + 2], pal[3 * i + 1], pal[3 * i]);
      applyLUT(lut, bitmap, 3);
      std::memcpy(bitmap.palette(), grayPalette(), 768);
      return;
    }
    case pf16bit:
      // Grey already; the high bytes are its significant part.
      bitmap.changePixelFormat(pf8bit);
      return;
    default:
      return;
  }
}

ColorMatrix invertColorMatrix(const ColorMatrix& f) {
  const auto& a = f.m;
  const double c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
  const double c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
  const double c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
  const double det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
  ColorMatrix r;
  auto& b = r.m;
  b[0][0] = c00 / det;
  b[1][0] = c01 / det;
  b[2][0] = c02 / det;
  b[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
  b[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
  b[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
  b[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
  b[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
  b[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
  for (int i = 0; i < 3; ++i)
    b[i][3] = -(b[i][0] * a[0][3] + b[i][1] * a[1][3] + b[i][2] * a[2][3]);
  return r;
}

const ColorMatrix& yCbCrToRgbMatrix() {
  static const ColorMatrix m = invertColorMatrix(ColorMatrix{{{{0.299, 0.587, 0.114, 0},
                                                               {-0.16875, -0.33126, 0.5, 127.5},
                                                               {0.5, -0.41869, -0.08131, 127.5}}}});
  return m;
}

const ColorMatrix& yiqToRgbMatrix() {
  static const ColorMatrix m = invertColorMatrix(ColorMatrix{{{{0.299, 0.587, 0.114, 0},
                                                               {0.569, -0.275, -0.321, 127.5},
                                                               {0.212, -0.523, 0.311, 127.5}}}});
  return m;
}

void transformColorsFunc(LinearBitmap& bitmap, const PixelFunction& func, LinearBitmap* dest) {
  if (!bitmap.present() || bitmap.pixelFormat() != pf24bit) return;
  LinearBitmap* target = &bitmap;
  if (dest && dest != &bitmap) {
    dest->assign(bitmap);
    target = dest;
  }
  std::uint8_t* p = target->map();
  const std::int64_t pixels = static_cast<std::int64_t>(target->width()) * target->height();
  for (std::int64_t i = 0; i < pixels; ++i, p += 3) func(p);
}

void transformColors(LinearBitmap& bitmap, const ColorMatrix& matrix, LinearBitmap* dest) {
  const auto& m = matrix.m;
  transformColorsFunc(
      bitmap,
      [&m](std::uint8_t* px) {
        const double r = px[2], g = px[1], b = px[0];
        int out[3];
        for (int row = 0; row < 3; ++row)
          out[row] = ensureRange(static_cast<int>(std::lround(m[row][0] * r + m[row][1] * g +
                                                               m[row][2] * b + m[row][3])),
                                 0, 255);
        px[2] = static_cast<std::uint8_t>(out[0]);
        px[1] = static_cast<std::uint8_t>(out[1]);
        px[0] = static_cast<std::uint8_t>(out[2]);
      },
      dest);
}

void labToRGB(std::uint8_t* px) {
  const double L = px[2] * 100.0 / 255;
  const double a = (px[1] - 127.5) * 200 / 255;
  const double bb = (px[0] - 127.5) * 200 / 255;
  double fy = (L + 16) / 116;
  double Y = fy * fy * fy;
  if (Y <= 0.008856) Y = L / 903.3;
  fy = Y <= 0.008856 ? 7.787 * Y + 16.0 / 116 : std::cbrt(Y);
  const double fx = a / 500 + fy;
  const double fz = fy - bb / 200;
  double X = fx > 0.206893 ? fx * fx * fx : (fx - 16.0 / 116) / 7.787;
  double Z = fz > 0.206893 ? fz * fz * fz : (fz - 16.0 / 116) / 7.787;
  X *= 0.950456;
  Z *= 1.088754;
  const double r = 3.240479 * X - 1.53715 * Y - 0.498535 * Z;
  const double g = -0.969256 * X + 1.875992 * Y + 0.041556 * Z;
  const double b = 0.055648 * X - 0.204043 * Y + 1.057311 * Z;
  px[2] = static_cast<std::uint8_t>(ensureRange(static_cast<int>(std::lround(255 * r)), 0, 255));
  px[1] = static_cast<std::uint8_t>(ensureRange(static_cast<int>(std::lround(255 * g)), 0, 255));
  px[0] = static_cast<std::uint8_t>(ensureRange(static_cast<int>(std::lround(255 * b)), 0, 255));
}

// ---- DynamicList --------------------------------------------------------------------------

DynamicList::DynamicList(int recordSize) : recordSize_(recordSize) {}
DynamicList::~DynamicList() = default;

void DynamicList::setCapacity(int n) {
  if (n < 0) n = 0;
  if (n == capacity_) return;
  data_.resize(static_cast<std::size_t>(n) * recordSize_);
  capacity_ = n;
  count_ = std::min(count_, n);
}

void DynamicList::setCount(int n) {
  if (n > capacity_) setCapacity(n);
  count_ = std::max(0, n);
}

void DynamicList::assign(const AssignObject& source) {
  const auto* other = dynamic_cast<const DynamicList*>(&source);
  if (!other || other->recordSize_ != recordSize_) {
    StreamClass::assign(source);
    return;
  }
  if (other == this) return;
  clear();
  setCapacity(other->count_);
  setCount(other->count_);
  std::memcpy(data_.data(), other->data_.data(), static_cast<std::size_t>(count_) * recordSize_);
}

void DynamicList::saveToStream(BaseStream& stream) const {
  const std::uint32_t n = static_cast<std::uint32_t>(count_);
  std::uint8_t le[4];
  putLE32(le, n);
  stream.write(le, 4);
  stream.write(data_.data(), static_cast<std::size_t>(count_) * recordSize_);
}

void DynamicList::loadFromStream(BaseStream& stream) {
  clear();
  std::uint8_t le[4];
  if (stream.readSome(le, 4) < 4) return;
  const std::uint32_t n = le32(le);
  // The count comes from the file: no more records than the stream can still hold.
  const std::int64_t fit = recordSize_ > 0 ? stream.available() / recordSize_ : 0;
  if (n > 0x7FFFFFFF || static_cast<std::int64_t>(n) > fit)
    throw InOutError(text::kReadLessThanExpected);
  setCount(static_cast<int>(n));
  stream.read(data_.data(), static_cast<std::size_t>(count_) * recordSize_);
}

std::string programFolder() {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  std::string path;
  if (n > 0) {
    path.assign(buf.data(), static_cast<std::size_t>(n));
  } else if (::getcwd(buf.data(), buf.size())) {
    path = std::string(buf.data()) + "/";
  }
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace imagefile
