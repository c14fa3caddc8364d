// formula/statistics.cpp — routines of the list statistics (@SUM .. @STDU), the range
// statistics (@AVEDEV, @SKEW, @KURT, @COV, @MEDIAN, @COUNTA, @DET, @RANK, @TRACE) and of @COVAR
// and @PSUM.
//
// Two ways of reading a range:
//   - list statistics visit the cells that exist, row by row, and take only numeric cells
//     (kinds 1, 2, 3); any visited cell with the error mark makes the result ERR;
//   - range statistics read every position of the rectangle: a numeric cell without the error
//     mark gives its number, every other position 0, and nothing makes the result ERR by itself.
// Range arguments are re-read from the formula code (Frame::Range); a computed value in their
// place is ERR.
// State: none; reads cells of the current sheet and of linked sheets.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "core/cell_store.h"
#include "formula/formula_code.h"
#include "formula/functions_math.h"
#include "formula/special_functions.h"
#include "formula/value_stack.h"

namespace {

void Finish(Frame& f, double v) {
  if (!std::isfinite(v)) {
    f.Fail();
    return;
  }
  f.SetNumber(v + 0.0);
}

bool CellHasErrorMark(const CellRecord* c) {
  return (c->kind & kKindErrorMark) || (c->kind & kKindMask) > uint8_t(CellKind::kBlank);
}

// --- list statistics
// ------------------------------------------------------------------------------

// Collects the values of all arguments: the numeric cells of range arguments, and every other
// argument as a single value (a string counts as 0). False when an argument or a visited cell is
// ERR.
bool CollectListValues(Frame& f, std::vector<double>* values) {
  for (int i = 1; i <= f.Count(); ++i) {
    ArgumentRange r;
    if (!f.Range(i, &r)) {
      if (f.HasError(i)) return false;
      values->push_back(f.IsString(i) ? 0 : f.Number(i));
      continue;
    }
    for (uint32_t row = r.range.firstRow; row <= r.range.lastRow; ++row) {
      for (CellHandle h = FirstCellInRow(r, row); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        if (c->column > r.range.lastColumn) break;
        if (CellHasErrorMark(c)) return false;
        if (KindIsNumeric(c->kind)) values->push_back(CellNumber(c));
      }
    }
  }
  return true;
}

enum class ListStatistic : uint8_t { kSum, kAvg, kCount, kMin, kMax, kVar, kStd, kVarU, kStdU };

template <ListStatistic S>
void ListRoutine(Frame& f) {
  std::vector<double> values;
  if (!CollectListValues(f, &values)) return f.Fail();
  f.SetError(false);  // a range's first argument may carry its corner cell's flag
  const double n = double(values.size());
  double sum = 0;
  for (double x : values) sum += x;
  switch (S) {
    case ListStatistic::kSum:
      return Finish(f, sum);
    case ListStatistic::kCount:
      return Finish(f, n);
    case ListStatistic::kAvg:
      if (values.empty()) return f.Fail();
      return Finish(f, sum / n);
    case ListStatistic::kMin:
    case ListStatistic::kMax: {
      double best = values.empty() ? 0 : values[0];
      for (double x : values)
        best = S == ListStatistic::kMin ? std::min(best, x) : std::max(best, x);
      return Finish(f, best);
    }
    default:
      break;
  }
  // Variances: a first pass for the mean, a second for the squared deviations.
  const double divisor = (S == ListStatistic::kVar || S == ListStatistic::kStd) ? n : n - 1;
  if (!(divisor > 0)) return f.Fail();
  const double mean = sum / n;
  double squares = 0;
  for (double x : values) squares += (x - mean) * (x - mean);
  const double variance = squares / divisor;
  Finish(f,
         (S == ListStatistic::kStd || S == ListStatistic::kStdU) ? std::sqrt(variance) : variance);
}

// --- range statistics
// -------------------------------------------------------------------------------

// The positions of a rectangle, row by row, read as range statistics read them.
struct Rectangle {
  int rows = 0;
  int columns = 0;
  std::vector<double> values;
  bool anyValue = false;  // some position holds a cell that is not blank
};

Rectangle ReadRectangle(const ArgumentRange& r) {
  Rectangle out;
  out.rows = r.range.lastRow - r.range.firstRow + 1;
  out.columns = r.range.lastColumn - r.range.firstColumn + 1;
  out.values.assign(size_t(out.rows) * out.columns, 0.0);
  for (int i = 0; i < out.rows; ++i) {
    for (CellHandle h = FirstCellInRow(r, r.range.firstRow + i); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > r.range.lastColumn) break;
      if ((c->kind & kKindMask) != uint8_t(CellKind::kBlank)) out.anyValue = true;
      if (!(c->kind & kKindErrorMark) && KindIsNumeric(c->kind))
        out.values[size_t(i) * out.columns + (c->column - r.range.firstColumn)] = CellNumber(c);
    }
  }
  return out;
}

