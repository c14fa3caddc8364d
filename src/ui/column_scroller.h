// ui/column_scroller.h — ColumnScroller, the small column scroller beside the page tabs.
//
// Runs from 0 to 255 with a small step of 1 and a large step of 10; the window turns its
// position into the active pane's left column. State: the scroll bar's own.
#pragma once

#include <QScrollBar>

class ColumnScroller : public QScrollBar {
  Q_OBJECT
 public:
  explicit ColumnScroller(QWidget* parent = nullptr);
  // Follows a left column without reporting a change.
  void showColumn(int column);

 signals:
  // The user moved the scroller.
  void moved(int position);

 private:
  bool quiet_ = false;
};
