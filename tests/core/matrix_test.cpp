#include "core/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

namespace kolvex {
namespace {

// 1 + 2^-60: exact in the extended type, rounds to 1 in a double.
const long double kFein = 1.0L + std::ldexp(1.0L, -60);

Matrix31 Aus(std::initializer_list<std::initializer_list<long double>> zeilen) {
  Matrix31 a{};
  int r = 0;
  for (const auto& zeile : zeilen) {
    int c = 0;
    for (long double v : zeile) a[r][c++] = v;
    ++r;
  }
  return a;
}

void ErwarteBlock(const Matrix31& a, std::initializer_list<std::initializer_list<long double>> soll) {
  int r = 0;
  for (const auto& zeile : soll) {
    int c = 0;
    for (long double v : zeile) {
      EXPECT_EQ(a[r][c], v) << "element (" << r << ", " << c << ")";
      ++c;
    }
    ++r;
  }
}

TEST(MatrixInvertieren, RegularMatrices) {
  Matrix31 a = Aus({{2, 0}, {0, 4}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{0.5L, 0}, {0, 0.25L}});

  // Needs a row exchange and the unscrambling of columns.
  a = Aus({{0, 1}, {1, 0}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{0, 1}, {1, 0}});

  // A full 3 x 3 one against its known inverse.
  a = Aus({{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}});
  ASSERT_TRUE(MatrixInvertieren(3, a));
  const long double soll[3][3] = {{0.75L, 0.5L, 0.25L}, {0.5L, 1, 0.5L}, {0.25L, 0.5L, 0.75L}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(static_cast<double>(a[r][c]), static_cast<double>(soll[r][c]), 1e-15);
}

TEST(MatrixInvertieren, OnlyTheBlockIsTouched) {
  Matrix31 a{};
  for (auto& zeile : a) zeile.fill(7);
  a[0][0] = 2;
  ASSERT_TRUE(MatrixInvertieren(1, a));
  EXPECT_EQ(a[0][0], 0.5L);
  EXPECT_EQ(a[0][1], 7);
  EXPECT_EQ(a[1][0], 7);
  EXPECT_EQ(a[30][30], 7);

  const Matrix31 vorher = a;
  ASSERT_TRUE(MatrixInvertieren(0, a));  // n = 0: nothing happens
  EXPECT_EQ(a, vorher);
  EXPECT_FALSE(MatrixInvertieren(-1, a));
  EXPECT_FALSE(MatrixInvertieren(32, a));
  EXPECT_EQ(a, vorher);
}

TEST(MatrixInvertieren, SingularMatricesFollowThePivotRules) {
  // A zero matrix: every step takes the last zero it meets; the zero pivots keep the
  // reciprocal 1 of the start, so the diagonal becomes 1.
  Matrix31 a = Aus({{0, 0}, {0, 0}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{1, 0}, {0, 1}});

  // Four equal magnitudes: the last one (bottom right) is the first pivot. Taking the first
  // one would give {{2, -1}, {-1, 1}}.
  a = Aus({{1, 1}, {1, 1}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{1, -1}, {-1, 2}});

  // The zero pivot of the second step keeps the first step's reciprocal 1/4 (starting over
  // at 1 would give {{1, -1}, {-1, 1.25}}).
  a = Aus({{4, 4}, {4, 4}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{0.25L, -0.25L}, {-0.25L, 0.5L}});

  // Two identical rows of three.
  a = Aus({{1, 2, 3}, {1, 2, 3}, {0, 0, 1}});
  ASSERT_TRUE(MatrixInvertieren(3, a));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(std::isfinite(a[r][c]));
}

TEST(MatrixInvertieren, SearchMaximumAndFactorAreDoubles) {
  // The running maximum is a double: kFein is kept as 1, so the later 1 still wins
  // (">="). Kept as an extended value, kFein would stay the pivot and the result would be
  // {{-1, 1}, {1, 0}}.
  Matrix31 a = Aus({{0, 0}, {kFein, 1}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{1, 0}, {-1, 1}});

  // The elimination factor is a double: kFein enters as 1, so the result holds -1, not
  // the exact -kFein.
  a = Aus({{1, 0}, {kFein, 1}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{1, 0}, {-1, 1}});
}

TEST(MatrixInvertieren, SwappedRowsAreRoundedToDouble) {
  // The pivot row moves through a double temporary: 8 + 2^-50 arrives as 8 (a tie, to
  // even), so the inverse is exactly that of {{0, 1}, {8, 1}}. Swapped exactly, the
  // results would be -0.12499999999999998612 and its negative.
  Matrix31 a = Aus({{0, 1}, {8.0L + std::ldexp(1.0L, -50), 1}});
  ASSERT_TRUE(MatrixInvertieren(2, a));
  ErwarteBlock(a, {{-0.125L, 0.125L}, {1, 0}});
}

TEST(MatrixInvertieren, ValuesBeyondTheDoubleRange) {
  // A magnitude beyond the double range becomes the candidate without raising the
  // maximum; its reciprocal underflows to 0. Had it not become the candidate, the start
  // value (row 1, column 1) outside the block would have been the pivot.
  Matrix31 a = Aus({{1e400L}});
  ASSERT_TRUE(MatrixInvertieren(1, a));
  EXPECT_EQ(a[0][0], 0);

  // Because the maximum stayed 0, the 2 after it wins and the huge row has to pass the
  // double swap temporary: that is where the original stopped.
  a = Aus({{1e400L, 2}, {0, 0}});
  EXPECT_FALSE(MatrixInvertieren(2, a));

  // A reciprocal that does not fit a double.
  a = Aus({{1e-400L}});
  EXPECT_FALSE(MatrixInvertieren(1, a));

  // Overflow in the elimination.
  a = Aus({{1e-300L, 1}, {1, 1e300L}});
  EXPECT_FALSE(MatrixInvertieren(2, a));

  // NaN everywhere: the search finds nothing and falls back to the start values; the
  // result is not finite, which is a failure, and nothing outside the storage is touched.
  a = Aus({{std::numeric_limits<long double>::quiet_NaN()}});
  EXPECT_FALSE(MatrixInvertieren(1, a));
}

TEST(MatrixMalVektor, ProductThroughATemporaryInExtendedPrecision) {
  Matrix31 a = Aus({{1, 2}, {3, 4}});
  std::vector<long double> v{1, 1};
  ASSERT_TRUE(MatrixMalVektor(2, a, v.data()));
  EXPECT_EQ(v[0], 3);
  EXPECT_EQ(v[1], 7);  // 13 if the first result were used already

  // 2^60 + 1 - 2^60 is 1 in the extended type and 0 in doubles.
  const long double gross = std::ldexp(1.0L, 60);
  a = Aus({{gross, 1, -gross}, {0, 1, 0}, {0, 0, 1}});
  std::vector<long double> w{1, 1, 1, 9};
  ASSERT_TRUE(MatrixMalVektor(3, a, w.data()));
  EXPECT_EQ(w[0], 1);
  EXPECT_EQ(w[1], 1);
  EXPECT_EQ(w[3], 9);  // beyond n: unchanged

  std::vector<long double> leer{5};
  ASSERT_TRUE(MatrixMalVektor(0, a, leer.data()));
  EXPECT_EQ(leer[0], 5);
}

TEST(MatrixMalVektor, NonFiniteProductFailsAndKeepsTheVector) {
  Matrix31 a = Aus({{1, 0}, {1e4000L, 1e4000L}});
  std::vector<long double> v{2, 1e4000L};
  EXPECT_FALSE(MatrixMalVektor(2, a, v.data()));
  EXPECT_EQ(v[0], 2);
  EXPECT_EQ(v[1], 1e4000L);
}

}  // namespace
}  // namespace kolvex
