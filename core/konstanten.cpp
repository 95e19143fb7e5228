#include "core/konstanten.h"

#include <array>
#include <cstdint>

#include "core/auswerter.h"
#include "core/fenster.h"
#include "core/formel.h"
#include "core/funktionen.h"
#include "core/globals.h"
#include "core/routinen.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace kolvex {

namespace {

// The table's names, read once per call: the row of each character, -1 for none.
struct Namen {
  std::array<int16_t, 256> zeile;
};

Namen NamenLesen() {
  Namen n;
  n.zeile.fill(-1);
  n.zeile[static_cast<unsigned char>(PiZeichen)] = 0;
  const int anzahl = Fenster().WerteZeilenAnzahl();
  for (int z = 1; z < anzahl; ++z) {
    const std::string name = Fenster().WerteZelle(0, z);
    for (char c : name) {
      if (c == ' ') continue;
      int16_t& eintrag = n.zeile[static_cast<unsigned char>(c)];
      if (eintrag < 0) eintrag = static_cast<int16_t>(z);
      break;
    }
  }
  return n;
}

bool IstKonstanteIn(const Namen& namen, std::string_view text, int p) {
  const int n = Length(text);
  if (p < 1 || p > n || namen.zeile[static_cast<unsigned char>(At(text, p))] < 0) return false;
  if (At(text, p + 1) == '^') return true;
  return (p == 1 || IstOperatorOderKlammer(At(text, p - 1))) && (p == n || IstOperatorOderKlammer(At(text, p + 1)));
}

long double KonstantenWertIn(const Namen& namen, std::string_view text, int p, char& buchstabe) {
  FehlerCode = 0;
  const char name = At(text, p);
  const int zeile = namen.zeile[static_cast<unsigned char>(name)];
  std::string wert;
  if (zeile == 0) wert = ZahlZuText(0, Pi);
  else if (zeile > 0) wert = OhneLeerzeichen(Fenster().WerteZelle(1, zeile));

  long double zahl = 0;
  if (wert.empty()) {
    buchstabe = name;
  } else if (ZahlWert(wert, zahl)) {
    return zahl;
  } else {
    // A cell with nothing to multiply or divide is not reduced, so "(2)" stays what it is
    // and fails to convert below.
    if (wert.find_first_of("*/") != std::string::npos) {
      wert = MalGeteiltAuswerten(std::move(wert));
      if (wert.empty()) return FehlerWert;
    }
    if (At(wert, 1) == '+') wert.erase(0, 1);
    wert = OhneLeerzeichen(PlusMinusAuswerten(wert));
  }
  if (wert.empty()) {
    FehlerCode = -1;
    return FehlerWert;
  }
  return OperandWert(wert);
}

}  // namespace

bool IstKonstante(std::string_view text, int position) {
  return IstKonstanteIn(NamenLesen(), text, position);
}

long double KonstantenWert(std::string_view text, int position, char& buchstabe) {
  return KonstantenWertIn(NamenLesen(), text, position, buchstabe);
}

std::string KonstantenEinsetzen(std::string text, char& buchstabe) {
  buchstabe = ' ';
  const Namen namen = NamenLesen();
  for (int i = 1;; ++i) {
    bool geaendert = false;
    if (IstKonstanteIn(namen, text, i)) {
      const long double v = KonstantenWertIn(namen, text, i, buchstabe);
      if (FehlerCode != 0) return {};
      buchstabe = ' ';
      text.replace(static_cast<size_t>(i - 1), 1, ZahlZuText(0, v));
      geaendert = true;
    }
    if (Fenster().EscGedrueckt()) return text;
    if (!geaendert && i >= Length(text)) return text;
  }
}

bool EnthaeltVariable(std::string_view text) { return text.find(GrafikVariable) != std::string_view::npos; }

char UnbekannteKonstante(std::string_view text, char grafikVariable) {
  const Namen namen = NamenLesen();
  for (int i = 1; i <= Length(text); ++i) {
    if (IstKonstanteIn(namen, text, i)) {
      char buchstabe = ' ';
      KonstantenWertIn(namen, text, i, buchstabe);
      if (buchstabe != grafikVariable && FehlerCode != 0) return buchstabe;
    }
    if (Fenster().EscGedrueckt()) return ' ';
  }
  return ' ';
}

bool IstZahlMitKonstanten(std::string_view text) {
  try {
    char buchstabe = ' ';
    const std::string ersetzt = KonstantenEinsetzen(std::string(text), buchstabe);
    return !ersetzt.empty() && IstZahl(ersetzt);
  } catch (const Laufzeitfehler&) {
    return false;
  }
}

}  // namespace kolvex
