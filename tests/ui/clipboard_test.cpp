// Qt Test: Edit Copy, Cut and Paste through QClipboard — the program's own format beside UTF-8
// text with LF line ends going out, text from other programs with any line ends coming in — and
// the table of user functions of the Sheet menu.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QtTest>

#include "core/entry.h"
#include "formula/function_library.h"
#include "main_window_fixture.h"
#include "ui/range_prompt.h"

class ClipboardTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  void Enter(int row, int column, const char* text) {
    SheetScope scope(Slot());
    EnterCell(text, uint32_t(row), uint32_t(column));
  }
  QString Text(int row, int column) {
    SheetScope scope(Slot());
    return QString::fromLatin1(EditText(uint32_t(row), uint32_t(column)).text);
  }
  void Select(const char* range) { Grid()->selectRange(ParseRange(range)); }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void copyPutsBothFormatsOnTheClipboard() {
    MainWindow& f = Start();
    Enter(0, 0, "1.5");
    Enter(0, 1, "'caf\xE9");
    Enter(1, 0, "+A1*2");
    Select("A1..B2");
    f.Run(Cmd::kCopy);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    const QByteArray own = data->data(QStringLiteral("application/x-tallivo32d"));
    const QByteArray attributes(";F255,C$C0000000,T255,H0,S0");
    QCOMPARE(own, QByteArray("1.5" + attributes + "\t'caf\xE9" + attributes + "\r\n+A1*2" +
                             attributes + "\t\r\n" + QByteArray(1, '\0')));
    QCOMPARE(data->text(), QStringLiteral("1.5\tcaf\u00E9\n3\t\n"));
    QCOMPARE(data->data(QStringLiteral("text/plain")), QByteArray("1.5\tcaf\xC3\xA9\n3\t\n"));

    // Our own format wins over the text when both are there.
    Select("D4");
    f.Run(Cmd::kPaste);
    QCOMPARE(Text(3, 3), QStringLiteral("1.5"));
    QCOMPARE(Text(3, 4), QStringLiteral("'caf\xE9"));
    QCOMPARE(Text(4, 3), QStringLiteral("+A1*2"));
    QCOMPARE(NumberAt(Slot(), 4, 3), 3.0);
  }

  void pasteReadsTextOfOtherPrograms() {
    MainWindow& f = Start();
    QApplication::clipboard()->setText(QStringLiteral("7\t8\r\n9\r\u20AC 5\n"));
    Select("C3..E9");
    f.Run(Cmd::kPaste);
    QCOMPARE(NumberAt(Slot(), 2, 2), 7.0);
    QCOMPARE(NumberAt(Slot(), 2, 3), 8.0);
    QCOMPARE(NumberAt(Slot(), 3, 2), 9.0);
    QCOMPARE(Text(4, 2), QStringLiteral("'\x80 5"));  // the euro sign in Windows-1252
    QCOMPARE(KindAt(Slot(), 5, 2), kMissingKind);     // no line after the last line end
    f.Run(Cmd::kUndo);
    QCOMPARE(KindAt(Slot(), 2, 2), kMissingKind);
    QCOMPARE(KindAt(Slot(), 4, 2), kMissingKind);
  }

  void cutErasesTheBlockAfterCopying() {
    MainWindow& f = Start();
    Enter(0, 0, "'moved");
    Select("A1");
    f.Run(Cmd::kCut);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("moved\n"));
    QCOMPARE(Text(0, 0), QString());
    Select("B2");
    f.Run(Cmd::kPaste);
    QCOMPARE(Text(1, 1), QStringLiteral("'moved"));
  }

  void userFunctionTableGoesWhereThePromptSays() {
    MainWindow& f = Start();
    QVERIFY(AddLibraryFunction("TWICE", "@A(1)*2", 1));
    Enter(0, 0, "@TWICE(3)");
    QCOMPARE(NumberAt(Slot(), 0, 0), 6.0);
    f.Run(Cmd::kExtTable);
    QVERIFY(f.rangePrompt()->isOpen());
    QCOMPARE(f.rangePrompt()->caption(), QStringLiteral("Indicate @table Position"));
    f.rangePrompt()->setText("C2");
    QVERIFY(f.rangePrompt()->Accept());
    QCOMPARE(Text(1, 2), QStringLiteral("'TWICE"));
    QCOMPARE(Text(1, 3), QStringLiteral("'@A(1)*2"));
    f.Run(Cmd::kExtReset);
    QCOMPARE(Text(0, 0), QStringLiteral("'@TWICE(3)"));
  }
};

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
