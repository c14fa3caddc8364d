// core/number_settings.h — the program-wide settings that shape number texts and date entry.
//
// The separators, the currency texts, the general-format precision and the date order are
// program settings, not worksheet options: they hold the defaults below until the settings file
// reader fills them, and every worksheet shares them.
// State: one NumberSettings struct in number_settings.cpp.
#pragma once

#include <string>

struct NumberSettings {
  char decimalSeparator = '.';    // replaces "." in number texts and is read back in entry
  char thousandsSeparator = ',';  // grouping character of the comma and currency formats
  char argumentSeparator = ',';   // separator of function arguments in formulas
  std::string currencySymbol = "$";     // at most 2 characters, put in front of currency texts
  std::string currencyPlacement = " ";  // at most 2 characters, put after currency texts
  int generalPrecision = 11;            // significant digits of the general format (1..15)
  bool usDateOrder = true;              // month first in date entry; false reads day first
};

// The settings in force.
NumberSettings& NumberFormatSettings();
// Puts every setting back to its default (start-up and tests).
void ResetNumberSettings();
// True when dates typed or read by @DATEVAL put the day first (the US date order is off).
bool DayFirstDates();
