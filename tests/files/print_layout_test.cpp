// tests/files/print_layout_test.cpp — page layout, header and footer codes, print to text.
#include "files/print_layout.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/format.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "files/atomic_file.h"
#include "files/files_fixture.h"

namespace {

class PrintLayoutTest : public FilesTest {
 protected:
  static std::string Rows(const PrintedPage& p) {
    std::string out;
    for (uint32_t r : p.rows) out += (out.empty() ? "" : ",") + std::to_string(r + 1);
    return out;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // A setup with margins of `inches` all round.
  static PageSetup Setup(const CellRange& r, double inches = 0.5) {
    PageSetup s;
    s.range = r;
    s.topMargin = s.leftMargin = s.rightMargin = s.bottomMargin = inches;
    return s;
  }
};

TEST_F(PrintLayoutTest, GeometryFollowsTheUnitArithmetic) {
  struct Case {
    int line;
    double margin;
    int scale, points;
    PageSize page;
    int edge, h, usableWidth, usableHeight;
  };
  const Case kCases[] = {
      // Letter, half an inch: 48 units; H = 16 at 12 points.
      {__LINE__, 0.5, 100, 12, {816, 1056}, 48, 16, 720, 1056 - 96 - 64},
      // Margins truncate: 0.33 inch is 31.68 units.
      {__LINE__, 0.33, 100, 12, {816, 1056}, 31, 16, 816 - 62, 1056 - 62 - 64},
      // Scale 50 halves H; 87 % truncates 13.92 to 13; 10 points are 13.33 units.
      {__LINE__, 0.5, 50, 12, {816, 1056}, 48, 8, 720, 1056 - 96 - 32},
      {__LINE__, 0.5, 87, 12, {816, 1056}, 48, 13, 720, 1056 - 96 - 52},
      {__LINE__, 0.5, 100, 10, {816, 1056}, 48, 13, 720, 1056 - 96 - 52},
      // A landscape page.
      {__LINE__, 1, 100, 12, {1056, 816}, 96, 16, 864, 816 - 192 - 64},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    PageSetup s = Setup(MakeRange(0, 0, 0, 0), c.margin);
    s.scale = c.scale;
    s.fontPoints = c.points;
    const PageLayout l = LayOutPages(s, c.page);
    EXPECT_FALSE(l.marginsTooLarge);
    EXPECT_EQ(l.top, c.edge);
    EXPECT_EQ(l.left, c.edge);
    EXPECT_EQ(l.lineHeight, c.h);
    EXPECT_EQ(l.usableWidth, c.usableWidth);
    EXPECT_EQ(l.usableHeight, c.usableHeight);
    EXPECT_EQ(l.BodyTop(), c.edge + 2 * c.h);
  }
}

TEST_F(PrintLayoutTest, MarginsThatLeaveNoRoomPrintNothing) {
  EnterCell("1", 0, 0);
  struct Case {
    int line;
    double top, left;
    bool tooLarge;
  };
  const Case kCases[] = {
      {__LINE__, 5.0, 0.5, false},   // 1056 - 480 - 48 - 64 = 464: fits
      {__LINE__, 10.0, 0.5, true},   // 1056 - 960 - 48 - 64 < 0
      {__LINE__, 0.5, 8.0, true},    // 816 - 768 - 48 = 0
      {__LINE__, 0.5, 7.9, false},   // 816 - 758 - 48 = 10
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    PageSetup s = Setup(MakeRange(0, 0, 0, 0));
    s.topMargin = c.top;
    s.leftMargin = c.left;
    const PageLayout l = LayOutPages(s, PageSize{});
    EXPECT_EQ(l.marginsTooLarge, c.tooLarge);
    EXPECT_EQ(l.pages.empty(), c.tooLarge);
  }
}

TEST_F(PrintLayoutTest, StripsAndPagesFillTheUsableArea) {
  // Default widths 64, heights 15: 720 / 64 = 11 columns a strip; 896 / 15 = 59 rows a page.
  const PageLayout l = LayOutPages(Setup(MakeRange(0, 0, 19, 99)), PageSize{});
  ASSERT_EQ(l.pages.size(), 4u);
  EXPECT_EQ(l.pages[0].firstColumn, 0u);
  EXPECT_EQ(l.pages[0].lastColumn, 10u);
  EXPECT_EQ(l.pages[0].rows.size(), 59u);
  EXPECT_EQ(l.pages[1].rows.front(), 59u);
  EXPECT_EQ(l.pages[1].rows.back(), 99u);
  EXPECT_EQ(l.pages[2].firstColumn, 11u);
  EXPECT_EQ(l.pages[2].lastColumn, 19u);
  EXPECT_EQ(Rows(l.pages[3]), Rows(l.pages[1]));
}

TEST_F(PrintLayoutTest, OversizedColumnsAndRowsStillTakeOneEach) {
  // A column wider and a row taller than the usable area: one of each per page, no endless pages.
  CurrentLayout().columnWidth[1] = 2000;
  CurrentLayout().rowHeight[1] = 2000;
  const PageLayout l = LayOutPages(Setup(MakeRange(0, 0, 2, 2)), PageSize{});
  std::vector<std::string> got;
  for (const PrintedPage& p : l.pages) {
    got.push_back(ColumnLetters(p.firstColumn) + ".." + ColumnLetters(p.lastColumn) + " " +
                  Rows(p));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"A..A 1", "A..A 2", "A..A 3", "B..B 1", "B..B 2",
                                           "B..B 3", "C..C 1", "C..C 2", "C..C 3"}));
}

