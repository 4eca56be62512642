#include "PageTestHelpers.h"

#include "platform/DebugOutput.h"
#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

TEST(PageBitmap, NewPageIsEmptyAt200Dpi)
{
    CPageBitmap page;
    EXPECT_EQ(page.m_size, CSize(0, 0));
    EXPECT_EQ(page.m_resolution, CSize(200, 200));
    EXPECT_EQ(page.m_nPageCount, 0);
    EXPECT_EQ(page.AcquirePixels(), nullptr);
    EXPECT_EQ(page.ReleasePixels(), IMG_ERR_RESOURCE_NOT_FOUND);
    EXPECT_EQ(page.m_nAccessCount, 0);
    EXPECT_EQ(page.Free(), IMG_OK);
    EXPECT_EQ(page.Free(), IMG_OK);
}

TEST(PageBitmap, AllocateGivesBlackPixelsAndCountsAccess)
{
    CPageBitmap page;
    ASSERT_EQ(page.Allocate(CSize(3, 2)), IMG_OK);
    EXPECT_EQ(page.m_size, CSize(3, 2));
    EXPECT_EQ(GlobalSize(page.m_pPixels), 6u);
    BYTE *pixels = page.AcquirePixels();
    ASSERT_EQ(pixels, page.m_pPixels);
    EXPECT_EQ(pageBytes(page), Bytes(6, 0));
    EXPECT_EQ(page.m_nAccessCount, 1);
    EXPECT_EQ(page.ReleasePixels(), IMG_OK);
    EXPECT_EQ(page.m_nAccessCount, 0);
}

