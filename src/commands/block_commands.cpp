// commands/block_commands.cpp — copy, move, special copies, destroying cells, stored ranges.
//
// A copy reads its source through a snapshot taken before anything is written, so that a
// destination overlapping the source (several anchors, a transposed block onto itself) never
// reads a cell the command has already written. A move takes every moving record out of its
// chain before placing any, which makes the order of the walk irrelevant.
// Reads and writes: the current worksheet's cells, options, names and graphs; the running
// macro's cells through the installed hook; the progress display.
#include "commands/block_commands.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "commands/cell_changes.h"
#include "commands/structure_change.h"
#include "core/dependents.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/names.h"
#include "formula/formula_code.h"
#include "formula/formula_text.h"
#include "formula/recalc.h"
#include "platform/platform.h"

namespace {

constexpr char kCopyError[] = "Copy Error";

MacroCellsHook& TheMacroCellsHook() {
  static MacroCellsHook hook = nullptr;
  return hook;
}

CommandResult Failed(const char* text = "") {
  if (*text) ShowError(text);
  return CommandResult{CommandStatus::kFailed, text};
}

// Whether protection keeps the position: the sheet is protected and the cell is missing (an
// empty position counts as locked) or locked.
bool Locked(CellHandle h) {
  return Options().protection() && (!h || (CellAt(h)->format & kFormatProtected));
}

// The characters of a stored text block (its length byte first).
std::string_view TextOf(const std::string& stored) {
  if (stored.empty()) return {};
  return std::string_view(stored).substr(1, uint8_t(stored[0]));
}

bool IsFormulaKind(uint8_t kind) { return (kind & kKindMask) <= uint8_t(CellKind::kFormula); }

// One source cell as it was before the command.
struct SourceCell {
  uint16_t row = 0;
  uint8_t column = 0;
  uint8_t look[kCellLookSize] = {};
  uint8_t kind = 0;  // without the recalculation marks
  uint8_t value[8] = {};
  std::string text;     // label text, or formula code (length byte included), as stored
  std::string result;   // a string formula's current result
  bool hasResult = false;
  bool locked = false;  // protected source (the sheet's protection is on and the bit set)
  std::string formulaText;  // the formula as it reads at the source (special copies)
};

// The occupied cells of `r`, row by row, columns ascending; `rowStart[i]` indexes the first cell
// of row r.firstRow + i (with one entry more at the end).
struct SourceBlock {
  std::vector<SourceCell> cells;
  std::vector<size_t> rowStart;
};

SourceBlock TakeSnapshot(const CellRange& r, bool withFormulaText) {
  SourceBlock block;
  const bool protectedSheet = Options().protection();
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    block.rowStart.push_back(block.cells.size());
    for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > r.lastColumn) break;
      SourceCell s;
      s.row = c->row;
      s.column = c->column;
      std::memcpy(s.look, &c->font, kCellLookSize);
      s.kind = uint8_t(c->kind & ~(kKindVisited | kKindQueued));
      std::memcpy(s.value, c->value, 8);
      if (c->text) {
        const uint8_t* t = PoolPtr(c->text);
        s.text.assign(reinterpret_cast<const char*>(t), PoolTextSize(c->text));
      }
      if ((s.kind & kKindMask) == uint8_t(CellKind::kStringFormula) && CellStringResult(c)) {
        s.result = PoolText(CellStringResult(c));
        s.hasResult = true;
      }
      s.locked = protectedSheet && (c->format & kFormatProtected);
      if (withFormulaText && IsFormulaKind(s.kind) && !(s.kind & kKindFileForm)) {
        s.formulaText = CellFormulaText(h);
      }
      block.cells.push_back(std::move(s));
    }
  }
  block.rowStart.push_back(block.cells.size());
  return block;
}

// Makes a half-written target blank again (no string result and no links are held yet).
void BlankTarget(CellRecord* c) {
  FreeCellText(c);
  std::memset(c->value, 0, sizeof c->value);
  c->kind = uint8_t(CellKind::kBlank);
}

