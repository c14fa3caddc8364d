// tests/files/worksheet_file_test.cpp — saving and loading worksheet files.
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <random>

#include "commands/block_commands.h"
#include "commands/fill.h"
#include "commands/find_replace.h"
#include "commands/justify.h"
#include "commands/labels.h"
#include "commands/sort.h"
#include "core/palette.h"
#include "core/sheet_layout.h"
#include "core/sheet_state.h"
#include "files/files_fixture.h"
#include "formula/evaluator.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"
#include "formula/recalc.h"

namespace {

constexpr uint16_t kFileForm = 0x10;

// The data of a FORMULA record for the cell at (column, row) with `value` and file-form tokens
// ending in the end marker.
Bytes FormulaData(uint16_t column, uint16_t row, double value, std::vector<uint8_t> tokens,
                  uint8_t format = 0xFF) {
  Bytes d;
  d.U8(format).U16(column).U16(row).F64(value).U16(uint16_t(tokens.size()));
  d.b.insert(d.b.end(), tokens.begin(), tokens.end());
  return d;
}

Bytes CellHeader(uint16_t column, uint16_t row, uint8_t format = 0xFF) {
  return Bytes().U8(format).U16(column).U16(row);
}

// A WK1 file as another program writes it: BOF, the given records, EOF.
Bytes ForeignFile(const Bytes& records) {
  Bytes f;
  f.Rec(0x00, Bytes().U16(0x0406));
  f.b.insert(f.b.end(), records.b.begin(), records.b.end());
  f.Rec(0x01, Bytes());
  return f;
}

CellRecord* Cell(uint16_t row, uint16_t column) {
  const CellHandle h = GetCell(row, column);
  return h ? CellAt(h) : nullptr;
}

// The formula of a cell as a readable dump in the form it has.
std::string CellCode(uint16_t row, uint16_t column) {
  const CellRecord* c = Cell(row, column);
  if (!c || !c->text) return "<none>";
  const uint8_t* code = PoolPtr(c->text);
  return DumpCode(code, CodeBufferSize(code), (c->kind & kFileForm) ? CodeForm::kFile : CodeForm::kCell);
}

// Stores file-form code as the formula of a new cell, converted to the in-memory form.
CellRecord* PutFormula(uint16_t row, uint16_t column, std::vector<uint8_t> tokens, double value) {
  CellRecord* c = CellAt(GetOrCreateCell(row, column));
  uint8_t code[kMaxCodeSize] = {};
  code[0] = uint8_t(tokens.size() + 1);
  std::memcpy(code + 2, tokens.data(), tokens.size());
  EXPECT_TRUE(SetCellTextBytes(c, code));
  EXPECT_TRUE(CodeToCellForm(PoolPtr(c->text), row, column));
  SetCellDouble(c, value);
  c->kind = uint8_t(CellKind::kFormula);
  return c;
}

void PutNumber(uint16_t row, uint16_t column, double value) {
  CellRecord* c = CellAt(GetOrCreateCell(row, column));
  SetCellDouble(c, value);
  c->kind = uint8_t(CellKind::kNumber);
}

void PutLabel(uint16_t row, uint16_t column, const std::string& text) {
  CellRecord* c = CellAt(GetOrCreateCell(row, column));
  ASSERT_TRUE(SetCellText(c, text));
  c->kind = uint8_t(CellKind::kLabel);
}

class WorksheetFileTest : public FilesTest {};

TEST_F(WorksheetFileTest, FileNamesFollowTheCaseOfTheName) {
  struct Case {
    int line;
    const char* name;
    const char* file;
    const char* backup;
  };
  const Case kCases[] = {
      {__LINE__, "budget", "budget.wks", "budget.wkb"},
      {__LINE__, "BUDGET", "BUDGET.WKS", "BUDGET.WKB"},
      {__LINE__, "Budget", "Budget.wks", "Budget.wkb"},
      {__LINE__, "dir.v2/plan", "dir.v2/plan.wks", "dir.v2/plan.wkb"},
      {__LINE__, "PLAN.WK1", "PLAN.WK1", "PLAN.WKB"},
      {__LINE__, "plan.wk1", "plan.wk1", "plan.wkb"},
      {__LINE__, "2024", "2024.wks", "2024.wkb"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(WorksheetFileName(c.name), c.file);
    EXPECT_EQ(BackupFileName(WorksheetFileName(c.name)), c.backup);
  }
}

TEST_F(WorksheetFileTest, CellsOfEveryKindSurviveASaveAndALoad) {
  PutNumber(0, 0, 1234.5);
  PutNumber(0, 1, -1e300);
  CellRecord* integer = CellAt(GetOrCreateCell(1, 0));
  StoreNumber(integer, -32000);
  PutLabel(2, 0, "'left");
  PutLabel(2, 1, "\"centre");
  PutLabel(2, 2, "^right");
  PutLabel(2, 3, std::string(1, '\'') + std::string(239, 'x'));  // the longest label we hold
  CellAt(GetOrCreateCell(3, 0))->format = 0x22;                    // a formatted blank
  // C5 = +A1*2 (a relative reference four rows up, two columns left).
  PutFormula(4, 2, {0x01, 0xFE, 0xBF, 0xFC, 0xBF, 0x05, 0x02, 0x00, 0x0B, 0x03}, 2469);
  // D5 = the label "abc" with its string result.
  CellRecord* text = PutFormula(4, 3, {0x06, 'a', 'b', 'c', 0x00, 0x03}, 0);
  text->kind = uint8_t(CellKind::kStringFormula);
  std::memset(text->value, 0, 8);
  const PoolHandle result = PoolAlloc(4);
  std::memcpy(PoolPtr(result), "\x03" "abc", 4);
  SetCellStringResult(text, result);
  // E5 an erroneous formula.
  PutFormula(4, 4, {0x20, 0x03}, 0)->kind |= kKindErrorMark;

  RoundTrip();

  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(CellAt(GetCell(0, 0))->kind, uint8_t(CellKind::kNumber));
  EXPECT_EQ(CellDouble(Cell(0, 0)), 1234.5);
  EXPECT_EQ(CellDouble(Cell(0, 1)), -1e300);
  EXPECT_EQ(Cell(1, 0)->kind, uint8_t(CellKind::kInteger));
  EXPECT_EQ(CellInteger(Cell(1, 0)), -32000);
  EXPECT_EQ(PoolText(Cell(2, 0)->text), "'left");
  EXPECT_EQ(PoolText(Cell(2, 1)->text), "\"centre");
  EXPECT_EQ(PoolText(Cell(2, 2)->text), "^right");
  EXPECT_EQ(PoolText(Cell(2, 3)->text).size(), 240u);
  EXPECT_EQ(Cell(3, 0)->kind, uint8_t(CellKind::kBlank));
  EXPECT_EQ(Cell(3, 0)->format, 0x22);
  EXPECT_EQ(Cell(4, 2)->kind, uint8_t(CellKind::kFormula));
  EXPECT_EQ(CellDouble(Cell(4, 2)), 2469);
  EXPECT_EQ(CellCode(4, 2), "CellRef A1, Integer 2, Multiply, End");
  EXPECT_EQ(Cell(4, 3)->kind, uint8_t(CellKind::kStringFormula));
  EXPECT_EQ(PoolText(CellStringResult(Cell(4, 3))), "abc");
  EXPECT_EQ(Cell(4, 4)->kind, uint8_t(CellKind::kFormula) | kKindErrorMark);
  EXPECT_FALSE(SheetModified());
  std::string why;
  EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
  EXPECT_TRUE(CheckRowChains(&why)) << why;
}

TEST_F(WorksheetFileTest, SettingsTablesAndExtrasSurviveASaveAndALoad) {
  GlobalOptions& o = Options();
  o.setManualRecalc(true);
  o.setProtection(true);
  o.setZeroSuppressed(true);
  o.SetByte(GlobalOptions::kReservedNameFlag, 1);
  o.setLabelPrefix('^');
  o.setPageSize(2048);
  o.setRange(GlobalOptions::kPrintRange, MakeRange(0, 0, 5, 20));
  o.setRange(GlobalOptions::kSortRange, MakeRange(1, 1, 3, 9));
  o.setRange(GlobalOptions::kSortKey1, MakeRange(2, 1, 2, 1));
  o.setRange(GlobalOptions::kSortKey2, MakeRange(3, 1, 3, 1));
  o.setRange(GlobalOptions::kTableRange, MakeRange(0, 30, 4, 40));
  o.setRange(GlobalOptions::kTableInput1, MakeRange(7, 7, 7, 7));
  o.setRange(GlobalOptions::kQueryCriteria, MakeRange(9, 9, 10, 10));
  o.setRange(GlobalOptions::kTitleRows, MakeRange(0, 0, 255, 1));
  o.setHeader("Report|@|#");
  o.setFooter("page #");
  o.setMargin(0, 0.25);
  o.setMargin(1, 1.5);
  o.setMargin(4, 0.75);
  o.setColourFeature(3, 0x12345678);
  o.SetText(GlobalOptions::kTitle, 80, "Title");
  o.SetText(GlobalOptions::kComments, 255, std::string(200, 'c'));
  o.SetText(GlobalOptions::kFurtherText, 80, "more");
  o.setPassword("scrambled");
  o.SetReal(GlobalOptions::kReal1, 3.5);
  o.SetReal(GlobalOptions::kReal2, -2.25);
  o.SetWord(GlobalOptions::kWord1539, 0xBEEF);
  o.SetWord(GlobalOptions::kWindowWord, 0x1234);
  o.SetByte(GlobalOptions::kWindowBytes + 2, 9);
  SheetLayout& layout = CurrentLayout();
  layout.columnWidth[1] = 120;
  layout.rowHeight[7] = 30;
  ASSERT_NE(DefineName("TOTAL", MakeRange(1, 2, 3, 4)), 0);
  ASSERT_NE(DefineName("ABC", MakeRange(0, 0, 0, 0)), 0);
  ASSERT_NE(AddSheetFunction("TWICE", "2*#1", 1), 0);
  SheetExtras& extras = CurrentExtras();
  extras.headerApostrophe = true;
  extras.tabCaptions = {"Jan", "Feb"};
  extras.font = WindowFont{true, 14, 3, "Courier New"};
  extras.layout.activePane = 1;
  extras.layout.second.cursorRow = 77;
  extras.layout.titleLastRow = 2;
  extras.macroButtons = {{1, 2, 3}};
  extras.sortOrder = {1, 0, 0, 0};
  extras.sortSettings.assign(26, 7);
  // The current graph and one named graph, with bytes in both parts.
  SheetState& sheet = CurrentSheet();
  sheet.graphSettings[13] = 4;
  sheet.graphSettings[448] = 7;
  sheet.graphSettings[449] = 0;  // reads back as 5
  sheet.graphSettings[600] = 0x55;
  const PoolHandle named = PoolAlloc(kGraphSettingsSize);
  std::memset(PoolPtr(named), 0, kGraphSettingsSize);
  std::memcpy(PoolPtr(named), "\x05SALES", 6);
  PoolPtr(named)[100] = 0x66;
  PoolPtr(named)[800] = 0x77;
  sheet.graphTable[++sheet.graphCount] = named;

  RoundTrip();

  const GlobalOptions& r = Options();
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(r.manualRecalc());
  EXPECT_TRUE(r.protection());
  EXPECT_TRUE(r.zeroSuppressed());
  EXPECT_EQ(r.Byte(GlobalOptions::kReservedNameFlag), 1);
  EXPECT_EQ(r.labelPrefix(), '^');
  EXPECT_EQ(r.pageSize(), 2048);
  for (int i : {int(GlobalOptions::kPrintRange), int(GlobalOptions::kSortRange),
                int(GlobalOptions::kSortKey1), int(GlobalOptions::kSortKey2),
                int(GlobalOptions::kTableRange), int(GlobalOptions::kTableInput1),
                int(GlobalOptions::kTableInput2), int(GlobalOptions::kQueryCriteria),
                int(GlobalOptions::kTitleRows)}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(r.range(i), o.range(i));
  }
  EXPECT_EQ(r.header(), "Report|@|#");
  EXPECT_EQ(r.footer(), "page #");
  EXPECT_TRUE(CurrentExtras().headerApostrophe);
  EXPECT_FALSE(CurrentExtras().footerApostrophe);
  EXPECT_EQ(r.margin(0), 0.25);
  EXPECT_EQ(r.margin(1), 1.5);
  EXPECT_EQ(r.margin(4), 0.75);
  EXPECT_EQ(r.colourFeature(3), 0x12345678u);
  EXPECT_EQ(r.Text(GlobalOptions::kTitle, 80), "Title");
  EXPECT_EQ(r.Text(GlobalOptions::kComments, 255), std::string(200, 'c'));
  EXPECT_EQ(r.Text(GlobalOptions::kFurtherText, 80), "more");
  EXPECT_EQ(r.password(), "scrambled");
  EXPECT_EQ(r.Real(GlobalOptions::kReal1), 3.5);
  EXPECT_EQ(r.Real(GlobalOptions::kReal2), -2.25);
  EXPECT_EQ(r.Word(GlobalOptions::kWord1539), 0xBEEF);
  EXPECT_EQ(r.Word(GlobalOptions::kWindowWord), 0x1234);
  EXPECT_EQ(r.Byte(GlobalOptions::kWindowBytes + 2), 9);
  EXPECT_EQ(r.Long(GlobalOptions::kVersionStamp), 16028u);
  EXPECT_EQ(CurrentLayout().columnWidth[1], 120);
  EXPECT_EQ(CurrentLayout().columnWidth[2], kDefaultColumnWidth);
  EXPECT_EQ(CurrentLayout().rowHeight[7], 30);
  ASSERT_EQ(NameCount(), 2);
  EXPECT_EQ(NameAt(1), "ABC");
  EXPECT_EQ(NameAt(2), "TOTAL");
  EXPECT_EQ(NameRange(2), MakeRange(1, 2, 3, 4));
  UserFunction f;
  ASSERT_TRUE(SheetFunctionAt(1, &f));
  EXPECT_EQ(f.name, "TWICE");
  EXPECT_EQ(f.text, "2*#1");
  EXPECT_EQ(f.argumentCount, 1);
  const SheetExtras& x = CurrentExtras();
  EXPECT_EQ(x.tabCaptions, (std::vector<std::string>{"Jan", "Feb"}));
  EXPECT_TRUE(x.font.present);
  EXPECT_EQ(x.font.height, 14);
  EXPECT_EQ(x.font.style, 3);
  EXPECT_EQ(x.font.name, "Courier New");
  EXPECT_TRUE(x.layout.present);
  EXPECT_EQ(x.layout.pages, 4);
  EXPECT_EQ(x.layout.activePane, 1);
  EXPECT_EQ(x.layout.second.cursorRow, 77);
  EXPECT_EQ(x.layout.titleLastRow, 2);
  EXPECT_EQ(x.macroButtons, (std::vector<std::vector<uint8_t>>{{1, 2, 3}}));
  EXPECT_EQ(x.sortOrder[0], 1);
  EXPECT_EQ(x.sortSettings, std::vector<uint8_t>(26, 7));
  const SheetState& s = CurrentSheet();
  EXPECT_EQ(s.graphSettings[13], 4);
  EXPECT_EQ(s.graphSettings[448], 7);
  EXPECT_EQ(s.graphSettings[449], 5);
  EXPECT_EQ(s.graphSettings[600], 0x55);
  ASSERT_EQ(s.graphCount, 1);
  const uint8_t* g = PoolPtr(s.graphTable[1]);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(g + 1), g[0]), "SALES");
  EXPECT_EQ(g[100], 0x66);
  EXPECT_EQ(g[800], 0x77);
}

