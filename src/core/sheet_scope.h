// core/sheet_scope.h — makes a worksheet current for the length of a block.
//
// The engine works on one current worksheet (core/worksheets.h). Code that acts on the sheet of
// a particular window or file opens a SheetScope on its slot; the scope makes that sheet current
// and puts the previous one back when it ends.
// State: the open-worksheet table's current slot and the pool's current heap.
#pragma once

#include "core/worksheets.h"

// Makes worksheet `slot` current for the life of the object and puts the previous one back
// after, storing the options of whichever sheet is left. A slot that is not in use, or is
// current already, switches nothing (the pool's heap still follows an in-use slot).
class SheetScope {
 public:
  explicit SheetScope(SlotIndex slot);
  ~SheetScope();
  SheetScope(const SheetScope&) = delete;
  SheetScope& operator=(const SheetScope&) = delete;

 private:
  SlotIndex previous_ = 0;
  SlotIndex slot_ = 0;
  bool switched_ = false;
};
