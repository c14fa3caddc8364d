// formula/functions_info.cpp — the information @-functions (@VERSION, @OSVER, @DOSVER, @AUTO,
// @PROTECT, @QVIEW, @PATH, @FILENAME, @FILEINFO, @IORESULT, @MEMAVAIL, @DMS) and the one
// registration call of the financial, date, string, lookup, database and information functions.
//
// What comes from outside the engine (the system version, the window's view, memory figures)
// goes through the platform; files and the current directory are read with the standard
// library.
// State: the I/O result of the macro file commands (InfoState below). Reads the current sheet's
// options and worksheet entry, the cell pool's figures and the platform.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "core/date_time.h"
#include "core/global_options.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "formula/formula_code.h"
#include "formula/functions_sheet.h"
#include "formula/functions_sheet_common.h"
#include "platform/platform.h"

namespace {

struct InfoState {
  int ioResult = 0;  // result of the last file operation of the macro file commands
};

InfoState& Info() {
  static InfoState state;
  return state;
}

// The program's version number.
constexpr double kVersion = 1.6028;

void Fail(Frame& f) {
  f.Fail();
  f.SetNumber(1.0);
}

void Version(Frame& f) { f.SetNumber(kVersion); }

// @OSVER: (major * 1000 + minor) / 1000 from the first two numbers of the platform's system
// version text, so version 6.1 gives 6.001 and 10.0 gives 10; 0 when the text holds no number.
void Osver(Frame& f) {
  const std::string text = ThePlatform().SystemVersion();
  long numbers[2] = {0, 0};
  int found = 0;
  size_t i = 0;
  while (i < text.size() && found < 2) {
    if (text[i] < '0' || text[i] > '9') {
      if (found == 1 && text[i] != '.') break;  // the minor number follows the major's "."
      ++i;
      continue;
    }
    long n = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      if (n < 100000) n = n * 10 + (text[i] - '0');
      ++i;
    }
    numbers[found++] = n;
  }
  f.SetNumber(double(numbers[0] * 1000 + numbers[1]) / 1000);
}

void Dosver(Frame& f) { f.SetString("N/A"); }
void Auto(Frame& f) { f.SetBool(!Options().manualRecalc()); }
void Protect(Frame& f) { f.SetBool(Options().protection()); }

// @QVIEW(n): view setting n (0 or 1) of the active window, as the platform reports it.
void Qview(Frame& f) {
  if (ArgumentFailed(f)) return;
  double n = 0;
  if (!Rounded(f.Number(1), &n) || (n != 0 && n != 1)) return Fail(f);
  SetChecked(f, ThePlatform().ViewSetting(int(n)));
}

// @PATH: the current directory.
void Path(Frame& f) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::current_path(error);
  if (error) return Fail(f);
  f.SetString(path.string());
}

// @FILENAME: the file name the current worksheet window shows in its caption (its worksheet
// entry's name; "" for a sheet that has none yet).
void Filename(Frame& f) {
  const SlotIndex sheet = CurrentWorksheet();
  f.SetString(sheet ? Worksheet(sheet).fileName : std::string());
}

// The day number and time fraction of a file time, in local time.
bool FileStamp(const std::filesystem::path& path, double* stamp) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path, error);
  if (error) return false;
  const auto system = std::chrono::file_clock::to_sys(written);
  const std::time_t t = std::chrono::system_clock::to_time_t(system);
  std::tm local{};
  if (!localtime_r(&t, &local)) return false;
  int64_t day = 0;
  if (!DayNumberFromDate(int64_t(local.tm_year) + 1900, local.tm_mon + 1, local.tm_mday, &day)) {
    return false;
  }
  *stamp = double(day) + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
  return true;
}

