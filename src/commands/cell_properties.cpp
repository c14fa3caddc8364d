// commands/cell_properties.cpp — the Properties dialog's attribute groups and the width and
// height commands over ranges.
//
// Reads and writes: the current worksheet's cell records and layout (core/sheet_layout.h); the
// undo journal.
#include "commands/cell_properties.h"

#include <algorithm>
#include <string>

#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"

namespace {

constexpr uint8_t kTypefaceStyleBits = kStyleBold | kStyleItalic | kStyleUnderline;
// A size of 255 is the default size of the column or row.
constexpr int kDefaultSizeCode = 255;
constexpr int kMaxSize = 254;

void ApplyGroups(CellRecord* c, const CellProperties& p, uint8_t border) {
  if (p.groups & kPropertyFormat) {
    c->format = uint8_t((c->format & kFormatProtected) | (p.format & ~kFormatProtected));
  }
  if (p.groups & kPropertyShade) {
    if (!p.noShade) {
      c->shade[0] = p.shade[0];
      c->shade[1] = p.shade[1];
      c->shade[2] = p.shade[2];
    }
    c->colour = uint8_t((c->colour & ~kColourNoShade) | (p.noShade ? kColourNoShade : 0));
  }
  if (p.groups & kPropertyTypeface) {
    c->font = p.font;
    c->size = p.size;
    c->style = uint8_t((c->style & ~kTypefaceStyleBits) | (p.style & kTypefaceStyleBits));
    const uint8_t colour = p.textColour == kAutomaticTextColour
                               ? kColourAutomaticText
                               : uint8_t(p.textColour & kColourIndexMask);
    c->colour = uint8_t((c->colour & ~(kColourIndexMask | kColourAutomaticText)) | colour);
  }
  if (p.groups & kPropertyPrefix) {
    c->style = uint8_t((c->style & ~kStyleAlignmentMask) | (p.alignment << kStyleAlignmentShift));
  }
  if (p.groups & kPropertyLock) {
    c->format = uint8_t(p.locked ? (c->format | kFormatProtected) : (c->format & ~kFormatProtected));
  }
  if (p.groups & kPropertyBorder) c->borders = border;
}

// Gives a label the prefix character of `alignment`; false when the pool is exhausted.
bool SetLabelPrefixCharacter(CellRecord* c, int alignment) {
  std::string text = PoolText(c->text);
  const char prefix = AlignmentPrefix(alignment);
  if (!text.empty() && IsLabelPrefix(static_cast<unsigned char>(text[0]))) {
    if (text[0] == prefix) return true;
    text[0] = prefix;
  } else {
    text.insert(text.begin(), prefix);
  }
  return SetCellText(c, text);
}

// Notes and sets one column's width or one row's height.
void SetSize(bool columns, uint32_t index, uint16_t pixels) {
  SheetLayout& layout = CurrentLayout();
  uint16_t& slot = columns ? layout.columnWidth[index] : layout.rowHeight[index];
  if (slot == pixels) return;
  if (columns) {
    NoteColumnWidth(index);
  } else {
    NoteRowHeight(index);
  }
  slot = pixels;
}

// Notes the layout's two defaults for Undo.
void NoteLayoutDefaults() {
  SheetLayout& layout = CurrentLayout();
  NoteSheetState(&layout.defaultWidth, 2 * sizeof(uint16_t), [] {
    const SheetLayout& now = CurrentLayout();
    const uint16_t width = now.defaultWidth;
    const uint16_t height = now.defaultHeight;
    return UndoRestore([width, height] {
      CurrentLayout().defaultWidth = width;
      CurrentLayout().defaultHeight = height;
    });
  });
}

CommandResult SetSizes(bool columns, const CellRange& range, const SizeRequest& request) {
  if (request.size < 0 || request.size > kDefaultSizeCode || request.skip < 0) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  if (!request.global && !RangeIsValid(range)) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange r = OrderedRange(range);
  CommandSteps steps;
  steps.recalculate = false;
  return RunCommand(steps, [&]() -> CommandResult {
    SheetLayout& layout = CurrentLayout();
    const bool reset = request.reset || request.size == kDefaultSizeCode;
    const int scale = columns ? 8 : 1;
    if (request.global) {
      if (reset) return CommandResult{};
      const uint16_t pixels = uint16_t(std::min(request.size, kMaxSize) * scale);
      uint16_t& fallback = columns ? layout.defaultWidth : layout.defaultHeight;
      const uint16_t old = fallback;
      NoteLayoutDefaults();
      fallback = pixels;
      // Columns (rows) of the default size keep following it.
      const uint32_t count = columns ? uint32_t(kColumnCount) : uint32_t(kRowCount);
      for (uint32_t i = 0; i < count; ++i) {
        const uint16_t now = columns ? layout.columnWidth[i] : layout.rowHeight[i];
        if (now == old) SetSize(columns, i, pixels);
      }
      return CommandResult{};
    }
    const uint16_t fallback = columns ? layout.defaultWidth : layout.defaultHeight;
    const uint16_t pixels = reset ? fallback : uint16_t(request.size * scale);
    const uint32_t first = columns ? r.firstColumn : r.firstRow;
    const uint32_t last = columns ? r.lastColumn : r.lastRow;
    const uint32_t step = uint32_t(request.skip) + 1;
    for (uint32_t i = first; i <= last; ++i) {
      if (i % step == 0) SetSize(columns, i, pixels);
    }
    return CommandResult{};
  });
}

}  // namespace

uint8_t BorderEdgeMask(const CellRange& range, uint32_t row, uint32_t column) {
  uint8_t mask = 0;
  if (column == range.firstColumn) mask |= 0x03;
  if (row == range.lastRow) mask |= 0x0C;
  if (column == range.lastColumn) mask |= 0x30;
  if (row == range.firstRow) mask |= 0xC0;
  return mask;
}

uint8_t BorderByte(BorderLine line, BorderEdges edges, uint8_t edgeMask) {
  const uint8_t pattern = line == BorderLine::kSingle ? 0x55 : line == BorderLine::kThick ? 0xAA : 0;
  uint8_t mask = 0;
  switch (edges) {
    case BorderEdges::kOut: mask = edgeMask; break;
    case BorderEdges::kIn: mask = uint8_t(~edgeMask); break;
    case BorderEdges::kAll: mask = 0xFF; break;
    case BorderEdges::kClear: mask = 0; break;
  }
  return uint8_t(pattern & mask);
}

CommandResult ApplyCellProperties(const CellRange& range, const CellProperties& properties) {
  if (!RangeIsValid(range)) return CommandResult{CommandStatus::kFailed, {}};
  if ((properties.groups & kPropertyPrefix) &&
      (properties.alignment < 1 || properties.alignment > 6)) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  if (properties.groups == 0) return CommandResult{};
  const CellRange r = OrderedRange(range);
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    const bool done = ChangeUnprotectedCells(r, [&](CellRecord* c, uint32_t row, uint32_t column) {
      const uint8_t border = BorderByte(properties.borderLine, properties.borderEdges,
                                        BorderEdgeMask(r, row, column));
      ApplyGroups(c, properties, border);
      return !(properties.groups & kPropertyPrefix) || !KindIsLabel(c->kind) ||
             SetLabelPrefixCharacter(c, properties.alignment);
    });
    return done ? CommandResult{} : CommandResult{CommandStatus::kFailed, {}};
  });
}

CommandResult SetColumnWidths(const CellRange& range, const SizeRequest& request) {
  return SetSizes(true, range, request);
}

CommandResult SetRowHeights(const CellRange& range, const SizeRequest& request) {
  return SetSizes(false, range, request);
}
