// core/graph_definition.cpp — accessors of graph definitions, reset, named graphs, quick graph.
//
// Reads and writes: the current sheet's graph definition, graph table and graph count
// (core/sheet_state.h); named definitions are 860-byte blocks of the sheet's pool.
#include "core/graph_definition.h"

#include <algorithm>
#include <cstring>

#include "core/format.h"
#include "core/messages.h"
#include "core/pool.h"
#include "core/sheet_state.h"
#include "core/text_case.h"
#include "platform/platform.h"

static_assert(kGraphBlockSize == kGraphSettingsSize);

namespace gl = graph_layout;

namespace {

// Readable defaults of the program part: a distinct palette colour and marker per series.
constexpr uint8_t kSeriesColours[kGraphSeriesCount] = {9, 12, 2, 13, 3, 4};
constexpr uint8_t kFontSizeDefaults[kGraphFontCount] = {16, 12, 10, 10, 8, 8, 10};
constexpr uint8_t kWhite = 15;
constexpr uint8_t kBlack = 0;
constexpr uint8_t kDefaultDivisions = 5;

size_t HeadingAt(int index) { return gl::kHeadings + gl::kHeadingBytes * size_t(index); }
size_t LegendAt(int series) { return gl::kLegends + gl::kLegendBytes * size_t(series - 1); }
size_t FontFaceAt(int kind) { return gl::kFontFaces + gl::kFontFaceBytes * size_t(kind); }

// A view over zeros for out-of-range named-graph indexes; rewritten before every use.
GraphBlock& ScratchBlock() {
  static GraphBlock block{};
  block.fill(0);
  return block;
}

std::string CutName(std::string_view name) {
  return UpperCase(name.substr(0, std::min(name.size(), gl::kNameCapacity)));
}

}  // namespace

// --- accessors -----------------------------------------------------------------------------------

CellRange GraphDefinition::range(int index) const {
  if (index < 0 || index >= kGraphRangeCount) return NoRange();
  const size_t at = gl::kRanges + gl::kRangeBytes * size_t(index);
  return MakeRange(Word(at), Word(at + 2), Word(at + 4), Word(at + 6));
}

void GraphDefinition::setRange(int index, const CellRange& r) {
  if (index < 0 || index >= kGraphRangeCount) return;
  const size_t at = gl::kRanges + gl::kRangeBytes * size_t(index);
  if (!RangeIsValid(r)) {
    for (size_t i = 0; i < gl::kRangeBytes; ++i) b_[at + i] = 0xFF;
    return;
  }
  SetWord(at, r.firstColumn);
  SetWord(at + 2, r.firstRow);
  SetWord(at + 4, r.lastColumn);
  SetWord(at + 6, r.lastRow);
}

uint16_t GraphDefinition::divisionWord(int axis) const {
  return Word(axis == 0 ? gl::kXDivisionWord : gl::kYDivisionWord);
}

void GraphDefinition::setDivisionWord(int axis, uint16_t w) {
  SetWord(axis == 0 ? gl::kXDivisionWord : gl::kYDivisionWord, w);
}

std::string GraphDefinition::heading(int index) const {
  if (index < 0 || index >= kGraphHeadingCount) return {};
  const char* p = reinterpret_cast<const char*>(b_ + HeadingAt(index));
  return std::string(p, strnlen(p, kGraphHeadingCapacity));
}

void GraphDefinition::setHeading(int index, std::string_view text) {
  if (index < 0 || index >= kGraphHeadingCount) return;
  uint8_t* p = b_ + HeadingAt(index);
  std::memset(p, 0, gl::kHeadingBytes);
  std::memcpy(p, text.data(), std::min(text.size(), kGraphHeadingCapacity));
}

std::string GraphDefinition::legend(int series) const {
  if (series < 1 || series > kGraphSeriesCount) return {};
  const char* p = reinterpret_cast<const char*>(b_ + LegendAt(series));
  return std::string(p, strnlen(p, kGraphLegendCapacity));
}

void GraphDefinition::setLegend(int series, std::string_view text) {
  if (series < 1 || series > kGraphSeriesCount) return;
  uint8_t* p = b_ + LegendAt(series);
  std::memset(p, 0, gl::kLegendBytes);
  std::memcpy(p, text.data(), std::min(text.size(), kGraphLegendCapacity));
}

GraphStyle GraphDefinition::style(int entry) const {
  if (entry < 0 || entry >= kGraphStyleCount) return {};
  const uint8_t* p = b_ + gl::kStyles + gl::kStyleBytes * size_t(entry);
  return GraphStyle{p[0], p[1], p[2], p[3], p[4], p[5]};
}

void GraphDefinition::setStyle(int entry, const GraphStyle& s) {
  if (entry < 0 || entry >= kGraphStyleCount) return;
  uint8_t* p = b_ + gl::kStyles + gl::kStyleBytes * size_t(entry);
  p[0] = s.marker;
  p[1] = s.hatch;
  p[2] = s.thickness;
  p[3] = s.lineStyle;
  p[4] = s.foreground;
  p[5] = s.background;
}

