// graph/graph_geometry.h — the arithmetic of graph drawing, without a painter.
//
// Data ranges, logarithmic limits, axis steps and ticks, bar widths and placement, stacked
// running heights, pie angles, the 3-D projection and data-label placement. Everything here is a
// plain function of its arguments so that tests can check it directly; graph_draw.cpp turns the
// results into pixels. A missing or non-numeric cell is carried as NaN. No state, no Qt.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The classes of a graph type code (see core/graph_definition.h for the codes).
struct GraphTypeClasses {
  bool stacked = false;        // 3, 8, 17
  bool numericX = false;       // 0, 5, 7, 9, 10, 13
  bool noAxes = false;         // 2, 14, 15
  bool polar = false;          // 7, 10
  bool categories = false;     // 1, 3, 4, 6, 8, 11, 12
  bool bars = false;           // 1, 3, 16
  bool threeD = false;         // 11, 12, 14, 15, 16, 17
  bool linesSymbols = false;   // 0, 4, 5, 6, 7, 9, 10
};
// Unknown codes give no class at all.
GraphTypeClasses ClassesOf(int type);

// True when bars, stacks, areas and 3-D bars of this type grow from 0, so that the automatic
// Y range must contain 0 (bar, stack, area, 3-D bar, 3-D stack, wall).
bool GrowsFromZero(int type);

struct AxisLimits {
  double min = 0;
  double max = 0;
};

// The values of one series as drawing reads them: NaN for a missing or non-numeric cell.
using SeriesValues = std::vector<double>;

// Smallest and largest of the numbers in `values` (NaN skipped); false when there is none.
bool ValueSpan(const SeriesValues& values, AxisLimits* out);

// The X data range. Category types: 1 .. count + 1. Numeric-X types: the span of `xValues`
// (automatic) or the manual limits. `columns` is the column count for contour (1 .. columns + 1).
AxisLimits CategoryXRange(int count);
AxisLimits NumericXRange(const SeriesValues& xValues, bool manual, double lower, double upper);

// The automatic Y data range of `series` (the defined ones only, in any order) for `type`:
// - stacked: ymax the sum of the series maxima, ymin the sum of the negative minima;
// - "Cum": 0 .. the largest series total; "Delta": the span of the differences;
// - every other type the span of all values;
// - types that grow from 0 have 0 inside the range.
// A range without any number is 0 .. 1.
AxisLimits AutomaticYRange(int type, const std::vector<SeriesValues>& series);

// Running totals (a missing value adds nothing and stays missing).
SeriesValues CumulativeValues(const SeriesValues& values);
// Differences of consecutive values: one value fewer; a difference next to a missing value is
// missing.
SeriesValues DeltaValues(const SeriesValues& values);

// Logarithmic limits of an axis with the data span `data`. The upper limit becomes
// 10^round(log10 |max|), times 10 while it stays below the data maximum (for Y while 1.01 times
// it does); the lower limit becomes 10^round(log10 |min|), lowered a decade at a time while it
// exceeds the data minimum. Values ≤ 0 have no place on the axis: the span should be taken over
// the positive values only (a log of 0 counts as 1). `decades` is the major-division count.
struct LogLimits {
  double lower = 1;
  double upper = 10;
  int decades = 1;
};
LogLimits LogarithmicLimits(AxisLimits data, bool yAxis);
// The span of the positive numbers of `values`; false when there is none.
bool PositiveSpan(const SeriesValues& values, AxisLimits* out);

// The major-division count to use: a stored count below 1 is 5.
int DivisionCount(int stored);

// Pixels per unit: `pixels` ÷ span, or `pixels` when the span is 0 (a zero range counts as 1).
double PixelsPerUnit(double pixels, double span);

// The major tick values of an axis from the top (max) down: D + 1 values. Linear axes step by
// (max − min) ÷ D (a step of 0 counts as 1); logarithmic ones by decades from max down.
std::vector<double> AxisTicks(AxisLimits limits, int divisions, bool logarithmic);
// Minor tick values between two neighbouring major ticks `high` > `low`: `minor` equal parts on a
// linear axis, 2..9 times the lower decade value on a logarithmic one.
std::vector<double> MinorTicks(double high, double low, int minor, bool logarithmic);

