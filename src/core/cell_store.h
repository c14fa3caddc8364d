// core/cell_store.h — the occupied cells of the current worksheet, its extent and Undo.
//
// Each row of the current sheet is a chain of 33-byte cell records sorted by column, hung on a
// row table of 8198 slots (rows 0..8191; the last six slots are not used). Records and texts are
// blocks of the cell pool; the undo journal lives outside it. Every other module
// reads and writes cells only through these operations.
// State: the current sheet (core/sheet_state.h), the blank-cell templates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pool.h"

using CellHandle = PoolHandle;

#pragma pack(push, 1)
struct CellRecord {
  CellHandle next;        // next cell of the row (higher column), or 0
  PoolHandle dependents;  // chain of 8-byte dependency nodes (recalculation)
  uint8_t font;           // font table index; 255 = default font
  uint8_t size;           // points; 0 = the window's default size
  uint8_t style;          // bits 0..3 bold/italic/underline/strike-out, bits 4..6 alignment
  uint8_t borders;        // 2 bits per side: left, bottom, right, top
  uint8_t shade[3];       // background red, green, blue
  uint8_t colour;         // bits 0..3 text colour, bit 6 automatic colour, bit 7 no shade
  uint8_t format;         // FormatCode: bit 7 protected
  uint8_t column;
  uint16_t row;
  PoolHandle text;  // length-prefixed label text or formula code, or 0
  uint8_t kind;     // bits 0..2 CellKind; 3 error mark; 4 file-form code; 5, 6 recalc marks
  uint8_t value[8];  // double (kinds 1, 2), int16 (kind 3), string-result handle (kind 0)
};
#pragma pack(pop)
static_assert(sizeof(CellRecord) == 33, "a cell record is 33 bytes");

// The 12 attribute bytes, font through row, copied whole by Undo and copying.
constexpr size_t kCellAttributeOffset = offsetof(CellRecord, font);
constexpr size_t kCellAttributeSize = 12;

// Bits of the style byte.
constexpr uint8_t kStyleBold = 0x01;
constexpr uint8_t kStyleItalic = 0x02;
constexpr uint8_t kStyleUnderline = 0x04;
constexpr uint8_t kStyleStrikeOut = 0x08;
constexpr uint8_t kStyleAlignmentMask = 0x70;  // alignment index 0..6 in bits 4..6
constexpr int kStyleAlignmentShift = 4;
constexpr uint8_t kStylePlain = 0x80;  // draw without the bits above
// The bits that choose a cell's font face.
constexpr uint8_t kStyleFontBits =
    kStyleBold | kStyleItalic | kStyleUnderline | kStyleStrikeOut | kStylePlain;
inline int CellAlignment(uint8_t style) { return (style & kStyleAlignmentMask) >> kStyleAlignmentShift; }
// Bits of the colour byte.
constexpr uint8_t kColourIndexMask = 0x0F;      // palette index of the text colour
constexpr uint8_t kColourAutomaticText = 0x40;  // text colour chosen by the cell's kind
constexpr uint8_t kColourNoShade = 0x80;        // no background of its own
// The colour byte of a new cell: automatic text colour, no background.
constexpr uint8_t kColourDefault = kColourAutomaticText | kColourNoShade;

// Low three bits of the kind byte.
enum class CellKind : uint8_t {
  kStringFormula = 0,
  kFormula = 1,
  kNumber = 2,
  kInteger = 3,
  kLabel = 4,
  kBlank = 5,
  kError6 = 6,
  kError7 = 7,
};

// Higher bits of the kind byte, owned by the formula engine.
constexpr uint8_t kKindMask = 0x07;
constexpr uint8_t kKindErrorMark = 0x08;
constexpr uint8_t kKindFileForm = 0x10;
constexpr uint8_t kKindVisited = 0x20;
constexpr uint8_t kKindQueued = 0x40;
// The kind with its error mark: an erroneous cell compares unequal to every CellKind.
constexpr uint8_t kKindAndErrorMask = kKindMask | kKindErrorMark;

