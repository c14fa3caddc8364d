// ui/worksheet_window.h — WorksheetWindow, the worksheet window: two grid panes, page tabs, column
// scroller, split box, and the keys, activation and closing of a worksheet view.
//
// A window shows one entry of the open-worksheet table and makes that sheet current whenever it
// paints a row, handles a key or becomes active. The main window hosts it in a QMdiSubWindow and
// connects to its signals (entry characters, the menu key, edit and prompt keys, indicators).
// State: per window; program-wide the list of open windows and the range-prompt flag.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string_view>

#include "core/grid_geometry.h"
#include "core/worksheets.h"
#include "ui/row_painter.h"

class QMdiArea;
class QMdiSubWindow;
class QKeyEvent;
class GridPane;
class PageTabs;
class ColumnScroller;
struct WindowLayout;

class WorksheetWindow : public QWidget {
  Q_OBJECT
 public:
  // A window on entry `slot` captioned `caption`; `named` when the sheet has a file name.
  WorksheetWindow(SlotIndex slot, const QString& caption, bool named, QWidget* parent = nullptr);
  ~WorksheetWindow() override;

  // Creates the entry for `fileName` (or shares an open one), a window on it inside `area`, and
  // activates it. Gives the window, or null when the table is full.
  static WorksheetWindow* OpenWorksheetWindow(QMdiArea* area, std::string_view fileName,
                                              bool named);
  // A window inside `area` on entry `slot`, which the engine has made already (a new or opened
  // worksheet, see commands/worksheet_files.h), activated. The window owns the entry: closing
  // it closes the entry.
  static WorksheetWindow* ShowWorksheet(QMdiArea* area, SlotIndex slot, bool named);
  // Every open worksheet window.
  static const std::vector<WorksheetWindow*>& Windows();
  // Set by the main window while its range prompt is open (a window then refuses to close).
  static void SetRangePromptOpen(bool open);
  static bool RangePromptOpen();
  // Sets the zoom of every window ("Zoom" menu) and repaints them.
  static void SetZoomAll(int percent);
  // Saves a sheet without a name through "Save As"; installed by the main window. Unset: the
  // close question's Yes keeps such a window open.
  static std::function<bool(WorksheetWindow&)> SaveAsHandler;

  SlotIndex slot() const { return slot_; }
  GridPane* firstPane = nullptr;
  GridPane* secondPane = nullptr;
  PageTabs* pageTabs = nullptr;
  ColumnScroller* columnScroller = nullptr;
  GridPane* activeGrid() const { return activePane_ == 2 ? secondPane : firstPane; }
  int activePane() const { return activePane_; }

  bool horizontalSplit = false;  // panes above each other
  bool verticalSplit = false;  // panes side by side
  bool splitActive() const { return horizontalSplit || verticalSplit; }
  bool synchronised = false;
  QString splitHint() const { return hint_; }
  bool endMode() const { return endMode_; }
  // Position of the split inside the pane area (pixels from the top or the left).
  int splitPosition() const { return splitPos_; }

  // Split modes: 1 horizontal at the cursor, 2 vertical, 0 clear.
  void splitAtCursor(int mode);
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

  void activateSheet();
  void deactivateSheet();
  // The window layout stored with the worksheet file.
  void applyLayout(const WindowLayout& layout);
  void fillLayout(WindowLayout& layout) const;

  // Paints one row of a pane (the panes' rowPainter).
  void paintRow(GridPane& grid, QPainter& painter, int row, int first, int last,
                    const QRect& rect);

 signals:
  // A character that starts an entry in the main window's entry line.
  void entryStarted(const QString& text);
  // "/" outside the entry line: open the main menu.
  void menuRequested();
  void editRequested();             // F2
  void referenceCycleRequested();   // F4
  void gotoRequested();             // F5 (unconnected: a simple prompt of the window's own)
  void helpRequested();             // F1
  void macroRequested(bool step);   // F3, Shift+F3
  void linkUpdateRequested();       // F9: the routine of File "&Uplink"
  void graphViewRequested();        // F12: the graph window, maximised
  void enterPressed();
  void escapePressed();
  void endModeChanged(bool on);
  void indicatorsChanged();
  // Cells of the sheet changed from the window's own keys (Ctrl+B, I, U, Z).
  void sheetChanged();
  // Cursor or selection moved in the active pane (entry line, address display).
  void cursorMoved();
  void activated();
  // Ctrl+C, X, V, D with "W&in Control Keys" (unconnected: a beep).
  void shortcutRequested(QChar key);
  void contextMenuRequested(const QPoint& globalPos);
  void propertiesRequested();
  // A macro button of the sheet was clicked: the macro name it carries.
  void macroButtonClicked(const QByteArray& macro);
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
  bool windowKeyDown(QKeyEvent* e);
  void paneKeyDown(QKeyEvent* e);
  void paneKeyPress(const QString& text);
  void followTopRow(GridPane* grid);
  void followLeftColumn(GridPane* grid);
  void pagePicked(int page);
  void scrollerMoved(int position);
  bool mayClose();
  void closeSheet();
  void layoutPanes();
  void connectPane(GridPane* grid, int pane);
  void toggleStyle(uint8_t bit);
  QRect paneArea() const;
  QRect splitBox() const;
  GridPane* otherGrid() const { return activePane_ == 2 ? firstPane : secondPane; }

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
