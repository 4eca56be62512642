#include "display/PageBitmap.h"

#include "platform/DebugOutput.h"
#include "platform/GlobalMemory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace {

// Bytes of a width x height page, or 0 when a dimension is negative or the block
// would pass IMG_MAX_BLOCK_BYTES; computed in 64 bits so it cannot wrap.
bool pageBytes(CSize size, std::uint64_t &bytes)
{
    bytes = 0;
    if (size.cx < 0 || size.cy < 0)
        return false;
    bytes = static_cast<std::uint64_t>(size.cx) * static_cast<std::uint64_t>(size.cy);
    return bytes <= IMG_MAX_BLOCK_BYTES;
}

std::array<RGBQUAD, 256> greyTable()
{
    std::array<RGBQUAD, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<BYTE>(i);
        table[i] = RGBQUAD{level, level, level, 0};
    }
    return table;
}

// Resolutions are kept in the framework's signed size type.
constexpr std::uint32_t MAX_RESOLUTION = std::numeric_limits<std::int32_t>::max();

} // namespace

CPageBitmap::CPageBitmap()
    : m_size(0, 0)
    , m_resolution(200, 200)
    , m_pPixels(nullptr)
    , m_pDib(nullptr)
    , m_nAccessCount(0)
    , m_nPageCount(0)
{
}

CPageBitmap::~CPageBitmap() { Free(); }

std::uint64_t CPageBitmap::RecentNeeds::Largest() const
{
    return *std::max_element(std::begin(m_bytes), std::end(m_bytes));
}

std::uint32_t CPageBitmap::Free()
{
    GlobalFree(m_pSparePixels);
    m_pSparePixels = nullptr;
    GlobalFree(m_pSpareDib);
    m_pSpareDib = nullptr;
    if (m_pPixels) {
        m_nAccessCount = 0;
        GlobalFree(m_pPixels);
        m_pPixels = nullptr;
        m_size = CSize(0, 0);
    }
    if (m_pDib) {
        GlobalFree(m_pDib);
        m_pDib = nullptr;
        m_size = CSize(0, 0);
    }
    m_nPageCount = 0;
    m_shownSize = CSize(0, 0);
    m_nMergedFrom = 0;
    return IMG_OK;
}

void CPageBitmap::Clear()
{
    if (m_pPixels) {
        GlobalFree(m_pSparePixels);
        m_pSparePixels = m_pPixels;
        m_pPixels = nullptr;
    }
    if (m_pDib) {
        GlobalFree(m_pSpareDib);
        m_pSpareDib = m_pDib;
        m_pDib = nullptr;
    }
    m_nAccessCount = 0;
    m_size = CSize(0, 0);
    m_nPageCount = 0;
    m_shownSize = CSize(0, 0);
    m_nMergedFrom = 0;
    TrimSpares();
}

void CPageBitmap::TrimSpares()
{
    if (m_pSparePixels && GlobalSize(m_pSparePixels) > m_pixelNeeds.Largest()) {
        GlobalFree(m_pSparePixels);
        m_pSparePixels = nullptr;
    }
    if (m_pSpareDib && GlobalSize(m_pSpareDib) > m_dibNeeds.Largest()) {
        GlobalFree(m_pSpareDib);
        m_pSpareDib = nullptr;
    }
}

BYTE *CPageBitmap::TakePixelBlock(std::uint64_t bytes, unsigned flags)
{
    m_pixelNeeds.Note(bytes);
    BYTE *block = m_pSparePixels;
    m_pSparePixels = nullptr;
    if (block && GlobalSize(block) >= bytes) {
        if (flags & GMEM_ZEROINIT)
            std::memset(block, 0, bytes);
        return block;
    }
    GlobalFree(block);
    return static_cast<BYTE *>(GlobalAlloc(flags, bytes));
}

std::uint32_t CPageBitmap::Allocate(CSize size) { return AllocateBlock(size, GPTR); }

std::uint32_t CPageBitmap::AllocateBlock(CSize size, unsigned flags)
{
    Clear();
    std::uint64_t bytes = 0;
    BYTE *pixels = nullptr;
    if (pageBytes(size, bytes))
        pixels = TakePixelBlock(bytes, flags);
    if (!pixels) {
        TRACE("Failed to allocate %llu BYTEs\n", static_cast<unsigned long long>(bytes));
        return IMG_ERR_NO_MEMORY;
    }
    m_pPixels = pixels;
    m_size = size;
    return IMG_OK;
}

