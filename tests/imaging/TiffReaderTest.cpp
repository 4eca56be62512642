#include "imaging/DataSource.h"
#include "imaging/TiffDirectories.h"
#include "platform/DebugOutput.h"
#include "platform/GlobalMemory.h"
#include "tests/imaging/TiffTestSupport.h"
#include "tests/support/RawTiffBuilder.h"
#include "tools/fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstring>
#include <thread>
#include <vector>

using namespace fixtures;

namespace {

struct RoundTrip
{
    const char *name;
    Compression compression;
    Photometric photometric = Photometric::MinIsWhite;
    std::uint16_t fillOrder = 1;
    std::uint16_t orientation = 1;
    std::uint32_t rowsPerStrip = 0;
    std::uint32_t width = 61;
    std::uint32_t height = 23;
    bool bigEndian = false;
};

// Both readers give back exactly the written image, 1 = black.
void expectReadsBack(const std::string &path, const BilevelImage &image, std::int32_t page,
                     const std::string &what)
{
    PageRead bytes = readPage8(path, page);
    ASSERT_EQ(bytes.code, IMG_OK) << what;
    EXPECT_EQ(bytes.width, image.width) << what;
    EXPECT_EQ(bytes.height, image.height) << what;
    EXPECT_EQ(bytes.pixels, expectedBytes(image)) << what;

    PageRead bits = readPage1(path, page);
    ASSERT_EQ(bits.code, IMG_OK) << what;
    EXPECT_EQ(bits.width, image.width) << what;
    EXPECT_EQ(bits.height, image.height) << what;
    EXPECT_EQ(firstDifferentRow(bits.pixels, image), -1) << what;
}

} // namespace

TEST(TiffPageReader, ReadsEveryWrittenVariantPixelForPixel)
{
    const RoundTrip cases[] = {
        {"none", Compression::None},
        {"ccitt-rle", Compression::CcittRle},
        // libtiff 4.5 loses the word alignment between rows of one RLE/W strip
        // (its decoder skips a byte when two are buffered): one row per strip.
        {"ccitt-rlew", Compression::CcittRleW, Photometric::MinIsWhite, 1, 1, 1},
        {"g3-1d", Compression::G3OneD},
        {"g3-2d", Compression::G3TwoD},
        {"g4", Compression::G4},
        {"packbits", Compression::PackBits},
        {"deflate", Compression::Deflate},
        // Many strips, the last one short (23 = 3 x 7 + 2).
        {"none strips", Compression::None, Photometric::MinIsWhite, 1, 1, 7},
        {"g3-2d strips", Compression::G3TwoD, Photometric::MinIsWhite, 1, 1, 7},
        {"g4 strips", Compression::G4, Photometric::MinIsWhite, 1, 1, 7},
        {"packbits one row per strip", Compression::PackBits, Photometric::MinIsWhite, 1, 1, 1},
        {"deflate strips", Compression::Deflate, Photometric::MinIsWhite, 1, 1, 5},
        // Fill order 2: libtiff hands rows over high bit first all the same.
        {"none lsb", Compression::None, Photometric::MinIsWhite, 2},
        {"rle lsb", Compression::CcittRle, Photometric::MinIsWhite, 2},
        {"g3-1d lsb", Compression::G3OneD, Photometric::MinIsWhite, 2},
        {"g3-2d lsb", Compression::G3TwoD, Photometric::MinIsWhite, 2},
        {"g4 lsb", Compression::G4, Photometric::MinIsWhite, 2},
        // Min-is-black and absent photometric: both readers give 1 = black.
        {"none min-is-black", Compression::None, Photometric::MinIsBlack},
        {"g4 min-is-black", Compression::G4, Photometric::MinIsBlack},
        {"packbits min-is-black strips", Compression::PackBits, Photometric::MinIsBlack, 1, 1, 4},
        {"none no photometric", Compression::None, Photometric::Absent},
        {"deflate no photometric", Compression::Deflate, Photometric::Absent},
        {"g4 no photometric", Compression::G4, Photometric::Absent},
        {"g3 no photometric", Compression::G3OneD, Photometric::Absent},
        {"rlew no photometric", Compression::CcittRleW, Photometric::Absent, 1, 1, 1},
        // Widths around byte boundaries, a single row, a single column.
        {"width 8", Compression::G4, Photometric::MinIsWhite, 1, 1, 0, 8, 9},
        {"width 9", Compression::None, Photometric::MinIsWhite, 1, 1, 3, 9, 9},
        {"width 1", Compression::G4, Photometric::MinIsWhite, 1, 1, 0, 1, 5},
        {"height 1", Compression::G3TwoD, Photometric::MinIsWhite, 1, 1, 0, 33, 1},
        {"width 1729", Compression::G4, Photometric::MinIsWhite, 1, 1, 37, 1729, 80},
        // Rows long enough for the eight-byte expansion, with whole bytes and
        // pixels left over after it, in both polarities and from the bottom up.
        {"width 1100 min-is-black", Compression::G4, Photometric::MinIsBlack, 1, 1, 9, 1100, 40},
        {"width 131 bottom first", Compression::None, Photometric::MinIsWhite, 1, 4, 5, 131, 17},
        {"big-endian", Compression::G4, Photometric::MinIsWhite, 1, 1, 7, 61, 23, true},
        {"big-endian none", Compression::None, Photometric::MinIsBlack, 1, 1, 7, 61, 23, true},
    };
    TempDir dir;
    std::uint32_t seed = 1;
    for (const RoundTrip &c : cases) {
        const BilevelImage image = makePatternImage(c.width, c.height, seed++);
        FaxTiffOptions options;
        options.compression = c.compression;
        options.photometric = c.photometric;
        options.fillOrder = c.fillOrder;
        options.orientation = c.orientation;
        options.rowsPerStrip = c.rowsPerStrip;
        options.bigEndian = c.bigEndian;
        const std::string path = dir.file(std::string(c.name) + ".tif");
        ASSERT_TRUE(writeFaxTiff(path, image, options)) << c.name;
        expectReadsBack(path, image, 0, c.name);
    }
}

