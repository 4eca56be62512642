#include "display/PageBitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

// The reduction walks the target in storage order with running double positions.
// Every target row of a call starts its column walk at 0.0 and adds the same ratio,
// so the column starts are the same for every row: they are computed once into a
// table with the very same additions. For each target row the box's source rows are
// folded into one line of column sums (or column minimums), which neighbouring boxes
// share; each target pixel then adds Kx of them.

namespace {

// Ratio products above this are refused: the box sum of 255s stays within 32 bits.
constexpr double MAX_BOX_PIXELS = 16777216.0;

struct BoxPlan
{
    std::uint32_t kx;
    std::uint32_t ky;
    std::uint32_t computedRows;
    std::uint32_t whiteRows;
};

BoxPlan planBox(double rx, double ry, std::uint32_t height, bool smooth)
{
    BoxPlan plan{static_cast<std::uint32_t>(rx), static_cast<std::uint32_t>(ry), height, 0};
    // Averaging fewer than 3 x 3 pixels of a bilevel page gives too few grey
    // levels; the widened box would run off the bottom, so those rows are white.
    if (smooth) {
        std::uint32_t white = 0;
        if (plan.kx < 2 || plan.ky < 2)
            white = 2;
        else if (plan.kx < 3 || plan.ky < 3)
            white = 1;
        if (white) {
            plan.kx = plan.ky = 3;
            plan.whiteRows = std::min(white, height);
        }
    }
    plan.computedRows = height - plan.whiteRows;
    return plan;
}

// Round half down: a fraction of exactly 0.5 stays on the lower column.
std::vector<std::uint32_t> columnStarts(std::uint32_t width, double rx)
{
    std::vector<std::uint32_t> starts(width);
    double fx = 0.0;
    for (std::uint32_t x = 0; x < width; ++x) {
        std::uint32_t x0 = static_cast<std::uint32_t>(fx);
        if (fx - x0 > 0.5)
            ++x0;
        starts[x] = x0;
        fx += rx;
    }
    return starts;
}

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
};

template <typename Sum>
void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, Sum *sums)
{
    for (std::uint32_t j = 0; j < rows; ++j) {
        const std::uint64_t start = bandStart + j * source.width;
        const std::size_t n = source.inside(start, span);
        const BYTE *row = n ? source.pixels + start : nullptr;
        if (j == 0) {
            for (std::size_t c = 0; c < n; ++c)
                sums[c] = row[c];
            std::fill(sums + n, sums + span, Sum{255});
        } else {
            for (std::size_t c = 0; c < n; ++c)
                sums[c] = static_cast<Sum>(sums[c] + row[c]);
            for (std::size_t c = n; c < span; ++c)
                sums[c] = static_cast<Sum>(sums[c] + 255);
        }
    }
}

void minColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, BYTE *mins)
{
    std::fill(mins, mins + span, BYTE{255});
    for (std::uint32_t j = 0; j < rows; ++j) {
        const std::uint64_t start = bandStart + j * source.width;
        const std::size_t n = source.inside(start, span);
        const BYTE *row = n ? source.pixels + start : nullptr;
        for (std::size_t c = 0; c < n; ++c)
            mins[c] = std::min(mins[c], row[c]);
    }
}

template <std::uint32_t K, typename Sum>
void meanRow(const Sum *sums, const std::uint32_t *starts, std::uint32_t width,
             const BoxDivider &divide, BYTE *out)
{
    for (std::uint32_t x = 0; x < width; ++x) {
        const Sum *s = sums + starts[x];
        std::uint32_t total = 0;
        for (std::uint32_t i = 0; i < K; ++i)
            total += s[i];
        out[x] = static_cast<BYTE>(divide(total));
    }
}

// Wide boxes: differences of running column sums. The running sum may wrap, but a
// box's own sum fits 32 bits, so the unsigned difference is exact.
template <typename Sum>
void wideMeanRow(const Sum *sums, std::size_t span, std::uint32_t *prefix,
                 const std::uint32_t *starts, std::uint32_t width, std::uint32_t kx,
                 const BoxDivider &divide, BYTE *out)
{
    prefix[0] = 0;
    for (std::size_t c = 0; c < span; ++c)
        prefix[c + 1] = prefix[c] + sums[c];
    for (std::uint32_t x = 0; x < width; ++x)
        out[x] = static_cast<BYTE>(divide(prefix[starts[x] + kx] - prefix[starts[x]]));
}

template <std::uint32_t K>
void blackRow(const BYTE *mins, const std::uint32_t *starts, std::uint32_t width, BYTE *out)
{
    for (std::uint32_t x = 0; x < width; ++x) {
        const BYTE *m = mins + starts[x];
        BYTE least = m[0];
        for (std::uint32_t i = 1; i < K; ++i)
            least = std::min(least, m[i]);
        out[x] = least == 0 ? 0 : 255;
    }
}

