#pragma once

#include "display/PageBitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// A page holding exactly these bytes, width x height.
inline void fillPage(CPageBitmap &page, std::uint32_t width, std::uint32_t height,
                     const std::vector<std::uint8_t> &bytes)
{
    page.Allocate(CSize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)));
    if (page.m_pPixels && !bytes.empty())
        std::memcpy(page.m_pPixels, bytes.data(), bytes.size());
}

inline std::vector<std::uint8_t> pageBytes(const CPageBitmap &page)
{
    if (!page.m_pPixels)
        return {};
    const std::size_t n = std::size_t(page.m_size.cx) * std::size_t(page.m_size.cy);
    return std::vector<std::uint8_t>(page.m_pPixels, page.m_pPixels + n);
}

// Leaves a freed block of this size full of 0x5A, which the heap is likely to hand
// out again for the next block of that size: a block used without being written
// then shows it.
inline void dirtyHeap(std::size_t bytes)
{
    void *volatile block = std::malloc(bytes ? bytes : 1);
    if (block) {
        std::memset(block, 0x5A, bytes);
        std::free(block);
    }
}
