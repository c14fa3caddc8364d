// ui/main_window.cpp — the main window: construction, menus and quick buttons, worksheet
// windows, the command helper, the enabled state, the commands, help, and the key preview.
//
// State: per window (see the header). Reads and writes the program settings (files/settings.h)
// and, through the engine, the worksheet of the active window.
#include "ui/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QMouseEvent>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "commands/clipboard.h"
#include "commands/external_functions.h"
#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/password.h"
#include "core/sheet_scope.h"
#include "core/worksheets.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "files/tips_file.h"
#include "core/sheet_extras.h"
#include "files/user_functions.h"
#include "files/worksheet_file.h"
#include "formula/evaluator.h"
#include "formula/recalc.h"
#include "platform/platform.h"
#include "graph/graph_settings_dialog.h"
#include "graph/graph_window.h"
#include "ui/audit_dialog.h"
#include "ui/button_icons.h"
#include "ui/range_name_dialog.h"
#include "ui/cp1252.h"
#include "ui/data_dialog.h"
#include "ui/find_replace_dialog.h"
#include "ui/function_list_dialog.h"
#include "ui/grid_pane.h"
#include "ui/password_dialog.h"
#include "ui/qt_platform.h"
#include "ui/range_prompt.h"
#include "macros/interpreter.h"
#include "macros/vocabulary.h"
#include "ui/macro_player.h"
#include "print/print_dialog.h"
#include "ui/row_painter.h"
#include "ui/worksheet_window.h"

std::function<void(const CellRange&)> MainWindow::RunMacroAt;

namespace {

// Whether a command can run yet (see commands.def).
enum class Built : uint8_t { kYes, kLater, kWithMacros, kWithMacroNames };

struct CommandTraits {
  bool needsSheet;
  Built built;
};

constexpr CommandTraits kCommandTraits[] = {
#define COMMAND(Id, needsSheet, built) {needsSheet, Built::built},
#include "ui/commands.def"
};
static_assert(std::size(kCommandTraits) == size_t(Cmd::kCount), "one row per command");

// The multiple-document area with the product name painted in the middle of its empty client.
class ClientArea : public QMdiArea {
 public:
  using QMdiArea::QMdiArea;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QMdiArea::paintEvent(event);
    QPainter p(viewport());
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(48);
    p.setFont(f);
    p.setPen(QColor(192, 192, 192));
    const QFontMetrics m(f);
    const QString name = QStringLiteral("TALLIVO");
    const int w = m.horizontalAdvance(name);
    p.drawText((viewport()->width() - w) / 2, (viewport()->height() + m.ascent()) / 2, name);
  }
};

// A small square icon showing a glyph: the quick buttons' faces.
QIcon GlyphIcon(const QString& glyph, bool bold = false) {
  QPixmap pm(22, 22);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont f(QStringLiteral("Sans Serif"));
  f.setPixelSize(glyph.size() > 2 ? 9 : glyph.size() > 1 ? 11 : 15);
  f.setBold(bold);
  p.setFont(f);
  p.setPen(QColor(0, 0, 96));
  p.drawText(pm.rect(), Qt::AlignCenter, glyph);
  return QIcon(pm);
}

}  // namespace

bool IsCommandLineOption(const QString& argument) {
  // Options are written "/RA"; on Linux an absolute path starts with "/" too, so only a slash
  // followed by letters alone, naming no existing file, is an option.
  static const QRegularExpression option(QStringLiteral("^/[A-Za-z]+$"));
  return option.match(argument).hasMatch() && !QFileInfo::exists(argument);
}

void MainWindow::MacroPrompt(bool step) {
  if (MacroRunning() || !activeSheetWindow()) return;
  SetMacroSingleStep(step);
  OpenPrompt(QStringLiteral("MACRO: Specify Cell"),
             [this](const CellRange& r) { RunMacroAt(r); },
             /*offerNames=*/true);
}

