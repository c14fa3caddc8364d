// core/number_settings.cpp — storage and reset of the number-text settings.
#include "core/number_settings.h"

namespace {
NumberSettings& TheNumberSettings() {
  static NumberSettings settings;
  return settings;
}
}  // namespace

NumberSettings& NumberFormatSettings() { return TheNumberSettings(); }

void ResetNumberSettings() { TheNumberSettings() = NumberSettings(); }

bool DayFirstDates() { return !TheNumberSettings().usDateOrder; }
