// commands/fill.cpp — Data Fill.
//
// Reads and writes: the current worksheet's cells (old contents unlinked and freed, numbers
// stored), the platform's progress display.
#include "commands/fill.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "commands/block_commands.h"
#include "commands/cell_changes.h"
#include "core/cell_store.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/worksheets.h"
#include "platform/platform.h"

namespace {

// The values of a series, exact in 64-bit integers while a linear series of whole numbers allows.
class Series {
 public:
  Series(FillType type, double step, double start) : type_(type), step_(step), value_(start) {
    constexpr double kExact = 9007199254740992.0;  // 2^53: every whole double below it is exact
    exact_ = type == FillType::kLinear && std::floor(start) == start && std::floor(step) == step &&
             std::fabs(start) < kExact && std::fabs(step) < kExact;
    if (exact_) {
      whole_ = int64_t(start);
      wholeStep_ = int64_t(step);
    }
  }
  double Value() const { return exact_ ? double(whole_) : value_; }
  void Advance() {
    if (exact_) {
      int64_t next;
      if (!__builtin_add_overflow(whole_, wholeStep_, &next)) {
        whole_ = next;
        return;
      }
      exact_ = false;  // past the 64-bit range: go on in floating point
      value_ = double(whole_);
    }
    switch (type_) {
      case FillType::kLinear: value_ += step_; break;
      case FillType::kMultiply: value_ *= step_; break;
      case FillType::kPower: value_ = std::pow(value_, step_); break;
    }
  }

 private:
  FillType type_;
  double step_;
  double value_;
  bool exact_ = false;
  int64_t whole_ = 0;
  int64_t wholeStep_ = 0;
};

// Makes the cell a number, dropping what it held (a formula's references, a text).
void StoreFillNumber(CellHandle h, double value) {
  EraseCellContents(h);
  StoreNumber(CellAt(h), value);
}

}  // namespace

CommandResult FillSeries(const CellRange& range, FillType type, bool rowOrder, double step,
                         double start) {
  if (!RangeIsValid(range)) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange r = OrderedRange(range);
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    const uint32_t rows = r.lastRow - r.firstRow + 1u;
    const uint32_t columns = r.lastColumn - r.firstColumn + 1u;
    const uint64_t total = uint64_t(rows) * columns;
    const bool protectedSheet = Options().protection();
    Series series(type, step, start);
    CommandResult result;
    for (uint64_t count = 0; count < total; ++count) {
      const uint32_t row = r.firstRow + uint32_t(rowOrder ? count / columns : count % rows);
      const uint32_t column = r.firstColumn + uint32_t(rowOrder ? count % columns : count / rows);
      const double value = series.Value();
      if (!std::isfinite(value)) {
        const std::string text = "Fill Overflow at " + ShortCellText(uint16_t(row), uint16_t(column));
        ShowError(text);
        result = CommandResult{CommandStatus::kFailed, text};
        break;
      }
      CellHandle h = GetCell(row, column);
      if (protectedSheet && (!h || (CellAt(h)->format & kFormatProtected))) {
        ShowError("Protected Cell");
        result = CommandResult{CommandStatus::kProtected, "Protected Cell"};
        break;
      }
      if (!h) h = GetOrCreateCell(row, column);
      if (!h) {
        result = CommandResult{CommandStatus::kFailed, ErrorText()};
        break;
      }
      StoreFillNumber(h, value);
      if (count % 2048 == 1) {
        ThePlatform().Progress(int(count * 100 / total));
        if (ThePlatform().UserInterrupted()) {
          result = CommandResult{CommandStatus::kFailed, {}};
          break;
        }
      }
      series.Advance();
    }
    ThePlatform().Progress(-1);
    if (result.Done()) return result;
    // The cells filled before the failure stay filled; the sheet is changed all the same.
    SetSheetModified(true);
    return result;
  });
}

CommandResult SpeedFill(const CellRange& block) {
  if (!RangeIsValid(block) || CurrentWorksheet() == 0) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange b = OrderedRange(block);
  const CellHandle h = GetCell(b.firstRow, b.firstColumn);
  const CellRecord* c = h ? CellAt(h) : nullptr;
  if (!c || KindIs(c->kind, CellKind::kBlank)) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  if (KindIs(c->kind, CellKind::kNumber) || KindIs(c->kind, CellKind::kInteger)) {
    CellRange line = b;
    const bool across = b.lastColumn - b.firstColumn >= b.lastRow - b.firstRow;
    if (across) {
      line.lastRow = line.firstRow;
    } else {
      line.lastColumn = line.firstColumn;
    }
    return FillSeries(line, FillType::kLinear, across, 1.0, CellNumber(c));
  }
  const CellRange source{b.firstColumn, b.firstRow, b.firstColumn, b.firstRow};
  return CopyMove(false, source, b);
}
