// commands/transfer_commands.cpp — imports, exports and merges run as commands.
//
// Reads and writes: the current worksheet through files/transfer.h and the worksheet reader.
#include "commands/transfer_commands.h"

#include "core/address.h"
#include "core/cell_store.h"
#include "files/worksheet_file.h"
#include "platform/platform.h"

namespace {

CommandResult Outcome(bool ok) {
  if (ok) return CommandResult{};
  return CommandResult{CommandStatus::kFailed, ErrorText()};
}

CommandResult Changing(const std::function<bool()>& operation) {
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    ClearError();
    return Outcome(operation());
  });
}

}  // namespace

CommandResult ImportTextFile(std::string_view fileName, uint32_t row, uint32_t column,
                             TextImportMode mode) {
  return Changing([&] { return ImportText(fileName, row, column, mode); });
}

CommandResult ImportDbaseFile(std::string_view fileName, uint32_t row, uint32_t column,
                              DbaseSelection selection) {
  return Changing([&] { return ImportDbase(fileName, row, column, selection); });
}

CommandResult ExportWorksheetRange(std::string_view fileName, const CellRange& range) {
  const CellRange r = OrderedRange(range);
  const bool modified = SheetModified();
  const bool ok = SaveWorksheet(fileName, &r);
  SetSheetModified(modified);  // the sheet itself was not saved
  ThePlatform().Progress(-1);
  return Outcome(ok);
}

CommandResult ExportTextFile(std::string_view fileName, const CellRange& range, TextExportMode mode) {
  ClearError();
  return Outcome(ExportText(fileName, OrderedRange(range), mode));
}

CommandResult ExportDbaseFile(std::string_view fileName, const CellRange& range) {
  ClearError();
  return Outcome(ExportDbase(fileName, OrderedRange(range)));
}

CommandResult MergeWorksheetFile(std::string_view fileName, uint32_t row, uint32_t column,
                                 bool formulas, uint16_t action, std::string_view source) {
  if (action < kMergeReplace || action > kMergeDifference) action = kMergeReplace;
  const uint16_t mode = uint16_t(kMergeMode + (formulas ? kMergeFormulas : kMergeValues) + action);
  const CommandResult result =
      Changing([&] { return MergeWorksheet(fileName, mode, row, column, source); });
  ThePlatform().Progress(-1);
  return result;
}
