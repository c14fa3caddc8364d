// print/page_painter.cpp — laid-out pages on a painter, on a printer, and the "Fit" search.
//
// Reads: the current worksheet (cells through the row painter, options, layout). Writes: the
// progress display and the status text through the platform.
#include "print/page_painter.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "core/global_options.h"
#include "core/messages.h"
#include "graph/graph_draw.h"
#include "files/settings.h"
#include "platform/platform.h"
#include "ui/cp1252.h"
#include "ui/row_painter.h"

namespace {

int SumOf(const PageLayout& l, const std::vector<uint32_t>& columns) {
  int sum = 0;
  for (uint32_t c : columns) sum += l.ColumnWidth(c);
  return sum;
}

void DrawParts(QPainter& p, const QRect& band, const PrintTextParts& parts) {
  p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, FromCp1252(parts.left));
  p.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, FromCp1252(parts.centre));
  p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, FromCp1252(parts.right));
}

}  // namespace

PagePaintOptions SheetPagePaintOptions(bool showGrid) {
  const GlobalOptions& o = Options();
  PagePaintOptions p;
  p.showGrid = showGrid;
  p.mono = o.printMono();
  p.frame = o.printFrame();
  p.headerRule = o.headerRule();
  p.footerRule = o.footerRule();
  p.header = FromCp1252(o.header());
  p.footer = FromCp1252(o.footer());
  return p;
}

PageSize DevicePageSize(const QPagedPaintDevice& device, int resolution) {
  const int dpi = std::max(resolution, 1);
  const QRect r = device.pageLayout().paintRectPixels(dpi);
  return PageSize{r.width() * kPrintUnitsPerInch / dpi, r.height() * kPrintUnitsPerInch / dpi};
}

void PaintPrintedPage(QPainter& p, const PageLayout& l, PageSize page, size_t index,
                      const PagePaintOptions& options) {
  if (index >= l.pages.size()) return;
  const PrintedPage& pg = l.pages[index];
  p.save();
  GridDisplay display;
  display.printGrid = options.showGrid;
  display.printColour = !options.mono;
  display.defaultFamily = FromCp1252(Settings().fontName);
  const int borderWidth = SumOf(l, l.borderColumns);
  int stripWidth = 0;
  for (uint32_t c = pg.firstColumn; c <= pg.lastColumn; ++c) stripWidth += l.ColumnWidth(c);
  int y = l.BodyTop();
  auto paintRow = [&](uint32_t row) {
    const int h = l.RowHeight(row);
    RowPaint r;
    r.row = int(row);
    r.printing = true;
    r.scale = l.scale;
    r.display = &display;
    if (!l.borderColumns.empty()) {
      r.firstColumn = int(l.borderColumns.front());
      r.lastColumn = int(l.borderColumns.back());
      r.rect = QRect(l.left, y, borderWidth, h);
      p.save();
      p.setClipRect(r.rect);
      PaintRow(p, r);
      p.restore();
    }
    r.firstColumn = int(pg.firstColumn);
    r.lastColumn = int(pg.lastColumn);
    r.rect = QRect(l.left + borderWidth, y, stripWidth, h);
    p.save();
    p.setClipRect(QRect(l.left + borderWidth, y, page.width - l.right - l.left - borderWidth, h));
    PaintRow(p, r);
    p.restore();
    y += h;
  };
  // Border rows first, then the body below them.
  for (uint32_t row : l.borderRows) paintRow(row);
  for (uint32_t row : pg.rows) paintRow(row);

  const int h = l.lineHeight;
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(1, h * 3 / 4));
  p.setFont(font);
  p.setPen(QPen(Qt::black, 0));
  const PrintCodeValues values = CurrentPrintCodeValues(int(index + 1));
  const int right = page.width - l.right;
  const QRect headerBand(l.left, l.top, l.usableWidth, 2 * h);
  const QRect footerBand(l.left, page.height - l.bottom - 2 * h, l.usableWidth, 2 * h);
  DrawParts(p, headerBand, ExpandPrintCodes(ToCp1252(options.header), values));
  DrawParts(p, footerBand, ExpandPrintCodes(ToCp1252(options.footer), values));
  if (options.headerRule) p.drawLine(l.left, l.top + 2 * h - h / 4, right, l.top + 2 * h - h / 4);
  if (options.footerRule) {
    const int at = page.height - l.bottom - 2 * h + h / 4;
    p.drawLine(l.left, at, right, at);
  }
  if (options.frame) {
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(l.left, l.top, l.usableWidth, page.height - l.top - l.bottom));
  }
  p.restore();
}

bool PrintPagesOn(QPrinter& printer, const PageLayout& layout, const PagePaintOptions& options) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const int dpi = std::max(printer.resolution(), 1);
  const PageSize page = DevicePageSize(printer, dpi);
  painter.scale(double(dpi) / kPrintUnitsPerInch, double(dpi) / kPrintUnitsPerInch);
  size_t lines = 0, total = 0;
  for (const PrintedPage& pg : layout.pages) total += pg.rows.size();
  for (size_t i = 0; i < layout.pages.size(); ++i) {
    if (i > 0) printer.newPage();
    PaintPrintedPage(painter, layout, page, i, options);
    lines += layout.pages[i].rows.size();
    ThePlatform().ShowStatus("Line: " + std::to_string(lines) + "  Page: " + std::to_string(i + 1));
    ThePlatform().Progress(total ? int(lines * 100 / total) : 100);
  }
  ThePlatform().Progress(-1);
  ThePlatform().ShowStatus({});
  return painter.end();
}

int FitPrintScale(int scale, const std::function<int(int scale)>& pageCount) {
  int step = 32;
  int best = 0;  // the largest scale seen that fits on one page
  auto count = [&](int s) {
    const int pages = pageCount(s);
    if (pages <= 1 && s > best) best = s;
    return pages;
  };
  int pages = count(scale);
  while (pages < 2 && scale < 201) {
    scale += step;
    pages = count(scale);
  }
  while (true) {
    if (pages > 1) {
      scale -= step;
      if (scale < 3) break;
    } else {
      scale += step;
    }
    pages = count(scale);
    step /= 2;
    if (step < 1 || scale < 50) break;
  }
  // The search may end on a scale that no longer fits: keep the best one that did.
  if (best > 0) scale = best;
  return std::max(scale, 50);
}

bool PrintNamedGraph(QPainter& painter, const QRect& area, int index, double outputScale) {
  if (DrawGraph(painter, area, index, outputScale)) return true;
  ShowError("Graph Undefined!");
  return false;
}
