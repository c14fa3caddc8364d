// ui/entry_line.cpp — the entry row of the main window: the entry line, pointing, the range prompt.
//
// Builds the row (mode indicator, address, progress gauge, Enter and Esc buttons, the entry line
// and the range prompt that replaces it while open) and runs an entry: start by typing or F2,
// pointing at cells with the arrows, F4 cycling the absolute markers, F9 turning a formula into
// its value, the function list after "@" or "{", commit and cancel.
// State: the main window's entry fields (entryActive_, editMode_, the pointing fields). Writes the
// committed cell through the engine with the entry window's sheet made current.
#include "ui/entry_line.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_scope.h"
#include "core/worksheets.h"
#include "formula/compiler.h"
#include "formula/evaluator.h"
#include "platform/platform.h"
#include "ui/cp1252.h"
#include "ui/function_list_dialog.h"
#include "ui/grid_pane.h"
#include "ui/main_window.h"
#include "ui/range_prompt.h"
#include "ui/worksheet_window.h"

QString EntryMode(const QString& text) {
  if (text.isEmpty()) return QStringLiteral("LABEL");
  const QChar c = text.at(0);
  return QStringLiteral("(+-0123456789@").contains(c) ? QStringLiteral("VALUE")
                                                      : QStringLiteral("LABEL");
}

namespace {

QString Shortest(double value) {
  QString s = QString::number(value, 'g', 15);
  return s;
}

}  // namespace

void MainWindow::BuildEntryRow() {
  auto* toolbar = new QToolBar(QStringLiteral("Entry"), this);
  toolbar->setObjectName("entryRow");
  toolbar->setMovable(false);
  addToolBarBreak();
  addToolBar(toolbar);
  entryPanel_ = new QWidget(toolbar);
  auto* row = new QHBoxLayout(entryPanel_);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(4);
  modeIndicator_ = new QLabel(QStringLiteral("READY"), entryPanel_);
  modeIndicator_->setObjectName("modeIndicator");
  modeIndicator_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  modeIndicator_->setAlignment(Qt::AlignCenter);
  modeIndicator_->setMinimumWidth(64);
  QFont bold = modeIndicator_->font();
  bold.setBold(true);
  modeIndicator_->setFont(bold);
  addressIndicator_ = new QLabel(entryPanel_);
  addressIndicator_->setObjectName("addressIndicator");
  addressIndicator_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  addressIndicator_->setMinimumWidth(70);
  progressGauge_ = new QProgressBar(entryPanel_);
  progressGauge_->setObjectName("progressGauge");
  progressGauge_->setRange(0, 100);
  progressGauge_->setMaximumWidth(90);
  progressGauge_->hide();
  entryLine_ = new QLineEdit(entryPanel_);
  entryLine_->setObjectName("entryLine");
  entryLine_->setMaxLength(int(kMaxCellText));
  entryLine_->installEventFilter(this);
  connect(entryLine_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!entryActive_) {
      // Typing straight into the entry line edits the current cell.
      WorksheetWindow* sheetWindow = activeSheetWindow();
      if (!sheetWindow) return;
      entryActive_ = true;
      editMode_ = true;
      entryWindow_ = sheetWindow;
      entryRow_ = sheetWindow->activeGrid()->cursorRow();
      entryColumn_ = sheetWindow->activeGrid()->cursorColumn();
    }
    if (pointing_ && !movingPointer_) EndPointing();
    if (!editMode_) SetMode(EntryMode(text));
  });
  rangePrompt_ = new RangePrompt(entryPanel_);
  rangePrompt_->setObjectName("rangePrompt");
  connect(rangePrompt_, &RangePrompt::closed, this, &MainWindow::PromptClosed);
  enterButton_ = new QPushButton(QString::fromUtf8("\xE2\x9C\x94"), entryPanel_);
  enterButton_->setObjectName("enterButton");
  enterButton_->setToolTip("Enter");
  enterButton_->setFixedWidth(26);
  enterButton_->setFocusPolicy(Qt::NoFocus);
  cancelButton_ = new QPushButton(QString::fromUtf8("\xE2\x9C\x98"), entryPanel_);
  cancelButton_->setObjectName("cancelButton");
  cancelButton_->setToolTip("Cancel");
  cancelButton_->setFixedWidth(26);
  cancelButton_->setFocusPolicy(Qt::NoFocus);
  connect(enterButton_, &QPushButton::clicked, this, [this] {
    if (rangePrompt_->isOpen()) {
      rangePrompt_->Accept();
    } else if (entryActive_) {
      CommitEntry();
    }
  });
  connect(cancelButton_, &QPushButton::clicked, this, [this] {
    if (rangePrompt_->isOpen()) {
      rangePrompt_->Cancel();
    } else {
      CancelEntry();
    }
  });
  row->addWidget(modeIndicator_);
  row->addWidget(addressIndicator_);
  row->addWidget(progressGauge_);
  row->addWidget(cancelButton_);
  row->addWidget(enterButton_);
  row->addWidget(entryLine_, 3);
  row->addWidget(rangePrompt_, 3);
  toolbar->addWidget(entryPanel_);
  entryPanel_->setMinimumWidth(600);
  entryPanel_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // The macro button bar stands at the right edge of the frame.
  addToolBar(Qt::RightToolBarArea, macroBar_);
}

