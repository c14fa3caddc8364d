// macros/settings_macro_commands.cpp — the macro commands of the general settings and of cell
// borders: GENADV, GENCOLOR, GENFONT, GENOPTION and BORDER.
//
// The worksheet changes run through the same commands as the settings dialogs
// (commands/sheet_settings.h, commands/cell_properties.h), each macro command one undo group.
// GENADV changes program settings (separators and currency texts), which Undo does not cover.
// Reads and writes: the current worksheet (through macros/sheet_changes.h); the number settings.
#include <algorithm>
#include <string>
#include <vector>

#include "commands/cell_properties.h"
#include "commands/sheet_settings.h"
#include "core/number_settings.h"
#include "core/password.h"
#include "core/text_case.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"
#include "macros/sheet_changes.h"
#include "platform/platform.h"

namespace {

constexpr size_t kMaxGenFontField = 40;
constexpr uint32_t kIgnoreForeground = 0x80000000u;
constexpr uint32_t kIgnoreBackground = 0x40000000u;

// `text` split at the argument separator of formulas.
std::vector<std::string> SplitAtSeparator(const std::string& text) {
  std::vector<std::string> items(1);
  const char separator = NumberFormatSettings().argumentSeparator;
  for (char c : text) {
    if (c == separator) {
      items.emplace_back();
    } else {
      items.back().push_back(c);
    }
  }
  return items;
}

// The number after an item's letter (0 when there is none).
int ItemNumber(const std::string& item) {
  int n = 0;
  for (size_t i = 1; i < item.size() && item[i] >= '0' && item[i] <= '9' && n < 100000; ++i) {
    n = n * 10 + (item[i] - '0');
  }
  return n;
}

}  // namespace

// BORDER n, range: a single line on the edges that n chooses, 0 inside the range, 1 around it,
// 2 on every edge; 3 clears the borders. Another n changes nothing.
void DoBorder(MacroCall& call) {
  const int n = call.Integer(0);
  CellRange range;
  if (call.failed || !call.Range(1, &range)) return;
  if (!RangeIsValid(range)) return call.SyntaxError();
  if (n < 0 || n > 3) return;
  CellProperties p;
  p.groups = kPropertyBorder;
  p.borderLine = BorderLine::kSingle;
  const BorderEdges kEdges[] = {BorderEdges::kIn, BorderEdges::kOut, BorderEdges::kAll,
                                BorderEdges::kClear};
  p.borderEdges = kEdges[n];
  MacroApplyCellProperties(range, p);
}

// GENCOLOR feature, colour, shade, mode: the feature's word becomes colour x 2^24 + shade with
// bits 30 and 31 from the mode (1 ignore foreground, 2 ignore background, 3 both).
void DoGenColour(MacroCall& call) {
  const int feature = call.Integer(0);
  const int colour = call.Integer(1);
  const int shade = call.Integer(2);
  const int mode = call.Integer(3);
  if (call.failed || feature < 0 || feature >= GlobalOptions::kColourFeatureCount) return;
  uint32_t word = (uint32_t(colour) << 24) + uint32_t(shade);
  word &= ~(kIgnoreForeground | kIgnoreBackground);
  if (mode == 1 || mode == 3) word |= kIgnoreForeground;
  if (mode == 2 || mode == 3) word |= kIgnoreBackground;
  MacroSetColourFeature(feature, word);
}

// GENADV text: one separator or currency setting, chosen by the text's first letter.
void DoGenAdvanced(MacroCall& call) {
  std::string text;
  if (!call.Text(0, &text) || text.size() < 2) return;
  NumberSettings& n = NumberFormatSettings();
  switch (UpperCaseChar(text[0])) {
    case 'A': n.argumentSeparator = text[1]; break;
    case 'D': n.decimalSeparator = text[1]; break;
    case 'T': n.thousandsSeparator = text[1]; break;
    case 'C':
      if (UpperCaseChar(text[1]) == 'P') n.currencySymbol = text.substr(2, 2);
      if (UpperCaseChar(text[1]) == 'S') n.currencyPlacement = text.substr(2, 2);
      break;
    default: break;
  }
  if (n.decimalSeparator == ',' && n.argumentSeparator == ',') n.argumentSeparator = ';';
}

// GENFONT "name,size,styles,global": the worksheet window's default typeface. An empty name or
// a size of 0 keeps that part; the style letters B, I and U make it bold, italic, underlined;
// a last number other than 0 also makes the typeface the default of new worksheets.
void DoGenFont(MacroCall& call) {
  std::string text;
  if (!call.Text(0, &text)) return;
  std::vector<std::string> fields = SplitAtSeparator(text);
  fields.resize(std::max<size_t>(fields.size(), 4));
  for (std::string& f : fields) f = f.substr(0, kMaxGenFontField);
  GeneralSettings s = ReadGeneralSettings();
  if (!fields[0].empty()) s.fontName = fields[0];
  const int size = std::atoi(fields[1].c_str());
  if (size > 0) s.fontSize = std::min(size, 127);
  s.fontStyle = 0;
  for (char c : fields[2]) {
    switch (UpperCaseChar(c)) {
      case 'B': s.fontStyle |= 1; break;
      case 'I': s.fontStyle |= 2; break;
      case 'U': s.fontStyle |= 4; break;
      default: break;
    }
  }
  if (std::atoi(fields[3].c_str()) != 0) {
    ApplyGeneralSettingsGlobally(s);
  } else {
    MacroApplyGeneralSettings(s);
  }
}

// GENOPTION "item,item,...": sheet and program switches, each a letter followed by Y or N or by
// a number (see the README's macro list). All items apply as one change.
void DoGenOption(MacroCall& call) {
  std::string text;
  if (!call.Text(0, &text)) return;
  GeneralSettings s = ReadGeneralSettings();
  for (const std::string& item : SplitAtSeparator(text)) {
    if (item.empty()) continue;
    const bool yes = item.size() > 1 && UpperCaseChar(item[1]) == 'Y';
    switch (UpperCaseChar(item[0])) {
      case '3': s.raisedBorders = yes; break;
      case 'A': s.autoRecalc = yes; break;
      case 'B': s.banding = yes; break;
      case 'N': s.colourNegatives = yes; break;
      case 'Z': s.showZeros = yes; break;
      case 'P':
        // Switching protection off needs the password, which a macro cannot give.
        if (!yes && s.protection && HasPassword()) {
          ThePlatform().Beep();
        } else {
          s.protection = yes;
        }
        break;
      case 'H': s.rowLines = yes; break;
      case 'V': s.columnLines = yes; break;
      case 'S': s.solidLines = !yes; break;  // bit 2 of the grid-line flags: dotted lines
      case 'I': s.winControlKeys = yes; break;
      case 'U': s.usDates = yes; break;
      case 'C': s.labelPrefix = '^'; break;
      case 'L': s.labelPrefix = '\''; break;
      case 'R': s.labelPrefix = '"'; break;
      case 'D': {
        const int n = ItemNumber(item);
        if (n < 8) s.pages = 1 << std::min(n, 6);  // 64 pages at most
        break;
      }
      case 'O': s.columnWidth = std::min(ItemNumber(item), 254); break;
      case 'W': s.rowHeight = std::min(ItemNumber(item), 254); break;
      default: break;
    }
  }
  MacroApplyGeneralSettings(s);
}
