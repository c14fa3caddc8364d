// ui/Unit2.h — TForm2, the worksheet window: two grid panes, page tabs, column scroller, split
// box, and the keys, activation and closing of a worksheet view.
//
// A window shows one entry of the open-worksheet table and makes that sheet current whenever it
// paints a row, handles a key or becomes active. The main frame hosts it in a QMdiSubWindow and
// connects to its signals (entry characters, the menu key, edit and prompt keys, indicators).
// State: per window; program-wide the list of open windows and the range-prompt flag.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string_view>

#include "core/worksheets.h"
#include "ui/grid_geometry.h"
#include "ui/row_painter.h"

class QMdiArea;
class QMdiSubWindow;
class QKeyEvent;
class TGrid;
class tabbar;
class Twscroll;
struct WindowLayout;

// Makes a worksheet current for the life of the object and puts the previous one back after.
class SheetScope {
 public:
  explicit SheetScope(SlotIndex slot);
  ~SheetScope();
  SheetScope(const SheetScope&) = delete;
  SheetScope& operator=(const SheetScope&) = delete;

 private:
  SlotIndex previous_ = 0;
  SlotIndex slot_ = 0;
  bool switched_ = false;
};

// END mode: the cell an arrow reaches from (row, column) in the current sheet: along a run of
// filled cells to its last one, else to the next filled cell, else to the edge of the sheet.
CellAddress EndModeTarget(int row, int column, int rowStep, int columnStep);

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  // A window on entry `slot` captioned `caption`; `named` when the sheet has a file name.
  TForm2(SlotIndex slot, const QString& caption, bool named, QWidget* parent = nullptr);
  ~TForm2() override;

  // Creates the entry for `fileName` (or shares an open one), a window on it inside `area`, and
  // activates it. Gives the window, or null when the table is full.
  static TForm2* OpenWorksheetWindow(QMdiArea* area, std::string_view fileName, bool named);
  // Every open worksheet window.
  static const std::vector<TForm2*>& Windows();
  // Set by the main frame while its range prompt is open (a window then refuses to close).
  static void SetRangePromptOpen(bool open);
  static bool RangePromptOpen();
  // Sets the zoom of every window ("Zoom" menu) and repaints them.
  static void SetZoomAll(int percent);
  // Saves a sheet without a name through "Save As"; installed by the main frame. Unset: the
  // close question's Yes keeps such a window open.
  static std::function<bool(TForm2&)> SaveAsHandler;

  SlotIndex slot() const { return slot_; }
  TGrid* Grid1 = nullptr;
  TGrid* Grid2 = nullptr;
  tabbar* tabbar1 = nullptr;
  Twscroll* wscroll1 = nullptr;
  TGrid* activeGrid() const { return activePane_ == 2 ? Grid2 : Grid1; }
  int activePane() const { return activePane_; }

  bool Hflag = false;  // panes above each other
  bool Vflag = false;  // panes side by side
  bool splitActive() const { return Hflag || Vflag; }
  bool Synch = false;
  QString splitHint() const { return hint_; }
  bool endMode() const { return endMode_; }
  // Position of the split inside the pane area (pixels from the top or the left).
  int splitPosition() const { return splitPos_; }

  // Split modes: 1 horizontal at the cursor, 2 vertical, 0 clear.
  void Grid1Split(int mode);
  // Splits at a pixel position of the pane area, as a drag of the split box does.
  void splitAt(SplitDrag kind, int position);
  void setSynch(bool on);
  // Title rows and columns of the active pane: 1 rows, 2 columns, 3 both, 0 clear.
  void setTitles(int mode);
  // F6: the other pane takes the focus, or in an unsplit window the two places are exchanged.
  void switchPanes();
  void moveCursorTo(int row, int column);
  // Re-reads the sheet's options (pages, grid lines) and repaints both panes.
  void redraw();

  void FormActivate();
  void FormDeactivate();
  // The window layout stored with the worksheet file.
  void applyLayout(const WindowLayout& layout);
  void fillLayout(WindowLayout& layout) const;

  // Paints one row of a pane (the panes' OnDrawRow).
  void Grid1DrawRow(TGrid& grid, QPainter& painter, int row, int first, int last,
                    const QRect& rect);

 signals:
  // A character that starts an entry in the main frame's entry line.
  void entryStarted(const QString& text);
  // "/" outside the entry line: open the main menu.
  void menuRequested();
  void editRequested();             // F2
  void referenceCycleRequested();   // F4
  void gotoRequested();             // F5 (unconnected: a simple prompt of the window's own)
  void helpRequested();             // F1
  void enterPressed();
  void escapePressed();
  void endModeChanged(bool on);
  void indicatorsChanged();
  // Cursor or selection moved in the active pane (entry line, address display).
  void cursorMoved();
  void activated();
  // Ctrl+C, X, V, D with "W&in Control Keys" (unconnected: a beep).
  void shortcutRequested(QChar key);
  void contextMenuRequested(const QPoint& globalPos);
  void propertiesRequested();
  // The window closed; `last` when no worksheet window is left.
  void closed(bool last);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool FormKeyDown(QKeyEvent* e);
  void Grid1keydown(QKeyEvent* e);
  void Grid1keypress(const QString& text);
  void Grid1ChangeTop(TGrid* grid);
  void Grid1ChangeLeft(TGrid* grid);
  void tabbar1pick(int page);
  void wscroll1Change(int position);
  bool FormCloseQuery();
  void FormClose();
  void layoutPanes();
  void connectPane(TGrid* grid, int pane);
  void toggleStyle(uint8_t bit);
  QRect paneArea() const;
  QRect splitBox() const;
  TGrid* otherGrid() const { return activePane_ == 2 ? Grid1 : Grid2; }

  SlotIndex slot_;
  QString caption_;
  bool named_;
  int activePane_ = 1;
  int splitPos_ = 0;
  bool endMode_ = false;
  bool ctrlHeld_ = false;
  bool closing_ = false;
  SplitDrag drag_ = SplitDrag::kNone;
  int trackX_ = -1;
  int trackY_ = -1;
  QWidget* trackLine_ = nullptr;
  QString hint_;
  GridDisplay display_;
};
