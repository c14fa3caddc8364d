// analysis/matrix.cpp — operations on blocks of numbers and linear programming.
//
// Reads and writes: the current worksheet's cells; messages through ShowError.
#include "analysis/matrix.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/analysis_cells.h"
#include "core/cell_store.h"
#include "core/text_case.h"

namespace {

constexpr char kArraySize[] = "Array size>30x30";
constexpr char kSizeMismatch[] = "Array size mismatch";
constexpr char kDeterminantZero[] = "Unable to Solve, Determinant=0";
constexpr char kPivotError[] = "Unable to Solve, Pivot Error?";

// A dense block of numbers, row-major.
struct Block {
  uint32_t rows = 0;
  uint32_t columns = 0;
  std::vector<double> values;

  Block() = default;
  Block(uint32_t r, uint32_t c) : rows(r), columns(c), values(size_t(r) * c, 0.0) {}
  double& at(uint32_t i, uint32_t j) { return values[size_t(i) * columns + j]; }
  double at(uint32_t i, uint32_t j) const { return values[size_t(i) * columns + j]; }
};

uint32_t RowsOf(const CellRange& r) { return r.lastRow - r.firstRow + 1u; }
uint32_t ColumnsOf(const CellRange& r) { return r.lastColumn - r.firstColumn + 1u; }

// Reads `rows` x `columns` values from the corner of `r`.
Block ReadBlock(const CellRange& r, uint32_t rows, uint32_t columns) {
  Block b(rows, columns);
  for (uint32_t i = 0; i < rows; ++i) {
    for (uint32_t j = 0; j < columns; ++j) b.at(i, j) = ValueAt(r.firstRow + i, r.firstColumn + j);
  }
  return b;
}

// Writes the block at the output cell; "Out of Range" when it does not fit on the grid.
CommandResult WriteBlock(const Block& b, CellAddress output) {
  if (b.rows == 0 || b.columns == 0) return CommandResult{};
  if (!IsValidCell(output.row + b.rows - 1u, output.column + b.columns - 1u)) {
    return ToolFailed("Out of Range");
  }
  for (uint32_t i = 0; i < b.rows; ++i) {
    for (uint32_t j = 0; j < b.columns; ++j) {
      if (!StoreNumberAt(output.row + i, output.column + j, b.at(i, j))) return WriteRefused();
    }
  }
  return CommandResult{};
}

bool ArgumentsValid(const CellRange& a, CellAddress output) {
  return RangeIsValid(a) && IsValidCell(output.row, output.column);
}

// The determinant of the first n columns of `m` (n = m.rows). Elimination without scaling; a
// diagonal element that is 0, or under 1e-8 of the largest element below it, has that row
// swapped in. Rows that are exactly dependent keep giving exactly 0.
double DeterminantOf(Block m) {
  const uint32_t n = m.rows;
  int swaps = 0;
  for (uint32_t k = 0; k + 1 < n; ++k) {
    uint32_t largest = k;
    for (uint32_t i = k + 1; i < n; ++i) {
      if (std::fabs(m.at(i, k)) > std::fabs(m.at(largest, k))) largest = i;
    }
    const double below = std::fabs(m.at(largest, k));
    if (largest != k && (m.at(k, k) == 0 || std::fabs(m.at(k, k)) < 1e-8 * below)) {
      for (uint32_t j = 0; j < m.columns; ++j) std::swap(m.at(k, j), m.at(largest, j));
      ++swaps;
    }
    const double pivot = m.at(k, k);
    if (pivot == 0) return 0.0;
    for (uint32_t i = k + 1; i < n; ++i) {
      if (m.at(i, k) == 0) continue;
      const double f = m.at(i, k) / pivot;
      for (uint32_t j = k; j < n; ++j) m.at(i, j) -= m.at(k, j) * f;
    }
  }
  double d = 1.0;
  for (uint32_t k = 0; k < n; ++k) d *= m.at(k, k);
  return swaps % 2 ? -d : d;
}

// Invert (`invert`) or E-Solve on the input: one solution column per right-hand column.
CommandResult SolveLinear(const CellRange& input, CellAddress output, bool invert) {
  if (!ArgumentsValid(input, output)) return CommandResult{};
  const CellRange in = OrderedRange(input);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const uint32_t n = RowsOf(in);
    if (n > uint32_t(kMatrixRows) || ColumnsOf(in) > uint32_t(kMatrixColumns)) {
      return ToolFailed(kArraySize);
    }
    const uint32_t columns = invert ? 2 * n : ColumnsOf(in);
    if (!invert && columns <= n) return ToolFailed(kSizeMismatch);
    Block m = ReadBlock(in, n, std::min(columns, ColumnsOf(in)));
    if (m.columns < columns) {
      Block wide(n, columns);
      for (uint32_t i = 0; i < n; ++i) {
        for (uint32_t j = 0; j < m.columns; ++j) wide.at(i, j) = m.at(i, j);
      }
      m = wide;
    }
    if (invert) {
      for (uint32_t i = 0; i < n; ++i) {
        for (uint32_t j = 0; j < n; ++j) m.at(i, n + j) = i == j ? 1.0 : 0.0;
      }
    }
    Block square(n, n);
    for (uint32_t i = 0; i < n; ++i) {
      for (uint32_t j = 0; j < n; ++j) square.at(i, j) = m.at(i, j);
    }
    if (DeterminantOf(square) == 0) return ToolFailed(kDeterminantZero);
    // Forward elimination with partial pivoting over all columns.
    for (uint32_t k = 0; k + 1 < n; ++k) {
      uint32_t largest = k;
      for (uint32_t i = k + 1; i < n; ++i) {
        if (std::fabs(m.at(i, k)) > std::fabs(m.at(largest, k))) largest = i;
      }
      if (largest != k) {
        for (uint32_t j = 0; j < columns; ++j) std::swap(m.at(k, j), m.at(largest, j));
      }
      const double pivot = m.at(k, k);
      if (pivot == 0) return ToolFailed(kPivotError);
      for (uint32_t i = k + 1; i < n; ++i) {
        const double f = m.at(i, k) / pivot;
        for (uint32_t j = k; j < columns; ++j) m.at(i, j) -= m.at(k, j) * f;
      }
    }
    // Back substitution, each right-hand column with its own values.
    const uint32_t rightHand = columns - n;
    Block result(n, rightHand);
    for (uint32_t r = 0; r < rightHand; ++r) {
      for (uint32_t i = n; i-- > 0;) {
        double sum = m.at(i, n + r);
        for (uint32_t j = i + 1; j < n; ++j) sum -= m.at(i, j) * result.at(j, r);
        if (m.at(i, i) == 0) return ToolFailed(kPivotError);
        result.at(i, r) = sum / m.at(i, i);
        if (!std::isfinite(result.at(i, r))) return ToolFailed(kPivotError);
      }
    }
    return WriteBlock(result, output);
  });
}

}  // namespace

