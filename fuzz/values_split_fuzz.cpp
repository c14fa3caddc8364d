// fuzz/values_split_fuzz.cpp — arbitrary lines through the values splitting of import and Parse.
//
// Every field is a piece of the line (at most the line's length), and the fields together never
// hold more characters than the line. A field holding '"' may come from a double-quoted piece
// whose doubled quotes became one: without its quotes it is a piece of the line without quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/values_split.h"

namespace {

std::string WithoutDoubleQuotes(std::string text) {
  std::erase(text, '"');
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::string unquotedLine = WithoutDoubleQuotes(line);
  size_t total = 0;
  for (const std::string& field : SplitValuesLine(line)) {
    const bool found = field.find('"') == std::string::npos
                           ? line.find(field) != std::string::npos
                           : unquotedLine.find(WithoutDoubleQuotes(field)) != std::string::npos;
    if (!found) std::abort();
    total += field.size();
  }
  if (total > line.size()) std::abort();
  return 0;
}
