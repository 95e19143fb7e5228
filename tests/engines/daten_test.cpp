// Data files without windows: record decoding, the readers, the table layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>

#include "core/zahltext.h"
#include "engines/import/daten.h"
#include "engines/import/kanal_tabelle.h"
#include "engines/import/kopf.h"
#include "messdaten.h"

using namespace kolvex;
using messdaten::Kanal;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const unsigned char* B(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

class FakeAnzeige : public LeseAnzeige {
 public:
  void beginnen(int64_t m) override { maximum = m; ++begonnen; }
  void fortschritt(int64_t w, const std::string& t) override {
    letzter = w;
    if (!t.empty()) titel = t;
  }
  bool abbruch() override { return ++fragen == abbruchBei; }
  void kanalBoxen(const std::vector<std::string>& n) override { boxen = n; }
  void beenden() override { ++beendet; }
  int64_t maximum = -1, letzter = -1;
  int begonnen = 0, beendet = 0;
  int fragen = 0, abbruchBei = -1;
  std::string titel;
  std::vector<std::string> boxen;
};

// The header lines parsed into the channel table.
std::string Kopf(const std::vector<Kanal>& k, const std::string& typ = "REAL64", bool block = false) {
  HeaderLeeren();
  KopfErgebnis e;
  DATHeaderLesen(messdaten::DatKopf(k, typ, block), e);
  return e.typ;
}

// Values of a column; NaN for an empty cell.
std::vector<double> Spalte(const Tabelle& t, int c) { return t.spalten[static_cast<size_t>(c)]; }

void SpalteIst(const std::vector<double>& s, std::initializer_list<double> soll) {
  ASSERT_EQ(s.size(), soll.size());
  size_t i = 0;
  for (double v : soll) {
    if (std::isnan(v))
      EXPECT_TRUE(std::isnan(s[i])) << "row " << i << " holds " << s[i];
    else
      EXPECT_EQ(s[i], v) << "row " << i;
    ++i;
  }
}

Tabelle Aufbauen(const std::string& bytes, Satzart art, const std::string& typ, bool tausch = false) {
  SpeicherQuelle q(bytes);
  FakeAnzeige a;
  AlleKanaeleLesen(q, art, tausch, a);
  Tabelle t;
  TabelleAufbauen(typ, t);
  return t;
}

}  // namespace

// ---- Decoding ---------------------------------------------------------------------------------

TEST(Satz, SingleAndDoubleByteOrder) {
  const std::string s("\x00\x00\xC0\x3F", 4);  // 1.5f little-endian
  EXPECT_EQ(Single(B(s)), 1.5f);
  const std::string le("\x00\x00\x00\x00\x00\x00\x04\xC0", 8);  // -2.5
  EXPECT_EQ(Double(B(le), false), -2.5);
  const std::string be(le.rbegin(), le.rend());
  EXPECT_EQ(Double(B(be), true), -2.5);
  EXPECT_EQ(SatzWert(B(le), Satzart::TDX, true), -2.5);  // ".tdx" never reverses
}

TEST(Satz, SixByteRealsBitExact) {
  EXPECT_EQ(Real48(B(std::string("\x81\0\0\0\0\0", 6))), 1.0);
  EXPECT_EQ(Real48(B(std::string("\x82\0\0\0\0\xA0", 6))), -2.5);
  EXPECT_EQ(Real48(B(std::string("\0\x12\x34\x56\x78\x9A", 6))), 0.0);  // e = 0 is zero
  // 0.1 to 40 bits: 7D CD CC CC CC 4C; its 15-digit text shows the 6-byte precision.
  const double zehntel = std::ldexp(static_cast<double>((uint64_t{1} << 39) | 0x4CCCCCCCCDULL), 125 - 129 - 39);
  EXPECT_EQ(Real48(B(std::string("\x7D\xCD\xCC\xCC\xCC\x4C", 6))), zehntel);
  EXPECT_EQ(FloatText(zehntel), "0,100000000000023");
  // Largest and smallest exponents, all fraction bits set.
  const double gross = std::ldexp(static_cast<double>((uint64_t{1} << 40) - 1), 255 - 129 - 39);
  EXPECT_EQ(Real48(B(std::string("\xFF\xFF\xFF\xFF\xFF\x7F", 6))), gross);
  EXPECT_EQ(Real48(B(std::string("\x01\0\0\0\0\x80", 6))), -std::ldexp(1.0, -128));
  EXPECT_EQ(Real48(B(messdaten::R48Satz(-1234.5))), -1234.5);
}

