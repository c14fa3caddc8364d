// Qt Test: macros on the desktop — keys played into the main window, a played Esc against the
// user's Esc, {?} waiting for the user's entry, the step caption.
#include <QAction>
#include <QLineEdit>
#include <QStatusBar>
#include <QtTest>

#include "core/entry.h"
#include "formula/formula_text.h"
#include "core/names.h"
#include "files/worksheet_file.h"
#include "macros/interpreter.h"
#include "main_window_fixture.h"
#include "ui/macro_player.h"
#include "ui_fixture.h"

class MacroPlayerTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  // Writes macro lines as labels down from Z1 of the active sheet and runs the macro there.
  void RunLines(std::initializer_list<const char*> lines) {
    {
      SheetScope scope(Slot());
      uint32_t row = 0;
      for (const char* line : lines) EnterCell(std::string("'") + line, row++, 25);
    }
    MainWindow::RunMacroAt(MakeRange(25, 0, 25, 0));
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() {
    StopMacro();
    CloseWindow();
  }

  void keysArePlayedIntoTheMainWindow() {
    MainWindow& f = Start();
    QApplication::setActiveWindow(&f);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    Grid()->setFocus();
    RunLines({"abc~{DOWN}12~"});
    QTRY_VERIFY(!MacroRunning());
    SheetScope scope(Slot());
    QCOMPARE(QString::fromStdString(CellContentsText(GetCell(0, 0))), QString("'abc"));
    const double at1 = NumberAt(Slot(), 1, 0);
    const double at2 = NumberAt(Slot(), 2, 0);
    QVERIFY(at1 == 12 || at2 == 12);
    QVERIFY(messages_.isEmpty());
  }

  void aPlayedEscapeNeverBreaksTheUsersDoes() {
    Start();
    RunLines({"{ESC}{?}{LET B1,1}"});
    QTest::qWait(50);
    QVERIFY(MacroRunning());
    QTest::keyClick(Grid(), Qt::Key_Escape);
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(messages_, QStringList{"Error: Break! Z1"});
    QCOMPARE(KindAt(Slot(), 0, 1), uint8_t(0xFF));
  }

  void pauseWaitsForTheUsersEntry() {
    MainWindow& f = Start();
    RunLines({"{?}{LET B1,A1+1}"});
    QTest::qWait(50);
    QVERIFY(MacroRunning());
    QTest::keyClicks(Grid(), "41");
    QTest::keyClick(f.entryLine(), Qt::Key_Return);
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 1), 42.0);
  }

  void singleStepShowsTheLineInTheCaption() {
    MainWindow& f = Start();
    SetMacroSingleStep(true);
    RunLines({"{LET B1,5}"});
    QTRY_COMPARE(f.windowTitle(), QString("Step Z1 : {LET B1,5}"));
    QVERIFY(MacroRunning());
    f.macroPlayer()->Step();
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 1), 5.0);
    QCOMPARE(f.windowTitle(), QString("TALLIVO"));
  }

  void viewShowsAndHidesTheBars() {
    MainWindow& f = Start();
    RunLines({"{VIEW \"Q0S0M1\"}"});
    QTRY_VERIFY(!MacroRunning());
    QVERIFY(!f.action(Cmd::kQuickBar)->isChecked());
    QVERIFY(!f.action(Cmd::kStatusBar)->isChecked());
    QVERIFY(f.action(Cmd::kMacroBar)->isChecked());
    QVERIFY(f.statusBar()->isHidden());
    RunLines({"{VIEW \"S1\"}"});
    QTRY_VERIFY(!MacroRunning());
    QVERIFY(!f.statusBar()->isHidden());
    QVERIFY(!f.action(Cmd::kQuickBar)->isChecked());
  }

  void autoexecOfAnotherFileRunsOnlyWhenTheUserSaysYes() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      EnterCell("'{LET B1,B1+1}", 4, 0);
      QVERIFY(DefineName("AUTOEXEC", MakeRange(0, 4, 0, 4)) != 0);
      QVERIFY(SaveWorksheet(Path("other.wks").toStdString()));
    }
    TheQtPlatform().scriptedAnswers.assign(1, Answer::kNo);
    WorksheetWindow* first = f.OpenByName(Path("other.wks"));
    QVERIFY(first);
    QTest::qWait(50);
    QCOMPARE(KindAt(first->slot(), 0, 1), uint8_t(0xFF));
    QVERIFY(messages_.join("|").contains("Run the AUTOEXEC macro of other.wks?"));
    CloseWindow();
    Start();
    TheQtPlatform().scriptedAnswers.assign(1, Answer::kYes);
    WorksheetWindow* second = frame_->OpenByName(Path("other.wks"));
    QVERIFY(second);
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(second->slot(), 0, 1), 1.0);
  }
};

QTEST_MAIN(MacroPlayerTest)
#include "macro_player_test.moc"
