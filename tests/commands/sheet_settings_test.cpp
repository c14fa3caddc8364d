// tests/commands/sheet_settings_test.cpp — the general settings: applying them to a sheet, Undo,
// "Set to Defaults", and applying them globally to the defaults of new sheets and the settings
// file.
#include "commands/sheet_settings.h"

#include <gtest/gtest.h>

#include "commands/sheet_fixture.h"
#include "core/number_settings.h"
#include "core/password.h"
#include "core/sheet_extras.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/settings.h"

namespace {

class SheetSettingsTest : public SheetFixture {};

// The colour a feature word gives to text and background, in palette index and RGB.
TEST_F(SheetSettingsTest, DefaultColourFeaturesReadAsTheSchemeDescribes) {
  struct Case {
    int line;
    int feature;
    int foreground;       // palette index, bits 24..27
    uint32_t background;  // bits 0..23: red low
    bool ignoreBackground;
  };
  const Case kCases[] = {
      {__LINE__, GlobalOptions::kLabelColour, 2, 0xFFFFFF, true},      // green labels
      {__LINE__, GlobalOptions::kValueColour, 1, 0xFFFFFF, true},      // navy values
      {__LINE__, GlobalOptions::kNegativeColour, 12, 0xFFFFFF, true},  // red negatives
      {__LINE__, GlobalOptions::kUnlockedColour, 7, 0x800000, false},  // silver on navy
      {__LINE__, GlobalOptions::kCursorColour, 15, 0xFF0000, false},   // white on blue
      {__LINE__, GlobalOptions::kOddRowColour, 0, 0xE0FFFF, false},
      {__LINE__, GlobalOptions::kBackgroundColour, 0, 0xFFFFFF, false},
  };
  GeneralSettings s = ReadGeneralSettings();
  s.colours.fill(0x12345678);
  ASSERT_TRUE(ApplyGeneralSettings(s).Done());
  s.colours = DefaultColourFeatures();
  ASSERT_TRUE(ApplyGeneralSettings(s).Done());
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const uint32_t word = Options().colourFeature(c.feature);
    EXPECT_EQ(int((word >> 24) & 0x0F), c.foreground);
    EXPECT_EQ(word & 0xFFFFFF, c.background);
    EXPECT_EQ((word & 0x40000000u) != 0, c.ignoreBackground);
    EXPECT_EQ(word & 0x80000000u, 0u);
  }
  // The built-in defaults of new sheets are the same words.
  for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) {
    EXPECT_EQ(DefaultOptions().colourFeature(i), DefaultColourFeatures()[i]) << i;
  }
}

TEST_F(SheetSettingsTest, ReadThenApplyChangesNothing) {
  const GlobalOptions before = Options();
  const ProgramSettings programBefore = Settings();
  ASSERT_TRUE(ApplyGeneralSettings(ReadGeneralSettings()).Done());
  GlobalOptions after = Options();
  after.setModified(before.modified());
  EXPECT_TRUE(after.bytes == before.bytes);
  EXPECT_EQ(Settings().history, programBefore.history);
  EXPECT_EQ(CurrentLayout().defaultWidth, 64);
}

TEST_F(SheetSettingsTest, ApplyWritesEveryPageAndOneUndoTakesTheSheetPartBack) {
  SetColumnWidth(3, 200);
  GeneralSettings s = ReadGeneralSettings();
  s.globalFormat = 0x02;
  s.showZeros = false;
  s.colourNegatives = true;
  s.banding = false;
  s.raisedBorders = false;
  s.pages = 4;
  s.labelPrefix = '^';
  s.solidLines = false;
  s.rowLines = false;
  s.columnWidth = 80;
  s.rowHeight = 20;
  s.fontName = "Courier";
  s.fontSize = 10;
  ASSERT_TRUE(ApplyGeneralSettings(s).Done());
  const GlobalOptions& o = Options();
  EXPECT_EQ(o.globalFormat(), 0x02);
  EXPECT_TRUE(o.zeroSuppressed());
  EXPECT_TRUE(o.colourNegatives());
  EXPECT_FALSE(o.banding());
  EXPECT_FALSE(o.raisedBorders());
  EXPECT_EQ(o.pageSize(), 2048);
  EXPECT_EQ(o.labelPrefix(), '^');
  EXPECT_EQ(o.gridLines(), 0x06);
  EXPECT_EQ(CurrentLayout().defaultWidth, 80);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 80);
  EXPECT_EQ(CurrentLayout().columnWidth[3], 200);
  EXPECT_EQ(CurrentLayout().rowHeight[500], 20);
  EXPECT_EQ(CurrentExtras().font.name, "Courier");
  EXPECT_EQ(ReadGeneralSettings().fontSize, 10);

  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Options().globalFormat(), 0x71);
  EXPECT_EQ(Options().labelPrefix(), '\'');
  EXPECT_EQ(Options().gridLines(), 0x03);
  EXPECT_EQ(CurrentLayout().defaultWidth, 64);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 64);
  EXPECT_EQ(CurrentLayout().rowHeight[500], 15);
  EXPECT_FALSE(CurrentExtras().font.present);
}

