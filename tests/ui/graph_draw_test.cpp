// Qt Test: DrawGraph into QImages — every type with zero, negative, missing and label cells,
// zero-span manual scales and logarithmic axes; bar placement measured in pixels; named graphs
// leave the current definition and the error flag alone; undefined graphs.
#include "graph/graph_draw.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>
#include <cmath>
#include <numbers>
#include <cstring>

#include "core/graph_definition.h"
#include "core/palette.h"
#include "ui_fixture.h"

namespace {

QColor Palette(int i) { return QColor(kPalette[size_t(i)].red, kPalette[size_t(i)].green, kPalette[size_t(i)].blue); }

int ColourCount(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3) {
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  }
  return int(colours.size());
}

QImage Draw(int namedIndex = -1, bool* drawn = nullptr, QSize size = QSize(480, 360)) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  const bool ok = DrawGraph(painter, image.rect(), namedIndex, 1.0);
  if (drawn) *drawn = ok;
  return image;
}

}  // namespace

class GraphDrawTest : public QObject {
  Q_OBJECT

  // A1..A6 labels, B numbers with 0, C negatives, D a gap and a label cell, E explode values.
  static void FillData() {
    const char* kMonths[] = {"'Jan", "'Feb", "'Mar", "'Apr", "'May", "'Jun"};
    const double kB[] = {0, 2, 4, 8, 16, 32};
    const double kC[] = {-5, 3, 0, -2, 7, 1};
    const double kE[] = {0, 50, 0, 150, -10, 0};
    for (int r = 0; r < 6; ++r) {
      PutLabel(r, 0, kMonths[r]);
      PutNumber(r, 1, kB[r]);
      PutNumber(r, 2, kC[r]);
      if (r != 2) PutNumber(r, 3, r * 1.5);
      PutNumber(r, 4, kE[r]);
    }
    PutLabel(4, 3, "'n/a");
  }

  static void Define(int type) {
    GraphDefinition g = CurrentGraph();
    ResetGraph(g);
    g.setType(uint8_t(type));
    g.setRange(kGraphXRange, MakeRange(type == kGraphXy || type == kGraphCumulative ? 1 : 0, 0,
                                       type == kGraphContour ? 3 : (type == kGraphXy ? 1 : 0), 5));
    g.setRange(1, type == kGraphContour ? MakeRange(1, 0, 3, 5) : MakeRange(1, 0, 1, 5));
    g.setRange(2, MakeRange(2, 0, 2, 5));
    g.setRange(3, MakeRange(3, 0, 3, 5));
    g.setRange(kGraphLabelRange1, MakeRange(0, 0, 0, 5));
    g.setLabelPlace(1, uint8_t(type % 5));
    g.setHeading(0, "Main");
    g.setHeading(1, "Second");
    g.setHeading(2, "X");
    g.setHeading(3, "Y");
    g.setLegend(1, "one");
    g.setLegend(3, "three");
    g.setGridLines(3);
  }

 private slots:
  void initTestCase() { FreshEngineWithSheet(); }
  void init() {
    FreshEngineWithSheet();
    ResetGraphDrawing();
    FillData();
  }

  void everyTypeDrawsEveryVariant() {
    enum Variant { kPlain, kZeroSpan, kLogarithmic, kTableLegend, kTurned, kVariants };
    for (int variant = kPlain; variant < kVariants; ++variant) {
      for (int type = 0; type < kGraphTypeCount; ++type) {
        Define(type);
        GraphDefinition g = CurrentGraph();
        if (variant == kZeroSpan) {
          g.setManualScale(0, true);
          g.setLowerLimit(0, 3);
          g.setUpperLimit(0, 3);
          g.setManualScale(1, true);
          g.setLowerLimit(1, 2);
          g.setUpperLimit(1, 2);
          g.setDivisions(0, 0);
          g.setDivisions(1, 0);
        } else if (variant == kLogarithmic) {
          g.setLogarithmicX(true);
          g.setLogarithmicY(true);
        } else if (variant == kTableLegend) {
          g.setTableLegend(true);
          g.setDivisionWord(1, 0x0300);
        } else if (variant == kTurned) {
          SetGraphViewAngle(3.5);
          for (int s = 0; s < 7; ++s) {
            g.setStyle(s, GraphStyle{uint8_t(s * 2 + 1), uint8_t(s + 1), 4, 5, uint8_t(s + 8), 7});
          }
        }
        bool drawn = false;
        const QImage image = Draw(-1, &drawn);
        const QString what = QString("type %1 variant %2").arg(type).arg(variant);
        QVERIFY2(drawn, qPrintable(what));
        // Headings, axes or slices in several colours: something was drawn.
        QVERIFY2(ColourCount(image) > 3, qPrintable(what));
      }
    }
  }

