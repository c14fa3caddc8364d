// tests/files/peer_test.cpp — other spreadsheet programs read the files we write.
//
// Gnumeric's ssconvert keeps the stored formula values; LibreOffice recalculates on load. Each
// test is skipped when its program is not installed.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "core/names.h"
#include "core/sheet_layout.h"
#include "files/files_fixture.h"

namespace {

bool Installed(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Fields of a simple comma-separated file as the peers write it (quotes around some texts).
std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          fields.back() += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
      } else if (c == ',' && !quoted) {
        fields.emplace_back();
      } else if (c != '\r') {
        fields.back() += c;
      }
    }
    rows.push_back(fields);
  }
  return rows;
}

// A relative file-form operand from (row, column) to (targetRow, targetColumn).
std::vector<uint8_t> Ref(int row, int column, int targetRow, int targetColumn) {
  const uint16_t c = uint16_t(0x8000 | ((targetColumn - column) & 0x3FFF));
  const uint16_t r = uint16_t(0x8000 | ((targetRow - row) & 0x3FFF));
  return {0x01, uint8_t(c), uint8_t(c >> 8), uint8_t(r), uint8_t(r >> 8)};
}

std::vector<uint8_t> RangeRef(int row, int column, int firstRow, int firstColumn, int lastRow,
                              int lastColumn) {
  const std::vector<uint8_t> end = Ref(row, column, lastRow, lastColumn);
  const std::vector<uint8_t> start = Ref(row, column, firstRow, firstColumn);
  std::vector<uint8_t> out = {0x02};
  for (size_t i = 1; i < 5; ++i) out.push_back(end[i]);
  for (size_t i = 1; i < 5; ++i) out.push_back(start[i]);
  return out;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  out.push_back(0x03);
  return out;
}

struct PeerCell {
  int row;
  int column;
  bool isText;
  double number;
  std::string text;
};

class PeerTest : public FilesTest {
 protected:
  // Builds the sheet every peer test saves and gives what each cell must show.
  std::vector<PeerCell> BuildSheet() {
    std::vector<PeerCell> cells;
    auto number = [&](int row, int column, double value) {
      CellRecord* c = CellAt(GetOrCreateCell(uint32_t(row), uint32_t(column)));
      StoreNumber(c, value);
      cells.push_back({row, column, false, value, ""});
    };
    auto label = [&](int row, int column, const std::string& text) {
      CellRecord* c = CellAt(GetOrCreateCell(uint32_t(row), uint32_t(column)));
      SetCellText(c, text);
      c->kind = uint8_t(CellKind::kLabel);
      cells.push_back({row, column, true, 0, text.substr(1)});
    };
    auto formula = [&](int row, int column, const std::vector<uint8_t>& tokens, double value) {
      CellRecord* c = CellAt(GetOrCreateCell(uint32_t(row), uint32_t(column)));
      uint8_t code[kMaxCodeSize] = {};
      code[0] = uint8_t(tokens.size() + 1);
      std::memcpy(code + 2, tokens.data(), tokens.size());
      SetCellTextBytes(c, code);
      c->kind = uint8_t(CellKind::kFormula) | kKindFileForm;
      SetCellDouble(c, value);
      cells.push_back({row, column, false, value, ""});
      return c;
    };
    const double a1 = 10, a2 = 2.5, a3 = -4, a4 = 1e10, a5 = 0.125;
    number(0, 0, a1);
    number(1, 0, a2);
    number(2, 0, a3);
    number(3, 0, a4);
    number(4, 0, a5);
    number(5, 0, 40000);
    label(0, 1, "'left");
    label(1, 1, "\"centre");
    label(2, 1, "^right");
    label(3, 1, "'with, comma");
    struct Binary {
      uint8_t op;
      double value;
    };
    const Binary kBinary[] = {
        {0x09, a1 + a2}, {0x0A, a1 - a2}, {0x0B, a1 * a2},     {0x0C, a1 / a2},
        {0x0D, std::pow(a1, a2)}, {0x0E, 0}, {0x0F, 1},        {0x10, 0},
        {0x11, 1},       {0x12, 0},       {0x13, 1},           {0x14, 1},
        {0x15, 1},
    };
    int row = 0;
    for (const Binary& b : kBinary) {
      formula(row, 2, Cat({Ref(row, 2, 0, 0), Ref(row, 2, 1, 0), {b.op}}), b.value);
      ++row;
    }
    formula(row, 2, Cat({Ref(row, 2, 0, 0), {0x08}}), -a1), ++row;
    formula(row, 2, Cat({Ref(row, 2, 2, 0), {0x16}}), 0), ++row;
    formula(row, 2, Cat({Ref(row, 2, 0, 0), Ref(row, 2, 1, 0), {0x09, 0x04, 0x05, 2, 0, 0x0B}}),
            (a1 + a2) * 2), ++row;
    const double sum = a1 + a2 + a3 + a4 + a5;
    formula(row, 2, Cat({RangeRef(row, 2, 0, 0, 4, 0), {0x50, 1}}), sum), ++row;
    formula(row, 2, Cat({RangeRef(row, 2, 0, 0, 4, 0), {0x51, 1}}), sum / 5), ++row;
    formula(row, 2, Cat({RangeRef(row, 2, 0, 0, 4, 0), {0x52, 1}}), 5), ++row;
    formula(row, 2, Cat({RangeRef(row, 2, 0, 0, 4, 0), {0x53, 1}}), a3), ++row;
    formula(row, 2, Cat({RangeRef(row, 2, 0, 0, 4, 0), {0x54, 1}}), a4), ++row;
    formula(row, 2, Cat({Ref(row, 2, 2, 0), {0x21}}), 4), ++row;
    formula(row, 2, Cat({Ref(row, 2, 1, 0), {0x22}}), 2), ++row;
    formula(row, 2, Cat({Ref(row, 2, 0, 0), {0x23}}), std::sqrt(a1)), ++row;
    formula(row, 2, Cat({Ref(row, 2, 0, 0), {0x05, 3, 0, 0x2F}}), 1), ++row;
    formula(row, 2, Cat({Ref(row, 2, 0, 0), Ref(row, 2, 1, 0), {0x13, 0x05, 1, 0, 0x05, 2, 0, 0x3B}}),
            1), ++row;
    formula(row, 2, Cat({{0x26}}), M_PI), ++row;
    formula(row, 2, Cat({{0x00}, [] {
                          std::vector<uint8_t> v(8);
                          const double d = 0.1;
                          std::memcpy(v.data(), &d, 8);
                          return v;
                        }()}), 0.1), ++row;
    // A string formula and its result.
    CellRecord* s = formula(row, 2, Cat({{0x06, 'a', 'b', 0, 0x06, 'c', 'd', 0, 0x18}}), 0);
    s->kind = uint8_t(CellKind::kStringFormula) | kKindFileForm;
    const PoolHandle result = PoolAlloc(5);
    std::memcpy(PoolPtr(result), "\x04" "abcd", 5);
    std::memset(s->value, 0, 8);
    SetCellStringResult(s, result);
    cells.back() = {row, 2, true, 0, "abcd"};
    DefineName("FIRST", MakeRange(0, 0, 0, 4));
    CurrentLayout().columnWidth[1] = 160;
    return cells;
  }

