// tests/formula/functions_math_test.cpp — the mathematical, numerical and statistical functions,
// through formulas, against closed forms and published table values.
#include "formula/functions_math.h"

#include <cmath>
#include <string>
#include <string_view>

#include "evaluator_fixture.h"
#include "formula/function_library.h"
#include "formula/special_functions.h"

namespace {

constexpr double kPi = 3.141592653589793;

class MathFunctionTest : public EvaluatorTest {
 protected:
  void SetUp() override {
    EvaluatorTest::SetUp();
    RegisterMathFunctions();
    ResetMathFunctionState();
  }

  static std::string Eval(std::string_view text) { return Shown(EvaluateText(text)); }
  // The number formula text evaluates to; NaN for ERR, a string or a compile error.
  static double Value(std::string_view text) {
    EvalResult r = EvaluateText(text);
    return r.compiled && !r.error && !r.isString ? r.number : std::nan("");
  }
  // Fills rows 1, 2, ... of a column with the given entries; "" leaves a position empty.
  static void Column(std::string_view column, std::initializer_list<const char*> entries) {
    int row = 1;
    for (const char* e : entries) {
      if (*e) Enter(std::string(column) + std::to_string(row), e);
      ++row;
    }
  }
};

// A value case: formula text and the expected number with a relative tolerance (absolute when
// the expected value is 0); NaN expects ERR.
struct ValueCase {
  int line;
  const char* text;
  double expected;
  double tolerance;
};

constexpr double kErr = __builtin_nan("");

void CheckValues(const ValueCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const ValueCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EvalResult r = EvaluateText(c.text);
    ASSERT_TRUE(r.compiled);
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(r.error) << r.number;
      continue;
    }
    ASSERT_FALSE(r.error);
    ASSERT_FALSE(r.isString);
    const double bound = c.expected == 0 ? c.tolerance : std::fabs(c.expected) * c.tolerance;
    EXPECT_NEAR(r.number, c.expected, bound);
  }
}

TEST_F(MathFunctionTest, ElementaryFunctionsAndTheirDomains) {
  const ValueCase kCases[] = {
      {__LINE__, "@ABS(-2.5)", 2.5, 0},
      {__LINE__, "@INT(-2.7)", -2, 0},
      {__LINE__, "@INT(2.7)", 2, 0},
      {__LINE__, "@SQRT(2)", std::sqrt(2.0), 1e-14},
      {__LINE__, "@SQRT(-4)", kErr, 0},
      {__LINE__, "@LN(0)", kErr, 0},
      {__LINE__, "@LN(-1)", kErr, 0},
      {__LINE__, "@LOG(0)", kErr, 0},
      {__LINE__, "@LOG(1000)", 3, 1e-14},
      {__LINE__, "@LOGB(8,2)", 3, 1e-14},
      {__LINE__, "@LOGB(8,1)", kErr, 0},
      {__LINE__, "@LOGB(8,0.5)", kErr, 0},
      {__LINE__, "@LOGB(0,2)", kErr, 0},
      {__LINE__, "@EXP(1)", 2.718281828459045, 1e-14},
      {__LINE__, "@EXP(1000)", kErr, 0},
      {__LINE__, "@PI", kPi, 0},
      {__LINE__, "@SIN(@PI/6)", 0.5, 1e-14},
      {__LINE__, "@COS(@PI/3)", 0.5, 1e-14},
      {__LINE__, "@TAN(@PI/4)", 1, 1e-14},
      {__LINE__, "@CSC(0)", kErr, 0},
      {__LINE__, "@CTN(0)", kErr, 0},
      {__LINE__, "@CSC(@PI/6)", 2, 1e-14},
      {__LINE__, "@SEC(@PI/3)", 2, 1e-14},
      {__LINE__, "@CTN(@PI/4)", 1, 1e-14},
      {__LINE__, "@ATAN(1)", kPi / 4, 1e-14},
      {__LINE__, "@ASIN(1)", kPi / 2, 0},
      {__LINE__, "@ASIN(-1)", -kPi / 2, 0},
      {__LINE__, "@ASIN(0.5)", kPi / 6, 1e-14},
      {__LINE__, "@ASIN(1.0001)", kErr, 0},
      {__LINE__, "@ACOS(-1)", kPi, 0},
      {__LINE__, "@ACOS(0.5)", kPi / 3, 1e-14},
      {__LINE__, "@ACOS(-1.5)", kErr, 0},
      // ln(2 + sqrt 3) and friends; the small and large arguments catch the cancellation and
      // the overflow of the plain exponential formulas.
      {__LINE__, "@ACOSH(2)", std::log(2 + std::sqrt(3.0)), 1e-14},
      {__LINE__, "@ACOSH(0.5)", kErr, 0},
      {__LINE__, "@ASINH(-1E10)", -23.718998110500402, 1e-14},
      {__LINE__, "@ATANH(0.5)", 0.5 * std::log(3.0), 1e-14},
      {__LINE__, "@ATANH(1)", kErr, 0},
      {__LINE__, "@ATANH(-1)", kErr, 0},
      {__LINE__, "@SINH(1E-10)", 1e-10, 1e-14},
      {__LINE__, "@COSH(0)", 1, 0},
      {__LINE__, "@TANH(400)", 1, 0},
      {__LINE__, "@SINH(1000)", kErr, 0},
      {__LINE__, "@MOD(-7,3)", -1, 0},
      {__LINE__, "@MOD(7,-3)", 1, 0},
      {__LINE__, "@MOD(7.5,2)", 1.5, 0},
      {__LINE__, "@MOD(7,0)", kErr, 0},
  };
  CheckValues(kCases, std::size(kCases));
}

