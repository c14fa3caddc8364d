// core/worksheets.h — the table of open worksheets and the swapping of the current sheet.
//
// Entries 1..255 hold open worksheets (entry 0 parks the current row table for a moment). A
// worksheet lives from its opening until its last window closes; two windows on one file share
// one entry. Activating a window swaps the current-sheet variables with its entry.
// State: the table and its count; the current-sheet variables (core/sheet_state.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/global_options.h"
#include "core/pool.h"
#include "core/sheet_extras.h"
#include "core/sheet_layout.h"
#include "core/sheet_state.h"

constexpr int kWorksheetSlots = 256;  // entry 0 is scratch

struct WorksheetSlot {
  uint16_t extraWindows = 0;
  GlobalOptions options;
  uint16_t heap = 0;
  uint16_t lastRow = 0;
  uint16_t lastColumn = 0;
  std::unique_ptr<PoolHandle[]> rowTable;  // 8198 slots; null when the entry is free
  std::unique_ptr<SheetLayout> layout;
  uint8_t graphCount = 0;
  uint8_t nameCount = 0;
  uint8_t functionCount = 0;
  std::array<PoolHandle, 256> graphTable{};
  std::array<PoolHandle, 256> nameTable{};
  std::array<PoolHandle, 255> functionTable{};
  std::array<int16_t, 7> printSettings{0, 80, 66, 2, 2, 0, 1};
  std::string fileName;  // full name as given (compared case-insensitively); empty when free
  bool linkedOnly = false;  // loaded for external references only; no window shows it
  bool neverSaved = false;  // a new sheet that has no file yet (Save asks for a name)
  bool readOnly = false;    // the file could only be opened for reading
  SheetExtras extras;       // file settings of later layers (window layout, tab captions, ...)

  bool InUse() const { return rowTable != nullptr; }
};

// Index of an entry; 0 means none.
using SlotIndex = int;

// A worksheet window as the engine sees it: the entry it shows.
struct WindowSheet {
  SlotIndex slot = 0;
};

// Gives the entry for `fileName` and whether it is new. An entry with the same name (ignoring
// case) gets one more extra window, unless `alwaysNew` asks for an entry of its own (a new sheet
// whose made-up name may repeat an open one's). An entry loaded for external references only
// (`linkedOnly`) is taken over by the window instead. Gives 0 and reports "Too many worksheets
// open" when all 255 entries are in use, or 0 when the row table cannot be had.
SlotIndex OpenWorksheetSlot(std::string_view fileName, bool* isNew, bool alwaysNew = false);
// The entry in use with that name (ignoring case), or 0.
SlotIndex FindWorksheet(std::string_view fileName);
// Frees the entry of `heap` when it has no extra window, else decrements the count.
void CloseWorksheet(uint16_t heap);
void CloseAllWorksheets();
WorksheetSlot& Worksheet(SlotIndex index);
// Highest entry ever used.
int WorksheetCount();
// The entry whose row table is current, or 0.
SlotIndex CurrentWorksheet();

void SaveCurrentSheet();
void LoadCurrentSheet();
void StoreOptions(SlotIndex index);
void LoadOptions(SlotIndex index);
void ParkCurrent();
void UnparkCurrent();

// Makes the worksheet of entry `index` current (window activation).
void ActivateWorksheet(SlotIndex index);
// Creates or opens the entry for a new window on `fileName` and initialises a new sheet from
// DefaultOptions. The sheet that was current stays current (activating the new window swaps it
// in); when no sheet was current the new one is activated at once. Gives the entry, or 0.
SlotIndex CreateWorksheetWindow(std::string_view fileName, bool* isNew = nullptr,
                                bool alwaysNew = false);

// The template of new sheets' options (filled from the settings file).
GlobalOptions& DefaultOptions();
// Puts DefaultOptions and the new-sheet column width and row height back to their built-in
// defaults (before a settings file is read; tests).
void ResetDefaultOptions();

// Resets the whole table and the current sheet (start-up and tests). Does not reset the pool.
void ResetWorksheets();