void MainWindow::StartEntry(const QString& text) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  if (rangePrompt_->isOpen()) {
    // While a range prompt is open, characters go to the prompt.
    if (text != QLatin1String(".")) rangePrompt_->Type(text);
    return;
  }
  if (entryActive_) {
    if (pointing_ && text == QLatin1String(".")) {
      // "." while pointing anchors the range at the pointer.
      pointAnchored_ = true;
      UpdatePointText();
      return;
    }
    EndPointing();
    entryLine_->insert(text);
    entryLine_->setFocus();
    if (!editMode_) SetMode(EntryMode(entryLine_->text()));
    return;
  }
  {
    SheetScope scope(sheetWindow->slot());
    if (Options().protection()) {
      const CellHandle h = GetCell(uint32_t(sheetWindow->activeGrid()->cursorRow()),
                                   uint32_t(sheetWindow->activeGrid()->cursorColumn()));
      if (!h || (CellAt(h)->format & kFormatProtected)) {
        ShowError("Protected Cell");
        return;
      }
    }
  }
  entryActive_ = true;
  editMode_ = false;
  pointing_ = false;
  entryWindow_ = sheetWindow;
  entryRow_ = sheetWindow->activeGrid()->cursorRow();
  entryColumn_ = sheetWindow->activeGrid()->cursorColumn();
  entryLine_->setText(text);
  entryLine_->setFocus();
  entryLine_->end(false);
  SetMode(EntryMode(text));
}

void MainWindow::EditCell() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow || rangePrompt_->isOpen()) return;
  if (!entryActive_) {
    ShowCellInEntryLine();
    entryActive_ = true;
    entryWindow_ = sheetWindow;
    entryRow_ = sheetWindow->activeGrid()->cursorRow();
    entryColumn_ = sheetWindow->activeGrid()->cursorColumn();
  }
  editMode_ = true;
  pointing_ = false;
  entryLine_->setFocus();
  entryLine_->end(false);
  SetMode(QStringLiteral("EDIT"));
}

