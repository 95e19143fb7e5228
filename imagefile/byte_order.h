#pragma once
// Fields of the picture formats in their byte order: little-endian (BMP, ICO, PCX, metafiles,
// GIF) and big-endian (PNG, HIPS reals), read from and written to bytes. Header-only, so the
// GIF file model uses it without linking the library.
#include <cstdint>
#include <vector>

namespace imagefile {

constexpr std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
constexpr std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
constexpr std::int16_t sle16(const std::uint8_t* p) { return static_cast<std::int16_t>(le16(p)); }
constexpr std::int32_t sle32(const std::uint8_t* p) { return static_cast<std::int32_t>(le32(p)); }
constexpr std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The writers keep the value's low 16 or 32 bits.
constexpr void putLE16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void putLE32(std::uint8_t* p, std::uint32_t v) {
  putLE16(p, v);
  putLE16(p + 2, v >> 16);
}
constexpr void putBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

inline void appendLE16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void appendLE32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  appendLE16(b, v);
  appendLE16(b, v >> 16);
}

}  // namespace imagefile
