// app/cli_output.h — what tallivo-cli takes in and prints: the text edge and the cell listings.
//
// The engine keeps Windows-1252 bytes; the terminal, pipes and scripts speak UTF-8. Every
// argument that becomes engine text (cell texts, ranges, names, codes) passes ArgumentText on its
// way in, and everything the tool prints (listings, rows, settings, records, messages) passes
// Print or PrintError on its way out. File names are neither: they stay the bytes the system gave.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/address.h"

// The UTF-8 argument as engine text. A character that Windows-1252 cannot hold, or malformed
// UTF-8, ends the run with a message naming the argument and the character, and status 2.
std::string ArgumentText(const std::string& utf8);

// Writes engine text (Windows-1252) to standard output as UTF-8.
void Print(std::string_view engineText);
// Writes engine text to the file `fileName` (created or replaced) as UTF-8. False when the file
// cannot be written.
bool WriteTextFile(const std::string& fileName, std::string_view engineText);

// Writes an engine message to standard error as "Error: TEXT", in UTF-8.
void PrintError(std::string_view engineText);
// Writes "tallivo-cli: TEXT" and a newline to standard error, in UTF-8.
void PrintProblem(std::string_view engineText);

// The form of a cell listing: TAB-separated fields, or one JSON object per line.
enum class ListingForm : uint8_t { kTab, kJson };

// Prints one line for every cell of the range that holds something: its address, kind, value,
// displayed text and contents.
void PrintCells(const CellRange& range, ListingForm form);

// Prints each row of the range laid out as fixed-width text.
void PrintRows(const CellRange& range);

// Prints the settings text: values of the [Directories] and [Files] sections are file names and
// go out as they are, everything else is converted.
void PrintSettings(std::string_view settingsText);
