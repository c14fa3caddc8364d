// ui/range_name_dialog.cpp — the range-name dialog.
#include "ui/range_name_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/names.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/cp1252.h"

namespace {

QPushButton* Button(const QString& caption, const char* objectName, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(objectName));
  b->setAutoDefault(false);
  return b;
}

// A page with one range field and one button.
QWidget* RangePage(const QString& label, QLineEdit* field, QPushButton* button,
                   const QString& note) {
  auto* page = new QWidget;
  auto* form = new QFormLayout;
  auto* caption = new QLabel(label, page);
  caption->setBuddy(field);
  form->addRow(caption, field);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  auto* text = new QLabel(note, page);
  text->setWordWrap(true);
  layout->addWidget(text);
  layout->addStretch();
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(button);
  layout->addLayout(row);
  return page;
}

}  // namespace

RangeNameDialog::RangeNameDialog(QWidget* parent)
    : QDialog(parent),
      pages_(new QTabWidget(this)),
      nameField_(new QLineEdit(this)),
      rangeField_(new QLineEdit(this)),
      nameList_(new QListWidget(this)),
      status_(new QLabel(this)),
      buildField_(new QLineEdit(this)),
      tableField_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Range Names"));
  setObjectName(QStringLiteral("rangeNameDialog"));
  nameField_->setObjectName(QStringLiteral("nameField"));
  nameField_->setMaxLength(kMaxNameLength);
  rangeField_->setObjectName(QStringLiteral("rangeField"));
  nameList_->setObjectName(QStringLiteral("nameList"));
  status_->setObjectName(QStringLiteral("status"));
  buildField_->setObjectName(QStringLiteral("buildField"));
  tableField_->setObjectName(QStringLiteral("tableField"));
  for (QLineEdit* field : {rangeField_, buildField_, tableField_}) field->installEventFilter(this);

  // Names.
  auto* names = new QWidget;
  auto* form = new QFormLayout;
  auto* nameLabel = new QLabel(QStringLiteral("&Name:"), names);
  auto* rangeLabel = new QLabel(QStringLiteral("&Range:"), names);
  nameLabel->setBuddy(nameField_);
  rangeLabel->setBuddy(rangeField_);
  form->addRow(nameLabel, nameField_);
  form->addRow(rangeLabel, rangeField_);
  QPushButton* create = Button(QStringLiteral("&Create"), "createButton", names);
  QPushButton* remove = Button(QStringLiteral("&Delete"), "deleteButton", names);
  QPushButton* reset = Button(QStringLiteral("R&eset"), "resetButton", names);
  connect(create, &QPushButton::clicked, this, &RangeNameDialog::Create);
  connect(remove, &QPushButton::clicked, this, &RangeNameDialog::Delete);
  connect(reset, &QPushButton::clicked, this, &RangeNameDialog::Reset);
  auto* actions = new QVBoxLayout;
  actions->addWidget(create);
  actions->addWidget(remove);
  actions->addWidget(reset);
  actions->addStretch();
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(nameList_, 1);
  listRow->addLayout(actions);
  auto* namesLayout = new QVBoxLayout(names);
  namesLayout->addLayout(form);
  namesLayout->addLayout(listRow, 1);
  namesLayout->addWidget(status_);
  connect(nameList_, &QListWidget::currentRowChanged, this, &RangeNameDialog::NameChosen);
  pages_->addTab(names, QStringLiteral("Names"));

  // Build and Table.
  QPushButton* build = Button(QStringLiteral("&Build"), "buildButton", this);
  connect(build, &QPushButton::clicked, this, &RangeNameDialog::Build);
  pages_->addTab(RangePage(QStringLiteral("&From Range:"), buildField_, build,
                           QStringLiteral("Each row of the block names a range: the name in its "
                                          "first column, the range in its second.")),
                 QStringLiteral("Build"));
  QPushButton* table = Button(QStringLiteral("&Table"), "tableButton", this);
  connect(table, &QPushButton::clicked, this, &RangeNameDialog::Table);
  pages_->addTab(RangePage(QStringLiteral("T&o Range:"), tableField_, table,
                           QStringLiteral("The names and their ranges are written into two "
                                          "columns from the first row of the range.")),
                 QStringLiteral("Table"));

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("C&lose"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addWidget(buttons);
  resize(420, 360);
}

