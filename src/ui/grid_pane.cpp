// ui/grid_pane.cpp — GridPane, a grid pane (see the header).
//
// State: per pane (cursor, selection, top row, left column, titles, pages); program-wide the
// zoom and the active pane. Reads the sheet's widths and heights through its SheetLayout.
#include "ui/grid_pane.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWheelEvent>
#include <algorithm>

#include "core/grid_geometry.h"
#include "core/sheet_layout.h"
#include "ui/cp1252.h"
#include "ui/grid_header.h"
#include "ui/row_painter.h"

namespace {

struct GridGlobals {
  int zoom = 100;
  GridPane* active = nullptr;
};

GridGlobals& Globals() {
  static GridGlobals globals;
  return globals;
}

constexpr int kLastRow = kRowCount - 1;
constexpr int kLastColumn = kColumnCount - 1;
const QColor kBeyondSheet(128, 128, 128);

}  // namespace

int GridZoom() { return Globals().zoom; }
void SetGridZoom(int percent) { Globals().zoom = std::clamp(percent, 10, 400); }

GridPane* GridPane::ActiveGrid() { return Globals().active; }
void GridPane::SetActiveGrid(GridPane* grid) { Globals().active = grid; }

PlatformCell GridPane::ActiveCursor() {
  const GridPane* g = Globals().active;
  if (!g) return {};
  return PlatformCell{uint16_t(g->cursorColumn()), uint16_t(g->cursorRow())};
}

PlatformBlock GridPane::ActiveSelection() {
  const GridPane* g = Globals().active;
  if (!g) return {};
  const CellRange r = g->selection();
  return PlatformBlock{r.firstColumn, r.firstRow, r.lastColumn, r.lastRow};
}

GridPane::GridPane(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  ownLayout_ = new SheetLayout;
  layout_ = ownLayout_;
  widths_.assign(kColumnCount, 0);
  columnHeader_ = new GridHeader(this, GridHeader::Dir::kColumns);
  rowHeader_ = new GridHeader(this, GridHeader::Dir::kRows);
  placeHeaders();
}

GridPane::~GridPane() {
  if (Globals().active == this) Globals().active = nullptr;
  delete ownLayout_;
}

void GridPane::setSheetLayout(SheetLayout* layout) {
  layout_ = layout ? layout : ownLayout_;
  refresh();
}

const SheetLayout& GridPane::sheetLayout() const { return *layout_; }

CellRange GridPane::selection() const {
  return MakeRange(uint16_t(std::min(anchorColumn_, column_)), uint16_t(std::min(anchorRow_, row_)),
                   uint16_t(std::max(anchorColumn_, column_)),
                   uint16_t(std::max(anchorRow_, row_)));
}

int GridPane::pageRows() const { return PageRows(pages_); }

void GridPane::setPages(int pages) {
  pages_ = (pages >= 1 && pages <= 64) ? pages : 1;
  rowHeader_->update();
}

// --- geometry ----------------------------------------------------------------------------------

int GridPane::headerHeight() const { return ZoomedSize(headerStripHeight, GridZoom()) + 2; }
int GridPane::rowHeaderWidth() const { return ZoomedSize(rowHeaderStripWidth, GridZoom()) * 2 / 3; }
int GridPane::columnWidth(int column) const {
  if (column < 0 || column > kLastColumn) return 2032;
  if (preview_.columns && preview_.index == column) return ZoomedSize(preview_.pixels, GridZoom());
  return ZoomedSize(layout_->columnWidth[size_t(column)], GridZoom());
}
int GridPane::rowHeight(int row) const {
  if (row < 0 || row > kLastRow) return 254;
  if (!preview_.columns && preview_.index == row) return ZoomedSize(preview_.pixels, GridZoom());
  return ZoomedSize(layout_->rowHeight[size_t(row)], GridZoom());
}
void GridPane::setSizePreview(bool columns, int index, int pixels) {
  preview_ = SizePreview{columns, index, pixels};
}
void GridPane::clearSizePreview() { preview_ = SizePreview{}; }

QRect GridPane::cellsArea() const {
  return QRect(rowHeaderWidth(), headerHeight(), std::max(0, width() - rowHeaderWidth()),
               std::max(0, height() - headerHeight()));
}

