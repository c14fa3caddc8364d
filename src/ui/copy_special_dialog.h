// ui/copy_special_dialog.h — CopySpecialDialog, the Range menu's copy dialog (" Copy Cells").
//
// Two range fields ("&From: ", "&To: "), the "Type of Copy" choice ("&Value" first chosen,
// "T&ranspose", "&Invert", "For&mula", "&Scale") and a factor field that only Scale enables.
// Confirming reads both ranges in the worksheet the dialog was opened for: a field that does not
// read as a range beeps and keeps the dialog open with that field in focus; a factor that is no
// number says so and copies nothing. The main window runs the copy the dialog describes.
// State: per dialog (the worksheet it reads ranges in, the request it ended with).
#pragma once

#include <QDialog>

#include "commands/block_commands.h"
#include "core/worksheets.h"

class QButtonGroup;
class QLabel;
class QLineEdit;

class CopySpecialDialog : public QDialog {
  Q_OBJECT
 public:
  struct Request {
    CellRange source;
    CellRange destination;
    CopySpecialMode mode = CopySpecialMode::kValue;
    double factor = 1.0;
  };

  explicit CopySpecialDialog(QWidget* parent = nullptr);

  // Prepares the dialog for worksheet `slot`: both fields show `selection`, Value chosen, the
  // factor field disabled (its text kept from the last use), no problem shown.
  void Prepare(SlotIndex slot, const QString& selection);
  // The OK button: checks the fields and, when they read, accepts with the request set.
  void Confirm();
  const Request& request() const { return request_; }

  QLineEdit* fromField() const { return from_; }
  QLineEdit* toField() const { return to_; }
  QLineEdit* factorField() const { return factor_; }
  QButtonGroup* modeButtons() const { return modes_; }
  // The line that tells why the dialog did not close ("" when nothing is wrong).
  QString problem() const;

 private:
  bool ReadRange(QLineEdit* field, CellRange* out);

  SlotIndex slot_ = 0;
  Request request_;
  QLineEdit* from_;
  QLineEdit* to_;
  QLineEdit* factor_;
  QButtonGroup* modes_;
  QLabel* problem_;
};
