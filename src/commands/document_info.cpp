// commands/document_info.cpp — the title, comments and further text of the current worksheet.
//
// Reads and writes: the current worksheet's options record (title, comments, further text), the
// undo journal.
#include "commands/document_info.h"

#include "core/cell_store.h"
#include "core/global_options.h"
#include "core/worksheets.h"

namespace {

struct TextField {
  size_t offset;
  size_t capacity;
};

constexpr TextField kFields[] = {
    {GlobalOptions::kTitle, kDocumentTitleLength},
    {GlobalOptions::kComments, kDocumentCommentsLength},
    {GlobalOptions::kFurtherText, kDocumentFurtherTextLength},
};

// Every line end ("\r\n", "\n" or "\r") becomes one carriage return.
std::string CarriageReturns(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\n' ? '\r' : text[i];
  }
  return out;
}

}  // namespace

DocumentInfo CurrentDocumentInfo() {
  if (CurrentWorksheet() == 0) return {};
  const GlobalOptions& o = Options();
  return {o.Text(kFields[0].offset, kFields[0].capacity),
          o.Text(kFields[1].offset, kFields[1].capacity),
          o.Text(kFields[2].offset, kFields[2].capacity)};
}

std::string JoinCommentLines(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += '\r';
    out += CarriageReturns(lines[i]);
  }
  return out;
}

std::vector<std::string> SplitCommentLines(std::string_view comments) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < comments.size(); ++i) {
    const char c = comments[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < comments.size() && comments[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

CommandResult SetDocumentInfo(std::string_view title, std::string_view comments) {
  const std::string joined = CarriageReturns(comments);
  return ChangeSheetOptions([&](GlobalOptions& o) {
    o.SetText(kFields[0].offset, kFields[0].capacity, title.substr(0, kFields[0].capacity));
    o.SetText(kFields[1].offset, kFields[1].capacity,
              std::string_view(joined).substr(0, kFields[1].capacity));
  });
}

CommandResult SetDocumentText(int which, std::string_view text) {
  if (which < 0 || which > 2) return CommandResult{CommandStatus::kFailed, {}};
  const TextField field = kFields[which];
  const std::string stored = which == 1 ? CarriageReturns(text) : std::string(text);
  return ChangeSheetOptions([&](GlobalOptions& o) {
    o.SetText(field.offset, field.capacity, std::string_view(stored).substr(0, field.capacity));
  });
}
