// ui/range_prompt.cpp — the range prompt (see the header).
#include "ui/range_prompt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "platform/platform.h"
#include "ui/cp1252.h"

RangePrompt::RangePrompt(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setStyleSheet(QStringLiteral(
      "RangePrompt { background: navy; }"
      "QLabel { color: white; font-weight: bold; background: navy; padding: 0 4px; }"
      "QComboBox { color: white; font-weight: bold; background: navy; border: 1px solid white; }"
      "QComboBox QAbstractItemView { color: black; background: white; }"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  caption_ = new QLabel(this);
  box_ = new QComboBox(this);
  box_->setEditable(true);
  box_->setInsertPolicy(QComboBox::NoInsert);
  box_->setMinimumWidth(160);
  // The combo box hands its keys to its line edit directly, so both are watched.
  box_->installEventFilter(this);
  box_->lineEdit()->installEventFilter(this);
  row->addWidget(caption_);
  row->addWidget(box_, 1);
  hide();
}

void RangePrompt::Open(const QString& caption, const CellRange& current, Action action,
                   const QStringList& names) {
  action_ = std::move(action);
  caption_->setText(caption + " ");
  box_->clear();
  box_->addItems(names);
  setText(FromCp1252(RangeText(current)));
  typed_ = false;
  open_ = true;
  show();
}

QString RangePrompt::caption() const { return caption_->text().trimmed(); }
QString RangePrompt::text() const { return box_->currentText(); }
void RangePrompt::setText(const QString& text) { box_->setEditText(text); }

void RangePrompt::Follow(const CellRange& selection) {
  if (!open_) return;
  setText(FromCp1252(RangeText(selection)));
  typed_ = false;
}

void RangePrompt::Type(const QString& text) {
  if (!open_) return;
  setText(typed_ ? this->text() + text : text);
  typed_ = true;
  box_->lineEdit()->setFocus();
  box_->lineEdit()->end(false);
}

bool RangePrompt::Accept() {
  if (!open_) return false;
  if (text().trimmed().isEmpty()) {
    // An empty answer ends the command without effect.
    Cancel();
    return true;
  }
  ClearError();
  CellRange r = ParseRange(ToCp1252(text().trimmed()));
  if (ErrorRaised() || !RangeIsValid(r) ||
      !IsValidCell(r.lastRow, r.lastColumn)) {
    ClearError();
    ThePlatform().Beep();
    return false;
  }
  if (r.firstColumn > r.lastColumn) std::swap(r.firstColumn, r.lastColumn);
  if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
  Action action = std::move(action_);
  Cancel();
  if (action) action(r);
  return true;
}

void RangePrompt::Cancel() {
  if (!open_) return;
  open_ = false;
  action_ = nullptr;
  hide();
  emit closed();
}

bool RangePrompt::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == box_ || watched == box_->lineEdit()) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Accept();
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      Cancel();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
