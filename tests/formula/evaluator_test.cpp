// tests/formula/evaluator_test.cpp — operators, the evaluator's own functions, cell values,
// user functions, named-range calls, external references and hostile code.
#include <random>
#include <string>
#include <vector>

#include "core/worksheets.h"
#include "evaluator_fixture.h"
#include "formula/formula_code.h"

namespace {

TEST_F(EvaluatorTest, OperatorsAndOwnFunctions) {
  struct Case {
    int line;
    const char* text;
    const char* shown;
  };
  const Case kCases[] = {
      {__LINE__, "1+2*3", "7"},
      {__LINE__, "7/2", "3.5"},
      {__LINE__, "1/0", "ERR"},
      {__LINE__, "1E300*1E300", "ERR"},
      {__LINE__, "@IF(2,1,0)", "0"},
      {__LINE__, "@IF(1,1,0)", "1"},
      {__LINE__, "@IF(1,\"yes\",\"no\")", "\"yes\""},
      {__LINE__, "@IF(0,@ERR,2)", "2"},
      {__LINE__, "@IF(1,@ERR,2)", "ERR"},
      {__LINE__, "@IF(1/0,1,2)", "ERR"},
      {__LINE__, "@NOT(5)", "0"},
      {__LINE__, "@NOT(0)", "1"},
      {__LINE__, "3#AND#5", "1"},
      {__LINE__, "2#OR#4", "6"},
      {__LINE__, "65537#AND#3", "1"},
      {__LINE__, "3000000000#AND#3", "1"},
      {__LINE__, "2.6#OR#0", "3"},
      {__LINE__, "@ISNA(-1)", "1"},
      {__LINE__, "@ISNA(@NA)", "1"},
      {__LINE__, "@ISNA(@ERR)", "1"},
      {__LINE__, "@ISNA(0)", "0"},
      {__LINE__, "@NA", "-1"},
      {__LINE__, "@NA+1", "0"},
      {__LINE__, "@ERR", "ERR"},
      {__LINE__, "@ERR*0", "ERR"},
      {__LINE__, "@ISERR(@ERR)", "1"},
      {__LINE__, "@ISERR(1/0)", "1"},
      {__LINE__, "@ISERR(1)", "0"},
      {__LINE__, "@ISERR(@ERR)+1", "2"},
      {__LINE__, "\"ab\"=\"AB\"", "0"},
      {__LINE__, "\"ab\"=\"ab\"", "1"},
      {__LINE__, "\"a\"<\"b\"", "1"},
      {__LINE__, "\"ab\"<\"abc\"", "1"},
      {__LINE__, "\"b\"<=\"a\"", "0"},
      {__LINE__, "\"abc\"=0", "1"},
      {__LINE__, "\"abc\"<>0", "0"},
      {__LINE__, "\"abc\">-1", "1"},
      {__LINE__, "\"A\"&1", "\"A1\""},
      {__LINE__, "1&2", "\"12\""},
      {__LINE__, "0.5&\"x\"", "\"0.5x\""},
      {__LINE__, "0^0", "0"},
      {__LINE__, "0^-2", "0"},
      {__LINE__, "5^0", "1"},
      {__LINE__, "2^-1", "0.5"},
      {__LINE__, "2^10", "1024"},
      {__LINE__, "(-2)^3", "-8"},
      {__LINE__, "(-8)^(1/3)", "ERR"},
      {__LINE__, "4^0.5", "2"},
      {__LINE__, "2^5000", "ERR"},
      {__LINE__, "(-1)^40001", "-1"},
      {__LINE__, "@CASE(1,10,20)", "10"},
      {__LINE__, "@CASE(2,10,\"b\")", "\"b\""},
      {__LINE__, "@CASE(1.6,10,20)", "20"},
      {__LINE__, "@CASE(0,10,20)", "ERR"},
      {__LINE__, "@CASE(3,10,20)", "ERR"},
      {__LINE__, "@CASE(1,10,1/0)", "10"},
      {__LINE__, "50%", "0.5"},
      {__LINE__, "3!", "6"},
      {__LINE__, "171!", "ERR"},
      {__LINE__, "-(2)", "-2"},
      {__LINE__, "@TRUE+@TRUE", "2"},
      {__LINE__, "@FALSE", "0"},
      {__LINE__, "@REPLACE(1)", "ERR"},
      {__LINE__, "@A(0)", "ERR"},
      {__LINE__, "@A(1)", "0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Shown(EvaluateText(c.text)), c.shown);
  }
  EXPECT_EQ(EvaluationDepth(), 0);
}

TEST_F(EvaluatorTest, ResultsAreStoredInTheCell) {
  Enter("A1", "'label");
  Enter("A2", "^centred");
  Enter("B1", "+A1");
  Enter("B2", "+A2&\"!\"");
  Enter("B3", "+A9");  // A9 does not exist: the compiler makes a blank record for it
  Enter("B4", "1/0");
  Enter("B5", "+B4+1");
  Enter("B6", "@ISERR(B5)");
  Enter("B7", "2.5*2");
  struct Case {
    int line;
    const char* ref;
    const char* shown;
    uint8_t kind;
  };
  const Case kCases[] = {
      {__LINE__, "B1", "\"label\"", 0},          {__LINE__, "B2", "\"centred!\"", 0},
      {__LINE__, "B3", "\"\"", 0},                {__LINE__, "B4", "ERR", 1 | kKindErrorMark},
      {__LINE__, "B5", "ERR", 1 | kKindErrorMark}, {__LINE__, "B6", "1", 1},
      {__LINE__, "B7", "5", 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.ref);
    EXPECT_EQ(Shown(c.ref), c.shown);
    EXPECT_EQ(CellAt(At(c.ref))->kind, c.kind);
  }
  // An ERR cell holds -1.0; a string formula with an empty result holds no string block.
  EXPECT_EQ(CellDouble(CellAt(At("B4"))), -1.0);
  EXPECT_EQ(CellStringResult(CellAt(At("B3"))), 0u);

  // A string result turning into a number and back frees and takes string blocks.
  Enter("A1", "7");
  EXPECT_EQ(Shown("B1"), "7");
  Enter("A1", "'again");
  EXPECT_EQ(Shown("B1"), "\"again\"");
  Enter("B1", "5");
  ExpectSound();
}

// Code built by hand, as a file could hold it: evaluation must end in a value, never in a read
// outside the code or the stacks.
std::string HandCode(std::initializer_list<uint8_t> tokens) {
  std::string code(2, '\0');
  for (uint8_t t : tokens) code.push_back(char(t));
  code[0] = char(code.size());
  code.push_back(char(kEndMarker));
  return code;
}

TEST_F(EvaluatorTest, BrokenCodeGivesErr) {
  struct Case {
    int line;
    std::string code;
    const char* shown;
  };
  const Case kCases[] = {
      {__LINE__, HandCode({0x05, 2, 0, 0x05, 3, 0, 0x09}), "5"},
      {__LINE__, HandCode({0x09}), "ERR"},                          // no operands
      {__LINE__, HandCode({0x05, 2, 0, 0x0B}), "ERR"},              // one operand short
      {__LINE__, HandCode({0x05, 1, 0, 0x50, 200}), "ERR"},         // @SUM of 200 arguments
      {__LINE__, HandCode({0x30, 0}), "ERR"},                       // @CASE of nothing
      {__LINE__, HandCode({0xFE, 7}), "ERR"},                       // no such user function
      {__LINE__, HandCode({0x01, 0, 0, 0, 0}), "ERR"},              // reference to nothing
      {__LINE__, HandCode({0x06, 'a', 'b'}), "ERR"},                // string without its 0
      {__LINE__, HandCode({0x00, 1, 2}), "ERR"},                    // constant cut short
      {__LINE__, HandCode({0xFF, 0x09}), "ERR"},                    // named call of no operand
      {__LINE__, HandCode({0x05, 1, 0, 0x05, 2, 0}), "1"},          // two values: the first
      {__LINE__, HandCode({}), "0"},
      {__LINE__, std::string("\x05\x00\x05\x01\x00", 5), "ERR"},    // no end marker
      {__LINE__, std::string("\xF5\x00\x03", 3), "ERR"},            // byte 0 past the buffer
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(Shown(EvaluateCode(c.code)), c.shown);
  }
}

TEST_F(EvaluatorTest, CodeLeftInFileFormIsErrAndStaysMarked) {
  Enter("A1", "2");
  Enter("B1", "+A1*2");
  Unlink(At("B1"));
  CellAt(At("B1"))->kind |= kKindFileForm;  // as Undo leaves code it could not convert
  EvaluateCell(At("B1"));
  EXPECT_EQ(Shown("B1"), "ERR");
  EXPECT_TRUE(CellAt(At("B1"))->kind & kKindFileForm);
  Link(At("B1"));  // its operands name no cells: nothing is linked
  EXPECT_EQ(CellAt(At("A1"))->dependents, 0u);
}

TEST_F(EvaluatorTest, RandomCodeOfFullLengthNeverOverrunsTheStacks) {
  // Cell operands hold handles that only the compiler and the file reader make; everything else
  // may be anything. 238 one-byte tokens are the most a code can push.
  std::mt19937 random(7);
  std::string full = HandCode({});
  full.assign(240, char(0x34));  // @TRUE, 237 times
  full[0] = char(239);
  full[1] = 0;
  full[239] = char(kEndMarker);
  EXPECT_EQ(Shown(EvaluateCode(full)), "1");
  for (int round = 0; round < 3000; ++round) {
    std::string code(240, '\0');
    for (char& b : code) {
      uint8_t v = uint8_t(random());
      if (v == 0x01 || v == 0x02 || v == 0xFF) v = 0x06;
      // Mostly strings and concatenation, to fill the string area.
      if (round % 2 == 0) v = std::array<uint8_t, 4>{0x06, 'x', 0x18, 0x00}[random() % 4];
      b = char(v);
    }
    const int end = 2 + int(random() % 238);
    code[0] = char(end);
    code[1] = 0;
    code[size_t(end)] = char(kEndMarker);
    EvaluateCode(code);
    ASSERT_EQ(EvaluationDepth(), 0);
  }
}

TEST_F(EvaluatorTest, LongStringsAreCutAt240) {
  Enter("A1", "'" + std::string(100, 'a'));
  Enter("A2", "'" + std::string(100, 'b'));
  Enter("B1", "+A1&A2&A1");
  EXPECT_EQ(Shown("B1"), "\"" + std::string(100, 'a') + std::string(100, 'b') + std::string(40, 'a') + "\"");
  Enter("B2", "+B1&B1&B1&\"x\"=B1");
  EXPECT_EQ(Shown("B2"), "1");
  ExpectSound();
}

TEST_F(EvaluatorTest, UserFunctionsPassArgumentsByValue) {
  ASSERT_TRUE(AddLibraryFunction("SQ", "@A(1)*@A(1)", 1));
  ASSERT_TRUE(AddLibraryFunction("ADD2", "@A(1)+@A(2)", 2));
  ASSERT_TRUE(AddLibraryFunction("BANG", "@A(1)&\"!\"", 1));
  ASSERT_TRUE(AddLibraryFunction("TENTH", "@A(10)", 10));
  ASSERT_TRUE(AddLibraryFunction("G", "@A(1)*10", 1));
  ASSERT_TRUE(AddLibraryFunction("F", "@G(1)+@A(1)", 1));
  ASSERT_TRUE(AddLibraryFunction("EMPTY", "\"\"", 0));
  ASSERT_TRUE(AddLibraryFunction("BAD", "1/0", 0));
  ASSERT_TRUE(AddLibraryFunction("ELEVEN", "@A(11)", 1));
  Enter("A1", "3");
  struct Case {
    int line;
    const char* text;
    const char* shown;
  };
  const Case kCases[] = {
      {__LINE__, "@SQ(A1)", "9"},
      {__LINE__, "@SQ(@SQ(2))", "16"},
      {__LINE__, "@ADD2(2,5)", "7"},
      {__LINE__, "@BANG(\"hi\")", "\"hi!\""},
      {__LINE__, "@TENTH(1,2,3,4,5,6,7,8,9,10)", "10"},
      // The inner call has slots of its own; the outer call's slot is intact afterwards.
      {__LINE__, "@F(5)", "15"},
      {__LINE__, "@EMPTY", "0"},
      {__LINE__, "@BAD+1", "ERR"},
      {__LINE__, "@SQ(1/0)", "ERR"},
      {__LINE__, "@ELEVEN(1)", "ERR"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Shown(EvaluateText(c.text)), c.shown);
  }
  const uint64_t before = UserFunctionCallCount();
  EvaluateText("@SQ(2)+@SQ(3)");
  EXPECT_EQ(UserFunctionCallCount(), before + 2);
}

TEST_F(EvaluatorTest, EndlessNestingStopsWithErrAtTheDepthBound) {
  // @IF evaluates both branches, so this recursion never ends by itself.
  ASSERT_TRUE(AddLibraryFunction("DOWN", "@IF(@A(1)<=0,0,@DOWN(@A(1)-1)+1)", 1));
  ASSERT_TRUE(AddLibraryFunction("SELF", "@SELF(1)", 1));
  Enter("A1", "@SELF(1)");
  EXPECT_EQ(Shown("A1"), "ERR");
  // Within the bound the recursion ends: the ERR from below is in the branch @IF drops.
  Enter("A2", "@DOWN(3)");
  EXPECT_EQ(Shown("A2"), "3");
  Enter("A3", "@DOWN(30)");
  EXPECT_EQ(Shown("A3"), "ERR");
  EXPECT_EQ(EvaluationDepth(), 0);

  // A named range whose formula calls the range itself.
  ASSERT_NE(DefineName("LOOP", ParseRange("D1..D2")), 0);
  Enter("D2", "@LOOP(1)");
  Enter("E1", "@LOOP(4)");
  EXPECT_EQ(Shown("E1"), "ERR");
  EXPECT_EQ(EvaluationDepth(), 0);
  ExpectSound();
}

TEST_F(EvaluatorTest, NamedRangeCallStoresArgumentsAndEvaluatesTheFormula) {
  ASSERT_NE(DefineName("AREA", ParseRange("A10..B11")), 0);
  Enter("A11", "+A10*B10");
  Enter("C1", "@AREA(3,4)");
  EXPECT_EQ(Shown("C1"), "12");
  EXPECT_EQ(Shown("A10"), "3");
  EXPECT_EQ(Shown("B10"), "4");

  // The formula cell of a string result.
  ASSERT_NE(DefineName("GREET", ParseRange("F10..F11")), 0);
  Enter("F11", "+\"hello \"&F10");
  Enter("C2", "@GREET(7)");
  EXPECT_EQ(Shown("C2"), "\"hello 7\"");

  // A range of one row has no formula cell.
  ASSERT_NE(DefineName("ROW1", ParseRange("H1..I1")), 0);
  Enter("C3", "@ROW1(1,2)");
  EXPECT_EQ(Shown("C3"), "0");
  EXPECT_EQ(Shown("I1"), "2");

  // An argument cell that held a formula becomes a number and leaves the lists it was in.
  Enter("J1", "5");
  Enter("J10", "+J1");
  ASSERT_NE(DefineName("ONE", ParseRange("J10..J11")), 0);
  Enter("J11", "+J10*2");
  Enter("C4", "@ONE(8)");
  EXPECT_EQ(Shown("C4"), "16");
  ExpectSound();
}

TEST_F(EvaluatorTest, ExternalReferencesReadOpenAndLinkedWorksheets) {
  SlotIndex other = CreateWorksheetWindow("/tmp/OTHER.WKS");
  ASSERT_NE(other, 0);
  ActivateWorksheet(other);
  Enter("B2", "42");
  Enter("B3", "'text");
  ActivateWorksheet(sheet_);
  Enter("A1", "+[/tmp/OTHER.WKS]B2+1");
  Enter("A2", "+[/tmp/other]B3");  // the extension is added, the case is ignored
  Enter("A3", "+[/tmp/NOWHERE.WKS]B2");
  EXPECT_EQ(Shown("A1"), "43");
  EXPECT_EQ(Shown("A2"), "\"text\"");
  EXPECT_EQ(Shown("A3"), "ERR");

  // A file not open in a window is loaded once through the loader, then read from the cache.
  int loads = 0;
  int releases = 0;
  TestLayers().loadLinkedSheet = [&](const std::string& path) {
    ++loads;
    return path == "/tmp/LINKED.WKS" ? other : 0;
  };
  TestLayers().releaseLinkedSheet = [&](int) { ++releases; };
  Enter("A4", "+[/tmp/LINKED.WKS]B2*2");
  EvaluateCell(At("A4"));
  EXPECT_EQ(Shown("A4"), "84");
  EXPECT_EQ(loads, 1);
  ClearLinkedSheetCache();
  EXPECT_EQ(releases, 1);
  TestLayers().loadLinkedSheet = [](const std::string&) { return 0; };
  EvaluateCell(At("A4"));
  EXPECT_EQ(Shown("A4"), "ERR");
}

TEST_F(EvaluatorTest, RangeOfArgumentRereadsTheOperand) {
  std::string code = Code("@IF(1,B5..A2,C3)");
  ASSERT_FALSE(code.empty());
  const uint8_t* p = reinterpret_cast<const uint8_t*>(code.data());
  // The range operand follows the constant 1 (3 bytes) at position 5; the cell operand after it.
  StackEntry range, cell, computed;
  range.rangePosition = 5;
  cell.rangePosition = 14;
  ArgumentRange r;
  ASSERT_TRUE(RangeOfArgument(p, range, &r));
  EXPECT_EQ(r.range, MakeRange(0, 1, 1, 4));
  EXPECT_EQ(r.rowTable, nullptr);
  ASSERT_TRUE(RangeOfArgument(p, cell, &r));
  EXPECT_EQ(r.range, MakeRange(2, 2, 2, 2));
  EXPECT_FALSE(RangeOfArgument(p, computed, &r));
}

TEST_F(EvaluatorTest, RoutinesSeeRangeArgumentsThroughTheFrame) {
  // A stand-in routine on the @COLS opcode: rows * 1000 + columns of its range argument.
  const uint8_t op = uint8_t(Op::kCols);
  const OpcodeRoutine saved = RegisteredFunction(op);
  RegisterFunction(op, [](Frame& f) {
    ArgumentRange r;
    if (!f.Range(1, &r)) {
      f.Fail();
      return;
    }
    f.SetNumber((r.range.lastRow - r.range.firstRow + 1) * 1000.0 + r.range.lastColumn -
                r.range.firstColumn + 1);
  });
  struct Case {
    int line;
    const char* text;
    const char* shown;
  };
  const Case kCases[] = {
      {__LINE__, "@COLS(A1..C4)", "4003"},
      {__LINE__, "@COLS(C4..A1)", "4003"},
      {__LINE__, "@COLS(B2)", "1001"},
      {__LINE__, "@COLS(1+1)", "ERR"},
      {__LINE__, "@COLS(@IF(1,A1..B2,0))", "ERR"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    EXPECT_EQ(Shown(EvaluateText(c.text)), c.shown);
  }
  RegisterFunction(op, saved);
}

}  // namespace
