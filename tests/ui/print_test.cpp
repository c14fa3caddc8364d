// Qt Test: the "Fit" search, printing to a PDF file that holds the pages and headers the page
// listing names, and the preview offscreen with the same pages.
#include <QFileInfo>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "commands/commands.h"
#include "commands/print_commands.h"
#include "core/graph_definition.h"
#include "files/print_layout.h"
#include "print/page_painter.h"
#include "print/print_dialog.h"
#include "ui_fixture.h"

namespace {

// A sheet of `rows` rows in columns A..C and a header with the page number.
void FillSheet(int rows) {
  for (int r = 0; r < rows; ++r) {
    PutLabel(r, 0, "'row");
    PutNumber(r, 1, r + 1);
    PutNumber(r, 2, (r + 1) * 10);
  }
  SetExtent(uint16_t(rows - 1), 2);
  SetPrintHeader("Page #|Top|^F", -1);
}

std::unique_ptr<QPrinter> LetterPdf(const QString& file) {
  auto printer = MakePrinter(QLatin1String(kPdfPrinterChoice), nullptr, file);
  printer->setPageSize(QPageSize(QPageSize::Letter));
  printer->setPageMargins(QMarginsF(0, 0, 0, 0));
  return printer;
}

QString Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { FreshEngineWithSheet("BUDGET.WKS"); }

  void fitFindsTheLargestScaleOnOnePage() {
    struct Case {
      int start;
      int fitsUpTo;  // the largest scale giving one page; 0: never one page
      int expected;
    };
    const Case kCases[] = {
        {100, 200, 200},  // fits at 200 %: stays there
        {100, 0, 50},     // never fits: 50 at the least
        {100, 120, 120},
        {25, 60, 60},
        {100, 1000, 291},  // fits at every scale tried: where the halving steps end
    };
    for (const Case& c : kCases) {
      int calls = 0;
      const int got = FitPrintScale(c.start, [&](int s) {
        ++calls;
        return s <= c.fitsUpTo ? 1 : 3;
      });
      QCOMPARE(got, c.expected);
      QVERIFY(calls < 40);
    }
  }

  void printsThePagesTheListingNames() {
    FillSheet(150);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    auto printer = LetterPdf(file);
    PrintJob job;
    job.range = UsedPrintRange();
    QVERIFY(PrintJobOn(*printer, job));
    QVERIFY(QFileInfo(file).size() > 0);

    // The batch tool lays out on Letter too: same pages.
    const PageLayout listed = LayOutPages(SheetPageSetup(job.range), BatchPageSize());
    const PageLayout printed =
        LayOutPages(SheetPageSetup(job.range), DevicePageSize(*printer, printer->resolution()));
    QCOMPARE(printed.pages.size(), listed.pages.size());
    QCOMPARE(listed.pages.size(), size_t(3));
    const QString listing = QString::fromStdString(PageListingText(listed));
    QVERIFY(listing.contains(QStringLiteral("header Page 3|Top|BUDGET.WKS")));

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
      QSKIP("pdftotext (poppler-utils) is not installed");
    }
    const QString text = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file,
                                                           QStringLiteral("-")});
    const QStringList pages = text.split(QChar('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), int(listed.pages.size()));
    for (int i = 0; i < pages.size(); ++i) {
      QVERIFY2(pages[i].contains(QStringLiteral("Page %1").arg(i + 1)), qPrintable(pages[i]));
      QVERIFY(pages[i].contains(QStringLiteral("Top")));
      QVERIFY(pages[i].contains(QStringLiteral("BUDGET.WKS")));
      // The first body row of the page is on it.
      const uint32_t first = listed.pages[size_t(i)].rows.front();
      QVERIFY(pages[i].contains(QString::number(first + 1)));
    }
  }

  void previewShowsThePrintedPages() {
    FillSheet(150);
    const CellRange range = UsedPrintRange();
    PrintPreviewDialog preview(range, true);
    preview.show();
    QTemporaryDir dir;
    auto printer = MakePrinter(QLatin1String(kPdfPrinterChoice), nullptr,
                               dir.filePath(QStringLiteral("p.pdf")));
    const PageLayout layout =
        LayOutPages(SheetPageSetup(range), DevicePageSize(*printer, printer->resolution()));
    QCOMPARE(preview.pageCount(), int(layout.pages.size()));
    preview.showPage(2);
    QCOMPARE(preview.currentPage(), 2);
    const int before = preview.pageCount();
    preview.setTextScale(50);
    QCOMPARE(int(Options().printScale()), 50);
    QVERIFY(preview.pageCount() < before);
  }

  void fitPutsASmallRangeOnOnePageAtAHigherScale() {
    FillSheet(40);
    PrintPreviewDialog preview(MakeRange(0, 0, 2, 39), true);
    QCOMPARE(preview.pageCount(), 1);
    preview.fit();
    QCOMPARE(preview.pageCount(), 1);
    QVERIFY(Options().printScale() > 100);
    // Twice the scale found does not fit.
    QTemporaryDir dir;
    auto printer = MakePrinter(QLatin1String(kPdfPrinterChoice), nullptr,
                               dir.filePath(QStringLiteral("f.pdf")));
    PageSetup setup = SheetPageSetup(MakeRange(0, 0, 2, 39));
    setup.scale *= 2;
    QVERIFY(LayOutPages(setup, DevicePageSize(*printer, printer->resolution())).pages.size() > 1);
  }

  void marginsThatLeaveNoRoomPrintNothing() {
    FillSheet(3);
    SetPrintMargins(6, -1, -1, 6);
    QTemporaryDir dir;
    auto printer = LetterPdf(dir.filePath(QStringLiteral("none.pdf")));
    PrintJob job;
    job.range = UsedPrintRange();
    TheHeadlessPlatform().messages.clear();
    QVERIFY(!PrintJobOn(*printer, job));
    QVERIFY(TheHeadlessPlatform().messages == std::vector<std::string>{"Margins Too Large"});
  }
  void namedGraphsPrintThroughTheGraphDrawing() {
    FillSheet(6);
    GraphDefinition g = CurrentGraph();
    ResetGraph(g);
    g.setType(kGraphBar);
    g.setRange(kGraphXRange, MakeRange(0, 0, 0, 5));
    g.setRange(1, MakeRange(1, 0, 1, 5));
    QCOMPARE(StoreNamedGraph("SALES"), GraphNameResult::kDone);
    QTemporaryDir dir;
    struct Case {
      int graph;
      bool printed;
    };
    for (const Case& c : {Case{1, true}, Case{5, false}}) {
      const QString file = dir.filePath(QStringLiteral("g%1.pdf").arg(c.graph));
      auto printer = LetterPdf(file);
      PrintJob job;
      job.kind = PrintJob::Kind::kGraph;
      job.graph = c.graph;
      TheHeadlessPlatform().messages.clear();
      QCOMPARE(PrintJobOn(*printer, job), c.printed);
      if (c.printed) {
        QVERIFY(TheHeadlessPlatform().messages.empty());
        QVERIFY(QFileInfo(file).size() > 1000);
      } else {
        QVERIFY(TheHeadlessPlatform().messages == std::vector<std::string>{"Graph Undefined!"});
      }
    }
  }
};

int main(int argc, char** argv) {
  UseOffscreenByDefault();
  QApplication app(argc, argv);
  PrintTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "print_test.moc"