// --- creation ------------------------------------------------------------------------------------

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), clientArea_(new ClientArea(this)) {
  Q_INIT_RESOURCE(help);
  setWindowTitle("TALLIVO");
  setCentralWidget(clientArea_);
  clientArea_->setBackground(QColor(128, 128, 128));
  clientArea_->setActivationOrder(QMdiArea::CreationOrder);
  resize(1024, 700);
  setAcceptDrops(true);

  InstallQtPlatform();
  QtPlatform& platform = TheQtPlatform();
  platform.onMode = [this](const QString& m) {
    if (modeIndicator_) modeIndicator_->setText(m);
  };
  platform.onStatus = [this](const QString& text) { statusBar()->showMessage(text); };
  platform.onProgress = [this](int percent) {
    if (!progressGauge_) return;
    progressGauge_->setVisible(percent >= 0);
    if (percent >= 0) progressGauge_->setValue(percent);
  };
  platform.onRepaint = [this] { RepaintAll(); };
  InstallDesktopPrinter(this);
  macroPlayer_ = new MacroPlayer(this);
  macroPlayer_->dialogParent = this;
  macroPlayer_->onCaption = [this](const QString& caption) {
    setWindowTitle(caption.isEmpty() ? QStringLiteral("TALLIVO") : caption);
  };
  macroPlayer_->onEnded = [this] {
    UpdateMenuState();
    if (libraryAutoexecPending_) {
      libraryAutoexecPending_ = false;
      QTimer::singleShot(0, this, [this] { RunLibraryAutoexec(); });
    }
  };
  platform.macroPlayer = macroPlayer_;
  platform.onShowBar = [this](WindowBar bar, bool visible) {
    switch (bar) {
      case WindowBar::kQuickButtons:
        Settings().quickBar = visible;
        action(Cmd::kQuickBar)->setChecked(visible);
        quickBar_->setVisible(visible);
        break;
      case WindowBar::kMacroButtons:
        Settings().macroBar = visible;
        action(Cmd::kMacroBar)->setChecked(visible);
        macroBar_->setVisible(visible);
        break;
      case WindowBar::kStatus:
        Settings().statusBar = visible;
        action(Cmd::kStatusBar)->setChecked(visible);
        statusBar()->setVisible(visible);
        break;
    }
  };
  platform.onZoom = [this](int percent) { SetZoom(percent); };
  platform.activeWindowSplit = [this] {
    const WorksheetWindow* w = activeSheetWindow();
    return w && w->splitActive();
  };
  RunMacroAt = [this](const CellRange& r) {
    if (!activeSheetWindow()) return;
    macroPlayer_->Start(r.firstColumn, r.firstRow);
    UpdateMenuState();
  };
  // Windows are opened as unnamed, so that the Yes of their close question always comes here:
  // the frame alone knows which sheets were never saved or are read-only.
  WorksheetWindow::SaveAsHandler = [this](WorksheetWindow& sheetWindow) {
    return SaveWindow(&sheetWindow);
  };

  BuildMenus();
  BuildQuickBar();
  BuildEntryRow();
  BuildFormatBar();
  BuildStatusPanels();
  FillHistory();

  functionList_ = new FunctionListDialog(this);
  graphWindow_ = new GraphWindow(this);
  connect(graphWindow_, &GraphWindow::settingsRequested, this, [this](int tag) {
    graphWindow_->close();
    OpenGraphSettings(tag);
  });
  connect(graphWindow_, &GraphWindow::statusText, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  TheQtPlatform().onShowGraph = [this](std::string_view name, int milliseconds) {
    WorksheetWindow* sheetWindow = activeSheetWindow();
    if (!sheetWindow) return false;
    int index = -1;
    if (!name.empty()) {
      SheetScope scope(sheetWindow->slot());
      index = FindNamedGraph(name);
    }
    ShowGraphWindow(false, index, milliseconds);
    if (milliseconds <= 0) {
      // The macro goes on when the window has closed.
      QEventLoop loop;
      connect(graphWindow_, &GraphWindow::closed, &loop, &QEventLoop::quit);
      if (graphWindow_->isVisible()) loop.exec();
    }
    return true;
  };
  QStringList macroNames;
  for (const std::string& name : MacroVocabularyNames()) macroNames << QString::fromLatin1(name);
  FunctionListDialog::SetMacroNames(macroNames);
  connect(functionList_, &FunctionListDialog::chosen, this, &MainWindow::FunctionChosen);
  connect(clientArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
    if (sub) WindowActivated(qobject_cast<WorksheetWindow*>(sub->widget()));
  });
  qApp->installEventFilter(this);
  SetMode(QStringLiteral("READY"));
  NoSheetState();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  StopMacro();
  RunMacroAt = nullptr;
  QtPlatform& platform = TheQtPlatform();
  platform.macroPlayer = nullptr;
  platform.onShowBar = nullptr;
  platform.onZoom = nullptr;
  platform.activeWindowSplit = nullptr;
  platform.onMode = nullptr;
  platform.onStatus = nullptr;
  platform.onProgress = nullptr;
  platform.onRepaint = nullptr;
  platform.onShowGraph = nullptr;
  WorksheetWindow::SaveAsHandler = nullptr;
  // The windows go first, so that their sheets are closed while the engine state is intact.
  for (QMdiSubWindow* sub : clientArea_->subWindowList()) delete sub;
  if (&ThePlatform() == &platform) InstallPlatform(nullptr);
}

