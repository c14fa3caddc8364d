// tests/core/row_text_test.cpp — rows of the current sheet laid out as fixed-width text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/format.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "core_fixture.h"

namespace {

class RowAsTextTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ResetNumberSettings();
    Options().setGlobalFormat(kFormatGeneral);
    // Columns A and C are 10 characters wide (64 pixels), B 7 (40 pixels).
    CurrentLayout().columnWidth[1] = 40;
  }

  CellRecord* Cell(uint32_t row, uint32_t column, uint8_t format = 0xFF) {
    CellRecord* cell = CellAt(GetOrCreateCell(row, column));
    cell->format = format;
    return cell;
  }
  void Number(uint32_t row, uint32_t column, double value, uint8_t format = 0xFF) {
    StoreNumber(Cell(row, column, format), value);
  }
  void Label(uint32_t row, uint32_t column, const std::string& text, uint8_t format = 0xFF) {
    CellRecord* cell = Cell(row, column, format);
    ASSERT_TRUE(SetCellText(cell, text));
    cell->kind = uint8_t(CellKind::kLabel);
  }
  CellRecord* Formula(uint32_t row, uint32_t column, double value, uint8_t format = 0xFF) {
    CellRecord* cell = Cell(row, column, format);
    const uint8_t code[] = {1, 0x03};
    EXPECT_TRUE(SetCellTextBytes(cell, code));
    cell->kind = uint8_t(CellKind::kFormula);
    SetCellDouble(cell, value);
    return cell;
  }
  void StringFormula(uint32_t row, uint32_t column, const std::string& result) {
    CellRecord* cell = Formula(row, column, 0);
    PoolHandle block = PoolAlloc(uint32_t(result.size() + 1));
    ASSERT_NE(block, 0u);
    PoolPtr(block)[0] = uint8_t(result.size());
    std::memcpy(PoolPtr(block) + 1, result.data(), result.size());
    cell = CellAt(GetCell(row, column));
    cell->kind = uint8_t(CellKind::kStringFormula);
    SetCellStringResult(cell, block);
  }
};

TEST_F(RowAsTextTest, NumbersRightAndLabelsByPrefix) {
  Number(0, 0, 1234.5, 0x02);
  Label(0, 1, "\"abc");
  Label(0, 2, "^ab");
  EXPECT_EQ(RowAsText(0, 0, 2), "  1234.50 " "   abc " "    ab    ");

  Label(1, 0, "'left");
  Label(1, 1, "\\-=");
  Label(1, 2, "\xAB" "ab");
  Label(1, 3, "\xBB" "ab");
  Label(1, 4, "|x");
  EXPECT_EQ(RowAsText(1, 0, 4),
            "left      " "-------" "........ab" "ab........" "x         ");
}

TEST_F(RowAsTextTest, FormatsDecideTheText) {
  Number(0, 0, 3, 0x70);          // bar: left-aligned
  Number(0, 1, 123456789, 0x02);  // wider than its field
  Number(0, 2, 0.123456789);      // general, cut to the field
  EXPECT_EQ(RowAsText(0, 0, 2), "+++       " "*******" "0.1234567 ");

  Number(1, 1, 0.123456789, 0x71);
  Label(1, 0, "'gone", 0x76);
  Number(1, 2, 7, 0xF6);
  EXPECT_EQ(RowAsText(1, 0, 2), std::string(10, ' ') + "0.1234 " + std::string(10, ' '));

  // The default format follows the sheet's global format.
  Number(2, 0, 1.5);
  Options().setGlobalFormat(0x02);
  EXPECT_EQ(RowAsText(2, 0, 0), "     1.50 ");
  Options().setGlobalFormat(kFormatHidden);
  EXPECT_EQ(RowAsText(2, 0, 0), std::string(10, ' '));
}

TEST_F(RowAsTextTest, BlanksErrorsAndFormulas) {
  Cell(0, 0);  // blank
  Cell(0, 1)->kind = uint8_t(CellKind::kError7);
  Formula(0, 2, 2.5)->kind |= kKindErrorMark;
  EXPECT_EQ(RowAsText(0, 0, 2), std::string(10, ' ') + "   ERR " + "      ERR ");

  Formula(1, 0, 42);
  StringFormula(1, 2, "'hello");
  EXPECT_EQ(RowAsText(1, 0, 2), "       42 " + std::string(7, ' ') + "hello     ");
}

TEST_F(RowAsTextTest, TextFormatShowsFormulaText) {
  Formula(0, 0, 6, kFormatText);
  Number(0, 2, 4.5, kFormatText);
  TestLayers().formulaText = [](PoolHandle) { return std::string("+A1*2"); };
  EXPECT_EQ(RowAsText(0, 0, 2), "+A1*2     " + std::string(7, ' ') + "      4.5 ");
}

TEST_F(RowAsTextTest, TextRunsOnAndLaterCellsOverwriteIt) {
  Label(0, 0, "'abcdefghijklmnopq");
  Number(0, 1, 5);
  EXPECT_EQ(RowAsText(0, 0, 2), "abcdefghijklmno5 " + std::string(10, ' '));
  // A label in the last column runs on past the row's columns.
  Label(1, 1, "'a label too long");
  EXPECT_EQ(RowAsText(1, 1, 1), "a label too long");
}

TEST_F(RowAsTextTest, StartsAtTheFirstColumnAndStopsAt240) {
  Number(0, 0, 1);
  Number(0, 1, 2);
  Number(0, 2, 3);
  EXPECT_EQ(RowAsText(0, 1, 2), "     2 " "        3 ");

  Label(1, 22, "'" + std::string(30, 'x'));  // starts at 10 + 7 + 20 * 10 = 217
  Label(1, 25, "'unseen");
  std::string line = RowAsText(1, 0, 29);
  ASSERT_EQ(line.size(), kMaxDisplayText);
  EXPECT_EQ(line.substr(217), std::string(23, 'x'));
}

TEST_F(RowAsTextTest, OutOfGridGivesNothing) {
  Number(0, 0, 1);
  EXPECT_EQ(RowAsText(0, 2, 1), "");
  EXPECT_EQ(RowAsText(8192, 0, 1), "");
  EXPECT_EQ(RowAsText(0, 0, 256), "");
}

}  // namespace
