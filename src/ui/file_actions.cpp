// ui/file_actions.cpp — the main window's file commands: new, open, save, save as, close all,
// the file history and dropped files.
//
// State: the main window's history items and last folder; the program settings' history and
// load and save folders. Worksheets are opened, created and saved as under another name through
// the engine (commands/worksheet_files.h), which keeps each entry's never-saved and read-only
// flags.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>

#include "commands/worksheet_files.h"
#include "core/cell_store.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_scope.h"
#include "core/worksheets.h"
#include "files/settings.h"
#include "core/sheet_extras.h"
#include "files/worksheet_file.h"
#include "macros/macro_library.h"
#include "platform/platform.h"
#include "ui/cp1252.h"
#include "ui/entry_line.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/worksheet_window.h"

WorksheetWindow* MainWindow::NewSheet() {
  const int windows = int(clientArea_->subWindowList().size());
  if (windows >= kMaxChildWindows) {
    ThePlatform().Beep();
    return nullptr;
  }
  // The name counts windows, so it may repeat the name of an open sheet; the engine still gives
  // the new sheet an entry of its own.
  const SlotIndex slot = NewWorksheet("SHEET" + std::to_string(windows + 1) + ".WKS");
  if (!slot) return nullptr;
  WorksheetWindow* sheetWindow = WorksheetWindow::ShowWorksheet(clientArea_, slot, false);
  if (!sheetWindow) return nullptr;
  AdoptWindow(sheetWindow);
  return sheetWindow;
}

WorksheetWindow* MainWindow::OpenByName(const QString& name) {
  if (name.trimmed().isEmpty()) return nullptr;
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(name.trimmed())));
  const QFileInfo info(completed);
  if (!info.exists() || !info.isFile()) {
    ShowError("Invalid WKS File!");
    return nullptr;
  }
  const std::string absolute = ToCp1252(info.absoluteFilePath());
  const SlotIndex open = FindWorksheet(absolute);
  if (open && !Worksheet(open).linkedOnly) {
    bool shown = false;
    for (WorksheetWindow* w : WorksheetWindow::Windows()) {
      if (w->slot() != open) continue;
      shown = true;
      if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        clientArea_->setActiveSubWindow(sub);
        sub->raise();
      }
      break;
    }
    // The macro library is open without a window: a window now shows it, so that its macros can
    // be edited (the library keeps the entry when the window closes).
    if (!shown && open == MacroLibrary()) return ShowMacroLibrary(absolute);
    ThePlatform().Beep();
    return nullptr;
  }
  if (int(clientArea_->subWindowList().size()) >= kMaxChildWindows) {
    ThePlatform().Beep();
    return nullptr;
  }
  AddToHistory(absolute);
  FillHistory();
  lastFolder_ = info.absolutePath();
  ThePlatform().WaitCursor(true);
  const OpenedWorksheet opened = OpenWorksheetFile(absolute);
  ThePlatform().WaitCursor(false);
  // A file of which nothing could be read leaves no entry (the loader has said why).
  if (opened.slot == 0) {
    if (opened.status == OpenStatus::kMissing) ShowError("Invalid WKS File!");
    return nullptr;
  }
  WorksheetWindow* sheetWindow = WorksheetWindow::ShowWorksheet(clientArea_, opened.slot, false);
  if (!sheetWindow) return nullptr;
  sheetWindow->redraw();
  sheetWindow->applyLayout(ExtrasOf(sheetWindow->slot()).layout);
  AdoptWindow(sheetWindow);
  // A range named "AUTOEXEC" runs as a macro: at once in the autoexec worksheet, after the
  // question (No by default) in any other file, which may come from anywhere.
  if (RunMacroAt) {
    CellRange autoexec = NoRange();
    {
      SheetScope scope(sheetWindow->slot());
      if (const int index = LookupName("AUTOEXEC")) autoexec = NameRange(index);
    }
    const bool trusted = QFileInfo(name).absoluteFilePath().compare(
                             QFileInfo(autoexec_).absoluteFilePath(), Qt::CaseInsensitive) == 0;
    if (RangeIsValid(autoexec) &&
        (trusted || TheQtPlatform().AskNoByDefault(
                                 "TALLIVO", "Run the AUTOEXEC macro of " +
                                                ToCp1252(QFileInfo(name).fileName()) + "?") ==
                                 Answer::kYes)) {
      SheetScope scope(sheetWindow->slot());
      RunMacroAt(autoexec);
    }
  }
  return sheetWindow;
}

bool MainWindow::SaveActive() { return SaveWindow(activeSheetWindow()); }

bool MainWindow::SaveWindow(WorksheetWindow* sheetWindow) {
  if (!sheetWindow) return false;
  const SlotIndex slot = sheetWindow->slot();
  if (Worksheet(slot).neverSaved || Worksheet(slot).readOnly) return SaveAsDialog(sheetWindow);
  const std::string name = Worksheet(slot).fileName;
  WindowLayout& layout = ExtrasOf(slot).layout;
  sheetWindow->fillLayout(layout);
  ThePlatform().WaitCursor(true);
  const bool ok = SaveWorksheetFile(slot, name);
  ThePlatform().WaitCursor(false);
  if (ok) {
    AddToHistory(name);
    FillHistory();
  }
  SetMode(entryActive_ ? EntryMode(entryLine_->text()) : QStringLiteral("READY"));
  return ok;
}

