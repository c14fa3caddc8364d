// core/messages.h — the one way errors reach the user.
//
// `ShowError` beeps, stops a running macro and shows "Error:" with the text in a message box.
// Reads: the installed platform and error trap.
#pragma once

#include <string_view>

// Beep, stop a running macro, and a message box "Error:" with `text` (which may be empty, as
// for a compile error without a message). Refusals that are a bare beep call the platform's Beep.
void ShowError(std::string_view text);

// While a trap is set, ShowError first offers the text to it; when the trap takes it (gives
// true) there is no beep and no box. The macro interpreter sets one: it stops a running macro
// and takes the error when the macro has a handler (ONERROR).
using ErrorTrap = bool (*)(std::string_view text);
void SetErrorTrap(ErrorTrap trap);
