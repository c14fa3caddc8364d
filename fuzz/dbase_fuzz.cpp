// fuzz/dbase_fuzz.cpp — feeds arbitrary bytes to the dBase reader, with a memo file.
//
// The first two bytes give the length of the table; the rest of the input is the table, then
// the memo file. Whatever is imported is exported again as a table and read back. Any crash or
// sanitizer report is a fault.
#include <algorithm>
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
  if (sheet == 0 || size < 2) return 0;
  ActivateWorksheet(sheet);
  const size_t tableLength = std::min<size_t>(size - 2, size_t(data[0] | data[1] << 8));
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string_view table = bytes.substr(0, tableLength);
  const std::string_view memo = bytes.substr(tableLength);
  DbaseSelection selection;
  selection.start = data[0] & 3;
  ImportDbaseBytes(table, memo, 0, 0, selection);
  const std::string written = DbaseExportBytes(CellRange{0, 0, 40, 40});
  ImportDbaseBytes(written, {}, 0, 50, {});
  return 0;
}
