// Tests of the financial, date and time and information @-functions, and of error propagation
// through the functions of functions_sheet.h. Expected values come from closed forms, an
// amortisation schedule worked period by period, and the calendar.
#include <sys/time.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "core/number_settings.h"
#include "sheet_functions_fixture.h"

namespace {

struct NumberCase {
  int line;
  const char* formula;
  double expected;
};

void ExpectNumbers(const NumberCase* cases, size_t n, double tolerance) {
  for (size_t i = 0; i < n; ++i) {
    const NumberCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.formula);
    EvalResult r = EvaluateText(c.formula);
    ASSERT_TRUE(r.compiled);
    ASSERT_FALSE(r.error);
    ASSERT_FALSE(r.isString);
    EXPECT_RELATIVE(r.number, c.expected, tolerance);
  }
}

using FinanceTest = SheetFunctionTest;

TEST_F(FinanceTest, AnnuitiesTermsAndDepreciationMatchTheirClosedForms) {
  const NumberCase kCases[] = {
      {__LINE__, "@PMT(1000,0.01,12)", 88.84878867834168},
      {__LINE__, "@PMT(250000,0.005,360)", 1498.8763128818923},
      {__LINE__, "@PV(100,0.01,12)", 1125.5077473484635},
      {__LINE__, "@FV(100,0.01,12)", 1268.2503013196979},
      {__LINE__, "@FV(1,1,10)", 1023},
      {__LINE__, "@RATE(2000,1000,10)", 0.07177346253629313},  // 2^0.1 - 1
      {__LINE__, "@TERM(100,0.05,1000)", 8.31038622252056},     // ln 1.5 / ln 1.05
      {__LINE__, "@CTERM(0.05,2000,1000)", 14.206699082890461},  // ln 2 / ln 1.05
      {__LINE__, "@SLN(10000,1000,5)", 1800},
      {__LINE__, "@SYD(10000,1000,5,1)", 3000},
      {__LINE__, "@SYD(10000,1000,5,5)", 600},
      // Book values 10000, 6000, 3600, 2160, 1296; the fifth period stops at the salvage 1000.
      {__LINE__, "@DDB(10000,1000,5,1)", 4000},
      {__LINE__, "@DDB(10000,1000,5,5)", 296},
      {__LINE__, "@DDB(5000,4000,5,1)", 1000},
      {__LINE__, "@DDB(5000,4000,5,3)", 0},
      {__LINE__, "@DDB(1000,0,8,8)", 33.3709716796875},  // 1000 * 0.75^7 * 0.25
      {__LINE__, "@DDB(1000,0,8,7.6)", 33.3709716796875},  // the period is rounded
  };
  ExpectNumbers(kCases, std::size(kCases), 1e-12);
}

TEST_F(FinanceTest, DdbStepsAndClosedFormAgreeAcrossLongLives) {
  // A life of a million periods: period 100000 is stepped through, 100001 is computed directly.
  const double rate = 2e-6;
  const NumberCase kCases[] = {
      {__LINE__, "@DDB(1000000,0,1000000,100000)", 1e6 * std::pow(1 - rate, 99999) * rate},
      {__LINE__, "@DDB(1000000,0,1000000,100001)", 1e6 * std::pow(1 - rate, 100000) * rate},
      {__LINE__, "@DDB(1000000,0,1000000,1000000)", 1e6 * std::pow(1 - rate, 999999) * rate},
      {__LINE__, "@DDB(1000000,999990,1000000,500000)", 0},
  };
  ExpectNumbers(kCases, std::size(kCases), 1e-9);
}

TEST_F(FinanceTest, LoanBalanceInterestAndPrincipalFollowTheSchedule) {
  // 10000 at 1% over 24 payments, worked period by period: after 6 payments the balance is
  // 7719.2344..., the interest paid 543.6427..., and payment 6 repays 389.6459... of principal.
  const NumberCase kCases[] = {
      {__LINE__, "@BAL(10000,0.01,24,6)", 7719.234405522767},
      {__LINE__, "@ACI(10000,0.01,24,6)", 543.6427389186474},
      {__LINE__, "@PMTP(10000,0.01,24,6)", 389.64591898754355},
      {__LINE__, "@PMTP(10000,0.01,24,1)", 470.7347222326467 - 100},
  };
  ExpectNumbers(kCases, std::size(kCases), 1e-9);
  EXPECT_NEAR(Value("@BAL(10000,0.01,24,24)"), 0, 1e-9);
}

