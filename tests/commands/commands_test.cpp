// tests/commands/commands_test.cpp — the command path: protection, Undo, results, files, links.
#include "commands/commands.h"
#include "formula/recalc.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/names.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/worksheet_file.h"
#include "platform/headless/headless_platform.h"

namespace {

class CommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    sheet_ = NewWorksheet("SHEET1.WKS");
    ASSERT_NE(sheet_, 0);
    char pattern[] = "/tmp/tallivo-commands-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    ResetEngineState();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static CellRange Range(const char* text) { return ParseRange(text); }
  static const CellRecord* Cell(const char* ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellAt(h) : nullptr;
  }
  static double Number(const char* ref) {
    const CellRecord* c = Cell(ref);
    return c ? CellNumber(c) : -1;
  }
  static void Enter(const char* ref, const char* text) {
    const ParsedCell p = ParseCellRef(ref);
    ASSERT_TRUE(EnterIntoCell(p.row, p.column, text).Done()) << ref << " " << text;
  }
  // The current sheet as a file would hold it: cells, attributes, widths and heights.
  static std::string WorksheetBytesText() {
    const std::vector<uint8_t> bytes = WorksheetBytes();
    return std::string(bytes.begin(), bytes.end());
  }
  static std::vector<std::string>& Messages() { return TheHeadlessPlatform().messages; }
  std::string Path(const char* name) const { return dir_ + "/" + name; }

  SlotIndex sheet_ = 0;
  std::string dir_;
};

TEST_F(CommandsTest, ALockedCellUnderProtectionRefusesEntryWithItsResult) {
  Enter("A1", "7");
  ASSERT_TRUE(SetSheetProtection(true).Done());
  SetSheetModified(false);
  const CommandResult r = EnterIntoCell(0, 0, "8");
  EXPECT_EQ(r.status, CommandStatus::kProtected);
  EXPECT_EQ(r.message, "Protected Cell");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Protected Cell"}));
  EXPECT_EQ(Number("A1"), 7);
  EXPECT_FALSE(SheetModified());
  // An empty position is locked too; an unlocked cell takes the entry.
  EXPECT_EQ(EnterIntoCell(4, 4, "1").status, CommandStatus::kProtected);
  ASSERT_TRUE(SetSheetProtection(false).Done());
  ASSERT_TRUE(SetRangeLock(Range("B2"), false).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  EXPECT_TRUE(EnterIntoCell(1, 1, "5").Done());
  EXPECT_EQ(Number("B2"), 5);
}

TEST_F(CommandsTest, AFormulaThatDoesNotCompileGivesItsMessage) {
  const CommandResult r = EnterIntoCell(0, 0, "+A2+");
  EXPECT_EQ(r.status, CommandStatus::kFormulaError);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(r.message, Messages().front());
  EXPECT_EQ(Cell("A1"), nullptr);
}

TEST_F(CommandsTest, EveryChangingCommandCanBeUndone) {
  struct Case {
    int line;
    std::function<CommandResult()> command;
  };
  const Case kCases[] = {
      {__LINE__, [] { return SetRangeFormat(Range("A1..B2"), kFormatCurrency | 2); }},
      {__LINE__, [] { return SetRangeAlignment(Range("A1"), 3); }},
      {__LINE__, [] { return SetRangeStyle(Range("A1..C1"), kStyleBold | kStyleItalic, true); }},
      {__LINE__, [] { return SetRangeFont(Range("A1"), 3); }},
      {__LINE__, [] { return StepRangeFontSize(Range("A1..A2"), 2, 10); }},
      {__LINE__, [] { return SetRangeTextColour(Range("A1"), 4); }},
      {__LINE__, [] { return SetRangeShade(Range("A1"), 1, 2, 3); }},
      {__LINE__, [] { return SetRangeLock(Range("A1..A3"), false); }},
      {__LINE__, [] { return EraseRange(Range("A1..B1")); }},
      {__LINE__, [] { return SetColumnWidth(1, 80); }},
      {__LINE__, [] { return SetRowHeight(2, 40); }},
      {__LINE__, [] { return EnterIntoCell(0, 0, "'changed"); }},
      {__LINE__, [] { return EnterIntoCell(5, 5, "@SUM(A1..B3)"); }},
      {__LINE__, [] { return DefineRangeName("total", Range("A1..B2")); }},
      {__LINE__, [] { return DeleteRangeName("KEEP"); }},
      {__LINE__, [] { return SetGlobalFormat(kFormatPercent | 1); }},
      {__LINE__, [] { return SetManualRecalculation(true); }},
  };
  // The file's bytes, and the global format, which the file does not hold.
  const auto snapshot = [] { return WorksheetBytesText() + char(Options().globalFormat()); };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    NewWorksheet("UNDO.WKS");
    Enter("A1", "12");
    Enter("B1", "+A1*2");
    ASSERT_TRUE(DefineRangeName("keep", Range("C3")).Done());
    const std::string before = snapshot();
    ASSERT_TRUE(c.command().Done());
    const std::string after = snapshot();
    EXPECT_NE(after, before);
    EXPECT_TRUE(SheetModified());
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(UndoLastCommand().Done());
      EXPECT_EQ(snapshot(), before);
      ASSERT_TRUE(RedoLastCommand().Done());
      EXPECT_EQ(snapshot(), after);
    }
    // One Undo per command: this one, then the three before it, one by one.
    for (int level = 0; level < 4; ++level) ASSERT_TRUE(UndoLastCommand().Done()) << level;
    EXPECT_EQ(Cell("A1"), nullptr);
    EXPECT_EQ(LookupName("KEEP"), 0);
    EXPECT_EQ(UndoLastCommand().status, CommandStatus::kFailed);
  }
}

