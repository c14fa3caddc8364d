// ui/transfer_dialog.h — TransferDialog, the dialog behind File > Import and File > Export
// ("Transfer").
//
// Once the file is chosen, the dialog asks where the data goes or comes from: an import asks
// for the target cell ("&Target: "), an export for the source range ("&Source: "); a dBase
// import also asks for all records ("&All") or a start record and a number of records
// ("&Start:", "S&top:"). The caption names the kind ("Import Values", "Export Quoted Text", ...).
// Double-clicking the target or source field points at it on the range prompt. "&Ok" reads the
// fields (a field that does not read beeps and keeps the dialog open with that field in focus);
// the main window runs the transfer the dialog ends with.
// State: per dialog (the worksheet it reads ranges in, the kind and file, the request).
#pragma once

#include <QDialog>
#include <QString>

#include "core/worksheets.h"
#include "files/transfer.h"
#include "ui/range_fields.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// What a transfer does; the order is the order of the kinds in the import and the export file
// dialogs.
enum class TransferKind : uint8_t {
  kImportText,       // each line one label
  kImportValues,     // each line split into values across the row
  kImportDbase,      // a dBase table
  kExportWorksheet,  // the range saved as a worksheet file
  kExportQuoted,     // quoted text
  kExportComma,      // comma-delimited text
  kExportDbase,      // the range as a dBase table
};

// Whether `kind` brings data into the sheet.
constexpr bool IsImport(TransferKind kind) { return kind <= TransferKind::kImportDbase; }

class TransferDialog : public QDialog {
  Q_OBJECT
 public:
  struct Request {
    TransferKind kind = TransferKind::kImportText;
    QString fileName;
    // Import: the target cell in its first row and column. Export: the source range.
    CellRange range;
    // dBase import: which records (start 0 and count 0 take them all).
    DbaseSelection records;
  };

  explicit TransferDialog(QWidget* parent = nullptr);

  // The caption of `kind`.
  static QString Caption(TransferKind kind);
  // Opens the dialog for worksheet `slot` to transfer `fileName` as `kind`: the target field
  // shows the selection's first cell, the source field the selection. The dBase fields keep
  // what they held last time.
  void Open(SlotIndex slot, TransferKind kind, const QString& fileName, const CellRange& selection);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  // "&Ok": reads the fields and, when they read, accepts with the request set.
  void Confirm();
  const Request& request() const { return request_; }

  QLineEdit* rangeField() const { return rangeField_; }
  QLabel* rangeLabel() const { return rangeLabel_; }
  QCheckBox* allRecordsBox() const { return allRecords_; }
  QLineEdit* startField() const { return startField_; }
  QLineEdit* stopField() const { return stopField_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Reads a record number field (empty is 0); beeps and focuses the field when it does not read.
  bool ReadRecordField(QLineEdit* field, uint32_t* out);
  void ShowRecordFields();

  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  Request request_;
  QLabel* rangeLabel_;
  QLineEdit* rangeField_;
  QWidget* recordsPanel_;
  QCheckBox* allRecords_;
  QLineEdit* startField_;
  QLineEdit* stopField_;
};
