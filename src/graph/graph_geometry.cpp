// graph/graph_geometry.cpp — the arithmetic of graph drawing (see graph_geometry.h). No state.
#include "graph/graph_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool IsNumber(double v) { return !std::isnan(v); }

constexpr double kLogTolerance = 1e-9;

}  // namespace

GraphTypeClasses ClassesOf(int type) {
  GraphTypeClasses c;
  auto in = [type](std::initializer_list<int> codes) {
    return std::find(codes.begin(), codes.end(), type) != codes.end();
  };
  c.stacked = in({3, 8, 17});
  c.numericX = in({0, 5, 7, 9, 10, 13});
  c.noAxes = in({2, 14, 15});
  c.polar = in({7, 10});
  c.categories = in({1, 3, 4, 6, 8, 11, 12});
  c.bars = in({1, 3, 16});
  c.threeD = in({11, 12, 14, 15, 16, 17});
  c.linesSymbols = in({0, 4, 5, 6, 7, 9, 10});
  return c;
}

bool GrowsFromZero(int type) {
  return type == 1 || type == 3 || type == 8 || type == 12 || type == 16 || type == 17;
}

bool ValueSpan(const SeriesValues& values, AxisLimits* out) {
  bool any = false;
  for (double v : values) {
    if (!IsNumber(v)) continue;
    if (!any) {
      out->min = out->max = v;
      any = true;
    } else {
      out->min = std::min(out->min, v);
      out->max = std::max(out->max, v);
    }
  }
  return any;
}

bool PositiveSpan(const SeriesValues& values, AxisLimits* out) {
  bool any = false;
  for (double v : values) {
    if (!IsNumber(v) || v <= 0) continue;
    if (!any) {
      out->min = out->max = v;
      any = true;
    } else {
      out->min = std::min(out->min, v);
      out->max = std::max(out->max, v);
    }
  }
  return any;
}

AxisLimits CategoryXRange(int count) { return AxisLimits{1, double(std::max(count, 0)) + 1}; }

AxisLimits NumericXRange(const SeriesValues& xValues, bool manual, double lower, double upper) {
  if (manual) return AxisLimits{lower, upper};
  AxisLimits span;
  if (!ValueSpan(xValues, &span)) return AxisLimits{0, 1};
  return span;
}

SeriesValues CumulativeValues(const SeriesValues& values) {
  SeriesValues out(values.size());
  double total = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (!IsNumber(values[i])) {
      out[i] = values[i];
      continue;
    }
    total += values[i];
    out[i] = total;
  }
  return out;
}

SeriesValues DeltaValues(const SeriesValues& values) {
  SeriesValues out;
  for (size_t i = 1; i < values.size(); ++i) {
    out.push_back(IsNumber(values[i]) && IsNumber(values[i - 1]) ? values[i] - values[i - 1]
                                                                  : std::nan(""));
  }
  return out;
}

AxisLimits AutomaticYRange(int type, const std::vector<SeriesValues>& series) {
  const GraphTypeClasses classes = ClassesOf(type);
  AxisLimits result;
  bool any = false;
  auto widen = [&](AxisLimits s) {
    if (!any) {
      result = s;
      any = true;
    } else {
      result.min = std::min(result.min, s.min);
      result.max = std::max(result.max, s.max);
    }
  };
  if (classes.stacked) {
    AxisLimits sum{0, 0};
    for (const SeriesValues& s : series) {
      AxisLimits span;
      if (!ValueSpan(s, &span)) continue;
      sum.max += std::max(span.max, 0.0);
      sum.min += std::min(span.min, 0.0);
      any = true;
    }
    result = sum;
  } else {
    for (const SeriesValues& s : series) {
      AxisLimits span;
      const SeriesValues* values = &s;
      SeriesValues derived;
      if (type == 5) {
        derived = CumulativeValues(s);
        values = &derived;
      } else if (type == 9) {
        derived = DeltaValues(s);
        values = &derived;
      }
      if (!ValueSpan(*values, &span)) continue;
      if (type == 5) {
        span.min = std::min(span.min, 0.0);
        span.max = std::max(span.max, 0.0);
      }
      widen(span);
    }
  }
  if (!any) return AxisLimits{0, 1};
  if (GrowsFromZero(type)) {
    result.min = std::min(result.min, 0.0);
    result.max = std::max(result.max, 0.0);
  }
  return result;
}

