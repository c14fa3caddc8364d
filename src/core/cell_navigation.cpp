// core/cell_navigation.cpp — END-mode targets (see the header). No state.
#include "core/cell_navigation.h"

#include "core/cell_store.h"

namespace {

bool Filled(int row, int column) {
  const CellHandle h = GetCell(uint32_t(row), uint32_t(column));
  return h && (CellAt(h)->kind & kKindMask) != uint8_t(CellKind::kBlank);
}

}  // namespace

CellAddress EndModeTarget(int row, int column, int rowStep, int columnStep) {
  auto inside = [](int r, int c) { return r >= 0 && r < kRowCount && c >= 0 && c < kColumnCount; };
  int r = row + rowStep, c = column + columnStep;
  if (!inside(r, c)) return CellAddress{uint16_t(column), uint16_t(row)};
  if (Filled(row, column) && Filled(r, c)) {
    // Along the run of filled cells to its last one.
    while (inside(r + rowStep, c + columnStep) && Filled(r + rowStep, c + columnStep)) {
      r += rowStep;
      c += columnStep;
    }
    return CellAddress{uint16_t(c), uint16_t(r)};
  }
  while (!Filled(r, c) && inside(r + rowStep, c + columnStep)) {
    r += rowStep;
    c += columnStep;
  }
  return CellAddress{uint16_t(c), uint16_t(r)};
}
