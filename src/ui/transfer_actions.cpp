// ui/transfer_actions.cpp — the main window's File > Import, Export and Merge commands.
//
// Each command asks for a file in its own file dialog ("TALLIVO IMPORT...", "TALLIVO
// EXPORT...", " MERGE"), whose chosen kind it remembers from one use to the next, then asks for
// the rest in the transfer or the merge dialog. The transfer runs through RunOnSelection as a
// command of commands/transfer_commands.h: an import or a merge is one step of Undo, recalculated
// and marked as a change; a failure keeps what the sheet held. The dialogs are created on first
// use and reused.
// State: the three file dialogs, the transfer and merge dialogs, the gauge's title.
#include <QApplication>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressBar>

#include "commands/transfer_commands.h"
#include "core/messages.h"
#include "files/settings.h"
#include "files/worksheet_file.h"
#include "platform/platform.h"
#include "ui/cp1252.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/merge_dialog.h"
#include "ui/qt_platform.h"
#include "ui/transfer_dialog.h"
#include "ui/worksheet_window.h"

namespace {

// A file name as the file system spells it. The engine opens names as given, byte for byte.
std::string FileSystemName(const QString& name) { return QFile::encodeName(name).toStdString(); }

// Text files are offered under the three names they usually carry.
const QString kTextPatterns = QStringLiteral("(*.prn *.PRN *.csv *.CSV *.txt *.TXT)");

// The extension a kind of export gives a name without one: ".wks", ".prn" or ".dbf", in capitals
// when the name is written in capitals.
QString WithExportExtension(const QString& name, TransferKind kind) {
  const QString base = QFileInfo(name).fileName();
  if (base.contains('.')) return name;
  const char* extension = ".prn";
  if (kind == TransferKind::kExportWorksheet) extension = ".wks";
  if (kind == TransferKind::kExportDbase) extension = ".dbf";
  const bool capitals = base.toUpper() == base && base.toLower() != base;
  const QString ending = QString::fromLatin1(extension);
  return name + (capitals ? ending.toUpper() : ending);
}

// The index of the chosen filter of `dialog`, from 0. The dialog names the filter by its caption
// alone, without the patterns.
int ChosenFilter(const QFileDialog* dialog) {
  const QString chosen = dialog->selectedNameFilter().trimmed();
  const QStringList filters = dialog->nameFilters();
  for (int i = 0; i < filters.size(); ++i) {
    const QString& filter = filters.at(i);
    if (filter.trimmed() == chosen || filter.left(filter.lastIndexOf(" (")).trimmed() == chosen) {
      return i;
    }
  }
  return 0;
}

QFileDialog* NewFileDialog(QWidget* parent, const QString& title, const char* objectName,
                           const QStringList& filters, const QString& acceptCaption,
                           bool save) {
  auto* dialog = new QFileDialog(parent, title);
  dialog->setObjectName(QLatin1String(objectName));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  // The export asks about replacing a file itself, once the kind's extension is on the name.
  if (save) dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setNameFilters(filters);
  dialog->setLabelText(QFileDialog::Accept, acceptCaption);
  QString folder = FromCp1252(Settings().loadDirectory);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::currentPath();
  dialog->setDirectory(folder);
  return dialog;
}

}  // namespace

QFileDialog* MainWindow::importFileDialog() {
  if (!importFileDialog_) {
    importFileDialog_ = NewFileDialog(
        this, QStringLiteral("TALLIVO IMPORT..."), "importFileDialog",
        {QStringLiteral("ASCII (Import as Text) ") + kTextPatterns,
         QStringLiteral("ASCII (Import as Values) ") + kTextPatterns,
         QStringLiteral("dBase (*.dbf) (*.dbf *.DBF)")},
        QStringLiteral("&Import"), false);
    connect(importFileDialog_, &QFileDialog::fileSelected, this, [this](const QString& name) {
      const TransferKind kind = TransferKind(ChosenFilter(importFileDialog_));
      OpenTransfer(kind, name);
    });
  }
  return importFileDialog_;
}

QFileDialog* MainWindow::exportFileDialog() {
  if (!exportFileDialog_) {
    exportFileDialog_ = NewFileDialog(
        this, QStringLiteral("TALLIVO EXPORT..."), "exportFileDialog",
        {QStringLiteral("Worksheet  (*.wks *.WKS)"),
         QStringLiteral("ASCII (Quoted Text) ") + kTextPatterns,
         QStringLiteral("ASCII (Comma Delimited Text) ") + kTextPatterns,
         QStringLiteral("dBase (*.dbf) (*.dbf *.DBF)")},
        QStringLiteral("&Export"), true);
    connect(exportFileDialog_, &QFileDialog::fileSelected, this, [this](const QString& name) {
      const TransferKind kind =
          TransferKind(int(TransferKind::kExportWorksheet) + ChosenFilter(exportFileDialog_));
      const QString completed = WithExportExtension(name, kind);
      if (QFileInfo::exists(completed) &&
          TheQtPlatform().Ask("TALLIVO EXPORT...",
                              ToCp1252(QFileInfo(completed).fileName() +
                                       QStringLiteral(" already exists.\nDo you want to replace it?")),
                              Buttons::kYesNo) != Answer::kYes) {
        return;
      }
      OpenTransfer(kind, completed);
    });
  }
  return exportFileDialog_;
}

