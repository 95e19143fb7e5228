#include "core/funktionen.h"

#include <gtest/gtest.h>

#include <string>

#include "core/globals.h"
#include "core/text.h"
#include "tests/core/fake_fenster.h"

namespace kolvex {
namespace {

using test::FakeFenster;
using test::Rechnen;

std::string Wert(const char* name, long double x) {
  std::string w;
  FunktionWert(name, w, x);
  return w;
}

TEST(Winkel, SpecialAnglesAreExactInDegrees) {
  FakeFenster fenster;
  for (const char* f : {"SIN(180)", "SIN(360)", "SIN(-180)", "COS(90)", "COS(270)", "SIN(540)", "TAN(180)", "CTAN(90)"})
    EXPECT_EQ(Rechnen(f), "0") << f;
  EXPECT_EQ(Rechnen("TAN(45)"), "1");
  EXPECT_EQ(Rechnen("sin30"), "0,5");
  EXPECT_EQ(Rechnen("ASIN(1)"), "90");
  EXPECT_EQ(Rechnen("ATAN(1)"), "45");
  EXPECT_EQ(Rechnen("SINH2"), "3,62686040784702");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(Winkel, RadianMode) {
  FakeFenster fenster;
  fenster.rad = true;
  EXPECT_EQ(Rechnen(std::string("SIN(") + PiZeichen + ")"), "0");
  EXPECT_EQ(Rechnen(std::string("COS(") + PiZeichen + "/2)"), "0");
  EXPECT_EQ(Rechnen("SIN(1)"), "0,841470984807897");
  EXPECT_EQ(Rechnen("ASIN(1)"), "1,5707963267949");
  EXPECT_EQ(SonderWinkel(Pi / 2), 90);
  EXPECT_EQ(SonderWinkel(0.5L), -1);
  EXPECT_TRUE(FastGleich(1, 1 + 1e-13L));  // 1e-12 in radians
  fenster.rad = false;
  EXPECT_FALSE(FastGleich(1, 1 + 1e-13L));  // 1e-14 in degrees
  EXPECT_EQ(SonderWinkel(-270), 90);
  EXPECT_EQ(SonderWinkel(90.0000001L), -1);
}

TEST(Winkel, PolesAndDomainFaults) {
  FakeFenster fenster;
  const std::pair<const char*, const char*> faelle[] = {
      {"TAN(90)", "Falsche Wert in tan()"},   {"TAN(270)", "Falsche Wert in tan()"},
      {"CTAN(0)", "Falsche Wert in ctan()"},  {"ASIN(2)", "Falsche Wert in asin()"},
      {"ACOS(-2)", "Falsche Wert in acos()"}, {"EXP(12000)", "Falsche Wert in exp()"},
      {"LN(2-3)", "Falsche Wert in ln()"},    {"LOG(1-1)", "Falsche Wert in log()"}};
  for (const auto& [formel, meldung] : faelle) {
    fenster.meldungen.clear();
    EXPECT_EQ(Rechnen(formel), "Error") << formel;
    ASSERT_EQ(fenster.meldungen.size(), 1u) << formel;
    EXPECT_EQ(fenster.meldungen[0], meldung);
  }
  fenster.meldungen.clear();
  // Silently: beyond 1e255, ACOSH below 1; and every message is left out in silent mode.
  for (const char* f : {"EXP(600)", "SINH(600)", "ACOSH(0,5)"}) EXPECT_EQ(Rechnen(f), "Error") << f;
  for (const auto& [formel, meldung] : faelle) EXPECT_EQ(Rechnen(formel, true), "Error") << formel;
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(Winkel, FaultsPutTheCaretBeforeTheName) {
  FakeFenster fenster;
  FehlerCode = 0;
  EXPECT_EQ(FunktionenAuswerten("2+TAN(90)"), "");
  EXPECT_EQ(fenster.caret, 3);
}

TEST(Winkel, PoleSetsTheErrorCodeSoThePlotterSkipsIt) {
  FakeFenster fenster;
  StillModus = true;
  FehlerCode = 0;
  EXPECT_EQ(Wert("TAN", 90), "Error");
  EXPECT_TRUE(FehlerFlag);
  EXPECT_EQ(FehlerCode, -1);
  FehlerCode = 0;
  EXPECT_EQ(Wert("CTAN", 180), "Error");
  EXPECT_EQ(FehlerCode, -1);
  // Close to the pole only silent mode refuses the huge value.
  EXPECT_EQ(Wert("TAN", 89.99999999L), "Error");
  StillModus = false;
  FehlerCode = 0;
  EXPECT_NE(Wert("TAN", 89.99999999L), "Error");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(Winkel, FaultsWithoutAValueThrow) {
  FakeFenster fenster;
  std::string w;
  EXPECT_THROW(FunktionWert("ATANH", w, 2), Laufzeitfehler);
  EXPECT_THROW(FunktionWert("ATANH", w, 1), Laufzeitfehler);
  EXPECT_THROW(FunktionWert("SINH", w, 20000), Laufzeitfehler);
  // A degree argument whose period count has no integer part left.
  EXPECT_THROW(FunktionWert("SIN", w, 1e30L), Laufzeitfehler);
  EXPECT_NO_THROW(FunktionWert("SIN", w, 1e18L));
  fenster.Wert('a', "1E30");
  EXPECT_EQ(Rechnen("SIN(a)"), "Error");
  EXPECT_EQ(Rechnen("ATANH(2)"), "Error");
}

TEST(Potenzen, Values) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("(0)^(0)"), "0");
  EXPECT_EQ(Rechnen("(5)^(0)"), "1");
  EXPECT_EQ(Rechnen("(2)^(-1)"), "0,5");
  EXPECT_EQ(Rechnen("(-2)^(3)"), "-8");
  EXPECT_EQ(Rechnen("(2)^(0,5)"), "1,4142135623731");
  EXPECT_EQ(Rechnen("(-8)^(1/3)"), "Error");
  EXPECT_EQ(Rechnen("(2)^(1000)"), "Error");
  EXPECT_EQ(Rechnen("(0)^(-1)"), "Error");  // a pole, not 0
  EXPECT_EQ(Rechnen("(10)^(-5000)"), "Error");
  EXPECT_TRUE(fenster.meldungen.empty());
  EXPECT_TRUE(IstGanzzahlig(3, 1e-18L));
  EXPECT_FALSE(IstGanzzahlig(3.5L, 1e-18L));
  EXPECT_EQ(GanzePotenz(-2, 2), 0.25L);
  EXPECT_EQ(GanzePotenz(10, -2), 1024);
  EXPECT_THROW(GanzePotenz(5000, 10), Laufzeitfehler);
  FehlerCode = 0;
  EXPECT_EQ(Potenz(10, 5000), 0);
  EXPECT_EQ(FehlerCode, -1);
}

TEST(Fakultaeten, Values) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("(3,6)!"), "24");
  EXPECT_EQ(Rechnen("(2,5)!"), "2");  // halves to even
  EXPECT_EQ(Rechnen("(0)!"), "1");
  EXPECT_EQ(Rechnen("(-3)!"), "1");
  EXPECT_EQ(Rechnen("2+3!"), "8");
  EXPECT_EQ(Rechnen("3!!"), "720");
  EXPECT_NE(Rechnen("(146)!"), "Error");
  EXPECT_EQ(Rechnen("(147)!"), "Error");
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(Fakultaeten, AnOverflowIsNotLostToALaterFactorial) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("(3)!+(147)!"), "Error");
  EXPECT_EQ(Rechnen("(147)!+(3)!"), "Error");
}

TEST(Fakultaeten, HugeOperandsOverflowInsteadOfWrapping) {
  FakeFenster fenster;
  EXPECT_EQ(Rechnen("4294967295!"), "Error");
  EXPECT_EQ(Rechnen("(10)^(100)!"), "Error");
  EXPECT_EQ(GanzzahlBegrenzt(4294967295.0L), INT32_MAX);
  EXPECT_EQ(GanzzahlBegrenzt(-1e30L), INT32_MIN);
  EXPECT_EQ(GanzzahlBegrenzt(2.5L), 2);
  Fakultaet(INT32_MAX);
  EXPECT_TRUE(FehlerFlag);
  EXPECT_EQ(Fakultaet(INT32_MIN), 1);
  EXPECT_FALSE(FehlerFlag);
}

}  // namespace
}  // namespace kolvex