TEST(TiffPageReader, OrientationOnlyDecidesRowOrder)
{
    // The writer stores the bottom row first for 3, 4, 7 and 8, so every
    // orientation must give back the same image: rows reversed, never mirrored
    // or transposed.
    TempDir dir;
    const BilevelImage image = makePatternImage(37, 19, 3);
    for (std::uint16_t orientation = 1; orientation <= 8; ++orientation) {
        for (std::uint32_t rowsPerStrip : {0u, 4u}) {
            FaxTiffOptions options;
            options.orientation = orientation;
            options.rowsPerStrip = rowsPerStrip;
            options.compression = rowsPerStrip ? Compression::None : Compression::G4;
            const std::string what = "orientation " + std::to_string(orientation)
                                     + " rows per strip " + std::to_string(rowsPerStrip);
            const std::string path = dir.file(what + ".tif");
            ASSERT_TRUE(writeFaxTiff(path, image, options));
            expectReadsBack(path, image, 0, what);
        }
    }
}

TEST(TiffPageReader, ReadsEachPageOfAMultiPageFile)
{
    TempDir dir;
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 4; ++i)
        pages.push_back({makePatternImage(50 + 7 * i, 20 + 3 * i, 10 + i), 204.0, 98.0});
    const std::string path = dir.file("multi.tif");
    for (Compression compression : {Compression::G4, Compression::G3OneD, Compression::None}) {
        FaxTiffOptions options;
        options.compression = compression;
        options.rowsPerStrip = 6;
        ASSERT_TRUE(writeFaxTiff(path, pages, options));
        EXPECT_EQ(pageCount(path), 4u);
        // Last page first: nothing may depend on an earlier page having been read.
        for (std::int32_t page = 3; page >= 0; --page)
            expectReadsBack(path, pages[page].image, page,
                            std::string(compressionName(compression)) + " page "
                                + std::to_string(page));
    }
}

