// graph/graph_settings_dialog.cpp — the graph settings dialog.
//
// Reads and writes: the graph definitions of the worksheet the dialog was opened for, each time
// inside a SheetScope of that worksheet.
#include "graph/graph_settings_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

#include "core/cell_store.h"
#include "core/format.h"
#include "core/palette.h"
#include "core/sheet_scope.h"
#include "formula/evaluator.h"
#include "platform/platform.h"
#include "ui/cp1252.h"

namespace {

struct TypeButton {
  const char* caption;
  int code;
};
constexpr TypeButton kTypes2D[] = {
    {"&Xy", kGraphXy},       {"&Bar", kGraphBar},     {"&Pie", kGraphPie},
    {"&Stack", kGraphStack}, {"&Line", kGraphLine},   {"Cu&m", kGraphCumulative},
    {"&Hilo", kGraphHiLo},   {"&Radar", kGraphRadar}, {"&Area", kGraphArea},
    {"&Delta", kGraphDelta}, {"P&olar", kGraphPolar}, {"&Contour", kGraphContour},
};
constexpr TypeButton kTypes3D[] = {
    {"&Strip", kGraphStrip3D}, {"&Wall", kGraphWall3D}, {"&Pie", kGraphPie3D},
    {"&Donut", kGraphDonut3D}, {"&Bar", kGraphBar3D},   {"S&tack", kGraphStack3D},
};

// Page index of each menu tag 0..8 (tag 6 has no page and opens the first one).
constexpr int kPageOfTag[] = {0, 1, 2, 3, 4, 5, 0, 6, 7};

QComboBox* NumberedBox(const char* prefix, int count) {
  auto* box = new QComboBox;
  for (int i = 0; i < count; ++i) box->addItem(QStringLiteral("%1 %2").arg(prefix).arg(i + 1));
  return box;
}

QComboBox* ColourBox() {
  auto* box = new QComboBox;
  for (size_t i = 0; i < kPalette.size(); ++i) {
    QPixmap swatch(16, 12);
    swatch.fill(QColor(kPalette[i].red, kPalette[i].green, kPalette[i].blue));
    box->addItem(QIcon(swatch), QString::number(i));
  }
  return box;
}

// Radio buttons with `captions` in a row, numbered 0.. in their group.
QButtonGroup* RadioRow(QWidget* owner, QBoxLayout* into,
                       std::initializer_list<const char*> captions) {
  auto* group = new QButtonGroup(owner);
  int id = 0;
  for (const char* caption : captions) {
    auto* b = new QRadioButton(QString::fromUtf8(caption));
    group->addButton(b, id++);
    into->addWidget(b);
  }
  return group;
}

QGroupBox* RadioBox(QWidget* owner, const char* title, std::initializer_list<const char*> captions,
                    QButtonGroup** group) {
  auto* box = new QGroupBox(QString::fromUtf8(title));
  auto* row = new QHBoxLayout(box);
  *group = RadioRow(owner, row, captions);
  return box;
}

void Check(QButtonGroup* group, int id) {
  if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

}  // namespace

GraphSettingsDialog::GraphSettingsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Graph"));
  auto* layout = new QVBoxLayout(this);
  captionLine_ = new QLabel;
  layout->addWidget(captionLine_);
  pages_ = new QTabWidget;
  pages_->addTab(BuildTypePage(), QStringLiteral("Type"));
  pages_->addTab(BuildRangesPage(), QStringLiteral("Ranges"));
  pages_->addTab(BuildOptionsPage(), QStringLiteral("Options"));
  pages_->addTab(BuildScalePage(), QStringLiteral("Scale"));
  pages_->addTab(BuildNamesPage(), QStringLiteral("Names"));
  pages_->addTab(BuildHeadingsPage(), QStringLiteral("Headings"));
  pages_->addTab(BuildFontsPage(), QStringLiteral("Fonts"));
  pages_->addTab(BuildLegendsPage(), QStringLiteral("Legends"));
  layout->addWidget(pages_);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("&Ok"));
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
  ok->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &GraphSettingsDialog::Confirm);
  connect(cancel, &QPushButton::clicked, this, &GraphSettingsDialog::CancelChanges);
}