// The kind of a missing cell in the predicates below.
constexpr uint8_t kMissingKind = 255;

inline CellRecord* CellAt(CellHandle h) { return reinterpret_cast<CellRecord*>(PoolPtr(h)); }

// Kind byte of a cell, or kMissingKind for none.
inline uint8_t KindOf(CellHandle h) { return h ? CellAt(h)->kind : kMissingKind; }

// Predicates on the low four bits (an erroneous formula counts as none of them).
inline bool KindIs(uint8_t kind, CellKind k) { return (kind & kKindAndErrorMask) == uint8_t(k); }
inline bool KindIsFormula(uint8_t kind) {
  return KindIs(kind, CellKind::kStringFormula) || KindIs(kind, CellKind::kFormula);
}
inline bool KindIsNumeric(uint8_t kind) {
  return KindIs(kind, CellKind::kFormula) || KindIs(kind, CellKind::kNumber) ||
         KindIs(kind, CellKind::kInteger);
}
inline bool KindHasString(uint8_t kind) {
  return KindIs(kind, CellKind::kStringFormula) || KindIs(kind, CellKind::kLabel);
}
inline bool KindIsLabel(uint8_t kind) { return KindIs(kind, CellKind::kLabel); }

// --- values ------------------------------------------------------------------------------------

inline double CellDouble(const CellRecord* c) {
  double d;
  std::memcpy(&d, c->value, 8);
  return d;
}
inline void SetCellDouble(CellRecord* c, double d) { std::memcpy(c->value, &d, 8); }
inline int16_t CellInteger(const CellRecord* c) {
  int16_t i;
  std::memcpy(&i, c->value, 2);
  return i;
}
inline PoolHandle CellStringResult(const CellRecord* c) {
  PoolHandle h;
  std::memcpy(&h, c->value, 4);
  return h;
}
inline void SetCellStringResult(CellRecord* c, PoolHandle h) { std::memcpy(c->value, &h, 4); }
// The numeric value of kinds 1, 2 and 3; 0 for everything else.
double CellNumber(const CellRecord* c);

// Kind 3 with a 16-bit integer when `value` is whole and |value| < 32767, else kind 2.
void StoreNumber(CellRecord* cell, double value);

// --- texts -------------------------------------------------------------------------------------

constexpr uint32_t kMaxCellText = 240;

// The length-prefixed text of a pool block as a string (empty for 0).
std::string PoolText(PoolHandle text);
// Bytes of a text block including its length byte.
inline uint32_t PoolTextSize(PoolHandle text) { return text ? PoolPtr(text)[0] + 1u : 0u; }
// Replaces the cell's text block with `text` cut to 240 bytes; a new block is taken only when
// the length changes. Gives false when the pool is exhausted (the old text is then kept).
bool SetCellText(CellRecord* cell, std::string_view text);
// Sets the cell's text from raw length-prefixed bytes (formula code): `bytes[0]` is the length.
bool SetCellTextBytes(CellRecord* cell, const uint8_t* bytes);
// Frees the cell's text block.
void FreeCellText(CellRecord* cell);

// --- access ------------------------------------------------------------------------------------

constexpr int kRowTableSlots = 8198;

CellHandle RowHead(int slot);
// Writes a row-table slot; the row's finger (below) is forgotten.
void SetRowHead(int slot, CellHandle head);

