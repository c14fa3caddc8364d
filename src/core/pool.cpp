// core/pool.cpp — the cell pool: 8192-byte pages, first-fit free lists, one heap per worksheet.
//
// A page holds a 4-byte list head at offset 0 and 7928 usable bytes from offset 4. Free blocks
// carry their 16-bit size and the 16-bit offset of the next free block; the list is circular
// through the head (offset 0, size 0) and kept in address order so that neighbours merge on
// free. Each page remembers a rover, the list node from which the next search starts, so that
// filling a page in sequence costs O(1) per allocation. A page whose blocks are all freed loses
// its owner and is handed to whichever worksheet needs a page next; releasing a heap returns its
// page memory to the system.
// State: PoolState (page owners, use counts, rovers, the free counter, the current heap, the
// out-of-memory flag, fault injection) and pool_detail::pageMemory.
#include "core/pool.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace pool_detail {
uint8_t* pageMemory[kPoolMaxPages + 1] = {};
}  // namespace pool_detail

namespace {

using pool_detail::pageMemory;

constexpr uint32_t kFirstBlock = 4;                               // after the list head
constexpr uint32_t kPageEnd = kFirstBlock + kPoolPageFreeBytes;  // 7932: end of usable bytes
constexpr int64_t kRefuseBelow = 8000;       // free counter below this: allocations fail
constexpr int64_t kEnoughMemoryFloor = 16000;
constexpr uint32_t kMaxListSteps = kPoolPageFreeBytes / 4 + 2;  // bounds every list walk

struct PageInfo {
  uint16_t owner = 0;  // heap number; 0 = free page
  uint16_t rover = 0;  // list node (0 = head) where the last search ended
  uint32_t inUse = 0;  // bytes of allocated blocks
  // Smallest request the page failed since its last free (0: none): larger ones cannot fit
  // either, so a scan of the heap's pages skips the page without walking its list.
  uint16_t noFitFrom = 0;
};

inline bool MayFit(const PageInfo& info, uint32_t need) {
  return kPoolPageFreeBytes - info.inUse >= need && (info.noFitFrom == 0 || need < info.noFitFrom);
}

struct PoolState {
  bool sized = false;
  uint32_t pagesAllowed = 0;
  int64_t capacity = 0;
  int64_t freeCounter = 0;  // capacity minus bytes allocated
  int64_t inUseTotal = 0;   // bytes allocated on all pages
  uint32_t highestPage = 0;  // highest page slot ever given out
  uint16_t heapCounter = 0;
  uint16_t currentHeap = 0;
  bool outOfMemory = false;
  int failAfter = -1;  // successful allocations left before injected failures; -1 = never
  uint64_t generation = 0;  // moves on when pages are released
  std::array<PageInfo, kPoolMaxPages + 1> pages{};
  std::array<uint16_t, 0x10000> heapPage{};  // the page each heap allocated from last
};

PoolState& State() {
  static PoolState* state = new PoolState();
  return *state;
}

inline uint16_t Get16(const uint8_t* page, uint32_t offset) {
  return uint16_t(page[offset] | (page[offset + 1] << 8));
}
inline void Put16(uint8_t* page, uint32_t offset, uint16_t value) {
  page[offset] = uint8_t(value);
  page[offset + 1] = uint8_t(value >> 8);
}
inline uint16_t BlockSize(const uint8_t* page, uint32_t node) { return Get16(page, node); }
inline uint16_t NextBlock(const uint8_t* page, uint32_t node) { return Get16(page, node + 2); }
inline void SetBlockSize(uint8_t* page, uint32_t node, uint32_t size) {
  Put16(page, node, uint16_t(size));
}
inline void SetNextBlock(uint8_t* page, uint32_t node, uint32_t next) {
  Put16(page, node + 2, uint16_t(next));
}

void SizeFromPlatform(uint32_t maxPages) {
  PoolState& st = State();
  uint64_t physical = ThePlatform().PhysicalMemory();
  uint64_t pages = physical ? physical / kPoolPageSize : kPoolMaxPages;
  pages = std::min<uint64_t>(pages, kPoolMaxPages);
  if (maxPages) pages = std::min<uint64_t>(pages, maxPages);
  st.pagesAllowed = uint32_t(pages);
  st.capacity = int64_t(pages) * kPoolPageSize;
  st.freeCounter = st.capacity - st.inUseTotal;
  st.sized = true;
}

// A zero-filled page holding one free block at offset 4 of 7928 bytes.
void FormatPage(uint8_t* page) {
  std::memset(page, 0, kPoolPageSize);
  SetBlockSize(page, 0, 0);
  SetNextBlock(page, 0, kFirstBlock);
  SetBlockSize(page, kFirstBlock, kPoolPageFreeBytes);
  SetNextBlock(page, kFirstBlock, 0);
}

// First fit along the page's circular list from its rover. Gives the offset of the block taken,
// or 0 when no block is large enough.
uint32_t SearchPage(uint32_t slot, uint32_t need) {
  uint8_t* page = pageMemory[slot];
  PageInfo& info = State().pages[slot];
  uint32_t start = info.rover;
  uint32_t prev = start;
  for (uint32_t steps = 0; steps < kMaxListSteps; ++steps) {
    uint32_t block = NextBlock(page, prev);
    uint32_t size = BlockSize(page, block);  // the head has size 0 and never fits
    if (size >= need) {
      info.rover = uint16_t(prev);
      if (size == need) {
        SetNextBlock(page, prev, NextBlock(page, block));
        return block;
      }
      // Shorten the block from its front; the allocation is its tail, the block keeps its place.
      SetBlockSize(page, block, size - need);
      return block + size - need;
    }
    prev = block;
    if (prev == start) break;
  }
  info.rover = uint16_t(start);
  if (info.noFitFrom == 0 || need < info.noFitFrom) info.noFitFrom = uint16_t(need);
  return 0;
}

PoolHandle Fail() {
  State().outOfMemory = true;
  return kNoBlock;
}

PoolHandle Taken(uint32_t slot, uint32_t offset, uint32_t need) {
  PoolState& st = State();
  st.pages[slot].inUse += need;
  st.inUseTotal += need;
  st.freeCounter -= need;
  st.heapPage[st.currentHeap] = uint16_t(slot);
  if (st.failAfter > 0) --st.failAfter;
  return PoolHandle(slot << 13 | offset);
}

}  // namespace