TEST_F(MathFunctionTest, RoundingCeilingAndFloor) {
  const ValueCase kCases[] = {
      {__LINE__, "@ROUND(2.5,0)", 3, 0},
      {__LINE__, "@ROUND(-2.5,0)", -3, 0},
      {__LINE__, "@ROUND(1234,-2)", 1200, 0},
      {__LINE__, "@ROUND(1250,-2)", 1300, 0},
      {__LINE__, "@ROUND(0.125,2)", 0.13, 1e-14},
      {__LINE__, "@ROUND(3.14159,2)", 3.14, 1e-14},
      {__LINE__, "@ROUND(1E300,2)", 1e300, 0},
      {__LINE__, "@ROUND(5,-400)", 0, 0},
      {__LINE__, "@ROUND(1.7E308,-308)", kErr, 0},  // 2E308 does not fit a double
      {__LINE__, "@CEIL(2.1,0)", 3, 0},
      {__LINE__, "@CEIL(-2.1,0)", -3, 0},
      {__LINE__, "@CEIL(2,0)", 2, 0},
      {__LINE__, "@CEIL(1.231,2)", 1.24, 1e-14},
      {__LINE__, "@CEIL(1201,-2)", 1300, 0},
      {__LINE__, "@FLOOR(2.9,0)", 2, 0},
      {__LINE__, "@FLOOR(-2.9,0)", -2, 0},
      {__LINE__, "@FLOOR(2.789,2)", 2.78, 1e-14},
      {__LINE__, "@FLOOR(1299,-2)", 1200, 0},
  };
  CheckValues(kCases, std::size(kCases));
}

TEST_F(MathFunctionTest, FactorialsPermutationsAndCombinations) {
  const ValueCase kCases[] = {
      {__LINE__, "@FACT(0)", 1, 0},
      {__LINE__, "@FACT(10)", 3628800, 0},
      {__LINE__, "@FACT(3.6)", 24, 0},
      {__LINE__, "@FACT(170)", 7.257415615307999e306, 1e-14},
      {__LINE__, "@FACT(171)", kErr, 0},
      {__LINE__, "@FACT(-1)", kErr, 0},
      {__LINE__, "@FACT(1E300)", kErr, 0},
      {__LINE__, "3!", 6, 0},
      {__LINE__, "171!", kErr, 0},
      {__LINE__, "@PERM(5,2)", 20, 0},
      {__LINE__, "@PERM(5,0)", 1, 0},
      {__LINE__, "@PERM(5,6)", kErr, 0},
      {__LINE__, "@PERM(1000,2)", 999000, 0},
      {__LINE__, "@COMB(5,2)", 10, 0},
      {__LINE__, "@COMB(52,5)", 2598960, 0},
      {__LINE__, "@COMB(200,198)", 19900, 0},
      {__LINE__, "@COMB(2,3)", kErr, 0},
      {__LINE__, "@COMB(-2,1)", kErr, 0},
      {__LINE__, "@COMB(3000,1500)", kErr, 0},  // about 1E901
      {__LINE__, "@PERM(1E300,1E300)", kErr, 0},
  };
  CheckValues(kCases, std::size(kCases));
}