LogLimits LogarithmicLimits(AxisLimits data, bool yAxis) {
  auto log10Of = [](double v) { return v == 0 ? 1.0 : std::log10(std::fabs(v)); };
  LogLimits out;
  out.upper = std::pow(10.0, std::round(log10Of(data.max)));
  if ((yAxis ? out.upper * 1.01 : out.upper) < data.max) out.upper *= 10;
  out.lower = std::pow(10.0, std::round(log10Of(data.min)));
  if (out.lower > data.min && data.min > 0) out.lower /= 10;
  if (out.lower >= out.upper) out.upper = out.lower * 10;
  out.decades = int(std::round(std::fabs(std::log10(out.lower / out.upper)) + 1e-16));
  out.decades = std::max(out.decades, 1);
  return out;
}

int DivisionCount(int stored) { return stored < 1 ? 5 : stored; }

double PixelsPerUnit(double pixels, double span) {
  return span == 0 || !std::isfinite(span) ? pixels : pixels / span;
}

std::vector<double> AxisTicks(AxisLimits limits, int divisions, bool logarithmic) {
  const int d = DivisionCount(divisions);
  std::vector<double> ticks;
  ticks.reserve(size_t(d) + 1);
  if (logarithmic) {
    double step = d > 0 && limits.min > 0 ? std::pow(limits.max / limits.min, 1.0 / d) : 10;
    if (std::fabs(step - 10) < kLogTolerance * 10 || !std::isfinite(step) || step <= 1) step = 10;
    double v = limits.max;
    for (int i = 0; i <= d; ++i, v /= step) ticks.push_back(v);
    return ticks;
  }
  double step = (limits.max - limits.min) / d;
  if (step == 0 || !std::isfinite(step)) step = 1;
  for (int i = 0; i <= d; ++i) ticks.push_back(limits.max - i * step);
  return ticks;
}

std::vector<double> MinorTicks(double high, double low, int minor, bool logarithmic) {
  std::vector<double> out;
  if (logarithmic) {
    if (low <= 0) return out;
    for (int k = 2; k <= 9; ++k) {
      const double v = low * k;
      if (v < high) out.push_back(v);
    }
    return out;
  }
  if (minor < 1) return out;
  for (int k = 1; k <= minor; ++k) out.push_back(high - (high - low) * k / (minor + 1));
  return out;
}

BarLayout LayOutBars(double plotWidth, AxisLimits x, double offset3D, int seriesCount,
                     bool stacked) {
  BarLayout b;
  const double categories = x.max - x.min + 1;
  b.categoryWidth = categories > 0 ? plotWidth / categories : plotWidth;
  b.margin = b.categoryWidth >= 2 * offset3D ? offset3D : 0;
  const int bars = stacked ? 1 : std::max(seriesCount, 1);
  b.barWidth = (b.categoryWidth - b.margin) / bars;
  return b;
}

double BarLeft(double centre, int k, int count, double barWidth) {
  return centre - count * barWidth / 2 + (k - 1) * barWidth;
}

std::vector<SeriesValues> StackBases(const std::vector<SeriesValues>& series) {
  size_t points = 0;
  for (const SeriesValues& s : series) points = std::max(points, s.size());
  SeriesValues positive(points, 0.0), negative(points, 0.0);
  std::vector<SeriesValues> bases;
  bases.reserve(series.size());
  for (const SeriesValues& s : series) {
    SeriesValues base(s.size(), 0.0);
    for (size_t i = 0; i < s.size(); ++i) {
      const double v = s[i];
      if (!IsNumber(v)) {
        base[i] = positive[i];
        continue;
      }
      double& total = v < 0 ? negative[i] : positive[i];
      base[i] = total;
      total += v;
    }
    bases.push_back(std::move(base));
  }
  return bases;
}

