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
      // Formulas whose ranges span the insertion point gain the new rows.
      Relinker relinker;
      for (CellHandle h = RowHead(int(first)); h; h = CellAt(h)->next) relinker.AddDependentsOf(h);
      for (uint32_t row = first; row <= pageEnd; ++row) NoteRowHeight(row);
      relinker.UnlinkAll();
      for (uint32_t row = last + 1; row-- > first;) {
        if (RowHead(int(row))) MoveChain(row, row + count);
      }
      for (uint32_t row = pageEnd; row >= first + count; --row) heights[row] = heights[row - count];
      for (uint32_t row = first; row < first + count; ++row) heights[row] = defaultHeight;
      if (lastUsed >= pageStart && lastUsed <= pageEnd) {
        SetExtent(uint16_t(std::min<uint32_t>(lastUsed + count, pageEnd)), LastColumn());
      }
      relinker.LinkAll();
    }
    affected.area = CellRange{0, uint16_t(first), kColumnCount - 1, uint16_t(pageEnd)};
    affected.rowDelta = int(count);
  } else {
    const uint32_t lastDeleted = std::min(first + count - 1, pageEnd);
    if (first <= lastUsed) {
      std::vector<CellHandle> victims;
      for (uint32_t row = first; row <= lastDeleted; ++row) {
        for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) victims.push_back(h);
      }
      const std::unordered_set<CellHandle> victimSet(victims.begin(), victims.end());
      const uint32_t shifted = lastDeleted - first + 1;
      for (uint32_t row = first; row <= pageEnd; ++row) NoteRowHeight(row);
      Relinker relinker;
      for (CellHandle v : victims) relinker.AddDependentsOf(v);
      relinker.Exclude(victimSet);
      relinker.UnlinkAll();
      DestroyRecords(victims, victimSet, relinker);
      for (uint32_t row = lastDeleted + 1; row <= std::min(pageEnd, lastUsed); ++row) {
        if (RowHead(int(row))) MoveChain(row, row - shifted);
      }
      for (uint32_t row = first; row + shifted <= pageEnd; ++row) heights[row] = heights[row + shifted];
      for (uint32_t row = pageEnd + 1 - shifted; row <= pageEnd; ++row) heights[row] = defaultHeight;
      // Only the deleted rows that were in use lower the extent: a last used row in a later page,
      // or below the deleted rows, keeps the cells it covers inside the extent.
      if (lastUsed <= pageEnd) {
        const uint32_t inUse = std::min(lastDeleted, lastUsed) - first + 1;
        SetExtent(uint16_t(lastUsed >= inUse ? lastUsed - inUse : 0), LastColumn());
      }
      relinker.LinkAll();
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
  const uint32_t lastRow = LastRow();
  auto& widths = CurrentLayout().columnWidth;
  const uint16_t defaultWidth = CurrentLayout().defaultWidth;
  AffectedArea affected;
  if (insert) {
    if (lastUsed + count > kColumnCount - 1) return Refused(kLastColumn);
    if (first <= lastUsed) {
      Relinker relinker;
      for (uint32_t row = 0; row <= lastRow; ++row) {
        if (CellHandle h = GetCell(row, first)) relinker.AddDependentsOf(h);
      }
      relinker.UnlinkAll();
      for (uint32_t row = 0; row <= lastRow; ++row) {
        for (CellHandle h = FindCellAtOrAfter(row, first); h; h = CellAt(h)->next) {
          CellAt(h)->column = uint8_t(CellAt(h)->column + count);
        }
        SetRowHead(int(row), RowHead(int(row)));  // the row's finger no longer fits
      }
      SetExtent(LastRow(), uint16_t(lastUsed + count));
      relinker.LinkAll();
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
      std::vector<CellHandle> victims;
      for (uint32_t row = 0; row <= lastRow; ++row) {
        for (CellHandle h = FindCellAtOrAfter(row, first); h; h = CellAt(h)->next) {
          if (CellAt(h)->column > lastDeleted) break;
          victims.push_back(h);
        }
      }
      const std::unordered_set<CellHandle> victimSet(victims.begin(), victims.end());
      Relinker relinker;
      for (CellHandle v : victims) relinker.AddDependentsOf(v);
      relinker.Exclude(victimSet);
      relinker.UnlinkAll();
      DestroyRecords(victims, victimSet, relinker);
      for (uint32_t row = 0; row <= lastRow; ++row) {
        for (CellHandle h = FindCellAtOrAfter(row, first); h; h = CellAt(h)->next) {
          CellAt(h)->column = uint8_t(CellAt(h)->column - count);
        }
        SetRowHead(int(row), RowHead(int(row)));
      }
      const uint32_t inUse = std::min(lastDeleted, lastUsed) - first + 1;
      SetExtent(LastRow(), uint16_t(lastUsed >= inUse ? lastUsed - inUse : 0));
      relinker.LinkAll();
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

CommandResult InsertDelete(const CellRange& range, ShiftKind kind, bool insert) {
  CellRange r;
  if (!OrderedOnSheet(range, &r)) return CommandResult{CommandStatus::kFailed, {}};
  ThePlatform().WaitCursor(true);
  CommandResult result =
      RunCommand(WholeSheetSteps(), [&]() -> CommandResult { return Shift(r, kind, insert); });
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
  CommandResult result = RunCommand(WholeSheetSteps(), [&]() -> CommandResult {
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
