// tests/macros/translator_test.cpp — macro lines into steps, and the vocabulary table.
#include "macros/translator.h"

#include <set>

#include "macro_fixture.h"
#include "macros/vocabulary.h"

namespace {

using TranslatorTest = MacroTest;

std::string Translated(std::string_view text) {
  return DumpMacroLine(TranslateMacroLine(text, SheetLineContext()));
}

TEST_F(TranslatorTest, KeysCommandsAndArguments) {
  ASSERT_NE(DefineName("SUB", ParseRange("A10")), 0);
  Enter("A1", "4");
  struct Case {
    int line;
    const char* text;
    const char* dump;
  };
  const Case kCases[] = {
      {__LINE__, "abc~", "abc~"},
      {__LINE__, "{DOWN 3}", "{DN}{DN}{DN}"},
      {__LINE__, "{down}", "{DN}"},
      {__LINE__, "{D 0}", "{DN}"},
      {__LINE__, "{DOWN -2}", "{DN}"},
      {__LINE__, "{DOWN 1.6}", "{DN}{DN}"},
      {__LINE__, "{DOWN A1}", "{DN}{DN}{DN}{DN}"},
      {__LINE__, "{DOWN nonsense(}", "{DN}"},
      {__LINE__, "{Left}{r}{PgUp 2}{BIGRIGHT}", "{LT}{RT}{PGUP}{PGUP}{PGRT}"},
      {__LINE__, "{ESCAPE 3}{ESC 2}", "{ESC}{ESC}{ESC}"},
      {__LINE__, "{HOME 5}x", "{HOME}x"},
      {__LINE__, "{BEEP 3}", "[BEEP][BEEP][BEEP]"},
      {__LINE__, "{?}~", "[?]~"},
      {__LINE__, "{REM a \"}\" comment}x", "\" comment}x"},
      {__LINE__, "{rem anything}ok", "ok"},
      {__LINE__, "{LET A1,@MAX(1,2)}", "[LET|A1|@MAX(1,2)]"},
      {__LINE__, "{LET A1, \"a,b}\" }", "[LET|A1|\"a,b}\"]"},
      {__LINE__, "{LET A1,}", "[LET|A1|]"},
      {__LINE__, "{NEXT}", "[NEXT]"},
      {__LINE__, "{BRANCH X1}{RETURN}", "[JUMP|X1][RET]"},
      {__LINE__, "{sub}", "[CALL|SUB]"},
      {__LINE__, "{NOSUCH 1,2}~", "[?NOSUCH]~"},
      {__LINE__, "{}", "[?]"},
      {__LINE__, "ab{LET A1,1", "ab[?LET]"},
      {__LINE__, "a\x01\r\nb", "ab"},
      {__LINE__, "\x93q\x94\x98", "\"q\"~"},
      {__LINE__, "{LET A1,\x93x\x82y\x94}", "[LET|A1|\"x,y\"]"},
      {__LINE__, "{LET A1,\"~\"}~", "[LET|A1|\"~\"]~"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(Translated(c.text), c.dump);
  }
}

TEST_F(TranslatorTest, RepeatCountsHaveNoLineLimitButStopAt8192) {
  const MacroLine line = TranslateMacroLine("{DOWN 9000}{UP 120}", SheetLineContext());
  ASSERT_EQ(line.size(), 1u);
  EXPECT_EQ(line[0].keys.size(), 8192u + 120u);
}

TEST_F(TranslatorTest, ArgumentSeparatorFollowsTheDecimalSeparator) {
  NumberFormatSettings().decimalSeparator = ',';
  EXPECT_EQ(Translated("{LET A1;1,5}"), "[LET|A1|1,5]");
}

TEST(VocabularyTest, TableIsCompleteAndConsistent) {
  std::set<std::string> names;
  std::set<int> keys;
  for (int i = 0; i < MacroWordCount(); ++i) {
    const MacroWord& w = MacroWordAt(i);
    EXPECT_TRUE(names.insert(w.name).second) << w.name;
    EXPECT_EQ(FindMacroWord(w.name).index, i) << w.name;
    if (w.kind == MacroWordKind::kKey) {
      EXPECT_TRUE(keys.insert(static_cast<int>(w.key)).second) << w.name;
      EXPECT_LT(static_cast<int>(w.key), 0x20) << w.name;
      EXPECT_EQ(MacroKeyName(static_cast<uint8_t>(w.key)), w.name);
    } else {
      EXPECT_NE(w.handler, nullptr) << w.name;
    }
  }
  // Every name of the language's table is there.
  for (const char* name : {"?", "ABS", "APPEND", "BLOCKCASE", "DATAMULREG", "FILEPICK", "GENOPTION",
                           "GRAPHVIEW", "INRANGE", "MATSLV", "PRINTRANGE", "RANGETABLE", "WRITELN"}) {
    EXPECT_GE(FindMacroWord(name).index, 0) << name;
  }
  // Alternative names reach their main rows, with their own argument counts.
  EXPECT_STREQ(FindMacroWord("menubranch").name, "MENUJUMP");
  EXPECT_STREQ(FindMacroWord("GetNumber").name, "INVALUE");
  EXPECT_STREQ(FindMacroWord("XDN").name, "DN");
  EXPECT_EQ(FindMacroWord("ESCAPE").arguments, 0);
  EXPECT_EQ(FindMacroWord("ESC").arguments, kRepeatCount);
  EXPECT_EQ(FindMacroWord("NOSUCH").index, -1);
  const std::vector<std::string> listed = MacroVocabularyNames();
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
  EXPECT_EQ(listed.size(), names.size() + 17);
}

}  // namespace
