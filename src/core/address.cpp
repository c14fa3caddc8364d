// core/address.cpp — the text form of cell references and ranges, and the core's error flag.
//
// One printer and one parser for references such as "A1", "$B$7", "C:D12" and "A1..H20", used by
// every dialog, the formula compiler, the macro language and the file readers. Parsing never
// reports by itself: a failed field holds 0xFFFF and the error flag is raised. Texts are treated
// as hostile: every read is bounded and all arithmetic is done in wide integers.
// Reads: the page size of the current sheet (GlobalOptions), the platform's current cell and
// selection, the current sheet's range names (core/names.h). Writes: AddressState (error flag
// and its text, the absolute flags of the last range parse).
#include "core/address.h"

#include <cstdint>

#include "core/global_options.h"
#include "core/names.h"
#include "platform/platform.h"

namespace {

constexpr size_t kMaxParsedText = 240;  // longer range texts are cut before parsing
constexpr size_t kMaxRowDigits = 6;     // the row number is read from at most 6 characters
// Letter values are saturated here so that long runs of letters cannot overflow.
constexpr int64_t kLetterValueLimit = 0x10000;

struct AddressState {
  bool error = false;
  std::string errorText;
  uint8_t parseFlags = 0;  // AbsoluteBits of the last ParseRange
};

AddressState& TheAddressState() {
  static AddressState state;
  return state;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string UpperCased(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// Page size as the printer and parser use it: 0 and 8192 both mean one page of 8192 rows.
uint32_t EffectivePageSize() {
  uint16_t size = CurrentPageSize();
  return size == 0 ? uint32_t(kRowCount) : size;
}

bool HasPages() {
  uint16_t size = CurrentPageSize();
  return size != 0 && size != kRowCount;
}

// Reads a run of letters at `pos` as a column (or page) value: -1 for none, saturated at
// kLetterValueLimit.
int64_t ReadLetters(std::string_view text, size_t& pos) {
  int64_t value = -1;
  while (pos < text.size() && IsLetter(text[pos])) {
    value = (value + 1) * 26 + (text[pos] - 'A');
    if (value > kLetterValueLimit) value = kLetterValueLimit;
    ++pos;
  }
  return value;
}

// Reads `text` as a clean decimal integer (optional sign, at least one digit, nothing else).
bool ReadInteger(std::string_view text, int64_t* out) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos == text.size()) return false;
  int64_t value = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    value = value * 10 + (text[pos] - '0');
  }
  *out = negative ? -value : value;
  return true;
}

}  // namespace

// --- the error flag ----------------------------------------------------------------------------

void ClearError() {
  TheAddressState().error = false;
  TheAddressState().errorText.clear();
}

void RaiseError(std::string_view text) {
  TheAddressState().error = true;
  TheAddressState().errorText.assign(text);
}

bool ErrorRaised() { return TheAddressState().error; }

const std::string& ErrorText() { return TheAddressState().errorText; }

// --- small operations --------------------------------------------------------------------------

void ForgetIfCorner(CellRange& r, uint16_t row, uint16_t column) {
  bool first = r.firstColumn == column && r.firstRow == row;
  bool last = r.lastColumn == column && r.lastRow == row;
  if (first || last) r = NoRange();
}

// --- text form ---------------------------------------------------------------------------------

uint16_t CurrentPageSize() { return Options().pageSize(); }

std::string ColumnLetters(uint32_t number) {
  std::string out;
  if (number < 26) {
    out += char('A' + number);
  } else {
    out += char('A' + number / 26 - 1);
    out += char('A' + number % 26);
  }
  return out;
}

std::string CellText(uint16_t row, uint16_t column, bool absoluteRow, bool absoluteColumn) {
  std::string out;
  if (absoluteColumn) out += '$';
  out += ColumnLetters(column);
  uint32_t shownRow = row;
  if (HasPages()) {
    uint32_t size = CurrentPageSize();
    shownRow = row & 0x1FFFu;
    out = ColumnLetters(shownRow / size) + ":" + out;
    shownRow %= size;
  }
  if (absoluteRow) out += '$';
  out += std::to_string(shownRow + 1);
  return out;
}

std::string ShortCellText(uint16_t row, uint16_t column) {
  return ColumnLetters(column) + std::to_string(row % EffectivePageSize() + 1);
}

