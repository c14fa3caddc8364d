// fuzz/values_split_fuzz.cpp — arbitrary lines through the values splitting of import and Parse.
//
// Every field is a piece of the line (at most the line's length), and the fields together never
// hold more characters than the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/values_split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  size_t total = 0;
  for (const std::string& field : SplitValuesLine(line)) {
    if (line.find(field) == std::string::npos) std::abort();
    total += field.size();
  }
  if (total > line.size()) std::abort();
  return 0;
}
