// ui/analysis_actions.cpp — the main window's Array menu, the prompt commands of the data tools
// (Bin, Table One, Table Two) and the record form window.
//
// The Array menu opens the matrix dialog on the page of the item with the selection as the first
// source; its request runs through RunOnSelection. The prompt commands ask for their ranges one
// after the other on the range prompt, keep them in the sheet's options as the Data dialog does
// and run the tool (one undo step for both). Each dialog and window is created on first use and reused.
// State: the matrix dialog and the record form window.
#include <QApplication>

#include "analysis/data_tools.h"
#include "core/global_options.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/data_form_window.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/matrix_dialog.h"
#include "ui/worksheet_window.h"

namespace {

// Tags of the Data menu's prompt commands.
constexpr int kBinPrompt = 0;
constexpr int kTableOnePrompt = 1;
constexpr int kTableTwoPrompt = 2;

}  // namespace

MatrixDialog* MainWindow::matrixDialog() {
  if (!matrixDialog_) {
    matrixDialog_ = new MatrixDialog(this);
    matrixDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                          std::function<void(const CellRange&)> done,
                                          std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(matrixDialog_, &QDialog::accepted, this, [this] {
      const MatrixDialog::Request r = matrixDialog_->request();
      QApplication::setOverrideCursor(Qt::WaitCursor);
      RunOnSelection([&r](const CellRange&) { return RunMatrixRequest(r); });
      QApplication::restoreOverrideCursor();
    });
  }
  return matrixDialog_;
}

DataFormWindow* MainWindow::dataFormWindow() {
  if (!dataFormWindow_) {
    dataFormWindow_ = new DataFormWindow(
        [this](SlotIndex slot, const std::function<void()>& step) {
          {
            SheetScope scope(slot);
            step();
          }
          RefreshSheetViews();
        },
        this);
    connect(dataFormWindow_, &QDialog::finished, this, [this] { RefreshSheetViews(); });
  }
  return dataFormWindow_;
}

void MainWindow::OpenDataForm(const CellRange& range) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  dataFormWindow()->Open(sheetWindow->slot(), range);
}

void MainWindow::BinPrompts() {
  OpenPrompt(QStringLiteral("BIN: Enter Analysis Range"), [this](const CellRange& data) {
    OpenPrompt(QStringLiteral("Enter Bin Range"), [this, data](const CellRange& bins) {
      RunOnSelection([&](const CellRange&) {
        const bool lowerInclusive = Options().binLowerInclusive();
        UndoGroupScope group;
        KeepToolRanges(KeptRanges::kBins, {data, bins, CellRange{}}, lowerInclusive);
        return FrequencyBins(data, bins, lowerInclusive);
      });
    });
  });
}

void MainWindow::TablePrompts(bool twoInputs) {
  // The last prompt: the table, then the tool with the inputs asked for before it.
  auto askTable = [this](const CellRange& input1, const CellRange& input2) {
    OpenPrompt(QStringLiteral("Output Range"), [this, input1, input2](const CellRange& table) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      RunOnSelection([&](const CellRange&) {
        UndoGroupScope group;
        KeepToolRanges(KeptRanges::kTable, {input1, input2, table});
        return DataTable(input1, input2, table);
      });
      QApplication::restoreOverrideCursor();
    });
  };
  if (!twoInputs) {
    OpenPrompt(QStringLiteral("TABLE 1: Specify Input Cell"),
               [askTable](const CellRange& input1) { askTable(input1, CellRange{}); });
    return;
  }
  OpenPrompt(QStringLiteral("TABLE 2: Specify FIRST Input Cell"),
             [this, askTable](const CellRange& input1) {
               OpenPrompt(QStringLiteral("Specify SECOND Cell"),
                          [askTable, input1](const CellRange& input2) {
                            askTable(input1, input2);
                          });
             });
}

void MainWindow::RunAnalysisCommand(Cmd cmd, int tag) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  if (cmd == Cmd::kArray) {
    matrixDialog()->Open(sheetWindow->slot(), tag, sheetWindow->activeGrid()->selection());
    return;
  }
  switch (tag) {
    case kBinPrompt: BinPrompts(); break;
    case kTableOnePrompt: TablePrompts(false); break;
    case kTableTwoPrompt: TablePrompts(true); break;
    default: ThePlatform().Beep(); break;
  }
}
