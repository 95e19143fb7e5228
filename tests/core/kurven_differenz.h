#pragma once
// The function graph's points two ways: the prepared formula (Kurvenformel, which replays a
// plan where it can) against the whole per-point rewriting written out from scratch (the
// graph's substitution of the values and of x, sign folding, the silent pre-check, the
// cycles, the judgement). Everything a point leaves behind is compared: success, the value's
// bits, the status globals, and every call into the window (messages, caret, labels).
// Shared by the core tests and the fuzz target; random formulas come from a small grammar
// over x, three variables, every function, powers, factorials and signs, with some of them
// damaged on purpose.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/auswerter.h"
#include "core/berechnung.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/routinen.h"
#include "core/zahltext.h"
#include "tests/core/fake_fenster.h"

namespace kolvex::test {

// Choices for the generator: from a seeded engine, or from fuzz input bytes.
class Zufall {
 public:
  explicit Zufall(uint64_t saat) : engine_(saat) {}
  Zufall(const uint8_t* daten, size_t groesse) : daten_(daten), groesse_(groesse), ausBytes_(true) {}
  // 0 .. n-1.
  uint32_t Bis(uint32_t n) {
    if (n <= 1) return 0;
    if (!ausBytes_) return static_cast<uint32_t>(engine_() % n);
    uint32_t v = 0;
    for (int k = 0; k < 2; ++k) v = (v << 8) | (pos_ < groesse_ ? daten_[pos_++] : 0);
    return v % n;
  }
  bool Erschoepft() const { return ausBytes_ && pos_ >= groesse_; }

 private:
  std::mt19937_64 engine_;
  const uint8_t* daten_ = nullptr;
  size_t groesse_ = 0;
  size_t pos_ = 0;
  bool ausBytes_ = false;
};

inline std::string ZufallsZahl(Zufall& z) {
  static const char* const feste[] = {"0", "1", "2", "3", "10", "0,5", "90", "180", "270", "360", "45",
                                      "146", "147", "1000", "0,1", "2,5", "3,5", "1,5", ",5",
                                      "123456789,123456789", "0,12345678901234567", "99999999999999999"};
  if (z.Bis(3) == 0) return feste[z.Bis(sizeof feste / sizeof *feste)];
  std::string s;
  const uint32_t ziffern = 1 + z.Bis(20);
  for (uint32_t i = 0; i < ziffern; ++i) s += static_cast<char>('0' + z.Bis(10));
  if (z.Bis(2) == 0) s.insert(z.Bis(static_cast<uint32_t>(s.size()) + 1), 1, ',');
  return s;
}

inline std::string ZufallsAusdruck(Zufall& z, int tiefe);

inline std::string ZufallsOperand(Zufall& z, int tiefe) {
  static const char* const funktionen[] = {"SIN", "COS", "TAN", "CTAN", "ASIN", "ACOS", "ATAN", "SINH", "COSH",
                                           "TANH", "ASINH", "ACOSH", "ATANH", "LOG", "LN", "EXP", "sin", "Ln"};
  const uint32_t art = tiefe <= 0 ? z.Bis(3) : z.Bis(9);
  std::string s;
  switch (art) {
    case 0: s = ZufallsZahl(z); break;
    case 1: s = "x"; break;
    case 2: s = std::string(1, "abcx"[z.Bis(4)]); break;
    case 3:
    case 4: s = "(" + ZufallsAusdruck(z, tiefe - 1) + ")"; break;
    case 5:
    case 6: s = std::string(funktionen[z.Bis(18)]) + "(" + ZufallsAusdruck(z, tiefe - 1) + ")"; break;
    case 7: s = "(" + ZufallsAusdruck(z, tiefe - 1) + ")!"; break;
    default: s = "(x)"; break;
  }
  switch (z.Bis(8)) {
    case 0: s += "^" + ZufallsZahl(z); break;
    case 1: s += "^(" + ZufallsAusdruck(z, tiefe - 1) + ")"; break;
    case 2: s += "^x"; break;
    default: break;
  }
  return s;
}

inline std::string ZufallsAusdruck(Zufall& z, int tiefe) {
  std::string s;
  if (z.Bis(5) == 0) s += z.Bis(4) == 0 ? "+" : "-";
  s += ZufallsOperand(z, tiefe);
  const uint32_t weitere = z.Bis(4);
  for (uint32_t i = 0; i < weitere; ++i) {
    s += "+-*/"[z.Bis(4)];
    s += ZufallsOperand(z, tiefe);
  }
  return s;
}

// A formula from the grammar, sometimes damaged: characters left out, doubled or put in.
inline std::string ZufallsFormel(Zufall& z) {
  std::string s = ZufallsAusdruck(z, static_cast<int>(z.Bis(4)));
  if (z.Bis(4) == 0) {
    static const char zeichen[] = "+-*/^!(),0123456789xaE ";
    const uint32_t aenderungen = 1 + z.Bis(3);
    for (uint32_t i = 0; i < aenderungen && !s.empty(); ++i) {
      const uint32_t p = z.Bis(static_cast<uint32_t>(s.size()));
      switch (z.Bis(3)) {
        case 0: s.erase(p, 1); break;
        case 1: s.insert(p, 1, s[p]); break;
        default: s.insert(p, 1, zeichen[z.Bis(sizeof zeichen - 1)]); break;
      }
    }
  }
  return s;
}

inline long double ZufallsX(Zufall& z) {
  static const long double feste[] = {0, 1, -1, 90, -90, 180, 270, 360, 45, 0.5L, -0.5L, 2, -2,
                                      1e-5L, 1e20L, -1e20L, 146, 147, 3.14159265358979L, 1e300L, 1e-300L};
  switch (z.Bis(4)) {
    case 0: return feste[z.Bis(sizeof feste / sizeof *feste)];
    case 1: return static_cast<long double>(static_cast<int32_t>(z.Bis(2001)) - 1000) / 4;
    case 2: {
      // A grid as the graph walks it: a start plus a step accumulated in extended precision.
      long double x = -10;
      const long double schritt = 20.0L / 99;
      const uint32_t k = z.Bis(100);
      for (uint32_t i = 0; i < k; ++i) x += schritt;
      return x;
    }
    default: {
      const long double m = static_cast<long double>(z.Bis(1u << 30)) / (1u << 30);
      const int e = static_cast<int>(z.Bis(40)) - 20;
      return (z.Bis(2) ? -1 : 1) * m * std::pow(10.0L, e);
    }
  }
}

// Everything one point leaves behind.
struct Punkt {
  bool gueltig = false;
  long double y = 0;
  int32_t fehlerCode = 0;
  bool fehlerFlag = false;
  bool stillModus = false;
  std::vector<std::string> meldungen;
  int caret = -1;
  int lbESC = 0, ergebnis = 0, tasten = 0;

