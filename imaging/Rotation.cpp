#include "imaging/CallFrame.h"
#include "imaging/ScratchBuffer.h"
#include "imaging/imaging.h"
#include "platform/ProcessorFeatures.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

// Where a quarter turn puts the pixels: result row r holds H pixels. Clockwise,
// source (x, y) lands at row x, column H - 1 - y; counter-clockwise at row
// W - 1 - x, column y.
struct QuarterTurn
{
    const BYTE *source;
    BYTE *result;
    std::size_t width;
    std::size_t height;
    bool clockwise;

    std::size_t resultPixel(std::size_t x, std::size_t y) const
    {
        return clockwise ? x * height + (height - 1 - y) : (width - 1 - x) * height + y;
    }
};

// Pixel bytes known at compile time let memcpy become a single move; 0 means the
// count is only known at run time.
template <std::size_t Fixed> void copyPixel(BYTE *to, const BYTE *from, std::size_t bytesPerPixel)
{
    if constexpr (Fixed != 0)
        std::memcpy(to, from, Fixed);
    else
        std::memcpy(to, from, bytesPerPixel);
}

// Turns the pixels of columns x0 to x1 and rows y0 to y1. The shorter side is
// walked innermost, so a thin strip at the edge of a page still reads or writes
// its bytes contiguously instead of touching a new line for every pixel.
template <std::size_t Fixed>
void turnRect(const QuarterTurn &turn, std::size_t bytesPerPixel, std::size_t x0, std::size_t x1,
              std::size_t y0, std::size_t y1)
{
    const std::size_t n = Fixed ? Fixed : bytesPerPixel;
    const std::ptrdiff_t sign = turn.clockwise ? 1 : -1;
    const std::ptrdiff_t resultRow = sign * std::ptrdiff_t(turn.height * n);
    const std::ptrdiff_t resultColumn = -sign * std::ptrdiff_t(n);
    const BYTE *source = turn.source;
    BYTE *result = turn.result;
    if (x1 - x0 >= y1 - y0) {
        for (std::size_t y = y0; y < y1; ++y) {
            const BYTE *from = source + (y * turn.width + x0) * n;
            BYTE *to = result + turn.resultPixel(x0, y) * n;
            for (std::size_t x = x0; x < x1; ++x, from += n, to += resultRow)
                copyPixel<Fixed>(to, from, n);
        }
    } else {
        for (std::size_t x = x0; x < x1; ++x) {
            const BYTE *from = source + (y0 * turn.width + x) * n;
            BYTE *to = result + turn.resultPixel(x, y0) * n;
            for (std::size_t y = y0; y < y1; ++y, from += turn.width * n, to += resultColumn)
                copyPixel<Fixed>(to, from, n);
        }
    }
}

// A transpose walked in square tiles keeps both the rows read and the rows
// written in the cache; walked row by row, every written pixel of a large page
// would touch a new cache line.
template <std::size_t Fixed> void turnTiled(const QuarterTurn &turn, std::size_t bytesPerPixel)
{
    const std::size_t tile = (Fixed ? Fixed : bytesPerPixel) == 1 ? 64 : 32;
    for (std::size_t y0 = 0; y0 < turn.height; y0 += tile) {
        const std::size_t y1 = std::min(turn.height, y0 + tile);
        for (std::size_t x0 = 0; x0 < turn.width; x0 += tile)
            turnRect<Fixed>(turn, bytesPerPixel, x0, std::min(turn.width, x0 + tile), y0, y1);
    }
}

#if defined(__SSE2__)

// Transposes a 16 x 16 byte block held one row per register: each round
// interleaves row i with row i + 8, and four rounds bring byte (r, c) to (c, r).
// Fully unrolled, the block stays in registers.
inline void interleaveRows(const __m128i *from, __m128i *to)
{
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
        to[2 * i] = _mm_unpacklo_epi8(from[i], from[i + 8]);
        to[2 * i + 1] = _mm_unpackhi_epi8(from[i], from[i + 8]);
    }
}

inline void transpose16(__m128i rows[16])
{
    __m128i other[16];
    interleaveRows(rows, other);
    interleaveRows(other, rows);
    interleaveRows(rows, other);
    interleaveRows(other, rows);
}

