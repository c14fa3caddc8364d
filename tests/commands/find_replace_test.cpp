// tests/commands/find_replace_test.cpp — Find Next and Replace All: matching, case, scope, the
// circular check, refusals that keep cells whole, one recalculation.
#include "commands/find_replace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "commands/worksheet_files.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "formula/formula_text.h"
#include "platform/headless/headless_platform.h"
#include "sheet_fixture.h"

namespace {

class FindReplaceTest : public SheetFixture {
 protected:
  static std::vector<std::string>& Messages() { return TheHeadlessPlatform().messages; }
};

TEST_F(FindReplaceTest, ReplaceAllRewritesEveryOccurrence) {
  struct Case {
    const char* name;
    const char* find;
    const char* replace;
    bool caseInsensitive;
    const char* scope;  // "" for Global
    const char* before;  // C1's entry
    const char* after;
    uint32_t count;
  } cases[] = {
      {"two in one formula", "A1", "B1", true, "", "+A1+A10", "+B1+B10", 2},
      {"case-insensitive finds the formula", "sum", "AVG", true, "", "@SUM(A1..A2)", "@AVG(A1..A2)", 1},
      {"case must match", "sum", "AVG", false, "", "@SUM(A1..A2)", "@SUM(A1..A2)", 0},
      {"a label keeps its prefix", "b", "xy", true, "", "^abc", "^axyc", 1},
      {"a number becomes another (B1 too)", "2", "7", true, "", "12", "17", 2},
      {"outside the scope nothing changes", "A1", "B1", true, "A2..B9", "+A1", "+A1", 0},
      {"the replacement contains the found text later on", "A", "BA", true, "", "'AA", "'BABA", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEngineState();
    ASSERT_NE(NewWorksheet("SHEET1.WKS"), 0);
    Enter("A1", "1");
    Enter("B1", "2");
    Enter("C1", c.before);
    FindState s;
    s.findText = c.find;
    s.replaceText = c.replace;
    s.caseInsensitive = c.caseInsensitive;
    if (*c.scope) s.scope = ParseRange(c.scope);
    const CommandResult r = ReplaceAll(s);
    if (std::string(c.name).find("later on") != std::string::npos) {
      // Refused as circular: the find text occurs in the replacement.
      EXPECT_EQ(r.message, "Circular Replace Detected");
      EXPECT_EQ(Text("C1"), c.before);
      continue;
    }
    EXPECT_TRUE(r.Done()) << r.message;
    EXPECT_EQ(Text("C1"), c.after);
    EXPECT_EQ(s.replacements, c.count);
  }
}

TEST_F(FindReplaceTest, XByXXIsCircular) {
  Enter("A1", "'X");
  FindState s;
  s.findText = "x";
  s.replaceText = "XX";
  EXPECT_EQ(ReplaceAll(s).message, "Circular Replace Detected");
  EXPECT_EQ(Text("A1"), "'X");
}

TEST_F(FindReplaceTest, RefusingCellsStayWholeAndTheRunGoesOn) {
  Enter("A1", "'cat");
  Enter("A2", "'cat");
  Enter("A3", "'cat");
  Enter("A4", std::string("'") + std::string(237, 'c') + "at");  // 240 characters
  Enter("A5", "+C1");
  ASSERT_TRUE(SetRangeLock(ParseRange("A1..A9"), false).Done());
  ASSERT_TRUE(SetRangeLock(ParseRange("A2"), true).Done());
  ASSERT_TRUE(SetSheetProtection(true).Done());
  Messages().clear();
  FindState s;
  s.findText = "cat";
  s.replaceText = "dogs";
  const CommandResult r = ReplaceAll(s);
  EXPECT_EQ(r.status, CommandStatus::kProtected);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Protected Cell"});  // one message for the run
  EXPECT_EQ(Text("A1"), "'dogs");
  EXPECT_EQ(Text("A2"), "'cat");
  EXPECT_EQ(Text("A3"), "'dogs");
  EXPECT_EQ(Text("A4").size(), 240u);  // would pass 240 characters: kept whole
  EXPECT_EQ(s.replacements, 2u);
  // A rewrite that does not compile keeps the formula.
  ASSERT_TRUE(SetSheetProtection(false).Done());
  s = FindState{};
  s.findText = "+C1";
  s.replaceText = "+(C1";
  EXPECT_EQ(ReplaceAll(s).status, CommandStatus::kFormulaError);
  EXPECT_EQ(Text("A5"), "+C1");
}

TEST_F(FindReplaceTest, ReplaceAllRecalculatesAChainAndUndoesAsOneStep) {
  Enter("A1", "1");
  Enter("B1", "2");
  for (int r = 2; r <= 50; ++r) Enter("A" + std::to_string(r), "+A" + std::to_string(r - 1) + "+1");
  FindState s;
  s.findText = "+1";
  s.replaceText = "+2";
  ASSERT_TRUE(ReplaceAll(s).Done());
  EXPECT_EQ(s.replacements, 49u);
  EXPECT_EQ(Number("A50"), 99);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Number("A50"), 50);
}

TEST_F(FindReplaceTest, FindNextWalksTheMatchesInRowOrder) {
  Enter("B1", "'apple");
  Enter("A2", "'pineapple");
  Enter("C2", "'grape");
  Enter("A3", "'APPLE pie");
  FindState s;
  s.findText = "apple";
  std::vector<std::string> found;
  while (FindNext(s).Done()) found.push_back(ShortCellText(uint16_t(s.row), uint16_t(s.column)));
  EXPECT_EQ(found, (std::vector<std::string>{"B1", "A2", "A3"}));
  s = FindState{};
  s.findText = "apple";
  s.caseInsensitive = false;
  found.clear();
  while (FindNext(s).Done()) found.push_back(ShortCellText(uint16_t(s.row), uint16_t(s.column)));
  EXPECT_EQ(found, (std::vector<std::string>{"B1", "A2"}));
}

TEST_F(FindReplaceTest, ReplaceStepsOneOccurrenceAtATime) {
  Enter("A1", "'cat cat");
  Enter("B1", "'dog");
  Enter("A2", "'cat");
  FindState s;
  s.findText = "CAT";
  s.replaceText = "cow";
  // Each step: the result, the position afterwards, the texts of A1 and A2.
  struct Step {
    CommandStatus status;
    const char* position;
    bool matches;
    const char* a1;
    const char* a2;
  } steps[] = {
      {CommandStatus::kDone, "A1", true, "'cat cat", "'cat"},  // a fresh search only finds
      {CommandStatus::kDone, "A1", true, "'cow cat", "'cat"},  // the same cell's next one
      {CommandStatus::kDone, "A2", true, "'cow cow", "'cat"},
      {CommandStatus::kDone, "A2", false, "'cow cow", "'cow"},  // replaced; no match left
      {CommandStatus::kFailed, "B2", false, "'cow cow", "'cow"},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ReplaceNext(s).status, steps[i].status);
    EXPECT_EQ(ShortCellText(uint16_t(s.row), uint16_t(s.column)), steps[i].position);
    EXPECT_EQ(CurrentCellMatches(s), steps[i].matches);
    EXPECT_EQ(Text("A1"), steps[i].a1);
    EXPECT_EQ(Text("A2"), steps[i].a2);
  }
  EXPECT_EQ(s.replacements, 3u);
  ASSERT_TRUE(UndoLastCommand().Done());  // one step comes back at a time
  EXPECT_EQ(Text("A2"), "'cat");
  EXPECT_EQ(Text("A1"), "'cow cow");
  s.replaceText = "xcatx";
  EXPECT_EQ(ReplaceNext(s).message, "Circular Replace Detected");
}

TEST_F(FindReplaceTest, ReplaceOnALockedCellReportsAndKeepsIt) {
  Enter("A1", "'cat");
  ASSERT_TRUE(SetSheetProtection(true).Done());
  FindState s;
  s.findText = "cat";
  s.replaceText = "dog";
  ASSERT_TRUE(ReplaceNext(s).Done());
  EXPECT_EQ(ReplaceNext(s).status, CommandStatus::kProtected);
  EXPECT_EQ(Text("A1"), "'cat");
  EXPECT_EQ(s.replacements, 0u);
}

}  // namespace
