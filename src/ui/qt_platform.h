// ui/qt_platform.h — the platform seam implemented with Qt for the desktop program.
//
// Beeps, message and question boxes ("Error:" with the text), the hour-glass cursor with
// " WAIT! " in the mode indicator, passing notes on the status line, the progress gauge,
// repainting, the active grid's cursor and selection, the installed font families, the
// clipboard, the clock and memory figures. The main window connects the mode indicator, the status
// line, the gauge and repainting through the callbacks below. Tests may divert message and
// question boxes to a script so that nothing modal blocks them.
// State: per object (callbacks, the wait nesting, the mode shown before the wait).
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

class MacroPlayer;

class QtPlatform : public Platform {
 public:
  void Beep() override;
  void Message(std::string_view caption, std::string_view text) override;
  Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override;
  void WaitCursor(bool on) override;
  void ShowMode(std::string_view mode) override;
  void ShowStatus(std::string_view text) override;
  void Progress(int percent) override;
  void Repaint() override;
  PlatformCell CurrentCell() override;
  PlatformBlock Selection() override;
  std::tm LocalTime() override;
  uint64_t PhysicalMemory() override;
  std::vector<std::string> InstalledFonts() override;
  std::string SystemVersion() override;
  void MoveCursor(PlatformCell cell) override;
  void SelectBlock(PlatformBlock block) override;
  bool PlayKeys(std::string_view keys) override;
  MacroWait MacroInput(const MacroInputRequest& request, std::string* reply) override;
  MacroWait MacroDelay(int milliseconds) override;
  MacroWait Tone(int frequency, int milliseconds) override;
  MacroWait StepWait(std::string_view caption) override;
  ProgramRun RunProgram(std::string_view commandLine) override;
  void ShowBar(WindowBar bar, bool visible) override;
  bool ShowGraph(std::string_view name, int milliseconds, MacroWait* wait) override;
  void SetZoom(int percent) override;
  double ViewSetting(int n) override;
  // The clipboard: the private format as application/x-tallivo32d, plain text as UTF-8.
  void SetClipboard(std::string_view privateText, std::string_view plainText) override;
  bool ClipboardText(ClipFormat format, std::string* text) override;
  void PlayWave(std::string_view fileName, int mode) override;

  // The desktop side of running macros (set by the main window); without it the platform has no
  // window to type into and asks nothing.
  MacroPlayer* macroPlayer = nullptr;

  // Set by the main window: show a mode text, show (0..100) or hide (<0) the gauge, repaint the
  // worksheet windows. Unset callbacks do nothing.
  std::function<void(const QString&)> onMode;
  // Shows a passing note on the status line (goal seek's estimates).
  std::function<void(const QString&)> onStatus;
  std::function<void(int)> onProgress;
  std::function<void()> onRepaint;
  // Set by the main window: shows the graph window with the current graph (empty name) or a
  // named one; with no display time it returns when the window has closed. False: no worksheet.
  std::function<bool(std::string_view name, int milliseconds)> onShowGraph;
  // Shows or hides one of the bars of the main window (VIEW in a macro).
  std::function<void(WindowBar, bool)> onShowBar;
  // Sets the zoom of every worksheet window (VIEWZOOM in a macro).
  std::function<void(int)> onZoom;
  // Whether the active worksheet window is split (@QVIEW(1)).
  std::function<bool()> activeWindowSplit;

  // When set, message and question boxes are not shown: messages go here as "CAPTION TEXT" and
  // questions take the next scripted answer (kCancel when none is left). Tests use it.
  std::function<void(const QString&)> scriptedMessages;
  std::deque<Answer> scriptedAnswers;
  int beeps = 0;  // beeps so far (tests)

  // A Yes/No question whose default button is No (questions about running code).
  Answer AskNoByDefault(std::string_view caption, std::string_view text);

  // The mode text last shown.
  QString mode() const { return mode_; }

 private:
  int waitDepth_ = 0;
  bool noByDefault_ = false;
  QString mode_ = QStringLiteral("READY");
  QString modeBeforeWait_;
};

// The program's Qt platform (created on first use; installed by InstallQtPlatform).
QtPlatform& TheQtPlatform();
// Installs TheQtPlatform() as the engine's platform.
void InstallQtPlatform();
