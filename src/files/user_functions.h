// files/user_functions.h — the user function file, which fills the formula engine's library.
//
// The file holds pairs of lines: "NAME,COUNT" and then the formula text of the function. Every
// line is upper-cased; from the first ";" on a line is a comment; lines left empty are skipped.
// The name is cut to 12 characters (a header without a comma is all name, with count 0), the
// count is clipped to 0..10 (text that is not a whole number counts 0), the definition is cut
// to 255 characters. A pair whose name is empty is dropped, as is a header with no definition
// after it. At most 255 functions are loaded; the rest of the file is ignored.
// Writes: the function library (formula/function_library.h). Reads: the program directory.
#pragma once

#include <string>
#include <string_view>

// Empties the library and fills it from the lines of `text`. Gives the number of functions.
int ReadUserFunctionText(std::string_view text);
// The same from the file at `path`; an unreadable file leaves the library empty and gives -1.
int ReadUserFunctionFile(const std::string& path);
// Start-up, right after the settings: reads the user function file of the program directory.
int LoadUserFunctions();
