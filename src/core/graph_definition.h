// core/graph_definition.h — graph definitions of the current worksheet and their named copies.
//
// A graph definition is an 860-byte block. Bytes 13..449 are exactly the data of the worksheet
// file's GRAPH record, so the file layer copies them without looking inside; bytes 454..842 are
// the program's own settings (markers, hatches, colours, fonts, overlay), carried by an
// extension record. `GraphDefinition` is a view over one such block with one named accessor per
// field; nobody else reads a definition byte by a bare number.
//
// The current definition lives in the current-sheet variables and is swapped with the sheet;
// named definitions are pool blocks listed in the sheet's graph table (entries 1..count).
// State: the current sheet's graph definition, graph table and count (core/sheet_state.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/address.h"

constexpr size_t kGraphBlockSize = 860;
using GraphBlock = std::array<uint8_t, kGraphBlockSize>;

// Layout of the block. The WK1 part (13..449) follows the GRAPH record field for field.
//
//   offset  size  field
//   0       13    name: length byte and up to 12 characters
//   13      104   13 ranges of 4 x 16 bits: X, series 1..6, data labels of series 1..6
//   117     1     graph type (kGraphType*)
//   118     1     grid byte: bits 0-1 lines (0 none, 1 horizontal, 2 vertical, 3 both),
//                 bit 2 solid lines, bit 3 table legend
//   119     1     axis byte: bit 7 logarithmic X, bit 6 logarithmic Y
//   120     6     lines and symbols of series 1..6 (kSeriesNone..kSeriesBoth)
//   126     6     data-label place of series 1..6 (kLabelAbove..kLabelNone)
//   132     1     X scaling: 1 manual, 0 automatic
//   133     16    X lower and upper limits (two doubles)
//   149     1     Y scaling flag
//   150     16    Y lower and upper limits
//   166     160   headings: main, second, X axis, Y axis; 40 bytes each, zero-ended
//   326     120   legends of series 1..6; 20 bytes each, zero-padded
//   446     1     number format of the X axis labels
//   447     1     number format of the Y axis labels
//   448     1     X major-division count
//   449     1     Y major-division count
//   450     4     unused
//   --- the program's own part, 454..842 (extension record) ---
//   454     42    seven style entries (series 1..6, then "Other") of 6 bytes: marker (0..15),
//                 hatch (0..7), line thickness (0..4), line style (0..5), foreground and
//                 background colour (palette indexes 0..15)
//   496     1     inside colour of the plot area (palette index)
//   497     1     outside colour
//   498     7     font sizes of main, second, X axis, Y axis, values, labels, legend (points)
//   505     224   typefaces of the same seven kinds: 32 bytes each, length byte and 31 characters
//   729     2     X division word: low byte a further count, high byte (signed) minor divisions
//   731     2     Y division word
//   733     13    overlay name: length byte and up to 12 characters
//   746     13    zero in memory; in the extension record the name again (the GRAPH record has
//                 no name field)
//   759     84    unused (zero)
//   843     17    unused
namespace graph_layout {
constexpr size_t kName = 0;
constexpr size_t kNameCapacity = 12;
constexpr size_t kWk1Data = 13;
constexpr size_t kWk1DataSize = 437;
constexpr size_t kRanges = 13;
constexpr size_t kRangeBytes = 8;
constexpr size_t kType = kWk1Data + 104;
constexpr size_t kGrid = kWk1Data + 105;
constexpr size_t kAxis = kWk1Data + 106;
constexpr size_t kLinesSymbols = kWk1Data + 107;
constexpr size_t kLabelPlaces = kWk1Data + 113;
constexpr size_t kXScaling = kWk1Data + 119;
constexpr size_t kXLower = kWk1Data + 120;
constexpr size_t kXUpper = kWk1Data + 128;
constexpr size_t kYScaling = kWk1Data + 136;
constexpr size_t kYLower = kWk1Data + 137;
constexpr size_t kYUpper = kWk1Data + 145;
constexpr size_t kHeadings = kWk1Data + 153;
constexpr size_t kHeadingBytes = 40;
constexpr size_t kLegends = kWk1Data + 313;
constexpr size_t kLegendBytes = 20;
constexpr size_t kXFormat = kWk1Data + 433;
constexpr size_t kYFormat = kWk1Data + 434;
constexpr size_t kXDivisions = kWk1Data + 435;
constexpr size_t kYDivisions = kWk1Data + 436;
constexpr size_t kOwn = 454;
constexpr size_t kOwnSize = 389;
constexpr size_t kStyles = 454;
constexpr size_t kStyleBytes = 6;
constexpr size_t kInsideColour = 496;
constexpr size_t kOutsideColour = 497;
constexpr size_t kFontSizes = 498;
constexpr size_t kFontFaces = 505;
constexpr size_t kFontFaceBytes = 32;
constexpr size_t kXDivisionWord = 729;
constexpr size_t kYDivisionWord = 731;
constexpr size_t kOverlay = 733;
constexpr size_t kNameCopy = 746;
constexpr size_t kOwnUsedEnd = 759;

static_assert(kType == 117 && kGrid == 118 && kAxis == 119);
static_assert(kLinesSymbols == 120 && kLabelPlaces == 126 && kXScaling == 132);
static_assert(kXLower == 133 && kXUpper == 141 && kYScaling == 149 && kYLower == 150);
static_assert(kYUpper == 158 && kHeadings == 166 && kLegends == 326);
static_assert(kXFormat == 446 && kYFormat == 447 && kXDivisions == 448 && kYDivisions == 449);
static_assert(kWk1Data + kWk1DataSize == 450);
static_assert(kStyles + 7 * kStyleBytes == kInsideColour);
static_assert(kFontSizes + 7 == kFontFaces);
static_assert(kFontFaces + 7 * kFontFaceBytes == kXDivisionWord);
static_assert(kOverlay + 1 + kNameCapacity == kNameCopy);
static_assert(kNameCopy + 1 + kNameCapacity == kOwnUsedEnd);
static_assert(kOwnUsedEnd <= kOwn + kOwnSize && kOwn + kOwnSize == 843);
static_assert(843 <= kGraphBlockSize);
}  // namespace graph_layout

