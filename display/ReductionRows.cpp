#include "display/ReductionRows.h"

#include "platform/ProcessorFeatures.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define PAGELOT_AVX2_HALVING 1

// Sixteen 50% box sums from three rows, as 16-bit lanes in target order. A 16-bit
// lane of a 32-byte load holds the two columns of one target pixel, low byte
// first; the third column is the low byte of the same lane two bytes further on.
__attribute__((target("avx2"))) inline __m256i halfBoxSums(const BYTE *const rows[3],
                                                           std::size_t column)
{
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    __m256i total = _mm256_setzero_si256();
    for (int r = 0; r < 3; ++r) {
        const BYTE *at = rows[r] + column;
        const __m256i pairs = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 2));
        total = _mm256_add_epi16(total, _mm256_and_si256(pairs, lowBytes));
        total = _mm256_add_epi16(total, _mm256_srli_epi16(pairs, 8));
        total = _mm256_add_epi16(total, _mm256_and_si256(next, lowBytes));
    }
    return total;
}

__attribute__((target("avx2"))) inline __m256i halfMeans(const BYTE *const rows[3], std::size_t x,
                                                         __m256i multiplier, __m128i shift)
{
    return _mm256_srl_epi16(_mm256_mulhi_epu16(halfBoxSums(rows, 2 * x), multiplier), shift);
}

// Returns how many target pixels from the left it made; reads columns up to
// 2 x width - 1 of each row.
__attribute__((target("avx2"))) std::size_t
halfRowMeansAvx2(const BYTE *const rows[3], std::size_t width, LaneDivider divide, BYTE *out)
{
    const __m256i multiplier = _mm256_set1_epi16(static_cast<short>(divide.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(divide.shift));
    std::size_t x = 0;
    for (; x + 33 <= width; x += 32) {
        const __m256i bytes = _mm256_packus_epi16(halfMeans(rows, x, multiplier, shift),
                                                  halfMeans(rows, x + 16, multiplier, shift));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x),
                            _mm256_permute4x64_epi64(bytes, 0xD8));
    }
    // The rest in blocks of 16, the last one moved back over pixels already made
    // so that it still ends inside the row; only the last pixel, whose box takes
    // the row's last column, is left to the caller.
    while (width >= 17 && x + 1 < width) {
        const std::size_t at = std::min(x, width - 17);
        const __m256i words = halfMeans(rows, at, multiplier, shift);
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + at), _mm256_castsi256_si128(bytes));
        x = at + 16;
    }
    return x;
}
#endif

ROW_PASS void meanAtHalf(const std::uint16_t *sums, std::size_t width, LaneDivider divide,
                         BYTE *out)
{
    meanEveryOf<3, 2>(sums, width, divide, out);
}

ROW_PASS void meanAtThird(const std::uint16_t *sums, std::size_t width, LaneDivider divide,
                          BYTE *out)
{
    meanEveryOf<3, 3>(sums, width, divide, out);
}

} // namespace

void meanAtStep(std::uint32_t step, const std::uint16_t *sums, std::size_t width,
                LaneDivider divide, BYTE *out)
{
    if (step == 2)
        meanAtHalf(sums, width, divide, out);
    else
        meanAtThird(sums, width, divide, out);
}

void halfRowMeans(const BYTE *top, std::size_t stride, std::size_t width, LaneDivider divide,
                  BYTE *out)
{
    const BYTE *const rows[3] = {top, top + stride, top + 2 * stride};
    std::size_t x = 0;
#ifdef PAGELOT_AVX2_HALVING
    if (IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE))
        x = halfRowMeansAvx2(rows, width, divide, out);
#endif
    for (; x < width; ++x) {
        std::uint32_t sum = 0;
        for (const BYTE *row : rows)
            sum += row[2 * x] + row[2 * x + 1] + row[2 * x + 2];
        out[x] = static_cast<BYTE>(((sum * divide.multiplier) >> 16) >> divide.shift);
    }
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