void RangeNameDialog::Open(SlotIndex slot, int page, const CellRange& selection) {
  slot_ = slot;
  selection_ = selection;
  const QString text = RangeFieldText(slot, selection);
  rangeField_->setText(text);
  buildField_->setText(text);
  tableField_->setText(text);
  nameField_->clear();
  status_->clear();
  RefreshList();
  pages_->setCurrentIndex(page >= kNamesPage && page <= kTablePage ? page : kNamesPage);
  show();
  raise();
  activateWindow();
  if (pages_->currentIndex() == kNamesPage) nameField_->setFocus();
}

CommandResult RangeNameDialog::RunOnSheet(const std::function<CommandResult()>& command) {
  if (!Usable()) return CommandResult{CommandStatus::kFailed, {}};
  CommandResult result;
  {
    SheetScope scope(slot_);
    result = command();
  }
  RefreshList();
  emit sheetChanged();
  return result;
}

bool RangeNameDialog::SheetOpen() const { return slot_ && Worksheet(slot_).InUse(); }

bool RangeNameDialog::Usable() {
  if (SheetOpen()) return true;
  // The worksheet was closed while the dialog stayed open.
  ThePlatform().Beep();
  hide();
  return false;
}

void RangeNameDialog::RefreshList() {
  const QString current = nameField_->text().trimmed().toUpper();
  const QSignalBlocker block(nameList_);
  nameList_->clear();
  if (!SheetOpen()) return;
  SheetScope scope(slot_);
  for (int i = 1; i <= NameCount(); ++i) {
    const QString name = FromCp1252(NameAt(i));
    auto* item = new QListWidgetItem(
        QStringLiteral("%1\t%2").arg(name, FromCp1252(RangeText(NameRange(i)))), nameList_);
    item->setData(Qt::UserRole, name);
    if (name == current) nameList_->setCurrentItem(item);
  }
}

void RangeNameDialog::NameChosen() {
  const QListWidgetItem* item = nameList_->currentItem();
  if (!item || !SheetOpen()) return;
  const QString name = item->data(Qt::UserRole).toString();
  nameField_->setText(name);
  SheetScope scope(slot_);
  const int index = FindName(ToCp1252(name), 1, NameCount());
  if (index > 0) rangeField_->setText(FromCp1252(RangeText(NameRange(index))));
}

void RangeNameDialog::Create() {
  if (!Usable()) return;
  status_->clear();
  CellRange range;
  if (!ReadRangeField(slot_, rangeField_, false, &range)) return;
  const std::string name = ToCp1252(nameField_->text().trimmed());
  const std::string problem = CheckNewName(name);
  if (!problem.empty()) {
    status_->setText(FromCp1252(problem));
    ThePlatform().Beep();
    nameField_->setFocus();
    nameField_->selectAll();
    return;
  }
  nameField_->setText(FromCp1252(name).toUpper());
  RunOnSheet([&] { return DefineRangeName(name, range); });
}

void RangeNameDialog::Delete() {
  status_->clear();
  const std::string name = ToCp1252(nameField_->text().trimmed());
  if (name.empty() || !RunOnSheet([&] { return DeleteRangeName(name); }).Done()) {
    ThePlatform().Beep();
    return;
  }
  nameField_->clear();
}

void RangeNameDialog::Reset() {
  status_->clear();
  if (ThePlatform().Ask("Range Names", "Reset All Names: Are You Sure?", Buttons::kYesNo) !=
      Answer::kYes) {
    return;
  }
  RunOnSheet([] { return ResetRangeNames(); });
  nameField_->clear();
}

void RangeNameDialog::Build() {
  if (!Usable()) return;
  CellRange source;
  if (!ReadRangeField(slot_, buildField_, false, &source)) return;
  RunOnSheet([&] { return BuildRangeNames(source); });
}

void RangeNameDialog::Table() {
  if (!Usable()) return;
  CellRange target;
  if (!ReadRangeField(slot_, tableField_, false, &target)) return;
  RunOnSheet([&] { return TableRangeNames(target); });
}

bool RangeNameDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<QLineEdit*>(watched);
  if (field && event->type() == QEvent::MouseButtonDblClick && pointer_) {
    const QString caption = field == buildField_   ? QStringLiteral("BUILD: FROM Range")
                            : field == tableField_ ? QStringLiteral("TABLE: To Range")
                                                   : QStringLiteral("NAME: Specify Range");
    CellRange start = selection_;
    ReadRangeText(slot_, field->text(), false, &start);
    hide();
    pointer_(
        caption, start, [this, field](const CellRange& r) { field->setText(RangeFieldText(slot_, r)); },
        [this] {
          show();
          raise();
        });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void RangeNameDialog::changeEvent(QEvent* event) {
  // Names may have changed while the dialog was in the background (a macro, Undo).
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RefreshList();
  QDialog::changeEvent(event);
}
