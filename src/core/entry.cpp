// core/entry.cpp — cell entry and the entry line's text.
//
// Reads: the current sheet's cells and options, the number settings, the column widths.
// Writes: the entered cell (kind, text, value), the modified flag, the error flag; calls the
// compiler, link and evaluation routines of the formula engine through the engine layers.
#include "core/entry.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/date_time.h"
#include "core/engine_layers.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/number_settings.h"
#include "core/sheet_layout.h"
#include "platform/platform.h"

namespace {

constexpr unsigned char kLeftGuillemet = 171;
constexpr unsigned char kRightGuillemet = 187;

struct EntryState {
  CellHandle cell = 0;
  bool entered = false;
  bool suppressed = false;
};

EntryState& TheEntryState() {
  static EntryState state;
  return state;
}

void Report(std::string_view text) {
  if (!TheEntryState().suppressed) ShowError(text);
}

bool IsNumberChar(unsigned char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'E' || c == 'e' ||
         c == static_cast<unsigned char>(NumberFormatSettings().decimalSeparator);
}

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Frees what the cell held besides its attributes: the string result of a string formula and
// its text block.
void DropContent(CellRecord* c) {
  if ((c->kind & kKindMask) == static_cast<uint8_t>(CellKind::kStringFormula)) {
    PoolHandle result = CellStringResult(c);
    if (result) PoolFree(result, PoolTextSize(result));
    SetCellStringResult(c, 0);
  }
  FreeCellText(c);
}

bool ReadsAsDateOrTime(std::string_view text, uint8_t format) {
  const bool dateFormat = format == kFormatD4 || format == kFormatD5;
  const bool timeFormat = format == kFormatT3 || format == kFormatT4;
  const unsigned char first = static_cast<unsigned char>(text[0]);
  if (dateFormat && (text.find('/') == std::string_view::npos || first == '+' || first == '-'))
    return false;
  if (timeFormat && text.find(':') == std::string_view::npos) return false;
  if (!dateFormat && !timeFormat) return false;
  return first != '(' && first != '*' && first != '@';
}

// Undoes what a failed formula entry did to its cell: a cell the entry made is taken out again
// (with the extent and modified flag as they were), an existing one gets back its kind, its
// value and, for a formula, its references; a string formula is evaluated again, as its result
// was dropped. Labels kept their text all along.
struct CellBefore {
  bool created = false;
  uint8_t kind = 0;
  uint8_t value[8] = {};
  uint16_t lastRow = 0, lastColumn = 0;
  bool modified = false;
};

void RestoreAfterFailedFormula(CellHandle h, uint32_t row, uint32_t column, const CellBefore& b) {
  if (b.created) {
    if (GetCell(row, column) != h) return;
    UnlinkCell(h, FoundPredecessor(), row);
    FreeCellRecord(h);
    SetExtent(b.lastRow, b.lastColumn);
    SetSheetModified(b.modified);
    TheEntryState().cell = 0;
    return;
  }
  CellRecord* c = CellAt(h);
  c->kind = b.kind;
  const uint8_t kind = b.kind & kKindMask;
  if (kind == static_cast<uint8_t>(CellKind::kStringFormula)) {
    c->kind = static_cast<uint8_t>(CellKind::kFormula);
    SetCellDouble(c, 0);
  } else {
    std::memcpy(c->value, b.value, sizeof c->value);
  }
  if (KindIsFormula(kind)) {
    TheEngineLayers().LinkFormula(h);
    if (kind == uint8_t(CellKind::kStringFormula)) TheEngineLayers().EvaluateCell(h);
  }
}

}  // namespace

bool IsValueStart(unsigned char c) {
  return (c >= '0' && c <= '9') ||
         c == static_cast<unsigned char>(NumberFormatSettings().decimalSeparator) || c == '!' ||
         c == '%' || c == '(' || c == '+' || c == '-' || c == '@';
}

bool IsLabelPrefix(unsigned char c) {
  return c == '\'' || c == '"' || c == '\\' || c == '^' || c == '`' || c == '|' ||
         c == kLeftGuillemet || c == kRightGuillemet;
}

