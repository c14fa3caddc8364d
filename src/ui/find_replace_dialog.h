// ui/find_replace_dialog.h — FindReplaceDialog, the modeless "Find & Replace" dialog.
//
// The find text (an editable box that keeps a drop-down list of earlier find texts), the replace
// text, "Case &Insensitive" (initially on), the scope ("&Global", initially, or "R&ange:" with a
// range field; double-clicking it points at the range, "Specify Search Range"), and the buttons
// "Find &Next", "&Replace", "Replace &All" and "&Cancel". The dialog stays open between searches
// and keeps the search (commands/find_replace.h FindState): a new search starts when a text or
// the scope changes, when the user moves the cell cursor, or when another worksheet is active.
// "&Replace" is enabled only while the cell at the current position contains the find text;
// "Replace &All" is disabled after it ran until a text changes.
// State: per dialog (the search, the worksheet it runs on, the hooks into the main window).
#pragma once

#include <QDialog>
#include <functional>

#include "commands/find_replace.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class FindReplaceDialog : public QDialog {
  Q_OBJECT
 public:
  // What the dialog needs from the main window.
  struct Hooks {
    // The worksheet of the active window (0 when none).
    std::function<SlotIndex()> activeSheet;
    // Runs `command` on the active worksheet made current and refreshes its views.
    std::function<CommandResult(const std::function<CommandResult()>&)> run;
    // Moves the active grid's cursor to a cell (a move the dialog makes is no move of the user).
    std::function<void(uint32_t row, uint32_t column)> moveCursor;
    RangePointer pointer;
  };

  explicit FindReplaceDialog(Hooks hooks, QWidget* parent = nullptr);

  // Shows the dialog (modeless) and brings it to the front.
  void Open();
  // The user moved the cell cursor: the next search starts anew.
  void CursorMoved();

  // The buttons.
  void FindNextClicked();
  void ReplaceClicked();
  void ReplaceAllClicked();

  // --- for tests ---
  QComboBox* findBox() const { return findBox_; }
  QLineEdit* replaceField() const { return replaceField_; }
  QCheckBox* caseBox() const { return caseBox_; }
  QRadioButton* globalButton() const { return globalButton_; }
  QRadioButton* rangeButton() const { return rangeButton_; }
  QLineEdit* rangeField() const { return rangeField_; }
  QPushButton* findNextButton() const { return findNextButton_; }
  QPushButton* replaceButton() const { return replaceButton_; }
  QPushButton* replaceAllButton() const { return replaceAllButton_; }
  const FindState& search() const { return state_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Takes the dialog's texts, flags and scope into the search; false (with a beep and the focus
  // on the range field) when the range does not read or there is no worksheet.
  bool ReadDialog();
  void TextsChanged();
  void ScopeChanged();
  void RememberFindText();
  // Runs a search command and moves the cursor to the position it found.
  void Search(const std::function<CommandResult(FindState&)>& command);
  void UpdateButtons();

  Hooks hooks_;
  FindState state_;
  SlotIndex slot_ = 0;
  bool replaceAllDone_ = false;
  bool movingCursor_ = false;
  QComboBox* findBox_;
  QLineEdit* replaceField_;
  QCheckBox* caseBox_;
  QRadioButton* globalButton_;
  QRadioButton* rangeButton_;
  QLineEdit* rangeField_;
  QPushButton* findNextButton_;
  QPushButton* replaceButton_;
  QPushButton* replaceAllButton_;
};