// The records of a saved file, as (type, data) pairs of the WK1 part and of the extension block.
struct Record {
  uint16_t type;
  bool extension;
  std::vector<uint8_t> data;
};
std::vector<Record> Records(const std::vector<uint8_t>& f) {
  std::vector<Record> out;
  size_t p = 0;
  bool extension = false;
  while (p + 4 <= f.size()) {
    const uint16_t type = uint16_t(f[p] | f[p + 1] << 8);
    size_t length = size_t(f[p + 2] | f[p + 3] << 8);
    if (extension && type == 0x79) length = 4;
    if (p + 4 + length > f.size()) break;
    out.push_back({type, extension, {f.begin() + long(p) + 4, f.begin() + long(p + 4 + length)}});
    p += 4 + length;
    if (type == 1) {
      if (extension) break;
      p += 2;  // framing
      extension = true;
    }
  }
  return out;
}

TEST_F(WorksheetFileTest, MarginsAreWrittenInHundredthsRoundedHalfToEven) {
  const double kInches[6] = {0.125, 0.375, 1.005, -0.125, 400, 2.5};
  const int32_t kExpected[6] = {12, 38, 100, -12, 32767, 250};
  for (int i = 0; i < 6; ++i) Options().setMargin(i, kInches[i]);
  const std::vector<uint8_t> bytes = WorksheetBytes();
  bool found = false;
  for (const Record& r : Records(bytes)) {
    if (!r.extension || r.type != 0x70) continue;
    found = true;
    ASSERT_EQ(r.data.size(), 24u);
    for (int i = 0; i < 6; ++i) {
      int32_t v;
      std::memcpy(&v, &r.data[4 * size_t(i)], 4);
      EXPECT_EQ(v, kExpected[i]) << "margin " << i;
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(WorksheetFileTest, TheWk1PartOpensOnceAndTheExtensionBlockIsFramed) {
  PutNumber(0, 0, 1);
  const std::vector<uint8_t> bytes = WorksheetBytes();
  const std::vector<Record> records = Records(bytes);
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(records[0].type, 0);
  EXPECT_EQ(records[0].data, (std::vector<uint8_t>{0x04, 0x04}));
  int bofs = 0;
  for (const Record& r : records) bofs += r.type == 0 && !r.extension;
  EXPECT_EQ(bofs, 1);
  // EOF, 0x1A 0x00 ... EOF, 0x1A 0x1A.
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes[bytes.size() - 2], 0x1A);
  EXPECT_EQ(bytes[bytes.size() - 1], 0x1A);
  // Every cell record carries colour byte 0.
  for (const Record& r : records) {
    if (!r.extension && (r.type & 0xFF) >= 0x0C && (r.type & 0xFF) <= 0x10) {
      EXPECT_EQ(r.type >> 8, 0);
    }
  }
}

TEST_F(WorksheetFileTest, CellColourBytesAndAttributesMapThroughPaletteAndFontTable) {
  // A cell record with colour byte 0x23: shade palette entry 2, text colour 3.
  const Bytes file = ForeignFile(Bytes().Rec(0x230D, CellHeader(0, 0).U16(5)));
  ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  CellRecord* c = Cell(0, 0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->shade[0], kPalette[2].red);
  EXPECT_EQ(c->shade[1], kPalette[2].green);
  EXPECT_EQ(c->shade[2], kPalette[2].blue);
  EXPECT_EQ(c->colour, 3);
  c->font = 2;  // "Times New Roman" in the headless font list
  c->style = 1;

  const std::vector<uint8_t> bytes = WorksheetBytes();
  int attributes = 0;
  for (const Record& r : Records(bytes)) {
    if (!r.extension && r.type == 0x0D) {
      EXPECT_EQ(r.type >> 8, 0);
    }
    if (r.extension && r.type == 0x08) {
      ++attributes;
      ASSERT_EQ(r.data.size(), 12u);
      EXPECT_EQ(r.data[4], 2);
      EXPECT_EQ(r.data[8], kPalette[2].red);
      EXPECT_EQ(r.data[11], 3);
    }
  }
  EXPECT_EQ(attributes, 1);

  // On a machine with another font list the font is found by name, or becomes the default.
  TheHeadlessPlatform().fonts = {"Times New Roman", "Arial"};
  NewSheet("OTHER.WKS");
  ASSERT_TRUE(LoadWorksheetBytes(bytes.data(), bytes.size()));
  EXPECT_EQ(Cell(0, 0)->font, 0);
  EXPECT_EQ(Cell(0, 0)->style, 1);
  EXPECT_EQ(Cell(0, 0)->colour, 3);
  TheHeadlessPlatform().fonts = {"Arial"};
  NewSheet("THIRD.WKS");
  ASSERT_TRUE(LoadWorksheetBytes(bytes.data(), bytes.size()));
  EXPECT_EQ(Cell(0, 0)->font, 255);
}

TEST_F(WorksheetFileTest, NumbersOutsideTheValueCheckReadAsZero) {
  struct Case {
    int line;
    uint64_t bits;
    double expected;
  };
  const Case kCases[] = {
      {__LINE__, 0x7FF0000000000000ull, 0},           // infinity
      {__LINE__, 0xFFF8000000000000ull, 0},           // NaN
      {__LINE__, 0x0000000000000001ull, 0},           // denormal
      {__LINE__, 0x0010000000000000ull, 0},           // exponent 1
      {__LINE__, 0x37E0000000000000ull, 0},           // exponent 894
      {__LINE__, 0x37F0000000000000ull, std::ldexp(1.0, -128)},  // exponent 895
      {__LINE__, 0x0020000000000000ull, std::ldexp(1.0, -1021)},  // exponent 2
      {__LINE__, 0x7F60000000000000ull, std::ldexp(1.0, 1015)},  // exponent 2038
      {__LINE__, 0x7F70000000000000ull, 0},                       // exponent 2039
      {__LINE__, 0x0000000000000000ull, 0},
      {__LINE__, 0x400C000000000000ull, 3.5},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    double value;
    std::memcpy(&value, &c.bits, 8);
    NewSheet(std::to_string(c.line) + ".WKS");
    const Bytes file = ForeignFile(Bytes()
                                       .Rec(0x0E, CellHeader(0, 0).F64(value))
                                       .Rec(0x10, FormulaData(1, 0, value, {0x05, 1, 0, 0x03})));
    ASSERT_TRUE(LoadWorksheetBytesAsStored(file.b.data(), file.b.size()));
    EXPECT_EQ(CellDouble(Cell(0, 0)), c.expected);
    EXPECT_EQ(CellDouble(Cell(0, 1)), c.expected);
    EXPECT_EQ(Cell(0, 1)->kind & kKindErrorMark, c.bits == 0x7FF0000000000000ull ? kKindErrorMark : 0);
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WorksheetFileTest, FormulaAndStringRecordsFromOtherPrograms) {
  const Bytes file = ForeignFile(
      Bytes()
          // A formula of only the end marker: reported, and the cell stays empty.
          .Rec(0x10, FormulaData(2, 4, 7, {0x03}))
          // A string formula: FORMULA, then STRING.
          .Rec(0x10, FormulaData(0, 0, 0, {0x06, 'h', 'i', 0, 0x03}))
          .Rec(0x33, CellHeader(0, 0).Str("hi"))
          // A STRING without a formula cell.
          .Rec(0x33, CellHeader(5, 5).Str("lost"))
          // Code ending in 3, 0 loses the 0.
          .Rec(0x10, FormulaData(1, 0, 4, {0x05, 4, 0, 0x03, 0x00})));
  ASSERT_FALSE(LoadWorksheetBytes(file.b.data(), file.b.size()) && false);
  EXPECT_EQ(Cell(4, 2), nullptr);
  ASSERT_NE(Cell(0, 0), nullptr);
  EXPECT_EQ(Cell(0, 0)->kind, uint8_t(CellKind::kStringFormula));
  EXPECT_EQ(PoolText(CellStringResult(Cell(0, 0))), "hi");
  EXPECT_EQ(PoolText(Cell(5, 5)->text), "^<ERROR>");
  EXPECT_EQ(PoolPtr(Cell(0, 1)->text)[0], 5);
  EXPECT_EQ(CellCode(0, 1), "Integer 4, End");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid Formula at \"C5\""}));
}

