// formula/compiler.cpp — formula text to formula code.
//
// The operator string " ,#\x1C\x1D\\=<>?\x1F|+-*/^\x1E\x1B&" (the second character is the
// argument separator) gives every operator its precedence: its position, lowest first. Operators
// wait on a stack until one of lower or equal precedence arrives, so equal levels associate to
// the left; prefix operators are pushed without popping, as nothing stands between them and the
// operator before them. Every parenthesised group and every argument list is compiled by a
// recursive expression step; function calls count their arguments in a counter of their own.
// State: CompilerState below (one compilation at a time); reads the number settings, the range
// names and the user functions; creates referenced cell records.
#include "formula/compiler.h"
#include "core/text_case.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
#include "core/number_settings.h"
#include "formula/formula_code.h"
#include "formula/function_library.h"
#include "platform/platform.h"

namespace {

// Operator characters beyond the printable ones.
constexpr char kOrChar = 0x1C;
constexpr char kAndChar = 0x1D;
constexpr char kNegateChar = 0x1E;
constexpr char kLessEqualChar = 0x1F;
constexpr char kUnaryPlusChar = 0x1B;
constexpr char kNotChar = '\\';

// Operators may pile up this deep above the bottom entry of the stack.
constexpr size_t kMaxOperatorStack = 40;
// Only this many characters of a function name count.
constexpr size_t kMaxNameCompare = 80;

// Maps an operator character at position p (from 1) to opcode p + 7; characters not in it (the
// space, the separator, "#" and unary plus) emit nothing.
constexpr std::string_view kEmitting = "\x1E+-*/^=?\x1F|<>\x1D\x1C\\_&";

struct TwoCharOperator {
  char first;
  char second;  // compared in upper case
  char becomes;
  int extra;    // characters skipped beyond the first
};
constexpr TwoCharOperator kTwoCharOperators[] = {
    {'>', '=', '|', 1},          {'>', '<', '?', 1},         {'<', '=', kLessEqualChar, 1},
    {'<', '>', '?', 1},          {'=', '>', '|', 1},         {'=', '<', kLessEqualChar, 1},
    {'#', 'X', kNotChar, 4},     {'#', 'A', kAndChar, 4},    {'#', 'O', kOrChar, 3},
};

struct CompilerState {
  uint8_t out[kMaxCodeSize] = {};
  int write = kCodeStart;
  bool error = false;
  bool rangeCompiled = false;
  bool functionCalled = false;
  bool externalPending = false;
  int externalPlaceholder = 0;  // write position of the 8 placeholder bytes
  std::string message;
  std::string operators;  // the operator string of this compilation
  char separator = ',';
  char decimal = '.';
};

CompilerState& State() {
  static CompilerState state;
  return state;
}

char Upper(char c) { return UpperCaseChar(c); }

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

void Fail() { State().error = true; }

// Appends one byte; at position 240 the code is full.
void Append(uint8_t byte) {
  CompilerState& s = State();
  if (s.error) return;
  if (s.write >= kMaxCodeSize) {
    s.message = std::string(kMaxFormulaSizeMessage);
    s.error = true;
    return;
  }
  s.out[s.write++] = byte;
}

void AppendBytes(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) Append(bytes[i]);
}

int Precedence(char c) {
  size_t at = State().operators.find(c);
  return at == std::string::npos ? 0 : int(at) + 1;
}

bool IsOperatorChar(char c) { return State().operators.find(c) != std::string::npos; }

void EmitOperator(char c) {
  size_t at = kEmitting.find(c);
  if (at != std::string_view::npos) Append(uint8_t(at + 1 + 7));
}

bool StartsReference(char c) {
  char u = Upper(c);
  return (u >= 'A' && u <= 'Z') || u == '$';
}

// Position of the ")" matching the "(" at `open`, skipping quoted texts and bracketed file names;
// npos when there is none.
size_t MatchingParenthesis(std::string_view text, size_t open) {
  int depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"' || c == '[') {
      size_t close = text.find(c == '"' ? '"' : ']', i + 1);
      if (close == std::string_view::npos) return std::string_view::npos;
      i = close;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) return i;
    }
  }
  return std::string_view::npos;
}

// Appends one in-memory cell operand for the cell at (row, column), creating its record.
void AppendCellOperand(uint16_t row, uint16_t column, bool absoluteRow, bool absoluteColumn) {
  CellHandle cell = GetOrCreateCell(row, column);
  if (!cell) {
    Fail();
    return;
  }
  uint8_t bytes[4];
  WriteLong(bytes, (absoluteRow ? kOperandAbsoluteRow : 0) |
                       (absoluteColumn ? kOperandAbsoluteColumn : 0) |
                       (cell & kOperandHandleMask));
  AppendBytes(bytes, 4);
}

