// core/cell_store.cpp — row chains of cell records, cell texts, the extent and the modified flag.
//
// Each row of the current sheet is a singly linked chain of 33-byte records in ascending column
// order; a lookup walks the chain from the row's finger (the last cell reached in that row) when
// the wanted column lies beyond it, else from its head, so that appending to a row costs O(1)
// whatever order the rows are filled in. New records are copies of the blank template.
// When no sheet is current (no row table) every lookup gives no cell and nothing is created.
// Reads and writes: the current sheet's row table, extent and modified flag (core/sheet_state.h),
// CellStoreState (the predecessor remembered by the last lookup, the row fingers).
#include "core/cell_store.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "core/address.h"
#include "core/dependents.h"
#include "core/format.h"
#include "core/sheet_state.h"

namespace {

struct CellStoreState {
  CellHandle predecessor = 0;  // cell before the one FindCellAtOrAfter gave, 0 for the head
  // Per row, the last cell a lookup or a creation reached (0: none). A search for a higher
  // column starts there instead of at the head, so filling rows column after column costs the
  // same as row after row. The fingers belong to one sheet, named by its row table and heap;
  // on any other sheet, or once pool pages were released, they are forgotten before use.
  const PoolHandle* fingerTable = nullptr;
  uint16_t fingerHeap = 0;
  uint64_t fingerGeneration = 0;
  std::array<CellHandle, kRowCount> finger{};
};

CellStoreState& CellStore() {
  static CellStoreState* state = new CellStoreState();
  return *state;
}

// The finger array of the current sheet, emptied when the fingers belonged to another one.
std::array<CellHandle, kRowCount>& Fingers(const PoolHandle* table) {
  CellStoreState& st = CellStore();
  if (st.fingerTable != table || st.fingerHeap != PoolCurrentHeap() ||
      st.fingerGeneration != PoolGeneration()) {
    st.finger.fill(0);
    st.fingerTable = table;
    st.fingerHeap = PoolCurrentHeap();
    st.fingerGeneration = PoolGeneration();
  }
  return st.finger;
}

void ForgetFingers() {
  CellStoreState& st = CellStore();
  st.finger.fill(0);
  st.fingerTable = nullptr;
  st.fingerHeap = 0;
}

CellRecord MakeTemplate(uint8_t kind) {
  CellRecord r{};
  r.font = 255;
  r.format = kFormatProtected | kFormatDefault;
  r.colour = kColourDefault;
  r.kind = kind;
  return r;
}

PoolHandle* RowTable() { return CurrentSheet().rowTable; }

PoolHandle AllocText(std::string_view text) {
  PoolHandle block = PoolAlloc(uint32_t(text.size()) + 1);
  if (!block) return 0;
  uint8_t* p = PoolPtr(block);
  p[0] = uint8_t(text.size());
  std::memcpy(p + 1, text.data(), text.size());
  return block;
}

}  // namespace

const CellRecord& BlankCellTemplate() {
  static const CellRecord blank = MakeTemplate(uint8_t(CellKind::kBlank));
  return blank;
}

const CellRecord& FormulaCellTemplate() {
  static const CellRecord formula = MakeTemplate(uint8_t(CellKind::kFormula));
  return formula;
}

bool IsPlainBlank(const CellRecord* c) {
  const CellRecord& blank = BlankCellTemplate();
  return (c->kind & kKindMask) == uint8_t(CellKind::kBlank) &&
         std::memcmp(&c->font, &blank.font, offsetof(CellRecord, column) - kCellAttributeOffset) == 0;
}

void ResetCellStore() {
  CellStore().predecessor = 0;
  ForgetFingers();
  ResetDependents();
  ResetUndoJournals();
}

// --- values ------------------------------------------------------------------------------------

double CellNumber(const CellRecord* c) {
  switch (c->kind & kKindMask) {
    case uint8_t(CellKind::kFormula):
    case uint8_t(CellKind::kNumber):
      return CellDouble(c);
    case uint8_t(CellKind::kInteger):
      return CellInteger(c);
    default:
      return 0;
  }
}

