// graph/graph_draw.cpp — draws graph definitions with QPainter (see graph_draw.h).
//
// A paint copies the definition into a local block, reads its ranges from the cell store, works
// out the ranges and the layout with graph_geometry.h and draws background, headings, axes,
// series, data labels, the overlay and the legend, in that order. The overlay is drawn into the
// same plot with its own scaling (series and data labels only), at most two levels deep.
// State: GraphDrawState below. Reads: the current sheet's cells and graph definitions.
#include "graph/graph_draw.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/charset.h"
#include "core/format.h"
#include "core/graph_definition.h"
#include "core/palette.h"
#include "graph/graph_geometry.h"

namespace {

// Where an element of the last drawing lies: a box, a filled shape, or a line of points (NaN
// breaks it) that is hit near its segments, or near its points alone when `joined` is false.
struct ElementShape {
  GraphElement element;
  QRectF box;
  QPainterPath path;
  std::vector<QPointF> line;
  bool joined = true;
};

struct GraphDrawState {
  double viewAngle = 0;
  GraphPlotFrame lastFrame;
  std::vector<ElementShape> elements;  // in drawing order
};

GraphDrawState& DrawState() {
  static GraphDrawState state;
  return state;
}

constexpr double kPi = std::numbers::pi;
constexpr int kMaxOverlayLevels = 2;
// The "&Graph" menu tags of the settings pages that hold an element's attributes.
constexpr int kRangesPage = 1, kOptionsPage = 2, kScalePage = 3, kHeadingsPage = 5,
              kLegendsPage = 8;
constexpr int kOther = kGraphStyleCount - 1;
// Text kinds.
enum TextKind { kMainText, kSecondText, kXHeadingText, kYHeadingText, kValueText, kLabelText,
                kLegendText };

QColor PaletteQColor(int index) {
  const PaletteColour& c = kPalette[size_t(index) & 15];
  return QColor(c.red, c.green, c.blue);
}

QString SheetText(std::string_view bytes) {
  return QString::fromStdString(Windows1252ToUtf8(bytes));
}

QString Trimmed(const std::string& text) { return SheetText(text).trimmed(); }

// The cells of a range, row by row and within a row column by column.
template <typename Visit>
void VisitRange(const CellRange& range, Visit visit) {
  CellRange r;
  if (!OrderedOnSheet(range, &r)) return;
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
      visit(GetCell(row, column));
    }
  }
}

double CellValue(CellHandle h) {
  if (!h) return std::nan("");
  const CellRecord* c = CellAt(h);
  if (!KindIsNumeric(c->kind) || (c->kind & kKindErrorMark)) return std::nan("");
  const double v = CellNumber(c);
  return std::isfinite(v) ? v : std::nan("");
}

// The display text of a cell for X categories and data labels.
std::string CellLabel(CellHandle h, uint8_t numberFormat) {
  if (!h) return {};
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind & kKindMask;
  if (c->kind & kKindErrorMark) return "ERR";
  if (kind == uint8_t(CellKind::kLabel)) {
    std::string text = PoolText(c->text);
    if (!text.empty()) text.erase(0, 1);
    return text;
  }
  if (kind == uint8_t(CellKind::kStringFormula)) return PoolText(CellStringResult(c));
  if (KindIsNumeric(kind)) {
    uint8_t format = c->format & kFormatCodeMask;
    if (format == kFormatDefault || format == kFormatGeneral) format = numberFormat;
    return FormatValue(12, format, CellNumber(c));
  }
  return {};
}

SeriesValues RangeValues(const CellRange& range) {
  SeriesValues out;
  VisitRange(range, [&](CellHandle h) { out.push_back(CellValue(h)); });
  return out;
}

std::vector<std::string> RangeLabels(const CellRange& range, uint8_t numberFormat) {
  std::vector<std::string> out;
  VisitRange(range, [&](CellHandle h) { out.push_back(CellLabel(h, numberFormat)); });
  return out;
}

struct Series {
  int number = 0;  // 1..6
  SeriesValues values;
  std::vector<std::string> labels;  // empty without a data-label range
  GraphStyle style;
};

struct DataLabel {
  DataLabel(QPointF where, int seriesNumber, int pointIndex)
      : at(where), series(seriesNumber), point(pointIndex) {}
  QPointF at;
  int series = 0;
  int point = 0;
  QRectF under;        // a solid bar the label may stand on
  QColor underColour;  // and its colour
};

// Everything one paint works with.
struct Paint {
  QPainter& p;
  GraphDefinition g;
  double scale = 1;
  int level = 0;  // 0 the graph itself, 1.. overlays
  QRectF area;
  int type = 0;
  GraphTypeClasses classes;
  SeriesValues xValues;
  std::vector<std::string> xTexts;
  std::vector<Series> series;  // defined ones, 1..6
  AxisLimits x, y;
  bool logX = false, logY = false;
  int xDivisions = 5, yDivisions = 5;
  QRectF plot;
  QPointF back;       // shift of the back plane (right, up as a negative y)
  QPointF seriesStep; // depth shift between two series drawn in depth
  bool deeperIsFarther = true;  // more depth lies away from the viewer: draw it first
  // Offsets of the far and the near plane of the 3-D box around the plot (one of them 0).
  QPointF Far() const { return deeperIsFarther ? back : QPointF(); }
  QPointF Near() const { return deeperIsFarther ? QPointF() : back; }
  double depth = 20;  // 3-D depth unit in pixels
  double offset = 6;  // 3-D offset unit in pixels
  std::vector<DataLabel> dataLabels;
  int contourRows = 0, contourColumns = 0;
  // The overlay of a top-level graph, read and scaled, for its legend entries and its own Y
  // labels at the right of the plot; null without one.
  const struct Paint* overlay = nullptr;

  Paint(QPainter& painter, GraphDefinition def) : p(painter), g(def) {}

  QFont Font(int kind) const {
    QFont f(GraphFontFamily(g.fontFace(kind)));
    // Sizes are points; a point is 4/3 of a pixel at the screen's 96 pixels an inch.
    f.setPixelSize(std::max(1, int(std::lround(std::max<int>(g.fontSize(kind), 1) * scale * 4 / 3))));
    if (kind == kMainText) f.setBold(true);
    return f;
  }
  QColor Foreground(int entry) const { return PaletteQColor(g.style(entry).foreground); }
  QColor TextColour() const { return Foreground(kOther); }

  double Px(double v) const {
    if (logX) {
      if (v <= 0) return std::nan("");
      return plot.left() + std::log10(v / x.min) / std::log10(x.max / x.min) * plot.width();
    }
    return plot.left() + (v - x.min) * PixelsPerUnit(plot.width(), x.max - x.min);
  }
  double Py(double v) const {
    if (logY) {
      if (v <= 0) return std::nan("");
      return plot.bottom() - std::log10(v / y.min) / std::log10(y.max / y.min) * plot.height();
    }
    return plot.bottom() - (v - y.min) * PixelsPerUnit(plot.height(), y.max - y.min);
  }
  // Centre of category `c` (1-based).
  double CategoryCentre(double c) const {
    const double span = x.max - x.min;
    return plot.left() + (c - x.min + 0.5) * PixelsPerUnit(plot.width(), span);
  }
  int CategoryCount() const { return int(xTexts.size()); }
  // The value bars grow from: 0 within the axis, or the bottom of a logarithmic axis.
  double Baseline() const {
    if (logY) return y.min;
    return std::clamp(0.0, std::min(y.min, y.max), std::max(y.min, y.max));
  }
};

QString GraphText(const std::string& bytes) { return SheetText(bytes); }

// Adds an element of a top-level graph (overlays add none) for GraphElementAt; the caller sets
// its shape. Null for an overlay.
ElementShape* Record(const Paint& s, const QString& name, int settingsTag) {
  if (s.level != 0) return nullptr;
  std::vector<ElementShape>& list = DrawState().elements;
  list.push_back(ElementShape{});
  list.back().element = GraphElement{name, settingsTag};
  return &list.back();
}

QString SeriesName(int number) { return QStringLiteral("Series %1").arg(number); }

QPen SeriesPen(const Paint& s, const GraphStyle& st) {
  static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                         Qt::DashDotLine, Qt::DashDotDotLine, Qt::CustomDashLine};
  static const double kWidths[] = {1, 2, 3, 4, 6};
  QPen pen(PaletteQColor(st.foreground));
  pen.setWidthF(kWidths[std::min<int>(st.thickness, 4)] * s.scale);
  const int style = std::min<int>(st.lineStyle, 5);
  if (style == 5) {
    pen.setDashPattern({8, 3});
  } else {
    pen.setStyle(kStyles[style]);
  }
  return pen;
}

Qt::BrushStyle HatchStyle(int hatch) {
  static const Qt::BrushStyle kHatches[] = {
      Qt::SolidPattern,   Qt::HorPattern,       Qt::VerPattern,      Qt::FDiagPattern,
      Qt::BDiagPattern,   Qt::CrossPattern,     Qt::DiagCrossPattern, Qt::Dense4Pattern};
  return kHatches[std::clamp(hatch, 0, 7)];
}

// Fills `path` with colour `colour` in `hatch` over `background`, outlined with `outline`.
void FillHatched(QPainter& p, const QPainterPath& path, const QColor& colour, int hatch,
                 const QColor& background, const QPen& outline) {
  if (HatchStyle(hatch) != Qt::SolidPattern) p.fillPath(path, background);
  p.fillPath(path, QBrush(colour, HatchStyle(hatch)));
  p.strokePath(path, outline);
}

QColor Darker(const QColor& c) { return c.darker(150); }

QPen OutlinePen(const Paint& s) {
  QPen pen(s.TextColour());
  pen.setWidthF(std::max(1.0, s.scale * 0.75));
  return pen;
}

