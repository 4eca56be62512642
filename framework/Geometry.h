#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

using CString = QString;

struct CSize
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;

    CSize() = default;
    CSize(std::int32_t width, std::int32_t height)
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

    CPoint() = default;
    CPoint(std::int32_t px, std::int32_t py)
        : x(px)
        , y(py)
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

    CRect() = default;
    CRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
        : left(l)
        , top(t)
        , right(r)
        , bottom(b)
    {
    }
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool operator==(const CRect &) const = default;
};

CRect fromQRect(const QRect &rect);

// The platform's rule: src1 minus src2 when src2 covers src1 completely across one
// direction (the rest is then one rectangle), else src1 whole. FALSE when the result is empty.
bool SubtractRect(CRect *dst, const CRect &src1, const CRect &src2);
// Swaps the edges of a rectangle given right-to-left or bottom-to-top.
CRect NormalizedRect(CRect rect);
