#include "imagefile/checksums.h"

#include <array>
#include <bit>
#include <cstring>

namespace imagefile {

namespace {

// Sixteen tables: the first is the classic byte table of the reflected polynomial
// 0xEDB88320; table k advances a byte that lies k positions further back, so sixteen bytes
// are folded in per step with results identical to the byte-wise loop.
constexpr std::array<std::array<std::uint32_t, 256>, 16> makeCrcTables() {
  std::array<std::array<std::uint32_t, 256>, 16> t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (std::uint32_t n = 0; n < 256; ++n)
    for (int k = 1; k < 16; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
  return t;
}

constexpr auto kCrc = makeCrcTables();

constexpr std::uint32_t kAdlerBase = 65521;
// Largest n for which 255 n (n + 1) / 2 + (n + 1) (kAdlerBase - 1) stays below 2^32: so many
// bytes can be summed before the sums must be reduced.
constexpr std::size_t kAdlerRun = 5552;

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  auto word = [](const std::uint8_t* q) {
    std::uint32_t w;
    std::memcpy(&w, q, 4);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap32(w);
    return w;
  };
  while (n >= 16) {
    const std::uint32_t a = word(p) ^ crc;
    const std::uint32_t b = word(p + 4);
    const std::uint32_t c = word(p + 8);
    const std::uint32_t d = word(p + 12);
    crc = kCrc[15][a & 0xFF] ^ kCrc[14][(a >> 8) & 0xFF] ^ kCrc[13][(a >> 16) & 0xFF] ^
          kCrc[12][a >> 24] ^ kCrc[11][b & 0xFF] ^ kCrc[10][(b >> 8) & 0xFF] ^
          kCrc[9][(b >> 16) & 0xFF] ^ kCrc[8][b >> 24] ^ kCrc[7][c & 0xFF] ^
          kCrc[6][(c >> 8) & 0xFF] ^ kCrc[5][(c >> 16) & 0xFF] ^ kCrc[4][c >> 24] ^
          kCrc[3][d & 0xFF] ^ kCrc[2][(d >> 8) & 0xFF] ^ kCrc[1][(d >> 16) & 0xFF] ^
          kCrc[0][d >> 24];
    p += 16;
    n -= 16;
  }
  while (n--) crc = kCrc[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

std::uint32_t crc32Bytes(std::span<const std::uint8_t> data) {
  return ~crc32Update(0xFFFFFFFFu, data.data(), data.size());
}

void adler32Init(Adler32State& s) {
  s.a = 1;
  s.b = 0;
}

void adler32Update(Adler32State& s, const std::uint8_t* p, std::size_t n) {
  std::uint32_t a = s.a;
  std::uint32_t b = s.b;
  while (n > 0) {
    std::size_t run = n < kAdlerRun ? n : kAdlerRun;
    n -= run;
    while (run >= 8) {
      a += p[0]; b += a;
      a += p[1]; b += a;
      a += p[2]; b += a;
      a += p[3]; b += a;
      a += p[4]; b += a;
      a += p[5]; b += a;
      a += p[6]; b += a;
      a += p[7]; b += a;
      p += 8;
      run -= 8;
    }
    while (run--) {
      a += *p++;
      b += a;
    }
    a %= kAdlerBase;
    b %= kAdlerBase;
  }
  s.a = a;
  s.b = b;
}

void adler32UpdateByte(Adler32State& s, std::uint8_t byte) {
  s.a += byte;
  if (s.a >= kAdlerBase) s.a -= kAdlerBase;
  s.b += s.a;
  if (s.b >= kAdlerBase) s.b -= kAdlerBase;
}

std::uint32_t adler32Value(const Adler32State& s) { return (s.b << 16) | s.a; }

std::uint32_t adler32Result(const Adler32State& s) { return __builtin_bswap32(adler32Value(s)); }

std::uint32_t adler32Bytes(std::span<const std::uint8_t> data) {
  Adler32State s;
  adler32Update(s, data.data(), data.size());
  return adler32Value(s);
}

CRC32Stream::CRC32Stream(BaseStream* next) : FilterStream(next) {
  canRead_ = next->canRead();
  canWrite_ = next->canWrite();
}

std::size_t CRC32Stream::write(const void* buffer, std::size_t count) {
  crc_ = crc32Update(crc_, static_cast<const std::uint8_t*>(buffer), count);
  return next_->write(buffer, count);
}

std::size_t CRC32Stream::readImpl(void* buffer, std::size_t count, bool strict) {
  const std::size_t n = readNext(buffer, count, strict);
  crc_ = crc32Update(crc_, static_cast<const std::uint8_t*>(buffer), n);
  return n;
}

}  // namespace imagefile
