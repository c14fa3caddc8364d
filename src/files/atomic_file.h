// files/atomic_file.h — the one writer of every exported file.
//
// The new contents go to a temporary file in the same directory, are flushed and synced, and
// only then renamed over the target, so a failed export leaves the previous file as it was.
// State: the fault injected by tests (below).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Writes `bytes` as the file `path`. A file there keeps its permissions; a new one gets the
// usual ones. Gives false (the target untouched, no temporary left behind) when any step fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Fault injection for tests: the next writes stop after `bytes` bytes and fail, as a full disk
// would. `kNoWriteFault` turns it off (also ResetAtomicFileFault).
constexpr size_t kNoWriteFault = static_cast<size_t>(-1);
void SetAtomicWriteFault(size_t bytes);
void ResetAtomicFileFault();
