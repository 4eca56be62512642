#include "PageTestHelpers.h"

#include "framework/Dc.h"

#include <QImage>
#include <QPainter>

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
        {IMG_ROT_CW90, IMG_OK, CSize(2, 3), Bytes{'d', 'a', 'e', 'b', 'f', 'c'}},
        {IMG_ROT_180, IMG_OK, CSize(3, 2), Bytes{'f', 'e', 'd', 'c', 'b', 'a'}},
        {IMG_ROT_CCW90, IMG_OK, CSize(2, 3), Bytes{'c', 'f', 'b', 'e', 'a', 'd'}},
        {5, IMG_ERR_BAD_PARAM, CSize(3, 2), page},
        {-1, IMG_ERR_BAD_PARAM, CSize(3, 2), page},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rotation);
        CPageBitmap bitmap;
        fillPage(bitmap, 3, 2, page);
        ASSERT_EQ(bitmap.MakeDib(), IMG_OK);
        const BITMAPINFOHEADER *dib = bitmap.m_pDib;
        EXPECT_EQ(bitmap.Rotate(row.rotation), row.code);
        EXPECT_EQ(bitmap.m_size, row.size);
        EXPECT_EQ(pageBytes(bitmap), row.pixels);
        EXPECT_EQ(bitmap.m_pDib, dib); // rebuilt by the caller with MakeDib
        EXPECT_EQ(bitmap.m_nAccessCount, 0);
    }
}

TEST(PageRotation, EmptyPageIsRefused)
{
    CPageBitmap bitmap;
    EXPECT_EQ(bitmap.Rotate(IMG_ROT_CW90), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(bitmap.m_size, CSize(0, 0));
}

namespace {

// Draws the page onto a fresh image filled with a colour no page pixel has.
std::uint32_t drawOnImage(CPageBitmap &page, QImage &image, bool canStretch = true)
{
    image = QImage(page.m_size.cx, page.m_size.cy, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    QPainter painter(&image);
    CDC dc(painter);
    if (!canStretch)
        dc.m_nRasterCaps &= ~RC_STRETCHDIB;
    return page.Draw(&dc);
}

} // namespace

TEST(PageDrawing, DrawsTheGreyPageOnePixelPerPixel)
{
    // 37 pixels: DIB rows padded to 40 bytes, so a wrong stride shears the page.
    CPageBitmap page;
    Bytes grey(37 * 23);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 7);
    fillPage(page, 37, 23, grey);
    ASSERT_EQ(page.MakeDib(), IMG_OK);
    QImage image;
    ASSERT_EQ(drawOnImage(page, image), IMG_OK);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const int v = grey[y * 37 + x];
            ASSERT_EQ(image.pixel(x, y), qRgb(v, v, v)) << x << "," << y;
        }
}

TEST(PageDrawing, RefusesWithoutDibOrStretchingDevice)
{
    CPageBitmap page;
    fillPage(page, 4, 3, Bytes(12, 255));
    QImage image;
    EXPECT_EQ(drawOnImage(page, image), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(page.Draw(nullptr), IMG_ERR_BAD_PARAM);
    ASSERT_EQ(page.MakeDib(), IMG_OK);
    EXPECT_EQ(page.Draw(nullptr), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(drawOnImage(page, image, false), IMG_ERR_DEVICE_UNSUPPORTED);
    EXPECT_EQ(image.pixel(0, 0), qRgb(10, 200, 30));
}
