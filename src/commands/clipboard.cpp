// commands/clipboard.cpp — building the clipboard texts of a block, and pasting them back.
//
// Reads and writes: the current worksheet's cells (through cell entry and, for attributes, the
// records themselves), the platform clipboard, entry's message suppression, and the
// manual-recalculation byte of the options for the duration of a paste.
#include "commands/clipboard.h"

#include <charconv>
#include <vector>

#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/number_settings.h"
#include "core/sheet_layout.h"
#include "formula/formula_text.h"

namespace {

constexpr char kProtectedCell[] = "Protected Cell";

// The shortest text that entry reads back to the same number, with the settings' decimal
// separator.
std::string NumberEntryText(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return FormatGeneral(value);
  std::string text(buffer, end);
  const char separator = NumberFormatSettings().decimalSeparator;
  if (separator != '.') {
    for (char& c : text) {
      if (c == '.') c = separator;
    }
  }
  return text;
}

// The text a cell is entered again from: a label with its prefix, a formula's text, a number's
// shortest text; blanks and errors without code give "".
std::string EntryTextOf(CellHandle h, uint32_t row, uint32_t column) {
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind & kKindMask;
  if (kind == uint8_t(CellKind::kInteger)) return std::to_string(CellInteger(c));
  if (kind == uint8_t(CellKind::kNumber)) return NumberEntryText(CellDouble(c));
  return EditText(row, column).text;
}

// "F255,C$C0000000,T255,H0,S0": the attribute list of a cell (without the ";" before it).
std::string AttributeText(const CellRecord* c) {
  const uint32_t colourWord = uint32_t(c->shade[0]) | uint32_t(c->shade[1]) << 8 |
                              uint32_t(c->shade[2]) << 16 | uint32_t(c->colour) << 24;
  char hex[16];
  const auto [end, ec] = std::to_chars(hex, hex + sizeof hex, colourWord, 16);
  std::string colour(hex, ec == std::errc() ? end : hex);
  for (char& ch : colour) ch = (ch >= 'a' && ch <= 'f') ? char(ch - 'a' + 'A') : ch;
  if (colour.size() < 4) colour.insert(0, 4 - colour.size(), '0');
  return "F" + std::to_string(c->format) + ",C$" + colour + ",T" + std::to_string(c->font) +
         ",H" + std::to_string(c->size) + ",S" + std::to_string(c->style);
}

// The cell's text as the worksheet shows it in its column, without leading and trailing blanks.
std::string DisplayTextOf(CellHandle h, uint32_t column) {
  const CellRecord* c = CellAt(h);
  uint8_t format = c->format & kFormatCodeMask;
  if (format == kFormatDefault) format = Options().globalFormat() & kFormatCodeMask;
  if (format == kFormatHidden) return {};
  const uint8_t kind = c->kind & kKindMask;
  std::string text;
  if (c->kind & kKindErrorMark) {
    text = "ERR";
  } else if (KindIsFormula(kind) && format == kFormatText) {
    text = CellFormulaText(h);
  } else if (kind == uint8_t(CellKind::kStringFormula)) {
    text = PoolText(CellStringResult(c));
  } else if (kind == uint8_t(CellKind::kLabel)) {
    text = PoolText(c->text);
    if (!text.empty()) text.erase(0, 1);
  } else if (KindIsNumeric(kind)) {
    text = FormatValue(CurrentLayout().columnWidth[column] / 8, format, CellNumber(c));
  } else if (kind == uint8_t(CellKind::kError7)) {
    text = "ERR";
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool LockedUnderProtection(const CellRecord* c) {
  return Options().protection() && (c->format & kFormatProtected);
}

// --- paste -------------------------------------------------------------------------------------

// Reads an attribute value: decimal digits, or "$" and hexadecimal digits; false for anything
// else or a value past 32 bits.
bool ReadAttributeValue(std::string_view text, uint32_t* value) {
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
  return ec == std::errc() && end == text.data() + text.size();
}

// Applies the comma-separated items of `list` to the cell; items of an unknown letter, without a
// readable value or with a value the field cannot hold are ignored.
// `fonts` is the number of fonts the sheet can name (index 255 is the default font).
void ApplyAttributes(CellRecord* c, std::string_view list, size_t fonts) {
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (item.empty()) continue;
    const char letter = char(item[0] >= 'a' && item[0] <= 'z' ? item[0] - 'a' + 'A' : item[0]);
    uint32_t value = 0;
    if (!ReadAttributeValue(item.substr(1), &value)) continue;
    if (letter == 'C') {
      c->shade[0] = uint8_t(value);
      c->shade[1] = uint8_t(value >> 8);
      c->shade[2] = uint8_t(value >> 16);
      c->colour = uint8_t(value >> 24);
      continue;
    }
    if (value > 255) continue;
    switch (letter) {
      case 'F': c->format = uint8_t(value); break;
      case 'H': c->size = uint8_t(value); break;
      case 'S': c->style = uint8_t(value); break;
      case 'T':
        if (value == 255 || value < fonts) c->font = uint8_t(value);
        break;
      default: break;
    }
  }
}

// Where the attribute list of a private-format field starts (the position of its ";"), or npos:
// the last ";F" followed by a digit.
size_t AttributeStart(std::string_view field) {
  for (size_t at = field.rfind(";F"); at != std::string_view::npos; at = field.rfind(";F", at - 1)) {
    if (at + 2 < field.size() && field[at + 2] >= '0' && field[at + 2] <= '9') return at;
    if (at == 0) break;
  }
  return std::string_view::npos;
}

// The result of a refused entry, with the message entry would have shown.
CommandResult Refusal(EntryResult entered) {
  if (entered == EntryResult::kProtected) return CommandResult{CommandStatus::kProtected, kProtectedCell};
  std::string text = ErrorText();
  if (text.empty()) text = "Out of memory";
  return CommandResult{CommandStatus::kFailed, text};
}

// Enters one field at (row, column). Gives the refusal that stops the paste, or kDone.
// `fonts` as for ApplyAttributes.
CommandResult PasteField(std::string_view field, bool withAttributes, size_t fonts, uint32_t row,
                         uint32_t column) {
  std::string_view entry = field;
  std::string_view attributes;
  bool hasAttributes = false;
  if (withAttributes) {
    const size_t at = AttributeStart(field);
    if (at != std::string_view::npos) {
      entry = field.substr(0, at);
      attributes = field.substr(at + 1);
      hasAttributes = true;
    }
  }
  ClearError();
  EntryResult entered = EnterCell(entry, row, column);
  if (entered == EntryResult::kFormulaError) {
    // Text that is no formula (1,000 from another program) is kept as a label.
    const CellHandle h = GetCell(row, column);
    std::string label(1, AlignmentPrefix(h ? CellAlignment(CellAt(h)->style) : 0));
    label.append(entry);
    ClearError();
    entered = EnterCell(label, row, column);
  }
  if (entered != EntryResult::kStored) return Refusal(entered);
  if (!hasAttributes) return CommandResult{};
  CellHandle h = GetCell(row, column);
  // Protection keeps locked cells and empty positions as they are.
  if (Options().protection() && (!h || (CellAt(h)->format & kFormatProtected))) {
    return CommandResult{};
  }
  if (h) {
    NoteCellChange(h);
  } else {
    h = GetOrCreateCell(row, column);
    if (!h) return CommandResult{CommandStatus::kFailed, "Out of memory"};
  }
  ApplyAttributes(CellAt(h), attributes, fonts);
  return CommandResult{};
}

}  // namespace

ClipTexts BuildClipTexts(const CellRange& block) {
  const CellRange r = OrderedRange(block);
  ClipTexts out;
  if (!RangeIsValid(r)) return out;
  bool privateFull = false;
  bool plainFull = false;
  for (uint32_t row = r.firstRow; row <= r.lastRow && !(privateFull && plainFull); ++row) {
    CellHandle h = FindCellAtOrAfter(row, r.firstColumn);
    for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
      if (column > r.firstColumn) {
        if (!privateFull) out.privateText += '\t';
        if (!plainFull) out.plainText += '\t';
      }
      if (h && CellAt(h)->column == column) {
        if (!LockedUnderProtection(CellAt(h))) {
          if (!privateFull) {
            out.privateText += EntryTextOf(h, row, column);
            out.privateText += ';';
            out.privateText += AttributeText(CellAt(h));
          }
          if (!plainFull) out.plainText += DisplayTextOf(h, column);
        }
        h = CellAt(h)->next;
      }
      if (column == r.lastColumn) {
        if (!privateFull) out.privateText += "\r\n";
        if (!plainFull) out.plainText += "\r\n";
      }
      const bool privateOver = !privateFull && out.privateText.size() > kClipTextLimit;
      const bool plainOver = !plainFull && out.plainText.size() > kClipTextLimit;
      if ((privateOver || plainOver) && out.complete) {
        out.complete = false;
        out.stopRow = uint16_t(row);
        out.stopColumn = uint16_t(column);
      }
      privateFull = privateFull || privateOver;
      plainFull = plainFull || plainOver;
      if (privateFull && plainFull) break;
    }
  }
  return out;
}