TEST_F(MathFunctionTest, RandomNumbersLieInTheUnitIntervalAndFollowTheSeed) {
  SeedRandomGenerator(42);
  double first[20];
  for (double& v : first) {
    v = Value("@RAND");
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 1);
  }
  EXPECT_NE(first[0], first[1]);
  SeedRandomGenerator(42);
  for (double v : first) EXPECT_EQ(Value("@RAND"), v);
}

// Closed forms: lnG(n) = ln (n-1)!, G(1/2) = sqrt(pi), B(a, b) = G(a)G(b)/G(a+b);
// I_x(a, 1) = x^a, I_x(1, b) = 1 - (1-x)^b, I_x(2, 3) as the binomial sum;
// P(1, x) = 1 - e^-x, Q(3, x) = e^-x (1 + x + x^2/2), P(1/2, x^2) = erf x.
TEST_F(MathFunctionTest, GammaBetaAndErrorFunctionsMatchClosedForms) {
  const double x = 0.4;
  const ValueCase kCases[] = {
      {__LINE__, "@GAMMALN(1)", 0, 1e-12},
      {__LINE__, "@GAMMALN(2)", 0, 1e-12},
      {__LINE__, "@GAMMALN(5)", std::log(24.0), 1e-10},
      {__LINE__, "@GAMMALN(0.5)", std::log(std::sqrt(kPi)), 1e-10},
      {__LINE__, "@GAMMALN(0.01)", std::lgamma(0.01), 1e-10},
      {__LINE__, "@GAMMALN(171)", std::lgamma(171.0), 1e-10},
      {__LINE__, "@GAMMALN(0)", kErr, 0},
      {__LINE__, "@GAMMALN(-2)", kErr, 0},
      {__LINE__, "@BETA(2,3)", 1.0 / 12, 1e-10},
      {__LINE__, "@BETA(0.5,0.5)", kPi, 1e-10},
      {__LINE__, "@BETA(0,1)", kErr, 0},
      {__LINE__, "@BETAI(2.5,1,0.3)", std::pow(0.3, 2.5), 3e-7},
      {__LINE__, "@BETAI(1,3,0.4)", 1 - std::pow(0.6, 3), 3e-7},
      {__LINE__, "@BETAI(2,3,0.4)", 6 * x * x * 0.36 + 4 * x * x * x * 0.6 + x * x * x * x, 3e-7},
      {__LINE__, "@BETAI(2,3,0)", 0, 0},
      {__LINE__, "@BETAI(2,3,1)", 1, 0},
      {__LINE__, "@BETAI(2,3,1.5)", kErr, 0},
      {__LINE__, "@BETAI(0,3,0.5)", kErr, 0},
      {__LINE__, "@GAMMAP(1,2.5)", -std::expm1(-2.5), 3e-7},
      {__LINE__, "@GAMMAP(1,0)", 0, 0},
      {__LINE__, "@GAMMAQ(3,2)", 5 * std::exp(-2.0), 3e-7},
      {__LINE__, "@GAMMAQ(1,30)", std::exp(-30.0), 3e-7},  // the tail keeps relative accuracy
      {__LINE__, "@GAMMAP(0.5,0.09)", std::erf(0.3), 3e-7},
      {__LINE__, "@GAMMAP(-1,1)", kErr, 0},
      {__LINE__, "@GAMMAP(1,-1)", kErr, 0},
      {__LINE__, "@GAMMAP(1E6,1E6)", kErr, 0},  // needs far more than 100 terms
      {__LINE__, "@ERF(0)", 0, 0},
      {__LINE__, "@ERF(1)", 0.8427007929497149, 3e-7},
      {__LINE__, "@ERF(-0.3)", -0.3286267594591112, 3e-7},
      {__LINE__, "@ERF(2)", 0.9953222650189527, 3e-7},
      {__LINE__, "@ERF(30)", 1, 0},
  };
  CheckValues(kCases, std::size(kCases));
}