TEST_F(WorksheetFileTest, ADamagedRecordStopsReadingAndNamesTheRecord) {
  Bytes file;
  file.Rec(0x00, Bytes().U16(0x0404)).Rec(0x0D, CellHeader(0, 0).U16(1));
  file.Rec(0x0D, CellHeader(0, 1).U16(2));
  // A NUMBER record too short for its double, then a cell that is never read.
  file.Rec(0x0E, CellHeader(0, 2).U16(0)).Rec(0x0D, CellHeader(0, 3).U16(4)).Rec(0x01, Bytes());
  EXPECT_FALSE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error at Record: 4"}));
  EXPECT_EQ(CellInteger(Cell(0, 0)), 1);
  EXPECT_EQ(CellInteger(Cell(1, 0)), 2);
  EXPECT_EQ(Cell(3, 0), nullptr);

  // A file that ends inside a record.
  Messages().clear();
  NewSheet("CUT.WKS");
  Bytes cut;
  cut.Rec(0x00, Bytes().U16(0x0404)).Rec(0x0D, CellHeader(0, 0).U16(1));
  cut.b.insert(cut.b.end(), {0x0F, 0x00, 0x20, 0x00, 0xFF});
  EXPECT_FALSE(LoadWorksheetBytes(cut.b.data(), cut.b.size()));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error at Record: 3"}));
  EXPECT_EQ(CellInteger(Cell(0, 0)), 1);

  // Not a worksheet at all.
  Messages().clear();
  NewSheet("TEXT.WKS");
  const std::string text = "hello, world\n";
  EXPECT_FALSE(LoadWorksheetBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error at Record: 1"}));
}

TEST_F(WorksheetFileTest, AFileCutAfterTheFirstEofLoadsWithoutItsExtensionBlock) {
  PutNumber(0, 0, 42);
  ASSERT_NE(DefineName("N", MakeRange(0, 0, 0, 0)), 0);
  Options().setRange(GlobalOptions::kPrintRange, MakeRange(0, 0, 3, 3));
  CurrentSheet().graphSettings[13] = 9;
  CurrentLayout().columnWidth[0] = 100;  // 12 characters in COLW1, 100 pixels in the block
  CurrentLayout().rowHeight[0] = 40;
  std::vector<uint8_t> bytes = WorksheetBytes();
  const std::vector<Record> records = Records(bytes);
  size_t end = 0;
  for (const Record& r : records) {
    end += 4 + r.data.size();
    if (r.type == 1) break;
  }
  bytes.resize(end);
  ASSERT_TRUE(LoadWorksheetBytes(bytes.data(), bytes.size()));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(CellDouble(Cell(0, 0)), 42);
  EXPECT_EQ(NameCount(), 1);
  EXPECT_EQ(Options().range(GlobalOptions::kPrintRange), MakeRange(0, 0, 3, 3));
  EXPECT_EQ(CurrentSheet().graphSettings[13], 9);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 96);
  EXPECT_EQ(CurrentLayout().rowHeight[0], kDefaultRowHeight);
  EXPECT_FALSE(CurrentExtras().layout.present);
}

