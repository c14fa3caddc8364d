// fuzz/worksheet_file_fuzz.cpp — feeds arbitrary bytes to the worksheet file reader.
//
// Each input is loaded into a fresh worksheet; what was read is then written to memory and loaded
// again, so the writer sees whatever the reader accepted. The record listing (which decodes cell
// and graph records) reads the same bytes from a scratch file. Any crash or sanitizer report is
// a fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "core/sheet_extras.h"
#include "files/macro_button.h"
#include "files/worksheet_file.h"
#include "formula/formula_code.h"
#include "commands/engine_start.h"
#include "platform/headless/headless_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The whole engine, so that loaded code is converted, linked and recalculated too.
  ResetEngineState(2048);
  const SlotIndex sheet = CreateWorksheetWindow("FUZZ.WKS");
  if (sheet == 0) return 0;
  ActivateWorksheet(sheet);
  LoadWorksheetBytes(data, size);
  // Macro button descriptions are decoded as a window would; one that decodes is written back
  // byte for byte.
  for (const std::vector<uint8_t>& record : CurrentExtras().macroButtons) {
    if (const std::optional<MacroButton> button = DecodeMacroButton(record)) {
      if (EncodeMacroButton(*button) != record) __builtin_trap();
    }
  }
  // Whatever was read must be writable and readable again.
  const std::vector<uint8_t> bytes = WorksheetBytes();
  CloseAllWorksheets();
  ResetWorksheets();
  ResetAllExtras();
  const SlotIndex again = CreateWorksheetWindow("FUZZ2.WKS");
  if (again != 0) {
    ActivateWorksheet(again);
    LoadWorksheetBytes(bytes.data(), bytes.size());
  }
  CloseAllWorksheets();

  static const std::string listingFile =
      "/tmp/tallivo-fuzz-listing-" + std::to_string(getpid()) + ".wks";
  if (std::FILE* f = std::fopen(listingFile.c_str(), "wb")) {
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    std::string listing;
    if (written) ListWorksheetRecords(listingFile, &listing);
  }
  return 0;
}