// The 16 markers: filled and open squares, circles, diamonds and triangles, plus, cross, star,
// hourglass, dot and dash.
void DrawMarker(QPainter& p, QPointF c, int kind, double size, const QColor& colour) {
  const double r = size / 2;
  QPen pen(colour);
  pen.setWidthF(std::max(1.0, size / 8));
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const bool filled = kind == 0 || kind == 8 || kind == 9 || kind == 10 || kind == 12;
  if (filled) p.setBrush(colour);
  auto poly = [&](std::initializer_list<QPointF> points) {
    QPolygonF shape;
    for (QPointF q : points) shape << c + q;
    p.drawPolygon(shape);
  };
  switch (kind & 15) {
    case 0:
    case 3: p.drawRect(QRectF(c.x() - r, c.y() - r, size, size)); break;
    case 1:
      p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
      p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
      break;
    case 2:
      p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
      p.drawLine(QPointF(c.x() - r * 0.7, c.y() - r * 0.7), QPointF(c.x() + r * 0.7, c.y() + r * 0.7));
      p.drawLine(QPointF(c.x() - r * 0.7, c.y() + r * 0.7), QPointF(c.x() + r * 0.7, c.y() - r * 0.7));
      break;
    case 4:
      p.drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() + r));
      p.drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() - r));
      break;
    case 5:
    case 9: poly({{0, -r}, {r, 0}, {0, r}, {-r, 0}}); break;
    case 6:
    case 10: poly({{0, -r}, {r, r}, {-r, r}}); break;
    case 7:
    case 8: p.drawEllipse(c, r, r); break;
    case 11:
    case 12: poly({{-r, -r}, {r, -r}, {0, r}}); break;
    case 13: poly({{-r, -r}, {r, -r}, {-r, r}, {r, r}}); break;
    case 14:
      p.setBrush(colour);
      p.drawEllipse(c, r / 2.5, r / 2.5);
      break;
    default: p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y())); break;
  }
}

// A run of many more points than pixels, reduced to at most four points per pixel column (the
// first, the lowest, the highest and the last, in order): the same pixels, far less stroking.
QPolygonF ThinnedRun(const QPolygonF& run) {
  if (run.size() < 2048) return run;
  QPolygonF out;
  out.reserve(4096);
  qsizetype i = 0;
  while (i < run.size()) {
    const long column = std::lround(run[i].x());
    qsizetype end = i;
    qsizetype low = i, high = i;
    while (end < run.size() && std::lround(run[end].x()) == column) {
      if (run[end].y() < run[low].y()) low = end;
      if (run[end].y() > run[high].y()) high = end;
      ++end;
    }
    out << run[i];
    if (std::min(low, high) != i) out << run[std::min(low, high)];
    if (std::max(low, high) != std::min(low, high)) out << run[std::max(low, high)];
    if (end - 1 != std::max(low, high) && end - 1 != i) out << run[end - 1];
    i = end;
  }
  return out;
}

// A run of thousands of points is drawn without antialiasing: smoothing thousands of short
// segments costs ten times the drawing and shows nothing at that density. A solid pen draws it
// as one vertical span per pixel column, which is what the line covers there; other pens draw
// the run thinned to a few points per column.
void DrawRun(QPainter& p, const QPolygonF& run) {
  if (run.size() < 2048) {
    p.drawPolyline(run);
    return;
  }
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  const QPen pen = p.pen();
  if (pen.style() == Qt::SolidLine) {
    std::vector<PlotPoint> points;
    points.reserve(size_t(run.size()));
    for (const QPointF& q : run) points.push_back({q.x(), q.y()});
    const DenseLine line = DenseLineSpans(points);
    // Whole pixels: a span of a one-pixel pen covers its own column and no other.
    const int w = std::max(1, int(std::lround(pen.widthF())));
    const QColor colour = pen.color();
    for (const ColumnSpan& span : line.spans) {
      const int top = int(std::lround(span.low)) - w / 2;
      const int bottom = int(std::lround(span.high)) + (w - 1) / 2;
      p.fillRect(QRect(int(span.column) - w / 2, top, w, bottom - top + 1), colour);
    }
    for (const auto& [from, to] : line.segments) p.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
  } else {
    p.drawPolyline(ThinnedRun(run));
  }
  p.restore();
}