TEST_F(WorksheetFileTest, AForeignFileWithoutExtensionBlockLoadsNormally) {
  Bytes records;
  records.Rec(0x02, Bytes().U8(0xFF))
      .Rec(0x07, Bytes().U16(1).U16(2).U8(0x02).U8(0).U16(9).Raw({0, 0, 0, 0}))
      .Rec(0x08, Bytes().U16(1).U8(20))
      .Rec(0x0B, Bytes().Str("PRICES").Raw({0, 0, 0, 0, 0, 0, 0, 0, 0}).U16(0).U16(0).U16(1).U16(2))
      .Rec(0x28, Bytes().U16(4).U16(76).U16(66).U16(2).U16(2))
      .Rec(0x25, Bytes().Str("'Footer"))
      .Rec(0x99, Bytes().Raw({1, 2, 3}))  // a record we do not know
      .Raw({0x03, 0x00, 0x00, 0x01, 0x00})  // CALCORDER with its length in the high byte
      .Rec(0x0F, CellHeader(0, 0).Str("'Item"))
      .Rec(0x0E, CellHeader(1, 0, 0x02).F64(2.5));
  for (bool framed : {false, true}) {
    SCOPED_TRACE(framed ? "ending 0x1A 0x1A" : "ending at EOF");
    NewSheet(framed ? "F2.WK1" : "F1.WK1");
    Bytes file = ForeignFile(records);
    if (framed) file.Raw({0x1A, 0x1A});
    ASSERT_TRUE(LoadWorksheetBytesAsStored(file.b.data(), file.b.size()));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(PoolText(Cell(0, 0)->text), "'Item");
    EXPECT_EQ(CellDouble(Cell(0, 1)), 2.5);
    EXPECT_EQ(Cell(0, 1)->format, 0x02);
    EXPECT_EQ(NameAt(1), "PRICES");
    EXPECT_EQ(NameRange(1), MakeRange(0, 0, 1, 2));
    EXPECT_EQ(Options().globalFormat(), 0x02);
    EXPECT_EQ(Options().footer(), "Footer");
    EXPECT_TRUE(CurrentExtras().footerApostrophe);
    EXPECT_EQ(Options().margin(1), 0.42);
    EXPECT_EQ(Options().margin(2), 0.42);
    EXPECT_EQ(Options().margin(0), 0.36);
    EXPECT_EQ(CurrentLayout().columnWidth[1], 160);
    EXPECT_EQ(CurrentLayout().defaultWidth, kDefaultColumnWidth);
    EXPECT_FALSE(SheetModified());
  }
}

