// libFuzzer target: arbitrary text through the syntax checks and the evaluation cycles.
// Nothing may crash or trip a sanitizer, the only exception allowed is Laufzeitfehler, and
// every evaluation must end within ZyklenGrenze cycles. Without "^" and "!", writing "(0-"
// for "(-" must not change the result.
//
//   build/…/fuzz/kolvex_fuzz_auswerter -max_len=128 -timeout=5 corpus/
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/auswerter.h"
#include "core/fenster.h"
#include "core/formel.h"
#include "core/funktionen.h"
#include "core/globals.h"
#include "core/konstanten.h"
#include "core/routinen.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace {

using namespace kolvex;

class FuzzFenster : public KernFenster {
 public:
  FuzzFenster() {
    for (int z = 1; z <= 52; ++z)
      namen[z] = std::string(1, z <= 26 ? static_cast<char>('a' + z - 1) : static_cast<char>('A' + z - 27));
    // A few kinds of cells: numbers, a negative one, small formulas, a division by zero,
    // text that is no number, and (all the others) no value at all.
    werte[1] = "3";          // a
    werte[2] = "-2";         // b
    werte[3] = "2*3+1";      // c
    werte[4] = "1/0";        // d
    werte[6] = "(2)";        // f
    werte[7] = "1E300";      // g
    werte[24] = "0,5";       // x
    werte[25] = "-1,25";     // y
    werte[27] = "abc";       // A
  }
  bool RadModus() override { return rad; }
  int WerteZeilenAnzahl() override { return 53; }
  std::string WerteZelle(int spalte, int zeile) override {
    if (zeile < 0 || zeile > 52) return {};
    return spalte == 0 ? namen[zeile] : spalte == 1 ? werte[zeile] : std::string();
  }
  std::string namen[53];
  std::string werte[53];
  bool rad = false;
};

[[noreturn]] void Abbruch(const char* was, const std::string& text) {
  std::fprintf(stderr, "%s: \"%s\"\n", was, text.c_str());
  std::abort();
}

// Runs the cycles by hand so that the natural end is checked, not AuswertungLaufen's ceiling.
void ZyklenLaufen(std::string w) {
  const std::string anfang = w;
  const int grenze = ZyklenGrenze(w);
  for (int n = 0;; ++n) {
    if (n > grenze) Abbruch("no end within ZyklenGrenze", anfang);
    if (AuswertungsZyklus(w) != ZyklusErgebnis::Geaendert) return;
  }
}

void Auswerten(const std::string& roh) {
  // The calculation driver's sequence.
  const std::string f = OhneLeerzeichen(roh);
  const std::string geprueft = KlammernEinfuegen(f);
  FehlendesOperatorPos(geprueft);
  FormelPruefen(geprueft);
  LeereKlammerPos(geprueft);
  FehlerCode = 0;
  FehlerFlag = false;
  try {
    char buchstabe = ' ';
    UnbekannteKonstante(f, 'x');
    IstZahlMitKonstanten(f);
    std::string w = KonstantenEinsetzen(f, buchstabe);
    if (w != f) w = VorzeichenZusammenfassen(std::move(w));
    w = KlammernEinfuegen(std::move(w));
    FehlerFlag = false;
    FunktionenPruefen(w, true);
    FehlerCode = 0;
    FehlerFlag = false;
    ZyklenLaufen(w);
  } catch (const Laufzeitfehler&) {
  }
  // The bare text straight into the cycles, syntax faults and all.
  FehlerCode = 0;
  FehlerFlag = false;
  try {
    ZyklenLaufen(f);
  } catch (const Laufzeitfehler&) {
  }
}

// The calculation driver's whole sequence with its outcome: the final number text, or
// "Error" for a syntax fault, a missing value, a failed evaluation or an exception.
std::string Ergebnis(const std::string& roh) {
  FehlerCode = 0;
  FehlerFlag = false;
  const std::string f = OhneLeerzeichen(roh);
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
    FunktionenPruefen(w, true);
    if (FehlerFlag) return "Error";
    const AuswertungsEnde ende = AuswertungLaufen(w);
    if (ende != AuswertungsEnde::Fertig || FehlerFlag || FehlerCode != 0 || !IstZahl(w)) return "Error";
    return w;
  } catch (const Laufzeitfehler&) {
    return "Error";
  }
}

// Without "^" and "!" (where a signed base is meant to behave differently) a negative
// start of a group must mean the same as a subtraction from 0: "(-" and "(0-" agree.
void NullMinusGleich(const std::string& roh) {
  const std::string f = OhneLeerzeichen(roh);
  if (f.find_first_of("^!") != std::string::npos) return;
  std::string mitNull;
  for (size_t i = 0; i < f.size(); ++i) {
    mitNull += f[i];
    if (f[i] == '(' && i + 1 < f.size() && f[i + 1] == '-') mitNull += '0';
  }
  if (mitNull == f) return;
  // A name or value glued to a parenthesis lacks its operator, which the syntax checks do
  // not see (also once the parentheses are inserted: SIN1E-5 is SIN(1)E-5, and before the
  // values are in): such a text runs number texts together, and "(0-" may round them
  // differently.
  for (const std::string& t : {f, KlammernEinfuegen(f)})
    for (size_t i = 1; i < t.size(); ++i) {
      const char vor = t[i - 1];
      if (vor == ')' && !IstOperator(t[i]) && t[i] != ')') return;
      if (t[i] == '(' && !IstOperator(vor) && vor != '(' && !IstBuchstabe(vor)) return;
    }
  // A typed number with more than 15 significant digits is rounded to 15 once it is
  // subtracted from 0, and not while it stands alone: the carry the evaluator works with.
  int ziffern = 0;
  bool fuehrend = true;
  for (char c : f) {
    if (IstZiffer(c)) {
      if (c != '0') fuehrend = false;
      if (!fuehrend && ++ziffern > 15) return;
    } else if (c != ',') {
      ziffern = 0;
      fuehrend = true;
    }
  }
  try {
    char buchstabe = ' ';
    if (FehlendesOperatorPos(KlammernEinfuegen(KonstantenEinsetzen(f, buchstabe))) != 0) return;
  } catch (const Laufzeitfehler&) {
    return;
  }
  const std::string a = Ergebnis(f);
  const std::string b = Ergebnis(mitNull);
  // Compared as the carried 15-digit texts: "-0" is "0", and a typed number with more
  // digits is rounded by the subtraction but not when it stands alone.
  long double va = 0, vb = 0;
  if (a == b || (ZahlWert(a, va) && ZahlWert(b, vb) && ZahlZuText(0, va) == ZahlZuText(0, vb))) return;
  Abbruch(("\"(-\" and \"(0-\" differ: " + a + " vs " + b + " for").c_str(), f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFenster fenster;
  static bool eingerichtet = false;
  if (!eingerichtet) {
    KernFensterSetzen(&fenster);
    eingerichtet = true;
  }
  if (size < 1 || size > 160) return 0;
  fenster.rad = (data[0] & 1) != 0;
  StillModus = true;
  const std::string eingabe(reinterpret_cast<const char*>(data) + 1, size - 1);
  Auswerten(eingabe);
  NullMinusGleich(eingabe);
  return 0;
}
