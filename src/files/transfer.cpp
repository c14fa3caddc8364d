// files/transfer.cpp — text and dBase import and export.
//
// Every length read from a dBase table or its memo file is checked against the bytes at hand
// before it is used. Reads and writes: the current worksheet through cell entry, the column
// widths of the layout (noted for Undo), the error flag.
#include "files/transfer.h"

#include <dirent.h>
#include <fnmatch.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/cell_store.h"
#include "core/date_time.h"
#include "core/entry.h"
#include "core/format.h"
#include "core/global_options.h"
#include "core/messages.h"
#include "core/number_settings.h"
#include "core/pool.h"
#include "core/sheet_layout.h"
#include "files/atomic_file.h"
#include "files/text_codec.h"
#include "files/values_split.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kLastRow = 8191;
constexpr uint32_t kLastColumn = 255;
constexpr size_t kMaxDbaseFields = 256;
constexpr uint32_t kMaxDbaseRecords = 8192;
// A text line longer than this is cut (no cell holds more than 240 characters of a field, but a
// line is split whole).
constexpr size_t kMaxLineBytes = 1 << 20;

char LabelPrefix() {
  const uint8_t prefix = Options().labelPrefix();
  return prefix ? char(prefix) : '\'';
}

void FileNotFound(std::string_view fileName) {
  ShowError("File Not Found! \n" + std::string(fileName));
  RaiseError();
}

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) out->append(block, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// --- text import -------------------------------------------------------------------------------

// Walks the target cells of an import: down the rows, then on from the target row in the next
// column once the last row is passed.
class ImportCursor {
 public:
  ImportCursor(uint32_t row, uint32_t column) : firstRow_(row), row_(row), column_(column) {}
  uint32_t Row() const { return row_; }
  uint32_t Column() const { return column_; }
  // Moves to the next row; false (error flag raised) when that runs past the last column.
  bool NextRow() {
    if (++row_ > kLastRow) {
      row_ = firstRow_;
      if (++column_ > kLastColumn) {
        RaiseError();
        return false;
      }
    }
    return true;
  }

 private:
  uint32_t firstRow_, row_, column_;
};

// Enters one piece; a piece that does not compile becomes a label. False when the cell is
// protected or memory ran out (the import stops).
bool EnterPiece(const std::string& text, uint32_t row, uint32_t column, bool asLabel) {
  const std::string entry = asLabel ? LabelPrefix() + text : text;
  const bool wasSuppressed = EntryMessagesSuppressed();
  SetEntryMessagesSuppressed(true);
  EntryResult result = EnterCell(entry, row, column);
  if (result == EntryResult::kFormulaError) {
    ClearError();
    result = EnterCell(LabelPrefix() + text, row, column);
  }
  SetEntryMessagesSuppressed(wasSuppressed);
  if (result == EntryResult::kProtected) {
    ShowError("Protected Cell");
    RaiseError();
    return false;
  }
  if (result == EntryResult::kNoMemory) {
    RaiseError();
    return false;
  }
  return true;
}

bool ImportLine(const std::string& line, const ImportCursor& at, TextImportMode mode) {
  if (mode == TextImportMode::kLabels) return EnterPiece(line, at.Row(), at.Column(), true);
  uint32_t column = at.Column();
  for (const std::string& piece : SplitValuesLine(line)) {
    if (column > kLastColumn) break;  // fields beyond the grid have no cell
    if (!piece.empty() && !EnterPiece(piece, at.Row(), column, false)) return false;
    ++column;
  }
  return true;
}

// Lines from memory, as TextLineReader gives them from a file.
class MemoryLines {
 public:
  explicit MemoryLines(std::string_view bytes) : bytes_(bytes) {}
  bool Next(std::string* line) {
    if (at_ >= bytes_.size()) return false;
    size_t end = bytes_.find('\n', at_);
    if (end == std::string_view::npos) end = bytes_.size();
    std::string_view raw = bytes_.substr(at_, std::min(end - at_, kMaxLineBytes));
    at_ = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    line->assign(raw);
    return true;
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

template <typename Lines>
bool ImportLines(Lines& lines, uint32_t row, uint32_t column, TextImportMode mode) {
  ImportCursor at(row, column);
  std::string raw;
  uint32_t count = 0;
  while (lines.Next(&raw)) {
    if (!ImportLine(DecodeTextLine(raw), at, mode)) return false;
    if (++count % 128 == 0 && !EnoughMemory()) {
      RaiseError();
      return false;
    }
    if (!at.NextRow()) return false;
  }
  return true;
}

// The pattern of a file-name import: "*." and up to three characters after the first "." of
// the name, or "*.*"; the directory is the name's own.
bool ImportFileNames(std::string_view fileName, uint32_t row, uint32_t column) {
  const size_t slash = fileName.rfind('/');
  const std::string directory =
      slash == std::string_view::npos ? std::string(".") : std::string(fileName.substr(0, slash + 1));
  const std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  const size_t dot = base.find('.');
  const std::string pattern = dot == std::string_view::npos
                                  ? std::string("*.*")
                                  : "*." + std::string(base.substr(dot + 1, 3));
  DIR* dir = opendir(directory.c_str());
  if (!dir) {
    FileNotFound(fileName);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  ImportCursor at(row, column);
  for (const std::string& name : names) {
    if (!EnterPiece(DecodeTextLine(name).substr(0, 80), at.Row(), at.Column(), true)) return false;
    if (!at.NextRow()) return false;
  }
  return true;
}

// --- text export -------------------------------------------------------------------------------

std::string SquashBlanks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  if (!out.empty() && out.front() == ' ') out.erase(0, 1);
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string QuotedField(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

// --- dBase import ------------------------------------------------------------------------------

uint16_t Word(std::string_view b, size_t at) {
  return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}
uint32_t Long(std::string_view b, size_t at) {
  return uint32_t(Word(b, at)) | uint32_t(Word(b, at + 2)) << 16;
}

struct DbaseField {
  std::string name;   // engine text
  char type = 'C';
  uint32_t length = 0;
  uint32_t offset = 0;  // in the record, after the deletion flag
  uint8_t decimals = 0;
};

struct DbaseTable {
  std::vector<DbaseField> fields;
  size_t headerLength = 0;
  size_t recordLength = 0;
  uint32_t records = 0;  // as the header says
  uint8_t version = 0;
  DbaseCodePage page = DbaseCodePage::kUnknown;
};

enum class DbaseHeaderResult : uint8_t { kOk, kUnreadable, kTooManyFields };

DbaseHeaderResult ReadDbaseHeader(std::string_view b, DbaseTable* t) {
  if (b.size() < 32) return DbaseHeaderResult::kUnreadable;
  t->version = uint8_t(b[0]);
  t->records = Long(b, 4);
  t->headerLength = Word(b, 8);
  t->recordLength = Word(b, 10);
  t->page = DbaseCodePageOf(uint8_t(b[29]));
  const size_t end = std::min(t->headerLength, b.size());
  size_t fieldCount = 0;
  for (size_t at = 32; at + 32 <= end && b[at] != 0x0D; at += 32) ++fieldCount;
  if (fieldCount > kMaxDbaseFields) return DbaseHeaderResult::kTooManyFields;
  if (t->headerLength > b.size() || t->headerLength < 32 + 32 * fieldCount) {
    return DbaseHeaderResult::kUnreadable;
  }
  uint32_t offset = 0;
  for (size_t i = 0; i < fieldCount; ++i) {
    const std::string_view d = b.substr(32 + 32 * i, 32);
    DbaseField f;
    const std::string_view rawName = d.substr(0, 11);
    f.name = DecodeDbaseText(rawName.substr(0, rawName.find('\0')), t->page);
    f.type = char(std::toupper(static_cast<unsigned char>(d[11])));
    f.length = uint8_t(d[16]);
    f.decimals = uint8_t(d[17]);
    // Character fields of other programs keep the high byte of a longer length in the decimals.
    if (f.type == 'C' && f.decimals > 0 && t->version != 0x03 && t->version != 0x83 &&
        t->version != 0x8B) {
      f.length |= uint32_t(f.decimals) << 8;
      f.decimals = 0;
    }
    if (f.length == 0) return DbaseHeaderResult::kUnreadable;
    f.offset = offset;
    offset += f.length;
    t->fields.push_back(std::move(f));
  }
  if (t->recordLength < 1 + size_t(offset)) return DbaseHeaderResult::kUnreadable;
  return DbaseHeaderResult::kOk;
}

// A field's text: up to its length or the first zero byte, trailing blanks removed.
std::string_view FieldBytes(std::string_view record, const DbaseField& f) {
  std::string_view s = record.substr(1 + f.offset, f.length);
  s = s.substr(0, s.find('\0'));
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A dBase number: digits with "." as the decimal point, an optional sign and exponent; a lone
// "." is 0. False for anything else.
bool ReadDbaseNumber(std::string_view s, double* value) {
  s = Trimmed(s);
  if (s == ".") {
    *value = 0;
    return true;
  }
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '-' ||
                     s.front() == '.')) {
    return false;
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// YYYYMMDD as a day number.
bool ReadDbaseDate(std::string_view s, double* dayNumber) {
  if (s.size() != 8) return false;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  const int year = std::stoi(std::string(s.substr(0, 4)));
  const int month = std::stoi(std::string(s.substr(4, 2)));
  const int day = std::stoi(std::string(s.substr(6, 2)));
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  int64_t n = 0;
  if (!DayNumberFromDate(year, month, day, &n)) return false;
  *dayNumber = double(n);
  return true;
}

// The memo text of block `block` of a .dbt file: dBase IV (table version 0x8B) blocks carry an
// 8-byte header whose length word counts those 8 bytes; dBase III blocks are 512 bytes and the
// text runs to 0x1A. Line breaks become one blank; trailing blanks are removed.
std::string MemoText(std::string_view memo, uint8_t version, uint32_t block) {
  if (block == 0 || memo.size() < 32) return {};
  std::string_view text;
  if (version == 0x8B) {
    size_t blockSize = Word(memo, 20);
    if (blockSize == 0) blockSize = 512;
    const uint64_t at = uint64_t(block) * blockSize;
    if (at + 8 > memo.size()) return {};
    const uint32_t length = Long(memo, size_t(at) + 4);
    if (length < 8) return {};
    text = memo.substr(size_t(at) + 8, std::min<uint64_t>(length - 8, memo.size() - at - 8));
  } else {
    const uint64_t at = uint64_t(block) * 512;
    if (at >= memo.size()) return {};
    text = memo.substr(size_t(at));
    text = text.substr(0, text.find('\x1A'));
  }
  text = text.substr(0, text.find('\0'));
  std::string out;
  out.reserve(std::min<size_t>(text.size(), 4096));
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += ' ';
    } else if (c == char(0x8D) && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;  // a soft line break
      out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

uint8_t FieldFormat(const DbaseField& f) {
  switch (f.type) {
    case 'C':
    case 'L':
    case 'M': return kFormatText;
    case 'D': return DayFirstDates() ? kFormatD5 : kFormatD4;
    case 'N':
    case 'F': return uint8_t(kFormatFixed | std::min<uint8_t>(f.decimals, 15));
    default: return kFormatDefault;
  }
}

// Stores a number exactly: entry makes the cell a number (undo note, protection, links), then
// the value itself is put in.
EntryResult EnterNumber(double value, uint32_t row, uint32_t column) {
  const EntryResult result = EnterCell("0", row, column);
  if (result == EntryResult::kStored) {
    if (const CellHandle h = GetCell(row, column)) StoreNumber(CellAt(h), value);
  }
  return result;
}

// Enters one field of a record; false when the import must stop.
bool EnterField(const DbaseTable& t, const DbaseField& f, std::string_view raw,
                std::string_view memo, uint32_t row, uint32_t column) {
  EntryResult result = EntryResult::kStored;
  const CellHandle before = GetCell(row, column);
  double number = 0;
  switch (f.type) {
    case 'N':
    case 'F': {
      const std::string_view s = Trimmed(raw);
      if (s.empty()) return true;
      result = ReadDbaseNumber(s, &number)
                   ? EnterNumber(number, row, column)
                   : EnterCell("'" + DecodeDbaseText(s, t.page), row, column);
      break;
    }
    case 'D': {
      const std::string_view s = Trimmed(raw);
      if (s.empty()) return true;
      result = ReadDbaseDate(s, &number) ? EnterNumber(number, row, column)
                                         : EnterCell("'" + DecodeDbaseText(s, t.page), row, column);
      break;
    }
    case 'M': {
      uint32_t block = 0;
      const std::string_view s = Trimmed(raw);
      // Block numbers are decimal digits; other programs store a 32-bit binary number.
      if (!s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(uint8_t(c)); })) {
        std::from_chars(s.data(), s.data() + s.size(), block);
      } else if (f.length == 4 && raw.size() == 4) {
        block = Long(raw, 0);
      }
      const std::string text = MemoText(memo, t.version, block);
      if (text.empty()) return true;
      result = EnterCell("'" + DecodeDbaseText(text, t.page), row, column);
      break;
    }
    default:
      if (raw.empty()) return true;
      result = EnterCell("'" + DecodeDbaseText(raw, t.page), row, column);
      break;
  }
  if (result == EntryResult::kProtected || result == EntryResult::kNoMemory) return false;
  if (!before) {
    if (const CellHandle h = GetCell(row, column)) {
      CellAt(h)->format = FieldFormat(f);
    }
  }
  return true;
}

bool UnableToRead() {
  ShowError("Unable to Read");
  RaiseError();
  return false;
}

std::string ChangeExtension(const std::string& path, const char* extension) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const std::string stem =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
  return stem + extension;
}

// --- dBase export ------------------------------------------------------------------------------

struct ExportField {
  std::string name;  // at most 10 characters
  char type = 'C';
  uint8_t decimals = 0;
  size_t length = 1;
  std::vector<std::string> texts;  // one per record, before padding
  std::vector<bool> numbers;       // whether the text is a number (right-aligned)
};

bool IsDateFormat(uint8_t format) {
  format &= kFormatCodeMask;
  return format == kFormatD1 || format == kFormatD2 || format == kFormatD3 || format == kFormatD4 ||
         format == kFormatD5;
}

std::string DateDigits(double dayNumber) { return FormatDate(12, dayNumber); }

// A number in plain notation with `decimals` digits and "." as the decimal point.
std::string FixedText(double value, int decimals) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// The general text of a number with "." as the decimal point whatever the settings say.
std::string GeneralText(double value) {
  std::string text = FormatGeneral(value);
  const char point = NumberFormatSettings().decimalSeparator;
  if (point != '.') std::replace(text.begin(), text.end(), point, '.');
  return text;
}

std::string LabelText(const CellRecord* c) {
  std::string text = KindIsLabel(c->kind) ? PoolText(c->text) : PoolText(CellStringResult(c));
  if (KindIsLabel(c->kind) && !text.empty()) text.erase(0, 1);
  return text;
}

void PutWord(std::string& out, size_t at, uint32_t value) {
  out[at] = char(value & 0xFF);
  out[at + 1] = char((value >> 8) & 0xFF);
}

}  // namespace

// --- text -----------------------------------------------------------------------------------------

bool ImportTextBytes(std::string_view bytes, uint32_t row, uint32_t column, TextImportMode mode) {
  if (mode == TextImportMode::kFileNames) return false;
  MemoryLines lines(bytes);
  return ImportLines(lines, row, column, mode);
}

bool ImportText(std::string_view fileName, uint32_t row, uint32_t column, TextImportMode mode) {
  if (mode == TextImportMode::kFileNames) return ImportFileNames(fileName, row, column);
  std::FILE* file = std::fopen(std::string(fileName).c_str(), "rb");
  if (!file) {
    FileNotFound(fileName);
    return false;
  }
  TextLineReader lines(file, kMaxLineBytes);
  const bool ok = ImportLines(lines, row, column, mode);
  const bool failed = lines.Failed();
  std::fclose(file);
  if (ok && failed) return UnableToRead();
  return ok;
}

std::string CellExportText(uint32_t row, uint32_t column) {
  const CellHandle h = GetCell(row, column);
  if (!h) return {};
  const CellRecord* c = CellAt(h);
  if (c->kind & kKindErrorMark) return "ERR";
  if (KindHasString(c->kind)) return SquashBlanks(LabelText(c));
  if (KindIsNumeric(c->kind)) return SquashBlanks(GeneralText(CellNumber(c)));
  if (KindIs(c->kind, CellKind::kBlank)) return {};
  return "ERR";
}

std::string TextExportBytes(const CellRange& range, TextExportMode mode) {
  std::string out;
  for (uint32_t row = range.firstRow; row <= range.lastRow; ++row) {
    std::string line;
    for (uint32_t column = range.firstColumn; column <= range.lastColumn; ++column) {
      if (column > range.firstColumn) line += ',';
      const std::string text = CellExportText(row, column);
      const bool quote = mode == TextExportMode::kQuoted ||
                         text.find_first_of(",\"") != std::string::npos;
      line += quote ? QuotedField(text) : text;
    }
    out += EncodeTextLine(line);
    out += '\n';
  }
  return out;
}

bool ExportText(std::string_view fileName, const CellRange& range, TextExportMode mode) {
  if (!WriteFileAtomically(std::string(fileName), TextExportBytes(range, mode))) {
    ShowError("Write Error");
    RaiseError();
    return false;
  }
  return true;
}

// --- dBase ----------------------------------------------------------------------------------------

bool ImportDbaseBytes(std::string_view b, std::string_view memo, uint32_t row, uint32_t column,
                      DbaseSelection selection) {
  DbaseTable t;
  switch (ReadDbaseHeader(b, &t)) {
    case DbaseHeaderResult::kOk: break;
    case DbaseHeaderResult::kUnreadable: return UnableToRead();
    case DbaseHeaderResult::kTooManyFields:
      ShowError("Field count Exceeds 256");
      RaiseError();
      return false;
  }
  // Field names in the first row; the column widths follow the field lengths.
  SheetLayout& layout = CurrentLayout();
  for (size_t i = 0; i < t.fields.size(); ++i) {
    const uint32_t col = column + uint32_t(i);
    if (col > kLastColumn) break;
    const DbaseField& f = t.fields[i];
    if (EnterCell("'" + f.name, row, col) != EntryResult::kStored) {
      RaiseError();
      return false;
    }
    if (const CellHandle h = GetCell(row, col)) {
      NoteCellChange(h);
      CellAt(h)->format = uint8_t(kFormatProtected | FieldFormat(f));
    }
    NoteColumnWidth(col);
    const uint32_t chars = f.type == 'D' ? 10 : std::min<uint32_t>(f.length, 240);
    layout.columnWidth[col] = uint16_t(chars * 8);
  }
  const size_t available = (b.size() - t.headerLength) / t.recordLength;
  const uint32_t limit = selection.count == 0 ? kMaxDbaseRecords
                                              : std::min(selection.count, kMaxDbaseRecords);
  const size_t stated = t.records;
  uint32_t taken = 0;
  uint32_t targetRow = row;
  for (size_t r = selection.start; r < stated && taken < limit; ++r) {
    if (r >= available) return UnableToRead();
    const std::string_view record = b.substr(t.headerLength + r * t.recordLength, t.recordLength);
    if (record[0] == '*') continue;
    ++taken;
    if (taken % 128 == 0) {
      ThePlatform().Progress(int(uint64_t(taken) * 100 / std::min<size_t>(limit, stated)));
      if (!EnoughMemory()) {
        RaiseError();
        return false;
      }
    }
    if (++targetRow > kLastRow) break;
    for (size_t i = 0; i < t.fields.size() && column + i <= kLastColumn; ++i) {
      const DbaseField& f = t.fields[i];
      if (!EnterField(t, f, FieldBytes(record, f), memo, targetRow, column + uint32_t(i))) {
        RaiseError();
        return false;
      }
    }
  }
  return true;
}

bool ImportDbase(std::string_view fileName, uint32_t row, uint32_t column, DbaseSelection selection) {
  const std::string path(fileName);
  std::string table;
  if (!ReadWholeFile(path, &table)) {
    FileNotFound(fileName);
    return false;
  }
  std::string memo;
  bool hasMemo = false;
  DbaseTable header;
  if (ReadDbaseHeader(table, &header) == DbaseHeaderResult::kOk) {
    for (const DbaseField& f : header.fields) hasMemo = hasMemo || f.type == 'M';
  }
  if (hasMemo && !ReadWholeFile(ChangeExtension(path, ".dbt"), &memo)) {
    ReadWholeFile(ChangeExtension(path, ".DBT"), &memo);
  }
  const bool ok = ImportDbaseBytes(table, memo, row, column, selection);
  ThePlatform().Progress(-1);
  return ok;
}

std::string DbaseExportBytes(const CellRange& range) {
  std::vector<ExportField> fields;
  const uint32_t records = range.lastRow - range.firstRow;
  const SheetLayout& layout = CurrentLayout();
  for (uint32_t column = range.firstColumn; column <= range.lastColumn; ++column) {
    ExportField f;
    f.length = std::max<size_t>(1, layout.columnWidth[column] / 8);
    if (const CellHandle h = GetCell(range.firstRow, column)) {
      const CellRecord* c = CellAt(h);
      const uint8_t format = c->format & kFormatCodeMask;
      f.name = KindHasString(c->kind) ? LabelText(c)
               : KindIsNumeric(c->kind) ? GeneralText(CellNumber(c))
                                        : std::string();
      if (format < 0x10) {
        f.type = 'N';
        f.decimals = format & kFormatDigitsMask;
      } else if (IsDateFormat(format)) {
        f.type = 'D';
      }
    }
    f.name = f.name.substr(0, 10);
    for (uint32_t row = range.firstRow + 1; row <= range.lastRow; ++row) {
      std::string text;
      bool number = false;
      if (const CellHandle h = GetCell(row, column)) {
        const CellRecord* c = CellAt(h);
        if (c->kind & kKindErrorMark) {
          // An error has no value to store: the field stays empty.
        } else if (KindIsNumeric(c->kind)) {
          const double value = CellNumber(c);
          if (!std::isfinite(value)) {
          } else if (f.type == 'D' || IsDateFormat(c->format)) {
            text = DateDigits(value);
          } else if (f.type == 'N') {
            text = FixedText(value, f.decimals);
            number = true;
          } else {
            text = GeneralText(value);
          }
        } else if (KindHasString(c->kind)) {
          text = LabelText(c);
        }
      }
      f.texts.push_back(std::move(text));
      f.numbers.push_back(number);
    }
    if (f.type == 'D') {
      f.length = 8;
    } else {
      const size_t cap = f.type == 'N' ? 20 : 254;
      for (const std::string& text : f.texts) f.length = std::max(f.length, text.size());
      f.length = std::min(f.length, cap);
    }
    fields.push_back(std::move(f));
  }
  size_t recordLength = 1;
  for (const ExportField& f : fields) recordLength += f.length;
  const size_t headerLength = 32 * fields.size() + 33;
  std::string out(headerLength, '\0');
  const std::tm now = ThePlatform().LocalTime();
  out[0] = 0x03;
  out[1] = char(std::clamp(now.tm_year, 0, 255));
  out[2] = char(now.tm_mon + 1);
  out[3] = char(now.tm_mday);
  PutWord(out, 4, records & 0xFFFF);
  PutWord(out, 6, records >> 16);
  PutWord(out, 8, uint32_t(headerLength));
  PutWord(out, 10, uint32_t(recordLength));
  out[29] = 0x57;
  for (size_t i = 0; i < fields.size(); ++i) {
    const ExportField& f = fields[i];
    const size_t at = 32 + 32 * i;
    std::memcpy(out.data() + at, f.name.data(), f.name.size());
    out[at + 11] = f.type;
    out[at + 16] = char(f.length);
    out[at + 17] = char(f.decimals);
  }
  out[headerLength - 1] = 0x0D;
  out.reserve(headerLength + records * recordLength);
  for (uint32_t r = 0; r < records; ++r) {
    out += ' ';
    for (const ExportField& f : fields) {
      const std::string& text = f.texts[r];
      if (text.size() > f.length) {
        out.append(f.numbers[r] ? std::string(f.length, '*') : text.substr(0, f.length));
      } else if (f.numbers[r]) {
        out.append(f.length - text.size(), ' ');
        out += text;
      } else {
        out += text;
        out.append(f.length - text.size(), ' ');
      }
    }
  }
  return out;
}

bool ExportDbase(std::string_view fileName, const CellRange& range) {
  if (!WriteFileAtomically(std::string(fileName), DbaseExportBytes(range))) {
    ShowError("Write Error");
    RaiseError();
    return false;
  }
  return true;
}
