// The built-in tables and the category-file rows, without windows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/zahltext.h"
#include "engines/units/einheiten_datei.h"
#include "engines/units/einheiten_tabellen.h"

using namespace einheiten;

namespace {

const EingebauteTabelle& Tabelle(const char* name) {
  const EingebauteTabelle* t = EingebauteTabelleSuchen(name);
  EXPECT_NE(t, nullptr) << name;
  static const EingebauteTabelle leer{"", {}};
  return t ? *t : leer;
}

// Row r (1-based, as in the grid) as the grid shows it without Invers.
std::string Paar(const EingebauteTabelle& t, size_t r) {
  const TabellenZeile& z = t.zeilen[r - 1];
  return z.istTitel() ? std::string(z.von) : std::string(z.von) + "--->" + z.nach;
}

long double Zahl(const std::string& text) {
  long double v = 0;
  EXPECT_TRUE(kolvex::TextZuZahlStreng(text, v)) << text;
  return v;
}

}  // namespace

TEST(EinheitenTabellen, NamenReihenfolgeUndZeilenzahlen) {
  const auto tabellen = EingebauteTabellen();
  ASSERT_EQ(tabellen.size(), 4u);
  EXPECT_STREQ(tabellen[0].name, "Längenmaße");
  EXPECT_STREQ(tabellen[1].name, "Flächenmaße");
  EXPECT_STREQ(tabellen[2].name, "Raummaße");
  EXPECT_STREQ(tabellen[3].name, "Einheiten des fps- in das SI-System");
  EXPECT_EQ(tabellen[0].zeilen.size(), 10u);
  EXPECT_EQ(tabellen[1].zeilen.size(), 25u);
  EXPECT_EQ(tabellen[2].zeilen.size(), 26u);
  EXPECT_EQ(tabellen[3].zeilen.size(), 60u);
}

TEST(EinheitenTabellen, NurDerGenaueNamePasst) {
  EXPECT_NE(EingebauteTabelleSuchen("Raummaße"), nullptr);
  for (const char* name : {"raummaße", "RAUMMASSE", " Raummaße", "Raummaße ", "Raum maße",
                           "Einheiten des fps-in das SI-System", "Längenmasse", ""})
    EXPECT_EQ(EingebauteTabelleSuchen(name), nullptr) << name;
}

TEST(EinheitenTabellen, TexteMitIhrenLeerzeichenUndSchreibfehlern) {
  const EingebauteTabelle& laenge = Tabelle("Längenmaße");
  EXPECT_EQ(Paar(laenge, 1), " mm ---> inches (Zoll)");
  EXPECT_EQ(Paar(laenge, 8), " km ---> admirality miles");
  EXPECT_EQ(Paar(laenge, 9), " deutsche Landmeile ---> km");
  const EingebauteTabelle& flaeche = Tabelle("Flächenmaße");
  EXPECT_EQ(Paar(flaeche, 3), " m² ---> square feet (Fuß²)");
  EXPECT_EQ(Paar(flaeche, 25), " circular inch ---> cm²");
  const EingebauteTabelle& raum = Tabelle("Raummaße");
  EXPECT_EQ(Paar(raum, 1), " cm³ ---> cubic inch (Zoll ³)");
  EXPECT_EQ(Paar(raum, 2), " dm³ ---> cubic feet (Fuß ³)");
  EXPECT_EQ(Paar(raum, 26), " imperial quarter ---> hl");
  const EingebauteTabelle& fps = Tabelle("Einheiten des fps- in das SI-System");
  EXPECT_EQ(Paar(fps, 10), " ft³---> in³");  // no blank before the arrow
  EXPECT_EQ(Paar(fps, 37), " atem ---> bar");
  EXPECT_EQ(Paar(fps, 59), "Kinematisch ft²/s ---> m²/s");
  EXPECT_EQ(Paar(fps, 60), "Dynamisch lb/(ft s) ---> kg/(m s)");
  EXPECT_EQ(Paar(fps, 56), " spez. Wärmeübergangskoeffizient");
}

TEST(EinheitenTabellen, TitelzeilenDerFpsTabelle) {
  const EingebauteTabelle& fps = Tabelle("Einheiten des fps- in das SI-System");
  std::vector<size_t> titel;
  for (size_t r = 1; r <= fps.zeilen.size(); ++r)
    if (fps.zeilen[r - 1].istTitel()) titel.push_back(r);
  EXPECT_EQ(titel, (std::vector<size_t>{1, 5, 8, 13, 18, 20, 24, 28, 34, 42, 47, 52, 54, 56, 58}));
  for (const EingebauteTabelle* t : {&Tabelle("Längenmaße"), &Tabelle("Flächenmaße"), &Tabelle("Raummaße")})
    for (const TabellenZeile& z : t->zeilen) EXPECT_FALSE(z.istTitel()) << z.von;
}