// Moves the relative references of cell-form code by the offsets; a reference whose new
// position is off the sheet (left of A, above row 1, past IV or row 8192) becomes a reference
// to nothing. False when a referenced record cannot be had.
bool ShiftReferences(std::string& code, int rowOffset, int columnOffset) {
  uint8_t* bytes = reinterpret_cast<uint8_t*>(code.data());
  return VisitCellOperands(bytes, code.size(), [&](uint8_t* operand) {
    const uint32_t word = ReadLong(operand);
    const CellHandle h = OperandHandle(word);
    if (!h) return true;
    const CellRecord* c = CellAt(h);
    const int row = c->row + ((word & kOperandAbsoluteRow) ? 0 : rowOffset);
    const int column = c->column + ((word & kOperandAbsoluteColumn) ? 0 : columnOffset);
    CellHandle target = 0;
    if (row >= 0 && column >= 0 && IsValidCell(uint32_t(row), uint32_t(column))) {
      target = GetOrCreateCell(uint32_t(row), uint32_t(column));
      if (!target) return false;
    }
    WriteLong(operand, (word & ~kOperandHandleMask) | target);
    return true;
  });
}

// Writes the copy of `s` at (row, column). False when memory ran out (the target is then blank).
bool WriteCopy(const SourceCell& s, uint32_t row, uint32_t column, int rowOffset,
               int columnOffset) {
  CellHandle h = GetCell(row, column);
  if (Locked(h)) return true;
  if (!h) h = GetOrCreateCell(row, column);
  if (!h) return false;
  EraseCellContents(h);
  CellRecord* c = CellAt(h);
  std::memcpy(&c->font, s.look, kCellLookSize);
  const uint8_t kind = s.kind & kKindMask;
  if (kind == uint8_t(CellKind::kLabel)) {
    if (!SetCellText(c, TextOf(s.text))) return BlankTarget(c), false;
    c->kind = s.kind;
    return true;
  }
  if (kind > uint8_t(CellKind::kFormula)) {
    c->kind = s.kind;
    std::memcpy(c->value, s.value, 8);
    return true;
  }
  std::string code = s.text;
  if (code.empty()) return true;  // a formula without code stays blank
  if (!(s.kind & kKindFileForm) && !ShiftReferences(code, rowOffset, columnOffset)) {
    return false;
  }
  c = CellAt(h);
  if (!SetCellTextBytes(c, reinterpret_cast<const uint8_t*>(code.data()))) {
    return BlankTarget(c), false;
  }
  if (kind == uint8_t(CellKind::kStringFormula)) {
    PoolHandle result = 0;
    if (s.hasResult) {
      result = PoolAlloc(uint32_t(s.result.size()) + 1);
      if (!result) return BlankTarget(c), false;
      uint8_t* p = PoolPtr(result);
      p[0] = uint8_t(s.result.size());
      std::memcpy(p + 1, s.result.data(), s.result.size());
    }
    SetCellStringResult(c, result);
  } else {
    std::memcpy(c->value, s.value, 8);
  }
  c->kind = s.kind;
  if (!(s.kind & kKindFileForm)) {
    PoolClearOutOfMemory();
    Link(h);
    if (PoolOutOfMemory()) {  // a dependency node did not fit: the copy stops here, blank
      EraseCellContents(h);
      return false;
    }
  }
  return true;
}

