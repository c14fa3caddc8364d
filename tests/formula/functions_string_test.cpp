// Tests of the string @-functions: positions from 1, counts and positions of any size, the
// Windows-1252 letters, and the number-to-text rules.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/number_settings.h"
#include "formula/compiler.h"
#include "formula/formula_code.h"
#include "sheet_functions_fixture.h"

namespace {

using StringFunctionTest = SheetFunctionTest;

TEST_F(StringFunctionTest, PiecesOfTextCountFromOne) {
  const TextCase kCases[] = {
      {__LINE__, "@FIND(\"b\",\"abcb\",1)", "2"},
      {__LINE__, "@FIND(\"b\",\"abcb\",3)", "4"},
      {__LINE__, "@FIND(\"x\",\"abc\",1)", "0"},
      {__LINE__, "@FIND(\"b\",\"abcb\",0)", "2"},  // 0 and below count as 1
      {__LINE__, "@FIND(\"b\",\"abcb\",-5)", "2"},
      {__LINE__, "@FIND(\"b\",\"abcb\",5)", "0"},
      {__LINE__, "@FIND(\"b\",\"abcb\",1e300)", "0"},
      {__LINE__, "@FIND(\"cb\",\"abcb\",1)", "3"},
      {__LINE__, "@FIND(\"B\",\"abcb\",1)", "0"},  // case counts
      {__LINE__, "@FIND(\"\",\"abc\",2)", "2"},
      {__LINE__, "@MID(\"abcdef\",2,3)", "\"bcd\""},
      {__LINE__, "@MID(\"abcdef\",4,10)", "\"def\""},
      {__LINE__, "@MID(\"abcdef\",3,0)", "\"\""},
      {__LINE__, "@MID(\"abcdef\",0,2)", "\"ab\""},
      {__LINE__, "@MID(\"abcdef\",-1e300,2)", "\"ab\""},
      {__LINE__, "@MID(\"abcdef\",7,2)", "\"\""},
      {__LINE__, "@MID(\"abcdef\",1e300,1e300)", "\"\""},
      {__LINE__, "@MID(\"abcdef\",2,-3)", "\"\""},
      {__LINE__, "@MID(\"abcdef\",2.9,2.9)", "\"bc\""},  // truncated
      {__LINE__, "@LEFT(\"abc\",5)", "\"abc\""},
      {__LINE__, "@LEFT(\"abcdef\",3)", "\"abc\""},
      {__LINE__, "@LEFT(\"abc\",-1)", "\"\""},
      {__LINE__, "@LEFT(\"abc\",1e300)", "\"abc\""},
      {__LINE__, "@RIGHT(\"abcdef\",2)", "\"ef\""},
      {__LINE__, "@RIGHT(\"abc\",5)", "\"abc\""},
      {__LINE__, "@RIGHT(\"abc\",-1e300)", "\"\""},
      {__LINE__, "@REPEAT(\"ab\",3)", "\"ababab\""},
      {__LINE__, "@REPEAT(\"xyz\",0)", "\"\""},
      {__LINE__, "@REPEAT(\"xyz\",-2)", "\"\""},
      {__LINE__, "@REPEAT(\"\",1e300)", "\"\""},
      {__LINE__, "@LENGTH(@REPEAT(\"abc\",1e300))", "240"},  // cut at 240
      {__LINE__, "@LENGTH(@REPEAT(\"abcdefg\",35))", "240"},
      {__LINE__, "@LENGTH(\"hello\")", "5"},
      {__LINE__, "@LENGTH(\"\")", "0"},
      {__LINE__, "@LENGTH(12.5)", "4"},  // numbers become their general text
      {__LINE__, "@MID(1234,2,2)", "\"23\""},
  };
  ExpectShown(kCases, std::size(kCases));
}

TEST_F(StringFunctionTest, CaseBlanksAndCodes) {
  const TextCase kCases[] = {
      {__LINE__, "@UPPER(\"hello world 1\")", "\"HELLO WORLD 1\""},
      {__LINE__, "@LOWER(\"HELLO World\")", "\"hello world\""},
      {__LINE__, "@UPPER(\"\xE9t\xE9 \xFF\")", "\"\xC9T\xC9 \x9F\""},  // Windows-1252 letters
      {__LINE__, "@LOWER(\"\xC9T\xC9 \xD7\")", "\"\xE9t\xE9 \xD7\""},    // the times sign stays
      {__LINE__, "@PROPER(\"hello wORLD\")", "\"Hello World\""},
      {__LINE__, "@PROPER(\"a  b-c\")", "\"A  B-c\""},
      {__LINE__, "@TRIM(\"  a   b  \")", "\"a b\""},
      {__LINE__, "@TRIM(\"a\")", "\"a\""},
      {__LINE__, "@TRIM(\"    \")", "\"\""},
      {__LINE__, "@CLEAN(@CHR(9)&\"a\"&@CHR(200)&\"b\"&@CHR(127))", "\"ab\x7F\""},
      {__LINE__, "@EXACT(\"abc\",\"abc\")", "1"},
      {__LINE__, "@EXACT(\"abc\",\"ABC\")", "0"},
      {__LINE__, "@EXACT(\"abc\",\"abc \")", "0"},
      {__LINE__, "@EXACT(12,\"12\")", "1"},
      {__LINE__, "@ORD(\"A\")", "65"},
      {__LINE__, "@ORD(\"\xE9\")", "233"},
      {__LINE__, "@ORD(\"\")", "0"},
      {__LINE__, "@CHR(65)", "\"A\""},
      {__LINE__, "@CHR(65.5)", "\"B\""},  // rounded
      {__LINE__, "@CHR(0)", "ERR"},
      {__LINE__, "@CHR(256)", "ERR"},
      {__LINE__, "@CHR(-1e300)", "ERR"},
      {__LINE__, "@RGB(1,2,3)", "197121"},  // 1 + 512 + 196608
  };
  ExpectShown(kCases, std::size(kCases));
}

TEST_F(StringFunctionTest, NumbersToTextAndBack) {
  const TextCase kCases[] = {
      {__LINE__, "@STR(3.14159,2)", "\"3.14\""},
      {__LINE__, "@STR(2.5,0)", "\"3\""},  // halves away from zero
      {__LINE__, "@STR(-2.5,0)", "\"-3\""},
      {__LINE__, "@STR(0.125,2)", "\"0.13\""},
      {__LINE__, "@STR(-0.001,2)", "\"0.00\""},
      {__LINE__, "@STR(1234,-3)", "\"1234\""},  // no negative decimals
      {__LINE__, "@STR(1.5,40)", "\"1.500000000000000\""},
      {__LINE__, "@LENGTH(@STR(1e300,2))", "240"},
      {__LINE__, "@VAL(\"12.5\")", "12.5"},
      {__LINE__, "@VAL(\" 1 000 \")", "1000"},
      {__LINE__, "@VAL(\"-3e2\")", "-300"},
      {__LINE__, "@VAL(\"abc\")", "0"},
      {__LINE__, "@VAL(\"\")", "0"},
      {__LINE__, "@VAL(42)", "42"},
      {__LINE__, "@HEX(255)", "\"FF\""},
      {__LINE__, "@HEX(4096)", "\"1000\""},
      {__LINE__, "@HEX(0)", "\"0\""},
      {__LINE__, "@HEX(254.5)", "\"FF\""},
      {__LINE__, "@HEX(-1)", "ERR"},
      {__LINE__, "@HEX(1e300)", "ERR"},
      {__LINE__, "@DEC(\"FF\")", "255"},
      {__LINE__, "@DEC(\"$ff\")", "255"},
      {__LINE__, "@DEC(\"7FFFFFFF\")", "2147483647"},
      {__LINE__, "@DEC(\"FFFFFFFF\")", "4294967295"},
      {__LINE__, "@DEC(\"100000000\")", "ERR"},  // nine digits
      {__LINE__, "@DEC(\"\")", "ERR"},
      {__LINE__, "@DEC(\"$\")", "ERR"},
      {__LINE__, "@DEC(\"1G\")", "ERR"},
      {__LINE__, "@DEC(\" 1\")", "ERR"},
      {__LINE__, "@DEC(10)", "16"},
  };
  ExpectShown(kCases, std::size(kCases));

  NumberFormatSettings().decimalSeparator = ',';
  NumberFormatSettings().argumentSeparator = ';';
  EXPECT_EQ(Eval("@STR(1,5;2)"), "\"1,50\"");
  EXPECT_EQ(Eval("@VAL(\"2,25\")"), "2.25");
}

TEST_F(StringFunctionTest, SAndNReadTheFirstCellOfTheRange) {
  Enter("A1", "'label");
  Enter("A2", "12");
  Enter("B1", "+\"x\"&\"y\"");
  EXPECT_EQ(Eval("@S(A1..A2)"), "\"label\"");
  EXPECT_EQ(Eval("@N(A1..A2)"), "0");
  EXPECT_EQ(Eval("@S(A2..A2)"), "\"\"");
  EXPECT_EQ(Eval("@N(A2)"), "12");
  EXPECT_EQ(Eval("@S(B1)"), "\"xy\"");
  EXPECT_EQ(Eval("@S(C5..C9)"), "\"\"");  // no cell there
  EXPECT_EQ(Eval("@N(C5..C9)"), "0");
  EXPECT_EQ(Eval("@S(\"text\")"), "ERR");  // not written as a range
  EXPECT_EQ(Eval("@N(5)"), "ERR");
  Enter("A3", "@ERR");
  EXPECT_EQ(Eval("@N(A3..A4)"), "ERR");
}

// Code of `text` with its (only) 8-byte constant replaced by `value`.
std::string WithConstant(std::string_view text, double value) {
  std::string code;
  EXPECT_TRUE(Compile(text, &code));
  CodeWalker walker(reinterpret_cast<const uint8_t*>(code.data()), code.size());
  CodeToken token;
  while (walker.Next(&token)) {
    if (token.opcode == uint8_t(Op::kConstant)) {
      WriteDouble(reinterpret_cast<uint8_t*>(code.data()) + token.operand, value);
    }
  }
  return code;
}

TEST_F(StringFunctionTest, NotANumberAsPositionOrCountIsErr) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const char* const kFormulas[] = {
      "@MID(\"abc\",1.5,2)",  "@MID(\"abc\",1,1.5)",  "@LEFT(\"abc\",1.5)", "@RIGHT(\"abc\",1.5)",
      "@REPEAT(\"a\",1.5)",   "@FIND(\"a\",\"a\",1.5)", "@CHR(1.5)",        "@STR(1,1.5)",
      "@STR(1.5,1)",          "@HEX(1.5)",            "@DMS(1.5)",         "@DATE(1.5,1,1)",
      "@YEAR(1.5)",           "@HOUR(1.5)",           "@INDEX(A1..B2,1.5,1)",
  };
  for (const char* formula : kFormulas) {
    SCOPED_TRACE(formula);
    EXPECT_EQ(Shown(EvaluateCode(WithConstant(formula, nan))), "ERR");
  }
  const std::string code = WithConstant("@MID(\"abc\",1,2.5)", std::numeric_limits<double>::infinity());
  EXPECT_EQ(Shown(EvaluateCode(code)), "\"abc\"");
}

}  // namespace
