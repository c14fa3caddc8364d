// core/format.cpp — display texts of values, format names and letter codes, row text.
//
// Reads: the number settings, the current sheet's options (zero suppression, protection
// display, global format), its cells and column widths, the formula text through the engine layers.
// Writes: the core's error flag (the engineering format clears it).
#include "core/format.h"
#include "core/text_case.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/date_time.h"
#include "core/engine_layers.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "core/sheet_layout.h"

namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...) {
  char small[128];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return {};
  if (size_t(n) < sizeof small) return std::string(small, size_t(n));
  std::string out(size_t(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  out.resize(size_t(n));
  return out;
}

// `value` with 0..15 decimals, rounded half away from zero, worked out exactly in 128-bit
// integers: |value| is m * 2^e with a 53-bit m, so m * 10^decimals (below 2^103) shifted by e
// is the scaled value and the bits shifted out decide the rounding. Gives false for values
// outside that arithmetic (not finite, or 2^77 and above); the caller then uses printf. This
// is the path every displayed number takes, so it avoids printf's long-division expansion.
bool ExactFixedText(double value, int decimals, std::string& out) {
  static constexpr uint64_t kPow10[16] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull};
  if (!std::isfinite(value) || decimals < 0 || decimals > 15) return false;
  using U128 = unsigned __int128;
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1) or 0
  const uint64_t mantissa = uint64_t(std::ldexp(fraction, 53));      // exact
  const int shift = exponent - 53;
  const U128 scaled = U128(mantissa) * kPow10[decimals];
  U128 n = 0;
  if (shift >= 0) {
    if (shift > 24) return false;
    n = scaled << shift;
  } else if (-shift < 104) {  // from 104 on the scaled value is below a half
    const int k = -shift;
    n = scaled >> k;
    const U128 rest = scaled & ((U128(1) << k) - 1);
    if (rest >= (U128(1) << (k - 1))) ++n;  // a half or more, so ties go away from zero
  }
  char digits[48];
  char* end = digits + sizeof digits;
  char* p = end;
  while (n != 0 || end - p <= decimals) {
    if (uint64_t(n >> 64) == 0) {
      uint64_t small = uint64_t(n);
      *--p = char('0' + small % 10);
      n = small / 10;
    } else {
      *--p = char('0' + unsigned(n % 10));
      n /= 10;
    }
  }
  out.clear();
  if (std::signbit(value)) out += '-';
  out.append(p, size_t(end - p - decimals));
  if (decimals > 0) {
    out += '.';
    out.append(end - decimals, size_t(decimals));
  }
  return true;
}

// `value` with `decimals` decimals in plain notation. printf rounds an exact tie to even (0.5
// with no decimals gives 0); a spreadsheet rounds it away from zero, so ties are found in the
// exact expansion and rounded up by hand.
std::string FixedText(double value, int decimals) {
  std::string fast;
  if (ExactFixedText(value, decimals, fast)) return fast;
  std::string text = Printf("%.*f", decimals, value);
  if (!std::isfinite(value)) return text;
  // A double that is a tie has exactly decimals + 1 decimal digits, so 50 more digits show it
  // exactly; anything that is not a tie differs from one far above that resolution.
  std::string exact = Printf("%.*f", decimals + 50, value);
  size_t point = exact.find('.');
  if (point == std::string::npos || exact[point + 1 + size_t(decimals)] != '5') return text;
  if (exact.find_first_not_of('0', point + 2 + size_t(decimals)) != std::string::npos) return text;
  text = exact.substr(0, decimals == 0 ? point : point + 1 + size_t(decimals));
  size_t i = text.size();
  while (i > 0) {
    --i;
    char& c = text[i];
    if (c == '.') continue;
    if (c < '0' || c > '9') {  // the sign: the carry makes a new leading digit
      text.insert(i + 1, "1");
      return text;
    }
    if (c != '9') {
      ++c;
      return text;
    }
    c = '0';
  }
  text.insert(0, "1");
  return text;
}

