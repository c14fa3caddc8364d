// core/password.h — the worksheet password that guards cell protection.
//
// The password is stored scrambled (same length as typed, at most 40 characters) in the current
// sheet's options from byte 1545; an empty stored text means no password. The dialog and the lock
// button call these.
#pragma once

#include <string>
#include <string_view>

constexpr size_t kMaxPasswordLength = 40;

// The scrambled form of `text`, of the same length.
std::string ScramblePassword(std::string_view text);
// True when the current sheet has a password.
bool HasPassword();
// True when `typed` scrambles to exactly the stored password (case matters).
bool CheckPassword(std::string_view typed);
// Stores the scrambled form of `typed` cut to 40 characters.
void SetPassword(std::string_view typed);
