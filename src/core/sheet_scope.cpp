// core/sheet_scope.cpp — SheetScope (see the header).
#include "core/sheet_scope.h"

#include "core/pool.h"

SheetScope::SheetScope(SlotIndex slot) : previous_(CurrentWorksheet()), slot_(slot) {
  if (slot_ <= 0 || slot_ == previous_ || !Worksheet(slot_).InUse()) {
    if (slot_ > 0 && Worksheet(slot_).InUse()) PoolSetHeap(Worksheet(slot_).heap);
    return;
  }
  // Options live in the current-sheet record: store them before another sheet replaces them.
  if (previous_) StoreOptions(previous_);
  ActivateWorksheet(slot_);
  switched_ = true;
}

SheetScope::~SheetScope() {
  if (!switched_) return;
  if (Worksheet(slot_).InUse() && CurrentWorksheet() == slot_) StoreOptions(slot_);
  if (previous_ && Worksheet(previous_).InUse()) ActivateWorksheet(previous_);
}
