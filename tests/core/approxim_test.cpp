#include "core/approxim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace kolvex {
namespace {

struct Punkte {
  std::vector<long double> x, y;
  void Add(long double px, long double py) {
    x.push_back(px);
    y.push_back(py);
  }
};

Punkte Aus(const std::vector<long double>& xs, const std::function<long double(long double)>& f) {
  Punkte p;
  for (long double x : xs) p.Add(x, f(x));
  return p;
}

FitErgebnis Fit(const std::string& modell, const Punkte& p, bool& gemeldet,
                const std::vector<double>* getippt = nullptr) {
  return KurveBerechnen(modell, p.x.data(), p.y.data(), p.x.size(), getippt, gemeldet);
}

FitErgebnis Fit(const std::string& modell, const Punkte& p) {
  bool gemeldet = false;
  return Fit(modell, p, gemeldet);
}

// The extended transcendental functions differ in their last bit between processor makers
// (log10l(1000) is 3 on one and 3 + 1 ulp on another): never compared exactly.
::testing::AssertionResult WenigeUlps(long double ist, long double soll) {
  constexpr int ulps = 4;
  const long double a = std::max(std::fabs(soll), 1.0L);  // near 0: the ulp of 1
  const long double ulp = std::nextafter(a, std::numeric_limits<long double>::infinity()) - a;
  if (std::fabs(ist - soll) <= ulps * ulp) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(ist) << " is more than " << ulps
                                       << " ulps from " << static_cast<double>(soll);
}

void ErwarteKoeff(const FitErgebnis& e, const std::vector<double>& soll, double toleranz) {
  ASSERT_TRUE(e.ok);
  ASSERT_EQ(e.koeff.size(), soll.size());
  for (size_t j = 0; j < soll.size(); ++j)
    EXPECT_NEAR(e.koeff[j], soll[j], toleranz * std::max(1.0, std::fabs(soll[j]))) << "a" << j + 1;
}

// ---- Model text --------------------------------------------------------------------------

TEST(ModellLesen, TermsInTextOrderWhateverTheCoefficientsAreCalled) {
  Modell m = ModellLesen("y = a1 + a7*x +a3 * x^2+ a2*Sqrt( x )");
  ASSERT_EQ(m.Anzahl(), 4);
  EXPECT_EQ(m.namen, (std::vector<std::string>{"C", "x", "x^2", "Sqrt(x)"}));
  EXPECT_EQ(m.basis, (std::vector<int>{1, 2, 3, 23}));
  EXPECT_FALSE(m.zuVieleTerme);

  m = ModellLesen("y = a1*C + a2*sqrt(x) + a3*x^11 + a4*x*x");
  EXPECT_EQ(m.namen, (std::vector<std::string>{"C", "sqrt(x)", "x^11", "x"}));
  EXPECT_EQ(m.basis, (std::vector<int>{1, 0, 0, 2}));  // case counts; only the second part

  EXPECT_EQ(ModellLesen("a1 + a2*x").Anzahl(), 0);  // no "="
  EXPECT_EQ(ModellLesen("y = ").Anzahl(), 0);
  EXPECT_EQ(ModellLesen("y =").Anzahl(), 0);
  EXPECT_EQ(ModellLesen("y = a1 + + a2*x").namen, (std::vector<std::string>{"C", "x"}));
}

TEST(ModellLesen, AtMostTenTerms) {
  std::string text = "y = a1";
  for (int j = 2; j <= 12; ++j) text += " + a" + std::to_string(j) + "*x^" + std::to_string(j - 1);
  const Modell m = ModellLesen(text);
  EXPECT_EQ(m.Anzahl(), 10);
  EXPECT_TRUE(m.zuVieleTerme);
  EXPECT_EQ(m.namen.back(), "x^9");
}

TEST(BasisNummer, TheTwentySevenNamesExactly) {
  const char* namen[] = {"C",       "x",       "x^2",     "x^3",      "x^4",     "x^5",
                         "x^6",     "x^7",     "x^8",     "x^9",      "x^10",    "1/x",
                         "1/(x^2)", "1/(x^3)", "1/(x^4)", "1/(x^5)",  "e^x",     "e^(x^2)",
                         "e^(-x)",  "e^(-x^2)", "10^x",   "10^(x^2)", "Sqrt(x)", "x^(1/3)",
                         "Ln(x)",   "Log(x)",  "sin(x)"};
  for (int i = 0; i < 27; ++i) EXPECT_EQ(BasisNummer(namen[i]), i + 1) << namen[i];
  for (const char* fremd : {"c", "X", "x^1", "x^11", "1/x^2", "e^-x", "SQRT(x)", "ln(x)", "log(x)",
                            "Sin(x)", "cos(x)", ""})
    EXPECT_EQ(BasisNummer(fremd), 0) << fremd;
}

// ---- Basis values ------------------------------------------------------------------------

TEST(TermWert, FormulasAndTheirFailures) {
  const long double x = 1.0L / 3.0L;
  EXPECT_EQ(TermWert(4, "x^3", x, nullptr), (x * x) * x);  // repeated multiplication
  EXPECT_EQ(TermWert(11, "x^10", 2, nullptr), 1024);
  EXPECT_EQ(TermWert(14, "1/(x^3)", 2, nullptr), 0.125L);
  EXPECT_TRUE(WenigeUlps(TermWert(20, "e^(-x^2)", 2, nullptr), 0.0183156388887341802937180212732L));
  EXPECT_TRUE(WenigeUlps(TermWert(22, "10^(x^2)", 2, nullptr), 10000));
  EXPECT_TRUE(WenigeUlps(TermWert(27, "sin(x)", 0.5L, nullptr), 0.479425538604203000273287935216L));  // radians
  for (int k = -6; k <= 12; ++k) {
    const long double zehnerPotenz = std::strtold(("1e" + std::to_string(k)).c_str(), nullptr);
    EXPECT_TRUE(WenigeUlps(TermWert(26, "Log(x)", zehnerPotenz, nullptr), k)) << k;
  }
  EXPECT_NEAR(static_cast<double>(TermWert(24, "x^(1/3)", 27, nullptr)), 3.0, 1e-15);

  // The general power fails for a negative base; there is no cube root of -8 here.
  EXPECT_FALSE(std::isfinite(TermWert(24, "x^(1/3)", -8, nullptr)));
  EXPECT_FALSE(std::isfinite(TermWert(12, "1/x", 0, nullptr)));
  EXPECT_FALSE(std::isfinite(TermWert(25, "Ln(x)", 0, nullptr)));
  EXPECT_FALSE(std::isfinite(TermWert(26, "Log(x)", -1, nullptr)));
  EXPECT_FALSE(std::isfinite(TermWert(21, "10^x", 5000, nullptr)));
  // Only e^x has its own guard.
  EXPECT_EQ(TermWert(17, "e^x", 12000, nullptr), 0);
  EXPECT_FALSE(std::isfinite(TermWertMalY(17, 12000, 1, nullptr)));
}

TEST(TermWert, MessagesOncePerPass) {
  bool gemeldet = false;
  TermMeldung m(gemeldet);
  EXPECT_EQ(TermWert(0, "x^11", 2, &m), 0);
  EXPECT_EQ(m.Text(), "x^11 nicht unterst\xFCtzt");
  EXPECT_TRUE(gemeldet);
  EXPECT_EQ(TermWert(23, "Sqrt(x)", -4, &m), 0);
  EXPECT_EQ(m.Text(), "x^11 nicht unterst\xFCtzt");  // the first one wins

  bool frisch = false;
  TermMeldung n(frisch);
  EXPECT_EQ(TermWertMalY(0, 2, 5, &n), 0);  // unsupported: silent here
  EXPECT_FALSE(frisch);
  EXPECT_EQ(TermWertMalY(23, -4, 5, &n), 0);
  EXPECT_EQ(n.Text(), "Fehler");
  EXPECT_EQ(TermWertMalY(23, 4, 5, &n), 10);
}

TEST(FormelWert, SumOfTermsWithTheSpecialRules) {
  const Modell m = ModellLesen("y = a1 + a2*Sqrt(x) + a3*x^11 + a4*x");
  const double k[] = {1, 2, 100, 3};
  double w = 0;
  ASSERT_TRUE(FormelWert(m, k, 4, w));
  EXPECT_EQ(w, 1 + 2 * 2 + 3 * 4);  // the unsupported term adds nothing
  ASSERT_TRUE(FormelWert(m, k, -4, w));
  EXPECT_EQ(w, 1 - 12);  // nor does the root of a negative x

  const double eins[] = {1};
  EXPECT_FALSE(FormelWert(ModellLesen("y = a1*e^x"), eins, 12000, w));  // no guard here
  EXPECT_FALSE(FormelWert(ModellLesen("y = a1*Ln(x)"), eins, 0, w));
  EXPECT_FALSE(FormelWert(ModellLesen("y = a1*x^2"), eins, 1e200, w));  // sum beyond double
}

// ---- Fits with exact answers -------------------------------------------------------------

TEST(KurveBerechnen, StraightLineAndItsSamples) {
  Punkte p;
  p.Add(0, 1);
  p.Add(1, 3);
  p.Add(2, 5);
  const FitErgebnis e = Fit("y = a1 + a2*x", p);
  ErwarteKoeff(e, {1, 2}, 1e-15);
  EXPECT_EQ(e.kurveX[0], 0);
  EXPECT_DOUBLE_EQ(e.kurveX[1], 2.0 / 999);
  EXPECT_DOUBLE_EQ(e.kurveX[999], 2);
  EXPECT_DOUBLE_EQ(e.kurveY[999], 5);
  for (bool g : e.gueltig) EXPECT_TRUE(g);
  EXPECT_TRUE(e.meldung.empty());
}

TEST(KurveBerechnen, ModelsOfEveryFamily) {
  const std::vector<long double> xs{0.5L, 1, 1.5L, 2, 3, 4, 5, 7};
  ErwarteKoeff(Fit("y = a1 + a2*x + a3*x^2 + a4*x^3",
                   Aus(xs, [](long double x) { return 1 - 2 * x + 3 * x * x - 0.5L * x * x * x; })),
               {1, -2, 3, -0.5}, 1e-11);
  ErwarteKoeff(Fit("y = a1 + a2*Sqrt(x) + a3*x^(1/3)",
                   Aus(xs, [](long double x) { return 2 + 3 * std::sqrt(x) - std::cbrt(x); })),
               {2, 3, -1}, 1e-10);
  ErwarteKoeff(Fit("y = a1*e^x + a2*e^(-x)",
                   Aus(xs, [](long double x) { return 2 * std::exp(x) + 3 * std::exp(-x); })),
               {2, 3}, 1e-12);
  ErwarteKoeff(Fit("y = a1 + a2*1/x + a3*1/(x^2)",
                   Aus(xs, [](long double x) { return 4 + 2 / x - 1 / (x * x); })),
               {4, 2, -1}, 1e-11);
  ErwarteKoeff(Fit("y = a1 + a2*Ln(x)", Aus(xs, [](long double x) { return 1 + 2 * std::log(x); })),
               {1, 2}, 1e-13);
  ErwarteKoeff(Fit("y = a1*Log(x) + a2*sin(x) + a3*10^x",
                   Aus(xs, [](long double x) { return 3 * std::log10(x) - std::sin(x) + 1e-3L * std::pow(10.0L, x); })),
               {3, -1, 1e-3}, 1e-10);
  ErwarteKoeff(Fit("y = a1 + a2*e^(x^2) + a3*e^(-x^2)",
                   Aus({0, 0.25L, 0.5L, 1, 1.5L, 2}, [](long double x) { return 1 + std::exp(x * x) - 2 * std::exp(-x * x); })),
               {1, 1, -2}, 1e-9);
}

TEST(KurveBerechnen, LogarithmAtZeroLeavesThePointOut) {
  Punkte p = Aus({1, 2, 5, 10}, [](long double x) { return 2 * std::log(x); });
  p.Add(0, 999);  // would spoil the fit if it entered a sum
  bool gemeldet = false;
  const FitErgebnis e = Fit("y = a1*Ln(x)", p, gemeldet);
  ErwarteKoeff(e, {2}, 1e-15);
  EXPECT_FALSE(gemeldet);
  // Samples run from the first point (1) to the last one (0): the last sample fails.
  EXPECT_EQ(e.kurveX[0], 1);
  EXPECT_EQ(e.kurveX[999], 0);
  EXPECT_TRUE(e.gueltig[998]);
  EXPECT_FALSE(e.gueltig[999]);
}

TEST(KurveBerechnen, DescendingXIsSampledInPointOrder) {
  const FitErgebnis e = Fit("y = a1 + a2*x", Aus({3, 2, 1, 0}, [](long double x) { return 10 - x; }));
  ErwarteKoeff(e, {10, -1}, 1e-15);
  EXPECT_EQ(e.kurveX[0], 3);
  EXPECT_DOUBLE_EQ(e.kurveX[999], 0);
  EXPECT_LT(e.kurveX[500], e.kurveX[499]);
  // Unsorted points: the first and the last decide, not the minimum and maximum.
  const FitErgebnis f = Fit("y = a1 + a2*x", Aus({2, -5, 9, 4}, [](long double x) { return x; }));
  EXPECT_EQ(f.kurveX[0], 2);
  EXPECT_DOUBLE_EQ(f.kurveX[999], 4);
}

TEST(KurveBerechnen, UnsupportedTermOneMessageAndNoContribution) {
  const Punkte p = Aus({0, 1, 2, 3}, [](long double x) { return 1 + 2 * x; });
  bool gemeldet = false;
  FitErgebnis e = Fit("y = a1 + a2*x + a3*x^11", p, gemeldet);
  EXPECT_EQ(e.meldung, "x^11 nicht unterst\xFCtzt");
  EXPECT_TRUE(gemeldet);
  ErwarteKoeff(e, {1, 2, 0}, 1e-15);
  EXPECT_DOUBLE_EQ(e.kurveY[999], 7);  // the term adds nothing to the curve either

  // Later fits of the same pass report nothing, whatever they meet.
  e = Fit("y = a1 + a2*sqrt(x)", p, gemeldet);
  EXPECT_TRUE(e.meldung.empty());
  gemeldet = false;  // next pass
  e = Fit("y = a1 + a2*sqrt(x)", p, gemeldet);
  EXPECT_EQ(e.meldung, "sqrt(x) nicht unterst\xFCtzt");
}

TEST(KurveBerechnen, NegativeRootReportsFehlerOnce) {
  const Punkte p = Aus({-4, -1, 0, 1, 4, 9}, [](long double x) { return 1 + x; });
  bool gemeldet = false;
  const FitErgebnis e = Fit("y = a1 + a2*x + a3*Sqrt(x)", p, gemeldet);
  EXPECT_EQ(e.meldung, "Fehler");
  ASSERT_TRUE(e.ok);
  // At a negative x the curve is the other terms only.
  double w = 0;
  const Modell m = ModellLesen("y = a1 + a2*x + a3*Sqrt(x)");
  ASSERT_TRUE(FormelWert(m, e.koeff.data(), -4, w));
  EXPECT_DOUBLE_EQ(e.kurveY[0], e.koeff[0] - 4 * e.koeff[1]);

  // The first problem met (point by point, term by term) is the message.
  gemeldet = false;
  EXPECT_EQ(Fit("y = a1*Sqrt(x) + a2*x^11", p, gemeldet).meldung, "Fehler");
  gemeldet = false;
  EXPECT_EQ(Fit("y = a1*x^11 + a2*Sqrt(x)", p, gemeldet).meldung, "x^11 nicht unterst\xFCtzt");
}

TEST(KurveBerechnen, ModelsWithoutTermsOrWithTooMany) {
  const Punkte p = Aus({1, 2, 3}, [](long double x) { return x; });
  bool gemeldet = false;
  FitErgebnis e = Fit("a1 + a2*x", p, gemeldet);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.fehler, FitFehler::KeineTerme);
  EXPECT_FALSE(gemeldet);

