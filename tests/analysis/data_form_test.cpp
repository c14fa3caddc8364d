// tests/analysis/data_form_test.cpp — the record form's fields, record count, moves and saving.
#include "analysis/data_form.h"

#include "analysis_fixture.h"
#include "core/format.h"

namespace {

class DataFormTest : public AnalysisFixture {
 protected:
  void SetUp() override {
    AnalysisFixture::SetUp();
    EnterBlock("A1", "'Name 'Age 'Note 'Wide/'Ann 30 'x 1/'Bob 41 'y 2");
  }
};

TEST_F(DataFormTest, FieldsFollowTheNameCells) {
  ASSERT_TRUE(SetRangeLock(R("C1"), false).Done());        // not protected: no field
  ASSERT_TRUE(SetRangeFormat(R("B1"), kFormatHidden).Done());  // hidden: no field
  ASSERT_TRUE(SetColumnWidth(3, 0).Done());                // width 0: a field without a line
  DataFormModel form;
  ASSERT_TRUE(form.Open(R("A1..E3")));
  ASSERT_EQ(form.Fields().size(), 2u);
  EXPECT_EQ(form.Fields()[0].caption, "Name ");
  EXPECT_EQ(form.Fields()[1].column, 3);
  EXPECT_EQ(form.Fields()[1].place, 3);
  EXPECT_EQ(form.Fields()[1].pixelWidth, 0);
  EXPECT_EQ(form.RecordCaption(), "Record:1 of 2");
  EXPECT_EQ(form.Texts()[0], "'Ann");
  EXPECT_FALSE(form.Open(R("F1..G3")));
}

TEST_F(DataFormTest, MovesSaveChangesAndMakeNewRecords) {
  DataFormModel form;
  ASSERT_TRUE(form.Open(R("A1..D1")));
  form.SetText(1, "31");
  form.Next(false);
  EXPECT_EQ(Number("B2"), 31);  // saved before the move
  EXPECT_EQ(form.Texts()[0], "'Bob");
  form.Previous();
  form.Previous();
  EXPECT_EQ(form.Record(), 1);
  form.Bottom();
  // Past the last record with Clone: a copy of the last record becomes record 3.
  form.Next(true);
  EXPECT_EQ(form.RecordCaption(), "Record:3 of 3");
  EXPECT_EQ(Texts("A4..D4"), "'Bob 41 'y 2");
  // Without Clone: a new, empty record 4 (nothing to write).
  form.Next(false);
  EXPECT_EQ(form.RecordCaption(), "Record:4 of 4");
  EXPECT_TRUE(Missing("A5"));
  // All fields empty: back to the last record with a beep.
  const int beeps = TheHeadlessPlatform().beeps;
  form.Next(false);
  EXPECT_EQ(form.Record(), 4);
  EXPECT_EQ(TheHeadlessPlatform().beeps, beeps + 1);
  form.Top();
  form.Add();  // the fields as they are, after the last record
  EXPECT_EQ(form.RecordCaption(), "Record:5 of 5");
  EXPECT_EQ(Texts("A6..B6"), "'Ann 31");
  // Written cells take the name cell's format (protected here).
  EXPECT_TRUE(CellAt(GetCell(5, 0))->format & kFormatProtected);
}

}  // namespace
