// print/print_dialog.cpp — the print dialog, its options page, the preview and desktop printing.
//
// Reads and writes: the current worksheet's print settings through commands/print_commands.h;
// the printer and files the user chooses.
#include "print/print_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/global_options.h"
#include "core/graph_definition.h"
#include "core/messages.h"
#include "core/worksheets.h"
#include "files/print_layout.h"
#include "platform/platform.h"
#include "print/page_painter.h"
#include "ui/cp1252.h"
#include "ui/range_fields.h"

const char kPdfPrinterChoice[] = "PDF file";
const char kDefaultPrinterChoice[] = "- Default -";

namespace {

std::string FileNameBytes(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString RangeFieldText(const CellRange& r) {
  return RangeIsValid(r) ? FromCp1252(RangeText(r)) : QString();
}

void SetOrientation(QPrinter& printer) {
  printer.setPageOrientation(Options().landscape() ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
}

}  // namespace

// --- printers ----------------------------------------------------------------------------------

std::unique_ptr<QPrinter> MakePrinter(const QString& choice, QWidget* parent,
                                      const QString& pdfFile) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  const bool pdf = choice == QLatin1String(kPdfPrinterChoice) ||
                   QPrinterInfo::availablePrinterNames().isEmpty();
  if (!pdf) {
    if (choice != QLatin1String(kDefaultPrinterChoice)) printer->setPrinterName(choice);
    return printer;
  }
  QString file = pdfFile;
  if (file.isEmpty()) {
    file = QFileDialog::getSaveFileName(parent, QStringLiteral("Print"), QString(),
                                        QStringLiteral("PDF files (*.pdf)"));
    if (file.isEmpty()) return nullptr;
  }
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(file);
  // A PDF page is paintable to its edges: the sheet's margins are the only margins.
  printer->setPageMargins(QMarginsF(0, 0, 0, 0));
  return printer;
}

std::unique_ptr<QPrinter> ChoosePrinter(QWidget* parent, const QString& title) {
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    const QString file = QFileDialog::getSaveFileName(parent, title, title + QStringLiteral(".pdf"),
                                                      QStringLiteral("PDF files (*.pdf)"));
    if (file.isEmpty()) return nullptr;
    auto printer = MakePrinter(QLatin1String(kPdfPrinterChoice), parent, file);
    printer->setDocName(title);
    return printer;
  }
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setDocName(title);
  QPrintDialog dialog(printer.get(), parent);
  dialog.setWindowTitle(title);
  return dialog.exec() == QDialog::Accepted ? std::move(printer) : nullptr;
}

bool PrintJobOn(QPrinter& printer, const PrintJob& job) {
  if (job.kind == PrintJob::Kind::kGraph) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    const bool drawn = PrintNamedGraph(painter, QRect(QPoint(0, 0), area.size()), job.graph,
                                       printer.resolution() / 96.0);
    painter.end();
    if (drawn) ThePlatform().Beep();
    return drawn;
  }
  SetOrientation(printer);
  const PageSize page = DevicePageSize(printer, printer.resolution());
  const PageLayout layout = LayOutPages(SheetPageSetup(job.range), page);
  if (layout.marginsTooLarge) {
    ShowError("Margins Too Large");
    RaiseError();
    return false;
  }
  if (layout.pages.empty()) return true;
  ThePlatform().WaitCursor(true);
  const bool ok = PrintPagesOn(printer, layout, SheetPagePaintOptions(job.showGrid));
  ThePlatform().WaitCursor(false);
  return ok;
}

void InstallDesktopPrinter(QWidget* parent) {
  SetPrintJobPrinter([parent](const PrintJob& job) {
    const std::unique_ptr<QPrinter> printer =
        MakePrinter(QLatin1String(kDefaultPrinterChoice), parent);
    return printer && PrintJobOn(*printer, job);
  });
}

// --- options page ------------------------------------------------------------------------------

