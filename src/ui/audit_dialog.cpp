// ui/audit_dialog.cpp — the audit window: its four tabs, the map and chart painting, printing.
//
// Reads the dialog's worksheet inside a SheetScope of it, through commands/audit.h only.
#include "ui/audit_dialog.h"

#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "core/sheet_scope.h"
#include "platform/platform.h"
#include "print/print_dialog.h"
#include "ui/cp1252.h"

namespace {

QColor KindColour(int kind) {
  const AuditColour c = AuditKindColour(kind);
  return QColor(c.red, c.green, c.blue);
}

QRect ToRect(const AuditRect& r, const QPoint& origin) {
  return QRect(origin.x() + r.left, origin.y() + r.top, r.width, r.height);
}

QString Q(const std::string& engineText) { return FromCp1252(engineText); }

}  // namespace

// --- painting -----------------------------------------------------------------------------------

void PaintAuditMap(QPainter& painter, const QRect& box, const AuditCounts& counts,
                   const std::vector<AuditMapCell>& cells) {
  painter.save();
  painter.fillRect(box, Qt::white);
  painter.setPen(QColor(192, 192, 192));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  const QFontMetrics metrics(painter.font());
  const int w = box.width();
  const int h = box.height();
  painter.setPen(Qt::black);
  // Axis labels, each only where it clears the one before it.
  int clear = box.left();
  for (int column = 0; column <= counts.lastColumn; ++column) {
    const QString text = Q(ColumnLetters(uint32_t(column)));
    const int x = box.left() + AuditMapX(counts, column, w);
    if (x < clear) continue;
    painter.drawText(x, box.top() + 2 + metrics.ascent(), text);
    clear = x + metrics.horizontalAdvance(text) + 2;
  }
  clear = box.top();
  for (int row = 0; row <= counts.lastRow; ++row) {
    const int y = box.top() + AuditMapY(counts, row, h);
    if (y < clear) continue;
    painter.drawText(box.left() + 2, y + metrics.ascent(), QString::number(row + 1));
    clear = y + metrics.height();
  }
  for (const AuditMapCell& cell : cells) {
    if (cell.kind > 5) continue;
    painter.fillRect(ToRect(AuditMapCellRect(counts, cell.row, cell.column, w, h), box.topLeft()),
                     KindColour(cell.kind));
  }
  // The legend along the bottom margin, one kind after the other.
  const int legendY = box.bottom() - 20;
  int x = box.left() + 40;
  for (int kind = 1; kind <= 5; ++kind) {
    const QString name = QString::fromLatin1(AuditKindName(kind)) + QLatin1Char(':');
    painter.setPen(Qt::black);
    painter.drawText(x, legendY + metrics.ascent(), name);
    const QRect square(x + metrics.horizontalAdvance(name) + 4, legendY + 2, 10, 10);
    painter.fillRect(square, KindColour(kind));
    painter.drawRect(square);
    x = square.right() + 16;
  }
  painter.restore();
}

void PaintAuditChart(QPainter& painter, const QRect& box, const AuditCounts& counts) {
  painter.save();
  painter.fillRect(box, Qt::white);
  const AuditChart chart = LayOutAuditChart(counts, box.width(), box.height());
  painter.setPen(Qt::black);
  painter.drawText(ToRect(chart.headingBox, box.topLeft()), Qt::AlignCenter, Q(chart.heading));
  for (const AuditBar& bar : chart.bars) {
    const QRect r = ToRect(bar.bar, box.topLeft());
    if (r.height() > 0) {
      painter.fillRect(r, KindColour(bar.kind));
      painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter.drawText(ToRect(bar.labelBox, box.topLeft()), Qt::AlignHCenter | Qt::AlignTop,
                     Q(bar.label));
  }
  painter.restore();
}

bool PrintAuditLines(QPagedPaintDevice& device, const std::vector<std::string>& lines) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const QFontMetrics metrics(painter.font());
  const int lineHeight = std::max(1, metrics.lineSpacing());
  const QRect page = painter.viewport();
  int y = 0;
  for (const std::string& line : lines) {
    if (y > 0 && y + lineHeight > page.height()) {
      device.newPage();
      y = 0;
    }
    painter.drawText(QRect(0, y, page.width(), lineHeight),
                     Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignVCenter, Q(line));
    y += lineHeight;
  }
  return painter.end();
}

bool PrintAuditChart(QPagedPaintDevice& device, const AuditCounts& counts) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  PaintAuditChart(painter, painter.viewport(), counts);
  return painter.end();
}

AuditPicture::AuditPicture(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setMinimumSize(240, 160);
}

void AuditPicture::setData(const AuditCounts& counts, std::vector<AuditMapCell> cells) {
  counts_ = counts;
  cells_ = std::move(cells);
  update();
}

void AuditPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (kind_ == Kind::kMap) {
    PaintAuditMap(painter, rect(), counts_, cells_);
  } else {
    PaintAuditChart(painter, rect(), counts_);
  }
}

