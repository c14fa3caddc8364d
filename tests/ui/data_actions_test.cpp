// Qt Test: the Data dialog's Fill and Sort pages, the modeless Find & Replace dialog, the justify
// and Word dialogs, and the Sort, Fill and Upper/Proper quick buttons — each filled in as a user
// would, then the sheet checked.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "core/entry.h"
#include "core/global_options.h"
#include "main_window_fixture.h"
#include "ui/data_dialog.h"
#include "ui/find_replace_dialog.h"
#include "ui/justify_dialog.h"
#include "ui/range_prompt.h"
#include "ui/word_dialog.h"

class DataActionsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  void Enter(int row, int column, const char* text) {
    SheetScope scope(Slot());
    EnterCell(text, uint32_t(row), uint32_t(column));
  }
  QString Text(int row, int column) {
    SheetScope scope(Slot());
    return QString::fromStdString(EditText(uint32_t(row), uint32_t(column)).text);
  }
  // The texts of column `column`, rows 0..rows-1, joined by "|".
  QString Column(int column, int rows) {
    QStringList out;
    for (int r = 0; r < rows; ++r) out << Text(r, column);
    return out.join('|');
  }
  QString Selection(MainWindow&) {
    const CellRange s = Grid()->selection();
    SheetScope scope(Slot());
    return QString::fromStdString(RangeText(s));
  }
  void ClickHalf(QToolButton* b, bool upper) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, upper ? 2 : b->height() - 3));
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void theSortPageSortsByTheKeysAndSelectsTheData() {
    MainWindow& f = Start();
    const char* rows[][2] = {{"'pear", "2"}, {"'apple", "9"}, {"'pear", "1"}, {"'fig", "5"}};
    for (int r = 0; r < 4; ++r) {
      Enter(r, 0, rows[r][0]);
      Enter(r, 1, rows[r][1]);
    }
    Enter(0, 3, "+B1");  // outside the data range: keeps reading B1
    Grid()->selectRange(MakeRange(0, 0, 1, 3));
    f.Run(Cmd::kData, DataDialog::kSortPage);
    DataDialog* d = f.dataDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QString("Data"));
    QCOMPARE(d->pages()->currentIndex(), int(DataDialog::kSortPage));
    QCOMPARE(d->dataField()->text(), QString("A1..B4"));  // no data range yet: the selection
    // A key that does not read beeps and keeps the dialog.
    d->keyField(0)->setText("A1..");
    int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(d->isVisible());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    d->keyField(0)->setText("A1");
    d->keyField(1)->setText("B1");
    d->ascendingBox(0)->setChecked(false);  // key 1 descending, key 2 ascending
    Grid()->moveTo(6, 6);
    beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(Column(0, 4), QString("'pear|'pear|'fig|'apple"));
    QCOMPARE(Column(1, 4), QString("1|2|5|9"));
    QCOMPARE(NumberAt(Slot(), 0, 3), 1.0);
    QCOMPARE(Selection(f), QString("A1..B4"));  // the data range is the current range
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);  // the sort ends with the beep
    // Reopened, the fields show the settings and the boxes their last state; Reset empties them.
    f.Run(Cmd::kData, DataDialog::kSortPage);
    QCOMPARE(d->keyField(1)->text(), QString("B1"));
    QVERIFY(!d->ascendingBox(0)->isChecked());
    d->Reset();
    QVERIFY(d->dataField()->text().isEmpty() && d->keyField(0)->text().isEmpty());
    d->Confirm();  // nothing to sort: the dialog closes, the sheet stays
    QVERIFY(!d->isVisible());
    QCOMPARE(Column(1, 4), QString("1|2|5|9"));
  }

  void theFillPageFillsTheOutputCells() {
    MainWindow& f = Start();
    Grid()->selectRange(MakeRange(0, 0, 2, 1));  // A1..C2
    f.Run(Cmd::kData, DataDialog::kFillPage);
    DataDialog* d = f.dataDialog();
    QCOMPARE(d->pages()->currentIndex(), int(DataDialog::kFillPage));
    QCOMPARE(d->outputField()->text(), QString("A1..C2"));
    QCOMPARE(d->startField()->text(), QString("0"));
    QCOMPARE(d->stepField()->text(), QString("1"));
    d->startField()->setText("1");
    d->orderButtons()->button(0)->click();  // by columns
    d->Confirm();
    QCOMPARE(Column(0, 2) + "/" + Column(1, 2) + "/" + Column(2, 2), QString("1|2/3|4/5|6"));
    f.Run(Cmd::kData, DataDialog::kFillPage);
    d->outputField()->setText("D1..D4");
    d->typeButtons()->button(int(FillType::kMultiply))->click();
    d->stepField()->setText("x");
    d->Confirm();  // a step that is no number keeps the dialog
    QVERIFY(d->isVisible());
    d->stepField()->setText("2");
    d->Confirm();
    QCOMPARE(Column(3, 4), QString("1|2|4|8"));
    // A tag without a page beeps.
    const int beeps = TheQtPlatform().beeps;
    f.Run(Cmd::kData, DataDialog::kPageCount);
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QVERIFY(!d->isVisible());
  }

  void findAndReplaceStepsThroughTheSheet() {
    MainWindow& f = Start();
    Enter(0, 0, "1");
    Enter(0, 2, "@SUM(A1..A3)");
    Enter(2, 1, "'sum of all");
    Enter(3, 0, "'summit");
    f.Run(Cmd::kFind);
    FindReplaceDialog* d = f.findReplaceDialog();
    QVERIFY(d->isVisible());
    QVERIFY(!d->isModal());
    QCOMPARE(d->windowTitle(), QString("Find & Replace"));
    QVERIFY(d->caseBox()->isChecked());
    QVERIFY(d->globalButton()->isChecked());
    d->findBox()->setEditText("sum");
    d->replaceField()->setText("avg");
    QVERIFY(!d->replaceButton()->isEnabled());
    // Find Next walks the matches row by row, moving the cursor.
    const QString kMatches[] = {"C1", "B3", "A4"};
    for (const QString& cell : kMatches) {
      d->FindNextClicked();
      QCOMPARE(Selection(f), cell);
      QVERIFY(d->replaceButton()->isEnabled());
    }
    const int beeps = TheQtPlatform().beeps;
    d->FindNextClicked();  // no further match: a beep, the cursor stays
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QCOMPARE(Selection(f), QString("A4"));
    // The user moves the cursor: the next search starts from the top again.
    Grid()->moveTo(5, 5);
    QVERIFY(!d->replaceButton()->isEnabled());
    d->FindNextClicked();
    QCOMPARE(Selection(f), QString("C1"));
    d->ReplaceClicked();  // replaces in C1 (it computes again) and goes on to B3
    QCOMPARE(Text(0, 2), QString("@AVG(A1..A3)"));
    QCOMPARE(NumberAt(Slot(), 0, 2), 1.0);
    QCOMPARE(Selection(f), QString("B3"));
    QCOMPARE(d->findBox()->itemText(0), QString("sum"));  // the find text is in the list
    // Replace All does the rest and is then disabled until a text changes.
    d->ReplaceAllClicked();
    QCOMPARE(Text(2, 1), QString("'avg of all"));
    QCOMPARE(Text(3, 0), QString("'avgmit"));
    QVERIFY(!d->replaceAllButton()->isEnabled());
    d->replaceField()->setText("AVG");
    QVERIFY(d->replaceAllButton()->isEnabled());
    // A range scope that does not read beeps.
    d->rangeButton()->click();
    d->rangeField()->setText("Z..");
    const int before = TheQtPlatform().beeps;
    d->FindNextClicked();
    QCOMPARE(TheQtPlatform().beeps, before + 1);
    // Circular: the find text occurs in the replacement.
    d->globalButton()->click();
    d->findBox()->setEditText("avg");
    d->replaceField()->setText("xavg");
    d->ReplaceAllClicked();
    QVERIFY(messages_.join('\n').contains("Circular Replace Detected"));
    QCOMPARE(Text(2, 1), QString("'avg of all"));
  }

  void justifyReflowsTheLabelsToTheWidth() {
    MainWindow& f = Start();
    Enter(0, 0, "'the quick brown");
    Enter(1, 0, "'fox jumps over");
    Enter(2, 0, "'the lazy dog");
    Grid()->selectRange(MakeRange(0, 0, 1, 5));  // A1..B6: two columns of 64 pixels
    f.Run(Cmd::kJustify);
    JustifyDialog* d = f.justifyDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->rangeField()->text(), QString("A1..B6"));
    QCOMPARE(d->widthField()->text(), QString("128"));
    d->widthField()->setText("0");
    d->Confirm();  // no width: the dialog stays
    QVERIFY(d->isVisible());
    d->rangeField()->setText("A1..A12");
    d->widthField()->setText("60");
    d->Confirm();
    QVERIFY(!d->isVisible());
    // Narrower lines over more rows; the words keep their order.
    QStringList words;
    for (int r = 0; r < 12; ++r) words << Text(r, 0).mid(1).split(' ', Qt::SkipEmptyParts);
    QCOMPARE(words.join(' '), QString("the quick brown fox jumps over the lazy dog"));
    QVERIFY(!Text(3, 0).isEmpty());
  }

  void wordEditsTheFirstColumnAsLines() {
    MainWindow& f = Start();
    Enter(0, 1, "'one");
    Enter(1, 1, "+2*3");
    Grid()->selectRange(MakeRange(1, 0, 2, 1));  // B1..C2
    f.Run(Cmd::kWord);
    WordDialog* d = f.wordDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QString("Word"));
    QCOMPARE(d->textBox()->toPlainText(), QString("'one\n+2*3"));
    d->textBox()->setPlainText("'first\n7\n'third\n");
    d->accept();
    QCOMPARE(Column(1, 4), QString("'first|7|'third|"));  // the final line end adds no line
    QCOMPARE(NumberAt(Slot(), 1, 1), 7.0);
    f.Run(Cmd::kWord);
    d->textBox()->setPlainText("'changed");
    d->reject();
    QCOMPARE(Text(0, 1), QString("'first"));
  }

  void sortFillAndCaseButtons() {
    MainWindow& f = Start();
    Enter(0, 0, "3");
    Enter(1, 0, "1");
    Enter(2, 0, "2");
    Grid()->selectRange(MakeRange(0, 0, 0, 2));
    ClickHalf(f.button("sortButton"), true);
    QCOMPARE(Column(0, 3), QString("1|2|3"));
    ClickHalf(f.button("sortButton"), false);
    QCOMPARE(Column(0, 3), QString("3|2|1"));
    // Fill: a number at the top-left fills the longer edge from it.
    Enter(0, 2, "10");
    Grid()->selectRange(MakeRange(2, 0, 2, 3));  // C1..C4
    f.button("speedFillButton")->click();
    QCOMPARE(Column(2, 4), QString("10|11|12|13"));
    // A label is copied over the block.
    Enter(0, 3, "'x");
    Grid()->selectRange(MakeRange(3, 0, 3, 2));
    f.button("speedFillButton")->click();
    QCOMPARE(Column(3, 3), QString("'x|'x|'x"));
    // Upper/Proper: the upper half upper-cases, the lower half gives proper case.
    Enter(0, 4, "'hello wORLD");
    Grid()->selectRange(MakeRange(4, 0, 4, 0));
    ClickHalf(f.button("properButton"), true);
    QCOMPARE(Text(0, 4), QString("'HELLO WORLD"));
    ClickHalf(f.button("properButton"), false);
    QCOMPARE(Text(0, 4), QString("'Hello World"));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  DataActionsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "data_actions_test.moc"
