// tests/core/pool_test.cpp — page format, first fit, merging, heaps, exhaustion, fault injection.
#include "core/pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "core_fixture.h"

namespace {

using FreeList = std::vector<std::pair<uint32_t, uint32_t>>;  // (offset, size)

uint32_t SlotOf(PoolHandle h) { return h >> 13; }
uint32_t OffsetOf(PoolHandle h) { return h & 0x1FFF; }

// The free blocks of a page in list order, read from the page itself.
FreeList FreeBlocks(uint32_t slot) {
  const uint8_t* page = PoolPtr(slot << 13);
  FreeList out;
  auto word = [page](uint32_t at) { return uint32_t(page[at] | page[at + 1] << 8); };
  for (uint32_t node = word(2); node != 0 && out.size() < 3000; node = word(node + 2)) {
    out.emplace_back(node, word(node));
  }
  return out;
}

class PoolTest : public CoreTest {};

TEST_F(PoolTest, RequestsRoundToTheNextWordAboveTheirLowBits) {
  struct Case { int line; uint32_t size; uint32_t rounded; };
  const Case kCases[] = {{__LINE__, 0, 4},  {__LINE__, 1, 4},     {__LINE__, 3, 4},
                         {__LINE__, 32, 36}, {__LINE__, 33, 36},   {__LINE__, 35, 36},
                         {__LINE__, 36, 40}, {__LINE__, 7927, 7928}};
  const int64_t start = PoolFreeBytes();
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    EXPECT_EQ(PoolRoundedSize(c.size), c.rounded);
    PoolHandle h = PoolAlloc(c.size);
    ASSERT_NE(h, kNoBlock);
    EXPECT_EQ(PoolFreeBytes(), start - c.rounded);
    PoolFree(h, c.size);
    EXPECT_EQ(PoolFreeBytes(), start);
  }
  EXPECT_EQ(PoolAlloc(7928), kNoBlock);  // larger than a page can hold
  ExpectSound();
}

TEST_F(PoolTest, AllocationsComeFromTheTailOfTheFirstFreeBlock) {
  PoolHandle a = PoolAlloc(33);
  PoolHandle b = PoolAlloc(33);
  EXPECT_EQ(SlotOf(a), 1u);
  EXPECT_EQ(OffsetOf(a), 4u + 7928 - 36);
  EXPECT_EQ(OffsetOf(b), 4u + 7928 - 72);
  EXPECT_EQ(FreeBlocks(1), (FreeList{{4, 7928 - 72}}));
  ExpectSound();
}

TEST_F(PoolTest, FreeingBetweenTwoFreeNeighboursLeavesOneMergedBlock) {
  PoolHandle a = PoolAlloc(33), b = PoolAlloc(33), c = PoolAlloc(33), d = PoolAlloc(33);
  ASSERT_TRUE(a && b && c && d);
  const uint32_t front = 7928 - 4 * 36;
  PoolFree(a, 33);
  PoolFree(c, 33);
  EXPECT_EQ(FreeBlocks(1), (FreeList{{4, front}, {OffsetOf(c), 36}, {OffsetOf(a), 36}}));
  PoolFree(b, 33);
  EXPECT_EQ(FreeBlocks(1), (FreeList{{4, front}, {OffsetOf(c), 108}}));
  ExpectSound();
  PoolFree(d, 33);  // merges with the front block and the block after it: the page is whole
  EXPECT_EQ(FreeBlocks(1), (FreeList{{4, 7928}}));
  ExpectSound();
}

TEST_F(PoolTest, ExactFitUnlinksTheBlockAndAFullPageReusesItsHoles) {
  PoolHandle big = PoolAlloc(7852);  // leaves 72 bytes at the front
  PoolHandle x = PoolAlloc(33);
  PoolHandle y = PoolAlloc(33);      // takes the last block whole
  ASSERT_TRUE(big && x && y);
  EXPECT_EQ(OffsetOf(y), 4u);
  EXPECT_TRUE(FreeBlocks(1).empty());
  PoolFree(x, 33);
  EXPECT_EQ(PoolAlloc(35), x);  // the hole fits exactly
  EXPECT_TRUE(FreeBlocks(1).empty());
  EXPECT_EQ(SlotOf(PoolAlloc(1)), 2u);  // nothing left here: a new page
  ExpectSound();
}

