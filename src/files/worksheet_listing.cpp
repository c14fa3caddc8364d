// files/worksheet_listing.cpp — a readable record list of a worksheet file, and linked worksheets.
//
// The listing walks the records the way the loader does (WK1 part, framing bytes, extension
// block) without touching any worksheet. `LoadLinkedWorksheet` opens a hidden worksheet entry
// for a file that formulas refer to. Reads: the file; the open-worksheet table.
#include <charconv>
#include <optional>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/graph_definition.h"
#include "core/worksheets.h"
#include "files/worksheet_file.h"
#include "files/macro_button.h"
#include "files/worksheet_records.h"
#include "formula/formula_code.h"

namespace wk {

std::string_view RecordName(uint16_t type, bool extension) {
  if (extension) {
    switch (type) {
      case kEof: return "EOF";
      case kXWindow: return "X-WINDOW";
      case kXAttributes: return "X-ATTRIBUTES";
      case kXRowHeight: return "X-ROWHEIGHT";
      case kXColumnWidth: return "X-COLWIDTH";
      case kXSortKeys: return "X-SORTKEYS";
      case kXGraph: return "X-GRAPH";
      case kXNamedGraph: return "X-NGRAPH";
      case kXButton: return "X-BUTTON";
      case kXSortSettings: return "X-SORT";
      case kXPassword: return "X-PASSWORD";
      case kXUserFunction: return "X-FUNCTION";
      case kXColours: return "X-COLOURS";
      case kXMargins: return "X-MARGINS";
      case kXTabCaption: return "X-TAB";
      case kXFont: return "X-FONT";
      case kXWindowFont: return "X-WINDOWFONT";
      case kXLayout: return "X-LAYOUT";
      case kXStamp: return "X-STAMP";
      case kXTitle: return "X-TITLE";
      case kXComments: return "X-COMMENTS";
      case kXFurtherText: return "X-INFO";
      case kXReals: return "X-REALS";
      case kXWord: return "X-WORD";
      case kXSortSettings3: return "X-SORT3";
      case kXSortRanges3: return "X-SORTRANGES";
      case kXDefaults: return "X-DEFAULTS";
      case kXWindowWord: return "X-WINDOWWORD";
      case kXGuard: return "X-GUARD";
      default: return "";
    }
  }
  switch (type & 0xFF) {
    case kBlank: return "BLANK";
    case kInteger: return "INTEGER";
    case kNumber: return "NUMBER";
    case kLabel: return "LABEL";
    case kFormula: return "FORMULA";
    case kString: return "STRING";
    default: break;
  }
  switch (type) {
    case kBof: return "BOF";
    case kEof: return "EOF";
    case kCalcMode: return "CALCMODE";
    case kCalcOrder: return "CALCORDER";
    case kSplit: return "SPLIT";
    case kSync: return "SYNC";
    case kRange: return "RANGE";
    case kWindow1: return "WINDOW1";
    case kColumnWidth1: return "COLW1";
    case kWindow2: return "WINDOW2";
    case kName: return "NAME";
    case kTable: return "TABLE";
    case kQueryRange: return "QRANGE";
    case kPrintRange: return "PRANGE";
    case kSortRange: return "SRANGE";
    case kSortKey1: return "KRANGE";
    case kSortKey2: return "KRANGE2";
    case kProtect: return "PROTEC";
    case kFooter: return "FOOTER";
    case kHeader: return "HEADER";
    case kSetup: return "SETUP";
    case kMargins: return "MARGINS";
    case kLabelFormat: return "LABELFMT";
    case kTitles: return "TITLES";
    case kGraph: return "GRAPH";
    case kNamedGraph: return "NGRAPH";
    case kCursorW12: return "CURSORW12";
    case kName2: return "NAME2";
    default: return "";
  }
}

}  // namespace wk

