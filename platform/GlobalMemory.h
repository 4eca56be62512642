#pragma once

#include <cstddef>
#include <cstdint>

// Global memory blocks as the imaging layer and the page bitmap hand them around:
// a handle is the block's address, and GlobalSize answers for any pointer, 0 for
// one that is not a live block, so handles can be validated without reading
// memory in front of them.
using HGLOBAL = void *;

constexpr unsigned GMEM_FIXED = 0x0000;
constexpr unsigned GMEM_ZEROINIT = 0x0040;
constexpr unsigned GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Returns null when the heap has no block of that size (never throws).
HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes);
// The size that was asked for, or 0 when hMem is not a live block.
std::size_t GlobalSize(HGLOBAL hMem);
// Null on success; hMem itself when it is not a live block.
HGLOBAL GlobalFree(HGLOBAL hMem);

// Bookkeeping for tests: calls of GlobalAlloc so far, and blocks still live.
std::uint64_t GlobalAllocCallCount();
std::size_t GlobalLiveBlockCount();
