// bench/ui_macro_bench.cpp — keys a macro plays into the desktop program.
//
// A macro of 1,000 arrow keys ({RIGHT 500}{LEFT 500}) runs in the main window on the offscreen
// platform; each key is posted as a key press and release with a sentinel behind it, and the
// time is that of the event loop consuming all of them. "items" are keys.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <memory>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/evaluator.h"
#include "commands/engine_start.h"
#include "formula/functions_math.h"
#include "macros/interpreter.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/worksheet_window.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "ui_macro_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("TALLIVO_HOME", QDir::tempPath().toLocal8Bit());
  static QApplication app(argc, argv);
  return app;
}

void BM_PlayedKeys(benchmark::State& state) {
  App();
  StartEngine("/nonexistent/tallivo", &TheQtPlatform());
  auto frame = std::make_unique<MainWindow>();
  frame->Startup({});
  frame->show();
  WorksheetWindow* sheet = frame->NewSheet();
  if (!sheet) {
    state.SkipWithError("no sheet");
    return;
  }
  EnterCell("'{RIGHT 500}{LEFT 500}", 0, 25);
  for (auto _ : state) {
    MainWindow::RunMacroAt(MakeRange(25, 0, 25, 0));
    while (MacroRunning()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  StopMacro();
}
BENCHMARK(BM_PlayedKeys)->Unit(benchmark::kMillisecond);

}  // namespace
