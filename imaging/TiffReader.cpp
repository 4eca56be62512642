#include "imaging/DataSource.h"
#include "imaging/PixelConversions.h"
#include "imaging/ScratchBuffer.h"
#include "imaging/TiffDirectories.h"
#include "imaging/TiffRows.h"
#include "imaging/imaging.h"

#include "platform/GlobalMemory.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>

namespace {

// No fax comes near this (an A0 sheet at 300 dpi is about 140 million pixels); it
// keeps a tiny hostile file from making us allocate and fill gigabytes.
constexpr std::uint64_t MAX_PAGE_PIXELS = std::uint64_t(1) << 28;

struct TiffMemoryFree
{
    void operator()(std::uint8_t *block) const { _TIFFfree(block); }
};
using StripBuffer = std::unique_ptr<std::uint8_t, TiffMemoryFree>;

// The strip buffer of one read, kept for the next: a page change would otherwise take
// half a megabyte fresh from the kernel, and fault on every page of it, each time. One is
// kept for the process, whichever thread reads, so a worker reading ahead holds no second
// one; a read while another has it makes its own. A read needing under a quarter of the
// kept one gives it back.
class StripLease
{
public:
    explicit StripLease(std::uint64_t bytes)
    {
        StripBuffer unfit;
        {
            std::lock_guard<std::mutex> lock(s_lock);
            if (s_kept && s_keptBytes >= bytes && s_keptBytes / 4 <= bytes) {
                m_buffer = std::move(s_kept);
                m_bytes = s_keptBytes;
            } else {
                unfit = std::move(s_kept);
            }
        }
        unfit.reset();
        if (!m_buffer) {
            m_buffer.reset(static_cast<std::uint8_t *>(_TIFFmalloc(static_cast<tmsize_t>(bytes))));
            m_bytes = m_buffer ? bytes : 0;
        }
    }
    ~StripLease()
    {
        if (!m_buffer)
            return;
        StripBuffer older;
        std::lock_guard<std::mutex> lock(s_lock);
        older = std::move(s_kept);
        s_kept = std::move(m_buffer);
        s_keptBytes = m_bytes;
    }
    StripLease(const StripLease &) = delete;
    StripLease &operator=(const StripLease &) = delete;

    std::uint8_t *get() const { return m_buffer.get(); }

private:
    StripBuffer m_buffer;
    std::uint64_t m_bytes = 0;

    static inline std::mutex s_lock;
    static inline StripBuffer s_kept;
    static inline std::uint64_t s_keptBytes = 0;
};

struct GlobalBlockFree
{
    void operator()(BYTE *block) const { GlobalFree(block); }
};
using PageBlock = std::unique_ptr<BYTE, GlobalBlockFree>;

enum class PageForm { Bytes, Bits };

// What the common opening learnt about the page, for the strip loop.
struct PageLayout
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint32_t rowsPerStrip = 0;
    std::size_t scanlineBytes = 0;
};

std::uint64_t rowBytesOf(std::uint32_t width, PageForm form)
{
    return form == PageForm::Bytes ? width : (std::uint64_t(width) + 7) / 8;
}

// Resolution rationals as whole numbers; anything a signed 32-bit value cannot hold
// (NaN, infinities, negatives, huge values) counts as not given.
std::int32_t wholeResolution(float value)
{
    if (!std::isfinite(value) || value < 0.0f || double(value) >= 2147483648.0)
        return 0;
    return static_cast<std::int32_t>(value);
}

// The resolution tags of the current directory; zeros for what it does not give.
TiffResolution resolutionOf(TIFF *tiff)
{
    TiffResolution found{0, 0, 0};
    std::uint16_t unit = 0;
    if (TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit))
        found.unit = unit;
    float x = 0.0f;
    float y = 0.0f;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x))
        found.xResolution = wholeResolution(x);
    if (TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y))
        found.yResolution = wholeResolution(y);
    return found;
}

