// ui/data_dialog.h — DataDialog, the Data menu's dialog ("Data"), one page per data tool.
//
// Fill page: the output cells, start, step, the type of series (Linear, Multiply, Power) and the
// order (by rows or by columns). Sort page: the data range and four key ranges with an "A" check
// box each (checked: ascending), and "&Reset", which empties the five fields. Query page: input,
// criteria and output ranges, "&Find" (runs the query as Ok does) and "&Reset" (empties the three
// fields). Bin page: the data, the bin column and the bin type. Parse page: the range of labels.
// GoalSeek page: input cell, output cell, the desired value and the tolerance. Regress page: the
// X and Y ranges and the output cell. MultiRegress page: X, Y, output and the "Coefficients:"
// grid, one row per term and one column per X column, whose checked items are the terms fitted.
// Table page: input cell 1, the optional input cell 2 and the table. Form page: the database
// range of the record form.
// Range fields take range text or a range name; double-clicking one points at the range on the
// range prompt. Opening shows the ranges kept in the sheet's options (the selection where a page
// has none). "&Ok" reads the page shown; a field that does not read beeps and keeps the dialog
// open with that field in focus. The main window stores the ranges and runs the request.
// State: per dialog (the worksheet it reads ranges in, the fields' last texts, the request it
// ended with).
#pragma once

#include <QDialog>
#include <QHash>
#include <array>
#include <vector>

#include "commands/fill.h"
#include "commands/sort.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

class DataDialog : public QDialog {
  Q_OBJECT
 public:
  // Pages, numbered as the Data menu's item tags.
  static constexpr int kFillPage = 0;
  static constexpr int kSortPage = 1;
  static constexpr int kQueryPage = 2;
  static constexpr int kBinPage = 3;
  static constexpr int kParsePage = 4;
  static constexpr int kGoalSeekPage = 5;
  static constexpr int kRegressPage = 6;
  static constexpr int kMultiRegressPage = 7;
  static constexpr int kTablePage = 8;
  static constexpr int kFormPage = 9;
  static constexpr int kPageCount = 10;
  // Rows of the MultiRegress grid: the function index of a fitted term.
  static constexpr int kTermRows = 9;

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
    // The other pages' ranges, in the order of their fields: Query input, criteria, output;
    // Bin data, bins; Parse range; GoalSeek input, output; Regress and MultiRegress X, Y, output;
    // Table input 1, input 2, table; Form database. An empty optional field is undefined.
    std::array<CellRange, 3> ranges;
    bool lowerInclusive = false;  // Bin: a <= x < b
    double desired = 0;           // GoalSeek
    double tolerance = 0;
    std::vector<int> terms;       // MultiRegress: term codes, 9 x (X column) + row of the grid
  };

  explicit DataDialog(QWidget* parent = nullptr);

  // Whether the dialog has the page of Data menu tag `tag`.
  static bool HasPage(int tag) { return tag >= 0 && tag < kPageCount; }
  // Opens page `tag` for worksheet `slot`: the sort fields show the sheet's sort settings (the
  // data field the selection when no data range is set); the fill output, the parse range and
  // the form range show the selection; the other pages show the ranges kept in the sheet's
  // options.
  void Open(SlotIndex slot, int tag, const CellRange& selection);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }
  // "&Ok": reads the page shown and, when every field reads, accepts with the request set.
  void Confirm();
  // "&Reset": empties the data field and the four key fields.
  void Reset();
  // The Query page's "&Reset": empties its three fields.
  void ResetQuery();
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
  // Range field `index` (in the order of Request::ranges) of page `page`.
  QLineEdit* rangeField(int page, int index) const;
  QButtonGroup* binTypeButtons() const { return binTypeButtons_; }
  QLineEdit* desiredField() const { return desiredField_; }
  QLineEdit* toleranceField() const { return toleranceField_; }
  QTableWidget* termGrid() const { return termGrid_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildSortPage();
  QWidget* BuildFillPage();
  QWidget* BuildRangePage(int page, std::initializer_list<const char*> captions);
  QLineEdit* AddRangeField(QWidget* page, const char* caption, const QString& objectName);
  void FitTermGrid();
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
  std::array<std::array<QLineEdit*, 3>, kPageCount> rangeFields_{};
  // Every range field with the caption its prompt shows when the user points at the range.
  QHash<QLineEdit*, QString> pointCaptions_;
  QButtonGroup* binTypeButtons_ = nullptr;
  QLineEdit* desiredField_ = nullptr;
  QLineEdit* toleranceField_ = nullptr;
  QTableWidget* termGrid_ = nullptr;
};

// Keeps the ranges of a request of the Query, Bin, Parse, GoalSeek, Regress, MultiRegress or
// Table page in the current sheet's options and runs its tool on the current sheet; one Undo
// takes back both.
CommandResult RunDataTool(const DataDialog::Request& request);
