// tests/files/merge_test.cpp — the worksheet reader in merge mode.
#include <cmath>

#include "core/format.h"
#include "core/global_options.h"
#include "files_fixture.h"

namespace {

class MergeTest : public FilesTest {
 protected:
  static std::string At(uint32_t row, uint32_t column) {
    return GetCell(row, column) ? EditText(row, column).text : std::string();
  }
  static double Number(uint32_t row, uint32_t column) {
    const CellHandle h = GetCell(row, column);
    return h ? CellNumber(CellAt(h)) : NAN;
  }
  // The bytes of a sheet made by `fill` in a sheet of its own; the current sheet stays.
  template <typename Fill>
  std::vector<uint8_t> FileOf(Fill fill) {
    const SlotIndex here = CurrentWorksheet();
    NewSheet("SOURCE.WKS");
    fill();
    std::vector<uint8_t> bytes = WorksheetBytes();
    ActivateWorksheet(here);
    return bytes;
  }
  bool Merge(const std::vector<uint8_t>& file, uint16_t kindAndAction, uint32_t row,
             uint32_t column, std::string_view source = {}) {
    return MergeWorksheetBytes(file.data(), file.size(), uint16_t(kMergeMode | kindAndAction), row,
                               column, source);
  }
};

TEST_F(MergeTest, ActionsCombineNumbersAndPlaceLabels) {
  const auto file = FileOf([] {
    EnterCell("5", 0, 0);
    EnterCell("2.5", 0, 1);
    EnterCell("'text", 1, 0);
  });
  struct Case {
    int line;
    uint16_t action;
    double a1, b1;
  };
  const Case kCases[] = {
      {__LINE__, kMergeReplace, 5, 2.5},
      {__LINE__, kMergeSum, 15, 2.5},         // B1 had none: 0 + 2.5
      {__LINE__, kMergeDifference, 5, -2.5},  // previous minus incoming
  };
  for (const Case& c : kCases) {
    ClearAllCells();
    EnterCell("10", 0, 0);
    ASSERT_TRUE(Merge(file, kMergeValues | c.action, 0, 0)) << c.line;
    FinishLoadedFormulas();
    EXPECT_EQ(Number(0, 0), c.a1) << c.line;
    EXPECT_EQ(Number(0, 1), c.b1) << c.line;
    EXPECT_EQ(At(1, 0), "'text") << c.line;
  }
}

TEST_F(MergeTest, ValuesTakeResultsAndFormulasStayRelative) {
  const auto file = FileOf([] {
    EnterCell("+B1*2", 0, 0);
    EnterCell("5", 0, 1);
    EnterCell("@LEFT(\"hello\",2)", 1, 0);
  });
  ASSERT_TRUE(Merge(file, kMergeValues | kMergeReplace, 3, 3));
  FinishLoadedFormulas();
  EXPECT_EQ(At(3, 3), "10");
  EXPECT_EQ(At(4, 3), "'he");
  ClearAllCells();
  ASSERT_TRUE(Merge(file, kMergeFormulas | kMergeReplace, 3, 3));
  FinishLoadedFormulas();
  EXPECT_EQ(At(3, 3), "+E4*2");
  EXPECT_EQ(Number(3, 3), 10);
}

TEST_F(MergeTest, NamedAndTypedBlocksPutTheirFirstCellOnTheTarget) {
  const auto file = FileOf([] {
    EnterCell("1", 0, 0);
    EnterCell("22", 1, 1);
    EnterCell("33", 2, 2);
    DefineName("BLOCK", CellRange{1, 1, 2, 2});
  });
  DefineName("MINE", CellRange{0, 0, 0, 0});
  for (const char* source : {"block", "B2..C3"}) {
    ClearAllCells();
    ASSERT_TRUE(Merge(file, kMergeValues | kMergeReplace, 9, 3, source)) << source;
    EXPECT_EQ(Number(9, 3), 22) << source;
    EXPECT_EQ(Number(10, 4), 33) << source;
    EXPECT_EQ(GetCell(8, 2), 0u) << source;  // A1 was outside the block
  }
  ClearAllCells();
  ASSERT_TRUE(Merge(file, kMergeValues | kMergeReplace, 0, 0, "NOSUCH"));
  EXPECT_EQ(GetCell(0, 0), 0u);
  EXPECT_EQ(NameCount(), 1);  // the sheet's own names stay as they are
}

TEST_F(MergeTest, OffGridCellsAreSkippedAndTheRestMerged) {
  const auto file = FileOf([] {
    EnterCell("1", 0, 0);
    EnterCell("2", 0, 5);
    EnterCell("3", 5, 0);
  });
  ASSERT_TRUE(Merge(file, kMergeValues | kMergeReplace, 8190, 252));
  EXPECT_EQ(Number(8190, 252), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Out of Range"});
}

TEST_F(MergeTest, ProtectionKeepsLockedCellsAndFoundCellsStayLinked) {
  const auto file = FileOf([] {
    EnterCell("7", 0, 0);
    EnterCell("8", 0, 1);
  });
  EnterCell("1", 0, 0);
  EnterCell("1", 0, 1);
  EnterCell("+A1+B1", 0, 2);
  CellAt(GetCell(0, 1))->format &= uint8_t(~kFormatProtected);
  Options().setProtection(true);
  ASSERT_TRUE(Merge(file, kMergeValues | kMergeReplace, 0, 0));
  FinishLoadedFormulas();
  EXPECT_EQ(Number(0, 0), 1);
  EXPECT_EQ(Number(0, 1), 8);
  EXPECT_EQ(Number(0, 2), 9);  // C1 still refers to the cells it had
  EXPECT_EQ(Messages(), std::vector<std::string>{"Protected Cell"});
}

}  // namespace
