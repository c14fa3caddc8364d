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
// is not finite "Fill Overflow at CELL"; the cells filled before it keep their numbers. The user's
// interrupt (asked every 2048 cells) stops it the same way, without a message. The sheet is
// recalculated afterwards.
CommandResult FillSeries(const CellRange& range, FillType type, bool rowOrder, double step,
                         double start);

// The Fill button on a selected block. When its top-left cell holds a number, the block's first
// row (when the block is at least as wide as tall) or else its first column is filled Linear
// from that number with step 1; the rest of the block is not touched. When the top-left cell
// holds a label or a formula, that cell is copied over the block (copy and move's CopyMove).
// A block whose top-left cell is empty or blank: kFailed with a beep, nothing changes.
CommandResult SpeedFill(const CellRange& block);
