// commands/block_commands.h — copy, move, special copies, erase, and insert and delete of rows
// and columns, with the ranges kept outside the cells kept in step.
//
// Formula references are pointers to cell records, so moving a record (a move, an insertion, a
// deletion) carries every reference to it along; copying a formula rewrites its relative
// references by the offset of the copy. The ranges kept outside the cells (the twelve command
// ranges of the options, the ranges of the current and the named graphs, the range names, the
// running macro's cells) are shifted by `AdjustStoredRanges`.
// Each command below runs through RunCommand (commands/commands.h): one undo group, then the
// operation, then recalculation when automatic, the sheet marked modified. Ranges may be given
// with their corners reversed; they are ordered first.
// Reads and writes: the current worksheet's cells, layout, names, options and graphs; the
// progress display; the running macro's cells (through the hook below).
#pragma once

#include <cstdint>
#include <functional>

#include "commands/commands.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/worksheets.h"

// --- copy and move -----------------------------------------------------------------------------

// Copies (or, with `move`, moves) the block `source` to `destination`. A copy of one column
// fills every column of the destination, a copy of one row every row, a single cell every cell;
// otherwise (and for every move) only the destination's top-left cell counts. Copied formulas
// have their relative references moved by the offset; a reference that leaves the sheet becomes
// ERR. Moved records keep their identity, so references to them follow them; a target cell
// that a move overwrites is destroyed (references to it become ERR). Protected cells are left
// alone (targets of a copy; sources and targets of a move). An overlapping source is read as it
// was before the command. A destination running off the sheet gives "Copy Error" and writes
// nothing; memory running out gives "Copy Error" and keeps the cells written so far. Invalid
// ranges give kFailed without a message.
CommandResult CopyMove(bool move, const CellRange& source, const CellRange& destination);

enum class CopySpecialMode : uint8_t {
  kFormula = 0,    // formula text entered literally at the target
  kValue = 1,      // current values
  kTranspose = 2,  // current values, rows and columns swapped
  kScale = 3,      // numbers multiplied by the factor
  kInvert = 4,     // numbers replaced by their reciprocals (0 gives ERR)
};

// Copies the cells of `source` in one of the special modes, the block anchored at the
// destination's top-left cell (a single source cell fills the whole destination). Protected
// source cells are skipped, protected targets are left alone. String results and labels become
// labels; numbers become number constants; ERR becomes the formula @ERR. Value modes leave the
// target's format and attributes; formula mode copies them.
CommandResult CopySpecial(CopySpecialMode mode, const CellRange& source,
                          const CellRange& destination, double factor);

// --- insert and delete -------------------------------------------------------------------------

enum class ShiftKind : uint8_t { kColumns = 1, kRows = 2 };

// Inserts (or deletes) as many rows or columns as `range` is high or wide, at its first row or
// column. Rows shift only inside the page that holds the block's last row; later pages stay.
// Cells of deleted rows and columns are destroyed (references to them become ERR). Stored
// ranges follow; a stored range with a corner in the deleted rows or columns, or one pushed
// past the edge of the page or sheet, becomes undefined. Refusals: "CELLS in bottom row" (an
// occupied row would leave its page), "Cells in last Column" (the last used column would pass
// IV); nothing changes then (kFailed).
CommandResult InsertDelete(const CellRange& range, ShiftKind kind, bool insert);

// The same row insertion or deletion in every page: the rows of `range` taken within the page,
// repeated from the first page to the last, as one command.
CommandResult InsertDeleteAcrossPages(const CellRange& range, bool insert);

// The page-break marker "|::" entered into the first cell of `range`.
CommandResult InsertPageBreak(const CellRange& range);

// --- engine operations -------------------------------------------------------------------------

// The block whose stored-range corners move, and by how much. A corner inside `area` moves by
// the deltas; a corner inside `removed` (when valid) makes its range undefined, and so does a
// corner that would leave `limit`.
struct AffectedArea {
  CellRange area;
  int rowDelta = 0;
  int columnDelta = 0;
  CellRange removed = NoRange();
  CellRange limit = CellRange{0, 0, kColumnCount - 1, kRowCount - 1};
};

// Shifts every stored range of the current sheet as `affected` says, each corner tested on its
// own (a range straddling the area's edge stretches or shrinks): the twelve command ranges of
// the options, the current graph and every named graph, every range name, and the cells the
// running macro keeps on this sheet (a macro cell in removed rows or columns goes to the first
// row or column after them).
void AdjustStoredRanges(const AffectedArea& affected);

// Destroys the cell record `cell` (in its row chain at the caller's position): every formula
// that refers to it gets that reference (or that corner of a range) made ERR, and is linked
// again; stored ranges with a corner on the cell become undefined; the record is taken out of
// its chain and freed with its text and dependents.
void DestroyCell(CellHandle cell);

// Calls `visit` with every defined stored range of the current sheet (command ranges, graph
// ranges, names) in the order AdjustStoredRanges visits them; a range the visitor changes is
// stored back.
void ForEachStoredRange(const std::function<void(CellRange&)>& visit);

// Undo: the open group keeps the current and the named graph definitions as they are now, once
// per group (the stored-range shift changes their ranges).
void NoteGraphDefinitions();

// The running macro's cells, installed by the macro layer: calls `adjust` with each cell it
// keeps (sheet, column, row), which may change it.
using MacroCellsHook = void (*)(
    const std::function<void(SlotIndex sheet, uint16_t* column, uint16_t* row)>& adjust);
void SetMacroCellsHook(MacroCellsHook hook);