TEST_F(CommandsTest, CommandsInsideOneGroupComeBackWithOneUndo) {
  Enter("A1", "1");
  const std::string before = WorksheetBytesText();
  {
    UndoGroupScope group;
    Enter("A1", "2");
    Enter("A2", "+A1*10");
    ASSERT_TRUE(SetColumnWidth(0, 100).Done());
    {
      UndoGroupScope inner;  // nested groups join the outer one
      ASSERT_TRUE(SetRangeFormat(Range("A1..A3"), kFormatFixed | 1).Done());
    }
    ASSERT_TRUE(DefineRangeName("here", Range("A1")).Done());
  }
  EXPECT_EQ(UndoLevels(), 2);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(WorksheetBytesText(), before);
  EXPECT_EQ(Number("A1"), 1);
  ASSERT_TRUE(RedoLastCommand().Done());
  EXPECT_EQ(Number("A2"), 20);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 100);
}

TEST_F(CommandsTest, ANewChangeClearsRedoAndUndoLeavesProtectionAlone) {
  Enter("A1", "1");
  Enter("A1", "2");
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_TRUE(HasRedo());
  Enter("B1", "3");
  EXPECT_FALSE(HasRedo());
  EXPECT_EQ(RedoLastCommand().status, CommandStatus::kFailed);
  EXPECT_EQ(Number("A1"), 1);
  // A format change undone after protection went on keeps the sheet protected, and switching
  // protection itself is no undo level.
  ASSERT_TRUE(SetGlobalFormat(kFormatPercent | 2).Done());
  const int levels = UndoLevels();
  ASSERT_TRUE(SetSheetProtection(true).Done());
  EXPECT_EQ(UndoLevels(), levels);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_NE(Options().globalFormat(), kFormatPercent | 2);
  EXPECT_TRUE(Options().protection());
}

