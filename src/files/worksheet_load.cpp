// files/worksheet_load.cpp — reads worksheet files into the current worksheet.
//
// Input is hostile: every record is read whole into a buffer of its stated length and every
// field read is checked against that length. Formulas are stored in file form (kind bit 0x10)
// and converted and linked at the end by the formula engine.
// Reads and writes: the current worksheet (cells, options, names, graphs, user functions,
// layout, extras); the error flag of the core. Per-load state lives in `Loader`.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/cell_store.h"
#include "core/format.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/palette.h"
#include "core/pool.h"
#include "core/sheet_layout.h"
#include "core/sheet_state.h"
#include "core/text_case.h"
#include "core/sheet_extras.h"
#include "files/worksheet_file.h"
#include "files/worksheet_records.h"
#include "formula/formula_code.h"
#include "formula/function_library.h"
#include "formula/recalc.h"
#include "platform/platform.h"

namespace {

using namespace wk;

constexpr size_t kMaxCodeBytes = kMaxCodeSize - 2;  // code bytes after the two-byte prefix
constexpr uint8_t kNoFont = 255;

// NUMBER and FORMULA values: exponents 2..2038 other than 894, and zero, are kept; everything
// else (denormals, infinities, NaNs) reads as 0.
double CheckedValue(double value) {
  if (value == 0) return value;
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  const unsigned exponent = unsigned(bits >> 52) & 0x7FF;
  return (exponent >= 2 && exponent <= 2038 && exponent != 894) ? value : 0.0;
}

bool SameFontName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A pool text block holding `text` (cut to 240 characters), or 0 when the pool is exhausted.
PoolHandle NewText(std::string_view text) {
  if (text.size() > kMaxCellText) text = text.substr(0, kMaxCellText);
  PoolHandle h = PoolAlloc(uint32_t(text.size() + 1));
  if (!h) return 0;
  uint8_t* p = PoolPtr(h);
  p[0] = uint8_t(text.size());
  if (!text.empty()) std::memcpy(p + 1, text.data(), text.size());
  return h;
}

// The format byte and the colour byte of a cell record's header: colour 0 is the automatic text
// colour without shade, otherwise the high nibble picks the shade from the palette.
void ApplyCellHeader(CellRecord* c, uint8_t format, uint8_t colour) {
  c->format = format;
  if (colour == 0) {
    std::memset(c->shade, 0, sizeof c->shade);
    c->colour = kColourDefault;
  } else {
    const PaletteColour& shade = kPalette[colour >> 4];
    c->shade[0] = shade.red;
    c->shade[1] = shade.green;
    c->shade[2] = shade.blue;
    c->colour = colour & kColourIndexMask;
  }
}

// Empties a cell record that a later record of the file replaces.
void ClearContents(CellHandle h) {
  CellRecord* c = CellAt(h);
  const uint8_t kind = c->kind;
  if ((kind & kKindMask) <= uint8_t(CellKind::kFormula) && !(kind & kKindFileForm)) Unlink(h);
  if ((kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
    const PoolHandle result = CellStringResult(c);
    if (result) PoolFree(result, PoolTextSize(result));
  }
  FreeCellText(c);
  std::memset(c->value, 0, sizeof c->value);
  c->kind = uint8_t(CellKind::kBlank);
}

// Where a merge puts the file's cells: the block of the file taken and the offset added.
// A merge shows its progress every this many records.
constexpr uint32_t kMergeProgressRecords = 1024;

struct MergePlan {
  uint16_t mode = 0;
  CellRange block{0, 0, 255, 8191};  // file positions taken
  int rowOffset = 0;
  int columnOffset = 0;
  size_t bytes = 0;  // the size of the file, for the progress display (0: none shown)
};

class Loader {
 public:
  Loader(ByteSource& source, uint16_t mode, const MergePlan* merge = nullptr)
      : source_(source), mode_(mode), merge_(merge) {
    fontMap_.fill(kNoFont);
    columnChars_.fill(-1);
  }

  // Reads the whole input; gives false when reading stopped on an error.
  bool Run();
  void Report();

 private:
  bool WholeSheet() const { return mode_ == kLoadWhole; }
  // Reads one record header and its data. False at the end of the input (`*clean` tells whether
  // it ended at a record boundary).
  bool NextRecord(uint16_t* type, bool* clean, bool extension);
  bool CountRecord();
  void Fail() { failed_ = true; }

  void ReadWk1Record(uint16_t type, const RecordView& v);
  void ReadCellRecord(uint8_t low, uint8_t colour, const RecordView& v);
  struct FormulaFields {
    uint8_t buffer[kMaxCodeSize] = {};
    double value = 0;
    bool erroneous = false;
  };
  // Reads the value and code of a FORMULA record; false when no cell is to be stored.
  bool ReadFormulaFields(uint16_t row, uint16_t column, const RecordView& v, FormulaFields* out);
  void ReadString(uint16_t row, uint16_t column, const RecordView& v);
  // Merge mode: moves a file position to its target; false when the cell is not to be taken.
  bool MergeTarget(uint16_t* row, uint16_t* column);
  void MergeCell(uint8_t low, uint16_t fileColumn, uint16_t row, uint16_t column, uint8_t format,
                 uint8_t colour, const RecordView& v);
  void ReadName(const RecordView& v);
  void ReadGraph(const RecordView& v, bool named);
  void ReadMargins(const RecordView& v);
  void ReadExtensionRecord(uint16_t type, const RecordView& v);
  void ReadAttributes(const RecordView& v);
  void ReadLayout(const RecordView& v);
  void ApplyLayout();

  ByteSource& source_;
  uint16_t mode_;
  const MergePlan* merge_;
  bool outOfRange_ = false;      // a merged cell fell off the grid
  bool protectedCell_ = false;   // protection kept a merged cell's content
  std::vector<std::pair<CellHandle, uint16_t>> mergedFormulas_;  // with their file column
  std::vector<uint8_t> body_;
  uint32_t records_ = 0;
  bool failed_ = false;
  bool extensionBlock_ = false;
  bool invalidFormula_ = false;
  uint16_t invalidRow_ = 0;
  uint16_t invalidColumn_ = 0;
  std::array<uint8_t, 256> fontMap_;
  std::array<int16_t, 256> columnChars_;  // COLW1 widths, -1 for none
  std::vector<std::pair<uint16_t, uint8_t>> pixelWidths_;
  std::vector<std::pair<uint16_t, uint8_t>> pixelHeights_;
  bool haveDefaults_ = false;
  uint16_t defaultWidth_ = kDefaultColumnWidth;
  uint16_t defaultHeight_ = kDefaultRowHeight;
  int nextNamedGraph_ = 1;
  bool tabCaptionSeen_ = false;

 public:
  bool formulas = false;  // a formula was read
};

bool Loader::NextRecord(uint16_t* type, bool* clean, bool extension) {
  uint8_t header[4];
  const size_t before = source_.Offset();
  if (!source_.Read(header, 4)) {
    *clean = source_.Offset() == before;
    return false;
  }
  *type = uint16_t(header[0] | header[1] << 8);
  size_t length = size_t(header[2] | header[3] << 8);
  // Record 0x79 of the extension block carries 4 data bytes whatever its length field says; some
  // writers give CALCORDER its length in the high byte.
  if (extension && *type == kXStamp) length = 4;
  if (!extension && *type == kCalcOrder && length > 255) length >>= 8;
  body_.resize(length);
  if (length > 0 && !source_.Read(body_.data(), length)) {
    *clean = false;
    return false;
  }
  *clean = true;
  return true;
}

// Counts a record; every 32 records the pool must still have room.
bool Loader::CountRecord() {
  ++records_;
  if (merge_ && merge_->bytes && records_ % kMergeProgressRecords == 0) {
    ThePlatform().Progress(int(uint64_t(source_.Offset()) * 100 / merge_->bytes));
  }
  if (records_ % 32 == 0 && !EnoughMemory()) {
    Fail();
    return false;
  }
  return true;
}

bool Loader::Run() {
  uint16_t type = 0;
  bool clean = false;
  if (!NextRecord(&type, &clean, false) || type != kBof) {
    records_ = 1;
    Fail();
    return false;
  }
  ++records_;
  // The WK1 part, up to its EOF record.
  for (;;) {
    if (!NextRecord(&type, &clean, false)) {
      ++records_;
      Fail();
      break;
    }
    if (!CountRecord()) break;
    if (type == kEof) break;
    RecordView v(body_.data(), body_.size());
    const uint8_t low = uint8_t(type);
    if (IsCellType(low)) {
      ReadCellRecord(low, uint8_t(type >> 8), v);
    } else if (WholeSheet()) {
      ReadWk1Record(type, v);
    }
    if (v.Short() || PoolOutOfMemory()) Fail();
    if (failed_) break;
  }
  // The extension block: 0x1A and a second byte; a second 0x1A means there is none. A merge
  // takes no settings from it, but its presence still says how the formulas were written.
  if (!failed_ && !source_.AtEnd()) {
    uint8_t framing[2] = {0, 0};
    if (source_.Read(framing, 2) && framing[1] != 0x1A) extensionBlock_ = true;
    if (extensionBlock_ && WholeSheet()) {
      for (;;) {
        if (!NextRecord(&type, &clean, true)) {
          if (!clean) {
            ++records_;
            Fail();
          }
          break;
        }
        if (!CountRecord()) break;
        if (type < 2) break;
        RecordView v(body_.data(), body_.size());
        ReadExtensionRecord(type, v);
        if (v.Short() || PoolOutOfMemory()) Fail();
        if (failed_) break;
      }
    }
  }
  if (WholeSheet()) ApplyLayout();
  if (!extensionBlock_ && formulas && merge_) {
    // Mended for the column the formula had in the file, whose offsets it keeps.
    for (const auto& [h, fileColumn] : mergedFormulas_) {
      CellRecord* c = CellAt(h);
      if ((c->kind & kKindFileForm) && KindIsFormula(c->kind & kKindMask) && c->text) {
        uint8_t* code = PoolPtr(c->text);
        MendForeignColumnOffsets(code, CodeBufferSize(code), fileColumn);
      }
    }
  } else if (!extensionBlock_ && formulas) {
    // Programs without our extension block keep relative column offsets in the low 8 bits.
    for (int row = 0; row < kRowCount; ++row) {
      for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
        CellRecord* c = CellAt(h);
        if ((c->kind & kKindFileForm) && KindIsFormula(c->kind & kKindMask) && c->text) {
          uint8_t* code = PoolPtr(c->text);
          MendForeignColumnOffsets(code, CodeBufferSize(code), c->column);
        }
      }
    }
  }
  return !failed_;
}

void Loader::ReadCellRecord(uint8_t low, uint8_t colour, const RecordView& v) {
  const uint8_t format = v.Byte(0);
  const uint16_t column = v.Word(1);
  const uint16_t row = v.Word(3);
  if (v.Short()) return;
  // Cells off our grid cannot be held; they are passed over like records we do not know.
  if (!IsValidCell(row, column)) return;
  if (merge_) {
    MergeCell(low, column, row, column, format, colour, v);
    return;
  }
  if (low == kString) {
    ReadString(row, column, v);
    return;
  }
  FormulaFields formula;
  if (low == kFormula && !ReadFormulaFields(row, column, v, &formula)) return;
  const CellHandle h = GetOrCreateCell(row, column);
  if (!h) {
    Fail();
    return;
  }
  ClearContents(h);
  CellRecord* c = CellAt(h);
  ApplyCellHeader(c, format, colour);
  switch (low) {
    case kBlank:
      c->kind = uint8_t(CellKind::kBlank);
      break;
    case kInteger: {
      const int16_t value = int16_t(v.Word(5));
      std::memcpy(c->value, &value, 2);
      c->kind = uint8_t(CellKind::kInteger);
      break;
    }
    case kNumber:
      SetCellDouble(c, CheckedValue(v.Double(5)));
      c->kind = uint8_t(CellKind::kNumber);
      break;
    case kLabel:
      // Our own labels hold up to 240 characters; longer ones from elsewhere are cut.
      if (!SetCellText(c, v.Text(5, kMaxCellText))) Fail();
      c->kind = uint8_t(CellKind::kLabel);
      break;
    case kFormula:
      if (!SetCellTextBytes(c, formula.buffer)) {
        Fail();
        break;
      }
      SetCellDouble(c, formula.value);
      c->kind = uint8_t(kKindFileForm | (formula.erroneous ? kKindErrorMark : 0) |
                        uint8_t(CellKind::kFormula));
      break;
    default:
      break;
  }
}

bool Loader::ReadFormulaFields(uint16_t row, uint16_t column, const RecordView& v,
                               FormulaFields* out) {
  const uint8_t* raw = v.Data();
  size_t length = v.Word(13);
  if (v.Short() || v.Length() < 15 + length) {
    v.Byte(v.Length());  // marks the record short
    return false;
  }
  out->erroneous = raw[11] == 0xF0 && raw[12] == 0x7F;
  out->value = CheckedValue(v.Double(5));
  const uint8_t* code = raw + 15;
  if (length >= 2 && code[length - 2] == kEndMarker && code[length - 1] == 0) --length;
  // Code longer than our code buffer cannot be kept; such records are passed over.
  if (length > kMaxCodeBytes) return false;
  if (length == 0 || code[0] == kEndMarker) {
    // Nothing to compute: the cell is left out and named at the end.
    invalidFormula_ = true;
    invalidRow_ = row;
    invalidColumn_ = column;
    return false;
  }
  formulas = true;
  out->buffer[0] = uint8_t(length + 1);
  out->buffer[1] = 0;
  std::memcpy(out->buffer + 2, code, length);
  return true;
}

bool Loader::MergeTarget(uint16_t* row, uint16_t* column) {
  const CellRange& b = merge_->block;
  if (*row < b.firstRow || *row > b.lastRow || *column < b.firstColumn || *column > b.lastColumn) {
    return false;
  }
  const int r = *row + merge_->rowOffset, c = *column + merge_->columnOffset;
  if (r < 0 || c < 0 || !IsValidCell(uint32_t(r), uint32_t(c))) {
    outOfRange_ = true;
    return false;
  }
  if (Options().protection()) {
    const CellHandle h = GetCell(uint32_t(r), uint32_t(c));
    if (!h || (CellAt(h)->format & kFormatProtected)) {
      protectedCell_ = true;
      return false;
    }
  }
  *row = uint16_t(r);
  *column = uint16_t(c);
  return true;
}

void Loader::MergeCell(uint8_t low, uint16_t fileColumn, uint16_t row, uint16_t column,
                       uint8_t format, uint8_t colour, const RecordView& v) {
  const bool values = (merge_->mode & kMergeValues) != 0;
  const uint16_t action = merge_->mode & kMergeActionMask;
  if (low == kString && !values) return;  // merged formulas compute their strings again
  FormulaFields formula;
  if (low == kFormula && !ReadFormulaFields(row, column, v, &formula)) return;
  if (!MergeTarget(&row, &column)) return;
  if (low == kString) {
    // The text result of a formula merged as its value: a label with the default prefix.
    const CellHandle h = GetCell(row, column);
    if (!h) return;
    NoteCellChange(h);
    ClearContents(h);
    const uint8_t prefix = Options().labelPrefix() ? Options().labelPrefix() : uint8_t('\'');
    if (!SetCellText(CellAt(h), std::string(1, char(prefix)) + v.Text(5, kMaxCellText - 1))) Fail();
    CellAt(h)->kind = uint8_t(CellKind::kLabel);
    return;
  }
  const CellHandle existing = GetCell(row, column);
  double previous = 0;
  if (existing) {
    const CellRecord* old = CellAt(existing);
    if (KindIsNumeric(old->kind) && !(old->kind & kKindFileForm)) previous = CellNumber(old);
    NoteCellChange(existing);
  }
  const CellHandle h = existing ? existing : GetOrCreateCell(row, column);
  if (!h) {
    Fail();
    return;
  }
  ClearContents(h);
  CellRecord* c = CellAt(h);
  ApplyCellHeader(c, format, colour);
  bool numeric = true;
  double value = 0;
  switch (low) {
    case kInteger: value = int16_t(v.Word(5)); break;
    case kNumber: value = CheckedValue(v.Double(5)); break;
    case kFormula:
      if (values) {
        value = formula.value;
        break;
      }
      numeric = false;
      if (!SetCellTextBytes(c, formula.buffer)) {
        Fail();
        return;
      }
      SetCellDouble(c, formula.value);
      c->kind = uint8_t(kKindFileForm | (formula.erroneous ? kKindErrorMark : 0) |
                        uint8_t(CellKind::kFormula));
      mergedFormulas_.emplace_back(h, fileColumn);
      break;
    case kLabel:
      numeric = false;
      if (!SetCellText(c, v.Text(5, kMaxCellText))) Fail();
      c->kind = uint8_t(CellKind::kLabel);
      break;
    default:
      numeric = false;
      c->kind = uint8_t(CellKind::kBlank);
      break;
  }
  if (!numeric) return;
  if (action == kMergeSum) value = previous + value;
  if (action == kMergeDifference) value = previous - value;
  if (low == kInteger) {
    StoreNumber(c, value);  // an integer while the result still is one
  } else {
    SetCellDouble(c, value);
    c->kind = uint8_t(CellKind::kNumber);
  }
}

void Loader::ReadString(uint16_t row, uint16_t column, const RecordView& v) {
  const std::string text = v.Text(5, kMaxCellText);
  const CellHandle h = GetCell(row, column);
  if (h && (CellAt(h)->kind & kKindMask) <= uint8_t(CellKind::kFormula)) {
    CellRecord* c = CellAt(h);
    if ((c->kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
      const PoolHandle old = CellStringResult(c);
      if (old) PoolFree(old, PoolTextSize(old));
    }
    const PoolHandle result = NewText(text);
    if (!result) {
      Fail();
      return;
    }
    std::memset(c->value, 0, sizeof c->value);
    SetCellStringResult(c, result);
    c->kind = uint8_t((c->kind & ~kKindMask) | uint8_t(CellKind::kStringFormula));
    return;
  }
  const CellHandle cell = GetOrCreateCell(row, column);
  if (!cell) {
    Fail();
    return;
  }
  ClearContents(cell);
  if (!SetCellText(CellAt(cell), "^<ERROR>")) Fail();
  CellAt(cell)->kind = uint8_t(CellKind::kLabel);
}

void Loader::ReadName(const RecordView& v) {
  // Names longer than our buffer are passed over.
  if (v.Length() >= 40) return;
  const std::string name = v.Text(0, 15);
  const uint8_t* raw = v.Data();
  if (v.Length() < kNameRecordSize) {
    v.Byte(v.Length());
    return;
  }
  if (name.size() > 5 && name.compare(0, 2, "G!") == 0) {
    const uint8_t flags = raw[16];
    Options().setZeroSuppressed(flags & 1);
    Options().SetByte(GlobalOptions::kReservedNameFlag, (flags & 4) ? 1 : 0);
    CurrentExtras().reservedSetting = raw[18] == 0xFF ? 0 : raw[18];
    return;
  }
  if (name.empty() || NameCount() >= kMaxNames) return;
  if (DefineName(name, RangeAt(v, 16)) == 0 && PoolOutOfMemory()) Fail();
}

void Loader::ReadGraph(const RecordView& v, bool named) {
  SheetState& sheet = CurrentSheet();
  uint8_t* block = nullptr;
  size_t at = 0;
  if (named) {
    if (sheet.graphCount >= kMaxNamedGraphs || sheet.graphCount >= 255) return;
    const PoolHandle h = PoolAlloc(kGraphSettingsSize);
    if (!h) {
      Fail();
      return;
    }
    block = PoolPtr(h);
    ResetGraph(GraphDefinition(block));
    GraphDefinition(block).setName(UpperCase(v.Text(0, graph_layout::kNameCapacity)));
    sheet.graphTable[++sheet.graphCount] = h;
    at = 16;
  } else {
    block = sheet.graphSettings.data();
    // Files without our extension block keep the reset program part, not what was there.
    ResetGraphProgramPart(GraphDefinition(block));
  }
  // Other programs write a few bytes more; a shorter record leaves the rest as it was.
  const size_t available = v.Length() > at ? v.Length() - at : 0;
  std::memcpy(block + kGraphDataOffset, v.Data() + at, std::min(available, kGraphDataSize));
  NormalizeLoadedGraph(GraphDefinition(block));
}

void Loader::ReadMargins(const RecordView& v) {
  auto hundredths = [](double inches) { return std::trunc(inches * 100) / 100; };
  const double left = v.Word(0) / 80.0 * 8.5;
  const double right = std::max(0.0, 8.5 - v.Word(2) / 80.0 * 8.5);
  const double top = v.Word(6) / 60.0 * 11;
  const double bottom = v.Word(8) / 60.0 * 11;
  if (v.Short()) return;
  GlobalOptions& o = Options();
  o.setMargin(0, hundredths(top));
  o.setMargin(1, hundredths(left));
  o.setMargin(2, hundredths(right));
  o.setMargin(3, hundredths(bottom));
}

void Loader::ReadWk1Record(uint16_t type, const RecordView& v) {
  GlobalOptions& o = Options();
  SheetExtras& extras = CurrentExtras();
  switch (type) {
    case kCalcMode:
      o.setManualRecalc(v.Byte(0) == 0);
      break;
    case kSplit:
      extras.layout.verticalSplit = v.Byte(0) == 1;
      extras.layout.horizontalSplit = v.Byte(0) > 1;
      break;
    case kSync:
      extras.layout.synchronised = v.Byte(0) == 0xFF;
      break;
    case kWindow1: {
      if (v.Length() < 8) break;
      extras.layout.first.cursorColumn = v.Word(0);
      extras.layout.first.cursorRow = v.Word(2);
      // The global format is the window's format byte; 0x7F (default) keeps ours.
      const uint8_t format = v.Byte(4) & kFormatCodeMask;
      if (format != kFormatDefault) o.setGlobalFormat(format);
      extras.layout.defaultColumnChars = v.Word(6);
      break;
    }
    case kColumnWidth1: {
      const uint16_t column = v.Word(0);
      const uint8_t width = v.Byte(2);
      if (!v.Short() && column < kColumnCount) columnChars_[column] = width;
      break;
    }
    case kName:
    case kName2:
      ReadName(v);
      break;
    case kTable:
      extras.tableType = v.Byte(0);
      o.setRange(GlobalOptions::kTableRange, RangeAt(v, 1));
      o.setRange(GlobalOptions::kTableInput1, RangeAt(v, 9));
      o.setRange(GlobalOptions::kTableInput2, RangeAt(v, 17));
      break;
    case kQueryRange:
      o.setRange(GlobalOptions::kQueryInput, RangeAt(v, 0));
      o.setRange(GlobalOptions::kQueryCriteria, RangeAt(v, 8));
      o.setRange(GlobalOptions::kQueryOutput, RangeAt(v, 16));
      extras.queryType = v.Byte(24);
      break;
    case kPrintRange:
      o.setRange(GlobalOptions::kPrintRange, RangeAt(v, 0));
      break;
    case kSortRange:
      o.setRange(GlobalOptions::kSortRange, RangeAt(v, 0));
      break;
    case kSortKey1:
      o.setRange(GlobalOptions::kSortKey1, RangeAt(v, 0));
      extras.sortOrder[0] = v.Byte(8);
      break;
    case kSortKey2:
      o.setRange(GlobalOptions::kSortKey2, RangeAt(v, 0));
      extras.sortOrder[1] = v.Byte(8);
      break;
    case kProtect:
      o.setProtection(v.Byte(0) != 0);
      break;
    case kFooter:
    case kHeader: {
      std::string text = v.Text(0, kMaxHeaderText);
      const bool apostrophe = !text.empty() && text[0] == '\'';
      if (apostrophe) text.erase(0, 1);
      if (type == kFooter) {
        o.setFooter(text);
        extras.footerApostrophe = apostrophe;
      } else {
        o.setHeader(text);
        extras.headerApostrophe = apostrophe;
      }
      break;
    }
    case kMargins:
      ReadMargins(v);
      break;
    case kLabelFormat:
      o.setLabelPrefix(v.Byte(0));
      break;
    case kTitles:
      o.setRange(GlobalOptions::kTitleRows, RangeAt(v, 0));
      o.setRange(GlobalOptions::kTitleColumns, RangeAt(v, 8));
      break;
    case kGraph:
      ReadGraph(v, false);
      break;
    case kNamedGraph:
      ReadGraph(v, true);
      break;
    default:
      // CALCORDER, RANGE, WINDOW2, CURSORW12, SETUP and every type we do not know.
      break;
  }
}

void Loader::ReadAttributes(const RecordView& v) {
  if (v.Length() < kAttributeRecordSize) {
    v.Byte(v.Length());
    return;
  }
  const uint16_t row = v.Word(0);
  const uint16_t column = v.Word(2);
  if (!IsValidCell(row, column)) return;
  const CellHandle h = GetCell(row, column);
  if (!h) return;
  CellRecord* c = CellAt(h);
  const uint8_t font = v.Byte(4);
  c->font = font == kNoFont ? kNoFont : fontMap_[font];
  c->size = v.Byte(5);
  c->style = v.Byte(6);
  c->borders = v.Byte(7);
  c->shade[0] = v.Byte(8);
  c->shade[1] = v.Byte(9);
  c->shade[2] = v.Byte(10);
  c->colour = v.Byte(11);
}

void Loader::ReadLayout(const RecordView& v) {
  if (v.Length() < kLayoutShortSize) return;
  WindowLayout& l = CurrentExtras().layout;
  l.present = true;
  l.pages = v.Word(0);
  l.horizontalSplit = v.Byte(2);
  l.verticalSplit = v.Byte(3);
  l.synchronised = v.Byte(4);
  l.activePane = v.Byte(5);
  l.first = {v.Word(6), v.Word(8), v.Word(10), v.Word(12)};
  l.firstHeight = v.Word(14);
  l.firstWidth = v.Word(16);
  l.second = {v.Word(18), v.Word(20), v.Word(22), v.Word(24)};
  l.hasTitles = v.Length() >= kLayoutFullSize;
  if (l.hasTitles) {
    l.titleFirstColumn = v.Word(26);
    l.titleLastColumn = v.Word(28);
    l.titleFirstRow = v.Word(30);
    l.titleLastRow = v.Word(32);
  }
  if (l.pages >= 1 && l.pages <= 64) Options().setPageSize(uint16_t(kRowCount / l.pages));
}

void Loader::ReadExtensionRecord(uint16_t type, const RecordView& v) {
  GlobalOptions& o = Options();
  SheetExtras& extras = CurrentExtras();
  SheetState& sheet = CurrentSheet();
  switch (type) {
    case kXAttributes:
      ReadAttributes(v);
      break;
    case kXRowHeight: {
      const uint16_t row = v.Word(0);
      const uint8_t height = v.Byte(2);
      if (!v.Short() && row < kRowCount) pixelHeights_.emplace_back(row, height);
      break;
    }
    case kXColumnWidth: {
      const uint16_t column = v.Word(0);
      const uint8_t width = v.Byte(2);
      if (!v.Short() && column < kColumnCount) pixelWidths_.emplace_back(column, width);
      break;
    }
    case kXSortKeys:
      o.setRange(GlobalOptions::kSortKey1, RangeAt(v, 0));
      extras.sortOrder[0] = v.Byte(8);
      o.setRange(GlobalOptions::kSortKey2, RangeAt(v, 9));
      extras.sortOrder[1] = v.Byte(17);
      break;
    case kXGraph:
      if (v.Length() == kGraphOwnSize) ReadGraphProgramRecord(CurrentGraph(), v.Data(), true);
      break;
    case kXNamedGraph:
      if (v.Length() == kGraphOwnSize && nextNamedGraph_ <= sheet.graphCount) {
        ReadGraphProgramRecord(GraphDefinition(PoolPtr(sheet.graphTable[nextNamedGraph_])),
                               v.Data(), false);
        ++nextNamedGraph_;
      }
      break;
    case kXButton:
      if (v.Length() <= 297 && extras.macroButtons.size() < 255) {
        extras.macroButtons.emplace_back(v.Data(), v.Data() + v.Length());
      }
      break;
    case kXSortSettings:
      extras.sortSettings.assign(v.Data(), v.Data() + v.Length());
      break;
    case kXSortSettings3:
      extras.sortSettings3.assign(v.Data(), v.Data() + v.Length());
      break;
    case kXSortRanges3:
      extras.sortRanges3.assign(v.Data(), v.Data() + v.Length());
      break;
    case kXPassword:
      o.setPassword(v.Text(0, GlobalOptions::kPasswordCapacity));
      break;
    case kXUserFunction: {
      const uint8_t nameLength = std::min<uint8_t>(v.Byte(0), 12);
      const std::string name(reinterpret_cast<const char*>(v.Data()) + 1,
                             std::min<size_t>(nameLength, v.Length() > 1 ? v.Length() - 1 : 0));
      const uint8_t count = v.Byte(13);
      const uint8_t textLength = v.Byte(14);
      if (v.Short() || v.Length() < 15u + textLength) {
        v.Byte(v.Length());
        break;
      }
      const std::string text(reinterpret_cast<const char*>(v.Data()) + 15, textLength);
      if (AddSheetFunction(name, text, count) == 0 && PoolOutOfMemory()) Fail();
      break;
    }
    case kXColours:
      for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) {
        const uint32_t word = v.Long(4 * size_t(i));
        if (!v.Short()) o.setColourFeature(i, word);
      }
      break;
    case kXMargins:
      for (int i = 0; i < 6; ++i) {
        const int32_t hundredths = int32_t(v.Long(4 * size_t(i)));
        if (!v.Short()) o.setMargin(i, hundredths / 100.0);
      }
      break;
    case kXTabCaption:
      if (!tabCaptionSeen_) extras.tabCaptions.clear();
      tabCaptionSeen_ = true;
      if (extras.tabCaptions.size() < 64) extras.tabCaptions.push_back(v.Text(0, 11));
      break;
    case kXFont: {
      const uint8_t number = v.Byte(0);
      const std::string name = v.Text(1, 80);
      if (v.Short()) break;
      const std::vector<std::string> installed = ThePlatform().InstalledFonts();
      uint8_t position = kNoFont;
      for (size_t i = 0; i < installed.size() && i < kNoFont; ++i) {
        if (SameFontName(installed[i], name)) {
          position = uint8_t(i);
          break;
        }
      }
      fontMap_[number] = position;
      break;
    }
    case kXWindowFont:
      extras.font.present = true;
      extras.font.height = v.Word(0);
      extras.font.style = v.Word(2);
      extras.font.name = v.Text(4, 80);
      break;
    case kXLayout:
      ReadLayout(v);
      break;
    case kXStamp:
      o.SetLong(GlobalOptions::kVersionStamp, v.Long(0));
      break;
    case kXTitle:
      o.SetText(GlobalOptions::kTitle, 80, v.Text(0, 80));
      break;
    case kXFurtherText:
      o.SetText(GlobalOptions::kFurtherText, 80, v.Text(0, 80));
      break;
    case kXComments:
      o.SetText(GlobalOptions::kComments, 255, v.Text(0, 255));
      break;
    case kXReals:
      if (v.Length() < 16) {
        v.Byte(v.Length());
        break;
      }
      std::memcpy(&o.bytes[GlobalOptions::kReal1], v.Data(), 16);
      break;
    case kXWord:
      o.SetWord(GlobalOptions::kWord1539, v.Word(0));
      break;
    case kXWindowWord: {
      const uint16_t word = v.Word(0);
      const uint8_t b0 = v.Byte(2), b1 = v.Byte(3), b2 = v.Byte(4);
      v.Byte(5);  // read and dropped
      if (v.Short()) break;
      o.SetWord(GlobalOptions::kWindowWord, word);
      o.SetByte(GlobalOptions::kWindowBytes, b0);
      o.SetByte(GlobalOptions::kWindowBytes + 1, b1);
      o.SetByte(GlobalOptions::kWindowBytes + 2, b2);
      break;
    }
    case kXDefaults: {
      const uint16_t width = v.Word(0);
      const uint16_t height = v.Word(2);
      if (v.Short()) break;
      haveDefaults_ = true;
      defaultWidth_ = width;
      defaultHeight_ = height;
      break;
    }
    case kXWindow:
      extras.windowRecord = {v.Byte(0), v.Byte(1)};
      break;
    default:
      break;
  }
}

void Loader::ApplyLayout() {
  SheetLayout& layout = CurrentLayout();
  uint16_t width = haveDefaults_ ? defaultWidth_ : kDefaultColumnWidth;
  uint16_t height = haveDefaults_ ? defaultHeight_ : kDefaultRowHeight;
  if (Options().Long(GlobalOptions::kVersionStamp) == 0) {
    width = kDefaultColumnWidth;
    height = kDefaultRowHeight;
  }
  layout.defaultWidth = width;
  layout.defaultHeight = height;
  layout.Reset();
  if (!pixelWidths_.empty()) {
    for (const auto& [column, pixels] : pixelWidths_) layout.columnWidth[column] = pixels;
  } else {
    for (int column = 0; column < kColumnCount; ++column) {
      if (columnChars_[column] >= 0) layout.columnWidth[column] = uint16_t(columnChars_[column] * 8);
    }
  }
  for (const auto& [row, pixels] : pixelHeights_) layout.rowHeight[row] = pixels;
}

void Loader::Report() {
  if (failed_) ShowError("Error at Record: " + std::to_string(records_));
  if (outOfRange_) ShowError("Out of Range");
  if (protectedCell_) ShowError("Protected Cell");
  if (invalidFormula_) {
    ShowError("Invalid Formula at \"" + ShortCellText(invalidRow_, invalidColumn_) + "\"");
  }
}

bool LoadFrom(ByteSource& source, uint16_t mode, bool recalculate = true,
              const MergePlan* merge = nullptr) {
  if (CurrentSheet().rowTable == nullptr) return false;
  ThePlatform().WaitCursor(true);
  if (mode == kLoadWhole) ResetExtras(CurrentWorksheet());
  Loader loader(source, mode, merge);
  const bool ok = loader.Run();
  if (mode == kLoadWhole) SetSheetModified(false);
  if (loader.formulas) {
    FinishLoadedFormulas(recalculate);
  } else if (recalculate) {
    RecalculateAll();
  }
  ThePlatform().WaitCursor(false);
  loader.Report();
  return ok;
}

}  // namespace