// On a handle whose current directory is the page: checks that it is a bilevel page in
// strips that we can place row by row.
std::uint32_t checkPage(TIFF *tiff, std::uint32_t *width, std::uint32_t *height, PageLayout &layout)
{
    std::uint16_t bitsPerSample = 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    if (bitsPerSample != 1)
        return IMG_ERR_BIT_DEPTH;

    std::uint16_t samplesPerPixel = 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    std::uint16_t extraCount = 0;
    std::uint16_t *extraList = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraList);
    const int colourSamples = int(samplesPerPixel) - int(extraCount);

    std::uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &layout.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);

    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric)) {
        if (colourSamples != 1)
            return IMG_ERR_BIT_DEPTH;
        layout.photometric =
            isCcittCompression(tiff) ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
    }

    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height);
    *width = layout.width;
    *height = layout.height;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &layout.orientation);

    if (planar == PLANARCONFIG_SEPARATE && colourSamples > 1)
        return IMG_ERR_BIT_DEPTH;
    if (TIFFIsTiled(tiff))
        return IMG_ERR_BIT_DEPTH;
    // Interleaved extra samples would make each row a mix of pixels and alpha; a
    // separate plane of extra samples is harmless since only plane 0 is read.
    if (colourSamples < 1 || (planar != PLANARCONFIG_SEPARATE && samplesPerPixel != 1))
        return IMG_ERR_BIT_DEPTH;
    if (layout.width == 0 || layout.height == 0)
        return IMG_ERR_BIT_DEPTH;
    if (std::uint64_t(layout.width) * layout.height > MAX_PAGE_PIXELS)
        return IMG_ERR_NO_MEMORY;

    // The strip buffer must hold the rows we ask for, and each decoded row the
    // bytes we take from it; a file whose sizes disagree is not read at all.
    const tmsize_t scanline = TIFFScanlineSize(tiff);
    if (scanline <= 0 || std::uint64_t(scanline) < (std::uint64_t(layout.width) + 7) / 8)
        return IMG_ERR_FILE_READ;
    layout.scanlineBytes = static_cast<std::size_t>(scanline);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &layout.rowsPerStrip);
    if (layout.rowsPerStrip == 0 || layout.rowsPerStrip > layout.height)
        layout.rowsPerStrip = layout.height;
    return IMG_OK;
}

// Reads every strip of the page once into the one strip buffer and places its rows.
std::uint32_t readStrips(TIFF *tiff, const PageLayout &layout, std::uint8_t *strip,
                         std::uint64_t stripBytes, BYTE *page, PageForm form,
                         const std::uint8_t *table)
{
    const std::uint64_t scanline = layout.scanlineBytes;
    const std::uint64_t rowBytes = rowBytesOf(layout.width, form);
    // Rows stored top-down go straight to their rows. Rows stored bottom-up (those
    // placed from row 0) are placed in file order and the page then turned top-down.
    const bool bottomUp = startRowFor(layout.orientation, layout.height) == 0;
    std::int64_t next = 0;
    const bool invertBits = form == PageForm::Bits && layout.photometric == PHOTOMETRIC_MINISBLACK;

    for (std::uint64_t row = 0; row < layout.height; row += layout.rowsPerStrip) {
        const auto rows = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(layout.rowsPerStrip, layout.height - row));
        const std::uint64_t wanted = rows * scanline;
        if (wanted > stripBytes)
            return IMG_ERR_FILE_READ;
        // Our libtiff would decode LZW, but pages in it are refused here whatever
        // libtiff can do.
        if (layout.compression == COMPRESSION_LZW) {
            TIFFError(TIFFFileName(tiff), "LZW decoding not supported");
            return IMG_ERR_FILE_READ;
        }
        // Decoders that stop early leave the rest of the buffer as it was: start
        // each strip from white so no earlier strip's rows show through.
        std::memset(strip, 0, static_cast<std::size_t>(wanted));
        const tstrip_t number = TIFFComputeStrip(tiff, static_cast<std::uint32_t>(row), 0);
        const tmsize_t got =
            TIFFReadEncodedStrip(tiff, number, strip, static_cast<tmsize_t>(wanted));
        if (got < 0)
            return IMG_ERR_FILE_READ;
        const auto decoded = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(rows, std::uint64_t(got) / scanline));
        if (form == PageForm::Bytes) {
            expandBitsToBytes(strip, scanline, decoded, page, layout.width, next, 1, table);
        } else {
            copyPackedRows(strip, scanline, decoded, page, layout.width, next, 1, invertBits);
        }
        // The block is not zero-filled up front: rows a decoder did not deliver
        // are made white here instead.
        for (std::uint32_t r = decoded; r < rows; ++r)
            std::memset(page + std::uint64_t(next + r) * rowBytes, 0,
                        static_cast<std::size_t>(rowBytes));
        next += rows;
    }
    std::uint32_t status = IMG_OK;
    if (bottomUp && !flipRows(page, static_cast<std::int32_t>(rowBytes), layout.height, status))
        return status;
    return IMG_OK;
}

