#include "imaging/DataSource.h"
#include "platform/GlobalMemory.h"
#include "tools/fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <tiffio.h>

namespace {

// A minimal one-page bilevel TIFF written by libtiff itself.
std::string writeTinyTiff(const TempDir &dir)
{
    std::string path = dir.file("tiny.tif");
    TIFF *tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 2);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 2);
    unsigned char rows[2] = {0xF0, 0x0F};
    TIFFWriteEncodedStrip(tiff, 0, rows, 2);
    TIFFClose(tiff);
    return path;
}

std::string fileOfSize(const TempDir &dir, std::size_t bytes)
{
    return dir.write("plain.bin", std::string(bytes, 'x'));
}

} // namespace

TEST(DataSource, RefusedOpensLeaveCode2AndNothingAllocated)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe.tif").c_str(), 0600), 0);
    ::mkdir(dir.file("folder.tif").c_str(), 0700);
    const std::string missing = dir.file("missing.tif");
    const std::string fifo = dir.file("pipe.tif");
    const std::string folder = dir.file("folder.tif");

    std::size_t live = GlobalLiveBlockCount();
    for (const char *path : {"", missing.c_str(), folder.c_str(), fifo.c_str()}) {
        setLastError(IMG_OK);
        EXPECT_EQ(imgOpenFileSource(path), nullptr) << path;
        EXPECT_EQ(imgGetLastError(), IMG_ERR_FILE_OPEN) << path;
    }
    setLastError(IMG_OK);
    EXPECT_EQ(imgOpenFileSource(nullptr), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_FILE_OPEN);
    EXPECT_EQ(GlobalLiveBlockCount(), live);
}

TEST(DataSource, SuccessfulOpenLeavesLastErrorAlone)
{
    TempDir dir;
    std::string path = fileOfSize(dir, 10);
    setLastError(IMG_ERR_BIT_DEPTH);
    DataSource *source = imgOpenFileSource(path.c_str());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BIT_DEPTH);
    EXPECT_EQ(source->kind, SOURCE_KIND_FILE);
    EXPECT_EQ(source->headMagic, SOURCE_HEAD_MAGIC);
    EXPECT_EQ(source->tailMagic, SOURCE_TAIL_MAGIC);
    EXPECT_EQ(source->writable, 0u);
    EXPECT_STREQ(source->name, path.c_str());
    EXPECT_EQ(GlobalSize(source), sizeof(DataSource));
    imgCloseSource(source);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BIT_DEPTH);
}

TEST(DataSource, SeekAndCloseReportPositionsWithoutTouchingLastError)
{
    TempDir dir;
    DataSource *source = imgOpenFileSource(fileOfSize(dir, 500).c_str());
    ASSERT_NE(source, nullptr);
    setLastError(IMG_ERR_FILE_READ);
    EXPECT_EQ(imgSeekSource(source, 100, 0), 1);
    EXPECT_EQ(imgSeekSource(source, -50, 1), 1);
    EXPECT_EQ(imgSeekSource(source, -1000, 0), 0); // refused by stdio
    EXPECT_EQ(imgSeekSource(source, 0, 7), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_FILE_READ);
    EXPECT_EQ(imgSeekSource(source, 100, 0), 1);
    std::size_t live = GlobalLiveBlockCount();
    EXPECT_EQ(imgCloseSource(source), 100u);
    EXPECT_EQ(GlobalLiveBlockCount(), live - 1);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_FILE_READ);
}

TEST(DataSource, NullHandlesGiveCode5)
{
    setLastError(IMG_OK);
    EXPECT_EQ(imgSeekSource(nullptr, 0, 0), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    setLastError(IMG_OK);
    EXPECT_EQ(imgCloseSource(nullptr), 0u);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
}

TEST(DataSource, LongPathIsStoredCutAndTerminated)
{
    TempDir dir;
    // Nested folders make a real path well over 260 characters.
    std::string folder = dir.path();
    while (folder.size() < 300) {
        folder += "/" + std::string(40, 'd');
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    }
    std::string path = folder + "/fax.tif";
    std::string bytes(16, 'y');
    FILE *out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);

    DataSource *source = imgOpenFileSource(path.c_str());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(std::strlen(source->name), SOURCE_NAME_CHARS - 1);
    EXPECT_EQ(std::string(source->name), path.substr(0, SOURCE_NAME_CHARS - 1));
    imgCloseSource(source);
}

