#include "platform/text_convert.h"

namespace {
constexpr char16_t kPi = u'\u03C0';
constexpr char16_t kPilcrow = u'\u00B6';
}  // namespace

char toCoreChar(QChar c) {
  const char16_t u = c.unicode();
  if (u == kPi || u == kPilcrow) return static_cast<char>(0xB6);
  if (u <= 0xFF) return static_cast<char>(static_cast<unsigned char>(u));
  return '?';
}

std::string toCore(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) out.push_back(toCoreChar(c));
  return out;
}

QChar fromCoreChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b == 0xB6) return QChar(kPi);
  return QChar(static_cast<char16_t>(b));
}

QString fromCore(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) out.append(fromCoreChar(c));
  return out;
}
