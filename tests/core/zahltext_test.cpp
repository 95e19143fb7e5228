#include "core/zahltext.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "core/globals.h"

namespace kolvex {
namespace {

// Grouping is global state; every test starts with it off and leaves it as it found it.
class ZahlTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    alterPunkt_ = TrennPunkt;
    altesZeichen_ = TrennZeichen;
    TrennPunkt = false;
    TrennZeichen = '.';
  }
  void TearDown() override {
    TrennPunkt = alterPunkt_;
    TrennZeichen = altesZeichen_;
  }
  void Gruppieren(char zeichen) {
    TrennPunkt = true;
    TrennZeichen = zeichen;
  }

 private:
  bool alterPunkt_ = false;
  char altesZeichen_ = '.';
};

std::string Nullen(int n) { return std::string(static_cast<size_t>(n), '0'); }

TEST_F(ZahlTextTest, FloatTextIsGeneralFormatWith15Digits) {
  EXPECT_EQ(FloatText(1.0L / 3), "0,333333333333333");
  EXPECT_EQ(FloatText(2.0L / 3), "0,666666666666667");  // rounded, not cut
  EXPECT_EQ(FloatText(0.1L), "0,1");
  EXPECT_EQ(FloatText(-2.5L), "-2,5");
  EXPECT_EQ(FloatText(100), "100");
  EXPECT_EQ(FloatText(999999999999999.0L), "999999999999999");
  // Switch to the exponent form at 1e15 and below 1e-4, without "+" or leading zeros.
  EXPECT_EQ(FloatText(1e15L), "1E15");
  EXPECT_EQ(FloatText(9999999999999999.0L), "1E16");  // rounding carries into the exponent
  EXPECT_EQ(FloatText(1e20L), "1E20");
  EXPECT_EQ(FloatText(-1.5e-5L), "-1,5E-5");
  EXPECT_EQ(FloatText(1e-5L), "1E-5");
  EXPECT_EQ(FloatText(0.0001L), "0,0001");
  EXPECT_EQ(FloatText(1e4000L), "1E4000");  // beyond the range of a double
}

TEST_F(ZahlTextTest, FloatTextOfZeroAndSpecialValues) {
  EXPECT_EQ(FloatText(0.0L), "0");
  EXPECT_EQ(FloatText(-0.0L), "0");
  EXPECT_EQ(FloatText(std::numeric_limits<long double>::infinity()), "INF");
  EXPECT_EQ(FloatText(-std::numeric_limits<long double>::infinity()), "-INF");
  EXPECT_EQ(FloatText(std::numeric_limits<long double>::quiet_NaN()), "NAN");
  EXPECT_FALSE(IstZahl(FloatText(std::numeric_limits<long double>::infinity())));
}

TEST_F(ZahlTextTest, ExponentAufloesenMovesTheComma) {
  EXPECT_EQ(ExponentAufloesen("1E20"), "1" + Nullen(20));
  EXPECT_EQ(ExponentAufloesen("1,5E20"), "15" + Nullen(19));
  EXPECT_EQ(ExponentAufloesen("1E-5"), "0,00001");
  EXPECT_EQ(ExponentAufloesen("1,5E-5"), "0,000015");
  EXPECT_EQ(ExponentAufloesen("-1,5E-5"), "-0,000015");
  EXPECT_EQ(ExponentAufloesen("-2e3"), "-2000");
  EXPECT_EQ(ExponentAufloesen("1,5E+2"), "150");
  EXPECT_EQ(ExponentAufloesen("12,5"), "12,5");
  EXPECT_EQ(ExponentAufloesen("NAN"), "NAN");
}

TEST_F(ZahlTextTest, ExponentAufloesenKeepsTheValueOfUnnormalisedMantissas) {
  EXPECT_EQ(ExponentAufloesen("1,5E0"), "1,5");
  EXPECT_EQ(ExponentAufloesen("12E-1"), "1,2");
  EXPECT_EQ(ExponentAufloesen("1,2345E2"), "123,45");
  EXPECT_EQ(ExponentAufloesen("0,5E1"), "5");
}

TEST_F(ZahlTextTest, ExponentAufloesenLeavesMalformedTextAlone) {
  EXPECT_EQ(ExponentAufloesen("1E"), "1E");
  EXPECT_EQ(ExponentAufloesen("1Ex"), "1Ex");
  EXPECT_EQ(ExponentAufloesen("E5"), "E5");
  EXPECT_EQ(ExponentAufloesen("x1E5"), "x1E5");
  // An absurd exponent must not try to build a gigantic text.
  EXPECT_EQ(ExponentAufloesen("1E999999999999"), "1E999999999999");
}

