// The remembered directory chain: pages read through it are the pages the file
// holds now, whatever happened to the file since the chain was walked.

#include "imaging/TiffDirectories.h"
#include "platform/GlobalMemory.h"
#include "tests/imaging/HostileTiff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tiffio.h>

using namespace fixtures;

namespace {

std::vector<FaxPage> numberedPages(std::uint32_t count, std::uint32_t seed)
{
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < count; ++i)
        pages.push_back({makePatternImage(64 + 8 * ((i + seed) % 5), 20 + (i + seed) % 7, seed + i),
                         204.0, i % 3 == 1 ? 98.0 : 196.0});
    return pages;
}

// libtiff alone: open, step to the page along the chain, decode every strip.
std::vector<std::uint8_t> libtiffRows(const std::string &path, tdir_t page)
{
    TiffPtr tiff(TIFFOpen(path.c_str(), "r"));
    if (!tiff || !TIFFSetDirectory(tiff.get(), page))
        return {};
    std::vector<std::uint8_t> rows;
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(TIFFStripSize(tiff.get())));
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tiff.get()); ++s) {
        const tmsize_t got = TIFFReadEncodedStrip(tiff.get(), s, strip.data(), -1);
        if (got < 0)
            return {};
        rows.insert(rows.end(), strip.begin(), strip.begin() + got);
    }
    return rows;
}

std::uint32_t libtiffCount(const std::string &path)
{
    TiffPtr tiff(TIFFOpen(path.c_str(), "r"));
    return tiff ? std::min<std::uint32_t>(TIFFNumberOfDirectories(tiff.get()), 65535) : 0;
}

TiffResolution pageResolution(const std::string &path, std::int32_t page)
{
    TiffResolution resolution{-1, -1, -1};
    DataSource *source = imgOpenFileSource(path.c_str());
    imgGetTiffPageResolution(source, page, &resolution);
    imgCloseSource(source);
    return resolution;
}

std::int32_t pagesPastCount(const std::string &path)
{
    DataSource *source = imgOpenFileSource(path.c_str());
    const std::int32_t more = imgTiffHasPagesPastCount(source);
    imgCloseSource(source);
    return more;
}

} // namespace

TEST(TiffDirectoryMemory, PagesThroughTheMemoryAreThePagesOfTheFile)
{
    TempDir dir;
    for (bool bigEndian : {false, true}) {
        const std::vector<FaxPage> pages = numberedPages(9, 3);
        FaxTiffOptions options;
        options.bigEndian = bigEndian;
        options.rowsPerStrip = 7;
        const std::string path = dir.file(bigEndian ? "mm.tif" : "ii.tif");
        ASSERT_TRUE(writeFaxTiff(path, pages, options));

        forgetDirectoryChains();
        ASSERT_EQ(pageCount(path), 9u);
        EXPECT_EQ(rememberedDirectoryCount(), 9u);
        for (std::int32_t page : {8, 1, 5, 0, 7, 2, 6, 3, 4}) {
            const BilevelImage &image = pages[static_cast<std::size_t>(page)].image;
            const PageRead bits = readPage1(path, page);
            ASSERT_EQ(bits.code, IMG_OK) << page;
            EXPECT_EQ(bits.width, image.width) << page;
            EXPECT_EQ(bits.pixels, libtiffRows(path, tdir_t(page))) << page;
            EXPECT_EQ(firstDifferentRow(bits.pixels, image), -1) << page;
            EXPECT_EQ(readPage8(path, page).pixels, expectedBytes(image)) << page;
            const TiffResolution resolution = pageResolution(path, page);
            EXPECT_EQ(resolution.yResolution, page % 3 == 1 ? 98 : 196) << page;
            EXPECT_EQ(resolution.xResolution, 204) << page;
        }
        EXPECT_EQ(readPage8(path, 9).code, IMG_ERR_BAD_PARAM);
        // A reader that comes first walks and remembers the chain itself.
        forgetDirectoryChains();
        EXPECT_EQ(firstDifferentRow(readPage1(path, 6).pixels, pages[6].image), -1);
        EXPECT_EQ(rememberedDirectoryCount(), 9u);
    }
}

TEST(TiffDirectoryMemory, RewrittenFileIsReadAfresh)
{
    TempDir dir;
    const std::string path = dir.file("fax.tif");
    const std::vector<FaxPage> before = numberedPages(6, 1);
    ASSERT_TRUE(writeFaxTiff(path, before));
    ASSERT_EQ(pageCount(path), 6u);
    ASSERT_EQ(firstDifferentRow(readPage1(path, 4).pixels, before[4].image), -1);

    // Other pages at the same path, written in place and then replaced by a rename,
    // each straight after the last read.
    const std::vector<FaxPage> inPlace = numberedPages(8, 20);
    ASSERT_TRUE(writeFaxTiff(path, inPlace));
    EXPECT_EQ(pageCount(path), 8u);
    for (std::int32_t page : {4, 7, 1})
        EXPECT_EQ(firstDifferentRow(readPage1(path, page).pixels,
                                    inPlace[static_cast<std::size_t>(page)].image),
                  -1)
            << page;

    std::vector<FaxPage> renamed = inPlace;
    std::swap(renamed[1], renamed[4]);
    ASSERT_TRUE(writeFaxTiff(dir.file("new.tif"), renamed));
    std::filesystem::rename(dir.file("new.tif"), path);
    for (std::int32_t page : {4, 1, 7})
        EXPECT_EQ(firstDifferentRow(readPage1(path, page).pixels,
                                    renamed[static_cast<std::size_t>(page)].image),
                  -1)
            << page;
}