void MendForeignColumnOffsets(uint8_t* code, size_t size, uint16_t column) {
  auto mend = [column](uint8_t* p) {
    const uint16_t word = ReadWord(p);
    if (!(word & 0x8000)) return;
    const int target = (column + (word & 0xFF)) & 0xFF;
    WriteWord(p, uint16_t(0x8000 | ((target - int(column)) & 0x3FFF)));
  };
  CodeWalker walker(code, size);
  CodeToken token;
  while (walker.Next(&token)) {
    uint8_t* at = code + token.operand;
    int count = 0;
    if (token.cls == kClassCell) {
      count = 1;
    } else if (token.cls == kClassRange) {
      count = 2;
    } else if (token.opcode == uint8_t(Op::kNamedRangeCall)) {
      count = at[0] == uint8_t(Op::kCellRef) ? 1 : 2;
      ++at;
    }
    for (int i = 0; i < count; ++i) mend(at + 4 * i);
  }
}

// A formula whose code cannot be converted keeps its last value as a constant: a number, or a
// label holding its string result.
void FreezeToValue(CellRecord* c) {
  if ((c->kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
    const PoolHandle result = CellStringResult(c);
    std::string text(1, '\'');
    text += PoolText(result);
    if (result) PoolFree(result, PoolTextSize(result));
    std::memset(c->value, 0, sizeof c->value);
    FreeCellText(c);
    c->kind = uint8_t(CellKind::kLabel);
    SetCellText(c, text);  // out of memory leaves an empty label
    return;
  }
  FreeCellText(c);
  if (c->kind & kKindErrorMark) SetCellDouble(c, 0);
  c->kind = uint8_t(CellKind::kNumber);
}

void FinishLoadedFormulas(bool recalculate) {
  bool invalid = false;
  uint16_t invalidRow = 0, invalidColumn = 0;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
      CellRecord* c = CellAt(h);
      if (!(c->kind & kKindFileForm) || !KindIsFormula(c->kind & kKindMask) || !c->text) continue;
      if (!CodeToCellForm(PoolPtr(c->text), c->row, c->column)) {
        c = CellAt(h);
        c->kind &= uint8_t(~kKindFileForm);
        FreezeToValue(c);
        invalid = true;
        invalidRow = c->row;
        invalidColumn = c->column;
        continue;
      }
      CellAt(h)->kind &= uint8_t(~kKindFileForm);
      Link(h);
    }
  }
  if (invalid) ShowError("Invalid Formula at \"" + ShortCellText(invalidRow, invalidColumn) + "\"");
  if (recalculate) RecalculateAll();
}

