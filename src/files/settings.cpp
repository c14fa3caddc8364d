// files/settings.cpp — reading and writing the settings file.
//
// One table gives every key its number, name and kind; Store and ValueText map a key to the
// variable that holds it. The reader takes its input as hostile: lines are cut to a fixed
// length, every value is range-checked before it reaches a variable.
// Reads and writes: ProgramSettings (below), DefaultOptions, the number settings, the Undo
// switch and budget, the pool limit, the worksheet backup switch, the new-sheet layout defaults; reads the program directory
// and base name.
#include "files/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "core/cell_store.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/number_settings.h"
#include "core/sheet_layout.h"
#include "core/worksheets.h"
#include "files/program_files.h"
#include "files/text_lines.h"
#include "files/worksheet_file.h"

namespace {

enum class Kind : uint8_t { kNone, kText, kBool, kInt, kColour, kReal, kChar };

struct KeyInfo {
  const char* name;
  Kind kind;
};

// The settings keys by number; entry 0 is empty. Keys of kind kNone are recognised and dropped.
constexpr KeyInfo kKeys[kSettingKeyCount + 1] = {
    {"", Kind::kNone},          {"START=", Kind::kText},     {"COLOR=", Kind::kNone},
    {"FORMAT=", Kind::kText},   {"PRO=", Kind::kBool},       {"NEG=", Kind::kBool},
    {"ZERO=", Kind::kBool},     {"BAND=", Kind::kBool},      {"MCALC=", Kind::kBool},
    {"3DON=", Kind::kBool},     {"PREFIX=", Kind::kChar},    {"CURR=", Kind::kText},
    {"BKCLR=", Kind::kColour},  {"BDCLR=", Kind::kColour},   {"VALCLR=", Kind::kColour},
    {"NEGCLR=", Kind::kColour}, {"LBLCLR=", Kind::kColour},  {"PROCLR=", Kind::kColour},
    {"CURCLR=", Kind::kColour}, {"DIST=", Kind::kBool},      {"AUTOEXEC=", Kind::kText},
    {"TOOLMAC=", Kind::kText},  {"TOOLGL=", Kind::kText},    {"CURS=", Kind::kText},
    {"TIPS=", Kind::kBool},     {"SEP=", Kind::kChar},       {"COMMA=", Kind::kChar},
    {"PERIOD=", Kind::kChar},   {"USDATE=", Kind::kBool},    {"SCALE=", Kind::kInt},
    {"QBAR=", Kind::kBool},     {"MBAR=", Kind::kBool},      {"SBAR=", Kind::kBool},
    {"MDIMAX=", Kind::kBool},   {"HIST=", Kind::kText},      {"GFORM=", Kind::kInt},
    {"WINCTRL=", Kind::kBool},  {"PREOPEN=", Kind::kBool},   {"HSIZE=", Kind::kInt},
    {"GFONT=", Kind::kText},    {"GSIZE=", Kind::kInt},      {"PMONO=", Kind::kBool},
    {"PSCALE=", Kind::kNone},   {"PFRAME=", Kind::kBool},    {"PORIENT=", Kind::kInt},
    {"MTTR=", Kind::kReal},     {"MLTR=", Kind::kReal},      {"MRTR=", Kind::kReal},
    {"MBTR=", Kind::kReal},     {"MTHR=", Kind::kReal},      {"MBFR=", Kind::kReal},
    {"SAVE=", Kind::kText},     {"LOAD=", Kind::kText},      {"PRELOAD=", Kind::kInt},
    {"OCFDS=", Kind::kBool},    {"RDTSC=", Kind::kNone},     {"UNDO=", Kind::kBool},
    {"BACKUPS=", Kind::kBool},  {"GRIDCLR=", Kind::kColour}, {"PBGRID=", Kind::kBool},
    {"FORM=", Kind::kText},     {"WALLPPR=", Kind::kText},   {"GRID=", Kind::kInt},
    {"PGSIZE=", Kind::kInt},    {"GWIDE=", Kind::kInt},      {"GHIGH=", Kind::kInt},
    {"POOLMB=", Kind::kInt},    {"UNDOMB=", Kind::kInt},
};

// Key numbers.
// clang-format off
enum Key : int {
  kStart = 1, kColor, kFormat, kPro, kNeg, kZero, kBand, kMcalc, k3don, kPrefix, kCurr,
  kBkclr, kBdclr, kValclr, kNegclr, kLblclr, kProclr, kCurclr, kDist, kAutoexec, kToolmac,
  kToolgl, kCurs, kTips, kSep, kComma, kPeriod, kUsdate, kScale, kQbar, kMbar, kSbar, kMdimax,
  kHist, kGform, kWinctrl, kPreopen, kHsize, kGfont, kGsize, kPmono, kPscale, kPframe, kPorient,
  kMttr, kMltr, kMrtr, kMbtr, kMthr, kMbfr, kSave, kLoad, kPreload, kOcfds, kRdtsc, kUndo,
  kBackups, kGridclr, kPbgrid, kForm, kWallppr, kGrid, kPgsize, kGwide, kGhigh, kPoolmb,
  kUndomb,
};
// clang-format on
static_assert(kUndomb == kSettingKeyCount);

// Sections in the order written, each with its keys in order. FORMAT= and HIST= stand for their
// list of lines.
struct Section {
  const char* header;
  std::initializer_list<int> keys;
};
const Section kSections[] = {
    {"[Directories]", {kStart, kSave, kLoad, kForm, kWallppr}},
    {"[Formats]", {kFormat}},
    {"[Flags]",
     {kPro, kNeg, kZero, kBand, kMcalc, k3don, kDist, kTips, kUsdate, kQbar, kMbar, kSbar, kWinctrl,
      kPreopen, kMdimax, kOcfds, kUndo, kBackups, kPbgrid, kPoolmb, kUndomb}},
    {"[Chars]", {kPrefix, kCurr, kCurs, kSep, kComma, kPeriod}},
    {"[Colors]", {kBkclr, kBdclr, kValclr, kNegclr, kLblclr, kProclr, kCurclr, kGridclr}},
    {"[Files]", {kAutoexec, kToolmac, kToolgl, kHsize, kHist}},
    {"[Defaults]", {kScale, kGform, kGfont, kGsize, kPreload, kGrid, kPgsize, kGwide, kGhigh}},
    {"[Printer]", {kPmono, kPframe, kPorient, kMttr, kMltr, kMrtr, kMbtr, kMthr, kMbfr}},
};

constexpr size_t kMaxKeyCompared = 16;
constexpr size_t kMaxText = 255;
constexpr size_t kMaxCurrencyText = 2;
constexpr size_t kMaxFontName = 40;
constexpr double kMaxReal = 1e15;  // larger magnitudes read as malformed
constexpr int32_t kPlacementRecordLength = 44;
constexpr int kMaxFontSize = 255;
constexpr int kMaxDefaultWidth = 254 * 8;
constexpr int kMaxDefaultHeight = 254;
constexpr int kMaxPoolMegabytes = 1024;  // the most 30-bit handles can name
constexpr int kMaxUndoMegabytes = 4096;
constexpr uint64_t kDefaultUndoBudget = uint64_t(64) << 20;

// Colour keys and the colour feature each one sets.
int ColourFeatureOf(int key) {
  // clang-format off
  switch (key) {
    case kBkclr: return GlobalOptions::kBackgroundColour;
    case kBdclr: return GlobalOptions::kOddRowColour;
    case kValclr: return GlobalOptions::kValueColour;
    case kNegclr: return GlobalOptions::kNegativeColour;
    case kLblclr: return GlobalOptions::kLabelColour;
    case kProclr: return GlobalOptions::kUnlockedColour;
    case kCurclr: return GlobalOptions::kCursorColour;
    default: return -1;
  }
  // clang-format on
}

// The margin keys in the order of the options' margins: top, left, right, bottom, header, footer.
int MarginOf(int key) { return key >= kMttr && key <= kMbfr ? key - kMttr : -1; }

struct SettingsState {
  ProgramSettings program;
};

SettingsState& TheSettingsState() {
  static SettingsState state;
  return state;
}

std::string_view TrimBlanks(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  return v;
}

// The value as a decimal real; 0 when it is not one (blanks around it are allowed).
double RealReading(std::string_view v) {
  v = TrimBlanks(v);
  if (!v.empty() && v.front() == '+') {
    v.remove_prefix(1);
    if (!v.empty() && v.front() == '-') return 0;
  }
  double d = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
  if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(d) ||
      std::fabs(d) > kMaxReal) {
    return 0;
  }
  return d;
}

