// ui/main_window.cpp — the main frame: menus, bars, entry line, range prompt, files, start and
// exit.
//
// State: per frame (see the header). Reads and writes the program settings (files/settings.h)
// and, through the engine, the worksheet of the active window.
#include "ui/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
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
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/password.h"
#include "core/worksheets.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "files/sheet_extras.h"
#include "files/user_functions.h"
#include "files/worksheet_file.h"
#include "formula/evaluator.h"
#include "formula/recalc.h"
#include "platform/platform.h"
#include "ui/cp1252.h"
#include "ui/function_list_dialog.h"
#include "ui/grid_pane.h"
#include "ui/password_dialog.h"
#include "ui/qt_platform.h"
#include "ui/range_prompt.h"
#include "ui/row_painter.h"
#include "ui/worksheet_window.h"

std::function<void(const CellRange&)> MainWindow::RunMacroAt;

namespace {

constexpr int kMaxChildWindows = 255;
const int kFontSizes[] = {6, 8, 10, 12, 14, 18, 24, 32, 48, 72};
const int kZooms[] = {200, 150, 125, 100, 87, 75, 65, 50};
const char* const kZoomCaptions[] = {"&200%", "15&0%", "1&30%", "&100%",
                                     "&87%",  "&75%",  "&65%",  "&50%"};

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

QIcon ColourIcon(QRgb colour) {
  QPixmap pm(16, 12);
  pm.fill(QColor(colour));
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 11);
  return QIcon(pm);
}

// The "code,caption" entries of the format list.
QString FormatEntryCode(const QString& entry) { return entry.section(',', 0, 0).trimmed(); }
QString FormatEntryCaption(const QString& entry) {
  const QString caption = entry.section(',', 1).trimmed();
  return caption.isEmpty() ? FormatEntryCode(entry) : caption;
}

// "VALUE" when the first character is one that starts a value, otherwise "LABEL".
QString EntryMode(const QString& text) {
  if (text.isEmpty()) return QStringLiteral("LABEL");
  const QChar c = text.at(0);
  return QStringLiteral("(+-0123456789@").contains(c) ? QStringLiteral("VALUE")
                                                      : QStringLiteral("LABEL");
}

}  // namespace

bool IsCommandLineOption(const QString& argument) {
  // Options are written "/RA"; on Linux an absolute path starts with "/" too, so only a slash
  // followed by letters alone, naming no existing file, is an option.
  static const QRegularExpression option(QStringLiteral("^/[A-Za-z]+$"));
  return option.match(argument).hasMatch() && !QFileInfo::exists(argument);
}

