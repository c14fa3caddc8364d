// ui/document_info_dialog.cpp — the document information dialog.
#include "ui/document_info_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "commands/document_info.h"
#include "core/sheet_scope.h"
#include "ui/cp1252.h"
#include "ui/text_limit.h"

#ifndef TALLIVO_VERSION
#define TALLIVO_VERSION "0"
#endif

namespace {

QString LoginName() {
  for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
    const QString name = qEnvironmentVariable(variable);
    if (!name.isEmpty()) return name;
  }
  return QDir::home().dirName();
}

}  // namespace

DocumentInfoDialog::DocumentInfoDialog(QWidget* parent)
    : QDialog(parent),
      titleField_(new QLineEdit(this)),
      commentsBox_(new QPlainTextEdit(this)),
      revisedBy_(new QLabel(this)),
      created_(new QLabel(this)),
      version_(new QLabel(this)) {
  setWindowTitle(QStringLiteral(" Document Info"));
  setObjectName(QStringLiteral("documentInfoDialog"));
  titleField_->setObjectName(QStringLiteral("titleField"));
  titleField_->setMaxLength(int(kDocumentTitleLength));
  commentsBox_->setObjectName(QStringLiteral("commentsBox"));
  commentsBox_->setTabChangesFocus(true);
  HoldTextLength(commentsBox_, int(kDocumentCommentsLength));
  revisedBy_->setObjectName(QStringLiteral("revisedBy"));
  created_->setObjectName(QStringLiteral("created"));
  version_->setObjectName(QStringLiteral("version"));
  for (QLabel* label : {revisedBy_, created_, version_}) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }

  auto* fields = new QFormLayout;
  auto* titleLabel = new QLabel(QStringLiteral("&Title:"), this);
  auto* commentsLabel = new QLabel(QStringLiteral("Co&mments:"), this);
  titleLabel->setBuddy(titleField_);
  commentsLabel->setBuddy(commentsBox_);
  fields->addRow(titleLabel, titleField_);
  fields->addRow(commentsLabel, commentsBox_);
  fields->addRow(QStringLiteral("Revised By:"), revisedBy_);
  fields->addRow(QStringLiteral("Created:"), created_);
  fields->addRow(QStringLiteral("Version:"), version_);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  resize(440, 320);
  setModal(true);
}

void DocumentInfoDialog::Open(SlotIndex slot) {
  DocumentInfo info;
  std::string fileName;
  bool neverSaved = true;
  {
    SheetScope scope(slot);
    info = CurrentDocumentInfo();
    fileName = Worksheet(slot).fileName;
    neverSaved = Worksheet(slot).neverSaved;
  }
  titleField_->setText(FromCp1252(info.title));
  QStringList lines;
  for (const std::string& line : SplitCommentLines(info.comments)) lines << FromCp1252(line);
  commentsBox_->setPlainText(lines.join('\n'));
  revisedBy_->setText(LoginName());
  const QFileInfo file(QString::fromLocal8Bit(fileName.c_str()));
  if (neverSaved || !file.exists()) {
    created_->setText(QStringLiteral("(not saved yet)"));
  } else {
    const QDateTime born = file.birthTime().isValid() ? file.birthTime() : file.lastModified();
    created_->setText(QLocale().toString(born, QLocale::ShortFormat));
  }
  version_->setText(QStringLiteral("TALLIVO " TALLIVO_VERSION));
  titleField_->setFocus();
  titleField_->selectAll();
  open();
}

std::string DocumentInfoDialog::Title() const { return ToCp1252(titleField_->text()); }

std::string DocumentInfoDialog::Comments() const {
  std::vector<std::string> lines;
  for (const QString& line : commentsBox_->toPlainText().split('\n')) {
    lines.push_back(ToCp1252(line));
  }
  return JoinCommentLines(lines);
}
