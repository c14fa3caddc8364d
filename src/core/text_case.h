// core/text_case.h — letter case of the engine's byte strings.
//
// Names, file names and function names are compared and upper-cased in one way everywhere:
// ASCII letters only, independent of the process locale (the desktop program sets one, the batch
// tool does not, and both must agree about which names are equal).
#pragma once

#include <string>
#include <string_view>

inline char UpperCaseChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

inline std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperCaseChar(c);
  return out;
}

// True when the texts are equal apart from the case of their letters.
inline bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCaseChar(a[i]) != UpperCaseChar(b[i])) return false;
  }
  return true;
}
