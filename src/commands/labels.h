// commands/labels.h — label commands on a block: alignment prefix and letter case.
//
// A label's text is rewritten in place (it holds no code to compile); locked cells under
// protection are skipped. The sheet is recalculated afterwards.
// Reads and writes: the current worksheet's cells.
#pragma once

#include <string_view>

#include "commands/commands.h"
#include "core/address.h"

// Code 0..6 of SetLabelPrefix: the prefix character of the alignment table (0: the sheet's
// default label prefix). kPrefixAlsoAlignment (bit 3) also sets the cells' alignment index.
constexpr int kPrefixAlsoAlignment = 8;

// Gives every label of the block whose text after the prefix does not begin with "/" the
// prefix of the code's low three bits; an empty position (protection off) receives a label of
// the prefix alone; with kPrefixAlsoAlignment the cells' alignment index becomes the code's low
// three bits. Code 7: "Invalid Justification!", a line break, "Code = " and the code; nothing
// changes.
CommandResult SetLabelPrefix(const CellRange& block, int code);

// Makes `prefix` (one of the label prefix characters of entry) the prefix of every label of the
// block. Any other character: kFailed, nothing changes.
CommandResult ReplaceLabelPrefix(const CellRange& block, char prefix);

// Converts the text after the prefix of each label of the block with at least one character
// there: 0 lower case, 1 upper case, 2 proper case (a letter at the start or after a blank upper,
// every other letter lower), 3 double blanks reduced to one and one leading and one trailing
// blank removed, 4 all blanks removed, 5 characters below 32 or from 128 up removed. Another mode:
// kFailed, nothing changes.
CommandResult ConvertLabels(const CellRange& block, int mode);
