// commands/sheet_settings.cpp — reading and applying the general settings.
//
// Reads and writes: the current worksheet's options, layout and window font; DefaultOptions and
// the new-sheet layout; the number settings; ProgramSettings; the Undo and backup switches.
#include "commands/sheet_settings.h"

#include <algorithm>

#include "core/cell_store.h"
#include "core/number_settings.h"
#include "core/sheet_extras.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/settings.h"
#include "files/worksheet_file.h"

namespace {

constexpr size_t kMaxFontName = 40;
constexpr uint8_t kRowLines = 0x01;
constexpr uint8_t kColumnLines = 0x02;
constexpr uint8_t kDottedLines = 0x04;
constexpr uint16_t kFontStyleBits = 0x07;

int PagesOfSize(uint16_t pageSize) {
  if (pageSize == 0 || pageSize > kRowCount) return 1;
  return kRowCount / pageSize;
}

// The page count brought to a power of two in 1..64.
int ValidPages(int pages) {
  int valid = 1;
  while (valid * 2 <= std::clamp(pages, 1, 64)) valid *= 2;
  return valid;
}

char ValidPrefix(char prefix) { return prefix == '^' || prefix == '"' ? prefix : '\''; }

// The worksheet part of `s` written into an options record.
void WriteSheetOptions(const GeneralSettings& s, GlobalOptions& o) {
  o.setGlobalFormat(uint8_t(s.globalFormat & 0x7F));
  o.setZeroSuppressed(!s.showZeros);
  o.setColourNegatives(s.colourNegatives);
  o.setBanding(s.banding);
  o.setManualRecalc(!s.autoRecalc);
  o.setRaisedBorders(s.raisedBorders);
  for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) o.setColourFeature(i, s.colours[i]);
  o.setPageSize(uint16_t(kRowCount / ValidPages(s.pages)));
  o.setLabelPrefix(uint8_t(ValidPrefix(s.labelPrefix)));
  o.setGridLines(uint8_t((s.rowLines ? kRowLines : 0) | (s.columnLines ? kColumnLines : 0) |
                         (s.solidLines ? 0 : kDottedLines)));
}

void ApplyProgramSettings(const GeneralSettings& s) {
  ProgramSettings& p = Settings();
  p.autoexec = s.autoexec;
  p.macroLibrary = s.macroLibrary;
  p.wallpaper = s.wallpaper;
  p.historySize = std::clamp(s.historySize, 0, kMaxHistory);
  if (s.clearHistory) p.history.clear();
  while (int(p.history.size()) > p.historySize) p.history.erase(p.history.begin());
  p.winControlKeys = s.winControlKeys;
  p.preOpen = s.preOpen;
  p.printGridBlack = s.printGridBlack;
  NumberSettings& n = NumberFormatSettings();
  const std::string symbol = s.currency.substr(0, 2);
  if (s.currencySuffix) {
    n.currencySymbol.clear();
    n.currencyPlacement = symbol;
  } else {
    n.currencySymbol = symbol;
    n.currencyPlacement = " ";
  }
  if (s.decimalSeparator) n.decimalSeparator = s.decimalSeparator;
  if (s.thousandsSeparator) n.thousandsSeparator = s.thousandsSeparator;
  if (s.argumentSeparator) n.argumentSeparator = s.argumentSeparator;
  if (n.decimalSeparator == ',' && n.argumentSeparator == ',') n.argumentSeparator = ';';
  n.usDateOrder = s.usDates;
  SetWorksheetBackups(s.backups);
  if (UndoEnabled() != s.undo) SetUndoEnabled(s.undo);
}

void NoteWindowFont() {
  NoteSheetState(&CurrentExtras().font, sizeof(WindowFont), [] {
    const WindowFont before = CurrentExtras().font;
    return UndoRestore([before] { CurrentExtras().font = before; });
  });
}

void NoteLayoutDefaults() {
  NoteSheetState(&CurrentLayout().defaultWidth, 2 * sizeof(uint16_t), [] {
    const uint16_t width = CurrentLayout().defaultWidth;
    const uint16_t height = CurrentLayout().defaultHeight;
    return UndoRestore([width, height] {
      CurrentLayout().defaultWidth = width;
      CurrentLayout().defaultHeight = height;
    });
  });
}

// A new default size; the columns (rows) that had the old one follow.
template <size_t N>
void ChangeDefaultSize(uint16_t& fallback, std::array<uint16_t, N>& sizes, uint16_t pixels,
                       void (*note)(uint32_t)) {
  const uint16_t old = fallback;
  if (old == pixels) return;
  fallback = pixels;
  for (size_t i = 0; i < N; ++i) {
    if (sizes[i] != old) continue;
    note(uint32_t(i));
    sizes[i] = pixels;
  }
}

}  // namespace

std::array<uint32_t, GlobalOptions::kColourFeatureCount> DefaultColourFeatures() {
  return {0x42FFFFFF, 0x41FFFFFF, 0x4CFFFFFF, 0x07800000, 0x0FFF0000, 0x00E0FFFF, 0x00FFFFFF};
}

