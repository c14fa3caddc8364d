// ui/width_height_dialog.h — WidthHeightDialog, the Sheet menu's "Set  Width or Height" dialog.
//
// Two tabs, "&Column " and "&Row", each with "Ra&nge: " (initially the selection; double-clicking
// points at it), the width in characters or the height in pixels, the skip count, "&Global:" (set
// the sheet's default) and "R&eset:" (give back the default). "&Ok" ends the dialog with the
// request for commands/cell_properties.h SetColumnWidths or SetRowHeights (the tab shown decides
// which); a range that does not read beeps and keeps the dialog open.
// State: per dialog (the worksheet, the selection, the request).
#pragma once

#include <QDialog>
#include <array>

#include "commands/cell_properties.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;

class WidthHeightDialog : public QDialog {
  Q_OBJECT
 public:
  enum Tab : int { kColumnTab = 0, kRowTab = 1 };
  struct Request {
    bool columns = true;
    CellRange range;
    SizeRequest size;
  };

  explicit WidthHeightDialog(QWidget* parent = nullptr);

  // Opens the dialog for worksheet `slot` on `selection`, on the Column or Row tab; the size
  // fields show the first column's width and the first row's height.
  void Open(SlotIndex slot, const CellRange& selection, int tab);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  void Confirm();
  const Request& request() const { return request_; }

  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* rangeField(int tab) const { return fields_[size_t(tab)].range; }
  QSpinBox* sizeSpin(int tab) const { return fields_[size_t(tab)].size; }
  QSpinBox* skipSpin(int tab) const { return fields_[size_t(tab)].skip; }
  QCheckBox* globalBox(int tab) const { return fields_[size_t(tab)].global; }
  QCheckBox* resetBox(int tab) const { return fields_[size_t(tab)].reset; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TabFields {
    QLineEdit* range = nullptr;
    QSpinBox* size = nullptr;
    QSpinBox* skip = nullptr;
    QCheckBox* global = nullptr;
    QCheckBox* reset = nullptr;
  };
  QWidget* BuildTab(int tab);

  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  Request request_;
  QTabWidget* tabs_;
  std::array<TabFields, 2> fields_;
};
