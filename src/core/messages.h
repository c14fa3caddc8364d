// core/messages.h — the one way errors reach the user.
//
// `ShowError` beeps, stops a running macro and shows "Error:" with the text in a message box.
// Reads: the installed platform; the stop-macro hook.
#pragma once

#include <string_view>

// Beep, stop a running macro, and a message box captioned "Error:" with `text` (no box when text
// is empty: a bare beep).
void ShowError(std::string_view text);
