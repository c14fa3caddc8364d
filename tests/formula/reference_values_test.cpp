// tests/formula/reference_values_test.cpp — every row of the reference table of function values,
// computed by an independent spreadsheet, evaluated by our function library.
//
// The table is read at run time from tests/data/reference/ (its README gives the columns and
// the tolerances); a missing table fails the test. A row whose formula uses A1..An gets the
// elements of the array constant of its peer formula in A1..An (quoted elements as labels). Rows
// of functions that have no routine installed yet are counted and listed but do not fail; every
// other row must agree within the tolerance that the table's notes give for its function.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/text_case.h"
#include "sheet_functions_fixture.h"
#include "formula/formula_code.h"
#include "formula/functions_math.h"
#include "formula/functions_sheet.h"

namespace {

struct ReferenceRow {
  int line = 0;
  std::string formula;
  std::string value;
  std::string peer;
};

std::vector<ReferenceRow> ReadReferenceTable(std::string* why) {
  const std::string path = std::string(TALLIVO_TEST_DATA_DIR) + "/data/reference/functions.tsv";
  std::ifstream in(path);
  std::vector<ReferenceRow> rows;
  if (!in) {
    *why = "cannot read " + path;
    return rows;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 || line.empty()) continue;  // the header
    std::vector<std::string> fields;
    std::stringstream split(line);
    std::string field;
    while (std::getline(split, field, '\t')) fields.push_back(field);
    if (fields.size() < 3) continue;
    rows.push_back({number, fields[0], fields[1], fields[2]});
  }
  return rows;
}

// The elements of the first array constant {...} of a peer formula, split at ";" or ",".
std::vector<std::string> ArrayElements(const std::string& peer) {
  std::vector<std::string> out;
  const size_t open = peer.find('{'), close = peer.find('}');
  if (open == std::string::npos || close == std::string::npos || close < open) return out;
  std::string current;
  bool quoted = false;
  for (size_t i = open + 1; i < close; ++i) {
    const char c = peer[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ';' || c == ',')) {
      out.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  out.push_back(current);
  return out;
}

// The function opcode of a formula "@NAME(...)" or "@NAME".
int FunctionOpcode(const std::string& formula) {
  if (formula.empty() || formula[0] != '@') return -1;
  size_t end = formula.find('(');
  std::string name = formula.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
  return FindFunctionOpcode(name);
}

// Relative tolerance by function, from the notes of the table.
double ToleranceFor(const std::string& formula) {
  static const std::map<std::string, double> kByFunction = {
      {"@GAMMALN", 1e-10},
      {"@BETA(", 1e-10},
      {"@BETAI", 3e-7},
      {"@GAMMAP", 3e-7},
      {"@GAMMAQ", 3e-7},
      {"@ERF", 3e-7},
      {"@BESSELJ", 3e-7},
      {"@BESSELY", 3e-7},
      {"@BESSELI", 3e-7},
      {"@BESSELK", 3e-7},
      // @IRR iterates until the net present value is within its own tolerance of 0.
      {"@IRR", 1e-9},
  };
  for (const auto& [prefix, tolerance] : kByFunction)
    if (formula.compare(0, prefix.size(), prefix) == 0) return tolerance;
  return 1e-12;
}

using ReferenceValuesTest = SheetFunctionTest;

TEST_F(ReferenceValuesTest, EveryRowAgreesWithThePeer) {
  std::string why;
  const std::vector<ReferenceRow> rows = ReadReferenceTable(&why);
  ASSERT_FALSE(rows.empty()) << why;
  int checked = 0;
  std::vector<std::string> pending;
  for (const ReferenceRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "functions.tsv line " << row.line << ": " << row.formula
                                    << " (peer " << row.peer << ")");
    const int opcode = FunctionOpcode(row.formula);
    ASSERT_GE(opcode, 0);
    if (!RegisteredFunction(uint8_t(opcode))) {
      pending.push_back(row.formula);
      continue;
    }
    ClearAllCells();
    if (row.formula.find("A1..A") != std::string::npos) {
      int r = 1;
      for (const std::string& e : ArrayElements(row.peer)) {
        const bool label = e.size() >= 2 && e.front() == '"' && e.back() == '"';
        Enter("A" + std::to_string(r++), label ? "'" + e.substr(1, e.size() - 2) : e);
      }
    }
    const EvalResult result = EvaluateText(row.formula);
    ++checked;
    ASSERT_TRUE(result.compiled);
    ASSERT_FALSE(result.error);
    if (row.value.size() >= 2 && row.value.front() == '"') {
      const std::string expected = row.value.substr(1, row.value.size() - 2);
      ASSERT_TRUE(result.isString) << result.number;
      // The text of @HEX is ours to choose: its rows compare without regard to case.
      if (row.formula.compare(0, 4, "@HEX") == 0) {
        EXPECT_EQ(UpperCase(result.text), UpperCase(expected));
      } else {
        EXPECT_EQ(result.text, expected);
      }
      continue;
    }
    ASSERT_FALSE(result.isString) << result.text;
    const double expected = std::strtod(row.value.c_str(), nullptr);
    const double tolerance = ToleranceFor(row.formula);
    EXPECT_NEAR(result.number, expected,
                expected == 0 ? tolerance : std::fabs(expected) * tolerance);
  }
  std::printf("reference rows: %d checked, %zu without a routine yet\n", checked, pending.size());
  for (const std::string& formula : pending) std::printf("  not yet: %s\n", formula.c_str());
  EXPECT_GT(checked, 0);
}

}  // namespace
