// ui/entry_line.h — what the main window's entry line shows while an entry is typed.
//
// The entry state machine itself (start, edit, pointing, commit, cancel, F4, F9, the function
// list and the range prompt that shares the entry row) is part of MainWindow and lives in
// entry_line.cpp. No state here.
#pragma once

#include <QString>

// The mode an entry text shows: "VALUE" when its first character starts a value (a digit, "+",
// "-", "(", "@"), otherwise "LABEL" (also for an empty text).
QString EntryMode(const QString& text);