TEST_F(FinanceTest, DomainErrorsAreErr) {
  const char* const kFormulas[] = {
      "@PMT(1000,0,12)",     "@PV(100,0,12)",       "@FV(100,0,12)",       "@PMT(1000,0.01,0)",
      "@RATE(2000,0,10)",    "@RATE(-2000,1000,3)", "@RATE(2000,1000,0)", "@TERM(0,0.05,1000)",
      "@TERM(100,0,1000)",   "@TERM(-10,0.05,1000)", "@CTERM(0.05,-1,1000)", "@CTERM(0,2,1)",
      "@SLN(1,0,0)",         "@SYD(100,0,5,6)",     "@SYD(100,0,5,0)",     "@SYD(100,0,0,0)",
      "@DDB(100,0,5,6)",     "@DDB(100,0,5,0)",     "@DDB(100,0,0,1)",     "@DDB(100,0,-5,1)",
      "@BAL(1000,0,12,1)",   "@BAL(1000,-0.01,12,1)", "@ACI(1000,0,12,1)",  "@PMTP(1000,0,12,1)",
      "@NPV(0.1,5)",         "@IRR(0.1,5)",
  };
  for (const char* formula : kFormulas) {
    SCOPED_TRACE(formula);
    EXPECT_EQ(Eval(formula), "ERR");
  }
}

TEST_F(FinanceTest, NpvAndIrrReadTheNumericCellsOfTheRange) {
  Enter("A1", "-1000");
  Enter("A2", "300");
  Enter("A3", "400");
  Enter("A4", "500");
  Enter("A6", "'note");  // a label: passed over, it takes no period
  // -1000/1.1 + 300/1.1^2 + 400/1.1^3 + 500/1.1^4
  EXPECT_RELATIVE(Value("@NPV(0.1,A1..A4)"), -19.124376750222098, 1e-12);
  EXPECT_RELATIVE(Value("@NPV(0.1,A1..A6)"), -19.124376750222098, 1e-12);
  EXPECT_RELATIVE(Value("@NPV(0,A1..A4)"), 200, 1e-12);
  // The rate found by bisection of the same sum.
  EXPECT_RELATIVE(Value("@IRR(0.1,A1..A6)"), 0.08896339469335, 1e-9);
  EXPECT_RELATIVE(Value("@IRR(-0.5,A1..A4)"), 0.08896339469335, 1e-9);

  Enter("B1", "-100");
  Enter("B2", "110");
  EXPECT_RELATIVE(Value("@IRR(0,B1..B2)"), 0.1, 1e-12);  // a guess of 0 still moves
  EXPECT_RELATIVE(Value("@IRR(0.3,B1..B2)"), 0.1, 1e-12);

  Enter("C1", "100");
  Enter("C2", "100");
  EXPECT_EQ(Eval("@IRR(0.1,C1..C2)"), "ERR");  // no rate makes it 0

  Enter("D1", "0");
  Enter("D2", "0");
  EXPECT_EQ(Eval("@IRR(0.07,D1..D2)"), "0.07");  // every rate does: the guess stands

  Enter("A5", "@ERR");  // an error cell inside the range
  EXPECT_EQ(Eval("@NPV(0.1,A1..A6)"), "ERR");
  EXPECT_EQ(Eval("@IRR(0.1,A1..A6)"), "ERR");
}

using DateTimeTest = SheetFunctionTest;

