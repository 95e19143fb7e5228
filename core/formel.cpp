#include "core/formel.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "core/auswerter.h"
#include "core/fenster.h"
#include "core/funktionen.h"
#include "core/globals.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace kolvex {

namespace {

constexpr std::array<std::string_view, 13> WinkelNamen = {
    "SIN", "COS", "TAN", "CTAN", "ASIN", "ACOS", "ATAN", "SINH", "COSH", "TANH", "ASINH", "ACOSH", "ATANH"};

// Upper-cases name into puffer; false when it is longer than any function name.
bool GrossKopieren(std::string_view name, char (&puffer)[5], size_t& laenge) {
  if (name.size() > 5) return false;
  laenge = name.size();
  for (size_t i = 0; i < laenge; ++i) puffer[i] = UpCase(name[i]);
  return true;
}

bool IstWinkelName(std::string_view gross) {
  for (std::string_view n : WinkelNamen)
    if (n == gross) return true;
  return false;
}

bool IstFunktionGross(std::string_view gross) {
  return gross == "^" || gross == "LOG" || gross == "LN" || gross == "EXP" || IstWinkelName(gross);
}

// A parenthesis in front of position (1-based; one past the end appends).
void EinfuegenBei(std::string& s, int position, char c) {
  s.insert(s.begin() + std::min<std::ptrdiff_t>(position - 1, static_cast<std::ptrdiff_t>(s.size())), c);
}

// One scan of KlammernEinfuegen; true when it inserted anything. The scan leaves out the
// last character on purpose: a name there has no argument to wrap.
bool KlammernScan(std::string& s) {
  bool geaendert = false;
  // The name collected so far, upper-cased. Only its first five characters matter: a
  // longer run can no longer become a function name until it is cleared.
  char puffer[5];
  size_t pufferLaenge = 0;
  for (int i = 1; i < Length(s); ++i) {
    const char vor = At(s, i - 1);
    // "^" is a name of its own whatever stands in front: x^2 must become (x)^(2).
    if (IstOperatorOderKlammer(vor) || IstZifferOderKomma(vor) || At(s, i) == '^') pufferLaenge = 0;
    if (pufferLaenge < 5) puffer[pufferLaenge] = UpCase(At(s, i));
    if (pufferLaenge <= 5) ++pufferLaenge;
    if (pufferLaenge > 5) continue;
    // Every name ends in one of these; the others cannot complete one.
    const char ende = puffer[pufferLaenge - 1];
    if (ende != 'N' && ende != 'S' && ende != 'G' && ende != 'P' && ende != 'H' && ende != '^') continue;
    const std::string_view name(puffer, pufferLaenge);
    if (!IstFunktionGross(name) || UpCase(At(s, i + 1)) == 'H') continue;

    if (name == "^") {
      if (At(s, i + 1) != '(') {
        EinfuegenBei(s, i + 1, '(');
        int k = i + 2;
        while (IstZifferOderKomma(At(s, k))) ++k;
        EinfuegenBei(s, k, ')');
        geaendert = true;
      }
      if (At(s, i - 1) != ')') {
        EinfuegenBei(s, i, ')');
        int j = i - 1;
        while (j > 1 && IstZifferOderKomma(At(s, j))) --j;
        EinfuegenBei(s, j <= 1 ? 1 : j + 1, '(');
        geaendert = true;
      }
    } else if (At(s, i + 1) != '(') {
      EinfuegenBei(s, i + 1, '(');
      int k = i + 2;
      if (IstPlusMinus(At(s, k))) ++k;
      while (IstZifferOderKomma(At(s, k))) ++k;
      EinfuegenBei(s, k, ')');
      geaendert = true;
    }
  }
  return geaendert;
}

// The characters of text[von..bis] (1-based, inclusive) without parentheses, upper-cased,
// compared with a name of at most three letters.
bool NameOhneKlammernIst(std::string_view s, int von, int bis, std::string_view name) {
  size_t n = 0;
  for (int i = von; i <= bis; ++i) {
    const char c = At(s, i);
    if (IstKlammer(c)) continue;
    if (n >= name.size() || UpCase(c) != name[n]) return false;
    ++n;
  }
  return n == name.size();
}

bool NameOhneKlammernIstFunktionFuerLeer(std::string_view s, int von, int bis) {
  char puffer[5];
  size_t n = 0;
  for (int i = von; i <= bis; ++i) {
    const char c = At(s, i);
    if (IstKlammer(c)) continue;
    if (n >= 5) return false;
    puffer[n++] = UpCase(c);
  }
  const std::string_view name(puffer, n);
  return IstWinkelName(name) || name == "LOG" || name == "LN" || name == "EXP";
}

}  // namespace

bool IstFunktionsEndbuchstabe(char c) {
  const char g = UpCase(c);
  return g == 'N' || g == 'S' || g == 'G' || g == 'P' || g == '^';
}

bool IstWinkelFunktion(std::string_view name) {
  char puffer[5];
  size_t n = 0;
  return GrossKopieren(name, puffer, n) && IstWinkelName(std::string_view(puffer, n));
}

bool IstFunktion(std::string_view name) {
  char puffer[5];
  size_t n = 0;
  return GrossKopieren(name, puffer, n) && IstFunktionGross(std::string_view(puffer, n));
}

