#include "PageTestHelpers.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

TEST(PageRotation, SwapsSizeOnlyAfterQuarterTurns)
{
    // Rows a b c / d e f.
    const Bytes page{'a', 'b', 'c', 'd', 'e', 'f'};
    struct Row
    {
        std::int32_t rotation;
        std::uint32_t code;
        CSize size;
        Bytes pixels;
    };
    const Row rows[] = {
        {IMG_ROT_CW90, 0, CSize(2, 3), Bytes{'d', 'a', 'e', 'b', 'f', 'c'}},
        {IMG_ROT_180, 0, CSize(3, 2), Bytes{'f', 'e', 'd', 'c', 'b', 'a'}},
        {IMG_ROT_CCW90, 0, CSize(2, 3), Bytes{'c', 'f', 'b', 'e', 'a', 'd'}},
        {5, 5, CSize(3, 2), page},
        {-1, 5, CSize(3, 2), page},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rotation);
        CPageBitmap bitmap;
        fillPage(bitmap, 3, 2, page);
        ASSERT_EQ(bitmap.MakeDib(), 0u);
        const BITMAPINFOHEADER *dib = bitmap.m_pDib;
        EXPECT_EQ(bitmap.Rotate(row.rotation), row.code);
        EXPECT_EQ(bitmap.m_size, row.size);
        EXPECT_EQ(pageBytes(bitmap), row.pixels);
        EXPECT_EQ(bitmap.m_pDib, dib); // rebuilt by the caller with MakeDib
        EXPECT_EQ(bitmap.m_nAccessCount, 0);
    }
}

TEST(PageRotation, TurnsComposeBackToThePage)
{
    CPageBitmap bitmap;
    Bytes page(7 * 5);
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i);
    fillPage(bitmap, 7, 5, page);
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_CW90), 0u);
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_CW90), 0u);
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_180), 0u);
    EXPECT_EQ(bitmap.m_size, CSize(7, 5));
    EXPECT_EQ(pageBytes(bitmap), page);
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_CCW90), 0u);
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_CW90), 0u);
    EXPECT_EQ(pageBytes(bitmap), page);
}

TEST(PageRotation, EmptyPageIsRefused)
{
    CPageBitmap bitmap;
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_CW90), 5u);
    EXPECT_EQ(bitmap.m_size, CSize(0, 0));
}
