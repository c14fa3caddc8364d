// Tests of the graph arithmetic: ranges, logarithmic limits, ticks, bars, stacks, pies,
// projection and data-label places.
#include "graph/graph_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

const double kNaN = std::nan("");

TEST(GraphGeometryTest, AutomaticYRangeByType) {
  struct Case {
    int line;
    int type;
    std::vector<SeriesValues> series;
    double min, max;
  };
  const Case kCases[] = {
      // Xy and line: the plain span of all series.
      {__LINE__, 0, {{5, 7, 9}, {6, 12}}, 5, 12},
      {__LINE__, 4, {{5, kNaN, 9}}, 5, 9},
      // Bars, stacks, areas and the 3-D bar types start at 0 with positive data.
      {__LINE__, 1, {{5, 7, 9}}, 0, 9},
      {__LINE__, 16, {{5, 7, 9}}, 0, 9},
      {__LINE__, 1, {{-5, -7}}, -7, 0},
      // Stacked: the sum of the maxima, not the largest single value; the negative minima add.
      {__LINE__, 3, {{1, 2, 3}, {10, 20, 30}, {4, 4, 4}}, 0, 37},
      {__LINE__, 8, {{7, -3, 5}, {4, 6, -2}}, -5, 13},
      {__LINE__, 17, {{1, 2}, {kNaN, kNaN}}, 0, 2},
      // Cum: 0 up to the largest running total.
      {__LINE__, 5, {{1, 2, 4, 8}}, 0, 15},
      // Delta: the span of the differences.
      {__LINE__, 9, {{1, 2, 4, 8}}, 1, 4},
      {__LINE__, 9, {{10, 14, 9, 17}}, -5, 8},
      // No number anywhere.
      {__LINE__, 0, {{kNaN}}, 0, 1},
  };
  for (const Case& c : kCases) {
    const AxisLimits r = AutomaticYRange(c.type, c.series);
    EXPECT_DOUBLE_EQ(c.min, r.min) << "line " << c.line;
    EXPECT_DOUBLE_EQ(c.max, r.max) << "line " << c.line;
  }
}

TEST(GraphGeometryTest, XRanges) {
  EXPECT_DOUBLE_EQ(1, CategoryXRange(8).min);
  EXPECT_DOUBLE_EQ(9, CategoryXRange(8).max);
  const AxisLimits numeric = NumericXRange({1, 64, kNaN, 2}, false, 0, 0);
  EXPECT_DOUBLE_EQ(1, numeric.min);
  EXPECT_DOUBLE_EQ(64, numeric.max);
  const AxisLimits manual = NumericXRange({1, 64}, true, -3, 3);
  EXPECT_DOUBLE_EQ(-3, manual.min);
  EXPECT_DOUBLE_EQ(3, manual.max);
}

TEST(GraphGeometryTest, DerivedSeriesBreakAtMissingValues) {
  const SeriesValues cum = CumulativeValues({1, kNaN, 2, 4});
  EXPECT_DOUBLE_EQ(1, cum[0]);
  EXPECT_TRUE(std::isnan(cum[1]));
  EXPECT_DOUBLE_EQ(3, cum[2]);
  EXPECT_DOUBLE_EQ(7, cum[3]);
  const SeriesValues delta = DeltaValues({4, 6, kNaN, 5, 9});
  ASSERT_EQ(4u, delta.size());
  EXPECT_DOUBLE_EQ(2, delta[0]);
  EXPECT_TRUE(std::isnan(delta[1]));
  EXPECT_TRUE(std::isnan(delta[2]));
  EXPECT_DOUBLE_EQ(4, delta[3]);
}