TEST(Satz, MarkerAtTheRecordsPrecisionAndConversionsThroughText) {
  EXPECT_EQ(Markierung(Satzart::R64), 999999999999999.0);
  EXPECT_EQ(Markierung(Satzart::R32), static_cast<double>(999999999999999.0f));
  EXPECT_EQ(Markierung(Satzart::R48), 1e15);  // the nearest 6-byte real
  EXPECT_TRUE(IstLeerwert(9.9e34));
  EXPECT_FALSE(IstLeerwert(9.9000000000001e34));
  EXPECT_FALSE(IstLeerwert(-9.9e34));
  const std::string d = messdaten::R64({0.1 + 0.2});
  EXPECT_EQ(WertWandeln(B(d), false), 0.3);  // 15 digits
  EXPECT_EQ(DatenEndung("R32"), ".R32");
  EXPECT_EQ(DatenEndung("TDM"), ".tdx");
  EXPECT_EQ(DatenEndung(""), ".R64");
  Satzart art;
  EXPECT_FALSE(SatzartAusTyp("", art));
  EXPECT_TRUE(SatzartAusTyp("TDM", art));
  EXPECT_EQ(art, Satzart::TDX);
}

// ---- All channels and layouts --------------------------------------------------------------

TEST(Tabelle, ChannelLayoutWithUnequalLengthsAndImplicitChannel) {
  const std::string typ = Kopf({{"Zeit", 3, true, "0,5"}, {"A", 3}, {"B", 2}, {"C", 3}});
  const Tabelle t = Aufbauen(messdaten::R64({1, 2, 3, 4, 5, 6, 7, 8}, true), Satzart::R64, typ, true);
  EXPECT_EQ(t.zeilen, 4);
  EXPECT_EQ(t.kopf, (std::vector<std::string>{"Zeit", "A", "B", "C", ""}));
  SpalteIst(Spalte(t, 0), {kNaN, 0.5, 0.5, 0.5});  // the start value in every row
  SpalteIst(Spalte(t, 1), {kNaN, 1, 2, 3});
  SpalteIst(Spalte(t, 2), {kNaN, 4, 5, kNaN});
  SpalteIst(Spalte(t, 3), {kNaN, 6, 7, 8});
  SpalteIst(Spalte(t, 4), {kNaN, kNaN, kNaN, kNaN});
  EXPECT_TRUE(Messwerte.empty());
  EXPECT_EQ(ErwarteteWerte(typ), 8);
}

TEST(Tabelle, RowsComeFromTheValuesReadNotFromTheDeclaredCount) {
  // 600 values declared, 4 in the file; the 500-value limit of old plays no part.
  const std::string typ = Kopf({{"A", 600}, {"B", 600}}, "REAL32");
  const Tabelle t = Aufbauen(messdaten::R32({1, 2, 3, 4}), Satzart::R32, typ);
  EXPECT_EQ(t.zeilen, 5);
  SpalteIst(Spalte(t, 0), {kNaN, 1, 2, 3, 4});
  SpalteIst(Spalte(t, 1), {kNaN, kNaN, kNaN, kNaN, kNaN});
  EXPECT_EQ(ErwarteteWerte(typ), 1200);
  // A count of 0 reads nothing into its channel; values beyond the last channel go.
  const std::string typ0 = Kopf({{"A", 0}, {"B", 2}}, "REAL32");
  const Tabelle t0 = Aufbauen(messdaten::R32({1, 2, 3}), Satzart::R32, typ0);
  EXPECT_EQ(t0.zeilen, 3);
  SpalteIst(Spalte(t0, 0), {kNaN, kNaN, kNaN});
  SpalteIst(Spalte(t0, 1), {kNaN, 1, 2});
}

