// analysis/data_form.h — the rules of the record form on a database range.
//
// The form shows one record (one row below the name row) at a time, one field per column whose
// name cell exists, is protected and is not hidden; the window draws an edit line per field
// (none for a column of width 0, which keeps its place) and leaves the rules to this model.
// Reads and writes: the current worksheet's cells (saving a record runs as one command).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "core/address.h"

struct DataFormField {
  uint16_t column = 0;     // the sheet column of the field
  int place = 0;           // the field's position among the columns that have a name cell
  std::string caption;     // the name's entry text without its label prefix, and a blank
  uint8_t format = 0;      // the name cell's FormatCode, given to every cell the form writes
  int pixelWidth = 0;      // the column's width in pixels (0: no edit line)
};

// At most this many fields.
constexpr int kMaxFormFields = 51;

class DataFormModel {
 public:
  // Opens the form on `range`; false when the range is undefined or names no field. The record
  // count is the number of rows below the name row, down to the last one of the run of rows
  // that hold anything in a field's column; the first record is shown.
  bool Open(const CellRange& range);

  const std::vector<DataFormField>& Fields() const { return fields_; }
  // The edit texts, one per field.
  const std::vector<std::string>& Texts() const { return texts_; }
  // The user typed into field `index`: the record counts as changed.
  void SetText(size_t index, std::string text);
  int Record() const { return record_; }
  int RecordCount() const { return count_; }
  // "Record:" n " of " m.
  std::string RecordCaption() const;

  // Update: enters each field's text into its cell of the current record's row (as typed) and
  // gives the cell the field's format. One command; kDone when every entry went in.
  CommandResult Save();
  // The moves: a changed record is saved first. Next past the last record makes a new record
  // when any field holds text (cleared unless `cloneLast`, then saved); with every field empty
  // it stays at the last record and beeps.
  void Next(bool cloneLast);
  void Previous();
  void Top();
  void Bottom();
  // A new record after the last one, saved with the fields as they are.
  void Add();

 private:
  void Show();
  void SaveIfChanged();
  uint32_t RowOf(int record) const { return uint32_t(range_.firstRow) + uint32_t(record); }

  CellRange range_;
  std::vector<DataFormField> fields_;
  std::vector<std::string> texts_;
  int record_ = 1;
  int count_ = 0;
  bool changed_ = false;
};