// The range of argument 1, with the result's error flag cleared (no position makes it ERR by
// itself); false (and ERR) when the argument is not a reference.
bool RangeArgument(Frame& f, int i, ArgumentRange* r) {
  if (!f.Range(i, r)) {
    f.Fail();
    return false;
  }
  f.SetError(false);
  return true;
}

enum class MomentStatistic : uint8_t { kAveDev, kSkew, kKurt, kCov };

// @AVEDEV, @SKEW, @KURT and @COV share the moments of the n positions (n below 2, and a
// variance of 0, are ERR). The kurtosis subtracts its 3 inside the divisor.
template <MomentStatistic S>
void MomentRoutine(Frame& f) {
  ArgumentRange r;
  if (!RangeArgument(f, 1, &r)) return;
  const Rectangle rect = ReadRectangle(r);
  Moments m;
  if (!ComputeMoments(rect.values, &m)) return f.Fail();
  const double n = double(rect.values.size());
  double divisor = 1, dividend = 0;
  switch (S) {
    case MomentStatistic::kAveDev:
      return Finish(f, m.meanAbsoluteDeviation);
    case MomentStatistic::kSkew:
      dividend = m.sum3;
      divisor = n * m.deviation * m.deviation * m.deviation;
      break;
    case MomentStatistic::kKurt:
      dividend = m.sum4;
      divisor = n * m.variance * m.variance - 3;
      break;
    case MomentStatistic::kCov:
      dividend = m.deviation;
      divisor = m.mean;
      break;
  }
  if (divisor == 0) return f.Fail();
  Finish(f, dividend / divisor);
}

// @MEDIAN: the median of the n positions by the search of MedianBySearch. A range whose
// positions are all empty or blank has no values and is ERR.
void Median(Frame& f) {
  ArgumentRange r;
  if (!RangeArgument(f, 1, &r)) return;
  const Rectangle rect = ReadRectangle(r);
  double v = 0;
  if (!rect.anyValue || !MedianBySearch(rect.values, &v)) return f.Fail();
  Finish(f, v);
}

// @COUNTA: positions holding a formula, a number or a label without the error mark.
void CountA(Frame& f) {
  ArgumentRange r;
  if (!RangeArgument(f, 1, &r)) return;
  double count = 0;
  for (uint32_t row = r.range.firstRow; row <= r.range.lastRow; ++row) {
    for (CellHandle h = FirstCellInRow(r, row); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > r.range.lastColumn) break;
      if (!(c->kind & kKindErrorMark) && (c->kind & kKindMask) <= uint8_t(CellKind::kLabel))
        ++count;
    }
  }
  Finish(f, count);
}

Matrix MatrixOf(const Rectangle& rect) {
  Matrix m;
  m.rows = rect.rows;
  m.columns = rect.columns;
  m.cells = rect.values;
  return m;
}

// @DET and @TRACE need a square range (else ERR); @RANK takes any shape.
void Det(Frame& f) {
  ArgumentRange r;
  if (!RangeArgument(f, 1, &r)) return;
  double v = 0;
  if (!Determinant(MatrixOf(ReadRectangle(r)), &v)) return f.Fail();
  Finish(f, v);
}

void Rank(Frame& f) {
  ArgumentRange r;
  if (!RangeArgument(f, 1, &r)) return;
  Finish(f, MatrixRank(MatrixOf(ReadRectangle(r))));
}

void Trace(Frame& f) {
  ArgumentRange r;
  if (!RangeArgument(f, 1, &r)) return;
  double v = 0;
  if (!MatrixTrace(MatrixOf(ReadRectangle(r)), &v)) return f.Fail();
  Finish(f, v);
}

