// ui/matrix_dialog.h — MatrixDialog, the Array menu's dialog ("Array").
//
// Eight pages, one per operation in the menu's order: Add, Subtract and Multiply with the fields
// "&First: ", "&Second: " and "O&utput: "; Transpose, Invert, E-Solve, Determinant and Linear
// with "&Input: " and "O&utput: ". Opening puts the selection in the first field of the page;
// the other fields keep their last text. Double-clicking a field points at its range on the range
// prompt. Confirming reads the fields of the page shown in the worksheet the dialog was opened
// for: a field that does not read as a range beeps and keeps the dialog open with that field in
// focus. The main window runs the operation the dialog describes.
// State: per dialog (the worksheet it reads ranges in, the request it ended with).
#pragma once

#include <QDialog>

#include "commands/commands.h"
#include "core/address.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QLineEdit;
class QTabWidget;

class MatrixDialog : public QDialog {
  Q_OBJECT
 public:
  // The pages, in the Array menu's order.
  enum Page : int {
    kAdd = 0,
    kSubtract,
    kMultiply,
    kTranspose,
    kInvert,
    kSolve,
    kDeterminant,
    kLinear,
    kPageCount
  };
  struct Request {
    int page = kAdd;
    CellRange first;   // First, or Input
    CellRange second;  // Second (Add, Subtract, Multiply)
    CellAddress output;
  };

  explicit MatrixDialog(QWidget* parent = nullptr);

  // Opens the dialog for worksheet `slot` on `page` with `selection` in the page's first field.
  void Open(SlotIndex slot, int page, const CellRange& selection);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  // The OK button: checks the page's fields and, when they read, accepts with the request set.
  void Confirm();
  const Request& request() const { return request_; }

  QTabWidget* pages() const { return pages_; }
  // The field `index` (0 First/Input, 1 Second, 2 Output; Output is 1 on two-field pages) of a
  // page.
  QLineEdit* field(int page, int index) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  Request request_;
  QTabWidget* pages_;
  QLineEdit* fields_[kPageCount][3] = {};
};

// Runs the operation of a request on the current worksheet (one command).
CommandResult RunMatrixRequest(const MatrixDialog::Request& request);
