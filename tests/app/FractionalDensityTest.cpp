#include "tests/app/DensityTestSupport.h"
#include "tests/app/PaintRecorder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <cmath>
#include <functional>

// Qt reads the scale factor when the application object is made, after static
// initialisation: every test here runs at this device pixel ratio.
[[maybe_unused]] const bool g_bScaled = qputenv("QT_SCALE_FACTOR", "1.5");

namespace {

void pressKey(QWidget *pWidget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &press);
    QApplication::processEvents();
}

} // namespace

// Each device pixel of the part of the viewport given must be the shown page's pixel at
// one offset for the whole part: a row drawn twice or left out shifts those after it.
void expectPageAtOneOffset(const QImage &image, const std::function<int(int, int)> &page,
                           CSize pageSize, QPoint near)
{
    auto matches = [&](QPoint offset) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int px = x + offset.x(), py = y + offset.y();
                if (px < 0 || py < 0 || px >= pageSize.cx || py >= pageSize.cy)
                    return false;
                if (qRed(image.pixel(x, y)) != page(px, py))
                    return false;
            }
        return true;
    };
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx)
            if (matches(near + QPoint(dx, dy)))
                return;
    ADD_FAILURE() << "no single offset near " << near.x() << "," << near.y() << " shows the page";
}

TEST_F(DensityTest, ScrollingAtAFractionalRatioLeavesNoSeams)
{
    StartOnLinedFax(700, 625);
    const double ratio = View()->devicePixelRatioF();
    ASSERT_EQ(ratio, 1.5);
    const CPageBitmap &shown = Document()->GetDisplayPage();
    EXPECT_EQ(shown.ShownSize(), CSize(864, 1100));
    EXPECT_EQ(shown.m_size, CSize(1296, 1650));
    const int lineDown = View()->verticalScrollBar()->singleStep();
    const int lineAcross = View()->horizontalScrollBar()->singleStep();
    ASSERT_EQ(lineDown % 2, 1) << lineDown;
    ASSERT_EQ(lineAcross % 2, 1) << lineAcross;

    PaintRecorder recorder;
    View()->viewport()->installEventFilter(&recorder);
    const QRect whole = View()->viewport()->rect();
    auto page = [this](int x, int y) { return DisplayPixel(x, y); };
    // Odd line steps land on half device pixels every other time: pixels moved on
    // screen by a step and a strip painted after it would round apart, so each step
    // repaints the whole window, and each paint puts every row of the page in place.
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down,
                    Qt::Key_Right, Qt::Key_Right}) {
        recorder.m_painted = QRegion();
        pressKey(View(), key);
        const CPoint scroll = View()->GetScrollPosition();
        SCOPED_TRACE(testing::Message() << "scrolled to " << scroll.x << "," << scroll.y);
        EXPECT_EQ(recorder.m_painted.intersected(whole), QRegion(whole));
        const QPoint near(int(std::lround(scroll.x * ratio)), int(std::lround(scroll.y * ratio)));
        expectPageAtOneOffset(GrabViewport(), page, shown.m_size, near);
    }
    View()->viewport()->removeEventFilter(&recorder);
}
