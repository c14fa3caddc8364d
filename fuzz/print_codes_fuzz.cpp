// fuzz/print_codes_fuzz.cpp — header and footer texts (as files carry them) through the code
// expansion, and arbitrary print settings through the page layout.
//
// The expansion scans once: every part is at most as long as its text with each code replaced
// by the longest value, so inserted texts are never expanded again. The layout always ends, and
// every page has at least one row and one column inside the range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "files/print_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    ResetEngineState();
    NewWorksheet("FUZZ.WKS");
    return true;
  }();
  (void)started;
  const std::string text(reinterpret_cast<const char*>(data), size);
  PrintCodeValues v;
  v.page = 12345;
  v.date = "09-Dec-2026";
  v.time = "21:30:00";
  v.fileName = "#^F^P@.WKS";
  const PrintTextParts p = ExpandPrintCodes(text, v);
  const size_t longest = 11;
  if (p.left.size() + p.centre.size() + p.right.size() > size * longest) std::abort();

  if (size >= 16) {
    PageSetup s;
    uint16_t words[8];
    std::memcpy(words, data, sizeof words);
    s.range = MakeRange(words[0] % 256, words[1] % kRowCount, words[2] % 256, words[3] % kRowCount);
    s.range = OrderedRange(s.range);
    s.topMargin = words[4] / 1000.0;
    s.leftMargin = words[5] / 1000.0;
    s.scale = 1 + words[6] % 1000;
    s.fontPoints = words[7] % 300;
    const PageLayout l = LayOutPages(s, PageSize{});
    for (const PrintedPage& page : l.pages) {
      if (page.rows.empty() || page.lastColumn < page.firstColumn) std::abort();
      if (page.firstColumn < s.range.firstColumn || page.lastColumn > s.range.lastColumn) {
        std::abort();
      }
    }
  }
  return 0;
}
