// tests/formula/formula_code_test.cpp — opcode tables, the code walker and operand conversion.
#include <set>
#include <vector>

#include "formula/value_stack.h"
#include "formula_fixture.h"

namespace {

struct Listed {
  int code;
  std::string_view name;
  int cls;
  int precedence;
  std::string_view identifier;
};
constexpr Listed kListed[] = {
#define TALLIVO_OPCODE(code, id, name, cls, precedence) \
  {code, name, kClass##cls, precedence, #id},
#include "formula/opcodes.def"
};

// Copies `bytes` into a heap block of exactly that size, so that a read past it is caught by
// the address sanitizer.
struct ExactBuffer {
  explicit ExactBuffer(std::vector<uint8_t> bytes) : data(new uint8_t[bytes.size()]), size(bytes.size()) {
    std::copy(bytes.begin(), bytes.end(), data);
  }
  ~ExactBuffer() { delete[] data; }
  uint8_t* data;
  size_t size;
};

TEST(OpcodeTableTest, ListsEveryOpcodeOnceInOrderWithValidClasses) {
  std::vector<int> codes;
  for (const Listed& l : kListed) codes.push_back(l.code);
  std::vector<int> expected;
  for (int op = 0; op <= 0xBB; ++op) expected.push_back(op);
  expected.push_back(0xFE);
  expected.push_back(0xFF);
  EXPECT_EQ(codes, expected);

  std::set<std::string_view> functionNames;
  for (const Listed& l : kListed) {
    SCOPED_TRACE(testing::Message() << "opcode " << l.code);
    EXPECT_LE(l.name.size(), kMaxFunctionName);
    EXPECT_TRUE((l.cls >= 0 && l.cls <= 16) || l.cls == 0xFE);
    EXPECT_EQ(OpcodeClass(uint8_t(l.code)), l.cls);
    if (l.code >= 0x1B && l.code <= 0xBB && !l.name.empty()) {
      EXPECT_TRUE(functionNames.insert(l.name).second) << "duplicate name " << l.name;
      EXPECT_EQ(FindFunctionOpcode(l.name), l.code);
    }
  }
}

// Exactly the operators carry a precedence, and each operator has a level of its own above the
// compiler's separators (space 1, argument separator 2, "#" 3), so that no two operators tie.
TEST(OpcodeTableTest, OperatorsAndOnlyOperatorsHaveDistinctPrecedences) {
  std::set<int> levels;
  for (const Listed& l : kListed) {
    SCOPED_TRACE(testing::Message() << "opcode " << l.identifier);
    EXPECT_EQ(OpcodePrecedence(uint8_t(l.code)), l.precedence);
    // #NOT# is an operator with the class of a one-argument function.
    const bool isOperator =
        l.cls == kClassPrefix || l.cls == kClassInfix || l.code == int(Op::kNot);
    if (!isOperator) {
      EXPECT_EQ(l.precedence, 0);
      continue;
    }
    EXPECT_GT(l.precedence, 3);
    EXPECT_TRUE(levels.insert(l.precedence).second) << "shared level " << l.precedence;
  }
}

// Every opcode a formula can hold is evaluated by a routine of its own once the engine has
// started; only the end marker, the unnamed opcodes and @REPLACE (named, but it computes
// nothing) have none: code holding them evaluates to ERR.
using OpcodeRoutineTest = FormulaTest;

TEST_F(OpcodeRoutineTest, EveryListedOpcodeHasAnEvaluationRoutine) {
  for (const Listed& l : kListed) {
    SCOPED_TRACE(testing::Message() << "opcode " << l.identifier);
    const bool exempt = l.code == kEndMarker || l.code == int(Op::kReplace) ||
                        l.identifier.substr(0, 8) == "kUnnamed";
    EXPECT_EQ(RegisteredFunction(uint8_t(l.code)) != nullptr, !exempt);
  }
}

TEST(OpcodeTableTest, NamesAndClassesOfNotableOpcodes) {
  struct Case { int line; int op; std::string_view name; int cls; int operandBytes; };
  const Case kCases[] = {
      {__LINE__, 0x00, "", 0, 8},       {__LINE__, 0x01, "", 1, 4},
      {__LINE__, 0x02, "", 2, 8},       {__LINE__, 0x05, "", 5, 2},
      {__LINE__, 0x06, "", 6, -1},      {__LINE__, 0x07, "", 7, -1},
      {__LINE__, 0x08, "-", 8, 0},      {__LINE__, 0x0F, "<>", 9, 0},
      {__LINE__, 0x14, "#AND#", 9, 0},  {__LINE__, 0x16, "NOT", 11, 0},
      {__LINE__, 0x17, "+", 8, 0},      {__LINE__, 0x19, "%", 16, 0},
      {__LINE__, 0x1B, "", 11, 0},      {__LINE__, 0x1E, "", 11, 0},
      {__LINE__, 0x26, "PI", 10, 0},    {__LINE__, 0x2A, "", 11, 0},
      {__LINE__, 0x30, "CASE", 15, 1},  {__LINE__, 0x3B, "IF", 13, 0},
      {__LINE__, 0x50, "SUM", 15, 1},   {__LINE__, 0x6A, "REPLACE", 11, 0},
      {__LINE__, 0x72, "", 11, 0},      {__LINE__, 0x73, "@", 11, 0},
      {__LINE__, 0x78, "SYD", 14, 0},   {__LINE__, 0x96, "STDU", 15, 1},
      {__LINE__, 0xBB, "COVAR", 12, 0}, {__LINE__, 0xBC, "", 11, 0},
      {__LINE__, 0xFD, "", 11, 0},      {__LINE__, 0xFE, "", 0xFE, 1},
      {__LINE__, 0xFF, "", 11, -1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(OpcodeName(uint8_t(c.op)), c.name);
    EXPECT_EQ(OpcodeClass(uint8_t(c.op)), c.cls);
    EXPECT_EQ(FixedOperandLength(uint8_t(c.op)), c.operandBytes);
  }
  EXPECT_EQ(FindFunctionOpcode(""), -1);  // the unnamed opcodes cannot be typed
  EXPECT_EQ(FindFunctionOpcode("sum"), -1);
}

TEST(CodeWalkerTest, HostileCodeNeverLeadsPastByteZeroOrTheBuffer) {
  struct Case { int line; std::vector<uint8_t> bytes; int tokens; bool end; bool broken; };
  const Case kCases[] = {
      {__LINE__, {4, 0, 0x05, 0x07, 0x03}, 0, false, true},               // integer runs past
      {__LINE__, {5, 0, 0x05, 0x07, 0x00, 0x03}, 1, true, false},         // one integer
      {__LINE__, {5, 0, 0x06, 'a', 'b', 0x03}, 0, false, true},           // unterminated string
      {__LINE__, {6, 0, 0x06, 'a', 0, 0x50, 0x03}, 1, false, true},       // count byte missing
      {__LINE__, {9, 0, 0x07, 1, 2, 3, 4, 5, 0x03, 0x00, 0x03}, 0, false, true},
      {__LINE__, {8, 0, 0xFF, 0x09, 1, 2, 3, 4, 0x03}, 0, false, true},   // bad embedded kind
      {__LINE__, {7, 0, 0xFF, 0x01, 1, 2, 3, 0x03}, 0, false, true},
      {__LINE__, {4, 0, 0x03, 0x05, 0x03}, 0, true, false},               // early end marker
      {__LINE__, {4, 0, 0x04, 0x04, 0x07}, 2, false, false},              // no end marker
      {__LINE__, {200, 0, 0x04, 0x04}, 1, false, false},                  // byte 0 past the block
      {__LINE__, {1, 3}, 0, false, false},                                // byte 0 below 2
      {__LINE__, {0}, 0, false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ExactBuffer buffer(c.bytes);
    CodeWalker walker(buffer.data, buffer.size);
    CodeToken token;
    int tokens = 0;
    while (walker.Next(&token)) {
      ++tokens;
      EXPECT_LE(token.operand + token.length, int(buffer.size) - 1);
    }
    EXPECT_EQ(tokens, c.tokens);
    EXPECT_EQ(walker.SawEndMarker(), c.end);
    EXPECT_EQ(walker.Broken(), c.broken);
  }
}

TEST(CodeWalkerTest, StopsAtPosition239WhateverByteZeroSays) {
  std::vector<uint8_t> bytes(256, 0x04);  // a long run of one-byte tokens
  bytes[0] = 255;
  bytes[1] = 0;
  ExactBuffer buffer(bytes);
  CodeWalker walker(buffer.data, buffer.size);
  CodeToken token;
  int last = 0;
  while (walker.Next(&token)) last = token.position;
  EXPECT_EQ(last, 238);
  EXPECT_FALSE(CodeIsValid(buffer.data, buffer.size));
}

class FormulaCodeTest : public FormulaTest {};

TEST_F(FormulaCodeTest, FileFormWordsAreOffsetsOrPlainPositions) {
  struct Case { int line; uint16_t row, column; bool absRow, absCol; uint16_t baseRow, baseCol;
                uint16_t columnWord, rowWord; };
  const Case kCases[] = {
      {__LINE__, 2, 0, false, false, 3, 0, 0x8000, 0xBFFF},  // one row above
      {__LINE__, 0, 0, false, false, 0, 1, 0xBFFF, 0x8000},  // one column left
      {__LINE__, 7, 3, true, true, 100, 100, 0x0003, 0x0007},
      {__LINE__, 8191, 255, false, false, 0, 0, 0x80FF, 0x9FFF},
      {__LINE__, 0, 0, false, true, 8191, 255, 0x0000, 0xA001},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    uint8_t words[4];
    EncodeFileOperand(c.row, c.column, c.absRow, c.absCol, c.baseRow, c.baseCol, words);
    EXPECT_EQ(ReadWord(words), c.columnWord);
    EXPECT_EQ(ReadWord(words + 2), c.rowWord);
    uint16_t row, column;
    bool absRow, absCol;
    DecodeFileOperand(words, c.baseRow, c.baseCol, &row, &column, &absRow, &absCol);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(column, c.column);
    EXPECT_EQ(absRow, c.absRow);
    EXPECT_EQ(absCol, c.absCol);
  }
}

TEST_F(FormulaCodeTest, RowWordBFFFReadIntoRow4PointsAtRow3) {
  // File form of +A3 relative to a formula at row 4 (index 3) column A.
  uint8_t code[] = {7, 0, 0x01, 0x00, 0x80, 0xFF, 0xBF, 0x03};
  ASSERT_TRUE(CodeToCellForm(code, 3, 0));
  EXPECT_EQ(DumpCode(code, sizeof code, CodeForm::kCell), "CellRef A3, End");
}

TEST_F(FormulaCodeTest, ConversionCarriesRelativeReferencesAndKeepsAbsoluteOnes) {
  // In C5 (row 4, column 2): A1, $B$2, the range D1..$E7 and a named-range call on $A$1.
  Name("ONE", "A1");
  std::string code = Code("+A1+$B$2+@SUM(D1..$E7)+@ONE(1)");
  ASSERT_FALSE(code.empty());
  uint8_t file[kMaxCodeSize + 1];
  ASSERT_TRUE(CodeToFileForm(reinterpret_cast<const uint8_t*>(code.data()), 4, 2, file));
  // Read back three rows lower and one column to the right (D8).
  ASSERT_TRUE(CodeToCellForm(file, 7, 3));
  EXPECT_EQ(DumpCode(file, size_t(file[0]) + 1, CodeForm::kCell),
            "CellRef B4, CellRef $B$2, Add, RangeRef $E10 E4, @SUM/1, Add, Integer 1, "
            "NamedRangeCall $A$1, Add, End");
}

TEST_F(FormulaCodeTest, ReferencesOffTheGridAndDeletedCellsBecomeNothing) {
  // Relative column -1 from column A, and a zero (deleted) operand.
  uint8_t file[] = {12, 0, 0x01, 0xFF, 0xBF, 0x00, 0x80, 0x01, 0x00, 0x80, 0x00, 0x80, 0x03};
  ASSERT_TRUE(CodeToCellForm(file, 0, 0));
  EXPECT_EQ(ReadLong(file + 3) & kOperandHandleMask, 0u);
  EXPECT_EQ(DumpCode(file, sizeof file, CodeForm::kCell), "CellRef ERR, CellRef A1, End");

  uint8_t memory[] = {7, 0, 0x01, 0, 0, 0, 0, 0x03};
  uint8_t out[kMaxCodeSize + 1];
  ASSERT_TRUE(CodeToFileForm(memory, 5, 5, out));
  ASSERT_TRUE(CodeToCellForm(out, 9, 9));
  EXPECT_EQ(DumpCode(out, sizeof memory, CodeForm::kCell), "CellRef ERR, End");
}

TEST_F(FormulaCodeTest, FailedConversionLeavesTheCodeInFileForm) {
  uint8_t file[] = {9, 0, 0x01, 0x00, 0x80, 0x00, 0x80, 0x05, 0x01, 0x03};
  file[0] = 8;  // the integer now runs into the end position
  uint8_t before[sizeof file];
  std::copy(file, file + sizeof file, before);
  EXPECT_FALSE(CodeToCellForm(file, 0, 0));
  EXPECT_TRUE(std::equal(file, file + sizeof file, before));
}

TEST_F(FormulaCodeTest, CallsUserFunctionFindsOpcodeFE) {
  ASSERT_TRUE(AddLibraryFunction("TWICE", "@A(1)*2", 1));
  std::string with = Code("1+@TWICE(3)");
  std::string without = Code("1+@SUM(3)");
  ASSERT_FALSE(with.empty());
  ASSERT_FALSE(without.empty());
  EXPECT_TRUE(CallsUserFunction(reinterpret_cast<const uint8_t*>(with.data()), with.size()));
  EXPECT_FALSE(
      CallsUserFunction(reinterpret_cast<const uint8_t*>(without.data()), without.size()));
}

TEST_F(FormulaCodeTest, CellCodeInFileFormForTheBatchTool) {
  CellHandle b1 = GetOrCreateCell(0, 1);
  std::string code;
  ASSERT_TRUE(CompileFormula("@SUM(A1..A3,5)", 0, 1, &code));
  ASSERT_TRUE(SetCellTextBytes(CellAt(b1), reinterpret_cast<const uint8_t*>(code.data())));
  CellAt(b1)->kind = uint8_t(CellKind::kFormula);
  std::string tokens;
  ASSERT_TRUE(CellCodeFileForm(b1, &tokens));
  EXPECT_EQ(HexBytes(tokens), "02 FF BF 02 80 FF BF 00 80 05 05 00 50 02 03");
  EXPECT_FALSE(CellCodeFileForm(GetOrCreateCell(5, 5), &tokens));
}

TEST_F(FormulaCodeTest, UndoCarriesFormulasThroughTheJournal) {
  CellHandle c3 = GetOrCreateCell(2, 2);
  std::string code;
  ASSERT_TRUE(CompileFormula("+A1*2", 2, 2, &code));
  ASSERT_TRUE(SetCellTextBytes(CellAt(c3), reinterpret_cast<const uint8_t*>(code.data())));
  CellAt(c3)->kind = uint8_t(CellKind::kFormula);
  SaveUndo();
  NoteCellChange(c3);
  FreeCellText(CellAt(c3));
  StoreNumber(CellAt(c3), 4);
  EndUndoGroup();
  ASSERT_TRUE(RestoreUndo());
  CellHandle restored = GetCell(2, 2);
  ASSERT_NE(restored, 0u);
  EXPECT_EQ(CellFormulaText(restored), "+A1*2");
  EXPECT_EQ(CellAt(restored)->kind & kKindFileForm, 0);
}

}  // namespace
