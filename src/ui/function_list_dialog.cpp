// ui/function_list_dialog.cpp — the function list window.
#include "ui/function_list_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "formula/function_library.h"
#include "ui/cp1252.h"

namespace {
// The first 151 names of the macro vocabulary, once the macro layer provides them.
QStringList& MacroNames() {
  static QStringList names;
  return names;
}
constexpr int kMacroNamesShown = 151;
}  // namespace

FunctionListDialog::FunctionListDialog(QWidget* parent) : QDialog(parent, Qt::Tool) {
  setWindowTitle(QStringLiteral("Function List"));
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(4, 4, 4, 4);
  edit_ = new QLineEdit(this);
  list_ = new QListWidget(this);
  box->addWidget(edit_);
  box->addWidget(list_);
  resize(220, 300);
  connect(edit_, &QLineEdit::textEdited, this, &FunctionListDialog::follow);
  connect(edit_, &QLineEdit::returnPressed, this, &FunctionListDialog::choose);
  connect(list_, &QListWidget::itemActivated, this, [this] { choose(); });
}

void FunctionListDialog::SetMacroNames(const QStringList& names) {
  MacroNames() = names.mid(0, kMacroNamesShown);
}

bool FunctionListDialog::MacroNamesInstalled() { return !MacroNames().isEmpty(); }

bool FunctionListDialog::Open(Mode mode) {
  mode_ = mode;
  list_->clear();
  if (mode == Mode::kFunctions) {
    for (const std::string& item : FunctionListItems()) list_->addItem(FromCp1252(item));
  } else {
    list_->addItems(MacroNames());
  }
  if (list_->count() == 0) return false;
  setWindowTitle(mode == Mode::kFunctions ? QStringLiteral("Function List")
                                          : QStringLiteral("Macro Commands"));
  edit_->clear();
  list_->setCurrentRow(0);
  show();
  raise();
  activateWindow();
  edit_->setFocus();
  return true;
}

QStringList FunctionListDialog::items() const {
  QStringList out;
  for (int i = 0; i < list_->count(); ++i) out << list_->item(i)->text();
  return out;
}

QString FunctionListDialog::InsertText(const QString& item) {
  const int paren = item.indexOf('(');
  return paren < 0 ? item : item.left(paren + 1);
}

void FunctionListDialog::follow(const QString& text) {
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->text().startsWith(text, Qt::CaseInsensitive)) {
      list_->setCurrentRow(i);
      return;
    }
  }
}

void FunctionListDialog::choose() {
  QListWidgetItem* item = list_->currentItem();
  // The separator line between the built-in and the external functions is no function.
  if (!item || item->text().startsWith(QLatin1String("--"))) return;
  const QString text = InsertText(item->text());
  hide();
  emit chosen(text);
}

void FunctionListDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      hide();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // The list moves while the edit box keeps the focus.
      QApplication::sendEvent(list_, event);
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