TEST(TiffPageReader, RefusesPagesItCannotPlaceWithTheirCodes)
{
    TempDir dir;
    struct Refusal
    {
        const char *name;
        RefusedPage kind;
        std::int32_t bitsPerPixel;
    };
    for (const Refusal &r :
         {Refusal{"grey8", RefusedPage::Grey8, 8}, Refusal{"tiled", RefusedPage::Tiled, 1},
          Refusal{"planes3", RefusedPage::SeparatePlanes3, 3}}) {
        const std::string path = dir.file(std::string(r.name) + ".tif");
        ASSERT_TRUE(writeRefusedTiff(path, r.kind, 40, 30));
        const std::size_t live = GlobalLiveBlockCount();
        for (const PageRead &read : {readPage8(path, 0), readPage1(path, 0)}) {
            EXPECT_EQ(read.code, IMG_ERR_BIT_DEPTH) << r.name;
            EXPECT_FALSE(read.returnedBlock) << r.name;
        }
        EXPECT_EQ(GlobalLiveBlockCount(), live);
        EXPECT_EQ(pageCount(path), 1u) << r.name;
        InfoRead info = tiffInfo(path);
        EXPECT_EQ(info.result, 1) << r.name;
        EXPECT_EQ(info.code, IMG_OK) << r.name;
        EXPECT_EQ(info.width, 40u);
        EXPECT_EQ(info.height, 30u);
        EXPECT_EQ(info.bitsPerPixel, r.bitsPerPixel) << r.name;
    }
}

TEST(TiffPageReader, RejectsLzwStripsButCountsAndDescribesTheirPages)
{
    TempDir dir;
    const std::string path = dir.file("lzw.tif");
    FaxTiffOptions options;
    options.compression = Compression::Lzw;
    ASSERT_TRUE(writeFaxTiff(path, makePatternImage(61, 23), options));

    const std::size_t live = GlobalLiveBlockCount();
    DebugOutputCapture capture;
    for (const PageRead &read : {readPage8(path, 0), readPage1(path, 0)}) {
        EXPECT_EQ(read.code, IMG_ERR_FILE_READ);
        EXPECT_FALSE(read.returnedBlock);
        EXPECT_EQ(read.width, 61u);
    }
    EXPECT_NE(capture.text().find("LZW decoding not supported\n"), std::string::npos)
        << capture.text();
    EXPECT_EQ(GlobalLiveBlockCount(), live);
    EXPECT_EQ(pageCount(path), 1u);
    InfoRead info = tiffInfo(path);
    EXPECT_EQ(info.result, 1);
    EXPECT_EQ(info.width, 61u);
    EXPECT_EQ(info.bitsPerPixel, 1);
}

TEST(TiffPageReader, RefusesPageIndicesWithoutADirectoryBeforeAllocating)
{
    TempDir dir;
    const std::string path = dir.file("two.tif");
    ASSERT_TRUE(
        writeFaxTiff(path, {FaxPage{makePatternImage(20, 10)}, FaxPage{makePatternImage(30, 10)}}));
    ASSERT_EQ(pageCount(path), 2u);
    for (std::int32_t page : {2, 3, 65536, INT32_MAX, -1, INT32_MIN}) {
        const std::uint64_t calls = GlobalAllocCallCount();
        const std::size_t live = GlobalLiveBlockCount();
        for (const PageRead &read : {readPage8(path, page), readPage1(path, page)}) {
            EXPECT_EQ(read.code, IMG_ERR_BAD_PARAM) << page;
            EXPECT_FALSE(read.returnedBlock) << page;
        }
        // Only the two sources were allocated (and freed) on the way.
        EXPECT_EQ(GlobalAllocCallCount(), calls + 2) << page;
        EXPECT_EQ(GlobalLiveBlockCount(), live) << page;
    }
}

