// formula/functions_string.cpp — the string @-functions.
//
// A number given where a string is expected is turned into its general number text. Positions
// count from 1. Position and count arguments are truncated to whole numbers and clamped, so any
// value (huge, negative) gives a well-defined piece of the text; NaN is ERR. Results are cut to
// 240 characters by the stack. Case conversion knows the letters of Windows-1252.
// State: none; reads the number settings (decimal separator) and the cells of range arguments.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/entry.h"
#include "core/number_settings.h"
#include "formula/formula_code.h"
#include "formula/functions_sheet_common.h"

namespace {

constexpr int64_t kLongest = int64_t(kMaxStackString) + 1;

void Fail(Frame& f) {
  f.Fail();
  f.SetNumber(1.0);
}

// --- Windows-1252 letters ---------------------------------------------------------------------------

unsigned char UpperChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

unsigned char LowerChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

// --- routines ------------------------------------------------------------------------------------

void Length(Frame& f) {
  if (ArgumentFailed(f)) return;
  f.SetNumber(double(f.TextOf(1).size()));
}

// @VAL(s): s without its blanks read as a number (the number syntax of cell entry); text that
// is not a number gives 0.
void Val(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string text;
  for (char c : f.TextOf(1)) {
    if (c != ' ') text.push_back(c);
  }
  double value = 0;
  if (!ReadEntryNumber(text, &value) || !std::isfinite(value)) value = 0;
  f.SetNumber(value);
}

void Ord(Frame& f) {
  if (ArgumentFailed(f)) return;
  const std::string text = f.TextOf(1);
  f.SetNumber(text.empty() ? 0 : static_cast<unsigned char>(text[0]));
}

// @CHR(x): the character with code x rounded; codes outside 1..255 are ERR (a 0 byte would end
// the text early wherever texts are stored with a terminator).
void Chr(Frame& f) {
  if (ArgumentFailed(f)) return;
  double code = 0;
  if (!Rounded(f.Number(1), &code) || code < 1 || code > 255) return Fail(f);
  const char c = static_cast<char>(static_cast<unsigned char>(code));
  f.SetString(std::string_view(&c, 1));
}

// Decimals @STR writes at most (a double holds no more).
constexpr int kMaxStrDecimals = 15;

// @STR(x, n): x as fixed-point text with n decimals (n rounded, clamped to 0..15), halves
// rounded away from zero, the decimal separator of the number settings; no "-" on a value that
// rounds to 0.
void Str(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double x = f.Number(1);
  double n = 0;
  if (!std::isfinite(x) || !Rounded(f.Number(2), &n)) return Fail(f);
  const int decimals = n < 0 ? 0 : n > kMaxStrDecimals ? kMaxStrDecimals : int(n);
  double value = x;
  const double scale = std::pow(10.0, decimals);
  if (std::fabs(x) * scale < 1e15) value = std::round(x * scale) / scale;
  if (value == 0) value = 0;  // no negative zero
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text(buffer);
  const size_t dot = text.find('.');
  if (dot != std::string::npos) text[dot] = NumberFormatSettings().decimalSeparator;
  f.SetString(text);
}

// @MID(s, start, n): n characters from position start; a start of 0 or below counts as 1, a
// start past the end or an n of 0 or below gives "".
void Mid(Frame& f) {
  if (ArgumentFailed(f)) return;
  int64_t start = 0, count = 0;
  if (!WholeInRange(f.Number(2), 1, kLongest, &start) ||
      !WholeInRange(f.Number(3), 0, kLongest, &count)) {
    return Fail(f);
  }
  const std::string text = f.TextOf(1);
  if (size_t(start) > text.size()) return f.SetString("");
  f.SetString(std::string_view(text).substr(size_t(start - 1), size_t(count)));
}

// @LEFT(s, n): the first n characters (all of them when n is larger; "" for n of 0 or below).
void Left(Frame& f) {
  if (ArgumentFailed(f)) return;
  int64_t count = 0;
  if (!WholeInRange(f.Number(2), 0, kLongest, &count)) return Fail(f);
  const std::string text = f.TextOf(1);
  f.SetString(std::string_view(text).substr(0, size_t(count)));
}

// @RIGHT(s, n): the last n characters.
void Right(Frame& f) {
  if (ArgumentFailed(f)) return;
  int64_t count = 0;
  if (!WholeInRange(f.Number(2), 0, kLongest, &count)) return Fail(f);
  const std::string text = f.TextOf(1);
  const size_t n = std::min(text.size(), size_t(count));
  f.SetString(std::string_view(text).substr(text.size() - n));
}

// @REPEAT(s, n): s n times, cut at 240 characters.
void Repeat(Frame& f) {
  if (ArgumentFailed(f)) return;
  int64_t count = 0;
  if (!WholeInRange(f.Number(2), 0, kLongest, &count)) return Fail(f);
  const std::string text = f.TextOf(1);
  std::string out;
  for (int64_t i = 0; i < count && !text.empty() && out.size() < kMaxStackString; ++i) out += text;
  f.SetString(out);
}

// @FIND(t, s, start): the position of the first t in s at or after position start (0 and below
// count as 1); 0 when there is none. An empty t is found at start when start lies within s or
// just after it.
void Find(Frame& f) {
  if (ArgumentFailed(f)) return;
  int64_t start = 0;
  if (!WholeInRange(f.Number(3), 1, kLongest + 1, &start)) return Fail(f);
  const std::string needle = f.TextOf(1), text = f.TextOf(2);
  if (size_t(start - 1) > text.size()) return f.SetNumber(0);
  const size_t at = text.find(needle, size_t(start - 1));
  f.SetNumber(at == std::string::npos ? 0 : double(at + 1));
}

void Upper(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string text = f.TextOf(1);
  for (char& c : text) c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  f.SetString(text);
}

void Lower(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string text = f.TextOf(1);
  for (char& c : text) c = static_cast<char>(LowerChar(static_cast<unsigned char>(c)));
  f.SetString(text);
}

// @PROPER(s): the first character and every character after a blank in upper case, all others
// in lower case.
void Proper(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string text = f.TextOf(1);
  bool start = true;
  for (char& c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    c = static_cast<char>(start ? UpperChar(u) : LowerChar(u));
    start = c == ' ';
  }
  f.SetString(text);
}

// @TRIM(s): runs of blanks become one blank, then one leading and one trailing blank go.
void Trim(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string out;
  for (char c : f.TextOf(1)) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out.push_back(c);
  }
  if (!out.empty() && out.front() == ' ') out.erase(0, 1);
  if (!out.empty() && out.back() == ' ') out.pop_back();
  f.SetString(out);
}

