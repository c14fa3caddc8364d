// ui/Sheet.cpp — the main frame: menus, bars, entry line, range prompt, files, start and exit.
//
// State: per frame (see the header). Reads and writes the program settings (files/settings.h)
// and, through the engine, the worksheet of the active window.
#include "ui/Sheet.h"

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
#include "ui/GetFun.h"
#include "ui/PassDlg.h"
#include "ui/Ugrid.h"
#include "ui/Unit2.h"
#include "ui/cp1252.h"
#include "ui/prompt.h"
#include "ui/qt_platform.h"
#include "ui/row_painter.h"

std::function<void(const CellRange&)> TForm1::RunMacroAt;

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

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), mdi_(new ClientArea(this)) {
  Q_INIT_RESOURCE(help);
  setWindowTitle("TALLIVO");
  setCentralWidget(mdi_);
  mdi_->setBackground(QColor(128, 128, 128));
  mdi_->setActivationOrder(QMdiArea::CreationOrder);
  resize(1024, 700);
  setAcceptDrops(true);

  InstallQtPlatform();
  QtPlatform& platform = TheQtPlatform();
  platform.onMode = [this](const QString& m) {
    if (PnMode) PnMode->setText(m);
  };
  platform.onProgress = [this](int percent) {
    if (!Gauge1) return;
    Gauge1->setVisible(percent >= 0);
    if (percent >= 0) Gauge1->setValue(percent);
  };
  platform.onRepaint = [this] { RepaintAll(); };
  // Windows are opened as unnamed, so that the Yes of their close question always comes here:
  // the frame alone knows which sheets were never saved or are read-only.
  TForm2::SaveAsHandler = [this](TForm2& form) { return SaveForm(&form); };

  BuildMenus();
  BuildQuickBar();
  BuildEntryRow();
  BuildFormatBar();
  BuildStatusPanels();
  FillHistory();

  getFun_ = new TGetFun(this);
  connect(getFun_, &TGetFun::chosen, this, &TForm1::FunctionChosen);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
    if (sub) WindowActivated(qobject_cast<TForm2*>(sub->widget()));
  });
  qApp->installEventFilter(this);
  SetMode(QStringLiteral("READY"));
  NoSheetState();
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  QtPlatform& platform = TheQtPlatform();
  platform.onMode = nullptr;
  platform.onProgress = nullptr;
  platform.onRepaint = nullptr;
  TForm2::SaveAsHandler = nullptr;
  // The windows go first, so that their sheets are closed while the engine state is intact.
  for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
  if (&ThePlatform() == &platform) InstallPlatform(nullptr);
}

