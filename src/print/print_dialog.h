// print/print_dialog.h — the print dialog, its options page, the preview, and desktop printing.
//
// The dialog chooses a printer (the installed ones, "- Default -", or a PDF file), what to print
// (the used area, a range stored as the print range, a named graph) and "Show Grid"; its options
// page edits the worksheet's print settings as one undoable change; "Print to File" writes the
// range as text. Print jobs of macros go to the default printer (a PDF file the user names when
// the machine has none). Reads and writes: the current worksheet's options through the print
// commands (commands/print_commands.h).
#pragma once

#include <QDialog>
#include <QPageSize>
#include <QString>
#include <memory>

#include "commands/print_commands.h"
#include "core/address.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPrintPreviewWidget;
class QRadioButton;
class QSpinBox;

// The printer choice of the dialog's combo that means "a PDF file".
extern const char kPdfPrinterChoice[];
// The caption of the system's default printer in the combo.
extern const char kDefaultPrinterChoice[];

// A printer for `choice` (a printer name, kDefaultPrinterChoice or kPdfPrinterChoice). A PDF
// file, and any choice on a machine without printers, goes to `pdfFile`, or to a file the user
// names when it is empty. PDF pages have no margins of their own. Null when cancelled.
std::unique_ptr<QPrinter> MakePrinter(const QString& choice, QWidget* parent,
                                      const QString& pdfFile = QString());
// The system's print dialog, or a PDF file named by the user when there is no printer; null when
// cancelled. (The audit dialog prints through it.)
std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const QString& title);
// Prints `job` on `printer` in the sheet's orientation: the pages of the range ("Margins Too
// Large" when the margins leave no room) or the named graph followed by the beep.
bool PrintJobOn(QPrinter& printer, const PrintJob& job);
// Makes macro print jobs go to the default printer (or a PDF file the user names).
void InstallDesktopPrinter(QWidget* parent);

class PrintOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PrintOptionsDialog(QWidget* parent = nullptr);
  // Fills the fields from the current worksheet's options.
  void load();
  // Stores every field as one undoable change; false (focus on the field) when one is invalid.
  bool store();

 private:
  QLineEdit* header_;
  QLineEdit* footer_;
  QCheckBox* headerRule_;
  QCheckBox* footerRule_;
  QLineEdit* margins_[4];
  QComboBox* scale_;
  QCheckBox* frame_;
  QCheckBox* mono_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
  QLineEdit* borderRows_;
  QLineEdit* borderColumns_;
};

class PrintPreviewDialog : public QDialog {
  Q_OBJECT
 public:
  // The pages of `range` as `printerChoice` (empty: the default printer) prints them on
  // `pageSize` (invalid: the printer's own).
  PrintPreviewDialog(const CellRange& range, bool showGrid, QWidget* parent = nullptr,
                     const QString& printerChoice = QString(), const QPageSize& pageSize = QPageSize());
  ~PrintPreviewDialog() override;
  int pageCount() const;
  int currentPage() const;
  void showPage(int page);
  // "Fit": the largest text scale that puts the range on one page.
  void fit();
  void setTextScale(int percent);
  QPrintPreviewWidget* view() const { return view_; }

 private:
  void paintPages(QPrinter* printer);
  void updatePageField();

  CellRange range_;
  bool showGrid_;
  std::unique_ptr<QPrinter> printer_;
  QPrintPreviewWidget* view_;
  QSpinBox* page_;
  QLabel* pageCount_;
  QSpinBox* textScale_;
};

class PrintDialog : public QDialog {
  Q_OBJECT
 public:
  // `selection`: the range the "Selected Range" field starts with when no print range is stored.
  PrintDialog(const CellRange& selection, QWidget* parent = nullptr);
  ~PrintDialog() override;

  // The job the dialog describes; false (after a beep) when the range field does not read.
  bool job(PrintJob* out);
  // "&Print" on `pdfFile` instead of asking (tests); empty: as the printer combo says.
  bool print(const QString& pdfFile = QString());
  bool printToFile(const QString& fileName);
  void showOptions();
  void showPreview();

 private:
  QComboBox* printer_;
  QRadioButton* all_;
  QRadioButton* selected_;
  QRadioButton* graph_;
  QLineEdit* range_;
  QComboBox* graphs_;
  QCheckBox* showGrid_;
  PrintOptionsDialog* options_;
  std::unique_ptr<QPrinter> setup_;  // the page size "S&etup..." chose
};
