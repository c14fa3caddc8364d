// core/number_settings.cpp — storage and reset of the number-text settings.
#include "core/number_settings.h"

namespace {
NumberSettings& State() {
  static NumberSettings settings;
  return settings;
}
}  // namespace

NumberSettings& NumberFormatSettings() { return State(); }

void ResetNumberSettings() { State() = NumberSettings(); }

bool DayFirstDates() { return !State().usDateOrder; }
