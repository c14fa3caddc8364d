// commands/cell_changes.h — small cell changes shared by the command files and the data tools
// (commands/ and analysis/ only).
//
// Reads and writes: the current worksheet's cell records.
#pragma once

#include <cstddef>

#include "core/cell_store.h"

// Bytes of a cell's look: font, size, style, borders, shade, colour and the format byte, the
// attribute bytes short of the position.
constexpr size_t kCellLookSize = 9;
static_assert(offsetof(CellRecord, format) - offsetof(CellRecord, font) + 1 == kCellLookSize);

// Frees what a cell holds besides its look (its references taken out of the dependents lists,
// its text or code, a string result) and makes it blank. The record stays in its chain.
void EraseCellContents(CellHandle h);
