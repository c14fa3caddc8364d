// ui/scroll.cpp — the column scroller (see the header). No state beyond the scroll bar's.
#include "ui/scroll.h"

Twscroll::Twscroll(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setRange(0, 255);
  setSingleStep(1);
  setPageStep(10);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QScrollBar::valueChanged, this, [this](int v) {
    if (!quiet_) emit moved(v);
  });
}

void Twscroll::showColumn(int column) {
  quiet_ = true;
  setValue(column);
  quiet_ = false;
}
