// ui/tip_dialog.cpp — the tip of the day dialog.
#include "ui/tip_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

#include "files/settings.h"
#include "files/tips_file.h"
#include "ui/cp1252.h"

TipDialog::TipDialog(QWidget* parent)
    : QDialog(parent),
      tip_(new QLabel(this)),
      startupBox_(new QCheckBox(QStringLiteral("&Show Tips at Startup"), this)) {
  setWindowTitle(QStringLiteral("Tip of the Day"));
  setObjectName(QStringLiteral("tipDialog"));
  tip_->setObjectName(QStringLiteral("tipText"));
  tip_->setWordWrap(true);
  tip_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  tip_->setTextFormat(Qt::PlainText);
  tip_->setFrameShape(QFrame::StyledPanel);
  tip_->setMargin(12);
  tip_->setMinimumSize(360, 140);
  startupBox_->setObjectName(QStringLiteral("showTipsAtStartup"));
  connect(startupBox_, &QCheckBox::toggled, this, [](bool on) { Settings().tips = on; });

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* next = buttons->addButton(QStringLiteral("&Next >>"), QDialogButtonBox::ActionRole);
  next->setObjectName(QStringLiteral("nextTipButton"));
  QPushButton* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(next, &QPushButton::clicked, this, &TipDialog::ShowNext);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(startupBox_);
  bottom->addStretch();
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tip_, 1);
  layout->addLayout(bottom);
}

void TipDialog::Open() {
  if (!ReadTipsFile(TipsFileName(), &contents_)) contents_.clear();
  count_ = TipCount(contents_);
  startupBox_->setChecked(Settings().tips);
  ShowTip(DrawTipNumber(count_, QRandomGenerator::global()->generate64()));
  show();
  raise();
  activateWindow();
}

void TipDialog::ShowTip(int number) {
  number_ = number;
  tip_->setText(FromCp1252(TipOrFallback(contents_, number)));
}

void TipDialog::ShowNext() { ShowTip(NextTipNumber(number_, count_)); }
