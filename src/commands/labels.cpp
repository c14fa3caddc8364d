// commands/labels.cpp — alignment prefixes and letter case of labels.
//
// Reads and writes: the current worksheet's cells.
#include "commands/labels.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/text_case.h"

namespace {

// The prefix characters of the codes 1..6 (code 0 is the sheet's default label prefix).
constexpr char kCodePrefixes[7] = {0, '\'', '"', '^', '`', char(171), char(187)};

bool Locked(CellHandle h) {
  return Options().protection() && (!h || (CellAt(h)->format & kFormatProtected));
}

// Calls `visit` with each label of the block that protection leaves alone, and its text.
void ForEachLabel(const CellRange& r, const std::function<void(uint32_t, uint32_t, const std::string&)>& visit) {
  for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
    // Entry may create or replace records: look each column up again.
    for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
      const CellHandle h = FindCellAtOrAfter(row, column);
      if (!h || CellAt(h)->column > r.lastColumn) break;
      column = CellAt(h)->column;
      if (Locked(h) || !KindIsLabel(CellAt(h)->kind)) continue;
      visit(row, column, PoolText(CellAt(h)->text));
    }
  }
}

std::string Converted(std::string text, int mode) {
  switch (mode) {
    case 0:
      for (char& c : text) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
      break;
    case 1: text = UpperCase(text); break;
    case 2: {
      bool start = true;
      for (char& c : text) {
        const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
        if (start && lower) c = char(c - 'a' + 'A');
        if (!start && upper) c = char(c - 'A' + 'a');
        start = c == ' ';
      }
      break;
    }
    case 3: {
      std::string out;
      for (char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
      }
      if (!out.empty() && out.front() == ' ') out.erase(0, 1);
      if (!out.empty() && out.back() == ' ') out.pop_back();
      text = out;
      break;
    }
    case 4: text.erase(std::remove(text.begin(), text.end(), ' '), text.end()); break;
    case 5:
      text.erase(std::remove_if(text.begin(), text.end(),
                                [](char c) { return (unsigned char)c < 32 || (unsigned char)c >= 128; }),
                 text.end());
      break;
  }
  return text;
}

// Stores a label's new text (a label with its prefix) into the cell, making one at an empty
// position. A label holds no code, so nothing is compiled; the command recalculates afterwards.
void StoreLabel(uint32_t row, uint32_t column, const std::string& text, CommandResult* result) {
  const CellHandle h = GetOrCreateCell(row, column);
  NoteCellChange(h);
  if (!h || !SetCellText(CellAt(h), text)) {
    if (result->Done()) *result = CommandResult{CommandStatus::kFailed, {}};
    return;
  }
  CellRecord* c = CellAt(h);
  std::memset(c->value, 0, sizeof c->value);
  c->kind = uint8_t(CellKind::kLabel);
}

}  // namespace

CommandResult SetLabelPrefix(const CellRange& block, int code) {
  const int index = code & 7;
  if (index == 7) {
    const std::string text = "Invalid Justification!\nCode = " + std::to_string(code);
    ShowError(text);
    return CommandResult{CommandStatus::kFailed, text};
  }
  if (!RangeIsValid(block)) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange r = OrderedRange(block);
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    // Code 0 is the default label prefix, not a character of its own.
    const char prefix = index == 0 ? char(Options().labelPrefix()) : kCodePrefixes[index];
    CommandResult result;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      for (uint32_t column = r.firstColumn; column <= r.lastColumn; ++column) {
        CellHandle h = GetCell(row, column);
        if (Locked(h)) continue;
        if (!h) {
          StoreLabel(row, column, std::string(1, prefix), &result);
        } else if (KindIsLabel(CellAt(h)->kind)) {
          const std::string text = PoolText(CellAt(h)->text);
          if (text.size() < 2 || text[1] != '/') StoreLabel(row, column, prefix + (text.empty() ? text : text.substr(1)), &result);
        }
        if (!(code & kPrefixAlsoAlignment)) continue;
        h = GetOrCreateCell(row, column);
        if (!h) return CommandResult{CommandStatus::kFailed, {}};
        NoteCellChange(h);
        CellRecord* c = CellAt(h);
        c->style = uint8_t((c->style & ~kStyleAlignmentMask) | (index << kStyleAlignmentShift));
      }
    }
    return result;
  });
}

CommandResult ReplaceLabelPrefix(const CellRange& block, char prefix) {
  if (!RangeIsValid(block) || !IsLabelPrefix((unsigned char)prefix)) {
    return CommandResult{CommandStatus::kFailed, {}};
  }
  const CellRange r = OrderedRange(block);
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    CommandResult result;
    ForEachLabel(r, [&](uint32_t row, uint32_t column, const std::string& text) {
      StoreLabel(row, column, prefix + (text.empty() ? text : text.substr(1)), &result);
    });
    return result;
  });
}

CommandResult ConvertLabels(const CellRange& block, int mode) {
  if (!RangeIsValid(block) || mode < 0 || mode > 5) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange r = OrderedRange(block);
  return RunCommand(CellChangeSteps(), [&]() -> CommandResult {
    CommandResult result;
    ForEachLabel(r, [&](uint32_t row, uint32_t column, const std::string& text) {
      if (text.size() < 2) return;
      const std::string converted = text.substr(0, 1) + Converted(text.substr(1), mode);
      if (converted != text) StoreLabel(row, column, converted, &result);
    });
    return result;
  });
}