// "$" and hexadecimal digits: the 32-bit value; else the real rounded when it fits; else 0.
int32_t IntegerReading(std::string_view v, double real) {
  if (!v.empty() && v.front() == '$') {
    std::string_view digits = TrimBlanks(v.substr(1));
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return 0;
    return int32_t(value);
  }
  if (std::fabs(real) > 2147483647.0) return 0;
  return int32_t(std::llround(real));
}

std::string Cut(std::string_view text, size_t limit) {
  return std::string(text.substr(0, std::min(limit, text.size())));
}

// A value as written: one line, at most `limit` characters.
std::string OneLine(std::string_view text, size_t limit = kMaxText) {
  return Cut(text.substr(0, text.find_first_of("\r\n")), limit);
}

bool IsValidPageSize(int32_t rows) {
  if (rows == 0) return true;
  for (int pages = 1; pages <= 64; pages *= 2) {
    if (rows == 8192 / pages) return true;
  }
  return false;
}

bool ParsePlacement(std::string_view text, std::array<int32_t, kWindowPlacementFields>* out) {
  std::array<int32_t, kWindowPlacementFields> fields{};
  for (int i = 0; i < kWindowPlacementFields; ++i) {
    const size_t comma = text.find(',');
    if ((comma == std::string_view::npos) != (i == kWindowPlacementFields - 1)) return false;
    const std::string_view item = TrimBlanks(text.substr(0, comma));
    const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), fields[i]);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size()) return false;
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
  }
  *out = fields;
  return true;
}

