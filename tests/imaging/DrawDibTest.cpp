#include "framework/Dc.h"
#include "imaging/CallFrame.h"
#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"
#include "tests/support/TestDib.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr QRgb BACKGROUND = 0x010203;

QImage makeDevice(int width, int height)
{
    QImage device(width, height, QImage::Format_RGB32);
    device.fill(BACKGROUND);
    return device;
}

bool untouched(const QImage &device)
{
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x)
            if ((device.pixel(x, y) & 0xFFFFFF) != BACKGROUND)
                return false;
    return true;
}

std::uint32_t value(int x, int y) { return std::uint32_t((x * 7 + y * 3) % 5); }

// Draws the DIB at (1, 1) scaled by `scale` and checks every device pixel.
void expectDrawn(const TestDib &dib, const std::vector<std::uint32_t> &table, int scale)
{
    const int w = dib.header()->biWidth, h = dib.header()->biHeight;
    QImage device = makeDevice(w * scale + 2, h * scale + 2);
    {
        QPainter painter(&device);
        CDC dc(painter);
        setLastError(IMG_ERR_FILE_READ);
        EXPECT_EQ(imgDrawDib(&dc, dib.header(), 1, 1, w * scale, h * scale), 1);
        EXPECT_EQ(imgGetLastError(), IMG_OK);
    }
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x) {
            const bool inside = x >= 1 && y >= 1 && x <= w * scale && y <= h * scale;
            const std::uint32_t v = inside ? value((x - 1) / scale, (y - 1) / scale) : 0;
            const std::uint32_t expected =
                !inside ? BACKGROUND : (table.empty() ? 0x302010u * (v + 1) : table[v & 1 ? 1 : 0]);
            ASSERT_EQ(device.pixel(x, y) & 0xFFFFFF, expected) << "at " << x << "," << y;
        }
}

} // namespace

TEST(DrawDib, FindsTheRowsAfterTheColourTable)
{
    // The same picture with the table lengths the layout rules give: rows 8 bytes
    // after a 1-bit header, 1024 after an 8-bit one with 256 entries, 8 when an
    // 8-bit header says 2, none for 24 bits even when biClrUsed says otherwise.
    const std::vector<std::uint32_t> two = {0x00FF00, 0xFF00FF};
    std::vector<std::uint32_t> full(256, 0xFFFFFF);
    full[0] = two[0];
    full[1] = two[1];
    auto oddIsSet = [](int x, int y) -> std::uint32_t { return value(x, y) & 1; };
    auto bgr = [](int x, int y) -> std::uint32_t { return 0x302010u * (value(x, y) + 1); };

    const TestDib oneBit = makeTestDib(13, 5, 1, two, 0, oddIsSet);
    ASSERT_EQ(oneBit.rowsOffset, 40u + 8u);
    expectDrawn(oneBit, two, 1);

    const TestDib eightBit = makeTestDib(13, 5, 8, full, 256, oddIsSet);
    ASSERT_EQ(eightBit.rowsOffset, 40u + 1024u);
    expectDrawn(eightBit, two, 1);

    const TestDib shortTable = makeTestDib(13, 5, 8, two, 2, oddIsSet);
    ASSERT_EQ(shortTable.rowsOffset, 40u + 8u);
    expectDrawn(shortTable, two, 1);

    const TestDib trueColour = makeTestDib(13, 5, 24, {}, 5, bgr);
    ASSERT_EQ(trueColour.rowsOffset, 40u);
    expectDrawn(trueColour, {}, 1);
}

TEST(DrawDib, DestinationTwiceTheSizeDrawsTheWholeBitmapEnlarged)
{
    const std::vector<std::uint32_t> two = {0x000000, 0xFFFFFF};
    auto oddIsSet = [](int x, int y) -> std::uint32_t { return value(x, y) & 1; };
    expectDrawn(makeTestDib(9, 4, 1, two, 0, oddIsSet), two, 2);
}

