// ui/copy_special_dialog.cpp — the copy dialog of the Range menu.
#include "ui/copy_special_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/address.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/cp1252.h"

CopySpecialDialog::CopySpecialDialog(QWidget* parent)
    : QDialog(parent),
      from_(new QLineEdit(this)),
      to_(new QLineEdit(this)),
      factor_(new QLineEdit(this)),
      modes_(new QButtonGroup(this)),
      problem_(new QLabel(this)) {
  setWindowTitle(QStringLiteral(" Copy Cells"));
  setObjectName(QStringLiteral("copySpecialDialog"));
  auto* fields = new QFormLayout;
  auto* fromLabel = new QLabel(QStringLiteral("&From: "), this);
  auto* toLabel = new QLabel(QStringLiteral("&To: "), this);
  fromLabel->setBuddy(from_);
  toLabel->setBuddy(to_);
  fields->addRow(fromLabel, from_);
  fields->addRow(toLabel, to_);

  auto* group = new QGroupBox(QStringLiteral("Type of Copy"), this);
  auto* choices = new QVBoxLayout(group);
  struct Choice {
    const char* caption;
    CopySpecialMode mode;
  };
  const Choice kChoices[] = {
      {"&Value", CopySpecialMode::kValue},     {"T&ranspose", CopySpecialMode::kTranspose},
      {"&Invert", CopySpecialMode::kInvert},   {"For&mula", CopySpecialMode::kFormula},
      {"&Scale", CopySpecialMode::kScale},
  };
  for (const Choice& c : kChoices) {
    auto* button = new QRadioButton(QString::fromLatin1(c.caption), group);
    modes_->addButton(button, int(c.mode));
    choices->addWidget(button);
  }
  factor_->setObjectName(QStringLiteral("factorField"));
  factor_->setValidator(new QDoubleValidator(factor_));
  factor_->setText(QStringLiteral("2"));
  choices->addWidget(factor_);
  connect(modes_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (id == int(CopySpecialMode::kScale)) factor_->setEnabled(on);
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CopySpecialDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(group);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
  setModal(true);
}

void CopySpecialDialog::Prepare(SlotIndex slot, const QString& selection) {
  slot_ = slot;
  from_->setText(selection);
  to_->setText(selection);
  modes_->button(int(CopySpecialMode::kValue))->setChecked(true);
  factor_->setEnabled(false);
  problem_->clear();
  from_->setFocus();
}

QString CopySpecialDialog::problem() const { return problem_->text(); }

bool CopySpecialDialog::ReadRange(QLineEdit* field, CellRange* out) {
  const QString text = field->text().trimmed();
  SheetScope scope(slot_);
  ClearError();
  const CellRange r = ParseRange(ToCp1252(text));
  const bool ok = !text.isEmpty() && !ErrorRaised() && RangeIsValid(r) &&
                  IsValidCell(r.firstRow, r.firstColumn) && IsValidCell(r.lastRow, r.lastColumn);
  ClearError();
  if (!ok) {
    ThePlatform().Beep();
    field->setFocus();
    field->selectAll();
    return false;
  }
  *out = r;
  return true;
}

void CopySpecialDialog::Confirm() {
  problem_->clear();
  Request r;
  if (!ReadRange(from_, &r.source) || !ReadRange(to_, &r.destination)) return;
  r.mode = CopySpecialMode(modes_->checkedId());
  if (r.mode == CopySpecialMode::kScale) {
    bool ok = false;
    r.factor = QLocale().toDouble(factor_->text().trimmed(), &ok);
    if (!ok) r.factor = factor_->text().trimmed().toDouble(&ok);
    if (!ok) {
      ThePlatform().Beep();
      problem_->setText(QStringLiteral("The scale factor is not a number"));
      factor_->setFocus();
      return;
    }
  }
  request_ = r;
  accept();
}
