// Measurement headers without windows: ".DAT" codes, ".TDM" lines, the text helpers.
#include <gtest/gtest.h>

#include "engines/import/kanal_tabelle.h"
#include "engines/import/kopf.h"
#include "messdaten.h"

using namespace kolvex;

namespace {

KopfErgebnis Dat(const Zeilen& z) {
  HeaderLeeren();
  KopfErgebnis e;
  DATHeaderLesen(z, e);
  return e;
}

KopfErgebnis Tdm(const Zeilen& z, bool win1252 = false) {
  HeaderLeeren();
  KopfErgebnis e;
  TDMHeaderLesen(z, win1252, e);
  return e;
}

}  // namespace

TEST(DatKopf, ChannelsTypesCountsCommentsAndStartValues) {
  Zeilen z = messdaten::DatKopf({{"Zeit", 5, true, "0,5", "Takt"}, {"Kraft", 5}, {"Weg", 4}}, "REAL32");
  z.push_back("#END");
  const KopfErgebnis e = Dat(z);
  EXPECT_EQ(e.typ, "R32");
  EXPECT_EQ(e.anzahl, "4");
  EXPECT_EQ(e.memo1, Zeilen{"Versuch 3"});
  EXPECT_EQ(e.memo2, Zeilen{"Pruefstand"});
  EXPECT_TRUE(e.meldungen.empty());
  ASSERT_EQ(KanalAnzahl, 3);
  EXPECT_EQ(KanalName[1], "Zeit");
  EXPECT_EQ(KanalBeschreibung[1], "Takt");
  EXPECT_EQ(KanalName[3], "Weg");
  EXPECT_TRUE(IstImplizit(1));
  EXPECT_FALSE(IstImplizit(2));
  EXPECT_EQ(StartWerte, std::vector<std::string>{"0,5"});
  EXPECT_EQ(WerteAnzahl(1), 5);
  EXPECT_EQ(WerteAnzahl(3), 4);
  EXPECT_FALSE(BlockFormat);
}

TEST(DatKopf, TypeLookupTakesThreeBelowThenOneThenTwo) {
  // Three below wins although the line below holds another 210.
  Dat({"200,A", "210,EXPLICIT", "201,x", "210,IMPLICIT", "240,7", "x"});
  EXPECT_TRUE(IstImplizit(1));
  Dat({"200,A", "210,IMPLICIT", "201,x", "202,EXPLICIT", "240,7", "x"});
  EXPECT_TRUE(IstImplizit(1));
  Dat({"200,A", "201,x", "210,IMPLICIT", "202,y", "240,7", "x"});
  EXPECT_TRUE(IstImplizit(1));
  EXPECT_EQ(StartWerte, std::vector<std::string>{"7"});
  // No 210 among the three lines: explicit, no start value.
  Dat({"200,A", "201,x", "202,y", "203,z", "210,IMPLICIT", "x"});
  EXPECT_FALSE(IstImplizit(1));
  EXPECT_TRUE(StartWerte.empty());
  // Lines missing at the end count as no 210.
  Dat({"200,A", "x"});
  EXPECT_EQ(KanalAnzahl, 1);
}

TEST(DatKopf, TheLastLineIsNotParsedAndTypeMapping) {
  const KopfErgebnis e = Dat({"200,A", "214,REAL48", "220,9"});
  EXPECT_EQ(e.typ, "R48");
  EXPECT_EQ(e.anzahl, "");
  EXPECT_EQ(WerteAnzahl(1), 0);
  EXPECT_EQ(Dat({"214,INT16", "x"}).typ, "R64");
  EXPECT_EQ(Dat({"214,REAL32", "214,REAL64", "x"}).typ, "R64");  // the last one wins
  EXPECT_EQ(Dat({"200,A", "x"}).typ, "");                          // no 214: no type
}

