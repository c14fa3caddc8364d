// Qt Test: the general settings, cell properties and width/height dialogs, opened from every
// item that leads to them, filled in as a user would, and ended with Ok, Cancel and Apply
// Globally.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "commands/sheet_settings.h"
#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "files/settings.h"
#include "main_window_fixture.h"
#include "core/password.h"
#include "ui/general_settings_dialog.h"
#include "ui/password_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/width_height_dialog.h"

class SettingsDialogsTest : public QObject, private MainWindowFixture {
  Q_OBJECT

  GlobalOptions SheetOptions() {
    SheetScope scope(Slot());
    GlobalOptions o = Options();
    o.setModified(false);
    return o;
  }
  const CellRecord* Cell(int row, int column) {
    SheetScope scope(Slot());
    const CellHandle h = GetCell(uint32_t(row), uint32_t(column));
    return h ? CellAt(h) : nullptr;
  }
  int Borders(int row, int column) {
    const CellRecord* c = Cell(row, column);
    return c ? c->borders : -1;
  }
  int Width(int column) {
    SheetScope scope(Slot());
    return CurrentLayout().columnWidth[size_t(column)];
  }
  template <class T>
  T* Child(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(name);
    if (!w) qFatal("no child %s", name);
    return w;
  }

 private slots:
  void init() { QVERIFY(home_.isValid()); }
  void cleanup() { CloseWindow(); }

  void generalOpensOnThePageOfEachTagAndCancelChangesNothing() {
    MainWindow& f = Start();
    const GlobalOptions before = SheetOptions();
    for (int tag = 0; tag < GeneralSettingsDialog::kPageCount; ++tag) {
      f.Run(Cmd::kGeneral, tag);
      GeneralSettingsDialog* d = f.generalSettingsDialog();
      QVERIFY(d->isVisible());
      QCOMPARE(d->windowTitle(), QString("General: Set Parameters"));
      QCOMPARE(d->pages()->currentIndex(), tag);
      // Change something on every page, then cancel.
      Child<QCheckBox>(d, "showZerosBox")->setChecked(false);
      Child<QCheckBox>(d, "rowLinesBox")->setChecked(false);
      Child<QSpinBox>(d, "columnWidthBox")->setValue(100);
      d->colourSpin(0)->setValue(8);
      d->cancelButton()->click();
      QVERIFY(!d->isVisible());
    }
    QVERIFY(f.generalSettingsDialog() == f.generalSettingsDialog());  // created once
    QVERIFY(SheetOptions().bytes == before.bytes);
    QCOMPARE(Width(0), 64);
  }

  void generalOkWritesThePagesIntoTheSheet() {
    MainWindow& f = Start();
    f.Run(Cmd::kGeneral, GeneralSettingsDialog::kLabelPage);
    GeneralSettingsDialog* d = f.generalSettingsDialog();
    Child<QRadioButton>(d, "alignRightButton")->click();
    Child<QCheckBox>(d, "showZerosBox")->setChecked(false);
    Child<QCheckBox>(d, "solidLinesBox")->setChecked(false);
    Child<QSpinBox>(d, "columnWidthBox")->setValue(80);
    Child<QComboBox>(d, "dimensionsBox")->setCurrentText("4");
    Child<QComboBox>(d, "globalFormatBox")->setEditText("F3");
    d->okButton()->click();
    QVERIFY(!d->isVisible());
    const GlobalOptions o = SheetOptions();
    QCOMPARE(int(o.labelPrefix()), int('"'));
    QVERIFY(o.zeroSuppressed());
    QCOMPARE(int(o.gridLines()), 0x07);
    QCOMPARE(int(o.pageSize()), 2048);
    QCOMPARE(int(o.globalFormat()), 0x03);
    QCOMPARE(Width(5), 80);
    // New sheets keep the old defaults: Ok is not Apply Globally.
    QCOMPARE(int(DefaultOptions().labelPrefix()), int('\''));
  }

