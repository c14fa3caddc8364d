// ui/dialog_parts.cpp — see dialog_parts.h.
#include "ui/dialog_parts.h"

#include <QColor>
#include <QGroupBox>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

QIcon SwatchIcon(QRgb colour) {
  QPixmap pm(16, 12);
  pm.fill(QColor(colour));
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 11);
  return QIcon(pm);
}

QGroupBox* Group(QWidget* parent, const char* caption) {
  auto* g = new QGroupBox(QString::fromUtf8(caption), parent);
  new QVBoxLayout(g);
  return g;
}
