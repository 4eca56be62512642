#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "framework/SystemMetrics.h"
#include "imaging/DataSource.h"
#include "resources/Resource.h"
#include "tests/support/SettleAhead.h"
#include "view/PagelotView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <fstream>

namespace {

void pressKey(QWidget *pWidget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(pWidget, &press);
}

void turnWheel(CPagelotView *pView, int eighths, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF at(10, 10);
    QWheelEvent wheel(at, pView->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pView->viewport(), &wheel);
}

} // namespace

// A three-page fax in a window smaller than its pages, read at Actual Size so the page
// scrolls both ways.
class ReadingKeys : public AppTest
{
protected:
    void StartOnFax(int pages = 3)
    {
        AfxOverrideSystemMetric(SM_CXFULLSCREEN, 800);
        m_path = WriteFax("fax.tif", pages);
        ASSERT_NE(Start({QString::fromStdString(m_path)}), nullptr);
        Frame()->resize(700, 600);
        QApplication::processEvents();
        View()->UpdateScrollSizes();
        Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
        ASSERT_GT(MaxY(), 0);
    }

    int Page() const { return Document()->GetCurrentPage(); }
    CPoint Scroll() const { return View()->GetScrollPosition(); }
    int MaxY() const { return View()->verticalScrollBar()->maximum(); }

    bool SettleAhead() const { return settleAhead(Document()->GetPrefetcher()); }

    // Any read of the file from now on fails and says so in a message.
    void SpoilTheFile() const { std::ofstream(m_path, std::ios::trunc) << "not a fax"; }

    std::string m_path;
};

TEST_F(ReadingKeys, NAndPTurnPagesAndShowEachFromItsTopKeepingTheSidewaysPosition)
{
    StartOnFax();
    CPagelotView *pView = View();
    pView->ScrollToPosition(CPoint(300, 500));

    pressKey(pView, Qt::Key_N);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(Scroll(), CPoint(300, 0));

    pView->ScrollToPosition(CPoint(200, 700));
    pressKey(pView, Qt::Key_P);
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(Scroll(), CPoint(200, 0)) << "P is the Previous command: the page from its top";

    // With a modifier the letters are not page keys.
    pressKey(pView, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Page(), 0);
}

TEST_F(ReadingKeys, AltHomeAndAltEndGoToTheFirstAndLastPage)
{
    StartOnFax(5);
    CPagelotView *pView = View();
    pView->ScrollToPosition(CPoint(100, 400));
    pressKey(pView, Qt::Key_End, Qt::AltModifier);
    EXPECT_EQ(Page(), 4);
    EXPECT_EQ(Scroll(), CPoint(100, 0));
    pressKey(pView, Qt::Key_Home, Qt::AltModifier);
    EXPECT_EQ(Page(), 0);
    // Home and End without Alt still scroll, as the key table says.
    pressKey(pView, Qt::Key_End);
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(Scroll().y, MaxY());
}

TEST_F(ReadingKeys, SpaceAndPageDownScrollThenGoOnToTheNextPageFromItsTop)
{
    StartOnFax();
    CPagelotView *pView = View();

    for (const int key : {Qt::Key_Space, Qt::Key_PageDown}) {
        SCOPED_TRACE(key == Qt::Key_Space ? "Space" : "Page Down");
        Document()->GoToPage(0);
        const int step = pView->verticalScrollBar()->pageStep();
        ASSERT_GT(MaxY(), step);
        pView->ScrollToPosition(CPoint(50, 0));
        pressKey(pView, key);
        EXPECT_EQ(Page(), 0);
        EXPECT_EQ(Scroll(), CPoint(50, step));
        pView->ScrollToPosition(CPoint(50, MaxY() - 1));
        pressKey(pView, key);
        EXPECT_EQ(Page(), 0) << "a step that reaches the bottom stays on the page";
        EXPECT_EQ(Scroll(), CPoint(50, MaxY()));
        pressKey(pView, key);
        EXPECT_EQ(Page(), 1);
        EXPECT_EQ(Scroll(), CPoint(50, 0));
    }
}

TEST_F(ReadingKeys, ShiftSpaceAndPageUpAtTheTopGoBackToThePreviousPagesBottom)
{
    StartOnFax();
    CPagelotView *pView = View();

    for (const auto &[name, key, modifiers] :
         {std::tuple{"Shift+Space", Qt::Key_Space, Qt::ShiftModifier},
          std::tuple{"Page Up", Qt::Key_PageUp, Qt::NoModifier}}) {
        SCOPED_TRACE(name);
        Document()->GoToPage(2);
        const int step = pView->verticalScrollBar()->pageStep();
        pView->ScrollToPosition(CPoint(80, step + 10));
        pressKey(pView, key, modifiers);
        EXPECT_EQ(Page(), 2);
        EXPECT_EQ(Scroll(), CPoint(80, 10));
        pressKey(pView, key, modifiers);
        EXPECT_EQ(Scroll(), CPoint(80, 0));
        pressKey(pView, key, modifiers);
        EXPECT_EQ(Page(), 1);
        EXPECT_EQ(Scroll(), CPoint(80, MaxY()));
    }
}

