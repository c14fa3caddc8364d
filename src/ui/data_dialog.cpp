// ui/data_dialog.cpp — the Data dialog's Fill and Sort pages.
#include "ui/data_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/global_options.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"

DataDialog::DataDialog(QWidget* parent) : QDialog(parent), pages_(new QTabWidget(this)) {
  setWindowTitle(QStringLiteral("Data"));
  setObjectName(QStringLiteral("dataDialog"));
  pages_->addTab(BuildFillPage(), QStringLiteral("Fill"));
  pages_->addTab(BuildSortPage(), QStringLiteral("Sort"));

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &DataDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
  setModal(true);
}

QWidget* DataDialog::BuildSortPage() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  const char* const kCaptions[] = {"&1:  ", "&2:  ", "&3:  ", "&4:  "};
  dataField_ = new QLineEdit(page);
  dataField_->setObjectName(QStringLiteral("sortDataField"));
  auto* dataLabel = new QLabel(QStringLiteral("&Data:  "), page);
  dataLabel->setBuddy(dataField_);
  grid->addWidget(dataLabel, 0, 0);
  grid->addWidget(dataField_, 0, 1);
  dataField_->installEventFilter(this);
  for (int k = 0; k < 4; ++k) {
    auto* field = new QLineEdit(page);
    field->setObjectName(QStringLiteral("sortKeyField%1").arg(k + 1));
    auto* label = new QLabel(QString::fromLatin1(kCaptions[k]), page);
    label->setBuddy(field);
    auto* box = new QCheckBox(QStringLiteral("A"), page);
    box->setChecked(true);
    grid->addWidget(label, k + 1, 0);
    grid->addWidget(field, k + 1, 1);
    grid->addWidget(box, k + 1, 2);
    field->installEventFilter(this);
    keyFields_[size_t(k)] = field;
    ascendingBoxes_[size_t(k)] = box;
  }
  auto* reset = new QPushButton(QStringLiteral("&Reset"), page);
  connect(reset, &QPushButton::clicked, this, &DataDialog::Reset);
  grid->addWidget(reset, 5, 1, Qt::AlignLeft);
  return page;
}

QWidget* DataDialog::BuildFillPage() {
  auto* page = new QWidget(this);
  auto* fields = new QFormLayout;
  outputField_ = new QLineEdit(page);
  outputField_->setObjectName(QStringLiteral("fillOutputField"));
  outputField_->installEventFilter(this);
  startField_ = new QLineEdit(QStringLiteral("0"), page);
  stepField_ = new QLineEdit(QStringLiteral("1"), page);
  const std::pair<const char*, QLineEdit*> kFields[] = {
      {"O&utput Cells: ", outputField_}, {"&Start: ", startField_}, {"S&tep: ", stepField_}};
  for (const auto& [caption, field] : kFields) {
    auto* label = new QLabel(QString::fromLatin1(caption), page);
    label->setBuddy(field);
    fields->addRow(label, field);
  }

  auto* typeGroup = new QGroupBox(page);
  auto* typeLayout = new QVBoxLayout(typeGroup);
  typeButtons_ = new QButtonGroup(this);
  const std::pair<const char*, FillType> kTypes[] = {
      {"&Linear", FillType::kLinear}, {"&Multiply", FillType::kMultiply}, {"&Power", FillType::kPower}};
  for (const auto& [caption, type] : kTypes) {
    auto* b = new QRadioButton(QString::fromLatin1(caption), typeGroup);
    typeButtons_->addButton(b, int(type));
    typeLayout->addWidget(b);
  }
  typeButtons_->button(int(FillType::kLinear))->setChecked(true);

  auto* orderGroup = new QGroupBox(page);
  auto* orderLayout = new QVBoxLayout(orderGroup);
  orderButtons_ = new QButtonGroup(this);
  auto* byRows = new QRadioButton(QStringLiteral("&Row"), orderGroup);
  auto* byColumns = new QRadioButton(QStringLiteral("Colum&n"), orderGroup);
  orderButtons_->addButton(byRows, 1);
  orderButtons_->addButton(byColumns, 0);
  orderLayout->addWidget(byRows);
  orderLayout->addWidget(byColumns);
  byRows->setChecked(true);

  auto* choices = new QHBoxLayout;
  choices->addWidget(typeGroup);
  choices->addWidget(orderGroup);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(fields);
  layout->addLayout(choices);
  return page;
}

void DataDialog::Open(SlotIndex slot, int tag, const CellRange& selection) {
  slot_ = slot;
  selection_ = selection;
  {
    SheetScope scope(slot);
    const GlobalOptions& o = Options();
    const CellRange data = o.range(GlobalOptions::kSortRange);
    dataField_->setText(RangeFieldText(slot, RangeIsValid(data) ? data : selection));
    for (int k = 0; k < 4; ++k) {
      keyFields_[size_t(k)]->setText(RangeFieldText(slot, o.range(GlobalOptions::kSortKey1 + k)));
    }
  }
  outputField_->setText(RangeFieldText(slot, selection));
  pages_->setCurrentIndex(tag == kSortPage ? kSortPage : kFillPage);
  (tag == kSortPage ? dataField_ : outputField_)->setFocus();
  open();
}

void DataDialog::Reset() {
  dataField_->clear();
  for (QLineEdit* field : keyFields_) field->clear();
}

bool DataDialog::ReadNumber(QLineEdit* field, double* out) {
  const QString text = field->text().trimmed();
  bool ok = false;
  double value = QLocale().toDouble(text, &ok);
  if (!ok) value = text.toDouble(&ok);
  if (!ok) {
    ThePlatform().Beep();
    field->setFocus();
    field->selectAll();
    return false;
  }
  *out = value;
  return true;
}

void DataDialog::Confirm() {
  Request r;
  r.page = pages_->currentIndex();
  if (r.page == kSortPage) {
    if (!ReadRangeField(slot_, dataField_, true, &r.data)) return;
    for (int k = 0; k < 4; ++k) {
      if (!ReadRangeField(slot_, keyFields_[size_t(k)], true, &r.keys[size_t(k)])) return;
      r.ascending[size_t(k)] = ascendingBoxes_[size_t(k)]->isChecked();
    }
  } else {
    if (!ReadRangeField(slot_, outputField_, false, &r.output)) return;
    if (!ReadNumber(startField_, &r.start) || !ReadNumber(stepField_, &r.step)) return;
    r.type = FillType(typeButtons_->checkedId());
    r.rowOrder = orderButtons_->checkedId() == 1;
  }
  request_ = r;
  accept();
}

void DataDialog::PointAt(QLineEdit* field, const QString& caption) {
  if (!pointer_) {
    ThePlatform().Beep();
    return;
  }
  CellRange start = selection_;
  ReadRangeText(slot_, field->text(), false, &start);
  hide();
  pointer_(
      caption + QStringLiteral(" Range"), start,
      [this, field](const CellRange& r) { field->setText(RangeFieldText(slot_, r)); },
      [this, field] {
        open();
        field->setFocus();
      });
}

bool DataDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    // The prompt's title is the field's caption without its accelerator and padding.
    auto caption = [](const char* text) { return QString::fromLatin1(text).remove('&').trimmed(); };
    if (watched == dataField_) {
      PointAt(dataField_, caption("&Data:  "));
      return true;
    }
    for (int k = 0; k < 4; ++k) {
      if (watched == keyFields_[size_t(k)]) {
        PointAt(keyFields_[size_t(k)], QString::number(k + 1) + ':');
        return true;
      }
    }
    if (watched == outputField_) {
      PointAt(outputField_, caption("O&utput Cells: "));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
