// commands/worksheet_files.cpp — opening and creating worksheets.
//
// Reads and writes: the open-worksheet table and its entries' flags, the current sheet.
#include "commands/worksheet_files.h"

#include <sys/stat.h>

#include "core/cell_store.h"
#include "core/sheet_scope.h"
#include "files/worksheet_file.h"
#include "formula/recalc.h"
#include "platform/platform.h"

namespace {

bool IsRegularFile(const std::string& name) {
  struct stat info;
  return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

OpenedWorksheet OpenWorksheetFile(std::string_view path) {
  OpenedWorksheet opened;
  opened.fileName = WorksheetFileName(path);
  if (const SlotIndex open = FindWorksheet(opened.fileName)) {
    const bool linkedOnly = Worksheet(open).linkedOnly;
    if (!linkedOnly) {
      opened.slot = open;
      opened.status = OpenStatus::kAlreadyOpen;
      return opened;
    }
    // Loaded for external references with the values the file carries: a window takes it over.
    opened.slot = CreateWorksheetWindow(opened.fileName);
    ActivateWorksheet(opened.slot);
    RecalculateAll();
    opened.status = OpenStatus::kLoaded;
    opened.anythingRead = true;
    return opened;
  }
  if (!IsRegularFile(opened.fileName)) return opened;
  const SlotIndex previous = CurrentWorksheet();
  bool isNew = false;
  opened.slot = CreateWorksheetWindow(opened.fileName, &isNew, /*alwaysNew=*/true);
  if (opened.slot == 0) {
    opened.status = OpenStatus::kNoRoom;
    return opened;
  }
  ActivateWorksheet(opened.slot);
  const bool loaded = LoadWorksheet(opened.fileName);
  ThePlatform().Progress(-1);
  opened.anythingRead = FindCellAtOrAfter(FirstRow(), 0) != 0 || LastRow() > 0 || LastColumn() > 0;
  if (loaded) {
    opened.status = OpenStatus::kLoaded;
    opened.anythingRead = true;
  } else if (opened.anythingRead) {
    opened.status = OpenStatus::kDamaged;
    Worksheet(opened.slot).readOnly = true;
  } else {
    opened.status = OpenStatus::kDamaged;
    CloseWorksheet(Worksheet(opened.slot).heap);
    opened.slot = 0;
    if (previous) ActivateWorksheet(previous);
  }
  return opened;
}

bool SaveWorksheetFile(SlotIndex slot, std::string_view path) {
  if (slot <= 0 || !Worksheet(slot).InUse()) return false;
  bool ok;
  {
    SheetScope scope(slot);
    ok = SaveWorksheet(path);
  }
  ThePlatform().Progress(-1);
  if (!ok) return false;
  WorksheetSlot& entry = Worksheet(slot);
  entry.fileName = std::string(path);
  entry.neverSaved = false;
  entry.readOnly = false;
  return true;
}

SlotIndex NewWorksheet(std::string_view name) {
  const SlotIndex slot = CreateWorksheetWindow(name, nullptr, /*alwaysNew=*/true);
  if (slot == 0) return 0;
  Worksheet(slot).neverSaved = true;
  ActivateWorksheet(slot);
  return slot;
}