TEST_F(DateTimeTest, DatesAndTheirPartsFollowTheCalendar) {
  const NumberCase kCases[] = {
      {__LINE__, "@DATE(2000,1,1)", 36526},
      {__LINE__, "@DATE(1900,3,1)", 61},
      {__LINE__, "@DATE(2024,2,29)", 45351},
      {__LINE__, "@DATE(1996,12,8)", 35407},
      {__LINE__, "@DATE(1582,10,15)", -115858},
      {__LINE__, "@DATE(1582,10,4)", -115859},  // the Julian day before
      {__LINE__, "@YEAR(34895)", 1995},          // 15 July 1995
      {__LINE__, "@MONTH(34895)", 7},
      {__LINE__, "@DAY(34895)", 15},
      {__LINE__, "@MONTH(45351.5)", 2},
      {__LINE__, "@DAY(45351.5)", 29},
      {__LINE__, "@DAY(73050)", 31},  // 31 December 2099
      {__LINE__, "@YEAR(73050)", 2099},
      {__LINE__, "@YEAR(-115859)", 1582},
      {__LINE__, "@DAY(-115859)", 4},
      {__LINE__, "@HOUR(0.75)", 18},
      {__LINE__, "@HOUR(45000.640625)", 15},  // 15:22:30
      {__LINE__, "@MINUTE(45000.640625)", 22},
      {__LINE__, "@SECOND(45000.640625)", 30},
      {__LINE__, "@MINUTE(0.0078125)", 11},  // 0:11:15
      {__LINE__, "@SECOND(0.0078125)", 15},
      {__LINE__, "@TIME(12,0,0)", 0.5},
      {__LINE__, "@TIME(6,30,0)", 6.5 / 24},
      {__LINE__, "@TIME(0,90,0)", 1.5 / 24},
      {__LINE__, "@TIME(23,59,59)", 86399.0 / 86400},
  };
  ExpectNumbers(kCases, std::size(kCases), 1e-12);
}

TEST_F(DateTimeTest, DatesThatDoNotExistAreErr) {
  const char* const kFormulas[] = {"@DATE(2023,2,29)", "@DATE(2000,13,1)", "@DATE(2000,0,1)",
                                   "@DATE(2000,1,0)",  "@DATE(2000,4,31)", "@DATE(1582,10,10)",
                                   "@DATE(1e300,1,1)", "@YEAR(1e300)",     "@DAY(-1e300)"};
  for (const char* formula : kFormulas) {
    SCOPED_TRACE(formula);
    EXPECT_EQ(Eval(formula), "ERR");
  }
}

TEST_F(DateTimeTest, TodayReadsThePlatformClock) {
  HeadlessPlatform& p = TheHeadlessPlatform();
  p.fixedTime = true;
  p.time = std::tm{};
  p.time.tm_year = 2023 - 1900;
  p.time.tm_mon = 5;  // June
  p.time.tm_mday = 15;
  p.time.tm_hour = 14;
  p.time.tm_min = 30;
  EXPECT_RELATIVE(Value("@TODAY"), 45092 + 14.5 / 24, 1e-12);
  EXPECT_EQ(Eval("@YEAR(@TODAY)"), "2023");
  EXPECT_EQ(Eval("@HOUR(@TODAY)"), "14");
}

TEST_F(DateTimeTest, DatevalAndTimevalReadEntryTexts) {
  const NumberCase kCases[] = {
      {__LINE__, "@DATEVAL(\"12/08/1996\")", 35407},  // month first
      {__LINE__, "@DATEVAL(\"08-Dec-1996\")", 35407},
      {__LINE__, "@TIMEVAL(\"15:07\")", (15 * 60 + 7) / 1440.0},
      {__LINE__, "@TIMEVAL(\"3 pm\")", 0.625},
      {__LINE__, "@TIMEVAL(\"3:07:09pm\")", (15 * 3600 + 7 * 60 + 9) / 86400.0},
  };
  ExpectNumbers(kCases, std::size(kCases), 1e-12);
  EXPECT_EQ(Eval("@DATEVAL(\"hello\")"), "ERR");
  EXPECT_EQ(Eval("@DATEVAL(\"02/30/1996\")"), "ERR");
  EXPECT_EQ(Eval("@TIMEVAL(\"25:00\")"), "ERR");
  EXPECT_EQ(Eval("@TIMEVAL(1)"), "ERR");

  NumberFormatSettings().usDateOrder = false;  // day first: 12 August
  EXPECT_EQ(Eval("@DATEVAL(\"12/08/1996\")"), "35289");
}

using InfoFunctionTest = SheetFunctionTest;

