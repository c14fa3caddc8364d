// tests/files/macro_button_test.cpp — the description of a worksheet's macro button: hostile
// records, the longest description, and buttons surviving a save and a load.
#include "files/macro_button.h"

#include <optional>
#include <vector>

#include "commands/commands.h"
#include "files_fixture.h"

namespace {

// A description with the given fields, laid out by hand (not by the encoder under test).
std::vector<uint8_t> Record(uint16_t column, uint16_t row, uint16_t width, uint16_t height,
                            const std::string& caption, const std::string& macro) {
  std::vector<uint8_t> r = {uint8_t(column), uint8_t(column >> 8), uint8_t(row),
                            uint8_t(row >> 8),  uint8_t(width),      uint8_t(width >> 8),
                            uint8_t(height),    uint8_t(height >> 8)};
  r.push_back(uint8_t(caption.size()));
  r.insert(r.end(), caption.begin(), caption.end());
  r.push_back(uint8_t(macro.size()));
  r.insert(r.end(), macro.begin(), macro.end());
  return r;
}

TEST(MacroButtonTest, DecodingRefusesWhatDescribesNoButton) {
  const std::vector<uint8_t> good = Record(3, 8191, 80, 24, "Total", "SUMUP");
  struct Case {
    int line;
    std::vector<uint8_t> bytes;
    bool button;
  };
  const std::vector<uint8_t> cut(good.begin(), good.end() - 1);
  std::vector<uint8_t> longer = good;
  longer.push_back('X');
  std::vector<uint8_t> captionOverrun = good;
  captionOverrun[8] = 250;  // the caption would run past the end
  std::vector<uint8_t> captionToEnd = good;
  captionToEnd[8] = uint8_t(good.size() - 9);  // no room left for the macro's length
  const Case kCases[] = {
      {__LINE__, good, true},
      {__LINE__, {}, false},
      {__LINE__, std::vector<uint8_t>(9, 0), false},
      {__LINE__, cut, false},
      {__LINE__, longer, false},
      {__LINE__, captionOverrun, false},
      {__LINE__, captionToEnd, false},
      {__LINE__, Record(256, 0, 80, 24, "", "M"), false},
      {__LINE__, Record(0, 8192, 80, 24, "", "M"), false},
      {__LINE__, Record(0, 0, 0, 24, "", "M"), false},
      {__LINE__, Record(0, 0, 80, 2049, "", "M"), false},
      {__LINE__, Record(0, 0, 80, 24, "caption", ""), false},
      {__LINE__, Record(0, 0, 80, 24, "", std::string(33, 'M')), false},
      {__LINE__, Record(255, 0, 2048, 1, "", "M"), true},
      // The longest description: a caption of 255 and a macro of 32 bytes.
      {__LINE__, Record(0, 0, 1, 1, std::string(255, 'c'), std::string(32, 'm')), true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const std::optional<MacroButton> b = DecodeMacroButton(c.bytes);
    EXPECT_EQ(b.has_value(), c.button);
    if (b) {
      EXPECT_EQ(EncodeMacroButton(*b), c.bytes);  // a description is written back unchanged
    }
  }
  const std::optional<MacroButton> b = DecodeMacroButton(good);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->column, 3);
  EXPECT_EQ(b->row, 8191);
  EXPECT_EQ(b->width, 80);
  EXPECT_EQ(b->height, 24);
  EXPECT_EQ(b->caption, "Total");
  EXPECT_EQ(b->macro, "SUMUP");
  EXPECT_EQ(kMacroButtonMaxRecord,
            Record(0, 0, 1, 1, std::string(255, 'c'), std::string(32, 'm')).size());
}

using MacroButtonFileTest = FilesTest;

TEST_F(MacroButtonFileTest, ButtonsSurviveSaveAndLoadInTheirOrderWithUndecodableOnesKept) {
  MacroButton first{2, 4, 96, 30, "Add \xE9", "ADDUP"};
  MacroButton second{0, 0, 40, 20, "", "A10"};
  ASSERT_TRUE(AddMacroButton(first).Done());
  ASSERT_TRUE(AddMacroButton(second).Done());
  EXPECT_FALSE(AddMacroButton(MacroButton{0, 0, 0, 20, "", "X"}).Done());  // no width
  const std::vector<uint8_t> odd = {1, 2, 3};  // as a file may bring it
  CurrentExtras().macroButtons.push_back(odd);
  ASSERT_TRUE(SaveWorksheet(Path("buttons.wks")));

  NewSheet("OTHER.WKS");
  ASSERT_TRUE(LoadWorksheet(Path("buttons.wks")));
  const std::vector<std::vector<uint8_t>>& loaded = CurrentExtras().macroButtons;
  ASSERT_EQ(loaded.size(), 3u);
  const std::optional<MacroButton> a = DecodeMacroButton(loaded[0]);
  const std::optional<MacroButton> b = DecodeMacroButton(loaded[1]);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->caption, first.caption);
  EXPECT_EQ(a->macro, "ADDUP");
  EXPECT_EQ(a->column, 2);
  EXPECT_EQ(a->row, 4);
  EXPECT_EQ(b->macro, "A10");
  EXPECT_EQ(loaded[2], odd);

  // Placing and removing buttons are undone like any change.
  ASSERT_TRUE(RemoveMacroButton(0).Done());
  EXPECT_FALSE(RemoveMacroButton(5).Done());
  ASSERT_EQ(CurrentExtras().macroButtons.size(), 2u);
  ASSERT_TRUE(UndoLastCommand().Done());
  ASSERT_EQ(CurrentExtras().macroButtons.size(), 3u);
  EXPECT_EQ(DecodeMacroButton(CurrentExtras().macroButtons[0])->macro, "ADDUP");
}

}  // namespace