std::string GraphDefinition::fontFace(int kind) const {
  if (kind < 0 || kind >= kGraphFontCount) return {};
  return Text(FontFaceAt(kind), kGraphFontFaceCapacity);
}

void GraphDefinition::setFontFace(int kind, std::string_view face) {
  if (kind < 0 || kind >= kGraphFontCount) return;
  SetText(FontFaceAt(kind), kGraphFontFaceCapacity, face);
}

bool GraphDefinition::Drawable() const {
  if (!RangeIsValid(range(kGraphXRange))) return false;
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    if (RangeIsValid(range(s))) return true;
  }
  return false;
}

double GraphDefinition::Real(size_t at) const {
  double d;
  std::memcpy(&d, b_ + at, sizeof d);
  return d;
}

void GraphDefinition::SetReal(size_t at, double v) { std::memcpy(b_ + at, &v, sizeof v); }

std::string GraphDefinition::Text(size_t at, size_t capacity) const {
  const size_t n = std::min<size_t>(b_[at], capacity);
  return std::string(reinterpret_cast<const char*>(b_ + at + 1), n);
}

void GraphDefinition::SetText(size_t at, size_t capacity, std::string_view text) {
  const size_t n = std::min(text.size(), capacity);
  std::memset(b_ + at, 0, capacity + 1);
  b_[at] = uint8_t(n);
  std::memcpy(b_ + at + 1, text.data(), n);
}

// --- reset and loading ---------------------------------------------------------------------------

void ResetGraphProgramPart(GraphDefinition g) {
  std::memset(g.bytes() + gl::kOwn, 0, gl::kOwnSize);
  for (int s = 0; s < kGraphSeriesCount; ++s) {
    g.setStyle(s, GraphStyle{uint8_t(s), 0, 1, 0, kSeriesColours[s], kWhite});
  }
  g.setStyle(kGraphStyleCount - 1, GraphStyle{0, 0, 1, 0, kBlack, kWhite});
  g.setInsideColour(kWhite);
  g.setOutsideColour(kWhite);
  for (int k = 0; k < kGraphFontCount; ++k) {
    g.setFontSize(k, kFontSizeDefaults[k]);
    g.setFontFace(k, "ARIAL");
  }
}

void ResetGraph(GraphDefinition g) {
  std::memset(g.bytes(), 0, gl::kOwn);
  for (int i = 0; i < kGraphRangeCount; ++i) g.setRange(i, NoRange());
  g.setType(kGraphBar);
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    g.setSeriesMarks(s, kSeriesBoth);
    g.setLabelPlace(s, kLabelAbove);
  }
  for (int axis = 0; axis < 2; ++axis) {
    g.setAxisFormat(axis, kFormatGeneral);
    g.setDivisions(axis, kDefaultDivisions);
  }
  ResetGraphProgramPart(g);
  std::memset(g.bytes() + gl::kOwn + gl::kOwnSize, 0, kGraphBlockSize - gl::kOwn - gl::kOwnSize);
}

bool AllZero(const uint8_t* data, size_t size) {
  return std::all_of(data, data + size, [](uint8_t b) { return b == 0; });
}

std::array<uint8_t, gl::kOwnSize> GraphProgramRecord(const GraphDefinition& g) {
  std::array<uint8_t, gl::kOwnSize> out;
  std::memcpy(out.data(), g.bytes() + gl::kOwn, gl::kOwnSize);
  std::memset(out.data() + (gl::kNameCopy - gl::kOwn), 0, gl::kNameCapacity + 1);
  const std::string name = g.name();
  out[gl::kNameCopy - gl::kOwn] = uint8_t(name.size());
  std::memcpy(out.data() + (gl::kNameCopy - gl::kOwn) + 1, name.data(), name.size());
  return out;
}

void ReadGraphProgramRecord(GraphDefinition g, const uint8_t* data, bool takeName) {
  if (AllZero(data, gl::kOwnSize)) return;
  std::memcpy(g.bytes() + gl::kOwn, data, gl::kOwnSize);
  const uint8_t length = data[gl::kNameCopy - gl::kOwn];
  if (takeName && length <= gl::kNameCapacity) {
    g.setName(std::string_view(reinterpret_cast<const char*>(data) + (gl::kNameCopy - gl::kOwn) + 1,
                               length));
  }
  std::memset(g.bytes() + gl::kNameCopy, 0, gl::kNameCapacity + 1);
}

void NormalizeLoadedGraph(GraphDefinition g) {
  if (AllZero(g.bytes() + gl::kWk1Data, gl::kWk1DataSize)) {
    const std::string name = g.name();
    GraphBlock program;
    std::memcpy(program.data(), g.bytes() + gl::kOwn, gl::kOwnSize);
    ResetGraph(g);
    g.setName(name);
    if (!AllZero(program.data(), gl::kOwnSize)) {
      std::memcpy(g.bytes() + gl::kOwn, program.data(), gl::kOwnSize);
    }
  }
  for (int axis = 0; axis < 2; ++axis) {
    if (g.divisions(axis) < 2) g.setDivisions(axis, kDefaultDivisions);
  }
}

