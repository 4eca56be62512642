#include "display/ReductionRows.h"

#include <bit>
#include <cstring>

// The passes over whole rows are compiled for AVX2 and for the baseline processor
// alike, and the loader picks what this processor runs; their kernels are inlined
// into them. Integer arithmetic only, so both give the same bytes.
#if defined(__x86_64__)
#define ROW_PASS __attribute__((target_clones("avx2", "default")))
#else
#define ROW_PASS
#endif
#define KERNEL inline __attribute__((always_inline))

namespace reduction {

namespace {

bool dividesExactly(std::uint32_t divisor, std::uint32_t multiplier, unsigned shift)
{
    for (std::uint32_t sum = 0; sum <= 255 * divisor; ++sum)
        if (((sum * multiplier) >> (16 + shift)) != sum / divisor)
            return false;
    return true;
}

// The mean of the K-wide box at every Step-th column, for count boxes.
template <std::uint32_t K, std::uint32_t Step, bool Shifted>
KERNEL void meanEveryOf(const std::uint16_t *sums, std::size_t count, LaneDivider divide,
                        BYTE *means)
{
    const std::uint16_t multiplier = divide.multiplier;
    const unsigned shift = divide.shift;
    for (std::size_t c = 0; c < count; ++c) {
        const std::uint16_t *s = sums + Step * c;
        std::uint16_t sum = s[0];
        for (std::uint32_t i = 1; i < K; ++i)
            sum = static_cast<std::uint16_t>(sum + s[i]);
        const auto high = static_cast<std::uint16_t>((std::uint32_t{sum} * multiplier) >> 16);
        means[c] = static_cast<BYTE>(Shifted ? high >> shift : high);
    }
}

template <std::uint32_t K, std::uint32_t Step>
KERNEL void meanEveryOf(const std::uint16_t *sums, std::size_t count, LaneDivider divide,
                        BYTE *means)
{
    if (divide.shift == 0)
        meanEveryOf<K, Step, false>(sums, count, divide, means);
    else
        meanEveryOf<K, Step, true>(sums, count, divide, means);
}

template <std::uint32_t K>
KERNEL void blackPerColumnOf(const BYTE *mins, std::size_t count, BYTE *blacks)
{
    for (std::size_t c = 0; c < count; ++c) {
        BYTE least = mins[c];
        for (std::uint32_t i = 1; i < K; ++i)
            least = std::min(least, mins[c + i]);
        blacks[c] = least == 0 ? 0 : 255;
    }
}

} // namespace

// Shift 0 serves the usual boxes (up to 16 pixels) with one high multiply; larger
// boxes need the shift.
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

template <typename Sum>
KERNEL void foldColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
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

ROW_PASS void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                         std::size_t span, std::uint16_t *sums)
{
    foldColumns(source, bandStart, rows, span, sums);
}

ROW_PASS void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                         std::size_t span, std::uint32_t *sums)
{
    foldColumns(source, bandStart, rows, span, sums);
}

ROW_PASS void minColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
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

ROW_PASS void meanPerColumn(std::uint32_t kx, const std::uint16_t *sums, std::size_t count,
                            LaneDivider divide, BYTE *means)
{
    if (kx == 3)
        meanEveryOf<3, 1>(sums, count, divide, means);
    else
        meanEveryOf<4, 1>(sums, count, divide, means);
}

ROW_PASS void meanAtStep(std::uint32_t step, const std::uint16_t *sums, std::size_t width,
                         LaneDivider divide, BYTE *out)
{
    if (step == 2)
        meanEveryOf<3, 2>(sums, width, divide, out);
    else
        meanEveryOf<3, 3>(sums, width, divide, out);
}

ROW_PASS void blackPerColumn(std::uint32_t kx, const BYTE *mins, std::size_t count, BYTE *blacks)
{
    switch (kx) {
    case 1:
        return blackPerColumnOf<1>(mins, count, blacks);
    case 2:
        return blackPerColumnOf<2>(mins, count, blacks);
    case 3:
        return blackPerColumnOf<3>(mins, count, blacks);
    default:
        return blackPerColumnOf<4>(mins, count, blacks);
    }
}

ROW_PASS void pickColumns(const BYTE *perColumn, const Columns &columns, BYTE *out)
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

// Wide boxes use differences of running column sums. The running sum may wrap,
// but a box's own sum fits 32 bits, so the unsigned difference is exact.
template <typename Sum>
void meanRow(const Sum *sums, const Columns &columns, std::uint32_t kx, const BoxDivider &divide,
             std::uint32_t *prefix, BYTE *out)
{
    const std::uint32_t *starts = columns.starts.data();
    const std::size_t width = columns.starts.size();
    if (kx <= 4) {
        for (std::size_t x = 0; x < width; ++x) {
            const Sum *s = sums + starts[x];
            std::uint32_t total = 0;
            for (std::uint32_t i = 0; i < kx; ++i)
                total += s[i];
            out[x] = static_cast<BYTE>(divide(total));
        }
        return;
    }
    prefix[0] = 0;
    for (std::size_t c = 0; c < columns.span; ++c)
        prefix[c + 1] = prefix[c] + sums[c];
    for (std::size_t x = 0; x < width; ++x)
        out[x] = static_cast<BYTE>(divide(prefix[starts[x] + kx] - prefix[starts[x]]));
}

template void meanRow(const std::uint16_t *, const Columns &, std::uint32_t, const BoxDivider &,
                      std::uint32_t *, BYTE *);
template void meanRow(const std::uint32_t *, const Columns &, std::uint32_t, const BoxDivider &,
                      std::uint32_t *, BYTE *);

void blackRow(const BYTE *mins, const Columns &columns, std::uint32_t kx, std::uint32_t *prefix,
              BYTE *out)
{
    const std::uint32_t *starts = columns.starts.data();
    prefix[0] = 0;
    for (std::size_t c = 0; c < columns.span; ++c)
        prefix[c + 1] = prefix[c] + (mins[c] == 0);
    for (std::size_t x = 0; x < columns.starts.size(); ++x)
        out[x] = prefix[starts[x] + kx] != prefix[starts[x]] ? 0 : 255;
}

} // namespace reduction
