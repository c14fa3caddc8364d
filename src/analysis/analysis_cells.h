// analysis/analysis_cells.h — how the data tools read and write cells.
//
// Every tool reads numbers with the numeric value of a cell and writes through the helpers
// here: numbers with the number store, texts as labels that are never read again as numbers or
// formulas, formulas through cell entry. A write that protection refuses reports "Protected
// Cell" through ShowError and tells the caller to stop. The input cell of a data table or a goal
// seek is saved whole and put back exactly.
// Reads and writes: the current worksheet's cells; the undo group the caller opened.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/commands.h"
#include "core/address.h"
#include "core/cell_store.h"

// The numeric value of the cell at (row, column): 0 for a label, a blank or no cell.
double ValueAt(uint32_t row, uint32_t column);

// Makes the cell a number (creating it when missing). False after "Protected Cell" (a locked
// cell, or an empty position, under protection) or when the pool is exhausted.
bool StoreNumberAt(uint32_t row, uint32_t column, double value);
// Stores `text` as a label: a text that begins with a label prefix keeps it, any other gets the
// sheet's global label prefix. False when the cell cannot be written.
bool StoreLabelAt(uint32_t row, uint32_t column, std::string_view text);
// Enters `text` as typed (a formula, a number or a label). False when the entry was refused.
bool EnterTextAt(uint32_t row, uint32_t column, std::string_view text);
// Erases the contents of the cell, when there is one. False when protection keeps it.
bool EraseAt(uint32_t row, uint32_t column);

// Recalculates the cell and what depends on it, in either recalculation mode (the data table
// and goal seek must see fresh results after each store).
void RecalculateDependents(uint32_t row, uint32_t column);

// The complete contents of one cell, taken before a tool stores into it and put back after.
class SavedCell {
 public:
  // Saves the cell at (row, column) as it is now (no cell is remembered as none).
  SavedCell(uint32_t row, uint32_t column);
  // Puts the contents back: kind, value and text or formula code (the formula linked again and
  // recalculated with its dependents); a cell that did not exist becomes an empty cell again.
  void Restore() const;

 private:
  uint32_t row_;
  uint32_t column_;
  bool existed_ = false;
  uint8_t kind_ = 0;
  uint8_t value_[8] = {};
  std::vector<uint8_t> text_;  // length-prefixed text or code, empty when none
};

// A failed command after a message shown through ShowError.
CommandResult ToolFailed(std::string_view message);
// The result of a tool stopped by a refused write (the message is already shown).
CommandResult WriteRefused();
