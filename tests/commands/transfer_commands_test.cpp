// tests/commands/transfer_commands_test.cpp — imports and merges as one undoable command.
#include "commands/transfer_commands.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/sheet_layout.h"
#include "files/worksheet_file.h"
#include "sheet_fixture.h"

namespace {

class TransferCommandsTest : public SheetFixture {
 protected:
  void SetUp() override {
    SheetFixture::SetUp();
    char pattern[] = "/tmp/tallivo-transfer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    SheetFixture::TearDown();
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

TEST_F(TransferCommandsTest, ImportsAndMergesRecalculateAndUndoAsOneStep) {
  Enter("D1", "@SUM(A1..B2)");
  std::ofstream(Path("in.prn")) << "1,2\n3,4\n";
  ASSERT_TRUE(ImportTextFile(Path("in.prn"), 0, 0, TextImportMode::kValues).Done());
  EXPECT_EQ(Number("D1"), 10);
  ASSERT_TRUE(ExportWorksheetRange(Path("part.wks"), CellRange{0, 0, 1, 1}).Done());
  ASSERT_TRUE(MergeWorksheetFile(Path("part.wks"), 0, 0, false, kMergeSum, "").Done());
  EXPECT_EQ(Number("B2"), 8);
  EXPECT_EQ(Number("D1"), 20);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(Number("B2"), 4);
  EXPECT_EQ(Number("D1"), 10);
}

TEST_F(TransferCommandsTest, UndoOfAnImportRemovesWhatItEntered) {
  std::ofstream(Path("in.prn")) << "1,2\n3,4\n";
  ASSERT_TRUE(ImportTextFile(Path("in.prn"), 0, 0, TextImportMode::kValues).Done());
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(Number("A1"), -1);
  EXPECT_EQ(Number("B2"), -1);
}

TEST_F(TransferCommandsTest, DbaseRoundTripThroughFiles) {
  Enter("A1", "'CITY");
  Enter("A2", "'K\xF6ln");
  Enter("B1", "'POP");
  Enter("B2", "1084831");
  ASSERT_TRUE(SetRangeFormat(CellRange{1, 0, 1, 0}, 0x00).Done());  // a numeric field
  ASSERT_TRUE(SetColumnWidth(1, 8).Done());
  ASSERT_TRUE(ExportDbaseFile(Path("t.dbf"), CellRange{0, 0, 1, 1}).Done());
  ASSERT_TRUE(ImportDbaseFile(Path("t.dbf"), 4, 0, {}).Done());
  EXPECT_EQ(Text("A6"), "'K\xF6ln");
  EXPECT_EQ(Number("B6"), 1084831);
  EXPECT_EQ(CurrentLayout().columnWidth[1], 7 * 8);  // the field widened to its longest text
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(Number("B6"), -1);
  EXPECT_FALSE(ImportDbaseFile(Path("none.dbf"), 0, 0, {}).Done());
}

}  // namespace