bool LoadWorksheetBytes(const uint8_t* data, size_t size, uint16_t mode) {
  ByteSource source(data, size);
  return LoadFrom(source, mode);
}

bool LoadWorksheetBytesAsStored(const uint8_t* data, size_t size) {
  ByteSource source(data, size);
  return LoadFrom(source, kLoadWhole, /*recalculate=*/false);
}

namespace {

bool LoadFile(std::string_view fileName, uint16_t mode, bool recalculate) {
  const std::string name = WorksheetFileName(fileName);
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) {
    ShowError("Unable to Open File");
    return false;
  }
  ByteSource source(file);
  const bool ok = LoadFrom(source, mode, recalculate);
  std::fclose(file);
  return ok;
}

}  // namespace

bool LoadWorksheet(std::string_view fileName, uint16_t mode) {
  return LoadFile(fileName, mode, /*recalculate=*/true);
}

bool LoadWorksheetAsStored(std::string_view fileName) {
  return LoadFile(fileName, kLoadWhole, /*recalculate=*/false);
}

std::vector<FileRangeName> WorksheetFileRangeNames(const uint8_t* data, size_t size) {
  std::vector<FileRangeName> names;
  size_t at = 0;
  while (at + 4 <= size) {
    const uint16_t type = uint16_t(data[at] | data[at + 1] << 8);
    const size_t length = size_t(data[at + 2] | data[at + 3] << 8);
    at += 4;
    if (length > size - at || type == kEof) break;
    if (type == kName && length >= kNameRecordSize && length < 40) {
      RecordView v(data + at, length);
      std::string name = v.Text(0, 15);
      const CellRange range = RangeAt(v, 16);
      if (!name.empty() && name.compare(0, 2, "G!") != 0 && !v.Short()) {
        names.push_back(FileRangeName{std::move(name), range});
      }
    }
    at += length;
  }
  return names;
}

