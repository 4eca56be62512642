#pragma once

// The directory chain of a TIFF file, walked once per file state and remembered,
// so that page N opens as directly as page 1.
//
// The memory is per process: a few files, each keyed by its identity and state
// (device, inode, size, modification and change times, the header's byte order and
// first directory offset), guarded by a lock since any thread may read pages. It
// is dropped on any mismatch. A remembered offset is only a place to seek: the
// directory's entry count and link are read again and compared before use, and
// libtiff then reads the directory with every check it makes on a cold open.

#include "imaging/DataSource.h"

#include <cstddef>
#include <cstdint>

// Pages the count reports at most; one more directory is walked to tell a longer
// chain from one that ends there.
constexpr std::uint32_t MAX_PAGE_COUNT = 65535;

// Directories remembered per file and files remembered: 65536 directories of 12
// bytes each, so the memory stays under 4 MiB whatever the files hold.
constexpr std::uint32_t MAX_REMEMBERED_DIRECTORIES = MAX_PAGE_COUNT + 1;
constexpr std::size_t MAX_REMEMBERED_FILES = 4;

struct ChainCount
{
    std::uint32_t pages = 0; // saturating at MAX_PAGE_COUNT
    bool more = false;       // the chain goes on past MAX_PAGE_COUNT directories
};

// The page count, from memory or from one walk along the chain that fills the
// memory. Counts as libtiff's own walk does: up to a directory whose count or link
// cannot be read, or one whose offset came before. Zeros with 20 in `status` when
// libtiff cannot open the data.
ChainCount chainPageCount(SourceRef &source, std::uint32_t &status);

// libtiff on the source with directory `page` current. From memory when the file
// has it (page 1 and page 10000 cost the same), else the first directory and a walk
// along the chain. Null with 2 (not TIFF) or 5 (no such page) in `status`.
TIFF *openTiffAtPage(SourceRef &source, std::int32_t page, std::uint32_t &status);
// The same for entry points that read a page's tags alone: null with 5 for a negative
// page or no such page, 20 where the data is not TIFF.
TIFF *openTagsAtPage(SourceRef &source, std::int32_t page, std::uint32_t &status);

// Directories remembered over all files; for tests of the bounds.
std::size_t rememberedDirectoryCount();
// Forgets every file.
void forgetDirectoryChains();
