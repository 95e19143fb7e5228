#include "core/auswerter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "tests/core/fake_fenster.h"

namespace kolvex {
namespace {

using test::FakeFenster;
using test::Rechnen;

// The working text after each cycle until one leaves it unchanged.
std::vector<std::string> Zyklen(std::string w) {
  std::vector<std::string> schritte;
  while (AuswertungsZyklus(w) == ZyklusErgebnis::Geaendert) schritte.push_back(w);
  return schritte;
}

TEST(Auswertung, WorkedExampleCycleByCycle) {
  FakeFenster fenster;
  const std::string w = KlammernEinfuegen("2+3*(4-1)^2");
  EXPECT_EQ(w, "2+3*(4-1)^(2)");
  EXPECT_EQ(Zyklen(w), (std::vector<std::string>{"2+3*(3)^(2)", "29"}));
  EXPECT_EQ(Rechnen("2+3*(4-1)^2"), "29");
}

TEST(Auswertung, PrecedenceFollowsThePassOrder) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("2+3*4"), "14");
  EXPECT_EQ(Rechnen("2 + 3"), Rechnen("2+3"));
  EXPECT_EQ(Rechnen("2*3-4*5"), "-14");
  EXPECT_EQ(Rechnen("8/2/2"), "2");
  EXPECT_EQ(Rechnen("2-3-4"), "-5");
  EXPECT_EQ(Rechnen("2^3^2"), "64");  // chains from the left
  EXPECT_EQ(Rechnen("-2^2"), "4");    // a leading minus belongs to the base
  EXPECT_EQ(Rechnen("5-2^2"), "1");
  EXPECT_EQ(Rechnen("-(2+3)"), "-5");
  EXPECT_EQ(Rechnen("2*(-3)"), "-6");
  EXPECT_EQ(Rechnen("1,5+2,25"), "3,75");
}

TEST(Auswertung, IntermediateResultsCarry15Digits) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("1/3*3"), "0,999999999999999");
  EXPECT_EQ(Rechnen("2/3"), "0,666666666666667");
  EXPECT_EQ(Rechnen("1/100000"), "0,00001");  // no exponent inside formulas
  EXPECT_EQ(Rechnen("100000000*100000000*10000"), "1" + std::string(20, '0'));
}

TEST(Auswertung, NestedGroupsOneInnermostLeftmostPerCycle) {
  FakeFenster fenster;
  EXPECT_EQ(Zyklen("((1+2)*(3+4))"),
            (std::vector<std::string>{"((3)*(3+4))", "(3*(7))", "(21)", "21"}));
  EXPECT_EQ(Rechnen("(((((1+1)*2)-1)*2)+1)"), "7");
}

TEST(Auswertung, DivisionByZero) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("1/0"), "Error");
  ASSERT_EQ(fenster.meldungen.size(), 1u);
  EXPECT_EQ(fenster.meldungen[0], "Division durch 0");
  EXPECT_EQ(FehlerCode, -1);

  FehlerCode = 0;  // as the driver does before every calculation
  std::string w = "2+1/(1-1)";
  EXPECT_EQ(AuswertungLaufen(w), AuswertungsEnde::FehlerMalGeteilt);

  fenster.meldungen.clear();
  EXPECT_EQ(Rechnen("1/0", true), "Error");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(Auswertung, NegativeBaseKeepsItsSignWhileTheExponentIsReduced) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("1+(1-3)^(1+1)"), "5");
  EXPECT_EQ(Rechnen("3*(-2)^(1+1)"), "12");
  EXPECT_EQ(Rechnen("(-2)^(1+2)"), "-8");
  EXPECT_EQ(Rechnen("(-8)^(1/3)"), "Error");
  EXPECT_EQ(Rechnen("1+(-8)^(1/3)"), "Error");
  EXPECT_EQ(KlammernAufloesen("1+(-2)^(1+1)", true), "1+(-2)^(1+1)");
  EXPECT_EQ(KlammernAufloesen("1+(2)^(1+1)", true), "1+(2)^(1+1)");
}

TEST(Auswertung, PowerBaseGroupStaysAGroupUntilThePowerIsComputed) {
  FakeFenster fenster;
  // Unwrapped early, the base (2) would take the leading minus at the next insertion of
  // parentheses and give 4.
  EXPECT_EQ(Zyklen("-(2)^(1+1)"), (std::vector<std::string>{"-(2)^(2)", "-4"}));
  EXPECT_EQ(Rechnen("-(2)^(1+1)"), "-4");
  EXPECT_EQ(Rechnen("-(2)^(2)"), "-4");
  EXPECT_EQ(Rechnen("-(2)^2"), "-4");
  EXPECT_EQ(Rechnen("1-(3)^(4/2)"), "-8");
  EXPECT_EQ(Rechnen("-((2))^(1+1)"), "-4");
  // What the rules give on purpose stays.
  EXPECT_EQ(Rechnen("-2^2"), "4");
  EXPECT_EQ(Rechnen("-2^(1+1)"), "4");
  EXPECT_EQ(Rechnen("2^3^2"), "64");
  EXPECT_EQ(Rechnen("(2)^(3)^(2)"), "64");
}

