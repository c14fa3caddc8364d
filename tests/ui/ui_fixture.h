// tests/ui/ui_fixture.h — a clean engine with one worksheet for the grid's Qt tests.
#pragma once

#include <QApplication>
#include <QtGlobal>

#include "core/address.h"
#include "core/cell_store.h"
#include "commands/engine_start.h"
#include "core/global_options.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "platform/headless/headless_platform.h"

// Starts from an empty engine and opens one worksheet named `name`, which becomes current.
inline SlotIndex FreshEngineWithSheet(const char* name = "TEST.WKS") {
  ResetEngineState();
  return CreateWorksheetWindow(name);
}

// A label cell with its prefix, e.g. "'hello".
inline CellRecord* PutLabel(int row, int column, const char* withPrefix) {
  CellRecord* c = CellAt(GetOrCreateCell(uint32_t(row), uint32_t(column)));
  SetCellText(c, withPrefix);
  c->kind = uint8_t(CellKind::kLabel);
  return c;
}

inline CellRecord* PutNumber(int row, int column, double value, uint8_t format = 0xFF) {
  CellRecord* c = CellAt(GetOrCreateCell(uint32_t(row), uint32_t(column)));
  StoreNumber(c, value);
  c->format = format;
  return c;
}

// Test programs run outside ctest too: default to the offscreen platform.
inline void UseOffscreenByDefault() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}
