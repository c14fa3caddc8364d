// ui/grid_pane.h — GridPane, one grid pane of a worksheet window.
//
// The pane keeps the cursor, the selection, the top row and left column and the title rows and
// columns, lays out rows and columns from the sheet's widths and heights at the program's zoom,
// moves the cursor by the keys and the mouse, and asks its owner to paint each visible row
// (`rowPainter`). Title rows and columns are handed over with their indexes complemented. Macro
// buttons placed on the sheet are drawn over the cells at their anchor cells; a click on one is
// handed to the owner (`macroButtonClicked`) instead of moving the cursor.
// State: per pane; program-wide the zoom and the active pane (for the platform's current cell).
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "core/address.h"
#include "files/macro_button.h"
#include "platform/platform.h"

class GridHeader;
struct SheetLayout;

// The zoom of every grid, in percent (initially 100).
int GridZoom();
void SetGridZoom(int percent);

// What F6 exchanges between the two panes of an unsplit window.
struct GridPlace {
  int cursorRow = 0;
  int cursorColumn = 0;
  int topRow = 0;
  int leftColumn = 0;
  CellRange selection = MakeRange(0, 0, 0, 0);
};

class GridPane : public QWidget {
  Q_OBJECT
 public:
  explicit GridPane(QWidget* parent = nullptr);
  ~GridPane() override;

  // Properties every pane starts with.
  bool raisedHeaders = true;      // raised header cells
  int defaultRowHeight = 15;    // default row height
  int headerStripHeight = 14;      // height of the column header strip
  int rowHeaderStripWidth = 60;          // width of the row header strip
  bool edgeBeep = false;  // beep when a move is clamped

  // One visible row or column: its index, pixel position and size inside the pane.
  struct Span {
    int index;
    int pos;
    int size;
    bool title;
  };

  // Paints one row: (pane, painter, row, first column, last column, rectangle). Title rows and
  // columns come with complemented indexes. Unset: the row painter with default settings.
  std::function<void(GridPane&, QPainter&, int, int, int, const QRect&)> rowPainter;
  // The macro buttons placed on the sheet the pane shows (unset: none).
  std::function<std::vector<MacroButton>()> macroButtons;
  // Where a button is drawn inside the pane: its anchor cell's top-left corner, its size at the
  // zoom. Empty when the anchor cell is not shown.
  QRect macroButtonRect(const MacroButton& button) const;

  // The widths and heights the pane lays out (the sheet's; a private default when none).
  void setSheetLayout(SheetLayout* layout);
  const SheetLayout& sheetLayout() const;

  int cursorRow() const { return row_; }
  int cursorColumn() const { return column_; }
  // The selected range with ordered corners.
  CellRange selection() const;
  bool anchored() const { return anchored_; }
  int topRow() const { return top_; }
  int leftColumn() const { return left_; }
  int pages() const { return pages_; }
  int pageRows() const;
  void setPages(int pages);
  // Grid-line flags: bit 0 row separators, bit 1 column separators, bit 2 dotted.
  uint8_t gridLines = 3;

  // Title rows titleFirstRow..titleEndRow-1 and title columns titleFirstColumn..titleEndColumn-1
  // (empty when first and end are equal).
  int titleFirstRow = 0, titleEndRow = 0, titleFirstColumn = 0, titleEndColumn = 0;
  bool hasTitles() const {
    return titleEndRow > titleFirstRow || titleEndColumn > titleFirstColumn;
  }
  // Title modes: 1 rows above the cursor, 2 columns left of it, 3 both, 0 clear.
  void setTitles(int mode);
  // Sets the title spans outright (a layout read from a file).
  void setTitleSpans(int firstRow, int endRow, int firstColumn, int endColumn);
  int minRow() const { return minRow_; }
  int minColumn() const { return minColumn_; }