// What one reading of a line carries.
struct Readings {
  std::string_view text;
  double real;
  bool boolean;
  int32_t integer;
};

struct ReadProgress {
  bool formatSeen = false;
};

void Store(int key, const Readings& r, ReadProgress& progress) {
  ProgramSettings& p = TheSettingsState().program;
  GlobalOptions& o = DefaultOptions();
  NumberSettings& n = NumberFormatSettings();
  if (const int feature = ColourFeatureOf(key); feature >= 0) {
    o.setColourFeature(feature, uint32_t(r.integer));
    return;
  }
  if (const int margin = MarginOf(key); margin >= 0) {
    o.setMargin(margin, r.real);
    return;
  }
  // Character keys take the first character; an empty value or a control character leaves them.
  const bool hasChar = !r.text.empty() && static_cast<unsigned char>(r.text[0]) >= 0x20;
  const char first = hasChar ? r.text[0] : '\0';
  // clang-format off
  switch (key) {
    case kFormat:
      if (!progress.formatSeen) p.formatList.clear();
      progress.formatSeen = true;
      if (p.formatList.size() < kMaxFormatList) p.formatList.push_back(Cut(r.text, kMaxText));
      break;
    case kPro: o.setProtection(r.boolean); break;
    case kNeg: o.setColourNegatives(r.boolean); break;
    case kZero: o.setZeroSuppressed(r.boolean); break;
    case kBand: o.setBanding(r.boolean); break;
    case kMcalc: o.setManualRecalc(r.boolean); break;
    case k3don: o.setRaisedBorders(r.boolean); break;
    case kDist: o.setDistFlag(r.boolean); break;
    case kPrefix:
      if (hasChar) o.setLabelPrefix(uint8_t(first));
      break;
    case kCurr: n.currencySymbol = Cut(r.text, kMaxCurrencyText); break;
    case kCurs: n.currencyPlacement = Cut(r.text, kMaxCurrencyText); break;
    case kAutoexec: p.autoexec = Cut(r.text, kMaxText); break;
    case kToolmac:
      if (!r.text.empty()) p.macroLibrary = Cut(r.text, kMaxText);
      break;
    case kTips: p.tips = r.boolean; break;
    case kSep:
      if (hasChar) n.argumentSeparator = first;
      break;
    case kComma:
      if (hasChar) n.thousandsSeparator = first;
      break;
    case kPeriod:
      if (hasChar) n.decimalSeparator = first;
      break;
    case kUsdate: n.usDateOrder = r.boolean; break;
    case kQbar: p.quickBar = r.boolean; break;
    case kMbar: p.macroBar = r.boolean; break;
    case kSbar: p.statusBar = r.boolean; break;
    case kMdimax: p.maximized = r.boolean; break;
    case kHist: AddToHistory(Cut(r.text, kMaxText)); break;
    case kGform:
      if (r.integer >= 0 && r.integer <= kFormatCodeMask) o.setGlobalFormat(uint8_t(r.integer));
      break;
    case kWinctrl: p.winControlKeys = r.boolean; break;
    case kPreopen: p.preOpen = r.boolean; break;
    case kHsize:
      if (r.integer >= 0 && r.integer <= kMaxHistory) p.historySize = r.integer;
      break;
    case kGfont: p.fontName = Cut(r.text, kMaxFontName); break;
    case kGsize:
      if (r.integer >= 1 && r.integer <= kMaxFontSize) p.fontSize = r.integer;
      break;
    case kPmono:
      p.printMono = r.boolean;
      o.setPrintMono(r.boolean);
      break;
    case kPframe:
      p.printFrame = r.boolean;
      o.setPrintFrame(r.boolean);
      break;
    case kPorient:
      p.printOrientation = r.integer == 0 ? 0 : 1;
      o.setLandscape(p.printOrientation == 1);
      break;
    case kSave: p.saveDirectory = Cut(r.text, kMaxText); break;
    case kLoad: p.loadDirectory = Cut(r.text, kMaxText); break;
    case kPreload: p.preload = r.integer; break;
    case kOcfds: p.ocfds = r.boolean; break;
    case kUndo: SetUndoEnabled(r.boolean); break;
    case kPoolmb:
      if (r.integer >= 1 && r.integer <= kMaxPoolMegabytes) SetPoolLimit(uint64_t(r.integer) << 20);
      break;
    case kUndomb:
      if (r.integer >= 1 && r.integer <= kMaxUndoMegabytes) SetUndoBudget(uint64_t(r.integer) << 20);
      break;
    case kBackups: SetWorksheetBackups(r.boolean); break;
    case kGridclr: p.gridColour = uint32_t(r.integer); break;
    case kPbgrid: p.printGridBlack = r.boolean; break;
    case kForm:
      p.hasWindowPlacement = ParsePlacement(r.text, &p.windowPlacement);
      break;
    case kWallppr: p.wallpaper = Cut(r.text, kMaxText); break;
    case kGrid:
      if (r.integer >= 0 && r.integer <= 7) o.setGridLines(uint8_t(r.integer));
      break;
    case kPgsize:
      if (IsValidPageSize(r.integer)) o.setPageSize(uint16_t(r.integer));
      break;
    case kGwide:
      if (r.integer >= 0 && r.integer <= kMaxDefaultWidth) {
        NewSheetLayoutDefaults().columnWidth = uint16_t(r.integer);
      }
      break;
    case kGhigh:
      if (r.integer >= 0 && r.integer <= kMaxDefaultHeight) {
        NewSheetLayoutDefaults().rowHeight = uint16_t(r.integer);
      }
      break;
    default:  // START=, COLOR=, TOOLGL=, SCALE=, PSCALE=, RDTSC=: recognised, not read
      break;
  }
  // clang-format on
}

