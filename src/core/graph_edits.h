// core/graph_edits.h — the edits of the current graph definition that the macro commands
// GRAPHTYPE ... GRAPHNAME (and the batch tool) make, with their argument checks.
//
// Each edit checks all of its arguments before it changes anything and gives false, changing
// nothing, for a bad argument (the macro interpreter reports that as a syntax error). Texts are
// already evaluated; a range argument may be NoRange() ("NUL"), which clears the field.
// Reads and writes: the current sheet's graph definition and named graphs
// (core/graph_definition.h).
#pragma once

#include <optional>
#include <string_view>

#include "core/address.h"

// GRAPHTYPE: the type code 0..17.
bool EditGraphType(int type);
// GRAPHSERIES: `series` 0 the X range, 1..6 a series.
bool EditGraphSeries(int series, const CellRange& range);
// GRAPHLABEL: the data-label range of series 1..6 and its place 0 above, 1 below, 2 left, 3 right,
// 4 none.
bool EditGraphLabel(int series, const CellRange& range, int place);
// GRAPHLEGEND: the legend of series 1..6 (cut to 20 characters); `kind` 0 row, 1 table legends.
bool EditGraphLegend(int series, std::string_view text, std::optional<int> kind);
// GRAPHHEADING: heading 0 main, 1 second, 2 X axis, 3 Y axis (cut to 39 characters).
bool EditGraphHeading(int heading, std::string_view text);
// GRAPHSCALE: axis 0 X, 1 Y; with limits the scaling is manual with them, without automatic.
bool EditGraphScale(int axis, std::optional<double> lower, std::optional<double> upper);
// GRAPHOPTIONS: items separated by `separator` (blanks around items ignored, letters in either
// case): G0..G3 grid lines, SY/SN solid grid, TY/TN table legend, XY/XN and YY/YN logarithmic X and
// Y axes, a series digit 1..6 followed by N, L, S or B (none, lines, symbols, both). An empty item
// list changes nothing; any unknown item makes the whole text a bad argument.
bool EditGraphOptions(std::string_view items, char separator);
// GRAPHFONT: text kind 0..6 (main, second, X axis, Y axis, values, labels, legend), size 1..255
// points, and optionally the typeface (cut to 31 characters).
bool EditGraphFont(int kind, int size, std::optional<std::string_view> face);
// GRAPHNAME: 0 store the current graph under `name`, 1 use, 2 delete, 3 remove all named graphs,
// 4 merge, 5 reset the current graph, 6 draw the named graph `name` over the current one (an
// empty name: no overlay). Use, delete, merge and overlay of a name that is not stored are bad
// arguments; storing follows StoreNamedGraph (an empty name beeps, "*..." is ignored, a 51st name
// shows "Max Graph Names Exceeded") and is not a bad argument.
bool EditGraphName(int action, std::string_view name);
