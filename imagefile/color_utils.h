#pragma once
// Colour and memory helpers shared by the format loaders: counting colours, histograms and
// lookup tables, grey and colour-space conversion, byte order and alignment, and a growable
// array of fixed-size records.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "imagefile/linear_bitmap.h"
#include "imagefile/streams.h"

namespace imagefile {

// Index of the first byte equal to value in [start, stop), or -1.
int findByte(const std::uint8_t* buffer, std::uint8_t value, int start, int stop);
std::uint32_t swapDWord(std::uint32_t value);
void swapDWordInPlace(std::uint32_t& value);
// Exchanges the lowest and the third byte of a colour (0x00BBGGRR <-> 0x00RRGGBB).
std::uint32_t swapColorRB(std::uint32_t color);
// min when min > value, else max when max < value, else value.
int ensureRange(int value, int min, int max);
inline std::int64_t dwordAlign(std::int64_t n) { return (n + 3) & ~std::int64_t{3}; }
inline std::int64_t align8(std::int64_t n) { return (n + 7) & ~std::int64_t{7}; }

struct Histogram {
  std::array<std::uint32_t, 256> counts{};
  std::uint64_t samples = 0;
};

// pf24bit: distinct colours; other formats: distinct byte values of the map.
int countColors(const LinearBitmap& bitmap);
// Channel 3: every byte; else the bytes at offset channel with a stride of 3 (pf24bit) or 1.
void histogram(Histogram& h, const LinearBitmap& bitmap, int channel);
void applyLUT(const std::array<std::uint8_t, 256>& table, LinearBitmap& bitmap, int channel);

// pf24bit/pf32bit become pf8bit with the grey palette; pf8bit's palette becomes grey (the
// indices remapped); pf16bit keeps its high bytes as pf8bit grey.
void convertToGray(LinearBitmap& bitmap);
void convertToGrayInto(const LinearBitmap& source, LinearBitmap& dest);

// Three rows of coefficients and an offset.
struct ColorMatrix {
  std::array<std::array<double, 4>, 3> m{};
};
ColorMatrix invertColorMatrix(const ColorMatrix& forward);
// YCbCr -> RGB and YIQ -> RGB (the inverses of the forward matrices).
const ColorMatrix& yCbCrToRgbMatrix();
const ColorMatrix& yiqToRgbMatrix();
// For every pf24bit pixel (R, G, B = bytes 2, 1, 0): the rounded, clamped matrix product.
// dest null (or the source): in place.
void transformColors(LinearBitmap& bitmap, const ColorMatrix& matrix, LinearBitmap* dest = nullptr);
using PixelFunction = std::function<void(std::uint8_t* bgr)>;
void transformColorsFunc(LinearBitmap& bitmap, const PixelFunction& func, LinearBitmap* dest = nullptr);
// One pixel whose bytes 2, 1, 0 hold L, a, b, converted to B, G, R in place.
void labToRGB(std::uint8_t* pixel);

// A growable array of records of one size, saved as a 32-bit count and the records.
class DynamicList : public StreamClass {
 public:
  explicit DynamicList(int recordSize);
  ~DynamicList() override;
  const char* className() const override { return "TDynamicList"; }
  int count() const { return count_; }
  int capacity() const { return capacity_; }
  int recordSize() const { return recordSize_; }
  std::uint8_t* data() { return data_.data(); }
  const std::uint8_t* data() const { return data_.data(); }
  std::uint8_t* record(int i) { return data_.data() + static_cast<std::size_t>(i) * recordSize_; }
  void setCapacity(int n);
  void setCount(int n);
  void clear() { setCapacity(0); }
  void pack() { setCapacity(count_); }
  void assign(const AssignObject& source) override;
  void saveToStream(BaseStream& stream) const override;
  void loadFromStream(BaseStream& stream) override;

 private:
  int recordSize_;
  int capacity_ = 0;
  int count_ = 0;
  std::vector<std::uint8_t> data_;
};

// The program's folder with a trailing "/" (of /proc/self/exe; the working folder when that
// cannot be read).
std::string programFolder();

}  // namespace imagefile
