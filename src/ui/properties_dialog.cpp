// ui/properties_dialog.cpp — the cell properties dialog.
#include "ui/properties_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/cell_store.h"
#include "core/sheet_view.h"
#include "platform/platform.h"
#include "ui/dialog_parts.h"
#include "ui/general_settings_dialog.h"
#include "ui/row_painter.h"

namespace {

// The Prefix tab's choices: caption, alignment code, sample.
struct PrefixChoice {
  const char* caption;
  int alignment;
  const char* sample;
};
const PrefixChoice kPrefixChoices[] = {
    {"&Left", 1, " Sample"},          {"&Center", 3, " Sample"},
    {"&Right", 2, " Sample"},         {"&Dot Left", 5, " ....Sample"},
    {"Do&t Right", 6, " Sample...."}, {"&Wrap", 4, " A sample of word wrap"},
};

// Radio buttons in a group box, ids 0.. in the order given.
QButtonGroup* Radios(QGroupBox* box, std::initializer_list<const char*> captions) {
  auto* group = new QButtonGroup(box);
  int id = 0;
  for (const char* caption : captions) {
    auto* b = new QRadioButton(QString::fromUtf8(caption), box);
    box->layout()->addWidget(b);
    group->addButton(b, id++);
  }
  return group;
}

}  // namespace

PropertiesDialog::PropertiesDialog(QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this)), rangeField_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Properties"));
  setObjectName(QStringLiteral("propertiesDialog"));
  rangeField_->installEventFilter(this);
  auto* fields = new QFormLayout;
  auto* rangeLabel = new QLabel(QStringLiteral("Range: "), this);
  rangeLabel->setBuddy(rangeField_);
  fields->addRow(rangeLabel, rangeField_);

  tabs_->addTab(BuildFormatTab(), QStringLiteral("&Format"));
  tabs_->addTab(BuildShadeTab(), QStringLiteral("&Shade"));
  tabs_->addTab(BuildTypefaceTab(), QStringLiteral("&Typeface"));
  tabs_->addTab(BuildPrefixTab(), QStringLiteral("&Prefix"));
  tabs_->addTab(BuildLockTab(), QStringLiteral("&Lock"));
  tabs_->addTab(BuildBorderTab(), QStringLiteral("&Border"));
  tabs_->setUsesScrollButtons(false);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Ca&ncel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &PropertiesDialog::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  setModal(true);
}

void PropertiesDialog::Touch(uint8_t group) {
  if (!loading_) touched_ |= group;
}

QWidget* PropertiesDialog::BuildFormatTab() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  formatBox_ = new QComboBox(page);
  formatBox_->setObjectName("propertyFormatBox");
  auto* label = new QLabel(QStringLiteral("Fo&rmat:"), page);
  label->setBuddy(formatBox_);
  form->addRow(label, formatBox_);
  connect(formatBox_, &QComboBox::currentTextChanged, this, [this] { Touch(kPropertyFormat); });
  return page;
}

QWidget* PropertiesDialog::BuildShadeTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  QGroupBox* group = Group(page, " Background Shade ");
  shadeSwatch_ = new QLabel(group);
  shadeSwatch_->setMinimumSize(48, 20);
  shadeSwatch_->setAutoFillBackground(true);
  shadeSwatch_->setFrameShape(QFrame::Box);
  group->layout()->addWidget(shadeSwatch_);
  auto* channels = new QWidget(group);
  auto* form = new QFormLayout(channels);
  const char* kCaptions[] = {"&R: ", "&G: ", "&B: "};
  for (int i = 0; i < 3; ++i) {
    auto* s = new QSpinBox(channels);
    s->setRange(0, 255);
    s->setSingleStep(8);
    shade_[size_t(i)] = s;
    auto* label = new QLabel(QString::fromUtf8(kCaptions[i]), channels);
    label->setBuddy(s);
    form->addRow(label, s);
    connect(s, &QSpinBox::valueChanged, this, [this] {
      QPalette p = shadeSwatch_->palette();
      p.setColor(QPalette::Window, QColor(shade_[0]->value(), shade_[1]->value(), shade_[2]->value()));
      shadeSwatch_->setPalette(p);
      if (loading_) return;
      noShade_->setChecked(false);
      Touch(kPropertyShade);
    });
  }
  group->layout()->addWidget(channels);
  noShade_ = new QCheckBox(QStringLiteral("&Default"), group);
  group->layout()->addWidget(noShade_);
  connect(noShade_, &QCheckBox::toggled, this, [this] { Touch(kPropertyShade); });
  layout->addWidget(group);
  layout->addStretch();
  return page;
}