TEST_F(WorksheetFileTest, RelativeColumnsOfForeignFilesAreReadModulo256) {
  // K1 = +J1 as other programs write it (0x80FF: one column left), and L1 = +K1 as we write it
  // (0xBFFF), and M1 = a reference 255 columns right, which is off the grid in our own form.
  const Bytes cells = Bytes()
                          .Rec(0x10, FormulaData(10, 0, 0, {0x01, 0xFF, 0x80, 0x00, 0x80, 0x03}))
                          .Rec(0x10, FormulaData(11, 0, 0, {0x01, 0xFF, 0xBF, 0x00, 0x80, 0x03}))
                          .Rec(0x10, FormulaData(12, 0, 0, {0x01, 0xFF, 0x80, 0x00, 0x80, 0x03}));
  const Bytes foreign = ForeignFile(cells);
  ASSERT_TRUE(LoadWorksheetBytes(foreign.b.data(), foreign.b.size()));
  EXPECT_EQ(CellCode(0, 10), "CellRef J1, End");
  EXPECT_EQ(CellCode(0, 11), "CellRef K1, End");
  EXPECT_EQ(CellCode(0, 12), "CellRef L1, End");

  // The same cells in a file with our extension block keep the 14-bit reading.
  NewSheet("OURS.WKS");
  Bytes ours = ForeignFile(cells);
  ours.Raw({0x1A, 0x00}).Rec(0x01, Bytes()).Raw({0x1A, 0x1A});
  ASSERT_TRUE(LoadWorksheetBytes(ours.b.data(), ours.b.size()));
  EXPECT_EQ(CellCode(0, 10), "CellRef ERR, End");
  EXPECT_EQ(CellCode(0, 11), "CellRef K1, End");
  // Merging takes only cells from the file, but reads them the same way.
  NewSheet("MERGED.WKS");
  ASSERT_TRUE(LoadWorksheetBytes(ours.b.data(), ours.b.size(), kLoadMergeCells));
  EXPECT_EQ(CellCode(0, 10), "CellRef ERR, End");
}

TEST_F(WorksheetFileTest, LoadingConvertsLinksAndRecalculates) {
  const Bytes file = ForeignFile(Bytes()
                                     .Rec(0x0D, CellHeader(0, 0).U16(3))
                                     .Rec(0x10, FormulaData(0, 1, 3, {0x01, 0x00, 0x80, 0xFF, 0xBF, 0x03}))
                                     .Rec(0x10, FormulaData(0, 2, 0, {0x01, 0x00, 0x80, 0x03})));
  LoadWorksheetBytes(file.b.data(), file.b.size());
  EXPECT_EQ(Cell(1, 0)->kind, uint8_t(CellKind::kFormula));
  EXPECT_EQ(CellCode(1, 0), "CellRef A1, End");
  // A3's code does not walk to its end: it keeps its value and is reported.
  EXPECT_EQ(Cell(2, 0)->kind, uint8_t(CellKind::kNumber));
  // A2 is linked to A1 and was recalculated from it.
  EXPECT_NE(Cell(0, 0)->dependents, kNoBlock);
  EXPECT_EQ(CellNumber(Cell(1, 0)), 3);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid Formula at \"A3\""}));
}

TEST_F(WorksheetFileTest, ExtensionRecordRulesForWidthsLayoutAndStamp) {
  auto block = [](const Bytes& records) {
    Bytes f = ForeignFile(Bytes().Rec(0x08, Bytes().U16(0).U8(20)));
    f.Raw({0x1A, 0x00});
    f.b.insert(f.b.end(), records.b.begin(), records.b.end());
    f.Rec(0x01, Bytes()).Raw({0x1A, 0x1A});
    return f;
  };
  // Defaults of record 0x86 apply only with the stamp; pixel widths replace COLW1.
  Bytes stamped;
  stamped.Rec(0x86, Bytes().U16(80).U16(20)).Rec(0x0B, Bytes().U16(3).U8(33));
  stamped.Raw({0x79, 0x00, 0x02, 0x00, 0x9C, 0x3E, 0x00, 0x00});
  Bytes file = block(stamped);
  ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(CurrentLayout().defaultWidth, 80);
  EXPECT_EQ(CurrentLayout().defaultHeight, 20);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 80);  // COLW1 ignored
  EXPECT_EQ(CurrentLayout().columnWidth[3], 33);
  EXPECT_EQ(CurrentLayout().rowHeight[100], 20);

  NewSheet("NOSTAMP.WKS");
  file = block(Bytes().Rec(0x86, Bytes().U16(80).U16(20)));
  ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  EXPECT_EQ(CurrentLayout().defaultWidth, kDefaultColumnWidth);
  EXPECT_EQ(CurrentLayout().defaultHeight, kDefaultRowHeight);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 160);

  // A 26-byte layout record is accepted; its page count sets the page size.
  NewSheet("LAYOUT.WKS");
  Bytes layout;
  layout.U16(8).Raw({1, 0, 1, 1});
  for (int i = 0; i < 10; ++i) layout.U16(uint16_t(i + 1));
  file = block(Bytes().Rec(0x78, layout).Rec(0x78, Bytes().Raw({1, 2, 3})));
  ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Options().pageSize(), 1024);
  EXPECT_TRUE(CurrentExtras().layout.present);
  EXPECT_FALSE(CurrentExtras().layout.hasTitles);
  EXPECT_EQ(CurrentExtras().layout.activePane, 1);
  EXPECT_EQ(CurrentExtras().layout.second.cursorRow, 10);
}

