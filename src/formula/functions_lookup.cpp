// formula/functions_lookup.cpp — the lookup and reference @-functions: table look-up and
// interpolation, @INDEX, @COLS, @ROWS, @(text), @LINK, @ISNUM, @ISSTR, @CELL and @CELLPT.
//
// A table function searches the keys (the first column, or the first row) from the top for the
// last key that is not greater than x, stopping at the first key that is: numbers are compared
// with the numeric key cells, strings with the texts of the string key cells (labels without
// their prefix) by byte order; other key cells are passed over. x below the first key finds no
// key, which is ERR. A position of the table that holds no cell reads as a blank cell.
// State: the link tables of the worksheets (LinkState below). Reads cells, the column widths and
// row heights of the current sheet, the range names and the platform's current cell.
#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/address.h"
#include "core/text_case.h"
#include "core/format.h"
#include "core/sheet_layout.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"
#include "formula/functions_sheet.h"
#include "formula/functions_sheet_common.h"
#include "platform/platform.h"

namespace {

void Fail(Frame& f) {
  f.Fail();
  f.SetNumber(1.0);
}

// The value of a table position: the cell's value as a reference gives it, a blank for a
// position without a cell.
void SetPositionValue(Frame& f, CellHandle cell) {
  if (cell) {
    f.SetCellValue(cell);
  } else {
    f.SetError(false);
    f.SetString("");
  }
}

// --- table search ---------------------------------------------------------------------------------

// A table argument read along its keys: vertical tables have their keys down the first column,
// horizontal ones along the first row.
struct Table {
  ArgumentRange range;
  bool vertical = true;

