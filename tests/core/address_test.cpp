// tests/core/address_test.cpp — reference text, the parser, the error flag and option ranges.
#include "core/address.h"

#include <gtest/gtest.h>

#include <string>

#include "core/global_options.h"
#include "core/names.h"
#include "core_fixture.h"

namespace {

class AddressTest : public CoreTest {
 protected:
  void SetPages(int pages) { Options().setPageSize(uint16_t(pages == 1 ? 0 : 8192 / pages)); }
};

TEST_F(AddressTest, ColumnLettersCoverTheWholeGrid) {
  struct Case { int line; uint32_t n; const char* text; };
  const Case kCases[] = {
      {__LINE__, 0, "A"},  {__LINE__, 25, "Z"},  {__LINE__, 26, "AA"},
      {__LINE__, 51, "AZ"}, {__LINE__, 52, "BA"}, {__LINE__, 255, "IV"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(ColumnLetters(c.n), c.text);
  }
}

TEST_F(AddressTest, CellTextWritesPagePrefixOnlyWithSeveralPages) {
  struct Case { int line; int pages; uint16_t row; uint16_t column; bool absRow; bool absCol;
                const char* text; const char* shortText; };
  const Case kCases[] = {
      {__LINE__, 8, 1030, 0, true, true, "B:$A$7", "A7"},
      {__LINE__, 8, 1024, 0, false, false, "B:A1", "A1"},
      {__LINE__, 8, 8191, 255, false, true, "H:$IV1024", "IV1024"},
      {__LINE__, 1, 1024, 0, false, false, "A1025", "A1025"},
      {__LINE__, 1, 8191, 255, true, false, "IV$8192", "IV8192"},
      {__LINE__, 64, 128, 2, false, false, "B:C1", "C1"},
      {__LINE__, 64, 8191, 0, false, false, "BL:A128", "A128"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetPages(c.pages);
    EXPECT_EQ(CellText(c.row, c.column, c.absRow, c.absCol), c.text);
    EXPECT_EQ(ShortCellText(c.row, c.column), c.shortText);
  }
  Options().setPageSize(8192);  // 8192 is one page as well
  EXPECT_EQ(CellText(1024, 0, false, false), "A1025");
}

TEST_F(AddressTest, RangeTextOfSingleCellsNoRangeAndMarkers) {
  EXPECT_EQ(RangeText(MakeRange(0, 0, 0, 0)), "A1");
  EXPECT_EQ(RangeText(MakeRange(0, 0, 2, 19)), "A1..C20");
  EXPECT_EQ(RangeText(NoRange()), "");
  EXPECT_EQ(RangeTextWithMarkers(MakeRange(0, 0, 2, 19), kAbsFirstColumn | kAbsLastRow),
            "$A1..C$20");
  EXPECT_EQ(RangeTextWithMarkers(MakeRange(1, 1, 1, 1), 0x0F), "$B$2");
}

TEST_F(AddressTest, ParseCellRefReadsMarkersPagesAndWrapsRows) {
  struct Case { int line; int pages; const char* text; uint16_t row; uint16_t column;
                bool absCol; bool absRow; bool error; };
  const Case kCases[] = {
      {__LINE__, 1, "A1", 0, 0, false, false, false},
      {__LINE__, 1, "$B$7", 6, 1, true, true, false},
      {__LINE__, 1, "iv8192", 8191, 255, false, false, false},
      {__LINE__, 1, "IW1", 0, 256, false, false, false},  // off the grid; ranges reject it
      {__LINE__, 1, "A0", 0xFFFF, 0, false, false, false},
      {__LINE__, 1, "A8193", 0, 0, false, false, false},       // wraps into the grid
      {__LINE__, 1, "A12345678", 575, 0, false, false, false},  // 6 digits read: 123456
      {__LINE__, 1, "A", 0xFFFF, 0, false, false, true},
      {__LINE__, 1, "A1X", 0xFFFF, 0, false, false, true},
      {__LINE__, 1, "A 1", 0xFFFF, 0, false, false, true},
      {__LINE__, 1, "12", 11, 0xFFFF, false, false, false},
      {__LINE__, 8, "B:A1", 1024, 0, false, false, false},
      {__LINE__, 8, "$B:$A$7", 1030, 0, true, true, false},
      {__LINE__, 8, "B:$A7", 1030, 0, true, false, false},
      {__LINE__, 1, "B:A1", 0, 0, false, false, false},  // a page of 8192 rows wraps to row 0
      {__LINE__, 8, ":A1", 0xFFFF, 0, false, false, true},
      {__LINE__, 1, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA1", 0, 0xFFFF, false, false, false},
      {__LINE__, 8, "ZZZZZZZZZZZZZZZZZZZZZZZZ:A1", 0xFFFF, 0, false, false, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    SetPages(c.pages);
    ClearError();
    ParsedCell p = ParseCellRef(c.text);
    EXPECT_EQ(p.row, c.row);
    EXPECT_EQ(p.column, c.column);
    EXPECT_EQ(p.absoluteColumn, c.absCol);
    EXPECT_EQ(p.absoluteRow, c.absRow);
    EXPECT_EQ(ErrorRaised(), c.error);
  }
}

TEST_F(AddressTest, CursorWordsReadTheActiveGrid) {
  TheHeadlessPlatform().cursor = PlatformCell{3, 9};
  TheHeadlessPlatform().selection = PlatformBlock{1, 2, 4, 8};
  ParsedCell plain = ParseCellRef("cursor");
  EXPECT_EQ(plain.column, 3);
  EXPECT_EQ(plain.row, 9);
  EXPECT_FALSE(plain.absoluteColumn || plain.absoluteRow);
  ParsedCell fixed = ParseCellRef("$CURSOR");
  EXPECT_EQ(fixed.row, 9);
  EXPECT_TRUE(fixed.absoluteColumn && fixed.absoluteRow);

  SetLastParseFlags(0x05);
  EXPECT_EQ(ParseRange("CURSOR"), MakeRange(3, 9, 3, 9));
  EXPECT_EQ(ParseRange("range"), MakeRange(1, 2, 4, 8));
  EXPECT_EQ(LastParseFlags(), 0x05);  // neither word touches the flags
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(AddressTest, ParseRangeSplitsAtTwoOrThreeDotsAndChecksTheGrid) {
  struct Case { int line; const char* text; CellRange range; uint8_t flags; bool error; };
  const Case kCases[] = {
      {__LINE__, "a1..c3", MakeRange(0, 0, 2, 2), 0, false},
      {__LINE__, "A1...C3", MakeRange(0, 0, 2, 2), 0, false},
      {__LINE__, "A1", MakeRange(0, 0, 0, 0), 0, false},
      {__LINE__, "C3..A1", MakeRange(2, 2, 0, 0), 0, false},  // corners are not ordered
      {__LINE__, "$A1..B$2", MakeRange(0, 0, 1, 1), kAbsFirstColumn | kAbsLastRow, false},
      {__LINE__, "$A$1..$B$2", MakeRange(0, 0, 1, 1), 0x0F, false},
      {__LINE__, "IV8192", MakeRange(255, 8191, 255, 8191), 0, false},
      {__LINE__, "IW1", MakeRange(256, 0, 256, 0), 0, true},
      {__LINE__, "A0", MakeRange(0, 0xFFFF, 0, 0xFFFF), 0, true},
      {__LINE__, "A1..IW1", MakeRange(0, 0, 256, 0), 0, true},
      {__LINE__, "A1.B2", MakeRange(0, 0xFFFF, 0, 0xFFFF), 0, true},
      {__LINE__, "A1..", MakeRange(0, 0, 0xFFFF, 0xFFFF), 0, true},
      {__LINE__, "..", MakeRange(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF), 0, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    ClearError();
    EXPECT_EQ(ParseRange(c.text), c.range);
    EXPECT_EQ(LastParseFlags(), c.flags);
    EXPECT_EQ(ErrorRaised(), c.error);
  }
  ClearError();
  EXPECT_EQ(ParseRange(""), NoRange());
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(AddressTest, PagedRangeTextsRoundTrip) {
  SetPages(8);
  for (CellRange r : {MakeRange(0, 1024, 3, 1030), MakeRange(255, 8191, 255, 8191),
                      MakeRange(7, 0, 9, 4095)}) {
    SCOPED_TRACE(RangeText(r));
    ClearError();
    EXPECT_EQ(ParseRange(RangeText(r)), r);
    EXPECT_FALSE(ErrorRaised());
  }
}

// The current sheet's range names, as ParseRange sees them.
void DefineTestNames() {
  InitNameTable();
  ASSERT_NE(DefineName("A1", MakeRange(5, 5, 6, 6)), 0);
  ASSERT_NE(DefineName("TOTAL", MakeRange(1, 2, 3, 4)), 0);
}

TEST_F(AddressTest, RangeNamesWinAndDollarSetsAllFlags) {
  DefineTestNames();
  EXPECT_EQ(ParseRange("a1"), MakeRange(5, 5, 6, 6));
  EXPECT_EQ(ParseRange("$total"), MakeRange(1, 2, 3, 4));
  EXPECT_EQ(LastParseFlags(), 0x0F);
  EXPECT_EQ(ParseRange("Total"), MakeRange(1, 2, 3, 4));
  EXPECT_EQ(LastParseFlags(), 0);
  EXPECT_EQ(ParseRange("B2"), MakeRange(1, 1, 1, 1));
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(AddressTest, LongTextIsCutBeforeParsing) {
  // 240 characters are read; what remains is neither a name nor a reference.
  DefineTestNames();
  ParseRange(std::string(300, 'Q'));
  EXPECT_TRUE(ErrorRaised());
}

TEST_F(AddressTest, ErrorFlagKeepsItsTextUntilCleared) {
  RaiseError("Out of Range");
  ParseRange("A1");  // a good parse does not clear it
  EXPECT_TRUE(ErrorRaised());
  EXPECT_EQ(ErrorText(), "Out of Range");
  ClearError();
  EXPECT_FALSE(ErrorRaised());
  EXPECT_EQ(ErrorText(), "");
}

TEST_F(AddressTest, ForgetIfCornerOnlyForCorners) {
  CellRange r = MakeRange(1, 1, 3, 3);
  ForgetIfCorner(r, 2, 2);
  EXPECT_EQ(r, MakeRange(1, 1, 3, 3));
  ForgetIfCorner(r, 3, 3);
  EXPECT_EQ(r, NoRange());
  EXPECT_FALSE(RangeIsValid(r));
}

TEST_F(AddressTest, OptionRangesAndTextsAreLittleEndianAndBounded) {
  GlobalOptions o;
  o.setRange(2, MakeRange(0x0102, 0x0304, 0x0506, 0x0708));
  const size_t at = GlobalOptions::kRanges + 16;
  EXPECT_EQ(o.Byte(at), 0x02);
  EXPECT_EQ(o.Byte(at + 1), 0x01);
  EXPECT_EQ(o.Byte(at + 7), 0x07);
  EXPECT_EQ(o.range(2), MakeRange(0x0102, 0x0304, 0x0506, 0x0708));
  EXPECT_EQ(o.range(16), NoRange());

  o.setPassword(std::string(50, 'x'));
  EXPECT_EQ(o.password(), std::string(40, 'x'));
  o.setPassword("abc");
  EXPECT_EQ(o.password(), "abc");
  EXPECT_EQ(o.Byte(GlobalOptions::kPassword + 4), 0);  // the rest of the field is cleared
  o.SetByte(GlobalOptions::kPassword, 200);             // a length from a hostile file
  EXPECT_EQ(o.password().size(), 40u);
  o.SetByte(kGlobalOptionsSize - 2, 200);  // a text field cut by the end of the record
  EXPECT_EQ(o.Text(kGlobalOptionsSize - 2, 100).size(), 1u);
}

}  // namespace
