// ui/general_settings_dialog.cpp — the general settings dialog.
#include "ui/general_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/format.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/sheet_scope.h"
#include "files/settings.h"
#include "ui/cp1252.h"
#include "ui/dialog_parts.h"
#include "ui/password_dialog.h"
#include "ui/row_painter.h"

const char* const kColourFeatureNames[GlobalOptions::kColourFeatureCount] = {
    "Label (text cells)", "Value (formula or number)", "Negative Cells", "Unlocked Cells",
    "Cursor Highlight",   "Odd Rows",                  "Background"};

namespace {

constexpr uint32_t kIgnoreForeground = 0x80000000u;
constexpr uint32_t kIgnoreBackground = 0x40000000u;
constexpr int kMaxFontSize = 127;
// Label alignments of the Label page: the prefix character and the caption.
const char kPrefixes[] = {'\'', '^', '"'};

QComboBox* Choices(QWidget* parent, std::initializer_list<const char*> items, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (const char* item : items) box->addItem(QString::fromUtf8(item));
  return box;
}

QSpinBox* Spin(QWidget* parent, int low, int high, const char* name) {
  auto* s = new QSpinBox(parent);
  s->setRange(low, high);
  s->setObjectName(name);
  return s;
}

// Selects the entry showing `text`, adding it first when the box has none.
void SelectText(QComboBox* box, const QString& text) {
  int index = box->findText(text);
  if (index < 0) {
    box->addItem(text);
    index = box->count() - 1;
  }
  box->setCurrentIndex(index);
}

char FirstChar(const QComboBox* box) {
  const std::string text = ToCp1252(box->currentText());
  return text.empty() ? 0 : text[0];
}

}  // namespace

void FillFormatChoices(QComboBox* box) {
  box->clear();
  box->setEditable(true);
  for (const std::string& entry : Settings().formatList) {
    const QString e = FromCp1252(entry);
    const QString code = e.section(',', 0, 0).trimmed();
    const QString caption = e.section(',', 1).trimmed();
    box->addItem(caption.isEmpty() ? code : code + "  " + caption);
  }
}

void SetFormatChoice(QComboBox* box, uint8_t format) {
  const QString code = FromCp1252(FormatName(uint8_t(format & 0x7F)));
  for (int i = 0; i < box->count(); ++i) {
    if (box->itemText(i).section(' ', 0, 0) == code) {
      box->setCurrentIndex(i);
      return;
    }
  }
  box->setEditText(code);
}

bool ReadFormatChoice(const QComboBox* box, uint8_t* format) {
  const QString letters = box->currentText().trimmed().section(' ', 0, 0);
  if (letters.isEmpty()) return false;
  ClearError();
  const uint8_t code = ParseFormatLetters(ToCp1252(letters));
  if (ErrorRaised()) {
    ClearError();
    return false;
  }
  *format = uint8_t(code & 0x7F);
  return true;
}

GeneralSettingsDialog::GeneralSettingsDialog(QWidget* parent)
    : QDialog(parent), pages_(new QTabWidget(this)) {
  setWindowTitle(QStringLiteral("General: Set Parameters"));
  setObjectName(QStringLiteral("generalSettingsDialog"));
  pages_->addTab(BuildFormatPage(), QStringLiteral("Format"));
  pages_->addTab(BuildOptionsPage(), QStringLiteral("Options"));
  pages_->addTab(BuildTypefacePage(), QStringLiteral("Typeface"));
  pages_->addTab(BuildColourPage(), QStringLiteral("Color"));
  pages_->addTab(BuildFilesPage(), QStringLiteral("Files"));
  pages_->addTab(BuildAdvancedPage(), QStringLiteral("Advanced"));
  pages_->addTab(BuildSizePage(), QStringLiteral("Size"));
  pages_->addTab(BuildLabelPage(), QStringLiteral("Label"));
  pages_->addTab(BuildProtectionPage(), QStringLiteral("Protection"));
  pages_->addTab(BuildGridPage(), QStringLiteral("Grid"));
  pages_->setUsesScrollButtons(false);  // every page's tab in sight

  auto* buttons = new QDialogButtonBox(this);
  okButton_ = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
  okButton_->setDefault(true);
  cancelButton_ = buttons->addButton(QStringLiteral("Canc&el"), QDialogButtonBox::RejectRole);
  globalButton_ = buttons->addButton(QStringLiteral("A&pply Globally"), QDialogButtonBox::ApplyRole);
  connect(okButton_, &QPushButton::clicked, this, [this] {
    globally_ = false;
    accept();
  });
  connect(globalButton_, &QPushButton::clicked, this, [this] {
    globally_ = true;
    accept();
  });
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
  setModal(true);
}

