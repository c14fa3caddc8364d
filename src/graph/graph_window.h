// graph/graph_window.h — the graph window: a tool window of the main frame that draws the
// current graph of a worksheet, or a named one, and closes on a key.
//
// Created with the main frame and hidden; `ShowGraph` shows it (normal or maximised) and takes
// the copy of the definition that "&Reset" restores. Keys: any key without Shift, Ctrl or Alt, Esc
// and the space bar close it; Shift+A turns the 3-D view by π/16; any other character beeps. A
// drag zooms into the rectangle (manual scales); the pop-up menu opens the settings pages, saves,
// copies and prints the graph and zooms. A display time closes it by itself (macros).
// State: per window (the sheet and graph shown, the saved definition, zoom drag, timer).
#pragma once

#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/graph_definition.h"
#include "core/worksheets.h"

class QMenu;
class QRubberBand;

class GraphWindow : public QWidget {
  Q_OBJECT

 public:
  explicit GraphWindow(QWidget* owner);

  // Shows graph `namedIndex` (−1 the current graph) of the worksheet in `slot`; `milliseconds`
  // above 0 closes the window after that time.
  void ShowGraph(SlotIndex slot, int namedIndex = -1, bool maximised = false, int milliseconds = 0);
  SlotIndex slot() const { return slot_; }
  int namedIndex() const { return namedIndex_; }

  // The pop-up menu as it is offered (rebuilt for each use).
  QMenu* popupMenu();
  // The zoom commands of the "ZOOM" pop-up: 0 out, 1 in, 2 all, 3 reset.
  void Zoom(int how);
  // Zooms into the pixel rectangle `area` of the window (a mouse drag).
  void ZoomTo(const QRect& area);
  // "S&ave to Bitmap", "&Copy to Clipboard", "Quick &Print".
  void SaveToBitmap();
  void CopyToClipboard();
  void QuickPrint();
  // The graph as a bitmap of the window's size.
  QImage Bitmap();
  // The name of the selected element ("No Selection" when none); a click selects the element
  // under the pointer, and the pop-up menu's first item opens the page of its attributes.
  QString selection() const { return selection_; }

  // Replaces the file dialogs (tests): given a caption, a suggested name and filters, returns the
  // chosen name (empty: cancelled) and sets the chosen filter.
  using FileChooser =
      std::function<QString(const QString& caption, const QString& suggested,
                            const QString& filters, QString* chosenFilter)>;
  void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

 signals:
  // A settings page of the graph dialog (tag as the "&Graph" menu gives it).
  void settingsRequested(int tag);
  // A text for the main frame's status line.
  void statusText(const QString& text);
  // The window was closed (hidden).
  void closed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The definition zoom changes: the current graph or the named one shown.
  GraphDefinition ShownDefinition();
  void SelectAt(QPoint at);

  SlotIndex slot_ = 0;
  int namedIndex_ = -1;
  GraphBlock saved_{};
  QRubberBand* band_ = nullptr;
  QPoint dragFrom_;
  bool dragging_ = false;
  QString selection_ = QStringLiteral("No Selection");
  int selectionTag_ = 0;  // the settings page of the selected element
  QTimer closeTimer_;
  FileChooser chooseFile_;
};
