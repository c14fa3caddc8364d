// Benchmarks of the grid's painting: a full 1920 x 1080 screen of filled cells at zoom 100, and a
// one-row scroll (the screen moves up one row and only the new row is painted).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>
#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "commands/engine_start.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "platform/headless/headless_platform.h"
#include "ui/grid_pane.h"
#include "ui/row_painter.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kRowHeight = 15;
constexpr int kColumnWidth = 64;
constexpr int kRows = kScreenHeight / kRowHeight;
constexpr int kColumns = kScreenWidth / kColumnWidth;

QApplication& App() {
  static int argc = 1;
  static char name[] = "ui_grid_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// One sheet with every cell of the first 8192 x 30 filled: formatted numbers and labels.
void FillSheet() {
  static bool done = false;
  if (done) return;
  done = true;
  App();
  ResetEngineState();
  CreateWorksheetWindow("BENCH.WKS");
  for (int r = 0; r < kRows + 200; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      CellRecord* cell = CellAt(GetOrCreateCell(uint32_t(r), uint32_t(c)));
      if ((r + c) % 3 == 0) {
        const std::string text = "'Item " + std::to_string(r * kColumns + c);
        SetCellText(cell, text);
        cell->kind = uint8_t(CellKind::kLabel);
      } else {
        StoreNumber(cell, (r * 37 + c * 101) * 1.25 - 500);
        cell->format = uint8_t(0x80 | ((c % 2) ? 0x42 : 0x22));  // comma / currency, 2 decimals
      }
    }
  }
}

const int* Widths() {
  static int widths[256];
  for (int& w : widths) w = kColumnWidth;
  return widths;
}

void PaintScreen(QPainter& p, int top) {
  RowPaint r;
  r.firstColumn = 0;
  r.lastColumn = kColumns - 1;
  r.widths = Widths();
  r.cursorRow = top + 3;
  r.cursorColumn = 2;
  r.selection = MakeRange(2, uint16_t(top + 3), 2, uint16_t(top + 3));
  for (int i = 0; i < kRows; ++i) {
    r.row = top + i;
    r.rect = QRect(0, i * kRowHeight, kScreenWidth, kRowHeight);
    PaintRow(p, r);
  }
}

void BM_FullScreen(benchmark::State& state) {
  FillSheet();
  QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&image);
    PaintScreen(p, 0);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["cells"] = kRows * kColumns;
}
BENCHMARK(BM_FullScreen)->Unit(benchmark::kMillisecond);

// A scroll by one row: the screen's pixels move up by one row height, the new bottom row is
// painted, and the rows of the old and the new cursor are repainted.
void BM_ScrollOneRow(benchmark::State& state) {
  FillSheet();
  QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  {
    QPainter p(&image);
    PaintScreen(p, 0);
  }
  int top = 0;
  for (auto _ : state) {
    const qsizetype line = image.bytesPerLine();
    uchar* bits = image.bits();
    std::memmove(bits, bits + line * kRowHeight, size_t(line * (kScreenHeight - kRowHeight)));
    ++top;
    if (top > 150) top = 0;
    QPainter p(&image);
    RowPaint r;
    r.firstColumn = 0;
    r.lastColumn = kColumns - 1;
    r.widths = Widths();
    r.row = top + kRows - 1;
    r.rect = QRect(0, (kRows - 1) * kRowHeight, kScreenWidth, kRowHeight);
    PaintRow(p, r);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ScrollOneRow)->Unit(benchmark::kMicrosecond);

// The same full screen through the grid widget's own paint (headers included).
void BM_GridWidgetFullScreen(benchmark::State& state) {
  FillSheet();
  GridPane grid;
  grid.setSheetLayout(CurrentLayout().columnWidth.size() ? &CurrentLayout() : nullptr);
  grid.resize(kScreenWidth, kScreenHeight);
  QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    grid.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_GridWidgetFullScreen)->Unit(benchmark::kMillisecond);

}  // namespace
