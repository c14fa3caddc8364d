// tests/files/user_functions_test.cpp — the user function file and its use in formulas.
#include "files/user_functions.h"

#include <vector>

#include "files/settings_fixture.h"
#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "formula/formula_text.h"

namespace {

using UserFunctionsTest = SettingsTest;

struct Declared {
  std::string name;
  std::string text;
  int count;
  bool operator==(const Declared&) const = default;
};

std::vector<Declared> Library() {
  std::vector<Declared> out;
  for (int i = 1; i <= LibraryFunctionCount(); ++i) {
    const UserFunction& f = LibraryFunction(i);
    out.push_back({f.name, f.text, f.argumentCount});
  }
  return out;
}

void PrintTo(const Declared& d, std::ostream* os) {
  *os << d.name << "(" << d.count << ") = " << d.text;
}

TEST_F(UserFunctionsTest, PairsOfLinesDeclareFunctions) {
  struct Case {
    int line;
    std::string text;
    std::vector<Declared> declared;
  };
  const std::string longText(300, 'x');
  const Case kCases[] = {
      {__LINE__, "twice,1\n@a(1)*2\n", {{"TWICE", "@A(1)*2", 1}}},
      {__LINE__,
       "; a library\n\nADD,2 ; two numbers\r\n\r\n  @A(1)+@A(2) ;sum\r\n",
       {{"ADD", "@A(1)+@A(2)", 2}}},
      {__LINE__, "AVERYLONGFUNCTIONNAME,1\n1\n", {{"AVERYLONGFUN", "1", 1}}},
      {__LINE__, "MANY,11\n1\n", {{"MANY", "1", 10}}},
      {__LINE__, "HUGE,99999999999999999999\n1\n", {{"HUGE", "1", 10}}},
      {__LINE__, "NEG,-3\n1\n", {{"NEG", "1", 0}}},
      {__LINE__, "BAD,two\n1\n", {{"BAD", "1", 0}}},
      {__LINE__, "NOCOMMA\n42\n", {{"NOCOMMA", "42", 0}}},
      {__LINE__, "LONG,0\n" + longText + "\n", {{"LONG", std::string(255, 'X'), 0}}},
      {__LINE__, ",1\n1\nNEXT,0\n2\n", {{"NEXT", "2", 0}}},  // a nameless pair is dropped
      {__LINE__, "A,0\n1\nDANGLING,1\n", {{"A", "1", 0}}},   // a header without definition
      {__LINE__, "A,0\n\"text\"", {{"A", "\"TEXT\"", 0}}},   // lines are upper-cased
      {__LINE__, "", {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(ReadUserFunctionText(c.text), int(c.declared.size()));
    EXPECT_EQ(Library(), c.declared);
  }
}

TEST_F(UserFunctionsTest, AtMost255FunctionsAreLoaded) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "F" + std::to_string(i) + ",0\n" + std::to_string(i) + "\n";
  EXPECT_EQ(ReadUserFunctionText(text), 255);
  EXPECT_EQ(LibraryFunction(255).name, "F254");
}

TEST_F(UserFunctionsTest, TheFileBesideTheProgramFillsTheLibrary) {
  ReadUserFunctionText("OLD,0\n1\n");
  EXPECT_EQ(LoadUserFunctions(), -1);  // no file: an empty library
  EXPECT_EQ(LibraryFunctionCount(), 0);

  WriteFile("TALLIVO.USR", "TWICE,1\n@A(1)*2\n");
  EXPECT_EQ(LoadUserFunctions(), 1);
  EXPECT_EQ(FindLibraryFunction("twice"), 1);
}

TEST_F(UserFunctionsTest, ADeclaredFunctionCompilesInAFormula) {
  WriteFile("TALLIVO.USR", "; doubles its argument\nTWICE,1\n@A(1)*2\nPI2,0\n@PI*2\n");
  ASSERT_EQ(LoadUserFunctions(), 2);
  const SlotIndex sheet = CreateWorksheetWindow("SHEET1.WKS");
  ASSERT_NE(sheet, 0);
  ActivateWorksheet(sheet);

  std::string code;
  ASSERT_TRUE(Compile("@twice(A1)+@PI2", &code));
  EXPECT_EQ(FormulaText(code), "@TWICE(A1)+@PI2");
  // The sheet's own list took both functions from the library on first use.
  EXPECT_EQ(SheetFunctionCount(), 2);
  EXPECT_EQ(FindSheetFunction("PI2"), 2);
  // A declared count that the call does not match fails.
  EXPECT_FALSE(Compile("@TWICE(1,2)", &code));
  EXPECT_FALSE(Compile("@UNKNOWN(1)", &code));

  // A call passes its arguments by value to the definition.
  const EvalResult r = EvaluateText("@TWICE(21)+@twice(@TWICE(1))");
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.number, 46);
}

}  // namespace
