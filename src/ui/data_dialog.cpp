// ui/data_dialog.cpp — the Data dialog: its pages, what they show on opening, how Ok reads them,
// and the data tools its requests run.
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
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/data_tools.h"
#include "analysis/regression.h"
#include "core/global_options.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"

DataDialog::DataDialog(QWidget* parent) : QDialog(parent), pages_(new QTabWidget(this)) {
  setWindowTitle(QStringLiteral("Data"));
  setObjectName(QStringLiteral("dataDialog"));
  pages_->addTab(BuildFillPage(), QStringLiteral("Fill"));
  pages_->addTab(BuildSortPage(), QStringLiteral("Sort"));
  pages_->addTab(BuildRangePage(kQueryPage, {"&Input:  ", "Cri&teria: ", "O&utput: "}),
                 QStringLiteral("Query"));
  pages_->addTab(BuildRangePage(kBinPage, {"&Input Data: ", "O&utput Table: "}),
                 QStringLiteral("Bin"));
  pages_->addTab(BuildRangePage(kParsePage, {"&Input Range: "}), QStringLiteral("Parse"));
  pages_->addTab(BuildRangePage(kGoalSeekPage, {"&Input Cell:  ", "O&utput Cell: "}),
                 QStringLiteral("GoalSeek"));
  pages_->addTab(BuildRangePage(kRegressPage, {"&Independant:  ", "&Dependant:  ", "O&utput:  "}),
                 QStringLiteral("Regress"));
  pages_->addTab(BuildRangePage(kMultiRegressPage, {"&X data: ", "&Y data: ", "O&utput: "}),
                 QStringLiteral("MultiRegress"));
  pages_->addTab(BuildRangePage(kTablePage, {"&1) Input:  ", "&2) Input:  ", " Table O&utput: "}),
                 QStringLiteral("Table"));
  pages_->addTab(BuildRangePage(kFormPage, {"&Form: "}), QStringLiteral("Form"));

  // Query: "&Find" runs the query as Ok does, "&Reset" empties the three fields.
  {
    auto* row = new QHBoxLayout;
    auto* find = new QPushButton(QStringLiteral("&Find"));
    auto* reset = new QPushButton(QStringLiteral("&Reset"));
    find->setObjectName(QStringLiteral("queryFind"));
    reset->setObjectName(QStringLiteral("queryReset"));
    connect(find, &QPushButton::clicked, this, &DataDialog::Confirm);
    connect(reset, &QPushButton::clicked, this, &DataDialog::ResetQuery);
    row->addWidget(find);
    row->addWidget(reset);
    row->addStretch();
    static_cast<QVBoxLayout*>(pages_->widget(kQueryPage)->layout())->addLayout(row);
  }
  // Bin: the type of the bins.
  {
    QWidget* page = pages_->widget(kBinPage);
    auto* group = new QGroupBox(page);
    auto* types = new QVBoxLayout(group);
    binTypeButtons_ = new QButtonGroup(this);
    auto* lower = new QRadioButton(QStringLiteral("a<= x <b"), group);
    auto* upper = new QRadioButton(QStringLiteral("a< x <= b"), group);
    binTypeButtons_->addButton(lower, 1);
    binTypeButtons_->addButton(upper, 0);
    types->addWidget(lower);
    types->addWidget(upper);
    upper->setChecked(true);
    static_cast<QVBoxLayout*>(page->layout())->addWidget(group);
  }
  // GoalSeek: the desired value and the tolerance.
  {
    QWidget* page = pages_->widget(kGoalSeekPage);
    auto* form = static_cast<QFormLayout*>(
        static_cast<QVBoxLayout*>(page->layout())->itemAt(0)->layout());
    desiredField_ = new QLineEdit(QStringLiteral("0"), page);
    toleranceField_ = new QLineEdit(QStringLiteral("0.0001"), page);
    desiredField_->setObjectName(QStringLiteral("goalDesiredField"));
    toleranceField_->setObjectName(QStringLiteral("goalToleranceField"));
    for (const auto& [caption, field] :
         {std::pair<const char*, QLineEdit*>{"&Desire:  ", desiredField_},
          {"&Tolerance:  ", toleranceField_}}) {
      auto* label = new QLabel(QString::fromLatin1(caption), page);
      label->setBuddy(field);
      form->addRow(label, field);
    }
  }
  // MultiRegress: the terms of each X column, checked to be fitted.
  {
    QWidget* page = pages_->widget(kMultiRegressPage);
    termGrid_ = new QTableWidget(kTermRows, 0, page);
    termGrid_->setObjectName(QStringLiteral("coefficientGrid"));
    termGrid_->setVerticalHeaderLabels({"X^0", "X^1", "X^2", "X^3", "X^4", "X^5", "Sqrt(x)",
                                        "Ln(x)", "Exp(x)"});
    termGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* label = new QLabel(QStringLiteral("Coefficients:"), page);
    label->setBuddy(termGrid_);
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    layout->addWidget(label);
    layout->addWidget(termGrid_);
    connect(rangeFields_[kMultiRegressPage][0], &QLineEdit::textChanged, this,
            &DataDialog::FitTermGrid);
  }
  rangeFields_[kTablePage][1]->setPlaceholderText(QStringLiteral("Optional"));

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &DataDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  // Wide enough to show every page's tab.
  pages_->setMinimumWidth(pages_->tabBar()->sizeHint().width() + 8);
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
  pointCaptions_.insert(dataField_, QStringLiteral("Data:"));
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
    pointCaptions_.insert(field, QString::number(k + 1) + ':');
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
  pointCaptions_.insert(outputField_, QStringLiteral("Output Cells:"));
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

QLineEdit* DataDialog::AddRangeField(QWidget* page, const char* caption,
                                     const QString& objectName) {
  auto* field = new QLineEdit(page);
  field->setObjectName(objectName);
  field->installEventFilter(this);
  pointCaptions_.insert(field, QString::fromLatin1(caption).remove('&').trimmed());
  return field;
}

QWidget* DataDialog::BuildRangePage(int page, std::initializer_list<const char*> captions) {
  auto* widget = new QWidget(this);
  auto* form = new QFormLayout;
  int index = 0;
  for (const char* caption : captions) {
    QLineEdit* field =
        AddRangeField(widget, caption, QStringLiteral("dataPage%1Field%2").arg(page).arg(index));
    auto* label = new QLabel(QString::fromLatin1(caption), widget);
    label->setBuddy(field);
    form->addRow(label, field);
    rangeFields_[size_t(page)][size_t(index++)] = field;
  }
  auto* layout = new QVBoxLayout(widget);
  layout->addLayout(form);
  return widget;
}

QLineEdit* DataDialog::rangeField(int page, int index) const {
  if (page < 0 || page >= kPageCount || index < 0 || index > 2) return nullptr;
  return rangeFields_[size_t(page)][size_t(index)];
}

void DataDialog::FitTermGrid() {
  CellRange x;
  if (!ReadRangeText(slot_, rangeFields_[kMultiRegressPage][0]->text(), false, &x)) return;
  x = OrderedRange(x);
  const int columns = int(x.lastColumn) - int(x.firstColumn) + 1;
  const int before = termGrid_->columnCount();
  if (columns == before) return;
  termGrid_->setColumnCount(columns);
  // A new column starts with the terms of the default fit: the constant (first column only) and
  // the linear term.
  for (int c = before; c < columns; ++c) {
    termGrid_->setHorizontalHeaderItem(c, new QTableWidgetItem(QStringLiteral("X%1").arg(c + 1)));
    for (int row = 0; row < kTermRows; ++row) {
      auto* item = new QTableWidgetItem;
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
      const bool on = row == 1 || (row == 0 && c == 0);
      item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
      termGrid_->setItem(row, c, item);
    }
  }
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
    auto show = [&](int page, int index, const CellRange& r) {
      rangeFields_[size_t(page)][size_t(index)]->setText(RangeFieldText(slot, r));
    };
    auto orSelection = [&](const CellRange& r) { return RangeIsValid(r) ? r : selection; };
    show(kQueryPage, 0, orSelection(o.range(GlobalOptions::kQueryInput)));
    show(kQueryPage, 1, o.range(GlobalOptions::kQueryCriteria));
    show(kQueryPage, 2, o.range(GlobalOptions::kQueryOutput));
    show(kBinPage, 0, orSelection(o.range(GlobalOptions::kTableRange)));
    show(kBinPage, 1, o.range(GlobalOptions::kTableInput1));
    binTypeButtons_->button(o.binLowerInclusive() ? 1 : 0)->setChecked(true);
    show(kParsePage, 0, selection);
    show(kGoalSeekPage, 0, o.dataToolRange(GlobalOptions::kGoalInput));
    show(kGoalSeekPage, 1, o.dataToolRange(GlobalOptions::kGoalOutput));
    show(kRegressPage, 0, orSelection(o.dataToolRange(GlobalOptions::kRegressX)));
    show(kRegressPage, 1, o.dataToolRange(GlobalOptions::kRegressY));
    show(kRegressPage, 2, o.dataToolRange(GlobalOptions::kRegressOutput));
    show(kMultiRegressPage, 0, orSelection(o.dataToolRange(GlobalOptions::kMultiRegressX)));
    show(kTablePage, 0, o.range(GlobalOptions::kTableInput1));
    show(kTablePage, 1, o.range(GlobalOptions::kTableInput2));
    show(kTablePage, 2, o.range(GlobalOptions::kTableRange));
    show(kFormPage, 0, selection);
  }
  outputField_->setText(RangeFieldText(slot, selection));
  FitTermGrid();
  const int page = HasPage(tag) ? tag : kFillPage;
  pages_->setCurrentIndex(page);
  if (page == kSortPage) {
    dataField_->setFocus();
  } else if (page == kFillPage) {
    outputField_->setFocus();
  } else {
    rangeFields_[size_t(page)][0]->setFocus();
  }
  open();
}