namespace {

using namespace wk;

std::string CellContents(uint16_t type, const RecordView& v) {
  const uint16_t column = v.Word(1);
  const uint16_t row = v.Word(3);
  if (v.Short()) return " <short>";
  char buffer[160];
  std::string out = " ";
  if (IsValidCell(row, column)) {
    out += ColumnLetters(column) + std::to_string(row + 1);
  } else {
    std::snprintf(buffer, sizeof buffer, "(%u,%u)", column, row);
    out += buffer;
  }
  std::snprintf(buffer, sizeof buffer, " format %02X", v.Byte(0));
  out += buffer;
  if (type >> 8) {
    std::snprintf(buffer, sizeof buffer, " colour %02X", type >> 8);
    out += buffer;
  }
  switch (type & 0xFF) {
    case kInteger:
      out += ' ';
      out += std::to_string(int16_t(v.Word(5)));
      break;
    case kNumber:
      std::snprintf(buffer, sizeof buffer, " %.17g", v.Double(5));
      out += buffer;
      break;
    case kLabel:
    case kString:
      out += " \"" + v.Text(5, 255) + "\"";
      break;
    case kFormula: {
      std::snprintf(buffer, sizeof buffer, " value %.17g", v.Double(5));
      out += buffer;
      const size_t length = v.Word(13);
      if (v.Short() || v.Length() < 15 + length || length + 2 > size_t(kMaxCodeSize)) {
        out += " code <damaged>";
        break;
      }
      uint8_t code[kMaxCodeSize] = {};
      code[0] = uint8_t(length + 1);
      std::memcpy(code + 2, v.Data() + 15, length);
      out += " code " + DumpCode(code, length + 2, CodeForm::kFile);
      break;
    }
    default:
      break;
  }
  return v.Short() ? out + " <short>" : out;
}

std::string CornerText(uint16_t column, uint16_t row) {
  if (IsValidCell(row, column)) return ColumnLetters(column) + std::to_string(row + 1);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "(%u,%u)", column, row);
  return buffer;
}

std::string NumberText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}

// GRAPH and NGRAPH: the name of a named graph, the type, the defined ranges, the scales and the
// non-empty headings and legends.
std::string GraphContents(uint16_t type, const RecordView& v) {
  const size_t at = type == kNamedGraph ? 16 : 0;
  if (v.Length() < at + graph_layout::kWk1DataSize) return " <short>";
  GraphBlock block{};
  std::memcpy(block.data() + graph_layout::kWk1Data, v.Data() + at, graph_layout::kWk1DataSize);
  const GraphDefinition g(block.data());
  std::string out;
  if (type == kNamedGraph) out += " name \"" + v.Text(0, 15) + "\"";
  out += " type " + std::to_string(g.type());
  static const char* const kRangeKeys[kGraphRangeCount] = {"X",  "1",  "2",  "3",  "4",  "5", "6",
                                                           "L1", "L2", "L3", "L4", "L5", "L6"};
  for (int i = 0; i < kGraphRangeCount; ++i) {
    const CellRange r = g.range(i);
    if (!RangeIsValid(r)) continue;
    out += std::string(" ") + kRangeKeys[i] + " " + CornerText(r.firstColumn, r.firstRow) + ".." +
           CornerText(r.lastColumn, r.lastRow);
  }
  for (int axis = 0; axis < 2; ++axis) {
    out += axis == 0 ? " xscale" : " yscale";
    if (g.manualScale(axis)) {
      out += " manual " + NumberText(g.lowerLimit(axis)) + " " + NumberText(g.upperLimit(axis));
    } else {
      out += " auto";
    }
  }
  static const char* const kHeadingKeys[kGraphHeadingCount] = {"main", "second", "xtitle",
                                                               "ytitle"};
  for (int h = 0; h < kGraphHeadingCount; ++h) {
    const std::string text = g.heading(h);
    if (!text.empty()) out += std::string(" ") + kHeadingKeys[h] + " \"" + text + "\"";
  }
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    const std::string text = g.legend(s);
    if (!text.empty()) out += " legend" + std::to_string(s) + " \"" + text + "\"";
  }
  return out;
}

// A macro button: anchor cell, size, caption and macro, or a note that it describes none.
std::string ButtonContents(const std::vector<uint8_t>& body) {
  const std::optional<MacroButton> b = DecodeMacroButton(body);
  if (!b) return " no button";
  return " " + CornerText(b->column, b->row) + " " + std::to_string(b->width) + "x" +
         std::to_string(b->height) + " \"" + b->caption + "\" macro " + b->macro;
}

// A document text (title, comments, further text): the bytes up to the first zero byte, at most
// 255, as ` text "…"`; backslash, TAB, newline and carriage return written \\, \t, \n and \r.
std::string DocumentText(const std::vector<uint8_t>& body) {
  const std::string text = RecordView(body.data(), body.size()).Text(0, 255);
  std::string out = " text \"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out + '"';
}

