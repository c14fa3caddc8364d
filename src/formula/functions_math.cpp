// formula/functions_math.cpp — routines of the elementary, rounding, factorial, random and
// special functions, and of @INTG, @RECUR, @X and @XYTERP.
//
// Each routine reads its arguments from the frame and leaves its result in argument 1's slot
// (formula/value_stack.h). A domain error or a result that is not a finite number raises the
// error flag. Unlike the bare convention (an error travels only from the first argument), these
// routines give ERR when any of their arguments is ERR: a number computed from an erroneous
// argument would look valid in the cell.
// State: MathState below (@X, the nesting count of @INTG/@RECUR, the random generator).
#include "formula/functions_math.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "formula/formula_code.h"
#include "formula/special_functions.h"
#include "formula/value_stack.h"

namespace {

constexpr double kPi = 3.141592653589793;

struct MathState {
  double x = 0;              // the value @X gives
  int numericalNesting = 0;  // @INTG and @RECUR calls in progress
  std::mt19937_64 generator{0x7A11170ull};
};

MathState& TheMathState() {
  static MathState state;
  return state;
}

// --- helpers -----------------------------------------------------------------------------------

// Gives true (and raises the error flag) when any argument is ERR.
bool AnyArgumentError(Frame& f) {
  for (int i = 1; i <= f.Count(); ++i) {
    if (f.HasError(i)) {
      f.Fail();
      return true;
    }
  }
  return false;
}

// Result := v, or ERR when v is not a finite number. -0 is stored as 0.
void Finish(Frame& f, double v) {
  if (!std::isfinite(v)) {
    f.Fail();
    return;
  }
  f.SetNumber(v + 0.0);
}

// Result := the value a numerics function gave, or ERR when it failed.
void FinishIf(Frame& f, bool ok, double v) {
  if (!ok) {
    f.Fail();
    return;
  }
  Finish(f, v);
}

// A digit count argument: rounded, and clipped far beyond the digits a double has.
int64_t DigitCount(double n) {
  if (std::isnan(n)) return 0;
  return int64_t(std::clamp(std::round(n), -400.0, 400.0));
}

// Defines a routine of one numeric argument from an expression in x.
#define TALLIVO_UNARY(name, expression) \
  void name(Frame& f) {                 \
    if (AnyArgumentError(f)) return;    \
    const double x = f.Number(1);       \
    Finish(f, (expression));            \
  }

// --- elementary functions
// -------------------------------------------------------------------------

TALLIVO_UNARY(Abs, std::fabs(x))
TALLIVO_UNARY(Int, std::trunc(x))
TALLIVO_UNARY(Exp, std::exp(x))
TALLIVO_UNARY(Sin, std::sin(x))
TALLIVO_UNARY(Cos, std::cos(x))
TALLIVO_UNARY(Atan, std::atan(x))
TALLIVO_UNARY(Sinh, std::sinh(x))
TALLIVO_UNARY(Cosh, std::cosh(x))
// The library forms keep full accuracy where e^x - e^-x cancels (small x) and give 1 where the
// quotient of the exponentials would overflow (large x).
TALLIVO_UNARY(Tanh, std::tanh(x))
TALLIVO_UNARY(Asinh, std::asinh(x))

#undef TALLIVO_UNARY

void Pi(Frame& f) { f.SetNumber(kPi); }

void Sqrt(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1);
  if (x < 0) {
    f.Fail();
    f.SetNumber(std::sqrt(-x));
    return;
  }
  Finish(f, std::sqrt(x));
}

void Ln(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1);
  if (!(x > 0)) return f.Fail();
  Finish(f, std::log(x));
}

void Log(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1);
  if (!(x > 0)) return f.Fail();
  Finish(f, std::log10(x));
}

void LogB(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1), b = f.Number(2);
  if (!(x > 0) || !(b > 1)) return f.Fail();
  Finish(f, std::log(x) / std::log(b));
}

void Tan(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1), c = std::cos(x);
  if (c == 0) return f.Fail();
  Finish(f, std::sin(x) / c);
}

void Csc(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double s = std::sin(f.Number(1));
  if (s == 0) return f.Fail();
  Finish(f, 1 / s);
}

void Sec(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double c = std::cos(f.Number(1));
  if (c == 0) return f.Fail();
  Finish(f, 1 / c);
}

void Ctn(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1), s = std::sin(x);
  if (s == 0) return f.Fail();
  Finish(f, std::cos(x) / s);
}

// arcsine as atan(|x| / sqrt(1 - x^2)) with the sign of x; pi/2 at |x| = 1; ERR beyond.
bool ArcSine(double x, double* out) {
  const double a = std::fabs(x);
  if (!(a <= 1)) return false;
  const double r = a == 1 ? kPi / 2 : std::atan(a / std::sqrt(1 - x * x));
  *out = x < 0 ? -r : r;
  return true;
}

