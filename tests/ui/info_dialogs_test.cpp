// Qt Test: the document information, System Metrics, tip and range-name dialogs, the Word
// dialog's line limit and the quick buttons' icons — each opened from its menu item, filled in as
// a user would, then the sheet checked; Cancel leaves the sheet as it was.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "commands/document_info.h"
#include "core/entry.h"
#include "core/names.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "files/tips_file.h"
#include "main_window_fixture.h"
#include "ui/button_icons.h"
#include "ui/document_info_dialog.h"
#include "ui/range_name_dialog.h"
#include "ui/system_metrics_dialog.h"
#include "ui/tip_dialog.h"
#include "ui/word_dialog.h"

class InfoDialogsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  void Enter(int row, int column, const char* text) {
    SheetScope scope(Slot());
    EnterCell(text, uint32_t(row), uint32_t(column));
  }
  QString Text(int row, int column) {
    SheetScope scope(Slot());
    return QString::fromStdString(EditText(uint32_t(row), uint32_t(column)).text);
  }
  DocumentInfo Info() {
    SheetScope scope(Slot());
    return CurrentDocumentInfo();
  }
  bool Modified() {
    SheetScope scope(Slot());
    return SheetModified();
  }
  void SetModified(bool on) {
    SheetScope scope(Slot());
    SetSheetModified(on);
  }
  QStringList Names() {
    SheetScope scope(Slot());
    QStringList out;
    for (int i = 1; i <= NameCount(); ++i) {
      out << QString::fromStdString(NameAt(i) + " " + RangeText(NameRange(i)));
    }
    return out;
  }
  QStringList ListedNames(RangeNameDialog* d) {
    QStringList out;
    for (int i = 0; i < d->nameList()->count(); ++i) {
      out << d->nameList()->item(i)->text().replace('\t', ' ');
    }
    return out;
  }
  void WriteTips(const QByteArray& contents) {
    QFile tips(QString::fromStdString(TipsFileName()));
    QVERIFY(tips.open(QIODevice::WriteOnly));
    tips.write(contents);
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() {
    CloseWindow();
    QFile::remove(QString::fromStdString(TipsFileName()));
  }

  void documentInfoOkStoresBothTextsAndCancelNothing() {
    MainWindow& f = Start();
    SetModified(false);
    f.Run(Cmd::kDocInfo);
    DocumentInfoDialog* d = f.documentInfoDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QString(" Document Info"));
    QVERIFY(d->titleField()->text().isEmpty());
    QVERIFY(!d->revisedByLabel()->text().isEmpty());
    QVERIFY(d->versionLabel()->text().startsWith("TALLIVO "));
    QTest::keyClicks(d->titleField(), "Household budget");
    d->commentsBox()->setFocus();
    QTest::keyClicks(d->commentsBox(), "first line");
    QTest::keyClick(d->commentsBox(), Qt::Key_Return);
    QTest::keyClicks(d->commentsBox(), "second");
    d->accept();
    QCOMPARE(Info().title, std::string("Household budget"));
    QCOMPARE(Info().comments, std::string("first line\rsecond"));
    QVERIFY(Modified());

    // Opening again shows the stored texts, the comment lines as lines.
    SetModified(false);
    f.Run(Cmd::kDocInfo);
    QCOMPARE(d->commentsBox()->toPlainText(), QString("first line\nsecond"));
    d->titleField()->setText("Changed");
    d->commentsBox()->setPlainText("changed too");
    d->reject();
    QCOMPARE(Info().title, std::string("Household budget"));
    QCOMPARE(Info().comments, std::string("first line\rsecond"));
    QVERIFY(!Modified());

    // One Undo puts back both texts.
    f.Run(Cmd::kDocInfo);
    d->titleField()->setText("Second title");
    d->accept();
    f.Run(Cmd::kUndo);
    QCOMPARE(Info().title, std::string("Household budget"));
  }

  void documentInfoBoxesStopInputAtTheirLimits() {
    MainWindow& f = Start();
    f.Run(Cmd::kDocInfo);
    DocumentInfoDialog* d = f.documentInfoDialog();
    QCOMPARE(d->titleField()->maxLength(), 80);
    const int beeps = TheQtPlatform().beeps;
    // 250 characters and two line breaks: three more characters fit, the rest of a paste not.
    d->commentsBox()->setPlainText(QString(100, 'a') + "\n" + QString(150, 'b') + "\n");
    QCOMPARE(d->commentsBox()->toPlainText().size(), 252);
    d->commentsBox()->moveCursor(QTextCursor::End);
    d->commentsBox()->insertPlainText("cdefgh");
    QCOMPARE(d->commentsBox()->toPlainText(), QString(100, 'a') + "\n" + QString(150, 'b') + "\ncde");
    QVERIFY(TheQtPlatform().beeps > beeps);
    // Typing at the limit is refused, in the middle as well.
    d->commentsBox()->moveCursor(QTextCursor::Start);
    QTest::keyClicks(d->commentsBox(), "zz");
    QTest::keyClick(d->commentsBox(), Qt::Key_Return);
    QCOMPARE(d->commentsBox()->toPlainText().size(), 255);
    QVERIFY(d->commentsBox()->toPlainText().startsWith(QString(100, 'a')));
    d->accept();
    QCOMPARE(Info().comments.size(), size_t(255));
  }

  void systemMetricsShowsTheSheetAndTheMemory() {
    MainWindow& f = Start();
    Enter(1, 1, "5");
    Enter(3, 2, "'x");
    Enter(0, 4, "+B2*2");
    SetModified(false);
    f.Run(Cmd::kGetInfo);
    SystemMetricsDialog* d = f.systemMetricsDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QString("System Metrics"));
    const QString sheet = " Active Worksheet";
    QCOMPARE(d->value(sheet, "Name:"),
             QString::fromStdString(Worksheet(Slot()).fileName));
    QCOMPARE(d->value(sheet, "Used:"), QString("3"));
    QCOMPARE(d->value(sheet, "Range:"), QString("B1..E4"));
    QCOMPARE(d->value(" Directories", "Exe:"), QString::fromStdString(ProgramDirectory()));
    QVERIFY(d->value(" System", "Version:").startsWith("TALLIVO "));
    QVERIFY(d->value(" System", "Processor:").startsWith(QSysInfo::currentCpuArchitecture()));
    auto bytes = [&](const char* caption) {
      return d->value(" Memory", caption).remove(QRegularExpression("[^0-9]")).toLongLong();
    };
    QVERIFY(bytes("Total:") > 0);
    QCOMPARE(bytes("Used:") + bytes("Free:"), bytes("Total:"));
    d->accept();
    QVERIFY(!Modified());
    QCOMPARE(SystemMetricsDialog::ProcessorModel("processor\t: 0\nvendor_id\t: X\nmodel name\t: "
                                                 "Some CPU @ 2.0GHz\nmodel name\t: second\n"),
             QString("Some CPU @ 2.0GHz"));
    QCOMPARE(SystemMetricsDialog::ProcessorModel("processor: 0\n"), QString());
  }

  void tipsShowEveryTipAndNextWraps() {
    WriteTips("3\np 1\nFirst tip.\np 2\nSecond\ntip.\np 3\nThird tip.\n");
    MainWindow& f = Start(true, {}, "[Flags]\nTIPS=FALSE\n");
    QCoreApplication::processEvents();
    QVERIFY(!f.tipDialog()->isVisible());  // not at start-up with TIPS=FALSE
    QVERIFY(f.action(Cmd::kTips)->isEnabled());
    f.Run(Cmd::kTips);
    TipDialog* d = f.tipDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->tipCount(), 3);
    QVERIFY(d->tipNumber() >= 1 && d->tipNumber() <= 3);
    d->ShowTip(2);
    QCOMPARE(d->tipLabel()->text(), QString("Second tip."));
    d->findChild<QPushButton*>("nextTipButton")->click();
    QCOMPARE(d->tipLabel()->text(), QString("Third tip."));
    d->findChild<QPushButton*>("nextTipButton")->click();
    QCOMPARE(d->tipLabel()->text(), QString("First tip."));
    QVERIFY(!d->startupBox()->isChecked());
    d->startupBox()->click();
    QVERIFY(Settings().tips);
    d->accept();
    QVERIFY(!d->isVisible());
  }

  void tipsAtStartupAndTheFallback() {
    WriteTips("2\np 1\nOnly the first tip exists.\n");
    MainWindow& f = Start(true, {}, "[Flags]\nTIPS=TRUE\n");
    QTRY_VERIFY(f.tipDialog()->isVisible());
    TipDialog* d = f.tipDialog();
    d->ShowTip(2);
    QCOMPARE(d->tipLabel()->text(), QString(kFallbackTip));
    d->startupBox()->setChecked(false);
    QVERIFY(!Settings().tips);
    d->accept();
    // Without the file the menu item is off.
    QFile::remove(QString::fromStdString(TipsFileName()));
    f.UpdateMenuState();
    QVERIFY(!f.action(Cmd::kTips)->isEnabled());
  }

  void rangeNamesCreateDeleteResetAndUndo() {
    MainWindow& f = Start();
    Grid()->selectRange(MakeRange(0, 0, 1, 1));  // A1..B2
    f.Run(Cmd::kRangeName);
    RangeNameDialog* d = f.rangeNameDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->pages()->currentIndex(), int(RangeNameDialog::kNamesPage));
    QCOMPARE(d->rangeField()->text(), QString("A1..B2"));
    QStringList tabs;
    for (int i = 0; i < d->pages()->count(); ++i) tabs << d->pages()->tabText(i);
    QCOMPARE(tabs, QStringList({"Names", "Build", "Table"}));

    d->nameField()->setText("total");
    d->findChild<QPushButton*>("createButton")->click();
    d->nameField()->setText("Cost");
    d->rangeField()->setText("c3..c9");
    d->findChild<QPushButton*>("createButton")->click();
    QCOMPARE(Names(), QStringList({"COST C3..C9", "TOTAL A1..B2"}));
    QCOMPARE(ListedNames(d), Names());

    // A bad range beeps and keeps the field; a name of digits shows the status.
    int beeps = TheQtPlatform().beeps;
    d->nameField()->setText("bad");
    d->rangeField()->setText("A1..ZZ99999");
    d->findChild<QPushButton*>("createButton")->click();
    QVERIFY(TheQtPlatform().beeps > beeps);
    QCOMPARE(d->rangeField()->text(), QString("A1..ZZ99999"));
    QCOMPARE(Names().size(), 2);
    beeps = TheQtPlatform().beeps;
    d->nameField()->setText("123");
    d->rangeField()->setText("A1");
    d->findChild<QPushButton*>("createButton")->click();
    QVERIFY(TheQtPlatform().beeps > beeps);
    QCOMPARE(d->status()->text(), QString(" All Digits in Name!"));
    QCOMPARE(Names().size(), 2);

    // Choosing a name fills the fields; Delete removes it; Undo brings it back.
    d->nameList()->setCurrentRow(1);
    QCOMPARE(d->nameField()->text(), QString("TOTAL"));
    QCOMPARE(d->rangeField()->text(), QString("A1..B2"));
    d->findChild<QPushButton*>("deleteButton")->click();
    QCOMPARE(Names(), QStringList({"COST C3..C9"}));
    QCOMPARE(ListedNames(d), Names());
    f.Run(Cmd::kUndo);  // the list follows
    QCOMPARE(Names(), QStringList({"COST C3..C9", "TOTAL A1..B2"}));
    QCOMPARE(ListedNames(d), Names());

    // Reset asks first: No keeps the names, Yes removes them.
    TheQtPlatform().scriptedAnswers = {Answer::kNo};
    d->findChild<QPushButton*>("resetButton")->click();
    QCOMPARE(Names().size(), 2);
    TheQtPlatform().scriptedAnswers = {Answer::kYes};
    d->findChild<QPushButton*>("resetButton")->click();
    QVERIFY(Names().isEmpty());
    QCOMPARE(d->nameList()->count(), 0);
    d->reject();
  }

  void rangeNamesBuildAndTable() {
    MainWindow& f = Start();
    Enter(0, 0, "'north");
    Enter(0, 1, "'D1..D5");
    Enter(1, 0, "'south");
    Enter(1, 1, "'E1..E5");
    Grid()->selectRange(MakeRange(0, 0, 1, 1));
    f.Run(Cmd::kRangeName);
    RangeNameDialog* d = f.rangeNameDialog();
    d->pages()->setCurrentIndex(RangeNameDialog::kBuildPage);
    QCOMPARE(d->buildField()->text(), QString("A1..B2"));
    d->findChild<QPushButton*>("buildButton")->click();
    QCOMPARE(Names(), QStringList({"NORTH D1..D5", "SOUTH E1..E5"}));
    QCOMPARE(ListedNames(d), Names());
    d->tableField()->setText("G3");
    d->findChild<QPushButton*>("tableButton")->click();
    QCOMPARE(Text(2, 6), QString("'NORTH"));
    QCOMPARE(Text(3, 6), QString("'SOUTH"));
    QVERIFY(!Text(2, 7).isEmpty());
    // One Undo takes the whole table away.
    f.Run(Cmd::kUndo);
    QVERIFY(Text(2, 6).isEmpty());
    QVERIFY(Text(3, 6).isEmpty());
    // A bad range beeps and changes nothing.
    const int beeps = TheQtPlatform().beeps;
    d->tableField()->setText("nowhere..");
    d->findChild<QPushButton*>("tableButton")->click();
    QVERIFY(TheQtPlatform().beeps > beeps);
    QVERIFY(Text(2, 6).isEmpty());
    d->reject();
  }

  void rangeNameDialogOfAClosedSheetRefuses() {
    MainWindow& f = Start();
    f.Run(Cmd::kRangeName);
    RangeNameDialog* d = f.rangeNameDialog();
    QVERIFY(d->isVisible());
    TheQtPlatform().scriptedAnswers.assign(5, Answer::kNo);
    f.Run(Cmd::kClose);
    QTRY_VERIFY(WorksheetWindow::Windows().empty());
    const int beeps = TheQtPlatform().beeps;
    d->nameField()->setText("gone");
    d->rangeField()->setText("A1");
    d->findChild<QPushButton*>("createButton")->click();
    QVERIFY(TheQtPlatform().beeps > beeps);
    QVERIFY(!d->isVisible());
  }

  void wordLinesHoldACellsLength() {
    struct Case {
      QString line;
      int stored;
    };
    const Case kCases[] = {
        {"", 0}, {"text", 5}, {"'text", 5}, {"^centred", 8}, {"123", 3}, {"+A1*2", 5},
    };
    for (const Case& c : kCases) QCOMPARE(WordDialog::StoredLength(c.line), c.stored);

    MainWindow& f = Start();
    Grid()->selectRange(MakeRange(0, 0, 0, 2));
    f.Run(Cmd::kWord);
    WordDialog* d = f.wordDialog();
    QCOMPARE(d->textBox()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // A label line keeps room for its prefix; a line with its own prefix takes 240.
    d->textBox()->setPlainText(QString(300, 'x') + "\n'" + QString(300, 'y') + "\nshort");
    const QStringList lines = d->textBox()->toPlainText().split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QString(239, 'x'));
    QCOMPARE(lines[1], "'" + QString(239, 'y'));
    QCOMPARE(lines[2], QString("short"));
    d->accept();
    QCOMPARE(Text(0, 0), "'" + QString(239, 'x'));
    QCOMPARE(Text(1, 0), "'" + QString(239, 'y'));
  }

  void everyQuickButtonHasAnIconThatDraws() {
    MainWindow& f = Start();
    const QList<QToolButton*> buttons =
        f.findChild<QToolBar*>("quickBar")->findChildren<QToolButton*>();
    int checked = 0;
    for (QToolButton* b : buttons) {
      const QString path = ButtonOwnIconPath(b->objectName());
      if (path.isEmpty()) continue;  // the toolbar's own extension button
      ++checked;
      QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
      QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
      // The own icon draws at 1x and 2x: something opaque on a transparent ground.
      for (int size : {22, 44}) {
        const QImage image = QIcon(path).pixmap(size, size).toImage();
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.width(), size);
        int opaque = 0;
        for (int y = 0; y < size; ++y) {
          for (int x = 0; x < size; ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
        }
        QVERIFY2(opaque > size && opaque < size * size * 9 / 10, qPrintable(path));
      }
    }
    QCOMPARE(checked, 31);
    QCOMPARE(f.button("copyButton")->toolTip(), QString("Copy Text"));
    QCOMPARE(ButtonThemeIconName("copyButton"), QString("edit-copy"));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InfoDialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "info_dialogs_test.moc"
