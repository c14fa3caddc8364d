// analysis/regression.cpp — simple linear regression and least-squares fits of chosen terms.
//
// Regress works from the means and centred sums, so data far from 0 (years, serial numbers)
// keeps its precision. FitTerms solves the least-squares system by Householder QR on the basis
// columns scaled to unit length, never through the normal equations, and refuses a system whose
// diagonal element falls to rounding level.
// Reads and writes: the current worksheet's cells; messages through ShowError.
#include "analysis/regression.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "analysis/analysis_cells.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace {

constexpr char kCalcError[] = "Calc Error";
constexpr char kCannotRegress[] = "Can not regress! Try another function";

bool OutputIsValid(CellAddress output) { return IsValidCell(output.row, output.column); }

// The general text of a coefficient in a formula or label.
std::string CoefficientText(double value) { return FormatGeneral(value); }

// Enters the formula text; a text that does not go in only sounds the beep.
void EnterFormulaQuietly(uint32_t row, uint32_t column, const std::string& text) {
  const bool wasSuppressed = EntryMessagesSuppressed();
  SetEntryMessagesSuppressed(true);
  const bool stored = EnterTextAt(row, column, text);
  SetEntryMessagesSuppressed(wasSuppressed);
  if (!stored) ThePlatform().Beep();
}

// The value of basis function `function` (0..8) at x.
double Basis(int function, double x) {
  switch (function) {
    case 0: return 1.0;
    case 1: return x;
    case 2: return x * x;
    case 3: return x * x * x;
    case 4: return (x * x) * (x * x);
    case 5: return (x * x) * (x * x) * x;
    case 6: return std::sqrt(x);
    case 7: return std::log(std::fabs(x));
    default: return std::exp(x);
  }
}

// The name of a term: "Const", "x", "x^2".."x^5", "Sqrt(x)", "Ln(x)", "e^x", with `number`
// after the "x" when it is not empty.
std::string TermName(int function, const std::string& number) {
  const std::string x = "x" + number;
  switch (function) {
    case 0: return "Const";
    case 1: return x;
    case 6: return "Sqrt(" + x + ")";
    case 7: return "Ln(" + x + ")";
    case 8: return "e^" + x;
    default: return x + "^" + std::to_string(function);
  }
}

// The term written with its operand, as the fitted formula has it.
std::string TermText(int function, const std::string& operand) {
  switch (function) {
    case 1: return operand;
    case 6: return "@SQRT(" + operand + ")";
    case 7: return "@LN(@ABS(" + operand + "))";
    case 8: return "@EXP(" + operand + ")";
    default: return operand + "^" + std::to_string(function);
  }
}

// Least squares of b over the columns of `a` (n rows, p columns, column-major). Gives false
// when the system is rank deficient. `a` and `b` are overwritten.
bool SolveLeastSquares(std::vector<double>& a, std::vector<double>& b, size_t n, size_t p,
                       std::vector<double>* coefficients) {
  std::vector<double> scale(p);
  for (size_t j = 0; j < p; ++j) {
    double norm = 0;
    for (size_t i = 0; i < n; ++i) norm = std::hypot(norm, a[j * n + i]);
    if (!(norm > 0) || !std::isfinite(norm)) return false;
    scale[j] = norm;
    for (size_t i = 0; i < n; ++i) a[j * n + i] /= norm;
  }
  // Every column now has length 1: the rank test compares the diagonal with n x epsilon.
  const double tiny = double(n) * std::numeric_limits<double>::epsilon();
  std::vector<double> diagonal(p);
  for (size_t k = 0; k < p; ++k) {
    double* column = &a[k * n];
    double norm = 0;
    for (size_t i = k; i < n; ++i) norm = std::hypot(norm, column[i]);
    const double alpha = column[k] > 0 ? -norm : norm;
    if (std::fabs(alpha) <= tiny) return false;
    // v = x - alpha e1, kept in the column; H = I - 2 v v' / v'v.
    column[k] -= alpha;
    double vv = 0;
    for (size_t i = k; i < n; ++i) vv += column[i] * column[i];
    auto reflect = [&](double* target) {
      double dot = 0;
      for (size_t i = k; i < n; ++i) dot += column[i] * target[i];
      const double f = 2.0 * dot / vv;
      for (size_t i = k; i < n; ++i) target[i] -= f * column[i];
    };
    for (size_t j = k + 1; j < p; ++j) reflect(&a[j * n]);
    reflect(b.data());
    diagonal[k] = alpha;
  }
  coefficients->assign(p, 0.0);
  for (size_t k = p; k-- > 0;) {
    double sum = b[k];
    for (size_t j = k + 1; j < p; ++j) sum -= a[j * n + k] * (*coefficients)[j];
    (*coefficients)[k] = sum / diagonal[k];
  }
  for (size_t j = 0; j < p; ++j) {
    (*coefficients)[j] /= scale[j];
    if (!std::isfinite((*coefficients)[j])) return false;
  }
  return true;
}

}  // namespace

