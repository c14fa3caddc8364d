// commands/audit.cpp — the dependents tree, kind counts, map and chart geometry, and the
// cross-reference list of the current worksheet.
//
// Reads the current sheet's row chains and dependents lists; writes nothing. No module state.
#include "commands/audit.h"

#include <algorithm>
#include <cstdio>

#include "core/cell_store.h"
#include "core/dependents.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/worksheets.h"
#include "formula/formula_text.h"

namespace {

// The formula cells on the dependents list of `cell`, in row, then column order.
std::vector<CellHandle> SortedDependents(CellHandle cell) {
  struct Dependent {
    uint32_t position;  // row << 8 | column
    CellHandle cell;
  };
  std::vector<Dependent> found;
  for (PoolHandle node = CellAt(cell)->dependents; node; node = DependentNodeNext(node)) {
    if (const CellHandle d = DependentNodeCell(node)) {
      const CellRecord* c = CellAt(d);
      found.push_back(Dependent{uint32_t(c->row) << 8 | c->column, d});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Dependent& a, const Dependent& b) { return a.position < b.position; });
  std::vector<CellHandle> out(found.size());
  for (size_t i = 0; i < found.size(); ++i) out[i] = found[i].cell;
  return out;
}

bool Locked(CellHandle cell) {
  return Options().protection() && (!cell || (CellAt(cell)->format & kFormatProtected));
}

std::string TreeLineText(CellHandle cell, uint16_t row, uint16_t column) {
  std::string text = CellText(row, column, false, false) + ": ";
  if (Locked(cell)) return text + "\tProtected";
  return text + CellContentsText(cell);
}

std::string Reference(const CellRecord* c) { return CellText(c->row, c->column, false, false); }

}  // namespace

// --- tree ---------------------------------------------------------------------------------------

AuditTree BuildAuditTree(uint16_t row, uint16_t column, int depth) {
  AuditTree tree;
  const CellHandle root = IsValidCell(row, column) ? GetCell(row, column) : 0;
  tree.lines.push_back(AuditTreeLine{0, row, column, TreeLineText(root, row, column)});
  if (!root || depth < 1) return tree;

  // One frame a level: the dependents of the cell above, and the next one to show.
  struct Frame {
    std::vector<CellHandle> cells;
    size_t next = 0;
  };
  std::vector<Frame> stack;
  stack.push_back(Frame{SortedDependents(root), 0});
  while (!stack.empty()) {
    if (stack.back().next == stack.back().cells.size()) {
      stack.pop_back();
      continue;
    }
    const CellHandle cell = stack.back().cells[stack.back().next++];
    const int level = static_cast<int>(stack.size());
    if (tree.totalReferences == kAuditTreeLineLimit) {
      tree.lines.push_back(AuditTreeLine{level, kNoCell, kNoCell, "..."});
      tree.cut = true;
      break;
    }
    const CellRecord* c = CellAt(cell);
    tree.lines.push_back(
        AuditTreeLine{level, c->row, c->column, TreeLineText(cell, c->row, c->column)});
    ++tree.totalReferences;
    tree.deepestLevel = std::max(tree.deepestLevel, level);
    if (level < depth && c->dependents) stack.push_back(Frame{SortedDependents(cell), 0});
  }
  return tree;
}

std::vector<std::string> AuditTreeText(const AuditTree& tree) {
  std::vector<std::string> out;
  out.reserve(tree.lines.size() + 1);
  for (const AuditTreeLine& line : tree.lines) {
    out.push_back(std::string(size_t(2 * line.level), ' ') + line.text);
  }
  out.push_back("Total References: " + std::to_string(tree.totalReferences));
  return out;
}

// --- kinds --------------------------------------------------------------------------------------

const char* AuditKindName(int kind) {
  static const char* const kNames[8] = {"Formula", "Formula", "Real", "Integer",
                                        "String",  "Blank",   "",     ""};
  return kind >= 0 && kind < 8 ? kNames[kind] : "";
}

AuditColour AuditKindColour(int kind) {
  static const AuditColour kColours[8] = {{0, 0, 255},   {0, 0, 255},     {0, 128, 0}, {255, 0, 0},
                                          {128, 128, 0}, {255, 255, 255}, {0, 0, 0},   {0, 0, 0}};
  return kind >= 0 && kind < 8 ? kColours[kind] : AuditColour{0, 0, 0};
}

uint32_t AuditCounts::BarCount(int kind) const {
  if (kind == 1) return kinds[0] + kinds[1];
  return kind >= 2 && kind <= 5 ? kinds[size_t(kind)] : 0;
}

uint32_t AuditCounts::LargestBar() const {
  uint32_t largest = 0;
  for (int kind = 1; kind <= 5; ++kind) largest = std::max(largest, BarCount(kind));
  return largest;
}

AuditCounts CountCellKinds() {
  AuditCounts counts;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      ++counts.kinds[c->kind & kKindMask];
      counts.lastRow = std::max(counts.lastRow, int(c->row));
      counts.lastColumn = std::max(counts.lastColumn, int(c->column));
    }
  }
  for (uint32_t n : counts.kinds) counts.total += n;
  return counts;
}

// --- map ----------------------------------------------------------------------------------------

