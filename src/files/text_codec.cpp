// files/text_codec.cpp — text files and dBase texts to and from Windows-1252.
//
// No state.
#include "files/text_codec.h"

#include <array>

#include "core/charset.h"

namespace {

// Decodes one UTF-8 sequence at `i`; gives its length, or 0 when malformed.
size_t Utf8Sequence(std::string_view s, size_t i, uint32_t* codePoint) {
  const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t lead = b(i);
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  size_t length;
  uint32_t cp;
  uint32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  *codePoint = cp;
  return length;
}

// UTF-8 known to be valid as Windows-1252, "?" for what the set lacks.
std::string Utf8ToEngine(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    uint32_t cp = 0;
    const size_t n = Utf8Sequence(s, i, &cp);
    if (n == 0) break;  // cannot happen for validated input
    const int byte = Windows1252Byte(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
    i += n;
  }
  return out;
}

bool HasHighBytes(std::string_view s) {
  for (char c : s) {
    if (static_cast<uint8_t>(c) >= 0x80) return true;
  }
  return false;
}

// Code pages 437 and 850 above 0x7F.
constexpr std::array<uint16_t, 128> kCp437 = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF,
    0xEE, 0xEC, 0xC4, 0xC5, 0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9,
    0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x20A7, 0x192, 0xE1, 0xED, 0xF3, 0xFA,
    0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x2310, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x3B1, 0xDF, 0x393, 0x3C0, 0x3A3, 0x3C3, 0xB5, 0x3C4, 0x3A6, 0x398, 0x3A9, 0x3B4,
    0x221E, 0x3C6, 0x3B5, 0x2229, 0x2261, 0xB1, 0x2265, 0x2264, 0x2320, 0x2321, 0xF7, 0x2248,
    0xB0, 0x2219, 0xB7, 0x221A, 0x207F, 0xB2, 0x25A0, 0xA0,
};
constexpr std::array<uint16_t, 128> kCp850 = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF,
    0xEE, 0xEC, 0xC4, 0xC5, 0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9,
    0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x192, 0xE1, 0xED, 0xF3, 0xFA,
    0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0xC1, 0xC2, 0xC0, 0xA9, 0x2563, 0x2551, 0x2557,
    0x255D, 0xA2, 0xA5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0xE3, 0xC3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0xA4, 0xF0, 0xD0, 0xCA, 0xCB,
    0xC8, 0x131, 0xCD, 0xCE, 0xCF, 0x2518, 0x250C, 0x2588, 0x2584, 0xA6, 0xCC, 0x2580,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9,
    0xFD, 0xDD, 0xAF, 0xB4, 0xAD, 0xB1, 0x2017, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8,
    0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x25A0, 0xA0,
};

std::string FromDosPage(std::string_view s, const std::array<uint16_t, 128>& table) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    const uint8_t c = static_cast<uint8_t>(ch);
    if (c < 0x80) {
      out += ch;
      continue;
    }
    const int byte = Windows1252Byte(table[c - 0x80]);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    uint32_t cp = 0;
    const size_t n = Utf8Sequence(bytes, i, &cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string DecodeTextLine(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (!HasHighBytes(bytes)) return std::string(bytes);
  if (IsValidUtf8(bytes)) return Utf8ToEngine(bytes);
  return std::string(bytes);
}

std::string EncodeTextLine(std::string_view engineText) { return Windows1252ToUtf8(engineText); }

bool TextLineReader::Next(std::string* line) {
  line->clear();
  bool any = false;
  int c;
  while ((c = std::getc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line->size() < maxBytes_) *line += static_cast<char>(c);
  }
  if (std::ferror(file_)) {
    failed_ = true;
    return false;
  }
  if (!any) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

DbaseCodePage DbaseCodePageOf(uint8_t mark) {
  switch (mark) {
    case 0x01: return DbaseCodePage::kCp437;
    case 0x02: return DbaseCodePage::kCp850;
    case 0x03:
    case 0x57: return DbaseCodePage::kCp1252;
    default: return DbaseCodePage::kUnknown;
  }
}

std::string DecodeDbaseText(std::string_view bytes, DbaseCodePage page) {
  switch (page) {
    case DbaseCodePage::kCp437: return FromDosPage(bytes, kCp437);
    case DbaseCodePage::kCp850: return FromDosPage(bytes, kCp850);
    case DbaseCodePage::kCp1252: return std::string(bytes);
    case DbaseCodePage::kUnknown: break;
  }
  if (HasHighBytes(bytes) && IsValidUtf8(bytes)) return Utf8ToEngine(bytes);
  return std::string(bytes);
}