// Graph type codes.
enum GraphType : uint8_t {
  kGraphXy = 0,
  kGraphBar = 1,
  kGraphPie = 2,
  kGraphStack = 3,
  kGraphLine = 4,
  kGraphCumulative = 5,
  kGraphHiLo = 6,
  kGraphRadar = 7,
  kGraphArea = 8,
  kGraphDelta = 9,
  kGraphPolar = 10,
  kGraphStrip3D = 11,
  kGraphWall3D = 12,
  kGraphContour = 13,
  kGraphPie3D = 14,
  kGraphDonut3D = 15,
  kGraphBar3D = 16,
  kGraphStack3D = 17,
};
constexpr int kGraphTypeCount = 18;

// Indexes of the 13 ranges.
constexpr int kGraphXRange = 0;       // then series 1..6 at 1..6
constexpr int kGraphLabelRange1 = 7;  // data labels of series 1..6 at 7..12
constexpr int kGraphRangeCount = 13;
constexpr int kGraphSeriesCount = 6;
constexpr int kGraphStyleCount = 7;    // series 1..6 and "Other" (index 6)
constexpr int kGraphFontCount = 7;     // main, second, X axis, Y axis, values, labels, legend
constexpr int kGraphHeadingCount = 4;  // main, second, X axis, Y axis
constexpr size_t kGraphHeadingCapacity = 39;
constexpr size_t kGraphLegendCapacity = 20;
constexpr size_t kGraphFontFaceCapacity = 31;
constexpr int kMaxNamedGraphs = 50;

// Lines and symbols of a series, in the dialog's order.
enum SeriesMarks : uint8_t {
  kSeriesNone = 0,
  kSeriesLines = 1,
  kSeriesSymbols = 2,
  kSeriesBoth = 3
};
// Data-label places.
enum LabelPlace : uint8_t {
  kLabelAbove = 0,
  kLabelBelow = 1,
  kLabelLeft = 2,
  kLabelRight = 3,
  kLabelNone = 4,
};

// One style entry: series 1..6 or "Other".
struct GraphStyle {
  uint8_t marker = 0;
  uint8_t hatch = 0;
  uint8_t thickness = 0;
  uint8_t lineStyle = 0;
  uint8_t foreground = 0;
  uint8_t background = 0;
  friend bool operator==(const GraphStyle&, const GraphStyle&) = default;
};

// A view over one 860-byte definition; it does not own the bytes.
class GraphDefinition {
 public:
  explicit GraphDefinition(uint8_t* block) : b_(block) {}
  uint8_t* bytes() const { return b_; }

  std::string name() const { return Text(graph_layout::kName, graph_layout::kNameCapacity); }
  void setName(std::string_view n) { SetText(graph_layout::kName, graph_layout::kNameCapacity, n); }

  // index: kGraphXRange, 1..6 series, kGraphLabelRange1 + 0..5 label ranges.
  CellRange range(int index) const;
  void setRange(int index, const CellRange& r);
  CellRange seriesRange(int series) const { return range(series); }  // 0 X, 1..6
  CellRange labelRange(int series) const { return range(kGraphLabelRange1 + series - 1); }

