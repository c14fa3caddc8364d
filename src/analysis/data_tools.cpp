// analysis/data_tools.cpp — frequency bins, data tables, goal seek, parse and query.
//
// Reads and writes: the current worksheet's cells (through analysis_cells.h and cell entry),
// the formula engine's recalculation and evaluation; messages through ShowError.
#include "analysis/data_tools.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "analysis/analysis_cells.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "core/text_case.h"
#include "core/worksheets.h"
#include "files/values_split.h"
#include "formula/evaluator.h"
#include "formula/formula_code.h"
#include "platform/platform.h"

namespace {

// What a cell shows as a value for the tools that copy results: nothing (no cell or a blank),
// a number, a text (a label with its prefix, a string without), or an error.
struct CellResult {
  enum class Kind : uint8_t { kNothing, kNumber, kLabel, kString, kError } kind = Kind::kNothing;
  double number = 0;
  std::string text;
};

bool IsErrorCell(const CellRecord* c) {
  const uint8_t kind = c->kind & kKindMask;
  return (c->kind & kKindErrorMark) || kind == uint8_t(CellKind::kError6) ||
         kind == uint8_t(CellKind::kError7);
}

CellResult ResultOf(CellHandle h) {
  CellResult r;
  if (!h) return r;
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind & kKindMask;
  if (IsErrorCell(c)) {
    r.kind = CellResult::Kind::kError;
  } else if (kind == uint8_t(CellKind::kLabel)) {
    r.kind = CellResult::Kind::kLabel;
    r.text = PoolText(c->text);
  } else if (kind == uint8_t(CellKind::kStringFormula)) {
    r.kind = CellResult::Kind::kString;
    r.text = PoolText(CellStringResult(c));
  } else if (KindIsNumeric(kind)) {
    r.kind = CellResult::Kind::kNumber;
    r.number = CellNumber(c);
  }
  return r;
}

// Writes a copied result: a number stored, a label kept with its prefix, a string as a label
// with the global prefix, an error as the formula @ERR, nothing as an erased cell.
bool WriteResult(uint32_t row, uint32_t column, const CellResult& r) {
  switch (r.kind) {
    case CellResult::Kind::kNumber: return StoreNumberAt(row, column, r.number);
    case CellResult::Kind::kLabel: return StoreLabelAt(row, column, r.text);
    case CellResult::Kind::kString: {
      std::string label(1, char(Options().labelPrefix()));
      return StoreLabelAt(row, column, label + r.text);
    }
    case CellResult::Kind::kError: return EnterTextAt(row, column, "@ERR");
    case CellResult::Kind::kNothing: break;
  }
  return EraseAt(row, column);
}

// The number of a numeric cell (numeric formula, number, integer); nothing for any other.
std::optional<double> NumericAt(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  if (!h || !KindIsNumeric(CellAt(h)->kind)) return std::nullopt;
  return CellNumber(CellAt(h));
}

// The shortest text that reads back to `value`, with the decimal separator of entry.
std::string EntryNumberText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
  const char separator = NumberFormatSettings().decimalSeparator;
  if (separator != '.') std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

// The text of a label or string cell without a label prefix, for names and label criteria;
// the general text of a number; "" for anything else.
std::string PlainText(CellHandle h) {
  const CellResult r = ResultOf(h);
  switch (r.kind) {
    case CellResult::Kind::kLabel: return r.text.empty() ? r.text : r.text.substr(1);
    case CellResult::Kind::kString: return r.text;
    case CellResult::Kind::kNumber: return FormatGeneral(r.number);
    default: return {};
  }
}

}  // namespace

// --- frequency bins ----------------------------------------------------------------------------