TEST(GraphGeometryTest, LogarithmicLimits) {
  struct Case {
    int line;
    double min, max;
    bool y;
    double lower, upper;
    int decades;
  };
  const Case kCases[] = {
      // 5..900: 10^round(2.95) = 1000 above; 10 exceeds 5 and is lowered a decade.
      {__LINE__, 5, 900, true, 1, 1000, 3},
      // 20..250: 10^round(2.40) = 100 is below 250, so 1000.
      {__LINE__, 20, 250, false, 10, 1000, 2},
      // Y keeps the upper limit when the maximum is within 1 % of it.
      {__LINE__, 1, 1005, true, 1, 1000, 3},
      {__LINE__, 1, 1005, false, 1, 10000, 4},
      // One value: still one decade.
      {__LINE__, 100, 100, true, 100, 1000, 1},
  };
  for (const Case& c : kCases) {
    const LogLimits l = LogarithmicLimits({c.min, c.max}, c.y);
    EXPECT_DOUBLE_EQ(c.lower, l.lower) << "line " << c.line;
    EXPECT_DOUBLE_EQ(c.upper, l.upper) << "line " << c.line;
    EXPECT_EQ(c.decades, l.decades) << "line " << c.line;
  }
  AxisLimits positive;
  ASSERT_TRUE(PositiveSpan({-4, 0, 5, kNaN, 900}, &positive));
  EXPECT_DOUBLE_EQ(5, positive.min);
  EXPECT_FALSE(PositiveSpan({-4, 0}, &positive));
}

TEST(GraphGeometryTest, TicksAndDivisions) {
  EXPECT_EQ(5, DivisionCount(0));
  EXPECT_EQ(5, DivisionCount(-2));
  EXPECT_EQ(3, DivisionCount(3));
  EXPECT_EQ((std::vector<double>{10, 8, 6, 4, 2, 0}), AxisTicks({0, 10}, 5, false));
  // A zero division count is taken as 5; a zero span steps by 1.
  EXPECT_EQ((std::vector<double>{4, 3, 2, 1, 0, -1}), AxisTicks({4, 4}, 0, false));
  EXPECT_EQ((std::vector<double>{1000, 100, 10, 1}), AxisTicks({1, 1000}, 3, true));
  EXPECT_EQ((std::vector<double>{7.5, 5, 2.5}), MinorTicks(10, 0, 3, false));
  EXPECT_EQ((std::vector<double>{20, 30, 40, 50, 60, 70, 80, 90}), MinorTicks(100, 10, 0, true));
  EXPECT_TRUE(MinorTicks(10, 0, 0, false).empty());
  EXPECT_DOUBLE_EQ(300, PixelsPerUnit(300, 0));
  EXPECT_DOUBLE_EQ(30, PixelsPerUnit(300, 10));
}

TEST(GraphGeometryTest, BarsShareTheCategory) {
  // Categories 1..9 (eight cells) over 900 pixels: 100 pixels each.
  const BarLayout flat = LayOutBars(900, {1, 9}, 0, 3, false);
  EXPECT_DOUBLE_EQ(100, flat.categoryWidth);
  EXPECT_DOUBLE_EQ(0, flat.margin);
  EXPECT_NEAR(100.0 / 3, flat.barWidth, 1e-9);
  // Series 1 is the leftmost bar.
  EXPECT_DOUBLE_EQ(150 - 50, BarLeft(150, 1, 3, flat.barWidth));
  EXPECT_NEAR(150 + 100.0 / 6, BarLeft(150, 3, 3, flat.barWidth), 1e-9);
  // A 3-D offset is taken off only when the category is at least twice as wide.
  const BarLayout deep = LayOutBars(900, {1, 9}, 6, 2, false);
  EXPECT_DOUBLE_EQ(6, deep.margin);
  EXPECT_DOUBLE_EQ(47, deep.barWidth);
  EXPECT_DOUBLE_EQ(0, LayOutBars(90, {1, 9}, 6, 2, false).margin);
  // Stacked bars take one bar's room.
  EXPECT_DOUBLE_EQ(100, LayOutBars(900, {1, 9}, 0, 3, true).barWidth);
}