  std::string elf = "y = a1";
  for (int j = 2; j <= 11; ++j) elf += " + a" + std::to_string(j) + "*x^" + std::to_string(j - 1);
  e = Fit(elf, p, gemeldet);
  EXPECT_EQ(e.meldung, "Max. 10 Funktion");
  EXPECT_EQ(e.koeff.size(), 10u);
  e = Fit(elf, p, gemeldet);
  EXPECT_TRUE(e.meldung.empty());  // once per pass
}

TEST(KurveBerechnen, SingularAndDegenerateData) {
  // Fewer points than terms and no points at all: no report, finite coefficients from
  // the zero-pivot rule, and a curve.
  Punkte zwei;
  zwei.Add(1, 1);
  zwei.Add(2, 3);
  bool gemeldet = false;
  FitErgebnis e = Fit("y = a1 + a2*x + a3*x^2", zwei, gemeldet);
  EXPECT_TRUE(e.ok);
  EXPECT_FALSE(gemeldet);
  for (double k : e.koeff) EXPECT_TRUE(std::isfinite(k));

  e = Fit("y = a1 + a2*x", Punkte{}, gemeldet);
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.koeff, (std::vector<double>{0, 0}));
  EXPECT_EQ(e.kurveX[999], 0);

  // All points at the same x: the line is singular, the constant is still found.
  e = Fit("y = a1", Aus({2, 2, 2}, [](long double) { return 5; }), gemeldet);
  ErwarteKoeff(e, {5}, 1e-15);
}

