// tests/commands/clipboard_test.cpp — Copy, Cut and Paste through the clipboard, and the table
// and reset of the sheet's user functions.
#include "commands/clipboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "commands/external_functions.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "formula/function_library.h"
#include "platform/headless/headless_platform.h"
#include "sheet_fixture.h"

namespace {

constexpr char kDefaultAttributes[] = ";F255,C$C0000000,T255,H0,S0";

class ClipboardTest : public SheetFixture {
 protected:
  static const CellRecord* Cell(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    const CellHandle h = GetCell(p.row, p.column);
    return h ? CellAt(h) : nullptr;
  }
  static CommandResult PasteAt(const std::string& ref, const std::string& text, ClipFormat format) {
    const ParsedCell p = ParseCellRef(ref);
    return PasteText(text, format, p.row, p.column);
  }
  static std::string Clip(ClipFormat format) {
    std::string text;
    EXPECT_TRUE(TheHeadlessPlatform().ClipboardText(format, &text));
    return text;
  }
};

TEST_F(ClipboardTest, CopyPutsBothFormatsAndPasteBringsTheBlockBack) {
  Enter("A1", "1");
  Enter("B1", "2");
  Enter("A2", "3");
  Enter("B2", "4");
  ASSERT_TRUE(SetRangeFormat(ParseRange("A1..B2"), 0x22).Done());  // currency, 2 decimals
  ASSERT_TRUE(CopyToClipboard(ParseRange("A1..B2"), false).Done());
  const std::string attributes = ";F162,C$C0000000,T255,H0,S0";
  EXPECT_EQ(Clip(ClipFormat::kPrivate),
            "1" + attributes + "\t2" + attributes + "\r\n3" + attributes + "\t4" + attributes + "\r\n");
  EXPECT_EQ(Clip(ClipFormat::kText), "$1.00\t$2.00\r\n$3.00\t$4.00\r\n");
  ASSERT_TRUE(PasteFromClipboard(4, 3).Done());  // D5
  for (const char* ref : {"D5", "E5", "D6", "E6"}) {
    ASSERT_NE(Cell(ref), nullptr) << ref;
    EXPECT_EQ(Cell(ref)->format, 0xA2) << ref;
  }
  EXPECT_EQ(Text("D5"), "1");
  EXPECT_EQ(Text("E6"), "4");
  EXPECT_EQ(Cell("D7"), nullptr);  // the final line end starts no further line
  EXPECT_EQ(Cell("F5"), nullptr);
}

TEST_F(ClipboardTest, FormulasAndLabelsCopyAsTheirEntryText) {
  Enter("A1", "7");
  Enter("B1", "+A1");
  Enter("C1", "'a;b");
  ASSERT_TRUE(CopyToClipboard(ParseRange("B1..C1"), false).Done());
  EXPECT_EQ(Clip(ClipFormat::kPrivate),
            std::string("+A1") + kDefaultAttributes + "\t'a;b" + kDefaultAttributes + "\r\n");
  EXPECT_EQ(Clip(ClipFormat::kText), "7\ta;b\r\n");
  ASSERT_TRUE(PasteFromClipboard(2, 2).Done());  // C3
  EXPECT_EQ(Text("C3"), "+A1");
  EXPECT_EQ(Number("C3"), 7);
  EXPECT_EQ(Text("D3"), "'a;b");
}

// What a paste of a text makes of the cells (A1 is the target; "" expects no cell).
TEST_F(ClipboardTest, PasteReadsForeignAndHostileText) {
  struct Case {
    int line;
    ClipFormat format;
    std::string text;
    std::vector<std::pair<const char*, const char*>> cells;  // reference, CellContentsText
  };
  const ClipFormat kText = ClipFormat::kText;
  const ClipFormat kPrivate = ClipFormat::kPrivate;
  const Case kCases[] = {
      {__LINE__, kText, "1\t2\r\n3\t4\r\n", {{"A1", "1"}, {"B2", "4"}, {"A3", ""}}},
      {__LINE__, kText, "1\n2\r3\r\n4", {{"A1", "1"}, {"A2", "2"}, {"A3", "3"}, {"A4", "4"}, {"A5", ""}}},
      {__LINE__, kText, "\r\n\r\n5", {{"A1", ""}, {"A2", ""}, {"A3", "5"}}},
      // Plain text has no attributes: ";" is part of the text.
      {__LINE__, kText, "a;b\tx;F5", {{"A1", "'a;b"}, {"B1", "'x;F5"}}},
      // Text that does not compile stays as a label, and the paste goes on.
      {__LINE__, kText, "1,000\t5\r\n+\t6", {{"A1", "'1,000"}, {"B1", "5"}, {"A2", "'+"}, {"B2", "6"}}},
      {__LINE__, kPrivate, "@SUM(;F2", {{"A1", "'@SUM("}}},
      // The attribute list starts at the last ";F" and a digit.
      {__LINE__, kPrivate, "'a;b;Fx;F5", {{"A1", "'a;b;Fx"}}},
      {__LINE__, kPrivate, "'a;F;F", {{"A1", "'a;F;F"}}},
      {__LINE__, kPrivate, "+2*3;F0", {{"A1", "+2*3"}}},
      // A NUL ends the text; an empty text pastes nothing.
      {__LINE__, kText, std::string("1\t2\0" "3\r\n4", 8), {{"A1", "1"}, {"B1", "2"}, {"A2", ""}}},
      {__LINE__, kPrivate, "", {{"A1", ""}}},
      // Fields beyond the last column are dropped, not wrapped.
      {__LINE__, kText, std::string(300, '\t') + "9", {{"A1", ""}, {"A2", ""}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    PasteAt("A1", c.text, c.format);
    for (const auto& [ref, text] : c.cells) {
      EXPECT_EQ(Text(ref), text) << ref;
      if (*text == 0) {
        EXPECT_EQ(Cell(ref), nullptr) << ref;
      }
    }
    EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
    EXPECT_TRUE(CheckRowChains());
  }
}

TEST_F(ClipboardTest, AttributesOutOfRangeAreIgnored) {
  struct Case {
    int line;
    const char* attributes;
    uint8_t format, font, size, style, colour;
    uint8_t shade[3];
  };
  // The headless platform has three fonts (0..2).
  const Case kCases[] = {
      {__LINE__, "F2,H12,S1,T1,C$00112233", 2, 1, 12, 1, 0x00, {0x33, 0x22, 0x11}},
      {__LINE__, "F3,f2,h12,s1,t2,c$c0", 2, 2, 12, 1, 0x00, {0xC0, 0, 0}},
      {__LINE__, "F256,H-1,S$1FF,T3,T200,Zq,C$123456789,F,H1x,S99999999999", 0xFF, 255, 0, 0, 0xC0, {0, 0, 0}},
      {__LINE__, "F2,T255,,X1,H$,f$7F", 0x7F, 255, 0, 0, 0xC0, {0, 0, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    ASSERT_TRUE(PasteAt("B2", std::string("'x;") + c.attributes, ClipFormat::kPrivate).Done());
    const CellRecord* cell = Cell("B2");
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(Text("B2"), "'x");
    EXPECT_EQ(cell->format, c.format);
    EXPECT_EQ(cell->font, c.font);
    EXPECT_EQ(cell->size, c.size);
    EXPECT_EQ(cell->style, c.style);
    EXPECT_EQ(cell->colour, c.colour);
    EXPECT_EQ(std::memcmp(cell->shade, c.shade, 3), 0);
  }
}

TEST_F(ClipboardTest, NumbersComeBackAsTheSameDouble) {
  const char* kTexts[] = {"0.1", "0.30000000000000004", "123456789012.5", "1e-300",
                          "-2.5e+300", "9007199254740993", "3.141592653589793", "32767", "-32768",
                          "1e21", "4.9406564584124654e-324"};
  for (const char separator : {'.', ','}) {
    NumberFormatSettings().decimalSeparator = separator;
    for (const char* input : kTexts) {
      SCOPED_TRACE(testing::Message() << input << " with separator " << separator);
      ResetEngineState();
      NumberFormatSettings().decimalSeparator = separator;
      ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
      std::string typed = input;
      if (separator == ',') std::replace(typed.begin(), typed.end(), '.', ',');
      Enter("A1", typed);
      ASSERT_TRUE(KindIsNumeric(Cell("A1")->kind));
      ASSERT_TRUE(CopyToClipboard(ParseRange("A1"), false).Done());
      ASSERT_TRUE(PasteFromClipboard(0, 1).Done());
      ASSERT_NE(Cell("B1"), nullptr);
      const double before = CellNumber(Cell("A1"));
      const double after = CellNumber(Cell("B1"));
      EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << Clip(ClipFormat::kPrivate);
    }
  }
  NumberFormatSettings().decimalSeparator = '.';
}

TEST_F(ClipboardTest, LockedCellsCopyEmptyUnderProtection) {
  Enter("A1", "'secret");
  Enter("B1", "5");
  ASSERT_TRUE(SetRangeLock(ParseRange("B1"), false).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  ASSERT_TRUE(CopyToClipboard(ParseRange("A1..B1"), false).Done());
  EXPECT_EQ(Clip(ClipFormat::kPrivate), "\t5;F127,C$C0000000,T255,H0,S0\r\n");
  EXPECT_EQ(Clip(ClipFormat::kText), "\t5\r\n");
  ASSERT_TRUE(SetSheetProtection(false).Done());
  ASSERT_TRUE(CopyToClipboard(ParseRange("A1..B1"), false).Done());
  EXPECT_EQ(Clip(ClipFormat::kText), "secret\t5\r\n");
}

TEST_F(ClipboardTest, ARefusalStopsThePasteWithItsMessage) {
  for (const char* ref : {"A1", "B1", "A2", "B2"}) Enter(ref, "0");
  ASSERT_TRUE(SetRangeLock(ParseRange("A1..B2"), false).Done());
  ASSERT_TRUE(SetRangeLock(ParseRange("B1"), true).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  TheHeadlessPlatform().messages.clear();
  const CommandResult r = PasteAt("A1", "1\t2\r\n3\t4\r\n", ClipFormat::kText);
  EXPECT_EQ(r.status, CommandStatus::kProtected);
  EXPECT_EQ(TheHeadlessPlatform().messages, std::vector<std::string>{"Protected Cell"});
  EXPECT_EQ(Text("A1"), "1");
  EXPECT_EQ(Text("B1"), "0");
  EXPECT_EQ(Text("A2"), "0");  // the paste stopped at B1
}

TEST_F(ClipboardTest, PasteIsOneUndoStepAndRecalculates) {
  Enter("C1", "+A1+B2");
  ASSERT_TRUE(PasteAt("A1", "1\t2\r\n3\t4", ClipFormat::kText).Done());
  EXPECT_EQ(Number("C1"), 5);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Cell("B1"), nullptr);
  EXPECT_EQ(Cell("A2"), nullptr);
  EXPECT_TRUE(KindIs(Cell("A1")->kind, CellKind::kBlank));  // C1's references keep their records
  EXPECT_EQ(Number("C1"), 0);
  EXPECT_EQ(Text("C1"), "+A1+B2");
}

TEST_F(ClipboardTest, CutErasesContentsKeepsFormatsAndUndoesAsOneStep) {
  Enter("A1", "1");
  Enter("A2", "'two");
  ASSERT_TRUE(SetRangeFormat(ParseRange("A1..A2"), 0x02).Done());
  ASSERT_TRUE(CopyToClipboard(ParseRange("A1..A2"), true).Done());
  EXPECT_EQ(Clip(ClipFormat::kText), "1.00\r\ntwo\r\n");
  ASSERT_NE(Cell("A1"), nullptr);
  EXPECT_TRUE(KindIs(Cell("A1")->kind, CellKind::kBlank));
  EXPECT_EQ(Cell("A1")->format, 0x82);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Text("A1"), "1");
  EXPECT_EQ(Text("A2"), "'two");
}

TEST_F(ClipboardTest, ABlockPastTheBufferIsCutShortAndNotErased) {
  const std::string label = "'" + std::string(239, 'x');
  for (int row = 1; row <= 300; ++row) Enter("A" + std::to_string(row), label);
  TheHeadlessPlatform().messages.clear();
  const CommandResult r = CopyToClipboard(ParseRange("A1..A300"), true);
  EXPECT_EQ(r.status, CommandStatus::kFailed);
  // Each line is 240 + 27 + 2 bytes in the private format: it passes 63000 in line 235.
  const std::string message = " Clip Buffer Exceeded!\nCell: A235";
  EXPECT_EQ(TheHeadlessPlatform().messages, std::vector<std::string>{message});
  const std::string text = Clip(ClipFormat::kPrivate);
  EXPECT_GT(text.size(), kClipTextLimit);
  EXPECT_LT(text.size(), kClipTextLimit + 300);
  EXPECT_EQ(Text("A1"), label);  // nothing erased
  EXPECT_EQ(Text("A300"), label);
}

TEST_F(ClipboardTest, UserFunctionTableAndReset) {
  ASSERT_TRUE(AddLibraryFunction("TWICE", "@A(1)*2", 1));
  ASSERT_TRUE(AddLibraryFunction("PI2", "@PI*2", 0));
  Enter("A1", "4");
  Enter("B1", "@TWICE(A1)");
  Enter("B2", "+B1+1");
  Enter("B3", "@PI2");
  Enter("B4", "+A1*3");
  ASSERT_EQ(Number("B1"), 8);
  ASSERT_TRUE(WriteUserFunctionTable(9, 3).Done());  // D10
  EXPECT_EQ(Text("D10"), "'TWICE");
  EXPECT_EQ(Text("E10"), "'@A(1)*2");
  EXPECT_EQ(Text("D11"), "'PI2");
  EXPECT_EQ(Text("E11"), "'@PI*2");
  EXPECT_EQ(Cell("D12"), nullptr);

  ASSERT_TRUE(ResetUserFunctions().Done());
  EXPECT_EQ(Text("B1"), "'@TWICE(A1)");
  EXPECT_EQ(Text("B3"), "'@PI2");
  EXPECT_EQ(Text("B4"), "+A1*3");
  EXPECT_EQ(SheetFunctionCount(), 0);
  EXPECT_EQ(Number("B2"), 1);  // the label counts 0
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(SheetFunctionCount(), 2);
  EXPECT_EQ(Text("B1"), "@TWICE(A1)");
  EXPECT_EQ(Number("B2"), 9);

  ASSERT_TRUE(SetSheetProtection(true).Done());
  EXPECT_EQ(ResetUserFunctions().status, CommandStatus::kProtected);
  EXPECT_EQ(SheetFunctionCount(), 2);
}

}  // namespace
