#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "framework/SystemMetrics.h"
#include "platform/GlobalMemory.h"
#include "resources/Resource.h"
#include "view/PagelotView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

namespace {

void pressKey(QWidget *pWidget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              bool autoRepeat = false)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(pWidget, &press);
}

QRgb grey(int level) { return qRgb(level, level, level); }

// The scroll bars' page and line steps.
CSize pageStep(const CPagelotView *pView)
{
    return CSize(pView->horizontalScrollBar()->pageStep(), pView->verticalScrollBar()->pageStep());
}

CSize lineStep(const CPagelotView *pView)
{
    return CSize(pView->horizontalScrollBar()->singleStep(),
                 pView->verticalScrollBar()->singleStep());
}

const QRgb kBackground = qRgb(128, 128, 128);

} // namespace

TEST(PagelotViewScrolling, StepsComeFromTheClientArea)
{
    const struct
    {
        QSize client;
        CSize page;
        CSize line;
    } rows[] = {
        {QSize(800, 600), CSize(800, 600), CSize(32, 24)},
        {QSize(1000, 800), CSize(1000, 800), CSize(40, 32)},
        {QSize(99, 51), CSize(99, 51), CSize(3, 2)},
    };
    for (const auto &row : rows) {
        CPagelotView view;
        view.resize(row.client);
        view.show();
        view.UpdateScrollSizes();
        EXPECT_EQ(pageStep(&view), row.page);
        EXPECT_EQ(lineStep(&view), row.line);
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    }
}

class ViewOnScreen : public AppTest
{
protected:
    // Starts on a fax whose first page is shown at a third: 576 x 733.
    void StartOnFax(int frameWidth, int frameHeight)
    {
        AfxOverrideSystemMetric(SM_CXFULLSCREEN, 800);
        const std::string path = WriteFax("fax.tif", 2);
        ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
        Frame()->resize(frameWidth, frameHeight);
        QApplication::processEvents();
        View()->UpdateScrollSizes();
    }

