// Qt Test: File > Import, Export and Merge — the file dialogs, the transfer and merge dialogs,
// what they bring into the sheet or write, Undo, Cancel and failures that keep the sheet.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QtTest>
#include <algorithm>

#include "commands/commands.h"
#include "core/entry.h"
#include "core/names.h"
#include "main_window_fixture.h"
#include "ui/cp1252.h"
#include "ui/merge_dialog.h"
#include "ui/range_prompt.h"
#include "ui/transfer_dialog.h"

namespace {

const QString kDbaseDir = QStringLiteral(TALLIVO_UI_GOLDEN_DIR "/../../data/corpus/dbf/");
const QString kTransferDir = QStringLiteral(TALLIVO_UI_GOLDEN_DIR "/../../data/transfer/");

// The entry-line text of the cell at `ref` ("" for no cell).
QString TextAt(SlotIndex slot, const char* ref) {
  SheetScope scope(slot);
  const ParsedCell p = ParseCellRef(ref);
  return GetCell(p.row, p.column) ? FromCp1252(EditText(p.row, p.column).text) : QString();
}

// Every cell of the sheet as "ROW,COLUMN TEXT" lines (what Cancel and failures must keep).
QString Cells(SlotIndex slot) {
  SheetScope scope(slot);
  QString out;
  for (uint32_t row = 0; row < uint32_t(kRowCount); ++row) {
    for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      out += QStringLiteral("%1,%2 %3\n").arg(row).arg(c->column).arg(
          FromCp1252(EditText(row, c->column).text));
    }
  }
  return out;
}

