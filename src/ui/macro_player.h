// ui/macro_player.h — MacroPlayer, the desktop side of running macros.
//
// Runs the engine's macro interpreter (macros/interpreter.h) in slices of at most 20 ms from the
// event loop, so that Break and repaints keep working, and carries out what the interpreter asks
// of the desktop: keystrokes are posted one at a time as key press and release events to the
// widget that has the focus, each followed by a sentinel event that posts the next one, and the
// interpreter resumes once the last has been consumed; {?} waits for the user's Enter, GET for
// the user's next key, INLABEL and INVALUE open an input dialog, MENUBRANCH and MENUCALL a menu
// with the descriptions as status tips, FILEPICK a file dialog (Cancel acts as Break), DELAY a
// timer, TONE a sine tone (ui/macro_sound.h; a beep without audio output) and a timer for its
// length, PLAYWAVE a sound file, single-step mode a caption and the step key, EXEC the question "Run program:
// COMMAND?" (No by default). Nothing waits in a nested event loop or a busy loop.
// Played keys carry kPlayedKeyMark as their native scan code, so that a played Esc never breaks.
// State: per object (the keys being played, what the macro waits for).
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "macros/interpreter.h"
#include "platform/platform.h"

class QKeyEvent;
class MacroSound;

class MacroPlayer : public QObject {
  Q_OBJECT
 public:
  static constexpr quint32 kPlayedKeyMark = 0x7A11u;
  // Time a run call may take before the event loop gets its turn.
  static constexpr int kSliceMs = 20;

  explicit MacroPlayer(QObject* parent = nullptr);
  ~MacroPlayer() override;

  // Starts the macro whose first line is (column, row) of the active sheet / a macro text.
  void Start(uint16_t column, uint16_t row);
  // Starts the macro whose lines are in worksheet `sheet` (the macro library) at (column, row);
  // its commands act on the active sheet.
  void StartIn(SlotIndex sheet, uint16_t column, uint16_t row);
  void StartText(const std::string& text);
  // The user's Break (Esc, Ctrl+Break, the stop button).
  void Break();
  // The step button: a stepped macro waiting before a line goes on.
  void Step();

  // Whether a key event was played by a macro.
  static bool IsPlayed(const QKeyEvent* event);

  // --- the platform calls (QtPlatform forwards them) ---
  bool PlayKeys(std::string_view keys);
  MacroWait MacroInput(const MacroInputRequest& request, std::string* reply);
  MacroWait Delay(int milliseconds);
  MacroWait Tone(int frequency, int milliseconds);
  void PlayWave(std::string_view fileName, int mode);
  MacroWait StepWait(std::string_view caption);
  ProgramRun RunProgram(std::string_view commandLine);

  // The widget for dialogs and menus.
  QWidget* dialogParent = nullptr;
  // Shows the step caption ("Step A5 : line"); an empty text restores the normal caption.
  std::function<void(const QString&)> onCaption;
  // Called when a macro has ended.
  std::function<void()> onEnded;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Waiting : uint8_t { kNothing, kEntry, kKey, kStep, kDialog };
  void WatchKeys();
  void PostNextKey();
  void Resume();
  void After(MacroProgress progress);
  void Reply(const std::string& reply);
  void Cancel();

  MacroSound* sound_;
  std::string keys_;
  size_t nextKey_ = 0;
  Waiting waiting_ = Waiting::kNothing;
};
