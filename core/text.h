#pragma once
// Byte-string helpers with the 1-based semantics the core's routines are written in:
// reading outside 1..length yields the null character, copy/insert/delete clamp.
// Character tests are ASCII-only and never consult the process locale.
#include <string>
#include <string_view>
#include <type_traits>

namespace kolvex {

// The pi sign inside the core (Latin-1 byte); "π" on screen and in files.
inline constexpr char PiZeichen = '\xB6';

inline int Length(std::string_view s) { return static_cast<int>(s.size()); }

inline char At(std::string_view s, int i) {
  return (i >= 1 && i <= static_cast<int>(s.size())) ? s[static_cast<size_t>(i - 1)] : '\0';
}

// Copy(s, index, count): up to count characters from index (1-based); clamps like the original.
inline std::string Copy(std::string_view s, int index, int count) {
  const int n = Length(s);
  if (index < 1) index = 1;
  if (count <= 0 || index > n) return {};
  if (count > n - index + 1) count = n - index + 1;
  return std::string(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

inline void Delete(std::string& s, int index, int count) {
  const int n = Length(s);
  if (index < 1 || index > n || count <= 0) return;
  if (count > n - index + 1) count = n - index + 1;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

// Insert(sub, s, index): sub goes in front of position index; beyond the end it is appended.
inline void Insert(std::string_view sub, std::string& s, int index) {
  const int n = Length(s);
  if (index < 1) index = 1;
  if (index > n + 1) index = n + 1;
  s.insert(static_cast<size_t>(index - 1), sub);
}

// Pos: 1-based position of the first occurrence, 0 if none.
inline int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const size_t p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}
inline int Pos(char c, std::string_view s) {
  const size_t p = s.find(c);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

inline bool IstZiffer(char c) { return c >= '0' && c <= '9'; }
inline bool IstGrossBuchstabe(char c) { return c >= 'A' && c <= 'Z'; }
inline bool IstKleinBuchstabe(char c) { return c >= 'a' && c <= 'z'; }
inline bool IstBuchstabe(char c) { return IstGrossBuchstabe(c) || IstKleinBuchstabe(c); }
inline char UpCase(char c) { return IstKleinBuchstabe(c) ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowCase(char c) { return IstGrossBuchstabe(c) ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpCase(c);
  return r;
}
inline std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowCase(c);
  return r;
}

// Trim: drops control characters and blanks (<= ' ') at both ends, as the runtime's Trim does.
inline std::string Trim(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return std::string(s.substr(a, b - a));
}

// An entry of a file written one entry a line (settings, values, unit categories): a TAB,
// CR or LF inside it becomes a blank, so whatever a user typed or pasted stays one line, and
// one field between the TABs that separate fields. One character for one, so positions stay.
// For byte strings (UTF-8 keeps those three bytes out of its sequences) and for QString alike.
template <class Text>
Text EinzeiligerEintrag(Text text) {
  for (auto& c : text)
    if (c == u'\t' || c == u'\r' || c == u'\n') c = std::remove_reference_t<decltype(c)>(u' ');
  return text;
}

}  // namespace kolvex