// Values from the published tables of Bessel functions (10 to 16 digits).
TEST_F(MathFunctionTest, BesselFunctionsMatchPublishedTables) {
  const ValueCase kCases[] = {
      {__LINE__, "@BESSELJ(1,0)", 0.7651976865579666, 1e-12},
      {__LINE__, "@BESSELJ(2,0)", 0.2238907791412357, 1e-12},
      {__LINE__, "@BESSELJ(1,1)", 0.4400505857449335, 1e-12},
      {__LINE__, "@BESSELJ(1,2)", 0.1149034849319005, 1e-12},
      {__LINE__, "@BESSELJ(1,10)", 2.630615123687453e-10, 1e-10},
      {__LINE__, "@BESSELJ(10,0)", -0.2459357644513483, 1e-12},
      {__LINE__, "@BESSELJ(10,5)", -0.2340615281867936, 1e-12},
      {__LINE__, "@BESSELJ(-1,1)", -0.4400505857449335, 1e-12},
      {__LINE__, "@BESSELJ(-1,2)", 0.1149034849319005, 1e-12},
      {__LINE__, "@BESSELJ(0,3)", 0, 0},
      {__LINE__, "@BESSELJ(1,-1)", kErr, 0},
      {__LINE__, "@BESSELY(1,0)", 0.08825696421567696, 1e-12},
      {__LINE__, "@BESSELY(1,1)", -0.7812128213002887, 1e-12},
      {__LINE__, "@BESSELY(1,2)", -1.650682606816254, 1e-12},
      {__LINE__, "@BESSELY(10,1)", 0.2490154242069539, 1e-12},
      {__LINE__, "@BESSELY(0,0)", kErr, 0},
      {__LINE__, "@BESSELY(-1,0)", kErr, 0},
      {__LINE__, "@BESSELY(1E-300,5)", kErr, 0},  // overflows
      {__LINE__, "@BESSELI(1,0)", 1.266065877752008, 1e-12},
      {__LINE__, "@BESSELI(1,1)", 0.5651591039924851, 1e-12},
      {__LINE__, "@BESSELI(1,2)", 0.1357476697670383, 1e-12},
      {__LINE__, "@BESSELI(-1,1)", -0.5651591039924851, 1e-12},
      {__LINE__, "@BESSELI(10,0)", 2815.716628466254, 1e-12},
      {__LINE__, "@BESSELI(1000,0)", kErr, 0},
      {__LINE__, "@BESSELK(1,0)", 0.4210244382407084, 1e-12},
      {__LINE__, "@BESSELK(1,1)", 0.6019072301972346, 1e-12},
      {__LINE__, "@BESSELK(1,2)", 1.624838898635177, 1e-12},
      {__LINE__, "@BESSELK(0,1)", kErr, 0},
  };
  CheckValues(kCases, std::size(kCases));
}

