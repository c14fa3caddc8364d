// platform/headless/headless_platform.cpp — logging, scriptable platform for tests and the CLI.
#include "platform/headless/headless_platform.h"

#include <sys/utsname.h>
#include <unistd.h>

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

double HeadlessPlatform::ViewSetting(int n) { return n == 0 || n == 1 ? viewSettings[n] : 0; }

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
