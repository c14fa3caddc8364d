// ui/Unit2.cpp — the worksheet window (see the header).
//
// State: per window (panes, split, END mode, drag of the split box); program-wide the list of
// open windows and the range-prompt flag (module struct below). Reads and writes the current
// sheet through the engine while the window's sheet is made current.
#include "ui/Unit2.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QPainter>
#include <algorithm>

#include "core/cell_store.h"
#include "core/engine_hooks.h"
#include "core/format.h"
#include "files/settings.h"
#include "files/sheet_extras.h"
#include "files/worksheet_file.h"
#include "platform/platform.h"
#include "ui/Header.h"
#include "ui/Ugrid.h"
#include "ui/cp1252.h"
#include "ui/scroll.h"
#include "ui/tbar.h"

namespace {

struct WindowsState {
  std::vector<TForm2*> windows;
  bool rangePromptOpen = false;
};

WindowsState& State() {
  static WindowsState state;
  return state;
}

constexpr int kSplitGap = 4;

bool Filled(int row, int column) {
  const CellHandle h = GetCell(uint32_t(row), uint32_t(column));
  return h && (CellAt(h)->kind & kKindMask) != uint8_t(CellKind::kBlank);
}

int PagesOf(const GlobalOptions& o) {
  const int size = o.pageSize();
  if (size <= 0 || size >= kRowCount) return 1;
  return std::clamp(kRowCount / size, 1, 64);
}

}  // namespace

std::function<bool(TForm2&)> TForm2::SaveAsHandler;

// --- SheetScope --------------------------------------------------------------------------------

SheetScope::SheetScope(SlotIndex slot) : previous_(CurrentWorksheet()), slot_(slot) {
  if (slot_ <= 0 || slot_ == previous_ || !Worksheet(slot_).InUse()) {
    if (slot_ > 0 && Worksheet(slot_).InUse()) PoolSetHeap(Worksheet(slot_).heap);
    return;
  }
  // Options live in the current-sheet record: store them before another sheet replaces them.
  if (previous_) StoreOptions(previous_);
  ActivateWorksheet(slot_);
  switched_ = true;
}

SheetScope::~SheetScope() {
  if (!switched_) return;
  if (Worksheet(slot_).InUse() && CurrentWorksheet() == slot_) StoreOptions(slot_);
  if (previous_ && Worksheet(previous_).InUse()) ActivateWorksheet(previous_);
}

CellAddress EndModeTarget(int row, int column, int rowStep, int columnStep) {
  auto inside = [](int r, int c) { return r >= 0 && r < kRowCount && c >= 0 && c < kColumnCount; };
  int r = row + rowStep, c = column + columnStep;
  if (!inside(r, c)) return CellAddress{uint16_t(column), uint16_t(row)};
  if (Filled(row, column) && Filled(r, c)) {
    // Along the run of filled cells to its last one.
    while (inside(r + rowStep, c + columnStep) && Filled(r + rowStep, c + columnStep)) {
      r += rowStep;
      c += columnStep;
    }
    return CellAddress{uint16_t(c), uint16_t(r)};
  }
  while (!Filled(r, c) && inside(r + rowStep, c + columnStep)) {
    r += rowStep;
    c += columnStep;
  }
  return CellAddress{uint16_t(c), uint16_t(r)};
}

// --- creation ----------------------------------------------------------------------------------

TForm2::TForm2(SlotIndex slot, const QString& caption, bool named, QWidget* parent)
    : QWidget(parent), slot_(slot), caption_(caption), named_(named) {
  setWindowTitle(caption);
  setMouseTracking(true);
  Grid1 = new TGrid(this);
  Grid2 = new TGrid(this);
  Grid2->hide();
  tabbar1 = new tabbar(this);
  wscroll1 = new Twscroll(this);
  trackLine_ = new QWidget(this);
  trackLine_->setStyleSheet(QStringLiteral("background: black"));
  trackLine_->hide();
  hint_ = QStringLiteral("Drag to split window");
  setToolTip(QString());
  connectPane(Grid1, 1);
  connectPane(Grid2, 2);
  connect(tabbar1, &tabbar::pick, this, &TForm2::tabbar1pick);
  connect(wscroll1, &Twscroll::moved, this, &TForm2::wscroll1Change);
  State().windows.push_back(this);
  if (Worksheet(slot_).InUse()) {
    SheetLayout* layout = Worksheet(slot_).layout.get();
    Grid1->setSheetLayout(layout);
    Grid2->setSheetLayout(layout);
  }
  redraw();
  resize(640, 400);
}