CommandResult Regress(const CellRange& xRange, const CellRange& yRange, CellAddress output) {
  if (!RangeIsValid(xRange) || !RangeIsValid(yRange) || !OutputIsValid(output)) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  const CellRange x = OrderedRange(xRange);
  const CellRange y = OrderedRange(yRange);
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    std::vector<double> xs, ys;
    for (uint32_t row = x.firstRow; row <= x.lastRow; ++row) {
      const uint32_t yRow = y.firstRow + (row - x.firstRow);
      for (CellHandle h = FindCellAtOrAfter(row, x.firstColumn); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        if (c->column > x.lastColumn) break;
        const uint32_t yColumn = y.firstColumn + (c->column - x.firstColumn);
        const double xv = CellNumber(c);
        if (!IsValidCell(yRow, yColumn)) continue;
        const CellHandle yh = GetCell(yRow, yColumn);
        if (!yh) continue;
        xs.push_back(xv);
        ys.push_back(CellNumber(CellAt(yh)));
      }
    }
    const size_t n = xs.size();
    if (n < 1) return CommandResult{};
    const double dn = double(n);
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (size_t i = 0; i < n; ++i) {
      sx += xs[i];
      sy += ys[i];
      sxx += xs[i] * xs[i];
      syy += ys[i] * ys[i];
      sxy += xs[i] * ys[i];
    }
    const bool xConstant = std::all_of(xs.begin(), xs.end(), [&](double v) { return v == xs[0]; });
    const bool yConstant = std::all_of(ys.begin(), ys.end(), [&](double v) { return v == ys[0]; });
    if (xConstant || yConstant) return ToolFailed(kCalcError);
    const double mx = sx / dn, my = sy / dn;
    double cxx = 0, cyy = 0, cxy = 0;
    for (size_t i = 0; i < n; ++i) {
      const double dx = xs[i] - mx, dy = ys[i] - my;
      cxx += dx * dx;
      cyy += dy * dy;
      cxy += dx * dy;
    }
    const double slope = cxy / cxx;
    const double intercept = my - slope * mx;
    const double r2 = (cxy / cxx) * (cxy / cyy);
    const double vx = cxx / dn, vy = cyy / dn;
    double regErr = 0, slopeErr = 0;
    if (n > 2) {
      regErr = std::sqrt(std::max(0.0, 1.0 - r2) * vy * dn / (dn - 2.0));
      slopeErr = regErr / std::sqrt(vx * dn);
    }
    const double values[11] = {intercept, slope, r2, sxx, syy, sxy, dn, vx, vy, regErr, slopeErr};
    for (double v : values) {
      if (!std::isfinite(v)) return ToolFailed(kCalcError);
    }
    static const char* const kLabels[11] = {"Intercept", "Slope",     "R^2",      "Sum x^2",
                                            "Sum y^2",   "Sum x*y",   "Count",    "Sigma x^2",
                                            "Sigma y^2", "RegErr",    "SlopeErr"};
    const uint32_t c = output.column, r = output.row;
    if (!IsValidCell(r + 11, c + 1)) return ToolFailed("Out of Range");
    for (uint32_t k = 0; k < 11; ++k) {
      if (!StoreLabelAt(r + k, c, kLabels[k]) || !StoreNumberAt(r + k, c + 1, values[k])) {
        return WriteRefused();
      }
    }
    if (!StoreLabelAt(r + 11, c, "Formula:")) return WriteRefused();
    std::string formula;
    if (intercept != 0) formula += "+" + CoefficientText(intercept);
    formula += "+" + CoefficientText(slope) + "*@X";
    EnterFormulaQuietly(r + 11, c + 1, formula);
    return CommandResult{};
  });
}

