// ui/justify_dialog.cpp — the justify dialog.
#include "ui/justify_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/sheet_view.h"
#include "platform/platform.h"

JustifyDialog::JustifyDialog(QWidget* parent)
    : QDialog(parent),
      rangeField_(new QLineEdit(this)),
      widthField_(new QLineEdit(this)),
      padBox_(new QCheckBox(QStringLiteral("&Pad Using Spaces Between Words"), this)),
      centreBox_(new QCheckBox(QStringLiteral("Center Text Within Range"), this)) {
  setWindowTitle(QStringLiteral("Justify"));
  setObjectName(QStringLiteral("justifyDialog"));
  widthField_->setValidator(new QIntValidator(1, 1000000, widthField_));
  rangeField_->installEventFilter(this);
  auto* fields = new QFormLayout;
  auto* rangeLabel = new QLabel(QStringLiteral("&Justify Range: "), this);
  auto* widthLabel = new QLabel(QStringLiteral("&Width: "), this);
  rangeLabel->setBuddy(rangeField_);
  widthLabel->setBuddy(widthField_);
  fields->addRow(rangeLabel, rangeField_);
  fields->addRow(widthLabel, widthField_);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &JustifyDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(padBox_);
  layout->addWidget(centreBox_);
  layout->addWidget(buttons);
  setModal(true);
}

int JustifyDialog::ColumnsWidth(SlotIndex slot, const CellRange& range) {
  if (!RangeIsValid(range)) return 0;
  const CellRange r = OrderedRange(range);
  const SheetView view(slot);
  int width = 0;
  for (uint32_t column = r.firstColumn; column <= r.lastColumn && column < kColumnCount; ++column) {
    width += view.Layout().columnWidth[column];
  }
  return width;
}

void JustifyDialog::Open(SlotIndex slot, const CellRange& selection) {
  slot_ = slot;
  selection_ = selection;
  rangeField_->setText(RangeFieldText(slot, selection));
  widthField_->setText(QString::number(ColumnsWidth(slot, selection)));
  rangeField_->setFocus();
  open();
}

void JustifyDialog::Confirm() {
  Request r;
  if (!ReadRangeField(slot_, rangeField_, false, &r.range)) return;
  bool ok = false;
  r.width = widthField_->text().trimmed().toInt(&ok);
  if (!ok || r.width <= 0) {
    ThePlatform().Beep();
    widthField_->setFocus();
    widthField_->selectAll();
    return;
  }
  r.pad = padBox_->isChecked();
  r.centre = centreBox_->isChecked();
  request_ = r;
  accept();
}

bool JustifyDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rangeField_ && event->type() == QEvent::MouseButtonDblClick && pointer_) {
    CellRange start = selection_;
    ReadRangeText(slot_, rangeField_->text(), false, &start);
    hide();
    pointer_(
        QStringLiteral("Justify Range: Range"), start,
        [this](const CellRange& r) {
          rangeField_->setText(RangeFieldText(slot_, r));
          widthField_->setText(QString::number(ColumnsWidth(slot_, r)));
        },
        [this] { open(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