TEST(Tabelle, MarkerAndTheEmptyValueBecomeEmptyCellsInPlace) {
  const std::string typ = Kopf({{"A", 4}}, "REAL32");
  const Tabelle t = Aufbauen(messdaten::R32({1, 999999999999999.0f, 9.9e34f, 4}), Satzart::R32, typ);
  // A single never holds 9.9E34 exactly enough to print so; the double does.
  SpalteIst(Spalte(t, 0), {kNaN, 1, kNaN, static_cast<double>(9.9e34f), 4});
  const std::string typ64 = Kopf({{"A", 4}}, "REAL64");
  const Tabelle t64 = Aufbauen(messdaten::R64({1, 999999999999999.0, 9.9e34, 4}), Satzart::R64, typ64);
  SpalteIst(Spalte(t64, 0), {kNaN, 1, kNaN, kNaN, 4});
  // The R48 marker is the nearest 6-byte real to it.
  const std::string typ48 = Kopf({{"A", 3}}, "REAL48");
  const Tabelle t48 = Aufbauen(messdaten::R48({1, 1e15, -2}), Satzart::R48, typ48);
  SpalteIst(Spalte(t48, 0), {kNaN, 1, kNaN, -2});
}

TEST(Tabelle, BlockLayoutInterleavesExplicitChannelsOnly) {
  const std::string typ = Kopf({{"A", 3}, {"T", 3, true, "9"}, {"B", 3}}, "REAL32", true);
  EXPECT_TRUE(BlockFormat);
  EXPECT_EQ(ErwarteteWerte(typ), 6);
  const Tabelle t = Aufbauen(messdaten::R32({1, 10, 2, 20, 3}), Satzart::R32, typ);
  EXPECT_EQ(t.zeilen, 4);
  SpalteIst(Spalte(t, 0), {kNaN, 1, 2, 3});
  SpalteIst(Spalte(t, 1), {kNaN, 9, 9, 9});
  SpalteIst(Spalte(t, 2), {kNaN, 10, 20, kNaN});
  EXPECT_FALSE(BlockFormat);
}

TEST(Tabelle, TdmColumnsImplicitStartValuesAndMissingRowCount) {
  HeaderLeeren();
  KanalAnzahl = 3;
  KanalName[1] = "A";
  KanalName[2] = "B";
  KanalName[3] = "T";
  KanalMonotonie[3] = Implizit;
  TDMZeilen = 2;
  // Two explicit channels of 2 values; the implicit channel's start value stands
  // 2 x (I - j) = 0 places before the last value.
  const Tabelle t = Aufbauen(messdaten::R64({1, 2, 3, 4, 7}), Satzart::TDX, "TDM");
  EXPECT_EQ(t.zeilen, 3);
  SpalteIst(Spalte(t, 0), {kNaN, 1, 2});
  SpalteIst(Spalte(t, 1), {kNaN, 3, 4});
  SpalteIst(Spalte(t, 2), {kNaN, 7, 7});
  EXPECT_EQ(ErwarteteWerte("TDM"), 4);

  TDMZeilen = 0;
  const Tabelle leer = Aufbauen(messdaten::R64({1, 2}), Satzart::TDX, "TDM");
  EXPECT_EQ(leer.meldungen, std::vector<std::string>{"Anzahl Messwerte nicht gefunden"});
  EXPECT_EQ(leer.zeilen, 1);
  EXPECT_EQ(leer.kopf[0], "A");
}

TEST(Tabelle, NonNumericStartValueFillsItsColumnAsText) {
  const std::string typ = Kopf({{"T", 2, true, "ab"}, {"A", 2}}, "REAL32");
  const Tabelle t = Aufbauen(messdaten::R32({1, 2}), Satzart::R32, typ);
  ASSERT_EQ(t.textSpalten.size(), 1u);
  EXPECT_EQ(t.textSpalten[0], (std::pair<int, std::string>{0, "ab"}));
}

