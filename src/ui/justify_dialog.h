// ui/justify_dialog.h — JustifyDialog, the Range menu's justify dialog ("Justify").
//
// "&Justify Range: " (initially the selected block; double-clicking points at it), "&Width: " in
// pixels (initially the sum of the widths of the range's columns), "&Pad Using Spaces Between
// Words" and "Center Text Within Range". "&Ok" reads the fields (a range that does not read or a
// width that is no positive whole number beeps and keeps the dialog open); the main window runs
// the justify the dialog ends with (commands/justify.h JustifyRange).
// State: per dialog (the worksheet it reads ranges in, the request it ended with).
#pragma once

#include <QDialog>

#include "core/worksheets.h"
#include "ui/range_fields.h"

class QCheckBox;
class QLineEdit;

class JustifyDialog : public QDialog {
  Q_OBJECT
 public:
  struct Request {
    CellRange range;
    int width = 0;
    bool pad = false;
    bool centre = false;
  };

  explicit JustifyDialog(QWidget* parent = nullptr);

  // Opens the dialog for worksheet `slot` with `selection` as the range and the width of its
  // columns.
  void Open(SlotIndex slot, const CellRange& selection);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  void Confirm();
  const Request& request() const { return request_; }

  // The sum of the widths of the columns of `range` in worksheet `slot`, in pixels.
  static int ColumnsWidth(SlotIndex slot, const CellRange& range);

  QLineEdit* rangeField() const { return rangeField_; }
  QLineEdit* widthField() const { return widthField_; }
  QCheckBox* padBox() const { return padBox_; }
  QCheckBox* centreBox() const { return centreBox_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  Request request_;
  QLineEdit* rangeField_;
  QLineEdit* widthField_;
  QCheckBox* padBox_;
  QCheckBox* centreBox_;
};