// Reads into reuse when that global block holds the page, else into a new block; the
// caller keeps owning reuse whatever comes back.
BYTE *readPage(DataSource *handle, std::uint32_t *width, std::uint32_t *height, std::int32_t page,
               PageForm form, BYTE *reuse)
{
    return runFramedOnSource<BYTE *>(
        handle, [&](SourceRef &source, std::uint32_t &status) -> BYTE * {
            if (!width || !height || page < 0) {
                status = IMG_ERR_BAD_PARAM;
                return nullptr;
            }
            TiffPtr tiff(openTiffAtPage(source, page, status));
            if (!tiff)
                return nullptr;
            PageLayout layout;
            status = checkPage(tiff.get(), width, height, layout);
            if (status != IMG_OK)
                return nullptr;

            const tmsize_t stripSize = TIFFStripSize(tiff.get());
            if (stripSize <= 0
                || std::uint64_t(stripSize)
                       < std::uint64_t(layout.rowsPerStrip) * layout.scanlineBytes) {
                status = IMG_ERR_FILE_READ;
                return nullptr;
            }
            const StripLease lease{std::uint64_t(stripSize)};
            std::uint8_t *strip = lease.get();
            if (!strip) {
                TIFFError(TIFFFileName(tiff.get()), "No space for strip buffer");
                status = IMG_ERR_NO_MEMORY;
                return nullptr;
            }

            const std::uint64_t rowBytes = rowBytesOf(layout.width, form);
            const std::uint64_t blockBytes = rowBytes * layout.height;
            if (blockBytes > IMG_MAX_BLOCK_BYTES) {
                status = IMG_ERR_NO_MEMORY;
                return nullptr;
            }
            // Every row of the block is written below, so it is not zero-filled:
            // that would be one more pass over a page-sized block per page change.
            const bool reused = reuse && GlobalSize(reuse) >= blockBytes;
            PageBlock block(reused ? nullptr
                                   : static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, blockBytes)));
            BYTE *target = reused ? reuse : block.get();
            if (!target) {
                status = IMG_ERR_NO_MEMORY;
                return nullptr;
            }

            // Min-is-black pages come out with 1 = black from both readers: the byte
            // reader through an inverted table, the bit reader while copying.
            ScratchBuffer table;
            if (form == PageForm::Bytes
                && !buildExpansionTable(table, layout.photometric == PHOTOMETRIC_MINISBLACK)) {
                status = IMG_ERR_NO_MEMORY;
                return nullptr;
            }
            status = readStrips(tiff.get(), layout, strip, std::uint64_t(stripSize), target, form,
                                table.data());
            if (status != IMG_OK)
                return nullptr;
            tiff.reset();
            table.release();
            block.release();
            return target;
        });
}

} // namespace

std::uint32_t imgTiffPageCount(DataSource *handle)
{
    return runFramedOnSource<std::uint32_t>(
        handle, [](SourceRef &source, std::uint32_t &status) -> std::uint32_t {
            return chainPageCount(source, status).pages;
        });
}

std::int32_t imgTiffHasPagesPastCount(DataSource *handle)
{
    return runFramedOnSource<std::int32_t>(
        handle, [](SourceRef &source, std::uint32_t &status) -> std::int32_t {
            return chainPageCount(source, status).more ? 1 : 0;
        });
}

std::int32_t imgGetTiffInfo(DataSource *handle, std::uint32_t *width, std::uint32_t *height,
                            std::int32_t *bitsPerPixel, TiffResolution *resolution)
{
    return runFramedOnSource<std::int32_t>(
        handle, [&](SourceRef &source, std::uint32_t &status) -> std::int32_t {
            if (!width || !height || !bitsPerPixel) {
                status = IMG_ERR_BAD_PARAM;
                return 0;
            }
            *width = 0;
            *height = 0;
            TiffResolution found{0, 0, 0};
            std::int32_t result = 0;
            if (TiffPtr tiff{openTiffOnSource(source, "r")}) {
                TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, width);
                TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, height);
                found = resolutionOf(tiff.get());
                std::uint16_t samples = 1;
                std::uint16_t bits = 1;
                if (!TIFFGetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples))
                    samples = 1;
                if (!TIFFGetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits))
                    bits = 1;
                *bitsPerPixel = static_cast<std::int32_t>(
                    std::min<std::uint64_t>(std::uint64_t(samples) * bits, INT32_MAX));
                result = 1;
            } else {
                status = IMG_ERR_INVALID_TIFF;
            }
            if (resolution)
                *resolution = found;
            return result;
        });
}

std::int32_t imgGetTiffPageResolution(DataSource *handle, std::int32_t page,
                                      TiffResolution *resolution)
{
    return runFramedOnSource<std::int32_t>(
        handle, [&](SourceRef &source, std::uint32_t &status) -> std::int32_t {
            if (!resolution) {
                status = IMG_ERR_BAD_PARAM;
                return 0;
            }
            *resolution = TiffResolution{0, 0, 0};
            TiffPtr tiff(openTagsAtPage(source, page, status));
            if (!tiff)
                return 0;
            *resolution = resolutionOf(tiff.get());
            return 1;
        });
}

BYTE *imgReadTiffPage8(DataSource *handle, std::uint32_t *width, std::uint32_t *height,
                       std::int32_t page)
{
    return readPage(handle, width, height, page, PageForm::Bytes, nullptr);
}

BYTE *imgReadTiffPage8Into(DataSource *handle, std::uint32_t *width, std::uint32_t *height,
                           std::int32_t page, BYTE *block)
{
    return readPage(handle, width, height, page, PageForm::Bytes, block);
}

BYTE *imgReadTiffPage1(DataSource *handle, std::uint32_t *width, std::uint32_t *height,
                       std::int32_t page)
{
    return readPage(handle, width, height, page, PageForm::Bits, nullptr);
}

BYTE *imgReadTiffPage1Into(DataSource *handle, std::uint32_t *width, std::uint32_t *height,
                           std::int32_t page, BYTE *block)
{
    return readPage(handle, width, height, page, PageForm::Bits, block);
}
