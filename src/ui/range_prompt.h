// ui/range_prompt.h — RangePrompt, the range prompt of the main window.
//
// Every command that needs a range or a cell asks for it here: the prompt shows a caption and,
// as its text, the current selection as range text; the text follows the selection while the
// user selects in the grid, or takes a typed range or range name. Accepting parses the text
// (names included) and runs the action the command handed in; some prompts (GOTO, MACRO) offer
// the sheet's range names in a list. White bold text on navy.
// State: per prompt (caption, action, whether it is open).
#pragma once

#include <QWidget>
#include <functional>

#include "core/address.h"

class QComboBox;
class QLabel;

class RangePrompt : public QWidget {
  Q_OBJECT
 public:
  using Action = std::function<void(const CellRange&)>;

  explicit RangePrompt(QWidget* parent = nullptr);

  // Opens the prompt with `caption`, the text of `current`, the action to run with the accepted
  // range, and `names` to choose from (empty: no list).
  void Open(const QString& caption, const CellRange& current, Action action,
            const QStringList& names = {});
  bool isOpen() const { return open_; }
  QString caption() const;
  QString text() const;
  void setText(const QString& text);
  // A character typed while the prompt is open: the first one replaces the range text that
  // followed the selection, later ones are added; the prompt's line takes the focus.
  void Type(const QString& text);
  // The selection moved: the text becomes its range text.
  void Follow(const CellRange& selection);
  // Parses the text as a range (or name) of the current sheet and runs the action. An
  // unreadable text beeps and keeps the prompt open; an empty text closes it without running the
  // action. Gives whether the prompt closed.
  bool Accept();
  // Closes without running the action.
  void Cancel();

 signals:
  void closed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* caption_;
  QComboBox* box_;
  Action action_;
  bool open_ = false;
  bool typed_ = false;  // the user typed into the prompt since it followed the selection
};
