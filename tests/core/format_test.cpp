// tests/core/format_test.cpp — display texts of every format, format names and letter codes.
#include "core/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/address.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "platform/headless/headless_platform.h"

namespace {

class FormatValueTest : public testing::Test {
 protected:
  void SetUp() override {
    TheHeadlessPlatform().Reset();
    ResetAddressState();
    ResetNumberSettings();
    Options() = GlobalOptions{};
    Options().setGlobalFormat(kFormatGeneral);
  }
  void TearDown() override {
    ResetNumberSettings();
    Options() = GlobalOptions{};
  }
};

struct Case {
  int line;
  uint8_t format;
  double value;
  const char* text;
};

void ExpectTexts(const Case* cases, size_t count, int width = 12) {
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(FormatValue(width, c.format, c.value), c.text);
  }
}

TEST_F(FormatValueTest, FixedRoundsHalvesAwayFromZero) {
  const Case kCases[] = {
      {__LINE__, 0x02, 1234.5, "1234.50 "},
      {__LINE__, 0x02, -1234.5, "-1234.50 "},
      {__LINE__, 0x00, 2.5, "3 "},
      {__LINE__, 0x00, 0.5, "1 "},
      {__LINE__, 0x00, -0.5, "-1 "},
      {__LINE__, 0x00, 9.5, "10 "},
      {__LINE__, 0x00, -99.5, "-100 "},
      {__LINE__, 0x02, 0.125, "0.13 "},
      {__LINE__, 0x02, 1.005, "1.00 "},  // 1.00499999... in binary
      {__LINE__, 0x01, 0.04, "0.0 "},
      {__LINE__, 0x0F, 1.0 / 3, "0.333333333333333 "},
      {__LINE__, 0x03, 1e20, "100000000000000000000.000 "},
      {__LINE__, 0x82, 1.5, "1.50 "},  // the protection bit does not matter
  };
  ExpectTexts(kCases, std::size(kCases));
}

// Fixed texts are rounded from the exact binary value: near-ties fall on the side of the value
// actually stored, and the largest magnitudes (2^77 on) take the printf route with the same result.
TEST_F(FormatValueTest, FixedRoundsTheStoredBinaryValue) {
  const Case kCases[] = {
      {__LINE__, 0x02, 2.675, "2.67 "},      // 2.67499999...
      {__LINE__, 0x42, 999999.995, "999,999.99 "},
      {__LINE__, 0x0E, 5e-15, "0.00000000000000 "},
      {__LINE__, 0x03, 0.3125, "0.313 "},    // an exact tie
      {__LINE__, 0x0F, -1.0000000000000002, "-1.000000000000000 "},
      {__LINE__, 0x02, -0.001, "-0.00 "},
      {__LINE__, 0x02, 5e-324, "0.00 "},
      {__LINE__, 0x03, 75557863725914323419136.0, "75557863725914323419136.000 "},  // 2^76
      {__LINE__, 0x00, 151115727451828646838272.0, "151115727451828646838272 "},   // 2^77
      {__LINE__, 0x30, 0.125, "13%"},
  };
  ExpectTexts(kCases, std::size(kCases), 40);
}

