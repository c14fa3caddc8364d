// Qt Test: the main frame as a user drives it — entry, pointing, files, history, dropped files,
// the enabled state of commands, the range prompt, the function list and the password dialog.
#include <QAction>
#include <QComboBox>
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

#include "app/engine_startup.h"
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
#include "files/sheet_extras.h"
#include "formula/recalc.h"
#include "ui/function_list_dialog.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/password_dialog.h"
#include "ui/qt_platform.h"
#include "ui/range_prompt.h"
#include "ui/worksheet_window.h"

namespace {

double NumberAt(SlotIndex slot, int row, int column) {
  SheetScope scope(slot);
  const CellHandle h = GetCell(uint32_t(row), uint32_t(column));
  return h ? CellNumber(CellAt(h)) : -1e300;
}

uint8_t KindAt(SlotIndex slot, int row, int column) {
  SheetScope scope(slot);
  return KindOf(GetCell(uint32_t(row), uint32_t(column)));
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList messages_;
  std::unique_ptr<MainWindow> frame_;

  // A fresh engine and a started frame on a temporary program directory; `preOpen` decides
  // whether the frame opens an empty sheet when shown.
  MainWindow& Start(bool preOpen = true, const QStringList& arguments = {},
                const QByteArray& settings = {}) {
    frame_.reset();
    ResetWorksheets();
    ResetAllExtras();
    PoolReset();
    ResetAddressState();
    ResetCellStore();
    ResetRecalcState();
    messages_.clear();
    qputenv("TALLIVO_HOME", home_.path().toLocal8Bit());
    QFile::remove(home_.filePath("TALLIVO.INI"));
    if (!preOpen || !settings.isEmpty()) {
      QFile ini(home_.filePath("TALLIVO.INI"));
      if (!ini.open(QIODevice::WriteOnly)) qFatal("cannot write the settings file");
      ini.write(preOpen ? "\n" : "\n[Flags]\nPREOPEN=FALSE\n");
      ini.write(settings);
    }
    frame_ = std::make_unique<MainWindow>();
    QtPlatform& p = TheQtPlatform();
    p.scriptedMessages = [this](const QString& m) { messages_ << m; };
    p.scriptedAnswers.clear();
    p.beeps = 0;
    frame_->Startup("/nonexistent/tallivo", arguments);
    frame_->show();
    return *frame_;
  }

  GridPane* Grid() { return frame_->activeSheetWindow()->activeGrid(); }
  SlotIndex Slot() { return frame_->activeSheetWindow()->slot(); }

  QString Path(const QString& name) { return home_.filePath(name); }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() {
    if (frame_) {
      TheQtPlatform().scriptedAnswers.assign(20, Answer::kNo);
      frame_->close();
    }
    frame_.reset();
  }

  void typedEntriesGoToTheCellsAndTheModeFollows() {
    MainWindow& f = Start();
    QVERIFY(f.activeSheetWindow() != nullptr);
    QCOMPARE(f.mode(), QString("READY"));
    QTest::keyClick(Grid(), '1');
    QCOMPARE(f.mode(), QString("VALUE"));
    QTest::keyClicks(f.entryLine(), "23");
    QCOMPARE(f.entryLine()->text(), QString("123"));
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(f.mode(), QString("READY"));
    QCOMPARE(NumberAt(Slot(), 0, 0), 123.0);
    // Enter leaves the cursor on the cell; Down moves it.
    QCOMPARE(Grid()->cursorRow(), 0);
    QTest::keyClick(Grid(), Qt::Key_Down);
    QTest::keyClick(Grid(), '+');
    QCOMPARE(f.mode(), QString("VALUE"));
    QTest::keyClicks(f.entryLine(), "A1*2");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(NumberAt(Slot(), 1, 0), 246.0);
    QVERIFY(KindIsFormula(KindAt(Slot(), 1, 0)));
    // A label, committed by an arrow key, which then moves the cursor.
    QTest::keyClick(Grid(), Qt::Key_Down);
    QTest::keyClick(Grid(), 'R');
    QCOMPARE(f.mode(), QString("LABEL"));
    QTest::keyClicks(f.entryLine(), "ent");
    QTest::keyClick(f.entryLine(), Qt::Key_Right);
    QVERIFY(KindIsLabel(KindAt(Slot(), 2, 0)));
    QCOMPARE(KindAt(Slot(), 1, 0) & kKindMask, uint8_t(CellKind::kFormula));
    QCOMPARE(Grid()->cursorRow(), 2);
    QCOMPARE(Grid()->cursorColumn(), 1);
    // The entry line shows the content of the cell under the cursor.
    Grid()->moveTo(1, 0);
    QCOMPARE(f.entryLine()->text(), QString("+A1*2"));
    // The dependent follows a change of its precedent.
    Grid()->moveTo(0, 0);
    QTest::keyClicks(Grid(), "5");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(NumberAt(Slot(), 1, 0), 10.0);
    // Esc drops an entry and shows the cell again.
    QTest::keyClick(Grid(), '9');
    QTest::keyClick(f.entryLine(), Qt::Key_Escape);
    QCOMPARE(f.mode(), QString("READY"));
    QCOMPARE(NumberAt(Slot(), 0, 0), 5.0);
    QCOMPARE(f.entryLine()->text(), QString("5"));
  }

  void labelEntryStoresTheLabelAndUndoRestores() {
    MainWindow& f = Start();
    QTest::keyClicks(Grid(), "R");
    QTest::keyClicks(f.entryLine(), "ent");
    QTest::keyClick(f.entryLine(), Qt::Key_Down);
    QVERIFY(KindIsLabel(KindAt(Slot(), 0, 0)));
    QCOMPARE(Grid()->cursorRow(), 1);
    f.action(Cmd::kUndo)->trigger();
    QCOMPARE(KindAt(Slot(), 0, 0), kMissingKind);
  }

  void tabCommitsTheEntryAndKeepsTypingInTheSheet() {
    MainWindow& f = Start();
    QTest::keyClick(Grid(), '8');
    QTest::keyClick(f.entryLine(), Qt::Key_Tab);
    QCOMPARE(NumberAt(Slot(), 0, 0), 8.0);
    QCOMPARE(f.mode(), QString("READY"));
    QVERIFY(Grid()->cursorColumn() > 0);
    // The next characters start the next entry at the new cell.
    const int column = Grid()->cursorColumn();
    QTest::keyClick(Grid(), '9');
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(NumberAt(Slot(), 0, column), 9.0);
  }

  void pointingAndAbsoluteMarkersBuildReferences() {
    MainWindow& f = Start();
    Grid()->moveTo(2, 2);  // C3
    QTest::keyClick(Grid(), '+');
    QTest::keyClick(f.entryLine(), Qt::Key_Up);
    QCOMPARE(f.mode(), QString("POINT"));
    QCOMPARE(f.entryLine()->text(), QString("+C2"));
    QTest::keyClick(f.entryLine(), Qt::Key_Left);
    QCOMPARE(f.entryLine()->text(), QString("+B2"));
    struct Case {
      int line;
      const char* text;
    };
    const Case kCycle[] = {{__LINE__, "+$B$2"}, {__LINE__, "+B$2"}, {__LINE__, "+$B2"},
                           {__LINE__, "+B2"},   {__LINE__, "+$B$2"}};
    for (const Case& c : kCycle) {
      QTest::keyClick(f.entryLine(), Qt::Key_F4);
      QVERIFY2(f.entryLine()->text() == c.text, qPrintable(QString("line %1").arg(c.line)));
    }
    // Typing an operator ends pointing; the next arrow points again from the entry cell.
    QTest::keyClicks(f.entryLine(), "*");
    QCOMPARE(f.mode(), QString("VALUE"));
    QTest::keyClick(f.entryLine(), Qt::Key_Down);
    QCOMPARE(f.entryLine()->text(), QString("+$B$2*C4"));
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(Grid()->cursorRow(), 2);
    QCOMPARE(Grid()->cursorColumn(), 2);
    QVERIFY(KindIsFormula(KindAt(Slot(), 2, 2)));
  }

  void pointedRangeAndAFormulaThatDoesNotCompile() {
    MainWindow& f = Start();
    Grid()->moveTo(6, 1);  // B7
    QTest::keyClicks(Grid(), "@");
    QTest::keyClicks(f.entryLine(), "SUM(");
    QTest::keyClick(f.entryLine(), Qt::Key_Up);
    QTest::keyClicks(f.entryLine(), ".");
    QTest::keyClick(f.entryLine(), Qt::Key_Up);
    QTest::keyClick(f.entryLine(), Qt::Key_Up);
    QCOMPARE(f.entryLine()->text(), QString("@SUM(B4..B6"));
    QTest::keyClicks(f.entryLine(), ")");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(KindIsFormula(KindAt(Slot(), 6, 1)));
    QCOMPARE(Grid()->cursorRow(), 6);
    // A formula that does not compile is reported and stays on the entry line to be corrected.
    Grid()->moveTo(7, 1);
    QTest::keyClicks(Grid(), "+");
    QTest::keyClicks(f.entryLine(), "B7*(2");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.first().startsWith("Error:"));
    QVERIFY(f.entryActive());
    QCOMPARE(f.mode(), QString("EDIT"));
    QCOMPARE(f.entryLine()->text(), QString("+B7*(2"));
    QTest::keyClicks(f.entryLine(), ")");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(!f.entryActive());
    QVERIFY(KindIsFormula(KindAt(Slot(), 7, 1)));
  }