QAction* MainWindow::Item(QMenu* menu, const QString& caption, const QString& hint, Cmd cmd,
                      int tag) {
  QAction* a = menu->addAction(caption);
  // A hint "short|long" shows its long part in the status line and its short part as a tip.
  const int bar = int(hint.indexOf('|'));
  a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
  a->setToolTip(bar < 0 ? hint : hint.left(bar));
  a->setData(tag);
  actions_.push_back({a, cmd, tag});
  connect(a, &QAction::triggered, this, [this, cmd, tag] { Run(cmd, tag); });
  return a;
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  std::vector<QMenu*> open;         // the menus being filled, innermost last
  QActionGroup* radio = nullptr;    // the exclusive check entries of the submenu being filled
  auto add = [this, &open](Cmd cmd, int tag, const char* caption, const char* hint,
                           const QKeySequence& keys) {
    QAction* a = Item(open.back(), caption, hint, cmd, tag);
    if (!keys.isEmpty()) a->setShortcut(keys);
    return a;
  };
#define MENU(caption, hint)                   \
  {                                           \
    QMenu* m = bar->addMenu(caption);         \
    m->menuAction()->setStatusTip(hint);      \
    m->setToolTipsVisible(true);              \
    open.push_back(m);                        \
    radio = nullptr;                          \
  }
#define SUBMENU(caption, hint)                                     \
  {                                                                \
    QMenu* m = open.back()->addMenu(caption);                      \
    if (*(hint)) m->menuAction()->setStatusTip(hint);              \
    open.push_back(m);                                             \
    radio = nullptr;                                               \
  }
#define CONTEXT_MENU()                                \
  {                                                   \
    contextMenu_ = new QMenu(this);                   \
    contextMenu_->setObjectName("contextMenu");       \
    open.push_back(contextMenu_);                     \
  }
#define END_MENU() \
  open.pop_back(); \
  radio = nullptr;
#define ITEM(Id, tag, caption, hint, keys) add(Cmd::k##Id, tag, caption, hint, QKeySequence(keys));
#define CHECK_ITEM(Id, tag, caption, hint, checked)                         \
  {                                                                         \
    QAction* a = add(Cmd::k##Id, tag, caption, hint, QKeySequence());       \
    a->setCheckable(true);                                                  \
    a->setChecked(checked);                                                 \
  }
#define RADIO_ITEM(Id, tag, caption, hint, checked)                         \
  {                                                                         \
    QAction* a = add(Cmd::k##Id, tag, caption, hint, QKeySequence());       \
    a->setCheckable(true);                                                  \
    a->setChecked(checked);                                                 \
    if (!radio) radio = new QActionGroup(this);                             \
    radio->addAction(a);                                                    \
  }
#define BAR_ITEM(Id, caption, hint)                                                \
  {                                                                                \
    QAction* a = bar->addAction(caption);                                          \
    a->setStatusTip(hint);                                                         \
    actions_.push_back({a, Cmd::k##Id, 0});                                        \
    connect(a, &QAction::triggered, this, [this] { Run(Cmd::k##Id); });            \
  }
#define SEPARATOR() open.back()->addSeparator();
#define HISTORY() AddHistoryItems(open.back());
#include "ui/commands.def"
}

void MainWindow::AddHistoryItems(QMenu* menu) {
  // Items historyItem0..9, the sixth and later in the submenu "More".
  historySeparator_ = menu->addSeparator();
  moreMenu_ = new QMenu(QStringLiteral("More"), this);
  moreMenu_->setObjectName("moreHistoryMenu");
  for (int i = 0; i < kMaxHistory; ++i) {
    auto* a = new QAction(this);
    a->setObjectName(QStringLiteral("historyItem%1").arg(i));
    a->setVisible(false);
    connect(a, &QAction::triggered, this, [this, a] { OpenByName(a->data().toString()); });
    historyItems_.push_back(a);
    if (i < 5) {
      menu->addAction(a);
    } else {
      moreMenu_->addAction(a);
    }
  }
  menu->addMenu(moreMenu_);
}

QToolButton* MainWindow::QuickButton(const char* name, const QString& glyph, const QString& hint,
                                 Cmd cmd, int tag) {
  auto* b = new QToolButton(quickBar_);
  b->setObjectName(name);
  b->setIcon(QuickButtonIcon(QString::fromLatin1(name), GlyphIcon(glyph, true)));
  b->setToolTip(hint);
  b->setStatusTip(hint);
  b->setAutoRaise(true);
  b->setProperty("tag", tag);
  quickBar_->addWidget(b);
  buttons_.emplace_back(b, cmd);
  // A two-way button sets its tag from the half pressed (MainWindow::eventFilter).
  connect(b, &QToolButton::clicked, this, [this, cmd, b] { Run(cmd, b->property("tag").toInt()); });
  return b;
}

void MainWindow::BuildQuickBar() {
  quickBar_ = addToolBar(QStringLiteral("Quick Buttons"));
  quickBar_->setObjectName("quickBar");
  quickBar_->setMovable(false);
  quickBar_->setIconSize(QSize(22, 22));
  enum class Look { kGlyph, kOpenIcon, kSaveIcon, kToggle, kTwoWay };
  auto add = [this](Cmd cmd, int tag, const char* name, const char* glyph, const char* hint,
                    Look look) {
    QToolButton* b = QuickButton(name, QString::fromUtf8(glyph), hint, cmd, tag);
    // Open and Save without an icon of their own take the style's.
    if (b->icon().isNull() && look == Look::kOpenIcon) {
      b->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    }
    if (b->icon().isNull() && look == Look::kSaveIcon) {
      b->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    }
    if (look == Look::kToggle) b->setCheckable(true);
    if (look == Look::kTwoWay) {
      b->setProperty("twoWay", true);
      b->installEventFilter(this);
    }
  };
#define BUTTON(Id, tag, name, glyph, hint, look) add(Cmd::k##Id, tag, name, glyph, hint, Look::look);
#define BUTTON_SEPARATOR() quickBar_->addSeparator();
#include "ui/commands.def"

  BuildMacroBar();
}

// --- start-up and shut-down ----------------------------------------------------------------------

void MainWindow::Startup(const QStringList& arguments) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  autoexec_ = QString::fromStdString(AutoexecFileName());
  if (!Settings().autoexec.empty()) autoexec_ = FromCp1252(Settings().autoexec);
  // The command line: a first argument that is no option names the worksheet to open.
  if (!arguments.isEmpty() && !IsCommandLineOption(arguments.first())) {
    autoexec_ = arguments.first();
  }
  FillFormatBox();
  WorksheetWindow::SetZoomAll(100);
  LoadMacroLibrary();
  ApplyBarSettings();
  FillHistory();
  started_ = true;
  SetMode(QStringLiteral("READY"));
  QApplication::restoreOverrideCursor();
  UpdateMenuState();
}

void MainWindow::ShowStartupSheet() {
  if (shown_) return;
  shown_ = true;
  WindowPlacementToApply placement;
  if (started_ && PlacementToApply(&placement)) {
    const auto& f = placement.fields;
    setGeometry(f[7], f[8], std::max(100, f[9] - f[7]), std::max(100, f[10] - f[8]));
    if (placement.show == WindowShow::kMaximized) setWindowState(Qt::WindowMaximized);
    if (placement.show == WindowShow::kMinimized) setWindowState(Qt::WindowMinimized);
  }
  ShowIndicators();
  if (!started_) return;
  bool opened = false;
  if (!autoexec_.isEmpty() &&
      QFileInfo::exists(FromCp1252(WorksheetFileName(ToCp1252(autoexec_))))) {
    opened = OpenByName(autoexec_) != nullptr;
  } else if (!autoexec_.isEmpty() && autoexec_ != QString::fromStdString(AutoexecFileName())) {
    // A file named on the command line that does not exist is reported.
    opened = OpenByName(autoexec_) != nullptr;
  }
  if (!opened && Settings().preOpen && clientArea_->subWindowList().isEmpty()) NewSheet();
  RunLibraryAutoexec();
  if (Settings().tips && QFileInfo::exists(QString::fromLocal8Bit(TipsFileName().c_str()))) {
    QTimer::singleShot(0, this, &MainWindow::ShowTip);
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  ShowStartupSheet();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (entryActive_) CancelEntry();
  if (rangePrompt_->isOpen()) rangePrompt_->Cancel();
  if (!CloseAll()) {
    event->ignore();
    return;
  }
  if (started_) {
    // The placement of the frame, as the settings file keeps it.
    ProgramSettings& s = Settings();
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    s.windowPlacement = {44, 0, isMaximized() ? 3 : isMinimized() ? 2 : 1, -1, -1, -1, -1,
                         g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    s.hasWindowPlacement = true;
    s.zoom = GridZoom();
    SaveSettings();
    started_ = false;
  }
  event->accept();
}

// --- worksheet windows ---------------------------------------------------------------------------

WorksheetWindow* MainWindow::activeSheetWindow() const {
  QMdiSubWindow* sub = clientArea_->activeSubWindow();
  if (!sub) sub = clientArea_->currentSubWindow();
  if (!sub) {
    const auto list = clientArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    if (!list.isEmpty()) sub = list.last();
  }
  return sub ? qobject_cast<WorksheetWindow*>(sub->widget()) : nullptr;
}

void MainWindow::ConnectWindow(WorksheetWindow* sheetWindow) {
  connect(sheetWindow, &WorksheetWindow::entryStarted, this, &MainWindow::StartEntry);
  connect(sheetWindow, &WorksheetWindow::menuRequested, this, [this] {
    if (!menuBar()->actions().isEmpty()) {
      menuBar()->setFocus();
      menuBar()->setActiveAction(menuBar()->actions().first());
    }
  });
  connect(sheetWindow, &WorksheetWindow::editRequested, this, &MainWindow::EditCell);
  connect(sheetWindow, &WorksheetWindow::referenceCycleRequested, this, [this] {
    if (entryActive_) CycleReference();
  });
  connect(sheetWindow, &WorksheetWindow::gotoRequested, this, &MainWindow::GotoPrompt);
  connect(sheetWindow, &WorksheetWindow::helpRequested, this, &MainWindow::ShowHelp);
  connect(sheetWindow, &WorksheetWindow::macroRequested, this, &MainWindow::MacroPrompt);
  connect(sheetWindow, &WorksheetWindow::macroButtonClicked, this,
          [this, sheetWindow](const QByteArray& macro) {
            RunSheetButton(sheetWindow->slot(), macro.toStdString());
          });
  connect(sheetWindow, &WorksheetWindow::linkUpdateRequested, this, &MainWindow::Uplink);
  connect(sheetWindow, &WorksheetWindow::graphViewRequested, this,
          [this] { ShowGraphWindow(true); });
  connect(sheetWindow, &WorksheetWindow::enterPressed, this, [this] {
    if (rangePrompt_->isOpen()) {
      rangePrompt_->Accept();
    } else if (entryActive_) {
      CommitEntry();
    }
  });
  connect(sheetWindow, &WorksheetWindow::escapePressed, this, [this] {
    if (entryActive_) {
      CancelEntry();
    } else if (rangePrompt_->isOpen()) {
      PromptEscape();
    }
  });
  connect(sheetWindow, &WorksheetWindow::endModeChanged, this, [this](bool on) {
    endOn_ = on;
    ShowIndicators();
  });
  connect(sheetWindow, &WorksheetWindow::indicatorsChanged, this, &MainWindow::ShowIndicators);
  connect(sheetWindow, &WorksheetWindow::sheetChanged, this, &MainWindow::RefreshSheetViews);
  connect(sheetWindow, &WorksheetWindow::cursorMoved, this, &MainWindow::SelectionChanged);
  connect(sheetWindow, &WorksheetWindow::activated, this,
          [this, sheetWindow] { WindowActivated(sheetWindow); });
  connect(sheetWindow, &WorksheetWindow::shortcutRequested, this, [this](QChar key) {
    switch (key.toLatin1()) {
      case 'C': Run(Cmd::kCopy); break;
      case 'X': Run(Cmd::kCut); break;
      case 'V': Run(Cmd::kPaste); break;
      case 'D': Run(Cmd::kErase); break;
      default: break;
    }
  });
  connect(sheetWindow, &WorksheetWindow::contextMenuRequested, this, [this](const QPoint& pos) {
    UpdateMenuState();
    contextMenu_->popup(pos);
  });
  connect(sheetWindow, &WorksheetWindow::propertiesRequested, this,
          [this] { Run(Cmd::kProperties, -2); });
  connect(sheetWindow, &WorksheetWindow::closed, this, [this, sheetWindow](bool last) {
    if (entryWindow_ == sheetWindow) {
      entryActive_ = false;
      entryWindow_ = nullptr;
      pointing_ = false;
    }
    if (last) {
      NoSheetState();
    } else {
      QTimer::singleShot(0, this, [this] { UpdateMenuState(); });
    }
  });
}

WorksheetWindow* MainWindow::AdoptWindow(WorksheetWindow* sheetWindow) {
  if (!sheetWindow) return nullptr;
  ConnectWindow(sheetWindow);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(sheetWindow->parentWidget())) {
    sub->setWindowIcon(GlyphIcon("T", true));
    // A new window takes most of the client area, leaving room to see that it is a window.
    const QSize area = clientArea_->viewport()->size();
    if (area.width() > 200 && area.height() > 150) {
      const int offset = sub->pos().x();
      sub->resize(std::max(400, area.width() * 9 / 10 - offset),
                  std::max(250, area.height() * 9 / 10 - sub->pos().y()));
    }
    if (Settings().maximized) sub->showMaximized();
    // The settings remember whether the last resized worksheet window was maximised.
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [](Qt::WindowStates old, Qt::WindowStates now) {
              if ((old ^ now) & Qt::WindowMaximized)
                Settings().maximized = now & Qt::WindowMaximized;
            });
  }
  WindowActivated(sheetWindow);
  return sheetWindow;
}

void MainWindow::WindowActivated(WorksheetWindow* sheetWindow) {
  if (!sheetWindow || !Worksheet(sheetWindow->slot()).InUse()) return;
  if (CurrentWorksheet() != sheetWindow->slot()) sheetWindow->activateSheet();
  // The lock button and the recalculation indicator follow the sheet.
  if (QToolButton* lock = button("protectionButton")) lock->setChecked(Options().protection());
  if (!entryActive_ && !rangePrompt_->isOpen()) SetMode(QStringLiteral("READY"));
  ShowIndicators();
  ShowAddress();
  if (!entryActive_) ShowCellInEntryLine();
  UpdateMenuState();
}

void MainWindow::NoSheetState() {
  entryActive_ = false;
  editMode_ = false;
  pointing_ = false;
  entryWindow_ = nullptr;
  if (entryLine_) entryLine_->clear();
  if (addressIndicator_) addressIndicator_->clear();
  if (rangePrompt_ && rangePrompt_->isOpen()) rangePrompt_->Cancel();
  SetMode(QStringLiteral("Empty"));
  UpdateMenuState();
  clientArea_->viewport()->update();
}

void MainWindow::ApplyBarSettings() {
  updatingBars_ = true;
  const ProgramSettings& s = Settings();
  quickBar_->setVisible(s.quickBar);
  macroBar_->setVisible(s.macroBar);
  statusBar()->setVisible(s.statusBar);
  action(Cmd::kQuickBar)->setChecked(s.quickBar);
  action(Cmd::kMacroBar)->setChecked(s.macroBar);
  action(Cmd::kStatusBar)->setChecked(s.statusBar);
  updatingBars_ = false;
}

// --- what shows the active cell ------------------------------------------------------------------

void MainWindow::SelectionChanged() {
  ShowAddress();
  GridPane* g = GridPane::ActiveGrid();
  if (rangePrompt_->isOpen()) {
    if (g) {
      WorksheetWindow* sheetWindow = activeSheetWindow();
      SheetScope scope(sheetWindow ? sheetWindow->slot() : 0);
      rangePrompt_->Follow(g->selection());
    }
    return;
  }
  if (entryActive_) {
    // A click or a pointer move while a reference can follow points at the cell.
    if (g && (pointing_ || CanPoint())) UpdatePointText();
    return;
  }
  ShowCellInEntryLine();
  UpdateMenuState();
  if (findReplaceDialog_) findReplaceDialog_->CursorMoved();
}

// --- the command helper --------------------------------------------------------------------------

CommandResult MainWindow::RunOnSelection(
    const std::function<CommandResult(const CellRange&)>& command) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) {
    ThePlatform().Beep();
    return CommandResult{CommandStatus::kFailed, {}};
  }
  GridPane* g = sheetWindow->activeGrid();
  CommandResult result;
  {
    SheetScope scope(sheetWindow->slot());
    result = command(g->selection());
  }
  RefreshSheetViews();
  return result;
}

void MainWindow::RepaintAll() {
  for (WorksheetWindow* w : WorksheetWindow::Windows()) {
    w->firstPane->update();
    w->secondPane->update();
  }
}

void MainWindow::RefreshSheetViews() {
  for (WorksheetWindow* w : WorksheetWindow::Windows()) {
    w->firstPane->refresh();
    w->secondPane->refresh();
  }
  // A window whose sheet was just closed may still be listed until it is deleted.
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (sheetWindow && Worksheet(sheetWindow->slot()).InUse()) {
    {
      SheetScope scope(sheetWindow->slot());
      if (QToolButton* lock = button("protectionButton")) lock->setChecked(Options().protection());
    }
    if (!entryActive_) ShowCellInEntryLine();
    ShowAddress();
  }
  ShowIndicators();
  UpdateMenuState();
  // The range-name dialog's list follows the names as they change (an Undo, a macro).
  if (rangeNameDialog_ && rangeNameDialog_->isVisible()) rangeNameDialog_->RefreshList();
}

void MainWindow::Uplink() {
  WorksheetWindow* active = activeSheetWindow();
  UpdateLinks();
  if (active) WindowActivated(active);
  RefreshSheetViews();
}

// --- enabled state -------------------------------------------------------------------------------

bool MainWindow::CommandBuilt(Cmd cmd) const {
  switch (kCommandTraits[size_t(cmd)].built) {
    case Built::kYes: return true;
    case Built::kWithMacros: return bool(RunMacroAt);
    case Built::kWithMacroNames: return functionList_ && FunctionListDialog::MacroNamesInstalled();
    case Built::kLater: break;
  }
  // Printing, transfer, clipboard, range and data commands, dialogs and graphs arrive with the
  // modules that carry them out.
  return false;
}

bool MainWindow::CommandNeedsSheet(Cmd cmd) const { return kCommandTraits[size_t(cmd)].needsSheet; }

void MainWindow::UpdateMenuState() {
  const bool sheet = activeSheetWindow() != nullptr;
  const QString tips = QString::fromLocal8Bit(TipsFileName().c_str());
  auto enabled = [&](Cmd cmd) {
    if (!CommandBuilt(cmd)) return false;
    if (CommandNeedsSheet(cmd) && !sheet) return false;
    if (cmd == Cmd::kTips) return QFileInfo::exists(tips);
    if (cmd == Cmd::kMacroStop) return MacroRunning();
    return true;
  };
  for (const ActionInfo& info : actions_) {
    // The Data menu's items whose tools are not built yet have no page in the Data dialog.
    const bool pageMissing = info.cmd == Cmd::kData && !DataDialog::HasPage(info.tag);
    info.action->setEnabled(enabled(info.cmd) && !pageMissing);
  }
  for (auto& [b, cmd] : buttons_) {
    bool on = enabled(cmd);
    if (cmd == Cmd::kMacroButton) on = on && !b->text().trimmed().isEmpty();
    b->setEnabled(on);
  }
  for (QWidget* w :
       {static_cast<QWidget*>(boldButton_), static_cast<QWidget*>(italicButton_),
        static_cast<QWidget*>(underlineButton_), static_cast<QWidget*>(fontBox_),
        static_cast<QWidget*>(sizeBox_), static_cast<QWidget*>(formatBox_),
        static_cast<QWidget*>(backgroundBox_), static_cast<QWidget*>(foregroundBox_)}) {
    if (w) w->setEnabled(sheet);
  }
  for (QToolButton* b : formatBar_->findChildren<QToolButton*>()) b->setEnabled(sheet);
}

QAction* MainWindow::action(Cmd cmd, int tag) const {
  for (const ActionInfo& info : actions_)
    if (info.cmd == cmd && (tag < 0 || info.tag == tag)) return info.action;
  return nullptr;
}

QToolButton* MainWindow::button(const char* objectName) const {
  for (auto& [b, cmd] : buttons_)
    if (b->objectName() == QLatin1String(objectName)) return b;
  return nullptr;
}

FunctionListDialog* MainWindow::functionList() const { return functionList_; }

// --- commands ------------------------------------------------------------------------------------

void MainWindow::Run(Cmd cmd, int tag) {
  if (!CommandBuilt(cmd)) {
    ThePlatform().Beep();
    return;
  }
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (CommandNeedsSheet(cmd) && !sheetWindow) {
    ThePlatform().Beep();
    return;
  }
  if (entryActive_ && cmd != Cmd::kFunctionPick && cmd != Cmd::kSpeedSum) CommitEntry();
  switch (cmd) {
    case Cmd::kNew: NewSheet(); break;
    case Cmd::kOpen: OpenDialog(); break;
    case Cmd::kSave: SaveActive(); break;
    case Cmd::kSaveAs: SaveAsDialog(sheetWindow); break;
    case Cmd::kImport: importFileDialog()->open(); break;
    case Cmd::kExport: exportFileDialog()->open(); break;
    case Cmd::kMerge: mergeFileDialog()->open(); break;
    case Cmd::kUplink: Uplink(); break;
    case Cmd::kPrint: {
      PrintDialog dialog(sheetWindow->activeGrid()->selection(), this);
      dialog.exec();
      RepaintAll();
      break;
    }
    case Cmd::kClose:
      if (auto* sub = qobject_cast<QMdiSubWindow*>(sheetWindow->parentWidget())) sub->close();
      break;
    case Cmd::kExit: close(); break;
    case Cmd::kUndo: RunOnSelection([](const CellRange&) { return UndoLastCommand(); }); break;
    case Cmd::kRedo: RunOnSelection([](const CellRange&) { return RedoLastCommand(); }); break;
    case Cmd::kQuickBar:
      Settings().quickBar = action(cmd)->isChecked();
      quickBar_->setVisible(Settings().quickBar);
      break;
    case Cmd::kMacroBar:
      Settings().macroBar = action(cmd)->isChecked();
      macroBar_->setVisible(Settings().macroBar);
      break;
    case Cmd::kStatusBar:
      Settings().statusBar = action(cmd)->isChecked();
      statusBar()->setVisible(Settings().statusBar);
      break;
    case Cmd::kSplitH: sheetWindow->splitAtCursor(1); break;
    case Cmd::kSplitV: sheetWindow->splitAtCursor(2); break;
    case Cmd::kSynch: sheetWindow->setSynch(true); break;
    case Cmd::kUnsynch: sheetWindow->setSynch(false); break;
    case Cmd::kSplitClear: sheetWindow->splitAtCursor(0); break;
    case Cmd::kBorders: sheetWindow->setTitles(tag); break;
    case Cmd::kZoom: SetZoom(tag); break;
    case Cmd::kExtReset:
      ClearLinkedSheetCache();
      RunOnSelection([](const CellRange&) { return ResetUserFunctions(); });
      break;
    case Cmd::kExtTable:
      OpenPrompt(QStringLiteral("Indicate @table Position"), [this](const CellRange& at) {
        RunOnSelection([&at](const CellRange&) {
          const CellRange r = OrderedRange(at);
          return WriteUserFunctionTable(r.firstRow, r.firstColumn);
        });
      });
      break;
    case Cmd::kCut:
    case Cmd::kCopy:
      RunOnSelection([cut = cmd == Cmd::kCut](const CellRange& r) { return CopyToClipboard(r, cut); });
      break;
    case Cmd::kPaste:
      RunOnSelection([](const CellRange& selection) {
        const CellRange r = OrderedRange(selection);
        return PasteFromClipboard(r.firstRow, r.firstColumn);
      });
      break;
    case Cmd::kNewView: {
      if (int(clientArea_->subWindowList().size()) >= kMaxChildWindows) {
        ThePlatform().Beep();
        break;
      }
      const SlotIndex slot = sheetWindow->slot();
      const std::string name = Worksheet(slot).fileName;
      const QString caption = sheetWindow->windowTitle();
      WorksheetWindow* view = WorksheetWindow::OpenWorksheetWindow(clientArea_, name, false);
      if (view) {
        view->setWindowTitle(caption);
        AdoptWindow(view);
      }
      break;
    }
    case Cmd::kTile: clientArea_->tileSubWindows(); break;
    case Cmd::kCascade: clientArea_->cascadeSubWindows(); break;
    case Cmd::kArrange: {
      // Minimised windows in a row along the bottom of the client area.
      int x = 0;
      for (QMdiSubWindow* sub : clientArea_->subWindowList()) {
        if (!sub->isMinimized()) continue;
        sub->move(x, clientArea_->viewport()->height() - sub->height());
        x += sub->width();
      }
      break;
    }
    case Cmd::kCloseAll: CloseAll(); break;
    case Cmd::kHelp: ShowHelp(); break;
    case Cmd::kAbout: ShowAbout(); break;
    case Cmd::kTips: ShowTip(); break;
    case Cmd::kDocInfo: OpenDocumentInfo(); break;
    case Cmd::kGetInfo: OpenSystemMetrics(); break;
    case Cmd::kRangeName: OpenRangeNames(tag); break;
    case Cmd::kSpeedSum: {
      GridPane* g = sheetWindow->activeGrid();
      QString range;
      {
        SheetScope scope(sheetWindow->slot());
        range = FromCp1252(RangeText(g->selection()));
      }
      if (entryActive_) CancelEntry();
      StartEntry(QStringLiteral("@sum(") + range + ")");
      break;
    }
    case Cmd::kFunctionPick:
      if (!entryActive_) StartEntry(QStringLiteral("@"));
      if (!entryLine_->text().endsWith('@')) entryLine_->insert(QStringLiteral("@"));
      OpenFunctionList(false);
      break;
    case Cmd::kMacroDo: MacroPrompt(false); break;
    case Cmd::kMacroStep:
    case Cmd::kMacroSingleStep:
      if (MacroRunning()) {
        macroPlayer_->Step();
      } else {
        MacroPrompt(true);
      }
      break;
    case Cmd::kMacroStop: macroPlayer_->Break(); break;
    case Cmd::kMacroButton: RunMacroButton(tag); break;
    case Cmd::kMacroPick:
      if (!entryActive_) StartEntry(QStringLiteral("{"));
      OpenFunctionList(true);
      break;
    case Cmd::kAlign: {
      RunOnSelection([tag](const CellRange& r) { return SetRangeAlignment(r, tag); });
      break;
    }
    case Cmd::kLock: ToggleProtection(); break;
    case Cmd::kGraph: OpenGraphSettings(tag); break;
    case Cmd::kGraphClear: ClearGraphSettings(); break;
    case Cmd::kGraphView: ShowGraphWindow(false); break;
    case Cmd::kAudit: OpenAudit(); break;
    case Cmd::kErase:
    case Cmd::kRangeErase:
    case Cmd::kRangeEraseAll:
    case Cmd::kRangeCopy:
    case Cmd::kCopyCells:
    case Cmd::kMoveCells:
    case Cmd::kInsert:
    case Cmd::kDelete:
    case Cmd::kInsDelRows:
    case Cmd::kInsDelCols:
    case Cmd::kMoveBlock: RunBlockCommand(cmd, tag); break;
    case Cmd::kData:
    case Cmd::kSort:
    case Cmd::kSpeedFill:
    case Cmd::kFind:
    case Cmd::kJustify:
    case Cmd::kWord:
    case Cmd::kProper: RunDataCommand(cmd, tag); break;
    case Cmd::kArray:
    case Cmd::kDataPrompt: RunAnalysisCommand(cmd, tag); break;
    case Cmd::kGeneral:
    case Cmd::kProperties:
    case Cmd::kRangeFormat:
    case Cmd::kColwidth:
    case Cmd::kRowheight: RunSettingsCommand(cmd, tag); break;
    default: ThePlatform().Beep(); break;
  }
  RefreshSheetViews();
}

void MainWindow::SetZoom(int percent) {
  WorksheetWindow::SetZoomAll(percent);
  Settings().zoom = percent;
  // The menu's radio item of that zoom is checked; a zoom the menu does not offer checks none.
  QAction* match = action(Cmd::kZoom, percent);
  for (const ActionInfo& info : actions_) {
    if (info.cmd == Cmd::kZoom && info.action != match && info.action->isChecked()) {
      if (QActionGroup* group = info.action->actionGroup()) {
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
      }
      info.action->setChecked(false);
    }
  }
  if (match) match->setChecked(true);
}

void MainWindow::OpenGraphSettings(int tag) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  if (!graphSettings_) {
    graphSettings_ = new GraphSettingsDialog(this);
    graphSettings_->setRangeRequest([this](const QString& caption, const CellRange& start,
                                           std::function<void(const CellRange&)> done,
                                           std::function<void()> closed) {
      // The dialog comes back when the prompt closes, accepted or not.
      PointFromDialog(caption, start, std::move(done), std::move(closed));
    });
  }
  graphSettings_->Open(sheetWindow->slot(), tag, sheetWindow->activeGrid()->selection());
}

void MainWindow::OpenAudit() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  if (!auditDialog_) {
    auditDialog_ = new AuditDialog(this);
    auditDialog_->setRangeRequest([this](const QString& caption, const CellRange& start,
                                         std::function<void(const CellRange&)> done,
                                         std::function<void()> closed) {
      auto connection = std::make_shared<QMetaObject::Connection>();
      *connection = connect(rangePrompt_, &RangePrompt::closed, this, [connection, closed] {
        disconnect(*connection);
        closed();
      });
      OpenPrompt(caption, std::move(done), false, RangeIsValid(start) ? &start : nullptr);
      if (!rangePrompt_->isOpen()) {
        disconnect(*connection);
        closed();
      }
    });
  }
  const GridPane* grid = sheetWindow->activeGrid();
  auditDialog_->Open(sheetWindow->slot(),
                     CellAddress{uint16_t(grid->cursorColumn()), uint16_t(grid->cursorRow())});
}

void MainWindow::ShowGraphWindow(bool maximised, int namedIndex, int milliseconds) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) {
    ThePlatform().Beep();
    return;
  }
  graphWindow_->ShowGraph(sheetWindow->slot(), namedIndex, maximised, milliseconds);
}

