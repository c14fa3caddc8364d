// tests/formula/compiler_test.cpp — formula text to formula code.
#include <filesystem>
#include <string>

#include "formula_fixture.h"

namespace {

class CompilerTest : public FormulaTest {};

TEST_F(CompilerTest, PrecedenceAndAssociativity) {
  struct Case { int line; const char* text; const char* dump; };
  const Case kCases[] = {
      {__LINE__, "9-4-2", "Integer 9, Integer 4, Subtract, Integer 2, Subtract, End"},
      {__LINE__, "2^3^2", "Integer 2, Integer 3, Power, Integer 2, Power, End"},
      {__LINE__, "-2^2", "Integer 2, Negate, Integer 2, Power, End"},
      {__LINE__, "1+2-3", "Integer 1, Integer 2, Integer 3, Subtract, Add, End"},
      {__LINE__, "1-2+3", "Integer 1, Integer 2, Subtract, Integer 3, Add, End"},
      {__LINE__, "(1+2)*3", "Integer 1, Integer 2, Add, Parentheses, Integer 3, Multiply, End"},
      {__LINE__, "1+2*3", "Integer 1, Integer 2, Integer 3, Multiply, Add, End"},
      {__LINE__, "1<2=3", "Integer 1, Integer 2, Less, Integer 3, Equal, End"},
      {__LINE__, "1=2#AND#3>4", "Integer 1, Integer 2, Equal, Integer 3, Integer 4, Greater, And, End"},
      {__LINE__, "1#or#2#AND#3", "Integer 1, Integer 2, Integer 3, And, Or, End"},
      {__LINE__, "\"a\"&\"b\"&\"c\"", "String \"a\", String \"b\", Concat, String \"c\", Concat, End"},
      {__LINE__, "-A1&B1", "CellRef A1, CellRef B1, Concat, Negate, End"},
      {__LINE__, "2*-3", "Integer 2, Integer 3, Negate, Multiply, End"},
      {__LINE__, "+-+1", "Integer 1, Negate, End"},
      // Prefix operators stack up without taking anything from before them.
      {__LINE__, "--1", "Integer 1, Negate, Negate, End"},
      {__LINE__, "A1&-B1", "CellRef A1, CellRef B1, Negate, Concat, End"},
      {__LINE__, "#XNOT A1=1", "FAIL"},
      {__LINE__, "#XNOTA1=1", "CellRef A1, Integer 1, Equal, Not, End"},
      {__LINE__, "1#XNOT0", "FAIL"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Dumped(c.text), c.dump);
  }
}

TEST_F(CompilerTest, OperandsConstantsAndTwoCharacterOperators) {
  struct Case { int line; const char* text; const char* dump; };
  const Case kCases[] = {
      {__LINE__, "50%", "Integer 50, Percent, End"},
      {__LINE__, "5!", "Integer 5, Factorial, End"},
      {__LINE__, "A1%", "CellRef A1, Percent, End"},
      {__LINE__, "32766", "Integer 32766, End"},
      {__LINE__, "32767", "Constant 32767, End"},
      {__LINE__, "-32767", "Constant 32767, Negate, End"},
      {__LINE__, "2.5", "Constant 2.5, End"},
      {__LINE__, ".5", "Constant 0.5, End"},
      {__LINE__, "5.", "Integer 5, End"},
      {__LINE__, "1E3", "Integer 1000, End"},
      {__LINE__, "1.5E-3", "Constant 0.0015, End"},
      {__LINE__, "2e+5*2", "Constant 200000, Integer 2, Multiply, End"},
      {__LINE__, "1E999", "FAIL"},
      {__LINE__, "\"abc\"", "String \"abc\", End"},
      {__LINE__, "\"a+b,c\"", "String \"a+b,c\", End"},
      {__LINE__, "\"abc", "FAIL"},
      {__LINE__, "A1>=B1", "CellRef A1, CellRef B1, GreaterEqual, End"},
      {__LINE__, "A1=>B1", "CellRef A1, CellRef B1, GreaterEqual, End"},
      {__LINE__, "A1<=B1", "CellRef A1, CellRef B1, LessEqual, End"},
      {__LINE__, "A1=<B1", "CellRef A1, CellRef B1, LessEqual, End"},
      {__LINE__, "A1<>B1", "CellRef A1, CellRef B1, NotEqual, End"},
      {__LINE__, "A1><B1", "CellRef A1, CellRef B1, NotEqual, End"},
      {__LINE__, "$a$1+b$2+$C3", "CellRef $A$1, CellRef B$2, Add, CellRef $C3, Add, End"},
      {__LINE__, "@SUM(A1..A3,5)", "RangeRef A3 A1, Integer 5, @SUM/2, End"},
      {__LINE__, "@SUM(B5..A1)", "RangeRef A1 B5, @SUM/1, End"},
      {__LINE__, "@SUM(A1..A1)", "CellRef A1, @SUM/1, End"},
      {__LINE__, "@LENGTH(\"(\")", "String \"(\", @LENGTH, End"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Dumped(c.text), c.dump);
  }
}

TEST_F(CompilerTest, ArgumentCounts) {
  struct Case { int line; const char* text; const char* dump; };
  const Case kCases[] = {
      {__LINE__, "@PI", "@PI, End"},
      {__LINE__, "@pi*2", "@PI, Integer 2, Multiply, End"},
      {__LINE__, "@PI()", "FAIL"},
      {__LINE__, "@SUM", "FAIL"},
      {__LINE__, "@SUM()", "FAIL"},
      {__LINE__, "@ABS", "FAIL"},
      {__LINE__, "@ABS(1,2)", "FAIL"},
      {__LINE__, "@IF(A1,1,0)", "CellRef A1, Integer 1, Integer 0, @IF, End"},
      {__LINE__, "@IF(1,2)", "FAIL"},
      {__LINE__, "@NOT(1)", "Integer 1, Not, End"},
      {__LINE__, "@REPLACE(1)", "Integer 1, @REPLACE, End"},
      {__LINE__, "@MAX(1,@MIN(2,3,4),5)",
       "Integer 1, Integer 2, Integer 3, Integer 4, @MIN/3, Integer 5, @MAX/3, End"},
      {__LINE__, "@SUM(1,,2)", "FAIL"},
      {__LINE__, "@SUM(1,2,)", "FAIL"},
      {__LINE__, "1,2", "FAIL"},
      {__LINE__, "(1,2)", "FAIL"},
      // A stray separator does not lend its count to a later call.
      {__LINE__, "(1,2)+@SUM(3)", "FAIL"},
      {__LINE__, "@FOO(1)", "FAIL"},
      {__LINE__, "@%(5)", "FAIL"},
      {__LINE__, "@(5)", "FAIL"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Dumped(c.text), c.dump);
  }
}

TEST_F(CompilerTest, MalformedTextFailsWithItsOwnMessageAndPosition) {
  Name("PAIR", "A1..B3");
  ASSERT_TRUE(AddLibraryFunction("TWICE", "@A(1)*2", 1));
  // `at` counts from 1, as the message does; 0 where the position is not known.
  struct Case { int line; const char* text; const char* message; int at; };
  const Case kCases[] = {
      {__LINE__, "", "Operand expected", 1},
      {__LINE__, "+", "Operand expected", 2},
      {__LINE__, "1+", "Operand expected", 3},
      {__LINE__, "+A1+", "Operand expected", 5},
      {__LINE__, "*1", "Operand expected", 1},
      {__LINE__, "@SUM(1,,2)", "Operand expected", 8},
      {__LINE__, "@SUM(1,2,)", "Operand expected", 10},
      {__LINE__, "(1", "Missing )", 3},
      {__LINE__, "@SUM(A1..A3", "Missing )", 12},
      {__LINE__, "@ABS(\"a)", "Missing )", 9},
      {__LINE__, "1)", "Missing (", 2},
      {__LINE__, "\"abc", "Missing \"", 5},
      {__LINE__, "[f", "Missing ]", 3},
      {__LINE__, "5 5", "Operator expected", 3},
      {__LINE__, "5 -5", "Operator expected", 3},
      {__LINE__, "A1(2)", "Operator expected", 3},
      {__LINE__, "(1)(2)", "Operator expected", 4},
      {__LINE__, "@SUM(1)5", "Operator expected", 8},
      {__LINE__, "1#XNOT0", "Operator expected", 2},
      {__LINE__, "A1 * 2", "Unexpected space", 3},
      {__LINE__, "A1+ B1", "Unexpected space", 4},
      {__LINE__, "A1 ", "Unexpected space", 3},
      {__LINE__, "1,2", "Unexpected ,", 2},
      {__LINE__, "(1,2)", "Unexpected ,", 3},
      {__LINE__, "(1,2)+@SUM(3)", "Unexpected ,", 3},
      {__LINE__, "1#2", "Unknown operator #", 2},
      {__LINE__, "@FOO(1)", "Unknown function @FOO", 1},
      {__LINE__, "2*@foo", "Unknown function @FOO", 3},
      {__LINE__, "@%(5)", "Unknown function @%", 1},
      {__LINE__, "@(5)", "Unknown function @", 1},
      {__LINE__, "@PI()", "Wrong number of arguments for @PI", 1},
      {__LINE__, "@SUM()", "Wrong number of arguments for @SUM", 1},
      {__LINE__, "1+@SUM", "Wrong number of arguments for @SUM", 3},
      {__LINE__, "@ROUND(1)", "Wrong number of arguments for @ROUND", 1},
      {__LINE__, "@ABS(@ROUND(1,2,3))", "Wrong number of arguments for @ROUND", 6},
      {__LINE__, "@PAIR(1)", "Wrong number of arguments for @PAIR", 1},
      {__LINE__, "@PAIR", "Wrong number of arguments for @PAIR", 1},
      {__LINE__, "@TWICE", "Wrong number of arguments for @TWICE", 1},
      {__LINE__, "@TWICE(1,2)", "Wrong number of arguments for @TWICE", 1},
      {__LINE__, "A1..B5", "Range outside a function", 0},
      {__LINE__, "A1.B2", "Unknown name or reference A1.B2", 1},
      {__LINE__, "IW1", "Unknown name or reference IW1", 1},
      {__LINE__, "2+A0", "Unknown name or reference A0", 3},
      {__LINE__, "1..2", "Invalid number 1..2", 1},
      {__LINE__, "[f]", "Reference expected", 4},
      {__LINE__, "[f]+1", "Reference expected", 5},
      {__LINE__, "[f]5", "Reference expected", 4},
      {__LINE__, "[]A1", "Invalid file name", 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    std::string code = "untouched";
    EXPECT_FALSE(Compile(c.text, &code));
    EXPECT_EQ(code, "untouched");
    EXPECT_EQ(CompilerMessage(), c.message);
    EXPECT_EQ(CompilerErrorPosition(), c.at - 1);
    const std::string shown =
        c.at ? std::string(c.message) + " at " + std::to_string(c.at) : std::string(c.message);
    EXPECT_EQ(CompilerErrorText(), shown);
  }
  std::string withNul("1+\0" "2", 4);
  std::string code;
  EXPECT_FALSE(Compile(withNul, &code));
  EXPECT_EQ(CompilerErrorText(), "Invalid character at 3");
  // A range is fine once a function is called somewhere.
  EXPECT_EQ(Dumped("A1..A2+@PI"), "RangeRef A2 A1, @PI, Add, End");
  EXPECT_EQ(CompilerMessage(), "");
  EXPECT_EQ(CompilerErrorPosition(), -1);
}

TEST_F(CompilerTest, CellEntryRaisesTheMessageWithItsPosition) {
  std::string code;
  ClearError();
  EXPECT_FALSE(CompileFormula("@SUM(A1..A3", 0, 1, &code));
  EXPECT_TRUE(ErrorRaised());
  EXPECT_EQ(ErrorText(), "Missing ) at 12");
}

TEST_F(CompilerTest, FailedCompilationTakesBackTheCellsItMade) {
  const uint16_t lastRow = LastRow(), lastColumn = LastColumn();
  std::string code;
  EXPECT_FALSE(Compile("+Z99+Y98+", &code));
  EXPECT_EQ(GetCell(98, 25), 0u);
  EXPECT_EQ(GetCell(97, 24), 0u);
  EXPECT_EQ(LastRow(), lastRow);
  EXPECT_EQ(LastColumn(), lastColumn);
  EXPECT_TRUE(CheckRowChains());
  // A cell that was there before stays.
  ASSERT_NE(GetOrCreateCell(98, 25), 0u);
  EXPECT_FALSE(Compile("+Z99+Y98+", &code));
  EXPECT_NE(GetCell(98, 25), 0u);
  EXPECT_EQ(GetCell(97, 24), 0u);
  EXPECT_TRUE(CheckRowChains());
}

TEST_F(CompilerTest, SemicolonSeparatesArgumentsWhenTheDecimalSeparatorIsAComma) {
  NumberFormatSettings().decimalSeparator = ',';
  EXPECT_EQ(ArgumentSeparator(), ';');
  EXPECT_EQ(Dumped("@ROUND(1,25;1)"), "Constant 1.25, Integer 1, @ROUND, End");
  EXPECT_EQ(Dumped("@ROUND(1,25,1)"), "FAIL");
  NumberFormatSettings().decimalSeparator = '.';
  NumberFormatSettings().argumentSeparator = ';';
  EXPECT_EQ(Dumped("@ROUND(1.25;1)"), "Constant 1.25, Integer 1, @ROUND, End");
}

TEST_F(CompilerTest, CodeLongerThanTheBufferFailsWithItsMessage) {
  // 78 integer arguments and a pair of parentheses put the end marker at position 239.
  std::string args;
  for (int i = 0; i < 78; ++i) args += (i ? "," : "") + std::to_string(i % 10);
  std::string code = Code("(@SUM(" + args + "))");
  ASSERT_FALSE(code.empty());
  EXPECT_EQ(uint8_t(code[0]), 239);
  EXPECT_EQ(uint8_t(code[239]), kEndMarker);

  std::string longer = "(@SUM(" + args + ",1))";
  EXPECT_FALSE(Compile(longer, &code));
  EXPECT_EQ(CompilerMessage(), "Max Formula Size Exceeded");
  ClearError();
  EXPECT_FALSE(CompileFormula(longer, 0, 0, &code));
  EXPECT_TRUE(ErrorRaised());
  EXPECT_EQ(ErrorText(), "Max Formula Size Exceeded");
}

TEST_F(CompilerTest, TooManyPendingOperatorsBeepAndFail) {
  EXPECT_NE(Dumped(std::string(40, '-') + "1"), "FAIL");
  TheHeadlessPlatform().Reset();
  EXPECT_EQ(Dumped(std::string(41, '-') + "1"), "FAIL");
  EXPECT_EQ(TheHeadlessPlatform().beeps, 1);
}

TEST_F(CompilerTest, ReferencesMakeTheirCellsAndLeaveTheCoreErrorFlagAlone) {
  EXPECT_EQ(GetCell(98, 25), 0u);
  EXPECT_EQ(Dumped("+Z99*2"), "CellRef Z99, Integer 2, Multiply, End");
  EXPECT_NE(GetCell(98, 25), 0u);

  RaiseError("earlier");
  EXPECT_EQ(Dumped("IW1"), "FAIL");
  EXPECT_NE(Dumped("A1"), "FAIL");
  EXPECT_TRUE(ErrorRaised());
  EXPECT_EQ(ErrorText(), "earlier");
  ClearError();
  EXPECT_EQ(Dumped("IW1"), "FAIL");
  EXPECT_FALSE(ErrorRaised());
}

TEST_F(CompilerTest, RangeNamesAsOperands) {
  Name("TOTAL", "A1..B5");
  Name("1ST", "C3");
  struct Case { int line; const char* text; const char* dump; };
  const Case kCases[] = {
      {__LINE__, "@SUM(TOTAL)", "RangeRef B5 A1, @SUM/1, End"},
      {__LINE__, "@SUM($total)", "RangeRef $B$5 $A$1, @SUM/1, End"},
      {__LINE__, "+1ST*2", "CellRef C3, Integer 2, Multiply, End"},
      {__LINE__, "TOTAL", "FAIL"},
      {__LINE__, "@SUM(NOPE)", "FAIL"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Dumped(c.text), c.dump);
  }
}

TEST_F(CompilerTest, UserFunctionsComeFromTheSheetThenTheLibrary) {
  ASSERT_TRUE(AddLibraryFunction("twice", "@A(1)*2", 1));
  ASSERT_TRUE(AddLibraryFunction("SEVEN", "7", 0));
  EXPECT_EQ(SheetFunctionCount(), 0);
  EXPECT_EQ(Dumped("@Twice(2)"), "Integer 2, UserFunction 1, End");
  EXPECT_EQ(Dumped("@TWICE(3)+@SEVEN"),
            "Integer 3, UserFunction 1, UserFunction 2, Add, End");
  EXPECT_EQ(SheetFunctionCount(), 2);  // copied on first use only
  UserFunction f;
  ASSERT_TRUE(SheetFunctionAt(1, &f));
  EXPECT_EQ(f.name, "TWICE");
  EXPECT_EQ(f.text, "@A(1)*2");
  EXPECT_EQ(f.argumentCount, 1);

  struct Case { int line; const char* text; };
  const Case kFailures[] = {
      {__LINE__, "@TWICE"}, {__LINE__, "@TWICE(1,2)"}, {__LINE__, "@SEVEN(1)"},
      {__LINE__, "@SEVEN()"},
  };
  for (const Case& c : kFailures) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Dumped(c.text), "FAIL");
  }