TEST_F(InfoFunctionTest, VersionAndSystemFigures) {
  EXPECT_EQ(Eval("@VERSION"), "1.6028");
  EXPECT_EQ(Eval("@DOSVER"), "\"N/A\"");

  struct Case {
    int line;
    const char* system;
    const char* osver;
  };
  const Case kCases[] = {
      {__LINE__, "Linux 6.1.0-18-amd64", "6.001"},
      {__LINE__, "Linux 5.15.90", "5.015"},
      {__LINE__, "Windows 10.0.19045", "10"},
      {__LINE__, "Plan 9", "9"},
      {__LINE__, "unknown", "0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    TheHeadlessPlatform().systemVersion = c.system;
    EXPECT_EQ(Eval("@OSVER"), c.osver);
  }

  TheHeadlessPlatform().physicalMemory = 123456789;
  EXPECT_EQ(Eval("@MEMAVAIL(2)"), "123456789");
  EXPECT_GT(Value("@MEMAVAIL(1)"), 0);
  const double before = Value("@MEMAVAIL(0)");
  for (int row = 1; row <= 100; ++row) Enter("A" + std::to_string(row), "'some text");
  EXPECT_LT(Value("@MEMAVAIL(0)"), before);  // the cells took pool memory
  EXPECT_EQ(Eval("@MEMAVAIL(3)"), "ERR");
  EXPECT_EQ(Eval("@MEMAVAIL(-1)"), "ERR");
}

TEST_F(InfoFunctionTest, SheetAndWindowState) {
  Options().setManualRecalc(false);
  EXPECT_EQ(Eval("@AUTO"), "1");
  Options().setManualRecalc(true);
  EXPECT_EQ(Eval("@AUTO"), "0");

  EXPECT_EQ(Eval("@PROTECT"), "0");
  Options().setProtection(true);
  EXPECT_EQ(Eval("@PROTECT"), "1");

  TheHeadlessPlatform().viewSettings[0] = 150;
  TheHeadlessPlatform().viewSettings[1] = 1;
  EXPECT_EQ(Eval("@QVIEW(0)"), "150");
  EXPECT_EQ(Eval("@QVIEW(1)"), "1");
  EXPECT_EQ(Eval("@QVIEW(2)"), "ERR");
  EXPECT_EQ(Eval("@QVIEW(-1)"), "ERR");

  EXPECT_EQ(Eval("@FILENAME"), "\"SHEET1.WKS\"");
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(Eval("@PATH"), "\"" + std::string(cwd).substr(0, 240) + "\"");
}

TEST_F(InfoFunctionTest, IoresultIsReadOnce) {
  EXPECT_EQ(Eval("@IORESULT"), "0");
  SetIoResult(5);
  EXPECT_EQ(PeekIoResult(), 5);
  EXPECT_EQ(Eval("@IORESULT"), "5");
  EXPECT_EQ(Eval("@IORESULT"), "0");
}

TEST_F(InfoFunctionTest, FileinfoReportsSizeAccessStampAndPath) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tallivo_fileinfo";
  std::filesystem::create_directories(dir);
  const std::string name = (dir / "data.txt").string();
  {
    std::ofstream out(name, std::ios::binary);
    out << "12345";
  }
  // Stamp the file 3 February 2001, 04:05:06 local time.
  std::tm local{};
  local.tm_year = 101;
  local.tm_mon = 1;
  local.tm_mday = 3;
  local.tm_hour = 4;
  local.tm_min = 5;
  local.tm_sec = 6;
  local.tm_isdst = -1;
  const timeval times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(utimes(name.c_str(), times), 0);

  const std::string quoted = "\"" + name + "\"";
  EXPECT_EQ(Eval("@FILEINFO(" + quoted + ",1)"), "5");
  EXPECT_EQ(Eval("@FILEINFO(" + quoted + ",2)"), "1");
  EXPECT_RELATIVE(Value("@FILEINFO(" + quoted + ",3)"), 36925 + (4 * 3600 + 5 * 60 + 6) / 86400.0,
                  1e-12);
  EXPECT_EQ(Eval("@FILEINFO(" + quoted + ",4)"), quoted);
  EXPECT_EQ(Eval("@FILEINFO(" + quoted + ",5)"), "ERR");
  EXPECT_EQ(Eval("@FILEINFO(" + quoted + ",0)"), "ERR");

  const std::string missing = "\"" + (dir / "missing.txt").string() + "\"";
  EXPECT_EQ(Eval("@FILEINFO(" + missing + ",2)"), "0");
  EXPECT_EQ(Eval("@FILEINFO(" + missing + ",1)"), "ERR");
  EXPECT_EQ(Eval("@FILEINFO(" + missing + ",3)"), "ERR");
  EXPECT_EQ(Eval("@FILEINFO(\"\",2)"), "0");
  std::filesystem::remove_all(dir);
}