bool IsCharacterKey(int key) {
  return key == kPrefix || key == kSep || key == kComma || key == kPeriod;
}

void ReadLine(std::string_view line, ReadProgress& progress) {
  const size_t equals = line.find('=');
  const size_t semicolon = line.find(';');
  if (equals == std::string_view::npos || semicolon < equals) return;
  const std::string_view keyText = line.substr(0, equals + 1);
  if (keyText.size() > kMaxKeyCompared) return;
  const int key = SettingKeyNumber(keyText);
  if (key == 0 || kKeys[key].kind == Kind::kNone) return;
  std::string_view value = line.substr(equals + 1);
  // A ";" right after the "=" of a character key is its value, not a comment: the argument
  // separator ";" must survive being written and read back.
  if (IsCharacterKey(key) && !value.empty() && value.front() == ';') {
    value = value.substr(0, 1);
  } else {
    value = value.substr(0, value.find(';'));
  }
  while (!value.empty() && value.back() == '\r') value.remove_suffix(1);
  Readings r;
  r.text = value;
  r.real = RealReading(value);
  r.boolean = value.find("TRUE") != std::string_view::npos;
  r.integer = IntegerReading(value, r.real);
  Store(key, r, progress);
}

void FinishReading(const ReadProgress& progress) {
  if (!progress.formatSeen) TheSettingsState().program.formatList = DefaultFormatList();
  NumberSettings& n = NumberFormatSettings();
  if (n.decimalSeparator == ',' && n.argumentSeparator == ',') n.argumentSeparator = ';';
}

std::string BoolText(bool b) { return b ? "TRUE" : "FALSE"; }

std::string ColourText(uint32_t word) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(word));
  return buffer;
}

// Two decimals, a "." whatever the locale.
std::string RealText(double value) {
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (ec != std::errc()) return "0.00";
  return std::string(buffer, end);
}

