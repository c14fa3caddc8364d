// tests/macros/interpreter_test.cpp — running macros: control flow, LET, errors, input, files.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/format.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "macro_fixture.h"

namespace {

using InterpreterTest = MacroTest;

TEST_F(InterpreterTest, ForLoopsRunTheirBodyForEachCounterValue) {
  struct Case {
    int line;
    const char* loop;
    const char* passes;   // D1: how many times the body ran
    const char* counter;  // C1 afterwards
    const char* sum;      // E1: the counters summed
  };
  const Case kCases[] = {
      {__LINE__, "{FOR C1,1,3,1}", "3", "3", "6"},
      {__LINE__, "{FOR C1,1,4,2}", "2", "3", "4"},
      {__LINE__, "{FOR C1,3,1,-1}", "3", "1", "6"},
      {__LINE__, "{FOR C1,1,2,0.5}", "3", "2", "4.5"},
      {__LINE__, "{FOR C1,5,1,1}", "1", "5", "5"},
      {__LINE__, "{FOR C1,1,9,0}", "1", "1", "1"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    Enter("D1", "0");
    Enter("E1", "0");
    Lines("A1", {c.loop, "{LET D1,D1+1}{LET E1,E1+C1}", "{NEXT}"});
    Run("A1");
    EXPECT_EQ(Value("D1"), c.passes);
    EXPECT_EQ(Value("C1"), c.counter);
    EXPECT_EQ(Value("E1"), c.sum);
    EXPECT_EQ(Messages(), "");
  }
}

TEST_F(InterpreterTest, OneLineLoopAndNestedLoops) {
  RunText("{FOR C1,1,100,1}{LET D1,D1+C1}{NEXT}");
  EXPECT_EQ(Value("D1"), "5050");
  // Five nested loops run; the inner FOR is entered again on each pass of the outer one.
  RunText("{FOR B1,1,2,1}{FOR B2,1,2,1}{FOR B3,1,2,1}{FOR B4,1,2,1}{FOR B5,1,2,1}"
          "{LET F1,F1+1}{NEXT}{NEXT}{NEXT}{NEXT}{NEXT}");
  EXPECT_EQ(Value("F1"), "32");
  EXPECT_EQ(Messages(), "");
  RunText("{FOR B1,1,2,1}{FOR B2,1,2,1}{FOR B3,1,2,1}{FOR B4,1,2,1}{FOR B5,1,2,1}{FOR B6,1,2,1}");
  EXPECT_EQ(Messages(), "FOR LOOPS>5");
}

TEST_F(InterpreterTest, ALoopLeftByABranchIsReplacedWhenItsForRunsAgain) {
  // The loop is left by BRANCH nine times before its NEXT is reached; without reuse of its
  // entry the sixth FOR would overflow the loop table.
  Lines("A1", {"{LET D1,D1+1}{FOR C2,1,3,1}{IF D1<10}{BRANCH A1}", "{LET E1,E1+1}{NEXT}"});
  Run("A1");
  EXPECT_EQ(Messages(), "");
  EXPECT_EQ(Value("D1"), "10");
  EXPECT_EQ(Value("E1"), "3");
  EXPECT_EQ(Value("C2"), "3");
}

TEST_F(InterpreterTest, StackAndLoopMessages) {
  struct Case {
    int line;
    const char* text;
    const char* message;
  };
  const Case kCases[] = {
      {__LINE__, "{NEXT}", "NEXT without FOR"},
      {__LINE__, "{RET}", "Stack Underflow, Level<1"},
      {__LINE__, "{EXIT}", "Stack Underflow, Level<1"},
      {__LINE__, "{NOSUCH}", "Syntax Error: "},
      {__LINE__, "{LET A1", "Syntax Error: "},
      {__LINE__, "{GOTO ZZ99999}", "Syntax Error: "},
      {__LINE__, "{OPEN 9,1,\"x\"}", "Syntax Error: "},
      {__LINE__, "{OPEN 1,1,12}", "Syntax Error: "},
      {__LINE__, "{INRANGE A1,A2}", "Not available: INRANGE"},
      {__LINE__, "{ALT}", "Needs a window: ALT"},
      {__LINE__, "{GRAPH}", "Needs a window: GRAPH"},
      {__LINE__, "{FILESAVEAS \"x\",1}", "Needs a window: FILESAVEAS"},
      {__LINE__, "{EXEC \"true\"}", "EXEC refused"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    TheHeadlessPlatform().messages.clear();
    RunText(c.text);
    EXPECT_EQ(Messages(), c.message);
    EXPECT_FALSE(MacroRunning());
  }
}

TEST_F(InterpreterTest, TwentyNestedCallsAndTheTwentyFirst) {
  // A5 calls itself while D1 counts up to the limit in C1.
  Lines("A5", {"{LET D1,D1+1}{IF D1<C1}{CALL A5}", "{LET E1,E1+1}{RET}"});
  Enter("C1", "20");
  Lines("A1", {"{CALL A5}"});
  Run("A1");
  EXPECT_EQ(Messages(), "");
  EXPECT_EQ(Value("D1"), "20");
  EXPECT_EQ(Value("E1"), "20");
  Enter("D1", "0");
  Enter("C1", "21");
  Run("A1");
  EXPECT_EQ(Messages(), "Stack Overflow, Nesting>20 ");
  EXPECT_EQ(Value("D1"), "20");
}

TEST_F(InterpreterTest, SyntaxErrorNamesTheCellOfTheLine) {
  Lines("B4", {"{LET C1,1}", "{NOSUCH}{LET C2,1}"});
  Run("B4");
  EXPECT_EQ(Messages(), "Syntax Error: B5");
  EXPECT_EQ(Value("C1"), "1");
  EXPECT_EQ(Value("C2"), "");
}

TEST_F(InterpreterTest, IfSkipsTheRestOfTheLineIncludingKeys) {
  Lines("A1", {"{IF C1>5}{BRANCH A4}x~", "{LET D1,2}"});
  Lines("A4", {"{LET D1,4}"});
  Enter("C1", "5");
  Run("A1");
  EXPECT_EQ(Value("D1"), "2");
  EXPECT_EQ(Contents("A10"), "");
  EXPECT_EQ(Value("A1"), "{IF C1>5}{BRANCH A4}x~");
  Enter("C1", "6");
  Run("A1");
  EXPECT_EQ(Value("D1"), "4");
}

TEST_F(InterpreterTest, WhileCallsItsRangeWhileTheValueIsOne) {
  Lines("A1", {"{WHILE C1<5,A5}{LET E1,C1}"});
  Lines("A5", {"{LET C1,C1+1}{RET}"});
  Run("A1");
  EXPECT_EQ(Value("E1"), "5");
  // 2 is true for IF but not for WHILE.
  Enter("C1", "0");
  Lines("A1", {"{WHILE 2,A5}{LET E1,9}"});
  Run("A1");
  EXPECT_EQ(Value("C1"), "0");
  EXPECT_EQ(Value("E1"), "9");
}

TEST_F(InterpreterTest, BlankCellEndsTheMacroAlsoInASubroutine) {
  Lines("A1", {"{CALL A5}{LET D1,1}"});
  Lines("A5", {"{LET D2,1}"});
  Run("A1");
  EXPECT_EQ(Value("D2"), "1");
  EXPECT_EQ(Value("D1"), "");
  EXPECT_EQ(Messages(), "");
}

TEST_F(InterpreterTest, RestartForgetsTheCallers) {
  Lines("A1", {"{CALL A5}{LET D1,1}"});
  Lines("A5", {"{RESTART}{RET}"});
  Run("A1");
  EXPECT_EQ(Messages(), "Stack Underflow, Level<1");
  EXPECT_EQ(Value("D1"), "");
}

TEST_F(InterpreterTest, LetStoresAsEntryDoes) {
  struct Case {
    int line;
    const char* value;
    const char* contents;
  };
  const Case kCases[] = {
      {__LINE__, "\"12\"", "12"},          {__LINE__, "12.5", "12.5"},
      {__LINE__, "\"abc\"", "'abc"},       {__LINE__, "TRUE", "1"},
      {__LINE__, "false", "0"},            {__LINE__, "NUL", "0"},
      {__LINE__, "1/0", "@ERR"},           {__LINE__, "@MAX(1,7)", "7"},
      {__LINE__, "\"a,b\"", "'a,b"},       {__LINE__, "-2*3", "-6"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    RunText(std::string("{LET B2,") + c.value + "}");
    EXPECT_EQ(Contents("B2"), c.contents);
  }
  EXPECT_EQ(Messages(), "");
}

TEST_F(InterpreterTest, LetHonoursProtection) {
  Options().setProtection(true);
  RunText("{LET B2,5}{LET B3,6}");
  EXPECT_EQ(Messages(), "Protected Cell");
  EXPECT_EQ(Contents("B2"), "");
  EXPECT_EQ(Contents("B3"), "");
}

TEST_F(InterpreterTest, OnErrorGoesToTheHandlerWithoutABoxOnce) {
  Lines("A1", {"{ONERROR A5}{NOSUCH}{LET D1,1}"});
  Lines("A5", {"{LET D2,1}{NEXT}"});
  Run("A1");
  EXPECT_EQ(Value("D1"), "");
  EXPECT_EQ(Value("D2"), "1");
  // The handler was cleared when it was taken: the second error shows its box and stops.
  EXPECT_EQ(Messages(), "NEXT without FOR");

  // An error reported by the sheet (protection) goes to the handler too, without a beep.
  TheHeadlessPlatform().messages.clear();
  TheHeadlessPlatform().beeps = 0;
  Lines("A7", {"{LET D3,1}"});
  Options().setProtection(true);
  RunText("{ONERROR A7}{LET B9,1}{LET C9,1}");
  EXPECT_EQ(Messages(), "Protected Cell");  // the handler's own LET, once the handler was used
  EXPECT_EQ(TheHeadlessPlatform().beeps, 1);

  // ONERROR with NUL clears the handler.
  Options().setProtection(false);
  TheHeadlessPlatform().messages.clear();
  RunText("{ONERROR A5}{ONERROR NUL}{NOSUCH}");
  EXPECT_EQ(Messages(), "Syntax Error: ");
}

TEST_F(InterpreterTest, BreakIsNeverTrapped) {
  Lines("A1", {"{ONERROR A5}{?}"});
  Lines("A5", {"{LET D2,1}"});
  Run("A1");  // no input left: Break
  EXPECT_EQ(Messages(), "Break! A1");
  EXPECT_EQ(Value("D2"), "");
}

TEST_F(InterpreterTest, HeadlessEntryLine) {
  RunText("abc~{DOWN 120}12~{RIGHT}x{ESC}y{BS}z~{HOME}{UP}q{DOWN}");
  EXPECT_EQ(Contents("A121"), "12");
  EXPECT_EQ(Contents("B121"), "'z");
  // q replaced abc in A1 when the last move entered it.
  EXPECT_EQ(Contents("A1"), "'q");
  EXPECT_EQ(Contents("A2"), "");
  EXPECT_EQ(TheHeadlessPlatform().cursor.row, 1);
}

TEST_F(InterpreterTest, HeadlessEntryLineMovesAreClampedAndPendingTextEntersFirst) {
  RunText("{GOTO C3}{UP 9}{LEFT 9}q{DOWN}{PGDN}{EDIT}r~{PGUP 9}w");
  EXPECT_EQ(Contents("A1"), "'q");
  EXPECT_EQ(Contents("A22"), "'r");  // EDIT of an empty cell, then r
  EXPECT_EQ(Contents("A2"), "");
  EXPECT_EQ(TheHeadlessPlatform().cursor.row, 0);
  EXPECT_EQ(Contents("A1"), "'q");  // w was pending at the end: dropped
  RunText("{GOTO B5}{EDIT}{BS}{BS}5~");
  EXPECT_EQ(Contents("B5"), "5");
  RunText("{GOTO B5}{EDIT}9~");
  EXPECT_EQ(Contents("B5"), "59");
}

TEST_F(InterpreterTest, AnchorNamesTheSelectionAsRange) {
  RunText("{GOTO B2}{ANCHOR 1}{DOWN 2}{RIGHT}{RANGECREATE \"BLOCK\",RANGE}");
  ASSERT_GT(LookupName("BLOCK"), 0);
  EXPECT_EQ(RangeText(NameRange(LookupName("BLOCK"))), "B2..C4");
}

TEST_F(InterpreterTest, InputFromThePlatform) {
  HeadlessPlatform& p = TheHeadlessPlatform();
  p.inputLines = {"42", "yes", "Name?", "hello", "7", "2"};
  Lines("M1", {"Add", "first"});
  Lines("N1", {"Quit", "second"});
  Lines("N3", {"{LET D9,1}"});
  RunText("{GOTO C3}{?}{GET D1}{INLABEL \"Your name\",D2}{INVALUE What,D3}{GETNUMBER x,D4}"
          "{MENUBRANCH M1..N1}");
  EXPECT_EQ(Contents("C3"), "42");
  EXPECT_EQ(Contents("D1"), "'y");
  EXPECT_EQ(Contents("D2"), "'Name?");
  EXPECT_EQ(Contents("D3"), "'hello");
  EXPECT_EQ(Contents("D4"), "7");
  EXPECT_EQ(Value("D9"), "1");
  EXPECT_EQ(Messages(), "");
}

TEST_F(InterpreterTest, EndOfInputIsABreak) {
  Lines("A3", {"{INLABEL \"x\",B1}"});
  Run("A3");
  EXPECT_EQ(Messages(), "Break! A3");
}

TEST_F(InterpreterTest, TextFiles) {
  char pattern[] = "/tmp/tallivo-macro-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string file = dir + "/Out.txt";
  {
    std::ofstream crlf(dir + "/In.txt", std::ios::binary);
    crlf << "12\r\nabc\n@SUM(1,2)";
  }
  Enter("Z1", "'" + file);
  Enter("Z2", "'" + dir + "/In.txt");
  RunText("{OPEN 1,2,Z1}{WRITE 1,\"a\"}{WRITELN 1,1.5}{WRITELN 1,A9}{WRITELN 1,0}{CLOSE 1}{LET C1,@IORESULT}");
  std::ifstream in(file, std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, "a1.5\n\n0\n");
  EXPECT_EQ(Value("C1"), "0");
  RunText("{OPEN 2,1,Z2}{READ 2,B1}{READ 2,B2}{READ 2,B3}{LET C3,@IORESULT}{READ 2,B4}"
          "{LET C4,@IORESULT}{CLOSE 2}");
  EXPECT_EQ(Contents("B1"), "12");
  EXPECT_EQ(Contents("B2"), "'abc");
  EXPECT_EQ(Contents("B3"), "@SUM(1,2)");
  EXPECT_EQ(Value("C3"), "0");
  EXPECT_EQ(Contents("B4"), "");
  EXPECT_EQ(Value("C4"), "-1");
  RunText("{OPEN 3,1,\"" + dir + "/none\"}{LET C5,@IORESULT}{READ 3,B5}{LET C6,@IORESULT}");
  EXPECT_EQ(Value("C5"), "2");
  EXPECT_EQ(Value("C6"), "9");
  RunText("{APPEND 4,Z1}{WRITELN 4,\"z\"}{CLOSE 4}");
  std::ifstream again(file, std::ios::binary);
  std::string appended((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
  EXPECT_EQ(appended, "a1.5\n\n0\nz\n");
  // RMDIR leaves a directory that is not empty.
  RunText("{RMDIR \"" + dir + "\",1}{LET C7,@IORESULT}{MKDIR \"" + dir + "/Sub\"}{LET C8,@IORESULT}");
  EXPECT_NE(Value("C7"), "0");
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/Sub"));
  EXPECT_EQ(Value("C8"), "0");
  EXPECT_EQ(Messages(), "");
  std::filesystem::remove_all(dir);
}

TEST_F(InterpreterTest, SoundDelayViewAndPrograms) {
  HeadlessPlatform& p = TheHeadlessPlatform();
  RunText("{BEEP 2}{TONE 440,100}{TONE 0,100}{DELAY 5}{VIEWZOOM 500}{LET A1,@QVIEW(0)}"
          "{VIEW \"Q0S1\"}{PLAYWAVE \"ding.wav\",1}{BREAKON}{CLRSCR}{GOTOXY 1,1}");
  EXPECT_EQ(p.beeps, 2);
  EXPECT_EQ(Value("A1"), "200");
  EXPECT_FALSE(p.barVisible[0]);
  EXPECT_TRUE(p.barVisible[1]);
  EXPECT_TRUE(p.barVisible[2]);
  std::string log;
  for (const std::string& entry : p.log) {
    if (entry.rfind("tone", 0) == 0 || entry.rfind("delay", 0) == 0 || entry.rfind("wave", 0) == 0) {
      log += entry + ";";
    }
  }
  EXPECT_EQ(log, "tone 440 100;delay 5;wave ding.wav 1;");
  p.allowPrograms = true;
  RunText("{EXEC \"true\"}{LET B1,1}");
  EXPECT_EQ(Value("B1"), "1");
  EXPECT_EQ(Messages(), "");
}

TEST_F(InterpreterTest, SheetCommands) {
  RunText("{COLWIDTH B1..C1,12}{ROWHEIGHT A3,30}{RANGECREATE \"TOTAL\",A1..A5}{GENFORMAT \"F2\"}");
  EXPECT_EQ(CurrentLayout().columnWidth[1], 96);
  EXPECT_EQ(CurrentLayout().columnWidth[2], 96);
  EXPECT_EQ(CurrentLayout().rowHeight[2], 30);
  EXPECT_GT(LookupName("TOTAL"), 0);
  EXPECT_EQ(Options().globalFormat() & 0x7F, ParseFormatLetters("F2"));
  RunText("{RANGEDELETE \"TOTAL\"}{LET A1,1}{LET A1,2}{UNDO}");
  EXPECT_EQ(LookupName("TOTAL"), 0);
  EXPECT_EQ(Contents("A1"), "1");
  EXPECT_EQ(Messages(), "");
}

TEST_F(InterpreterTest, RangeNameCallsAndTheirReturn) {
  ASSERT_NE(DefineName("TWICE", ParseRange("A10")), 0);
  Lines("A10", {"{LET D1,D1+2}{RETURN}"});
  Lines("A1", {"{twice}{TWICE}{LET D2,D1}"});
  Run("A1");
  EXPECT_EQ(Value("D2"), "4");
}

TEST_F(InterpreterTest, AStoppedMacroLeavesNothingBehind) {
  Lines("A1", {"{FOR C1,1,3,1}{CALL A5}"});
  Lines("A5", {"{QUIT}"});
  Run("A1");
  EXPECT_FALSE(MacroRunning());
  RunText("{NEXT}");
  EXPECT_EQ(Messages(), "NEXT without FOR");
  TheHeadlessPlatform().messages.clear();
  RunText("{RET}");
  EXPECT_EQ(Messages(), "Stack Underflow, Level<1");
}

}  // namespace