TEST_F(ReadingKeys, WheelAtTheBottomGoesOnAndAtTheTopGoesBack)
{
    StartOnFax();
    CPagelotView *pView = View();
    pView->ScrollToPosition(CPoint(0, MaxY() - 1));
    turnWheel(pView, -120);
    EXPECT_EQ(Page(), 0) << "the notch that reaches the bottom only scrolls";
    EXPECT_EQ(Scroll().y, MaxY());
    turnWheel(pView, -120);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(Scroll().y, 0);

    turnWheel(pView, 120);
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(Scroll().y, MaxY());

    // A touchpad's small steps at the bottom turn the page once they add up to a notch;
    // scrolling away from the bottom starts the count again.
    turnWheel(pView, -40);
    turnWheel(pView, -40);
    turnWheel(pView, 40);
    EXPECT_LT(Scroll().y, MaxY());
    turnWheel(pView, -40);
    ASSERT_EQ(Scroll().y, MaxY());
    turnWheel(pView, -40);
    turnWheel(pView, -40);
    EXPECT_EQ(Page(), 0);
    turnWheel(pView, -40);
    EXPECT_EQ(Page(), 1);
}

TEST_F(ReadingKeys, APageThatFitsTheWindowTurnsAtOnce)
{
    StartOnFax();
    // Fitted from a narrow page, so no scroll bar is counted in.
    Frame()->ExecuteCommand(ID_ZOOM_33);
    Frame()->ExecuteCommand(ID_ZOOM_FITHEIGHT);
    ASSERT_EQ(MaxY(), 0);
    pressKey(View(), Qt::Key_PageDown);
    EXPECT_EQ(Page(), 1);
    turnWheel(View(), -120);
    EXPECT_EQ(Page(), 2);
    pressKey(View(), Qt::Key_PageUp);
    EXPECT_EQ(Page(), 1);
}

// At the first and last page the keys that would leave the fax do nothing, and read
// nothing: the file is spoilt, so any read would say so in a message.
TEST_F(ReadingKeys, KeysThatWouldLeaveTheFaxDoNothingAndReadNothing)
{
    StartOnFax();
    CPagelotView *pView = View();
    const struct
    {
        const char *name;
        int key;
        Qt::KeyboardModifiers modifiers;
        int wheel;
    } atFirst[] =
        {
            {"P", Qt::Key_P, Qt::NoModifier, 0},
            {"Alt+Home", Qt::Key_Home, Qt::AltModifier, 0},
            {"Shift+Space", Qt::Key_Space, Qt::ShiftModifier, 0},
            {"Page Up", Qt::Key_PageUp, Qt::NoModifier, 0},
            {"wheel up", 0, Qt::NoModifier, 120},
        },
      atLast[] = {
          {"N", Qt::Key_N, Qt::NoModifier, 0},
          {"Alt+End", Qt::Key_End, Qt::AltModifier, 0},
          {"Space", Qt::Key_Space, Qt::NoModifier, 0},
          {"Page Down", Qt::Key_PageDown, Qt::NoModifier, 0},
          {"wheel down", 0, Qt::NoModifier, -120},
      };
    const auto press = [pView](const auto &row) {
        if (row.wheel)
            turnWheel(pView, row.wheel);
        else
            pressKey(pView, row.key, row.modifiers);
    };

    Document()->GoToPage(2);
    SpoilTheFile();
    for (const auto &row : atLast) {
        SCOPED_TRACE(row.name);
        pView->ScrollToPosition(CPoint(0, MaxY()));
        press(row);
        EXPECT_EQ(Page(), 2);
        EXPECT_TRUE(m_messages.empty());
    }
    // The page keys are disabled exactly when the Page commands are.
    UpdateAllCommands();
    EXPECT_FALSE(Action(ID_PAGE_NEXT)->isEnabled());
    EXPECT_FALSE(Action(ID_PAGE_LAST)->isEnabled());

    // Written again it is another file, opened afresh at page 1.
    WriteFax("fax.tif", 3);
    Document()->LoadFaxFile(QString::fromStdString(m_path), TRUE);
    Document()->RefreshDisplay();
    SpoilTheFile();
    for (const auto &row : atFirst) {
        SCOPED_TRACE(row.name);
        pView->ScrollToPosition(CPoint(0, 0));
        press(row);
        EXPECT_EQ(Page(), 0);
        EXPECT_TRUE(m_messages.empty());
    }
    // The spoilt file does show a read: one allowed key reads, fails and says so.
    pressKey(pView, Qt::Key_N);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(Page(), 0);
}

TEST_F(ReadingKeys, OpeningAFileShowsPageOneFromItsTopLeft)
{
    StartOnFax();
    pressKey(View(), Qt::Key_N);
    View()->ScrollToPosition(CPoint(300, 600));
    Document()->LoadFaxFile(QString::fromStdString(WriteFax("other.tif", 2)), TRUE);
    Document()->RefreshDisplay();
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(Scroll(), CPoint(0, 0));

    // A turn is not a page change: the position stays.
    Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE);
    View()->ScrollToPosition(CPoint(300, 600));
    Frame()->ExecuteCommand(ID_ROTATE_UPSIDEDOWN);
    EXPECT_EQ(Scroll(), CPoint(300, 600));
}

