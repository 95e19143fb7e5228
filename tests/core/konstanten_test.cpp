#include "core/konstanten.h"

#include <gtest/gtest.h>

#include <string>

#include "core/auswerter.h"
#include "core/globals.h"
#include "core/text.h"
#include "tests/core/fake_fenster.h"

namespace kolvex {
namespace {

using test::FakeFenster;
using test::Rechnen;

std::string Einsetzen(const std::string& f, char& buchstabe) { return KonstantenEinsetzen(f, buchstabe); }

TEST(Konstanten, VariablesAreReplacedByTheirValues) {
  FakeFenster fenster;
  char b = '?';
  fenster.Wert('a', "3");
  EXPECT_EQ(Einsetzen("2*a", b), "2*3");
  EXPECT_EQ(b, ' ');
  fenster.Wert('a', "-3");
  EXPECT_EQ(Einsetzen("2*a", b), "2*-3");
  EXPECT_EQ(Rechnen("2*a"), "-6");
  EXPECT_EQ(Rechnen("5-a"), "8");  // 5--3, folded
  fenster.Wert('A', "10");
  EXPECT_EQ(Einsetzen("a+A", b), "-3+10");  // case-sensitive
  EXPECT_EQ(Einsetzen(std::string(1, PiZeichen), b), "3,14159265358979");
}

TEST(Konstanten, OnlyNamesStandingAloneOrBeforeAPower) {
  FakeFenster fenster;
  fenster.Wert('s', "1");
  fenster.Wert('i', "2");
  fenster.Wert('n', "3");
  fenster.Wert('x', "4");
  char b = ' ';
  EXPECT_EQ(Einsetzen("SIN(30)+sin(30)", b), "SIN(30)+sin(30)");
  EXPECT_EQ(Rechnen("sin(30)"), "0,5");
  EXPECT_EQ(Einsetzen("x^2", b), "4^2");
  EXPECT_EQ(Einsetzen("(x)", b), "(4)");
  EXPECT_TRUE(IstKonstante("2*x", 3));
  EXPECT_FALSE(IstKonstante("2*xx", 3));
  EXPECT_TRUE(IstKonstante("2*X", 3));  // a name without a value is a name all the same
  EXPECT_FALSE(IstKonstante("2*x", 9));
}

TEST(Konstanten, CellsWithSmallFormulas) {
  FakeFenster fenster;
  char b = ' ';
  fenster.Wert('c', "2*3+1");
  EXPECT_EQ(KonstantenWert("c", 1, b), 7);
  fenster.Wert('c', " 1 0 ");
  EXPECT_EQ(KonstantenWert("c", 1, b), 10);
  fenster.Wert('c', "(2)");
  EXPECT_THROW(KonstantenWert("c", 1, b), Laufzeitfehler);
  EXPECT_EQ(Rechnen("c+1"), "Error");
  fenster.Wert('c', "1/0");
  EXPECT_EQ(KonstantenWert("c", 1, b), FehlerWert);
  EXPECT_EQ(FehlerCode, -1);
  EXPECT_EQ(fenster.meldungen.size(), 1u);
}

TEST(Konstanten, MissingValues) {
  FakeFenster fenster;
  char b = ' ';
  EXPECT_EQ(KonstantenWert("q", 1, b), FehlerWert);
  EXPECT_EQ(b, 'q');
  EXPECT_EQ(FehlerCode, -1);
  fenster.Wert('a', "1");
  EXPECT_EQ(Einsetzen("a+q*2", b), "");
  EXPECT_EQ(b, 'q');
  // The graph variable may lack a value; any other name is reported.
  EXPECT_EQ(UnbekannteKonstante("x*a", 'x'), ' ');
  EXPECT_EQ(UnbekannteKonstante("x*q", 'x'), 'q');
  EXPECT_EQ(UnbekannteKonstante("x*q", 'q'), 'x');
}

TEST(Konstanten, GraphVariableAndNumberTests) {
  FakeFenster fenster;
  const char alt = GrafikVariable;
  GrafikVariable = 't';
  EXPECT_TRUE(EnthaeltVariable("2*t"));
  EXPECT_FALSE(EnthaeltVariable("2*T"));
  GrafikVariable = alt;
  fenster.Wert('a', "2,5");
  EXPECT_TRUE(IstZahlMitKonstanten("a"));
  EXPECT_TRUE(IstZahlMitKonstanten(std::string(1, PiZeichen)));
  EXPECT_FALSE(IstZahlMitKonstanten("a+1"));
  EXPECT_FALSE(IstZahlMitKonstanten("q"));
  fenster.Wert('a', "abc");
  EXPECT_FALSE(IstZahlMitKonstanten("a"));
}

TEST(Konstanten, EscStopsTheSubstitution) {
  FakeFenster fenster;
  fenster.Wert('a', "1");
  fenster.escNach = 0;
  char b = ' ';
  EXPECT_EQ(Einsetzen("a+a", b), "1+a");
}

}  // namespace
}  // namespace kolvex
