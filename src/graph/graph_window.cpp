// graph/graph_window.cpp — the graph window (see graph_window.h).
#include "graph/graph_window.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRubberBand>
#include <QSaveFile>
#include <cstring>

#include "core/messages.h"
#include "core/sheet_scope.h"
#include "graph/graph_draw.h"
#include "graph/graph_geometry.h"
#include "platform/platform.h"

namespace {

constexpr int kDragThreshold = 3;

QString DefaultChooser(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filters, QString* chosenFilter) {
  return QFileDialog::getSaveFileName(parent, caption, suggested, filters, chosenFilter);
}

}  // namespace

GraphWindow::GraphWindow(QWidget* owner) : QWidget(owner, Qt::Tool) {
  setWindowTitle(QStringLiteral("Graph"));
  setFocusPolicy(Qt::StrongFocus);
  resize(640, 480);
  QFont font(GraphFontFamily("ARIAL"));
  font.setBold(true);
  font.setPixelSize(16);
  setFont(font);
  closeTimer_.setSingleShot(true);
  connect(&closeTimer_, &QTimer::timeout, this, &QWidget::close);
  chooseFile_ = [this](const QString& caption, const QString& suggested, const QString& filters,
                       QString* chosenFilter) {
    return DefaultChooser(this, caption, suggested, filters, chosenFilter);
  };
}

void GraphWindow::ShowGraph(SlotIndex slot, int namedIndex, bool maximised, int milliseconds) {
  slot_ = slot;
  namedIndex_ = namedIndex;
  selection_ = QStringLiteral("No Selection");
  {
    SheetScope scope(slot_);
    std::memcpy(saved_.data(), ShownDefinition().bytes(), kGraphBlockSize);
  }
  closeTimer_.stop();
  if (maximised) {
    showMaximized();
  } else {
    showNormal();
  }
  raise();
  activateWindow();
  setFocus();
  update();
  if (milliseconds > 0) closeTimer_.start(milliseconds);
}

GraphDefinition GraphWindow::ShownDefinition() {
  if (namedIndex_ >= 1 && namedIndex_ <= NamedGraphCount()) return NamedGraph(namedIndex_);
  return CurrentGraph();
}

QImage GraphWindow::Bitmap() {
  QImage image(size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  SheetScope scope(slot_);
  DrawGraph(painter, image.rect(), namedIndex_, 1.0);
  return image;
}

void GraphWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (slot_ == 0) return;
  SheetScope scope(slot_);
  DrawGraph(painter, rect(), namedIndex_, 1.0);
}

void GraphWindow::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers held =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const int key = event->key();
  if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
      key == Qt::Key_Meta) {
    return;
  }
  if (held == Qt::NoModifier || key == Qt::Key_Escape || key == Qt::Key_Space) {
    close();
    return;
  }
  if (held == Qt::ShiftModifier && key == Qt::Key_A) {
    SetGraphViewAngle(TurnView(GraphViewAngle()));
    update();
    return;
  }
  ThePlatform().Beep();
}

void GraphWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragFrom_ = event->position().toPoint();
  dragging_ = true;
  if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
  band_->setGeometry(QRect(dragFrom_, QSize()));
  band_->show();
}

void GraphWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && band_) {
    band_->setGeometry(QRect(dragFrom_, event->position().toPoint()).normalized());
  }
}

void GraphWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  if (band_) band_->hide();
  const QRect area = QRect(dragFrom_, event->position().toPoint()).normalized();
  if (area.width() > kDragThreshold && area.height() > kDragThreshold) {
    ZoomTo(area);
  } else {
    SelectAt(event->position().toPoint());
  }
}

void GraphWindow::SelectAt(QPoint at) {
  GraphElement element;
  if (GraphElementAt(QPointF(at), &element)) {
    selection_ = element.name;
    selectionTag_ = element.settingsTag;
    return;
  }
  selection_ = QStringLiteral("No Selection");
  ThePlatform().Beep();
}

void GraphWindow::ZoomTo(const QRect& area) {
  const GraphPlotFrame frame = LastGraphPlotFrame();
  if (!frame.valid || slot_ == 0) {
    ThePlatform().Beep();
    return;
  }
  double x1, y1, x2, y2;
  GraphValuesAt(frame, area.left(), area.bottom(), &x1, &y1);
  GraphValuesAt(frame, area.right(), area.top(), &x2, &y2);
  {
    SheetScope scope(slot_);
    GraphDefinition g = ShownDefinition();
    // Category axes keep their categories; numeric ones take the limits under the rectangle.
    if (frame.numericX) {
      g.setManualScale(0, true);
      g.setLowerLimit(0, x1);
      g.setUpperLimit(0, x2);
    }
    g.setManualScale(1, true);
    g.setLowerLimit(1, y1);
    g.setUpperLimit(1, y2);
  }
  update();
}

