// tests/files/transfer_test.cpp — text and dBase import and export, the text codec.
#include "files/transfer.h"

#include <sys/stat.h>

#include <cmath>

#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "files/atomic_file.h"
#include "files/text_codec.h"
#include "files_fixture.h"

namespace {

class TransferTest : public FilesTest {
 protected:
  // What the entry line shows for a cell ("" for none).
  static std::string At(uint32_t row, uint32_t column) {
    return GetCell(row, column) ? EditText(row, column).text : std::string();
  }
  static std::string Read(const std::string& path) {
    const std::vector<uint8_t> b = ReadBytes(path);
    return std::string(b.begin(), b.end());
  }
  static void EraseAll() {
    ClearAllCells();
    Messages().clear();
  }
  static void Write(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  }
};

// A dBase table built field by field.
struct DbaseBuilder {
  struct Field {
    std::string name;
    char type;
    uint8_t length;
    uint8_t decimals;
  };
  uint8_t version = 0x03;
  uint8_t language = 0;
  std::vector<Field> fields;
  std::vector<std::string> records;  // each with its deletion flag

  DbaseBuilder& F(const std::string& name, char type, uint8_t length, uint8_t decimals = 0) {
    fields.push_back({name, type, length, decimals});
    return *this;
  }
  // A live record ('*' in front of `values[0]` marks it deleted).
  DbaseBuilder& R(std::vector<std::string> values, bool deleted = false) {
    std::string r(1, deleted ? '*' : ' ');
    for (size_t i = 0; i < fields.size(); ++i) {
      std::string v = i < values.size() ? values[i] : "";
      v.resize(fields[i].length, ' ');
      r += v;
    }
    records.push_back(r);
    return *this;
  }
  std::string Bytes() const {
    size_t recordLength = 1;
    for (const Field& f : fields) recordLength += f.length;
    const size_t header = 32 * fields.size() + 33;
    std::string out(header, '\0');
    out[0] = char(version);
    out[4] = char(records.size() & 0xFF);
    out[5] = char(records.size() >> 8);
    out[8] = char(header & 0xFF);
    out[9] = char(header >> 8);
    out[10] = char(recordLength & 0xFF);
    out[11] = char(recordLength >> 8);
    out[29] = char(language);
    for (size_t i = 0; i < fields.size(); ++i) {
      std::memcpy(&out[32 + 32 * i], fields[i].name.data(), std::min<size_t>(fields[i].name.size(), 11));
      out[32 + 32 * i + 11] = fields[i].type;
      out[32 + 32 * i + 16] = char(fields[i].length);
      out[32 + 32 * i + 17] = char(fields[i].decimals);
    }
    out[header - 1] = 0x0D;
    for (const std::string& r : records) out += r;
    return out;
  }
};

TEST(TextCodecTest, LinesAreUtf8WhenValidElseWindows1252) {
  struct Case {
    int line;
    std::string bytes;
    std::string engine;
  };
  const Case kCases[] = {
      {__LINE__, "plain", "plain"},
      {__LINE__, "caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80"},       // é and € from UTF-8
      {__LINE__, "\xEF\xBB\xBFhead", "head"},                        // BOM dropped
      {__LINE__, "caf\xE9 \x80", "caf\xE9 \x80"},                    // not UTF-8: 1252 as it is
      {__LINE__, "\xC4\x81 x", "? x"},                               // ā has no 1252 byte
      {__LINE__, "\xE4\xB8\xAD", "?"},                               // CJK in valid UTF-8
      {__LINE__, "\xC0\xAF", "\xC0\xAF"},                            // overlong: not UTF-8
  };
  for (const Case& c : kCases) EXPECT_EQ(DecodeTextLine(c.bytes), c.engine) << c.line;
  EXPECT_EQ(EncodeTextLine("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(TextCodecTest, DbaseTextsFollowTheLanguageByte) {
  EXPECT_EQ(DbaseCodePageOf(0x01), DbaseCodePage::kCp437);
  EXPECT_EQ(DbaseCodePageOf(0x02), DbaseCodePage::kCp850);
  EXPECT_EQ(DbaseCodePageOf(0x57), DbaseCodePage::kCp1252);
  EXPECT_EQ(DbaseCodePageOf(0x4D), DbaseCodePage::kUnknown);
  EXPECT_EQ(DecodeDbaseText("\x82t\x81", DbaseCodePage::kCp437), "\xE9t\xFC");
  EXPECT_EQ(DecodeDbaseText("\x9B", DbaseCodePage::kCp850), "\xF8");
  EXPECT_EQ(DecodeDbaseText("\x9B", DbaseCodePage::kCp437), "\xA2");
  EXPECT_EQ(DecodeDbaseText("caf\xC3\xA9", DbaseCodePage::kUnknown), "caf\xE9");
  EXPECT_EQ(DecodeDbaseText("\xD6\xD0", DbaseCodePage::kUnknown), "\xD6\xD0");  // GB2312 bytes
}

TEST_F(TransferTest, ValuesImportSplitsEachLineAcrossTheRow) {
  struct Case {
    int line;
    const char* text;
    std::vector<std::string> cells;  // A1, B1, ...
  };
  const Case kCases[] = {
      {__LINE__, "1,2,3", {"1", "2", "3"}},
      {__LINE__, "'a,b' c", {"'a,b", "'c"}},
      {__LINE__, "x,,y", {"'x", "", "'y"}},
      {__LINE__, "New York,\"New York\"", {"'New", "'York", "'New York"}},
      {__LINE__, "\"42\"", {"42"}},
      {__LINE__, "(1,-,3", {"'(1", "'-", "3"}},          // pieces that do not compile
      {__LINE__, "\"say \"\"hi\"\"\",2", {"'say \"hi\"", "2"}},
      {__LINE__, "\"open, end", {"\"open, end"}},       // an unclosed quote ends at the line's end
      {__LINE__, "1,2,\r", {"1", "2", ""}},
  };
  for (const Case& c : kCases) {
    EraseAll();
    ASSERT_TRUE(ImportTextBytes(c.text, 0, 0, TextImportMode::kValues)) << c.line;
    for (size_t i = 0; i < c.cells.size(); ++i) EXPECT_EQ(At(0, uint32_t(i)), c.cells[i]) << c.line;
    EXPECT_EQ(At(0, uint32_t(c.cells.size())), "") << c.line;
    EXPECT_TRUE(Messages().empty()) << c.line;
  }
}

TEST_F(TransferTest, LongLinesAreSplitWhole) {
  std::string line;
  for (int i = 0; i < 100; ++i) line += std::to_string(1000 + i) + ",";
  ASSERT_TRUE(ImportTextBytes(line + "\nnext", 0, 0, TextImportMode::kValues));
  EXPECT_EQ(At(0, 99), "1099");
  EXPECT_EQ(At(1, 0), "'next");
}

TEST_F(TransferTest, TextImportKeepsLinesAsLabelsAndWrapsIntoTheNextColumn) {
  ASSERT_TRUE(ImportTextBytes("123\r\n\xC3\xA9t\xC3\xA9\nlast", 2, 1, TextImportMode::kLabels));
  EXPECT_EQ(At(2, 1), "'123");
  EXPECT_EQ(At(3, 1), "'\xE9t\xE9");
  EXPECT_EQ(At(4, 1), "'last");
  std::string many;
  for (int i = 0; i < 10000; ++i) many += std::to_string(i) + "\n";
  EraseAll();
  ASSERT_TRUE(ImportTextBytes(many, 0, 0, TextImportMode::kLabels));
  EXPECT_EQ(At(8191, 0), "'8191");
  EXPECT_EQ(At(0, 1), "'8192");
  EXPECT_EQ(At(9999 - 8192, 1), "'9999");
}

TEST_F(TransferTest, ProtectedCellStopsTheImportAndMissingFileIsNamed) {
  Options().setProtection(true);
  EXPECT_FALSE(ImportTextBytes("1\n2", 0, 0, TextImportMode::kValues));
  EXPECT_EQ(Messages().back(), "Protected Cell");
  EXPECT_EQ(At(1, 0), "");
  Options().setProtection(false);
  EXPECT_FALSE(ImportText(Path("none.prn"), 0, 0, TextImportMode::kLabels));
  EXPECT_EQ(Messages().back(), "File Not Found! \n" + Path("none.prn"));
}

TEST_F(TransferTest, FileNameImportListsMatchingNamesSorted) {
  for (const char* n : {"b.prn", "a.PRN", "c.txt"}) Write(Path(n), "x");
  ASSERT_TRUE(ImportText(Path("*.prn"), 0, 0, TextImportMode::kFileNames));
  EXPECT_EQ(At(0, 0), "'a.PRN");
  EXPECT_EQ(At(1, 0), "'b.prn");
  EXPECT_EQ(At(2, 0), "");
}

TEST_F(TransferTest, ExportWritesQuotedAndCommaText) {
  EnterCell("1234.5", 0, 0);
  GetCell(0, 0) && (CellAt(GetCell(0, 0))->format = 0x42);
  EnterCell("'a,  b ", 0, 1);
  EnterCell("'say \"hi\"", 0, 2);
  EnterCell("@ERR", 1, 0);
  EnterCell("'\x80 \xE9", 1, 2);
  const CellRange r{0, 0, 2, 1};
  EXPECT_EQ(TextExportBytes(r, TextExportMode::kQuoted),
            "\"1234.5\",\"a, b\",\"say \"\"hi\"\"\"\n\"ERR\",\"\",\"\xE2\x82\xAC \xC3\xA9\"\n");
  EXPECT_EQ(TextExportBytes(r, TextExportMode::kComma),
            "1234.5,\"a, b\",\"say \"\"hi\"\"\"\nERR,,\xE2\x82\xAC \xC3\xA9\n");
  // What is written reads back as it was.
  ASSERT_TRUE(ExportText(Path("out.prn"), r, TextExportMode::kComma));
  EraseAll();
  ASSERT_TRUE(ImportText(Path("out.prn"), 0, 0, TextImportMode::kValues));
  EXPECT_EQ(At(0, 0), "1234.5");
  EXPECT_EQ(At(0, 1), "'a, b");
  EXPECT_EQ(At(0, 2), "'say \"hi\"");
  EXPECT_EQ(At(1, 2), "'\x80");  // a blank separates values
  EXPECT_EQ(At(1, 3), "'\xE9");
}

TEST_F(TransferTest, ExportKeepsLongLabelsAndReplacesALongerFile) {
  const std::string longText(200, 'x');
  EnterCell("'" + longText, 0, 0);
  Write(Path("old.prn"), std::string(5000, 'o'));
  ASSERT_TRUE(ExportText(Path("old.prn"), CellRange{0, 0, 0, 0}, TextExportMode::kComma));
  EXPECT_EQ(Read(Path("old.prn")), longText + "\n");
}

TEST_F(TransferTest, FailedExportsKeepTheOldFileByteForByte) {
  EnterCell("'name", 0, 0);
  EnterCell("1", 1, 0);
  const std::string old = "old contents\n\x01\x02";
  for (int kind = 0; kind < 3; ++kind) {
    Write(Path("keep.out"), old);
    SetAtomicWriteFault(3);
    Messages().clear();
    const CellRange r{0, 0, 0, 1};
    const bool ok = kind == 0   ? ExportText(Path("keep.out"), r, TextExportMode::kQuoted)
                    : kind == 1 ? ExportText(Path("keep.out"), r, TextExportMode::kComma)
                                : ExportDbase(Path("keep.out"), r);
    ResetAtomicFileFault();
    EXPECT_FALSE(ok) << kind;
    EXPECT_EQ(Messages(), std::vector<std::string>{"Write Error"}) << kind;
    EXPECT_EQ(Read(Path("keep.out")), old) << kind;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << kind;
  }
}

TEST_F(TransferTest, DbaseImportEntersNamesFormatsAndRecords) {
  DbaseBuilder t;
  t.F("NAME", 'C', 12).F("AMOUNT", 'N', 8, 2).F("WHEN", 'D', 8).F("OK", 'L', 1).F("RATE", 'F', 10, 20);
  t.R({"Smith", "  123.45", "19961208", "T", "1.5E3"})
      .R({"gone", "1"}, true)
      .R({"+A1", "       .", "", "", "-"})
      .R({"", "-", "NotAYear", "", ""});
  ASSERT_TRUE(ImportDbaseBytes(t.Bytes(), "", 0, 0, {}));
  EXPECT_EQ(At(0, 0), "'NAME");
  EXPECT_EQ(CellAt(GetCell(0, 1))->format, 0x82);
  EXPECT_EQ(CellAt(GetCell(0, 2))->format, 0x80 | 0x79);
  EXPECT_EQ(CellAt(GetCell(0, 4))->format, 0x80 | 15);
  EXPECT_EQ(CurrentLayout().columnWidth[0], 12 * 8);
  EXPECT_EQ(CurrentLayout().columnWidth[2], 10 * 8);
  EXPECT_EQ(At(1, 0), "'Smith");
  EXPECT_DOUBLE_EQ(CellNumber(CellAt(GetCell(1, 1))), 123.45);
  EXPECT_EQ(CellAt(GetCell(1, 1))->format, 0x02);
  EXPECT_EQ(CellNumber(CellAt(GetCell(1, 2))), 35407);
  EXPECT_EQ(At(1, 3), "'T");
  EXPECT_EQ(CellNumber(CellAt(GetCell(1, 4))), 1500);
  // The deleted record left no row; "+A1" and "-" stay texts, "." is 0, empty fields no cell.
  EXPECT_EQ(At(2, 0), "'+A1");
  EXPECT_EQ(At(2, 1), "0");
  EXPECT_EQ(At(2, 2), "");
  EXPECT_EQ(At(2, 4), "'-");
  EXPECT_EQ(At(3, 0), "");
  EXPECT_EQ(At(3, 1), "'-");
  EXPECT_EQ(At(3, 2), "'NotAYear");
  EXPECT_EQ(At(4, 0), "");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(TransferTest, DbaseStartAndCountChooseRecords) {
  DbaseBuilder t;
  t.F("N", 'N', 3);
  for (int i = 1; i <= 6; ++i) t.R({std::to_string(i)}, i == 3);
  ASSERT_TRUE(ImportDbaseBytes(t.Bytes(), "", 0, 0, {1, 3}));  // after record 1, at most 3
  EXPECT_EQ(At(1, 0), "2");
  EXPECT_EQ(At(2, 0), "4");
  EXPECT_EQ(At(3, 0), "5");
  EXPECT_EQ(At(4, 0), "");
}

TEST_F(TransferTest, DbaseBadInputIsRefused) {
  DbaseBuilder good;
  good.F("A", 'C', 4).R({"one"}).R({"two"});
  const std::string bytes = good.Bytes();
  std::string smallRecord = bytes;
  smallRecord[10] = 4;  // record length below 1 + 4
  std::string zeroLength = bytes;
  zeroLength[32 + 16] = 0;
  std::string pastHeader = bytes;
  pastHeader[8] = char(0xFF);
  DbaseBuilder wide;
  for (int i = 0; i < 300; ++i) wide.F("F" + std::to_string(i), 'C', 1);
  struct Case {
    int line;
    std::string bytes;
    const char* message;
  };
  const Case kCases[] = {
      {__LINE__, bytes.substr(0, 20), "Unable to Read"},
      {__LINE__, smallRecord, "Unable to Read"},
      {__LINE__, zeroLength, "Unable to Read"},
      {__LINE__, pastHeader, "Unable to Read"},
      {__LINE__, wide.Bytes(), "Field count Exceeds 256"},
  };
  for (const Case& c : kCases) {
    EraseAll();
    Messages().clear();
    EXPECT_FALSE(ImportDbaseBytes(c.bytes, "", 0, 0, {})) << c.line;
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.line;
    EXPECT_EQ(FindCellAtOrAfter(0, 0), 0u) << c.line;
  }
  // Cut short: the complete records stay.
  Messages().clear();
  EXPECT_FALSE(ImportDbaseBytes(bytes.substr(0, bytes.size() - 2), "", 0, 0, {}));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to Read"});
  EXPECT_EQ(At(1, 0), "'one");
  EXPECT_EQ(At(2, 0), "");
  // A trailing end-of-file byte is fine.
  EraseAll();
  EXPECT_TRUE(ImportDbaseBytes(bytes + "\x1A", "", 0, 0, {}));
  EXPECT_EQ(At(2, 0), "'two");
}

TEST_F(TransferTest, DbaseMemosComeFromTheMemoFile) {
  DbaseBuilder t;
  t.F("M", 'M', 10).R({"         1"}).R({"         2"}).R({""});
  std::string dbase3(512 * 3, '\0');
  const std::string first = "line one\r\nline two  \x1A\x1A";
  dbase3.replace(512, first.size(), first);
  dbase3.replace(1024, 5, "\xC3\xA9t\xC3\xA9");  // runs to the end of the file
  dbase3.resize(1029);
  ASSERT_TRUE(ImportDbaseBytes(t.Bytes(), dbase3, 0, 0, {}));
  EXPECT_EQ(At(1, 0), "'line one line two");
  EXPECT_EQ(At(2, 0), "'\xE9t\xE9");
  EXPECT_EQ(At(3, 0), "");

  t.version = 0x8B;
  std::string dbase4(64 * 3, '\0');
  dbase4[20] = 64;  // block size
  const std::string block = std::string("\xFF\xFF\x08\x00", 4) + std::string("\x0E\0\0\0", 4) + "memo\n4x";
  dbase4.replace(64, block.size(), block);
  dbase4.replace(128, 8, std::string("\xFF\xFF\x08\x00\xF0\0\0\0", 8));  // length past the end
  EraseAll();
  ASSERT_TRUE(ImportDbaseBytes(t.Bytes(), dbase4, 0, 0, {}));
  EXPECT_EQ(At(1, 0), "'memo 4");
  EXPECT_EQ(At(2, 0), "");
  // Without a memo file the fields stay empty.
  EraseAll();
  ASSERT_TRUE(ImportDbaseBytes(t.Bytes(), "", 0, 0, {}));
  EXPECT_EQ(At(1, 0), "");
}

TEST_F(TransferTest, DbaseExportWidensFieldsAndReadsBack) {
  EnterCell("'NUMBERLONGNAME", 0, 0);
  CellAt(GetCell(0, 0))->format = 0x01;  // N with one decimal
  EnterCell("'TEXT", 0, 1);
  EnterCell("'DAY", 0, 2);
  CellAt(GetCell(0, 2))->format = 0x79;
  EnterCell("'BIG", 0, 3);
  CellAt(GetCell(0, 3))->format = 0x00;
  EnterCell("123456", 1, 0);
  EnterCell("'caf\xE9", 1, 1);
  EnterCell("35407", 1, 2);
  EnterCell("1e25", 1, 3);
  EnterCell("2.26", 2, 0);
  EnterCell("42.5", 2, 1);  // a number in a character field: its general text
  CurrentLayout().columnWidth[0] = 8;  // one character wide
  CurrentLayout().columnWidth[1] = 9 * 8;
  const std::string b = DbaseExportBytes(CellRange{0, 0, 3, 2});
  ASSERT_GE(b.size(), 32u * 5 + 1);
  EXPECT_EQ(uint8_t(b[29]), 0x57);
  EXPECT_EQ(std::string(&b[32], 11), std::string("NUMBERLONG\0", 11));
  EXPECT_EQ(b[32 + 11], 'N');
  EXPECT_EQ(b[32 + 16], 8);  // "123456.0"
  EXPECT_EQ(b[64 + 11], 'C');
  EXPECT_EQ(b[96 + 11], 'D');
  EXPECT_EQ(b[96 + 16], 8);
  EXPECT_EQ(b[128 + 16], 20);
  const size_t header = 32 * 4 + 33;
  const size_t recordLength = 1 + 8 + 9 + 8 + 20;
  ASSERT_EQ(b.size(), header + 2 * recordLength);
  EXPECT_EQ(b.substr(header, recordLength),
            " 123456.0caf\xE9     19961208" + std::string(20, '*'));
  EXPECT_EQ(b.substr(header + recordLength, 18), "      2.342.5     ");

  Write(Path("t.dbf"), b);
  EraseAll();
  ASSERT_TRUE(ImportDbase(Path("t.dbf"), 0, 0, {}));
  EXPECT_EQ(At(0, 0), "'NUMBERLONG");
  EXPECT_EQ(CellNumber(CellAt(GetCell(1, 0))), 123456);
  EXPECT_EQ(At(1, 1), "'caf\xE9");
  EXPECT_EQ(CellNumber(CellAt(GetCell(1, 2))), 35407);
  EXPECT_EQ(At(1, 3), "'" + std::string(20, '*'));
  EXPECT_EQ(At(2, 1), "'42.5");
}

}  // namespace
