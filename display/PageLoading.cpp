#include "display/PageBitmap.h"

#include "display/ImagingErrorText.h"
#include "framework/FilePath.h"
#include "platform/DebugOutput.h"
#include "platform/GlobalMemory.h"

#include <QFile>

#include <limits>
#include <memory>
#include <utility>

// Each load opens the file, reads, and closes it: no file stays open between
// commands. The TIFF entry points read from the source's current position, so the
// source is rewound between them.

namespace {

struct SourceCloser
{
    void operator()(DataSource *source) const { imgCloseSource(source); }
};
using SourcePtr = std::unique_ptr<DataSource, SourceCloser>;

SourcePtr openSource(const CString &path)
{
    const QByteArray name = PathBytes(path);
    return SourcePtr(imgOpenFileSource(name.constData()));
}

void traceError(std::uint32_t code)
{
    TRACE("** %s\n", ImagingErrorText(code).toUtf8().constData());
}

bool fitsSize(std::uint32_t width, std::uint32_t height)
{
    constexpr std::uint32_t limit = std::numeric_limits<std::int32_t>::max();
    return width <= limit && height <= limit;
}

// The reader gives 1 where the page is black; the page keeps grey levels. Done
// from the last block to the first, so the top of the page, which the reduction
// reads first, is what the cache still holds afterwards.
void bitsToGreyLevels(BYTE *pixels, std::size_t count)
{
    constexpr std::size_t BLOCK_BYTES = 64 * 1024;
    for (std::size_t end = count; end > 0;) {
        const std::size_t start = end > BLOCK_BYTES ? end - BLOCK_BYTES : 0;
        for (std::size_t i = start; i < end; ++i)
            pixels[i] = pixels[i] == 0 ? 255 : 0;
        end = start;
    }
}

// Packed rows, 1 = black and leftmost pixel in the high bit, to one grey byte a pixel.
void bitsToGreyRows(const BYTE *bits, std::uint32_t width, std::uint32_t height, BYTE *pixels)
{
    const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
    for (std::uint32_t y = 0; y < height; ++y) {
        const BYTE *row = bits + y * rowBytes;
        BYTE *out = pixels + std::size_t{y} * width;
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = (row[x >> 3] & (0x80u >> (x & 7))) ? 0 : 255;
    }
}

void invertBytes(BYTE *bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<BYTE>(~bytes[i]);
}

} // namespace

std::uint32_t CPageBitmap::LoadPage(const CString &path, std::int32_t page)
{
    Clear();
    SourcePtr source = openSource(path);
    if (!source) {
        // A page that cannot be read gives its memory back; a page change keeps it.
        Free();
        return imgGetLastError();
    }
    return ReadPage(source.get(), page);
}

void CPageBitmap::ReadResolution(DataSource *source, std::int32_t page)
{
    SetResolution(0, 0, 0, 0);
    TiffResolution resolution{0, 0, 0};
    // Fax machines switch resolution between pages: take this page's own, not the
    // first page's.
    if (imgGetTiffPageResolution(source, page, &resolution))
        SetResolution(KIND_TIFF, static_cast<std::uint32_t>(resolution.xResolution),
                      static_cast<std::uint32_t>(resolution.yResolution), resolution.unit);
}

std::uint32_t CPageBitmap::ReadPage(DataSource *source, std::int32_t page)
{
    Clear();
    ReadResolution(source, page);
    imgSeekSource(source, 0, 0);
    m_nPageCount = static_cast<std::int32_t>(imgTiffPageCount(source));
    imgSeekSource(source, 0, 0);

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    BYTE *reuse = std::exchange(m_pSparePixels, nullptr);
    BYTE *pixels = imgReadTiffPage8Into(source, &width, &height, page, reuse);
    std::uint32_t code = imgGetLastError();
    if (code == IMG_OK && !fitsSize(width, height))
        code = IMG_ERR_NO_MEMORY;
    if (code != IMG_OK) {
        if (pixels != reuse)
            GlobalFree(pixels);
        GlobalFree(reuse);
        // The count stays, so a damaged page does not hide the others.
        const std::int32_t pageCount = m_nPageCount;
        Free();
        m_nPageCount = pageCount;
        traceError(code);
        return code;
    }
    KeepUnused(reuse, pixels, m_pSparePixels);
    m_pixelNeeds.Note(std::uint64_t{width} * height);
    m_pPixels = pixels;

    PixelAccess access(*this);
    if (!access)
        return IMG_ERR_RESOURCE_NOT_FOUND;
    m_size = CSize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    bitsToGreyLevels(access.get(), std::size_t{width} * height);
    return IMG_OK;
}

bool CPageBitmap::HasUncountedPages(const CString &path)
{
    SourcePtr source = openSource(path);
    return source && imgTiffHasPagesPastCount(source.get()) == 1;
}

std::uint32_t CPageBitmap::LoadPrintPage(const CString &path, std::int32_t page)
{
    Clear();
    SourcePtr source = openSource(path);
    if (!source) {
        Free();
        return imgGetLastError();
    }

    ReadResolution(source.get(), page);
    imgSeekSource(source.get(), 0, 0);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    BYTE *reuse = std::exchange(m_pSparePixels, nullptr);
    BYTE *bits = imgReadTiffPage1Into(source.get(), &width, &height, page, reuse);
    std::uint32_t code = imgGetLastError();
    source.reset();
    if (code == IMG_OK && !fitsSize(width, height))
        code = IMG_ERR_NO_MEMORY;
    if (code != IMG_OK) {
        if (bits != reuse)
            GlobalFree(bits);
        GlobalFree(reuse);
        Free();
        traceError(code);
        return code;
    }
    KeepUnused(reuse, bits, m_pSparePixels);
    m_pixelNeeds.Note((std::uint64_t{width} + 7) / 8 * height);
    m_pPixels = bits;
    m_size = CSize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));

    PixelAccess access(*this);
    if (!access)
        return IMG_ERR_RESOURCE_NOT_FOUND;
    // Every byte of every row, the bits past the width included, so no row can end
    // up with the other polarity.
    invertBytes(access.get(), (std::size_t{width} + 7) / 8 * height);
    static const RGBQUAD blackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    BITMAPINFOHEADER *reuseDib = std::exchange(m_pSpareDib, nullptr);
    m_dibNeeds.Note(sizeof(BITMAPINFOHEADER) + sizeof(blackWhite)
                    + (std::uint64_t{width} + 31) / 32 * 4 * height);
    m_pDib = imgMakeDib1Into(access.get(), width, height, blackWhite, reuseDib);
    code = imgGetLastError();
    KeepUnused(reuseDib, m_pDib, m_pSpareDib);
    if (code != IMG_OK)
        traceError(code);
    return code;
}

std::uint32_t CPageBitmap::LoadPageAsPrinted(const CString &path, std::int32_t page)
{
    Free();
    SourcePtr source = openSource(path);
    if (!source)
        return imgGetLastError();

    ReadResolution(source.get(), page);
    imgSeekSource(source.get(), 0, 0);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    BYTE *bits = imgReadTiffPage1(source.get(), &width, &height, page);
    std::uint32_t code = imgGetLastError();
    source.reset();
    if (code == IMG_OK && !fitsSize(width, height))
        code = IMG_ERR_NO_MEMORY;
    if (code == IMG_OK)
        code = AllocateBlock(
            CSize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)), GMEM_FIXED);
    if (code != IMG_OK) {
        GlobalFree(bits);
        traceError(code);
        return code;
    }
    {
        PixelAccess access(*this);
        bitsToGreyRows(bits, width, height, access.get());
    }
    GlobalFree(bits);
    return IMG_OK;
}