std::vector<GridPane::Span> GridPane::rowSpans() const {
  std::vector<Span> out;
  int y = headerHeight();
  const int bottom = height();
  for (int r = titleFirstRow; r < titleEndRow && y < bottom; ++r) {
    const int h = rowHeight(r);
    if (h <= 0) continue;
    out.push_back(Span{r, y, h, true});
    y += h;
  }
  for (int r = top_; r <= kLastRow && y < bottom; ++r) {
    const int h = rowHeight(r);
    if (h <= 0) continue;
    out.push_back(Span{r, y, h, false});
    y += h;
  }
  return out;
}

std::vector<GridPane::Span> GridPane::columnSpans() const {
  std::vector<Span> out;
  int x = rowHeaderWidth();
  const int right = width();
  for (int c = titleFirstColumn; c < titleEndColumn && x < right; ++c) {
    const int w = columnWidth(c);
    if (w <= 0) continue;
    out.push_back(Span{c, x, w, true});
    x += w;
  }
  for (int c = left_; c <= kLastColumn && x < right; ++c) {
    const int w = columnWidth(c);
    if (w <= 0) continue;
    out.push_back(Span{c, x, w, false});
    x += w;
  }
  return out;
}

int GridPane::visibleRows() const {
  int n = 0;
  for (const Span& s : rowSpans())
    if (!s.title && s.pos + s.size <= height()) ++n;
  return std::max(1, n);
}

int GridPane::visibleColumns() const {
  int n = 0;
  for (const Span& s : columnSpans())
    if (!s.title && s.pos + s.size <= width()) ++n;
  return std::max(1, n);
}

bool GridPane::cellAt(const QPoint& pos, int* row, int* column) const {
  bool foundRow = false, foundColumn = false;
  for (const Span& s : rowSpans())
    if (pos.y() >= s.pos && pos.y() < s.pos + s.size) {
      *row = s.index;
      foundRow = true;
    }
  for (const Span& s : columnSpans())
    if (pos.x() >= s.pos && pos.x() < s.pos + s.size) {
      *column = s.index;
      foundColumn = true;
    }
  return foundRow && foundColumn;
}

QRect GridPane::rowRect(int row) const {
  for (const Span& s : rowSpans())
    if (s.index == row) return QRect(rowHeaderWidth(), s.pos, width() - rowHeaderWidth(), s.size);
  return {};
}

void GridPane::placeHeaders() {
  columnHeader_->setGeometry(0, 0, width(), headerHeight());
  rowHeader_->setGeometry(0, headerHeight(), rowHeaderWidth(),
                          std::max(0, height() - headerHeight()));
}

void GridPane::refresh() {
  placeHeaders();
  update();
  rowHeader_->update();
  columnHeader_->update();
}

void GridPane::repaintRange(const CellRange& range) {
  if (!RangeIsValid(range)) return;
  QRegion region;
  for (const Span& s : rowSpans())
    if (s.index >= range.firstRow && s.index <= range.lastRow)
      region += QRect(rowHeaderWidth(), s.pos, width() - rowHeaderWidth(), s.size);
  if (!region.isEmpty()) update(region);
}

// --- painting ----------------------------------------------------------------------------------

void GridPane::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRegion& region = event->region();
  for (int c = 0; c < kColumnCount; ++c) widths_[size_t(c)] = columnWidth(c);
  const std::vector<Span> columns = columnSpans();
  // Title columns, then the scrolling columns.
  int titleX = rowHeaderWidth(), titleWidth = 0, scrollX = rowHeaderWidth(), scrollWidth = 0;
  int firstScroll = -1, lastScroll = -1;
  for (const Span& s : columns) {
    if (s.title) {
      titleWidth += s.size;
      scrollX = s.pos + s.size;
    } else {
      if (firstScroll < 0) firstScroll = s.index;
      lastScroll = s.index;
      scrollWidth += s.size;
    }
  }
  int y = headerHeight();
  for (const Span& s : rowSpans()) {
    const QRect rowArea(rowHeaderWidth(), s.pos, width() - rowHeaderWidth(), s.size);
    y = s.pos + s.size;
    if (!region.intersects(rowArea)) continue;
    const int row = s.title ? ~s.index : s.index;
    if (titleWidth > 0) {
      const QRect rect(titleX, s.pos, titleWidth, s.size);
      if (rowPainter) {
        rowPainter(*this, p, row, ~titleFirstColumn, ~(titleEndColumn - 1), rect);
      } else {
        RowPaint r;
        r.row = s.index;
        r.firstColumn = titleFirstColumn;
        r.lastColumn = titleEndColumn - 1;
        r.rect = rect;
        r.title = true;
        r.widths = widths_.data();
        PaintRow(p, r);
      }
    }
    if (firstScroll >= 0) {
      const QRect rect(scrollX, s.pos, scrollWidth, s.size);
      if (rowPainter) {
        rowPainter(*this, p, row, firstScroll, lastScroll, rect);
      } else {
        RowPaint r;
        r.row = s.index;
        r.firstColumn = firstScroll;
        r.lastColumn = lastScroll;
        r.rect = rect;
        r.title = s.title;
        r.widths = widths_.data();
        r.selection = selection();
        r.cursorRow = row_;
        r.cursorColumn = column_;
        PaintRow(p, r);
      }
    }
    const int end = scrollX + scrollWidth;
    if (end < width()) p.fillRect(QRect(end, s.pos, width() - end, s.size), kBeyondSheet);
  }
  if (y < height()) p.fillRect(QRect(rowHeaderWidth(), y, width(), height() - y), kBeyondSheet);
  paintMacroButtons(p, region);
}

