// ui/find_replace_dialog.cpp — the modeless Find & Replace dialog.
#include "ui/find_replace_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/cp1252.h"

FindReplaceDialog::FindReplaceDialog(Hooks hooks, QWidget* parent)
    : QDialog(parent),
      hooks_(std::move(hooks)),
      findBox_(new QComboBox(this)),
      replaceField_(new QLineEdit(this)),
      caseBox_(new QCheckBox(QStringLiteral("Case &Insensitive"), this)),
      globalButton_(new QRadioButton(QStringLiteral("&Global"), this)),
      rangeButton_(new QRadioButton(QStringLiteral("R&ange:"), this)),
      rangeField_(new QLineEdit(this)),
      findNextButton_(new QPushButton(QStringLiteral("Find &Next"), this)),
      replaceButton_(new QPushButton(QStringLiteral("&Replace"), this)),
      replaceAllButton_(new QPushButton(QStringLiteral("Replace &All"), this)) {
  setWindowTitle(QStringLiteral("Find & Replace"));
  setObjectName(QStringLiteral("findReplaceDialog"));
  setModal(false);
  findBox_->setEditable(true);
  findBox_->setInsertPolicy(QComboBox::NoInsert);
  findBox_->setMaxCount(16);
  findBox_->lineEdit()->setMaxLength(255);
  replaceField_->setMaxLength(255);
  caseBox_->setChecked(true);
  globalButton_->setChecked(true);
  rangeField_->setEnabled(false);
  rangeField_->installEventFilter(this);

  auto* fields = new QFormLayout;
  auto* findLabel = new QLabel(QStringLiteral("&Find:"), this);
  auto* replaceLabel = new QLabel(QStringLiteral("Replace &With:"), this);
  findLabel->setBuddy(findBox_);
  replaceLabel->setBuddy(replaceField_);
  fields->addRow(findLabel, findBox_);
  fields->addRow(replaceLabel, replaceField_);

  auto* scope = new QGroupBox(this);
  auto* scopeLayout = new QHBoxLayout(scope);
  auto* scopeButtons = new QButtonGroup(this);
  scopeButtons->addButton(globalButton_);
  scopeButtons->addButton(rangeButton_);
  scopeLayout->addWidget(globalButton_);
  scopeLayout->addWidget(rangeButton_);
  scopeLayout->addWidget(rangeField_);

  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {findNextButton_, replaceButton_, replaceAllButton_, cancel}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  findNextButton_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(caseBox_);
  layout->addWidget(scope);
  layout->addLayout(buttons);

  connect(findBox_, &QComboBox::editTextChanged, this, &FindReplaceDialog::TextsChanged);
  connect(replaceField_, &QLineEdit::textChanged, this, &FindReplaceDialog::TextsChanged);
  connect(caseBox_, &QCheckBox::toggled, this, &FindReplaceDialog::TextsChanged);
  connect(globalButton_, &QRadioButton::toggled, this, &FindReplaceDialog::ScopeChanged);
  connect(rangeField_, &QLineEdit::textChanged, this, &FindReplaceDialog::ScopeChanged);
  connect(findNextButton_, &QPushButton::clicked, this, &FindReplaceDialog::FindNextClicked);
  connect(replaceButton_, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceClicked);
  connect(replaceAllButton_, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceAllClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  UpdateButtons();
}

void FindReplaceDialog::Open() {
  state_.newSearch = true;
  show();
  raise();
  activateWindow();
  findBox_->setFocus();
  UpdateButtons();
}

void FindReplaceDialog::CursorMoved() {
  if (movingCursor_ || !isVisible()) return;
  state_.newSearch = true;
  UpdateButtons();
}

void FindReplaceDialog::TextsChanged() {
  state_.newSearch = true;
  replaceAllDone_ = false;
  UpdateButtons();
}

void FindReplaceDialog::ScopeChanged() {
  rangeField_->setEnabled(rangeButton_->isChecked());
  state_.newSearch = true;
  UpdateButtons();
}

bool FindReplaceDialog::ReadDialog() {
  const SlotIndex active = hooks_.activeSheet ? hooks_.activeSheet() : 0;
  if (active == 0) {
    ThePlatform().Beep();
    return false;
  }
  if (active != slot_) {
    slot_ = active;
    state_.newSearch = true;
  }
  CellRange scope;
  if (rangeButton_->isChecked() && !ReadRangeField(slot_, rangeField_, false, &scope)) return false;
  const std::string find = ToCp1252(findBox_->currentText());
  const std::string replace = ToCp1252(replaceField_->text());
  const bool sameRange = scope.firstColumn == state_.scope.firstColumn &&
                         scope.firstRow == state_.scope.firstRow &&
                         scope.lastColumn == state_.scope.lastColumn &&
                         scope.lastRow == state_.scope.lastRow;
  if (find != state_.findText || replace != state_.replaceText ||
      caseBox_->isChecked() != state_.caseInsensitive || !sameRange) {
    state_.newSearch = true;
  }
  state_.findText = find;
  state_.replaceText = replace;
  state_.caseInsensitive = caseBox_->isChecked();
  state_.scope = scope;
  return true;
}

void FindReplaceDialog::RememberFindText() {
  const QString text = findBox_->currentText();
  if (text.isEmpty()) return;
  const int at = findBox_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at == 0) return;
  const QSignalBlocker block(findBox_);
  if (at > 0) findBox_->removeItem(at);
  findBox_->insertItem(0, text);
  findBox_->setCurrentIndex(0);
  findBox_->setEditText(text);
}

void FindReplaceDialog::Search(const std::function<CommandResult(FindState&)>& command) {
  if (!ReadDialog()) return;
  RememberFindText();
  const CommandResult r = hooks_.run([&]() -> CommandResult { return command(state_); });
  if (r.Done() && hooks_.moveCursor) {
    movingCursor_ = true;
    hooks_.moveCursor(state_.row, state_.column);
    movingCursor_ = false;
  }
  UpdateButtons();
}

void FindReplaceDialog::FindNextClicked() { Search(FindNext); }

void FindReplaceDialog::ReplaceClicked() { Search(ReplaceNext); }

void FindReplaceDialog::ReplaceAllClicked() {
  if (!ReadDialog()) return;
  RememberFindText();
  hooks_.run([this]() -> CommandResult { return ReplaceAll(state_); });
  replaceAllDone_ = true;
  UpdateButtons();
}

void FindReplaceDialog::UpdateButtons() {
  const bool hasText = !findBox_->currentText().isEmpty();
  findNextButton_->setEnabled(hasText);
  replaceAllButton_->setEnabled(hasText && !replaceAllDone_);
  bool matches = false;
  if (hasText && !state_.newSearch && slot_ != 0 && Worksheet(slot_).InUse()) {
    SheetScope scope(slot_);
    matches = CurrentCellMatches(state_);
  }
  replaceButton_->setEnabled(matches);
}

bool FindReplaceDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rangeField_ && event->type() == QEvent::MouseButtonDblClick && hooks_.pointer) {
    const SlotIndex active = hooks_.activeSheet ? hooks_.activeSheet() : 0;
    if (active == 0) return true;
    CellRange start;
    ReadRangeText(active, rangeField_->text(), false, &start);
    hide();
    hooks_.pointer(
        QStringLiteral("Specify Search Range"), start,
        [this, active](const CellRange& r) { rangeField_->setText(RangeFieldText(active, r)); },
        [this] { show(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