TEST_F(ZahlTextTest, TausenderTrennenGroupsTheIntegerPartOnly) {
  EXPECT_EQ(TausenderTrennen("1234567,89"), "1234567,89");  // grouping off
  Gruppieren('.');
  EXPECT_EQ(TausenderTrennen("1234567,89"), "1.234.567,89");
  EXPECT_EQ(TausenderTrennen("1234,56789"), "1.234,56789");
  EXPECT_EQ(TausenderTrennen("-123456"), "-123.456");
  EXPECT_EQ(TausenderTrennen("-1234"), "-1.234");
  EXPECT_EQ(TausenderTrennen("123456"), "123.456");
  EXPECT_EQ(TausenderTrennen("123"), "123");
  EXPECT_EQ(TausenderTrennen("-123,5"), "-123,5");
  EXPECT_EQ(TausenderTrennen(""), "");
  EXPECT_EQ(TausenderTrennen("1234"), "1.234");
  EXPECT_EQ(TausenderTrennen("12345678"), "12.345.678");
  EXPECT_EQ(TausenderTrennen("-12345678,1234"), "-12.345.678,1234");
  EXPECT_EQ(TausenderTrennen(",12345"), ",12345");
  Gruppieren(' ');
  EXPECT_EQ(TausenderTrennen("-1234567"), "-1 234 567");
  Gruppieren('-');
  EXPECT_EQ(TausenderTrennen("-123456"), "-123-456");
}

TEST_F(ZahlTextTest, ZahlZuTextFullPrecisionExpandsAndNeverGroups) {
  Gruppieren('.');
  EXPECT_EQ(ZahlZuText(0, 1e20L), "1" + Nullen(20));
  EXPECT_EQ(ZahlZuText(0, 0.00001L), "0,00001");
  EXPECT_EQ(ZahlZuText(0, 1234567.0L), "1234567");
  EXPECT_EQ(ZahlZuText(0, -1.5e-7L), "-0,00000015");
  EXPECT_EQ(ZahlZuText(0, -0.0L), "0");
}

TEST_F(ZahlTextTest, ZahlZuTextRoundsHalvesToEven) {
  EXPECT_EQ(ZahlZuText(2, 0.125L), "0,12");
  EXPECT_EQ(ZahlZuText(2, 0.375L), "0,38");
  EXPECT_EQ(ZahlZuText(2, -0.125L), "-0,12");
  EXPECT_EQ(ZahlZuText(2, 0.625L), "0,62");
  EXPECT_EQ(ZahlZuText(1, 2.25L), "2,2");
  EXPECT_EQ(ZahlZuText(1, 2.75L), "2,8");
}

TEST_F(ZahlTextTest, ZahlZuTextWithDecimals) {
  EXPECT_EQ(ZahlZuText(2, 2.71828L), "2,72");
  EXPECT_EQ(ZahlZuText(2, 0.9999L), "1");  // carries into the integer part
  EXPECT_EQ(ZahlZuText(2, -0.9999L), "-1");
  EXPECT_EQ(ZahlZuText(4, 3.5L), "3,5");   // no trailing zeros
  EXPECT_EQ(ZahlZuText(2, -0.001L), "0");  // no "-0"
  EXPECT_EQ(ZahlZuText(15, 1.0L / 3), "0,333333333333333");
  EXPECT_EQ(ZahlZuText(3, 1e20L), "1" + Nullen(20));
  EXPECT_EQ(ZahlZuText(2, 1e-7L), "0");
}

TEST_F(ZahlTextTest, ZahlZuTextGroupsOnlyWhenSwitchedOn) {
  EXPECT_EQ(ZahlZuText(2, -1234.567L), "-1234,57");
  Gruppieren('.');
  EXPECT_EQ(ZahlZuText(2, -1234.567L), "-1.234,57");
  EXPECT_EQ(ZahlZuText(2, 1e20L), "100.000.000.000.000.000.000");
  EXPECT_EQ(ZahlZuText(4, 1234.56789L), "1.234,5679");
}

TEST_F(ZahlTextTest, IstZahlAcceptsPlainNumbers) {
  for (const char* t : {"0", "12", "-5", "+5", "1,5", "1.5", "1 234", " 1 , 5 ", "1E5", "1e-5",
                        "1,5E+3", "-1,5e-3", ",5", "5,", "007"})
    EXPECT_TRUE(IstZahl(t)) << '"' << t << '"';
  EXPECT_EQ(TextZuZahl("1 234"), 1234);
  EXPECT_EQ(TextZuZahl("1.234"), TextZuZahl("1,234"));
  EXPECT_EQ(TextZuZahl("1.234"), 1.234L);
}