int AuditMapX(const AuditCounts& counts, int column, int width) {
  if (counts.lastColumn < 0) return 40;
  const int64_t span = std::max(0, width - 56);
  return static_cast<int>(span * column / (counts.lastColumn + 1) + 40);
}

int AuditMapY(const AuditCounts& counts, int row, int height) {
  if (counts.lastRow < 0) return 16;
  const int64_t span = std::max(0, height - 40);
  return static_cast<int>(span * row / (counts.lastRow + 1) + 16);
}

std::vector<AuditMapCell> AuditMapCells() {
  std::vector<AuditMapCell> cells;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      cells.push_back(AuditMapCell{c->row, c->column, uint8_t(c->kind & kKindMask)});
    }
  }
  return cells;
}

AuditRect AuditMapCellRect(const AuditCounts& counts, int row, int column, int width, int height) {
  const int left = AuditMapX(counts, column, width);
  const int top = AuditMapY(counts, row, height);
  return AuditRect{left, top, std::max(1, AuditMapX(counts, column + 1, width) - left),
                   std::max(1, AuditMapY(counts, row + 1, height) - top)};
}

std::string AuditUsedRangeText(const AuditCounts& counts) {
  if (counts.lastRow < 0 || counts.lastColumn < 0) return "";
  return RangeText(MakeRange(0, 0, uint16_t(counts.lastColumn), uint16_t(counts.lastRow)));
}

// --- Stats chart --------------------------------------------------------------------------------

AuditChart LayOutAuditChart(const AuditCounts& counts, int width, int height) {
  constexpr int kHeadingHeight = 24;
  constexpr int kLabelHeight = 20;
  constexpr int kMargin = 16;
  AuditChart chart;
  chart.heading = "Relative Proportion of Cells ( Total= " + std::to_string(counts.total) + " )";
  chart.headingBox = AuditRect{0, 0, std::max(0, width), kHeadingHeight};
  // An empty sheet has nothing to be a proportion of.
  if (counts.total == 0) return chart;

  const uint32_t largest = counts.LargestBar();
  const int slotWidth = std::max(0, width - 2 * kMargin) / 5;
  const int labelTop = std::max(kHeadingHeight, height - kLabelHeight - 4);
  const int barBottom = labelTop - 4;
  const int tallest = std::max(0, barBottom - (kHeadingHeight + 8));
  for (int kind = 1; kind <= 5; ++kind) {
    const uint32_t n = counts.BarCount(kind);
    AuditBar bar;
    bar.kind = kind;
    const int slotLeft = kMargin + (kind - 1) * slotWidth;
    const int barHeight = largest ? static_cast<int>(int64_t(tallest) * n / largest) : 0;
    bar.bar =
        AuditRect{slotLeft + slotWidth / 6, barBottom - barHeight, slotWidth * 2 / 3, barHeight};
    bar.labelBox = AuditRect{slotLeft, labelTop, slotWidth, kLabelHeight};
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", 100.0 * n / counts.total);
    bar.label = std::string(AuditKindName(kind)) + " " + percent + " %";
    chart.bars.push_back(bar);
  }
  return chart;
}

// --- XRef ---------------------------------------------------------------------------------------

const char* XRefTypeName(uint8_t kind) {
  static const char* const kNames[8] = {"Form",   "Form",  "Real", "Integer",
                                        "String", "Blank", "?",    "?"};
  return kNames[kind & kKindMask];
}

std::vector<XRefEntry> CrossReference(const CellRange& range) {
  std::vector<XRefEntry> entries;
  CellRange r = OrderedRange(range);
  if (!RangeIsValid(r) || r.firstRow >= kRowCount || r.firstColumn >= kColumnCount) return entries;
  r.lastRow = std::min<uint16_t>(r.lastRow, kRowCount - 1);
  r.lastColumn = std::min<uint16_t>(r.lastColumn, kColumnCount - 1);
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn);
         h && CellAt(h)->column <= r.lastColumn; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (!c->dependents) continue;
      const std::vector<CellHandle> dependents = SortedDependents(h);
      XRefEntry entry;
      entry.cell = Reference(c);
      entry.type = std::string(XRefTypeName(c->kind)) + " " + std::to_string(c->kind & kKindMask);
      entry.count = std::to_string(dependents.size());
      for (CellHandle d : dependents) {
        const std::string ref = Reference(CellAt(d));
        if (!entry.references.empty() &&
            entry.references.size() + 1 + ref.size() > kXRefListWidth) {
          entries.push_back(std::move(entry));
          entry = XRefEntry{};
        }
        if (!entry.references.empty()) entry.references += ',';
        entry.references += ref;
      }
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

std::string XRefLine(const XRefEntry& entry) {
  if (entry.cell.empty()) return "\t\t\t: " + entry.references;
  return entry.cell + "\t " + entry.type + "\t " + entry.count + "\t: " + entry.references;
}

std::vector<std::string> XRefReport(const std::vector<XRefEntry>& entries) {
  const SlotIndex sheet = CurrentWorksheet();
  const std::string name = sheet ? Worksheet(sheet).fileName : std::string();
  std::vector<std::string> out = {name + " : Cross Reference Report ", "",
                                  "CELL\t TYPE\t COUNT\t: REFERENCES", ""};
  out.reserve(entries.size() + 4);
  for (const XRefEntry& e : entries) out.push_back(XRefLine(e));
  return out;
}
