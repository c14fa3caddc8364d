// fuzz/formula_fuzz_engine.h — the engine the formula fuzz targets run against.
//
// One worksheet with a few range names and two library functions, so that fuzzed code and text
// meet names, user functions and named-range calls.
#pragma once

#include "core/address.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "commands/engine_start.h"
#include "formula/function_library.h"

inline void SetUpFormulaEngine() {
  ResetEngineState();
  ActivateWorksheet(CreateWorksheetWindow("FUZZ.WKS"));
  DefineName("TOTAL", MakeRange(0, 0, 1, 4));
  DefineName("RATE", MakeRange(2, 2, 2, 2));
}
