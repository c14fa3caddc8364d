// files/settings.h — the settings file: user preferences and the defaults of new worksheets.
//
// The settings file is a text file of "KEY=value" lines under section headers, read once at
// start-up and written once at exit. Its 65 keys land in four places:
//   - DefaultOptions (core/worksheets.h), the template of new worksheets' options: protection,
//     colour negatives, zero suppression, banding, manual recalculation, raised borders, the
//     stored-only flag, the label prefix, the seven colour features, the global format, the
//     grid-line flags, the page size and the six print margins;
//   - the number settings (core/number_settings.h): currency texts, the three separators and the
//     date order; the Undo switch (core/cell_store.h); the worksheet backup switch
//     (files/worksheet_file.h); the column width and row height of new sheets
//     (core/sheet_layout.h);
//   - ProgramSettings below: everything the windows, bars, dialogs and printing read.
// Readings of hostile values stay inside each field's range: an integer outside it leaves the
// setting as it was (history size 0..10, global format 0..127, grid-line flags 0..7, page size
// 0 or 8192/1..64, font size 1..255, default column width 0..2032 and row height 0..254 pixels).
// State: ProgramSettings (settings.cpp) and the places above.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kSettingKeyCount = 67;
constexpr int kMaxHistory = 10;
constexpr int kWindowPlacementFields = 11;
constexpr size_t kMaxFormatList = 255;
// A line of the file keeps at most this many characters: a 16-character key and a text of 255.
constexpr size_t kMaxSettingsLine = 271;

// The name of setting key `number` (1..65), "=" included; empty for any other number.
std::string_view SettingKeyName(int number);
// The number of `key` ("ZERO=": exact, case-sensitive, "=" included), or 0.
int SettingKeyNumber(std::string_view key);

struct ProgramSettings {
  std::string saveDirectory;  // SAVE=: directory of the last save
  std::string loadDirectory;  // LOAD=: directory of the last open
  // FORM=: the main window's placement, 11 integers (record length, flags, show command,
  // minimised x and y, maximised x and y, normal left, top, right, bottom).
  bool hasWindowPlacement = false;
  std::array<int32_t, kWindowPlacementFields> windowPlacement{};
  std::string wallpaper;                // WALLPPR=: bitmap drawn behind the worksheet windows
  std::vector<std::string> formatList;  // FORMAT=: "code,caption" entries of the format box
  bool tips = true;                     // TIPS=: show the tips dialog
  bool quickBar = true;                 // QBAR=
  bool macroBar = true;                 // MBAR=
  bool statusBar = true;                // SBAR=
  // MDIMAX=: read, new worksheet windows open maximised; the windows set it when one is resized,
  // so the value written says whether the last resized one was maximised.
  bool maximized = false;
  bool winControlKeys = true;        // WINCTRL=: the "W&in Control Keys" option
  bool preOpen = true;               // PREOPEN=: the "Pre&Open Sheet" option
  bool ocfds = false;                // OCFDS=: stored and restored only
  bool printGridBlack = false;       // PBGRID=: print grid lines in black
  uint32_t gridColour = 0x00C0C0C0;  // GRIDCLR=
  std::string autoexec;              // AUTOEXEC=: worksheet opened at start
  std::string macroLibrary;          // TOOLMAC=: macro library of the macro button bar
  int historySize = 5;               // HSIZE=: 0..10
  std::vector<std::string> history;  // HIST=: recent files, oldest first, at most 10
  int zoom = 100;                    // SCALE=: written with the zoom in force, never read
  std::string fontName = "Arial";    // GFONT=: at most 40 characters
  int fontSize = 12;                 // GSIZE=
  int preload = 1;                   // PRELOAD=: stored and restored only
  bool printMono = true;             // PMONO=: "&Mono ( Disables Shades )"
  bool printFrame = false;           // PFRAME=: "Fr&ame ( Show Margin )"
  // PORIENT=: 1 landscape, 0 portrait, as read. The printing module applies it when a printer is
  // installed and, before the settings are saved, sets it from the printer (0 without one).
  int printOrientation = 0;
};

// The program settings in force.
ProgramSettings& Settings();

// Every setting in every place back to its default; the directories and file names default to
// the program directory (files/program_files.h) in force.
void ResetSettings();

// The entries of the format box when the settings file gives none.
std::vector<std::string> DefaultFormatList();

// Reads settings lines over the settings in force (keys not present keep their values).
// Malformed lines and values are accepted silently as documented above. Afterwards the format
// list is the file's FORMAT= entries, or the default list when it has none, and an argument
// separator that equals a "," decimal separator becomes ";".
void ReadSettingsText(std::string_view text);
// The same from a file; false, with every setting left alone, when it cannot be opened.
bool ReadSettingsFile(const std::string& path);
// Start-up: the save and load directories become the program directory, then the settings file
// is read (files/program_files.h says where), then the default format list is filled in if empty.
void LoadSettings();

// The settings in force in the file's own format (the file begins with an empty line).
std::string SettingsText();
// Writes the settings file at `path`. The text goes to a temporary file first; only when it is
// complete is an existing file renamed to its backup (replacing an older backup) and the new
// file renamed into place. Gives false on any failure, leaving the previous file in place.
bool WriteSettingsFile(const std::string& path);
// Exit: writes the settings file where files/program_files.h says; failures are silent.
void SaveSettings();

// Puts `entry` (a file name) at the end of the recent-file history, removing equal entries; the
// list keeps at most min(HSIZE, 10) entries as it grows and never more than 10. Empty: ignored.
void AddToHistory(std::string_view entry);

// How the main window is to be shown from its saved placement.
enum class WindowShow : uint8_t { kNormal, kMinimized, kMaximized };
struct WindowPlacementToApply {
  // The saved integers with the record length made right and the normal rectangle repaired.
  std::array<int32_t, kWindowPlacementFields> fields{};
  WindowShow show = WindowShow::kNormal;
};
// The placement to apply when the main window is first shown; false when FORM= was empty. An
// inverted normal rectangle gets a width or height of 100; show command 2, 6 or 7 minimises and
// 3 maximises.
bool PlacementToApply(WindowPlacementToApply* out);
