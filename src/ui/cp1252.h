// ui/cp1252.h — conversion of the engine's Windows-1252 byte strings at the user-interface edge.
//
// The engine keeps every text as Windows-1252 bytes; Qt wants UTF-16. These two functions are
// the only place the user interface converts. No state.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The Windows-1252 bytes as a QString (undefined bytes map to the same code point).
QString FromCp1252(std::string_view bytes);
// The QString as Windows-1252 bytes; characters outside the set become "?".
std::string ToCp1252(const QString& text);
