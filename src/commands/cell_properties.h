// commands/cell_properties.h — the attributes of a range's cells as the Properties dialog sets
// them, and column widths and row heights over a range.
//
// ApplyCellProperties applies only the groups of attributes the caller marks as touched; a call
// that touches none changes nothing and creates no cells. Widths and heights are set on every
// (skip + 1)-th column or row of a range, reset to the sheet's default, or the default itself is
// changed. Each is one command: one undo group, protected cells skipped, the windows repainted.
// Reads and writes: the current worksheet's cells and layout; the undo journal.
#pragma once

#include <cstdint>

#include "commands/commands.h"
#include "core/address.h"

// Groups of attributes; a set bit applies that group.
enum PropertyGroup : uint8_t {
  kPropertyFormat = 0x01,    // the number format (the protection bit kept)
  kPropertyShade = 0x02,     // the background shade
  kPropertyTypeface = 0x04,  // font, size, bold/italic/underline, text colour
  kPropertyPrefix = 0x08,    // the alignment code, and a label's prefix character
  kPropertyLock = 0x10,      // the protection bit
  kPropertyBorder = 0x20,    // the border byte
};

// The line of a border: no line, the thin bit of each edge, the thick bit of each edge.
enum class BorderLine : uint8_t { kNone, kSingle, kThick };
// Which edges a border is drawn on: inside the range, around it, every edge, none.
enum class BorderEdges : uint8_t { kIn, kOut, kAll, kClear };

// The text colour of the Typeface group that leaves the colour to the cell's kind.
constexpr int kAutomaticTextColour = -1;

struct CellProperties {
  uint8_t groups = 0;  // PropertyGroup bits: the groups to apply
  // kPropertyFormat: the format code (bits 0..6; 0x7F is the sheet's default format).
  uint8_t format = 0x7F;
  // kPropertyShade: no shade of its own, or the background red, green, blue.
  bool noShade = true;
  uint8_t shade[3] = {255, 255, 255};
  // kPropertyTypeface: the font index (255 the default font), size in points (0 the window's
  // size), the bold/italic/underline bits, and the text colour (palette index 0..15 or
  // kAutomaticTextColour).
  uint8_t font = 255;
  uint8_t size = 0;
  uint8_t style = 0;
  int textColour = kAutomaticTextColour;
  // kPropertyPrefix: the alignment code 1..6 (1 left, 2 right, 3 centre, 4 wrap, 5 and 6 dots).
  int alignment = 1;
  // kPropertyLock: set or clear the protection bit.
  bool locked = true;
  // kPropertyBorder.
  BorderLine borderLine = BorderLine::kNone;
  BorderEdges borderEdges = BorderEdges::kOut;
};

// The edge bits of the cell at (row, column) from its place in `range` (ordered): 0x03 left in
// the first column, 0x0C bottom in the last row, 0x30 right in the last column, 0xC0 top in the
// first row.
uint8_t BorderEdgeMask(const CellRange& range, uint32_t row, uint32_t column);
// The border byte a cell of that edge mask gets: the line's pattern (0, 0x55, 0xAA) AND the mask
// of the edges (Out the mask, In its complement, All 0xFF, Clear 0).
uint8_t BorderByte(BorderLine line, BorderEdges edges, uint8_t edgeMask);

// Applies the touched groups of `properties` to every cell of `range`, row by row, creating
// blank cells where none exist; with protection on, locked cells and empty positions are left
// alone. No group touched: kDone, nothing changes. An invalid range or alignment: kFailed.
CommandResult ApplyCellProperties(const CellRange& range, const CellProperties& properties);

// How SetColumnWidths and SetRowHeights size a range.
struct SizeRequest {
  int size = 0;       // characters of 8 pixels (columns) or pixels (rows), 0..254
  int skip = 0;       // only every (skip + 1)-th column or row, counted from column A or row 1
  bool global = false;  // set the sheet's default instead of the range's columns or rows
  bool reset = false;   // give the columns or rows the default size (a size of 255)
};

// Column widths over the columns of `range`: each column whose number (0 for A) is a multiple of
// skip + 1 gets the width, or the default with `reset`. With `global` the sheet's default width
// becomes the width and every column that had the default follows it. A size outside 0..255
// (255 meaning reset) or a negative skip: kFailed, nothing changes.
CommandResult SetColumnWidths(const CellRange& range, const SizeRequest& request);
// The same with rows and heights in pixels.
CommandResult SetRowHeights(const CellRange& range, const SizeRequest& request);