void MainWindow::CommitEntry(int rowStep, int columnStep) {
  if (!entryActive_) return;
  WorksheetWindow* sheetWindow = entryWindow_;
  const QString text = entryLine_->text();
  entryActive_ = false;
  editMode_ = false;
  pointing_ = false;
  pointAnchored_ = false;
  entryWindow_ = nullptr;
  if (!sheetWindow || !Worksheet(sheetWindow->slot()).InUse()) {
    NoSheetState();
    return;
  }
  GridPane* g = sheetWindow->activeGrid();
  CommandResult result;
  int errorAt = -1;  // where the compiler found the problem, when it was the compiler's
  {
    SheetScope scope(sheetWindow->slot());
    result = EnterIntoCell(uint32_t(entryRow_), uint32_t(entryColumn_), ToCp1252(text));
    if (result.status == CommandStatus::kFormulaError && ErrorText() == CompilerErrorText()) {
      errorAt = CompilerErrorPosition();
    }
    ClearError();
  }
  if (result.status == CommandStatus::kFormulaError && !text.isEmpty()) {
    // A formula that did not compile stays on the entry line for correction (the message has
    // been shown); the cursor goes back to its cell, the text cursor to the problem when the
    // compiler knows where it is (one engine character is one character of the entry line).
    g->moveTo(entryRow_, entryColumn_);
    entryActive_ = true;
    editMode_ = true;
    entryWindow_ = sheetWindow;
    entryLine_->setText(text);
    entryLine_->setFocus();
    entryLine_->end(false);
    if (errorAt >= 0 && errorAt <= text.size()) entryLine_->setCursorPosition(errorAt);
    SetMode(QStringLiteral("EDIT"));
    RepaintAll();
    return;
  }
  SetMode(QStringLiteral("READY"));
  // Back to the cell entered (a pointer may have moved the cursor), then the committing move.
  const int row = std::clamp(entryRow_ + rowStep, 0, kRowCount - 1);
  const int column = std::clamp(entryColumn_ + columnStep, 0, kColumnCount - 1);
  g->moveTo(row, column);
  g->setFocus();
  RefreshSheetViews();
}

void MainWindow::CancelEntry() {
  if (!entryActive_) return;
  WorksheetWindow* sheetWindow = entryWindow_;
  entryActive_ = false;
  editMode_ = false;
  pointing_ = false;
  pointAnchored_ = false;
  entryWindow_ = nullptr;
  SetMode(QStringLiteral("READY"));
  if (sheetWindow) {
    GridPane* g = sheetWindow->activeGrid();
    g->moveTo(entryRow_, entryColumn_);
    g->setFocus();
  }
  ShowCellInEntryLine();
}

bool MainWindow::CanPoint() const {
  if (!entryActive_ || editMode_) return false;
  const QString t = entryLine_->text();
  if (t.isEmpty() || EntryMode(t) != QLatin1String("VALUE")) return false;
  // A reference can follow an operator, an opening parenthesis or an argument separator.
  return QStringLiteral("+-*/^(,;=<>&#").contains(t.back()) || t.endsWith(QLatin1String(".."));
}

void MainWindow::PointMove(int rowStep, int columnStep, bool extend) {
  WorksheetWindow* sheetWindow = entryWindow_;
  if (!sheetWindow) return;
  GridPane* g = sheetWindow->activeGrid();
  if (!pointing_) {
    pointing_ = true;
    pointAnchored_ = false;
    pointBase_ = int(entryLine_->text().size());
    g->moveTo(entryRow_, entryColumn_);
  }
  if (extend) pointAnchored_ = true;
  movingPointer_ = true;
  g->moveTo(g->cursorRow() + rowStep, g->cursorColumn() + columnStep, pointAnchored_);
  movingPointer_ = false;
  UpdatePointText();
}

void MainWindow::UpdatePointText() {
  WorksheetWindow* sheetWindow = entryWindow_;
  GridPane* g = sheetWindow ? sheetWindow->activeGrid() : nullptr;
  if (!g) return;
  if (!pointing_) {
    pointing_ = true;
    pointBase_ = int(entryLine_->text().size());
  }
  std::string ref;
  {
    SheetScope scope(sheetWindow->slot());
    const CellRange r = g->selection();
    ref = RangeIsSingleCell(r) && !pointAnchored_
              ? CellText(uint16_t(g->cursorRow()), uint16_t(g->cursorColumn()), false, false)
              : RangeText(r);
  }
  movingPointer_ = true;
  entryLine_->setText(entryLine_->text().left(pointBase_) + FromCp1252(ref));
  movingPointer_ = false;
  entryLine_->end(false);
  SetMode(QStringLiteral("POINT"));
}