std::string CharText(char c) { return std::string(1, c); }

std::string PlacementText(const ProgramSettings& p) {
  if (!p.hasWindowPlacement) return {};
  std::string out;
  for (int i = 0; i < kWindowPlacementFields; ++i) {
    if (i) out += ',';
    out += std::to_string(p.windowPlacement[i]);
  }
  return out;
}

// The value written for a single-line key.
std::string ValueText(int key) {
  const ProgramSettings& p = TheSettingsState().program;
  const GlobalOptions& o = DefaultOptions();
  const NumberSettings& n = NumberFormatSettings();
  if (const int feature = ColourFeatureOf(key); feature >= 0) {
    return ColourText(o.colourFeature(feature));
  }
  if (const int margin = MarginOf(key); margin >= 0) return RealText(o.margin(margin));
  // clang-format off
  switch (key) {
    case kStart: return OneLine(ProgramDirectory());
    case kPro: return BoolText(o.protection());
    case kNeg: return BoolText(o.colourNegatives());
    case kZero: return BoolText(o.zeroSuppressed());
    case kBand: return BoolText(o.banding());
    case kMcalc: return BoolText(o.manualRecalc());
    case k3don: return BoolText(o.raisedBorders());
    case kDist: return BoolText(o.distFlag());
    case kPrefix: return CharText(char(o.labelPrefix()));
    case kCurr: return OneLine(n.currencySymbol, kMaxCurrencyText);
    case kCurs: return OneLine(n.currencyPlacement, kMaxCurrencyText);
    case kAutoexec: return OneLine(p.autoexec);
    case kToolmac: return OneLine(p.macroLibrary);
    case kToolgl: return {};
    case kTips: return BoolText(p.tips);
    case kSep: return CharText(n.argumentSeparator);
    case kComma: return CharText(n.thousandsSeparator);
    case kPeriod: return CharText(n.decimalSeparator);
    case kUsdate: return BoolText(n.usDateOrder);
    case kScale: return std::to_string(p.zoom);
    case kQbar: return BoolText(p.quickBar);
    case kMbar: return BoolText(p.macroBar);
    case kSbar: return BoolText(p.statusBar);
    case kMdimax: return BoolText(p.maximized);
    case kGform: return std::to_string(o.globalFormat());
    case kWinctrl: return BoolText(p.winControlKeys);
    case kPreopen: return BoolText(p.preOpen);
    case kHsize: return std::to_string(p.historySize);
    case kGfont: return OneLine(p.fontName, kMaxFontName);
    case kGsize: return std::to_string(p.fontSize);
    case kPmono: return BoolText(p.printMono);
    case kPframe: return BoolText(p.printFrame);
    case kPorient: return std::to_string(p.printOrientation);
    case kSave: return OneLine(p.saveDirectory);
    case kLoad: return OneLine(p.loadDirectory);
    case kPreload: return std::to_string(p.preload);
    case kOcfds: return BoolText(p.ocfds);
    case kUndo: return BoolText(UndoEnabled());
    case kPoolmb: return std::to_string(PoolLimit() >> 20);
    case kUndomb: return std::to_string(UndoBudget() >> 20);
    case kBackups: return BoolText(WorksheetBackups());
    case kGridclr: return ColourText(p.gridColour);
    case kPbgrid: return BoolText(p.printGridBlack);
    case kForm: return PlacementText(p);
    case kWallppr: return OneLine(p.wallpaper);
    case kGrid: return std::to_string(o.gridLines());
    case kPgsize: return std::to_string(o.pageSize());
    case kGwide: return std::to_string(NewSheetLayoutDefaults().columnWidth);
    case kGhigh: return std::to_string(NewSheetLayoutDefaults().rowHeight);
    default: return {};
  }
  // clang-format on
}

