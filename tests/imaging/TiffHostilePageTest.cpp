// Hostile pages: sizes, strip tables, compressed data, resolutions and layouts
// that must be refused or read safely, and good pages beside bad ones.

#include "platform/GlobalMemory.h"
#include "tests/imaging/HostileTiff.h"

#include <gtest/gtest.h>

#include <limits>
#include <tiffio.h>

using namespace fixtures;

TEST(TiffHostileFiles, EmptyAndHugePagesAreRefusedBeforeAllocating)
{
    struct Case
    {
        const char *name;
        std::uint32_t width;
        std::uint32_t height;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"zero width", 0, 10, IMG_ERR_BIT_DEPTH},
        {"zero height", 10, 0, IMG_ERR_BIT_DEPTH},
        {"100000 squared", 100000, 100000, IMG_ERR_NO_MEMORY},
        {"one pixel over 2^28", 16385, 16384, IMG_ERR_NO_MEMORY},
        {"4G wide", 0xffffffffu, 1, IMG_ERR_NO_MEMORY},
        {"4G high", 1, 0xffffffffu, IMG_ERR_NO_MEMORY},
    };
    TempDir dir;
    for (const Case &c : cases) {
        RawTiffBuilder raw;
        const std::uint32_t data = raw.addData(std::string(16, '\0'));
        raw.setFirstDirectory(raw.addDirectory(
            RawTiffBuilder::bilevelPage(c.width, c.height, COMPRESSION_CCITTFAX4, data, 16)));
        const std::string path = writeRaw(dir, "page.tif", raw);
        const std::uint64_t calls = GlobalAllocCallCount();
        const auto codes = runAll(path, 0, c.name);
        // libtiff refuses most zero-sized directories itself: as the first page the
        // file then does not open, as a later one the page is missing.
        if (c.width == 0 || c.height == 0)
            EXPECT_TRUE(codes.first == c.code || codes.first == IMG_ERR_FILE_OPEN
                        || codes.first == IMG_ERR_BAD_PARAM)
                << c.name;
        else
            EXPECT_EQ(codes.first, c.code) << c.name;
        // Four sources, and nothing else.
        EXPECT_EQ(GlobalAllocCallCount(), calls + 4) << c.name;
    }
}

TEST(TiffHostileFiles, BrokenStripTables)
{
    TempDir dir;
    const std::string data(8, '\x3c');
    struct Case
    {
        const char *name;
        std::function<void(std::vector<RawField> &, std::uint32_t)> edit;
    };
    const Case cases[] = {
        {"offset past the end", [](auto &f, auto) { replaceField(f, longField(273, 1u << 30)); }},
        {"huge byte count", [](auto &f, auto) { replaceField(f, longField(279, 0xfffffff0u)); }},
        {"zero byte count", [](auto &f, auto) { replaceField(f, longField(279, 0)); }},
        {"no offsets", [](auto &f, auto) { removeField(f, 273); }},
        {"no byte counts", [](auto &f, auto) { removeField(f, 279); }},
        {"more strips than entries",
         [](auto &f, auto) {
             replaceField(f, longField(257, 50000));
             replaceField(f, longField(278, 1));
         }},
        // libtiff pads a short table to the declared strip count: 32 million
        // strips would be two 256 MB tables from a file of a few hundred bytes.
        {"32 million one-row strips",
         [](auto &f, auto) {
             replaceField(f, longField(256, 8));
             replaceField(f, longField(257, 32u << 20));
             replaceField(f, longField(278, 1));
         }},
        {"100 million entries",
         [](auto &f, auto) {
             replaceField(f, RawField{273, 4, 100000000u, std::string(4, '\x10')});
         }},
        {"rows per strip zero", [](auto &f, auto) { replaceField(f, longField(278, 0)); }},
        {"short strip",
         [](auto &f, auto) {
             replaceField(f, longField(257, 40));
             replaceField(f, longField(278, 40));
         }},
    };
    for (const Case &c : cases)
        runAll(writeRaw(dir, "strips.tif", onePage(data, c.edit)), 0, c.name);
}

TEST(TiffHostileFiles, CorruptFaxStreamsDecodeOrFailWithinBoundedWork)
{
    TempDir dir;
    for (std::uint16_t compression :
         {COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_CCITTRLEW,
          COMPRESSION_PACKBITS, COMPRESSION_ADOBE_DEFLATE}) {
        for (std::uint32_t seed = 1; seed <= 4; ++seed) {
            RawTiffBuilder raw;
            const std::string data = noise(3000, seed);
            const std::uint32_t offset = raw.addData(data);
            auto fields = RawTiffBuilder::bilevelPage(1728, 2200, compression, offset,
                                                      std::uint32_t(data.size()));
            if (compression == COMPRESSION_CCITTFAX3 && seed % 2)
                fields.push_back(longField(292, GROUP3OPT_2DENCODING));
            raw.setFirstDirectory(raw.addDirectory(fields));
            const auto codes = runAll(writeRaw(dir, "noise.tif", raw), 0,
                                      "compression " + std::to_string(compression) + " seed "
                                          + std::to_string(seed));
            EXPECT_TRUE(codes.first == IMG_OK || codes.first == IMG_ERR_FILE_READ);
        }
    }
}