namespace {

QString Shortest(double value) {
  QString s = QString::number(value, 'g', 15);
  return s;
}

}  // namespace

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
  platform.onProgress = [this](int percent) {
    if (!progressGauge_) return;
    progressGauge_->setVisible(percent >= 0);
    if (percent >= 0) progressGauge_->setValue(percent);
  };
  platform.onRepaint = [this] { RepaintAll(); };
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
  QtPlatform& platform = TheQtPlatform();
  platform.onMode = nullptr;
  platform.onProgress = nullptr;
  platform.onRepaint = nullptr;
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
  auto menu = [bar](const QString& caption, const QString& hint) {
    QMenu* m = bar->addMenu(caption);
    m->menuAction()->setStatusTip(hint);
    m->setToolTipsVisible(true);
    return m;
  };

  QMenu* m = fileMenu_ = menu("&File",
      "New,Open,Save,SaveAs,Uplink,Close,Print,Merge,Import,Export,Doc Info,Get Info,Exit");
  Item(m, "&New", "MAIN|Create New Worksheet", Cmd::kNew);
  Item(m, "&Open ...", "Load Selected Worksheet", Cmd::kOpen)->setShortcut(QKeySequence::Open);
  Item(m, "&Save", "Save Sheet Using Current Name", Cmd::kSave)->setShortcut(QKeySequence::Save);
  Item(m, "Save &As ...", "Specify New Name for Worksheet and Save", Cmd::kSaveAs);
  Item(m, "&Uplink", "Update &LINK references", Cmd::kUplink);
  Item(m, "&Close", "Close worksheet", Cmd::kClose);
  m->addSeparator();
  Item(m, "&Print...", "Print Worksheet/Graphs", Cmd::kPrint);
  Item(m, "&Merge...", "Merge Formula/Value Range", Cmd::kMerge);
  Item(m, "&Import...", "Import Comma or Quoted Ascii Files", Cmd::kImport);
  Item(m, "&Export ...", "Export Worksheet to WKS or Ascii", Cmd::kExport);
  Item(m, "&Doc Info...", "Add worksheet identification info.", Cmd::kDocInfo);
  Item(m, "&Get Info ...", "Statistics of Current Sheet", Cmd::kGetInfo);
  m->addSeparator();
  Item(m, "E&xit", "Exit TALLIVO", Cmd::kExit);
  // The history: items NM0..NM9, the sixth and later in the submenu "More" (Mhist).
  historySeparator_ = m->addSeparator();
  moreMenu_ = new QMenu(QStringLiteral("More"), this);
  moreMenu_->setObjectName("moreHistoryMenu");
  for (int i = 0; i < kMaxHistory; ++i) {
    auto* a = new QAction(this);
    a->setObjectName(QStringLiteral("historyItem%1").arg(i));
    a->setVisible(false);
    connect(a, &QAction::triggered, this, [this, a] { OpenByName(a->data().toString()); });
    historyItems_.push_back(a);
    if (i < 5) {
      m->addAction(a);
    } else {
      moreMenu_->addAction(a);
    }
  }
  m->addMenu(moreMenu_);

  m = menu("&Edit", "Cut,Copy,Paste,Find/Replace,Word");
  Item(m, "&Undo\tCtrl+Z", "", Cmd::kUndo);
  m->addSeparator();
  Item(m, "Cu&t\tCtrl+X", "Transfer Range to Clipboard", Cmd::kCut);
  Item(m, "&Copy\tCtrl+C", "Copy Range to Clipboard", Cmd::kCopy);
  Item(m, "&Paste\tCtrl+V", "Paste Clipboard to Range", Cmd::kPaste);
  Item(m, "&Delete\tCtrl+D", "Erase Block", Cmd::kErase);
  m->addSeparator();
  Item(m, "&Find/Replace...", "Search for string", Cmd::kFind);
  Item(m, "&Word...", "Simple Word Processor", Cmd::kWord);

  m = menu("&View", "Quick,Macro,Status,Window,Borders,Zoom");
  for (auto [caption, cmd] : {std::pair{"Show &Quick Buttons", Cmd::kQuickBar},
                              std::pair{"Show &Macro Buttons", Cmd::kMacroBar},
                              std::pair{"Show &Status Bar", Cmd::kStatusBar}}) {
    QAction* a = Item(m, caption, "", cmd);
    a->setCheckable(true);
    a->setChecked(true);
  }
  QMenu* sub = m->addMenu("Split Current &Window");
  Item(sub, "&Horizontal", "", Cmd::kSplitH);
  Item(sub, "&Vertical", "", Cmd::kSplitV);
  Item(sub, "&Synch", "", Cmd::kSynch);
  Item(sub, "&Unsynch", "", Cmd::kUnsynch);
  Item(sub, "&Clear", "", Cmd::kSplitClear);
  sub = m->addMenu("Set Window &Borders");
  Item(sub, "&Horizontal", "", Cmd::kBorders, 1);
  Item(sub, "&Vertical", "", Cmd::kBorders, 2);
  Item(sub, "&Both", "", Cmd::kBorders, 3);
  Item(sub, "&Clear", "", Cmd::kBorders, 0);
  sub = m->addMenu("&Zoom");
  auto* zoomGroup = new QActionGroup(this);
  for (int i = 0; i < 8; ++i) {
    QAction* a = Item(sub, kZoomCaptions[i], "", Cmd::kZoom, kZooms[i]);
    a->setCheckable(true);
    a->setChecked(kZooms[i] == 100);
    zoomGroup->addAction(a);
  }

  m = menu("&Sheet", "General,Insert,Delete,Macro,Colwidth,Rowheight,Audit");
  sub = m->addMenu("&General...");
  sub->menuAction()->setStatusTip("Set General Features for Worksheet");
  const std::pair<const char*, int> general[] = {
      {"&Format ...", 0}, {"&Typeface ...", 2}, {"&Color ...", 3},     {"&Options...", 1},
      {"&Size ...", 6},   {"F&iles ...", 4},    {"&Label...", 7},      {"&Protection...", 8},
      {"&Advanced ...", 5}, {"&Grid", 9}};
  for (auto [caption, tag] : general)
    Item(sub, caption, "Set General Features for Worksheet", Cmd::kGeneral, tag);
  sub = m->addMenu("&Insert");
  sub->menuAction()->setStatusTip("Insert Row or Column at Cursor Position");
  Item(sub, "&Page Break", "Insert Row or Column at Cursor Position", Cmd::kInsert, 0);
  Item(sub, "&Row", "Insert Row or Column at Cursor Position", Cmd::kInsert, 1);
  Item(sub, "&Column", "Insert Row or Column at Cursor Position", Cmd::kInsert, 2);
  Item(sub, "&Across Row", "Insert Row or Column at Cursor Position", Cmd::kInsert, 3);
  sub = m->addMenu("&Delete");
  sub->menuAction()->setStatusTip("Delete Row or Column at Cursor Position");
  Item(sub, "&Row", "Delete Row or Column at Cursor Position", Cmd::kDelete, 1);
  Item(sub, "&Column", "Delete Row or Column at Cursor Position", Cmd::kDelete, 2);
  Item(sub, "&Across Row", "Delete Row or Column at Cursor Position", Cmd::kDelete, 3);
  Item(m, "&Macro Step", "", Cmd::kMacroStep);
  Item(m, "&Colwidth...", "", Cmd::kColwidth);
  Item(m, "&Rowheight...", "", Cmd::kRowheight);
  Item(m, "&Audit...", "", Cmd::kAudit);
  sub = m->addMenu("&External @");
  Item(sub, "&Table", "", Cmd::kExtTable);
  Item(sub, "&Reset", "", Cmd::kExtReset);

  m = menu("&Range", "Property,Copy,Erase,Name,Justify,Shade,Typeface,Prefix,Lock,Border");
  Item(m, "&Copy...", "Value,Transpose,Scale,Invert", Cmd::kRangeCopy);
  Item(m, "&Erase", "Erase contents of cell", Cmd::kRangeErase);
  Item(m, "Erase &All", "Erase Formatting and Contents", Cmd::kRangeEraseAll);
  Item(m, "&Name ...", "Create,Delete", Cmd::kRangeName);
  Item(m, "&Justify ...", "Resize text to fit within Columns", Cmd::kJustify);
  m->addSeparator();
  const std::pair<const char*, const char*> pages[] = {
      {"&Format", "Apply Format to Selected Range"},
      {"&Shade", "Apply Background color to selected range"},
      {"&Typeface", "Modify font"},
      {"&Prefix", "Cell Justification: Left, Center, Right"},
      {"&Lock", "Protect Individual Cells"},
      {"&Border", "Apply Border to Cells"}};
  for (int i = 0; i < 6; ++i) Item(m, pages[i].first, pages[i].second, Cmd::kRangeFormat, i);

  // "&Copy" and "&Move" are commands on the menu bar itself.
  for (auto [caption, hint, cmd] :
       {std::tuple{"&Copy", "Copy Cells to Destination", Cmd::kCopyCells},
        std::tuple{"&Move", "Move Cells to Destination", Cmd::kMoveCells}}) {
    QAction* a = bar->addAction(caption);
    a->setStatusTip(hint);
    actions_.push_back({a, cmd, 0});
    connect(a, &QAction::triggered, this, [this, cmd = cmd] { Run(cmd); });
  }

  m = menu("&Data", "Fill,Sort,Query,Bin,Parse,GoalSeek,Regress,Mregress,Table");
  const std::pair<const char*, const char*> data[] = {
      {"&Fill", "Fill: Linear,Mult,Exp"},
      {"&Sort", "Sort Primary,Secondary"},
      {"&Query", "Query: Database  Extract"},
      {"&Bin", "Bin: Count, Frequency"},
      {"&Parse", "Parse text into adjacent cells"},
      {"&GoalSeek", "GoalSeek: Input,Output,Desire,Tolerance"},
      {"&Regress", "Linear Regression y=mx+b"},
      {"&MultiRegress", "Multivariable Regression x^1,x^2... "},
      {"&Table", "Table: Input 1 {Input 2}, Output"},
      {"F&orm", ""}};
  for (int i = 0; i < 10; ++i) Item(m, data[i].first, data[i].second, Cmd::kData, i);

  m = menu("&Array", "Add,Subtract,Multiply,Transpose,Invert,E-Solve,Determinate,Linear");
  const std::pair<const char*, const char*> array[] = {
      {"&Add", "Add: Source1, Source2, Desti"},   {"&Subtract", "Subtract: S1,S2,D"},
      {"&Multiply", "Multiply: S1,S2,O1"},        {"&Transpose", "Transpose: S1,O1"},
      {"&Invert", "Invert: S1,O1"},               {"&E-Solve", "Equation Solve: S1,O1"},
      {"&Determinant", "Determinant: S1,O1"},     {"&Linear", "Linear Equations: S1,O1"}};
  for (int i = 0; i < 8; ++i) Item(m, array[i].first, array[i].second, Cmd::kArray, i);

  m = menu("&Graph", "Type,Range,Legends,Scale,Options,Names,Headings,Fonts,Clear,View");
  const std::tuple<const char*, const char*, int> graph[] = {
      {"&Type...", "Specify Type of Graph", 0},
      {"&Ranges...", "Define X , Y Data", 1},
      {"&Legends...", "Specify Dependent Data", 8},
      {"&Scale...", "Set X and Y scale,Format and Type", 3},
      {"&Options...", "Specify Color, Reference Marks and Line Styles", 2},
      {"&Names...", "Name a Graph", 4},
      {"&Headings...", "Specify Main, Second, X-axis and Y-axis headings", 5},
      {"&Fonts...", "Specify Font Type and Size", 7}};
  for (auto [caption, hint, tag] : graph) Item(m, caption, hint, Cmd::kGraph, tag);
  Item(m, "&Clear...", "Reset all settings.", Cmd::kGraphClear);
  Item(m, "&View...", "Display Graph with Current Settings", Cmd::kGraphView)
      ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));

  m = menu("&Window", "New,Tile,Cascade,Arrange,Close,Split");
  Item(m, "&New View", "Create a new view of focused sheet", Cmd::kNewView);
  Item(m, "&Tile", "Tile windows", Cmd::kTile);
  Item(m, "&Cascade", "Layer windows", Cmd::kCascade);
  Item(m, "&Arrange Icons", "Rearrange minimized windows", Cmd::kArrange);
  Item(m, "C&lose All", "Close all open windows", Cmd::kCloseAll);

  m = menu("&Help", "Contents,About");
  Item(m, "&Contents", "", Cmd::kHelp);
  m->addSeparator();
  Item(m, "&About ...", "", Cmd::kAbout);
  Item(m, "&Tips...", "", Cmd::kTips);

  // The pop-up menu of a worksheet window.
  contextMenu_ = new QMenu(this);
  Item(contextMenu_, "&Properties", "", Cmd::kGeneral, -2);
  Item(contextMenu_, "Cu&t\tCtrl+X", "", Cmd::kCut);
  Item(contextMenu_, "&Copy\tCtrl+C", "", Cmd::kCopy);
  Item(contextMenu_, "&Paste\tCtrl+V", "", Cmd::kPaste);
  Item(contextMenu_, "&Delete\tCtrl+D", "", Cmd::kErase);
  Item(contextMenu_, "C&lose", "", Cmd::kClose);
}