std::vector<PieSlice> PieSlices(const SeriesValues& values, const SeriesValues& explode) {
  constexpr double kFull = 2 * std::numbers::pi;
  double total = 0;
  for (double v : values) {
    if (IsNumber(v) && v > 0) total += v;
  }
  std::vector<PieSlice> slices;
  if (!(total > 0) || !std::isfinite(total)) return slices;
  double angle = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    if (!IsNumber(v) || v <= 0) continue;
    PieSlice s;
    s.point = int(i);
    s.start = angle;
    const double end = std::min(angle + kFull * v / total, kFull);
    s.sweep = end - angle;
    angle = end;
    if (i < explode.size() && IsNumber(explode[i]) && explode[i] >= 0 && explode[i] <= 100) {
      s.explode = explode[i] / 100;
    }
    slices.push_back(s);
  }
  return slices;
}

int PieSliceColour(int point) { return (point + 1) % 16; }

Projected Project3D(double x, double y, double z, double viewAngle) {
  constexpr double t = std::numbers::pi / 4;
  const double x1 = std::round(x * std::cos(viewAngle) + y * std::sin(viewAngle));
  const double y1 = std::round(y * std::cos(viewAngle) - x * std::sin(viewAngle));
  Projected p;
  p.across = long(x1);
  p.height = long(std::round(z * std::cos(t) - y1 * std::sin(t)));
  p.depth = long(std::round(z * std::sin(t) + y1 * std::cos(t)));
  return p;
}

DepthStep DepthAxis(double unit, double viewAngle) {
  // Projected at 1024 times the size so that the rounding to whole units stays below a pixel.
  constexpr double kFine = 1024;
  const Projected q = Project3D(0, unit * kFine, 0, std::numbers::pi / 4 + viewAngle);
  DepthStep step;
  step.across = double(q.across) / kFine;
  step.down = double(q.height) / kFine;
  step.deeperIsFarther = q.depth >= 0;
  return step;
}

double TurnView(double angle) {
  constexpr double kFull = 2 * std::numbers::pi;
  double next = angle + std::numbers::pi / 16;
  if (next >= kFull - 1e-12) next -= kFull;
  return next < 1e-12 ? 0 : next;
}

LabelSpot PlaceDataLabel(int place, double x, double y, double w, double h, double gap) {
  switch (place) {
    case 0: return {x - w / 2, y - h};
    case 1: return {x - w / 2, y + h};
    case 2: return {x - w - gap, y};
    case 3: return {x + gap, y};
    default: return {x, y + h / 2};
  }
}

int ContourLevel(double value, double lowest, double highest, int levels) {
  if (levels < 1) return 0;
  const double span = highest - lowest;
  if (!(span > 0) || !IsNumber(value)) return 0;
  const int level = int(std::floor((value - lowest) / span * levels));
  return std::clamp(level, 0, levels - 1);
}

DenseLine DenseLineSpans(const std::vector<PlotPoint>& run) {
  DenseLine out;
  PlotPoint previousLast{};  // the last point of the previous column's group
  size_t i = 0;
  while (i < run.size()) {
    const long column = std::lround(run[i].x);
    const PlotPoint first = run[i];
    ColumnSpan span{column, first.y, first.y};
    PlotPoint last = first;
    for (; i < run.size() && std::lround(run[i].x) == column; ++i) {
      span.low = std::min(span.low, run[i].y);
      span.high = std::max(span.high, run[i].y);
      last = run[i];
    }
    if (!out.spans.empty()) {
      ColumnSpan& previous = out.spans.back();
      if (std::labs(column - previous.column) <= 1) {
        // The step between neighbouring columns is shared: each reaches the middle.
        const double middle = (previousLast.y + first.y) / 2;
        previous.low = std::min(previous.low, middle);
        previous.high = std::max(previous.high, middle);
        span.low = std::min(span.low, middle);
        span.high = std::max(span.high, middle);
      } else {
        out.segments.emplace_back(previousLast, first);
      }
    }
    out.spans.push_back(span);
    previousLast = last;
  }
  return out;
}
