// app/tallivo_main.cpp — the desktop program.
#include <QApplication>

#include "app/engine_startup.h"
#include "ui/Sheet.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("TALLIVO");
  StartEngine();
  TForm1 frame;
  frame.show();
  return QApplication::exec();
}
