// commands/audit.h — how the cells of the current worksheet depend on each other and what they
// hold: the dependents tree of one cell, the counts of cell kinds with the map and bar chart
// built from them, and the cross-reference list of a range with its printed report.
//
// Plain functions that give lines and rectangles; the audit window, its printout and
// tallivo-cli all draw or print what these give. Nothing here changes the worksheet.
// Reads: the current sheet's cell records and their dependents lists, the protection option and
// the sheet's file name. Writes: nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/address.h"

// --- tree ---------------------------------------------------------------------------------------

// The tree stops adding dependents after this many lines below the root.
constexpr int kAuditTreeLineLimit = 10000;

struct AuditTreeLine {
  int level = 0;           // 0 for the root, 1 for its direct dependents, ...
  uint16_t row = kNoCell;  // the cell the line shows; kNoCell for the "..." line
  uint16_t column = kNoCell;
  std::string text;  // "A1: +B1*2", "A1: \tProtected", or "..."
};

struct AuditTree {
  std::vector<AuditTreeLine> lines;  // the root first, then depth first, each cell's
                                     // dependents in row, then column order
  int totalReferences = 0;           // lines of cells below the root ("..." not counted)
  int deepestLevel = 0;              // the deepest level a line was added at
  bool cut = false;                  // the line limit was reached: the last line is "..."
};

// The formulas that depend on the cell at (row, column), down to `depth` levels (below 1: the
// root only). Each line is the cell's reference text, ": " and its entry text, or for a locked
// cell while protection is on a TAB and "Protected". A cell that refers to itself through a
// circle appears again on each level until the depth ends. After kAuditTreeLineLimit lines below
// the root one line "..." (at the level where the next one would have gone) ends the tree. Built
// with an explicit stack: any depth is safe.
AuditTree BuildAuditTree(uint16_t row, uint16_t column, int depth);

// The tree as tallivo-cli prints it: each line indented two blanks a level, then
// "Total References: N".
std::vector<std::string> AuditTreeText(const AuditTree& tree);

// --- kinds --------------------------------------------------------------------------------------

// Names and colours of the kinds the map and the chart show, indexed by the low three bits of
// the kind byte (0 and 1 are both formulas; 6 and 7 have neither).
const char* AuditKindName(int kind);  // "Formula", "Real", "Integer", "String", "Blank"; "" else
struct AuditColour {
  uint8_t red, green, blue;
  friend bool operator==(const AuditColour&, const AuditColour&) = default;
};
AuditColour AuditKindColour(int kind);  // blue, green, red, olive, white; black for 6 and 7

struct AuditCounts {
  std::array<uint32_t, 8> kinds{};  // cells by the low three bits of their kind byte
  int lastRow = -1;                 // the highest row and column holding a cell; -1 for none
  int lastColumn = -1;
  uint32_t total = 0;  // the sum of the eight counters

  // A bar's count: kinds 0 and 1 together for 1 ("Formula"), the kind's own for 2 to 5.
  uint32_t BarCount(int kind) const;
  // The largest of the five bar counts.
  uint32_t LargestBar() const;
};

// Visits every cell of rows 0..8191 of the current sheet.
AuditCounts CountCellKinds();

struct AuditRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const AuditRect&, const AuditRect&) = default;
};

// --- map (the Overview tab) ---------------------------------------------------------------------

// Where a column and a row of the used area lie in a paint box of `width` x `height`: the used
// area fills it from x 40 and y 16, leaving 16 on the right and 24 at the bottom. Counts with no
// cells put everything at (40, 16).
int AuditMapX(const AuditCounts& counts, int column, int width);
int AuditMapY(const AuditCounts& counts, int row, int height);

struct AuditMapCell {
  uint16_t row;
  uint16_t column;
  uint8_t kind;  // low three bits
};
// Every cell of the current sheet, rows ascending, then columns.
std::vector<AuditMapCell> AuditMapCells();
// The rectangle of the cell at (row, column): from its own position to the next column's and
// row's, at least one pixel each way.
AuditRect AuditMapCellRect(const AuditCounts& counts, int row, int column, int width, int height);
// "A1..D20" for the used area, "" when the sheet has no cells.
std::string AuditUsedRangeText(const AuditCounts& counts);

// --- Stats chart --------------------------------------------------------------------------------

struct AuditBar {
  int kind = 0;        // 1..5
  AuditRect bar;       // empty (height 0) for a count of 0
  AuditRect labelBox;  // below the bar
  std::string label;   // "Real 25.0 %"
};

struct AuditChart {
  std::string heading;  // "Relative Proportion of Cells ( Total= N )"
  AuditRect headingBox;
  std::vector<AuditBar> bars;  // one per kind 1..5; none when the total is 0
};

// Lays the chart out in a box of `width` x `height`: the heading on top, five bar slots side by
// side, each bar's height proportional to its count over the largest bar, a label below each.
AuditChart LayOutAuditChart(const AuditCounts& counts, int width, int height);

// --- XRef ---------------------------------------------------------------------------------------

struct XRefEntry {
  std::string cell;        // "A1"; empty on a continuation entry
  std::string type;        // "Integer 3": the type name and the kind number; empty likewise
  std::string count;       // number of dependents; empty likewise
  std::string references;  // dependents in row, then column order, joined by ","
};

// References longer than this start a continuation entry.
constexpr size_t kXRefListWidth = 40;

// The XRef name of a kind: "Form", "Real", "Integer", "String", "Blank", "?" (low three bits).
const char* XRefTypeName(uint8_t kind);

// For every cell of `range` (corners in any order), rows ascending, then columns, that has at
// least one dependent: an entry, and further entries for the references that would make the
// list longer than kXRefListWidth characters.
std::vector<XRefEntry> CrossReference(const CellRange& range);

// "A1\t Integer 3\t 2\t: C5,E7", or "\t\t\t: C9,E11" for a continuation entry.
std::string XRefLine(const XRefEntry& entry);

// The printed report: the sheet's file name and " : Cross Reference Report ", an empty line, the
// heading "CELL\t TYPE\t COUNT\t: REFERENCES", an empty line, then every entry's XRefLine.
std::vector<std::string> XRefReport(const std::vector<XRefEntry>& entries);
