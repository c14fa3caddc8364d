// macros/vocabulary.h — the names of the macro language: commands, keys and their alternatives.
//
// One table (vocabulary.def) gives every name, its argument count and what it does. Look-ups
// are case-insensitive binary searches, first over the main names, then over the alternative
// names. State: the sorted tables, built once on first use (immutable afterwards).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The keys a macro can play. Bytes below 0x20 in a keystroke string are these keys; bytes of
// 0x20 and above are characters typed. "~" in a macro line is kEnter.
enum class MacroKey : uint8_t {
  kNone = 0x00,
  kAbs = 0x01,        // F4: cycle the reference kind being pointed at
  kAlt = 0x02,        // the Alt key (opens the menu bar)
  kBackspace = 0x03,
  kCalc = 0x04,       // F9: recalculate
  kDelete = 0x05,
  kDown = 0x06,
  kEdit = 0x07,       // F2: edit the current cell
  kEnd = 0x08,
  kEscape = 0x09,
  kHelp = 0x0A,       // F1
  kHome = 0x0B,
  kInsert = 0x0C,
  kEnter = 0x0D,
  kLeft = 0x0E,
  kName = 0x0F,       // the name key (F3: the range-name list)
  kPageDown = 0x10,
  kPageLeft = 0x11,   // a screen to the left
  kPageRight = 0x12,  // a screen to the right
  kPageUp = 0x13,
  kRight = 0x15,
  kUp = 0x16,
  kWindow = 0x17,     // F6: the other pane
};

// The name of a key (the vocabulary's main name), or "" for kNone and unknown bytes.
std::string_view MacroKeyName(uint8_t key);

// How a name is written: with n arguments, an optional repeat count, or none recorded.
constexpr int kRepeatCount = -1;

struct MacroCall;
using MacroHandler = void (*)(MacroCall& call);

enum class MacroWordKind : uint8_t { kKey, kCommand };

// One name of the vocabulary, as found by a look-up (an alternative name gives the row of its
// main name with its own argument count).
struct MacroWord {
  const char* name = nullptr;       // the main name
  int arguments = 0;                // n, kRepeatCount, or 0
  MacroWordKind kind = MacroWordKind::kCommand;
  MacroKey key = MacroKey::kNone;   // kKey
  MacroHandler handler = nullptr;   // kCommand
  int index = -1;                   // position among the main names (sorted), -1 when not found
};

// Looks a name up (any case). A name found nowhere gives a word with index -1.
MacroWord FindMacroWord(std::string_view name);

// The main word at `index` (0 .. MacroWordCount()-1), in sorted order.
const MacroWord& MacroWordAt(int index);
int MacroWordCount();

// Every main name and alternative name, sorted, for the function list dialog's macro page.
std::vector<std::string> MacroVocabularyNames();