  int KeyCount() const {
    return vertical ? range.range.lastRow - range.range.firstRow + 1
                    : range.range.lastColumn - range.range.firstColumn + 1;
  }
  int Depth() const {  // positions across the keys (columns of a vertical table)
    return vertical ? range.range.lastColumn - range.range.firstColumn + 1
                    : range.range.lastRow - range.range.firstRow + 1;
  }
  // The cell `offset` positions across from key `key` (offset 0 is the key itself).
  CellHandle At(int key, int offset) const {
    const uint32_t row = range.range.firstRow + uint32_t(vertical ? key : offset);
    const uint32_t column = range.range.firstColumn + uint32_t(vertical ? offset : key);
    return CellInSheet(range.rowTable, row, column);
  }
};

// Where the search for x ended: the last key not greater than x (-1 for none) and the first key
// greater than x (-1 when the search ran to the end).
struct Found {
  int key = -1;
  int next = -1;
};

// Compares key cell `cell` with x: -1, 0 or 1 for the key below, equal to or above x; 2 when
// the key cannot be compared with x (passed over).
int CompareKey(CellHandle cell, const StackEntry& x, std::string_view xText) {
  if (!cell) return 2;
  const CellRecord* c = CellAt(cell);
  if (c->kind & kKindErrorMark) return 2;
  if (x.kind == ValueKind::kString) {
    if (!KindHasString(c->kind)) return 2;
    const int order = ValueOfCell(cell).text.compare(xText);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
  }
  if (!KindIsNumeric(c->kind)) return 2;
  const double key = CellNumber(c);
  return key < x.number ? -1 : key > x.number ? 1 : 0;
}

Found Search(const Table& table, const StackEntry& x, std::string_view xText) {
  Found found;
  for (int i = 0; i < table.KeyCount(); ++i) {
    const int order = CompareKey(table.At(i, 0), x, xText);
    if (order == 2) continue;
    if (order > 0) {
      found.next = i;
      break;
    }
    found.key = i;
  }
  return found;
}

// Reads the table and offset arguments of the four table functions; false (result ERR) when the
// second argument is no range or the offset lies outside the table.
bool TableArguments(Frame& f, bool vertical, Table* table, int* offset) {
  if (ArgumentFailed(f, 1, 1) || ArgumentFailed(f, 3, 3)) return false;
  table->vertical = vertical;
  int64_t k = 0;
  if (!f.Range(2, &table->range) || !WholeInRange(f.Number(3), -1, 1 << 20, &k) || k < 0 ||
      k >= table->Depth()) {
    Fail(f);
    return false;
  }
  *offset = int(k);
  return true;
}

// @VTABLE(x, range, k) and @HTABLE(x, range, k): the value k columns right of (rows below) the
// key found for x; k is truncated and must lie inside the table.
void Lookup(Frame& f, bool vertical) {
  Table table;
  int offset = 0;
  if (!TableArguments(f, vertical, &table, &offset)) return;
  const std::string xText(f.Text(1));
  const Found found = Search(table, f.Arg(1), xText);
  if (found.key < 0) return Fail(f);
  SetPositionValue(f, table.At(found.key, offset));
}

void Vtable(Frame& f) { Lookup(f, true); }
void Htable(Frame& f) { Lookup(f, false); }

// The number of a value cell for interpolation; false for a cell that holds no number or has
// the error mark.
bool ValueNumber(CellHandle cell, double* out) {
  if (!cell || !KindIsNumeric(CellAt(cell)->kind)) return false;
  *out = CellNumber(CellAt(cell));
  return true;
}

// @VTERP(x, range, k) and @HTERP(x, range, k): linear interpolation between the key found for x
// and the next greater key, y0 + (x - x0) / (x1 - x0) * (y1 - y0). A key equal to x gives its
// value directly (also the last key). A string x, no bracketing pair, or a value position that
// holds no number is ERR.
void Interpolate(Frame& f, bool vertical) {
  Table table;
  int offset = 0;
  if (!TableArguments(f, vertical, &table, &offset)) return;
  if (f.IsString(1)) return Fail(f);
  const double x = f.Number(1);
  const Found found = Search(table, f.Arg(1), {});
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (found.key < 0 || !ValueNumber(table.At(found.key, 0), &x0)) return Fail(f);
  if (!ValueNumber(table.At(found.key, offset), &y0)) return Fail(f);
  if (x0 == x) return SetChecked(f, y0);
  if (found.next < 0 || !ValueNumber(table.At(found.next, 0), &x1) ||
      !ValueNumber(table.At(found.next, offset), &y1) || x1 == x0) {
    return Fail(f);
  }
  SetChecked(f, y0 + (x - x0) / (x1 - x0) * (y1 - y0));
}

void Vterp(Frame& f) { Interpolate(f, true); }
void Hterp(Frame& f) { Interpolate(f, false); }

// @INDEX(range, c, r): the value of the cell in column c and row r of the range (from 1,
// truncated); outside the range is ERR. Only that cell's error mark counts.
void Index(Frame& f) {
  if (ArgumentFailed(f, 2, 3)) return;
  ArgumentRange range;
  int64_t c = 0, r = 0;
  if (!f.Range(1, &range) || !WholeInRange(f.Number(2), 0, 1 << 20, &c) ||
      !WholeInRange(f.Number(3), 0, 1 << 20, &r) || c < 1 || r < 1 ||
      c > range.range.lastColumn - range.range.firstColumn + 1 ||
      r > range.range.lastRow - range.range.firstRow + 1) {
    return Fail(f);
  }
  SetPositionValue(f, CellInSheet(range.rowTable, range.range.firstRow + uint32_t(r - 1),
                                  range.range.firstColumn + uint32_t(c - 1)));
}

// @COLS(range), @ROWS(range): the size of the range (no cell of it is read).
void Cols(Frame& f) {
  ArgumentRange range;
  f.SetError(false);
  if (!f.Range(1, &range)) return Fail(f);
  f.SetNumber(range.range.lastColumn - range.range.firstColumn + 1);
}

void Rows(Frame& f) {
  ArgumentRange range;
  f.SetError(false);
  if (!f.Range(1, &range)) return Fail(f);
  f.SetNumber(range.range.lastRow - range.range.firstRow + 1);
}

// Reads a cell address (or a range name, or a range, whose first corner counts) without
// disturbing the worksheet core's error flag and parse flags. False for text that names no cell.
bool ParseAddress(std::string_view text, uint16_t* row, uint16_t* column) {
  const bool hadError = ErrorRaised();
  const std::string errorText = ErrorText();
  const uint8_t flags = LastParseFlags();
  ClearError();
  const CellRange r = ParseRange(text);
  const bool ok = !ErrorRaised() && RangeIsValid(r) && IsValidCell(r.firstRow, r.firstColumn);
  if (hadError) {
    RaiseError(errorText);
  } else {
    ClearError();
  }
  SetLastParseFlags(flags);
  *row = r.firstRow;
  *column = r.firstColumn;
  return ok;
}

// @(text): the value of the cell of the current sheet whose address (or range name) is the text;
// an empty position reads as a blank cell; text that is no address is ERR.
void At(Frame& f) {
  if (ArgumentFailed(f)) return;
  uint16_t row = 0, column = 0;
  if (!ParseAddress(f.TextOf(1), &row, &column)) return Fail(f);
  SetPositionValue(f, GetCell(row, column));
}

// @ISNUM(x), @ISSTR(x): what the cell most recently read holds. They test, so an error mark
// there gives 0, not ERR.
void Isnum(Frame& f) {
  const CellHandle cell = f.LastReadCell();
  f.SetError(false);
  f.SetBool(cell && KindIsNumeric(CellAt(cell)->kind));
}

void Isstr(Frame& f) {
  const CellHandle cell = f.LastReadCell();
  f.SetError(false);
  f.SetBool(cell && KindHasString(CellAt(cell)->kind));
}

// --- @CELL and @CELLPT -------------------------------------------------------------------------------

// The attribute of a cell position (`cell` may be 0: the position holds no cell).
void CellAttribute(Frame& f, uint16_t row, uint16_t column, CellHandle cell) {
  std::string name = f.TextOf(1);
  if (name.size() < 3) return Fail(f);
  name = UpperCase(name);
  static constexpr std::string_view kAttributes = "ADDROWCOLCONTYPPREWIDFORHEI";
  size_t index = kAttributes.size();
  for (size_t i = 0; i < kAttributes.size(); i += 3) {
    if (kAttributes.compare(i, 3, name, 0, 3) == 0) index = i / 3;
  }
  const CellRecord* c = cell ? CellAt(cell) : nullptr;
  switch (index) {
    case 0:  // ADDress, as typed ("A1", "B:A7" with pages)
      return f.SetString(CellText(row, column, false, false));
    case 1:  // ROW from 1
      return f.SetNumber(row + 1);
    case 2:  // COLumn from 1
      return f.SetNumber(column + 1);
    case 3:  // CONtents
      return f.SetString(CellContentsText(cell));
    case 4:  // TYPe: the cell kind, 6 for no cell
      return f.SetNumber(c ? (c->kind & kKindMask) : 6);
    case 5: {  // PREfix of a label
      std::string prefix;
      if (c && KindIsLabel(c->kind)) prefix = PoolText(c->text).substr(0, 1);
      return f.SetString(prefix);
    }
    case 6:  // WIDth in characters
      return f.SetNumber(CurrentLayout().columnWidth[column] / 8);
    case 7:  // FORmat name
      return f.SetString(FormatName(c ? c->format : BlankCellTemplate().format));
    case 8:  // HEIght in pixels
      return f.SetNumber(CurrentLayout().rowHeight[row]);
    default:
      return Fail(f);
  }
}

// @CELL(attribute, range): an attribute of the range's first cell. The attribute is upper-cased
// and its first three letters name it: ADD, ROW, COL, CON, TYP, PRE, WID (characters), FOR, HEI
// (pixels); others are ERR.
void Cell(Frame& f) {
  if (ArgumentFailed(f, 1, 1)) return;
  ArgumentRange range;
  if (!f.Range(2, &range)) return Fail(f);
  const uint16_t row = range.range.firstRow, column = range.range.firstColumn;
  CellAttribute(f, row, column, CellInSheet(range.rowTable, row, column));
}

// @CELLPT(attribute): the same for the current cell of the active window.
void Cellpt(Frame& f) {
  if (ArgumentFailed(f)) return;
  const PlatformCell at = ThePlatform().CurrentCell();
  if (!IsValidCell(at.row, at.column)) return Fail(f);
  CellAttribute(f, at.row, at.column, GetCell(at.row, at.column));
}

// --- @LINK and the link tables -----------------------------------------------------------------------

struct LinkState {
  std::map<SlotIndex, std::vector<LinkedFileEntry>> tables;
};

LinkState& Links() {
  static LinkState state;
  return state;
}

bool SameName(std::string_view a, std::string_view b) { return SameTextIgnoringCase(a, b); }

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
int LetterValue(char c) { return UpperCaseChar(c) - 'A'; }

bool LinkedBefore(const LinkedCell& a, const LinkedCell& b) {
  if (a.page != b.page) return a.page < b.page;
  if (a.row != b.row) return a.row < b.row;
  return a.column < b.column;
}

// The linked cell of a file in a sheet's table, or null.
LinkedCell* FindLinked(SlotIndex sheet, std::string_view fileName, uint16_t page, uint16_t row,
                       uint16_t column) {
  auto table = Links().tables.find(sheet);
  if (table == Links().tables.end()) return nullptr;
  for (LinkedFileEntry& entry : table->second) {
    if (!SameName(entry.fileName, fileName)) continue;
    for (LinkedCell& cell : entry.cells) {
      if (cell.page == page && cell.row == row && cell.column == column) return &cell;
    }
  }
  return nullptr;
}

// Registers a linked cell (once) and gives it.
LinkedCell& RegisterLink(SlotIndex sheet, const std::string& fileName, uint16_t page,
                         uint16_t row, uint16_t column) {
  std::vector<LinkedFileEntry>& table = Links().tables[sheet];
  auto entry = std::find_if(table.begin(), table.end(), [&](const LinkedFileEntry& e) {
    return SameName(e.fileName, fileName);
  });
  if (entry == table.end()) {
    table.push_back(LinkedFileEntry{fileName, {}});
    entry = table.end() - 1;
  }
  LinkedCell key;
  key.page = page;
  key.row = row;
  key.column = column;
  auto at = std::lower_bound(entry->cells.begin(), entry->cells.end(), key, LinkedBefore);
  if (at == entry->cells.end() || LinkedBefore(key, *at)) at = entry->cells.insert(at, key);
  return *at;
}

// @LINK(text): the value the link-update command last stored for the cell that the text names
// ("file>B:A7"), or the string "N/A" while none has been stored; registers the cell in the
// current worksheet's link table. Text that names no cell of a file is ERR.
void Link(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string fileName;
  uint16_t page = 0, row = 0, column = 0;
  if (!ParseLinkText(f.TextOf(1), &fileName, &page, &row, &column)) return Fail(f);
  const LinkedCell& cell = RegisterLink(CurrentWorksheet(), fileName, page, row, column);
  if (!cell.stored) return f.SetString("N/A");
  if (cell.isString) return f.SetString(cell.text);
  SetChecked(f, cell.number);
}

}  // namespace

