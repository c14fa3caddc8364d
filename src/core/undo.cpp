// core/undo.cpp — the single-level Undo snapshot of the current worksheet.
//
// Before most commands the used area is copied into a chain of compact nodes hung on row-table
// slot 8192, with the column widths on slot 8193 and the row heights in four blocks on slots
// 8194..8197. Formula code is kept in its position-independent form so that it can be put back
// into freshly created records. A node is laid out as
//   next handle (4) | attribute bytes font..row (12) | kind (1) | payload
// where the payload is the length-prefixed text for kinds 0, 1 and 4 and 8 bytes otherwise.
// Reads and writes: the current sheet's row table and layout, UndoState (the enabled setting).
#include <cstring>

#include "core/cell_store.h"
#include "core/engine_layers.h"
#include "core/messages.h"
#include "core/sheet_state.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kNodeHeader = 17;  // next, attributes, kind
constexpr uint32_t kNodeAttributes = 4;
constexpr uint32_t kNodeKind = 16;
constexpr uint32_t kValueBytes = 8;
constexpr uint32_t kWidthBytes = 512;
constexpr uint32_t kHeightBlockBytes = 4096;
constexpr int kHeightBlocks = 4;
constexpr uint32_t kRowsPerHeightBlock = kHeightBlockBytes / 2;
constexpr char kOutOfUndoMemory[] = "Out of UNDO memory!";

struct UndoState {
  bool enabled = true;
};

UndoState& TheUndoState() {
  static UndoState state;
  return state;
}

enum class SaveResult : uint8_t { kOk, kNoMemory, kNotConvertible };

bool HasTextPayload(uint8_t kind) {
  uint8_t k = kind & kKindMask;
  return k == uint8_t(CellKind::kStringFormula) || k == uint8_t(CellKind::kFormula) ||
         k == uint8_t(CellKind::kLabel);
}

uint32_t NodeSize(const uint8_t* node) {
  return kNodeHeader + (HasTextPayload(node[kNodeKind]) ? node[kNodeHeader] + 1u : kValueBytes);
}

PoolHandle NodeNext(const uint8_t* node) {
  PoolHandle next;
  std::memcpy(&next, node, 4);
  return next;
}

PoolHandle SaveWords(const uint16_t* words, uint32_t count) {
  PoolHandle block = PoolAlloc(count * 2);
  if (!block) return 0;
  uint8_t* p = PoolPtr(block);
  for (uint32_t i = 0; i < count; ++i) {
    p[2 * i] = uint8_t(words[i]);
    p[2 * i + 1] = uint8_t(words[i] >> 8);
  }
  return block;
}

void LoadWords(PoolHandle block, uint16_t* words, uint32_t count) {
  if (!block) return;
  const uint8_t* p = PoolPtr(block);
  for (uint32_t i = 0; i < count; ++i) words[i] = uint16_t(p[2 * i] | (p[2 * i + 1] << 8));
}

bool SaveLayout() {
  SheetLayout& layout = CurrentLayout();
  PoolHandle widths = SaveWords(layout.columnWidth.data(), kColumnCount);
  if (!widths) return false;
  SetRowHead(kUndoWidthSlot, widths);
  for (int i = 0; i < kHeightBlocks; ++i) {
    PoolHandle heights =
        SaveWords(layout.rowHeight.data() + i * kRowsPerHeightBlock, kRowsPerHeightBlock);
    if (!heights) return false;
    SetRowHead(kUndoHeightSlot + i, heights);
  }
  return true;
}

// The payload text of a cell: formula code in its position-independent form, or the label.
SaveResult PayloadText(const CellRecord* c, uint8_t* out) {
  out[0] = 0;
  if (!c->text) return SaveResult::kOk;
  const uint8_t* text = PoolPtr(c->text);
  bool formula = KindIsFormula(c->kind & kKindMask);
  bool alreadyFileForm = c->kind & kKindFileForm;
  if (formula && !alreadyFileForm) {
    if (!TheEngineLayers().CodeToFileForm(text, c->row, c->column, out)) {
      return SaveResult::kNotConvertible;
    }
    if (out[0] > kMaxCellText) out[0] = kMaxCellText;
  } else {
    std::memcpy(out, text, text[0] + 1u);
  }
  return SaveResult::kOk;
}

// Every cell of every row goes into the snapshot: restoring clears the whole store, so a cell
// left out (above the first used row of a loaded file, or beyond an extent set from a file)
// would be lost by Undo.
SaveResult SaveCells() {
  PoolHandle tail = 0;
  uint8_t text[256];
  for (int row = 0; row < kRowCount; ++row) {
    for (CellHandle cell = RowHead(row); cell; cell = CellAt(cell)->next) {
      const CellRecord* c = CellAt(cell);
      bool hasText = HasTextPayload(c->kind);
      if (hasText) {
        SaveResult r = PayloadText(c, text);
        if (r != SaveResult::kOk) return r;
      }
      uint32_t payload = hasText ? text[0] + 1u : kValueBytes;
      PoolHandle node = PoolAlloc(kNodeHeader + payload);
      if (!node) return SaveResult::kNoMemory;
      uint8_t* p = PoolPtr(node);
      std::memset(p, 0, 4);
      std::memcpy(p + kNodeAttributes, &c->font, kCellAttributeSize);
      p[kNodeKind] = c->kind;
      std::memcpy(p + kNodeHeader, hasText ? text : c->value, payload);
      if (tail) {
        std::memcpy(PoolPtr(tail), &node, 4);
      } else {
        SetRowHead(kUndoSlot, node);
      }
      tail = node;
    }
  }
  return SaveResult::kOk;
}

