// files/user_functions.cpp — reading the user function file into the function library.
//
// The input is untrusted: lines are cut before they are kept, and every field is cut or clipped
// to its limit before it reaches the library.
// Writes: the function library. Reads: the program directory and base name.
#include "files/user_functions.h"
#include "core/text_case.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "files/program_files.h"
#include "files/text_lines.h"
#include "formula/function_library.h"

namespace {

// Longer lines are cut: nothing past the 255 characters of a definition is ever kept.
constexpr size_t kMaxLine = 1024;

struct Header {
  std::string name;
  int argumentCount = 0;
};

std::string_view TrimBlanks(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) {
    v.remove_suffix(1);
  }
  return v;
}

Header ParseHeader(std::string_view line) {
  Header h;
  const size_t comma = line.find(',');
  h.name = std::string(TrimBlanks(line.substr(0, comma)).substr(0, kMaxUserFunctionName));
  if (comma == std::string_view::npos) return h;
  const std::string_view count = TrimBlanks(line.substr(comma + 1));
  long value = 0;
  const auto [end, ec] = std::from_chars(count.data(), count.data() + count.size(), value);
  if (ec == std::errc::result_out_of_range && !count.empty() && count.front() != '-') {
    value = kMaxUserFunctionArguments;
  } else if (ec != std::errc() || end != count.data() + count.size()) {
    value = 0;
  }
  h.argumentCount = int(std::clamp<long>(value, 0, kMaxUserFunctionArguments));
  return h;
}

// Pairs up the lines as they come.
class Reader {
 public:
  void Line(std::string_view raw) {
    if (LibraryFunctionCount() >= kMaxUserFunctions) return;
    const std::string_view cut = TrimBlanks(raw.substr(0, raw.find(';')));
    if (cut.empty()) return;
    std::string line(cut);
    line = UpperCase(line);
    if (!header_) {
      header_ = ParseHeader(line);
      return;
    }
    if (!header_->name.empty()) {
      AddLibraryFunction(header_->name, std::string_view(line).substr(0, kMaxUserFunctionText),
                         header_->argumentCount);
    }
    header_.reset();
  }

 private:
  std::optional<Header> header_;
};

}  // namespace

int ReadUserFunctionText(std::string_view text) {
  ClearFunctionLibrary();
  Reader reader;
  ForEachLine(text, kMaxLine, [&](std::string_view line) { reader.Line(line); });
  return LibraryFunctionCount();
}

int ReadUserFunctionFile(const std::string& path) {
  ClearFunctionLibrary();
  Reader reader;
  if (!ForEachFileLine(path, kMaxLine, [&](std::string_view line) { reader.Line(line); })) {
    return -1;
  }
  return LibraryFunctionCount();
}

int LoadUserFunctions() { return ReadUserFunctionFile(UserFunctionFileName()); }
