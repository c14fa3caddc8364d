// core/engine_hooks.h — call points from the worksheet core up into the layers above it.
//
// The core sits below the formula engine and the macro interpreter but must reach them in a few
// places (Undo converts and relinks formula code, entry compiles and evaluates, errors stop a
// running macro). Each such place calls one hook; the layer above installs it at start-up.
// A hook left empty means "that layer is not there": the documented fallback applies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/pool.h"

struct EngineHooks {
  // Formula code of the cell at (row, column), converted to its position-independent (file) form
  // into `out` (length-prefixed, at most 241 bytes). Gives false when the code cannot be
  // converted. Empty: code is copied unchanged.
  bool (*codeToFileForm)(const uint8_t* code, uint16_t row, uint16_t column, uint8_t* out) = nullptr;
  // Converts file-form code in place back to cell form for the cell at (row, column).
  bool (*codeToCellForm)(uint8_t* code, uint16_t row, uint16_t column) = nullptr;
  // Registers a formula cell as a dependent of the cells it refers to / takes it out again.
  void (*linkFormula)(PoolHandle cell) = nullptr;
  void (*unlinkFormula)(PoolHandle cell) = nullptr;
  // Recalculates the current sheet as automatic recalculation would after a change.
  void (*recalculate)() = nullptr;
  // Stops a running macro (ShowError does this).
  void (*stopMacro)() = nullptr;

  // Compiles formula text typed into the cell at (row, column). On success gives true and the
  // length-prefixed code in `code`; on failure false, with the error flag raised and the
  // compiler's message in the error text. Empty: every formula fails to compile.
  bool (*compileFormula)(std::string_view text, uint16_t row, uint16_t column,
                         std::string* code) = nullptr;
  // The formula text of a formula cell, as editing shows it. Empty: no text.
  std::string (*formulaText)(PoolHandle cell) = nullptr;
  // Computes one formula cell.
  void (*evaluateCell)(PoolHandle cell) = nullptr;
  // Recomputes a cell and everything that depends on it, in natural order.
  void (*recalculateFrom)(PoolHandle cell) = nullptr;
  // A worksheet's table entry was freed: state kept per entry elsewhere must go with it.
  void (*worksheetClosed)(int slot) = nullptr;
};

EngineHooks& Hooks();
