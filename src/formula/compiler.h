// formula/compiler.h — formula text to formula code.
//
// An operator-precedence translator driven by one string of operator characters whose order is
// the precedence, with a recursive step for every parenthesised group. References are resolved
// against the current sheet: each cell operand names a cell record, created when the position is
// empty; range names, user functions (the sheet's list, then the library) and named-range calls
// are looked up by name.
// State: the compiler's per-compilation flags and output buffer (compiler.cpp); reads the number
// settings (separators), the range names and the sheet's user functions; creates cell records and
// appends to the sheet's user-function list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The message of a code buffer that would grow past 240 bytes.
inline constexpr std::string_view kMaxFormulaSizeMessage = "Max Formula Size Exceeded";

// Compiles formula text (at most 240 characters are read) into `code`, the length-prefixed code
// buffer (byte 0 is the position of the end marker). Gives false on any error, leaving `code`
// untouched; every failure leaves a short message ("Missing )", "Operand expected", "Unknown
// function @FOO", "Wrong number of arguments for @SUM", "Max Formula Size Exceeded", ...) and,
// where it is known, the position in the text where the problem was found.
// The worksheet core's error flag is left as it was.
bool Compile(std::string_view text, std::string* code);

// The message of the last compilation ("" when it succeeded).
const std::string& CompilerMessage();

// Where in the text the last compilation failed, counted from 0 (the text's length for a problem
// at its end); -1 when it succeeded or the position is not known.
int CompilerErrorPosition();

// The message of the last compilation with its position, counted from 1 for people:
// "Missing ) at 12". "Max Formula Size Exceeded" is given as it is.
std::string CompilerErrorText();

// Compiles text typed into the cell at (row, column) for cell entry. On failure gives false with
// the worksheet core's error flag raised and CompilerErrorText() as its text.
bool CompileFormula(std::string_view text, uint16_t row, uint16_t column, std::string* code);

// The argument separator of formula text: ";" when the decimal separator is ",", else the
// argument separator of the number settings ("," by default).
char ArgumentSeparator();

// Clears the compiler's state (start-up and tests).
void ResetCompilerState();
