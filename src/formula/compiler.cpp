// formula/compiler.cpp — formula text to formula code.
//
// Every operator is one character on the operator stack, standing for its opcode; its precedence
// comes from the opcode table (opcodes.def). Below all operators rank the space (the bottom of
// the stack, and a space between operands), then the argument separator, then "#". Operators
// wait on the stack until one of lower or equal precedence arrives, so equal levels associate to
// the left; prefix operators are pushed without popping, as nothing stands between them and the
// operator before them. Every parenthesised group and every argument list is compiled by a
// recursive expression step; function calls count their arguments in a counter of their own.
// The first failure of a compilation keeps a short message and, where it is known, the position
// in the text it was found at (positions count from 0 in the text given to Compile).
// State: CompilerState below (one compilation at a time); reads the number settings, the range
// names and the user functions; creates referenced cell records.
#include "formula/compiler.h"
#include "core/text_case.h"

#include <algorithm>
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

// The operator characters: the one at position p stands for opcode kNegate + p. Two-character
// operators and the word operators are read into these single characters first.
constexpr std::string_view kOperatorChars = "\x1E+-*/^=?\x1F|<>\x1D\x1C\\\x1B&";
// Precedences below every operator of the opcode table.
constexpr int kSpacePrecedence = 1;
constexpr int kSeparatorPrecedence = 2;
constexpr int kHashPrecedence = 3;

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
  std::string message;          // the first failure's message
  int errorAt = -1;             // the first failure's position in the text, -1 when not known
  size_t textLength = 0;        // length of the text being compiled (the end's position)
  std::vector<std::pair<uint16_t, uint16_t>> created;  // (row, column) of cells made for operands
  char separator = ',';
  char decimal = '.';
};

CompilerState& TheCompilerState() {
  static CompilerState state;
  return state;
}

char Upper(char c) { return UpperCaseChar(c); }

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

// Fails the compilation; only the first failure's message and position are kept.
void Fail(std::string message, size_t at = std::string::npos) {
  CompilerState& s = TheCompilerState();
  if (s.error) return;
  s.error = true;
  s.message = std::move(message);
  s.errorAt = at == std::string::npos ? -1 : int(std::min(at, s.textLength));
}

// "@NAME" as messages show a function name: upper case, without its argument list.
std::string FunctionLabel(std::string_view name) {
  if (!name.empty() && name[0] == '@') name.remove_prefix(1);
  return "@" + UpperText(name);
}

// Appends one byte; at position 240 the code is full.
void Append(uint8_t byte) {
  CompilerState& s = TheCompilerState();
  if (s.error) return;
  if (s.write >= kMaxCodeSize) {
    Fail(std::string(kMaxFormulaSizeMessage));
    return;
  }
  s.out[s.write++] = byte;
}

void AppendBytes(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) Append(bytes[i]);
}

// The opcode an operator character stands for; -1 for any other character.
int OperatorOpcode(char c) {
  const size_t at = kOperatorChars.find(c);
  return at == std::string_view::npos ? -1 : int(Op::kNegate) + int(at);
}

int Precedence(char c) {
  if (c == ' ') return kSpacePrecedence;
  if (c == TheCompilerState().separator) return kSeparatorPrecedence;
  if (c == '#') return kHashPrecedence;
  const int opcode = OperatorOpcode(c);
  return opcode < 0 ? 0 : OpcodePrecedence(uint8_t(opcode));
}

bool IsOperatorChar(char c) {
  return c == ' ' || c == TheCompilerState().separator || c == '#' || OperatorOpcode(c) >= 0;
}

// Appends the opcode of an operator; unary plus computes nothing and emits nothing.
void EmitOperator(char c) {
  const int opcode = OperatorOpcode(c);
  if (opcode >= 0 && opcode != int(Op::kUnaryPlus)) Append(uint8_t(opcode));
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
  const bool existed = GetCell(row, column) != 0;
  CellHandle cell = GetOrCreateCell(row, column);
  if (!cell) {
    Fail("Out of memory");
    return;
  }
  if (!existed) TheCompilerState().created.emplace_back(row, column);
  uint8_t bytes[4];
  WriteLong(bytes, (absoluteRow ? kOperandAbsoluteRow : 0) |
                       (absoluteColumn ? kOperandAbsoluteColumn : 0) |
                       (cell & kOperandHandleMask));
  AppendBytes(bytes, 4);
}