QAction* TForm1::Item(QMenu* menu, const QString& caption, const QString& hint, Cmd cmd,
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

void TForm1::BuildMenus() {
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
  moreMenu_->setObjectName("Mhist");
  for (int i = 0; i < kMaxHistory; ++i) {
    auto* a = new QAction(this);
    a->setObjectName(QStringLiteral("NM%1").arg(i));
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
  popup_ = new QMenu(this);
  Item(popup_, "&Properties", "", Cmd::kGeneral, -2);
  Item(popup_, "Cu&t\tCtrl+X", "", Cmd::kCut);
  Item(popup_, "&Copy\tCtrl+C", "", Cmd::kCopy);
  Item(popup_, "&Paste\tCtrl+V", "", Cmd::kPaste);
  Item(popup_, "&Delete\tCtrl+D", "", Cmd::kErase);
  Item(popup_, "C&lose", "", Cmd::kClose);
}

QToolButton* TForm1::QuickButton(const char* name, const QString& glyph, const QString& hint,
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

void TForm1::BuildQuickBar() {
  quickBar_ = addToolBar(QStringLiteral("Quick Buttons"));
  quickBar_->setObjectName("pnbar1");
  quickBar_->setMovable(false);
  quickBar_->setIconSize(QSize(22, 22));
  QuickButton("spopen", QString::fromUtf8("\xF0\x9F\x93\x82"), "Open Worksheet", Cmd::kOpen)
      ->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  QuickButton("spsave", "", "Save Worksheet", Cmd::kSave)
      ->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  QuickButton("spPrt", "P", "Print Worksheet", Cmd::kPrint);
  quickBar_->addSeparator();
  QuickButton("spcut", QString::fromUtf8("\xE2\x9C\x82"), "Cut Text", Cmd::kCut, 1);
  QuickButton("sppaste", "Cp", "Copy Text", Cmd::kCopy, 2);
  QuickButton("spcopyo", "Pa", "Paste Text", Cmd::kPaste);
  QuickButton("SpERASE", "Er", "Erase Range", Cmd::kErase);
  QuickButton("spUndo", QString::fromUtf8("\xE2\x86\xB6"), "Undo Last Action", Cmd::kUndo);
  quickBar_->addSeparator();
  QuickButton("spdbtn2", QString::fromUtf8("\xE2\x87\x95R"), "Ins/Del Rows", Cmd::kInsDelRows);
  QuickButton("spdbtn3", QString::fromUtf8("\xE2\x87\x94" "C"), "INS/DEL COL", Cmd::kInsDelCols);
  QuickButton("SpFill", "Fi", "Speed Fill", Cmd::kSpeedFill);
  QuickButton("SpSum", QString::fromUtf8("\xCE\xA3"), "Speed @SUM", Cmd::kSpeedSum);
  QuickButton("spdbtn4", "AZ", "Ascend/Descend Sort", Cmd::kSort);
  QuickButton("spAT", "@", "Function Pick", Cmd::kFunctionPick);
  QuickButton("SpMc", "{ }", "Macro Pick", Cmd::kMacroPick);
  quickBar_->addSeparator();
  QuickButton("SpLeft", QString::fromUtf8("\xE2\x87\xA4"), "Left Justify", Cmd::kAlign, 1);
  QuickButton("SpCenter", QString::fromUtf8("\xE2\x86\x94"), "Center", Cmd::kAlign, 3);
  QuickButton("SpRight", QString::fromUtf8("\xE2\x87\xA5"), "Right Justify", Cmd::kAlign, 2);
  QuickButton("SpWrap", QString::fromUtf8("\xE2\x86\xB5"), "Word Wrap Text in Cell", Cmd::kAlign,
              4);
  QuickButton("SpElt", "..a", "Left Ellipses", Cmd::kAlign, 5);
  QuickButton("SpErt", "a..", "Right Ellipses", Cmd::kAlign, 6);
  quickBar_->addSeparator();
  QuickButton("SpMacroDo", QString::fromUtf8("\xE2\x96\xB6"), "Execute Macro", Cmd::kMacroDo);
  QuickButton("sPsTEP", QString::fromUtf8("\xE2\x96\xB7|"), "Macro Single Step",
              Cmd::kMacroSingleStep);
  QuickButton("spStop", QString::fromUtf8("\xE2\x96\xA0"), "Abort Macro", Cmd::kMacroStop);
  QuickButton("SpQgr", QString::fromUtf8("\xE2\x96\x85"), "Quick Graph", Cmd::kQuickGraph);
  QuickButton("Spword", "W", "Text Processor", Cmd::kWord);
  QuickButton("spFind", "?", "Find & Replace Text", Cmd::kFind);
  QToolButton* lock = QuickButton("SpLock", QString::fromUtf8("\xF0\x9F\x94\x92"),
                                  "Protect/Unprotect Sheet", Cmd::kLock);
  lock->setCheckable(true);
  lock->setIcon(GlyphIcon("Lk", true));
  QuickButton("spProper", "Aa", "Upper/Proper", Cmd::kProper);

  // The macro button bar: 13 buttons whose captions name macros of the macro library.
  macroBar_ = new QToolBar(QStringLiteral("Macro Buttons"), this);
  macroBar_->setObjectName("tbarmenu1");
  macroBar_->setToolTip("Toolbar");
  macroBar_->setMovable(false);
  for (int i = 0; i < 13; ++i) {
    auto* b = new QToolButton(macroBar_);
    b->setObjectName(QStringLiteral("tbarmenu1_%1").arg(i));
    b->setText(QString());
    b->setToolTip("Toolbar");
    b->setFixedSize(26, 22);
    b->setAutoRaise(false);
    // Blank buttons are still seen as buttons, waiting for a macro library to name them.
    b->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid #a8a8a8; background: #e8e8e8; }"));
    macroBar_->addWidget(b);
    buttons_.emplace_back(b, Cmd::kMacroButton);
  }
}

void TForm1::BuildEntryRow() {
  auto* toolbar = new QToolBar(QStringLiteral("Entry"), this);
  toolbar->setObjectName("Panel2");
  toolbar->setMovable(false);
  addToolBarBreak();
  addToolBar(toolbar);
  Panel2 = new QWidget(toolbar);
  auto* row = new QHBoxLayout(Panel2);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(4);
  PnMode = new QLabel(QStringLiteral("READY"), Panel2);
  PnMode->setObjectName("PnMode");
  PnMode->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PnMode->setAlignment(Qt::AlignCenter);
  PnMode->setMinimumWidth(64);
  QFont bold = PnMode->font();
  bold.setBold(true);
  PnMode->setFont(bold);
  PnAddress = new QLabel(Panel2);
  PnAddress->setObjectName("PnAddress");
  PnAddress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PnAddress->setMinimumWidth(70);
  Gauge1 = new QProgressBar(Panel2);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setRange(0, 100);
  Gauge1->setMaximumWidth(90);
  Gauge1->hide();
  Edit1 = new QLineEdit(Panel2);
  Edit1->setObjectName("Edit1");
  Edit1->setMaxLength(int(kMaxCellText));
  Edit1->installEventFilter(this);
  connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!entryActive_) {
      // Typing straight into the entry line edits the current cell.
      TForm2* form = activeForm();
      if (!form) return;
      entryActive_ = true;
      editMode_ = true;
      entryForm_ = form;
      entryRow_ = form->activeGrid()->cursorRow();
      entryColumn_ = form->activeGrid()->cursorColumn();
    }
    if (pointing_ && !movingPointer_) EndPointing();
    if (!editMode_) SetMode(EntryMode(text));
  });
  prompt1 = new Tprompt(Panel2);
  prompt1->setObjectName("prompt1");
  connect(prompt1, &Tprompt::closed, this, &TForm1::PromptClosed);
  EnterKey = new QPushButton(QString::fromUtf8("\xE2\x9C\x94"), Panel2);
  EnterKey->setObjectName("EnterKey");
  EnterKey->setToolTip("Enter");
  EnterKey->setFixedWidth(26);
  EnterKey->setFocusPolicy(Qt::NoFocus);
  EscKey = new QPushButton(QString::fromUtf8("\xE2\x9C\x98"), Panel2);
  EscKey->setObjectName("EscKey");
  EscKey->setToolTip("Cancel");
  EscKey->setFixedWidth(26);
  EscKey->setFocusPolicy(Qt::NoFocus);
  connect(EnterKey, &QPushButton::clicked, this, [this] {
    if (prompt1->isOpen()) {
      prompt1->Accept();
    } else if (entryActive_) {
      CommitEntry();
    }
  });
  connect(EscKey, &QPushButton::clicked, this, [this] {
    if (prompt1->isOpen()) {
      prompt1->Cancel();
    } else {
      CancelEntry();
    }
  });
  row->addWidget(PnMode);
  row->addWidget(PnAddress);
  row->addWidget(Gauge1);
  row->addWidget(EscKey);
  row->addWidget(EnterKey);
  row->addWidget(Edit1, 3);
  row->addWidget(prompt1, 3);
  toolbar->addWidget(Panel2);
  Panel2->setMinimumWidth(600);
  Panel2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // The macro button bar stands at the right edge of the frame.
  addToolBar(Qt::RightToolBarArea, macroBar_);
}

