// core/undo.cpp — the undo journal of each worksheet: groups of before-images, Undo and Redo.
//
// A user action opens a group (SaveUndo). While it is open, the first time the action touches a
// cell position the cell store records that position's before-image: "no cell" for a cell the
// action creates, else the cell's attribute bytes, kind and contents (formula code in its
// position-independent file form, so that it can be put back into a fresh record). Column
// widths, row heights, the range names and the options record are recorded the first time the
// action changes them, and the extent when the group opens. Undo applies the newest group: it
// first records the present state of every position the group holds into a counter-group, then
// puts the before-images back, relinks the formulas and recalculates from the restored cells;
// the counter-group goes to the redo list, and Redo applies it the same way back. A new change
// clears the redo list. Groups live outside the cell pool, bounded by a byte budget (64 MiB by
// default, a setting) from which the oldest groups are dropped first; a single action larger
// than the budget leaves no Undo at all ("Out of UNDO memory!").
//
// Insertion and deletion of rows and columns are not followed cell by cell: the group records
// the shift itself, between the images noted before it (in the old positions) and those noted
// after it (in the new ones), and Undo applies them in reverse: the later images, the inverse
// shift, the earlier images. What the shift destroys or rewrites is noted as images before it.
//
// An image in a group's byte string is laid out as
//   tag (1: 0 no cell, 1 a cell) | row (2) | column (1) | then, for a cell:
//   attribute bytes font..format (9) | kind (1) | payload
// where the payload is, by the kind's low bits: 0 the code and the string result, 1 the code and
// the 8-byte value, 2, 3, 6, 7 the 8-byte value, 4 the label text, 5 nothing; code and texts are
// length-prefixed. A shift is
//   tag (2) | flags (1: bit 0 rows, bit 1 insert) | first (2) | count (2) | page end (2).
// Reads and writes: UndoState (the journals by row table, the group being recorded, the enabled
// switch and the budget); the current sheet's cells, layout, names, options and extent.
#include <algorithm>
#include <bitset>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/cell_store.h"
#include "core/engine_layers.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_state.h"
#include "core/worksheets.h"
#include "platform/platform.h"

namespace {

constexpr char kOutOfUndoMemory[] = "Out of UNDO memory!";
constexpr uint64_t kDefaultUndoBudget = uint64_t(64) << 20;
constexpr size_t kGroupOverhead = 128;  // bookkeeping counted for each group
constexpr uint8_t kNoCell = 0;
constexpr uint8_t kCell = 1;
constexpr uint8_t kShift = 2;
constexpr size_t kAttributeBytes = offsetof(CellRecord, column) - offsetof(CellRecord, font);
constexpr uint32_t kPositions = uint32_t(kRowCount) * uint32_t(kColumnCount);

// A piece of state noted with NoteSheetState: how to read it again, and how to put it back as it
// was when the group first noted it.
struct StateImage {
  const void* key = nullptr;
  size_t bytes = 0;
  UndoCapture capture;
  UndoRestore restore;
};

struct UndoGroup {
  std::vector<uint8_t> cells;                           // images in the order first touched
  std::vector<std::pair<uint16_t, uint16_t>> widths;    // column, pixels before
  std::vector<std::pair<uint16_t, uint16_t>> heights;   // row, pixels before
  bool hasNames = false;
  std::vector<std::pair<std::string, CellRange>> names;  // the whole table before
  std::unique_ptr<GlobalOptions> options;                // the record before
  std::vector<StateImage> states;                        // other state, in the order noted
  bool wholeSheet = false;  // holds every cell of the sheet: Undo rebuilds the sheet from it
  bool shifted = false;     // `cells` holds a shift
  bool extentOnly = false;  // the action changed nothing but the extent
  uint16_t lastRow = 0;
  uint16_t lastColumn = 0;

