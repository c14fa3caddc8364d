// ui/worksheet_window.cpp — the worksheet window (see the header).
//
// State: per window (panes, split, END mode, drag of the split box); program-wide the list of
// open windows and the range-prompt flag (module struct below). Reads and writes the current
// sheet through the engine while the window's sheet is made current.
#include "ui/worksheet_window.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QPainter>
#include <algorithm>
#include <optional>

#include "core/cell_navigation.h"
#include "commands/commands.h"
#include "core/cell_store.h"
#include "core/messages.h"
#include "core/format.h"
#include "core/sheet_scope.h"
#include "files/settings.h"
#include "core/sheet_extras.h"
#include "files/worksheet_file.h"
#include "platform/platform.h"
#include "ui/column_scroller.h"
#include "ui/cp1252.h"
#include "ui/grid_header.h"
#include "macros/interpreter.h"
#include "ui/grid_pane.h"
#include "ui/macro_player.h"
#include "ui/page_tabs.h"

namespace {

struct WindowsState {
  std::vector<WorksheetWindow*> windows;
  bool rangePromptOpen = false;
};

WindowsState& TheWindowsState() {
  static WindowsState state;
  return state;
}

constexpr int kSplitGap = 4;

int PagesOf(const GlobalOptions& o) {
  const int size = o.pageSize();
  if (size <= 0 || size >= kRowCount) return 1;
  return std::clamp(kRowCount / size, 1, 64);
}

}  // namespace

std::function<bool(WorksheetWindow&)> WorksheetWindow::SaveAsHandler;

// --- creation ----------------------------------------------------------------------------------

WorksheetWindow::WorksheetWindow(SlotIndex slot, const QString& caption, bool named,
                                 QWidget* parent)
    : QWidget(parent), slot_(slot), caption_(caption), named_(named) {
  setWindowTitle(caption);
  setMouseTracking(true);
  firstPane = new GridPane(this);
  secondPane = new GridPane(this);
  secondPane->hide();
  pageTabs = new PageTabs(this);
  columnScroller = new ColumnScroller(this);
  trackLine_ = new QWidget(this);
  trackLine_->setStyleSheet(QStringLiteral("background: black"));
  trackLine_->hide();
  hint_ = QStringLiteral("Drag to split window");
  setToolTip(QString());
  connectPane(firstPane, 1);
  connectPane(secondPane, 2);
  connect(pageTabs, &PageTabs::pick, this, &WorksheetWindow::pagePicked);
  connect(columnScroller, &ColumnScroller::moved, this, &WorksheetWindow::scrollerMoved);
  TheWindowsState().windows.push_back(this);
  if (Worksheet(slot_).InUse()) {
    SheetLayout* layout = Worksheet(slot_).layout.get();
    firstPane->setSheetLayout(layout);
    secondPane->setSheetLayout(layout);
  }
  redraw();
  resize(640, 400);
}

WorksheetWindow::~WorksheetWindow() {
  auto& list = TheWindowsState().windows;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (GridPane::ActiveGrid() == firstPane || GridPane::ActiveGrid() == secondPane)
    GridPane::SetActiveGrid(nullptr);
}

