#include "PageTestHelpers.h"

#include "framework/Dc.h"
#include "platform/DebugOutput.h"
#include "platform/GlobalMemory.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/TempDir.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;
using namespace fixtures;

namespace {

Bytes greyLevels(const BilevelImage &image)
{
    Bytes bytes = image.toBytes();
    for (auto &b : bytes)
        b = b ? 0 : 255;
    return bytes;
}

CString qpath(const std::string &path) { return CString::fromStdString(path); }

} // namespace

TEST(PageLoading, ReadsGreyLevelsResolutionAndPageCount)
{
    TempDir dir;
    std::vector<FaxPage> pages(3);
    for (std::uint32_t i = 0; i < pages.size(); ++i)
        pages[i].image = makePatternImage(37 + i, 23 + i, i + 1);
    const std::string path = dir.file("three.tif");
    ASSERT_TRUE(writeFaxTiff(path, pages));

    for (std::int32_t index = 0; index < 3; ++index) {
        CPageBitmap page;
        ASSERT_EQ(page.LoadPage(qpath(path), index), IMG_OK);
        const BilevelImage &image = pages[index].image;
        EXPECT_EQ(page.m_size, CSize(image.width, image.height));
        EXPECT_EQ(pageBytes(page), greyLevels(image));
        EXPECT_EQ(page.m_resolution, CSize(204, 196));
        EXPECT_EQ(page.m_nPageCount, 3);
        EXPECT_EQ(page.m_nAccessCount, 0);
        EXPECT_EQ(page.m_pDib, nullptr);
    }
}

// Rows are doubled only where pixels are about twice as wide as high and the vertical
// resolution is below 190: square pixels at any resolution stay as they are. Pixels at
// least 1.5 times as tall as wide (superfine) have their rows merged.
TEST(PageLoading, PixelShapeAndVerticalResolutionDecideRowDoublingAndMerging)
{
    enum Shape { Kept, Doubled, Merged };
    struct Row
    {
        double x, y;
        ResolutionUnit unit;
        CSize resolution;
        Shape shape;
    };
    const Row rows[] = {
        {204, 98, ResolutionUnit::Inch, CSize(204, 98), Doubled},
        {80, 39, ResolutionUnit::Centimetre, CSize(203, 99), Doubled},
        {200, 200, ResolutionUnit::Inch, CSize(200, 200), Kept},
        {0, 0, ResolutionUnit::Absent, CSize(200, 200), Kept},
        {204, 98, ResolutionUnit::None, CSize(200, 96), Doubled},
        {204, 196, ResolutionUnit::None, CSize(200, 192), Kept},
        {204, 391, ResolutionUnit::None, CSize(200, 383), Merged},
        {0, 0, ResolutionUnit::Inch, CSize(200, 200), Kept},
        {200, 100, ResolutionUnit::Inch, CSize(200, 100), Doubled},
        {80, 38.5, ResolutionUnit::Centimetre, CSize(203, 96), Doubled},
        {204, 196, ResolutionUnit::Inch, CSize(204, 196), Kept},
        {100, 100, ResolutionUnit::Inch, CSize(100, 100), Kept},
        {25, 25, ResolutionUnit::Centimetre, CSize(63, 63), Kept},
        {204, 189.9, ResolutionUnit::Inch, CSize(204, 189), Kept},
        {300, 190, ResolutionUnit::Inch, CSize(300, 190), Kept},
        {300, 189.9, ResolutionUnit::Inch, CSize(300, 189), Doubled},
        {150, 100, ResolutionUnit::Inch, CSize(150, 100), Doubled},
        {149, 100, ResolutionUnit::Inch, CSize(149, 100), Kept},
        {204, 391, ResolutionUnit::Inch, CSize(204, 391), Merged},
        {200, 400, ResolutionUnit::Inch, CSize(200, 400), Merged},
        {80, 154, ResolutionUnit::Centimetre, CSize(203, 391), Merged},
        {200, 300, ResolutionUnit::Inch, CSize(200, 300), Merged},
        {200, 299, ResolutionUnit::Inch, CSize(200, 299), Kept},
    };
    TempDir dir;
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.x << " x " << row.y << " unit " << int(row.unit));
        FaxPage fax{makePatternImage(40, 10), row.x, row.y, row.unit};
        const std::string path = dir.file("page.tif");
        ASSERT_TRUE(writeFaxTiff(path, {fax}));
        CPageBitmap page;
        ASSERT_EQ(page.LoadPage(qpath(path), 0), IMG_OK);
        EXPECT_EQ(page.m_resolution, row.resolution);
        EXPECT_EQ(page.NeedsRowDoubling(), row.shape == Doubled);
        EXPECT_EQ(page.NeedsRowMerging(), row.shape == Merged);
    }
}

