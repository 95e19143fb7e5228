#pragma once
// A stand-in for the main window and the values table while the evaluator is tested, and
// the calculation driver's sequence of core calls, so tests can check whole calculations.
#include <array>
#include <string>
#include <vector>

#include "core/auswerter.h"
#include "core/fenster.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/konstanten.h"
#include "core/routinen.h"
#include "core/zahltext.h"

namespace kolvex::test {

class FakeFenster : public KernFenster {
 public:
  FakeFenster() {
    for (int z = 1; z <= 52; ++z) namen[static_cast<size_t>(z)] = std::string(1, NameDerZeile(z));
    KernFensterSetzen(this);
    FehlerCode = 0;
    FehlerFlag = false;
    StillModus = false;
  }
  ~FakeFenster() override {
    KernFensterSetzen(nullptr);
    StillModus = false;
  }
  FakeFenster(const FakeFenster&) = delete;
  FakeFenster& operator=(const FakeFenster&) = delete;

  static char NameDerZeile(int z) {
    return z <= 26 ? static_cast<char>('a' + z - 1) : static_cast<char>('A' + z - 27);
  }
  void Wert(char name, const std::string& wert) {
    for (int z = 1; z <= 52; ++z)
      if (NameDerZeile(z) == name) werte[static_cast<size_t>(z)] = wert;
  }

  void lbESCLeeren() override { ++lbESCGeleert; }
  void edErgebnisLeeren() override { ++ergebnisGeleert; }
  void TastenFarbeZuruecksetzen() override { ++tastenZurueckgesetzt; }
  void ed1CaretSetzen(int selStart) override { caret = selStart; }
  bool RadModus() override { return rad; }
  int WerteZeilenAnzahl() override { return 53; }
  std::string WerteZelle(int spalte, int zeile) override {
    if (zeile < 0 || zeile > 52) return {};
    return spalte == 0 ? namen[static_cast<size_t>(zeile)] : spalte == 1 ? werte[static_cast<size_t>(zeile)] : "";
  }
  Antwort Meldung(const std::string& text, MeldungsArt, MeldungsKnoepfe) override {
    meldungen.push_back(text);
    return Antwort::Ok;
  }
  bool EscGedrueckt() override {
    ++escAbfragen;
    if (escNach >= 0 && escAbfragen > escNach) return true;
    return false;
  }

  std::array<std::string, 53> namen{};
  std::array<std::string, 53> werte{};
  std::vector<std::string> meldungen;
  int caret = -1;
  bool rad = false;
  int escNach = -1;  // polls answered "not pressed" before ESC counts as down; -1 never
  int escAbfragen = 0;
  int lbESCGeleert = 0;
  int ergebnisGeleert = 0;
  int tastenZurueckgesetzt = 0;
};

// The core calls of a calculation in the order the calculation driver makes them; returns
// the final text, or "Error" (also for a syntax fault, a missing value or an exception).
inline std::string Rechnen(const std::string& eingabe, bool still = false) {
  FehlerCode = 0;
  const std::string f = OhneLeerzeichen(eingabe);
  const std::string geprueft = KlammernEinfuegen(f);
  if (f.empty() || FehlendesOperatorPos(geprueft) != 0 || FormelPruefen(geprueft) != 0 ||
      LeereKlammerPos(geprueft) != 0)
    return "Error";
  try {
    char buchstabe = ' ';
    std::string w = KonstantenEinsetzen(f, buchstabe);
    if (buchstabe != ' ') return "Error";
    if (w != f) w = VorzeichenZusammenfassen(std::move(w));
    w = KlammernEinfuegen(std::move(w));
    FehlerFlag = false;
    FunktionenPruefen(w, still);
    if (FehlerFlag) return "Error";
    const AuswertungsEnde ende = AuswertungLaufen(w);
    if (ende == AuswertungsEnde::Fehler || ende == AuswertungsEnde::FehlerMalGeteilt) return "Error";
    if (w.empty() || FehlerCode != 0 || !IstZahl(w)) return "Error";
    return w;
  } catch (const std::exception&) {
    return "Error";
  }
}

}  // namespace kolvex::test
