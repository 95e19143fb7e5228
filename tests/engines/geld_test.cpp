// Money text: reading field texts and the fixed-point money format.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/geld.h"
#include "engines/finance/finanz_text.h"

namespace {

using kolvex::GeldTextZuZahl;
using kolvex::ZahlZuGeldText;

TEST(GeldTextZuZahl, ReadsShownMoneyAndIgnoresDecoration) {
  EXPECT_DOUBLE_EQ(GeldTextZuZahl("26.315,30 €"), 26315.3);
  EXPECT_DOUBLE_EQ(GeldTextZuZahl("-1.234,5"), -1234.5);
  EXPECT_DOUBLE_EQ(GeldTextZuZahl("12,5 %"), 12.5);
  EXPECT_DOUBLE_EQ(GeldTextZuZahl("  7 Jahre"), 7);
  // Only the first comma is the decimal point; later ones are dropped.
  EXPECT_DOUBLE_EQ(GeldTextZuZahl("1,2,3"), 1.23);
  // An exponent letter is decoration too.
  EXPECT_DOUBLE_EQ(GeldTextZuZahl("1E5"), 15);
}

TEST(GeldTextZuZahl, NotANumberReadsZero) {
  for (const char* t : {"", "abc", "1-2", "-", "--5", "€", " Schulden", ",", "1-"})
    EXPECT_EQ(GeldTextZuZahl(t), 0.0) << t;
  // The sentinel of a text that is not a number also reads 0.
  EXPECT_EQ(GeldTextZuZahl("-123.456.789,123456789"), 0.0);
}

TEST(ZahlZuGeldText, GroupsAndAlwaysShowsTwoDecimals) {
  EXPECT_EQ(ZahlZuGeldText(26315.3L), "26.315,30");
  EXPECT_EQ(ZahlZuGeldText(0), "0,00");
  EXPECT_EQ(ZahlZuGeldText(999.999L), "1.000,00");
  EXPECT_EQ(ZahlZuGeldText(999999.995L), "1.000.000,00");
  EXPECT_EQ(ZahlZuGeldText(123L), "123,00");
  EXPECT_EQ(ZahlZuGeldText(1234L), "1.234,00");
  EXPECT_EQ(ZahlZuGeldText(123456789012.5L), "123.456.789.012,50");
  EXPECT_EQ(ZahlZuGeldText(0.004L), "0,00");
  EXPECT_EQ(ZahlZuGeldText(1234567.0L, 0), "1.234.567");
  EXPECT_EQ(ZahlZuGeldText(7.5L, 0), "8");
  EXPECT_EQ(ZahlZuGeldText(0.000123L, 5), "0,00012");
}

TEST(ZahlZuGeldText, DecimalTiesGoAwayFromZeroUnlikeZahlZuText) {
  // Exact binary halves: ZahlZuText gives 0,12 and 0,38 (to even); money text rounds up.
  EXPECT_EQ(ZahlZuGeldText(0.125L), "0,13");
  EXPECT_EQ(ZahlZuGeldText(0.375L), "0,38");
  EXPECT_EQ(ZahlZuGeldText(2.5L, 0), "3");
  EXPECT_EQ(ZahlZuGeldText(-0.125L), "-0,13");
  // The 18 significant digits come first: the double nearest 1,005 lies below the tie and
  // its 18 digits show it; the extended nearest 1,005 rounds to the tie at 18 digits.
  EXPECT_EQ(ZahlZuGeldText(static_cast<long double>(1.005)), "1,00");
  EXPECT_EQ(ZahlZuGeldText(1.005L), "1,01");
  EXPECT_EQ(ZahlZuGeldText(static_cast<long double>(0.285)), "0,28");
}

TEST(ZahlZuGeldText, Negatives) {
  EXPECT_EQ(ZahlZuGeldText(-1234.567L), "-1.234,57");
  EXPECT_EQ(ZahlZuGeldText(-123456.0L), "-123.456,00");
  // A value that rounds to zero carries no sign.
  EXPECT_EQ(ZahlZuGeldText(-0.004L), "0,00");
  EXPECT_EQ(ZahlZuGeldText(-0.0L), "0,00");
  EXPECT_EQ(ZahlZuGeldText(-0.005L), "-0,01");
}

TEST(ZahlZuGeldText, ExtremeValues) {
  EXPECT_EQ(ZahlZuGeldText(1e20L), "100.000.000.000.000.000.000,00");
  EXPECT_EQ(ZahlZuGeldText(std::numeric_limits<long double>::infinity()), "INF");
  EXPECT_EQ(ZahlZuGeldText(-std::numeric_limits<long double>::infinity()), "-INF");
  EXPECT_EQ(ZahlZuGeldText(std::nanl("")), "NAN");
  EXPECT_EQ(ZahlZuGeldText(1e-30L), "0,00");
}

TEST(ZahlZuGeldText, RoundTripsThroughGeldTextZuZahl) {
  for (double v : {0.01, 12345.67, -98765.43, 1e9 + 0.99, 3.5})
    EXPECT_DOUBLE_EQ(GeldTextZuZahl(ZahlZuGeldText(v) + " €"), v) << v;
}

TEST(FeldText, DotsAreThousandsSeparators) {
  EXPECT_EQ(finanz::FeldTextZuZahl("3.5"), 35);
  EXPECT_EQ(finanz::FeldTextZuZahl("10.000,00"), 10000);
  EXPECT_EQ(finanz::FeldTextZuZahl("3,5"), 3.5L);
  EXPECT_EQ(finanz::FeldTextZuZahl("abc"), 0);
  EXPECT_EQ(finanz::FeldTextZuZahl("10.000,00 €"), 0);  // no decoration allowed here
  EXPECT_EQ(finanz::FeldTextZuGanzzahl("2,5"), 2);
  EXPECT_EQ(finanz::FeldTextZuGanzzahl("3,5"), 4);
  EXPECT_EQ(finanz::FeldTextZuGanzzahl("1.000"), 1000);
  EXPECT_EQ(finanz::FeldTextZuGanzzahl("9.999.999.999"), 2147483647);
}

TEST(FeldText, YearsAndMonthsSplit) {
  auto a = finanz::JahreAufteilen(7, "Jahre");
  EXPECT_EQ(a.jahre, 7);
  EXPECT_EQ(a.Monate(7), 12);
  a = finanz::JahreAufteilen(24, "Monate");
  EXPECT_EQ(a.jahre, 3);
  EXPECT_EQ(a.Monate(3), 0);
  a = finanz::JahreAufteilen(14, "Monate");
  EXPECT_EQ(a.jahre, 2);
  EXPECT_EQ(a.Monate(1), 12);
  EXPECT_EQ(a.Monate(2), 2);
  a = finanz::JahreAufteilen(5, "");
  EXPECT_EQ(a.jahre, 1);
  EXPECT_EQ(a.Monate(1), 5);
  EXPECT_EQ(finanz::JahreAufteilen(-3, "Jahre").jahre, 0);
}

}  // namespace