TEST(GraphGeometryTest, StackBasesKeepRunningHeightsForEveryPoint) {
  const size_t kPoints = 2000;
  std::vector<SeriesValues> series(3, SeriesValues(kPoints, 1.0));
  series[1][1999] = kNaN;
  series[2][1500] = -4;
  const std::vector<SeriesValues> bases = StackBases(series);
  EXPECT_DOUBLE_EQ(0, bases[0][1999]);
  EXPECT_DOUBLE_EQ(1, bases[1][600]);
  EXPECT_DOUBLE_EQ(2, bases[2][1998]);
  // A missing value adds nothing; a negative one stacks downward from 0.
  EXPECT_DOUBLE_EQ(1, bases[2][1999]);
  EXPECT_DOUBLE_EQ(0, bases[2][1500]);
}

TEST(GraphGeometryTest, PieSlicesTakeOnlyPositiveValues) {
  const double kFull = 2 * std::numbers::pi;
  const std::vector<PieSlice> slices = PieSlices({1, -5, 0, 2, kNaN, 1}, {0, 0, 0, 25, 0, 150});
  ASSERT_EQ(3u, slices.size());
  EXPECT_EQ(0, slices[0].point);
  EXPECT_EQ(3, slices[1].point);
  EXPECT_EQ(5, slices[2].point);
  EXPECT_DOUBLE_EQ(kFull / 4, slices[0].sweep);
  EXPECT_DOUBLE_EQ(kFull / 4, slices[1].start);
  EXPECT_DOUBLE_EQ(kFull / 2, slices[1].sweep);
  EXPECT_LE(slices[2].start + slices[2].sweep, kFull);
  EXPECT_DOUBLE_EQ(0.25, slices[1].explode);
  // 150 lies outside 0..100: the slice stays in place.
  EXPECT_DOUBLE_EQ(0, slices[2].explode);
  EXPECT_TRUE(PieSlices({0, -3}, {}).empty());
  EXPECT_TRUE(PieSlices({}, {}).empty());
  EXPECT_EQ(1, PieSliceColour(0));
  EXPECT_EQ(0, PieSliceColour(15));
}

TEST(GraphGeometryTest, Projection) {
  struct Case {
    int line;
    double x, y, z, r;
    long across, height, depth;
  };
  const double kQuarter = std::numbers::pi / 2;
  const Case kCases[] = {
      {__LINE__, 100, 0, 0, 0, 100, 0, 0},
      // Height alone: cos 45° and sin 45° of it.
      {__LINE__, 0, 0, 100, 0, 0, 71, 71},
      // Depth tilts away: down in height, forward in depth.
      {__LINE__, 0, 100, 0, 0, 0, -71, 71},
      // A quarter turn brings depth across and X into depth.
      {__LINE__, 100, 0, 0, kQuarter, 0, 71, -71},
      {__LINE__, 0, 100, 0, kQuarter, 100, 0, 0},
  };
  for (const Case& c : kCases) {
    const Projected p = Project3D(c.x, c.y, c.z, c.r);
    EXPECT_EQ(c.across, p.across) << "line " << c.line;
    EXPECT_EQ(c.height, p.height) << "line " << c.line;
    EXPECT_EQ(c.depth, p.depth) << "line " << c.line;
  }
  double angle = 0;
  for (int i = 0; i < 32; ++i) angle = TurnView(angle);
  EXPECT_NEAR(0, angle, 1e-9);
  EXPECT_NEAR(std::numbers::pi / 16, TurnView(0), 1e-12);
}