void Asin(Frame& f) {
  if (AnyArgumentError(f)) return;
  double r = 0;
  const bool ok = ArcSine(f.Number(1), &r);
  FinishIf(f, ok, r);
}

void Acos(Frame& f) {
  if (AnyArgumentError(f)) return;
  double r = 0;
  const bool ok = ArcSine(f.Number(1), &r);
  FinishIf(f, ok, kPi / 2 - r);
}

void Acosh(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1);
  if (!(x >= 1)) return f.Fail();
  Finish(f, std::acosh(x));
}

void Atanh(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double x = f.Number(1);
  if (!(std::fabs(x) < 1)) return f.Fail();
  Finish(f, std::atanh(x));
}

// a - trunc(a/b) * b, the sign of a. fmod computes exactly that without the rounding of a/b.
void Mod(Frame& f) {
  if (AnyArgumentError(f)) return;
  const double a = f.Number(1), b = f.Number(2);
  if (b == 0) return f.Fail();
  Finish(f, std::fmod(a, b));
}

// --- rounding
// ----------------------------------------------------------------------------------------

void Round(Frame& f) {
  if (AnyArgumentError(f)) return;
  Finish(f, RoundDecimals(f.Number(1), DigitCount(f.Number(2))));
}

void Ceil(Frame& f) {
  if (AnyArgumentError(f)) return;
  Finish(f, CeilDecimals(f.Number(1), DigitCount(f.Number(2))));
}

void Floor(Frame& f) {
  if (AnyArgumentError(f)) return;
  Finish(f, FloorDecimals(f.Number(1), DigitCount(f.Number(2))));
}

// --- factorials and random numbers
// ---------------------------------------------------------------------

// @FACT and postfix "!": x rounded, 0..170.
void Fact(Frame& f) {
  if (AnyArgumentError(f)) return;
  int64_t n = 0;
  double v = 0;
  const bool ok = RoundedInteger(f.Number(1), 0, 170, &n) && Factorial(n, &v);
  FinishIf(f, ok, v);
}

// @PERM and @COMB take n and k rounded. They multiply only the factors that do not cancel, so
// n above 170 works as long as the result fits a double.
void Perm(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = Permutations(f.Number(1), f.Number(2), &v);
  FinishIf(f, ok, v);
}

void Comb(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = Combinations(f.Number(1), f.Number(2), &v);
  FinishIf(f, ok, v);
}

// Uniform on [0, 1): the top 53 bits of the generator's output.
void Rand(Frame& f) { f.SetNumber(double(TheMathState().generator() >> 11) * 0x1.0p-53); }

// --- special functions
// -----------------------------------------------------------------------------------

void GammaLnRoutine(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = GammaLn(f.Number(1), &v);
  FinishIf(f, ok, v);
}

void BetaRoutine(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = Beta(f.Number(1), f.Number(2), &v);
  FinishIf(f, ok, v);
}

void BetaIRoutine(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = BetaIncomplete(f.Number(1), f.Number(2), f.Number(3), &v);
  FinishIf(f, ok, v);
}

void GammaPRoutine(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = GammaP(f.Number(1), f.Number(2), &v);
  FinishIf(f, ok, v);
}

void GammaQRoutine(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = GammaQ(f.Number(1), f.Number(2), &v);
  FinishIf(f, ok, v);
}

void Erf(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = ErrorFunction(f.Number(1), &v);
  FinishIf(f, ok, v);
}

// @BESSELJ(x, n) and its kin: n rounded; a negative order is ERR, as x <= 0 is for Y and K.
template <bool (*Function)(double, int64_t, double*)>
void Bessel(Frame& f) {
  if (AnyArgumentError(f)) return;
  int64_t n = 0;
  double v = 0;
  const bool ok =
      RoundedInteger(f.Number(2), 0, kMaxBesselOrder, &n) && Function(f.Number(1), n, &v);
  FinishIf(f, ok, v);
}

void Gauss(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = GaussDensity(f.Number(1), f.Number(2), f.Number(3), &v);
  FinishIf(f, ok, v);
}

// @POISSON(k, a, b): the probability of k events at the rate L = a * b.
void Poisson(Frame& f) {
  if (AnyArgumentError(f)) return;
  double v = 0;
  const bool ok = PoissonProbability(f.Number(1), f.Number(2) * f.Number(3), &v);
  FinishIf(f, ok, v);
}

// --- formula text with a variable: @INTG, @RECUR, @X
// ----------------------------------------------------

// Compiles the formula text of argument 1 (a string; anything else fails).
bool CompileArgumentText(Frame& f, std::string* code) {
  if (!f.IsString(1)) return false;
  return Compile(f.Text(1), code);
}

