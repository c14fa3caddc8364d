// core/worksheets.cpp — the open-worksheet table and the swapping of the current sheet.
//
// Reads and writes: the table of 256 entries and its count (module state below), the
// current-sheet variables (sheet_state.h), the pool's current heap, DefaultOptions.
#include "core/worksheets.h"
#include "core/format.h"
#include "core/text_case.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "core/cell_store.h"
#include "core/engine_layers.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/names.h"

namespace {

// Where ParkCurrent keeps the current row table for a moment.
struct Parked {
  PoolHandle* rowTable = nullptr;
  SheetLayout* layout = nullptr;
  uint16_t heap = 0;
  uint16_t lastRow = 0;
  uint16_t lastColumn = 0;
};

struct WorksheetsState {
  std::array<WorksheetSlot, kWorksheetSlots> slots;
  int count = 0;  // highest entry ever used
  Parked parked;
  GlobalOptions defaults;
  bool defaultsReady = false;
};

WorksheetsState& TheWorksheetsState() {
  static WorksheetsState state;
  return state;
}

bool SameName(std::string_view a, std::string_view b) { return SameTextIgnoringCase(a, b); }

// The defaults of a new worksheet's options before any settings file has been read.
void FillBuiltInDefaults(GlobalOptions& o) {
  o = GlobalOptions{};
  o.setLabelPrefix('\'');
  o.setPageSize(8192);
  o.setGlobalFormat(kFormatGeneral);
  // Colour features in the settings dialog's order: label, value, negative, unlocked, cursor,
  // odd rows, background.
  const uint32_t kFeatures[GlobalOptions::kColourFeatureCount] = {
      0x42FFFFFF, 0x41FFFFFF, 0x4CFFFFFF, 0x07800000, 0x0FFF0000, 0x00E0FFFF, 0x00FFFFFF};
  for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) o.setColourFeature(i, kFeatures[i]);
  for (int i = 0; i < 6; ++i) o.setMargin(i, 0.5);
  o.setPrintScale(GlobalOptions::kDefaultPrintScale);
  o.setPrintMono(true);  // the settings file's defaults: mono, no frame, portrait
  o.setPrintFrame(false);
  o.setLandscape(false);
  for (int i = 0; i < GlobalOptions::kRangeCount; ++i) o.setRange(i, NoRange());
  for (int i = 0; i < GlobalOptions::kDataToolRangeCount; ++i) o.setDataToolRange(i, NoRange());
  o.setBanding(true);
  o.setRaisedBorders(true);
  o.setDistFlag(true);
  o.setGridLines(3);  // row and column lines, solid
}

void FreeSlot(WorksheetSlot& slot, SlotIndex index) {
  SheetState& cur = CurrentSheet();
  if (cur.rowTable == slot.rowTable.get()) {
    // The sheet being closed is the current one: nothing is current afterwards.
    cur.rowTable = nullptr;
    cur.layout = nullptr;
    cur.lastRow = cur.lastColumn = cur.firstRow = cur.firstColumn = 0;
    cur.nameCount = cur.graphCount = cur.functionCount = 0;
    cur.nameTable.fill(kNoBlock);
    cur.graphTable.fill(kNoBlock);
    cur.functionTable.fill(kNoBlock);
  }
  if (TheWorksheetsState().parked.rowTable == slot.rowTable.get()) TheWorksheetsState().parked = Parked{};
  ForgetUndoJournal(slot.rowTable.get());
  const uint16_t heap = slot.heap;
  slot.fileName.clear();
  slot.linkedOnly = slot.neverSaved = slot.readOnly = false;
  slot.extras = SheetExtras{};
  slot.rowTable.reset();
  slot.layout.reset();
  slot.extraWindows = 0;
  slot.heap = 0;
  slot.lastRow = slot.lastColumn = 0;
  slot.graphCount = slot.nameCount = slot.functionCount = 0;
  slot.graphTable.fill(kNoBlock);
  slot.nameTable.fill(kNoBlock);
  slot.functionTable.fill(kNoBlock);
  if (heap != 0) PoolReleaseHeap(heap);
  TheEngineLayers().WorksheetClosed(index);
}