// Rebuilds one cell from its node. Gives false when the pool cannot hold it.
bool RestoreNode(const uint8_t* p) {
  const uint8_t* attributes = p + kNodeAttributes;
  uint8_t column = attributes[offsetof(CellRecord, column) - kCellAttributeOffset];
  size_t rowAt = offsetof(CellRecord, row) - kCellAttributeOffset;
  uint16_t row = uint16_t(attributes[rowAt] | (attributes[rowAt + 1] << 8));
  CellHandle cell = GetOrCreateCell(row, column);
  if (!cell) return false;
  CellRecord* c = CellAt(cell);
  FreeCellText(c);
  std::memcpy(&c->font, attributes, kCellAttributeSize);
  uint8_t kind = p[kNodeKind] & uint8_t(~(kKindVisited | kKindQueued));
  uint8_t low = kind & kKindMask;
  if (low == uint8_t(CellKind::kNumber) || low == uint8_t(CellKind::kInteger)) {
    std::memcpy(c->value, p + kNodeHeader, kValueBytes);
  }
  if (HasTextPayload(kind)) {
    uint8_t text[256];
    std::memcpy(text, p + kNodeHeader, p[kNodeHeader] + 1u);
    bool formula = low <= uint8_t(CellKind::kFormula);
    if (formula && text[0] != 0) {
      // Code that cannot be placed stays in file form and is marked so.
      if (TheEngineLayers().CodeToCellForm(text, row, column)) {
        kind &= uint8_t(~kKindFileForm);
      } else {
        kind |= kKindFileForm;
      }
    }
    if (!SetCellTextBytes(c, text)) return false;
  }
  c->kind = kind;
  if (low <= uint8_t(CellKind::kFormula)) TheEngineLayers().LinkFormula(cell);
  return true;
}

void FreeLayoutBlocks() {
  PoolFree(RowHead(kUndoWidthSlot), kWidthBytes);
  SetRowHead(kUndoWidthSlot, 0);
  for (int i = 0; i < kHeightBlocks; ++i) {
    PoolFree(RowHead(kUndoHeightSlot + i), kHeightBlockBytes);
    SetRowHead(kUndoHeightSlot + i, 0);
  }
}

}  // namespace

bool UndoEnabled() { return TheUndoState().enabled; }

void SetUndoEnabled(bool enabled) { TheUndoState().enabled = enabled; }

bool HasUndo() { return RowHead(kUndoWidthSlot) != 0 || RowHead(kUndoSlot) != 0; }

void DropUndo() {
  PoolHandle node = RowHead(kUndoSlot);
  SetRowHead(kUndoSlot, 0);
  while (node) {
    const uint8_t* p = PoolPtr(node);
    PoolHandle next = NodeNext(p);
    PoolFree(node, NodeSize(p));
    node = next;
  }
  FreeLayoutBlocks();
}

void SaveUndo() {
  DropUndo();
  if (!TheUndoState().enabled || !CurrentSheet().rowTable) return;
  SaveResult result = SaveLayout() ? SaveCells() : SaveResult::kNoMemory;
  if (result == SaveResult::kOk) return;
  // A partial snapshot would undo only part of the command: the command goes on without one.
  DropUndo();
  if (result == SaveResult::kNoMemory) {
    PoolClearOutOfMemory();
    ShowError(kOutOfUndoMemory);
  }
}

bool RestoreUndo() {
  Platform& platform = ThePlatform();
  platform.WaitCursor(true);
  if (!HasUndo()) {
    platform.WaitCursor(false);
    return false;
  }
  ClearAllCells();
  SheetLayout& layout = CurrentLayout();
  LoadWords(RowHead(kUndoWidthSlot), layout.columnWidth.data(), kColumnCount);
  for (int i = 0; i < kHeightBlocks; ++i) {
    LoadWords(RowHead(kUndoHeightSlot + i), layout.rowHeight.data() + i * kRowsPerHeightBlock,
              kRowsPerHeightBlock);
  }
  FreeLayoutBlocks();

  PoolHandle node = RowHead(kUndoSlot);
  SetRowHead(kUndoSlot, 0);
  bool failed = false;
  while (node) {
    const uint8_t* p = PoolPtr(node);
    PoolHandle next = NodeNext(p);
    if (!failed && !RestoreNode(p)) failed = true;
    PoolFree(node, NodeSize(p));
    node = next;
  }
  if (failed) ShowError(kOutOfUndoMemory);
  TheEngineLayers().Recalculate();
  platform.Repaint();
  platform.WaitCursor(false);
  return true;
}
