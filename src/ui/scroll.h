// ui/scroll.h — Twscroll, the small column scroller beside the page tabs.
//
// Runs from 0 to 255 with a small step of 1 and a large step of 10; the window turns its
// position into the active pane's left column. State: the scroll bar's own.
#pragma once

#include <QScrollBar>

class Twscroll : public QScrollBar {
  Q_OBJECT
 public:
  explicit Twscroll(QWidget* parent = nullptr);
  // Follows a left column without reporting a change.
  void showColumn(int column);

 signals:
  // The user moved the scroller (wscroll1Change).
  void moved(int position);

 private:
  bool quiet_ = false;
};