// The Wronskians J(n+1)Y(n) - J(n)Y(n+1) = 2/(pi x) and I(n)K(n+1) + I(n+1)K(n) = 1/x tie the
// four functions together at orders and arguments where each takes another path (upward
// recurrence, Miller's recurrence, the power series).
TEST_F(MathFunctionTest, BesselWronskiansHold) {
  const struct {
    int line;
    double x;
    int n;
  } kCases[] = {{__LINE__, 3, 5}, {__LINE__, 30, 7}, {__LINE__, 0.5, 2}, {__LINE__, 80, 60}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    double j0, j1, y0, y1, i0, i1, k0, k1;
    ASSERT_TRUE(BesselJ(c.x, c.n, &j0) && BesselJ(c.x, c.n + 1, &j1));
    ASSERT_TRUE(BesselY(c.x, c.n, &y0) && BesselY(c.x, c.n + 1, &y1));
    ASSERT_TRUE(BesselI(c.x, c.n, &i0) && BesselI(c.x, c.n + 1, &i1));
    ASSERT_TRUE(BesselK(c.x, c.n, &k0) && BesselK(c.x, c.n + 1, &k1));
    const double w1 = 2 / (kPi * c.x), w2 = 1 / c.x;
    EXPECT_NEAR(j1 * y0 - j0 * y1, w1, w1 * 1e-10);
    EXPECT_NEAR(i0 * k1 + i1 * k0, w2, w2 * 1e-10);
  }
}

TEST_F(MathFunctionTest, GaussAndPoisson) {
  const ValueCase kCases[] = {
      {__LINE__, "@GAUSS(0,0,1)", 1 / std::sqrt(2 * kPi), 1e-14},
      {__LINE__, "@GAUSS(5,3,2)", std::exp(-0.5) / (2 * std::sqrt(2 * kPi)), 1e-14},
      {__LINE__, "@GAUSS(1,0,0)", kErr, 0},
      {__LINE__, "@GAUSS(1,0,-1)", kErr, 0},
      {__LINE__, "@POISSON(0,2,1.5)", std::exp(-3.0), 1e-14},
      {__LINE__, "@POISSON(2,1,4)", 8 * std::exp(-4.0), 1e-14},
      {__LINE__, "@POISSON(0,0,1)", 1, 0},
      {__LINE__, "@POISSON(-1,1,1)", kErr, 0},
      {__LINE__, "@POISSON(1,-1,1)", kErr, 0},
  };
  CheckValues(kCases, std::size(kCases));
}

TEST_F(MathFunctionTest, ErrorsPropagateFromEveryArgument) {
  const char* kCases[] = {
      "@SIN(@ERR)",       "@ROUND(@ERR,1)",       "@ROUND(1,@ERR)",        "@MOD(1/0,2)",
      "@BESSELJ(@ERR,1)", "@BETAI(1,1,@ERR)",     "@FACT(@ERR)",           "@SUM(@ERR,1)",
      "@SUM(1,@ERR)",     "@COUNT(1/0)",          "@MAX(1,2,@ERR)",        "@ISERR(@SQRT(-1))-1",
      "@GAUSS(0,@ERR,1)", "@INTG(\"@X\",@ERR,1)", "@RECUR(\"@X\",0,@ERR)",
  };
  for (const char* text : kCases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Eval(text), std::string(text).starts_with("@ISERR") ? "0" : "ERR");
  }
}

TEST_F(MathFunctionTest, ListStatisticsTakeNumericCellsOfRangesAndEveryValue) {
  Column("A", {"1", "label", "2"});
  Column("B", {"1", "1/0", "2"});
  Column("C", {"1", "@NA", "2"});
  Column("D", {"+A1*0+5", "3"});
  Enter("E1", "'text");
  const char* kCases[][2] = {
      {"@SUM(A1..A3)", "3"},
      {"@COUNT(A1..A3)", "2"},
      {"@AVG(A1..A3)", "1.5"},
      {"@SUM(A1..A3,10)", "13"},
      {"@SUM(B1..B3)", "ERR"},
      {"@MAX(B1..B3)", "ERR"},
      {"@SUM(C1..C3)", "2"},
      {"@SUM(D1..D2)", "8"},
      {"@AVG(F1..F5)", "ERR"},
      {"@COUNT(F1..F5)", "0"},
      {"@MIN(F1..F5)", "0"},
      {"@MAX(F1..F5)", "0"},
      {"@SUM(E1)", "0"},
      {"@COUNT(E1)", "0"},
      {"@COUNT(E1&\"\")", "1"},  // a computed string is a value
      {"@COUNT(\"a\",1)", "2"},
      {"@MIN(3,-2,7.5)", "-2"},
      {"@MAX(A1..A3,-5)", "2"},
      {"@VAR(1,2,3,4)", "1.25"},
      {"@VARU(1,2,3,4)", "1.66666666666667"},
      {"@STD(2,4,4,4,5,5,7,9)", "2"},
      {"@STDU(1,2,3,4)", "1.29099444873581"},
      {"@VAR(1000000001,1000000002,1000000003)", "0.666666666666667"},
      {"@VARU(5)", "ERR"},
      {"@VAR(A1..A3)", "0.25"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Eval(c[0]), c[1]);
  }
}

