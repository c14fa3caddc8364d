// commands/worksheet_files.h — opening and creating worksheets, shared by both programs.
//
// `OpenWorksheetFile` and `NewWorksheet` make a worksheet entry and say what came of it, so that
// the desktop program and the batch tool open files the same way and neither has to look at
// cells to learn whether a load read anything. The never-saved and read-only flags live with the
// entry (core/worksheets.h).
// Reads and writes: the open-worksheet table, the current sheet, the file being read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/worksheets.h"

enum class OpenStatus : uint8_t {
  kLoaded,       // the whole file was read
  kDamaged,      // reading stopped on an error (the loader's message has been shown); what was
                 // read is kept and the entry is read-only, so that Save asks for a new name.
                 // When nothing at all was read the entry is closed again (slot 0) and the
                 // sheet current before stays current: no empty sheet a Save could write over
                 // the file with
  kAlreadyOpen,  // a window shows that file already: its entry is given, nothing is read
  kMissing,      // no such file (nothing reported: the caller says it its own way)
  kNoRoom,       // no entry could be had (the table is full or memory exhausted)
};

struct OpenedWorksheet {
  SlotIndex slot = 0;            // the entry, 0 for kMissing and kNoRoom
  OpenStatus status = OpenStatus::kMissing;
  bool anythingRead = false;     // for kDamaged: whether any cell or extent was read
  std::string fileName;          // the name as completed (".wks" added when it had no ".")
};

// Opens the worksheet file `path`, completed by WorksheetFileName, in a new entry that becomes
// the current sheet, loads and recalculates it. A file that external references had loaded
// already is taken over (and recalculated) instead of read again.
OpenedWorksheet OpenWorksheetFile(std::string_view path);

// Saves entry `slot` as `path` (taken as given: the caller completes and checks it). On success
// the entry takes that name and is neither never-saved nor read-only any more. The current sheet
// is the same afterwards. Gives false when the file could not be written (the saver has said
// why) or the slot is not in use.
bool SaveWorksheetFile(SlotIndex slot, std::string_view path);

// A new empty worksheet named `name` (such as "SHEET2.WKS"), an entry of its own even when an
// open sheet has that name, marked never saved; it becomes current. Gives 0 when no entry could
// be had.
SlotIndex NewWorksheet(std::string_view name);
