// commands/external_functions.h — the sheet's user functions as cells: the table and the reset.
//
// Reads and writes: the current worksheet's cells (through cell entry) and its list of user
// functions (formula/function_library.h).
#pragma once

#include <cstdint>

#include "commands/commands.h"

// Writes the sheet's list of user functions from (row, column) down, one row per function: its
// name as a label with the prefix "'" in the column, its definition the same way in the next
// column (dropped at the last column of the grid). Rows past the grid are not written. A refused
// entry stops the table with its message. One undo step.
CommandResult WriteUserFunctionTable(uint32_t row, uint32_t column);

// Replaces every formula of the sheet that calls a user function by a label of "'" and the
// formula's text, then empties the sheet's list of user functions. Refused with "Protected Cell"
// while protection is on (a formula left behind would call a function no longer listed). One undo
// step, which brings the formulas and the list back.
CommandResult ResetUserFunctions();