// --- the current sheet's definitions -------------------------------------------------------------

GraphDefinition CurrentGraph() { return GraphDefinition(CurrentSheet().graphSettings.data()); }

int NamedGraphCount() { return CurrentSheet().graphCount; }

GraphDefinition NamedGraph(int index) {
  SheetState& sheet = CurrentSheet();
  if (index < 1 || index > sheet.graphCount || !sheet.graphTable[size_t(index)]) {
    return GraphDefinition(ScratchBlock().data());
  }
  return GraphDefinition(PoolPtr(sheet.graphTable[size_t(index)]));
}

int FindNamedGraph(std::string_view name) {
  for (int i = 1; i <= NamedGraphCount(); ++i) {
    if (SameTextIgnoringCase(NamedGraph(i).name(), name)) return i;
  }
  return 0;
}

GraphNameResult StoreNamedGraph(std::string_view name) {
  if (name.empty()) {
    ThePlatform().Beep();
    return GraphNameResult::kEmptyName;
  }
  if (name.front() == '*') return GraphNameResult::kIgnored;
  const std::string stored = CutName(name);
  SheetState& sheet = CurrentSheet();
  int index = FindNamedGraph(stored);
  if (index == 0) {
    if (sheet.graphCount >= kMaxNamedGraphs) {
      ShowError("Max Graph Names Exceeded");
      return GraphNameResult::kFull;
    }
    const PoolHandle h = PoolAlloc(kGraphBlockSize);
    if (!h) return GraphNameResult::kNoMemory;
    index = ++sheet.graphCount;
    sheet.graphTable[size_t(index)] = h;
  }
  CurrentGraph().setName(stored);
  std::memcpy(PoolPtr(sheet.graphTable[size_t(index)]), sheet.graphSettings.data(),
              kGraphBlockSize);
  return GraphNameResult::kDone;
}

GraphNameResult UseNamedGraph(std::string_view name) {
  const int index = FindNamedGraph(name);
  if (index == 0) return GraphNameResult::kNotFound;
  std::memcpy(CurrentSheet().graphSettings.data(), NamedGraph(index).bytes(), kGraphBlockSize);
  return GraphNameResult::kDone;
}

GraphNameResult DeleteNamedGraph(std::string_view name) {
  const int index = FindNamedGraph(name);
  if (index == 0) return GraphNameResult::kNotFound;
  SheetState& sheet = CurrentSheet();
  PoolFree(sheet.graphTable[size_t(index)], kGraphBlockSize);
  for (int i = index; i < sheet.graphCount; ++i) {
    sheet.graphTable[size_t(i)] = sheet.graphTable[size_t(i) + 1];
  }
  sheet.graphTable[size_t(sheet.graphCount)] = kNoBlock;
  --sheet.graphCount;
  return GraphNameResult::kDone;
}

void RemoveAllNamedGraphs() {
  SheetState& sheet = CurrentSheet();
  for (int i = 1; i <= sheet.graphCount; ++i) {
    if (sheet.graphTable[size_t(i)]) PoolFree(sheet.graphTable[size_t(i)], kGraphBlockSize);
    sheet.graphTable[size_t(i)] = kNoBlock;
  }
  sheet.graphCount = 0;
}

GraphNameResult MergeNamedGraph(std::string_view name) {
  const int index = FindNamedGraph(name);
  if (index == 0) return GraphNameResult::kNotFound;
  const GraphDefinition from = NamedGraph(index);
  GraphDefinition to = CurrentGraph();
  for (int i = 0; i < kGraphRangeCount; ++i) {
    if (RangeIsValid(from.range(i))) to.setRange(i, from.range(i));
  }
  for (int h = 0; h < kGraphHeadingCount; ++h) {
    if (!from.heading(h).empty()) to.setHeading(h, from.heading(h));
  }
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    if (!from.legend(s).empty()) to.setLegend(s, from.legend(s));
  }
  return GraphNameResult::kDone;
}

bool QuickGraph(const CellRange& area) {
  if (!RangeIsValid(area)) return false;
  const uint16_t left = std::min(area.firstColumn, area.lastColumn);
  const uint16_t right = std::max(area.firstColumn, area.lastColumn);
  const uint16_t top = std::min(area.firstRow, area.lastRow);
  const uint16_t bottom = std::max(area.firstRow, area.lastRow);
  GraphDefinition g = CurrentGraph();
  ResetGraph(g);
  for (int i = 0; i <= kGraphSeriesCount && left + i <= right; ++i) {
    const uint16_t column = uint16_t(left + i);
    g.setRange(i, MakeRange(column, top, column, bottom));
  }
  return true;
}

void ForEachGraphRange(const std::function<void(CellRange&)>& visit) {
  auto adjust = [&](GraphDefinition g) {
    for (int i = 0; i < kGraphRangeCount; ++i) {
      CellRange r = g.range(i);
      if (!RangeIsValid(r)) continue;
      visit(r);
      g.setRange(i, r);
    }
  };
  adjust(CurrentGraph());
  for (int i = 1; i <= NamedGraphCount(); ++i) adjust(NamedGraph(i));
}