  // Compares a peer's CSV output with the cells we wrote.
  void ExpectSameValues(const std::string& csv, const std::vector<PeerCell>& cells) {
    const auto rows = ReadCsv(csv);
    for (const PeerCell& c : cells) {
      SCOPED_TRACE(testing::Message() << "row " << c.row << " column " << c.column);
      ASSERT_LT(size_t(c.row), rows.size());
      ASSERT_LT(size_t(c.column), rows[size_t(c.row)].size());
      const std::string& field = rows[size_t(c.row)][size_t(c.column)];
      if (c.isText) {
        EXPECT_EQ(field, c.text);
      } else {
        char* end = nullptr;
        const double value = std::strtod(field.c_str(), &end);
        EXPECT_TRUE(end != field.c_str() && *end == 0) << "field '" << field << "'";
        EXPECT_NEAR(value, c.number, std::fabs(c.number) * 1e-9 + 1e-12) << "field '" << field << "'";
      }
    }
  }
};

TEST_F(PeerTest, GnumericReadsEveryValueOfOneSheet) {
  if (!Installed("ssconvert")) GTEST_SKIP() << "ssconvert is not installed";
  const std::vector<PeerCell> cells = BuildSheet();
  ASSERT_TRUE(SaveWorksheet(Path("peer.wk1")));
  const std::string command = "cd '" + dir_ + "' && ssconvert peer.wk1 peer.csv >ssconvert.log 2>&1" +
                              " && ssconvert -S peer.wk1 'sheet_%n.csv' >>ssconvert.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ExpectSameValues(Path("peer.csv"), cells);
  EXPECT_TRUE(std::filesystem::exists(Path("sheet_0.csv")));
  EXPECT_FALSE(std::filesystem::exists(Path("sheet_1.csv"))) << "the file must open as one sheet";
  std::ifstream log(Path("ssconvert.log"));
  const std::string messages((std::istreambuf_iterator<char>(log)), {});
  EXPECT_EQ(messages, "");
}

TEST_F(PeerTest, LibreOfficeRecalculatesToOurValues) {
  const char* program = Installed("soffice") ? "soffice" : Installed("libreoffice") ? "libreoffice" : nullptr;
  if (!program) GTEST_SKIP() << "LibreOffice is not installed";
  const std::vector<PeerCell> cells = BuildSheet();
  ASSERT_TRUE(SaveWorksheet(Path("peer.wk1")));
  const std::string command = "cd '" + dir_ + "' && HOME='" + dir_ + "' " + program +
                              " --headless --convert-to csv peer.wk1 >soffice.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ExpectSameValues(Path("peer.csv"), cells);
}

}  // namespace