TEST(TiffPageReader, NullAndInvalidHandlesAndOutputs)
{
    std::uint32_t width = 7;
    std::uint32_t height = 7;
    std::int32_t bits = 0;
    EXPECT_EQ(imgReadTiffPage8(nullptr, &width, &height, 0), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgReadTiffPage1(nullptr, &width, &height, 0), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgTiffPageCount(nullptr), 0u);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgGetTiffInfo(nullptr, &width, &height, &bits, nullptr), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);

    DataSource *foreign = static_cast<DataSource *>(GlobalAlloc(GPTR, sizeof(DataSource)));
    EXPECT_EQ(imgReadTiffPage8(foreign, &width, &height, 0), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_SOURCE);
    EXPECT_EQ(imgTiffPageCount(foreign), 0u);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_SOURCE);
    GlobalFree(foreign);

    TempDir dir;
    const std::string path = dir.file("page.tif");
    ASSERT_TRUE(writeFaxTiff(path, makePatternImage(20, 10)));
    DataSource *source = imgOpenFileSource(path.c_str());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(imgReadTiffPage8(source, nullptr, &height, 0), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgGetTiffInfo(source, &width, &height, nullptr, nullptr), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    imgCloseSource(source);
}

TEST(TiffEntryPoints, EachReadsItsHeaderWhereTheSourceStands)
{
    // Every entry point opens libtiff where the source stands: after another entry
    // point that is not the header, whether or not the file's chain was remembered,
    // and after a rewind it is.
    struct EntryPoint
    {
        const char *name;
        std::uint32_t notTiff; // the code when no header is found
        void (*run)(DataSource *source);
    };
    static const EntryPoint entries[] = {
        {"page count", IMG_ERR_INVALID_TIFF, [](DataSource *s) { imgTiffPageCount(s); }},
        {"pages past count", IMG_ERR_INVALID_TIFF,
         [](DataSource *s) { imgTiffHasPagesPastCount(s); }},
        {"page information", IMG_ERR_INVALID_TIFF,
         [](DataSource *s) {
             std::uint32_t width = 0;
             std::uint32_t height = 0;
             std::int32_t bits = 0;
             imgGetTiffInfo(s, &width, &height, &bits, nullptr);
         }},
        {"page 3 resolution", IMG_ERR_INVALID_TIFF,
         [](DataSource *s) {
             TiffResolution resolution{};
             imgGetTiffPageResolution(s, 2, &resolution);
         }},
        {"byte page 1", IMG_ERR_FILE_OPEN,
         [](DataSource *s) {
             std::uint32_t width = 0;
             std::uint32_t height = 0;
             GlobalFree(imgReadTiffPage8(s, &width, &height, 0));
         }},
        {"bit page 3", IMG_ERR_FILE_OPEN,
         [](DataSource *s) {
             std::uint32_t width = 0;
             std::uint32_t height = 0;
             GlobalFree(imgReadTiffPage1(s, &width, &height, 2));
         }},
    };
    TempDir dir;
    const std::string path = dir.file("pages.tif");
    ASSERT_TRUE(writeFaxTiff(path, {{makePatternImage(64, 40, 1)},
                                    {makePatternImage(72, 30, 2)},
                                    {makePatternImage(80, 20, 3)}}));
    const std::size_t live = GlobalLiveBlockCount();
    const auto remember = [&] {
        std::uint32_t code = 0;
        ASSERT_EQ(pageCount(path, &code), 3u);
        ASSERT_EQ(code, IMG_OK);
    };
    for (const bool remembered : {false, true}) {
        for (const EntryPoint &first : entries) {
            for (const EntryPoint &second : entries) {
                const std::string what = std::string(first.name) + " then " + second.name
                                         + (remembered ? ", chain remembered" : ", chain not");
                forgetDirectoryChains();
                if (remembered)
                    remember();
                DataSource *source = imgOpenFileSource(path.c_str());
                ASSERT_NE(source, nullptr);
                first.run(source);
                EXPECT_EQ(imgGetLastError(), IMG_OK) << what;
                second.run(source);
                EXPECT_EQ(imgGetLastError(), second.notTiff) << what << " without a rewind";
                ASSERT_EQ(imgSeekSource(source, 0, 0), 1);
                second.run(source);
                EXPECT_EQ(imgGetLastError(), IMG_OK) << what << " after a rewind";
                imgCloseSource(source);
            }
            // A fresh source moved off the header fails the same way.
            DataSource *source = imgOpenFileSource(path.c_str());
            ASSERT_EQ(imgSeekSource(source, 4, 0), 1);
            first.run(source);
            EXPECT_EQ(imgGetLastError(), first.notTiff) << first.name << " from offset 4";
            imgCloseSource(source);
        }
    }
    EXPECT_EQ(GlobalLiveBlockCount(), live);
}