QPrinter* ChooseAuditPrinter(QWidget* parent, const QString& title) {
  return ChoosePrinter(parent, title).release();
}

// --- the dialog ---------------------------------------------------------------------------------

AuditDialog::AuditDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Audit Cell References"));
  tabs_ = new QTabWidget(this);
  tabs_->addTab(BuildTreeTab(), QStringLiteral("&Tree"));
  tabs_->addTab(BuildOverviewTab(), QStringLiteral("&Overview"));
  tabs_->addTab(BuildStatsTab(), QStringLiteral("&Stats"));
  tabs_->addTab(BuildXRefTab(), QStringLiteral("&XRef"));
  auto* close = new QPushButton(QStringLiteral("&Close"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(560, 440);
  printerRequest_ = &ChooseAuditPrinter;
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 1 || index == 2) ShowCounts();
  });
}

AuditDialog::~AuditDialog() = default;

QWidget* AuditDialog::BuildTreeTab() {
  auto* page = new QWidget;
  cellField_ = new QLineEdit;
  cellField_->installEventFilter(this);
  depthField_ = new QSpinBox;
  depthField_->setRange(0, 9999);
  depthField_->setValue(1);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Cell: "), cellField_);
  form->addRow(QStringLiteral("&Depth: "), depthField_);
  tree_ = new QTreeWidget;
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  totalLabel_ = new QLabel;
  levelLabel_ = new QLabel;
  auto* labels = new QHBoxLayout;
  labels->addWidget(totalLabel_);
  labels->addStretch();
  labels->addWidget(levelLabel_);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(tree_);
  layout->addLayout(labels);
  connect(cellField_, &QLineEdit::editingFinished, this, &AuditDialog::ShowTree);
  connect(depthField_, &QSpinBox::valueChanged, this, &AuditDialog::ShowTree);
  return page;
}

QWidget* AuditDialog::BuildOverviewTab() {
  auto* page = new QWidget;
  rangeLabel_ = new QLabel;
  cellsLabel_ = new QLabel;
  map_ = new AuditPicture(AuditPicture::Kind::kMap);
  auto* labels = new QHBoxLayout;
  labels->addWidget(rangeLabel_);
  labels->addStretch();
  labels->addWidget(cellsLabel_);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(labels);
  layout->addWidget(map_, 1);
  return page;
}