// --- pages ---------------------------------------------------------------------------------------

QWidget* GraphSettingsDialog::BuildTypePage() {
  auto* page = new QWidget;
  auto* row = new QHBoxLayout(page);
  auto build = [&](const char* title, const auto& types, QButtonGroup** group) {
    auto* box = new QGroupBox(QString::fromUtf8(title));
    auto* grid = new QGridLayout(box);
    *group = new QButtonGroup(this);
    int i = 0;
    for (const TypeButton& t : types) {
      auto* b = new QPushButton(QString::fromUtf8(t.caption));
      b->setCheckable(true);
      (*group)->addButton(b, t.code);
      grid->addWidget(b, i / 3, i % 3);
      ++i;
    }
    row->addWidget(box);
  };
  build("&2D", kTypes2D, &types2D_);
  build("&3D", kTypes3D, &types3D_);
  auto choose = [this](QButtonGroup* other, int code) {
    if (loading_) return;
    // Choosing in one grid clears the other grid's choice.
    other->setExclusive(false);
    for (QAbstractButton* b : other->buttons()) b->setChecked(false);
    other->setExclusive(true);
    Edit([code](GraphDefinition& g) { g.setType(uint8_t(code)); });
  };
  connect(types2D_, &QButtonGroup::idClicked, this,
          [this, choose](int code) { choose(types3D_, code); });
  connect(types3D_, &QButtonGroup::idClicked, this,
          [this, choose](int code) { choose(types2D_, code); });
  return page;
}

QWidget* GraphSettingsDialog::BuildRangesPage() {
  auto* page = new QTabWidget;
  auto* series = new QWidget;
  auto* seriesForm = new QFormLayout(series);
  for (int i = 0; i <= kGraphSeriesCount; ++i) {
    auto* field = new QLineEdit;
    field->setObjectName(QStringLiteral("seriesField%1").arg(i));
    field->installEventFilter(this);
    seriesFields_[size_t(i)] = field;
    seriesForm->addRow(i == 0 ? QStringLiteral("&X: ") : QStringLiteral("&%1: ").arg(i), field);
    ConnectRangeField(field, i);
  }
  auto* resetRanges = new QPushButton(QStringLiteral("&Reset Ranges"));
  seriesForm->addRow(resetRanges);
  connect(resetRanges, &QPushButton::clicked, this, [this] {
    Edit(
        [](GraphDefinition& g) {
          for (int i = 0; i <= kGraphSeriesCount; ++i) g.setRange(i, NoRange());
        },
        true);
  });
  page->addTab(series, QStringLiteral("&Series"));

  auto* labels = new QWidget;
  auto* labelGrid = new QGridLayout(labels);
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    auto* field = new QLineEdit;
    field->setObjectName(QStringLiteral("labelField%1").arg(s));
    field->installEventFilter(this);
    labelFields_[size_t(s - 1)] = field;
    auto* place = new QComboBox;
    place->addItems({QStringLiteral("&Above"), QStringLiteral("&Below"), QStringLiteral("&Left"),
                     QStringLiteral("&Right"), QStringLiteral("&None")});
    labelPlaces_[size_t(s - 1)] = place;
    auto* caption = new QLabel(QStringLiteral("&%1: ").arg(s));
    caption->setBuddy(field);
    labelGrid->addWidget(caption, s - 1, 0);
    labelGrid->addWidget(field, s - 1, 1);
    labelGrid->addWidget(place, s - 1, 2);
    ConnectRangeField(field, kGraphLabelRange1 + s - 1);
    connect(place, &QComboBox::currentIndexChanged, this, [this, s](int index) {
      if (!loading_) Edit([&](GraphDefinition& g) { g.setLabelPlace(s, uint8_t(index)); });
    });
  }
  auto* resetLabels = new QPushButton(QStringLiteral("&Reset Labels"));
  labelGrid->addWidget(resetLabels, kGraphSeriesCount, 1);
  connect(resetLabels, &QPushButton::clicked, this, [this] {
    Edit(
        [](GraphDefinition& g) {
          for (int s = 0; s < kGraphSeriesCount; ++s) g.setRange(kGraphLabelRange1 + s, NoRange());
        },
        true);
  });
  page->addTab(labels, QStringLiteral("&Labels"));
  return page;
}

