// ui/password_dialog.h — PasswordDialog, the password dialog that guards a worksheet's cell
// protection.
//
// Mode 0 checks the typed password against the current sheet's stored one; mode 1 asks for a new
// password twice and stores it. Captions: "Password Protection", on a wrong password "Invalid
// Password! Try Again.", on two different texts "Password NOT the Same".
// State: per dialog (mode, whether the confirm field is shown). Writes the current sheet's
// password (core/password.h) in mode 1.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

class PasswordDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PasswordDialog(QWidget* parent = nullptr);

  // Shows the dialog modally in `mode` (0 check, 1 set). Gives 1 when it ended with OK (in mode
  // 1 the password is then stored), otherwise 0.
  int AskPassword(int mode);

  // Prepares the dialog for `mode` as showing it does: both fields empty, only the first one
  // visible, the standard caption. AskPassword calls it; tests drive the dialog with it.
  void Prepare(int mode);
  // The OK button (and Enter in a field).
  void Confirm();

  QLineEdit* passwordField() const { return first_; }
  QLineEdit* confirmField() const { return second_; }

 private:
  int mode_ = 0;
  QLabel* secondLabel_;
  QLineEdit* first_;
  QLineEdit* second_;
};

// The program's password dialog (created on first use, reused).
PasswordDialog& ThePasswordDialog();
