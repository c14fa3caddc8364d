// core/sheet_state.cpp — storage of the current-sheet variables.
#include "core/sheet_state.h"

SheetState& CurrentSheet() {
  static SheetState state;
  return state;
}

SheetLayout& CurrentLayout() {
  static SheetLayout scratch;
  SheetLayout* layout = CurrentSheet().layout;
  return layout ? *layout : scratch;
}

GlobalOptions& Options() { return CurrentSheet().options; }