CommandResult CopyBlock(const CellRange& s, CellRange d) {
  const uint32_t width = s.lastColumn - s.firstColumn + 1u;
  const uint32_t height = s.lastRow - s.firstRow + 1u;
  if (width != 1) d.lastColumn = d.firstColumn;
  if (height != 1) d.lastRow = d.firstRow;
  const uint32_t lastColumn = d.lastColumn + width - 1, lastRow = d.lastRow + height - 1;
  if (!IsValidCell(lastRow, lastColumn)) return Failed(kCopyError);
  IncludeInExtent(uint16_t(lastRow), uint16_t(lastColumn));

  const SourceBlock block = TakeSnapshot(s, false);
  ProgressCounter progress(uint64_t(d.lastRow - d.firstRow + 1) * (d.lastColumn - d.firstColumn + 1) *
                           width * height);
  std::vector<CellHandle> emptied;
  for (uint32_t anchorRow = d.firstRow; anchorRow <= d.lastRow; ++anchorRow) {
    for (uint32_t anchorColumn = d.firstColumn; anchorColumn <= d.lastColumn; ++anchorColumn) {
      const int rowOffset = int(anchorRow) - s.firstRow;
      const int columnOffset = int(anchorColumn) - s.firstColumn;
      if (rowOffset == 0 && columnOffset == 0) {
        progress.Step(uint64_t(width) * height);
        continue;
      }
      for (uint32_t i = 0; i < height; ++i) {
        const size_t first = block.rowStart[i], last = block.rowStart[i + 1];
        const uint32_t targetRow = s.firstRow + i + rowOffset;
        // Targets whose source position is empty lose their contents (not their look).
        emptied.clear();
        size_t k = first;
        for (CellHandle h = FindCellAtOrAfter(targetRow, anchorColumn); h; h = CellAt(h)->next) {
          const CellRecord* c = CellAt(h);
          if (c->column >= anchorColumn + width) break;
          const uint32_t sourceColumn = c->column - columnOffset;
          while (k < last && block.cells[k].column < sourceColumn) ++k;
          if ((k == last || block.cells[k].column != sourceColumn) && !Locked(h)) {
            emptied.push_back(h);
          }
        }
        for (CellHandle h : emptied) EraseCellContents(h);
        for (k = first; k < last; ++k) {
          const SourceCell& cell = block.cells[k];
          if (!WriteCopy(cell, targetRow, cell.column + columnOffset, rowOffset, columnOffset)) {
            return Failed(kCopyError);
          }
        }
        progress.Step(width);
      }
    }
  }
  return CommandResult{};
}

struct Mover {
  CellHandle cell;
  uint16_t row;
  uint8_t column;
};

CommandResult MoveBlock(const CellRange& s, const CellRange& d) {
  const int rowOffset = int(d.firstRow) - s.firstRow;
  const int columnOffset = int(d.firstColumn) - s.firstColumn;
  const uint32_t lastRow = s.lastRow + rowOffset, lastColumn = s.lastColumn + columnOffset;
  if (!IsValidCell(lastRow, lastColumn)) return Failed(kCopyError);
  if (rowOffset == 0 && columnOffset == 0) return CommandResult{};

  // Which records move, and which cells they overwrite, before anything changes.
  const bool protectedSheet = Options().protection();
  std::vector<Mover> movers;
  std::unordered_set<CellHandle> moving;
  for (uint32_t row = s.firstRow; row <= s.lastRow; ++row) {
    for (CellHandle h = FindCellAtOrAfter(row, s.firstColumn); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > s.lastColumn) break;
      if (protectedSheet && (c->format & kFormatProtected)) continue;
      movers.push_back(Mover{h, uint16_t(row + rowOffset), uint8_t(c->column + columnOffset)});
    }
  }
  std::vector<Mover> placed;
  for (const Mover& m : movers) {
    if (Locked(GetCell(m.row, m.column))) continue;  // the target keeps its cell; so does the source
    placed.push_back(m);
    moving.insert(m.cell);
  }
  std::vector<CellHandle> victims;
  std::unordered_set<CellHandle> victimSet;
  std::unordered_set<uint32_t> victimPositions;
  for (const Mover& m : placed) {
    const CellHandle there = GetCell(m.row, m.column);
    if (there && !moving.count(there) && victimSet.insert(there).second) {
      victims.push_back(there);
      victimPositions.insert(PositionKey(m.row, m.column));
    }
  }

  // Undo: every moving record at its source, what it overwrites or the empty target, and the
  // formulas that refer to either (their references change meaning or turn to ERR).
  for (const Mover& m : placed) NoteCellAndDependents(m.cell);
  for (const Mover& m : placed) {
    const CellHandle there = GetCell(m.row, m.column);
    if (there) {
      NoteCellAndDependents(there);
    } else {
      NoteCellCreation(m.row, m.column);
    }
  }

  Relinker relinker;
  for (const Mover& m : placed) relinker.AddDependentsOf(m.cell);
  for (CellHandle v : victims) relinker.AddDependentsOf(v);
  relinker.Exclude(victimSet);
  relinker.UnlinkAll();
  DestroyRecords(victims, victimSet, relinker);

  ProgressCounter progress(placed.size() * 2);
  for (const Mover& m : placed) {
    const CellRecord* c = CellAt(m.cell);
    const uint32_t row = c->row;
    const CellHandle found = FindCellAtOrAfter(row, c->column);
    if (found == m.cell) UnlinkCell(m.cell, FoundPredecessor(), row);
    progress.Step();
  }
  for (const Mover& m : placed) {
    PlaceRecord(m.cell, m.row, m.column);
    progress.Step();
  }
  IncludeInExtent(uint16_t(lastRow), uint16_t(lastColumn));
  relinker.LinkAll();
  ForgetStoredCorners(victimPositions);

  AffectedArea affected;
  affected.area = s;
  affected.rowDelta = rowOffset;
  affected.columnDelta = columnOffset;
  AdjustStoredRanges(affected);
  return CommandResult{};
}