TEST_F(MathFunctionTest, RangeStatisticsOfOneToFour) {
  Column("A", {"1", "2", "3", "4"});
  Column("B", {"1", "2", "3", "'four"});  // the label counts as 0
  Column("C", {"1", "2", "3", "1/0"});    // so does the ERR cell, without making the result ERR
  const double v = 5.0 / 3;               // the variance of 1..4 and of 1, 2, 3, 0
  const struct {
    int line;
    const char* function;
    double onFour;
    double onZero;
  } kCases[] = {
      {__LINE__, "AVEDEV", 1, 1},
      {__LINE__, "SKEW", 0, 0},
      {__LINE__, "KURT", 10.25 / (4 * v * v - 3), 10.25 / (4 * v * v - 3)},
      {__LINE__, "COV", std::sqrt(v) / 2.5, std::sqrt(v) / 1.5},
      {__LINE__, "MEDIAN", 2.5, 1.5},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.function);
    const std::string f = std::string("@") + c.function;
    EXPECT_NEAR(Value(f + "(A1..A4)"), c.onFour, 1e-14);
    EXPECT_NEAR(Value(f + "(B1..B4)"), c.onZero, 1e-14);
    EXPECT_NEAR(Value(f + "(C1..C4)"), c.onZero, 1e-14);
    EXPECT_EQ(Eval(f + "(1+1)"), "ERR");  // a computed value is no range
  }
  EXPECT_NEAR(Value("@KURT(A1..A4)"), 1.2637, 1e-4);
  EXPECT_NEAR(Value("@COV(A1..A4)"), 0.5164, 1e-4);
}

TEST_F(MathFunctionTest, MomentStatisticsNeedSpreadAndSeveralPositions) {
  Column("A", {"7", "7", "7"});
  Column("B", {"-1", "1"});
  const char* kCases[][2] = {
      {"@AVEDEV(A1)", "ERR"},
      {"@AVEDEV(A1..A3)", "ERR"},
      {"@SKEW(A1..A3)", "ERR"},
      {"@KURT(A1..A3)", "ERR"},
      {"@COV(A1..A3)", "ERR"},
      {"@COV(B1..B2)", "ERR"},
      {"@AVEDEV(B1..B2)", "1"},
      {"@SKEW(B1..B2)", "0"},
      // n v^2 - 3 with v = 2 and n = 2 is 5: the 3 sits inside the divisor.
      {"@KURT(B1..B2)", "0.4"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Eval(c[0]), c[1]);
  }
}

TEST_F(MathFunctionTest, MedianFindsTheMiddleWithoutSorting) {
  const struct {
    int line;
    std::initializer_list<const char*> values;
    const char* median;
  } kCases[] = {
      {__LINE__, {"3", "1", "4", "2", "5"}, "3"},
      {__LINE__, {"10", "-2", "7.5", "3", "100", "0.5"}, "5.25"},
      {__LINE__, {"1", "2", "3", "3", "9"}, "3"},
      {__LINE__, {"1", "2", "3", "4", "4", "4", "4", "4"}, "4"},
      {__LINE__, {"5", "0", "0", "0"}, "0"},
      {__LINE__, {"-1E300", "1E-300", "2E-300", "1E300"}, "1.5e-300"},
      {__LINE__, {"2000000", "1", "3000000"}, "2000000"},
      {__LINE__, {"8", "8", "8"}, "8"},
      {__LINE__, {"42"}, "42"},
  };
  int column = 0;
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const std::string letter(1, char('A' + column++));
    Column(letter, c.values);
    const std::string range = letter + "1.." + letter + std::to_string(c.values.size());
    EXPECT_EQ(Eval("@MEDIAN(" + range + ")"), c.median);
  }
  EXPECT_EQ(Eval("@MEDIAN(Z1..Z5)"), "ERR");  // nothing in it
}