QToolButton* MainWindow::QuickButton(const char* name, const QString& glyph, const QString& hint,
                                 Cmd cmd, int tag) {
  auto* b = new QToolButton(quickBar_);
  b->setObjectName(name);
  b->setIcon(GlyphIcon(glyph, true));
  b->setToolTip(hint);
  b->setStatusTip(hint);
  b->setAutoRaise(true);
  b->setProperty("tag", tag);
  quickBar_->addWidget(b);
  buttons_.emplace_back(b, cmd);
  connect(b, &QToolButton::clicked, this, [this, cmd, tag] { Run(cmd, tag); });
  return b;
}

void MainWindow::BuildQuickBar() {
  quickBar_ = addToolBar(QStringLiteral("Quick Buttons"));
  quickBar_->setObjectName("quickBar");
  quickBar_->setMovable(false);
  quickBar_->setIconSize(QSize(22, 22));
  QuickButton("openButton", QString::fromUtf8("\xF0\x9F\x93\x82"), "Open Worksheet", Cmd::kOpen)
      ->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  QuickButton("saveButton", "", "Save Worksheet", Cmd::kSave)
      ->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  QuickButton("printButton", "P", "Print Worksheet", Cmd::kPrint);
  quickBar_->addSeparator();
  QuickButton("cutButton", QString::fromUtf8("\xE2\x9C\x82"), "Cut Text", Cmd::kCut, 1);
  QuickButton("copyButton", "Cp", "Copy Text", Cmd::kCopy, 2);
  QuickButton("pasteButton", "Pa", "Paste Text", Cmd::kPaste);
  QuickButton("eraseButton", "Er", "Erase Range", Cmd::kErase);
  QuickButton("undoButton", QString::fromUtf8("\xE2\x86\xB6"), "Undo Last Action", Cmd::kUndo);
  quickBar_->addSeparator();
  QuickButton("rowsButton", QString::fromUtf8("\xE2\x87\x95R"), "Ins/Del Rows", Cmd::kInsDelRows);
  QuickButton("columnsButton",
              QString::fromUtf8("\xE2\x87\x94"
                                "C"),
              "INS/DEL COL", Cmd::kInsDelCols);
  QuickButton("speedFillButton", "Fi", "Speed Fill", Cmd::kSpeedFill);
  QuickButton("speedSumButton", QString::fromUtf8("\xCE\xA3"), "Speed @SUM", Cmd::kSpeedSum);
  QuickButton("sortButton", "AZ", "Ascend/Descend Sort", Cmd::kSort);
  QuickButton("functionPickButton", "@", "Function Pick", Cmd::kFunctionPick);
  QuickButton("macroPickButton", "{ }", "Macro Pick", Cmd::kMacroPick);
  quickBar_->addSeparator();
  QuickButton("alignLeftButton", QString::fromUtf8("\xE2\x87\xA4"), "Left Justify", Cmd::kAlign, 1);
  QuickButton("alignCentreButton", QString::fromUtf8("\xE2\x86\x94"), "Center", Cmd::kAlign, 3);
  QuickButton("alignRightButton", QString::fromUtf8("\xE2\x87\xA5"), "Right Justify", Cmd::kAlign,
              2);
  QuickButton("wrapButton", QString::fromUtf8("\xE2\x86\xB5"), "Word Wrap Text in Cell",
              Cmd::kAlign, 4);
  QuickButton("leftEllipsesButton", "..a", "Left Ellipses", Cmd::kAlign, 5);
  QuickButton("rightEllipsesButton", "a..", "Right Ellipses", Cmd::kAlign, 6);
  quickBar_->addSeparator();
  QuickButton("runMacroButton", QString::fromUtf8("\xE2\x96\xB6"), "Execute Macro", Cmd::kMacroDo);
  QuickButton("stepMacroButton", QString::fromUtf8("\xE2\x96\xB7|"), "Macro Single Step",
              Cmd::kMacroSingleStep);
  QuickButton("stopMacroButton", QString::fromUtf8("\xE2\x96\xA0"), "Abort Macro", Cmd::kMacroStop);
  QuickButton("quickGraphButton", QString::fromUtf8("\xE2\x96\x85"), "Quick Graph",
              Cmd::kQuickGraph);
  QuickButton("textProcessorButton", "W", "Text Processor", Cmd::kWord);
  QuickButton("findButton", "?", "Find & Replace Text", Cmd::kFind);
  QToolButton* lock = QuickButton("protectionButton", QString::fromUtf8("\xF0\x9F\x94\x92"),
                                  "Protect/Unprotect Sheet", Cmd::kLock);
  lock->setCheckable(true);
  lock->setIcon(GlyphIcon("Lk", true));
  QuickButton("properButton", "Aa", "Upper/Proper", Cmd::kProper);

  // The macro button bar: 13 buttons whose captions name macros of the macro library.
  macroBar_ = new QToolBar(QStringLiteral("Macro Buttons"), this);
  macroBar_->setObjectName("macroBar");
  macroBar_->setToolTip("Toolbar");
  macroBar_->setMovable(false);
  for (int i = 0; i < 13; ++i) {
    auto* b = new QToolButton(macroBar_);
    b->setObjectName(QStringLiteral("macroButton%1").arg(i));
    b->setText(QString());
    b->setToolTip("Toolbar");
    b->setFixedSize(26, 22);
    b->setAutoRaise(false);
    // Blank buttons are still seen as buttons, waiting for a macro library to name them.
    b->setStyleSheet(
        QStringLiteral("QToolButton { border: 1px solid #a8a8a8; background: #e8e8e8; }"));
    macroBar_->addWidget(b);
    buttons_.emplace_back(b, Cmd::kMacroButton);
  }
}

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

