// ui/matrix_dialog.cpp — the Array menu's dialog: its pages and the operation each runs.
#include "ui/matrix_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "analysis/matrix.h"
#include "platform/platform.h"

namespace {

bool HasSecond(int page) { return page <= MatrixDialog::kMultiply; }

}  // namespace

MatrixDialog::MatrixDialog(QWidget* parent) : QDialog(parent), pages_(new QTabWidget(this)) {
  setWindowTitle(QStringLiteral("Array"));
  setObjectName(QStringLiteral("matrixDialog"));
  const char* const kTitles[kPageCount] = {"Add",    "Subtract", "Multiply",    "Transpose",
                                           "Invert", "E-Solve",  "Determinant", "Linear"};
  for (int page = 0; page < kPageCount; ++page) {
    auto* widget = new QWidget(pages_);
    auto* form = new QFormLayout(widget);
    const bool two = HasSecond(page);
    const char* const kCaptions[3] = {two ? "&First: " : "&Input: ", "&Second: ", "O&utput: "};
    for (int i = 0; i < 3; ++i) {
      if (i == 1 && !two) continue;
      auto* edit = new QLineEdit(widget);
      edit->setObjectName(QStringLiteral("arrayPage%1Field%2").arg(page).arg(i));
      edit->installEventFilter(this);
      auto* label = new QLabel(QString::fromLatin1(kCaptions[i]), widget);
      label->setBuddy(edit);
      form->addRow(label, edit);
      fields_[page][i] = edit;
    }
    pages_->addTab(widget, QString::fromLatin1(kTitles[page]));
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &MatrixDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  // Wide enough to show every page's tab.
  pages_->setMinimumWidth(pages_->tabBar()->sizeHint().width() + 8);
  layout->addWidget(buttons);
  setModal(true);
}

QLineEdit* MatrixDialog::field(int page, int index) const {
  if (page < 0 || page >= kPageCount || index < 0 || index > 2) return nullptr;
  if (!HasSecond(page) && index == 1) index = 2;
  return fields_[page][index];
}

void MatrixDialog::Open(SlotIndex slot, int page, const CellRange& selection) {
  slot_ = slot;
  selection_ = selection;
  pages_->setCurrentIndex(page >= 0 && page < kPageCount ? page : 0);
  QLineEdit* first = fields_[pages_->currentIndex()][0];
  first->setText(RangeFieldText(slot, selection));
  first->setFocus();
  open();
}

bool MatrixDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (event->type() != QEvent::MouseButtonDblClick || !edit) {
    return QDialog::eventFilter(watched, event);
  }
  if (!pointer_) {
    ThePlatform().Beep();
    return true;
  }
  // The prompt's caption is the field's caption without its accelerator and padding.
  const int page = pages_->currentIndex();
  const char* const kCaptions[3] = {HasSecond(page) ? "First:" : "Input:", "Second:", "Output:"};
  QString caption;
  for (int i = 0; i < 3; ++i) {
    if (fields_[page][i] == edit) caption = QString::fromLatin1(kCaptions[i]);
  }
  if (caption.isEmpty()) return QDialog::eventFilter(watched, event);
  CellRange start = selection_;
  ReadRangeText(slot_, edit->text(), false, &start);
  hide();
  pointer_(
      caption + QStringLiteral(" Range"), start,
      [this, edit](const CellRange& r) { edit->setText(RangeFieldText(slot_, r)); },
      [this, edit] {
        open();
        edit->setFocus();
      });
  return true;
}

void MatrixDialog::Confirm() {
  Request r;
  r.page = pages_->currentIndex();
  CellRange output;
  if (!ReadRangeField(slot_, fields_[r.page][0], false, &r.first)) return;
  if (HasSecond(r.page) && !ReadRangeField(slot_, fields_[r.page][1], false, &r.second)) return;
  if (!ReadRangeField(slot_, fields_[r.page][2], false, &output)) return;
  output = OrderedRange(output);
  r.output = CellAddress{output.firstColumn, output.firstRow};
  request_ = r;
  accept();
}

CommandResult RunMatrixRequest(const MatrixDialog::Request& r) {
  switch (r.page) {
    case MatrixDialog::kAdd: return MatrixAddSubtract(r.first, r.second, r.output, false);
    case MatrixDialog::kSubtract: return MatrixAddSubtract(r.first, r.second, r.output, true);
    case MatrixDialog::kMultiply: return MatrixMultiply(r.first, r.second, r.output);
    case MatrixDialog::kTranspose: return MatrixTranspose(r.first, r.output);
    case MatrixDialog::kInvert: return MatrixInvert(r.first, r.output);
    case MatrixDialog::kSolve: return MatrixSolve(r.first, r.output);
    case MatrixDialog::kDeterminant: return MatrixDeterminant(r.first, r.output);
    default: return LinearProgram(r.first, r.output);
  }
}
