// platform/platform.h — the one seam between the engine and the desktop.
//
// Everything the engine needs from outside (beep, message and question boxes, the wait cursor,
// repainting, the grid's current cell and selection, the clipboard, the clock, memory figures, the installed
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

// How a platform call that may take time went (see the macro section of Platform).
enum class MacroWait : uint8_t { kDone, kPending, kCancelled };

// What a macro asks the user for.
enum class MacroInputKind : uint8_t {
  kEntry,     // {?}: an entry typed at the cell pointer; the reply is its text
  kKey,       // GET: one keystroke; the reply is that character
  kLabel,     // INLABEL: a text typed into an input box
  kValue,     // INVALUE: a number typed into an input box
  kMenu,      // MENUBRANCH, MENUCALL: the reply is the number of the chosen item, from 1
  kFile,      // FILEPICK: the chosen file name, empty when the dialog was cancelled
};

struct MacroInputRequest {
  MacroInputKind kind = MacroInputKind::kEntry;
  std::string prompt;                     // kLabel, kValue
  std::vector<std::string> items;         // kMenu: the item names
  std::vector<std::string> descriptions;  // kMenu: the descriptions, one per item
  std::string fileName;                   // kFile: the offered name (with its directory)
  std::string filter;                     // kFile: the filter text
};

// What became of a program a macro asked to run.
enum class ProgramRun : uint8_t { kStarted, kRefused, kFailed };

// The bars of the main window that VIEW shows and hides.
enum class WindowBar : uint8_t { kQuickButtons, kMacroButtons, kStatus };

// The two formats of the clipboard: the program's own (entry texts with attributes) and plain
// text for other programs.
enum class ClipFormat : uint8_t { kPrivate, kText };

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
  // A passing note on the status line (goal seek shows its estimates there); nothing without
  // a window.
  virtual void ShowStatus(std::string_view text) { (void)text; }
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
  // The width in pixels of `text` drawn in the worksheet's font `font` (255: the default face) at
  // `points` (0: the window's size). Without a screen, 8 pixels a character.
  virtual int TextWidth(std::string_view text, uint8_t font, int points) {
    (void)font;
    (void)points;
    return 8 * int(text.size());
  }
  // Empties the clipboard and puts both texts on it, each in its format. Texts are Windows-1252
  // bytes with CR LF line ends, without a closing NUL.
  virtual void SetClipboard(std::string_view privateText, std::string_view plainText) = 0;
  // The clipboard's contents in `format` as they were handed over (for plain text from another
  // program: converted to Windows-1252, line ends as they came). False when the clipboard holds
  // nothing in that format.
  virtual bool ClipboardText(ClipFormat format, std::string* text) = 0;
  // Whether the user has asked to interrupt the long operation that is running (Ctrl+Break).
  // Long operations ask now and then and stop early when it gives true; asking clears the
  // request. Without a desktop no one can interrupt.
  virtual bool UserInterrupted() { return false; }
  // One of the two view settings of the active worksheet window that @QVIEW reports: 0 the zoom
  // in percent, 1 whether the window is split into two panes (1 or 0). Other n give 0.
  virtual double ViewSetting(int n) {
    (void)n;
    return 0;
  }

  // --- for the macro interpreter -----------------------------------------------------------------
  //
  // Each call that may take time gives `MacroWait`: kDone when it finished at once (the headless
  // platform), kPending when the desktop will finish it later and then resume the macro
  // (macros/interpreter.h ContinueMacro, MacroInputAnswered), kCancelled when the user cancelled
  // or no input is left (the macro stops with "Break! ").

  // Moves the cell pointer of the active grid / selects a block there.
  virtual void MoveCursor(PlatformCell cell) { (void)cell; }
  virtual void SelectBlock(PlatformBlock block) { (void)block; }

  // Plays keystrokes into the worksheet window that has the focus. Bytes of 0x20 and above are
  // characters, bytes below are the keys of MacroKey (macros/vocabulary.h). True: the keys are
  // queued and the desktop resumes the macro once they are consumed. False: there is no window
  // to type into; the interpreter plays them into its own headless entry line.
  virtual bool PlayKeys(std::string_view keys) {
    (void)keys;
    return false;
  }

  // Input for a waiting macro. On kDone `reply` holds the answer.
  virtual MacroWait MacroInput(const MacroInputRequest& request, std::string* reply) {
    (void)request;
    (void)reply;
    return MacroWait::kCancelled;
  }

  // Waits `milliseconds` with events running (DELAY).
  virtual MacroWait MacroDelay(int milliseconds) {
    (void)milliseconds;
    return MacroWait::kDone;
  }
  // Sounds a tone of `frequency` Hz for `milliseconds`; a frequency below 10 keeps silent.
  virtual MacroWait Tone(int frequency, int milliseconds) {
    (void)frequency;
    (void)milliseconds;
    return MacroWait::kDone;
  }
  // Plays a sound file (`mode` as the macro gives it).
  virtual void PlayWave(std::string_view fileName, int mode) {
    (void)fileName;
    (void)mode;
  }

  // Single-step mode: the caption ("Step A5 : line") before a line, then a wait for the step key.
  virtual MacroWait StepWait(std::string_view caption) {
    (void)caption;
    return MacroWait::kDone;
  }

  // Shows the graph window (GRAPHVIEW) with the current graph (`name` empty) or the named graph
  // `name`. With `milliseconds` above 0 the window closes itself after that time and `*wait` says
  // how the macro waits for it; otherwise the macro waits until the window is closed. Gives false
  // where there is no window to show a graph in.
  virtual bool ShowGraph(std::string_view name, int milliseconds, MacroWait* wait) {
    (void)name;
    (void)milliseconds;
    (void)wait;
    return false;
  }

  // Shows or hides one of the three bars of the main window (VIEW).
  virtual void ShowBar(WindowBar bar, bool visible) {
    (void)bar;
    (void)visible;
  }
  // Sets the zoom of the worksheet windows in percent (20..200) and lays them out again.
  virtual void SetZoom(int percent) { (void)percent; }

  // Runs a program (EXEC) without a shell, after asking the user where there is one.
  virtual ProgramRun RunProgram(std::string_view commandLine) {
    (void)commandLine;
    return ProgramRun::kRefused;
  }
};

// The implementation in force. Never null.
Platform& ThePlatform();

// Installs an implementation; nullptr goes back to the built-in headless one. The caller keeps
// ownership and must keep the object alive while it is installed.
void InstallPlatform(Platform* platform);