PoolHandle PoolAlloc(uint32_t size) {
  PoolState& st = State();
  if (!st.sized) SizeFromPlatform(0);
  if (st.freeCounter < kRefuseBelow || st.failAfter == 0 || size > kPoolLargestBlock) {
    return Fail();
  }
  uint32_t need = PoolRoundedSize(size);
  // Pages owned by heap 0 would count as free pages; a caller that never chose a heap gets one.
  if (st.currentHeap == 0) st.currentHeap = PoolNewHeap();
  uint16_t heap = st.currentHeap;

  uint32_t current = st.heapPage[heap];
  if (current && st.pages[current].owner == heap && MayFit(st.pages[current], need)) {
    if (uint32_t offset = SearchPage(current, need)) return Taken(current, offset, need);
  }

  uint32_t freeSlot = 0;
  for (uint32_t slot = 1; slot <= st.highestPage; ++slot) {
    const PageInfo& info = st.pages[slot];
    if (info.owner == heap) {
      if (slot == current || !MayFit(info, need)) continue;
      if (uint32_t offset = SearchPage(slot, need)) return Taken(slot, offset, need);
    } else if (info.owner == 0 && freeSlot == 0 && slot <= st.pagesAllowed) {
      freeSlot = slot;
    }
  }

  // A free page: one whose blocks were all freed or whose heap was released, else a slot never
  // used before.
  if (freeSlot == 0) {
    if (st.highestPage >= st.pagesAllowed) return Fail();
    freeSlot = st.highestPage + 1;
  }
  if (!pageMemory[freeSlot]) {
    pageMemory[freeSlot] = static_cast<uint8_t*>(std::malloc(kPoolPageSize));
    if (!pageMemory[freeSlot]) return Fail();
  }
  FormatPage(pageMemory[freeSlot]);
  st.pages[freeSlot] = PageInfo{heap, 0, 0};
  st.highestPage = std::max(st.highestPage, freeSlot);
  uint32_t offset = SearchPage(freeSlot, need);
  return Taken(freeSlot, offset, need);
}

void PoolFree(PoolHandle block, uint32_t size) {
  if (block == kNoBlock) return;
  PoolState& st = State();
  uint32_t slot = block >> 13;
  uint32_t offset = block & 0x1FFF;
  uint32_t need = PoolRoundedSize(size);
  if (slot == 0 || slot > kPoolMaxPages || !pageMemory[slot]) return;
  PageInfo& info = st.pages[slot];
  if (info.owner == 0 || info.inUse < need || offset < kFirstBlock || offset % 4 != 0 ||
      offset + need > kPageEnd) {
    return;  // not a live block
  }
  uint8_t* page = pageMemory[slot];

  // Find the free node before the block, starting from the rover when it lies before it.
  uint32_t prev = (info.rover != 0 && info.rover < offset) ? info.rover : 0;
  uint32_t next = NextBlock(page, prev);
  for (uint32_t steps = 0; next != 0 && next < offset && steps < kMaxListSteps; ++steps) {
    prev = next;
    next = NextBlock(page, prev);
  }
  // A block overlapping a free neighbour is a double free: leave the list alone.
  if (prev != 0 && prev + BlockSize(page, prev) > offset) return;
  if (next != 0 && offset + need > next) return;

  SetBlockSize(page, offset, need);
  SetNextBlock(page, offset, next);
  SetNextBlock(page, prev, offset);
  if (next != 0 && offset + need == next) {
    SetBlockSize(page, offset, need + BlockSize(page, next));
    SetNextBlock(page, offset, NextBlock(page, next));
    if (info.rover == next) info.rover = uint16_t(offset);
  }
  if (prev != 0 && prev + BlockSize(page, prev) == offset) {
    SetBlockSize(page, prev, BlockSize(page, prev) + BlockSize(page, offset));
    SetNextBlock(page, prev, NextBlock(page, offset));
    if (info.rover == offset) info.rover = uint16_t(prev);
  }

  info.noFitFrom = 0;
  info.inUse -= need;
  st.inUseTotal -= need;
  st.freeCounter += need;
  if (info.inUse == 0) info.owner = 0;
}