// The print settings: PRANGE's range (nothing when undefined), the HEADER and FOOTER texts and
// the six margins of X-MARGINS in inches.
std::string PrintContents(uint16_t type, bool extension, const RecordView& v) {
  if (extension) {
    if (type != kXMargins || v.Length() < 24) return {};
    std::string out = " inches";
    for (size_t i = 0; i < 6; ++i) out += " " + NumberText(int32_t(v.Long(4 * i)) / 100.0);
    return out;
  }
  if (type == kPrintRange) {
    if (v.Length() < 8) return " <short>";
    if (!IsValidCell(v.Word(2), v.Word(0)) || !IsValidCell(v.Word(6), v.Word(4))) return {};
    return " range " + CornerText(v.Word(0), v.Word(2)) + ".." + CornerText(v.Word(4), v.Word(6));
  }
  if (type == kHeader || type == kFooter) return " text \"" + v.Text(0, 240) + "\"";
  return {};
}

}  // namespace

bool ListWorksheetRecords(std::string_view fileName, std::string* out) {
  out->clear();
  const std::string name = WorksheetFileName(fileName);
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) {
    *out = "cannot open " + name;
    return false;
  }
  ByteSource source(file);
  bool extension = false;
  bool ended = false;
  std::vector<uint8_t> body;
  char line[128];
  while (!ended) {
    const size_t offset = source.Offset();
    uint8_t header[4];
    if (!source.Read(header, 4)) {
      if (source.Offset() != offset) *out += "<file ends inside a record header>\n";
      break;
    }
    const uint16_t type = uint16_t(header[0] | header[1] << 8);
    size_t length = size_t(header[2] | header[3] << 8);
    const size_t stated = length;
    if (extension && type == kXStamp) length = 4;
    if (!extension && type == kCalcOrder && length > 255) length >>= 8;
    body.resize(length);
    const bool complete = length == 0 || source.Read(body.data(), length);
    const std::string_view recordName = RecordName(type, extension);
    std::snprintf(line, sizeof line, "%08zX %s%04X %-13s %5zu", offset, extension ? "X " : "",
                  type, recordName.empty() ? "?" : std::string(recordName).c_str(), stated);
    *out += line;
    if (!complete) {
      *out += " <file ends inside the record>\n";
      break;
    }
    if (!extension && IsCellType(uint8_t(type))) {
      *out += CellContents(type, RecordView(body.data(), body.size()));
    } else if (!extension && (type == kGraph || type == kNamedGraph)) {
      *out += GraphContents(type, RecordView(body.data(), body.size()));
    } else if (extension && type == kXButton) {
      *out += ButtonContents(body);
    } else if (extension && (type == kXTitle || type == kXComments || type == kXFurtherText)) {
      *out += DocumentText(body);
    } else {
      *out += PrintContents(type, extension, RecordView(body.data(), body.size()));
    }
    *out += '\n';
    if (type == kEof || (extension && type < 2)) {
      if (extension) break;
      uint8_t framing[2];
      if (source.AtEnd() || !source.Read(framing, 2)) break;
      std::snprintf(line, sizeof line, "%08zX framing %02X %02X\n", source.Offset() - 2,
                    framing[0], framing[1]);
      *out += line;
      if (framing[1] == 0x1A) break;
      extension = true;
    }
  }
  std::fclose(file);
  return true;
}

SlotIndex LoadLinkedWorksheet(std::string_view fileName) {
  const std::string name = WorksheetFileName(fileName);
  if (const SlotIndex open = FindWorksheet(name)) return open;
  // A reference to a file that is not there is a missing cell, not a message.
  std::FILE* probe = std::fopen(name.c_str(), "rb");
  if (!probe) return 0;
  std::fclose(probe);
  const SlotIndex previous = CurrentWorksheet();
  bool isNew = false;
  const SlotIndex index = CreateWorksheetWindow(name, &isNew);
  if (index == 0) return 0;
  ActivateWorksheet(index);
  const bool ok = LoadWorksheetAsStored(name);
  const uint16_t heap = Worksheet(index).heap;
  if (previous != 0) ActivateWorksheet(previous);
  if (!ok) {
    if (isNew) CloseWorksheet(heap);
    return 0;
  }
  if (isNew) Worksheet(index).linkedOnly = true;
  return index;
}
