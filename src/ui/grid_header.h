// ui/grid_header.h — GridHeader, the row or column header of a grid pane.
//
// Draws the row numbers (restarting on each page) or the column letters of the pane's visible
// rows or columns, raised when 3-D is on, with the current page's tab label in the top-left
// corner of the column header; dragging the edge between two items resizes the row or column.
// State: per header; reads the pane's layout and the sheet's widths and heights.
#pragma once

#include <QString>
#include <QWidget>

class GridPane;

class GridHeader : public QWidget {
  Q_OBJECT
 public:
  enum class Dir { kRows, kColumns };
  GridHeader(GridPane* grid, Dir dir);

  Dir dir() const { return dir_; }
  // First and last title row or column (equal when none) and their pixel extent.
  int titleFirst = 0;
  int titleEnd = 0;
  int titleExtent = 0;
  // The label shown in the corner of a column header (the current page's tab, up to 5 chars).
  void setCornerLabel(const QString& label);
  QString cornerLabel() const { return corner_; }

  // The face of header labels at a zoom: "Arial" from 87 % up, else "Small Fonts"; its pixel
  // height is 14 x zoom div 100.
  static QFont HeaderFont(int zoom);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The item whose far edge lies within 3 pixels of `pos`, or -1.
  int edgeAt(int pos) const;

  GridPane* grid_;
  Dir dir_;
  QString corner_ = QStringLiteral("A");
  int resizing_ = -1;    // the row or column being resized
  int chosenSize_ = -1;  // its size so far (unzoomed pixels), -1 until the edge moves
  int resizeStart_ = 0;
};
