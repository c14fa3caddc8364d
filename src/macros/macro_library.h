// macros/macro_library.h — the macro library and the look-up of the names macros call.
//
// The macro library is a worksheet file (by default the program directory + base name + ".MAC",
// the settings' TOOLMAC= may name another) opened at start as a worksheet that no window shows.
// Its range names can be called from every macro, and its first 13 names caption the macro
// button bar of the desktop. A name a macro calls is looked up in the sheet that holds the
// macro first, then in the library.
// State: MacroLibraryState (macro_library.cpp): the library's entry and its pool heap.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/address.h"
#include "core/worksheets.h"

// Buttons of the macro button bar, captioned by the library's first names.
constexpr size_t kMacroBarButtons = 13;

// Opens the worksheet file `fileName` (completed with ".wks" when it has no ".") as the macro
// library: a worksheet entry that no window shows; a worksheet of that name that is open already
// becomes the library instead. The sheet that was current stays current (with none current, the
// library is). Gives the entry, or 0 when there is no such file or no entry could be had (the
// previous library is then kept). A file that cannot be read completely has shown its message.
SlotIndex OpenMacroLibrary(std::string_view fileName);
// Makes entry `sheet` the library (0: none).
void SetMacroLibrary(SlotIndex sheet);
// The library's entry, or 0 when there is none or it has been closed.
SlotIndex MacroLibrary();
// The first `count` range names of the library, in the order of its name table.
std::vector<std::string> MacroLibraryNames(size_t count = kMacroBarButtons);
// Whether `name` is a range name of the library (any case).
bool MacroLibraryHasName(std::string_view name);

// A name a macro calls: a range name of `macroSheet`, else of the library. Gives the sheet that
// holds it and its range; false when neither knows it.
bool FindMacroName(std::string_view name, SlotIndex macroSheet, SlotIndex* sheet,
                   CellRange* range);

// Forgets the library (tests and start-up); the entry itself is not closed.
void ResetMacroLibrary();
