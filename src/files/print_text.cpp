// files/print_text.cpp — a printed range written as a text file.
//
// Each row of the range becomes one whole line of fixed-width text (no line is cut, so no column
// is lost), written through the one atomic writer: either the whole file is there or the old one
// is kept and "Unable to WRITE" is reported.
// Reads: the current worksheet. Writes: the named file, the error flag.
#include <cctype>

#include "core/address.h"
#include "core/format.h"
#include "core/messages.h"
#include "files/atomic_file.h"
#include "files/print_layout.h"
#include "files/text_codec.h"

std::string PrintFileName(std::string_view name) {
  const size_t slash = name.find_last_of('/');
  const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  std::string out(name);
  if (base.find('.') != std::string_view::npos) return out;
  bool upper = false, lower = false;
  for (char c : base) {
    upper = upper || std::isupper(static_cast<unsigned char>(c));
    lower = lower || std::islower(static_cast<unsigned char>(c));
  }
  return out + (upper && !lower ? ".PRN" : ".prn");
}

std::string PrintRangeText(const CellRange& range) {
  std::string out;
  if (!RangeIsValid(range)) return out;
  // Every character a row can take: the widest columns and a cell's text running on past them.
  constexpr size_t kWholeLine = 256 * (0xFFFF / 8 + 2) + kMaxDisplayText;
  for (uint32_t row = range.firstRow; row <= range.lastRow; ++row) {
    std::string line = RowAsText(row, range.firstColumn, range.lastColumn, kWholeLine);
    const size_t end = line.find_last_not_of(' ');
    line.resize(end == std::string::npos ? 0 : end + 1);
    out += EncodeTextLine(line);
    out += '\n';
  }
  return out;
}

bool PrintRangeToText(std::string_view fileName, const CellRange& range) {
  if (!RangeIsValid(range)) return true;
  if (!WriteFileAtomically(std::string(fileName), PrintRangeText(range))) {
    ShowError("Unable to WRITE");
    RaiseError();
    return false;
  }
  return true;
}
