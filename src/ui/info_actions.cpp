// ui/info_actions.cpp — the main window's document information, System Metrics, range-name and
// tip dialogs.
//
// Each dialog is created on first use and reused. The document information's "&Ok" runs through
// RunOnSelection (the active window's sheet current, its views refreshed afterwards); the
// range-name dialog runs its commands on the sheet it was opened for and asks for a refresh.
// State: the four dialogs.
#include "commands/document_info.h"
#include "platform/platform.h"
#include "ui/document_info_dialog.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/range_name_dialog.h"
#include "ui/system_metrics_dialog.h"
#include "ui/tip_dialog.h"
#include "ui/worksheet_window.h"

DocumentInfoDialog* MainWindow::documentInfoDialog() {
  if (!documentInfoDialog_) {
    documentInfoDialog_ = new DocumentInfoDialog(this);
    connect(documentInfoDialog_, &QDialog::accepted, this, [this] {
      const std::string title = documentInfoDialog_->Title();
      const std::string comments = documentInfoDialog_->Comments();
      RunOnSelection([&](const CellRange&) { return SetDocumentInfo(title, comments); });
    });
  }
  return documentInfoDialog_;
}

TipDialog* MainWindow::tipDialog() {
  if (!tipDialog_) tipDialog_ = new TipDialog(this);
  return tipDialog_;
}

SystemMetricsDialog* MainWindow::systemMetricsDialog() {
  if (!systemMetricsDialog_) systemMetricsDialog_ = new SystemMetricsDialog(this);
  return systemMetricsDialog_;
}

RangeNameDialog* MainWindow::rangeNameDialog() {
  if (!rangeNameDialog_) {
    rangeNameDialog_ = new RangeNameDialog(this);
    rangeNameDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                             std::function<void(const CellRange&)> done,
                                             std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(rangeNameDialog_, &RangeNameDialog::sheetChanged, this,
            [this] { RefreshSheetViews(); });
  }
  return rangeNameDialog_;
}

void MainWindow::OpenDocumentInfo() {
  if (WorksheetWindow* sheetWindow = activeSheetWindow()) {
    documentInfoDialog()->Open(sheetWindow->slot());
  }
}

void MainWindow::OpenSystemMetrics() {
  if (WorksheetWindow* sheetWindow = activeSheetWindow()) {
    systemMetricsDialog()->Open(sheetWindow->slot());
  }
}

void MainWindow::OpenRangeNames(int tag) {
  if (WorksheetWindow* sheetWindow = activeSheetWindow()) {
    rangeNameDialog()->Open(sheetWindow->slot(), tag, sheetWindow->activeGrid()->selection());
  }
}

void MainWindow::ShowTip() { tipDialog()->Open(); }
