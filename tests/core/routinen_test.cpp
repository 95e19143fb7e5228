#include "core/routinen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvex {
namespace {

using Teile = std::vector<std::string>;

Teile Zerlegt(std::string_view trenner, std::string_view text, int maximum) {
  Teile t{"alt"};
  Zerlegen(trenner, text, t, maximum);
  return t;
}

TEST(DateiEndungGross, ExtensionOfTheLastPathPart) {
  EXPECT_EQ(DateiEndungGross("daten/messung.csv"), ".CSV");
  EXPECT_EQ(DateiEndungGross("C:\\Daten\\Messung.Tdm"), ".TDM");
  EXPECT_EQ(DateiEndungGross("archiv.tar.gz"), ".GZ");
  EXPECT_EQ(DateiEndungGross("ordner.neu/datei"), "");   // the dot belongs to the folder
  EXPECT_EQ(DateiEndungGross("ordner.neu\\datei"), "");
  EXPECT_EQ(DateiEndungGross("C:datei"), "");
  EXPECT_EQ(DateiEndungGross("datei."), ".");
  EXPECT_EQ(DateiEndungGross(""), "");
}

TEST(ZeichenEntfernen, BlanksCommasPoints) {
  EXPECT_EQ(OhneLeerzeichen(" 1 + 2 "), "1+2");
  EXPECT_EQ(OhneLeerzeichen("a\tb"), "a\tb");  // only blanks
  EXPECT_EQ(OhneKomma("1,2,3"), "123");
  EXPECT_EQ(OhnePunkt("1.234.567"), "1234567");
}

TEST(ZeichenEntfernen, LeadingAndTrailingRepetitions) {
  EXPECT_EQ(OhneEndZeichen("12,500", '0'), "12,5");
  EXPECT_EQ(OhneEndZeichen("000", '0'), "");
  EXPECT_EQ(OhneEndZeichen("a0b", '0'), "a0b");
  EXPECT_EQ(OhneAnfangsZeichen("0012", '0'), "12");
  EXPECT_EQ(OhneAnfangsZeichen("  x  ", ' '), "x  ");
  EXPECT_EQ(OhneAnfangsZeichen("", ' '), "");
}

TEST(BisLetztesZeichen, TextInFrontOfTheLastOccurrence) {
  EXPECT_EQ(BisLetztesZeichen("C:\\Programme\\Kolvex\\formel.txt", '\\'), "C:\\Programme\\Kolvex");
  EXPECT_EQ(BisLetztesZeichen("/home/nutzer/formel.txt", '/'), "/home/nutzer");
  EXPECT_EQ(BisLetztesZeichen("/home/nutzer\\alt.txt", '/'), "/home/nutzer");  // both separators
  EXPECT_EQ(BisLetztesZeichen("a.b.c", '.'), "a.b");
  EXPECT_EQ(BisLetztesZeichen("abc", '.'), "");
  EXPECT_EQ(BisLetztesZeichen("a/b", '.'), "");  // "/" counts only for path separators
}

TEST(TabFeld, FieldsAreOneBasedAndDropControlCharacters) {
  const std::string zeile = "2*x\tKommentar \x01mit\r\tdrei\t";
  EXPECT_EQ(TabFeld(zeile, 1), "2*x");
  EXPECT_EQ(TabFeld(zeile, 2), "Kommentar mit");  // blanks kept
  EXPECT_EQ(TabFeld(zeile, 3), "drei");
  EXPECT_EQ(TabFeld(zeile, 4), "");               // empty field behind the last TAB
  EXPECT_EQ(TabFeld("\xB6*2", 1), "\xB6*2");       // the pi byte is no control character
}

TEST(TabFeld, MissingFieldLeavesTheOutputAsPassed) {
  std::string feld = "vorher";
  TabFeld("a\tb", 3, feld);
  EXPECT_EQ(feld, "vorher");
  TabFeld("a\tb", 0, feld);
  EXPECT_EQ(feld, "vorher");
  TabFeld("a\tb", 2, feld);
  EXPECT_EQ(feld, "b");
  TabFeld("", 1, feld);
  EXPECT_EQ(feld, "");
}

TEST(TeilAmStrichUndAnSpitze, UnitPairs) {
  EXPECT_EQ(TeilAmStrich("m - km", false), "m");
  EXPECT_EQ(TeilAmStrich("m - km", true), "km");
  EXPECT_EQ(TeilAnSpitze("a -> b", false), "b");
  EXPECT_EQ(TeilAnSpitze("a -> b", true), "a -> b");  // no "<": the whole text
  EXPECT_EQ(TeilAmStrich(" m <--> km ", false), "m <");
  EXPECT_EQ(TeilAmStrich(" m <--> km ", true), "> km");
  EXPECT_EQ(TeilAnSpitze(" m <--> km ", false), "km");
  EXPECT_EQ(TeilAnSpitze(" m <--> km ", true), "m");
}

TEST(TeilAmStrichUndAnSpitze, WithoutTheMarkTheWholeTextTrimmed) {
  EXPECT_EQ(TeilAmStrich("  Masse ", false), "Masse");
  EXPECT_EQ(TeilAmStrich("  Masse ", true), "Masse");
  EXPECT_EQ(TeilAnSpitze("  Masse ", false), "Masse");
  EXPECT_EQ(TeilAnSpitze("  Masse ", true), "Masse");
  EXPECT_EQ(TeilAmStrich("", true), "");
}

TEST(Zerlegen, EmptyPiecesAreKept) {
  EXPECT_EQ(Zerlegt(";", "a;;b;", 0), (Teile{"a", "", "b", ""}));
  EXPECT_EQ(Zerlegt(";", ";a", 0), (Teile{"", "a"}));
  EXPECT_EQ(Zerlegt(";", "abc", 0), (Teile{"abc"}));
  EXPECT_EQ(Zerlegt("\t", "1\t2,5\t", 0), (Teile{"1", "2,5", ""}));
}

TEST(Zerlegen, MaximumStopsTheSplit) {
  EXPECT_EQ(Zerlegt(";", "a;;b;", 2), (Teile{"a", ""}));
  EXPECT_EQ(Zerlegt(";", "a;b", 2), (Teile{"a", "b"}));
  EXPECT_EQ(Zerlegt(";", "a;b;c", 1), (Teile{"a"}));
  EXPECT_EQ(Zerlegt(";", "a;b", 5), (Teile{"a", "b"}));
}

TEST(Zerlegen, SpecialArguments) {
  EXPECT_EQ(Zerlegt(";", "", 0), Teile{});
  EXPECT_EQ(Zerlegt(";", "a;b", -1), Teile{});
  EXPECT_EQ(Zerlegt("", "a;b", 0), (Teile{"a;b"}));
  EXPECT_EQ(Zerlegt("::", "a::b:c::", 0), (Teile{"a", "b:c", ""}));
  EXPECT_EQ(Zerlegt("aa", "aaa", 0), (Teile{"", "a"}));
}

}  // namespace
}  // namespace kolvex