void GraphWindow::Zoom(int how) {
  if (slot_ == 0) return;
  if (how == 3) {
    {
      SheetScope scope(slot_);
      std::memcpy(ShownDefinition().bytes(), saved_.data(), kGraphBlockSize);
    }
    update();
    return;
  }
  if (how == 2) {
    {
      SheetScope scope(slot_);
      GraphDefinition g = ShownDefinition();
      g.setManualScale(0, false);
      g.setManualScale(1, false);
    }
    update();
    return;
  }
  const GraphPlotFrame frame = LastGraphPlotFrame();
  if (!frame.valid) {
    ThePlatform().Beep();
    return;
  }
  const QRectF plot = frame.plot;
  // "In" takes a quarter of the width and height off each side, "Out" adds half.
  const double fx = how == 1 ? -plot.width() / 4 : plot.width() / 2;
  const double fy = how == 1 ? -plot.height() / 4 : plot.height() / 2;
  ZoomTo(plot.adjusted(-fx, -fy, fx, fy).toRect());
}

QMenu* GraphWindow::popupMenu() {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (selection_ == QStringLiteral("No Selection")) {
    menu->addAction(selection_)->setEnabled(false);
  } else {
    // The attributes of the selected element live on one page of the settings dialog.
    const int tag = selectionTag_;
    connect(menu->addAction(QStringLiteral("&Attributes (") + selection_ + QStringLiteral(")")),
            &QAction::triggered, this, [this, tag] { emit settingsRequested(tag); });
  }
  menu->addSeparator();
  struct Page {
    const char* caption;
    int tag;
  };
  static const Page kPages[] = {{"&Graph Type", 0}, {"&Ranges", 1},   {"&Legends", 8},
                                {"&Options...", 2}, {"&Headings", 5}, {"&Scales", 3},
                                {"&Fonts", 7}};
  for (const Page& page : kPages) {
    const int tag = page.tag;
    connect(menu->addAction(QString::fromLatin1(page.caption)), &QAction::triggered, this,
            [this, tag] { emit settingsRequested(tag); });
  }
  menu->addSeparator();
  connect(menu->addAction(QStringLiteral("S&ave to Bitmap")), &QAction::triggered, this,
          &GraphWindow::SaveToBitmap);
  connect(menu->addAction(QStringLiteral("Quick &Print")), &QAction::triggered, this,
          &GraphWindow::QuickPrint);
  connect(menu->addAction(QStringLiteral("&Copy to Clipboard")), &QAction::triggered, this,
          &GraphWindow::CopyToClipboard);
  QMenu* zoom = menu->addMenu(QStringLiteral("ZOOM"));
  const char* kZoom[] = {"&Out", "&In", "&All", "&Reset"};
  for (int how = 0; how < 4; ++how) {
    connect(zoom->addAction(QString::fromLatin1(kZoom[how])), &QAction::triggered, this,
            [this, how] { Zoom(how); });
  }
  return menu;
}

void GraphWindow::hideEvent(QHideEvent* event) {
  closeTimer_.stop();
  QWidget::hideEvent(event);
  emit closed();
}

void GraphWindow::contextMenuEvent(QContextMenuEvent* event) {
  popupMenu()->popup(event->globalPos());
}

void GraphWindow::SaveToBitmap() {
  const QString bitmapFilter = QStringLiteral("Bitmap (*.bmp)");
  const QString pngFilter = QStringLiteral("PNG image (*.png)");
  QString chosenFilter = bitmapFilter;
  QString name = chooseFile_(QStringLiteral("Save to Bitmap"), QStringLiteral("Noname.bmp"),
                             bitmapFilter + QStringLiteral(";;") + pngFilter, &chosenFilter);
  if (name.isEmpty()) return;
  // The format follows the extension; a name without one takes the chosen filter's.
  QString suffix = QFileInfo(name).suffix().toLower();
  if (suffix != QStringLiteral("bmp") && suffix != QStringLiteral("png")) {
    suffix = chosenFilter == pngFilter ? QStringLiteral("png") : QStringLiteral("bmp");
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".") + suffix;
  }
  emit statusText(QStringLiteral("Saving ") + name);
  const QImage image = Bitmap();
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, suffix.toUpper().toLatin1()) ||
      !file.commit()) {
    ShowError("Unable to WRITE");
  }
}

void GraphWindow::CopyToClipboard() { QGuiApplication::clipboard()->setImage(Bitmap()); }

void GraphWindow::QuickPrint() {
  QPrinter printer(QPrinter::HighResolution);
  if (QPrinterInfo::defaultPrinter().isNull()) {
    // Without a printer the graph goes to a PDF file.
    QString filter;
    const QString name = chooseFile_(QStringLiteral("Quick Print"), QStringLiteral("Noname.pdf"),
                                     QStringLiteral("PDF file (*.pdf)"), &filter);
    if (name.isEmpty()) return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
  }
  printer.setPageOrientation(QPageLayout::Landscape);
  QPainter painter;
  if (!painter.begin(&printer)) {
    ShowError("Unable to WRITE");
    return;
  }
  // The graph keeps the window's proportions, as large as the page allows, at the printer's
  // resolution.
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const double scale = printer.resolution() / 96.0;
  QSize size = this->size() * scale;
  size.scale(page.size(), Qt::KeepAspectRatio);
  SheetScope scope(slot_);
  DrawGraph(painter, QRect(QPoint(0, 0), size), namedIndex_, scale);
  painter.end();
}
