#include "core/entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine_test_layers.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "core/sheet_layout.h"
#include "sheet_fixture.h"

namespace {

// A stand-in compiler that accepts any text starting with "+" or "@" and records its calls.
std::vector<std::string> compiled;
bool FakeCompile(std::string_view text, uint16_t, uint16_t, std::string* code) {
  compiled.emplace_back(text);
  if (text.empty() || (text[0] != '+' && text[0] != '@')) {
    RaiseError("Syntax Error");
    return false;
  }
  *code = std::string("\x02\x00\x03", 3);
  return true;
}
std::vector<CellHandle> recalculatedFrom;
void FakeRecalculateFrom(CellHandle cell) { recalculatedFrom.push_back(cell); }

class EntryTest : public SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    ResetEntryState();
    ResetNumberSettings();
    compiled.clear();
    recalculatedFrom.clear();
    UseTestEngineLayers();
  }
  void TearDown() override {
    UseTestEngineLayers();
    SheetTest::TearDown();
  }
  const CellRecord* Cell(uint32_t row, uint32_t column) {
    CellHandle h = GetCell(row, column);
    return h ? CellAt(h) : nullptr;
  }
  std::string Text(uint32_t row, uint32_t column) {
    const CellRecord* c = Cell(row, column);
    return c ? PoolText(c->text) : "<none>";
  }
  void Format(uint32_t row, uint32_t column, uint8_t format) {
    CellHandle h = GetOrCreateCell(row, column);
    ASSERT_NE(h, 0u);
    CellAt(h)->format = format;
  }
};

TEST(ReadEntryNumberTest, AcceptsTheEntryNumberSyntaxOnly) {
  ResetNumberSettings();
  struct Case {
    int line;
    const char* text;
    bool ok;
    double value;
  };
  const Case kCases[] = {
      {__LINE__, "12", true, 12},     {__LINE__, "12.5", true, 12.5},
      {__LINE__, ".5", true, 0.5},    {__LINE__, "5.", true, 5},
      {__LINE__, "-.5", true, -0.5},  {__LINE__, "+5", true, 5},
      {__LINE__, "1E3", true, 1000},  {__LINE__, "2.5e-2", true, 0.025},
      {__LINE__, "-7", true, -7},     {__LINE__, "1,000", false, 0},
      {__LINE__, "1e", false, 0},     {__LINE__, "+", false, 0},
      {__LINE__, ".", true, 0},       {__LINE__, "1.2.3", false, 0},
      {__LINE__, "--5", false, 0},    {__LINE__, "5-", false, 0},
      {__LINE__, "inf", false, 0},    {__LINE__, "0x10", false, 0},
      {__LINE__, "1E999", false, 0},  {__LINE__, "", false, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    double value = -1;
    EXPECT_EQ(ReadEntryNumber(c.text, &value), c.ok);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(value, c.value);
    }
  }
}

TEST(ReadEntryNumberTest, ReadsTheDecimalSeparatorOfTheSettings) {
  ResetNumberSettings();
  NumberFormatSettings().decimalSeparator = ',';
  double value = 0;
  EXPECT_TRUE(ReadEntryNumber("1,5", &value));
  EXPECT_DOUBLE_EQ(value, 1.5);
  EXPECT_TRUE(ReadEntryNumber(",25", &value));
  EXPECT_DOUBLE_EQ(value, 0.25);
  EXPECT_FALSE(ReadEntryNumber("1.5", &value));
  ResetNumberSettings();
}

TEST_F(EntryTest, NumbersAreStoredAsIntegersOrDoubles) {
  struct Case {
    int line;
    const char* text;
    CellKind kind;
    double value;
  };
  const Case kCases[] = {
      {__LINE__, "12", CellKind::kInteger, 12},  {__LINE__, "12.5", CellKind::kNumber, 12.5},
      {__LINE__, ".5", CellKind::kNumber, 0.5},  {__LINE__, "5.", CellKind::kInteger, 5},
      {__LINE__, "1E3", CellKind::kInteger, 1000}, {__LINE__, "+5", CellKind::kInteger, 5},
      {__LINE__, "40000", CellKind::kNumber, 40000},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EnterCell(c.text, 0, 0);
    ASSERT_NE(Cell(0, 0), nullptr);
    EXPECT_EQ(Cell(0, 0)->kind, static_cast<uint8_t>(c.kind));
    EXPECT_DOUBLE_EQ(CellNumber(Cell(0, 0)), c.value);
    EXPECT_EQ(Cell(0, 0)->text, kNoBlock);
  }
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
}

