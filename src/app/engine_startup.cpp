// app/engine_startup.cpp — start-up of the engine shared by tallivo and tallivo-cli.
#include "app/engine_startup.h"

#include "core/names.h"
#include "core/pool.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "files/user_functions.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"
#include "formula/evaluator.h"
#include "formula/formula_hooks.h"

void StartEngine() {
  PoolReset();
  InstallNameLookup();
  RegisterMathFunctions();
  RegisterSheetFunctions();
  InstallFormulaHooks();
  InstallEvaluatorHooks();
}

void LoadProgramFiles(const char* argv0) {
  InitProgramFiles(argv0);
  ResetSettings();
  LoadSettings();
  LoadUserFunctions();
}
