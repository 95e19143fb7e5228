#pragma once
// CRC-32 (PNG chunks, gzip) and Adler-32 (zlib trailer), our own code.
#include <cstddef>
#include <cstdint>
#include <span>

#include "imagefile/streams.h"

namespace imagefile {

// The finished CRC-32 of the bytes, as zlib's crc32(0, data, n) gives it.
std::uint32_t crc32Bytes(std::span<const std::uint8_t> data);
// Continues a running (not complemented) CRC over more bytes; start with 0xFFFFFFFF and
// complement at the end.
std::uint32_t crc32Update(std::uint32_t running, const std::uint8_t* data, std::size_t count);

// The Adler-32 value of the bytes, as zlib's adler32(1, data, n) gives it.
std::uint32_t adler32Bytes(std::span<const std::uint8_t> data);

struct Adler32State {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
};
void adler32Init(Adler32State& state);
void adler32Update(Adler32State& state, const std::uint8_t* data, std::size_t count);
void adler32UpdateByte(Adler32State& state, std::uint8_t byte);
// (b << 16) | a: the checksum value.
std::uint32_t adler32Value(const Adler32State& state);
// The value with its bytes reversed, so that storing it in (little-endian) memory order
// writes the big-endian trailer zlib data needs.
std::uint32_t adler32Result(const Adler32State& state);

// Keeps the CRC-32 of every byte that passes through it (the PNG chunk check).
class CRC32Stream : public FilterStream {
 public:
  explicit CRC32Stream(BaseStream* next);
  void resetCRC() { crc_ = 0xFFFFFFFFu; }
  // The finished CRC of everything since the last reset.
  std::uint32_t getCRC() const { return ~crc_; }
  std::size_t write(const void* buffer, std::size_t count) override;
  void flush() override {}

 protected:
  std::size_t readImpl(void* buffer, std::size_t count, bool strict) override;

 private:
  std::uint32_t crc_ = 0xFFFFFFFFu;
};

}  // namespace imagefile
