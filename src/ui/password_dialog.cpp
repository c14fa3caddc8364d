// ui/password_dialog.cpp — the password dialog: check or set the current sheet's password.
#include "ui/password_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/password.h"
#include "platform/platform.h"
#include "ui/cp1252.h"

namespace {
const char kCaption[] = "Password Protection";
}

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kCaption);
  auto* grid = new QGridLayout(this);
  first_ = new QLineEdit(this);
  second_ = new QLineEdit(this);
  for (QLineEdit* e : {first_, second_}) {
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(int(kMaxPasswordLength));
    e->setMinimumWidth(220);
  }
  auto* firstLabel = new QLabel(QStringLiteral("&Enter Password:"), this);
  firstLabel->setBuddy(first_);
  secondLabel_ = new QLabel(QStringLiteral("&Confirm Password:"), this);
  secondLabel_->setBuddy(second_);
  grid->addWidget(firstLabel, 0, 0);
  grid->addWidget(first_, 0, 1);
  grid->addWidget(secondLabel_, 1, 0);
  grid->addWidget(second_, 1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  grid->addWidget(buttons, 2, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  // OK must not close the dialog by itself: a wrong or unconfirmed password keeps it open.
  connect(buttons, &QDialogButtonBox::accepted, this, &PasswordDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PasswordDialog::Prepare(int mode) {
  mode_ = mode;
  setWindowTitle(kCaption);
  first_->clear();
  second_->clear();
  secondLabel_->hide();
  second_->hide();
  first_->setFocus();
}

void PasswordDialog::Confirm() {
  if (mode_ == 0) {
    if (CheckPassword(ToCp1252(first_->text()))) {
      accept();
      return;
    }
    setWindowTitle(QStringLiteral("Invalid Password! Try Again."));
    first_->clear();
    first_->setFocus();
    ThePlatform().Beep();
    return;
  }
  if (second_->isHidden()) {
    // First OK of a new password: ask for it once more.
    secondLabel_->show();
    second_->show();
    second_->clear();
    second_->setFocus();
    return;
  }
  if (first_->text() != second_->text()) {
    setWindowTitle(QStringLiteral("Password NOT the Same"));
    ThePlatform().Beep();
    return;
  }
  SetPassword(ToCp1252(first_->text()));
  accept();
}

int PasswordDialog::AskPassword(int mode) {
  Prepare(mode);
  return exec() == QDialog::Accepted ? 1 : 0;
}

PasswordDialog& ThePasswordDialog() {
  static PasswordDialog* dialog = new PasswordDialog;
  return *dialog;
}
