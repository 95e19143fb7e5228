#pragma once
// Colours as the settings files and the original framework keep them: a 32-bit value with
// red in the low byte, then green, then blue.
#include <QColor>
#include <QString>
#include <cstdint>

inline QColor colorFromBgr(int32_t bgr) {
  const auto v = static_cast<uint32_t>(bgr);
  return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu),
                static_cast<int>((v >> 16) & 0xFFu));
}

inline int32_t colorToBgr(const QColor& color) {
  const QColor c = color.toRgb();
  return static_cast<int32_t>(static_cast<uint32_t>(c.red()) |
                              (static_cast<uint32_t>(c.green()) << 8) |
                              (static_cast<uint32_t>(c.blue()) << 16));
}

// A colour written as hexadecimal digits of the 0x00BBGGRR value; anything else is black.
inline QColor FarbeAusHex(const QString& hex) {
  bool ok = false;
  const uint v = hex.toUInt(&ok, 16);
  return colorFromBgr(ok ? static_cast<int32_t>(v) : 0);
}
