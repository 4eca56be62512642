#include "tests/app/AppTestFixture.h"

#include "document/ZoomModes.h"
#include "framework/CmdUI.h"
#include "framework/WinApp.h"
#include "resources/Icons.h"
#include "resources/Resource.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QToolTip>

#include <set>

namespace {

struct Item
{
    const char *text; // null for a separator
    UINT nID;
};

struct Menu
{
    const char *title;
    std::vector<Item> items;
};

const std::vector<Menu> kExpectedMenus = {
    {"&File",
     {{"&Open...\tCtrl+O", 57601},
      {nullptr, 0},
      {"&Print...\tCtrl+P", 57607},
      {"Print Pre&view", 57609},
      {"P&rint Setup...", 57606},
      {nullptr, 0},
      {"Fax P&roperties...\tAlt+Return", 32822},
      {nullptr, 0},
      {"E&xit\tCtrl+Q", 57665}}},
    {"&View",
     {{"&Toolbar", 59392},
      {"&Status Bar", 59393},
      {"T&oolTips", 32794},
      {nullptr, 0},
      {"&Anti-Alias", 32793},
      {nullptr, 0},
      {"Page T&humbnails\tF9", 32796}}},
    {"&Page",
     {{"&First", 32771},
      {"&Previous", 32772},
      {"&Next", 32773},
      {"&Last", 32774},
      {nullptr, 0},
      {"&Go to Page...\tCtrl+G", 32799},
      {nullptr, 0},
      {"Next Fa&x in Folder\tAlt+PgDown", 32820},
      {"Pre&vious Fax in Folder\tAlt+PgUp", 32821}}},
    {"&Zoom",
     {{"Fit to &Width", 32776},
      {"Fit to &Height", 32778},
      {nullptr, 0},
      {"&Actual Size", 32780},
      {"S&cale to 33%", 32791},
      {"&Scale to 50%", 32781},
      {nullptr, 0},
      {"Zoom &In\tCtrl++", 32797},
      {"Zoom &Out\tCtrl+-", 32798}}},
    {"&Rotation", {{"&None", 32786}, {"&Left", 32787}, {"&Right", 32788}, {"&Upside Down", 32789}}},
    {"&Help", {{"Fax Viewer &Help", 32795}, {nullptr, 0}, {"&About Fax Viewer...", 57664}}},
};

// Open | Print | four turns | two fits | four page moves.
const std::vector<UINT> kExpectedButtons = {57601, 0,     57607, 0, 32786, 32787, 32789, 32788,
                                            0,     32776, 32778, 0, 32771, 32772, 32773, 32774};

QToolButton *Button(CMainFrame *pFrame, UINT nID)
{
    return qobject_cast<QToolButton *>(
        pFrame->GetToolBar().widgetForAction(pFrame->GetCommandAction(nID)));
}

} // namespace

