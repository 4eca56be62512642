#pragma once

#include "display/PageBitmap.h"

#include <cstdint>
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
