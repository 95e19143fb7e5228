#include "core/zahltext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
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

// Number texts must not follow the process locale: a German LC_NUMERIC would turn a
// locale-bound converter's point into a comma and back.
TEST(ZahlTextLocale, UnchangedUnderAGermanLocale) {
  const char* alt = std::setlocale(LC_ALL, nullptr);
  const std::string gesichert = alt ? alt : "C";
  const char* gesetzt = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_DE@euro"}) {
    gesetzt = std::setlocale(LC_ALL, name);
    if (gesetzt) break;
  }
  if (!gesetzt) GTEST_SKIP() << "no German locale installed";
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
  EXPECT_TRUE(komma) << "the German locale did not switch the decimal point";
}

}  // namespace
}  // namespace kolvex