// A reference, range or range name; false when the text is none of them.
bool CompileReference(std::string_view text) {
  CompilerState& s = State();
  ClearError();
  CellRange r = ParseRange(text);
  const uint8_t flags = LastParseFlags();
  if (ErrorRaised() || !RangeIsValid(r) || !IsValidCell(r.firstRow, r.firstColumn) ||
      !IsValidCell(r.lastRow, r.lastColumn)) {
    return false;
  }
  if (s.externalPending) {
    // The reference belongs to the external reference before it: fill its corners.
    uint8_t* p = s.out + s.externalPlaceholder;
    WriteWord(p, r.firstColumn);
    WriteWord(p + 2, r.firstRow);
    WriteWord(p + 4, r.lastColumn);
    WriteWord(p + 6, r.lastRow);
    s.externalPending = false;
    return true;
  }
  if (RangeIsSingleCell(r)) {
    Append(uint8_t(Op::kCellRef));
    AppendCellOperand(r.firstRow, r.firstColumn, flags & kAbsFirstRow, flags & kAbsFirstColumn);
  } else {
    Append(uint8_t(Op::kRangeRef));
    AppendCellOperand(r.lastRow, r.lastColumn, flags & kAbsLastRow, flags & kAbsLastColumn);
    AppendCellOperand(r.firstRow, r.firstColumn, flags & kAbsFirstRow, flags & kAbsFirstColumn);
    s.rangeCompiled = true;
  }
  return true;
}

// Reads a number token: the decimal separator counts as a point, a leading point (or a sign
// followed by one) gets a 0 in front. False unless the whole token is a finite number.
bool ReadNumber(std::string_view token, double* value) {
  std::string t(token);
  if (size_t at = t.find(State().decimal); at != std::string::npos) t[at] = '.';
  size_t start = 0;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) start = 1;
  if (start < t.size() && t[start] == '.') t.insert(start, 1, '0');
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  double v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

void CompileNumber(double v) {
  if (std::fabs(v) < 32767 && v == std::floor(v)) {
    Append(uint8_t(Op::kInteger));
    uint8_t bytes[2];
    WriteWord(bytes, uint16_t(int16_t(v)));
    AppendBytes(bytes, 2);
  } else {
    Append(uint8_t(Op::kConstant));
    uint8_t bytes[8];
    WriteDouble(bytes, v);
    AppendBytes(bytes, 8);
  }
}

// "[name]": the external reference's opcode, 8 placeholder bytes and the full path.
void CompileExternal(std::string_view token) {
  CompilerState& s = State();
  size_t close = token.find(']');
  std::string name(token.substr(1, close == std::string_view::npos ? 0 : close - 1));
  if (close != token.size() - 1 || name.empty() || s.externalPending) {
    Fail();
    return;
  }
  if (name[0] != '/') {
    std::error_code ec;
    std::string directory = std::filesystem::current_path(ec).string();
    if (ec) {
      Fail();
      return;
    }
    if (directory.empty() || directory.back() != '/') directory += '/';
    name = directory + name;
  }
  Append(uint8_t(Op::kExternal));
  s.externalPlaceholder = s.write;
  for (int i = 0; i < 8; ++i) Append('X');
  AppendBytes(reinterpret_cast<const uint8_t*>(name.data()), name.size());
  Append(0);
  s.externalPending = true;
}

// A plain operand: reference, range name, string, external file or number, with an optional
// postfix "%" or "!".
void CompilePlainOperand(std::string_view token) {
  CompilerState& s = State();
  uint8_t postfix = 0;
  if (!token.empty() && (token.back() == '%' || token.back() == '!')) {
    postfix = token.back() == '%' ? uint8_t(Op::kPercent) : uint8_t(Op::kFactorial);
    token.remove_suffix(1);
  }
  std::string text(token);
  for (int round = 0; round < 2 && !s.error; ++round) {
    if (!text.empty() && StartsReference(text[0])) {
      if (!CompileReference(text)) Fail();
      break;
    }
    if (s.externalPending) {
      Fail();  // an external reference must be followed by a reference
      break;
    }
    if (!text.empty() && text[0] == '"') {
      if (text.size() < 2 || text.back() != '"') {
        Fail();
        break;
      }
      Append(uint8_t(Op::kString));
      AppendBytes(reinterpret_cast<const uint8_t*>(text.data() + 1), text.size() - 2);
      Append(0);
      break;
    }
    if (!text.empty() && text[0] == '[') {
      CompileExternal(text);
      break;
    }
    double v;
    if (ReadNumber(text, &v)) {
      CompileNumber(v);
      break;
    }
    int index = round == 0 ? LookupName(UpperText(text)) : 0;
    if (index <= 0) {
      Fail();
      break;
    }
    text = RangeText(NameRange(index));  // and read it as a reference
  }
  if (postfix) Append(postfix);
}