void CPageBitmap::Swap(CPageBitmap &other)
{
    std::swap(m_size, other.m_size);
    std::swap(m_resolution, other.m_resolution);
    std::swap(m_pPixels, other.m_pPixels);
    std::swap(m_pDib, other.m_pDib);
    std::swap(m_nAccessCount, other.m_nAccessCount);
    std::swap(m_nPageCount, other.m_nPageCount);
    std::swap(m_nMergedFrom, other.m_nMergedFrom);
    std::swap(m_shownSize, other.m_shownSize);
    std::swap(m_pSparePixels, other.m_pSparePixels);
    std::swap(m_pSpareDib, other.m_pSpareDib);
    std::swap(m_pixelNeeds, other.m_pixelNeeds);
    std::swap(m_dibNeeds, other.m_dibNeeds);
}

std::uint32_t CPageBitmap::CopyFrom(CPageBitmap &source)
{
    const CSize size = source.m_size;
    // Every byte is copied over, so the block is not zero-filled first.
    if (std::uint32_t code = AllocateBlock(size, GMEM_FIXED))
        return code;
    PixelAccess from(source);
    if (!from) {
        Clear();
        return IMG_ERR_NO_MEMORY;
    }
    PixelAccess to(*this);
    std::uint64_t bytes = 0;
    pageBytes(size, bytes);
    std::memcpy(to.get(), from.get(), bytes);
    return IMG_OK;
}

std::uint32_t CPageBitmap::MakeDib()
{
    PixelAccess pixels(*this);
    if (!pixels)
        return IMG_ERR_BAD_PARAM;
    // The DIB goes, but its block is built in again when it is large enough.
    if (m_pDib) {
        GlobalFree(m_pSpareDib);
        m_pSpareDib = m_pDib;
        m_pDib = nullptr;
    }
    BITMAPINFOHEADER *reuse = std::exchange(m_pSpareDib, nullptr);
    static const std::array<RGBQUAD, 256> table = greyTable();
    const auto width = static_cast<std::uint32_t>(m_size.cx);
    const auto height = static_cast<std::uint32_t>(m_size.cy);
    m_dibNeeds.Note(sizeof(BITMAPINFOHEADER) + sizeof(table)
                    + (std::uint64_t{width} + 3) / 4 * 4 * height);
    m_pDib = imgMakeDib8Into(pixels.get(), width, height, table.data(), reuse);
    const std::uint32_t code = imgGetLastError();
    KeepUnused(reuse, m_pDib, m_pSpareDib);
    return code;
}

BYTE *CPageBitmap::AcquirePixels()
{
    if (!m_pPixels)
        return nullptr;
    ++m_nAccessCount;
    return m_pPixels;
}

std::uint32_t CPageBitmap::ReleasePixels()
{
    if (!m_pPixels)
        return IMG_ERR_RESOURCE_NOT_FOUND;
    --m_nAccessCount;
    return IMG_OK;
}

