#include "framework/Dc.h"
#include "tests/support/TestDib.h"

#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

// An 8-bit page enlarged onto a screen of device pixel ratio r, as the view draws Actual
// Size and fits wider than the page: every page pixel shows as a run of device pixels
// as long as the scale allows, none dropped or doubled, and a part painted on its own
// (a strip uncovered by scrolling) is exactly that part of one whole paint.

namespace {

constexpr QRgb UNPAINTED = 0xFF010203;
constexpr QRgb BACKGROUND = 0xFFFFFFFF; // the context's own brush
constexpr int VIEW_WIDTH = 50, VIEW_HEIGHT = 40;

std::vector<std::uint32_t> greyTable()
{
    std::vector<std::uint32_t> table(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        table[i] = i * 0x010101u;
    return table;
}

struct Scene
{
    double ratio;
    CSize shown;   // logical size the page is drawn at
    CPoint scroll; // logical scroll position
};

// Paints the page into a viewport-sized device of the scene's ratio once per clip
// region given in device pixels, as paint events do.
QImage paint(const TestDib &dib, const Scene &scene, const std::vector<QRegion> &clips,
             QImage::Format format = QImage::Format_RGB32,
             QSize viewSize = {VIEW_WIDTH, VIEW_HEIGHT})
{
    QImage device(int(std::ceil(viewSize.width() * scene.ratio)),
                  int(std::ceil(viewSize.height() * scene.ratio)), format);
    device.setDevicePixelRatio(scene.ratio);
    device.fill(UNPAINTED);
    const QRect view(QPoint(scene.scroll.x, scene.scroll.y), viewSize);
    const QRegion background =
        QRegion(view).subtracted(QRect(0, 0, scene.shown.cx, scene.shown.cy));
    for (const QRegion &clip : clips) {
        QPainter painter(&device);
        if (clip.rectCount() == 1) {
            const QRect rect = clip.boundingRect();
            painter.setClipRect(QRectF(rect.x() / scene.ratio, rect.y() / scene.ratio,
                                       rect.width() / scene.ratio, rect.height() / scene.ratio));
        } else {
            // Whole logical pixels, so the region maps to device pixels exactly.
            painter.setClipRegion(
                QTransform::fromScale(1 / scene.ratio, 1 / scene.ratio).map(clip));
        }
        CDC dc(painter);
        dc.SetViewportOrg(-scene.scroll.x, -scene.scroll.y);
        // The background around the page in logical units, as the view fills it.
        for (const QRect &part : background)
            dc.PatBlt(part.x(), part.y(), part.width(), part.height(), PATCOPY);
        dc.StretchDIBits(0, 0, scene.shown.cx, scene.shown.cy, 0, 0, dib.header()->biWidth,
                         dib.header()->biHeight, dib.rows(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
    }
    return device;
}

std::vector<QRegion> strips(const QImage &device, bool horizontal, int thickness)
{
    std::vector<QRegion> result;
    const int length = horizontal ? device.height() : device.width();
    for (int at = 0; at < length; at += thickness)
        result.push_back(horizontal ? QRect(0, at, device.width(), thickness)
                                    : QRect(at, 0, thickness, device.height()));
    return result;
}

// Walks one line of device pixels (a row, or a column when `down`) through a page whose
// grey level at each pixel is its column (or row) index, and checks the runs.
void expectRuns(const QImage &device, bool down, int line, double scale, double pageStart,
                double pageEnd, int sourceSize)
{
    const int length = down ? device.height() : device.width();
    int previous = -1, run = 0, runs = 0;
    for (int i = 0; i < length; ++i) {
        const QRgb pixel = down ? device.pixel(line, i) : device.pixel(i, line);
        // Both edges round as a filled rectangle's do, half a pixel up.
        const bool onPage = i + 0.5 > pageStart && i + 0.5 <= pageEnd;
        if (!onPage) {
            ASSERT_EQ(pixel, BACKGROUND) << "device pixel " << i << " of line " << line;
            continue;
        }
        const int index = qRed(pixel);
        if (previous < 0) {
            // The first page pixel in view: the one under that device pixel's centre.
            EXPECT_NEAR(index, (i + 0.5 - pageStart) / scale, 1.0) << "line " << line;
        } else if (index == previous) {
            ++run;
            continue;
        } else {
            ASSERT_EQ(index, previous + 1) << "device pixel " << i << " of line " << line;
            // Whole runs only: the first may be cut by the edge of the viewport.
            if (runs > 1 || pageStart >= 0) {
                EXPECT_LE(std::abs(run - scale), 1.0)
                    << "device pixel " << i << " of line " << line;
            }
        }
        previous = index;
        run = 1;
        ++runs;
    }
    if (pageEnd < length && previous >= 0) {
        EXPECT_EQ(previous, sourceSize - 1) << "line " << line;
        EXPECT_LE(std::abs(run - scale), 1.0) << "line " << line;
    }
}

// A fax-like page: long runs of white and black, lone pixels at both edges, rows all of
// one level, and a row of greys as smoothing leaves them. No pixel is of level 1.
TestDib faxLikeDib(const std::vector<std::uint32_t> &table)
{
    constexpr int width = 203, height = 41;
    std::vector<std::uint8_t> levels(std::size_t(width) * height, 255);
    std::uint32_t seed = 7;
    const auto below = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t *row = &levels[std::size_t(y) * width];
        switch (y % 8) {
        case 0:
            break;
        case 1:
            std::fill(row, row + width, 0);
            break;
        case 2:
            row[0] = row[width - 1] = 0;
            break;
        case 3:
            for (int x = 0; x < width; ++x)
                row[x] = std::uint8_t(2 * below(128));
            break;
        default:
            for (int x = 0, level = 0; x < width; level ^= 255) {
                const int run = 1 + int(below(40));
                std::fill(row + x, row + std::min(width, x + run), std::uint8_t(level));
                x += run;
            }
        }
    }
    return makeTestDib(width, height, 8, table, 0, [&levels](int x, int y) -> std::uint32_t {
        return levels[std::size_t(y) * width + std::size_t(x)];
    });
}

} // namespace

TEST(EnlargedDib, EveryWayOfDrawingGivesTheSamePixelsAndKeepsToTheClip)
{
    // The grey ramp of the display pages, and one that differs only in a level the page
    // does not hold: each is drawn its own way, and so are devices that can be written
    // straight and one that cannot.
    const auto grey = greyTable();
    auto notRamp = grey;
    notRamp[1] = 0xFF0000;
    const TestDib ramp = faxLikeDib(grey), lookedUp = faxLikeDib(notRamp);
    const QSize view(120, 30);
    const Scene scenes[] = {
        {1.0, CSize(203, 41), CPoint(0, 0)},   // unscaled, the page's left part
        {1.0, CSize(203, 41), CPoint(90, 5)},  // its right edge in view
        {2.0, CSize(116, 23), CPoint(0, 0)},   // Fit to Width of a wider screen
        {2.0, CSize(116, 23), CPoint(-8, -4)}, // the page's edges inside the viewport
        {1.5, CSize(203, 41), CPoint(41, 3)},  {3.0, CSize(203, 41), CPoint(60, 9)},
    };
    const std::vector<QRegion> whole = {QRect(0, 0, 1000, 1000)};
    const auto asRgb32 = [](const QImage &image) {
        return image.convertToFormat(QImage::Format_RGB32);
    };
    for (const Scene &scene : scenes) {
        SCOPED_TRACE(testing::Message() << "ratio " << scene.ratio << " shown " << scene.shown.cx
                                        << " scrolled " << scene.scroll.x << "," << scene.scroll.y);
        const QImage reference =
            asRgb32(paint(lookedUp, scene, whole, QImage::Format_RGB888, view));
        EXPECT_EQ(asRgb32(paint(ramp, scene, whole, QImage::Format_RGB32, view)), reference);
        EXPECT_EQ(asRgb32(paint(ramp, scene, whole, QImage::Format_ARGB32_Premultiplied, view)),
                  reference);
        EXPECT_EQ(asRgb32(paint(lookedUp, scene, whole, QImage::Format_RGB32, view)), reference);
        if (scene.ratio != std::floor(scene.ratio))
            continue;
        // An L of two rectangles, and one rectangle inside the page, on whole logical
        // pixels at every whole ratio.
        const int w = reference.width(), h = reference.height();
        const auto onLogical = [](int at) { return at / 6 * 6; };
        const QRegion ell =
            QRegion(0, 0, onLogical(w / 2), h).united(QRect(0, onLogical(h / 2), w, h));
        const QRegion middle(
            QRect(onLogical(w / 4), onLogical(h / 4), onLogical(w / 2), onLogical(h / 2)));
        for (const QRegion &clip : {ell, middle}) {
            for (const TestDib *dib : {&ramp, &lookedUp}) {
                const QImage clipped =
                    asRgb32(paint(*dib, scene, {clip}, QImage::Format_RGB32, view));
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(clipped.pixel(x, y),
                                  clip.contains(QPoint(x, y)) ? reference.pixel(x, y) : UNPAINTED)
                            << "at " << x << "," << y << " clipped to " << clip.rectCount()
                            << " rectangles";
            }
        }
    }
}

TEST(EnlargedDib, EveryPixelShowsAsOneRunAndStripsMatchOnePaint)
{
    constexpr int width = 48, height = 36;
    const auto table = greyTable();
    const TestDib columns =
        makeTestDib(width, height, 8, table, 0, [](int x, int) -> std::uint32_t { return x; });
    const TestDib rows =
        makeTestDib(width, height, 8, table, 0, [](int, int y) -> std::uint32_t { return y; });
    const Scene scenes[] = {
        {1.0, CSize(48, 36), CPoint(3, 2)},   // drawn unscaled, rows flipped
        {1.25, CSize(48, 36), CPoint(3, 3)},  // Actual Size
        {1.5, CSize(48, 36), CPoint(7, 5)},   // half device pixels at odd positions
        {1.5, CSize(48, 36), CPoint(0, 0)},   // the page's left and top edges in view
        {1.5, CSize(48, 36), CPoint(-3, -1)}, // every edge of the page on half pixels
        {2.0, CSize(44, 33), CPoint(11, 9)},  // a fit a little narrower than the page
        {2.0, CSize(44, 33), CPoint(-3, -2)}, // the page's edges inside the viewport
        {3.0, CSize(48, 36), CPoint(1, 2)},
    };
    for (const Scene &scene : scenes) {
        SCOPED_TRACE(testing::Message() << "ratio " << scene.ratio << " shown " << scene.shown.cx
                                        << " scrolled " << scene.scroll.x << "," << scene.scroll.y);
        const std::vector<QRegion> whole = {QRect(0, 0, 1000, 1000)};
        for (const TestDib *dib : {&columns, &rows}) {
            const bool down = dib == &rows;
            const QImage once = paint(*dib, scene, whole);
            const double scale =
                down ? scene.ratio * scene.shown.cy / height : scene.ratio * scene.shown.cx / width;
            const double start = -(down ? scene.scroll.y : scene.scroll.x) * scene.ratio;
            const double end = start + (down ? scene.shown.cy : scene.shown.cx) * scene.ratio;
            const int lines = down ? once.width() : once.height();
            for (int line = 0; line < lines; ++line) {
                const double across = line + 0.5;
                const double acrossStart = -(down ? scene.scroll.x : scene.scroll.y) * scene.ratio;
                const double acrossEnd =
                    acrossStart + (down ? scene.shown.cx : scene.shown.cy) * scene.ratio;
                if (across <= acrossStart || across > acrossEnd)
                    continue;
                expectRuns(once, down, line, scale, start, end, down ? height : width);
            }
            for (bool horizontal : {true, false})
                for (int thickness : {1, 3, 7})
                    EXPECT_EQ(paint(*dib, scene, strips(once, horizontal, thickness)), once)
                        << (horizontal ? "rows" : "columns") << " of " << thickness;
        }
    }
}

TEST(EnlargedDib, ASourceRectanglePastTheRowsReadsNothingBeyondThem)
{
    const auto table = greyTable();
    const TestDib dib =
        makeTestDib(6, 4, 8, table, 0, [](int x, int y) -> std::uint32_t { return 10 * y + x; });
    QImage device(40, 40, QImage::Format_RGB32);
    device.fill(UNPAINTED);
    {
        QPainter painter(&device);
        CDC dc(painter);
        // Two columns and two rows more than the DIB holds, from its third column.
        dc.StretchDIBits(0, 0, 24, 24, 2, 0, 6, 6, dib.rows(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
    }
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x) {
            const QRgb pixel = device.pixel(x, y);
            const int level = qRed(pixel);
            // Whatever lands is one of the DIB's own pixels, or the background.
            EXPECT_TRUE(pixel == UNPAINTED || (level % 10 < 6 && level / 10 < 4))
                << "at " << x << "," << y;
        }
}

TEST(EnlargedDib, AWidgetDrawsOnlyWithinItselfInItsWindow)
{
    // A page enlarged past the right edge of the widget drawing it, painted with no clip
    // of its own: what lies beyond in the window's backing store is a sibling's, which
    // that repaint does not touch.
    const TestDib black =
        makeTestDib(100, 50, 8, greyTable(), 0, [](int, int) -> std::uint32_t { return 0; });
    struct PageWidget : QWidget
    {
        const TestDib *dib = nullptr;
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            CDC dc(painter);
            dc.StretchDIBits(0, 0, 200, 100, 0, 0, 100, 50, dib->rows(), dib->info(),
                             DIB_RGB_COLORS, SRCCOPY);
        }
    };
    QWidget window;
    window.resize(200, 100);
    PageWidget page;
    page.dib = &black;
    page.setParent(&window);
    page.setGeometry(0, 0, 100, 100);
    QWidget sibling(&window);
    sibling.setGeometry(100, 0, 100, 100);
    sibling.setAutoFillBackground(true);
    QPalette red;
    red.setColor(QPalette::Window, Qt::red);
    sibling.setPalette(red);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    page.repaint();
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
    ASSERT_FALSE(shown.isNull());
    const qreal ratio = shown.devicePixelRatio();
    EXPECT_EQ(shown.pixel(int(50 * ratio), int(50 * ratio)), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(int(150 * ratio), int(50 * ratio)), qRgb(255, 0, 0));
}