// --- @COVAR and @PSUM
// -------------------------------------------------------------------------------

// One position of a paired range.
struct PairedValue {
  bool numeric = false;
  bool error = false;
  double value = 0;
};

std::vector<PairedValue> ReadPairedRange(const ArgumentRange& r) {
  const int rows = r.range.lastRow - r.range.firstRow + 1;
  const int columns = r.range.lastColumn - r.range.firstColumn + 1;
  std::vector<PairedValue> out(size_t(rows) * columns);
  for (int i = 0; i < rows; ++i) {
    for (CellHandle h = FirstCellInRow(r, r.range.firstRow + i); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > r.range.lastColumn) break;
      PairedValue& p = out[size_t(i) * columns + (c->column - r.range.firstColumn)];
      p.error = CellHasErrorMark(c);
      p.numeric = !p.error && KindIsNumeric(c->kind);
      p.value = p.numeric ? CellNumber(c) : 0;
    }
  }
  return out;
}

// @COVAR(r1, r2) and @PSUM(r1, r2) pair the positions of two ranges in range order (row by row),
// as a spreadsheet's sum of products and covariance do: both ranges must hold the same number of
// positions (their shapes may differ), a cell with the error mark in either makes the result
// ERR, and a pair takes part only when both of its cells are numeric. @PSUM is the sum of the
// products of the pairs (0 with none); @COVAR the population covariance
// sum (x - mean x)(y - mean y) / pairs (ERR with none).
template <bool kCovariance>
void PairedRoutine(Frame& f) {
  ArgumentRange r1, r2;
  if (!f.Range(1, &r1) || !f.Range(2, &r2)) return f.Fail();
  f.SetError(false);
  const std::vector<PairedValue> a = ReadPairedRange(r1), b = ReadPairedRange(r2);
  if (a.size() != b.size()) return f.Fail();
  std::vector<std::pair<double, double>> pairs;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].error || b[i].error) return f.Fail();
    if (a[i].numeric && b[i].numeric) pairs.emplace_back(a[i].value, b[i].value);
  }
  if (!kCovariance) {
    double sum = 0;
    for (const auto& [x, y] : pairs) sum += x * y;
    return Finish(f, sum);
  }
  if (pairs.empty()) return f.Fail();
  double sx = 0, sy = 0;
  for (const auto& [x, y] : pairs) {
    sx += x;
    sy += y;
  }
  const double n = double(pairs.size()), mx = sx / n, my = sy / n;
  double sum = 0;
  for (const auto& [x, y] : pairs) sum += (x - mx) * (y - my);
  Finish(f, sum / n);
}

}  // namespace

void RegisterStatisticsFunctions() {
  const struct {
    Op op;
    OpcodeRoutine routine;
  } kRoutines[] = {
      {Op::kSum, ListRoutine<ListStatistic::kSum>},
      {Op::kAvg, ListRoutine<ListStatistic::kAvg>},
      {Op::kCount, ListRoutine<ListStatistic::kCount>},
      {Op::kMin, ListRoutine<ListStatistic::kMin>},
      {Op::kMax, ListRoutine<ListStatistic::kMax>},
      {Op::kVar, ListRoutine<ListStatistic::kVar>},
      {Op::kStd, ListRoutine<ListStatistic::kStd>},
      {Op::kVaru, ListRoutine<ListStatistic::kVarU>},
      {Op::kStdu, ListRoutine<ListStatistic::kStdU>},
      {Op::kAvedev, MomentRoutine<MomentStatistic::kAveDev>},
      {Op::kSkew, MomentRoutine<MomentStatistic::kSkew>},
      {Op::kKurt, MomentRoutine<MomentStatistic::kKurt>},
      {Op::kCov, MomentRoutine<MomentStatistic::kCov>},
      {Op::kMedian, Median},
      {Op::kCounta, CountA},
      {Op::kDet, Det},
      {Op::kRank, Rank},
      {Op::kTrace, Trace},
      {Op::kCovar, PairedRoutine<true>},
      {Op::kPsum, PairedRoutine<false>},
  };
  for (const auto& r : kRoutines) RegisterFunction(uint8_t(r.op), r.routine);
}
