// core/entry.h — cell entry: typed text into a label, number, date, time or formula.
//
// `EnterCell` is the road of every typed entry (entry line, macros, paste, import, data tools):
// protection, date and time entry, the number reader, the formula compiler, labels with their
// alignment prefix, and recalculation of dependents. `EditText` gives the text the entry line
// shows for a cell. State: the cell being entered, the "entered" flag, message suppression.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/cell_store.h"

// What became of an entry.
enum class EntryResult : uint8_t {
  kStored,        // the entry is in the cell (an empty entry into no cell leaves none)
  kProtected,     // refused: protection is on and the cell is locked ("Protected Cell")
  kFormulaError,  // the formula did not compile; the error text holds the compiler's message
  kNoMemory,      // the pool could not hold the cell or its text
};

// Stores `text` (cut to 240 characters) into the cell at (row, column) of the current sheet.
// Refusals and compile errors are reported through ShowError (unless suppressed) and leave the
// error flag raised; the result says which. A formula that does not compile leaves the cell as
// it was: no cell where there was none, and an existing cell with its kind, value and references.
EntryResult EnterCell(std::string_view text, uint32_t row, uint32_t column);

// What the entry line shows for a cell.
struct EditInfo {
  std::string text;        // the content as the user would type it
  std::string descriptor;  // " [F2,^ w12]" or empty
  bool editable = true;
};
EditInfo EditText(uint32_t row, uint32_t column);

// Reads an entry's number syntax (decimal separator from the settings, ".5", "5.", "-.5",
// exponents). Gives false when any character is left over.
bool ReadEntryNumber(std::string_view text, double* value);

// Character classes of entry, built from the separator settings.
bool IsValueStart(unsigned char c);
bool IsLabelPrefix(unsigned char c);
// The prefix character for an alignment index 0..6 (0: the sheet's global label prefix).
char AlignmentPrefix(int index);

// While on, entry refuses silently (the error flag still tells the caller). Paste uses it.
void SetEntryMessagesSuppressed(bool on);
bool EntryMessagesSuppressed();

// The cell of the entry in progress (0 between entries), and whether the last entry stored its
// content and recalculated its dependents.
CellHandle EntryCell();
bool EntryRecalculated();

// Resets the module state (tests and start-up).
void ResetEntryState();