CommandResult CopyToClipboard(const CellRange& block, bool cut) {
  CommandSteps steps;
  steps.undo = cut;
  steps.recalculate = false;  // the erase of a cut recalculates what depends on the block
  steps.marksModified = cut;
  return RunCommand(steps, [&]() -> CommandResult {
    if (!RangeIsValid(OrderedRange(block))) return CommandResult{CommandStatus::kFailed, {}};
    const ClipTexts texts = BuildClipTexts(block);
    ThePlatform().SetClipboard(texts.privateText, texts.plainText);
    if (!texts.complete) {
      const std::string text = " Clip Buffer Exceeded!\nCell: " +
                               CellText(texts.stopRow, texts.stopColumn, false, false);
      ShowError(text);
      return CommandResult{CommandStatus::kFailed, text};
    }
    if (cut) return EraseRange(block);
    return CommandResult{};
  });
}

CommandResult PasteFromClipboard(uint32_t row, uint32_t column) {
  std::string text;
  ClipFormat format = ClipFormat::kPrivate;
  if (!ThePlatform().ClipboardText(format, &text)) {
    format = ClipFormat::kText;
    if (!ThePlatform().ClipboardText(format, &text)) text.clear();
  }
  return PasteText(text, format, row, column);
}

CommandResult PasteText(std::string_view text, ClipFormat format, uint32_t row, uint32_t column) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  CommandSteps steps;
  steps.marksModified = false;  // entry marks the sheet when it stores anything
  return RunCommand(steps, [&]() -> CommandResult {
    if (!IsValidCell(row, column)) return CommandResult{CommandStatus::kFailed, {}};
    // Each entry would recalculate its dependents; the command recalculates once at the end.
    const bool manual = Options().manualRecalc();
    Options().setManualRecalc(true);
    const bool suppressed = EntryMessagesSuppressed();
    SetEntryMessagesSuppressed(true);
    const bool withAttributes = format == ClipFormat::kPrivate;
    const size_t fonts = withAttributes ? ThePlatform().InstalledFonts().size() : 0;
    CommandResult result;
    uint32_t target = row;
    size_t at = 0;
    while (at < text.size() && target < uint32_t(kRowCount) && result.Done()) {
      size_t end = text.find_first_of("\r\n", at);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view line = text.substr(at, end - at);
      // CR, LF and CR LF each end one line.
      at = end;
      if (at < text.size() && text[at++] == '\r' && at < text.size() && text[at] == '\n') ++at;
      if (line.empty()) {
        ClearError();
        const EntryResult entered = EnterCell("", target, column);
        if (entered != EntryResult::kStored) result = Refusal(entered);
      } else {
        uint32_t targetColumn = column;
        size_t from = 0;
        while (targetColumn < uint32_t(kColumnCount) && result.Done()) {
          const size_t tab = line.find('\t', from);
          const std::string_view field = line.substr(from, tab == std::string_view::npos ? tab : tab - from);
          result = PasteField(field, withAttributes, fonts, target, targetColumn);
          if (tab == std::string_view::npos) break;
          from = tab + 1;
          ++targetColumn;
        }
      }
      ++target;
    }
    SetEntryMessagesSuppressed(suppressed);
    Options().setManualRecalc(manual);
    if (!result.message.empty()) ShowError(result.message);
    return result;
  });
}
