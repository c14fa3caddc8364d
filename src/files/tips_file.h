// files/tips_file.h — the tip of the day from the tips file beside the program.
//
// The tips file (program directory + base name + ".TPS") is plain text: its first line holds the
// number of tips; tip N starts after the line "p N" and runs to the next line that starts with
// "p " or to the end of the file. The lines of a tip are running text: they are joined by blanks,
// and an empty line starts a new paragraph. Lines are read as UTF-8 when they are valid UTF-8,
// otherwise as Windows-1252. The file is untrusted: only its first kMaxTipsFileBytes bytes are
// read, and anything malformed gives the fallback text.
// No state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t kMaxTipsFileBytes = size_t(1) << 20;

// The text shown when the tips file or the tip asked for is missing.
extern const char* const kFallbackTip;

// The tips file of the program: program directory + base name + ".TPS".
std::string TipsFileName();

// The number of tips the first line states (leading and trailing blanks allowed); 0 when the
// line is not a whole number from 1 to 1,000,000.
int TipCount(std::string_view contents);

// The text of tip `number` (engine text, paragraphs separated by "\n"), or false when the file
// has no line "p NUMBER" or the tip is empty.
bool FindTip(std::string_view contents, int number, std::string* text);

// A tip number drawn uniformly from 1..count using `random` (any 64-bit value); 0 when count < 1.
int DrawTipNumber(int count, uint64_t random);

// The next tip after `number`: number + 1, wrapping from `count` to 1 (1 when count < 1).
int NextTipNumber(int number, int count);

// Reads the tips file (at most kMaxTipsFileBytes). False when it cannot be read.
bool ReadTipsFile(const std::string& fileName, std::string* contents);

// Tip `number` of `contents`, or the fallback text.
std::string TipOrFallback(std::string_view contents, int number);
