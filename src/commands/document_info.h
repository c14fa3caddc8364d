// commands/document_info.h — the document information of the current worksheet.
//
// A worksheet carries a title (at most 80 characters), comments (at most 255 characters, their
// lines joined by carriage returns) and a further text (at most 80 characters), kept in its
// options record and saved with it. The document information dialog, the FILEDOC macro command
// and the batch tool change them here, as one undo group that marks the sheet modified.
// Reads and writes: the current worksheet's options record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "commands/commands.h"

constexpr size_t kDocumentTitleLength = 80;
constexpr size_t kDocumentCommentsLength = 255;
constexpr size_t kDocumentFurtherTextLength = 80;

struct DocumentInfo {
  std::string title;
  std::string comments;  // lines joined by carriage returns
  std::string furtherText;
};

// The document information of the current worksheet (empty texts without one).
DocumentInfo CurrentDocumentInfo();

// The comment lines joined by carriage returns. A text that already holds line ends ("\r\n",
// "\n" or "\r") keeps one carriage return for each.
std::string JoinCommentLines(const std::vector<std::string>& lines);
// The lines of stored comments: split at "\r\n", "\r" and "\n".
std::vector<std::string> SplitCommentLines(std::string_view comments);

// Sets the title and the comments (line ends as JoinCommentLines makes them). A title longer than
// 80 characters or comments longer than 255 are cut at the limit. One undo group; the sheet is
// marked modified. kFailed without a current worksheet.
CommandResult SetDocumentInfo(std::string_view title, std::string_view comments);
// Sets one text: `which` 0 the title, 1 the comments, 2 the further text; kFailed for any other
// number or without a current worksheet.
CommandResult SetDocumentText(int which, std::string_view text);