TEST(PageBitmap, AllocateRefusesSizesPastTheBlockLimitWithoutWrapping)
{
    struct Row
    {
        CSize size;
        const char *trace;
    };
    // 65536 x 65537 wraps to 65536 in 32 bits; 46341^2 is just past the limit.
    const Row rows[] = {
        {CSize(65536, 65537), "Failed to allocate 4295032832 BYTEs\n"},
        {CSize(46341, 46341), "Failed to allocate 2147488281 BYTEs\n"},
        {CSize(2147483647, 2147483647), "Failed to allocate 4611686014132420609 BYTEs\n"},
        {CSize(-3, 2), "Failed to allocate 0 BYTEs\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.trace);
        CPageBitmap page;
        page.Allocate(CSize(3, 2));
        page.m_nPageCount = 4;
        DebugOutputCapture capture;
        const auto allocations = GlobalAllocCallCount();
        EXPECT_EQ(page.Allocate(row.size), IMG_ERR_NO_MEMORY);
        EXPECT_EQ(GlobalAllocCallCount(), allocations);
        EXPECT_EQ(capture.text(), row.trace);
        EXPECT_EQ(page.m_pPixels, nullptr);
        EXPECT_EQ(page.m_size, CSize(0, 0));
        EXPECT_EQ(page.m_nPageCount, 0);
    }
}

TEST(PageBitmap, CopyFromCopiesPixelsAndSizeOnly)
{
    CPageBitmap source;
    fillPage(source, 3, 2, {1, 2, 3, 4, 5, 6});
    source.m_resolution = CSize(204, 98);
    source.m_nPageCount = 5;
    ASSERT_EQ(source.MakeDib(), IMG_OK);

    CPageBitmap copy;
    copy.m_nPageCount = 2;
    EXPECT_EQ(copy.CopyFrom(source), IMG_OK);
    EXPECT_EQ(copy.m_size, CSize(3, 2));
    EXPECT_EQ(pageBytes(copy), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_NE(copy.m_pPixels, source.m_pPixels);
    EXPECT_EQ(copy.m_resolution, CSize(200, 200));
    EXPECT_EQ(copy.m_nPageCount, 0);
    EXPECT_EQ(copy.m_pDib, nullptr);
    EXPECT_EQ(source.m_nAccessCount, 0);
    EXPECT_EQ(copy.m_nAccessCount, 0);

    CPageBitmap empty;
    EXPECT_EQ(copy.CopyFrom(empty), IMG_ERR_NO_MEMORY);
    EXPECT_EQ(copy.m_pPixels, nullptr);
    EXPECT_EQ(copy.m_size, CSize(0, 0));
}

TEST(PageBitmap, MakeDibBuildsGreyBitmapBottomRowFirst)
{
    CPageBitmap page;
    EXPECT_EQ(page.MakeDib(), IMG_ERR_BAD_PARAM);
    fillPage(page, 3, 2, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(page.MakeDib(), IMG_OK);
    const BITMAPINFOHEADER *dib = page.m_pDib;
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(GlobalSize(page.m_pDib), 40u + 1024u + 8u);
    EXPECT_EQ(dib->biSize, 40u);
    EXPECT_EQ(dib->biWidth, 3);
    EXPECT_EQ(dib->biHeight, 2);
    EXPECT_EQ(dib->biBitCount, 8);
    EXPECT_EQ(dib->biClrUsed, 256u);
    EXPECT_EQ(dib->biClrImportant, 256u);
    const auto *table = reinterpret_cast<const RGBQUAD *>(dib + 1);
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(table[i].rgbBlue, i);
        EXPECT_EQ(table[i].rgbGreen, i);
        EXPECT_EQ(table[i].rgbRed, i);
        EXPECT_EQ(table[i].rgbReserved, 0);
    }
    const auto *rows = reinterpret_cast<const BYTE *>(table + 256);
    EXPECT_EQ(Bytes(rows, rows + 8), (Bytes{4, 5, 6, 0, 1, 2, 3, 0}));
    EXPECT_EQ(page.m_nAccessCount, 0);

    // A second build replaces the first without leaking it.
    const auto live = GlobalLiveBlockCount();
    ASSERT_EQ(page.MakeDib(), IMG_OK);
    EXPECT_EQ(GlobalLiveBlockCount(), live);
}

TEST(PageBitmap, FreeKeepsResolution)
{
    CPageBitmap page;
    fillPage(page, 3, 2, {});
    page.MakeDib();
    page.m_resolution = CSize(204, 98);
    page.m_nPageCount = 3;
    const auto live = GlobalLiveBlockCount();
    EXPECT_EQ(page.Free(), IMG_OK);
    EXPECT_EQ(GlobalLiveBlockCount(), live - 2);
    EXPECT_EQ(page.m_pPixels, nullptr);
    EXPECT_EQ(page.m_pDib, nullptr);
    EXPECT_EQ(page.m_size, CSize(0, 0));
    EXPECT_EQ(page.m_nPageCount, 0);
    EXPECT_EQ(page.m_resolution, CSize(204, 98));
}

TEST(PageBitmap, DoubleRowsWritesEveryRowTwice)
{
    CPageBitmap page;
    fillPage(page, 3, 2, {1, 2, 3, 4, 5, 6});
    page.MakeDib();
    page.m_resolution = CSize(204, 98);
    page.m_nPageCount = 2;
    EXPECT_EQ(page.DoubleRows(), IMG_OK);
    EXPECT_EQ(page.m_size, CSize(3, 4));
    EXPECT_EQ(pageBytes(page), (Bytes{1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6}));
    EXPECT_EQ(page.m_resolution, CSize(204, 98));
    EXPECT_EQ(page.m_nPageCount, 0);
    EXPECT_EQ(page.m_pDib, nullptr);
    EXPECT_EQ(page.m_nAccessCount, 0);

    CPageBitmap empty;
    EXPECT_EQ(empty.DoubleRows(), IMG_ERR_NO_MEMORY);
    EXPECT_EQ(empty.m_pPixels, nullptr);
}

TEST(PageBitmap, DoubleRowsRefusesSizesPastTheLimitAndKeepsThePage)
{
    // Only the size is consulted before allocating, so a one-byte page can stand
    // for a huge one: a doubled height past 32 bits, and a block past the limit.
    struct Row
    {
        CSize size;
        const char *trace;
    };
    const Row rows[] = {
        {CSize(1, 1100000000), "Failed to allocate 2200000000 BYTEs\n"},
        {CSize(2, 600000000), "Failed to allocate 2400000000 BYTEs\n"},
    };
    for (const Row &row : rows) {
        CPageBitmap page;
        fillPage(page, 1, 1, {7});
        page.m_size = row.size;
        const auto allocations = GlobalAllocCallCount();
        DebugOutputCapture capture;
        EXPECT_EQ(page.DoubleRows(), IMG_ERR_NO_MEMORY);
        EXPECT_EQ(GlobalAllocCallCount(), allocations);
        EXPECT_EQ(capture.text(), row.trace);
        EXPECT_NE(page.m_pPixels, nullptr);
        EXPECT_EQ(page.m_size, row.size);
        page.m_size = CSize(1, 1);
    }
}

// Pairs of rows become one: averaged when smooth, black kept when not; a last odd row
// stands alone. The height as read and the resolution stay known.
TEST(PageBitmap, MergeRowsJoinsPairsOfRows)
{
    const struct
    {
        std::uint32_t height;
        BOOL smooth;
        Bytes want;
    } rows[] = {
        {4, TRUE, {127, 0, 255, 127, 255, 127}},
        {4, FALSE, {0, 0, 255, 0, 255, 0}},
        {3, TRUE, {127, 0, 255, 255, 255, 255}},
        {3, FALSE, {0, 0, 255, 255, 255, 255}},
        {1, TRUE, {0, 0, 255}},
    };
    const Bytes source = {0, 0, 255, 255, 0, 255, 255, 255, 255, 0, 255, 0};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.height << (row.smooth ? " smooth" : " sharp"));
        CPageBitmap page;
        fillPage(page, 3, row.height, Bytes(source.begin(), source.begin() + 3 * row.height));
        page.MakeDib();
        page.m_resolution = CSize(204, 391);
        EXPECT_TRUE(page.NeedsRowMerging());
        EXPECT_EQ(page.MergeRows(row.smooth), IMG_OK);
        EXPECT_EQ(page.m_size, CSize(3, std::int32_t(row.height + 1) / 2));
        EXPECT_EQ(pageBytes(page), row.want);
        EXPECT_EQ(page.HeightAsRead(), std::int32_t(row.height));
        EXPECT_TRUE(page.HasMergedRows());
        EXPECT_EQ(page.m_resolution, CSize(204, 391));
        EXPECT_EQ(page.m_pDib, nullptr);
        EXPECT_EQ(page.m_nAccessCount, 0);
        page.Free();
        EXPECT_FALSE(page.HasMergedRows());
    }
    CPageBitmap empty;
    EXPECT_EQ(empty.MergeRows(TRUE), IMG_ERR_NO_MEMORY);
}