  bool operator==(const Punkt& p) const {
    return gueltig == p.gueltig && std::memcmp(&y, &p.y, 10) == 0 && fehlerCode == p.fehlerCode &&
           fehlerFlag == p.fehlerFlag && stillModus == p.stillModus && meldungen == p.meldungen &&
           caret == p.caret && lbESC == p.lbESC && ergebnis == p.ergebnis && tasten == p.tasten;
  }
};

inline void Zuruecksetzen(FakeFenster& f) {
  f.meldungen.clear();
  f.caret = -1;
  f.lbESCGeleert = f.ergebnisGeleert = f.tastenZurueckgesetzt = 0;
  FehlerCode = 0;
  FehlerFlag = false;
  StillModus = false;
}

inline Punkt Beobachtet(const FakeFenster& f, bool gueltig, long double y) {
  Punkt p;
  p.gueltig = gueltig;
  p.y = y;
  p.fehlerCode = FehlerCode;
  p.fehlerFlag = FehlerFlag;
  p.stillModus = StillModus;
  p.meldungen = f.meldungen;
  p.caret = f.caret;
  p.lbESC = f.lbESCGeleert;
  p.ergebnis = f.ergebnisGeleert;
  p.tasten = f.tastenZurueckgesetzt;
  return p;
}

// One point as the graph computed it before any preparation: every step from the formula.
inline bool PunktOhneVorbereitung(const std::string& formel, long double x, long double& y) {
  y = 0;
  const std::string f = OhneLeerzeichen(formel);
  if (f.empty() || FormelPruefen(f) != 0) return false;
  try {
    const std::string g = GrafikKonstantenErsetzen(f);
    if (g.empty()) return false;
    std::string h = GrafikVariableErsetzen(g, GrafikVariable, x);
    if (h != f) h = VorzeichenZusammenfassen(h);
    FehlerFlag = false;
    FehlerCode = 0;
    const int pos = FunktionenPruefen(h, true);
    if (FehlerFlag || pos != 0) {
      FehlerCode = -1;
      return false;
    }
    const AuswertungsEnde ende = AuswertungLaufen(h);
    if (ende == AuswertungsEnde::Fehler || ende == AuswertungsEnde::FehlerMalGeteilt || h.empty() ||
        FehlerCode != 0 || FehlerFlag || !IstZahl(h)) {
      FehlerCode = -1;
      return false;
    }
    y = TextZuZahl(h);
    return true;
  } catch (...) {
    FehlerCode = -1;
    return false;
  }
}

struct Vergleich {
  long punkte = 0;       // points compared
  long geplant = 0;      // of them in formulas the plan follows
  std::string fehler;    // the first difference, empty if none
};

// Compares the formula's points at every x; the window must be installed (FakeFenster).
inline void KurveVergleichen(FakeFenster& fenster, const std::string& formel, const std::vector<long double>& xs,
                             Vergleich& v) {
  Zuruecksetzen(fenster);
  Kurvenformel k;
  const bool bereit = k.Vorbereiten(formel, GrafikVariable) == Kurvenformel::Stand::Bereit;
  for (long double x : xs) {
    long double yRef = 0, yNeu = 0;
    Zuruecksetzen(fenster);
    const bool okRef = PunktOhneVorbereitung(formel, x, yRef);
    const Punkt ref = Beobachtet(fenster, okRef, yRef);
    if (!bereit) {
      if (okRef && v.fehler.empty()) v.fehler = "a point of a formula whose preparation failed: " + formel;
      continue;
    }
    Zuruecksetzen(fenster);
    const bool okNeu = k.Wert(x, yNeu);
    const Punkt neu = Beobachtet(fenster, okNeu, yNeu);
    ++v.punkte;
    if (k.HatPlan()) ++v.geplant;
    if (!(ref == neu) && v.fehler.empty()) {
      std::ostringstream s;
      s.precision(21);
      s << "\"" << formel << "\" at x = " << x << " (rad " << fenster.rad << "): rewritten " << okRef << " "
        << yRef << " code " << ref.fehlerCode << " flag " << ref.fehlerFlag << " still " << ref.stillModus
        << " caret " << ref.caret << " labels " << ref.lbESC << "/" << ref.ergebnis << "/" << ref.tasten
        << " messages " << ref.meldungen.size() << "; prepared " << okNeu << " " << yNeu << " code "
        << neu.fehlerCode << " flag " << neu.fehlerFlag << " still " << neu.stillModus << " caret " << neu.caret
        << " labels " << neu.lbESC << "/" << neu.ergebnis << "/" << neu.tasten << " messages "
        << neu.meldungen.size() << (k.HatPlan() ? " (plan)" : " (text)");
      v.fehler = s.str();
    }
  }
}

// Everything a calculation of the main window leaves behind.
struct Rechnung {
  Berechnung b;
  long double letztes = 0;
  Punkt spur;  // status and window calls; its value fields are unused