// One evaluation of compiled formula text with @X = x. False for ERR or a string result.
bool EvaluateAt(const std::string& code, double x, double* out) {
  TheMathState().x = x;
  const EvalResult r = EvaluateCode(code);
  if (r.error || r.isString || !std::isfinite(r.number)) return false;
  *out = r.number;
  return true;
}

bool MentionsX(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '@' && (text[i + 1] == 'x' || text[i + 1] == 'X')) return true;
  return false;
}

// Keeps @X and the nesting count right around @INTG and @RECUR: a call nested inside another
// gives @X back to its caller; a call at the top leaves the value its rule names.
class NumericalScope {
 public:
  NumericalScope() : saved_(TheMathState().x) { ++TheMathState().numericalNesting; }
  ~NumericalScope() {
    if (--TheMathState().numericalNesting > 0) TheMathState().x = saved_;
  }
  NumericalScope(const NumericalScope&) = delete;
  NumericalScope& operator=(const NumericalScope&) = delete;

 private:
  double saved_;
};

// @INTG(f, a, b): Romberg integration of the formula text f over @X from a to b: trapezoid sums
// with 16, 32, 64 and 128 intervals (the 129 points are evaluated once) and three levels of
// Richardson extrapolation. ERR when f does not compile, any evaluation is ERR or a string, or
// the integrand called a user function. @X is 0 afterwards.
void Intg(Frame& f) {
  if (AnyArgumentError(f)) return;
  NumericalScope scope;
  std::string code;
  if (!CompileArgumentText(f, &code)) return f.Fail();
  const bool usesX = MentionsX(f.Text(1));
  const double a = f.Number(2), b = f.Number(3);
  constexpr int kPoints = 128;
  const double h = (b - a) / kPoints;
  const uint64_t calls = UserFunctionCallCount();
  double values[kPoints + 1];
  bool ok = true;
  for (int i = 0; i <= kPoints && ok; ++i)
    ok = EvaluateAt(code, usesX ? (i == kPoints ? b : a + i * h) : 0, &values[i]);
  TheMathState().x = 0;
  if (!ok || UserFunctionCallCount() != calls) return f.Fail();
  double t[4];
  for (int level = 0; level < 4; ++level) {
    const int stride = kPoints >> (4 + level);  // 8, 4, 2, 1
    double sum = (values[0] + values[kPoints]) / 2;
    for (int i = stride; i < kPoints; i += stride) sum += values[i];
    t[level] = sum * h * stride;
  }
  double r1[3], r2[2];
  for (int i = 0; i < 3; ++i) r1[i] = (4 * t[i + 1] - t[i]) / 3;
  for (int i = 0; i < 2; ++i) r2[i] = (16 * r1[i + 1] - r1[i]) / 15;
  Finish(f, (64 * r2[1] - r2[0]) / 63);
}

// @RECUR(f, x0, tol): x := x0; repeat @X := x, x := f until |x - @X| < tol. The 20th evaluation
// without convergence is ERR. @X keeps the last value given to it.
void Recur(Frame& f) {
  if (AnyArgumentError(f)) return;
  NumericalScope scope;
  std::string code;
  if (!CompileArgumentText(f, &code)) return f.Fail();
  const double tolerance = f.Number(3);
  double x = f.Number(2);
  for (int evaluations = 1; evaluations <= 20; ++evaluations) {
    const double previous = x;
    if (!EvaluateAt(code, previous, &x)) return f.Fail();
    if (std::fabs(x - previous) < tolerance) return Finish(f, x);
  }
  f.Fail();
}

void X(Frame& f) { f.SetNumber(TheMathState().x); }

// --- @XYTERP
// ----------------------------------------------------------------------------------------------

// A number read from a table position: numeric cells give their value, other positions 0; a
// cell with the error mark fails.
bool TableNumber(const ArgumentRange& table, uint32_t row, uint32_t column, double* out) {
  const CellHandle h = CellInSheet(table.rowTable, row, column);
  if (!h) {
    *out = 0;
    return true;
  }
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind & kKindMask;
  if ((c->kind & kKindErrorMark) || kind > uint8_t(CellKind::kBlank)) return false;
  *out = KindIsNumeric(c->kind) ? CellNumber(c) : 0;
  return true;
}

// The bracketing pair of keys for `key` among count keys read by `at`: the last key not greater
// than it and the one after. An exact match at the last key stands alone (*second == *first).
template <typename KeyAt>
bool Bracket(int count, double key, KeyAt at, int* first, int* second, double* weight) {
  int found = -1;
  for (int i = 0; i < count; ++i) {
    double k;
    if (!at(i, &k)) return false;
    if (k <= key) found = i;
  }
  if (found < 0) return false;
  double k0 = 0;
  at(found, &k0);
  if (found == count - 1) {
    if (k0 != key) return false;
    *first = *second = found;
    *weight = 0;
    return true;
  }
  double k1 = 0;
  at(found + 1, &k1);
  *first = found;
  *second = found + 1;
  *weight = k1 > k0 ? (key - k0) / (k1 - k0) : 0;
  return true;
}

