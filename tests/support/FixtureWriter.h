#pragma once

// Fax TIFFs for tests and benchmarks, written at run time through libtiff's own
// writing API from an in-memory bilevel image:
//
//     TempDir dir;
//     fixtures::BilevelImage page = fixtures::makeTextPage(1728, 1100);
//     fixtures::FaxTiffOptions options;
//     options.compression = fixtures::Compression::G3OneD;
//     fixtures::writeFaxTiff(dir.file("normal.tif"), {{page, 204.0, 98.0}}, options);
//
// Reading it back with imgReadTiffPage1 gives page.rows within the width.

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

// A bilevel image as the page readers hand it out: packed rows of (width + 7) / 8
// bytes, leftmost pixel in the high bit, 1 = black, bits past the width zero.
struct BilevelImage
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rows;

    BilevelImage() = default;
    BilevelImage(std::uint32_t width, std::uint32_t height); // all white

    std::uint32_t rowBytes() const { return (width + 7) / 8; }
    bool pixel(std::uint32_t x, std::uint32_t y) const;
    void setPixel(std::uint32_t x, std::uint32_t y, bool black);
    void fillRect(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h);
    // One byte per pixel, 0 or 1, as imgReadTiffPage8 gives it.
    std::vector<std::uint8_t> toBytes() const;
};

// A pattern with edges everywhere (diagonals, odd-sized blocks, a border, a lone
// pixel in the last column) so that shifts, flips and lost bits show.
BilevelImage makePatternImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 1);

// A page of "printed text": lines of glyph-sized blocks of noise with word gaps,
// a few rules, margins. Dense enough for realistic decode timings.
BilevelImage makeTextPage(std::uint32_t width = 1728, std::uint32_t height = 2200,
                          std::uint32_t seed = 1);

enum class Compression { None, CcittRle, CcittRleW, G3OneD, G3TwoD, G4, PackBits, Deflate, Lzw };

enum class Photometric {
    MinIsWhite,
    MinIsBlack,
    Absent // no tag: readers take min-is-white for CCITT pages, min-is-black otherwise
};

enum class ResolutionUnit {
    Absent, // no resolution tags at all
    None,   // ResolutionUnit 1
    Inch,
    Centimetre
};

struct FaxPage
{
    BilevelImage image;
    double xResolution = 204.0;
    double yResolution = 196.0;
    ResolutionUnit unit = ResolutionUnit::Inch;
};

struct FaxTiffOptions
{
    Compression compression = Compression::G4;
    Photometric photometric = Photometric::MinIsWhite;
    std::uint16_t fillOrder = 1;    // 2: least significant bit first in the file
    std::uint16_t orientation = 1;  // 3, 4, 7, 8 store the bottom row first
    std::uint32_t rowsPerStrip = 0; // 0: the whole page in one strip
    bool bigEndian = false;
};

// Writes the pages so that a correct reader gives back each page's image (1 =
// black, top row first) whatever the photometric, orientation or fill order.
// False (and a message on stderr) when libtiff refuses.
bool writeFaxTiff(const std::string &path, const std::vector<FaxPage> &pages,
                  const FaxTiffOptions &options = {});
bool writeFaxTiff(const std::string &path, const BilevelImage &image,
                  const FaxTiffOptions &options = {});

// Pages the readers must refuse with code 28; page count and information work.
enum class RefusedPage {
    Grey8,          // 8 bits per sample, one sample
    Tiled,          // bilevel G4 in 16 x 16 tiles
    SeparatePlanes3 // bilevel, three samples in separate planes
};
bool writeRefusedTiff(const std::string &path, RefusedPage kind, std::uint32_t width = 40,
                      std::uint32_t height = 30);

const char *compressionName(Compression compression);
std::vector<Compression> allCompressions();

} // namespace fixtures
