// analysis/regression.h — simple linear regression and least-squares fits of chosen terms.
//
// Both tools run as one command (one undo group) and write their results below and beside an
// output cell: labels as labels, numbers with the number store, the fitted formula through cell
// entry. Their ranges are kept in the sheet's GlobalOptions by the callers that ask for them.
// Reads and writes: the current worksheet's cells; messages through ShowError.
#pragma once

#include <cstdint>
#include <vector>

#include "commands/commands.h"
#include "core/address.h"

// Regression of Y on X. Pairs are taken row by row over X (columns ascending within a row), Y
// at the same offset from its own top-left corner; a pair with a missing cell on either side is
// skipped. The statistics are computed from the means and centred sums (the "Sum" rows are the
// raw sums): Intercept, Slope, R^2, Sum x^2, Sum y^2, Sum x*y, Count, Sigma x^2, Sigma y^2,
// RegErr, SlopeErr, one row each from `output` down (label at its column, number right of it),
// then "Formula:" and the fitted line entered as a formula in @X. An undefined X or Y beeps and
// gives kFailed; no pair at all writes nothing; all counted x, or all y, equal gives "Calc
// Error" and writes nothing.
CommandResult Regress(const CellRange& x, const CellRange& y, CellAddress output);

// A basis function of one X column: code = 9 x (X column index from 0) + function index, the
// function index being 0 constant, 1 x, 2..5 the powers x^2..x^5, 6 square root, 7 ln|x|,
// 8 exponential.
constexpr int kFitFunctions = 9;

// Least-squares fit of Y (its first column) over the terms `codes` of the X columns, one data
// row per row of X (Householder QR on the columns scaled to unit length). Writes one row per
// term in ascending code (name, coefficient), then "Formula:" with the fitted formula (entered
// as a formula for one X column, as a label for several; "Formula too large" from 240
// characters), "Result:" with the fitted value of the first data row and "R^2" (1 - SSE/SST,
// SST about the mean of Y). A term code out of range, more terms than rows, or a rank-deficient
// system: "Can not regress! Try another function" and nothing written.
CommandResult FitTerms(const CellRange& x, const CellRange& y, CellAddress output,
                       std::vector<int> codes);

// The default terms of a fit: the constant and the linear term of each of `columns` X columns.
std::vector<int> DefaultFitTerms(int columns);