  // Thousands of points draw as spans per pixel column (solid pens) or a thinned polyline
  // (other pens): either way the line reaches across the plot without a gap.
  void denseLinesLeaveNoGap() {
    for (int r = 0; r < 3000; ++r) {
      PutNumber(r, 5, r + 1);
      PutNumber(r, 6, (r % 200) * 0.5 + r * 0.01);
    }
    for (int lineStyle : {0, 1}) {
      GraphDefinition g = CurrentGraph();
      ResetGraph(g);
      g.setType(kGraphLine);
      g.setRange(kGraphXRange, MakeRange(5, 0, 5, 2999));
      g.setRange(1, MakeRange(6, 0, 6, 2999));
      g.setSeriesMarks(1, kSeriesLines);
      GraphStyle style = g.style(0);
      style.lineStyle = uint8_t(lineStyle);
      style.thickness = 0;  // one pixel: a column left out shows
      g.setStyle(0, style);
      const QColor colour = Palette(style.foreground);
      const QImage image = Draw();
      std::vector<int> columns;
      for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
          if (QColor(image.pixel(x, y)) == colour) {
            columns.push_back(x);
            break;
          }
        }
      }
      const QString what = QString("line style %1").arg(lineStyle);
      QVERIFY2(columns.size() > size_t(image.width() * 0.6), qPrintable(what));
      for (size_t i = 1; i < columns.size(); ++i) QVERIFY2(columns[i] - columns[i - 1] == 1, qPrintable(what));
    }
  }

  // Every element drawn can be found again under the pointer; the series where its colour is.
  void elementsAreFoundWhereTheyAreDrawn() {
    struct Case {
      int type;
      QStringList present;
      QStringList absent;
    };
    const Case kCases[] = {
        {kGraphBar,
         {"Main Heading", "Second Heading", "X-Axis Heading", "Y-Axis Heading", "X-Axis", "Y-Axis",
          "Plot Area", "Series 1", "Series 2", "Series 3", "Legend 1", "Legend 3", "Data Label 1"},
         {"Legend 2", "Slice 1"}},
        {kGraphLine, {"Series 1", "Series 2", "Legend 1", "Y-Axis"}, {"Slice 1"}},
        {kGraphPie, {"Main Heading", "Slice 2", "Slice 6", "Legend 1"}, {"Y-Axis", "Slice 1"}},
        {kGraphWall3D, {"Series 1", "Series 3", "Plot Area"}, {}},
    };
    for (const Case& c : kCases) {
      Define(c.type);
      const QImage image = Draw();
      QSet<QString> found;
      GraphElement element;
      for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
          if (GraphElementAt(QPointF(x, y), &element)) found.insert(element.name);
        }
      }
      const QString what = QString("type %1 found %2").arg(c.type).arg(QStringList(found.values()).join(", "));
      for (const QString& name : c.present) QVERIFY2(found.contains(name), qPrintable(what + ": " + name));
      for (const QString& name : c.absent) QVERIFY2(!found.contains(name), qPrintable(what + ": " + name));
    }
    // Pixels in series 1's colour inside the bar plot belong to series 1 (without the data
    // labels, which lie on top of the bars).
    Define(kGraphBar);
    CurrentGraph().setRange(kGraphLabelRange1, NoRange());
    const QImage image = Draw();
    const QRectF plot = LastGraphPlotFrame().plot;
    const QColor colour = Palette(CurrentGraph().style(0).foreground);
    int checked = 0;
    GraphElement element;
    for (int y = int(plot.top()) + 2; y < int(plot.bottom()) - 2; y += 3) {
      for (int x = int(plot.left()) + 2; x < int(plot.right()) - 2; x += 3) {
        if (QColor(image.pixel(x, y)) != colour) continue;
        QVERIFY(GraphElementAt(QPointF(x, y), &element));
        QCOMPARE(element.name, QStringLiteral("Series 1"));
        QCOMPARE(element.settingsTag, 2);
        ++checked;
      }
    }
    QVERIFY(checked > 10);
    QVERIFY(!GraphElementAt(QPointF(-5, -5), &element));
  }

  // Bars narrower than a few pixels are their colour alone: outlines would turn the plot black.
  void thinBarsKeepTheirColour() {
    for (int r = 0; r < 400; ++r) {
      PutNumber(r, 5, r + 1);
      PutNumber(r, 6, 10 + r % 7);
      PutNumber(r, 7, 5 + r % 3);
    }
    GraphDefinition g = CurrentGraph();
    ResetGraph(g);
    g.setType(kGraphBar);
    g.setRange(kGraphXRange, MakeRange(5, 0, 5, 399));
    g.setRange(1, MakeRange(6, 0, 6, 399));
    g.setRange(2, MakeRange(7, 0, 7, 399));
    const QImage image = Draw();
    const QRect plot = LastGraphPlotFrame().plot.toRect().adjusted(2, 2, -2, -2);
    int dark = 0, coloured = 0;
    for (int y = plot.top(); y < plot.bottom(); ++y) {
      for (int x = plot.left(); x < plot.right(); ++x) {
        const QColor c(image.pixel(x, y));
        if (c.lightness() < 40) ++dark;
        if (c.saturation() > 40) ++coloured;
      }
    }
    const int all = plot.width() * plot.height();
    QVERIFY2(dark < all / 20, qPrintable(QString("%1 of %2 pixels dark").arg(dark).arg(all)));
    QVERIFY2(coloured > all / 20, qPrintable(QString("%1 of %2 pixels coloured").arg(coloured).arg(all)));
  }

  void pieWithoutPositiveValuesIsEmpty() {
    Define(kGraphPie);
    CurrentGraph().setRange(1, MakeRange(2, 3, 2, 3));  // one cell: -2
    CurrentGraph().setHeading(0, "");
    CurrentGraph().setHeading(1, "");
    CurrentGraph().setLegend(1, "");
    CurrentGraph().setLegend(3, "");
    bool drawn = false;
    const QImage image = Draw(-1, &drawn);
    QVERIFY(drawn);
    QCOMPARE(ColourCount(image), 1);
  }

  // Three series over one category, no 3-D margin: each bar a third of the category width,
  // series 1 leftmost.
  void threeBarsShareTheCategoryInOrder() {
    GraphDefinition g = CurrentGraph();
    ResetGraph(g);
    g.setType(kGraphBar);
    g.setRange(kGraphXRange, MakeRange(0, 0, 0, 0));
    for (int s = 1; s <= 3; ++s) g.setRange(s, MakeRange(1, 1, 1, 1));  // B2 = 2
    g.setStyle(0, GraphStyle{0, 0, 0, 0, 9, 15});
    g.setStyle(1, GraphStyle{0, 0, 0, 0, 12, 15});
    g.setStyle(2, GraphStyle{0, 0, 0, 0, 2, 15});
    const QImage image = Draw(-1, nullptr, QSize(600, 400));
    const int y = LastGraphPlotFrame().plot.center().y() + 40;
    QList<QRgb> runs;
    QList<int> widths;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (c != Palette(9).rgb() && c != Palette(12).rgb() && c != Palette(2).rgb()) continue;
      if (runs.isEmpty() || runs.back() != c) {
        runs.append(c);
        widths.append(0);
      }
      ++widths.back();
    }
    QCOMPARE(runs, (QList<QRgb>{Palette(9).rgb(), Palette(12).rgb(), Palette(2).rgb()}));
    // Categories 1..2: the category is plot width ÷ 2, each bar a third of it.
    const double third = LastGraphPlotFrame().plot.width() / 2 / 3;
    for (int w : widths) QVERIFY2(std::abs(w - third) <= 3, qPrintable(QString::number(w)));
  }

  // High-low bars run from series 1 to series 2; the close of series 3 is only a tick.
  void hiLoBarsRunFromHighToLow() {
    for (int r = 0; r < 3; ++r) {
      PutNumber(r, 5, r + 1);
      PutNumber(r, 6, 10);
      PutNumber(r, 7, 4);
      PutNumber(r, 8, 0);
    }
    GraphDefinition g = CurrentGraph();
    ResetGraph(g);
    g.setType(kGraphHiLo);
    g.setRange(kGraphXRange, MakeRange(5, 0, 5, 2));
    for (int k = 1; k <= 3; ++k) g.setRange(k, MakeRange(uint16_t(5 + k), 0, uint16_t(5 + k), 2));
    const QImage image = Draw(-1, nullptr, QSize(600, 400));
    const GraphPlotFrame frame = LastGraphPlotFrame();
    const int x = int(frame.plot.center().x());  // the middle category
    const QRgb bar = Palette(CurrentGraph().style(0).foreground).rgb();
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixel(x, y) != bar) continue;
      if (top < 0) top = y;
      bottom = y;
    }
    QVERIFY(top >= 0);
    double xv = 0, high = 0, low = 0;
    GraphValuesAt(frame, x, top, &xv, &high);
    GraphValuesAt(frame, x, bottom, &xv, &low);
    QVERIFY2(std::fabs(high - 10) < 0.3, qPrintable(QString::number(high)));
    QVERIFY2(std::fabs(low - 4) < 0.3, qPrintable(QString::number(low)));
  }

  // A radar line with a gap still joins its last point to its first.
  void radarWithAGapStaysClosed() {
    const double kValues[] = {7, 7, std::nan(""), 7, 7};
    for (int r = 0; r < 5; ++r) {
      PutNumber(r, 5, r + 1);
      if (!std::isnan(kValues[r])) PutNumber(r, 6, kValues[r]);
      PutNumber(r, 7, 10);
    }
    GraphDefinition g = CurrentGraph();
    ResetGraph(g);
    g.setType(kGraphRadar);
    g.setRange(kGraphXRange, MakeRange(5, 0, 5, 4));
    g.setRange(1, MakeRange(6, 0, 6, 4));
    g.setRange(2, MakeRange(7, 0, 7, 4));
    g.setSeriesMarks(1, kSeriesLines);
    g.setSeriesMarks(2, kSeriesLines);
    const QImage image = Draw(-1, nullptr, QSize(500, 500));
    const QRectF plot = LastGraphPlotFrame().plot;
    // Spoke i points at π/2 − 2πi/5; 7 of 0..10 lies at 0.7 of the radius.
    auto spoke = [&](int i) {
      const double a = std::numbers::pi / 2 - 2 * std::numbers::pi * i / 5;
      const double r = plot.width() / 2 * 0.7;
      return plot.center() + QPointF(std::cos(a) * r, -std::sin(a) * r);
    };
    const QPointF middle = (spoke(4) + spoke(0)) / 2;
    const QRgb line = Palette(CurrentGraph().style(0).foreground).rgb();
    bool found = false;
    for (int dy = -2; dy <= 2 && !found; ++dy) {
      for (int dx = -2; dx <= 2 && !found; ++dx) {
        found = image.pixel(middle.toPoint() + QPoint(dx, dy)) == line;
      }
    }
    QVERIFY(found);
    // and the gap itself stays open: nothing of the line halfway between spokes 1 and 3.
    const QPointF across = (spoke(1) + spoke(3)) / 2;
    QVERIFY(image.pixel(across.toPoint()) != line);
  }

  void namedGraphLeavesCurrentDefinitionAndErrorFlag() {
    Define(kGraphLine);
    QCOMPARE(StoreNamedGraph("OTHER"), GraphNameResult::kDone);
    CurrentGraph().setType(kGraphPie);
    CurrentGraph().setName("");
    GraphBlock before;
    std::memcpy(before.data(), CurrentGraph().bytes(), kGraphBlockSize);
    for (bool raised : {false, true}) {
      ClearError();
      if (raised) RaiseError("kept");
      bool drawn = false;
      Draw(1, &drawn);
      QVERIFY(drawn);
      QVERIFY(std::memcmp(before.data(), CurrentGraph().bytes(), kGraphBlockSize) == 0);
      QCOMPARE(ErrorRaised(), raised);
      if (raised) QCOMPARE(QString::fromStdString(ErrorText()), QString("kept"));
    }
    // An index that names no graph draws the undefined text.
    bool drawn = true;
    Draw(7, &drawn);
    QVERIFY(!drawn);
  }

  void overlayIsDrawnAtMostTwoLevelsDeep() {
    // A graph whose overlay is itself: drawing stops after two overlay levels.
    Define(kGraphXy);
    CurrentGraph().setOverlay("SELF");
    QCOMPARE(StoreNamedGraph("SELF"), GraphNameResult::kDone);
    bool drawn = false;
    Draw(-1, &drawn);
    QVERIFY(drawn);
  }

  // An overlay brings its own Y labels at the right of the plot, in its first series' colour,
  // and its legend entries after the graph's own.
  void overlayLabelsItsScaleAndJoinsTheLegend() {
    Define(kGraphLine);
    GraphDefinition g = CurrentGraph();
    g.setRange(2, NoRange());
    g.setRange(3, NoRange());
    g.setLegend(1, "over");
    g.setStyle(0, GraphStyle{0, 0, 0, 0, 10, 15});  // green, unlike the bars below
    QCOMPARE(StoreNamedGraph("LINE"), GraphNameResult::kDone);
    Define(kGraphBar);
    CurrentGraph().setLegend(1, "");
    CurrentGraph().setLegend(3, "");
    // Green, or text smoothed towards the white around it.
    auto isGreen = [](QRgb c) { return qGreen(c) > 100 && qRed(c) < qGreen(c) - 60 && qBlue(c) < qGreen(c) - 60; };
    auto greenRightOfPlot = [&](const QImage& image) {
      const QRectF plot = LastGraphPlotFrame().plot;
      int count = 0;
      for (int y = int(plot.top()); y < int(plot.bottom()); ++y) {
        for (int x = int(plot.right()) + 3; x < image.width(); ++x) count += isGreen(image.pixel(x, y));
      }
      return count;
    };
    QCOMPARE(greenRightOfPlot(Draw()), 0);
    GraphElement element;
    CurrentGraph().setOverlay("LINE");
    const QImage image = Draw();
    QVERIFY(greenRightOfPlot(image) > 10);
    // The overlay's legend entry is drawn (a green sample below the plot) but not selectable.
    const QRectF plot = LastGraphPlotFrame().plot;
    bool sample = false;
    for (int y = int(plot.bottom()) + 20; y < image.height() && !sample; ++y) {
      for (int x = 0; x < image.width() && !sample; ++x) {
        if (!isGreen(image.pixel(x, y))) continue;
        sample = true;
        QVERIFY(!GraphElementAt(QPointF(x, y), &element) || !element.name.startsWith("Legend"));
      }
    }
    QVERIFY(sample);
  }

  // Definitions come from files: any bytes in the fields drawing reads must draw without harm.
  void arbitraryDefinitionBytesDraw() {
    QRandomGenerator random(23);
    for (int round = 0; round < 300; ++round) {
      Define(round % kGraphTypeCount);
      uint8_t* b = CurrentGraph().bytes();
      for (size_t at = graph_layout::kType; at < graph_layout::kHeadings; ++at) {
        b[at] = uint8_t(random.bounded(256));
      }
      for (size_t at = graph_layout::kXFormat; at < graph_layout::kOwnUsedEnd; ++at) {
        if (random.bounded(4) == 0) b[at] = uint8_t(random.bounded(256));
      }
      if (round % 3 == 0) {
        const double kExtremes[] = {1e308, -1e308, 0, -0.0, 1e-300, std::nan(""), INFINITY};
        CurrentGraph().setLowerLimit(round % 2, kExtremes[random.bounded(7)]);
        CurrentGraph().setUpperLimit(round % 2, kExtremes[random.bounded(7)]);
      }
      ClearError();
      Draw(-1, nullptr, QSize(200, 150));
      QVERIFY2(!ErrorRaised(), qPrintable(QString::number(round)));
    }
  }

  void undefinedGraphDrawsTheText() {
    ResetGraph(CurrentGraph());
    CurrentGraph().setRange(1, MakeRange(1, 0, 1, 5));  // a series but no X range
    bool drawn = true;
    const QImage image = Draw(-1, &drawn);
    QVERIFY(!drawn);
    QVERIFY(ColourCount(image) > 1);
    QVERIFY(!LastGraphPlotFrame().valid);
  }
};

QTEST_MAIN(GraphDrawTest)
#include "graph_draw_test.moc"