TEST(DatKopf, FortyFirstChannelStopsWithOneMessage) {
  Zeilen z;
  for (int k = 1; k <= 42; ++k) {
    z.push_back("200,K" + std::to_string(k));
    z.push_back("220," + std::to_string(k));
  }
  z.push_back("x");
  const KopfErgebnis e = Dat(z);
  EXPECT_EQ(KanalAnzahl, 40);
  EXPECT_EQ(e.meldungen, Zeilen{"Kanalanzahl 41 > Max = 40"});
  EXPECT_EQ(KanalName[40], "K40");
  EXPECT_EQ(e.anzahl, "40");  // parsing ended at the 41st 200 line
}

TEST(DatKopf, LinesBeforeTheFirstChannelWriteNoChannelZero) {
  const KopfErgebnis e = Dat({"201,Vorab", "220,77", "200,A", "x"});
  EXPECT_EQ(e.anzahl, "77");
  EXPECT_EQ(WerteAnzahl(0), 0);
  EXPECT_EQ(KanalBeschreibung[0], "");
  EXPECT_EQ(WerteAnzahl(1), 0);
}

TEST(DatKopf, LayoutAndCountsDoNotCarryOverToTheNextHeader) {
  Dat({"200,A", "213,BLOCK", "220,5", "x"});
  EXPECT_TRUE(BlockFormat);
  EXPECT_EQ(WerteAnzahl(1), 5);
  Dat({"200,B", "x"});
  EXPECT_FALSE(BlockFormat);
  EXPECT_EQ(WerteAnzahl(1), 0);
}

TEST(DatKopf, NamesAreCutTo255Characters) {
  const std::string lang(300, 'a');
  std::string umlaute;
  for (int i = 0; i < 300; ++i) umlaute += "ä";
  Dat({"200," + lang, "201," + umlaute, "x"});
  EXPECT_EQ(KanalName[1].size(), 255u);
  EXPECT_EQ(KanalBeschreibung[1].size(), 510u);  // 255 two-byte characters, none split
}

TEST(DatKopf, ChannelStatistics) {
  const Zeilen z = {"x", "200,Kraft", "220,12", "250,-1,5", "251,7,25", "200,Weg", "250,3", "x"};
  KanalStatistik s = KanalMinMax(z, "Kraft");
  EXPECT_EQ(s.anzahl, 12);
  EXPECT_DOUBLE_EQ(s.min, -1.5);
  EXPECT_DOUBLE_EQ(s.max, 7.25);
  s = KanalMinMax(z, "Weg");
  EXPECT_DOUBLE_EQ(s.min, 3);
  EXPECT_DOUBLE_EQ(s.max, 0);
  s = KanalMinMax(z, "Fehlt");
  EXPECT_EQ(s.min, 0);
  EXPECT_EQ(s.max, 0);
  // The first line is never a channel line.
  EXPECT_EQ(KanalMinMax({"200,Kraft", "220,3", "x"}, "Kraft").anzahl, 0);
  // The name is compared with the text after the comma as it stands, blanks included.
  const Zeilen b = {"x", "200, Druck", "220,4", "250,1", "251,2", "x"};
  EXPECT_EQ(KanalMinMax(b, "Druck").anzahl, 0);
  EXPECT_EQ(KanalMinMax(b, "Druck").max, 0);
  EXPECT_EQ(KanalMinMax(b, " Druck").anzahl, 4);
  EXPECT_DOUBLE_EQ(KanalMinMax(b, " Druck").max, 2);
}

TEST(DatKopf, ByteOrderFromHeaderLinesTwoToSix) {
  EXPECT_TRUE(ByteFolgeBestimmen({}));
  EXPECT_TRUE(ByteFolgeBestimmen({"a", "b", "c"}));
  EXPECT_FALSE(ByteFolgeBestimmen({"a", "b", "x @R:302"}));
  EXPECT_FALSE(ByteFolgeBestimmen({"a", "2,{@R"}));
  EXPECT_TRUE(ByteFolgeBestimmen({"a", "1,DOS", "@R:302"}));
  EXPECT_TRUE(ByteFolgeBestimmen({"a", "1,DOS 2,{@R"}));  // "1,DOS" is tested first
  EXPECT_TRUE(ByteFolgeBestimmen({"@R:302", "b", "c", "d", "e", "f", "@R:302"}));
}

