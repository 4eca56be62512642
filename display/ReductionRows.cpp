#include "display/ReductionRows.h"

#include "platform/ProcessorFeatures.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)                                \
    && !defined(PAGELOT_PORTABLE_ONLY)
#define PAGELOT_AVX2_ROWS 1
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

// The passes over whole rows, compiled for AVX2 and for the baseline processor alike;
// the processor-feature probe picks one at each call, so tests can force the baseline.
#ifdef PAGELOT_AVX2_ROWS
namespace wide {
#pragma GCC push_options
#pragma GCC target("avx2")
#include "display/ReductionPasses.inc"
#pragma GCC pop_options
} // namespace wide
#endif

namespace portable {
#include "display/ReductionPasses.inc"
} // namespace portable

#ifdef PAGELOT_AVX2_ROWS
#define ROW_PASS(call)                                                                             \
    (IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) ? wide::call : portable::call)
#else
#define ROW_PASS(call) portable::call
#endif

} // namespace

void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, std::uint16_t *sums)
{
    ROW_PASS(sumColumns(source, bandStart, rows, span, sums));
}

void sumColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, std::uint32_t *sums)
{
    ROW_PASS(sumColumns(source, bandStart, rows, span, sums));
}

void minColumns(const SourceView &source, std::uint64_t bandStart, std::uint32_t rows,
                std::size_t span, BYTE *mins)
{
    ROW_PASS(minColumns(source, bandStart, rows, span, mins));
}

void meanPerColumn(std::uint32_t kx, const std::uint16_t *sums, std::size_t count,
                   LaneDivider divide, BYTE *means)
{
    ROW_PASS(meanPerColumn(kx, sums, count, divide, means));
}

void meanAtStep(std::uint32_t step, const std::uint16_t *sums, std::size_t width,
                LaneDivider divide, BYTE *out)
{
    ROW_PASS(meanAtStep(step, sums, width, divide, out));
}

void blackPerColumn(std::uint32_t kx, const BYTE *mins, std::size_t count, BYTE *blacks)
{
    ROW_PASS(blackPerColumn(kx, mins, count, blacks));
}

void pickColumns(const BYTE *perColumn, const Columns &columns, BYTE *out)
{
    ROW_PASS(pickColumns(perColumn, columns, out));
}

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

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))                               \
    && !defined(PAGELOT_PORTABLE_ONLY)
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

} // namespace

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