void StoreNumber(CellRecord* cell, double value) {
  // A string formula's result block would be lost under the number.
  if ((cell->kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
    PoolHandle result = CellStringResult(cell);
    if (result) PoolFree(result, PoolTextSize(result));
  }
  std::memset(cell->value, 0, sizeof cell->value);
  if (std::trunc(value) == value && std::fabs(value) < 32767) {
    int16_t whole = int16_t(value);
    std::memcpy(cell->value, &whole, 2);
    cell->kind = uint8_t(CellKind::kInteger);
  } else {
    SetCellDouble(cell, value);
    cell->kind = uint8_t(CellKind::kNumber);
  }
}

// --- texts -------------------------------------------------------------------------------------

std::string PoolText(PoolHandle text) {
  if (!text) return {};
  const uint8_t* p = PoolPtr(text);
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

bool SetCellText(CellRecord* cell, std::string_view text) {
  if (text.size() > kMaxCellText) text = text.substr(0, kMaxCellText);
  if (text.empty()) {
    FreeCellText(cell);
    return true;
  }
  if (cell->text && PoolPtr(cell->text)[0] == text.size()) {
    std::memcpy(PoolPtr(cell->text) + 1, text.data(), text.size());
    return true;
  }
  PoolHandle block = AllocText(text);
  if (!block) return false;
  FreeCellText(cell);
  cell->text = block;
  return true;
}

bool SetCellTextBytes(CellRecord* cell, const uint8_t* bytes) {
  return SetCellText(cell, std::string_view(reinterpret_cast<const char*>(bytes + 1), bytes[0]));
}

void FreeCellText(CellRecord* cell) {
  if (!cell->text) return;
  PoolFree(cell->text, PoolTextSize(cell->text));
  cell->text = 0;
}

// --- access ------------------------------------------------------------------------------------

CellHandle RowHead(int slot) {
  PoolHandle* table = RowTable();
  if (!table || slot < 0 || slot >= kRowTableSlots) return 0;
  return table[slot];
}

void SetRowHead(int slot, CellHandle head) {
  PoolHandle* table = RowTable();
  if (!table || slot < 0 || slot >= kRowTableSlots) return;
  table[slot] = head;
  // Whoever relinks a row by hand makes its finger meaningless.
  if (slot < kRowCount) Fingers(table)[slot] = 0;
}

CellHandle FindCellAtOrAfter(uint32_t row, uint32_t column) {
  CellStoreState& st = CellStore();
  st.predecessor = 0;
  PoolHandle* table = RowTable();
  if (!table || !IsValidCell(row, 0)) return 0;
  CellHandle& finger = Fingers(table)[row];
  CellHandle cell = table[row];
  if (finger && CellAt(finger)->column < column) {
    st.predecessor = finger;
    cell = CellAt(finger)->next;
  }
  while (cell) {
    const CellRecord* c = CellAt(cell);
    if (c->column >= column) break;
    st.predecessor = cell;
    cell = c->next;
  }
  if (st.predecessor) finger = st.predecessor;
  return cell;
}

CellHandle FoundPredecessor() { return CellStore().predecessor; }

CellHandle GetCell(uint32_t row, uint32_t column) {
  CellHandle cell = FindCellAtOrAfter(row, column);
  return (cell && CellAt(cell)->column == column) ? cell : 0;
}

CellHandle GetOrCreateCell(uint32_t row, uint32_t column) {
  if (!IsValidCell(row, column)) {
    RaiseError("Out of Range");
    return 0;
  }
  if (!RowTable()) return 0;
  CellHandle found = FindCellAtOrAfter(row, column);
  if (found && CellAt(found)->column == column) return found;
  CellHandle predecessor = CellStore().predecessor;

  NoteCellCreation(row, column);
  CellHandle cell = PoolAlloc(sizeof(CellRecord));
  if (!cell) return 0;
  CellRecord* c = CellAt(cell);
  std::memcpy(c, &BlankCellTemplate(), sizeof(CellRecord));
  c->column = uint8_t(column);
  c->row = uint16_t(row);
  c->next = found;
  if (predecessor) {
    CellAt(predecessor)->next = cell;
  } else {
    RowTable()[row] = cell;
  }
  CellStore().predecessor = predecessor;
  Fingers(RowTable())[row] = cell;

  SheetState& sheet = CurrentSheet();
  sheet.options.setModified(true);
  if (row > sheet.lastRow) sheet.lastRow = uint16_t(row);
  if (column > sheet.lastColumn) sheet.lastColumn = uint16_t(column);
  return cell;
}

void UnlinkCell(CellHandle cell, CellHandle predecessor, uint32_t row) {
  if (!cell || !RowTable() || !IsValidCell(row, 0)) return;
  if (predecessor) {
    CellAt(predecessor)->next = CellAt(cell)->next;
  } else if (RowHead(int(row)) == cell) {
    RowTable()[row] = CellAt(cell)->next;
  }
  CellHandle& finger = Fingers(RowTable())[row];
  if (finger == cell) finger = predecessor;
  if (CellStore().predecessor == cell) CellStore().predecessor = predecessor;
}

void FreeCellRecord(CellHandle cell) {
  if (!cell) return;
  FreeDependents(cell);
  CellRecord* c = CellAt(cell);
  FreeCellText(c);
  if ((c->kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
    PoolHandle result = CellStringResult(c);
    if (result) PoolFree(result, PoolTextSize(result));
  }
  PoolFree(cell, sizeof(CellRecord));
}

void FreeAllCells() {
  PoolHandle* table = RowTable();
  if (table) {
    // Every row, not only those up to the extent: a sheet whose extent was set from a file may
    // hold cells beyond it, and they must not stay linked to freed neighbours.
    for (int row = 0; row < kRowCount; ++row) {
      CellHandle cell = table[row];
      table[row] = 0;
      while (cell) {
        CellHandle next = CellAt(cell)->next;
        FreeCellRecord(cell);
        cell = next;
      }
    }
  }
  CellStore().predecessor = 0;
  ForgetFingers();
}

void ClearAllCells() {
  FreeAllCells();
  DropUndo();
  SheetState& sheet = CurrentSheet();
  sheet.lastRow = 0;
  sheet.lastColumn = 0;
}

// --- extent and modified flag --------------------------------------------------------------------

uint16_t LastRow() { return CurrentSheet().lastRow; }
uint16_t LastColumn() { return CurrentSheet().lastColumn; }
uint16_t FirstRow() { return CurrentSheet().firstRow; }
uint16_t FirstColumn() { return CurrentSheet().firstColumn; }

void SetExtent(uint16_t lastRow, uint16_t lastColumn) {
  CurrentSheet().lastRow = lastRow;
  CurrentSheet().lastColumn = lastColumn;
}

void SetFirstUsed(uint16_t firstRow, uint16_t firstColumn) {
  CurrentSheet().firstRow = firstRow;
  CurrentSheet().firstColumn = firstColumn;
}

bool SheetModified() { return Options().modified(); }
void SetSheetModified(bool modified) { Options().setModified(modified); }

// --- checks and dumps --------------------------------------------------------------------------

bool CheckRowChains(std::string* why) {
  PoolHandle* table = RowTable();
  if (!table) return true;
  auto fault = [why](int row, int column, const char* text) {
    if (why) {
      char buffer[96];
      std::snprintf(buffer, sizeof buffer, "row %d column %d: %s", row, column, text);
      *why = buffer;
    }
    return false;
  };
  const std::array<CellHandle, kRowCount>& fingers = Fingers(table);
  for (int row = 0; row < kRowCount; ++row) {
    int previous = -1;
    int count = 0;
    bool fingerFound = fingers[row] == 0;
    for (CellHandle cell = table[row]; cell; cell = CellAt(cell)->next) {
      const CellRecord* c = CellAt(cell);
      if (++count > kColumnCount) return fault(row, c->column, "chain longer than 256 cells");
      if (c->row != row) return fault(row, c->column, "record names another row");
      if (int(c->column) <= previous) return fault(row, c->column, "columns not ascending");
      previous = c->column;
      fingerFound |= cell == fingers[row];
    }
    if (!fingerFound) return fault(row, 0, "finger is not a cell of the row");
  }
  return true;
}

std::string DumpRowChain(uint32_t row) {
  CellHandle cell = RowHead(int(row));
  if (!cell || !IsValidCell(row, 0)) return {};
  std::string out = "row ";
  out += std::to_string(row);
  out += ':';
  for (int count = 0; cell && count <= kColumnCount; cell = CellAt(cell)->next, ++count) {
    out += ' ';
    out += std::to_string(CellAt(cell)->column);
  }
  return out;
}
