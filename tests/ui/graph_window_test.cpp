// Qt Test: the graph window of the main frame — shown by "&View...", Shift+F10 and F12, its keys,
// Shift+A, the pop-up menu, zooming, saving to a bitmap, copying, the display timer and the
// GRAPHVIEW macro command.
#include "graph/graph_window.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPrinterInfo>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <cmath>
#include <numbers>

#include "core/entry.h"
#include "core/graph_definition.h"
#include "graph/graph_draw.h"
#include "graph/graph_settings_dialog.h"
#include "macros/interpreter.h"
#include "main_window_fixture.h"
#include "ui_fixture.h"

class GraphWindowTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  // A bar graph of A1..A4 against B1..B4 on the active sheet.
  MainWindow& StartWithGraph(int type = kGraphXy) {
    MainWindow& f = Start();
    SheetScope scope(Slot());
    for (int r = 0; r < 4; ++r) {
      PutNumber(r, 0, r + 1);
      PutNumber(r, 1, (r + 1) * 10);
    }
    GraphDefinition g = CurrentGraph();
    g.setType(uint8_t(type));
    g.setRange(kGraphXRange, MakeRange(0, 0, 0, 3));
    g.setRange(1, MakeRange(1, 0, 1, 3));
    return f;
  }
  GraphWindow* Window() { return frame_->graphWindow(); }
  // Writes the macro lines as labels down from Z1 of the active sheet and runs the macro there.
  void RunLines(std::initializer_list<const char*> lines) {
    {
      SheetScope scope(Slot());
      uint32_t row = 0;
      for (const char* line : lines) EnterCell(std::string("'") + line, row++, 25);
    }
    MainWindow::RunMacroAt(MakeRange(25, 0, 25, 0));
  }
  GraphDefinition Current() {
    SheetScope scope(Slot());
    return CurrentGraph();
  }
  QAction* MenuItem(QMenu* menu, const QString& caption) {
    for (QAction* a : menu->actions()) {
      if (a->text() == caption) return a;
      if (a->menu()) {
        if (QAction* inner = MenuItem(a->menu(), caption)) return inner;
      }
    }
    return nullptr;
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() {
    SetGraphViewAngle(0);
    CloseWindow();
  }

  void createdHiddenAndShownByTheCommands() {
    MainWindow& f = StartWithGraph();
    QVERIFY(Window());
    QVERIFY(!Window()->isVisible());
    QVERIFY(Window()->windowFlags() & Qt::Tool);
    QVERIFY(f.action(Cmd::kGraphView)->isEnabled());
    QCOMPARE(f.action(Cmd::kGraphView)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F10));
    f.Run(Cmd::kGraphView, 0);
    QVERIFY(Window()->isVisible());
    QVERIFY(!Window()->isMaximized());
    QCOMPARE(Window()->slot(), Slot());
    Window()->close();
    QTest::keyClick(Grid(), Qt::Key_F12);
    QVERIFY(Window()->isVisible());
    QVERIFY(Window()->windowState() & Qt::WindowMaximized);
  }

  void keysCloseTurnOrBeep() {
    StartWithGraph();
    struct Case {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      bool staysOpen;
      int beeps;
    };
    const Case kCases[] = {
        {Qt::Key_A, Qt::NoModifier, false, 0},      // "A" without Shift closes
        {Qt::Key_X, Qt::NoModifier, false, 0},
        {Qt::Key_F5, Qt::NoModifier, false, 0},
        {Qt::Key_Escape, Qt::ShiftModifier, false, 0},
        {Qt::Key_Space, Qt::ControlModifier, false, 0},
        {Qt::Key_A, Qt::ShiftModifier, true, 0},    // turns the view
        {Qt::Key_B, Qt::ShiftModifier, true, 1},    // any other character beeps
        {Qt::Key_A, Qt::ControlModifier, true, 1},
    };
    for (const Case& c : kCases) {
      SetGraphViewAngle(0);
      TheQtPlatform().beeps = 0;
      frame_->ShowGraphWindow(false);
      QTest::keyClick(Window(), c.key, c.modifiers);
      QCOMPARE(Window()->isVisible(), c.staysOpen);
      QCOMPARE(TheQtPlatform().beeps, c.beeps);
      const bool turned = c.key == Qt::Key_A && c.modifiers == Qt::ShiftModifier;
      QCOMPARE(GraphViewAngle(), turned ? std::numbers::pi / 16 : 0.0);
    }
  }

  void popupMenuOffersPagesAndZoom() {
    StartWithGraph();
    frame_->ShowGraphWindow(false);
    QMenu* menu = Window()->popupMenu();
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("No Selection"));
    for (const char* caption : {"&Graph Type", "&Ranges", "&Legends", "&Options...", "&Headings",
                                "&Scales", "&Fonts", "S&ave to Bitmap", "Quick &Print",
                                "&Copy to Clipboard", "&Out", "&In", "&All", "&Reset"}) {
      QVERIFY2(MenuItem(menu, caption), caption);
    }
    // A page item closes the window and opens that page of the settings dialog.
    MenuItem(menu, "&Scales")->trigger();
    QVERIFY(!Window()->isVisible());
    QVERIFY(frame_->graphSettings());
    QVERIFY(frame_->graphSettings()->isVisible());
    frame_->graphSettings()->close();
    delete menu;
    // A click selects the element under the pointer and names it in the first item, which
    // opens the page of its attributes; a click on nothing beeps. The line runs through the
    // plot's centre.
    frame_->ShowGraphWindow(false);
    Window()->resize(400, 300);
    Window()->grab();
    const QRectF plot = LastGraphPlotFrame().plot;
    struct Click {
      QPoint at;
      const char* selection;
      int page;  // of the settings dialog; -1 none
      int beeps;
    };
    const Click kClicks[] = {
        {plot.center().toPoint(), "Series 1", 2, 0},
        {(plot.topLeft() + QPointF(6, 6)).toPoint(), "Plot Area", 2, 0},
        {(plot.bottomLeft() + QPointF(-12, -plot.height() / 2)).toPoint(), "Y-Axis", 3, 0},
        {QPoint(1, 1), "No Selection", -1, 1},
    };
    for (const Click& c : kClicks) {
      frame_->ShowGraphWindow(false);
      Window()->resize(400, 300);
      Window()->grab();
      TheQtPlatform().beeps = 0;
      QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier, c.at);
      QCOMPARE(Window()->selection(), QString::fromLatin1(c.selection));
      QCOMPARE(TheQtPlatform().beeps, c.beeps);
      menu = Window()->popupMenu();
      QAction* first = menu->actions().first();
      if (c.page < 0) {
        QCOMPARE(first->text(), QStringLiteral("No Selection"));
        QVERIFY(!first->isEnabled());
      } else {
        QCOMPARE(first->text(), QStringLiteral("&Attributes (%1)").arg(c.selection));
        first->trigger();
        QVERIFY(frame_->graphSettings()->isVisible());
        QCOMPARE(frame_->graphSettings()->pages()->currentIndex(), c.page);
        frame_->graphSettings()->close();
      }
      delete menu;
    }
  }

  void zoomSwitchesToManualScalesAndResetRestores() {
    StartWithGraph();
    frame_->ShowGraphWindow(false);
    Window()->resize(400, 300);
    Window()->grab();
    const GraphPlotFrame frame = LastGraphPlotFrame();
    QVERIFY(frame.valid);
    // Drag over the left half of the plot: X takes about its lower half.
    const QRectF plot = frame.plot;
    const QPoint from = plot.topLeft().toPoint() + QPoint(1, 1);
    const QPoint to(int(plot.center().x()), int(plot.bottom()) - 1);
    QTest::mousePress(Window(), Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), Window()->mapToGlobal(QPointF(to)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Window(), &move);
    QTest::mouseRelease(Window(), Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(Current().manualScale(0));
    QVERIFY(Current().manualScale(1));
    const double middle = (frame.xmin + frame.xmax) / 2;
    QVERIFY(std::fabs(Current().upperLimit(0) - middle) < (frame.xmax - frame.xmin) * 0.02);
    QVERIFY(std::fabs(Current().lowerLimit(0) - frame.xmin) < (frame.xmax - frame.xmin) * 0.02);
    // "&In" narrows the limits, "&All" returns to automatic, "&Reset" to the opened definition.
    Window()->grab();
    const double width = Current().upperLimit(0) - Current().lowerLimit(0);
    Window()->Zoom(1);
    QVERIFY(std::fabs(Current().upperLimit(0) - Current().lowerLimit(0) - width / 2) < width * 0.02);
    Window()->Zoom(2);
    QVERIFY(!Current().manualScale(0));
    QVERIFY(!Current().manualScale(1));
    Window()->Zoom(1);
    QVERIFY(Current().manualScale(1));
    Window()->Zoom(3);
    QVERIFY(!Current().manualScale(0));
    QVERIFY(!Current().manualScale(1));
  }

  void savesBitmapsByExtensionAndCopies() {
    StartWithGraph();
    frame_->ShowGraphWindow(false);
    Window()->resize(320, 240);
    struct Case {
      QString name;
      QString filter;
      QString written;
      const char* format;
    };
    const QString kBmp = QStringLiteral("Bitmap (*.bmp)");
    const QString kPng = QStringLiteral("PNG image (*.png)");
    const Case kCases[] = {
        {Path("one.bmp"), kPng, Path("one.bmp"), "BMP"},
        {Path("two.PNG"), kBmp, Path("two.PNG"), "PNG"},
        {Path("three"), kPng, Path("three.png"), "PNG"},
        {Path("four"), kBmp, Path("four.bmp"), "BMP"},
    };
    for (const Case& c : kCases) {
      QString suggested, offeredFilters;
      Window()->setFileChooser([&](const QString&, const QString& offered, const QString& filters,
                                   QString* chosen) -> QString {
        suggested = offered;
        offeredFilters = filters;
        *chosen = c.filter;
        return c.name;
      });
      QSignalSpy status(Window(), &GraphWindow::statusText);
      Window()->SaveToBitmap();
      QCOMPARE(suggested, QStringLiteral("Noname.bmp"));
      QVERIFY(offeredFilters.contains(kBmp) && offeredFilters.contains(kPng));
      QCOMPARE(status.count(), 1);
      QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Saving ") + c.written);
      QImage image;
      QVERIFY2(image.load(c.written, c.format), qPrintable(c.written));
      QCOMPARE(image.size(), QSize(320, 240));
    }
    // An unwritable name is reported.
    Window()->setFileChooser([&](const QString&, const QString&, const QString&, QString*) -> QString {
      return Path("missing/dir/x.bmp");
    });
    Window()->SaveToBitmap();
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.first().contains("Unable to WRITE"));
    // Without a printer "Quick &Print" writes a PDF file.
    if (QPrinterInfo::defaultPrinter().isNull()) {
      Window()->setFileChooser([&](const QString&, const QString& offered, const QString&,
                                   QString*) -> QString {
        return offered == QStringLiteral("Noname.pdf") ? Path("quick.pdf") : QString();
      });
      Window()->QuickPrint();
      QFile pdf(Path("quick.pdf"));
      QVERIFY(pdf.open(QIODevice::ReadOnly));
      QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
    }
    Window()->CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(320, 240));
  }

  void displayTimerAndMacroShowTheWindow() {
    StartWithGraph();
    frame_->ShowGraphWindow(false, -1, 50);
    QVERIFY(Window()->isVisible());
    QTRY_VERIFY(!Window()->isVisible());
    // GRAPHVIEW with a time shows the window, which closes by itself.
    {
      SheetScope scope(Slot());
      QCOMPARE(StoreNamedGraph("SHOWN"), GraphNameResult::kDone);
    }
    QSignalSpy closed(Window(), &GraphWindow::closed);
    RunLines({"{GRAPHVIEW \"shown\",60}{LET B1,1}"});
    QVERIFY(Window()->isVisible());
    QCOMPARE(Window()->namedIndex(), 1);
    QTRY_COMPARE(closed.count(), 1);
    QTRY_VERIFY(!MacroRunning());
    QCOMPARE(NumberAt(Slot(), 0, 1), 1.0);
    // Without a time the macro goes on only when the window has been closed by a key.
    bool shownWhileWaiting = false;
    double cellWhileWaiting = 0;
    QTimer::singleShot(100, this, [&] {
      shownWhileWaiting = Window()->isVisible();
      cellWhileWaiting = NumberAt(Slot(), 0, 2);
      QTest::keyClick(Window(), Qt::Key_Space);
    });
    RunLines({"{GRAPHVIEW \"\",0}{LET C1,7}"});
    QTRY_VERIFY(!MacroRunning());
    QVERIFY(shownWhileWaiting);
    QVERIFY(cellWhileWaiting != 7.0);
    QCOMPARE(NumberAt(Slot(), 0, 2), 7.0);
  }
};

QTEST_MAIN(GraphWindowTest)
#include "graph_window_test.moc"
