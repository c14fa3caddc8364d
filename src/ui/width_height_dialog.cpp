// ui/width_height_dialog.cpp — the column width and row height dialog.
#include "ui/width_height_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/sheet_view.h"

WidthHeightDialog::WidthHeightDialog(QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this)) {
  setWindowTitle(QStringLiteral("Set  Width or Height"));
  setObjectName(QStringLiteral("widthHeightDialog"));
  tabs_->addTab(BuildTab(kColumnTab), QStringLiteral("&Column "));
  tabs_->addTab(BuildTab(kRowTab), QStringLiteral("&Row"));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("C&ancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &WidthHeightDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  setModal(true);
}

QWidget* WidthHeightDialog::BuildTab(int tab) {
  const bool columns = tab == kColumnTab;
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  TabFields& f = fields_[size_t(tab)];
  f.range = new QLineEdit(page);
  f.range->installEventFilter(this);
  f.size = new QSpinBox(page);
  f.size->setRange(0, 254);
  f.skip = new QSpinBox(page);
  f.skip->setRange(0, columns ? 255 : 8191);
  f.global = new QCheckBox(page);
  f.reset = new QCheckBox(page);
  const std::pair<const char*, QWidget*> rows[] = {
      {"Ra&nge: ", f.range},
      {columns ? "&Width: " : "&Height: ", f.size},
      {columns ? "&Skip Columns: " : "&Skip Rows: ", f.skip},
      {"&Global:", f.global},
      {columns ? "R&eset:  " : "R&eset:", f.reset}};
  for (const auto& [caption, field] : rows) {
    auto* label = new QLabel(QString::fromUtf8(caption), page);
    label->setBuddy(field);
    form->addRow(label, field);
  }
  return page;
}

void WidthHeightDialog::Open(SlotIndex slot, const CellRange& selection, int tab) {
  slot_ = slot;
  selection_ = selection;
  const CellRange r = OrderedRange(selection);
  const SheetView view(slot);
  for (int t = 0; t < 2; ++t) {
    TabFields& f = fields_[size_t(t)];
    f.range->setText(RangeFieldText(slot, selection));
    f.skip->setValue(0);
    f.global->setChecked(false);
    f.reset->setChecked(false);
  }
  fields_[kColumnTab].size->setValue(view.Layout().columnWidth[r.firstColumn] / 8);
  fields_[kRowTab].size->setValue(view.Layout().rowHeight[r.firstRow]);
  tabs_->setCurrentIndex(tab == kRowTab ? kRowTab : kColumnTab);
  fields_[size_t(tabs_->currentIndex())].size->setFocus();
  open();
}

void WidthHeightDialog::Confirm() {
  const int tab = tabs_->currentIndex();
  const TabFields& f = fields_[size_t(tab)];
  Request r;
  r.columns = tab == kColumnTab;
  if (!ReadRangeField(slot_, f.range, false, &r.range)) return;
  r.size.size = f.size->value();
  r.size.skip = f.skip->value();
  r.size.global = f.global->isChecked();
  r.size.reset = f.reset->isChecked();
  request_ = r;
  accept();
}

bool WidthHeightDialog::eventFilter(QObject* watched, QEvent* event) {
  for (TabFields& f : fields_) {
    if (watched != f.range || event->type() != QEvent::MouseButtonDblClick || !pointer_) continue;
    CellRange start = selection_;
    ReadRangeText(slot_, f.range->text(), false, &start);
    QLineEdit* field = f.range;
    hide();
    pointer_(
        windowTitle() + QStringLiteral(": Range"), start,
        [this, field](const CellRange& r) { field->setText(RangeFieldText(slot_, r)); },
        [this] { open(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