  bool Empty() const {
    return cells.empty() && widths.empty() && heights.empty() && !hasNames && !options &&
           states.empty() && !wholeSheet && !extentOnly;
  }
  size_t Bytes() const {
    size_t n = kGroupOverhead + cells.capacity() + 4 * (widths.capacity() + heights.capacity());
    for (const auto& [name, range] : names) n += sizeof(CellRange) + 32 + name.capacity();
    if (options) n += sizeof(GlobalOptions);
    for (const StateImage& state : states) n += sizeof(StateImage) + state.bytes;
    return n;
  }
};

struct Journal {
  std::deque<UndoGroup> undo;   // oldest first
  std::vector<UndoGroup> redo;  // newest last
  size_t bytes = 0;             // of the groups on both lists
};

struct UndoState {
  bool enabled = true;
  uint64_t budget = kDefaultUndoBudget;
  std::unordered_map<const PoolHandle*, Journal> journals;  // by the sheet's row table

  // The group being recorded, and for which sheet.
  bool recording = false;
  const PoolHandle* table = nullptr;
  bool userChange = true;  // a change by the user (clears Redo), not an Undo or Redo applied
  bool changed = false;    // something was recorded
  UndoGroup group;
  std::vector<uint64_t> touched;  // one bit per grid position, set while the group records it
  std::vector<uint32_t> touchedList;
  std::bitset<256> widthTouched;
  std::bitset<8192> heightTouched;
};

UndoState& TheUndoState() {
  static UndoState* state = new UndoState();
  return *state;
}

uint32_t Position(uint32_t row, uint32_t column) { return row * uint32_t(kColumnCount) + column; }

Journal* CurrentJournal() {
  const PoolHandle* table = CurrentSheet().rowTable;
  if (!table) return nullptr;
  return &TheUndoState().journals[table];
}

// Whether a change of the current sheet is to be recorded now.
bool Recording() {
  const UndoState& st = TheUndoState();
  return st.recording && st.table == CurrentSheet().rowTable && st.table != nullptr;
}

void DropJournal(Journal& j) {
  j.undo.clear();
  j.redo.clear();
  j.bytes = 0;
}

// Forgets which positions the group holds: after a shift a position is another cell.
void ForgetTouched() {
  UndoState& st = TheUndoState();
  for (uint32_t p : st.touchedList) st.touched[p >> 6] &= ~(uint64_t(1) << (p & 63));
  st.touchedList.clear();
}

// Forgets the group being recorded (its positions are no longer marked).
void EndRecording() {
  UndoState& st = TheUndoState();
  ForgetTouched();
  st.widthTouched.reset();
  st.heightTouched.reset();
  st.group = UndoGroup{};
  st.recording = false;
  st.table = nullptr;
  st.changed = false;
}

// The action is too large for the budget (or memory ran out): no Undo for it nor for what came
// before it.
void Overflow() {
  UndoState& st = TheUndoState();
  const bool user = st.userChange;
  if (st.table) DropJournal(st.journals[st.table]);
  EndRecording();
  if (user) ShowError(kOutOfUndoMemory);
}

// Keeps the journal of the current sheet and the group being recorded within the budget by
// dropping the oldest groups. Gives false when the group alone is too large.
bool WithinBudget() {
  UndoState& st = TheUndoState();
  if (!st.table) return false;
  Journal* j = &st.journals[st.table];
  const size_t groupBytes = st.group.Bytes();
  while (!j->undo.empty() && j->bytes + groupBytes > st.budget) {
    j->bytes -= j->undo.front().Bytes();
    j->undo.pop_front();
  }
  while (!j->redo.empty() && j->bytes + groupBytes > st.budget) {
    j->bytes -= j->redo.front().Bytes();
    j->redo.erase(j->redo.begin());
  }
  return j->bytes + groupBytes <= st.budget;
}

// Marks that something is recorded; a user change clears the redo list.
void FirstChange() {
  UndoState& st = TheUndoState();
  if (st.changed) return;
  st.changed = true;
  if (st.userChange && st.table) {
    Journal& j = st.journals[st.table];
    for (const UndoGroup& g : j.redo) j.bytes -= g.Bytes();
    j.redo.clear();
  }
}

void PutWord(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

bool HasCode(uint8_t kind) { return (kind & kKindMask) <= uint8_t(CellKind::kFormula); }

// Appends the image of the cell at (row, column), `cell` being its record or 0. Gives false when
// its formula code cannot be put into file form.
bool AppendImage(std::vector<uint8_t>& out, uint32_t row, uint32_t column, CellHandle cell) {
  out.push_back(cell ? kCell : kNoCell);
  PutWord(out, uint16_t(row));
  out.push_back(uint8_t(column));
  if (!cell) return true;
  const CellRecord* c = CellAt(cell);
  const uint8_t* attributes = &c->font;
  out.insert(out.end(), attributes, attributes + kAttributeBytes);
  const uint8_t kind = c->kind & uint8_t(~(kKindVisited | kKindQueued));
  out.push_back(kind);
  const uint8_t low = kind & kKindMask;
  if (HasCode(kind)) {
    uint8_t code[256] = {};
    if (c->text) {
      const uint8_t* text = PoolPtr(c->text);
      if (kind & kKindFileForm) {
        std::memcpy(code, text, text[0] + 1u);
      } else if (!TheEngineLayers().CodeToFileForm(text, c->row, c->column, code)) {
        return false;
      }
      if (code[0] > kMaxCellText) code[0] = kMaxCellText;
    }
    out.insert(out.end(), code, code + code[0] + 1);
  }
  if (low == uint8_t(CellKind::kStringFormula)) {
    const PoolHandle result = CellStringResult(c);
    const uint8_t* text = PoolPtr(result);
    if (text) {
      out.insert(out.end(), text, text + text[0] + 1);
    } else {
      out.push_back(0);
    }
  } else if (low == uint8_t(CellKind::kLabel)) {
    const uint8_t* text = PoolPtr(c->text);
    if (text) {
      out.insert(out.end(), text, text + text[0] + 1);
    } else {
      out.push_back(0);
    }
  } else if (low != uint8_t(CellKind::kBlank)) {
    out.insert(out.end(), c->value, c->value + 8);
  }
  return true;
}

// Records the image of the position unless the group holds it already.
void Record(uint32_t row, uint32_t column, CellHandle cell) {
  UndoState& st = TheUndoState();
  if (!Recording() || row >= uint32_t(kRowCount) || column >= uint32_t(kColumnCount)) return;
  const uint32_t p = Position(row, column);
  uint64_t& word = st.touched[p >> 6];
  const uint64_t bit = uint64_t(1) << (p & 63);
  if (word & bit) return;
  try {
    FirstChange();
    word |= bit;
    st.touchedList.push_back(p);
    if (!AppendImage(st.group.cells, row, column, cell)) {
      // Code that cannot be put into file form cannot be put back either: no Undo.
      DropJournal(st.journals[st.table]);
      EndRecording();
      return;
    }
  } catch (const std::bad_alloc&) {
    Overflow();
    return;
  }
  if ((st.touchedList.size() & 1023) == 0 && !WithinBudget()) Overflow();
}

// One image read back from a group.
struct Image {
  bool shift = false;  // a shift (below) rather than an image
  CellShift cellShift;
  bool present = false;
  uint16_t row = 0;
  uint8_t column = 0;
  const uint8_t* attributes = nullptr;
  uint8_t kind = 0;
  const uint8_t* code = nullptr;    // length-prefixed, kinds 0 and 1
  const uint8_t* text = nullptr;    // length-prefixed: label or string result
  const uint8_t* value = nullptr;   // 8 bytes
};

// Reads the image at `at` and advances it.
Image ReadImage(const std::vector<uint8_t>& bytes, size_t* at) {
  const uint8_t* p = bytes.data() + *at;
  Image im;
  if (p[0] == kShift) {
    im.shift = true;
    im.cellShift.rows = (p[1] & 1) != 0;
    im.cellShift.insert = (p[1] & 2) != 0;
    im.cellShift.first = uint16_t(p[2] | (p[3] << 8));
    im.cellShift.count = uint16_t(p[4] | (p[5] << 8));
    im.cellShift.pageEnd = uint16_t(p[6] | (p[7] << 8));
    *at += 8;
    return im;
  }
  im.present = p[0] == kCell;
  im.row = uint16_t(p[1] | (p[2] << 8));
  im.column = p[3];
  p += 4;
  if (im.present) {
    im.attributes = p;
    p += kAttributeBytes;
    im.kind = *p++;
    const uint8_t low = im.kind & kKindMask;
    if (HasCode(im.kind)) {
      im.code = p;
      p += p[0] + 1;
    }
    if (low == uint8_t(CellKind::kStringFormula) || low == uint8_t(CellKind::kLabel)) {
      im.text = p;
      p += p[0] + 1;
    } else if (low != uint8_t(CellKind::kBlank)) {
      im.value = p;
      p += 8;
    }
  }
  *at = size_t(p - bytes.data());
  return im;
}

// Frees what a cell holds besides its attributes.
void DropContents(CellRecord* c) {
  if ((c->kind & kKindMask) == uint8_t(CellKind::kStringFormula)) {
    const PoolHandle result = CellStringResult(c);
    if (result) PoolFree(result, PoolTextSize(result));
  }
  FreeCellText(c);
  std::memset(c->value, 0, sizeof c->value);
}

// Puts one image back. Gives the cell that is there afterwards, or 0 (none, or no memory:
// `*failed` set); a record it frees is given in `*freed`.
CellHandle PutBack(const Image& im, bool* failed, CellHandle* freed) {
  *freed = 0;
  if (!im.present) {
    const CellHandle h = GetCell(im.row, im.column);
    if (!h) return 0;
    CellRecord* c = CellAt(h);
    if (c->dependents) {
      // Formulas still refer to it: it stays as a placeholder.
      DropContents(c);
      std::memcpy(&c->font, &BlankCellTemplate().font, kAttributeBytes);
      c->kind = uint8_t(CellKind::kBlank);
      return h;
    }
    UnlinkCell(h, FoundPredecessor(), im.row);
    FreeCellRecord(h);
    *freed = h;
    return 0;
  }
  const CellHandle h = GetOrCreateCell(im.row, im.column);
  if (!h) {
    *failed = true;
    return 0;
  }
  CellRecord* c = CellAt(h);
  DropContents(c);
  std::memcpy(&c->font, im.attributes, kAttributeBytes);
  uint8_t kind = im.kind;
  const uint8_t low = kind & kKindMask;
  c->kind = uint8_t(CellKind::kBlank);
  if (im.code && im.code[0] != 0) {
    uint8_t code[256];
    std::memcpy(code, im.code, im.code[0] + 1u);
    if (!(kind & kKindFileForm) && !TheEngineLayers().CodeToCellForm(code, im.row, im.column)) {
      kind |= kKindFileForm;  // code that cannot be placed stays in file form
    }
    if (!SetCellTextBytes(c, code)) *failed = true;
  }
  if (low == uint8_t(CellKind::kLabel) && im.text && im.text[0] != 0) {
    if (!SetCellTextBytes(c, im.text)) *failed = true;
  } else if (low == uint8_t(CellKind::kStringFormula) && im.text) {
    const PoolHandle result = PoolAlloc(im.text[0] + 1u);
    if (result) {
      std::memcpy(PoolPtr(result), im.text, im.text[0] + 1u);
      SetCellStringResult(c, result);
    } else {
      *failed = true;
    }
  } else if (im.value) {
    std::memcpy(c->value, im.value, 8);
  }
  c->kind = kind;
  return h;
}

// Applies `g` to the current sheet and gives the group that takes it back.
UndoGroup Apply(const UndoGroup& g) {
  UndoState& st = TheUndoState();
  SheetState& sheet = CurrentSheet();
  SheetLayout& layout = CurrentLayout();

  // The present state of everything the group holds goes into the counter-group.
  EndRecording();
  if (st.touched.empty()) st.touched.assign(kPositions / 64, 0);
  st.recording = true;
  st.table = sheet.rowTable;
  st.userChange = false;
  st.group.lastRow = sheet.lastRow;
  st.group.lastColumn = sheet.lastColumn;
  if (g.wholeSheet) NoteWholeSheet();
  // The images between two shifts, each part with the shift that opens it.
  struct Part {
    bool shifted = false;
    CellShift shift;
    std::vector<Image> images;
  };
  std::vector<Part> parts(1);
  for (size_t at = 0; at < g.cells.size();) {
    const Image im = ReadImage(g.cells, &at);
    if (im.shift) {
      parts.emplace_back();
      parts.back().shifted = true;
      parts.back().shift = im.cellShift;
    } else {
      parts.back().images.push_back(im);
    }
  }
  for (const auto& [column, pixels] : g.widths) NoteColumnWidth(column);
  for (const auto& [row, pixels] : g.heights) NoteRowHeight(row);
  if (g.hasNames) NoteNames();
  if (g.options) NoteOptions();
  for (const StateImage& state : g.states) NoteSheetState(state.key, state.bytes, state.capture);

  // A whole-sheet group takes every formula out and frees every cell: its images are the
  // complete sheet (and it holds no shift).
  if (g.wholeSheet) {
    for (int row = 0; row < kRowCount; ++row) {
      for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
        const uint8_t kind = CellAt(h)->kind;
        if (HasCode(kind) && !(kind & kKindFileForm)) TheEngineLayers().UnlinkFormula(h);
      }
    }
    FreeAllCells();
  }
  bool failed = false;
  std::vector<CellHandle> restored;
  for (size_t k = parts.size(); k-- > 0;) {
    const std::vector<Image>& images = parts[k].images;
    // The present state goes into the counter-group; formulas about to change leave the
    // dependents lists first.
    for (const Image& im : images) Record(im.row, im.column, GetCell(im.row, im.column));
    for (const Image& im : images) {
      const CellHandle h = GetCell(im.row, im.column);
      if (h && HasCode(CellAt(h)->kind) && !(CellAt(h)->kind & kKindFileForm)) {
        TheEngineLayers().UnlinkFormula(h);
      }
    }
    const size_t from = restored.size();
    std::unordered_set<CellHandle> freed;  // records of earlier parts may go
    for (const Image& im : images) {
      CellHandle gone = 0;
      if (const CellHandle h = PutBack(im, &failed, &gone)) restored.push_back(h);
      if (gone && from > 0) freed.insert(gone);
    }
    if (!freed.empty()) {
      const auto earlier = restored.begin() + std::ptrdiff_t(from);
      const auto kept = std::remove_if(restored.begin(), earlier,
                                       [&freed](CellHandle h) { return freed.count(h) != 0; });
      restored.erase(kept, earlier);
    }
    for (size_t i = from; i < restored.size(); ++i) {
      const uint8_t kind = CellAt(restored[i])->kind;
      if (HasCode(kind) && !(kind & kKindFileForm)) TheEngineLayers().LinkFormula(restored[i]);
    }
    if (parts[k].shifted) {
      // Back over the shift; it records itself in the counter-group.
      std::vector<CellHandle> relinked, destroyed;
      TheEngineLayers().ShiftCells(InverseShift(parts[k].shift), &relinked, &destroyed);
      if (!destroyed.empty()) {
        const std::unordered_set<CellHandle> gone(destroyed.begin(), destroyed.end());
        std::erase_if(restored, [&gone](CellHandle h) { return gone.count(h) != 0; });
      }
      restored.insert(restored.end(), relinked.begin(), relinked.end());
    }
  }

  for (const auto& [column, pixels] : g.widths) layout.columnWidth[column] = pixels;
  for (const auto& [row, pixels] : g.heights) layout.rowHeight[row] = pixels;
  if (g.hasNames) {
    while (NameCount() > 0) DeleteName(NameAt(1));
    for (const auto& [name, range] : g.names) DefineName(name, range);
  }
  if (g.options) {
    // Protection is never undone: Undo must not open a sheet that was protected since.
    const bool protection = sheet.options.protection();
    sheet.options = *g.options;
    sheet.options.setProtection(protection);
    StoreOptions(CurrentWorksheet());
  }
  for (const StateImage& state : g.states) state.restore();
  sheet.lastRow = g.lastRow;
  sheet.lastColumn = g.lastColumn;
  SetSheetModified(true);
  if (failed) {
    PoolClearOutOfMemory();
    ShowError(kOutOfUndoMemory);
  }

  if (!sheet.options.manualRecalc() && !restored.empty()) {
    TheEngineLayers().RecalculateCells(restored.data(), restored.size());
  }
  UndoGroup counter = std::move(st.group);
  counter.extentOnly = g.extentOnly;  // its extent is all it takes back
  EndRecording();
  return counter;
}

// Closes the group being recorded: kept when it holds anything, within the budget.
void CloseGroup() {
  UndoState& st = TheUndoState();
  if (!st.recording) return;
  if (!st.changed && Recording() &&
      (LastRow() != st.group.lastRow || LastColumn() != st.group.lastColumn)) {
    FirstChange();
    st.group.extentOnly = true;
  }
  if (st.table && st.changed && !st.group.Empty()) {
    if (!WithinBudget()) {
      Overflow();
      return;
    }
    Journal& j = st.journals[st.table];
    st.group.cells.shrink_to_fit();
    j.bytes += st.group.Bytes();
    j.undo.push_back(std::move(st.group));
  }
  EndRecording();
}

}  // namespace

