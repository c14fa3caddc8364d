// Qt Test: the worksheet window's keys, pages, split box, titles and closing.
#include <QSignalSpy>
#include <algorithm>
#include <QtTest>

#include "commands/commands.h"
#include "core/cell_store.h"
#include "core/sheet_layout.h"
#include "core/grid_geometry.h"
#include "ui/column_scroller.h"
#include "ui/grid_header.h"
#include "ui/grid_pane.h"
#include "ui/page_tabs.h"
#include "ui/row_painter.h"
#include "ui/worksheet_window.h"
#include "ui_fixture.h"

namespace {

struct Window {
  SlotIndex slot;
  WorksheetWindow* sheetWindow;
  GridPane* grid() const { return sheetWindow->firstPane; }
};

Window Open() {
  const SlotIndex slot = FreshEngineWithSheet();
  auto* sheetWindow = new WorksheetWindow(slot, QStringLiteral("TEST.WKS"), true);
  sheetWindow->resize(800, 500);
  sheetWindow->show();
  sheetWindow->activateSheet();
  return Window{slot, sheetWindow};
}

void Key(GridPane* g, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::keyClick(g, key, mods);
}

QPoint Cursor(const GridPane* g) { return QPoint(g->cursorColumn(), g->cursorRow()); }

}  // namespace

class WorksheetWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() {
    for (WorksheetWindow* w : std::vector<WorksheetWindow*>(WorksheetWindow::Windows())) delete w;
    SetGridZoom(100);
  }

  void endModeJumpsToRunBoundaries() {
    Window w = Open();
    for (int r = 0; r <= 4; ++r) PutNumber(r, 0, r);
    PutNumber(9, 0, 9);
    PutLabel(0, 3, "'far");
    struct Step {
      int line;
      Qt::Key key;
      QPoint expected;  // column, row
    };
    const Step kSteps[] = {
        {__LINE__, Qt::Key_Down, QPoint(0, 4)},     // to the end of the filled run
        {__LINE__, Qt::Key_Down, QPoint(0, 9)},     // to the next filled cell
        {__LINE__, Qt::Key_Down, QPoint(0, 8191)},  // nothing further: the edge
        {__LINE__, Qt::Key_Up, QPoint(0, 9)},
        {__LINE__, Qt::Key_Up, QPoint(0, 4)},
        {__LINE__, Qt::Key_Up, QPoint(0, 0)},
        {__LINE__, Qt::Key_Right, QPoint(3, 0)},
        {__LINE__, Qt::Key_Right, QPoint(255, 0)},
    };
    QSignalSpy indicator(w.sheetWindow, &WorksheetWindow::endModeChanged);
    for (const Step& s : kSteps) {
      Key(w.grid(), Qt::Key_End);
      QVERIFY(w.sheetWindow->endMode());
      Key(w.grid(), s.key);
      QVERIFY(!w.sheetWindow->endMode());
      QVERIFY2(Cursor(w.grid()) == s.expected, qPrintable(QString("step at line %1").arg(s.line)));
    }
    QCOMPARE(indicator.count(), 2 * int(std::size(kSteps)));
    // End, Home: the end of the active area.
    Key(w.grid(), Qt::Key_End);
    Key(w.grid(), Qt::Key_Home);
    QCOMPARE(Cursor(w.grid()), QPoint(3, 9));
    // Home alone: A1.
    Key(w.grid(), Qt::Key_Home);
    QCOMPARE(Cursor(w.grid()), QPoint(0, 0));
  }

  void ctrlPageDownShowsTheSamePlaceOnTheNextTab() {
    Window w = Open();
    Options().setPageSize(1024);  // 8 pages
    w.sheetWindow->redraw();
    QCOMPARE(w.sheetWindow->pageTabs->count(), 8);
    QCOMPARE(w.sheetWindow->pageTabs->tabText(7), QStringLiteral("H"));
    w.grid()->moveTo(4, 2);  // row 5 of tab "A"
    const int screenOffset = w.grid()->cursorRow() - w.grid()->topRow();
    Key(w.grid(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(Cursor(w.grid()), QPoint(2, 1028));
    QCOMPARE(w.grid()->cursorRow() - w.grid()->topRow(), screenOffset);
    QCOMPARE(w.sheetWindow->pageTabs->currentIndex(), 1);
    QCOMPARE(RowHeaderNumber(w.grid()->cursorRow(), w.grid()->pageRows()), 5);
    QCOMPARE(w.grid()->columnHeader()->cornerLabel(), QStringLiteral("B"));
    Key(w.grid(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(Cursor(w.grid()), QPoint(2, 4));
    // Picking tab "D" keeps the row within the page.
    w.sheetWindow->pageTabs->setCurrentIndex(3);
    QCOMPARE(Cursor(w.grid()), QPoint(2, 3 * 1024 + 4));
  }

  void f6TwiceReturnsInAnUnsplitWindow() {
    Window w = Open();
    w.grid()->moveTo(10, 3);
    Key(w.grid(), Qt::Key_F6);
    QCOMPARE(Cursor(w.grid()), QPoint(0, 0));
    w.grid()->moveTo(40, 7);
    Key(w.grid(), Qt::Key_F6);
    QCOMPARE(Cursor(w.grid()), QPoint(3, 10));
    Key(w.grid(), Qt::Key_F6);
    QCOMPARE(Cursor(w.grid()), QPoint(7, 40));
  }

  void f6InASplitWindowSwitchesPanes() {
    Window w = Open();
    w.sheetWindow->splitAtCursor(1);
    QCOMPARE(w.sheetWindow->activeGrid(), w.sheetWindow->firstPane);
    Key(w.sheetWindow->firstPane, Qt::Key_F6);
    QCOMPARE(w.sheetWindow->activeGrid(), w.sheetWindow->secondPane);
    QCOMPARE(GridPane::ActiveGrid(), w.sheetWindow->secondPane);
    Key(w.sheetWindow->secondPane, Qt::Key_F6);
    QCOMPARE(w.sheetWindow->activeGrid(), w.sheetWindow->firstPane);
  }

  void shiftExtendsFromTheAnchor() {
    Window w = Open();
    w.grid()->moveTo(2, 2);
    Key(w.grid(), Qt::Key_Down, Qt::ShiftModifier);
    Key(w.grid(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(w.grid()->selection(), MakeRange(2, 2, 3, 3));
    QVERIFY(w.grid()->anchored());
    const PlatformBlock reported = GridPane::ActiveSelection();
    QCOMPARE(int(reported.lastRow), 3);
    QCOMPARE(int(GridPane::ActiveCursor().column), 3);
    Key(w.grid(), Qt::Key_Up, Qt::ShiftModifier);
    Key(w.grid(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(w.grid()->selection(), MakeRange(2, 1, 3, 2));
    Key(w.grid(), Qt::Key_Down);
    QCOMPARE(w.grid()->selection(), MakeRange(3, 2, 3, 2));
    QVERIFY(!w.grid()->anchored());
    // Moves clamp at the edges; Left stops at column 0.
    Key(w.grid(), Qt::Key_Home);
    Key(w.grid(), Qt::Key_Left);
    Key(w.grid(), Qt::Key_Up);
    QCOMPARE(Cursor(w.grid()), QPoint(0, 0));
    Key(w.grid(), Qt::Key_Tab);
    QCOMPARE(Cursor(w.grid()), QPoint(w.grid()->visibleColumns(), 0));
  }

  void charactersStartAnEntry() {
    Window w = Open();
    QSignalSpy entry(w.sheetWindow, &WorksheetWindow::entryStarted);
    QSignalSpy menu(w.sheetWindow, &WorksheetWindow::menuRequested);
    QTest::keyClicks(w.grid(), "7");
    QTest::keyClick(w.grid(), '/');
    QCOMPARE(entry.count(), 1);
    QCOMPARE(entry.at(0).at(0).toString(), QStringLiteral("7"));
    QCOMPARE(menu.count(), 1);
    // F9 asks for the link update, F12 for the graph window; keys whose features come later beep.
    QSignalSpy links(w.sheetWindow, &WorksheetWindow::linkUpdateRequested);
    QSignalSpy graph(w.sheetWindow, &WorksheetWindow::graphViewRequested);
    Key(w.grid(), Qt::Key_F9);
    Key(w.grid(), Qt::Key_F12);
    Key(w.grid(), Qt::Key_F11);
    QCOMPARE(links.count(), 1);
    QCOMPARE(graph.count(), 1);
    QCOMPARE(TheHeadlessPlatform().beeps, 1);
  }

  void ctrlBTogglesBoldOnTheSelection() {
    Window w = Open();
    PutLabel(1, 1, "'a");
    w.grid()->selectRange(MakeRange(1, 1, 2, 1));
    w.grid()->moveTo(1, 1);
    w.grid()->selectRange(MakeRange(2, 1, 1, 1));
    Key(w.grid(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(CellAt(GetCell(1, 1))->style & 1, 1);
    QCOMPARE(CellAt(GetCell(1, 2))->style & 1, 1);  // created as a blank cell
    Key(w.grid(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(CellAt(GetCell(1, 1))->style & 1, 0);
  }

  void splitAtTheCursorAndClear() {
    Window w = Open();
    w.grid()->moveTo(5, 2);
    w.sheetWindow->splitAtCursor(1);
    QVERIFY(w.sheetWindow->horizontalSplit);
    QVERIFY(w.sheetWindow->secondPane->isVisible());
    QCOMPARE(Cursor(w.sheetWindow->secondPane), QPoint(2, 6));
    QCOMPARE(w.sheetWindow->secondPane->topRow(), 6);
    QCOMPARE(w.sheetWindow->splitHint(), QStringLiteral("Click to Cancel"));
    QCOMPARE(w.sheetWindow->splitPosition(), w.grid()->rowRect(5).bottom() + 1);
    w.sheetWindow->splitAtCursor(0);
    QVERIFY(!w.sheetWindow->splitActive());
    QVERIFY(!w.sheetWindow->secondPane->isVisible());
    QCOMPARE(w.sheetWindow->splitHint(), QStringLiteral("Drag to split window"));
    w.sheetWindow->splitAtCursor(2);
    QVERIFY(w.sheetWindow->verticalSplit && !w.sheetWindow->horizontalSplit);
    QCOMPARE(Cursor(w.sheetWindow->secondPane), QPoint(3, 5));
  }

  void splitBoxDragDirections() {
    struct Case {
      int line;
      int above;  // pixels above the bottom edge where the press lands
      bool horizontal;
    };
    const Case kCases[] = {{__LINE__, 3, false}, {__LINE__, 9, false}, {__LINE__, 14, true},
                           {__LINE__, 19, true}};
    for (const Case& c : kCases) {
      Window w = Open();
      WorksheetWindow* f = w.sheetWindow;
      const QPoint press(f->width() - 5, f->height() - 1 - c.above);
      QTest::mousePress(f, Qt::LeftButton, Qt::NoModifier, press);
      QMouseEvent move(QEvent::MouseMove, QPointF(200, 150), f->mapToGlobal(QPointF(200, 150)),
                       Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(f, &move);
      QTest::mouseRelease(f, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
      const QString where = QString("line %1").arg(c.line);
      QVERIFY2(f->horizontalSplit == c.horizontal && f->verticalSplit == !c.horizontal,
               qPrintable(where));
      QVERIFY2(f->splitPosition() == (c.horizontal ? 150 : 200), qPrintable(where));
      // A click on the box now cancels the split.
      QTest::mouseClick(f, Qt::LeftButton, Qt::NoModifier, press);
      QVERIFY2(!f->splitActive(), qPrintable(where));
      delete f;
    }
  }

  void synchronisedPanesShareTheLeftColumn() {
    Window w = Open();
    w.grid()->moveTo(3, 0);
    w.sheetWindow->splitAtCursor(1);
    w.sheetWindow->setSynch(true);
    w.sheetWindow->columnScroller->setValue(20);
    QCOMPARE(w.sheetWindow->firstPane->leftColumn(), 20);
    QCOMPARE(w.sheetWindow->secondPane->leftColumn(), 20);
    w.sheetWindow->setSynch(false);
    w.sheetWindow->columnScroller->setValue(30);
    QCOMPARE(w.sheetWindow->secondPane->leftColumn(), 20);
  }

  void titleRowsStayAndClamp() {
    Window w = Open();
    w.grid()->moveTo(3, 2);
    Key(w.grid(), Qt::Key_F8);
    QVERIFY(w.grid()->hasTitles());
    QCOMPARE(w.grid()->titleFirstRow, 0);
    QCOMPARE(w.grid()->titleEndRow, 3);
    QCOMPARE(w.grid()->titleEndColumn, 2);
    QCOMPARE(w.grid()->topRow(), 3);
    Key(w.grid(), Qt::Key_Up);
    Key(w.grid(), Qt::Key_Left);
    QCOMPARE(Cursor(w.grid()), QPoint(2, 3));  // the titles cannot be entered
    // Scrolling far down keeps the title rows on screen, painted in the title colour.
    w.grid()->moveTo(500, 2);
    QTest::qWait(1);
    const QImage image = w.grid()->grab().toImage();
    const std::vector<GridPane::Span> rows = w.grid()->rowSpans();
    QVERIFY(rows.size() > 4);
    QCOMPARE(rows[0].index, 0);
    QVERIFY(rows[0].title);
    QCOMPARE(rows[3].index, w.grid()->topRow());
    const int x = w.grid()->rowHeaderWidth() + 20;
    QCOMPARE(image.pixel(x, rows[0].pos + 3) & 0xFFFFFFu, kTitleBackground & 0xFFFFFFu);
    Key(w.grid(), Qt::Key_F8);
    QVERIFY(!w.grid()->hasTitles());
    QCOMPARE(w.grid()->minRow(), 0);
  }

  void closeAsksAboutUnsavedChanges() {
    Window w = Open();
    PutNumber(0, 0, 1);
    SetSheetModified(true);
    TheHeadlessPlatform().answers = {Answer::kCancel};
    QVERIFY(!w.sheetWindow->close());
    QCOMPARE(QString::fromStdString(TheHeadlessPlatform().log.back()),
             QStringLiteral("ask : Save Worksheet \nTEST.WKS?"));
    WorksheetWindow::SetRangePromptOpen(true);
    QVERIFY(!w.sheetWindow->close());  // refuses silently while a range prompt is open
    WorksheetWindow::SetRangePromptOpen(false);
    TheHeadlessPlatform().answers = {Answer::kNo};
    QSignalSpy closed(w.sheetWindow, &WorksheetWindow::closed);
    QVERIFY(w.sheetWindow->close());
    QCOMPARE(closed.count(), 1);
    QVERIFY(closed.at(0).at(0).toBool());
    QVERIFY(!Worksheet(w.slot).InUse());
  }

  void secondWindowOnTheSameSheetClosesWithoutAsking() {
    Window w = Open();
    const SlotIndex again = CreateWorksheetWindow("test.wks");
    QCOMPARE(again, w.slot);
    auto* second = new WorksheetWindow(again, QStringLiteral("TEST.WKS:2"), true);
    second->show();
    SetSheetModified(true);
    const size_t asked = TheHeadlessPlatform().log.size();
    QVERIFY(second->close());
    QCOMPARE(TheHeadlessPlatform().log.size(), asked);
    QVERIFY(Worksheet(w.slot).InUse());
    delete second;
  }

  // A window whose sheet is not current paints through a read-only view: the engine's current
  // sheet stays current throughout, and the live options of the current sheet are not stored
  // into its entry behind its back (which making another sheet current would do).
  void paintingAnInactiveWindowLeavesTheCurrentSheetAlone() {
    Window w = Open();
    PutNumber(0, 0, 42);
    const SlotIndex other = CreateWorksheetWindow("OTHER.WKS");
    auto* otherWindow = new WorksheetWindow(other, QStringLiteral("OTHER.WKS"), true);
    otherWindow->show();
    otherWindow->activateSheet();
    QCOMPARE(CurrentWorksheet(), other);
    const uint8_t stored = Worksheet(other).options.globalFormat();
    Options().setGlobalFormat(uint8_t(stored ^ 0x01));

    int rows = 0;
    std::vector<SlotIndex> currentWhilePainting;
    auto original = w.grid()->rowPainter;
    w.grid()->rowPainter = [&](GridPane& g, QPainter& p, int row, int first, int last,
                               const QRect& rect) {
      original(g, p, row, first, last, rect);
      ++rows;
      currentWhilePainting.push_back(CurrentWorksheet());
    };
    w.grid()->grab();
    QVERIFY(rows > 0);
    QVERIFY(std::all_of(currentWhilePainting.begin(), currentWhilePainting.end(),
                        [&](SlotIndex s) { return s == other; }));
    QCOMPARE(CurrentWorksheet(), other);
    QCOMPARE(Worksheet(other).options.globalFormat(), stored);
    QCOMPARE(Options().globalFormat(), uint8_t(stored ^ 0x01));
    delete otherWindow;
  }

  // Dragging a header edge shows the new size as it moves and changes the sheet once, when let
  // go, through the width / height command: the sheet is modified and Undo restores the size.
  void headerDragsResizeThroughTheCommands() {
    struct Case { bool columns; int index; int delta; };
    const Case kCases[] = {
        {true, 1, 40},
        {false, 2, 12},
    };
    for (const Case& c : kCases) {
      Window w = Open();
      GridPane* g = w.grid();
      GridHeader* header = c.columns ? g->columnHeader() : g->rowHeader();
      const std::vector<GridPane::Span> spans = c.columns ? g->columnSpans() : g->rowSpans();
      const auto span = std::find_if(spans.begin(), spans.end(),
                                     [&](const GridPane::Span& s) { return s.index == c.index; });
      QVERIFY(span != spans.end());
      const int offset = c.columns ? 0 : g->headerHeight();
      const int edge = span->pos - offset + span->size;
      auto at = [&](int along) { return c.columns ? QPoint(along, 5) : QPoint(5, along); };
      auto size = [&] {
        return c.columns ? CurrentLayout().columnWidth[size_t(c.index)]
                         : CurrentLayout().rowHeight[size_t(c.index)];
      };
      const int before = size();
      SetSheetModified(false);
      QSignalSpy changed(w.sheetWindow, &WorksheetWindow::sheetChanged);
      QTest::mousePress(header, Qt::LeftButton, Qt::NoModifier, at(edge));
      QMouseEvent move(QEvent::MouseMove, QPointF(at(edge + c.delta)),
                       QPointF(header->mapToGlobal(at(edge + c.delta))), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(header, &move);
      // Shown, not yet stored.
      QCOMPARE(c.columns ? g->columnWidth(c.index) : g->rowHeight(c.index), before + c.delta);
      QCOMPARE(size(), before);
      QTest::mouseRelease(header, Qt::LeftButton, Qt::NoModifier, at(edge + c.delta));
      QCOMPARE(size(), before + c.delta);
      QVERIFY(SheetModified());
      QCOMPARE(changed.count(), 1);
      QVERIFY(UndoLastCommand().Done());
      QCOMPARE(size(), before);
      delete w.sheetWindow;
    }
  }

  void zoomSwitchesTheHeaderFace() {
    QCOMPARE(GridHeader::HeaderFont(100).family(), QStringLiteral("Arial"));
    QCOMPARE(GridHeader::HeaderFont(87).family(), QStringLiteral("Arial"));
    QCOMPARE(GridHeader::HeaderFont(75).family(), QStringLiteral("Small Fonts"));
    QCOMPARE(GridHeader::HeaderFont(50).pixelSize(), 7);
    Window w = Open();
    const int before = w.grid()->columnWidth(0);
    WorksheetWindow::SetZoomAll(125);
    QCOMPARE(w.grid()->columnWidth(0), ZoomedSize(before, 125));
    QCOMPARE(ZoomedSize(15, 65), 10);
  }
};

int main(int argc, char** argv) {
  UseOffscreenByDefault();
  QApplication app(argc, argv);
  WorksheetWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "worksheet_window_test.moc"