void TForm1::BuildFormatBar() {
  formatBar_ = new QToolBar(QStringLiteral("Formatting"), this);
  formatBar_->setObjectName("Panel9");
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
  Bold = toggle("Bold", "B", "Bold", 1);
  Italic = toggle("Italic", "I", "Italic", 2);
  Under = toggle("Under", "U", "Underline", 4);
  formatBar_->addSeparator();

  // The typeface box: the installed families, sorted; a cell's font byte is an index into the
  // same list (the row painter's font table).
  fontbox = new QComboBox(formatBar_);
  fontbox->setObjectName("fontbox");
  fontbox->setToolTip("Font Type");
  QStringList families = QFontDatabase::families();
  families.sort(Qt::CaseInsensitive);
  std::vector<QString> names(families.begin(), families.end());
  if (names.size() > 254) names.resize(254);
  SetCellFontNames(names);
  for (const QString& n : names) fontbox->addItem(n);
  fontbox->setCurrentIndex(std::max(0, fontbox->findText(font().family())));
  fontbox->setMinimumWidth(150);
  formatBar_->addWidget(fontbox);
  connect(fontbox, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index > 254) return;
    ForEachCell([index](CellRecord* c) { c->font = uint8_t(index); });
  });

  Sizebox = new QComboBox(formatBar_);
  Sizebox->setObjectName("Sizebox");
  Sizebox->setToolTip("Font Size");
  for (int s : kFontSizes) Sizebox->addItem(QString::number(s));
  Sizebox->setCurrentIndex(4);
  formatBar_->addWidget(Sizebox);
  connect(Sizebox, &QComboBox::activated, this, [this](int index) {
    const int size = Sizebox->itemText(index).toInt();
    ForEachCell([size](CellRecord* c) { c->size = uint8_t(size); });
  });

  // The size spinner: up enlarges, down shrinks the font of the selection.
  auto spinner = [this](const QString& glyph, int step) {
    auto* b = new QToolButton(formatBar_);
    b->setObjectName(step > 0 ? "spdbtn1_up" : "spdbtn1_down");
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

  Formatbox = new QComboBox(formatBar_);
  Formatbox->setObjectName("Formatbox");
  Formatbox->setToolTip("Speed Format");
  Formatbox->setMinimumWidth(110);
  formatBar_->addWidget(Formatbox);
  connect(Formatbox, &QComboBox::activated, this, [this](int index) {
    const QString code = Formatbox->itemData(index).toString();
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
  clrcombo1 = colours("clrcombo1", "Background", true);
  clrcombo2 = colours("clrcombo2", "Foreground", false);
}

void TForm1::BuildStatusPanels() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("Panel6");
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
  PNINS = panel("PNINS", "INS");
  PnEnd = panel("PnEnd", "END");
  PnNum = panel("PnNum", "NUM");
  PnScr = panel("PnScr", "SCR");
  PnCap = panel("PnCap", "CAP");
  Panel7 = panel("Panel7", "Auto");
  Panel7->setToolTip("Click to switch between automatic and manual recalculation");
  ShowIndicators();
}

// --- start-up and shut-down ----------------------------------------------------------------------

void TForm1::Startup(const char* argv0, const QStringList& arguments) {
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
  Formatbox->clear();
  for (const std::string& entry : Settings().formatList) {
    const QString e = FromCp1252(entry);
    Formatbox->addItem(FormatEntryCaption(e), FormatEntryCode(e));
  }
  Formatbox->setCurrentIndex(0);
  TForm2::SetZoomAll(100);
  ApplyBarSettings();
  FillHistory();
  started_ = true;
  SetMode(QStringLiteral("READY"));
  QApplication::restoreOverrideCursor();
  UpdateMenuState();
}

void TForm1::FormShow() {
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
  if (!autoexec_.isEmpty() && QFileInfo::exists(FromCp1252(WorksheetFileName(ToCp1252(autoexec_))))) {
    opened = OpenByName(autoexec_) != nullptr;
  } else if (!autoexec_.isEmpty() &&
             autoexec_ != QString::fromStdString(AutoexecFileName())) {
    // A file named on the command line that does not exist is reported.
    opened = OpenByName(autoexec_) != nullptr;
  }
  if (!opened && Settings().preOpen && mdi_->subWindowList().isEmpty()) NewSheet();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (entryActive_) CancelEntry();
  if (prompt1->isOpen()) prompt1->Cancel();
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

TForm2* TForm1::activeForm() const {
  QMdiSubWindow* sub = mdi_->activeSubWindow();
  if (!sub) sub = mdi_->currentSubWindow();
  if (!sub) {
    const auto list = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
    if (!list.isEmpty()) sub = list.last();
  }
  return sub ? qobject_cast<TForm2*>(sub->widget()) : nullptr;
}

void TForm1::ConnectForm(TForm2* form) {
  connect(form, &TForm2::entryStarted, this, &TForm1::StartEntry);
  connect(form, &TForm2::menuRequested, this, [this] {
    if (!menuBar()->actions().isEmpty()) {
      menuBar()->setFocus();
      menuBar()->setActiveAction(menuBar()->actions().first());
    }
  });
  connect(form, &TForm2::editRequested, this, &TForm1::EditCell);
  connect(form, &TForm2::referenceCycleRequested, this, [this] {
    if (entryActive_) CycleReference();
  });
  connect(form, &TForm2::gotoRequested, this, &TForm1::GotoPrompt);
  connect(form, &TForm2::helpRequested, this, &TForm1::ShowHelp);
  connect(form, &TForm2::enterPressed, this, [this] {
    if (prompt1->isOpen()) {
      prompt1->Accept();
    } else if (entryActive_) {
      CommitEntry();
    }
  });
  connect(form, &TForm2::escapePressed, this, [this] {
    if (entryActive_) {
      CancelEntry();
    } else if (prompt1->isOpen()) {
      PromptEscape();
    }
  });
  connect(form, &TForm2::endModeChanged, this, [this](bool on) {
    endOn_ = on;
    ShowIndicators();
  });
  connect(form, &TForm2::indicatorsChanged, this, &TForm1::ShowIndicators);
  connect(form, &TForm2::cursorMoved, this, &TForm1::SelectionChanged);
  connect(form, &TForm2::activated, this, [this, form] { WindowActivated(form); });
  connect(form, &TForm2::shortcutRequested, this, [this](QChar key) {
    switch (key.toLatin1()) {
      case 'C': Run(Cmd::kCopy); break;
      case 'X': Run(Cmd::kCut); break;
      case 'V': Run(Cmd::kPaste); break;
      case 'D': Run(Cmd::kErase); break;
      default: break;
    }
  });
  connect(form, &TForm2::contextMenuRequested, this, [this](const QPoint& pos) {
    UpdateMenuState();
    popup_->popup(pos);
  });
  connect(form, &TForm2::propertiesRequested, this, [this] { Run(Cmd::kGeneral, -2); });
  connect(form, &TForm2::closed, this, [this, form](bool last) {
    if (entryForm_ == form) {
      entryActive_ = false;
      entryForm_ = nullptr;
      pointing_ = false;
    }
    const SlotIndex slot = form->slot();
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

TForm2* TForm1::AdoptWindow(TForm2* form, bool isNew) {
  if (!form) return nullptr;
  ConnectForm(form);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
    sub->setWindowIcon(GlyphIcon("T", true));
    // A new window takes most of the client area, leaving room to see that it is a window.
    const QSize area = mdi_->viewport()->size();
    if (area.width() > 200 && area.height() > 150) {
      const int offset = sub->pos().x();
      sub->resize(std::max(400, area.width() * 9 / 10 - offset),
                  std::max(250, area.height() * 9 / 10 - sub->pos().y()));
    }
    if (Settings().maximized) sub->showMaximized();
    // The settings remember whether the last resized worksheet window was maximised.
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [](Qt::WindowStates old, Qt::WindowStates now) {
              if ((old ^ now) & Qt::WindowMaximized) Settings().maximized = now & Qt::WindowMaximized;
            });
  }
  if (isNew) {
    neverSaved_.remove(form->slot());
    readOnly_.remove(form->slot());
  }
  WindowActivated(form);
  return form;
}

void TForm1::WindowActivated(TForm2* form) {
  if (!form || !Worksheet(form->slot()).InUse()) return;
  if (CurrentWorksheet() != form->slot()) form->FormActivate();
  // The lock button and the recalculation indicator follow the sheet.
  if (QToolButton* lock = button("SpLock")) lock->setChecked(Options().protection());
  if (!entryActive_ && !prompt1->isOpen()) SetMode(QStringLiteral("READY"));
  ShowIndicators();
  ShowAddress();
  if (!entryActive_) ShowCellInEntryLine();
  UpdateMenuState();
}

void TForm1::NoSheetState() {
  entryActive_ = false;
  editMode_ = false;
  pointing_ = false;
  entryForm_ = nullptr;
  if (Edit1) Edit1->clear();
  if (PnAddress) PnAddress->clear();
  if (prompt1 && prompt1->isOpen()) prompt1->Cancel();
  SetMode(QStringLiteral("Empty"));
  UpdateMenuState();
  mdi_->viewport()->update();
}

TForm2* TForm1::NewSheet() {
  const int windows = int(mdi_->subWindowList().size());
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
  TForm2* form = TForm2::OpenWorksheetWindow(mdi_, name, false);
  if (taken) Worksheet(taken).fileName = takenName;
  if (!form) return nullptr;
  AdoptWindow(form, true);
  neverSaved_[form->slot()] = true;
  return form;
}

TForm2* TForm1::OpenByName(const QString& name) {
  if (name.trimmed().isEmpty()) return nullptr;
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(name.trimmed())));
  const QFileInfo info(completed);
  if (!info.exists() || !info.isFile()) {
    ShowError("Invalid WKS File!");
    return nullptr;
  }
  const std::string absolute = ToCp1252(info.absoluteFilePath());
  if (const SlotIndex open = FindWorksheet(absolute)) {
    for (TForm2* w : TForm2::Windows()) {
      if (w->slot() != open) continue;
      if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        mdi_->setActiveSubWindow(sub);
        sub->raise();
      }
      break;
    }
    ThePlatform().Beep();
    return nullptr;
  }
  if (int(mdi_->subWindowList().size()) >= kMaxChildWindows) {
    ThePlatform().Beep();
    return nullptr;
  }
  AddToHistory(absolute);
  FillHistory();
  TForm2* form = TForm2::OpenWorksheetWindow(mdi_, absolute, false);
  if (!form) return nullptr;
  ThePlatform().WaitCursor(true);
  bool loaded;
  {
    SheetScope scope(form->slot());
    loaded = LoadWorksheet(absolute);
  }
  ThePlatform().WaitCursor(false);
  ThePlatform().Progress(-1);
  bool anything;
  {
    SheetScope scope(form->slot());
    anything = FindCellAtOrAfter(FirstRow(), 0) != 0 || LastRow() > 0 || LastColumn() > 0;
  }
  if (!loaded && !anything) {
    // Nothing could be read: no empty window that a Save would write over the file with.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
      sub->close();
    }
    return nullptr;
  }
  form->redraw();
  form->applyLayout(ExtrasOf(form->slot()).layout);
  AdoptWindow(form, true);
  // A damaged file read in part is kept read-only, so that "Save" asks for a new name instead
  // of replacing the original with what could be read.
  if (!loaded) readOnly_[form->slot()] = true;
  // A range named "AUTOEXEC" runs as a macro when the macro interpreter is there.
  if (RunMacroAt) {
    SheetScope scope(form->slot());
    if (const int index = LookupName("AUTOEXEC")) RunMacroAt(NameRange(index));
  }
  return form;
}