char AlignmentPrefix(int index) {
  static const unsigned char kPrefixes[7] = {0, '\'', '"', '^', '`', kLeftGuillemet,
                                             kRightGuillemet};
  if (index <= 0 || index > 6) {
    const uint8_t global = Options().labelPrefix();
    return static_cast<char>(global ? global : '\'');
  }
  return static_cast<char>(kPrefixes[index]);
}

bool ReadEntryNumber(std::string_view input, double* value) {
  std::string text(input.substr(0, kMaxCellText));
  if (text.empty()) return false;
  for (unsigned char c : text) {
    if (!IsNumberChar(c)) return false;
  }
  const char separator = NumberFormatSettings().decimalSeparator;
  const size_t dot = text.find(separator);
  if (dot != std::string::npos) {
    text[dot] = '.';
    if (dot + 1 == text.size()) text.push_back('0');
  }
  if (text[0] == '.') text.insert(0, "0");
  if (text.size() > 1 && (text[0] == '+' || text[0] == '-') && text[1] == '.') text.insert(1, "0");

  // Strict syntax: sign, digits with at most one ".", then an optional exponent with digits.
  size_t i = 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  const size_t mantissaStart = i;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t expDigits = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (j == expDigits) return false;
    i = j;
  }
  if (i != text.size()) return false;
  double parsed = 0;
  const char* begin = text.data() + mantissaStart;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(begin, end, parsed);
  // Out-of-range magnitudes are not numbers a cell can hold; the compiler gets the text.
  if (ec != std::errc() || ptr != end) return false;
  *value = negative ? -parsed : parsed;
  return true;
}

EntryResult EnterCell(std::string_view input, uint32_t row, uint32_t column) {
  EntryState& s = TheEntryState();
  const std::string_view text = input.substr(0, kMaxCellText);
  s.entered = false;
  s.cell = 0;

  CellHandle h = GetCell(row, column);
  CellBefore before;
  if (!h) {
    if (text.empty()) return EntryResult::kStored;
    if (Options().protection()) {
      RaiseError("Protected Cell");
      Report("Protected Cell");
      return EntryResult::kProtected;
    }
    before = {true, 0, {}, LastRow(), LastColumn(), SheetModified()};
    h = GetOrCreateCell(row, column);
    if (!h) return EntryResult::kNoMemory;
  } else {
    CellRecord* c = CellAt(h);
    before.kind = c->kind;
    std::memcpy(before.value, c->value, sizeof before.value);
    if ((c->format & kFormatProtected) && Options().protection()) {
      RaiseError("Protected Cell");
      Report("Protected Cell");
      return EntryResult::kProtected;
    }
    NoteCellChange(h);
    if (KindIsFormula(c->kind & kKindMask)) TheEngineLayers().UnlinkFormula(h);
    SetSheetModified(true);
  }
  s.cell = h;
  CellRecord* c = CellAt(h);
  const int alignment = CellAlignment(c->style);
  const uint8_t format = c->format & kFormatCodeMask;
  // A string result belongs to the old formula; the old text stays until it is replaced.
  if ((c->kind & kKindMask) == static_cast<uint8_t>(CellKind::kStringFormula)) {
    PoolHandle result = CellStringResult(c);
    if (result) PoolFree(result, PoolTextSize(result));
    SetCellStringResult(c, 0);
  }
  c->kind = static_cast<uint8_t>(CellKind::kLabel);
  const bool hasDependents = c->dependents != kNoBlock;
  const bool manual = Options().manualRecalc();

  bool stored = false;
  if (!text.empty() && ReadsAsDateOrTime(text, format)) {
    std::string compact(text);
    compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
    if (!compact.empty()) {
      double value = 0;
      const bool isDate = format == kFormatD4 || format == kFormatD5;
      const bool ok = isDate ? ReadDateValue(compact, format == kFormatD5, &value)
                             : ReadTimeValue(compact, &value);
      // A text that is no date or time goes on as any other entry would.
      if (ok) {
        DropContent(c);
        StoreNumber(c, value);
        stored = true;
      }
    }
  }

  if (!stored && !text.empty() && IsValueStart(static_cast<unsigned char>(text[0])) &&
      format != kFormatLabels) {
    double value = 0;
    bool isNumber = ReadEntryNumber(text, &value);
    if (text.size() >= 2 && (text[0] == '+' || text[0] == '-') &&
        IsLetter(static_cast<unsigned char>(text[1])))
      isNumber = false;
    if (isNumber) {
      DropContent(c);
      StoreNumber(c, value);
      stored = true;
    } else {
      std::string code;
      ClearError();
      const bool compiled = TheEngineLayers().CompileFormula(
          text, static_cast<uint16_t>(row), static_cast<uint16_t>(column), &code);
      if (!compiled) {
        if (!ErrorRaised()) RaiseError();
        RestoreAfterFailedFormula(h, row, column, before);
        Report(ErrorText());
        return EntryResult::kFormulaError;
      }
      c->kind = static_cast<uint8_t>(CellKind::kBlank);
      if (ErrorRaised()) return EntryResult::kFormulaError;
      if (!SetCellTextBytes(c, reinterpret_cast<const uint8_t*>(code.data()))) {
        return EntryResult::kNoMemory;
      }
      SetCellDouble(c, 0);
      c->kind = static_cast<uint8_t>(CellKind::kFormula);
      TheEngineLayers().LinkFormula(h);
      if (manual || !hasDependents) TheEngineLayers().EvaluateCell(h);
      stored = true;
    }
  }

  if (!stored) {
    std::string label;
    if (text.empty() || !IsLabelPrefix(static_cast<unsigned char>(text[0]))) {
      label.push_back(AlignmentPrefix(alignment));
    }
    label.append(text);
    if (!SetCellText(c, label)) return EntryResult::kNoMemory;
    std::memset(c->value, 0, sizeof c->value);
    c->kind = static_cast<uint8_t>(CellKind::kLabel);
  }

  SetSheetModified(true);
  if (!manual && hasDependents) {
    TheEngineLayers().RecalculateFrom(h);
    s.entered = true;
  }
  ThePlatform().Repaint();
  return EntryResult::kStored;
}