PrintOptionsDialog::PrintOptionsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Options"));
  header_ = new QLineEdit(this);
  footer_ = new QLineEdit(this);
  header_->setMaxLength(int(GlobalOptions::kTextCapacity));
  footer_->setMaxLength(int(GlobalOptions::kTextCapacity));
  headerRule_ = new QCheckBox(QStringLiteral("Line"), this);
  footerRule_ = new QCheckBox(QStringLiteral("Line"), this);
  auto* texts = new QFormLayout;
  auto* headerRow = new QHBoxLayout;
  headerRow->addWidget(header_);
  headerRow->addWidget(headerRule_);
  auto* footerRow = new QHBoxLayout;
  footerRow->addWidget(footer_);
  footerRow->addWidget(footerRule_);
  texts->addRow(QStringLiteral("&Header: "), headerRow);
  texts->addRow(QStringLiteral("&Footer: "), footerRow);

  auto* marginBox = new QGroupBox(QStringLiteral("Margins:"), this);
  auto* marginForm = new QFormLayout(marginBox);
  const char* const kCaptions[4] = {"&Top: ", "L&eft: ", "&Rt: ", "&Bot: "};
  for (int i = 0; i < 4; ++i) {
    margins_[i] = new QLineEdit(marginBox);
    auto* validator = new QDoubleValidator(0, 100, 2, margins_[i]);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    margins_[i]->setValidator(validator);
    marginForm->addRow(QString::fromLatin1(kCaptions[i]), margins_[i]);
  }
  auto* borderBox = new QGroupBox(QStringLiteral("Border:"), this);
  auto* borderForm = new QFormLayout(borderBox);
  borderRows_ = new QLineEdit(borderBox);
  borderColumns_ = new QLineEdit(borderBox);
  borderForm->addRow(QStringLiteral("Ro&w: "), borderRows_);
  borderForm->addRow(QStringLiteral("Col&umn: "), borderColumns_);

  scale_ = new QComboBox(this);
  scale_->setEditable(true);
  for (const char* s : {"125", "100", "87", "75", "50", "25"}) scale_->addItem(QString::fromLatin1(s));
  scale_->setEditText(QStringLiteral("100"));
  scale_->setValidator(new QIntValidator(10, 400, scale_));
  frame_ = new QCheckBox(QStringLiteral("Fr&ame ( Show Margin )"), this);
  mono_ = new QCheckBox(QStringLiteral("&Mono ( Disables Shades )"), this);
  auto* orientation = new QGroupBox(QStringLiteral("Page Orientation:"), this);
  portrait_ = new QRadioButton(QStringLiteral("&Portrait"), orientation);
  landscape_ = new QRadioButton(QStringLiteral("&Landscape"), orientation);
  auto* orientationLayout = new QVBoxLayout(orientation);
  orientationLayout->addWidget(portrait_);
  orientationLayout->addWidget(landscape_);

  auto* scaleRow = new QFormLayout;
  scaleRow->addRow(QStringLiteral("&Scale (%):"), scale_);
  auto* middle = new QHBoxLayout;
  middle->addWidget(marginBox);
  middle->addWidget(borderBox);
  auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  auto* help = new QPushButton(QStringLiteral("Hel&p"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (store()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { ThePlatform().Beep(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(texts);
  layout->addLayout(middle);
  layout->addLayout(scaleRow);
  layout->addWidget(frame_);
  layout->addWidget(mono_);
  layout->addWidget(orientation);
  layout->addLayout(buttons);
  load();
}

void PrintOptionsDialog::load() {
  const GlobalOptions& o = Options();
  header_->setText(FromCp1252(o.header()));
  footer_->setText(FromCp1252(o.footer()));
  headerRule_->setChecked(o.headerRule());
  footerRule_->setChecked(o.footerRule());
  const int fields[4] = {GlobalOptions::kTopMargin, GlobalOptions::kLeftMargin,
                         GlobalOptions::kRightMargin, GlobalOptions::kBottomMargin};
  for (int i = 0; i < 4; ++i) margins_[i]->setText(QString::number(o.margin(fields[i]), 'f', 2));
  scale_->setEditText(QString::number(o.printScale()));
  frame_->setChecked(o.printFrame());
  mono_->setChecked(o.printMono());
  portrait_->setChecked(!o.landscape());
  landscape_->setChecked(o.landscape());
  borderRows_->setText(RangeFieldText(o.borderRows()));
  borderColumns_->setText(RangeFieldText(o.borderColumns()));
}

bool PrintOptionsDialog::store() {
  double margins[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    margins[i] = margins_[i]->text().toDouble(&ok);
    if (!ok || margins[i] < 0 || margins[i] > 100) {
      ThePlatform().Beep();
      margins_[i]->setFocus();
      margins_[i]->selectAll();
      return false;
    }
  }
  bool scaleOk = false;
  const int scale = scale_->currentText().toInt(&scaleOk);
  if (!scaleOk || scale < 10 || scale > 400) {
    ThePlatform().Beep();
    scale_->setFocus();
    return false;
  }
  CellRange rows, columns;
  const SlotIndex sheet = CurrentWorksheet();
  if (!ReadRangeField(sheet, borderRows_, true, &rows) ||
      !ReadRangeField(sheet, borderColumns_, true, &columns)) {
    return false;
  }
  const std::string options = std::string("A") + (frame_->isChecked() ? "Y" : "N") + ",M" +
                              (mono_->isChecked() ? "Y" : "N") + ",L" +
                              (portrait_->isChecked() ? "N" : "Y") + ",S" + std::to_string(scale);
  UndoGroupScope group;
  return SetPrintHeader(ToCp1252(header_->text()), headerRule_->isChecked() ? 1 : 0).Done() &&
         SetPrintFooter(ToCp1252(footer_->text()), footerRule_->isChecked() ? 1 : 0).Done() &&
         SetPrintMargins(margins[0], margins[1], margins[2], margins[3]).Done() &&
         SetPrintBorders(rows, columns).Done() && SetPrintOptions(options, ',').Done();
}

// --- preview -----------------------------------------------------------------------------------

PrintPreviewDialog::PrintPreviewDialog(const CellRange& range, bool showGrid, QWidget* parent,
                                       const QString& printerChoice, const QPageSize& pageSize)
    : QDialog(parent), range_(range), showGrid_(showGrid) {
  setWindowTitle(QStringLiteral("Preview"));
  // The same printer as "&Print" makes, so that page N here is the printed page N; a PDF file
  // is never written by the preview.
  printer_ = MakePrinter(
      printerChoice.isEmpty() ? QString::fromLatin1(kDefaultPrinterChoice) : printerChoice, this,
      QStringLiteral("preview.pdf"));
  if (pageSize.isValid()) printer_->setPageSize(pageSize);
  SetOrientation(*printer_);
  view_ = new QPrintPreviewWidget(printer_.get(), this);
  connect(view_, &QPrintPreviewWidget::paintRequested, this, &PrintPreviewDialog::paintPages);
  connect(view_, &QPrintPreviewWidget::previewChanged, this, &PrintPreviewDialog::updatePageField);

  page_ = new QSpinBox(this);
  page_->setMinimum(1);
  pageCount_ = new QLabel(this);
  auto* back = new QToolButton(this);
  back->setArrowType(Qt::LeftArrow);
  auto* forward = new QToolButton(this);
  forward->setArrowType(Qt::RightArrow);
  auto* zoomIn = new QPushButton(QStringLiteral("+"), this);
  auto* zoomOut = new QPushButton(QStringLiteral("-"), this);
  auto* all = new QPushButton(QStringLiteral("All"), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  textScale_ = new QSpinBox(this);
  textScale_->setRange(10, 400);
  textScale_->setValue(Options().printScale());
  auto* fitButton = new QPushButton(QStringLiteral("Fit"), this);
  auto* scaleLabel = new QLabel(QStringLiteral("&Text (%) "), this);
  scaleLabel->setBuddy(textScale_);

  connect(page_, &QSpinBox::valueChanged, this, [this](int n) { view_->setCurrentPage(n); });
  connect(back, &QToolButton::clicked, this, [this] { showPage(currentPage() - 1); });
  connect(forward, &QToolButton::clicked, this, [this] { showPage(currentPage() + 1); });
  connect(zoomIn, &QPushButton::clicked, this, [this] { view_->zoomIn(1.25); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { view_->zoomOut(1.25); });
  connect(all, &QPushButton::clicked, this, [this] { view_->fitInView(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(textScale_, &QSpinBox::editingFinished, this,
          [this] { setTextScale(textScale_->value()); });
  connect(fitButton, &QPushButton::clicked, this, &PrintPreviewDialog::fit);

  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel(QStringLiteral("Page: "), this));
  bar->addWidget(page_);
  bar->addWidget(pageCount_);
  bar->addWidget(back);
  bar->addWidget(forward);
  bar->addWidget(zoomIn);
  bar->addWidget(zoomOut);
  bar->addWidget(all);
  bar->addSpacing(12);
  bar->addWidget(scaleLabel);
  bar->addWidget(textScale_);
  bar->addWidget(fitButton);
  bar->addStretch();
  bar->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(view_, 1);
  resize(720, 800);
  view_->updatePreview();
}

PrintPreviewDialog::~PrintPreviewDialog() = default;

int PrintPreviewDialog::pageCount() const { return view_->pageCount(); }
int PrintPreviewDialog::currentPage() const { return view_->currentPage(); }

void PrintPreviewDialog::showPage(int page) {
  if (page < 1 || page > pageCount()) return;
  view_->setCurrentPage(page);
  updatePageField();
}

void PrintPreviewDialog::paintPages(QPrinter* printer) {
  const PageSize page = DevicePageSize(*printer, printer->resolution());
  const PageLayout layout = LayOutPages(SheetPageSetup(range_), page);
  QPainter painter;
  if (!painter.begin(printer)) return;
  const double factor = double(printer->resolution()) / kPrintUnitsPerInch;
  painter.scale(factor, factor);
  const PagePaintOptions options = SheetPagePaintOptions(showGrid_);
  for (size_t i = 0; i < layout.pages.size(); ++i) {
    if (i > 0) printer->newPage();
    PaintPrintedPage(painter, layout, page, i, options);
  }
  painter.end();
}

void PrintPreviewDialog::updatePageField() {
  const int count = std::max(pageCount(), 1);
  page_->blockSignals(true);
  page_->setMaximum(count);
  page_->setValue(std::clamp(currentPage(), 1, count));
  page_->blockSignals(false);
  pageCount_->setText(QStringLiteral("of %1").arg(pageCount()));
}

void PrintPreviewDialog::setTextScale(int percent) {
  if (percent == Options().printScale()) return;
  SetPrintOptions("S" + std::to_string(percent), ',');
  textScale_->setValue(Options().printScale());
  view_->updatePreview();
  updatePageField();
}

void PrintPreviewDialog::fit() {
  PageSetup setup = SheetPageSetup(range_);
  const PageSize page = DevicePageSize(*printer_, printer_->resolution());
  const int scale = FitPrintScale(setup.scale, [&](int s) {
    setup.scale = s;
    return int(LayOutPages(setup, page).pages.size());
  });
  setTextScale(std::min(scale, 400));
}

// --- the dialog --------------------------------------------------------------------------------

PrintDialog::~PrintDialog() = default;

PrintDialog::PrintDialog(const CellRange& selection, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Print"));
  printer_ = new QComboBox(this);
  printer_->addItem(QLatin1String(kDefaultPrinterChoice));
  printer_->addItems(QPrinterInfo::availablePrinterNames());
  printer_->addItem(QLatin1String(kPdfPrinterChoice));
  auto* printerLabel = new QLabel(QStringLiteral("P&rinter:"), this);
  printerLabel->setBuddy(printer_);

  const CellRange used = UsedPrintRange();
  all_ = new QRadioButton(QStringLiteral("&All"), this);
  auto* usedText = new QLabel(RangeIsValid(used) ? FromCp1252(RangeText(used)) : QString(), this);
  selected_ = new QRadioButton(QStringLiteral("&Selected Range"), this);
  range_ = new QLineEdit(this);
  const CellRange stored = Options().printRange();
  range_->setText(RangeFieldText(RangeIsValid(stored) ? stored : selection));
  graph_ = new QRadioButton(QStringLiteral("&Named Graph"), this);
  graphs_ = new QComboBox(this);
  for (int i = 1; i <= NamedGraphCount(); ++i) graphs_->addItem(FromCp1252(NamedGraph(i).name()));
  graph_->setEnabled(NamedGraphCount() > 0);
  all_->setChecked(true);
  showGrid_ = new QCheckBox(QStringLiteral("Show &Grid"), this);
  showGrid_->setChecked(PrintShowsGrid());
  options_ = new PrintOptionsDialog(this);
  setup_ = std::make_unique<QPrinter>(QPrinter::HighResolution);

  auto* what = new QGroupBox(this);
  auto* whatLayout = new QFormLayout(what);
  whatLayout->addRow(all_, usedText);
  whatLayout->addRow(selected_, range_);
  whatLayout->addRow(graph_, graphs_);

  struct Button {
    const char* caption;
    std::function<void()> run;
  };
  const Button kButtons[] = {
      {"&Print", [this] { if (print()) accept(); }},
      {"Op&tions...", [this] { showOptions(); }},
      {"S&etup...", [this] { QPageSetupDialog(setup_.get(), this).exec(); }},
      {"Pre&view....", [this] { showPreview(); }},
      {"Print to &File",
       [this] {
         QFileDialog dialog(this, QStringLiteral("Print to File"));
         dialog.setAcceptMode(QFileDialog::AcceptSave);
         dialog.setNameFilters({QStringLiteral("ASCII (*.prn)"), QStringLiteral("ASCII (*.txt)")});
         dialog.setDefaultSuffix(QStringLiteral("prn"));
         if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() &&
             printToFile(dialog.selectedFiles().front())) {
           accept();
         }
       }},
      {"&Cancel", [this] { reject(); }},
  };
  auto* buttons = new QVBoxLayout;
  for (const Button& b : kButtons) {
    auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
    connect(button, &QPushButton::clicked, this, b.run);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* left = new QVBoxLayout;
  auto* printerRow = new QHBoxLayout;
  printerRow->addWidget(printerLabel);
  printerRow->addWidget(printer_, 1);
  left->addLayout(printerRow);
  left->addWidget(what);
  left->addWidget(showGrid_);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttons);
}

bool PrintDialog::job(PrintJob* out) {
  PrintJob j;
  j.showGrid = showGrid_->isChecked();
  SetPrintShowsGrid(j.showGrid);
  if (graph_->isChecked()) {
    if (NamedGraphCount() == 0) return false;
    j.kind = PrintJob::Kind::kGraph;
    j.graph = graphs_->currentIndex() + 1;
  } else if (selected_->isChecked()) {
    if (!ReadRangeField(CurrentWorksheet(), range_, false, &j.range)) return false;
    j.range = OrderedRange(j.range);
  } else {
    j.range = UsedPrintRange();
  }
  *out = j;
  return true;
}

bool PrintDialog::print(const QString& pdfFile) {
  PrintJob j;
  if (!job(&j)) return false;
  if (j.kind == PrintJob::Kind::kRange && selected_->isChecked() &&
      !StorePrintRange(j.range).Done()) {
    return false;
  }
  const QString choice =
      pdfFile.isEmpty() ? printer_->currentText() : QString::fromLatin1(kPdfPrinterChoice);
  const std::unique_ptr<QPrinter> printer = MakePrinter(choice, this, pdfFile);
  if (!printer) return false;
  printer->setPageSize(setup_->pageLayout().pageSize());
  ClearError();
  return PrintJobOn(*printer, j);
}

bool PrintDialog::printToFile(const QString& fileName) {
  CellRange r;
  if (!ReadRangeField(CurrentWorksheet(), range_, false, &r)) return false;
  return PrintRangeToTextFile(FileNameBytes(fileName), r).Done();
}

void PrintDialog::showOptions() {
  options_->load();
  options_->exec();
}

void PrintDialog::showPreview() {
  PrintJob j;
  if (!job(&j) || j.kind != PrintJob::Kind::kRange) return;
  PrintPreviewDialog preview(j.range, j.showGrid, this, printer_->currentText(),
                             setup_->pageLayout().pageSize());
  preview.exec();
}