void MainWindow::BuildFormatBar() {
  formatBar_ = new QToolBar(QStringLiteral("Formatting"), this);
  formatBar_->setObjectName("formatBar");
  formatBar_->setMovable(false);
  addToolBar(Qt::BottomToolBarArea, formatBar_);
  auto toggle = [this](const char* name, const QString& glyph, const QString& hint, uint8_t bit) {
    auto* b = new QToolButton(formatBar_);
    b->setObjectName(name);
    QFont f = b->font();
    f.setBold(bit == 1);
    f.setItalic(bit == 2);
    f.setUnderline(bit == 4);
    b->setFont(f);
    b->setText(glyph);
    b->setToolTip(hint);
    b->setCheckable(true);
    formatBar_->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, bit](bool on) {
      ForEachCell([bit, on](CellRecord* c) {
                    c->style = uint8_t(on ? (c->style | bit) : (c->style & ~bit));
                  });
    });
    return b;
  };
  boldButton_ = toggle("boldButton", "B", "Bold", 1);
  italicButton_ = toggle("italicButton", "I", "Italic", 2);
  underlineButton_ = toggle("underlineButton", "U", "Underline", 4);
  formatBar_->addSeparator();

  // The typeface box: the installed families, sorted; a cell's font byte is an index into the
  // same list (the row painter's font table).
  fontBox_ = new QComboBox(formatBar_);
  fontBox_->setObjectName("fontBox");
  fontBox_->setToolTip("Font Type");
  QStringList families = QFontDatabase::families();
  families.sort(Qt::CaseInsensitive);
  std::vector<QString> names(families.begin(), families.end());
  if (names.size() > 254) names.resize(254);
  SetCellFontNames(names);
  for (const QString& n : names) fontBox_->addItem(n);
  fontBox_->setCurrentIndex(std::max(0, fontBox_->findText(font().family())));
  fontBox_->setMinimumWidth(150);
  formatBar_->addWidget(fontBox_);
  connect(fontBox_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index > 254) return;
    ForEachCell([index](CellRecord* c) { c->font = uint8_t(index); });
  });

  sizeBox_ = new QComboBox(formatBar_);
  sizeBox_->setObjectName("sizeBox");
  sizeBox_->setToolTip("Font Size");
  for (int s : kFontSizes) sizeBox_->addItem(QString::number(s));
  sizeBox_->setCurrentIndex(4);
  formatBar_->addWidget(sizeBox_);
  connect(sizeBox_, &QComboBox::activated, this, [this](int index) {
    const int size = sizeBox_->itemText(index).toInt();
    ForEachCell([size](CellRecord* c) { c->size = uint8_t(size); });
  });

  // The size spinner: up enlarges, down shrinks the font of the selection.
  auto spinner = [this](const QString& glyph, int step) {
    auto* b = new QToolButton(formatBar_);
    b->setObjectName(step > 0 ? "largerFontButton" : "smallerFontButton");
    b->setText(glyph);
    b->setToolTip(step > 0 ? "Larger Font" : "Smaller Font");
    b->setAutoRepeat(true);
    formatBar_->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, step] {
      const int fallback = Settings().fontSize;
      ForEachCell([step, fallback](CellRecord* c) {
                    const int size = c->size ? c->size : fallback;
                    c->size = uint8_t(std::clamp(size + step, 4, 127));
                  });
    });
  };
  spinner(QString::fromUtf8("\xE2\x96\xB2"), 1);
  spinner(QString::fromUtf8("\xE2\x96\xBC"), -1);
  formatBar_->addSeparator();

  formatBox_ = new QComboBox(formatBar_);
  formatBox_->setObjectName("formatBox");
  formatBox_->setToolTip("Speed Format");
  formatBox_->setMinimumWidth(110);
  formatBar_->addWidget(formatBox_);
  connect(formatBox_, &QComboBox::activated, this, [this](int index) {
    const QString code = formatBox_->itemData(index).toString();
    ClearError();
    const uint8_t format = ParseFormatLetters(ToCp1252(code));
    if (ErrorRaised()) {
      ClearError();
      ThePlatform().Beep();
      return;
    }
    ForEachCell([format](CellRecord* c) {
                  c->format = uint8_t((c->format & kFormatProtected) | (format & 0x7F));
                });
  });
  formatBar_->addSeparator();

  auto colours = [this](const char* name, const QString& hint, bool background) {
    auto* box = new QComboBox(formatBar_);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->addItem(hint);
    for (int i = 0; i < 16; ++i) box->addItem(ColourIcon(PaletteColour(i)), QString(), i);
    box->setMinimumWidth(100);
    formatBar_->addWidget(box);
    connect(box, &QComboBox::activated, this, [this, box, background](int index) {
      if (index <= 0) return;
      const int palette = box->itemData(index).toInt();
      const QRgb rgb = PaletteColour(palette);
      box->setCurrentIndex(0);
      ForEachCell([background, palette, rgb](CellRecord* c) {
                    if (background) {
                      c->shade[0] = uint8_t(qRed(rgb));
                      c->shade[1] = uint8_t(qGreen(rgb));
                      c->shade[2] = uint8_t(qBlue(rgb));
                      c->colour = uint8_t(c->colour & ~kColourNoShade);
                    } else {
                      c->colour = uint8_t((c->colour & 0xB0) | palette);
                      c->colour = uint8_t(c->colour & ~kColourAutomaticText);
                    }
                  });
    });
    return box;
  };
  backgroundBox_ = colours("backgroundBox", "Background", true);
  foregroundBox_ = colours("foregroundBox", "Foreground", false);
}

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

