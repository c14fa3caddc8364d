// tests/analysis/peer_test.cpp — regression and matrix results against Gnumeric's functions.
//
// Random data goes into our sheet and, as formulas with SLOPE, INTERCEPT, RSQ, STEYX, MDETERM
// and MINVERSE, into a comma-separated file that ssconvert recalculates. Skipped when ssconvert
// is not installed.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "analysis/matrix.h"
#include "analysis/regression.h"
#include "analysis_fixture.h"

namespace {

bool SsconvertInstalled() { return std::system("command -v ssconvert >/dev/null 2>&1") == 0; }

// Field `field` of each line of a comma-separated file as a number (NaN when empty).
std::vector<double> Column(const std::string& path, size_t field) {
  std::vector<double> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string f;
    for (size_t i = 0; i <= field && std::getline(fields, f, ','); ++i) {
    }
    out.push_back(f.empty() ? NAN : std::strtod(f.c_str(), nullptr));
  }
  return out;
}

class PeerTest : public AnalysisFixture {};

TEST_F(PeerTest, RegressionAndMatricesAgreeWithGnumeric) {
  if (!SsconvertInstalled()) GTEST_SKIP() << "ssconvert is not installed";
  std::mt19937 random(20261209);
  std::uniform_real_distribution<double> value(-50.0, 50.0);
  constexpr int kRows = 12;
  constexpr int kCases = 6;
  // Columns per case: x, y (rows 1..12), a 4 x 4 matrix in the next four columns (rows 1..4).
  std::vector<std::vector<double>> cells(kRows, std::vector<double>(6 * kCases));
  for (int c = 0; c < kCases; ++c) {
    const double slope = value(random), offset = value(random) * 1000;
    for (int r = 0; r < kRows; ++r) {
      const double x = offset + value(random);
      cells[r][6 * c] = x;
      cells[r][6 * c + 1] = slope * x + value(random);
      for (int j = 0; j < 4; ++j) cells[r][6 * c + 2 + j] = r < 4 ? value(random) : 0;
    }
  }
  const std::string dir = testing::TempDir();
  const std::string in = dir + "/tallivo_peer_in.csv", out = dir + "/tallivo_peer_out.csv";
  {
    std::ofstream csv(in);
    csv.precision(17);
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < 6 * kCases; ++c) {
        csv << (c ? "," : "") << cells[r][c];
        StoreNumber(CellAt(GetOrCreateCell(r, c)), cells[r][c]);
      }
      csv << "\n";
    }
    // One line per case, below the data: the statistics of that case.
    for (int c = 0; c < kCases; ++c) {
      auto col = [](int n) { return ColumnLetters(uint32_t(n)); };
      const std::string x = col(6 * c) + "1:" + col(6 * c) + std::to_string(kRows);
      const std::string y = col(6 * c + 1) + "1:" + col(6 * c + 1) + std::to_string(kRows);
      const std::string m = col(6 * c + 2) + "1:" + col(6 * c + 5) + "4";
      csv << "\"=SLOPE(" << y << "," << x << ")\",\"=INTERCEPT(" << y << "," << x << ")\",\"=RSQ("
          << y << "," << x << ")\",\"=STEYX(" << y << "," << x << ")\",\"=MDETERM(" << m << ")\"";
      for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 4; ++j) {
          csv << ",\"=INDEX(MINVERSE(" << m << ")," << i << "," << j << ")\"";
        }
      }
      csv << "\n";
    }
  }
  const std::string command = "ssconvert --recalc '" + in + "' '" + out + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::vector<std::vector<double>> peer;
  for (size_t f = 0; f < 21; ++f) peer.push_back(Column(out, f));
  ASSERT_GE(peer[0].size(), size_t(kRows + kCases));

  for (int c = 0; c < kCases; ++c) {
    SCOPED_TRACE(c);
    const size_t line = size_t(kRows + c);
    const uint16_t x = uint16_t(6 * c);
    ASSERT_TRUE(Regress(MakeRange(x, 0, x, kRows - 1), MakeRange(x + 1, 0, x + 1, kRows - 1),
                        CellAddress{200, 0})
                    .Done());
    auto ours = [](int row, int column) { return CellNumber(CellAt(GetCell(row, column))); };
    auto near = [](double a, double b) {
      return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
    };
    EXPECT_PRED2(near, ours(1, 201), peer[0][line]);  // slope
    EXPECT_PRED2(near, ours(0, 201), peer[1][line]);  // intercept
    EXPECT_PRED2(near, ours(2, 201), peer[2][line]);  // R^2
    EXPECT_PRED2(near, ours(9, 201), peer[3][line]);  // RegErr: the standard error of y
    const CellRange m = MakeRange(x + 2, 0, x + 5, 3);
    ASSERT_TRUE(MatrixDeterminant(m, CellAddress{210, 0}).Done());
    EXPECT_PRED2(near, ours(0, 210), peer[4][line]);
    ASSERT_TRUE(MatrixInvert(m, CellAddress{220, 0}).Done());
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) EXPECT_PRED2(near, ours(i, 220 + j), peer[5 + 4 * i + j][line]);
    }
  }
}

}  // namespace