TEST_F(ZahlTextTest, IstZahlRejectsEverythingElse) {
  for (const char* t : {"", " ", "-", "+", ",", "1,2,3", "1.2,3", "1E", "1E+", "E5", "1E5,5",
                        "12abc", "1-2", "--1", "+-1", "\t1", "inf", "INF", "-INF", "nan", "NAN",
                        "0x1A", "$FF", "infinity", "1e5e5", "\xB6"})
    EXPECT_FALSE(IstZahl(t)) << '"' << t << '"';
}

TEST_F(ZahlTextTest, SentinelIsNotANumber) {
  EXPECT_FALSE(IstZahl("-123456789,123456789"));
  EXPECT_TRUE(IstZahl("-123456789,12345679"));
  // The lenient reader still returns its value.
  EXPECT_EQ(TextZuZahl("-123456789,123456789"), KeineZahl);
}

TEST_F(ZahlTextTest, ExtremeExponentsAreHandled) {
  EXPECT_TRUE(IstZahl("1E4932"));
  EXPECT_TRUE(IstZahl("-1E4932"));
  EXPECT_FALSE(IstZahl("1E4933"));  // beyond the extended range
  EXPECT_FALSE(IstZahl("1E5000"));
  EXPECT_FALSE(IstZahl("1E99999999999999999999"));
  EXPECT_FALSE(IstZahl("0,0000001E4940"));
  EXPECT_EQ(TextZuZahl("1E5000"), 0);
  EXPECT_TRUE(IstZahl("1E-5000"));  // underflow reads as zero
  EXPECT_EQ(TextZuZahl("1E-5000"), 0);
  EXPECT_EQ(TextZuZahl("-1E-99999999999999999999"), 0);
  EXPECT_EQ(TextZuZahl("0E99999"), 0);
  EXPECT_EQ(TextZuZahl("1000E-3"), 1);
}

// Below the smallest normal long double a text still has a value (down to half the smallest
// subnormal); the evaluator writes such results as text and must read them back.
TEST_F(ZahlTextTest, SubnormalTextsReadAsTheirValue) {
  const long double kleinste = std::numeric_limits<long double>::denorm_min();
  const long double normal = std::numeric_limits<long double>::min();
  // The C library's converter in the "C" locale, the tests' own, as the reference.
  const auto Bibliothek = [](const std::string& punktText) { return std::strtold(punktText.c_str(), nullptr); };
  const struct {
    const char* text;
    const char* punktText;
  } faelle[] = {{"1E-4940", "1e-4940"},
                {"-2,5E-4945", "-2.5e-4945"},
                {"3,64519953188247E-4951", "3.64519953188247e-4951"},
                {"2E-4951", "2e-4951"},                       // rounds up to the smallest
                {"3,3621031431120935E-4932", "3.3621031431120935e-4932"},  // the largest subnormal
                {"0,00000001E-4924", "1e-4932"}};
  for (const auto& f : faelle) {
    long double v = 0;
    ASSERT_TRUE(TextZuZahlStreng(f.text, v)) << f.text;
    EXPECT_NE(v, 0) << f.text;
    EXPECT_LT(std::fabs(v), normal) << f.text;
    EXPECT_EQ(v, Bibliothek(f.punktText)) << f.text;
    EXPECT_EQ(TextZuZahl(ExponentAufloesen(f.text)), v) << f.text;
  }
  EXPECT_EQ(TextZuZahl("2E-4951"), kleinste);
  // Below half the smallest subnormal: zero.
  EXPECT_EQ(TextZuZahl("1,8E-4951"), 0);
  EXPECT_TRUE(IstZahl("1,8E-4951"));

  // The 15-digit text of every kind of subnormal reads back as a subnormal of the same
  // text; Gerundet15 is that value.
  for (const long double v : {kleinste, 3 * kleinste, -7 * kleinste, normal / 2, normal / 3, -normal * 0.999L,
                              std::nextafter(normal, 0.0L), std::ldexp(1.0L, -16400)}) {
    const std::string kurz = FloatText(v);
    long double zurueck = 0;
    ASSERT_TRUE(TextZuZahlStreng(kurz, zurueck)) << kurz;
    EXPECT_NE(zurueck, 0) << kurz;
    EXPECT_EQ(std::signbit(zurueck), std::signbit(v)) << kurz;
    EXPECT_EQ(FloatText(zurueck), kurz);
    EXPECT_EQ(TextZuZahl(ZahlZuText(0, v)), zurueck) << kurz;
    EXPECT_EQ(Gerundet15(v), zurueck) << kurz;
  }
}

