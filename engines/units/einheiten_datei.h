#pragma once
// Category files of the unit conversion: one row per line, three TAB-separated fields
// (unit 1, unit 2, factor with the decimal comma). Pure code on UTF-8 text without Qt, so
// what comes from outside is read without touching a window (and can be fuzzed).
#include <string>
#include <string_view>
#include <vector>

namespace einheiten {

// One line of a category file, its fields as read (control characters dropped, blanks
// kept).
struct DateiZeile {
  std::string einheit1;
  std::string einheit2;
  std::string faktor;

  // A pair has both units (its factor may still be empty); anything else is a title row.
  bool istPaar() const { return !einheit1.empty() && !einheit2.empty(); }
};

struct Kategorie {
  std::vector<DateiZeile> zeilen;  // never empty: an empty file gives one empty row
  int paare = 0;                   // number of pair rows
};

// The rows of a category file from its lines.
Kategorie KategorieLesen(const std::vector<std::string>& zeilen);

// Column 1 of the conversion grid: " " + unit 1 + " ---> " + unit 2 for a pair (" <--- "
// with invers), " " + unit 1 + unit 2 for anything else.
std::string PaarText(const DateiZeile& zeile, bool invers);

// Column 2 of the conversion grid: the factor as written, or with invers the 15-digit text
// of its reciprocal; empty with invers when the factor is no number or 0 (no reciprocal).
std::string FaktorText(const DateiZeile& zeile, bool invers);

// The line the editor writes for its three cells, a TAB, CR or LF inside a cell made a
// blank; "" when the row is to be dropped (nothing but blanks in its cells).
std::string DateiZeileText(std::string_view einheit1, std::string_view einheit2,
                           std::string_view faktor);

// The category of a folder entry "*.txt" (extension in any letter case): its name up to
// the last "."; false for other entries.
bool KategorieAusDateiName(std::string_view dateiName, std::string& kategorie);

}  // namespace einheiten
