// print/page_painter.h — paints laid-out pages on a QPainter; prints them on a QPrinter.
//
// The printer and the preview draw the same pages of files/print_layout.h: cells through the
// worksheet window's row painter (printing flag, text scale, mono, grid), border rows above the
// body and border columns left of every row, the header and footer in "Arial" in their bands,
// their rules, and the margin frame. The painter works in logical units of 1/96 inch; the caller
// scales it once by device resolution / 96.
// Reads: the current worksheet. Writes: the progress display through the platform.
#pragma once

#include <QRect>
#include <QString>
#include <functional>

#include "files/print_layout.h"

class QPainter;
class QPrinter;
class QPagedPaintDevice;

// How the cells print.
struct PagePaintOptions {
  bool showGrid = true;  // a frame around every printed cell
  bool mono = true;      // black on white, no shades
  bool frame = false;    // the rectangle along the margins
  bool headerRule = false;
  bool footerRule = false;
  QString header;        // with its codes, as the options hold it (Windows-1252)
  QString footer;
};

// The print options of the current worksheet (header, footer, rules, mono, frame) and `showGrid`.
PagePaintOptions SheetPagePaintOptions(bool showGrid);

// The page of `device` in logical units (its paintable rectangle at 96 units an inch).
PageSize DevicePageSize(const QPagedPaintDevice& device, int resolution);

// Paints page `index` (0-based) of `layout` on a painter in logical units.
void PaintPrintedPage(QPainter& painter, const PageLayout& layout, PageSize page, size_t index,
                      const PagePaintOptions& options);

// Prints every page of `layout` on `printer` (already set up), reporting progress ("Page: ",
// "Line: " and the gauge) through the platform. False when painting could not start.
bool PrintPagesOn(QPrinter& printer, const PageLayout& layout, const PagePaintOptions& options);

// The preview's "Fit": the largest text scale at which the range fits on one page, searched with
// `pageCount(scale)`: steps of 32 upwards while one page results and the scale is below 201, then
// halving steps down and up; never below 50.
int FitPrintScale(int scale, const std::function<int(int scale)>& pageCount);

// Draws named graph `index` (1..count) into `area` through the graph window's drawing;
// `outputScale` is the device's resolution over the screen's 96 dpi. A graph that is not defined
// reports "Graph Undefined!" and gives false.
bool PrintNamedGraph(QPainter& painter, const QRect& area, int index, double outputScale);