TEST(TiffDirectoryMemory, TruncatedFileGivesTheReadersErrorNotAStalePage)
{
    TempDir dir;
    const std::string path = dir.file("fax.tif");
    const std::vector<FaxPage> pages = numberedPages(6, 5);
    FaxTiffOptions options;
    options.compression = Compression::None;
    ASSERT_TRUE(writeFaxTiff(path, pages, options));
    ASSERT_EQ(pageCount(path), 6u);
    ASSERT_EQ(readPage1(path, 5).code, IMG_OK);

    // libtiff writes each directory after its page's strips: cutting the file
    // inside the last directory loses page 6 but leaves its offset in the chain.
    const auto size = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, size - 30);
    const PageRead cut = readPage1(path, 5);
    EXPECT_EQ(cut.code, IMG_ERR_BAD_PARAM);
    EXPECT_FALSE(cut.returnedBlock);
    EXPECT_EQ(pageCount(path), 5u);
    EXPECT_EQ(firstDifferentRow(readPage1(path, 4).pixels, pages[4].image), -1);

    // Cut into page 5's strip as well: its strip read fails as on a cold read.
    std::filesystem::resize_file(path, size / 2);
    const std::uint32_t count = pageCount(path);
    ASSERT_EQ(count, libtiffCount(path));
    for (std::int32_t page = 0; page < 6; ++page) {
        const PageRead read = readPage1(path, page);
        if (std::uint32_t(page) >= count) {
            EXPECT_EQ(read.code, IMG_ERR_BAD_PARAM) << page;
        } else if (read.code == IMG_OK) {
            EXPECT_EQ(read.pixels, libtiffRows(path, tdir_t(page))) << page;
        }
    }
}

TEST(TiffDirectoryMemory, CountsAsLibtiffWalksEveryCutAndLoop)
{
    TempDir dir;
    FaxTiffOptions options;
    options.rowsPerStrip = 5;
    const std::string whole = dir.file("whole.tif");
    ASSERT_TRUE(writeFaxTiff(whole, numberedPages(4, 2), options));
    const std::string bytes = readFile(whole);
    const std::size_t step = std::max<std::size_t>(1, bytes.size() / 200);
    for (std::size_t length = 0; length < bytes.size(); length += step) {
        const std::string path = dir.write("cut.tif", bytes.substr(0, length));
        EXPECT_EQ(pageCount(path), libtiffCount(path)) << "cut at " << length;
    }

    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(std::string(8, '\x0f'));
    std::uint32_t dirs[3];
    for (std::uint32_t &d : dirs)
        d = raw.addDirectory(RawTiffBuilder::bilevelPage(16, 4, COMPRESSION_NONE, data, 8));
    raw.setFirstDirectory(dirs[0]);
    raw.setNextDirectory(dirs[0], dirs[1]);
    raw.setNextDirectory(dirs[1], dirs[2]);
    for (std::uint32_t back : {dirs[0], dirs[1], dirs[2], 1u << 30}) {
        raw.setNextDirectory(dirs[2], back);
        const std::string path = writeRaw(dir, "loop.tif", raw);
        EXPECT_EQ(pageCount(path), libtiffCount(path)) << back;
        EXPECT_EQ(readPage8(path, 2).code, IMG_OK) << back;
        EXPECT_EQ(readPage8(path, 3).code, IMG_ERR_BAD_PARAM) << back;
    }
}

TEST(TiffDirectoryMemory, OverlongChainsAndManyFilesStayBounded)
{
    TempDir dir;
    constexpr std::uint32_t pages = 70000;
    const std::string path = writeRaw(dir, "many.tif", longChain(pages, [](std::uint32_t i) {
                                          return i == 65534 ? 16u : i == 65536 ? 24u : 8u;
                                      }));

    forgetDirectoryChains();
    EXPECT_EQ(pageCount(path), 65535u);
    EXPECT_EQ(rememberedDirectoryCount(), std::size_t{MAX_REMEMBERED_DIRECTORIES});
    EXPECT_EQ(pagesPastCount(path), 1);
    EXPECT_EQ(readPage1(path, 65534).width, 16u);
    EXPECT_EQ(readPage1(path, 65536).width, 24u);
    EXPECT_EQ(readPage1(path, std::int32_t(pages)).code, IMG_ERR_BAD_PARAM);

    // One more page than the count holds is not more than it reports.
    for (std::uint32_t shown : {65535u, 9u}) {
        const std::string exact =
            writeRaw(dir, "exact.tif", longChain(shown, [](std::uint32_t) { return 8u; }));
        EXPECT_EQ(pageCount(exact), shown);
        EXPECT_EQ(pagesPastCount(exact), 0);
    }

    // However many files are read, only the last few are remembered.
    for (int i = 0; i < 12; ++i) {
        const std::string other = dir.file("other" + std::to_string(i) + ".tif");
        ASSERT_TRUE(writeFaxTiff(other, numberedPages(3, std::uint32_t(i))));
        EXPECT_EQ(pageCount(other), 3u);
    }
    EXPECT_LE(rememberedDirectoryCount(), 3 * MAX_REMEMBERED_FILES);
}
