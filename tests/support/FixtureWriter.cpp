#include "tests/support/FixtureWriter.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <tiffio.h>

namespace fixtures {

namespace {

// Small deterministic generator: the same seed gives the same page everywhere.
class Lcg
{
public:
    explicit Lcg(std::uint32_t seed)
        : m_state(seed * 2654435761u + 1)
    {
    }
    std::uint32_t next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    std::uint32_t below(std::uint32_t bound) { return bound ? next() % bound : 0; }

private:
    std::uint32_t m_state;
};

std::uint16_t tiffCompression(Compression compression)
{
    switch (compression) {
    case Compression::None:
        return COMPRESSION_NONE;
    case Compression::CcittRle:
        return COMPRESSION_CCITTRLE;
    case Compression::CcittRleW:
        return COMPRESSION_CCITTRLEW;
    case Compression::G3OneD:
    case Compression::G3TwoD:
        return COMPRESSION_CCITTFAX3;
    case Compression::G4:
        return COMPRESSION_CCITTFAX4;
    case Compression::PackBits:
        return COMPRESSION_PACKBITS;
    case Compression::Deflate:
        return COMPRESSION_ADOBE_DEFLATE;
    case Compression::Lzw:
        return COMPRESSION_LZW;
    }
    return COMPRESSION_NONE;
}

bool isCcitt(Compression compression)
{
    switch (compression) {
    case Compression::CcittRle:
    case Compression::CcittRleW:
    case Compression::G3OneD:
    case Compression::G3TwoD:
    case Compression::G4:
        return true;
    default:
        return false;
    }
}

bool storesBottomRowFirst(std::uint16_t orientation)
{
    return orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT
           || orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
}

struct TiffCloser
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};

bool fail(const std::string &path, const char *what)
{
    std::fprintf(stderr, "fixture %s: %s\n", path.c_str(), what);
    return false;
}

bool writePage(TIFF *tiff, const FaxPage &page, const FaxTiffOptions &options,
               std::uint16_t pageNumber, std::uint16_t pageCount)
{
    const BilevelImage &image = page.image;
    const std::uint32_t rowsPerStrip =
        options.rowsPerStrip == 0 ? image.height : std::min(options.rowsPerStrip, image.height);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, tiffCompression(options.compression));
    if (options.compression == Compression::G3OneD)
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0);
    if (options.compression == Compression::G3TwoD)
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING);
    if (options.photometric == Photometric::MinIsWhite)
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    if (options.photometric == Photometric::MinIsBlack)
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    if (options.fillOrder != FILLORDER_MSB2LSB)
        TIFFSetField(tiff, TIFFTAG_FILLORDER, options.fillOrder);
    if (options.orientation != ORIENTATION_TOPLEFT)
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, options.orientation);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (page.unit != ResolutionUnit::Absent) {
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, page.xResolution);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, page.yResolution);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT,
                     page.unit == ResolutionUnit::Inch         ? RESUNIT_INCH
                     : page.unit == ResolutionUnit::Centimetre ? RESUNIT_CENTIMETER
                                                               : RESUNIT_NONE);
    }
    if (pageCount > 1) {
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, pageNumber, pageCount);
    }

    // Stored bits are what the reader will interpret: 1 = black only for min-is-white.
    const bool minIsBlack =
        options.photometric == Photometric::MinIsBlack
        || (options.photometric == Photometric::Absent && !isCcitt(options.compression));
    const bool bottomUp = storesBottomRowFirst(options.orientation);
    const std::uint32_t rowBytes = image.rowBytes();
    std::vector<std::uint8_t> strip;
    tstrip_t number = 0;
    for (std::uint32_t row = 0; row < image.height; row += rowsPerStrip, ++number) {
        const std::uint32_t rows = std::min(rowsPerStrip, image.height - row);
        strip.assign(std::size_t(rows) * rowBytes, 0);
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t fileRow = row + r;
            const std::uint32_t imageRow = bottomUp ? image.height - 1 - fileRow : fileRow;
            const std::uint8_t *in = image.rows.data() + std::size_t(imageRow) * rowBytes;
            std::uint8_t *out = strip.data() + std::size_t(r) * rowBytes;
            for (std::uint32_t i = 0; i < rowBytes; ++i)
                out[i] = minIsBlack ? std::uint8_t(~in[i]) : in[i];
        }
        if (TIFFWriteEncodedStrip(tiff, number, strip.data(), tmsize_t(strip.size())) < 0)
            return false;
    }
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace

BilevelImage::BilevelImage(std::uint32_t width, std::uint32_t height)
    : width(width)
    , height(height)
    , rows(std::size_t((width + 7) / 8) * height, 0)
{
}

bool BilevelImage::pixel(std::uint32_t x, std::uint32_t y) const
{
    return (rows[std::size_t(y) * rowBytes() + x / 8] >> (7 - x % 8)) & 1;
}

void BilevelImage::setPixel(std::uint32_t x, std::uint32_t y, bool black)
{
    std::uint8_t &byte = rows[std::size_t(y) * rowBytes() + x / 8];
    const std::uint8_t mask = std::uint8_t(0x80 >> (x % 8));
    byte = black ? std::uint8_t(byte | mask) : std::uint8_t(byte & ~mask);
}

void BilevelImage::fillRect(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h)
{
    for (std::uint32_t yy = y; yy < std::min(height, y + h); ++yy) {
        for (std::uint32_t xx = x; xx < std::min(width, x + w); ++xx)
            setPixel(xx, yy, true);
    }
}

std::vector<std::uint8_t> BilevelImage::toBytes() const
{
    std::vector<std::uint8_t> bytes(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x)
            bytes[std::size_t(y) * width + x] = pixel(x, y) ? 1 : 0;
    }
    return bytes;
}

BilevelImage makePatternImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed)
{
    BilevelImage image(width, height);
    Lcg random(seed);
    for (std::uint32_t x = 0; x < width; ++x) {
        image.setPixel(x, 0, true);
        image.setPixel(x, height - 1, true);
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        image.setPixel(0, y, true);
        image.setPixel(y % width, y, true);
        image.setPixel((y * 3 + 5) % width, y, (y / 4) % 2 == 0);
    }
    for (int block = 0; block < 12; ++block) {
        image.fillRect(random.below(width), random.below(height), 1 + random.below(13),
                       1 + random.below(9));
    }
    for (std::uint32_t y = 1; y + 1 < height; y += 3) {
        for (std::uint32_t x = 1; x + 1 < width; ++x) {
            if (random.below(7) == 0)
                image.setPixel(x, y, true);
        }
    }
    image.setPixel(width - 1, height / 2, true);
    return image;
}

BilevelImage makeTextPage(std::uint32_t width, std::uint32_t height, std::uint32_t seed)
{
    BilevelImage image(width, height);
    Lcg random(seed);
    const std::uint32_t margin = width / 14;
    const std::uint32_t linePitch = 30;
    const std::uint32_t glyphHeight = 18;
    for (std::uint32_t top = height / 16; top + linePitch < height - height / 16;
         top += linePitch) {
        if (random.below(23) == 0) {
            image.fillRect(margin, top + glyphHeight / 2, width - 2 * margin, 2);
            continue;
        }
        std::uint32_t x = margin;
        const std::uint32_t lineEnd = width - margin - random.below(width / 3);
        while (x + 16 < lineEnd) {
            const std::uint32_t glyphWidth = 9 + random.below(6);
            const std::uint32_t strokes = random.next();
            // A glyph is a few strokes in its cell: verticals, bars and a diagonal.
            if (strokes & 1)
                image.fillRect(x, top, 2, glyphHeight);
            if (strokes & 2)
                image.fillRect(x + glyphWidth - 3, top + 5, 2, glyphHeight - 5);
            if (strokes & 4)
                image.fillRect(x, top + 5, glyphWidth - 2, 2);
            if (strokes & 8)
                image.fillRect(x, top + glyphHeight - 2, glyphWidth - 2, 2);
            if (strokes & 16)
                image.fillRect(x + glyphWidth / 2 - 1, top + 7, 2, glyphHeight - 7);
            if ((strokes & 96) == 96) {
                for (std::uint32_t d = 0; d < glyphHeight - 6; ++d)
                    image.fillRect(x + d * (glyphWidth - 3) / glyphHeight, top + 6 + d, 2, 1);
            }
            if ((strokes & 0x3e) == 0)
                image.fillRect(x + 2, top + 6, glyphWidth - 5, glyphHeight - 8);
            x += glyphWidth + 2;
            if (random.below(6) == 0)
                x += 10;
        }
    }
    return image;
}