CommandResult MatrixAddSubtract(const CellRange& first, const CellRange& second,
                                CellAddress output, bool subtract) {
  if (!ArgumentsValid(first, output) || !RangeIsValid(second)) return CommandResult{};
  const CellRange a = OrderedRange(first);
  const CellRange b = OrderedRange(second);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const uint32_t rows = RowsOf(a), columns = ColumnsOf(a);
    Block result(rows, columns);
    for (uint32_t i = 0; i < rows; ++i) {
      for (uint32_t j = 0; j < columns; ++j) {
        const double x = ValueAt(a.firstRow + i, a.firstColumn + j);
        const bool inside = IsValidCell(b.firstRow + i, b.firstColumn + j);
        const double y = inside ? ValueAt(b.firstRow + i, b.firstColumn + j) : 0.0;
        result.at(i, j) = subtract ? x - y : x + y;
      }
    }
    return WriteBlock(result, output);
  });
}

CommandResult MatrixMultiply(const CellRange& first, const CellRange& second, CellAddress output) {
  if (!ArgumentsValid(first, output) || !RangeIsValid(second)) return CommandResult{};
  const CellRange a = OrderedRange(first);
  const CellRange b = OrderedRange(second);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    if (ColumnsOf(a) != RowsOf(b)) return ToolFailed(kSizeMismatch);
    const Block left = ReadBlock(a, RowsOf(a), ColumnsOf(a));
    const Block right = ReadBlock(b, RowsOf(b), ColumnsOf(b));
    Block result(left.rows, right.columns);
    for (uint32_t i = 0; i < left.rows; ++i) {
      for (uint32_t j = 0; j < right.columns; ++j) {
        double sum = 0;
        for (uint32_t k = 0; k < left.columns; ++k) sum += left.at(i, k) * right.at(k, j);
        result.at(i, j) = sum;
      }
    }
    return WriteBlock(result, output);
  });
}

