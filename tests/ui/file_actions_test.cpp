// Qt Test: the main window's file commands — save, close and open, the history, the command
// line, damaged and missing files, dropped files, new sheets and the close question.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/password.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "files/settings.h"
#include "core/sheet_extras.h"
#include "formula/recalc.h"
#include "ui/function_list_dialog.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/password_dialog.h"
#include "ui/qt_platform.h"
#include "ui/range_prompt.h"
#include "ui/worksheet_window.h"
#include "main_window_fixture.h"

class FileActionsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void saveCloseOpenRoundTripAndHistory() {
    MainWindow& f = Start();
    QTest::keyClicks(Grid(), "42");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(f.neverSaved(f.activeSheetWindow()));
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("budget")));
    QVERIFY(QFile::exists(Path("budget.wks")));
    QVERIFY(!f.neverSaved(f.activeSheetWindow()));
    QCOMPARE(f.activeSheetWindow()->windowTitle(), Path("budget.wks"));
    QVERIFY(f.CloseAll());
    QCOMPARE(f.mode(), QString("Empty"));
    QVERIFY(!f.action(Cmd::kSave)->isEnabled());

    WorksheetWindow* sheetWindow = f.OpenByName(Path("budget"));
    QVERIFY(sheetWindow != nullptr);
    QCOMPARE(NumberAt(sheetWindow->slot(), 0, 0), 42.0);
    QCOMPARE(f.mode(), QString("READY"));
    // The same file again: its window comes forward with a beep, nothing is read.
    const int beeps = TheQtPlatform().beeps;
    QVERIFY(f.OpenByName(Path("budget.wks")) == nullptr);
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QCOMPARE(f.clientArea()->subWindowList().size(), 1);
    QCOMPARE(Settings().history.size(), size_t(1));
    QCOMPARE(f.historyCaptions(), QStringList{"&1 " + Path("budget.wks")});

    // Save under the same name after a change, then a second file: newest first.
    Grid()->moveTo(1, 0);
    QTest::keyClicks(Grid(), "7");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(f.SaveActive());
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("other.wks")));
    QCOMPARE(f.historyCaptions(),
             (QStringList{"&2 " + Path("other.wks"), "&1 " + Path("budget.wks")}));
    QVERIFY(f.CloseAll());
    sheetWindow = f.OpenByName(Path("budget.wks"));
    QVERIFY(sheetWindow != nullptr);
    QCOMPARE(NumberAt(sheetWindow->slot(), 1, 0), 7.0);
    QCOMPARE(f.historyCaptions().first(), "&2 " + Path("budget.wks"));
  }

  void autoexecCommandLineAndOptions() {
    // A worksheet AUTOEXEC.WKS in the program directory opens at start.
    {
      MainWindow& f = Start(false);
      f.NewSheet();
      QTest::keyClicks(Grid(), "1");
      QTest::keyClick(f.entryLine(), Qt::Key_Return);
      QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("AUTOEXEC.WKS")));
      QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("given.wks")));
    }
    MainWindow& f = Start(false);
    QCOMPARE(f.clientArea()->subWindowList().size(), 1);
    QCOMPARE(f.activeSheetWindow()->windowTitle(), Path("AUTOEXEC.WKS"));
    // A file named on the command line replaces it; an option is no file name.
    MainWindow& g = Start(false, {Path("given.wks"), "/RA"});
    QCOMPARE(g.clientArea()->subWindowList().size(), 1);
    QCOMPARE(g.activeSheetWindow()->windowTitle(), Path("given.wks"));
    QFile::remove(Path("AUTOEXEC.WKS"));
    MainWindow& h = Start(true, {"/RA"});
    QCOMPARE(h.clientArea()->subWindowList().size(), 1);
    QCOMPARE(h.activeSheetWindow()->windowTitle(), QString("SHEET1.WKS"));
    QVERIFY(messages_.isEmpty());
    // A missing file named on the command line is reported.
    MainWindow& k = Start(false, {Path("missing.wks")});
    QVERIFY(k.clientArea()->subWindowList().isEmpty());
    QCOMPARE(messages_, QStringList{"Error: Invalid WKS File!"});
  }

  void optionsAreToldApartFromAbsolutePaths() {
    struct Case {
      int line;
      QString argument;
      bool option;
    };
    const Case kCases[] = {{__LINE__, "/RA", true},
                           {__LINE__, "/ra", true},
                           {__LINE__, "/tmp/budget.wks", false},
                           {__LINE__, "budget.wks", false},
                           {__LINE__, "/", false},
                           {__LINE__, "/tmp", false}};
    for (const Case& c : kCases) {
      QVERIFY2(IsCommandLineOption(c.argument) == c.option,
               qPrintable(QString("line %1").arg(c.line)));
    }
  }

  void historyBeyondFiveGoesToMore() {
    MainWindow& f = Start(false, {}, "[Files]\nHSIZE=10\n");
    for (int i = 1; i <= 7; ++i) {
      f.NewSheet();
      QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path(QString("h%1.wks").arg(i))));
    }
    const QStringList captions = f.historyCaptions();
    QCOMPARE(captions.size(), 7);
    QCOMPARE(captions.first(), "&7 " + Path("h7.wks"));
    QCOMPARE(captions.last(), "&1 " + Path("h1.wks"));
    auto* more = f.findChild<QMenu*>("moreHistoryMenu");
    QVERIFY(more && more->menuAction()->isVisible());
    int inMore = 0;
    for (QAction* a : more->actions()) inMore += a->isVisible();
    QCOMPARE(inMore, 2);
    // Choosing a history item opens that file.
    QVERIFY(f.CloseAll());
    for (QAction* a : more->actions()) {
      if (a->isVisible() && a->text().endsWith("h1.wks")) a->trigger();
    }
    QCOMPARE(f.clientArea()->subWindowList().size(), 1);
    QCOMPARE(f.activeSheetWindow()->windowTitle(), Path("h1.wks"));
  }

  void missingFileIsReported() {
    MainWindow& f = Start(false);
    QVERIFY(f.OpenByName(Path("nothere.wks")) == nullptr);
    QCOMPARE(messages_, QStringList{"Error: Invalid WKS File!"});
    QVERIFY(f.clientArea()->subWindowList().isEmpty());
    QVERIFY(Settings().history.empty());
  }

  void damagedFilesNeverGetOverwritten() {
    MainWindow& f = Start(false);
    QFile bad(Path("bad.wks"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a worksheet at all");
    bad.close();
    WorksheetWindow* sheetWindow = f.OpenByName(Path("bad.wks"));
    QVERIFY(!messages_.isEmpty());
    // Nothing readable: no window that a Save could write over the file with.
    QVERIFY(sheetWindow == nullptr);
    QVERIFY(f.clientArea()->subWindowList().isEmpty());

    // A file cut short keeps what was read, read-only, so Save asks for another name.
    f.NewSheet();
    for (int row = 0; row < 40; ++row) {
      Grid()->moveTo(row, 0);
      QTest::keyClicks(Grid(), QString::number(row + 1));
      QTest::keyClick(f.entryLine(), Qt::Key_Return);
    }
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("cut.wks")));
    QVERIFY(f.CloseAll());
    QFile cut(Path("cut.wks"));
    QVERIFY(cut.open(QIODevice::ReadWrite));
    QVERIFY(cut.resize(cut.size() / 2));
    cut.close();
    messages_.clear();
    sheetWindow = f.OpenByName(Path("cut.wks"));
    QVERIFY(sheetWindow != nullptr);
    QVERIFY(!messages_.isEmpty());
    QVERIFY(f.readOnly(sheetWindow));
    QCOMPARE(NumberAt(sheetWindow->slot(), 0, 0), 1.0);
    QVERIFY(!f.readOnly(f.NewSheet()));
  }

  // A file that an external reference has loaded is no window's yet: opening it shows it (it
  // used to beep as if a window showed it already, and open nothing).
  void openingAFileLoadedByAReferenceShowsIt() {
    MainWindow& f = Start(false);
    f.NewSheet();
    QTest::keyClicks(Grid(), "42");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("source")));
    QVERIFY(f.CloseAll());
    const SlotIndex main = f.NewSheet()->slot();
    QVERIFY(EnterIntoCell(0, 0, ("+[" + Path("source.wks") + "]A1*2").toStdString()).Done());
    QCOMPARE(NumberAt(main, 0, 0), 84.0);
    const SlotIndex linked = FindWorksheet(Path("source.wks").toStdString());
    QVERIFY(linked != 0);
    QVERIFY(Worksheet(linked).linkedOnly);
    const int beeps = TheQtPlatform().beeps;
    WorksheetWindow* shown = f.OpenByName(Path("source.wks"));
    QVERIFY(shown != nullptr);
    QCOMPARE(shown->slot(), linked);
    QVERIFY(!Worksheet(linked).linkedOnly);
    QCOMPARE(TheQtPlatform().beeps, beeps);
    QCOMPARE(NumberAt(linked, 0, 0), 42.0);
    QCOMPARE(f.clientArea()->subWindowList().size(), 2);
  }

  void droppedFilesOpenEachOnce() {
    MainWindow& f = Start(false);
    for (const char* name : {"a.wks", "b.wks"}) {
      f.NewSheet();
      QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path(name)));
    }
    QVERIFY(f.CloseAll());
    f.OpenDroppedFiles({QUrl::fromLocalFile(Path("a.wks")), QUrl::fromLocalFile(Path("b.wks")),
                        QUrl::fromLocalFile(Path("a.wks"))});
    QCOMPARE(messages_, QStringList{});
    QCOMPARE(f.clientArea()->subWindowList().size(), 2);
    // Dropping an open file brings it forward with a beep.
    const int beeps = TheQtPlatform().beeps;
    f.OpenDroppedFiles({QUrl::fromLocalFile(Path("a.wks"))});
    QCOMPARE(f.clientArea()->subWindowList().size(), 2);
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QCOMPARE(f.activeSheetWindow()->windowTitle(), Path("a.wks"));
  }

  void newSheetNamesCountWindowsButStaySeparate() {
    MainWindow& f = Start(false);
    WorksheetWindow* one = f.NewSheet();
    WorksheetWindow* two = f.NewSheet();
    QCOMPARE(one->windowTitle(), QString("SHEET1.WKS"));
    QCOMPARE(two->windowTitle(), QString("SHEET2.WKS"));
    qobject_cast<QMdiSubWindow*>(one->parentWidget())->close();
    QApplication::processEvents();
    WorksheetWindow* three = f.NewSheet();
    QCOMPARE(three->windowTitle(), QString("SHEET2.WKS"));
    QVERIFY(three->slot() != two->slot());
    QVERIFY(f.neverSaved(three));
    QCOMPARE(QString::fromStdString(Worksheet(two->slot()).fileName), QString("SHEET2.WKS"));
    QCOMPARE(QString::fromStdString(Worksheet(three->slot()).fileName), QString("SHEET2.WKS"));
  }

  void closeQuestionSavesUnderTheNameGiven() {
    MainWindow& f = Start(false);
    f.NewSheet();
    QTest::keyClicks(Grid(), "1");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("named.wks")));
    QTest::keyClicks(Grid(), "2");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    // Yes to "Save Worksheet?" writes the file under its new name without a dialog.
    TheQtPlatform().scriptedAnswers = {Answer::kYes};
    QVERIFY(f.CloseAll());
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.first().startsWith(" Save Worksheet"));
    WorksheetWindow* sheetWindow = f.OpenByName(Path("named.wks"));
    QVERIFY(sheetWindow);
    QCOMPARE(NumberAt(sheetWindow->slot(), 0, 0), 2.0);
  }

  // Save As opens in the folder of the sheet's own file; a sheet never saved opens in the last
  // folder a worksheet was opened from or saved to.
  void saveAsOpensInTheSheetsFolder() {
    MainWindow& f = Start();
    QVERIFY(QDir(home_.path()).mkpath("books"));
    QVERIFY(QDir(home_.path()).mkpath("letters"));
    auto folderOfDialog = [&f] {
      QString shown;
      QTimer::singleShot(0, [&shown] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
          shown = d->directory().absolutePath();
          d->reject();
        }
      });
      f.Run(Cmd::kSaveAs);
      return shown;
    };
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("books/ledger.wks")));
    QVERIFY(f.SaveSheetAs(f.NewSheet(), Path("letters/note.wks")));
    QVERIFY(f.OpenByName(Path("books/ledger.wks")) == nullptr);  // brought forward
    QCOMPARE(folderOfDialog(), Path("books"));
    // Never saved: the folder last used (the note was saved in "letters").
    QVERIFY(f.NewSheet() != nullptr);
    QCOMPARE(folderOfDialog(), Path("letters"));
    // Opening a worksheet makes its folder the last one used.
    QVERIFY(f.CloseAll());
    QVERIFY(f.OpenByName(Path("books/ledger.wks")) != nullptr);
    QVERIFY(f.NewSheet() != nullptr);
    QCOMPARE(folderOfDialog(), Path("books"));
  }

  // File > Close shows the remaining window's cell, and after the last one an empty entry line.
  void closeShowsWhatRemains() {
    MainWindow& f = Start();
    QTest::keyClicks(Grid(), "11");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(f.NewSheet() != nullptr);
    QTest::keyClicks(Grid(), "22");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(f.entryLine()->text(), QString("22"));
    TheQtPlatform().scriptedAnswers.assign(5, Answer::kNo);
    f.action(Cmd::kClose)->trigger();
    QApplication::processEvents();
    QCOMPARE(f.clientArea()->subWindowList().size(), 1);
    QCOMPARE(f.entryLine()->text(), QString("11"));
    f.action(Cmd::kClose)->trigger();
    QApplication::processEvents();
    QCOMPARE(f.mode(), QString("Empty"));
    QCOMPARE(f.entryLine()->text(), QString());
    QVERIFY(!f.action(Cmd::kSave)->isEnabled());
  }
};

int main(int argc, char** argv) {
  // Test discovery may run this program outside ctest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  FileActionsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "file_actions_test.moc"