bool writeFaxTiff(const std::string &path, const std::vector<FaxPage> &pages,
                  const FaxTiffOptions &options)
{
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), options.bigEndian ? "wb" : "wl"));
    if (!tiff)
        return fail(path, "cannot create");
    const auto count = static_cast<std::uint16_t>(pages.size());
    for (std::uint16_t i = 0; i < count; ++i) {
        if (!writePage(tiff.get(), pages[i], options, i, count))
            return fail(path, "libtiff refused a page");
    }
    return true;
}

bool writeFaxTiff(const std::string &path, const BilevelImage &image, const FaxTiffOptions &options)
{
    return writeFaxTiff(path, std::vector<FaxPage>{FaxPage{image}}, options);
}

bool writeRefusedTiff(const std::string &path, RefusedPage kind, std::uint32_t width,
                      std::uint32_t height)
{
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "w"));
    if (!tiff)
        return fail(path, "cannot create");
    TIFF *t = tiff.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 196.0);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const std::uint32_t rowBytes = (width + 7) / 8;
    bool written = false;
    switch (kind) {
    case RefusedPage::Grey8: {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
        std::vector<std::uint8_t> grey(std::size_t(width) * height);
        for (std::size_t i = 0; i < grey.size(); ++i)
            grey[i] = std::uint8_t(i * 7);
        written = TIFFWriteEncodedStrip(t, 0, grey.data(), tmsize_t(grey.size())) >= 0;
        break;
    }
    case RefusedPage::Tiled: {
        constexpr std::uint32_t tile = 16;
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, tile);
        std::vector<std::uint8_t> pattern(tile / 8 * tile, 0x3c);
        written = true;
        for (ttile_t i = 0; i < TIFFNumberOfTiles(t); ++i)
            written = written
                      && TIFFWriteEncodedTile(t, i, pattern.data(), tmsize_t(pattern.size())) >= 0;
        break;
    }
    case RefusedPage::SeparatePlanes3: {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
        std::vector<std::uint8_t> plane(std::size_t(rowBytes) * height, 0xa5);
        written = true;
        for (tstrip_t i = 0; i < 3; ++i)
            written =
                written && TIFFWriteEncodedStrip(t, i, plane.data(), tmsize_t(plane.size())) >= 0;
        break;
    }
    }
    if (!written || !TIFFWriteDirectory(t))
        return fail(path, "libtiff refused the page");
    return true;
}

const char *compressionName(Compression compression)
{
    switch (compression) {
    case Compression::None:
        return "none";
    case Compression::CcittRle:
        return "ccitt-rle";
    case Compression::CcittRleW:
        return "ccitt-rlew";
    case Compression::G3OneD:
        return "g3-1d";
    case Compression::G3TwoD:
        return "g3-2d";
    case Compression::G4:
        return "g4";
    case Compression::PackBits:
        return "packbits";
    case Compression::Deflate:
        return "deflate";
    case Compression::Lzw:
        return "lzw";
    }
    return "?";
}

std::vector<Compression> allCompressions()
{
    return {Compression::None,     Compression::CcittRle, Compression::CcittRleW,
            Compression::G3OneD,   Compression::G3TwoD,   Compression::G4,
            Compression::PackBits, Compression::Deflate,  Compression::Lzw};
}

} // namespace fixtures
