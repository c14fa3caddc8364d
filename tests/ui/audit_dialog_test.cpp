// Qt Test: the audit window opened by Sheet > Audit — the tree at the cursor, the depth, the
// range prompts of the cell and range fields, the XRef list, the map and chart painted into
// images, and printing the report and the chart to PDF.
#include "ui/audit_dialog.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "commands/commands.h"
#include "commands/engine_start.h"
#include "main_window_fixture.h"
#include "ui/range_prompt.h"

class AuditDialogTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  // A1 5, B1 +A1, C1 +B1*2, D1 +A1+B1, E3 a label; the cursor on A1; the audit window open.
  AuditDialog* OpenOnSheet() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      const char* const kCells[][2] = {
          {"A1", "5"}, {"B1", "+A1"}, {"C1", "+B1*2"}, {"D1", "+A1+B1"}, {"E3", "'note"}};
      for (const auto& [ref, text] : kCells) {
        const ParsedCell p = ParseCellRef(ref);
        if (!EnterIntoCell(p.row, p.column, text).Done()) return nullptr;
      }
    }
    Grid()->moveTo(0, 0);
    f.Run(Cmd::kAudit);
    return f.auditDialog();
  }

  static QStringList Texts(QTreeWidgetItem* item) {
    QStringList out{item->text(0)};
    for (int i = 0; i < item->childCount(); ++i) {
      for (const QString& t : Texts(item->child(i))) out << QStringLiteral("  ") + t;
    }
    return out;
  }

  static int CountPixels(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) n += image.pixelColor(x, y) == colour;
    }
    return n;
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void theMenuOpensTheTreeOfTheCursorCell() {
    AuditDialog* d = OpenOnSheet();
    QVERIFY(d);
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QStringLiteral("Audit Cell References"));
    const QStringList tabs{"&Tree", "&Overview", "&Stats", "&XRef"};
    for (int i = 0; i < tabs.size(); ++i) QCOMPARE(d->tabs()->tabText(i), tabs[i]);
    QCOMPARE(d->cellField()->text(), QStringLiteral("A1"));
    QCOMPARE(d->depthField()->value(), 1);
    QCOMPARE(d->tree()->topLevelItemCount(), 1);
    QCOMPARE(Texts(d->tree()->topLevelItem(0)),
             (QStringList{"A1: 5", "  B1: +A1", "  D1: +A1+B1"}));
    QCOMPARE(d->totalLabel()->text(), QStringLiteral("Total References: 2"));

    d->depthField()->setValue(2);
    QCOMPARE(Texts(d->tree()->topLevelItem(0)), (QStringList{"A1: 5", "  B1: +A1", "    C1: +B1*2",
                                                             "    D1: +A1+B1", "  D1: +A1+B1"}));
    QCOMPARE(d->totalLabel()->text(), QStringLiteral("Total References: 4"));
    QCOMPARE(d->levelLabel()->text(), QStringLiteral("Deepest Level: 2"));

    d->tabs()->setCurrentIndex(1);
    QCOMPARE(d->rangeLabel()->text(), QStringLiteral("Range: A1..E3"));
    QCOMPARE(d->cellsLabel()->text(), QStringLiteral("Total Cells: 5"));

    QCOMPARE(d->xrefField()->text(), QStringLiteral("A1..E3"));
    QCOMPARE(d->xref()->topLevelItemCount(), 2);
    const QStringList first{"A1", "Integer 3", "2", "B1,D1"};
    const QStringList second{"B1", "Form 1", "2", "C1,D1"};
    for (int column = 0; column < 4; ++column) {
      QCOMPARE(d->xref()->topLevelItem(0)->text(column), first[column]);
      QCOMPARE(d->xref()->topLevelItem(1)->text(column), second[column]);
    }
  }

  // A circle where each cell has two dependents: the outline nests as deep as the line limit.
  void aHugeTreeEndsWithAnEllipsis() {
    AuditDialog* d = OpenOnSheet();
    QVERIFY(d);
    {
      SheetScope scope(Slot());
      QVERIFY(EnterIntoCell(5, 1, "+A6").Done());
      QVERIFY(EnterIntoCell(5, 2, "+A6").Done());
      QVERIFY(EnterIntoCell(5, 0, "+B6+C6").Done());
    }
    d->cellField()->setText(QStringLiteral("A6"));
    d->depthField()->setValue(9999);
    QCOMPARE(d->totalLabel()->text(), QStringLiteral("Total References: 10000"));
    QTreeWidgetItem* item = d->tree()->topLevelItem(0);
    int depth = 0;
    while (item->childCount() > 0) {
      item = item->child(0);
      ++depth;
    }
    QCOMPARE(depth, 9999);
    QTreeWidgetItem* last = d->tree()->topLevelItem(0);  // the last line: always the last child
    while (last->childCount() > 0) last = last->child(last->childCount() - 1);
    QCOMPARE(last->text(0), QStringLiteral("..."));
    d->depthField()->setValue(1);  // the deep outline goes away again
    QCOMPARE(d->totalLabel()->text(), QStringLiteral("Total References: 2"));
  }

  void doubleClicksAskThroughTheRangePrompt() {
    AuditDialog* d = OpenOnSheet();
    QVERIFY(d);
    RangePrompt* prompt = frame_->rangePrompt();
    QTest::mouseDClick(d->cellField(), Qt::LeftButton);
    QVERIFY(prompt->isOpen());
    QVERIFY(!d->isVisible());
    QCOMPARE(prompt->caption(), QStringLiteral("TREE: Specify Cell"));
    prompt->setText(QStringLiteral("B1"));
    QVERIFY(prompt->Accept());
    QVERIFY(d->isVisible());
    QCOMPARE(d->cellField()->text(), QStringLiteral("B1"));
    QCOMPARE(Texts(d->tree()->topLevelItem(0)),
             (QStringList{"B1: +A1", "  C1: +B1*2", "  D1: +A1+B1"}));

    QTest::mouseDClick(d->xrefField(), Qt::LeftButton);
    QCOMPARE(prompt->caption(), QStringLiteral("XREF: Specify Range"));
    prompt->setText(QStringLiteral("B1..B1"));
    QVERIFY(prompt->Accept());
    QCOMPARE(d->xrefField()->text(), QStringLiteral("B1"));
    QCOMPARE(d->xref()->topLevelItemCount(), 1);
    QCOMPARE(d->xref()->topLevelItem(0)->text(0), QStringLiteral("B1"));
  }

  void theMapAndTheChartPaintInKindColours() {
    AuditDialog* d = OpenOnSheet();
    QVERIFY(d);
    AuditCounts counts;
    std::vector<AuditMapCell> cells;
    {
      SheetScope scope(Slot());
      counts = CountCellKinds();
      cells = AuditMapCells();
    }
    QImage map(400, 300, QImage::Format_RGB32);
    map.fill(Qt::black);
    {
      QPainter painter(&map);
      PaintAuditMap(painter, map.rect(), counts, cells);
    }
    QCOMPARE(map.pixelColor(0, 0), QColor(192, 192, 192));  // the frame
    struct Case {
      int row, column;
      QColor colour;
    } cases[] = {{0, 0, Qt::red},
                 {0, 1, Qt::blue},
                 {0, 3, Qt::blue},
                 {2, 4, QColor(128, 128, 0)},
                 {2, 0, Qt::white}};
    for (const Case& c : cases) {
      const AuditRect r = AuditMapCellRect(counts, c.row, c.column, 400, 300);
      QCOMPARE(map.pixelColor(r.left + r.width / 2, r.top + r.height / 2), c.colour);
    }

    QImage chart(500, 300, QImage::Format_RGB32);
    chart.fill(Qt::black);
    {
      QPainter painter(&chart);
      PaintAuditChart(painter, chart.rect(), counts);
    }
    const AuditChart layout = LayOutAuditChart(counts, 500, 300);
    QCOMPARE(layout.bars.size(), size_t(5));
    const AuditRect formula = layout.bars[0].bar;  // three formulas: the tallest bar
    QCOMPARE(chart.pixelColor(formula.left + formula.width / 2, formula.top + formula.height / 2),
             QColor(Qt::blue));
    const AuditRect real = layout.bars[1].bar;  // no reals: no bar
    QCOMPARE(real.height, 0);
    QCOMPARE(CountPixels(chart, QRect(0, 30, 500, 200), QColor(Qt::green)), 0);
    const AuditRect integer = layout.bars[2].bar;
    QCOMPARE(chart.pixelColor(integer.left + integer.width / 2, integer.top + integer.height / 2),
             QColor(Qt::red));

    // The Stats tab's own widget paints the same chart.
    d->tabs()->setCurrentIndex(2);
    d->chart()->resize(500, 300);
    QImage shown(d->chart()->size(), QImage::Format_RGB32);
    d->chart()->render(&shown);
    QCOMPARE(shown.pixelColor(formula.left + formula.width / 2, formula.top + formula.height / 2),
             QColor(Qt::blue));

    // An empty sheet: the heading and nothing else.
    QImage empty(500, 300, QImage::Format_RGB32);
    {
      QPainter painter(&empty);
      PaintAuditChart(painter, empty.rect(), AuditCounts{});
    }
    QCOMPARE(CountPixels(empty, QRect(0, 30, 500, 270), QColor(Qt::white)), 500 * 270);
    QVERIFY(CountPixels(empty, QRect(0, 0, 500, 24), QColor(Qt::white)) < 500 * 24);
  }

  void theReportAndTheChartPrintToPdf() {
    AuditDialog* d = OpenOnSheet();
    QVERIFY(d);
    QCOMPARE(d->ReportLines().size(), size_t(6));
    QCOMPARE(d->ReportLines()[4], std::string("A1\t Integer 3\t 2\t: B1,D1"));
    QStringList asked;
    int made = 0;
    d->setPrinterRequest([&](QWidget*, const QString& title) {
      asked << title;
      auto* printer = new QPrinter;
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(Path(QStringLiteral("print%1.pdf").arg(made++)));
      return printer;
    });
    d->PrintReport();
    d->PrintChart();
    QCOMPARE(asked, (QStringList{"Cross Reference Report", "Cell Statistics"}));
    for (int i = 0; i < 2; ++i) {
      QFile pdf(Path(QStringLiteral("print%1.pdf").arg(i)));
      QVERIFY(pdf.open(QIODevice::ReadOnly));
      QVERIFY(pdf.read(5) == "%PDF-");
      QVERIFY(pdf.size() > 500);
    }
    d->setPrinterRequest([](QWidget*, const QString&) -> QPrinter* { return nullptr; });
    d->PrintReport();  // cancelled: nothing printed, nothing broken
    QVERIFY(d->isVisible());
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ResetEngineState();
  AuditDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "audit_dialog_test.moc"