QWidget* GraphSettingsDialog::BuildOptionsPage() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  styleTabs_ = new QTabBar;
  for (int s = 1; s <= kGraphSeriesCount; ++s) styleTabs_->addTab(QStringLiteral("&%1").arg(s));
  styleTabs_->addTab(QStringLiteral("&Other"));
  column->addWidget(styleTabs_);
  auto* form = new QFormLayout;
  markerBox_ = NumberedBox("Mark", 16);
  hatchBox_ = NumberedBox("Hatch", 8);
  thicknessBox_ = NumberedBox("Width", 5);
  lineStyleBox_ = NumberedBox("Style", 6);
  foregroundBox_ = ColourBox();
  backgroundBox_ = ColourBox();
  form->addRow(QStringLiteral("&Marks:"), markerBox_);
  form->addRow(QStringLiteral("&Hatchs:"), hatchBox_);
  form->addRow(QStringLiteral("&Thickness:"), thicknessBox_);
  form->addRow(QStringLiteral("&Style:"), lineStyleBox_);
  form->addRow(QStringLiteral("&Foreground "), foregroundBox_);
  form->addRow(QStringLiteral(" &Background "), backgroundBox_);
  column->addLayout(form);
  auto* marks = new QGroupBox(QStringLiteral("&Options"));
  auto* marksRow = new QHBoxLayout(marks);
  marksGroup_ = RadioRow(this, marksRow, {"&None", "&Lines", "&Symbols", "&Both"});
  column->addWidget(marks);
  auto* grid = new QGroupBox(QStringLiteral("Grid"));
  auto* gridColumn = new QVBoxLayout(grid);
  gridColumn->addWidget(RadioBox(this, " &Style", {"&Solid", "&Dots"}, &gridStyleGroup_));
  gridColumn->addWidget(
      RadioBox(this, " &Grid ", {"&None", "&Horiz", "&Vert", "&Both"}, &gridGroup_));
  auto* colours = new QFormLayout;
  insideBox_ = ColourBox();
  outsideBox_ = ColourBox();
  colours->addRow(QStringLiteral(" Inside "), insideBox_);
  colours->addRow(QStringLiteral(" Outside "), outsideBox_);
  gridColumn->addLayout(colours);
  column->addWidget(grid);

  connect(styleTabs_, &QTabBar::currentChanged, this, [this] { LoadStyle(); });
  auto storeStyle = [this] {
    if (loading_) return;
    const int entry = styleTabs_->currentIndex();
    Edit([&](GraphDefinition& g) {
      g.setStyle(
          entry,
          GraphStyle{uint8_t(markerBox_->currentIndex()), uint8_t(hatchBox_->currentIndex()),
                     uint8_t(thicknessBox_->currentIndex()), uint8_t(lineStyleBox_->currentIndex()),
                     uint8_t(foregroundBox_->currentIndex()),
                     uint8_t(backgroundBox_->currentIndex())});
    });
  };
  for (QComboBox* box :
       {markerBox_, hatchBox_, thicknessBox_, lineStyleBox_, foregroundBox_, backgroundBox_}) {
    connect(box, &QComboBox::currentIndexChanged, this, storeStyle);
  }
  connect(marksGroup_, &QButtonGroup::idClicked, this, [this](int id) {
    const int entry = styleTabs_->currentIndex();
    if (entry < kGraphSeriesCount) {
      Edit([&](GraphDefinition& g) { g.setSeriesMarks(entry + 1, uint8_t(id)); });
    }
  });
  connect(gridStyleGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { Edit([&](GraphDefinition& g) { g.setSolidGrid(id == 0); }); });
  connect(gridGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { Edit([&](GraphDefinition& g) { g.setGridLines(uint8_t(id)); }); });
  connect(insideBox_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!loading_) Edit([&](GraphDefinition& g) { g.setInsideColour(uint8_t(i)); });
  });
  connect(outsideBox_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!loading_) Edit([&](GraphDefinition& g) { g.setOutsideColour(uint8_t(i)); });
  });
  return page;
}