class ZoomSteps : public ReadingKeys
{
protected:
    // The zoom after Zoom In or Out from mode, or nothing when the command is disabled.
    std::optional<ZoomMode> StepFrom(UINT nMode, UINT nStep)
    {
        Frame()->ExecuteCommand(nMode);
        UpdateAllCommands();
        if (!Action(nStep)->isEnabled())
            return std::nullopt;
        Action(nStep)->trigger();
        return Document()->GetZoomMode();
    }
};

// The window shows a page fitted to its width between a third and a half of the page,
// fitted to its height below a third.
TEST_F(ZoomSteps, StepThroughTheFixedScalesFromEachZoomAndFit)
{
    StartOnFax();
    const struct
    {
        const char *name;
        UINT nMode;
        std::optional<ZoomMode> in, out;
    } rows[] = {
        {"33%", ID_ZOOM_33, ZoomMode::Scale50, std::nullopt},
        {"50%", ID_ZOOM_50, ZoomMode::ActualSize, ZoomMode::Scale33},
        {"Actual Size", ID_ZOOM_ACTUALSIZE, std::nullopt, ZoomMode::Scale50},
        {"Fit to Width", ID_ZOOM_FITWIDTH, ZoomMode::Scale50, ZoomMode::Scale33},
        {"Fit to Height", ID_ZOOM_FITHEIGHT, ZoomMode::Scale33, std::nullopt},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(StepFrom(row.nMode, ID_ZOOM_IN), row.in);
        EXPECT_EQ(StepFrom(row.nMode, ID_ZOOM_OUT), row.out);
    }

    // Turned a quarter, the page's height runs across the window: fitted to its width,
    // the page's own width is shown below a third.
    Frame()->ExecuteCommand(ID_ROTATE_LEFT);
    EXPECT_EQ(StepFrom(ID_ZOOM_FITWIDTH, ID_ZOOM_OUT), std::nullopt);
    EXPECT_EQ(StepFrom(ID_ZOOM_FITWIDTH, ID_ZOOM_IN), ZoomMode::Scale33);
    EXPECT_EQ(Document()->GetRotation(), Rotation::Left);
    EXPECT_EQ(Document()->GetDisplayPage().ShownSize(), CSize(2200 / 3, 1728 / 3));
}

TEST_F(ZoomSteps, CtrlWheelZoomsByWholeNotchesAndStopsAtTheEnds)
{
    StartOnFax();
    Frame()->ExecuteCommand(ID_ZOOM_33);
    turnWheel(View(), 120, Qt::ControlModifier);
    EXPECT_EQ(Document()->GetZoomMode(), ZoomMode::Scale50);
    turnWheel(View(), 60, Qt::ControlModifier);
    EXPECT_EQ(Document()->GetZoomMode(), ZoomMode::Scale50);
    turnWheel(View(), 60, Qt::ControlModifier);
    EXPECT_EQ(Document()->GetZoomMode(), ZoomMode::ActualSize);
    turnWheel(View(), 120, Qt::ControlModifier);
    EXPECT_EQ(Document()->GetZoomMode(), ZoomMode::ActualSize);
    turnWheel(View(), -240, Qt::ControlModifier);
    EXPECT_EQ(Document()->GetZoomMode(), ZoomMode::Scale33) << "a step for each notch";
    EXPECT_EQ(Scroll().y, 0) << "Ctrl with the wheel does not scroll";
}

TEST_F(AppTest, ZoomInAndOutAreDisabledWithoutAPage)
{
    ASSERT_NE(Start(), nullptr);
    UpdateAllCommands();
    EXPECT_FALSE(Action(ID_ZOOM_IN)->isEnabled());
    EXPECT_FALSE(Action(ID_ZOOM_OUT)->isEnabled());
}

// Dragging the window wider at Fit to Width: the neighbours are prepared again for the
// new width, so Next still only swaps in a page, rendered as a fit would render it.
TEST_F(ReadingKeys, NeighboursFollowTheWindowSize)
{
    StartOnFax();
    Frame()->ExecuteCommand(ID_ZOOM_FITWIDTH);
    ASSERT_TRUE(SettleAhead());
    const std::int32_t narrow = Document()->GetDisplayPage().ShownSize().cx;
    Frame()->resize(900, 600);
    ASSERT_TRUE(SettleAhead());

    const SourceReadTally before = sourceReadTally();
    Frame()->ExecuteCommand(ID_PAGE_NEXT);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(sourceReadTally().reads, before.reads) << "the page was read on demand";
    const std::int32_t wide = Document()->GetDisplayPage().ShownSize().cx;
    EXPECT_GT(wide, narrow);
    Frame()->ExecuteCommand(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(Document()->GetDisplayPage().ShownSize().cx, wide);
}