bool UndoEnabled() { return TheUndoState().enabled; }

void SetUndoEnabled(bool enabled) {
  TheUndoState().enabled = enabled;
  if (!enabled) {
    EndRecording();
    for (auto& [table, j] : TheUndoState().journals) DropJournal(j);
  }
}

uint64_t UndoBudget() { return TheUndoState().budget; }

void SetUndoBudget(uint64_t bytes) {
  TheUndoState().budget = bytes;
  if (Journal* j = CurrentJournal()) {
    while (!j->undo.empty() && j->bytes > bytes) {
      j->bytes -= j->undo.front().Bytes();
      j->undo.pop_front();
    }
  }
}

void SaveUndo() {
  UndoState& st = TheUndoState();
  CloseGroup();
  if (!st.enabled || !CurrentSheet().rowTable) return;
  if (st.touched.empty()) st.touched.assign(kPositions / 64, 0);
  st.recording = true;
  st.table = CurrentSheet().rowTable;
  st.userChange = true;
  st.changed = false;
  st.group.lastRow = LastRow();
  st.group.lastColumn = LastColumn();
}

void EndUndoGroup() { CloseGroup(); }

bool RestoreUndo() {
  CloseGroup();
  Journal* j = CurrentJournal();
  if (!j || j->undo.empty()) return false;
  Platform& platform = ThePlatform();
  platform.WaitCursor(true);
  UndoGroup g = std::move(j->undo.back());
  j->undo.pop_back();
  j->bytes -= g.Bytes();
  UndoGroup counter = Apply(g);
  j = CurrentJournal();
  if (!counter.Empty()) {  // empty only when the budget could not hold it
    j->bytes += counter.Bytes();
    j->redo.push_back(std::move(counter));
  }
  platform.Repaint();
  platform.WaitCursor(false);
  return true;
}