CommandResult FrequencyBins(const CellRange& dataRange, const CellRange& binRange,
                            bool lowerInclusive) {
  if (!RangeIsValid(dataRange) || !RangeIsValid(binRange)) return CommandResult{};
  const CellRange d = OrderedRange(dataRange);
  const CellRange b = OrderedRange(binRange);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    std::vector<double> values;
    for (uint32_t row = d.firstRow; row <= d.lastRow; ++row) {
      for (CellHandle h = FindCellAtOrAfter(row, d.firstColumn); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        if (c->column > d.lastColumn) break;
        const double v = CellNumber(c);
        if (!std::isnan(v)) values.push_back(v);  // a NaN falls in no bin: it stays in the rest
      }
    }
    std::sort(values.begin(), values.end());
    // Values below `limit` (or up to it, when `inclusive`).
    auto countBelow = [&](double limit, bool inclusive) -> double {
      const auto at = inclusive ? std::upper_bound(values.begin(), values.end(), limit)
                                : std::lower_bound(values.begin(), values.end(), limit);
      return double(at - values.begin());
    };
    const bool upperInclusive = !lowerInclusive;
    double remaining = double(d.lastRow - d.firstRow + 1u) * double(d.lastColumn - d.firstColumn + 1u);
    const double fraction = 1.0 / remaining;
    if (!IsValidCell(b.lastRow + 1u, b.firstColumn + 2u)) return ToolFailed("Out of Range");
    double previous = 0;
    for (uint32_t row = b.firstRow; row <= b.lastRow; ++row) {
      const double upper = ValueAt(row, b.firstColumn);
      double count = countBelow(upper, upperInclusive);
      if (row > b.firstRow) count = std::max(0.0, count - countBelow(previous, upperInclusive));
      if (!StoreNumberAt(row, b.firstColumn + 1u, count) ||
          !StoreNumberAt(row, b.firstColumn + 2u, count * fraction)) {
        return WriteRefused();
      }
      remaining -= count;
      previous = upper;
    }
    if (!StoreNumberAt(b.lastRow + 1u, b.firstColumn + 1u, remaining) ||
        !StoreNumberAt(b.lastRow + 1u, b.firstColumn + 2u, remaining * fraction)) {
      return WriteRefused();
    }
    return CommandResult{};
  });
}

// --- data tables -------------------------------------------------------------------------------

CommandResult DataTable(const CellRange& input1Range, const CellRange& input2Range,
                        const CellRange& tableRange) {
  if (!RangeIsValid(input1Range) || !RangeIsValid(tableRange)) return CommandResult{};
  const bool twoInputs = RangeIsValid(input2Range);
  const CellRange i1 = OrderedRange(input1Range);
  const CellRange i2 = twoInputs ? OrderedRange(input2Range) : i1;
  const CellRange t = OrderedRange(tableRange);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const SavedCell saved1(i1.firstRow, i1.firstColumn);
    const SavedCell saved2(i2.firstRow, i2.firstColumn);
    // Stores `value` into an input cell and brings its dependents up to date.
    auto setInput = [](const CellRange& input, double value) {
      if (!StoreNumberAt(input.firstRow, input.firstColumn, value)) return false;
      RecalculateDependents(input.firstRow, input.firstColumn);
      return true;
    };
    bool ok = true;
    if (!twoInputs) {
      // Row by row: each input value is stored once and every formula of the top row read.
      for (uint32_t row = t.firstRow + 1u; ok && row <= t.lastRow; ++row) {
        const std::optional<double> value = NumericAt(row, t.firstColumn);
        if (!value) continue;
        if (!(ok = setInput(i1, *value))) break;
        for (uint32_t column = t.firstColumn + 1u; column <= t.lastColumn; ++column) {
          const CellHandle formula = GetCell(t.firstRow, column);
          if (!formula) continue;
          if (!(ok = WriteResult(row, column, ResultOf(formula)))) break;
        }
      }
    } else {
      for (uint32_t column = t.firstColumn + 1u; ok && column <= t.lastColumn; ++column) {
        const std::optional<double> value2 = NumericAt(t.firstRow, column);
        for (uint32_t row = t.firstRow + 1u; value2 && row <= t.lastRow; ++row) {
          const std::optional<double> value1 = NumericAt(row, t.firstColumn);
          if (!value1 || !GetCell(t.firstRow, t.firstColumn)) continue;
          if (!(ok = setInput(i1, *value1) && setInput(i2, *value2))) break;
          const CellHandle formula = GetCell(t.firstRow, t.firstColumn);
          if (!(ok = WriteResult(row, column, ResultOf(formula)))) break;
        }
      }
    }
    if (twoInputs) saved2.Restore();
    saved1.Restore();
    return ok ? CommandResult{} : WriteRefused();
  });
}