TEST_F(EntryTest, LabelsTakeThePrefixOfTheirAlignment) {
  EnterCell("abc", 0, 0);
  EXPECT_EQ(Text(0, 0), "'abc");
  EXPECT_EQ(Cell(0, 0)->kind, static_cast<uint8_t>(CellKind::kLabel));
  EnterCell("^abc", 0, 1);
  EXPECT_EQ(Text(0, 1), "^abc");
  CellHandle h = GetOrCreateCell(0, 2);
  CellAt(h)->style = 3 << 4;  // right-aligned cell
  EnterCell("abc", 0, 2);
  EXPECT_EQ(Text(0, 2), "^abc");
  Options().setLabelPrefix('"');
  EnterCell("xyz", 0, 3);
  EXPECT_EQ(Text(0, 3), "\"xyz");
}

TEST_F(EntryTest, LettersAfterASignAndUnreadableNumbersGoToTheCompiler) {
  TestLayers().compileFormula = &FakeCompile;
  EnterCell("+A1", 0, 0);
  EnterCell("-B2", 0, 1);
  EnterCell("1,000", 0, 2);
  EnterCell("+5", 0, 3);
  EXPECT_EQ(compiled, (std::vector<std::string>{"+A1", "-B2", "1,000"}));
  EXPECT_EQ(Cell(0, 0)->kind, static_cast<uint8_t>(CellKind::kFormula));
  EXPECT_EQ(PoolText(Cell(0, 0)->text), std::string("\x00\x03", 2));
  // 1,000 did not compile: an error box, and no cell where there was none.
  ASSERT_EQ(TheHeadlessPlatform().messages.size(), 2u);  // "-B2" and "1,000"
  EXPECT_EQ(TheHeadlessPlatform().messages[1], "Syntax Error");
  EXPECT_EQ(Cell(0, 2), nullptr);
  EXPECT_EQ(Cell(0, 3)->kind, static_cast<uint8_t>(CellKind::kInteger));
}

TEST_F(EntryTest, AFormulaThatDoesNotCompileIsRefusedWithAnErrorBox) {
  // A compiler that fails without a message of its own: the box still comes, with no text.
  TestLayers().compileFormula = [](std::string_view, uint16_t, uint16_t, std::string*) {
    return false;
  };
  EXPECT_EQ(EnterCell("@SUM(A1..A3)", 2, 2), EntryResult::kFormulaError);
  ASSERT_EQ(TheHeadlessPlatform().messages.size(), 1u);
  EXPECT_EQ(TheHeadlessPlatform().log.front(), "beep");
  EXPECT_EQ(Cell(2, 2), nullptr);
  EXPECT_TRUE(ErrorRaised());
}

std::vector<CellHandle> linked;
void FakeLink(CellHandle cell) { linked.push_back(cell); }

TEST_F(EntryTest, AFormulaThatDoesNotCompileLeavesTheCellAsItWas) {
  TestLayers().compileFormula = &FakeCompile;
  TestLayers().linkFormula = &FakeLink;
  linked.clear();
  // A new cell is taken back, with the extent and the modified flag as they were.
  SetSheetModified(false);
  const uint16_t lastRow = LastRow(), lastColumn = LastColumn();
  EnterCell("1,000", 40, 7);
  EXPECT_EQ(Cell(40, 7), nullptr);
  EXPECT_EQ(LastRow(), lastRow);
  EXPECT_EQ(LastColumn(), lastColumn);
  EXPECT_FALSE(SheetModified());
  EXPECT_EQ(EntryCell(), 0u);
  EXPECT_TRUE(CheckRowChains());

  // Existing cells keep kind, value and text.
  EnterCell("42", 0, 0);
  EnterCell("2.5", 0, 1);
  EnterCell("abc", 0, 2);
  ASSERT_NE(GetOrCreateCell(0, 3), 0u);  // a blank cell, as a reference makes one
  EnterCell("+A1", 0, 4);
  CellAt(GetCell(0, 4))->value[0] = 7;  // as if evaluated
  struct Case { int line; uint32_t column; uint8_t kind; std::string text; };
  const Case kCases[] = {
      {__LINE__, 0, static_cast<uint8_t>(CellKind::kInteger), ""},
      {__LINE__, 1, static_cast<uint8_t>(CellKind::kNumber), ""},
      {__LINE__, 2, static_cast<uint8_t>(CellKind::kLabel), "'abc"},
      {__LINE__, 3, static_cast<uint8_t>(CellKind::kBlank), ""},
      {__LINE__, 4, static_cast<uint8_t>(CellKind::kFormula), std::string("\x00\x03", 2)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const CellRecord before = *Cell(0, c.column);
    linked.clear();
    EnterCell("1,000", 0, c.column);
    EXPECT_TRUE(ErrorRaised());
    const CellRecord* after = Cell(0, c.column);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->kind, c.kind);
    EXPECT_EQ(std::memcmp(after->value, before.value, sizeof before.value), 0);
    EXPECT_EQ(after->text ? PoolText(after->text) : "", c.text);
    // A formula gets its references back.
    EXPECT_EQ(linked.size(), c.kind == static_cast<uint8_t>(CellKind::kFormula) ? 1u : 0u);
  }
}