TEST(KurveBerechnen, FailedFitsDrawNothing) {
  // e^(100^2) squared does not fit the extended type, so that point is left out of the
  // diagonal but not of the sum beside it, and the solver's swap overflows.
  Punkte steil = Aus({0, 100}, [](long double) { return 1; });
  FitErgebnis e = Fit("y = a1 + a2*e^(x^2)", steil);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.fehler, FitFehler::NichtLoesbar);
  for (bool g : e.gueltig) EXPECT_FALSE(g);

  // The sums near 1e-695 are solved scaled; the coefficient, about e^800, is too large.
  Punkte klein = Aus({800, 801}, [](long double) { return 1; });
  e = Fit("y = a1*e^(-x)", klein);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.fehler, FitFehler::NichtEndlich);

  // e^x on x up to 1000: its coefficient, about e^-1000, becomes 0 as a double, and the
  // curve would lose the term that carries its last point.
  std::vector<long double> weit;
  for (int i = 0; i <= 50; ++i) weit.push_back(20 * i);
  e = Fit("y = a1 + a2*e^x", Aus(weit, [](long double x) { return 1 + std::fmod(x / 20, 3.0L); }));
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.fehler, FitFehler::ZuKlein);
  EXPECT_EQ(e.fehlerKoeff, 2);

  // A coefficient beyond the double range.
  Punkte gross;
  gross.Add(1e-100L, 1e300L);
  e = Fit("y = a1*x", gross);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.fehler, FitFehler::NichtEndlich);
  EXPECT_EQ(e.fehlerKoeff, 1);
  EXPECT_TRUE(e.meldung.empty());
}