void MainWindow::EndPointing() {
  if (!pointing_) return;
  pointing_ = false;
  pointAnchored_ = false;
  if (entryActive_) SetMode(editMode_ ? QStringLiteral("EDIT") : EntryMode(entryLine_->text()));
}

void MainWindow::CycleReference() {
  // The reference at the end of the text: page prefix, "$" markers, column letters, row.
  static const QRegularExpression ref(QStringLiteral("(\\$?)([A-Za-z]{1,2})(\\$?)([0-9]{1,4})$"));
  QString text = entryLine_->text();
  const QRegularExpressionMatch m = ref.match(text);
  if (!m.hasMatch()) {
    ThePlatform().Beep();
    return;
  }
  // States 3 ($A$1), 2 (A$1), 1 ($A1), 0 (A1), counting down and wrapping to 3.
  const bool absColumn = !m.captured(1).isEmpty();
  const bool absRow = !m.captured(3).isEmpty();
  const int state = absColumn && absRow ? 3 : absRow ? 2 : absColumn ? 1 : 0;
  const int next = state == 0 ? 3 : state - 1;
  const QString rebuilt = QString(next == 3 || next == 1 ? "$" : "") + m.captured(2) +
                          QString(next == 3 || next == 2 ? "$" : "") + m.captured(4);
  text = text.left(m.capturedStart()) + rebuilt;
  movingPointer_ = true;
  entryLine_->setText(text);
  movingPointer_ = false;
  entryLine_->end(false);
}

void MainWindow::EntryToValue() {
  const QString text = entryLine_->text();
  if (EntryMode(text) != QLatin1String("VALUE") || !entryWindow_) {
    ThePlatform().Beep();
    return;
  }
  EvalResult result;
  {
    SheetScope scope(entryWindow_->slot());
    result = EvaluateText(ToCp1252(text));
  }
  if (!result.compiled) {
    ThePlatform().Beep();
    return;
  }
  EndPointing();
  if (result.error) {
    entryLine_->setText(QStringLiteral("@ERR"));
  } else if (result.isString) {
    entryLine_->setText("'" + FromCp1252(result.text));
  } else {
    entryLine_->setText(Shortest(result.number));
  }
  SetMode(EntryMode(entryLine_->text()));
}

bool MainWindow::OpenFunctionList(bool macros) {
  if (!functionList_->Open(macros ? FunctionListDialog::Mode::kMacros
                                  : FunctionListDialog::Mode::kFunctions)) {
    ThePlatform().Beep();
    return false;
  }
  return true;
}

void MainWindow::FunctionChosen(const QString& text) {
  if (!entryActive_)
    StartEntry(functionList_->mode() == FunctionListDialog::Mode::kMacros ? "{" : "@");
  entryLine_->insert(text);
  entryLine_->setFocus();
  SetMode(EntryMode(entryLine_->text()));
}

