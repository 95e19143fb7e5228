#include "core/funktionen.h"

#include <cmath>
#include <cstdint>

#include "core/auswerter.h"
#include "core/fenster.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/text.h"
#include "core/zahltext.h"

namespace kolvex {

namespace {

// Beyond this quotient the degree reduction has no integer part to take.
constexpr long double ReduktionsGrenze = 9223372036854775808.0L;  // 2^63

void FensterFuerMeldung(bool ergebnisLeeren) {
  Fenster().lbESCLeeren();
  if (ergebnisLeeren) Fenster().edErgebnisLeeren();
  Fenster().TastenFarbeZuruecksetzen();
}

std::string Eingeklammert(std::string_view wert) {
  std::string r;
  r.reserve(wert.size() + 2);
  r += '(';
  r += wert;
  r += ')';
  return r;
}

}  // namespace

bool FastGleich(long double a, long double b) {
  const long double toleranz = Fenster().RadModus() ? 1e-12L : 1e-14L;
  return std::fabs(std::fabs(a) - std::fabs(b)) < toleranz;
}

int SonderWinkel(long double x) {
  const long double a = std::fabs(x);
  if (!Fenster().RadModus()) {
    if (a == 0 || a == 180 || a == 360) return 0;
    if (a == 90 || a == 270) return 90;
    return -1;
  }
  const long double q = a / Pi;
  if (FastGleich(a, 0) || FastGleich(q, 1) || FastGleich(q, 2)) return 0;
  if (FastGleich(q, 0.5L) || FastGleich(q, 1.5L)) return 90;
  return -1;
}

void FalscherWertMeldung(std::string_view label) {
  std::string text = "Falsche Wert in ";
  text += label;
  Fenster().Meldung(text, MeldungsArt::Warnung, MeldungsKnoepfe::Ok);
}

void FunktionWert(std::string_view name, std::string& wert, long double x) {
  long double v = 0;
  wert = FunktionWertZahl(name, x, v) ? ZahlZuText(0, v) : "Error";
}

bool FunktionWertZahl(std::string_view name, long double x, long double& ergebnis) {
  FehlerFlag = false;
  long double v = 0;
  const bool rad = Fenster().RadModus();
  const std::string n = UpperCase(name);

  if (!rad && (n == "SIN" || n == "COS" || n == "TAN" || n == "CTAN")) {
    const long double periode = n == "TAN" ? 180 : 360;
    if (std::fabs(x) > periode) {
      const long double q = x / periode;
      if (std::fabs(q) >= ReduktionsGrenze) throw Laufzeitfehler("Invalid floating point operation");
      x = x - std::trunc(q) * periode;
    }
  }

  // Tangent and cotangent share everything but which special angle is the pole.
  auto tangens = [&](bool kotangens) -> bool {
    const int s = SonderWinkel(x);
    const int pol = kotangens ? 0 : 90;
    if (s == pol) {
      if (!StillModus) {
        FensterFuerMeldung(false);
        FalscherWertMeldung(kotangens ? "ctan()" : "tan()");
      }
      // The plotter must not draw a point at the pole.
      FehlerFlag = true;
      FehlerCode = -1;
      return false;
    }
    if (s == -1) {
      if (!rad) x = x * Pi / 180;
      v = kotangens ? 1 / std::tan(x) : std::tan(x);
      if (!std::isfinite(v)) FehlerFlag = true;
      if (StillModus && std::fabs(v) > TangensGrenze) FehlerFlag = true;
    } else {
      v = 0;
    }
    return true;
  };

  auto hyperbolisch = [&](long double wertRoh) {
    if (!std::isfinite(wertRoh)) throw Laufzeitfehler("Invalid floating point operation");
    v = wertRoh;
    if (std::fabs(v) > UeberlaufGrenze) FehlerFlag = true;
  };

  if (n == "SIN" || n == "COS") {
    if (!rad) x = x * Pi / 180;
    const long double q = std::fabs(x) / Pi;
    const bool null = n == "SIN" ? (FastGleich(q, 1) || FastGleich(q, 2)) : (FastGleich(q, 0.5L) || FastGleich(q, 1.5L));
    v = null ? 0 : (n == "SIN" ? std::sin(x) : std::cos(x));
  } else if (n == "TAN" || n == "CTAN") {
    if (!tangens(n == "CTAN")) return false;
  } else if (n == "ASIN" || n == "ACOS") {
    if (std::fabs(x) > 1) {
      if (!StillModus) {
        FensterFuerMeldung(false);
        FalscherWertMeldung(n == "ASIN" ? "asin()" : "acos()");
      }
      FehlerFlag = true;
    } else {
      v = n == "ASIN" ? std::asin(x) : std::acos(x);
      if (!rad) v = v * GradProRad;
    }
  } else if (n == "ATAN") {
    v = std::atan(x);
    if (!rad) v = v * GradProRad;
  } else if (n == "SINH") {
    hyperbolisch(std::sinh(x));
  } else if (n == "COSH") {
    hyperbolisch(std::cosh(x));
  } else if (n == "TANH") {
    hyperbolisch(std::tanh(x));
  } else if (n == "ASINH") {
    hyperbolisch(std::asinh(x));
  } else if (n == "ATANH") {
    hyperbolisch(std::atanh(x));
  } else if (n == "ACOSH") {
    if (x < 1) {
      FehlerFlag = true;
    } else {
      hyperbolisch(std::acosh(x));
    }
  } else if (n == "LOG") {
    if (x <= 0) {
      if (!StillModus) FalscherWertMeldung("log()");
      FehlerFlag = true;
    } else {
      v = std::log10(x);
    }
  } else if (n == "LN") {
    if (x <= 0) {
      if (!StillModus) {
        FensterFuerMeldung(true);
        FalscherWertMeldung("ln()");
      }
      FehlerFlag = true;
    } else {
      v = std::log(x);
    }
  } else if (n == "EXP") {
    v = std::exp(x);
    if (!std::isfinite(v)) {
      if (!StillModus) {
        FensterFuerMeldung(true);
        FalscherWertMeldung("exp()");
      }
      FehlerFlag = true;
    } else if (std::fabs(v) > UeberlaufGrenze) {
      FehlerFlag = true;
    }
  }

  if (FehlerFlag) {
    FehlerCode = -1;
    return false;
  }
  ergebnis = v;
  return true;
}

bool IstGanzzahlig(long double wert, long double toleranz) {
  const long double a = std::fabs(wert) + toleranz;
  return a - std::trunc(a) < 2 * toleranz;
}

long double GanzePotenz(int32_t exponent, long double basis) {
  int64_t n = exponent;
  const bool kehrwert = n < 0;
  if (kehrwert) n = -n;
  long double r = 1;
  while (n > 0) {
    if (n % 2 == 0) {
      basis = basis * basis;
      n /= 2;
    } else {
      r = r * basis;
      --n;
    }
    if (!std::isfinite(basis) || !std::isfinite(r)) throw Laufzeitfehler("Floating point overflow");
  }
  if (kehrwert) {
    r = 1 / r;
    if (!std::isfinite(r)) throw Laufzeitfehler("Floating point overflow");
  }
  return r;
}

long double Potenz(long double basis, long double exponent) {
  if (basis == 0) {
    // 0 to a negative power is a pole; the evaluation fails without a message.
    if (exponent < 0) FehlerCode = -1;
    return 0;
  }
  if (exponent == 0) return 1;
  if (IstGanzzahlig(exponent, GanzzahlToleranz) && std::fabs(exponent) <= 2147483647.0L) {
    try {
      return GanzePotenz(static_cast<int32_t>(std::nearbyint(exponent)), basis);
    } catch (const Laufzeitfehler&) {
      FehlerCode = -1;
      return 0;
    }
  }
  if (basis > 0) {
    const long double v = std::exp(exponent * std::log(basis));
    if (std::isfinite(v)) return v;
  }
  FehlerCode = -1;
  return 0;
}

long double Fakultaet(int32_t n) {
  FehlerFlag = false;
  long double v = 1;
  for (int32_t k = 1; k <= n; ++k) {
    v = v * k;
    if (std::fabs(v) > UeberlaufGrenze) {
      FehlerFlag = true;
      break;
    }
  }
  return v;
}

int32_t GanzzahlBegrenzt(long double wert) {
  if (std::isnan(wert)) return 0;
  const long double r = std::nearbyint(wert);
  if (r >= 2147483647.0L) return INT32_MAX;
  if (r <= -2147483648.0L) return INT32_MIN;
  return static_cast<int32_t>(r);
}

std::string FunktionenAuswerten(std::string text) {
  int lauf = 0;  // start of the current run of letters
  for (int i = 1; i <= Length(text); ++i) {
    if (!IstBuchstabe(At(text, i))) {
      lauf = 0;
      continue;
    }
    if (lauf == 0) lauf = i;
    const std::string_view roh(text.data() + lauf - 1, static_cast<size_t>(i - lauf + 1));
    if (roh.size() > 5 || !IstFunktion(roh) || UpCase(At(text, i + 1)) == 'H') continue;
    int rechts = i;
    long double x = 0;
    if (!RechteZahl(text, rechts, x)) continue;
    std::string wert;
    FunktionWert(roh, wert, x);
    if (FehlerFlag) {
      Fenster().ed1CaretSetzen(i > 2 ? i - 2 : 0);
      return {};
    }
    const std::string ersatz = Eingeklammert(wert);
    text.replace(static_cast<size_t>(lauf - 1), static_cast<size_t>(rechts - lauf), ersatz);
    i = lauf + static_cast<int>(ersatz.size()) - 1;
    lauf = 0;
  }
  return text;
}

std::string PotenzAuswerten(std::string text) {
  FehlerFlag = false;
  for (int i = 1; i <= Length(text); ++i) {
    if (At(text, i) != '^') continue;
    int links = i;
    long double b = 0, e = 0;
    const bool basisZahl = LinkeKlammerZahl(text, links, b);
    // A group right behind a function name is that function's argument, not a base.
    if (At(text, i - 1) == ')' && IstFunktionsEndbuchstabe(At(text, links - 1))) continue;
    int rechts = i;
    const bool exponentZahl = RechteZahl(text, rechts, e);
    if (!basisZahl || !exponentZahl) continue;
    const long double v = Potenz(b, e);
    if (std::fabs(v) > UeberlaufGrenze) {
      FehlerFlag = true;
      FehlerCode = -1;
      return {};
    }
    const std::string ersatz = Eingeklammert(ZahlZuText(0, v));
    text.replace(static_cast<size_t>(links - 1), static_cast<size_t>(rechts - links), ersatz);
    // Continue behind the next character: the next link of a chain waits for the next pass.
    i = links + static_cast<int>(ersatz.size());
  }
  return text;
}

std::string FakultaetAuswerten(std::string text) {
  for (int i = 1; i <= Length(text); ++i) {
    if (At(text, i) != '!') continue;
    int links = i;
    long double n = 0;
    if (!LinkeKlammerZahl(text, links, n)) continue;
    const long double v = Fakultaet(GanzzahlBegrenzt(n));
    // Stop at the first overflow: a later factorial would clear FehlerFlag again.
    if (FehlerFlag) {
      FehlerCode = -1;
      return {};
    }
    const std::string ersatz = Eingeklammert(ZahlZuText(0, v));
    text.replace(static_cast<size_t>(links - 1), static_cast<size_t>(i - links + 1), ersatz);
    i = links + static_cast<int>(ersatz.size()) - 1;
  }
  return text;
}

}  // namespace kolvex