EditInfo EditText(uint32_t row, uint32_t column) {
  EditInfo info;
  CellHandle h = GetCell(row, column);
  if (!h) {
    info.editable = !Options().protection();
    return info;
  }
  const CellRecord* c = CellAt(h);
  if ((c->format & kFormatProtected) && Options().protection()) {
    info.text = "* Protected *";
    info.editable = false;
    return info;
  }
  const uint8_t kind = c->kind & kKindMask;
  if (kind == static_cast<uint8_t>(CellKind::kLabel)) {
    info.text = PoolText(c->text);
  } else if (kind == static_cast<uint8_t>(CellKind::kStringFormula) ||
             kind == static_cast<uint8_t>(CellKind::kFormula) ||
             kind >= static_cast<uint8_t>(CellKind::kError6)) {
    if (c->text) info.text = TheEngineLayers().FormulaText(h);
  } else if (kind == static_cast<uint8_t>(CellKind::kNumber) ||
             kind == static_cast<uint8_t>(CellKind::kInteger)) {
    info.text = FormatGeneral(CellNumber(c));
  }

  std::string d;
  if ((c->format & kFormatCodeMask) != kFormatDefault) d = FormatName(c->format);
  if (c->style != 0) {
    const int alignment = CellAlignment(c->style);
    d += ',';
    d += alignment == 0 ? ' ' : AlignmentPrefix(alignment);
  }
  const SheetLayout& layout = CurrentLayout();
  if (column < layout.columnWidth.size() && layout.columnWidth[column] != layout.defaultWidth) {
    if (!d.empty()) d += ' ';
    d += 'w';
    d += std::to_string(layout.columnWidth[column] / 8);
  }
  if (!d.empty()) {
    info.descriptor = " [";
    info.descriptor += d;
    info.descriptor += ']';
  }
  return info;
}

void SetEntryMessagesSuppressed(bool on) { TheEntryState().suppressed = on; }
bool EntryMessagesSuppressed() { return TheEntryState().suppressed; }
CellHandle EntryCell() { return TheEntryState().cell; }
bool EntryRecalculated() { return TheEntryState().entered; }
void ResetEntryState() { TheEntryState() = EntryState{}; }
