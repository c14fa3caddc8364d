// app/tallivo_main.cpp — the desktop program: engine, main frame, message loop.
//
// Starts the engine, creates the main frame (which installs the Qt platform), reads the settings
// and the user functions, hands over the command line (a worksheet to open; arguments starting
// with "/" are options) and runs the message loop. The settings are written when the frame
// closes.
#include <QApplication>
#include <QStringList>

#include "commands/engine_start.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("TALLIVO");
  StartEngine(argv[0], &TheQtPlatform());
  MainWindow frame;
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  frame.Startup(arguments);
  frame.show();
  return QApplication::exec();
}
