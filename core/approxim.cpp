#include "core/approxim.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/matrix.h"
#include "core/routinen.h"
#include "core/zahltext.h"

namespace kolvex {

const std::array<std::string_view, BasisAnzahl> BasisNamen = {
    "C",       "x",       "x^2",      "x^3",      "x^4",     "x^5",      "x^6",
    "x^7",     "x^8",     "x^9",      "x^10",     "1/x",     "1/(x^2)",  "1/(x^3)",
    "1/(x^4)", "1/(x^5)", "e^x",      "e^(x^2)",  "e^(-x)",  "e^(-x^2)", "10^x",
    "10^(x^2)", "Sqrt(x)", "x^(1/3)", "Ln(x)",    "Log(x)",  "sin(x)"};

const std::string_view MeldungZuVieleTerme = "Max. 10 Funktion";

namespace {

// Basis numbers used by name below.
enum : int {
  kC = 1,
  kX = 2,
  kX10 = 11,
  kEinsDurchX = 12,
  kEinsDurchX5 = 16,
  kEx = 17,
  kEx2 = 18,
  kEmx = 19,
  kEmx2 = 20,
  kZehnX = 21,
  kZehnX2 = 22,
  kSqrt = 23,
  kDrittel = 24,
  kLn = 25,
  kLog = 26,
  kSin = 27,
};

// x to the power p (p >= 1) by repeated multiplication, left to right.
inline long double Potenz(long double x, int p) {
  long double r = x;
  for (int i = 1; i < p; ++i) r *= x;
  return r;
}

// The table's formula for a supported basis, without the special rules for a negative
// square root and for unsupported names. Failures show as values that are not finite.
inline long double BasisFormel(int basis, long double x) {
  switch (basis) {
    case kC: return 1;
    case kX: return x;
    case kEx: return std::exp(x);
    case kEx2: return std::exp(x * x);
    case kEmx: return std::exp(-x);
    case kEmx2: return std::exp(-(x * x));
    case kZehnX: return std::pow(10.0L, x);
    case kZehnX2: return std::pow(10.0L, x * x);
    case kSqrt: return std::sqrt(x);
    case kDrittel: return std::pow(x, 1.0L / 3.0L);  // fails below 0, as the general power does
    case kLn: return std::log(x);
    case kLog: return std::log10(x);
    case kSin: return std::sin(x);
    default: break;
  }
  if (basis > kX && basis <= kX10) return Potenz(x, basis - 1);
  if (basis >= kEinsDurchX && basis <= kEinsDurchX5) return 1.0L / Potenz(x, basis - kEinsDurchX + 1);
  return 0;
}

std::string NichtUnterstuetzt(std::string_view name) {
  return std::string(name) + " nicht unterst\xFCtzt";
}

}  // namespace

int BasisNummer(std::string_view name) {
  for (int i = 0; i < BasisAnzahl; ++i)
    if (BasisNamen[static_cast<size_t>(i)] == name) return i + 1;
  return 0;
}

Modell ModellLesen(std::string_view text) {
  Modell m;
  std::vector<std::string> seiten;
  Zerlegen("=", text, seiten, 0);
  if (seiten.size() < 2) return m;
  std::vector<std::string> stuecke, teile;
  Zerlegen("+", seiten[1], stuecke, 0);
  for (const std::string& stueck : stuecke) {
    const std::string term = OhneLeerzeichen(stueck);
    if (term.empty()) continue;
    if (m.Anzahl() == MaxTerme) {
      m.zuVieleTerme = true;
      break;
    }
    Zerlegen("*", term, teile, 0);
    std::string name = teile.size() >= 2 ? teile[1] : std::string("C");
    m.basis.push_back(BasisNummer(name));
    m.namen.push_back(std::move(name));
  }
  return m;
}

long double TermWert(int basis, std::string_view name, long double x, TermMeldung* meldung) {
  if (basis < 1 || basis > BasisAnzahl) {
    if (meldung) meldung->Melden(NichtUnterstuetzt(name));
    return 0;
  }
  if (basis == kSqrt && x < 0) {
    if (meldung) meldung->Melden("Fehler");
    return 0;
  }
  const long double f = BasisFormel(basis, x);
  if (basis == kEx && std::isinf(f)) return 0;
  return f;
}

long double TermWertMalY(int basis, long double x, long double y, TermMeldung* meldung) {
  if (basis < 1 || basis > BasisAnzahl) return 0;
  if (basis == kSqrt && x < 0) {
    if (meldung) meldung->Melden("Fehler");
    return 0;
  }
  return BasisFormel(basis, x) * y;
}

bool FormelWert(const Modell& modell, const double* koeff, double x, double& wert) {
  double summe = 0;
  for (int j = 0; j < modell.Anzahl(); ++j) {
    const int basis = modell.basis[static_cast<size_t>(j)];
    if (basis < 1 || basis > BasisAnzahl) continue;
    if (basis == kSqrt && x < 0) continue;
    const long double f = BasisFormel(basis, x);
    if (!std::isfinite(f)) return false;
    summe = static_cast<double>(summe + koeff[j] * f);
    if (!std::isfinite(summe)) return false;
  }
  wert = summe;
  return true;
}

FitFehler KoeffizientenBerechnen(const Modell& modell, const long double* x, const long double* y,
                                 std::size_t n, std::vector<double>& koeff, TermMeldung& meldung,
                                 int* fehlerKoeff) {
  const int k = modell.Anzahl();
  koeff.assign(static_cast<size_t>(k), 0.0);
  if (k == 0) return FitFehler::KeineTerme;

  // The same sums as evaluating both factors of every product anew, in the same order:
  // each basis once per point, each element of the symmetric matrix once (mirrored after).
  Matrix31 a{};
  std::array<long double, MatrixGroesse> b{};
  std::array<int, MaxTerme> basis{};
  for (int j = 0; j < k; ++j) basis[static_cast<size_t>(j)] = modell.basis[static_cast<size_t>(j)];
  std::array<long double, MaxTerme> fa{};  // TermWert
  std::array<long double, MaxTerme> fb{};  // TermWertMalY
  // The largest finite |f_j(x_i)| of each term and |y_i|, for the coefficients' check.
  std::array<long double, MaxTerme> groessterTerm{};
  long double groessterY = 0;

  for (std::size_t i = 0; i < n; ++i) {
    const long double xi = x[i];
    const long double yi = y[i];
    if (std::isfinite(yi)) groessterY = std::max(groessterY, std::fabs(yi));
    for (int j = 0; j < k; ++j) {
      const int bj = basis[static_cast<size_t>(j)];
      long double wa, wb;
      if (bj == 0) {
        meldung.Melden(NichtUnterstuetzt(modell.namen[static_cast<size_t>(j)]));
        wa = wb = 0;
      } else if (bj == kSqrt && xi < 0) {
        meldung.Melden("Fehler");
        wa = wb = 0;
      } else {
        const long double f = BasisFormel(bj, xi);
        wa = (bj == kEx && std::isinf(f)) ? 0 : f;
        wb = f * yi;
      }
      fa[static_cast<size_t>(j)] = wa;
      fb[static_cast<size_t>(j)] = wb;
      if (std::isfinite(wa))
        groessterTerm[static_cast<size_t>(j)] = std::max(groessterTerm[static_cast<size_t>(j)], std::fabs(wa));
    }
    for (int r = 0; r < k; ++r) {
      const long double fr = fa[static_cast<size_t>(r)];
      for (int c = r; c < k; ++c) {
        const long double p = fa[static_cast<size_t>(c)] * fr;
        if (!std::isfinite(p)) continue;
        const long double s = a[c][r] + p;
        if (!std::isfinite(s)) continue;
        a[c][r] = s;
      }
      const long double p = fb[static_cast<size_t>(r)];
      if (!std::isfinite(p)) continue;
      const long double s = b[static_cast<size_t>(r)] + p;
      if (std::isfinite(s)) b[static_cast<size_t>(r)] = s;
    }
  }
  for (int r = 0; r < k; ++r)
    for (int c = r + 1; c < k; ++c) a[r][c] = a[c][r];

  switch (NormalgleichungenLoesen(k, a, b.data())) {
    case LoesungsFehler::Keiner: break;
    case LoesungsFehler::Ueberlauf: return FitFehler::NichtLoesbar;
    case LoesungsFehler::Zahlenbereich: return FitFehler::Zahlenbereich;
  }
  for (int j = 0; j < k; ++j) {
    const long double c = b[static_cast<size_t>(j)];
    const double v = static_cast<double>(c);
    if (!std::isfinite(v)) {
      if (fehlerKoeff) *fehlerKoeff = j + 1;
      return FitFehler::NichtEndlich;
    }
    // Below the normal doubles a coefficient loses its digits (e^-1000 becomes 0): where its
    // term still moves the fitted values by more than 1e-9 of the largest |y|, the curve
    // drawn from the doubles would lack it.
    if (std::fabs(v) < std::numeric_limits<double>::min() &&
        std::fabs(c - v) * groessterTerm[static_cast<size_t>(j)] > 1e-9L * groessterY) {
      if (fehlerKoeff) *fehlerKoeff = j + 1;
      return FitFehler::ZuKlein;
    }
    koeff[static_cast<size_t>(j)] = v;
  }
  return FitFehler::Keiner;
}

FitErgebnis KurveBerechnen(std::string_view modellText, const long double* x, const long double* y,
                           std::size_t n, const std::vector<double>* getippt,
                           bool& termFehlerGemeldet) {
  FitErgebnis e;
  TermMeldung meldung(termFehlerGemeldet);
  const Modell modell = ModellLesen(modellText);
  if (modell.zuVieleTerme) meldung.Melden(MeldungZuVieleTerme);
  const int k = modell.Anzahl();

  if (k == 0) {
    e.fehler = FitFehler::KeineTerme;
  } else if (getippt) {
    e.koeff.assign(static_cast<size_t>(k), 0.0);
    for (size_t j = 0; j < e.koeff.size() && j < getippt->size(); ++j) e.koeff[j] = (*getippt)[j];
  } else {
    e.fehler = KoeffizientenBerechnen(modell, x, y, n, e.koeff, meldung, &e.fehlerKoeff);
  }
  e.meldung = meldung.Text();
  e.ok = e.fehler == FitFehler::Keiner;
  if (!e.ok) return e;

  const long double erstes = n > 0 ? x[0] : 0.0L;
  const long double letztes = n > 0 ? x[n - 1] : 0.0L;
  const long double schritt = (letztes - erstes) / (KurvenPunkteAnzahl - 1);
  for (int i = 0; i < KurvenPunkteAnzahl; ++i) {
    const double xi = static_cast<double>(erstes + i * schritt);
    e.kurveX[static_cast<size_t>(i)] = xi;
    double yi = 0;
    const bool gut = std::isfinite(xi) && FormelWert(modell, e.koeff.data(), xi, yi);
    e.gueltig[static_cast<size_t>(i)] = gut;
    e.kurveY[static_cast<size_t>(i)] = gut ? yi : 0.0;
  }
  return e;
}

// ---- Coefficient text ---------------------------------------------------------------------

namespace {

// The shortest decimal digits of |v| (no leading zeros) and the exponent of the first one:
// |v| = d1.d2d3... · 10^exponent.
void KuerzesteZiffern(double v, std::string& ziffern, int& exponent) {
  char puffer[64];
  const auto res = std::to_chars(puffer, puffer + sizeof puffer, std::fabs(v), std::chars_format::scientific);
  const std::string_view text(puffer, static_cast<size_t>(res.ptr - puffer));
  const size_t e = text.find('e');
  ziffern.clear();
  for (char c : text.substr(0, e))
    if (c >= '0' && c <= '9') ziffern += c;
  exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
}

// Keeps the first `anzahl` digits, rounding half up on the rest; a carry out of the first
// digit adds a digit in front (and the caller's exponent grows by one). anzahl >= 0.
bool HalbAufRunden(std::string& ziffern, int anzahl) {
  const size_t behalten = static_cast<size_t>(anzahl);
  if (ziffern.size() <= behalten) {
    ziffern.append(behalten - ziffern.size(), '0');
    return false;
  }
  const bool auf = ziffern[behalten] >= '5';
  ziffern.resize(behalten);
  if (!auf) return false;
  for (size_t i = behalten; i-- > 0;) {
    if (ziffern[i] != '9') {
      ++ziffern[i];
      return false;
    }
    ziffern[i] = '0';
  }
  ziffern.insert(ziffern.begin(), '1');
  return true;
}

std::string Gruppiert(const std::string& ganz) {
  std::string r;
  const size_t n = ganz.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) r += '.';
    r += ganz[i];
  }
  return r;
}

