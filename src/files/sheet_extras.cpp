// files/sheet_extras.cpp — storage of the per-worksheet file settings of later layers.
//
// State: one SheetExtras per open-worksheet entry, indexed like the table (entry 0 doubles as the
// scratch set used when no worksheet is current).
#include "files/sheet_extras.h"

namespace {

struct ExtrasState {
  std::array<SheetExtras, kWorksheetSlots> sheets;
};

ExtrasState& TheExtrasState() {
  static ExtrasState state;
  return state;
}

}  // namespace

SheetExtras& ExtrasOf(SlotIndex index) {
  if (index < 0 || index >= kWorksheetSlots) index = 0;
  SheetExtras& extras = TheExtrasState().sheets[index];
  const uint16_t heap = index == 0 ? 0 : Worksheet(index).heap;
  if (extras.heap != heap) {
    extras = SheetExtras{};
    extras.heap = heap;
  }
  return extras;
}

SheetExtras& CurrentExtras() { return ExtrasOf(CurrentWorksheet()); }

void ResetExtras(SlotIndex index) {
  SheetExtras& extras = ExtrasOf(index);
  const uint16_t heap = extras.heap;
  extras = SheetExtras{};
  extras.heap = heap;
}

void ResetAllExtras() {
  for (SheetExtras& e : TheExtrasState().sheets) e = SheetExtras{};
}