TEST(EinheitenTabellen, FaktortexteUndKehrwerte) {
  const EingebauteTabelle& laenge = Tabelle("Längenmaße");
  EXPECT_EQ(EingebauterFaktorText(laenge.zeilen[8].faktor, false), "7,5");
  EXPECT_EQ(EingebauterFaktorText(laenge.zeilen[8].faktor, true), "0,133333333333333");
  EXPECT_EQ(EingebauterFaktorText(laenge.zeilen[0].faktor, false), "0,03937014");
  const EingebauteTabelle& flaeche = Tabelle("Flächenmaße");
  EXPECT_EQ(EingebauterFaktorText(flaeche.zeilen[23].faktor, false), "0,785398163397448");
  EXPECT_EQ(EingebauterFaktorText(flaeche.zeilen[23].faktor, true), "1,27323954473516");
  EXPECT_EQ(EingebauterFaktorText(flaeche.zeilen[2].faktor, false), "10,76398328");
  const EingebauteTabelle& fps = Tabelle("Einheiten des fps- in das SI-System");
  EXPECT_EQ(EingebauterFaktorText(fps.zeilen[2].faktor, false), "0,333333333333333");
  EXPECT_EQ(EingebauterFaktorText(fps.zeilen[2].faktor, true), "3");
  EXPECT_EQ(EingebauterFaktorText(fps.zeilen[1].faktor, true), "3,28083989501312");
  EXPECT_EQ(EingebauterFaktorText(fps.zeilen[44].faktor, false), "0,000578704");
  // The two rows whose old factors fit neither direction of their labels.
  EXPECT_EQ(Paar(fps, 17), " km/h ---> mile/h");
  EXPECT_EQ(EingebauterFaktorText(fps.zeilen[16].faktor, false), "0,621371");
  EXPECT_EQ(Paar(fps, 39), " lb/ft² ---> atm");
  EXPECT_EQ(EingebauterFaktorText(fps.zeilen[38].faktor, false), "0,000472541");
  EXPECT_EQ(EingebauterFaktorText(0.0, true), "");
}

TEST(EinheitenTabellen, JederFaktorUndKehrwertLiestSichZurueck) {
  for (const EingebauteTabelle& t : EingebauteTabellen())
    for (const TabellenZeile& z : t.zeilen) {
      if (z.istTitel()) continue;
      const long double f = Zahl(EingebauterFaktorText(z.faktor, false));
      const long double k = Zahl(EingebauterFaktorText(z.faktor, true));
      EXPECT_NEAR(static_cast<double>(f / z.faktor), 1.0, 1e-14) << z.von << z.nach;
      EXPECT_NEAR(static_cast<double>(k * z.faktor), 1.0, 1e-14) << z.von << z.nach;
    }
}

TEST(EinheitenDatei, PaarTitelUndLeereDatei) {
  const Kategorie k = KategorieLesen({"ft\tm\t0,3048", "Länge", "", "\tm\t2", "a\tb"});
  ASSERT_EQ(k.zeilen.size(), 5u);
  EXPECT_EQ(k.paare, 2);
  EXPECT_EQ(PaarText(k.zeilen[0], false), " ft ---> m");
  EXPECT_EQ(PaarText(k.zeilen[0], true), " ft <--- m");
  EXPECT_EQ(FaktorText(k.zeilen[0], false), "0,3048");
  EXPECT_EQ(FaktorText(k.zeilen[0], true), "3,28083989501312");
  EXPECT_EQ(PaarText(k.zeilen[1], false), " Länge");
  EXPECT_EQ(FaktorText(k.zeilen[1], true), "");
  EXPECT_EQ(PaarText(k.zeilen[2], false), " ");
  // Only unit 2: no pair, no arrow.
  EXPECT_EQ(PaarText(k.zeilen[3], false), " m");
  EXPECT_FALSE(k.zeilen[3].istPaar());
  // A pair without a factor is still a pair.
  EXPECT_TRUE(k.zeilen[4].istPaar());
  EXPECT_EQ(FaktorText(k.zeilen[4], false), "");

  const Kategorie leer = KategorieLesen({});
  ASSERT_EQ(leer.zeilen.size(), 1u);
  EXPECT_EQ(leer.paare, 0);
  EXPECT_EQ(PaarText(leer.zeilen[0], false), " ");
}

