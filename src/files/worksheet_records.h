// files/worksheet_records.h — record types and shared helpers of the worksheet file reader and
// writer (private to files/).
//
// No state.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/address.h"
#include "core/graph_definition.h"
#include "core/sheet_state.h"
#include "files/record_stream.h"

namespace wk {

// WK1 part.
constexpr uint16_t kBof = 0x00;
constexpr uint16_t kEof = 0x01;
constexpr uint16_t kCalcMode = 0x02;
constexpr uint16_t kCalcOrder = 0x03;
constexpr uint16_t kSplit = 0x04;
constexpr uint16_t kSync = 0x05;
constexpr uint16_t kRange = 0x06;
constexpr uint16_t kWindow1 = 0x07;
constexpr uint16_t kColumnWidth1 = 0x08;
constexpr uint16_t kWindow2 = 0x09;
constexpr uint16_t kName = 0x0B;
constexpr uint16_t kBlank = 0x0C;
constexpr uint16_t kInteger = 0x0D;
constexpr uint16_t kNumber = 0x0E;
constexpr uint16_t kLabel = 0x0F;
constexpr uint16_t kFormula = 0x10;
constexpr uint16_t kTable = 0x18;
constexpr uint16_t kQueryRange = 0x19;
constexpr uint16_t kPrintRange = 0x1A;
constexpr uint16_t kSortRange = 0x1B;
constexpr uint16_t kSortKey1 = 0x1D;
constexpr uint16_t kSortKey2 = 0x23;
constexpr uint16_t kProtect = 0x24;
constexpr uint16_t kFooter = 0x25;
constexpr uint16_t kHeader = 0x26;
constexpr uint16_t kSetup = 0x27;
constexpr uint16_t kMargins = 0x28;
constexpr uint16_t kLabelFormat = 0x29;
constexpr uint16_t kTitles = 0x2A;
constexpr uint16_t kGraph = 0x2D;
constexpr uint16_t kNamedGraph = 0x2E;
constexpr uint16_t kCursorW12 = 0x31;
constexpr uint16_t kString = 0x33;
constexpr uint16_t kName2 = 0x47;

// Extension block.
constexpr uint16_t kXWindow = 0x07;
constexpr uint16_t kXAttributes = 0x08;
constexpr uint16_t kXRowHeight = 0x0A;
constexpr uint16_t kXColumnWidth = 0x0B;
constexpr uint16_t kXSortKeys = 0x1D;
constexpr uint16_t kXGraph = 0x2D;
constexpr uint16_t kXNamedGraph = 0x2E;
constexpr uint16_t kXButton = 0x50;
constexpr uint16_t kXSortSettings = 0x67;
constexpr uint16_t kXPassword = 0x68;
constexpr uint16_t kXUserFunction = 0x69;
constexpr uint16_t kXColours = 0x6E;
constexpr uint16_t kXMargins = 0x70;
constexpr uint16_t kXTabCaption = 0x72;
constexpr uint16_t kXFont = 0x74;
constexpr uint16_t kXWindowFont = 0x76;
constexpr uint16_t kXLayout = 0x78;
constexpr uint16_t kXStamp = 0x79;
constexpr uint16_t kXTitle = 0x7A;
constexpr uint16_t kXComments = 0x7C;
constexpr uint16_t kXFurtherText = 0x7E;
constexpr uint16_t kXReals = 0x80;
constexpr uint16_t kXWord = 0x82;
constexpr uint16_t kXSortSettings3 = 0x84;
constexpr uint16_t kXSortRanges3 = 0x85;
constexpr uint16_t kXDefaults = 0x86;
constexpr uint16_t kXWindowWord = 0x88;

// A record of no meaning that keeps other programs' readers in step (see the writer).
constexpr uint16_t kXGuard = 0xFE;
constexpr size_t kGuardSize = 65;
// The value the writer puts into record 0x79.
constexpr uint32_t kStampValue = 16028;
// Byte sizes.
constexpr size_t kCellHeaderSize = 5;
constexpr size_t kGraphDataSize = 437;     // WK1 graph data
constexpr size_t kGraphDataOffset = 13;    // in the 860-byte definition
constexpr size_t kGraphOwnSize = 389;      // the program's own graph settings
constexpr size_t kGraphOwnOffset = 454;
constexpr size_t kGraphDivisionsOffset = 448;  // two division counts
constexpr size_t kNameRecordSize = 24;  // 16-byte name and a range
constexpr size_t kAttributeRecordSize = 12;
constexpr size_t kLayoutShortSize = 26;
constexpr size_t kLayoutFullSize = 34;
constexpr size_t kMaxHeaderText = 240;

// True for the low byte of a cell record's type word (BLANK..FORMULA and STRING).
inline bool IsCellType(uint8_t low) { return (low >= kBlank && low <= kFormula) || low == kString; }

// A range as four 16-bit words: first column, first row, last column, last row.
inline void AppendRange(RecordData& d, const CellRange& r) {
  d.Word(r.firstColumn).Word(r.firstRow).Word(r.lastColumn).Word(r.lastRow);
}
inline CellRange RangeAt(const RecordView& v, size_t at) {
  return CellRange{v.Word(at), v.Word(at + 2), v.Word(at + 4), v.Word(at + 6)};
}

// The name of a record type for listings ("LABEL", "X-ATTRIBUTES"), or "".
std::string_view RecordName(uint16_t type, bool extension);

}  // namespace wk