TEST_F(FormatValueTest, ScientificWritesThreeExponentDigits) {
  const Case kCases[] = {
      {__LINE__, 0x12, 1234.5, "1.23E+003 "},
      {__LINE__, 0x12, -0.000123, "-1.23E-004 "},
      {__LINE__, 0x10, 0, "0E+000 "},
      {__LINE__, 0x13, 1e100, "1.000E+100 "},
      {__LINE__, 0x11, 1e-300, "1.0E-300 "},
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, CommaAndCurrencyGroupAndWrapNegatives) {
  const Case kCases[] = {
      {__LINE__, 0x42, 1234.5, "1,234.50 "},
      {__LINE__, 0x42, -1234.5, "(1,234.50)"},
      {__LINE__, 0x40, 999.4, "999 "},
      {__LINE__, 0x40, 123456, "123,456 "},
      {__LINE__, 0x40, 1234567, "1,234,567 "},
      {__LINE__, 0x42, 999.999, "1,000.00 "},  // grouping follows the rounded digits
      {__LINE__, 0x42, 0, "0.00 "},
      {__LINE__, 0x22, 1234.5, "$1,234.50  "},
      {__LINE__, 0x22, -1234.5, "($1,234.50 )"},
      {__LINE__, 0x20, 5, "$5  "},
      {__LINE__, 0x20, -0.5, "($1 )"},
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, PercentEndsInPercentSign) {
  const Case kCases[] = {
      {__LINE__, 0x31, 0.25, "25.0%"},
      {__LINE__, 0x30, -0.5, "-50%"},
      {__LINE__, 0x32, 1, "100.00%"},
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, FractionHalvesToLowestTerms) {
  const Case kCases[] = {
      {__LINE__, 0x2B, 3.25, "3-1/4 "},
      {__LINE__, 0x2B, 0.5, "1/2 "},
      {__LINE__, 0x2B, -2, "-2 "},
      {__LINE__, 0x2B, 0.999, "1 "},  // 8/8 is a whole
      {__LINE__, 0x2B, -1.375, "-1-3/8 "},
      {__LINE__, 0x28, 2.4, "2 "},
      {__LINE__, 0x28, 2.6, "3 "},
      {__LINE__, 0x2F, 0.0078125, "1/128 "},
      {__LINE__, 0x2A, 0.1, "0 "},
      {__LINE__, 0x2C, 1e7 + 0.5, "1E+07-1/2 "},  // the whole part in general form
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, EngineeringUsesUnitLetters) {
  const Case kCases[] = {
      {__LINE__, 0x53, 999, "0.999k "},  // ln 999 / 2.3 is above 3
      {__LINE__, 0x53, 990, "990.000  "},
      {__LINE__, 0x53, 0.001, "1000.000u "},
      {__LINE__, 0x53, 0, "0.000  "},
      {__LINE__, 0x52, 1500000, "1.50M "},
      {__LINE__, 0x52, -2500, "-2.50k "},
      {__LINE__, 0x51, 0.05, "50.0m "},
      {__LINE__, 0x51, 0.2, "0.2  "},
      {__LINE__, 0x51, 5e12, "5.0T "},
      {__LINE__, 0x51, 3e-17, "30.0a "},
      {__LINE__, 0x5F, 123, "123.00000000000 "},  // cut to 15 characters
      // Outside the unit letters: scientific, kept within 15 characters with its exponent.
      {__LINE__, 0x50, 1e20, "1.00000000E+020 "},
      {__LINE__, 0x50, -1e20, "-1.0000000E+020 "},
      {__LINE__, 0x50, 1e-20, "1.00000000E-020 "},
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, EngineeringClearsTheErrorFlagAndOthersDoNot) {
  RaiseError("earlier");
  FormatValue(12, 0x02, 5);
  EXPECT_TRUE(ErrorRaised());
  FormatValue(12, 0x52, 5);
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(FormatValueTest, GeneralShowsElevenDigitsOrExponent) {
  const Case kCases[] = {
      {__LINE__, 0x71, 1234567, "1.234567E+06 "},
      {__LINE__, 0x71, 123456.7, "123456.7 "},
      {__LINE__, 0x71, 1e7, "1E+07 "},
      {__LINE__, 0x71, 1.5e-9, "1.5E-09 "},
      {__LINE__, 0x71, 1e300, "1E+300 "},
      {__LINE__, 0x71, 12345678901.0, "1.2345678901E+10 "},
      {__LINE__, 0x71, -0.5, "-0.5 "},
      {__LINE__, 0x71, 0.00001234, "0.00001234 "},
      {__LINE__, 0x71, 0.000001, "0.000001 "},
      {__LINE__, 0x71, 0.0000009, "9E-07 "},
      {__LINE__, 0x71, 1000000, "1000000 "},
      {__LINE__, 0x71, 1000001, "1.000001E+06 "},
      {__LINE__, 0x71, 2.0 / 3, "0.66666666667 "},
      {__LINE__, 0x71, 123456.78901234, "123456.78901 "},
      {__LINE__, 0x71, 0, "0 "},
      {__LINE__, 0x62, 42, "42 "},
      {__LINE__, 0x75, 3.5, "3.5 "},
      {__LINE__, 0x7D, 3.5, "3.5 "},
      {__LINE__, 0x7E, 3.5, "3.5 "},
  };
  ExpectTexts(kCases, std::size(kCases), 20);
}

TEST_F(FormatValueTest, GeneralWholeNumbersKeepEveryDigitAtAnyPrecision) {
  struct PrecisionCase {
    int line;
    int precision;
    double value;
    const char* text;
  };
  const PrecisionCase kCases[] = {
      {__LINE__, 1, 15, "15"},           {__LINE__, 3, 99999, "99999"},
      {__LINE__, 2, 1000000, "1000000"}, {__LINE__, 11, -42, "-42"},
      {__LINE__, 15, 1, "1"},            {__LINE__, 1, -999999, "-999999"},
      {__LINE__, 11, 1000001, "1.000001E+06"},  // beyond a million: scientific as before
      {__LINE__, 3, 12.5, "12.5"},       {__LINE__, 2, 0.5, "0.5"},
  };
  for (const PrecisionCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    NumberFormatSettings().generalPrecision = c.precision;
    EXPECT_EQ(FormatGeneral(c.value), c.text);
  }
}

TEST_F(FormatValueTest, GeneralDropsDecimalsThatDoNotFitTheColumn) {
  struct WidthCase {
    int line;
    int width;
    double value;
    const char* text;
  };
  const WidthCase kCases[] = {
      {__LINE__, 5, 0.123456789, "0.12 "},
      {__LINE__, 5, 12.39, "12.3 "},       // cut, not rounded
      {__LINE__, 5, 123.45, "123.45 "},    // cutting would leave a bare separator
      {__LINE__, 5, 123456.7, "123456.7 "},
      {__LINE__, 4, 123456, "123456 "},    // no decimals to drop
      {__LINE__, 5, 1234567, "1.234567E+06 "},
      {__LINE__, 0, 0.123456789, "0.123456789 "},
      {__LINE__, -3, 0.123456789, "0.123456789 "},
  };
  for (const WidthCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(FormatValue(c.width, kFormatGeneral, c.value), c.text);
  }
  // Only the general formats are cut.
  EXPECT_EQ(FormatValue(5, 0x05, 0.123456789), "0.12346 ");
}

TEST_F(FormatValueTest, BarHiddenAndDefaultFormats) {
  const Case kCases[] = {
      {__LINE__, 0x70, 3.7, "+++ "},
      {__LINE__, 0x70, -2.2, "-- "},
      {__LINE__, 0x70, 0.4, ". "},
      {__LINE__, 0x76, 5, ""},
      {__LINE__, 0xF6, -5, ""},
  };
  ExpectTexts(kCases, std::size(kCases));
  EXPECT_EQ(FormatValue(12, 0x70, 1e6), std::string(239, '+') + " ");
  EXPECT_EQ(FormatValue(12, 0x70, -1e300), std::string(239, '-') + " ");

  Options().setGlobalFormat(0x02);
  EXPECT_EQ(FormatValue(12, 0x7F, 1.5), "1.50 ");
  EXPECT_EQ(FormatValue(12, 0xFF, 1.5), "1.50 ");
  Options().setGlobalFormat(0x7F);
  EXPECT_EQ(FormatValue(12, 0x7F, 1.5), "1.5 ");
}

TEST_F(FormatValueTest, DatesAcrossTheCalendarSwitch) {
  const Case kCases[] = {
      {__LINE__, 0x72, 35407, "08-Dec-1996 "},
      {__LINE__, 0x73, 35407, "08-Dec "},
      {__LINE__, 0x74, 35407, "Dec 1996 "},
      {__LINE__, 0x79, 35407, "12/08/1996 "},
      {__LINE__, 0x7A, 35407, "08/12/1996 "},
      {__LINE__, 0x72, 35407.75, "08-Dec-1996 "},
      {__LINE__, 0x72, 0, "30-Dec-1899 "},
      {__LINE__, 0x72, 1, "31-Dec-1899 "},
      {__LINE__, 0x72, -1, "29-Dec-1899 "},
      {__LINE__, 0x72, 60, "28-Feb-1900 "},
      {__LINE__, 0x72, 61, "01-Mar-1900 "},
      {__LINE__, 0x72, 36585, "29-Feb-2000 "},
      {__LINE__, 0x72, 73051, "01-Jan-2100 "},
      {__LINE__, 0x72, -115858, "15-Oct-1582 "},  // first Gregorian day
      {__LINE__, 0x72, -115859, "04-Oct-1582 "},  // last Julian day
      {__LINE__, 0x72, -146027, "29-Feb-1500 "},  // a Julian leap day
      {__LINE__, 0x72, -146026, "01-Mar-1500 "},
      {__LINE__, 0x72, -693595, "01-Jan-0001 "},  // Julian day number 1721424
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, TimesIn12And24Hours) {
  const double k150709 = (15 * 3600 + 7 * 60 + 9) / 86400.0;
  const Case kCases[] = {
      {__LINE__, 0x78, 0.5, "12:00 pm "},
      {__LINE__, 0x77, 0.01, "0:14:24 am "},
      {__LINE__, 0x77, k150709, "3:07:09 pm "},
      {__LINE__, 0x78, k150709, "3:07 pm "},
      {__LINE__, 0x7B, k150709, "15:07:09 "},
      {__LINE__, 0x7C, k150709, "15:07 "},
      {__LINE__, 0x7B, 35407.25, "06:00:00 "},
      {__LINE__, 0x77, -0.5, "-12:00:00 pm "},
      {__LINE__, 0x77, 0.99999, "11:59:59 pm "},
      // Just short of a full hour or day carries over instead of showing minute 60.
      {__LINE__, 0x7B, 8.0 / 24 - 1e-9, "08:00:00 "},
      {__LINE__, 0x7C, 8.0 / 24 - 1e-9, "08:00 "},
      {__LINE__, 0x77, 1 - 1e-9, "0:00:00 am "},
  };
  ExpectTexts(kCases, std::size(kCases));
}

TEST_F(FormatValueTest, ZeroSuppressionEmptiesExactZeroInEveryFormat) {
  Options().setZeroSuppressed(true);
  const uint8_t kFormats[] = {0x02, 0x12, 0x22, 0x2B, 0x31, 0x42, 0x53, 0x62,
                              0x70, 0x71, 0x72, 0x77, 0x7C, 0x7F};
  for (uint8_t f : kFormats) {
    SCOPED_TRACE(testing::Message() << "format " << int(f));
    EXPECT_EQ(FormatValue(12, f, 0.0), "");
    EXPECT_EQ(FormatValue(12, f, -0.0), "");
  }
  EXPECT_EQ(FormatValue(12, 0x00, 0.001), "0 ");
}

TEST_F(FormatValueTest, ChangedSeparatorsAndCurrency) {
  NumberSettings& s = NumberFormatSettings();
  s.decimalSeparator = ',';
  s.thousandsSeparator = '.';
  s.currencySymbol = "DM";
  s.currencyPlacement = "";
  const Case kCases[] = {
      {__LINE__, 0x42, 1234.5, "1.234,50 "},
      {__LINE__, 0x02, 1234.5, "1234,50 "},
      {__LINE__, 0x71, 0.5, "0,5 "},
      {__LINE__, 0x71, 1.5e-9, "1,5E-09 "},
      {__LINE__, 0x12, 1234.5, "1,23E+003 "},
      {__LINE__, 0x22, -1234.5, "(DM1.234,50)"},
      {__LINE__, 0x22, 1234567.5, "DM1.234.567,50 "},
      {__LINE__, 0x31, 0.25, "25,0%"},
      {__LINE__, 0x52, 1500, "1,50k "},
  };
  ExpectTexts(kCases, std::size(kCases));
  EXPECT_EQ(FormatValue(5, kFormatGeneral, 0.123456789), "0,12 ");
}

TEST_F(FormatValueTest, NeverFailsOnExtremeValues) {
  const double kInf = std::numeric_limits<double>::infinity();
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(testing::Message() << "format " << code);
    for (double v : {kInf, -kInf, kNaN}) {
      std::string text = FormatValue(12, uint8_t(code), v);
      EXPECT_TRUE(text == "ERR" || text.empty()) << text;
    }
    for (double v : {1e308, -1e308, 4.9e-324, -2.2e-308}) {
      EXPECT_LE(FormatValue(12, uint8_t(code), v).size(), kMaxDisplayText);
    }
  }
  EXPECT_EQ(FormatValue(12, 0x0F, 1e300).size(), kMaxDisplayText);
}

TEST(FormatGeneralTest, PlainAndExponentForms) {
  ResetNumberSettings();
  EXPECT_EQ(FormatGeneral(0), "0");
  EXPECT_EQ(FormatGeneral(-0.0), "0");
  EXPECT_EQ(FormatGeneral(1e-7), "1E-07");
  EXPECT_EQ(FormatGeneral(-1234567), "-1.234567E+06");
  EXPECT_EQ(FormatGeneral(4.9406564584124654e-324), "4.94065645841E-324");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "ERR");
}

TEST(FormatDateTest, SubCodesAndFallback) {
  EXPECT_EQ(FormatDate(12, 35407), "19961208");
  EXPECT_EQ(FormatDate(12, 5), "19000104");
  EXPECT_EQ(FormatDate(5, 35407), "0/0/0");
  EXPECT_EQ(FormatDate(0, 35407), "0/0/0");
  EXPECT_EQ(FormatDate(2, std::numeric_limits<double>::quiet_NaN()), "0/0/0");
  EXPECT_EQ(FormatDate(2, 1e12), "0/0/0");
  EXPECT_EQ(FormatDate(9, 2958465), "12/31/9999");
}

TEST(FormatTimeTest, Modes) {
  EXPECT_EQ(FormatTime(15, 7, 9, 0), "3:07:09 pm");
  EXPECT_EQ(FormatTime(0, 5, 0, 1), "0:05 am");
  EXPECT_EQ(FormatTime(12, 0, 0, 1), "12:00 pm");
  EXPECT_EQ(FormatTime(11, 59, 59, 0), "11:59:59 am");
  EXPECT_EQ(FormatTime(9, 5, 3, 4), "09:05:03");
  EXPECT_EQ(FormatTime(23, 59, 0, 5), "23:59");
}

TEST_F(FormatValueTest, ShortNames) {
  struct NameCase {
    int line;
    uint8_t format;
    const char* name;
  };
  const NameCase kCases[] = {
      {__LINE__, 0x02, "F2"}, {__LINE__, 0x12, "S2"}, {__LINE__, 0x22, "C2"},
      {__LINE__, 0x31, "%1"}, {__LINE__, 0x42, ",2"}, {__LINE__, 0x53, "E3"},
      {__LINE__, 0x62, "G2"}, {__LINE__, 0x0A, ""},   {__LINE__, 0x4A, ""},
      {__LINE__, 0x2B, "Fr3"}, {__LINE__, 0x28, "Fr0"}, {__LINE__, 0x70, "+"},
      {__LINE__, 0x71, "G"},  {__LINE__, 0x72, "D1"}, {__LINE__, 0x74, "D3"},
      {__LINE__, 0x75, "T"},  {__LINE__, 0x76, "H"},  {__LINE__, 0x77, "T1"},
      {__LINE__, 0x79, "D4"}, {__LINE__, 0x7A, "D5"}, {__LINE__, 0x7C, "T4"},
      {__LINE__, 0x7D, ""},   {__LINE__, 0x7E, "Lb"}, {__LINE__, 0x7F, ""},
      {__LINE__, 0x82, "F2"},
  };
  for (const NameCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(FormatName(c.format), c.name);
  }
  Options().setProtection(true);
  EXPECT_EQ(FormatName(0x82), "Pr F2");
  EXPECT_EQ(FormatName(0x02), "Un F2");
  EXPECT_EQ(FormatName(0xFF), "Pr ");
  EXPECT_EQ(FormatName(0x4A), "Un ");
}

TEST(ParseFormatLettersTest, LetterCodes) {
  struct LetterCase {
    int line;
    const char* text;
    uint8_t format;
  };
  const LetterCase kCases[] = {
      {__LINE__, "F2", 0x02},  {__LINE__, "f2", 0x02},  {__LINE__, "F", 0x00},
      {__LINE__, "F15", 0x0F}, {__LINE__, "F123", 0x0C}, {__LINE__, "F99", 0x63},
      {__LINE__, "S3", 0x13},  {__LINE__, "E1", 0x51},  {__LINE__, "A2", 0x4A},
      {__LINE__, "C2", 0x22},  {__LINE__, "M2", 0x42},  {__LINE__, "P2", 0x32},
      {__LINE__, "G", 0x71},   {__LINE__, "G2", 0x71},  {__LINE__, "+", 0x70},
      {__LINE__, "D0", 0x71},  {__LINE__, "D1", 0x72},  {__LINE__, "D3", 0x74},
      {__LINE__, "D4", 0x79},  {__LINE__, "D5", 0x7A},  {__LINE__, "T", 0x75},
      {__LINE__, "T1", 0x77},  {__LINE__, "T2", 0x78},  {__LINE__, "T3", 0x7B},
      {__LINE__, "T4", 0x7C},  {__LINE__, "H", 0x76},   {__LINE__, "X", 0x75},
      {__LINE__, "R", 0x7F},   {__LINE__, "L", 0x7E},   {__LINE__, "Z9", 0x7F},
      {__LINE__, "", 0x7F},    {__LINE__, "F2,Fixed", 0x02},
      {__LINE__, "D0,YY:MM:DD", 0x71},
  };
  for (const LetterCase& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(ParseFormatLetters(c.text), c.format);
  }
}

TEST_F(FormatValueTest, A2ShowsAsCommaWithTenDecimalsAndHasNoName) {
  uint8_t f = ParseFormatLetters("A2");
  EXPECT_EQ(FormatValue(20, f, 1234.5), "1,234.5000000000 ");
  EXPECT_EQ(FormatName(f), "");
}

}  // namespace