// Replaces the first "." by the decimal separator setting.
void UseDecimalSeparator(std::string& text) {
  char sep = NumberFormatSettings().decimalSeparator;
  if (sep == '.') return;
  size_t dot = text.find('.');
  if (dot != std::string::npos) text[dot] = sep;
}

// Removes trailing zeros after a decimal point, and the point when it is then last.
void StripTrailingZeros(std::string& mantissa) {
  if (mantissa.find('.') == std::string::npos) return;
  while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
  if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
}

// Mantissa with `decimals` decimals and an exponent "E", sign and at least three digits.
std::string Scientific(double value, int decimals) {
  std::string s = Printf("%.*E", decimals, value);
  size_t e = s.find('E');
  if (e != std::string::npos && e + 2 < s.size() && s.size() - (e + 2) < 3) s.insert(e + 2, "0");
  UseDecimalSeparator(s);
  return s;
}

// |value| with `decimals` decimals and thousands separators.
std::string Grouped(double value, int decimals) {
  std::string s = FixedText(std::fabs(value), decimals);
  size_t point = s.find('.');
  if (point == std::string::npos) point = s.size();
  // Grouping follows the rounded text, so 999.999 with 2 decimals gives 1,000.00.
  std::string out;
  out.reserve(s.size() + point / 3);
  for (size_t i = 0; i < point; ++i) {
    if (i > 0 && (point - i) % 3 == 0) out += NumberFormatSettings().thousandsSeparator;
    out += s[i];
  }
  if (point < s.size()) {
    out += NumberFormatSettings().decimalSeparator;
    out.append(s, point + 1, std::string::npos);
  }
  return out;
}

std::string Fraction(double value, int k) {
  double a = std::fabs(value);
  double whole = std::floor(a);
  int n = int(std::lround((a - whole) * double(1 << k)));  // 0..128
  while (n >= 1 && n % 2 == 0) {
    n /= 2;
    --k;
  }
  std::string wholeText, fractionText;
  if (n == 0) {
    wholeText = FormatGeneral(whole);
  } else if (n == (1 << k)) {  // rounds up to a whole number
    wholeText = FormatGeneral(whole + 1);
  } else {
    fractionText = std::to_string(n) + "/" + std::to_string(1 << k);
    if (whole != 0) wholeText = FormatGeneral(whole) + "-";
  }
  return (value < 0 ? "-" : " ") + wholeText + fractionText;
}

std::string Engineering(double value, int decimals) {
  static const double kFactor[11] = {1e-18, 1e-15, 1e-12, 1e-9, 1e-6, 1e-3,
                                     1,     1e3,   1e6,   1e9,  1e12};
  static const char kUnit[11] = {'a', 'f', 'p', 'n', 'u', 'm', ' ', 'k', 'M', 'G', 'T'};
  ClearError();
  // The decade uses 2.3 rather than ln 10, which moves values just under a power of 1000 up to
  // the next unit (999 shows as 0.999k).
  int decade = value == 0 ? 0 : int(std::trunc(std::log(std::fabs(value)) / 2.3 + 0.0001));
  int group = decade >= 0 ? decade / 3 : decade / 3 - 1;
  std::string s;
  if (group >= -6 && group <= 4) {
    s = FixedText(value / kFactor[group + 6], decimals);
    if (s.size() < 5) s.insert(0, 5 - s.size(), ' ');
    UseDecimalSeparator(s);
    s += kUnit[group + 6];
  } else {
    // Scientific form with as many decimals as fit 15 characters with the exponent intact.
    s = Scientific(value, value < 0 ? 7 : 8);
  }
  if (s.size() > 15) s.resize(15);
  return s;
}

std::string Bar(double value) {
  // Bars longer than a display text can hold are shown at full length.
  int n = std::fabs(value) >= 240 ? (value < 0 ? -239 : 239) : int(std::trunc(value));
  if (n == 0) return ".";
  return std::string(size_t(std::abs(n)), n > 0 ? '+' : '-');
}

