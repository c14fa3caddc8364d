// ui/data_actions.cpp — the main window's sort, fill, find and replace, justify, Word and label
// commands: the Data dialog (its requests; the data tools' own runs are in analysis_actions.cpp),
// the Find & Replace dialog, the justify and
// Word dialogs, and the Fill, Sort and Upper/Proper quick buttons.
//
// Each dialog is created on first use and reused; its request runs through RunOnSelection, which
// makes the active window's sheet current and refreshes every view of it afterwards.
// State: the four dialogs.
#include <QApplication>

#include "commands/fill.h"
#include "commands/find_replace.h"
#include "commands/justify.h"
#include "commands/labels.h"
#include "commands/sort.h"
#include "platform/platform.h"
#include "ui/data_dialog.h"
#include "ui/find_replace_dialog.h"
#include "ui/grid_pane.h"
#include "ui/justify_dialog.h"
#include "ui/main_window.h"
#include "ui/range_prompt.h"
#include "ui/word_dialog.h"
#include "ui/worksheet_window.h"

namespace {

// ConvertLabels modes of the two halves of the Upper/Proper button.
constexpr int kUpperCase = 1;
constexpr int kProperCase = 2;

}  // namespace

void MainWindow::PointFromDialog(const QString& caption, const CellRange& start,
                                 std::function<void(const CellRange&)> done,
                                 std::function<void()> closed) {
  auto connection = std::make_shared<QMetaObject::Connection>();
  *connection = connect(rangePrompt_, &RangePrompt::closed, this, [connection, closed] {
    disconnect(*connection);
    closed();
  });
  OpenPrompt(caption, std::move(done), false, &start);
  if (!rangePrompt_->isOpen()) {
    disconnect(*connection);
    closed();
  }
}

DataDialog* MainWindow::dataDialog() {
  if (!dataDialog_) {
    dataDialog_ = new DataDialog(this);
    dataDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                        std::function<void(const CellRange&)> done,
                                        std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(dataDialog_, &QDialog::accepted, this, [this] {
      const DataDialog::Request r = dataDialog_->request();
      QApplication::setOverrideCursor(Qt::WaitCursor);
      if (r.page == DataDialog::kFormPage) {
        QApplication::restoreOverrideCursor();
        OpenDataForm(r.ranges[0]);
        return;
      }
      const CommandResult result = RunOnSelection([&r](const CellRange&) {
        if (r.page == DataDialog::kSortPage) return SortRange(r.data, r.keys, r.ascending);
        if (r.page == DataDialog::kFillPage) {
          return FillSeries(r.output, r.type, r.rowOrder, r.step, r.start);
        }
        return RunDataTool(r);
      });
      QApplication::restoreOverrideCursor();
      // Sorting and goal seek end with the warning beep (a goal seek refused has beeped).
      if (r.page == DataDialog::kSortPage ||
          (r.page == DataDialog::kGoalSeekPage && result.status != CommandStatus::kFailed)) {
        ThePlatform().Beep();
      }
    });
  }
  return dataDialog_;
}

FindReplaceDialog* MainWindow::findReplaceDialog() {
  if (!findReplaceDialog_) {
    FindReplaceDialog::Hooks hooks;
    hooks.activeSheet = [this]() -> SlotIndex {
      WorksheetWindow* w = activeSheetWindow();
      return w ? w->slot() : 0;
    };
    hooks.run = [this](const std::function<CommandResult()>& command) {
      return RunOnSelection([&command](const CellRange&) { return command(); });
    };
    hooks.moveCursor = [this](uint32_t row, uint32_t column) {
      if (WorksheetWindow* w = activeSheetWindow()) w->activeGrid()->moveTo(int(row), int(column));
    };
    hooks.pointer = [this](const QString& caption, const CellRange& start,
                           std::function<void(const CellRange&)> done,
                           std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    };
    findReplaceDialog_ = new FindReplaceDialog(std::move(hooks), this);
  }
  return findReplaceDialog_;
}

JustifyDialog* MainWindow::justifyDialog() {
  if (!justifyDialog_) {
    justifyDialog_ = new JustifyDialog(this);
    justifyDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                           std::function<void(const CellRange&)> done,
                                           std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(justifyDialog_, &QDialog::accepted, this, [this] {
      const JustifyDialog::Request r = justifyDialog_->request();
      RunOnSelection([&r](const CellRange&) { return JustifyRange(r.range, r.width, r.pad, r.centre); });
    });
  }
  return justifyDialog_;
}

WordDialog* MainWindow::wordDialog() {
  if (!wordDialog_) {
    wordDialog_ = new WordDialog(this);
    connect(wordDialog_, &QDialog::accepted, this, [this] {
      const std::vector<std::string> lines = wordDialog_->Lines();
      const CellRange block = wordDialog_->block();
      RunOnSelection([&](const CellRange&) { return EnterWordLines(block, lines); });
    });
  }
  return wordDialog_;
}

void MainWindow::RunDataCommand(Cmd cmd, int tag) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  const CellRange selection = sheetWindow->activeGrid()->selection();
  switch (cmd) {
    case Cmd::kData:
      if (!DataDialog::HasPage(tag)) {
        ThePlatform().Beep();
        break;
      }
      dataDialog()->Open(sheetWindow->slot(), tag, selection);
      break;
    case Cmd::kSort: {
      // The upper half of the button sorts ascending, the lower half descending, by the
      // selection's first column.
      const bool ascending = tag == 1;
      CellRange key = selection;
      key.lastColumn = key.firstColumn;
      QApplication::setOverrideCursor(Qt::WaitCursor);
      RunOnSelection([&](const CellRange& block) {
        return SortRange(block, {key, CellRange{}, CellRange{}, CellRange{}},
                         SortOrders{ascending, true, true, true});
      });
      QApplication::restoreOverrideCursor();
      break;
    }
    case Cmd::kSpeedFill:
      QApplication::setOverrideCursor(Qt::WaitCursor);
      RunOnSelection([](const CellRange& block) { return SpeedFill(block); });
      QApplication::restoreOverrideCursor();
      break;
    case Cmd::kProper:
      RunOnSelection([tag](const CellRange& block) {
        return ConvertLabels(block, tag == 1 ? kUpperCase : kProperCase);
      });
      break;
    case Cmd::kFind: findReplaceDialog()->Open(); break;
    case Cmd::kJustify: justifyDialog()->Open(sheetWindow->slot(), selection); break;
    case Cmd::kWord: wordDialog()->Open(sheetWindow->slot(), selection); break;
    default: break;
  }
}
