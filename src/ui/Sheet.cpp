// ui/Sheet.cpp — the main frame.
#include "ui/Sheet.h"

#include <QMdiArea>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), mdi_(new QMdiArea(this)) {
  setWindowTitle("TALLIVO");
  setCentralWidget(mdi_);
  resize(1024, 700);
}
