#include "core/formel.h"

#include <gtest/gtest.h>

#include "core/globals.h"
#include "tests/core/fake_fenster.h"

namespace kolvex {
namespace {

using test::FakeFenster;

// Position of the first fault of the driver's syntax check, 0 when the text passes.
int SyntaxFehler(const std::string& f) {
  const std::string t = KlammernEinfuegen(OhneLeerzeichen(f));
  if (int p = FehlendesOperatorPos(t)) return p;
  if (int p = FormelPruefen(t)) return p;
  return LeereKlammerPos(t);
}

TEST(FormelZeichen, ClassesAndNames) {
  EXPECT_TRUE(IstOperator('/'));
  EXPECT_FALSE(IstOperator('^'));  // power and factorial are no operators here
  EXPECT_FALSE(IstOperator('!'));
  EXPECT_TRUE(IstOperatorOderKlammer(')'));
  EXPECT_TRUE(IstZifferOderKomma(','));
  EXPECT_FALSE(IstZifferOderKomma('.'));
  for (char c : std::string("nsgpNSGP^")) EXPECT_TRUE(IstFunktionsEndbuchstabe(c)) << c;
  EXPECT_FALSE(IstFunktionsEndbuchstabe('H'));
  EXPECT_TRUE(IstFunktion("sinh"));
  EXPECT_TRUE(IstFunktion("^"));
  EXPECT_TRUE(IstFunktion("Ln"));
  EXPECT_FALSE(IstFunktion(" SIN"));  // no trimming
  EXPECT_TRUE(IstWinkelFunktion("atanh"));
  EXPECT_FALSE(IstWinkelFunktion("LOG"));
  EXPECT_FALSE(IstWinkelFunktion("^"));
}

TEST(KlammernEinfuegen, WrapsFunctionArgumentsAndPowerOperands) {
  FakeFenster fenster;
  EXPECT_EQ(KlammernEinfuegen("SIN30"), "SIN(30)");
  EXPECT_EQ(KlammernEinfuegen("sin30"), "sin(30)");  // letters keep their case
  EXPECT_EQ(KlammernEinfuegen("SIN-30"), "SIN(-30)");
  EXPECT_EQ(KlammernEinfuegen("SINx"), "SIN()x");
  EXPECT_EQ(KlammernEinfuegen("SINH2"), "SINH(2)");
  EXPECT_EQ(KlammernEinfuegen("2+ASIN0,5*3"), "2+ASIN(0,5)*3");
  EXPECT_EQ(KlammernEinfuegen("-2^2"), "(-2)^(2)");
  EXPECT_EQ(KlammernEinfuegen("5-2^2"), "5-(2)^(2)");
  EXPECT_EQ(KlammernEinfuegen("2*x^2"), "2*x()^(2)");
  EXPECT_EQ(KlammernEinfuegen("x^2"), "(x)^(2)");
  EXPECT_EQ(KlammernEinfuegen("2^3^2"), "(2)^(3)^(2)");
  EXPECT_EQ(KlammernEinfuegen("2+3*(4-1)^2"), "2+3*(4-1)^(2)");
  EXPECT_EQ(KlammernEinfuegen("(2)^(3)"), "(2)^(3)");
  EXPECT_EQ(KlammernEinfuegen("1+2"), "1+2");
}

TEST(KlammernEinfuegen, EscDuringTheScansGivesAnEmptyText) {
  FakeFenster fenster;
  fenster.escNach = 0;
  EXPECT_EQ(KlammernEinfuegen("SIN30"), "");
  EXPECT_EQ(KlammernEinfuegen("SIN(30)"), "SIN(30)");  // nothing to insert: finished first
}

TEST(SyntaxCheck, MissingOperators) {
  EXPECT_EQ(FehlendesOperatorPos("2x"), 2);
  EXPECT_EQ(FehlendesOperatorPos("x2"), 1);
  EXPECT_EQ(FehlendesOperatorPos("2(3)"), 1);
  EXPECT_EQ(FehlendesOperatorPos("(2)3"), 3);
  EXPECT_EQ(FehlendesOperatorPos("(2)(3)"), 3);
  EXPECT_EQ(FehlendesOperatorPos("x,5"), 1);
  // The last scan with a finding decides: a letter beats a ")" found earlier.
  EXPECT_EQ(FehlendesOperatorPos("(2)3+4x"), 7);
  EXPECT_EQ(FehlendesOperatorPos("2*(3)+SIN(30)"), 0);
}

TEST(SyntaxCheck, AdjacentOperatorsAndBrackets) {
  EXPECT_EQ(FormelPruefen("2*-3"), 2);
  EXPECT_EQ(FormelPruefen("2+-3"), 2);
  EXPECT_EQ(FormelPruefen("2*(-3)"), 0);
  EXPECT_EQ(FormelPruefen("((2)"), -1);
  EXPECT_EQ(FormelPruefen(")("), 0);  // only the counts are compared
  EXPECT_EQ(FormelPruefen("((2)+-3"), 5);  // the operator pair is reported first
}

TEST(SyntaxCheck, EmptyGroups) {
  EXPECT_EQ(LeereKlammerPos("()"), 1);
  EXPECT_EQ(LeereKlammerPos("(*2)"), 1);
  EXPECT_EQ(LeereKlammerPos("1+(/2)"), 3);
  EXPECT_EQ(LeereKlammerPos("(x)^(2)"), 0);
}

TEST(SyntaxCheck, WholeFormulas) {
  EXPECT_EQ(SyntaxFehler("2 + 3"), 0);
  EXPECT_EQ(SyntaxFehler("2*x^2"), 4);  // becomes 2*x()^(2)
  EXPECT_EQ(SyntaxFehler("x^2"), 0);
  EXPECT_EQ(SyntaxFehler("(x)^2"), 0);
  EXPECT_EQ(SyntaxFehler("sin30"), 0);
  EXPECT_EQ(SyntaxFehler("SINx"), 4);
  EXPECT_EQ(SyntaxFehler("2)+(3"), 0);  // passes the checks; the evaluation must cope
}

TEST(FunktionenPruefen, ReportsNonPositiveLiteralLogarithms) {
  FakeFenster fenster;
  EXPECT_EQ(FunktionenPruefen("2+LN(0)", false), 4);  // the "N": the driver puts the caret behind it
  EXPECT_TRUE(FehlerFlag);
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_FALSE(StillModus);
  ASSERT_EQ(fenster.meldungen.size(), 1u);
  EXPECT_EQ(fenster.meldungen[0], "Falsche Wert in ln()");
  EXPECT_EQ(fenster.caret, 6);  // before the ")"
  EXPECT_EQ(fenster.ergebnisGeleert, 1);

  FehlerFlag = false;
  EXPECT_EQ(FunktionenPruefen("log(-1)", false), 3);
  EXPECT_EQ(fenster.meldungen.back(), "Falsche Wert in log()");
  EXPECT_EQ(fenster.ergebnisGeleert, 1);  // only LN clears the result field
}

TEST(FunktionenPruefen, SilentModeFlagsWithoutMessages) {
  FakeFenster fenster;
  FunktionenPruefen("LN(-2)", true);
  EXPECT_TRUE(StillModus);
  EXPECT_TRUE(FehlerFlag);
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(FunktionenPruefen, SoundFormulasPass) {
  FakeFenster fenster;
  // Positions with no "(" behind them are no function calls; a formula without any
  // parenthesis passes.
  for (const char* f : {"2+3", "LOG(2)+LN(0,5)", "EXP(-5)", "LN(2-3)", "SIN(0)", "(2)^(3)"}) {
    FehlerFlag = false;
    FehlerCode = 0;
    FunktionenPruefen(f, false);
    EXPECT_FALSE(FehlerFlag) << f;
    EXPECT_EQ(FehlerCode, 0) << f;
  }
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(FormelHilfen, GroupTests) {
  EXPECT_TRUE(KlammerLoesbar("2*(3)", 3, true));
  EXPECT_FALSE(KlammerLoesbar("2*(3)", 3, false));
  EXPECT_FALSE(KlammerLoesbar("sin(3)", 4, true));
  EXPECT_FALSE(KlammerLoesbar("(2)^(3)", 5, true));
  EXPECT_TRUE(OhneInnereKlammer("(1+(2))", 4));
  EXPECT_FALSE(OhneInnereKlammer("(1+(2))", 1));
  EXPECT_TRUE(OhneInnereKlammer("(1", 1));
  EXPECT_EQ(ZeichenLoeschen("abc", 2), "ac");
  EXPECT_EQ(ZeichenLoeschen("abc", 9), "abc");
}

}  // namespace
}  // namespace kolvex
