// ui/cp1252.cpp — Windows-1252 to and from QString. No state.
#include "ui/cp1252.h"

namespace {
// Code points of the bytes 0x80..0x9F; the other bytes equal their Latin-1 code point.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

QString FromCp1252(std::string_view bytes) {
  QString out(qsizetype(bytes.size()), Qt::Uninitialized);
  QChar* d = out.data();
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    d[i] = (c >= 0x80 && c < 0xA0) ? QChar(kHigh[c - 0x80]) : QChar(char16_t(c));
  }
  return out;
}

std::string ToCp1252(const QString& text) {
  std::string out;
  out.reserve(size_t(text.size()));
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
      out += char(u);
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kHigh[i] == u) {
        mapped = char(0x80 + i);
        break;
      }
    }
    out += mapped;
  }
  return out;
}
