#include "display/PageBitmap.h"

#include "display/ReductionRows.h"
#include "platform/GlobalMemory.h"

#include <algorithm>
#include <cmath>
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

using namespace reduction;

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
// per row, the column sums, the mean at every column, then the pick.
void reduceMeanNarrow(const Reduction &r, LaneDivider divide, BYTE *out)
{
    std::vector<std::uint16_t> sums(r.columns.span);
    const std::size_t count = r.columns.span - r.box.kx + 1;
    std::vector<BYTE> means(count);
    const std::uint32_t step = r.columns.step;
    const bool halving = step == 2 && r.box.kx == 3 && r.box.ky == 3;
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        // Whole boxes inside the buffer skip the column sums; those at the end of
        // the buffer take them, with white beyond it.
        if (halving && r.source.holds(bandStart, 3, r.columns.span)) {
            halfRowMeans(r.source.pixels + bandStart, r.source.width, r.width, divide, row);
            return;
        }
        sumColumns(r.source, bandStart, r.box.ky, r.columns.span, sums.data());
        if (r.box.kx == 3 && (step == 2 || step == 3)) {
            meanAtStep(step, sums.data(), r.width, divide, row);
            return;
        }
        meanPerColumn(r.box.kx, sums.data(), count, divide, means.data());
        pickColumns(means.data(), r.columns, row);
    });
}

template <typename Sum> void reduceMean(const Reduction &r, BYTE *out)
{
    std::vector<Sum> sums(r.columns.span);
    std::vector<std::uint32_t> prefix(r.columns.span + 1);
    const BoxDivider divide(r.box.kx * r.box.ky);
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        sumColumns(r.source, bandStart, r.box.ky, r.columns.span, sums.data());
        meanRow(sums.data(), r.columns, r.box.kx, divide, prefix.data(), row);
    });
}

// Smoothing boxes are at least 3 x 3.
void reduceSmooth(const Reduction &r, BYTE *out)
{
    const LaneDivider lane = laneDivider(r.box.kx * r.box.ky);
    if (lane.exact && r.box.kx <= 4)
        reduceMeanNarrow(r, lane, out);
    else if (r.box.ky <= 257) // 257 x 255 still fits 16 bits
        reduceMean<std::uint16_t>(r, out);
    else
        reduceMean<std::uint32_t>(r, out);
}

// Without smoothing only whether a box holds a 0 matters: the column minimums of
// the band answer it for every box.
void reduceSharp(const Reduction &r, BYTE *out)
{
    std::vector<BYTE> mins(r.columns.span);
    if (r.box.kx <= 4) {
        const std::size_t count = r.columns.span - r.box.kx + 1;
        std::vector<BYTE> blacks(count);
        r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
            minColumns(r.source, bandStart, r.box.ky, r.columns.span, mins.data());
            blackPerColumn(r.box.kx, mins.data(), count, blacks.data());
            pickColumns(blacks.data(), r.columns, row);
        });
        return;
    }
    std::vector<std::uint32_t> prefix(r.columns.span + 1);
    r.walk(out, [&](std::uint64_t bandStart, BYTE *row) {
        minColumns(r.source, bandStart, r.box.ky, r.columns.span, mins.data());
        blackRow(mins.data(), r.columns, r.box.kx, prefix.data(), row);
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
    // A reduction writes every byte of the target, so the block is made black only
    // when the call is refused after all.
    if (std::uint32_t code = AllocateBlock(size, GMEM_FIXED))
        return code;
    PixelAccess target(*this);
    if (!target)
        return IMG_ERR_BAD_PARAM;
    auto refuse = [&] {
        std::memset(target.get(), 0, std::size_t{width} * height);
        return IMG_ERR_BAD_PARAM;
    };
    PixelAccess from(source);
    if (!from)
        return refuse();

    const auto sourceWidth = static_cast<std::uint32_t>(source.m_size.cx);
    const auto sourceHeight = static_cast<std::uint32_t>(source.m_size.cy);
    if (width == 0 || height == 0)
        return refuse();
    if (width > sourceWidth || height > sourceHeight)
        return refuse();
    const double rx = static_cast<double>(sourceWidth) / static_cast<double>(width);
    const double ry = static_cast<double>(sourceHeight) / static_cast<double>(height);
    if (rx * ry > MAX_BOX_PIXELS)
        return refuse();

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

std::uint32_t CPageBitmap::ScaleForScreen(CPageBitmap &source, CSize shown, double ratio,
                                          BOOL smooth)
{
    // Each logical pixel covers ratio x ratio device pixels: reducing to that many keeps
    // the detail the screen can show. The page is never enlarged for it; the view then
    // stretches it without smoothing, as it does at Actual Size.
    const CSize limit = source.m_size;
    const auto devicePixels = [ratio](std::int32_t logical, std::int32_t most) {
        if (ratio <= 1 || logical <= 0)
            return static_cast<std::uint32_t>(std::max(logical, 0));
        return static_cast<std::uint32_t>(
            std::min(std::round(logical * ratio), double(std::max(most, 0))));
    };
    const std::uint32_t width = devicePixels(shown.cx, limit.cx);
    const std::uint32_t height = devicePixels(shown.cy, limit.cy);
    std::uint32_t code = 0;
    // Rendered for device pixels at the source's own size, every pixel of the page reaches
    // the screen as it is: smoothing would only blur it.
    if (ratio > 1 && width == std::uint32_t(limit.cx) && height == std::uint32_t(limit.cy))
        code = CopyFrom(source);
    else
        code = ScaleFrom(source, width, height, smooth);
    m_shownSize = shown;
    return code;
}
