// files/program_files.cpp — the program directory, the base name and the files named after them.
//
// Reads the environment and the file system (existence and writability of directories) only;
// writes the module state below and, when the settings must go to the configuration directory,
// creates that directory.
#include "files/program_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr size_t kMaxExecutableName = 12;
constexpr char kDefaultBaseName[] = "TALLIVO";

struct ProgramFilesState {
  std::string directory = "./";
  std::string baseName = kDefaultBaseName;
  std::string configDirectory;
};

ProgramFilesState& TheProgramFilesState() {
  static ProgramFilesState state;
  return state;
}

std::string WithSlash(std::string_view directory) {
  if (directory.empty()) return "./";
  std::string out(directory);
  if (out.back() != '/') out += '/';
  return out;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsWritableDirectory(const std::string& path) {
  return IsDirectory(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

// The configuration directory from XDG_CONFIG_HOME, else HOME/.config; empty when neither is set.
std::string ConfigDirectoryFromEnvironment() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return WithSlash(xdg) + "tallivo/";
  const char* home = std::getenv("HOME");
  if (home && *home) return WithSlash(home) + ".config/tallivo/";
  return {};
}

}  // namespace

ProgramLocation LocateProgram(std::string_view executablePath, const char* home) {
  ProgramLocation location;
  const size_t slash = executablePath.rfind('/');
  const std::string_view fileName =
      slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  const std::string_view exeDirectory =
      slash == std::string_view::npos ? std::string_view() : executablePath.substr(0, slash + 1);
  location.directory = WithSlash(home && *home ? std::string_view(home) : exeDirectory);

  const std::string_view shortName = fileName.substr(0, kMaxExecutableName);
  const size_t dot = shortName.find('.');
  // A name that starts with "." would give an empty base name and files such as ".INI".
  if (dot == std::string_view::npos || dot == 0) {
    location.baseName = kDefaultBaseName;
  } else {
    location.baseName = std::string(shortName.substr(0, dot));
  }
  return location;
}

void InitProgramFiles(const char* argv0) {
  std::error_code error;
  std::string executable = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error || executable.empty()) executable = argv0 ? argv0 : "";
  SetProgramFiles(LocateProgram(executable, std::getenv("TALLIVO_HOME")),
                  ConfigDirectoryFromEnvironment());
}

void SetProgramFiles(const ProgramLocation& location, std::string_view configDirectory) {
  ProgramFilesState& s = TheProgramFilesState();
  s.directory = WithSlash(location.directory);
  s.baseName = location.baseName.empty() ? kDefaultBaseName : location.baseName;
  s.configDirectory = configDirectory.empty() ? std::string() : WithSlash(configDirectory);
}

void ResetProgramFiles() { TheProgramFilesState() = ProgramFilesState(); }

const std::string& ProgramDirectory() { return TheProgramFilesState().directory; }
const std::string& BaseName() { return TheProgramFilesState().baseName; }
const std::string& ConfigDirectory() { return TheProgramFilesState().configDirectory; }

std::string SettingsFileName() { return TheProgramFilesState().directory + TheProgramFilesState().baseName + ".INI"; }
std::string UserFunctionFileName() { return TheProgramFilesState().directory + TheProgramFilesState().baseName + ".USR"; }
std::string MacroLibraryFileName() { return TheProgramFilesState().directory + TheProgramFilesState().baseName + ".MAC"; }
std::string AutoexecFileName() { return TheProgramFilesState().directory + "AUTOEXEC.WKS"; }

std::string SettingsBackupName(std::string_view settingsFileName) {
  std::string out(settingsFileName);
  if (!out.empty()) out.back() = 'b';
  return out;
}

std::string SettingsFileToRead() {
  const ProgramFilesState& s = TheProgramFilesState();
  if (!s.configDirectory.empty() && !IsWritableDirectory(s.directory)) {
    const std::string fallback = s.configDirectory + s.baseName + ".INI";
    struct stat info;
    if (::stat(fallback.c_str(), &info) == 0) return fallback;
  }
  return SettingsFileName();
}

std::string SettingsFileToWrite() {
  const ProgramFilesState& s = TheProgramFilesState();
  if (!IsDirectory(s.directory)) return {};
  if (IsWritableDirectory(s.directory)) return SettingsFileName();
  if (s.configDirectory.empty()) return {};
  std::error_code error;
  std::filesystem::create_directories(s.configDirectory, error);
  if (!IsWritableDirectory(s.configDirectory)) return {};
  return s.configDirectory + s.baseName + ".INI";
}
