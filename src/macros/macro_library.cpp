// macros/macro_library.cpp — the macro library (see the header).
//
// State: MacroLibraryState: the library's entry and the pool heap it had when it was opened, so
// that an entry closed and handed out again is not taken for the library.
#include "macros/macro_library.h"

#include "commands/worksheet_files.h"
#include "core/names.h"
#include "core/sheet_scope.h"
#include "core/text_case.h"

namespace {

struct MacroLibraryState {
  SlotIndex sheet = 0;
  uint16_t heap = 0;
};

MacroLibraryState& TheLibraryState() {
  static MacroLibraryState state;
  return state;
}

// The index of `name` in the current sheet's name table, or 0.
int NameIndex(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || NameCount() == 0) return 0;
  const int index = FindName(UpperCase(name), 1, NameCount());
  return index > 0 ? index : 0;
}

}  // namespace

SlotIndex OpenMacroLibrary(std::string_view fileName) {
  if (fileName.empty()) return 0;
  const SlotIndex previous = CurrentWorksheet();
  const OpenedWorksheet opened = OpenWorksheetFile(fileName);
  if (previous != 0 && Worksheet(previous).InUse()) ActivateWorksheet(previous);
  if (opened.slot == 0) return 0;
  SetMacroLibrary(opened.slot);
  return opened.slot;
}

void SetMacroLibrary(SlotIndex sheet) {
  MacroLibraryState& s = TheLibraryState();
  const bool valid = sheet > 0 && sheet < kWorksheetSlots && Worksheet(sheet).InUse();
  s.sheet = valid ? sheet : 0;
  s.heap = valid ? Worksheet(sheet).heap : 0;
}

SlotIndex MacroLibrary() {
  const MacroLibraryState& s = TheLibraryState();
  if (s.sheet == 0) return 0;
  const WorksheetSlot& entry = Worksheet(s.sheet);
  return entry.InUse() && entry.heap == s.heap ? s.sheet : 0;
}

std::vector<std::string> MacroLibraryNames(size_t count) {
  std::vector<std::string> names;
  const SlotIndex library = MacroLibrary();
  if (library == 0) return names;
  SheetScope scope(library);
  for (int i = 1; i <= NameCount() && names.size() < count; ++i) names.push_back(NameAt(i));
  return names;
}

bool MacroLibraryHasName(std::string_view name) {
  const SlotIndex library = MacroLibrary();
  if (library == 0) return false;
  SheetScope scope(library);
  return NameIndex(name) != 0;
}

bool FindMacroName(std::string_view name, SlotIndex macroSheet, SlotIndex* sheet,
                   CellRange* range) {
  const SlotIndex places[2] = {macroSheet, MacroLibrary()};
  for (const SlotIndex place : places) {
    if (place <= 0 || place >= kWorksheetSlots || !Worksheet(place).InUse()) continue;
    SheetScope scope(place);
    if (const int index = NameIndex(name)) {
      *sheet = place;
      *range = NameRange(index);
      return true;
    }
  }
  return false;
}

void ResetMacroLibrary() { TheLibraryState() = MacroLibraryState{}; }
