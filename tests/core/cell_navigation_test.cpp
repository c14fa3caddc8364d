#include "core/cell_navigation.h"

#include <gtest/gtest.h>

#include "core/cell_store.h"
#include "sheet_fixture.h"

namespace {

class EndModeTest : public SheetTest {};

TEST_F(EndModeTest, RunsGapsAndEdges) {
  // Column A: rows 0..4 and 9 filled; row 0: columns 0 and 3 filled.
  for (int row : {0, 1, 2, 3, 4, 9}) {
    CellRecord* c = CellAt(GetOrCreateCell(uint32_t(row), 0));
    StoreNumber(c, row);
  }
  StoreNumber(CellAt(GetOrCreateCell(0, 3)), 1);
  struct Case { int line; int row, column, rowStep, columnStep; int toRow, toColumn; };
  const Case kCases[] = {
      {__LINE__, 0, 0, 1, 0, 4, 0},       // along the run to its last cell
      {__LINE__, 4, 0, 1, 0, 9, 0},       // from the run's end to the next filled cell
      {__LINE__, 9, 0, 1, 0, 8191, 0},    // nothing further: the edge
      {__LINE__, 6, 0, -1, 0, 4, 0},      // from an empty cell to the next filled one
      {__LINE__, 0, 0, -1, 0, 0, 0},      // at the edge already
      {__LINE__, 0, 0, 0, 1, 0, 3},       // a filled cell with an empty neighbour
      {__LINE__, 0, 3, 0, 1, 0, 255},
      {__LINE__, 0, 255, 0, 1, 0, 255},
      {__LINE__, 9, 5, 0, -1, 9, 0},      // leftwards into a filled cell at the edge
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const CellAddress to = EndModeTarget(c.row, c.column, c.rowStep, c.columnStep);
    EXPECT_EQ(int(to.row), c.toRow);
    EXPECT_EQ(int(to.column), c.toColumn);
  }
}

}  // namespace
