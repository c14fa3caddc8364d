// core/date_time.cpp — day numbers, calendar dates, times of day and the date and time readers.
//
// The calendar conversions count days from 1 March of year 0 so that the leap day ends each
// cycle (4 years Julian, 400 years Gregorian); division floors, so dates before the start work.
// Reads: the platform clock (the current year for dates typed without one).
#include "core/date_time.h"

#include <cctype>
#include <cmath>
#include <string>

#include "platform/platform.h"

namespace {

// Day number of 1 January 1970 (proleptic Gregorian count) and of 1 March of year 0 in the
// Julian calendar, relative to day 0 = 30 December 1899.
constexpr int64_t kUnixEpochDay = 25569;
constexpr int64_t kJulianMarchZeroDay = -693901;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Day of the year counted from 1 March (0..365).
int64_t MarchDayOfYear(int month, int day) {
  return (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
}

void MonthDayFromMarchDay(int64_t doy, int* month, int* day) {
  int64_t mp = (5 * doy + 2) / 153;
  *day = int(doy - (153 * mp + 2) / 5 + 1);
  *month = int(mp < 10 ? mp + 3 : mp - 9);
}

int64_t GregorianDays(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = FloorDiv(y, 400);
  int64_t yoe = y - era * 400;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + MarchDayOfYear(m, d);
  return era * 146097 + doe - 719468 + kUnixEpochDay;
}

int64_t JulianDays(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = FloorDiv(y, 4);
  int64_t yoe = y - era * 4;
  return era * 1461 + yoe * 365 + MarchDayOfYear(m, d) + kJulianMarchZeroDay;
}

bool IsLeapYear(int64_t year) {
  int64_t r4 = year - FloorDiv(year, 4) * 4;
  if (year <= 1582) return r4 == 0;
  return r4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// --- reading ---------------------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The month (1..12) whose English name starts with `word` (at least three letters), or 0.
int MonthFromWord(std::string_view word) {
  static const char* const kNames[12] = {"january", "february", "march",     "april",
                                         "may",     "june",     "july",      "august",
                                         "september", "october", "november", "december"};
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    std::string_view name = kNames[m];
    if (word.size() > name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < word.size() && same; ++i) same = Lower(word[i]) == name[i];
    if (same) return m + 1;
  }
  return 0;
}

struct DateToken {
  bool isMonthName = false;
  int64_t value = 0;  // the number, or the month of a month name
  int digits = 0;
};

// Splits a date text into numbers and month names. Between two tokens there may be blanks and
// at most one of "/", "-", ".", ","; a letter run directly after digits (or the reverse) needs
// no separator. Gives false for any other character, a separator at either end, or more than
// three tokens.
bool TokenizeDate(std::string_view s, DateToken* tokens, int* count) {
  *count = 0;
  size_t i = 0;
  bool separatorSeen = false;  // a punctuation separator since the last token
  bool needToken = true;       // at the start or after a separator: a token must follow
  while (i < s.size()) {
    char c = s[i];
    if (IsDigit(c) || IsLetter(c)) {
      if (*count == 3) return false;
      DateToken& t = tokens[(*count)++];
      size_t start = i;
      if (IsDigit(c)) {
        while (i < s.size() && IsDigit(s[i])) ++i;
        if (i - start > 4) return false;
        for (size_t k = start; k < i; ++k) t.value = t.value * 10 + (s[k] - '0');
        t.digits = int(i - start);
      } else {
        while (i < s.size() && IsLetter(s[i])) ++i;
        t.isMonthName = true;
        t.value = MonthFromWord(s.substr(start, i - start));
        if (t.value == 0) return false;
      }
      separatorSeen = false;
      needToken = false;
    } else if (IsBlank(c)) {
      ++i;
    } else if (c == '/' || c == '-' || c == '.' || c == ',') {
      if (needToken || separatorSeen) return false;
      separatorSeen = true;
      needToken = true;
      ++i;
    } else {
      return false;
    }
  }
  return *count > 0 && !needToken;
}

// Two-digit years are taken as 1930..2029, the window most spreadsheets use; longer ones as
// written.
int64_t FullYear(const DateToken& t) {
  if (t.digits > 2) return t.value;
  return t.value < 30 ? 2000 + t.value : 1900 + t.value;
}

int64_t CurrentYear() { return int64_t(ThePlatform().LocalTime().tm_year) + 1900; }

bool IsDayOrMonth(const DateToken& t) { return !t.isMonthName && t.digits <= 2; }

}  // namespace

CivilDate DateFromDayNumber(int64_t dayNumber) {
  CivilDate date;
  int64_t yearOfEra = 0, dayOfYear = 0, era = 0;
  if (dayNumber >= kFirstGregorianDay) {
    int64_t z = dayNumber - kUnixEpochDay + 719468;
    era = FloorDiv(z, 146097);
    int64_t doe = z - era * 146097;
    yearOfEra = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    dayOfYear = doe - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    era *= 400;
  } else {
    int64_t z = dayNumber - kJulianMarchZeroDay;
    era = FloorDiv(z, 1461);
    int64_t doe = z - era * 1461;
    yearOfEra = (doe - doe / 1460) / 365;
    dayOfYear = doe - 365 * yearOfEra;
    era *= 4;
  }
  MonthDayFromMarchDay(dayOfYear, &date.month, &date.day);
  date.year = era + yearOfEra + (date.month <= 2);
  return date;
}

int DaysInMonth(int64_t year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

bool DayNumberFromDate(int64_t year, int month, int day, int64_t* dayNumber) {
  if (year < -1000000000000 || year > 1000000000000) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  bool gregorian = year > 1582 || (year == 1582 && (month > 10 || (month == 10 && day >= 15)));
  if (year == 1582 && month == 10 && day > 4 && day < 15) return false;
  *dayNumber = gregorian ? GregorianDays(year, month, day) : JulianDays(year, month, day);
  return true;
}

TimeOfDay SplitTimeOfDay(double value) {
  TimeOfDay t;
  if (!std::isfinite(value)) return t;
  double f = value - std::floor(value);
  double h24 = 24 * f;
  t.hours = int(h24);  // f < 1, so 0..23 (24 only by rounding of f * 24, folded below)
  double r = h24 - t.hours + 0.0000694;
  t.minutes = int(60 * r);
  t.seconds = int(60 * (60 * r - t.minutes));
  // The rounding allowance can carry a time just short of a full hour over it: 7:59:59.9 would
  // otherwise show as 7:60:00.
  if (t.seconds >= 60) {
    t.seconds -= 60;
    ++t.minutes;
  }
  if (t.minutes >= 60) {
    t.minutes -= 60;
    ++t.hours;
  }
  if (t.hours >= 24) t.hours -= 24;
  return t;
}

bool ReadDateValue(std::string_view text, bool dayFirst, double* dayNumber) {
  DateToken tokens[3];
  int count = 0;
  if (!TokenizeDate(Trim(text), tokens, &count)) return false;
  const DateToken& a = tokens[0];
  const DateToken& b = tokens[1];
  const DateToken& c = tokens[2];
  int64_t year = 0, month = 0, day = 0;
  if (count == 2 && IsDayOrMonth(a) && IsDayOrMonth(b)) {  // 12/08: this year
    month = dayFirst ? b.value : a.value;
    day = dayFirst ? a.value : b.value;
    year = CurrentYear();
  } else if (count == 3 && !a.isMonthName && !b.isMonthName && !c.isMonthName) {
    if (a.digits > 2) {  // 1996-12-08: year first whatever the date order
      if (b.digits > 2 || c.digits > 2) return false;
      year = a.value, month = b.value, day = c.value;
    } else {
      if (b.digits > 2) return false;
      month = dayFirst ? b.value : a.value;
      day = dayFirst ? a.value : b.value;
      year = FullYear(c);
    }
  } else if (count >= 2 && IsDayOrMonth(a) && b.isMonthName) {  // 08-Dec[-1996]
    if (count == 3 && c.isMonthName) return false;
    day = a.value, month = b.value;
    year = count == 3 ? FullYear(c) : CurrentYear();
  } else if (count == 2 && a.isMonthName && !b.isMonthName) {  // Dec 1996, or Dec 8 this year
    month = a.value;
    if (b.digits > 2) {
      year = b.value, day = 1;
    } else {
      year = CurrentYear(), day = b.value;
    }
  } else if (count == 3 && a.isMonthName && IsDayOrMonth(b) && !c.isMonthName) {  // Dec 8, 1996
    month = a.value, day = b.value, year = FullYear(c);
  } else {
    return false;
  }
  int64_t result = 0;
  if (!DayNumberFromDate(year, int(month), int(day), &result)) return false;
  *dayNumber = double(result);
  return true;
}

bool ReadTimeValue(std::string_view text, double* fraction) {
  std::string_view s = Trim(text);
  size_t i = 0;
  // Reads one to two digits.
  auto readField = [&](int* out) {
    size_t start = i;
    while (i < s.size() && IsDigit(s[i]) && i - start < 2) ++i;
    if (i == start || (i < s.size() && IsDigit(s[i]))) return false;
    *out = 0;
    for (size_t k = start; k < i; ++k) *out = *out * 10 + (s[k] - '0');
    return true;
  };
  int hours = 0, minutes = 0, seconds = 0;
  if (!readField(&hours)) return false;
  bool colon = false;
  if (i < s.size() && s[i] == ':') {
    ++i;
    colon = true;
    if (!readField(&minutes)) return false;
    if (i < s.size() && s[i] == ':') {
      ++i;
      if (!readField(&seconds)) return false;
    }
  }
  while (i < s.size() && IsBlank(s[i])) ++i;
  int half = 0;  // 1 am, 2 pm
  if (i < s.size()) {
    char c = Lower(s[i]);
    if (c != 'a' && c != 'p') return false;
    half = c == 'a' ? 1 : 2;
    ++i;
    if (i < s.size() && s[i] == '.') ++i;
    if (i < s.size() && Lower(s[i]) == 'm') {
      ++i;
      if (i < s.size() && s[i] == '.') ++i;
    }
    if (i != s.size()) return false;
  }
  if (!colon && half == 0) return false;
  if (minutes > 59 || seconds > 59) return false;
  if (half == 0) {
    if (hours > 23) return false;
  } else {
    // Hour 0 is accepted with a suffix because the 12-hour display writes midnight as 0:00 am.
    if (hours > 12) return false;
    if (hours == 12) hours = 0;
    if (half == 2) hours += 12;
  }
  *fraction = (hours * 3600.0 + minutes * 60.0 + seconds) / 86400.0;
  return true;
}
