// ui/merge_dialog.cpp — the merge dialog.
#include "ui/merge_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/platform.h"
#include "ui/range_fields.h"

MergeDialog::MergeDialog(QWidget* parent)
    : QDialog(parent),
      cellField_(new QLineEdit(this)),
      all_(new QRadioButton(QStringLiteral("&All"), this)),
      range_(new QRadioButton(QStringLiteral("Ra&nge:"), this)),
      source_(new QComboBox(this)),
      actions_(new QButtonGroup(this)) {
  setObjectName(QStringLiteral("mergeDialog"));
  cellField_->setObjectName(QStringLiteral("mergeCell"));
  source_->setObjectName(QStringLiteral("mergeSource"));
  source_->setEditable(true);
  source_->setInsertPolicy(QComboBox::NoInsert);
  source_->setMinimumContentsLength(16);
  auto* fields = new QFormLayout;
  auto* cellLabel = new QLabel(QStringLiteral("&Insert at Cell: "), this);
  cellLabel->setBuddy(cellField_);
  fields->addRow(cellLabel, cellField_);

  auto* sourceGroup = new QGroupBox(QStringLiteral("Merge Source:"), this);
  auto* sourceLayout = new QVBoxLayout(sourceGroup);
  sourceLayout->addWidget(all_);
  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(range_);
  rangeRow->addWidget(source_, 1);
  sourceLayout->addLayout(rangeRow);
  // Choosing or typing a source picks Range.
  connect(source_, &QComboBox::activated, this, [this] { range_->setChecked(true); });
  connect(source_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (!text.isEmpty()) range_->setChecked(true);
  });

  auto* actionGroup = new QGroupBox(QStringLiteral("Action:"), this);
  auto* actionLayout = new QVBoxLayout(actionGroup);
  struct Choice {
    const char* caption;
    int action;
  };
  for (const Choice& c : {Choice{"&Replace", 1}, Choice{"&Sum", 2}, Choice{"&Difference", 3}}) {
    auto* button = new QRadioButton(QString::fromLatin1(c.caption), actionGroup);
    actions_->addButton(button, c.action);
    actionLayout->addWidget(button);
  }

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &MergeDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* groups = new QHBoxLayout;
  groups->addWidget(sourceGroup, 1);
  groups->addWidget(actionGroup);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(groups);
  layout->addWidget(buttons);
  setModal(true);
}

void MergeDialog::Open(SlotIndex slot, const QString& fileName, bool formulas,
                       const QStringList& rangeNames, const CellRange& cell) {
  slot_ = slot;
  request_ = Request{};
  request_.fileName = fileName;
  request_.formulas = formulas;
  setWindowTitle(formulas ? QStringLiteral("Merge by Formula") : QStringLiteral("Merge Value"));
  setToolTip(fileName);
  CellRange at = OrderedRange(cell);
  at.lastColumn = at.firstColumn;
  at.lastRow = at.firstRow;
  cellField_->setText(RangeFieldText(slot, at));
  source_->clear();
  source_->addItems(rangeNames);
  source_->setCurrentIndex(-1);
  source_->clearEditText();
  all_->setChecked(true);
  actions_->button(1)->setChecked(true);
  cellField_->setFocus();
  cellField_->selectAll();
  open();
}

void MergeDialog::Confirm() {
  Request r = request_;
  CellRange at;
  if (!ReadRangeField(slot_, cellField_, false, &at)) return;
  at = OrderedRange(at);
  r.row = at.firstRow;
  r.column = at.firstColumn;
  r.source.clear();
  if (range_->isChecked()) {
    r.source = source_->currentText().trimmed();
    if (r.source.isEmpty()) {
      ThePlatform().Beep();
      source_->setFocus();
      return;
    }
  }
  r.action = uint16_t(actions_->checkedId());
  request_ = r;
  accept();
}