bool TForm1::SaveActive() { return SaveForm(activeForm()); }

bool TForm1::SaveForm(TForm2* form) {
  if (!form) return false;
  const SlotIndex slot = form->slot();
  if (neverSaved_.value(slot) || readOnly_.value(slot)) return SaveAsDialog(form);
  const std::string name = Worksheet(slot).fileName;
  WindowLayout& layout = ExtrasOf(slot).layout;
  form->fillLayout(layout);
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
  SetMode(entryActive_ ? EntryMode(Edit1->text()) : QStringLiteral("READY"));
  return ok;
}

bool TForm1::SaveSheetAs(TForm2* form, const QString& name) {
  if (!form || name.trimmed().isEmpty()) return false;
  const SlotIndex slot = form->slot();
  const QString completed = FromCp1252(WorksheetFileName(ToCp1252(name.trimmed())));
  const std::string absolute = ToCp1252(QFileInfo(completed).absoluteFilePath());
  // Another open sheet of that name would be confused with this one.
  const SlotIndex other = FindWorksheet(absolute);
  if (other != 0 && other != slot) {
    ShowError("Worksheet already open");
    return false;
  }
  form->fillLayout(ExtrasOf(slot).layout);
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
  form->setWindowTitle(caption);
  if (QWidget* sub = form->parentWidget()) sub->setWindowTitle(caption);
  for (TForm2* w : TForm2::Windows()) {
    if (w->slot() == slot && w != form) {
      w->setWindowTitle(caption);
      if (QWidget* s = w->parentWidget()) s->setWindowTitle(caption);
    }
  }
  Settings().saveDirectory = ToCp1252(QFileInfo(caption).absolutePath() + "/");
  AddToHistory(absolute);
  FillHistory();
  return true;
}

