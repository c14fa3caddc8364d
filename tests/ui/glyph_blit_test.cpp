// Qt Test: glyphs written straight into an image give the painter's pixels, and the direct path
// is taken only where it can be exact.
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QtTest>
#include <functional>

#include "ui/glyph_blit.h"
#include "ui/row_painter.h"
#include "ui_fixture.h"

namespace {

// A background that differs from pixel to pixel, so any misplaced or mis-blended pixel shows.
QImage Patterned(int width, int height, QImage::Format format) {
  QImage image(width, height, format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb((x * 29) & 255, (y * 71) & 255, ((x ^ y) * 13) & 255));
  return image;
}

QRawFont RawFont(const QString& family, int pixelSize, bool bold, bool italic) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  return QRawFont::fromFont(font);
}

}  // namespace

class GlyphBlitTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { FreshEngineWithSheet(); }

  void directDrawingGivesThePaintersPixels() {
    struct Case {
      int line;
      const char* family;
      int size;
      bool bold;
      bool italic;
      QRgb colour;
      QImage::Format format;
    };
    const Case kCases[] = {
        {__LINE__, "Arial", 12, false, false, 0xFF000000u, QImage::Format_RGB32},
        {__LINE__, "Arial", 12, true, false, 0xFFFF0000u, QImage::Format_RGB32},
        {__LINE__, "Arial", 12, false, true, 0xFF008000u, QImage::Format_ARGB32_Premultiplied},
        {__LINE__, "Arial", 9, false, false, 0xFFFFFFFFu, QImage::Format_RGB32},
        {__LINE__, "Arial", 27, true, true, 0xFF000080u, QImage::Format_ARGB32_Premultiplied},
        {__LINE__, "DejaVu Serif", 15, false, false, 0xFF808000u, QImage::Format_RGB32},
    };
    const QString text = QStringLiteral("($1,234.50) Wojtek's fjord -0.125% \u20AC\u00E9");
    for (const Case& c : kCases) {
      const QString where = QStringLiteral("case at line %1").arg(c.line);
      const QRawFont raw = RawFont(QString::fromLatin1(c.family), c.size, c.bold, c.italic);
      GlyphMasks masks(raw);
      QVERIFY2(masks.Usable(), qPrintable(where));  // plain grey-scale text offscreen
      const QList<quint32> glyphs = raw.glyphIndexesForString(text);
      const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
      QList<QPointF> positions;
      qreal x = 0;
      for (const QPointF& a : advances) {
        positions.append(QPointF(x, 0));
        x += a.x();
      }
      QGlyphRun run;
      run.setRawFont(raw);
      run.setGlyphIndexes(glyphs);
      run.setPositions(positions);
      const QPointF origins[] = {QPointF(4, 2 * c.size), QPointF(7.5, 3 * c.size),
                                 QPointF(-3.25, c.size)};
      const QRect clip(20, 2 * c.size, int(x / 2), c.size + 3);
      QImage painted = Patterned(int(x) + 20, 5 * c.size, c.format);
      QImage direct = painted.copy();
      {
        QPainter p(&painted);
        p.setPen(QColor(c.colour));
        p.drawGlyphRun(origins[0], run);
        p.drawGlyphRun(origins[2], run);
        p.setClipRect(clip);
        p.drawGlyphRun(origins[1], run);
      }
      {
        QPainter p(&direct);
        const DirectTarget target = DirectTargetOf(p);
        QVERIFY2(target.image == &direct, qPrintable(where));
        const int n = int(glyphs.size());
        masks.Draw(target, origins[0], glyphs.constData(), positions.constData(), n, c.colour,
                   direct.pixel(0, 0), nullptr);
        masks.Draw(target, origins[2], glyphs.constData(), positions.constData(), n, c.colour,
                   0xFF000000u, nullptr);
        masks.Draw(target, origins[1], glyphs.constData(), positions.constData(), n, c.colour,
                   direct.pixel(20, 2 * c.size), &clip);
      }
      QVERIFY2(painted == direct, qPrintable(where));
    }
  }

  // Every phase of many glyphs: more masks than one font keeps, so the set starts over midway.
  void manyPhasesStillGiveThePaintersPixels() {
    const QRawFont raw = RawFont(QStringLiteral("Arial"), 12, false, false);
    GlyphMasks masks(raw);
    QVERIFY(masks.Usable());
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    for (quint32 g = 3; g < 73; ++g) {
      glyphs.push_back(g);
      positions.emplace_back(20.0 * (g - 3), 0);
    }
    const int n = int(glyphs.size());
    QGlyphRun run;
    run.setRawFont(raw);
    run.setRawData(glyphs.data(), positions.data(), n);
    QImage painted = Patterned(1450, 30, QImage::Format_RGB32);
    QImage direct = painted.copy();
    for (int phase = 0; phase < 64; ++phase) {
      const QPointF origin(5 + phase / 64.0, 20);
      {
        QPainter p(&painted);
        p.setPen(QColor(0xFF101010u));
        p.drawGlyphRun(origin, run);
      }
      QPainter p(&direct);
      masks.Draw(DirectTargetOf(p), origin, glyphs.data(), positions.data(), n, 0xFF101010u,
                 0xFF000000u, nullptr);
    }
    QVERIFY(painted == direct);
  }

  void directTargetOnlyWhereDrawingIsExact() {
    struct Case {
      int line;
      QImage::Format format;
      std::function<void(QPainter&)> setUp;
      bool direct;
      QPoint offset;
    };
    const Case kCases[] = {
        {__LINE__, QImage::Format_RGB32, [](QPainter&) {}, true, QPoint()},
        {__LINE__, QImage::Format_ARGB32_Premultiplied, [](QPainter&) {}, true, QPoint()},
        {__LINE__, QImage::Format_RGB32, [](QPainter& p) { p.translate(7, -3); }, true,
         QPoint(7, -3)},
        {__LINE__, QImage::Format_RGB32, [](QPainter& p) { p.translate(0.5, 0); }, false, QPoint()},
        {__LINE__, QImage::Format_RGB32, [](QPainter& p) { p.scale(2, 2); }, false, QPoint()},
        {__LINE__, QImage::Format_RGB32, [](QPainter& p) { p.setClipRect(0, 0, 5, 5); }, false,
         QPoint()},
        {__LINE__, QImage::Format_RGB32, [](QPainter& p) { p.setOpacity(0.5); }, false, QPoint()},
        {__LINE__, QImage::Format_RGB32,
         [](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Source); }, false,
         QPoint()},
        {__LINE__, QImage::Format_RGB16, [](QPainter&) {}, false, QPoint()},
        {__LINE__, QImage::Format_ARGB32, [](QPainter&) {}, false, QPoint()},
    };
    for (const Case& c : kCases) {
      const QString where = QStringLiteral("case at line %1").arg(c.line);
      QImage image(40, 30, c.format);
      QPainter p(&image);
      c.setUp(p);
      const DirectTarget t = DirectTargetOf(p);
      QVERIFY2((t.image != nullptr) == c.direct, qPrintable(where));
      if (!c.direct) continue;
      QCOMPARE(t.offset, c.offset);
      QCOMPARE(t.clip.size(), size_t(1));
      QCOMPARE(t.clip[0], image.rect());
    }
  }

  // A painter with a clip of its own draws every glyph through QPainter; the rows must come out
  // the same as drawn directly.
  void rowsPaintTheSameDirectlyAndThroughThePainter() {
    SetCellFontNames({QStringLiteral("DejaVu Serif"), QStringLiteral("Arial")});
    for (int c = 0; c < 12; ++c) {
      PutLabel(0, c, c % 3 ? "'Item 1234" : "\"A long label running on and on");
      PutNumber(1, c, -1234.5678 * (c + 1), uint8_t(0x42 - (c % 3) * 0x20));
      CellRecord* l = PutLabel(2, c, c % 2 ? "'Bold \x80 \xE9t\xE9" : "^Italic ffj");
      l->style = uint8_t(c % 2 ? 0x01 : 0x02);
      l->colour = uint8_t(0x80 | (c % 16));
      CellRecord* n = PutNumber(3, c, 123456789.125 * c, 0x02);  // too wide for most columns
      n->font = uint8_t(c % 2);
      n->size = uint8_t(9 + c);
    }
    PutLabel(4, 0, "\\=");
    PutLabel(4, 3, "'Under");
    CellAt(GetOrCreateCell(4, 3))->style = 0x04;
    int widths[256];
    for (int i = 0; i < 256; ++i) widths[i] = 30 + (i * 17) % 60;
    GridDisplay display;
    display.gridLines = 7;
    for (int scale : {100, 75, 150}) {
      QImage direct(900, 140, QImage::Format_RGB32);
      direct.fill(Qt::magenta);
      QImage painted = direct.copy();
      for (QImage* image : {&direct, &painted}) {
        QPainter p(image);
        for (int row = 0; row < 5; ++row) {
          // Set again for every row: the painter's clipped texts switch clipping off.
          if (image == &painted) p.setClipRect(image->rect());
          RowPaint r;
          r.row = row;
          r.firstColumn = 0;
          r.lastColumn = 11;
          r.rect = QRect(2, row * 26, 890, 25);
          r.scale = scale;
          r.widths = widths;
          r.display = &display;
          r.cursorRow = 1;
          r.cursorColumn = 2;
          r.selection = MakeRange(4, 0, 6, 2);
          PaintRow(p, r);
        }
      }
      QVERIFY2(direct == painted, qPrintable(QStringLiteral("scale %1").arg(scale)));
    }
  }
};

int main(int argc, char** argv) {
  UseOffscreenByDefault();
  QApplication app(argc, argv);
  GlyphBlitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "glyph_blit_test.moc"