// A function call (the name starts with "@") or else a plain operand. `withParentheses` tells a
// call written with an argument list; `counter` is the argument counter the call settles.
void CompileCallOrOperand(std::string_view name, bool withParentheses, int& counter) {
  CompilerState& s = State();
  if (name.empty() || name[0] != '@') {
    if (withParentheses) {
      Fail();  // an argument list after something that is not a function
      return;
    }
    CompilePlainOperand(name);
    return;
  }
  if (s.externalPending) {
    Fail();
    return;
  }
  s.functionCalled = true;
  std::string upper = UpperText(name.substr(1));
  if (upper.size() > kMaxNameCompare) upper.resize(kMaxNameCompare);
  const int given = withParentheses ? 1 : 0;  // the last argument has no separator after it

  int opcode = FindFunctionOpcode(upper);
  if (opcode < 0) {
    if (int index = upper.size() <= kMaxUserFunctionName ? ResolveUserFunction(upper) : 0) {
      UserFunction f;
      SheetFunctionAt(index, &f);
      Append(uint8_t(Op::kUserFunction));
      Append(uint8_t(index));
      counter += given - f.argumentCount;
      return;
    }
    int nameIndex = LookupName(upper);
    if (nameIndex <= 0) {
      Fail();
      return;
    }
    // A named-range call: as many arguments as the range has columns.
    Append(uint8_t(Op::kNamedRangeCall));
    CompilePlainOperand(upper[0] == '$' ? upper : "$" + upper);
    CellRange r = NameRange(nameIndex);
    counter += given - 1 + (int(r.firstColumn) - int(r.lastColumn));
    return;
  }
  const uint16_t cls = OpcodeClass(uint8_t(opcode));
  if (cls < kClassFixed0 || cls > kClassVariable) {
    Fail();  // operator names are no functions
    return;
  }
  Append(uint8_t(opcode));
  int n = cls - kClassFixed0;
  if (!withParentheses) {
    if (n != 0) Fail();
    return;
  }
  counter += 1;
  if (cls == kClassVariable) {
    n = counter;
    if (n < 1 || n > 255) {
      Fail();
      return;
    }
    Append(uint8_t(n));
  }
  counter -= n;
}

void ExpressionStep(std::string_view input, int& counter);

// Pushes an operator; a stack already full gives a beep and fails the compilation, as dropping
// the operator would leave code that computes something else.
void PushOperator(std::vector<char>& stack, char c) {
  if (stack.size() > kMaxOperatorStack) {
    ThePlatform().Beep();
    Fail();
    return;
  }
  stack.push_back(c);
}

// Scans an operand from `pos` (which becomes the position after it) and compiles it.
void CompileOperand(const std::string& text, size_t& pos, int& local) {
  CompilerState& s = State();
  size_t start = pos;
  const size_t sentinel = text.size() - 1;  // the appended space
  if (!StartsReference(text[pos])) {
    // A number may hold exponent signs, which are operator characters elsewhere.
    bool seen = false;
    while (pos < sentinel) {
      char c = text[pos];
      if (std::isdigit(static_cast<unsigned char>(c)) || c == s.decimal || c == '%' || c == '!') {
        seen = true;
        ++pos;
      } else if (seen && (c == 'E' || c == 'e')) {
        pos += pos + 1 < sentinel ? 2 : 1;
      } else {
        break;
      }
    }
  }
  while (pos < text.size() && !s.error && !IsOperatorChar(text[pos])) {
    const char c = text[pos];
    if (c == '[') {
      size_t close = text.find(']', pos + 1);
      if (close == std::string::npos) {
        Fail();
        return;
      }
      pos = close + 1;
      break;  // the reference after the file name is an operand of its own
    }
    if (c == '"') {
      size_t close = text.find('"', pos + 1);
      if (close == std::string::npos) {
        Fail();
        return;
      }
      pos = close + 1;
      continue;
    }
    if (c == '(') {
      size_t close = MatchingParenthesis(text, pos);
      if (close == std::string::npos) {
        Fail();
        return;
      }
      std::string_view inner = std::string_view(text).substr(pos + 1, close - pos - 1);
      int arguments = 0;
      ExpressionStep(inner, arguments);
      if (pos == start) {
        if (arguments != 0) Fail();  // a separator inside plain parentheses
        Append(uint8_t(Op::kParentheses));
      } else {
        CompileCallOrOperand(std::string_view(text).substr(start, pos - start), true, arguments);
        local += arguments;
      }
      pos = close + 1;
      start = pos;
      continue;
    }
    ++pos;
  }
  if (!s.error && pos > start) {
    CompileCallOrOperand(std::string_view(text).substr(start, pos - start), false, local);
  }
}

