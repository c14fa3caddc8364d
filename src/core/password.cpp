// core/password.cpp — scrambling and checking of the worksheet password.
//
// Reads and writes: the password field of the current sheet's options.
#include "core/password.h"

#include "core/global_options.h"

namespace {
// Appended before scrambling so that the last typed character is mixed too.
constexpr char kSuffix = 'T';
}  // namespace

std::string ScramblePassword(std::string_view text) {
  std::string s(text);
  s.push_back(kSuffix);
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    const unsigned c = static_cast<unsigned char>(s[i]);
    const unsigned next = static_cast<unsigned char>(s[i + 1]);
    s[i] = static_cast<char>((c + 2 * next) & 0xFF);
  }
  s.pop_back();
  return s;
}

bool HasPassword() { return !Options().password().empty(); }

bool CheckPassword(std::string_view typed) {
  return ScramblePassword(typed) == Options().password();
}

void SetPassword(std::string_view typed) {
  Options().setPassword(ScramblePassword(typed.substr(0, kMaxPasswordLength)));
}
