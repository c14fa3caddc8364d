// core/charset.cpp — Windows-1252 to and from UTF-8. No state.
#include "core/charset.h"

#include <cstdio>

namespace {

// Code points of the bytes 0x80..0x9F; the other bytes equal their Latin-1 code point.
constexpr uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `at`; gives its length, or 0 when it is malformed (overlong
// forms, surrogates and code points above U+10FFFF included).
size_t DecodeUtf8(std::string_view s, size_t at, uint32_t* cp) {
  const auto byte = [&](size_t i) { return uint8_t(s[i]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80) {
    *cp = lead;
    return 1;
  }
  size_t length = 0;
  uint32_t value = 0, minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return length;
}

}  // namespace

uint32_t Windows1252CodePoint(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

int Windows1252Byte(uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint < 0x100)) return int(codePoint);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == codePoint) return 0x80 + i;
  }
  return -1;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, Windows1252CodePoint(uint8_t(c)));
  return out;
}

bool Utf8ToWindows1252(std::string_view utf8, std::string* out, CharsetProblem* problem) {
  std::string converted;
  converted.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    uint32_t cp = 0;
    const size_t length = DecodeUtf8(utf8, at, &cp);
    const int byte = length ? Windows1252Byte(cp) : -1;
    if (byte < 0) {
      if (problem) *problem = CharsetProblem{at, length ? cp : 0};
      return false;
    }
    converted += char(byte);
    at += length;
  }
  *out = std::move(converted);
  return true;
}

std::string DescribeCharsetProblem(const CharsetProblem& problem) {
  if (problem.codePoint == 0) {
    return "malformed UTF-8 at byte " + std::to_string(problem.offset + 1);
  }
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", unsigned(problem.codePoint));
  std::string character;
  AppendUtf8(character, problem.codePoint);
  return "the character \"" + character + "\" (" + code +
         ") is not in the Windows-1252 character set";
}