// @CLEAN(s): s without the codes below 32 and from 128 up.
void Clean(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string out;
  for (char c : f.TextOf(1)) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 32 && u < 128) out.push_back(c);
  }
  f.SetString(out);
}

// @EXACT(s, t): 1 when the texts are the same, case and length included.
void Exact(Frame& f) {
  if (ArgumentFailed(f)) return;
  f.SetBool(f.TextOf(1) == f.TextOf(2));
}

// The first (top left) cell of a range argument, 0 when that position holds none; false when the
// argument is not a range.
bool FirstCell(Frame& f, int i, CellHandle* cell) {
  ArgumentRange range;
  if (!f.Range(i, &range)) return false;
  *cell = CellInSheet(range.rowTable, range.range.firstRow, range.range.firstColumn);
  return true;
}

// @S(range): the first cell's string (label text without its prefix, or a string formula's
// value), "" when it holds none. A first cell with the error mark makes it ERR.
void S(Frame& f) {
  CellHandle cell = 0;
  if (!FirstCell(f, 1, &cell)) return Fail(f);
  const CellValue v = cell ? ValueOfCell(cell) : CellValue{ValueKind::kNumber, 0, {}, false};
  f.SetError(cell && (CellAt(cell)->kind & kKindErrorMark));
  f.SetString(v.kind == ValueKind::kString ? v.text : std::string_view(""));
}

// @N(range): the first cell's number, 0 when it holds a string or nothing. A first cell with the
// error mark makes it ERR.
void N(Frame& f) {
  CellHandle cell = 0;
  if (!FirstCell(f, 1, &cell)) return Fail(f);
  const CellValue v = cell ? ValueOfCell(cell) : CellValue{ValueKind::kNumber, 0, {}, false};
  f.SetError(cell && (CellAt(cell)->kind & kKindErrorMark));
  f.SetNumber(v.kind == ValueKind::kNumber ? v.number : 0);
}

// @HEX(x): x rounded as hexadecimal text with upper-case digits, no prefix and no leading
// zeros ("FF", "0"); x below 0, and x of 2^64 or more, is ERR.
void Hex(Frame& f) {
  if (ArgumentFailed(f)) return;
  double x = 0;
  if (!Rounded(f.Number(1), &x) || x < 0 || x >= 18446744073709551616.0) return Fail(f);
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%" PRIX64, uint64_t(x));
  f.SetString(buffer);
}

// @DEC(s): hexadecimal text of 1 to 8 digits (either case), with or without a leading "$", as
// an unsigned number ("FFFFFFFF" is 4294967295); anything else is ERR.
void Dec(Frame& f) {
  if (ArgumentFailed(f)) return;
  std::string text = f.TextOf(1);
  std::string_view digits(text);
  if (!digits.empty() && digits[0] == '$') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 8) return Fail(f);
  uint32_t value = 0;
  for (char c : digits) {
    int d = 0;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else {
      return Fail(f);
    }
    value = value * 16 + uint32_t(d);
  }
  f.SetNumber(double(value));
}

// @RGB(r, g, b): r + 256 * g + 65536 * b.
void Rgb(Frame& f) {
  if (ArgumentFailed(f)) return;
  SetChecked(f, f.Number(1) + 256 * f.Number(2) + 65536 * f.Number(3));
}

}  // namespace

void RegisterStringFunctions() {
  RegisterFunction(uint8_t(Op::kLength), Length);
  RegisterFunction(uint8_t(Op::kVal), Val);
  RegisterFunction(uint8_t(Op::kOrd), Ord);
  RegisterFunction(uint8_t(Op::kChr), Chr);
  RegisterFunction(uint8_t(Op::kStr), Str);
  RegisterFunction(uint8_t(Op::kMid), Mid);
  RegisterFunction(uint8_t(Op::kLeft), Left);
  RegisterFunction(uint8_t(Op::kRight), Right);
  RegisterFunction(uint8_t(Op::kRepeat), Repeat);
  RegisterFunction(uint8_t(Op::kFind), Find);
  RegisterFunction(uint8_t(Op::kUpper), Upper);
  RegisterFunction(uint8_t(Op::kLower), Lower);
  RegisterFunction(uint8_t(Op::kProper), Proper);
  RegisterFunction(uint8_t(Op::kTrim), Trim);
  RegisterFunction(uint8_t(Op::kClean), Clean);
  RegisterFunction(uint8_t(Op::kExact), Exact);
  RegisterFunction(uint8_t(Op::kS), S);
  RegisterFunction(uint8_t(Op::kN), N);
  RegisterFunction(uint8_t(Op::kHex), Hex);
  RegisterFunction(uint8_t(Op::kDec), Dec);
  RegisterFunction(uint8_t(Op::kRgb), Rgb);
}