QWidget* PropertiesDialog::BuildTypefaceTab() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  fontBox_ = new QComboBox(page);
  fontBox_->addItem(QStringLiteral("(Default)"), 255);
  size_ = new QSpinBox(page);
  size_->setRange(0, 127);
  size_->setSpecialValueText(QStringLiteral("Default"));
  textColour_ = new QComboBox(page);
  textColour_->addItem(QStringLiteral("Automatic"), kAutomaticTextColour);
  for (int i = 0; i < 16; ++i) textColour_->addItem(SwatchIcon(PaletteColour(i)), QString::number(i), i);
  const std::pair<const char*, QWidget*> rows[] = {
      {"F&ont:", fontBox_}, {"Si&ze:", size_}, {"&Colour:", textColour_}};
  for (const auto& [caption, field] : rows) {
    auto* label = new QLabel(QString::fromUtf8(caption), page);
    label->setBuddy(field);
    form->addRow(label, field);
  }
  auto* styles = new QWidget(page);
  auto* h = new QHBoxLayout(styles);
  bold_ = new QCheckBox(QStringLiteral("&Bold"), styles);
  italic_ = new QCheckBox(QStringLiteral("&Italic"), styles);
  underline_ = new QCheckBox(QStringLiteral("&Underline"), styles);
  for (QCheckBox* b : {bold_, italic_, underline_}) {
    h->addWidget(b);
    connect(b, &QCheckBox::toggled, this, [this] { Touch(kPropertyTypeface); });
  }
  form->addRow(styles);
  connect(fontBox_, &QComboBox::currentIndexChanged, this, [this] { Touch(kPropertyTypeface); });
  connect(size_, &QSpinBox::valueChanged, this, [this] { Touch(kPropertyTypeface); });
  connect(textColour_, &QComboBox::currentIndexChanged, this, [this] { Touch(kPropertyTypeface); });
  return page;
}

QWidget* PropertiesDialog::BuildPrefixTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  QGroupBox* group = Group(page, " Label Prefix ");
  prefix_ = new QButtonGroup(group);
  for (const PrefixChoice& c : kPrefixChoices) {
    auto* b = new QRadioButton(QString::fromUtf8(c.caption), group);
    group->layout()->addWidget(b);
    prefix_->addButton(b, c.alignment);
  }
  prefixSample_ = new QLabel(page);
  prefixSample_->setObjectName("prefixSample");
  prefixSample_->setFrameShape(QFrame::Box);
  layout->addWidget(group);
  layout->addWidget(prefixSample_);
  layout->addStretch();
  connect(prefix_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    for (const PrefixChoice& c : kPrefixChoices) {
      if (c.alignment != id) continue;
      prefixSample_->setText(QString::fromUtf8(c.sample));
      prefixSample_->setAlignment(Qt::AlignVCenter |
                                  (id == 3 ? Qt::AlignHCenter : id == 2 ? Qt::AlignRight : Qt::AlignLeft));
    }
    Touch(kPropertyPrefix);
  });
  return page;
}

QWidget* PropertiesDialog::BuildLockTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  QGroupBox* group = Group(page, " Cell Protection ");
  lock_ = Radios(group, {"&Enable", "&Disable"});
  layout->addWidget(group);
  layout->addStretch();
  connect(lock_, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) Touch(kPropertyLock);
  });
  return page;
}

QWidget* PropertiesDialog::BuildBorderTab() {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  QGroupBox* types = Group(page, " Types ");
  line_ = Radios(types, {"&None", "&Single", "&Thick"});
  QGroupBox* apply = Group(page, " Apply ");
  edges_ = Radios(apply, {"&In", "&Out", "&All", "&Clear"});
  layout->addWidget(types);
  layout->addWidget(apply);
  for (QButtonGroup* g : {line_, edges_}) {
    connect(g, &QButtonGroup::idToggled, this, [this](int, bool on) {
      if (on) Touch(kPropertyBorder);
    });
  }
  return page;
}