namespace {

bool ReadFileBytes(const std::string& name, std::vector<uint8_t>* out) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (!file) return false;
  uint8_t block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) out->insert(out->end(), block, block + n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool ReadWorksheetFileRangeNames(std::string_view fileName, std::vector<FileRangeName>* names) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(std::string(fileName), &bytes)) return false;
  *names = WorksheetFileRangeNames(bytes.data(), bytes.size());
  return true;
}

bool MergeWorksheetBytes(const uint8_t* data, size_t size, uint16_t mode, uint32_t row,
                         uint32_t column, std::string_view source) {
  MergePlan plan;
  plan.mode = uint16_t(mode | kMergeMode);
  if (!source.empty()) {
    bool found = false;
    if (source.find('.') != std::string_view::npos) {
      const bool raised = ErrorRaised();
      CellRange r = ParseRange(source);
      found = RangeIsValid(r) && IsValidCell(r.firstRow, r.firstColumn) &&
              IsValidCell(r.lastRow, r.lastColumn);
      if (!raised) ClearError();
      if (found) plan.block = OrderedRange(r);
    } else {
      for (const FileRangeName& n : WorksheetFileRangeNames(data, size)) {
        if (SameName(n.name, source)) {
          plan.block = OrderedRange(n.range);
          found = IsValidCell(plan.block.firstRow, plan.block.firstColumn);
          break;
        }
      }
    }
    if (!found) return true;  // a block the file does not define merges nothing
  }
  plan.rowOffset = int(row) - int(plan.block.firstRow);
  plan.columnOffset = int(column) - int(plan.block.firstColumn);
  plan.bytes = size;
  ByteSource bytes(data, size);
  return LoadFrom(bytes, plan.mode, /*recalculate=*/false, &plan);
}

bool MergeWorksheet(std::string_view fileName, uint16_t mode, uint32_t row, uint32_t column,
                    std::string_view source) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(std::string(fileName), &bytes)) {
    ShowError("Unable to Open File");
    return false;
  }
  return MergeWorksheetBytes(bytes.data(), bytes.size(), mode, row, column, source);
}
