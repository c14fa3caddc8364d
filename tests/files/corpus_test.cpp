// tests/files/corpus_test.cpp — worksheet files written by other programs load as they were written.
//
// The expected contents come from a small decoder written here from the record layouts alone, so
// that a fault shared by the reader and its test cannot hide.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "core/sheet_layout.h"
#include "files/files_fixture.h"
#include "formula/evaluator.h"
#include "formula/cell_code.h"
#include "formula/functions_math.h"
#include "formula/recalc.h"
#include "formula/functions_sheet.h"

namespace {

const std::string kCorpus = std::string(TALLIVO_TEST_DATA_DIR) + "/data/corpus/wk1/";

struct Expected {
  char kind = 0;  // 'b' blank, 'i' integer, 'n' number, 'l' label, 'f' formula, 's' string formula
  double number = 0;
  std::string text;
};

struct Decoded {
  std::map<std::pair<int, int>, Expected> cells;  // (row, column)
  int names = 0;
  std::map<int, int> columnChars;
};

uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }

double F64(const std::vector<uint8_t>& d, size_t at) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | d[at + size_t(i)];
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::string Text(const std::vector<uint8_t>& d, size_t from, size_t to) {
  std::string s;
  for (size_t i = from; i < to && d[i] != 0; ++i) s += char(d[i]);
  return s;
}

// Values whose exponent is outside 2..2038 or 894 (infinities, which other programs write for
// ERR, NaNs, denormals) are read as 0; cell texts are held to 240 characters.
double Checked(double v) {
  int exponent = 0;
  if (v == 0 || !std::isfinite(v)) return 0;
  std::frexp(v, &exponent);
  const int biased = exponent + 1022;
  return biased >= 2 && biased <= 2038 && biased != 894 ? v : 0;
}

Decoded Decode(const std::vector<uint8_t>& d) {
  Decoded out;
  size_t p = 0;
  std::pair<int, int> lastFormula{-1, -1};
  while (p + 4 <= d.size()) {
    const uint16_t type = U16(d, p);
    const size_t length = U16(d, p + 2);
    const size_t body = p + 4;
    p = body + length;
    if (type == 1 || p > d.size()) break;
    const uint8_t low = uint8_t(type);
    if (type == 0x0B) {
      ++out.names;
      continue;
    }
    if (type == 0x08) {
      out.columnChars[U16(d, body)] = d[body + 2];
      continue;
    }
    if (!((low >= 0x0C && low <= 0x10) || low == 0x33)) continue;
    const std::pair<int, int> at{U16(d, body + 3), U16(d, body + 1)};
    Expected e;
    switch (low) {
      case 0x0C: e.kind = 'b'; break;
      case 0x0D: e.kind = 'i'; e.number = int16_t(U16(d, body + 5)); break;
      case 0x0E: e.kind = 'n'; e.number = Checked(F64(d, body + 5)); break;
      case 0x0F: e.kind = 'l'; e.text = Text(d, body + 5, p).substr(0, 240); break;
      case 0x10: e.kind = 'f'; e.number = Checked(F64(d, body + 5)); lastFormula = at; break;
      case 0x33:
        if (at == lastFormula) {
          out.cells[at].kind = 's';
          out.cells[at].text = Text(d, body + 5, p);
        }
        continue;
    }
    out.cells[at] = e;
  }
  return out;
}

class CorpusTest : public FilesTest {};

TEST_F(CorpusTest, EveryValueLoadsAsTheOtherProgramWroteIt) {
  const char* kFiles[] = {"KSBASE.WK1", "PEYNEVAL.WK1", "PF.WK1",     "PFVALUES.WK1",
                          "QPTEST.WKS", "SPATSYM.WK1",  "VAQUEEN.WK1"};
  for (const char* name : kFiles) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> bytes = ReadBytes(kCorpus + name);
    ASSERT_FALSE(bytes.empty()) << "missing " << kCorpus + name;
    const Decoded expected = Decode(bytes);
    ASSERT_FALSE(expected.cells.empty());
    NewSheet(name);
    ASSERT_TRUE(LoadWorksheetAsStored(kCorpus + name));  // the values as the file carries them
    EXPECT_TRUE(Messages().empty()) << Messages().front();
    size_t occupied = 0;
    for (int row = 0; row < kRowCount; ++row) {
      for (CellHandle h = RowHead(row); h; h = CellAt(h)->next) {
        // Linking a formula's range makes blank cells to hold its dependents: not from the file.
        const CellRecord* c = CellAt(h);
        const bool madeByLinking = c->kind == uint8_t(CellKind::kBlank) && c->dependents &&
                                   std::memcmp(&c->font, &BlankCellTemplate().font, 9) == 0;
        if (!madeByLinking) ++occupied;
      }
    }
    EXPECT_EQ(occupied, expected.cells.size());
    int mismatches = 0;
    for (const auto& [at, e] : expected.cells) {
      const CellHandle h = GetCell(uint32_t(at.first), uint32_t(at.second));
      const CellRecord* c = h ? CellAt(h) : nullptr;
      const uint8_t kind = c ? (c->kind & kKindMask) : 255;
      bool same = c != nullptr;
      if (same) {
        switch (e.kind) {
          case 'b': same = kind == uint8_t(CellKind::kBlank); break;
          case 'i': same = kind == uint8_t(CellKind::kInteger) && CellInteger(c) == e.number; break;
          case 'n': same = kind == uint8_t(CellKind::kNumber) && CellDouble(c) == e.number; break;
          case 'l': same = kind == uint8_t(CellKind::kLabel) && PoolText(c->text) == e.text; break;
          case 'f': same = kind == uint8_t(CellKind::kFormula) && CellDouble(c) == e.number; break;
          case 's':
            same = kind == uint8_t(CellKind::kStringFormula) && PoolText(CellStringResult(c)) == e.text;
            break;
        }
      }
      if (!same && ++mismatches <= 5) {
        ADD_FAILURE() << "cell row " << at.first << " column " << at.second << " kind " << e.kind;
      }
    }
    EXPECT_EQ(NameCount(), expected.names);
    for (const auto& [column, chars] : expected.columnChars) {
      EXPECT_EQ(CurrentLayout().columnWidth[size_t(column)], chars * 8) << "column " << column;
    }
  }
}

