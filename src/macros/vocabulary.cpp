// macros/vocabulary.cpp — the sorted tables built from vocabulary.def and their look-ups.
//
// State: the two sorted tables, built on first use and never changed afterwards.
#include "macros/vocabulary.h"

#include <algorithm>
#include <cstring>

#include "core/text_case.h"
#include "macros/command_handlers.h"

namespace {

#define REP kRepeatCount

struct AliasRow {
  const char* name;
  int arguments;
  const char* main;
};

const MacroWord kMainRows[] = {
#define MACRO_KEY(name, args, key) {#name, args, MacroWordKind::kKey, MacroKey::key, nullptr, -1},
#define MACRO_COMMAND(name, args, handler) \
  {#name, args, MacroWordKind::kCommand, MacroKey::kNone, &handler, -1},
#define MACRO_ALIAS(name, args, main)
#include "macros/vocabulary.def"
#undef MACRO_KEY
#undef MACRO_COMMAND
#undef MACRO_ALIAS
};

const AliasRow kAliasRows[] = {
#define MACRO_KEY(name, args, key)
#define MACRO_COMMAND(name, args, handler)
#define MACRO_ALIAS(name, args, main) {#name, args, #main},
#include "macros/vocabulary.def"
#undef MACRO_KEY
#undef MACRO_COMMAND
#undef MACRO_ALIAS
};

#undef REP

struct Tables {
  std::vector<MacroWord> main;                                // sorted by name
  std::vector<std::pair<std::string, MacroWord>> alternative;  // sorted by name
};

bool Less(const char* a, const char* b) { return std::strcmp(a, b) < 0; }

int FindMain(const std::vector<MacroWord>& rows, std::string_view name) {
  auto it = std::lower_bound(rows.begin(), rows.end(), name,
                             [](const MacroWord& w, std::string_view n) { return w.name < n; });
  if (it == rows.end() || it->name != name) return -1;
  return static_cast<int>(it - rows.begin());
}

const Tables& TheTables() {
  static const Tables tables = [] {
    Tables t;
    t.main.assign(std::begin(kMainRows), std::end(kMainRows));
    std::sort(t.main.begin(), t.main.end(),
              [](const MacroWord& a, const MacroWord& b) { return Less(a.name, b.name); });
    for (size_t i = 0; i < t.main.size(); ++i) t.main[i].index = static_cast<int>(i);
    for (const AliasRow& row : kAliasRows) {
      const int main = FindMain(t.main, row.main);
      if (main < 0) continue;  // the completeness test catches a misspelt main name
      MacroWord word = t.main[static_cast<size_t>(main)];
      word.arguments = row.arguments;
      t.alternative.emplace_back(row.name, word);
    }
    std::sort(t.alternative.begin(), t.alternative.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return t;
  }();
  return tables;
}

}  // namespace

MacroWord FindMacroWord(std::string_view name) {
  if (name.empty() || name.size() > 32) return MacroWord{};
  const std::string upper = UpperCase(name);
  const Tables& t = TheTables();
  const int main = FindMain(t.main, upper);
  if (main >= 0) return t.main[static_cast<size_t>(main)];
  auto it = std::lower_bound(t.alternative.begin(), t.alternative.end(), upper,
                             [](const auto& a, const std::string& n) { return a.first < n; });
  if (it != t.alternative.end() && it->first == upper) return it->second;
  return MacroWord{};
}

const MacroWord& MacroWordAt(int index) { return TheTables().main.at(static_cast<size_t>(index)); }

int MacroWordCount() { return static_cast<int>(TheTables().main.size()); }

std::string_view MacroKeyName(uint8_t key) {
  if (key == static_cast<uint8_t>(MacroKey::kEnter)) return "~";
  for (const MacroWord& w : TheTables().main) {
    if (w.kind == MacroWordKind::kKey && static_cast<uint8_t>(w.key) == key) return w.name;
  }
  return {};
}

std::vector<std::string> MacroVocabularyNames() {
  std::vector<std::string> names;
  for (const MacroWord& w : TheTables().main) names.emplace_back(w.name);
  for (const auto& a : TheTables().alternative) names.push_back(a.first);
  std::sort(names.begin(), names.end());
  return names;
}
