#include "imaging/TiffRows.h"

#include "platform/ProcessorFeatures.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

std::int64_t startRowFor(std::uint16_t orientation, std::uint32_t height)
{
    switch (orientation) {
    case ORIENTATION_BOTRIGHT:
    case ORIENTATION_BOTLEFT:
    case ORIENTATION_RIGHTBOT:
    case ORIENTATION_LEFTBOT:
        return 0;
    default:
        return static_cast<std::int64_t>(height) - 1;
    }
}

bool isCcittCompression(TIFF *tiff)
{
    std::uint16_t compression = COMPRESSION_NONE;
    if (!TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression))
        return false;
    return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3
           || compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW;
}

bool buildExpansionTable(ScratchBuffer &table, bool invert)
{
    table.resize(256 * 8);
    std::uint8_t *entries = table.data();
    if (!entries)
        return false;
    const std::uint8_t one = invert ? 0 : 1;
    for (int value = 0; value < 256; ++value) {
        for (int bit = 0; bit < 8; ++bit)
            entries[value * 8 + bit] = (value & (0x80 >> bit)) ? one : 1 - one;
    }
    return true;
}

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))                               \
    && !defined(PAGELOT_PORTABLE_ONLY)
#define PAGELOT_AVX2_EXPANSION 1

// Eight source bytes become 64 page bytes: each byte is copied to eight lanes,
// each lane keeps its own bit, and set and clear bits take the table's two values.
// Returns how many source bytes it took. Chosen at run time, so the program still
// runs on processors without AVX2; the table does the rest of each row.
__attribute__((target("avx2"))) std::size_t expandEights(const std::uint8_t *in, std::size_t count,
                                                         std::uint8_t *out, std::uint8_t set,
                                                         std::uint8_t clear)
{
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2,
                                            2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
    const __m256i bits = _mm256_set1_epi64x(0x0102040810204080);
    const __m256i setBytes = _mm256_set1_epi8(static_cast<char>(set));
    const __m256i clearBytes = _mm256_set1_epi8(static_cast<char>(clear));
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8, out += 64) {
        std::uint32_t halves[2];
        std::memcpy(halves, in + i, 8);
        for (int h = 0; h < 2; ++h) {
            const __m256i copies = _mm256_shuffle_epi8(
                _mm256_set1_epi32(static_cast<std::int32_t>(halves[h])), spread);
            const __m256i hit = _mm256_cmpeq_epi8(_mm256_and_si256(copies, bits), bits);
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 32 * h),
                                _mm256_blendv_epi8(clearBytes, setBytes, hit));
        }
    }
    return i;
}
#endif

} // namespace

void expandBitsToBytes(const std::uint8_t *source, std::size_t sourceStride, std::uint32_t rows,
                       std::uint8_t *page, std::uint32_t width, std::int64_t firstRow,
                       std::int64_t step, const std::uint8_t *table)
{
    const std::size_t wholeBytes = width / 8;
    const std::size_t tailPixels = width % 8;
#ifdef PAGELOT_AVX2_EXPANSION
    const bool wide = IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE);
#endif
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t *in = source + r * sourceStride;
        std::uint8_t *out = page + static_cast<std::size_t>(firstRow + step * r) * width;
        std::size_t i = 0;
#ifdef PAGELOT_AVX2_EXPANSION
        // Entry 0x80 starts with the value of a set bit, entry 0 with that of a
        // clear one.
        if (wide) {
            i = expandEights(in, wholeBytes, out, table[0x80 * 8], table[0]);
            out += i * 8;
        }
#endif
        for (; i < wholeBytes; ++i, out += 8)
            std::memcpy(out, table + in[i] * 8, 8);
        if (tailPixels)
            std::memcpy(out, table + in[wholeBytes] * 8, tailPixels);
    }
}

void copyPackedRows(const std::uint8_t *source, std::size_t sourceStride, std::uint32_t rows,
                    std::uint8_t *page, std::uint32_t width, std::int64_t firstRow,
                    std::int64_t step, bool invert)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t *in = source + r * sourceStride;
        std::uint8_t *out = page + static_cast<std::size_t>(firstRow + step * r) * rowBytes;
        if (!invert) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (std::size_t i = 0; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(255 - in[i]);
    }
}