std::string FestMitVierStellen(double v) {
  std::string ziffern;
  int exponent = 0;
  KuerzesteZiffern(v, ziffern, exponent);
  // Digits up to the fourth decimal (at least two, since v >= 0.001).
  std::string behalten = ziffern;
  if (HalbAufRunden(behalten, exponent + 1 + 4)) ++exponent;
  const int ganzStellen = exponent + 1;
  std::string ganz, bruch;
  if (ganzStellen > 0) {
    ganz = behalten.substr(0, static_cast<size_t>(ganzStellen));
    bruch = behalten.substr(static_cast<size_t>(ganzStellen));
  } else {
    ganz = "0";
    bruch = std::string(static_cast<size_t>(-ganzStellen), '0') + behalten;
  }
  bruch.resize(4, '0');
  return Gruppiert(ganz) + "," + bruch;
}

std::string ExponentMitVierStellen(double v) {
  std::string ziffern;
  int exponent = 0;
  if (v == 0) {
    ziffern = "0000";
  } else {
    KuerzesteZiffern(v, ziffern, exponent);
    if (HalbAufRunden(ziffern, 4)) {
      ++exponent;
      ziffern.resize(4);
    }
  }
  std::string r = v < 0 ? "-" : "";
  r += ziffern[0];
  r += ',';
  r += ziffern.substr(1, 3);
  r += exponent < 0 ? "E-" : "E+";
  const int betrag = std::abs(exponent);
  if (betrag < 10) r += '0';
  r += std::to_string(betrag);
  return r;
}

}  // namespace

std::string KoeffizientText(double v, bool abrunden) {
  if (!abrunden || !std::isfinite(v)) return FloatText(v);
  if (v >= 0.001 && v <= 1000) return FestMitVierStellen(v);
  return ExponentMitVierStellen(v);
}

bool KoeffizientLesen(std::string_view text, double& wert) {
  std::string t(text);
  if (t.find(',') != std::string::npos) t = OhnePunkt(t);
  long double v = 0;
  if (!TextZuZahlStreng(t, v)) return false;
  // The listed text of a coefficient near the largest double may round beyond it
  // ("1,798E+308"); within the rounding of the shorter form it still means that double.
  constexpr long double groesste = std::numeric_limits<double>::max();
  if (std::fabs(v) > groesste && std::fabs(v) <= groesste * 1.001L) v = std::copysign(groesste, v);
  const double d = static_cast<double>(v);
  if (!std::isfinite(d)) return false;
  wert = d;
  return true;
}

}  // namespace kolvex
