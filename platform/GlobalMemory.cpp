#include "platform/GlobalMemory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct BlockTable
{
    std::mutex lock;
    std::unordered_map<void *, std::size_t> sizes;
};

BlockTable &blockTable()
{
    static BlockTable table;
    return table;
}

std::atomic<std::uint64_t> g_allocCalls{0};

} // namespace

HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes)
{
    ++g_allocCalls;
    // A zero-byte block still gets an address of its own, as on the real heap.
    void *block = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1)
                                          : std::malloc(bytes ? bytes : 1);
    if (!block)
        return nullptr;
    BlockTable &table = blockTable();
    std::lock_guard<std::mutex> guard(table.lock);
    table.sizes[block] = bytes;
    return block;
}

std::size_t GlobalSize(HGLOBAL hMem)
{
    if (!hMem)
        return 0;
    BlockTable &table = blockTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.sizes.find(hMem);
    return it == table.sizes.end() ? 0 : it->second;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    if (!hMem)
        return nullptr;
    {
        BlockTable &table = blockTable();
        std::lock_guard<std::mutex> guard(table.lock);
        if (table.sizes.erase(hMem) == 0)
            return hMem;
    }
    std::free(hMem);
    return nullptr;
}

std::uint64_t GlobalAllocCallCount() { return g_allocCalls.load(); }

std::size_t GlobalLiveBlockCount()
{
    BlockTable &table = blockTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.sizes.size();
}