TEST_F(CorpusTest, LeftwardReferencesOfOtherProgramsPointAtTheirCells) {
  struct Case {
    int line;
    const char* file;
    uint16_t row;
    uint16_t column;
    const char* code;
  };
  const Case kCases[] = {
      // C2 = +A2*B2, written with column words 0x80FE and 0x80FF.
      {__LINE__, "QPTEST.WKS", 1, 2, "CellRef A2, CellRef B2, Multiply, End"},
      {__LINE__, "QPTEST.WKS", 10, 2, "CellRef A11, CellRef B11, Multiply, End"},
      // Column words in the 14-bit form (0xBFF5) read the same.
      {__LINE__, "KSBASE.WK1", 2, 13,
       "CellRef C3, CellRef C4, Equal, CellRef D3, CellRef D4, Equal, And, End"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    NewSheet(std::string(c.file) + std::to_string(c.line));
    ASSERT_TRUE(LoadWorksheet(kCorpus + c.file));
    EXPECT_TRUE(Messages().empty());
    const CellHandle h = GetCell(c.row, c.column);
    ASSERT_NE(h, 0u);
    const uint8_t* code = PoolPtr(CellAt(h)->text);
    EXPECT_EQ(CellAt(h)->kind & kKindFileForm, 0);
    EXPECT_EQ(DumpCode(code, CodeBufferSize(code), CodeForm::kCell).rfind(c.code, 0), 0u)
        << DumpCode(code, CodeBufferSize(code), CodeForm::kCell);
  }
}

TEST_F(CorpusTest, ReSavedFilesKeepEveryValue) {
  for (const char* name : {"KSBASE.WK1", "PEYNEVAL.WK1", "QPTEST.WKS", "VAQUEEN.WK1"}) {
    SCOPED_TRACE(name);
    const Decoded expected = Decode(ReadBytes(kCorpus + name));
    NewSheet(name);
    ASSERT_TRUE(LoadWorksheet(kCorpus + name));
    const std::string copy = Path(std::string("copy-") + name);
    ASSERT_TRUE(SaveWorksheet(copy));
    const Decoded again = Decode(ReadBytes(copy));
    // Formulas may have created empty cells they refer to; every written cell is still there.
    for (const auto& [at, e] : expected.cells) {
      ASSERT_TRUE(again.cells.count(at)) << at.first << "," << at.second;
      const Expected& a = again.cells.at(at);
      EXPECT_EQ(a.kind, e.kind);
      EXPECT_EQ(a.number, e.number);
      EXPECT_EQ(a.text, e.text);
    }
    EXPECT_EQ(again.names, expected.names + 1) << "the reserved name is added";
  }
}

}  // namespace

namespace {

class CorpusRecalculationTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    RegisterMathFunctions();
    RegisterSheetFunctions();
  }
};

TEST_F(CorpusRecalculationTest, FormulasRecalculateToTheirStoredValues) {
  for (const char* name : {"KSBASE.WK1", "PEYNEVAL.WK1", "PF.WK1", "PFVALUES.WK1", "QPTEST.WKS",
                           "SPATSYM.WK1", "VAQUEEN.WK1"}) {
    SCOPED_TRACE(name);
    const Decoded stored = Decode(ReadBytes(kCorpus + name));
    NewSheet(name);
    ASSERT_TRUE(LoadWorksheet(kCorpus + name));  // converts, links and recalculates
    EXPECT_TRUE(Messages().empty());
    // Forget the stored values, so that only the recalculation can bring them back.
    for (const auto& [at, e] : stored.cells) {
      if (e.kind == 'f') SetCellDouble(CellAt(GetCell(uint32_t(at.first), uint32_t(at.second))), -12345);
    }
    RecalculateAll();
    int formulas = 0;
    int mismatches = 0;
    for (const auto& [at, e] : stored.cells) {
      if (e.kind != 'f') continue;
      ++formulas;
      const CellRecord* c = CellAt(GetCell(uint32_t(at.first), uint32_t(at.second)));
      const double value = CellNumber(c);
      const bool same = (c->kind & kKindMask) == uint8_t(CellKind::kFormula) &&
                        std::fabs(value - e.number) <= 1e-9 * std::max(1.0, std::fabs(e.number));
      if (!same && ++mismatches <= 3) {
        ADD_FAILURE() << "row " << at.first << " column " << at.second << ": stored " << e.number
                      << ", recalculated " << value << " (kind " << int(c->kind) << ")";
      }
    }
    EXPECT_EQ(mismatches, 0) << "of " << formulas << " formulas";
  }
}

}  // namespace