  void aClickPointsAtTheCellWhileAReferenceCanFollow() {
    MainWindow& f = Start();
    Grid()->moveTo(0, 0);
    QTest::keyClick(Grid(), '+');
    // The middle of cell C4.
    QPoint at;
    for (const GridPane::Span& s : Grid()->columnSpans())
      if (s.index == 2) at.setX(s.pos + s.size / 2);
    at.setY(Grid()->rowRect(3).center().y());
    QTest::mouseClick(Grid(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(f.mode(), QString("POINT"));
    QCOMPARE(f.entryLine()->text(), QString("+C4"));
    QTest::keyClicks(Grid(), "*2");
    QCOMPARE(f.entryLine()->text(), QString("+C4*2"));
    QTest::keyClick(Grid(), Qt::Key_Return);
    QVERIFY(!f.entryActive());
    QVERIFY(KindIsFormula(KindAt(Slot(), 0, 0)));
    QCOMPARE(Grid()->cursorRow(), 0);
    QCOMPARE(Grid()->cursorColumn(), 0);
  }

  void f9TurnsTheFormulaBeingTypedIntoItsValue() {
    MainWindow& f = Start();
    QTest::keyClicks(Grid(), "(");
    QTest::keyClicks(f.entryLine(), "2+3)*4");
    QTest::keyClick(f.entryLine(), Qt::Key_F9);
    QCOMPARE(f.entryLine()->text(), QString("20"));
  }

  void functionListInsertsTheChosenFunction() {
    MainWindow& f = Start();
    QTest::keyClick(Grid(), '@');
    QTest::keyClick(f.entryLine(), Qt::Key_F1);
    FunctionListDialog* list = f.functionList();
    QVERIFY(list->isVisible());
    QVERIFY(list->items().contains("NOT(1)"));
    QTest::keyClicks(list->editBox(), "pm");
    QVERIFY(list->listBox()->currentItem()->text().startsWith("PMT("));
    QTest::keyClick(list->editBox(), Qt::Key_Return);
    QVERIFY(!list->isVisible());
    QCOMPARE(f.entryLine()->text(), QString("@PMT("));
    QCOMPARE(FunctionListDialog::InsertText("PI"), QString("PI"));
    QCOMPARE(FunctionListDialog::InsertText("CHOOSE( var )"), QString("CHOOSE("));
  }

  void quickButtonsForSumFunctionsAndAlignment() {
    MainWindow& f = Start();
    for (int row = 1; row <= 3; ++row) {
      Grid()->moveTo(row, 1);
      QTest::keyClicks(Grid(), QString::number(row * 10));
      QTest::keyClick(f.entryLine(), Qt::Key_Return);
    }
    Grid()->selectRange(MakeRange(1, 1, 1, 3));  // B2..B4
    f.button("speedSumButton")->click();
    QCOMPARE(f.entryLine()->text(), QString("@sum(B2..B4)"));
    QCOMPARE(f.mode(), QString("VALUE"));
    QTest::keyClick(f.entryLine(), Qt::Key_Escape);
    Grid()->moveTo(6, 1);
    f.button("functionPickButton")->click();
    QVERIFY(f.functionList()->isVisible());
    QCOMPARE(f.entryLine()->text(), QString("@"));
    f.functionList()->hide();
    QTest::keyClick(f.entryLine(), Qt::Key_Escape);
    // The alignment buttons set the alignment code of the selection's cells.
    Grid()->selectRange(MakeRange(1, 1, 1, 2));
    f.button("alignCentreButton")->click();
    SheetScope scope(Slot());
    QCOMPARE((CellAt(GetCell(1, 1))->style >> 4) & 7, 3);
    QCOMPARE((CellAt(GetCell(2, 1))->style >> 4) & 7, 3);
    QCOMPARE((CellAt(GetCell(3, 1))->style >> 4) & 7, 0);
  }

  void tipsNeedTheTipsFile() {
    MainWindow& f = Start(false);
    QVERIFY(!f.action(Cmd::kTips)->isEnabled());
    QFile tips(Path("TALLIVO.TPS"));
    QVERIFY(tips.open(QIODevice::WriteOnly));
    tips.write("1\np 1\nPress F1 for help.\n");
    tips.close();
    f.UpdateMenuState();
    QVERIFY(f.action(Cmd::kTips)->isEnabled());
    QFile::remove(Path("TALLIVO.TPS"));
  }

  void gotoPromptMovesToACellOrAName() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      DefineName("TOTAL", MakeRange(3, 9, 3, 9));  // D10
    }
    f.GotoPrompt();
    QCOMPARE(f.mode(), QString("RANGE"));
    QVERIFY(f.rangePrompt()->isOpen());
    QCOMPARE(f.rangePrompt()->caption(), QString("GOTO: Specify Cell"));
    QCOMPARE(f.rangePrompt()->text(), QString("A1"));
    // The prompt text follows the selection.
    Grid()->moveTo(4, 1);
    QCOMPARE(f.rangePrompt()->text(), QString("B5"));
    f.rangePrompt()->setText("total");
    QVERIFY(f.rangePrompt()->Accept());
    QCOMPARE(Grid()->cursorRow(), 9);
    QCOMPARE(Grid()->cursorColumn(), 3);
    QCOMPARE(f.mode(), QString("READY"));
    // An unreadable text keeps the prompt open with a beep; Esc on one cell cancels.
    f.GotoPrompt();
    f.rangePrompt()->setText("no such");
    QVERIFY(!f.rangePrompt()->Accept());
    QVERIFY(f.rangePrompt()->isOpen());
    QTest::keyClick(Grid(), Qt::Key_Escape);
    QVERIFY(!f.rangePrompt()->isOpen());
  }

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