TEST(TiffPageInformation, ResolutionsAsTheFileGivesThem)
{
    struct Case
    {
        const char *name;
        double x;
        double y;
        ResolutionUnit unit;
        TiffResolution expected;
    };
    const Case cases[] = {
        {"inch", 204.0, 196.0, ResolutionUnit::Inch, {204, 196, 2}},
        {"fractional", 204.0, 97.5, ResolutionUnit::Inch, {204, 97, 2}},
        {"centimetre", 80.315, 77.1654, ResolutionUnit::Centimetre, {80, 77, 3}},
        {"no unit", 204.0, 98.0, ResolutionUnit::None, {204, 98, 1}},
        {"no tags", 0.0, 0.0, ResolutionUnit::Absent, {0, 0, 0}},
    };
    TempDir dir;
    for (const Case &c : cases) {
        const std::string path = dir.file(std::string(c.name) + ".tif");
        // The first page decides; a second page's resolution must not leak in.
        ASSERT_TRUE(writeFaxTiff(path, {FaxPage{makePatternImage(33, 12), c.x, c.y, c.unit},
                                        FaxPage{makePatternImage(20, 9), 300.0, 300.0}}));
        InfoRead info = tiffInfo(path);
        EXPECT_EQ(info.result, 1) << c.name;
        EXPECT_EQ(info.code, IMG_OK) << c.name;
        EXPECT_EQ(info.width, 33u) << c.name;
        EXPECT_EQ(info.height, 12u) << c.name;
        EXPECT_EQ(info.bitsPerPixel, 1) << c.name;
        EXPECT_EQ(info.resolution.xResolution, c.expected.xResolution) << c.name;
        EXPECT_EQ(info.resolution.yResolution, c.expected.yResolution) << c.name;
        EXPECT_EQ(info.resolution.unit, c.expected.unit) << c.name;
    }
}

TEST(TiffPageInformation, NullResolutionRecordAndNonTiffData)
{
    TempDir dir;
    const std::string path = dir.file("page.tif");
    ASSERT_TRUE(writeFaxTiff(path, makePatternImage(45, 14)));
    DataSource *source = imgOpenFileSource(path.c_str());
    ASSERT_NE(source, nullptr);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t bits = 0;
    EXPECT_EQ(imgGetTiffInfo(source, &width, &height, &bits, nullptr), 1);
    EXPECT_EQ(imgGetLastError(), IMG_OK);
    EXPECT_EQ(width, 45u);
    EXPECT_EQ(height, 14u);
    EXPECT_EQ(bits, 1);
    imgCloseSource(source);

    const std::string text = dir.write("text.tif", "This is not a fax, only a text file.\n");
    InfoRead info = tiffInfo(text);
    EXPECT_EQ(info.result, 0);
    EXPECT_EQ(info.code, IMG_ERR_INVALID_TIFF);
    EXPECT_EQ(info.width, 0u);
    EXPECT_EQ(info.resolution.xResolution, 0);
    EXPECT_EQ(info.resolution.unit, 0);
    std::uint32_t code = 0;
    EXPECT_EQ(pageCount(text, &code), 0u);
    EXPECT_EQ(code, IMG_ERR_INVALID_TIFF);
    EXPECT_EQ(readPage8(text, 0).code, IMG_ERR_FILE_OPEN);
    EXPECT_EQ(readPage1(text, 0).code, IMG_ERR_FILE_OPEN);
}

