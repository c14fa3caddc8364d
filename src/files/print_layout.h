// files/print_layout.h — pages of a printed range, header and footer codes, print to text.
//
// Printing lays a range of the current worksheet out in logical units of 1/96 inch: margins,
// header and footer bands, column strips and the rows of each page. The printer, the preview,
// the preview's "Fit" and the batch tool's page listing all use `LayOutPages`, so the page N the
// preview shows is the page N that prints. Nothing here draws; the desktop paints the pages.
// Reads: the current worksheet (cells of the range's first column, column widths and row
// heights, print settings in its options, its file name), the settings' font size, the
// platform's clock. Writes: the text file of `PrintRangeToText`, the error flag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/address.h"

// Logical units per inch of the page layout.
constexpr int kPrintUnitsPerInch = 96;
// US Letter in logical units (the batch tool's page; swapped for landscape).
constexpr int kLetterWidth = 816;
constexpr int kLetterHeight = 1056;

// The paintable rectangle of a page, in logical units.
struct PageSize {
  int width = kLetterWidth;
  int height = kLetterHeight;
};

// What to lay out and how: the worksheet's print settings in one place.
struct PageSetup {
  CellRange range = NoRange();          // the body; nothing is laid out when undefined
  CellRange borderRows = NoRange();     // rows repeated at the top of every page
  CellRange borderColumns = NoRange();  // columns repeated at the left of every row
  double topMargin = 0.5;               // inches
  double leftMargin = 0.5;
  double rightMargin = 0.5;
  double bottomMargin = 0.5;
  int scale = 100;       // text scale in percent
  int fontPoints = 12;   // the worksheet font's size, for the header and footer bands
};

// One printed page: the body columns of its strip and the body rows it prints, top down.
struct PrintedPage {
  uint32_t firstColumn = 0;
  uint32_t lastColumn = 0;
  std::vector<uint32_t> rows;
};

// The laid-out pages with the geometry the painter needs, all in logical units.
struct PageLayout {
  bool marginsTooLarge = false;  // usable width or height 0 or less: nothing prints
  int top = 0, left = 0, right = 0, bottom = 0;  // margins from the page's edges
  int lineHeight = 0;                            // H: the header and footer bands are 2 H each
  int usableWidth = 0;
  int usableHeight = 0;
  int scale = 100;
  std::vector<uint32_t> borderRows;     // repeated above the body of every page
  std::vector<uint32_t> borderColumns;  // repeated left of the strip on every row
  std::vector<PrintedPage> pages;

  // Scaled sizes of the current worksheet's columns and rows.
  int ColumnWidth(uint32_t column) const;
  int RowHeight(uint32_t row) const;
  // Where the body (border rows first) starts: top + 2 H.
  int BodyTop() const { return top + 2 * lineHeight; }
};

// The worksheet's print settings for `range` (margins, borders, scale; the font size of the
// settings).
PageSetup SheetPageSetup(const CellRange& range);
// The range "All" prints: columns and rows 0 to the last used ones; undefined for an empty sheet.
CellRange UsedPrintRange();
// The print range, else the used area (the batch tool's default).
CellRange DefaultPrintRange();
// The page of the batch tool: US Letter, swapped when the sheet prints landscape.
PageSize BatchPageSize();

// Lays out `setup.range` on pages of `page`. Margins are inches x 96, truncated; widths, heights
// and H = font points x 96 / 72 are scaled and truncated. A strip takes the border columns and
// then columns while the sum stays within the usable width, at least one; a page takes the
// border rows and then rows while the sum stays within the usable height (height less margins
// less 4 H), at least one. A row whose cell in the range's first column holds a label "|::"
// ends the page and is not printed (no empty page when the page has no row yet); any other
// label beginning with "|" hides its row unless the next character is "O" or "o". With the
// usable width or height 0 or less the layout is marked `marginsTooLarge` and has no pages.
// Reads the current worksheet; no state is changed.
PageLayout LayOutPages(const PageSetup& setup, PageSize page);

// What the header and footer codes stand for.
struct PrintCodeValues {
  int page = 1;
  std::string date;      // "#"-free texts: they are inserted as they are
  std::string time;
  std::string fileName;  // without its directory
};

// The parts of a header or footer: one part is centred; two are left and right; three are left,
// centre and right.
struct PrintTextParts {
  std::string left;
  std::string centre;
  std::string right;
  bool Empty() const { return left.empty() && centre.empty() && right.empty(); }
};

// Splits `text` at its first two "|" and replaces, in one left-to-right scan of each part, every
// "#" and "^P" by the page number, "@" and "^D" by the date, "^T" by the time and "^F" by the
// file name. Inserted texts are never scanned again.
PrintTextParts ExpandPrintCodes(std::string_view text, const PrintCodeValues& values);
// The values for page `page` now: today in date form 2 ("08-Dec-1996"), the time as "15:07:09"
// and the current worksheet's file name without its directory.
PrintCodeValues CurrentPrintCodeValues(int page);

// A text file name as the print dialog makes it: ".prn" added to a name without "." (".PRN" when
// the name's letters are all capitals).
std::string PrintFileName(std::string_view name);
// The lines `PrintRangeToText` writes for `range`: every row laid out as fixed-width text (each
// column pixel width / 8 + 2 characters) at its whole length, trailing blanks removed, each line
// ended by "\n" and encoded as the text export encodes.
std::string PrintRangeText(const CellRange& range);
// Writes them as the file `fileName` (replacing it; a failed write keeps the old file and
// reports "Unable to WRITE" with the error flag raised). An undefined range writes nothing and
// gives true.
bool PrintRangeToText(std::string_view fileName, const CellRange& range);

// The pages of `layout` as a PDF document of pages `page` (the batch tool's printer): each row as
// its fixed-width text, the header and footer of the current worksheet with their codes expanded
// page by page, the rules and the margin frame as its options say.
std::string PrintedPagesPdf(const PageLayout& layout, PageSize page);

// The batch tool's page listing: per page "page N columns A..K rows 1-3,5" (body columns and
// rows only), then "header L|C|R" and "footer L|C|R" when not empty, each line ended by "\n".
std::string PageListingText(const PageLayout& layout);
