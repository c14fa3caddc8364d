// core/sheet_extras.h — worksheet settings that travel in the file but belong to later layers.
//
// The window layout (kept here for the worksheet window to apply after a load and to fill before
// a save), the default font, page-tab captions, macro buttons, sort orders and the raw sort
// records are kept with each open worksheet's entry (WorksheetSlot::extras), so that a load
// followed by a save gives them back. They are made and freed with the entry.
// State: the `extras` of the entries of the open-worksheet table (core/worksheets.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>


// Index of an entry of the open-worksheet table (core/worksheets.h); 0 means none.
using SlotIndex = int;

// The window layout of extension record 0x78 (and of the WK1 SPLIT, SYNC and WINDOW1 records).
struct WindowLayout {
  struct Pane {
    uint16_t leftColumn = 0;
    uint16_t topRow = 0;
    uint16_t cursorColumn = 0;
    uint16_t cursorRow = 0;
  };
  bool present = false;         // a layout was read from the file (the window applies it)
  uint16_t pages = 1;           // number of pages of the worksheet; 0 leaves the division alone
  uint8_t horizontalSplit = 0;  // flags
  uint8_t verticalSplit = 0;
  uint8_t synchronised = 0;
  uint8_t activePane = 0;  // 0 the first pane, 1 the second
  Pane first;
  uint16_t firstHeight = 0;  // pixels
  uint16_t firstWidth = 0;
  Pane second;
  bool hasTitles = false;  // the 8 optional bytes were present
  uint16_t titleFirstColumn = 0;
  uint16_t titleLastColumn = 0;
  uint16_t titleFirstRow = 0;
  uint16_t titleLastRow = 0;
  uint16_t defaultColumnChars = 0;  // WINDOW1's default column width, characters (0: none read)
};

// The default font of the worksheet window (extension record 0x76).
struct WindowFont {
  bool present = false;
  uint16_t height = 0;  // platform font height units
  uint16_t style = 0;   // low byte: bit 0 bold, 1 italic, 2 underline, 3 strike-out
  std::string name;     // at most 80 characters
};

struct SheetExtras {
  WindowLayout layout;
  WindowFont font;
  std::vector<std::string> tabCaptions;              // empty: the default captions
  std::vector<std::vector<uint8_t>> macroButtons;    // stored descriptions, record 0x50
  std::array<uint8_t, 2> windowRecord{};             // extension record 0x07
  std::array<uint8_t, 4> sortOrder{0, 0, 0, 0};      // order byte of each sort key
  std::vector<uint8_t> sortSettings;                 // record 0x67 as read
  std::vector<uint8_t> sortSettings3;                // record 0x84 as read
  std::vector<uint8_t> sortRanges3;                  // record 0x85 as read
  uint8_t tableType = 0;                             // byte of the TABLE record
  uint8_t queryType = 0;                             // byte of the QRANGE record
  uint8_t reservedSetting = 0;                       // small setting of the reserved "G!" name
  bool headerApostrophe = false;                     // header / footer carried a leading "'"
  bool footerApostrophe = false;
};

// The extras of the current worksheet (a scratch set when no worksheet is current).
SheetExtras& CurrentExtras();
// The extras of entry `index` of the open-worksheet table; a scratch set for 0 and for an entry
// not in use.
SheetExtras& ExtrasOf(SlotIndex index);
// Back to defaults for one entry / for every entry (tests, start-up).
void ResetExtras(SlotIndex index);
void ResetAllExtras();