// --- special copies ----------------------------------------------------------------------------

// Writes a label with exactly `text` (its prefix included). False when memory ran out.
bool WriteLabel(CellHandle h, std::string_view text) {
  EraseCellContents(h);
  CellRecord* c = CellAt(h);
  if (!SetCellText(c, text)) return false;
  c->kind = uint8_t(CellKind::kLabel);
  return true;
}

// Processes one source cell of a special copy at the target position. False when memory ran
// out.
bool WriteSpecial(CopySpecialMode mode, const SourceCell& s, uint32_t row, uint32_t column,
                  double factor) {
  if (!IsValidCell(row, column)) return true;
  CellHandle h = GetCell(row, column);
  if (Locked(h)) return true;
  const uint8_t kind = s.kind & kKindMask;
  if (kind == uint8_t(CellKind::kBlank)) return true;
  const bool isError = (s.kind & kKindErrorMark) || kind >= uint8_t(CellKind::kError6);
  const bool isFormula = kind <= uint8_t(CellKind::kFormula) && !(s.kind & kKindFileForm);

  if (mode == CopySpecialMode::kFormula) {
    if (isFormula) {
      // Entered as typed, so its references read the same cells as at the source.
      if (EnterCell(s.formulaText, row, column) == EntryResult::kNoMemory) return false;
      h = GetCell(row, column);
    } else {
      if (!h) h = GetOrCreateCell(row, column);
      if (!h) return false;
      if (kind == uint8_t(CellKind::kLabel)) {
        if (!WriteLabel(h, TextOf(s.text))) return false;
      } else {
        EraseCellContents(h);
        CellRecord* c = CellAt(h);
        c->kind = s.kind;
        std::memcpy(c->value, s.value, 8);
      }
    }
    if (h) {
      NoteCellChange(h);
      std::memcpy(&CellAt(h)->font, s.look, kCellLookSize);
    }
    return true;
  }

  if (!h) h = GetOrCreateCell(row, column);
  if (!h) return false;
  if (kind == uint8_t(CellKind::kLabel)) return WriteLabel(h, TextOf(s.text));
  if (kind == uint8_t(CellKind::kStringFormula) && !isError) {
    // The result is kept as the text it is: a label with the sheet's default prefix.
    const uint8_t prefix = Options().labelPrefix() ? Options().labelPrefix() : uint8_t('\'');
    return WriteLabel(h, std::string(1, char(prefix)) + s.result);
  }
  double value = 0;
  if (kind == uint8_t(CellKind::kInteger)) {
    int16_t i;
    std::memcpy(&i, s.value, 2);
    value = i;
  } else {
    std::memcpy(&value, s.value, 8);
  }
  bool error = isError;
  if (mode == CopySpecialMode::kScale) value *= factor;
  if (mode == CopySpecialMode::kInvert) {
    if (value == 0) {
      error = true;
    } else {
      value = 1 / value;
    }
  }
  if (!std::isfinite(value)) error = true;
  if (error) return EnterCell("@ERR", row, column) != EntryResult::kNoMemory;
  EraseCellContents(h);
  StoreNumber(CellAt(h), value);
  return true;
}