QWidget* GraphSettingsDialog::BuildScalePage() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  axisTabs_ = new QTabBar;
  axisTabs_->addTab(QStringLiteral("&X-Axis"));
  axisTabs_->addTab(QStringLiteral("&Y-Axis"));
  column->addWidget(axisTabs_);
  auto* form = new QFormLayout;
  lowerField_ = new QLineEdit;
  upperField_ = new QLineEdit;
  formatField_ = new QLineEdit;
  stepBox_ = new QSpinBox;
  stepBox_->setRange(0, 127);
  divisionsBox_ = new QSpinBox;
  divisionsBox_->setRange(2, 255);
  form->addRow(QStringLiteral("&Lower: "), lowerField_);
  form->addRow(QStringLiteral("&Upper: "), upperField_);
  form->addRow(QStringLiteral("Format: "), formatField_);
  form->addRow(QStringLiteral("&Step: "), stepBox_);
  form->addRow(QStringLiteral("&Div: "), divisionsBox_);
  column->addLayout(form);
  column->addWidget(RadioBox(this, " Axis", {"&Normal", "&Exp"}, &axisKindGroup_));
  column->addWidget(RadioBox(this, " Scaling ", {"&Manual", "&Auto"}, &scalingGroup_));

  connect(axisTabs_, &QTabBar::currentChanged, this, [this](int axis) {
    ThePlatform().ShowMode(axis == 0 ? "Scale: Set X-Axis" : "Scale: Set Y-Axis");
    LoadScale();
  });
  auto axis = [this] { return axisTabs_->currentIndex(); };
  connect(lowerField_, &QLineEdit::editingFinished, this, [this, axis] {
    if (loading_) return;
    const double v = EvaluateField(lowerField_);
    Edit([&](GraphDefinition& g) { g.setLowerLimit(axis(), v); });
  });
  connect(upperField_, &QLineEdit::editingFinished, this, [this, axis] {
    if (loading_) return;
    const double v = EvaluateField(upperField_);
    Edit([&](GraphDefinition& g) { g.setUpperLimit(axis(), v); });
  });
  connect(formatField_, &QLineEdit::editingFinished, this, [this, axis] {
    if (loading_) return;
    const uint8_t code = ParseFormatLetters(ToCp1252(formatField_->text().trimmed()));
    Edit([&](GraphDefinition& g) { g.setAxisFormat(axis(), code); }, true);
  });
  // "&Step:" is the number of minor divisions between two major ones (the high byte of the
  // axis's division word); "&Div:" the number of major divisions.
  connect(stepBox_, &QSpinBox::valueChanged, this, [this, axis](int minor) {
    if (loading_) return;
    Edit([&](GraphDefinition& g) {
      g.setDivisionWord(axis(), uint16_t((g.divisionWord(axis()) & 0xFF) | (minor << 8)));
    });
  });
  connect(divisionsBox_, &QSpinBox::valueChanged, this, [this, axis](int n) {
    if (!loading_) Edit([&](GraphDefinition& g) { g.setDivisions(axis(), uint8_t(n)); });
  });
  connect(axisKindGroup_, &QButtonGroup::idClicked, this, [this, axis](int id) {
    Edit([&](GraphDefinition& g) {
      if (axis() == 0)
        g.setLogarithmicX(id == 1);
      else
        g.setLogarithmicY(id == 1);
    });
  });
  connect(scalingGroup_, &QButtonGroup::idClicked, this, [this, axis](int id) {
    Edit([&](GraphDefinition& g) { g.setManualScale(axis(), id == 0); });
  });
  return page;
}

