#pragma once

// The row work of the page reduction (CPageBitmap::ScaleFrom): folding a band of
// source rows into column sums or minimums, the box value at every column, and the
// pick of the target's columns. Internal to the display layer.

#include "platform/WinTypes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace reduction {

// The source as the boxes read it: linear addresses, a row's end running on into
// the next row, and white beyond the last byte of the buffer.
struct SourceView
{
    const BYTE *pixels;
    std::uint64_t width;
    std::uint64_t bytes;

    // How many of span bytes from address start lie inside the buffer.
    std::size_t inside(std::uint64_t start, std::size_t span) const
    {
        if (start >= bytes)
            return 0;
        return static_cast<std::size_t>(std::min<std::uint64_t>(span, bytes - start));
    }

    // Whether all rows of the band lie whole inside the buffer.
    bool holds(std::uint64_t bandStart, std::uint32_t rows, std::size_t span) const
    {
        return inside(bandStart + (rows - 1) * width, span) == span;
    }
};

// Column starts of one call. Most zooms step by a whole number of columns (2 at
// 50%, 3 at 33% of an even page), which lets the pick run as a strided copy
// instead of a table lookup.
struct Columns
{
    std::vector<std::uint32_t> starts;
    std::uint32_t step = 0; // 0: not a whole-number progression from column 0
    std::size_t span = 0;   // source columns the boxes reach, from column 0
};

// Exact sum / d for every sum up to 255 * d: a multiply and shift for the usual
// boxes (d <= 65536 keeps sum * (2^40 / d) in 64 bits and its error below 1 / d).
class BoxDivider
{
public:
    explicit BoxDivider(std::uint32_t divisor)
        : m_divisor(divisor)
        , m_multiplier(divisor <= 65536 ? ((std::uint64_t{1} << 40) + divisor - 1) / divisor : 0)
    {
    }
    std::uint32_t operator()(std::uint32_t sum) const
    {
        if (m_multiplier)
            return static_cast<std::uint32_t>((sum * m_multiplier) >> 40);
        return sum / m_divisor;
    }

private:
    std::uint32_t m_divisor;
    std::uint64_t m_multiplier;
};

// sum / d as ((sum * multiplier) >> 16) >> shift on 16-bit lanes, which vectorises.
// Checked against the division for every sum a box can have; not exact when no
// such pair exists (boxes above 128 pixels), and then the 32-bit rows run.
struct LaneDivider
{
    std::uint16_t multiplier = 0;
    unsigned shift = 0;
    bool exact = false;
};
LaneDivider laneDivider(std::uint32_t divisor);

// sums[c] / mins[c] over the band's rows for every column up to span.
void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, std::uint16_t *sums);
void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, std::uint32_t *sums);
void minColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, BYTE *mins);

// The value of the kx-wide box starting at every column up to count: the mean
// (kx 3 or 4), or 0 when the box holds a black pixel and 255 otherwise (kx 1 to 4).
void meanPerColumn(std::uint32_t kx, const std::uint16_t *sums, std::size_t count,
                   LaneDivider divide, BYTE *means);
void blackPerColumn(std::uint32_t kx, const BYTE *mins, std::size_t count, BYTE *blacks);
// out[x] = the mean of the 3-wide box at column step * x (step 2 or 3), for width
// target columns: the mean and the pick in one pass, for 50% and 33%.
void meanAtStep(std::uint32_t step, const std::uint16_t *sums, std::size_t width,
                LaneDivider divide, BYTE *out);
// 50% with smoothing, the viewer's usual zoom: out[x] = the mean of the 3 x 3 box at
// column 2x of the three rows from top, stride bytes apart, straight from the
// source. Every row must hold 2 x width + 1 bytes; the divider must be exact for 9.
void halfRowMeans(const BYTE *top, std::size_t stride, std::size_t width, LaneDivider divide,
                  BYTE *out);

// out[x] = perColumn[starts[x]]
void pickColumns(const BYTE *perColumn, const Columns &columns, BYTE *out);

// One target row straight from the column sums or minimums, for boxes of any size;
// prefix holds span + 1 entries.
template <typename Sum>
void meanRow(const Sum *sums, const Columns &columns, std::uint32_t kx, const BoxDivider &divide,
             std::uint32_t *prefix, BYTE *out);
void blackRow(const BYTE *mins, const Columns &columns, std::uint32_t kx, std::uint32_t *prefix,
              BYTE *out);

} // namespace reduction