  uint8_t type() const { return b_[graph_layout::kType]; }
  void setType(uint8_t t) { b_[graph_layout::kType] = t; }
  uint8_t gridLines() const { return b_[graph_layout::kGrid] & 3; }
  void setGridLines(uint8_t g) { SetBits(graph_layout::kGrid, 3, g & 3); }
  bool solidGrid() const { return b_[graph_layout::kGrid] & 4; }
  void setSolidGrid(bool on) { SetBits(graph_layout::kGrid, 4, on ? 4 : 0); }
  bool tableLegend() const { return b_[graph_layout::kGrid] & 8; }
  void setTableLegend(bool on) { SetBits(graph_layout::kGrid, 8, on ? 8 : 0); }
  bool logarithmicX() const { return b_[graph_layout::kAxis] & 0x80; }
  void setLogarithmicX(bool on) { SetBits(graph_layout::kAxis, 0x80, on ? 0x80 : 0); }
  bool logarithmicY() const { return b_[graph_layout::kAxis] & 0x40; }
  void setLogarithmicY(bool on) { SetBits(graph_layout::kAxis, 0x40, on ? 0x40 : 0); }

  // series 1..6
  uint8_t seriesMarks(int series) const { return b_[graph_layout::kLinesSymbols + series - 1]; }
  void setSeriesMarks(int series, uint8_t m) { b_[graph_layout::kLinesSymbols + series - 1] = m; }
  uint8_t labelPlace(int series) const { return b_[graph_layout::kLabelPlaces + series - 1]; }
  void setLabelPlace(int series, uint8_t p) { b_[graph_layout::kLabelPlaces + series - 1] = p; }

  // axis 0 X, 1 Y
  bool manualScale(int axis) const { return b_[ScalingAt(axis)] == 1; }
  void setManualScale(int axis, bool on) { b_[ScalingAt(axis)] = on ? 1 : 0; }
  double lowerLimit(int axis) const {
    return Real(axis == 0 ? graph_layout::kXLower : graph_layout::kYLower);
  }
  void setLowerLimit(int axis, double v) {
    SetReal(axis == 0 ? graph_layout::kXLower : graph_layout::kYLower, v);
  }
  double upperLimit(int axis) const {
    return Real(axis == 0 ? graph_layout::kXUpper : graph_layout::kYUpper);
  }
  void setUpperLimit(int axis, double v) {
    SetReal(axis == 0 ? graph_layout::kXUpper : graph_layout::kYUpper, v);
  }
  uint8_t axisFormat(int axis) const {
    return b_[axis == 0 ? graph_layout::kXFormat : graph_layout::kYFormat];
  }
  void setAxisFormat(int axis, uint8_t f) {
    b_[axis == 0 ? graph_layout::kXFormat : graph_layout::kYFormat] = f;
  }
  uint8_t divisions(int axis) const {
    return b_[axis == 0 ? graph_layout::kXDivisions : graph_layout::kYDivisions];
  }
  void setDivisions(int axis, uint8_t n) {
    b_[axis == 0 ? graph_layout::kXDivisions : graph_layout::kYDivisions] = n;
  }
  uint16_t divisionWord(int axis) const;
  void setDivisionWord(int axis, uint16_t w);
  int8_t minorDivisions(int axis) const { return int8_t(divisionWord(axis) >> 8); }

  // heading 0 main, 1 second, 2 X axis, 3 Y axis; at most 39 characters.
  std::string heading(int index) const;
  void setHeading(int index, std::string_view text);
  // series 1..6; at most 20 characters, zero-padded.
  std::string legend(int series) const;
  void setLegend(int series, std::string_view text);

  // entry 0..5 series 1..6, 6 "Other".
  GraphStyle style(int entry) const;
  void setStyle(int entry, const GraphStyle& s);
  uint8_t insideColour() const { return b_[graph_layout::kInsideColour]; }
  void setInsideColour(uint8_t c) { b_[graph_layout::kInsideColour] = c; }
  uint8_t outsideColour() const { return b_[graph_layout::kOutsideColour]; }
  void setOutsideColour(uint8_t c) { b_[graph_layout::kOutsideColour] = c; }
  // kind 0..6
  uint8_t fontSize(int kind) const { return b_[graph_layout::kFontSizes + size_t(kind)]; }
  void setFontSize(int kind, uint8_t points) {
    b_[graph_layout::kFontSizes + size_t(kind)] = points;
  }
  std::string fontFace(int kind) const;
  void setFontFace(int kind, std::string_view face);
  std::string overlay() const { return Text(graph_layout::kOverlay, graph_layout::kNameCapacity); }
  void setOverlay(std::string_view n) {
    SetText(graph_layout::kOverlay, graph_layout::kNameCapacity, n);
  }

