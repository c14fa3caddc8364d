// core/charset.h — the engine's character set, Windows-1252, to and from UTF-8.
//
// The engine keeps every text as Windows-1252 bytes. Programs and readers that meet UTF-8 (the
// batch tool's arguments and output, text files) convert at their edge with these functions.
// The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for
// the control characters of the same number, so that every byte string survives a round trip.
// No state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The Unicode code point of a Windows-1252 byte.
uint32_t Windows1252CodePoint(uint8_t byte);

// The Windows-1252 byte of a code point, or -1 when the set has none.
int Windows1252Byte(uint32_t codePoint);

// The bytes as UTF-8. Never fails.
std::string Windows1252ToUtf8(std::string_view bytes);

// Why a UTF-8 text could not be converted.
struct CharsetProblem {
  size_t offset = 0;       // byte offset in the UTF-8 text
  uint32_t codePoint = 0;  // the character Windows-1252 lacks; 0 for a malformed sequence
};

// Converts UTF-8 to Windows-1252 into `out`. Gives false (with `problem` filled when given) on
// the first malformed UTF-8 sequence or the first character Windows-1252 cannot hold; `out` is
// then left as it was.
bool Utf8ToWindows1252(std::string_view utf8, std::string* out, CharsetProblem* problem = nullptr);

// A message for a failed conversion: "the character "ā" (U+0101) is not in the Windows-1252
// character set" or "malformed UTF-8 at byte 3". The message itself is UTF-8.
std::string DescribeCharsetProblem(const CharsetProblem& problem);
