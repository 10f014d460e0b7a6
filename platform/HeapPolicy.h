#pragma once
// How the process's heap treats the large blocks of memory that pictures use.
//
// Every round makes its balloons' pictures, a few dozen blocks of up to a few
// hundred kilobytes each at 4K, and frees them when it ends. Left alone, the
// C library gives blocks of that size straight back to the system and takes
// fresh ones for the next round, and every page of them faults in again: on a
// virtual machine that costs several times what drawing the pictures does.
// With this policy such blocks, and freed memory at the top of the heap up to
// a bound, stay with the process for the next round; blocks larger than any
// picture of a balloon (the playfield's own surfaces) still come from and go
// back to the system.
//
// Call once at program start, before other threads exist. Without the GNU C
// library it does nothing.
#include <cstddef>

// Blocks from this size on are mapped from the system one by one.
constexpr std::size_t SeparateBlockBytes = std::size_t(4) << 20;
// Freed memory the heap keeps at its top before it gives any back.
constexpr std::size_t KeptFreeBytes = std::size_t(64) << 20;

void KeepPictureMemoryForReuse();
