#pragma once

#include <QString>

#include <cstdint>

using CString = QString;

struct CSize
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    bool operator==(const CSize &) const = default;
};

struct CPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const CPoint &) const = default;
};

// Right and bottom are exclusive, as in the framework this stands in for.
struct CRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool operator==(const CRect &) const = default;
};
