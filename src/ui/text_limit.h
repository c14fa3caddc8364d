// ui/text_limit.h — multi-line text boxes that stop input at a length the engine can store.
//
// The box refuses what would go past the limit (typed or pasted text is cut where it would
// overflow, with a beep) instead of letting the user type text that is silently cut later.
// No state beyond the connections made on the box.
#pragma once

#include <QString>
#include <functional>

class QPlainTextEdit;

// The whole text of `box` holds at most `limit` characters, each line break counting as one.
void HoldTextLength(QPlainTextEdit* box, int limit);

// Each line of `box` holds at most `limit` characters as `storedLength` measures it (a line
// entered as a label, for example, gains its prefix).
void HoldLineLength(QPlainTextEdit* box, int limit,
                    std::function<int(const QString& line)> storedLength);
