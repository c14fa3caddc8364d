// ui/tip_dialog.h — TipDialog, the tip of the day.
//
// Shows one tip of the tips file (files/tips_file.h) as wrapped text: "&Next >>" shows the next
// tip (after the last, the first), "&Show Tips at Startup" is the TIPS= setting (written to the
// settings file at exit), "&Ok" closes. Each opening draws a tip uniformly from all of them; a
// missing file or tip shows the fallback text.
// State: per dialog (the file's text as read at opening, the tip shown).
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;

class TipDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TipDialog(QWidget* parent = nullptr);

  // Reads the tips file and shows a tip drawn at random.
  void Open();
  // Shows tip `number` of the file read last.
  void ShowTip(int number);
  void ShowNext();

  int tipNumber() const { return number_; }
  int tipCount() const { return count_; }
  QLabel* tipLabel() const { return tip_; }
  QCheckBox* startupBox() const { return startupBox_; }

 private:
  std::string contents_;
  int count_ = 0;
  int number_ = 0;
  QLabel* tip_;
  QCheckBox* startupBox_;
};
