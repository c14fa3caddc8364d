// ui/word_dialog.cpp — the Word dialog.
#include "ui/word_dialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "commands/justify.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/sheet_scope.h"
#include "ui/cp1252.h"
#include "ui/text_limit.h"

WordDialog::WordDialog(QWidget* parent) : QDialog(parent), textBox_(new QPlainTextEdit(this)) {
  setWindowTitle(QStringLiteral("Word"));
  setObjectName(QStringLiteral("wordDialog"));
  // Each line becomes one cell, but a long label reads as running text: lines wrap at the box's
  // width, and each holds at most a cell's 240 characters, the prefix a label gains included.
  textBox_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  HoldLineLength(textBox_, int(kMaxCellText), &WordDialog::StoredLength);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(textBox_);
  layout->addWidget(buttons);
  resize(480, 320);
  setModal(true);
}

int WordDialog::StoredLength(const QString& line) {
  if (line.isEmpty()) return 0;
  const std::string text = ToCp1252(line);
  const auto first = static_cast<unsigned char>(text[0]);
  const bool gainsPrefix = !IsLabelPrefix(first) && !IsValueStart(first);
  return int(text.size()) + (gainsPrefix ? 1 : 0);
}

void WordDialog::Open(SlotIndex slot, const CellRange& block) {
  block_ = block;
  QStringList lines;
  {
    SheetScope scope(slot);
    for (const std::string& line : WordLines(block)) lines << FromCp1252(line);
  }
  textBox_->setPlainText(lines.join('\n'));
  textBox_->setFocus();
  open();
}

std::vector<std::string> WordDialog::Lines() const {
  QString text = textBox_->toPlainText();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (text.endsWith('\n')) text.chop(1);
  std::vector<std::string> lines;
  for (const QString& line : text.split('\n')) lines.push_back(ToCp1252(line));
  return lines;
}