TEST(KurveBerechnen, DataNearTheEndsOfTheNumberRange) {
  // y = x on ten points from x0 to 1,9·x0: near 1e200 the sums of x^2 lie beyond the
  // double range, where the classic solver lost its pivot and drew a flat line at the mean.
  for (long double x0 : {1e150L, 1e200L, 1e300L, 1e-200L}) {
    std::vector<long double> xs;
    for (int i = 0; i < 10; ++i) xs.push_back(x0 * (1 + i / 10.0L));
    const FitErgebnis e = Fit("y = a1 + a2*x", Aus(xs, [](long double x) { return x; }));
    ASSERT_TRUE(e.ok) << static_cast<double>(x0);
    EXPECT_NEAR(e.koeff[1], 1, 1e-9) << static_cast<double>(x0);
    EXPECT_LE(std::fabs(e.koeff[0]), 1e-9 * static_cast<double>(x0)) << static_cast<double>(x0);
    for (int i = 0; i < KurvenPunkteAnzahl; i += 111) {
      ASSERT_TRUE(e.gueltig[static_cast<size_t>(i)]);
      EXPECT_NEAR(e.kurveY[static_cast<size_t>(i)] / e.kurveX[static_cast<size_t>(i)], 1, 1e-9) << i;
    }
  }
}

