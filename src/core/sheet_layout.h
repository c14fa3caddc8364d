// core/sheet_layout.h — column widths and row heights of a worksheet, in screen pixels.
//
// The grid draws with these tables and Undo saves them; they live in the engine so that commands
// and files can change them without a window.
#pragma once

#include <array>
#include <cstdint>

constexpr uint16_t kDefaultColumnWidth = 64;  // pixels
constexpr uint16_t kDefaultRowHeight = 15;    // pixels

// The default column width and row height new worksheets start with (the settings file sets them).
struct NewSheetLayout {
  uint16_t columnWidth = kDefaultColumnWidth;
  uint16_t rowHeight = kDefaultRowHeight;
};
inline NewSheetLayout& NewSheetLayoutDefaults() {
  static NewSheetLayout defaults;
  return defaults;
}

struct SheetLayout {
  uint16_t defaultWidth = kDefaultColumnWidth;
  uint16_t defaultHeight = kDefaultRowHeight;
  std::array<uint16_t, 256> columnWidth;
  std::array<uint16_t, 8192> rowHeight;
  SheetLayout() { Reset(); }
  void Reset() {
    columnWidth.fill(defaultWidth);
    rowHeight.fill(defaultHeight);
  }
};

// The layout of the current worksheet (a scratch layout when no sheet is current).
SheetLayout& CurrentLayout();
