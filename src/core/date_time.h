// core/date_time.h — the worksheet's date system: day numbers, times of day and their readers.
//
// A date is a day number: 0 is 30 December 1899, 1 is 31 December 1899, 61 is 1 March 1900.
// Day -115858 (15 October 1582) and later use the Gregorian calendar, earlier days the Julian
// calendar. A time is the fraction of a day above the whole day number. The readers turn typed
// texts (cell entry, @DATEVAL, @TIMEVAL) into these numbers; the converters serve the date
// formats and the date functions.
// State: none of its own; ReadDateValue reads today's year from the platform when a text has none.
#pragma once

#include <cstdint>
#include <string_view>

// Day number of 15 October 1582, the first day of the Gregorian calendar.
constexpr int64_t kFirstGregorianDay = -115858;

struct CivilDate {
  int64_t year = 0;  // astronomical numbering: year 0 is 1 BC
  int month = 0;     // 1..12
  int day = 0;       // 1..31
};

struct TimeOfDay {
  int hours = 0;    // 0..23
  int minutes = 0;  // 0..59
  int seconds = 0;  // 0..59
};

// The calendar date of a day number; |dayNumber| must stay within 10^15.
CivilDate DateFromDayNumber(int64_t dayNumber);

// Days of the month in the calendar in force for that year: the Julian leap rule up to 1582,
// the Gregorian one after. Gives 0 for a month outside 1..12.
int DaysInMonth(int64_t year, int month);

// The day number of a calendar date. Gives false (and leaves *dayNumber alone) for a month or
// day out of range and for the ten days 5..14 October 1582 that neither calendar has.
// Years must lie within +-10^12.
bool DayNumberFromDate(int64_t year, int month, int day, int64_t* dayNumber);

// Hours, minutes and seconds of the fraction of `value` above its whole day, with the display
// rounding (about a quarter of a second is added before truncation, so 8:00 computed as
// 7:59:59.9999 still shows 8:00). Non-finite values give 0:00:00.
TimeOfDay SplitTimeOfDay(double value);

// Reads a date text as typed by a user or given to @DATEVAL: "12/08/1996" (month first, or day
// first when `dayFirst`), "08-Dec-1996", "08-Dec" (this year), "Dec 1996" (the 1st), and the
// same with "-", "/" or "." separators or no blanks. Gives false for anything else or for a date
// that does not exist. On success *dayNumber holds the day number.
bool ReadDateValue(std::string_view text, bool dayFirst, double* dayNumber);

// Reads a time text: "15:07", "15:07:09", "3:07 pm", "3:07:09pm", "3 pm". Gives false for
// anything else or for a field out of range. On success *fraction holds the fraction of a day.
bool ReadTimeValue(std::string_view text, double* fraction);