QCheckBox* GeneralSettingsDialog::Box(QWidget* parent, const char* caption, const char* name) {
  auto* b = new QCheckBox(QString::fromUtf8(caption), parent);
  b->setObjectName(name);
  if (parent->layout()) parent->layout()->addWidget(b);
  return b;
}

QWidget* GeneralSettingsDialog::BuildFormatPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  formatBox_ = new QComboBox(page);
  formatBox_->setObjectName("globalFormatBox");
  auto* label = new QLabel(QStringLiteral("&Global Format:"), page);
  label->setBuddy(formatBox_);
  form->addRow(label, formatBox_);
  return page;
}

QWidget* GeneralSettingsDialog::BuildOptionsPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  QGroupBox* misc = Group(page, " Misc. ");
  showZeros_ = Box(misc, "Show &Zero Values", "showZerosBox");
  colourNegatives_ = Box(misc, "Color &Negative Values", "colourNegativesBox");
  banding_ = Box(misc, "Apply &Banding Color ", "bandingBox");
  autoRecalc_ = Box(misc, "&Auto Recalc Cells", "autoRecalcBox");
  raisedBorders_ = Box(misc, "&3D Raise Borders", "raisedBordersBox");
  layout->addWidget(misc);
  layout->addStretch();
  return page;
}

QWidget* GeneralSettingsDialog::BuildTypefacePage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  fontBox_ = new QComboBox(page);
  fontBox_->setObjectName("typefaceBox");
  fontBox_->setEditable(true);
  QStringList families = QFontDatabase::families();
  families.sort(Qt::CaseInsensitive);
  fontBox_->addItems(families);
  fontSize_ = Spin(page, 1, kMaxFontSize, "typefaceSizeBox");
  auto* faceLabel = new QLabel(QStringLiteral("&Typeface:"), page);
  faceLabel->setBuddy(fontBox_);
  auto* sizeLabel = new QLabel(QStringLiteral("Si&ze:"), page);
  sizeLabel->setBuddy(fontSize_);
  form->addRow(faceLabel, fontBox_);
  form->addRow(sizeLabel, fontSize_);
  auto* styles = new QWidget(page);
  new QHBoxLayout(styles);
  bold_ = Box(styles, "&Bold", "typefaceBoldBox");
  italic_ = Box(styles, "&Italic", "typefaceItalicBox");
  underline_ = Box(styles, "&Underline", "typefaceUnderlineBox");
  form->addRow(styles);
  return page;
}