bool TForm1::SaveAsDialog(TForm2* form) {
  if (!form) return false;
  const SlotIndex slot = form->slot();
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
  return SaveSheetAs(form, completed);
}

void TForm1::OpenDialog() {
  QFileDialog dialog(this, QStringLiteral("TALLIVO OPEN"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters({QStringLiteral("Worksheets (*.wks,*.wk1) (*.wks *.WKS *.Wks *.wk1 *.WK1 *.Wk1)"),
                         QStringLiteral("Backups (*.wkb) (*.wkb *.WKB *.Wkb)"),
                         QStringLiteral("All Files (*)")});
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

bool TForm1::CloseAll() {
  if (entryActive_) CancelEntry();
  auto list = mdi_->subWindowList(QMdiArea::CreationOrder);
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    QMdiSubWindow* sub = *it;
    if (!sub->close()) return false;
  }
  QApplication::processEvents();
  if (mdi_->subWindowList().isEmpty()) NoSheetState();
  return mdi_->subWindowList().isEmpty();
}

void TForm1::FillHistory() {
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

QStringList TForm1::historyCaptions() const {
  QStringList out;
  for (QAction* a : historyItems_)
    if (a->isVisible()) out << a->text();
  return out;
}

void TForm1::ApplyBarSettings() {
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

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  OpenDroppedFiles(event->mimeData()->urls());
}

void TForm1::OpenDroppedFiles(const QList<QUrl>& urls) {
  QStringList files;
  for (const QUrl& url : urls) {
    if (url.isLocalFile() && !files.contains(url.toLocalFile())) files << url.toLocalFile();
  }
  for (const QString& f : files) OpenByName(f);
}

// --- indicators ----------------------------------------------------------------------------------

QString TForm1::mode() const { return PnMode ? PnMode->text() : QString(); }

void TForm1::SetMode(const QString& m) {
  TheQtPlatform().ShowMode(ToCp1252(m));
  if (PnMode) PnMode->setText(m);
}

QString TForm1::recalcIndicator() const { return Panel7 ? Panel7->text() : QString(); }

void TForm1::ShowIndicators() {
  auto show = [](QLabel* l, bool on) {
    if (!l) return;
    l->setStyleSheet(on ? QStringLiteral("color: black;") : QStringLiteral("color: #a0a0a0;"));
  };
  show(PNINS, insertOn_);
  show(PnEnd, endOn_);
  show(PnNum, numOn_);
  show(PnScr, scrollOn_);
  show(PnCap, capsOn_);
  if (Panel7) {
    TForm2* form = activeForm();
    if (form && Worksheet(form->slot()).InUse()) {
      SheetScope scope(form->slot());
      Panel7->setText(Options().manualRecalc() ? QStringLiteral("Manual") : QStringLiteral("Auto"));
    }
  }
}

void TForm1::ShowAddress() {
  TGrid* g = TGrid::ActiveGrid();
  if (!g || !PnAddress) return;
  TForm2* form = activeForm();
  if (!form) return;
  SheetScope scope(form->slot());
  const CellRange r = g->selection();
  PnAddress->setText(FromCp1252(RangeIsSingleCell(r) ? CellText(uint16_t(g->cursorRow()),
                                                                uint16_t(g->cursorColumn()),
                                                                false, false)
                                                     : RangeText(r)));
}

void TForm1::ShowCellInEntryLine() {
  TForm2* form = activeForm();
  TGrid* g = form ? form->activeGrid() : nullptr;
  if (!g) return;
  SheetScope scope(form->slot());
  const EditInfo info = EditText(uint32_t(g->cursorRow()), uint32_t(g->cursorColumn()));
  Edit1->setText(FromCp1252(info.text));
  Edit1->setToolTip(FromCp1252(info.descriptor));
  // The formatting bar shows the cell's style.
  const CellHandle h = GetCell(uint32_t(g->cursorRow()), uint32_t(g->cursorColumn()));
  const uint8_t style = h ? CellAt(h)->style : 0;
  Bold->setChecked(style & 1);
  Italic->setChecked(style & 2);
  Under->setChecked(style & 4);
}

void TForm1::SelectionChanged() {
  ShowAddress();
  TGrid* g = TGrid::ActiveGrid();
  if (prompt1->isOpen()) {
    if (g) {
      TForm2* form = activeForm();
      SheetScope scope(form ? form->slot() : 0);
      prompt1->Follow(g->selection());
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

void TForm1::RunOnSelection(const std::function<void(const CellRange&)>& operation, bool undo) {
  TForm2* form = activeForm();
  if (!form) {
    ThePlatform().Beep();
    return;
  }
  TGrid* g = form->activeGrid();
  {
    SheetScope scope(form->slot());
    const CellRange r = g->selection();
    if (undo) SaveUndo();
    operation(r);
    RecalculateIfAutomatic();
  }
  RepaintAll();
  ShowCellInEntryLine();
  UpdateMenuState();
}

void TForm1::ForEachCell(const std::function<void(CellRecord*)>& change) {
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

void TForm1::RepaintAll() {
  for (TForm2* w : TForm2::Windows()) {
    w->Grid1->update();
    w->Grid2->update();
  }
}

void TForm1::Uplink() {
  TForm2* active = activeForm();
  ClearLinkedSheetCache();
  ThePlatform().WaitCursor(true);
  QList<SlotIndex> done;
  for (TForm2* w : TForm2::Windows()) {
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

bool TForm1::CommandBuilt(Cmd cmd) const {
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
      return getFun_ && TGetFun::MacroNamesInstalled();
    case Cmd::kMacroButton: case Cmd::kMacroDo: case Cmd::kMacroSingleStep: case Cmd::kMacroStep:
    case Cmd::kMacroStop:
      return bool(RunMacroAt);
    default:
      // Printing, transfer, clipboard, range and data commands, dialogs and graphs arrive with
      // the modules that carry them out.
      return false;
  }
}

bool TForm1::CommandNeedsSheet(Cmd cmd) const {
  switch (cmd) {
    case Cmd::kNew: case Cmd::kOpen: case Cmd::kExit: case Cmd::kQuickBar: case Cmd::kMacroBar:
    case Cmd::kStatusBar: case Cmd::kZoom: case Cmd::kTile: case Cmd::kCascade: case Cmd::kArrange:
    case Cmd::kCloseAll: case Cmd::kHelp: case Cmd::kAbout: case Cmd::kTips:
      return false;
    default:
      return true;
  }
}

void TForm1::UpdateMenuState() {
  const bool sheet = activeForm() != nullptr;
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
  for (QWidget* w : {static_cast<QWidget*>(Bold), static_cast<QWidget*>(Italic),
                     static_cast<QWidget*>(Under), static_cast<QWidget*>(fontbox),
                     static_cast<QWidget*>(Sizebox), static_cast<QWidget*>(Formatbox),
                     static_cast<QWidget*>(clrcombo1), static_cast<QWidget*>(clrcombo2)}) {
    if (w) w->setEnabled(sheet);
  }
  for (QToolButton* b : formatBar_->findChildren<QToolButton*>()) b->setEnabled(sheet);
}

QAction* TForm1::action(Cmd cmd, int tag) const {
  for (const ActionInfo& info : actions_)
    if (info.cmd == cmd && (tag < 0 || info.tag == tag)) return info.action;
  return nullptr;
}

QToolButton* TForm1::button(const char* objectName) const {
  for (auto& [b, cmd] : buttons_)
    if (b->objectName() == QLatin1String(objectName)) return b;
  return nullptr;
}

TGetFun* TForm1::functionList() const { return getFun_; }

bool TForm1::readOnly(const TForm2* form) const { return form && readOnly_.value(form->slot()); }

bool TForm1::neverSaved(const TForm2* form) const {
  return form && neverSaved_.value(form->slot());
}

// --- commands ------------------------------------------------------------------------------------

void TForm1::Run(Cmd cmd, int tag) {
  if (!CommandBuilt(cmd)) {
    ThePlatform().Beep();
    return;
  }
  TForm2* form = activeForm();
  if (CommandNeedsSheet(cmd) && !form) {
    ThePlatform().Beep();
    return;
  }
  if (entryActive_ && cmd != Cmd::kFunctionPick && cmd != Cmd::kSpeedSum) CommitEntry();
  switch (cmd) {
    case Cmd::kNew: NewSheet(); break;
    case Cmd::kOpen: OpenDialog(); break;
    case Cmd::kSave: SaveActive(); break;
    case Cmd::kSaveAs: SaveAsDialog(form); break;
    case Cmd::kUplink: Uplink(); break;
    case Cmd::kClose:
      if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) sub->close();
      break;
    case Cmd::kExit: close(); break;
    case Cmd::kUndo: {
      {
        SheetScope scope(form->slot());
        if (!RestoreUndo()) ThePlatform().Beep();
        RecalculateIfAutomatic();
      }
      form->Grid1->refresh();
      form->Grid2->refresh();
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
    case Cmd::kSplitH: form->Grid1Split(1); break;
    case Cmd::kSplitV: form->Grid1Split(2); break;
    case Cmd::kSynch: form->setSynch(true); break;
    case Cmd::kUnsynch: form->setSynch(false); break;
    case Cmd::kSplitClear: form->Grid1Split(0); break;
    case Cmd::kBorders: form->setTitles(tag); break;
    case Cmd::kZoom:
      TForm2::SetZoomAll(tag);
      Settings().zoom = tag;
      break;
    case Cmd::kExtReset: ClearLinkedSheetCache(); break;
    case Cmd::kNewView: {
      if (int(mdi_->subWindowList().size()) >= kMaxChildWindows) {
        ThePlatform().Beep();
        break;
      }
      const SlotIndex slot = form->slot();
      const std::string name = Worksheet(slot).fileName;
      const QString caption = form->windowTitle();
      TForm2* view = TForm2::OpenWorksheetWindow(mdi_, name, false);
      if (view) {
        view->setWindowTitle(caption);
        AdoptWindow(view, false);
      }
      break;
    }
    case Cmd::kTile: mdi_->tileSubWindows(); break;
    case Cmd::kCascade: mdi_->cascadeSubWindows(); break;
    case Cmd::kArrange: {
      // Minimised windows in a row along the bottom of the client area.
      int x = 0;
      for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (!sub->isMinimized()) continue;
        sub->move(x, mdi_->viewport()->height() - sub->height());
        x += sub->width();
      }
      break;
    }
    case Cmd::kCloseAll: CloseAll(); break;
    case Cmd::kHelp: ShowHelp(); break;
    case Cmd::kAbout: ShowAbout(); break;
    case Cmd::kTips: ShowTip(); break;
    case Cmd::kSpeedSum: {
      TGrid* g = form->activeGrid();
      QString range;
      {
        SheetScope scope(form->slot());
        range = FromCp1252(RangeText(g->selection()));
      }
      if (entryActive_) CancelEntry();
      StartEntry(QStringLiteral("@sum(") + range + ")");
      break;
    }
    case Cmd::kFunctionPick:
      if (!entryActive_) StartEntry(QStringLiteral("@"));
      if (!Edit1->text().endsWith('@')) Edit1->insert(QStringLiteral("@"));
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
    case Cmd::kLock: LockClick(); break;
    default: ThePlatform().Beep(); break;
  }
  UpdateMenuState();
}

void TForm1::LockClick() {
  TForm2* form = activeForm();
  QToolButton* lock = button("SpLock");
  if (!form) return;
  {
    SheetScope scope(form->slot());
    const bool on = Options().protection();
    if (on && HasPassword() && PassDlg().AskPassword(0) != 1) {
      // Without the right password protection stays on and the button down.
      lock->setChecked(true);
      ThePlatform().Beep();
      return;
    }
    Options().setProtection(!on);
    SetSheetModified(true);
    StoreOptions(form->slot());
    lock->setChecked(!on);
  }
  RepaintAll();
}

void TForm1::ToggleRecalc() {
  TForm2* form = activeForm();
  if (!form) return;
  {
    SheetScope scope(form->slot());
    const bool manual = !Options().manualRecalc();
    Options().setManualRecalc(manual);
    StoreOptions(form->slot());
    if (!manual) RecalculateAll();
  }
  ShowIndicators();
  RepaintAll();
}

void TForm1::ShowHelp() {
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

void TForm1::ShowAbout() {
  QMessageBox::about(this, QStringLiteral("About TALLIVO"),
                     QStringLiteral("<h2>TALLIVO</h2><p>A spreadsheet for the Linux desktop.</p>"
                                    "<p>256 columns by 8192 rows per worksheet, formulas "
                                    "recalculated in natural order, WKS and WK1 worksheet "
                                    "files.</p><p>Program directory: %1</p>")
                         .arg(QString::fromStdString(ProgramDirectory()).toHtmlEscaped()));
}

void TForm1::ShowTip() {
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

void TForm1::StartEntry(const QString& text) {
  TForm2* form = activeForm();
  if (!form) return;
  if (prompt1->isOpen()) {
    // While a range prompt is open, characters go to the prompt.
    if (text != QLatin1String(".")) prompt1->Type(text);
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
    Edit1->insert(text);
    Edit1->setFocus();
    if (!editMode_) SetMode(EntryMode(Edit1->text()));
    return;
  }
  {
    SheetScope scope(form->slot());
    if (Options().protection()) {
      const CellHandle h = GetCell(uint32_t(form->activeGrid()->cursorRow()),
                                   uint32_t(form->activeGrid()->cursorColumn()));
      if (!h || (CellAt(h)->format & kFormatProtected)) {
        ShowError("Protected Cell");
        return;
      }
    }
  }
  entryActive_ = true;
  editMode_ = false;
  pointing_ = false;
  entryForm_ = form;
  entryRow_ = form->activeGrid()->cursorRow();
  entryColumn_ = form->activeGrid()->cursorColumn();
  Edit1->setText(text);
  Edit1->setFocus();
  Edit1->end(false);
  SetMode(EntryMode(text));
}

void TForm1::EditCell() {
  TForm2* form = activeForm();
  if (!form || prompt1->isOpen()) return;
  if (!entryActive_) {
    ShowCellInEntryLine();
    entryActive_ = true;
    entryForm_ = form;
    entryRow_ = form->activeGrid()->cursorRow();
    entryColumn_ = form->activeGrid()->cursorColumn();
  }
  editMode_ = true;
  pointing_ = false;
  Edit1->setFocus();
  Edit1->end(false);
  SetMode(QStringLiteral("EDIT"));
}

void TForm1::CommitEntry(int rowStep, int columnStep) {
  if (!entryActive_) return;
  TForm2* form = entryForm_;
  const QString text = Edit1->text();
  entryActive_ = false;
  editMode_ = false;
  pointing_ = false;
  pointAnchored_ = false;
  entryForm_ = nullptr;
  if (!form || !Worksheet(form->slot()).InUse()) {
    NoSheetState();
    return;
  }
  TGrid* g = form->activeGrid();
  bool refused;
  {
    SheetScope scope(form->slot());
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
    entryForm_ = form;
    Edit1->setText(text);
    Edit1->setFocus();
    Edit1->end(false);
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

void TForm1::CancelEntry() {
  if (!entryActive_) return;
  TForm2* form = entryForm_;
  entryActive_ = false;
  editMode_ = false;
  pointing_ = false;
  pointAnchored_ = false;
  entryForm_ = nullptr;
  SetMode(QStringLiteral("READY"));
  if (form) {
    TGrid* g = form->activeGrid();
    g->moveTo(entryRow_, entryColumn_);
    g->setFocus();
  }
  ShowCellInEntryLine();
}

bool TForm1::CanPoint() const {
  if (!entryActive_ || editMode_) return false;
  const QString t = Edit1->text();
  if (t.isEmpty() || EntryMode(t) != QLatin1String("VALUE")) return false;
  // A reference can follow an operator, an opening parenthesis or an argument separator.
  return QStringLiteral("+-*/^(,;=<>&#").contains(t.back()) || t.endsWith(QLatin1String(".."));
}

void TForm1::PointMove(int rowStep, int columnStep, bool extend) {
  TForm2* form = entryForm_;
  if (!form) return;
  TGrid* g = form->activeGrid();
  if (!pointing_) {
    pointing_ = true;
    pointAnchored_ = false;
    pointBase_ = int(Edit1->text().size());
    g->moveTo(entryRow_, entryColumn_);
  }
  if (extend) pointAnchored_ = true;
  movingPointer_ = true;
  g->moveTo(g->cursorRow() + rowStep, g->cursorColumn() + columnStep, pointAnchored_);
  movingPointer_ = false;
  UpdatePointText();
}

void TForm1::UpdatePointText() {
  TForm2* form = entryForm_;
  TGrid* g = form ? form->activeGrid() : nullptr;
  if (!g) return;
  if (!pointing_) {
    pointing_ = true;
    pointBase_ = int(Edit1->text().size());
  }
  std::string ref;
  {
    SheetScope scope(form->slot());
    const CellRange r = g->selection();
    ref = RangeIsSingleCell(r) && !pointAnchored_
              ? CellText(uint16_t(g->cursorRow()), uint16_t(g->cursorColumn()), false, false)
              : RangeText(r);
  }
  movingPointer_ = true;
  Edit1->setText(Edit1->text().left(pointBase_) + FromCp1252(ref));
  movingPointer_ = false;
  Edit1->end(false);
  SetMode(QStringLiteral("POINT"));
}

void TForm1::EndPointing() {
  if (!pointing_) return;
  pointing_ = false;
  pointAnchored_ = false;
  if (entryActive_) SetMode(editMode_ ? QStringLiteral("EDIT") : EntryMode(Edit1->text()));
}

void TForm1::CycleReference() {
  // The reference at the end of the text: page prefix, "$" markers, column letters, row.
  static const QRegularExpression ref(QStringLiteral("(\\$?)([A-Za-z]{1,2})(\\$?)([0-9]{1,4})$"));
  QString text = Edit1->text();
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
  Edit1->setText(text);
  movingPointer_ = false;
  Edit1->end(false);
}

void TForm1::EntryToValue() {
  const QString text = Edit1->text();
  if (EntryMode(text) != QLatin1String("VALUE") || !entryForm_) {
    ThePlatform().Beep();
    return;
  }
  EvalResult result;
  {
    SheetScope scope(entryForm_->slot());
    result = EvaluateText(ToCp1252(text));
  }
  if (!result.compiled) {
    ThePlatform().Beep();
    return;
  }
  EndPointing();
  if (result.error) {
    Edit1->setText(QStringLiteral("@ERR"));
  } else if (result.isString) {
    Edit1->setText("'" + FromCp1252(result.text));
  } else {
    Edit1->setText(Shortest(result.number));
  }
  SetMode(EntryMode(Edit1->text()));
}

bool TForm1::OpenFunctionList(bool macros) {
  if (!getFun_->Open(macros ? TGetFun::Mode::kMacros : TGetFun::Mode::kFunctions)) {
    ThePlatform().Beep();
    return false;
  }
  return true;
}

void TForm1::FunctionChosen(const QString& text) {
  if (!entryActive_) StartEntry(getFun_->mode() == TGetFun::Mode::kMacros ? "{" : "@");
  Edit1->insert(text);
  Edit1->setFocus();
  SetMode(EntryMode(Edit1->text()));
}

void TForm1::EntryKeyDown(QKeyEvent* e, bool* consumed) {
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
      } else if (TGrid* g = TGrid::ActiveGrid()) {
        g->setFocus();
      }
      return;
    case Qt::Key_F1:
      if (Edit1->text().endsWith('@')) {
        OpenFunctionList(false);
      } else if (Edit1->text().endsWith('{')) {
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
      if (TGrid* g = TGrid::ActiveGrid()) {
        g->setFocus();
        QKeyEvent forwarded(QEvent::KeyPress, key, e->modifiers());
        QCoreApplication::sendEvent(g, &forwarded);
      }
      return;
    case Qt::Key_F7:
      mdi_->activateNextSubWindow();
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
        TForm2* form = activeForm();
        if (form && key == Qt::Key_Home) form->moveCursorTo(0, 0);
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

void TForm1::OpenPrompt(const QString& caption, std::function<void(const CellRange&)> action,
                        bool offerNames) {
  TForm2* form = activeForm();
  if (!form) {
    ThePlatform().Beep();
    return;
  }
  if (entryActive_) CommitEntry();
  QStringList names;
  CellRange current;
  {
    SheetScope scope(form->slot());
    if (offerNames)
      for (int i = 1; i <= NameCount(); ++i) names << FromCp1252(NameAt(i));
    current = form->activeGrid()->selection();
  }
  Edit1->hide();
  prompt1->Open(caption, current, std::move(action), names);
  TForm2::SetRangePromptOpen(true);
  SetMode(QStringLiteral("RANGE"));
  form->activeGrid()->setFocus();
  UpdateMenuState();
}

void TForm1::GotoPrompt() {
  OpenPrompt(QStringLiteral("GOTO: Specify Cell"), [this](const CellRange& r) {
    if (TForm2* form = activeForm()) {
      form->moveCursorTo(r.firstRow, r.firstColumn);
      form->activeGrid()->setFocus();
    }
  }, true);
}

void TForm1::PromptEscape() {
  TGrid* g = TGrid::ActiveGrid();
  if (g && !RangeIsSingleCell(g->selection())) {
    // Esc with a range selected collapses it to its first cell.
    const CellRange r = g->selection();
    g->moveTo(r.firstRow, r.firstColumn);
    return;
  }
  prompt1->Cancel();
}

void TForm1::PromptClosed() {
  TForm2::SetRangePromptOpen(false);
  Edit1->show();
  SetMode(activeForm() ? QStringLiteral("READY") : QStringLiteral("Empty"));
  if (TGrid* g = TGrid::ActiveGrid()) g->setFocus();
  ShowCellInEntryLine();
  UpdateMenuState();
}

// --- key preview ---------------------------------------------------------------------------------

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    // Clicking a keyboard indicator toggles its state; "Auto"/"Manual" toggles recalculation.
    if (watched == Panel7) {
      ToggleRecalc();
      return true;
    }
    bool* flag = watched == PNINS   ? &insertOn_
                 : watched == PnNum ? &numOn_
                 : watched == PnScr ? &scrollOn_
                 : watched == PnCap ? &capsOn_
                 : watched == PnEnd ? &endOn_
                                    : nullptr;
    if (flag) {
      *flag = !*flag;
      ShowIndicators();
      return true;
    }
  }
  if (watched == Edit1 && event->type() == QEvent::FocusIn && !entryActive_ && activeForm() &&
      static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
    // Clicking into the entry line edits the current cell's content there.
    QTimer::singleShot(0, this, [this] {
      const int position = Edit1->cursorPosition();
      EditCell();
      Edit1->setCursorPosition(position);
    });
    return false;
  }
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* e = static_cast<QKeyEvent*>(event);
  if (watched == Edit1) {
    bool consumed = false;
    EntryKeyDown(e, &consumed);
    if (consumed) return true;
    if (!entryActive_ && !e->text().isEmpty() && e->text().at(0).isPrint() && activeForm()) {
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
      if (qobject_cast<TGrid*>(watched)) {
        Uplink();
        return true;
      }
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      // The pointer of an entry moves from the grid as well (after a click into it).
      if (entryActive_ && qobject_cast<TGrid*>(watched) && (pointing_ || CanPoint())) {
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