// @XYTERP(range, x, y): two-way linear interpolation in a table laid out like a data table: the
// x keys run down the first column below the corner cell, the y keys along the first row right
// of it, and the body holds the values. Each axis is searched as @VTERP and @HTERP search theirs
// (ascending keys; the last key not greater than the value and the next one; an exact match at
// the last key; otherwise no bracketing pair is ERR), then the four surrounding values are
// interpolated bilinearly. A table smaller than 2 x 2 is ERR.
void XyTerp(Frame& f) {
  ArgumentRange table;
  if (!f.Range(1, &table) || f.HasError(2) || f.HasError(3)) return f.Fail();
  f.SetError(false);
  const CellRange& r = table.range;
  const int rows = r.lastRow - r.firstRow, columns = r.lastColumn - r.firstColumn;
  if (rows < 1 || columns < 1) return f.Fail();
  auto rowKey = [&](int i, double* k) {
    return TableNumber(table, r.firstRow + 1 + i, r.firstColumn, k);
  };
  auto columnKey = [&](int j, double* k) {
    return TableNumber(table, r.firstRow, r.firstColumn + 1 + j, k);
  };
  int i0, i1, j0, j1;
  double u, v;
  if (!Bracket(rows, f.Number(2), rowKey, &i0, &i1, &u) ||
      !Bracket(columns, f.Number(3), columnKey, &j0, &j1, &v))
    return f.Fail();
  double z00, z01, z10, z11;
  auto body = [&](int i, int j, double* z) {
    return TableNumber(table, r.firstRow + 1 + i, r.firstColumn + 1 + j, z);
  };
  if (!body(i0, j0, &z00) || !body(i0, j1, &z01) || !body(i1, j0, &z10) || !body(i1, j1, &z11))
    return f.Fail();
  const double low = z00 + v * (z01 - z00), high = z10 + v * (z11 - z10);
  Finish(f, low + u * (high - low));
}

}  // namespace

void RegisterMathFunctions() {
  const struct {
    Op op;
    OpcodeRoutine routine;
  } kRoutines[] = {
      {Op::kAbs, Abs},
      {Op::kInt, Int},
      {Op::kSqrt, Sqrt},
      {Op::kLog, Log},
      {Op::kLn, Ln},
      {Op::kPi, Pi},
      {Op::kSin, Sin},
      {Op::kCos, Cos},
      {Op::kTan, Tan},
      {Op::kAtan, Atan},
      {Op::kAsin, Asin},
      {Op::kAcos, Acos},
      {Op::kExp, Exp},
      {Op::kMod, Mod},
      {Op::kRand, Rand},
      {Op::kRound, Round},
      {Op::kFactorial, Fact},
      {Op::kFact, Fact},
      {Op::kCsc, Csc},
      {Op::kCtn, Ctn},
      {Op::kSec, Sec},
      {Op::kCosh, Cosh},
      {Op::kSinh, Sinh},
      {Op::kTanh, Tanh},
      {Op::kAsinh, Asinh},
      {Op::kAcosh, Acosh},
      {Op::kAtanh, Atanh},
      {Op::kComb, Comb},
      {Op::kPerm, Perm},
      {Op::kGammaln, GammaLnRoutine},
      {Op::kX, X},
      {Op::kErf, Erf},
      {Op::kBesselj, Bessel<BesselJ>},
      {Op::kBessely, Bessel<BesselY>},
      {Op::kBesseli, Bessel<BesselI>},
      {Op::kBesselk, Bessel<BesselK>},
      {Op::kBeta, BetaRoutine},
      {Op::kBetai, BetaIRoutine},
      {Op::kGammap, GammaPRoutine},
      {Op::kGammaq, GammaQRoutine},
      {Op::kLogb, LogB},
      {Op::kCeil, Ceil},
      {Op::kFloor, Floor},
      {Op::kGauss, Gauss},
      {Op::kPoisson, Poisson},
      {Op::kIntg, Intg},
      {Op::kXyterp, XyTerp},
      {Op::kRecur, Recur},
  };
  for (const auto& r : kRoutines) RegisterFunction(uint8_t(r.op), r.routine);
  RegisterStatisticsFunctions();
  std::random_device entropy;
  TheMathState().generator.seed((uint64_t(entropy()) << 32) ^ entropy());
}

void ResetMathFunctionState() {
  TheMathState().x = 0;
  TheMathState().numericalNesting = 0;
}

double FormulaVariableX() { return TheMathState().x; }
void SetFormulaVariableX(double value) { TheMathState().x = value; }

void SeedRandomGenerator(uint64_t seed) { TheMathState().generator.seed(seed); }
