// core/names.cpp — the sorted range-name table of the current worksheet.
//
// Reads and writes: the name table and count of the current sheet (sheet_state.h) and the
// 21-byte entries in the pool. BuildNames and TableNames read and write cells.
#include "core/names.h"
#include "core/text_case.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/cell_store.h"
#include "core/messages.h"
#include "core/sheet_state.h"

namespace {

// Entry layout: 13-byte length-prefixed name, then first column, first row, last column, last
// row as 16-bit little-endian words.
constexpr size_t kRangeOffset = 13;

std::string Upper(std::string_view text) { return UpperCase(text); }

std::string EntryName(PoolHandle entry) {
  const uint8_t* p = PoolPtr(entry);
  const size_t length = std::min<size_t>(p[0], kMaxNameLength);
  return std::string(reinterpret_cast<const char*>(p + 1), length);
}

uint16_t ReadWord(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void WriteWord(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void WriteEntry(PoolHandle entry, std::string_view name, const CellRange& r) {
  uint8_t* p = PoolPtr(entry);
  if (!p) return;
  std::memset(p, 0, kNameEntrySize);
  p[0] = static_cast<uint8_t>(name.size());
  std::memcpy(p + 1, name.data(), name.size());
  uint8_t* q = p + kRangeOffset;
  WriteWord(q, r.firstColumn);
  WriteWord(q + 2, r.firstRow);
  WriteWord(q + 4, r.lastColumn);
  WriteWord(q + 6, r.lastRow);
}

bool AllDigits(std::string_view name) {
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The text a cell shows, as a name or range text is read from it: a label without its prefix or
// a string formula's result; other cells give their general number text.
std::string CellTextForNames(uint32_t row, uint32_t column) {
  CellHandle h = GetCell(row, column);
  if (!h) return {};
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind;
  if (KindIsLabel(kind)) {
    std::string t = PoolText(c->text);
    return t.empty() ? t : t.substr(1);
  }
  if (KindIs(kind, CellKind::kStringFormula)) return PoolText(CellStringResult(c));
  return {};
}

}  // namespace

int FindName(std::string_view name, int low, int high) {
  const SheetState& cur = CurrentSheet();
  high = std::min(high, static_cast<int>(cur.nameCount));
  low = std::max(low, 1);
  while (low <= high) {
    const int mid = (low + high) / 2;
    const std::string entry = EntryName(cur.nameTable[mid]);
    const int cmp = std::string_view(entry).compare(name);
    if (cmp == 0) return mid;
    if (cmp < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return -low;
}

int LookupName(std::string_view text) {
  if (!text.empty() && text[0] == '$') text.remove_prefix(1);
  // Names hold up to 12 characters; a 12-character name is found with or without "$".
  if (text.size() > static_cast<size_t>(kMaxNameLength)) text = text.substr(0, kMaxNameLength);
  if (text.empty()) return 0;
  const int index = FindName(Upper(text), 1, CurrentSheet().nameCount);
  return index > 0 ? index : 0;
}

int DefineName(std::string_view name, const CellRange& range) {
  SheetState& cur = CurrentSheet();
  const std::string upper = Upper(name.substr(0, kMaxNameLength));
  const int found = FindName(upper, 1, cur.nameCount);
  NoteNames();
  if (found > 0) {
    WriteEntry(cur.nameTable[found], upper, range);
    return found;
  }
  if (cur.nameCount >= kMaxNames) return 0;
  const PoolHandle entry = PoolAlloc(kNameEntrySize);
  if (entry == kNoBlock) return 0;
  WriteEntry(entry, upper, range);
  const int at = -found;
  for (int i = cur.nameCount; i >= at; --i) cur.nameTable[i + 1] = cur.nameTable[i];
  cur.nameTable[at] = entry;
  ++cur.nameCount;
  return -at;
}

int DeleteName(std::string_view name) {
  SheetState& cur = CurrentSheet();
  const int found = FindName(Upper(name.substr(0, kMaxNameLength)), 1, cur.nameCount);
  if (found <= 0) return found;
  NoteNames();
  PoolFree(cur.nameTable[found], kNameEntrySize);
  for (int i = found; i < cur.nameCount; ++i) cur.nameTable[i] = cur.nameTable[i + 1];
  cur.nameTable[cur.nameCount] = kNoBlock;
  --cur.nameCount;
  return found;
}

void ResetNames() {
  SheetState& cur = CurrentSheet();
  if (cur.nameCount > 0) NoteNames();
  for (int i = 1; i <= cur.nameCount; ++i) {
    PoolFree(cur.nameTable[i], kNameEntrySize);
    cur.nameTable[i] = kNoBlock;
  }
  cur.nameCount = 0;
}

void BuildNames(const CellRange& source) {
  ClearError();
  const uint16_t firstRow = std::min(source.firstRow, source.lastRow);
  const uint16_t lastRow = std::max(source.firstRow, source.lastRow);
  const uint16_t nameColumn = std::min(source.firstColumn, source.lastColumn);
  for (uint32_t row = firstRow; row <= lastRow && IsValidCell(row, nameColumn); ++row) {
    if (CurrentSheet().nameCount >= kMaxNames) {
      ShowError("Max names (240) Exceeded");
      return;
    }
    const std::string rangeText = CellTextForNames(row, nameColumn + 1u);
    std::string name = CellTextForNames(row, nameColumn).substr(0, 20);
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    const CellRange range = ParseRange(rangeText);
    // A range text that does not parse stops the build without defining a name for it.
    if (ErrorRaised()) break;
    if (!name.empty() && !AllDigits(name)) DefineName(name, range);
  }
  if (ErrorRaised()) ShowError("Error Creating Names");
}

void TableNames(const CellRange& target) {
  const SheetState& cur = CurrentSheet();
  uint32_t row = std::min(target.firstRow, target.lastRow);
  const uint16_t column = std::min(target.firstColumn, target.lastColumn);
  for (int i = 1; i <= cur.nameCount && IsValidCell(row, column + 1u); ++i, ++row) {
    const std::string name = EntryName(cur.nameTable[i]);
    const std::string range = RangeText(NameRange(i));
    const std::string texts[2] = {"'" + name, "'" + range};
    for (uint32_t k = 0; k < 2; ++k) {
      NoteCellChange(GetCell(row, column + k));
      CellHandle h = GetOrCreateCell(row, column + k);
      if (!h) return;
      CellRecord* c = CellAt(h);
      if (!SetCellText(c, texts[k])) return;
      c->kind = static_cast<uint8_t>(CellKind::kLabel);
      std::memset(c->value, 0, sizeof c->value);
    }
  }
}

int NameCount() { return CurrentSheet().nameCount; }

std::string NameAt(int index) {
  if (index < 1 || index > NameCount()) return {};
  return EntryName(CurrentSheet().nameTable[index]);
}

CellRange NameRange(int index) {
  if (index < 1 || index > NameCount()) return NoRange();
  const uint8_t* q = PoolPtr(CurrentSheet().nameTable[index]) + kRangeOffset;
  return CellRange{ReadWord(q), ReadWord(q + 2), ReadWord(q + 4), ReadWord(q + 6)};
}

void SetNameRange(int index, const CellRange& range) {
  if (index < 1 || index > NameCount()) return;
  WriteEntry(CurrentSheet().nameTable[index], NameAt(index), range);
}

std::string CheckNewName(std::string_view name) {
  if (name.empty() || AllDigits(name)) return " All Digits in Name!";
  return {};
}

void InitNameTable() {
  SheetState& cur = CurrentSheet();
  cur.nameTable.fill(kNoBlock);
  cur.nameTable[0] = PoolAlloc(kNameEntrySize);
  if (cur.nameTable[0] != kNoBlock) std::memset(PoolPtr(cur.nameTable[0]), 0, kNameEntrySize);
  cur.nameCount = 0;
}