TEST(Lesen, ProgressEscAndMemoryFailure) {
  Kopf({{"A", 1000}}, "REAL32");
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += messdaten::R32({static_cast<float>(i)});
  SpeicherQuelle q(bytes);
  FakeAnzeige a;
  LeseOptionen opt;
  opt.block = 1;
  LeseStand s = AlleKanaeleLesen(q, Satzart::R32, false, a, opt);
  EXPECT_EQ(s.gelesen, 1000);
  EXPECT_EQ(a.maximum, 1000);
  EXPECT_EQ(a.letzter, 1000);
  EXPECT_EQ(a.titel, " Lesen 1000 von 1000");
  EXPECT_EQ(a.fragen, 1000);  // ESC asked after every value

  FakeAnzeige esc;
  esc.abbruchBei = 250;
  s = AlleKanaeleLesen(q, Satzart::R32, false, esc, opt);
  EXPECT_TRUE(s.abgebrochen);
  EXPECT_EQ(Messwerte.size(), 250u);

  opt.speicherFehlerNach = 300;
  EXPECT_THROW(AlleKanaeleLesen(q, Satzart::R32, false, a, opt), std::bad_alloc);
  EXPECT_EQ(Messwerte.size(), 300u);  // what was read stays

  // A trailing partial record is no value; an empty file gives none.
  const std::string anfang = bytes.substr(0, 10);
  SpeicherQuelle rest(anfang);
  EXPECT_EQ(AlleKanaeleLesen(rest, Satzart::R32, false, a).gelesen, 2);
  SpeicherQuelle nichts("");
  EXPECT_EQ(AlleKanaeleLesen(nichts, Satzart::R48, false, a).gelesen, 0);
}

// ---- Chosen channels ----------------------------------------------------------------------------

namespace {

GewaehltErgebnis Gewaehlt(const std::string& bytes, Satzart art, std::vector<bool> wahl, int n,
                          bool block = false, FakeAnzeige* anzeige = nullptr) {
  SpeicherQuelle q(bytes);
  FakeAnzeige eigen;
  GewaehltErgebnis e;
  LeseOptionen opt;
  opt.block = 1;
  GewaehlteKanaeleLesen(q, art, false, block, Auswahl{std::move(wahl), n}, anzeige ? *anzeige : eigen, e, opt);
  return e;
}

std::string Zahlen(int von, int bis) {
  std::string s;
  for (int i = von; i <= bis; ++i) s += messdaten::R64({static_cast<double>(i)});
  return s;
}

}  // namespace

TEST(Gewaehlt, IntervalPositionsAndLabels) {
  Kopf({{"A", 10}, {"B", 10}});
  FakeAnzeige a;
  const GewaehltErgebnis e = Gewaehlt(Zahlen(0, 19), Satzart::TDX, {false, false, true}, 3, false, &a);
  EXPECT_EQ(e.kopf, (std::vector<std::string>{"Nr", "B"}));
  EXPECT_EQ(a.boxen, std::vector<std::string>{"B"});
  EXPECT_EQ(e.zeilen, 4);
  SpalteIst(e.spalten[1], {kNaN, 10, 13, 16, 19});
  EXPECT_EQ(ZeilenText(1, 3), "1  (1)");
  EXPECT_EQ(ZeilenText(4, 3), "4  (10)");
  EXPECT_EQ(ZeilenText(4, 1), "4");
  EXPECT_EQ(e.stand.erwartet, 4);
  EXPECT_EQ(a.maximum, 4);
}

TEST(Gewaehlt, ImplicitChannelTakesNoRecordsAndMarkerKeepsItsRow) {
  Kopf({{"T", 4, true}, {"A", 4}, {"B", 4}});
  std::string bytes = messdaten::R64({1, 999999999999999.0, 3, 4, 5, 6, 7, 8});
  const GewaehltErgebnis e = Gewaehlt(bytes, Satzart::TDX, {false, false, true, true}, 1);
  SpalteIst(e.spalten[1], {kNaN, 1, kNaN, 3, 4});  // the marker: an empty cell, no lost row
  SpalteIst(e.spalten[2], {kNaN, 5, 6, 7, 8});     // the second explicit channel starts at N
  // A value count of 0 for channel 1 reads nothing.
  Kopf({{"A", 0}, {"B", 4}});
  EXPECT_EQ(Gewaehlt(bytes, Satzart::TDX, {false, true, true}, 1).zeilen, 0);
}

