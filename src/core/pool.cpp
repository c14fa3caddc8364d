// core/pool.cpp — the cell pool: 8192-byte pages, first-fit free lists, one heap per worksheet.
//
// A page holds a 4-byte list head at offset 0 and 7928 usable bytes from offset 4. Free blocks
// carry their 16-bit size and the 16-bit offset of the next free block; the list is circular
// through the head (offset 0, size 0) and kept in address order so that neighbours merge on
// free. Each page remembers a rover, the list node from which the next search starts, so that
// filling a page in sequence costs O(1) per allocation. A request that does not fit the heap's
// current page tries the heap's pages that had room freed on them (a list per heap, so the cost
// does not grow with the number of pages), then a free page, then a new page: the pool grows
// page by page up to its limit (1 GiB by default, the most that 30-bit handles can name). A page
// whose blocks are all freed loses its owner and is handed to whichever worksheet needs a page
// next; releasing a heap returns its page memory to the system.
// State: PoolState (the limit, page owners, use counts, rovers, the lists of pages with room and
// of free pages, the free counter, the current heap, the out-of-memory flag, fault injection,
// the generation) and pool_detail::pageMemory.
#include "core/pool.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

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
  uint16_t inUse = 0;  // bytes of allocated blocks
  // Smallest request the page failed since its last free (0: none): larger ones cannot fit
  // either, so a search of the heap's pages skips the page without walking its list.
  uint16_t noFitFrom = 0;
  bool roomy = false;  // on its heap's list of pages with freed room
};

inline bool MayFit(const PageInfo& info, uint32_t need) {
  return kPoolPageFreeBytes - info.inUse >= need && (info.noFitFrom == 0 || need < info.noFitFrom);
}

struct PoolState {
  bool sized = false;
  uint64_t limit = kPoolDefaultLimit;
  uint32_t pageCap = 0;  // a cap on the pages set by a test (0: none)
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
  std::array<uint32_t, 0x10000> heapPage{};  // the page each heap allocated from last
  // Per heap, its pages that had blocks freed since they were last found too full: the only
  // pages besides the current one where a request can find room. Entries whose page changed
  // hands meanwhile are skipped when met.
  std::unordered_map<uint16_t, std::vector<uint32_t>> roomyPages;
  // Slots of free pages (emptied, or of a released heap), the most recently freed last.
  std::vector<uint32_t> freePages;
};

PoolState& ThePoolState() {
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

void SizeFromPlatform() {
  PoolState& st = ThePoolState();
  uint64_t physical = ThePlatform().PhysicalMemory();
  uint64_t pages = physical ? physical / kPoolPageSize : kPoolMaxPages;
  pages = std::min<uint64_t>(pages, std::max<uint64_t>(st.limit / kPoolPageSize, 1));
  pages = std::min<uint64_t>(pages, kPoolMaxPages);
  if (st.pageCap) pages = std::min<uint64_t>(pages, st.pageCap);
  st.pagesAllowed = uint32_t(pages);
  st.capacity = int64_t(pages) * kPoolPageSize;
  st.freeCounter = st.capacity - st.inUseTotal;
  st.sized = true;
}

// A zero-filled page holding one free block at offset 4 of 7928 bytes.
void FormatPage(uint8_t* page, bool zeroed) {
  if (!zeroed) std::memset(page, 0, kPoolPageSize);
  SetBlockSize(page, 0, 0);
  SetNextBlock(page, 0, kFirstBlock);
  SetBlockSize(page, kFirstBlock, kPoolPageFreeBytes);
  SetNextBlock(page, kFirstBlock, 0);
}

// First fit along the page's circular list from its rover. Gives the offset of the block taken,
// or 0 when no block is large enough.
uint32_t SearchPage(uint32_t slot, uint32_t need) {
  uint8_t* page = pageMemory[slot];
  PageInfo& info = ThePoolState().pages[slot];
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
  ThePoolState().outOfMemory = true;
  return kNoBlock;
}

PoolHandle Taken(uint32_t slot, uint32_t offset, uint32_t need) {
  PoolState& st = ThePoolState();
  st.pages[slot].inUse += need;
  st.inUseTotal += need;
  st.freeCounter -= need;
  // The page left behind keeps its chance at smaller requests.
  const uint32_t left = st.heapPage[st.currentHeap];
  if (left != slot && left != 0) {
    PageInfo& info = st.pages[left];
    if (info.owner == st.currentHeap && !info.roomy && info.inUse + 16u <= kPoolPageFreeBytes) {
      info.roomy = true;
      st.roomyPages[st.currentHeap].push_back(left);
    }
  }
  st.heapPage[st.currentHeap] = slot;
  if (st.failAfter > 0) --st.failAfter;
  return PoolHandle(slot << 13 | offset);
}

}  // namespace