void DataDialog::ResetQuery() {
  for (QLineEdit* field : rangeFields_[kQueryPage]) field->clear();
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
  } else if (r.page == kFillPage) {
    if (!ReadRangeField(slot_, outputField_, false, &r.output)) return;
    if (!ReadNumber(startField_, &r.start) || !ReadNumber(stepField_, &r.step)) return;
    r.type = FillType(typeButtons_->checkedId());
    r.rowOrder = orderButtons_->checkedId() == 1;
  } else {
    // Fields a tool can do without may stay empty: the tool then does nothing (or beeps).
    const bool kMayBeEmpty[kPageCount][3] = {
        {}, {}, {true, true, true}, {true, true}, {false}, {true, true},
        {true, true, true}, {false, false, false}, {true, true, true}, {false}};
    for (size_t i = 0; i < 3; ++i) {
      QLineEdit* field = rangeFields_[size_t(r.page)][i];
      if (field && !ReadRangeField(slot_, field, kMayBeEmpty[r.page][i], &r.ranges[i])) return;
    }
    if (r.page == kBinPage) r.lowerInclusive = binTypeButtons_->checkedId() == 1;
    if (r.page == kGoalSeekPage &&
        (!ReadNumber(desiredField_, &r.desired) || !ReadNumber(toleranceField_, &r.tolerance))) {
      return;
    }
    if (r.page == kMultiRegressPage) {
      FitTermGrid();
      for (int c = 0; c < termGrid_->columnCount(); ++c) {
        for (int row = 0; row < kTermRows; ++row) {
          const QTableWidgetItem* item = termGrid_->item(row, c);
          if (item && item->checkState() == Qt::Checked) r.terms.push_back(kFitFunctions * c + row);
        }
      }
    }
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
    auto* field = qobject_cast<QLineEdit*>(watched);
    const auto it = pointCaptions_.constFind(field);
    if (field && it != pointCaptions_.constEnd()) {
      PointAt(field, it.value());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

namespace {

// The top-left cell of `r`; no cell for the undefined range.
CellAddress FirstCell(const CellRange& r) {
  if (!RangeIsValid(r)) return CellAddress{};
  const CellRange o = OrderedRange(r);
  return CellAddress{o.firstColumn, o.firstRow};
}

}  // namespace

CommandResult RunDataTool(const DataDialog::Request& r) {
  // The kept ranges come back with the tool's Undo.
  UndoGroupScope group;
  const auto& [a, b, c] = r.ranges;
  switch (r.page) {
    case DataDialog::kQueryPage:
      KeepToolRanges(KeptRanges::kQuery, r.ranges);
      return QueryExtract(a, b, c);
    case DataDialog::kBinPage:
      KeepToolRanges(KeptRanges::kBins, r.ranges, r.lowerInclusive);
      return FrequencyBins(a, b, r.lowerInclusive);
    case DataDialog::kParsePage: return ParseLabels(a);
    case DataDialog::kGoalSeekPage:
      KeepToolRanges(KeptRanges::kGoalSeek, r.ranges);
      return GoalSeek(FirstCell(a), FirstCell(b), r.desired, r.tolerance);
    case DataDialog::kRegressPage:
      KeepToolRanges(KeptRanges::kRegress, r.ranges);
      return Regress(a, b, FirstCell(c));
    case DataDialog::kMultiRegressPage:
      KeepToolRanges(KeptRanges::kMultiRegress, r.ranges);
      return FitTerms(a, b, FirstCell(c), r.terms);
    case DataDialog::kTablePage:
      KeepToolRanges(KeptRanges::kTable, r.ranges);
      return DataTable(a, b, c);
    default: return CommandResult{CommandStatus::kFailed, {}};
  }
}