TEST_F(EntryTest, DatesAndTimesAreReadOnlyInDateAndTimeCells) {
  TestLayers().compileFormula = &FakeCompile;
  Format(0, 0, 0x79);  // D4, month first
  EnterCell("12/08/1996", 0, 0);
  EXPECT_DOUBLE_EQ(CellNumber(Cell(0, 0)), 35407);
  Format(0, 1, 0x7A);  // D5, day first
  EnterCell("08/12/1996", 0, 1);
  EXPECT_DOUBLE_EQ(CellNumber(Cell(0, 1)), 35407);
  Format(0, 2, 0x7B);  // T3
  EnterCell("15:00", 0, 2);
  EXPECT_DOUBLE_EQ(CellNumber(Cell(0, 2)), 0.625);
  EnterCell("12/08/1996", 0, 3);  // general cell: a division for the compiler
  EXPECT_EQ(compiled, (std::vector<std::string>{"12/08/1996"}));
}

TEST_F(EntryTest, TheLabelsFormatKeepsEveryEntryALabel) {
  Format(1, 1, 0x7E);
  EnterCell("123", 1, 1);
  EXPECT_EQ(Cell(1, 1)->kind, static_cast<uint8_t>(CellKind::kLabel));
  EXPECT_EQ(Text(1, 1), "'123");
}

TEST_F(EntryTest, ProtectionRefusesLockedAndEmptyCells) {
  Format(0, 0, 0x71);  // unlocked
  EnterCell("5", 1, 1);
  Options().setProtection(true);
  EnterCell("7", 2, 2);
  EXPECT_EQ(GetCell(2, 2), 0u);
  EnterCell("8", 1, 1);
  EXPECT_DOUBLE_EQ(CellNumber(Cell(1, 1)), 5);
  EnterCell("9", 0, 0);
  EXPECT_DOUBLE_EQ(CellNumber(Cell(0, 0)), 9);
  EXPECT_EQ(TheHeadlessPlatform().messages,
            (std::vector<std::string>{"Protected Cell", "Protected Cell"}));

  TheHeadlessPlatform().messages.clear();
  SetEntryMessagesSuppressed(true);
  ClearError();
  EnterCell("8", 1, 1);
  EXPECT_TRUE(ErrorRaised());
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
  SetEntryMessagesSuppressed(false);
}

TEST_F(EntryTest, ReplacingContentGivesTheOldTextBack) {
  const int64_t before = PoolFreeBytes();
  EnterCell("a fairly long label text", 3, 3);
  EnterCell("42", 3, 3);
  EnterCell("", 3, 3);  // an existing cell becomes an empty label
  EXPECT_EQ(Text(3, 3), "'");
  EnterCell("1", 3, 3);
  ASSERT_NE(Cell(3, 3), nullptr);
  // Only the record itself is still in use.
  EXPECT_EQ(before - PoolFreeBytes(), 36);
}

TEST_F(EntryTest, AnEntryRecalculatesItsDependentsInAutomaticMode) {
  TestLayers().recalculateFrom = &FakeRecalculateFrom;
  EnterCell("1", 0, 0);
  EXPECT_TRUE(recalculatedFrom.empty());
  CellAt(GetCell(0, 0))->dependents = 4;  // pretend a formula refers to it
  EnterCell("2", 0, 0);
  EXPECT_EQ(recalculatedFrom.size(), 1u);
  EXPECT_TRUE(EntryRecalculated());
  Options().setManualRecalc(true);
  EnterCell("3", 0, 0);
  EXPECT_EQ(recalculatedFrom.size(), 1u);
  CellAt(GetCell(0, 0))->dependents = 0;
}

TEST_F(EntryTest, EditTextShowsContentAndDescriptor) {
  EnterCell("abc", 0, 0);
  EnterCell("12.5", 0, 1);
  CellHandle h = GetCell(0, 1);
  CellAt(h)->format = 0x02;  // F2, unprotected
  CellAt(h)->style = 3 << 4;
  CurrentLayout().columnWidth[1] = 96;
  EditInfo info = EditText(0, 1);
  EXPECT_EQ(info.text, "12.5");
  EXPECT_EQ(info.descriptor, " [F2,^ w12]");
  EXPECT_TRUE(info.editable);
  EXPECT_EQ(EditText(0, 0).text, "'abc");
  EXPECT_EQ(EditText(0, 0).descriptor, "");
  EXPECT_EQ(EditText(5, 5).text, "");

  Options().setProtection(true);
  info = EditText(0, 0);
  EXPECT_EQ(info.text, "* Protected *");
  EXPECT_FALSE(info.editable);
  EXPECT_FALSE(EditText(5, 5).editable);
  EXPECT_TRUE(EditText(0, 1).editable);
}

}  // namespace