    QImage Grab() const
    {
        return View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The shown page's grey level at (x, y).
    int PagePixel(int x, int y) const
    {
        const CPageBitmap &page = Document()->GetDisplayPage();
        return page.m_pPixels[static_cast<size_t>(y) * page.m_size.cx + x];
    }

    // Every pixel of the grab: the page's own where the page is, grey elsewhere.
    void ExpectPageAt(const QImage &image, CPoint scroll) const
    {
        const CSize size = Document()->GetDisplayPage().m_size;
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int px = x + scroll.x, py = y + scroll.y;
                const bool onPage = px < size.cx && py < size.cy;
                const QRgb expected = onPage ? grey(PagePixel(px, py)) : kBackground;
                if (image.pixel(x, y) != expected && ++wrong < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex
                                  << image.pixel(x, y) << ", expected " << expected;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(ViewOnScreen, WithoutADocumentTheViewIsAllGrey)
{
    ASSERT_NE(Start(), nullptr);
    const QImage image = View()->viewport()->grab().toImage();
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, kBackground & 0xFFFFFF) << x << "," << y;
}

TEST_F(ViewOnScreen, PageSitsTopLeftOneToOneOnGrey)
{
    StartOnFax(1000, 1000);
    ASSERT_EQ(Document()->GetDisplayPage().m_size, CSize(576, 733));
    const QImage image = Grab();
    // The window is larger than the page: no scroll bars, grey right of and below it.
    ASSERT_GT(image.width(), 576);
    ASSERT_GT(image.height(), 733);
    EXPECT_EQ(View()->verticalScrollBar()->maximum(), 0);
    ExpectPageAt(image, CPoint(0, 0));
}

TEST_F(ViewOnScreen, ScrolledPageIsDrawnFromTheScrollPosition)
{
    StartOnFax(700, 600);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    ASSERT_EQ(Document()->GetDisplayPage().m_size, CSize(1728, 2200));
    View()->ScrollToPosition(CPoint(300, 1000));
    ASSERT_EQ(View()->GetScrollPosition(), CPoint(300, 1000));
    ExpectPageAt(Grab(), CPoint(300, 1000));

    // Scrolled to the far corner, the page ends exactly at the window's edge.
    pressKey(View(), Qt::Key_End);
    pressKey(View(), Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    ExpectPageAt(Grab(), View()->GetScrollPosition());
}

// Scrolling repaints only the strip it uncovers: each strip must hold its own part of the
// page, whatever the scroll position.
TEST_F(ViewOnScreen, PartialRepaintsDrawTheirPartOfThePage)
{
    StartOnFax(700, 600);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    CPagelotView *pView = View();
    pView->ScrollToPosition(CPoint(411, 1203));
    const QSize size = pView->viewport()->size();
    const QRect strips[] = {
        QRect(0, size.height() - 24, size.width(), 24), // a line down
        QRect(0, 0, size.width(), 24),                  // a line up
        QRect(size.width() - 27, 0, 27, size.height()), // a line right
        QRect(100, 150, 64, 48),                        // an exposed corner
    };
    for (const QRect &strip : strips) {
        SCOPED_TRACE(strip.y());
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        // The region is drawn with its top-left corner at the offset given.
        pView->viewport()->render(&image, strip.topLeft(), QRegion(strip));
        const QImage part = image.copy(strip);
        int wrong = 0;
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                wrong +=
                    part.pixel(x, y) != grey(PagePixel(411 + strip.x() + x, 1203 + strip.y() + y));
        EXPECT_EQ(wrong, 0);
    }
}

// A page whose DIB could not be made shows as grey, not as whatever the window held.
TEST_F(ViewOnScreen, PageWithoutADibIsPaintedGrey)
{
    StartOnFax(700, 600);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    CPageBitmap &page = Document()->GetDisplayPage();
    GlobalFree(page.m_pDib);
    page.m_pDib = nullptr;
    // Scrolled into the page, which covers the whole window.
    View()->ScrollToPosition(CPoint(300, 1000));
    QImage image(View()->viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::red);
    View()->viewport()->render(&image);
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            wrong += image.pixel(x, y) != kBackground;
    EXPECT_EQ(wrong, 0);
}

TEST_F(ViewOnScreen, KeysScrollAPageLargerThanTheWindow)
{
    StartOnFax(700, 600);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    CPagelotView *pView = View();
    CRect client;
    pView->GetClientRect(&client);
    const int maxX = 1728 - client.Width();
    const int maxY = 2200 - client.Height();
    // Steps are those of the client area when the sizes were set: before the horizontal
    // bar appeared, as the framework's own would be.
    const CSize page = pageStep(pView);
    const CSize line = lineStep(pView);
    EXPECT_EQ(line, CSize(page.cx / 25, page.cy / 25));
    const int down = std::min(maxY, 2 * page.cy + line.cy);

    const struct
    {
        const char *name;
        int key;
        Qt::KeyboardModifiers modifiers;
        CPoint after;
    } steps[] = {
        {"End", Qt::Key_End, Qt::NoModifier, CPoint(0, maxY)},
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, CPoint(maxX, maxY)},
        {"Home", Qt::Key_Home, Qt::NoModifier, CPoint(maxX, 0)},
        {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier, CPoint(0, 0)},
        {"Page Down", Qt::Key_PageDown, Qt::NoModifier, CPoint(0, page.cy)},
        {"Ctrl+Page Down", Qt::Key_PageDown, Qt::ControlModifier, CPoint(0, 2 * page.cy)},
        {"Down", Qt::Key_Down, Qt::NoModifier, CPoint(0, down)},
        {"Right", Qt::Key_Right, Qt::NoModifier, CPoint(line.cx, down)},
        {"Left", Qt::Key_Left, Qt::NoModifier, CPoint(0, down)},
        {"Up", Qt::Key_Up, Qt::NoModifier, CPoint(0, down - line.cy)},
        {"Page Up", Qt::Key_PageUp, Qt::NoModifier, CPoint(0, down - line.cy - page.cy)},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        pressKey(pView, step.key, step.modifiers);
        EXPECT_EQ(pView->GetScrollPosition(), step.after);
    }
}

// Every key of the table from the middle of the page, with and without Ctrl: where the
// view is scrolled to afterwards.
TEST_F(ViewOnScreen, KeyTableScrollsWithAndWithoutCtrl)
{
    StartOnFax(700, 600);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    CPagelotView *pView = View();
    const CPoint middle(400, 800);
    const CSize page = pageStep(pView);
    const CSize line = lineStep(pView);
    ASSERT_GT(line.cx, 1);
    ASSERT_GT(line.cy, 1);
    const int maxX = pView->horizontalScrollBar()->maximum();
    const int maxY = pView->verticalScrollBar()->maximum();
    ASSERT_GT(maxX, middle.x + line.cx);
    ASSERT_GT(maxY, middle.y + page.cy);

    const struct
    {
        const char *name;
        int key;
        CPoint plain;
        CPoint ctrl;
    } rows[] = {
        {"Page Up", Qt::Key_PageUp, CPoint(400, 800 - page.cy), CPoint(400, 800 - page.cy)},
        {"Page Down", Qt::Key_PageDown, CPoint(400, 800 + page.cy), CPoint(400, 800 + page.cy)},
        {"End", Qt::Key_End, CPoint(400, maxY), CPoint(maxX, 800)},
        {"Home", Qt::Key_Home, CPoint(400, 0), CPoint(0, 800)},
        {"Left", Qt::Key_Left, CPoint(400 - line.cx, 800), CPoint(400 - line.cx, 800)},
        {"Up", Qt::Key_Up, CPoint(400, 800 - line.cy), CPoint(400, 800 - line.cy)},
        {"Right", Qt::Key_Right, CPoint(400 + line.cx, 800), CPoint(400 + line.cx, 800)},
        {"Down", Qt::Key_Down, CPoint(400, 800 + line.cy), CPoint(400, 800 + line.cy)},
        {"a letter", Qt::Key_A, middle, middle},
        {"F5", Qt::Key_F5, middle, middle},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        pView->ScrollToPosition(middle);
        pressKey(pView, row.key);
        EXPECT_EQ(pView->GetScrollPosition(), row.plain);
        pView->ScrollToPosition(middle);
        pressKey(pView, row.key, Qt::ControlModifier);
        EXPECT_EQ(pView->GetScrollPosition(), row.ctrl) << "with Ctrl";
    }

    // Each key-down scrolls once, auto-repeated ones too.
    pView->ScrollToPosition(middle);
    pressKey(pView, Qt::Key_Down);
    pressKey(pView, Qt::Key_Down, Qt::NoModifier, true);
    pressKey(pView, Qt::Key_Down, Qt::NoModifier, true);
    EXPECT_EQ(pView->GetScrollPosition(), CPoint(400, 800 + 3 * line.cy));
}

TEST_F(ViewOnScreen, WheelScrollsDownAndShiftWheelSideways)
{
    StartOnFax(700, 600);
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    CPagelotView *pView = View();
    const QPointF at(10, 10);
    QWheelEvent down(at, pView->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pView->viewport(), &down);
    const CPoint afterDown = pView->GetScrollPosition();
    EXPECT_EQ(afterDown.x, 0);
    EXPECT_EQ(afterDown.y, QApplication::wheelScrollLines() * lineStep(pView).cy);

    QWheelEvent sideways(at, pView->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pView->viewport(), &sideways);
    EXPECT_EQ(pView->GetScrollPosition().x, QApplication::wheelScrollLines() * lineStep(pView).cx);
    EXPECT_EQ(pView->GetScrollPosition().y, afterDown.y);
}