TEST_F(CommandsTest, ProtectionKeepsTheLookOfLockedCellsAndRefusesLockChanges) {
  Enter("A1", "1");
  Enter("A2", "2");
  ASSERT_TRUE(SetRangeLock(Range("A2"), false).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  ASSERT_TRUE(SetRangeFormat(Range("A1..A3"), kFormatPercent | 1).Done());
  EXPECT_EQ(Cell("A1")->format, 0xFF);  // locked: unchanged
  EXPECT_EQ(Cell("A2")->format, kFormatPercent | 1);
  EXPECT_EQ(Cell("A3"), nullptr);  // empty positions are locked
  Messages().clear();
  EXPECT_EQ(SetRangeLock(Range("A1"), false).status, CommandStatus::kProtected);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Protected Cell"}));
  EXPECT_TRUE(Cell("A1")->format & kFormatProtected);
}

TEST_F(CommandsTest, EraseKeepsFormatAndRecalculatesDependents) {
  Enter("A1", "5");
  Enter("B1", "+A1*2");
  ASSERT_TRUE(SetRangeFormat(Range("A1"), kFormatFixed | 2).Done());
  ASSERT_TRUE(EraseRange(Range("A1")).Done());
  EXPECT_EQ(Cell("A1")->kind, uint8_t(CellKind::kBlank));
  EXPECT_EQ(Cell("A1")->format & ~kFormatProtected, kFormatFixed | 2);
  EXPECT_EQ(Number("B1"), 0);
}

TEST_F(CommandsTest, NamesAreDefinedAndDeletedThroughCommands) {
  EXPECT_TRUE(DefineRangeName("total", Range("A1..B2")).Done());
  EXPECT_EQ(NameRange(LookupName("TOTAL")), Range("A1..B2"));
  EXPECT_EQ(DefineRangeName("123", Range("A1")).status, CommandStatus::kFailed);
  EXPECT_TRUE(DeleteRangeName("TOTAL").Done());
  EXPECT_EQ(DeleteRangeName("TOTAL").status, CommandStatus::kFailed);
}

TEST_F(CommandsTest, OpeningAFileSaysWhatCameOfIt) {
  Enter("A1", "42");
  ASSERT_TRUE(SaveWorksheet(Path("good")));
  EXPECT_EQ(OpenWorksheetFile(Path("absent")).status, OpenStatus::kMissing);
  EXPECT_TRUE(Messages().empty());

  const OpenedWorksheet good = OpenWorksheetFile(Path("good"));
  EXPECT_EQ(good.status, OpenStatus::kLoaded);
  EXPECT_EQ(good.fileName, Path("good.wks"));
  EXPECT_EQ(CurrentWorksheet(), good.slot);
  EXPECT_EQ(Number("A1"), 42);
  EXPECT_EQ(OpenWorksheetFile(Path("GOOD.WKS")).status, OpenStatus::kAlreadyOpen);

  // A file cut inside a record: what was read stays, read-only.
  for (int row = 2; row <= 40; ++row) Enter(("A" + std::to_string(row)).c_str(), "7");
  std::vector<uint8_t> bytes = WorksheetBytes();
  bytes.resize(bytes.size() / 2);
  std::FILE* f = std::fopen(Path("cut.wks").c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  const OpenedWorksheet cut = OpenWorksheetFile(Path("cut.wks"));
  EXPECT_EQ(cut.status, OpenStatus::kDamaged);
  EXPECT_TRUE(Worksheet(cut.slot).readOnly);

  // A file of which nothing can be read leaves no entry; the sheet current before stays.
  std::FILE* junk = std::fopen(Path("junk.wks").c_str(), "wb");
  std::fputs("no worksheet at all", junk);
  std::fclose(junk);
  const SlotIndex before = CurrentWorksheet();
  const OpenedWorksheet nothing = OpenWorksheetFile(Path("junk.wks"));
  EXPECT_EQ(nothing.status, OpenStatus::kDamaged);
  EXPECT_FALSE(nothing.anythingRead);
  EXPECT_EQ(nothing.slot, 0);
  EXPECT_EQ(FindWorksheet(Path("junk.wks")), 0);
  EXPECT_EQ(CurrentWorksheet(), before);

  const SlotIndex fresh = NewWorksheet("SHEET1.WKS");
  EXPECT_NE(fresh, sheet_);
  EXPECT_TRUE(Worksheet(fresh).neverSaved);

  // Saving under a name gives the entry that name and clears both flags; the current sheet
  // is the one current before.
  ActivateWorksheet(cut.slot);
  for (const SlotIndex slot : {fresh, cut.slot}) {
    const std::string name = Path(("saved" + std::to_string(slot) + ".wks").c_str());
    ASSERT_TRUE(SaveWorksheetFile(slot, name));
    EXPECT_EQ(Worksheet(slot).fileName, name);
    EXPECT_FALSE(Worksheet(slot).neverSaved);
    EXPECT_FALSE(Worksheet(slot).readOnly);
    EXPECT_EQ(CurrentWorksheet(), cut.slot);
  }
  EXPECT_FALSE(SaveWorksheetFile(fresh, Path("no/such/folder/x.wks")));
  EXPECT_FALSE(SaveWorksheetFile(0, Path("x.wks")));
}

TEST_F(CommandsTest, AReferenceToAClosedFileLoadsItIntoTheLinkedFiles) {
  Enter("A1", "42");
  ASSERT_TRUE(SaveWorksheet(Path("other")));
  ResetEngineState();
  NewWorksheet("MAIN.WKS");
  const std::string formula = "+[" + Path("other.wks") + "]A1*2";
  Enter("A1", formula.c_str());
  EXPECT_EQ(Number("A1"), 84);
  EXPECT_TRUE(Messages().empty());
  // The linked file is no window's: opening it takes the entry over.
  const SlotIndex linked = FindWorksheet(Path("other.wks"));
  ASSERT_NE(linked, 0);
  EXPECT_TRUE(Worksheet(linked).linkedOnly);
  const OpenedWorksheet opened = OpenWorksheetFile(Path("other.wks"));
  EXPECT_EQ(opened.slot, linked);
  EXPECT_FALSE(Worksheet(linked).linkedOnly);
  // A reference to a file that is not there is ERR, without a message.
  Enter("A2", ("+[" + Path("nowhere.wks") + "]A1").c_str());
  EXPECT_TRUE(Cell("A2")->kind & kKindErrorMark);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandsTest, TheLinkUpdateReadsLinkedCellsFromTheirFiles) {
  Enter("A1", "42");
  Enter("A2", "'hi");
  ASSERT_TRUE(SaveWorksheet(Path("linked")));
  ResetEngineState();
  const SlotIndex main = NewWorksheet("MAIN.WKS");
  const std::string link = "@LINK(\"" + Path("linked.wks") + ">";
  Enter("B1", (link + "A1\")*2").c_str());
  Enter("B2", (link + "A2\")").c_str());
  Enter("B3", (link + "C9\")").c_str());
  EXPECT_EQ(Number("B1"), 0);  // "N/A" times 2 is no number yet
  const SlotIndex other = NewWorksheet("OTHER.WKS");
  ASSERT_TRUE(UpdateLinks().Done());
  EXPECT_EQ(CurrentWorksheet(), other);
  ActivateWorksheet(main);
  EXPECT_EQ(Number("B1"), 84);
  EXPECT_EQ(PoolText(CellStringResult(Cell("B2"))), "hi");
  EXPECT_EQ(PoolText(CellStringResult(Cell("B3"))), "N/A");  // a missing cell stores nothing
}

}  // namespace

// Erasing recalculates what depends on the erased cells and nothing else, so erasing cells one
// by one costs what each erase changes.
TEST_F(CommandsTest, EraseRecalculatesOnlyTheDependentsOfTheErasedCells) {
  Enter("A1", "5");
  Enter("B1", "+A1*2");
  for (int row = 1; row <= 50; ++row) {
    Enter(("D" + std::to_string(row)).c_str(), "+C1+1");
  }
  const uint64_t before = RecalculatedCount();
  ASSERT_TRUE(EraseRange(Range("A1..A1"), false).Done());
  EXPECT_EQ(RecalculatedCount() - before, 1u);
  EXPECT_EQ(Number("B1"), 0);

  Enter("A1", "7");
  EXPECT_EQ(Number("B1"), 14);
  ASSERT_TRUE(SetManualRecalculation(true).Done());
  ASSERT_TRUE(EraseRange(Range("A1..A1"), false).Done());
  EXPECT_EQ(Number("B1"), 14) << "manual mode leaves the old value";
}