  ClearFunctionLibrary();
  EXPECT_EQ(Dumped("@TWICE(4)"), "Integer 4, UserFunction 1, End");  // the sheet keeps its copy
  ResetSheetFunctions();
  EXPECT_EQ(Dumped("@TWICE(4)"), "FAIL");
}

TEST_F(CompilerTest, NamedRangeCallsTakeOneArgumentPerColumn) {
  Name("PAIR", "A1..B3");
  Name("ONE", "D4");
  struct Case { int line; const char* text; const char* dump; };
  const Case kCases[] = {
      {__LINE__, "@PAIR(1,2)", "Integer 1, Integer 2, NamedRangeCall $B$3 $A$1, End"},
      {__LINE__, "@pair(1,2)*2",
       "Integer 1, Integer 2, NamedRangeCall $B$3 $A$1, Integer 2, Multiply, End"},
      {__LINE__, "@ONE(5)", "Integer 5, NamedRangeCall $D$4, End"},
      {__LINE__, "@PAIR(1)", "FAIL"},
      {__LINE__, "@PAIR(1,2,3)", "FAIL"},
      {__LINE__, "@PAIR", "FAIL"},
      {__LINE__, "@ONE", "FAIL"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Dumped(c.text), c.dump);
  }
}

TEST_F(CompilerTest, ExternalReferencesKeepTheFullPathAndTheirCorners) {
  EXPECT_EQ(Dumped("+[/data/Budget.wk1]B2..C3"), "External 1,1,2,2 [/data/Budget.wk1], End");
  EXPECT_EQ(Dumped("@SUM([/d/x.wks]A1..A9)"), "External 0,0,0,8 [/d/x.wks], @SUM/1, End");
  std::string cwd = std::filesystem::current_path().string();
  if (cwd.back() != '/') cwd += '/';
  EXPECT_EQ(Dumped("+[plan.wks]A1"), "External 0,0,0,0 [" + cwd + "plan.wks], End");
}

}  // namespace