QWidget* GraphSettingsDialog::BuildNamesPage() {
  auto* page = new QGroupBox(QStringLiteral(" Graph Names "));
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  nameField_ = new QLineEdit;
  nameField_->setMaxLength(int(graph_layout::kNameCapacity));
  form->addRow(QStringLiteral("N&ame:"), nameField_);
  column->addLayout(form);
  nameList_ = new QListWidget;
  column->addWidget(nameList_);
  connect(nameList_, &QListWidget::currentTextChanged, nameField_, &QLineEdit::setText);
  auto* buttons = new QHBoxLayout;
  int action = 0;
  for (const char* caption : {"&New", "&Delete", "&Use", "&Merge", "&Reset"}) {
    auto* b = new QPushButton(QString::fromUtf8(caption));
    connect(b, &QPushButton::clicked, this, [this, action] { NameAction(action); });
    buttons->addWidget(b);
    ++action;
  }
  column->addLayout(buttons);
  return page;
}

QWidget* GraphSettingsDialog::BuildHeadingsPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  const char* captions[] = {"&Main: ", "&Second: ", "&X-Axis: ", "&Y-Axis: "};
  for (int h = 0; h < kGraphHeadingCount; ++h) {
    auto* field = new QLineEdit;
    field->setMaxLength(int(kGraphHeadingCapacity));
    headingFields_[size_t(h)] = field;
    form->addRow(QString::fromUtf8(captions[h]), field);
    connect(field, &QLineEdit::textEdited, this, [this, h](const QString& text) {
      Edit([&](GraphDefinition& g) { g.setHeading(h, ToCp1252(text)); });
    });
  }
  return page;
}

QWidget* GraphSettingsDialog::BuildFontsPage() {
  auto* page = new QWidget;
  auto* row = new QHBoxLayout(page);
  auto* kinds = new QGroupBox;
  auto* kindColumn = new QVBoxLayout(kinds);
  fontKindGroup_ = new QButtonGroup(this);
  int id = 0;
  for (const char* caption :
       {"&Main", "&Second", "&X-axis", "&Y-Axis", "&Values", "&Labels", "L&egend"}) {
    auto* b = new QRadioButton(QString::fromUtf8(caption));
    fontKindGroup_->addButton(b, id++);
    kindColumn->addWidget(b);
  }
  fontKindGroup_->button(0)->setChecked(true);
  row->addWidget(kinds);
  auto* chooser = new QVBoxLayout;
  fontFaceBox_ = new QFontComboBox;
  fontSizeBox_ = new QSpinBox;
  fontSizeBox_->setRange(1, 255);
  fontSample_ = new QLabel(QStringLiteral("ABC123"));
  chooser->addWidget(fontFaceBox_);
  chooser->addWidget(fontSizeBox_);
  chooser->addWidget(fontSample_);
  row->addLayout(chooser);
  connect(fontKindGroup_, &QButtonGroup::idClicked, this, [this] { LoadFont(); });
  auto store = [this] {
    if (loading_) return;
    const int kind = fontKindGroup_->checkedId();
    const std::string face = ToCp1252(fontFaceBox_->currentText());
    const int size = fontSizeBox_->value();
    Edit([&](GraphDefinition& g) {
      g.setFontFace(kind, face);
      g.setFontSize(kind, uint8_t(size));
    });
    LoadFont();
  };
  connect(fontFaceBox_, &QFontComboBox::currentFontChanged, this, store);
  connect(fontSizeBox_, &QSpinBox::valueChanged, this, store);
  return page;
}