TEST_F(PoolTest, HeapsKeepToTheirOwnPagesAndEmptyPagesChangeHands) {
  PoolHandle a = PoolAlloc(100);
  const uint16_t other = PoolNewHeap();
  EXPECT_NE(other, heap_);
  PoolSetHeap(other);
  EXPECT_EQ(PoolCurrentHeap(), other);
  PoolHandle b = PoolAlloc(100);
  EXPECT_NE(SlotOf(a), SlotOf(b));

  // Page 1 empties: it loses its owner and the next page any heap needs is that one.
  PoolSetHeap(heap_);
  PoolFree(a, 100);
  PoolHandle c = PoolAlloc(7000);
  EXPECT_EQ(SlotOf(c), SlotOf(a));
  PoolSetHeap(PoolNewHeap());
  PoolHandle d = PoolAlloc(50);
  EXPECT_EQ(SlotOf(d), 3u);  // pages 1 and 2 are owned
  ExpectSound();

  PoolSetHeap(other);
  PoolReleaseHeap(other);
  PoolSetHeap(PoolNewHeap());
  EXPECT_EQ(SlotOf(PoolAlloc(50)), SlotOf(b));  // a released slot is used again
  ExpectSound();
}

TEST_F(PoolTest, OpeningAndClosingManySheetsNeverRunsOutOfPages) {
  ResetCore(/*maxPages=*/4);
  for (int sheet = 0; sheet < 200; ++sheet) {
    SCOPED_TRACE(sheet);
    uint16_t heap = PoolNewHeap();
    PoolSetHeap(heap);
    for (int i = 0; i < 2; ++i) ASSERT_NE(PoolAlloc(7000), kNoBlock);
    PoolReleaseHeap(heap);
  }
  EXPECT_FALSE(PoolOutOfMemory());
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
  ExpectSound();
}

TEST_F(PoolTest, ExhaustionByTheFreeCounterAndByThePageLimit) {
  ResetCore(/*maxPages=*/3);
  EXPECT_EQ(PoolCapacity(), 3 * 8192);
  int64_t taken = 0;
  while (PoolAlloc(33) != kNoBlock) taken += 36;
  EXPECT_TRUE(PoolOutOfMemory());
  // The pool refuses once fewer than 8000 bytes of its capacity are left.
  EXPECT_GE(taken, 3 * 8192 - 8000 - 36);
  EXPECT_LE(taken, 3 * 8192 - 8000 + 36);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity() - taken);
  ExpectSound();

  ResetCore(/*maxPages=*/2);
  ASSERT_NE(PoolAlloc(10), kNoBlock);
  PoolSetHeap(PoolNewHeap());
  ASSERT_NE(PoolAlloc(10), kNoBlock);
  PoolSetHeap(PoolNewHeap());
  PoolClearOutOfMemory();
  EXPECT_EQ(PoolAlloc(10), kNoBlock);  // a third sheet finds no page
  EXPECT_TRUE(PoolOutOfMemory());
  ExpectSound();
}

TEST_F(PoolTest, FaultInjectionFailsAfterTheGivenNumberOfAllocations) {
  PoolFailAfter(2);
  EXPECT_NE(PoolAlloc(8), kNoBlock);
  EXPECT_NE(PoolAlloc(8), kNoBlock);
  EXPECT_FALSE(PoolOutOfMemory());
  EXPECT_EQ(PoolAlloc(8), kNoBlock);
  EXPECT_TRUE(PoolOutOfMemory());
  EXPECT_EQ(PoolAlloc(8), kNoBlock);  // stays exhausted
  PoolFailAfter(-1);
  EXPECT_NE(PoolAlloc(8), kNoBlock);
  ExpectSound();
}

TEST_F(PoolTest, DoubleAndStrayFreesLeaveThePoolIntact) {
  PoolHandle a = PoolAlloc(20);
  PoolHandle b = PoolAlloc(20);
  const int64_t free = PoolFreeBytes();
  PoolFree(a, 20);
  PoolFree(a, 20);
  EXPECT_EQ(PoolFreeBytes(), free + 24);
  PoolFree(kNoBlock, 20);
  PoolFree((4000u << 13) | 100, 20);  // a page that was never used
  ExpectSound();
  PoolFree(b, 20);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
}

