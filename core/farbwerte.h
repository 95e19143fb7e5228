#pragma once
// Colour values as the settings files keep them (0x00BBGGRR) and the silver rule: silver is
// never stored as such, since the framework's colour dialog reserved it.
#include <cstdint>

namespace kolvex {

inline constexpr int32_t FarbeSilber = 0xC0C0C0;
inline constexpr int32_t FarbeSilberErsatz = 0xC0C0C1;  // silver as it is stored

// Silver (C0C0C0) becomes C0C0C1; every other colour stays.
constexpr int32_t SilberErsetzen(int32_t farbe) { return farbe == FarbeSilber ? FarbeSilberErsatz : farbe; }

}  // namespace kolvex