bool RestoreRedo() {
  CloseGroup();
  Journal* j = CurrentJournal();
  if (!j || j->redo.empty()) return false;
  Platform& platform = ThePlatform();
  platform.WaitCursor(true);
  UndoGroup g = std::move(j->redo.back());
  j->redo.pop_back();
  j->bytes -= g.Bytes();
  UndoGroup counter = Apply(g);
  j = CurrentJournal();
  if (!counter.Empty()) {  // empty only when the budget could not hold it
    j->bytes += counter.Bytes();
    j->undo.push_back(std::move(counter));
  }
  platform.Repaint();
  platform.WaitCursor(false);
  return true;
}

void DropUndo() {
  if (Recording()) EndRecording();
  const PoolHandle* table = CurrentSheet().rowTable;
  if (table) TheUndoState().journals.erase(table);
}

void ForgetUndoJournal(const PoolHandle* rowTable) {
  UndoState& st = TheUndoState();
  if (st.table == rowTable) EndRecording();
  st.journals.erase(rowTable);
}

void ResetUndoJournals() {
  UndoState& st = TheUndoState();
  EndRecording();
  st.journals.clear();
  st.enabled = true;
  st.budget = kDefaultUndoBudget;
}

bool HasUndo() {
  const Journal* j = CurrentJournal();
  return (j && !j->undo.empty()) || (Recording() && TheUndoState().changed);
}

