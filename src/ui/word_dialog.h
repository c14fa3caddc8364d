// ui/word_dialog.h — WordDialog, the simple word processor ("Word").
//
// A multi-line text box holding the entry texts of the first column of the selected block, one
// line a cell, and "&Ok", "&Cancel". Lines wrap at the box's width, so that a long label is
// edited as running text, and each line stops taking input at 240 characters counting the label
// prefix that entry gives it. The main window enters the lines the dialog ends with into
// that column (commands/justify.h EnterWordLines).
// State: per dialog (the block it was opened on).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/worksheets.h"

class QPlainTextEdit;

class WordDialog : public QDialog {
  Q_OBJECT
 public:
  explicit WordDialog(QWidget* parent = nullptr);

  // Opens the dialog on the first column of `block` in worksheet `slot`.
  void Open(SlotIndex slot, const CellRange& block);
  // The block the dialog was opened on.
  const CellRange& block() const { return block_; }
  // The text box's lines as the engine's texts. A final line end starts no further line.
  std::vector<std::string> Lines() const;

  QPlainTextEdit* textBox() const { return textBox_; }

  // The length a line takes in its cell: a line that entry stores as a label without a prefix of
  // its own gains one.
  static int StoredLength(const QString& line);

 private:
  CellRange block_;
  QPlainTextEdit* textBox_;
};
