// ui/data_form_window.cpp — the record form's window: its edit lines and buttons over the
// engine's form model.
#include "ui/data_form_window.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/platform.h"
#include "ui/cp1252.h"

namespace {

// Where the edit lines stand: the first 8 pixels from the top, one every 24.
constexpr int kMargin = 8;
constexpr int kLineStep = 24;
// An edit line is its column's pixel width plus this much.
constexpr int kExtraWidth = 72;

}  // namespace

DataFormWindow::DataFormWindow(SheetRunner runner, QWidget* parent)
    : QDialog(parent),
      runner_(std::move(runner)),
      scroll_(new QScrollArea(this)),
      recordLabel_(new QLabel(this)),
      cloneBox_(new QCheckBox(QStringLiteral("Clone Last Record"), this)) {
  setWindowTitle(QStringLiteral("Data Form"));
  setObjectName(QStringLiteral("dataFormWindow"));
  recordLabel_->setObjectName(QStringLiteral("recordLabel"));
  scroll_->setWidgetResizable(false);
  scroll_->setMinimumSize(360, 240);

  auto* buttons = new QVBoxLayout;
  const std::pair<const char*, void (DataFormWindow::*)()> kButtons[] = {
      {"&Next", &DataFormWindow::Next}, {"&Prev", &DataFormWindow::Previous},
      {"&Top", &DataFormWindow::Top},   {"&Bot", &DataFormWindow::Bottom},
      {"&Add", &DataFormWindow::Add},   {"&Update", &DataFormWindow::Update}};
  for (const auto& [caption, handler] : kButtons) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
  }
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(cancel);
  buttons->addWidget(cloneBox_);
  buttons->addStretch();

  auto* body = new QHBoxLayout;
  body->addWidget(scroll_, 1);
  body->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(recordLabel_);
  layout->addLayout(body);
  setModal(true);
}

bool DataFormWindow::Open(SlotIndex slot, const CellRange& range) {
  slot_ = slot;
  bool opened = false;
  runner_(slot_, [&] { opened = model_.Open(range); });
  if (!opened) {
    ThePlatform().Beep();
    return false;
  }
  BuildFields();
  ShowRecord();
  open();
  for (QLineEdit* e : edits_) {
    if (e) {
      e->setFocus();
      break;
    }
  }
  return true;
}

void DataFormWindow::BuildFields() {
  delete fieldArea_;
  edits_.clear();
  fieldArea_ = new QWidget;
  const std::vector<DataFormField>& fields = model_.Fields();
  // The edit lines line up right of the widest caption.
  const QFontMetrics metrics(font());
  int captionWidth = 0;
  for (const DataFormField& f : fields) {
    captionWidth = std::max(captionWidth, metrics.horizontalAdvance(FromCp1252(f.caption)));
  }
  int right = 0;
  int bottom = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const DataFormField& f = fields[i];
    if (f.pixelWidth == 0) {
      edits_.push_back(nullptr);  // keeps its place, shows nothing
      continue;
    }
    const int top = kMargin + kLineStep * f.place;
    auto* label = new QLabel(FromCp1252(f.caption), fieldArea_);
    label->move(kMargin, top + 2);
    auto* e = new QLineEdit(fieldArea_);
    e->setObjectName(QStringLiteral("formField%1").arg(i));
    e->setGeometry(kMargin + captionWidth + 4, top, f.pixelWidth + kExtraWidth, kLineStep - 2);
    label->setBuddy(e);
    edits_.push_back(e);
    right = std::max(right, e->geometry().right());
    bottom = std::max(bottom, e->geometry().bottom());
  }
  fieldArea_->resize(right + kMargin, bottom + kMargin);
  scroll_->setWidget(fieldArea_);
}

void DataFormWindow::TakeTexts() {
  for (size_t i = 0; i < edits_.size(); ++i) {
    if (!edits_[i]) continue;
    std::string text = ToCp1252(edits_[i]->text());
    if (text != model_.Texts()[i]) model_.SetText(i, std::move(text));
  }
}

void DataFormWindow::ShowRecord() {
  for (size_t i = 0; i < edits_.size(); ++i) {
    if (edits_[i]) edits_[i]->setText(FromCp1252(model_.Texts()[i]));
  }
  recordLabel_->setText(FromCp1252(model_.RecordCaption()));
}

void DataFormWindow::Step(const std::function<void()>& step) {
  TakeTexts();
  runner_(slot_, step);
  ShowRecord();
}

void DataFormWindow::Next() {
  const bool clone = cloneBox_->isChecked();
  Step([this, clone] { model_.Next(clone); });
}
void DataFormWindow::Previous() { Step([this] { model_.Previous(); }); }
void DataFormWindow::Top() { Step([this] { model_.Top(); }); }
void DataFormWindow::Bottom() { Step([this] { model_.Bottom(); }); }
void DataFormWindow::Add() { Step([this] { model_.Add(); }); }
void DataFormWindow::Update() { Step([this] { model_.Save(); }); }
