// Qt Test: macros on the desktop — keys played into the main window, a played Esc against the
// user's Esc, {?} waiting for the user's entry, the step caption, the input dialogs, the menu,
// GET, the file dialog, the macro library and its bar, AUTOEXEC, the zoom, sounds.
#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include "core/entry.h"
#include "formula/formula_text.h"
#include "core/names.h"
#include "commands/commands.h"
#include "files/macro_button.h"
#include "files/worksheet_file.h"
#include "macros/interpreter.h"
#include "macros/macro_library.h"
#include "main_window_fixture.h"
#include "ui/macro_player.h"
#include "ui/macro_sound.h"
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

  // Enters `text` into `cell` of the active sheet.
  void Put(const char* cell, const std::string& text) {
    SheetScope scope(Slot());
    const ParsedCell c = ParseCellRef(cell);
    EnterCell(text, c.row, c.column);
  }
  std::string ContentsAt(const char* cell) {
    SheetScope scope(Slot());
    const ParsedCell c = ParseCellRef(cell);
    return CellContentsText(GetCell(c.row, c.column));
  }

  // The visible dialog or menu of the macro named `name`, once it is there.
  template <typename T>
  T* Shown(const char* name) {
    T* found = nullptr;
    for (int i = 0; i < 200 && !found; ++i) {
      for (T* w : frame_->findChildren<T*>(QString::fromLatin1(name))) {
        if (w->isVisible()) found = w;
      }
      if (!found) QTest::qWait(10);
    }
    return found;
  }

  // Writes the macro library TALLIVO.MAC into the program directory: names BUMP (B1: adds 1 to
  // A1 of the active sheet), GREET (B5), the subroutine INC (B12: adds 1 to A3) and, when
  // `autoexec`, AUTOEXEC (B9: puts 7 into C1).
  void WriteLibrary(bool autoexec) {
    Start();
    {
      SheetScope scope(Slot());
      EnterCell("'{LET A1,A1+1}", 0, 1);
      EnterCell("'{LET A2,2}", 4, 1);
      EnterCell("'{LET C1,7}", 8, 1);
      EnterCell("'{LET A3,A3+1}{RET}", 11, 1);
      QVERIFY(DefineName("BUMP", MakeRange(1, 0, 1, 0)) != 0);
      QVERIFY(DefineName("INC", MakeRange(1, 11, 1, 11)) != 0);
      QVERIFY(DefineName("GREET", MakeRange(1, 4, 1, 4)) != 0);
      if (autoexec) QVERIFY(DefineName("AUTOEXEC", MakeRange(1, 8, 1, 8)) != 0);
      QVERIFY(SaveWorksheet(Path("TALLIVO.MAC").toStdString()));
    }
    CloseWindow();
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

  void theAutoexecWorksheetRunsItsMacroWithoutAsking() {
    Start();
    {
      SheetScope scope(Slot());
      EnterCell("'{LET B1,B1+5}", 4, 0);
      QVERIFY(DefineName("AUTOEXEC", MakeRange(0, 4, 0, 4)) != 0);
      QVERIFY(SaveWorksheet(Path("AUTOEXEC.WKS").toStdString()));
    }
    CloseWindow();
    Start();
    QTRY_VERIFY(!MacroRunning());
    QVERIFY(frame_->activeSheetWindow());
    QCOMPARE(NumberAt(Slot(), 0, 1), 5.0);
    QVERIFY(messages_.isEmpty());
    QFile::remove(Path("AUTOEXEC.WKS"));
  }

  void inputDialogsEnterTheRepliesAndCancelBreaks() {
    Start();
    RunLines({"{INLABEL \"Your name\",B1}{INVALUE \"How many\",B2}{INLABEL \"Again\",B3}"});
    auto* dialog = Shown<QInputDialog>("macroInputDialog");
    QVERIFY(dialog);
    QCOMPARE(dialog->labelText(), QString("Your name"));
    dialog->setTextValue("2024.prn");
    dialog->accept();
    dialog = nullptr;
    QTRY_VERIFY((dialog = Shown<QInputDialog>("macroInputDialog")) &&
                dialog->labelText() == "How many");
    dialog->setTextValue("12");
    dialog->accept();
    QTRY_VERIFY((dialog = Shown<QInputDialog>("macroInputDialog")) &&
                dialog->labelText() == "Again");
    dialog->reject();
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(ContentsAt("B1"), std::string("'2024.prn"));
    QCOMPARE(NumberAt(Slot(), 1, 1), 12.0);
    QCOMPARE(ContentsAt("B3"), std::string());
    QCOMPARE(messages_, QStringList{"Error: Break! Z1"});
  }

  void menuBranchShowsTheItemsAndGoesOnBelowTheChosenOne() {
    Start();
    Put("AA10", "'Add");
    Put("AA11", "'Add a row");
    Put("AB10", "'Quit");
    Put("AB11", "'Leave the macro");
    Put("AA12", "'{LET B1,1}");
    Put("AB12", "'{LET B1,2}");
    RunLines({"{MENUBRANCH AA10}"});
    QMenu* menu = Shown<QMenu>("macroMenu");
    QVERIFY(menu);
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QString("Add"));
    QCOMPARE(items[1]->text(), QString("Quit"));
    QCOMPARE(items[1]->statusTip(), QString("Leave the macro"));
    items[1]->trigger();
    menu->close();
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 1), 2.0);
    QVERIFY(messages_.isEmpty());

    // Closing the menu without a choice is a Break.
    RunLines({"{MENUCALL AA10}"});
    menu = Shown<QMenu>("macroMenu");
    QVERIFY(menu);
    menu->close();
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(messages_, QStringList{"Error: Break! Z1"});
  }

  void getTakesTheNextKeyAsALabel() {
    MainWindow& f = Start();
    QApplication::setActiveWindow(&f);
    RunLines({"{GET B1}{LET B2,1}"});
    QTest::qWait(30);
    QVERIFY(MacroRunning());
    QTest::keyClick(Grid(), Qt::Key_Q, Qt::NoModifier);
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(ContentsAt("B1"), std::string("'q"));
    QCOMPARE(NumberAt(Slot(), 1, 1), 1.0);
    // The key went to the macro, not into an entry.
    QVERIFY(!f.entryActive());
  }

  void filePickEntersTheChosenNameAndCancelBreaks() {
    Start();
    QFile file(Path("pick.wks"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const std::string offered = Path("pick.wks").toStdString();
    RunLines({("{FILEPICK \"" + offered + "\",\"Worksheets (*.wks)\",B1}").c_str()});
    auto* dialog = Shown<QFileDialog>("macroFileDialog");
    QVERIFY(dialog);
    QCOMPARE(QFileInfo(dialog->directory().absolutePath()).canonicalFilePath(),
             QFileInfo(home_.path()).canonicalFilePath());
    dialog->selectFile(Path("pick.wks"));
    static_cast<QDialog*>(dialog)->accept();
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(QFileInfo(QString::fromStdString(ContentsAt("B1").substr(1))).fileName(),
             QString("pick.wks"));

    RunLines({("{FILEPICK \"" + offered + "\",\"*.wks\",B2}").c_str()});
    dialog = Shown<QFileDialog>("macroFileDialog");
    QVERIFY(dialog);
    dialog->reject();
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(ContentsAt("B2"), std::string());
    QCOMPARE(messages_, QStringList{"Error: Break! Z1"});
  }

  void theLibraryCaptionsTheBarAndItsButtonsRunItsMacros() {
    WriteLibrary(/*autoexec=*/false);
    MainWindow& f = Start();
    QVERIFY(MacroLibrary() != 0);
    QToolButton* first = f.button("macroButton0");
    QToolButton* second = f.button("macroButton1");
    QToolButton* fourth = f.button("macroButton3");
    QVERIFY(first && second && fourth);
    QCOMPARE(first->text(), QString("BUMP"));
    QCOMPARE(second->text(), QString("GREET"));
    QCOMPARE(f.button("macroButton2")->text(), QString("INC"));
    QCOMPARE(fourth->text(), QString());
    QVERIFY(first->isEnabled());
    QVERIFY(!fourth->isEnabled());
    // The library is no window of its own.
    QCOMPARE(f.clientArea()->subWindowList().size(), qsizetype(1));

    // A button starts its macro by the timer; the commands act on the active sheet.
    first->click();
    QVERIFY(!MacroRunning());
    QCOMPARE(KindAt(Slot(), 0, 0), uint8_t(0xFF));
    QTRY_COMPARE(NumberAt(Slot(), 0, 0), 1.0);
    QTRY_VERIFY(!MacroRunning());
    second->click();
    QTRY_COMPARE(NumberAt(Slot(), 1, 0), 2.0);

    // A macro of the sheet calls the library's names.
    RunLines({"{INC}{inc}{CALL INC}{LET D1,A3}"});
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 3), 3.0);
    QCOMPARE(messages_.join("|"), QString());

    // Opened by name, the library gets a window of its own; closing it keeps the library.
    const SlotIndex library = MacroLibrary();
    WorksheetWindow* shown = f.OpenByName(Path("TALLIVO.MAC"));
    QVERIFY(shown);
    QCOMPARE(shown->slot(), library);
    QCOMPARE(f.clientArea()->subWindowList().size(), qsizetype(2));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(TheQtPlatform().beeps, 0);
    qobject_cast<QMdiSubWindow*>(shown->parentWidget())->close();
    QTRY_COMPARE(f.clientArea()->subWindowList().size(), qsizetype(1));
    QCOMPARE(MacroLibrary(), library);
    QCOMPARE(f.button("macroButton0")->text(), QString("BUMP"));
    CloseWindow();
    QFile::remove(Path("TALLIVO.MAC"));
  }

  void theLibrarysAutoexecRunsWhenNoWindowIsOpen() {
    WriteLibrary(/*autoexec=*/true);
    MainWindow& f = Start(/*preOpen=*/false);
    QCOMPARE(f.clientArea()->subWindowList().size(), qsizetype(0));
    QTRY_VERIFY(!MacroRunning());
    // With no worksheet window the macro's commands act on the library itself.
    QVERIFY(MacroLibrary() != 0);
    QCOMPARE(NumberAt(MacroLibrary(), 0, 2), 7.0);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(TheQtPlatform().beeps, 0);
    // A sheet opened afterwards is current and untouched by the library.
    f.NewSheet();
    QCOMPARE(CurrentWorksheet(), Slot());
    QCOMPARE(KindAt(Slot(), 0, 2), uint8_t(0xFF));
    CloseWindow();
    QFile::remove(Path("TALLIVO.MAC"));
  }

  void aButtonOnTheSheetStartsItsMacroByTheTimer() {
    // A saved sheet: the macro at GO adds 1 to A1; a button "Go" at B2 runs GO, one at B6 runs a
    // name nobody knows.
    Start();
    const MacroButton go{1, 1, 80, 24, "Go", "GO"};
    const MacroButton lost{1, 5, 80, 24, "Lost", "NOWHERE"};
    {
      SheetScope scope(Slot());
      EnterCell("'{LET A1,A1+1}", 0, 25);
      QVERIFY(DefineName("GO", MakeRange(25, 0, 25, 0)) != 0);
      QVERIFY(AddMacroButton(go).Done());
      QVERIFY(AddMacroButton(lost).Done());
      QVERIFY(SaveWorksheet(Path("BUTTONS.WKS").toStdString()));
    }
    CloseWindow();

    MainWindow& f = Start(/*preOpen=*/false);
    QVERIFY(f.OpenByName(Path("BUTTONS.WKS")));
    GridPane* grid = Grid();
    const QRect rect = grid->macroButtonRect(go);
    QVERIFY(!rect.isEmpty());
    // The button is drawn: the pane looks different there once it is removed.
    const QImage with = grid->grab().toImage().copy(rect);
    {
      SheetScope scope(Slot());
      QVERIFY(RemoveMacroButton(0).Done());
    }
    grid->repaint();
    QVERIFY(grid->grab().toImage().copy(rect) != with);
    QVERIFY(UndoLastCommand().Done());
    grid->repaint();
    QCOMPARE(grid->grab().toImage().copy(rect), with);

    QTest::mouseClick(grid, Qt::LeftButton, {}, rect.center());
    QVERIFY(!MacroRunning());
    QCOMPARE(KindAt(Slot(), 0, 0), uint8_t(0xFF));  // not before the timer
    QCOMPARE(grid->cursorRow(), 0);  // the click is the button's, not the grid's
    QCOMPARE(grid->cursorColumn(), 0);
    QTRY_COMPARE(NumberAt(Slot(), 0, 0), 1.0);
    QTRY_VERIFY(!MacroRunning());
    QVERIFY(messages_.isEmpty());

    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->macroButtonRect(lost).center());
    QCOMPARE(TheQtPlatform().beeps, 1);
    QTest::qWait(60);
    QCOMPARE(NumberAt(Slot(), 0, 0), 1.0);
    CloseWindow();
    QFile::remove(Path("BUTTONS.WKS"));
  }

  void theLibrarysAutoexecRunsAtStart() {
    WriteLibrary(/*autoexec=*/true);
    MainWindow& f = Start();
    QCOMPARE(f.button("macroButton0")->text(), QString("AUTOEXEC"));
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 2), 7.0);
    QVERIFY(messages_.isEmpty());
    CloseWindow();

    // With an autoexec worksheet whose macro is still running, the library's follows it.
    QVERIFY(QFile::rename(Path("TALLIVO.MAC"), Path("kept.mac")));
    Start();
    {
      SheetScope scope(Slot());
      EnterCell("'{DELAY 30}{LET B1,C1+1}", 4, 0);
      QVERIFY(DefineName("AUTOEXEC", MakeRange(0, 4, 0, 4)) != 0);
      QVERIFY(SaveWorksheet(Path("AUTOEXEC.WKS").toStdString()));
    }
    CloseWindow();
    QVERIFY(QFile::rename(Path("kept.mac"), Path("TALLIVO.MAC")));
    Start();
    QTRY_COMPARE(NumberAt(Slot(), 0, 2), 7.0);
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 1), 1.0);
    QVERIFY(messages_.isEmpty());
    CloseWindow();
    QFile::remove(Path("AUTOEXEC.WKS"));
    QFile::remove(Path("TALLIVO.MAC"));
  }

  void viewZoomSetsTheWindowsZoomThatQviewReads() {
    MainWindow& f = Start();
    RunLines({"{VIEWZOOM 150}{LET B1,@QVIEW(0)}"});
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(GridZoom(), 150);
    QCOMPARE(NumberAt(Slot(), 0, 1), 150.0);
    QVERIFY(f.action(Cmd::kZoom, 150)->isChecked());
    QVERIFY(!f.action(Cmd::kZoom, 100)->isChecked());
    RunLines({"{VIEWZOOM 900}{LET B2,@QVIEW(0)}{VIEWZOOM 110}{LET B3,@QVIEW(0)}"});
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 1, 1), 200.0);
    QCOMPARE(NumberAt(Slot(), 2, 1), 110.0);
    // A zoom the menu does not offer checks no item.
    for (int zoom : {200, 150, 125, 100, 87, 75, 65, 50}) {
      QVERIFY(!f.action(Cmd::kZoom, zoom)->isChecked());
    }
    f.Run(Cmd::kZoom, 100);
    QCOMPARE(GridZoom(), 100);
    QVERIFY(f.action(Cmd::kZoom, 100)->isChecked());
    // @QVIEW(1): whether the active window is split.
    RunLines({"{LET B4,@QVIEW(1)}"});
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 3, 1), 0.0);
    f.activeSheetWindow()->splitAtCursor(1);
    RunLines({"{LET B4,@QVIEW(1)}"});
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 3, 1), 1.0);
  }

  void theSettingsMayNameAnotherLibrary() {
    WriteLibrary(/*autoexec=*/false);
    QVERIFY(QFile::rename(Path("TALLIVO.MAC"), Path("tools.mac")));
    MainWindow& f = Start(true, {}, ("[Files]\nTOOLMAC=" + Path("tools.mac")).toUtf8() + "\n");
    QCOMPARE(f.button("macroButton1")->text(), QString("GREET"));
    f.button("macroButton1")->click();
    QTRY_COMPARE(NumberAt(Slot(), 1, 0), 2.0);
    CloseWindow();
    QFile::remove(Path("tools.mac"));
  }

