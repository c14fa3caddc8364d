// commands/sort.h — Data Sort: the rows of a data range reordered by up to four key columns.
//
// The sort moves row segments (the cells of the data range's columns in one row) as records:
// formulas inside the data range keep pointing at the cells they pointed at, formulas outside it
// keep referring to the same worksheet positions. Nothing is entered again.
// Reads and writes: the current worksheet's cells and its sort settings (GlobalOptions ranges
// kSortRange and kSortKey1..4).
#pragma once

#include <array>

#include "commands/commands.h"
#include "core/address.h"

// The order of each key, true for ascending.
using SortOrders = std::array<bool, 4>;
constexpr SortOrders kAllAscending = {true, true, true, true};

// Sorts the sheet's data range (its sort settings) by the defined keys in one stable sort by the
// composite key: a key's numbers (numeric formulas, numbers, integers) come before its texts
// (blanks and missing cells as the empty text, then labels by their text after the prefix and
// string formulas by their string, byte by byte), then error values; descending reverses that.
// A key cell that is missing or blank never equals another, so rows tied on it are not ordered
// by the later keys. Rows tied on every key keep their order. Nothing happens unless the data
// range and key 1 are defined. Refused with "Protected Cell" while the sheet's protection is on.
CommandResult SortData(const SortOrders& ascending = kAllAscending);

// Stores the data range and the key ranges into the sort settings (undefined ranges as the
// empty range) and sorts.
CommandResult SortRange(const CellRange& data, const std::array<CellRange, 4>& keys,
                        const SortOrders& ascending);