// First cell of the row with column >= `column`, or 0. Remembers the cell before it for a
// following GetOrCreateCell. A row outside the grid gives 0. The search starts at the row's
// finger, the last cell a lookup or creation reached in the row, when the wanted column lies
// beyond it: reaching cells of a row in ascending column order costs O(1) each. Code that takes
// cells out of a chain must do so through UnlinkCell (or SetRowHead), which keep the fingers on
// live cells.
CellHandle FindCellAtOrAfter(uint32_t row, uint32_t column);
// The cell before the one the last FindCellAtOrAfter (or GetCell) gave: 0 when that one is the
// head of its row. Callers use it with UnlinkCell.
CellHandle FoundPredecessor();
// The cell at exactly (row, column), or 0.
CellHandle GetCell(uint32_t row, uint32_t column);
// The existing cell, or a new one copied from the blank template. Sets the modified flag and
// grows the extent. Off the grid: 0, error flag, "Out of Range". Pool exhausted: 0.
CellHandle GetOrCreateCell(uint32_t row, uint32_t column);
// Takes `cell` out of its row chain (`predecessor` 0 when it is the head). Does not free it.
void UnlinkCell(CellHandle cell, CellHandle predecessor, uint32_t row);
// Frees a record that is out of its chain, with its text, string result and dependency nodes.
void FreeCellRecord(CellHandle cell);
// Frees every cell of the sheet (all rows, whatever the extent says), resets the extent to 0 and
// drops the sheet's undo journal.
void ClearAllCells();
// Frees every cell of the sheet (all rows) and nothing else: the extent and the journal stay
// (Undo of a whole-sheet group).
void FreeAllCells();

// Template of new cells: blank, protected default format, default font, kColourDefault.
const CellRecord& BlankCellTemplate();
// The same with kind 1 (a numeric formula).
const CellRecord& FormulaCellTemplate();
// Whether a cell is a blank that carries nothing of its own: kind 5 with the attribute bytes and
// the format byte of the blank-cell template. Such a cell is a placeholder that formulas hang on
// (linking recreates it) and no file needs to hold it.
bool IsPlainBlank(const CellRecord* c);

// Forgets the remembered predecessor, the row fingers, the dependents indexes and the undo
// journals, and turns Undo back on. Start-up and tests; the cells themselves belong to the row
// table of the current sheet.
void ResetCellStore();

// --- extent ------------------------------------------------------------------------------------

uint16_t LastRow();
uint16_t LastColumn();
uint16_t FirstRow();
uint16_t FirstColumn();
void SetExtent(uint16_t lastRow, uint16_t lastColumn);
void SetFirstUsed(uint16_t firstRow, uint16_t firstColumn);

// --- modified flag (GlobalOptions byte 5) -------------------------------------------------------

bool SheetModified();
void SetSheetModified(bool modified);

// --- Undo --------------------------------------------------------------------------------------
//
// Each worksheet has an undo journal (core/undo.cpp) of groups, one per user action, outside the
// cell pool. While a group is open, every change records its before-image the first time it
// touches a position: creations through GetOrCreateCell on their own; other changes of a cell
// must be announced with NoteCellChange before the record is written, and changes of widths,
// heights, names and options with the Note functions below.

// Whether Undo is enabled (a setting, on by default). Switching it off drops every journal.
bool UndoEnabled();
void SetUndoEnabled(bool enabled);
// The byte budget of each sheet's journal (a setting, 64 MiB by default); the oldest groups are
// dropped first to stay within it.
uint64_t UndoBudget();
void SetUndoBudget(uint64_t bytes);
// Closes the group being recorded and, when Undo is enabled, opens a new one for the current
// sheet. A group that records nothing is not kept; the first change it records clears the redo
// list. An action larger than the whole budget gives "Out of UNDO memory!" through ShowError and
// leaves the sheet without Undo; the action itself goes on.
void SaveUndo();
// Closes the group being recorded (the end of a user action).
void EndUndoGroup();
// Undoes the newest group of the current sheet (closing the open one first): its before-images
// are put back, formulas relinked, and in automatic mode the restored cells and what depends on
// them recalculated; the group moves to the redo list. Gives false when there is nothing to undo.
bool RestoreUndo();
// Applies the newest group of the redo list the same way and moves it back to the undo list.
// Gives false when there is nothing to redo.
bool RestoreRedo();
// Drops the journal of the current sheet.
void DropUndo();
bool HasUndo();
bool HasRedo();
// Groups on the undo list of the current sheet, and the bytes its journal holds (benchmarks and
// tests).
int UndoLevels();
size_t UndoJournalBytes();
// Records the before-image of `cell` in the open group (nothing when no group is open or the
// group holds that position already). Call before changing anything of the record.
void NoteCellChange(CellHandle cell);
// Records that the open group creates the cell at (row, column) (GetOrCreateCell calls it).
void NoteCellCreation(uint32_t row, uint32_t column);
// The cells at the positions the open group of the current sheet has noted since its last
// shift, cells that went being left out: what the action has changed so far, for a command
// that recalculates only from there. False when no group records the current sheet (Undo off,
// or the action too large for the budget) or the group holds a shift: the caller must then
// recalculate the whole sheet.
bool CellsNotedByOpenGroup(std::vector<CellHandle>* cells);
// Record the column width, the row height, the range names or the options record before a
// change, once per group.
void NoteColumnWidth(uint32_t column);
void NoteRowHeight(uint32_t row);
void NoteNames();
void NoteOptions();