QWidget* GraphSettingsDialog::BuildLegendsPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    auto* field = new QLineEdit;
    field->setMaxLength(int(kGraphLegendCapacity));
    legendFields_[size_t(s - 1)] = field;
    form->addRow(QStringLiteral("&%1: ").arg(s), field);
    connect(field, &QLineEdit::textChanged, this, [this, s](const QString& text) {
      if (!loading_) Edit([&](GraphDefinition& g) { g.setLegend(s, ToCp1252(text)); });
    });
  }
  auto* clear = new QPushButton(QStringLiteral("C&lear"));
  form->addRow(clear);
  connect(clear, &QPushButton::clicked, this, [this] {
    Edit(
        [](GraphDefinition& g) {
          for (int s = 1; s <= kGraphSeriesCount; ++s) g.setLegend(s, "");
        },
        true);
  });
  form->addRow(RadioBox(this, " Type ", {"&Row", "&Table"}, &legendTypeGroup_));
  connect(legendTypeGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { Edit([&](GraphDefinition& g) { g.setTableLegend(id == 1); }); });
  return page;
}

// --- opening, loading, editing -------------------------------------------------------------------

bool GraphSettingsDialog::SheetOpen() const {
  return slot_ > 0 && Worksheet(slot_).InUse() && Worksheet(slot_).heap == heap_;
}

void GraphSettingsDialog::Open(SlotIndex slot, int tag, const CellRange& selection) {
  slot_ = slot;
  heap_ = Worksheet(slot).heap;
  selection_ = selection;
  {
    SheetScope scope(slot_);
    std::memcpy(saved_.data(), CurrentGraph().bytes(), kGraphBlockSize);
  }
  Load();
  pages_->setCurrentIndex(kPageOfTag[tag >= 0 && tag <= 8 ? tag : 0]);
  show();
  raise();
  activateWindow();
}

void GraphSettingsDialog::Load() {
  if (!SheetOpen()) return;
  loading_ = true;
  SheetScope scope(slot_);
  const GraphDefinition g = CurrentGraph();
  for (QButtonGroup* group : {types2D_, types3D_}) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == g.type());
    group->setExclusive(true);
  }
  for (int i = 0; i <= kGraphSeriesCount; ++i) {
    seriesFields_[size_t(i)]->setText(FromCp1252(RangeText(g.range(i))));
  }
  for (int s = 1; s <= kGraphSeriesCount; ++s) {
    labelFields_[size_t(s - 1)]->setText(FromCp1252(RangeText(g.labelRange(s))));
    labelPlaces_[size_t(s - 1)]->setCurrentIndex(std::min<int>(g.labelPlace(s), kLabelNone));
    legendFields_[size_t(s - 1)]->setText(FromCp1252(g.legend(s)));
  }
  for (int h = 0; h < kGraphHeadingCount; ++h) {
    headingFields_[size_t(h)]->setText(FromCp1252(g.heading(h)));
  }
  Check(gridStyleGroup_, g.solidGrid() ? 0 : 1);
  Check(gridGroup_, g.gridLines());
  insideBox_->setCurrentIndex(g.insideColour() & 15);
  outsideBox_->setCurrentIndex(g.outsideColour() & 15);
  Check(legendTypeGroup_, g.tableLegend() ? 1 : 0);
  nameList_->clear();
  for (int i = 1; i <= NamedGraphCount(); ++i) nameList_->addItem(FromCp1252(NamedGraph(i).name()));
  loading_ = false;
  LoadStyle();
  LoadScale();
  LoadFont();
  UpdateCaption();
}