TEST_F(InfoFunctionTest, DmsWritesDegreesMinutesAndSeconds) {
  struct Case {
    int line;
    const char* formula;
    const char* text;
  };
  // Eval shows a string between double quotes; the text itself ends in the seconds' mark.
  const Case kCases[] = {
      {__LINE__, "@DMS(12.5042)", "\"12\xB0" "30'15.12\"\""},
      {__LINE__, "@DMS(-0.5)", "\"-0\xB0" "30'00.00\"\""},
      {__LINE__, "@DMS(10.999999999)", "\"11\xB0" "00'00.00\"\""},  // seconds carry upwards
      {__LINE__, "@DMS(0)", "\"0\xB0" "00'00.00\"\""},
      {__LINE__, "@DMS(-0.000000001)", "\"0\xB0" "00'00.00\"\""},  // no sign on nothing
      {__LINE__, "@DMS(1e300)", "ERR"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(Eval(c.formula), c.text);
  }
}

using PropagationTest = SheetFunctionTest;

TEST_F(PropagationTest, AnErrorInAnyValueArgumentMakesTheResultErr) {
  Enter("A1", "1");
  Enter("B1", "2");
  const char* const kFormulas[] = {
      "@PMT(@ERR,0.01,12)",     "@PMT(1000,@ERR,12)",    "@PV(1,0.1,@ERR)",
      "@NPV(@ERR,A1..B1)",      "@IRR(@ERR,A1..B1)",     "@RATE(@ERR,1,1)",
      "@DDB(1,0,5,@ERR)",       "@BAL(@ERR,0.1,5,1)",    "@DATE(@ERR,1,1)",
      "@DATE(2000,1,@ERR)",     "@TIME(@ERR,0,0)",       "@DAY(@ERR)",
      "@HOUR(@ERR)",            "@DATEVAL(@ERR)",        "@TIMEVAL(@ERR)",
      "@LENGTH(@ERR)",          "@VAL(@ERR)",            "@MID(@ERR,1,1)",
      "@MID(\"abc\",@ERR,1)",   "@MID(\"abc\",1,@ERR)",  "@LEFT(@ERR,1)",
      "@RIGHT(\"abc\",@ERR)",   "@FIND(\"a\",@ERR,1)",   "@UPPER(@ERR)",
      "@PROPER(@ERR)",          "@TRIM(@ERR)",           "@CLEAN(@ERR)",
      "@EXACT(@ERR,\"-1\")",    "@HEX(@ERR)",            "@DEC(@ERR)",
      "@STR(@ERR,2)",           "@CHR(@ERR)",            "@ORD(@ERR)",
      "@REPEAT(\"a\",@ERR)",    "@RGB(1,@ERR,1)",        "@VTABLE(@ERR,A1..B1,1)",
      "@VTABLE(1,A1..B1,@ERR)", "@HTERP(@ERR,A1..B1,0)", "@INDEX(A1..B1,@ERR,1)",
      "@CELL(@ERR,A1)",         "@CELLPT(@ERR)",         "@@(@ERR)",
      "@LINK(@ERR)",            "@QVIEW(@ERR)",          "@FILEINFO(@ERR,2)",
      "@MEMAVAIL(@ERR)",        "@DMS(@ERR)",            "@QSUM(\"1\",A1..B1,@ERR)",
  };
  for (const char* formula : kFormulas) {
    SCOPED_TRACE(formula);
    EXPECT_EQ(Eval(formula), "ERR");
  }
}

TEST_F(PropagationTest, RangeArgumentsAnswerOnlyForTheCellsTheyRead) {
  Enter("A1", "1");
  Enter("B1", "2");
  Enter("B2", "@ERR");  // the ending corner of A1..B2, whose flag the range entry carries
  EXPECT_EQ(Eval("@INDEX(A1..B2,1,1)"), "1");
  EXPECT_EQ(Eval("@INDEX(A1..B2,2,2)"), "ERR");
  EXPECT_EQ(Eval("@COLS(A1..B2)"), "2");
  EXPECT_EQ(Eval("@ROWS(A1..B2)"), "2");
  EXPECT_EQ(Eval("@N(A1..B2)"), "1");
  EXPECT_EQ(Eval("@VTABLE(1,A1..B2,1)"), "2");
  EXPECT_EQ(Eval("@CELL(\"row\",B2..B2)"), "2");
  EXPECT_EQ(Eval("@ISNUM(B2)"), "0");  // a test, not a use: no ERR
}

}  // namespace
