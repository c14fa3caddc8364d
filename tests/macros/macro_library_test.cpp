// Tests of the macro library: names called from any sheet, lines read from the sheet holding
// them while commands act on the current one, menus kept in the library, opening the file.
#include <cstdio>
#include <filesystem>

#include "files/worksheet_file.h"
#include "macro_fixture.h"
#include "macros/macro_library.h"

namespace {

class MacroLibraryTest : public MacroTest {
 protected:
  void SetUp() override {
    MacroTest::SetUp();
    library_ = CreateWorksheetWindow("TALLIVO.MAC");
    ASSERT_NE(library_, 0);
    ActivateWorksheet(sheet_);
    SetMacroLibrary(library_);
  }

  // Runs `fn` with the library current.
  template <typename Fn>
  void InLibrary(Fn fn) {
    ActivateWorksheet(library_);
    fn();
    ActivateWorksheet(sheet_);
  }

  SlotIndex library_ = 0;
};

TEST_F(MacroLibraryTest, LibraryNamesAreCalledFromTheActiveSheetsMacros) {
  InLibrary([] {
    ASSERT_NE(DefineName("HELLO", ParseRange("A1")), 0);
    ASSERT_NE(DefineName("INNER", ParseRange("A10")), 0);
    Lines("A1", {"{LET C1,7}{INNER}", "{LET C2,C1+1}{RET}"});
    Lines("A10", {"{LET C3,9}{RET}"});
  });
  Lines("A1", {"{hello}{CALL INNER}{LET D1,C3+1}"});
  Run("A1");
  EXPECT_EQ(Messages(), "");
  // The commands acted on the active sheet, the library's cells are untouched.
  EXPECT_EQ(Value("C1"), "7");
  EXPECT_EQ(Value("C2"), "8");
  EXPECT_EQ(Value("D1"), "10");
  InLibrary([] {
    EXPECT_EQ(Contents("C1"), "");
    EXPECT_EQ(Contents("C3"), "");
  });
}

TEST_F(MacroLibraryTest, TheMacrosOwnSheetComesBeforeTheLibrary) {
  InLibrary([] {
    ASSERT_NE(DefineName("STEP", ParseRange("A1")), 0);
    Lines("A1", {"{LET E1,1}{RET}"});
  });
  ASSERT_NE(DefineName("STEP", ParseRange("A20")), 0);
  Lines("A20", {"{LET E2,2}{RET}"});
  RunText("{STEP}{JUMP STEP}");
  EXPECT_EQ(Contents("E1"), "");
  EXPECT_EQ(Value("E2"), "2");
  // RET after the jump finds nothing to return to.
  EXPECT_EQ(Messages(), "Stack Underflow, Level<1");
}

TEST_F(MacroLibraryTest, ALibraryMacroJumpsWithinTheLibraryAndMenusComeFromIt) {
  TheHeadlessPlatform().inputLines = {"two"};
  InLibrary([] {
    ASSERT_NE(DefineName("START", ParseRange("B1")), 0);
    Lines("B1", {"{LET F1,1}{BRANCH B5}"});
    Lines("B5", {"{MENUBRANCH B10}"});
    Lines("B10", {"One", "first"});
    Lines("C10", {"Two", "second"});
    Lines("C12", {"{LET F2,F1+1}{ONERROR B20}{NOSUCH}"});
    Lines("B20", {"{LET F3,3}"});
  });
  // The same cells of the active sheet hold other lines: they must not run.
  Lines("B5", {"{LET G1,1}"});
  Lines("C12", {"{LET G2,1}"});
  EXPECT_EQ(RunMacroIn(library_, 1, 0), MacroProgress::kEnded);
  EXPECT_EQ(Messages(), "");
  EXPECT_EQ(Value("F1"), "1");
  EXPECT_EQ(Value("F2"), "2");
  EXPECT_EQ(Value("F3"), "3");
  EXPECT_EQ(Contents("G1"), "");
  EXPECT_EQ(Contents("G2"), "");
}

TEST_F(MacroLibraryTest, ErrorsOfALibraryLineNameItsCell) {
  InLibrary([] { Lines("D4", {"{NOSUCH}"}); });
  EXPECT_EQ(RunMacroIn(library_, 3, 3), MacroProgress::kEnded);
  EXPECT_EQ(Messages(), "Syntax Error: D4");
}

TEST_F(MacroLibraryTest, TheBarTakesTheFirstThirteenNamesAndAClosedLibraryIsForgotten) {
  InLibrary([] {
    for (char c = 'P'; c >= 'A'; --c) {
      ASSERT_NE(DefineName(std::string("M") + c, MakeRange(0, uint16_t(c - 'A'), 0, 0)), 0);
    }
  });
  const std::vector<std::string> names = MacroLibraryNames();
  ASSERT_EQ(names.size(), kMacroBarButtons);
  EXPECT_EQ(names.front(), "MA");
  EXPECT_EQ(names.back(), "MM");
  EXPECT_TRUE(MacroLibraryHasName("mc"));
  EXPECT_FALSE(MacroLibraryHasName("MZ"));

  CloseWorksheet(Worksheet(library_).heap);
  EXPECT_EQ(MacroLibrary(), 0);
  // An entry handed out again is not taken for the library.
  const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
  ActivateWorksheet(sheet_);
  EXPECT_EQ(other, library_);
  EXPECT_EQ(MacroLibrary(), 0);
  EXPECT_TRUE(MacroLibraryNames().empty());
}

TEST(MacroLibraryFile, OpensHiddenKeepsTheCurrentSheetAndIsForgottenOnReset) {
  ResetMacroState();
  ResetEngineState();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("tallivo_maclib_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "TALLIVO.MAC").string();
  {
    const SlotIndex author = CreateWorksheetWindow("AUTHOR.WKS");
    ActivateWorksheet(author);
    EnterCell("'{LET A1,A1+1}{RET}", 0, 1);
    ASSERT_NE(DefineName("BUMP", MakeRange(1, 0, 1, 0)), 0);
    ASSERT_TRUE(SaveWorksheet(file));
    CloseWorksheet(Worksheet(author).heap);
  }
  const SlotIndex sheet = CreateWorksheetWindow("SHEET1.WKS");
  ActivateWorksheet(sheet);
  EXPECT_EQ(OpenMacroLibrary((dir / "MISSING.MAC").string()), 0);
  const SlotIndex library = OpenMacroLibrary(file);
  ASSERT_NE(library, 0);
  EXPECT_NE(library, sheet);
  EXPECT_EQ(CurrentWorksheet(), sheet);
  EXPECT_EQ(MacroLibrary(), library);
  EXPECT_EQ(MacroLibraryNames(), std::vector<std::string>{"BUMP"});
  EXPECT_EQ(RunMacroText("{BUMP}{BUMP}"), MacroProgress::kEnded);
  EXPECT_EQ(CellNumber(CellAt(GetCell(0, 0))), 2.0);
  ResetMacroState();
  EXPECT_EQ(MacroLibrary(), 0);
  ResetEngineState();
  std::filesystem::remove_all(dir);
}

}  // namespace