void WorksheetWindow::connectPane(GridPane* grid, int pane) {
  grid->installEventFilter(this);
  grid->rowPainter = [this](GridPane& g, QPainter& p, int row, int first, int last,
                            const QRect& r) { paintRow(g, p, row, first, last, r); };
  grid->macroButtons = [this] {
    std::vector<MacroButton> buttons;
    if (!Worksheet(slot_).InUse()) return buttons;
    for (const std::vector<uint8_t>& record : ExtrasOf(slot_).macroButtons) {
      // A record that describes no button is kept for saving and not shown.
      if (const std::optional<MacroButton> b = DecodeMacroButton(record)) buttons.push_back(*b);
    }
    return buttons;
  };
  connect(grid, &GridPane::macroButtonClicked, this, &WorksheetWindow::macroButtonClicked);
  connect(grid, &GridPane::keyDown, this, &WorksheetWindow::paneKeyDown);
  connect(grid, &GridPane::keyPress, this, &WorksheetWindow::paneKeyPress);
  connect(grid, &GridPane::changed, this, [this, grid] {
    if (grid == activeGrid()) emit cursorMoved();
  });
  connect(grid, &GridPane::topChanged, this, [this, grid] { followTopRow(grid); });
  connect(grid, &GridPane::leftChanged, this, [this, grid] { followLeftColumn(grid); });
  connect(grid, &GridPane::sizeChosen, this, [this](bool columns, int index, int pixels) {
    {
      SheetScope scope(slot_);
      if (columns)
        SetColumnWidth(uint32_t(index), uint16_t(pixels));
      else
        SetRowHeight(uint32_t(index), uint16_t(pixels));
    }
    emit sheetChanged();
  });
  connect(grid, &GridPane::sized, this, [this] {
    firstPane->refresh();
    secondPane->refresh();
  });
  connect(grid, &GridPane::focused, this, [this, grid, pane] {
    activePane_ = pane;
    GridPane::SetActiveGrid(grid);
    followTopRow(grid);
    followLeftColumn(grid);
    emit cursorMoved();
  });
  connect(grid, &GridPane::contextMenuAt, this, &WorksheetWindow::contextMenuRequested);
  connect(grid, &GridPane::propertiesRequested, this, [this] {
    if (!RangePromptOpen()) emit propertiesRequested();
  });
}

WorksheetWindow* WorksheetWindow::OpenWorksheetWindow(QMdiArea* area, std::string_view fileName,
                                                      bool named) {
  const SlotIndex slot = CreateWorksheetWindow(fileName);
  if (slot == 0) return nullptr;
  return ShowWorksheet(area, slot, named);
}

WorksheetWindow* WorksheetWindow::ShowWorksheet(QMdiArea* area, SlotIndex slot, bool named) {
  if (slot == 0 || !Worksheet(slot).InUse()) return nullptr;
  auto* sheetWindow = new WorksheetWindow(slot, FromCp1252(Worksheet(slot).fileName), named);
  QMdiSubWindow* sub = area->addSubWindow(sheetWindow);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  connect(sub, &QMdiSubWindow::windowStateChanged, sheetWindow,
          [sheetWindow](Qt::WindowStates old, Qt::WindowStates now) {
            if ((now & Qt::WindowActive) && !(old & Qt::WindowActive)) sheetWindow->activateSheet();
            if (!(now & Qt::WindowActive) && (old & Qt::WindowActive))
              sheetWindow->deactivateSheet();
          });
  sub->resize(720, 460);
  sub->show();
  area->setActiveSubWindow(sub);
  sheetWindow->activateSheet();
  return sheetWindow;
}

const std::vector<WorksheetWindow*>& WorksheetWindow::Windows() { return TheWindowsState().windows; }
void WorksheetWindow::SetRangePromptOpen(bool open) { TheWindowsState().rangePromptOpen = open; }
bool WorksheetWindow::RangePromptOpen() { return TheWindowsState().rangePromptOpen; }

void WorksheetWindow::SetZoomAll(int percent) {
  SetGridZoom(percent);
  for (WorksheetWindow* w : TheWindowsState().windows) {
    w->firstPane->refresh();
    w->secondPane->refresh();
    w->layoutPanes();
  }
}

void WorksheetWindow::redraw() {
  SheetScope scope(slot_);
  const int pages = PagesOf(Options());
  const uint8_t lines = Options().gridLines();
  for (GridPane* g : {firstPane, secondPane}) {
    g->setPages(pages);
    g->gridLines = lines;
    g->raisedHeaders = Options().Byte(GlobalOptions::kRaisedBorders) != 0;
    g->refresh();
  }
  pageTabs->setPages(pages);
  QStringList labels;
  for (const std::string& caption : ExtrasOf(slot_).tabCaptions) labels << FromCp1252(caption);
  pageTabs->setLabels(labels);
  const WindowFont& font = ExtrasOf(slot_).font;
  // The sheet's own typeface, else the default typeface of new sheets.
  display_.defaultFamily = font.present && !font.name.empty() ? FromCp1252(font.name)
                                                               : FromCp1252(Settings().fontName);
  display_.defaultSize =
      font.present && font.height >= 1 && font.height <= 127 ? font.height : Settings().fontSize;
  followTopRow(activeGrid());
}

// --- painting ----------------------------------------------------------------------------------