// Joins and/or marks the points of one series; a NaN point breaks the line.
void DrawPointRun(Paint& s, const Series& series, const std::vector<QPointF>& points,
                  bool closed = false) {
  const uint8_t marks = s.classes.linesSymbols ? s.g.seriesMarks(series.number) : uint8_t(kSeriesLines);
  QPainter& p = s.p;
  if (ElementShape* e = Record(s, SeriesName(series.number), kOptionsPage)) {
    e->line = points;
    if (closed && !points.empty()) e->line.push_back(points.front());
    e->joined = (marks & kSeriesLines) != 0;
  }
  if (marks & kSeriesLines) {
    p.setPen(SeriesPen(s, series.style));
    p.setBrush(Qt::NoBrush);
    QPolygonF run;
    bool broken = false;
    // A closed line with a gap still joins its last point to its first: it is drawn from the
    // point after the first gap round to that gap.
    const auto isGap = [](const QPointF& q) { return std::isnan(q.x()) || std::isnan(q.y()); };
    const auto gap = std::find_if(points.begin(), points.end(), isGap);
    std::vector<QPointF> rotated;
    if (closed && gap != points.end()) {
      rotated.assign(gap + 1, points.end());
      rotated.insert(rotated.end(), points.begin(), gap + 1);
    }
    for (const QPointF& q : rotated.empty() ? points : rotated) {
      if (std::isnan(q.x()) || std::isnan(q.y())) {
        if (run.size() > 1) DrawRun(p, run);
        run.clear();
        broken = true;
        continue;
      }
      run << q;
    }
    if (closed && !broken && run.size() > 2) {
      p.drawPolygon(run);
    } else if (run.size() > 1) {
      DrawRun(p, run);
    }
  }
  if (marks & kSeriesSymbols) {
    // The marker is drawn once into a small image and stamped on every point.
    const double size = 7 * s.scale;
    const QColor colour = PaletteQColor(series.style.foreground);
    const int side = int(std::ceil(size + 2 * std::max(1.0, size / 8))) + 2;
    QImage stamp(side, side, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    {
      QPainter sp(&stamp);
      sp.setRenderHint(QPainter::Antialiasing, true);
      DrawMarker(sp, QPointF(side / 2.0, side / 2.0), series.style.marker, size, colour);
    }
    const QPointF half(side / 2.0, side / 2.0);
    // A clip to the plot keeps lines in; a point on its edge still shows its whole marker.
    if (p.hasClipping()) p.setClipRect(p.clipBoundingRect().adjusted(-side / 2.0, -side / 2.0, side / 2.0, side / 2.0));
    // A marker on a pixel that already has one, or next to the one just stamped, adds nothing
    // that can be seen.
    QSet<qint64> stamped;
    QPointF previous(std::nan(""), std::nan(""));
    for (const QPointF& q : points) {
      if (std::isnan(q.x()) || std::isnan(q.y())) continue;
      if (std::fabs(q.x() - previous.x()) <= 1 && std::fabs(q.y() - previous.y()) <= 1) continue;
      const qint64 key = (qint64(std::lround(q.x())) << 32) ^ qint64(uint32_t(std::lround(q.y())));
      if (stamped.contains(key)) continue;
      stamped.insert(key);
      previous = q;
      p.drawImage(q - half, stamp);
    }
  }
}

void RecordLabels(Paint& s, const Series& series, const std::vector<QPointF>& points) {
  if (series.labels.empty()) return;
  for (size_t i = 0; i < points.size() && i < series.labels.size(); ++i) {
    if (std::isnan(points[i].x()) || std::isnan(points[i].y())) continue;
    s.dataLabels.push_back(DataLabel{points[i], series.number, int(i)});
  }
}

// --- reading and ranges ------------------------------------------------------------------------

void ReadData(Paint& s) {
  s.xValues = RangeValues(s.g.range(kGraphXRange));
  s.xTexts = RangeLabels(s.g.range(kGraphXRange), s.g.axisFormat(0));
  for (int k = 1; k <= kGraphSeriesCount; ++k) {
    const CellRange r = s.g.range(k);
    if (!RangeIsValid(r)) continue;
    Series series;
    series.number = k;
    series.values = RangeValues(r);
    series.style = s.g.style(k - 1);
    const CellRange labels = s.g.labelRange(k);
    if (RangeIsValid(labels)) series.labels = RangeLabels(labels, s.g.axisFormat(1));
    if (s.classes.categories || s.type == kGraphBar3D || s.type == kGraphStack3D) {
      if (series.values.size() > s.xTexts.size()) series.values.resize(s.xTexts.size());
    }
    s.series.push_back(std::move(series));
  }
  if (s.type == kGraphContour && !s.series.empty()) {
    CellRange r;
    if (OrderedOnSheet(s.g.range(s.series.front().number), &r)) {
      s.contourRows = r.lastRow - r.firstRow + 1;
      s.contourColumns = r.lastColumn - r.firstColumn + 1;
    }
  }
}

void ComputeRanges(Paint& s) {
  const GraphDefinition& g = s.g;
  s.xDivisions = DivisionCount(g.divisions(0));
  s.yDivisions = DivisionCount(g.divisions(1));
  if (s.type == kGraphContour) {
    s.x = AxisLimits{1, double(s.contourColumns) + 1};
    s.y = AxisLimits{1, double(s.contourRows) + 1};
    s.xDivisions = std::max(s.contourColumns, 1);
    s.yDivisions = std::max(s.contourRows, 1);
    return;
  }
  if (s.classes.numericX && s.type != kGraphRadar) {
    s.x = NumericXRange(s.xValues, g.manualScale(0), g.lowerLimit(0), g.upperLimit(0));
    s.logX = g.logarithmicX() && !s.classes.polar;
  } else {
    s.x = CategoryXRange(int(s.xTexts.size()));
  }
  std::vector<SeriesValues> values;
  for (const Series& series : s.series) values.push_back(series.values);
  s.y = AutomaticYRange(s.type, values);
  if (g.manualScale(1)) s.y = AxisLimits{g.lowerLimit(1), g.upperLimit(1)};
  s.logY = g.logarithmicY() && !s.classes.noAxes && !s.classes.polar;
  if (s.logX) {
    AxisLimits positive;
    if (!PositiveSpan(g.manualScale(0) ? SeriesValues{s.x.min, s.x.max} : s.xValues, &positive)) {
      positive = AxisLimits{1, 10};
    }
    const LogLimits l = LogarithmicLimits(positive, false);
    s.x = AxisLimits{l.lower, l.upper};
    s.xDivisions = l.decades;
  }
  if (s.logY) {
    AxisLimits positive{1, 10};
    bool any = false;
    if (g.manualScale(1)) {
      any = PositiveSpan({s.y.min, s.y.max}, &positive);
    } else {
      for (const SeriesValues& v : values) {
        AxisLimits span;
        if (!PositiveSpan(v, &span)) continue;
        positive = any ? AxisLimits{std::min(positive.min, span.min), std::max(positive.max, span.max)}
                       : span;
        any = true;
      }
    }
    if (!any) positive = AxisLimits{1, 10};
    const LogLimits l = LogarithmicLimits(positive, true);
    s.y = AxisLimits{l.lower, l.upper};
    s.yDivisions = l.decades;
  }
  if (!std::isfinite(s.x.min) || !std::isfinite(s.x.max)) s.x = AxisLimits{0, 1};
  if (!std::isfinite(s.y.min) || !std::isfinite(s.y.max)) s.y = AxisLimits{0, 1};
  // A range of no width counts as one unit wide, so that the axis still has room to show it.
  if (s.x.max == s.x.min) s.x.max = s.x.min + 1;
  if (s.y.max == s.y.min) s.y.max = s.y.min + 1;
}

// --- layout, background, headings, axes --------------------------------------------------------

QString AxisText(uint8_t format, double v) {
  if (std::fabs(v) < 1e-12) v = 0;
  return Trimmed(FormatValue(12, format, v));
}

// The series with legend texts, the graph's own first, then its overlay's.
struct LegendItem {
  const Paint* owner;
  const Series* series;
  QString Text() const { return GraphText(owner->g.legend(series->number)); }
};
std::vector<LegendItem> LegendItems(const Paint& s) {
  std::vector<LegendItem> items;
  for (const Paint* owner : {&s, s.overlay}) {
    if (!owner) continue;
    for (const Series& series : owner->series) {
      if (!owner->g.legend(series.number).empty()) items.push_back({owner, &series});
    }
  }
  return items;
}

bool HasLegend(const Paint& s) { return !LegendItems(s).empty() || s.type == kGraphContour; }

// True when the overlay of `s` has a Y axis of its own to label at the right of the plot.
bool OverlayHasAxis(const Paint& s) {
  return s.overlay && !s.overlay->classes.noAxes && !s.overlay->classes.polar && !s.classes.noAxes &&
         !s.classes.polar;
}

void LayOut(Paint& s) {
  const double pad = 8 * s.scale;
  QRectF r = s.area.adjusted(pad, pad, -pad, -pad);
  for (int h : {0, 1}) {
    if (!s.g.heading(h).empty()) r.setTop(r.top() + QFontMetricsF(s.Font(h)).height() * 1.2);
  }
  if (HasLegend(s)) {
    const QFontMetricsF legend(s.Font(kLegendText));
    if (s.g.tableLegend() || s.type == kGraphContour) {
      double widest = 0;
      for (const LegendItem& item : LegendItems(s)) widest = std::max(widest, legend.horizontalAdvance(item.Text()));
      if (s.type == kGraphContour) widest = std::max(widest, legend.horizontalAdvance("-00000.00"));
      r.setRight(r.right() - widest - legend.height() * 2.5);
    } else {
      r.setBottom(r.bottom() - legend.height() * 1.6);
    }
  }
  if (s.classes.noAxes) {
    s.plot = r;
    return;
  }
  if (!s.g.heading(2).empty()) r.setBottom(r.bottom() - QFontMetricsF(s.Font(kXHeadingText)).height() * 1.3);
  if (!s.g.heading(3).empty()) r.setLeft(r.left() + QFontMetricsF(s.Font(kYHeadingText)).height() * 1.3);
  const QFontMetricsF values(s.Font(kValueText));
  if (s.classes.polar) {
    r.adjust(values.height() * 2, values.height() * 1.5, -values.height() * 2, -values.height() * 1.5);
    const double side = std::min(r.width(), r.height());
    s.plot = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    return;
  }
  double widest = 0;
  for (double v : AxisTicks(s.y, s.yDivisions, s.logY)) {
    widest = std::max(widest, values.horizontalAdvance(AxisText(s.g.axisFormat(1), v)));
  }
  r.setLeft(r.left() + widest + 6 * s.scale);
  r.setBottom(r.bottom() - values.height() * 1.4);
  r.setRight(r.right() - values.averageCharWidth() * 3);
  if (OverlayHasAxis(s)) {
    const Paint& o = *s.overlay;
    double overlayWidest = 0;
    for (double v : AxisTicks(o.y, o.yDivisions, o.logY)) {
      overlayWidest = std::max(overlayWidest, values.horizontalAdvance(AxisText(o.g.axisFormat(1), v)));
    }
    r.setRight(r.right() - overlayWidest - 6 * s.scale);
  }
  r.setTop(r.top() + values.height() / 2);
  if (s.classes.threeD) {
    const int layers = (s.type == kGraphStrip3D || s.type == kGraphWall3D)
                           ? std::max<int>(int(s.series.size()), 1)
                           : 1;
    const double unit = std::min(s.depth, std::min(r.width(), r.height()) / (3.0 * layers));
    const DepthStep step = DepthAxis(unit, GraphViewAngle());
    s.seriesStep = QPointF(step.across, step.down);
    s.deeperIsFarther = step.deeperIsFarther;
    s.back = s.seriesStep * layers;
    r.setTop(r.top() + std::max(0.0, -s.back.y()));
    r.setBottom(r.bottom() - std::max(0.0, s.back.y()));
    r.setRight(r.right() - std::max(0.0, s.back.x()));
    r.setLeft(r.left() + std::max(0.0, -s.back.x()));
  }
  s.plot = r;
}

void DrawHeadings(Paint& s) {
  QPainter& p = s.p;
  p.setPen(s.TextColour());
  const double pad = 8 * s.scale;
  double top = s.area.top() + pad;
  for (int h : {0, 1}) {
    const std::string text = s.g.heading(h);
    if (text.empty()) continue;
    p.setFont(s.Font(h));
    const double height = QFontMetricsF(p.font()).height() * 1.2;
    p.drawText(QRectF(s.area.left(), top, s.area.width(), height), Qt::AlignHCenter | Qt::AlignVCenter,
               GraphText(text));
    if (ElementShape* e = Record(s, h == 0 ? QStringLiteral("Main Heading") : QStringLiteral("Second Heading"),
                                 kHeadingsPage)) {
      const double width = QFontMetricsF(p.font()).horizontalAdvance(GraphText(text));
      e->box = QRectF(s.area.center().x() - width / 2, top, width, height);
    }
    top += height;
  }
  if (s.classes.noAxes) return;
  const QFontMetricsF values(s.Font(kValueText));
  if (!s.g.heading(2).empty()) {
    p.setFont(s.Font(kXHeadingText));
    const double height = QFontMetricsF(p.font()).height();
    double y = s.plot.bottom() + values.height() * 1.4 + std::max(0.0, s.back.y());
    if (s.classes.polar) y = s.plot.bottom() + values.height() * 1.5;
    p.drawText(QRectF(s.plot.left(), y, s.plot.width(), height * 1.3), Qt::AlignHCenter | Qt::AlignVCenter,
               GraphText(s.g.heading(2)));
    if (ElementShape* e = Record(s, QStringLiteral("X-Axis Heading"), kHeadingsPage)) {
      const double width = QFontMetricsF(p.font()).horizontalAdvance(GraphText(s.g.heading(2)));
      e->box = QRectF(s.plot.center().x() - width / 2, y, width, height * 1.3);
    }
  }
  if (!s.g.heading(3).empty()) {
    p.setFont(s.Font(kYHeadingText));
    const double height = QFontMetricsF(p.font()).height();
    p.save();
    p.translate(s.area.left() + pad + height * 0.8, s.plot.center().y());
    if (ElementShape* e = Record(s, QStringLiteral("Y-Axis Heading"), kHeadingsPage)) {
      const double width = QFontMetricsF(p.font()).horizontalAdvance(GraphText(s.g.heading(3)));
      e->box = QRectF(s.area.left() + pad + height * 0.8 - height, s.plot.center().y() - width / 2,
                      height * 1.3, width);
    }
    p.rotate(-90);
    p.drawText(QRectF(-s.plot.height() / 2, -height, s.plot.height(), height * 1.3),
               Qt::AlignHCenter | Qt::AlignVCenter, GraphText(s.g.heading(3)));
    p.restore();
  }
}

QPen GridPen(const Paint& s) {
  QPen pen(PaletteQColor(8));
  pen.setWidthF(std::max(1.0, 0.5 * s.scale));
  pen.setStyle(s.g.solidGrid() ? Qt::SolidLine : Qt::DotLine);
  return pen;
}

void DrawBackPlane(Paint& s) {
  QPainter& p = s.p;
  const QRectF& r = s.plot;
  const QPointF n = s.Near(), f = s.Far();
  const QPointF recess = f - n;
  const QColor inside = PaletteQColor(s.g.insideColour());
  p.setPen(OutlinePen(s));
  // Seen from inside: the floor when the far plane lies higher (else the ceiling) and the wall
  // on the side away from which it lies; then the far wall.
  const double edgeY = recess.y() < 0 ? r.bottom() : r.top();
  const double edgeX = recess.x() > 0 ? r.left() : r.right();
  p.setBrush(inside.darker(112));
  p.drawPolygon(QPolygonF({QPointF(r.left(), edgeY) + n, QPointF(r.right(), edgeY) + n,
                           QPointF(r.right(), edgeY) + f, QPointF(r.left(), edgeY) + f}));
  p.drawPolygon(QPolygonF({QPointF(edgeX, r.top()) + n, QPointF(edgeX, r.bottom()) + n,
                           QPointF(edgeX, r.bottom()) + f, QPointF(edgeX, r.top()) + f}));
  p.setBrush(inside);
  p.drawRect(r.translated(f));
}

void DrawPolarAxes(Paint& s) {
  QPainter& p = s.p;
  const QPointF c = s.plot.center();
  const double radius = s.plot.width() / 2;
  const QFontMetricsF values(s.Font(kValueText));
  p.setFont(s.Font(kValueText));
  const int spokes = s.type == kGraphRadar ? std::max(s.CategoryCount(), 1) : 12;
  auto spokeAngle = [&](int i) {
    return s.type == kGraphRadar ? kPi / 2 - 2 * kPi * i / spokes : 2 * kPi * i / spokes;
  };
  const double low = s.type == kGraphRadar ? std::min(s.y.min, 0.0) : 0.0;
  const double high = s.type == kGraphRadar ? s.y.max : std::max(std::fabs(s.y.min), std::fabs(s.y.max));
  // The rings divide the distance from the centre evenly.
  const std::vector<double> ticks = AxisTicks(AxisLimits{low, high}, s.yDivisions, false);
  p.setPen(s.g.gridLines() ? GridPen(s) : QPen(PaletteQColor(7)));
  p.setBrush(Qt::NoBrush);
  for (double v : ticks) {
    if (v < low || v > high) continue;
    const double rr = PixelsPerUnit(radius, high - low) * (v - low);
    if (s.type == kGraphRadar) {
      QPolygonF ring;
      for (int i = 0; i < spokes; ++i) {
        ring << c + QPointF(std::cos(spokeAngle(i)) * rr, -std::sin(spokeAngle(i)) * rr);
      }
      p.drawPolygon(ring);
    } else {
      p.drawEllipse(c, rr, rr);
    }
  }
  p.setPen(OutlinePen(s));
  for (int i = 0; i < spokes; ++i) {
    const double a = spokeAngle(i);
    const QPointF end = c + QPointF(std::cos(a) * radius, -std::sin(a) * radius);
    p.drawLine(c, end);
    QString text;
    if (s.type == kGraphRadar) {
      text = i < s.CategoryCount() ? Trimmed(s.xTexts[size_t(i)]) : QString();
    } else {
      text = AxisText(s.g.axisFormat(0), 360.0 * i / spokes);
    }
    // Far enough out that a marker on the outer ring leaves the text readable.
    const QPointF at = c + QPointF(std::cos(a) * (radius + values.height() * 1.3),
                                   -std::sin(a) * (radius + values.height()));
    const double w = values.horizontalAdvance(text);
    p.setPen(s.TextColour());
    p.drawText(QPointF(at.x() - w / 2, at.y() + values.ascent() / 2), text);
    p.setPen(OutlinePen(s));
  }
  p.setPen(s.TextColour());
  for (double v : ticks) {
    if (v < low || v > high) continue;
    const double rr = PixelsPerUnit(radius, high - low) * (v - low);
    // Just below where the ring crosses the upward spoke: above it the outermost label would run
    // into the label of the top spoke.
    p.drawText(QPointF(c.x() + 3 * s.scale, c.y() - rr + values.ascent() + 1 * s.scale),
               AxisText(s.g.axisFormat(1), v));
  }
}

void DrawAxes(Paint& s) {
  if (s.classes.noAxes) return;
  if (s.classes.polar) {
    DrawPolarAxes(s);
    return;
  }
  QPainter& p = s.p;
  const QRectF& r = s.plot;
  const QPointF b = s.Far();  // grid lines lie on the far wall
  // and along the depth on the side wall seen from inside.
  const double sideX = (s.Far() - s.Near()).x() > 0 ? r.left() : r.right();
  // Labels and ticks go along the near edges, where the data cannot cover them.
  const QPointF front = s.Near();
  // Y labels never move right into the plot: a near plane to the right is reached by the ticks.
  const QPointF yShift(std::min(0.0, front.x()), front.y());
  const QFontMetricsF values(s.Font(kValueText));
  p.setFont(s.Font(kValueText));
  const double tick = 4 * s.scale;
  const bool horizontal = s.g.gridLines() & 1, vertical = s.g.gridLines() & 2;
  // Y labels, ticks and horizontal grid lines from the top down.
  const std::vector<double> ticks = AxisTicks(s.y, s.yDivisions, s.logY);
  const int minor = s.logY ? 1 : std::max<int>(s.g.minorDivisions(1), 0);
  double widestLabel = 0;
  for (size_t i = 0; i < ticks.size(); ++i) {
    const double yy = s.Py(ticks[i]);
    if (std::isnan(yy)) continue;
    if (horizontal) {
      p.setPen(GridPen(s));
      p.drawLine(QPointF(r.left(), yy) + b, QPointF(r.right(), yy) + b);
      if (s.back != QPointF()) p.drawLine(QPointF(sideX, yy) + s.Near(), QPointF(sideX, yy) + b);
    }
    p.setPen(s.TextColour());
    p.drawLine(QPointF(r.left() - tick, yy) + yShift, QPointF(r.left(), yy) + front);
    const QString text = AxisText(s.g.axisFormat(1), ticks[i]);
    widestLabel = std::max(widestLabel, values.horizontalAdvance(text));
    p.drawText(QPointF(r.left() - tick - 2 * s.scale - values.horizontalAdvance(text),
                       yy + values.ascent() / 2 - values.descent() / 2) + yShift,
               text);
    if (i + 1 < ticks.size() && minor > 0) {
      for (double m : MinorTicks(ticks[i], ticks[i + 1], minor, s.logY)) {
        const double my = s.Py(m);
        if (!std::isnan(my)) p.drawLine(QPointF(r.left() - tick / 2, my) + yShift, QPointF(r.left(), my) + yShift);
      }
    }
  }
  if (ElementShape* e = Record(s, QStringLiteral("Y-Axis"), kScalePage)) {
    const double width = widestLabel + tick + 2 * s.scale;
    e->box = QRectF(r.left() - width, r.top() - values.height() / 2, width, r.height() + values.height())
                 .translated(yShift);
  }
  if (ElementShape* e = Record(s, QStringLiteral("X-Axis"), kScalePage)) {
    e->box = QRectF(r.left(), r.bottom(), r.width(), tick + values.height()).translated(front);
  }
  // X labels and vertical grid lines.
  p.setPen(s.TextColour());
  if (s.classes.numericX) {
    const std::vector<double> xTicks = AxisTicks(s.x, s.xDivisions, s.logX);
    for (double v : xTicks) {
      const double xx = s.Px(v);
      if (std::isnan(xx)) continue;
      if (vertical) {
        p.setPen(GridPen(s));
        p.drawLine(QPointF(xx, r.top()), QPointF(xx, r.bottom()));
      }
      p.setPen(s.TextColour());
      p.drawLine(QPointF(xx, r.bottom()) + front, QPointF(xx, r.bottom() + tick) + front);
      const QString text = s.type == kGraphContour ? QString::number(int(std::lround(v)))
                                                   : AxisText(s.g.axisFormat(0), v);
      p.drawText(QPointF(xx - values.horizontalAdvance(text) / 2, r.bottom() + tick + values.ascent()) + front,
                 text);
    }
  } else {
    const int n = s.CategoryCount();
    // The widest label decides how many categories share one label, tick and grid line; only
    // the texts of the most characters are measured, sixteen at most.
    size_t longest = 0;
    for (const std::string& t : s.xTexts) longest = std::max(longest, t.size());
    double widest = 0;
    int measured = 0;
    for (const std::string& t : s.xTexts) {
      if (t.size() < longest || measured >= 16) continue;
      widest = std::max(widest, values.horizontalAdvance(Trimmed(t)));
      ++measured;
    }
    const double spacing = n > 0 ? r.width() / std::max(s.x.max - s.x.min, 1.0) : r.width();
    const int every = std::max(1, int(std::ceil((widest + values.averageCharWidth()) / spacing)));
    for (int i = 0; i < n; i += every) {
      const double xx = s.CategoryCentre(i + 1);
      if (vertical) {
        p.setPen(GridPen(s));
        p.drawLine(QPointF(xx, r.top()) + b, QPointF(xx, r.bottom()) + b);
      }
      p.setPen(s.TextColour());
      p.drawLine(QPointF(xx, r.bottom()) + front, QPointF(xx, r.bottom() + tick) + front);
      const QString text = Trimmed(s.xTexts[size_t(i)]);
      p.drawText(QPointF(xx - values.horizontalAdvance(text) / 2, r.bottom() + tick + values.ascent()) + front,
                 text);
    }
  }
  // The zero line when the range spans 0 (in 3-D along the depth as well).
  if (!s.logY && std::min(s.y.min, s.y.max) < 0 && 0 < std::max(s.y.min, s.y.max)) {
    const double zy = s.Py(0);
    QPen pen(s.TextColour());
    pen.setWidthF(std::max(1.0, s.scale));
    p.setPen(pen);
    // In 3-D the near edge of the zero plane is drawn after the series (DrawNearZeroLine).
    if (s.back == QPointF()) p.drawLine(QPointF(r.left(), zy), QPointF(r.right(), zy));
    if (s.back != QPointF()) {
      p.drawLine(QPointF(r.left(), zy) + s.Near(), QPointF(r.left(), zy) + b);
      p.drawLine(QPointF(r.right(), zy) + s.Near(), QPointF(r.right(), zy) + b);
      p.drawLine(QPointF(r.left(), zy) + b, QPointF(r.right(), zy) + b);
    }
  }
  p.setPen(OutlinePen(s));
  p.setBrush(Qt::NoBrush);
  if (s.back == QPointF()) {
    p.drawRect(r);
  } else {
    p.drawLine(r.topLeft() + front, r.bottomLeft() + front);
    p.drawLine(r.bottomLeft() + front, r.bottomRight() + front);
  }
}

// The near edge of the zero plane of a 3-D graph, in front of the series.
void DrawNearZeroLine(Paint& s) {
  if (s.back == QPointF() || s.classes.noAxes || s.logY) return;
  if (!(std::min(s.y.min, s.y.max) < 0 && 0 < std::max(s.y.min, s.y.max))) return;
  const double zy = s.Py(0);
  QPen pen(s.TextColour());
  pen.setWidthF(std::max(1.0, s.scale));
  s.p.setPen(pen);
  s.p.drawLine(QPointF(s.plot.left(), zy) + s.Near(), QPointF(s.plot.right(), zy) + s.Near());
}

// --- series ------------------------------------------------------------------------------------

// Series in drawing order: 1..6 for "Bar", 6..1 for the others.
std::vector<const Series*> DrawingOrder(const Paint& s) {
  std::vector<const Series*> order;
  for (const Series& series : s.series) order.push_back(&series);
  if (s.type != kGraphBar) std::reverse(order.begin(), order.end());
  return order;
}

// A bar, or a box reaching `depth` back with its visible top or bottom and side faces in
// darker brushes when `depth` is not zero.
void DrawBar(Paint& s, QRectF bar, const Series& series, QPointF depth) {
  QPainter& p = s.p;
  const QColor colour = PaletteQColor(series.style.foreground);
  const QColor background = PaletteQColor(series.style.background);
  bar = bar.normalized();
  if (depth != QPointF()) {
    // The face towards the viewer is the one at the near end of the depth.
    const QPointF n = s.deeperIsFarther ? QPointF() : depth;
    const QPointF f = s.deeperIsFarther ? depth : QPointF();
    const QPointF recess = f - n;
    const double edgeY = recess.y() < 0 ? bar.top() : bar.bottom();
    const double edgeX = recess.x() > 0 ? bar.right() : bar.left();
    p.setPen(OutlinePen(s));
    p.setBrush(Darker(colour));
    p.drawPolygon(QPolygonF({QPointF(bar.left(), edgeY) + n, QPointF(bar.right(), edgeY) + n,
                             QPointF(bar.right(), edgeY) + f, QPointF(bar.left(), edgeY) + f}));
    p.setBrush(Darker(Darker(colour)));
    p.drawPolygon(QPolygonF({QPointF(edgeX, bar.top()) + n, QPointF(edgeX, bar.bottom()) + n,
                             QPointF(edgeX, bar.bottom()) + f, QPointF(edgeX, bar.top()) + f}));
    bar.translate(n);
  }
  if (ElementShape* e = Record(s, SeriesName(series.number), kOptionsPage)) {
    e->box = bar.united(bar.translated(s.deeperIsFarther ? depth : -depth));
  }
  // Rectangles go without paths: thousands of bars must stay quick. A bar a few pixels wide is
  // only its colour: an outline would cover it.
  if (bar.width() < 3 * s.scale && depth == QPointF()) {
    p.fillRect(bar, colour);
    return;
  }
  if (HatchStyle(series.style.hatch) != Qt::SolidPattern) p.fillRect(bar, background);
  p.setPen(OutlinePen(s));
  p.setBrush(QBrush(colour, HatchStyle(series.style.hatch)));
  p.drawRect(bar);
}

void DrawBars(Paint& s) {
  const bool stacked = s.classes.stacked;
  const BarLayout layout = LayOutBars(s.plot.width(), s.x, s.classes.threeD ? s.offset : 0,
                                      int(s.series.size()), stacked);
  const QPointF depth = s.classes.threeD ? s.back : QPointF();
  struct Box {
    QRectF bar;
    const Series* series;
  };
  std::vector<Box> boxes;
  std::vector<SeriesValues> values;
  for (const Series& series : s.series) values.push_back(series.values);
  const std::vector<SeriesValues> bases = StackBases(values);
  const double baseline = s.Baseline();
  const int count = int(s.series.size());
  for (size_t k = 0; k < s.series.size(); ++k) {
    const Series& series = s.series[k];
    for (size_t i = 0; i < series.values.size(); ++i) {
      const double v = series.values[i];
      if (std::isnan(v)) continue;
      const double centre = s.CategoryCentre(double(i) + 1);
      double left, from, to;
      if (stacked) {
        left = centre - layout.barWidth / 2;
        from = bases[k][i];
        to = from + v;
      } else {
        left = BarLeft(centre, int(k) + 1, count, layout.barWidth);
        from = baseline;
        to = v;
      }
      double top = s.Py(to), bottom = s.Py(from);
      if (std::isnan(top)) continue;
      if (std::isnan(bottom)) bottom = s.plot.bottom();
      top = std::clamp(top, s.plot.top() - 1, s.plot.bottom() + 1);
      bottom = std::clamp(bottom, s.plot.top() - 1, s.plot.bottom() + 1);
      const QRectF bar = QRectF(QPointF(left, top), QPointF(left + layout.barWidth, bottom)).normalized();
      if (depth == QPointF()) {
        DrawBar(s, bar, series, depth);
      } else {
        boxes.push_back({bar, &series});
      }
      if (!series.labels.empty()) {
        DataLabel label{QPointF(left + layout.barWidth / 2, s.Py(to)) + depth * 0.4, series.number, int(i)};
        if (HatchStyle(series.style.hatch) == Qt::SolidPattern) {
          label.under = bar.translated(s.deeperIsFarther ? QPointF() : depth * 0.8);
          label.underColour = PaletteQColor(series.style.foreground);
        }
        s.dataLabels.push_back(label);
      }
    }
  }
  if (boxes.empty()) return;
  // Boxes hide each other's receding faces: those on the side the faces recede to are drawn
  // later, and in a stack the box the faces point at.
  const QPointF recess = s.deeperIsFarther ? depth : -depth;
  std::stable_sort(boxes.begin(), boxes.end(), [&](const Box& a, const Box& b) {
    if (a.bar.left() != b.bar.left()) return recess.x() > 0 ? a.bar.left() < b.bar.left() : a.bar.left() > b.bar.left();
    return recess.y() < 0 ? a.bar.bottom() > b.bar.bottom() : a.bar.bottom() < b.bar.bottom();
  });
  for (const Box& box : boxes) DrawBar(s, box.bar, *box.series, depth * 0.8);
}

void DrawArea(Paint& s) {
  std::vector<SeriesValues> values;
  for (const Series& series : s.series) values.push_back(series.values);
  const std::vector<SeriesValues> bases = StackBases(values);
  for (size_t k = s.series.size(); k-- > 0;) {
    const Series& series = s.series[k];
    std::vector<QPointF> tops, labels;
    auto flush = [&](std::vector<QPointF>& top, std::vector<QPointF>& bottom) {
      if (top.size() < 2) {
        top.clear();
        bottom.clear();
        return;
      }
      QPainterPath path;
      path.moveTo(top.front());
      for (const QPointF& q : top) path.lineTo(q);
      for (auto it = bottom.rbegin(); it != bottom.rend(); ++it) path.lineTo(*it);
      path.closeSubpath();
      FillHatched(s.p, path, PaletteQColor(series.style.foreground), series.style.hatch,
                  PaletteQColor(series.style.background), OutlinePen(s));
      if (ElementShape* e = Record(s, SeriesName(series.number), kOptionsPage)) e->path = path;
      top.clear();
      bottom.clear();
    };
    std::vector<QPointF> top, bottom;
    for (size_t i = 0; i < series.values.size(); ++i) {
      const double v = series.values[i];
      const double xx = s.CategoryCentre(double(i) + 1);
      if (std::isnan(v)) {
        // A missing value is a band of no height: the areas above and below it stay closed.
        top.push_back(QPointF(xx, s.Py(bases[k][i])));
        bottom.push_back(top.back());
        labels.push_back(QPointF(std::nan(""), 0));
        continue;
      }
      top.push_back(QPointF(xx, s.Py(bases[k][i] + v)));
      bottom.push_back(QPointF(xx, s.Py(bases[k][i])));
      labels.push_back(top.back());
    }
    flush(top, bottom);
    RecordLabels(s, series, labels);
  }
}

void DrawXyLike(Paint& s) {
  for (const Series* series : DrawingOrder(s)) {
    SeriesValues ys = series->values;
    size_t shift = 0;
    if (s.type == kGraphCumulative) ys = CumulativeValues(ys);
    if (s.type == kGraphDelta) {
      ys = DeltaValues(ys);
      shift = 1;
    }
    std::vector<QPointF> points;
    for (size_t i = 0; i < ys.size(); ++i) {
      const size_t xi = i + shift;
      const double xv = xi < s.xValues.size() ? s.xValues[xi] : std::nan("");
      const double yv = ys[i];
      if (std::isnan(xv) || std::isnan(yv)) {
        points.push_back(QPointF(std::nan(""), std::nan("")));
        continue;
      }
      points.push_back(QPointF(s.Px(xv), s.Py(yv)));
    }
    s.p.save();
    s.p.setClipRect(s.plot.adjusted(-1, -1, 1, 1));
    DrawPointRun(s, *series, points);
    s.p.restore();
    RecordLabels(s, *series, points);
  }
}

void DrawLines(Paint& s) {
  for (const Series* series : DrawingOrder(s)) {
    std::vector<QPointF> points;
    for (size_t i = 0; i < series->values.size(); ++i) {
      const double v = series->values[i];
      points.push_back(std::isnan(v) ? QPointF(std::nan(""), std::nan(""))
                                     : QPointF(s.CategoryCentre(double(i) + 1), s.Py(v)));
    }
    DrawPointRun(s, *series, points);
    RecordLabels(s, *series, points);
  }
}

// High-low: per category a bar between the values of series 1 (high) and 2 (low) in series 1's
// colour and hatch (without series 1 and 2, between the lowest and highest of the others);
// series 3 marks the close with a tick to the right and series 4 the open with one to the left,
// each in its own pen; series 5 and 6 are marked with their symbols.
void DrawHiLo(Paint& s) {
  QPainter& p = s.p;
  const int n = s.CategoryCount();
  const double spacing = s.plot.width() / std::max(s.x.max - s.x.min, 1.0);
  const double half = std::max(1.5 * s.scale, spacing / 8);
  const Series* bySeries[kGraphSeriesCount + 1] = {};
  for (const Series& series : s.series) bySeries[series.number] = &series;
  const bool highLow = bySeries[1] || bySeries[2];
  const GraphStyle style = s.series.front().style;
  auto valueOf = [&](const Series* series, int i, double* v) {
    if (!series || size_t(i) >= series->values.size() || std::isnan(series->values[size_t(i)])) return false;
    *v = series->values[size_t(i)];
    return true;
  };
  for (int i = 0; i < n; ++i) {
    double low = 0, high = 0;
    bool any = false;
    int missing = 0;
    for (const Series& series : s.series) {
      if (highLow && series.number > 2) continue;
      double v = 0;
      if (!valueOf(&series, i, &v)) {
        ++missing;
        continue;
      }
      low = any ? std::min(low, v) : v;
      high = any ? std::max(high, v) : v;
      any = true;
    }
    // A high without its low (or the other way round) gives no bar.
    if (highLow && missing > 0) any = false;
    const double xx = s.CategoryCentre(i + 1);
    const double top = s.Py(high), bottom = s.Py(low);
    if (any && !std::isnan(top) && !std::isnan(bottom)) {
      QPainterPath path;
      path.addRect(QRectF(QPointF(xx - half / 2, top), QPointF(xx + half / 2, std::max(bottom, top + 1))));
      FillHatched(p, path, PaletteQColor(style.foreground), style.hatch, PaletteQColor(style.background),
                  OutlinePen(s));
    }
    auto tick = [&](int number, double direction) {
      double v = 0;
      if (!valueOf(bySeries[number], i, &v)) return;
      const double ty = s.Py(v);
      if (std::isnan(ty)) return;
      p.setPen(SeriesPen(s, bySeries[number]->style));
      p.drawLine(QPointF(xx, ty), QPointF(xx + direction * half * 1.5, ty));
    };
    tick(3, 1);
    tick(4, -1);
  }
  for (const Series& series : s.series) {
    std::vector<QPointF> points;
    for (size_t i = 0; i < series.values.size(); ++i) {
      points.push_back(QPointF(s.CategoryCentre(double(i) + 1), s.Py(series.values[i])));
    }
    if (series.number >= 5 || !highLow) {
      for (const QPointF& q : points) {
        if (!std::isnan(q.y())) {
          DrawMarker(p, q, series.style.marker, 7 * s.scale, PaletteQColor(series.style.foreground));
        }
      }
    }
    if (ElementShape* e = Record(s, SeriesName(series.number), kOptionsPage)) {
      e->line = points;
      e->joined = false;
    }
    RecordLabels(s, series, points);
  }
}

void DrawPolarSeries(Paint& s) {
  const QPointF c = s.plot.center();
  const double radius = s.plot.width() / 2;
  const bool radar = s.type == kGraphRadar;
  const double low = radar ? std::min(s.y.min, 0.0) : 0.0;
  const double high = radar ? s.y.max : std::max(std::fabs(s.y.min), std::fabs(s.y.max));
  const double perUnit = PixelsPerUnit(radius, high - low);
  const int spokes = std::max(s.CategoryCount(), 1);
  for (const Series* series : DrawingOrder(s)) {
    std::vector<QPointF> points;
    for (size_t i = 0; i < series->values.size(); ++i) {
      const double v = series->values[i];
      double angle;
      if (radar) {
        angle = kPi / 2 - 2 * kPi * double(i) / spokes;
      } else {
        const double xv = i < s.xValues.size() ? s.xValues[i] : std::nan("");
        angle = xv * kPi / 180;
      }
      if (std::isnan(v) || std::isnan(angle)) {
        points.push_back(QPointF(std::nan(""), std::nan("")));
        continue;
      }
      const double rr = radar ? (v - low) * perUnit : std::fabs(v) * perUnit;
      const double a = !radar && v < 0 ? angle + kPi : angle;
      points.push_back(c + QPointF(std::cos(a) * rr, -std::sin(a) * rr));
    }
    DrawPointRun(s, *series, points, radar);
    RecordLabels(s, *series, points);
  }
}

// Strips (ribbons) and walls: each series in its own row of depth, the first at the front.
void DrawDepthSeries(Paint& s) {
  QPainter& p = s.p;
  const double baseline = s.Baseline();
  // Rows farther away first: series 6 to 1 while more depth lies farther from the viewer.
  std::vector<const Series*> order = DrawingOrder(s);
  if (!s.deeperIsFarther) std::reverse(order.begin(), order.end());
  for (const Series* series : order) {
    // The defined series take the depth rows from the front, series 1 first.
    const size_t slot = size_t(std::find_if(s.series.begin(), s.series.end(),
                                            [&](const Series& o) { return &o == series; }) -
                               s.series.begin());
    // The row runs from `at` to `at` + 0.7 of a step in depth; its face and line are on the end
    // nearer the viewer.
    const QPointF at = s.seriesStep * double(slot);
    const QPointF thickness = s.seriesStep * 0.7;
    const QPointF front = s.deeperIsFarther ? at : at + thickness;
    const QPointF rear = s.deeperIsFarther ? at + thickness : at;
    const QColor colour = PaletteQColor(series->style.foreground);
    std::vector<QPointF> points;
    for (size_t i = 0; i < series->values.size(); ++i) {
      const double v = series->values[i];
      points.push_back(std::isnan(v) ? QPointF(std::nan(""), std::nan(""))
                                     : QPointF(s.CategoryCentre(double(i) + 1), s.Py(v)) + front);
    }
    p.setPen(OutlinePen(s));
    QPainterPath shape;  // what a click selects
    for (size_t i = 0; i + 1 < points.size(); ++i) {
      const QPointF a = points[i], b = points[i + 1];
      if (std::isnan(a.y()) || std::isnan(b.y())) continue;
      if (s.type == kGraphWall3D) {
        const double by = s.Py(baseline);
        const QPointF a0(a.x(), by + front.y()), b0(b.x(), by + front.y());
        QPainterPath front;
        front.addPolygon(QPolygonF({a0, a, b, b0}));
        front.closeSubpath();
        FillHatched(p, front, colour, series->style.hatch, PaletteQColor(series->style.background),
                    OutlinePen(s));
        shape.addPolygon(QPolygonF({a0, a, b, b0}));
        shape.closeSubpath();
      }
      const QPolygonF top({a, b, b + rear - front, a + rear - front});
      p.setPen(OutlinePen(s));
      p.setBrush(Darker(colour));
      p.drawPolygon(top);
      shape.addPolygon(top);
      shape.closeSubpath();
    }
    if (ElementShape* e = Record(s, SeriesName(series->number), kOptionsPage)) {
      e->path = shape;
      e->path.setFillRule(Qt::WindingFill);
    }
    if (s.type == kGraphStrip3D) {
      p.setPen(SeriesPen(s, series->style));
      for (size_t i = 0; i + 1 < points.size(); ++i) {
        if (!std::isnan(points[i].y()) && !std::isnan(points[i + 1].y())) p.drawLine(points[i], points[i + 1]);
      }
    }
    RecordLabels(s, *series, points);
  }
}

// Pies: series 1 gives the slices, series 2 the explode percentages.
void DrawPie(Paint& s) {
  QPainter& p = s.p;
  const Series& first = s.series.front();
  SeriesValues explode;
  for (const Series& series : s.series) {
    if (series.number == 2) explode = series.values;
  }
  const std::vector<PieSlice> slices = PieSlices(first.values, explode);
  const QPointF c = s.plot.center();
  const bool flat = s.type == kGraphPie;
  const double tilt = flat ? 1.0 : std::sin(kPi / 4);
  const double rim = flat ? 0 : std::min(s.depth * 1.5, s.plot.height() / 6);
  const double radius = std::max(1.0, std::min(s.plot.width() / 2, (s.plot.height() - rim) / (2 * tilt)) * 0.8);
  const double hole = s.type == kGraphDonut3D ? radius * 0.45 : 0;
  const double turn = flat ? 0 : GraphViewAngle();
  const QPointF centre = c - QPointF(0, rim / 2);
  auto onRim = [&](double angle, double r) {
    // A point of the pie's plane, turned by the view angle and tilted (3-D) or flat.
    if (flat) return centre + QPointF(std::cos(angle) * r, -std::sin(angle) * r);
    const Projected q = Project3D(std::cos(angle) * r * 100, std::sin(angle) * r * 100, 0, turn);
    // The far half of the pie rises, so slices run counter-clockwise as on the flat pie.
    return centre + QPointF(q.across / 100.0, q.height / 100.0 * tilt / std::sin(kPi / 4));
  };
  auto slicePath = [&](const PieSlice& slice, QPointF moved, double outer, double inner) {
    QPainterPath path;
    const int steps = std::max(2, int(slice.sweep / (kPi / 90)));
    path.moveTo(onRim(slice.start, inner) + moved);
    for (int i = 0; i <= steps; ++i) path.lineTo(onRim(slice.start + slice.sweep * i / steps, outer) + moved);
    for (int i = steps; i >= 0; --i) {
      if (inner > 0 || i == steps) path.lineTo(onRim(slice.start + slice.sweep * i / steps, inner) + moved);
    }
    path.closeSubpath();
    return path;
  };
  auto moveOf = [&](const PieSlice& slice) {
    return onRim(slice.Middle(), radius * slice.explode) - onRim(0, 0);
  };
  const QPen outline = OutlinePen(s);
  if (rim > 0) {
    // The rim: slices seen from the front last.
    std::vector<PieSlice> byDepth = slices;
    std::sort(byDepth.begin(), byDepth.end(), [&](const PieSlice& a, const PieSlice& b) {
      return onRim(a.Middle(), radius).y() < onRim(b.Middle(), radius).y();
    });
    for (const PieSlice& slice : byDepth) {
      const QPointF moved = moveOf(slice);
      const QColor colour = PaletteQColor(PieSliceColour(slice.point));
      const int steps = std::max(2, int(slice.sweep / (kPi / 90)));
      auto arcBand = [&](double r) {
        QPolygonF band;
        for (int i = 0; i <= steps; ++i) band << onRim(slice.start + slice.sweep * i / steps, r) + moved;
        for (int i = steps; i >= 0; --i) {
          band << onRim(slice.start + slice.sweep * i / steps, r) + moved + QPointF(0, rim);
        }
        return band;
      };
      p.setPen(outline);
      if (hole > 0 && slice.explode > 0) {
        // A pushed-out donut slice shows its inner wall through the gap it leaves.
        p.setBrush(Darker(Darker(colour)));
        p.drawPolygon(arcBand(hole));
      }
      // The cut faces along the two edges of the slice, seen where a slice is pushed out; the
      // top faces cover them elsewhere. In the far half they stand in front of the slice's own
      // rim, in the near half behind it.
      auto drawCutFaces = [&] {
        p.setBrush(Darker(Darker(colour)));
        for (double edge : {slice.start, slice.start + slice.sweep}) {
          const QPointF inner = onRim(edge, hole) + moved, outer = onRim(edge, radius) + moved;
          p.drawPolygon(QPolygonF({inner, outer, outer + QPointF(0, rim), inner + QPointF(0, rim)}));
        }
      };
      const QPolygonF band = arcBand(radius);
      auto drawRim = [&] {
        p.setBrush(Darker(colour));
        p.drawPolygon(band);
      };
      if (onRim(slice.Middle(), radius).y() < centre.y()) {
        drawRim();
        drawCutFaces();
      } else {
        drawCutFaces();
        drawRim();
      }
      if (ElementShape* e = Record(s, QStringLiteral("Slice %1").arg(slice.point + 1), kOptionsPage)) {
        e->path.addPolygon(band);
      }
    }
  }
  for (const PieSlice& slice : slices) {
    const QPainterPath path = slicePath(slice, moveOf(slice), radius, hole);
    FillHatched(p, path, PaletteQColor(PieSliceColour(slice.point)), first.style.hatch,
                PaletteQColor(first.style.background), outline);
    if (ElementShape* e = Record(s, QStringLiteral("Slice %1").arg(slice.point + 1), kOptionsPage)) {
      e->path = path;
    }
  }
  if (hole > 0) {
    // The inside of the hole: the inner wall seen through it.
    QPainterPath holePath;
    QPolygonF ring;
    for (int i = 0; i <= 180; ++i) ring << onRim(2 * kPi * i / 180, hole);
    holePath.addPolygon(ring);
    p.save();
    p.setClipPath(holePath);
    p.fillPath(holePath, PaletteQColor(s.g.outsideColour()));
    for (const PieSlice& slice : slices) {
      const QPointF moved = moveOf(slice);
      const int steps = std::max(2, int(slice.sweep / (kPi / 90)));
      QPolygonF band;
      for (int i = 0; i <= steps; ++i) band << onRim(slice.start + slice.sweep * i / steps, hole) + moved;
      for (int i = steps; i >= 0; --i) {
        band << onRim(slice.start + slice.sweep * i / steps, hole) + moved + QPointF(0, rim);
      }
      p.setPen(outline);
      p.setBrush(Darker(PaletteQColor(PieSliceColour(slice.point))));
      p.drawPolygon(band);
    }
    p.restore();
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(ring);
  }
  // Slice labels (the X cells) at three quarters of the radius.
  p.setFont(s.Font(kValueText));
  const QFontMetricsF metrics(p.font());
  for (const PieSlice& slice : slices) {
    const QPointF at = onRim(slice.Middle(), hole > 0 ? (hole + radius) / 2 : radius * 0.75) + moveOf(slice);
    if (size_t(slice.point) < s.xTexts.size()) {
      const QString text = Trimmed(s.xTexts[size_t(slice.point)]);
      const QRectF box(at.x() - metrics.horizontalAdvance(text) / 2 - 2, at.y() - metrics.height() / 2,
                       metrics.horizontalAdvance(text) + 4, metrics.height());
      const QColor fill = PaletteQColor(PieSliceColour(slice.point));
      p.setPen(fill.lightness() < 110 ? Qt::white : Qt::black);
      p.drawText(box, Qt::AlignCenter, text);
    }
    if (!first.labels.empty()) {
      s.dataLabels.push_back(DataLabel{onRim(slice.Middle(), radius * 1.08) + moveOf(slice), first.number,
                                       slice.point});
    }
  }
}

constexpr int kContourColours[] = {1, 9, 3, 11, 2, 10, 14, 6, 12, 4, 13, 5};
constexpr int kContourColourCount = int(sizeof kContourColours / sizeof kContourColours[0]);

// The levels of a contour: the Y axis's stored division count.
int ContourLevels(const Paint& s) {
  return std::clamp(DivisionCount(s.g.divisions(1)), 1, kContourColourCount);
}

void ContourSpan(const Paint& s, AxisLimits* span) {
  if (!ValueSpan(s.series.front().values, span)) *span = AxisLimits{0, 1};
}

void DrawContour(Paint& s) {
  QPainter& p = s.p;
  const Series& grid = s.series.front();
  AxisLimits span;
  ContourSpan(s, &span);
  const int levels = ContourLevels(s);
  const double w = s.plot.width() / std::max(s.contourColumns, 1);
  const double h = s.plot.height() / std::max(s.contourRows, 1);
  p.setPen(Qt::NoPen);
  for (int row = 0; row < s.contourRows; ++row) {
    for (int column = 0; column < s.contourColumns; ++column) {
      const size_t i = size_t(row) * size_t(s.contourColumns) + size_t(column);
      if (i >= grid.values.size() || std::isnan(grid.values[i])) continue;
      const int level = ContourLevel(grid.values[i], span.min, span.max, levels);
      p.setBrush(PaletteQColor(kContourColours[level]));
      // Row 1 of the range at the bottom, like the Y axis.
      p.drawRect(QRectF(s.plot.left() + column * w, s.plot.bottom() - (row + 1) * h, w + 0.5, h + 0.5));
    }
  }
  // The cells cover the whole plot: the grid lines chosen go over them.
  p.setPen(GridPen(s));
  if (s.g.gridLines() & 1) {
    for (double v : AxisTicks(s.y, s.yDivisions, s.logY)) {
      const double yy = s.Py(v);
      if (!std::isnan(yy)) p.drawLine(QPointF(s.plot.left(), yy), QPointF(s.plot.right(), yy));
    }
  }
  if (s.g.gridLines() & 2) {
    for (double v : AxisTicks(s.x, s.xDivisions, s.logX)) {
      const double xx = s.Px(v);
      if (!std::isnan(xx)) p.drawLine(QPointF(xx, s.plot.top()), QPointF(xx, s.plot.bottom()));
    }
  }
}

void DrawContourLegend(Paint& s, double left, double top) {
  QPainter& p = s.p;
  AxisLimits span;
  ContourSpan(s, &span);
  const int levels = ContourLevels(s);
  p.setFont(s.Font(kLegendText));
  const QFontMetricsF m(p.font());
  const double box = m.height() * 0.8;
  for (int level = levels - 1; level >= 0; --level) {
    const double from = span.min + (span.max - span.min) * level / levels;
    p.setPen(OutlinePen(s));
    p.setBrush(PaletteQColor(kContourColours[level]));
    p.drawRect(QRectF(left, top, box, box));
    p.setPen(s.TextColour());
    p.drawText(QPointF(left + box * 1.5, top + box), AxisText(s.g.axisFormat(1), from));
    top += m.height() * 1.2;
  }
}

void DrawSeries(Paint& s) {
  switch (s.type) {
    case kGraphXy:
    case kGraphCumulative:
    case kGraphDelta: DrawXyLike(s); break;
    case kGraphBar:
    case kGraphStack:
    case kGraphBar3D:
    case kGraphStack3D: DrawBars(s); break;
    case kGraphPie:
    case kGraphPie3D:
    case kGraphDonut3D: DrawPie(s); break;
    case kGraphLine: DrawLines(s); break;
    case kGraphHiLo: DrawHiLo(s); break;
    case kGraphRadar:
    case kGraphPolar: DrawPolarSeries(s); break;
    case kGraphArea: DrawArea(s); break;
    case kGraphStrip3D:
    case kGraphWall3D: DrawDepthSeries(s); break;
    case kGraphContour: DrawContour(s); break;
    default: DrawLines(s); break;
  }
}

void DrawDataLabels(Paint& s) {
  QPainter& p = s.p;
  p.setFont(s.Font(kLabelText));
  p.setPen(s.TextColour());
  const QFontMetricsF m(p.font());
  const double gap = m.horizontalAdvance("0");
  for (const DataLabel& label : s.dataLabels) {
    const Series* series = nullptr;
    for (const Series& candidate : s.series) {
      if (candidate.number == label.series) series = &candidate;
    }
    if (!series || size_t(label.point) >= series->labels.size()) continue;
    const QString text = Trimmed(series->labels[size_t(label.point)]);
    if (text.isEmpty() || std::isnan(label.at.x()) || std::isnan(label.at.y())) continue;
    LabelSpot spot = PlaceDataLabel(s.g.labelPlace(label.series), label.at.x(), label.at.y(),
                                    m.horizontalAdvance(text), m.ascent(), gap);
    // Kept inside the plot (or the area of a pie): below the plot it would run into the X labels.
    const QRectF inside = s.classes.noAxes ? s.area : s.plot.united(s.plot.translated(s.back));
    const double textTop = spot.y + m.ascent() / 2 - m.ascent();
    if (textTop + m.height() > inside.bottom()) spot.y -= textTop + m.height() - inside.bottom();
    if (textTop < inside.top()) spot.y += inside.top() - textTop;
    // On a dark bar the label is written in white.
    const QPointF middle(spot.x + m.horizontalAdvance(text) / 2, spot.y);
    const bool onDark = label.under.contains(middle) && label.underColour.lightness() < 110;
    p.setPen(onDark ? QColor(Qt::white) : s.TextColour());
    p.drawText(QPointF(spot.x, spot.y + m.ascent() / 2), text);
    if (ElementShape* e = Record(s, QStringLiteral("Data Label %1").arg(label.series), kRangesPage)) {
      e->box = QRectF(spot.x, spot.y + m.ascent() / 2 - m.ascent(), m.horizontalAdvance(text), m.height());
    }
  }
}

// A legend sample: a line with the marker for line types, a hatched box for the others.
void DrawLegendSample(const Paint& s, const Series& series, QRectF box) {
  QPainter& p = s.p;
  if (s.type == kGraphHiLo && series.number <= 4 && (series.number <= 2 || s.series.front().number <= 2)) {
    if (series.number <= 2) {
      // High and low are the two ends of the bar.
      const GraphStyle bar = s.series.front().style;
      QPainterPath path;
      path.addRect(box);
      FillHatched(p, path, PaletteQColor(bar.foreground), bar.hatch, PaletteQColor(bar.background),
                  OutlinePen(s));
    } else {
      p.setPen(SeriesPen(s, series.style));
      p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    }
    return;
  }
  const bool lines = s.classes.linesSymbols || s.type == kGraphStrip3D;
  if (lines) {
    const uint8_t marks = s.classes.linesSymbols ? s.g.seriesMarks(series.number) : uint8_t(kSeriesLines);
    if (marks & kSeriesLines || marks == kSeriesNone) {
      p.setPen(SeriesPen(s, series.style));
      p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    }
    if (marks & kSeriesSymbols) {
      DrawMarker(p, box.center(), series.style.marker, 7 * s.scale, PaletteQColor(series.style.foreground));
    }
    return;
  }
  QPainterPath path;
  path.addRect(box);
  FillHatched(p, path, PaletteQColor(series.style.foreground), series.style.hatch,
              PaletteQColor(series.style.background), OutlinePen(s));
}

void DrawLegend(Paint& s) {
  QPainter& p = s.p;
  p.setFont(s.Font(kLegendText));
  const QFontMetricsF m(p.font());
  const double pad = 8 * s.scale;
  const double sample = m.height() * 1.6;
  const std::vector<LegendItem> shown = LegendItems(s);
  if (s.type == kGraphContour) {
    DrawContourLegend(s, s.plot.right() + std::max(0.0, s.back.x()) + m.height() * 1.5, s.plot.top());
    return;
  }
  if (shown.empty()) return;
  // One entry: the sample, then the text; an overlay's entries are not selectable.
  auto entry = [&](const LegendItem& item, double x, double y) {
    DrawLegendSample(*item.owner, *item.series, QRectF(x, y + m.height() * 0.15, sample, m.height() * 0.7));
    const QString text = item.Text();
    if (item.owner == &s) {
      if (ElementShape* e = Record(s, QStringLiteral("Legend %1").arg(item.series->number), kLegendsPage)) {
        e->box = QRectF(x, y, sample + m.averageCharWidth() + m.horizontalAdvance(text), m.height());
      }
    }
    p.setFont(s.Font(kLegendText));
    p.setPen(s.TextColour());
    p.drawText(QPointF(x + sample + m.averageCharWidth(), y + m.ascent()), text);
    return sample + m.averageCharWidth() + m.horizontalAdvance(text);
  };
  if (s.g.tableLegend()) {
    double widest = 0;
    for (const LegendItem& item : shown) widest = std::max(widest, m.horizontalAdvance(item.Text()));
    const double x = s.area.right() - pad - (widest + sample + m.averageCharWidth());
    double y = s.plot.top();
    for (const LegendItem& item : shown) {
      entry(item, x, y);
      y += m.height() * 1.3;
    }
    return;
  }
  double total = 0;
  for (const LegendItem& item : shown) {
    total += sample + m.averageCharWidth() + m.horizontalAdvance(item.Text()) + m.averageCharWidth() * 3;
  }
  double x = s.area.center().x() - total / 2;
  const double y = s.area.bottom() - pad - m.height() * 1.2;
  for (const LegendItem& item : shown) x += entry(item, x, y) + m.averageCharWidth() * 3;
}

void DrawUndefined(QPainter& p, const QRectF& area, double scale) {
  QFont font(GraphFontFamily("ARIAL"));
  font.setBold(true);
  font.setPixelSize(std::max(1, int(std::lround(16 * scale))));
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(area, Qt::AlignCenter, "Graph Undefined!");
}

bool DrawDefinition(QPainter& p, const QRectF& area, GraphBlock& block, double scale, int level,
                    const QRectF* overlayPlot);

// Draws the overlay named by `s`'s definition into `s`'s plot.
// The named graph drawn over `s` (1..count), or 0 for none.
int OverlayIndex(const Paint& s) {
  const std::string name = s.g.overlay();
  if (name.empty() || s.level >= kMaxOverlayLevels) return 0;
  return FindNamedGraph(name);
}

void DrawOverlay(Paint& s) {
  const int index = OverlayIndex(s);
  if (index == 0) return;
  GraphBlock block;
  std::memcpy(block.data(), NamedGraph(index).bytes(), kGraphBlockSize);
  DrawDefinition(s.p, s.area, block, s.scale, s.level + 1, &s.plot);
}

// The overlay's own Y labels at the right of the plot, in the colour of its first series.
void DrawOverlayAxis(Paint& s) {
  if (!OverlayHasAxis(s)) return;
  const Paint& o = *s.overlay;
  QPainter& p = s.p;
  const QFontMetricsF values(s.Font(kValueText));
  p.setFont(s.Font(kValueText));
  p.setPen(PaletteQColor(o.series.front().style.foreground));
  const double tick = 4 * s.scale;
  const QPointF front = s.Near();
  const double right = s.plot.right();
  for (double v : AxisTicks(o.y, o.yDivisions, o.logY)) {
    const double yy = o.Py(v);
    if (std::isnan(yy)) continue;
    p.drawLine(QPointF(right, yy) + front, QPointF(right + tick, yy) + front);
    p.drawText(QPointF(right + tick + 2 * s.scale, yy + values.ascent() / 2 - values.descent() / 2) + front,
               AxisText(o.g.axisFormat(1), v));
  }
}

// Sets up `s` for drawing: type classes, the data of its ranges and the axis limits; false for
// a definition without an X range or without any series.
bool PrepareDefinition(Paint& s) {
  if (!s.g.Drawable()) return false;
  s.type = s.g.type() < kGraphTypeCount ? int(s.g.type()) : int(kGraphBar);
  s.classes = ClassesOf(s.type);
  s.depth = 20 * s.scale;
  s.offset = 6 * s.scale;
  ReadData(s);
  if (s.series.empty()) return false;
  ComputeRanges(s);
  return true;
}

bool DrawDefinition(QPainter& p, const QRectF& area, GraphBlock& block, double scale, int level,
                    const QRectF* overlayPlot) {
  Paint s(p, GraphDefinition(block.data()));
  s.scale = scale > 0 && std::isfinite(scale) ? scale : 1.0;
  s.level = level;
  s.area = area;
  if (!PrepareDefinition(s)) {
    if (level == 0) DrawUndefined(p, area, s.scale);
    return false;
  }
  // The overlay of a top-level graph is read here as well: its legend entries and its Y labels
  // take room in this graph's layout.
  GraphBlock overlayBlock;
  std::optional<Paint> overlay;
  if (const int index = overlayPlot ? 0 : OverlayIndex(s)) {
    std::memcpy(overlayBlock.data(), NamedGraph(index).bytes(), kGraphBlockSize);
    overlay.emplace(p, GraphDefinition(overlayBlock.data()));
    overlay->scale = s.scale;
    overlay->level = level + 1;
    overlay->area = area;
    if (PrepareDefinition(*overlay)) s.overlay = &*overlay;
  }
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  if (overlayPlot) {
    s.plot = *overlayPlot;
    if (s.classes.threeD) LayOut(s);  // the depth step of 3-D series
    s.plot = *overlayPlot;
  } else {
    LayOut(s);
    if (overlay) overlay->plot = s.plot;
    if (ElementShape* e = Record(s, QStringLiteral("Plot Area"), kOptionsPage)) {
      e->box = s.plot.united(s.plot.translated(s.back));
    }
    p.fillRect(area, PaletteQColor(s.g.outsideColour()));
    if (!s.classes.noAxes) {
      if (s.classes.threeD) {
        DrawBackPlane(s);
      } else if (!s.classes.polar) {
        p.fillRect(s.plot, PaletteQColor(s.g.insideColour()));
      }
    }
    DrawHeadings(s);
    DrawAxes(s);
  }
  DrawSeries(s);
  if (!overlayPlot) DrawNearZeroLine(s);
  DrawDataLabels(s);
  if (!overlayPlot) {
    DrawOverlay(s);
    DrawOverlayAxis(s);
    DrawLegend(s);
    GraphPlotFrame frame;
    frame.valid = !s.classes.noAxes && !s.classes.polar;
    frame.plot = s.plot;
    frame.xmin = s.x.min;
    frame.xmax = s.x.max;
    frame.ymin = s.y.min;
    frame.ymax = s.y.max;
    frame.logX = s.logX;
    frame.logY = s.logY;
    frame.numericX = s.classes.numericX;
    DrawState().lastFrame = frame;
  } else {
    DrawOverlay(s);
  }
  p.restore();
  return true;
}

// Keeps the core's error flag and its text as they were: formatting the axis labels may touch
// them, and a paint must not leave anything for the next command to find.
class ErrorFlagKeeper {
 public:
  ErrorFlagKeeper() : raised_(ErrorRaised()), text_(ErrorText()) {}
  ~ErrorFlagKeeper() {
    if (raised_) {
      RaiseError(text_);
    } else {
      ClearError();
    }
  }
  ErrorFlagKeeper(const ErrorFlagKeeper&) = delete;
  ErrorFlagKeeper& operator=(const ErrorFlagKeeper&) = delete;

 private:
  bool raised_;
  std::string text_;
};

}  // namespace

