// platform/headless/headless_platform.h — the platform for tests and the batch tool.
//
// Messages and beeps go to a log that tests read (tallivo-cli prints messages to standard error);
// questions take scripted answers; the cursor, selection, clock and clipboard are plain settable
// values.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "platform/platform.h"

class HeadlessPlatform : public Platform {
 public:
  void Beep() override;
  void Message(std::string_view caption, std::string_view text) override;
  Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override;
  void WaitCursor(bool on) override;
  void ShowMode(std::string_view mode) override;
  void Progress(int percent) override;
  void Repaint() override;
  PlatformCell CurrentCell() override;
  PlatformBlock Selection() override;
  std::tm LocalTime() override;
  uint64_t PhysicalMemory() override;
  std::vector<std::string> InstalledFonts() override;
  std::string SystemVersion() override;
  double ViewSetting(int n) override;
  void SetClipboard(std::string_view privateText, std::string_view plainText) override;
  bool ClipboardText(ClipFormat format, std::string* text) override;
  void MoveCursor(PlatformCell cell) override;
  void SelectBlock(PlatformBlock block) override;
  MacroWait MacroInput(const MacroInputRequest& request, std::string* reply) override;
  MacroWait MacroDelay(int milliseconds) override;
  MacroWait Tone(int frequency, int milliseconds) override;
  void PlayWave(std::string_view fileName, int mode) override;
  void ShowBar(WindowBar bar, bool visible) override;
  void SetZoom(int percent) override;
  ProgramRun RunProgram(std::string_view commandLine) override;

  // Clears the log, the scripted answers and the settable values.
  void Reset();

  // What happened, in order: "beep", "message CAPTION: TEXT", "ask CAPTION: TEXT".
  std::vector<std::string> log;
  // Texts of the message boxes alone.
  std::vector<std::string> messages;
  int beeps = 0;
  // Answers given to questions, first first; when empty a question gets `defaultAnswer`.
  std::deque<Answer> answers;
  Answer defaultAnswer = Answer::kCancel;
  // Called with each message text as it arrives (tallivo-cli prints it).
  std::function<void(std::string_view)> onMessage;

  PlatformCell cursor;
  PlatformBlock selection;
  std::string mode = "READY";
  bool fixedTime = false;  // LocalTime gives `time` when set, the real clock otherwise
  std::tm time{};
  uint64_t physicalMemory = 0;  // 0: the real figure
  std::vector<std::string> fonts = {"Arial", "Courier New", "Times New Roman"};
  double viewSettings[2] = {100, 0};  // what ViewSetting(0) and ViewSetting(1) give
  std::string systemVersion;          // SystemVersion gives it when not empty, else the real one

  // Macro input: each request takes the next line from `readInput` when set (tallivo-cli reads
  // standard input), else from `inputLines`; none left cancels. A kKey request gives the first
  // character of the line; a kMenu request accepts an item's name (any case) or its number and
  // asks again for anything else.
  std::function<bool(const MacroInputRequest& request, std::string* line)> readInput;
  std::deque<std::string> inputLines;
  bool realDelays = true;        // MacroDelay sleeps (off in tests: the wait is only logged)
  bool barVisible[3] = {true, true, true};
  // The clipboard: empty at start; each format is present or not.
  std::optional<std::string> clipboard[2];  // indexed by ClipFormat
  bool allowPrograms = false;    // RunProgram refuses unless set (tallivo-cli --allow-exec)
};

// The headless implementation that is in force when nothing else is installed.
HeadlessPlatform& TheHeadlessPlatform();