// ---- .TDM -----------------------------------------------------------------------------------

namespace {

Zeilen TdmKopf() {
  return {
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      "<usi:tdm>",
      "<title>Versuch</title>",
      "<author>Pruefer</author>",
      "<datetime>2021-03-04T10:00:00</datetime>",
      "<channelgroups>#xpointer(id(\"g1\"))</channelgroups>",
      "<registercomments>#xpointer(id(\"c1\") id(\"c2\"))</registercomments>",
      "<tdm_comment id=\"c1\">",
      "<name>eins</name>",
      "<text>Gr&ouml;&szlig;e &amp; Zeit<br></text>",
      "<tdm_comment id=\"c2\">",
      "<name>zwei</name>",
      "<text>zweite</text>",
      "<channels>#xpointer(id(\"ch1\") id(\"ch10\") id(\"ch2\"))</channels>",
      "<usi:include name=\"ch10_werte\"/>",
      "<x/>",
      "<tdm_channel id=\"ch1\">",
      "<name>Druck</name>",
      "<description>bar</description>",
      "<string name=\"monotony\">not monotone</string>",
      "<tdm_channel id=\"ch10\">",
      "<name>Zeit</name>",
      "<description>Takt &amp; Zeit</description>",
      "<string name=\"monotony\">decreasing</string>",
      "<tdm_channel id=\"ch2\">",
      "<name>Kraft</name>",
      "<description>N</description>",
      "<submatrices>#xpointer(id(\"sm1\") id(\"sm2\"))</submatrices>",
      "<submatrix id=\"sm1\">",
      "<number_of_rows>3</number_of_rows>",
      "<submatrix id=\"sm2\">",
      "<number_of_rows>5</number_of_rows>",
      "</usi:tdm>",
  };
}

}  // namespace

TEST(TdmKopf, ChannelsCommentsAndRowCounts) {
  const KopfErgebnis e = Tdm(TdmKopf());
  EXPECT_EQ(e.typ, "TDM");
  EXPECT_EQ(e.anzahl, "5");
  EXPECT_EQ(TDMZeilen, 5);
  EXPECT_EQ(e.memo1, (Zeilen{"Größe + Zeit", "zweite"}));
  // "ch1" is found on its own line, not inside "ch10_werte".
  EXPECT_EQ(KanalName[1], "Druck");
  EXPECT_EQ(KanalMonotonie[1], "not monotone");
  EXPECT_EQ(KanalName[2], "Zeit");
  EXPECT_EQ(KanalBeschreibung[2], "Takt + Zeit");
  EXPECT_TRUE(IstImplizit(2));
  EXPECT_EQ(KanalName[3], "Kraft");
  // Two submatrices: two channels, whatever the channel list says.
  EXPECT_EQ(KanalAnzahl, 2);
  EXPECT_EQ(WerteAnzahl(1), 3);
  EXPECT_EQ(WerteAnzahl(2), 5);
}

TEST(TdmKopf, MissingSectionsGiveNothingAndNoRowCount) {
  const KopfErgebnis e = Tdm({"<usi:tdm>", "<tdm_channel id=\"ch1\">", "<name>A</name>", "</usi:tdm>"});
  EXPECT_EQ(KanalAnzahl, 0);
  EXPECT_TRUE(e.memo1.empty());
  EXPECT_EQ(TDMZeilen, 0);
  EXPECT_EQ(e.typ, "TDM");
  EXPECT_TRUE(Tdm({}).meldungen.empty());
}

