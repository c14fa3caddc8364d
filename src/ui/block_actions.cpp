// ui/block_actions.cpp — the main window's copy, move, erase, insert and delete commands.
//
// Each takes the selection of the active pane or asks for ranges on the range prompt (the
// selection as the default answer; an empty answer ends the command), then runs the command of
// the commands layer through RunOnSelection, which refreshes every view of the sheet.
// State: the copy dialog (created on first use) and the half of a two-way button last pressed.
#include <QLineEdit>

#include "commands/block_commands.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/copy_special_dialog.h"
#include "ui/cp1252.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/range_prompt.h"
#include "ui/worksheet_window.h"

namespace {

// Tags of the "&Insert" and "&Delete" submenus of the Sheet menu.
constexpr int kPageBreakTag = 0;
constexpr int kColumnsTag = 2;
constexpr int kAcrossRowTag = 3;

}  // namespace

CopySpecialDialog* MainWindow::copySpecialDialog() {
  if (!copySpecialDialog_) {
    copySpecialDialog_ = new CopySpecialDialog(this);
    connect(copySpecialDialog_, &QDialog::accepted, this, [this] {
      const CopySpecialDialog::Request r = copySpecialDialog_->request();
      RunOnSelection([&r](const CellRange&) {
        return CopySpecial(r.mode, r.source, r.destination, r.factor);
      });
    });
  }
  return copySpecialDialog_;
}

void MainWindow::CopyMovePrompts(bool move) {
  const QString verb = move ? QStringLiteral("MOVE") : QStringLiteral("COPY");
  OpenPrompt(verb + QStringLiteral(": From Range"), [this, move, verb](const CellRange& from) {
    OpenPrompt(verb + QStringLiteral(": TO Range"), [this, move, from](const CellRange& to) {
      RunOnSelection([&](const CellRange&) { return CopyMove(move, from, to); });
    });
  });
}

void MainWindow::MoveBlock(bool down) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  GridPane* g = sheetWindow->activeGrid();
  CellRange block = g->selection();
  if (down ? block.lastRow >= kRowCount - 1 : block.firstRow == 0) {
    ThePlatform().Beep();
    return;
  }
  const int step = down ? 1 : -1;
  CellRange target = block;
  target.firstRow = uint16_t(target.firstRow + step);
  target.lastRow = uint16_t(target.lastRow + step);
  const CommandResult r = RunOnSelection([&](const CellRange&) {
    return CopyMove(true, block, target);
  });
  if (r.Done()) g->selectRange(target);
}

void MainWindow::RunBlockCommand(Cmd cmd, int tag) {
  switch (cmd) {
    case Cmd::kErase:
      RunOnSelection([](const CellRange& r) { return EraseRange(r); });
      break;
    case Cmd::kRangeErase:
    case Cmd::kRangeEraseAll: {
      const bool all = cmd == Cmd::kRangeEraseAll;
      OpenPrompt(all ? QStringLiteral("ERASE ALL: Specify Range")
                     : QStringLiteral("ERASE: Specify Range"),
                 [this, all](const CellRange& range) {
                   RunOnSelection([&](const CellRange&) { return EraseRange(range, all); });
                 });
      break;
    }
    case Cmd::kCopyCells: CopyMovePrompts(false); break;
    case Cmd::kMoveCells: CopyMovePrompts(true); break;
    case Cmd::kRangeCopy: {
      WorksheetWindow* sheetWindow = activeSheetWindow();
      QString selection;
      {
        SheetScope scope(sheetWindow->slot());
        selection = FromCp1252(RangeText(sheetWindow->activeGrid()->selection()));
      }
      CopySpecialDialog* dialog = copySpecialDialog();
      dialog->Prepare(sheetWindow->slot(), selection);
      dialog->open();
      break;
    }
    case Cmd::kInsert:
    case Cmd::kDelete: {
      const bool insert = cmd == Cmd::kInsert;
      if (insert && tag == kPageBreakTag) {
        OpenPrompt(QStringLiteral("INSERT PageBreak : Specify Row"), [this](const CellRange& r) {
          RunOnSelection([&](const CellRange&) { return InsertPageBreak(r); });
        });
        break;
      }
      const bool columns = tag == kColumnsTag;
      const QString caption = insert ? (columns ? QStringLiteral("INSERT Col : Specify Range")
                                                : QStringLiteral("INSERT Row : Specify Range"))
                                     : (columns ? QStringLiteral("Delete Col : Specify Range")
                                                : QStringLiteral("DELETE Row : Specify Range"));
      OpenPrompt(caption, [this, insert, tag, columns](const CellRange& r) {
        RunOnSelection([&](const CellRange&) {
          if (tag == kAcrossRowTag) return InsertDeleteAcrossPages(r, insert);
          return InsertDelete(r, columns ? ShiftKind::kColumns : ShiftKind::kRows, insert);
        });
      });
      break;
    }
    case Cmd::kInsDelRows:
    case Cmd::kInsDelCols: {
      // The lower half of the button inserts, the upper half deletes.
      const bool insert = tag == 0;
      const ShiftKind kind = cmd == Cmd::kInsDelRows ? ShiftKind::kRows : ShiftKind::kColumns;
      GridPane* g = activeSheetWindow()->activeGrid();
      const CellRange block = g->selection();
      const CommandResult r =
          RunOnSelection([&](const CellRange& s) { return InsertDelete(s, kind, insert); });
      if (r.Done() && !insert) g->moveTo(block.firstRow, block.firstColumn);
      break;
    }
    case Cmd::kMoveBlock: MoveBlock(tag == 1); break;
    default: break;
  }
}
