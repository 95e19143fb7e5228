#include "engines/import/kanal_tabelle.h"

namespace kolvex {

int32_t KanalAnzahl = 0;
std::array<std::string, 41> KanalName;
std::array<std::string, 41> KanalBeschreibung;
std::array<std::string, 41> KanalMonotonie;
std::vector<int32_t> KanalWerteAnzahl;
std::vector<std::string> StartWerte;
bool BlockFormat = false;
int32_t TDMZeilen = 0;
std::vector<double> Messwerte;

int32_t WerteAnzahl(int kanal) {
  if (kanal < 0 || static_cast<size_t>(kanal) >= KanalWerteAnzahl.size()) return 0;
  return KanalWerteAnzahl[static_cast<size_t>(kanal)];
}

void WerteAnzahlSetzen(int kanal, int32_t anzahl) {
  if (kanal < 0) return;
  if (static_cast<size_t>(kanal) >= KanalWerteAnzahl.size())
    KanalWerteAnzahl.resize(static_cast<size_t>(kanal) + 1, 0);
  KanalWerteAnzahl[static_cast<size_t>(kanal)] = anzahl;
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
