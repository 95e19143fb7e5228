#pragma once
// Number text shared by the savings and loan calculators and their engines.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace finanz {

// The calculators' own field conversion: every "." dropped (thousands separators), every ","
// read as the decimal point, then the core's strict parser; a text that is not a number reads
// as 0. So "3.5" typed into a field reads 35.
long double FeldTextZuZahl(std::string_view text);
// The same, rounded to an integer (halves to even).
int32_t FeldTextZuGanzzahl(std::string_view text);

// Money format "12.345,67" (two decimals) and the grouped whole number "1.234".
std::string Geld(long double x);
std::string GanzGeld(long double x);

// An interest period chosen by its text; no choice (or an unknown text) is Keine.
enum class Periode { Monatlich, Vierteljaehrlich, Halbjaehrlich, Jaehrlich, Keine };
Periode PeriodeAus(std::string_view text);

// Months of an interval chosen by its text: "monatlich" 1, "vierteljährlich" 3,
// "halbjährlich" 6; anything else (also "jährlich" and no choice) 12.
int IntervallMonate(std::string_view text);

// Months of each year of a period of n units: "Jahre" gives n years of 12 months; any other
// unit gives one year of n months for n <= 12, else n div 12 + 1 years of 12 months, the last
// with n mod 12 months (possibly 0).
struct Jahresaufteilung {
  int jahre = 0;
  int letzteMonate = 12;
  int Monate(int jahr) const { return jahr == jahre ? letzteMonate : 12; }  // jahr 1-based
};
Jahresaufteilung JahreAufteilen(int n, std::string_view einheit);

// Asked once per pass of a search; true ends the search as ESC does. A pass over a long
// duration asks it also every kJahreJeAbfrage simulated years, so that ESC ends a single
// pass (the one of a schedule, too) that would otherwise run for minutes.
using Abbruch = std::function<bool()>;
inline constexpr int kJahreJeAbfrage = 1000;

// A search that cannot meet its target ends after this many passes, as if ESC were pressed.
inline constexpr long kMaxDurchlaeufe = 10'000'000;

}  // namespace finanz
