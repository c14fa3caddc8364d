#include "core/grid_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(GridGeometryTest, PagesRowNumbersFillsAndAlignment) {
  EXPECT_EQ(PageLabel(0), "A");
  EXPECT_EQ(PageLabel(26), "AA");
  EXPECT_EQ(PageLabel(63), "BL");
  EXPECT_EQ(RowHeaderNumber(1023, 1024), 1024);
  EXPECT_EQ(RowHeaderNumber(1024, 1024), 1);
  EXPECT_EQ(FillCount(64, 240 * 7), 8);
  EXPECT_EQ(FillCount(6, 240 * 7), 1);
  EXPECT_EQ(ScrollerColumn(128, 255), 128);
  EXPECT_EQ(PrefixAlign(0xAE), Align::kLeftDots);
  EXPECT_EQ(TextStart(Align::kCentre, 0, 10, 40), 0);  // never left of the cell
}

TEST(GridGeometryTest, PageRowsFallBackToOnePageForABadCount) {
  struct Case { int line; int pages; int rows; };
  const Case kCases[] = {
      {__LINE__, 1, 8192}, {__LINE__, 8, 1024}, {__LINE__, 64, 128},
      {__LINE__, 0, 8192}, {__LINE__, 65, 8192}, {__LINE__, -3, 8192},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(PageRows(c.pages), c.rows);
  }
}

TEST(GridGeometryTest, SplitBoxHalvesAndScrollerEnds) {
  // A 20 x 20 box in the bottom-right corner of a 200 x 100 window.
  EXPECT_EQ(SplitBoxHit(190, 95, 200, 100), SplitDrag::kVertical);
  EXPECT_EQ(SplitBoxHit(190, 85, 200, 100), SplitDrag::kHorizontal);
  EXPECT_EQ(SplitBoxHit(190, 75, 200, 100), SplitDrag::kNone);
  EXPECT_EQ(SplitBoxHit(179, 95, 200, 100), SplitDrag::kNone);
  EXPECT_EQ(ScrollerColumn(0, 0), 0);
  EXPECT_EQ(ScrollerColumn(500, 255), 255);
}

}  // namespace
