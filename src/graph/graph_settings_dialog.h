// graph/graph_settings_dialog.h — GraphSettingsDialog, the graph settings dialog ("Graph").
//
// One dialog, created once and reused, edits the current graph definition of a worksheet on
// eight pages opened by the "&Graph" menu tags: type (0), ranges (1), options (2), scale (3),
// names (4), headings (5), fonts (7), legends (8). Every change goes into the definition at once
// (so that "&New" on the names page stores what the pages show); "&Cancel" puts back the whole
// definition as it was when the dialog opened. A double-click on a range field hides the dialog
// and asks for the range through the main window's range prompt, then the dialog comes back.
// State: per dialog (the worksheet, the copy kept for "&Cancel", the selection); reads and
// writes that worksheet's graph definitions (core/graph_definition.h).
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "core/address.h"
#include "core/graph_definition.h"
#include "core/worksheets.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class QTabWidget;

class GraphSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // Asks for a range with `caption`, starting from `start`; `done` is called with the accepted
  // range (not at all when the prompt is cancelled); `closed` in both cases after.
  using RangeRequest =
      std::function<void(const QString& caption, const CellRange& start,
                         std::function<void(const CellRange&)> done, std::function<void()> closed)>;

  explicit GraphSettingsDialog(QWidget* parent = nullptr);

  // Opens the page of menu tag `tag` for the graph definition of worksheet `slot`; `selection` is
  // the default range of empty range fields. Keeps the definition for "&Cancel".
  void Open(SlotIndex slot, int tag, const CellRange& selection);
  void setRangeRequest(RangeRequest request) { rangeRequest_ = std::move(request); }

  // --- for tests and the main window ---
  QTabWidget* pages() const { return pages_; }
  QLabel* captionLine() const { return captionLine_; }
  QAbstractButton* typeButton(bool threeD, int code) const;
  QLineEdit* seriesField(int index) const { return seriesFields_[size_t(index)]; }  // 0 X, 1..6
  QLineEdit* labelField(int series) const { return labelFields_[size_t(series - 1)]; }
  QLineEdit* headingField(int index) const { return headingFields_[size_t(index)]; }
  QLineEdit* legendField(int series) const { return legendFields_[size_t(series - 1)]; }
  QLineEdit* lowerField() const { return lowerField_; }
  QLineEdit* upperField() const { return upperField_; }
  QLineEdit* nameField() const { return nameField_; }
  QListWidget* nameList() const { return nameList_; }
  // Double-click on a range field: 0 X, 1..6 series, 7..12 label ranges of series 1..6.
  void AskForRange(int rangeIndex);
  // "&Ok" / "&Cancel".
  void Confirm();
  void CancelChanges();
  // Buttons of the names page: 0 "&New", 1 "&Delete", 2 "&Use", 3 "&Merge", 4 "&Reset".
  void NameAction(int action);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  QWidget* BuildTypePage();
  QWidget* BuildRangesPage();
  QWidget* BuildOptionsPage();
  QWidget* BuildScalePage();
  QWidget* BuildNamesPage();
  QWidget* BuildHeadingsPage();
  QWidget* BuildFontsPage();
  QWidget* BuildLegendsPage();
  // Fills every field from the definition (without feeding the changes back).
  void Load();
  void LoadStyle();
  void LoadScale();
  void LoadFont();
  void UpdateCaption();
  // Runs `edit` on the definition of the dialog's worksheet; with `reload` the fields are filled
  // again from the definition afterwards.
  void Edit(const std::function<void(GraphDefinition&)>& edit, bool reload = false);
  void ConnectRangeField(QLineEdit* field, int rangeIndex);
  // A number field's text evaluated as a formula; the field shows the value.
  double EvaluateField(QLineEdit* field);

  // True while the worksheet the dialog was opened for is still open (its entry may be reused by
  // another sheet after it closes, which its heap number tells apart).
  bool SheetOpen() const;

  SlotIndex slot_ = 0;
  uint16_t heap_ = 0;
  CellRange selection_;
  GraphBlock saved_{};
  bool loading_ = false;
  RangeRequest rangeRequest_;

  QLabel* captionLine_;
  QTabWidget* pages_;
  QButtonGroup* types2D_;
  QButtonGroup* types3D_;
  std::array<QLineEdit*, 7> seriesFields_{};
  std::array<QLineEdit*, 6> labelFields_{};
  std::array<QComboBox*, 6> labelPlaces_{};
  QTabBar* styleTabs_;
  QComboBox* markerBox_;
  QComboBox* hatchBox_;
  QComboBox* thicknessBox_;
  QComboBox* lineStyleBox_;
  QComboBox* foregroundBox_;
  QComboBox* backgroundBox_;
  QButtonGroup* marksGroup_;
  QButtonGroup* gridStyleGroup_;
  QButtonGroup* gridGroup_;
  QComboBox* insideBox_;
  QComboBox* outsideBox_;
  QTabBar* axisTabs_;
  QLineEdit* lowerField_;
  QLineEdit* upperField_;
  QLineEdit* formatField_;
  QSpinBox* stepBox_;
  QSpinBox* divisionsBox_;
  QButtonGroup* axisKindGroup_;
  QButtonGroup* scalingGroup_;
  QLineEdit* nameField_;
  QListWidget* nameList_;
  std::array<QLineEdit*, 4> headingFields_{};
  QButtonGroup* fontKindGroup_;
  QFontComboBox* fontFaceBox_;
  QSpinBox* fontSizeBox_;
  QLabel* fontSample_;
  std::array<QLineEdit*, 6> legendFields_{};
  QButtonGroup* legendTypeGroup_;
};