bool DirectoryOf(const std::string& path, std::string* directory) {
  const size_t slash = path.rfind('/');
  *directory = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  struct stat info;
  return ::stat(directory->c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string_view SettingKeyName(int number) {
  if (number < 1 || number > kSettingKeyCount) return {};
  return kKeys[number].name;
}

int SettingKeyNumber(std::string_view key) {
  for (int i = 1; i <= kSettingKeyCount; ++i) {
    if (key == kKeys[i].name) return i;
  }
  return 0;
}

ProgramSettings& Settings() { return TheSettingsState().program; }

std::vector<std::string> DefaultFormatList() {
  return {"F2,Fixed", "S2,Science",  "M2,Comma",    "G,General", "P2,Percent",
          "E2,Eng",   "C2,Currency", "D0,YY:MM:DD", "X,Text"};
}

void ResetSettings() {
  ProgramSettings& p = TheSettingsState().program;
  p = ProgramSettings();
  p.saveDirectory = ProgramDirectory();
  p.loadDirectory = ProgramDirectory();
  p.autoexec = AutoexecFileName();
  p.macroLibrary = MacroLibraryFileName();
  p.formatList = DefaultFormatList();
  ResetDefaultOptions();
  ResetNumberSettings();
  SetUndoEnabled(true);
  SetUndoBudget(kDefaultUndoBudget);
  SetWorksheetBackups(true);
  if (PoolLimit() != kPoolDefaultLimit) SetPoolLimit(kPoolDefaultLimit);
}

void ReadSettingsText(std::string_view text) {
  ReadProgress progress;
  ForEachLine(text, kMaxSettingsLine, [&](std::string_view line) { ReadLine(line, progress); });
  FinishReading(progress);
}

bool ReadSettingsFile(const std::string& path) {
  ReadProgress progress;
  const bool opened = ForEachFileLine(path, kMaxSettingsLine,
                                      [&](std::string_view line) { ReadLine(line, progress); });
  if (opened) FinishReading(progress);
  return opened;
}

void LoadSettings() {
  ProgramSettings& p = TheSettingsState().program;
  p.saveDirectory = ProgramDirectory();
  p.loadDirectory = ProgramDirectory();
  ReadSettingsFile(SettingsFileToRead());
  if (p.formatList.empty()) p.formatList = DefaultFormatList();
}

std::string SettingsText() {
  const ProgramSettings& p = TheSettingsState().program;
  std::string out;
  for (const Section& section : kSections) {
    out += '\n';
    out += section.header;
    out += '\n';
    for (int key : section.keys) {
      if (key == kFormat || key == kHist) {
        for (const std::string& entry : key == kFormat ? p.formatList : p.history) {
          out += kKeys[key].name;
          out += OneLine(entry);
          out += '\n';
        }
        continue;
      }
      out += kKeys[key].name;
      out += ValueText(key);
      out += '\n';
    }
  }
  return out;
}

bool WriteSettingsFile(const std::string& path) {
  std::string directory;
  if (path.empty() || !DirectoryOf(path, &directory)) return false;
  const std::string text = SettingsText();
  const std::string temporary = path + ".new";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
  ok = ::fsync(::fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    std::remove(temporary.c_str());
    return false;
  }
  if (Exists(path)) {
    const std::string backup = SettingsBackupName(path);
    std::remove(backup.c_str());
    std::rename(path.c_str(), backup.c_str());
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

void SaveSettings() {
  const std::string path = SettingsFileToWrite();
  if (!path.empty()) WriteSettingsFile(path);
}

void AddToHistory(std::string_view entry) {
  if (entry.empty()) return;
  ProgramSettings& p = TheSettingsState().program;
  std::vector<std::string>& list = p.history;
  const std::string e = Cut(entry, kMaxText);
  list.erase(std::remove(list.begin(), list.end(), e), list.end());
  if (int(list.size()) >= std::min(p.historySize, kMaxHistory) && !list.empty()) {
    list.erase(list.begin());
  }
  list.push_back(e);
}

bool PlacementToApply(WindowPlacementToApply* out) {
  const ProgramSettings& p = TheSettingsState().program;
  if (!p.hasWindowPlacement) return false;
  WindowPlacementToApply result;
  result.fields = p.windowPlacement;
  auto& f = result.fields;
  f[0] = kPlacementRecordLength;
  enum { kShow = 2, kLeft = 7, kTop = 8, kRight = 9, kBottom = 10 };
  // Added in 64 bits: a hostile left edge near the limit must not overflow.
  if (f[kRight] < f[kLeft])
    f[kRight] = int32_t(std::min<int64_t>(int64_t(f[kLeft]) + 100, INT32_MAX));
  if (f[kBottom] < f[kTop])
    f[kBottom] = int32_t(std::min<int64_t>(int64_t(f[kTop]) + 100, INT32_MAX));
  switch (f[kShow]) {
    case 2:
    case 6:
    case 7:
      result.show = WindowShow::kMinimized;
      break;
    case 3:
      result.show = WindowShow::kMaximized;
      break;
    default:
      result.show = WindowShow::kNormal;
      break;
  }
  *out = result;
  return true;
}
