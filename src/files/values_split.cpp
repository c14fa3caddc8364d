// files/values_split.cpp — splits a line of text into the fields of a values import.
//
// Reads: the thousands separator of the number settings (core/number_settings.h).
#include "files/values_split.h"

#include "core/number_settings.h"

namespace {

bool IsValuesSeparator(char c, char thousands) {
  return c == '\t' || c == ' ' || c == ';' || c == thousands;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

void AddField(std::string_view piece, std::vector<std::string>* fields) {
  const bool doubleQuoted = piece.size() >= 2 && piece.front() == '"' && piece.back() == '"';
  if (piece.size() >= 2 && IsQuote(piece.front()) && IsQuote(piece.back())) {
    piece = piece.substr(1, piece.size() - 2);
  }
  if (!doubleQuoted) {
    fields->emplace_back(piece);
    return;
  }
  // Inside double quotes a doubled '"' stands for one, as quoted exports write it.
  std::string field;
  field.reserve(piece.size());
  for (size_t i = 0; i < piece.size(); ++i) {
    field += piece[i];
    if (piece[i] == '"' && i + 1 < piece.size() && piece[i + 1] == '"') ++i;
  }
  fields->push_back(std::move(field));
}

}  // namespace

std::vector<std::string> SplitValuesLine(std::string_view line) {
  std::vector<std::string> fields;
  const char thousands = NumberFormatSettings().thousandsSeparator;
  bool inDouble = false;
  bool inSingle = false;
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && !inSingle) {
      inDouble = !inDouble;
    } else if (c == '\'' && !inDouble) {
      inSingle = !inSingle;
    } else if (!inDouble && !inSingle && IsValuesSeparator(c, thousands)) {
      AddField(line.substr(start, i - start), &fields);
      start = i + 1;
    }
  }
  if (start < line.size()) AddField(line.substr(start), &fields);
  return fields;
}