QFileDialog* MainWindow::mergeFileDialog() {
  if (!mergeFileDialog_) {
    const QString patterns = QStringLiteral("(*.wks *.WKS *.wk1 *.WK1 *.wkb *.WKB)");
    mergeFileDialog_ = NewFileDialog(this, QStringLiteral(" MERGE"), "mergeFileDialog",
                                     {QStringLiteral("Worksheet (Merge Values) ") + patterns,
                                      QStringLiteral("Worksheet (Merge Formulas) ") + patterns},
                                     QStringLiteral("&Merge"), false);
    mergeFileDialog_->setDefaultSuffix(QStringLiteral("wks"));
    connect(mergeFileDialog_, &QFileDialog::fileSelected, this, [this](const QString& name) {
      OpenMerge(name, ChosenFilter(mergeFileDialog_) == 1);
    });
  }
  return mergeFileDialog_;
}

TransferDialog* MainWindow::transferDialog() {
  if (!transferDialog_) {
    transferDialog_ = new TransferDialog(this);
    transferDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                            std::function<void(const CellRange&)> done,
                                            std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(transferDialog_, &QDialog::accepted, this,
            [this] { RunTransfer(transferDialog_->request()); });
  }
  return transferDialog_;
}

MergeDialog* MainWindow::mergeDialog() {
  if (!mergeDialog_) {
    mergeDialog_ = new MergeDialog(this);
    connect(mergeDialog_, &QDialog::accepted, this, [this] { RunMerge(mergeDialog_->request()); });
  }
  return mergeDialog_;
}

void MainWindow::OpenTransfer(TransferKind kind, const QString& fileName) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  transferDialog()->Open(sheetWindow->slot(), kind, fileName, sheetWindow->activeGrid()->selection());
}

void MainWindow::OpenMerge(const QString& fileName, bool formulas) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  // The list offers the names the file defines, read before the dialog shows.
  std::vector<FileRangeName> names;
  if (!ReadWorksheetFileRangeNames(FileSystemName(fileName), &names)) {
    ShowError("Unable to Open File");
    return;
  }
  QStringList offered;
  for (const FileRangeName& n : names) offered << FromCp1252(n.name);
  mergeDialog()->Open(sheetWindow->slot(), fileName, formulas, offered,
                      sheetWindow->activeGrid()->selection());
}

void MainWindow::RunTransfer(const TransferDialog::Request& r) {
  const std::string file = FileSystemName(r.fileName);
  const CellRange range = r.range;
  ThePlatform().WaitCursor(true);
  RunOnSelection([&](const CellRange&) -> CommandResult {
    switch (r.kind) {
      case TransferKind::kImportText:
        return ImportTextFile(file, range.firstRow, range.firstColumn, TextImportMode::kLabels);
      case TransferKind::kImportValues:
        return ImportTextFile(file, range.firstRow, range.firstColumn, TextImportMode::kValues);
      case TransferKind::kImportDbase:
        return ImportDbaseFile(file, range.firstRow, range.firstColumn, r.records);
      case TransferKind::kExportWorksheet: return ExportWorksheetRange(file, range);
      case TransferKind::kExportQuoted: return ExportTextFile(file, range, TextExportMode::kQuoted);
      case TransferKind::kExportComma: return ExportTextFile(file, range, TextExportMode::kComma);
      case TransferKind::kExportDbase: return ExportDbaseFile(file, range);
    }
    return CommandResult{};
  });
  ThePlatform().Progress(-1);
  ThePlatform().WaitCursor(false);
}

void MainWindow::RunMerge(const MergeDialog::Request& r) {
  // A merge of one block names it on the gauge.
  SetProgressTitle(r.source.isEmpty() ? QString()
                                      : QStringLiteral("MERGE [ ") + r.source.left(20) +
                                            QStringLiteral(" ]"));
  ThePlatform().WaitCursor(true);
  ThePlatform().Progress(0);
  const std::string file = FileSystemName(r.fileName);
  const std::string source = ToCp1252(r.source);
  RunOnSelection([&](const CellRange&) {
    return MergeWorksheetFile(file, r.row, r.column, r.formulas, r.action, source);
  });
  ThePlatform().Progress(-1);
  ThePlatform().WaitCursor(false);
  SetProgressTitle(QString());
}

void MainWindow::SetProgressTitle(const QString& title) {
  progressTitle_ = title;
  if (!progressGauge_) return;
  if (title.isEmpty()) {
    progressGauge_->setFormat(QStringLiteral("%p%"));
    progressGauge_->setMaximumWidth(90);
  } else {
    const QString format = title + QStringLiteral(" %p%");
    progressGauge_->setFormat(format);
    progressGauge_->setMaximumWidth(
        std::max(90, progressGauge_->fontMetrics().horizontalAdvance(format + "100") + 24));
  }
}
