// core/sheet_view.cpp — SheetView (see the header).
#include "core/sheet_view.h"

#include "core/engine_layers.h"
#include "core/sheet_scope.h"

namespace {

const SheetLayout& EmptyLayout() {
  static const SheetLayout layout;
  return layout;
}

const GlobalOptions& EmptyOptions() {
  static const GlobalOptions options;
  return options;
}

}  // namespace

SheetView::SheetView(SlotIndex slot) {
  if (slot <= 0 || slot >= kWorksheetSlots || !Worksheet(slot).InUse()) return;
  const WorksheetSlot& entry = Worksheet(slot);
  slot_ = slot;
  rowTable_ = entry.rowTable.get();
  layout_ = entry.layout.get();
  // The current sheet's options live in the current-sheet record until they are stored.
  options_ = IsCurrent() ? &::Options() : &entry.options;
}

bool SheetView::IsCurrent() const { return slot_ != 0 && CurrentWorksheet() == slot_; }

CellHandle SheetView::RowHead(int row) const {
  if (!rowTable_ || row < 0 || row >= kRowCount) return 0;
  return rowTable_[row];
}

CellHandle SheetView::CellAtAddress(uint32_t row, uint32_t column) const {
  if (row >= uint32_t(kRowCount)) return 0;
  for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) {
    const CellRecord* c = CellAt(h);
    if (c->column == column) return h;
    if (c->column > column) break;
  }
  return 0;
}

const SheetLayout& SheetView::Layout() const { return layout_ ? *layout_ : EmptyLayout(); }

const GlobalOptions& SheetView::Options() const { return options_ ? *options_ : EmptyOptions(); }

std::string SheetView::FormulaText(CellHandle cell) const {
  if (!slot_ || !cell) return {};
  if (IsCurrent()) return TheEngineLayers().FormulaText(cell);
  SheetScope scope(slot_);
  return TheEngineLayers().FormulaText(cell);
}