// Cuts a general text to width - 1 characters when only decimals are lost.
void CutGeneral(std::string& text, int width) {
  int limit = width - 1;
  if (int(text.size()) <= limit || text.find('E') != std::string::npos) return;
  size_t sep = text.find(NumberFormatSettings().decimalSeparator);
  if (sep == std::string::npos || int(sep) + 1 >= limit) return;
  text.resize(size_t(limit));
}

uint8_t ResolveDefault(uint8_t code, const GlobalOptions& options) {
  code &= kFormatCodeMask;
  if (code == kFormatDefault) code = options.globalFormat() & kFormatCodeMask;
  if (code == kFormatDefault) code = kFormatGeneral;
  return code;
}

}  // namespace

std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return "ERR";
  int precision = std::clamp(NumberFormatSettings().generalPrecision, 1, 15);
  double a = std::fabs(value);
  std::string s;
  if (a >= 1 && a <= 1000000 && value == std::floor(value)) {
    // Whole numbers print as their digits whatever the precision: no rounding, no separator.
    // Skipping printf here keeps long label columns and graph axes quick.
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, static_cast<long>(value));
    return std::string(digits, written.ptr);
  }
  if (a >= 0.000001 && a <= 1000000) {
    // Plain notation with `precision` significant digits: the exponent after rounding decides
    // how many decimals those digits need.
    std::string e = Printf("%.*e", precision - 1, value);
    size_t ePos = e.find('e');
    int exponent = ePos == std::string::npos ? 0 : std::atoi(e.c_str() + ePos + 1);
    s = Printf("%.*f", std::max(0, precision - 1 - exponent), value);
    StripTrailingZeros(s);
  } else if (value != 0) {
    // The exponent keeps two digits, three from 100 on (E+07, E-09, E+300).
    s = Printf("%.*E", precision, value);
    size_t ePos = s.find('E');
    std::string mantissa = s.substr(0, ePos);
    StripTrailingZeros(mantissa);
    s = mantissa + s.substr(ePos);
  } else {
    s = "0";
  }
  UseDecimalSeparator(s);
  return s;
}

std::string FormatValue(int width, uint8_t formatCode, double value) {
  return FormatValue(width, formatCode, value, Options());
}

std::string FormatValue(int width, uint8_t formatCode, double value, const GlobalOptions& options) {
  uint8_t code = ResolveDefault(formatCode, options);
  if (options.zeroSuppressed() && value == 0) code = kFormatHidden;
  if (code == kFormatHidden) return {};
  if (!std::isfinite(value)) return "ERR";
  int type = code >> kFormatTypeShift;
  int low = code & kFormatDigitsMask;
  std::string text;
  std::string trail = " ";
  switch (type) {
    case 0:
      text = FixedText(value, low);
      UseDecimalSeparator(text);
      break;
    case 1:
      text = Scientific(value, low);
      break;
    case 2:
    case 4:
      if (type == 2 && (low & 8)) {
        text = Fraction(value, low & 7);
        break;
      }
      text = Grouped(value, low);
      if (type == 2) {
        text = NumberFormatSettings().currencySymbol + text + NumberFormatSettings().currencyPlacement;
      }
      if (value < 0) {
        text = "(" + text;
        trail = ")";
      }
      break;
    case 3:
      if (!std::isfinite(value * 100)) return "ERR";
      text = FixedText(value * 100, low);
      UseDecimalSeparator(text);
      trail = "%";
      break;
    case 5:
      text = Engineering(value, low);
      break;
    case 7:
      switch (code) {
        case kFormatBar:
          text = Bar(value);
          break;
        case kFormatD1:
        case kFormatD2:
        case kFormatD3:
        case kFormatD4:
        case kFormatD5:
          text = FormatDate(low, value);
          break;
        case kFormatT1:
        case kFormatT2:
        case kFormatT3:
        case kFormatT4: {
          int mode = code == kFormatT1 ? 0 : code == kFormatT2 ? 1 : code == kFormatT3 ? 4 : 5;
          TimeOfDay t = SplitTimeOfDay(std::fabs(value));
          text = (value < 0 ? "-" : " ") + FormatTime(t.hours, t.minutes, t.seconds, mode);
          break;
        }
        default:
          text = FormatGeneral(value);
          CutGeneral(text, width);
      }
      break;
    default:  // type 6
      text = FormatGeneral(value);
      CutGeneral(text, width);
  }
  text += trail;
  size_t first = text.find_first_not_of(' ');
  text.erase(0, first == std::string::npos ? text.size() : first);
  if (text.size() > kMaxDisplayText) text.resize(kMaxDisplayText);
  return text;
}