void MainWindow::EntryKeyDown(QKeyEvent* e, bool* consumed) {
  *consumed = true;
  const int key = e->key();
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  if (pointing_ && e->text() == QLatin1String(".")) {
    // "." while pointing anchors the range at the pointer.
    pointAnchored_ = true;
    UpdatePointText();
    return;
  }
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (entryActive_) CommitEntry();
      return;
    case Qt::Key_Escape:
      if (entryActive_) {
        CancelEntry();
      } else if (GridPane* g = GridPane::ActiveGrid()) {
        g->setFocus();
      }
      return;
    case Qt::Key_F1:
      if (entryLine_->text().endsWith('@')) {
        OpenFunctionList(false);
      } else if (entryLine_->text().endsWith('{')) {
        OpenFunctionList(true);
      } else {
        ShowHelp();
      }
      return;
    case Qt::Key_F4: CycleReference(); return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      // Tab commits like Enter and then moves as it does in the grid, instead of taking the
      // keyboard focus away from the entry to some other control.
      if (entryActive_) CommitEntry();
      if (GridPane* g = GridPane::ActiveGrid()) {
        g->setFocus();
        QKeyEvent forwarded(QEvent::KeyPress, key, e->modifiers());
        QCoreApplication::sendEvent(g, &forwarded);
      }
      return;
    case Qt::Key_F7:
      clientArea_->activateNextSubWindow();
      return;
    case Qt::Key_F9: EntryToValue(); return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End: {
      if (!entryActive_) {
        *consumed = false;
        return;
      }
      const int dr = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
      const int dc = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
      if (editMode_) {
        // After F2 only Up and Down commit; the other keys edit the text.
        if (dr != 0) {
          CommitEntry(dr, 0);
        } else {
          *consumed = false;
        }
        return;
      }
      if ((pointing_ || CanPoint()) && (dr != 0 || dc != 0)) {
        PointMove(dr, dc, shift);
        return;
      }
      if (key == Qt::Key_Home || key == Qt::Key_End) {
        CommitEntry();
        WorksheetWindow* sheetWindow = activeSheetWindow();
        if (sheetWindow && key == Qt::Key_Home) sheetWindow->moveCursorTo(0, 0);
        return;
      }
      CommitEntry(dr, dc);
      return;
    }
    default:
      *consumed = false;
  }
}

void MainWindow::ShowCellInEntryLine() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  GridPane* g = sheetWindow ? sheetWindow->activeGrid() : nullptr;
  if (!g) return;
  SheetScope scope(sheetWindow->slot());
  const EditInfo info = EditText(uint32_t(g->cursorRow()), uint32_t(g->cursorColumn()));
  entryLine_->setText(FromCp1252(info.text));
  entryLine_->setToolTip(FromCp1252(info.descriptor));
  // The formatting bar shows the cell's style.
  const CellHandle h = GetCell(uint32_t(g->cursorRow()), uint32_t(g->cursorColumn()));
  const uint8_t style = h ? CellAt(h)->style : 0;
  boldButton_->setChecked(style & 1);
  italicButton_->setChecked(style & 2);
  underlineButton_->setChecked(style & 4);
}

void MainWindow::OpenPrompt(const QString& caption, std::function<void(const CellRange&)> action,
                            bool offerNames, const CellRange* start) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) {
    ThePlatform().Beep();
    return;
  }
  if (entryActive_) CommitEntry();
  QStringList names;
  CellRange current;
  {
    SheetScope scope(sheetWindow->slot());
    if (offerNames)
      for (int i = 1; i <= NameCount(); ++i) names << FromCp1252(NameAt(i));
    current = start ? *start : sheetWindow->activeGrid()->selection();
  }
  entryLine_->hide();
  rangePrompt_->Open(caption, current, std::move(action), names);
  WorksheetWindow::SetRangePromptOpen(true);
  SetMode(QStringLiteral("RANGE"));
  sheetWindow->activeGrid()->setFocus();
  UpdateMenuState();
}

void MainWindow::GotoPrompt() {
  OpenPrompt(QStringLiteral("GOTO: Specify Cell"), [this](const CellRange& r) {
    if (WorksheetWindow* sheetWindow = activeSheetWindow()) {
      sheetWindow->moveCursorTo(r.firstRow, r.firstColumn);
      sheetWindow->activeGrid()->setFocus();
    }
  }, true);
}

void MainWindow::PromptEscape() {
  GridPane* g = GridPane::ActiveGrid();
  if (g && !RangeIsSingleCell(g->selection())) {
    // Esc with a range selected collapses it to its first cell.
    const CellRange r = g->selection();
    g->moveTo(r.firstRow, r.firstColumn);
    return;
  }
  rangePrompt_->Cancel();
}

void MainWindow::PromptClosed() {
  WorksheetWindow::SetRangePromptOpen(false);
  entryLine_->show();
  SetMode(activeSheetWindow() ? QStringLiteral("READY") : QStringLiteral("Empty"));
  if (GridPane* g = GridPane::ActiveGrid()) g->setFocus();
  ShowCellInEntryLine();
  UpdateMenuState();
}