TEST_F(PoolTest, RandomTrafficOverSeveralHeapsKeepsEveryBlockIntact) {
  struct Block { PoolHandle handle; uint32_t size; uint8_t fill; uint16_t heap; };
  std::mt19937 rng(12345);
  const uint16_t heaps[] = {heap_, PoolNewHeap(), PoolNewHeap()};
  std::vector<Block> live;
  const int64_t start = PoolFreeBytes();
  auto check = [](const Block& b) {
    const uint8_t* p = PoolPtr(b.handle);
    for (uint32_t i = 0; i < b.size; ++i) {
      if (p[i] != b.fill) return false;
    }
    return true;
  };
  for (int step = 0; step < 6000; ++step) {
    bool allocate = live.empty() || rng() % 100 < 55;
    if (allocate) {
      uint32_t size = rng() % 10 == 0 ? 1000 + rng() % 3000 : 1 + rng() % 120;
      uint16_t heap = heaps[rng() % 3];
      PoolSetHeap(heap);
      PoolHandle h = PoolAlloc(size);
      ASSERT_NE(h, kNoBlock);
      uint8_t fill = uint8_t(rng());
      std::memset(PoolPtr(h), fill, size);
      live.push_back({h, size, fill, heap});
    } else {
      size_t i = rng() % live.size();
      ASSERT_TRUE(check(live[i])) << "block overwritten at step " << step;
      PoolFree(live[i].handle, live[i].size);
      live[i] = live.back();
      live.pop_back();
    }
    std::string why;
    ASSERT_TRUE(CheckPoolIntegrity(&why)) << "step " << step << ": " << why;
  }
  // Blocks of different heaps never share a page.
  std::map<uint32_t, uint16_t> pageHeap;
  for (const Block& b : live) {
    auto [it, inserted] = pageHeap.emplace(SlotOf(b.handle), b.heap);
    EXPECT_EQ(it->second, b.heap);
  }
  for (const Block& b : live) {
    ASSERT_TRUE(check(b));
    PoolFree(b.handle, b.size);
  }
  EXPECT_EQ(PoolFreeBytes(), start);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
  ExpectSound();
  // Every page is whole again.
  for (uint32_t slot = 1; slot <= kPoolMaxPages; ++slot) {
    if (PoolPtr(slot << 13) == nullptr) continue;
    EXPECT_EQ(FreeBlocks(slot), (FreeList{{4, 7928}})) << "page " << slot;
  }
}

TEST_F(PoolTest, ReleasingAHeapReturnsItsBytes) {
  for (int i = 0; i < 500; ++i) ASSERT_NE(PoolAlloc(33), kNoBlock);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity() - 500 * 36);
  EXPECT_TRUE(EnoughMemory());
  PoolReleaseHeap(heap_);
  EXPECT_EQ(PoolFreeBytes(), PoolCapacity());
  ExpectSound();
}

}  // namespace

namespace {

class PoolLimitTest : public CoreTest {
 protected:
  void TearDown() override {
    SetPoolLimit(kPoolDefaultLimit);
    CoreTest::TearDown();
  }
};

// The limit is a whole number of pages between one page and what 30-bit handles can name; the
// pool grows past the old fixed size of 4080 pages and refuses only at its limit.
TEST_F(PoolLimitTest, ThePoolGrowsOnDemandUpToItsLimit) {
  struct Case { int line; uint64_t asked; uint64_t pages; };
  const Case kCases[] = {
      {__LINE__, 0, 1},
      {__LINE__, 3 * kPoolPageSize + 100, 3},
      {__LINE__, kPoolDefaultLimit, kPoolMaxPages},
      {__LINE__, uint64_t(1) << 40, kPoolMaxPages},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    SetPoolLimit(c.asked);
    EXPECT_EQ(PoolLimit(), c.pages * kPoolPageSize);
    EXPECT_EQ(PoolCapacity(), int64_t(std::min<uint64_t>(
                                  c.pages, TheHeadlessPlatform().PhysicalMemory() / kPoolPageSize)) *
                                  kPoolPageSize);
  }

  ResetCore();
  SetPoolLimit(5000 * kPoolPageSize);
  std::vector<PoolHandle> blocks;
  for (PoolHandle h; (h = PoolAlloc(7000)) != kNoBlock;) blocks.push_back(h);
  EXPECT_TRUE(PoolOutOfMemory());
  EXPECT_EQ(blocks.size(), 5000u);  // one block a page
  ExpectSound();
  // Freed pages are taken again before the pool grows.
  for (size_t i = 0; i < blocks.size(); i += 2) PoolFree(blocks[i], 7000);
  PoolClearOutOfMemory();
  for (size_t i = 0; i < blocks.size(); i += 2) ASSERT_NE(PoolAlloc(7000), kNoBlock);
  EXPECT_FALSE(PoolOutOfMemory());
  ExpectSound();
}

}  // namespace
