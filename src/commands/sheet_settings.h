// commands/sheet_settings.h — the general settings of a worksheet and of the program, as the
// general settings dialog and the macro commands GENFORMAT, GENOPTION, GENCOLOR, GENADV and
// GENFONT edit them.
//
// GeneralSettings gathers what the dialog's ten pages show: worksheet options (format, flags,
// colour scheme, default sizes, pages, label prefix, protection, grid lines, the window's
// typeface) and program settings (files, history, separators, currency, switches). Applying them
// changes the current worksheet as one command (one undo group) and the program settings at
// once; applying them globally also makes them the defaults of new worksheets, which the
// settings file carries at exit. Nothing else of the sheet's options (document information,
// print texts, stored ranges, the password) goes into the defaults.
// Reads and writes: the current worksheet's options, layout defaults and window font; the
// DefaultOptions template and the new-sheet layout (core/worksheets.h, core/sheet_layout.h); the
// number settings; ProgramSettings (files/settings.h); the Undo and backup switches.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "commands/commands.h"
#include "core/global_options.h"

struct GeneralSettings {
  // Format page.
  uint8_t globalFormat = 0x71;
  // Options page.
  bool showZeros = true;
  bool colourNegatives = false;
  bool banding = true;
  bool autoRecalc = true;
  bool raisedBorders = true;
  // Typeface page: the worksheet window's default font.
  std::string fontName = "Arial";  // at most 40 characters
  int fontSize = 12;               // points, 1..127
  uint16_t fontStyle = 0;          // bit 0 bold, 1 italic, 2 underline
  // Colour page: the seven colour features, in the order of GlobalOptions::ColourFeature.
  std::array<uint32_t, GlobalOptions::kColourFeatureCount> colours{};
  // Files page.
  std::string autoexec;
  std::string macroLibrary;
  std::string wallpaper;
  int historySize = 5;  // 0..10
  bool clearHistory = false;
  // Advanced page. With `currencySuffix` the symbol follows the number instead of leading it.
  std::string currency = "$";  // at most 2 characters
  bool currencySuffix = false;
  char argumentSeparator = ',';
  char thousandsSeparator = ',';
  char decimalSeparator = '.';
  bool winControlKeys = true;
  bool usDates = true;
  bool preOpen = true;
  bool backups = true;
  bool undo = true;
  // Size page: default row height and column width in pixels (0..254), pages 1..64.
  int rowHeight = 15;
  int columnWidth = 64;
  int pages = 1;
  // Label page: the default label prefix ("'", "^" or "\"").
  char labelPrefix = '\'';
  // Protection page.
  bool protection = false;
  // Grid page.
  bool solidLines = true;
  bool printGridBlack = false;
  bool rowLines = true;
  bool columnLines = true;
};

// The default words of the seven colour features ("Set to &Defaults").
std::array<uint32_t, GlobalOptions::kColourFeatureCount> DefaultColourFeatures();

// The settings in force: the current worksheet's (or, without one, the defaults of new sheets)
// and the program's.
GeneralSettings ReadGeneralSettings();

// Applies `settings`: the worksheet part to the current worksheet as one undoable command (the
// columns and rows of the old default size keep following the default), the program part at
// once. Protection is switched as SetSheetProtection does (a caller switching it off must have
// asked for the password). Values out of range are brought into range. kFailed without a
// current worksheet.
CommandResult ApplyGeneralSettings(const GeneralSettings& settings);

// ApplyGeneralSettings, then the worksheet part also becomes the defaults of new worksheets
// (DefaultOptions, the new-sheet column width and row height, the default typeface), which the
// settings file carries at exit. The password and the sheet's document information, print texts
// and stored ranges do not go into the defaults.
CommandResult ApplyGeneralSettingsGlobally(const GeneralSettings& settings);

// One colour feature of the current worksheet (index 0..6), undoable; another index: kFailed,
// nothing changes.
CommandResult SetColourFeature(int index, uint32_t word);
