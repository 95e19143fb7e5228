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
#include <array>

namespace kolvex {

inline constexpr int MatrixGroesse = 31;
using Matrix31 = std::array<std::array<long double, MatrixGroesse>, MatrixGroesse>;

// Replaces the n x n block by its inverse. n = 0 changes nothing; n outside 0..31 is
// refused (false, nothing changed).
bool MatrixInvertieren(int n, Matrix31& a);

// v[0..n-1] becomes the product of the n x n block and v, summed in extended precision
// through a temporary (v is read unchanged throughout and left as it was on failure).
bool MatrixMalVektor(int n, const Matrix31& a, long double* v);

}  // namespace kolvex
