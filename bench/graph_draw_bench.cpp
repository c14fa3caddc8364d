// Benchmarks of graph drawing into an 800 x 600 image: a line graph of 6 series x 8192 points,
// a bar graph of 6 series x 500 bars, and a contour over 64 x 64 cells.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "commands/engine_start.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/graph_definition.h"
#include "core/worksheets.h"
#include "graph/graph_draw.h"

namespace {

void App() {
  static int argc = 1;
  static char name[] = "graph_draw_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Lives until the process ends, like the program's own.
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

// A fresh sheet with `rows` x `columns` numbers from A1 (column A counting 1, 2, 3, ...).
void FillSheet(int rows, int columns) {
  App();
  ResetEngineState();
  CreateWorksheetWindow("BENCH.WKS");
  for (int r = 0; r < rows; ++r) {
    StoreNumber(CellAt(GetOrCreateCell(uint32_t(r), 0)), r + 1);
    for (int c = 1; c <= columns; ++c) {
      StoreNumber(CellAt(GetOrCreateCell(uint32_t(r), uint32_t(c))),
                  std::sin(r * 0.01 * c) * 100 + c * 20);
    }
  }
}

void DefineGraph(int type, int rows, int series) {
  GraphDefinition g = CurrentGraph();
  ResetGraph(g);
  g.setType(uint8_t(type));
  g.setRange(kGraphXRange, MakeRange(0, 0, 0, uint16_t(rows - 1)));
  for (int s = 1; s <= series; ++s) {
    g.setRange(s, MakeRange(uint16_t(s), 0, uint16_t(s), uint16_t(rows - 1)));
    g.setLegend(s, "Series");
  }
  g.setHeading(0, "Benchmark");
  g.setGridLines(3);
}

void Draw(benchmark::State& state) {
  QImage image(800, 600, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    benchmark::DoNotOptimize(DrawGraph(painter, image.rect()));
  }
}

void BM_LineGraph6x8192(benchmark::State& state) {
  FillSheet(8192, 6);
  DefineGraph(kGraphLine, 8192, 6);
  Draw(state);
}
BENCHMARK(BM_LineGraph6x8192)->Unit(benchmark::kMillisecond);

void BM_BarGraph6x500(benchmark::State& state) {
  FillSheet(500, 6);
  DefineGraph(kGraphBar, 500, 6);
  Draw(state);
}
BENCHMARK(BM_BarGraph6x500)->Unit(benchmark::kMillisecond);

void BM_Contour64x64(benchmark::State& state) {
  FillSheet(64, 64);
  GraphDefinition g = CurrentGraph();
  ResetGraph(g);
  g.setType(kGraphContour);
  g.setRange(kGraphXRange, MakeRange(1, 0, 64, 0));
  g.setRange(1, MakeRange(1, 0, 64, 63));
  Draw(state);
}
BENCHMARK(BM_Contour64x64)->Unit(benchmark::kMillisecond);

}  // namespace
