// core/grid_geometry.h — the arithmetic of the worksheet grid: zoomed sizes, pages and their tab
// labels, the "x" fill count, label alignment codes and the split box.
//
// Plain functions with no state, so tests call them directly and printing can share them.
#pragma once

#include <cstdint>
#include <string>

// Zoom steps of the "Zoom" menu; the item captioned "1&30%" gives 125.
constexpr int kZoomSteps[] = {200, 150, 125, 100, 87, 75, 65, 50};

// Header items below this zoom use the small header face.
constexpr int kSmallHeaderZoom = 87;

// A header item's pixel size at `zoom` percent: (size x zoom + 50) div 100.
inline int ZoomedSize(int pixels, int zoom) { return (pixels * zoom + 50) / 100; }

// Rows per page when the sheet has `pages` pages (1..64); 8192 for a bad count.
int PageRows(int pages);
// The label of page `page` (0-based): "A" .. "Z", "AA" .. "BL".
std::string PageLabel(int page);
// The number the row header shows for `row`: numbering restarts on each page.
inline int RowHeaderNumber(int row, int pageRows) { return row % pageRows + 1; }

// Characters of a fill: (column width - 8) div (average character width), at least 1.
// `run240` is the pixel width of 240 copies of the character; the average is rounded.
int FillCount(int columnWidth, int run240);

// Alignment codes of the style byte and of label prefixes.
enum class Align : uint8_t {
  kDefault = 0,
  kLeft = 1,
  kRight = 2,
  kCentre = 3,
  kWrap = 4,
  kLeftDots = 5,
  kRightDots = 6,
};
// The alignment of a label prefix character; labels with no known prefix align left.
Align PrefixAlign(unsigned char prefix);

// Where a label prefix stored in an older form is rewritten: 0xAE reads as 0xAB, 0xAF as 0xBB.
inline unsigned char CanonicalPrefix(unsigned char prefix) {
  return prefix == 0xAE ? 0xAB : prefix == 0xAF ? 0xBB : prefix;
}

// The x where text of `textWidth` starts in a cell [left, right) for an alignment.
int TextStart(Align align, int left, int right, int textWidth);

// The split box: a 20 x 20 square in the window's bottom-right corner. A press 10..19 pixels
// above the bottom edge starts a horizontal split (panes above each other), a press in the
// lowest 10 pixels a vertical one.
constexpr int kSplitBox = 20;
enum class SplitDrag : uint8_t { kNone, kHorizontal, kVertical };
SplitDrag SplitBoxHit(int x, int y, int windowWidth, int windowHeight);

// The left column the column scroller's position gives: position x 255 / maximum, rounded.
int ScrollerColumn(int position, int maximum);