// --- goal seek ---------------------------------------------------------------------------------

CommandResult GoalSeek(CellAddress input, CellAddress output, double desired, double tolerance,
                       double* lastEstimate) {
  if (!IsValidCell(input.row, input.column) || !IsValidCell(output.row, output.column)) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    if (!GetOrCreateCell(input.row, input.column) || !GetOrCreateCell(output.row, output.column)) {
      return WriteRefused();
    }
    auto resultFor = [&](double x, double* f) {
      if (!StoreNumberAt(input.row, input.column, x)) return false;
      RecalculateDependents(input.row, input.column);
      *f = ValueAt(output.row, output.column);
      return true;
    };
    const uint8_t format = CellAt(GetCell(input.row, input.column))->format & kFormatCodeMask;
    double x = ValueAt(input.row, input.column);
    double f1 = 0, f2 = 0;
    int count = 0;
    bool met = false;
    do {
      const double x2 = 0.99 * x;
      if (!resultFor(x2, &f2) || !resultFor(x, &f1)) return WriteRefused();
      met = std::fabs(f1 - desired) < tolerance;
      if (met) break;
      const double slope = (x - x2) == 0 ? 1.0 : (f1 - f2) / (x - x2);
      if (slope != 0) {
        const double next = x - (f1 - desired) / slope;
        if (!std::isfinite(next)) break;  // no further estimate to try
        x = next;
      } else {
        count = 25;
      }
      ThePlatform().ShowStatus(FormatValue(20, format, x));
      ++count;
    } while (count < 26);
    if (lastEstimate) *lastEstimate = x;
    if (met) return CommandResult{};
    const std::string text = EntryNumberText(x) + "+@ERR";
    if (!EnterTextAt(input.row, input.column, text)) return WriteRefused();
    RecalculateDependents(input.row, input.column);
    return CommandResult{};
  });
}

// --- parse -------------------------------------------------------------------------------------

CommandResult ParseLabels(const CellRange& range) {
  if (!RangeIsValid(range)) return CommandResult{};
  const CellRange r = OrderedRange(range);
  CommandSteps steps;
  steps.recalculate = false;  // each entry recalculates what depends on its cell
  return RunCommand(steps, [&]() -> CommandResult {
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      uint32_t column = r.firstColumn;
      while (column <= r.lastColumn) {
        const CellHandle h = FindCellAtOrAfter(row, column);
        if (!h || CellAt(h)->column > r.lastColumn) break;
        const CellRecord* c = CellAt(h);
        column = c->column;
        if (KindIsLabel(c->kind)) {
          const std::string text = PoolText(c->text);
          const std::vector<std::string> fields =
              SplitValuesLine(std::string_view(text).substr(text.empty() ? 0 : 1));
          for (size_t k = 0; k < fields.size() && column + k < uint32_t(kColumnCount); ++k) {
            EnterTextAt(row, uint32_t(column + k), fields[k]);
          }
        }
        ++column;
      }
    }
    return CommandResult{};
  });
}

// --- query -------------------------------------------------------------------------------------

bool QueryTextMatches(std::string_view pattern, std::string_view text) {
  bool negate = false;
  if (!pattern.empty() && pattern[0] == '~') {
    negate = true;
    pattern.remove_prefix(1);
  }
  if (pattern.find("...") != std::string_view::npos) {
    // "..." stands for any text: what is left once every "..." is dropped must appear somewhere
    // in the text, letters compared upper-cased.
    std::string wanted;
    for (size_t k = 0; k < pattern.size();) {
      if (pattern.substr(k, 3) == "...") {
        k += 3;
      } else {
        wanted += char(UpperCaseChar(pattern[k++]));
      }
    }
    std::string upper;
    upper.reserve(text.size());
    for (char ch : text) upper += char(UpperCaseChar(ch));
    return (upper.find(wanted) != std::string::npos) != negate;
  }
  bool match = true;
  size_t i = 0;
  for (; i < pattern.size(); ++i) {
    if (pattern[i] == '*') break;
    if (i >= text.size() ||
        (pattern[i] != '?' && UpperCaseChar(pattern[i]) != UpperCaseChar(text[i]))) {
      match = false;
      break;
    }
  }
  if (match && i == pattern.size()) match = text.size() == pattern.size();
  return match != negate;
}

