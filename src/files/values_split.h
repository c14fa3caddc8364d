// files/values_split.h — splits a line of text into the fields of a values import.
//
// The one splitting of text into values, shared by the values import of text files and by Parse
// of the data tools. Reads: the thousands separator of the number settings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits `line` into fields. The separators are TAB, the blank, ";" and the thousands-separator
// character of the settings ("," by default). Double quotes and apostrophes group text: a double
// quote opens or closes a group unless an apostrophe group is open, and the other way round, and
// a separator inside a group does not split. A separator outside groups ends a field, also an
// empty one (two separators in a row give an empty field). A line that does not end in a
// separator ends its last field as if it did. A field that both begins and ends with a double
// quote or an apostrophe loses those two characters; in a double-quoted field a doubled '"' becomes
// one. An empty line gives no field.
std::vector<std::string> SplitValuesLine(std::string_view line);
