#include "core/berechnung.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/globals.h"
#include "tests/core/fake_fenster.h"
#include "tests/core/kurven_differenz.h"

namespace kolvex {
namespace {

using test::FakeFenster;

TEST(Berechnung, EachWayACalculationEndsWithItsCaretLetterAndStatus) {
  FakeFenster fenster;
  struct Fall {
    const char* formel;
    Ausgang ausgang;
    int position;
    int32_t fehlerCode;
  };
  for (const Fall& fall : {
           Fall{"2+3*(4-1)^2", Ausgang::Zahl, 0, 0},
           Fall{"   ", Ausgang::Leer, 0, 0},
           Fall{"2+3x", Ausgang::Syntaxfehler, 4, -1},
           Fall{"2*-3", Ausgang::Syntaxfehler, 2, -1},
           Fall{"((2)", Ausgang::Klammerfehler, 0, -1},
           Fall{"1+LN(0)", Ausgang::Vorpruefung, 5, -1},  // caret behind the name
           Fall{"TAN(90)", Ausgang::Fehler, 0, -1},
           Fall{"2+1/(1-1)", Ausgang::FehlerMalGeteilt, 0, -1},
           Fall{"(2)^(1/0,5)-(0)^(-1)", Ausgang::Fehler, 0, -1},
       }) {
    FehlerCode = -1;  // whatever an earlier calculation left
    const Berechnung b = Berechnen(fall.formel, false);
    EXPECT_EQ(b.ausgang, fall.ausgang) << fall.formel;
    EXPECT_EQ(b.Position, fall.position) << fall.formel;
    EXPECT_EQ(FehlerCode, fall.fehlerCode) << fall.formel;
  }
  EXPECT_EQ(fenster.meldungen,
            (std::vector<std::string>{"Falsche Wert in ln()", "Falsche Wert in tan()", "Division durch 0"}));
  EXPECT_FALSE(StillModus);  // the driver's pre-check is never silent

  fenster.Wert('a', "");
  const Berechnung fehlt = Berechnen("2*a", false);
  EXPECT_EQ(fehlt.ausgang, Ausgang::KeinWert);
  EXPECT_EQ(fehlt.Buchstabe, 'a');
  EXPECT_EQ(FehlerCode, -1);
}

TEST(Berechnung, LastResultFollowsTheOutcomeAndTheReplaceMode) {
  FakeFenster fenster;
  LetztesErgebnis = 7;
  Berechnung b = Berechnen("2+3", true);  // replace mode shows the text instead
  EXPECT_EQ(b.ausgang, Ausgang::Zahl);
  EXPECT_EQ(b.Text, "5");
  EXPECT_EQ(LetztesErgebnis, 7);

  b = Berechnen("1/3*3", false);
  EXPECT_EQ(b.Text, "0,999999999999999");
  EXPECT_EQ(LetztesErgebnis, b.Wert);

  // A runtime fault keeps both the last result and the status the passes had reached.
  const long double vorher = LetztesErgebnis;
  b = Berechnen("ATANH(2)", false);
  EXPECT_EQ(b.ausgang, Ausgang::Ausnahme);
  EXPECT_EQ(FehlerCode, 0);
  EXPECT_EQ(LetztesErgebnis, vorher);

  // ESC leaves a text that is no number yet: "Error", and the last result becomes 0.
  fenster.escNach = 0;
  b = Berechnen("((1+2)*(3+4))", false);
  EXPECT_EQ(b.ausgang, Ausgang::KeineZahl);
  EXPECT_EQ(b.Text, "((3)*(3+4))");
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_EQ(LetztesErgebnis, 0);
}

TEST(Berechnung, TheLogFormulaLeavesTheCalculationsStatusAlone) {
  FakeFenster fenster;
  fenster.Wert('a', "-3");
  fenster.Wert('d', "1/0");
  FehlerCode = -1;
  EXPECT_EQ(ProtokollFormel("2 * a"), "2*-3");
  EXPECT_EQ(FehlerCode, -1);
  FehlerCode = 0;
  EXPECT_EQ(ProtokollFormel("2*b"), "");  // no value
  EXPECT_EQ(ProtokollFormel("d+1"), "");  // the cell divides by zero, and says so
  EXPECT_EQ(FehlerCode, 0);
  EXPECT_EQ(fenster.meldungen, std::vector<std::string>{"Division durch 0"});
}

TEST(Kurvenformel, PreparationReportsWhatStopsACurve) {
  FakeFenster fenster;
  Kurvenformel k;
  EXPECT_EQ(k.Vorbereiten(" ", 'x'), Kurvenformel::Stand::Leer);
  EXPECT_EQ(k.Vorbereiten("(x", 'x'), Kurvenformel::Stand::Klammerfehler);
  EXPECT_EQ(k.Position(), -1);
  EXPECT_EQ(k.Vorbereiten("x^2+a", 'x'), Kurvenformel::Stand::KeinWert);
  EXPECT_EQ(k.Buchstabe(), 'a');
  fenster.Wert('a', "abc");
  EXPECT_EQ(k.Vorbereiten("x+a", 'x'), Kurvenformel::Stand::Ausnahme);
  EXPECT_EQ(FehlerCode, -1);

  fenster.Wert('a', "-2");
  ASSERT_EQ(k.Vorbereiten("x^2*a - x + (x)/a", 'x'), Kurvenformel::Stand::Bereit);
  EXPECT_EQ(k.Text(-1.5L), "-1,5^2*-2--1,5+(-1,5)/-2");
  long double y = 0;
  ASSERT_TRUE(k.Wert(3, y));
  EXPECT_EQ(y, -22.5L);  // x^2 from the front of the text keeps its sign: (3)^2
  EXPECT_TRUE(StillModus);
  ASSERT_EQ(k.Vorbereiten("1/x", 'x'), Kurvenformel::Stand::Bereit);
  EXPECT_FALSE(k.Wert(0, y));
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_TRUE(fenster.meldungen.empty());  // points are computed silently
}

// The replayed plan must round every step as the text it replaces reads back.
TEST(Gerundet15, IsTheValueOfTheCarriedText) {
  test::Zufall z(7);
  for (int i = 0; i < 200000; ++i) {
    long double v = test::ZufallsX(z);
    if (i % 3 == 0) v = v / 3;
    if (i % 5 == 0) v = std::nextafter(v, 1e30L);
    long double gelesen = 0;
    ASSERT_TRUE(TextZuZahlStreng(ZahlZuText(0, v), gelesen));
    ASSERT_EQ(Gerundet15(v), gelesen) << ZahlZuText(0, v);
  }
  EXPECT_TRUE(std::isnan(Gerundet15(INFINITY)));
  EXPECT_FALSE(std::signbit(Gerundet15(-0.0L)));  // "0"
}

TEST(Kurvenformel, PlansOnlyWhatTheRewritingEvaluatesInAFixedOrder) {
  FakeFenster fenster;
  test::WerteSetzen(fenster);
  Kurvenformel k;
  for (const char* mitPlan : {"SIN(x)*(x)^2+2*x", "-(x)^2", "x*a-b/x", "(LN((x)^2+1))!", "SIN((x)^2)^2", "(x)^(-a)", "2-x"}) {
    ASSERT_EQ(k.Vorbereiten(mitPlan, 'x'), Kurvenformel::Stand::Bereit);
    EXPECT_TRUE(k.HatPlan()) << mitPlan;
  }
  // A bare number as a base takes a sign in front with it; chains and "^(..)!" go by which
  // part is a number first; x directly behind "^" has no parentheses for its sign.
  for (const char* ohnePlan : {"2^x", "(2)^(x)^(2)", "(x+1)^(2)!", "x^2", "3!*x", "2(x)", "x*SINX(2)", "(-(x))", "LN(x)!", "TANH((x)^0)^2"}) {
    ASSERT_EQ(k.Vorbereiten(ohnePlan, 'x'), Kurvenformel::Stand::Bereit);
    EXPECT_FALSE(k.HatPlan()) << ohnePlan;
  }
  // Faults on the way are the rewriting's: its messages would be the same, silently none.
  ASSERT_EQ(k.Vorbereiten("1/(x-1)+TAN(x)", 'x'), Kurvenformel::Stand::Bereit);
  long double y = 0;
  EXPECT_FALSE(k.Wert(1, y));
  EXPECT_FALSE(k.Wert(90, y));
  EXPECT_NE(fenster.caret, -1);  // the tangent pole moved the caret, as the text's pass does
  EXPECT_TRUE(k.Wert(45, y));
  EXPECT_EQ(y, Gerundet15(Gerundet15(1.0L / 44) + 1));
}

// A result below the smallest normal long double: the rewriting ends with its long digit
// text, which reads back as the subnormal; the replay must give that value and text, not 0.
TEST(Berechnung, SubnormalResultsAreTheSameWithAndWithoutThePlan) {
  FakeFenster fenster;
  test::WerteSetzen(fenster);
  for (const char* formel : {"(0,1)^4940", "(0,1)^4940*3", "(0,1)^4935/(10)^10", "-(0,1)^4945", "(0,5)^16400",
                             "(x)^4940"}) {
    fenster.Wert('x', "0,1");
    for (const bool ersetzen : {true, false}) {
      const test::Rechnung ohne = test::Rechnen(fenster, formel, ersetzen, false);
      const test::Rechnung mit = test::Rechnen(fenster, formel, ersetzen, true);
      EXPECT_EQ(mit.b.ausgang, Ausgang::Zahl) << formel;
      EXPECT_NE(mit.b.Wert, 0) << formel;
      EXPECT_LT(std::fabs(mit.b.Wert), std::numeric_limits<long double>::min()) << formel;
      EXPECT_EQ(mit.b.Text.size(), ohne.b.Text.size()) << formel;
      EXPECT_TRUE(mit == ohne) << formel << ": \"" << mit.b.Text.substr(0, 40) << "\" against \""
                               << ohne.b.Text.substr(0, 40) << "\"";
    }
  }
  // The function graph's points of the same kind.
  test::Vergleich v;
  test::KurveVergleichen(fenster, "(x)^4940", {0.1L, 0.2L, -0.1L, 0.01L}, v);
  test::KurveVergleichen(fenster, "(x)^2*(0,1)^4930", {1e-5L, 3, -7}, v);
  EXPECT_EQ(v.fehler, "");
  EXPECT_EQ(v.geplant, v.punkte);
}

// Random formulas, each at punkte random values of x, in both angle modes, through one of
// the comparisons of kurven_differenz.h.
template <typename Vergleichen>
test::Vergleich ZufallsVergleich(uint64_t saat, int punkte, Vergleichen vergleichen) {
  FakeFenster fenster;
  test::WerteSetzen(fenster);
  test::Zufall z(saat);
  test::Vergleich v;
  for (int i = 0; i < 1500 && v.fehler.empty(); ++i) {
    fenster.rad = i % 2 == 1;
    const std::string formel = test::ZufallsFormel(z);
    std::vector<long double> xs;
    for (int k = 0; k < punkte; ++k) xs.push_back(test::ZufallsX(z));
    vergleichen(fenster, formel, xs, v);
  }
  return v;
}

// Prepared points against points rewritten from the formula every time: the same values to
// the bit and the same traces in the status and the window.
TEST(Kurvenformel, PreparedPointsAreThePointsOfTheRewriting) {
  const test::Vergleich v = ZufallsVergleich(20261207, 10, test::KurveVergleichen);
  EXPECT_EQ(v.fehler, "");
  EXPECT_GT(v.geplant, v.punkte / 10);  // the plan is really used
}

// Whole calculations of the main window with the plan against the same calculations
// rewritten: outcome, text, value, caret, status, last result and every message alike.
TEST(Berechnung, ReplayedCalculationsAreTheRewrittenOnes) {
  const test::Vergleich v = ZufallsVergleich(4711, 6, test::RechnungVergleichen);
  EXPECT_EQ(v.fehler, "");
  EXPECT_GT(v.geplant, v.punkte / 10);
}

}  // namespace
}  // namespace kolvex
