// core/global_options.cpp — texts and ranges stored inside the worksheet options record.
//
// Texts are length-prefixed; ranges are 8 bytes each (first column, first row, last column, last
// row, 16-bit little-endian). The record may come from a file, so a stored length is never
// trusted beyond its field. Reads and writes only the record it is called on.
#include "core/global_options.h"

#include <algorithm>

namespace {
enum : int { kRangeBytes = 8, kRangeCount = 16 };
}  // namespace

std::string GlobalOptions::Text(size_t offset, size_t capacity) const {
  if (offset >= bytes.size()) return {};
  capacity = std::min(capacity, bytes.size() - offset - 1);
  size_t length = std::min<size_t>(bytes[offset], capacity);
  return std::string(reinterpret_cast<const char*>(&bytes[offset + 1]), length);
}

void GlobalOptions::SetText(size_t offset, size_t capacity, std::string_view text) {
  if (offset >= bytes.size()) return;
  capacity = std::min({capacity, bytes.size() - offset - 1, size_t(255)});
  size_t length = std::min(text.size(), capacity);
  bytes[offset] = uint8_t(length);
  std::copy_n(text.data(), length, &bytes[offset + 1]);
  std::fill(bytes.begin() + offset + 1 + length, bytes.begin() + offset + 1 + capacity, 0);
}

CellRange GlobalOptions::range(int index) const {
  if (index < 0 || index >= kRangeCount) return NoRange();
  size_t at = kRanges + kRangeBytes * size_t(index);
  return MakeRange(Word(at), Word(at + 2), Word(at + 4), Word(at + 6));
}

void GlobalOptions::setRange(int index, const CellRange& r) {
  if (index < 0 || index >= kRangeCount) return;
  size_t at = kRanges + kRangeBytes * size_t(index);
  SetWord(at, r.firstColumn);
  SetWord(at + 2, r.firstRow);
  SetWord(at + 4, r.lastColumn);
  SetWord(at + 6, r.lastRow);
}

CellRange GlobalOptions::dataToolRange(int index) const {
  if (index < 0 || index >= kDataToolRangeCount) return NoRange();
  const size_t at = kDataToolRanges + kRangeBytes * size_t(index);
  return MakeRange(Word(at), Word(at + 2), Word(at + 4), Word(at + 6));
}

void GlobalOptions::setDataToolRange(int index, const CellRange& r) {
  if (index < 0 || index >= kDataToolRangeCount) return;
  const size_t at = kDataToolRanges + kRangeBytes * size_t(index);
  SetWord(at, r.firstColumn);
  SetWord(at + 2, r.firstRow);
  SetWord(at + 4, r.lastColumn);
  SetWord(at + 6, r.lastRow);
}