TEST(DrawDib, BitmapsOfTheImagingLayerDraw)
{
    const BYTE pixels[] = {0, 255, 128, 7, 9, 200};
    RGBQUAD grey[256];
    for (int i = 0; i < 256; ++i)
        grey[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    BITMAPINFOHEADER *dib = imgMakeDib8(pixels, 3, 2, grey);
    ASSERT_NE(dib, nullptr);
    QImage device = makeDevice(3, 2);
    {
        QPainter painter(&device);
        CDC dc(painter);
        EXPECT_EQ(imgDrawDib(&dc, dib, 0, 0, 3, 2), 1);
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(device.pixel(i % 3, i / 3) & 0xFF, pixels[i]);
    GlobalFree(dib);
}

TEST(DrawDib, DeviceWithoutStretchedDibsIsNeverDrawnOn)
{
    const TestDib dib = makeTestDib(4, 4, 1, {0, 0xFFFFFF}, 0, value);
    QImage device = makeDevice(8, 8);
    {
        QPainter painter(&device);
        CDC dc(painter);
        dc.m_nRasterCaps &= ~RC_STRETCHDIB;
        EXPECT_EQ(imgDrawDib(&dc, dib.header(), 0, 0, 4, 4), 0);
        EXPECT_EQ(imgGetLastError(), IMG_ERR_DEVICE_UNSUPPORTED);
    }
    EXPECT_TRUE(untouched(device));
}

TEST(DrawDib, NullArgumentsAreRefusedBeforeTheDeviceIsAsked)
{
    const TestDib dib = makeTestDib(4, 4, 1, {0, 0xFFFFFF}, 0, value);
    QImage device = makeDevice(8, 8);
    QPainter painter(&device);
    CDC dc(painter);
    dc.m_nRasterCaps = 0; // asking it would give 26
    EXPECT_EQ(imgDrawDib(nullptr, dib.header(), 0, 0, 4, 4), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgDrawDib(&dc, nullptr, 0, 0, 4, 4), 0);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
}

TEST(DrawDib, DeviceThatDrawsNothingGivesZeroWithoutError)
{
    const TestDib dib = makeTestDib(4, 4, 1, {0, 0xFFFFFF}, 0, value);
    QImage device = makeDevice(8, 8);
    // A context without a painter reports its capabilities and draws nothing.
    CDC cannotPaint(device, nullptr);
    setLastError(IMG_ERR_FILE_READ);
    EXPECT_EQ(imgDrawDib(&cannotPaint, dib.header(), 0, 0, 4, 4), 0);
    EXPECT_EQ(imgGetLastError(), IMG_OK);
}

TEST(DrawDib, HeadersThatPointOutsideTheirBlockAreRefused)
{
    // A global block whose header claims a colour table, or rows, beyond the block
    // must not send the device reading past its end.
    BYTE bits[] = {0xA5, 0x5A};
    const RGBQUAD two[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    struct Row
    {
        const char *what;
        std::function<void(BITMAPINFOHEADER &)> spoil;
    };
    const Row rows[] = {
        {"huge colour count", [](BITMAPINFOHEADER &h) { h.biClrUsed = 0xFFFFFFF0u; }},
        {"more rows than held", [](BITMAPINFOHEADER &h) { h.biHeight = 1000; }},
        {"top-down", [](BITMAPINFOHEADER &h) { h.biHeight = -2; }},
        {"16 bits", [](BITMAPINFOHEADER &h) { h.biBitCount = 16; }},
        {"compressed", [](BITMAPINFOHEADER &h) { h.biCompression = 1; }},
        {"no width", [](BITMAPINFOHEADER &h) { h.biWidth = 0; }},
    };
    QImage device = makeDevice(8, 8);
    {
        QPainter painter(&device);
        CDC dc(painter);
        for (const Row &row : rows) {
            SCOPED_TRACE(row.what);
            BITMAPINFOHEADER *dib = imgMakeDib1(bits, 8, 2, two);
            ASSERT_NE(dib, nullptr);
            row.spoil(*dib);
            EXPECT_EQ(imgDrawDib(&dc, dib, 0, 0, 8, 2), 0);
            EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
            GlobalFree(dib);
        }
    }
    EXPECT_TRUE(untouched(device));
}
