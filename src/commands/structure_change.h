// commands/structure_change.h — the bookkeeping of commands that move or destroy cell records
// (move, insert, delete), shared by the command files (commands/ only).
//
// A formula is registered in the dependents list of every cell it refers to, every position of
// a range included. When records move or go away, the formulas whose geometry changes are taken
// out of every list first (while the old geometry still holds), the records are moved or
// destroyed, and the formulas are registered again over their new geometry.
// Reads and writes: the current worksheet's cell records and dependents lists.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "core/cell_store.h"

// The formulas to register again after a structural change.
class Relinker {
 public:
  // Every formula in the dependents list of `cell`.
  void AddDependentsOf(CellHandle cell);
  void Add(CellHandle formula);
  // Drops the formulas that are going to be destroyed.
  void Exclude(const std::unordered_set<CellHandle>& destroyed);
  // Takes every formula out of the dependents lists (old geometry) / registers it again.
  void UnlinkAll() const;
  void LinkAll() const;
  const std::vector<CellHandle>& Formulas() const { return formulas_; }

 private:
  std::vector<CellHandle> formulas_;
  std::unordered_set<CellHandle> seen_;
};

// Undo: records the before-image of `cell` at its present position, and of every formula that
// refers to it (their references are kept in file form, so Undo points them at the positions
// they read before the command).
void NoteCellAndDependents(CellHandle cell);

// Destroys `victims` (records still in their row chains, each listed once): the formulas in
// `relinker` (which must already hold every dependent of a victim and be unlinked) get each
// reference to a victim, cell or range corner, made a reference to nothing (ERR); each victim
// formula is taken out of the lists it is in; the victims leave their chains and are freed.
void DestroyRecords(const std::vector<CellHandle>& victims,
                    const std::unordered_set<CellHandle>& victimSet, const Relinker& relinker);

// Applies a structural step to the cell records of the current sheet (the insert and delete
// commands, and Undo and Redo of them): records of a deleted band (and, when inserting, any
// that would be pushed past the page end) are destroyed as DestroyRecords does, the others move,
// the formulas whose ranges gain or lose positions are linked again. Before-images of what is
// destroyed or rewritten and the step itself are noted in the open undo group. Gives the
// formulas linked again and the records destroyed (either may be null).
void ShiftCellRecords(const CellShift& shift, std::vector<CellHandle>* relinked = nullptr,
                      std::vector<CellHandle>* destroyed = nullptr);

// Makes undefined every stored range with a corner on one of `positions` (row << 8 | column).
void ForgetStoredCorners(const std::unordered_set<uint32_t>& positions);
inline uint32_t PositionKey(uint32_t row, uint32_t column) { return row << 8 | column; }

// Links the out-of-chain record `cell` into the chain of `row` at `column` (a position that
// holds no record) and sets its position fields.
void PlaceRecord(CellHandle cell, uint16_t row, uint8_t column);

// Raises the extent of the sheet to include (row, column).
void IncludeInExtent(uint16_t row, uint16_t column);

// Progress of a walk over `total` positions, reported through the platform every 256 positions
// and hidden again when the walk ends.
class ProgressCounter {
 public:
  explicit ProgressCounter(uint64_t total) : total_(total ? total : 1) {}
  ~ProgressCounter();
  void Step(uint64_t positions = 1);

 private:
  uint64_t total_;
  uint64_t count_ = 0;
};
