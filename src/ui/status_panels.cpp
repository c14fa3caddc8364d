// ui/status_panels.cpp — the main window's indicators: mode, address, keyboard states and the
// automatic / manual recalculation panel of the status bar.
//
// State: the main window's indicator widgets and keyboard flags. Reads (and on a click on the
// recalculation panel writes) the active sheet's recalculation option.
#include <QLabel>
#include <QStatusBar>

#include "core/address.h"
#include "core/global_options.h"
#include "core/sheet_scope.h"
#include "core/worksheets.h"
#include "formula/recalc.h"
#include "ui/cp1252.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/worksheet_window.h"

void MainWindow::BuildStatusPanels() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("statusPanels");
  auto panel = [this, bar](const char* name, const QString& text) {
    auto* l = new QLabel(text, bar);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(44);
    l->installEventFilter(this);
    bar->addPermanentWidget(l);
    return l;
  };
  insertIndicator_ = panel("insertIndicator", "INS");
  endIndicator_ = panel("endIndicator", "END");
  numLockIndicator_ = panel("numLockIndicator", "NUM");
  scrollLockIndicator_ = panel("scrollLockIndicator", "SCR");
  capsLockIndicator_ = panel("capsLockIndicator", "CAP");
  recalcIndicator_ = panel("recalcIndicator", "Auto");
  recalcIndicator_->setToolTip("Click to switch between automatic and manual recalculation");
  ShowIndicators();
}

QString MainWindow::mode() const { return modeIndicator_ ? modeIndicator_->text() : QString(); }

void MainWindow::SetMode(const QString& m) {
  TheQtPlatform().ShowMode(ToCp1252(m));
  if (modeIndicator_) modeIndicator_->setText(m);
}

QString MainWindow::recalcIndicator() const {
  return recalcIndicator_ ? recalcIndicator_->text() : QString();
}

void MainWindow::ShowIndicators() {
  auto show = [](QLabel* l, bool on) {
    if (!l) return;
    l->setStyleSheet(on ? QStringLiteral("color: black;") : QStringLiteral("color: #a0a0a0;"));
  };
  show(insertIndicator_, insertOn_);
  show(endIndicator_, endOn_);
  show(numLockIndicator_, numOn_);
  show(scrollLockIndicator_, scrollOn_);
  show(capsLockIndicator_, capsOn_);
  if (recalcIndicator_) {
    WorksheetWindow* sheetWindow = activeSheetWindow();
    if (sheetWindow && Worksheet(sheetWindow->slot()).InUse()) {
      SheetScope scope(sheetWindow->slot());
      recalcIndicator_->setText(Options().manualRecalc() ? QStringLiteral("Manual")
                                                         : QStringLiteral("Auto"));
    }
  }
}

void MainWindow::ShowAddress() {
  GridPane* g = GridPane::ActiveGrid();
  if (!g || !addressIndicator_) return;
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  SheetScope scope(sheetWindow->slot());
  const CellRange r = g->selection();
  addressIndicator_->setText(FromCp1252(RangeIsSingleCell(r) ? CellText(uint16_t(g->cursorRow()),
                                                                uint16_t(g->cursorColumn()),
                                                                false, false)
                                                     : RangeText(r)));
}

void MainWindow::ToggleRecalc() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  {
    SheetScope scope(sheetWindow->slot());
    SetManualRecalculation(!Options().manualRecalc());
  }
  RefreshSheetViews();
}
