// ui/audit_dialog.h — AuditDialog, the "Audit Cell References" window (Sheet > Audit), and the
// painting of its map and chart.
//
// Four tabs over one worksheet: "&Tree" (the formulas that depend on one cell, as an outline),
// "&Overview" (a map of the used area coloured by cell kind), "&Stats" (a bar chart of the
// proportion of each kind) and "&XRef" (the cross-reference list of a range). Everything shown
// comes from commands/audit.h; the map and the chart are painted on a QPainter the caller hands
// in, so the same routine draws on screen, on a printer and into a QImage. The report and the
// chart print through QPrinter (to a PDF file when the system has no printer). A double-click on
// the cell or range field hides the dialog and asks through the main window's range prompt.
// State: per dialog (the worksheet it shows, the last counts); reads that worksheet only.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <vector>

#include "commands/audit.h"
#include "core/address.h"
#include "core/worksheets.h"

class QLabel;
class QLineEdit;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

// Paints the map of the used area into `box`: a grey frame, column letters along the top and row
// numbers down the left where they do not overlap the previous one, each cell filled in its
// kind's colour, and a legend of the five kinds.
void PaintAuditMap(QPainter& painter, const QRect& box, const AuditCounts& counts,
                   const std::vector<AuditMapCell>& cells);
// Paints the Stats chart (heading, bars, labels) into `box`; only the heading when the total is 0.
void PaintAuditChart(QPainter& painter, const QRect& box, const AuditCounts& counts);
// Prints text lines (TABs expanded) page after page on `device`, which must be open for painting
// by nothing else. False when painting could not start.
bool PrintAuditLines(QPagedPaintDevice& device, const std::vector<std::string>& lines);
// Prints the chart on one page of `device`, filling its page rectangle.
bool PrintAuditChart(QPagedPaintDevice& device, const AuditCounts& counts);

// The printer of a report or chart titled `title`: the print dialog's choice, or, when the system
// has no printer, a PDF file the user names. Null when cancelled. The caller owns it.
QPrinter* ChooseAuditPrinter(QWidget* parent, const QString& title);

// A widget that paints the map or the chart of the counts it was last given.
class AuditPicture : public QWidget {
  Q_OBJECT
 public:
  enum class Kind : uint8_t { kMap, kChart };
  AuditPicture(Kind kind, QWidget* parent = nullptr);
  void setData(const AuditCounts& counts, std::vector<AuditMapCell> cells);
  QSize sizeHint() const override { return QSize(480, 320); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
  AuditCounts counts_;
  std::vector<AuditMapCell> cells_;
};

class AuditDialog : public QDialog {
  Q_OBJECT
 public:
  // Asks for a range with `caption`, starting from `start`; `done` gets the accepted range;
  // `closed` is called after, accepted or not.
  using RangeRequest =
      std::function<void(const QString& caption, const CellRange& start,
                         std::function<void(const CellRange&)> done, std::function<void()> closed)>;
  // Gives the printer a report or chart goes to, set up (printer chosen, or a PDF file named), or
  // null when the user cancelled; the dialog deletes it after printing. ChooseAuditPrinter unless
  // set otherwise.
  using PrinterRequest = std::function<QPrinter*(QWidget* parent, const QString& title)>;

  explicit AuditDialog(QWidget* parent = nullptr);
  ~AuditDialog() override;

  // Shows the dialog for worksheet `slot`: the tree of `cursor` at depth 1, the counts, and the
  // cross-reference list of the used area.
  void Open(SlotIndex slot, CellAddress cursor);
  void setRangeRequest(RangeRequest request) { rangeRequest_ = std::move(request); }
  void setPrinterRequest(PrinterRequest request) { printerRequest_ = std::move(request); }

  // --- for tests and the main window ---
  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* cellField() const { return cellField_; }
  QSpinBox* depthField() const { return depthField_; }
  QTreeWidget* tree() const { return tree_; }
  QLabel* totalLabel() const { return totalLabel_; }
  QLabel* levelLabel() const { return levelLabel_; }
  QLabel* rangeLabel() const { return rangeLabel_; }
  QLabel* cellsLabel() const { return cellsLabel_; }
  AuditPicture* map() const { return map_; }
  AuditPicture* chart() const { return chart_; }
  QLineEdit* xrefField() const { return xrefField_; }
  QTreeWidget* xref() const { return xref_; }
  // Double-click on the cell field (TREE) or the range field (XREF).
  void AskForCell();
  void AskForRange();
  // Rebuild the tab from the fields.
  void ShowTree();
  void ShowCounts();
  void ShowXRef();
  // The report lines of the range in the XRef field.
  std::vector<std::string> ReportLines();
  // "&Print" on the XRef and Stats tabs: through the printer request.
  void PrintReport();
  void PrintChart();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildTreeTab();
  QWidget* BuildOverviewTab();
  QWidget* BuildStatsTab();
  QWidget* BuildXRefTab();
  bool SheetOpen() const;

  SlotIndex slot_ = 0;
  uint16_t heap_ = 0;
  AuditCounts counts_;
  RangeRequest rangeRequest_;
  PrinterRequest printerRequest_;
  QTabWidget* tabs_ = nullptr;
  QLineEdit* cellField_ = nullptr;
  QSpinBox* depthField_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QLabel* totalLabel_ = nullptr;
  QLabel* levelLabel_ = nullptr;
  QLabel* rangeLabel_ = nullptr;
  QLabel* cellsLabel_ = nullptr;
  AuditPicture* map_ = nullptr;
  AuditPicture* chart_ = nullptr;
  QLineEdit* xrefField_ = nullptr;
  QTreeWidget* xref_ = nullptr;
};