TEST(Auswertung, SignBeforeANestedGroupStaysWithItsOwnGroup) {
  FakeFenster fenster;
  EXPECT_EQ(Zyklen("(-(2)+3)"), (std::vector<std::string>{"(1)", "1"}));
  EXPECT_EQ(Rechnen("(-(2)+3)"), "1");
  EXPECT_EQ(Rechnen("3*(-(4)+5)"), "3");
  EXPECT_EQ(Rechnen("2*(-SIN(30)+1)"), "1");
  EXPECT_EQ(Rechnen("COSH(-(2)+3)"), "1,54308063481524");
  EXPECT_EQ(Rechnen("(-(-(2))+1)"), "3");
  EXPECT_EQ(Rechnen("((2)-(3))"), "-1");
  EXPECT_EQ(Rechnen("-(-(2)-(-3))"), "-1");
  EXPECT_EQ(KlammernAufloesen("(-(2)+3)", true), "(-2+3)");
  EXPECT_EQ(KlammernAufloesen("(-((2)))", true), "-2");
}

TEST(Auswertung, LogAndLnArgumentsAreJudgedAsAWhole) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("LN((-2)^(2))"), "1,38629436111989");
  EXPECT_EQ(Rechnen("LN((0)!)"), "0");
  EXPECT_EQ(Rechnen("LOG((-4)^(0))"), "0");
  EXPECT_EQ(Rechnen("LN((2)-3)"), "Error");  // judged once its value is known
  EXPECT_TRUE(fenster.meldungen.size() <= 1u);
  fenster.meldungen.clear();
  FehlerFlag = false;
  EXPECT_EQ(FunktionenPruefen("LN((-2)^(2))", false), 0);
  EXPECT_FALSE(FehlerFlag);
  EXPECT_TRUE(fenster.meldungen.empty());

  // A literal argument of 0 or below is still refused before evaluation, caret and all.
  const struct {
    const char* formel;
    const char* meldung;
    int caret;
  } literal[] = {{"LN(0)", "Falsche Wert in ln()", 4},
                 {"LOG(-5)", "Falsche Wert in log()", 6},
                 {"2+LOG((-1))", "Falsche Wert in log()", 9},
                 {"LN((0))+LN((2)^(2))", "Falsche Wert in ln()", 5}};
  for (const auto& f : literal) {
    SCOPED_TRACE(f.formel);
    fenster.meldungen.clear();
    FehlerFlag = false;
    FehlerCode = 0;
    EXPECT_GT(FunktionenPruefen(f.formel, false), 0);
    EXPECT_TRUE(FehlerFlag);
    EXPECT_EQ(FehlerCode, -1);
    EXPECT_EQ(fenster.meldungen, std::vector<std::string>{f.meldung});
    EXPECT_EQ(fenster.caret, f.caret);
  }
  fenster.meldungen.clear();
  EXPECT_EQ(Rechnen("LN(0)", true), "Error");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(Auswertung, LongNumberTextsAreNotCut) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("(10)^(200)*(10)^(100)"), "1" + std::string(300, '0'));
  EXPECT_EQ(Rechnen("(10)^(250)+(10)^(250)"), "2" + std::string(250, '0'));
}

TEST(Auswertung, UnmatchedGroupsEndAsError) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("2)+(3"), "Error");
  FehlerCode = 0;
  std::string w = "2)+(3";
  EXPECT_THROW(AuswertungLaufen(w), Laufzeitfehler);
  int l = 0, r = 0;
  std::string g;
  EXPECT_THROW(InnersteGruppe("(1+2", l, g, r), Laufzeitfehler);
  int p = 1;
  EXPECT_THROW(KlammerInhalt("((1)", p, g), Laufzeitfehler);
  p = 3;
  EXPECT_THROW(LinkerKlammerOperand("2)^(3)", p), Laufzeitfehler);
}

TEST(Auswertung, EscStopsBetweenCycles) {
  FakeFenster fenster;
  fenster.escNach = 0;
  std::string w = "((1+2)*(3+4))";
  EXPECT_EQ(AuswertungLaufen(w), AuswertungsEnde::Abgebrochen);
  EXPECT_EQ(w, "((3)*(3+4))");  // judged as it stands: not a number, so "Error"
}

TEST(Auswertung, OperandsThatAreNoNumbersThrow) {
  FakeFenster fenster;
  EXPECT_THROW(MalGeteiltAuswerten("2*x"), Laufzeitfehler);
  EXPECT_THROW(PlusMinusAuswerten("2+x"), Laufzeitfehler);
  EXPECT_THROW(Rechne('*', 1e4000L, 1e4000L), Laufzeitfehler);  // beyond the extended range
  EXPECT_EQ(Rechnen("ab"), "Error");
}

