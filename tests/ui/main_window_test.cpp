// Qt Test: the main window — opening and closing, quick buttons, the enabled state of commands,
// the wait cursor and gauge, the indicators, protection and its password, the formatting bar and
// the settings written at exit.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include "commands/engine_start.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
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

namespace {

// One line per menu entry, nested menus indented: what a user sees of the menus and the quick
// buttons (captions, hints, tags, shortcuts, check marks, the enabled state).
void DumpMenu(const QList<QAction*>& actions, int depth, QString* out) {
  for (QAction* a : actions) {
    QString line = QString(depth * 2, ' ');
    if (a->isSeparator()) {
      line += a->isVisible() ? "----" : "(----)";
    } else {
      line += QString("%1 | status %2 | tip %3 | data %4 | keys %5 | %6%7%8%9")
                  .arg(a->text(), a->statusTip(), a->toolTip(), a->data().toString(),
                       a->shortcut().toString(), a->isCheckable() ? "checkable " : "",
                       a->isChecked() ? "checked " : "", a->isEnabled() ? "on" : "off",
                       a->isVisible() ? "" : " hidden");
      if (!a->objectName().isEmpty()) line += " | " + a->objectName();
    }
    *out += line + '\n';
    if (QMenu* m = a->menu()) DumpMenu(m->actions(), depth + 1, out);
  }
}

QString DumpCommands(MainWindow& f) {
  QString out;
  DumpMenu(f.menuBar()->actions(), 0, &out);
  out += "context menu\n";
  DumpMenu(f.findChild<QMenu*>("contextMenu")->actions(), 1, &out);
  out += "quick buttons\n";
  for (auto* b : f.findChild<QToolBar*>("quickBar")->findChildren<QToolButton*>()) {
    if (b->objectName().isEmpty()) continue;
    out += QString("  %1 | tip %2 | status %3 | tag %4 | %5%6\n")
               .arg(b->objectName(), b->toolTip(), b->statusTip(), b->property("tag").toString(),
                    b->isCheckable() ? "checkable " : "", b->isEnabled() ? "on" : "off");
  }
  return out;
}

}  // namespace

class MainWindowTest : public QObject, private MainWindowFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

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
        {__LINE__, Cmd::kHelp, true, true},      {__LINE__, Cmd::kPrint, false, true},
        {__LINE__, Cmd::kMerge, false, true},    {__LINE__, Cmd::kImport, false, true},
        {__LINE__, Cmd::kExport, false, true},   {__LINE__, Cmd::kCut, false, true},
        {__LINE__, Cmd::kPaste, false, true},    {__LINE__, Cmd::kFind, false, true},
        {__LINE__, Cmd::kData, false, true},     {__LINE__, Cmd::kArray, false, true},
        {__LINE__, Cmd::kGraph, false, true},    {__LINE__, Cmd::kMacroStep, false, true},
        {__LINE__, Cmd::kCopyCells, false, true}, {__LINE__, Cmd::kNewView, false, true},
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
    QVERIFY(f.button("printButton")->isEnabled());
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
    dlg.Confirm();
    QVERIFY(!dlg.confirmField()->isHidden());
    dlg.confirmField()->setText("secret");
    dlg.Confirm();
    QCOMPARE(dlg.windowTitle(), QString("Password NOT the Same"));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    dlg.confirmField()->setText("Secret");
    {
      SheetScope scope(Slot());
      dlg.Confirm();
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QVERIFY(CheckPassword("Secret"));
    }
    // Checking: a wrong text (letter case counts) gives the caption and empties the field.
    {
      SheetScope scope(Slot());
      dlg.Prepare(0);
      dlg.setResult(QDialog::Rejected);
      dlg.passwordField()->setText("SECRET");
      dlg.Confirm();
      QCOMPARE(dlg.windowTitle(), QString("Invalid Password! Try Again."));
      QVERIFY(dlg.passwordField()->text().isEmpty());
      QCOMPARE(dlg.result(), int(QDialog::Rejected));
      dlg.passwordField()->setText("Secret");
      dlg.Confirm();
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
      dlg.Confirm();
    });
    lock->click();
    QVERIFY(!lock->isChecked());
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
        QCOMPARE(CellAt(h)->format & kFormatCodeMask, 0x42);
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

  void opensTitledAndClosesCleanly() {
    MainWindow frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QString("TALLIVO"));
    QVERIFY(frame.clientArea() != nullptr);
    QCOMPARE(frame.centralWidget(), static_cast<QWidget*>(frame.clientArea()));
    QVERIFY(frame.close());
    QVERIFY(!frame.isVisible());
  }

  // The menus, the context menu and the quick buttons with their captions, hints, tags,
  // shortcuts and enabled state, without a sheet and with one, as the golden file lists them.
  void menusAndButtonsAreAsListed() {
    MainWindow& f = Start(false);
    QString dump = "without a sheet\n" + DumpCommands(f);
    QVERIFY(f.NewSheet() != nullptr);
    dump += "with a sheet\n" + DumpCommands(f);
    QFile golden(QStringLiteral(TALLIVO_UI_GOLDEN_DIR "/main_window_commands.txt"));
    if (qEnvironmentVariableIsSet("TALLIVO_WRITE_GOLDEN")) {
      QVERIFY(golden.open(QIODevice::WriteOnly));
      golden.write(dump.toUtf8());
      return;
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(golden.fileName()));
    const QStringList expected = QString::fromUtf8(golden.readAll()).split('\n');
    const QStringList actual = dump.split('\n');
    for (int i = 0; i < std::min(expected.size(), actual.size()); ++i)
      QCOMPARE(actual[i], expected[i]);
    QCOMPARE(actual.size(), expected.size());
  }
};

int main(int argc, char** argv) {
  // Test discovery may run this program outside ctest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
