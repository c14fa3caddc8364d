// macros/translator.h — turns one macro line into the steps the interpreter runs.
//
// A macro line mixes keystrokes with commands in braces. Outside braces every character is a
// keystroke ("~" is Enter); "{NAME arguments}" is a command or a key name of the vocabulary, a
// call of a range name, or an unknown command (which stops the macro with "Syntax Error:" when
// it is reached). Repeat counts are evaluated when the line is translated. The input is hostile
// (any bytes, any length): nothing is read past its end, and a count never exceeds 8192.
// State: none of its own; reads the range names of the current sheet and evaluates counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Repeat counts are capped at this (one key per row of the grid).
constexpr int kMaxRepeatCount = 8192;

struct MacroStep {
  enum class Kind : uint8_t {
    kKeys,     // `keys`: characters and MacroKey codes to play
    kCommand,  // the vocabulary's main word `word` with its `arguments`
    kUnknown,  // a name found nowhere, an empty name, or a "{" without its "}"
  };
  Kind kind = Kind::kKeys;
  std::string keys;
  int word = -1;
  std::vector<std::string> arguments;
  std::string name;  // the name as written (upper-case), for messages
};

using MacroLine = std::vector<MacroStep>;

// What the translator asks of the sheet: whether a name is a defined range name, and the value
// of a repeat count's formula text (`ok` false when it is no number).
struct MacroLineContext {
  bool (*isRangeName)(std::string_view name) = nullptr;
  double (*evaluateCount)(std::string_view text, bool* ok) = nullptr;
};
// The context of the current worksheet (range names of the current sheet and of the macro
// library, the evaluator).
MacroLineContext SheetLineContext();

// Replaces the typographic quotes and marks (bytes 0x94, 0x82, 0x88, 0x98, 0xA6, 0x93, 0xB7) by
// their plain forms.
std::string PlainMacroText(std::string_view text);

// Translates `text` (already without a label prefix). Bytes below 0x20 are dropped.
MacroLine TranslateMacroLine(std::string_view text, const MacroLineContext& context);

// The repeat count written `text`: evaluated and rounded; none, 0 or less, or no number gives 1;
// more than kMaxRepeatCount gives kMaxRepeatCount.
int RepeatCount(std::string_view text, const MacroLineContext& context);

// A readable form of a translated line for tests: keys as "{NAME}" (Enter as "~"), characters as
// themselves, commands as "[NAME|arg|arg]", unknown commands as "[?NAME]".
std::string DumpMacroLine(const MacroLine& line);
