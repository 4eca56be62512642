// Malformed and hostile files: every entry point must answer with a code of its
// table, quickly, without leaking a block, and the good pages of a file must
// still read when another page is bad.

#include "platform/GlobalMemory.h"
#include "tests/imaging/TiffTestSupport.h"
#include "tests/support/RawTiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <set>
#include <tiffio.h>

using namespace fixtures;

namespace {

constexpr double CALL_SECONDS = 2.0;

const std::set<std::uint32_t> &readerCodes()
{
    static const std::set<std::uint32_t> codes{IMG_OK,
                                               IMG_ERR_NO_MEMORY,
                                               IMG_ERR_FILE_OPEN,
                                               IMG_ERR_FILE_READ,
                                               IMG_ERR_BAD_PARAM,
                                               IMG_ERR_BIT_DEPTH};
    return codes;
}

// Runs every entry point over the file; returns the readers' codes for `page`.
std::pair<std::uint32_t, std::uint32_t> runAll(const std::string &path, std::int32_t page,
                                               const std::string &what)
{
    const std::size_t live = GlobalLiveBlockCount();
    std::uint32_t code = 0;
    double seconds = 0.0;
    pageCount(path, &code, &seconds);
    EXPECT_TRUE(code == IMG_OK || code == IMG_ERR_INVALID_TIFF) << what << " count " << code;
    EXPECT_LT(seconds, CALL_SECONDS) << what;
    InfoRead info = tiffInfo(path);
    EXPECT_TRUE(info.code == IMG_OK || info.code == IMG_ERR_INVALID_TIFF) << what;
    PageRead bytes = readPage8(path, page);
    PageRead bits = readPage1(path, page);
    for (const PageRead *read : {&bytes, &bits}) {
        EXPECT_TRUE(readerCodes().count(read->code)) << what << " code " << read->code;
        EXPECT_EQ(read->returnedBlock, read->code == IMG_OK) << what;
        EXPECT_LT(read->seconds, CALL_SECONDS) << what;
    }
    if (bytes.code == IMG_OK) {
        EXPECT_EQ(bytes.pixels.size(), std::size_t(bytes.width) * bytes.height) << what;
        EXPECT_EQ(bits.pixels.size(), std::size_t((bits.width + 7) / 8) * bits.height) << what;
    }
    EXPECT_EQ(GlobalLiveBlockCount(), live) << what;
    EXPECT_EQ(bytes.code, bits.code) << what;
    return {bytes.code, bits.code};
}

std::string writeRaw(const TempDir &dir, const std::string &name, const RawTiffBuilder &raw)
{
    return dir.write(name, raw.bytes());
}

// A one-page file from the given fields with `data` as its strip.
RawTiffBuilder onePage(const std::string &data,
                       const std::function<void(std::vector<RawField> &, std::uint32_t)> &edit)
{
    RawTiffBuilder raw;
    const std::uint32_t offset = raw.addData(data);
    std::vector<RawField> fields =
        RawTiffBuilder::bilevelPage(16, 4, COMPRESSION_NONE, offset, std::uint32_t(data.size()));
    edit(fields, offset);
    raw.setFirstDirectory(raw.addDirectory(fields));
    return raw;
}

void replaceField(std::vector<RawField> &fields, const RawField &field)
{
    for (RawField &existing : fields) {
        if (existing.tag == field.tag) {
            existing = field;
            return;
        }
    }
    fields.push_back(field);
}

void removeField(std::vector<RawField> &fields, std::uint16_t tag)
{
    std::erase_if(fields, [tag](const RawField &field) { return field.tag == tag; });
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string noise(std::size_t bytes, std::uint32_t seed)
{
    std::string data(bytes, '\0');
    for (char &c : data) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return data;
}

} // namespace

TEST(TiffHostileFiles, TruncationsAtEveryOffset)
{
    TempDir dir;
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 3; ++i)
        pages.push_back({makePatternImage(90 + i, 40, i + 1)});
    for (Compression compression : {Compression::G4, Compression::None}) {
        FaxTiffOptions options;
        options.compression = compression;
        options.rowsPerStrip = 9;
        const std::string whole = dir.file("whole.tif");
        ASSERT_TRUE(writeFaxTiff(whole, pages, options));
        std::string bytes = readFile(whole);
        const std::size_t step = std::max<std::size_t>(1, bytes.size() / 150);
        for (std::size_t length = 0; length < bytes.size(); length += step) {
            const std::string path = dir.write("cut.tif", bytes.substr(0, length));
            for (std::int32_t page = 0; page < 3; ++page)
                runAll(path, page, "cut at " + std::to_string(length));
        }
    }
}

TEST(TiffHostileFiles, DirectoryLoopsEndTheWalk)
{
    TempDir dir;
    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(std::string(8, '\x0f'));
    const std::uint32_t first =
        raw.addDirectory(RawTiffBuilder::bilevelPage(16, 4, COMPRESSION_NONE, data, 8));
    const std::uint32_t second =
        raw.addDirectory(RawTiffBuilder::bilevelPage(24, 2, COMPRESSION_NONE, data, 6), first);
    raw.setFirstDirectory(first);
    raw.setNextDirectory(first, second);
    const std::string loop = writeRaw(dir, "loop.tif", raw);
    EXPECT_EQ(pageCount(loop), 2u);
    EXPECT_EQ(runAll(loop, 1, "loop page 1").first, IMG_OK);
    EXPECT_EQ(runAll(loop, 2, "loop page 2").first, IMG_ERR_BAD_PARAM);
    EXPECT_EQ(runAll(loop, 5000, "loop page 5000").first, IMG_ERR_BAD_PARAM);

    raw.setNextDirectory(first, first);
    const std::string self = writeRaw(dir, "self.tif", raw);
    EXPECT_EQ(pageCount(self), 1u);
    EXPECT_EQ(runAll(self, 0, "self loop page 0").first, IMG_OK);
    EXPECT_EQ(runAll(self, 1, "self loop page 1").first, IMG_ERR_BAD_PARAM);
}

