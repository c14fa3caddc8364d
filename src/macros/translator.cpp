// macros/translator.cpp — macro line translation.
//
// Reads: the vocabulary; through the context, the range names of the current sheet and of the
// macro library and the evaluator (repeat counts). Writes nothing.
#include "macros/translator.h"

#include <cmath>

#include "core/names.h"
#include "core/text_case.h"
#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "macros/macro_library.h"
#include "macros/vocabulary.h"

namespace {

// A range name of the current sheet (the one holding the line), else of the macro library.
bool SheetHasName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  if (NameCount() > 0 && FindName(UpperCase(name), 1, NameCount()) > 0) return true;
  return MacroLibraryHasName(name);
}

double EvaluateCountText(std::string_view text, bool* ok) {
  const EvalResult r = EvaluateText(text);
  *ok = !r.error && !r.isString && std::isfinite(r.number);
  return r.number;
}

bool IsBlank(char c) { return c == ' '; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits at `separator` outside parentheses and double quotes; each piece trimmed of blanks.
std::vector<std::string> SplitArguments(std::string_view text, char separator) {
  std::vector<std::string> out;
  if (Trim(text).empty()) return out;
  int depth = 0;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || (text[i] == separator && depth == 0 && !quoted)) {
      out.emplace_back(Trim(text.substr(start, i - start)));
      start = i + 1;
      continue;
    }
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '(') {
      ++depth;
    } else if (!quoted && c == ')' && depth > 0) {
      --depth;
    }
  }
  return out;
}

// Index of the "}" that closes a command whose text starts at `from`, outside double quotes;
// npos when there is none.
size_t ClosingBrace(std::string_view text, size_t from) {
  bool quoted = false;
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '"') {
      quoted = !quoted;
    } else if (text[i] == '}' && !quoted) {
      return i;
    }
  }
  return std::string_view::npos;
}

// Appends keys to the line, joining them to a keystroke step that ends it.
void AddKeys(MacroLine& line, char key, int count) {
  if (line.empty() || line.back().kind != MacroStep::Kind::kKeys) {
    line.emplace_back();
    line.back().kind = MacroStep::Kind::kKeys;
  }
  line.back().keys.append(static_cast<size_t>(count), key);
}

void AddUnknown(MacroLine& line, std::string name) {
  MacroStep step;
  step.kind = MacroStep::Kind::kUnknown;
  step.name = std::move(name);
  line.push_back(std::move(step));
}

}  // namespace

MacroLineContext SheetLineContext() { return MacroLineContext{&SheetHasName, &EvaluateCountText}; }

std::string PlainMacroText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    switch (static_cast<unsigned char>(c)) {
      case 0x94: case 0x93: c = '"'; break;
      case 0x82: c = ','; break;
      case 0x88: c = '^'; break;
      case 0x98: c = '~'; break;
      case 0xA6: c = '|'; break;
      case 0xB7: c = '.'; break;
      default: break;
    }
  }
  return out;
}

int RepeatCount(std::string_view text, const MacroLineContext& context) {
  text = Trim(text);
  if (text.empty() || !context.evaluateCount) return 1;
  bool ok = false;
  const double value = std::round(context.evaluateCount(text, &ok));
  if (!ok || !(value >= 1)) return 1;
  if (value > kMaxRepeatCount) return kMaxRepeatCount;
  return static_cast<int>(value);
}

MacroLine TranslateMacroLine(std::string_view raw, const MacroLineContext& context) {
  const std::string text = PlainMacroText(raw);
  const char separator = ArgumentSeparator();
  MacroLine line;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 0x20) {
      ++i;
      continue;
    }
    if (c == '~') {
      AddKeys(line, static_cast<char>(MacroKey::kEnter), 1);
      ++i;
      continue;
    }
    if (c != '{') {
      AddKeys(line, c, 1);
      ++i;
      continue;
    }
    // A command: the name runs to a blank or the "}".
    size_t nameEnd = i + 1;
    while (nameEnd < text.size() && text[nameEnd] != ' ' && text[nameEnd] != '}') ++nameEnd;
    std::string name = UpperCase(std::string_view(text).substr(i + 1, nameEnd - i - 1));
    if (name == "REM") {
      const size_t close = text.find('}', nameEnd);
      i = close == std::string::npos ? text.size() : close + 1;
      continue;
    }
    const size_t close = ClosingBrace(text, nameEnd);
    if (close == std::string_view::npos) {
      AddUnknown(line, std::move(name));
      break;
    }
    const std::string_view argumentText =
        std::string_view(text).substr(nameEnd, close - nameEnd);
    i = close + 1;
    const MacroWord word = FindMacroWord(name);
    if (word.index < 0) {
      if (context.isRangeName && context.isRangeName(name)) {
        const MacroWord call = FindMacroWord("CALL");
        MacroStep step;
        step.kind = MacroStep::Kind::kCommand;
        step.word = call.index;
        step.arguments.push_back(name);
        step.name = std::move(name);
        line.push_back(std::move(step));
      } else {
        AddUnknown(line, std::move(name));
      }
      continue;
    }
    const int count = word.arguments == kRepeatCount ? RepeatCount(argumentText, context) : 1;
    if (word.kind == MacroWordKind::kKey) {
      AddKeys(line, static_cast<char>(word.key), count);
      continue;
    }
    MacroStep step;
    step.kind = MacroStep::Kind::kCommand;
    step.word = word.index;
    step.name = word.name;
    if (word.arguments != kRepeatCount) step.arguments = SplitArguments(argumentText, separator);
    for (int k = 1; k < count; ++k) line.push_back(step);
    line.push_back(std::move(step));
  }
  return line;
}

std::string DumpMacroLine(const MacroLine& line) {
  std::string out;
  for (const MacroStep& step : line) {
    switch (step.kind) {
      case MacroStep::Kind::kKeys:
        for (char c : step.keys) {
          if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
          } else if (c == static_cast<char>(MacroKey::kEnter)) {
            out += '~';
          } else {
            out += "{" + std::string(MacroKeyName(static_cast<uint8_t>(c))) + "}";
          }
        }
        break;
      case MacroStep::Kind::kCommand:
        out += "[" + std::string(MacroWordAt(step.word).name);
        for (const std::string& a : step.arguments) out += "|" + a;
        out += "]";
        break;
      case MacroStep::Kind::kUnknown:
        out += "[?" + step.name + "]";
        break;
    }
  }
  return out;
}