TEST_F(WorksheetFileTest, SavingKeepsABackupAndNeverLosesTheOldFile) {
  const std::string target = Path("plan.wks");
  PutNumber(0, 0, 1);
  ASSERT_TRUE(SaveWorksheet(Path("plan")));
  const std::vector<uint8_t> first = ReadBytes(target);
  ASSERT_FALSE(first.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("plan.wkb")));

  PutNumber(0, 0, 2);
  ASSERT_TRUE(SaveWorksheet(target));
  EXPECT_EQ(ReadBytes(Path("plan.wkb")), first);
  const std::vector<uint8_t> second = ReadBytes(target);
  EXPECT_NE(second, first);

  // A save that cannot write its data fails with the message and touches neither file.
  for (int row = 0; row < 3000; ++row) PutNumber(uint16_t(row), 1, row);
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved = SaveWorksheet(target);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(saved);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Unable to WRITE"}));
  EXPECT_TRUE(SheetModified());
  EXPECT_EQ(ReadBytes(target), second);
  EXPECT_EQ(ReadBytes(Path("plan.wkb")), first);
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2) << "no temporary file is left behind";

  // A directory that does not exist.
  Messages().clear();
  EXPECT_FALSE(SaveWorksheet(Path("missing/dir/plan")));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Unable to WRITE"}));

  // Backups off: the old version is simply replaced.
  SetWorksheetBackups(false);
  Messages().clear();
  ASSERT_TRUE(SaveWorksheet(Path("PLAN2")));
  ASSERT_TRUE(SaveWorksheet(Path("PLAN2")));
  EXPECT_TRUE(std::filesystem::exists(Path("PLAN2.WKS")));
  EXPECT_FALSE(std::filesystem::exists(Path("PLAN2.WKB")));
}

TEST_F(WorksheetFileTest, MissingFileAndRangeSaveAndMergeMode) {
  EXPECT_FALSE(LoadWorksheet(Path("nothing")));
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Unable to Open File"}));
  Messages().clear();

  PutNumber(0, 0, 1);
  PutNumber(5, 5, 2);
  PutNumber(9, 9, 3);
  ASSERT_NE(DefineName("KEEP", MakeRange(0, 0, 0, 0)), 0);
  const CellRange part = MakeRange(4, 4, 6, 6);
  ASSERT_TRUE(SaveWorksheet(Path("part"), &part));
  for (const Record& r : Records(ReadBytes(Path("part.wks")))) {
    EXPECT_NE(r.type, 0x0B) << "a range save writes no names";
  }
  NewSheet("MERGE.WKS");
  PutNumber(0, 0, 7);
  ASSERT_TRUE(LoadWorksheet(Path("part"), kLoadMergeCells));
  EXPECT_EQ(CellDouble(Cell(0, 0)), 7);
  EXPECT_EQ(CellDouble(Cell(5, 5)), 2);
  EXPECT_EQ(Cell(9, 9), nullptr);
  EXPECT_EQ(NameCount(), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WorksheetFileTest, ExhaustedMemoryStopsTheLoadAndKeepsWhatWasRead) {
  Bytes records;
  for (int row = 0; row < 4000; ++row) records.Rec(0x0E, CellHeader(0, uint16_t(row)).F64(row + 0.5));
  const Bytes file = ForeignFile(records);
  CloseAllWorksheets();
  ResetWorksheets();
  PoolReset(12);
  NewSheet("SMALL.WKS");
  EXPECT_FALSE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("Error at Record: ", 0), 0u);
  EXPECT_EQ(CellDouble(Cell(0, 0)), 0.5);
  std::string why;
  EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
  EXPECT_TRUE(CheckRowChains(&why)) << why;
}

TEST_F(WorksheetFileTest, AWorksheetInAReusedEntryStartsWithoutTheFormerExtras) {
  const SlotIndex first = NewSheet("FIRST.WKS");
  CurrentExtras().tabCaptions = {"Old"};
  CurrentExtras().layout.present = true;
  CloseWorksheet(Worksheet(first).heap);
  const SlotIndex second = NewSheet("SECOND.WKS");
  ASSERT_EQ(second, first);
  EXPECT_TRUE(CurrentExtras().tabCaptions.empty());
  EXPECT_FALSE(CurrentExtras().layout.present);
}

TEST_F(WorksheetFileTest, LinkedWorksheetsLoadOnceIntoHiddenSheets) {
  PutNumber(0, 0, 11);
  ASSERT_TRUE(SaveWorksheet(Path("linked")));
  const SlotIndex current = NewSheet("MAIN.WKS");
  const SlotIndex linked = LoadLinkedWorksheet(Path("linked"));
  ASSERT_NE(linked, 0);
  EXPECT_EQ(CurrentWorksheet(), current);
  EXPECT_EQ(LoadLinkedWorksheet(Path("LINKED.wks")), linked);
  ActivateWorksheet(linked);
  EXPECT_EQ(CellDouble(Cell(0, 0)), 11);
  ActivateWorksheet(current);
  EXPECT_EQ(LoadLinkedWorksheet(Path("absent")), 0);
  EXPECT_EQ(CurrentWorksheet(), current);
}

TEST_F(WorksheetFileTest, RecordListingShowsTypesNamesAndCells) {
  PutNumber(2, 1, 2.5);
  PutLabel(0, 0, "'Hi");
  PutFormula(0, 1, {0x01, 0xFF, 0xBF, 0x00, 0x80, 0x03}, 0);
  ASSERT_TRUE(SaveWorksheet(Path("list")));
  std::string listing;
  ASSERT_TRUE(ListWorksheetRecords(Path("list"), &listing));
  for (const char* expected : {"0000 BOF", "000F LABEL             9 A1 format FF \"'Hi\"",
                               "0010 FORMULA", "B1 format FF value 0 code CellRef BFFF:8000, End",
                               "000E NUMBER           13 B3 format FF 2.5", "framing 1A 00",
                               "X 0079 X-STAMP           2", "X 0001 EOF"}) {
    EXPECT_NE(listing.find(expected), std::string::npos) << expected << "\n" << listing;
  }
  EXPECT_FALSE(ListWorksheetRecords(Path("none"), &listing));
}

