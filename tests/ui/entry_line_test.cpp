// Qt Test: the entry row as a user drives it — typing, editing, pointing at cells, F4, the
// function list, the range prompt and protected cells.
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

#include "commands/engine_start.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/password.h"
#include "core/pool.h"
#include "core/sheet_scope.h"
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

class EntryLineTest : public QObject, private MainWindowFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

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

  void f9TurnsTheFormulaBeingTypedIntoItsValue() {
    MainWindow& f = Start();
    QTest::keyClicks(Grid(), "(");
    QTest::keyClicks(f.entryLine(), "2+3)*4");
    QTest::keyClick(f.entryLine(), Qt::Key_F9);
    QCOMPARE(f.entryLine()->text(), QString("20"));
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
    QCOMPARE(messages_.first(), QString("Error: Missing ) at 7"));
    QVERIFY(f.entryActive());
    QCOMPARE(f.mode(), QString("EDIT"));
    QCOMPARE(f.entryLine()->text(), QString("+B7*(2"));
    QCOMPARE(f.entryLine()->cursorPosition(), 6);
    QTest::keyClicks(f.entryLine(), ")");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QVERIFY(!f.entryActive());
    QVERIFY(KindIsFormula(KindAt(Slot(), 7, 1)));
    // The text cursor waits where the problem is; the cell was empty and stays so.
    Grid()->moveTo(8, 1);
    QTest::keyClicks(Grid(), "+");
    QTest::keyClicks(f.entryLine(), "B7+@FOO(1)*2");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(messages_.last(), QString("Error: Unknown function @FOO at 5"));
    QCOMPARE(f.mode(), QString("EDIT"));
    QCOMPARE(f.entryLine()->cursorPosition(), 4);
    QCOMPARE(KindAt(Slot(), 8, 1), kMissingKind);
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

  void protectedCellRefusesAnEntry() {
    MainWindow& f = Start();
    f.button("protectionButton")->click();
    QTest::keyClick(Grid(), '5');
    QVERIFY(!f.entryActive());
    QCOMPARE(messages_, QStringList{"Error: Protected Cell"});
    QCOMPARE(KindAt(Slot(), 0, 0), kMissingKind);
  }

  // Undo and Redo, from the grid's Ctrl+Z and Ctrl+Y as from the menu, show the restored cell
  // on the entry line; Ctrl+B shows on the formatting bar.
  void undoAndCtrlBShowTheirResultEverywhere() {
    MainWindow& f = Start();
    Grid()->moveTo(2, 1);
    QTest::keyClicks(Grid(), "21");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    Grid()->moveTo(2, 3);
    QTest::keyClicks(Grid(), "+B3*2");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(NumberAt(Slot(), 2, 3), 42.0);
    QTest::keyClicks(Grid(), "5");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(f.entryLine()->text(), QString("5"));
    QTest::keyClick(Grid(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(NumberAt(Slot(), 2, 3), 42.0);
    QCOMPARE(f.entryLine()->text(), QString("+B3*2"));

    QTest::keyClicks(Grid(), "7");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QCOMPARE(f.entryLine()->text(), QString("7"));
    f.action(Cmd::kUndo)->trigger();
    QCOMPARE(f.entryLine()->text(), QString("+B3*2"));
    // Redo, from Ctrl+Y as from the menu, puts the entry back and shows it; Undo goes further
    // back than one level.
    QTest::keyClick(Grid(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.entryLine()->text(), QString("7"));
    f.action(Cmd::kUndo)->trigger();
    QCOMPARE(f.entryLine()->text(), QString("+B3*2"));
    f.action(Cmd::kRedo)->trigger();
    QCOMPARE(f.entryLine()->text(), QString("7"));
    f.action(Cmd::kUndo)->trigger();
    f.action(Cmd::kUndo)->trigger();
    QCOMPARE(f.entryLine()->text(), QString(""));
    QCOMPARE(NumberAt(Slot(), 2, 1), 21.0);

    auto* bold = f.findChild<QToolButton*>("boldButton");
    QVERIFY(!bold->isChecked());
    QTest::keyClick(Grid(), Qt::Key_B, Qt::ControlModifier);
    QVERIFY(bold->isChecked());
    QTest::keyClick(Grid(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!bold->isChecked());
  }
};

int main(int argc, char** argv) {
  // Test discovery may run this program outside ctest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  EntryLineTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "entry_line_test.moc"