TEST_F(SheetSettingsTest, ProgramPartOfTheAdvancedAndFilesPages) {
  AddToHistory("/a.wks");
  AddToHistory("/b.wks");
  GeneralSettings s = ReadGeneralSettings();
  s.currency = "Dm";
  s.currencySuffix = true;
  s.decimalSeparator = ',';
  s.thousandsSeparator = '.';
  s.argumentSeparator = ',';
  s.clearHistory = true;
  s.backups = false;
  s.usDates = false;
  ASSERT_TRUE(ApplyGeneralSettings(s).Done());
  const NumberSettings& n = NumberFormatSettings();
  EXPECT_EQ(n.currencySymbol, "");
  EXPECT_EQ(n.currencyPlacement, "Dm");
  EXPECT_EQ(n.decimalSeparator, ',');
  EXPECT_EQ(n.argumentSeparator, ';');  // never the decimal separator
  EXPECT_FALSE(n.usDateOrder);
  EXPECT_TRUE(Settings().history.empty());
  const GeneralSettings back = ReadGeneralSettings();
  EXPECT_TRUE(back.currencySuffix);
  EXPECT_EQ(back.currency, "Dm");
  EXPECT_FALSE(back.backups);
}

TEST_F(SheetSettingsTest, ProtectionSwitchesButIsNotUndone) {
  GeneralSettings s = ReadGeneralSettings();
  s.protection = true;
  s.globalFormat = 0x03;
  ASSERT_TRUE(ApplyGeneralSettings(s).Done());
  EXPECT_TRUE(Options().protection());
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_TRUE(Options().protection());
  EXPECT_EQ(Options().globalFormat(), 0x71);
}

TEST_F(SheetSettingsTest, ApplyGloballyGivesNewSheetsTheSettingsButNotTheDocumentInformation) {
  SetPassword("secret");
  Options().SetText(GlobalOptions::kTitle, 80, "Budget 2026");
  Options().SetText(GlobalOptions::kComments, 255, "private");
  Options().setHeader("my header");
  GeneralSettings s = ReadGeneralSettings();
  s.globalFormat = 0x12;
  s.labelPrefix = '"';
  s.colours[GlobalOptions::kCursorColour] = 0x0C00FF00;
  s.columnWidth = 72;
  s.rowHeight = 18;
  s.fontName = "Times New Roman";
  s.fontSize = 14;
  ASSERT_TRUE(ApplyGeneralSettingsGlobally(s).Done());

  ASSERT_NE(NewWorksheet("SHEET2.WKS"), 0);
  const GlobalOptions& o = Options();
  EXPECT_EQ(o.globalFormat(), 0x12);
  EXPECT_EQ(o.labelPrefix(), '"');
  EXPECT_EQ(o.colourFeature(GlobalOptions::kCursorColour), 0x0C00FF00u);
  EXPECT_EQ(o.Text(GlobalOptions::kTitle, 80), "");
  EXPECT_EQ(o.Text(GlobalOptions::kComments, 255), "");
  EXPECT_EQ(o.header(), "");
  EXPECT_FALSE(HasPassword());
  EXPECT_EQ(CurrentLayout().defaultWidth, 72);
  EXPECT_EQ(CurrentLayout().rowHeight[0], 18);

  // The settings file written at exit carries the new defaults.
  const std::string text = SettingsText();
  for (const char* line : {"GFORM=18\n", "PREFIX=\"\n", "CURCLR=$0C00FF00\n", "GWIDE=72\n",
                           "GHIGH=18\n", "GFONT=Times New Roman\n", "GSIZE=14\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

TEST_F(SheetSettingsTest, ColourFeatureIsUndoableAndChecksItsIndex) {
  ASSERT_TRUE(SetColourFeature(GlobalOptions::kOddRowColour, 0x00112233).Done());
  EXPECT_EQ(Options().colourFeature(GlobalOptions::kOddRowColour), 0x00112233u);
  ASSERT_TRUE(UndoLastCommand().Done());
  EXPECT_EQ(Options().colourFeature(GlobalOptions::kOddRowColour), 0x00E0FFFFu);
  EXPECT_EQ(SetColourFeature(7, 0).status, CommandStatus::kFailed);
  EXPECT_EQ(SetColourFeature(-1, 0).status, CommandStatus::kFailed);
}

}  // namespace
