// formula/special_functions.h — the numerics behind the mathematical and statistical @-functions.
//
// Plain functions on doubles, free of the value stack, so they can be tested on their own. A
// function that can fail gives false (or NaN where noted) and leaves its output untouched; the
// routines in functions_math.cpp turn that into ERR.
// State: none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// --- helpers -----------------------------------------------------------------------------------

// `value` rounded half away from zero, as an integer in lo..hi; false when it lies outside (or is
// not a number). Every double-to-integer conversion of an argument goes through here.
bool RoundedInteger(double value, int64_t lo, int64_t hi, int64_t* out);

// --- rounding ----------------------------------------------------------------------------------

// @ROUND: x to n decimals (n < 0: to multiples of 10^-n), halves away from zero. Numbers too
// large to have digits at that position come back unchanged.
double RoundDecimals(double x, int64_t n);
// @CEIL and @FLOOR: the magnitude of x rounded up or down to n decimals, the sign put back.
double CeilDecimals(double x, int64_t n);
double FloorDecimals(double x, int64_t n);

// --- factorials ----------------------------------------------------------------------------------

// n! for n = 0..170 as a product of doubles; false for any other n.
bool Factorial(int64_t n, double* out);
// n!/(n-k)! and n!/((n-k)! k!) for 0 <= k <= n, by products that stop at overflow; false when
// k is out of range or the result overflows.
bool Permutations(double n, double k, double* out);
bool Combinations(double n, double k, double* out);

// --- special functions
// ----------------------------------------------------------------------------

// ln Gamma(x) by the Lanczos series; false for x <= 0.
bool GammaLn(double x, double* out);
// The Euler beta function exp(lnG(z) + lnG(w) - lnG(z + w)); false for z or w <= 0.
bool Beta(double z, double w, double* out);
// The regularized incomplete beta function I_x(a, b); false for a or b <= 0, x outside 0..1, or
// no convergence.
bool BetaIncomplete(double a, double b, double x, double* out);
// The regularized incomplete gamma functions P(a, x) and Q(a, x) = 1 - P; false for a <= 0,
// x < 0, or no convergence.
bool GammaP(double a, double x, double* out);
bool GammaQ(double a, double x, double* out);
// erf(x) = sign(x) P(1/2, x^2).
bool ErrorFunction(double x, double* out);

// Bessel functions of integer order n >= 0: J and I for any x, Y and K for x > 0. False outside
// the domain, for orders above kMaxBesselOrder, and when the value overflows.
constexpr int64_t kMaxBesselOrder = 100000;
bool BesselJ(double x, int64_t n, double* out);
bool BesselY(double x, int64_t n, double* out);
bool BesselI(double x, int64_t n, double* out);
bool BesselK(double x, int64_t n, double* out);

// The normal density with mean m and standard deviation s > 0.
bool GaussDensity(double x, double m, double s, double* out);
// The Poisson probability of k events at the rate L (k rounded, k >= 0, L >= 0).
bool PoissonProbability(double k, double rate, double* out);

// --- statistics over a list of values
// --------------------------------------------------------------

// The moments shared by @AVEDEV, @SKEW, @KURT and @COV (n = values.size()). False for n < 2
// and for a variance of exactly 0.
struct Moments {
  double mean = 0;
  double meanAbsoluteDeviation = 0;  // sum |x - mean| / n
  double variance = 0;               // sum (x - mean)^2 / (n - 1)
  double deviation = 0;              // sqrt(|variance|)
  double sum3 = 0;                   // sum (x - mean)^3
  double sum4 = 0;                   // sum (x - mean)^4
};
bool ComputeMoments(const std::vector<double>& values, Moments* out);

// The median by the search described at the function; false for no values or a search that
// does not settle within 1000 rounds.
bool MedianBySearch(const std::vector<double>& values, double* out);

// A matrix of rows x columns values, row by row.
struct Matrix {
  int rows = 0;
  int columns = 0;
  std::vector<double> cells;
  double& at(int r, int c) { return cells[size_t(r) * columns + c]; }
};
// Determinant of a square matrix by elimination with partial pivoting; false if not square.
bool Determinant(Matrix m, double* out);
// Rank by elimination with a relative pivot tolerance.
int MatrixRank(Matrix m);
// Sum of the diagonal of a square matrix; false if not square.
bool MatrixTrace(const Matrix& m, double* out);
