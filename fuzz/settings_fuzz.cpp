// fuzz/settings_fuzz.cpp — arbitrary text to the settings reader and the user function reader.
//
// The same input is read as a settings file and as a user function file. Checks that every
// setting stays within its limits, that writing and reading back settle after one round (the
// text written from what was read reads back to the same text), and that the function library
// keeps its limits. Nothing touches the file system: the program directory does not exist.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/number_settings.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "files/user_functions.h"
#include "formula/function_library.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string ReadAndWrite(std::string_view text) {
  ResetSettings();
  ReadSettingsText(text);
  const ProgramSettings& p = Settings();
  Check(p.history.size() <= size_t(kMaxHistory));
  Check(p.historySize >= 0 && p.historySize <= kMaxHistory);
  Check(p.formatList.size() <= kMaxFormatList);
  Check(p.fontName.size() <= 40);
  Check(NumberFormatSettings().currencySymbol.size() <= 2);
  Check(NumberFormatSettings().currencyPlacement.size() <= 2);
  WindowPlacementToApply placement;
  if (PlacementToApply(&placement)) {
    Check(placement.fields[9] >= placement.fields[7]);
    Check(placement.fields[10] >= placement.fields[8]);
  }
  return SettingsText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    SetProgramFiles({"/nonexistent-tallivo-fuzz/", "TALLIVO"}, "");
    return true;
  }();
  (void)ready;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string once = ReadAndWrite(text);
  const std::string twice = ReadAndWrite(once);
  Check(ReadAndWrite(twice) == twice);

  const int count = ReadUserFunctionText(text);
  Check(count >= 0 && count <= kMaxUserFunctions && count == LibraryFunctionCount());
  for (int i = 1; i <= count; ++i) {
    const UserFunction& f = LibraryFunction(i);
    Check(!f.name.empty() && f.name.size() <= kMaxUserFunctionName);
    Check(f.text.size() <= kMaxUserFunctionText);
    Check(f.argumentCount <= kMaxUserFunctionArguments);
  }
  return 0;
}
