#include "core/password.h"

#include <gtest/gtest.h>

#include "core/global_options.h"
#include "sheet_fixture.h"

namespace {

class PasswordTest : public SheetTest {};

TEST(ScramblePasswordTest, MixesEachCharacterWithTwiceTheNextOne) {
  // 'A' + 2*'B' = 197, 'B' + 2*'T' (the suffix) = 234.
  EXPECT_EQ(ScramblePassword("AB"), std::string("\xC5\xEA"));
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(ScramblePassword("secret").size(), 6u);
}

TEST_F(PasswordTest, TheStoredFormIsScrambledAndTheCheckIsExact) {
  EXPECT_FALSE(HasPassword());
  SetPassword("Open Sesame");
  EXPECT_TRUE(HasPassword());
  EXPECT_NE(Options().password(), "Open Sesame");
  EXPECT_EQ(Options().password(), ScramblePassword("Open Sesame"));
  EXPECT_TRUE(CheckPassword("Open Sesame"));
  EXPECT_FALSE(CheckPassword("open sesame"));
  EXPECT_FALSE(CheckPassword("Open Sesam"));
}

TEST_F(PasswordTest, FortyCharactersAreKeptWholeAndMoreAreCut) {
  const std::string forty(40, 'x');
  SetPassword(forty);
  EXPECT_EQ(Options().password().size(), 40u);
  EXPECT_TRUE(CheckPassword(forty));
  SetPassword(forty + "yz");
  EXPECT_TRUE(CheckPassword(forty));
}

}  // namespace