namespace {

// One criteria cell, prepared once.
struct Criterion {
  enum class Kind : uint8_t { kNumber, kText, kFormula, kNoField } kind = Kind::kNumber;
  uint32_t field = 0;  // column of the input range it tests
  double number = 0;
  std::string text;
  uint8_t code[kMaxCodeSize] = {};  // a formula's code in file form relative to its own cell
  uint16_t row = 0, column = 0;     // the criteria cell
};

bool CriterionHolds(const Criterion& c, uint32_t recordRow, uint32_t recordIndex) {
  switch (c.kind) {
    case Criterion::Kind::kNoField: return false;
    case Criterion::Kind::kNumber: {
      const std::optional<double> v = NumericAt(recordRow, c.field);
      return v && *v == c.number;
    }
    case Criterion::Kind::kText: {
      const CellResult r = ResultOf(GetCell(recordRow, c.field));
      const bool isText = r.kind == CellResult::Kind::kLabel || r.kind == CellResult::Kind::kString;
      std::string text = isText ? PlainText(GetCell(recordRow, c.field)) : std::string();
      if (!isText) return !c.text.empty() && c.text[0] == '~';
      return QueryTextMatches(c.text, text);
    }
    case Criterion::Kind::kFormula: {
      const uint32_t row = c.row + recordIndex;
      if (row >= uint32_t(kRowCount)) return false;
      uint8_t code[kMaxCodeSize];
      std::memcpy(code, c.code, sizeof code);
      if (!CodeToCellForm(code, uint16_t(row), c.column)) return false;
      const EvalResult r = EvaluateCode(code, CodeBufferSize(code));
      return !r.error && !r.isString && r.number == 1.0;
    }
  }
  return false;
}

}  // namespace

