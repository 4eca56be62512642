#include "display/PageBitmap.h"

#include <algorithm>
#include <bit>
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

    // Whether all rows of the band are whole inside the buffer.
    bool holds(std::uint64_t bandStart, std::uint32_t rows, std::size_t span) const
    {
        return inside(bandStart + (rows - 1) * width, span) == span;
    }
};

template <typename Sum>
void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, Sum *sums)
{
    if (rows == 3 && source.holds(bandStart, rows, span)) {
        const BYTE *a = source.pixels + bandStart;
        const BYTE *b = a + source.width;
        const BYTE *c = b + source.width;
        for (std::size_t i = 0; i < span; ++i)
            sums[i] = static_cast<Sum>(a[i] + b[i] + c[i]);
        return;
    }
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
    if (rows == 2 && source.holds(bandStart, rows, span)) {
        const BYTE *a = source.pixels + bandStart;
        const BYTE *b = a + source.width;
        for (std::size_t i = 0; i < span; ++i)
            mins[i] = std::min(a[i], b[i]);
        return;
    }
    std::fill(mins, mins + span, BYTE{255});
    for (std::uint32_t j = 0; j < rows; ++j) {
        const std::uint64_t start = bandStart + j * source.width;
        const std::size_t n = source.inside(start, span);
        const BYTE *row = n ? source.pixels + start : nullptr;
        for (std::size_t c = 0; c < n; ++c)
            mins[c] = std::min(mins[c], row[c]);
    }
}

// Column starts of one call. Most zooms step by a whole number of columns (2 at
// 50%, 3 at 33% of an even page), which lets the per-pixel pick run as a strided
// copy instead of a table lookup.
struct Columns
{
    std::vector<std::uint32_t> starts;
    std::uint32_t step = 0; // 0: not a whole-number progression
    std::size_t span = 0;   // source columns the boxes reach, from column 0
};

Columns planColumns(std::uint32_t width, double rx, std::uint32_t kx)
{
    Columns columns;
    columns.starts = columnStarts(width, rx);
    const std::vector<std::uint32_t> &starts = columns.starts;
    columns.span = std::size_t{starts.back()} + kx; // starts never decrease
    const std::uint32_t step = starts.size() > 1 ? starts[1] - starts[0] : 1;
    bool regular = starts[0] == 0;
    for (std::size_t x = 1; regular && x < starts.size(); ++x)
        regular = starts[x] == x * step;
    columns.step = regular ? step : 0;
    return columns;
}

// out[x] = perColumn[starts[x]]
void pickColumns(const BYTE *perColumn, const Columns &columns, BYTE *out)
{
    const std::size_t width = columns.starts.size();
    switch (columns.step) {
    case 1:
        std::memcpy(out, perColumn, width);
        return;
    case 2:
        for (std::size_t x = 0; x < width; ++x)
            out[x] = perColumn[2 * x];
        return;
    case 3:
        for (std::size_t x = 0; x < width; ++x)
            out[x] = perColumn[3 * x];
        return;
    default:
        for (std::size_t x = 0; x < width; ++x)
            out[x] = perColumn[columns.starts[x]];
    }
}

// sum / d computed as ((sum * multiplier) >> 16) >> shift on 16-bit lanes, which
// vectorises. Found once per call and checked against the division for every sum
// a box can have; without an exact pair the scalar path runs.
struct LaneDivider
{
    std::uint16_t multiplier = 0;
    unsigned shift = 0;
    bool exact = false;
};

bool dividesExactly(std::uint32_t divisor, std::uint32_t multiplier, unsigned shift)
{
    for (std::uint32_t sum = 0; sum <= 255 * divisor; ++sum)
        if (((sum * multiplier) >> (16 + shift)) != sum / divisor)
            return false;
    return true;
}

// Shift 0 serves the usual boxes (up to 16 pixels) with one high multiply; larger
// boxes need the shift, and boxes above 128 pixels have no exact pair.
LaneDivider laneDivider(std::uint32_t divisor)
{
    if (divisor < 2 || divisor > 128)
        return {};
    const auto ceilLog2 = static_cast<unsigned>(std::bit_width(divisor - 1));
    for (unsigned shift : {0u, ceilLog2 - 1}) {
        const std::uint32_t multiplier = ((1u << (16 + shift)) + divisor - 1) / divisor;
        if (multiplier <= 0xFFFF && dividesExactly(divisor, multiplier, shift))
            return {static_cast<std::uint16_t>(multiplier), shift, true};
    }
    return {};
}

// The mean of the K-wide box starting at every column up to count.
template <std::uint32_t K, bool Shifted>
void meanPerColumn(const std::uint16_t *sums, std::size_t count, LaneDivider divide, BYTE *means)
{
    const std::uint16_t multiplier = divide.multiplier;
    const unsigned shift = divide.shift;
    for (std::size_t c = 0; c < count; ++c) {
        std::uint16_t sum = sums[c];
        for (std::uint32_t i = 1; i < K; ++i)
            sum = static_cast<std::uint16_t>(sum + sums[c + i]);
        const auto high = static_cast<std::uint16_t>((std::uint32_t{sum} * multiplier) >> 16);
        means[c] = static_cast<BYTE>(Shifted ? high >> shift : high);
    }
}