CommandResult MatrixTranspose(const CellRange& input, CellAddress output) {
  if (!ArgumentsValid(input, output)) return CommandResult{};
  const CellRange in = OrderedRange(input);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const Block m = ReadBlock(in, RowsOf(in), ColumnsOf(in));
    Block result(m.columns, m.rows);
    for (uint32_t i = 0; i < m.rows; ++i) {
      for (uint32_t j = 0; j < m.columns; ++j) result.at(j, i) = m.at(i, j);
    }
    return WriteBlock(result, output);
  });
}

CommandResult MatrixDeterminant(const CellRange& input, CellAddress output) {
  if (!ArgumentsValid(input, output)) return CommandResult{};
  const CellRange in = OrderedRange(input);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const uint32_t n = RowsOf(in);
    if (n > uint32_t(kMatrixRows) || ColumnsOf(in) > uint32_t(kMatrixColumns)) {
      return ToolFailed(kArraySize);
    }
    const double d = DeterminantOf(ReadBlock(in, n, n));
    if (!std::isfinite(d)) return ToolFailed(" Unable to Solve Determinant, /0 ");
    if (!StoreNumberAt(output.row, output.column, d)) return WriteRefused();
    return CommandResult{};
  });
}

CommandResult MatrixInvert(const CellRange& input, CellAddress output) {
  return SolveLinear(input, output, true);
}

CommandResult MatrixSolve(const CellRange& input, CellAddress output) {
  return SolveLinear(input, output, false);
}

// --- linear programming ------------------------------------------------------------------------

namespace {

enum class Relation : uint8_t { kLessEqual, kGreaterEqual, kEqual };

// The label text after its prefix, upper-cased; "" for anything else.
std::string UpperLabel(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  if (!h || !KindIsLabel(CellAt(h)->kind)) return {};
  const std::string text = PoolText(CellAt(h)->text);
  return UpperCase(text.empty() ? text : text.substr(1));
}

// Sets entries below 1e-9 of the largest magnitude of their row to exactly 0.
void CleanRow(Block& t, uint32_t i) {
  double largest = 0;
  for (uint32_t j = 0; j < t.columns; ++j) largest = std::max(largest, std::fabs(t.at(i, j)));
  for (uint32_t j = 0; j < t.columns; ++j) {
    if (std::fabs(t.at(i, j)) < 1e-9 * largest) t.at(i, j) = 0;
  }
}

}  // namespace