bool GridPane::hasMacroButtons() const { return macroButtons && !macroButtons().empty(); }

QRect GridPane::macroButtonRect(const MacroButton& button) const {
  int x = -1, y = -1;
  for (const Span& s : columnSpans()) {
    if (s.index == button.column) x = s.pos;
  }
  for (const Span& s : rowSpans()) {
    if (s.index == button.row) y = s.pos;
  }
  if (x < 0 || y < 0) return QRect();
  const int zoom = GridZoom();
  return QRect(x, y, std::max(1, button.width * zoom / 100),
               std::max(1, button.height * zoom / 100));
}

void GridPane::paintMacroButtons(QPainter& painter, const QRegion& region) {
  if (!macroButtons) return;
  const QRect cells(rowHeaderWidth(), headerHeight(), width() - rowHeaderWidth(),
                    height() - headerHeight());
  painter.save();
  painter.setClipRect(cells);
  for (const MacroButton& b : macroButtons()) {
    const QRect rect = macroButtonRect(b);
    if (rect.isEmpty() || !region.intersects(rect)) continue;
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = rect;
    option.state = QStyle::State_Enabled | QStyle::State_Raised;
    option.text = FromCp1252(b.caption);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
  }
  painter.restore();
}

void GridPane::resizeEvent(QResizeEvent*) { placeHeaders(); }

// --- moving ------------------------------------------------------------------------------------

void GridPane::setTopRow(int row) {
  row = std::clamp(row, minRow_, kLastRow);
  if (row == top_) return;
  const int old = top_;
  top_ = row;
  // Pixels are moved only without buttons: a button whose anchor cell left the view must not
  // stay half drawn.
  if (std::abs(row - old) == 1 && isVisible() && !hasMacroButtons()) {
    scrollRowsBy(old);
  } else {
    update();
  }
  rowHeader_->update();
  emit topChanged();
}

void GridPane::scrollRowsBy(int oldTop) {
  // The rows below the titles move by the height of the row that left or came in; Qt repaints
  // only the strip that is exposed.
  int titles = 0;
  for (int r = titleFirstRow; r < titleEndRow; ++r) titles += rowHeight(r);
  const int y0 = headerHeight() + titles;
  const QRect area(rowHeaderWidth(), y0, width() - rowHeaderWidth(), height() - y0);
  const int dy = top_ > oldTop ? -rowHeight(oldTop) : rowHeight(top_);
  scroll(0, dy, area);
}

void GridPane::setLeftColumn(int column) {
  column = std::clamp(column, minColumn_, kLastColumn);
  if (column == left_) return;
  const int old = left_;
  left_ = column;
  if (std::abs(column - old) == 1 && isVisible() && !hasMacroButtons()) {
    int titles = 0;
    for (int c = titleFirstColumn; c < titleEndColumn; ++c) titles += columnWidth(c);
    const int x0 = rowHeaderWidth() + titles;
    const QRect area(x0, headerHeight(), width() - x0, height() - headerHeight());
    scroll(left_ > old ? -columnWidth(old) : columnWidth(left_), 0, area);
  } else {
    update();
  }
  columnHeader_->update();
  emit leftChanged();
}

