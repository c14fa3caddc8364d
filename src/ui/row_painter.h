// ui/row_painter.h — paints one row of worksheet cells on a QPainter handed in.
//
// The worksheet window's row painter: fonts, alignment, value display, fills, picture labels,
// word wrap and ellipsis, label overflow, colours from the sheet's colour scheme, selection and
// cursor, borders and grid separators. The screen panes, the tests and printing all paint
// through it. Reads: the cells, layout and options of the sheet handed in (a read-only view, so
// that painting a window whose sheet is not current leaves the current sheet alone). Writes:
// only the program-wide picture cache and the cell font table (module state in the .cpp).
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/global_options.h"
#include "core/sheet_view.h"

class QPainter;

// Indexes of the seven colour features, in the settings dialog's order.
enum ColourFeature : int {
  kFeatureLabel = 0,
  kFeatureValue = 1,
  kFeatureNegative = 2,
  kFeatureUnlocked = 3,
  kFeatureCursor = 4,
  kFeatureOddRows = 5,
  kFeatureBackground = 6,
};
constexpr uint32_t kFeatureIgnoreBackground = 0x40000000u;
constexpr uint32_t kFeatureIgnoreForeground = 0x80000000u;

// Background of title rows and columns, and of the selection.
constexpr QRgb kTitleBackground = 0xFF80FFFFu;  // RGB (128, 255, 255)
constexpr QRgb kSelectionBackground = 0xFFFF0000u;

// The 16-colour palette of the program.
QRgb PaletteColour(int index);
// The low 24 bits of a colour word (red in bits 0..7, blue in 16..23) as a Qt colour.
QRgb WordColour(uint32_t word);

// The display switches of a sheet that are not in its options record, with the settings'
// defaults. The window keeps one per sheet view.
struct GridDisplay {
  bool colourNegative = false;  // "Color &Negative Values"
  bool banding = true;          // "Apply &Banding Color "
  uint8_t gridLines = 3;        // bit 0 row separators, bit 1 column separators, bit 2 dotted
  bool printGrid = false;       // frame each printed cell
  bool printColour = false;     // false: print black on white
  QRgb gridColour = 0xFFC0C0C0u;
  QString defaultFamily = QStringLiteral("Arial");
  int defaultSize = 12;  // pixels at 100 %
};

// The colours one cell is painted in.
struct CellColours {
  QRgb background;
  QRgb foreground;
};

// Inputs of the colour rules for one cell position.
struct ColourInputs {
  const GlobalOptions* options = nullptr;  // colour features and the protection switch
  const GridDisplay* display = nullptr;
  QRgb rowBackground = 0xFFFFFFFFu;
  bool printing = false;
  bool selected = false;  // inside the pane's selected range (ignored when printing)
  bool cursor = false;    // under the pane's cursor (ignored when printing)
};

// The row background: white when printing, the title colour, "Odd Rows" on even row indexes
// with banding on, else "Background".
QRgb RowBackground(int row, bool title, bool printing, const GlobalOptions& options,
                   const GridDisplay& display);
// Background and text colour of `cell` (null for a missing cell) by the colour rules.
CellColours CellColoursFor(const CellRecord* cell, const ColourInputs& in);

// One row to paint.
struct RowPaint {
  int row = 0;
  int firstColumn = 0;
  int lastColumn = 255;
  QRect rect;            // the row; its left edge is the left edge of firstColumn
  bool title = false;    // a title row or title column strip
  bool printing = false;
  int scale = 100;       // the zoom on screen, the print scale when printing
  // Pixel widths of the 256 columns: the pane's zoomed widths on screen, the sheet's own widths
  // when printing (the painter then applies the scale).
  const int* widths = nullptr;
  CellRange selection = NoRange();  // ordered corners; no range for none
  int cursorRow = -1;
  int cursorColumn = -1;
  const SheetView* sheet = nullptr;        // the sheet painted; the current sheet when null
  const GlobalOptions* options = nullptr;  // the painted sheet's when null
  const GridDisplay* display = nullptr;    // defaults when null
};

// Paints the row. Returns nothing; never fails (unknown kinds show "ERR", missing pictures only
// their background).
void PaintRow(QPainter& painter, const RowPaint& row);

// The worksheet's font table: font index i names the i-th family of this list (set from the
// machine's font list); 255 and indexes beyond the list give the default family.
void SetCellFontNames(std::vector<QString> names);
QString CellFontName(uint8_t index, const QString& defaultFamily);

// The family the font system actually uses for `family` (Liberation Sans for Arial on Linux).
QString ResolvedFamily(const QString& family);

// Picture labels: bitmaps loaded so far (at most 10), and a reset for tests.
int PictureCacheCount();
void ResetPictureCache();
