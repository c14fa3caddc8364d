// commands/justify.cpp — Range Justify and the Word editor's lines.
//
// Reads and writes: the current worksheet's cells (erased through the commands layer's helper,
// lines entered through cell entry); the platform's text measurement.
#include "commands/justify.h"

#include <algorithm>
#include <string>
#include <vector>

#include "commands/cell_changes.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/messages.h"
#include "core/worksheets.h"
#include "formula/formula_text.h"
#include "platform/platform.h"

namespace {

constexpr size_t kMaxLines = 500;

// The text of a cell without a label's prefix character.
std::string CellWords(CellHandle h) {
  const CellRecord* c = CellAt(h);
  if (KindIsLabel(c->kind)) {
    const std::string text = PoolText(c->text);
    return text.empty() ? text : text.substr(1);
  }
  return {};
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class Measure {
 public:
  Measure(int usable, uint8_t font, int points) : usable_(usable), font_(font), points_(points) {}
  bool Fits(const std::string& text) const {
    return ThePlatform().TextWidth(text, font_, points_) < usable_;
  }

 private:
  int usable_;
  uint8_t font_;
  int points_;
};

// One more blank at each gap, pass after pass, while the line fits; a line without gaps gets
// blanks at its end.
std::string Padded(std::string line, const Measure& measure) {
  if (line.find(' ') == std::string::npos) {
    while (measure.Fits(line + ' ')) line += ' ';
    return line;
  }
  while (true) {
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] != ' ') continue;
      std::string wider = line;
      wider.insert(i, 1, ' ');
      if (!measure.Fits(wider)) return line;
      line = wider;
      while (i < line.size() && line[i] == ' ') ++i;  // past this gap
    }
  }
}

std::vector<std::string> Words(const std::string& stream) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < stream.size()) {
    const size_t start = stream.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    const size_t end = std::min(stream.find(' ', start), stream.size());
    words.push_back(stream.substr(start, end - start));
    at = end;
  }
  return words;
}

CommandResult Refuse(const std::string& text) {
  ShowError(text);
  return CommandResult{CommandStatus::kFailed, text};
}

}  // namespace

CommandResult JustifyRange(const CellRange& range, int width, bool pad, bool centre) {
  if (!RangeIsValid(range)) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange r = OrderedRange(range);
  CommandSteps steps = CellChangeSteps();
  steps.refuseWhenProtected = true;
  return RunCommand(steps, [&]() -> CommandResult {
    const CellHandle corner = GetCell(r.firstRow, r.firstColumn);
    const Measure measure(width - 4, corner ? CellAt(corner)->font : uint8_t(255),
                          corner ? CellAt(corner)->size : 0);
    const std::string prefix(1, AlignmentPrefix(0));
    CommandResult result;
    if (centre) {
      for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
        std::string text;
        bool found = false;
        for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn); h && !found; h = CellAt(h)->next) {
          if (CellAt(h)->column > r.lastColumn) break;
          const uint8_t kind = CellAt(h)->kind & kKindMask;
          if (kind == uint8_t(CellKind::kBlank)) continue;
          found = true;
          text = KindIsLabel(CellAt(h)->kind) ? CellWords(h) : CellContentsText(h);
        }
        if (!found) continue;
        text = Trimmed(text);
        for (bool atEnd = true; measure.Fits(text + ' '); atEnd = !atEnd) {
          text = atEnd ? text + ' ' : ' ' + text;
        }
        if (EnterCell(prefix + text, row, r.firstColumn) != EntryResult::kStored && result.Done()) {
          result = CommandResult{CommandStatus::kFailed, ErrorText()};
        }
      }
      return result;
    }

    // Only labels of the first column can be written back: refuse anything else.
    std::string stream;
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        if (c->column > r.lastColumn) break;
        if ((c->kind & kKindMask) == uint8_t(CellKind::kBlank)) continue;
        if (c->column != r.firstColumn || !KindIsLabel(c->kind)) {
          return Refuse("Cannot Justify: " + ShortCellText(c->row, c->column) +
                        " is not a label of the first column");
        }
        if (!stream.empty()) stream += ' ';
        stream += CellWords(h);
      }
    }
    std::vector<std::string> lines;
    for (const std::string& word : Words(stream)) {
      if (!lines.empty() && measure.Fits(lines.back() + ' ' + word)) {
        lines.back() += ' ' + word;
      } else {
        lines.push_back(word);
      }
    }
    const size_t rows = r.lastRow - r.firstRow + 1u;
    if (lines.size() > std::min(rows, kMaxLines)) return Refuse(" RANGE too Small. Expand it!");
    for (uint32_t row = r.firstRow; row <= r.lastRow; ++row) {
      for (CellHandle h = FindCellAtOrAfter(row, r.firstColumn); h; h = CellAt(h)->next) {
        if (CellAt(h)->column > r.lastColumn) break;
        EraseCellContents(h);
      }
    }
    for (size_t k = 0; k < lines.size(); ++k) {
      if (ThePlatform().UserInterrupted()) break;
      const std::string line = pad && k + 1 < lines.size() && lines[k].back() != '.'
                                   ? Padded(lines[k], measure)
                                   : lines[k];
      if (EnterCell(prefix + line, uint32_t(r.firstRow + k), r.firstColumn) != EntryResult::kStored &&
          result.Done()) {
        result = CommandResult{CommandStatus::kFailed, ErrorText()};
      }
    }
    return result;
  });
}

std::vector<std::string> WordLines(const CellRange& block) {
  std::vector<std::string> lines;
  if (!RangeIsValid(block) || CurrentWorksheet() == 0) return lines;
  const CellRange b = OrderedRange(block);
  for (uint32_t row = b.firstRow; row <= b.lastRow; ++row) {
    const CellHandle h = GetCell(row, b.firstColumn);
    lines.push_back(h ? CellContentsText(h) : std::string());
  }
  return lines;
}

CommandResult EnterWordLines(const CellRange& block, const std::vector<std::string>& lines) {
  if (!RangeIsValid(block)) return CommandResult{CommandStatus::kFailed, {}};
  const CellRange b = OrderedRange(block);
  CommandSteps steps;
  steps.recalculate = false;  // each entry recalculates what depends on its cell
  return RunCommand(steps, [&]() -> CommandResult {
    CommandResult result;
    for (size_t k = 0; k < lines.size() && b.firstRow + k < kRowCount; ++k) {
      const uint32_t row = uint32_t(b.firstRow + k);
      const CellHandle h = GetCell(row, b.firstColumn);
      if (h && CellContentsText(h) == lines[k]) continue;
      EntryResult entered;
      if (lines[k].empty()) {
        if (!h) continue;
        // An empty line empties the cell through the erase command's rules (protection too).
        const CommandResult erased = EraseRange(CellRange{b.firstColumn, uint16_t(row), b.firstColumn, uint16_t(row)});
        if (!erased.Done() && result.Done()) result = erased;
        continue;
      }
      ClearError();
      entered = EnterCell(lines[k], row, b.firstColumn);
      if (entered == EntryResult::kStored || !result.Done()) continue;
      result = entered == EntryResult::kProtected
                   ? CommandResult{CommandStatus::kProtected, "Protected Cell"}
                   : CommandResult{entered == EntryResult::kFormulaError ? CommandStatus::kFormulaError
                                                                         : CommandStatus::kFailed,
                                   ErrorText()};
    }
    return result;
  });
}