bool DrawGraph(QPainter& painter, const QRect& area, int namedIndex, double scale) {
  const ErrorFlagKeeper keeper;
  DrawState().lastFrame = GraphPlotFrame{};
  DrawState().elements.clear();
  // The definition is drawn from a copy, so the current one is the same afterwards whatever
  // happens while drawing.
  GraphBlock block;
  if (namedIndex == -1) {
    std::memcpy(block.data(), CurrentGraph().bytes(), kGraphBlockSize);
  } else if (namedIndex >= 1 && namedIndex <= NamedGraphCount()) {
    std::memcpy(block.data(), NamedGraph(namedIndex).bytes(), kGraphBlockSize);
  } else {
    painter.save();
    DrawUndefined(painter, QRectF(area), scale > 0 ? scale : 1.0);
    painter.restore();
    return false;
  }
  painter.save();
  const bool drawn = DrawDefinition(painter, QRectF(area), block, scale, 0, nullptr);
  painter.restore();
  return drawn;
}

bool GraphElementAt(QPointF at, GraphElement* element) {
  constexpr double kNear = 4;  // pixels from a line or a point that still hit it
  auto nearLine = [&](const ElementShape& shape) {
    const std::vector<QPointF>& line = shape.line;
    for (size_t i = 0; i < line.size(); ++i) {
      const QPointF a = line[i];
      if (std::isnan(a.x()) || std::isnan(a.y())) continue;
      if (QLineF(a, at).length() <= kNear) return true;
      if (!shape.joined || i + 1 >= line.size()) continue;
      const QPointF b = line[i + 1];
      if (std::isnan(b.x()) || std::isnan(b.y())) continue;
      // Distance to the segment a..b.
      const QPointF ab = b - a;
      const double length2 = QPointF::dotProduct(ab, ab);
      if (length2 <= 0) continue;
      const double t = std::clamp(QPointF::dotProduct(at - a, ab) / length2, 0.0, 1.0);
      if (QLineF(a + ab * t, at).length() <= kNear) return true;
    }
    return false;
  };
  const std::vector<ElementShape>& list = DrawState().elements;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const bool hit = !it->line.empty() ? nearLine(*it)
                     : !it->path.isEmpty() ? it->path.contains(at)
                                           : it->box.contains(at);
    if (hit) {
      if (element) *element = it->element;
      return true;
    }
  }
  return false;
}