void ExpressionStep(std::string_view input, int& counter) {
  CompilerState& s = State();
  std::string text(input);
  text += ' ';
  size_t pos = text[0] == '+' ? 1 : 0;
  bool expectOperand = true;
  std::vector<char> stack{' '};
  int local = 0;
  while (pos < text.size() && !s.error) {
    char c = text[pos];
    if (!IsOperatorChar(c)) {
      expectOperand = false;
      CompileOperand(text, pos, local);
      continue;
    }
    if (c == s.separator) ++counter;
    const char next = pos + 1 < text.size() ? Upper(text[pos + 1]) : '\0';
    const bool prefix = expectOperand;
    if (prefix) {
      if (c == '+') {
        c = kUnaryPlusChar;
      } else if (c == '-') {
        c = kNegateChar;
      } else if (!(c == '#' && next == 'X')) {
        Fail();  // an operator where an operand belongs
        break;
      }
    }
    for (const TwoCharOperator& op : kTwoCharOperators) {
      if (c == op.first && next == op.second) {
        c = op.becomes;
        pos += op.extra;
        break;
      }
    }
    if (c == kNotChar && !prefix) {
      Fail();  // the logical not takes no left operand
      break;
    }
    if (!prefix) {
      const int precedence = Precedence(c);
      while (stack.size() > 1 && precedence <= Precedence(stack.back())) {
        EmitOperator(stack.back());
        stack.pop_back();
      }
    }
    PushOperator(stack, c);
    ++pos;
    expectOperand = true;
  }
  while (stack.size() > 1) {
    EmitOperator(stack.back());
    stack.pop_back();
  }
  counter += local;
}

}  // namespace

char ArgumentSeparator() {
  const NumberSettings& settings = NumberFormatSettings();
  if (settings.decimalSeparator == ',') return ';';
  return settings.argumentSeparator ? settings.argumentSeparator : ',';
}

bool Compile(std::string_view text, std::string* code) {
  CompilerState& s = State();
  // The core's error flag serves the reference parser here; the caller's state survives.
  const bool hadError = ErrorRaised();
  const std::string hadText = ErrorText();

  s = CompilerState{};
  s.separator = ArgumentSeparator();
  s.decimal = NumberFormatSettings().decimalSeparator;
  s.operators = std::string(" ") + s.separator + "#\x1C\x1D\\=<>?\x1F|+-*/^\x1E\x1B&";
  s.out[1] = 0;
  if (text.size() > kMaxCellText) text = text.substr(0, kMaxCellText);
  if (text.find('\0') != std::string_view::npos) Fail();

  int counter = 0;
  if (!s.error) ExpressionStep(text, counter);
  // A wrong argument count somewhere, a bare range, or a file name without its reference.
  if (counter != 0 || (s.rangeCompiled && !s.functionCalled) || s.externalPending) Fail();
  if (!s.error) {
    s.out[0] = uint8_t(s.write);
    Append(kEndMarker);
  }
  // Whatever slipped through the rules above (two operands without an operator between them,
  // an argument list after a plain operand) leaves code that does not compute one value.
  if (!s.error && !CodeIsBalanced(s.out, size_t(s.out[0]) + 1)) Fail();

  ClearError();
  if (hadError) RaiseError(hadText);
  if (s.error) return false;
  code->assign(reinterpret_cast<const char*>(s.out), size_t(s.out[0]) + 1);
  return true;
}

const std::string& CompilerMessage() { return State().message; }

bool CompileFormula(std::string_view text, uint16_t row, uint16_t column, std::string* code) {
  (void)row;  // references name cell records, so the position plays no part
  (void)column;
  if (Compile(text, code)) return true;
  RaiseError(CompilerMessage());
  return false;
}

void ResetCompilerState() { State() = CompilerState{}; }
