// formula/functions_sheet_common.h — helpers shared by the routines of functions_sheet.h.
//
// Only the functions_*.cpp files of the financial, date, string, lookup, database and
// information functions include this header.
// State: none.
#pragma once

#include <cmath>
#include <cstdint>

#include "formula/value_stack.h"

// Each file registers its own routines; RegisterSheetFunctions calls them all.
void RegisterFinanceFunctions();
void RegisterDateTimeFunctions();
void RegisterStringFunctions();
void RegisterLookupFunctions();
void RegisterDatabaseFunctions();
void RegisterInfoFunctions();
void ResetLinkTables();
void ResetIoResult();

// True (and the result made ERR) when argument `from`..Count() carries the error flag. The
// first argument's flag is the result's own already; later arguments are checked too, so that
// @PMT(A1,B1,C1) is ERR when any of the three cells is. Range arguments are left out by the
// callers that have them (their entry carries only the flag of one corner cell).
inline bool ArgumentFailed(Frame& f, int from = 1, int to = -1) {
  if (to < 0) to = f.Count();
  for (int i = from; i <= to; ++i) {
    if (f.HasError(i)) {
      f.SetError(true);
      return true;
    }
  }
  return false;
}

// Sets a numeric result, or raises ERR for an infinity or NaN.
inline void SetChecked(Frame& f, double value) {
  if (!std::isfinite(value)) {
    f.Fail();
    value = 1.0;
  }
  f.SetNumber(value);
}

// `value` truncated toward zero and clamped into lo..hi; false for NaN.
inline bool WholeInRange(double value, int64_t lo, int64_t hi, int64_t* out) {
  if (std::isnan(value)) return false;
  double t = std::trunc(value);
  if (t <= double(lo)) {
    *out = lo;
  } else if (t >= double(hi)) {
    *out = hi;
  } else {
    *out = int64_t(t);
  }
  return true;
}

// `value` rounded half away from zero; false for NaN and infinities.
inline bool Rounded(double value, double* out) {
  if (!std::isfinite(value)) return false;
  *out = std::round(value);
  return true;
}

// Visits the cells of a range row by row, each row from its first column to its last, skipping
// positions without a cell; stops early when `visit` gives false. Gives false when it stopped.
template <typename Visit>
bool ForEachCell(const ArgumentRange& range, Visit visit) {
  for (uint32_t row = range.range.firstRow; row <= range.range.lastRow; ++row) {
    for (CellHandle h = FirstCellInRow(range, row); h; h = CellAt(h)->next) {
      if (CellAt(h)->column > range.range.lastColumn) break;
      if (!visit(h)) return false;
    }
  }
  return true;
}

// The numbers of the numeric cells of a range, in range order, as the list statistics read a
// range: cells of kinds 1, 2 and 3 count, other cells are skipped, and a cell with the error
// mark makes the whole reading fail (false).
template <typename Take>
bool ForEachNumber(const ArgumentRange& range, Take take) {
  bool failed = false;
  ForEachCell(range, [&](CellHandle h) {
    const CellRecord* c = CellAt(h);
    if (c->kind & kKindErrorMark) {
      failed = true;
      return false;
    }
    if (KindIsNumeric(c->kind)) take(CellNumber(c));
    return true;
  });
  return !failed;
}