// Bars of one category.
struct BarLayout {
  double categoryWidth = 0;  // plot width ÷ (xmax − xmin + 1)
  double margin = 0;         // the 3-D offset when the category is at least twice as wide, else 0
  double barWidth = 0;       // (category width − margin) ÷ bars per category
};
BarLayout LayOutBars(double plotWidth, AxisLimits x, double offset3D, int seriesCount,
                     bool stacked);
// Left edge of the bar of series number `k` (1 = first drawn) of `count` side by side bars.
double BarLeft(double centre, int k, int count, double barWidth);

// Stacked running heights: for every point of every series (in stacking order) the base the bar
// starts from. Positive values stack upward from the positive running total, negative ones
// downward from the negative total; a missing value leaves the totals alone. Every point keeps
// its own totals, however many there are.
std::vector<SeriesValues> StackBases(const std::vector<SeriesValues>& series);

// Pie slices of `values` with explode percentages `explode` (may be shorter; NaN or out of
// 0..100 leaves a slice in place). Only positive values get slices; with no positive total the
// pie is empty. Angles in radians, counter-clockwise from 3 o'clock.
struct PieSlice {
  int point = 0;          // index into values
  double start = 0;
  double sweep = 0;
  double explode = 0;     // fraction of the radius to move out along the middle angle
  double Middle() const { return start + sweep / 2; }
};
std::vector<PieSlice> PieSlices(const SeriesValues& values, const SeriesValues& explode);
// The palette index of pie slice `point`: (point + 1) mod 16.
int PieSliceColour(int point);

// The 3-D projection: (x, y, z) turned by the view angle `r` about the vertical axis, then tilted
// by t = π/4. `across` is the screen X, `height` and `depth` the two tilted co-ordinates.
struct Projected {
  long across = 0;
  long height = 0;
  long depth = 0;
};
Projected Project3D(double x, double y, double z, double viewAngle);
// The view angle after one more turn (π/16), kept within 0 .. 2π.
double TurnView(double angle);

// The screen step of `unit` of depth in the 3-D bar, strip and wall graphs: the depth axis
// (0, unit, 0) through Project3D with the view turned π/4 further than `viewAngle`, so that the
// opening view puts the back plane up and to the right. `across` is the screen X step, `down`
// the screen Y step (negative: up); `deeperIsFarther` says whether more depth lies away from the
// viewer (by the projection's depth co-ordinate), which decides the drawing order.
struct DepthStep {
  double across = 0;
  double down = 0;
  bool deeperIsFarther = true;
};
DepthStep DepthAxis(double unit, double viewAngle);

// Where a data label of width w and height h is written for the point (x, y) and `place`
// (0 above, 1 below, 2 left, 3 right, anything else centred below); `gap` is a small text width.
struct LabelSpot {
  double x = 0;
  double y = 0;
};
LabelSpot PlaceDataLabel(int place, double x, double y, double w, double h, double gap);

// Contour: the level (0 .. levels − 1) of `value` between `lowest` and `highest`.
int ContourLevel(double value, double lowest, double highest, int levels);

// A dense polyline as it looks drawn without antialiasing: one vertical span per pixel column
// (x rounded) over the points in it, reaching halfway to the points of the neighbouring columns;
// a step over more than one column stays a segment. Thousands of points over a few hundred
// columns become a few hundred rectangles.
struct PlotPoint {
  double x = 0;
  double y = 0;
};
struct ColumnSpan {
  long column = 0;
  double low = 0;   // smallest y
  double high = 0;  // largest y
};
struct DenseLine {
  std::vector<ColumnSpan> spans;
  std::vector<std::pair<PlotPoint, PlotPoint>> segments;
};
DenseLine DenseLineSpans(const std::vector<PlotPoint>& run);