TForm2::~TForm2() {
  auto& list = State().windows;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (TGrid::ActiveGrid() == Grid1 || TGrid::ActiveGrid() == Grid2) TGrid::SetActiveGrid(nullptr);
}

void TForm2::connectPane(TGrid* grid, int pane) {
  grid->installEventFilter(this);
  grid->OnDrawRow = [this](TGrid& g, QPainter& p, int row, int first, int last, const QRect& r) {
    Grid1DrawRow(g, p, row, first, last, r);
  };
  connect(grid, &TGrid::keyDown, this, &TForm2::Grid1keydown);
  connect(grid, &TGrid::keyPress, this, &TForm2::Grid1keypress);
  connect(grid, &TGrid::changed, this, [this, grid] {
    if (grid == activeGrid()) emit cursorMoved();
  });
  connect(grid, &TGrid::topChanged, this, [this, grid] { Grid1ChangeTop(grid); });
  connect(grid, &TGrid::leftChanged, this, [this, grid] { Grid1ChangeLeft(grid); });
  connect(grid, &TGrid::sized, this, [this] {
    Grid1->refresh();
    Grid2->refresh();
  });
  connect(grid, &TGrid::focused, this, [this, grid, pane] {
    activePane_ = pane;
    TGrid::SetActiveGrid(grid);
    Grid1ChangeTop(grid);
    Grid1ChangeLeft(grid);
    emit cursorMoved();
  });
  connect(grid, &TGrid::contextMenuAt, this, &TForm2::contextMenuRequested);
  connect(grid, &TGrid::propertiesRequested, this, [this] {
    if (!RangePromptOpen()) emit propertiesRequested();
  });
}

TForm2* TForm2::OpenWorksheetWindow(QMdiArea* area, std::string_view fileName, bool named) {
  const SlotIndex slot = CreateWorksheetWindow(fileName);
  if (slot == 0) return nullptr;
  auto* form = new TForm2(slot, FromCp1252(fileName), named);
  QMdiSubWindow* sub = area->addSubWindow(form);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  connect(sub, &QMdiSubWindow::windowStateChanged, form,
          [form](Qt::WindowStates old, Qt::WindowStates now) {
            if ((now & Qt::WindowActive) && !(old & Qt::WindowActive)) form->FormActivate();
            if (!(now & Qt::WindowActive) && (old & Qt::WindowActive)) form->FormDeactivate();
          });
  sub->resize(720, 460);
  sub->show();
  area->setActiveSubWindow(sub);
  form->FormActivate();
  return form;
}

const std::vector<TForm2*>& TForm2::Windows() { return State().windows; }
void TForm2::SetRangePromptOpen(bool open) { State().rangePromptOpen = open; }
bool TForm2::RangePromptOpen() { return State().rangePromptOpen; }

void TForm2::SetZoomAll(int percent) {
  SetGridZoom(percent);
  for (TForm2* w : State().windows) {
    w->Grid1->refresh();
    w->Grid2->refresh();
    w->layoutPanes();
  }
}

void TForm2::redraw() {
  SheetScope scope(slot_);
  const int pages = PagesOf(Options());
  const uint8_t lines = Options().gridLines();
  for (TGrid* g : {Grid1, Grid2}) {
    g->setPages(pages);
    g->gridLines = lines;
    g->D3on = Options().Byte(GlobalOptions::kRaisedBorders) != 0;
    g->refresh();
  }
  tabbar1->setPages(pages);
  QStringList labels;
  for (const std::string& caption : ExtrasOf(slot_).tabCaptions) labels << FromCp1252(caption);
  tabbar1->setLabels(labels);
  const WindowFont& font = ExtrasOf(slot_).font;
  display_.defaultFamily = font.present && !font.name.empty() ? FromCp1252(font.name)
                                                               : QStringLiteral("Arial");
  Grid1ChangeTop(activeGrid());
}

// --- painting ----------------------------------------------------------------------------------

void TForm2::Grid1DrawRow(TGrid& grid, QPainter& painter, int row, int first, int last,
                          const QRect& rect) {
  SheetScope scope(slot_);
  RowPaint r;
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
  const GlobalOptions& o = Options();
  display_.banding = o.banding();
  display_.colourNegative = o.colourNegatives();
  display_.gridLines = o.gridLines();
  display_.gridColour = WordColour(Settings().gridColour) | 0xFF000000u;
  r.options = &o;
  r.display = &display_;
  PaintRow(painter, r);
}