QWidget* GeneralSettingsDialog::BuildColourPage() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  featureList_ = new QListWidget(page);
  featureList_->setObjectName("featureList");
  for (const char* name : kColourFeatureNames) featureList_->addItem(QString::fromUtf8(name));
  auto* featureLabel = new QLabel(QStringLiteral("&Feature to Change:"), page);
  featureLabel->setBuddy(featureList_);
  defaultsButton_ = new QPushButton(QStringLiteral("Set to &Defaults"), page);
  defaultsButton_->setObjectName("defaultsButton");

  QGroupBox* background = Group(page, " Bac&kground ");
  swatch_ = new QLabel(background);
  swatch_->setObjectName("backgroundSwatch");
  swatch_->setMinimumSize(48, 20);
  swatch_->setAutoFillBackground(true);
  swatch_->setFrameShape(QFrame::Box);
  background->layout()->addWidget(swatch_);
  auto* channels = new QWidget(background);
  auto* channelForm = new QFormLayout(channels);
  const char* kChannelCaptions[] = {"&R: ", "&G: ", "&B: "};
  const char* kChannelNames[] = {"redSpin", "greenSpin", "blueSpin"};
  for (int i = 0; i < 3; ++i) {
    rgb_[size_t(i)] = Spin(channels, 0, 255, kChannelNames[i]);
    rgb_[size_t(i)]->setSingleStep(8);
    auto* label = new QLabel(QString::fromUtf8(kChannelCaptions[i]), channels);
    label->setBuddy(rgb_[size_t(i)]);
    channelForm->addRow(label, rgb_[size_t(i)]);
  }
  background->layout()->addWidget(channels);
  ignoreBackground_ = Box(background, "&Ignore Background", "ignoreBackgroundBox");

  QGroupBox* foreground = Group(page, " &Foreground ");
  paletteBox_ = new QComboBox(foreground);
  paletteBox_->setObjectName("paletteBox");
  for (int i = 0; i < 16; ++i) paletteBox_->addItem(SwatchIcon(PaletteColour(i)), QString::number(i));
  foreground->layout()->addWidget(paletteBox_);
  ignoreForeground_ = Box(foreground, "Ignor&e Foreground", "ignoreForegroundBox");

  sample_ = new QLabel(QStringLiteral("Sample 123"), page);
  sample_->setObjectName("colourSample");
  sample_->setAlignment(Qt::AlignCenter);
  sample_->setAutoFillBackground(true);
  sample_->setFrameShape(QFrame::Box);
  sample_->setMinimumHeight(28);

  layout->addWidget(featureLabel, 0, 0, Qt::AlignBottom);
  layout->addWidget(featureList_, 1, 0, 2, 1);
  layout->addWidget(defaultsButton_, 3, 0);
  layout->addWidget(background, 0, 1, 2, 1);
  layout->addWidget(foreground, 2, 1);
  layout->addWidget(sample_, 3, 1);

  connect(featureList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) LoadFeature(row);
  });
  connect(defaultsButton_, &QPushButton::clicked, this, [this] {
    colours_ = DefaultColourFeatures();
    LoadFeature(feature_);
  });
  for (QSpinBox* s : rgb_) {
    connect(s, &QSpinBox::valueChanged, this, [this] { StoreFeature(); });
  }
  connect(ignoreBackground_, &QCheckBox::toggled, this, [this] { StoreFeature(); });
  connect(ignoreForeground_, &QCheckBox::toggled, this, [this] { StoreFeature(); });
  connect(paletteBox_, &QComboBox::currentIndexChanged, this, [this] { StoreFeature(); });
  return page;
}

QWidget* GeneralSettingsDialog::BuildFilesPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  auto fileRow = [this, page, form](const char* caption, const char* name, const char* filter) {
    auto* field = new QLineEdit(page);
    field->setObjectName(name);
    auto* browse = new QToolButton(page);
    browse->setText(QStringLiteral("..."));
    auto* row = new QWidget(page);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(field);
    h->addWidget(browse);
    auto* label = new QLabel(QString::fromUtf8(caption), page);
    label->setBuddy(field);
    form->addRow(label, row);
    const QString filterText = QString::fromUtf8(filter);
    connect(browse, &QToolButton::clicked, this, [this, field, filterText] {
      const QString chosen =
          QFileDialog::getOpenFileName(this, windowTitle(), field->text(), filterText);
      if (!chosen.isEmpty()) field->setText(chosen);
    });
    return field;
  };
  autoexec_ = fileRow("&Autoexec:", "autoexecField", "Autoexec (*.wks)");
  macros_ = fileRow("&Macros:", "macrosField", "Macros (*.mac)");
  wallpaper_ = fileRow("&WallPaper:", "wallpaperField", "Bitmaps (*.bmp)");
  historySize_ = Spin(page, 0, kMaxHistory, "historySizeBox");
  auto* historyLabel = new QLabel(QStringLiteral("&History List: "), page);
  historyLabel->setBuddy(historySize_);
  form->addRow(historyLabel, historySize_);
  clearHistoryButton_ = new QPushButton(QStringLiteral("&Clear History"), page);
  clearHistoryButton_->setObjectName("clearHistoryButton");
  form->addRow(clearHistoryButton_);
  connect(clearHistoryButton_, &QPushButton::clicked, this, [this] {
    clearHistory_ = true;
    clearHistoryButton_->setEnabled(false);
  });
  return page;
}