bool MainWindow::SaveSheetAs(WorksheetWindow* sheetWindow, const QString& name) {
  if (!sheetWindow || name.trimmed().isEmpty()) return false;
  const SlotIndex slot = sheetWindow->slot();
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(name.trimmed())));
  const std::string absolute = ToCp1252(QFileInfo(completed).absoluteFilePath());
  // Another open sheet of that name would be confused with this one.
  const SlotIndex other = FindWorksheet(absolute);
  if (other != 0 && other != slot) {
    ShowError("Worksheet already open");
    return false;
  }
  sheetWindow->fillLayout(ExtrasOf(slot).layout);
  ThePlatform().WaitCursor(true);
  const bool ok = SaveWorksheetFile(slot, absolute);
  ThePlatform().WaitCursor(false);
  if (!ok) return false;
  const QString caption = FromCp1252(absolute);
  sheetWindow->setWindowTitle(caption);
  if (QWidget* sub = sheetWindow->parentWidget()) sub->setWindowTitle(caption);
  for (WorksheetWindow* w : WorksheetWindow::Windows()) {
    if (w->slot() == slot && w != sheetWindow) {
      w->setWindowTitle(caption);
      if (QWidget* s = w->parentWidget()) s->setWindowTitle(caption);
    }
  }
  Settings().saveDirectory = ToCp1252(QFileInfo(caption).absolutePath() + "/");
  lastFolder_ = QFileInfo(caption).absolutePath();
  AddToHistory(absolute);
  FillHistory();
  return true;
}

QString MainWindow::SaveAsFolder(const WorksheetWindow* sheetWindow) const {
  auto usable = [](const QString& dir) { return !dir.isEmpty() && QFileInfo(dir).isDir(); };
  if (sheetWindow && !Worksheet(sheetWindow->slot()).neverSaved) {
    const QString own = QFileInfo(FromCp1252(Worksheet(sheetWindow->slot()).fileName)).absolutePath();
    if (usable(own)) return own;
  }
  if (usable(lastFolder_)) return lastFolder_;
  const QString saved = FromCp1252(Settings().saveDirectory);
  return usable(saved) ? saved : QDir::currentPath();
}

bool MainWindow::SaveAsDialog(WorksheetWindow* sheetWindow) {
  if (!sheetWindow) return false;
  const SlotIndex slot = sheetWindow->slot();
  QFileDialog dialog(this, QStringLiteral("TALLIVO SAVE AS..."));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilter(QStringLiteral("Worksheets(*.WKS) (*.wks *.WKS *.Wks *.wk1 *.WK1 *.Wk1)"));
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Save As"));
  dialog.setDirectory(SaveAsFolder(sheetWindow));
  // The dialog offers the sheet's current name.
  dialog.selectFile(QFileInfo(FromCp1252(Worksheet(slot).fileName)).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  QString chosen = dialog.selectedFiles().first();
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(chosen)));
  if (completed != chosen && QFileInfo::exists(completed) &&
      QMessageBox::question(this, QStringLiteral("TALLIVO SAVE AS..."),
                            QFileInfo(completed).fileName() +
                                QStringLiteral(" already exists.\nDo you want to replace it?")) !=
          QMessageBox::Yes) {
    return false;
  }
  return SaveSheetAs(sheetWindow, completed);
}

void MainWindow::OpenDialog() {
  QFileDialog dialog(this, QStringLiteral("TALLIVO OPEN"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(
      {QStringLiteral("Worksheets (*.wks,*.wk1) (*.wks *.WKS *.Wks *.wk1 *.WK1 *.Wk1)"),
       QStringLiteral("Backups (*.wkb) (*.wkb *.WKB *.Wkb)"), QStringLiteral("All Files (*)")});
  dialog.setDefaultSuffix(QStringLiteral("wks"));
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Open"));
  QString dir = FromCp1252(Settings().loadDirectory);
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QDir::currentPath();
  dialog.setDirectory(dir);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString chosen = dialog.selectedFiles().first();
  Settings().loadDirectory = ToCp1252(QFileInfo(chosen).absolutePath() + "/");
  OpenByName(chosen);
}

bool MainWindow::CloseAll() {
  if (entryActive_) CancelEntry();
  auto list = clientArea_->subWindowList(QMdiArea::CreationOrder);
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    QMdiSubWindow* sub = *it;
    if (!sub->close()) return false;
  }
  QApplication::processEvents();
  if (clientArea_->subWindowList().isEmpty()) NoSheetState();
  return clientArea_->subWindowList().isEmpty();
}

void MainWindow::FillHistory() {
  const auto& history = Settings().history;
  const int count = int(history.size());
  // Newest first, numbered from the history count downwards.
  for (int i = 0; i < kMaxHistory; ++i) {
    QAction* a = historyItems_[size_t(i)];
    if (i < count) {
      const QString file = FromCp1252(history[size_t(count - 1 - i)]);
      a->setText(QStringLiteral("&%1 %2").arg(count - i).arg(file));
      a->setData(file);
      a->setVisible(true);
    } else {
      a->setVisible(false);
    }
  }
  moreMenu_->menuAction()->setVisible(count > 5);
  historySeparator_->setVisible(count > 0);
}

QStringList MainWindow::historyCaptions() const {
  QStringList out;
  for (QAction* a : historyItems_)
    if (a->isVisible()) out << a->text();
  return out;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  OpenDroppedFiles(event->mimeData()->urls());
}

void MainWindow::OpenDroppedFiles(const QList<QUrl>& urls) {
  QStringList files;
  for (const QUrl& url : urls) {
    if (url.isLocalFile() && !files.contains(url.toLocalFile())) files << url.toLocalFile();
  }
  for (const QString& f : files) OpenByName(f);
}

bool MainWindow::neverSaved(const WorksheetWindow* sheetWindow) const {
  return sheetWindow && Worksheet(sheetWindow->slot()).neverSaved;
}

bool MainWindow::readOnly(const WorksheetWindow* sheetWindow) const {
  return sheetWindow && Worksheet(sheetWindow->slot()).readOnly;
}