QRect TForm2::paneArea() const { return QRect(0, 0, width(), std::max(0, height() - kSplitBox)); }
QRect TForm2::splitBox() const {
  return QRect(width() - kSplitBox, height() - kSplitBox, kSplitBox, kSplitBox);
}

void TForm2::layoutPanes() {
  const QRect area = paneArea();
  const int tabWidth = width() * 3 / 5;
  tabbar1->setGeometry(0, area.bottom() + 1, tabWidth, kSplitBox);
  wscroll1->setGeometry(tabWidth, area.bottom() + 1, std::max(0, width() - tabWidth - kSplitBox),
                        kSplitBox);
  if (Hflag) {
    splitPos_ = std::clamp(splitPos_, 0, std::max(0, area.height() - kSplitGap));
    Grid1->setGeometry(0, 0, area.width(), splitPos_);
    Grid2->setGeometry(0, splitPos_ + kSplitGap, area.width(),
                       std::max(0, area.height() - splitPos_ - kSplitGap));
    Grid2->show();
  } else if (Vflag) {
    splitPos_ = std::clamp(splitPos_, 0, std::max(0, area.width() - kSplitGap));
    Grid1->setGeometry(0, 0, splitPos_, area.height());
    Grid2->setGeometry(splitPos_ + kSplitGap, 0, std::max(0, area.width() - splitPos_ - kSplitGap),
                       area.height());
    Grid2->show();
  } else {
    Grid1->setGeometry(area);
    Grid2->hide();
  }
  update();
}

void TForm2::resizeEvent(QResizeEvent*) { layoutPanes(); }

