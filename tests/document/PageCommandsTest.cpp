#include "DocumentTestFixture.h"

#include "platform/GlobalMemory.h"

#include <QSettings>

#include <random>

namespace {

// Every command of the document with an update rule, in menu order.
constexpr UINT COMMANDS[] = {
    ID_PAGE_FIRST,
    ID_PAGE_PREVIOUS,
    ID_PAGE_NEXT,
    ID_PAGE_LAST,
    ID_ZOOM_FITWIDTH,
    ID_ZOOM_FITHEIGHT,
    ID_ZOOM_ACTUALSIZE,
    ID_ZOOM_33,
    ID_ZOOM_50,
    ID_ROTATE_NONE,
    ID_ROTATE_LEFT,
    ID_ROTATE_RIGHT,
    ID_ROTATE_UPSIDEDOWN,
    ID_VIEW_ANTIALIAS,
    ID_VIEW_TOOLTIPS,
    ID_FILE_PRINT,
    ID_FILE_PRINT_PREVIEW,
};

class PageCommands : public DocumentTest
{
protected:
    // Enabled state of every command, in the order of COMMANDS.
    std::string EnabledMask()
    {
        std::string mask;
        for (UINT nID : COMMANDS)
            mask += Update(nID).m_bEnabled ? '1' : '0';
        return mask;
    }
    // The ids that carry a check or radio mark now.
    std::vector<UINT> Marked()
    {
        std::vector<UINT> marked;
        for (UINT nID : COMMANDS) {
            const CCmdUI state = Update(nID);
            if (state.m_bHasCheck && state.m_nCheck)
                marked.push_back(nID);
        }
        return marked;
    }
    PageImage Shown() { return imageOf(m_pDoc->GetDisplayPage()); }
    CSize FiveSize(int index) { return CSize(301 + 6 * index, 403 + 4 * index); }
};

TEST_F(PageCommands, UpdateRulesAtEmptyFirstMiddleLastAndSinglePage)
{
    // Columns: First Prev Next Last | FitW FitH Actual 33 50 | None Left Right Upside |
    // AntiAlias ToolTips | Print Preview
    struct Row
    {
        const char *state;
        const char *path;
        int page;
        const char *mask;
    };
    const Row rows[] = {
        {"empty", nullptr, 0, "00000000000000100"},
        {"first of five", faxFiles().five.c_str(), 0, "00111111111111111"},
        {"middle of five", faxFiles().five.c_str(), 2, "11111111111111111"},
        {"last of five", faxFiles().five.c_str(), 4, "11001111111111111"},
        {"single page", faxFiles().one.c_str(), 0, "00001111111111111"},
    };
    for (const Row &row : rows) {
        if (row.path)
            Open(row.path);
        for (int i = 0; i < row.page; ++i)
            Command(ID_PAGE_NEXT);
        EXPECT_EQ(m_pDoc->GetCurrentPage(), row.page) << row.state;
        EXPECT_EQ(EnabledMask(), row.mask) << row.state;
    }
}

TEST_F(PageCommands, MarksFollowZoomRotationSmoothingAndTips)
{
    EXPECT_EQ(Marked(), (std::vector<UINT>{ID_ROTATE_NONE, ID_VIEW_ANTIALIAS, ID_VIEW_TOOLTIPS}));
    Open(faxFiles().five);
    EXPECT_EQ(Marked(),
              (std::vector<UINT>{ID_ZOOM_50, ID_ROTATE_NONE, ID_VIEW_ANTIALIAS, ID_VIEW_TOOLTIPS}));
    Command(ID_ZOOM_33);
    Command(ID_ROTATE_RIGHT);
    Command(ID_VIEW_ANTIALIAS);
    EXPECT_EQ(Marked(), (std::vector<UINT>{ID_ZOOM_33, ID_ROTATE_RIGHT, ID_VIEW_TOOLTIPS}));
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(Marked(), (std::vector<UINT>{ID_ROTATE_RIGHT, ID_VIEW_TOOLTIPS}));
    EXPECT_FALSE(Update(ID_ZOOM_FITWIDTH).m_bHasCheck);
    EXPECT_TRUE(Update(ID_ROTATE_LEFT).m_bRadio);
    EXPECT_FALSE(Update(ID_VIEW_ANTIALIAS).m_bRadio);
}

TEST_F(PageCommands, PageCommandsMoveAndReadOnlyTheirPage)
{
    Open(faxFiles().five);
    struct Row
    {
        UINT nID;
        int expected;
    };
    const Row rows[] = {{ID_PAGE_NEXT, 1},     {ID_PAGE_NEXT, 2},  {ID_PAGE_LAST, 4},
                        {ID_PAGE_PREVIOUS, 3}, {ID_PAGE_FIRST, 0}, {ID_PAGE_LAST, 4}};
    for (const Row &row : rows) {
        Command(row.nID);
        EXPECT_EQ(m_pDoc->GetCurrentPage(), row.expected);
        const CSize size = FiveSize(row.expected);
        EXPECT_EQ(m_pDoc->GetSourcePage().m_size, size);
        EXPECT_EQ(Shown(),
                  Reference(faxFiles().five, row.expected, CSize(size.cx / 2, size.cy / 2), TRUE));
        EXPECT_NE(m_pDoc->GetDisplayPage().m_pDib, nullptr);
    }
    EXPECT_EQ(Update(ID_INDICATOR_PAGE).m_strText, QStringLiteral("Page 5 of 5"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PageCommands, PageChangeKeepsZoomAndSmoothing)
{
    Open(faxFiles().five);
    Command(ID_ZOOM_33);
    Command(ID_VIEW_ANTIALIAS);
    Command(ID_PAGE_NEXT);
    const CSize size = FiveSize(1);
    EXPECT_EQ(Shown(), Reference(faxFiles().five, 1, CSize(size.cx / 3, size.cy / 3), FALSE));

    Command(ID_ZOOM_ACTUALSIZE);
    Command(ID_PAGE_NEXT);
    CPageBitmap source;
    source.LoadPage(qpath(faxFiles().five), 2);
    EXPECT_EQ(Shown(), imageOf(source));
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::ActualSize);
}

TEST_F(PageCommands, UpsideDownSurvivesPageChangeButLeftAndRightDoNot)
{
    struct Row
    {
        UINT turn;
        Rotation after;
        int code;
    };
    const Row rows[] = {{ID_ROTATE_UPSIDEDOWN, Rotation::UpsideDown, IMG_ROT_180},
                        {ID_ROTATE_LEFT, Rotation::None, -1},
                        {ID_ROTATE_RIGHT, Rotation::None, -1}};
    for (const Row &row : rows) {
        Open(faxFiles().five);
        Command(row.turn);
        Command(ID_PAGE_NEXT);
        EXPECT_EQ(m_pDoc->GetRotation(), row.after);
        EXPECT_EQ(m_pDoc->IsUpsideDown(), row.after == Rotation::UpsideDown);
        const CSize size = FiveSize(1);
        EXPECT_EQ(Shown(),
                  Reference(faxFiles().five, 1, CSize(size.cx / 2, size.cy / 2), TRUE, row.code));
        const std::vector<UINT> marked = Marked();
        EXPECT_EQ(std::count(marked.begin(), marked.end(),
                             row.after == Rotation::None ? ID_ROTATE_NONE : ID_ROTATE_UPSIDEDOWN),
                  1);
    }
}

TEST_F(PageCommands, AnySequenceOfTurnsEqualsOneTurnOfAFreshRendering)
{
    const UINT turns[] = {ID_ROTATE_NONE, ID_ROTATE_LEFT, ID_ROTATE_UPSIDEDOWN, ID_ROTATE_RIGHT};
    const int codeFromNone[] = {-1, IMG_ROT_CCW90, IMG_ROT_180, IMG_ROT_CW90};
    Open(faxFiles().five);
    Command(ID_PAGE_NEXT); // 307 x 407: odd sides show any shift of a turn
    const CSize size = FiveSize(1);
    const CSize half(size.cx / 2, size.cy / 2);
    PageImage expected[4];
    for (int i = 0; i < 4; ++i)
        expected[i] = Reference(faxFiles().five, 1, half, TRUE, codeFromNone[i]);

    std::mt19937 random(7);
    int last = 0;
    for (int step = 0; step < 40; ++step) {
        const int target = static_cast<int>(random() % 4);
        const int updates = m_view.m_nUpdates;
        Command(turns[target]);
        ASSERT_EQ(Shown(), expected[target]) << "step " << step;
        EXPECT_EQ(m_pDoc->GetRotation(), static_cast<Rotation>(target));
        EXPECT_EQ(m_pDoc->IsUpsideDown(), target == 2);
        // Choosing the rotation already shown does nothing, not even a repaint.
        EXPECT_EQ(m_view.m_nUpdates, updates + (target == last ? 0 : 1));
        last = target;
    }
}

TEST_F(PageCommands, EveryZoomModeIsReachedByItsCommandAndMarkedAsItsRowSays)
{
    Open(faxFiles().five);
    for (const ZoomModeInfo &zoom : ZoomModes()) {
        SCOPED_TRACE(zoom.nID);
        Command(zoom.nID);
        EXPECT_EQ(m_pDoc->GetZoomMode(), zoom.mode);
        const CCmdUI state = Update(zoom.nID);
        EXPECT_TRUE(state.m_bEnabled);
        EXPECT_EQ(state.m_bRadio, zoom.bRadio);
        EXPECT_EQ(state.m_bHasCheck && state.m_nCheck, zoom.bRadio);
        if (zoom.divisor > 0) {
            const CSize page = FiveSize(0);
            EXPECT_EQ(m_pDoc->GetDisplayPage().m_size,
                      CSize(page.cx / zoom.divisor, page.cy / zoom.divisor));
        }
    }
}

TEST_F(PageCommands, ZoomAfterTurnRendersAndTurnsAgain)
{
    Open(faxFiles().five);
    Command(ID_ROTATE_LEFT);
    Command(ID_ZOOM_33);
    const CSize size = FiveSize(0);
    EXPECT_EQ(Shown(),
              Reference(faxFiles().five, 0, CSize(size.cx / 3, size.cy / 3), TRUE, IMG_ROT_CCW90));
    Command(ID_ZOOM_ACTUALSIZE);
    CPageBitmap turned;
    turned.LoadPage(qpath(faxFiles().five), 0);
    turned.Rotate(IMG_ROT_CCW90);
    EXPECT_EQ(Shown(), imageOf(turned));
    EXPECT_EQ(m_pDoc->GetRotation(), Rotation::Left);
}

TEST_F(PageCommands, ChoosingTheZoomShownNowNeitherRendersNorRepaints)
{
    Open(faxFiles().five);
    for (UINT nID : {ID_ZOOM_50, ID_ZOOM_33, ID_ZOOM_ACTUALSIZE}) {
        Command(nID);
        const PageImage shown = Shown();
        const int updates = m_view.m_nUpdates;
        const std::uint64_t allocations = GlobalAllocCallCount();
        Command(nID);
        EXPECT_EQ(GlobalAllocCallCount(), allocations) << nID;
        EXPECT_EQ(m_view.m_nUpdates, updates) << nID;
        EXPECT_EQ(Shown(), shown);
    }
}

TEST_F(PageCommands, AntiAliasAtActualSizeChangesOnlyTheCheckMark)
{
    Open(faxFiles().five);
    Command(ID_ZOOM_ACTUALSIZE);
    const PageImage shown = Shown();
    const int updates = m_view.m_nUpdates;
    const std::uint64_t allocations = GlobalAllocCallCount();
    Command(ID_VIEW_ANTIALIAS);
    EXPECT_EQ(Update(ID_VIEW_ANTIALIAS).m_nCheck, 0);
    EXPECT_EQ(GlobalAllocCallCount(), allocations);
    EXPECT_EQ(m_view.m_nUpdates, updates);
    EXPECT_EQ(Shown(), shown);

    // The next reduction uses the new setting.
    Command(ID_ZOOM_50);
    const CSize size = FiveSize(0);
    EXPECT_EQ(Shown(), Reference(faxFiles().five, 0, CSize(size.cx / 2, size.cy / 2), FALSE));
}

TEST_F(PageCommands, AntiAliasRendersAgainAtTheShownSizeBeforeTheTurn)
{
    Open(faxFiles().letter);
    SetClientSize(700, 500);
    Command(ID_ZOOM_FITWIDTH); // t = 699 beside a page taller than the view
    Command(ID_ROTATE_RIGHT);
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size, CSize(889, 699));
    SetClientSize(900, 600); // not fitted again
    Command(ID_VIEW_ANTIALIAS);
    EXPECT_EQ(Shown(), Reference(faxFiles().letter, 0, CSize(699, 889), FALSE, IMG_ROT_CW90));
    Command(ID_VIEW_ANTIALIAS);
    EXPECT_EQ(Shown(), Reference(faxFiles().letter, 0, CSize(699, 889), TRUE, IMG_ROT_CW90));
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::FitWidth);
}