void GridPane::ensureVisible(int row, int column, int oldRow, int oldColumn) {
  const int rows = visibleRows();
  if (row < top_ || row > top_ + rows - 1) {
    if (row == top_ + rows) {
      int top = top_ + 1;
      setTopRow(top);
      // Taller rows may need one more step.
      while (row > top_ + visibleRows() - 1 && top_ < row) setTopRow(top_ + 1);
    } else if (row == top_ - 1) {
      setTopRow(top_ - 1);
    } else {
      const int distance = std::clamp(oldRow - top_, 0, rows - 1);
      setTopRow(row - distance);
    }
  }
  const int columns = visibleColumns();
  if (column < left_ || column > left_ + columns - 1) {
    if (column == left_ + columns) {
      setLeftColumn(left_ + 1);
      while (column > left_ + visibleColumns() - 1 && left_ < column) setLeftColumn(left_ + 1);
    } else if (column == left_ - 1) {
      setLeftColumn(left_ - 1);
    } else {
      const int distance = std::clamp(oldColumn - left_, 0, columns - 1);
      setLeftColumn(column - distance);
    }
  }
}

void GridPane::moveTo(int row, int column, bool extend) {
  const int r = std::clamp(row, minRow_, kLastRow);
  const int c = std::clamp(column, minColumn_, kLastColumn);
  if ((r != row || c != column) && edgeBeep) ThePlatform().Beep();
  const CellRange oldSelection = selection();
  if (extend) {
    if (!anchored_) {
      anchored_ = true;
      anchorRow_ = row_;
      anchorColumn_ = column_;
    }
  } else {
    anchored_ = false;
  }
  ensureVisible(r, c, row_, column_);
  row_ = r;
  column_ = c;
  if (!anchored_) {
    anchorRow_ = r;
    anchorColumn_ = c;
  }
  repaintRange(oldSelection);
  repaintRange(selection());
  emit changed();
}

void GridPane::selectRange(const CellRange& range) {
  if (!RangeIsValid(range)) return;
  const CellRange old = selection();
  anchorRow_ = std::clamp<int>(range.firstRow, 0, kLastRow);
  anchorColumn_ = std::clamp<int>(range.firstColumn, 0, kLastColumn);
  row_ = std::clamp<int>(range.lastRow, minRow_, kLastRow);
  column_ = std::clamp<int>(range.lastColumn, minColumn_, kLastColumn);
  anchored_ = !RangeIsSingleCell(range);
  repaintRange(old);
  repaintRange(selection());
  emit changed();
}

GridPlace GridPane::place() const {
  return GridPlace{row_, column_, top_, left_,
                   MakeRange(uint16_t(anchorColumn_), uint16_t(anchorRow_), uint16_t(column_),
                             uint16_t(row_))};
}

void GridPane::setPlace(const GridPlace& p) {
  row_ = std::clamp(p.cursorRow, minRow_, kLastRow);
  column_ = std::clamp(p.cursorColumn, minColumn_, kLastColumn);
  anchorRow_ = p.selection.firstRow;
  anchorColumn_ = p.selection.firstColumn;
  anchored_ = anchorRow_ != row_ || anchorColumn_ != column_;
  top_ = std::clamp(p.topRow, minRow_, kLastRow);
  left_ = std::clamp(p.leftColumn, minColumn_, kLastColumn);
  refresh();
  emit topChanged();
  emit leftChanged();
  emit changed();
}

void GridPane::setTitles(int mode) {
  if (mode == 0) {
    if (titleEndRow > titleFirstRow) top_ = titleFirstRow;
    if (titleEndColumn > titleFirstColumn) left_ = titleFirstColumn;
    titleFirstRow = titleEndRow = titleFirstColumn = titleEndColumn = 0;
    minRow_ = minColumn_ = 0;
  }
  if ((mode & 1) && row_ > top_) {
    titleFirstRow = top_;
    titleEndRow = row_;
    minRow_ = row_;
    top_ = row_;
  }
  if ((mode & 2) && column_ > left_) {
    titleFirstColumn = left_;
    titleEndColumn = column_;
    minColumn_ = column_;
    left_ = column_;
  }
  setTitleSpans(titleFirstRow, titleEndRow, titleFirstColumn, titleEndColumn);
  emit topChanged();
  emit leftChanged();
}

