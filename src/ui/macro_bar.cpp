// ui/macro_bar.cpp — the main window's macro button bar and macro library: the library opened
// at start as a worksheet no window shows, its first 13 range names as the captions of the bar,
// the buttons that run them, the buttons placed on worksheets, the library's AUTOEXEC, and the
// deferred start of a macro by the frame's timer (26 ms after the request).
//
// State: the bar's buttons, the pending deferred start (main_window.h); the engine's macro
// library (macros/macro_library.h).
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "core/names.h"
#include "core/sheet_scope.h"
#include "files/program_files.h"
#include "core/sheet_extras.h"
#include "files/settings.h"
#include "macros/interpreter.h"
#include "macros/macro_library.h"
#include "ui/cp1252.h"
#include "ui/macro_player.h"
#include "ui/main_window.h"
#include "ui/worksheet_window.h"

void MainWindow::BuildMacroBar() {
  macroBar_ = new QToolBar(QStringLiteral("Macro Buttons"), this);
  macroBar_->setObjectName("macroBar");
  macroBar_->setToolTip("Toolbar");
  macroBar_->setMovable(false);
  for (int i = 0; i < int(kMacroBarButtons); ++i) {
    auto* b = new QToolButton(macroBar_);
    b->setObjectName(QStringLiteral("macroButton%1").arg(i));
    b->setText(QString());
    b->setToolTip("Toolbar");
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(26, 22);
    b->setAutoRaise(false);
    // Blank buttons are still seen as buttons, waiting for a macro library to name them.
    b->setStyleSheet(
        QStringLiteral("QToolButton { border: 1px solid #a8a8a8; background: #e8e8e8; }"));
    macroBar_->addWidget(b);
    buttons_.emplace_back(b, Cmd::kMacroButton);
    connect(b, &QToolButton::clicked, this, [this, i] { Run(Cmd::kMacroButton, i); });
  }
  macroStartTimer_ = new QTimer(this);
  macroStartTimer_->setSingleShot(true);
  macroStartTimer_->setTimerType(Qt::PreciseTimer);
  connect(macroStartTimer_, &QTimer::timeout, this, [this] {
    const PendingMacroStart start = pendingMacroStart_;
    pendingMacroStart_ = PendingMacroStart{};
    if (start.sheet == 0 || !activeSheetWindow() || !Worksheet(start.sheet).InUse()) return;
    {
      // The active window's sheet is the one the macro's commands act on.
      SheetScope scope(activeSheetWindow()->slot());
      macroPlayer_->StartIn(start.sheet, start.cell.column, start.cell.row);
    }
    UpdateMenuState();
  });
}

void MainWindow::LoadMacroLibrary() {
  std::string name = Settings().macroLibrary;
  if (name.empty()) name = MacroLibraryFileName();
  // A missing library is no error: the bar stays blank.
  OpenMacroLibrary(name);
  const std::vector<std::string> names = MacroLibraryNames(kMacroBarButtons);
  for (size_t i = 0; i < kMacroBarButtons; ++i) {
    QToolButton* b = button(QStringLiteral("macroButton%1").arg(i).toLatin1().constData());
    if (!b) continue;
    const QString caption = i < names.size() ? FromCp1252(names[i]) : QString();
    b->setText(caption);
    b->setToolTip(caption.isEmpty() ? QStringLiteral("Toolbar") : caption);
  }
}

void MainWindow::RunMacroButton(int index) {
  QToolButton* b = button(QStringLiteral("macroButton%1").arg(index).toLatin1().constData());
  if (!b || b->text().trimmed().isEmpty() || !activeSheetWindow()) return;
  SlotIndex sheet = 0;
  CellRange range;
  if (!FindMacroName(ToCp1252(b->text().trimmed()), MacroLibrary(), &sheet, &range) ||
      !RangeIsValid(range)) {
    ThePlatform().Beep();
    return;
  }
  StartMacroSoon(sheet, CellAddress{range.firstColumn, range.firstRow});
}

void MainWindow::RunSheetButton(SlotIndex sheet, const std::string& macro) {
  if (!Worksheet(sheet).InUse()) return;
  SlotIndex holder = sheet;
  CellRange range = NoRange();
  if (!FindMacroName(macro, sheet, &holder, &range)) {
    SheetScope scope(sheet);
    ClearError();
    range = ParseRange(macro);
    if (ErrorRaised()) range = NoRange();
    ClearError();
  }
  if (!RangeIsValid(range)) {
    ThePlatform().Beep();
    return;
  }
  StartMacroSoon(holder, CellAddress{range.firstColumn, range.firstRow});
}

void MainWindow::StartMacroSoon(SlotIndex sheet, CellAddress cell) {
  pendingMacroStart_ = PendingMacroStart{sheet, cell};
  macroStartTimer_->start(kMacroStartDelayMs);
}

WorksheetWindow* MainWindow::ShowMacroLibrary(const std::string& fileName) {
  WorksheetWindow* sheetWindow = WorksheetWindow::OpenWorksheetWindow(clientArea_, fileName, false);
  if (!sheetWindow) return nullptr;
  sheetWindow->redraw();
  sheetWindow->applyLayout(ExtrasOf(sheetWindow->slot()).layout);
  return AdoptWindow(sheetWindow);
}

void MainWindow::RunLibraryAutoexec() {
  const SlotIndex library = MacroLibrary();
  if (library == 0) return;
  if (MacroRunning()) {
    // The autoexec worksheet's own macro runs first; the library's follows when it ends.
    libraryAutoexecPending_ = true;
    return;
  }
  CellRange autoexec = NoRange();
  {
    SheetScope scope(library);
    if (const int index = LookupName("AUTOEXEC")) autoexec = NameRange(index);
  }
  if (!RangeIsValid(autoexec)) return;
  // The library is the user's own file: its AUTOEXEC runs without a question.
  if (WorksheetWindow* active = activeSheetWindow()) {
    SheetScope scope(active->slot());
    macroPlayer_->StartIn(library, autoexec.firstColumn, autoexec.firstRow);
  } else {
    // No worksheet window is open: the macro's commands act on the library itself until a
    // window it opens (by its keys) is activated and makes its own sheet current.
    ActivateWorksheet(library);
    macroPlayer_->StartIn(library, autoexec.firstColumn, autoexec.firstRow);
  }
  UpdateMenuState();
}
