#include "core/matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolvex {

namespace {

// Stores v in a double as the original's double variables did. A finite value beyond the
// double range raised an overflow there; here it answers false. Infinities and NaNs pass
// as they are (storing them raised nothing); the checks after scaling and elimination
// catch what they do to the matrix.
bool InDouble(long double v, double& d) {
  d = static_cast<double>(v);
  return std::isfinite(d) || !std::isfinite(v);
}

// Swaps two elements through a double temporary: the first one arrives rounded.
bool Tauschen(long double& erster, long double& zweiter) {
  double temp = 0;
  if (!InDouble(erster, temp)) return false;
  erster = zweiter;
  zweiter = temp;
  return true;
}

// Whether a reciprocal held in a double kept its digits: a normal double (0 and subnormals
// have lost them; an overflow has failed already).
bool Normal(double d) { return std::fabs(d) >= std::numeric_limits<double>::min(); }

}  // namespace

bool MatrixInvertieren(int n, Matrix31& a, bool* pivotVerloren) {
  if (n < 0 || n > MatrixGroesse) return false;
  // Sized for the storage, not for n: with nothing but NaNs in the block the search finds
  // no candidate and the start values 1 / 1 are used, which lie outside a 1 x 1 block.
  std::array<int, MatrixGroesse> ipiv{}, indxr{}, indxc{};
  double pivinv = 1.0;
  int irow = 1, icol = 1;

  for (int i = 0; i < n; ++i) {
    double big = 0.0;
    for (int j = 0; j < n; ++j) {
      if (ipiv[j] == 1) continue;
      for (int k = 0; k < n; ++k) {
        if (ipiv[k] != 0) continue;
        const long double betrag = std::fabs(a[j][k]);
        if (betrag >= big) {
          double d = 0;
          if (InDouble(betrag, d))
            big = d;
          else if (pivotVerloren)  // beyond the double range: big stays
            *pivotVerloren = true;
          irow = j;
          icol = k;
        }
      }
    }
    ++ipiv[icol];
    if (irow != icol) {
      for (int l = 0; l < n; ++l)
        if (!Tauschen(a[irow][l], a[icol][l])) return false;
    }
    indxr[i] = irow;
    indxc[i] = icol;
    if (a[icol][icol] != 0) {
      if (!InDouble(1.0L / a[icol][icol], pivinv)) return false;
      if (pivotVerloren && !Normal(pivinv)) *pivotVerloren = true;
    }
    a[icol][icol] = 1;
    for (int l = 0; l < n; ++l) {
      a[icol][l] *= pivinv;
      if (!std::isfinite(a[icol][l])) return false;
    }
    for (int ll = 0; ll < n; ++ll) {
      if (ll == icol) continue;
      double dum = 0;
      if (!InDouble(a[ll][icol], dum)) return false;
      a[ll][icol] = 0;
      for (int l = 0; l < n; ++l) {
        a[ll][l] -= a[icol][l] * dum;
        if (!std::isfinite(a[ll][l])) return false;
      }
    }
  }

  for (int l = n - 1; l >= 0; --l) {
    if (indxr[l] == indxc[l]) continue;
    for (int k = 0; k < n; ++k)
      if (!Tauschen(a[k][indxr[l]], a[k][indxc[l]])) return false;
  }
  return true;
}

bool MatrixMalVektor(int n, const Matrix31& a, long double* v) {
  if (n < 0 || n > MatrixGroesse) return false;
  std::array<long double, MatrixGroesse> t{};
  for (int i = 0; i < n; ++i) {
    long double summe = 0;
    for (int j = 0; j < n; ++j) summe += a[i][j] * v[j];
    if (!std::isfinite(summe)) return false;
    t[i] = summe;
  }
  for (int i = 0; i < n; ++i) v[i] = t[i];
  return true;
}

LoesungsFehler NormalgleichungenLoesen(int n, Matrix31& a, long double* b) {
  if (n < 0 || n > MatrixGroesse) return LoesungsFehler::Ueberlauf;
  const Matrix31 vorher = a;
  std::array<long double, MatrixGroesse> x{};
  std::copy(b, b + n, x.begin());
  bool verloren = false;
  if (MatrixInvertieren(n, a, &verloren) && !verloren && MatrixMalVektor(n, a, x.data())) {
    std::copy(x.begin(), x.begin() + n, b);
    return LoesungsFehler::Keiner;
  }

  // Scaled by 2^e_r in row r and 2^e_c in column c: the diagonal comes to [1, 4), and for a
  // matrix of sums of products every other element to at most 4 in magnitude.
  std::array<int, MatrixGroesse> e{};
  for (int j = 0; j < n; ++j) {
    const long double d = vorher[j][j];
    if (d != 0 && std::isfinite(d)) e[j] = -static_cast<int>(std::floor(std::ilogb(d) / 2.0));
  }
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) a[r][c] = std::ldexp(vorher[r][c], e[r] + e[c]);
    x[r] = std::ldexp(b[r], e[r]);
  }
  verloren = false;
  if (!MatrixInvertieren(n, a, &verloren) || !MatrixMalVektor(n, a, x.data()))
    return LoesungsFehler::Ueberlauf;
  if (verloren) return LoesungsFehler::Zahlenbereich;
  for (int j = 0; j < n; ++j) b[j] = std::ldexp(x[j], e[j]);
  return LoesungsFehler::Keiner;
}

}  // namespace kolvex
