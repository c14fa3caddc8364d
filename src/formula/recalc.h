// formula/recalc.h — dependency links and recalculation in natural order.
//
// Every cell record carries the list of its dependents: 8-byte pool nodes (dependent formula
// cell, next node) naming the formula cells whose code refers to it. `Link` and `Unlink` keep the
// lists in step with formula code; recalculation walks them depth first without recursion and
// evaluates the formula cells it collects in reverse finishing order, so each formula comes after
// the cells it depends on. A circular reference is cut where the walk meets it again. The
// evaluation list and the walk stack grow as needed; only when memory for them cannot be had does
// a recalculation stop collecting and report "Calc Stack Exceeded".
// State: the evaluation list, the walk stack, the overflow flag, the guard of RecalculateAll
// (recalc.cpp); the visited and queued marks in the kind bytes of the current sheet's cells.
#pragma once

#include <cstddef>
#include <string>

#include "core/cell_store.h"

inline constexpr const char* kCalcStackExceeded = "Calc Stack Exceeded";

// Registers a formula cell as a dependent of every cell its code refers to: the cell of a cell
// operand, every position of a range operand (creating empty records where there are none).
// References to nothing and external references are skipped; a cell is added to a list only
// once. Code in file form is not linked. Meeting @LINK marks the sheet as one that uses links.
// A node that cannot be allocated is left out (the pool's out-of-memory flag tells).
void Link(CellHandle cell);
// Removes a formula cell from the dependents lists of the cells its code refers to.
void Unlink(CellHandle cell);

// Collects the formula cells that depend on `start` (and `start` itself when it is a formula)
// into the evaluation list in finishing order. Does nothing when `start` is already visited.
void Walk(CellHandle start);
// Recomputes `cell` (when it is a formula) and everything that depends on it, in natural order.
void RecalculateFrom(CellHandle cell);
// Recomputes the given cells (those that are formulas) and everything that depends on them, in
// natural order, each once (Undo and Redo after putting cells back).
void RecalculateCells(const CellHandle* cells, size_t count);
// Recomputes every formula of the used area of the current sheet. A request made while a full
// recalculation is running is ignored.
void RecalculateAll();
// Recalculation after a change as the sheet's mode asks: RecalculateAll in automatic mode,
// nothing in manual mode.
void RecalculateIfAutomatic();

// Formula cells evaluated by recalculation since the last reset (benchmarks and tests).
uint64_t RecalculatedCount();
// Whether a formula with @LINK has been linked on the current sheet since the last reset.
bool SheetUsesLinks();
void SetSheetUsesLinks(bool on);

// Fault injection: the evaluation list and the walk stack behave as if memory ran out once
// together they hold more than `entries` (0: no limit).
void SetRecalcMemoryLimit(size_t entries);

// Checks the dependency lists of the current sheet: every node names a live formula cell whose
// code refers to the listed cell, no formula is listed twice in one list, every reference of a
// formula is listed, and no recalculation mark is left set. Gives false and a reason on the
// first fault.
bool CheckDependencyLinks(std::string* why = nullptr);

// Drops the lists and flags (tests and start-up).
void ResetRecalcState();