// Fax machines switch between normal and fine mode within one call, so each page
// carries its own resolution; one without tags gives zeros, not its neighbour's values.
TEST(TiffPageInformation, EachPageHasItsOwnResolution)
{
    TempDir dir;
    const std::string path = dir.file("mixed.tif");
    ASSERT_TRUE(writeFaxTiff(
        path, {FaxPage{makePatternImage(33, 12), 204.0, 98.0, ResolutionUnit::Inch},
               FaxPage{makePatternImage(33, 24), 204.0, 196.0, ResolutionUnit::Inch},
               FaxPage{makePatternImage(20, 9), 0.0, 0.0, ResolutionUnit::Absent},
               FaxPage{makePatternImage(20, 9), 80.315, 38.5827, ResolutionUnit::Centimetre}}));
    const TiffResolution expected[] = {{204, 98, 2}, {204, 196, 2}, {0, 0, 0}, {80, 38, 3}};
    DataSource *source = imgOpenFileSource(path.c_str());
    ASSERT_NE(source, nullptr);
    // Read out of order: nothing of the previous call's page may carry over.
    for (const std::int32_t page : {1, 0, 3, 2, 1}) {
        SCOPED_TRACE(page);
        ASSERT_EQ(imgSeekSource(source, 0, 0), 1);
        TiffResolution resolution{-1, -1, -1};
        EXPECT_EQ(imgGetTiffPageResolution(source, page, &resolution), 1);
        EXPECT_EQ(imgGetLastError(), IMG_OK);
        EXPECT_EQ(resolution.xResolution, expected[page].xResolution);
        EXPECT_EQ(resolution.yResolution, expected[page].yResolution);
        EXPECT_EQ(resolution.unit, expected[page].unit);
    }

    const struct
    {
        const char *name;
        std::int32_t page;
        bool record;
        std::uint32_t code;
    } refused[] = {
        {"past the last page", 4, true, IMG_ERR_BAD_PARAM},
        {"negative page", -1, true, IMG_ERR_BAD_PARAM},
        {"no record", 0, false, IMG_ERR_BAD_PARAM},
    };
    for (const auto &row : refused) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(imgSeekSource(source, 0, 0), 1);
        TiffResolution resolution{-1, -1, -1};
        EXPECT_EQ(imgGetTiffPageResolution(source, row.page, row.record ? &resolution : nullptr),
                  0);
        EXPECT_EQ(imgGetLastError(), row.code);
        if (row.record) {
            EXPECT_EQ(resolution.xResolution + resolution.yResolution + resolution.unit, 0);
        }
    }
    imgCloseSource(source);

    const std::string text = dir.write("text.tif", "This is not a fax, only a text file.\n");
    source = imgOpenFileSource(text.c_str());
    ASSERT_NE(source, nullptr);
    TiffResolution resolution{-1, -1, -1};
    EXPECT_EQ(imgGetTiffPageResolution(source, 0, &resolution), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_INVALID_TIFF);
    EXPECT_EQ(resolution.xResolution, 0);
    imgCloseSource(source);
    EXPECT_EQ(imgGetTiffPageResolution(nullptr, 0, &resolution), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
}

TEST(TiffDiagnostics, LibtiffMessagesGoToTheDebugOutputOnly)
{
    DebugOutputCapture capture;
    TIFFError("module", "%s %d", "formatted", 42);
    TIFFWarning(nullptr, "warned");
    EXPECT_EQ(capture.text(), "module: formatted 42\nwarned\n");
}

