// commands/find_replace.cpp — Find Next, the single-step Replace and Replace All.
//
// Reads and writes: the current worksheet's cells (through cell entry), the manual-recalculation
// byte of its options for the duration of Replace All, entry's message suppression.
#include "commands/find_replace.h"

#include <algorithm>

#include "core/cell_store.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/worksheets.h"
#include "core/text_case.h"
#include "formula/formula_text.h"
#include "platform/platform.h"

namespace {

std::string CompareText(const FindState& s, std::string text) {
  return s.caseInsensitive ? UpperCase(text) : text;
}

// Starts a new search when one is due: the rectangle and its top-left cell.
void BeginSearch(FindState& s) {
  if (!s.newSearch) return;
  if (RangeIsValid(s.scope)) {
    s.rectangle = OrderedRange(s.scope);
  } else {
    s.rectangle = CellRange{0, 0, LastColumn(), LastRow()};
  }
  s.row = s.rectangle.firstRow;
  s.column = s.rectangle.firstColumn;
  s.newSearch = false;
}

// The first occupied cell at or after the current position whose compare text contains the
// (compare-form) find text; moves the position there. False when there is none.
bool SearchFrom(FindState& s, const std::string& find) {
  const CellRange& r = s.rectangle;
  for (uint32_t row = s.row; row <= r.lastRow; ++row) {
    const uint32_t first = row == s.row ? s.column : r.firstColumn;
    if (first > r.lastColumn) continue;
    for (CellHandle h = FindCellAtOrAfter(row, first); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > r.lastColumn) break;
      if (CompareText(s, CellContentsText(h)).find(find) == std::string::npos) continue;
      s.row = row;
      s.column = c->column;
      return true;
    }
  }
  return false;
}

// Moves the position one column on (past the rectangle's end in its last row means the end).
void StepPosition(FindState& s) { ++s.column; }

bool SearchOver(const FindState& s) {
  return s.row > s.rectangle.lastRow ||
         (s.row == s.rectangle.lastRow && s.column > s.rectangle.lastColumn);
}

// Every occurrence of the find text in `text` replaced left to right, each search going on after
// the text inserted. Gives the number of replacements.
uint32_t ReplaceInText(const FindState& s, const std::string& find, std::string* text) {
  uint32_t count = 0;
  size_t at = 0;
  while (true) {
    const size_t found = CompareText(s, *text).find(find, at);
    if (found == std::string::npos) return count;
    text->replace(found, s.findText.size(), s.replaceText);
    at = found + s.replaceText.size();
    ++count;
  }
}

bool InsideRectangle(const FindState& s) {
  const CellRange& r = s.rectangle;
  return s.row >= r.firstRow && s.row <= r.lastRow && s.column >= r.firstColumn &&
         s.column <= r.lastColumn;
}

// "Circular Replace Detected" when the find text occurs in the replacement, else kDone.
CommandResult CircularCheck(const FindState& s, const std::string& find) {
  if (CompareText(s, s.replaceText).find(find) == std::string::npos) return CommandResult{};
  constexpr char kCircular[] = "Circular Replace Detected";
  ShowError(kCircular);
  return CommandResult{CommandStatus::kFailed, kCircular};
}

// Finds the next match from the current position on (the current cell included); beeps when
// there is none.
CommandResult FindFromPosition(FindState& s, const std::string& find) {
  if (SearchOver(s) || !SearchFrom(s, find)) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  return CommandResult{};
}

}  // namespace

bool CurrentCellMatches(const FindState& state) {
  if (state.newSearch || state.findText.empty() || CurrentWorksheet() == 0) return false;
  if (!InsideRectangle(state)) return false;
  const CellHandle h = GetCell(state.row, state.column);
  if (!h) return false;
  return CompareText(state, CellContentsText(h)).find(CompareText(state, state.findText)) !=
         std::string::npos;
}

CommandResult FindNext(FindState& state) {
  CommandSteps steps;
  steps.undo = false;
  steps.recalculate = false;
  steps.marksModified = false;
  return RunCommand(steps, [&]() -> CommandResult {
    if (state.findText.empty()) return CommandResult{CommandStatus::kFailed, {}};
    if (state.newSearch) {
      BeginSearch(state);
    } else {
      StepPosition(state);
    }
    if (SearchOver(state) || !SearchFrom(state, CompareText(state, state.findText))) {
      ThePlatform().Beep();
      return CommandResult{CommandStatus::kFailed, {}};
    }
    return CommandResult{};
  });
}