TEST_F(AppTest, MenusHoldTheItemsAccessKeysShortcutsAndIdsInOrder)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    const QList<QAction *> menus = pFrame->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(kExpectedMenus.size()));
    for (size_t m = 0; m < kExpectedMenus.size(); ++m) {
        const Menu &expected = kExpectedMenus[m];
        EXPECT_EQ(menus[m]->text(), QString::fromUtf8(expected.title));
        const QList<QAction *> items = menus[m]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.items.size())) << expected.title;
        for (size_t i = 0; i < expected.items.size(); ++i) {
            const Item &item = expected.items[i];
            SCOPED_TRACE(item.text ? item.text : "separator");
            EXPECT_EQ(items[i]->isSeparator(), item.text == nullptr);
            if (item.text) {
                EXPECT_EQ(items[i]->text(), QString::fromUtf8(item.text));
                EXPECT_EQ(AfxGetActionId(items[i]), item.nID);
            }
        }
    }
    EXPECT_EQ(Action(ID_FILE_OPEN)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(Action(ID_FILE_PRINT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    const QList<QKeySequence> zoomIn = {QKeySequence(QStringLiteral("Ctrl++")),
                                        QKeySequence(QStringLiteral("Ctrl+="))};
    EXPECT_EQ(Action(ID_ZOOM_IN)->shortcuts(), zoomIn);
    EXPECT_EQ(Action(ID_ZOOM_OUT)->shortcuts(), QList{QKeySequence(QStringLiteral("Ctrl+-"))});
    EXPECT_EQ(Action(ID_APP_EXIT)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(Action(ID_VIEW_THUMBNAILS)->shortcut(), QKeySequence(Qt::Key_F9));

    // Within a menu, each access key picks one item; the one pair whose names were both
    // given with R (Print Setup, Fax Properties) shares it, and the key cycles between them.
    for (QAction *menu : menus) {
        std::set<QChar> keys;
        for (QAction *item : menu->menu()->actions()) {
            const QString text = item->text();
            if (AfxGetActionId(item) == ID_FILE_FAX_PROPERTIES)
                continue;
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            EXPECT_TRUE(keys.insert(text[amp + 1].toLower()).second)
                << menu->text().toStdString() << ": " << text.toStdString();
        }
    }
}

TEST_F(AppTest, ZoomModesMarkedInTheMenuShareOneExclusiveGroupAndFitsStayOutside)
{
    ASSERT_NE(Start(), nullptr);
    QActionGroup *group = nullptr;
    for (const ZoomModeInfo &zoom : ZoomModes()) {
        SCOPED_TRACE(zoom.nID);
        QActionGroup *own = Action(zoom.nID)->actionGroup();
        if (!zoom.bRadio) {
            EXPECT_EQ(own, nullptr);
            continue;
        }
        ASSERT_NE(own, nullptr);
        if (!group)
            group = own;
        EXPECT_EQ(own, group);
    }
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->exclusionPolicy(), QActionGroup::ExclusionPolicy::ExclusiveOptional);
    EXPECT_NE(Action(ID_ROTATE_NONE)->actionGroup(), group);
}

TEST_F(AppTest, F1AndShiftF1AreBoundToCommandsNobodyHandles)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(Action(ID_HELP)->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(Action(ID_CONTEXT_HELP)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    EXPECT_FALSE(pFrame->ExecuteCommand(ID_HELP));
    EXPECT_FALSE(pFrame->ExecuteCommand(ID_CONTEXT_HELP));
    Action(ID_HELP)->trigger();
    Action(ID_CONTEXT_HELP)->trigger();
    EXPECT_EQ(m_pApp->GetHelpWindow(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AppTest, ToolbarHasTwelveDrawnButtonsInOrderDockableEverywhereAndFloatable)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CToolBar &bar = pFrame->GetToolBar();
    std::vector<UINT> ids;
    for (int i = 0; i < bar.GetCount(); ++i)
        ids.push_back(bar.GetItemID(i));
    EXPECT_EQ(ids, kExpectedButtons);
    EXPECT_EQ(pFrame->toolBarArea(&bar), Qt::TopToolBarArea);
    EXPECT_EQ(bar.allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_TRUE(bar.isFloatable());
    EXPECT_TRUE(bar.isMovable());
    EXPECT_EQ(bar.iconSize(), QSize(16, 15));
    EXPECT_TRUE(bar.GetBarStyle() & CBRS_GRIPPER);

    for (UINT nID : kExpectedButtons) {
        if (nID == 0)
            continue;
        SCOPED_TRACE(nID);
        const QIcon icon = ToolBarIcon(nID);
        ASSERT_FALSE(icon.isNull());
        // Drawn at the size asked for: crisp at 16 x 15 and at twice that.
        for (const QSize size : {QSize(16, 15), QSize(32, 30)}) {
            const QImage image = icon.pixmap(size).toImage();
            EXPECT_EQ(image.size(), size);
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            EXPECT_GT(opaque, size.width() * size.height() / 12);
        }
    }
}

TEST_F(AppTest, StatusBarHasTheMessagePaneAndThreePageIndicators)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CStatusBar &bar = pFrame->GetStatusBar();
    ASSERT_EQ(bar.GetCount(), 4);
    const struct
    {
        UINT nID;
        int width;
        const char *text;
    } panes[] = {{0, 0, "Ready"},
                 {59142, 80, "Page 0 of 0"},
                 {59143, 80, "0 x 0 dpi"},
                 {59144, 100, "0 x 0 pixels"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar.GetItemID(i), panes[i].nID);
        EXPECT_EQ(bar.GetPaneWidth(i), panes[i].width);
        EXPECT_EQ(bar.GetPaneText(i), QString::fromUtf8(panes[i].text));
        if (i > 0) {
            EXPECT_GE(bar.GetPane(i)->sizeHint().width(), panes[i].width);
        }
    }

    // A menu item under the pointer puts its prompt in the message pane, then "Ready" again.
    QStatusTipEvent prompt(Action(ID_PAGE_NEXT)->statusTip());
    QApplication::sendEvent(pFrame, &prompt);
    EXPECT_EQ(bar.currentMessage(), QStringLiteral("View the next page"));
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(pFrame, &none);
    EXPECT_TRUE(bar.currentMessage().isEmpty());
    EXPECT_FALSE(bar.GetPane(0)->isHidden());
    EXPECT_EQ(bar.GetPaneText(0), QStringLiteral("Ready"));
}

TEST_F(AppTest, BarLayoutIsSavedOnCloseAndRestoredAtTheNextStart)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    pFrame->addToolBar(Qt::LeftToolBarArea, &pFrame->GetToolBar());
    pFrame->ExecuteCommand(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(pFrame->GetStatusBar().isHidden());
    Close();

    pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(pFrame->toolBarArea(&pFrame->GetToolBar()), Qt::LeftToolBarArea);
    EXPECT_TRUE(pFrame->GetStatusBar().isHidden());
    UpdateAllCommands();
    EXPECT_FALSE(Action(ID_VIEW_STATUS_BAR)->isChecked());
    EXPECT_TRUE(Action(ID_VIEW_TOOLBAR)->isChecked());

    // Hiding the toolbar and showing the status bar again round-trips as well.
    pFrame->ExecuteCommand(ID_VIEW_TOOLBAR);
    pFrame->ExecuteCommand(ID_VIEW_STATUS_BAR);
    Close();
    pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_TRUE(pFrame->GetToolBar().isHidden());
    EXPECT_FALSE(pFrame->GetStatusBar().isHidden());
}

TEST_F(AppTest, AFloatingToolbarIsRestoredFloatingAtItsPlace)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CToolBar &bar = pFrame->GetToolBar();
    // What dragging the bar off the frame leaves: a tool window of its own.
    bar.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    bar.move(310, 220);
    bar.show();
    ASSERT_TRUE(bar.isFloating());
    Close();

    pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_TRUE(pFrame->GetToolBar().isFloating());
    EXPECT_EQ(pFrame->GetToolBar().pos(), QPoint(310, 220));
}

TEST_F(AppTest, WhereWindowsCannotBePlacedAFloatingToolbarIsDockedAndItsPlaceKept)
{
    struct PlatformGuard
    {
        PlatformGuard() { CFrameWnd::OverrideCanPlaceOwnWindows(0); }
        ~PlatformGuard() { CFrameWnd::OverrideCanPlaceOwnWindows(-1); }
    };
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    CToolBar &bar = pFrame->GetToolBar();
    bar.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    bar.move(310, 220);
    bar.show();
    ASSERT_TRUE(bar.isFloating());
    Close();

    {
        // As on Wayland: docked at the top, and a run that leaves it there keeps the
        // floating record for the next run on X11.
        PlatformGuard wayland;
        pFrame = Start();
        ASSERT_NE(pFrame, nullptr);
        EXPECT_FALSE(pFrame->GetToolBar().isFloating());
        EXPECT_EQ(pFrame->toolBarArea(&pFrame->GetToolBar()), Qt::TopToolBarArea);
        EXPECT_FALSE(pFrame->GetToolBar().isHidden());
        Close();
    }
    pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_TRUE(pFrame->GetToolBar().isFloating());
    EXPECT_EQ(pFrame->GetToolBar().pos(), QPoint(310, 220));
    Close();

    {
        // A bar the user moves there is the user's new layout, and is saved.
        PlatformGuard wayland;
        pFrame = Start();
        ASSERT_NE(pFrame, nullptr);
        pFrame->addToolBar(Qt::LeftToolBarArea, &pFrame->GetToolBar());
        Close();
    }
    pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_FALSE(pFrame->GetToolBar().isFloating());
    EXPECT_EQ(pFrame->toolBarArea(&pFrame->GetToolBar()), Qt::LeftToolBarArea);
}

TEST_F(AppTest, ADamagedBarLayoutLeavesTheDefaults)
{
    WriteSetting(QStringLiteral("BarState/Layout"), QByteArray("\x00\x01garbage", 9));
    WriteSetting(QStringLiteral("BarState/StatusBar"), QStringLiteral("maybe"));
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(pFrame->toolBarArea(&pFrame->GetToolBar()), Qt::TopToolBarArea);
    EXPECT_FALSE(pFrame->GetToolBar().isHidden());
}

TEST_F(AppTest, ToolTipsFollowTheStoredSettingAndStatusPromptsStay)
{
    const struct
    {
        const char *name;
        QVariant stored; // invalid: nothing stored
        bool tips;
    } rows[] = {{"nothing stored", QVariant(), true},
                {"EnableTips 1", QVariant(1), true},
                {"EnableTips 0", QVariant(0), false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.stored.isValid())
            WriteSetting(QStringLiteral("Settings/EnableTips"), row.stored);
        CMainFrame *pFrame = Start();
        ASSERT_NE(pFrame, nullptr);
        EXPECT_EQ((pFrame->GetToolBar().GetBarStyle() & CBRS_TOOLTIPS) != 0, row.tips);
        UpdateAllCommands();
        EXPECT_EQ(Action(ID_VIEW_TOOLTIPS)->isChecked(), row.tips);

        QToolButton *button = Button(pFrame, ID_PAGE_NEXT);
        ASSERT_NE(button, nullptr);
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(button, &help);
        EXPECT_EQ(QToolTip::isVisible(), row.tips);
        if (row.tips) {
            EXPECT_EQ(QToolTip::text(), QStringLiteral("Next Page"));
        }
        QToolTip::hideText();

        // The fly-by prompt shows whatever the tooltips do.
        QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), button->mapToGlobal(QPointF(4, 4)));
        QApplication::sendEvent(button, &enter);
        EXPECT_EQ(pFrame->GetStatusBar().currentMessage(), QStringLiteral("View the next page"));
        Close();
    }
}

TEST_F(AppTest, TheToolTipsCommandSwitchesTheToolbarAndIsRememberedAtTheNextStart)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    pFrame->ExecuteCommand(ID_VIEW_TOOLTIPS);
    EXPECT_FALSE(pFrame->GetToolBar().GetBarStyle() & CBRS_TOOLTIPS);
    Close();

    pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_FALSE(pFrame->GetToolBar().GetBarStyle() & CBRS_TOOLTIPS);
    pFrame->ExecuteCommand(ID_VIEW_TOOLTIPS);
    EXPECT_TRUE(pFrame->GetToolBar().GetBarStyle() & CBRS_TOOLTIPS);
}
