// formula/functions_database.cpp — the database @-functions @QSUM, @QAVG, @QCOUNT, @QMIN,
// @QMAX, @QVAR and @QSTD(criterion, range, offset).
//
// The criterion is formula text in which @X stands for the cell being tested. A string constant
// as first argument is that text; any other first argument is taken as written: the formula is
// turned back into text and the text of the first argument of the right "@Q" function in it is
// the criterion (so @QSUM(@X>5,A1..A9,1) works with the criterion unquoted). The criterion is
// compiled once and evaluated for every cell of the range with @X set to the cell's value; for
// each cell where it is not 0 (and not ERR), the cell `offset` columns to the right enters the
// statistic as a numeric cell of a list range does: numbers count, other cells are skipped, a
// cell with the error mark makes the result ERR.
// State: none of its own; sets the @X variable while a criterion runs and puts it back after.
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet_common.h"

namespace {

void Fail(Frame& f) {
  f.Fail();
  f.SetNumber(1.0);
}

bool IsDatabaseOpcode(uint8_t op) { return op >= uint8_t(Op::kQsum) && op <= uint8_t(Op::kQstd); }

// Skips a string literal of formula text that starts at `i` (a double quote); gives the position
// after its closing quote (or the end).
size_t SkipQuoted(std::string_view text, size_t i) {
  ++i;
  while (i < text.size() && text[i] != '"') ++i;
  return i < text.size() ? i + 1 : i;
}

// Whether `text` at `i` starts the name of a database function followed by "(": gives the
// position after the "(" or 0.
size_t DatabaseCallAt(std::string_view text, size_t i) {
  if (text.compare(i, 2, "@Q") != 0) return 0;
  for (int op = uint8_t(Op::kQsum); op <= uint8_t(Op::kQstd); ++op) {
    const std::string_view name = OpcodeName(uint8_t(op));
    if (text.compare(i + 1, name.size(), name) == 0 && i + 1 + name.size() < text.size() &&
        text[i + 1 + name.size()] == '(') {
      return i + 2 + name.size();
    }
  }
  return 0;
}

// The text of the first argument of the n-th (from 1) database function call in formula text:
// from its "(" up to the first argument separator outside parentheses and string literals.
// False when the text holds fewer calls.
bool NthFirstArgument(std::string_view text, int n, std::string* out) {
  const char separator = ArgumentSeparator();
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"') {
      i = SkipQuoted(text, i);
      continue;
    }
    const size_t start = DatabaseCallAt(text, i);
    if (start == 0 || --n > 0) {
      i += start ? start - i : 1;
      continue;
    }
    int depth = 0;
    size_t j = start;
    while (j < text.size()) {
      const char c = text[j];
      if (c == '"') {
        j = SkipQuoted(text, j);
        continue;
      }
      if (c == '(') ++depth;
      if (c == ')' && depth-- == 0) break;
      if (c == separator && depth == 0) break;
      ++j;
    }
    *out = std::string(text.substr(start, j - start));
    return true;
  }
  return false;
}

// The criterion text of the database function being run.
bool CriterionText(Frame& f, std::string* out) {
  const uint8_t* code = f.Code();
  const int pushedBy = f.Arg(1).tokenPosition;
  if (f.IsString(1) && pushedBy >= kCodeStart && code[pushedBy] == uint8_t(Op::kString)) {
    *out = std::string(f.Text(1));
    return true;
  }
  // Which "@Q" call of the formula text this one is. The text names a function before its
  // arguments while the code runs them first, so calls are ranked by where their subexpression
  // starts in the code, an enclosing call before the calls inside it.
  struct Call {
    int start;     // code position of the first token of the call's subexpression
    int position;  // code position of the call's own token
  };
  std::vector<Call> calls;
  std::vector<int> starts;  // subexpression start of each value on the stack
  CodeWalker walker(code, CodeBufferSize(code));
  CodeToken token;
  while (walker.Next(&token)) {
    const int count = TokenArgumentCount(code, token);
    if (count > int(starts.size())) return false;
    const int start = count > 0 ? starts[starts.size() - size_t(count)] : token.position;
    starts.resize(starts.size() - size_t(count));
    starts.push_back(start);
    if (IsDatabaseOpcode(token.opcode)) calls.push_back(Call{start, token.position});
  }
  const Call* self = nullptr;
  for (const Call& c : calls) {
    if (c.position == f.Position()) self = &c;
  }
  if (!self) return false;
  int n = 0;
  for (const Call& c : calls) {
    if (c.start < self->start || (c.start == self->start && c.position >= self->position)) ++n;
  }
  return n > 0 && NthFirstArgument(FormulaText(code, CodeBufferSize(code)), n, out);
}

