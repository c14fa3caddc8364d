// platform/platform.h — the one seam between the engine and the desktop.
//
// Everything the engine needs from outside (beep, message and question boxes, the wait cursor,
// repainting, the grid's current cell and selection, the clock, memory figures, the installed
// fonts) goes through the `Platform` interface. The desktop installs its Qt implementation at
// start-up; tests and tallivo-cli use the headless one. Engine code calls `ThePlatform()`.
// State: the installed implementation (a headless one until something else is installed).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// A cell position or a block as the grid reports them (row 0..8191, column 0..255).
struct PlatformCell {
  uint16_t column = 0;
  uint16_t row = 0;
};
struct PlatformBlock {
  uint16_t firstColumn = 0;
  uint16_t firstRow = 0;
  uint16_t lastColumn = 0;
  uint16_t lastRow = 0;
};

// Answers of a question box.
enum class Answer : uint8_t { kYes, kNo, kCancel, kOk };

// Buttons offered by a question box.
enum class Buttons : uint8_t { kOk, kOkCancel, kYesNo, kYesNoCancel };

class Platform {
 public:
  virtual ~Platform() = default;

  // The warning beep.
  virtual void Beep() = 0;
  // A message box with an OK button. Texts are Windows-1252 byte strings.
  virtual void Message(std::string_view caption, std::string_view text) = 0;
  // A question box; gives the button pressed.
  virtual Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) = 0;
  // The hour-glass cursor on (true) or back to normal (false).
  virtual void WaitCursor(bool on) = 0;
  // The mode indicator text ("READY", " WAIT! ", ...).
  virtual void ShowMode(std::string_view mode) = 0;
  // Progress of a long operation in percent; a negative value hides the display.
  virtual void Progress(int percent) = 0;
  // Ask the windows of the current worksheet to repaint.
  virtual void Repaint() = 0;

  // The current cell and the selected block of the active grid.
  virtual PlatformCell CurrentCell() = 0;
  virtual PlatformBlock Selection() = 0;

  // Local date and time now.
  virtual std::tm LocalTime() = 0;
  // Total physical memory in bytes (sizes the cell pool).
  virtual uint64_t PhysicalMemory() = 0;
  // Names of the installed font families.
  virtual std::vector<std::string> InstalledFonts() = 0;
  // Operating-system name and version text.
  virtual std::string SystemVersion() = 0;
  // One of the two view settings of the active worksheet window that @QVIEW reports: 0 the zoom
  // in percent, 1 whether the window is split into two panes (1 or 0). Other n give 0.
  virtual double ViewSetting(int n) {
    (void)n;
    return 0;
  }
};

// The implementation in force. Never null.
Platform& ThePlatform();

// Installs an implementation; nullptr goes back to the built-in headless one. The caller keeps
// ownership and must keep the object alive while it is installed.
void InstallPlatform(Platform* platform);