void WorksheetWindow::paintRow(GridPane& grid, QPainter& painter, int row, int first, int last,
                          const QRect& rect) {
  // Read through a view: painting a window whose sheet is not current must not make it current.
  const SheetView sheet(slot_);
  RowPaint r;
  r.sheet = &sheet;
  r.title = row < 0 || first < 0;
  r.row = row < 0 ? ~row : row;
  r.firstColumn = first < 0 ? ~first : first;
  r.lastColumn = first < 0 ? ~last : last;
  r.rect = rect;
  r.scale = GridZoom();
  r.widths = grid.zoomedWidths();
  r.selection = grid.selection();
  r.cursorRow = grid.cursorRow();
  r.cursorColumn = grid.cursorColumn();
  const GlobalOptions& o = sheet.Options();
  display_.banding = o.banding();
  display_.colourNegative = o.colourNegatives();
  display_.gridLines = o.gridLines();
  display_.gridColour = WordColour(Settings().gridColour) | 0xFF000000u;
  r.options = &o;
  r.display = &display_;
  PaintRow(painter, r);
}

QRect WorksheetWindow::paneArea() const {
  return QRect(0, 0, width(), std::max(0, height() - kSplitBox));
}
QRect WorksheetWindow::splitBox() const {
  return QRect(width() - kSplitBox, height() - kSplitBox, kSplitBox, kSplitBox);
}

void WorksheetWindow::layoutPanes() {
  const QRect area = paneArea();
  const int tabWidth = width() * 3 / 5;
  pageTabs->setGeometry(0, area.bottom() + 1, tabWidth, kSplitBox);
  columnScroller->setGeometry(tabWidth, area.bottom() + 1,
                              std::max(0, width() - tabWidth - kSplitBox), kSplitBox);
  if (horizontalSplit) {
    splitPos_ = std::clamp(splitPos_, 0, std::max(0, area.height() - kSplitGap));
    firstPane->setGeometry(0, 0, area.width(), splitPos_);
    secondPane->setGeometry(0, splitPos_ + kSplitGap, area.width(),
                       std::max(0, area.height() - splitPos_ - kSplitGap));
    secondPane->show();
  } else if (verticalSplit) {
    splitPos_ = std::clamp(splitPos_, 0, std::max(0, area.width() - kSplitGap));
    firstPane->setGeometry(0, 0, splitPos_, area.height());
    secondPane->setGeometry(splitPos_ + kSplitGap, 0,
                            std::max(0, area.width() - splitPos_ - kSplitGap), area.height());
    secondPane->show();
  } else {
    firstPane->setGeometry(area);
    secondPane->hide();
  }
  update();
}

void WorksheetWindow::resizeEvent(QResizeEvent*) { layoutPanes(); }

void WorksheetWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(160, 160, 160));
  // The split box: the upper half starts a horizontal split, the lower half a vertical one.
  const QRect box = splitBox();
  p.fillRect(box, QColor(212, 208, 200));
  p.setPen(QColor(128, 128, 128));
  p.drawRect(box.adjusted(0, 0, -1, -1));
  p.drawLine(box.left() + 3, box.top() + 5, box.right() - 3, box.top() + 5);
  p.drawLine(box.left() + 3, box.top() + 7, box.right() - 3, box.top() + 7);
  p.drawLine(box.left() + 8, box.top() + 12, box.left() + 8, box.bottom() - 2);
  p.drawLine(box.left() + 11, box.top() + 12, box.left() + 11, box.bottom() - 2);
}

// --- split, titles, panes ----------------------------------------------------------------------

void WorksheetWindow::splitAtCursor(int mode) {
  if (mode == 0) {
    horizontalSplit = verticalSplit = false;
    synchronised = false;
    activePane_ = 1;
    hint_ = QStringLiteral("Drag to split window");
    layoutPanes();
    firstPane->setFocus();
    GridPane::SetActiveGrid(firstPane);
    return;
  }
  GridPane* g = firstPane;
  if (mode == 1) {
    const QRect row = g->rowRect(g->cursorRow());
    splitAt(SplitDrag::kHorizontal, row.isEmpty() ? paneArea().height() / 2 : row.bottom() + 1);
  } else {
    int x = -1;
    for (const GridPane::Span& s : g->columnSpans())
      if (s.index == g->cursorColumn()) x = s.pos + s.size;
    splitAt(SplitDrag::kVertical, x < 0 ? paneArea().width() / 2 : x);
  }
}

