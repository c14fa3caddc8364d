// ui/settings_actions.cpp — the main window's settings dialogs: "General: Set Parameters" (Sheet
// > General), "Properties" (the Range format items and the pop-up's Properties) and "Set  Width
// or Height" (Sheet > Colwidth, Rowheight).
//
// Each dialog is created on first use and reused; what it ends with runs through RunOnSelection
// (commands/sheet_settings.h, commands/cell_properties.h), which makes the active window's sheet
// current and refreshes every view of it afterwards.
// State: the three dialogs.
#include "commands/cell_properties.h"
#include "commands/sheet_settings.h"
#include "core/global_options.h"
#include "core/password.h"
#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "ui/general_settings_dialog.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/password_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/width_height_dialog.h"
#include "ui/worksheet_window.h"

GeneralSettingsDialog* MainWindow::generalSettingsDialog() {
  if (!generalSettingsDialog_) {
    generalSettingsDialog_ = new GeneralSettingsDialog(this);
    connect(generalSettingsDialog_, &QDialog::accepted, this, [this] {
      GeneralSettingsDialog* d = generalSettingsDialog_;
      GeneralSettings s = d->settings();
      {
        // Lifting protection that a password guards needs the password.
        SheetScope scope(d->slot());
        if (Options().protection() && !s.protection && HasPassword() &&
            ThePasswordDialog().AskPassword(0) != 1) {
          ThePlatform().Beep();
          s.protection = true;
        }
      }
      const bool globally = d->appliedGlobally();
      RunOnSelection([&s, globally](const CellRange&) {
        return globally ? ApplyGeneralSettingsGlobally(s) : ApplyGeneralSettings(s);
      });
      for (WorksheetWindow* w : WorksheetWindow::Windows()) w->redraw();
      FillHistory();
      RefreshSheetViews();
    });
  }
  return generalSettingsDialog_;
}

PropertiesDialog* MainWindow::propertiesDialog() {
  if (!propertiesDialog_) {
    propertiesDialog_ = new PropertiesDialog(this);
    propertiesDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                              std::function<void(const CellRange&)> done,
                                              std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(propertiesDialog_, &QDialog::accepted, this, [this] {
      const PropertiesDialog::Request r = propertiesDialog_->request();
      RunOnSelection([&r](const CellRange&) { return ApplyCellProperties(r.range, r.properties); });
      if (WorksheetWindow* w = activeSheetWindow()) w->activeGrid()->selectRange(r.range);
      RefreshSheetViews();
    });
  }
  return propertiesDialog_;
}

WidthHeightDialog* MainWindow::widthHeightDialog() {
  if (!widthHeightDialog_) {
    widthHeightDialog_ = new WidthHeightDialog(this);
    widthHeightDialog_->setRangePointer([this](const QString& caption, const CellRange& start,
                                               std::function<void(const CellRange&)> done,
                                               std::function<void()> closed) {
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
    connect(widthHeightDialog_, &QDialog::accepted, this, [this] {
      const WidthHeightDialog::Request r = widthHeightDialog_->request();
      RunOnSelection([&r](const CellRange&) {
        return r.columns ? SetColumnWidths(r.range, r.size) : SetRowHeights(r.range, r.size);
      });
    });
  }
  return widthHeightDialog_;
}

void MainWindow::RunSettingsCommand(Cmd cmd, int tag) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  const CellRange selection = sheetWindow->activeGrid()->selection();
  switch (cmd) {
    case Cmd::kGeneral: generalSettingsDialog()->Open(sheetWindow->slot(), tag); break;
    case Cmd::kRangeFormat:
    case Cmd::kProperties: propertiesDialog()->Open(sheetWindow->slot(), selection, tag); break;
    case Cmd::kColwidth:
      widthHeightDialog()->Open(sheetWindow->slot(), selection, WidthHeightDialog::kColumnTab);
      break;
    case Cmd::kRowheight:
      widthHeightDialog()->Open(sheetWindow->slot(), selection, WidthHeightDialog::kRowTab);
      break;
    default: break;
  }
}