bool HasRedo() {
  const Journal* j = CurrentJournal();
  return j && !j->redo.empty();
}

int UndoLevels() {
  const Journal* j = CurrentJournal();
  return (j ? int(j->undo.size()) : 0) + (Recording() && TheUndoState().changed ? 1 : 0);
}

size_t UndoJournalBytes() {
  const Journal* j = CurrentJournal();
  size_t n = j ? j->bytes : 0;
  if (Recording()) n += TheUndoState().group.Bytes();
  return n;
}

void NoteCellChange(CellHandle cell) {
  if (!cell || !Recording()) return;
  const CellRecord* c = CellAt(cell);
  Record(c->row, c->column, cell);
}

void NoteCellCreation(uint32_t row, uint32_t column) {
  if (Recording()) Record(row, column, 0);
}

bool CellsNotedByOpenGroup(std::vector<CellHandle>* cells) {
  const UndoState& st = TheUndoState();
  cells->clear();
  if (!Recording() || st.group.shifted || st.group.wholeSheet) return false;
  cells->reserve(st.touchedList.size());
  for (const uint32_t p : st.touchedList) {
    if (const CellHandle h = GetCell(p / uint32_t(kColumnCount), p % uint32_t(kColumnCount))) {
      cells->push_back(h);
    }
  }
  return true;
}