TEST(TiffDiagnostics, ReaderWarningsNeverReachTheConsole)
{
    // An unknown tag makes libtiff warn while the page is read.
    TempDir dir;
    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(std::string(8, '\x0f'));
    auto fields = RawTiffBuilder::bilevelPage(16, 4, COMPRESSION_NONE, data, 8);
    fields.push_back(shortField(65000, 7));
    raw.setFirstDirectory(raw.addDirectory(fields));
    const std::string path = dir.write("warns.tif", raw.bytes());

    DebugOutputCapture capture;
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(readPage1(path, 0).code, IMG_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(capture.text().find("65000"), std::string::npos) << capture.text();
    EXPECT_EQ(capture.text().back(), '\n');
}

// A block handed in is filled when it holds the page and left alone when it does not;
// either way the page and the bitmap built from it are those of a new block, whatever
// the block held before.
TEST(TiffPageReader, BlocksHandedInGiveWhatNewBlocksGive)
{
    TempDir dir;
    const BilevelImage image = makePatternImage(61, 23, 5);
    const std::string path = dir.file("page.tif");
    ASSERT_TRUE(writeFaxTiff(path, {FaxPage{image, 204.0, 196.0}}));
    const std::size_t bytes8 = 61 * 23;
    const std::size_t bytes1 = (61 + 7) / 8 * 23;

    using Reader = BYTE *(*)(DataSource *, std::uint32_t *, std::uint32_t *, std::int32_t);
    using IntoReader =
        BYTE *(*)(DataSource *, std::uint32_t *, std::uint32_t *, std::int32_t, BYTE *);
    struct Row
    {
        Reader read;
        IntoReader readInto;
        std::size_t blockBytes;
        bool filled;
    };
    const Row rows[] = {
        {imgReadTiffPage8, imgReadTiffPage8Into, bytes8 - 1, false},
        {imgReadTiffPage8, imgReadTiffPage8Into, bytes8, true},
        {imgReadTiffPage8, imgReadTiffPage8Into, 4 * bytes8, true},
        {imgReadTiffPage1, imgReadTiffPage1Into, bytes1 - 1, false},
        {imgReadTiffPage1, imgReadTiffPage1Into, bytes1, true},
    };
    const RGBQUAD table[256] = {};
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "block of " << row.blockBytes);
        const bool bits = row.read == imgReadTiffPage1;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        DataSource *source = imgOpenFileSource(path.c_str());
        BYTE *fresh = row.read(source, &width, &height, 0);
        imgCloseSource(source);
        ASSERT_NE(fresh, nullptr);
        const std::size_t pageBytes = bits ? bytes1 : bytes8;

        auto *block = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, row.blockBytes));
        std::memset(block, 0x5A, row.blockBytes);
        source = imgOpenFileSource(path.c_str());
        BYTE *read = row.readInto(source, &width, &height, 0, block);
        imgCloseSource(source);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read == block, row.filled);
        EXPECT_EQ(std::memcmp(read, fresh, pageBytes), 0);
        if (!row.filled) {
            EXPECT_EQ(block[0], 0x5A);
        }

        // The bitmap built into a used block larger than it needs.
        BITMAPINFOHEADER *newDib = bits ? imgMakeDib1(fresh, width, height, table)
                                        : imgMakeDib8(fresh, width, height, table);
        const std::size_t dibBytes = GlobalSize(newDib);
        auto *used = static_cast<BITMAPINFOHEADER *>(GlobalAlloc(GMEM_FIXED, dibBytes + 64));
        std::memset(used, 0x5A, dibBytes + 64);
        BITMAPINFOHEADER *dib = bits ? imgMakeDib1Into(read, width, height, table, used)
                                     : imgMakeDib8Into(read, width, height, table, used);
        EXPECT_EQ(dib, used);
        EXPECT_EQ(std::memcmp(dib, newDib, dibBytes), 0);

        GlobalFree(newDib);
        GlobalFree(used);
        if (read != block)
            GlobalFree(read);
        GlobalFree(block);
        GlobalFree(fresh);
    }
}

// Reads on several threads at once, of pages whose strips differ in size: each read has
// a strip buffer to itself whether it takes the one kept or makes its own, and every
// page comes out whole.
TEST(TiffPageReader, ThreadsReadingAtOnceEachGetTheirWholePage)
{
    TempDir dir;
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 4; ++i)
        pages.push_back({makePatternImage(64 + 400 * i, 40 + 300 * i, 3 + i), 204.0, 196.0});
    const std::string path = dir.file("sizes.tif");
    ASSERT_TRUE(writeFaxTiff(path, pages));
    constexpr int THREADS = 4, READS = 40;
    std::vector<int> wrong(THREADS, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < READS; ++i) {
                const std::int32_t page = (t + i) % 4;
                std::uint32_t width = 0;
                std::uint32_t height = 0;
                DataSource *source = imgOpenFileSource(path.c_str());
                BYTE *bits = imgReadTiffPage1(source, &width, &height, page);
                imgCloseSource(source);
                const BilevelImage &image = pages[std::size_t(page)].image;
                if (!bits || width != image.width || height != image.height
                    || std::memcmp(bits, image.rows.data(), image.rows.size()) != 0)
                    ++wrong[std::size_t(t)];
                GlobalFree(bits);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(THREADS, 0));
}