void WorksheetWindow::splitAt(SplitDrag kind, int position) {
  if (kind == SplitDrag::kNone) return;
  GridPane* g = firstPane;
  GridPlace place = g->place();
  if (kind == SplitDrag::kHorizontal) {
    horizontalSplit = true;
    verticalSplit = false;
    const int limit = paneArea().height() - g->headerHeight() - 10;
    splitPos_ =
        std::clamp(position, g->headerHeight() + 10, std::max(g->headerHeight() + 10, limit));
    int row = g->cursorRow() + 1, column = g->cursorColumn();
    if (!g->cellAt(QPoint(g->rowHeaderWidth() + 1, std::min(position, splitPos_)), &row, &column) ||
        row <= g->cursorRow())
      row = g->cursorRow() + 1;
    place.cursorRow = std::min(row, kRowCount - 1);
    place.topRow = place.cursorRow;
    place.cursorColumn = g->cursorColumn();
  } else {
    verticalSplit = true;
    horizontalSplit = false;
    const int limit = paneArea().width() - g->rowHeaderWidth() - 10;
    splitPos_ =
        std::clamp(position, g->rowHeaderWidth() + 10, std::max(g->rowHeaderWidth() + 10, limit));
    int row = g->cursorRow(), column = g->cursorColumn() + 1;
    if (!g->cellAt(QPoint(std::min(position, splitPos_), g->headerHeight() + 1), &row, &column) ||
        column <= g->cursorColumn())
      column = g->cursorColumn() + 1;
    place.cursorColumn = std::min(column, kColumnCount - 1);
    place.leftColumn = place.cursorColumn;
    place.cursorRow = g->cursorRow();
  }
  place.selection = MakeRange(uint16_t(place.cursorColumn), uint16_t(place.cursorRow),
                              uint16_t(place.cursorColumn), uint16_t(place.cursorRow));
  hint_ = QStringLiteral("Click to Cancel");
  layoutPanes();
  secondPane->setPlace(place);
}

void WorksheetWindow::setSynch(bool on) {
  synchronised = on;
  if (!on || !splitActive()) return;
  GridPane* a = activeGrid();
  GridPane* b = otherGrid();
  GridPlace place = b->place();
  if (horizontalSplit) {
    place.leftColumn = a->leftColumn();
    place.cursorRow = std::min(a->cursorRow() + 1, kRowCount - 1);
    place.topRow = place.cursorRow;
    place.cursorColumn = a->cursorColumn();
  } else {
    place.topRow = a->topRow();
    place.cursorColumn = std::min(a->cursorColumn() + 1, kColumnCount - 1);
    place.leftColumn = place.cursorColumn;
    place.cursorRow = a->cursorRow();
  }
  place.selection = MakeRange(uint16_t(place.cursorColumn), uint16_t(place.cursorRow),
                              uint16_t(place.cursorColumn), uint16_t(place.cursorRow));
  b->setPlace(place);
  a->refresh();
}

void WorksheetWindow::setTitles(int mode) { activeGrid()->setTitles(mode); }

void WorksheetWindow::switchPanes() {
  if (splitActive()) {
    GridPane* other = otherGrid();
    activePane_ = activePane_ == 1 ? 2 : 1;
    other->setFocus(Qt::OtherFocusReason);
    GridPane::SetActiveGrid(other);
    emit cursorMoved();
    return;
  }
  const GridPlace here = firstPane->place();
  firstPane->setPlace(secondPane->place());
  secondPane->setPlace(here);
}

void WorksheetWindow::moveCursorTo(int row, int column) { activeGrid()->moveTo(row, column); }

void WorksheetWindow::followTopRow(GridPane* grid) {
  if (grid != activeGrid()) return;
  const int page = grid->topRow() / grid->pageRows();
  pageTabs->showPage(page);
  for (GridPane* g : {firstPane, secondPane})
    g->columnHeader()->setCornerLabel(pageTabs->label(g->topRow() / g->pageRows()));
  if (synchronised && verticalSplit) otherGrid()->setTopRow(grid->topRow());
}

