// fuzz/tips_file_fuzz.cpp — arbitrary bytes as the tips file.
//
// The count is 0 or a whole number up to a million; every tip number from the count line and a
// few beyond it gives either a tip or the fallback text, and a tip never holds more characters
// than the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/tips_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  const int count = TipCount(contents);
  if (count < 0 || count > 1000000) std::abort();
  const int last = count < 20 ? count + 2 : 20;
  for (int n = -1; n <= last; ++n) {
    std::string tip;
    if (FindTip(contents, n, &tip)) {
      if (tip.empty() || tip.size() > 2 * contents.size()) std::abort();
    }
    if (TipOrFallback(contents, n).empty()) std::abort();
  }
  const int drawn = DrawTipNumber(count, size);
  if (count > 0 ? drawn < 1 || drawn > count : drawn != 0) std::abort();
  return 0;
}
