// Qt Test: the data tools from the desktop — the Data dialog's tool pages, the prompt commands
// Bin, Table One and Table Two, the Array dialog and the record form — each filled in as a user
// would, then the sheet checked; Cancel leaves the sheet alone and Undo takes a tool back.
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include "core/entry.h"
#include "core/global_options.h"
#include "main_window_fixture.h"
#include "ui/data_dialog.h"
#include "ui/data_form_window.h"
#include "ui/matrix_dialog.h"
#include "ui/range_prompt.h"

class AnalysisActionsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  void Enter(int row, int column, const char* text) {
    SheetScope scope(Slot());
    EnterCell(text, uint32_t(row), uint32_t(column));
  }
  // Enters "a b c/d e f" from (row, column): blanks separate cells, "/" rows.
  void EnterBlock(int row, int column, const QString& block) {
    for (const QString& line : block.split('/')) {
      int c = column;
      for (const QString& cell : line.split(' ', Qt::SkipEmptyParts)) {
        Enter(row, c++, cell.toLatin1().constData());
      }
      ++row;
    }
  }
  QString Text(int row, int column) {
    SheetScope scope(Slot());
    return QString::fromStdString(EditText(uint32_t(row), uint32_t(column)).text);
  }
  // The texts of `rows` x `columns` cells from (row, column), blanks between cells, "/" rows.
  QString Block(int row, int column, int rows, int columns) {
    QStringList lines;
    for (int r = row; r < row + rows; ++r) {
      QStringList cells;
      for (int c = column; c < column + columns; ++c) cells << Text(r, c);
      lines << cells.join(' ');
    }
    return lines.join('/');
  }
  DataDialog* OpenPage(MainWindow& f, int page) {
    f.Run(Cmd::kData, page);
    DataDialog* d = f.dataDialog();
    if (!d->isVisible() || d->pages()->currentIndex() != page) return nullptr;
    return d;
  }
  void Fill(DataDialog* d, int page, std::initializer_list<const char*> texts) {
    int i = 0;
    for (const char* t : texts) d->rangeField(page, i++)->setText(QString::fromLatin1(t));
  }
  void Answer(MainWindow& f, const QString& caption, const QString& text) {
    QVERIFY(f.rangePrompt()->isOpen());
    QCOMPARE(f.rangePrompt()->caption(), caption);
    f.rangePrompt()->setText(text);
    QVERIFY(f.rangePrompt()->Accept());
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void eachDataItemOpensItsPageWithTheStoredRanges() {
    MainWindow& f = Start();
    const char* const kTitles[] = {"Fill",     "Sort",    "Query",        "Bin",   "Parse",
                                   "GoalSeek", "Regress", "MultiRegress", "Table", "Form"};
    Grid()->selectRange(MakeRange(1, 1, 2, 3));
    for (int tag = 0; tag < DataDialog::kPageCount; ++tag) {
      QVERIFY2(f.action(Cmd::kData, tag)->isEnabled(), kTitles[tag]);
      DataDialog* d = OpenPage(f, tag);
      QVERIFY2(d, kTitles[tag]);
      QCOMPARE(d->pages()->tabText(tag), QString(kTitles[tag]));
      d->reject();
    }
    // The pages show the sheet's kept ranges, or the selection where a tool takes it.
    {
      SheetScope scope(Slot());
      Options().setDataToolRange(GlobalOptions::kRegressY, MakeRange(4, 0, 4, 9));
      Options().setRange(GlobalOptions::kTableInput2, MakeRange(7, 0, 7, 0));
    }
    DataDialog* d = OpenPage(f, DataDialog::kRegressPage);
    QCOMPARE(d->rangeField(DataDialog::kRegressPage, 0)->text(), QString("B2..C4"));
    QCOMPARE(d->rangeField(DataDialog::kRegressPage, 1)->text(), QString("E1..E10"));
    QCOMPARE(d->rangeField(DataDialog::kTablePage, 1)->text(), QString("H1"));
    QCOMPARE(d->rangeField(DataDialog::kParsePage, 0)->text(), QString("B2..C4"));
    d->reject();
  }

  void cancelChangesNothingAndUndoTakesAToolBack() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "1 2/2 4/3 6");
    DataDialog* d = OpenPage(f, DataDialog::kRegressPage);
    Fill(d, DataDialog::kRegressPage, {"A1..A3", "B1..B3", "D1"});
    d->reject();
    QCOMPARE(KindAt(Slot(), 0, 3), uint8_t(kMissingKind));
    {
      SheetScope scope(Slot());
      QVERIFY(!RangeIsValid(Options().dataToolRange(GlobalOptions::kRegressY)));
    }
    // Ok: the statistics and the fitted line; the ranges are kept for the next time.
    d = OpenPage(f, DataDialog::kRegressPage);
    Fill(d, DataDialog::kRegressPage, {"A1..A3", "B1..B3", "D1"});
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(Text(0, 3), QString("'Intercept"));
    QCOMPARE(NumberAt(Slot(), 1, 4), 2.0);
    QCOMPARE(NumberAt(Slot(), 2, 4), 1.0);
    QCOMPARE(Text(11, 4), QString("+2*@X"));
    d = OpenPage(f, DataDialog::kRegressPage);
    QCOMPARE(d->rangeField(DataDialog::kRegressPage, 1)->text(), QString("B1..B3"));
    d->reject();
    f.Run(Cmd::kUndo);
    QCOMPARE(KindAt(Slot(), 0, 3), uint8_t(kMissingKind));
    QCOMPARE(KindAt(Slot(), 11, 4), uint8_t(kMissingKind));
    // Without an X range Regress beeps and writes nothing.
    d = OpenPage(f, DataDialog::kRegressPage);
    Fill(d, DataDialog::kRegressPage, {"", "B1..B3", "D1"});
    const int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QCOMPARE(KindAt(Slot(), 0, 3), uint8_t(kMissingKind));
  }

  void queryFindsAndResets() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "'Name 'Age/'Smith 30/'Jones 41/'Sally 25");
    EnterBlock(0, 3, "'Name/'S*");
    EnterBlock(0, 5, "'Age 'Name");
    DataDialog* d = OpenPage(f, DataDialog::kQueryPage);
    Fill(d, DataDialog::kQueryPage, {"A1..B4", "D1..D2", "F1..G1"});
    d->findChild<QPushButton*>("queryFind")->click();
    QVERIFY(!d->isVisible());
    QCOMPARE(Block(1, 5, 3, 2), QString("30 'Smith/25 'Sally/ "));
    // A "..." criterion asks for a contained text.
    Enter(1, 3, "'...ON...");
    d = OpenPage(f, DataDialog::kQueryPage);
    QCOMPARE(d->rangeField(DataDialog::kQueryPage, 2)->text(), QString("F1..G1"));
    d->rangeField(DataDialog::kQueryPage, 2)->setText("F1..G3");  // taller: cleared first
    d->Confirm();
    QCOMPARE(Block(1, 5, 2, 2), QString("41 'Jones/ "));
    d = OpenPage(f, DataDialog::kQueryPage);
    d->findChild<QPushButton*>("queryReset")->click();
    for (int i = 0; i < 3; ++i) QVERIFY(d->rangeField(DataDialog::kQueryPage, i)->text().isEmpty());
    d->reject();
  }

  void binsParseAndTable() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "1/2/2/3/5");
    EnterBlock(0, 2, "2/4");
    DataDialog* d = OpenPage(f, DataDialog::kBinPage);
    Fill(d, DataDialog::kBinPage, {"A1..A5", "C1..C2"});
    d->binTypeButtons()->button(1)->click();  // a<= x <b
    d->Confirm();
    QCOMPARE(Block(0, 3, 3, 1), QString("1/3/1"));
    QCOMPARE(NumberAt(Slot(), 1, 4), 0.6);
    {
      SheetScope scope(Slot());
      QVERIFY(Options().binLowerInclusive());
    }

    Enter(9, 0, "'1,2,\"a, b\"");
    d = OpenPage(f, DataDialog::kParsePage);
    Fill(d, DataDialog::kParsePage, {"A10"});
    d->Confirm();
    QCOMPARE(Block(9, 0, 1, 3), QString("1 2 'a, b"));

    // One-input table: inputs down the left column, one formula per column in the top row; the
    // input cell keeps its content.
    Enter(20, 0, "7");
    EnterBlock(20, 2, "'x +A21*2 +A21*3/1/2/3/'n");
    d = OpenPage(f, DataDialog::kTablePage);
    QCOMPARE(d->rangeField(DataDialog::kTablePage, 1)->placeholderText(), QString("Optional"));
    Fill(d, DataDialog::kTablePage, {"A21", "", "C21..E25"});
    d->Confirm();
    QCOMPARE(Block(21, 3, 4, 2), QString("2 3/4 6/6 9/ "));  // a label input skips its row
    QCOMPARE(Text(20, 0), QString("7"));
  }

  void goalSeekShowsItsEstimateAndBeeps() {
    MainWindow& f = Start();
    Enter(0, 0, "1");
    Enter(0, 1, "+A1*A1");
    DataDialog* d = OpenPage(f, DataDialog::kGoalSeekPage);
    Fill(d, DataDialog::kGoalSeekPage, {"A1", "B1"});
    d->desiredField()->setText("4");
    d->toleranceField()->setText("x");  // not a number: refused
    int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(d->isVisible());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    d->toleranceField()->setText("0.0001");
    beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(!d->isVisible());
    QVERIFY(std::abs(NumberAt(Slot(), 0, 0) - 2) < 1e-3);
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    bool ok = false;
    const double shown = f.statusBar()->currentMessage().trimmed().toDouble(&ok);
    QVERIFY2(ok && std::abs(shown - 2) < 1e-2, qPrintable(f.statusBar()->currentMessage()));
    {
      SheetScope scope(Slot());
      QCOMPARE(Options().dataToolRange(GlobalOptions::kGoalOutputCopy), MakeRange(1, 0, 1, 0));
    }
  }

  void multiRegressFitsTheCheckedTerms() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "1 1/2 4/3 9/4 16/5 25");
    DataDialog* d = OpenPage(f, DataDialog::kMultiRegressPage);
    QTableWidget* grid = d->termGrid();
    QCOMPARE(grid->rowCount(), 9);
    QCOMPARE(grid->verticalHeaderItem(8)->text(), QString("Exp(x)"));
    Fill(d, DataDialog::kMultiRegressPage, {"A1..B5", "B1..B5", "D1"});
    QCOMPARE(grid->columnCount(), 2);  // one column per X column
    d->rangeField(DataDialog::kMultiRegressPage, 0)->setText("A1..A5");
    QCOMPARE(grid->columnCount(), 1);
    // The default terms: constant and x; add x^2.
    QCOMPARE(grid->item(0, 0)->checkState(), Qt::Checked);
    QCOMPARE(grid->item(1, 0)->checkState(), Qt::Checked);
    QCOMPARE(grid->item(2, 0)->checkState(), Qt::Unchecked);
    grid->item(2, 0)->setCheckState(Qt::Checked);
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(Block(0, 3, 3, 1), QString("'Const/'x/'x^2"));
    QVERIFY(std::abs(NumberAt(Slot(), 2, 4) - 1) < 1e-9);
    QVERIFY(std::abs(NumberAt(Slot(), 0, 4)) < 1e-9);
    QCOMPARE(Text(3, 3), QString("'Formula:"));
  }

  void promptCommandsAskForTheirRanges() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "1/2/2/3/5");
    EnterBlock(0, 2, "2/4");
    f.Run(Cmd::kDataPrompt, 0);
    Answer(f, "BIN: Enter Analysis Range", "A1..A5");
    Answer(f, "Enter Bin Range", "C1..C2");
    QCOMPARE(Block(0, 3, 3, 1), QString("3/1/1"));  // a< x <= b, the sheet's bin type

    Enter(10, 0, "5");
    EnterBlock(10, 2, "0 +A11*2/1/2");
    f.Run(Cmd::kDataPrompt, 1);
    Answer(f, "TABLE 1: Specify Input Cell", "A11");
    Answer(f, "Output Range", "C11..D13");
    QCOMPARE(Block(11, 3, 2, 1), QString("2/4"));

    Enter(20, 0, "1");
    Enter(21, 0, "1");
    EnterBlock(20, 2, "+A21*A22 10 20/1/2");
    f.Run(Cmd::kDataPrompt, 2);
    Answer(f, "TABLE 2: Specify FIRST Input Cell", "A21");
    Answer(f, "Specify SECOND Cell", "A22");
    Answer(f, "Output Range", "C21..E23");
    QCOMPARE(Block(21, 3, 2, 2), QString("10 20/20 40"));
    {
      SheetScope scope(Slot());
      QCOMPARE(Options().range(GlobalOptions::kTableInput2), MakeRange(0, 21, 0, 21));
    }
    // Esc on the second prompt ends the command without effect.
    f.Run(Cmd::kDataPrompt, 1);
    Answer(f, "TABLE 1: Specify Input Cell", "A11");
    f.rangePrompt()->Cancel();
    QVERIFY(!f.rangePrompt()->isOpen());
  }

  void arrayItemsOpenTheirPagesWithTheSelection() {
    MainWindow& f = Start();
    const char* const kTitles[] = {"Add",    "Subtract", "Multiply",    "Transpose",
                                   "Invert", "E-Solve",  "Determinant", "Linear"};
    Grid()->selectRange(MakeRange(0, 0, 1, 1));
    for (int tag = 0; tag < MatrixDialog::kPageCount; ++tag) {
      f.Run(Cmd::kArray, tag);
      MatrixDialog* d = f.matrixDialog();
      QVERIFY(d->isVisible());
      QCOMPARE(d->windowTitle(), QString("Array"));
      QCOMPARE(d->pages()->currentIndex(), tag);
      QCOMPARE(d->pages()->tabText(tag), QString(kTitles[tag]));
      QCOMPARE(d->field(tag, 0)->text(), QString("A1..B2"));
      QCOMPARE(d->field(tag, 1) == d->field(tag, 2), tag > MatrixDialog::kMultiply);
      d->reject();
    }
  }

  void arrayOperationsRunAsOneUndoStep() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "4 7/2 6");
    Grid()->selectRange(MakeRange(0, 0, 1, 1));
    f.Run(Cmd::kArray, MatrixDialog::kInvert);
    MatrixDialog* d = f.matrixDialog();
    d->field(MatrixDialog::kInvert, 2)->setText("not a cell");
    const int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(d->isVisible());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    d->field(MatrixDialog::kInvert, 2)->setText("D1");
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(NumberAt(Slot(), 0, 3), 0.6);
    QCOMPARE(NumberAt(Slot(), 1, 4), 0.4);
    f.Run(Cmd::kArray, MatrixDialog::kMultiply);
    d->field(MatrixDialog::kMultiply, 1)->setText("A1..B2");
    d->field(MatrixDialog::kMultiply, 2)->setText("A1");  // over its own input
    d->Confirm();
    QCOMPARE(Block(0, 0, 2, 2), QString("30 70/20 50"));
    f.Run(Cmd::kUndo);
    QCOMPARE(Block(0, 0, 2, 2), QString("4 7/2 6"));
    QCOMPARE(NumberAt(Slot(), 0, 3), 0.6);
    // Cancel leaves the sheet alone.
    f.Run(Cmd::kArray, MatrixDialog::kDeterminant);
    d->field(MatrixDialog::kDeterminant, 2)->setText("F1");
    d->reject();
    QCOMPARE(KindAt(Slot(), 0, 5), uint8_t(kMissingKind));
  }

  void doubleClickedFieldsPointAtTheirRange() {
    MainWindow& f = Start();
    struct Case {
      int line;
      QLineEdit* (*field)(MainWindow&);
      const char* caption;
    };
    const Case kCases[] = {
        {__LINE__,
         [](MainWindow& w) {
           w.Run(Cmd::kData, DataDialog::kGoalSeekPage);
           return w.dataDialog()->rangeField(DataDialog::kGoalSeekPage, 1);
         },
         "Output Cell: Range"},
        {__LINE__,
         [](MainWindow& w) {
           w.Run(Cmd::kData, DataDialog::kTablePage);
           return w.dataDialog()->rangeField(DataDialog::kTablePage, 2);
         },
         "Table Output: Range"},
        {__LINE__,
         [](MainWindow& w) {
           w.Run(Cmd::kArray, MatrixDialog::kMultiply);
           return w.matrixDialog()->field(MatrixDialog::kMultiply, 1);
         },
         "Second: Range"},
    };
    for (const Case& c : kCases) {
      QLineEdit* field = c.field(f);
      QWidget* dialog = field->window();
      QTest::mouseDClick(field, Qt::LeftButton);
      QVERIFY2(f.rangePrompt()->isOpen(), qPrintable(QString("line %1").arg(c.line)));
      QVERIFY(!dialog->isVisible());
      Answer(f, c.caption, "C3..D4");
      QVERIFY(dialog->isVisible());
      QCOMPARE(field->text(), QString("C3..D4"));
      static_cast<QDialog*>(dialog)->reject();
    }
  }

  void theDataFormEditsRecords() {
    MainWindow& f = Start();
    EnterBlock(0, 0, "'Name 'Age/'Ann 30/'Bob 41");
    DataDialog* d = OpenPage(f, DataDialog::kFormPage);
    Fill(d, DataDialog::kFormPage, {"A1..B3"});
    d->Confirm();
    DataFormWindow* form = f.dataFormWindow();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("Data Form"));
    QCOMPARE(form->fieldCount(), size_t(2));
    QCOMPARE(form->recordLabel()->text(), QString("Record:1 of 2"));
    QCOMPARE(form->edit(0)->text(), QString("'Ann"));
    // A changed record is saved before the move.
    form->edit(1)->setText("31");
    form->Next();
    QCOMPARE(NumberAt(Slot(), 1, 1), 31.0);
    QCOMPARE(form->edit(0)->text(), QString("'Bob"));
    // Past the last record with "Clone Last Record": a copy becomes record 3.
    form->cloneBox()->setChecked(true);
    form->Next();
    QCOMPARE(form->recordLabel()->text(), QString("Record:3 of 3"));
    QCOMPARE(Block(3, 0, 1, 2), QString("'Bob 41"));
    form->edit(0)->setText("'Cy");
    form->Update();
    QCOMPARE(Text(3, 0), QString("'Cy"));
    form->Top();
    QCOMPARE(form->edit(0)->text(), QString("'Ann"));
    // Cancel closes without saving what was typed.
    form->edit(0)->setText("'Zed");
    form->reject();
    QVERIFY(!form->isVisible());
    QCOMPARE(Text(1, 0), QString("'Ann"));
    // A range without fields beeps and opens nothing.
    d = OpenPage(f, DataDialog::kFormPage);
    Fill(d, DataDialog::kFormPage, {"H1..I3"});
    const int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    QVERIFY(!form->isVisible());
  }
};

QTEST_MAIN(AnalysisActionsTest)
#include "analysis_actions_test.moc"
