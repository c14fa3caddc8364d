// core/pool.h — the cell pool: 8192-byte pages owned by one worksheet heap each.
//
// Every cell record, text, dependency node and name entry of a worksheet is a block of this
// pool (the undo journal lives outside it). The pool grows page by page up to its limit. A block is named by a 32-bit handle, (page slot << 13) | offset, 0 meaning none;
// handles stay valid until the block is freed, and page memory never moves. Inside a page the
// free blocks form a circular first-fit list in address order, merged on free.
// State: the page table, the free counter, the current heap, the out-of-memory flag.
#pragma once

#include <cstdint>
#include <string>

using PoolHandle = uint32_t;
constexpr PoolHandle kNoBlock = 0;

constexpr uint32_t kPoolPageSize = 8192;
// Page slots 1..131071: a formula's cell operand holds a handle in 30 bits, (page << 13) | offset,
// which caps the pool at 1 GiB.
constexpr uint32_t kPoolMaxPages = (1u << 17) - 1;
constexpr uint64_t kPoolDefaultLimit = uint64_t(1) << 30;  // bytes
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

// The capacity minus the bytes in use on all owned pages.
int64_t PoolFreeBytes();
// True while PoolFreeBytes() exceeds 16000. Loaders test it between records.
bool EnoughMemory();
bool PoolOutOfMemory();
void PoolClearOutOfMemory();

// Capacity in bytes (pages allowed times 8192): the limit, or the machine's physical memory when
// that is smaller. Pages are taken from the system only as they are needed.
int64_t PoolCapacity();

// Sets the limit of the pool in bytes (a setting; default kPoolDefaultLimit), rounded down to
// whole pages, at least one page and at most kPoolMaxPages pages. Pages in use above a lowered
// limit stay until they are freed.
void SetPoolLimit(uint64_t bytes);
uint64_t PoolLimit();

// Empties the pool completely and sizes it from the limit and the platform's physical memory.
// `maxPages` (when not 0) caps the number of pages, for tests of exhaustion.
void PoolReset(uint32_t maxPages = 0);

// A counter that moves on whenever pages are released (a heap released, the pool reset), after
// which handles may name other blocks: caches keyed by handles compare it to stay valid.
uint64_t PoolGeneration();

// Fault injection: the allocation after `n` more successful ones fails (negative: never).
void PoolFailAfter(int n);

// Walks every page's free list: in address order, inside the page, no two neighbours unmerged,
// free plus used bytes adding up. Gives false and a reason on the first fault.
bool CheckPoolIntegrity(std::string* why = nullptr);
