// files/worksheet_save.cpp — writes the current worksheet to a worksheet file.
//
// The WK1 part comes first in the order other programs expect, then the extension block framed
// by 0x1A bytes. The file is written under a temporary name in the target's directory, flushed
// and synced, the backup made, and only then renamed over the target, so a failed save leaves
// the previous file and its backup as they were.
// Reads: the current worksheet (cells, options, names, graphs, user functions, layout, extras),
// the platform's font list. Writes: the modified flag; the module state (backups setting).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/cell_store.h"
#include "core/messages.h"
#include "core/names.h"
#include "core/sheet_layout.h"
#include "core/sheet_state.h"
#include "core/sheet_extras.h"
#include "files/worksheet_file.h"
#include "files/worksheet_records.h"
#include "formula/formula_code.h"
#include "formula/function_library.h"
#include "platform/platform.h"

namespace {

using namespace wk;

struct SaveState {
  bool backups = true;
};

SaveState& TheSaveState() {
  static SaveState state;
  return state;
}

bool HasLetters(std::string_view s, bool upper) {
  return std::any_of(s.begin(), s.end(), [upper](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return upper ? std::isupper(u) : std::islower(u);
  });
}

// The last path component.
std::string_view BaseName(std::string_view name) {
  const size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

// A signed 16-bit count of hundredths, rounded half to even, clamped to what 16 bits hold.
int32_t Hundredths(double inches) {
  const double scaled = std::nearbyint(inches * 100);
  if (!(scaled == scaled)) return 0;
  return int32_t(std::clamp(scaled, -32768.0, 32767.0));
}

uint16_t ClampWord(double value) {
  if (!(value == value)) return 0;
  return uint16_t(std::clamp(std::lround(value), 0L, 65535L));
}

class Writer {
 public:
  Writer(RecordSink& sink, const CellRange* range) : sink_(sink), range_(range) {}
  void Run();

 private:
  void CellHeader(RecordData& d, uint8_t format, uint16_t column, uint16_t row) {
    d.Byte(format).Word(column).Word(row);
  }
  CellRange UsedArea() const;
  void WriteSettings(const CellRange& area);
  void WriteNamesAndGraphs();
  void WriteCells(const CellRange& area);
  void WriteCell(const CellRecord* c);
  void WriteBlockOpening();
  void WriteExtension();
  void WriteCellAttributes();

  RecordSink& sink_;
  const CellRange* range_;
  CellRange area_{};
  std::array<bool, 256> fontsUsed_{};
  RecordData scratch_;  // the record being built, reused so that cells cost no allocation
  std::vector<std::array<uint8_t, kAttributeRecordSize>> attributes_;  // collected with the cells
};

CellRange Writer::UsedArea() const {
  if (range_) {
    CellRange r = *range_;
    if (r.firstColumn > r.lastColumn) std::swap(r.firstColumn, r.lastColumn);
    if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
    r.lastColumn = std::min<uint16_t>(r.lastColumn, kColumnCount - 1);
    r.lastRow = std::min<uint16_t>(r.lastRow, kRowCount - 1);
    return r;
  }
  // The first cell of each row is its leftmost; the extent gives the last row and column.
  CellRange r{kNoCell, kNoCell, 0, 0};
  for (int row = 0; row < kRowCount; ++row) {
    const CellHandle head = RowHead(row);
    if (!head) continue;
    r.firstColumn = std::min<uint16_t>(r.firstColumn, CellAt(head)->column);
    if (r.firstRow == kNoCell) r.firstRow = uint16_t(row);
    r.lastRow = uint16_t(row);
  }
  if (r.firstColumn == kNoCell) return CellRange{0, 0, 0, 0};
  r.lastColumn = std::min<uint16_t>(std::max(LastColumn(), r.firstColumn), kColumnCount - 1);
  return r;
}

void Writer::Run() {
  area_ = UsedArea();
  const CellRange& area = area_;
  sink_.Record(kBof, RecordData().Word(0x0404).bytes);
  {
    RecordData d;
    AppendRange(d, area);
    sink_.Record(kRange, d.bytes);
  }
  if (!range_) WriteSettings(area);
  WriteCells(area);
  sink_.Record(kEof, nullptr, 0);
  WriteBlockOpening();
  if (range_) {
    WriteCellAttributes();
  } else {
    WriteExtension();
  }
  sink_.Record(kEof, nullptr, 0);
  const uint8_t close[2] = {0x1A, 0x1A};
  sink_.Raw(close, 2);
}

// Readers of WK1 files that go on past the EOF record take 0x1A 0x00 as a record header with the
// next two bytes as its length; every record type 0 they meet would be another sheet to them. The
// block therefore opens with a fixed sequence that such a reader walks as two long records and a
// filler, after which it stands on our record boundaries, whose types are never 0: the window
// record 0x07, the stamp 0x79 (whose short length field would otherwise lead it astray) and a
// guard record that our reader skips as a type it does not know.
void Writer::WriteBlockOpening() {
  const uint8_t open[2] = {0x1A, 0x00};
  sink_.Raw(open, 2);
  sink_.Record(kXWindow, CurrentExtras().windowRecord.data(), 2);
  const uint8_t stamp[8] = {uint8_t(kXStamp), 0, 2, 0, uint8_t(kStampValue),
                            uint8_t(kStampValue >> 8), 0, 0};
  sink_.Raw(stamp, sizeof stamp);
  // Such a reader resumes 61 bytes into the guard record (after a record of type 0x9C00 and
  // length 62 that it reads out of the stamp), where it finds a header of 4 bytes that ends
  // exactly with the guard.
  uint8_t guard[kGuardSize] = {};
  guard[kGuardSize - 8] = 0xFF;
  guard[kGuardSize - 7] = 0x7F;
  guard[kGuardSize - 6] = 4;
  sink_.Record(kXGuard, guard, kGuardSize);
}

void Writer::WriteSettings(const CellRange&) {
  const GlobalOptions& o = Options();
  const SheetExtras& extras = CurrentExtras();
  const SheetLayout& layout = CurrentLayout();
  sink_.Record(kCalcMode, RecordData().Byte(o.manualRecalc() ? 0 : 0xFF).bytes);
  const uint8_t split = extras.layout.verticalSplit ? 1 : extras.layout.horizontalSplit ? 2 : 0;
  sink_.Record(kSplit, RecordData().Byte(split).bytes);
  sink_.Record(kSync, RecordData().Byte(extras.layout.synchronised ? 0xFF : 0).bytes);
  for (int column = 0; column < kColumnCount; ++column) {
    const uint16_t width = layout.columnWidth[column];
    if (width == layout.defaultWidth) continue;
    sink_.Record(kColumnWidth1,
                 RecordData().Word(uint16_t(column)).Byte(uint8_t(std::min(width / 8, 255))).bytes);
  }
  WriteNamesAndGraphs();
}

void Writer::WriteNamesAndGraphs() {
  const GlobalOptions& o = Options();
  const SheetExtras& extras = CurrentExtras();
  for (int i = 1; i <= NameCount(); ++i) {
    RecordData d;
    d.PaddedText(NameAt(i), 16);
    AppendRange(d, NameRange(i));
    sink_.Record(kName, d.bytes);
  }
  {
    // The reserved name carries two option bytes in its range field.
    const uint8_t flags = uint8_t((o.zeroSuppressed() ? 1 : 2) |
                                  (o.Byte(GlobalOptions::kReservedNameFlag) ? 4 : 0));
    const uint8_t setting = extras.reservedSetting == 0 ? 0xFF : extras.reservedSetting;
    RecordData d;
    d.PaddedText("G!OPTIONS", 16);
    d.Word(flags).Word(setting).Word(flags).Word(setting);
    sink_.Record(kName, d.bytes);
  }
  {
    RecordData d;
    d.Byte(extras.tableType);
    AppendRange(d, o.range(GlobalOptions::kTableRange));
    AppendRange(d, o.range(GlobalOptions::kTableInput1));
    AppendRange(d, o.range(GlobalOptions::kTableInput2));
    sink_.Record(kTable, d.bytes);
  }
  {
    RecordData d;
    AppendRange(d, o.range(GlobalOptions::kQueryInput));
    AppendRange(d, o.range(GlobalOptions::kQueryCriteria));
    AppendRange(d, o.range(GlobalOptions::kQueryOutput));
    d.Byte(extras.queryType);
    sink_.Record(kQueryRange, d.bytes);
  }
  auto oneRange = [&](uint16_t type, int index) {
    RecordData d;
    AppendRange(d, o.range(index));
    sink_.Record(type, d.bytes);
  };
  oneRange(kPrintRange, GlobalOptions::kPrintRange);
  oneRange(kSortRange, GlobalOptions::kSortRange);
  {
    RecordData d;
    AppendRange(d, o.range(GlobalOptions::kSortKey1));
    d.Byte(extras.sortOrder[0]);
    sink_.Record(kSortKey1, d.bytes);
  }
  {
    RecordData d;
    AppendRange(d, o.range(GlobalOptions::kSortKey2));
    d.Byte(extras.sortOrder[1]);
    sink_.Record(kSortKey2, d.bytes);
  }
  sink_.Record(kProtect, RecordData().Byte(o.protection() ? 1 : 0).bytes);
  auto text = [](const std::string& t, bool apostrophe) {
    std::string out = apostrophe ? "'" + t : t;
    if (out.size() > kMaxHeaderText) out.resize(kMaxHeaderText);
    return RecordData().Text(out).bytes;
  };
  sink_.Record(kFooter, text(o.footer(), extras.footerApostrophe));
  sink_.Record(kHeader, text(o.header(), extras.headerApostrophe));
  sink_.Record(kSetup, RecordData().Byte(0).bytes);
  {
    RecordData d;
    d.Word(ClampWord(o.margin(1) / 8.5 * 80));
    d.Word(ClampWord((8.5 - o.margin(2)) / 8.5 * 80));
    d.Word(66);
    d.Word(ClampWord(o.margin(0) / 11 * 60));
    d.Word(ClampWord(o.margin(3) / 11 * 60));
    sink_.Record(kMargins, d.bytes);
  }
  sink_.Record(kLabelFormat, RecordData().Byte(o.labelPrefix()).bytes);
  {
    RecordData d;
    AppendRange(d, o.range(GlobalOptions::kTitleRows));
    AppendRange(d, o.range(GlobalOptions::kTitleColumns));
    sink_.Record(kTitles, d.bytes);
  }
  const SheetState& sheet = CurrentSheet();
  sink_.Record(kGraph, sheet.graphSettings.data() + kGraphDataOffset, kGraphDataSize);
  for (int i = 1; i <= sheet.graphCount; ++i) {
    const uint8_t* block = PoolPtr(sheet.graphTable[i]);
    if (!block) continue;
    const std::string name(reinterpret_cast<const char*>(block + 1),
                           std::min<size_t>(block[0], graph_layout::kNameCapacity));
    RecordData d;
    d.PaddedText(name, 16);
    d.Bytes(block + kGraphDataOffset, kGraphDataSize);
    sink_.Record(kNamedGraph, d.bytes);
  }
}

void Writer::WriteCells(const CellRange& area) {
  for (uint32_t row = area.firstRow; row <= area.lastRow && row < uint32_t(kRowCount); ++row) {
    for (CellHandle h = FindCellAtOrAfter(row, area.firstColumn); h; h = CellAt(h)->next) {
      const CellRecord* c = CellAt(h);
      if (c->column > area.lastColumn) break;
      WriteCell(c);
    }
  }
}

void Writer::WriteCell(const CellRecord* c) {
  const uint8_t kind = c->kind & kKindMask;
  RecordData& d = scratch_;
  d.bytes.clear();
  CellHeader(d, c->format, c->column, c->row);
  switch (kind) {
    case uint8_t(CellKind::kStringFormula):
    case uint8_t(CellKind::kFormula): {
      uint8_t code[kMaxCodeSize] = {};
      const uint8_t* block = PoolPtr(c->text);
      if (block) {
        if (c->kind & kKindFileForm) {
          std::memcpy(code, block, CodeBufferSize(block));
        } else {
          CodeToFileForm(block, c->row, c->column, code);
        }
      }
      if (c->kind & kKindErrorMark) {
        d.Word(0).Word(0).Word(0).Word(0x7FF0);
      } else if (kind == uint8_t(CellKind::kStringFormula)) {
        // A string formula has no number; this NaN tells other readers to take the STRING
        // record that follows (our reader reads it as 0 and takes the STRING record anyway).
        d.Word(0).Word(0).Word(0).Word(0xFFF2);
      } else {
        d.Double(CellDouble(c));
      }
      const size_t length = code[0] >= 2 ? size_t(code[0]) - 1 : 0;
      d.Word(uint16_t(length)).Bytes(code + 2, length);
      sink_.Record(kFormula, d.bytes);
      if (kind == uint8_t(CellKind::kStringFormula)) {
        RecordData s;
        CellHeader(s, c->format, c->column, c->row);
        s.Text(PoolText(CellStringResult(c)));
        sink_.Record(kString, s.bytes);
      }
      break;
    }
    case uint8_t(CellKind::kNumber):
      sink_.Record(kNumber, d.Double(CellDouble(c)).bytes);
      break;
    case uint8_t(CellKind::kInteger):
      sink_.Record(kInteger, d.Word(uint16_t(CellInteger(c))).bytes);
      break;
    case uint8_t(CellKind::kLabel):
      sink_.Record(kLabel, d.Text(PoolText(c->text)).bytes);
      break;
    case uint8_t(CellKind::kBlank):
      // A placeholder that formulas hang on is made again by linking when the file is read.
      if (IsPlainBlank(c)) return;
      sink_.Record(kBlank, d.bytes);
      break;
    default:
      return;
  }
  if (c->font != 255) fontsUsed_[c->font] = true;
  if (c->font != 255 || c->size != 0 || c->style != 0 || c->borders != 0 || c->shade[0] != 0 ||
      c->shade[1] != 0 || c->shade[2] != 0 || c->colour != kColourDefault) {
    attributes_.push_back({uint8_t(c->row), uint8_t(c->row >> 8), c->column, 0, c->font, c->size,
                           c->style, c->borders, c->shade[0], c->shade[1], c->shade[2], c->colour});
  }
}

void Writer::WriteCellAttributes() {
  const std::vector<std::string> installed = ThePlatform().InstalledFonts();
  for (size_t i = 0; i < 255; ++i) {
    if (!fontsUsed_[i]) continue;
    const std::string name = i < installed.size() ? installed[i] : std::string();
    sink_.Record(kXFont, RecordData().Byte(uint8_t(i)).Text(name.substr(0, 80)).bytes);
  }
  for (const auto& record : attributes_) sink_.Record(kXAttributes, record.data(), record.size());
}

void Writer::WriteExtension() {
  const GlobalOptions& o = Options();
  const SheetExtras& extras = CurrentExtras();
  const SheetLayout& layout = CurrentLayout();
  const SheetState& sheet = CurrentSheet();
  {
    const WindowLayout& l = extras.layout;
    const uint16_t pageSize = o.pageSize();
    RecordData d;
    d.Word(uint16_t(pageSize == 0 ? 1 : std::max(1, kRowCount / pageSize)));
    d.Byte(l.horizontalSplit).Byte(l.verticalSplit).Byte(l.synchronised).Byte(l.activePane);
    d.Word(l.first.leftColumn).Word(l.first.topRow).Word(l.first.cursorColumn).Word(l.first.cursorRow);
    d.Word(l.firstHeight).Word(l.firstWidth);
    d.Word(l.second.leftColumn).Word(l.second.topRow).Word(l.second.cursorColumn).Word(l.second.cursorRow);
    d.Word(l.titleFirstColumn).Word(l.titleLastColumn).Word(l.titleFirstRow).Word(l.titleLastRow);
    sink_.Record(kXLayout, d.bytes);
  }
  if (extras.font.present) {
    sink_.Record(kXWindowFont, RecordData()
                                   .Word(extras.font.height)
                                   .Word(extras.font.style)
                                   .Text(extras.font.name.substr(0, 80))
                                   .bytes);
  }
  sink_.Record(kXDefaults, RecordData().Word(layout.defaultWidth).Word(layout.defaultHeight).bytes);
  WriteCellAttributes();
  for (int row = 0; row < kRowCount; ++row) {
    if (layout.rowHeight[row] == layout.defaultHeight) continue;
    sink_.Record(kXRowHeight, RecordData()
                                  .Word(uint16_t(row))
                                  .Byte(uint8_t(std::min<int>(layout.rowHeight[row], 255)))
                                  .bytes);
  }
  for (int column = 0; column < kColumnCount; ++column) {
    if (layout.columnWidth[column] == layout.defaultWidth) continue;
    sink_.Record(kXColumnWidth, RecordData()
                                    .Word(uint16_t(column))
                                    .Byte(uint8_t(std::min<int>(layout.columnWidth[column], 255)))
                                    .bytes);
  }
  {
    RecordData d;
    AppendRange(d, o.range(GlobalOptions::kSortKey1));
    d.Byte(extras.sortOrder[0]);
    AppendRange(d, o.range(GlobalOptions::kSortKey2));
    d.Byte(extras.sortOrder[1]);
    sink_.Record(kXSortKeys, d.bytes);
  }
  if (!extras.sortSettings.empty()) sink_.Record(kXSortSettings, extras.sortSettings);
  if (!extras.sortSettings3.empty()) sink_.Record(kXSortSettings3, extras.sortSettings3);
  if (!extras.sortRanges3.empty()) sink_.Record(kXSortRanges3, extras.sortRanges3);
  {
    const auto own = GraphProgramRecord(CurrentGraph());
    sink_.Record(kXGraph, own.data(), own.size());
  }
  for (int i = 1; i <= sheet.graphCount; ++i) {
    if (!sheet.graphTable[i]) continue;
    const auto own = GraphProgramRecord(NamedGraph(i));
    sink_.Record(kXNamedGraph, own.data(), own.size());
  }
  {
    RecordData d;
    for (int i = 0; i < GlobalOptions::kColourFeatureCount; ++i) d.Long(o.colourFeature(i));
    sink_.Record(kXColours, d.bytes);
  }
  {
    RecordData d;
    for (int i = 0; i < 6; ++i) d.Long(uint32_t(Hundredths(o.margin(i))));
    sink_.Record(kXMargins, d.bytes);
  }
  for (const std::string& caption : extras.tabCaptions) {
    sink_.Record(kXTabCaption, RecordData().Text(caption.substr(0, 11)).bytes);
  }
  sink_.Record(kXTitle, RecordData().Text(o.Text(GlobalOptions::kTitle, 80)).bytes);
  sink_.Record(kXFurtherText, RecordData().Text(o.Text(GlobalOptions::kFurtherText, 80)).bytes);
  sink_.Record(kXComments, RecordData().Text(o.Text(GlobalOptions::kComments, 255)).bytes);
  sink_.Record(kXPassword, RecordData().Text(o.password()).bytes);
  sink_.Record(kXReals, &o.bytes[GlobalOptions::kReal1], 16);
  sink_.Record(kXWord, RecordData().Word(o.Word(GlobalOptions::kWord1539)).bytes);
  sink_.Record(kXWindowWord, RecordData()
                                 .Word(o.Word(GlobalOptions::kWindowWord))
                                 .Byte(o.Byte(GlobalOptions::kWindowBytes))
                                 .Byte(o.Byte(GlobalOptions::kWindowBytes + 1))
                                 .Byte(o.Byte(GlobalOptions::kWindowBytes + 2))
                                 .Byte(0)
                                 .bytes);
  for (const std::vector<uint8_t>& button : extras.macroButtons) sink_.Record(kXButton, button);
  for (int i = 1; i <= SheetFunctionCount(); ++i) {
    UserFunction f;
    if (!SheetFunctionAt(i, &f)) continue;
    RecordData d;
    const std::string name = f.name.substr(0, 12);
    d.Byte(uint8_t(name.size()));
    d.PaddedText(name, 13);
    d.bytes.resize(13);
    d.Byte(f.argumentCount);
    const std::string text = f.text.substr(0, 255);
    d.Byte(uint8_t(text.size()));
    d.Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    sink_.Record(kXUserFunction, d.bytes);
  }
}

// Makes `backup` a copy of `target` (a hard link when the file system allows one), replacing an
// older backup only once the new one is complete.
bool MakeBackup(const std::string& target, const std::string& backup) {
  const std::string staging = backup + ".new";
  std::remove(staging.c_str());
  if (link(target.c_str(), staging.c_str()) != 0) {
    std::FILE* in = std::fopen(target.c_str(), "rb");
    if (!in) return false;
    std::FILE* out = std::fopen(staging.c_str(), "wb");
    bool ok = out != nullptr;
    char buffer[65536];
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
      ok = std::fwrite(buffer, 1, n, out) == n;
    }
    ok = ok && !std::ferror(in);
    std::fclose(in);
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok) {
      std::remove(staging.c_str());
      return false;
    }
  }
  if (std::rename(staging.c_str(), backup.c_str()) != 0) {
    std::remove(staging.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string WorksheetFileName(std::string_view name) {
  const std::string_view base = BaseName(name);
  std::string out(name);
  if (base.find('.') != std::string_view::npos) return out;
  const bool upper = HasLetters(base, true) && !HasLetters(base, false);
  return out + (upper ? ".WKS" : ".wks");
}

std::string BackupFileName(std::string_view name) {
  std::string out(name);
  if (out.empty()) return out;
  const unsigned char last = static_cast<unsigned char>(out.back());
  bool lower;
  if (std::isalpha(last)) {
    lower = std::islower(last);
  } else {
    const std::string_view base = BaseName(name);
    lower = !(HasLetters(base, true) && !HasLetters(base, false));
  }
  out.back() = lower ? 'b' : 'B';
  return out;
}

std::vector<uint8_t> WorksheetBytes(const CellRange* range) {
  RecordSink sink(nullptr);
  Writer(sink, range).Run();
  return std::move(sink.Bytes());
}

void SetWorksheetBackups(bool on) { TheSaveState().backups = on; }
bool WorksheetBackups() { return TheSaveState().backups; }

bool SaveWorksheet(std::string_view fileName, const CellRange* range) {
  const std::string target = WorksheetFileName(fileName);
  const size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = directory + "." + base + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    ShowError("Unable to WRITE");
    return false;
  }
  // The new file gets the old one's permissions, or the usual ones for a new file.
  struct stat info;
  const bool existed = stat(target.c_str(), &info) == 0;
  if (existed) {
    fchmod(fd, info.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  std::FILE* file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    std::remove(temp.c_str());
    ShowError("Unable to WRITE");
    return false;
  }
  ThePlatform().WaitCursor(true);
  RecordSink sink(file);
  Writer(sink, range).Run();
  bool written = sink.Finish() && fsync(fileno(file)) == 0;
  const bool closed = std::fclose(file) == 0;
  ThePlatform().WaitCursor(false);
  if (!written || !closed) {
    std::remove(temp.c_str());
    ShowError(written ? "Unable to CLOSE file" : "Unable to WRITE");
    return false;
  }
  const std::string backup = BackupFileName(target);
  if (existed && TheSaveState().backups && backup != target && !MakeBackup(target, backup)) {
    std::remove(temp.c_str());
    ShowError("Unable to WRITE");
    return false;
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    ShowError("Unable to WRITE");
    return false;
  }
  SetSheetModified(false);
  return true;
}

void ResetWorksheetFiles() { TheSaveState() = SaveState{}; }