// The main settings file's real lines: the German form only, as the runtime's strict
// conversion takes it.
TEST_F(ZahlTextTest, TextZuZahlDeutschTakesTheGermanFormOnly) {
  const struct {
    const char* text;
    long double wert;
  } zahlen[] = {{"2,5", 2.5L},   {"-10", -10},      {"+3", 3},         {" 7,25  ", 7.25L},  {"1E20", 1e20L},
                {"1,5e-5", 1.5e-5L}, {"1,5E+5", 1.5e5L}, {",5", 0.5L},   {"5,", 5},           {"-0", 0},
                {"0,1", 0.1L},   {"1,18973149535723E4932", 1.18973149535723E4932L},
                {"3,64519953188247E-4951", std::numeric_limits<long double>::denorm_min()}, {"1E-5000", 0}};
  for (const auto& z : zahlen) {
    long double v = 42;
    EXPECT_TRUE(TextZuZahlDeutsch(z.text, v)) << z.text;
    EXPECT_EQ(v, z.wert) << z.text;
  }
  for (const char* keine : {"2.5", "1 000", "1.000,5", "1.000", "", " ", "-", "+", ",", "E5", "1E", "1E+", "1E 5",
                            "1,2,3", "abc", "2,5x", "0x10", "inf", "NAN", "1 ,5", "- 5", "\t5", "5\t", "1E4933",
                            "-1E5000", "1,5E2,5", "--5", "5-"}) {
    long double v = 42;
    EXPECT_FALSE(TextZuZahlDeutsch(keine, v)) << '"' << keine << '"';
    EXPECT_EQ(v, 42) << keine;
  }
  // Every text the program writes for a value is one it reads back, at the ends of the
  // range too.
  for (const long double w : {0.0L, -0.0L, 1.0L / 3, -2.5L, 1e15L, 1e-5L, 123456789.123456789L,
                              std::numeric_limits<long double>::max(), -std::numeric_limits<long double>::max(),
                              std::numeric_limits<long double>::min(), std::numeric_limits<long double>::denorm_min(),
                              -std::numeric_limits<long double>::denorm_min()}) {
    long double v = 42;
    EXPECT_TRUE(TextZuZahlDeutsch(FloatText(w), v)) << FloatText(w);
    EXPECT_EQ(v, Gerundet15(w)) << FloatText(w);
    EXPECT_TRUE(TextZuZahlDeutsch(ZahlZuText(0, w), v));
    EXPECT_EQ(v, Gerundet15(w));
  }
}

TEST_F(ZahlTextTest, TextZuZahlIsCorrectlyRoundedExtended) {
  EXPECT_EQ(TextZuZahl("0,1"), 0.1L);  // not the double 0.1
  EXPECT_EQ(TextZuZahl("123456789012345678"), 123456789012345678.0L);
  EXPECT_EQ(TextZuZahl("-1,5E-5"), -1.5e-5L);
  EXPECT_EQ(TextZuZahl("abc"), 0);
  EXPECT_EQ(TextZuZahl(""), 0);
}

