// ui/cp1252.cpp — Windows-1252 to and from QString, on the engine's one table (core/charset.h).
// No state.
#include "ui/cp1252.h"

#include "core/charset.h"

QString FromCp1252(std::string_view bytes) {
  QString out(qsizetype(bytes.size()), Qt::Uninitialized);
  QChar* d = out.data();
  for (size_t i = 0; i < bytes.size(); ++i) {
    d[i] = QChar(char16_t(Windows1252CodePoint(static_cast<unsigned char>(bytes[i]))));
  }
  return out;
}

std::string ToCp1252(const QString& text) {
  std::string out;
  out.reserve(size_t(text.size()));
  for (QChar ch : text) {
    const int byte = Windows1252Byte(ch.unicode());
    out += byte < 0 ? '?' : char(byte);
  }
  return out;
}
