// core/address.h — cell addresses, ranges, their text form and the core's error flag.
//
// The grid is 256 columns (A..IV) by 8192 rows (1..8192), optionally split into 1..64 equal
// pages of rows written as a letter prefix ("B:A7"). One parser and one printer serve every
// reader and writer of references. Reads: the current sheet's page size (GlobalOptions), the
// platform's cursor and selection, the range names. Writes: the error flag and the absolute flags
// of the last range parse.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

constexpr int kColumnCount = 256;
constexpr int kRowCount = 8192;
constexpr uint16_t kNoCell = 0xFFFF;

struct CellAddress {
  uint16_t column = kNoCell;
  uint16_t row = kNoCell;
  friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// Corners are not ordered by the parser; commands that need an ordered block order it.
struct CellRange {
  uint16_t firstColumn = kNoCell;
  uint16_t firstRow = 0;
  uint16_t lastColumn = 0;
  uint16_t lastRow = 0;
  friend bool operator==(const CellRange&, const CellRange&) = default;
};

// Bits of the 4-bit absolute mask of a range.
enum AbsoluteBits : uint8_t {
  kAbsFirstRow = 1,
  kAbsFirstColumn = 2,
  kAbsLastRow = 4,
  kAbsLastColumn = 8,
};

// --- the error flag of the worksheet core -------------------------------------------------------

// Clears the flag and its message text.
void ClearError();
// Raises the flag; `text` (may be empty) becomes the message text.
void RaiseError(std::string_view text = {});
bool ErrorRaised();
const std::string& ErrorText();

// --- small operations --------------------------------------------------------------------------

// True when the row is below 8192 and the column below 256 (no bits 0xE000 / 0xFF00 set).
inline bool IsValidCell(uint32_t row, uint32_t column) {
  return (row & ~0x1FFFu) == 0 && (column & ~0xFFu) == 0;
}
inline CellRange NoRange() { return CellRange{kNoCell, 0, 0, 0}; }
inline bool RangeIsValid(const CellRange& r) {
  return r.firstColumn != kNoCell && r.firstRow != kNoCell;
}
// The range with its corners ascending, clipped to the grid.
inline CellRange OrderedRange(CellRange r) {
  if (r.firstColumn > r.lastColumn) std::swap(r.firstColumn, r.lastColumn);
  if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
  r.lastColumn = std::min<uint16_t>(r.lastColumn, kColumnCount - 1);
  r.lastRow = std::min<uint16_t>(r.lastRow, kRowCount - 1);
  return r;
}
// The range with its corners ascending; false for a range that is not wholly on the sheet.
inline bool OrderedOnSheet(CellRange r, CellRange* out) {
  if (!RangeIsValid(r)) return false;
  if (r.firstColumn > r.lastColumn) std::swap(r.firstColumn, r.lastColumn);
  if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
  if (!IsValidCell(r.lastRow, r.lastColumn)) return false;
  *out = r;
  return true;
}
inline bool RangeIsSingleCell(const CellRange& r) {
  return r.firstColumn == r.lastColumn && r.firstRow == r.lastRow;
}
inline CellRange MakeRange(uint16_t firstColumn, uint16_t firstRow, uint16_t lastColumn,
                           uint16_t lastRow) {
  return CellRange{firstColumn, firstRow, lastColumn, lastRow};
}
inline void CollapseRange(CellRange& r) {
  r.lastColumn = r.firstColumn;
  r.lastRow = r.firstRow;
}
// Makes `r` no range when (row, column) is one of its two corners.
void ForgetIfCorner(CellRange& r, uint16_t row, uint16_t column);

// --- text form ---------------------------------------------------------------------------------

// Page size in rows of the current sheet; 0 or 8192 mean one page (no prefix).
uint16_t CurrentPageSize();

// "A".."IV" for columns, the same letters for pages.
std::string ColumnLetters(uint32_t number);
// Full reference text with page prefix and "$" markers, e.g. "B:$A$7".
std::string CellText(uint16_t row, uint16_t column, bool absoluteRow, bool absoluteColumn);
// Column letters and the row number within its page, no prefix and no "$".
std::string ShortCellText(uint16_t row, uint16_t column);
// "A1..C20"; a single cell gives "A1"; an invalid range gives "".
std::string RangeText(const CellRange& r);
std::string RangeTextWithMarkers(const CellRange& r, uint8_t mask);

// --- parsing -----------------------------------------------------------------------------------

struct ParsedCell {
  uint16_t row = kNoCell;
  uint16_t column = kNoCell;
  bool absoluteColumn = false;
  bool absoluteRow = false;
};

// Reads one reference ("$B:$A$7", "CURSOR", "$CURSOR"). A failed field holds 0xFFFF and the error
// flag is raised; the flag is never cleared here.
ParsedCell ParseCellRef(std::string_view text);

// Reads a range text, a range name of the current sheet, "RANGE" or "CURSOR". Leaves the four absolute flags of the
// parse in `LastParseFlags()`; raises the error flag when a corner is off the grid (the range is
// still returned).
CellRange ParseRange(std::string_view text);

// Absolute flags of the last `ParseRange`, as a mask of `AbsoluteBits`.
uint8_t LastParseFlags();
void SetLastParseFlags(uint8_t mask);

// Resets the module state (error flag, parse flags). Used by start-up and tests.
void ResetAddressState();
