// commands/justify.h — Range Justify: the words of a column of labels reflowed into lines of a
// given width, or each row's text centred; and the Word editor's lines in and out of a column.
//
// Reads and writes: the current worksheet's cells; measures text through the platform.
#pragma once

#include <string>
#include <vector>

#include "commands/commands.h"
#include "core/address.h"

// Justifies `range` to `width` pixels (the usable width is 4 pixels less; a line fits while it is
// narrower), measured in the font of the range's top-left cell.
// Centre: each row's first non-empty cell's text (prefix removed, trimmed) gets blanks added
// alternately at its end and front while one more still fits, and is entered as a label in the
// range's first column.
// Otherwise the labels of the first column are joined into a stream of words and built into lines
// greedily; the range is erased and the lines entered from the top, each a label with the default
// prefix. With `pad`, every line but the last that does not end with "." gets one more blank at
// each gap, pass after pass, while it fits (a line without a gap gets blanks at its end).
// Refused, nothing changed: the range holds anything other than labels in its first column
// ("Cannot Justify: CELL is not a label of the first column"); more lines than rows (at most 500)
// are needed (" RANGE too Small. Expand it!"); protection is on ("Protected Cell").
CommandResult JustifyRange(const CellRange& range, int width, bool pad, bool centre);

// The lines the Word editor opens with: the entry text of each cell in the first column of
// `block` (formula text, label with its prefix, number text), rows first to last; "" for an empty
// position.
std::vector<std::string> WordLines(const CellRange& block);

// The Word editor's Ok: line k is entered into row first + k of the block's first column, as
// typed on the entry line (lines beyond the block continue downward; those past the grid's last
// row are dropped). An empty line empties a cell that holds something. One undo group; a refused
// entry (a locked cell, a formula that does not compile) is reported and the writing goes on;
// the first refusal is the result.
CommandResult EnterWordLines(const CellRange& block, const std::vector<std::string>& lines);