// Collects the numbers selected by the criterion; false (ERR) when the criterion does not
// compile, the arguments are wrong or a selected cell carries the error mark.
bool SelectedNumbers(Frame& f, std::vector<double>* values) {
  std::string text, code;
  ArgumentRange range;
  double offset = 0;
  if (!CriterionText(f, &text) || !Compile(text, &code) || !f.Range(2, &range) ||
      !Rounded(f.Number(3), &offset) ||
      offset + range.range.firstColumn < 0 || offset + range.range.lastColumn >= kColumnCount) {
    return false;
  }
  const double savedX = FormulaVariableX();
  bool failed = false;
  ForEachCell(range, [&](CellHandle h) {
    const CellValue tested = ValueOfCell(h);
    SetFormulaVariableX(tested.kind == ValueKind::kNumber ? tested.number : 0);
    const EvalResult r = EvaluateCode(code);
    if (r.error || r.isString || r.number == 0) return true;
    const CellRecord* c = CellAt(h);
    const CellHandle target = CellInSheet(range.rowTable, c->row, uint32_t(c->column + offset));
    if (!target) return true;
    const uint8_t kind = CellAt(target)->kind;
    if (kind & kKindErrorMark) {
      failed = true;
      return false;
    }
    if (KindIsNumeric(kind)) values->push_back(CellNumber(CellAt(target)));
    return true;
  });
  SetFormulaVariableX(savedX);
  return !failed;
}

// Runs a database function: selects the numbers, then `compute` gives the statistic (false for
// ERR).
template <typename Compute>
void Database(Frame& f, Compute compute) {
  // The first argument was computed with whatever @X held before; only its text matters.
  f.SetError(false);
  if (ArgumentFailed(f, 3, 3)) return;
  std::vector<double> values;
  double result = 0;
  if (!SelectedNumbers(f, &values) || !compute(values, &result)) return Fail(f);
  SetChecked(f, result);
}

double Sum(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x;
  return s;
}

// Population variance in two passes: the mean first, then the squared deviations.
bool Variance(const std::vector<double>& v, double* out) {
  if (v.empty()) return false;
  const double mean = Sum(v) / double(v.size());
  double squares = 0;
  for (double x : v) squares += (x - mean) * (x - mean);
  *out = squares / double(v.size());
  return true;
}

void Qsum(Frame& f) {
  Database(f, [](const std::vector<double>& v, double* out) {
    *out = Sum(v);
    return true;
  });
}

// @QAVG of no selected value is ERR, as @AVG of none.
void Qavg(Frame& f) {
  Database(f, [](const std::vector<double>& v, double* out) {
    if (v.empty()) return false;
    *out = Sum(v) / double(v.size());
    return true;
  });
}

void Qcount(Frame& f) {
  Database(f, [](const std::vector<double>& v, double* out) {
    *out = double(v.size());
    return true;
  });
}

// @QMIN and @QMAX of no selected value are 0, as @MIN and @MAX of none.
void Qmin(Frame& f) {
  Database(f, [](const std::vector<double>& v, double* out) {
    *out = v.empty() ? 0 : v[0];
    for (double x : v) *out = std::fmin(*out, x);
    return true;
  });
}

void Qmax(Frame& f) {
  Database(f, [](const std::vector<double>& v, double* out) {
    *out = v.empty() ? 0 : v[0];
    for (double x : v) *out = std::fmax(*out, x);
    return true;
  });
}

// @QVAR and @QSTD: population variance and its root; no selected value is ERR.
void Qvar(Frame& f) { Database(f, Variance); }

void Qstd(Frame& f) {
  Database(f, [](const std::vector<double>& v, double* out) {
    if (!Variance(v, out)) return false;
    *out = std::sqrt(*out);
    return true;
  });
}

}  // namespace

void RegisterDatabaseFunctions() {
  RegisterFunction(uint8_t(Op::kQsum), Qsum);
  RegisterFunction(uint8_t(Op::kQavg), Qavg);
  RegisterFunction(uint8_t(Op::kQcount), Qcount);
  RegisterFunction(uint8_t(Op::kQmin), Qmin);
  RegisterFunction(uint8_t(Op::kQmax), Qmax);
  RegisterFunction(uint8_t(Op::kQvar), Qvar);
  RegisterFunction(uint8_t(Op::kQstd), Qstd);
}