QWidget* GeneralSettingsDialog::BuildAdvancedPage() {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  auto* left = new QWidget(page);
  auto* form = new QFormLayout(left);
  currency_ = Choices(left, {"$", "\xC2\xA3", "\xC2\xA5", "Dm"}, "currencyBox");
  argument_ = Choices(left, {",", ";"}, "argumentBox");
  thousands_ = Choices(left, {",", "."}, "thousandsBox");
  decimal_ = Choices(left, {".", ","}, "decimalBox");
  const std::pair<const char*, QComboBox*> rows[] = {{"&Currency:", currency_},
                                                     {"&Argument:", argument_},
                                                     {"&Thousands:", thousands_},
                                                     {"&Decimal:", decimal_}};
  for (const auto& [caption, box] : rows) {
    auto* label = new QLabel(QString::fromUtf8(caption), left);
    label->setBuddy(box);
    form->addRow(label, box);
  }
  currencyPlace_ = new QButtonGroup(page);
  auto* prefix = new QRadioButton(QStringLiteral("&Prefix"), left);
  auto* suffix = new QRadioButton(QStringLiteral("&Suffix"), left);
  prefix->setObjectName("currencyPrefixButton");
  suffix->setObjectName("currencySuffixButton");
  currencyPlace_->addButton(prefix, 0);
  currencyPlace_->addButton(suffix, 1);
  form->addRow(prefix);
  form->addRow(suffix);
  QGroupBox* other = Group(page, " Other ");
  winControlKeys_ = Box(other, "W&in Control Keys", "winControlKeysBox");
  usDates_ = Box(other, "&US Date Format", "usDatesBox");
  preOpen_ = Box(other, "Pre&Open Sheet", "preOpenBox");
  backups_ = Box(other, "&Backups (*.wkb)", "backupsBox");
  undo_ = Box(other, "&Undo", "undoBox");
  layout->addWidget(left);
  layout->addWidget(other);
  return page;
}

QWidget* GeneralSettingsDialog::BuildSizePage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  rowHeight_ = Spin(page, 0, 254, "rowHeightBox");
  columnWidth_ = Spin(page, 0, 254, "columnWidthBox");
  dimensions_ = Choices(page, {"1", "2", "4", "8", "16", "32", "64"}, "dimensionsBox");
  const std::pair<const char*, QWidget*> rows[] = {{"Ro&w Height: ", rowHeight_},
                                                   {"Col&umn Width: ", columnWidth_},
                                                   {"&Dimensions (Pages) :", dimensions_}};
  for (const auto& [caption, field] : rows) {
    auto* label = new QLabel(QString::fromUtf8(caption), page);
    label->setBuddy(field);
    form->addRow(label, field);
  }
  return page;
}

QWidget* GeneralSettingsDialog::BuildLabelPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  QGroupBox* group = Group(page, " Default Alignment ");
  alignment_ = new QButtonGroup(page);
  const char* kCaptions[] = {"&Left", "&Center", "&Right"};
  const char* kNames[] = {"alignLeftButton", "alignCentreButton", "alignRightButton"};
  for (int i = 0; i < 3; ++i) {
    auto* b = new QRadioButton(QString::fromUtf8(kCaptions[i]), group);
    b->setObjectName(kNames[i]);
    group->layout()->addWidget(b);
    alignment_->addButton(b, i);
  }
  alignmentSample_ = new QLabel(QStringLiteral("Sample"), page);
  alignmentSample_->setObjectName("alignmentSample");
  alignmentSample_->setFrameShape(QFrame::Box);
  layout->addWidget(group);
  layout->addWidget(alignmentSample_);
  layout->addStretch();
  connect(alignment_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    alignmentSample_->setAlignment(kAlign[id] | Qt::AlignVCenter);
  });
  return page;
}

QWidget* GeneralSettingsDialog::BuildProtectionPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  protection_ = Box(page, "&Protection of Locked Cells", "protectionBox");
  protectionState_ = new QLabel(page);
  protectionState_->setObjectName("protectionState");
  layout->addWidget(protectionState_);
  auto* password = new QPushButton(QStringLiteral("P&assword ..."), page);
  password->setObjectName("passwordButton");
  layout->addWidget(password);
  layout->addStretch();
  connect(protection_, &QCheckBox::toggled, this, [this] { ShowProtection(); });
  connect(password, &QPushButton::clicked, this, [this] {
    SheetScope scope(slot_);
    ThePasswordDialog().AskPassword(1);
  });
  return page;
}

