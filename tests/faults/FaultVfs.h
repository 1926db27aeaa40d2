// A SQLite VFS that wraps the default one and fails one chosen operation: the N-th file read,
// lock or open after it is armed. Everything else is passed to the wrapped VFS unchanged.
#pragma once

#include <cstdint>

namespace FaultVfs {

// Registers the wrapper as the default VFS (once); connections opened afterwards use it.
void Install();

// Counts reads, locks and opens from now on and fails the n-th (n >= 1); 0 only counts.
void Arm(std::int64_t n);
// Stops counting and failing.
void Disarm();
// The operations counted since the last Arm, and whether the chosen one was failed.
std::int64_t Counted();
bool Fired();
// The operations counted since the last Arm, by kind.
struct Kinds {
    std::int64_t reads = 0, locks = 0, opens = 0;
};
Kinds CountedByKind();

} // namespace FaultVfs
