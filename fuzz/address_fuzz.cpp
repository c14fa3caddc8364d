// fuzz/address_fuzz.cpp — arbitrary text into the reference and range parsers.
//
// The first byte picks the page count (1..64) so that page prefixes are exercised; the rest is
// the text. Whatever parses must print without fault, and a valid range must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/address.h"
#include "core/global_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const uint16_t kPageSizes[] = {0, 4096, 2048, 1024, 512, 256, 128};
  Options().setPageSize(kPageSizes[data[0] % 7]);
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  ClearError();
  ParsedCell cell = ParseCellRef(text);
  std::string printed = CellText(cell.row, cell.column, cell.absoluteRow, cell.absoluteColumn);
  if (printed.size() > 40) std::abort();

  ClearError();
  CellRange range = ParseRange(text);
  bool failed = ErrorRaised();
  std::string rangeText = RangeTextWithMarkers(range, LastParseFlags());
  if (!failed && RangeIsValid(range) && IsValidCell(range.firstRow, range.firstColumn) &&
      IsValidCell(range.lastRow, range.lastColumn)) {
    uint8_t flags = LastParseFlags();
    ClearError();
    CellRange again = ParseRange(rangeText);
    if (ErrorRaised() || !(again == range)) std::abort();
    // A single cell prints one corner, so only a two-corner text carries all four flags.
    if (!RangeIsSingleCell(range) && LastParseFlags() != flags) std::abort();
  }
  ShortCellText(range.firstRow, range.firstColumn);
  return 0;
}