CommandResult SpecialCopy(CopySpecialMode mode, const CellRange& s, const CellRange& d,
                          double factor) {
  const bool transpose = mode == CopySpecialMode::kTranspose;
  const bool single = RangeIsSingleCell(s);
  const uint32_t height = s.lastRow - s.firstRow + 1u, width = s.lastColumn - s.firstColumn + 1u;
  const uint32_t lastRow = single ? d.lastRow : d.firstRow + (transpose ? width : height) - 1;
  const uint32_t lastColumn =
      single ? d.lastColumn : d.firstColumn + (transpose ? height : width) - 1;
  if (!IsValidCell(lastRow, lastColumn)) return Failed(kCopyError);

  const SourceBlock block = TakeSnapshot(s, mode == CopySpecialMode::kFormula);
  if (single) {
    if (block.cells.empty() || block.cells.front().locked) return CommandResult{};
    const SourceCell& cell = block.cells.front();
    ProgressCounter progress(uint64_t(d.lastRow - d.firstRow + 1) * (d.lastColumn - d.firstColumn + 1));
    for (uint32_t row = d.firstRow; row <= d.lastRow; ++row) {
      for (uint32_t column = d.firstColumn; column <= d.lastColumn; ++column) {
        if (!WriteSpecial(mode, cell, row, column, factor)) return Failed(kCopyError);
        progress.Step();
      }
    }
    return CommandResult{};
  }
  ProgressCounter progress(block.cells.size());
  for (const SourceCell& cell : block.cells) {
    progress.Step();
    if (cell.locked) continue;
    uint32_t rowOffset = cell.row - s.firstRow, columnOffset = cell.column - s.firstColumn;
    if (transpose) std::swap(rowOffset, columnOffset);
    if (!WriteSpecial(mode, cell, d.firstRow + rowOffset, d.firstColumn + columnOffset, factor)) {
      return Failed(kCopyError);
    }
  }
  return CommandResult{};
}

}  // namespace

// --- shared bookkeeping ------------------------------------------------------------------------

void NoteCellAndDependents(CellHandle cell) {
  NoteCellChange(cell);
  for (PoolHandle node = CellAt(cell)->dependents; node; node = DependentNodeNext(node)) {
    NoteCellChange(DependentNodeCell(node));
  }
}

void Relinker::AddDependentsOf(CellHandle cell) {
  for (PoolHandle node = CellAt(cell)->dependents; node; node = DependentNodeNext(node)) {
    Add(DependentNodeCell(node));
  }
}

void Relinker::Add(CellHandle formula) {
  if (seen_.insert(formula).second) formulas_.push_back(formula);
}

void Relinker::Exclude(const std::unordered_set<CellHandle>& destroyed) {
  std::erase_if(formulas_, [&](CellHandle f) { return destroyed.count(f) != 0; });
}

void Relinker::UnlinkAll() const {
  for (CellHandle f : formulas_) Unlink(f);
}

void Relinker::LinkAll() const {
  for (CellHandle f : formulas_) Link(f);
}