QWidget* AuditDialog::BuildStatsTab() {
  auto* page = new QWidget;
  chart_ = new AuditPicture(AuditPicture::Kind::kChart);
  auto* print = new QPushButton(QStringLiteral("&Print"));
  connect(print, &QPushButton::clicked, this, &AuditDialog::PrintChart);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(chart_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(print);
  layout->addLayout(buttons);
  return page;
}

QWidget* AuditDialog::BuildXRefTab() {
  auto* page = new QWidget;
  xrefField_ = new QLineEdit;
  xrefField_->installEventFilter(this);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Range: "), xrefField_);
  xref_ = new QTreeWidget;
  xref_->setColumnCount(4);
  xref_->setHeaderLabels({QStringLiteral("Cell"), QStringLiteral("Type"), QStringLiteral("Count"),
                          QStringLiteral("References")});
  xref_->setRootIsDecorated(false);
  xref_->setUniformRowHeights(true);
  auto* print = new QPushButton(QStringLiteral("&Print"));
  connect(print, &QPushButton::clicked, this, &AuditDialog::PrintReport);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(xref_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(print);
  layout->addLayout(buttons);
  connect(xrefField_, &QLineEdit::editingFinished, this, &AuditDialog::ShowXRef);
  return page;
}

bool AuditDialog::SheetOpen() const {
  return slot_ > 0 && Worksheet(slot_).InUse() && Worksheet(slot_).heap == heap_;
}

void AuditDialog::Open(SlotIndex slot, CellAddress cursor) {
  slot_ = slot;
  heap_ = Worksheet(slot).heap;
  {
    SheetScope scope(slot_);
    cellField_->setText(Q(CellText(cursor.row, cursor.column, false, false)));
  }
  const QSignalBlocker block(depthField_);
  depthField_->setValue(1);
  ShowCounts();
  {
    SheetScope scope(slot_);
    xrefField_->setText(Q(AuditUsedRangeText(counts_)));
  }
  ShowTree();
  ShowXRef();
  show();
  raise();
  activateWindow();
}

void AuditDialog::ShowTree() {
  if (!SheetOpen()) return;
  AuditTree built;
  {
    SheetScope scope(slot_);
    ClearError();
    const ParsedCell cell = ParseCellRef(ToCp1252(cellField_->text().trimmed()));
    if (ErrorRaised() || !IsValidCell(cell.row, cell.column)) {
      ClearError();
      ThePlatform().Beep();
      return;
    }
    built = BuildAuditTree(cell.row, cell.column, depthField_->value());
  }
  tree_->clear();
  // Each line hangs below the last line one level up.
  std::vector<QTreeWidgetItem*> parents;
  QList<QTreeWidgetItem*> top;
  for (const AuditTreeLine& line : built.lines) {
    const size_t level = size_t(line.level);
    auto* item = new QTreeWidgetItem(QStringList{Q(line.text)});
    if (level == 0 || level > parents.size()) {
      top.append(item);
      parents.assign(1, item);
      continue;
    }
    parents[level - 1]->addChild(item);
    parents.resize(level);
    parents.push_back(item);
  }
  tree_->addTopLevelItems(top);
  tree_->expandAll();
  totalLabel_->setText(QStringLiteral("Total References: %1").arg(built.totalReferences));
  levelLabel_->setText(QStringLiteral("Deepest Level: %1").arg(built.deepestLevel));
}

void AuditDialog::ShowCounts() {
  if (!SheetOpen()) return;
  std::vector<AuditMapCell> cells;
  {
    SheetScope scope(slot_);
    counts_ = CountCellKinds();
    cells = AuditMapCells();
    rangeLabel_->setText(QStringLiteral("Range: ") + Q(AuditUsedRangeText(counts_)));
  }
  cellsLabel_->setText(QStringLiteral("Total Cells: %1").arg(counts_.total));
  map_->setData(counts_, std::move(cells));
  chart_->setData(counts_, {});
}

void AuditDialog::ShowXRef() {
  if (!SheetOpen()) return;
  std::vector<XRefEntry> entries;
  {
    SheetScope scope(slot_);
    const QString text = xrefField_->text().trimmed();
    if (!text.isEmpty()) {
      ClearError();
      const CellRange r = ParseRange(ToCp1252(text));
      if (ErrorRaised() || !RangeIsValid(r)) {
        ClearError();
        ThePlatform().Beep();
        return;
      }
      entries = CrossReference(r);
    }
  }
  xref_->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(qsizetype(entries.size()));
  for (const XRefEntry& e : entries) {
    items.append(
        new QTreeWidgetItem(QStringList{Q(e.cell), Q(e.type), Q(e.count), Q(e.references)}));
  }
  xref_->addTopLevelItems(items);
}

std::vector<std::string> AuditDialog::ReportLines() {
  if (!SheetOpen()) return {};
  SheetScope scope(slot_);
  const QString text = xrefField_->text().trimmed();
  ClearError();
  const CellRange r = text.isEmpty() ? NoRange() : ParseRange(ToCp1252(text));
  const bool bad = ErrorRaised() || !RangeIsValid(r);
  ClearError();
  return XRefReport(bad ? std::vector<XRefEntry>{} : CrossReference(r));
}

void AuditDialog::PrintReport() {
  if (!printerRequest_) {
    ThePlatform().Beep();
    return;
  }
  const std::vector<std::string> lines = ReportLines();
  std::unique_ptr<QPrinter> printer(
      printerRequest_(this, QStringLiteral("Cross Reference Report")));
  if (printer && !PrintAuditLines(*printer, lines)) ThePlatform().Beep();
}

void AuditDialog::PrintChart() {
  if (!printerRequest_) {
    ThePlatform().Beep();
    return;
  }
  ShowCounts();
  std::unique_ptr<QPrinter> printer(printerRequest_(this, QStringLiteral("Cell Statistics")));
  if (printer && !PrintAuditChart(*printer, counts_)) ThePlatform().Beep();
}

void AuditDialog::AskForCell() {
  if (!rangeRequest_ || !SheetOpen()) {
    ThePlatform().Beep();
    return;
  }
  CellRange start = NoRange();
  {
    SheetScope scope(slot_);
    ClearError();
    const ParsedCell cell = ParseCellRef(ToCp1252(cellField_->text().trimmed()));
    if (!ErrorRaised() && IsValidCell(cell.row, cell.column)) {
      start = MakeRange(cell.column, cell.row, cell.column, cell.row);
    }
    ClearError();
  }
  hide();
  rangeRequest_(
      QStringLiteral("TREE: Specify Cell"), start,
      [this](const CellRange& r) {
        if (!SheetOpen()) return;
        {
          SheetScope scope(slot_);
          cellField_->setText(Q(CellText(r.firstRow, r.firstColumn, false, false)));
        }
        ShowTree();
      },
      [this] { show(); });
}

void AuditDialog::AskForRange() {
  if (!rangeRequest_ || !SheetOpen()) {
    ThePlatform().Beep();
    return;
  }
  CellRange start = NoRange();
  {
    SheetScope scope(slot_);
    ClearError();
    const QString text = xrefField_->text().trimmed();
    if (!text.isEmpty()) start = ParseRange(ToCp1252(text));
    if (ErrorRaised()) start = NoRange();
    ClearError();
  }
  hide();
  rangeRequest_(
      QStringLiteral("XREF: Specify Range"), start,
      [this](const CellRange& r) {
        if (!SheetOpen()) return;
        {
          SheetScope scope(slot_);
          xrefField_->setText(Q(RangeText(OrderedRange(r))));
        }
        ShowXRef();
      },
      [this] { show(); });
}

bool AuditDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == cellField_) {
      AskForCell();
      return true;
    }
    if (watched == xrefField_) {
      AskForRange();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