double GraphViewAngle() { return DrawState().viewAngle; }
void SetGraphViewAngle(double radians) { DrawState().viewAngle = radians; }
GraphPlotFrame LastGraphPlotFrame() { return DrawState().lastFrame; }

void GraphValuesAt(const GraphPlotFrame& frame, double px, double py, double* x, double* y) {
  const QRectF& r = frame.plot;
  const double fx = r.width() > 0 ? (px - r.left()) / r.width() : 0;
  const double fy = r.height() > 0 ? (r.bottom() - py) / r.height() : 0;
  if (frame.logX && frame.xmin > 0 && frame.xmax > 0) {
    *x = frame.xmin * std::pow(frame.xmax / frame.xmin, fx);
  } else {
    *x = frame.xmin + fx * (frame.xmax - frame.xmin);
  }
  if (frame.logY && frame.ymin > 0 && frame.ymax > 0) {
    *y = frame.ymin * std::pow(frame.ymax / frame.ymin, fy);
  } else {
    *y = frame.ymin + fy * (frame.ymax - frame.ymin);
  }
}

QString GraphFontFamily(std::string_view storedFace) {
  struct Alias {
    const char* stored;
    const char* family;
  };
  // Faces of worksheets from other systems and the metric-compatible families that draw them.
  static const Alias kAliases[] = {
      {"ARIAL", "Liberation Sans"},          {"HELVETICA", "Liberation Sans"},
      {"TIMES NEW ROMAN", "Liberation Serif"}, {"TIMES", "Liberation Serif"},
      {"COURIER NEW", "Liberation Mono"},    {"COURIER", "Liberation Mono"},
  };
  const QString face = SheetText(storedFace).trimmed();
  if (face.isEmpty()) return "Liberation Sans";
  for (const Alias& alias : kAliases) {
    if (face.compare(alias.stored, Qt::CaseInsensitive) == 0) return alias.family;
  }
  return face;
}

void ResetGraphDrawing() { DrawState() = GraphDrawState{}; }