TEST(Passes, SignFolding) {
  EXPECT_EQ(VorzeichenZusammenfassen("2--3"), "2+3");
  EXPECT_EQ(VorzeichenZusammenfassen("2+-3"), "2-3");
  EXPECT_EQ(VorzeichenZusammenfassen("2-+3"), "2-3");
  EXPECT_EQ(VorzeichenZusammenfassen("+++"), "++");  // a run of three needs another call
  EXPECT_EQ(VorzeichenZusammenfassen("---"), "+-");
}

TEST(Passes, UnwrappingNumberGroups) {
  FakeFenster fenster;
  EXPECT_EQ(KlammernAufloesen("2+(3)", true), "2+3");
  EXPECT_EQ(KlammernAufloesen("((5))", true), "5");
  EXPECT_EQ(KlammernAufloesen("2-(-3)", true), "2+3");
  EXPECT_EQ(KlammernAufloesen("2*(3)", true), "2*3");
  EXPECT_EQ(KlammernAufloesen("2*(3)", false), "2*(3)");
  EXPECT_EQ(KlammernAufloesen("SIN(30)", true), "SIN(30)");
  EXPECT_EQ(KlammernAufloesen("(2)^(3)", true), "(2)^(3)");
  EXPECT_EQ(KlammernAufloesen("(1+2)", true), "(1+2)");
  EXPECT_EQ(KlammernAufloesen("", true), "");
}

TEST(Passes, InnermostGroup) {
  int l = 0, r = 0;
  std::string g;
  InnersteGruppe("1+(2*(3+4))+(5-6)", l, g, r);
  EXPECT_EQ(g, "(3+4)");
  EXPECT_EQ(l, 6);
  EXPECT_EQ(r, 11);
  InnersteGruppe("(-2)^(1+1)", l, g, r);  // a plain number is no work left
  EXPECT_EQ(g, "(1+1)");
  InnersteGruppe("1+2", l, g, r);
  EXPECT_EQ(g, "");
  EXPECT_EQ(l, 0);
  EXPECT_EQ(r, 0);
  int p = 1;
  KlammerInhalt("(1+(2))*3", p, g);
  EXPECT_EQ(g, "(1+(2))");
  EXPECT_EQ(p, 7);
}

TEST(Passes, MulDivCarriesTheLeftSign) {
  FakeFenster fenster;
  EXPECT_EQ(MalGeteiltAuswerten("2-3*4"), "2-12");
  EXPECT_EQ(MalGeteiltAuswerten("2+3*4"), "2+12");
  EXPECT_EQ(MalGeteiltAuswerten("(3*4)"), "+12");
  EXPECT_EQ(MalGeteiltAuswerten("2*-3*4"), "-24");
  EXPECT_EQ(MalGeteiltAuswerten("(4-1)"), "4-1");
  EXPECT_EQ(MalGeteiltAuswerten("1/0"), "");
  EXPECT_TRUE(FehlerFlag);
}

TEST(Passes, PlusMinusFoldsTermsFromTheLeft) {
  FakeFenster fenster;
  EXPECT_EQ(PlusMinusAuswerten("2+27"), "29");
  EXPECT_EQ(PlusMinusAuswerten("-3+4-10"), "-9");
  EXPECT_EQ(PlusMinusAuswerten("1,5"), "1,5");
  EXPECT_EQ(PlusMinusAuswerten("0,1+0,2"), "0,3");
  EXPECT_EQ(OhneKlammern("(1+(2))", 0, 0), "1+2");
  EXPECT_EQ(OhneKlammern("(1+(2))", 2, 4), "1+");
}

TEST(Passes, RechneAndOperandPickers) {
  FakeFenster fenster;
  EXPECT_EQ(Rechne('+', 2, 3), 5);
  EXPECT_EQ(Rechne('/', 1, 4), 0.25L);
  EXPECT_EQ(Rechne('%', 1, 4), FehlerWert);
  EXPECT_EQ(Rechne('/', 1, 0), FehlerWert);
  EXPECT_EQ(FehlerCode, -1);

  int p = 4;
  EXPECT_EQ(LinkerOperand("2-3*4", p), "-3");
  EXPECT_EQ(p, 2);
  p = 2;
  EXPECT_EQ(RechterZahlOperand("2*(-3)+1", p), "-3");
  EXPECT_EQ(p, 7);
  p = 2;
  EXPECT_EQ(RechterZahlOperand("2*x", p), "");
  p = 6;
  EXPECT_EQ(LinkerKlammerOperand("2+(3)^(2)", p), "3");
  EXPECT_EQ(p, 3);
  p = 4;
  EXPECT_EQ(LinkerKlammerOperand("2+3!", p), "3");
  EXPECT_EQ(p, 3);
  p = 3;
  EXPECT_EQ(RechterOperand("SIN((30))+1", p), "30");
  EXPECT_EQ(p, 10);
  p = 3;
  EXPECT_EQ(RechterOperand("SIN((2)*(3))", p), "(2*(3))");  // stays behind "*"
}

}  // namespace
}  // namespace kolvex