  // True when the X range and at least one series range are defined.
  bool Drawable() const;

 private:
  static size_t ScalingAt(int axis) {
    return axis == 0 ? graph_layout::kXScaling : graph_layout::kYScaling;
  }
  void SetBits(size_t at, uint8_t mask, uint8_t v) { b_[at] = uint8_t((b_[at] & ~mask) | v); }
  uint16_t Word(size_t at) const { return uint16_t(b_[at] | (b_[at + 1] << 8)); }
  void SetWord(size_t at, uint16_t v) {
    b_[at] = uint8_t(v);
    b_[at + 1] = uint8_t(v >> 8);
  }
  double Real(size_t at) const;
  void SetReal(size_t at, double v);
  std::string Text(size_t at, size_t capacity) const;
  void SetText(size_t at, size_t capacity, std::string_view text);

  uint8_t* b_;
};

// --- resetting and the file layer ----------------------------------------------------------------

// All fields to their defaults: the 13 ranges undefined (every word 0xFFFF), type bar, no grid,
// automatic scaling with limits 0, no headings, legends or overlay, general axis formats,
// division counts 5, and the program part of `ResetGraphProgramPart`. The name is cleared.
void ResetGraph(GraphDefinition g);
// Only bytes 454..842: a distinct marker and palette colour per series, solid hatch, thin solid
// lines, black on white for "Other", white inside and outside, font sizes 16/12/10/10/8/8/10 in
// "ARIAL", no division word, no overlay.
void ResetGraphProgramPart(GraphDefinition g);
// Makes a definition read from a file usable: a WK1 part of zeros (files written before reset
// defaults existed) becomes a reset definition keeping the name; division counts below 2 become 5.
void NormalizeLoadedGraph(GraphDefinition g);
// True when the `size` bytes of `data` are all zero.
bool AllZero(const uint8_t* data, size_t size);
// The 389 bytes of the program part as the extension record carries them: bytes 454..842 with
// the definition's name copied in at its place (the GRAPH record of the current definition has
// no name field).
std::array<uint8_t, graph_layout::kOwnSize> GraphProgramRecord(const GraphDefinition& g);
// Takes a program part read from a file: an all-zero part (files written before the part had
// defaults) keeps the reset part; otherwise the bytes replace it, and a name copy of at most 12
// characters becomes the name when `takeName` is set.
void ReadGraphProgramRecord(GraphDefinition g, const uint8_t* data, bool takeName);

// --- the current sheet's definitions -------------------------------------------------------------

// The current definition of the current sheet.
GraphDefinition CurrentGraph();
// Number of named graphs of the current sheet.
int NamedGraphCount();
// Named graph 1..count; index out of range gives a view over a scratch block of zeros.
GraphDefinition NamedGraph(int index);
// The position 1..count of the named graph `name` (compared ignoring case), or 0.
int FindNamedGraph(std::string_view name);

enum class GraphNameResult : uint8_t {
  kDone = 0,
  kIgnored,    // a name beginning with "*": nothing stored
  kEmptyName,  // beeped, nothing stored
  kNotFound,   // no named graph of that name
  kFull,       // 50 named graphs: "Max Graph Names Exceeded" shown
  kNoMemory,   // the pool had no room
};

// Stores a copy of the current definition under `name` (upper-cased, cut to 12 characters),
// which also becomes the current definition's name. An existing name is replaced in place; a new
// one is appended. An empty name beeps; a name beginning with "*" is ignored.
GraphNameResult StoreNamedGraph(std::string_view name);
// Copies the named graph over the current definition.
GraphNameResult UseNamedGraph(std::string_view name);
// Removes the named graph; later ones move up one place.
GraphNameResult DeleteNamedGraph(std::string_view name);
// Removes every named graph.
void RemoveAllNamedGraphs();
// Combines the named graph into the current definition: each of its defined ranges and each of
// its non-empty headings and legends replaces the current one; every other field of the current
// definition (type, options, scales, styles, fonts, name) stays.
GraphNameResult MergeNamedGraph(std::string_view name);

// Quick graph: when `area` is a valid range, resets the current definition and makes its columns,
// from the left, the X range and series 1..6 over the same rows (at most seven columns). Gives
// false, changing nothing, for an invalid range.
bool QuickGraph(const CellRange& area);

// Calls `visit` with every defined range of the current definition, then of every named graph, in
// that order; a range the visitor changes is stored back. For the adjustment of stored ranges.
void ForEachGraphRange(const std::function<void(CellRange&)>& visit);
