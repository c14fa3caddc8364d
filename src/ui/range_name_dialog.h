// ui/range_name_dialog.h — RangeNameDialog, the Range menu's range-name dialog.
//
// Three pages: "Names" ("&Name:", "&Range:", the list of the sheet's names with their ranges,
// "&Create", "&Delete", "&Reset" and a status line), "Build" (names from a two-column block of
// name and range texts) and "Table" (the name list written into the sheet). Each button runs its
// command at once, as one undo group (commands/commands.h DefineRangeName, DeleteRangeName,
// ResetRangeNames after the question "Reset All Names: Are You Sure?", BuildRangeNames,
// TableRangeNames), and the list follows. "&Create" with a range that does not read beeps and
// keeps the field; a name of digits only shows " All Digits in Name!". Double-clicking a range
// field points at the range on the range prompt. "&Close" closes.
// State: per dialog (the worksheet it works on).
#pragma once

#include <QDialog>
#include <string>

#include "commands/commands.h"
#include "core/worksheets.h"
#include "ui/range_fields.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

class RangeNameDialog : public QDialog {
  Q_OBJECT
 public:
  enum Page : int { kNamesPage = 0, kBuildPage = 1, kTablePage = 2 };

  explicit RangeNameDialog(QWidget* parent = nullptr);

  // Opens the dialog on `page` for worksheet `slot`, the range fields holding `selection`.
  void Open(SlotIndex slot, int page, const CellRange& selection);
  void setRangePointer(RangePointer pointer) { pointer_ = std::move(pointer); }

  // The buttons' actions.
  void Create();
  void Delete();
  void Reset();
  void Build();
  void Table();
  // Reloads the list from the sheet's name table.
  void RefreshList();

  QTabWidget* pages() const { return pages_; }
  QLineEdit* nameField() const { return nameField_; }
  QLineEdit* rangeField() const { return rangeField_; }
  QLineEdit* buildField() const { return buildField_; }
  QLineEdit* tableField() const { return tableField_; }
  QListWidget* nameList() const { return nameList_; }
  QLabel* status() const { return status_; }

 signals:
  // A command changed the worksheet: its windows need refreshing.
  void sheetChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Runs `command` on the dialog's worksheet, then reloads the list and asks for a refresh.
  CommandResult RunOnSheet(const std::function<CommandResult()>& command);
  bool SheetOpen() const;
  // SheetOpen(); otherwise beeps and closes the dialog.
  bool Usable();
  void NameChosen();

  SlotIndex slot_ = 0;
  CellRange selection_;
  RangePointer pointer_;
  QTabWidget* pages_;
  QLineEdit* nameField_;
  QLineEdit* rangeField_;
  QListWidget* nameList_;
  QLabel* status_;
  QLineEdit* buildField_;
  QLineEdit* tableField_;
};
