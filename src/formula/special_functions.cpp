// formula/special_functions.cpp — rounding, factorials, special functions, moments, median and
// matrix reductions on plain doubles.
//
// The incomplete beta and gamma functions follow the classic split into a power series and a
// continued fraction, each a routine of its own, run for at most 100 terms. They stop as soon as
// a term changes the sum by less than a relative 1e-15 and accept the value after 100 terms when
// the last change was below 3e-7; otherwise they report failure rather than a wrong number.
// State: none.
#include "formula/special_functions.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kMaxTerms = 100;
constexpr double kTightTolerance = 1e-15;
constexpr double kStatedTolerance = 3e-7;
constexpr double kTiny = 1e-300;  // keeps the continued fractions away from a zero divisor
// From 2^52 on a double has no fractional digits left.
constexpr double kNoFraction = 4503599627370496.0;

double PowerOfTen(int64_t n) { return std::pow(10.0, double(n)); }

// The continued fraction of the incomplete beta function (modified Lentz).
bool BetaContinuedFraction(double a, double b, double x, double* out) {
  const double qab = a + b, qap = a + 1, qam = a - 1;
  double c = 1, d = 1 - qab * x / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1 / d;
  double h = d, change = 1;
  for (int m = 1; m <= kMaxTerms; ++m) {
    const int m2 = 2 * m;
    double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double del = d * c;
    h *= del;
    change = std::fabs(del - 1);
    if (change < kTightTolerance) break;
  }
  if (!(change < kStatedTolerance)) return false;
  *out = h;
  return true;
}

// P(a, x) by its power series, for x < a + 1.
bool GammaSeries(double a, double x, double* out) {
  double ap = a, del = 1 / a, sum = del, change = 1;
  for (int n = 1; n <= kMaxTerms; ++n) {
    ap += 1;
    del *= x / ap;
    sum += del;
    change = std::fabs(del) / std::fabs(sum);
    if (change < kTightTolerance) break;
  }
  if (!(change < kStatedTolerance)) return false;
  *out = sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
  return true;
}

// Q(a, x) by its continued fraction (modified Lentz), for x >= a + 1.
bool GammaContinuedFraction(double a, double x, double* out) {
  double b = x + 1 - a, c = 1 / kTiny, d = 1 / b, h = d, change = 1;
  for (int i = 1; i <= kMaxTerms; ++i) {
    const double an = -i * (i - a);
    b += 2;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double del = d * c;
    h *= del;
    change = std::fabs(del - 1);
    if (change < kTightTolerance) break;
  }
  if (!(change < kStatedTolerance)) return false;
  *out = std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
  return true;
}

// P and Q together: the series gives P, the continued fraction Q; the other is 1 minus it.
bool IncompleteGamma(double a, double x, double* p, double* q) {
  if (!(a > 0) || !(x >= 0) || std::isinf(a) || std::isinf(x)) return false;
  if (x == 0) {
    *p = 0;
    *q = 1;
    return true;
  }
  if (x < a + 1) {
    if (!GammaSeries(a, x, p)) return false;
    *q = 1 - *p;
  } else {
    if (!GammaContinuedFraction(a, x, q)) return false;
    *p = 1 - *q;
  }
  return true;
}