// --- start-up and shut-down ----------------------------------------------------------------------

void MainWindow::Startup(const char* argv0, const QStringList& arguments) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  InitProgramFiles(argv0);
  autoexec_ = QString::fromStdString(AutoexecFileName());
  ResetSettings();
  LoadSettings();
  LoadUserFunctions();
  if (!Settings().autoexec.empty()) autoexec_ = FromCp1252(Settings().autoexec);
  // The command line: a first argument that is no option names the worksheet to open.
  if (!arguments.isEmpty() && !IsCommandLineOption(arguments.first())) {
    autoexec_ = arguments.first();
  }
  // The format box from the settings' format list.
  formatBox_->clear();
  for (const std::string& entry : Settings().formatList) {
    const QString e = FromCp1252(entry);
    formatBox_->addItem(FormatEntryCaption(e), FormatEntryCode(e));
  }
  formatBox_->setCurrentIndex(0);
  WorksheetWindow::SetZoomAll(100);
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
          [this] { Run(Cmd::kGeneral, -2); });
  connect(sheetWindow, &WorksheetWindow::closed, this, [this, sheetWindow](bool last) {
    if (entryWindow_ == sheetWindow) {
      entryActive_ = false;
      entryWindow_ = nullptr;
      pointing_ = false;
    }
    const SlotIndex slot = sheetWindow->slot();
    if (!Worksheet(slot).InUse()) {
      neverSaved_.remove(slot);
      readOnly_.remove(slot);
    }
    if (last) {
      NoSheetState();
    } else {
      QTimer::singleShot(0, this, [this] { UpdateMenuState(); });
    }
  });
}

