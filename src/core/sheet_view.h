// core/sheet_view.h — a read-only view of one open worksheet, current or not.
//
// Painters and other readers that show a worksheet which is not the current one read it through
// a SheetView instead of making it current: its row chains, column widths and row heights, and
// its options (the live ones when the sheet is current, else those stored with its entry).
// Nothing here changes the sheet, the current sheet or the pool's current heap.
// State: reads the open-worksheet table and the current-sheet record.
#pragma once

#include <cstdint>
#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"

class SheetView {
 public:
  // A view of entry `slot`; a slot not in use (or 0) gives an empty view with default options.
  explicit SheetView(SlotIndex slot);

  SlotIndex Slot() const { return slot_; }
  // Whether the viewed sheet is the current one.
  bool IsCurrent() const;
  // The first cell of row `row`'s chain (cells follow through `next`), 0 for none or off-grid.
  CellHandle RowHead(int row) const;
  // The cell at (row, column), or 0.
  CellHandle CellAtAddress(uint32_t row, uint32_t column) const;
  // The sheet's column widths and row heights; defaults for an empty view.
  const SheetLayout& Layout() const;
  // The sheet's options.
  const GlobalOptions& Options() const;
  // The formula text of formula cell `cell` of this sheet. Range names and user functions are
  // the sheet's own; for a sheet that is not current this is the one reading that makes it
  // current for the length of the call (the formula layer reads names of the current sheet).
  std::string FormulaText(CellHandle cell) const;

 private:
  SlotIndex slot_ = 0;
  const PoolHandle* rowTable_ = nullptr;
  const SheetLayout* layout_ = nullptr;
  const GlobalOptions* options_ = nullptr;
};