CommandResult ReplaceNext(FindState& state) {
  if (state.findText.empty()) return CommandResult{CommandStatus::kFailed, {}};
  const std::string find = CompareText(state, state.findText);
  const CommandResult circular = CircularCheck(state, find);
  if (!circular.Done()) return circular;
  if (state.newSearch) {
    CommandSteps steps;
    steps.undo = false;
    steps.recalculate = false;
    steps.marksModified = false;
    return RunCommand(steps, [&]() -> CommandResult {
      BeginSearch(state);
      return FindFromPosition(state, find);
    });
  }
  CommandSteps steps;
  steps.recalculate = false;    // the entry recalculates what depends on the cell
  steps.marksModified = false;  // the entry marks the sheet itself when it stores anything
  return RunCommand(steps, [&]() -> CommandResult {
    if (!InsideRectangle(state)) {
      ThePlatform().Beep();
      return CommandResult{CommandStatus::kFailed, {}};
    }
    const CellHandle h = GetCell(state.row, state.column);
    std::string text = h ? CellContentsText(h) : std::string();
    const size_t at = CompareText(state, text).find(find);
    if (at == std::string::npos) {
      StepPosition(state);
      return FindFromPosition(state, find);
    }
    text.replace(at, state.findText.size(), state.replaceText);
    if (text.size() > kMaxCellText) {
      const std::string message =
          "Text too long in " + ShortCellText(uint16_t(state.row), uint16_t(state.column));
      ShowError(message);
      return CommandResult{CommandStatus::kFailed, message};
    }
    ClearError();
    switch (EnterCell(text, state.row, state.column)) {
      case EntryResult::kStored: break;
      case EntryResult::kProtected: return CommandResult{CommandStatus::kProtected, "Protected Cell"};
      case EntryResult::kFormulaError: return CommandResult{CommandStatus::kFormulaError, ErrorText()};
      case EntryResult::kNoMemory: return CommandResult{CommandStatus::kFailed, ErrorText()};
    }
    ++state.replacements;
    ThePlatform().Repaint();
    // The replacement stands even when no further match is left (that only beeps).
    FindFromPosition(state, find);
    return CommandResult{};
  });
}

CommandResult ReplaceAll(FindState& state) {
  state.replacements = 0;
  if (state.findText.empty()) return CommandResult{CommandStatus::kFailed, {}};
  const std::string find = CompareText(state, state.findText);
  const CommandResult circular = CircularCheck(state, find);
  if (!circular.Done()) return circular;
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    BeginSearch(state);
    // Each entry would recalculate its dependents; the command recalculates once at the end.
    const bool manual = Options().manualRecalc();
    Options().setManualRecalc(true);
    const bool suppressed = EntryMessagesSuppressed();
    SetEntryMessagesSuppressed(true);
    CommandResult refusal;
    bool changed = false;
    while (!SearchOver(state) && SearchFrom(state, find)) {
      const CellHandle h = GetCell(state.row, state.column);
      std::string text = CellContentsText(h);
      const uint32_t count = ReplaceInText(state, find, &text);
      if (text.size() > kMaxCellText) {
        if (refusal.Done()) refusal = CommandResult{CommandStatus::kFailed, "Text too long in " +
                                                    ShortCellText(uint16_t(state.row), uint16_t(state.column))};
      } else {
        ClearError();
        const EntryResult entered = EnterCell(text, state.row, state.column);
        if (entered == EntryResult::kStored) {
          state.replacements += count;
          changed = true;
        } else if (refusal.Done()) {
          refusal = entered == EntryResult::kProtected
                        ? CommandResult{CommandStatus::kProtected, "Protected Cell"}
                        : CommandResult{entered == EntryResult::kFormulaError ? CommandStatus::kFormulaError
                                                                              : CommandStatus::kFailed,
                                        ErrorText()};
        }
      }
      StepPosition(state);
    }
    SetEntryMessagesSuppressed(suppressed);
    Options().setManualRecalc(manual);
    if (changed) SetSheetModified(true);
    if (!refusal.Done() && !refusal.message.empty()) ShowError(refusal.message);
    return refusal;
  });
}