void TForm2::paintEvent(QPaintEvent*) {
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

void TForm2::Grid1Split(int mode) {
  if (mode == 0) {
    Hflag = Vflag = false;
    Synch = false;
    activePane_ = 1;
    hint_ = QStringLiteral("Drag to split window");
    layoutPanes();
    Grid1->setFocus();
    TGrid::SetActiveGrid(Grid1);
    return;
  }
  TGrid* g = Grid1;
  if (mode == 1) {
    const QRect row = g->rowRect(g->cursorRow());
    splitAt(SplitDrag::kHorizontal, row.isEmpty() ? paneArea().height() / 2 : row.bottom() + 1);
  } else {
    int x = -1;
    for (const TGrid::Span& s : g->columnSpans())
      if (s.index == g->cursorColumn()) x = s.pos + s.size;
    splitAt(SplitDrag::kVertical, x < 0 ? paneArea().width() / 2 : x);
  }
}

void TForm2::splitAt(SplitDrag kind, int position) {
  if (kind == SplitDrag::kNone) return;
  TGrid* g = Grid1;
  GridPlace place = g->place();
  if (kind == SplitDrag::kHorizontal) {
    Hflag = true;
    Vflag = false;
    const int limit = paneArea().height() - g->headerHeight() - 10;
    splitPos_ = std::clamp(position, g->headerHeight() + 10, std::max(g->headerHeight() + 10, limit));
    int row = g->cursorRow() + 1, column = g->cursorColumn();
    if (!g->cellAt(QPoint(g->rowHeaderWidth() + 1, std::min(position, splitPos_)), &row, &column) ||
        row <= g->cursorRow())
      row = g->cursorRow() + 1;
    place.cursorRow = std::min(row, kRowCount - 1);
    place.topRow = place.cursorRow;
    place.cursorColumn = g->cursorColumn();
  } else {
    Vflag = true;
    Hflag = false;
    const int limit = paneArea().width() - g->rowHeaderWidth() - 10;
    splitPos_ = std::clamp(position, g->rowHeaderWidth() + 10, std::max(g->rowHeaderWidth() + 10, limit));
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
  Grid2->setPlace(place);
}

void TForm2::setSynch(bool on) {
  Synch = on;
  if (!on || !splitActive()) return;
  TGrid* a = activeGrid();
  TGrid* b = otherGrid();
  GridPlace place = b->place();
  if (Hflag) {
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

void TForm2::setTitles(int mode) { activeGrid()->setTitles(mode); }

void TForm2::switchPanes() {
  if (splitActive()) {
    TGrid* other = otherGrid();
    activePane_ = activePane_ == 1 ? 2 : 1;
    other->setFocus(Qt::OtherFocusReason);
    TGrid::SetActiveGrid(other);
    emit cursorMoved();
    return;
  }
  const GridPlace here = Grid1->place();
  Grid1->setPlace(Grid2->place());
  Grid2->setPlace(here);
}

void TForm2::moveCursorTo(int row, int column) { activeGrid()->moveTo(row, column); }

void TForm2::Grid1ChangeTop(TGrid* grid) {
  if (grid != activeGrid()) return;
  const int page = grid->topRow() / grid->pageRows();
  tabbar1->showPage(page);
  for (TGrid* g : {Grid1, Grid2}) g->columnHeader()->setCornerLabel(tabbar1->label(g->topRow() / g->pageRows()));
  if (Synch && Vflag) otherGrid()->setTopRow(grid->topRow());
}

void TForm2::Grid1ChangeLeft(TGrid* grid) {
  if (grid != activeGrid()) return;
  wscroll1->showColumn(grid->leftColumn());
  if (Synch && Hflag) otherGrid()->setLeftColumn(grid->leftColumn());
}

void TForm2::tabbar1pick(int page) {
  TGrid* g = activeGrid();
  const int rows = g->pageRows();
  g->moveTo(page * rows + g->cursorRow() % rows, g->cursorColumn());
  g->setFocus();
}

void TForm2::wscroll1Change(int position) {
  const int column = ScrollerColumn(position, wscroll1->maximum());
  activeGrid()->setLeftColumn(column);
  if (Hflag && Synch) otherGrid()->setLeftColumn(column);
}

// --- mouse on the window: the split box --------------------------------------------------------

void TForm2::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const SplitDrag hit = SplitBoxHit(pos.x(), pos.y(), width(), height());
  if (hit == SplitDrag::kNone || e->button() != Qt::LeftButton) return;
  if (splitActive()) {
    // "Click to Cancel".
    Grid1Split(0);
    return;
  }
  drag_ = hit;
  trackX_ = trackY_ = -1;
}

void TForm2::mouseMoveEvent(QMouseEvent* e) {
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

void TForm2::mouseReleaseEvent(QMouseEvent* e) {
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
    Hflag = Vflag = false;
    hint_ = QStringLiteral("Drag to split window");
    layoutPanes();
  }
  trackX_ = trackY_ = -1;
}

// --- keys --------------------------------------------------------------------------------------

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid1 || watched == Grid2) {
    if (event->type() == QEvent::KeyPress) return FormKeyDown(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control)
      ctrlHeld_ = false;
  }
  return QWidget::eventFilter(watched, event);
}

bool TForm2::FormKeyDown(QKeyEvent* e) {
  const int key = e->key();
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  TGrid* g = activeGrid();
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
      if (Hooks().stopMacro) Hooks().stopMacro();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit enterPressed();
      return RangePromptOpen();
    case Qt::Key_Escape:
      if (Hooks().stopMacro) Hooks().stopMacro();
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
      if (isSignalConnected(QMetaMethod::fromSignal(&TForm2::gotoRequested))) {
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
    // Macros, recalculation of links, the links prompt and the graph window come later.
    case Qt::Key_F3:
    case Qt::Key_F9:
    case Qt::Key_F11:
    case Qt::Key_F12: ThePlatform().Beep(); return true;
    default: return false;
  }
}

void TForm2::toggleStyle(uint8_t bit) {
  SheetScope scope(slot_);
  TGrid* g = activeGrid();
  const CellRange r = g->selection();
  const CellHandle at = GetCell(uint32_t(g->cursorRow()), uint32_t(g->cursorColumn()));
  const bool set = !(at && (CellAt(at)->style & bit));
  SaveUndo();
  for (int row = r.firstRow; row <= r.lastRow; ++row) {
    for (int column = r.firstColumn; column <= r.lastColumn; ++column) {
      const CellHandle existing = GetCell(uint32_t(row), uint32_t(column));
      if (Options().protection() && (!existing || (CellAt(existing)->format & kFormatProtected)))
        continue;  // protected cells keep their attributes
      const CellHandle h = existing ? existing : GetOrCreateCell(uint32_t(row), uint32_t(column));
      if (!h) return;
      CellRecord* c = CellAt(h);
      c->style = uint8_t(set ? (c->style | bit) : (c->style & ~bit));
    }
  }
  SetSheetModified(true);
  g->repaintRange(r);
  otherGrid()->update();
}

void TForm2::Grid1keydown(QKeyEvent* e) {
  const bool ctrl = (e->modifiers() & Qt::ControlModifier) || ctrlHeld_;
  if (!ctrl || !Settings().winControlKeys) return;
  switch (e->key()) {
    case Qt::Key_B: toggleStyle(1); break;
    case Qt::Key_I: toggleStyle(2); break;
    case Qt::Key_U: toggleStyle(4); break;
    case Qt::Key_Z: {
      SheetScope scope(slot_);
      if (!RestoreUndo()) ThePlatform().Beep();
      Grid1->refresh();
      Grid2->refresh();
      break;
    }
    case Qt::Key_C:
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_D: {
      const QChar key(QLatin1Char(char(e->key())));
      if (isSignalConnected(QMetaMethod::fromSignal(&TForm2::shortcutRequested)))
        emit shortcutRequested(key);
      else
        ThePlatform().Beep();
      break;
    }
    default: return;
  }
  e->accept();
}

void TForm2::Grid1keypress(const QString& text) {
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

void TForm2::FormActivate() {
  if (!Worksheet(slot_).InUse()) return;
  const SlotIndex current = CurrentWorksheet();
  if (current && current != slot_) StoreOptions(current);
  ActivateWorksheet(slot_);
  redraw();
  TGrid* g = activeGrid();
  g->setFocus(Qt::ActiveWindowFocusReason);
  TGrid::SetActiveGrid(g);
  emit activated();
  emit cursorMoved();
}

void TForm2::FormDeactivate() {
  if (CurrentWorksheet() != slot_) return;
  SaveCurrentSheet();
  StoreOptions(slot_);
}

bool TForm2::FormCloseQuery() {
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

void TForm2::FormClose() {
  FormDeactivate();
  if (TGrid::ActiveGrid() == Grid1 || TGrid::ActiveGrid() == Grid2) TGrid::SetActiveGrid(nullptr);
  if (Worksheet(slot_).InUse()) CloseWorksheet(Worksheet(slot_).heap);
  auto& list = State().windows;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  emit closed(list.empty());
}

void TForm2::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  closing_ = true;
  FormClose();
  event->accept();
}

// --- the layout stored with the file ------------------------------------------------------------

void TForm2::applyLayout(const WindowLayout& l) {
  if (!l.present) return;
  Grid1->setPlace(GridPlace{l.first.cursorRow, l.first.cursorColumn, l.first.topRow,
                            l.first.leftColumn,
                            MakeRange(l.first.cursorColumn, l.first.cursorRow,
                                      l.first.cursorColumn, l.first.cursorRow)});
  if (l.hasTitles && (l.titleLastRow > l.titleFirstRow || l.titleLastColumn > l.titleFirstColumn)) {
    Grid1->setTitleSpans(l.titleFirstRow, l.titleLastRow, l.titleFirstColumn, l.titleLastColumn);
  }
  if (l.horizontalSplit || l.verticalSplit) {
    splitAt(l.horizontalSplit ? SplitDrag::kHorizontal : SplitDrag::kVertical,
            l.horizontalSplit ? l.firstHeight : l.firstWidth);
    Grid2->setPlace(GridPlace{l.second.cursorRow, l.second.cursorColumn, l.second.topRow,
                              l.second.leftColumn,
                              MakeRange(l.second.cursorColumn, l.second.cursorRow,
                                        l.second.cursorColumn, l.second.cursorRow)});
    Synch = l.synchronised != 0;
  }
  if (l.activePane != 0 && splitActive()) switchPanes();
}

void TForm2::fillLayout(WindowLayout& l) const {
  auto pane = [](const TGrid* g) {
    return WindowLayout::Pane{uint16_t(g->leftColumn()), uint16_t(g->topRow()),
                              uint16_t(g->cursorColumn()), uint16_t(g->cursorRow())};
  };
  l.present = true;
  l.pages = uint16_t(Grid1->pages());
  l.horizontalSplit = Hflag;
  l.verticalSplit = Vflag;
  l.synchronised = Synch;
  l.activePane = activePane_ == 2 ? 1 : 0;
  l.first = pane(Grid1);
  l.firstHeight = uint16_t(Grid1->height());
  l.firstWidth = uint16_t(Grid1->width());
  l.second = pane(Grid2);
  l.hasTitles = true;
  l.titleFirstColumn = uint16_t(Grid1->Fixcol1);
  l.titleLastColumn = uint16_t(Grid1->FixCol2);
  l.titleFirstRow = uint16_t(Grid1->Fixrow1);
  l.titleLastRow = uint16_t(Grid1->Fixrow2);
}