TEST_F(WorksheetFileTest, SavedFuzzInputsLoadWithoutHarm) {
  int files = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TALLIVO_TEST_DATA_DIR) + "/files/data")) {
    SCOPED_TRACE(entry.path().string());
    ++files;
    NewSheet(entry.path().filename().string());
    const std::vector<uint8_t> bytes = ReadBytes(entry.path().string());
    LoadWorksheetBytes(bytes.data(), bytes.size());
    const std::vector<uint8_t> again = WorksheetBytes();
    NewSheet(entry.path().filename().string() + ".again");
    LoadWorksheetBytes(again.data(), again.size());
    std::string why;
    EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
    EXPECT_TRUE(CheckRowChains(&why)) << why;
  }
  EXPECT_GT(files, 0);
}

}  // namespace

namespace {

class BigSheetFileTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    RegisterMathFunctions();
    RegisterSheetFunctions();
  }
  void TearDown() override {
    SetPoolLimit(kPoolDefaultLimit);
    FilesTest::TearDown();
  }
};

// Cells written column by column load into the same chains and values as row by row.
TEST_F(BigSheetFileTest, ColumnOrderedRecordsLoadAsRowOrderedOnes) {
  Bytes byRow, byColumn;
  for (uint16_t row = 0; row < 60; ++row) {
    for (uint16_t column = 0; column < 20; ++column) {
      byRow.Rec(0x0E, CellHeader(column, row).F64(row * 100 + column + 0.5));
    }
  }
  for (uint16_t column = 0; column < 20; ++column) {
    for (uint16_t row = 0; row < 60; ++row) {
      byColumn.Rec(0x0E, CellHeader(column, row).F64(row * 100 + column + 0.5));
    }
  }
  std::vector<std::string> dumps[2];
  int which = 0;
  for (const Bytes* records : {&byRow, &byColumn}) {
    NewSheet(which ? "COLUMNS.WKS" : "ROWS.WKS");
    const Bytes file = ForeignFile(*records);
    ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
    for (uint16_t row = 0; row < 60; ++row) {
      std::string line = DumpRowChain(row);
      for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
        line += ' ' + std::to_string(CellDouble(CellAt(h)));
      }
      dumps[which].push_back(line);
    }
    std::string why;
    EXPECT_TRUE(CheckRowChains(&why)) << why;
    ++which;
  }
  EXPECT_EQ(dumps[0], dumps[1]);
  EXPECT_EQ(dumps[1][59].substr(0, 16), "row 59: 0 1 2 3 ");
}

// A placeholder that a formula's range made is not written; loading makes it again.
TEST_F(BigSheetFileTest, PlaceholdersAreNotWrittenAndComeBackByLinking) {
  EnterCell("@SUM(A2..C4)", 0, 0);
  EnterCell("5", 2, 1);
  CellAt(GetOrCreateCell(3, 2))->format = 0xF2;  // a blank with a format of its own
  ASSERT_NE(GetCell(1, 0), 0u);
  ASSERT_TRUE(SaveWorksheet(Path("sum")));
  int blanks = 0;
  for (const Record& r : Records(ReadBytes(Path("sum.wks")))) blanks += r.type == 0x0C;
  EXPECT_EQ(blanks, 1);
  NewSheet(Path("sum"));
  ASSERT_TRUE(LoadWorksheet(Path("sum")));
  EXPECT_NE(GetCell(1, 0), 0u);  // made again by linking
  EXPECT_EQ(CellAt(GetCell(3, 2))->format, 0xF2);
  EnterCell("7", 1, 0);
  EXPECT_EQ(CellDouble(Cell(0, 0)), 12);
}

// The whole grid of numbers fits the pool; a small limit stops the same load with the message
// and an intact pool.
TEST_F(BigSheetFileTest, AFullGridLoadsAndASmallLimitStopsTheLoad) {
  for (uint32_t row = 0; row < uint32_t(kRowCount); ++row) {
    for (uint32_t column = 0; column < uint32_t(kColumnCount); ++column) {
      const CellHandle h = GetOrCreateCell(row, column);
      ASSERT_NE(h, 0u) << row << ' ' << column;
      StoreNumber(CellAt(h), row + column / 1000.0);
    }
  }
  ASSERT_TRUE(SaveWorksheet(Path("grid")));
  CloseAllWorksheets();
  ResetWorksheets();
  PoolReset();
  NewSheet(Path("grid"));
  ASSERT_TRUE(LoadWorksheet(Path("grid")));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(LastRow(), kRowCount - 1);
  EXPECT_EQ(LastColumn(), kColumnCount - 1);
  size_t cells = 0;
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) ++cells;
  }
  EXPECT_EQ(cells, size_t(kRowCount) * kColumnCount);
  EXPECT_EQ(CellNumber(Cell(8191, 255)), 8191.255);
  std::string why;
  EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;

  CloseAllWorksheets();
  ResetWorksheets();
  SetPoolLimit(64 * kPoolPageSize);
  PoolReset();
  EXPECT_EQ(PoolCapacity(), 64 * int64_t(kPoolPageSize));
  NewSheet(Path("grid"));
  EXPECT_FALSE(LoadWorksheet(Path("grid")));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("Error at Record: ", 0), 0u);
  EXPECT_EQ(CellNumber(Cell(0, 0)), 0);
  EXPECT_EQ(CellNumber(Cell(0, 1)), 0.001);
  EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
  EXPECT_TRUE(CheckRowChains(&why)) << why;
  EXPECT_GT(PoolFreeBytes(), 0);
}

}  // namespace

