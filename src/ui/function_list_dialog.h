// ui/function_list_dialog.h — FunctionListDialog, the function list window that helps typing
// formulas and macros.
//
// A small tool window ("Function List") with an edit box over a list. In its Functions mode it
// lists the formula engine's functions and the user functions of the library; in its Macros mode
// the names of the macro vocabulary. Typing in the edit box moves the selection to the first
// item that begins with the text; choosing an item reports its text up to and including the
// "(" (`chosen`); Escape closes the window.
// State: per window (mode, the items shown).
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

class FunctionListDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Mode { kFunctions, kMacros };

  explicit FunctionListDialog(QWidget* parent = nullptr);

  // Fills the list for `mode` and shows the window. Gives false (and shows nothing) when the
  // mode has no items, as the Macros mode has while no macro vocabulary is installed.
  bool Open(Mode mode);
  Mode mode() const { return mode_; }
  QStringList items() const;
  // The text an item inserts: up to and including its "(", the whole item when it has none.
  static QString InsertText(const QString& item);

  QLineEdit* editBox() const { return edit_; }
  QListWidget* listBox() const { return list_; }

  // The macro vocabulary's names for the Macros mode (installed by the macro layer's owner).
  static void SetMacroNames(const QStringList& names);
  static bool MacroNamesInstalled();

 signals:
  void chosen(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void choose();
  void follow(const QString& text);

  Mode mode_ = Mode::kFunctions;
  QLineEdit* edit_;
  QListWidget* list_;
};