bool ParseLinkText(std::string_view text, std::string* fileName, uint16_t* page, uint16_t* row,
                   uint16_t* column) {
  const size_t mark = text.find('>');
  if (mark == std::string_view::npos || mark == 0) return false;
  std::string_view s = text.substr(mark + 1);
  size_t pos = 0;
  int pageNumber = 0;
  // A page prefix: one or two letters and ":" (A is 0, AA is 26).
  size_t letters = 0;
  while (letters < s.size() && IsLetter(s[letters])) ++letters;
  if (letters < s.size() && s[letters] == ':') {
    if (letters == 1) {
      pageNumber = LetterValue(s[0]);
    } else if (letters == 2) {
      pageNumber = (LetterValue(s[0]) + 1) * 26 + LetterValue(s[1]);
    } else {
      return false;
    }
    pos = letters + 1;
  }
  if (pos < s.size() && s[pos] == '$') ++pos;
  int columnNumber = -1;
  size_t columnLetters = 0;
  while (pos < s.size() && IsLetter(s[pos]) && columnLetters < 3) {
    columnNumber = (columnNumber + 1) * 26 + LetterValue(s[pos]);
    ++pos;
    ++columnLetters;
  }
  if (columnLetters == 0 || columnLetters > 2 || columnNumber >= kColumnCount) return false;
  if (pos < s.size() && s[pos] == '$') ++pos;
  int rowNumber = 0;
  size_t digits = 0;
  while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < 5) {
    rowNumber = rowNumber * 10 + (s[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0 || pos != s.size() || rowNumber < 1 || rowNumber > kRowCount) return false;
  *fileName = std::string(text.substr(0, mark));
  *page = uint16_t(pageNumber);
  *row = uint16_t(rowNumber - 1);
  *column = uint16_t(columnNumber);
  return true;
}

const std::vector<LinkedFileEntry>& LinkTable(SlotIndex sheet) {
  static const std::vector<LinkedFileEntry> kEmpty;
  auto table = Links().tables.find(sheet);
  return table == Links().tables.end() ? kEmpty : table->second;
}

bool StoreLinkedNumber(SlotIndex sheet, std::string_view fileName, uint16_t page, uint16_t row,
                       uint16_t column, double number) {
  LinkedCell* cell = FindLinked(sheet, fileName, page, row, column);
  if (!cell) return false;
  cell->stored = true;
  cell->isString = false;
  cell->number = number;
  cell->text.clear();
  return true;
}

bool StoreLinkedString(SlotIndex sheet, std::string_view fileName, uint16_t page, uint16_t row,
                       uint16_t column, std::string_view text) {
  LinkedCell* cell = FindLinked(sheet, fileName, page, row, column);
  if (!cell) return false;
  cell->stored = true;
  cell->isString = true;
  cell->number = 0;
  cell->text = std::string(text.substr(0, kMaxStackString));
  return true;
}

void ForgetLinkTable(SlotIndex sheet) { Links().tables.erase(sheet); }

void ResetLinkTables() { Links().tables.clear(); }

void RegisterLookupFunctions() {
  RegisterFunction(uint8_t(Op::kVtable), Vtable);
  RegisterFunction(uint8_t(Op::kHtable), Htable);
  RegisterFunction(uint8_t(Op::kVterp), Vterp);
  RegisterFunction(uint8_t(Op::kHterp), Hterp);
  RegisterFunction(uint8_t(Op::kIndex), Index);
  RegisterFunction(uint8_t(Op::kCols), Cols);
  RegisterFunction(uint8_t(Op::kRows), Rows);
  RegisterFunction(uint8_t(Op::kAt), At);
  RegisterFunction(uint8_t(Op::kLink), Link);
  RegisterFunction(uint8_t(Op::kIsnum), Isnum);
  RegisterFunction(uint8_t(Op::kIsstr), Isstr);
  RegisterFunction(uint8_t(Op::kCell), Cell);
  RegisterFunction(uint8_t(Op::kCellpt), Cellpt);
}
