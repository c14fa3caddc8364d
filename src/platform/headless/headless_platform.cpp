// platform/headless/headless_platform.cpp — logging, scriptable platform for tests and the CLI.
#include "platform/headless/headless_platform.h"

#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <thread>

void HeadlessPlatform::Beep() {
  ++beeps;
  log.emplace_back("beep");
}

void HeadlessPlatform::Message(std::string_view caption, std::string_view text) {
  log.push_back("message " + std::string(caption) + ": " + std::string(text));
  messages.emplace_back(text);
  if (onMessage) onMessage(text);
}

Answer HeadlessPlatform::Ask(std::string_view caption, std::string_view text, Buttons) {
  log.push_back("ask " + std::string(caption) + ": " + std::string(text));
  if (answers.empty()) return defaultAnswer;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

void HeadlessPlatform::WaitCursor(bool) {}
void HeadlessPlatform::ShowMode(std::string_view m) { mode = m; }
void HeadlessPlatform::Progress(int) {}
void HeadlessPlatform::Repaint() {}
PlatformCell HeadlessPlatform::CurrentCell() { return cursor; }
PlatformBlock HeadlessPlatform::Selection() { return selection; }

std::tm HeadlessPlatform::LocalTime() {
  if (fixedTime) return time;
  std::time_t now = std::time(nullptr);
  std::tm out{};
  localtime_r(&now, &out);
  return out;
}

uint64_t HeadlessPlatform::PhysicalMemory() {
  if (physicalMemory != 0) return physicalMemory;
  long pages = sysconf(_SC_PHYS_PAGES);
  long size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(size);
}

std::vector<std::string> HeadlessPlatform::InstalledFonts() { return fonts; }

std::string HeadlessPlatform::SystemVersion() {
  if (!systemVersion.empty()) return systemVersion;
  utsname u{};
  if (uname(&u) != 0) return "Linux";
  return std::string(u.sysname) + " " + u.release;
}

void HeadlessPlatform::SetClipboard(std::string_view privateText, std::string_view plainText) {
  clipboard[int(ClipFormat::kPrivate)] = std::string(privateText);
  clipboard[int(ClipFormat::kText)] = std::string(plainText);
}

bool HeadlessPlatform::ClipboardText(ClipFormat format, std::string* text) {
  const std::optional<std::string>& held = clipboard[int(format)];
  if (!held) return false;
  *text = *held;
  return true;
}

double HeadlessPlatform::ViewSetting(int n) { return n == 0 || n == 1 ? viewSettings[n] : 0; }

void HeadlessPlatform::MoveCursor(PlatformCell cell) {
  cursor = cell;
  selection = PlatformBlock{cell.column, cell.row, cell.column, cell.row};
}

void HeadlessPlatform::SelectBlock(PlatformBlock block) { selection = block; }

namespace {

// The 1-based number of the menu item a reply names (its number or its name in any case), or 0.
size_t MenuChoice(const std::vector<std::string>& items, std::string_view reply) {
  size_t number = 0;
  bool digits = !reply.empty();
  for (char c : reply) {
    if (c < '0' || c > '9' || number > items.size()) {
      digits = false;
      break;
    }
    number = number * 10 + static_cast<size_t>(c - '0');
  }
  if (digits) return number >= 1 && number <= items.size() ? number : 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    if (item.size() != reply.size()) continue;
    bool same = true;
    for (size_t k = 0; k < item.size() && same; ++k) {
      same = std::toupper(static_cast<unsigned char>(item[k])) ==
             std::toupper(static_cast<unsigned char>(reply[k]));
    }
    if (same) return i + 1;
  }
  return 0;
}

}  // namespace

MacroWait HeadlessPlatform::MacroInput(const MacroInputRequest& request, std::string* reply) {
  for (;;) {
    std::string line;
    if (readInput) {
      if (!readInput(request, &line)) return MacroWait::kCancelled;
    } else {
      if (inputLines.empty()) return MacroWait::kCancelled;
      line = std::move(inputLines.front());
      inputLines.pop_front();
    }
    log.push_back("input " + line);
    switch (request.kind) {
      case MacroInputKind::kKey:
        if (line.empty()) continue;
        *reply = line.substr(0, 1);
        return MacroWait::kDone;
      case MacroInputKind::kMenu: {
        const size_t choice = MenuChoice(request.items, line);
        if (choice == 0) continue;
        *reply = std::to_string(choice);
        return MacroWait::kDone;
      }
      default:
        *reply = std::move(line);
        return MacroWait::kDone;
    }
  }
}

MacroWait HeadlessPlatform::MacroDelay(int milliseconds) {
  log.push_back("delay " + std::to_string(milliseconds));
  if (realDelays && milliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  return MacroWait::kDone;
}

MacroWait HeadlessPlatform::Tone(int frequency, int milliseconds) {
  log.push_back("tone " + std::to_string(frequency) + " " + std::to_string(milliseconds));
  return MacroWait::kDone;
}

void HeadlessPlatform::PlayWave(std::string_view fileName, int mode) {
  log.push_back("wave " + std::string(fileName) + " " + std::to_string(mode));
}

void HeadlessPlatform::ShowBar(WindowBar bar, bool visible) {
  barVisible[static_cast<int>(bar)] = visible;
}

void HeadlessPlatform::SetZoom(int percent) { viewSettings[0] = percent; }

ProgramRun HeadlessPlatform::RunProgram(std::string_view commandLine) {
  log.push_back("run " + std::string(commandLine));
  if (!allowPrograms) return ProgramRun::kRefused;
  // Words separated by blanks; double quotes group blanks into a word.
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  if (words.empty()) return ProgramRun::kFailed;
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    return ProgramRun::kFailed;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return ProgramRun::kStarted;
}

void HeadlessPlatform::Reset() { *this = HeadlessPlatform(); }

HeadlessPlatform& TheHeadlessPlatform() {
  static HeadlessPlatform platform;
  return platform;
}

namespace {
Platform* installed = nullptr;
}

Platform& ThePlatform() { return installed ? *installed : TheHeadlessPlatform(); }

void InstallPlatform(Platform* platform) { installed = platform; }