// Wraps the standard library's Bessel functions of order 0 and 1, which report trouble by
// throwing; we turn that into a failure.
template <typename F>
bool Guarded(F f, double* out) {
  try {
    const double v = f();
    if (!std::isfinite(v)) return false;
    *out = v;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// J_n(x) for n >= 2, x > 0, n >= x by Miller's downward recurrence, normalized with
// J0 + 2 (J2 + J4 + ...) = 1. Rescales when the trial values grow too large.
double BesselJMiller(double x, int64_t n) {
  constexpr double kAccuracy = 160;
  constexpr int kRescaleExponent = DBL_MAX_EXP / 2;
  const double twoOverX = 2 / x;
  const int64_t m = 2 * ((n + int64_t(std::sqrt(kAccuracy * double(n)))) / 2);
  bool even = false;
  double next = 0, value = 0, sum = 0, current = 1;
  for (int64_t j = m; j > 0; --j) {
    const double previous = double(j) * twoOverX * current - next;
    next = current;
    current = previous;
    int exponent = 0;
    std::frexp(current, &exponent);
    if (exponent > kRescaleExponent) {
      current = std::ldexp(current, -kRescaleExponent);
      next = std::ldexp(next, -kRescaleExponent);
      value = std::ldexp(value, -kRescaleExponent);
      sum = std::ldexp(sum, -kRescaleExponent);
    }
    if (even) sum += current;
    even = !even;
    if (j == n) value = next;
  }
  sum = 2 * sum - current;
  return value / sum;
}

// Ordered integer keys of doubles, so that the median search can halve an interval of doubles
// in at most 64 steps whatever the magnitudes.
uint64_t OrderKey(double d) {
  const uint64_t bits = std::bit_cast<uint64_t>(d);
  return (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
}
double FromOrderKey(uint64_t key) {
  const uint64_t bits = (key & 0x8000000000000000ull) ? key & ~0x8000000000000000ull : ~key;
  return std::bit_cast<double>(bits);
}
double KeyMidpoint(double lo, double hi) {
  const uint64_t a = OrderKey(lo), b = OrderKey(hi);
  return FromOrderKey(a + (b - a) / 2);
}

}  // namespace

bool RoundedInteger(double value, int64_t lo, int64_t hi, int64_t* out) {
  const double r = std::round(value);
  if (!(r >= double(lo) && r <= double(hi))) return false;
  *out = int64_t(r);
  return true;
}

double RoundDecimals(double x, int64_t n) {
  const double h = x >= 0 ? 0.5 : -0.5;
  if (n >= 0) {
    if (n > 330) return x;
    const double f = PowerOfTen(n);
    const double y = x * f;
    if (!(std::fabs(y) < kNoFraction)) return x;
    return std::trunc(y + h) / f;
  }
  if (-n > 330) return 0;
  const double f = PowerOfTen(-n);
  return std::trunc(x / f + h) * f;
}

double CeilDecimals(double x, int64_t n) {
  const double a = std::fabs(x);
  double r;
  if (n >= 0) {
    if (n > 330) return x;
    const double f = PowerOfTen(n);
    const double y = a * f;
    if (!(y < kNoFraction)) return x;
    r = std::trunc(y + 0.9999999999) / f;
  } else {
    if (-n > 330) return a == 0 ? 0 : std::copysign(HUGE_VAL, x);
    const double f = PowerOfTen(-n);
    r = std::trunc(a / f + 0.9999999999) * f;
  }
  return x < 0 ? -r : r;
}

double FloorDecimals(double x, int64_t n) {
  const double a = std::fabs(x);
  double r;
  if (n >= 0) {
    if (n > 330) return x;
    const double f = PowerOfTen(n);
    const double y = a * f;
    if (!(y < kNoFraction)) return x;
    r = std::trunc(y) / f;
  } else {
    if (-n > 330) return 0;
    const double f = PowerOfTen(-n);
    r = std::trunc(a / f) * f;
  }
  return x < 0 ? -r : r;
}

bool Factorial(int64_t n, double* out) {
  if (n < 0 || n > 170) return false;
  double f = 1;
  for (int64_t i = 2; i <= n; ++i) f *= double(i);
  *out = f;
  return true;
}

bool Permutations(double n, double k, double* out) {
  int64_t nn = 0, kk = 0;
  if (!RoundedInteger(n, 0, int64_t(1) << 53, &nn) || !RoundedInteger(k, 0, nn, &kk)) return false;
  double p = 1;
  for (int64_t i = 0; i < kk; ++i) {
    p *= double(nn - i);
    if (std::isinf(p)) return false;  // every factor but the last is 2 or more: this comes soon
  }
  *out = p;
  return true;
}

bool Combinations(double n, double k, double* out) {
  int64_t nn = 0, kk = 0;
  if (!RoundedInteger(n, 0, int64_t(1) << 53, &nn) || !RoundedInteger(k, 0, nn, &kk)) return false;
  kk = std::min(kk, nn - kk);
  // c(i) = n (n-1) ... (n-i+1) / i! stays a whole number at every step; it at least doubles
  // each step (i <= n/2), so an overflow ends the loop quickly.
  double c = 1;
  for (int64_t i = 0; i < kk; ++i) {
    c = c * double(nn - i) / double(i + 1);
    if (std::isinf(c)) return false;
  }
  *out = std::round(c);
  return true;
}

bool GammaLn(double x, double* out) {
  if (!(x > 0) || std::isinf(x)) return false;
  // The Lanczos series for gamma = 5 with six terms, written for Gamma(z + 1) and used at
  // z = x - 1 for x >= 1; below 1 it is used at z = x and divided by x, where the series is
  // accurate, instead of at a negative z.
  static const double kCoefficients[6] = {76.18009172947146,     -86.50532032941677,
                                          24.01409824083091,     -1.231739572450155,
                                          0.1208650973866179e-2, -0.5395239384953e-5};
  const bool shifted = x < 1;
  const double z = shifted ? x : x - 1;
  double tmp = z + 5.5;
  tmp -= (z + 0.5) * std::log(tmp);
  double series = 1.000000000190015, denominator = z;
  for (double c : kCoefficients) series += c / ++denominator;
  double result = -tmp + std::log(2.5066282746310005 * series);
  if (shifted) result -= std::log(x);
  *out = result;
  return true;
}

bool Beta(double z, double w, double* out) {
  double gz, gw, gzw;
  if (!GammaLn(z, &gz) || !GammaLn(w, &gw) || !GammaLn(z + w, &gzw)) return false;
  const double v = std::exp(gz + gw - gzw);
  if (!std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool BetaIncomplete(double a, double b, double x, double* out) {
  if (!(a > 0) || !(b > 0) || !(x >= 0 && x <= 1) || std::isinf(a) || std::isinf(b)) return false;
  if (x == 0 || x == 1) {
    *out = x;
    return true;
  }
  const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                a * std::log(x) + b * std::log1p(-x));
  double cf;
  if (x < (a + 1) / (a + b + 2)) {
    if (!BetaContinuedFraction(a, b, x, &cf)) return false;
    *out = front * cf / a;
  } else {
    if (!BetaContinuedFraction(b, a, 1 - x, &cf)) return false;
    *out = 1 - front * cf / b;
  }
  return true;
}

bool GammaP(double a, double x, double* out) {
  double p, q;
  if (!IncompleteGamma(a, x, &p, &q)) return false;
  *out = p;
  return true;
}

bool GammaQ(double a, double x, double* out) {
  double p, q;
  if (!IncompleteGamma(a, x, &p, &q)) return false;
  *out = q;
  return true;
}

bool ErrorFunction(double x, double* out) {
  if (std::isnan(x)) return false;
  if (std::fabs(x) > 10) {  // erf is 1 to double precision long before; x*x stays finite
    *out = x > 0 ? 1 : -1;
    return true;
  }
  double p;
  if (!GammaP(0.5, x * x, &p)) return false;
  *out = x < 0 ? -p : p;
  return true;
}

// J: order 0 and 1 from the standard library; higher orders by upward recurrence where the
// order is below x (stable there) and by Miller's downward recurrence elsewhere.
bool BesselJ(double x, int64_t n, double* out) {
  if (n < 0 || n > kMaxBesselOrder || !std::isfinite(x)) return false;
  const double ax = std::fabs(x);
  double v;
  if (n == 0) {
    if (!Guarded([&] { return std::cyl_bessel_j(0.0, ax); }, &v)) return false;
  } else if (ax == 0) {
    v = 0;
  } else if (n == 1) {
    if (!Guarded([&] { return std::cyl_bessel_j(1.0, ax); }, &v)) return false;
  } else if (ax > double(n)) {
    double previous, current;
    if (!Guarded([&] { return std::cyl_bessel_j(0.0, ax); }, &previous) ||
        !Guarded([&] { return std::cyl_bessel_j(1.0, ax); }, &current))
      return false;
    for (int64_t k = 1; k < n; ++k) {
      const double following = 2.0 * double(k) / ax * current - previous;
      previous = current;
      current = following;
    }
    v = current;
  } else {
    v = BesselJMiller(ax, n);
  }
  if (x < 0 && (n & 1)) v = -v;
  if (!std::isfinite(v)) return false;
  *out = v;
  return true;
}

// Y and K: orders 0 and 1 from the standard library, then the upward recurrence
// f(k+1) = 2k/x f(k) + sign f(k-1), which is stable for both (sign -1 for Y, +1 for K).
template <typename OrderZeroOrOne>
bool UpwardBessel(double x, int64_t n, double sign, OrderZeroOrOne base, double* out) {
  if (n < 0 || n > kMaxBesselOrder || !(x > 0) || std::isinf(x)) return false;
  double previous, current;
  if (!Guarded([&] { return base(0.0, x); }, &previous)) return false;
  if (n == 0) {
    *out = previous;
    return true;
  }
  if (!Guarded([&] { return base(1.0, x); }, &current)) return false;
  for (int64_t k = 1; k < n; ++k) {
    const double following = 2.0 * double(k) / x * current + sign * previous;
    previous = current;
    current = following;
    if (std::isinf(current)) return false;
  }
  *out = current;
  return true;
}

bool BesselY(double x, int64_t n, double* out) {
  return UpwardBessel(x, n, -1.0, [](double v, double t) { return std::cyl_neumann(v, t); }, out);
}

// I: the power series sum (x/2)^(2k+n) / (k! (n+k)!), whose terms are all positive, so it keeps
// full relative accuracy for every x and n.
bool BesselI(double x, int64_t n, double* out) {
  if (n < 0 || n > kMaxBesselOrder || !std::isfinite(x)) return false;
  const double ax = std::fabs(x);
  if (ax > 750) return false;  // e^x / sqrt(2 pi x) overflows
  double v;
  if (ax == 0) {
    v = n == 0 ? 1 : 0;
  } else {
    const double q = ax * ax / 4;
    double term = n == 0 ? 1 : std::exp(double(n) * std::log(ax / 2) - std::lgamma(double(n) + 1));
    double sum = 0;
    for (int64_t k = 0; k < 1000000; ++k) {
      sum += term;
      const double ratio = q / (double(k + 1) * double(n + k + 1));
      term *= ratio;
      if (ratio < 1 && term <= sum * 1e-17) break;
    }
    v = sum;
  }
  if (x < 0 && (n & 1)) v = -v;
  if (!std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool BesselK(double x, int64_t n, double* out) {
  return UpwardBessel(x, n, 1.0, [](double v, double t) { return std::cyl_bessel_k(v, t); }, out);
}

bool GaussDensity(double x, double m, double s, double* out) {
  if (!(s > 0)) return false;
  const double z = (x - m) / s;
  const double v = std::exp(-0.5 * z * z) / (s * std::sqrt(2 * kPi));
  if (!std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool PoissonProbability(double k, double rate, double* out) {
  int64_t n = 0;
  if (!RoundedInteger(k, 0, int64_t(1) << 53, &n) || !(rate >= 0) || std::isinf(rate)) return false;
  if (rate == 0) {
    *out = n == 0 ? 1 : 0;
    return true;
  }
  // In logarithms, so that large counts and rates neither overflow L^k nor k!.
  const double dn = double(n);
  *out = std::exp(dn * std::log(rate) - rate - std::lgamma(dn + 1));
  return true;
}

bool ComputeMoments(const std::vector<double>& values, Moments* out) {
  const size_t n = values.size();
  if (n < 2) return false;
  double sum = 0;
  for (double x : values) sum += x;
  Moments m;
  m.mean = sum / double(n);
  double sumAbs = 0, sum2 = 0;
  for (double x : values) {
    const double s = x - m.mean;
    sumAbs += std::fabs(s);
    sum2 += s * s;
    m.sum3 += s * s * s;
    m.sum4 += s * s * s * s;
  }
  m.meanAbsoluteDeviation = sumAbs / double(n);
  m.variance = sum2 / double(n - 1);
  if (m.variance == 0 || !std::isfinite(m.variance)) return false;
  m.deviation = std::sqrt(std::fabs(m.variance));
  *out = m;
  return true;
}

// The search: the median region is the set of estimates e at which the k1-th and the k2-th
// smallest values (k1 = k2 = (n+1)/2 for odd n; n/2 and n/2 + 1 for even n) can be read off one
// pass: each is either the nearest value below e, a value equal to e, or the nearest value above.
// The estimate starts at the mean of the first and last values; the first round moves it by
// |first - last| toward the side holding too many values, and every later round to the middle
// (in the order of doubles) of the interval that must still hold the median, whose ends are the
// smallest and largest value at first and the nearest values beyond the estimates seen since.
// That interval at least halves each round, so the search settles within about 70 rounds, also
// when values repeat (where no estimate may have equal counts on both sides).
bool MedianBySearch(const std::vector<double>& values, double* out) {
  const size_t n = values.size();
  if (n == 0) return false;
  const size_t k1 = (n + 1) / 2;
  const size_t k2 = n % 2 ? k1 : n / 2 + 1;
  double lo = values[0], hi = values[0];
  for (double x : values) {
    if (std::isnan(x)) return false;
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  const double first = values.front(), last = values.back();
  double estimate = first / 2 + last / 2;
  const double step = std::fabs(first - last);
  for (int round = 1; round <= 1000; ++round) {
    size_t below = 0, equal = 0;
    double nearestBelow = -HUGE_VAL, nearestAbove = HUGE_VAL;
    for (double x : values) {
      if (x < estimate) {
        ++below;
        nearestBelow = std::max(nearestBelow, x);
      } else if (x > estimate) {
        nearestAbove = std::min(nearestAbove, x);
      } else {
        ++equal;
      }
    }
    if (below <= k1 && k2 <= below + equal + 1) {
      auto kth = [&](size_t k) {
        return k <= below ? nearestBelow : k <= below + equal ? estimate : nearestAbove;
      };
      *out = k1 == k2 ? kth(k1) : kth(k1) / 2 + kth(k2) / 2;
      return true;
    }
    const bool up = k2 > below + equal + 1;
    if (up) {
      lo = nearestAbove;
    } else {
      hi = nearestBelow;
    }
    if (!(lo <= hi)) return false;  // cannot happen: the median lies between the two
    if (round == 1 && step > 0) {
      estimate = std::clamp(up ? estimate + step : estimate - step, lo, hi);
    } else {
      estimate = KeyMidpoint(lo, hi);
    }
  }
  return false;
}

bool Determinant(Matrix m, double* out) {
  if (m.rows != m.columns || m.rows == 0) return false;
  const int n = m.rows;
  double det = 1;
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(m.at(r, c)) > std::fabs(m.at(pivot, c))) pivot = r;
    if (m.at(pivot, c) == 0) {
      *out = 0;
      return true;
    }
    if (pivot != c) {
      for (int j = 0; j < n; ++j) std::swap(m.at(pivot, j), m.at(c, j));
      det = -det;
    }
    const double p = m.at(c, c);
    det *= p;
    for (int r = c + 1; r < n; ++r) {
      const double f = m.at(r, c) / p;
      if (f == 0) continue;
      for (int j = c; j < n; ++j) m.at(r, j) -= f * m.at(c, j);
    }
  }
  *out = det;
  return true;
}

int MatrixRank(Matrix m) {
  double largest = 0;
  for (double v : m.cells) largest = std::max(largest, std::fabs(v));
  // Pivots this much smaller than the largest entry count as rounding noise.
  const double tolerance = largest * double(std::max(m.rows, m.columns)) * DBL_EPSILON * 8;
  int rank = 0;
  for (int c = 0; c < m.columns && rank < m.rows; ++c) {
    int pivot = rank;
    for (int r = rank + 1; r < m.rows; ++r)
      if (std::fabs(m.at(r, c)) > std::fabs(m.at(pivot, c))) pivot = r;
    if (!(std::fabs(m.at(pivot, c)) > tolerance)) continue;
    for (int j = 0; j < m.columns; ++j) std::swap(m.at(pivot, j), m.at(rank, j));
    const double p = m.at(rank, c);
    for (int r = rank + 1; r < m.rows; ++r) {
      const double f = m.at(r, c) / p;
      if (f == 0) continue;
      for (int j = c; j < m.columns; ++j) m.at(r, j) -= f * m.at(rank, j);
    }
    ++rank;
  }
  return rank;
}

bool MatrixTrace(const Matrix& m, double* out) {
  if (m.rows != m.columns || m.rows == 0) return false;
  double t = 0;
  for (int i = 0; i < m.rows; ++i) t += m.cells[size_t(i) * m.columns + i];
  *out = t;
  return true;
}