#ifdef TALLIVO_HAVE_MULTIMEDIA
  void theToneIsASineOfTheAskedFrequencyAndLength() {
    struct Case {
      QAudioFormat::SampleFormat sampleFormat;
      int channels;
      int frequency;
      int expectedCrossings;  // sign changes of 250 ms at 8000 Hz
    };
    const Case cases[] = {
        {QAudioFormat::Int16, 1, 440, 220},
        {QAudioFormat::Float, 2, 440, 220},
        {QAudioFormat::Int16, 1, 1000, 500},
        // Beyond what 8000 Hz carries: the highest tone it can (3999 Hz), never noise.
        {QAudioFormat::Int16, 1, 50000, 2000},
    };
    for (const Case& c : cases) {
      QAudioFormat format;
      format.setSampleRate(8000);
      format.setChannelCount(c.channels);
      format.setSampleFormat(c.sampleFormat);
      ToneGenerator tone(format, c.frequency, 2000, nullptr);
      tone.open(QIODevice::ReadOnly);
      QCOMPARE(tone.bytesAvailable(), qint64(2000) * format.bytesPerFrame());
      QByteArray all;
      while (!tone.atEnd()) {
        const QByteArray part = tone.read(999);
        QVERIFY(!part.isEmpty());
        all += part;
      }
      QCOMPARE(all.size(), qsizetype(2000 * format.bytesPerFrame()));
      QVERIFY(tone.read(100).isEmpty());
      int crossings = 0;
      double peak = 0, previous = 0;
      for (int i = 0; i < 2000; ++i) {
        double v[2] = {0, 0};
        for (int ch = 0; ch < c.channels; ++ch) {
          const char* at = all.constData() + i * format.bytesPerFrame() + ch * format.bytesPerSample();
          if (c.sampleFormat == QAudioFormat::Float) {
            float f;
            std::memcpy(&f, at, sizeof f);
            v[ch] = f;
          } else {
            qint16 s;
            std::memcpy(&s, at, sizeof s);
            v[ch] = s / 32767.0;
          }
        }
        if (c.channels == 2) QCOMPARE(v[0], v[1]);
        if ((v[0] > 0) != (previous > 0) && i > 0) ++crossings;
        previous = v[0];
        peak = std::max(peak, std::fabs(v[0]));
      }
      QVERIFY2(std::abs(crossings - c.expectedCrossings) <= 2, qPrintable(QString::number(crossings)));
      QVERIFY(peak > 0.25 && peak <= 0.3001);
    }
  }
#endif

  void toneAndWaveNeitherHangNorFailWithoutAudio() {
    Start();
    RunLines({"{TONE 440,40}{TONE 5,20}{PLAYWAVE \"missing.wav\",1}{LET B1,1}"});
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 1), 1.0);
    QVERIFY(messages_.isEmpty());
    // Without an audio output the audible tone is a beep; the silent one never beeps.
    QCOMPARE(TheQtPlatform().beeps, MacroSound::HasAudioOutput() ? 0 : 1);
  }
};

QTEST_MAIN(MacroPlayerTest)
#include "macro_player_test.moc"
