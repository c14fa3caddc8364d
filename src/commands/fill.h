// commands/fill.h — Data Fill: a range filled with an arithmetic, geometric or power series.
//
// Reads and writes: the current worksheet's cells.
#pragma once

#include "commands/commands.h"
#include "core/address.h"

enum class FillType : uint8_t {
  kLinear = 1,    // next = value + step
  kMultiply = 2,  // next = value x step
  kPower = 3,     // next = value ^ step
};

// Fills the cells of `range` with numbers from `start`, row by row (each row left to right) when
// `rowOrder`, else column by column (each top to bottom). A linear series of whole start and step
// is computed in 64-bit integers, so it stays exact. The fill stops at the first cell it cannot
// store: a locked cell (or empty position) under protection gives "Protected Cell", a value that
// is not finite "Fill Overflow at CELL"; the cells filled before it keep their numbers. The sheet
// is recalculated afterwards.
CommandResult FillSeries(const CellRange& range, FillType type, bool rowOrder, double step,
                         double start);