TEST_F(MathFunctionTest, CountACountsFormulasNumbersAndLabels) {
  Column("A", {"5", "'label", "+1+1", "", "", "1/0"});
  Enter("C1", "+A4");  // makes a blank record at A4; A5 stays empty
  EXPECT_EQ(Eval("@COUNTA(A1..A5)"), "3");
  EXPECT_EQ(Eval("@COUNTA(A1..A6)"), "3");  // a formula marked ERR is not counted
  EXPECT_EQ(Eval("@COUNTA(A1..C9)"), "4");
}

TEST_F(MathFunctionTest, DeterminantRankAndTrace) {
  Column("A", {"4", "1", "2"});
  Column("B", {"3", "3", "1"});
  Column("C", {"2", "1", "5"});
  Column("E", {"1", "2"});
  Column("F", {"2", "4"});
  const char* kCases[][2] = {
      {"@DET(A1..C3)", "37"},  {"@DET(A1..B2)", "9"},    {"@DET(E1..F2)", "0"},
      {"@DET(A1..C2)", "ERR"}, {"@TRACE(A1..C3)", "12"}, {"@TRACE(A1..C2)", "ERR"},
      {"@RANK(A1..C3)", "3"},  {"@RANK(E1..F2)", "1"},   {"@RANK(A1..C2)", "2"},
      {"@RANK(G1..H4)", "0"},  {"@DET(7)", "ERR"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Eval(c[0]), c[1]);
  }
}

TEST_F(MathFunctionTest, CovarAndPsumPairPositionsInRangeOrder) {
  Column("A", {"1", "2", "3"});
  Column("B", {"2", "4", "7"});
  Enter("D1", "2");
  Enter("E1", "4");
  Enter("F1", "7");
  Column("G", {"1", "'x", "3"});
  Column("H", {"1", "1/0", "3"});
  const char* kCases[][2] = {
      {"@PSUM(A1..A3,B1..B3)", "31"},
      {"@COVAR(A1..A3,B1..B3)", "1.66666666666667"},
      {"@PSUM(A1..A3,D1..F1)", "31"},  // shapes may differ when the counts agree
      {"@PSUM(A1..A3,B1..B2)", "ERR"},
      {"@PSUM(G1..G3,B1..B3)", "23"},  // the pair with the label is left out
      {"@COVAR(G1..G3,B1..B3)", "2.5"},
      {"@PSUM(H1..H3,B1..B3)", "ERR"},
      {"@COVAR(A1..A3,H1..H3)", "ERR"},
      {"@PSUM(Z1..Z3,B1..B3)", "0"},
      {"@COVAR(Z1..Z3,B1..B3)", "ERR"},
      {"@PSUM(A1..A3,5)", "ERR"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Eval(c[0]), c[1]);
  }
}

TEST_F(MathFunctionTest, RombergIntegration) {
  const ValueCase kCases[] = {
      {__LINE__, "@INTG(\"@X^2\",0,1)", 1.0 / 3, 1e-14},
      {__LINE__, "@INTG(\"@x^7-@x\",0,2)", 32 - 2, 1e-13},  // exact to degree 7
      {__LINE__, "@INTG(\"@SIN(@X)\",0,@PI)", 2, 1e-10},
      {__LINE__, "@INTG(\"@EXP(@X)\",1,0)", 1 - std::exp(1.0), 1e-12},
      {__LINE__, "@INTG(\"5\",0,2)", 10, 1e-14},
      {__LINE__, "@INTG(\"@X+\",0,1)", kErr, 0},
      {__LINE__, "@INTG(\"1/@X\",0,1)", kErr, 0},
      {__LINE__, "@INTG(3,0,1)", kErr, 0},
  };
  CheckValues(kCases, std::size(kCases));
  // The integration variable is 0 afterwards, and nested integrals keep their own. Formula
  // text may come from a label.
  EXPECT_EQ(Value("@X"), 0);
  Enter("E1", "'@X");
  Enter("E2", "'@X*@INTG(E1,0,1)+@X");
  EXPECT_NEAR(Value("@INTG(E2,0,1)"), 0.75, 1e-14);
  Enter("E3", "'+E4");
  Enter("E4", "'text");
  EXPECT_EQ(Eval("@INTG(E3,0,1)"), "ERR");  // a string integrand
}