TEST_F(PageCommands, ToolTipsSwitchTheFrameAndAreSavedAsZeroOrOne)
{
    const QString ini = qpath(m_settingsFolder.file("profile.ini"));
    Command(ID_VIEW_TOOLTIPS);
    EXPECT_EQ(m_frame.m_shown, std::vector<BOOL>{FALSE});
    ASSERT_TRUE(m_pApp->SaveProfile());
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value("Settings/EnableTips").toString(), "0");
    EXPECT_EQ(Update(ID_VIEW_TOOLTIPS).m_nCheck, 0);
    EXPECT_FALSE(CPagelotDoc().IsEnableTips());

    Command(ID_VIEW_TOOLTIPS);
    EXPECT_EQ(m_frame.m_shown, (std::vector<BOOL>{FALSE, TRUE}));
    ASSERT_TRUE(m_pApp->SaveProfile());
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value("Settings/EnableTips").toString(), "1");
    EXPECT_TRUE(CPagelotDoc().IsEnableTips());
}

TEST_F(PageCommands, StoredNonZeroTipsSettingReadsAsOn)
{
    m_pApp->WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("EnableTips"), 7);
    CPagelotDoc document;
    EXPECT_TRUE(document.IsEnableTips());
    m_pApp->WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("EnableTips"), 0);
    EXPECT_FALSE(CPagelotDoc().IsEnableTips());
}

} // namespace