TEST(PageLoading, NormalModePageIsDoubledThenHalved)
{
    TempDir dir;
    FaxPage fax{makeTextPage(1728, 1100), 204, 98, ResolutionUnit::Inch};
    const std::string path = dir.file("normal.tif");
    ASSERT_TRUE(writeFaxTiff(path, {fax}, {Compression::G3OneD}));
    CPageBitmap source;
    ASSERT_EQ(source.LoadPage(qpath(path), 0), IMG_OK);
    ASSERT_TRUE(source.NeedsRowDoubling());
    ASSERT_EQ(source.DoubleRows(), IMG_OK);
    EXPECT_EQ(source.m_size, CSize(1728, 2200));
    EXPECT_EQ(source.m_resolution, CSize(204, 98));
    const Bytes grey = greyLevels(fax.image);
    const Bytes doubled = pageBytes(source);
    for (std::size_t row : {0u, 549u, 1099u}) {
        for (std::size_t copy : {0u, 1u}) {
            EXPECT_TRUE(std::equal(grey.begin() + row * 1728, grey.begin() + (row + 1) * 1728,
                                   doubled.begin() + (2 * row + copy) * 1728))
                << "row " << row;
        }
    }
    CPageBitmap shown;
    EXPECT_EQ(shown.ScaleFrom(source, 1728 / 2, 2200 / 2, true), IMG_OK);
    EXPECT_EQ(shown.m_size, CSize(864, 1100));
}

// Fax machines switch resolution between pages: each page, shown or printed, carries
// its own, in either order, and one without tags reads 200 x 200 after a page with them.
TEST(PageLoading, EachPageKeepsItsOwnResolution)
{
    TempDir dir;
    const FaxPage standard{makePatternImage(30, 8), 204, 98};
    const FaxPage fine{makePatternImage(30, 16), 204, 196};
    const FaxPage bare{makePatternImage(30, 12), 0, 0, ResolutionUnit::Absent};
    const struct
    {
        const char *name;
        std::vector<FaxPage> pages;
    } files[] = {{"standard-fine.tif", {standard, fine, bare}},
                 {"fine-standard.tif", {fine, standard, bare}}};
    for (const auto &file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = dir.file(file.name);
        ASSERT_TRUE(writeFaxTiff(path, file.pages));
        CPageBitmap page;
        CPageBitmap print;
        for (const std::int32_t index : {1, 0, 2, 1}) {
            SCOPED_TRACE(index);
            const FaxPage &fax = file.pages[std::size_t(index)];
            const CSize expected = fax.unit == ResolutionUnit::Absent
                                       ? CSize(200, 200)
                                       : CSize(int(fax.xResolution), int(fax.yResolution));
            ASSERT_EQ(page.LoadPage(qpath(path), index), IMG_OK);
            EXPECT_EQ(page.m_size, CSize(30, int(fax.image.height)));
            EXPECT_EQ(page.m_resolution, expected);
            EXPECT_EQ(page.NeedsRowDoubling(), expected.cy == 98);
            ASSERT_EQ(print.LoadPrintPage(qpath(path), index), IMG_OK);
            EXPECT_EQ(print.m_resolution, expected);
        }
    }
}

