// commands/engine_start.cpp — start-up and reset of every engine layer.
//
// Writes: the state of every engine module, through the modules' own resets; the installed
// engine layers and platform.
#include "commands/engine_start.h"

#include "commands/print_commands.h"
#include "commands/structure_change.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/number_settings.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "core/sheet_extras.h"
#include "files/user_functions.h"
#include "files/atomic_file.h"
#include "files/worksheet_file.h"
#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"
#include "formula/function_library.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"
#include "formula/recalc.h"
#include "platform/headless/headless_platform.h"
#include "platform/platform.h"

bool ProductEngineLayers::CodeToFileForm(const uint8_t* code, uint16_t row, uint16_t column,
                                         uint8_t* out) {
  return ::CodeToFileForm(code, row, column, out);
}

bool ProductEngineLayers::CodeToCellForm(uint8_t* code, uint16_t row, uint16_t column) {
  return ::CodeToCellForm(code, row, column);
}

void ProductEngineLayers::LinkFormula(PoolHandle cell) { Link(cell); }

void ProductEngineLayers::UnlinkFormula(PoolHandle cell) { Unlink(cell); }

void ProductEngineLayers::Recalculate() { RecalculateAll(); }

bool ProductEngineLayers::CompileFormula(std::string_view text, uint16_t row, uint16_t column,
                                         std::string* code) {
  return ::CompileFormula(text, row, column, code);
}

std::string ProductEngineLayers::FormulaText(PoolHandle cell) { return CellFormulaText(cell); }

void ProductEngineLayers::EvaluateCell(PoolHandle cell) { ::EvaluateCell(cell); }

void ProductEngineLayers::RecalculateFrom(PoolHandle cell) { ::RecalculateFrom(cell); }

void ProductEngineLayers::RecalculateCells(const PoolHandle* cells, size_t count) {
  ::RecalculateCells(cells, count);
}

void ProductEngineLayers::ShiftCells(const CellShift& shift, std::vector<PoolHandle>* relinked,
                                     std::vector<PoolHandle>* destroyed) {
  ShiftCellRecords(shift, relinked, destroyed);
}

void ProductEngineLayers::WorksheetClosed(int slot) {
  ForgetLinkTable(slot);
  ForgetLinkedSheet(slot);
}

int ProductEngineLayers::LoadLinkedSheet(const std::string& path) {
  return LoadLinkedWorksheet(path);
}

void ProductEngineLayers::ReleaseLinkedSheet(int slot) {
  const WorksheetSlot& entry = Worksheet(slot);
  if (entry.InUse() && entry.linkedOnly) CloseWorksheet(entry.heap);
}

ProductEngineLayers& TheProductEngineLayers() {
  static ProductEngineLayers layers;
  return layers;
}

namespace {

void ResetModules(uint32_t maxPages) {
  InstallEngineLayers(&TheProductEngineLayers());
  ResetEvaluatorState();  // releases the linked files while their entries still exist
  CloseAllWorksheets();
  ResetWorksheets();
  ResetAllExtras();
  ResetWorksheetFiles();
  ResetAtomicFileFault();
  PoolReset(maxPages);
  ResetAddressState();
  ResetCellStore();
  ResetNumberSettings();
  ResetDefaultOptions();
  ResetEntryState();
  ResetCompilerState();
  ClearFunctionLibrary();
  ResetRecalcState();
  ResetMathFunctionState();
  ResetSheetFunctionState();
  ResetProgramFiles();
  ResetSettings();
  ResetPrintCommands();
  SetUndoEnabled(true);
  SetErrorTrap(nullptr);
  ClearError();
  InstallEvaluatorRoutines();
  RegisterMathFunctions();
  RegisterSheetFunctions();
}

}  // namespace

void ResetEngineState(uint32_t maxPages) {
  TheHeadlessPlatform().Reset();
  ResetModules(maxPages);
}

void StartEngine(const char* argv0, Platform* platform) {
  ResetModules(0);
  InstallPlatform(platform);
  InitProgramFiles(argv0);
  ResetSettings();
  LoadSettings();
  LoadUserFunctions();
}
