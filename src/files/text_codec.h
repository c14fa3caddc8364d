// files/text_codec.h — the one conversion of text files to and from the engine's character set.
//
// Every reader and writer of plain text (text import and export, the macros' OPEN, READ, WRITE
// and WRITELN) goes through here. Reading: a line that is valid UTF-8 is read as UTF-8 (a byte
// order mark at its start dropped), any other line as Windows-1252 bytes; characters that
// Windows-1252 lacks become "?". Lines end at LF or CR LF. Writing: UTF-8 without a byte order
// mark, lines ending in LF. dBase tables name their code page; `DecodeDbaseText` follows it.
// No state.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// One line of a text file (without its LF or CR LF) as engine text.
std::string DecodeTextLine(std::string_view bytes);

// Engine text as the bytes of a text file.
std::string EncodeTextLine(std::string_view engineText);

// Whether `bytes` is well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Reads lines from a file; each line is handed over raw (LF or CR LF removed). Lines longer
// than `maxBytes` are kept to `maxBytes` bytes and the rest of the line is read and dropped.
class TextLineReader {
 public:
  TextLineReader(std::FILE* file, size_t maxBytes) : file_(file), maxBytes_(maxBytes) {}
  // The next raw line into `line`; false at the end of the file (or on a read error: see Failed).
  bool Next(std::string* line);
  bool Failed() const { return failed_; }

 private:
  std::FILE* file_;
  size_t maxBytes_;
  bool failed_ = false;
};

// The code pages a dBase table can name in its language byte.
enum class DbaseCodePage : uint8_t { kUnknown, kCp437, kCp850, kCp1252 };
// The code page that language byte `mark` (header offset 29) names.
DbaseCodePage DbaseCodePageOf(uint8_t mark);
// A field value or name of a dBase table as engine text: converted from the table's code page;
// with none named, a text that is valid UTF-8 with non-ASCII bytes is read as UTF-8, any other
// as Windows-1252.
std::string DecodeDbaseText(std::string_view bytes, DbaseCodePage page);