TEST_F(PrintLayoutTest, BorderRowsAndColumnsTakeTheirRoomOnEveryPage) {
  Options().setBorderRows(MakeRange(0, 0, 0, 9));      // 10 rows: 150 units
  Options().setBorderColumns(MakeRange(0, 0, 4, 0));   // 5 columns: 320 units
  const PageLayout l = LayOutPages(SheetPageSetup(MakeRange(5, 10, 19, 199)), PageSize{});
  EXPECT_EQ(l.borderRows.size(), 10u);
  EXPECT_EQ(l.borderColumns.size(), 5u);
  ASSERT_FALSE(l.pages.empty());
  // (720 - 320) / 64 = 6 columns; (896 - 150) / 15 = 49 rows.
  EXPECT_EQ(l.pages[0].firstColumn, 5u);
  EXPECT_EQ(l.pages[0].lastColumn, 10u);
  EXPECT_EQ(l.pages[0].rows.size(), 49u);
  EXPECT_EQ(l.pages[0].rows.front(), 10u);
}

TEST_F(PrintLayoutTest, PageBreakAndHiddenRowsFollowTheFirstColumn) {
  struct Case {
    int line;
    std::vector<std::pair<uint32_t, const char*>> labels;  // row, entry in column A
    std::vector<std::string> pages;
  };
  const Case kCases[] = {
      {__LINE__, {{2, "|::"}}, {"1,2", "4,5,6"}},
      // "|x" hides its row, "|Ok" and "|ok" print; a label in column B means nothing.
      {__LINE__, {{1, "|x"}, {3, "|Ok"}, {4, "|ok"}}, {"1,3,4,5,6"}},
      // A page break on a page with no row yet gives no empty page.
      {__LINE__, {{0, "|::"}, {1, "|::"}, {3, "|::"}, {5, "|::"}}, {"3", "5"}},
      {__LINE__, {{0, "|x"}, {1, "|x"}, {2, "|x"}, {3, "|x"}, {4, "|x"}, {5, "|x"}}, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    UseTestEngineLayers();
    NewSheet("BREAKS.WKS");
    for (uint32_t row = 0; row < 6; ++row) EnterCell("'" + std::to_string(row + 1), row, 1);
    EnterCell("|x", 2, 1);
    for (const auto& [row, text] : c.labels) EnterCell(text, row, 0);
    const PageLayout l = LayOutPages(Setup(MakeRange(0, 0, 1, 5)), PageSize{});
    std::vector<std::string> got;
    for (const PrintedPage& p : l.pages) got.push_back(Rows(p));
    EXPECT_EQ(got, c.pages);
  }
}

TEST_F(PrintLayoutTest, PageBreaksHoldInEveryStrip) {
  EnterCell("|::", 1, 0);
  CurrentLayout().columnWidth[1] = 700;
  const PageLayout l = LayOutPages(Setup(MakeRange(0, 0, 1, 2)), PageSize{});
  std::vector<std::string> got;
  for (const PrintedPage& p : l.pages) got.push_back(ColumnLetters(p.firstColumn) + Rows(p));
  EXPECT_EQ(got, (std::vector<std::string>{"A1", "A3", "B1", "B3"}));
}

TEST_F(PrintLayoutTest, CodesExpandInOneScan) {
  PrintCodeValues v;
  v.page = 3;
  v.date = "09-Dec-2026";
  v.time = "21:30:00";
  v.fileName = "BUDGET.WKS";
  struct Case {
    int line;
    const char* text;
    const char* fileName;
    const char *left, *centre, *right;
  };
  const Case kCases[] = {
      {__LINE__, "Page #|^F|^D", "BUDGET.WKS", "Page 3", "BUDGET.WKS", "09-Dec-2026"},
      {__LINE__, "Report", "BUDGET.WKS", "", "Report", ""},
      {__LINE__, "# of #", "BUDGET.WKS", "", "3 of 3", ""},
      {__LINE__, "left|right", "BUDGET.WKS", "left", "", "right"},
      {__LINE__, "a|b|c|d", "BUDGET.WKS", "a", "b", "c|d"},
      {__LINE__, "@ ^T ^P ^X ^", "BUDGET.WKS", "", "09-Dec-2026 21:30:00 3 ^X ^", ""},
      // Inserted texts are not scanned again: a "#" or "^F" in the file name stays.
      {__LINE__, "^F", "NO#1.WKS", "", "NO#1.WKS", ""},
      {__LINE__, "^F|^F", "^F^F.WKS", "^F^F.WKS", "", "^F^F.WKS"},
      {__LINE__, "", "BUDGET.WKS", "", "", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    v.fileName = c.fileName;
    const PrintTextParts p = ExpandPrintCodes(c.text, v);
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.centre, c.centre);
    EXPECT_EQ(p.right, c.right);
  }
}

TEST_F(PrintLayoutTest, CurrentValuesTakeTheClockAndTheSheetName) {
  ResetEngineState();
  UseTestEngineLayers();
  NewSheet("/tmp/some/dir/BUDGET.WKS");
  TheHeadlessPlatform().fixedTime = true;
  TheHeadlessPlatform().time = std::tm{};
  TheHeadlessPlatform().time.tm_year = 96;
  TheHeadlessPlatform().time.tm_mon = 11;
  TheHeadlessPlatform().time.tm_mday = 8;
  TheHeadlessPlatform().time.tm_hour = 15;
  TheHeadlessPlatform().time.tm_min = 7;
  TheHeadlessPlatform().time.tm_sec = 9;
  const PrintTextParts p = ExpandPrintCodes("Page #|^F|^D ^T", CurrentPrintCodeValues(3));
  EXPECT_EQ(p.left, "Page 3");
  EXPECT_EQ(p.centre, "BUDGET.WKS");
  EXPECT_EQ(p.right, "08-Dec-1996 15:07:09");
}

TEST_F(PrintLayoutTest, NewSheetsTakeThePrintDefaults) {
  const GlobalOptions& o = Options();
  EXPECT_EQ(o.printScale(), 100);
  EXPECT_TRUE(o.printMono());
  EXPECT_FALSE(o.printFrame());
  EXPECT_FALSE(o.landscape());
  EXPECT_EQ(o.margin(GlobalOptions::kBottomMargin), 0.5);
  DefaultOptions().setPrintFrame(true);
  DefaultOptions().setLandscape(true);
  NewSheet("SECOND.WKS");
  EXPECT_TRUE(Options().printFrame());
  EXPECT_TRUE(Options().landscape());
  EXPECT_EQ(BatchPageSize().width, kLetterHeight);
}

TEST_F(PrintLayoutTest, PrintSettingsSurviveAFile) {
  GlobalOptions& o = Options();
  o.setPrintScale(75);
  o.setLandscape(true);
  o.setPrintFrame(true);
  o.setPrintMono(false);
  o.setHeaderRule(true);
  o.setFooterRule(false);
  o.setPrintRange(MakeRange(0, 0, 3, 9));
  RoundTrip();
  const GlobalOptions& r = Options();
  EXPECT_EQ(r.printScale(), 75);
  EXPECT_TRUE(r.landscape());
  EXPECT_TRUE(r.printFrame());
  EXPECT_FALSE(r.printMono());
  EXPECT_TRUE(r.headerRule());
  EXPECT_FALSE(r.footerRule());
  EXPECT_EQ(RangeText(r.printRange()), "A1..D10");
}

TEST_F(PrintLayoutTest, TextLinesAreWholeAndTrimmed) {
  CurrentLayout().columnWidth[0] = 72;  // 72 / 8 + 2 = 11 characters
  EnterCell("'abc", 0, 0);
  EnterCell("12", 0, 1);
  EnterCell("|::", 2, 0);
  const std::string text = PrintRangeText(MakeRange(0, 0, 1, 2));
  // Row 2 is blank: an empty line. The page-break label is written as it shows.
  EXPECT_EQ(text, "abc" + std::string(15, ' ') + "12\n\n::\n");

  // 40 columns of 10 characters: a 400-character line, nothing cut.
  for (uint32_t c = 0; c < 40; ++c) EnterCell("'col" + std::to_string(c), 5, c);
  const std::string wide = PrintRangeText(MakeRange(0, 5, 39, 5));
  EXPECT_NE(wide.find("col39\n"), std::string::npos);
  EXPECT_GT(wide.size(), 390u);
}

TEST_F(PrintLayoutTest, PrintToTextWritesOrKeepsTheOldFile) {
  EnterCell("'x", 0, 0);
  ASSERT_TRUE(PrintRangeToText(Path("out.prn"), MakeRange(0, 0, 0, 0)));
  EXPECT_EQ(Read(Path("out.prn")), "x\n");
  SetAtomicWriteFault(0);
  Messages().clear();
  EnterCell("'y", 0, 0);
  EXPECT_FALSE(PrintRangeToText(Path("out.prn"), MakeRange(0, 0, 0, 0)));
  ResetAtomicFileFault();
  EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to WRITE"});
  EXPECT_EQ(Read(Path("out.prn")), "x\n");
  // An undefined range writes nothing.
  EXPECT_TRUE(PrintRangeToText(Path("none.prn"), NoRange()));
  EXPECT_FALSE(std::filesystem::exists(Path("none.prn")));
}

TEST_F(PrintLayoutTest, TextFileNamesGetAnExtension) {
  const std::pair<const char*, const char*> kCases[] = {
      {"budget", "budget.prn"},       {"BUDGET", "BUDGET.PRN"},
      {"out.txt", "out.txt"},         {"dir.v2/report", "dir.v2/report.prn"},
      {"Mixed1", "Mixed1.prn"},       {"./a.b/C", "./a.b/C.PRN"},
  };
  for (const auto& [name, expected] : kCases) EXPECT_EQ(PrintFileName(name), expected) << name;
}

TEST_F(PrintLayoutTest, PrintAllIsTheUsedArea) {
  EXPECT_FALSE(RangeIsValid(UsedPrintRange()));
  EnterCell("1", 4, 2);
  EXPECT_EQ(RangeText(UsedPrintRange()), "A1..C5");
  EXPECT_EQ(RangeText(DefaultPrintRange()), "A1..C5");
  Options().setPrintRange(MakeRange(1, 1, 1, 1));
  EXPECT_EQ(RangeText(DefaultPrintRange()), "B2");
}

}  // namespace
