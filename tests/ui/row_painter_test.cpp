// Qt Test: rows painted into an image show the colours, fills, overflow and borders users see.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "core/entry.h"
#include "core/format.h"
#include "core/grid_geometry.h"
#include "ui/row_painter.h"
#include "ui_fixture.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 15;
constexpr int kColumns = 5;
constexpr QRgb kOddRows = 0xFFFFFFE0u;  // (255, 255, 224)
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kNavy = 0xFF000080u;
constexpr QRgb kGreen = 0xFF008000u;

struct Painted {
  QImage image;
  int widths[256];
};

// Paints columns 0..4 of `row` at 64 pixels each into a fresh image.
QImage PaintOne(int row, const GridDisplay& display, CellRange selection = NoRange(),
                int cursorRow = -1, int cursorColumn = -1, bool title = false) {
  static int widths[256];
  std::fill(std::begin(widths), std::end(widths), kWidth);
  QImage image(kWidth * kColumns, kHeight, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter p(&image);
  RowPaint r;
  r.row = row;
  r.firstColumn = 0;
  r.lastColumn = kColumns - 1;
  r.rect = QRect(0, 0, kWidth * kColumns, kHeight);
  r.widths = widths;
  r.selection = selection;
  r.cursorRow = cursorRow;
  r.cursorColumn = cursorColumn;
  r.title = title;
  r.display = &display;
  PaintRow(p, r);
  return image;
}

// Pixels of the column's cell (x inside [col*64, col*64+63], rows 0..13) whose colour differs
// from `background`.
int InkIn(const QImage& image, int column, QRgb background) {
  int ink = 0;
  for (int y = 0; y < kHeight - 1; ++y)
    for (int x = column * kWidth; x < column * kWidth + kWidth - 1; ++x)
      if (image.pixel(x, y) != background) ++ink;
  return ink;
}

GridDisplay Plain() {
  GridDisplay d;
  d.banding = false;
  d.gridLines = 0;
  return d;
}

// The cell `column` drawn the way the painter should: `text` in the default font on white,
// starting at `start`, on the bottom line of a 15-pixel row.
QImage Expected(const QString& text, int start, QRgb colour) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter p(&image);
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(12);
  p.setFont(f);
  p.setPen(QColor(colour));
  QFontMetrics fm(f, &image);
  p.setClipRect(QRect(0, 0, kWidth, kHeight));
  p.drawText(QPoint(start, kHeight - fm.descent()), text);
  return image;
}

QImage CellOf(const QImage& row, int column) { return row.copy(column * kWidth, 0, kWidth, kHeight); }

QFontMetrics DefaultMetrics() {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(12);
  QImage probe(1, 1, QImage::Format_RGB32);
  return QFontMetrics(f, &probe);
}

}  // namespace

class RowPainterTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { FreshEngineWithSheet(); }

  void rowBackgroundFollowsBandingAndTitles() {
    struct Case {
      int line;
      int row;
      bool banding;
      bool title;
      QRgb expected;
    };
    const Case kCases[] = {
        {__LINE__, 0, true, false, kOddRows},  // first screen row is an "odd" row
        {__LINE__, 1, true, false, kWhite},
        {__LINE__, 2, true, false, kOddRows},
        {__LINE__, 0, false, false, kWhite},
        {__LINE__, 1, true, true, kTitleBackground},
    };
    for (const Case& c : kCases) {
      GridDisplay d;
      d.banding = c.banding;
      d.gridLines = 0;
      const QImage image = PaintOne(c.row, d, NoRange(), -1, -1, c.title);
      QVERIFY2(image.pixel(100, 5) == c.expected, qPrintable(QString("line %1").arg(c.line)));
    }
  }

  void selectionIsRedWithWhiteTextAndCursorBlue() {
    PutLabel(1, 1, "'Hello");
    const GridDisplay d = Plain();
    const QImage image = PaintOne(1, d, MakeRange(1, 1, 2, 1), 1, 3);
    QCOMPARE(image.pixel(kWidth + 2, 2), 0xFFFF0000u);       // selected label cell
    QCOMPARE(image.pixel(2 * kWidth + 30, 2), 0xFFFF0000u);  // selected empty cell
    QCOMPARE(image.pixel(3 * kWidth + 30, 2), 0xFF0000FFu);  // the cursor cell
    QCOMPARE(image.pixel(4 * kWidth + 30, 2), kWhite);
    // The label's text is white on the red.
    int white = 0;
    for (int x = kWidth; x < 2 * kWidth; ++x)
      for (int y = 0; y < kHeight; ++y) white += image.pixel(x, y) == kWhite;
    QVERIFY(white > 5);
  }

  void unlockedCellsUnderProtectionTakeTheirFeature() {
    CellRecord* shaded = PutNumber(1, 0, 5, 0x71);  // unlocked, with its own red shade
    shaded->colour = 0x00;
    shaded->shade[0] = 255;
    PutNumber(1, 1, 5, 0xF1);  // locked, no shade
    const GridDisplay d = Plain();
    QImage image = PaintOne(1, d);
    QCOMPARE(image.pixel(2, 2), 0xFFFF0000u);  // protection off: its own shade
    Options().setProtection(true);
    image = PaintOne(1, d);
    QCOMPARE(image.pixel(2, 2), kNavy);               // "Unlocked Cells" background
    QCOMPARE(image.pixel(kWidth + 2, 2), kWhite);     // the locked one keeps the row background
    // Its text is silver, the feature's foreground.
    bool silver = false;
    for (int x = 0; x < kWidth; ++x)
      for (int y = 0; y < kHeight; ++y) silver |= image.pixel(x, y) == 0xFFC0C0C0u;
    QVERIFY(silver);
  }

  void labelOverflowStopsAtFilledAndHiddenCells() {
    PutLabel(1, 0, "'A label much too long for one column of the grid");
    PutNumber(1, 2, 7, 0x76);  // hidden: shows nothing but is not empty
    const GridDisplay d = Plain();
    QImage image = PaintOne(1, d);
    QVERIFY(InkIn(image, 0, kWhite) > 0);
    QVERIFY(InkIn(image, 1, kWhite) > 0);  // spilled into the empty neighbour
    QCOMPARE(InkIn(image, 2, kWhite), 0);  // cut at the hidden cell
    QCOMPARE(InkIn(image, 3, kWhite), 0);

    // A blank cell (attributes only) lets the label run on.
    CellRecord* hidden = CellAt(GetCell(1, 2));
    hidden->kind = uint8_t(CellKind::kBlank);
    hidden->format = 0xFF;
    image = PaintOne(1, d);
    QVERIFY(InkIn(image, 2, kWhite) > 0);

    // Values never spill.
    PutLabel(1, 0, "'x");
    PutNumber(1, 0, 123456789012.0);
    image = PaintOne(1, d);
    QCOMPARE(InkIn(image, 1, kWhite), 0);
  }

  void tooWideValueShowsXAndBackslashRepeats() {
    const GridDisplay d = Plain();
    const QFontMetrics fm = DefaultMetrics();
    PutNumber(1, 0, 123456789012.0, 0x02);  // fixed 2 decimals: far wider than 64 pixels
    QVERIFY(fm.horizontalAdvance(QString::fromLatin1(FormatValue(8, 0x02, 123456789012.0))) > kWidth);
    PutLabel(1, 1, "\\-");
    const QImage image = PaintOne(1, d);

    const int xCount = FillCount(kWidth, fm.horizontalAdvance(QString(240, QLatin1Char('x'))));
    const QString xs(xCount, QLatin1Char('x'));
    const int xStart = kWidth - 4 - fm.horizontalAdvance(xs);
    QCOMPARE(CellOf(image, 0), Expected(xs, xStart, kNavy));

    const int dashRun = fm.horizontalAdvance(QString(240, QLatin1Char('-')));
    const int dashCount = (kWidth - 8) / ((dashRun + 120) / 240);
    QCOMPARE(CellOf(image, 1), Expected(QString(dashCount, QLatin1Char('-')), 4, kGreen));
    QCOMPARE(InkIn(image, 2, kWhite), 0);  // a fill stays in its column
  }

  void hiddenFormatAndTextFormat() {
    const GridDisplay d = Plain();
    PutNumber(1, 0, 42, 0xF6);  // hidden
    PutNumber(1, 1, 84, 0xF5);
    EnterCell("+A2*2", 1, 1);
    const QImage image = PaintOne(1, d);
    QCOMPARE(InkIn(image, 0, kWhite), 0);
    QCOMPARE(CellOf(image, 1), Expected(QStringLiteral("+A2*2"), 4, kNavy));
  }

  void bordersAreDrawnOnTopInBlack() {
    GridDisplay d = Plain();
    d.gridLines = 3;
    CellRecord* thin = PutLabel(1, 1, "'");
    thin->kind = uint8_t(CellKind::kBlank);
    thin->borders = 0x55;  // thin on every edge
    CellRecord* thick = PutNumber(1, 3, 1);
    thick->borders = 0x08;  // thick bottom only
    const QImage image = PaintOne(1, d);
    const QRgb black = 0xFF000000u;
    QCOMPARE(image.pixel(kWidth - 1, 7), black);      // left edge, one pixel left of the cell
    QCOMPARE(image.pixel(2 * kWidth - 1, 7), black);  // right edge on the separator
    QCOMPARE(image.pixel(kWidth + 30, 0), black);     // top
    QCOMPARE(image.pixel(kWidth + 30, kHeight - 1), black);  // bottom, over the row separator
    QCOMPARE(image.pixel(kWidth + 30, 1), kWhite);
    QCOMPARE(image.pixel(3 * kWidth + 30, kHeight - 1), black);
    QCOMPARE(image.pixel(3 * kWidth + 30, kHeight - 2), black);  // thick: two pixels
    QCOMPARE(image.pixel(3 * kWidth + 30, kHeight - 3), kWhite);
    // Grid separators where no border lies.
    QCOMPARE(image.pixel(4 * kWidth + 30, kHeight - 1), 0xFFC0C0C0u);
    QCOMPARE(image.pixel(kWidth - 1, 0), black);
    QCOMPARE(image.pixel(3 * kWidth - 1, 5), 0xFFC0C0C0u);
  }

  void negativeColouringAndOwnForeground() {
    GridDisplay d = Plain();
    d.colourNegative = true;
    PutNumber(1, 0, -5);
    CellRecord* own = PutNumber(1, 1, 5);
    own->colour = 0x80 | 13;  // no shade, magenta text, no automatic colour
    const QImage image = PaintOne(1, d);
    auto has = [&](int column, QRgb colour) {
      for (int x = column * kWidth; x < (column + 1) * kWidth; ++x)
        for (int y = 0; y < kHeight; ++y)
          if (image.pixel(x, y) == colour) return true;
      return false;
    };
    QVERIFY(has(0, 0xFFFF0000u));
    QVERIFY(has(1, 0xFFFF00FFu));
  }

  void arialResolvesToAMetricCompatibleFace() {
    const QString family = ResolvedFamily(QStringLiteral("Arial"));
    QVERIFY2(family == QStringLiteral("Arial") || family == QStringLiteral("Liberation Sans"),
             qPrintable(family));
  }
};

int main(int argc, char** argv) {
  UseOffscreenByDefault();
  QApplication app(argc, argv);
  RowPainterTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "row_painter_test.moc"