QWidget* GeneralSettingsDialog::BuildGridPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  QGroupBox* style = Group(page, " Style ");
  solidLines_ = Box(style, "Use &Solid Separator Lines", "solidLinesBox");
  printBlack_ = Box(style, "Print Grid as Blac&k", "printBlackBox");
  rowLines_ = Box(style, "&Horizontal Row Separator", "rowLinesBox");
  columnLines_ = Box(style, "&Vertical Column Separator", "columnLinesBox");
  layout->addWidget(style);
  layout->addStretch();
  return page;
}

void GeneralSettingsDialog::ShowProtection() {
  protectionState_->setText(protection_->isChecked() ? QStringLiteral("Active")
                                                     : QStringLiteral("Inactive"));
}

void GeneralSettingsDialog::LoadFeature(int index) {
  feature_ = std::clamp(index, 0, GlobalOptions::kColourFeatureCount - 1);
  const uint32_t word = colours_[size_t(feature_)];
  loading_ = true;
  for (int i = 0; i < 3; ++i) rgb_[size_t(i)]->setValue(int((word >> (8 * i)) & 0xFF));
  paletteBox_->setCurrentIndex(int((word >> 24) & 0x0F));
  ignoreBackground_->setChecked(word & kIgnoreBackground);
  ignoreForeground_->setChecked(word & kIgnoreForeground);
  if (featureList_->currentRow() != feature_) featureList_->setCurrentRow(feature_);
  loading_ = false;
  ShowSample();
}

void GeneralSettingsDialog::StoreFeature() {
  if (loading_) return;
  uint32_t& word = colours_[size_t(feature_)];
  const uint32_t kept = word & 0x30000000u;  // bits 28 and 29 stay as they were
  word = kept | uint32_t(rgb_[0]->value()) | uint32_t(rgb_[1]->value()) << 8 |
         uint32_t(rgb_[2]->value()) << 16 | uint32_t(paletteBox_->currentIndex() & 0x0F) << 24 |
         (ignoreBackground_->isChecked() ? kIgnoreBackground : 0) |
         (ignoreForeground_->isChecked() ? kIgnoreForeground : 0);
  ShowSample();
}

void GeneralSettingsDialog::ShowSample() {
  const uint32_t word = colours_[size_t(feature_)];
  const QColor back(int(word & 0xFF), int((word >> 8) & 0xFF), int((word >> 16) & 0xFF));
  const QColor rowBack(int(colours_[GlobalOptions::kBackgroundColour] & 0xFF),
                       int((colours_[GlobalOptions::kBackgroundColour] >> 8) & 0xFF),
                       int((colours_[GlobalOptions::kBackgroundColour] >> 16) & 0xFF));
  QPalette swatch = swatch_->palette();
  swatch.setColor(QPalette::Window, back);
  swatch_->setPalette(swatch);
  QPalette p = sample_->palette();
  p.setColor(QPalette::Window, (word & kIgnoreBackground) ? rowBack : back);
  p.setColor(QPalette::WindowText, (word & kIgnoreForeground)
                                       ? QColor(Qt::black)
                                       : QColor(PaletteColour(int((word >> 24) & 0x0F))));
  sample_->setPalette(p);
}