WorksheetWindow* MainWindow::AdoptWindow(WorksheetWindow* sheetWindow, bool isNew) {
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
  if (isNew) {
    neverSaved_.remove(sheetWindow->slot());
    readOnly_.remove(sheetWindow->slot());
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

WorksheetWindow* MainWindow::NewSheet() {
  const int windows = int(clientArea_->subWindowList().size());
  if (windows >= kMaxChildWindows) {
    ThePlatform().Beep();
    return nullptr;
  }
  const std::string name = "SHEET" + std::to_string(windows + 1) + ".WKS";
  // The name counts windows, so it may repeat the name of an open sheet; the new sheet must
  // still be a sheet of its own. The open one's name is hidden while the new entry is made, so
  // that the table does not hand out the open entry again.
  const SlotIndex taken = FindWorksheet(name);
  std::string takenName;
  if (taken) {
    takenName = Worksheet(taken).fileName;
    Worksheet(taken).fileName = "\x01";
  }
  WorksheetWindow* sheetWindow = WorksheetWindow::OpenWorksheetWindow(clientArea_, name, false);
  if (taken) Worksheet(taken).fileName = takenName;
  if (!sheetWindow) return nullptr;
  AdoptWindow(sheetWindow, true);
  neverSaved_[sheetWindow->slot()] = true;
  return sheetWindow;
}

WorksheetWindow* MainWindow::OpenByName(const QString& name) {
  if (name.trimmed().isEmpty()) return nullptr;
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(name.trimmed())));
  const QFileInfo info(completed);
  if (!info.exists() || !info.isFile()) {
    ShowError("Invalid WKS File!");
    return nullptr;
  }
  const std::string absolute = ToCp1252(info.absoluteFilePath());
  if (const SlotIndex open = FindWorksheet(absolute)) {
    for (WorksheetWindow* w : WorksheetWindow::Windows()) {
      if (w->slot() != open) continue;
      if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        clientArea_->setActiveSubWindow(sub);
        sub->raise();
      }
      break;
    }
    ThePlatform().Beep();
    return nullptr;
  }
  if (int(clientArea_->subWindowList().size()) >= kMaxChildWindows) {
    ThePlatform().Beep();
    return nullptr;
  }
  AddToHistory(absolute);
  FillHistory();
  WorksheetWindow* sheetWindow = WorksheetWindow::OpenWorksheetWindow(clientArea_, absolute, false);
  if (!sheetWindow) return nullptr;
  ThePlatform().WaitCursor(true);
  bool loaded;
  {
    SheetScope scope(sheetWindow->slot());
    loaded = LoadWorksheet(absolute);
  }
  ThePlatform().WaitCursor(false);
  ThePlatform().Progress(-1);
  bool anything;
  {
    SheetScope scope(sheetWindow->slot());
    anything = FindCellAtOrAfter(FirstRow(), 0) != 0 || LastRow() > 0 || LastColumn() > 0;
  }
  if (!loaded && !anything) {
    // Nothing could be read: no empty window that a Save would write over the file with.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(sheetWindow->parentWidget())) {
      sub->close();
    }
    return nullptr;
  }
  sheetWindow->redraw();
  sheetWindow->applyLayout(ExtrasOf(sheetWindow->slot()).layout);
  AdoptWindow(sheetWindow, true);
  // A damaged file read in part is kept read-only, so that "Save" asks for a new name instead
  // of replacing the original with what could be read.
  if (!loaded) readOnly_[sheetWindow->slot()] = true;
  // A range named "AUTOEXEC" runs as a macro when the macro interpreter is there.
  if (RunMacroAt) {
    SheetScope scope(sheetWindow->slot());
    if (const int index = LookupName("AUTOEXEC")) RunMacroAt(NameRange(index));
  }
  return sheetWindow;
}

bool MainWindow::SaveActive() { return SaveWindow(activeSheetWindow()); }

bool MainWindow::SaveWindow(WorksheetWindow* sheetWindow) {
  if (!sheetWindow) return false;
  const SlotIndex slot = sheetWindow->slot();
  if (neverSaved_.value(slot) || readOnly_.value(slot)) return SaveAsDialog(sheetWindow);
  const std::string name = Worksheet(slot).fileName;
  WindowLayout& layout = ExtrasOf(slot).layout;
  sheetWindow->fillLayout(layout);
  ThePlatform().WaitCursor(true);
  bool ok;
  {
    SheetScope scope(slot);
    ok = SaveWorksheet(name);
  }
  ThePlatform().WaitCursor(false);
  ThePlatform().Progress(-1);
  if (ok) {
    AddToHistory(name);
    FillHistory();
  }
  SetMode(entryActive_ ? EntryMode(entryLine_->text()) : QStringLiteral("READY"));
  return ok;
}

bool MainWindow::SaveSheetAs(WorksheetWindow* sheetWindow, const QString& name) {
  if (!sheetWindow || name.trimmed().isEmpty()) return false;
  const SlotIndex slot = sheetWindow->slot();
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(name.trimmed())));
  const std::string absolute = ToCp1252(QFileInfo(completed).absoluteFilePath());
  // Another open sheet of that name would be confused with this one.
  const SlotIndex other = FindWorksheet(absolute);
  if (other != 0 && other != slot) {
    ShowError("Worksheet already open");
    return false;
  }
  sheetWindow->fillLayout(ExtrasOf(slot).layout);
  ThePlatform().WaitCursor(true);
  bool ok;
  {
    SheetScope scope(slot);
    ok = SaveWorksheet(absolute);
  }
  ThePlatform().WaitCursor(false);
  ThePlatform().Progress(-1);
  if (!ok) return false;
  readOnly_.remove(slot);
  neverSaved_.remove(slot);
  Worksheet(slot).fileName = absolute;
  const QString caption = FromCp1252(absolute);
  sheetWindow->setWindowTitle(caption);
  if (QWidget* sub = sheetWindow->parentWidget()) sub->setWindowTitle(caption);
  for (WorksheetWindow* w : WorksheetWindow::Windows()) {
    if (w->slot() == slot && w != sheetWindow) {
      w->setWindowTitle(caption);
      if (QWidget* s = w->parentWidget()) s->setWindowTitle(caption);
    }
  }
  Settings().saveDirectory = ToCp1252(QFileInfo(caption).absolutePath() + "/");
  AddToHistory(absolute);
  FillHistory();
  return true;
}

bool MainWindow::SaveAsDialog(WorksheetWindow* sheetWindow) {
  if (!sheetWindow) return false;
  const SlotIndex slot = sheetWindow->slot();
  QFileDialog dialog(this, QStringLiteral("TALLIVO SAVE AS..."));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilter(QStringLiteral("Worksheets(*.WKS) (*.wks *.WKS *.Wks *.wk1 *.WK1 *.Wk1)"));
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Save As"));
  QString dir = FromCp1252(Settings().saveDirectory);
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QDir::currentPath();
  dialog.setDirectory(dir);
  // The dialog offers the sheet's current name.
  dialog.selectFile(QFileInfo(FromCp1252(Worksheet(slot).fileName)).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  QString chosen = dialog.selectedFiles().first();
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(chosen)));
  if (completed != chosen && QFileInfo::exists(completed) &&
      QMessageBox::question(this, QStringLiteral("TALLIVO SAVE AS..."),
                            QFileInfo(completed).fileName() +
                                QStringLiteral(" already exists.\nDo you want to replace it?")) !=
          QMessageBox::Yes) {
    return false;
  }
  return SaveSheetAs(sheetWindow, completed);
}