TEST(DataSource, ValidationChecksEachFieldInTurn)
{
    TempDir dir;
    DataSource *open = imgOpenFileSource(fileOfSize(dir, 4).c_str());
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(SourceRef(open).sourceIsValid());

    DataSource onStack = *open;
    EXPECT_FALSE(SourceRef(nullptr).sourceIsValid());
    EXPECT_FALSE(SourceRef(&onStack).sourceIsValid()) << "not a global block";
    void *small = GlobalAlloc(GPTR, sizeof(DataSource) - 1);
    EXPECT_FALSE(SourceRef(static_cast<DataSource *>(small)).sourceIsValid());
    GlobalFree(small);

    auto *copy = static_cast<DataSource *>(GlobalAlloc(GPTR, sizeof(DataSource)));
    auto check = [&](auto mutate) {
        *copy = *open;
        mutate(*copy);
        return SourceRef(copy).sourceIsValid();
    };
    EXPECT_TRUE(check([](DataSource &) {}));
    EXPECT_FALSE(check([](DataSource &s) { s.kind = 0; }));
    EXPECT_FALSE(check([](DataSource &s) { s.headMagic = 0; }));
    EXPECT_FALSE(check([](DataSource &s) { s.tailMagic = 0; }));
    EXPECT_FALSE(check([](DataSource &s) { s.stream = nullptr; }));
    GlobalFree(copy);
    imgCloseSource(open);
}

TEST(DataSource, FramedEntryRefusesNullAndInvalidHandles)
{
    auto work = [](SourceRef &, std::uint32_t &) { return 1; };
    EXPECT_EQ(runFramedOnSource<int>(nullptr, work), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);

    auto *zeroed = static_cast<DataSource *>(GlobalAlloc(GPTR, sizeof(DataSource)));
    EXPECT_EQ(runFramedOnSource<int>(zeroed, work), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_SOURCE);
    GlobalFree(zeroed);
}

TEST(DataSource, ClientProceduresFollowTheStreamContract)
{
    TempDir dir;
    DataSource *handle = imgOpenFileSource(fileOfSize(dir, 64).c_str());
    ASSERT_NE(handle, nullptr);
    SourceRef source(handle);
    char buffer[16];

    EXPECT_EQ(tiffSizeProc(&source), 64u);
    EXPECT_EQ(tiffSeekProc(&source, 60, SEEK_SET), 60u);
    EXPECT_EQ(tiffReadProc(&source, buffer, 8), 0) << "a short read counts as none";
    EXPECT_EQ(tiffSeekProc(&source, 1000, SEEK_SET), 1000u) << "seeking past the end is allowed";
    EXPECT_EQ(tiffReadProc(&source, buffer, 1), 0);
    EXPECT_EQ(tiffSeekProc(&source, 10, 99), 10u) << "unknown whence seeks from the start";
    EXPECT_EQ(tiffSeekProc(&source, 5, SEEK_CUR), 15u);
    EXPECT_EQ(tiffSeekProc(&source, static_cast<toff_t>(-4), SEEK_END), 60u);
    EXPECT_EQ(tiffReadProc(&source, buffer, 4), 4);
    EXPECT_EQ(tiffWriteProc(&source, buffer, 4), 0);
    EXPECT_EQ(tiffCloseProc(&source), 1);
    void *base = nullptr;
    toff_t size = 0;
    EXPECT_EQ(tiffMapProc(&source, &base, &size), 0);
    EXPECT_NE(handle->stream, nullptr) << "libtiff's close leaves the source open";
    imgCloseSource(handle);
}

TEST(DataSource, ReadBudgetStopsEndlessReading)
{
    TempDir dir;
    DataSource *handle = imgOpenFileSource(fileOfSize(dir, 64).c_str());
    ASSERT_NE(handle, nullptr);
    SourceRef source(handle);
    source.setReadBudget(20);
    char buffer[16];
    EXPECT_EQ(tiffReadProc(&source, buffer, 16), 16);
    EXPECT_EQ(tiffReadProc(&source, buffer, 8), 0);
    EXPECT_EQ(tiffReadProc(&source, buffer, 4), 4);
    EXPECT_EQ(tiffReadProc(&source, buffer, 1), 0);
    imgCloseSource(handle);
}

TEST(DataSource, TiffOpensOnlyFromTheHeader)
{
    TempDir dir;
    DataSource *handle = imgOpenFileSource(writeTinyTiff(dir).c_str());
    ASSERT_NE(handle, nullptr);
    {
        SourceRef source(handle);
        TIFF *tiff = openTiffOnSource(source, "r");
        ASSERT_NE(tiff, nullptr);
        EXPECT_STREQ(TIFFFileName(tiff), handle->name);
        TIFFClose(tiff);
        EXPECT_NE(handle->stream, nullptr);
    }
    // Left wherever libtiff stopped: the header is not there.
    ASSERT_EQ(imgSeekSource(handle, 100, 0), 1);
    {
        SourceRef source(handle);
        EXPECT_EQ(openTiffOnSource(source, "r"), nullptr);
    }
    ASSERT_EQ(imgSeekSource(handle, 0, 0), 1);
    {
        SourceRef source(handle);
        TIFF *tiff = openTiffOnSource(source, "r");
        ASSERT_NE(tiff, nullptr);
        TIFFClose(tiff);
    }
    imgCloseSource(handle);
}