// A new sheet's state in the current-sheet variables (the sheet's heap is current).
void ResetNewSheet() {
  SheetState& cur = CurrentSheet();
  ResetGraph(CurrentGraph());
  cur.graphTable.fill(kNoBlock);
  cur.graphTable[0] = PoolAlloc(kGraphSettingsSize);
  cur.graphCount = 0;
  InitNameTable();
  cur.functionTable.fill(kNoBlock);
  cur.functionCount = 0;
  cur.printSettings = {0, 80, 66, 2, 2, 0, 1};
  cur.options = DefaultOptions();
  cur.lastRow = cur.lastColumn = cur.firstRow = cur.firstColumn = 0;
  for (int i = 0; i < GlobalOptions::kRangeCount; ++i) cur.options.setRange(i, NoRange());
  for (int i = 0; i < GlobalOptions::kDataToolRangeCount; ++i) {
    cur.options.setDataToolRange(i, NoRange());
  }
  if (cur.layout) {
    cur.layout->defaultWidth = NewSheetLayoutDefaults().columnWidth;
    cur.layout->defaultHeight = NewSheetLayoutDefaults().rowHeight;
    cur.layout->Reset();
  }
}

}  // namespace

GlobalOptions& DefaultOptions() {
  WorksheetsState& s = TheWorksheetsState();
  if (!s.defaultsReady) {
    FillBuiltInDefaults(s.defaults);
    s.defaultsReady = true;
  }
  return s.defaults;
}

void ResetDefaultOptions() {
  WorksheetsState& s = TheWorksheetsState();
  FillBuiltInDefaults(s.defaults);
  s.defaultsReady = true;
  NewSheetLayoutDefaults() = NewSheetLayout{};
}

SlotIndex OpenWorksheetSlot(std::string_view fileName, bool* isNew, bool alwaysNew) {
  WorksheetsState& s = TheWorksheetsState();
  if (isNew) *isNew = false;
  if (SlotIndex existing = alwaysNew ? 0 : FindWorksheet(fileName)) {
    WorksheetSlot& slot = s.slots[existing];
    // A file loaded for external references only is taken over by its first window.
    if (slot.linkedOnly) {
      slot.linkedOnly = false;
    } else {
      ++slot.extraWindows;
    }
    return existing;
  }
  SlotIndex index = 0;
  for (int i = 1; i <= s.count; ++i) {
    if (!s.slots[i].InUse()) {
      index = i;
      break;
    }
  }
  if (index == 0) {
    if (s.count + 1 >= kWorksheetSlots) {
      ShowError("Too many worksheets open");
      return 0;
    }
    index = s.count + 1;
  }
  WorksheetSlot& slot = s.slots[index];
  slot.rowTable.reset(new (std::nothrow) PoolHandle[kRowTableSlots]());
  if (!slot.rowTable) return 0;
  slot.layout.reset(new (std::nothrow) SheetLayout());
  if (!slot.layout) {
    slot.rowTable.reset();
    return 0;
  }
  if (index > s.count) s.count = index;
  slot.extraWindows = 0;
  slot.heap = PoolNewHeap();
  slot.fileName = std::string(fileName.substr(0, 255));
  slot.lastRow = slot.lastColumn = 0;
  slot.graphCount = slot.nameCount = slot.functionCount = 0;
  if (isNew) *isNew = true;
  return index;
}

SlotIndex FindWorksheet(std::string_view fileName) {
  WorksheetsState& s = TheWorksheetsState();
  for (int i = 1; i <= s.count; ++i) {
    if (s.slots[i].InUse() && SameName(s.slots[i].fileName, fileName)) return i;
  }
  return 0;
}

void CloseWorksheet(uint16_t heap) {
  WorksheetsState& s = TheWorksheetsState();
  for (int i = 1; i <= s.count; ++i) {
    WorksheetSlot& slot = s.slots[i];
    if (!slot.InUse() || slot.heap != heap) continue;
    if (slot.extraWindows < 1) {
      FreeSlot(slot, i);
    } else {
      --slot.extraWindows;
    }
    return;
  }
}

void CloseAllWorksheets() {
  WorksheetsState& s = TheWorksheetsState();
  for (int i = 1; i <= s.count; ++i) {
    if (s.slots[i].InUse()) FreeSlot(s.slots[i], i);
  }
}

WorksheetSlot& Worksheet(SlotIndex index) {
  return TheWorksheetsState().slots[std::clamp(index, 0, kWorksheetSlots - 1)];
}

int WorksheetCount() { return TheWorksheetsState().count; }

SlotIndex CurrentWorksheet() {
  const PoolHandle* table = CurrentSheet().rowTable;
  if (!table) return 0;
  WorksheetsState& s = TheWorksheetsState();
  for (int i = 1; i <= s.count; ++i) {
    if (s.slots[i].rowTable.get() == table) return i;
  }
  return 0;
}