TEST(EinheitenDatei, FelderOhneSteuerzeichenMitLeerzeichen) {
  const Kategorie k = KategorieLesen({"\x01 f t \x1f\t m \t 0,5 \r\tüberzählig"});
  ASSERT_EQ(k.zeilen.size(), 1u);
  EXPECT_EQ(k.zeilen[0].einheit1, " f t ");
  EXPECT_EQ(k.zeilen[0].einheit2, " m ");
  EXPECT_EQ(k.zeilen[0].faktor, " 0,5 ");
  EXPECT_EQ(PaarText(k.zeilen[0], false), "  f t  --->  m ");
  EXPECT_EQ(FaktorText(k.zeilen[0], true), "2");
}

TEST(EinheitenDatei, KehrwertNurVonZahlenUngleichNull) {
  auto kehrwert = [](const char* faktor) { return FaktorText(DateiZeile{"a", "b", faktor}, true); };
  EXPECT_EQ(kehrwert("4"), "0,25");
  EXPECT_EQ(kehrwert("-2"), "-0,5");
  EXPECT_EQ(kehrwert("1.5"), "0,666666666666667");
  EXPECT_EQ(kehrwert(" 1 000 "), "0,001");
  EXPECT_EQ(kehrwert("1E3"), "0,001");
  // No reciprocal: empty, so the row reads as a title row and nothing is multiplied.
  for (const char* f : {"0", "0,0", "-0", "", " ", "abc", "1,2,3", "1.000,5", "1e99999", "nan", "inf"})
    EXPECT_EQ(kehrwert(f), "") << f;
  // Without Invers the factor stays as written, numbers or not.
  EXPECT_EQ(FaktorText(DateiZeile{"a", "b", "abc"}, false), "abc");
}

// A factor near the top of the range has a reciprocal below the smallest normal value; its
// text must read back as that number, not as 0 (the row would then convert to nothing).
TEST(EinheitenDatei, KehrwertUnterhalbDesNormalbereichsLiestSichZurueck) {
  const Kategorie k = KategorieLesen({"Riesig\tWinzig\t3E4931", "Groesste\tKleinste\t1,18973149535723E4932",
                                      "a\tb\t-1E4932"});
  ASSERT_EQ(k.paare, 3);
  EXPECT_EQ(FaktorText(k.zeilen[0], true), "3,33333333333333E-4932");
  for (const DateiZeile& z : k.zeilen) {
    const std::string kehrwert = FaktorText(z, true);
    const long double v = Zahl(kehrwert);
    EXPECT_NE(v, 0) << kehrwert;
    EXPECT_LT(std::fabs(v), std::numeric_limits<long double>::min()) << kehrwert;
    EXPECT_EQ(kolvex::FloatText(v), kehrwert);
    // The row's factor times the reciprocal is about 1: the subnormal keeps its digits.
    EXPECT_NEAR(static_cast<double>(Zahl(z.faktor) * v), 1.0, 1e-12) << kehrwert;
  }
}

TEST(EinheitenDatei, ZeilenDesEditors) {
  EXPECT_EQ(DateiZeileText("ft", "m", "0,3048"), "ft\tm\t0,3048");
  EXPECT_EQ(DateiZeileText("Länge", "", ""), "Länge\t\t");
  EXPECT_EQ(DateiZeileText("", "", "5"), "\t\t5");
  EXPECT_EQ(DateiZeileText(" a ", "", ""), " a \t\t");
  EXPECT_EQ(DateiZeileText("", "", ""), "");
  EXPECT_EQ(DateiZeileText(" ", "   ", " "), "");
}

TEST(EinheitenDatei, KategorienamenAusDateinamen) {
  std::string name;
  EXPECT_TRUE(KategorieAusDateiName("Zeit.txt", name));
  EXPECT_EQ(name, "Zeit");
  EXPECT_TRUE(KategorieAusDateiName("Foo.TXT", name));
  EXPECT_EQ(name, "Foo");
  EXPECT_TRUE(KategorieAusDateiName("a.b.Txt", name));
  EXPECT_EQ(name, "a.b");
  EXPECT_TRUE(KategorieAusDateiName(".txt", name));
  EXPECT_EQ(name, "");
  for (const char* kein : {"txt", "foo.txt~", "foo.csv", "footxt", "foo.tx"})
    EXPECT_FALSE(KategorieAusDateiName(kein, name)) << kein;
}
