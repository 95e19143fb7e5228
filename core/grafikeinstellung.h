#pragma once
// The data graph's settings file ("EinstellungGr.txx" or a "*.ttx" copy), read from its
// lines: six empty lines, 20 colours, 20 point style, 20 line style and 20 width texts, three
// switches "TRUE"/"FALSE", the point size and the axis increment, an empty line and the
// folder of the last picture. Reading stops at the first line that is missing or not a
// number where one is needed; what came before it counts. Texts are taken as they stand
// (any bytes; the caller decides their encoding).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

struct GrafikEinstellungDaten {
  // Values in file order; `gelesen` says how many of them the file held: the colours are
  // 1..20, the texts 21..80 (point style, line style, width of curves 1..20), the three
  // switches 81..83, point size 84 and increment 85.
  static constexpr int kFarbenBis = 20;
  static constexpr int kTexteBis = 80;
  static constexpr int kSchalterBis = 83;
  static constexpr int kAlle = 85;

  std::array<int32_t, 21> farben{};       // 1..20
  std::array<std::string, 61> texte{};    // 1..60
  std::array<bool, 3> schalter{};         // connect points, fill, outline
  int32_t punktGroesse = 0;               // 0..15
  int32_t increment = 1;                  // 1..10 (tenths)
  std::optional<std::string> diagrammPfad;  // line 93, when the file has it
  int gelesen = 0;

  // The first line that is missing or not a number (1-based), 0 when the file is sound;
  // fehlt: the file ended before it.
  int fehlerZeile = 0;
  bool fehlt = false;
  std::string fehlerText;
};

GrafikEinstellungDaten GrafikEinstellungLesen(const std::vector<std::string>& zeilen);

// A whole number as the settings files write it: an optional sign and decimal digits,
// blanks around allowed, within 32 bits.
bool GanzzahlAusZeile(std::string_view text, int32_t& wert);

}  // namespace kolvex
