// tests/formula/formula_text_test.cpp — formula code back to text, and the round trip.
#include <random>
#include <string>
#include <vector>

#include "formula_fixture.h"

namespace {

class FormulaTextTest : public FormulaTest {};

TEST_F(FormulaTextTest, PrintsWhatCompilesBack) {
  struct Case { int line; const char* text; const char* printed; };
  const Case kCases[] = {
      {__LINE__, "(A1+B1)*2", "(A1+B1)*2"},
      {__LINE__, "A1+B1*2", "+A1+B1*2"},
      {__LINE__, "-A1", "-A1"},
      {__LINE__, "@SUM(A1..A5)", "@SUM(A1..A5)"},
      {__LINE__, "@sum(a5..a1,2)", "@SUM(A5..A1,2)"},
      {__LINE__, "50%", "+50%"},
      {__LINE__, "5", "+5"},
      {__LINE__, "1.5", "+1.5"},
      {__LINE__, "1E7", "+1E+07"},
      {__LINE__, "\"abc\"&A1", "+\"abc\"&A1"},
      {__LINE__, "$A$1+A$2-$B3", "+$A$1+A$2-$B3"},
      {__LINE__, "A1=>B1", "+A1>=B1"},
      {__LINE__, "A1><B1#AND#1", "+A1<>B1#AND#1"},
      {__LINE__, "1#or#0", "+1#OR#0"},
      {__LINE__, "@PI*2", "@PI*2"},
      {__LINE__, "#XNOTA1", "@NOT(A1)"},
      {__LINE__, "@IF(A1>1,\"y\",\"n\")", "@IF(A1>1,\"y\",\"n\")"},
      {__LINE__, "--A1", "--A1"},
      {__LINE__, "+-+A1", "-A1"},
      {__LINE__, "2^-A1", "+2^-A1"},
      {__LINE__, "+[/data/b.wk1]A1..B2", "+[/data/b.wk1]A1..B2"},
      {__LINE__, "@SUM([/data/b.wk1]C3)", "@SUM([/data/b.wk1]C3)"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Printed(c.text), c.printed);
  }
}

TEST_F(FormulaTextTest, RangeNamesPrintInPlaceOfTheirCells) {
  Name("RATE", "C3");
  Name("TOTAL", "A1..B5");
  Name("PAIR", "D1..E1");
  struct Case { int line; const char* text; const char* printed; };
  const Case kCases[] = {
      {__LINE__, "C3*2", "+RATE*2"},
      {__LINE__, "$C$3*2", "+$RATE*2"},
      {__LINE__, "$C3*2", "+$C3*2"},  // mixed flags would not read back as the name
      {__LINE__, "@SUM(A1..B5)", "@SUM(TOTAL)"},
      {__LINE__, "@SUM($A$1..$B$5)", "@SUM($TOTAL)"},
      {__LINE__, "@SUM($A$1..B5)", "@SUM($A$1..B5)"},
      {__LINE__, "@SUM(A1..B4)", "@SUM(A1..B4)"},
      {__LINE__, "@SUM(A1..C3)", "@SUM(A1..C3)"},  // corners print as cells
      {__LINE__, "@PAIR(1,A1)", "@PAIR(1,A1)"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Printed(c.text), c.printed);
  }
}

TEST_F(FormulaTextTest, ArgumentsAndDecimalsFollowTheSeparators) {
  NumberFormatSettings().decimalSeparator = ',';
  EXPECT_EQ(Printed("@ROUND(1,25;A1)"), "@ROUND(1,25;A1)");
}

TEST_F(FormulaTextTest, DeletedReferencesPrintAsErr) {
  std::string code = Code("A1+B1");
  ASSERT_FALSE(code.empty());
  std::fill(code.begin() + 3, code.begin() + 7, '\0');  // the operand of A1
  EXPECT_EQ(FormulaText(code), "+ERR+B1");
}

TEST_F(FormulaTextTest, ReferencesFollowTheirCells) {
  std::string code = Code("A1*2");
  ASSERT_FALSE(code.empty());
  CellRecord* a1 = CellAt(GetCell(0, 0));
  a1->row = 4;  // as if four rows had been inserted above it
  a1->column = 2;
  EXPECT_EQ(FormulaText(code), "+C5*2");
}

TEST_F(FormulaTextTest, BrokenAndUnknownCode) {
  struct Case { int line; std::vector<uint8_t> bytes; const char* text; };
  const Case kCases[] = {
      {__LINE__, {5, 0, 0x05, 0x01, 0x00, 0x04}, "NOEND"},            // no end marker
      {__LINE__, {240, 0, 0x03}, "NOEND"},                             // byte 0 too large
      {__LINE__, {4, 0, 0x05, 0x01, 0x03}, "NOEND"},                   // operand over the end
      {__LINE__, {4, 0, 0xFE, 0x05, 0x03}, "@NOFUN"},
      {__LINE__, {6, 0, 0x05, 0x01, 0x00, 0xC0, 0x03}, "@UKW(1)"},
      {__LINE__, {6, 0, 0x05, 0x07, 0x00, 0x09, 0x03}, "++7"},         // a missing operand
      {__LINE__, {2, 0, 0x03}, "+"},
      {__LINE__, {12, 0, 0x07, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0x03}, "+[]ERR"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(FormulaText(c.bytes.data(), c.bytes.size()), c.text);
  }
}

TEST_F(FormulaTextTest, TextBeyond240CharactersIsOverflow) {
  Name("LONGNAME123", "A1");
  std::string args;
  for (int i = 0; i < 40; ++i) args += std::string(i ? "," : "") + "A1";
  std::string code = Code("@SUM(" + args + ")");
  ASSERT_FALSE(code.empty());
  EXPECT_EQ(FormulaText(code), "OVERFLOW");
}

TEST_F(FormulaTextTest, UserFunctionCallsPrintTheirNames) {
  ASSERT_TRUE(AddLibraryFunction("TWICE", "@A(1)*2", 1));
  ASSERT_TRUE(AddLibraryFunction("SEVEN", "7", 0));
  EXPECT_EQ(Printed("@twice(A1)+@seven"), "@TWICE(A1)+@SEVEN");
}

TEST_F(FormulaTextTest, CellContentsText) {
  CellRecord* number = CellAt(GetOrCreateCell(0, 0));
  StoreNumber(number, 12.5);
  CellRecord* integer = CellAt(GetOrCreateCell(0, 1));
  StoreNumber(integer, -12);
  CellRecord* label = CellAt(GetOrCreateCell(0, 2));
  ASSERT_TRUE(SetCellText(label, "^abc"));
  label->kind = uint8_t(CellKind::kLabel);
  CellHandle formula = GetOrCreateCell(0, 3);
  std::string code = Code("A1+B1");
  ASSERT_TRUE(SetCellTextBytes(CellAt(formula), reinterpret_cast<const uint8_t*>(code.data())));
  CellAt(formula)->kind = uint8_t(CellKind::kStringFormula) | kKindErrorMark;
  CellHandle blank = GetOrCreateCell(0, 4);

  EXPECT_EQ(CellContentsText(GetCell(0, 0)), "12.5");
  EXPECT_EQ(CellContentsText(GetCell(0, 1)), "-12");
  EXPECT_EQ(CellContentsText(GetCell(0, 2)), "^abc");
  EXPECT_EQ(CellContentsText(formula), "+A1+B1");
  EXPECT_EQ(CellContentsText(blank), "");
  EXPECT_EQ(CellContentsText(0), "");
  EXPECT_EQ(TheEngineLayers().FormulaText(formula), "+A1+B1");
}

TEST_F(FormulaTextTest, FileFormCodePrintsForItsCell) {
  // +A3 as a FORMULA record in A4 carries it, not yet converted after loading.
  CellHandle a4 = GetOrCreateCell(3, 0);
  const uint8_t file[] = {7, 0, 0x01, 0x00, 0x80, 0xFF, 0xBF, 0x03};
  ASSERT_TRUE(SetCellTextBytes(CellAt(a4), file));
  CellAt(a4)->kind = uint8_t(CellKind::kFormula) | kKindFileForm;
  EXPECT_EQ(CellFormulaText(a4), "+A3");
  EXPECT_EQ(GetCell(2, 0), 0u);  // showing the text makes no cell
  Name("RATE", "A3");
  EXPECT_EQ(CellFormulaText(a4), "+RATE");
}

// --- the round trip: text -> code -> text -> code gives the same code ----------------------------

class FormulaGenerator {
 public:
  explicit FormulaGenerator(uint32_t seed) : random_(seed) {}

  std::string Expression(int depth) {
    int choice = Pick(depth <= 0 ? 5 : 12);
    switch (choice) {
      case 0: return std::to_string(Pick(40000));
      case 1: return std::to_string(Pick(1000)) + "." + std::to_string(1 + Pick(99));
      case 2: return Cell();
      case 3: return "\"" + std::string(1 + Pick(4), char('a' + Pick(26))) + "\"";
      case 4: return Pick(2) ? std::to_string(Pick(100)) + "%" : Cell() + "!";
      case 5:
      case 6:
      case 7: {
        static const char* kOperators[] = {"+", "-", "*", "/", "^", "=", "<>", "<=", ">=", "<",
                                           ">", "#AND#", "#OR#", "&", "=>", "><", "=<"};
        return Expression(depth - 1) + kOperators[Pick(17)] + Expression(depth - 1);
      }
      case 8: return (Pick(4) ? "-" : "+-") + Expression(depth - 1);
      case 9: return "(" + Expression(depth - 1) + ")";
      case 10: {
        static const char* kVariable[] = {"@SUM", "@AVG", "@MAX", "@MIN", "@COUNT"};
        std::string text = std::string(kVariable[Pick(5)]) + "(";
        int n = 1 + Pick(3);
        for (int i = 0; i < n; ++i) {
          if (i) text += ",";
          text += Pick(2) ? Cell() + ".." + Cell() : Expression(depth - 1);
        }
        return text + ")";
      }
      default: {
        switch (Pick(5)) {
          case 0: return "@PI";
          case 1: return "@ABS(" + Expression(depth - 1) + ")";
          case 2: return "@ROUND(" + Expression(depth - 1) + "," + Expression(depth - 1) + ")";
          case 3:
            return "@IF(" + Expression(depth - 1) + "," + Expression(depth - 1) + "," +
                   Expression(depth - 1) + ")";
          default: return "@NOT(" + Expression(depth - 1) + ")";
        }
      }
    }
  }

 private:
  int Pick(int n) { return int(random_() % uint32_t(n)); }
  std::string Cell() {
    std::string text = Pick(3) ? "" : "$";
    if (Pick(4) == 0) {
      text += char('A' + Pick(8));  // two letters up to HZ
      text += char('A' + Pick(26));
    } else {
      text += char('A' + Pick(26));
    }
    if (Pick(3) == 0) text += "$";
    return text + std::to_string(1 + Pick(200));
  }
  std::mt19937 random_;
};

TEST_F(FormulaTextTest, RoundTripGivesIdenticalCode) {
  Name("TOTAL", "A1..B5");
  Name("RATE", "C3");
  FormulaGenerator generator(20240611);
  int compiled = 0;
  int tried = 0;
  const int kFormulas = 600;
  for (int i = 0; i < kFormulas; ++i) {
    std::string text = generator.Expression(1 + i % 5);
    if (i % 3 == 0) text = "+" + text;
    if (text.size() > 200) continue;  // leaves room for names printed in place of cells
    ++tried;
    std::string first;
    if (!Compile(text, &first)) continue;
    ++compiled;
    std::string printed = FormulaText(first);
    SCOPED_TRACE(testing::Message() << text << " printed as " << printed);
    std::string second;
    ASSERT_TRUE(Compile(printed, &second));
    EXPECT_EQ(DumpCode(second, CodeForm::kCell), DumpCode(first, CodeForm::kCell));
    EXPECT_EQ(second, first);
    EXPECT_EQ(FormulaText(second), printed);
  }
  // Only texts too long for the code buffer may fail.
  EXPECT_GT(compiled, tried * 8 / 10);
  EXPECT_GT(tried, kFormulas / 2);
}

}  // namespace