// Moves one 16 x 16 block: source row i (from + i * fromStride) becomes column i
// of the result rows to + j * toStride. The strides carry the direction of the
// turn, so the kernel has no branch.
inline void turnBlock16(const BYTE *from, std::ptrdiff_t fromStride, BYTE *to,
                        std::ptrdiff_t toStride)
{
    __m128i rows[16];
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i)
        rows[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i * fromStride));
    transpose16(rows);
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + j * toStride), rows[j]);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))                               \
    && !defined(PAGELOT_PORTABLE_ONLY)
#define PAGELOT_AVX2_KERNEL 1

// The same transpose on two blocks side by side, one per 128-bit lane: a row
// load of 32 bytes carries row i of both, and the unpacks never cross lanes.
// Chosen at run time, so the program still runs on processors without AVX2.
__attribute__((target("avx2"))) inline void interleaveRows(const __m256i *from, __m256i *to)
{
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
        to[2 * i] = _mm256_unpacklo_epi8(from[i], from[i + 8]);
        to[2 * i + 1] = _mm256_unpackhi_epi8(from[i], from[i + 8]);
    }
}

__attribute__((target("avx2"))) void turnBlock32(const BYTE *from, std::ptrdiff_t fromStride,
                                                 BYTE *to, std::ptrdiff_t toStride)
{
    __m256i rows[16], other[16];
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i)
        rows[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + i * fromStride));
    interleaveRows(rows, other);
    interleaveRows(other, rows);
    interleaveRows(rows, other);
    interleaveRows(other, rows);
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + j * toStride),
                         _mm256_castsi256_si128(rows[j]));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + (16 + j) * toStride),
                         _mm256_extracti128_si256(rows[j], 1));
    }
}

// Reverses the first bytes of the result side 32 at a time: each load from the
// far end is reversed within its lanes, then the lanes swap. Returns how many
// bytes it wrote.
__attribute__((target("avx2"))) std::size_t reverseBytes32(const BYTE *source, BYTE *result,
                                                           std::size_t count)
{
    const __m256i reverseLane =
        _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11,
                         10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    std::size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(source + count - 32 - i));
        v = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, reverseLane), 0x4E);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(result + i), v);
    }
    return i;
}

#endif

// Bands of 256 source rows, walked in strips of 16 or 32 columns: each strip
// writes 256 contiguous bytes to each of its result rows, and the other half of
// every source cache line it reads is still cached for the next strip. Clockwise
// the block's source rows are taken bottom first, so that each result row runs
// from the lowest source row up.
void turnBytes(const QuarterTurn &turn)
{
    const std::size_t w = turn.width, h = turn.height;
    const std::size_t fullWidth = w & ~std::size_t(15);
    const std::size_t fullHeight = h & ~std::size_t(15);
    const std::ptrdiff_t fromStride = turn.clockwise ? -std::ptrdiff_t(w) : std::ptrdiff_t(w);
    const std::ptrdiff_t toStride = turn.clockwise ? std::ptrdiff_t(h) : -std::ptrdiff_t(h);
    const bool wide = IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE);
    for (std::size_t y0 = 0; y0 < fullHeight; y0 += 256) {
        const std::size_t y1 = std::min(fullHeight, y0 + 256);
        for (std::size_t x0 = 0; x0 < fullWidth;) {
            const std::size_t span = wide && x0 + 32 <= fullWidth ? 32 : 16;
            for (std::size_t y = y0; y < y1; y += 16) {
                const BYTE *from = turn.source + (turn.clockwise ? y + 15 : y) * w + x0;
                BYTE *to =
                    turn.result + (turn.clockwise ? x0 * h + (h - 16 - y) : (w - 1 - x0) * h + y);
#ifdef PAGELOT_AVX2_KERNEL
                if (span == 32) {
                    turnBlock32(from, fromStride, to, toStride);
                    continue;
                }
#endif
                turnBlock16(from, fromStride, to, toStride);
            }
            x0 += span;
        }
    }
    if (fullWidth < w)
        turnRect<1>(turn, 1, fullWidth, w, 0, fullHeight);
    if (fullHeight < h)
        turnRect<1>(turn, 1, 0, w, fullHeight, h);
}

#else

void turnBytes(const QuarterTurn &turn) { turnTiled<1>(turn, 1); }

#endif

void turnQuarter(const QuarterTurn &turn, std::size_t bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1:
        turnBytes(turn);
        break;
    case 2:
        turnTiled<2>(turn, 2);
        break;
    case 3:
        turnTiled<3>(turn, 3);
        break;
    case 4:
        turnTiled<4>(turn, 4);
        break;
    default:
        turnTiled<0>(turn, bytesPerPixel);
        break;
    }
}

