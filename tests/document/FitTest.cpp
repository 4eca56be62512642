#include "DocumentTestFixture.h"

#include "document/PageFit.h"
#include "platform/GlobalMemory.h"

#include <algorithm>

namespace {

class FitToWindow : public DocumentTest
{
protected:
    PageImage Shown() { return imageOf(m_pDoc->GetDisplayPage()); }
    PageImage Letter(CSize size, int code = -1)
    {
        return Reference(faxFiles().letter, 0, size, TRUE, code);
    }
};

TEST(PageFit, TargetsFollowTheScrollBarsTheFitWillChange)
{
    struct Row
    {
        CRect client;
        CSize shown;
        std::int32_t width, height;
    };
    const Row rows[] = {
        {CRect(0, 0, 801, 600), CSize(500, 600), 784, 599},
        {CRect(0, 0, 801, 600), CSize(500, 601), 800, 599},
        {CRect(0, 0, 800, 601), CSize(801, 500), 783, 616},
        {CRect(0, 0, 800, 601), CSize(800, 500), 783, 600},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(FitWidthTarget(row.client, 16, row.shown), row.width);
        EXPECT_EQ(FitHeightTarget(row.client, 16, row.shown), row.height);
    }
}

TEST(PageFit, FitsNeverEnlargeAndTakeProductsIn64Bits)
{
    struct Row
    {
        CSize page;
        std::int32_t target;
        CSize byWidth, byHeight;
    };
    const Row rows[] = {
        {CSize(1728, 2200), 784, CSize(784, 998), CSize(615, 784)},
        {CSize(1728, 2200), 616, CSize(616, 784), CSize(483, 616)},
        {CSize(300, 400), 983, CSize(300, 400), CSize(300, 400)},
        {CSize(300, 400), 350, CSize(300, 400), CSize(262, 350)},
        // 60000 x 39999 does not fit in 32 bits.
        {CSize(40000, 60000), 39999, CSize(39999, 59998), CSize(26666, 39999)},
        {CSize(60000, 40000), 39999, CSize(39999, 26666), CSize(59998, 39999)},
        {CSize(0, 0), 500, CSize(0, 0), CSize(0, 0)},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(FitToWidth(row.page, row.target), row.byWidth) << row.page.cx;
        EXPECT_EQ(FitToHeight(row.page, row.target), row.byHeight) << row.page.cx;
    }
}

TEST_F(FitToWindow, FitWidthSubtractsTheScrollBarOnlyBesideAShortPage)
{
    Open(faxFiles().letter); // 864 x 1100 shown
    SetClientSize(400, 300);
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size, CSize(399, 507));

    SetClientSize(801, 600); // the page shown is now no taller than the view: t = 784
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(Shown(), Letter(CSize(784, 998)));
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::FitWidth);

    Command(ID_ZOOM_FITWIDTH); // taller than 600 now: t = 800
    EXPECT_EQ(Shown(), Letter(CSize(800, 1018)));
}

TEST_F(FitToWindow, FitHeightAddsTheScrollBarOnlyBesideAWidePage)
{
    Open(faxFiles().letter); // 864 wide
    SetClientSize(800, 601);
    Command(ID_ZOOM_FITHEIGHT);
    EXPECT_EQ(Shown(), Letter(CSize(483, 616)));
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::FitHeight);
    Command(ID_ZOOM_FITHEIGHT);
    EXPECT_EQ(Shown(), Letter(CSize(471, 600)));
}

TEST_F(FitToWindow, QuarterTurnedPageIsFittedBeforeTheTurn)
{
    Open(faxFiles().letter);
    SetClientSize(801, 600);
    Command(ID_ROTATE_LEFT); // 1100 x 864 shown, taller than the view: t = 800
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(Shown(), Letter(CSize(628, 800), IMG_ROT_CCW90));
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size.cx, 800);

    Command(ID_ZOOM_FITHEIGHT); // 800 wide, not wider than 801: t = 599
    EXPECT_EQ(Shown(), Letter(CSize(599, 762), IMG_ROT_CCW90));
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size.cy, 599);
}

TEST_F(FitToWindow, TurningDoesNotRefitButFitWidthAgainDoes)
{
    Open(faxFiles().letter);
    SetClientSize(801, 600);
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size, CSize(800, 1018));
    Command(ID_ROTATE_RIGHT);
    EXPECT_EQ(Shown(), Letter(CSize(800, 1018), IMG_ROT_CW90));
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(Shown(), Letter(CSize(628, 800), IMG_ROT_CW90));
}

TEST_F(FitToWindow, PageChangeFitsTheNewPage)
{
    Open(faxFiles().letter);
    SetClientSize(801, 600);
    Command(ID_ZOOM_FITWIDTH);
    Command(ID_ROTATE_UPSIDEDOWN);
    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 1);
    EXPECT_EQ(Shown(), Reference(faxFiles().letter, 1, CSize(800, 1018), TRUE, IMG_ROT_180));
}

TEST_F(FitToWindow, PageNarrowerThanTheViewIsShownAtItsOwnSizeNotBlack)
{
    Open(faxFiles().narrow); // 300 x 400, shown at 150 x 200 in a 1000 x 800 view
    const PageImage full = Reference(faxFiles().narrow, 0, CSize(300, 400), TRUE);
    ASSERT_TRUE(std::any_of(full.bytes.begin(), full.bytes.end(), [](auto b) { return b; }));
    for (UINT nID : {ID_ZOOM_FITWIDTH, ID_ZOOM_FITHEIGHT}) {
        Command(ID_ZOOM_33);
        Command(nID);
        EXPECT_EQ(Shown(), full) << nID;
    }
    Command(ID_ROTATE_LEFT);
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(Shown(), Reference(faxFiles().narrow, 0, CSize(300, 400), TRUE, IMG_ROT_CCW90));
}

TEST_F(FitToWindow, TargetBelowOneLeavesTheDisplayAsItIs)
{
    Open(faxFiles().five);
    // A scroll bar wider than the view: nothing would be left to show.
    AfxOverrideSystemMetric(SM_CXVSCROLL, 2000);
    SetClientSize(1000, 1000);
    const PageImage shown = Shown();
    const int updates = m_view.m_nUpdates;
    const std::uint64_t allocations = GlobalAllocCallCount();

    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::Scale50);
    AfxOverrideSystemMetric(SM_CXVSCROLL, 16);
    SetClientSize(1000, 1); // no horizontal bar beside a page narrower than the view
    Command(ID_ZOOM_FITHEIGHT);
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::Scale50);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(m_view.m_nUpdates, updates);
    EXPECT_EQ(GlobalAllocCallCount(), allocations);
}

TEST_F(FitToWindow, PageChangeStopsWhenTheFitHasNoRoom)
{
    Open(faxFiles().five);
    Command(ID_ZOOM_FITWIDTH);
    const PageImage shown = Shown();
    const int updates = m_view.m_nUpdates;
    SetClientSize(1, 1);
    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(m_view.m_nUpdates, updates);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(FitToWindow, FitWithoutViewDoesNothing)
{
    Open(faxFiles().five);
    m_pDoc->RemoveView(&m_view);
    const PageImage shown = Shown();
    Command(ID_ZOOM_FITWIDTH); // the frame still routes through the view
    m_pDoc->OnCmdMsg(ID_ZOOM_FITWIDTH, CN_COMMAND, nullptr, nullptr);
    m_pDoc->OnCmdMsg(ID_ZOOM_FITHEIGHT, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::Scale50);
}

} // namespace
