#pragma once
// Measurement fixtures built byte by byte: records of every type and ".DAT" header lines.
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace messdaten {

inline std::string Le(uint64_t bits, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  return s;
}

inline std::string R32(std::initializer_list<float> werte) {
  std::string s;
  for (float v : werte) s += Le(std::bit_cast<uint32_t>(v), 4);
  return s;
}

inline std::string R64(std::initializer_list<double> werte, bool grossesEnde = false) {
  std::string s;
  for (double v : werte) {
    std::string b = Le(std::bit_cast<uint64_t>(v), 8);
    if (grossesEnde) b = std::string(b.rbegin(), b.rend());
    s += b;
  }
  return s;
}

// A 6-byte real for a value it holds exactly (40 significant bits or fewer).
inline std::string R48Satz(double v) {
  if (v == 0) return std::string(6, '\0');
  int ex = 0;
  const double frac = std::frexp(std::fabs(v), &ex);           // [0.5, 1)
  const auto mant = static_cast<uint64_t>(std::ldexp(frac, 40));  // 1 f (40 bits)
  const uint64_t f = mant & ((uint64_t{1} << 39) - 1);
  std::string s;
  s.push_back(static_cast<char>(ex - 1 + 129));
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((f >> (8 * i)) & 0xFF));
  s.push_back(static_cast<char>(((f >> 32) & 0x7F) | (v < 0 ? 0x80 : 0)));
  return s;
}

inline std::string R48(std::initializer_list<double> werte) {
  std::string s;
  for (double v : werte) s += R48Satz(v);
  return s;
}

// ".DAT" lines of one channel.
struct Kanal {
  Kanal(std::string n, int64_t a, bool i = false, std::string s = "0", std::string b = "")
      : name(std::move(n)), anzahl(a), implizit(i), start(std::move(s)), beschreibung(std::move(b)) {}
  std::string name;
  int64_t anzahl = 0;
  bool implizit = false;
  std::string start;
  std::string beschreibung;
};

inline std::vector<std::string> DatKopf(const std::vector<Kanal>& kanaele, const std::string& typ = "REAL64",
                                        bool block = false, const std::string& zweiteZeile = "#BEGINGLOBALHEADER") {
  std::vector<std::string> z = {"DIAEXTENDED  {@:ENGLISH", zweiteZeile, "1,DOS", "102,Versuch 3",
                                "106,Pruefstand", "#ENDGLOBALHEADER"};
  for (const Kanal& k : kanaele) {
    z.push_back("#BEGINCHANNELHEADER");
    z.push_back("200," + k.name);
    z.push_back("201," + k.beschreibung);
    z.push_back(std::string("210,") + (k.implizit ? "IMPLICIT" : "EXPLICIT"));
    if (block) z.push_back("213,BLOCK");
    z.push_back("214," + typ);
    z.push_back("220," + std::to_string(k.anzahl));
    if (k.implizit) z.push_back("240," + k.start);
    z.push_back("#ENDCHANNELHEADER");
  }
  return z;
}

}  // namespace messdaten