void NoteColumnWidth(uint32_t column) {
  UndoState& st = TheUndoState();
  if (!Recording() || column >= 256 || st.widthTouched[column]) return;
  try {
    FirstChange();
    st.widthTouched[column] = true;
    st.group.widths.emplace_back(uint16_t(column), CurrentLayout().columnWidth[column]);
  } catch (const std::bad_alloc&) {
    Overflow();
  }
}

void NoteRowHeight(uint32_t row) {
  UndoState& st = TheUndoState();
  if (!Recording() || row >= 8192 || st.heightTouched[row]) return;
  try {
    FirstChange();
    st.heightTouched[row] = true;
    st.group.heights.emplace_back(uint16_t(row), CurrentLayout().rowHeight[row]);
  } catch (const std::bad_alloc&) {
    Overflow();
  }
}

void NoteNames() {
  UndoState& st = TheUndoState();
  if (!Recording() || st.group.hasNames) return;
  try {
    FirstChange();
    st.group.hasNames = true;
    for (int i = 1; i <= NameCount(); ++i) st.group.names.emplace_back(NameAt(i), NameRange(i));
  } catch (const std::bad_alloc&) {
    Overflow();
  }
}

void NoteOptions() {
  UndoState& st = TheUndoState();
  if (!Recording() || st.group.options) return;
  try {
    FirstChange();
    st.group.options = std::make_unique<GlobalOptions>(Options());
  } catch (const std::bad_alloc&) {
    Overflow();
  }
}

