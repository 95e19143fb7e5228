#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/tabelle.h"
#include "core/zahltext.h"

using kolvex::TabellenFehler;
using kolvex::TabellenLeser;

namespace {

// Every data row of the text, fields joined with "|".
// The fields joined with "|"; the count the splitter gives must be the fields handed out.
std::string Verbunden(kolvex::Felder felder) {
  const size_t anzahl = felder.anzahl();
  std::string z;
  std::string_view feld;
  size_t n = 0;
  while (felder.naechstes(feld)) {
    if (n++) z += '|';
    z += feld;
  }
  EXPECT_EQ(n, anzahl) << z;
  return z;
}

std::vector<std::string> Zeilen(TabellenLeser& leser) {
  std::vector<std::string> zeilen;
  kolvex::Felder felder;
  while (leser.naechsteZeile(felder)) zeilen.push_back(Verbunden(felder));
  return zeilen;
}

std::string Kopf(const TabellenLeser& leser) {
  EXPECT_EQ(leser.kopf().anzahl(), leser.kopfAnzahl());
  return Verbunden(leser.kopf());
}

}  // namespace

TEST(Tabelle, HeaderAfterAPreambleAndDataRightAfterIt) {
  TabellenLeser leser("Messung vom 1.2.\n\nZeit;Weg;Kraft\n0;1,5;2\n1;2,5;3\n", ';', 1);
  ASSERT_EQ(leser.fehler(), TabellenFehler::Keiner);
  EXPECT_EQ(leser.trenner(), ';');
  EXPECT_EQ(leser.kopfZeile(), 3);
  EXPECT_EQ(Kopf(leser), "Zeit|Weg|Kraft");
  // The program's own files have the header in line 1 and data from line 2: no row lost.
  EXPECT_EQ(Zeilen(leser), (std::vector<std::string>{"0|1,5|2", "1|2,5|3"}));
}

TEST(Tabelle, StartRowSkipsLinesAfterTheHeader) {
  const std::string text = "X;Y\n1;1\n2;2\n3;3\n";
  TabellenLeser zwei(text, ';', 2);
  EXPECT_EQ(Zeilen(zwei), (std::vector<std::string>{"2|2", "3|3"}));
  TabellenLeser null(text, ';', 0);  // below 1 counts as 1
  EXPECT_EQ(Zeilen(null).size(), 3u);
  TabellenLeser bisEnde(text, ';', 4);  // lines 1..4 skipped: nothing left, no fault
  EXPECT_EQ(bisEnde.fehler(), TabellenFehler::Keiner);
  EXPECT_TRUE(Zeilen(bisEnde).empty());
  TabellenLeser zuWeit(text, ';', 5);
  EXPECT_EQ(zuWeit.fehler(), TabellenFehler::ZuKurz);
  EXPECT_TRUE(Zeilen(zuWeit).empty());
  TabellenLeser riesig(text, ';', 2147483647);
  EXPECT_EQ(riesig.fehler(), TabellenFehler::ZuKurz);
}

TEST(Tabelle, TabFallbackSearchesTheHeaderAgain) {
  // A TAB table saved as ".csv": the header is the TAB-split line, not the ";" one.
  TabellenLeser tab("Titel\nZeit\tWeg\n1\t2\n", ';', 1);
  EXPECT_EQ(tab.trenner(), '\t');
  EXPECT_EQ(tab.kopfZeile(), 2);
  EXPECT_EQ(Kopf(tab), "Zeit|Weg");
  EXPECT_EQ(Zeilen(tab), (std::vector<std::string>{"1|2"}));
  // Only the last line splits at ";": the search ends there, TAB takes over, and with no
  // TAB line the first non-empty line is the header.
  TabellenLeser letzte("\nEine Spalte\na;b", ';', 1);
  EXPECT_EQ(letzte.trenner(), '\t');
  EXPECT_EQ(letzte.kopfZeile(), 2);
  EXPECT_EQ(Kopf(letzte), "Eine Spalte");
  EXPECT_EQ(Zeilen(letzte), (std::vector<std::string>{"a;b"}));
  // A header beyond line 101 is not searched for.
  std::string weit(101, '\n');
  weit += "a;b\n1;2\n";
  TabellenLeser spaet(weit, ';', 1);
  EXPECT_EQ(spaet.trenner(), '\t');
  EXPECT_EQ(Kopf(spaet), "a;b");
  for (const char* leer : {"", "\n\n\r\n", "\xEF\xBB\xBF"}) {
    TabellenLeser nichts(leer, ';', 1);
    EXPECT_EQ(nichts.fehler(), TabellenFehler::KeinKopf);
    EXPECT_TRUE(Zeilen(nichts).empty());
  }
}

