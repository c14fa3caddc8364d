// app/cli_output.cpp — tallivo-cli's text edge (UTF-8 outside, Windows-1252 inside) and its
// cell listings (TAB-separated and JSON). Reads the current worksheet; writes nothing in it.
#include "app/cli_output.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/cell_store.h"
#include "core/charset.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"

namespace {

void Write(std::FILE* stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

// Backslash, TAB and newline written as \\, \t and \n inside a field.
std::string EscapeTab(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// A JSON string of engine text: converted to UTF-8, with quotes, backslashes and control
// characters escaped.
std::string JsonString(std::string_view engineText) {
  std::string out = "\"";
  for (char c : Windows1252ToUtf8(engineText)) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

// Shortest text that reads back to the same double.
std::string ShortestNumber(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}

const char* KindName(uint8_t kind) {
  switch (kind) {
    case 0:
      return "stringformula";
    case 1:
      return "formula";
    case 2:
      return "number";
    case 3:
      return "integer";
    case 4:
      return "label";
    case 5:
      return "blank";
    default:
      return "error";
  }
}

int ColumnChars(uint32_t column) { return CurrentLayout().columnWidth[column] / 8; }

// The fields of one cell's line, as engine text.
struct CellFields {
  std::string address;
  const char* kind = "";
  std::string value;
  bool numeric = false;  // value is a number
  bool blank = false;    // no value at all
  std::string display;
  std::string contents;
};

CellFields Fields(uint32_t row, uint32_t column, CellHandle h) {
  const CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind & kKindAndErrorMask;
  CellFields f;
  f.address = CellText(uint16_t(row), uint16_t(column), false, false);
  f.kind = KindName(kind);
  if (KindHasString(kind)) {
    const bool label = KindIsLabel(kind);
    const std::string text = label ? PoolText(c->text) : PoolText(CellStringResult(c));
    f.value = label && !text.empty() ? text.substr(1) : text;
    f.display = f.value;
  } else if (KindIsNumeric(kind)) {
    const double number = CellNumber(c);
    f.value = ShortestNumber(number);
    f.numeric = std::isfinite(number);
    uint8_t format = c->format & kFormatCodeMask;
    if (format == kFormatDefault) format = Options().globalFormat() & kFormatCodeMask;
    f.display = FormatValue(ColumnChars(column), format, number);
  } else if (KindIs(kind, CellKind::kBlank)) {
    f.blank = true;
  } else {
    f.value = "ERR";
    f.display = "ERR";
  }
  f.contents = EditText(row, column).text;
  return f;
}

std::string TabLine(const CellFields& f) {
  return EscapeTab(f.address) + '\t' + f.kind + '\t' + EscapeTab(f.value) + '\t' +
         EscapeTab(f.display) + '\t' + EscapeTab(f.contents) + '\n';
}

std::string JsonLine(const CellFields& f) {
  const std::string value = f.blank ? "null" : f.numeric ? f.value : JsonString(f.value);
  return "{\"address\":" + JsonString(f.address) + ",\"kind\":\"" + f.kind +
         "\",\"value\":" + value + ",\"display\":" + JsonString(f.display) +
         ",\"contents\":" + JsonString(f.contents) + "}\n";
}

}  // namespace

std::string ArgumentText(const std::string& utf8) {
  std::string text;
  CharsetProblem problem;
  if (!Utf8ToWindows1252(utf8, &text, &problem)) {
    std::fprintf(stderr, "tallivo-cli: in the argument '%s': %s\n", utf8.c_str(),
                 DescribeCharsetProblem(problem).c_str());
    std::exit(2);
  }
  return text;
}

void Print(std::string_view engineText) { Write(stdout, Windows1252ToUtf8(engineText)); }

bool WriteTextFile(const std::string& fileName, std::string_view engineText) {
  std::FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f) return false;
  const std::string utf8 = Windows1252ToUtf8(engineText);
  const bool written = std::fwrite(utf8.data(), 1, utf8.size(), f) == utf8.size();
  return std::fclose(f) == 0 && written;
}

void PrintError(std::string_view engineText) {
  Write(stderr, "Error: " + Windows1252ToUtf8(engineText) + "\n");
}

void PrintProblem(std::string_view engineText) {
  Write(stderr, "tallivo-cli: " + Windows1252ToUtf8(engineText) + "\n");
}

void PrintCells(const CellRange& r, ListingForm form) {
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn); h; h = CellAt(h)->next) {
      const uint32_t column = CellAt(h)->column;
      if (column > r.lastColumn) break;
      const CellFields f = Fields(row, column, h);
      // JSON lines are UTF-8 already; the TAB form is engine text until printed.
      if (form == ListingForm::kJson) {
        Write(stdout, JsonLine(f));
      } else {
        Print(TabLine(f));
      }
    }
  }
}

void PrintRows(const CellRange& r) {
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    Print(RowAsText(row, r.firstColumn, r.lastColumn) + "\n");
  }
}

void PrintSettings(std::string_view text) {
  bool fileNames = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line =
        text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
    text.remove_prefix(line.size());
    if (!line.empty() && line[0] == '[') {
      fileNames = line.starts_with("[Directories]") || line.starts_with("[Files]");
    }
    if (fileNames) {
      Write(stdout, line);
    } else {
      Print(line);
    }
  }
}
