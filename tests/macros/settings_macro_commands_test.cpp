// tests/macros/settings_macro_commands_test.cpp — GENCOLOR, GENOPTION and GENFONT change the sheet
// as the general settings dialog does.
#include <gtest/gtest.h>

#include "commands/commands.h"
#include "core/global_options.h"
#include "core/password.h"
#include "core/sheet_extras.h"
#include "files/settings.h"
#include "macro_fixture.h"

namespace {

using SettingsMacroTest = MacroTest;

TEST_F(SettingsMacroTest, GenColourBuildsTheFeatureWordFromColourShadeAndMode) {
  struct Case {
    int line;
    const char* text;
    int feature;
    uint32_t word;
  };
  const Case kCases[] = {
      {__LINE__, "{GENCOLOR 0,12,255,0}", 0, 0x0C0000FFu},
      {__LINE__, "{GENCOLOR 1,3,0,1}", 1, 0x83000000u},
      {__LINE__, "{GENCOLOR 6,0,16777215,2}", 6, 0x40FFFFFFu},
      {__LINE__, "{GENCOLOR 5,15,65280,3}", 5, 0xCF00FF00u},
      {__LINE__, "{GENCOLOR 5,64,0,0}", 5, 0x00000000u},  // bits 30 and 31 come from the mode only
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    RunText(c.text);
    EXPECT_EQ(Options().colourFeature(c.feature), c.word);
  }
  const GlobalOptions before = Options();
  RunText("{GENCOLOR 7,1,1,1}");
  EXPECT_TRUE(Options().bytes == before.bytes);
}

TEST_F(SettingsMacroTest, GenOptionSetsEveryItemAsOneChange) {
  RunText("{GENOPTION \"3N,BN,NY,HN,SY,RY,W20\"}");
  EXPECT_FALSE(Options().raisedBorders());
  EXPECT_FALSE(Options().banding());
  EXPECT_TRUE(Options().colourNegatives());
  EXPECT_EQ(Options().gridLines(), 0x06);
  EXPECT_EQ(Options().labelPrefix(), '"');
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_TRUE(Options().raisedBorders());
  EXPECT_EQ(Options().gridLines(), 0x03);
  EXPECT_EQ(Options().labelPrefix(), '\'');
}

TEST_F(SettingsMacroTest, GenOptionCannotLiftProtectionGuardedByAPassword) {
  RunText("{GENOPTION \"PY\"}");
  EXPECT_TRUE(Options().protection());
  SetPassword("key");
  RunText("{GENOPTION \"PN\"}");
  EXPECT_TRUE(Options().protection());
  SetPassword("");
  RunText("{GENOPTION \"PN\"}");
  EXPECT_FALSE(Options().protection());
}

TEST_F(SettingsMacroTest, GenFontSetsTheWindowTypefaceAndOptionallyTheDefault) {
  RunText("{GENFONT \"Courier,10,bu,0\"}");
  EXPECT_EQ(CurrentExtras().font.name, "Courier");
  EXPECT_EQ(CurrentExtras().font.height, 10);
  EXPECT_EQ(CurrentExtras().font.style, 0x05);
  EXPECT_EQ(Settings().fontName, "Arial");
  RunText("{GENFONT \",14,,1\"}");
  EXPECT_EQ(CurrentExtras().font.name, "Courier");
  EXPECT_EQ(Settings().fontName, "Courier");
  EXPECT_EQ(Settings().fontSize, 14);
}

}  // namespace