CommandResult QueryExtract(const CellRange& inputRange, const CellRange& criteriaRange,
                           const CellRange& outputRange) {
  if (!RangeIsValid(inputRange) || !RangeIsValid(criteriaRange) || !RangeIsValid(outputRange)) {
    return CommandResult{};
  }
  const CellRange d = OrderedRange(inputRange);
  const CellRange cr = OrderedRange(criteriaRange);
  const CellRange o = OrderedRange(outputRange);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    // The input's column for a field name, or -1.
    auto fieldColumn = [&](const std::string& name) -> int {
      if (name.empty()) return -1;
      for (uint32_t column = d.firstColumn; column <= d.lastColumn; ++column) {
        if (SameTextIgnoringCase(PlainText(GetCell(d.firstRow, column)), name)) return int(column);
      }
      return -1;
    };
    std::vector<std::vector<Criterion>> rows;
    for (uint32_t row = cr.firstRow + 1u; row <= cr.lastRow; ++row) {
      std::vector<Criterion> conditions;
      for (uint32_t column = cr.firstColumn; column <= cr.lastColumn; ++column) {
        const CellHandle h = GetCell(row, column);
        if (!h) continue;
        const CellRecord* cell = CellAt(h);
        const uint8_t kind = cell->kind & kKindMask;
        Criterion c;
        c.row = uint16_t(row);
        c.column = uint16_t(column);
        if (kind == uint8_t(CellKind::kBlank)) continue;
        if (KindIsFormula(kind) && !(cell->kind & kKindFileForm) && cell->text) {
          c.kind = Criterion::Kind::kFormula;
          if (!CodeToFileForm(PoolPtr(cell->text), c.row, c.column, c.code)) continue;
        } else if (kind == uint8_t(CellKind::kLabel)) {
          c.kind = Criterion::Kind::kText;
          c.text = PlainText(h);
          if (c.text.empty()) continue;
        } else if (KindIsNumeric(kind)) {
          c.number = CellNumber(cell);
        } else {
          continue;
        }
        const int field = fieldColumn(PlainText(GetCell(cr.firstRow, column)));
        if (field < 0 && c.kind != Criterion::Kind::kFormula) c.kind = Criterion::Kind::kNoField;
        c.field = field < 0 ? 0 : uint32_t(field);
        conditions.push_back(std::move(c));
      }
      rows.push_back(std::move(conditions));
    }
    std::vector<int> outputFields;
    for (uint32_t column = o.firstColumn; column <= o.lastColumn; ++column) {
      outputFields.push_back(fieldColumn(PlainText(GetCell(o.firstRow, column))));
    }
    const bool bounded = o.lastRow > o.firstRow;
    const uint32_t limit = bounded ? o.lastRow : uint32_t(kRowCount - 1);
    if (bounded) {
      for (uint32_t row = o.firstRow + 1u; row <= o.lastRow; ++row) {
        for (uint32_t column = o.firstColumn; column <= o.lastColumn; ++column) {
          if (!EraseAt(row, column)) return WriteRefused();
        }
      }
    }
    uint32_t target = o.firstRow + 1u;
    for (uint32_t row = d.firstRow + 1u; row <= d.lastRow && target <= limit; ++row) {
      const uint32_t index = row - d.firstRow - 1u;
      bool match = rows.empty();
      for (const std::vector<Criterion>& conditions : rows) {
        match = std::all_of(conditions.begin(), conditions.end(),
                            [&](const Criterion& c) { return CriterionHolds(c, row, index); });
        if (match) break;
      }
      if (!match) continue;
      for (size_t k = 0; k < outputFields.size(); ++k) {
        if (outputFields[k] < 0) continue;
        const CellResult r = ResultOf(GetCell(row, uint32_t(outputFields[k])));
        if (!WriteResult(target, o.firstColumn + uint32_t(k), r)) return WriteRefused();
      }
      ++target;
    }
    return CommandResult{};
  });
}

void KeepToolRanges(KeptRanges tool, const std::array<CellRange, 3>& ranges, bool lowerInclusive) {
  if (CurrentWorksheet() == 0) return;
  NoteOptions();
  GlobalOptions& o = Options();
  const auto& [a, b, c] = ranges;
  switch (tool) {
    case KeptRanges::kQuery:
      o.setRange(GlobalOptions::kQueryInput, a);
      o.setRange(GlobalOptions::kQueryCriteria, b);
      o.setRange(GlobalOptions::kQueryOutput, c);
      break;
    case KeptRanges::kBins:
      o.setRange(GlobalOptions::kTableRange, a);
      o.setRange(GlobalOptions::kTableInput1, b);
      o.setBinLowerInclusive(lowerInclusive);
      break;
    case KeptRanges::kTable:
      o.setRange(GlobalOptions::kTableInput1, a);
      o.setRange(GlobalOptions::kTableInput2, b);
      o.setRange(GlobalOptions::kTableRange, c);
      break;
    case KeptRanges::kGoalSeek:
      o.setDataToolRange(GlobalOptions::kGoalInput, a);
      o.setDataToolRange(GlobalOptions::kGoalInputCopy, a);
      o.setDataToolRange(GlobalOptions::kGoalOutput, b);
      o.setDataToolRange(GlobalOptions::kGoalOutputCopy, b);
      break;
    case KeptRanges::kRegress:
      o.setDataToolRange(GlobalOptions::kRegressX, a);
      o.setDataToolRange(GlobalOptions::kRegressY, b);
      o.setDataToolRange(GlobalOptions::kRegressOutput, c);
      break;
    case KeptRanges::kMultiRegress: o.setDataToolRange(GlobalOptions::kMultiRegressX, a); break;
  }
  StoreOptions(CurrentWorksheet());
}
