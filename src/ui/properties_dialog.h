// ui/properties_dialog.h — PropertiesDialog, the cell properties dialog ("Properties").
//
// "Range: " (initially the selection; double-clicking points at it on the range prompt
// "PROPERTY : Specify Range") and six tabs: Format, Shade, Typeface, Prefix, Lock, Border. The
// controls start from the attributes of the range's first cell; a tab counts as touched once the
// user changes one of its controls, and only touched tabs are applied (commands/cell_properties.h
// ApplyCellProperties): "&Ok" with no tab touched changes nothing. A range that does not read, or
// a format that names none, beeps and keeps the dialog open.
// State: per dialog (the worksheet, the selection it opened on, the touched tabs, the request).
#pragma once

#include <QDialog>
#include <array>

#include "commands/cell_properties.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;

class PropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  enum Tab : int { kFormatTab = 0, kShadeTab, kTypefaceTab, kPrefixTab, kLockTab, kBorderTab, kTabCount };

  struct Request {
    CellRange range;
    CellProperties properties;
  };

  explicit PropertiesDialog(QWidget* parent = nullptr);

  // Opens the dialog for worksheet `slot` on `selection`, on tab `tab` (another value: the tab
  // shown last).
  void Open(SlotIndex slot, const CellRange& selection, int tab);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  void Confirm();
  const Request& request() const { return request_; }
  // The PropertyGroup bits of the tabs touched so far.
  uint8_t touched() const { return touched_; }

  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* rangeField() const { return rangeField_; }
  QComboBox* formatBox() const { return formatBox_; }
  QCheckBox* noShadeBox() const { return noShade_; }
  QSpinBox* shadeSpin(int channel) const { return shade_[size_t(channel)]; }
  QComboBox* fontBox() const { return fontBox_; }
  QSpinBox* sizeSpin() const { return size_; }
  QCheckBox* boldBox() const { return bold_; }
  QComboBox* textColourBox() const { return textColour_; }
  QButtonGroup* prefixButtons() const { return prefix_; }
  QButtonGroup* lockButtons() const { return lock_; }
  QButtonGroup* lineButtons() const { return line_; }
  QButtonGroup* edgeButtons() const { return edges_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildFormatTab();
  QWidget* BuildShadeTab();
  QWidget* BuildTypefaceTab();
  QWidget* BuildPrefixTab();
  QWidget* BuildLockTab();
  QWidget* BuildBorderTab();
  void Touch(uint8_t group);
  void LoadFrom(const CellRange& range);

  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  Request request_;
  uint8_t touched_ = 0;
  bool loading_ = false;

  QTabWidget* tabs_;
  QLineEdit* rangeField_;
  QComboBox* formatBox_;
  QCheckBox* noShade_;
  QLabel* shadeSwatch_;
  std::array<QSpinBox*, 3> shade_{};
  QComboBox* fontBox_;
  QSpinBox* size_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QCheckBox* underline_;
  QComboBox* textColour_;
  QButtonGroup* prefix_;
  QLabel* prefixSample_;
  QButtonGroup* lock_;
  QButtonGroup* line_;
  QButtonGroup* edges_;
};