// A half turn reverses the order of the pixels.
template <std::size_t Fixed>
void reversePixels(const BYTE *source, BYTE *result, std::size_t count, std::size_t bytesPerPixel)
{
    const std::size_t n = Fixed ? Fixed : bytesPerPixel;
    const BYTE *from = source + count * n;
    for (std::size_t i = 0; i < count; ++i, result += n) {
        from -= n;
        copyPixel<Fixed>(result, from, n);
    }
}

void reverseBytes(const BYTE *source, BYTE *result, std::size_t count)
{
    std::size_t i = 0;
#ifdef PAGELOT_AVX2_KERNEL
    if (IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE))
        i = reverseBytes32(source, result, count);
#endif
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, source + count - 8 - i, 8);
        word = __builtin_bswap64(word);
        std::memcpy(result + i, &word, 8);
    }
    for (; i < count; ++i)
        result[i] = source[count - 1 - i];
}

void turnHalf(const BYTE *source, BYTE *result, std::size_t count, std::size_t bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1:
        reverseBytes(source, result, count);
        break;
    case 3:
        reversePixels<3>(source, result, count, 3);
        break;
    case 4:
        reversePixels<4>(source, result, count, 4);
        break;
    default:
        reversePixels<0>(source, result, count, bytesPerPixel);
        break;
    }
}

// The image's size in bytes, or 0 when it is empty or does not fit a positive
// signed 32-bit count. Each step is checked, so no product can wrap.
std::int32_t imageBytes(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel)
{
    constexpr std::uint64_t limit = std::numeric_limits<std::int32_t>::max();
    const std::uint64_t pixels = std::uint64_t(width) * height;
    if (pixels > limit)
        return 0;
    const std::uint64_t bytes = pixels * bytesPerPixel;
    return bytes > limit ? 0 : std::int32_t(bytes);
}

// The three variants share the frame: the scratch receives the turned image and
// only then overwrites the caller's buffer, so a failure leaves it untouched.
template <typename Turn>
int turnThroughScratch(BYTE *pixels, std::uint32_t width, std::uint32_t height,
                       std::uint32_t bytesPerPixel, std::uint32_t &status, Turn &&turn)
{
    ScratchBuffer scratch;
    scratch.resize(imageBytes(width, height, bytesPerPixel));
    if (!scratch.data()) {
        status = IMG_ERR_NO_MEMORY;
        return 0;
    }
    turn(scratch.data());
    std::memcpy(pixels, scratch.data(), std::size_t(scratch.count()));
    return 1;
}

int rotateCw90(BYTE *pixels, std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
               std::uint32_t &status)
{
    return turnThroughScratch(pixels, width, height, bytesPerPixel, status, [&](BYTE *result) {
        turnQuarter({pixels, result, width, height, true}, bytesPerPixel);
    });
}

int rotateCcw90(BYTE *pixels, std::uint32_t width, std::uint32_t height,
                std::uint32_t bytesPerPixel, std::uint32_t &status)
{
    return turnThroughScratch(pixels, width, height, bytesPerPixel, status, [&](BYTE *result) {
        turnQuarter({pixels, result, width, height, false}, bytesPerPixel);
    });
}

int rotate180(BYTE *pixels, std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
              std::uint32_t &status)
{
    return turnThroughScratch(pixels, width, height, bytesPerPixel, status, [&](BYTE *result) {
        turnHalf(pixels, result, std::size_t(width) * height, bytesPerPixel);
    });
}

} // namespace

std::int32_t imgRotateBuffer(BYTE *pixels, std::uint32_t width, std::uint32_t height,
                             std::int32_t rotation, std::uint32_t bytesPerPixel)
{
    return runFramed<std::int32_t>([&](std::uint32_t &status) -> std::int32_t {
        if (!pixels) {
            status = IMG_ERR_BAD_PARAM;
            return 0;
        }
        switch (rotation) {
        case IMG_ROT_CW90:
            return rotateCw90(pixels, width, height, bytesPerPixel, status);
        case IMG_ROT_180:
            return rotate180(pixels, width, height, bytesPerPixel, status);
        case IMG_ROT_CCW90:
            return rotateCcw90(pixels, width, height, bytesPerPixel, status);
        default:
            status = IMG_ERR_BAD_PARAM;
            return 0;
        }
    });
}
