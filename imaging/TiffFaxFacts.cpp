#include "imaging/DataSource.h"
#include "imaging/TiffDirectories.h"
#include "imaging/imaging.h"

#include <cmath>
#include <cstring>

// libtiff registers the fax tags (FaxRecvTime, FaxSubAddress) with the baseline ones;
// BadFaxLines, ConsecutiveBadFaxLines and CleanFaxData only exist while a CCITT codec is
// the page's compression, so they are asked for only then.

namespace {

void copyText(TIFF *tiff, ttag_t tag, char (&out)[IMG_FAX_TEXT_BYTES])
{
    out[0] = '\0';
    const char *text = nullptr;
    if (!TIFFGetField(tiff, tag, &text) || !text)
        return;
    // libtiff hands ASCII fields zero-terminated; a description of megabytes is cut here.
    std::size_t length = 0;
    while (length + 1 < IMG_FAX_TEXT_BYTES && text[length] != '\0')
        ++length;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

bool isCcitt(std::uint16_t compression)
{
    return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3
           || compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW;
}

std::int32_t wholeValue(float value)
{
    if (!std::isfinite(value) || value < 0.0f || double(value) >= 2147483648.0)
        return 0;
    return static_cast<std::int32_t>(value);
}

void clearPage(TiffPageFacts &page)
{
    page = TiffPageFacts{};
    page.compression = COMPRESSION_NONE;
    page.recvTime = page.badLines = page.consecutiveBadLines = -1;
    page.cleanData = -1;
}

void readPage(TIFF *tiff, TiffPageFacts &facts)
{
    clearPage(facts);
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &facts.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &facts.height);
    std::uint16_t unit = 0;
    if (TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit))
        facts.resolution.unit = unit;
    float x = 0.0f;
    float y = 0.0f;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x))
        facts.resolution.xResolution = wholeValue(x);
    if (TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y))
        facts.resolution.yResolution = wholeValue(y);
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    facts.compression = compression;

    std::uint32_t seconds = 0;
    if (TIFFGetField(tiff, TIFFTAG_FAXRECVTIME, &seconds))
        facts.recvTime = seconds;
    if (isCcitt(compression)) {
        std::uint32_t lines = 0;
        if (TIFFGetField(tiff, TIFFTAG_BADFAXLINES, &lines))
            facts.badLines = lines;
        if (TIFFGetField(tiff, TIFFTAG_CONSECUTIVEBADFAXLINES, &lines))
            facts.consecutiveBadLines = lines;
        std::uint16_t clean = 0;
        if (TIFFGetField(tiff, TIFFTAG_CLEANFAXDATA, &clean))
            facts.cleanData = clean;
    }
}

void readFacts(TIFF *tiff, TiffFaxFacts &facts)
{
    readPage(tiff, facts.page);
    copyText(tiff, TIFFTAG_IMAGEDESCRIPTION, facts.description);
    copyText(tiff, TIFFTAG_DATETIME, facts.dateTime);
    copyText(tiff, TIFFTAG_MAKE, facts.make);
    copyText(tiff, TIFFTAG_MODEL, facts.model);
    copyText(tiff, TIFFTAG_HOSTCOMPUTER, facts.hostComputer);
    copyText(tiff, TIFFTAG_SOFTWARE, facts.software);
    copyText(tiff, TIFFTAG_FAXSUBADDRESS, facts.subAddress);
}

void clearFacts(TiffFaxFacts &facts)
{
    std::memset(&facts, 0, sizeof facts);
    clearPage(facts.page);
}

} // namespace

std::int32_t imgGetTiffFaxFacts(DataSource *handle, std::int32_t page, TiffFaxFacts *facts)
{
    return runFramedOnSource<std::int32_t>(
        handle, [&](SourceRef &source, std::uint32_t &status) -> std::int32_t {
            if (!facts) {
                status = IMG_ERR_BAD_PARAM;
                return 0;
            }
            clearFacts(*facts);
            TiffPtr tiff(openTagsAtPage(source, page, status));
            if (!tiff)
                return 0;
            readFacts(tiff.get(), *facts);
            return 1;
        });
}

std::uint32_t imgGetTiffPageFacts(DataSource *handle, std::int32_t first, std::uint32_t count,
                                  TiffPageFacts *pages)
{
    return runFramedOnSource<std::uint32_t>(
        handle, [&](SourceRef &source, std::uint32_t &status) -> std::uint32_t {
            if (!pages || first < 0) {
                status = IMG_ERR_BAD_PARAM;
                return 0;
            }
            TiffPtr tiff(openTagsAtPage(source, first, status));
            if (!tiff)
                return 0;
            // TIFFReadDirectory refuses a chain that loops, so the walk ends.
            std::uint32_t filled = 0;
            while (filled < count) {
                readPage(tiff.get(), pages[filled]);
                ++filled;
                if (filled == count || !TIFFReadDirectory(tiff.get()))
                    break;
            }
            return filled;
        });
}