void wideBlackRow(const BYTE *mins, std::size_t span, std::uint32_t *prefix,
                  const std::uint32_t *starts, std::uint32_t width, std::uint32_t kx, BYTE *out)
{
    prefix[0] = 0;
    for (std::size_t c = 0; c < span; ++c)
        prefix[c + 1] = prefix[c] + (mins[c] == 0);
    for (std::uint32_t x = 0; x < width; ++x)
        out[x] = prefix[starts[x] + kx] != prefix[starts[x]] ? 0 : 255;
}

struct Reduction
{
    SourceView source;
    std::uint32_t width;
    double ry;
    BoxPlan box;
    std::vector<std::uint32_t> starts;
    std::size_t span;

    // Walks the computed rows, handing each band's first address to makeRow.
    template <typename MakeRow> void walk(BYTE *out, MakeRow &&makeRow) const
    {
        double fy = 0.0;
        for (std::uint32_t y = 0; y < box.computedRows; ++y, out += width) {
            const std::uint64_t y0 = static_cast<std::uint32_t>(fy);
            makeRow(y0 * source.width, out);
            fy += ry;
        }
    }
};

template <typename Sum> void reduceMean(const Reduction &r, BYTE *out)
{
    std::vector<Sum> sums(r.span);
    std::vector<std::uint32_t> prefix(r.box.kx > 4 ? r.span + 1 : 0);
    const BoxDivider divide(r.box.kx * r.box.ky);
    const std::uint32_t *starts = r.starts.data();
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        sumColumns(r.source, bandStart, r.box.ky, r.span, sums.data());
        // Smoothing boxes are at least 3 wide.
        switch (r.box.kx) {
        case 3:
            return meanRow<3>(sums.data(), starts, r.width, divide, row);
        case 4:
            return meanRow<4>(sums.data(), starts, r.width, divide, row);
        default:
            return wideMeanRow(sums.data(), r.span, prefix.data(), starts, r.width, r.box.kx,
                               divide, row);
        }
    });
}

void reduceBlack(const Reduction &r, BYTE *out)
{
    std::vector<BYTE> mins(r.span);
    std::vector<std::uint32_t> prefix(r.box.kx > 4 ? r.span + 1 : 0);
    const std::uint32_t *starts = r.starts.data();
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        minColumns(r.source, bandStart, r.box.ky, r.span, mins.data());
        switch (r.box.kx) {
        case 1:
            return blackRow<1>(mins.data(), starts, r.width, row);
        case 2:
            return blackRow<2>(mins.data(), starts, r.width, row);
        case 3:
            return blackRow<3>(mins.data(), starts, r.width, row);
        case 4:
            return blackRow<4>(mins.data(), starts, r.width, row);
        default:
            return wideBlackRow(mins.data(), r.span, prefix.data(), starts, r.width, r.box.kx, row);
        }
    });
}

} // namespace

std::uint32_t CPageBitmap::ScaleFrom(CPageBitmap &source, std::uint32_t width, std::uint32_t height,
                                     BOOL smooth)
{
    // Sizes past the signed size type cannot be held; Allocate refuses them.
    constexpr std::uint32_t limit = std::numeric_limits<std::int32_t>::max();
    const CSize size(width <= limit ? static_cast<std::int32_t>(width) : -1,
                     height <= limit ? static_cast<std::int32_t>(height) : -1);
    if (std::uint32_t code = Allocate(size))
        return code;
    PixelAccess target(*this);
    if (!target)
        return IMG_ERR_BAD_PARAM;
    PixelAccess from(source);
    if (!from)
        return IMG_ERR_BAD_PARAM;

    const auto sourceWidth = static_cast<std::uint32_t>(source.m_size.cx);
    const auto sourceHeight = static_cast<std::uint32_t>(source.m_size.cy);
    if (width == 0 || height == 0)
        return IMG_ERR_BAD_PARAM;
    if (width > sourceWidth || height > sourceHeight)
        return IMG_ERR_BAD_PARAM;
    const double rx = static_cast<double>(sourceWidth) / static_cast<double>(width);
    const double ry = static_cast<double>(sourceHeight) / static_cast<double>(height);
    if (rx * ry > MAX_BOX_PIXELS)
        return IMG_ERR_BAD_PARAM;

    Reduction r{{from.get(), sourceWidth, std::uint64_t{sourceWidth} * sourceHeight},
                width,
                ry,
                planBox(rx, ry, height, smooth != 0),
                columnStarts(width, rx),
                0};
    for (std::uint32_t start : r.starts)
        r.span = std::max<std::size_t>(r.span, std::size_t{start} + r.box.kx);

    BYTE *out = target.get();
    if (!smooth)
        reduceBlack(r, out);
    else if (r.box.ky <= 257) // 257 x 255 still fits 16 bits
        reduceMean<std::uint16_t>(r, out);
    else
        reduceMean<std::uint32_t>(r, out);
    std::memset(out + std::size_t{r.box.computedRows} * width, 255,
                std::size_t{r.box.whiteRows} * width);
    return IMG_OK;
}
