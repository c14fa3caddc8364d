// ui/data_dialog.h — DataDialog, the Data menu's dialog ("Data"), with its Fill and Sort pages.
//
// Fill page: the output cells, start, step, the type of series (Linear, Multiply, Power) and the
// order (by rows or by columns). Sort page: the data range and four key ranges with an "A" check
// box each (checked: ascending), and "&Reset", which empties the five fields. Range fields take
// range text or a range name; double-clicking one points at the range on the range prompt.
// "&Ok" reads the page shown; a field that does not read beeps and keeps the dialog open with that
// field in focus. The main window runs the request the dialog ends with. The other data tools of
// the Data menu get their own pages here when they are built.
// State: per dialog (the worksheet it reads ranges in, the four order flags, the last fill
// settings, the request it ended with).
#pragma once

#include <QDialog>
#include <array>

#include "commands/fill.h"
#include "commands/sort.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

class DataDialog : public QDialog {
  Q_OBJECT
 public:
  // Pages, numbered as the Data menu's item tags.
  static constexpr int kFillPage = 0;
  static constexpr int kSortPage = 1;

  struct Request {
    int page = kSortPage;
    // Sort page: the data range, the key ranges (undefined when their field is empty), the orders.
    CellRange data;
    std::array<CellRange, 4> keys;
    SortOrders ascending = kAllAscending;
    // Fill page.
    CellRange output;
    FillType type = FillType::kLinear;
    bool rowOrder = true;
    double start = 0;
    double step = 1;
  };

  explicit DataDialog(QWidget* parent = nullptr);

  // Whether the dialog has the page of Data menu tag `tag`.
  static bool HasPage(int tag) { return tag == kFillPage || tag == kSortPage; }
  // Opens page `tag` for worksheet `slot`: the sort fields show the sheet's sort settings (the
  // data field the selection when no data range is set); the output field shows the selection.
  void Open(SlotIndex slot, int tag, const CellRange& selection);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  // "&Ok": reads the page shown and, when every field reads, accepts with the request set.
  void Confirm();
  // "&Reset": empties the data field and the four key fields.
  void Reset();
  const Request& request() const { return request_; }

  // --- for tests ---
  QTabWidget* pages() const { return pages_; }
  QLineEdit* dataField() const { return dataField_; }
  QLineEdit* keyField(int k) const { return keyFields_[size_t(k)]; }
  QCheckBox* ascendingBox(int k) const { return ascendingBoxes_[size_t(k)]; }
  QLineEdit* outputField() const { return outputField_; }
  QLineEdit* startField() const { return startField_; }
  QLineEdit* stepField() const { return stepField_; }
  QButtonGroup* typeButtons() const { return typeButtons_; }
  QButtonGroup* orderButtons() const { return orderButtons_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildSortPage();
  QWidget* BuildFillPage();
  void PointAt(QLineEdit* field, const QString& caption);
  bool ReadNumber(QLineEdit* field, double* out);

  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  Request request_;
  QTabWidget* pages_;
  QLineEdit* dataField_ = nullptr;
  std::array<QLineEdit*, 4> keyFields_{};
  std::array<QCheckBox*, 4> ascendingBoxes_{};
  QLineEdit* outputField_ = nullptr;
  QLineEdit* startField_ = nullptr;
  QLineEdit* stepField_ = nullptr;
  QButtonGroup* typeButtons_ = nullptr;
  QButtonGroup* orderButtons_ = nullptr;
};
