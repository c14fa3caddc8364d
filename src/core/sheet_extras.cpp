// core/sheet_extras.cpp — access to the file settings of later layers kept with each entry.
//
// State: the `extras` of the open-worksheet entries (entry 0 doubles as the scratch set used when
// no worksheet is current).
#include "core/sheet_extras.h"

#include "core/worksheets.h"

SheetExtras& ExtrasOf(SlotIndex index) {
  if (index <= 0 || index >= kWorksheetSlots || !Worksheet(index).InUse()) index = 0;
  return Worksheet(index).extras;
}

SheetExtras& CurrentExtras() { return ExtrasOf(CurrentWorksheet()); }

void ResetExtras(SlotIndex index) { ExtrasOf(index) = SheetExtras{}; }

void ResetAllExtras() {
  for (SlotIndex i = 0; i < kWorksheetSlots; ++i) Worksheet(i).extras = SheetExtras{};
}
