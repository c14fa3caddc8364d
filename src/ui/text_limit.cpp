// ui/text_limit.cpp — length limits of multi-line text boxes.
#include "ui/text_limit.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/platform.h"

namespace {

// Removes `count` characters (at most those inserted) that end at `end` and do not start before
// `insertedFrom`.
void RemoveInserted(QTextDocument* document, int insertedFrom, int end, int count) {
  const int from = std::max(insertedFrom, end - count);
  if (from >= end) return;
  QTextCursor cursor(document);
  cursor.setPosition(from);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}

}  // namespace

void HoldTextLength(QPlainTextEdit* box, int limit) {
  QTextDocument* document = box->document();
  QObject::connect(document, &QTextDocument::contentsChange, box,
                   [document, limit](int position, int, int added) {
                     if (added <= 0) return;
                     // characterCount() includes the closing paragraph separator.
                     const int excess = document->characterCount() - 1 - limit;
                     if (excess <= 0) return;
                     const int end = std::min(position + added, document->characterCount() - 1);
                     RemoveInserted(document, position, end, excess);
                     ThePlatform().Beep();
                   });
}

void HoldLineLength(QPlainTextEdit* box, int limit,
                    std::function<int(const QString& line)> storedLength) {
  QTextDocument* document = box->document();
  QObject::connect(
      document, &QTextDocument::contentsChange, box,
      [document, limit, storedLength = std::move(storedLength)](int position, int, int added) {
        if (added <= 0) return;
        int insertedEnd = std::min(position + added, document->characterCount() - 1);
        bool cut = false;
        QTextBlock block = document->findBlock(position);
        while (block.isValid() && block.position() <= insertedEnd) {
          const int excess = storedLength(block.text()) - limit;
          const int blockEnd = block.position() + block.length() - 1;  // before the separator
          if (excess > 0) {
            const int end = std::min(insertedEnd, blockEnd);
            const int removed = std::min(excess, end - std::max(position, block.position()));
            if (removed > 0) {
              RemoveInserted(document, std::max(position, block.position()), end, removed);
              insertedEnd -= removed;
              cut = true;
            }
            block = document->findBlock(std::min(end - removed, document->characterCount() - 1));
          }
          block = block.next();
        }
        if (cut) ThePlatform().Beep();
      });
}
