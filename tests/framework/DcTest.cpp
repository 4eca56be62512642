#include "framework/Dc.h"
#include "tests/support/TestDib.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

namespace {

constexpr QRgb BACKGROUND = 0x010203;

QImage makeDevice(int width, int height)
{
    QImage device(width, height, QImage::Format_RGB32);
    device.fill(BACKGROUND);
    return device;
}

QRgb rgbAt(const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

std::vector<std::uint32_t> rampTable()
{
    std::vector<std::uint32_t> table(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        table[i] = (i << 16) | ((255 - i) << 8) | (i / 2);
    return table;
}

// The colour the DIB gives pixel (x, y) counted from the top.
std::uint32_t colourOf(const TestDib &dib, const std::vector<std::uint32_t> &table,
                       const std::function<std::uint32_t(int, int)> &value, int x, int y)
{
    const std::uint32_t v = value(x, y);
    return dib.header()->biBitCount == 24 ? v : table[v];
}

int drawWhole(CDC &dc, const TestDib &dib, int x, int y, int width, int height)
{
    return dc.StretchDIBits(x, y, width, height, 0, 0, dib.header()->biWidth,
                            dib.header()->biHeight, dib.rows(), dib.info(), DIB_RGB_COLORS,
                            SRCCOPY);
}

} // namespace

TEST(StretchDibits, DrawsEveryPixelTheRightWayUp)
{
    const auto ramp = rampTable();
    const std::vector<std::uint32_t> twoColours = {0xFF0000, 0x0000FF};
    struct Row
    {
        const char *what;
        int bitCount, width, height;
        std::vector<std::uint32_t> table;
        int x, y, destWidth, destHeight;
    };
    const Row rows[] = {
        {"8-bit 1:1", 8, 7, 5, ramp, 3, 2, 7, 5},
        {"8-bit odd width enlarged twice", 8, 5, 3, ramp, 1, 1, 10, 6},
        {"1-bit odd width 1:1", 1, 13, 4, twoColours, 2, 3, 13, 4},
        {"1-bit wider than a byte enlarged twice", 1, 11, 3, twoColours, 0, 0, 22, 6},
        {"24-bit 1:1", 24, 5, 4, {}, 4, 1, 5, 4},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        std::function<std::uint32_t(int, int)> value = [&](int x, int y) -> std::uint32_t {
            if (row.bitCount == 1)
                return (x * 3 + y * 5) % 7 < 3;
            if (row.bitCount == 8)
                return 1 + x + 10 * y;
            return 0x102030u * (1 + x) + 0x010101u * y;
        };
        const TestDib dib = makeTestDib(row.width, row.height, row.bitCount, row.table, 0, value);
        QImage device = makeDevice(26, 14);
        {
            QPainter painter(&device);
            CDC dc(painter);
            EXPECT_EQ(drawWhole(dc, dib, row.x, row.y, row.destWidth, row.destHeight), row.height);
        }
        for (int y = 0; y < device.height(); ++y) {
            for (int x = 0; x < device.width(); ++x) {
                const int dx = x - row.x, dy = y - row.y;
                const bool inside = dx >= 0 && dy >= 0 && dx < row.destWidth && dy < row.destHeight;
                const std::uint32_t expected =
                    inside ? colourOf(dib, row.table, value, dx * row.width / row.destWidth,
                                      dy * row.height / row.destHeight)
                           : BACKGROUND;
                ASSERT_EQ(rgbAt(device, x, y), expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(StretchDibits, RefusesWhatItCannotDrawAndLeavesTheDeviceAlone)
{
    const auto ramp = rampTable();
    auto one = [](int, int) -> std::uint32_t { return 1; };
    struct Row
    {
        const char *what;
        std::function<void(TestDib &, UINT &, DWORD &, int &)> spoil;
    };
    const Row rows[] = {
        {"palette indices", [](TestDib &, UINT &usage, DWORD &, int &) { usage = 1; }},
        {"another raster operation", [](TestDib &, UINT &, DWORD &rop, int &) { rop = PATCOPY; }},
        {"4 bits", [](TestDib &d, UINT &, DWORD &, int &) { d.block[14] = 4; }},
        {"run-length compressed", [](TestDib &d, UINT &, DWORD &, int &) { d.block[16] = 1; }},
        {"short header", [](TestDib &d, UINT &, DWORD &, int &) { d.block[0] = 12; }},
        {"empty source", [](TestDib &, UINT &, DWORD &, int &srcWidth) { srcWidth = 0; }},
        {"a height of no row count",
         [](TestDib &d, UINT &, DWORD &, int &) {
             const std::int32_t height = std::numeric_limits<std::int32_t>::min();
             std::memcpy(d.block.data() + 8, &height, sizeof height);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TestDib dib = makeTestDib(3, 2, 8, ramp, 0, one);
        UINT usage = DIB_RGB_COLORS;
        DWORD rop = SRCCOPY;
        int srcWidth = 3;
        row.spoil(dib, usage, rop, srcWidth);
        QImage device = makeDevice(8, 8);
        {
            QPainter painter(&device);
            CDC dc(painter);
            EXPECT_EQ(
                dc.StretchDIBits(0, 0, 3, 2, 0, 0, srcWidth, 2, dib.rows(), dib.info(), usage, rop),
                0);
        }
        EXPECT_EQ(rgbAt(device, 0, 0), BACKGROUND);
    }
    const TestDib dib = makeTestDib(3, 2, 8, ramp, 0, one);
    QImage device = makeDevice(8, 8);
    {
        QPainter painter(&device);
        CDC dc(painter);
        EXPECT_EQ(dc.StretchDIBits(0, 0, 3, 2, 0, 0, 3, 2, nullptr, dib.info(), 0, SRCCOPY), 0);
    }
    // A context without a painter, as the print preview makes to ask a printer's
    // resolution: it answers and draws nothing.
    CDC cannotPaint(device, nullptr);
    EXPECT_EQ(cannotPaint.GetDeviceCaps(HORZRES), 8);
    EXPECT_EQ(drawWhole(cannotPaint, dib, 0, 0, 3, 2), 0);
    EXPECT_FALSE(cannotPaint.PatBlt(0, 0, 3, 2, PATCOPY));
    EXPECT_EQ(rgbAt(device, 0, 0), BACKGROUND);
}

TEST(DeviceContext, AnisotropicExtentsScaleAndOriginsMove)
{
    // Logical 10 x 10 onto 20 x 30 device pixels: every DIB pixel becomes 2 x 3,
    // and the viewport origin moves the whole drawing.
    const auto ramp = rampTable();
    auto value = [](int x, int y) -> std::uint32_t { return 1 + x + 4 * y; };
    const TestDib dib = makeTestDib(4, 2, 8, ramp, 0, value);
    QImage device = makeDevice(16, 12);
    {
        QPainter painter(&device);
        CDC dc(painter);
        dc.SetWindowExt(CSize(5, 5)); // ignored in MM_TEXT
        dc.SetMapMode(MM_ANISOTROPIC);
        EXPECT_EQ(dc.GetWindowExt(), CSize(1, 1));
        dc.SetWindowExt(CSize(10, 10));
        dc.SetWindowExt(CSize(0, 3)); // refused
        dc.SetViewportExt(CSize(20, 30));
        dc.SetViewportOrg(1, 2);
        EXPECT_EQ(dc.GetWindowExt(), CSize(10, 10));
        EXPECT_EQ(dc.StretchDIBits(0, 0, 4, 2, 0, 0, 4, 2, dib.rows(), dib.info(), DIB_RGB_COLORS,
                                   SRCCOPY),
                  2);
    }
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x) {
            const bool inside = x >= 1 && x < 9 && y >= 2 && y < 8;
            const std::uint32_t expected =
                inside ? ramp[value((x - 1) / 2, (y - 2) / 3)] : BACKGROUND;
            ASSERT_EQ(rgbAt(device, x, y), expected) << "at " << x << "," << y;
        }
}

TEST(DeviceContext, ScrolledViewportOriginShiftsTextMode)
{
    const auto ramp = rampTable();
    auto value = [](int x, int y) -> std::uint32_t { return 1 + x + 10 * y; };
    const TestDib dib = makeTestDib(9, 7, 8, ramp, 0, value);
    QImage device = makeDevice(5, 4);
    {
        QPainter painter(&device);
        // A paint event's painter: clipped to what is to be painted.
        painter.setClipRect(device.rect());
        CDC dc(painter);
        dc.SetMapMode(MM_TEXT);
        dc.SetViewportOrg(-3, -2);
        CRect clip;
        dc.GetClipBox(&clip);
        EXPECT_EQ(clip, CRect(3, 2, 8, 6));
        dc.StretchDIBits(0, 0, 9, 7, 0, 0, 9, 7, dib.rows(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
    }
    EXPECT_EQ(rgbAt(device, 0, 0), ramp[value(3, 2)]);
    EXPECT_EQ(rgbAt(device, 4, 3), ramp[value(7, 5)]);
}

TEST(DeviceContext, ClipBoxFollowsThePaintersClipInLogicalUnits)
{
    QImage device = makeDevice(40, 30);
    QPainter painter(&device);
    painter.setClipRect(QRect(5, 6, 10, 4));
    CDC dc(painter);
    dc.SetViewportOrg(-20, -10);
    CRect clip;
    dc.GetClipBox(&clip);
    EXPECT_EQ(clip, CRect(25, 16, 35, 20));
    dc.SetViewportOrg(100, 100);
    painter.setClipRect(QRect(0, 0, 0, 0));
    dc.GetClipBox(&clip);
    EXPECT_EQ(clip.Width() * clip.Height(), 0);
}

TEST(DeviceContext, PatBltFillsWithTheSelectedBrush)
{
    QImage device = makeDevice(10, 8);
    CBrush gray;
    gray.CreateSolidBrush(RGB(128, 128, 128));
    {
        QPainter painter(&device);
        CDC dc(painter);
        CBrush *previous = dc.SelectObject(&gray);
        EXPECT_EQ(previous, nullptr);
        EXPECT_TRUE(dc.PatBlt(1, 2, 4, 3, PATCOPY));
        EXPECT_EQ(dc.SelectObject(previous), &gray);
        // The context's own brush is white, as a new device context's is.
        EXPECT_TRUE(dc.PatBlt(6, 0, 2, 2, PATCOPY));
        EXPECT_FALSE(dc.PatBlt(0, 6, 2, 2, SRCCOPY));
    }
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x) {
            QRgb expected = BACKGROUND;
            if (x >= 1 && x < 5 && y >= 2 && y < 5)
                expected = 0x808080;
            else if (x >= 6 && x < 8 && y < 2)
                expected = 0xFFFFFF;
            ASSERT_EQ(rgbAt(device, x, y), expected) << "at " << x << "," << y;
        }
    EXPECT_NE(gray.GetSafeHandle(), nullptr); // the context never deletes a brush
}

TEST(DeviceContext, CapabilitiesComeFromTheDevice)
{
    QImage device = makeDevice(300, 200);
    device.setDotsPerMeterX(7874); // 200 dpi
    device.setDotsPerMeterY(3858); // 98 dpi
    QPainter painter(&device);
    CDC dc(painter);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 300);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 200);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 200);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 98);
    EXPECT_TRUE(dc.GetDeviceCaps(RASTERCAPS) & RC_STRETCHDIB);
    EXPECT_EQ(dc.GetDeviceCaps(12345), 0);
    // A painter that never began has no device to ask.
    QPainter idle;
    EXPECT_EQ(CDC(idle).GetDeviceCaps(LOGPIXELSX), 0);
}

TEST(DeviceContext, BorrowedPainterGetsItsTransformBack)
{
    QImage device = makeDevice(10, 10);
    QPainter painter(&device);
    painter.translate(2, 3);
    {
        CDC dc(painter);
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetViewportExt(CSize(3, 3));
        EXPECT_NE(painter.worldTransform(), QTransform::fromTranslate(2, 3));
    }
    EXPECT_TRUE(painter.isActive());
    EXPECT_EQ(painter.worldTransform(), QTransform::fromTranslate(2, 3));
}

TEST(DeviceContext, PrinterMappingSizesAPageByItsResolution)
{
    // A 1728 x 1100 page at 204 x 98 dpi, window extent (216, 105), on a 60 dpi
    // device: 8 inches across (480 pixels), 10.48 down (628.6 pixels).
    QImage printer = makeDevice(500, 700);
    printer.setDotsPerMeterX(2362);
    printer.setDotsPerMeterY(2362);
    CBrush black;
    black.CreateSolidBrush(RGB(0, 0, 0));
    {
        QPainter painter(&printer);
        painter.setClipRect(printer.rect());
        CDC dc(painter);
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExt(CSize(216, 105));
        dc.SetViewportExt(CSize(dc.GetDeviceCaps(LOGPIXELSX), dc.GetDeviceCaps(LOGPIXELSY)));
        EXPECT_EQ(dc.GetViewportExt(), CSize(60, 60));
        dc.SelectObject(&black);
        dc.PatBlt(0, 0, 1728, 1100, PATCOPY);
        CRect sheet;
        dc.GetClipBox(&sheet);
        EXPECT_EQ(sheet, CRect(0, 0, 1800, 1225));
    }
    QRect ink;
    for (int y = 0; y < printer.height(); ++y)
        for (int x = 0; x < printer.width(); ++x)
            if (rgbAt(printer, x, y) == 0)
                ink |= QRect(x, y, 1, 1);
    EXPECT_EQ(ink.left(), 0);
    EXPECT_EQ(ink.top(), 0);
    EXPECT_EQ(ink.right(), 479);
    EXPECT_NEAR(ink.bottom(), 628, 1);
}
