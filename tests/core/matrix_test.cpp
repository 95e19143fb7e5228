#include "core/matrix.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>
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

namespace kolvex {
namespace {

// ---- The fit's solve against the classic routine ------------------------------------------

// The inversion the solve tries first, with its flag for a lost pivot: the yardstick for
// every system it solved without losing the pivot (its search maximum could hold every
// candidate, and each reciprocal was a normal double). Its own rules are pinned above.
struct Klassisch {
  bool ok = true;
  bool pivotVerloren = false;
};

Klassisch KlassischInvertieren(int n, Matrix31& a) {
  Klassisch k;
  k.ok = MatrixInvertieren(n, a, &k.pivotVerloren);
  return k;
}

// The normal equations of the powers x^0 .. x^(k-1) over the points, in extended sums, and
// a right-hand side of y = the points' own polynomial plus noise.
struct System {
  int n = 0;
  Matrix31 a{};
  std::array<long double, MatrixGroesse> b{};
};

System Normalgleichungen(const std::vector<long double>& x, const std::vector<long double>& y, int k) {
  System s;
  s.n = k;
  for (size_t i = 0; i < x.size(); ++i) {
    long double f[MatrixGroesse];
    f[0] = 1;
    for (int j = 1; j < k; ++j) f[j] = f[j - 1] * x[i];
    for (int r = 0; r < k; ++r) {
      for (int c = 0; c < k; ++c) s.a[r][c] += f[r] * f[c];
      s.b[r] += f[r] * y[i];
    }
  }
  return s;
}

bool GleicheBits(long double p, long double q) { return std::memcmp(&p, &q, 10) == 0; }

TEST(NormalgleichungenLoesen, SameBitsAsTheClassicRoutineWhereItKeptItsPivot) {
  std::mt19937_64 zufall(20240611);
  auto gleich = [&](double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(zufall() >> 11) * 0x1p-53;
  };
  int verglichen = 0, verloren = 0, fehlgeschlagen = 0, gerettet = 0;
  for (int versuch = 0; versuch < 6000; ++versuch) {
    System s, vergleich;
    long double skala = 0;  // with a comparison: the mitte of the data
    if (versuch % 3 == 0) {
      // Any matrix, its rows and columns scaled by powers of two across the extended range.
      s.n = 1 + static_cast<int>(zufall() % 10);
      std::array<int, MatrixGroesse> e{};
      for (int j = 0; j < s.n; ++j) e[j] = static_cast<int>(gleich(-600, 600));
      for (int r = 0; r < s.n; ++r) {
        for (int c = 0; c < s.n; ++c) s.a[r][c] = std::ldexp(static_cast<long double>(gleich(-1, 1)), e[r] + e[c]);
        s.b[r] = std::ldexp(static_cast<long double>(gleich(-1, 1)), e[r]);
      }
    } else {
      // Data of a fit, from tiny to huge: the magnitude of x up to 10^±300.
      const int punkte = static_cast<int>(zufall() % 40);
      const long double mitte = std::pow(10.0L, static_cast<long double>(gleich(-300, 300)));
      const double breite = versuch % 2 ? gleich(0.01, 1) : gleich(1e-6, 1e-3);
      std::vector<long double> x, y;
      for (int i = 0; i < punkte; ++i) {
        x.push_back(mitte * (1 + breite * gleich(-1, 1)));
        y.push_back(x.back() * gleich(-3, 3) + mitte * gleich(-1, 1));
      }
      s = Normalgleichungen(x, y, 1 + static_cast<int>(zufall() % 6));
      if (breite >= 0.1 && s.n <= 3 && punkte >= 2 * s.n) {
        // Solved in t = x / mitte as well, where nothing comes near the ends of the range:
        // y / mitte = sum of c_j t^j with c_j = a_j mitte^j / mitte.
        std::vector<long double> t, u;
        for (int i = 0; i < punkte; ++i) {
          t.push_back(x[static_cast<size_t>(i)] / mitte);
          u.push_back(y[static_cast<size_t>(i)] / mitte);
        }
        vergleich = Normalgleichungen(t, u, s.n);
        ASSERT_EQ(NormalgleichungenLoesen(vergleich.n, vergleich.a, vergleich.b.data()), LoesungsFehler::Keiner);
        skala = mitte;
      }
    }
    Matrix31 alt = s.a;
    std::array<long double, MatrixGroesse> soll = s.b;
    const Klassisch k = KlassischInvertieren(s.n, alt);
    const bool altOk = k.ok && MatrixMalVektor(s.n, alt, soll.data());
    const LoesungsFehler f = NormalgleichungenLoesen(s.n, s.a, s.b.data());
    if (skala != 0) {
      ASSERT_EQ(f, LoesungsFehler::Keiner) << versuch;
      long double groesste = 1;
      for (int j = 0; j < s.n; ++j) groesste = std::max(groesste, std::fabs(vergleich.b[j]));
      for (int j = 0; j < s.n; ++j)
        EXPECT_NEAR(static_cast<double>(s.b[j] * std::pow(skala, j - 1) / groesste),
                    static_cast<double>(vergleich.b[j] / groesste), 1e-9)
            << versuch << " a" << j + 1 << ", data near " << static_cast<double>(skala);
    }
    if (!altOk || k.pivotVerloren) {
      ++(altOk ? verloren : fehlgeschlagen);
      if (skala != 0) ++gerettet;
      continue;
    }
    ++verglichen;
    ASSERT_EQ(f, LoesungsFehler::Keiner) << versuch;
    for (int j = 0; j < s.n; ++j)
      ASSERT_TRUE(GleicheBits(s.b[j], soll[j])) << versuch << " x" << j << ": "
                                                 << static_cast<double>(s.b[j]) << " instead of "
                                                 << static_cast<double>(soll[j]);
  }
  // Each kind came up often enough to count, and the data that the classic routine lost or
  // failed was solved right.
  EXPECT_GT(verglichen, 2000);
  EXPECT_GT(verloren, 250);
  EXPECT_GT(fehlgeschlagen, 1000);
  EXPECT_GT(gerettet, 300);
}

TEST(NormalgleichungenLoesen, SumsBeyondTheDoubleRangeAreSolvedOnTheScaledSystem) {
  // y = 3 + 2x on x near 10^200, 10^300, 10^-200 (ten points from x0 to 1,9·x0): the sums of
  // x^2 lie beyond the double range, where the classic routine loses its pivot (a reciprocal
  // underflowing to 0 gave a slope of 0) or overflows.
  for (long double x0 : {1e200L, 1e300L, 1e-200L, 1e-300L}) {
    std::vector<long double> x, y;
    for (int i = 0; i < 10; ++i) {
      x.push_back(x0 * (1 + i / 10.0L));
      y.push_back(3 * x0 + 2 * x.back());
    }
    System s = Normalgleichungen(x, y, 2);
    Matrix31 alt = s.a;
    const Klassisch k = KlassischInvertieren(2, alt);
    EXPECT_TRUE(!k.ok || k.pivotVerloren) << static_cast<double>(x0);
    ASSERT_EQ(NormalgleichungenLoesen(2, s.a, s.b.data()), LoesungsFehler::Keiner) << static_cast<double>(x0);
    EXPECT_NEAR(static_cast<double>(s.b[0] / (3 * x0)), 1, 1e-9) << static_cast<double>(x0);
    EXPECT_NEAR(static_cast<double>(s.b[1]), 2, 1e-9) << static_cast<double>(x0);
  }

  // A system scaled far apart, D·M·D with M well conditioned: solved to the digits of M.
  Matrix31 m = Aus({{4, 1, 0}, {1, 3, 1}, {0, 1, 2}});
  const int e[3] = {-700, 5, 900};
  const long double loesung[3] = {1, -2, 0.5L};
  Matrix31 a{};
  std::array<long double, 3> b{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) a[r][c] = std::ldexp(m[r][c], e[r] + e[c]);
    for (int c = 0; c < 3; ++c) b[r] += std::ldexp(m[r][c] * loesung[c], e[r]);
  }
  ASSERT_EQ(NormalgleichungenLoesen(3, a, b.data()), LoesungsFehler::Keiner);
  for (int j = 0; j < 3; ++j) EXPECT_NEAR(static_cast<double>(std::ldexp(b[j], e[j])), static_cast<double>(loesung[j]), 1e-15) << j;
}

TEST(NormalgleichungenLoesen, WhatTheScalingCannotMendIsReported) {
  // A diagonal of 1 needs no scaling; the pivot 1e308 has a subnormal reciprocal.
  Matrix31 a = Aus({{1, 1e308L}, {1e308L, 1}});
  bool verloren = false;
  Matrix31 kopie = a;
  EXPECT_TRUE(MatrixInvertieren(2, kopie, &verloren));
  EXPECT_TRUE(verloren);
  std::array<long double, 2> b{1, 2};
  EXPECT_EQ(NormalgleichungenLoesen(2, a, b.data()), LoesungsFehler::Zahlenbereich);
  EXPECT_EQ(b, (std::array<long double, 2>{1, 2}));  // left as it was

  // A huge element beside a small diagonal: the swap temporary overflows either way.
  a = Aus({{2, 1e400L}, {1e400L, 1}});
  EXPECT_EQ(NormalgleichungenLoesen(2, a, b.data()), LoesungsFehler::Ueberlauf);
  EXPECT_EQ(b, (std::array<long double, 2>{1, 2}));

  // A system that keeps its pivot does not say so.
  a = Aus({{2, 1}, {1, 2}});
  verloren = false;
  EXPECT_TRUE(MatrixInvertieren(2, a, &verloren));
  EXPECT_FALSE(verloren);
}

}  // namespace
}  // namespace kolvex