bool Modified(SlotIndex slot) {
  SheetScope scope(slot);
  return SheetModified();
}

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TransferActionsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  // Types `text` into the cell `ref` of the active sheet.
  void Enter(const char* ref, const char* text) {
    SheetScope scope(Slot());
    const ParsedCell p = ParseCellRef(ref);
    Grid()->moveTo(p.row, p.column);
    QTest::keyClicks(Grid(), QString::fromLatin1(text));
    QTest::keyClick(frame_->entryLine(), Qt::Key_Return);
  }

  // Chooses `file` with filter `filter` (from 0) in the file dialog `dialog` of command `cmd`.
  void ChooseFile(Cmd cmd, QFileDialog* dialog, int filter, const QString& file) {
    frame_->Run(cmd);
    QVERIFY(dialog->isVisible());
    dialog->selectNameFilter(dialog->nameFilters().at(filter));
    dialog->selectFile(file);
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
    QApplication::processEvents();
  }

  // Picks the export kind `filter` and the name `file`, then runs the transfer of `source`.
  void Export(int filter, const QString& file, const char* source) {
    ChooseFile(Cmd::kExport, frame_->exportFileDialog(), filter, file);
    TransferDialog* t = frame_->transferDialog();
    QVERIFY(t->isVisible());
    t->rangeField()->setText(QString::fromLatin1(source));
    t->Confirm();
    QVERIFY(!t->isVisible());
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  // The three file dialogs carry their titles, kinds and buttons, and each keeps the kind chosen
  // last; the menu items are enabled with a sheet.
  void fileDialogsOfferTheirKinds() {
    MainWindow& f = Start();
    struct Case {
      int line;
      Cmd cmd;
      QFileDialog* dialog;
      const char* title;
      const char* accept;
      QStringList kinds;
    };
    const Case kCases[] = {
        {__LINE__, Cmd::kImport, f.importFileDialog(), "TALLIVO IMPORT...", "&Import",
         {"ASCII (Import as Text)", "ASCII (Import as Values)", "dBase (*.dbf)"}},
        {__LINE__, Cmd::kExport, f.exportFileDialog(), "TALLIVO EXPORT...", "&Export",
         {"Worksheet", "ASCII (Quoted Text)", "ASCII (Comma Delimited Text)", "dBase (*.dbf)"}},
        {__LINE__, Cmd::kMerge, f.mergeFileDialog(), " MERGE", "&Merge",
         {"Worksheet (Merge Values)", "Worksheet (Merge Formulas)"}},
    };
    for (const Case& c : kCases) {
      const QString where = QStringLiteral("line %1").arg(c.line);
      QVERIFY2(f.action(c.cmd)->isEnabled(), qPrintable(where));
      f.Run(c.cmd);
      QVERIFY2(c.dialog->isVisible(), qPrintable(where));
      QCOMPARE(c.dialog->windowTitle(), QString::fromLatin1(c.title));
      QCOMPARE(c.dialog->labelText(QFileDialog::Accept), QString::fromLatin1(c.accept));
      QCOMPARE(c.dialog->nameFilters().size(), c.kinds.size());
      for (int i = 0; i < c.kinds.size(); ++i) {
        QVERIFY2(c.dialog->nameFilters().at(i).startsWith(c.kinds.at(i)), qPrintable(where));
      }
      c.dialog->selectNameFilter(c.dialog->nameFilters().last());
      c.dialog->reject();
      f.Run(c.cmd);
      QVERIFY2(c.dialog->nameFilters().last().startsWith(c.dialog->selectedNameFilter()),
               qPrintable(where));
      c.dialog->reject();
    }
    // Text kinds list the usual text endings too.
    QVERIFY(f.importFileDialog()->nameFilters().at(1).contains("*.csv"));
    QVERIFY(f.exportFileDialog()->nameFilters().at(2).contains("*.txt"));
  }

  // A CSV file as values at the target cell, then as text; each import is one step of Undo.
  void importCsvAsValuesAndAsText() {
    MainWindow& f = Start();
    Enter("A1", "keep");
    const QString csv = kTransferDir + "prices.csv";
    ChooseFile(Cmd::kImport, f.importFileDialog(), 1, csv);
    TransferDialog* t = f.transferDialog();
    QVERIFY(t->isVisible());
    QCOMPARE(t->windowTitle(), QString("Import Values"));
    QCOMPARE(t->rangeLabel()->text(), QString("&Target: "));
    QCOMPARE(t->rangeField()->text(), QString("A1"));
    QVERIFY(!t->allRecordsBox()->isVisibleTo(t));
    t->rangeField()->setText("B2");
    t->Confirm();
    QVERIFY(!t->isVisible());
    const SlotIndex slot = Slot();
    struct Case {
      int line;
      const char* ref;
      const char* text;
    };
    const Case kValues[] = {
        {__LINE__, "A1", "'keep"},
        {__LINE__, "B2", "'Item"},
        {__LINE__, "C2", "'Price"},
        {__LINE__, "B3", "'Crème brûlée"},
        {__LINE__, "C3", "4.5"},
        {__LINE__, "D3", "'€"},
        {__LINE__, "B4", "'Apples, red"},  // quoted: one cell with its comma
        {__LINE__, "C4", "42"},            // quoted "42" is a number
        {__LINE__, "B5", "'New"},          // unquoted: two cells
        {__LINE__, "C5", "'York"},
    };
    for (const Case& c : kValues) {
      QVERIFY2(TextAt(slot, c.ref) == QString::fromUtf8(c.text),
               qPrintable(QStringLiteral("line %1: %2").arg(c.line).arg(TextAt(slot, c.ref))));
    }
    QVERIFY(Modified(slot));
    // Undo takes the whole import back in one step.
    f.Run(Cmd::kUndo);
    QCOMPARE(Cells(slot), QString("0,0 'keep\n"));

    // As text: one label per line, at the cell pointer.
    Grid()->moveTo(3, 0);
    ChooseFile(Cmd::kImport, f.importFileDialog(), 0, csv);
    QCOMPARE(t->windowTitle(), QString("Import Text"));
    QCOMPARE(t->rangeField()->text(), QString("A4"));
    t->Confirm();
    QCOMPARE(TextAt(slot, "A4"), QString("'Item,Price"));
    QCOMPARE(TextAt(slot, "A6"), QString("'\"Apples, red\",\"42\""));
    QCOMPARE(TextAt(slot, "B4"), QString());
  }

  // A dBase table, all of it and a part given by start and count; the gauge follows the import.
  void importDbaseTables() {
    MainWindow& f = Start();
    QtPlatform& p = TheQtPlatform();
    const std::function<void(int)> gauge = p.onProgress;
    QList<int> shown;
    p.onProgress = [&shown, gauge](int percent) {
      shown << percent;
      gauge(percent);
    };
    ChooseFile(Cmd::kImport, f.importFileDialog(), 2, kDbaseDir + "VIRGINIA.DBF");
    TransferDialog* t = f.transferDialog();
    QCOMPARE(t->windowTitle(), QString("Import Dbase"));
    QVERIFY(t->allRecordsBox()->isVisibleTo(t));
    QVERIFY(t->allRecordsBox()->isChecked());
    QVERIFY(!t->startField()->isEnabled());
    t->Confirm();
    const SlotIndex slot = Slot();
    QCOMPARE(TextAt(slot, "C2"), QString("'Virginia"));
    QVERIFY(!TextAt(slot, "A137").isEmpty());  // 136 records below the names
    QVERIFY(TextAt(slot, "A138").isEmpty());
    // 136 records: one report after the first 128, then the gauge is hidden.
    QVERIFY(shown.size() >= 2);
    QVERIFY(shown.first() >= 0 && shown.first() <= 100);
    QCOMPARE(shown.last(), -1);
    QVERIFY(!f.findChild<QProgressBar*>("progressGauge")->isVisible());
    p.onProgress = gauge;

    // Records after the first one, two of them, on another sheet.
    QVERIFY(f.NewSheet());
    ChooseFile(Cmd::kImport, f.importFileDialog(), 2, kDbaseDir + "COLUMBUS.DBF");
    t->allRecordsBox()->setChecked(false);
    QVERIFY(t->startField()->isEnabled());
    t->startField()->setText("1");
    t->stopField()->setText("2");
    t->Confirm();
    QVERIFY(!t->isVisible());
    const SlotIndex second = Slot();
    QVERIFY(!TextAt(second, "A1").isEmpty());  // the field names
    QVERIFY(!TextAt(second, "A3").isEmpty());
    QVERIFY(TextAt(second, "A4").isEmpty());
    QVERIFY(TextAt(second, "A2") != QString("0.309441"));  // the first record was skipped
  }

  // Each export kind writes its file; a name without "." gets the kind's extension in its case;
  // an existing file is replaced only after Yes.
  void exportEachKind() {
    MainWindow& f = Start();
    Enter("A1", "NAME");
    Enter("B1", "AMOUNT");
    Enter("A2", "Tea, green");
    Enter("B2", "1234.5");
    Enter("A3", "Coffee");
    Enter("B3", "+B2*2");
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("own.wks")));
    const SlotIndex own = Slot();
    struct Case {
      int line;
      int filter;
      const char* name;
      const char* written;
      QByteArray start;  // the file's first bytes ("" only checks that it exists)
    };
    const Case kCases[] = {
        {__LINE__, 0, "sheet", "sheet.wks", QByteArray()},
        {__LINE__, 1, "quoted", "quoted.prn", "\"NAME\",\"AMOUNT\"\n\"Tea, green\",\"1234.5\"\n"},
        {__LINE__, 2, "COMMA", "COMMA.PRN", "NAME,AMOUNT\n\"Tea, green\",1234.5\nCoffee,2469\n"},
        {__LINE__, 2, "list.csv", "list.csv", "NAME,AMOUNT\n"},
        {__LINE__, 3, "table", "table.dbf", QByteArray()},
    };
    for (const Case& c : kCases) {
      Export(c.filter, Path(c.name), "A1..B3");
      const QByteArray bytes = FileBytes(Path(c.written));
      QVERIFY2(!bytes.isEmpty(), qPrintable(QStringLiteral("line %1").arg(c.line)));
      QVERIFY2(bytes.startsWith(c.start), qPrintable(QStringLiteral("line %1").arg(c.line)));
    }
    QCOMPARE(f.transferDialog()->windowTitle(), QString("Transfer"));  // dBase export
    QCOMPARE(f.transferDialog()->rangeLabel()->text(), QString("&Source: "));
    // Exporting saved no change of the sheet, and did not mark one.
    QVERIFY(!Modified(own));

    // The exported worksheet and table read back.
    QVERIFY(f.NewSheet());
    ChooseFile(Cmd::kImport, f.importFileDialog(), 2, Path("table.dbf"));
    f.transferDialog()->Confirm();
    QCOMPARE(TextAt(Slot(), "B2"), QString("'1234.5"));  // a label names a character field
    QCOMPARE(TextAt(Slot(), "A3"), QString("'Coffee"));

    // Replacing: No keeps the old file and asks nothing more; Yes writes.
    const QByteArray old = FileBytes(Path("quoted.prn"));
    f.activeSheetWindow()->parentWidget()->close();
    QApplication::processEvents();
    TheQtPlatform().scriptedAnswers = {Answer::kNo};
    ChooseFile(Cmd::kExport, f.exportFileDialog(), 1, Path("quoted"));
    QVERIFY(!f.transferDialog()->isVisible());
    QCOMPARE(messages_.last(), QString("TALLIVO EXPORT... quoted.prn already exists.\nDo you want "
                                       "to replace it?"));
    QCOMPARE(FileBytes(Path("quoted.prn")), old);
    TheQtPlatform().scriptedAnswers = {Answer::kYes};
    Export(1, Path("quoted"), "A1..B2");
    QVERIFY(FileBytes(Path("quoted.prn")) != old);
  }

  // Merge values and formulas with each action; a named block of the file lands on the target
  // cell and names the gauge; every merge is one step of Undo.
  void mergeWithEachAction() {
    MainWindow& f = Start();
    QVERIFY(f.NewSheet());
    {
      SheetScope scope(Slot());
      for (uint32_t row = 0; row < 3000; ++row) EnterCell(std::to_string(row), row, 0);
    }
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("long.wks")));
    f.activeSheetWindow()->parentWidget()->close();
    QApplication::processEvents();
    Enter("A1", "10");
    Enter("B1", "+A1*2");
    Enter("A2", "label");
    Enter("B2", "3");
    {
      SheetScope scope(Slot());
      QVERIFY(DefineName("PART", CellRange{1, 0, 1, 1}) != 0);  // B1..B2
    }
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("source.wks")));
    QVERIFY(f.NewSheet());
    const SlotIndex slot = Slot();
    Enter("A1", "1");
    Enter("B1", "5");

    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 0, Path("source.wks"));
    MergeDialog* m = f.mergeDialog();
    QVERIFY(m->isVisible());
    QCOMPARE(m->windowTitle(), QString("Merge Value"));
    QCOMPARE(m->sourceBox()->count(), 1);
    QCOMPARE(m->sourceBox()->itemText(0), QString("PART"));
    QVERIFY(m->allButton()->isChecked());
    QCOMPARE(m->actionButtons()->checkedId(), 1);
    QCOMPARE(m->cellField()->text(), QString("B1"));  // the cell pointer
    m->cellField()->setText("A1");
    m->actionButtons()->button(2)->setChecked(true);  // Sum
    m->Confirm();
    QVERIFY(!m->isVisible());
    QCOMPARE(TextAt(slot, "A1"), QString("11"));
    QCOMPARE(TextAt(slot, "B1"), QString("25"));  // 5 + the formula's value 20
    QCOMPARE(TextAt(slot, "A2"), QString("'label"));
    f.Run(Cmd::kUndo);
    QCOMPARE(Cells(slot), QString("0,0 1\n0,1 5\n"));

    // Difference of the named block at D5, formulas kept; the dialog starts from All and Replace.
    QtPlatform& p = TheQtPlatform();
    const std::function<void(int)> gauge = p.onProgress;
    QStringList titles;
    p.onProgress = [&](int percent) {
      if (percent >= 0) titles << f.findChild<QProgressBar*>("progressGauge")->format();
      gauge(percent);
    };
    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 1, Path("source.wks"));
    QCOMPARE(m->windowTitle(), QString("Merge by Formula"));
    QVERIFY(m->allButton()->isChecked());
    QCOMPARE(m->actionButtons()->checkedId(), 1);
    m->cellField()->setText("D5");
    m->sourceBox()->setEditText("part");  // a name of the file, in any case, picks Range
    QVERIFY(m->rangeButton()->isChecked());
    m->actionButtons()->button(3)->setChecked(true);
    m->Confirm();
    p.onProgress = gauge;
    QCOMPARE(TextAt(slot, "D5"), QString("+C5*2"));  // a formula is placed as with Replace
    QCOMPARE(TextAt(slot, "D6"), QString("-3"));      // a number subtracted from none
    QVERIFY(TextAt(slot, "C5").isEmpty());
    QVERIFY(!titles.isEmpty());
    QVERIFY(titles.first().startsWith("MERGE [ part ]"));
    QCOMPARE(f.progressTitle(), QString());

    // Replace with formulas at A10: the formula comes as a formula, moved with its cell.
    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 1, Path("source.wks"));
    m->cellField()->setText("A10");
    m->Confirm();
    QCOMPARE(TextAt(slot, "B10"), QString("+A10*2"));
    QCOMPARE(NumberAt(slot, 9, 1), 20.0);
    // A range text of the file (with ".") merges that block only.
    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 0, Path("source.wks"));
    m->cellField()->setText("H1");
    m->rangeButton()->setChecked(true);
    m->sourceBox()->setEditText("B2..B2");
    m->Confirm();
    QCOMPARE(TextAt(slot, "H1"), QString("3"));
    QVERIFY(TextAt(slot, "I1").isEmpty());

    // A longer file moves the gauge while it is read, before the merge hides it.
    QList<int> percents;
    p.onProgress = [&](int percent) {
      percents << percent;
      gauge(percent);
    };
    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 0, Path("long.wks"));
    m->cellField()->setText("K1");
    m->Confirm();
    p.onProgress = gauge;
    QCOMPARE(NumberAt(slot, 2999, 10), 2999.0);
    QVERIFY(std::any_of(percents.begin(), percents.end(), [](int v) { return v > 0 && v < 100; }));
    QCOMPARE(percents.last(), -1);
  }

  // Double-clicking the target or source field points at it on the range prompt; an import
  // takes the first cell of what was pointed at.
  void fieldsPointOnTheRangePrompt() {
    MainWindow& f = Start();
    struct Case {
      int line;
      Cmd cmd;
      int filter;
      const char* file;
      const char* caption;
      const char* pointed;
      const char* field;
    };
    const QString csv = kTransferDir + "prices.csv";
    const QString dbf = kDbaseDir + "ROOK31.DBF";
    const Case kCases[] = {
        {__LINE__, Cmd::kImport, 1, "csv", "IMPORT: Specify Target", "C3..D9", "C3"},
        {__LINE__, Cmd::kImport, 2, "dbf", "IMPORT DBASE: Specify Target", "E5", "E5"},
        {__LINE__, Cmd::kExport, 1, "out", "EXTRACT: Specify Source", "A1..B4", "A1..B4"},
    };
    for (const Case& c : kCases) {
      const QString where = QStringLiteral("line %1").arg(c.line);
      const QString file = c.file == QLatin1String("csv")   ? csv
                           : c.file == QLatin1String("dbf") ? dbf
                                                            : Path(c.file);
      ChooseFile(c.cmd, c.cmd == Cmd::kImport ? f.importFileDialog() : f.exportFileDialog(),
                 c.filter, file);
      TransferDialog* t = f.transferDialog();
      QTest::mouseDClick(t->rangeField(), Qt::LeftButton);
      QVERIFY2(f.rangePrompt()->isOpen(), qPrintable(where));
      QVERIFY2(!t->isVisible(), qPrintable(where));
      QCOMPARE(f.rangePrompt()->caption(), QString::fromLatin1(c.caption));
      f.rangePrompt()->setText(QString::fromLatin1(c.pointed));
      QVERIFY2(f.rangePrompt()->Accept(), qPrintable(where));
      QVERIFY2(t->isVisible(), qPrintable(where));
      QCOMPARE(t->rangeField()->text(), QString::fromLatin1(c.field));
      t->reject();
    }
  }

  // Cancel in any dialog changes nothing and writes nothing; fields that do not read keep the
  // dialog open.
  void cancelChangesNothing() {
    MainWindow& f = Start();
    Enter("A1", "7");
    Enter("A2", "'text");
    QVERIFY(f.SaveSheetAs(f.activeSheetWindow(), Path("own.wks")));
    const SlotIndex slot = Slot();
    const QString before = Cells(slot);
    const QStringList filesBefore = QDir(home_.path()).entryList(QDir::Files);

    f.Run(Cmd::kImport);
    f.importFileDialog()->reject();
    f.Run(Cmd::kExport);
    f.exportFileDialog()->reject();
    f.Run(Cmd::kMerge);
    f.mergeFileDialog()->reject();
    QApplication::processEvents();

    ChooseFile(Cmd::kImport, f.importFileDialog(), 1, kTransferDir + "prices.csv");
    TransferDialog* t = f.transferDialog();
    t->rangeField()->setText("no such place");
    const int beeps = TheQtPlatform().beeps;
    t->Confirm();
    QVERIFY(t->isVisible());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    t->reject();
    ChooseFile(Cmd::kExport, f.exportFileDialog(), 2, Path("never"));
    t->reject();

    QVERIFY(f.SaveSheetAs(f.NewSheet(), Path("other.wks")));
    f.activeSheetWindow()->parentWidget()->close();
    QApplication::processEvents();
    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 0, Path("other.wks"));
    MergeDialog* m = f.mergeDialog();
    m->rangeButton()->setChecked(true);
    m->Confirm();  // Range with nothing named
    QVERIFY(m->isVisible());
    m->reject();

    QCOMPARE(Cells(slot), before);
    QVERIFY(!Modified(slot));
    QVERIFY(!QFile::exists(Path("never.prn")));
    QStringList filesAfter = QDir(home_.path()).entryList(QDir::Files);
    filesAfter.removeAll("other.wks");
    QCOMPARE(filesAfter, filesBefore);
  }

  // An import or merge that fails keeps what the sheet held and says why.
  void failuresKeepTheSheet() {
    MainWindow& f = Start();
    Enter("A1", "7");
    Enter("B1", "'text");
    const SlotIndex slot = Slot();
    const QString before = Cells(slot);
    QFile bad(Path("short.dbf"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("\x03\x7c\x01", 3);
    bad.close();
    QFile damaged(Path("damaged.wks"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a worksheet");
    damaged.close();

    ChooseFile(Cmd::kImport, f.importFileDialog(), 2, Path("short.dbf"));
    f.transferDialog()->Confirm();
    QCOMPARE(messages_.last(), QString("Error: Unable to Read"));
    QCOMPARE(Cells(slot), before);

    // The file is gone by the time the transfer runs.
    ChooseFile(Cmd::kImport, f.importFileDialog(), 1, Path("short.dbf"));
    QVERIFY(QFile::remove(Path("short.dbf")));
    f.transferDialog()->Confirm();
    QVERIFY(messages_.last().startsWith("Error: File Not Found! "));
    QCOMPARE(Cells(slot), before);

    const int messages = int(messages_.size());
    ChooseFile(Cmd::kMerge, f.mergeFileDialog(), 0, Path("damaged.wks"));
    QVERIFY(f.mergeDialog()->isVisible());
    f.mergeDialog()->Confirm();
    QVERIFY(!f.mergeDialog()->isVisible());
    QCOMPARE(int(messages_.size()), messages + 1);
    QCOMPARE(Cells(slot), before);
  }
};

int main(int argc, char** argv) {
  // Test discovery may run this program outside ctest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  TransferActionsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "transfer_actions_test.moc"
