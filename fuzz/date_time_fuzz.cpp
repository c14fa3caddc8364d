// fuzz/date_time_fuzz.cpp — arbitrary texts to the date and time readers and the format letters,
// arbitrary doubles and codes to the formatters.
//
// Input: one control byte (bit 0 day-first, bit 1 "," as decimal separator, bit 2 zero
// suppression, bit 3 protection display), then the text; the first 8 text bytes double as a
// value, the next two as format code and column width. Checks that texts stay within 240
// characters and that a date that was read shows and reads back as the same day.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/date_time.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/number_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  ResetNumberSettings();
  NumberSettings& settings = NumberFormatSettings();
  if (control & 2) {
    settings.decimalSeparator = ',';
    settings.thousandsSeparator = '.';
  }
  Options().setZeroSuppressed(control & 4);
  Options().setProtection(control & 8);
  Options().setGlobalFormat(control >> 4 | 0x70);

  const bool dayFirst = control & 1;
  double day = 0;
  if (ReadDateValue(text, dayFirst, &day)) {
    double back = -1;
    if (!ReadDateValue(FormatDate(dayFirst ? 10 : 9, day), dayFirst, &back) || back != day) {
      std::abort();
    }
  }
  double fraction = 0;
  if (ReadTimeValue(text, &fraction) && !(fraction >= 0 && fraction < 1)) std::abort();
  ParseFormatLetters(text);

  if (text.size() >= 10) {
    double value;
    std::memcpy(&value, text.data(), sizeof value);
    uint8_t code = uint8_t(text[8]);
    int width = int8_t(text[9]);
    if (FormatValue(width, code, value).size() > kMaxDisplayText) std::abort();
    if (FormatGeneral(value).size() > kMaxDisplayText) std::abort();
    FormatDate(code & 0x0F, value);
    FormatName(code);
    TimeOfDay t = SplitTimeOfDay(value);
    if (t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59 || t.seconds < 0 ||
        t.seconds > 59) {
      std::abort();
    }
  }
  return 0;
}