  // Moves the cursor to (row, column), clamped; with `extend` the selection grows from the
  // anchor (set at the first extending move). Scrolls as needed and repaints what changed.
  void moveTo(int row, int column, bool extend = false);
  // Sets the selection outright (anchored at its first corner), cursor at its second corner.
  void selectRange(const CellRange& range);
  void setTopRow(int row);
  void setLeftColumn(int column);
  GridPlace place() const;
  void setPlace(const GridPlace& p);

  // Geometry at the current zoom.
  int headerHeight() const;
  int rowHeaderWidth() const;
  int columnWidth(int column) const;
  int rowHeight(int row) const;
  // While a header edge is dragged, column (or row) `index` shows `pixels` (unzoomed) wide (high);
  // the sheet's layout changes only when the drag ends (sizeChosen).
  void setSizePreview(bool columns, int index, int pixels);
  void clearSizePreview();
  std::vector<Span> rowSpans() const;
  std::vector<Span> columnSpans() const;
  // Fully visible scrolling rows and columns (at least 1).
  int visibleRows() const;
  int visibleColumns() const;
  // The cell under a point of the pane, false outside the cells.
  bool cellAt(const QPoint& pos, int* row, int* column) const;
  // The pixel rectangle of a row inside the pane (empty when not visible).
  QRect rowRect(int row) const;

  // Repaints the rows of `range` (and of nothing else).
  void repaintRange(const CellRange& range);
  // Lays out again after widths, heights, zoom or options changed and repaints.
  void refresh();

  // Zoomed widths of the 256 columns as the last paint computed them.
  const int* zoomedWidths() const { return widths_.data(); }

  GridHeader* rowHeader() const { return rowHeader_; }
  GridHeader* columnHeader() const { return columnHeader_; }

  // The pane that last had the focus in the active window, and its cursor and selection (what
  // the platform's CurrentCell and Selection report).
  static GridPane* ActiveGrid();
  static void SetActiveGrid(GridPane* grid);
  static PlatformCell ActiveCursor();
  static PlatformBlock ActiveSelection();

 signals:
  // Cursor or selection moved.
  void changed();
  // The top row moved; the left column moved.
  void topChanged();
  void leftChanged();
  // A header drag ended with column (or row) `index` at `pixels` (unzoomed); the window runs
  // the column width or row height command.
  void sizeChosen(bool columns, int index, int pixels);
  // A row or column was resized from the headers.
  void sized();
  // Keys the pane does not move by: the handler accepts what it consumes.
  void keyDown(QKeyEvent* event);
  // Characters typed into the pane.
  void keyPress(const QString& text);
  // Right button (the pop-up menu) and Shift+right release inside the selection (properties).
  void contextMenuAt(const QPoint& globalPos);
  void propertiesRequested();
  void focused();
  // A left click on a macro button: the macro name it carries, as stored.
  void macroButtonClicked(const QByteArray& macro);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  friend class GridHeader;
  QRect cellsArea() const;
  void placeHeaders();
  void scrollRowsBy(int oldTop);
  void ensureVisible(int row, int column, int oldRow, int oldColumn);
  void paintMacroButtons(QPainter& painter, const QRegion& region);
  bool hasMacroButtons() const;
  bool moveKey(QKeyEvent* event);

  SheetLayout* layout_ = nullptr;
  struct SizePreview {
    bool columns = true;
    int index = -1;  // none
    int pixels = 0;
  } preview_;
  SheetLayout* ownLayout_ = nullptr;
  GridHeader* rowHeader_ = nullptr;
  GridHeader* columnHeader_ = nullptr;
  int row_ = 0, column_ = 0;
  int anchorRow_ = 0, anchorColumn_ = 0;
  bool anchored_ = false;
  int top_ = 0, left_ = 0;
  int minRow_ = 0, minColumn_ = 0;
  int pages_ = 1;
  bool dragging_ = false;
  bool shiftRight_ = false;
  std::vector<int> widths_;  // zoomed widths of the 256 columns, filled when painting
};