// A reference, range or range name; false when the text is none of them.
bool CompileReference(std::string_view text) {
  CompilerState& s = TheCompilerState();
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
  if (size_t at = t.find(TheCompilerState().decimal); at != std::string::npos) t[at] = '.';
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
void CompileExternal(std::string_view token, size_t at) {
  CompilerState& s = TheCompilerState();
  size_t close = token.find(']');
  std::string name(token.substr(1, close == std::string_view::npos ? 0 : close - 1));
  if (close != token.size() - 1 || name.empty()) {
    Fail("Invalid file name", at);
    return;
  }
  if (s.externalPending) {
    Fail("Reference expected", at);
    return;
  }
  if (name[0] != '/') {
    std::error_code ec;
    std::string directory = std::filesystem::current_path(ec).string();
    if (ec) {
      Fail("No current directory for " + name, at);
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
// postfix "%" or "!". `at` is the token's position in the text.
void CompilePlainOperand(std::string_view token, size_t at) {
  CompilerState& s = TheCompilerState();
  const std::string whole(token);
  uint8_t postfix = 0;
  if (!token.empty() && (token.back() == '%' || token.back() == '!')) {
    postfix = token.back() == '%' ? uint8_t(Op::kPercent) : uint8_t(Op::kFactorial);
    token.remove_suffix(1);
  }
  std::string text(token);
  for (int round = 0; round < 2 && !s.error; ++round) {
    if (!text.empty() && StartsReference(text[0])) {
      if (!CompileReference(text)) {
        Fail(round == 0 ? "Unknown name or reference " + whole : "Invalid range of name " + whole,
             at);
      }
      break;
    }
    if (s.externalPending) {
      Fail("Reference expected", at);  // an external reference must be followed by a reference
      break;
    }
    if (!text.empty() && text[0] == '"') {
      if (text.size() < 2 || text.back() != '"') {
        Fail("Missing \"", s.textLength);
        break;
      }
      Append(uint8_t(Op::kString));
      AppendBytes(reinterpret_cast<const uint8_t*>(text.data() + 1), text.size() - 2);
      Append(0);
      break;
    }
    if (!text.empty() && text[0] == '[') {
      CompileExternal(text, at);
      break;
    }
    double v;
    if (ReadNumber(text, &v)) {
      CompileNumber(v);
      break;
    }
    int index = round == 0 ? LookupName(UpperText(text)) : 0;
    if (index <= 0) {
      Fail("Invalid number " + whole, at);
      break;
    }
    text = RangeText(NameRange(index));  // and read it as a reference
  }
  if (postfix) Append(postfix);
}

// A function call (the name starts with "@") or else a plain operand. `withParentheses` tells a
// call written with an argument list; `counter` is the argument counter the call settles. `at` is
// the name's position in the text.
void CompileCallOrOperand(std::string_view name, bool withParentheses, int& counter, size_t at) {
  CompilerState& s = TheCompilerState();
  if (name.empty() || name[0] != '@') {
    if (withParentheses) {
      // An argument list after something that is not a function.
      Fail("Operator expected", at + name.size());
      return;
    }
    CompilePlainOperand(name, at);
    return;
  }
  if (s.externalPending) {
    Fail("Reference expected", at);
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
      if (!withParentheses && f.argumentCount != 0) {
        Fail("Wrong number of arguments for " + FunctionLabel(name), at);
        return;
      }
      counter += given - f.argumentCount;
      return;
    }
    int nameIndex = LookupName(upper);
    if (nameIndex <= 0) {
      Fail("Unknown function " + FunctionLabel(name), at);
      return;
    }
    if (!withParentheses) {
      Fail("Wrong number of arguments for " + FunctionLabel(name), at);
      return;
    }
    // A named-range call: as many arguments as the range has columns.
    Append(uint8_t(Op::kNamedRangeCall));
    CompilePlainOperand(upper[0] == '$' ? upper : "$" + upper, at + 1);
    CellRange r = NameRange(nameIndex);
    counter += given - 1 + (int(r.firstColumn) - int(r.lastColumn));
    return;
  }
  const uint16_t cls = OpcodeClass(uint8_t(opcode));
  if (cls < kClassFixed0 || cls > kClassVariable) {
    Fail("Unknown function " + FunctionLabel(name), at);  // operator names are no functions
    return;
  }
  Append(uint8_t(opcode));
  int n = cls - kClassFixed0;
  if (!withParentheses) {
    if (n != 0) Fail("Wrong number of arguments for " + FunctionLabel(name), at);
    return;
  }
  counter += 1;
  if (cls == kClassVariable) {
    n = counter;
    if (n < 1 || n > 255) {
      Fail("Wrong number of arguments for " + FunctionLabel(name), at);
      return;
    }
    Append(uint8_t(n));
  }
  counter -= n;
}

void ExpressionStep(std::string_view input, int& counter, size_t base, bool argumentList);

// Pushes an operator; a stack already full gives a beep and fails the compilation, as dropping
// the operator would leave code that computes something else.
void PushOperator(std::vector<char>& stack, char c, size_t at) {
  if (stack.size() > kMaxOperatorStack) {
    ThePlatform().Beep();
    Fail("Formula too complex", at);
    return;
  }
  stack.push_back(c);
}

// Scans an operand from `pos` (which becomes the position after it) and compiles it. `text`
// starts at position `base` of the compiled text.
void CompileOperand(const std::string& text, size_t& pos, int& local, size_t base) {
  CompilerState& s = TheCompilerState();
  size_t start = pos;
  bool compiledGroup = false;  // a parenthesised group or a call ended before `start`
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
    if (compiledGroup && pos == start) {
      Fail("Operator expected", base + pos);  // "@SUM(1)5", "(1)(2)"
      return;
    }
    if (c == ')') {
      Fail("Missing (", base + pos);
      return;
    }
    if (c == '[') {
      size_t close = text.find(']', pos + 1);
      if (close == std::string::npos) {
        Fail("Missing ]", s.textLength);
        return;
      }
      pos = close + 1;
      break;  // the reference after the file name is an operand of its own
    }
    if (c == '"') {
      size_t close = text.find('"', pos + 1);
      if (close == std::string::npos) {
        Fail("Missing \"", s.textLength);
        return;
      }
      pos = close + 1;
      continue;
    }
    if (c == '(') {
      size_t close = MatchingParenthesis(text, pos);
      if (close == std::string::npos) {
        Fail("Missing )", s.textLength);
        return;
      }
      std::string_view inner = std::string_view(text).substr(pos + 1, close - pos - 1);
      int arguments = 0;
      const bool call = pos != start;
      // An empty argument list is no argument at all: the call's count decides below.
      if (!call || !inner.empty()) ExpressionStep(inner, arguments, base + pos + 1, call);
      if (!call) {
        if (arguments != 0) Fail("Operator expected", base + pos);  // "(1,2)"
        Append(uint8_t(Op::kParentheses));
      } else {
        const std::string_view name = std::string_view(text).substr(start, pos - start);
        CompileCallOrOperand(name, true, arguments, base + start);
        // Every call settles its own count, so that one call's missing argument cannot be
        // made up by another's extra one.
        if (arguments != 0 || inner.empty()) {
          Fail("Wrong number of arguments for " + FunctionLabel(name), base + start);
        }
        local += arguments;
      }
      pos = close + 1;
      start = pos;
      compiledGroup = true;
      continue;
    }
    ++pos;
  }
  if (!s.error && pos > start) {
    CompileCallOrOperand(std::string_view(text).substr(start, pos - start), false, local,
                         base + start);
  }
}

// Compiles `input`, which starts at position `base` of the compiled text, adding the number of
// argument separators met (and what nested calls left unsettled) to `counter`. Separators are
// refused outside an argument list.
void ExpressionStep(std::string_view input, int& counter, size_t base, bool argumentList) {
  CompilerState& s = TheCompilerState();
  std::string text(input);
  text += ' ';
  const size_t end = input.size();  // the appended space
  size_t pos = text[0] == '+' ? 1 : 0;
  bool expectOperand = true;
  std::vector<char> stack{' '};
  int local = 0;
  size_t spaceAt = std::string::npos;  // a space standing as an operator after an operand
  while (pos < text.size() && !s.error) {
    char c = text[pos];
    if (!IsOperatorChar(c)) {
      if (spaceAt != std::string::npos && stack.back() == ' ' && stack.size() > 1) {
        Fail("Operator expected", base + pos);  // "5 5": two operands, nothing between them
        break;
      }
      expectOperand = false;
      CompileOperand(text, pos, local, base);
      continue;
    }
    if (c == s.separator) {
      if (!argumentList) {
        Fail(std::string("Unexpected ") + c, base + pos);  // "1,2" or "(1,2)"
        break;
      }
      ++counter;
    }
    const char next = pos + 1 < text.size() ? Upper(text[pos + 1]) : '\0';
    const bool prefix = expectOperand;
    if (prefix) {
      const bool afterSpace =
          spaceAt != std::string::npos && stack.back() == ' ' && stack.size() > 1;
      if (c == '+' || c == '-') {
        if (afterSpace) {
          Fail("Operator expected", base + pos);  // "5 -5"
          break;
        }
        c = c == '+' ? kUnaryPlusChar : kNegateChar;
      } else if (!(c == '#' && next == 'X')) {
        // An operator where an operand belongs.
        if (afterSpace) {
          Fail("Unexpected space", base + spaceAt);  // "A1 * 2"
        } else if (c == ' ' && pos != end) {
          Fail("Unexpected space", base + pos);  // "A1+ B1"
        } else {
          Fail("Operand expected", base + pos);
        }
        break;
      }
    }
    const size_t operatorAt = pos;
    for (const TwoCharOperator& op : kTwoCharOperators) {
      if (c == op.first && next == op.second) {
        c = op.becomes;
        pos += op.extra;
        break;
      }
    }
    if (c == kNotChar && !prefix) {
      Fail("Operator expected", base + operatorAt);  // the logical not takes no left operand
      break;
    }
    if (c == '#') {
      Fail("Unknown operator #", base + pos);  // "#" alone computes nothing
      break;
    }
    if (!prefix) {
      const int precedence = Precedence(c);
      while (stack.size() > 1 && precedence <= Precedence(stack.back())) {
        EmitOperator(stack.back());
        stack.pop_back();
      }
      if (c == ' ') spaceAt = pos;
    }
    PushOperator(stack, c, base + pos);
    ++pos;
    expectOperand = true;
  }
  while (stack.size() > 1) {
    EmitOperator(stack.back());
    stack.pop_back();
  }
  counter += local;
}

// After a failure: frees the cells this compilation made for its operands (those still blank
// and unreferenced), so that a formula that was not stored leaves no trace in the sheet.
void TakeBackCreatedCells() {
  CompilerState& s = TheCompilerState();
  for (auto it = s.created.rbegin(); it != s.created.rend(); ++it) {
    const CellHandle h = GetCell(it->first, it->second);
    if (!h) continue;
    const CellRecord* c = CellAt(h);
    if ((c->kind & kKindMask) != uint8_t(CellKind::kBlank) || c->dependents != kNoBlock ||
        c->text != kNoBlock) {
      continue;
    }
    UnlinkCell(h, FoundPredecessor(), it->first);
    FreeCellRecord(h);
  }
  s.created.clear();
}

}  // namespace

char ArgumentSeparator() {
  const NumberSettings& settings = NumberFormatSettings();
  if (settings.decimalSeparator == ',') return ';';
  return settings.argumentSeparator ? settings.argumentSeparator : ',';
}

bool Compile(std::string_view text, std::string* code) {
  CompilerState& s = TheCompilerState();
  // The core's error flag serves the reference parser here; the caller's state survives.
  const bool hadError = ErrorRaised();
  const std::string hadText = ErrorText();
  const uint16_t lastRow = LastRow(), lastColumn = LastColumn();
  const bool modified = SheetModified();

  s = CompilerState{};
  s.separator = ArgumentSeparator();
  s.decimal = NumberFormatSettings().decimalSeparator;
  s.out[1] = 0;
  if (text.size() > kMaxCellText) text = text.substr(0, kMaxCellText);
  s.textLength = text.size();
  if (size_t nul = text.find('\0'); nul != std::string_view::npos) Fail("Invalid character", nul);

  int counter = 0;
  if (!s.error) ExpressionStep(text, counter, 0, false);
  // A wrong argument count somewhere, a bare range, or a file name without its reference.
  if (counter != 0) Fail("Wrong number of arguments");
  if (s.rangeCompiled && !s.functionCalled) Fail("Range outside a function");
  if (s.externalPending) Fail("Reference expected", s.textLength);
  if (!s.error) {
    s.out[0] = uint8_t(s.write);
    Append(kEndMarker);
  }
  // Whatever slipped through the rules above leaves code that does not compute one value.
  if (!s.error && !CodeIsBalanced(s.out, size_t(s.out[0]) + 1)) Fail("Operator expected");

  ClearError();
  if (hadError) RaiseError(hadText);
  if (s.error) {
    if (!s.created.empty()) {
      TakeBackCreatedCells();
      SetExtent(lastRow, lastColumn);
      SetSheetModified(modified);
    }
    return false;
  }
  code->assign(reinterpret_cast<const char*>(s.out), size_t(s.out[0]) + 1);
  return true;
}

const std::string& CompilerMessage() { return TheCompilerState().message; }

int CompilerErrorPosition() { return TheCompilerState().errorAt; }

std::string CompilerErrorText() {
  const CompilerState& s = TheCompilerState();
  if (s.errorAt < 0 || s.message == kMaxFormulaSizeMessage) return s.message;
  return s.message + " at " + std::to_string(s.errorAt + 1);
}

bool CompileFormula(std::string_view text, uint16_t row, uint16_t column, std::string* code) {
  (void)row;  // references name cell records, so the position plays no part
  (void)column;
  if (Compile(text, code)) return true;
  RaiseError(CompilerErrorText());
  return false;
}

void ResetCompilerState() { TheCompilerState() = CompilerState{}; }
