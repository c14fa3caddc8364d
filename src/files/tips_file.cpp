// files/tips_file.cpp — reading the tips file and picking a tip.
//
// No state.
#include "files/tips_file.h"

#include <charconv>
#include <cstdio>

#include "files/program_files.h"
#include "files/text_codec.h"

const char* const kFallbackTip =
    "Type a number, a label or a formula into any cell and press Enter to store it. F2 edits the "
    "cell under the cursor, and a formula starting with @ uses the function library.";

namespace {

constexpr int kMaxTipCount = 1000000;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// A whole number from 1 to kMaxTipCount, or 0.
int WholeNumber(std::string_view s) {
  s = Trim(s);
  int n = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return 0;
  return n >= 1 && n <= kMaxTipCount ? n : 0;
}

// Walks the lines of `contents` (LF or CR LF ends).
template <typename Visit>
void ForEachLine(std::string_view contents, Visit visit) {
  size_t at = 0;
  while (at < contents.size()) {
    size_t end = contents.find('\n', at);
    if (end == std::string_view::npos) end = contents.size();
    std::string_view line = contents.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!visit(line)) return;
    at = end + 1;
  }
}

bool StartsTip(std::string_view line) { return line.substr(0, 2) == "p "; }

}  // namespace

std::string TipsFileName() { return ProgramDirectory() + BaseName() + ".TPS"; }

int TipCount(std::string_view contents) {
  int count = 0;
  ForEachLine(contents, [&](std::string_view line) {
    count = WholeNumber(line);
    return false;
  });
  return count;
}

bool FindTip(std::string_view contents, int number, std::string* text) {
  text->clear();
  if (number < 1) return false;
  bool first = true;
  bool inside = false;
  bool found = false;
  bool paragraphEnded = false;
  ForEachLine(contents, [&](std::string_view line) {
    if (first) {  // the count
      first = false;
      return true;
    }
    if (StartsTip(line)) {
      if (inside) return false;
      inside = WholeNumber(line.substr(2)) == number;
      found = found || inside;
      return true;
    }
    if (!inside) return true;
    const std::string_view words = Trim(line);
    if (words.empty()) {
      paragraphEnded = !text->empty();
      return true;
    }
    if (!text->empty()) *text += paragraphEnded ? '\n' : ' ';
    paragraphEnded = false;
    *text += DecodeTextLine(words);
    return true;
  });
  return found && !text->empty();
}

int DrawTipNumber(int count, uint64_t random) {
  if (count < 1) return 0;
  return int(random % uint64_t(count)) + 1;
}

int NextTipNumber(int number, int count) {
  if (count < 1 || number >= count || number < 1) return 1;
  return number + 1;
}

bool ReadTipsFile(const std::string& fileName, std::string* contents) {
  contents->clear();
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) return false;
  contents->resize(kMaxTipsFileBytes);
  const size_t read = std::fread(contents->data(), 1, contents->size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  contents->resize(read);
  return !failed;
}

std::string TipOrFallback(std::string_view contents, int number) {
  std::string text;
  if (FindTip(contents, number, &text)) return text;
  return kFallbackTip;
}
