// tests/core/date_time_test.cpp — calendar conversions and the date and time readers.
#include "core/date_time.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/format.h"
#include "core/number_settings.h"
#include "platform/headless/headless_platform.h"

namespace {

class DateTimeTest : public testing::Test {
 protected:
  void SetUp() override {
    TheHeadlessPlatform().Reset();
    ResetNumberSettings();
    // Today is 20 June 1996 for dates typed without a year.
    TheHeadlessPlatform().fixedTime = true;
    TheHeadlessPlatform().time.tm_year = 96;
    TheHeadlessPlatform().time.tm_mon = 5;
    TheHeadlessPlatform().time.tm_mday = 20;
  }
  void TearDown() override { TheHeadlessPlatform().Reset(); }
};

TEST_F(DateTimeTest, ConversionsAreInverseAndContiguous) {
  // Every day from 1 January 1 to 31 December 9999 follows the day before it.
  CivilDate previous = DateFromDayNumber(-693596);
  EXPECT_EQ(previous.year, 0);
  EXPECT_EQ(previous.month, 12);
  EXPECT_EQ(previous.day, 31);
  for (int64_t day = -693595; day <= 2958465; ++day) {
    CivilDate d = DateFromDayNumber(day);
    bool nextDay = d.year == previous.year && d.month == previous.month && d.day == previous.day + 1;
    bool nextMonth = d.year == previous.year && d.month == previous.month + 1 && d.day == 1 &&
                     previous.day == DaysInMonth(previous.year, previous.month);
    bool nextYear = d.year == previous.year + 1 && d.month == 1 && d.day == 1 &&
                    previous.month == 12 && previous.day == 31;
    // The calendar switch skips 5..14 October 1582.
    bool reform = day == kFirstGregorianDay && d.day == 15 && previous.day == 4;
    ASSERT_TRUE(nextDay || nextMonth || nextYear || reform) << "day " << day;
    int64_t back = 0;
    ASSERT_TRUE(DayNumberFromDate(d.year, d.month, d.day, &back)) << "day " << day;
    ASSERT_EQ(back, day);
    previous = d;
  }
  EXPECT_EQ(previous.year, 9999);
}

TEST_F(DateTimeTest, InvalidCalendarDates) {
  struct Case {
    int line;
    int64_t year;
    int month, day;
  };
  const Case kCases[] = {
      {__LINE__, 1999, 2, 29}, {__LINE__, 1900, 2, 29}, {__LINE__, 1996, 13, 1},
      {__LINE__, 1996, 0, 1},  {__LINE__, 1996, 4, 31}, {__LINE__, 1996, 1, 0},
      {__LINE__, 1582, 10, 5}, {__LINE__, 1582, 10, 14},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    int64_t day = 12345;
    EXPECT_FALSE(DayNumberFromDate(c.year, c.month, c.day, &day));
    EXPECT_EQ(day, 12345);
  }
  int64_t day = 0;
  EXPECT_TRUE(DayNumberFromDate(2000, 2, 29, &day));
  EXPECT_EQ(day, 36585);
  EXPECT_TRUE(DayNumberFromDate(1500, 2, 29, &day));  // Julian leap year
  EXPECT_EQ(day, -146027);
}

TEST_F(DateTimeTest, ReadsDates) {
  struct Case {
    int line;
    const char* text;
    bool dayFirst;
    double day;
  };
  const Case kCases[] = {
      {__LINE__, "12/08/1996", false, 35407},
      {__LINE__, "12/08/1996", true, 35289},  // 12 August
      {__LINE__, "08/12/1996", true, 35407},
      {__LINE__, "13/01/1996", true, 35077},
      {__LINE__, "12/08/96", false, 35407},
      {__LINE__, "12-8-96", false, 35407},
      {__LINE__, "12.8.1996", false, 35407},
      {__LINE__, " 12/08/1996 ", false, 35407},
      {__LINE__, "1/1/00", false, 36526},
      {__LINE__, "1/1/29", false, 47119},
      {__LINE__, "1/1/30", false, 10959},
      {__LINE__, "12/08", false, 35407},  // this year
      {__LINE__, "08/12", true, 35407},
      {__LINE__, "08-Dec-1996", false, 35407},
      {__LINE__, "8-dec-96", true, 35407},
      {__LINE__, "08Dec1996", false, 35407},
      {__LINE__, "08 December 1996", false, 35407},
      {__LINE__, "08-Dec", false, 35407},
      {__LINE__, "Dec 1996", false, 35400},
      {__LINE__, "Dec1996", false, 35400},
      {__LINE__, "Dec 8", false, 35407},
      {__LINE__, "Dec 8, 1996", false, 35407},
      {__LINE__, "Sept 8 1996", false, 35289 + 27},
      {__LINE__, "1996-12-08", true, 35407},
      {__LINE__, "29/02/2000", true, 36585},
      {__LINE__, "2/29/1500", false, -146027},
      {__LINE__, "10/15/1582", false, -115858},
      {__LINE__, "10/4/1582", false, -115859},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    double day = -1;
    EXPECT_TRUE(ReadDateValue(c.text, c.dayFirst, &day));
    EXPECT_EQ(day, c.day);
  }
}

TEST_F(DateTimeTest, RefusesTextsThatAreNoDate) {
  const char* const kTexts[] = {
      "",           " ",          "abc",          "13/01/1996",   "12/32/1996",
      "0/1/1996",   "2/29/1999",  "2/29/1900",    "10/10/1582",   "12//08",
      "/12/08",     "12/08/",     "12/08/1996/1", "12/08/19960",  "-12/08/1996",
      "+12/08/1996", "12:08",     "Foo 1996",     "Ma 1996",      "12/08/1996 15:07",
      "Dec Dec 1996", "1 2 3 4",  "123/08/1996",  "12/008/1996",  "Dec",
      "12",         "08-Dec-Jan", "12/08/1996x",  "12/08/(1996)", "Dec 96",
  };
  for (const char* text : kTexts) {
    SCOPED_TRACE(text);
    double day = -1;
    EXPECT_FALSE(ReadDateValue(text, false, &day));
    EXPECT_EQ(day, -1);
  }
}

TEST_F(DateTimeTest, DisplayedDatesReadBack) {
  for (int64_t day = -693595; day <= 2958465; day += 997) {
    double back = -1;
    ASSERT_TRUE(ReadDateValue(FormatDate(9, double(day)), false, &back)) << day;
    ASSERT_EQ(back, double(day));
    ASSERT_TRUE(ReadDateValue(FormatDate(10, double(day)), true, &back)) << day;
    ASSERT_EQ(back, double(day));
    ASSERT_TRUE(ReadDateValue(FormatDate(2, double(day)), false, &back)) << day;
    ASSERT_EQ(back, double(day));
  }
}

TEST_F(DateTimeTest, ReadsTimes) {
  struct Case {
    int line;
    const char* text;
    int seconds;  // of the day
  };
  const Case kCases[] = {
      {__LINE__, "15:07", 15 * 3600 + 7 * 60},
      {__LINE__, "15:07:09", 15 * 3600 + 7 * 60 + 9},
      {__LINE__, "3:07 pm", 15 * 3600 + 7 * 60},
      {__LINE__, "3:07:09PM", 15 * 3600 + 7 * 60 + 9},
      {__LINE__, "3:07pm", 15 * 3600 + 7 * 60},
      {__LINE__, "3 pm", 15 * 3600},
      {__LINE__, "3a", 3 * 3600},
      {__LINE__, "12 am", 0},
      {__LINE__, "12:30 am", 30 * 60},
      {__LINE__, "12:30 pm", 12 * 3600 + 30 * 60},
      {__LINE__, "0:14:24 am", 864},
      {__LINE__, "11:59:59 p.m.", 23 * 3600 + 59 * 60 + 59},
      {__LINE__, " 9:05 ", 9 * 3600 + 5 * 60},
      {__LINE__, "0:00", 0},
      {__LINE__, "23:59:59", 86399},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    double fraction = -1;
    EXPECT_TRUE(ReadTimeValue(c.text, &fraction));
    EXPECT_NEAR(fraction, c.seconds / 86400.0, 1e-12);
  }
}

TEST_F(DateTimeTest, RefusesTextsThatAreNoTime) {
  const char* const kTexts[] = {
      "",         "15",       "24:00",   "12:60",  "12:30:60", "13:00 pm", "3:07 xm",
      "3:07:09:1", "abc",     ":30",     "3:",     "123:00",   "15:07 pmx", "-1:00",
      "15:070",   "3:07 p m", "1:2:",    "12/08",  "pm",
  };
  for (const char* text : kTexts) {
    SCOPED_TRACE(text);
    double fraction = -1;
    EXPECT_FALSE(ReadTimeValue(text, &fraction));
    EXPECT_EQ(fraction, -1);
  }
}

TEST_F(DateTimeTest, DisplayedTimesReadBack) {
  // Whole seconds shown in 12- and 24-hour form read back to the same second.
  for (int s = 0; s < 86400; s += 7) {
    double value = s / 86400.0;
    TimeOfDay t = SplitTimeOfDay(value);
    ASSERT_EQ(t.hours * 3600 + t.minutes * 60 + t.seconds, s);
    for (int mode : {0, 4}) {
      double back = -1;
      std::string text = FormatTime(t.hours, t.minutes, t.seconds, mode);
      ASSERT_TRUE(ReadTimeValue(text, &back)) << text;
      ASSERT_NEAR(back, value, 1e-12) << text;
    }
  }
}

TEST_F(DateTimeTest, DayOrderSetting) {
  EXPECT_FALSE(DayFirstDates());
  NumberFormatSettings().usDateOrder = false;
  EXPECT_TRUE(DayFirstDates());
}

}  // namespace
