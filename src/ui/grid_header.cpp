// ui/grid_header.cpp — the row and column headers of a pane (see the header file).
//
// Reads the pane's spans and the page size; a resize writes the sheet's width or height table
// (in unzoomed pixels) and marks the sheet modified.
#include "ui/grid_header.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "core/address.h"
#include "core/grid_geometry.h"
#include "core/sheet_layout.h"
#include "ui/grid_pane.h"

namespace {
constexpr int kMaxColumnPixels = 254 * 8;
constexpr int kMaxRowPixels = 254;
}  // namespace

GridHeader::GridHeader(GridPane* grid, Dir dir) : QWidget(grid), grid_(grid), dir_(dir) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

void GridHeader::setCornerLabel(const QString& label) {
  const QString cut = label.left(5);
  if (cut == corner_) return;
  corner_ = cut;
  if (dir_ == Dir::kColumns) update(QRect(0, 0, grid_->rowHeaderWidth(), height()));
}

QFont GridHeader::HeaderFont(int zoom) {
  QFont f(zoom >= kSmallHeaderZoom ? QStringLiteral("Arial") : QStringLiteral("Small Fonts"));
  f.setPixelSize(std::max(1, 14 * zoom / 100));
  return f;
}

void GridHeader::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor face(212, 208, 200), light(Qt::white), dark(128, 128, 128);
  p.fillRect(rect(), face);
  p.setFont(HeaderFont(GridZoom()));
  auto item = [&](const QRect& r, const QString& text, bool title) {
    if (title) p.fillRect(r.adjusted(1, 1, -1, -1), QColor(0xC0, 0xE8, 0xE8));
    if (grid_->raisedHeaders) {
      p.setPen(light);
      p.drawLine(r.topLeft(), r.topRight());
      p.drawLine(r.topLeft(), r.bottomLeft());
      p.setPen(dark);
      p.drawLine(r.bottomLeft(), r.bottomRight());
      p.drawLine(r.topRight(), r.bottomRight());
    } else {
      p.setPen(dark);
      p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignCenter, text);
  };
  if (dir_ == Dir::kColumns) {
    item(QRect(0, 0, grid_->rowHeaderWidth(), height()), corner_, false);
    for (const GridPane::Span& s : grid_->columnSpans())
      item(QRect(s.pos, 0, s.size, height()),
           QString::fromLatin1(ColumnLetters(uint32_t(s.index))), s.title);
  } else {
    const int pageRows = grid_->pageRows();
    const int offset = grid_->headerHeight();
    for (const GridPane::Span& s : grid_->rowSpans())
      item(QRect(0, s.pos - offset, width(), s.size),
           QString::number(RowHeaderNumber(s.index, pageRows)), s.title);
  }
}

int GridHeader::edgeAt(int pos) const {
  if (dir_ == Dir::kColumns) {
    for (const GridPane::Span& s : grid_->columnSpans())
      if (std::abs(s.pos + s.size - pos) <= 3) return s.index;
  } else {
    const int offset = grid_->headerHeight();
    for (const GridPane::Span& s : grid_->rowSpans())
      if (std::abs(s.pos - offset + s.size - pos) <= 3) return s.index;
  }
  return -1;
}

void GridHeader::mousePressEvent(QMouseEvent* event) {
  const int pos = dir_ == Dir::kColumns ? event->position().toPoint().x()
                                        : event->position().toPoint().y();
  resizing_ = event->button() == Qt::LeftButton ? edgeAt(pos) : -1;
  resizeStart_ = pos;
  if (resizing_ >= 0) return;
  // A press on a label moves the cursor to that row or column.
  if (dir_ == Dir::kColumns) {
    for (const GridPane::Span& s : grid_->columnSpans())
      if (pos >= s.pos && pos < s.pos + s.size)
        grid_->moveTo(grid_->cursorRow(), s.index);
  } else {
    const int offset = grid_->headerHeight();
    for (const GridPane::Span& s : grid_->rowSpans())
      if (pos >= s.pos - offset && pos < s.pos - offset + s.size)
        grid_->moveTo(s.index, grid_->cursorColumn());
  }
}

void GridHeader::mouseMoveEvent(QMouseEvent* event) {
  const int pos = dir_ == Dir::kColumns ? event->position().toPoint().x()
                                        : event->position().toPoint().y();
  if (resizing_ < 0) {
    const bool edge = edgeAt(pos) >= 0;
    setCursor(edge ? (dir_ == Dir::kColumns ? Qt::SplitHCursor : Qt::SplitVCursor)
                   : Qt::ArrowCursor);
    return;
  }
  // The pane shows the new size while the edge moves; the sheet changes when it is let go.
  const int zoom = GridZoom();
  const bool columns = dir_ == Dir::kColumns;
  const int zoomed = std::max(0, (columns ? grid_->columnWidth(resizing_)
                                          : grid_->rowHeight(resizing_)) + pos - resizeStart_);
  chosenSize_ = std::clamp(zoomed * 100 / zoom, 0, columns ? kMaxColumnPixels : kMaxRowPixels);
  grid_->setSizePreview(columns, resizing_, chosenSize_);
  resizeStart_ = pos;
  grid_->refresh();
}

void GridHeader::mouseReleaseEvent(QMouseEvent*) {
  if (resizing_ < 0) return;
  const int index = resizing_;
  const int size = chosenSize_;
  resizing_ = -1;
  chosenSize_ = -1;
  grid_->clearSizePreview();
  if (size >= 0) emit grid_->sizeChosen(dir_ == Dir::kColumns, index, size);
  emit grid_->sized();
}
