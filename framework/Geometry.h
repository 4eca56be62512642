#pragma once

#include <QString>

#include <cstdint>

using CString = QString;

// Constructors rather than aggregates: parenthesised initialisation of an aggregate is
// C++20 that not every compiler (nor every editor's parser) accepts yet.
struct CSize
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    constexpr CSize() = default;
    constexpr CSize(std::int32_t width, std::int32_t height)
        : cx(width)
        , cy(height)
    {
    }
    bool operator==(const CSize &) const = default;
};

struct CPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    constexpr CPoint() = default;
    constexpr CPoint(std::int32_t left, std::int32_t top)
        : x(left)
        , y(top)
    {
    }
    bool operator==(const CPoint &) const = default;
};

// Right and bottom are exclusive, as in the framework this stands in for.
struct CRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    constexpr CRect() = default;
    constexpr CRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
        : left(l)
        , top(t)
        , right(r)
        , bottom(b)
    {
    }
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool operator==(const CRect &) const = default;
};
