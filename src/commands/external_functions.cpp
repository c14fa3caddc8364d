// commands/external_functions.cpp — the table of the sheet's user functions and their reset.
//
// Reads and writes: the current worksheet's cells (through cell entry), its list of user
// functions, the undo journal (the list joins the group through NoteSheetState).
#include "commands/external_functions.h"

#include <string>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"
#include "formula/function_library.h"

namespace {

std::vector<UserFunction> SheetFunctions() {
  std::vector<UserFunction> list;
  UserFunction f;
  for (int i = 1; SheetFunctionAt(i, &f); ++i) list.push_back(f);
  return list;
}

// Lets Undo put the sheet's list back as it is now (same order, so the indexes in formula code
// name the same functions again).
void NoteSheetFunctions() {
  static const char key = 0;
  NoteSheetState(&key, SheetFunctionCount() * sizeof(UserFunction), [] {
    std::vector<UserFunction> before = SheetFunctions();
    return UndoRestore([before] {
      ResetSheetFunctions();
      for (const UserFunction& f : before) AddSheetFunction(f.name, f.text, f.argumentCount);
    });
  });
}

}  // namespace

CommandResult WriteUserFunctionTable(uint32_t row, uint32_t column) {
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    if (!IsValidCell(row, column)) return CommandResult{CommandStatus::kFailed, {}};
    const std::vector<UserFunction> list = SheetFunctions();
    for (size_t i = 0; i < list.size() && row + i < uint32_t(kRowCount); ++i) {
      const uint32_t at = uint32_t(row + i);
      EntryResult entered = EnterCell("'" + list[i].name, at, column);
      if (entered == EntryResult::kStored && column + 1 < uint32_t(kColumnCount)) {
        entered = EnterCell("'" + list[i].text, at, column + 1);
      }
      if (entered == EntryResult::kProtected) {
        return CommandResult{CommandStatus::kProtected, "Protected Cell"};
      }
      if (entered != EntryResult::kStored) return CommandResult{CommandStatus::kFailed, ErrorText()};
    }
    return CommandResult{};
  });
}

CommandResult ResetUserFunctions() {
  CommandSteps steps;
  steps.refuseWhenProtected = true;
  return RunCommand(steps, [&]() -> CommandResult {
    NoteSheetFunctions();
    // Entry replaces records' contents: collect the positions first.
    std::vector<CellAddress> calls;
    for (uint32_t row = 0; row <= LastRow(); ++row) {
      for (CellHandle h = FindCellAtOrAfter(row, 0); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        if (!KindIsFormula(c->kind & kKindMask) || !c->text) continue;
        const uint8_t* code = PoolPtr(c->text);
        if (CallsUserFunction(code, CodeBufferSize(code))) {
          calls.push_back(CellAddress{uint16_t(c->column), uint16_t(row)});
        }
      }
    }
    for (const CellAddress& at : calls) {
      const std::string text = "'" + CellFormulaText(GetCell(at.row, at.column));
      if (EnterCell(text, at.row, at.column) != EntryResult::kStored) {
        return CommandResult{CommandStatus::kFailed, ErrorText()};
      }
    }
    ResetSheetFunctions();
    return CommandResult{};
  });
}
