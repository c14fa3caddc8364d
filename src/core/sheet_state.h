// core/sheet_state.h — the engine's view of the current worksheet, shared by the core's files.
//
// Activating another worksheet window swaps these variables with the sheet's table entry
// (core/worksheets.cpp). Only core/ includes this header; other modules use the operations of
// cell_store.h, worksheets.h and names.h.
#pragma once

#include <array>
#include <cstdint>

#include "core/global_options.h"
#include "core/pool.h"
#include "core/sheet_layout.h"

constexpr size_t kGraphSettingsSize = 860;

struct SheetState {
  PoolHandle* rowTable = nullptr;  // 8198 slots of the current sheet, or null
  uint16_t lastRow = 0;
  uint16_t lastColumn = 0;
  uint16_t firstRow = 0;
  uint16_t firstColumn = 0;
  GlobalOptions options;
  SheetLayout* layout = nullptr;  // column widths and row heights of the current sheet
  std::array<uint8_t, kGraphSettingsSize> graphSettings{};
  std::array<PoolHandle, 256> graphTable{};
  uint8_t graphCount = 0;
  std::array<PoolHandle, 256> nameTable{};
  uint8_t nameCount = 0;
  std::array<PoolHandle, 255> functionTable{};
  uint8_t functionCount = 0;
  // Seven 16-bit print settings a new sheet starts with (the printing module names them).
  std::array<int16_t, 7> printSettings{0, 80, 66, 2, 2, 0, 1};
};

// The current-sheet variables.
SheetState& CurrentSheet();
