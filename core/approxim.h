#pragma once
// The least-squares fit of the data graph: a model text such as
// "y = a1 + a2*x + a3*Sqrt(x)" is a sum of terms, each a coefficient times one of 27 basis
// functions of x. The fit builds the normal equations in the solver's 31 x 31 storage,
// inverts them (core/matrix.h) and samples the fitted curve at 1000 points.
//
// Messages are not shown here: a fit returns at most one text, and only while the pass's
// flag (TermFehlerGemeldet during a redraw of all curves) is clear; the first one wins and
// sets the flag. Texts are core text (Latin-1 bytes).
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kolvex {

inline constexpr int MaxTerme = 10;             // terms of a model
inline constexpr int KurvenPunkteAnzahl = 1000;  // samples of a fitted curve
inline constexpr int BasisAnzahl = 27;

// The basis names in table order: "C", "x", "x^2" .. "x^10", "1/x", "1/(x^2)" ..
// "1/(x^5)", "e^x", "e^(x^2)", "e^(-x)", "e^(-x^2)", "10^x", "10^(x^2)", "Sqrt(x)",
// "x^(1/3)", "Ln(x)", "Log(x)", "sin(x)". BasisNummer is 1-based into this table.
extern const std::array<std::string_view, BasisAnzahl> BasisNamen;
// 1..27 for a supported name (compared exactly, case included), 0 for any other.
int BasisNummer(std::string_view name);

// A parsed model. The text after the first "=" is split at "+"; each piece without its
// blanks is split at "*", and the second part is the basis name ("C" when there is none,
// as in a bare "a1"). The coefficient's own name is ignored: coefficient j belongs to term
// j. A text without "=" has no terms; pieces that are empty after removing the blanks are
// no terms either (as in "y = "); beyond 10 terms the rest is dropped and zuVieleTerme set.
struct Modell {
  std::vector<std::string> namen;  // basis name of each term, in text order
  std::vector<int> basis;          // BasisNummer of each term
  bool zuVieleTerme = false;
  int Anzahl() const { return static_cast<int>(basis.size()); }
};
Modell ModellLesen(std::string_view text);

// "Max. 10 Funktion"
extern const std::string_view MeldungZuVieleTerme;

// Collects the one message of a pass: only while the flag is clear; the first one sets it.
class TermMeldung {
 public:
  explicit TermMeldung(bool& gemeldet) : gemeldet_(&gemeldet) {}
  void Melden(std::string_view text) {
    if (*gemeldet_) return;
    *gemeldet_ = true;
    text_ = text;
  }
  const std::string& Text() const { return text_; }

 private:
  bool* gemeldet_;
  std::string text_;
};

// f(x) of a term as the fit uses it, in extended precision. A value that is not finite
// failed (1/x at 0, a logarithm of 0 or below, x^(1/3) of a negative x, an overflow): the
// fit leaves it out of every sum. "e^x" gives 0 when it overflows. A negative x under
// "Sqrt(x)" gives 0 and the message "Fehler"; an unsupported name gives 0 and the message
// name + " nicht unterstützt". meldung may be null.
long double TermWert(int basis, std::string_view name, long double x, TermMeldung* meldung);
// f(x)·y. Reports only the negative square root (0 then); an unsupported name gives 0.
long double TermWertMalY(int basis, long double x, long double y, TermMeldung* meldung);

// The model's value at x with the coefficients koeff[0..k-1]: a double sum of extended
// terms, computed from a double x. "Sqrt(x)" adds nothing below 0, unsupported names add
// nothing. False when a term or the sum is not finite (the sample failed); no messages.
bool FormelWert(const Modell& modell, const double* koeff, double x, double& wert);

enum class FitFehler {
  Keiner,
  KeineTerme,     // the model has no terms: nothing to fit, nothing to report
  NichtLoesbar,   // the solver stopped (overflow in the inversion or the product)
  Zahlenbereich,  // the solver lost its pivot to the double range even on the scaled sums
  NichtEndlich,   // a coefficient is not finite as a double
  ZuKlein,        // a coefficient that counts is too small for a double (it would be lost)
};

// Fits the model to the n points (x[i], y[i]), i = 0..n-1, and writes koeff[0..k-1]. Every
// basis is evaluated once per point; each product-and-add of the normal equations is left
// out when a basis value failed or the product or the new sum is not finite. The sums are
// solved by NormalgleichungenLoesen (core/matrix.h), so data near the ends of the number
// range (x near 1e200: sums of x^2 near 1e400) is fitted on exactly scaled sums. Too few
// points or a singular matrix are not detected: the coefficients are what the solver's
// zero-pivot rule gives. fehlerKoeff gets the 1-based coefficient of NichtEndlich and
// ZuKlein.
FitFehler KoeffizientenBerechnen(const Modell& modell, const long double* x, const long double* y,
                                 std::size_t n, std::vector<double>& koeff, TermMeldung& meldung,
                                 int* fehlerKoeff = nullptr);

struct FitErgebnis {
  std::vector<double> koeff;  // a1..ak at 0..k-1 (fitted or typed)
  std::array<double, KurvenPunkteAnzahl> kurveX{};
  std::array<double, KurvenPunkteAnzahl> kurveY{};
  // A sample whose evaluation failed is invalid: not drawn, not part of the highest value.
  std::array<bool, KurvenPunkteAnzahl> gueltig{};
  bool ok = false;  // false: no curve (no terms, the solver failed, a coefficient not finite)
  FitFehler fehler = FitFehler::Keiner;
  int fehlerKoeff = 0;
  std::string meldung;  // this fit's message of the pass, if it made one
};

// Fits the model text to the points (or takes the typed coefficients instead, when
// getippt is not null: missing ones are 0, extra ones ignored) and samples the curve:
// kurveX[i] = x_first + i·(x_last − x_first)/999, where x_first and x_last are the first
// and the last point in the given order (0 without points), never the minimum and maximum.
// With more than 10 terms the first 10 are used and "Max. 10 Funktion" is the message.
FitErgebnis KurveBerechnen(std::string_view modellText, const long double* x, const long double* y,
                           std::size_t n, const std::vector<double>* getippt,
                           bool& termFehlerGemeldet);

// A coefficient as the model builder lists it. Without abrunden the general float text (15
// significant digits, decimal comma). With abrunden: 0.001 <= v <= 1000 (signed, so every
// negative value takes the other form) in fixed form with 4 decimals and thousands grouping
// ("1.234,5000"), otherwise exponent form with 4 significant digits and at least two
// exponent digits ("1,235E+04"); both round the shortest decimal form of v half up.
std::string KoeffizientText(double v, bool abrunden);

// A typed coefficient: with a "," in the text every "." is a thousands separator and is
// dropped ("1.000,0000" is 1000), otherwise "," or "." is the decimal point. False when
// the text is not a number or does not fit a double; a text that the listing of the largest
// doubles rounded up beyond the double range is read as the largest double.
bool KoeffizientLesen(std::string_view text, double& wert);

}  // namespace kolvex