namespace {

class UndoPropertyTest : public BigSheetFileTest, public ::testing::WithParamInterface<uint32_t> {};

// Random changes of every kind, each one user action (entries, formats, widths, names and
// erasures made directly, and the block, sort, fill, replace, label and justify commands);
// undoing all of them gives the starting file byte for byte, and redoing all of them the file
// as it was right after the changes. Every formula reads only columns left of its own, and every
// copy and move keeps its columns, so that no change can make a circular reference (whose value
// would change at every recalculation, Undo or not).
TEST_P(UndoPropertyTest, RandomChangesUndoneGiveTheStartingFileBackByteForByte) {
  std::mt19937 random(GetParam());
  auto pick = [&random](int n) { return int(random() % uint32_t(n)); };
  // A starting sheet that no Undo reaches.
  EnterCell("1", 0, 0);
  EnterCell("@SUM(A1..D6)", 9, 4);
  EnterCell("'base", 3, 3);
  DefineName("BASE", MakeRange(0, 0, 2, 2));
  ASSERT_TRUE(SaveWorksheet(Path("start")));
  const std::vector<uint8_t> start = ReadBytes(Path("start.wks"));

  const char* const kTexts[] = {"7", "-2.5", "40000", "'left", "^mid", "+A1*2", "@SUM(A1..C4)",
                                "+B2+$A$1", "@IF(A1>2,\"big\",\"small\")", "@AVG(B1..B8)", "",
                                "\"a long label to justify", "'two words"};
  // A block of up to 3 x 4 cells inside A1..F12.
  auto block = [&pick]() {
    const uint16_t column = uint16_t(pick(5)), row = uint16_t(pick(10));
    return MakeRange(column, row, uint16_t(column + pick(2)), uint16_t(row + pick(3)));
  };
  std::string why;
  // The file as it is with each number of levels on the undo list.
  std::vector<std::vector<uint8_t>> states{start};
  for (int step = 0; step < 160; ++step) {
    SaveUndo();
    const uint32_t row = uint32_t(pick(8)), column = uint32_t(pick(5));
    const int kind = pick(16);
    switch (kind) {
      case 0:
      case 1: {
        // Formulas go to columns D and E, right of every cell they read.
        const char* text = kTexts[pick(int(std::size(kTexts)))];
        const bool formula = text[0] == '+' || text[0] == '@';
        EnterCell(text, row, formula ? 3 + column % 2 : column % 3);
        break;
      }
      case 2: {  // format or lock of a small range
        for (uint32_t r = row; r < row + 2; ++r) {
          const CellHandle existing = GetCell(r, column);
          NoteCellChange(existing);
          CellRecord* c = CellAt(existing ? existing : GetOrCreateCell(r, column));
          c->format = uint8_t(pick(2) ? (c->format & 0x80) | uint8_t(pick(0x7F)) : c->format ^ 0x80);
        }
        break;
      }
      case 3:
        NoteColumnWidth(column);
        CurrentLayout().columnWidth[column] = uint16_t(8 * (1 + pick(30)));
        NoteRowHeight(row);
        CurrentLayout().rowHeight[row] = uint16_t(10 + pick(30));
        break;
      case 4:
        if (pick(2)) {
          DefineName("N" + std::to_string(pick(4)), MakeRange(column, row, column + 1, row + 2));
        } else {
          DeleteName("N" + std::to_string(pick(4)));
        }
        break;
      case 5: {  // erase: contents gone, a cell formulas refer to stays blank
        const CellHandle h = GetCell(row, column);
        if (!h) break;
        NoteCellChange(h);
        CellRecord* c = CellAt(h);
        if ((c->kind & kKindMask) <= uint8_t(CellKind::kFormula) && !(c->kind & kKindFileForm)) {
          Unlink(h);  // an erroneous formula too
        }
        if ((c->kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
          PoolFree(CellStringResult(c), PoolTextSize(CellStringResult(c)));
        }
        FreeCellText(c);
        std::memset(c->value, 0, sizeof c->value);
        c->kind = uint8_t(CellKind::kBlank);
        if (!c->dependents) {
          GetCell(row, column);  // Unlink looked up other cells: find the predecessor again
          UnlinkCell(h, FoundPredecessor(), row);
          FreeCellRecord(h);
        }
        RecalculateAll();
        break;
      }
      case 6:
      case 7: {  // copy or move to other rows of the same columns
        const CellRange source = block();
        const uint16_t to = uint16_t(pick(12));
        CopyMove(kind == 7, source, MakeRange(source.firstColumn, to, source.firstColumn, to));
        break;
      }
      case 8:
        InsertDelete(MakeRange(0, uint16_t(row), 0, uint16_t(row + pick(2))), ShiftKind::kRows,
                     pick(2) != 0);
        break;
      case 9:
        InsertDelete(MakeRange(uint16_t(column), 0, uint16_t(column + pick(2)), 0),
                     ShiftKind::kColumns, pick(2) != 0);
        break;
      case 10: {
        const CellRange data = MakeRange(uint16_t(pick(3)), uint16_t(pick(4)), uint16_t(3 + pick(3)),
                                         uint16_t(6 + pick(6)));
        const uint16_t key = uint16_t(data.firstColumn + pick(2));
        SortRange(data, {MakeRange(key, 0, key, 0), MakeRange(uint16_t(key + 1), 0, uint16_t(key + 1), 0),
                         CellRange{}, CellRange{}},
                  {pick(2) != 0, pick(2) != 0, true, true});
        break;
      }
      case 11:
        FillSeries(block(), pick(2) ? FillType::kLinear : FillType::kMultiply, pick(2) != 0,
                   1 + pick(3), pick(50));
        break;
      case 12: {
        FindState state;
        state.findText = pick(2) ? "2" : "l";
        state.replaceText = pick(2) ? "3" : "L";
        ReplaceAll(state);
        break;
      }
      case 13:
        switch (pick(3)) {
          case 0: SetLabelPrefix(block(), pick(7) | (pick(2) ? kPrefixAlsoAlignment : 0)); break;
          case 1: ReplaceLabelPrefix(block(), "'^\""[pick(3)]); break;
          default: ConvertLabels(block(), pick(6)); break;
        }
        break;
      case 14:
        JustifyRange(MakeRange(0, uint16_t(row), 0, uint16_t(row + 3)), 40 + pick(80), pick(2) != 0,
                     pick(4) == 0);
        break;
      default:  // an action that changes nothing leaves no level
        break;
    }
    ASSERT_TRUE(CheckRowChains(&why)) << why << " at step " << step;
    ASSERT_TRUE(CheckDependencyLinks(&why)) << why << " at step " << step;
    EndUndoGroup();
    ASSERT_TRUE(SaveWorksheet(Path("step")));
    states.resize(size_t(UndoLevels()) + 1);
    states.back() = ReadBytes(Path("step.wks"));
  }
  const int levels = UndoLevels();
  EXPECT_GT(levels, 100);
  const std::vector<uint8_t> end = states.back();

  int undone = 0;
  while (RestoreUndo()) {
    ++undone;
    ASSERT_TRUE(CheckRowChains(&why)) << why << " after " << undone;
    ASSERT_TRUE(CheckDependencyLinks(&why)) << why << " after " << undone;
    ASSERT_TRUE(SaveWorksheet(Path("step")));
    ASSERT_TRUE(ReadBytes(Path("step.wks")) == states[size_t(levels - undone)])
        << "undo " << undone << " of " << levels;
  }
  EXPECT_EQ(undone, levels);
  ASSERT_TRUE(SaveWorksheet(Path("undone")));
  EXPECT_TRUE(ReadBytes(Path("undone.wks")) == start);
  int redone = 0;
  while (RestoreRedo()) {
    ++redone;
    ASSERT_TRUE(CheckRowChains(&why)) << why << " after redo " << redone;
    ASSERT_TRUE(CheckDependencyLinks(&why)) << why << " after redo " << redone;
  }
  EXPECT_EQ(redone, levels);
  ASSERT_TRUE(SaveWorksheet(Path("redone")));
  EXPECT_TRUE(ReadBytes(Path("redone.wks")) == end);
  EXPECT_TRUE(CheckPoolIntegrity(&why)) << why;
  for (const std::string& message : Messages()) EXPECT_NE(message, "Out of UNDO memory!");
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoPropertyTest, ::testing::Values(1414u, 7u, 2026u, 31337u));

}  // namespace