TEST(GraphGeometryTest, DepthAxisFollowsTheProjection) {
  struct Case {
    int line;
    double viewAngle;
    double across, down;
    bool deeperIsFarther;
  };
  const double kPi = std::numbers::pi;
  const Case kCases[] = {
      // The opening view: the back plane up and to the right, depth foreshortened by the tilt.
      {__LINE__, 0, 14.142, -10.0, true},
      // Four turns of π/16: depth straight to the right.
      {__LINE__, kPi / 4, 20, 0, true},
      // Turned round: the back comes forward and down.
      {__LINE__, 3 * kPi / 4, 0, 14.142, false},
      {__LINE__, 7 * kPi / 4, 0, -14.142, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const DepthStep step = DepthAxis(20, c.viewAngle);
    EXPECT_NEAR(c.across, step.across, 0.01);
    EXPECT_NEAR(c.down, step.down, 0.01);
    EXPECT_EQ(c.deeperIsFarther, step.deeperIsFarther);
  }
}

TEST(GraphGeometryTest, DataLabelPlaces) {
  struct Case {
    int line;
    int place;
    double x, y;
  };
  // Point (100, 50), text 20 x 10, gap 4.
  const Case kCases[] = {
      {__LINE__, 0, 90, 40}, {__LINE__, 1, 90, 60}, {__LINE__, 2, 76, 50},
      {__LINE__, 3, 104, 50}, {__LINE__, 4, 100, 55}, {__LINE__, 99, 100, 55},
  };
  for (const Case& c : kCases) {
    const LabelSpot s = PlaceDataLabel(c.place, 100, 50, 20, 10, 4);
    EXPECT_DOUBLE_EQ(c.x, s.x) << "line " << c.line;
    EXPECT_DOUBLE_EQ(c.y, s.y) << "line " << c.line;
  }
}

TEST(GraphGeometryTest, ContourLevelsAndClasses) {
  EXPECT_EQ(0, ContourLevel(0, 0, 10, 5));
  EXPECT_EQ(2, ContourLevel(5, 0, 10, 5));
  EXPECT_EQ(4, ContourLevel(10, 0, 10, 5));
  EXPECT_EQ(0, ContourLevel(3, 3, 3, 5));
  EXPECT_EQ(0, ContourLevel(kNaN, 0, 10, 5));
  int stacked = 0, threeD = 0, noAxes = 0;
  for (int t = 0; t < 18; ++t) {
    stacked += ClassesOf(t).stacked;
    threeD += ClassesOf(t).threeD;
    noAxes += ClassesOf(t).noAxes;
  }
  EXPECT_EQ(3, stacked);
  EXPECT_EQ(6, threeD);
  EXPECT_EQ(3, noAxes);
  EXPECT_TRUE(ClassesOf(13).numericX);
  EXPECT_FALSE(ClassesOf(18).bars);
}

}  // namespace

TEST(GraphGeometryTest, DenseLinesBecomeColumnSpans) {
  struct Case {
    int line;
    std::vector<PlotPoint> run;
    std::vector<ColumnSpan> spans;
    size_t segments;
  };
  const Case kCases[] = {
      {__LINE__, {}, {}, 0},
      {__LINE__, {{0, 10}}, {{0, 10, 10}}, 0},
      // Three points in column 0, a step to column 1 shared at 14, a jump to column 3.
      {__LINE__, {{0, 10}, {0.2, 12}, {0.4, 8}, {1.1, 20}, {3, 5}}, {{0, 8, 14}, {1, 14, 20}, {3, 5, 5}}, 1},
      // Right to left works the same way.
      {__LINE__, {{5, 0}, {4, 10}}, {{5, 0, 5}, {4, 5, 10}}, 0},
      // Coming back to a column starts a new span for it.
      {__LINE__, {{0, 0}, {1, 0}, {0, 4}}, {{0, 0, 0}, {1, 0, 2}, {0, 2, 4}}, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const DenseLine line = DenseLineSpans(c.run);
    ASSERT_EQ(c.spans.size(), line.spans.size());
    for (size_t i = 0; i < c.spans.size(); ++i) {
      EXPECT_EQ(c.spans[i].column, line.spans[i].column) << "span " << i;
      EXPECT_DOUBLE_EQ(c.spans[i].low, line.spans[i].low) << "span " << i;
      EXPECT_DOUBLE_EQ(c.spans[i].high, line.spans[i].high) << "span " << i;
    }
    EXPECT_EQ(c.segments, line.segments.size());
  }
  const DenseLine jump = DenseLineSpans({{1.1, 20}, {3, 5}});
  ASSERT_EQ(1u, jump.segments.size());
  EXPECT_DOUBLE_EQ(1.1, jump.segments[0].first.x);
  EXPECT_DOUBLE_EQ(5, jump.segments[0].second.y);
}