void DestroyRecords(const std::vector<CellHandle>& victims,
                    const std::unordered_set<CellHandle>& victimSet, const Relinker& relinker) {
  if (victims.empty()) return;
  for (CellHandle v : victims) {
    if (IsFormulaKind(CellAt(v)->kind) && !(CellAt(v)->kind & kKindFileForm)) Unlink(v);
  }
  for (CellHandle f : relinker.Formulas()) {
    CellRecord* c = CellAt(f);
    if (!c->text || (c->kind & kKindFileForm) || !IsFormulaKind(c->kind)) continue;
    VisitCellOperands(PoolPtr(c->text), PoolTextSize(c->text), [&](uint8_t* operand) {
      const uint32_t word = ReadLong(operand);
      if (victimSet.count(OperandHandle(word))) WriteLong(operand, word & ~kOperandHandleMask);
      return true;
    });
  }
  for (CellHandle v : victims) {
    const CellRecord* c = CellAt(v);
    const uint32_t row = c->row;
    if (FindCellAtOrAfter(row, c->column) == v) UnlinkCell(v, FoundPredecessor(), row);
    FreeCellRecord(v);
  }
}

void ForgetStoredCorners(const std::unordered_set<uint32_t>& positions) {
  if (positions.empty()) return;
  ForEachStoredRange([&](CellRange& r) {
    if (positions.count(PositionKey(r.firstRow, r.firstColumn)) ||
        positions.count(PositionKey(r.lastRow, r.lastColumn))) {
      r = NoRange();
    }
  });
}

void PlaceRecord(CellHandle cell, uint16_t row, uint8_t column) {
  const CellHandle next = FindCellAtOrAfter(row, column);
  const CellHandle before = FoundPredecessor();
  CellRecord* c = CellAt(cell);
  c->row = row;
  c->column = column;
  c->next = next;
  if (before) {
    CellAt(before)->next = cell;
  } else {
    SetRowHead(row, cell);
  }
}

void IncludeInExtent(uint16_t row, uint16_t column) {
  SetExtent(std::max(LastRow(), row), std::max(LastColumn(), column));
}

ProgressCounter::~ProgressCounter() {
  if (count_ > 0) ThePlatform().Progress(-1);
}

void ProgressCounter::Step(uint64_t positions) {
  const uint64_t before = count_;
  count_ += positions;
  // Every count whose remainder modulo 256 is 1 shows, the first one included.
  if (before == 0 || (before - 1) / 256 != (count_ - 1) / 256) {
    ThePlatform().Progress(int(std::min<uint64_t>(100, count_ * 100 / total_)));
  }
}

// --- the commands ------------------------------------------------------------------------------

CommandResult CopyMove(bool move, const CellRange& source, const CellRange& destination) {
  CellRange s, d;
  if (!OrderedOnSheet(source, &s) || !OrderedOnSheet(destination, &d)) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    return move ? MoveBlock(s, d) : CopyBlock(s, d);
  });
}

CommandResult CopySpecial(CopySpecialMode mode, const CellRange& source,
                          const CellRange& destination, double factor) {
  CellRange s, d;
  if (!OrderedOnSheet(source, &s) || !OrderedOnSheet(destination, &d) ||
      uint8_t(mode) > uint8_t(CopySpecialMode::kInvert)) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  return RunCommand(CellChangeSteps(),
                    [&]() -> CommandResult { return SpecialCopy(mode, s, d, factor); });
}

void DestroyCell(CellHandle cell) {
  if (!cell) return;
  const CellRecord* c = CellAt(cell);
  const std::unordered_set<uint32_t> positions{PositionKey(c->row, c->column)};
  const std::unordered_set<CellHandle> victimSet{cell};
  NoteCellAndDependents(cell);
  Relinker relinker;
  relinker.AddDependentsOf(cell);
  relinker.Exclude(victimSet);
  relinker.UnlinkAll();
  DestroyRecords({cell}, victimSet, relinker);
  relinker.LinkAll();
  ForgetStoredCorners(positions);
}

// --- stored ranges -----------------------------------------------------------------------------