uint16_t PoolNewHeap() {
  PoolState& st = State();
  if (++st.heapCounter == 0) st.heapCounter = 1;
  return st.heapCounter;
}

void PoolSetHeap(uint16_t heap) { State().currentHeap = heap; }

uint16_t PoolCurrentHeap() { return State().currentHeap; }

void PoolReleaseHeap(uint16_t heap) {
  if (heap == 0) return;
  PoolState& st = State();
  ++st.generation;
  for (uint32_t slot = 1; slot <= st.highestPage; ++slot) {
    PageInfo& info = st.pages[slot];
    if (info.owner != heap) continue;
    st.inUseTotal -= info.inUse;
    st.freeCounter += info.inUse;
    info = PageInfo{};
    std::free(pageMemory[slot]);
    pageMemory[slot] = nullptr;
  }
  st.heapPage[heap] = 0;
}

int64_t PoolFreeBytes() { return kPoolReportedTotal - State().inUseTotal; }

bool EnoughMemory() { return PoolFreeBytes() > kEnoughMemoryFloor; }

bool PoolOutOfMemory() { return State().outOfMemory; }

void PoolClearOutOfMemory() { State().outOfMemory = false; }

int64_t PoolCapacity() {
  if (!State().sized) SizeFromPlatform(0);
  return State().capacity;
}

void PoolReset(uint32_t maxPages) {
  PoolState& st = State();
  for (uint32_t slot = 0; slot <= kPoolMaxPages; ++slot) {
    std::free(pageMemory[slot]);
    pageMemory[slot] = nullptr;
  }
  const uint64_t generation = st.generation;
  st = PoolState{};
  st.generation = generation + 1;
  SizeFromPlatform(maxPages);
}

uint64_t PoolGeneration() { return State().generation; }

void PoolFailAfter(int n) { State().failAfter = n < 0 ? -1 : n; }

bool CheckPoolIntegrity(std::string* why) {
  PoolState& st = State();
  auto fault = [why](uint32_t slot, const char* text) {
    if (why) {
      char buffer[96];
      std::snprintf(buffer, sizeof buffer, "page %u: %s", slot, text);
      *why = buffer;
    }
    return false;
  };
  int64_t total = 0;
  for (uint32_t slot = 1; slot <= kPoolMaxPages; ++slot) {
    const PageInfo& info = st.pages[slot];
    const uint8_t* page = pageMemory[slot];
    if (!page) {
      if (info.owner != 0 || info.inUse != 0) return fault(slot, "owned page without memory");
      continue;
    }
    if (slot > st.highestPage) return fault(slot, "memory above the highest page");
    if ((info.owner == 0) != (info.inUse == 0)) return fault(slot, "owner and use count disagree");
    if (BlockSize(page, 0) != 0) return fault(slot, "list head has a size");
    uint32_t freeBytes = 0;
    uint32_t prevEnd = 0;
    bool roverFound = info.rover == 0;
    uint32_t node = NextBlock(page, 0);
    uint32_t steps = 0;
    for (; node != 0; node = NextBlock(page, node)) {
      if (++steps > kMaxListSteps) return fault(slot, "free list does not close");
      uint32_t size = BlockSize(page, node);
      if (node < kFirstBlock || node % 4 != 0) return fault(slot, "misplaced free block");
      if (size < 4 || size % 4 != 0) return fault(slot, "bad free block size");
      if (node + size > kPageEnd) return fault(slot, "free block runs past the page");
      if (prevEnd != 0 && node < prevEnd) return fault(slot, "free list out of address order");
      if (prevEnd != 0 && node == prevEnd) return fault(slot, "unmerged free neighbours");
      if (node == info.rover) roverFound = true;
      if (info.noFitFrom != 0 && size >= info.noFitFrom) return fault(slot, "stale no-fit hint");
      freeBytes += size;
      prevEnd = node + size;
    }
    if (!roverFound) return fault(slot, "rover is not on the free list");
    if (freeBytes + info.inUse != kPoolPageFreeBytes) return fault(slot, "bytes do not add up");
    total += info.inUse;
  }
  if (total != st.inUseTotal) return fault(0, "use counts do not add up");
  if (st.freeCounter != st.capacity - st.inUseTotal) return fault(0, "free counter is off");
  return true;
}
