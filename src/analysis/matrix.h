// analysis/matrix.h — operations on blocks of numbers and linear programming.
//
// Inputs are read with the numeric value of each cell (a missing cell, a blank or a label is 0);
// results are numbers written from the output cell (only its top-left cell counts). Every
// operation computes its whole result before writing, so an output over an input is right. Each
// runs as one command (one undo group) and reports through ShowError.
// Reads and writes: the current worksheet's cells; messages through ShowError.
#pragma once

#include "commands/commands.h"
#include "core/address.h"

// The working matrix of Invert, E-Solve, Determinant and Linear holds at most this many rows
// and columns; a larger input is refused with "Array size>30x30".
constexpr int kMatrixRows = 30;
constexpr int kMatrixColumns = 61;

// First + Second (or First - Second with `subtract`), element by element over First's shape,
// Second read at the same offsets from its own corner.
CommandResult MatrixAddSubtract(const CellRange& first, const CellRange& second,
                                CellAddress output, bool subtract);
// The matrix product; "Array size mismatch" when First's columns are not Second's rows.
CommandResult MatrixMultiply(const CellRange& first, const CellRange& second, CellAddress output);
// The transposed block.
CommandResult MatrixTranspose(const CellRange& input, CellAddress output);
// The determinant of the input's rows (its first n columns), by elimination that swaps in the
// largest element below a diagonal element that is 0 or under 1e-8 of it.
CommandResult MatrixDeterminant(const CellRange& input, CellAddress output);
// The inverse of the n x n input; "Unable to Solve, Determinant=0" for a singular one.
CommandResult MatrixInvert(const CellRange& input, CellAddress output);
// Solves the system of n coefficient columns for each right-hand column that follows them, one
// solution column each; "Array size mismatch" without a right-hand column.
CommandResult MatrixSolve(const CellRange& input, CellAddress output);

// The simplex method on the input table (constraint rows, then the objective row; variable
// columns, a relation column of EQ/LE/GE labels and the right-hand side; the objective's
// right-hand cell a label beginning with MIN to minimise). Each tableau is written below the
// input, the entering column and the leaving row marked with "*"; the final tableau unmarked.
// Results at the output: the objective label and value, then each variable (X1.., S and the
// tableau column number for added columns) with its value. Refusals: "Array size>30x30" (nothing
// written), "Region & Objective Function Unbounded" and "Unable to find Pivot" (the tableaus
// written stay), "No Feasible Solution" (no results).
CommandResult LinearProgram(const CellRange& input, CellAddress output);
