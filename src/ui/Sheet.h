// ui/Sheet.h — TForm1, the main frame of the desktop program.
//
// A QMainWindow whose client area is the multiple-document area that holds the worksheet windows.
#pragma once

#include <QMainWindow>

class QMdiArea;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);

  QMdiArea* clientArea() const { return mdi_; }

 private:
  QMdiArea* mdi_;
};
