// commands/find_replace.h — Find and Replace over the entry texts of the current worksheet.
//
// A cell matches when its entry text (formula text, label with its prefix, number text) contains
// the find text, in upper case when the search ignores case. Every rewrite is an entry of the
// new text into the cell, so formulas are compiled again and protection is honoured there.
// Reads and writes: the current worksheet's cells; the caller's FindState.
#pragma once

#include <cstdint>
#include <string>

#include "commands/commands.h"
#include "core/address.h"

// What a Find and Replace dialog keeps between searches.
struct FindState {
  std::string findText;
  std::string replaceText;
  bool caseInsensitive = true;
  CellRange scope;  // undefined: Global (rows and columns up to the last used ones)
  // Set when a text or the scope changes or the cell cursor moves: the next search starts at
  // the top-left cell of the scope.
  bool newSearch = true;
  CellRange rectangle;       // the search rectangle of the running search
  uint32_t row = 0;          // the current position
  uint32_t column = 0;
  uint32_t replacements = 0;  // counted by ReplaceAll
};

// Find Next: the next cell after the current position (or, on a new search, from the top-left
// cell) whose entry text contains the find text becomes the current position. kFailed (with a
// beep) when there is none; the position then stays.
CommandResult FindNext(FindState& state);

// Whether the cell at the current position lies inside the search rectangle of a running search
// and its entry text contains the find text (the single-step Replace is then enabled).
bool CurrentCellMatches(const FindState& state);

// The single-step Replace. On a new search it only finds, as Find Next does. Otherwise it
// replaces the first occurrence of the find text in the cell at the current position (a position
// outside the search rectangle beeps; a cell without the text moves the position one column on),
// enters the result into the cell, counts one replacement, and then finds the next match from the
// current position on (the same cell first, for its further occurrences). kFailed with a beep when
// no match is left; "Circular Replace Detected" when the find text occurs in the replacement;
// a refused entry keeps the cell as it was, reports and stops there.
CommandResult ReplaceNext(FindState& state);

// Replace All over the search rectangle: in each cell from the current position on (from the
// top-left cell on a new search), every occurrence of the find text is replaced, left to right,
// each search going on after the text inserted; the result is entered into the cell once. A cell
// that refuses the entry (locked under protection, a formula that does not compile) or whose text
// would pass 240 characters stays whole; the first such refusal is reported once after the run.
// The sheet is recalculated once at the end. "Circular Replace Detected" when the find text
// occurs in the replacement (nothing is replaced). The count goes to `state.replacements`.
CommandResult ReplaceAll(FindState& state);
