// tests/files/values_split_test.cpp — splitting a line into the fields of a values import.
#include "files/values_split.h"

#include <gtest/gtest.h>

#include "commands/engine_start.h"
#include "core/number_settings.h"

namespace {

std::string Joined(const std::vector<std::string>& fields) {
  std::string out;
  for (const std::string& f : fields) out += "[" + f + "]";
  return out;
}

TEST(ValuesSplitTest, SeparatorsQuotesAndEmptyFields) {
  ResetEngineState();
  struct Case {
    const char* line;
    const char* fields;
  };
  const Case kCases[] = {
      {"1,2,3", "[1][2][3]"},
      {"1,2,\"a, b\"", "[1][2][a, b]"},
      {"'it,s' x", "[it,s][x]"},
      {"a;;b", "[a][][b]"},           // two separators in a row: an empty field
      {"a b,", "[a][b]"},             // a line ending in a separator: no extra field
      {"tab\there", "[tab][here]"},
      {"\"it's\" x", "[it's][x]"},    // an apostrophe inside double quotes
      {"\"open, end", "[\"open, end]"},  // an unclosed quote keeps the rest as one field
      {"", ""},
  };
  for (const Case& c : kCases) EXPECT_EQ(Joined(SplitValuesLine(c.line)), c.fields) << c.line;
  NumberFormatSettings().thousandsSeparator = '.';
  EXPECT_EQ(Joined(SplitValuesLine("1,5.2")), "[1,5][2]");
  ResetEngineState();
}

}  // namespace
