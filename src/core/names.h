// core/names.h — the sorted range-name table of the current worksheet.
//
// Entries 1..count of the sheet's name table are 21-byte pool blocks (13-byte length-prefixed
// upper-case name of at most 12 characters, then the first and last corners as four 16-bit
// words), kept in ascending byte order of the names. Entry 0 is allocated with the sheet and not
// used. Range parsing consults the table, so a defined name wins over a reference spelled alike.
// State: the name table and count of the current sheet (core/sheet_state.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/address.h"

constexpr int kMaxNames = 240;
constexpr int kMaxNameLength = 12;
constexpr uint32_t kNameEntrySize = 21;

// Binary search over entries low..high for `name` (upper-case): the index when found, minus the
// insertion index when not.
int FindName(std::string_view name, int low, int high);
// The index of the name a range text names (a leading "$" skipped, compared on at most 11
// characters, 12 with the "$"), or 0.
int LookupName(std::string_view text);
// Upper-cases the name; updates an existing entry's range or inserts a new sorted entry. Gives the
// index, negative for a new entry, 0 when the table is full or memory is exhausted.
int DefineName(std::string_view name, const CellRange& range);
// Removes the entry; gives its former index, or 0 / a negative value when it did not exist.
int DeleteName(std::string_view name);
// Forgets every name (count 0).
void ResetNames();
// Defines names from a two-column block (name text, range text). Reports "Max names (240)
// Exceeded" and "Error Creating Names" through ShowError.
void BuildNames(const CellRange& source);
// Writes "'NAME" and the range text into two columns from the first row of `target`.
void TableNames(const CellRange& target);

// Number of names and the name / range of entry `index` (1..NameCount()).
int NameCount();
std::string NameAt(int index);
CellRange NameRange(int index);
// Replaces the range of entry `index` (used when ranges move with cells).
void SetNameRange(int index, const CellRange& range);

// The dialog's check before creating a name: "" when acceptable, else the status text to show
// (" All Digits in Name!" for an empty name or one of digits only).
std::string CheckNewName(std::string_view name);

// Allocates entry 0 for a new sheet and sets the count to 0.
void InitNameTable();