PoolHandle PoolAlloc(uint32_t size) {
  PoolState& st = ThePoolState();
  if (!st.sized) SizeFromPlatform();
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

  // The heap's pages with freed room, most recent first. A page that cannot take this request
  // leaves the list until something on it is freed again.
  auto roomy = st.roomyPages.find(heap);
  if (roomy != st.roomyPages.end()) {
    std::vector<uint32_t>& list = roomy->second;
    while (!list.empty()) {
      const uint32_t slot = list.back();
      PageInfo& info = st.pages[slot];
      if (info.owner != heap || !info.roomy) {
        list.pop_back();
        continue;
      }
      if (MayFit(info, need)) {
        if (uint32_t offset = SearchPage(slot, need)) return Taken(slot, offset, need);
      }
      info.roomy = false;
      list.pop_back();
    }
  }

  // A free page: one whose blocks were all freed or whose heap was released, else a slot never
  // used before.
  uint32_t freeSlot = 0;
  while (!st.freePages.empty() && freeSlot == 0) {
    const uint32_t slot = st.freePages.back();
    st.freePages.pop_back();
    if (st.pages[slot].owner == 0 && slot <= st.pagesAllowed) freeSlot = slot;
  }
  if (freeSlot == 0) {
    if (st.highestPage >= st.pagesAllowed) return Fail();
    freeSlot = st.highestPage + 1;
  }
  const bool fresh = !pageMemory[freeSlot];
  if (fresh) {
    pageMemory[freeSlot] = static_cast<uint8_t*>(std::calloc(1, kPoolPageSize));
    if (!pageMemory[freeSlot]) {
      st.freePages.push_back(freeSlot);
      st.highestPage = std::max(st.highestPage, freeSlot);
      return Fail();
    }
  }
  FormatPage(pageMemory[freeSlot], fresh);
  st.pages[freeSlot] = PageInfo{heap, 0, 0, 0, false};
  st.highestPage = std::max(st.highestPage, freeSlot);
  uint32_t offset = SearchPage(freeSlot, need);
  return Taken(freeSlot, offset, need);
}

void PoolFree(PoolHandle block, uint32_t size) {
  if (block == kNoBlock) return;
  PoolState& st = ThePoolState();
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
  info.inUse = uint16_t(info.inUse - need);
  st.inUseTotal -= need;
  st.freeCounter += need;
  if (info.inUse == 0) {
    info.owner = 0;
    info.roomy = false;
    st.freePages.push_back(slot);
  } else if (!info.roomy && slot != st.heapPage[info.owner]) {
    info.roomy = true;
    st.roomyPages[info.owner].push_back(slot);
  }
}

uint16_t PoolNewHeap() {
  PoolState& st = ThePoolState();
  if (++st.heapCounter == 0) st.heapCounter = 1;
  return st.heapCounter;
}

void PoolSetHeap(uint16_t heap) { ThePoolState().currentHeap = heap; }

uint16_t PoolCurrentHeap() { return ThePoolState().currentHeap; }

void PoolReleaseHeap(uint16_t heap) {
  if (heap == 0) return;
  PoolState& st = ThePoolState();
  ++st.generation;
  for (uint32_t slot = 1; slot <= st.highestPage; ++slot) {
    PageInfo& info = st.pages[slot];
    if (info.owner != heap) continue;
    st.inUseTotal -= info.inUse;
    st.freeCounter += info.inUse;
    info = PageInfo{};
    std::free(pageMemory[slot]);
    pageMemory[slot] = nullptr;
    st.freePages.push_back(slot);
  }
  st.heapPage[heap] = 0;
  st.roomyPages.erase(heap);
}

int64_t PoolFreeBytes() {
  if (!ThePoolState().sized) SizeFromPlatform();
  return ThePoolState().capacity - ThePoolState().inUseTotal;
}

bool EnoughMemory() { return PoolFreeBytes() > kEnoughMemoryFloor; }

bool PoolOutOfMemory() { return ThePoolState().outOfMemory; }

void PoolClearOutOfMemory() { ThePoolState().outOfMemory = false; }

int64_t PoolCapacity() {
  if (!ThePoolState().sized) SizeFromPlatform();
  return ThePoolState().capacity;
}

void PoolReset(uint32_t maxPages) {
  PoolState& st = ThePoolState();
  for (uint32_t slot = 0; slot <= kPoolMaxPages; ++slot) {
    std::free(pageMemory[slot]);
    pageMemory[slot] = nullptr;
  }
  const uint64_t generation = st.generation;
  const uint64_t limit = st.limit;
  st.~PoolState();
  new (&st) PoolState();
  st.generation = generation + 1;
  st.limit = limit;
  st.pageCap = maxPages;
  SizeFromPlatform();
}

void SetPoolLimit(uint64_t bytes) {
  PoolState& st = ThePoolState();
  st.limit = std::clamp<uint64_t>(bytes, kPoolPageSize, uint64_t(kPoolMaxPages) * kPoolPageSize);
  st.limit -= st.limit % kPoolPageSize;
  SizeFromPlatform();
}

uint64_t PoolLimit() { return ThePoolState().limit; }

uint64_t PoolGeneration() { return ThePoolState().generation; }

void PoolFailAfter(int n) { ThePoolState().failAfter = n < 0 ? -1 : n; }

bool CheckPoolIntegrity(std::string* why) {
  PoolState& st = ThePoolState();
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