std::string FormatDate(int subCode, double value) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (!std::isfinite(value) || std::fabs(value) > 1e9) return "0/0/0";
  CivilDate d = DateFromDayNumber(int64_t(std::floor(value)));
  long long y = d.year;
  const char* month = kMonths[d.month - 1];
  switch (subCode) {
    case 2:
      return Printf("%02d-%s-%04lld", d.day, month, y);
    case 3:
      return Printf("%02d-%s", d.day, month);
    case 4:
      return Printf("%s %04lld", month, y);
    case 9:
      return Printf("%02d/%02d/%04lld", d.month, d.day, y);
    case 10:
      return Printf("%02d/%02d/%04lld", d.day, d.month, y);
    case 12:
      return Printf("%04lld%02d%02d", y, d.month, d.day);
    default:
      return "0/0/0";
  }
}

std::string FormatTime(int hours, int minutes, int seconds, int mode) {
  bool twelveHour = mode == 0 || mode == 1;
  bool withSeconds = mode == 0 || mode == 4;
  std::string text;
  if (twelveHour) {
    text = std::to_string(hours > 12 ? hours - 12 : hours);
  } else {
    text = Printf("%02d", hours);
  }
  text += Printf(":%02d", minutes);
  if (withSeconds) text += Printf(":%02d", seconds);
  if (twelveHour) text += hours < 12 ? " am" : " pm";
  return text;
}

std::string FormatName(uint8_t formatCode) {
  static const char* const kSpecial[16] = {"+",  "G",  "D1", "D2", "D3", "T", "H",  "T1",
                                           "T2", "D4", "D5", "T3", "T4", "",  "Lb", ""};
  int type = (formatCode & kFormatTypeMask) >> kFormatTypeShift;
  int low = formatCode & kFormatDigitsMask;
  std::string name;
  if (type == 7) {
    name = kSpecial[low];
  } else if ((low & 8) == 0) {
    name = std::string(1, "FSC%,EG?"[type]) + std::to_string(low);
  } else if (type == 2) {
    name = "Fr" + std::to_string(low & 7);
  }
  if (Options().protection()) name = ((formatCode & kFormatProtected) ? "Pr " : "Un ") + name;
  return name;
}

uint8_t ParseFormatLetters(std::string_view text) {
  if (text.empty()) return kFormatDefault;
  char letter = UpperCaseChar(text[0]);
  int n = 0;
  for (size_t i = 1; i < text.size() && i < 3 && text[i] >= '0' && text[i] <= '9'; ++i) {
    n = n * 10 + (text[i] - '0');
  }
  auto plus = [n](int base) { return uint8_t(base + n); };
  switch (letter) {
    case 'F': return plus(kFormatFixed);
    case 'S': return plus(kFormatScientific);
    case 'E': return plus(kFormatEngineering);
    case 'A': return plus(0x48);
    case 'C': return plus(kFormatCurrency);
    case 'M': return plus(kFormatComma);
    case 'G': return kFormatGeneral;
    case '+': return kFormatBar;
    case 'P': return plus(kFormatPercent);
    case 'D': return n <= 3 ? plus(0x71) : plus(0x75);
    case 'T':
      if (n == 0) return kFormatText;
      return n <= 2 ? plus(0x76) : plus(0x78);
    case 'H': return kFormatHidden;
    case 'X': return kFormatText;
    case 'R': return kFormatDefault;
    case 'L': return kFormatLabels;
    default: return kFormatDefault;
  }
}

