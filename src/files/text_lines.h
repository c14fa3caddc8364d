// files/text_lines.h — splits untrusted text into lines of bounded length.
//
// Used by the readers of the settings file and the user function file, which take their input
// from memory (tests, fuzzing) or from a file read in blocks. A line ends at "\n"; characters
// beyond `maxLength` are dropped up to the end of the line. No state beyond the splitter object.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class LineSplitter {
 public:
  explicit LineSplitter(size_t maxLength) : maxLength_(maxLength) {}

  // Adds bytes; calls `onLine(std::string_view)` for every line they complete.
  template <typename OnLine>
  void Feed(std::string_view bytes, OnLine&& onLine) {
    for (char c : bytes) {
      if (c == '\n') {
        onLine(std::string_view(line_));
        line_.clear();
        pending_ = false;
      } else {
        pending_ = true;
        if (line_.size() < maxLength_) line_ += c;
      }
    }
  }

  // Hands over the last line when the text does not end in "\n".
  template <typename OnLine>
  void Finish(OnLine&& onLine) {
    if (pending_) onLine(std::string_view(line_));
    line_.clear();
    pending_ = false;
  }

 private:
  size_t maxLength_;
  std::string line_;
  bool pending_ = false;
};

// Every line of `text`.
template <typename OnLine>
void ForEachLine(std::string_view text, size_t maxLength, OnLine&& onLine) {
  LineSplitter splitter(maxLength);
  splitter.Feed(text, onLine);
  splitter.Finish(onLine);
}

// Every line of the file at `path`; false (and no call) when it cannot be opened.
template <typename OnLine>
bool ForEachFileLine(const std::string& path, size_t maxLength, OnLine&& onLine) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  LineSplitter splitter(maxLength);
  char block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
    splitter.Feed(std::string_view(block, got), onLine);
  }
  splitter.Finish(onLine);
  std::fclose(file);
  return true;
}