void PropertiesDialog::LoadFrom(const CellRange& range) {
  const SheetView view(slot_);
  CellRecord c = BlankCellTemplate();
  if (const CellHandle first = view.CellAtAddress(range.firstRow, range.firstColumn)) {
    c = *CellAt(first);
  }
  loading_ = true;
  FillFormatChoices(formatBox_);
  SetFormatChoice(formatBox_, c.format);
  const bool noShade = c.colour & kColourNoShade;
  for (int i = 0; i < 3; ++i) shade_[size_t(i)]->setValue(noShade ? 255 : c.shade[i]);
  noShade_->setChecked(noShade);
  while (fontBox_->count() > 1) fontBox_->removeItem(1);
  for (int i = 0; i < 254; ++i) {
    const QString name = CellFontName(uint8_t(i), QString());
    if (name.isEmpty()) break;
    fontBox_->addItem(name, i);
  }
  fontBox_->setCurrentIndex(std::max(0, fontBox_->findData(int(c.font))));
  size_->setValue(c.size);
  bold_->setChecked(c.style & kStyleBold);
  italic_->setChecked(c.style & kStyleItalic);
  underline_->setChecked(c.style & kStyleUnderline);
  const int colour = (c.colour & kColourAutomaticText) ? kAutomaticTextColour : (c.colour & kColourIndexMask);
  textColour_->setCurrentIndex(std::max(0, textColour_->findData(colour)));
  const int alignment = CellAlignment(c.style);
  if (QAbstractButton* b = prefix_->button(alignment >= 1 && alignment <= 6 ? alignment : 1)) b->setChecked(true);
  lock_->button((c.format & 0x80) ? 0 : 1)->setChecked(true);
  line_->button(0)->setChecked(true);
  edges_->button(1)->setChecked(true);
  loading_ = false;
}

void PropertiesDialog::Open(SlotIndex slot, const CellRange& selection, int tab) {
  slot_ = slot;
  selection_ = selection;
  touched_ = 0;
  rangeField_->setText(RangeFieldText(slot, selection));
  LoadFrom(OrderedRange(selection));
  if (tab >= 0 && tab < kTabCount) tabs_->setCurrentIndex(tab);
  tabs_->currentWidget()->setFocus();
  open();
}

void PropertiesDialog::Confirm() {
  Request r;
  if (!ReadRangeField(slot_, rangeField_, false, &r.range)) return;
  CellProperties& p = r.properties;
  p.groups = touched_;
  if ((touched_ & kPropertyFormat) && !ReadFormatChoice(formatBox_, &p.format)) {
    ThePlatform().Beep();
    tabs_->setCurrentIndex(kFormatTab);
    formatBox_->setFocus();
    return;
  }
  p.noShade = noShade_->isChecked();
  for (int i = 0; i < 3; ++i) p.shade[i] = uint8_t(shade_[size_t(i)]->value());
  p.font = uint8_t(fontBox_->currentData().toInt());
  p.size = uint8_t(size_->value());
  p.style = uint8_t((bold_->isChecked() ? kStyleBold : 0) | (italic_->isChecked() ? kStyleItalic : 0) |
                    (underline_->isChecked() ? kStyleUnderline : 0));
  p.textColour = textColour_->currentData().toInt();
  p.alignment = std::max(1, prefix_->checkedId());
  p.locked = lock_->checkedId() == 0;
  p.borderLine = BorderLine(std::max(0, line_->checkedId()));
  p.borderEdges = BorderEdges(std::max(0, edges_->checkedId()));
  request_ = r;
  accept();
}

bool PropertiesDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rangeField_ && event->type() == QEvent::MouseButtonDblClick && pointer_) {
    CellRange start = selection_;
    ReadRangeText(slot_, rangeField_->text(), false, &start);
    hide();
    pointer_(
        QStringLiteral("PROPERTY : Specify Range"), start,
        [this](const CellRange& r) { rangeField_->setText(RangeFieldText(slot_, r)); },
        [this] { open(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
