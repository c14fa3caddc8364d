// core/graph_edits.cpp — checked edits of the current graph definition.
//
// Reads and writes: the current sheet's graph definition and named graphs.
#include "core/graph_edits.h"

#include <string>
#include <vector>

#include "core/graph_definition.h"
#include "core/text_case.h"

namespace {

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

bool EditGraphType(int type) {
  if (!InRange(type, 0, kGraphTypeCount - 1)) return false;
  CurrentGraph().setType(uint8_t(type));
  return true;
}

bool EditGraphSeries(int series, const CellRange& range) {
  if (!InRange(series, 0, kGraphSeriesCount)) return false;
  CurrentGraph().setRange(series, range);
  return true;
}

bool EditGraphLabel(int series, const CellRange& range, int place) {
  if (!InRange(series, 1, kGraphSeriesCount) || !InRange(place, kLabelAbove, kLabelNone)) {
    return false;
  }
  GraphDefinition g = CurrentGraph();
  g.setRange(kGraphLabelRange1 + series - 1, range);
  g.setLabelPlace(series, uint8_t(place));
  return true;
}

bool EditGraphLegend(int series, std::string_view text, std::optional<int> kind) {
  if (!InRange(series, 1, kGraphSeriesCount) || (kind && !InRange(*kind, 0, 1))) return false;
  GraphDefinition g = CurrentGraph();
  g.setLegend(series, text);
  if (kind) g.setTableLegend(*kind == 1);
  return true;
}

bool EditGraphHeading(int heading, std::string_view text) {
  if (!InRange(heading, 0, kGraphHeadingCount - 1)) return false;
  CurrentGraph().setHeading(heading, text);
  return true;
}

bool EditGraphScale(int axis, std::optional<double> lower, std::optional<double> upper) {
  if (!InRange(axis, 0, 1) || lower.has_value() != upper.has_value()) return false;
  GraphDefinition g = CurrentGraph();
  g.setManualScale(axis, lower.has_value());
  if (lower) {
    g.setLowerLimit(axis, *lower);
    g.setUpperLimit(axis, *upper);
  }
  return true;
}

bool EditGraphOptions(std::string_view items, char separator) {
  // Parsed completely first, so that a bad item changes nothing.
  struct Item {
    char key;
    char value;
  };
  std::vector<Item> parsed;
  while (!items.empty()) {
    const size_t end = items.find(separator);
    const std::string item = UpperCase(Trimmed(items.substr(0, end)));
    items = end == std::string_view::npos ? std::string_view() : items.substr(end + 1);
    if (item.empty()) continue;
    if (item.size() != 2) return false;
    const char key = item[0];
    const char value = item[1];
    bool ok = false;
    if (key == 'G') {
      ok = value >= '0' && value <= '3';
    } else if (key == 'S' || key == 'T' || key == 'X' || key == 'Y') {
      ok = value == 'Y' || value == 'N';
    } else if (key >= '1' && key <= '6') {
      ok = value == 'N' || value == 'L' || value == 'S' || value == 'B';
    }
    if (!ok) return false;
    parsed.push_back({key, value});
  }
  GraphDefinition g = CurrentGraph();
  for (const Item& item : parsed) {
    const bool yes = item.value == 'Y';
    switch (item.key) {
      case 'G':
        g.setGridLines(uint8_t(item.value - '0'));
        break;
      case 'S':
        g.setSolidGrid(yes);
        break;
      case 'T':
        g.setTableLegend(yes);
        break;
      case 'X':
        g.setLogarithmicX(yes);
        break;
      case 'Y':
        g.setLogarithmicY(yes);
        break;
      default: {
        const std::string_view marks = "NLSB";
        g.setSeriesMarks(item.key - '0', uint8_t(marks.find(item.value)));
        break;
      }
    }
  }
  return true;
}

bool EditGraphFont(int kind, int size, std::optional<std::string_view> face) {
  if (!InRange(kind, 0, kGraphFontCount - 1) || !InRange(size, 1, 255)) return false;
  GraphDefinition g = CurrentGraph();
  g.setFontSize(kind, uint8_t(size));
  if (face) g.setFontFace(kind, *face);
  return true;
}

bool EditGraphName(int action, std::string_view name) {
  switch (action) {
    case 0:
      StoreNamedGraph(name);
      return true;
    case 1:
      return UseNamedGraph(name) == GraphNameResult::kDone;
    case 2:
      return DeleteNamedGraph(name) == GraphNameResult::kDone;
    case 3:
      RemoveAllNamedGraphs();
      return true;
    case 4:
      return MergeNamedGraph(name) == GraphNameResult::kDone;
    case 5:
      ResetGraph(CurrentGraph());
      return true;
    case 6: {
      if (name.empty()) {
        CurrentGraph().setOverlay("");
        return true;
      }
      const int index = FindNamedGraph(name);
      if (index == 0) return false;
      CurrentGraph().setOverlay(NamedGraph(index).name());
      return true;
    }
    default:
      return false;
  }
}
