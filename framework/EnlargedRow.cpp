#include "framework/EnlargedRow.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PAGELOT_SHUFFLE 1
#endif

namespace {

void fillPixels(QRgb *out, int count, QRgb colour)
{
    // White, the most of any fax, is four equal bytes: the C library's own fill is the
    // fastest there is.
    if (colour == 0x01010101u * (colour & 0xFF)) {
        std::memset(out, int(colour & 0xFF), std::size_t(count) * sizeof(QRgb));
        return;
    }
    const QRgb four[4] = {colour, colour, colour, colour};
    for (; count >= 4; count -= 4, out += 4)
        std::memcpy(out, four, sizeof four);
    for (; count > 0; --count)
        *out++ = colour;
}

std::uint64_t wordAt(const unsigned char *bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101ull;

// The display pages' own table: entry i is the opaque grey of level i.
bool isGreyRamp(const QRgb *colours)
{
    for (int i = 0; i < 256; ++i)
        if (colours[i] != (0xFF000000u | QRgb(i) * 0x010101u))
            return false;
    return true;
}

#ifdef PAGELOT_SHUFFLE
bool canShuffle()
{
    static const bool can = __builtin_cpu_supports("ssse3");
    return can;
}

[[gnu::target("avx")]] void zeroUpperHalves() { _mm256_zeroupper(); }

// Sixteen device pixels at a time: one shuffle spreads the source bytes over them, and
// two rounds of unpacking make each grey level a pixel.
[[gnu::target("ssse3")]] void drawGreyGroups(QRgb *out, const unsigned char *in, const int *columns,
                                             const std::array<std::uint8_t, 16> *shuffles,
                                             std::size_t groups)
{
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    for (std::size_t g = 0; g < groups; ++g, out += 16) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + columns[g]));
        const __m128i levels = _mm_shuffle_epi8(
            source, _mm_loadu_si128(reinterpret_cast<const __m128i *>(shuffles[g].data())));
        const __m128i low = _mm_unpacklo_epi8(levels, levels);
        const __m128i high = _mm_unpackhi_epi8(levels, levels);
        auto *pixels = reinterpret_cast<__m128i *>(out);
        _mm_storeu_si128(pixels, _mm_or_si128(_mm_unpacklo_epi16(low, low), opaque));
        _mm_storeu_si128(pixels + 1, _mm_or_si128(_mm_unpackhi_epi16(low, low), opaque));
        _mm_storeu_si128(pixels + 2, _mm_or_si128(_mm_unpacklo_epi16(high, high), opaque));
        _mm_storeu_si128(pixels + 3, _mm_or_si128(_mm_unpackhi_epi16(high, high), opaque));
    }
}

// The same, thirty-two device pixels at a time: each lane of the shuffle spreads the
// bytes of one group, and the halves are put back in order when stored.
[[gnu::target("avx2")]] void drawGreyGroupsWide(QRgb *out, const unsigned char *in,
                                                const int *columns,
                                                const std::array<std::uint8_t, 16> *shuffles,
                                                std::size_t groups)
{
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    std::size_t g = 0;
    for (; g + 2 <= groups; g += 2, out += 32) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + columns[g]));
        const __m128i second =
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + columns[g + 1]));
        const __m256i levels = _mm256_shuffle_epi8(
            _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1),
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(shuffles[g].data())));
        // Pixels 0-7 and 16-23, then 8-15 and 24-31, as grey bytes doubled.
        const __m256i low = _mm256_unpacklo_epi8(levels, levels);
        const __m256i high = _mm256_unpackhi_epi8(levels, levels);
        const __m256i p0 = _mm256_or_si256(_mm256_unpacklo_epi16(low, low), opaque);
        const __m256i p4 = _mm256_or_si256(_mm256_unpackhi_epi16(low, low), opaque);
        const __m256i p8 = _mm256_or_si256(_mm256_unpacklo_epi16(high, high), opaque);
        const __m256i p12 = _mm256_or_si256(_mm256_unpackhi_epi16(high, high), opaque);
        auto *pixels = reinterpret_cast<__m256i *>(out);
        _mm256_storeu_si256(pixels, _mm256_permute2x128_si256(p0, p4, 0x20));
        _mm256_storeu_si256(pixels + 1, _mm256_permute2x128_si256(p8, p12, 0x20));
        _mm256_storeu_si256(pixels + 2, _mm256_permute2x128_si256(p0, p4, 0x31));
        _mm256_storeu_si256(pixels + 3, _mm256_permute2x128_si256(p8, p12, 0x31));
    }
    if (g < groups)
        drawGreyGroups(out, in, columns + g, shuffles + g, groups - g);
}
#endif

} // namespace

