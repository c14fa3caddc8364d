// Qt Test: the graph settings dialog opened from the "&Graph" menu — pages by tag, the type grids,
// range fields through the range prompt, "&Cancel", names, legends, formula scale fields, and
// "&Clear...".
#include "graph/graph_settings_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QtTest>
#include <cstring>

#include "commands/engine_start.h"
#include "core/graph_definition.h"
#include "main_window_fixture.h"
#include "ui/range_prompt.h"

class GraphSettingsDialogTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  GraphBlock Definition() {
    SheetScope scope(Slot());
    GraphBlock b;
    std::memcpy(b.data(), CurrentGraph().bytes(), kGraphBlockSize);
    return b;
  }
  GraphDefinition Current() {
    // Tests read the definition of the active sheet, which is current between commands.
    return CurrentGraph();
  }
  static void Finish(QLineEdit* field, const QString& text) {
    field->setText(text);
    emit field->editingFinished();
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void menuTagsOpenTheirPages() {
    MainWindow& f = Start();
    QVERIFY(f.action(Cmd::kGraph, 0)->isEnabled());
    QVERIFY(f.action(Cmd::kGraphClear)->isEnabled());
    QVERIFY(f.action(Cmd::kGraphView)->isEnabled());
    const int kPages[][2] = {{0, 0}, {1, 1}, {8, 7}, {3, 3}, {2, 2}, {4, 4}, {5, 5}, {7, 6}};
    GraphSettingsDialog* first = nullptr;
    for (const auto& [tag, page] : kPages) {
      f.Run(Cmd::kGraph, tag);
      GraphSettingsDialog* d = f.graphSettings();
      QVERIFY(d);
      if (!first) first = d;
      QCOMPARE(d, first);  // created once, reused
      QCOMPARE(d->pages()->currentIndex(), page);
      QVERIFY(d->isVisible());
      d->Confirm();
    }
    QCOMPARE(first->captionLine()->text(), QStringLiteral("* Default *"));
  }

  void typeGridsClearEachOtherAndStoreTheirCodes() {
    MainWindow& f = Start();
    f.Run(Cmd::kGraph, 0);
    GraphSettingsDialog* d = f.graphSettings();
    d->typeButton(false, kGraphContour)->click();
    QCOMPARE(int(Current().type()), 13);
    QVERIFY(d->typeButton(false, kGraphContour)->isChecked());
    d->typeButton(true, kGraphStrip3D)->click();
    QCOMPARE(int(Current().type()), 11);
    QVERIFY(!d->typeButton(false, kGraphContour)->isChecked());
    d->typeButton(false, kGraphBar)->click();
    QCOMPARE(int(Current().type()), 1);
    QVERIFY(!d->typeButton(true, kGraphStrip3D)->isChecked());
    QVERIFY(!d->typeButton(true, kGraphBar3D)->isChecked());
    d->Confirm();
    QCOMPARE(int(Current().type()), 1);
  }

  void cancelRestoresTheWholeDefinition() {
    MainWindow& f = Start();
    const GraphBlock before = Definition();
    f.Run(Cmd::kGraph, 1);
    GraphSettingsDialog* d = f.graphSettings();
    Finish(d->seriesField(0), QStringLiteral("A1..A4"));
    Finish(d->seriesField(3), QStringLiteral("c1..c4"));
    QCOMPARE(Current().range(3), MakeRange(2, 0, 2, 3));
    d->typeButton(false, kGraphPie)->click();
    d->headingField(0)->setText(QStringLiteral("Sales"));
    QTest::keyClick(d->headingField(0), Qt::Key_X);
    QCOMPARE(QString::fromStdString(Current().heading(0)), QStringLiteral("Salesx"));
    d->CancelChanges();
    QVERIFY(!d->isVisible());
    const GraphBlock after = Definition();
    QVERIFY(std::memcmp(before.data(), after.data(), kGraphBlockSize) == 0);
  }

  void rangeFieldsAskThroughTheRangePrompt() {
    MainWindow& f = Start();
    Grid()->moveTo(1, 1);  // the selection B2 is the start of an empty field
    f.Run(Cmd::kGraph, 1);
    GraphSettingsDialog* d = f.graphSettings();
    d->AskForRange(0);
    QVERIFY(!d->isVisible());
    QVERIFY(f.rangePrompt()->isOpen());
    QCOMPARE(f.rangePrompt()->caption(), QStringLiteral("X-Data: Specify Range"));
    QCOMPARE(f.rangePrompt()->text(), QStringLiteral("B2"));
    f.rangePrompt()->setText(QStringLiteral("A1..A9"));
    QVERIFY(f.rangePrompt()->Accept());
    QVERIFY(d->isVisible());
    QCOMPARE(Current().range(0), MakeRange(0, 0, 0, 8));
    QCOMPARE(d->seriesField(0)->text(), QStringLiteral("A1..A9"));

    // A field with a range starts from it; a cancelled prompt brings the dialog back unchanged.
    d->AskForRange(0);
    QCOMPARE(f.rangePrompt()->text(), QStringLiteral("A1..A9"));
    f.rangePrompt()->Cancel();
    QVERIFY(d->isVisible());
    QCOMPARE(Current().range(0), MakeRange(0, 0, 0, 8));

    d->AskForRange(kGraphLabelRange1 + 2);
    QCOMPARE(f.rangePrompt()->caption(), QStringLiteral("3-Label : Specify Range"));
    f.rangePrompt()->setText(QStringLiteral("D1..D9"));
    QVERIFY(f.rangePrompt()->Accept());
    QCOMPARE(Current().labelRange(3), MakeRange(3, 0, 3, 8));
    d->AskForRange(6);
    QCOMPARE(f.rangePrompt()->caption(), QStringLiteral("6-Data: Specify Range"));
    f.rangePrompt()->Cancel();
    d->Confirm();
  }

  void namesLegendsAndScaleFields() {
    MainWindow& f = Start();
    f.Run(Cmd::kGraph, 4);
    GraphSettingsDialog* d = f.graphSettings();
    d->nameField()->setText(QStringLiteral("sales"));
    d->NameAction(0);
    QCOMPARE(d->nameList()->count(), 1);
    QCOMPARE(d->nameList()->item(0)->text(), QStringLiteral("SALES"));
    QCOMPARE(d->captionLine()->text(), QStringLiteral("SALES"));
    d->nameField()->setText(QStringLiteral("*X"));
    d->NameAction(0);
    QCOMPARE(d->nameList()->count(), 1);

    d->legendField(2)->setText(QString(25, QLatin1Char('w')));
    QCOMPARE(QString::fromStdString(Current().legend(2)), QString(20, QLatin1Char('w')));

    Finish(d->lowerField(), QStringLiteral("2*3+1"));
    QCOMPARE(d->lowerField()->text(), QStringLiteral("7"));
    QCOMPARE(Current().lowerLimit(0), 7.0);
    Finish(d->upperField(), QStringLiteral("@nonsense("));
    QCOMPARE(d->upperField()->text(), QStringLiteral("0"));
    d->Confirm();
    QVERIFY(SheetModified());
  }

  // The dialog edits the sheet it was opened for; once that sheet is closed it touches no other.
  void editsStayWithTheirSheet() {
    MainWindow& f = Start();
    const SlotIndex first = Slot();
    f.Run(Cmd::kGraph, 5);
    GraphSettingsDialog* d = f.graphSettings();
    QVERIFY(f.NewSheet() != nullptr);
    const SlotIndex second = Slot();
    QVERIFY(second != first);
    d->headingField(0)->setText(QStringLiteral("A"));
    QTest::keyClick(d->headingField(0), Qt::Key_B);
    {
      SheetScope scope(first);
      QCOMPARE(QString::fromStdString(CurrentGraph().heading(0)), QStringLiteral("Ab"));
    }
    QCOMPARE(QString::fromStdString(Current().heading(0)), QString());
    d->CancelChanges();

    f.Run(Cmd::kGraph, 5);  // now for the second sheet
    TheQtPlatform().scriptedAnswers.assign(5, Answer::kNo);
    f.action(Cmd::kClose)->trigger();
    QApplication::processEvents();
    QCOMPARE(Slot(), first);
    QTest::keyClick(d->headingField(0), Qt::Key_C);
    d->Confirm();
    QCOMPARE(QString::fromStdString(Current().heading(0)), QString());
  }

  void clearAsksFirst() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      CurrentGraph().setHeading(0, "Keep");
    }
    TheQtPlatform().scriptedAnswers.assign(1, Answer::kCancel);
    f.Run(Cmd::kGraphClear);
    QCOMPARE(QString::fromStdString(Current().heading(0)), QStringLiteral("Keep"));
    TheQtPlatform().scriptedAnswers.assign(1, Answer::kOk);
    f.Run(Cmd::kGraphClear);
    QCOMPARE(QString::fromStdString(Current().heading(0)), QString());
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  GraphSettingsDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "graph_settings_dialog_test.moc"