void NoteSheetState(const void* key, size_t bytes, const UndoCapture& capture) {
  UndoState& st = TheUndoState();
  if (!Recording()) return;
  for (const StateImage& state : st.group.states) {
    if (state.key == key) return;
  }
  try {
    FirstChange();
    st.group.states.push_back(StateImage{key, bytes, capture, capture()});
  } catch (const std::bad_alloc&) {
    Overflow();
    return;
  }
  if (!WithinBudget()) Overflow();
}

void NoteCellShift(const CellShift& shift) {
  UndoState& st = TheUndoState();
  if (!Recording() || st.group.wholeSheet) return;  // a whole-sheet group needs no shifts
  try {
    FirstChange();
    st.group.shifted = true;
    std::vector<uint8_t>& out = st.group.cells;
    out.push_back(kShift);
    out.push_back(uint8_t((shift.rows ? 1 : 0) | (shift.insert ? 2 : 0)));
    PutWord(out, shift.first);
    PutWord(out, shift.count);
    PutWord(out, shift.pageEnd);
  } catch (const std::bad_alloc&) {
    Overflow();
    return;
  }
  ForgetTouched();
}

void NoteWholeSheet() {
  UndoState& st = TheUndoState();
  if (!Recording() || st.group.wholeSheet) return;
  if (st.group.shifted) {
    // Images in two coordinate systems cannot make one whole sheet: no Undo for this action.
    DropJournal(st.journals[st.table]);
    EndRecording();
    return;
  }
  try {
    FirstChange();
    st.group.wholeSheet = true;
  } catch (const std::bad_alloc&) {
    Overflow();
    return;
  }
  NoteNames();
  for (int row = 0; row < kRowCount && Recording(); ++row) {
    for (CellHandle h = RowHead(row); h && Recording(); h = CellAt(h)->next) {
      Record(uint32_t(row), CellAt(h)->column, h);
    }
  }
}