GeneralSettings ReadGeneralSettings() {
  GeneralSettings s;
  const bool sheet = CurrentWorksheet() != 0;
  const GlobalOptions& o = sheet ? Options() : DefaultOptions();
  s.globalFormat = uint8_t(o.globalFormat() & 0x7F);
  s.showZeros = !o.zeroSuppressed();
  s.colourNegatives = o.colourNegatives();
  s.banding = o.banding();
  s.autoRecalc = !o.manualRecalc();
  s.raisedBorders = o.raisedBorders();
  for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) s.colours[i] = o.colourFeature(i);
  s.pages = PagesOfSize(o.pageSize());
  s.labelPrefix = ValidPrefix(char(o.labelPrefix()));
  s.protection = o.protection();
  const uint8_t lines = o.gridLines();
  s.rowLines = lines & kRowLines;
  s.columnLines = lines & kColumnLines;
  s.solidLines = !(lines & kDottedLines);

  const ProgramSettings& p = Settings();
  s.fontName = p.fontName;
  s.fontSize = p.fontSize;
  if (sheet) {
    const WindowFont& font = CurrentExtras().font;
    if (font.present && !font.name.empty()) s.fontName = font.name.substr(0, kMaxFontName);
    if (font.present && font.height >= 1 && font.height <= 127) s.fontSize = font.height;
    if (font.present) s.fontStyle = uint16_t(font.style & kFontStyleBits);
    s.columnWidth = CurrentLayout().defaultWidth;
    s.rowHeight = CurrentLayout().defaultHeight;
  } else {
    s.columnWidth = NewSheetLayoutDefaults().columnWidth;
    s.rowHeight = NewSheetLayoutDefaults().rowHeight;
  }
  s.autoexec = p.autoexec;
  s.macroLibrary = p.macroLibrary;
  s.wallpaper = p.wallpaper;
  s.historySize = p.historySize;
  s.winControlKeys = p.winControlKeys;
  s.preOpen = p.preOpen;
  s.printGridBlack = p.printGridBlack;
  const NumberSettings& n = NumberFormatSettings();
  s.currencySuffix = n.currencySymbol.empty() && n.currencyPlacement != " " &&
                     !n.currencyPlacement.empty();
  s.currency = s.currencySuffix ? n.currencyPlacement : n.currencySymbol;
  s.argumentSeparator = n.argumentSeparator;
  s.thousandsSeparator = n.thousandsSeparator;
  s.decimalSeparator = n.decimalSeparator;
  s.usDates = n.usDateOrder;
  s.backups = WorksheetBackups();
  s.undo = UndoEnabled();
  return s;
}

CommandResult ApplyGeneralSettings(const GeneralSettings& settings) {
  if (CurrentWorksheet() == 0) return CommandResult{CommandStatus::kFailed, {}};
  const bool wasManual = Options().manualRecalc();
  CommandSteps steps;
  steps.recalculate = wasManual && settings.autoRecalc;
  CommandResult result = RunCommand(steps, [&]() -> CommandResult {
    NoteOptions();
    GlobalOptions& o = Options();
    const bool protection = o.protection();
    WriteSheetOptions(settings, o);
    o.setProtection(protection);  // switched below, outside Undo
    StoreOptions(CurrentWorksheet());

    NoteWindowFont();
    WindowFont& font = CurrentExtras().font;
    font.present = true;
    font.name = settings.fontName.substr(0, kMaxFontName);
    font.height = uint16_t(std::clamp(settings.fontSize, 1, 127));
    font.style = uint16_t(settings.fontStyle & kFontStyleBits);

    NoteLayoutDefaults();
    SheetLayout& layout = CurrentLayout();
    ChangeDefaultSize(layout.defaultWidth, layout.columnWidth,
                      uint16_t(std::clamp(settings.columnWidth, 0, 254)), NoteColumnWidth);
    ChangeDefaultSize(layout.defaultHeight, layout.rowHeight,
                      uint16_t(std::clamp(settings.rowHeight, 0, 254)), NoteRowHeight);
    return CommandResult{};
  });
  if (!result.Done()) return result;
  if (Options().protection() != settings.protection) SetSheetProtection(settings.protection);
  // The Undo switch last: switching it off drops the journal the command above wrote.
  ApplyProgramSettings(settings);
  return result;
}

CommandResult ApplyGeneralSettingsGlobally(const GeneralSettings& settings) {
  CommandResult result = ApplyGeneralSettings(settings);
  if (!result.Done()) return result;
  GlobalOptions& defaults = DefaultOptions();
  WriteSheetOptions(settings, defaults);
  defaults.setProtection(settings.protection);
  NewSheetLayoutDefaults().columnWidth = uint16_t(std::clamp(settings.columnWidth, 0, 254));
  NewSheetLayoutDefaults().rowHeight = uint16_t(std::clamp(settings.rowHeight, 0, 254));
  ProgramSettings& p = Settings();
  p.fontName = settings.fontName.substr(0, kMaxFontName);
  p.fontSize = std::clamp(settings.fontSize, 1, 127);
  return result;
}

CommandResult SetColourFeature(int index, uint32_t word) {
  if (index < 0 || index >= GlobalOptions::kColourFeatureCount) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  return ChangeSheetOptions([&](GlobalOptions& o) { o.setColourFeature(index, word); });
}