// Counts beyond 32 bits are the header's own; nothing is allocated for them, and a record
// number past 64 bits lies beyond the end of the file.
TEST(Gewaehlt, CountsBeyondThirtyTwoBits) {
  const int64_t riesig = int64_t{1} << 40;
  Kopf({{"A", riesig}, {"B", riesig}});
  EXPECT_EQ(WerteAnzahl(2), riesig);
  EXPECT_EQ(ErwarteteWerte("R64"), 2 * riesig);
  FakeAnzeige a;
  GewaehltErgebnis e = Gewaehlt(Zahlen(0, 99), Satzart::TDX, {false, true, true}, 1, false, &a);
  EXPECT_EQ(e.stand.erwartet, 2 * riesig);
  EXPECT_EQ(e.stand.gelesen, 100);
  EXPECT_EQ(e.zeilen, 100);
  // 2^62 values in each of three channels: the third starts at record 2^63.
  const int64_t groesser = int64_t{1} << 62;
  Kopf({{"A", groesser}, {"B", groesser}, {"C", groesser}});
  EXPECT_EQ(ErwarteteWerte("R64"), std::numeric_limits<int64_t>::max());
  e = Gewaehlt(Zahlen(0, 9), Satzart::TDX, {false, false, false, true}, 1);
  EXPECT_EQ(e.stand.erwartet, groesser);
  EXPECT_EQ(e.zeilen, 0);
  e = Gewaehlt(Zahlen(0, 9), Satzart::TDX, {false, false, false, true}, 1, true);  // BLOCK
  EXPECT_EQ(e.zeilen, 3);
  // Texts: rounded, held at the limits of 64 bits, not a number reads 0.
  EXPECT_EQ(AnzahlAusText("1099511627776"), riesig);
  EXPECT_EQ(AnzahlAusText("2,5"), 2);
  EXPECT_EQ(AnzahlAusText("1E30"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(AnzahlAusText("-1E30"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(AnzahlAusText("viele"), 0);
  EXPECT_EQ(AnzahlSumme(std::numeric_limits<int64_t>::max(), 1), std::numeric_limits<int64_t>::max());
}

TEST(Gewaehlt, BlockRecordsAreInterleaved) {
  Kopf({{"A", 3}, {"T", 3, true}, {"B", 3}}, "REAL64", true);
  const GewaehltErgebnis e =
      Gewaehlt(messdaten::R64({1, 10, 2, 20, 3, 30}), Satzart::TDX, {false, false, false, true}, 2, true);
  SpalteIst(e.spalten[1], {kNaN, 10, 30});
}

TEST(Gewaehlt, ShortFileEscAndOtherRecordTypes) {
  Kopf({{"A", 5}, {"B", 5}});
  // The file ends inside channel B: B keeps what is there, the row count is the longest.
  GewaehltErgebnis e = Gewaehlt(Zahlen(0, 6), Satzart::TDX, {false, true, true}, 1);
  EXPECT_EQ(e.zeilen, 5);
  SpalteIst(e.spalten[2], {kNaN, 5, 6, kNaN, kNaN, kNaN});
  EXPECT_EQ(e.stand.gelesen, 7);
  EXPECT_EQ(e.stand.erwartet, 10);
  // ESC in the first channel ends it; the second is read.
  FakeAnzeige a;
  a.abbruchBei = 2;
  e = Gewaehlt(Zahlen(0, 9), Satzart::TDX, {false, true, true}, 1, false, &a);
  SpalteIst(e.spalten[1], {kNaN, 0, 1, kNaN, kNaN, kNaN});
  SpalteIst(e.spalten[2], {kNaN, 5, 6, 7, 8, 9});
  EXPECT_TRUE(e.stand.abgebrochen);
  // R32 and R48 records with their markers.
  e = Gewaehlt(messdaten::R32({1, 999999999999999.0f, 3, 4, 5}), Satzart::R32, {false, true}, 2);
  SpalteIst(e.spalten[1], {kNaN, 1, 3, 5});
  e = Gewaehlt(messdaten::R48({1, 1e15, 3, 4, 5}), Satzart::R48, {false, true}, 1);
  SpalteIst(e.spalten[1], {kNaN, 1, kNaN, 3, 4, 5});
}