// State of the sheet kept outside the cell records, the layout, the names table and the options
// record (the ranges that commands, graphs and data tools remember, ...) joins the open group
// through NoteSheetState, so that a command that moves cells can take that state back with them:
//
//   NoteSheetState(&SortSettings(), sizeof(SortSettings), [] {
//     SortSettings before = SortSettings();       // read the state as it is now
//     return UndoRestore([before] { SortSettings() = before; });
//   });
//
// `capture` reads the present state and gives the function that puts exactly that state back.
// It is called once per group and key, when first noted (before the action changes anything);
// Undo calls it again to keep the state it replaces for Redo, then puts the noted state back
// after the cells. `key` tells pieces apart (the address of the state is a good key); `bytes`
// is what one capture costs the budget. The functions must hold copies, not references into the
// sheet, and must act on the current sheet.
using UndoRestore = std::function<void()>;
using UndoCapture = std::function<UndoRestore()>;
void NoteSheetState(const void* key, size_t bytes, const UndoCapture& capture);
// A structural step: rows or columns inserted or deleted, the cells behind them moving by
// `count`. Rows shift inside the band first..pageEnd (a page); columns always to the sheet's
// edge (pageEnd 255). Inserting moves the cells of first..pageEnd-count down (right) by count;
// deleting destroys the cells of first..first+count-1 and moves those of first+count..pageEnd up
// (left) by count. Each is the other's inverse.
struct CellShift {
  bool rows = true;
  bool insert = true;
  uint16_t first = 0;
  uint16_t count = 0;
  uint16_t pageEnd = 0;
};
inline CellShift InverseShift(CellShift shift) {
  shift.insert = !shift.insert;
  return shift;
}
// Records that the open group shifts cells now: call it after the before-images of what the
// shift destroys or rewrites were noted, right before the records move. Images noted afterwards
// are taken in the new positions. Undo puts those back, then applies the inverse shift through
// the engine layers (EngineLayers::ShiftCells), then the images noted before the shift; Redo
// applies the shift again. The journal costs a few bytes for the shift itself, whatever the
// number of cells it moves.
void NoteCellShift(const CellShift& shift);
// Records the before-image of every cell of the current sheet and of the range names: Undo of
// the group then puts the whole sheet back (cells the group created are removed). For changes
// that cannot be followed cell by cell (no command needs it today); it costs time and journal bytes in proportion to
// the sheet, and a sheet too large for the budget gives "Out of UNDO memory!". Call it before
// the group's first shift: a group noted whole after a shift gets no Undo.
void NoteWholeSheet();
// Drops the journal of a sheet that is being closed.
void ForgetUndoJournal(const PoolHandle* rowTable);
// Drops every journal and puts the switch and the budget back to their defaults.
void ResetUndoJournals();

// --- checks and dumps --------------------------------------------------------------------------

// Every chain strictly ascending, records inside the grid with matching row fields.
bool CheckRowChains(std::string* why = nullptr);
// "row 3: 2 5 9" lines for the rows that hold cells.
std::string DumpRowChain(uint32_t row);