TEST(PageBitmap, SetResolutionReadsInchesAndCentimetres)
{
    struct Row
    {
        std::int32_t kind;
        std::uint32_t x, y;
        std::int32_t unit;
        CSize want;
    };
    const Row rows[] = {
        {12, 204, 98, 2, CSize(204, 98)},
        {12, 80, 39, 3, CSize(203, 99)},
        // No absolute unit: the values give the pixels' shape, 200 wide, truncated.
        {12, 204, 196, 1, CSize(200, 192)},
        {12, 204, 98, 1, CSize(200, 96)},
        {12, 1, 2, 1, CSize(200, 400)},
        {12, 0xFFFFFFFFu, 0xFFFFFFFFu, 1, CSize(200, 200)},
        {12, 0xFFFFFFFFu, 1, 1, CSize(200, 200)},
        {12, 1, 0xFFFFFFFFu, 1, CSize(200, 200)},
        {12, 204, 0, 1, CSize(200, 200)},
        {12, 204, 196, 0, CSize(200, 200)},
        {12, 204, 196, 7, CSize(200, 200)},
        {0, 204, 196, 2, CSize(200, 200)},
        // ResolutionUnit without values: no usable resolution.
        {12, 0, 0, 2, CSize(200, 200)},
        {12, 204, 0, 2, CSize(200, 200)},
        {12, 0, 77, 3, CSize(200, 200)},
        // Values the signed size cannot hold.
        {12, 0x80000000u, 98, 2, CSize(200, 200)},
        {12, 900000000u, 39, 3, CSize(200, 200)},
    };
    for (const Row &row : rows) {
        CPageBitmap page;
        page.m_resolution = CSize(1, 1);
        page.SetResolution(row.kind, row.x, row.y, row.unit);
        EXPECT_EQ(page.m_resolution, row.want)
            << row.kind << " " << row.x << " x " << row.y << " unit " << row.unit;
    }
}
