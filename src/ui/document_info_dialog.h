// ui/document_info_dialog.h — DocumentInfoDialog, the File menu's " Document Info".
//
// "&Title:" (at most 80 characters) and "Co&mments:" (several lines, at most 255 characters with
// each line break counted; the box stops input at the limit), and the read-only "Revised By:"
// (the login name), "Created:" (the date of the worksheet's file, or that it has none yet) and
// "Version:" (TALLIVO's version). "&Ok" keeps the texts for the main window to store
// (commands/document_info.h SetDocumentInfo); "&Cancel" leaves the sheet alone.
// State: per dialog (the texts it ended with).
#pragma once

#include <QDialog>
#include <string>

#include "core/worksheets.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

class DocumentInfoDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DocumentInfoDialog(QWidget* parent = nullptr);

  // Opens the dialog on the document information of worksheet `slot`.
  void Open(SlotIndex slot);

  // The texts the dialog ended with, as engine text: the title, and the comment lines joined by
  // carriage returns.
  std::string Title() const;
  std::string Comments() const;

  QLineEdit* titleField() const { return titleField_; }
  QPlainTextEdit* commentsBox() const { return commentsBox_; }
  QLabel* revisedByLabel() const { return revisedBy_; }
  QLabel* createdLabel() const { return created_; }
  QLabel* versionLabel() const { return version_; }

 private:
  QLineEdit* titleField_;
  QPlainTextEdit* commentsBox_;
  QLabel* revisedBy_;
  QLabel* created_;
  QLabel* version_;
};
