// macros/key_line.cpp — the headless entry line: keystrokes of a macro when there is no window.
//
// Characters collect in a pending text; Enter ("~") enters it at the cell pointer as typing and
// Enter would (the pointer stays); the arrows, HOME, PGUP and PGDN (20 rows), PGLT and PGRT (8
// columns) enter pending text first and then move the pointer, clamped to the grid; ESC drops
// the text; BS deletes its last character; EDIT loads the cell's text; CALC recalculates. With
// the selection anchored (ANCHOR 1) moves extend the selection that "RANGE" names. ALT, HELP,
// WINDOW and NAME need a window. END, INS, DEL and ABS do nothing here.
// State: HeadlessKeyLineState (the pending text and the anchor); the platform's pointer.
#include <algorithm>
#include <string>

#include "core/entry.h"
#include "macros/interpreter_internal.h"
#include "macros/sheet_changes.h"
#include "macros/vocabulary.h"

namespace {

constexpr int kPageRows = 20;
constexpr int kPageColumns = 8;

struct HeadlessKeyLineState {
  std::string pending;
  bool anchored = false;
  PlatformCell anchor;
};

HeadlessKeyLineState& KeyLine() {
  static HeadlessKeyLineState state;
  return state;
}

void EnterPending() {
  HeadlessKeyLineState& k = KeyLine();
  if (k.pending.empty()) return;
  const PlatformCell at = ThePlatform().CurrentCell();
  std::string text;
  text.swap(k.pending);
  MacroEnter(at.row, at.column, text);
}

void Move(int columns, int rows, bool home = false) {
  EnterPending();
  if (TheMacroState().errorStop) return;
  PlatformCell at = ThePlatform().CurrentCell();
  if (home) {
    at = PlatformCell{0, 0};
  } else {
    at.column = static_cast<uint16_t>(std::clamp(at.column + columns, 0, kColumnCount - 1));
    at.row = static_cast<uint16_t>(std::clamp(at.row + rows, 0, kRowCount - 1));
  }
  ThePlatform().MoveCursor(at);
  const HeadlessKeyLineState& k = KeyLine();
  if (k.anchored) {
    ThePlatform().SelectBlock(PlatformBlock{std::min(k.anchor.column, at.column),
                                            std::min(k.anchor.row, at.row),
                                            std::max(k.anchor.column, at.column),
                                            std::max(k.anchor.row, at.row)});
  }
}

}  // namespace

void PlayHeadlessKeys(std::string_view keys) {
  HeadlessKeyLineState& k = KeyLine();
  for (const char c : keys) {
    const MacroState& s = TheMacroState();
    if (!s.running || s.errorStop) return;
    if (static_cast<unsigned char>(c) >= 0x20) {
      k.pending += c;
      continue;
    }
    switch (static_cast<MacroKey>(c)) {
      case MacroKey::kEnter: EnterPending(); break;
      case MacroKey::kUp: Move(0, -1); break;
      case MacroKey::kDown: Move(0, 1); break;
      case MacroKey::kLeft: Move(-1, 0); break;
      case MacroKey::kRight: Move(1, 0); break;
      case MacroKey::kPageUp: Move(0, -kPageRows); break;
      case MacroKey::kPageDown: Move(0, kPageRows); break;
      case MacroKey::kPageLeft: Move(-kPageColumns, 0); break;
      case MacroKey::kPageRight: Move(kPageColumns, 0); break;
      case MacroKey::kHome: Move(0, 0, /*home=*/true); break;
      case MacroKey::kEscape: k.pending.clear(); break;
      case MacroKey::kBackspace:
        if (!k.pending.empty()) k.pending.pop_back();
        break;
      case MacroKey::kEdit: {
        const PlatformCell at = ThePlatform().CurrentCell();
        const EditInfo info = EditText(at.row, at.column);
        if (info.editable) k.pending = info.text;
        break;
      }
      case MacroKey::kCalc: MacroRecalculate(); break;
      case MacroKey::kAlt:
      case MacroKey::kHelp:
      case MacroKey::kWindow:
      case MacroKey::kName:
        MacroFail("Needs a window: " + std::string(MacroKeyName(static_cast<uint8_t>(c))));
        return;
      default: break;
    }
  }
}

void AnchorHeadlessSelection(bool on) {
  HeadlessKeyLineState& k = KeyLine();
  k.anchored = on;
  k.anchor = ThePlatform().CurrentCell();
  ThePlatform().SelectBlock(PlatformBlock{k.anchor.column, k.anchor.row, k.anchor.column, k.anchor.row});
}

void ResetHeadlessKeyLine() { KeyLine() = HeadlessKeyLineState{}; }
