#pragma once
// Constants of the Deflate format (RFC 1951) that the compressor and the decompressor share.
#include <array>
#include <cstddef>
#include <cstdint>

namespace imagefile::deflate_tables {

inline constexpr std::size_t kWindow = 65536;

// The order in which a dynamic block header lists the code-length code's lengths.
inline constexpr std::array<std::uint8_t, 19> kLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                              11, 4, 12, 3, 13, 2, 14, 1, 15};
// Length symbols 257..285: base length and extra bits.
inline constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11, 13,
                                                              15, 17, 19, 23, 27, 31, 35, 43, 51, 59,
                                                              67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// Code lengths of the fixed literal/length code.
inline void fixedLengths(std::uint8_t* lit) {
  for (int i = 0; i < 144; ++i) lit[i] = 8;
  for (int i = 144; i < 256; ++i) lit[i] = 9;
  for (int i = 256; i < 280; ++i) lit[i] = 7;
  for (int i = 280; i < 288; ++i) lit[i] = 8;
}

}  // namespace imagefile::deflate_tables