CommandResult LinearProgram(const CellRange& input, CellAddress output) {
  if (!ArgumentsValid(input, output)) return CommandResult{};
  const CellRange in = OrderedRange(input);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const uint32_t m = RowsOf(in), width = ColumnsOf(in);
    if (m > uint32_t(kMatrixRows) || width > uint32_t(kMatrixColumns)) return ToolFailed(kArraySize);
    if (m < 2 || width < 3) return ToolFailed(kSizeMismatch);
    const uint32_t variables = width - 2, constraints = m - 1;
    const uint32_t relationColumn = in.firstColumn + variables;
    const uint32_t rightColumn = relationColumn + 1;
    const std::string objectiveLabel = [&] {
      const CellHandle h = GetCell(in.lastRow, rightColumn);
      if (!h || !KindIsLabel(CellAt(h)->kind)) return std::string();
      const std::string text = PoolText(CellAt(h)->text);
      return text.empty() ? text : text.substr(1);
    }();
    const bool minimise = UpperCase(objectiveLabel).rfind("MIN", 0) == 0;

    // Relations (a negative right-hand side turns its row round) and the added columns.
    std::vector<Relation> relations(constraints);
    std::vector<double> sign(constraints, 1.0);
    uint32_t added = 0;
    double largest = 0;
    for (uint32_t i = 0; i < m; ++i) {
      for (uint32_t j = 0; j < width; ++j) {
        if (j == variables) continue;
        largest = std::max(largest, std::fabs(ValueAt(in.firstRow + i, in.firstColumn + j)));
      }
    }
    for (uint32_t i = 0; i < constraints; ++i) {
      const std::string rel = UpperLabel(in.firstRow + i, relationColumn);
      Relation r = rel.rfind("EQ", 0) == 0   ? Relation::kEqual
                   : rel.rfind("GE", 0) == 0 ? Relation::kGreaterEqual
                                             : Relation::kLessEqual;
      if (ValueAt(in.firstRow + i, rightColumn) < 0) {
        sign[i] = -1.0;
        if (r == Relation::kLessEqual) r = Relation::kGreaterEqual;
        else if (r == Relation::kGreaterEqual) r = Relation::kLessEqual;
      }
      relations[i] = r;
      added += r == Relation::kGreaterEqual ? 2u : 1u;
    }
    const uint32_t columns = variables + added + 1u;
    if (columns > uint32_t(kMatrixColumns)) return ToolFailed(kArraySize);
    const double bigM = 1000.0 * std::max(1.0, largest);

    Block t(m, columns);
    const uint32_t rhs = columns - 1u, objective = m - 1u;
    for (uint32_t i = 0; i < m; ++i) {
      const double s = i < constraints ? sign[i] : (minimise ? 1.0 : -1.0);
      for (uint32_t j = 0; j < variables; ++j) {
        t.at(i, j) = s * ValueAt(in.firstRow + i, in.firstColumn + j);
      }
      if (i < constraints) t.at(i, rhs) = s * ValueAt(in.firstRow + i, rightColumn);
    }
    std::vector<bool> artificial(columns, false);
    uint32_t next = variables;
    for (uint32_t i = 0; i < constraints; ++i) {
      if (relations[i] == Relation::kLessEqual) {
        t.at(i, next++) = 1.0;
        continue;
      }
      if (relations[i] == Relation::kGreaterEqual) t.at(i, next++) = -1.0;
      artificial[next] = true;
      t.at(i, next) = 1.0;
      t.at(objective, next++) = bigM;
      for (uint32_t j = 0; j < columns; ++j) t.at(objective, j) -= bigM * t.at(i, j);
    }
    CleanRow(t, objective);

    // Simplex iterations: tableau k is written (m + 2) x k rows below the input.
    for (uint32_t k = 1;; ++k) {
      const uint32_t top = in.firstRow + (m + 2u) * k;
      if (!IsValidCell(top + m, in.firstColumn + columns)) return ToolFailed("Out of Range");
      Block written = t;
      if (CommandResult w = WriteBlock(written, CellAddress{in.firstColumn, uint16_t(top)});
          !w.Done()) {
        return w;
      }
      uint32_t entering = columns;
      for (uint32_t j = 0; j < rhs; ++j) {
        if (t.at(objective, j) < 0 &&
            (entering == columns || t.at(objective, j) < t.at(objective, entering))) {
          entering = j;
        }
      }
      if (entering == columns) break;  // optimal: this tableau stays unmarked
      bool positive = false;
      uint32_t leaving = m;
      double best = 1e20;
      for (uint32_t i = 0; i < constraints; ++i) {
        if (t.at(i, entering) <= 0) continue;
        positive = true;
        const double ratio = t.at(i, rhs) / t.at(i, entering);
        if (ratio < best) {
          best = ratio;
          leaving = i;
        }
      }
      if (!StoreLabelAt(top + m, in.firstColumn + entering, "*")) return WriteRefused();
      for (uint32_t i = 0; i < m; ++i) {
        const CellHandle h = GetCell(top + i, in.firstColumn + entering);
        if (h) CellAt(h)->style |= kStyleBold;
      }
      if (!positive) return ToolFailed("Region & Objective Function Unbounded");
      if (leaving == m) return ToolFailed("Unable to find Pivot");
      if (!StoreLabelAt(top + leaving, in.firstColumn + columns, "*")) return WriteRefused();
      const double pivot = t.at(leaving, entering);
      for (uint32_t j = 0; j < columns; ++j) t.at(leaving, j) /= pivot;
      t.at(leaving, entering) = 1.0;
      for (uint32_t i = 0; i < m; ++i) {
        if (i == leaving || t.at(i, entering) == 0) continue;
        const double f = t.at(i, entering);
        for (uint32_t j = 0; j < columns; ++j) t.at(i, j) -= f * t.at(leaving, j);
        t.at(i, entering) = 0;
        CleanRow(t, i);
      }
    }

    // The variables: 0 where the objective row is not 0, else from rows with one unknown.
    const uint32_t count = rhs;
    std::vector<double> value(count, 0.0);
    std::vector<bool> known(count, false);
    for (uint32_t j = 0; j < count; ++j) known[j] = t.at(objective, j) != 0;
    for (bool progress = true; progress;) {
      progress = false;
      for (uint32_t i = 0; i < constraints; ++i) {
        uint32_t unknown = count, unknowns = 0;
        double sum = t.at(i, rhs);
        for (uint32_t j = 0; j < count; ++j) {
          if (t.at(i, j) == 0) continue;
          if (known[j]) {
            sum -= t.at(i, j) * value[j];
          } else {
            unknown = j;
            ++unknowns;
          }
        }
        if (unknowns != 1) continue;
        value[unknown] = sum / t.at(i, unknown);
        known[unknown] = true;
        progress = true;
      }
    }
    double scale = 1.0;
    for (uint32_t i = 0; i < constraints; ++i) scale = std::max(scale, std::fabs(t.at(i, rhs)));
    for (uint32_t j = 0; j < count; ++j) {
      if (artificial[j] && known[j] && std::fabs(value[j]) > 1e-9 * scale) {
        return ToolFailed("No Feasible Solution");
      }
    }
    const double optimum = minimise ? -t.at(objective, rhs) : t.at(objective, rhs);
    const uint32_t c = output.column, r = output.row;
    if (!IsValidCell(r + count, c + 1u)) return ToolFailed("Out of Range");
    if (!StoreLabelAt(r, c, objectiveLabel) || !StoreNumberAt(r, c + 1u, optimum)) {
      return WriteRefused();
    }
    for (uint32_t j = 0; j < count; ++j) {
      const std::string name = (j < variables ? "X" : "S") + std::to_string(j + 1);
      if (!StoreLabelAt(r + 1u + j, c, name)) return WriteRefused();
      const bool stored = known[j] ? StoreNumberAt(r + 1u + j, c + 1u, value[j])
                                   : EnterTextAt(r + 1u + j, c + 1u, "@err");
      if (!stored) return WriteRefused();
    }
    return CommandResult{};
  });
}