void MainWindow::ClearGraphSettings() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  if (ThePlatform().Ask("Graph", "Clear All Graph Settings", Buttons::kOkCancel) != Answer::kOk) {
    return;
  }
  SheetScope scope(sheetWindow->slot());
  ClearCurrentGraph();
}

void MainWindow::ToggleProtection() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  QToolButton* lock = button("protectionButton");
  if (!sheetWindow) return;
  {
    SheetScope scope(sheetWindow->slot());
    const bool on = Options().protection();
    if (on && HasPassword() && ThePasswordDialog().AskPassword(0) != 1) {
      // Without the right password protection stays on and the button down.
      lock->setChecked(true);
      ThePlatform().Beep();
      return;
    }
    SetSheetProtection(!on);
    lock->setChecked(!on);
  }
  RefreshSheetViews();
}

void MainWindow::ShowHelp() {
  if (!help_) {
    auto* dialog = new QDialog(this, Qt::Window);
    dialog->setWindowTitle(QStringLiteral("TALLIVO Help"));
    auto* box = new QVBoxLayout(dialog);
    box->setContentsMargins(0, 0, 0, 0);
    help_ = new QTextBrowser(dialog);
    help_->setObjectName("help");
    help_->setOpenExternalLinks(true);
    box->addWidget(help_);
    dialog->resize(720, 640);
    // A help file beside the program replaces the built-in one.
    const QString own = QString::fromStdString(ProgramDirectory() + BaseName() + ".html");
    help_->setSource(QFileInfo::exists(own) ? QUrl::fromLocalFile(own)
                                            : QUrl(QStringLiteral("qrc:/help/tallivo.html")));
  }
  help_->home();
  help_->window()->show();
  help_->window()->raise();
}

