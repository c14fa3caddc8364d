// formula/function_library.h — user functions: the engine's library and each sheet's own list.
//
// The library holds the functions declared in the user function file (filled by the settings
// reader, at most 255). Each worksheet keeps its own list of the user functions its formulas use,
// as 1-based entries of its function table; the compiler copies a library entry into that list on
// first use, and formula code names a function by its index in the list.
// State: the library (function_library.cpp); the current sheet's function table and count.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kMaxUserFunctions = 255;
constexpr size_t kMaxUserFunctionName = 12;
constexpr size_t kMaxUserFunctionText = 255;
constexpr int kMaxUserFunctionArguments = 10;

struct UserFunction {
  std::string name;           // upper case, at most 12 characters
  std::string text;           // the definition, formula text of at most 255 characters
  uint8_t argumentCount = 0;  // 0..10
};

// --- the library -------------------------------------------------------------------------------

// Empties the library.
void ClearFunctionLibrary();
// Appends a function (name cut to 12 characters and upper-cased, text cut to 255 characters,
// count clipped to 10). Gives false when the library already holds 255 functions.
bool AddLibraryFunction(std::string_view name, std::string_view text, int argumentCount);
int LibraryFunctionCount();
// Entry `index` (1..LibraryFunctionCount()).
const UserFunction& LibraryFunction(int index);
// The index of the library function named `name` (compared ignoring case), or 0.
int FindLibraryFunction(std::string_view name);

// --- the current sheet's list ------------------------------------------------------------------

int SheetFunctionCount();
// Entry `index` (1..SheetFunctionCount()); false (and `out` untouched) for any other index.
bool SheetFunctionAt(int index, UserFunction* out);
// The index of the sheet's function named `name` (compared ignoring case), or 0.
int FindSheetFunction(std::string_view name);
// Appends an entry to the sheet's list (cut and clipped as in the library); gives its index, or 0
// when the list is full or the pool is exhausted. Used by the compiler and the file reader.
int AddSheetFunction(std::string_view name, std::string_view text, int argumentCount);
// The index of `name` in the sheet's list, copying it from the library on first use; 0 when it
// is in neither or cannot be copied.
int ResolveUserFunction(std::string_view name);
// Frees the sheet's entries and empties its list.
void ResetSheetFunctions();

// --- the function list window ----------------------------------------------------------------------

// The items of the function list in its "Functions" mode: "NOT(1)" and every named function
// opcode from 0x1F to 0xBB as "NAME(n)", "NAME" when it takes no argument or "NAME( var )", sorted;
// then "--External--" and the library's functions in the same form, in library order.
std::vector<std::string> FunctionListItems();
