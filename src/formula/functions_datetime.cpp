// formula/functions_datetime.cpp — the date and time @-functions.
//
// Dates are day numbers of the worksheet's date system (core/date_time.h: day 1 is 31 December
// 1899, Julian calendar before 15 October 1582) and times fractions of a day. @TODAY reads the
// platform clock; @DATEVAL and @TIMEVAL use the readers of cell entry, with the day-first
// setting of the number settings.
// State: none; reads the platform clock and the number settings.
#include <cmath>
#include <cstdint>

#include "core/date_time.h"
#include "core/number_settings.h"
#include "formula/formula_code.h"
#include "formula/functions_sheet_common.h"
#include "platform/platform.h"

namespace {

// Day numbers beyond this magnitude are refused (the calendar converter's limit).
constexpr double kMaxDayNumber = 1e15;
// Years beyond this magnitude are refused (the day-number converter's limit).
constexpr double kMaxYear = 1e12;

void Fail(Frame& f) {
  f.Fail();
  f.SetNumber(1.0);
}

// @DATE(y, m, d): the day number of that date. The arguments are truncated to whole numbers;
// the year is taken as written (95 is the year 95, not 1995); a month or day that does not
// exist is ERR.
void Date(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double y = std::trunc(f.Number(1)), m = std::trunc(f.Number(2)),
               d = std::trunc(f.Number(3));
  int64_t day = 0;
  if (!(std::fabs(y) <= kMaxYear) || !(m >= 1 && m <= 12) || !(d >= 1 && d <= 31) ||
      !DayNumberFromDate(int64_t(y), int(m), int(d), &day)) {
    return Fail(f);
  }
  f.SetNumber(double(day));
}

// @TIME(h, m, s): (h * 3600 + m * 60 + s) / 86400. Values outside the clock's ranges are not
// refused, so @TIME(0, 90, 0) is an hour and a half.
void Time(Frame& f) {
  if (ArgumentFailed(f)) return;
  SetChecked(f, (f.Number(1) * 3600 + f.Number(2) * 60 + f.Number(3)) / 86400);
}

// @TODAY: the current date's day number plus the time of day as a fraction (platform clock).
void Today(Frame& f) {
  const std::tm now = ThePlatform().LocalTime();
  int64_t day = 0;
  if (!DayNumberFromDate(int64_t(now.tm_year) + 1900, now.tm_mon + 1, now.tm_mday, &day)) {
    return Fail(f);
  }
  const int seconds = now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec;
  f.SetNumber(double(day) + double(seconds) / 86400);
}

// The calendar date of a day-number argument; false for a non-finite or huge one.
bool DateOf(Frame& f, CivilDate* date) {
  const double v = f.Number(1);
  if (!(std::fabs(v) <= kMaxDayNumber)) return false;
  *date = DateFromDayNumber(int64_t(std::floor(v)));
  return true;
}

void Day(Frame& f) {
  if (ArgumentFailed(f)) return;
  CivilDate date;
  if (!DateOf(f, &date)) return Fail(f);
  f.SetNumber(date.day);
}

void Month(Frame& f) {
  if (ArgumentFailed(f)) return;
  CivilDate date;
  if (!DateOf(f, &date)) return Fail(f);
  f.SetNumber(date.month);
}

// @YEAR: the full year (1995, not 95).
void Year(Frame& f) {
  if (ArgumentFailed(f)) return;
  CivilDate date;
  if (!DateOf(f, &date)) return Fail(f);
  f.SetNumber(double(date.year));
}

// The time of day of the argument's fraction, rounded as the time formats show it.
bool TimeOf(Frame& f, TimeOfDay* time) {
  const double v = f.Number(1);
  if (!std::isfinite(v)) return false;
  *time = SplitTimeOfDay(v);
  return true;
}

void Hour(Frame& f) {
  if (ArgumentFailed(f)) return;
  TimeOfDay t;
  if (!TimeOf(f, &t)) return Fail(f);
  f.SetNumber(t.hours);
}

void Minute(Frame& f) {
  if (ArgumentFailed(f)) return;
  TimeOfDay t;
  if (!TimeOf(f, &t)) return Fail(f);
  f.SetNumber(t.minutes);
}

void Second(Frame& f) {
  if (ArgumentFailed(f)) return;
  TimeOfDay t;
  if (!TimeOf(f, &t)) return Fail(f);
  f.SetNumber(t.seconds);
}

// @DATEVAL(text): the text read as cell entry reads a date; text that is no date is ERR.
void Dateval(Frame& f) {
  if (ArgumentFailed(f)) return;
  double day = 0;
  if (!ReadDateValue(f.TextOf(1), DayFirstDates(), &day)) return Fail(f);
  f.SetNumber(day);
}

// @TIMEVAL(text): the text read as cell entry reads a time; text that is no time is ERR.
void Timeval(Frame& f) {
  if (ArgumentFailed(f)) return;
  double fraction = 0;
  if (!ReadTimeValue(f.TextOf(1), &fraction)) return Fail(f);
  f.SetNumber(fraction);
}

}  // namespace

void RegisterDateTimeFunctions() {
  RegisterFunction(uint8_t(Op::kDate), Date);
  RegisterFunction(uint8_t(Op::kTime), Time);
  RegisterFunction(uint8_t(Op::kToday), Today);
  RegisterFunction(uint8_t(Op::kDay), Day);
  RegisterFunction(uint8_t(Op::kMonth), Month);
  RegisterFunction(uint8_t(Op::kYear), Year);
  RegisterFunction(uint8_t(Op::kHour), Hour);
  RegisterFunction(uint8_t(Op::kMinute), Minute);
  RegisterFunction(uint8_t(Op::kSecond), Second);
  RegisterFunction(uint8_t(Op::kDateval), Dateval);
  RegisterFunction(uint8_t(Op::kTimeval), Timeval);
}
