// commands/sort.cpp — Data Sort.
//
// The permutation comes from one stable sort by the composite key. The rows' segments are then
// cut out of their chains and hung into the chains of their new rows; formulas outside the data
// range that refer into it are taken to file form (relative to their own place) before and back
// afterwards, so they keep naming the same positions, and the formulas inside it are linked
// again over their new geometry.
// Reads and writes: the current worksheet's cells, dependents lists and sort settings.
#include "commands/sort.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/cell_store.h"
#include "core/dependents.h"
#include "core/global_options.h"
#include "core/worksheets.h"
#include "platform/platform.h"
#include "formula/formula_code.h"
#include "formula/recalc.h"

namespace {

// The classes of a key cell, in ascending order.
enum class KeyClass : uint8_t { kNumber, kEmpty, kText, kError };

struct SortKey {
  KeyClass cls = KeyClass::kEmpty;
  double number = 0;
  std::string text;
};

SortKey ReadKey(uint32_t row, uint32_t column) {
  SortKey key;
  const CellHandle h = GetCell(row, column);
  if (!h) return key;
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind;
  if (KindIsFormula(kind & kKindMask) && (kind & kKindErrorMark)) {
    key.cls = KeyClass::kError;
  } else if (KindIsNumeric(kind)) {
    key.cls = KeyClass::kNumber;
    key.number = CellNumber(c);
  } else if (KindIsLabel(kind)) {
    key.cls = KeyClass::kText;
    key.text = PoolText(c->text);
    if (!key.text.empty()) key.text.erase(0, 1);  // the prefix character
  } else if (KindIs(kind, CellKind::kStringFormula)) {
    key.cls = KeyClass::kText;
    key.text = PoolText(CellStringResult(c));
  }
  return key;
}

// -1, 0, 1 in ascending order. A total preorder: NaN numbers are equal to each other and greater
// than every other number.
int CompareKeys(const SortKey& a, const SortKey& b) {
  if (a.cls != b.cls) return a.cls < b.cls ? -1 : 1;
  switch (a.cls) {
    case KeyClass::kNumber: {
      const bool aNan = std::isnan(a.number), bNan = std::isnan(b.number);
      if (aNan || bNan) return aNan == bNan ? 0 : (aNan ? 1 : -1);
      return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    }
    case KeyClass::kText: {
      const int c = a.text.compare(b.text);  // bytes as unsigned; a common stem puts the shorter first
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case KeyClass::kEmpty:
    case KeyClass::kError: return 0;
  }
  return 0;
}

// Each row's keys, then the stable sort. Gives the source row offset for each target offset.
std::vector<uint32_t> Permutation(const CellRange& data, const std::vector<uint16_t>& keyColumns,
                                  const SortOrders& ascending) {
  const uint32_t n = uint32_t(data.lastRow - data.firstRow + 1);
  const size_t keyCount = keyColumns.size();
  std::vector<SortKey> keys(size_t(n) * keyCount);
  for (uint32_t i = 0; i < n; ++i) {
    for (size_t k = 0; k < keyCount; ++k) keys[i * keyCount + k] = ReadKey(data.firstRow + i, keyColumns[k]);
  }
  std::vector<uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
    for (size_t k = 0; k < keyCount; ++k) {
      const SortKey& a = keys[x * keyCount + k];
      const SortKey& b = keys[y * keyCount + k];
      const int c = CompareKeys(a, b);
      if (c != 0) return ascending[k] ? c < 0 : c > 0;
      if (a.cls == KeyClass::kEmpty) return false;  // a missing key cell never equals anything
    }
    return false;
  });
  return order;
}

bool InRange(const CellRange& r, uint32_t row, uint32_t column) {
  return row >= r.firstRow && row <= r.lastRow && column >= r.firstColumn && column <= r.lastColumn;
}

bool LinkedFormula(const CellRecord* c) {
  return KindIsFormula(c->kind & kKindMask) && c->text && !(c->kind & kKindFileForm);
}

// A formula outside the data range, its code in file form while the rows move.
struct SavedFormula {
  CellHandle cell;
  uint8_t code[kMaxCodeSize];
};

// The cells of the data range's columns in each row: cut out of their chains, in column order.
std::vector<std::vector<CellHandle>> CutSegments(const CellRange& data) {
  std::vector<std::vector<CellHandle>> segments(size_t(data.lastRow - data.firstRow + 1));
  for (uint32_t row = data.firstRow; row <= data.lastRow; ++row) {
    std::vector<CellHandle>& segment = segments[row - data.firstRow];
    CellHandle h = FindCellAtOrAfter(row, data.firstColumn);
    const CellHandle predecessor = FoundPredecessor();
    while (h && CellAt(h)->column <= data.lastColumn) {
      segment.push_back(h);
      h = CellAt(h)->next;
    }
    for (CellHandle cell : segment) UnlinkCell(cell, predecessor, row);
  }
  return segments;
}

