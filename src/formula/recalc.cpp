// formula/recalc.cpp — dependency links and recalculation in natural order.
//
// The lists themselves are kept by core/dependents (8-byte nodes: the dependent formula cell's
// handle, then the next node). `Link` adds a formula at the head of each referenced cell's list;
// since one `Link` adds all of its nodes before anything else touches the lists, a formula
// already added to a list by this same call is at its head, so the "only once" rule costs one
// comparison instead of a scan of the whole list. `Unlink` removes in constant time per node
// (long lists carry an index), so a cell referenced by 100,000 formulas links and unlinks in
// constant time per formula.
// The walk keeps its own stack of (cell, next node) pairs and marks cells visited (bit 5) and
// queued (bit 6) in their kind byte; the evaluation list and the stack are vectors that grow.
// Reads and writes: RecalcState below; the dependents lists and kind bytes of the current
// sheet's cells; creates empty records for range positions.
#include "formula/recalc.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include "core/address.h"
#include "core/dependents.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "formula/evaluator.h"
#include "formula/formula_code.h"

namespace {

constexpr uint8_t kMarks = kKindVisited | kKindQueued;

struct WalkEntry {
  CellHandle cell;
  PoolHandle next;  // the next dependents node to follow when the walk returns here
};

struct RecalcState {
  std::vector<CellHandle> list;  // formula cells in finishing order
  std::vector<WalkEntry> stack;
  bool overflow = false;
  bool running = false;  // the guard: a recalculation is under way
  uint64_t evaluated = 0;
  bool usesLinks = false;
  size_t memoryLimit = 0;
};

RecalcState& TheRecalcState() {
  static RecalcState state;
  return state;
}

CellHandle NodeCell(PoolHandle node) { return DependentNodeCell(node); }
PoolHandle NodeNext(PoolHandle node) { return DependentNodeNext(node); }

bool IsFormula(const CellRecord* c) { return (c->kind & kKindMask) <= uint8_t(CellKind::kFormula); }

// The code of a formula cell that can be walked for its references, or null.
const uint8_t* LinkableCode(CellHandle cell, size_t* size) {
  if (!cell) return nullptr;
  const CellRecord* c = CellAt(cell);
  if (!IsFormula(c) || !c->text || (c->kind & kKindFileForm)) return nullptr;
  *size = PoolTextSize(c->text);
  return PoolPtr(c->text);
}

// Calls `visit(cell)` for every cell the code refers to, with `create` deciding whether empty
// positions of ranges get records. Broken code is visited up to the token that does not fit.
template <typename Visit>
void ForEachReference(const uint8_t* code, size_t size, bool create, Visit visit) {
  CodeWalker walker(code, size);
  CodeToken token;
  while (walker.Next(&token)) {
    const uint8_t* p = code + token.operand;
    if (token.cls == kClassCell) {
      if (CellHandle h = OperandHandle(ReadLong(p))) visit(h);
    } else if (token.cls == kClassRange) {
      CellHandle a = OperandHandle(ReadLong(p)), b = OperandHandle(ReadLong(p + 4));
      if (!a || !b) {
        // A range with one corner gone still names the other corner's record: that cell lists
        // the formula, so that moving or destroying it reaches the reference.
        if (a || b) visit(a ? a : b);
        continue;
      }
      const CellRecord* ca = CellAt(a);
      const CellRecord* cb = CellAt(b);
      const uint32_t c1 = std::min(ca->column, cb->column), c2 = std::max(ca->column, cb->column);
      const uint32_t r1 = std::min(ca->row, cb->row), r2 = std::max(ca->row, cb->row);
      for (uint32_t row = r1; row <= r2; ++row) {
        for (uint32_t column = c1; column <= c2; ++column) {
          CellHandle h = create ? GetOrCreateCell(row, column) : GetCell(row, column);
          if (h) visit(h);
        }
      }
    } else if (token.opcode == uint8_t(Op::kLink)) {
      TheRecalcState().usesLinks = true;
    }
  }
}

bool HasRoom() {
  const RecalcState& s = TheRecalcState();
  return s.memoryLimit == 0 || s.list.size() + s.stack.size() < s.memoryLimit;
}

bool AppendToList(CellHandle cell) {
  if (!HasRoom()) return false;
  try {
    TheRecalcState().list.push_back(cell);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool PushWalk(CellHandle cell, PoolHandle next) {
  if (!HasRoom()) return false;
  try {
    TheRecalcState().stack.push_back(WalkEntry{cell, next});
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Finishes a cell: a formula not yet queued is queued and appended; any other cell just loses
// its marks.
void Finish(CellHandle cell) {
  CellRecord* c = CellAt(cell);
  if (c->kind & kKindQueued) return;
  if (!IsFormula(c)) {
    c->kind &= uint8_t(~kMarks);
    return;
  }
  if (AppendToList(cell)) {
    c->kind |= kKindQueued;
  } else {
    TheRecalcState().overflow = true;
    c->kind &= uint8_t(~kMarks);
  }
}

// Evaluates the list from the last cell appended to the first, then empties it.
void EvaluateList() {
  RecalcState& s = TheRecalcState();
  for (size_t i = s.list.size(); i-- > 0;) {
    CellHandle cell = s.list[i];
    CellAt(cell)->kind &= uint8_t(~kMarks);
    EvaluateCell(cell);
  }
  s.evaluated += s.list.size();
  s.list.clear();
}

void ReportOverflow() {
  if (TheRecalcState().overflow) ShowError(kCalcStackExceeded);
}

}  // namespace

void Link(CellHandle cell) {
  size_t size = 0;
  const uint8_t* code = LinkableCode(cell, &size);
  if (!code) return;
  ForEachReference(code, size, true, [cell](CellHandle target) { AddDependent(target, cell); });
}

void Unlink(CellHandle cell) {
  size_t size = 0;
  const uint8_t* code = LinkableCode(cell, &size);
  if (!code) return;
  ForEachReference(code, size, false,
                   [cell](CellHandle target) { RemoveDependent(target, cell); });
}

void Walk(CellHandle start) {
  if (!start) return;
  RecalcState& s = TheRecalcState();
  CellRecord* first = CellAt(start);
  if (first->kind & kKindVisited) return;
  s.stack.clear();
  first->kind |= kKindVisited;
  CellHandle current = start;
  PoolHandle node = first->dependents;
  for (;;) {
    if (node) {
      const CellHandle dependent = NodeCell(node);
      const PoolHandle after = NodeNext(node);
      CellRecord* d = CellAt(dependent);
      if (d->kind & kKindVisited) {
        // Met again: either done already (queued), or still open further up the walk, which is
        // a circular reference; finishing it here cuts the cycle.
        Finish(dependent);
        node = after;
        continue;
      }
      if (!PushWalk(current, after)) {
        // No memory for a deeper walk: stop collecting; the open cells lose their marks.
        s.overflow = true;
        CellAt(current)->kind &= uint8_t(~kMarks);
        for (const WalkEntry& e : s.stack) CellAt(e.cell)->kind &= uint8_t(~kMarks);
        s.stack.clear();
        return;
      }
      d->kind |= kKindVisited;
      current = dependent;
      node = d->dependents;
      continue;
    }
    Finish(current);
    if (s.stack.empty()) return;
    current = s.stack.back().cell;
    node = s.stack.back().next;
    s.stack.pop_back();
  }
}

void RecalculateFrom(CellHandle cell) {
  RecalcState& s = TheRecalcState();
  if (!cell || s.running) return;
  s.running = true;
  s.overflow = false;
  s.list.clear();
  CellAt(cell)->kind &= uint8_t(~kMarks);
  Walk(cell);
  EvaluateList();
  s.running = false;
  ReportOverflow();
}

void RecalculateCells(const CellHandle* cells, size_t count) {
  RecalcState& s = TheRecalcState();
  if (s.running) return;
  s.running = true;
  s.overflow = false;
  s.list.clear();
  for (size_t i = 0; i < count && !s.overflow; ++i) {
    if (cells[i]) Walk(cells[i]);
  }
  EvaluateList();
  s.running = false;
  ReportOverflow();
}

void RecalculateAll() {
  RecalcState& s = TheRecalcState();
  if (s.running) return;
  s.running = true;
  s.overflow = false;
  s.list.clear();
  const uint32_t lastRow = LastRow(), lastColumn = LastColumn();
  for (uint32_t row = 0; row <= lastRow && row < uint32_t(kRowCount) && !s.overflow; ++row) {
    for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) {
      if (CellAt(h)->column > lastColumn) break;
      Walk(h);
      if (s.overflow) break;
    }
  }
  EvaluateList();
  s.running = false;
  ReportOverflow();
}

void RecalculateIfAutomatic() {
  if (!Options().manualRecalc()) RecalculateAll();
}

uint64_t RecalculatedCount() { return TheRecalcState().evaluated; }
bool SheetUsesLinks() { return TheRecalcState().usesLinks; }
void SetSheetUsesLinks(bool on) { TheRecalcState().usesLinks = on; }
void SetRecalcMemoryLimit(size_t entries) { TheRecalcState().memoryLimit = entries; }

bool CheckDependencyLinks(std::string* why) {
  auto fail = [why](const std::string& text) {
    if (why) *why = text;
    return false;
  };
  auto where = [](CellHandle h) {
    const CellRecord* c = CellAt(h);
    return ShortCellText(c->row, c->column);
  };
  if (!CheckDependentIndexes(why)) return false;
  std::unordered_set<CellHandle> cells;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) cells.insert(h);
  }
  for (CellHandle h : cells) {
    const CellRecord* c = CellAt(h);
    if (c->kind & kMarks) return fail(where(h) + ": recalculation mark left set");
    std::unordered_set<CellHandle> listed;
    for (PoolHandle node = c->dependents; node; node = NodeNext(node)) {
      const CellHandle dependent = NodeCell(node);
      if (!cells.count(dependent)) return fail(where(h) + ": a dependent is not a cell of the sheet");
      if (!listed.insert(dependent).second)
        return fail(where(h) + ": " + where(dependent) + " listed twice");
      size_t size = 0;
      const uint8_t* code = LinkableCode(dependent, &size);
      if (!code) return fail(where(h) + ": dependent " + where(dependent) + " is no formula");
      bool refers = false;
      ForEachReference(code, size, false, [&](CellHandle target) { refers |= target == h; });
      if (!refers) return fail(where(h) + ": " + where(dependent) + " does not refer to it");
    }
  }
  // Every reference of every formula is listed.
  for (CellHandle h : cells) {
    size_t size = 0;
    const uint8_t* code = LinkableCode(h, &size);
    if (!code) continue;
    std::string problem;
    ForEachReference(code, size, false, [&](CellHandle target) {
      if (!problem.empty()) return;
      bool found = false;
      for (PoolHandle node = CellAt(target)->dependents; node && !found; node = NodeNext(node))
        found = NodeCell(node) == h;
      if (!found) problem = where(target) + ": " + where(h) + " missing from its dependents";
    });
    if (!problem.empty()) return fail(problem);
  }
  return true;
}

void ResetRecalcState() {
  RecalcState& s = TheRecalcState();
  s.list = {};
  s.stack = {};
  s.overflow = false;
  s.running = false;
  s.evaluated = 0;
  s.usesLinks = false;
  s.memoryLimit = 0;
}
