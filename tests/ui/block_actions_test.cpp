// Qt Test: copy, move, erase, insert and delete from the main window — the two prompts of Copy
// and Move, the copy dialog, the Sheet menu's insert and delete prompts, the two-way buttons and
// the move-block buttons.
#include <QButtonGroup>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "commands/engine_start.h"
#include "core/entry.h"
#include "main_window_fixture.h"
#include "ui/copy_special_dialog.h"
#include "ui/range_prompt.h"

class BlockActionsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  void Enter(int row, int column, const char* text) {
    SheetScope scope(Slot());
    EnterCell(text, uint32_t(row), uint32_t(column));
  }
  QString Text(int row, int column) {
    SheetScope scope(Slot());
    return QString::fromStdString(EditText(uint32_t(row), uint32_t(column)).text);
  }
  // Answers the open prompt, which must carry `caption`.
  void Answer(MainWindow& f, const QString& caption, const QString& text) {
    QVERIFY(f.rangePrompt()->isOpen());
    QCOMPARE(f.rangePrompt()->caption(), caption);
    f.rangePrompt()->setText(text);
    QVERIFY(f.rangePrompt()->Accept());
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void copyAndMoveAskForTheirTwoRanges() {
    MainWindow& f = Start();
    Enter(0, 0, "1");
    Enter(1, 0, "+A1*2");
    f.Run(Cmd::kCopyCells);
    Answer(f, "COPY: From Range", "A1..A2");
    Answer(f, "COPY: TO Range", "C5");
    QCOMPARE(Text(4, 2), QString("1"));
    QCOMPARE(Text(5, 2), QString("+C5*2"));
    QCOMPARE(NumberAt(Slot(), 5, 2), 2.0);
    f.Run(Cmd::kMoveCells);
    Answer(f, "MOVE: From Range", "C5..C6");
    Answer(f, "MOVE: TO Range", "E1");
    QCOMPARE(Text(1, 4), QString("+E1*2"));
    QCOMPARE(Text(4, 2), QString());
    // An empty answer ends the command; an unreadable one beeps and keeps the prompt.
    f.Run(Cmd::kCopyCells);
    f.rangePrompt()->setText("not a range");
    const int beeps = TheQtPlatform().beeps;
    QVERIFY(!f.rangePrompt()->Accept());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    f.rangePrompt()->setText("");
    QVERIFY(f.rangePrompt()->Accept());
    QVERIFY(!f.rangePrompt()->isOpen());
    QCOMPARE(f.mode(), QString("READY"));
  }

  void theCopyDialogCopiesInTheChosenMode() {
    MainWindow& f = Start();
    Enter(0, 0, "4");
    Enter(0, 1, "'text");
    f.Run(Cmd::kRangeCopy);
    CopySpecialDialog* d = f.copySpecialDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QString(" Copy Cells"));
    QCOMPARE(d->modeButtons()->checkedId(), int(CopySpecialMode::kValue));
    QVERIFY(!d->factorField()->isEnabled());
    d->modeButtons()->button(int(CopySpecialMode::kScale))->click();
    QVERIFY(d->factorField()->isEnabled());
    // A source that does not read beeps and keeps the dialog; so does a factor that is no number.
    d->fromField()->setText("A1..");
    const int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(d->isVisible());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    d->fromField()->setText("A1..B1");
    d->toField()->setText("A3");
    d->factorField()->setText("-");
    d->Confirm();
    QVERIFY(d->isVisible());
    QVERIFY(!d->problem().isEmpty());
    QCOMPARE(Text(2, 0), QString());
    d->factorField()->setText("2.5");
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(Text(2, 0), QString("10"));
    QCOMPARE(Text(2, 1), QString("'text"));
    // Transpose, reopened: the dialog starts from Value again.
    f.Run(Cmd::kRangeCopy);
    QCOMPARE(d->modeButtons()->checkedId(), int(CopySpecialMode::kValue));
    d->modeButtons()->button(int(CopySpecialMode::kTranspose))->click();
    d->fromField()->setText("A1..B1");
    d->toField()->setText("D1");
    d->Confirm();
    QCOMPARE(Text(0, 3), QString("4"));
    QCOMPARE(Text(1, 3), QString("'text"));
  }

  void sheetMenuPromptsInsertAndDelete() {
    MainWindow& f = Start();
    Enter(0, 0, "1");
    Enter(1, 0, "2");
    Grid()->moveTo(1, 0);
    f.Run(Cmd::kInsert, 1);
    QCOMPARE(f.rangePrompt()->text(), QString("A2"));  // the selection is the default answer
    Answer(f, "INSERT Row : Specify Range", "A2");
    QCOMPARE(Text(2, 0), QString("2"));
    f.Run(Cmd::kInsert, 2);
    Answer(f, "INSERT Col : Specify Range", "A1");
    QCOMPARE(Text(0, 1), QString("1"));
    f.Run(Cmd::kDelete, 2);
    Answer(f, "Delete Col : Specify Range", "A1");
    f.Run(Cmd::kDelete, 1);
    Answer(f, "DELETE Row : Specify Range", "A1..A2");
    QCOMPARE(Text(0, 0), QString("2"));
    f.Run(Cmd::kInsert, 0);
    Answer(f, "INSERT PageBreak : Specify Row", "A4");
    QCOMPARE(Text(3, 0), QString("|::"));
    f.Run(Cmd::kRangeErase);
    Answer(f, "ERASE: Specify Range", "A1");
    QCOMPARE(Text(0, 0), QString());
  }

  void twoWayAndMoveBlockButtons() {
    MainWindow& f = Start();
    Enter(0, 0, "1");
    Enter(1, 0, "2");
    Grid()->moveTo(0, 0);
    QToolButton* rows = f.button("rowsButton");
    QVERIFY(rows);
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(rows->width() / 2, rows->height() - 3));
    QCOMPARE(Text(1, 0), QString("1"));  // the lower half inserted a row
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(rows->width() / 2, 2));
    QCOMPARE(Text(0, 0), QString("1"));  // the upper half deleted it again
    Grid()->moveTo(1, 0);
    f.button("moveDownButton")->click();
    QCOMPARE(Text(2, 0), QString("2"));
    QCOMPARE(Grid()->cursorRow(), 2);
    Grid()->moveTo(0, 0);
    const int beeps = TheQtPlatform().beeps;
    f.button("moveUpButton")->click();
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QCOMPARE(Text(0, 0), QString("1"));
    // Ctrl+D erases the selection.
    f.Run(Cmd::kErase);
    QCOMPARE(Text(0, 0), QString());
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  BlockActionsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "block_actions_test.moc"