// Hangs a segment into the chain of `row` between the cells left and right of the data range.
void PlaceSegment(const CellRange& data, uint32_t row, const std::vector<CellHandle>& segment) {
  if (segment.empty()) return;
  const CellHandle after = FindCellAtOrAfter(row, data.firstColumn);
  const CellHandle before = FoundPredecessor();
  for (size_t i = 0; i < segment.size(); ++i) {
    CellRecord* c = CellAt(segment[i]);
    c->row = uint16_t(row);
    c->next = i + 1 < segment.size() ? segment[i + 1] : after;
  }
  if (before) {
    CellAt(before)->next = segment.front();
    SetRowHead(int(row), RowHead(int(row)));  // forgets the row's finger
  } else {
    SetRowHead(int(row), segment.front());
  }
}

CommandResult SortRows(const CellRange& data, const std::vector<uint16_t>& keyColumns,
                       const SortOrders& ascending) {
  const std::vector<uint32_t> order = Permutation(data, keyColumns, ascending);
  bool moves = false;
  for (uint32_t i = 0; i < order.size(); ++i) moves = moves || order[i] != i;
  if (!moves) return CommandResult{};

  // Formulas inside the range follow their cells but are linked again (their ranges change
  // shape); formulas outside it that refer into it keep their positions.
  std::vector<CellHandle> inside;
  std::vector<SavedFormula> outside;
  std::unordered_set<CellHandle> seen;
  // Undo: every cell of the data range, and the formulas outside it that refer into it.
  std::vector<std::vector<uint8_t>> columns(order.size());
  for (uint32_t row = data.firstRow; row <= data.lastRow; ++row) {
    for (CellHandle h = FindCellAtOrAfter(row, data.firstColumn); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > data.lastColumn) break;
      NoteCellChange(h);
      columns[row - data.firstRow].push_back(c->column);
      if (LinkedFormula(c) && seen.insert(h).second) inside.push_back(h);
      for (PoolHandle node = c->dependents; node; node = DependentNodeNext(node)) {
        const CellHandle f = DependentNodeCell(node);
        const CellRecord* fc = CellAt(f);
        if (InRange(data, fc->row, fc->column) || !LinkedFormula(fc) || !seen.insert(f).second) {
          continue;
        }
        NoteCellChange(f);
        SavedFormula saved{f, {}};
        if (!CodeToFileForm(PoolPtr(fc->text), fc->row, fc->column, saved.code)) continue;
        outside.push_back(saved);
      }
    }
  }
  // The positions that get a record where there is none yet.
  for (uint32_t i = 0; i < order.size(); ++i) {
    for (uint8_t column : columns[order[i]]) NoteCellCreation(data.firstRow + i, column);
  }
  for (const SavedFormula& s : outside) Unlink(s.cell);
  for (CellHandle f : inside) Unlink(f);

  std::vector<std::vector<CellHandle>> segments = CutSegments(data);
  for (uint32_t i = 0; i < order.size(); ++i) PlaceSegment(data, data.firstRow + i, segments[order[i]]);

  for (CellHandle f : inside) Link(f);
  for (SavedFormula& s : outside) {
    const CellRecord* c = CellAt(s.cell);
    if (CodeToCellForm(s.code, c->row, c->column)) {
      c = CellAt(s.cell);  // placing the references may have grown the pool
      std::memcpy(PoolPtr(c->text), s.code, CodeBufferSize(s.code));
    }
    Link(s.cell);
  }
  return CommandResult{};
}

CellRange Ordered(CellRange r) { return RangeIsValid(r) ? OrderedRange(r) : r; }

}  // namespace

CommandResult SortData(const SortOrders& ascending) {
  CommandSteps steps = CellChangeSteps();
  steps.refuseWhenProtected = true;
  return RunCommand(steps, [&]() -> CommandResult {
    const GlobalOptions& o = Options();
    const CellRange data = Ordered(o.range(GlobalOptions::kSortRange));
    const CellRange key1 = Ordered(o.range(GlobalOptions::kSortKey1));
    if (!RangeIsValid(data) || !RangeIsValid(key1)) return CommandResult{};
    std::vector<uint16_t> keyColumns;
    SortOrders orders = ascending;
    for (int k = 0; k < 4; ++k) {
      const CellRange key = Ordered(o.range(GlobalOptions::kSortKey1 + k));
      if (!RangeIsValid(key)) continue;  // an undefined key is skipped; the later ones still count
      orders[keyColumns.size()] = ascending[size_t(k)];
      keyColumns.push_back(std::min<uint16_t>(key.firstColumn, kColumnCount - 1));
    }
    const CommandResult sorted = SortRows(data, keyColumns, orders);
    // The data range becomes the current range of the grid.
    ThePlatform().SelectBlock(PlatformBlock{data.firstColumn, data.firstRow, data.lastColumn, data.lastRow});
    return sorted;
  });
}

CommandResult SortRange(const CellRange& data, const std::array<CellRange, 4>& keys,
                        const SortOrders& ascending) {
  // The settings come back with the sort's Undo.
  UndoGroupScope group;
  if (CurrentWorksheet() != 0) {
    NoteOptions();
    GlobalOptions& o = Options();
    o.setRange(GlobalOptions::kSortRange, RangeIsValid(data) ? data : CellRange{});
    for (int k = 0; k < 4; ++k) {
      o.setRange(GlobalOptions::kSortKey1 + k, RangeIsValid(keys[size_t(k)]) ? keys[size_t(k)] : CellRange{});
    }
    StoreOptions(CurrentWorksheet());
  }
  return SortData(ascending);
}