template <std::uint32_t K>
void meanPerColumn(const std::uint16_t *sums, std::size_t count, LaneDivider divide, BYTE *means)
{
    if (divide.shift == 0)
        meanPerColumn<K, false>(sums, count, divide, means);
    else
        meanPerColumn<K, true>(sums, count, divide, means);
}

// 0 where the K-wide box starting at the column holds a black pixel, else 255.
template <std::uint32_t K> void blackPerColumn(const BYTE *mins, std::size_t count, BYTE *blacks)
{
    for (std::size_t c = 0; c < count; ++c) {
        BYTE least = mins[c];
        for (std::uint32_t i = 1; i < K; ++i)
            least = std::min(least, mins[c + i]);
        blacks[c] = least == 0 ? 0 : 255;
    }
}

template <typename Sum>
void meanRow(const Sum *sums, const std::uint32_t *starts, std::uint32_t width, std::uint32_t kx,
             const BoxDivider &divide, BYTE *out)
{
    for (std::uint32_t x = 0; x < width; ++x) {
        const Sum *s = sums + starts[x];
        std::uint32_t total = 0;
        for (std::uint32_t i = 0; i < kx; ++i)
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
    Columns columns;

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

// Boxes up to 4 wide whose sum fits 16 bits and divides exactly on 16-bit lanes:
// per row, the column sums, then the mean at every column, then the pick.
template <std::uint32_t K> void reduceMeanNarrow(const Reduction &r, LaneDivider divide, BYTE *out)
{
    std::vector<std::uint16_t> sums(r.columns.span);
    const std::size_t count = r.columns.span - K + 1;
    std::vector<BYTE> means(count);
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        sumColumns(r.source, bandStart, r.box.ky, r.columns.span, sums.data());
        meanPerColumn<K>(sums.data(), count, divide, means.data());
        pickColumns(means.data(), r.columns, row);
    });
}

template <typename Sum> void reduceMean(const Reduction &r, BYTE *out)
{
    const std::size_t span = r.columns.span;
    std::vector<Sum> sums(span);
    std::vector<std::uint32_t> prefix(r.box.kx > 4 ? span + 1 : 0);
    const BoxDivider divide(r.box.kx * r.box.ky);
    const std::uint32_t *starts = r.columns.starts.data();
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        sumColumns(r.source, bandStart, r.box.ky, span, sums.data());
        if (r.box.kx > 4)
            wideMeanRow(sums.data(), span, prefix.data(), starts, r.width, r.box.kx, divide, row);
        else
            meanRow(sums.data(), starts, r.width, r.box.kx, divide, row);
    });
}

void reduceSmooth(const Reduction &r, BYTE *out)
{
    const LaneDivider lane = laneDivider(r.box.kx * r.box.ky);
    if (lane.exact && r.box.kx == 3)
        reduceMeanNarrow<3>(r, lane, out);
    else if (lane.exact && r.box.kx == 4)
        reduceMeanNarrow<4>(r, lane, out);
    else if (r.box.ky <= 257) // 257 x 255 still fits 16 bits
        reduceMean<std::uint16_t>(r, out);
    else
        reduceMean<std::uint32_t>(r, out);
}

template <std::uint32_t K> void reduceBlackNarrow(const Reduction &r, BYTE *out)
{
    std::vector<BYTE> mins(r.columns.span);
    const std::size_t count = r.columns.span - K + 1;
    std::vector<BYTE> blacks(count);
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        minColumns(r.source, bandStart, r.box.ky, r.columns.span, mins.data());
        blackPerColumn<K>(mins.data(), count, blacks.data());
        pickColumns(blacks.data(), r.columns, row);
    });
}

// Without smoothing only whether a box holds a 0 matters: the column minimums of
// the band answer it for every box.
void reduceSharp(const Reduction &r, BYTE *out)
{
    switch (r.box.kx) {
    case 1:
        return reduceBlackNarrow<1>(r, out);
    case 2:
        return reduceBlackNarrow<2>(r, out);
    case 3:
        return reduceBlackNarrow<3>(r, out);
    case 4:
        return reduceBlackNarrow<4>(r, out);
    }
    const std::size_t span = r.columns.span;
    std::vector<BYTE> mins(span);
    std::vector<std::uint32_t> prefix(span + 1);
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        minColumns(r.source, bandStart, r.box.ky, span, mins.data());
        wideBlackRow(mins.data(), span, prefix.data(), r.columns.starts.data(), r.width, r.box.kx,
                     row);
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

    const BoxPlan box = planBox(rx, ry, height, smooth != 0);
    const Reduction r{{from.get(), sourceWidth, std::uint64_t{sourceWidth} * sourceHeight},
                      width,
                      ry,
                      box,
                      planColumns(width, rx, box.kx)};
    BYTE *out = target.get();
    if (smooth)
        reduceSmooth(r, out);
    else
        reduceSharp(r, out);
    std::memset(out + std::size_t{box.computedRows} * width, 255,
                std::size_t{box.whiteRows} * width);
    return IMG_OK;
}
