// core/pool.h — the cell pool: 8192-byte pages owned by one worksheet heap each.
//
// Every cell record, text, dependency node, name entry and undo node of a worksheet is a block
// of this pool. A block is named by a 32-bit handle, (page slot << 13) | offset, 0 meaning none;
// handles stay valid until the block is freed, and page memory never moves. Inside a page the
// free blocks form a circular first-fit list in address order, merged on free.
// State: the page table, the free counter, the current heap, the out-of-memory flag.
#pragma once

#include <cstdint>
#include <string>

using PoolHandle = uint32_t;
constexpr PoolHandle kNoBlock = 0;

constexpr uint32_t kPoolPageSize = 8192;
constexpr uint32_t kPoolMaxPages = 4080;          // page slots 1..4080
constexpr int64_t kPoolReportedTotal = 66842640;  // the fixed figure PoolFreeBytes counts down
constexpr uint32_t kPoolPageFreeBytes = 7928;  // one free block at offset 4 on a fresh page
constexpr uint32_t kPoolLargestBlock = 7927;    // rounds to the whole fresh block

namespace pool_detail {
// Memory of each page slot, or null. Exposed only so that PoolPtr can be inline.
extern uint8_t* pageMemory[kPoolMaxPages + 1];
}  // namespace pool_detail

// Address of a block. The handle must name a live block (or be 0, giving null).
inline uint8_t* PoolPtr(PoolHandle h) {
  return h ? pool_detail::pageMemory[h >> 13] + (h & 0x1FFF) : nullptr;
}

// Rounded size a request of `size` bytes takes: (size & ~3) + 4.
inline uint32_t PoolRoundedSize(uint32_t size) { return (size & ~3u) + 4; }

// Allocates `size` bytes (1..kPoolLargestBlock) on a page of the current heap. Gives 0 and sets
// the out-of-memory flag when the pool is exhausted (or fault injection says so). Contents are
// not cleared.
PoolHandle PoolAlloc(uint32_t size);
// Frees a block; `size` is the size that was asked for when it was allocated.
void PoolFree(PoolHandle block, uint32_t size);

// A new heap number for a new worksheet.
uint16_t PoolNewHeap();
void PoolSetHeap(uint16_t heap);
uint16_t PoolCurrentHeap();
// Returns every page of that heap, with its memory; handles into them become invalid.
void PoolReleaseHeap(uint16_t heap);

// kPoolReportedTotal minus the bytes in use on all owned pages.
int64_t PoolFreeBytes();
// True while PoolFreeBytes() exceeds 16000. Loaders test it between records.
bool EnoughMemory();
bool PoolOutOfMemory();
void PoolClearOutOfMemory();

// Capacity in bytes (pages allowed times 8192).
int64_t PoolCapacity();

// Empties the pool completely and sizes it from the platform's physical memory. `maxPages`
// (when not 0) caps the number of pages, for tests of exhaustion.
void PoolReset(uint32_t maxPages = 0);

// A counter that moves on whenever pages are released (a heap released, the pool reset), after
// which handles may name other blocks: caches keyed by handles compare it to stay valid.
uint64_t PoolGeneration();

// Fault injection: the allocation after `n` more successful ones fails (negative: never).
void PoolFailAfter(int n);

// Walks every page's free list: in address order, inside the page, no two neighbours unmerged,
// free plus used bytes adding up. Gives false and a reason on the first fault.
bool CheckPoolIntegrity(std::string* why = nullptr);