TEST_F(MathFunctionTest, IntegrandCallingAUserFunctionIsErr) {
  ASSERT_TRUE(AddLibraryFunction("SQ", "@A(1)*@A(1)", 1));
  EXPECT_NEAR(Value("@SQ(3)"), 9, 0);
  EXPECT_EQ(Eval("@INTG(\"@SQ(@X)\",0,1)"), "ERR");
}

TEST_F(MathFunctionTest, FixedPointIteration) {
  // Newton's step for sqrt 2 converges in a few evaluations; x/2 + 1 halves its distance to 2
  // each time and needs more than 20; cos x converges too slowly as well.
  EXPECT_NEAR(Value("@RECUR(\"(@X+2/@X)/2\",1,1E-12)"), std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(Value("@X"), std::sqrt(2.0), 1e-12);
  EXPECT_EQ(Eval("@RECUR(\"@X/2+1\",0,1E-3)"), "1.9990234375");  // the 11th evaluation
  EXPECT_EQ(Eval("@RECUR(\"@X/2+1\",0,1E-9)"), "ERR");
  EXPECT_EQ(Eval("@RECUR(\"@COS(@X)\",1,1E-12)"), "ERR");
  EXPECT_EQ(Eval("@RECUR(\"@X+\",1,1)"), "ERR");
  EXPECT_EQ(Eval("@RECUR(\"1/@X\",0,1)"), "ERR");
}

TEST_F(MathFunctionTest, XytInterpolatesInATwoWayTable) {
  // B1..C1: the y keys; A2..A3: the x keys; B2..C3: the values.
  Enter("B1", "10");
  Enter("C1", "20");
  Column("A", {"", "1", "2"});
  Column("B", {"10", "100", "300"});
  Column("C", {"20", "200", "400"});
  const char* kCases[][2] = {
      {"@XYTERP(A1..C3,1,10)", "100"},   {"@XYTERP(A1..C3,1.5,10)", "200"},
      {"@XYTERP(A1..C3,1,15)", "150"},   {"@XYTERP(A1..C3,1.5,15)", "250"},
      {"@XYTERP(A1..C3,2,20)", "400"},   {"@XYTERP(A1..C3,2,12.5)", "325"},
      {"@XYTERP(A1..C3,0.5,15)", "ERR"}, {"@XYTERP(A1..C3,2.5,15)", "ERR"},
      {"@XYTERP(A1..C3,1,25)", "ERR"},   {"@XYTERP(A1..A3,1,10)", "ERR"},
      {"@XYTERP(5,1,10)", "ERR"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Eval(c[0]), c[1]);
  }
}

TEST_F(MathFunctionTest, FormulasInCellsRecalculate) {
  Column("A", {"1", "2", "3", "4"});
  Enter("B1", "@MEDIAN(A1..A4)");
  Enter("B3", "@SUM(A1..A4)");
  Enter("B2", "+B3!");
  EXPECT_EQ(Shown("B1"), "2.5");
  EXPECT_EQ(Shown("B2"), "3628800");
  Enter("A4", "'gone");
  EXPECT_EQ(Shown("B1"), "1.5");
  EXPECT_EQ(Shown("B2"), "720");
  Enter("A1", "1/0");
  EXPECT_EQ(Shown("B2"), "ERR");
  ExpectSound();
}

}  // namespace