void WorksheetWindow::followLeftColumn(GridPane* grid) {
  if (grid != activeGrid()) return;
  columnScroller->showColumn(grid->leftColumn());
  if (synchronised && horizontalSplit) otherGrid()->setLeftColumn(grid->leftColumn());
}

void WorksheetWindow::pagePicked(int page) {
  GridPane* g = activeGrid();
  const int rows = g->pageRows();
  g->moveTo(page * rows + g->cursorRow() % rows, g->cursorColumn());
  g->setFocus();
}

void WorksheetWindow::scrollerMoved(int position) {
  const int column = ScrollerColumn(position, columnScroller->maximum());
  activeGrid()->setLeftColumn(column);
  if (horizontalSplit && synchronised) otherGrid()->setLeftColumn(column);
}

// --- mouse on the window: the split box --------------------------------------------------------

void WorksheetWindow::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const SplitDrag hit = SplitBoxHit(pos.x(), pos.y(), width(), height());
  if (hit == SplitDrag::kNone || e->button() != Qt::LeftButton) return;
  if (splitActive()) {
    // "Click to Cancel".
    splitAtCursor(0);
    return;
  }
  drag_ = hit;
  trackX_ = trackY_ = -1;
}

void WorksheetWindow::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (drag_ == SplitDrag::kNone) {
    setToolTip(splitBox().contains(pos) ? hint_ : QString());
    return;
  }
  const QRect area = paneArea();
  if (drag_ == SplitDrag::kHorizontal) {
    trackY_ = std::clamp(pos.y(), 0, area.bottom());
    trackLine_->setGeometry(0, trackY_, area.width(), 2);
  } else {
    trackX_ = std::clamp(pos.x(), 0, area.right());
    trackLine_->setGeometry(trackX_, 0, 2, area.height());
  }
  trackLine_->show();
  trackLine_->raise();
}

void WorksheetWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (drag_ == SplitDrag::kNone) return;
  const SplitDrag kind = drag_;
  drag_ = SplitDrag::kNone;
  trackLine_->hide();
  const QPoint pos = e->position().toPoint();
  const QRect area = paneArea();
  if (kind == SplitDrag::kHorizontal && pos.y() < area.bottom() - 10) {
    splitAt(kind, pos.y());
  } else if (kind == SplitDrag::kVertical && pos.x() < area.right() - 10) {
    splitAt(kind, pos.x());
  } else {
    horizontalSplit = verticalSplit = false;
    hint_ = QStringLiteral("Drag to split window");
    layoutPanes();
  }
  trackX_ = trackY_ = -1;
}

// --- keys --------------------------------------------------------------------------------------

bool WorksheetWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == firstPane || watched == secondPane) {
    if (event->type() == QEvent::KeyPress) return windowKeyDown(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control)
      ctrlHeld_ = false;
  }
  return QWidget::eventFilter(watched, event);
}

