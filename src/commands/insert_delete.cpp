// commands/insert_delete.cpp — insertion and deletion of rows and columns, page breaks.
//
// Rows shift inside one page: the band of rows (1 to 64 per sheet) that holds the last row of
// the block; rows of later pages, their heights and the stored ranges there stay. Records move
// by relinking whole row chains (rows) or by rewriting their column fields (columns), so every
// reference to them follows. Formulas whose ranges gain or lose positions are registered again.
// Reads and writes: the current worksheet's cells, extent, row heights and column widths, and
// its stored ranges (through AdjustStoredRanges).
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "commands/block_commands.h"
#include "commands/structure_change.h"
#include "core/messages.h"
#include "core/sheet_layout.h"
#include "platform/platform.h"

namespace {

constexpr char kBottomRow[] = "CELLS in bottom row";
constexpr char kLastColumn[] = "Cells in last Column";
constexpr char kPageBreakMarker[] = "|::";

uint32_t PageRows() {
  const uint16_t size = CurrentPageSize();
  return size == 0 || size > kRowCount ? uint32_t(kRowCount) : size;
}

CommandResult Refused(const char* text) {
  ShowError(text);
  return CommandResult{CommandStatus::kFailed, text};
}

// Moves the chain of `from` to the empty row `to`, with the row fields of its records.
void MoveChain(uint32_t from, uint32_t to) {
  const CellHandle head = RowHead(int(from));
  SetRowHead(int(from), 0);
  SetRowHead(int(to), head);
  for (CellHandle h = head; h; h = CellAt(h)->next) CellAt(h)->row = uint16_t(to);
}

// The records of the rows first..last (every column), or of the columns first..last (every
// row).
std::vector<CellHandle> BandRecords(bool rows, uint32_t first, uint32_t last) {
  std::vector<CellHandle> band;
  if (rows) {
    for (uint32_t row = first; row <= last; ++row) {
      for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) band.push_back(h);
    }
    return band;
  }
  for (uint32_t row = 0; row < uint32_t(kRowCount); ++row) {
    if (!RowHead(int(row))) continue;
    for (CellHandle h = FindCellAtOrAfter(row, first); h; h = CellAt(h)->next) {
      if (CellAt(h)->column > last) break;
      band.push_back(h);
    }
  }
  return band;
}

CommandResult ShiftRows(uint32_t first, uint32_t count, bool insert) {
  const uint32_t pageRows = PageRows();
  const uint32_t pageEnd = ((first + count - 1) / pageRows + 1) * pageRows - 1;
  const uint32_t pageStart = pageEnd + 1 - pageRows;
  const uint32_t lastUsed = LastRow();
  auto& heights = CurrentLayout().rowHeight;
  const uint16_t defaultHeight = CurrentLayout().defaultHeight;

  AffectedArea affected;
  affected.limit = CellRange{0, 0, kColumnCount - 1, uint16_t(pageEnd)};
  if (insert) {
    if (first <= lastUsed) {
      uint32_t last = std::min(pageEnd, lastUsed);
      while (last > first && RowHead(int(last)) == 0) --last;
      if (RowHead(int(last)) != 0 && last + count > pageEnd) return Refused(kBottomRow);
      for (uint32_t row = first; row <= pageEnd; ++row) NoteRowHeight(row);
      ShiftCellRecords(CellShift{true, true, uint16_t(first), uint16_t(count), uint16_t(pageEnd)});
      for (uint32_t row = pageEnd; row >= first + count; --row) heights[row] = heights[row - count];
      for (uint32_t row = first; row < first + count; ++row) heights[row] = defaultHeight;
      if (lastUsed >= pageStart && lastUsed <= pageEnd) {
        SetExtent(uint16_t(std::min<uint32_t>(lastUsed + count, pageEnd)), LastColumn());
      }
    }
    affected.area = CellRange{0, uint16_t(first), kColumnCount - 1, uint16_t(pageEnd)};
    affected.rowDelta = int(count);
  } else {
    const uint32_t lastDeleted = std::min(first + count - 1, pageEnd);
    if (first <= lastUsed) {
      const uint32_t shifted = lastDeleted - first + 1;
      for (uint32_t row = first; row <= pageEnd; ++row) NoteRowHeight(row);
      ShiftCellRecords(CellShift{true, false, uint16_t(first), uint16_t(shifted), uint16_t(pageEnd)});
      for (uint32_t row = first; row + shifted <= pageEnd; ++row) heights[row] = heights[row + shifted];
      for (uint32_t row = pageEnd + 1 - shifted; row <= pageEnd; ++row) heights[row] = defaultHeight;
      // Only the deleted rows that were in use lower the extent: a last used row in a later page,
      // or below the deleted rows, keeps the cells it covers inside the extent.
      if (lastUsed <= pageEnd) {
        const uint32_t inUse = std::min(lastDeleted, lastUsed) - first + 1;
        SetExtent(uint16_t(lastUsed >= inUse ? lastUsed - inUse : 0), LastColumn());
      }
    }
    affected.area = CellRange{0, uint16_t(std::min(lastDeleted + 1, pageEnd)), kColumnCount - 1,
                              uint16_t(pageEnd)};
    if (lastDeleted == pageEnd) affected.area = NoRange();
    affected.rowDelta = -int(lastDeleted - first + 1);
    affected.removed =
        CellRange{0, uint16_t(first), kColumnCount - 1, uint16_t(lastDeleted)};
  }
  AdjustStoredRanges(affected);
  return CommandResult{};
}

