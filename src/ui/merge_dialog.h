// ui/merge_dialog.h — MergeDialog, the dialog behind File > Merge ("Merge Value" or "Merge by
// Formula").
//
// "&Insert at Cell: " takes the cell where the file's block lands (initially the cell pointer).
// "Merge Source:" is "&All" (the whole file, its A1 on that cell) or "Ra&nge:" with a list of the
// range names the file defines; a range text of the file may be typed there instead of a name.
// "Action:" is "&Replace", "&Sum" or "&Difference". Every opening starts from All and Replace.
// "&Ok" reads the cell (a cell that does not read, or Range with nothing named, beeps and keeps
// the dialog open); the main window runs the merge the dialog ends with.
// State: per dialog (the worksheet it reads the cell in, the file, the request).
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "core/worksheets.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;

class MergeDialog : public QDialog {
  Q_OBJECT
 public:
  struct Request {
    QString fileName;
    bool formulas = false;
    uint32_t row = 0;
    uint32_t column = 0;
    // Empty for the whole file; else a range name or a range text of the file.
    QString source;
    uint16_t action = 1;  // 1 replace, 2 sum, 3 difference
  };

  explicit MergeDialog(QWidget* parent = nullptr);

  // Opens the dialog for worksheet `slot` to merge `fileName` (its values, or its formulas when
  // `formulas`), offering `rangeNames` (the file's names) and `cell` as the target.
  void Open(SlotIndex slot, const QString& fileName, bool formulas, const QStringList& rangeNames,
            const CellRange& cell);
  void Confirm();
  const Request& request() const { return request_; }

  QLineEdit* cellField() const { return cellField_; }
  QRadioButton* allButton() const { return all_; }
  QRadioButton* rangeButton() const { return range_; }
  QComboBox* sourceBox() const { return source_; }
  QButtonGroup* actionButtons() const { return actions_; }

 private:
  SlotIndex slot_ = 0;
  Request request_;
  QLineEdit* cellField_;
  QRadioButton* all_;
  QRadioButton* range_;
  QComboBox* source_;
  QButtonGroup* actions_;
};
