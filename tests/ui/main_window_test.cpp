// Qt Test: the main frame opens with its title and closes cleanly.
#include <QMdiArea>
#include <QtTest>

#include "ui/main_window.h"

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void opensTitledAndClosesCleanly() {
    MainWindow frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QString("TALLIVO"));
    QVERIFY(frame.clientArea() != nullptr);
    QCOMPARE(frame.centralWidget(), static_cast<QWidget*>(frame.clientArea()));
    QVERIFY(frame.close());
    QVERIFY(!frame.isVisible());
  }
};

int main(int argc, char** argv) {
  // Test discovery may run this program outside ctest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
