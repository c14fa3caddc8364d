// app/tallivo_main.cpp — the desktop program.
#include <QApplication>

#include "ui/Sheet.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("TALLIVO");
  TForm1 frame;
  frame.show();
  return QApplication::exec();
}