CommandResult ShiftColumns(uint32_t first, uint32_t count, bool insert) {
  const uint32_t lastUsed = LastColumn();
  auto& widths = CurrentLayout().columnWidth;
  const uint16_t defaultWidth = CurrentLayout().defaultWidth;
  const uint16_t edge = kColumnCount - 1;
  AffectedArea affected;
  if (insert) {
    if (lastUsed + count > kColumnCount - 1) return Refused(kLastColumn);
    if (first <= lastUsed) {
      ShiftCellRecords(CellShift{false, true, uint16_t(first), uint16_t(count), edge});
      SetExtent(LastRow(), uint16_t(lastUsed + count));
    }
    for (uint32_t column = first; column < kColumnCount; ++column) NoteColumnWidth(column);
    for (uint32_t column = kColumnCount - 1; column >= first + count; --column) {
      widths[column] = widths[column - count];
    }
    for (uint32_t column = first; column < first + count; ++column) widths[column] = defaultWidth;
    affected.area = CellRange{uint16_t(first), 0, kColumnCount - 1, kRowCount - 1};
    affected.columnDelta = int(count);
  } else {
    const uint32_t lastDeleted = first + count - 1;
    if (first <= lastUsed) {
      ShiftCellRecords(CellShift{false, false, uint16_t(first), uint16_t(count), edge});
      const uint32_t inUse = std::min(lastDeleted, lastUsed) - first + 1;
      SetExtent(LastRow(), uint16_t(lastUsed >= inUse ? lastUsed - inUse : 0));
    }
    for (uint32_t column = first; column < kColumnCount; ++column) NoteColumnWidth(column);
    for (uint32_t column = first; column + count < kColumnCount; ++column) {
      widths[column] = widths[column + count];
    }
    for (uint32_t column = kColumnCount - count; column < kColumnCount; ++column) {
      widths[column] = defaultWidth;
    }
    affected.area = lastDeleted + 1 < kColumnCount
                        ? CellRange{uint16_t(lastDeleted + 1), 0, kColumnCount - 1, kRowCount - 1}
                        : NoRange();
    affected.columnDelta = -int(count);
    affected.removed = CellRange{uint16_t(first), 0, uint16_t(lastDeleted), kRowCount - 1};
  }
  AdjustStoredRanges(affected);
  return CommandResult{};
}

CommandResult Shift(const CellRange& r, ShiftKind kind, bool insert) {
  if (kind == ShiftKind::kRows) return ShiftRows(r.firstRow, r.lastRow - r.firstRow + 1u, insert);
  return ShiftColumns(r.firstColumn, r.lastColumn - r.firstColumn + 1u, insert);
}

}  // namespace

