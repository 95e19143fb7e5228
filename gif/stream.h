#pragma once
// The small byte-stream interface the file model reads and writes through, a memory
// implementation, and the byte, sub-block and bit helpers every item of a GIF file shares.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gif {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads up to n bytes; returns how many were read (0 at the end).
  virtual size_t read(void* buffer, size_t n) = 0;
  // Writes all n bytes or throws GifStreamError.
  virtual void write(const void* buffer, size_t n) = 0;
  virtual int64_t position() const = 0;
  virtual void seek(int64_t position) = 0;
  virtual int64_t size() const = 0;
};

// Reads from bytes it does not own (the caller keeps them alive); writing is refused.
class MemoryReader : public ByteStream {
 public:
  MemoryReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t read(void* buffer, size_t n) override;
  void write(const void* buffer, size_t n) override;
  int64_t position() const override { return static_cast<int64_t>(pos_); }
  void seek(int64_t position) override;
  int64_t size() const override { return static_cast<int64_t>(size_); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A growable stream in memory that owns its bytes.
class MemoryStream : public ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  size_t read(void* buffer, size_t n) override;
  void write(const void* buffer, size_t n) override;
  int64_t position() const override { return static_cast<int64_t>(pos_); }
  void seek(int64_t position) override;
  int64_t size() const override { return static_cast<int64_t>(bytes_.size()); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t> takeBytes() { pos_ = 0; return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

// One byte; false when nothing could be read.
bool tryReadByte(ByteStream& s, uint8_t& value);
// One byte, 0 when nothing could be read.
uint8_t readByte(ByteStream& s);
void writeByte(ByteStream& s, uint8_t value);
// Exactly n bytes, else "Premature end of data".
void readExact(ByteStream& s, void* buffer, size_t n);
// Steps back over one byte; callers only do so after a byte was really read.
void stepBack(ByteStream& s);
// Skips n bytes forward, never past the end.
void skipBytes(ByteStream& s, int64_t n);
uint16_t readWord(ByteStream& s);  // little-endian, exact

// Every string cut into sub-blocks of at most 255 bytes, then one zero byte.
void writeSubBlockStrings(ByteStream& s, const std::vector<std::string>& lines);
// Clears the list; every sub-block up to a zero length (or the end) becomes one string.
void readSubBlockStrings(ByteStream& s, std::vector<std::string>& lines);
// Skips sub-blocks through the zero-length terminator (or the end of the stream).
void skipSubBlocks(ByteStream& s);

// ((width * bits + alignment - 1) rounded down to a multiple of alignment) / 8.
int64_t bytesPerRow(int bits, int64_t width, int alignment);
// 0 for 0 colours, 1 for 1 or 2, else the least k with 2^k >= count.
int bitsForColors(int count);

// Colour values keep red in the low byte, then green, then blue.
using ColorValue = uint32_t;
constexpr ColorValue makeColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<ColorValue>(r) | (static_cast<ColorValue>(g) << 8) | (static_cast<ColorValue>(b) << 16);
}
constexpr uint8_t colorRed(ColorValue c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t colorGreen(ColorValue c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t colorBlue(ColorValue c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

// The 216-colour web palette: index r*36 + g*6 + b, each level * 51.
std::vector<ColorValue> webPalette();

}  // namespace gif