void CPageBitmap::SetResolution(std::int32_t kind, std::uint32_t horizontal, std::uint32_t vertical,
                                std::int32_t unit)
{
    constexpr std::int32_t UNIT_NONE = 1;
    constexpr std::int32_t UNIT_INCH = 2;
    constexpr std::int32_t UNIT_CENTIMETRE = 3;
    constexpr double INCHES_PER_CENTIMETRE = 0.39370079;

    m_resolution = CSize(200, 200);
    // Some converters write ResolutionUnit without the values: a zero would double
    // the rows, read "0 x 0 dpi" and print nothing, so it counts as no resolution.
    if (kind != KIND_TIFF || horizontal == 0 || vertical == 0)
        return;
    if (unit == UNIT_INCH) {
        if (horizontal <= MAX_RESOLUTION && vertical <= MAX_RESOLUTION)
            m_resolution =
                CSize(static_cast<std::int32_t>(horizontal), static_cast<std::int32_t>(vertical));
    } else if (unit == UNIT_CENTIMETRE) {
        const double x = horizontal / INCHES_PER_CENTIMETRE;
        const double y = vertical / INCHES_PER_CENTIMETRE;
        if (x < MAX_RESOLUTION && y < MAX_RESOLUTION)
            m_resolution = CSize(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    } else if (unit == UNIT_NONE) {
        // No absolute size, but the two values still give the shape of the pixels: a
        // normal-mode page stored this way must not show at half its height.
        const std::uint64_t y = std::uint64_t{200} * vertical / horizontal;
        if (y >= 1 && y <= MAX_RESOLUTION)
            m_resolution = CSize(200, static_cast<std::int32_t>(y));
    }
}

// Normal-mode faxes are 204x98 dpi, fine mode 204x196: the document doubles the rows
// of a normal page so both show with the same aspect. The doubled page is built
// before the old one goes, so a failed allocation leaves the page as it was.
std::uint32_t CPageBitmap::DoubleRows()
{
    // Nothing to double reads as a copy that found no pixels.
    if (!m_pPixels)
        return IMG_ERR_NO_MEMORY;
    const std::int64_t doubledHeight = 2 * static_cast<std::int64_t>(m_size.cy);
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(m_size.cx) * static_cast<std::uint64_t>(doubledHeight);
    const bool fits =
        doubledHeight <= std::numeric_limits<std::int32_t>::max() && bytes <= IMG_MAX_BLOCK_BYTES;
    if (fits)
        m_pixelNeeds.Note(bytes);
    // A block kept from a doubled page holds this one doubled too: the rows then move
    // down within it, from the bottom row up, so none is overwritten before it is read.
    const bool inPlace = fits && GlobalSize(m_pPixels) >= bytes;
    BYTE *target = nullptr;
    // Every byte is written below, so the block is not zero-filled first.
    if (inPlace)
        target = m_pPixels;
    else if (fits)
        target = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, bytes));
    if (!target) {
        TRACE("Failed to allocate %llu BYTEs\n", static_cast<unsigned long long>(bytes));
        return IMG_ERR_NO_MEMORY;
    }
    {
        // Bottom row first, so the top of the page, which the reduction reads
        // first, is what the cache still holds afterwards.
        PixelAccess source(*this);
        const std::size_t width = static_cast<std::size_t>(m_size.cx);
        for (std::size_t r = static_cast<std::size_t>(m_size.cy); r-- > 0;) {
            const BYTE *row = source.get() + r * width;
            std::memcpy(target + (2 * r + 1) * width, row, width);
            if (!inPlace || r > 0)
                std::memcpy(target + 2 * r * width, row, width);
        }
    }
    const CSize doubled(m_size.cx, static_cast<std::int32_t>(doubledHeight));
    // The old block is too small to be worth keeping; the DIB's is kept as on a new page.
    BYTE *old = m_pPixels;
    m_pPixels = nullptr;
    Clear();
    if (!inPlace)
        GlobalFree(old);
    m_pPixels = target;
    m_size = doubled;
    return IMG_OK;
}

std::uint32_t CPageBitmap::ShapeAsShown(BOOL smooth)
{
    if (NeedsRowDoubling())
        return DoubleRows();
    if (NeedsRowMerging())
        return MergeRows(smooth);
    return IMG_OK;
}

// Superfine faxes are 204x391 dpi: their rows are merged in pairs so they show with the
// aspect of fine-mode pages. Built before the old page goes, as DoubleRows is.
std::uint32_t CPageBitmap::MergeRows(BOOL smooth)
{
    if (!m_pPixels || m_size.cx <= 0 || m_size.cy <= 0)
        return IMG_ERR_NO_MEMORY;
    const std::size_t width = static_cast<std::size_t>(m_size.cx);
    const std::size_t height = static_cast<std::size_t>(m_size.cy);
    const std::size_t merged = (height + 1) / 2;
    BYTE *target = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, std::uint64_t{width} * merged));
    if (!target) {
        TRACE("Failed to allocate %llu BYTEs\n",
              static_cast<unsigned long long>(std::uint64_t{width} * merged));
        return IMG_ERR_NO_MEMORY;
    }
    {
        PixelAccess source(*this);
        for (std::size_t r = 0; r < merged; ++r) {
            const BYTE *upper = source.get() + 2 * r * width;
            const BYTE *lower = 2 * r + 1 < height ? upper + width : upper;
            BYTE *out = target + r * width;
            if (smooth) {
                for (std::size_t x = 0; x < width; ++x)
                    out[x] = static_cast<BYTE>((unsigned{upper[x]} + lower[x]) / 2);
            } else {
                for (std::size_t x = 0; x < width; ++x)
                    out[x] = std::min(upper[x], lower[x]);
            }
        }
    }
    const CSize size(m_size.cx, static_cast<std::int32_t>(merged));
    const std::int32_t readHeight = m_size.cy;
    Free();
    m_pPixels = target;
    m_size = size;
    m_nMergedFrom = readHeight;
    return IMG_OK;
}