// @FILEINFO(name, n): 1 the file's size in bytes; 2 whether it can be opened for reading (1 or
// 0); 3 its date stamp (the time it was last written, as a day number with the time of day);
// 4 its full path. A file that does not exist gives 0 for n = 2 and ERR otherwise; other n is
// ERR.
void Fileinfo(Frame& f) {
  if (ArgumentFailed(f)) return;
  const std::filesystem::path path(f.TextOf(1));
  double n = 0;
  if (!Rounded(f.Number(2), &n) || n < 1 || n > 4) return Fail(f);
  std::error_code error;
  const bool isFile = !path.empty() && std::filesystem::is_regular_file(path, error) && !error;
  if (n == 2) {
    f.SetBool(isFile && std::ifstream(path, std::ios::binary).is_open());
    return;
  }
  if (!isFile) return Fail(f);
  if (n == 1) {
    const auto size = std::filesystem::file_size(path, error);
    if (error) return Fail(f);
    f.SetNumber(double(size));
  } else if (n == 3) {
    double stamp = 0;
    if (!FileStamp(path, &stamp)) return Fail(f);
    f.SetNumber(stamp);
  } else {
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error) return Fail(f);
    f.SetString(full.lexically_normal().string());
  }
}

// @IORESULT: the result of the last file operation of the macro file commands; reading it
// resets it to 0.
void Ioresult(Frame& f) {
  f.SetNumber(Info().ioResult);
  Info().ioResult = 0;
}

// @MEMAVAIL(n): 0 the free bytes of the cell pool, 1 the pool's capacity in bytes, 2 the
// physical memory of the machine; other n is ERR.
void Memavail(Frame& f) {
  if (ArgumentFailed(f)) return;
  double n = 0;
  if (!Rounded(f.Number(1), &n)) return Fail(f);
  if (n == 0) return f.SetNumber(double(PoolFreeBytes()));
  if (n == 1) return f.SetNumber(double(PoolCapacity()));
  if (n == 2) return f.SetNumber(double(ThePlatform().PhysicalMemory()));
  Fail(f);
}

// @DMS(x): x degrees as degrees, minutes and seconds: "12\xB030'15.00\"" (the degree sign of
// Windows-1252), seconds with two decimals, a "-" in front of negative angles.
void Dms(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double x = f.Number(1);
  if (!std::isfinite(x) || std::fabs(x) >= 1e15) return Fail(f);
  // Work in hundredths of a second so that rounding carries into minutes and degrees.
  const double hundredths = std::round(std::fabs(x) * 360000.0);
  const double degrees = std::floor(hundredths / 360000.0);
  double rest = hundredths - degrees * 360000.0;
  const int minutes = int(rest / 6000.0);
  rest -= minutes * 6000.0;
  const int centiseconds = int(rest);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s%.0f\xB0%02d'%02d.%02d\"",
                hundredths > 0 && x < 0 ? "-" : "", degrees, minutes, centiseconds / 100,
                centiseconds % 100);
  f.SetString(buffer);
}

}  // namespace

void SetIoResult(int code) { Info().ioResult = code; }
int PeekIoResult() { return Info().ioResult; }
void ResetIoResult() { Info() = InfoState{}; }

void RegisterInfoFunctions() {
  RegisterFunction(uint8_t(Op::kVersion), Version);
  RegisterFunction(uint8_t(Op::kOsver), Osver);
  RegisterFunction(uint8_t(Op::kDosver), Dosver);
  RegisterFunction(uint8_t(Op::kAuto), Auto);
  RegisterFunction(uint8_t(Op::kProtect), Protect);
  RegisterFunction(uint8_t(Op::kQview), Qview);
  RegisterFunction(uint8_t(Op::kPath), Path);
  RegisterFunction(uint8_t(Op::kFilename), Filename);
  RegisterFunction(uint8_t(Op::kFileinfo), Fileinfo);
  RegisterFunction(uint8_t(Op::kIoresult), Ioresult);
  RegisterFunction(uint8_t(Op::kMemavail), Memavail);
  RegisterFunction(uint8_t(Op::kDms), Dms);
}

void RegisterSheetFunctions() {
  RegisterFinanceFunctions();
  RegisterDateTimeFunctions();
  RegisterStringFunctions();
  RegisterLookupFunctions();
  RegisterDatabaseFunctions();
  RegisterInfoFunctions();
}

void ResetSheetFunctionState() {
  ResetIoResult();
  ResetLinkTables();
}