void GridPane::setTitleSpans(int firstRow, int endRow, int firstColumn, int endColumn) {
  titleFirstRow = std::clamp(firstRow, 0, kLastRow);
  titleEndRow = std::clamp(endRow, titleFirstRow, kLastRow);
  titleFirstColumn = std::clamp(firstColumn, 0, kLastColumn);
  titleEndColumn = std::clamp(endColumn, titleFirstColumn, kLastColumn);
  minRow_ = titleEndRow > titleFirstRow ? titleEndRow : 0;
  minColumn_ = titleEndColumn > titleFirstColumn ? titleEndColumn : 0;
  top_ = std::max(top_, minRow_);
  left_ = std::max(left_, minColumn_);
  row_ = std::max(row_, minRow_);
  column_ = std::max(column_, minColumn_);
  rowHeader_->titleFirst = titleFirstRow;
  rowHeader_->titleEnd = titleEndRow;
  columnHeader_->titleFirst = titleFirstColumn;
  columnHeader_->titleEnd = titleEndColumn;
  int amount = 0;
  for (int r = titleFirstRow; r < titleEndRow; ++r) amount += rowHeight(r);
  rowHeader_->titleExtent = amount;
  amount = 0;
  for (int c = titleFirstColumn; c < titleEndColumn; ++c) amount += columnWidth(c);
  columnHeader_->titleExtent = amount;
  refresh();
}

// --- keys and mouse ----------------------------------------------------------------------------

bool GridPane::moveKey(QKeyEvent* e) {
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  int row = row_, column = column_;
  bool extend = shift;
  switch (e->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: column = ctrl ? std::max(0, column - visibleColumns()) : column - 1; break;
    case Qt::Key_Right: column = ctrl ? column + visibleColumns() : column + 1; break;
    case Qt::Key_Tab:
      column += visibleColumns();
      extend = false;
      break;
    case Qt::Key_Backtab:
      column = std::max(0, column - visibleColumns());
      extend = false;
      break;
    case Qt::Key_PageUp: row -= ctrl ? pageRows() : visibleRows(); break;
    case Qt::Key_PageDown: row += ctrl ? pageRows() : visibleRows(); break;
    case Qt::Key_Home:
      row = 0;
      column = 0;
      break;
    default: return false;
  }
  moveTo(row, column, extend);
  return true;
}

void GridPane::keyPressEvent(QKeyEvent* e) {
  if (moveKey(e)) return;
  e->setAccepted(false);
  emit keyDown(e);
  if (e->isAccepted()) return;
  if (!e->text().isEmpty()) {
    e->accept();
    emit keyPress(e->text());
    return;
  }
  QWidget::keyPressEvent(e);
}

bool GridPane::focusNextPrevChild(bool) { return false; }

void GridPane::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  emit focused();
}

void GridPane::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  const QPoint pos = e->position().toPoint();
  if (e->button() == Qt::LeftButton && macroButtons) {
    // The button drawn last lies on top.
    const std::vector<MacroButton> buttons = macroButtons();
    for (auto b = buttons.rbegin(); b != buttons.rend(); ++b) {
      if (macroButtonRect(*b).contains(pos)) {
        emit macroButtonClicked(QByteArray(b->macro.data(), qsizetype(b->macro.size())));
        return;
      }
    }
  }
  int row = 0, column = 0;
  if (!cellAt(pos, &row, &column)) return;
  if (e->button() == Qt::LeftButton) {
    moveTo(row, column, e->modifiers() & Qt::ShiftModifier);
    dragging_ = true;
  } else if (e->button() == Qt::RightButton) {
    const CellRange s = selection();
    if (!(e->modifiers() & Qt::ShiftModifier)) {
      emit contextMenuAt(e->globalPosition().toPoint());
    } else if (row >= s.firstRow && row <= s.lastRow && column >= s.firstColumn &&
               column <= s.lastColumn) {
      shiftRight_ = true;
    }
  }
}

void GridPane::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_) return;
  int row = row_, column = column_;
  if (cellAt(e->position().toPoint(), &row, &column) && (row != row_ || column != column_))
    moveTo(row, column, true);
}

void GridPane::mouseReleaseEvent(QMouseEvent* e) {
  dragging_ = false;
  if (e->button() == Qt::RightButton && shiftRight_) {
    shiftRight_ = false;
    emit propertiesRequested();
  }
}
