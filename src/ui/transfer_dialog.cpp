// ui/transfer_dialog.cpp — the import and export dialog.
#include "ui/transfer_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/platform.h"

TransferDialog::TransferDialog(QWidget* parent)
    : QDialog(parent),
      rangeLabel_(new QLabel(this)),
      rangeField_(new QLineEdit(this)),
      recordsPanel_(new QWidget(this)),
      allRecords_(new QCheckBox(QStringLiteral("&All"), recordsPanel_)),
      startField_(new QLineEdit(recordsPanel_)),
      stopField_(new QLineEdit(recordsPanel_)) {
  setWindowTitle(QStringLiteral("Transfer"));
  setObjectName(QStringLiteral("transferDialog"));
  rangeField_->setObjectName(QStringLiteral("transferRange"));
  rangeField_->installEventFilter(this);
  rangeLabel_->setBuddy(rangeField_);
  auto* fields = new QFormLayout;
  fields->addRow(rangeLabel_, rangeField_);

  // The record numbers of a dBase import: all of them, or those after the start record, as many
  // as the stop field says.
  startField_->setObjectName(QStringLiteral("startRecord"));
  stopField_->setObjectName(QStringLiteral("recordCount"));
  for (QLineEdit* field : {startField_, stopField_}) {
    field->setValidator(new QIntValidator(0, 999999999, field));
    field->setText(QStringLiteral("0"));
  }
  stopField_->setToolTip(QStringLiteral("Number of records to import"));
  allRecords_->setChecked(true);
  auto* records = new QFormLayout(recordsPanel_);
  records->setContentsMargins(0, 0, 0, 0);
  records->addRow(allRecords_);
  auto* startLabel = new QLabel(QStringLiteral("&Start:"), recordsPanel_);
  auto* stopLabel = new QLabel(QStringLiteral("S&top:"), recordsPanel_);
  startLabel->setBuddy(startField_);
  stopLabel->setBuddy(stopField_);
  records->addRow(startLabel, startField_);
  records->addRow(stopLabel, stopField_);
  connect(allRecords_, &QCheckBox::toggled, this, &TransferDialog::ShowRecordFields);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &TransferDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(recordsPanel_);
  layout->addWidget(buttons);
  setModal(true);
}

QString TransferDialog::Caption(TransferKind kind) {
  switch (kind) {
    case TransferKind::kImportText: return QStringLiteral("Import Text");
    case TransferKind::kImportValues: return QStringLiteral("Import Values");
    case TransferKind::kImportDbase: return QStringLiteral("Import Dbase");
    case TransferKind::kExportWorksheet: return QStringLiteral("Export WKS");
    case TransferKind::kExportQuoted: return QStringLiteral("Export Quoted Text");
    case TransferKind::kExportComma: return QStringLiteral("Export Comma Delimited Text");
    case TransferKind::kExportDbase: break;
  }
  return QStringLiteral("Transfer");
}

void TransferDialog::Open(SlotIndex slot, TransferKind kind, const QString& fileName,
                          const CellRange& selection) {
  slot_ = slot;
  selection_ = OrderedRange(selection);
  request_ = Request{};
  request_.kind = kind;
  request_.fileName = fileName;
  setWindowTitle(Caption(kind));
  setToolTip(fileName);
  if (IsImport(kind)) {
    rangeLabel_->setText(QStringLiteral("&Target: "));
    CellRange cell = selection_;
    cell.lastColumn = cell.firstColumn;
    cell.lastRow = cell.firstRow;
    rangeField_->setText(RangeFieldText(slot, cell));
  } else {
    rangeLabel_->setText(QStringLiteral("&Source: "));
    rangeField_->setText(RangeFieldText(slot, selection_));
  }
  recordsPanel_->setVisible(kind == TransferKind::kImportDbase);
  ShowRecordFields();
  rangeField_->setFocus();
  rangeField_->selectAll();
  open();
}

void TransferDialog::ShowRecordFields() {
  startField_->setEnabled(!allRecords_->isChecked());
  stopField_->setEnabled(!allRecords_->isChecked());
}

bool TransferDialog::ReadRecordField(QLineEdit* field, uint32_t* out) {
  const QString text = field->text().trimmed();
  bool ok = true;
  const qlonglong value = text.isEmpty() ? 0 : text.toLongLong(&ok);
  if (!ok || value < 0 || value > 0xFFFFFFFFLL) {
    ThePlatform().Beep();
    field->setFocus();
    field->selectAll();
    return false;
  }
  *out = uint32_t(value);
  return true;
}

void TransferDialog::Confirm() {
  Request r = request_;
  if (!ReadRangeField(slot_, rangeField_, false, &r.range)) return;
  r.range = OrderedRange(r.range);
  if (IsImport(r.kind)) {
    r.range.lastColumn = r.range.firstColumn;
    r.range.lastRow = r.range.firstRow;
  }
  r.records = DbaseSelection{};
  if (r.kind == TransferKind::kImportDbase && !allRecords_->isChecked()) {
    if (!ReadRecordField(startField_, &r.records.start) ||
        !ReadRecordField(stopField_, &r.records.count)) {
      return;
    }
  }
  request_ = r;
  accept();
}

bool TransferDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rangeField_ && event->type() == QEvent::MouseButtonDblClick && pointer_) {
    QString caption = QStringLiteral("EXTRACT: Specify Source");
    if (request_.kind == TransferKind::kImportDbase) {
      caption = QStringLiteral("IMPORT DBASE: Specify Target");
    } else if (IsImport(request_.kind)) {
      caption = QStringLiteral("IMPORT: Specify Target");
    }
    CellRange start = selection_;
    ReadRangeText(slot_, rangeField_->text(), false, &start);
    hide();
    pointer_(
        caption, start,
        [this](const CellRange& r) {
          CellRange chosen = OrderedRange(r);
          if (IsImport(request_.kind)) {
            chosen.lastColumn = chosen.firstColumn;
            chosen.lastRow = chosen.firstRow;
          }
          rangeField_->setText(RangeFieldText(slot_, chosen));
        },
        [this] { open(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
