// fuzz/charset_fuzz.cpp — arbitrary bytes through the UTF-8 and Windows-1252 converters.
//
// Read as UTF-8, whatever converts must convert back to the very same bytes, and a refusal must
// point inside the input. Read as Windows-1252, every byte string must come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  std::string bytes;
  CharsetProblem problem;
  if (Utf8ToWindows1252(input, &bytes, &problem)) {
    if (bytes.size() > input.size() || Windows1252ToUtf8(bytes) != input) std::abort();
  } else {
    if (problem.offset >= input.size()) std::abort();
    if (DescribeCharsetProblem(problem).empty()) std::abort();
  }

  std::string back;
  if (!Utf8ToWindows1252(Windows1252ToUtf8(input), &back) || back != input) std::abort();
  return 0;
}