TEST(KurveBerechnen, FailedSamplesAreInvalid) {
  // 1/x over 0 .. 999: the first sample divides by zero, the others are fine.
  const Punkte p = Aus({0, 1, 999}, [](long double x) { return x == 0 ? 7 : 2 + 1 / x; });
  const FitErgebnis e = Fit("y = a1 + a2*1/x", p);
  ASSERT_TRUE(e.ok);
  EXPECT_FALSE(e.gueltig[0]);
  for (int i = 1; i < 1000; ++i) EXPECT_TRUE(e.gueltig[i]) << i;
  EXPECT_DOUBLE_EQ(e.kurveX[1], 1);
}

TEST(KurveBerechnen, TypedCoefficientsInsteadOfAFit) {
  const Punkte p = Aus({0, 1, 2}, [](long double x) { return x; });
  const std::vector<double> getippt{1.5, -2.5};
  FitErgebnis e;
  bool gemeldet = false;
  e = Fit("y = a1 + a2*x + a3*x^2", p, gemeldet, &getippt);
  EXPECT_EQ(e.koeff, (std::vector<double>{1.5, -2.5, 0}));  // a missing one is 0
  EXPECT_DOUBLE_EQ(e.kurveY[999], 1.5 - 5);
  const std::vector<double> viele{1, 2, 3, 4};
  e = Fit("y = a1", p, gemeldet, &viele);
  EXPECT_EQ(e.koeff, (std::vector<double>{1}));
}