std::string RangeTextWithMarkers(const CellRange& r, uint8_t mask) {
  if (!RangeIsValid(r)) return {};
  std::string out =
      CellText(r.firstRow, r.firstColumn, mask & kAbsFirstRow, mask & kAbsFirstColumn);
  if (!RangeIsSingleCell(r)) {
    out += "..";
    out += CellText(r.lastRow, r.lastColumn, mask & kAbsLastRow, mask & kAbsLastColumn);
  }
  return out;
}

std::string RangeText(const CellRange& r) { return RangeTextWithMarkers(r, 0); }

// --- parsing -----------------------------------------------------------------------------------

ParsedCell ParseCellRef(std::string_view rawText) {
  ParsedCell cell;
  std::string text = UpperCased(rawText.substr(0, kMaxParsedText));
  if (text == "CURSOR" || text == "$CURSOR") {
    PlatformCell at = ThePlatform().CurrentCell();
    cell.row = at.row;
    cell.column = at.column;
    cell.absoluteColumn = cell.absoluteRow = text[0] == '$';
    return cell;
  }

  std::string_view s = text;
  size_t pos = 0;
  if (pos < s.size() && s[pos] == '$') {
    cell.absoluteColumn = true;
    ++pos;
  }
  int64_t letters = ReadLetters(s, pos);
  int64_t pageOffset = 0;
  bool pageFailed = false;
  if (pos < s.size() && s[pos] == ':') {
    // The letters named a page; a page prefix without letters, or beyond any page, is malformed.
    if (letters < 0 || letters >= kLetterValueLimit) pageFailed = true;
    else pageOffset = letters * int64_t(EffectivePageSize());
    ++pos;
    if (pos < s.size() && s[pos] == '$') {
      cell.absoluteColumn = true;
      ++pos;
    }
    letters = ReadLetters(s, pos);
  }
  cell.column = (letters < 0 || letters >= kLetterValueLimit) ? kNoCell : uint16_t(letters);

  if (pos < s.size() && s[pos] == '$') {
    cell.absoluteRow = true;
    ++pos;
  }
  int64_t number = 0;
  if (pageFailed || !ReadInteger(s.substr(pos, kMaxRowDigits), &number)) {
    cell.row = kNoCell;
    RaiseError();
    return cell;
  }
  // C++ remainder keeps the sign of the dividend: A0 gives -1, that is 0xFFFF.
  cell.row = uint16_t((number - 1 + pageOffset) % kRowCount);
  return cell;
}

CellRange ParseRange(std::string_view rawText) {
  std::string text = UpperCased(rawText.substr(0, kMaxParsedText));
  if (text.empty()) return NoRange();
  AddressState& st = TheAddressState();
  if (text == "RANGE") {
    PlatformBlock b = ThePlatform().Selection();
    return MakeRange(b.firstColumn, b.firstRow, b.lastColumn, b.lastRow);
  }
  if (text == "CURSOR") {
    PlatformCell at = ThePlatform().CurrentCell();
    return MakeRange(at.column, at.row, at.column, at.row);
  }
  // A range name of the current sheet wins over a cell reference of the same spelling.
  if (const int index = LookupName(text)) {
    const bool dollar = text[0] == '$';
    st.parseFlags = dollar ? (kAbsFirstRow | kAbsFirstColumn | kAbsLastRow | kAbsLastColumn) : 0;
    return NameRange(index);
  }

  std::string_view s = text;
  std::string_view firstText = s;
  std::string_view lastText = s;
  size_t dots = s.find("..");
  if (dots != std::string_view::npos) {
    firstText = s.substr(0, dots);
    size_t rest = dots + 2;
    if (rest < s.size() && s[rest] == '.') ++rest;
    lastText = s.substr(rest);
  }
  ParsedCell last = ParseCellRef(lastText);
  ParsedCell first = ParseCellRef(firstText);
  st.parseFlags = uint8_t((first.absoluteRow ? kAbsFirstRow : 0) |
                          (first.absoluteColumn ? kAbsFirstColumn : 0) |
                          (last.absoluteRow ? kAbsLastRow : 0) |
                          (last.absoluteColumn ? kAbsLastColumn : 0));
  if (!IsValidCell(first.row, first.column) || !IsValidCell(last.row, last.column)) RaiseError();
  return MakeRange(first.column, first.row, last.column, last.row);
}

uint8_t LastParseFlags() { return TheAddressState().parseFlags; }

void SetLastParseFlags(uint8_t mask) { TheAddressState().parseFlags = mask & 0x0F; }

void ResetAddressState() { TheAddressState() = AddressState{}; }
