#pragma once
// The four unit categories the program brings along. Texts are UTF-8 and keep their blanks
// exactly as the grid shows them (from-texts end, to-texts begin with a blank, with a few
// exceptions that users of old files will recognise). No Qt, so the data can be checked on
// its own.
#include <span>
#include <string>
#include <string_view>

namespace einheiten {

// A pair row converts a value in `von` into `nach` by multiplying with `faktor`; a title
// row has only `von` (nach == nullptr) and no factor.
struct TabellenZeile {
  const char* von;
  const char* nach;
  double faktor;

  bool istTitel() const { return nach == nullptr; }
};

struct EingebauteTabelle {
  const char* name;
  std::span<const TabellenZeile> zeilen;
};

// In the order the names are compared in (the first exact match wins).
std::span<const EingebauteTabelle> EingebauteTabellen();

// The table of exactly that name (case and blanks count), or nullptr.
const EingebauteTabelle* EingebauteTabelleSuchen(std::string_view name);

// Factor text of a built-in pair: the 15-digit float text of f, or with invers of 1/f
// computed in extended precision and rounded to a double first (so 1/(1/3) shows "3").
std::string EingebauterFaktorText(double faktor, bool invers);

}  // namespace einheiten
