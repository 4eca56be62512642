#pragma once

#include "framework/Geometry.h"
#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

class CDC;

// One fax page as the viewer works on it: one byte per pixel (0 black, 255 white),
// rows top-down without padding, with its resolution and the packed DIB it is drawn
// from. Every operation returns an imaging error code, 0 on success.
//
// Callers read the fields directly; the pixel pointer is taken with AcquirePixels
// and given back with ReleasePixels (PixelAccess does both).
class CPageBitmap
{
public:
    CPageBitmap();
    virtual ~CPageBitmap();
    CPageBitmap(const CPageBitmap &) = delete;
    CPageBitmap &operator=(const CPageBitmap &) = delete;

    // Releases pixels and DIB; the resolution stays. Always 0.
    std::uint32_t Free();
    // width x height zero (black) bytes; 1 when the block cannot be had, object empty.
    std::uint32_t Allocate(CSize size);
    // Copies pixels and size only (not resolution, page count or DIB).
    std::uint32_t CopyFrom(CPageBitmap &source);
    // Builds the 8-bit grey DIB from the pixels; 5 without pixels.
    std::uint32_t MakeDib();

    // Exchanges everything the two pages hold, the shown size and the blocks kept for
    // reuse included; neither may have its pixels acquired.
    void Swap(CPageBitmap &other);
    // Empties the page as Free does, but keeps its blocks for the next page to fill, so
    // a page change does not ask the heap (and the kernel) for fresh memory. Blocks
    // larger than every page lately asked of this object are given back instead.
    void Clear();

    BYTE *AcquirePixels();
    std::uint32_t ReleasePixels();

    // Reads one page (0-based) of a fax file with that page's resolution (200 x 200
    // when it gives none usable). A page that cannot be read leaves no pixels but the
    // file's page count, where the file could be counted (else 0).
    std::uint32_t LoadPage(const CString &path, std::int32_t page);
    std::uint32_t ReadPage(DataSource *source, std::int32_t page);
    // Reads one page black on white whatever its photometric interpretation, as it
    // prints, into grey levels as LoadPage gives them. Reads that page's directory
    // alone: the page count is not taken (it stays 0), so a file of many pages costs
    // no more than one of a single page. Codes as LoadPage.
    std::uint32_t LoadPageAsPrinted(const CString &path, std::int32_t page);
    // Whether the file has pages past the most a page count holds (65535); false also
    // when it cannot be read.
    static bool HasUncountedPages(const CString &path);
    // A TIFF file (KIND_TIFF) with unit 2 (inch) or 3 (centimetre); unit 1 (no absolute
    // unit) gives 200 x (200 x vertical / horizontal), the pixels' shape at a plausible
    // size; kind 0, any other unit or a value of 0 gives 200 x 200.
    static constexpr std::int32_t KIND_TIFF = 12;
    void SetResolution(std::int32_t kind, std::uint32_t horizontal, std::uint32_t vertical,
                       std::int32_t unit);
    // Every row twice; the page count becomes 0, the resolution stays.
    std::uint32_t DoubleRows();
    // Normal-mode faxes (204 x 98 dpi) get their rows doubled before display so they
    // show with the aspect of fine-mode pages. Only pixels about twice as wide as high
    // are doubled: a square-pixel page at 100 x 100 would show twice too tall.
    bool NeedsRowDoubling() const
    {
        return m_resolution.cy < 190
               && 2 * std::int64_t{m_resolution.cx} >= 3 * std::int64_t{m_resolution.cy};
    }
    // Superfine faxes (204 x 391 dpi) and other pages whose pixels are at least 1.5
    // times as tall as wide get their rows merged in pairs, the mirror of the doubling,
    // so they show with the proportions of the paper.
    bool NeedsRowMerging() const
    {
        return 2 * std::int64_t{m_resolution.cy} >= 3 * std::int64_t{m_resolution.cx};
    }
    // Every pair of rows becomes one (a last odd row stays alone): averaged when smooth,
    // else black wherever either row is black, as the reduction treats the page. The
    // resolution stays; HeightAsRead() keeps the height before the merge. 1 when the
    // block cannot be had (the page is then unchanged), 1 without pixels.
    std::uint32_t MergeRows(BOOL smooth);
    // The height the page had when read, before any merge (a doubled page reads as
    // doubled).
    std::int32_t HeightAsRead() const { return m_nMergedFrom > 0 ? m_nMergedFrom : m_size.cy; }
    bool HasMergedRows() const { return m_nMergedFrom > 0; }
    // Gives a freshly read page the proportions the viewer shows it with (rows doubled
    // where NeedsRowDoubling, merged where NeedsRowMerging, smoothing the merge as
    // `smooth` says), so every program that shows pages shapes them alike. 0 when the
    // page is left as it is; else codes as DoubleRows or MergeRows.
    std::uint32_t ShapeAsShown(BOOL smooth);
    // IMG_ROT_CW90, IMG_ROT_180 or IMG_ROT_CCW90, in place; the DIB is not rebuilt.
    std::uint32_t Rotate(std::int32_t rotation);
    // Draws the DIB at the origin, ShownSize() logical units large; 5 without a DIB.
    std::uint32_t Draw(CDC *pDC);
    // Packed 1-bit rows (bit 0 black) and their two-colour DIB, for printing, with
    // the page's resolution as LoadPage reads it.
    std::uint32_t LoadPrintPage(const CString &path, std::int32_t page);
    // Reduces source into this page at width x height: grey box means when smooth,
    // else black wherever the box holds a black pixel. 5 for an enlargement, a zero
    // size, a missing source or a box above 2^24 pixels (the page then is black).
    std::uint32_t ScaleFrom(CPageBitmap &source, std::uint32_t width, std::uint32_t height,
                            BOOL smooth);
    // Renders source to cover `shown` logical pixels on a screen of device pixel ratio
    // `ratio`: reduced to shown x ratio, but never past the source's own size, where it
    // is a plain copy. ShownSize() is then `shown`. Codes as ScaleFrom.
    std::uint32_t ScaleForScreen(CPageBitmap &source, CSize shown, double ratio, BOOL smooth);

