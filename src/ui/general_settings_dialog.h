// ui/general_settings_dialog.h — GeneralSettingsDialog, the Sheet menu's "General: Set
// Parameters" dialog.
//
// Ten pages in the order of the items' tags: Format, Options, Typeface, Color, Files, Advanced,
// Size, Label, Protection, Grid. Open() loads the settings in force (commands/sheet_settings.h)
// for a worksheet and shows the page of the tag; the controls edit a copy, so "Canc&el" changes
// nothing. "&Ok" and "A&pply Globally" end the dialog with settings() ready; appliedGlobally()
// tells them apart. The Color page keeps the seven colour words: choosing a feature loads its
// word into the boxes and each change of a box rewrites that word at once; "Set to &Defaults"
// writes the seven defaults. The Protection page's "P&assword ..." runs the password dialog on
// the worksheet at once.
// State: per dialog (the worksheet, the settings being edited, the chosen feature).
#pragma once

#include <QDialog>
#include <array>

#include "commands/sheet_settings.h"
#include "core/worksheets.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;

class GeneralSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  enum Page : int {
    kFormatPage = 0,
    kOptionsPage,
    kTypefacePage,
    kColourPage,
    kFilesPage,
    kAdvancedPage,
    kSizePage,
    kLabelPage,
    kProtectionPage,
    kGridPage,
    kPageCount
  };

  explicit GeneralSettingsDialog(QWidget* parent = nullptr);

  // Loads the settings of worksheet `slot` and the program and shows page `page` (another value:
  // the first page).
  void Open(SlotIndex slot, int page);
  // The settings the controls hold.
  GeneralSettings settings() const;
  bool appliedGlobally() const { return globally_; }
  SlotIndex slot() const { return slot_; }

  QTabWidget* pages() const { return pages_; }
  QPushButton* okButton() const { return okButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QPushButton* globalButton() const { return globalButton_; }
  // Colour page.
  QListWidget* featureList() const { return featureList_; }
  QPushButton* defaultsButton() const { return defaultsButton_; }
  QSpinBox* colourSpin(int channel) const { return rgb_[size_t(channel)]; }
  QComboBox* paletteBox() const { return paletteBox_; }
  QCheckBox* ignoreBackgroundBox() const { return ignoreBackground_; }
  QCheckBox* ignoreForegroundBox() const { return ignoreForeground_; }
  QLabel* sample() const { return sample_; }

 private:
  QWidget* BuildFormatPage();
  QWidget* BuildOptionsPage();
  QWidget* BuildTypefacePage();
  QWidget* BuildColourPage();
  QWidget* BuildFilesPage();
  QWidget* BuildAdvancedPage();
  QWidget* BuildSizePage();
  QWidget* BuildLabelPage();
  QWidget* BuildProtectionPage();
  QWidget* BuildGridPage();
  QCheckBox* Box(QWidget* parent, const char* caption, const char* name);
  // Colour page.
  void LoadFeature(int index);
  void StoreFeature();
  void ShowSample();
  void ShowProtection();
  void Load(const GeneralSettings& s);

  SlotIndex slot_ = 0;
  bool globally_ = false;
  bool loading_ = false;
  bool clearHistory_ = false;
  std::array<uint32_t, GlobalOptions::kColourFeatureCount> colours_{};
  int feature_ = 0;
  GeneralSettings loaded_;

  QTabWidget* pages_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
  QPushButton* globalButton_;
  // Format, Options, Typeface.
  QComboBox* formatBox_;
  QCheckBox* showZeros_;
  QCheckBox* colourNegatives_;
  QCheckBox* banding_;
  QCheckBox* autoRecalc_;
  QCheckBox* raisedBorders_;
  QComboBox* fontBox_;
  QSpinBox* fontSize_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QCheckBox* underline_;
  // Color.
  QListWidget* featureList_;
  QPushButton* defaultsButton_;
  QLabel* swatch_;
  std::array<QSpinBox*, 3> rgb_{};
  QCheckBox* ignoreBackground_;
  QComboBox* paletteBox_;
  QCheckBox* ignoreForeground_;
  QLabel* sample_;
  // Files.
  QLineEdit* autoexec_;
  QLineEdit* macros_;
  QLineEdit* wallpaper_;
  QSpinBox* historySize_;
  QPushButton* clearHistoryButton_;
  // Advanced.
  QComboBox* currency_;
  QComboBox* argument_;
  QComboBox* thousands_;
  QComboBox* decimal_;
  QButtonGroup* currencyPlace_;
  QCheckBox* winControlKeys_;
  QCheckBox* usDates_;
  QCheckBox* preOpen_;
  QCheckBox* backups_;
  QCheckBox* undo_;
  // Size, Label.
  QSpinBox* rowHeight_;
  QSpinBox* columnWidth_;
  QComboBox* dimensions_;
  QButtonGroup* alignment_;
  QLabel* alignmentSample_;
  // Protection, Grid.
  QCheckBox* protection_;
  QLabel* protectionState_;
  QCheckBox* solidLines_;
  QCheckBox* printBlack_;
  QCheckBox* rowLines_;
  QCheckBox* columnLines_;
};

// The seven colour features' captions, in the order of the colour words.
extern const char* const kColourFeatureNames[GlobalOptions::kColourFeatureCount];

// A format box: an editable list of the settings' format list ("F2  Fixed", ...). SetFormatChoice
// shows `format` by its letter code; ReadFormatChoice reads the letters before the first blank
// (false for a text that names no format).
void FillFormatChoices(QComboBox* box);
void SetFormatChoice(QComboBox* box, uint8_t format);
bool ReadFormatChoice(const QComboBox* box, uint8_t* format);
