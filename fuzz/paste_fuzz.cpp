// fuzz/paste_fuzz.cpp — arbitrary bytes pasted from the clipboard.
//
// Clipboard data comes from any program. The first byte chooses the format (the program's own
// or plain text) and whether protection is on; the rest is pasted at a position near the edge of
// the grid or at A1. Whatever the bytes, the paste must finish without reading past the text and
// leave intact row chains and dependency links; a second paste of what Copy then builds from
// the block must work as well.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "commands/clipboard.h"
#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "formula/recalc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  ResetEngineState(2048);
  if (NewWorksheet("FUZZ.WKS") == 0) return 0;
  const uint8_t choice = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const ClipFormat format = (choice & 1) ? ClipFormat::kPrivate : ClipFormat::kText;
  // Cells the paste may meet: a formula depending on the target, a locked and an open cell.
  EnterIntoCell(0, 3, "+A1+B2");
  EnterIntoCell(1, 1, "5");
  if (choice & 2) {
    SetRangeLock(MakeRange(0, 0, 1, 1), false);
    SetSheetProtection(true);
  }
  const bool nearEdge = (choice & 4) != 0;
  const uint16_t row = nearEdge ? kRowCount - 2 : 0;
  const uint16_t column = nearEdge ? kColumnCount - 2 : 0;
  PasteText(text, format, row, column);
  if (!CheckRowChains()) std::abort();
  if (!CheckDependencyLinks()) std::abort();
  // What the paste left must copy and paste again.
  const ClipTexts texts = BuildClipTexts(MakeRange(column, row, uint16_t(std::min(column + 7, kColumnCount - 1)),
                                                   uint16_t(std::min(row + 7, kRowCount - 1))));
  PasteText(texts.privateText, ClipFormat::kPrivate, 20, 20);
  PasteText(texts.plainText, ClipFormat::kText, 40, 40);
  if (!CheckRowChains()) std::abort();
  if (!CheckDependencyLinks()) std::abort();
  if (choice & 8) UndoLastCommand();
  return 0;
}