void ClearUpperVectorHalves()
{
#ifdef PAGELOT_SHUFFLE
    static const bool wide = __builtin_cpu_supports("avx");
    if (wide)
        zeroUpperHalves();
#endif
}

CEnlargedRow::CEnlargedRow(std::vector<int> columns, int sourceWidth, const QRgb *colours)
    : m_columns(std::move(columns))
    , m_pColours(colours)
{
    const std::size_t width = m_columns.size();
    for (std::size_t x = 1; x < width; ++x)
        if (m_columns[x] != m_columns[x - 1] && m_columns[x] != m_columns[x - 1] + 1)
            return;
    m_starts.push_back(0);
    for (std::size_t x = 1; x < width; ++x)
        if (m_columns[x] != m_columns[x - 1])
            m_starts.push_back(int(x));
    m_starts.push_back(int(width));
#ifdef PAGELOT_SHUFFLE
    if (!canShuffle() || !isGreyRamp(colours))
        return;
    // Sixteen device pixels never reach past sixteen source bytes; groups whose bytes
    // would run past the row are left to the pixel-by-pixel lookup.
    for (std::size_t x = 0; x + 16 <= width && m_columns[x] + 16 <= sourceWidth; x += 16) {
        std::array<std::uint8_t, 16> shuffle{};
        for (std::size_t i = 0; i < 16; ++i)
            shuffle[i] = std::uint8_t(m_columns[x + i] - m_columns[x]);
        m_groupColumns.push_back(m_columns[x]);
        m_groupShuffles.push_back(shuffle);
    }
#else
    (void)sourceWidth;
#endif
}

void CEnlargedRow::Draw(QRgb *out, const unsigned char *in) const
{
    if (m_starts.empty())
        Gather(out, in, 0, int(m_columns.size()));
    else if (!DrawShuffled(out, in))
        DrawRuns(out, in);
}

void CEnlargedRow::Gather(QRgb *out, const unsigned char *in, int from, int to) const
{
    for (int x = from; x < to; ++x)
        out[x] = m_pColours[in[m_columns[std::size_t(x)]]];
}

// Eight source pixels at a time: eight alike, as most of a fax row is, start a run that
// is followed as far as whole words of it go and filled in one go; any others are looked
// up pixel by pixel.
void CEnlargedRow::DrawRuns(QRgb *out, const unsigned char *in) const
{
    const unsigned char *row = in + m_columns.front();
    const int spans = int(m_starts.size()) - 1;
    int k = 0;
    while (k + 8 <= spans) {
        const std::uint64_t first = wordAt(row + k);
        const std::uint64_t same = EVERY_BYTE * (first & 0xFF);
        int end = k + 8;
        if (first != same) {
            Gather(out, in, m_starts[std::size_t(k)], m_starts[std::size_t(end)]);
            k = end;
            continue;
        }
        while (end + 32 <= spans
               && ((wordAt(row + end) ^ same) | (wordAt(row + end + 8) ^ same)
                   | (wordAt(row + end + 16) ^ same) | (wordAt(row + end + 24) ^ same))
                      == 0)
            end += 32;
        while (end + 8 <= spans && wordAt(row + end) == same)
            end += 8;
        const int from = m_starts[std::size_t(k)];
        fillPixels(out + from, m_starts[std::size_t(end)] - from, m_pColours[first & 0xFF]);
        k = end;
    }
    Gather(out, in, m_starts[std::size_t(k)], int(m_columns.size()));
}

// A row all of one level (the white between lines of text) is one fill; any other row
// is shuffled sixteen device pixels at a time. False when there is no shuffle to use.
bool CEnlargedRow::DrawShuffled(QRgb *out, const unsigned char *in) const
{
#ifdef PAGELOT_SHUFFLE
    if (m_groupColumns.empty())
        return false;
    const unsigned char *row = in + m_columns.front();
    const int spans = int(m_starts.size()) - 1;
    const std::uint64_t same = EVERY_BYTE * row[0];
    std::uint64_t differ = 0;
    int k = 0;
    for (; k + 8 <= spans && !differ; k += 8)
        differ = wordAt(row + k) ^ same;
    for (; k < spans && !differ; ++k)
        differ = row[k] ^ row[0];
    if (!differ) {
        fillPixels(out, int(m_columns.size()), m_pColours[row[0]]);
        return true;
    }
    static const bool wide = __builtin_cpu_supports("avx2");
    (wide ? drawGreyGroupsWide : drawGreyGroups)(out, in, m_groupColumns.data(),
                                                 m_groupShuffles.data(), m_groupColumns.size());
    Gather(out, in, int(16 * m_groupColumns.size()), int(m_columns.size()));
    return true;
#else
    (void)out;
    (void)in;
    return false;
#endif
}