void ForEachStoredRange(const std::function<void(CellRange&)>& visit) {
  GlobalOptions& options = Options();
  bool optionsChanged = false;
  for (int i = 0; i <= GlobalOptions::kPrintRange; ++i) {
    CellRange r = options.range(i);
    if (!RangeIsValid(r)) continue;
    const CellRange before = r;
    visit(r);
    if (r != before) {
      NoteOptions();
      options.setRange(i, r);
      optionsChanged = true;
    }
  }
  if (optionsChanged) StoreOptions(CurrentWorksheet());
  NoteGraphDefinitions();
  ForEachGraphRange(visit);
  for (int i = 1; i <= NameCount(); ++i) {
    CellRange r = NameRange(i);
    if (!RangeIsValid(r)) continue;
    const CellRange before = r;
    visit(r);
    if (r != before) {
      NoteNames();
      SetNameRange(i, r);
    }
  }
}

void NoteGraphDefinitions() {
  static const char kGraphsKey = 0;
  const size_t bytes = size_t(NamedGraphCount() + 1) * kGraphBlockSize;
  NoteSheetState(&kGraphsKey, bytes, [] {
    std::vector<GraphBlock> blocks(size_t(NamedGraphCount()) + 1);
    std::memcpy(blocks[0].data(), CurrentGraph().bytes(), kGraphBlockSize);
    for (int i = 1; i <= NamedGraphCount(); ++i) {
      std::memcpy(blocks[size_t(i)].data(), NamedGraph(i).bytes(), kGraphBlockSize);
    }
    return UndoRestore([blocks] {
      std::memcpy(CurrentGraph().bytes(), blocks[0].data(), kGraphBlockSize);
      for (int i = 1; i <= NamedGraphCount() && size_t(i) < blocks.size(); ++i) {
        std::memcpy(NamedGraph(i).bytes(), blocks[size_t(i)].data(), kGraphBlockSize);
      }
    });
  });
}

void SetMacroCellsHook(MacroCellsHook hook) { TheMacroCellsHook() = hook; }

void AdjustStoredRanges(const AffectedArea& affected) {
  auto inside = [](const CellRange& r, uint32_t row, uint32_t column) {
    return RangeIsValid(r) && column >= r.firstColumn && column <= r.lastColumn &&
           row >= r.firstRow && row <= r.lastRow;
  };
  // Moves one corner; false when the corner is gone (removed, or pushed off the limit).
  auto corner = [&](uint16_t& column, uint16_t& row) {
    if (inside(affected.removed, row, column)) return false;
    if (!inside(affected.area, row, column)) return true;
    const int newRow = row + affected.rowDelta, newColumn = column + affected.columnDelta;
    if (newRow < 0 || newColumn < 0 || !inside(affected.limit, uint32_t(newRow), uint32_t(newColumn))) {
      return false;
    }
    row = uint16_t(newRow);
    column = uint16_t(newColumn);
    return true;
  };
  ForEachStoredRange([&](CellRange& r) {
    CellRange moved = r;
    const bool first = corner(moved.firstColumn, moved.firstRow);
    const bool last = corner(moved.lastColumn, moved.lastRow);
    r = first && last ? moved : NoRange();
  });
  if (MacroCellsHook hook = TheMacroCellsHook()) {
    const SlotIndex sheet = CurrentWorksheet();
    hook([&](SlotIndex owner, uint16_t* column, uint16_t* row) {
      if (owner != sheet) return;
      if (inside(affected.removed, *row, *column)) {
        // The line that followed the removed rows (columns) is now where they began.
        const bool rows = affected.removed.firstColumn == 0 &&
                          affected.removed.lastColumn == kColumnCount - 1;
        if (rows) {
          *row = affected.removed.firstRow;
        } else {
          *column = affected.removed.firstColumn;
        }
        return;
      }
      uint16_t c = *column, r = *row;
      if (corner(c, r)) {
        *column = c;
        *row = r;
      }
    });
  }
}