  void colourPageRewritesTheWordAtOnceAndSetsTheDefaults() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) SetColourFeature(i, 0x05102030);
    }
    f.Run(Cmd::kGeneral, GeneralSettingsDialog::kColourPage);
    GeneralSettingsDialog* d = f.generalSettingsDialog();
    QCOMPARE(d->featureList()->count(), 7);
    QCOMPARE(d->featureList()->item(3)->text(), QString("Unlocked Cells"));
    d->featureList()->setCurrentRow(GlobalOptions::kCursorColour);
    QCOMPARE(d->colourSpin(0)->value(), 0x30);
    QCOMPARE(d->colourSpin(0)->singleStep(), 8);
    QCOMPARE(d->paletteBox()->currentIndex(), 5);
    d->colourSpin(2)->setValue(64);
    d->ignoreForegroundBox()->setChecked(true);
    QCOMPARE(d->sample()->text(), QString("Sample 123"));
    QCOMPARE(d->settings().colours[GlobalOptions::kCursorColour], 0x85402030u);
    QCOMPARE(d->sample()->palette().color(QPalette::Window), QColor(0x30, 0x20, 0x40));
    // Set to Defaults, then Ok: the scheme of a new sheet.
    d->defaultsButton()->click();
    QCOMPARE(d->colourSpin(2)->value(), 255);  // the cursor's blue, reloaded
    d->okButton()->click();
    const GlobalOptions o = SheetOptions();
    for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) {
      QCOMPARE(o.colourFeature(i), DefaultColourFeatures()[size_t(i)]);
    }
  }

  void applyGloballyGivesNewSheetsTheSettingsAndTheSettingsFileCarriesThem() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      Options().SetText(GlobalOptions::kTitle, 80, "Only this sheet");
    }
    f.Run(Cmd::kGeneral, GeneralSettingsDialog::kSizePage);
    GeneralSettingsDialog* d = f.generalSettingsDialog();
    Child<QSpinBox>(d, "columnWidthBox")->setValue(72);
    Child<QRadioButton>(d, "alignCentreButton")->click();
    Child<QComboBox>(d, "typefaceBox")->setEditText("Courier");
    d->globalButton()->click();
    QVERIFY(!d->isVisible());
    QCOMPARE(Width(0), 72);
    f.Run(Cmd::kNew);
    const GlobalOptions o = SheetOptions();
    QCOMPARE(int(o.labelPrefix()), int('^'));
    QCOMPARE(o.Text(GlobalOptions::kTitle, 80), std::string());
    QCOMPARE(Width(0), 72);
    const std::string text = SettingsText();
    QVERIFY(text.find("PREFIX=^\n") != std::string::npos);
    QVERIFY(text.find("GWIDE=72\n") != std::string::npos);
    QVERIFY(text.find("GFONT=Courier\n") != std::string::npos);
  }

  void liftingProtectionOnTheProtectionPageAsksForThePassword() {
    MainWindow& f = Start();
    {
      SheetScope scope(Slot());
      SetPassword("Secret");
      SetSheetProtection(true);
    }
    PasswordDialog& password = ThePasswordDialog();
    for (const char* typed : {"wrong", "Secret"}) {
      f.Run(Cmd::kGeneral, GeneralSettingsDialog::kProtectionPage);
      GeneralSettingsDialog* d = f.generalSettingsDialog();
      auto* box = Child<QCheckBox>(d, "protectionBox");
      QVERIFY(box->isChecked());
      QCOMPARE(Child<QLabel>(d, "protectionState")->text(), QString("Active"));
      box->setChecked(false);
      QCOMPARE(Child<QLabel>(d, "protectionState")->text(), QString("Inactive"));
      QTimer::singleShot(0, [&password, typed] {
        password.passwordField()->setText(typed);
        password.Confirm();
        if (password.isVisible()) password.reject();  // a wrong password: give up
      });
      d->okButton()->click();
      const bool right = QString(typed) == "Secret";
      QCOMPARE(SheetOptions().protection(), !right);
    }
  }

  void propertiesOpensOnTheTabOfEachItem() {
    MainWindow& f = Start();
    Grid()->selectRange(MakeRange(1, 1, 3, 3));  // B2..D4
    for (int tag = 0; tag < PropertiesDialog::kTabCount; ++tag) {
      f.Run(Cmd::kRangeFormat, tag);
      PropertiesDialog* d = f.propertiesDialog();
      QVERIFY(d->isVisible());
      QCOMPARE(d->windowTitle(), QString("Properties"));
      QCOMPARE(d->tabs()->currentIndex(), tag);
      QCOMPARE(d->rangeField()->text(), QString("B2..D4"));
      QCOMPARE(int(d->touched()), 0);
      d->reject();
    }
    // The pop-up's item keeps the tab shown last.
    f.Run(Cmd::kProperties, -2);
    QCOMPARE(f.propertiesDialog()->tabs()->currentIndex(), int(PropertiesDialog::kBorderTab));
    // Ok without a touched tab creates no cells.
    f.propertiesDialog()->Confirm();
    QVERIFY(!f.propertiesDialog()->isVisible());
    QVERIFY(Cell(1, 1) == nullptr && Cell(2, 2) == nullptr);
  }

  void propertiesAppliesOnlyTheTouchedTabsAndCancelChangesNothing() {
    MainWindow& f = Start();
    Grid()->selectRange(MakeRange(1, 1, 3, 3));
    f.Run(Cmd::kRangeFormat, PropertiesDialog::kBorderTab);
    PropertiesDialog* d = f.propertiesDialog();
    d->lineButtons()->button(int(BorderLine::kSingle))->click();
    d->edgeButtons()->button(int(BorderEdges::kOut))->click();
    d->reject();
    QVERIFY(Cell(1, 1) == nullptr);

    f.Run(Cmd::kRangeFormat, PropertiesDialog::kBorderTab);
    d->lineButtons()->button(int(BorderLine::kSingle))->click();
    d->edgeButtons()->button(int(BorderEdges::kOut))->click();
    QCOMPARE(int(d->touched()), int(kPropertyBorder));
    d->Confirm();
    QCOMPARE(Borders(1, 1), 0x41);
    QCOMPARE(Borders(2, 2), 0);
    QCOMPARE(Borders(3, 3), 0x14);
    QCOMPARE(int(Cell(1, 1)->format & 0x7F), 0x7F);  // the Format tab was not touched
    QCOMPARE(Grid()->selection().lastColumn, uint16_t(3));  // the range stays selected

    // A range typed into the field; a format that names nothing keeps the dialog.
    f.Run(Cmd::kRangeFormat, PropertiesDialog::kFormatTab);
    d->rangeField()->setText("A1..A2");
    d->formatBox()->setEditText("F2");
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(int(Cell(0, 0)->format), 0x82);
    QCOMPARE(int(Cell(1, 0)->borders), 0);
    f.Run(Cmd::kRangeFormat, PropertiesDialog::kFormatTab);
    d->rangeField()->setText("A1..");
    const int beeps = TheQtPlatform().beeps;
    d->Confirm();
    QVERIFY(d->isVisible());
    QCOMPARE(TheQtPlatform().beeps, beeps + 1);
    d->reject();
  }

  void widthDialogSetsEveryOtherColumnAndCancelChangesNothing() {
    MainWindow& f = Start();
    Grid()->selectRange(MakeRange(0, 0, 5, 0));  // A1..F1
    f.Run(Cmd::kColwidth);
    WidthHeightDialog* d = f.widthHeightDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QString("Set  Width or Height"));
    QCOMPARE(d->tabs()->currentIndex(), int(WidthHeightDialog::kColumnTab));
    QCOMPARE(d->rangeField(0)->text(), QString("A1..F1"));
    QCOMPARE(d->sizeSpin(0)->value(), 8);
    d->sizeSpin(0)->setValue(10);
    d->skipSpin(0)->setValue(1);
    d->reject();
    QCOMPARE(Width(0), 64);
    f.Run(Cmd::kColwidth);
    d->sizeSpin(0)->setValue(10);
    d->skipSpin(0)->setValue(1);
    d->Confirm();
    QVERIFY(!d->isVisible());
    QCOMPARE(QString("%1 %2 %3 %4").arg(Width(0)).arg(Width(1)).arg(Width(2)).arg(Width(4)),
             QString("80 64 80 80"));
    // Reset gives the default back; Global changes the default.
    f.Run(Cmd::kColwidth);
    d->resetBox(0)->setChecked(true);
    d->Confirm();
    QCOMPARE(Width(0), 64);
    f.Run(Cmd::kColwidth);
    d->sizeSpin(0)->setValue(12);
    d->globalBox(0)->setChecked(true);
    d->Confirm();
    QCOMPARE(Width(200), 96);

    f.Run(Cmd::kRowheight);
    QCOMPARE(d->tabs()->currentIndex(), int(WidthHeightDialog::kRowTab));
    d->rangeField(1)->setText("A3");
    d->sizeSpin(1)->setValue(30);
    d->Confirm();
    SheetScope scope(Slot());
    QCOMPARE(int(CurrentLayout().rowHeight[2]), 30);
    QCOMPARE(int(CurrentLayout().rowHeight[3]), 15);
  }

  void theItemsAreEnabled() {
    MainWindow& f = Start();
    for (Cmd cmd : {Cmd::kGeneral, Cmd::kProperties, Cmd::kRangeFormat, Cmd::kColwidth,
                    Cmd::kRowheight}) {
      QAction* a = f.action(cmd);
      QVERIFY(a != nullptr);
      QVERIFY(a->isEnabled());
    }
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SettingsDialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "settings_dialogs_test.moc"
