// ui/data_form_window.h — DataFormWindow, the record form ("Data Form") on a database range.
//
// One edit line per field of the range (a column whose name cell is protected and not hidden),
// each captioned with the field's name, in a scrolling area; a column of width 0 keeps its place
// but gets no edit line. The buttons "&Next", "&Prev", "&Top", "&Bot", "&Add", "&Update" and
// "&Cancel" and the check box "Clone Last Record" drive the engine's form model; the label shows
// "Record:" n " of " m. A record whose edit lines were changed is saved before any move. Every
// step runs with the form's worksheet current and the sheet's views refreshed after it.
// State: per window (the worksheet, the form model, the edit lines).
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "analysis/data_form.h"
#include "core/address.h"
#include "core/worksheets.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QWidget;

class DataFormWindow : public QDialog {
  Q_OBJECT
 public:
  // Runs a step of the form with worksheet `slot` current and refreshes its views afterwards.
  using SheetRunner = std::function<void(SlotIndex slot, const std::function<void()>& step)>;

  explicit DataFormWindow(SheetRunner runner, QWidget* parent = nullptr);

  // Opens the form on `range` of worksheet `slot` at its first record. False (and a beep) when
  // the range has no field; the window then stays closed.
  bool Open(SlotIndex slot, const CellRange& range);

  // The buttons.
  void Next();
  void Previous();
  void Top();
  void Bottom();
  void Add();
  void Update();

  // --- for tests ---
  // The edit line of field `index` (null for a field of a column of width 0).
  QLineEdit* edit(size_t index) const { return index < edits_.size() ? edits_[index] : nullptr; }
  size_t fieldCount() const { return edits_.size(); }
  QLabel* recordLabel() const { return recordLabel_; }
  QCheckBox* cloneBox() const { return cloneBox_; }
  const DataFormModel& model() const { return model_; }

 private:
  void BuildFields();
  // Hands the edit lines' changed texts to the model.
  void TakeTexts();
  // Shows the model's record in the edit lines and the label.
  void ShowRecord();
  // Runs `step` on the model with the sheet current, then shows the record.
  void Step(const std::function<void()>& step);

  SheetRunner runner_;
  SlotIndex slot_ = 0;
  DataFormModel model_;
  QScrollArea* scroll_;
  QWidget* fieldArea_ = nullptr;
  std::vector<QLineEdit*> edits_;
  QLabel* recordLabel_;
  QCheckBox* cloneBox_;
};