// ---- Coefficient texts -------------------------------------------------------------------

TEST(KoeffizientText, GeneralForm) {
  EXPECT_EQ(KoeffizientText(0.1, false), "0,1");
  EXPECT_EQ(KoeffizientText(-2.5, false), "-2,5");
  EXPECT_EQ(KoeffizientText(1.0 / 3, false), "0,333333333333333");
  EXPECT_EQ(KoeffizientText(1e20, false), "1E20");
  EXPECT_EQ(KoeffizientText(1234.5, false), "1234,5");
}

TEST(KoeffizientText, RoundedForms) {
  EXPECT_EQ(KoeffizientText(1234.5, true), "1,235E+03");  // beyond 1000: exponent form
  EXPECT_EQ(KoeffizientText(12345, true), "1,235E+04");
  EXPECT_EQ(KoeffizientText(1000, true), "1.000,0000");
  EXPECT_EQ(KoeffizientText(0.001, true), "0,0010");
  EXPECT_EQ(KoeffizientText(0.0005, true), "5,000E-04");
  EXPECT_EQ(KoeffizientText(-2, true), "-2,000E+00");  // the range test is signed
  EXPECT_EQ(KoeffizientText(-0.5, true), "-5,000E-01");
  EXPECT_EQ(KoeffizientText(0, true), "0,000E+00");
  EXPECT_EQ(KoeffizientText(1.5, true), "1,5000");
  EXPECT_EQ(KoeffizientText(123.456789, true), "123,4568");
  // Half up on the decimal digits (0.00125 and 2.00005 are not exact in binary).
  EXPECT_EQ(KoeffizientText(0.00125, true), "0,0013");
  EXPECT_EQ(KoeffizientText(2.00005, true), "2,0001");
  EXPECT_EQ(KoeffizientText(1.00015, true), "1,0002");
  EXPECT_EQ(KoeffizientText(12355, true), "1,236E+04");
  // Carries into a new digit.
  EXPECT_EQ(KoeffizientText(999.99996, true), "1.000,0000");
  EXPECT_EQ(KoeffizientText(99995, true), "1,000E+05");
  EXPECT_EQ(KoeffizientText(-9.99951e-7, true), "-1,000E-06");
  EXPECT_EQ(KoeffizientText(1e-100, true), "1,000E-100");
  EXPECT_EQ(KoeffizientText(1.7976931348623157e308, true), "1,798E+308");
}

TEST(KoeffizientLesen, BothFormsReadBack) {
  double v = 0;
  ASSERT_TRUE(KoeffizientLesen("1.000,0000", v));
  EXPECT_EQ(v, 1000);
  ASSERT_TRUE(KoeffizientLesen("1,5", v));
  EXPECT_EQ(v, 1.5);
  ASSERT_TRUE(KoeffizientLesen("1.5", v));  // without a comma the point is the decimal point
  EXPECT_EQ(v, 1.5);
  ASSERT_TRUE(KoeffizientLesen(" -2,5 ", v));
  EXPECT_EQ(v, -2.5);
  ASSERT_TRUE(KoeffizientLesen("1,235E+04", v));
  EXPECT_EQ(v, 12350);
  for (const char* falsch : {"", "abc", "1,2,3", "1e400", "1.000.0"}) {
    v = 42;
    EXPECT_FALSE(KoeffizientLesen(falsch, v)) << falsch;
    EXPECT_EQ(v, 42);
  }
  // Whatever the builder lists can be typed back, even where the listing rounded beyond
  // the largest double.
  ASSERT_TRUE(KoeffizientLesen("-1,798E+308", v));
  EXPECT_EQ(v, -std::numeric_limits<double>::max());
  EXPECT_FALSE(KoeffizientLesen("1,8E+308", v));
  for (double w : {1000.0, 1234.5, 0.0005, -2.0, 0.333, 999.99, 1e-7, -123456.0,
                   std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::denorm_min()}) {
    for (bool abrunden : {false, true}) {
      ASSERT_TRUE(KoeffizientLesen(KoeffizientText(w, abrunden), v)) << KoeffizientText(w, abrunden);
      EXPECT_NEAR(v, w, std::fabs(w) * (abrunden ? 1e-3 : 1e-14)) << KoeffizientText(w, abrunden);
    }
  }
}

}  // namespace
}  // namespace kolvex
