// files/program_files.h — the program directory, the base name and the files named after them.
//
// The program directory is the executable's directory, or the directory named by TALLIVO_HOME
// when that is set; it always ends in "/". The base name is the executable's name (at most 12
// characters) up to its first "."; a name without "." gives "TALLIVO". The settings file, the
// user function file, the macro library and the autoexec worksheet are named from these two.
// When the program directory is not writable, the settings file lives in the configuration
// directory ($XDG_CONFIG_HOME/tallivo/, else ~/.config/tallivo/).
// State: the program directory, base name and configuration directory (program_files.cpp).
#pragma once

#include <string>
#include <string_view>

struct ProgramLocation {
  std::string directory;  // ends in "/"
  std::string baseName;
};

// The location for an executable at `executablePath` (its directory and file name), with `home`
// the value of TALLIVO_HOME (null or empty when unset). A directory without a trailing "/" gets
// one; an empty directory is the current directory "./". No state touched.
ProgramLocation LocateProgram(std::string_view executablePath, const char* home);

// Sets the program directory and base name from the running executable (falling back to
// `argv0` when the system does not say where it is) and the environment (TALLIVO_HOME,
// XDG_CONFIG_HOME, HOME). Call once at start-up, before the settings are loaded.
void InitProgramFiles(const char* argv0);
// Sets them directly (tests, and callers that know better); `configDirectory` empty means the
// settings have no fallback place.
void SetProgramFiles(const ProgramLocation& location, std::string_view configDirectory);
// Back to the state before InitProgramFiles: "./", "TALLIVO", no configuration directory.
void ResetProgramFiles();

const std::string& ProgramDirectory();
const std::string& BaseName();
// The fallback directory of the settings file, ending in "/", or empty when none is known.
const std::string& ConfigDirectory();

// Program directory + base name + ".INI" / ".USR" / ".MAC", and + "AUTOEXEC.WKS".
std::string SettingsFileName();
std::string UserFunctionFileName();
std::string MacroLibraryFileName();
std::string AutoexecFileName();
// The backup of the settings file: its name with the last character replaced by a lower-case "b"
// ("TALLIVO.INb").
std::string SettingsBackupName(std::string_view settingsFileName);

// The settings file to read: in the configuration directory when the program directory is not
// writable and a settings file is there, else in the program directory.
std::string SettingsFileToRead();
// The settings file to write: in the program directory when it is writable; else in the
// configuration directory (created when missing); empty when neither can be written, including
// when the program directory does not exist.
std::string SettingsFileToWrite();