void GeneralSettingsDialog::Load(const GeneralSettings& s) {
  loaded_ = s;
  FillFormatChoices(formatBox_);
  SetFormatChoice(formatBox_, s.globalFormat);
  showZeros_->setChecked(s.showZeros);
  colourNegatives_->setChecked(s.colourNegatives);
  banding_->setChecked(s.banding);
  autoRecalc_->setChecked(s.autoRecalc);
  raisedBorders_->setChecked(s.raisedBorders);
  fontBox_->setEditText(FromCp1252(s.fontName));
  fontSize_->setValue(s.fontSize);
  bold_->setChecked(s.fontStyle & 1);
  italic_->setChecked(s.fontStyle & 2);
  underline_->setChecked(s.fontStyle & 4);
  colours_ = s.colours;
  LoadFeature(0);
  autoexec_->setText(FromCp1252(s.autoexec));
  macros_->setText(FromCp1252(s.macroLibrary));
  wallpaper_->setText(FromCp1252(s.wallpaper));
  historySize_->setValue(s.historySize);
  clearHistory_ = false;
  clearHistoryButton_->setEnabled(true);
  SelectText(currency_, FromCp1252(s.currency));
  SelectText(argument_, QString(QChar(s.argumentSeparator)));
  SelectText(thousands_, QString(QChar(s.thousandsSeparator)));
  SelectText(decimal_, QString(QChar(s.decimalSeparator)));
  currencyPlace_->button(s.currencySuffix ? 1 : 0)->setChecked(true);
  winControlKeys_->setChecked(s.winControlKeys);
  usDates_->setChecked(s.usDates);
  preOpen_->setChecked(s.preOpen);
  backups_->setChecked(s.backups);
  undo_->setChecked(s.undo);
  rowHeight_->setValue(s.rowHeight);
  columnWidth_->setValue(s.columnWidth);
  SelectText(dimensions_, QString::number(s.pages));
  const int prefix = s.labelPrefix == '^' ? 1 : s.labelPrefix == '"' ? 2 : 0;
  alignment_->button(prefix)->setChecked(true);
  protection_->setChecked(s.protection);
  ShowProtection();
  solidLines_->setChecked(s.solidLines);
  printBlack_->setChecked(s.printGridBlack);
  rowLines_->setChecked(s.rowLines);
  columnLines_->setChecked(s.columnLines);
}

void GeneralSettingsDialog::Open(SlotIndex slot, int page) {
  slot_ = slot;
  globally_ = false;
  {
    SheetScope scope(slot);
    Load(ReadGeneralSettings());
  }
  pages_->setCurrentIndex(page >= 0 && page < kPageCount ? page : 0);
  open();
}

GeneralSettings GeneralSettingsDialog::settings() const {
  GeneralSettings s = loaded_;
  uint8_t format = 0;
  if (ReadFormatChoice(formatBox_, &format)) s.globalFormat = format;
  s.showZeros = showZeros_->isChecked();
  s.colourNegatives = colourNegatives_->isChecked();
  s.banding = banding_->isChecked();
  s.autoRecalc = autoRecalc_->isChecked();
  s.raisedBorders = raisedBorders_->isChecked();
  const std::string face = ToCp1252(fontBox_->currentText().trimmed());
  if (!face.empty()) s.fontName = face.substr(0, 40);
  s.fontSize = fontSize_->value();
  s.fontStyle = uint16_t((bold_->isChecked() ? 1 : 0) | (italic_->isChecked() ? 2 : 0) |
                         (underline_->isChecked() ? 4 : 0));
  s.colours = colours_;
  s.autoexec = ToCp1252(autoexec_->text());
  s.macroLibrary = ToCp1252(macros_->text());
  s.wallpaper = ToCp1252(wallpaper_->text());
  s.historySize = historySize_->value();
  s.clearHistory = clearHistory_;
  s.currency = ToCp1252(currency_->currentText()).substr(0, 2);
  s.currencySuffix = currencyPlace_->checkedId() == 1;
  if (const char c = FirstChar(argument_)) s.argumentSeparator = c;
  if (const char c = FirstChar(thousands_)) s.thousandsSeparator = c;
  if (const char c = FirstChar(decimal_)) s.decimalSeparator = c;
  s.winControlKeys = winControlKeys_->isChecked();
  s.usDates = usDates_->isChecked();
  s.preOpen = preOpen_->isChecked();
  s.backups = backups_->isChecked();
  s.undo = undo_->isChecked();
  s.rowHeight = rowHeight_->value();
  s.columnWidth = columnWidth_->value();
  s.pages = dimensions_->currentText().toInt();
  s.labelPrefix = kPrefixes[std::max(0, alignment_->checkedId())];
  s.protection = protection_->isChecked();
  s.solidLines = solidLines_->isChecked();
  s.printGridBlack = printBlack_->isChecked();
  s.rowLines = rowLines_->isChecked();
  s.columnLines = columnLines_->isChecked();
  return s;
}