TEST(TdmKopf, ChannelsBeyondFortyAreReportedOneByOne) {
  Zeilen z;
  std::string liste = "<channels>#xpointer(";
  for (int k = 1; k <= 42; ++k) liste += "id(\"k" + std::to_string(k) + "\") ";
  z.push_back(liste + ")</channels>");
  for (int k = 1; k <= 42; ++k) {
    z.push_back("<tdm_channel id=\"k" + std::to_string(k) + "\">");
    z.push_back("<name>N" + std::to_string(k) + "</name>");
    z.push_back("<description>d</description>");
  }
  z.push_back("<submatrices>#xpointer(");
  for (int k = 1; k <= 45; ++k) {
    z.back() += "id(\"s" + std::to_string(k) + "\") ";
  }
  for (int k = 1; k <= 45; ++k) {
    z.push_back("<submatrix id=\"s" + std::to_string(k) + "\">");
    z.push_back("<number_of_rows>" + std::to_string(k) + "</number_of_rows>");
  }
  const KopfErgebnis e = Tdm(z);
  EXPECT_EQ(e.meldungen, (Zeilen{"Kanalanzahl 41 > Max = 40", "Kanalanzahl 42 > Max = 40"}));
  EXPECT_EQ(KanalName[40], "N40");
  // The submatrix count stops at 40.
  EXPECT_EQ(KanalAnzahl, 40);
  EXPECT_EQ(e.anzahl, "40");
}

TEST(TdmKopf, TextHelpers) {
  EXPECT_EQ(TagText("  <name>Kraft</name>"), "Kraft");
  EXPECT_EQ(TagText("ohne Tag"), "ohne Tag");
  EXPECT_EQ(TagText("<a>offen"), "offen");
  EXPECT_EQ(IdListe("<x>#xpointer(id(\"a 1\") id(\"b\"))</x>"), (std::vector<std::string>{"a1", "b"}));
  EXPECT_TRUE(IdListe("keine").empty());
  EXPECT_EQ(IdSuchen({"ch10", "x ch1\"", "ch1"}, "ch1", 0), 1);
  EXPECT_EQ(IdSuchen({"ch1"}, "", 0), -1);
  EXPECT_EQ(TextSuchen({"a", "b", "ab"}, "a", -5), 0);
  EXPECT_EQ(TextSuchen({"a", "b", "ab"}, "a", 1), 2);
  EXPECT_EQ(TextSuchen({"a"}, "z", 0), -1);
  // CodeWert: leading blanks go, the last line is never looked at.
  EXPECT_EQ(CodeWert({"240,   3,5", "x"}, "240", 0), "3,5");
  EXPECT_EQ(CodeWert({"x", "240,3"}, "240", 0), "");
  EXPECT_EQ(DatumWandeln("2021-03-04"), "04.03.2021");
  EXPECT_EQ(DatumWandeln("20"), "..20");
  EXPECT_EQ(ZeichenEntfernen("a\"b\"", '"'), "ab");
}

TEST(TdmKopf, EntitiesAndTheWindows1252Remains) {
  EXPECT_EQ(HTMLWandeln("&Auml;&Uuml;&Ouml;&auml;&uuml;&ouml;&szlig;&nbsp;5&euro;&amp;<br>", false),
            "ÄÜÖäüöß 5Euro+");
  // "Â" and "Ã¼" are real text in a UTF-8 header ...
  EXPECT_EQ(HTMLWandeln("Â Ã¼", false), "Â Ã¼");
  // ... and the remains of UTF-8 bytes in one read as Windows-1252.
  EXPECT_EQ(HTMLWandeln("Â°C MÃ¼ller", true), "°C Müller");
}

TEST(TdmKopf, ControlCharactersOnlyAreDropped) {
  EXPECT_EQ(SteuerzeichenEntfernen("a\tb\x01\x1f" "c"), "abc");
  EXPECT_EQ(SteuerzeichenEntfernen("\xEF\xBB\xBF" "200,þÿ"), "200,");
  // Other characters from U+0080 on stay (the old rule dropped every byte from 254 up).
  EXPECT_EQ(SteuerzeichenEntfernen("Größe €"), "Größe €");
}
