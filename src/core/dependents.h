// core/dependents.h — the dependents list of a cell record.
//
// Every cell record carries the chain of the formula cells whose code refers to it: 8-byte pool
// nodes, the dependent cell's handle then the next node. New dependents go to the head. Removing
// one dependent of a cell with a short list scans it; a list too long for that gets an index
// (outside the pool) from each dependent to the node before its own, built the first time it is
// needed and kept in step afterwards, so removing n dependents of one cell costs O(n). The nodes
// are internal: no file holds them.
// State: DependentsState (the indexes of long lists).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "core/pool.h"

constexpr uint32_t kDependencyNodeSize = 8;  // dependent cell, next node

inline PoolHandle DependentNodeCell(PoolHandle node) {
  PoolHandle h;
  std::memcpy(&h, PoolPtr(node), 4);
  return h;
}
inline PoolHandle DependentNodeNext(PoolHandle node) {
  PoolHandle h;
  std::memcpy(&h, PoolPtr(node) + 4, 4);
  return h;
}

// Puts `dependent` at the head of the list of `target` unless it is the head already. Gives
// false when the pool cannot hold the node (its out-of-memory flag tells).
bool AddDependent(PoolHandle target, PoolHandle dependent);
// Takes `dependent` out of the list of `target` and frees its node; nothing when not listed.
void RemoveDependent(PoolHandle target, PoolHandle dependent);
// Frees the whole list of `target` (the record is going away).
void FreeDependents(PoolHandle target);

// Whether the list of `target` carries an index (tests and the checker).
bool DependentsIndexed(PoolHandle target);
// Checks every index against its list: each indexed dependent's recorded predecessor is the node
// before its node, and every node of the list is indexed. Gives false and a reason on a fault.
bool CheckDependentIndexes(std::string* why = nullptr);
// Drops every index (start-up and tests).
void ResetDependents();