TEST(TiffHostileFiles, TensOfThousandsOfDirectories)
{
    // 70000 pages: the count saturates, and page 65536 is itself, not page 0 again.
    TempDir dir;
    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(std::string(12, '\x55'));
    constexpr std::uint32_t pages = 70000;
    constexpr std::uint32_t marked = 65536;
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < pages; ++i) {
        const std::uint32_t width = i == marked ? 24 : 8;
        const std::uint32_t directory =
            raw.addDirectory(RawTiffBuilder::bilevelPage(width, 4, COMPRESSION_NONE, data, 12));
        if (i == 0)
            raw.setFirstDirectory(directory);
        else
            raw.setNextDirectory(previous, directory);
        previous = directory;
    }
    const std::string path = writeRaw(dir, "many.tif", raw);
    std::uint32_t code = 0;
    double seconds = 0.0;
    EXPECT_EQ(pageCount(path, &code, &seconds), 65535u);
    EXPECT_EQ(code, IMG_OK);
    EXPECT_LT(seconds, CALL_SECONDS);
    PageRead read = readPage1(path, std::int32_t(marked));
    EXPECT_EQ(read.code, IMG_OK);
    EXPECT_EQ(read.width, 24u);
    EXPECT_LT(read.seconds, CALL_SECONDS);
    EXPECT_EQ(readPage8(path, std::int32_t(pages)).code, IMG_ERR_BAD_PARAM);
}

TEST(TiffHostileFiles, DirectoriesOfThousandsOfJunkTags)
{
    // libtiff re-sorts its field table for every unknown tag: thousands of them
    // cost seconds per open, so such directories are not read at all. A page with
    // a few hundred private tags still reads.
    TempDir dir;
    for (std::uint32_t junk : {300u, 4000u}) {
        for (std::uint32_t page : {0u, 1u}) {
            RawTiffBuilder raw;
            const std::uint32_t data = raw.addData(std::string(8, '\x0f'));
            auto fields = RawTiffBuilder::bilevelPage(16, 4, COMPRESSION_NONE, data, 8);
            auto withJunk = fields;
            for (std::uint32_t i = 0; i < junk; ++i)
                withJunk.push_back(shortField(std::uint16_t(40000 + i), 1));
            const std::uint32_t second = raw.addDirectory(page == 1 ? withJunk : fields);
            raw.setFirstDirectory(raw.addDirectory(page == 0 ? withJunk : fields, second));
            const std::string what =
                std::to_string(junk) + " junk tags on page " + std::to_string(page);
            const std::uint32_t code = runAll(writeRaw(dir, "junk.tif", raw), page, what).first;
            if (junk < 512)
                EXPECT_EQ(code, IMG_OK) << what;
            else
                EXPECT_EQ(code, page == 0 ? IMG_ERR_FILE_OPEN : IMG_ERR_BAD_PARAM) << what;
        }
    }
}

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

TEST(TiffHostileFiles, CorruptFaxStreamsDecodeOrFailQuickly)
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

TEST(TiffHostileFiles, GoodPagesStillReadBesideBadOnes)
{
    TempDir dir;
    const BilevelImage good = makePatternImage(16, 4, 9);
    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(
        std::string(reinterpret_cast<const char *>(good.rows.data()), good.rows.size()));
    auto page = [&](std::uint32_t width, std::uint32_t height, std::uint32_t offset) {
        return raw.addDirectory(RawTiffBuilder::bilevelPage(width, height, COMPRESSION_NONE, offset,
                                                            std::uint32_t(good.rows.size())));
    };
    const std::uint32_t dirs[] = {page(16, 4, data), page(16, 4, 1u << 30),
                                  page(100000, 100000, data), page(0, 4, data), page(16, 4, data)};
    raw.setFirstDirectory(dirs[0]);
    for (std::size_t i = 0; i + 1 < std::size(dirs); ++i)
        raw.setNextDirectory(dirs[i], dirs[i + 1]);
    const std::string path = writeRaw(dir, "mixed.tif", raw);

    EXPECT_EQ(pageCount(path), 5u);
    EXPECT_EQ(runAll(path, 1, "bad strip").first, IMG_ERR_FILE_READ);
    EXPECT_EQ(runAll(path, 2, "huge page").first, IMG_ERR_NO_MEMORY);
    const std::uint32_t empty = runAll(path, 3, "empty page").first;
    EXPECT_TRUE(empty == IMG_ERR_BIT_DEPTH || empty == IMG_ERR_BAD_PARAM);
    for (std::int32_t index : {0, 4}) {
        PageRead bits = readPage1(path, index);
        ASSERT_EQ(bits.code, IMG_OK) << index;
        EXPECT_EQ(firstDifferentRow(bits.pixels, good), -1) << index;
        EXPECT_EQ(readPage8(path, index).pixels, expectedBytes(good)) << index;
    }
}

TEST(TiffHostileFiles, EveryFuzzerFindingAnswersQuickly)
{
    // Inputs on which the fuzzer once found a crash, hang or oversized allocation.
    std::size_t findings = 0;
    for (const auto &entry : std::filesystem::directory_iterator(PAGELOT_FUZZ_FINDINGS_DIR)) {
        const std::string path = entry.path().string();
        for (std::int32_t page = 0; page < 3; ++page)
            runAll(path, page, entry.path().filename().string());
        ++findings;
    }
    EXPECT_GT(findings, 0u);
}