TEST(PageLoading, FailedLoadsLeaveThePageEmpty)
{
    TempDir dir;
    const std::string path = dir.file("two.tif");
    ASSERT_TRUE(
        writeFaxTiff(path, {FaxPage{makePatternImage(30, 8)}, FaxPage{makePatternImage(30, 8)}}));
    const std::string notTiff = dir.write("note.tif", "not a fax at all");
    struct Row
    {
        std::string path;
        std::int32_t index;
        std::uint32_t code;
        const char *trace;
        std::int32_t pageCount; // kept, so a damaged page does not hide the others
    };
    const Row rows[] = {
        {path, 2, IMG_ERR_BAD_PARAM, "** bad user param\n", 2},
        {path, 65536, IMG_ERR_BAD_PARAM, "** bad user param\n", 2},
        {path, -1, IMG_ERR_BAD_PARAM, "** bad user param\n", 2},
        {notTiff, 0, IMG_ERR_FILE_OPEN, "** error on file open\n", 0},
        {dir.file("missing.tif"), 0, IMG_ERR_FILE_OPEN, "", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.path << " page " << row.index);
        CPageBitmap page;
        fillPage(page, 3, 2, {});
        page.MakeDib();
        const auto live = GlobalLiveBlockCount();
        DebugOutputCapture capture;
        EXPECT_EQ(page.LoadPage(qpath(row.path), row.index), row.code);
        EXPECT_EQ(page.m_pPixels, nullptr);
        EXPECT_EQ(page.m_pDib, nullptr);
        EXPECT_EQ(page.m_size, CSize(0, 0));
        EXPECT_EQ(page.m_nPageCount, row.pageCount);
        EXPECT_EQ(GlobalLiveBlockCount(), live - 2);
        // libtiff's own diagnostics come first; an unopened file traces nothing.
        if (*row.trace)
            EXPECT_TRUE(capture.text().ends_with(row.trace)) << capture.text();
        else
            EXPECT_EQ(capture.text(), "");
    }
}

TEST(PageLoading, PrintPageInvertsEveryByteOfEveryRow)
{
    // 1726 pixels: 216 bytes a row, the last one holding 6 pixels and 2 spare bits.
    TempDir dir;
    BilevelImage image = makePatternImage(1726, 40);
    const std::string path = dir.file("print.tif");
    ASSERT_TRUE(writeFaxTiff(path, {FaxPage{image, 204, 98}}));

    CPageBitmap page;
    ASSERT_EQ(page.LoadPrintPage(qpath(path), 0), IMG_OK);
    EXPECT_EQ(page.m_size, CSize(1726, 40));
    ASSERT_EQ(GlobalSize(page.m_pPixels), 216u * 40u);
    Bytes want = image.rows;
    for (auto &b : want)
        b = static_cast<std::uint8_t>(~b);
    EXPECT_EQ(Bytes(page.m_pPixels, page.m_pPixels + want.size()), want);
    EXPECT_EQ(page.m_nPageCount, 0);
    EXPECT_EQ(page.m_resolution, CSize(204, 98));
    EXPECT_EQ(page.m_nAccessCount, 0);

    const BITMAPINFOHEADER *dib = page.m_pDib;
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->biBitCount, 1);
    EXPECT_EQ(dib->biWidth, 1726);
    EXPECT_EQ(dib->biHeight, 40);
    const auto *table = reinterpret_cast<const RGBQUAD *>(dib + 1);
    EXPECT_EQ(table[0].rgbRed + table[0].rgbGreen + table[0].rgbBlue, 0);
    EXPECT_EQ(table[1].rgbRed & table[1].rgbGreen & table[1].rgbBlue, 255);
    const auto *bottom = reinterpret_cast<const BYTE *>(table + 2);
    EXPECT_TRUE(std::equal(bottom, bottom + 216, want.end() - 216));

    DebugOutputCapture capture;
    EXPECT_EQ(page.LoadPrintPage(qpath(path), 1), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(capture.text(), "** bad user param\n");
    EXPECT_EQ(page.m_pPixels, nullptr);
    EXPECT_EQ(page.m_pDib, nullptr);
}

TEST(PageLoading, PrintPageDrawsBlackWhereTheFaxIsBlack)
{
    TempDir dir;
    BilevelImage image = makePatternImage(45, 12);
    const std::string path = dir.file("print.tif");
    ASSERT_TRUE(writeFaxTiff(path, image, {Compression::G4, Photometric::MinIsBlack}));
    CPageBitmap page;
    ASSERT_EQ(page.LoadPrintPage(qpath(path), 0), IMG_OK);
    QImage drawn(45, 12, QImage::Format_RGB32);
    drawn.fill(QColor(10, 200, 30));
    {
        QPainter painter(&drawn);
        CDC dc(painter);
        ASSERT_EQ(page.Draw(&dc), IMG_OK);
    }
    for (std::uint32_t y = 0; y < 12; ++y)
        for (std::uint32_t x = 0; x < 45; ++x)
            ASSERT_EQ(drawn.pixel(x, y), image.pixel(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                << x << "," << y;
}