void MainWindow::OpenDialog() {
  QFileDialog dialog(this, QStringLiteral("TALLIVO OPEN"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(
      {QStringLiteral("Worksheets (*.wks,*.wk1) (*.wks *.WKS *.Wks *.wk1 *.WK1 *.Wk1)"),
       QStringLiteral("Backups (*.wkb) (*.wkb *.WKB *.Wkb)"), QStringLiteral("All Files (*)")});
  dialog.setDefaultSuffix(QStringLiteral("wks"));
  dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Open"));
  QString dir = FromCp1252(Settings().loadDirectory);
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QDir::currentPath();
  dialog.setDirectory(dir);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString chosen = dialog.selectedFiles().first();
  Settings().loadDirectory = ToCp1252(QFileInfo(chosen).absolutePath() + "/");
  OpenByName(chosen);
}

bool MainWindow::CloseAll() {
  if (entryActive_) CancelEntry();
  auto list = clientArea_->subWindowList(QMdiArea::CreationOrder);
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    QMdiSubWindow* sub = *it;
    if (!sub->close()) return false;
  }
  QApplication::processEvents();
  if (clientArea_->subWindowList().isEmpty()) NoSheetState();
  return clientArea_->subWindowList().isEmpty();
}

void MainWindow::FillHistory() {
  const auto& history = Settings().history;
  const int count = int(history.size());
  // Newest first, numbered from the history count downwards.
  for (int i = 0; i < kMaxHistory; ++i) {
    QAction* a = historyItems_[size_t(i)];
    if (i < count) {
      const QString file = FromCp1252(history[size_t(count - 1 - i)]);
      a->setText(QStringLiteral("&%1 %2").arg(count - i).arg(file));
      a->setData(file);
      a->setVisible(true);
    } else {
      a->setVisible(false);
    }
  }
  moreMenu_->menuAction()->setVisible(count > 5);
  historySeparator_->setVisible(count > 0);
}

QStringList MainWindow::historyCaptions() const {
  QStringList out;
  for (QAction* a : historyItems_)
    if (a->isVisible()) out << a->text();
  return out;
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

// --- dropped files -------------------------------------------------------------------------------

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  OpenDroppedFiles(event->mimeData()->urls());
}

void MainWindow::OpenDroppedFiles(const QList<QUrl>& urls) {
  QStringList files;
  for (const QUrl& url : urls) {
    if (url.isLocalFile() && !files.contains(url.toLocalFile())) files << url.toLocalFile();
  }
  for (const QString& f : files) OpenByName(f);
}

// --- indicators ----------------------------------------------------------------------------------

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
}

// --- the command helper --------------------------------------------------------------------------

void MainWindow::RunOnSelection(const std::function<void(const CellRange&)>& operation, bool undo) {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) {
    ThePlatform().Beep();
    return;
  }
  GridPane* g = sheetWindow->activeGrid();
  {
    SheetScope scope(sheetWindow->slot());
    const CellRange r = g->selection();
    if (undo) SaveUndo();
    operation(r);
    RecalculateIfAutomatic();
  }
  RepaintAll();
  ShowCellInEntryLine();
  UpdateMenuState();
}

void MainWindow::ForEachCell(const std::function<void(CellRecord*)>& change) {
  RunOnSelection([&change](const CellRange& r) {
    const bool protectedSheet = Options().protection();
    for (int row = r.firstRow; row <= r.lastRow; ++row) {
      for (int column = r.firstColumn; column <= r.lastColumn; ++column) {
        const CellHandle existing = GetCell(uint32_t(row), uint32_t(column));
        // With protection on, locked cells (and empty ones, which are locked) keep their look.
        if (protectedSheet && (!existing || (CellAt(existing)->format & kFormatProtected)))
          continue;
        const CellHandle h = existing ? existing : GetOrCreateCell(uint32_t(row), uint32_t(column));
        if (!h) return;
        change(CellAt(h));
      }
    }
    SetSheetModified(true);
  });
}

void MainWindow::RepaintAll() {
  for (WorksheetWindow* w : WorksheetWindow::Windows()) {
    w->firstPane->update();
    w->secondPane->update();
  }
}

void MainWindow::Uplink() {
  WorksheetWindow* active = activeSheetWindow();
  ClearLinkedSheetCache();
  ThePlatform().WaitCursor(true);
  QList<SlotIndex> done;
  for (WorksheetWindow* w : WorksheetWindow::Windows()) {
    if (done.contains(w->slot()) || !Worksheet(w->slot()).InUse()) continue;
    done << w->slot();
    SheetScope scope(w->slot());
    RecalculateAll();
  }
  ThePlatform().WaitCursor(false);
  if (active) WindowActivated(active);
  RepaintAll();
}

// --- enabled state -------------------------------------------------------------------------------

bool MainWindow::CommandBuilt(Cmd cmd) const {
  switch (cmd) {
    case Cmd::kNew: case Cmd::kOpen: case Cmd::kSave: case Cmd::kSaveAs: case Cmd::kUplink:
    case Cmd::kClose: case Cmd::kExit: case Cmd::kUndo:
    case Cmd::kQuickBar: case Cmd::kMacroBar: case Cmd::kStatusBar: case Cmd::kSplitH:
    case Cmd::kSplitV: case Cmd::kSynch: case Cmd::kUnsynch: case Cmd::kSplitClear:
    case Cmd::kBorders: case Cmd::kZoom: case Cmd::kExtReset:
    case Cmd::kNewView: case Cmd::kTile: case Cmd::kCascade: case Cmd::kArrange:
    case Cmd::kCloseAll: case Cmd::kHelp: case Cmd::kAbout: case Cmd::kTips:
    case Cmd::kSpeedSum: case Cmd::kFunctionPick: case Cmd::kAlign: case Cmd::kLock:
      return true;
    case Cmd::kMacroPick:
      return functionList_ && FunctionListDialog::MacroNamesInstalled();
    case Cmd::kMacroButton: case Cmd::kMacroDo: case Cmd::kMacroSingleStep: case Cmd::kMacroStep:
    case Cmd::kMacroStop:
      return bool(RunMacroAt);
    default:
      // Printing, transfer, clipboard, range and data commands, dialogs and graphs arrive with
      // the modules that carry them out.
      return false;
  }
}