bool WorksheetWindow::windowKeyDown(QKeyEvent* e) {
  const int key = e->key();
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  GridPane* g = activeGrid();
  auto setEnd = [this](bool on) {
    if (on == endMode_) return;
    endMode_ = on;
    emit endModeChanged(on);
  };
  switch (key) {
    case Qt::Key_Control: ctrlHeld_ = true; return false;
    case Qt::Key_Delete:
      if (ctrl) return false;
      ThePlatform().Beep();
      return true;
    case Qt::Key_Pause:
    case Qt::Key_Cancel:
      if (!ctrl) return false;
      if (!MacroPlayer::IsPlayed(e)) RequestMacroBreak();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit enterPressed();
      return RangePromptOpen();
    case Qt::Key_Escape:
      if (!MacroPlayer::IsPlayed(e)) RequestMacroBreak();
      emit escapePressed();
      return true;
    case Qt::Key_End: setEnd(!endMode_); return true;
    case Qt::Key_Home:
      if (!endMode_) return false;
      {
        SheetScope scope(slot_);
        g->moveTo(LastRow(), LastColumn(), shift);
      }
      setEnd(false);
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: {
      if (!endMode_) return false;
      const int dr = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
      const int dc = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
      CellAddress target;
      {
        SheetScope scope(slot_);
        target = EndModeTarget(g->cursorRow(), g->cursorColumn(), dr, dc);
      }
      g->moveTo(target.row, target.column, shift);
      setEnd(false);
      return true;
    }
    case Qt::Key_CapsLock:
    case Qt::Key_Insert:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock: emit indicatorsChanged(); return false;
    case Qt::Key_F1: emit helpRequested(); return true;
    case Qt::Key_F2: emit editRequested(); return true;
    case Qt::Key_F4: emit referenceCycleRequested(); return true;
    case Qt::Key_F5:
      if (isSignalConnected(QMetaMethod::fromSignal(&WorksheetWindow::gotoRequested))) {
        emit gotoRequested();
      } else {
        bool ok = false;
        const QString text = QInputDialog::getText(this, QStringLiteral("GOTO: Specify Cell"),
                                                   QStringLiteral("Cell:"), QLineEdit::Normal,
                                                   QString(), &ok);
        if (ok && !text.isEmpty()) {
          SheetScope scope(slot_);
          ClearError();
          const ParsedCell cell = ParseCellRef(ToCp1252(text.trimmed()));
          if (!ErrorRaised() && cell.row != kNoCell && cell.column != kNoCell)
            g->moveTo(cell.row, cell.column);
          else
            ThePlatform().Beep();
        }
      }
      return true;
    case Qt::Key_F6: switchPanes(); return true;
    case Qt::Key_F7: {
      auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
      if (sub && sub->mdiArea()) sub->mdiArea()->activateNextSubWindow();
      return true;
    }
    case Qt::Key_F8: setTitles(g->hasTitles() ? 0 : 3); return true;
    case Qt::Key_F3: emit macroRequested(shift); return true;
    case Qt::Key_F9: emit linkUpdateRequested(); return true;
    // The links prompt comes later.
    case Qt::Key_F11: ThePlatform().Beep(); return true;
    case Qt::Key_F12: emit graphViewRequested(); return true;
    default: return false;
  }
}

void WorksheetWindow::toggleStyle(uint8_t bit) {
  SheetScope scope(slot_);
  GridPane* g = activeGrid();
  const CellRange r = g->selection();
  const CellHandle at = GetCell(uint32_t(g->cursorRow()), uint32_t(g->cursorColumn()));
  const bool set = !(at && (CellAt(at)->style & bit));
  SetRangeStyle(r, bit, set);
  g->repaintRange(r);
  otherGrid()->update();
}

void WorksheetWindow::paneKeyDown(QKeyEvent* e) {
  const bool ctrl = (e->modifiers() & Qt::ControlModifier) || ctrlHeld_;
  if (!ctrl || !Settings().winControlKeys) return;
  switch (e->key()) {
    case Qt::Key_B: toggleStyle(kStyleBold); emit sheetChanged(); break;
    case Qt::Key_I: toggleStyle(kStyleItalic); emit sheetChanged(); break;
    case Qt::Key_U: toggleStyle(kStyleUnderline); emit sheetChanged(); break;
    case Qt::Key_Z:
    case Qt::Key_Y: {
      {
        SheetScope scope(slot_);
        if (e->key() == Qt::Key_Z) {
          UndoLastCommand();
        } else {
          RedoLastCommand();
        }
      }
      firstPane->refresh();
      secondPane->refresh();
      emit sheetChanged();
      break;
    }
    case Qt::Key_C:
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_D: {
      const QChar key(QLatin1Char(char(e->key())));
      if (isSignalConnected(QMetaMethod::fromSignal(&WorksheetWindow::shortcutRequested)))
        emit shortcutRequested(key);
      else
        ThePlatform().Beep();
      break;
    }
    default: return;
  }
  e->accept();
}

void WorksheetWindow::paneKeyPress(const QString& text) {
  if (text.isEmpty()) return;
  const QChar ch = text.at(0);
  if (ch == QLatin1Char('\t') || ch.unicode() == 27) return;
  if (ch == QLatin1Char('/')) {
    emit menuRequested();
    return;
  }
  if (ch.unicode() >= 32) emit entryStarted(text);
}

// --- activation and closing --------------------------------------------------------------------

