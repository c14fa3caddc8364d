// analysis/analysis_cells.cpp — how the data tools read and write cells.
//
// Reads and writes: the current worksheet's cells (through the cell store, cell entry and the
// recalculation of the formula engine); the open undo group records every change.
#include "analysis/analysis_cells.h"

#include <cstring>

#include "commands/cell_changes.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "formula/recalc.h"

namespace {

constexpr char kProtectedCell[] = "Protected Cell";

// The cell to write at (row, column), created when missing; 0 after "Protected Cell" or when
// the pool is exhausted.
CellHandle WritableCell(uint32_t row, uint32_t column) {
  CellHandle h = GetCell(row, column);
  if (Options().protection() && (!h || (CellAt(h)->format & kFormatProtected))) {
    ShowError(kProtectedCell);
    return 0;
  }
  if (!h) h = GetOrCreateCell(row, column);
  return h;
}

}  // namespace

double ValueAt(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  return h ? CellNumber(CellAt(h)) : 0.0;
}

bool StoreNumberAt(uint32_t row, uint32_t column, double value) {
  const CellHandle h = WritableCell(row, column);
  if (!h) return false;
  EraseCellContents(h);
  StoreNumber(CellAt(h), value);
  SetSheetModified(true);
  return true;
}

bool StoreLabelAt(uint32_t row, uint32_t column, std::string_view text) {
  const CellHandle h = WritableCell(row, column);
  if (!h) return false;
  std::string label;
  if (text.empty() || !IsLabelPrefix(static_cast<unsigned char>(text[0]))) {
    label.push_back(char(Options().labelPrefix()));
  }
  label.append(text);
  EraseCellContents(h);
  CellRecord* c = CellAt(h);
  if (!SetCellText(c, label)) return false;
  c->kind = uint8_t(CellKind::kLabel);
  SetSheetModified(true);
  return true;
}

bool EnterTextAt(uint32_t row, uint32_t column, std::string_view text) {
  return EnterCell(text, row, column) == EntryResult::kStored;
}

bool EraseAt(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  if (!h) return true;
  if (Options().protection() && (CellAt(h)->format & kFormatProtected)) {
    ShowError(kProtectedCell);
    return false;
  }
  EraseCellContents(h);
  SetSheetModified(true);
  return true;
}

void RecalculateDependents(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  if (h) RecalculateFrom(h);
}

SavedCell::SavedCell(uint32_t row, uint32_t column) : row_(row), column_(column) {
  const CellHandle h = GetCell(row, column);
  if (!h) return;
  const CellRecord* c = CellAt(h);
  existed_ = true;
  kind_ = uint8_t(c->kind & ~(kKindVisited | kKindQueued));
  std::memcpy(value_, c->value, sizeof value_);
  if ((kind_ & kKindMask) == uint8_t(CellKind::kStringFormula)) {
    std::memset(value_, 0, sizeof value_);  // the string result is the old formula's own block
  }
  if (c->text) {
    const uint8_t* bytes = PoolPtr(c->text);
    text_.assign(bytes, bytes + bytes[0] + 1);
  }
}

void SavedCell::Restore() const {
  const CellHandle h = GetCell(row_, column_);
  if (!h) return;
  EraseCellContents(h);
  if (existed_) {
    CellRecord* c = CellAt(h);
    if (!text_.empty()) SetCellTextBytes(c, text_.data());
    c = CellAt(h);
    std::memcpy(c->value, value_, sizeof value_);
    c->kind = kind_;
    const uint8_t kind = kind_ & kKindMask;
    if (kind <= uint8_t(CellKind::kFormula) && !(kind_ & kKindFileForm) && c->text) Link(h);
  }
  RecalculateFrom(h);
}

CommandResult ToolFailed(std::string_view message) {
  ShowError(message);
  return CommandResult{CommandStatus::kFailed, std::string(message)};
}

CommandResult WriteRefused() {
  if (Options().protection()) return CommandResult{CommandStatus::kProtected, kProtectedCell};
  return CommandResult{CommandStatus::kFailed, {}};
}
