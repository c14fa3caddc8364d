// ui/column_scroller.cpp — the column scroller (see the header). No state beyond the scroll bar's.
#include "ui/column_scroller.h"

ColumnScroller::ColumnScroller(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setRange(0, 255);
  setSingleStep(1);
  setPageStep(10);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QScrollBar::valueChanged, this, [this](int v) {
    if (!quiet_) emit moved(v);
  });
}

void ColumnScroller::showColumn(int column) {
  quiet_ = true;
  setValue(column);
  quiet_ = false;
}