TEST(TiffHostileFiles, AbsurdResolutionsCountAsNotGiven)
{
    struct Case
    {
        const char *name;
        RawField field;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"plain", rationalField(282, 204, 1), 204},
        {"fraction", rationalField(282, 195, 2), 97},
        {"zero over zero", rationalField(282, 0, 0), 0},
        {"beyond int32", rationalField(282, 3000000000u, 1), 0},
        {"largest rational", rationalField(282, 0xffffffffu, 1), 0},
        {"negative", signedRationalField(282, -204, 1), 0},
        {"not a number", doubleField(282, std::numeric_limits<double>::quiet_NaN()), 0},
        {"infinite", doubleField(282, std::numeric_limits<double>::infinity()), 0},
        {"beyond float", doubleField(282, 1e300), 0},
        {"negative double", doubleField(282, -5.0), 0},
    };
    TempDir dir;
    for (const Case &c : cases) {
        const std::string path = writeRaw(
            dir, "res.tif",
            onePage(std::string(8, '\0'), [&](auto &f, auto) { replaceField(f, c.field); }));
        InfoRead info = tiffInfo(path);
        EXPECT_EQ(info.result, 1) << c.name;
        EXPECT_EQ(info.resolution.xResolution, c.expected) << c.name;
        EXPECT_EQ(info.resolution.yResolution, 196) << c.name;
        EXPECT_EQ(info.resolution.unit, 2) << c.name;
    }
}

TEST(TiffHostileFiles, PagesThatAreNotBilevelStrips)
{
    struct Case
    {
        const char *name;
        std::function<void(std::vector<RawField> &, std::uint32_t)> edit;
        std::set<std::uint32_t> codes;
    };
    const Case cases[] = {
        {"rgb 8 bit",
         [](auto &f, auto) {
             replaceField(f, RawField{258, 3, 3, std::string("\x08\0\x08\0\x08\0", 6)});
             replaceField(f, shortField(277, 3));
             replaceField(f, shortField(262, PHOTOMETRIC_RGB));
         },
         {IMG_ERR_BIT_DEPTH}},
        {"interleaved extra sample",
         [](auto &f, auto) {
             replaceField(f, RawField{258, 3, 2, std::string("\x01\0\x01\0", 4)});
             replaceField(f, shortField(277, 2));
             replaceField(f, shortField(338, 2));
         },
         {IMG_ERR_BIT_DEPTH}},
        {"grey 4 bit",
         [](auto &f, auto) { replaceField(f, shortField(258, 4)); },
         {IMG_ERR_BIT_DEPTH}},
        {"jpeg",
         [](auto &f, auto) { replaceField(f, shortField(259, COMPRESSION_JPEG)); },
         {IMG_ERR_FILE_READ, IMG_ERR_BIT_DEPTH, IMG_ERR_BAD_PARAM}},
        {"old jpeg",
         [](auto &f, auto) { replaceField(f, shortField(259, COMPRESSION_OJPEG)); },
         {IMG_ERR_FILE_READ, IMG_ERR_BIT_DEPTH, IMG_ERR_BAD_PARAM}},
        {"lzw",
         [](auto &f, auto) { replaceField(f, shortField(259, COMPRESSION_LZW)); },
         {IMG_ERR_FILE_READ}},
        {"unknown compression",
         [](auto &f, auto) { replaceField(f, shortField(259, 12345)); },
         {IMG_ERR_FILE_READ}},
        {"tiled",
         [](auto &f, auto offset) {
             removeField(f, 273);
             removeField(f, 278);
             removeField(f, 279);
             f.push_back(longField(322, 16));
             f.push_back(longField(323, 16));
             f.push_back(longField(324, offset));
             f.push_back(longField(325, 8));
         },
         {IMG_ERR_BIT_DEPTH}},
    };
    TempDir dir;
    for (const Case &c : cases) {
        const std::string path = writeRaw(dir, "odd.tif", onePage(std::string(8, '\x0f'), c.edit));
        const auto codes = runAll(path, 0, c.name);
        EXPECT_TRUE(c.codes.count(codes.first)) << c.name << " gave " << codes.first;
    }
}