std::string KlammernEinfuegen(std::string text) {
  // Only a letter or "^" can start a name; without them no scan can change anything.
  bool kandidat = false;
  for (char c : text)
    if (IstBuchstabe(c) || c == '^') {
      kandidat = true;
      break;
    }
  if (!kandidat) return text;
  while (KlammernScan(text))
    if (Fenster().EscGedrueckt()) return {};
  return text;
}

int FehlendesOperatorPos(std::string_view text) {
  const int n = Length(text);
  int ergebnis = 0;
  for (int i = 1; i <= n; ++i)
    if (At(text, i) == ')' && (IstZiffer(At(text, i + 1)) || At(text, i + 1) == '(')) {
      ergebnis = i;
      break;
    }
  for (int i = 1; i <= n; ++i)
    if (IstZiffer(At(text, i)) && At(text, i + 1) == '(') {
      ergebnis = i;
      break;
    }
  for (int i = 1; i <= n; ++i)
    if (IstBuchstabe(At(text, i)) &&
        (IstZifferOderKomma(At(text, i - 1)) || IstZifferOderKomma(At(text, i + 1)))) {
      ergebnis = i;
      break;
    }
  return ergebnis;
}

int FormelPruefen(std::string_view text) {
  int auf = 0, zu = 0;
  for (int i = 1; i <= Length(text); ++i) {
    const char c = At(text, i);
    if (c == '(') ++auf;
    if (c == ')') ++zu;
    if (IstOperator(At(text, i - 1)) && IstOperator(c)) return i - 1;
  }
  return auf != zu ? -1 : 0;
}

int LeereKlammerPos(std::string_view text) {
  for (int i = 1; i <= Length(text); ++i) {
    const char nach = At(text, i + 1);
    if (At(text, i) == '(' && (nach == ')' || nach == '*' || nach == '/')) return i;
  }
  return 0;
}

int FunktionenPruefen(std::string_view text, bool still) {
  StillModus = still;
  const int n = Length(text);
  int letzteFunktion = 0;

  // Everything but the name depends only on the "(" that follows the start position, so
  // it is worked out once per "(".
  int auf = 0;               // the next "(" at or after p
  bool argumentOk = true;    // the plain number inside it is empty or a number
  std::string inhalt;        // the content up to the matching ")", without parentheses
  int zu = 0;                // that ")", 0 if none
  int naechsteZu = 0;        // the first ")" behind the "(", where the caret goes
  bool inhaltZahl = false;
  long double inhaltWert = 0;

  for (int p = 1; p <= n && !FehlerFlag; ++p) {
    if (auf < p) {
      auf = 0;
      for (int q = p; q <= n; ++q)
        if (At(text, q) == '(') {
          auf = q;
          break;
        }
      // Nothing further to check: no function call starts behind the last "(".
      if (auf == 0) break;
      int k = auf - 1;
      const std::string argument = RechterZahlOperand(text, k);
      argumentOk = argument.empty() || IstZahl(argument);
      // The whole argument up to the matching ")": judged here only when all of it is a
      // number, as in LN(0) or LOG((-4)); LN((-2)^(2)) waits for its value.
      zu = 0;
      naechsteZu = 0;
      int tiefe = 0;
      for (int q = auf; q <= n && zu == 0; ++q) {
        if (At(text, q) == '(') ++tiefe;
        if (At(text, q) != ')') continue;
        if (naechsteZu == 0) naechsteZu = q;
        if (--tiefe == 0) zu = q;
      }
      inhalt = zu > 0 ? OhneKlammern(text, auf + 1, zu - 1) : std::string();
      inhaltZahl = !inhalt.empty() && TextZuZahlStreng(inhalt, inhaltWert) && inhaltWert != KeineZahl;
    }
    letzteFunktion = auf - 1;

    if (!argumentOk) {
      Fenster().lbESCLeeren();
      Fenster().TastenFarbeZuruecksetzen();
      continue;
    }
    if (inhalt.empty()) {
      FehlerCode = -1;
      if (p >= 2 && IstZiffer(At(text, p - 1)) && NameOhneKlammernIstFunktionFuerLeer(text, p, auf - 1))
        return p - 1;
      continue;
    }
    if (!inhaltZahl || inhaltWert > 0) continue;
    const bool ln = NameOhneKlammernIst(text, p, auf - 1, "LN");
    if (!ln && !NameOhneKlammernIst(text, p, auf - 1, "LOG")) continue;
    if (!still) {
      if (ln) {
        Fenster().lbESCLeeren();
        Fenster().edErgebnisLeeren();
        Fenster().TastenFarbeZuruecksetzen();
      }
      FalscherWertMeldung(ln ? "ln()" : "log()");
      Fenster().ed1CaretSetzen(naechsteZu - 1);
    }
    FehlerFlag = true;
    FehlerCode = -1;
  }
  return FehlerFlag ? letzteFunktion : 0;
}

bool KlammerLoesbar(std::string_view text, int position, bool erlaubeMalGeteilt) {
  const char vor = At(text, position - 1);
  if (IstFunktionsEndbuchstabe(vor)) return false;
  return erlaubeMalGeteilt || !IstMalGeteilt(vor);
}

bool OhneInnereKlammer(std::string_view text, int position) {
  for (int i = position + 1; i <= Length(text); ++i) {
    if (At(text, i) == ')') return true;
    if (At(text, i) == '(') return false;
  }
  return true;
}

std::string ZeichenLoeschen(std::string text, int index) {
  Delete(text, index, 1);
  return text;
}

}  // namespace kolvex
