#pragma once
// The solver behind the least-squares fit: in-place inversion by Gauss-Jordan elimination
// with full pivoting, and matrix times vector. Both work on the top-left n x n block of a
// fixed 31 x 31 storage of extended values, row-major (a[row][column]).
//
// The inversion reproduces the classic routine to the bit, including how it treats a
// singular matrix: there is no singularity test. The pivot search takes the last of equal
// magnitudes in row-major order (">="), so a zero is taken when nothing is larger; a zero
// pivot keeps the reciprocal of the step before (1 at the first step). The running maximum,
// the reciprocal, the elimination factor and the swap temporary are doubles, so values that
// pass through them are rounded to double.
//
// Where the original stopped with a floating-point error, these return false and leave the
// matrix (or the vector) partly transformed: a reciprocal or a value that does not fit a
// double, a non-finite element after scaling or elimination, a non-finite product.
//
// The sums of a fit can lie far outside the double range (x near 1e200 gives sums of x^2
// near 1e400) while the solution does not; there the doubles lose the pivot: the search's
// maximum cannot hold a candidate, or the pivot's reciprocal underflows (to 0 or to a
// subnormal double with fewer digits), and the "inverse" is wrong without any failure.
// NormalgleichungenLoesen tells that apart and solves such systems on an exactly scaled copy.
#include <array>

namespace kolvex {

inline constexpr int MatrixGroesse = 31;
using Matrix31 = std::array<std::array<long double, MatrixGroesse>, MatrixGroesse>;

// Replaces the n x n block by its inverse. n = 0 changes nothing; n outside 0..31 is
// refused (false, nothing changed). When pivotVerloren is given, it is set where the pivot
// was lost to the doubles (a candidate beyond the double range, or a reciprocal that is not
// a normal double), and left alone otherwise; the arithmetic is the same either way.
bool MatrixInvertieren(int n, Matrix31& a, bool* pivotVerloren = nullptr);

// v[0..n-1] becomes the product of the n x n block and v, summed in extended precision
// through a temporary (v is read unchanged throughout and left as it was on failure).
bool MatrixMalVektor(int n, const Matrix31& a, long double* v);

enum class LoesungsFehler {
  Keiner,
  Ueberlauf,     // the inversion or the product stopped with an overflow
  Zahlenbereich  // the pivot was lost to the doubles even on the scaled system
};

// Solves a·x = b for a symmetric system with a diagonal of sums of squares (the normal
// equations of a fit): b[0..n-1] becomes x, a is used up. First exactly as MatrixInvertieren
// and MatrixMalVektor, so that every system solved there without losing the pivot gets the
// same bits. Where that failed or lost the pivot, once more on the system scaled by powers
// of two (exact) so that each diagonal element lies in [1, 4): a[r][c]·2^(e_r + e_c),
// b[r]·2^e_r, and x_j = x'_j·2^e_j. A zero or non-finite diagonal element keeps e = 0.
// b is left as it was when the answer is not Keiner.
LoesungsFehler NormalgleichungenLoesen(int n, Matrix31& a, long double* b);

}  // namespace kolvex
