// core/dependents.cpp — dependents lists of cell records with an index for long lists.
//
// A list is a singly linked chain of 8-byte pool nodes. Removal needs the node before the
// removed one: short lists are scanned for it; once a scan has to go further than
// kScanLimit nodes, the list gets an index that maps each dependent to the node before its own
// (0: its node is the head). Adding at the head changes the predecessor of one entry (the old
// head's), removing a node that of one entry (the next node's), so the index stays exact at
// O(1) per change. Indexes live outside the pool and are keyed by cell handle; any release of
// pool pages (a closed sheet, a reset) may reuse handles, so all indexes are dropped whenever the
// pool's generation moves on and rebuilt when next needed.
// Reads and writes: the dependents field of cell records, dependency nodes, DependentsState.
#include "core/dependents.h"

#include <cstdio>
#include <new>
#include <unordered_map>

#include "core/cell_store.h"

namespace {

constexpr int kScanLimit = 16;

using Index = std::unordered_map<PoolHandle, PoolHandle>;  // dependent -> node before its node

struct DependentsState {
  std::unordered_map<PoolHandle, Index> indexes;  // by target cell
  uint64_t generation = 0;                         // the pool generation they belong to
};

DependentsState& Dependents() {
  static DependentsState* state = new DependentsState();
  return *state;
}

// The indexes, emptied first when pool pages were released since they were made.
std::unordered_map<PoolHandle, Index>& Indexes() {
  DependentsState& st = Dependents();
  if (st.generation != PoolGeneration()) {
    st.indexes.clear();
    st.generation = PoolGeneration();
  }
  return st.indexes;
}

void SetNodeNext(PoolHandle node, PoolHandle next) { std::memcpy(PoolPtr(node) + 4, &next, 4); }

// Unlinks `node` (whose predecessor is `before`, 0 for the head) from the list of `t`.
void UnlinkNode(CellRecord* t, PoolHandle before, PoolHandle node) {
  const PoolHandle after = DependentNodeNext(node);
  if (before) {
    SetNodeNext(before, after);
  } else {
    t->dependents = after;
  }
  PoolFree(node, kDependencyNodeSize);
}

// Builds the index of a list. Gives null when memory for it cannot be had.
Index* BuildIndex(PoolHandle target) {
  try {
    Index index;
    PoolHandle before = 0;
    for (PoolHandle node = CellAt(target)->dependents; node; node = DependentNodeNext(node)) {
      index.emplace(DependentNodeCell(node), before);
      before = node;
    }
    return &(Indexes()[target] = std::move(index));
  } catch (const std::bad_alloc&) {
    Indexes().erase(target);
    return nullptr;
  }
}

void RemoveIndexed(CellRecord* t, Index& index, PoolHandle dependent) {
  auto it = index.find(dependent);
  if (it == index.end()) return;
  const PoolHandle before = it->second;
  const PoolHandle node = before ? DependentNodeNext(before) : t->dependents;
  index.erase(it);
  const PoolHandle after = DependentNodeNext(node);
  if (after) index[DependentNodeCell(after)] = before;
  UnlinkNode(t, before, node);
}

}  // namespace

bool AddDependent(PoolHandle target, PoolHandle dependent) {
  CellRecord* t = CellAt(target);
  const PoolHandle head = t->dependents;
  if (head && DependentNodeCell(head) == dependent) return true;
  const PoolHandle node = PoolAlloc(kDependencyNodeSize);
  if (!node) return false;
  std::memcpy(PoolPtr(node), &dependent, 4);
  SetNodeNext(node, head);
  t->dependents = node;
  auto& indexes = Indexes();
  if (!indexes.empty()) {
    auto it = indexes.find(target);
    if (it != indexes.end()) {
      try {
        if (head) it->second[DependentNodeCell(head)] = node;
        it->second[dependent] = 0;
      } catch (const std::bad_alloc&) {
        indexes.erase(it);  // rebuilt when next needed
      }
    }
  }
  return true;
}

void RemoveDependent(PoolHandle target, PoolHandle dependent) {
  CellRecord* t = CellAt(target);
  auto& indexes = Indexes();
  if (!indexes.empty()) {
    auto it = indexes.find(target);
    if (it != indexes.end()) {
      RemoveIndexed(t, it->second, dependent);
      return;
    }
  }
  PoolHandle before = 0;
  int steps = 0;
  for (PoolHandle node = t->dependents; node; before = node, node = DependentNodeNext(node)) {
    if (DependentNodeCell(node) == dependent) {
      UnlinkNode(t, before, node);
      return;
    }
    if (++steps == kScanLimit) break;
  }
  if (steps < kScanLimit) return;  // the whole list was seen
  if (Index* index = BuildIndex(target)) {
    RemoveIndexed(t, *index, dependent);
    return;
  }
  // No memory for an index: scan the rest of the list.
  for (PoolHandle node = DependentNodeNext(before); node;
       before = node, node = DependentNodeNext(node)) {
    if (DependentNodeCell(node) == dependent) {
      UnlinkNode(t, before, node);
      return;
    }
  }
}

void FreeDependents(PoolHandle target) {
  CellRecord* t = CellAt(target);
  PoolHandle node = t->dependents;
  while (node) {
    const PoolHandle next = DependentNodeNext(node);
    PoolFree(node, kDependencyNodeSize);
    node = next;
  }
  t->dependents = 0;
  auto& indexes = Indexes();
  if (!indexes.empty()) indexes.erase(target);
}

bool DependentsIndexed(PoolHandle target) { return Indexes().count(target) != 0; }

bool CheckDependentIndexes(std::string* why) {
  auto fail = [why](PoolHandle target, const char* text) {
    if (why) {
      char buffer[96];
      std::snprintf(buffer, sizeof buffer, "index of cell %u: %s", target, text);
      *why = buffer;
    }
    return false;
  };
  for (const auto& [target, index] : Indexes()) {
    size_t nodes = 0;
    PoolHandle before = 0;
    for (PoolHandle node = CellAt(target)->dependents; node; node = DependentNodeNext(node)) {
      auto it = index.find(DependentNodeCell(node));
      if (it == index.end()) return fail(target, "a dependent is not indexed");
      if (it->second != before) return fail(target, "a recorded predecessor is wrong");
      before = node;
      ++nodes;
    }
    if (nodes != index.size()) return fail(target, "the index holds dependents no longer listed");
  }
  return true;
}

void ResetDependents() {
  Dependents().indexes.clear();
  Dependents().generation = PoolGeneration();
}