  bool operator==(const Rechnung& r) const {
    return b.ausgang == r.b.ausgang && std::memcmp(&b.Wert, &r.b.Wert, 10) == 0 && b.Text == r.b.Text &&
           b.Position == r.b.Position && b.Buchstabe == r.b.Buchstabe &&
           std::memcmp(&letztes, &r.letztes, 10) == 0 && spur == r.spur;
  }
};

inline Rechnung Rechnen(FakeFenster& fenster, const std::string& formel, bool ersetzen, bool mitPlan) {
  Zuruecksetzen(fenster);
  LetztesErgebnis = 7;
  Rechnung r;
  r.b = mitPlan ? Berechnen(formel, ersetzen) : BerechnenOhnePlan(formel, ersetzen);
  r.letztes = LetztesErgebnis;
  r.spur = Beobachtet(fenster, false, 0);
  return r;
}

// A whole calculation with the plan against the same calculation rewritten, for a formula
// whose variable x holds each of the values in turn.
inline void RechnungVergleichen(FakeFenster& fenster, const std::string& formel, const std::vector<long double>& xs,
                                Vergleich& v) {
  for (size_t i = 0; i < xs.size() && v.fehler.empty(); ++i) {
    fenster.Wert('x', ZahlZuText(0, xs[i]));
    const bool ersetzen = i % 3 == 2;
    const Rechnung ref = Rechnen(fenster, formel, ersetzen, false);
    const Rechnung neu = Rechnen(fenster, formel, ersetzen, true);
    ++v.punkte;
    if (neu.b.ausgang == Ausgang::Zahl) ++v.geplant;
    if (!(ref == neu)) {
      std::ostringstream s;
      s.precision(21);
      s << "\"" << formel << "\" with x = " << xs[i] << " (rad " << fenster.rad << "): rewritten "
        << static_cast<int>(ref.b.ausgang) << " \"" << ref.b.Text << "\" " << ref.b.Wert << " pos " << ref.b.Position
        << " code " << ref.spur.fehlerCode << " flag " << ref.spur.fehlerFlag << " caret " << ref.spur.caret
        << " messages " << ref.spur.meldungen.size() << "; with plan " << static_cast<int>(neu.b.ausgang) << " \""
        << neu.b.Text << "\" " << neu.b.Wert << " pos " << neu.b.Position << " code " << neu.spur.fehlerCode
        << " flag " << neu.spur.fehlerFlag << " caret " << neu.spur.caret << " messages "
        << neu.spur.meldungen.size();
      v.fehler = s.str();
    }
  }
}

// The values table the comparisons use: a few kinds of cells.
inline void WerteSetzen(FakeFenster& f) {
  f.Wert('a', "3");
  f.Wert('b', "-2");
  f.Wert('c', "0,5");
}

}  // namespace kolvex::test
