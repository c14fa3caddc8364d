// core/engine_layers.h — the one interface through which the core reaches the layers above it.
//
// The core sits below the formula engine and the files layer but must reach them in a few places:
// entry compiles, links and evaluates formulas; Undo converts formula code to its file form and
// back, relinks it and recalculates from the cells it put back; a closed worksheet's per-sheet tables above the core must go with it; the
// evaluator loads a linked file that is not open. Each such place calls `TheEngineLayers()`, which
// is always installed: start-up and the engine reset install the real layers, a test may install
// a stand-in of its own. There is no "layer absent" branch anywhere.
// State: the installed implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/pool.h"

struct CellShift;

class EngineLayers {
 public:
  virtual ~EngineLayers() = default;

  // Formula code of the cell at (row, column), converted to its position-independent (file) form
  // into `out` (length-prefixed, at most 241 bytes). False when the code cannot be converted.
  virtual bool CodeToFileForm(const uint8_t* code, uint16_t row, uint16_t column,
                              uint8_t* out) = 0;
  // Converts file-form code in place back to cell form for the cell at (row, column).
  virtual bool CodeToCellForm(uint8_t* code, uint16_t row, uint16_t column) = 0;
  // Registers a formula cell as a dependent of the cells it refers to / takes it out again.
  virtual void LinkFormula(PoolHandle cell) = 0;
  virtual void UnlinkFormula(PoolHandle cell) = 0;
  // Recalculates the current sheet as automatic recalculation would after a change.
  virtual void Recalculate() = 0;
  // Compiles formula text typed into the cell at (row, column). On success gives true and the
  // length-prefixed code in `code`; on failure false, with the error flag raised and the
  // compiler's message in the error text.
  virtual bool CompileFormula(std::string_view text, uint16_t row, uint16_t column,
                              std::string* code) = 0;
  // The formula text of a formula cell, as editing shows it.
  virtual std::string FormulaText(PoolHandle cell) = 0;
  // Computes one formula cell.
  virtual void EvaluateCell(PoolHandle cell) = 0;
  // Recomputes a cell and everything that depends on it, in natural order.
  virtual void RecalculateFrom(PoolHandle cell) = 0;
  // Recomputes the given cells and everything that depends on them, in natural order, each once
  // (Undo and Redo after putting cells back).
  virtual void RecalculateCells(const PoolHandle* cells, size_t count) = 0;
  // Applies a structural step of the undo journal to the current sheet (core/cell_store.h
  // CellShift): records move, those the step deletes are destroyed, the formulas whose geometry
  // changes are linked again; the step notes itself in the open undo group. Gives the formulas
  // linked again in `relinked` and the records destroyed in `destroyed`.
  virtual void ShiftCells(const CellShift& shift, std::vector<PoolHandle>* relinked,
                          std::vector<PoolHandle>* destroyed) = 0;
  // A worksheet's table entry was freed: state kept per entry above the core must go with it.
  virtual void WorksheetClosed(int slot) = 0;
  // Loads the worksheet file `path` (complete with its extension) for reading by external
  // references and gives the open-worksheet entry holding it, or 0 when it cannot be read.
  virtual int LoadLinkedSheet(const std::string& path) = 0;
  // Releases an entry LoadLinkedSheet gave (the cache of linked files is being cleared).
  virtual void ReleaseLinkedSheet(int slot) = 0;
};

// The installed layers. Start-up (`StartEngine`) and `ResetEngineState` install the real ones;
// calling this before either has run is a programming error and stops the program.
EngineLayers& TheEngineLayers();

// Installs an implementation (the caller keeps ownership and keeps it alive while installed);
// nullptr uninstalls.
void InstallEngineLayers(EngineLayers* layers);