  void charactersTypedInThePaneGoToAnOpenPrompt() {
    MainWindow& f = Start();
    f.GotoPrompt();
    QTest::keyClicks(Grid(), "c");
    QCOMPARE(f.rangePrompt()->text(), QString("c"));
    // Keys reach the prompt's combo box, which hands them to its line.
    auto* line = f.rangePrompt()->findChild<QComboBox*>();
    QTest::keyClicks(line, "12");
    QCOMPARE(f.rangePrompt()->text(), QString("c12"));
    QTest::keyClick(line, Qt::Key_Return);
    QVERIFY(!f.rangePrompt()->isOpen());
    QCOMPARE(Grid()->cursorRow(), 11);
    QCOMPARE(Grid()->cursorColumn(), 2);
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

  void unbuiltCommandsAreDisabledAndSheetCommandsNeedASheet() {
    MainWindow& f = Start(false);
    struct Case {
      int line;
      Cmd cmd;
      bool withoutSheet;
      bool withSheet;
    };
    const Case kCases[] = {
        {__LINE__, Cmd::kNew, true, true},       {__LINE__, Cmd::kOpen, true, true},
        {__LINE__, Cmd::kSave, false, true},     {__LINE__, Cmd::kSaveAs, false, true},
        {__LINE__, Cmd::kClose, false, true},    {__LINE__, Cmd::kUndo, false, true},
        {__LINE__, Cmd::kHelp, true, true},      {__LINE__, Cmd::kPrint, false, false},
        {__LINE__, Cmd::kMerge, false, false},   {__LINE__, Cmd::kImport, false, false},
        {__LINE__, Cmd::kExport, false, false},  {__LINE__, Cmd::kCut, false, false},
        {__LINE__, Cmd::kPaste, false, false},   {__LINE__, Cmd::kFind, false, false},
        {__LINE__, Cmd::kData, false, false},    {__LINE__, Cmd::kArray, false, false},
        {__LINE__, Cmd::kGraph, false, false},   {__LINE__, Cmd::kMacroStep, false, false},
        {__LINE__, Cmd::kCopyCells, false, false}, {__LINE__, Cmd::kNewView, false, true},
        {__LINE__, Cmd::kTips, false, false},
    };
    for (bool sheet : {false, true}) {
      if (sheet) f.NewSheet();
      for (const Case& c : kCases) {
        QAction* a = f.action(c.cmd);
        QVERIFY2(a, qPrintable(QString("line %1").arg(c.line)));
        QVERIFY2(a->isEnabled() == (sheet ? c.withSheet : c.withoutSheet),
                 qPrintable(QString("line %1, sheet %2").arg(c.line).arg(sheet)));
      }
    }
    QVERIFY(!f.button("printButton")->isEnabled());
    QVERIFY(!f.button("stopMacroButton")->isEnabled());
    QVERIFY(f.button("protectionButton")->isEnabled());
    // The graph items carry the page tags of their dialog.
    QCOMPARE(f.action(Cmd::kGraph, 8)->text(), QString("&Legends..."));
    QCOMPARE(f.action(Cmd::kGeneral, 9)->text(), QString("&Grid"));
    QCOMPARE(f.action(Cmd::kNew)->statusTip(), QString("Create New Worksheet"));
    QCOMPARE(f.action(Cmd::kOpen)->statusTip(), QString("Load Selected Worksheet"));
  }

  void longOperationsShowWaitAndTheGauge() {
    MainWindow& f = Start();
    QCOMPARE(&ThePlatform(), static_cast<Platform*>(&TheQtPlatform()));
    ThePlatform().WaitCursor(true);
    ThePlatform().WaitCursor(true);
    QCOMPARE(f.mode(), QString(" WAIT! "));
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ThePlatform().WaitCursor(false);
    QCOMPARE(f.mode(), QString(" WAIT! "));
    ThePlatform().WaitCursor(false);
    QCOMPARE(f.mode(), QString("READY"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    auto* gauge = f.findChild<QProgressBar*>("progressGauge");
    QVERIFY(gauge->isHidden());
    ThePlatform().Progress(40);
    QVERIFY(!gauge->isHidden());
    QCOMPARE(gauge->value(), 40);
    ThePlatform().Progress(-1);
    QVERIFY(gauge->isHidden());
    // Engine errors arrive as "Error:" messages with a beep.
    const int beeps = TheQtPlatform().beeps;
    ShowError("Protected Cell");
    QCOMPARE(messages_.last(), QString("Error: Protected Cell"));
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
  }

  void recalculationIndicatorToggles() {
    MainWindow& f = Start();
    QCOMPARE(f.recalcIndicator(), QString("Auto"));
    QLabel* panel = f.findChild<QLabel*>("recalcIndicator");
    QTest::mouseClick(panel, Qt::LeftButton);
    QCOMPARE(f.recalcIndicator(), QString("Manual"));
    QTest::keyClicks(Grid(), "3");
    QTest::keyClick(f.entryLine(), Qt::Key_Down);
    QTest::keyClicks(Grid(), "+A1+1");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    Grid()->moveTo(0, 0);
    QTest::keyClicks(Grid(), "10");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QTest::mouseClick(panel, Qt::LeftButton);
    QCOMPARE(f.recalcIndicator(), QString("Auto"));
    QCOMPARE(NumberAt(Slot(), 1, 0), 11.0);
  }

  void lockButtonAndPasswordDialog() {
    MainWindow& f = Start();
    QToolButton* lock = f.button("protectionButton");
    // Without a password the button switches protection both ways without a dialog.
    lock->click();
    QVERIFY(lock->isChecked());
    {
      SheetScope scope(Slot());
      QVERIFY(Options().protection());
    }
    lock->click();
    QVERIFY(!lock->isChecked());

    PasswordDialog& dlg = ThePasswordDialog();
    // Setting a password: the first OK asks for confirmation, a different text keeps it open.
    dlg.Prepare(1);
    QCOMPARE(dlg.windowTitle(), QString("Password Protection"));
    QVERIFY(dlg.confirmField()->isHidden());
    dlg.passwordField()->setText("Secret");
    dlg.OkClick();
    QVERIFY(!dlg.confirmField()->isHidden());
    dlg.confirmField()->setText("secret");
    dlg.OkClick();
    QCOMPARE(dlg.windowTitle(), QString("Password NOT the Same"));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    dlg.confirmField()->setText("Secret");
    {
      SheetScope scope(Slot());
      dlg.OkClick();
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QVERIFY(CheckPassword("Secret"));
    }
    // Checking: a wrong text (letter case counts) gives the caption and empties the field.
    {
      SheetScope scope(Slot());
      dlg.Prepare(0);
      dlg.setResult(QDialog::Rejected);
      dlg.passwordField()->setText("SECRET");
      dlg.OkClick();
      QCOMPARE(dlg.windowTitle(), QString("Invalid Password! Try Again."));
      QVERIFY(dlg.passwordField()->text().isEmpty());
      QCOMPARE(dlg.result(), int(QDialog::Rejected));
      dlg.passwordField()->setText("Secret");
      dlg.OkClick();
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QCOMPARE(dlg.passwordField()->maxLength(), 40);
    }
    // With a password, switching protection off asks; cancelling leaves it on.
    lock->click();
    QVERIFY(lock->isChecked());
    QTimer::singleShot(0, [&dlg] { dlg.reject(); });
    lock->click();
    QVERIFY(lock->isChecked());
    {
      SheetScope scope(Slot());
      QVERIFY(Options().protection());
    }
    QTimer::singleShot(0, [&dlg] {
      dlg.passwordField()->setText("Secret");
      dlg.OkClick();
    });
    lock->click();
    QVERIFY(!lock->isChecked());
  }

  void protectedCellRefusesAnEntry() {
    MainWindow& f = Start();
    f.button("protectionButton")->click();
    QTest::keyClick(Grid(), '5');
    QVERIFY(!f.entryActive());
    QCOMPARE(messages_, QStringList{"Error: Protected Cell"});
    QCOMPARE(KindAt(Slot(), 0, 0), kMissingKind);
  }

  void formattingBarActsOnTheSelection() {
    MainWindow& f = Start();
    QTest::keyClicks(Grid(), "1234.5");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    Grid()->selectRange(MakeRange(0, 0, 1, 1));
    auto* bold = f.findChild<QToolButton*>("boldButton");
    bold->click();
    auto* formats = f.findChild<QComboBox*>("formatBox");
    const int comma = formats->findText("Comma");
    QVERIFY(comma >= 0);
    formats->setCurrentIndex(comma);
    emit formats->activated(comma);
    SheetScope scope(Slot());
    for (int row = 0; row <= 1; ++row) {
      for (int column = 0; column <= 1; ++column) {
        const CellHandle h = GetCell(uint32_t(row), uint32_t(column));
        QVERIFY(h);
        QCOMPARE(CellAt(h)->style & 1, 1);
        QCOMPARE(CellAt(h)->format & 0x7F, 0x42);
      }
    }
  }

  void settingsAreWrittenAtExit() {
    MainWindow& f = Start();
    f.action(Cmd::kQuickBar)->trigger();
    TheQtPlatform().scriptedAnswers.assign(5, Answer::kNo);
    QVERIFY(f.close());
    QFile ini(Path("TALLIVO.INI"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    QVERIFY(text.contains("QBAR=FALSE"));
    QVERIFY(text.contains("FORM="));
  }
};

int main(int argc, char** argv) {
  // Test discovery may run this program outside ctest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  StartEngine();
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_frame_test.moc"
