// analysis/data_tools.h — frequency bins, data tables, goal seek, parse and query.
//
// Each tool runs as one command (one undo group) on the current worksheet and reports through
// ShowError. Numbers are written with the number store; texts that a tool writes ("entered as
// text") become labels and are never read again as numbers or formulas.
// Reads and writes: the current worksheet's cells; messages through ShowError.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "commands/commands.h"
#include "core/address.h"

// Counts the values of `data` (its cells read once, row by row) in the bins whose upper limits
// stand in the first column of `bins`: with `lowerInclusive` a bin takes prev <= x < upper,
// otherwise prev < x <= upper (the first bin has no lower limit). Each count goes right of its
// limit and its fraction of all positions of `data` right of that; below the last limit the
// remainder (values above it, between bins, and empty positions). An undefined range does
// nothing; a refused write ends the count there.
CommandResult FrequencyBins(const CellRange& data, const CellRange& bins, bool lowerInclusive);

// A data table over `table`: with one input the left column holds values for input 1 and the
// top row one formula per column; with two inputs (`input2` defined) the top row holds values
// for input 2 and the top-left cell the formula. Each value is stored into the input cell, the
// input's dependents recalculated whatever the mode, and the formula's result written: a number
// as a number, a string as a label, an error as the formula @ERR. A position whose values are
// not numeric, or whose formula cell is missing, is skipped. The input cells are put back
// exactly as they were and their dependents recalculated. An undefined range does nothing.
CommandResult DataTable(const CellRange& input1, const CellRange& input2, const CellRange& table);

// Goal seek: the secant-like search of the input cell's value that brings the output cell's
// value within `tolerance` of `desired`, at most 26 rounds, the output recalculated after each
// store whatever the mode. On failure the input cell receives the last estimate followed by
// "+@ERR". An undefined cell beeps and gives kFailed. `lastEstimate` (optional) receives the
// last x tried.
CommandResult GoalSeek(CellAddress input, CellAddress output, double desired, double tolerance,
                       double* lastEstimate = nullptr);

// Splits every label of `range` (rows ascending, columns ascending within a row) with the
// values splitting of text import and enters the fields as typed into the label's row, from
// its column rightwards.
CommandResult ParseLabels(const CellRange& range);

// Copies the records of `input` (first row the field names) that match a row of `criteria`
// (first row field names, each following row one set of conditions, all of which must hold)
// into `output` under its name row, the fields that the output's names name. A one-row output
// takes records below it without limit; a taller one is cleared first and bounds their count.
// An undefined input does nothing.
CommandResult QueryExtract(const CellRange& input, const CellRange& criteria,
                           const CellRange& output);

// Whether `text` matches the criterion `pattern` of a query: "?" matches one character, "*"
// the rest of the text, a leading "~" negates; letters compare ignoring case. A pattern holding
// "..." matches every text that contains the pattern without its "..." ("...son" and "son..."
// both match "Johnson" and "Sonny"); "?" and "*" are then plain characters.
bool QueryTextMatches(std::string_view pattern, std::string_view text);

// The ranges a data tool keeps in the sheet's options, so that its dialog shows them the next
// time, in the order KeepToolRanges takes them: Query input, criteria, output; Bins data and bin
// column (kept as the data table's table and input 1); Table input 1, input 2, table; GoalSeek
// input and output cell (kept twice, in the goal-seek pair and in the second pair); Regress X, Y,
// output; MultiRegress X.
enum class KeptRanges : uint8_t { kQuery, kBins, kTable, kGoalSeek, kRegress, kMultiRegress };

// Stores `ranges` as the kept ranges of `tool` in the current sheet's options (kBins also the bin
// type), noted for Undo: run inside the tool's undo group (UndoGroupScope), one Undo takes back
// the tool and the ranges together. Nothing without a current sheet.
void KeepToolRanges(KeptRanges tool, const std::array<CellRange, 3>& ranges,
                    bool lowerInclusive = false);