namespace {

// Writes `text` into `line` from `at`, growing the line with blanks up to 240 characters.
void PlaceText(std::string& line, int at, std::string_view text, size_t limit) {
  for (size_t i = 0; i < text.size(); ++i) {
    size_t p = size_t(std::max(at, 0)) + i;
    if (p >= limit) break;
    if (p >= line.size()) line.resize(p + 1, ' ');
    line[p] = text[i];
  }
}

// Lays out a label text whose first character is its alignment prefix.
void PlaceLabel(std::string& line, int at, int field, const std::string& label, size_t limit) {
  if (label.empty()) return;
  unsigned char prefix = static_cast<unsigned char>(label[0]);
  std::string text = label.substr(1);
  int length = int(text.size());
  int free = std::max(field - length, 0);
  switch (prefix) {
    case '"':
      PlaceText(line, at + std::max(field - length - 1, 0), text, limit);
      break;
    case '^':
      PlaceText(line, at + free / 2, text, limit);
      break;
    case '\\':
      if (!text.empty()) PlaceText(line, at, std::string(size_t(field), text[0]), limit);
      break;
    case 171:
      PlaceText(line, at, std::string(size_t(free), '.') + text, limit);
      break;
    case 187:
      PlaceText(line, at, text + std::string(size_t(free), '.'), limit);
      break;
    default:
      PlaceText(line, at, text, limit);
  }
}

}  // namespace

std::string RowAsText(uint32_t row, uint32_t firstColumn, uint32_t lastColumn, size_t limit) {
  if (!IsValidCell(row, firstColumn) || !IsValidCell(row, lastColumn) ||
      firstColumn > lastColumn) {
    return {};
  }
  int start[256] = {};
  int width[256] = {};
  int total = 0;
  for (uint32_t c = firstColumn; c <= lastColumn; ++c) {
    start[c] = total;
    width[c] = CurrentLayout().columnWidth[c] / 8 + 2;
    total += width[c];
  }
  std::string line(std::min<size_t>(size_t(total), limit), ' ');
  for (CellHandle h = FindCellAtOrAfter(row, firstColumn); h; h = CellAt(h)->next) {
    const CellRecord* cell = CellAt(h);
    if (cell->column > lastColumn) break;
    int at = start[cell->column];
    int field = width[cell->column];
    uint8_t format = ResolveDefault(cell->format, Options());
    if (format == kFormatHidden) continue;
    uint8_t kind = cell->kind & kKindMask;
    bool erroneous = (cell->kind & kKindErrorMark) != 0 || kind >= uint8_t(CellKind::kError6);
    if (kind == uint8_t(CellKind::kBlank)) continue;
    if (erroneous) {
      PlaceText(line, at + std::max(field - 4, 0), "ERR", limit);
      continue;
    }
    if (format == kFormatText && KindIsFormula(kind)) {
      PlaceText(line, at, TheEngineLayers().FormulaText(h), limit);
      continue;
    }
    if (kind == uint8_t(CellKind::kStringFormula)) {
      PlaceLabel(line, at, field, PoolText(CellStringResult(cell)), limit);
    } else if (kind == uint8_t(CellKind::kLabel)) {
      PlaceLabel(line, at, field, PoolText(cell->text), limit);
    } else {
      std::string text = FormatValue(field, format, CellNumber(cell));
      if (int(text.size()) > field) {
        PlaceText(line, at, std::string(size_t(field), '*'), limit);
      } else if (format == kFormatBar) {
        PlaceText(line, at, text, limit);
      } else {
        PlaceText(line, at + field - int(text.size()), text, limit);
      }
    }
  }
  return line;
}
