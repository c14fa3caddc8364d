// tests/formula/recalc_test.cpp — dependency links, natural order, cycles, modes, long chains,
// and incremental against full recalculation.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/address.h"
#include "evaluator_fixture.h"

namespace {

class RecalcTest : public EvaluatorTest {
 protected:
  // Position i of a chain running down the rows and on into the next column.
  static std::string ChainCell(int i) { return ShortCellText(uint32_t(i % kRowCount), uint32_t(i / kRowCount)); }
};

TEST_F(RecalcTest, DependentsFollowInNaturalOrder) {
  Enter("A1", "1");
  Enter("B1", "+A1*2");
  Enter("C1", "+B1+A1");
  Enter("D1", "+C1*B1");
  EXPECT_EQ(Number("D1"), 6);
  const uint64_t before = RecalculatedCount();
  Enter("A1", "5");
  EXPECT_EQ(Number("B1"), 10);
  EXPECT_EQ(Number("C1"), 15);
  EXPECT_EQ(Number("D1"), 150);
  // Each dependent once, however many paths lead to it.
  EXPECT_EQ(RecalculatedCount() - before, 3u);
  EXPECT_TRUE(EntryRecalculated());
  ExpectSound();
}

TEST_F(RecalcTest, ACycleGrowsAtEveryRecalculationWithoutAMessage) {
  Enter("A1", "+B1+1");
  Enter("B1", "+A1+1");
  for (int round = 0; round < 3; ++round) {
    const double a = Number("A1");
    RecalculateFrom(At("A1"));
    // B1 from the old A1, then A1 from the new B1.
    EXPECT_EQ(Number("B1"), a + 1);
    EXPECT_EQ(Number("A1"), a + 2);
  }
  const double a = Number("A1");
  RecalculateAll();
  EXPECT_GT(Number("A1"), a);
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
  ExpectSound();
}

TEST_F(RecalcTest, ManualModeLeavesDependentsUntilRecalculation) {
  Enter("A1", "1");
  Enter("B1", "+A1+1");
  Options().setManualRecalc(true);
  Enter("A1", "5");
  EXPECT_EQ(Number("B1"), 2);
  EXPECT_FALSE(EntryRecalculated());
  Enter("C1", "+A1*3");  // a new formula is itself evaluated
  EXPECT_EQ(Number("C1"), 15);
  RecalculateIfAutomatic();
  EXPECT_EQ(Number("B1"), 2);
  RecalculateAll();
  EXPECT_EQ(Number("B1"), 6);
  Options().setManualRecalc(false);
  Enter("A1", "7");
  EXPECT_EQ(Number("B1"), 8);
  ExpectSound();
}

TEST_F(RecalcTest, IsErrStopsTheSpreadOfAnError) {
  Enter("A1", "1");
  Enter("B1", "+A1/(A1-1)");
  Enter("C1", "+B1+1");
  Enter("D1", "@ISERR(C1)");
  Enter("E1", "+D1+10");
  EXPECT_EQ(Shown("C1"), "ERR");
  EXPECT_EQ(Shown("E1"), "11");
  Enter("A1", "2");
  EXPECT_EQ(Shown("C1"), "3");
  EXPECT_EQ(Shown("E1"), "10");
}

TEST_F(RecalcTest, LinksFollowEntriesAndUndo) {
  Enter("A1", "2");
  Enter("B1", "+A1+A1");          // one node, however often A1 appears
  Enter("B2", "@IF(1,A1..A3,0)");  // a range links every position, creating records
  EXPECT_NE(At("A2"), 0u);
  EXPECT_NE(At("A3"), 0u);
  ExpectSound();
  Enter("B1", "'now a label");
  Enter("B2", "7");
  ExpectSound();
  EXPECT_EQ(CellAt(At("A1"))->dependents, 0u);

  Enter("B1", "+A1*3");
  SaveUndo();
  Enter("A1", "5");
  EXPECT_EQ(Number("B1"), 15);
  ASSERT_TRUE(RestoreUndo());
  EXPECT_EQ(Number("B1"), 6);
  ExpectSound();
  Enter("A1", "4");
  EXPECT_EQ(Number("B1"), 12);
}

TEST_F(RecalcTest, ManyFormulasOnOneCell) {
  Enter("A1", "1");
  for (int row = 1; row <= 2000; ++row) Enter("B" + std::to_string(row), "+$A$1*2");
  Enter("A1", "3");
  EXPECT_EQ(Number("B1"), 6);
  EXPECT_EQ(Number("B2000"), 6);
  for (int row = 1; row <= 2000; row += 2) Enter("B" + std::to_string(row), "0");
  ExpectSound();
}

// Dependents of one cell leave its list in any order (oldest first, newest first, shuffled),
// with re-entries in between; the list and its index stay exact and values stay right.
TEST_F(RecalcTest, DependentsOfOneCellLeaveInAnyOrder) {
  constexpr int kFormulas = 300;
  auto cell = [](int i) { return "B" + std::to_string(i + 1); };
  std::vector<int> order(kFormulas);
  for (int i = 0; i < kFormulas; ++i) order[i] = i;
  std::mt19937 random(14);
  for (int pass = 0; pass < 3; ++pass) {
    SCOPED_TRACE(testing::Message() << "pass " << pass);
    Enter("A1", "1");
    for (int i = 0; i < kFormulas; ++i) Enter(cell(i), "+$A$1*2+" + std::to_string(i));
    if (pass == 1) std::reverse(order.begin(), order.end());
    if (pass == 2) std::shuffle(order.begin(), order.end(), random);
    for (int k = 0; k < kFormulas; ++k) {
      Enter(cell(order[k]), "'gone");
      if (k % 50 == 0) {
        Enter(cell(order[k]), "+A1+1000");  // back on the list at its head
        ExpectSound();
        Enter(cell(order[k]), "'gone");
      }
    }
    ExpectSound();
    EXPECT_EQ(CellAt(At("A1"))->dependents, 0u);
    Enter(cell(7), "+A1*5");
    Enter("A1", "3");
    EXPECT_EQ(Number(cell(7)), 15);
    Enter(cell(7), "'gone");
  }
}

TEST_F(RecalcTest, ChainsLongerThan16384ComputeFully) {
  const int n = 20000;
  Enter("A1", "1");
  for (int i = 1; i < n; ++i) Enter(ChainCell(i), "+" + ChainCell(i - 1) + "+1");
  EXPECT_EQ(Number(ChainCell(n - 1)), n);
  Enter("A1", "101");
  EXPECT_EQ(Number(ChainCell(n - 1)), n + 100);
  Enter("A1", "1");
  RecalculateAll();
  EXPECT_EQ(Number(ChainCell(n - 1)), n);
  EXPECT_TRUE(TheHeadlessPlatform().messages.empty());
  ExpectSound();
}

TEST_F(RecalcTest, NoMemoryForTheWalkStopsWithCalcStackExceeded) {
  const int n = 300;
  Enter("A1", "1");
  for (int i = 1; i < n; ++i) Enter(ChainCell(i), "+" + ChainCell(i - 1) + "+1");
  SetRecalcMemoryLimit(100);
  Enter("A1", "2");
  ASSERT_FALSE(TheHeadlessPlatform().messages.empty());
  EXPECT_NE(TheHeadlessPlatform().messages.back().find(kCalcStackExceeded), std::string::npos);
  // No cell keeps a mark; the next recalculation with memory computes everything.
  ExpectSound();
  SetRecalcMemoryLimit(0);
  RecalculateAll();
  EXPECT_EQ(Number(ChainCell(n - 1)), n + 1);
}

TEST_F(RecalcTest, FullAndIncrementalRecalculationAgree) {
  // Cells 0..119 of a 6 x 20 block; a formula refers only to cells before it, so the sheet has
  // no cycle and one right answer, which a model computes alongside.
  const int kCells = 120;
  auto ref = [](int i) { return ShortCellText(uint32_t(i / 6), uint32_t(i % 6)); };
  struct Model {
    bool formula = false;
    double number = 0;
    int x = 0, y = 0;
  };
  std::vector<Model> model(kCells);
  auto value = [&](auto&& self, int i) -> double {
    const Model& m = model[size_t(i)];
    if (!m.formula) return m.number;
    return self(self, m.x) * 0.5 + self(self, m.y) - 1;
  };
  std::mt19937 random(12345);
  for (int step = 0; step < 1500; ++step) {
    const int i = int(random() % kCells);
    Model& m = model[size_t(i)];
    if (i > 0 && random() % 3 != 0) {
      m = Model{true, 0, int(random() % i), int(random() % i)};
      Enter(ref(i), "+" + ref(m.x) + "*0.5+" + ref(m.y) + "-1");
    } else {
      m = Model{false, double(int(random() % 200) - 100), 0, 0};
      Enter(ref(i), std::to_string(int(m.number)));
    }
    if (step % 100 == 0) ExpectSound();
  }
  std::vector<double> incremental(kCells);
  for (int i = 0; i < kCells; ++i) {
    SCOPED_TRACE(ref(i));
    incremental[size_t(i)] = Number(ref(i));
    EXPECT_EQ(incremental[size_t(i)], value(value, i));
  }
  RecalculateAll();
  for (int i = 0; i < kCells; ++i) {
    SCOPED_TRACE(ref(i));
    EXPECT_EQ(Number(ref(i)), incremental[size_t(i)]);
  }
  ExpectSound();
}

TEST_F(RecalcTest, FullRecalculationIgnoresASecondRequestWhileRunning) {
  // A user function whose evaluation asks for a full recalculation: the request is ignored and
  // the running one finishes normally.
  static int calls;
  calls = 0;
  const uint8_t op = uint8_t(Op::kRows);
  const OpcodeRoutine saved = RegisteredFunction(op);
  RegisterFunction(op, [](Frame& f) {
    ++calls;
    RecalculateAll();
    RecalculateFrom(At("A1"));
    f.SetNumber(1);
  });
  Enter("A1", "1");
  Enter("B1", "@ROWS(A1)+A1");
  calls = 0;
  RecalculateAll();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Number("B1"), 2);
  RegisterFunction(op, saved);
  ExpectSound();
}

}  // namespace