    // The size the page covers on screen in logical pixels, where it differs from the
    // pixels held: a page rendered for a screen of device pixel ratio r holds about r
    // times as many pixels each way. Operations that make new pixels clear it.
    CSize ShownSize() const { return m_shownSize.cx > 0 ? m_shownSize : m_size; }
    void SetShownSize(CSize size) { m_shownSize = size; }

    CSize m_size;
    CSize m_resolution;
    BYTE *m_pPixels;
    BITMAPINFOHEADER *m_pDib;
    std::int32_t m_nAccessCount;
    std::int32_t m_nPageCount;

private:
    // The sizes lately asked of one kind of block; a kept block larger than all of them
    // holds memory no page needs any more.
    class RecentNeeds
    {
    public:
        void Note(std::uint64_t bytes) { m_bytes[m_nNext++ % COUNT] = bytes; }
        std::uint64_t Largest() const;

    private:
        static constexpr unsigned COUNT = 8;
        std::uint64_t m_bytes[COUNT] = {};
        unsigned m_nNext = 0;
    };

    CSize m_shownSize;
    std::int32_t m_nMergedFrom = 0;
    // Blocks of the page last held, kept by Clear for the next page.
    BYTE *m_pSparePixels = nullptr;
    BITMAPINFOHEADER *m_pSpareDib = nullptr;
    RecentNeeds m_pixelNeeds;
    RecentNeeds m_dibNeeds;

    // The kept pixel block when it holds bytes (noted as a need), else a new one from
    // the heap with flags (the kept one is given back); null when neither can be had.
    BYTE *TakePixelBlock(std::uint64_t bytes, unsigned flags);
    // Gives back a kept block that no page lately needed.
    void TrimSpares();
    // After an imaging call was offered a kept block: keeps it when the call failed,
    // gives it back when the call made a block of its own instead.
    template <typename Block> void KeepUnused(Block *offered, Block *result, Block *&spare)
    {
        if (!result)
            spare = offered;
        else if (result != offered)
            GlobalFree(offered);
        TrimSpares();
    }

    // Resets the resolution, then takes the page's own from the file.
    void ReadResolution(DataSource *source, std::int32_t page);
    // Allocate with the heap's flags: GMEM_FIXED alone for callers that write every
    // byte themselves.
    std::uint32_t AllocateBlock(CSize size, unsigned flags);
};

// Holds the pixel pointer of a page for a scope, so every way out releases it.
class PixelAccess
{
public:
    explicit PixelAccess(CPageBitmap &page)
        : m_page(page)
        , m_pPixels(page.AcquirePixels())
    {
    }
    ~PixelAccess() { m_page.ReleasePixels(); }
    PixelAccess(const PixelAccess &) = delete;
    PixelAccess &operator=(const PixelAccess &) = delete;

    BYTE *get() const { return m_pPixels; }
    explicit operator bool() const { return m_pPixels != nullptr; }

private:
    CPageBitmap &m_page;
    BYTE *m_pPixels;
};