TEST(Tabelle, LineEndsEmptyFieldsAndEmptyLines) {
  TabellenLeser leser("\xEF\xBB\xBFX\tY\r\n1\t\r\n\r\n\t2\r3\t4\n\n", '\t', 1);
  EXPECT_EQ(Kopf(leser), "X|Y");
  EXPECT_EQ(Zeilen(leser), (std::vector<std::string>{"1|", "|2", "3|4"}));
  TabellenLeser ohneEnde("a;b;\n1;2;3;4", ';', 1);
  EXPECT_EQ(Kopf(ohneEnde), "a|b|");
  EXPECT_EQ(Zeilen(ohneEnde), (std::vector<std::string>{"1|2|3|4"}));
}

TEST(Tabelle, CellKinds) {
  using kolvex::ZellArt;
  double w = 0;
  EXPECT_EQ(kolvex::ZelleLesen("", w), ZellArt::Leer);
  EXPECT_EQ(kolvex::ZelleLesen("-2,5", w), ZellArt::Zahl);
  EXPECT_EQ(w, -2.5);
  EXPECT_EQ(kolvex::ZelleLesen("1E20", w), ZellArt::Zahl);
  EXPECT_EQ(kolvex::ZelleLesen("2,50", w), ZellArt::ZahlMitText);
  EXPECT_EQ(w, 2.5);
  EXPECT_EQ(kolvex::ZelleLesen("1E400", w), ZellArt::ZahlMitText);
  EXPECT_TRUE(std::isinf(w));
  EXPECT_EQ(kolvex::ZelleLesen("-123456789,123456789", w), ZellArt::Text);
  EXPECT_EQ(kolvex::ZelleLesen("12\xC2\xB0", w), ZellArt::Text);
}

TEST(Tabelle, Utf8CheckAndWindows1252) {
  EXPECT_TRUE(kolvex::GueltigesUtf8("Gr\xC3\xB6\xC3\x9F" "e, ganz normal und lang genug"));
  EXPECT_TRUE(kolvex::GueltigesUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(kolvex::GueltigesUtf8("Gr\xF6\xDF" "e"));           // Windows-1252
  EXPECT_FALSE(kolvex::GueltigesUtf8("\xC0\xAF"));                  // overlong
  EXPECT_FALSE(kolvex::GueltigesUtf8("\xED\xA0\x80"));              // surrogate
  EXPECT_FALSE(kolvex::GueltigesUtf8("\xF4\x90\x80\x80"));          // beyond U+10FFFF
  EXPECT_FALSE(kolvex::GueltigesUtf8("abcdefgh\xE2\x82"));          // cut off
  EXPECT_EQ(kolvex::Cp1252ZuUtf8("\x80 \xB5m \xE4\x81"), "\xE2\x82\xAC \xC2\xB5m \xC3\xA4\xC2\x81");
}

// The shape test must agree with the general float text everywhere: whatever it accepts is
// exactly the text of the double it returns, and every fixed-form general text is accepted.
TEST(Tabelle, ShapeTestAgreesWithTheGeneralFloatText) {
  std::mt19937_64 zufall(7);
  std::uniform_real_distribution<double> mantisse(-1, 1);
  std::uniform_int_distribution<int> exponent(-8, 18);
  std::uniform_int_distribution<int> stellen(1, 17);
  int angenommen = 0;
  for (int i = 0; i < 200000; ++i) {
    double v = mantisse(zufall) * std::pow(10.0, exponent(zufall));
    if (i % 3 == 0) {  // short decimals, the common case in tables
      const double p = std::pow(10.0, stellen(zufall) % 6);
      v = std::nearbyint(v * p) / p;
    }
    const std::string text = kolvex::FloatText(v);
    double d = 0;
    const bool ok = kolvex::KanonischeZahl(text, d);
    if (ok) {
      ++angenommen;
      ASSERT_EQ(kolvex::FloatText(d), text) << v;
    }
    if (text.find('E') == std::string::npos) {
      ASSERT_TRUE(ok) << text;
    }
    std::u16string breit(text.begin(), text.end());
    double d16 = 0;
    ASSERT_EQ(kolvex::KanonischeZahl(breit.data(), breit.size(), d16), ok);
    if (ok) {
      ASSERT_EQ(d16, d);
    }
    // Variants that are numbers but not this text are never taken for it.
    for (const std::string& anders : {text + "0", "0" + text, text + ",", "+" + text, " " + text}) {
      double a = 0;
      if (kolvex::KanonischeZahl(anders, a)) {
        ASSERT_EQ(kolvex::FloatText(a), anders);
      }
    }
  }
  EXPECT_GT(angenommen, 100000);
}