void WorksheetWindow::activateSheet() {
  if (!Worksheet(slot_).InUse()) return;
  const SlotIndex current = CurrentWorksheet();
  if (current && current != slot_) StoreOptions(current);
  ActivateWorksheet(slot_);
  redraw();
  GridPane* g = activeGrid();
  g->setFocus(Qt::ActiveWindowFocusReason);
  GridPane::SetActiveGrid(g);
  emit activated();
  emit cursorMoved();
}

void WorksheetWindow::deactivateSheet() {
  if (CurrentWorksheet() != slot_) return;
  SaveCurrentSheet();
  StoreOptions(slot_);
}

bool WorksheetWindow::mayClose() {
  if (RangePromptOpen()) return false;
  if (!Worksheet(slot_).InUse() || Worksheet(slot_).extraWindows > 0) return true;
  SheetScope scope(slot_);
  if (!SheetModified()) return true;
  const std::string question = "Save Worksheet \n" + ToCp1252(caption_) + "?";
  switch (ThePlatform().Ask("", question, Buttons::kYesNoCancel)) {
    case Answer::kYes:
      if (!named_) return SaveAsHandler ? SaveAsHandler(*this) : false;
      return SaveWorksheet(Worksheet(slot_).fileName);
    case Answer::kNo: return true;
    default: return false;
  }
}

void WorksheetWindow::closeSheet() {
  deactivateSheet();
  if (GridPane::ActiveGrid() == firstPane || GridPane::ActiveGrid() == secondPane)
    GridPane::SetActiveGrid(nullptr);
  if (Worksheet(slot_).InUse()) CloseWorksheet(Worksheet(slot_).heap);
  auto& list = TheWindowsState().windows;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  emit closed(list.empty());
}

void WorksheetWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (!mayClose()) {
    event->ignore();
    return;
  }
  closing_ = true;
  closeSheet();
  event->accept();
}

// --- the layout stored with the file ------------------------------------------------------------

void WorksheetWindow::applyLayout(const WindowLayout& l) {
  if (!l.present) return;
  firstPane->setPlace(GridPlace{l.first.cursorRow, l.first.cursorColumn, l.first.topRow,
                            l.first.leftColumn,
                            MakeRange(l.first.cursorColumn, l.first.cursorRow,
                                      l.first.cursorColumn, l.first.cursorRow)});
  if (l.hasTitles && (l.titleLastRow > l.titleFirstRow || l.titleLastColumn > l.titleFirstColumn)) {
    firstPane->setTitleSpans(l.titleFirstRow, l.titleLastRow, l.titleFirstColumn,
                             l.titleLastColumn);
  }
  if (l.horizontalSplit || l.verticalSplit) {
    splitAt(l.horizontalSplit ? SplitDrag::kHorizontal : SplitDrag::kVertical,
            l.horizontalSplit ? l.firstHeight : l.firstWidth);
    secondPane->setPlace(GridPlace{l.second.cursorRow, l.second.cursorColumn, l.second.topRow,
                              l.second.leftColumn,
                              MakeRange(l.second.cursorColumn, l.second.cursorRow,
                                        l.second.cursorColumn, l.second.cursorRow)});
    synchronised = l.synchronised != 0;
  }
  if (l.activePane != 0 && splitActive()) switchPanes();
}

void WorksheetWindow::fillLayout(WindowLayout& l) const {
  auto pane = [](const GridPane* g) {
    return WindowLayout::Pane{uint16_t(g->leftColumn()), uint16_t(g->topRow()),
                              uint16_t(g->cursorColumn()), uint16_t(g->cursorRow())};
  };
  l.present = true;
  l.pages = uint16_t(firstPane->pages());
  l.horizontalSplit = horizontalSplit;
  l.verticalSplit = verticalSplit;
  l.synchronised = synchronised;
  l.activePane = activePane_ == 2 ? 1 : 0;
  l.first = pane(firstPane);
  l.firstHeight = uint16_t(firstPane->height());
  l.firstWidth = uint16_t(firstPane->width());
  l.second = pane(secondPane);
  l.hasTitles = true;
  l.titleFirstColumn = uint16_t(firstPane->titleFirstColumn);
  l.titleLastColumn = uint16_t(firstPane->titleEndColumn);
  l.titleFirstRow = uint16_t(firstPane->titleFirstRow);
  l.titleLastRow = uint16_t(firstPane->titleEndRow);
}
