// analysis/data_form.cpp — the rules of the record form on a database range.
//
// Reads and writes: the current worksheet's cells and layout (column widths).
#include "analysis/data_form.h"

#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/sheet_layout.h"
#include "platform/platform.h"

bool DataFormModel::Open(const CellRange& range) {
  fields_.clear();
  texts_.clear();
  if (!RangeIsValid(range)) return false;
  range_ = OrderedRange(range);
  int place = 0;
  for (uint32_t column = range_.firstColumn;
       column <= range_.lastColumn && int(fields_.size()) < kMaxFormFields; ++column) {
    const CellHandle h = GetCell(range_.firstRow, column);
    if (!h) continue;
    const CellRecord* c = CellAt(h);
    const int thisPlace = place++;
    if (!(c->format & kFormatProtected) || (c->format & kFormatCodeMask) == kFormatHidden) continue;
    DataFormField f;
    f.column = uint16_t(column);
    f.place = thisPlace;
    std::string name = EditText(range_.firstRow, column).text;
    if (!name.empty() && IsLabelPrefix(static_cast<unsigned char>(name[0]))) name.erase(0, 1);
    f.caption = name + " ";
    f.format = c->format;
    f.pixelWidth = CurrentLayout().columnWidth[column];
    fields_.push_back(f);
  }
  if (fields_.empty()) return false;
  count_ = 0;
  for (uint32_t row = range_.firstRow + 1u; row < uint32_t(kRowCount); ++row) {
    bool any = false;
    for (const DataFormField& f : fields_) {
      const CellHandle h = GetCell(row, f.column);
      if (h && !IsPlainBlank(CellAt(h)) && (CellAt(h)->kind & kKindMask) != uint8_t(CellKind::kBlank)) {
        any = true;
        break;
      }
    }
    if (!any) break;
    ++count_;
  }
  record_ = 1;
  Show();
  return true;
}

void DataFormModel::SetText(size_t index, std::string text) {
  if (index >= texts_.size()) return;
  texts_[index] = std::move(text);
  changed_ = true;
}

std::string DataFormModel::RecordCaption() const {
  return "Record:" + std::to_string(record_) + " of " + std::to_string(count_);
}

void DataFormModel::Show() {
  texts_.assign(fields_.size(), std::string());
  const uint32_t row = RowOf(record_);
  if (row < uint32_t(kRowCount)) {
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (GetCell(row, fields_[i].column)) texts_[i] = EditText(row, fields_[i].column).text;
    }
  }
  changed_ = false;
}

CommandResult DataFormModel::Save() {
  const uint32_t row = RowOf(record_);
  if (row >= uint32_t(kRowCount)) return CommandResult{CommandStatus::kFailed, {}};
  CommandSteps steps;
  steps.recalculate = false;  // each entry recalculates what depends on its cell
  CommandResult result = RunCommand(steps, [&]() -> CommandResult {
    CommandResult r;
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (fields_[i].pixelWidth == 0) continue;  // no edit line
      const EntryResult e = EnterCell(texts_[i], row, fields_[i].column);
      if (e == EntryResult::kProtected) r = CommandResult{CommandStatus::kProtected, "Protected Cell"};
      if (e == EntryResult::kFormulaError) r = CommandResult{CommandStatus::kFormulaError, {}};
      if (e != EntryResult::kStored) continue;
      const CellHandle h = GetCell(row, fields_[i].column);
      if (h) CellAt(h)->format = fields_[i].format;
    }
    return r;
  });
  changed_ = false;
  return result;
}

void DataFormModel::SaveIfChanged() {
  if (changed_) Save();
}

void DataFormModel::Next(bool cloneLast) {
  SaveIfChanged();
  ++record_;
  if (record_ <= count_) return Show();
  bool anyText = false;
  for (size_t i = 0; i < texts_.size(); ++i) {
    if (fields_[i].pixelWidth != 0 && !texts_[i].empty()) anyText = true;
  }
  if (!anyText) {
    record_ = count_ < 1 ? 1 : count_;
    ThePlatform().Beep();
    return Show();
  }
  count_ = record_;
  if (!cloneLast) texts_.assign(fields_.size(), std::string());
  Save();
}

void DataFormModel::Previous() {
  SaveIfChanged();
  if (record_ > 1) --record_;
  Show();
}

void DataFormModel::Top() {
  SaveIfChanged();
  record_ = 1;
  Show();
}

void DataFormModel::Bottom() {
  SaveIfChanged();
  record_ = count_ < 1 ? 1 : count_;
  Show();
}

void DataFormModel::Add() {
  record_ = ++count_;
  Save();
}