void MainWindow::ShowAbout() {
  QMessageBox::about(this, QStringLiteral("About TALLIVO"),
                     QStringLiteral("<h2>TALLIVO</h2><p>A spreadsheet for the Linux desktop.</p>"
                                    "<p>256 columns by 8192 rows per worksheet, formulas "
                                    "recalculated in natural order, WKS and WK1 worksheet "
                                    "files.</p><p>Program directory: %1</p>")
                         .arg(QString::fromStdString(ProgramDirectory()).toHtmlEscaped()));
}

// --- key preview ---------------------------------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    // A two-way quick button: the upper half has tag 1, the lower half tag 0.
    if (auto* b = qobject_cast<QToolButton*>(watched); b && b->property("twoWay").toBool()) {
      const auto* press = static_cast<QMouseEvent*>(event);
      b->setProperty("tag", press->position().y() < b->height() / 2.0 ? 1 : 0);
      return false;
    }
    // Clicking a keyboard indicator toggles its state; "Auto"/"Manual" toggles recalculation.
    if (watched == recalcIndicator_) {
      ToggleRecalc();
      return true;
    }
    bool* flag = watched == insertIndicator_   ? &insertOn_
                 : watched == numLockIndicator_ ? &numOn_
                 : watched == scrollLockIndicator_ ? &scrollOn_
                 : watched == capsLockIndicator_ ? &capsOn_
                 : watched == endIndicator_ ? &endOn_
                                    : nullptr;
    if (flag) {
      *flag = !*flag;
      ShowIndicators();
      return true;
    }
  }
  if (watched == entryLine_ && event->type() == QEvent::FocusIn && !entryActive_ &&
      activeSheetWindow() && static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
    // Clicking into the entry line edits the current cell's content there.
    QTimer::singleShot(0, this, [this] {
      const int position = entryLine_->cursorPosition();
      EditCell();
      entryLine_->setCursorPosition(position);
    });
    return false;
  }
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* e = static_cast<QKeyEvent*>(event);
  if (watched == entryLine_) {
    bool consumed = false;
    EntryKeyDown(e, &consumed);
    if (consumed) return true;
    if (!entryActive_ && !e->text().isEmpty() && e->text().at(0).isPrint() && activeSheetWindow()) {
      // Typing into the entry line without an entry in progress starts one there.
      StartEntry(QString());
      editMode_ = false;
    }
    return false;
  }
  // Keys anywhere in the frame's windows, before the worksheet window sees them.
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this)
    return QMainWindow::eventFilter(watched, event);
  switch (e->key()) {
    case Qt::Key_Insert: insertOn_ = !insertOn_; ShowIndicators(); break;
    case Qt::Key_CapsLock: capsOn_ = !capsOn_; ShowIndicators(); break;
    case Qt::Key_NumLock: numOn_ = !numOn_; ShowIndicators(); break;
    case Qt::Key_ScrollLock: scrollOn_ = !scrollOn_; ShowIndicators(); break;
    case Qt::Key_F9:
      if (qobject_cast<GridPane*>(watched)) {
        Uplink();
        return true;
      }
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      // The pointer of an entry moves from the grid as well (after a click into it).
      if (entryActive_ && qobject_cast<GridPane*>(watched) && (pointing_ || CanPoint())) {
        const int key = e->key();
        PointMove(key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0,
                  key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0,
                  e->modifiers() & Qt::ShiftModifier);
        return true;
      }
      break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}