void GraphSettingsDialog::LoadStyle() {
  if (!SheetOpen()) return;
  loading_ = true;
  SheetScope scope(slot_);
  const GraphDefinition g = CurrentGraph();
  const int entry = styleTabs_->currentIndex();
  const GraphStyle s = g.style(entry);
  markerBox_->setCurrentIndex(s.marker & 15);
  hatchBox_->setCurrentIndex(s.hatch & 7);
  thicknessBox_->setCurrentIndex(std::min<int>(s.thickness, 4));
  lineStyleBox_->setCurrentIndex(std::min<int>(s.lineStyle, 5));
  foregroundBox_->setCurrentIndex(s.foreground & 15);
  backgroundBox_->setCurrentIndex(s.background & 15);
  for (QAbstractButton* b : marksGroup_->buttons()) b->setEnabled(entry < kGraphSeriesCount);
  if (entry < kGraphSeriesCount) Check(marksGroup_, std::min<int>(g.seriesMarks(entry + 1), 3));
  loading_ = false;
}

void GraphSettingsDialog::LoadScale() {
  if (!SheetOpen()) return;
  loading_ = true;
  SheetScope scope(slot_);
  const GraphDefinition g = CurrentGraph();
  const int axis = axisTabs_->currentIndex();
  lowerField_->setText(QString::number(g.lowerLimit(axis), 'g', 15));
  upperField_->setText(QString::number(g.upperLimit(axis), 'g', 15));
  formatField_->setText(FromCp1252(FormatName(g.axisFormat(axis))));
  stepBox_->setValue(std::max<int>(0, g.minorDivisions(axis)));
  divisionsBox_->setValue(g.divisions(axis));
  Check(axisKindGroup_, (axis == 0 ? g.logarithmicX() : g.logarithmicY()) ? 1 : 0);
  Check(scalingGroup_, g.manualScale(axis) ? 0 : 1);
  loading_ = false;
}

void GraphSettingsDialog::LoadFont() {
  if (!SheetOpen()) return;
  loading_ = true;
  SheetScope scope(slot_);
  const GraphDefinition g = CurrentGraph();
  const int kind = std::max(0, fontKindGroup_->checkedId());
  const QString face = FromCp1252(g.fontFace(kind));
  fontFaceBox_->setCurrentFont(QFont(face));
  fontSizeBox_->setValue(std::max<int>(1, g.fontSize(kind)));
  QFont sample(face);
  sample.setPointSize(std::max<int>(1, g.fontSize(kind)));
  fontSample_->setFont(sample);
  loading_ = false;
}

void GraphSettingsDialog::UpdateCaption() {
  if (!SheetOpen()) return;
  SheetScope scope(slot_);
  const GraphDefinition g = CurrentGraph();
  QString caption = g.name().empty() ? QStringLiteral("* Default *") : FromCp1252(g.name());
  if (!g.overlay().empty()) caption += QStringLiteral(" (%1)").arg(FromCp1252(g.overlay()));
  captionLine_->setText(caption);
}

// A range field stores its range when left: empty text undefines it, text that does not parse
// beeps and changes nothing.
void GraphSettingsDialog::ConnectRangeField(QLineEdit* field, int rangeIndex) {
  connect(field, &QLineEdit::editingFinished, this, [this, field, rangeIndex] {
    if (loading_) return;
    const std::string text = ToCp1252(field->text().trimmed());
    Edit(
        [&](GraphDefinition& g) {
          ClearError();
          const CellRange r = text.empty() ? NoRange() : ParseRange(text);
          if (ErrorRaised())
            ThePlatform().Beep();
          else
            g.setRange(rangeIndex, r);
        },
        true);
  });
}

void GraphSettingsDialog::Edit(const std::function<void(GraphDefinition&)>& edit, bool reload) {
  if (loading_ || !SheetOpen()) return;
  {
    SheetScope scope(slot_);
    GraphDefinition g = CurrentGraph();
    edit(g);
  }
  if (reload) Load();
}

