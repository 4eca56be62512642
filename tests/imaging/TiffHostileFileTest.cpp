// Malformed files: every entry point must answer with a code of its table, within
// bounded work, without leaking a block.

#include "imaging/TiffDirectories.h"
#include "platform/GlobalMemory.h"
#include "tests/imaging/HostileTiff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tiffio.h>

using namespace fixtures;

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
    // 70000 pages: the count saturates, and page 65536 is itself, not page 0 again. The
    // count walks the chain once; a page it remembered opens as directly as page 2, and
    // one past what it remembers costs one more walk, never a walk per page.
    TempDir dir;
    constexpr std::uint32_t pages = 70000;
    constexpr std::uint32_t remembered = 65000;
    constexpr std::uint32_t pastMemory = 65536;
    const std::string path = writeRaw(dir, "many.tif", longChain(pages, [](std::uint32_t i) {
                                          return i == remembered ? 16u : i == pastMemory ? 24u : 8u;
                                      }));
    forgetDirectoryChains();
    std::uint32_t code = 0;
    SourceReadTally work;
    EXPECT_EQ(pageCount(path, &code, &work), 65535u);
    EXPECT_EQ(code, IMG_OK);
    EXPECT_LE(work.reads, pages + 64) << work.reads;

    const PageRead second = readPage1(path, 1);
    ASSERT_EQ(second.code, IMG_OK);
    PageRead read = readPage1(path, std::int32_t(remembered));
    EXPECT_EQ(read.code, IMG_OK);
    EXPECT_EQ(read.width, 16u);
    EXPECT_LE(read.work.reads, second.work.reads + 2) << read.work.reads;

    read = readPage1(path, std::int32_t(pastMemory));
    EXPECT_EQ(read.code, IMG_OK);
    EXPECT_EQ(read.width, 24u);
    EXPECT_LE(read.work.reads, 2 * pages + 64) << read.work.reads;
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
            const std::uint32_t code =
                runAll(writeRaw(dir, "junk.tif", raw), static_cast<std::int32_t>(page), what).first;
            if (junk < 512)
                EXPECT_EQ(code, IMG_OK) << what;
            else
                EXPECT_EQ(code, page == 0 ? IMG_ERR_FILE_OPEN : IMG_ERR_BAD_PARAM) << what;
        }
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

TEST(TiffHostileFiles, EveryFuzzerFindingAnswersWithinBoundedWork)
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
