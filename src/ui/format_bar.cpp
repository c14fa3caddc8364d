// ui/format_bar.cpp — the formatting bar of the main window.
//
// Bold, italic and underline toggles, the typeface and size boxes, the size spinner, the speed
// format box filled from the settings' format list, and the background and foreground colour
// boxes. Each runs its command of the commands layer through MainWindow::RunOnSelection.
// State: the main window's format-bar widgets; the row painter's font table (SetCellFontNames).
#include <QComboBox>
#include <QFontDatabase>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "core/cell_store.h"
#include "core/format.h"
#include "core/messages.h"
#include "files/settings.h"
#include "platform/platform.h"
#include "ui/cp1252.h"
#include "ui/main_window.h"
#include "ui/row_painter.h"

namespace {

const int kFontSizes[] = {6, 8, 10, 12, 14, 18, 24, 32, 48, 72};

QIcon ColourIcon(QRgb colour) {
  QPixmap pm(16, 12);
  pm.fill(QColor(colour));
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 11);
  return QIcon(pm);
}

// The "code,caption" entries of the format list.
QString FormatEntryCode(const QString& entry) { return entry.section(',', 0, 0).trimmed(); }
QString FormatEntryCaption(const QString& entry) {
  const QString caption = entry.section(',', 1).trimmed();
  return caption.isEmpty() ? FormatEntryCode(entry) : caption;
}

}  // namespace

void MainWindow::BuildFormatBar() {
  formatBar_ = new QToolBar(QStringLiteral("Formatting"), this);
  formatBar_->setObjectName("formatBar");
  formatBar_->setMovable(false);
  addToolBar(Qt::BottomToolBarArea, formatBar_);
  auto toggle = [this](const char* name, const QString& glyph, const QString& hint, uint8_t bit) {
    auto* b = new QToolButton(formatBar_);
    b->setObjectName(name);
    QFont f = b->font();
    f.setBold(bit == 1);
    f.setItalic(bit == 2);
    f.setUnderline(bit == 4);
    b->setFont(f);
    b->setText(glyph);
    b->setToolTip(hint);
    b->setCheckable(true);
    formatBar_->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, bit](bool on) {
      RunOnSelection([bit, on](const CellRange& r) { return SetRangeStyle(r, bit, on); });
    });
    return b;
  };
  boldButton_ = toggle("boldButton", "B", "Bold", 1);
  italicButton_ = toggle("italicButton", "I", "Italic", 2);
  underlineButton_ = toggle("underlineButton", "U", "Underline", 4);
  formatBar_->addSeparator();

  // The typeface box: the installed families, sorted; a cell's font byte is an index into the
  // same list (the row painter's font table).
  fontBox_ = new QComboBox(formatBar_);
  fontBox_->setObjectName("fontBox");
  fontBox_->setToolTip("Font Type");
  QStringList families = QFontDatabase::families();
  families.sort(Qt::CaseInsensitive);
  std::vector<QString> names(families.begin(), families.end());
  if (names.size() > 254) names.resize(254);
  SetCellFontNames(names);
  for (const QString& n : names) fontBox_->addItem(n);
  fontBox_->setCurrentIndex(std::max(0, fontBox_->findText(font().family())));
  fontBox_->setMinimumWidth(150);
  formatBar_->addWidget(fontBox_);
  connect(fontBox_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index > 254) return;
    RunOnSelection([index](const CellRange& r) { return SetRangeFont(r, uint8_t(index)); });
  });

  sizeBox_ = new QComboBox(formatBar_);
  sizeBox_->setObjectName("sizeBox");
  sizeBox_->setToolTip("Font Size");
  for (int s : kFontSizes) sizeBox_->addItem(QString::number(s));
  sizeBox_->setCurrentIndex(4);
  formatBar_->addWidget(sizeBox_);
  connect(sizeBox_, &QComboBox::activated, this, [this](int index) {
    const int size = sizeBox_->itemText(index).toInt();
    RunOnSelection([size](const CellRange& r) { return SetRangeFontSize(r, uint8_t(size)); });
  });

  // The size spinner: up enlarges, down shrinks the font of the selection.
  auto spinner = [this](const QString& glyph, int step) {
    auto* b = new QToolButton(formatBar_);
    b->setObjectName(step > 0 ? "largerFontButton" : "smallerFontButton");
    b->setText(glyph);
    b->setToolTip(step > 0 ? "Larger Font" : "Smaller Font");
    b->setAutoRepeat(true);
    formatBar_->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, step] {
      const int fallback = Settings().fontSize;
      RunOnSelection([step, fallback](const CellRange& r) {
        return StepRangeFontSize(r, step, fallback);
      });
    });
  };
  spinner(QString::fromUtf8("\xE2\x96\xB2"), 1);
  spinner(QString::fromUtf8("\xE2\x96\xBC"), -1);
  formatBar_->addSeparator();

  formatBox_ = new QComboBox(formatBar_);
  formatBox_->setObjectName("formatBox");
  formatBox_->setToolTip("Speed Format");
  formatBox_->setMinimumWidth(110);
  formatBar_->addWidget(formatBox_);
  connect(formatBox_, &QComboBox::activated, this, [this](int index) {
    const QString code = formatBox_->itemData(index).toString();
    ClearError();
    const uint8_t format = ParseFormatLetters(ToCp1252(code));
    if (ErrorRaised()) {
      ClearError();
      ThePlatform().Beep();
      return;
    }
    RunOnSelection([format](const CellRange& r) {
      return SetRangeFormat(r, format & ~kFormatProtected);
    });
  });
  formatBar_->addSeparator();

  auto colours = [this](const char* name, const QString& hint, bool background) {
    auto* box = new QComboBox(formatBar_);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->addItem(hint);
    for (int i = 0; i < 16; ++i) box->addItem(ColourIcon(PaletteColour(i)), QString(), i);
    box->setMinimumWidth(100);
    formatBar_->addWidget(box);
    connect(box, &QComboBox::activated, this, [this, box, background](int index) {
      if (index <= 0) return;
      const int palette = box->itemData(index).toInt();
      const QRgb rgb = PaletteColour(palette);
      box->setCurrentIndex(0);
      RunOnSelection([background, palette, rgb](const CellRange& r) {
        return background ? SetRangeShade(r, uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)),
                                          uint8_t(qBlue(rgb)))
                          : SetRangeTextColour(r, palette);
      });
    });
    return box;
  };
  backgroundBox_ = colours("backgroundBox", "Background", true);
  foregroundBox_ = colours("foregroundBox", "Foreground", false);
}

void MainWindow::FillFormatBox() {
  formatBox_->clear();
  for (const std::string& entry : Settings().formatList) {
    const QString e = FromCp1252(entry);
    formatBox_->addItem(FormatEntryCaption(e), FormatEntryCode(e));
  }
  formatBox_->setCurrentIndex(0);
}
