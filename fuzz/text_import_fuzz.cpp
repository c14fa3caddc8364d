// fuzz/text_import_fuzz.cpp — feeds arbitrary bytes to the text import: the line reader, the
// codec, the values splitting and entry of every piece.
//
// The first byte chooses labels or values; what was imported is exported as comma text and
// imported again. Any crash or sanitizer report is a fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/engine_start.h"
#include "core/address.h"
#include "core/worksheets.h"
#include "files/transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetEngineState(2048);
  const SlotIndex sheet = CreateWorksheetWindow("FUZZ.WKS");
  if (sheet == 0 || size < 1) return 0;
  ActivateWorksheet(sheet);
  const TextImportMode mode = (data[0] & 1) ? TextImportMode::kValues : TextImportMode::kLabels;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  ImportTextBytes(text, 8180, data[0], mode);
  const std::string written = TextExportBytes(CellRange{0, 8180, 255, 8191}, TextExportMode::kComma);
  ImportTextBytes(written, 0, 0, TextImportMode::kValues);
  return 0;
}
