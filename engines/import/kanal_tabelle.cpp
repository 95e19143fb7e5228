#include "engines/import/kanal_tabelle.h"

#include <cmath>
#include <limits>

#include "core/zahltext.h"

namespace kolvex {

int32_t KanalAnzahl = 0;
std::array<std::string, 41> KanalName;
std::array<std::string, 41> KanalBeschreibung;
std::array<std::string, 41> KanalMonotonie;
std::vector<int64_t> KanalWerteAnzahl;
std::vector<std::string> StartWerte;
bool BlockFormat = false;
int64_t TDMZeilen = 0;
std::vector<double> Messwerte;

int64_t WerteAnzahl(int kanal) {
  if (kanal < 0 || static_cast<size_t>(kanal) >= KanalWerteAnzahl.size()) return 0;
  return KanalWerteAnzahl[static_cast<size_t>(kanal)];
}

void WerteAnzahlSetzen(int kanal, int64_t anzahl) {
  if (kanal < 0) return;
  if (static_cast<size_t>(kanal) >= KanalWerteAnzahl.size())
    KanalWerteAnzahl.resize(static_cast<size_t>(kanal) + 1, 0);
  KanalWerteAnzahl[static_cast<size_t>(kanal)] = anzahl;
}

int64_t AnzahlAusText(std::string_view text) {
  long double v = 0;
  if (!TextZuZahlStreng(text, v) || std::isnan(v)) return 0;
  v = std::nearbyint(v);
  // 2^63 is the first value above the range; every long double below it converts exactly.
  constexpr long double kGrenze = 9223372036854775808.0L;
  if (v >= kGrenze) return std::numeric_limits<int64_t>::max();
  if (v <= -kGrenze) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

int64_t AnzahlSumme(int64_t a, int64_t b) {
  int64_t summe = 0;
  if (__builtin_add_overflow(a, b, &summe)) return std::numeric_limits<int64_t>::max();
  return summe;
}

int64_t AnzahlProdukt(int64_t a, int64_t b) {
  int64_t produkt = 0;
  if (__builtin_mul_overflow(a, b, &produkt)) return std::numeric_limits<int64_t>::max();
  return produkt;
}

bool IstImplizit(int kanal) {
  return kanal >= 1 && kanal <= MaxKanaele && KanalMonotonie[static_cast<size_t>(kanal)] == Implizit;
}

int ImpliziteBis(int bisKanal) {
  int n = 0;
  for (int k = 1; k <= bisKanal && k <= MaxKanaele; ++k) n += IstImplizit(k) ? 1 : 0;
  return n;
}

}  // namespace kolvex