bool MainWindow::CommandNeedsSheet(Cmd cmd) const {
  switch (cmd) {
    case Cmd::kNew: case Cmd::kOpen: case Cmd::kExit: case Cmd::kQuickBar: case Cmd::kMacroBar:
    case Cmd::kStatusBar: case Cmd::kZoom: case Cmd::kTile: case Cmd::kCascade: case Cmd::kArrange:
    case Cmd::kCloseAll: case Cmd::kHelp: case Cmd::kAbout: case Cmd::kTips:
      return false;
    default:
      return true;
  }
}

void MainWindow::UpdateMenuState() {
  const bool sheet = activeSheetWindow() != nullptr;
  const QString tips = QString::fromStdString(ProgramDirectory() + BaseName() + ".TPS");
  auto enabled = [&](Cmd cmd) {
    if (!CommandBuilt(cmd)) return false;
    if (CommandNeedsSheet(cmd) && !sheet) return false;
    if (cmd == Cmd::kTips) return QFileInfo::exists(tips);
    return true;
  };
  for (const ActionInfo& info : actions_) {
    bool on = enabled(info.cmd);
    if (info.cmd == Cmd::kGeneral && info.tag == -2) on = false;  // properties dialog
    info.action->setEnabled(on);
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

bool MainWindow::readOnly(const WorksheetWindow* sheetWindow) const {
  return sheetWindow && readOnly_.value(sheetWindow->slot());
}

bool MainWindow::neverSaved(const WorksheetWindow* sheetWindow) const {
  return sheetWindow && neverSaved_.value(sheetWindow->slot());
}

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
    case Cmd::kUplink: Uplink(); break;
    case Cmd::kClose:
      if (auto* sub = qobject_cast<QMdiSubWindow*>(sheetWindow->parentWidget())) sub->close();
      break;
    case Cmd::kExit: close(); break;
    case Cmd::kUndo: {
      {
        SheetScope scope(sheetWindow->slot());
        if (!RestoreUndo()) ThePlatform().Beep();
        RecalculateIfAutomatic();
      }
      sheetWindow->firstPane->refresh();
      sheetWindow->secondPane->refresh();
      RepaintAll();
      ShowCellInEntryLine();
      break;
    }
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
    case Cmd::kZoom:
      WorksheetWindow::SetZoomAll(tag);
      Settings().zoom = tag;
      break;
    case Cmd::kExtReset: ClearLinkedSheetCache(); break;
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
        AdoptWindow(view, false);
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
    case Cmd::kMacroPick:
      if (!entryActive_) StartEntry(QStringLiteral("{"));
      OpenFunctionList(true);
      break;
    case Cmd::kAlign: {
      const uint8_t code = uint8_t(tag);
      ForEachCell([code](CellRecord* c) {
        c->style = uint8_t((c->style & 0x8F) | (code << 4));
      });
      break;
    }
    case Cmd::kLock: ToggleProtection(); break;
    default: ThePlatform().Beep(); break;
  }
  UpdateMenuState();
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
    Options().setProtection(!on);
    SetSheetModified(true);
    StoreOptions(sheetWindow->slot());
    lock->setChecked(!on);
  }
  RepaintAll();
}

void MainWindow::ToggleRecalc() {
  WorksheetWindow* sheetWindow = activeSheetWindow();
  if (!sheetWindow) return;
  {
    SheetScope scope(sheetWindow->slot());
    const bool manual = !Options().manualRecalc();
    Options().setManualRecalc(manual);
    StoreOptions(sheetWindow->slot());
    if (!manual) RecalculateAll();
  }
  ShowIndicators();
  RepaintAll();
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

void MainWindow::ShowTip() {
  // The tips file: its first line holds the number of tips; tip n starts after the line "p n"
  // and runs to the next "p " line.
  QFile file(QString::fromStdString(ProgramDirectory() + BaseName() + ".TPS"));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
  const QStringList lines = QString::fromLatin1(file.readAll()).split('\n');
  const int count = lines.isEmpty() ? 0 : lines.first().trimmed().toInt();
  if (count <= 0) return;
  int n = int(QRandomGenerator::global()->bounded(count));
  if (n == 0) n = 1;
  QString tip;
  bool inside = false;
  for (const QString& line : lines) {
    if (line.startsWith(QLatin1String("p "))) {
      if (inside) break;
      inside = line.mid(2).trimmed().toInt() == n;
      continue;
    }
    if (inside) tip += line.trimmed() + ' ';
  }
  QMessageBox::information(this, QStringLiteral("Tip of the Day"), tip.trimmed());
}

// --- the entry line ------------------------------------------------------------------------------

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
  bool refused;
  {
    SheetScope scope(sheetWindow->slot());
    SaveUndo();
    ClearError();
    EnterCell(ToCp1252(text), uint32_t(entryRow_), uint32_t(entryColumn_));
    refused = ErrorRaised();
    ClearError();
  }
  if (refused && EntryMode(text) == QLatin1String("VALUE") && !text.isEmpty()) {
    // A formula that did not compile stays on the entry line for correction (the message has
    // been shown); the cursor goes back to its cell.
    g->moveTo(entryRow_, entryColumn_);
    entryActive_ = true;
    editMode_ = true;
    entryWindow_ = sheetWindow;
    entryLine_->setText(text);
    entryLine_->setFocus();
    entryLine_->end(false);
    SetMode(QStringLiteral("EDIT"));
    RepaintAll();
    return;
  }
  SetMode(QStringLiteral("READY"));
  // Back to the cell entered (a pointer may have moved the cursor), then the committing move.
  const int row = std::clamp(entryRow_ + rowStep, 0, kRowCount - 1);
  const int column = std::clamp(entryColumn_ + columnStep, 0, kColumnCount - 1);
  g->moveTo(row, column);
  RepaintAll();
  g->setFocus();
  ShowCellInEntryLine();
  ShowAddress();
  UpdateMenuState();
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

// --- the range prompt ----------------------------------------------------------------------------

void MainWindow::OpenPrompt(const QString& caption, std::function<void(const CellRange&)> action,
                        bool offerNames) {
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
    current = sheetWindow->activeGrid()->selection();
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

// --- key preview ---------------------------------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
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
