// tests/commands/print_commands_test.cpp — print jobs and the print settings commands.
#include "commands/print_commands.h"

#include <vector>

#include "commands/sheet_fixture.h"
#include "core/global_options.h"
#include "core/worksheets.h"
#include "platform/headless/headless_platform.h"

namespace {

class PrintCommandsTest : public SheetFixture {};

TEST_F(PrintCommandsTest, OptionsApplyAllOrNothing) {
  struct Case {
    int line;
    const char* text;
    bool done;
    bool grid, frame, mono, landscape, headerRule, footerRule;
    int scale;
  };
  // Start: grid on, no frame, mono, portrait, no rules, scale 100.
  const Case kCases[] = {
      {__LINE__, "GN,AY,MN,LY,HY,FY,S75", true, false, true, false, true, true, true, 75},
      {__LINE__, "ay, s400", true, true, true, true, false, false, false, 400},
      {__LINE__, "S10", true, true, false, true, false, false, false, 10},
      {__LINE__, "", true, true, false, true, false, false, false, 100},
      // Any bad item leaves everything as it was.
      {__LINE__, "AY,S9", false, true, false, true, false, false, false, 100},
      {__LINE__, "AY,S401", false, true, false, true, false, false, false, 100},
      {__LINE__, "AY,GX", false, true, false, true, false, false, false, 100},
      {__LINE__, "AY,Q", false, true, false, true, false, false, false, 100},
      {__LINE__, "AYES", false, true, false, true, false, false, false, 100},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    EXPECT_EQ(SetPrintOptions(c.text, ',').Done(), c.done);
    const GlobalOptions& o = Options();
    EXPECT_EQ(PrintShowsGrid(), c.grid);
    EXPECT_EQ(o.printFrame(), c.frame);
    EXPECT_EQ(o.printMono(), c.mono);
    EXPECT_EQ(o.landscape(), c.landscape);
    EXPECT_EQ(o.headerRule(), c.headerRule);
    EXPECT_EQ(o.footerRule(), c.footerRule);
    EXPECT_EQ(o.printScale(), c.scale);
  }
}

TEST_F(PrintCommandsTest, JobsGoToTheInstalledPrinter) {
  Enter("C4", "1");
  std::vector<PrintJob> jobs;
  // Without a printer: "No Printer".
  EXPECT_FALSE(PrintUsedArea().Done());
  EXPECT_EQ(TheHeadlessPlatform().messages, std::vector<std::string>{"No Printer"});
  SetPrintJobPrinter([&](const PrintJob& job) {
    jobs.push_back(job);
    return true;
  });
  SetPrintShowsGrid(false);
  EXPECT_TRUE(PrintUsedArea().Done());
  EXPECT_TRUE(PrintCellRange(MakeRange(2, 5, 0, 1)).Done());
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(RangeText(jobs[0].range), "A1..C4");
  EXPECT_FALSE(jobs[0].showGrid);
  // The range is stored ordered as the print range.
  EXPECT_EQ(RangeText(jobs[1].range), "A2..C6");
  EXPECT_EQ(RangeText(Options().printRange()), "A2..C6");
  // A sheet without named graphs prints nothing.
  EXPECT_TRUE(PrintGraphByName("ANY").Done());
  EXPECT_EQ(jobs.size(), 2u);
}

TEST_F(PrintCommandsTest, SettingsAreOneUndoableChangeEach) {
  ASSERT_TRUE(SetPrintHeader("top", 1).Done());
  ASSERT_TRUE(SetPrintHeader("top 2", -1).Done());
  ASSERT_TRUE(SetPrintMargins(1, -1, -1, 2).Done());
  EXPECT_EQ(Options().header(), "top 2");
  EXPECT_TRUE(Options().headerRule());
  EXPECT_EQ(Options().margin(GlobalOptions::kTopMargin), 1);
  EXPECT_EQ(Options().margin(GlobalOptions::kLeftMargin), 0.5);
  EXPECT_EQ(Options().margin(GlobalOptions::kBottomMargin), 2);
  EXPECT_TRUE(SheetModified());
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Options().margin(GlobalOptions::kTopMargin), 0.5);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Options().header(), "top");
}

}  // namespace
