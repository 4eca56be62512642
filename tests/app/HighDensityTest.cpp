#include "tests/app/DensityTestSupport.h"

#include "resources/Resource.h"
#include "view/PagelotView.h"

#include <QScrollBar>

// Qt reads the scale factor when the application object is made, after static
// initialisation: every test here runs at this device pixel ratio.
[[maybe_unused]] const bool g_bScaled = qputenv("QT_SCALE_FACTOR", "2");

namespace {

const QRgb kBackground = qRgb(128, 128, 128);

QRgb grey(int level) { return qRgb(level, level, level); }

// The area the scroll bars cover in logical pixels, for a page larger than the window.
CSize scrolledArea(const CPagelotView *pView)
{
    return CSize(pView->horizontalScrollBar()->maximum() + pView->viewport()->width(),
                 pView->verticalScrollBar()->maximum() + pView->viewport()->height());
}

} // namespace

TEST_F(DensityTest, HalfSizeOnADoubleDensityScreenShowsEveryPixelOfAFinePage)
{
    StartOnLinedFax(700, 600);
    ASSERT_EQ(View()->devicePixelRatioF(), 2.0);
    ASSERT_EQ(Document()->GetZoomMode(), ZoomMode::Scale50);
    // Half size in logical pixels, as the zoom says; the whole page in device pixels.
    EXPECT_EQ(Document()->GetDisplayPage().ShownSize(), CSize(864, 1100));
    EXPECT_EQ(scrolledArea(View()), CSize(864, 1100));

    const CPoint scroll(101, 257);
    View()->ScrollToPosition(scroll);
    ASSERT_EQ(View()->GetScrollPosition(), scroll);
    const QImage image = GrabViewport();
    ASSERT_EQ(image.size(), View()->viewport()->size() * 2);
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int px = x + 2 * scroll.x, py = y + 2 * scroll.y;
            const bool onPage = px < m_sourceSize.cx && py < m_sourceSize.cy;
            const QRgb expected = onPage ? grey(SourcePixel(px, py)) : kBackground;
            if (image.pixel(x, y) != expected && ++wrong < 5)
                ADD_FAILURE() << "device pixel " << x << "," << y;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(DensityTest, ActualSizeOnADoubleDensityScreenShowsEachPixelAsTwoByTwo)
{
    StartOnLinedFax(700, 600);
    ASSERT_EQ(View()->devicePixelRatioF(), 2.0);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    EXPECT_EQ(scrolledArea(View()), CSize(1728, 2200));
    const CPoint scroll(333, 1000);
    View()->ScrollToPosition(scroll);
    const QImage image = GrabViewport();
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb expected = grey(SourcePixel(x / 2 + scroll.x, y / 2 + scroll.y));
            if (image.pixel(x, y) != expected && ++wrong < 5)
                ADD_FAILURE() << "device pixel " << x << "," << y;
        }
    EXPECT_EQ(wrong, 0);
}
