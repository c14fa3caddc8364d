// Tests of the lookup, reference, link and database @-functions on small worksheet tables.
#include <string>

#include "core/address.h"
#include "core/format.h"
#include "core/number_settings.h"
#include "core/sheet_layout.h"
#include "sheet_functions_fixture.h"

namespace {

class LookupTest : public SheetFunctionTest {
 protected:
  void SetUp() override {
    SheetFunctionTest::SetUp();
    // A vertical table with numeric keys and a text column.
    Enter("A1", "10");
    Enter("B1", "'ten");
    Enter("C1", "100");
    Enter("A2", "20");
    Enter("B2", "'twenty");
    Enter("C2", "200");
    Enter("A3", "30");
    Enter("B3", "'thirty");
    Enter("C3", "300");
    // Text keys.
    Enter("E1", "'apple");
    Enter("F1", "1");
    Enter("E2", "'banana");
    Enter("F2", "2");
    Enter("E3", "'cherry");
    Enter("F3", "3");
    // Horizontal tables.
    Enter("A5", "1");
    Enter("B5", "2");
    Enter("C5", "3");
    Enter("A6", "'one");
    Enter("B6", "'two");
    Enter("C6", "'three");
    Enter("A8", "0");
    Enter("B8", "10");
    Enter("C8", "20");
    Enter("A9", "0");
    Enter("B9", "100");
    Enter("C9", "400");
  }

};

TEST_F(LookupTest, TablesFindTheLastKeyNotAboveX) {
  const TextCase kCases[] = {
      {__LINE__, "@VTABLE(5,A1..C3,1)", "ERR"},  // below the first key: no key
      {__LINE__, "@VTABLE(10,A1..C3,1)", "\"ten\""},
      {__LINE__, "@VTABLE(25,A1..C3,2)", "200"},
      {__LINE__, "@VTABLE(99,A1..C3,2)", "300"},
      {__LINE__, "@VTABLE(10,A1..C3,0)", "10"},
      {__LINE__, "@VTABLE(10,A1..C3,3)", "ERR"},  // outside the table
      {__LINE__, "@VTABLE(10,A1..C3,-1)", "ERR"},
      {__LINE__, "@VTABLE(10,A1..D3,3)", "\"\""},  // a position without a cell reads blank
      {__LINE__, "@VTABLE(\"b\",E1..F3,1)", "1"},  // apple <= b < banana
      {__LINE__, "@VTABLE(\"banana\",E1..F3,1)", "2"},
      {__LINE__, "@VTABLE(\"zzz\",E1..F3,1)", "3"},
      {__LINE__, "@VTABLE(\"a\",E1..F3,1)", "ERR"},
      {__LINE__, "@VTABLE(\"Banana\",E1..F3,1)", "ERR"},  // byte order: B before a
      {__LINE__, "@VTABLE(\"x\",A1..C3,1)", "ERR"},        // no text keys at all
      {__LINE__, "@VTABLE(15,E1..F3,1)", "ERR"},           // no number keys at all
      {__LINE__, "@HTABLE(2.5,A5..C6,1)", "\"two\""},
      {__LINE__, "@HTABLE(3,A5..C6,1)", "\"three\""},
      {__LINE__, "@HTABLE(0.5,A5..C6,1)", "ERR"},
      {__LINE__, "@HTABLE(2,A5..C6,2)", "ERR"},
      {__LINE__, "@VTABLE(10,5,1)", "ERR"},  // the table must be a range
  };
  ExpectShown(kCases, std::size(kCases));
}

TEST_F(LookupTest, InterpolationBetweenBracketingKeys) {
  const TextCase kCases[] = {
      {__LINE__, "@VTERP(25,A1..C3,2)", "250"},
      {__LINE__, "@VTERP(12.5,A1..C3,2)", "125"},
      {__LINE__, "@VTERP(20,A1..C3,2)", "200"},
      {__LINE__, "@VTERP(30,A1..C3,2)", "300"},  // exact match at the last key
      {__LINE__, "@VTERP(35,A1..C3,2)", "ERR"},  // no key above
      {__LINE__, "@VTERP(5,A1..C3,2)", "ERR"},   // no key below
      {__LINE__, "@VTERP(15,A1..C3,1)", "ERR"},  // the values are labels
      {__LINE__, "@VTERP(\"b\",E1..F3,1)", "ERR"},
      {__LINE__, "@HTERP(15,A8..C9,1)", "250"},
      {__LINE__, "@HTERP(2.5,A8..C9,1)", "25"},
      {__LINE__, "@HTERP(20,A8..C9,1)", "400"},
  };
  ExpectShown(kCases, std::size(kCases));
}

TEST_F(LookupTest, IndexColsRowsAndIndirectAddresses) {
  Name("TOP", "C3");
  const TextCase kCases[] = {
      {__LINE__, "@INDEX(A1..C3,1,1)", "10"},
      {__LINE__, "@INDEX(A1..C3,3,2)", "200"},
      {__LINE__, "@INDEX(A1..C3,2,3)", "\"thirty\""},
      {__LINE__, "@INDEX(A1..C3,4,1)", "ERR"},
      {__LINE__, "@INDEX(A1..C3,1,0)", "ERR"},
      {__LINE__, "@INDEX(A1..C3,1e300,1)", "ERR"},
      {__LINE__, "@INDEX(A1..D3,4,1)", "\"\""},
      {__LINE__, "@COLS(A1..C3)", "3"},
      {__LINE__, "@ROWS(A1..C3)", "3"},
      {__LINE__, "@ROWS(B7)", "1"},
      {__LINE__, "@COLS(3)", "ERR"},
      {__LINE__, "@@(\"A1\")", "10"},
      {__LINE__, "@@(\"b2\")", "\"twenty\""},
      {__LINE__, "@@(\"$C$3\")", "300"},
      {__LINE__, "@@(\"TOP\")", "300"},
      {__LINE__, "@@(\"Z99\")", "\"\""},
      {__LINE__, "@@(\"nonsense\")", "ERR"},
      {__LINE__, "@@(\"A0\")", "ERR"},
      {__LINE__, "@@(\"\")", "ERR"},
      {__LINE__, "@@(\"A1\"&\"\")+1", "11"},
  };
  ExpectShown(kCases, std::size(kCases));

  // Reading an address leaves the worksheet core's error flag as it was.
  RaiseError("before");
  EXPECT_EQ(Eval("@@(\"nonsense\")"), "ERR");
  EXPECT_TRUE(ErrorRaised());
  EXPECT_EQ(ErrorText(), "before");
  ClearError();
  EXPECT_EQ(Eval("@@(\"nonsense\")"), "ERR");
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(LookupTest, IsnumAndIsstrLookAtTheCellRead) {
  Enter("G1", "+\"a\"&\"b\"");
  Enter("G2", "+A1*2");
  const TextCase kCases[] = {
      {__LINE__, "@ISNUM(A1)", "1"},  {__LINE__, "@ISSTR(A1)", "0"},
      {__LINE__, "@ISNUM(B1)", "0"},  {__LINE__, "@ISSTR(B1)", "1"},
      {__LINE__, "@ISSTR(G1)", "1"},  {__LINE__, "@ISNUM(G2)", "1"},
      {__LINE__, "@ISNUM(Z50)", "0"}, {__LINE__, "@ISSTR(Z50)", "0"},
      {__LINE__, "@ISNUM(5)", "0"},  // nothing has been read
  };
  ExpectShown(kCases, std::size(kCases));
}

TEST_F(LookupTest, CellAttributes) {
  Enter("G1", "^centred");
  Enter("H1", "+A1*2");
  Enter("H2", "1.5");
  CurrentLayout().columnWidth[0] = 80;
  CurrentLayout().rowHeight[1] = 30;
  CellAt(At("C1"))->format = kFormatFixed | 2;
  const TextCase kCases[] = {
      {__LINE__, "@CELL(\"address\",G1)", "\"G1\""},
      {__LINE__, "@CELL(\"row\",G1..H5)", "1"},
      {__LINE__, "@CELL(\"col\",G1..H5)", "7"},
      {__LINE__, "@CELL(\"prefix\",G1)", "\"^\""},
      {__LINE__, "@CELL(\"prefix\",A1)", "\"\""},
      {__LINE__, "@CELL(\"contents\",H1)", "\"+A1*2\""},
      {__LINE__, "@CELL(\"contents\",G1)", "\"^centred\""},
      {__LINE__, "@CELL(\"type\",H1)", "1"},
      {__LINE__, "@CELL(\"type\",H2)", "2"},
      {__LINE__, "@CELL(\"type\",A1)", "3"},
      {__LINE__, "@CELL(\"type\",G1)", "4"},
      {__LINE__, "@CELL(\"type\",K20)", "5"},  // the reference made a blank cell
      {__LINE__, "@CELL(\"type\",@INDEX(A1..A2,1,1))", "ERR"},
      {__LINE__, "@CELL(\"width\",A1)", "10"},
      {__LINE__, "@CELL(\"width\",B1)", "8"},
      {__LINE__, "@CELL(\"height\",A2)", "30"},
      {__LINE__, "@CELL(\"height\",A1)", "15"},
      {__LINE__, "@CELL(\"format\",C1)", "\"F2\""},
      {__LINE__, "@CELL(\"FORMAT\",C1)", "\"F2\""},
      {__LINE__, "@CELL(\"xyz\",A1)", "ERR"},
      {__LINE__, "@CELL(\"ad\",A1)", "ERR"},
  };
  ExpectShown(kCases, std::size(kCases));

  TheHeadlessPlatform().cursor = PlatformCell{3, 4};  // D5
  EXPECT_EQ(Eval("@CELLPT(\"row\")"), "5");
  EXPECT_EQ(Eval("@CELLPT(\"col\")"), "4");
  EXPECT_EQ(Eval("@CELLPT(\"address\")"), "\"D5\"");
  EXPECT_EQ(Eval("@CELLPT(\"type\")"), "6");  // no cell at the cursor
  EXPECT_EQ(Eval("@CELLPT(\"contents\")"), "\"\"");
  TheHeadlessPlatform().cursor = PlatformCell{0, 1};  // A2
  EXPECT_EQ(Eval("@CELLPT(\"contents\")"), "\"20\"");
}

using LinkTest = SheetFunctionTest;

TEST_F(LinkTest, LinkedCellsGiveTheStoredValueOrNa) {
  const SlotIndex sheet = CurrentWorksheet();
  EXPECT_EQ(Eval("@LINK(\"data.wks>B:A7\")"), "\"N/A\"");
  ASSERT_EQ(LinkTable(sheet).size(), 1u);
  EXPECT_EQ(LinkTable(sheet)[0].fileName, "data.wks");
  ASSERT_EQ(LinkTable(sheet)[0].cells.size(), 1u);
  const LinkedCell& cell = LinkTable(sheet)[0].cells[0];
  EXPECT_EQ(cell.page, 1);
  EXPECT_EQ(cell.row, 6);
  EXPECT_EQ(cell.column, 0);

  EXPECT_TRUE(StoreLinkedNumber(sheet, "DATA.WKS", 1, 6, 0, 42));
  EXPECT_EQ(Eval("@LINK(\"data.wks>B:A7\")"), "42");
  EXPECT_EQ(Eval("@LINK(\"DATA.WKS>b:$a$7\")"), "42");  // the same file and cell
  EXPECT_TRUE(StoreLinkedString(sheet, "data.wks", 1, 6, 0, "text"));
  EXPECT_EQ(Eval("@LINK(\"data.wks>B:A7\")"), "\"text\"");
  EXPECT_FALSE(StoreLinkedNumber(sheet, "data.wks", 0, 6, 0, 1));  // not linked
  EXPECT_FALSE(StoreLinkedNumber(sheet, "other.wks", 1, 6, 0, 1));
  ASSERT_EQ(LinkTable(sheet).size(), 1u);
  EXPECT_EQ(LinkTable(sheet)[0].cells.size(), 1u);

  Enter("A1", "@LINK(\"other.wks>C2\")+1");
  EXPECT_EQ(Shown("A1"), "1");  // the string "N/A" counts as 0
  EXPECT_TRUE(StoreLinkedNumber(sheet, "other.wks", 0, 1, 2, 9));
  Enter("A2", "@LINK(\"other.wks>C2\")+1");
  EXPECT_EQ(Shown("A2"), "10");

  ForgetLinkTable(sheet);
  EXPECT_TRUE(LinkTable(sheet).empty());
}

TEST_F(LinkTest, LinkedCellsAreKeptInPageRowColumnOrder) {
  for (const char* text : {"f>C2", "f>A1", "f>AB:A1", "f>B:Z9", "f>A1", "f>B2"}) {
    EXPECT_EQ(Eval(std::string("@LINK(\"") + text + "\")"), "\"N/A\"") << text;
  }
  const auto& cells = LinkTable(CurrentWorksheet())[0].cells;
  ASSERT_EQ(cells.size(), 5u);
  const int kExpected[][3] = {{0, 0, 0}, {0, 1, 1}, {0, 1, 2}, {1, 8, 25}, {27, 0, 0}};
  for (size_t i = 0; i < cells.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cells[i].page, kExpected[i][0]);
    EXPECT_EQ(cells[i].row, kExpected[i][1]);
    EXPECT_EQ(cells[i].column, kExpected[i][2]);
  }
}

TEST_F(LinkTest, LinkTextNeedsAFileAndAnAddress) {
  struct Case {
    int line;
    const char* text;
    bool ok;
    int page, row, column;
  };
  const Case kCases[] = {
      {__LINE__, "budget.wks>A1", true, 0, 0, 0},
      {__LINE__, "f>$IV$8192", true, 0, 8191, 255},
      {__LINE__, "f>Z:B3", true, 25, 2, 1},
      {__LINE__, "f>BA:B3", true, 52, 2, 1},
      {__LINE__, "f>IW1", false, 0, 0, 0},
      {__LINE__, "f>A8193", false, 0, 0, 0},
      {__LINE__, "f>A0", false, 0, 0, 0},
      {__LINE__, "f>A", false, 0, 0, 0},
      {__LINE__, "f>A1x", false, 0, 0, 0},
      {__LINE__, "f>ABC:A1", false, 0, 0, 0},
      {__LINE__, ">A1", false, 0, 0, 0},
      {__LINE__, "A1", false, 0, 0, 0},
      {__LINE__, "", false, 0, 0, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    std::string file;
    uint16_t page = 0, row = 0, column = 0;
    ASSERT_EQ(ParseLinkText(c.text, &file, &page, &row, &column), c.ok);
    if (!c.ok) {
      EXPECT_EQ(Eval(std::string("@LINK(\"") + c.text + "\")"), "ERR");
      continue;
    }
    EXPECT_EQ(page, c.page);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(column, c.column);
  }
}

class DatabaseTest : public SheetFunctionTest {
 protected:
  void SetUp() override {
    SheetFunctionTest::SetUp();
    // Keys 1..5 in A11..A15 with amounts 10..50 beside them, and a label below.
    for (int i = 1; i <= 5; ++i) {
      Enter("A" + std::to_string(10 + i), std::to_string(i));
      Enter("B" + std::to_string(10 + i), std::to_string(10 * i));
    }
    Enter("A16", "'total");
    Enter("B16", "999");
    Enter("D1", "3");
  }
};

TEST_F(DatabaseTest, StatisticsOverTheSelectedCells) {
  const TextCase kCases[] = {
      {__LINE__, "@QSUM(\"@X>2\",A11..A16,1)", "120"},
      {__LINE__, "@QSUM(@X>2,A11..A16,1)", "120"},  // the criterion as written
      {__LINE__, "@QCOUNT(@X>2,A11..A16,1)", "3"},
      {__LINE__, "@QAVG(@X>2,A11..A16,1)", "40"},
      {__LINE__, "@QMIN(@X>2,A11..A16,1)", "30"},
      {__LINE__, "@QMAX(@X>2,A11..A16,1)", "50"},
      {__LINE__, "@QVAR(@X>2,A11..A16,1)", "66.6666666666667"},
      {__LINE__, "@QSTD(@X>=2#AND#@X<=3,A11..A16,1)", "5"},
      {__LINE__, "@QSUM(\"@X>=4\",A11..A15,0)", "9"},
      {__LINE__, "@QSUM(\"@X>$D$1\",A11..A15,1)", "90"},  // criteria may read cells
      {__LINE__, "@QCOUNT(@X>10,A11..A15,1)", "0"},
      {__LINE__, "@QMIN(@X>10,A11..A15,1)", "0"},
      {__LINE__, "@QMAX(@X>10,A11..A15,1)", "0"},
      {__LINE__, "@QAVG(@X>10,A11..A15,1)", "ERR"},
      {__LINE__, "@QVAR(@X>10,A11..A15,1)", "ERR"},
      {__LINE__, "@QSUM(@X>2,A11..A15,1)+@QCOUNT(@X<2,A11..A15,1)", "121"},
      {__LINE__, "@QVIEW(0)+@QSUM(@X>2,A11..A15,1)", "220"},  // @QVIEW is no database call
      {__LINE__, "@QCOUNT(@X>2#AND#\"a,b)\"=\"a,b)\",A11..A15,1)", "3"},
      {__LINE__, "@QSUM((@X>1)*(@X<5),A11..A15,1)", "90"},
      {__LINE__, "@QSUM(@QCOUNT(@X>2,A11..A15,1)>0,A11..A12,1)", "30"},
      {__LINE__, "@QSUM(\"@X>\",A11..A15,1)", "ERR"},  // does not compile
      {__LINE__, "@QSUM(\"1\",A11..A15,-1)", "ERR"},   // left of column A
      {__LINE__, "@QSUM(\"1\",A11..A15,256)", "ERR"},  // right of column IV
      {__LINE__, "@QSUM(\"1\",A11..A15,255)", "0"},    // column IV holds nothing
      {__LINE__, "@QSUM(\"1\",5,1)", "ERR"},
      {__LINE__, "@QSUM(\"1/@X\",A11..A15,1)", "150"},
  };
  ExpectShown(kCases, std::size(kCases));
  EXPECT_EQ(Eval("@X"), "0");  // the tested values do not stay behind
}

TEST_F(DatabaseTest, SelectedErrorCellsMakeTheResultErr) {
  Enter("B13", "@ERR");
  EXPECT_EQ(Eval("@QSUM(@X=3,A11..A15,1)"), "ERR");
  EXPECT_EQ(Eval("@QSUM(@X<3,A11..A15,1)"), "30");  // the error cell is not selected
  // A criterion that is ERR for a cell does not select it.
  Enter("A12", "0");
  EXPECT_EQ(Eval("@QSUM(\"1/@X>0\",A11..A12,1)"), "10");
}

TEST_F(DatabaseTest, CriterionTextFollowsTheArgumentSeparator) {
  NumberFormatSettings().decimalSeparator = ',';
  EXPECT_EQ(Eval("@QSUM(@X>2;A11..A16;1)"), "120");
  EXPECT_EQ(Eval("@QSUM(@X>2,5;A11..A16;1)"), "120");
}

TEST_F(DatabaseTest, ADatabaseFormulaInACellComputes) {
  Enter("C1", "@QSUM(@X>2,A11..A16,1)");
  EXPECT_EQ(Shown("C1"), "120");
  Enter("A15", "0");
  EXPECT_EQ(Shown("C1"), "70");  // recalculated as a dependent of the range
}

}  // namespace