void ShiftCellRecords(const CellShift& shift, std::vector<CellHandle>* relinked,
                      std::vector<CellHandle>* destroyed) {
  const uint32_t first = shift.first;
  const uint32_t end = shift.rows ? shift.pageEnd : kColumnCount - 1u;
  if (shift.count == 0 || first > end || end >= (shift.rows ? uint32_t(kRowCount) : kColumnCount)) {
    return;
  }
  const uint32_t n = std::min<uint32_t>(shift.count, end - first + 1);
  // The lines that go: the deleted ones, or those an insertion would push past the end (the
  // commands refuse to push cells off, so those are empty unless Undo finds placeholders there).
  const uint32_t goneFirst = shift.insert ? end + 1 - n : first;
  const uint32_t goneLast = shift.insert ? end : first + n - 1;
  const std::vector<CellHandle> victims = BandRecords(shift.rows, goneFirst, goneLast);
  const std::unordered_set<CellHandle> victimSet(victims.begin(), victims.end());
  for (CellHandle v : victims) NoteCellAndDependents(v);

  Relinker relinker;
  for (CellHandle v : victims) relinker.AddDependentsOf(v);
  if (shift.insert) {
    // Formulas whose ranges span the insertion point gain the new lines.
    for (CellHandle h : BandRecords(shift.rows, first, first)) relinker.AddDependentsOf(h);
  }
  relinker.Exclude(victimSet);
  relinker.UnlinkAll();
  DestroyRecords(victims, victimSet, relinker);

  NoteCellShift(CellShift{shift.rows, shift.insert, uint16_t(first), uint16_t(n), uint16_t(end)});
  if (shift.rows) {
    if (shift.insert) {
      for (uint32_t row = end + 1 - n; row-- > first;) {
        if (RowHead(int(row))) MoveChain(row, row + n);
      }
    } else {
      for (uint32_t row = first + n; row <= end; ++row) {
        if (RowHead(int(row))) MoveChain(row, row - n);
      }
    }
  } else {
    for (uint32_t row = 0; row < uint32_t(kRowCount); ++row) {
      if (!RowHead(int(row))) continue;
      for (CellHandle h = FindCellAtOrAfter(row, first); h; h = CellAt(h)->next) {
        CellRecord* c = CellAt(h);
        c->column = uint8_t(shift.insert ? c->column + n : c->column - n);
      }
      SetRowHead(int(row), RowHead(int(row)));  // the row's finger no longer fits
    }
  }
  relinker.LinkAll();
  if (relinked) *relinked = relinker.Formulas();
  if (destroyed) *destroyed = victims;
}

CommandResult InsertDelete(const CellRange& range, ShiftKind kind, bool insert) {
  CellRange r;
  if (!OrderedOnSheet(range, &r)) return CommandResult{CommandStatus::kFailed, {}};
  ThePlatform().WaitCursor(true);
  CommandResult result =
      RunCommand(CommandSteps{}, [&]() -> CommandResult { return Shift(r, kind, insert); });
  ThePlatform().WaitCursor(false);
  return result;
}

CommandResult InsertDeleteAcrossPages(const CellRange& range, bool insert) {
  CellRange r;
  if (!OrderedOnSheet(range, &r)) return CommandResult{CommandStatus::kFailed, {}};
  const uint32_t pageRows = PageRows();
  const uint32_t first = r.firstRow % pageRows;
  const uint32_t count = std::min<uint32_t>(r.lastRow - r.firstRow + 1u, pageRows - first);
  ThePlatform().WaitCursor(true);
  CommandResult result = RunCommand(CommandSteps{}, [&]() -> CommandResult {
    // Every page is checked first, so that a refusal leaves all of them as they were.
    if (insert) {
      for (uint32_t start = 0; start < kRowCount; start += pageRows) {
        const uint32_t row = start + first, pageEnd = start + pageRows - 1;
        uint32_t last = std::min<uint32_t>(pageEnd, LastRow());
        if (row > last) continue;
        while (last > row && RowHead(int(last)) == 0) --last;
        if (RowHead(int(last)) != 0 && last + count > pageEnd) {
          ShowError(kBottomRow);
          return CommandResult{CommandStatus::kFailed, kBottomRow};
        }
      }
    }
    for (uint32_t start = 0; start < kRowCount; start += pageRows) {
      const CommandResult one = ShiftRows(start + first, count, insert);
      if (!one.Done()) return one;
    }
    return CommandResult{};
  });
  ThePlatform().WaitCursor(false);
  return result;
}

CommandResult InsertPageBreak(const CellRange& range) {
  CellRange r;
  if (!OrderedOnSheet(range, &r)) return CommandResult{CommandStatus::kFailed, {}};
  return EnterIntoCell(r.firstRow, r.firstColumn, kPageBreakMarker);
}
