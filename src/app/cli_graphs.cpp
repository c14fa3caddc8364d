// app/cli_graphs.cpp — graph images and printed graphs of tallivo-cli (see cli_graphs.h).
#include "app/cli_graphs.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cstdlib>

#include "graph/graph_draw.h"
#include "graph/graph_geometry.h"

namespace {

// Qt's own diagnostics (a missing runtime directory and the like) are not the tool's output.
void DropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Drawing text needs a QGuiApplication; without a display it uses the offscreen platform. It
// lives until the process ends: destroying it from an exit handler would outlive its plugins.
void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(DropQtMessage);
  static int argc = 1;
  static char name[] = "tallivo-cli";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

}  // namespace

const char* GraphImageFormat(const std::string& fileName) {
  const QString name = QString::fromStdString(fileName);
  const qsizetype dot = name.lastIndexOf('.');
  if (dot < 0 || name.indexOf('/', dot) >= 0) return nullptr;
  const QString extension = name.mid(dot + 1);
  if (extension.compare("bmp", Qt::CaseInsensitive) == 0) return "BMP";
  if (extension.compare("png", Qt::CaseInsensitive) == 0) return "PNG";
  return nullptr;
}

GraphImageResult SaveGraphImage(const std::string& fileName, const char* format, int namedIndex,
                                int width, int height, int turns) {
  EnsureGuiApplication();
  double angle = 0;
  for (int i = 0; i < turns; ++i) angle = TurnView(angle);
  SetGraphViewAngle(angle);
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  bool drawn = false;
  {
    QPainter painter(&image);
    drawn = DrawGraph(painter, image.rect(), namedIndex, 1.0);
  }
  QSaveFile file(QString::fromStdString(fileName));
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, format) || !file.commit()) {
    return GraphImageResult::kUnwritable;
  }
  return drawn ? GraphImageResult::kSaved : GraphImageResult::kUndefined;
}

GraphImageResult PrintGraphToPdfFile(const std::string& fileName, int namedIndex) {
  EnsureGuiApplication();
  QSaveFile file(QString::fromStdString(fileName));
  if (!file.open(QIODevice::WriteOnly)) return GraphImageResult::kUnwritable;
  bool drawn = false;
  {
    // The batch tool's paper: US Letter, landscape for a graph, as the desktop's quick print.
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QPageSize::Letter));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setResolution(300);
    QPainter painter(&pdf);
    const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
    drawn = DrawGraph(painter, QRect(QPoint(0, 0), area.size()), namedIndex, pdf.resolution() / 96.0);
  }
  if (!file.commit()) return GraphImageResult::kUnwritable;
  return drawn ? GraphImageResult::kSaved : GraphImageResult::kUndefined;
}