std::vector<int> DefaultFitTerms(int columns) {
  std::vector<int> codes = {0};
  for (int j = 0; j < columns; ++j) codes.push_back(kFitFunctions * j + 1);
  return codes;
}

CommandResult FitTerms(const CellRange& xRange, const CellRange& yRange, CellAddress output,
                       std::vector<int> codes) {
  if (!RangeIsValid(xRange) || !RangeIsValid(yRange) || !OutputIsValid(output)) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  const CellRange x = OrderedRange(xRange);
  const CellRange y = OrderedRange(yRange);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return RunCommand(CommandSteps{}, [&]() -> CommandResult {
    const int xColumns = x.lastColumn - x.firstColumn + 1;
    const size_t n = std::min<size_t>(x.lastRow - x.firstRow + 1u, y.lastRow - y.firstRow + 1u);
    const size_t p = codes.size();
    if (p == 0 || p > n || codes.front() < 0 || codes.back() >= kFitFunctions * xColumns) {
      return ToolFailed(kCannotRegress);
    }
    std::vector<double> design(n * p), yv(n);
    for (size_t i = 0; i < n; ++i) {
      yv[i] = ValueAt(y.firstRow + uint32_t(i), y.firstColumn);
      for (size_t j = 0; j < p; ++j) {
        const int column = codes[j] / kFitFunctions;
        const double xv = ValueAt(x.firstRow + uint32_t(i), x.firstColumn + uint32_t(column));
        design[j * n + i] = Basis(codes[j] % kFitFunctions, xv);
        if (!std::isfinite(design[j * n + i])) return ToolFailed(kCannotRegress);
      }
    }
    std::vector<double> a = design, b = yv, coefficients;
    if (!SolveLeastSquares(a, b, n, p, &coefficients)) return ToolFailed(kCannotRegress);

    double mean = 0;
    for (double v : yv) mean += v;
    mean /= double(n);
    double sse = 0, sst = 0, firstFit = 0;
    for (size_t i = 0; i < n; ++i) {
      double fit = 0;
      for (size_t j = 0; j < p; ++j) fit += design[j * n + i] * coefficients[j];
      if (i == 0) firstFit = fit;
      sse += (yv[i] - fit) * (yv[i] - fit);
      sst += (yv[i] - mean) * (yv[i] - mean);
    }
    const double r2 = sst > 0 ? 1.0 - sse / sst : 1.0;

    const uint32_t c = output.column, r = output.row;
    if (!IsValidCell(r + uint32_t(p) + 2, c + 1)) return ToolFailed("Out of Range");
    const bool several = xColumns > 1;
    std::string formula;
    for (size_t j = 0; j < p; ++j) {
      const int column = codes[j] / kFitFunctions, function = codes[j] % kFitFunctions;
      const std::string number = several ? std::to_string(column + 1) : std::string();
      if (!StoreLabelAt(r + uint32_t(j), c, TermName(function, number)) ||
          !StoreNumberAt(r + uint32_t(j), c + 1, coefficients[j])) {
        return WriteRefused();
      }
      const std::string operand =
          several ? ShortCellText(x.firstRow, uint16_t(x.firstColumn + column)) : "@X";
      if (j > 0) formula += "+";
      formula += CoefficientText(coefficients[j]);
      if (function != 0) formula += "*" + TermText(function, operand);
    }
    formula.insert(0, several ? "'" : "+");
    const uint32_t formulaRow = r + uint32_t(p);
    if (!StoreLabelAt(formulaRow, c, "Formula:")) return WriteRefused();
    bool stored = false;
    if (formula.size() < kMaxCellText) {
      if (several) {
        stored = StoreLabelAt(formulaRow, c + 1, formula);
      } else {
        const bool wasSuppressed = EntryMessagesSuppressed();
        SetEntryMessagesSuppressed(true);
        stored = EnterTextAt(formulaRow, c + 1, formula);
        SetEntryMessagesSuppressed(wasSuppressed);
      }
    }
    if (!stored && !StoreLabelAt(formulaRow, c + 1, "Formula too large")) return WriteRefused();
    if (!StoreLabelAt(formulaRow + 1, c, "Result:") ||
        !StoreNumberAt(formulaRow + 1, c + 1, firstFit) ||
        !StoreLabelAt(formulaRow + 2, c, "R^2") || !StoreNumberAt(formulaRow + 2, c + 1, r2)) {
      return WriteRefused();
    }
    return CommandResult{};
  });
}