double GraphSettingsDialog::EvaluateField(QLineEdit* field) {
  double value = 0;
  if (SheetOpen()) {
    SheetScope scope(slot_);
    const std::string text = ToCp1252(field->text().trimmed());
    if (!text.empty()) {
      const EvalResult r = EvaluateText(text);
      if (!r.compiled || r.error || r.isString || !std::isfinite(r.number)) {
        ThePlatform().Beep();
      } else {
        value = r.number;
      }
    }
  }
  loading_ = true;
  field->setText(QString::number(value, 'g', 15));
  loading_ = false;
  return value;
}

// --- range fields, names, closing ----------------------------------------------------------------

QAbstractButton* GraphSettingsDialog::typeButton(bool threeD, int code) const {
  return (threeD ? types3D_ : types2D_)->button(code);
}

bool GraphSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    for (int i = 0; i <= kGraphSeriesCount; ++i) {
      if (watched == seriesFields_[size_t(i)]) {
        AskForRange(i);
        return true;
      }
    }
    for (int s = 1; s <= kGraphSeriesCount; ++s) {
      if (watched == labelFields_[size_t(s - 1)]) {
        AskForRange(kGraphLabelRange1 + s - 1);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void GraphSettingsDialog::AskForRange(int rangeIndex) {
  if (!rangeRequest_) {
    ThePlatform().Beep();
    return;
  }
  if (!SheetOpen()) return;
  CellRange start;
  {
    SheetScope scope(slot_);
    start = CurrentGraph().range(rangeIndex);
  }
  if (!RangeIsValid(start)) start = selection_;
  const QString caption =
      rangeIndex < kGraphLabelRange1
          ? (rangeIndex == 0 ? QStringLiteral("X") : QString::number(rangeIndex)) +
                QStringLiteral("-Data: Specify Range")
          : QString::number(rangeIndex - kGraphLabelRange1 + 1) +
                QStringLiteral("-Label : Specify Range");
  hide();
  rangeRequest_(
      caption, start,
      [this, rangeIndex](const CellRange& r) {
        Edit([&](GraphDefinition& g) { g.setRange(rangeIndex, r); }, true);
      },
      [this] {
        Load();
        show();
      });
}

void GraphSettingsDialog::NameAction(int action) {
  if (!SheetOpen()) return;
  const std::string name = ToCp1252(nameField_->text().trimmed());
  bool found = true;
  {
    SheetScope scope(slot_);
    switch (action) {
      case 0:
        StoreNamedGraph(name);
        break;
      case 1:
        found = DeleteNamedGraph(name) == GraphNameResult::kDone;
        break;
      case 2:
        found = UseNamedGraph(name) == GraphNameResult::kDone;
        break;
      case 3:
        found = MergeNamedGraph(name) == GraphNameResult::kDone;
        break;
      default:
        RemoveAllNamedGraphs();
        break;
    }
    // The list of named graphs is not part of what "&Cancel" puts back.
    if (found) SetSheetModified(true);
  }
  if (!found) ThePlatform().Beep();
  Load();
}

void GraphSettingsDialog::Confirm() {
  // A field being edited when "&Ok" is pressed has not reported its last change yet.
  if (QWidget* focused = focusWidget()) {
    if (auto* field = qobject_cast<QLineEdit*>(focused)) emit field->editingFinished();
  }
  if (SheetOpen()) {
    SheetScope scope(slot_);
    if (std::memcmp(saved_.data(), CurrentGraph().bytes(), kGraphBlockSize) != 0) {
      SetSheetModified(true);
    }
  }
  accept();
}

void GraphSettingsDialog::CancelChanges() {
  if (SheetOpen()) {
    SheetScope scope(slot_);
    std::memcpy(CurrentGraph().bytes(), saved_.data(), kGraphBlockSize);
  }
  QDialog::reject();
}

void GraphSettingsDialog::reject() { CancelChanges(); }
