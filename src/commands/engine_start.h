// commands/engine_start.h — the one start-up and the one reset of the whole engine.
//
// `StartEngine` wires every layer for both programs: the engine layers the core calls up into
// (formula engine, linked-file loader), the function library, the platform, and the program
// files (settings and user functions). `ResetEngineState` puts every module of every engine
// layer back to its start and installs the same layers; tests, fuzzers and benchmarks use it.
// State: every engine module's state (through each module's own reset).
#pragma once

#include <cstdint>
#include <string>

#include "core/engine_layers.h"

class Platform;

// The engine layers as both programs install them: every call goes straight to the routine of
// the layer that owns it. Tests may derive from it to watch or replace one routine.
class ProductEngineLayers : public EngineLayers {
 public:
  bool CodeToFileForm(const uint8_t* code, uint16_t row, uint16_t column, uint8_t* out) override;
  bool CodeToCellForm(uint8_t* code, uint16_t row, uint16_t column) override;
  void LinkFormula(PoolHandle cell) override;
  void UnlinkFormula(PoolHandle cell) override;
  void Recalculate() override;
  bool CompileFormula(std::string_view text, uint16_t row, uint16_t column,
                      std::string* code) override;
  std::string FormulaText(PoolHandle cell) override;
  void EvaluateCell(PoolHandle cell) override;
  void RecalculateFrom(PoolHandle cell) override;
  void RecalculateCells(const PoolHandle* cells, size_t count) override;
  // Insertion and deletion of rows and columns, cells only (commands/insert_delete.cpp).
  void ShiftCells(const CellShift& shift, std::vector<PoolHandle>* relinked,
                  std::vector<PoolHandle>* destroyed) override;
  void WorksheetClosed(int slot) override;
  // Loads the file into a hidden worksheet entry (files/worksheet_file.h LoadLinkedWorksheet).
  int LoadLinkedSheet(const std::string& path) override;
  // Closes the hidden entry of a linked file; an entry that a window has taken over stays open.
  void ReleaseLinkedSheet(int slot) override;
};

// The instance StartEngine and ResetEngineState install.
ProductEngineLayers& TheProductEngineLayers();

// Brings the engine up: resets every module as ResetEngineState does (leaving the headless
// platform's message receiver alone), installs `platform` (nullptr: the headless one), finds the program directory from `argv0` (or TALLIVO_HOME) and reads the
// settings file and the user function file there. Nothing is written. Call once, before the
// first worksheet; both programs call it and nothing else.
void StartEngine(const char* argv0, Platform* platform);

// Puts every engine module back to its state before start-up, closes every worksheet, empties
// the pool (capped at `maxPages` pages; 0 sizes it from memory), installs the product's engine
// layers and the function routines. The installed platform stays; the headless platform's log
// and scripted answers are cleared. For tests, fuzzers and benchmarks.
void ResetEngineState(uint32_t maxPages = 0);