TEST_F(ZahlTextTest, TextZuZahlStrengLeavesValueAloneOnFailure) {
  long double v = 7;
  EXPECT_FALSE(TextZuZahlStreng("1,2,3", v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(TextZuZahlStreng("-2,5", v));
  EXPECT_EQ(v, -2.5L);
}

TEST_F(ZahlTextTest, TextZuGanzzahlRoundsHalvesToEvenAndSaturates) {
  EXPECT_EQ(TextZuGanzzahl("2,5"), 2);
  EXPECT_EQ(TextZuGanzzahl("3,5"), 4);
  EXPECT_EQ(TextZuGanzzahl("-2,5"), -2);
  EXPECT_EQ(TextZuGanzzahl("0,5"), 0);
  EXPECT_EQ(TextZuGanzzahl("2,6"), 3);
  EXPECT_EQ(TextZuGanzzahl("1 000"), 1000);
  EXPECT_EQ(TextZuGanzzahl("2147483647"), INT32_MAX);
  EXPECT_EQ(TextZuGanzzahl("2147483648"), INT32_MAX);
  EXPECT_EQ(TextZuGanzzahl("-2147483648"), INT32_MIN);
  EXPECT_EQ(TextZuGanzzahl("1E20"), INT32_MAX);
  EXPECT_EQ(TextZuGanzzahl("-1E20"), INT32_MIN);
  EXPECT_EQ(TextZuGanzzahl("1E4932"), INT32_MAX);
  EXPECT_EQ(TextZuGanzzahl("abc"), 0);
}

TEST_F(ZahlTextTest, CommaAndPointConversions) {
  EXPECT_EQ(KommaZuPunkt(" 1 , 5 "), "1.5");
  EXPECT_EQ(KommaZuPunkt("1,5,6"), "1.5.6");
  EXPECT_EQ(PunktZuKomma("1.5 E3"), "1,5E3");
  EXPECT_EQ(KommaPosition("12,5,1"), 3);
  EXPECT_EQ(KommaPosition("125"), 0);
}

TEST_F(ZahlTextTest, ZehntelRundenMovesToTheNextTenth) {
  EXPECT_DOUBLE_EQ(AufZehntelRunden(-0.25), -0.2);
  EXPECT_DOUBLE_EQ(AbZehntelRunden(-0.25), -0.3);
  EXPECT_DOUBLE_EQ(AufZehntelRunden(0.3), 0.4);
  EXPECT_DOUBLE_EQ(AbZehntelRunden(0.3), 0.2);
  EXPECT_DOUBLE_EQ(AufZehntelRunden(1.23), 1.3);
  EXPECT_DOUBLE_EQ(AbZehntelRunden(1.23), 1.2);
  EXPECT_DOUBLE_EQ(AufZehntelRunden(0), 0.1);
  EXPECT_DOUBLE_EQ(AbZehntelRunden(0), -0.1);
  EXPECT_FALSE(std::signbit(AufZehntelRunden(-0.05)));
}

TEST_F(ZahlTextTest, ZehntelRundenEndsForValuesWithoutTenthSteps) {
  EXPECT_EQ(AufZehntelRunden(1e300), 1e300);
  EXPECT_EQ(AbZehntelRunden(-1e300), -1e300);
  EXPECT_TRUE(std::isinf(AufZehntelRunden(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(AbZehntelRunden(std::numeric_limits<double>::quiet_NaN())));
}

// The evaluator writes every intermediate result as number text and reads it back, so the
// text must carry the value to 15 digits and re-read to the same text.
TEST_F(ZahlTextTest, NumberTextRoundTripsOverTheWholeRange) {
  std::mt19937_64 zufall(20240601);
  std::uniform_real_distribution<double> mantisse(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-4000, 4000);
  for (int i = 0; i < 3000; ++i) {
    long double v = mantisse(zufall) * std::pow(10.0L, exponent(zufall));
    if (i % 2) v = -v;
    const std::string kurz = FloatText(v);
    const std::string lang = ZahlZuText(0, v);
    ASSERT_TRUE(IstZahl(kurz)) << kurz;
    ASSERT_TRUE(IstZahl(lang)) << lang;
    const long double zurueck = TextZuZahl(kurz);
    EXPECT_LE(std::fabs(zurueck - v), std::fabs(v) * 1e-14L) << kurz;
    EXPECT_EQ(FloatText(zurueck), kurz);
    EXPECT_EQ(TextZuZahl(lang), zurueck) << lang;
  }
}

// FloatText and TextZuZahlStreng take shortcuts; they must give exactly what the library's
// converters give, text for text and bit for bit.

// The shortcuts rest on the x87 unit's defaults: full 64-bit precision, rounding to nearest.
TEST(ZahlTextAbkuerzung, FloatingPointUnitRunsAtExtendedPrecisionRoundingToNearest) {
  ASSERT_EQ(std::numeric_limits<long double>::digits, 64);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  volatile long double eins = 1;
  volatile long double klein = std::ldexp(1.0L, -63);
  EXPECT_NE(eins + klein, eins);      // would vanish at double precision
  EXPECT_EQ(eins + klein / 2, eins);  // an exact half goes to the even neighbour
}

// Counts the inputs on which the two sides differ and reports the first few.
class Abweichungen {
 public:
  void Pruefen(bool gleich, const std::function<std::string()>& beschreibung) {
    if (gleich) return;
    if (++anzahl_ <= 10) ADD_FAILURE() << beschreibung();
  }
  int Anzahl() const { return anzahl_; }

 private:
  int anzahl_ = 0;
};

std::string Hex(long double v) {
  char puffer[64];
  std::snprintf(puffer, sizeof puffer, "%La", v);
  return puffer;
}

void TextVergleichen(Abweichungen& a, long double v) {
  const std::string referenz = intern::FloatTextReferenz(v);
  const std::string schnell = FloatText(v);
  a.Pruefen(schnell == referenz, [&] { return Hex(v) + ": " + schnell + " instead of " + referenz; });
  const std::string aufgeloest = ExponentAufloesen(referenz);
  const std::string voll = ZahlZuText(0, v);
  a.Pruefen(voll == aufgeloest, [&] { return Hex(v) + ": " + voll + " instead of " + aufgeloest; });
}

void LesenVergleichen(Abweichungen& a, const std::string& text) {
  long double schnell = 7, referenz = 7;
  const bool ok = TextZuZahlStreng(text, schnell);
  const bool okReferenz = intern::TextZuZahlStrengReferenz(text, referenz);
  // No NaN ever comes out, so == together with the sign is the bit pattern.
  a.Pruefen(ok == okReferenz && schnell == referenz && std::signbit(schnell) == std::signbit(referenz),
            [&] { return '"' + text + "\": " + Hex(schnell) + " instead of " + Hex(referenz); });
}

// 10^k, exact up to 10^27.
long double Zehn(int k) {
  long double p = 1;
  for (int i = 0; i < std::abs(k) && i < 27; ++i) p *= 10;
  if (std::abs(k) > 27) p *= std::pow(10.0L, std::abs(k) - 27);
  return k < 0 ? 1 / p : p;
}

long double Skaliert(long double d, int k) { return k >= 0 ? d * Zehn(k) : d / Zehn(-k); }

TEST(ZahlTextAbkuerzung, FloatTextMatchesTheLibraryAtTheEdges) {
  EXPECT_EQ(FloatText(999999999999999.5L), "1E15");           // rounds across the power
  EXPECT_EQ(FloatText(0.000099999999999999995L), "0,0001");  // back into the fixed form
  EXPECT_EQ(FloatText(99999999999999.96L), "100000000000000");
  EXPECT_EQ(FloatText(1234567890123455.0L), "1,23456789012346E15");  // exact half, to even
  EXPECT_EQ(FloatText(1234567890123465.0L), "1,23456789012346E15");

  Abweichungen a;
  for (const long double v :
       {999999999999999.5L, 999999999999999.4L, 999999999999999.0L, 0.000099999999999999995L,
        0.0000999999999999994L, 0.0001L, 99999999999999.95L, 99999999999999.94L, 1e14L, 1e15L,
        1e-13L, 1e-14L, 9.999999999999995e-14L, 1e41L, 1e42L, 9.999999999999995e41L, 1e43L,
        1234567890123455.0L, 1234567890123465.0L, 0.5L, 1.5L, 2.5L, 0.1L, 1.0L / 3, 2.0L / 3,
        std::numeric_limits<long double>::min(), std::numeric_limits<long double>::max(),
        std::numeric_limits<long double>::denorm_min()}) {
    TextVergleichen(a, v);
    TextVergleichen(a, -v);
    for (int schritt = 1; schritt <= 3; ++schritt) {
      TextVergleichen(a, std::nextafter(v, 0.0L));
      TextVergleichen(a, std::nextafter(v, 1e4000L));
    }
  }
  EXPECT_EQ(a.Anzahl(), 0);
}

TEST(ZahlTextAbkuerzung, FloatTextMatchesTheLibraryOverRandomValues) {
  std::mt19937_64 zufall(4711);
  std::uniform_int_distribution<int> binaer(-100, 150);  // about 1e-30 .. 1e45
  Abweichungen a;
  for (int i = 0; i < 80000; ++i) {
    const uint64_t bits = zufall() | (uint64_t{1} << 63);
    long double v = std::ldexp(static_cast<long double>(bits), binaer(zufall) - 63);
    TextVergleichen(a, i % 2 ? -v : v);
  }
  // Short values as the evaluator makes them: few digits, then divided.
  for (int i = 0; i < 30000; ++i) {
    const long double v = static_cast<long double>(zufall() % 100000) / static_cast<long double>(1 + zufall() % 1000);
    TextVergleichen(a, v);
  }
  EXPECT_EQ(a.Anzahl(), 0);
}

// Values around the halves between two 15-digit decimals, where the rounding is decided by
// the last bits, and around the margin inside which the shortcut leaves the rounding to the
// library.
TEST(ZahlTextAbkuerzung, FloatTextMatchesTheLibraryNearHalves) {
  std::mt19937_64 zufall(815);
  std::uniform_int_distribution<uint64_t> ziffern(100000000000000, 999999999999999);
  std::uniform_int_distribution<int> exponent(-44, 30);
  Abweichungen a;
  for (int i = 0; i < 6000; ++i) {
    const long double d = static_cast<long double>(ziffern(zufall));
    const int k = exponent(zufall);
    const long double mitte = Skaliert(d + 0.5L, k);
    long double unten = mitte, oben = mitte;
    TextVergleichen(a, mitte);
    for (int schritt = 0; schritt < 3; ++schritt) {
      unten = std::nextafter(unten, 0.0L);
      oben = std::nextafter(oben, 1e4000L);
      TextVergleichen(a, unten);
      TextVergleichen(a, oben);
    }
    for (const long double abstand : {1e-4L, 1e-4L * (1 - 1e-6L), 1e-4L * (1 + 1e-6L), 5e-5L, 4e-5L, 2e-4L, 1e-3L})
      for (const long double seite : {-1.0L, 1.0L}) TextVergleichen(a, Skaliert(d + 0.5L + seite * abstand, k));
  }
  EXPECT_EQ(a.Anzahl(), 0);
}

TEST(ZahlTextAbkuerzung, ReadingMatchesTheLibraryOverRandomTexts) {
  std::mt19937_64 zufall(1234);
  Abweichungen a;
  for (int i = 0; i < 100000; ++i) {
    std::string t;
    const uint64_t vorzeichen = zufall() % 6;
    if (vorzeichen == 0) t += '-';
    if (vorzeichen == 1) t += '+';
    std::string ziffern;
    if (zufall() % 8 == 0) ziffern.append(zufall() % 4, '0');
    const int stellen = 1 + static_cast<int>(zufall() % 25);
    for (int j = 0; j < stellen; ++j) ziffern += static_cast<char>('0' + zufall() % 10);
    if (zufall() % 4 == 0) ziffern.append(zufall() % 30, '0');
    const size_t punkt = zufall() % (ziffern.size() + 2);
    if (punkt <= ziffern.size()) ziffern.insert(punkt, 1, zufall() % 2 ? ',' : '.');
    t += ziffern;
    if (zufall() % 4 != 0) {
      t += zufall() % 2 ? 'E' : 'e';
      const int e = static_cast<int>(zufall() % 81) - 40;
      if (e >= 0 && zufall() % 4 == 0) t += '+';
      t += std::to_string(e);
    }
    if (zufall() % 50 == 0) t.insert(zufall() % (t.size() + 1), 1, ' ');
    LesenVergleichen(a, t);
  }
  EXPECT_EQ(a.Anzahl(), 0);
}

TEST(ZahlTextAbkuerzung, ReadingMatchesTheLibraryOnTheEvaluatorsOwnTexts) {
  std::mt19937_64 zufall(99);
  std::uniform_int_distribution<int> binaer(-100, 150);
  Abweichungen a;
  for (int i = 0; i < 30000; ++i) {
    const uint64_t bits = zufall() | (uint64_t{1} << 63);
    const long double v = std::ldexp(static_cast<long double>(bits), binaer(zufall) - 63);
    LesenVergleichen(a, FloatText(i % 2 ? -v : v));
    LesenVergleichen(a, ZahlZuText(0, i % 2 ? -v : v));
  }
  for (const char* t : {"0", "-0", "+0", "0,000", "-0E5", "1", "-1", "1E27", "1E28", "1E46", "1E47",
                        "18446744073709551615", "18446744073709551616", "9999999999999999999",
                        "10000000000000000000", "1E-27", "1E-28", "123456789012345678,9E-10",
                        "0,0000000000000000000000000001", "1000000000000000000000000000000000000000000",
                        "-123456789,123456789", "1 234,5", "4,9406564584124654E-4951", "1,18973149535723176502E4932"})
    LesenVergleichen(a, t);
  EXPECT_EQ(a.Anzahl(), 0);
}

// Exact halves between two neighbouring long doubles, made of 19 digits and a power of ten
// the shortcut multiplies exactly: t * 10^e with 5^e * t odd and 65 bits long.
TEST(ZahlTextAbkuerzung, ReadingRoundsExactHalvesToEvenLikeTheLibrary) {
  std::mt19937_64 zufall(7);
  Abweichungen a;
  for (int e = 1; e <= 27; ++e) {
    const unsigned __int128 fuenf = [e] {
      unsigned __int128 p = 1;
      for (int i = 0; i < e; ++i) p *= 5;
      return p;
    }();
    const unsigned __int128 unten = ((static_cast<unsigned __int128>(1) << 64) + fuenf - 1) / fuenf;
    const unsigned __int128 oben = (static_cast<unsigned __int128>(1) << 65) / fuenf;
    for (int i = 0; i < 40; ++i) {
      const uint64_t t = static_cast<uint64_t>(unten + zufall() % static_cast<uint64_t>(oben - unten)) | 1;
      if (t * fuenf >= (static_cast<unsigned __int128>(1) << 65)) continue;
      const std::string text = std::to_string(t) + "E" + std::to_string(e);
      LesenVergleichen(a, text);
      // Appended rather than "-" + text: g++ 12 warns (-Wrestrict) about a copy inside that
      // operator+ when optimising.
      std::string negativ(1, '-');
      negativ += text;
      LesenVergleichen(a, negativ);
    }
  }
  // 2 * (2^64 + 9) = 2^65 + 18 lies halfway between 2^65 + 16 and 2^65 + 20.
  EXPECT_EQ(TextZuZahl("3689348814741910325E1"), 36893488147419103248.0L);
  EXPECT_EQ(a.Anzahl(), 0);
}

// Under a directed rounding mode the library rounds by that mode; so must the routines.
TEST(ZahlTextAbkuerzung, OtherRoundingModesLeaveItToTheLibrary) {
  const long double drittel = 1.0L / 3;
  for (const int modus : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(modus), 0);
    const std::string kurz = FloatText(drittel);
    const std::string kurzReferenz = intern::FloatTextReferenz(drittel);
    long double v = 0, referenz = 0;
    TextZuZahlStreng("0,1", v);
    intern::TextZuZahlStrengReferenz("0,1", referenz);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(kurz, kurzReferenz) << modus;
    EXPECT_EQ(v, referenz) << modus;
  }
  EXPECT_NE(FloatText(drittel), FloatText(std::nextafter(drittel, 1.0L)) + "x");
}

// Number texts must not follow the process locale: a German LC_NUMERIC would turn a
// locale-bound converter's point into a comma and back.
// A machine without a generated German locale still has its source (package "locales"):
// compile it into a private folder and point the C library there.
std::string erzeugteLocale;

const char* DeutscheLocaleErzeugen() {
  char vorlage[] = "/tmp/kolvex_locale_XXXXXX";
  if (!mkdtemp(vorlage)) return nullptr;
  const std::string ordner = erzeugteLocale = vorlage;
  const std::string befehl = "localedef -i de_DE -f UTF-8 " + ordner +
                             "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(befehl.c_str()) != 0) return nullptr;
  setenv("LOCPATH", ordner.c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8");
}

TEST(ZahlTextLocale, UnchangedUnderAGermanLocale) {
  const char* alt = std::setlocale(LC_ALL, nullptr);
  const std::string gesichert = alt ? alt : "C";
  const char* gesetzt = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_DE@euro"}) {
    gesetzt = std::setlocale(LC_ALL, name);
    if (gesetzt) break;
  }
  if (!gesetzt) gesetzt = DeutscheLocaleErzeugen();
  if (!gesetzt) GTEST_SKIP() << "no German locale installed and none could be generated";
  const bool komma = std::localeconv()->decimal_point[0] == ',';

  const bool altTrenn = TrennPunkt;
  TrennPunkt = false;
  EXPECT_EQ(FloatText(2.5L), "2,5");
  EXPECT_EQ(FloatText(-1.5e-5L), "-1,5E-5");
  EXPECT_EQ(ZahlZuText(2, 1234.567L), "1234,57");
  EXPECT_EQ(ZahlZuText(0, 1e20L), "1" + Nullen(20));
  EXPECT_EQ(TextZuZahl("1,5"), 1.5L);
  EXPECT_EQ(TextZuZahl("1.5"), 1.5L);
  EXPECT_EQ(TextZuZahl("-2,25E2"), -225.0L);
  EXPECT_TRUE(IstZahl("1.5"));
  EXPECT_FALSE(IstZahl("1.234.567"));
  EXPECT_EQ(TextZuGanzzahl("2,5"), 2);
  TrennPunkt = altTrenn;

  std::setlocale(LC_ALL, gesichert.c_str());
  if (!erzeugteLocale.empty()) std::filesystem::remove_all(erzeugteLocale);
  EXPECT_TRUE(komma) << "the German locale did not switch the decimal point";
}

}  // namespace
}  // namespace kolvex