void SaveCurrentSheet() {
  SlotIndex index = CurrentWorksheet();
  if (index == 0) return;
  SheetState& cur = CurrentSheet();
  WorksheetSlot& slot = TheWorksheetsState().slots[index];
  slot.lastRow = cur.lastRow;
  slot.lastColumn = cur.lastColumn;
  slot.graphCount = cur.graphCount;
  slot.nameCount = cur.nameCount;
  slot.functionCount = cur.functionCount;
  if (cur.graphTable[0] != kNoBlock) {
    std::copy(cur.graphSettings.begin(), cur.graphSettings.end(), PoolPtr(cur.graphTable[0]));
  }
  slot.graphTable = cur.graphTable;
  slot.nameTable = cur.nameTable;
  slot.functionTable = cur.functionTable;
  slot.printSettings = cur.printSettings;
}

void LoadCurrentSheet() {
  SlotIndex index = CurrentWorksheet();
  if (index == 0) return;
  SheetState& cur = CurrentSheet();
  WorksheetSlot& slot = TheWorksheetsState().slots[index];
  cur.lastRow = slot.lastRow;
  cur.lastColumn = slot.lastColumn;
  cur.graphCount = slot.graphCount;
  cur.nameCount = slot.nameCount;
  cur.functionCount = slot.functionCount;
  cur.graphTable = slot.graphTable;
  cur.nameTable = slot.nameTable;
  cur.functionTable = slot.functionTable;
  cur.printSettings = slot.printSettings;
  cur.layout = slot.layout.get();
  if (cur.graphTable[0] != kNoBlock) {
    const uint8_t* block = PoolPtr(cur.graphTable[0]);
    std::copy(block, block + kGraphSettingsSize, cur.graphSettings.begin());
  }
}

void StoreOptions(SlotIndex index) {
  if (index <= 0 || index >= kWorksheetSlots) return;
  TheWorksheetsState().slots[index].options = CurrentSheet().options;
}

void LoadOptions(SlotIndex index) {
  if (index <= 0 || index >= kWorksheetSlots) return;
  CurrentSheet().options = TheWorksheetsState().slots[index].options;
}

void ParkCurrent() {
  SheetState& cur = CurrentSheet();
  TheWorksheetsState().parked = Parked{cur.rowTable, cur.layout, PoolCurrentHeap(), cur.lastRow, cur.lastColumn};
}

void UnparkCurrent() {
  SheetState& cur = CurrentSheet();
  const Parked& p = TheWorksheetsState().parked;
  cur.rowTable = p.rowTable;
  cur.layout = p.layout;
  PoolSetHeap(p.heap);
  cur.lastRow = p.lastRow;
  cur.lastColumn = p.lastColumn;
}

void ActivateWorksheet(SlotIndex index) {
  if (index <= 0 || index >= kWorksheetSlots) return;
  WorksheetSlot& slot = TheWorksheetsState().slots[index];
  if (!slot.InUse()) return;
  PoolSetHeap(slot.heap);
  SheetState& cur = CurrentSheet();
  if (cur.rowTable != slot.rowTable.get()) {
    // The options travel with their sheet: the modified flag and every option changed since the
    // last StoreOptions would otherwise be lost with the swap.
    StoreOptions(CurrentWorksheet());
    SaveCurrentSheet();
    cur.rowTable = slot.rowTable.get();
    LoadOptions(index);
    LoadCurrentSheet();
  }
}

SlotIndex CreateWorksheetWindow(std::string_view fileName, bool* isNew, bool alwaysNew) {
  SheetState& cur = CurrentSheet();
  const SlotIndex previous = CurrentWorksheet();
  const GlobalOptions keptOptions = cur.options;
  SaveCurrentSheet();

  bool fresh = false;
  const SlotIndex index = OpenWorksheetSlot(fileName, &fresh, alwaysNew);
  if (isNew) *isNew = fresh;
  if (index == 0) return 0;
  WorksheetSlot& slot = TheWorksheetsState().slots[index];
  if (fresh) {
    PoolSetHeap(slot.heap);
    cur.rowTable = slot.rowTable.get();
    cur.layout = slot.layout.get();
    ResetNewSheet();
    cur.options.setProtection(false);
    cur.options.setPassword("");
    StoreOptions(index);
    SaveCurrentSheet();
  }
  // The sheet that was current stays current until the new window is activated, which loads the
  // new sheet's options and state from its entry.
  if (previous != 0) {
    WorksheetSlot& prev = TheWorksheetsState().slots[previous];
    PoolSetHeap(prev.heap);
    cur.rowTable = prev.rowTable.get();
    cur.options = keptOptions;
    LoadCurrentSheet();
  } else {
    ActivateWorksheet(index);
  }
  return index;
}

void ResetWorksheets() {
  WorksheetsState& s = TheWorksheetsState();
  for (int i = 0; i < kWorksheetSlots; ++i) {
    WorksheetSlot& slot = s.slots[i];
    slot = WorksheetSlot{};
  }
  s.count = 0;
  s.parked = Parked{};
  s.defaultsReady = false;
  CurrentSheet() = SheetState{};
}
