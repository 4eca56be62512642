#include "framework/ResourceModule.h"
#include "framework/AfxRes.h"
#include "framework/FrameWnd.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

constexpr UINT ID_TOOLS_RUN = 40010;
constexpr UINT ID_TOOLS_STOP = 40011;
constexpr UINT IDR_TESTFRAME = 7;

// The framework's own strings, as every program built on it provides them; sorted by id.
const StringResource kFrameworkStrings[] = {
    {AFX_IDS_APP_TITLE, "Fax Viewer"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {AFX_IDS_UNTITLED, "Untitled"},
};

const CResourceModule kFrameworkResources{.strings = kFrameworkStrings};

// The framework tests run as a program with nothing but the framework's strings.
class FrameworkResources : public ::testing::Environment
{
public:
    void SetUp() override { AfxSetResourceModule(&kFrameworkResources); }
    void TearDown() override { AfxSetResourceModule(nullptr); }
};

const auto *const g_environment = ::testing::AddGlobalTestEnvironment(new FrameworkResources);

// A program other than the viewer: its own title, one menu, one shortcut, a toolbar.
const StringResource kOtherStrings[] = {
    {ID_TOOLS_RUN, "Run the job\nRun"},
    {ID_TOOLS_STOP, "Stop the job"},
    {AFX_IDS_APP_TITLE, "Job Runner"},
};
const MenuItemResource kToolsMenu[] = {
    {ID_TOOLS_RUN, "&Run\tF5"},
    {0, nullptr},
    {ID_TOOLS_STOP, "&Stop"},
};
const MenuResource kOtherMenus[] = {{"&Tools", kToolsMenu}};
const AcceleratorResource kOtherAccelerators[] = {{QKeyCombination(Qt::Key_F5), ID_TOOLS_RUN}};
const UINT kOtherToolBar[] = {ID_TOOLS_RUN, 0, ID_TOOLS_STOP};

QIcon otherIcon(UINT nID)
{
    if (nID != ID_TOOLS_RUN && nID != IDR_TESTFRAME)
        return QIcon();
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    return QIcon(pixmap);
}

const CResourceModule kOtherResources{
    .strings = kOtherStrings,
    .menus = kOtherMenus,
    .accelerators = kOtherAccelerators,
    .toolBar = kOtherToolBar,
    .loadIcon = otherIcon,
};

// Puts the other program's resources in place for one test.
class OtherProgram : public ::testing::Test
{
protected:
    void SetUp() override { AfxSetResourceModule(&kOtherResources); }
    void TearDown() override { AfxSetResourceModule(&kFrameworkResources); }
};

TEST_F(OtherProgram, FrameTakesMenusShortcutsToolbarAndIconsFromTheProgram)
{
    CWinApp app;
    EXPECT_EQ(app.GetAppName(), QStringLiteral("Job Runner"));
    CFrameWnd frame;
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Job Runner"));
    EXPECT_FALSE(frame.windowIcon().isNull());

    const QList<QAction *> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&Tools"));
    const QList<QAction *> items = menus[0]->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0], frame.GetCommandAction(ID_TOOLS_RUN));
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Run\tF5"));
    EXPECT_EQ(items[0]->statusTip(), QStringLiteral("Run the job"));
    EXPECT_EQ(items[0]->toolTip(), QStringLiteral("Run"));
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(items[1]->isSeparator());
    // Without a tooltip of its own the item shows its menu text, bare.
    EXPECT_EQ(items[2]->toolTip(), QStringLiteral("Stop"));

    CToolBar bar;
    ASSERT_TRUE(bar.Create(&frame));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TESTFRAME));
    ASSERT_EQ(bar.GetCount(), 3);
    EXPECT_EQ(bar.GetItemID(0), ID_TOOLS_RUN);
    EXPECT_EQ(bar.GetItemID(1), 0u);
    EXPECT_EQ(bar.GetItemID(2), ID_TOOLS_STOP);
    EXPECT_FALSE(frame.GetCommandAction(ID_TOOLS_RUN)->icon().isNull());
    EXPECT_TRUE(frame.GetCommandAction(ID_TOOLS_STOP)->icon().isNull());
}

TEST_F(OtherProgram, WithoutResourcesLookupsFindNothingAndTheFrameIsBare)
{
    AfxSetResourceModule(nullptr);
    EXPECT_TRUE(AfxLoadString(AFX_IDS_APP_TITLE).isEmpty());
    EXPECT_TRUE(AfxLoadIcon(IDR_TESTFRAME).isNull());
    CFrameWnd frame;
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_TRUE(frame.menuBar()->actions().isEmpty());
    CToolBar bar;
    ASSERT_TRUE(bar.Create(&frame));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TESTFRAME));
    EXPECT_EQ(bar.GetCount(), 0);
}

TEST_F(OtherProgram, StringEntriesAndTheirPromptAndTooltipFields)
{
    EXPECT_EQ(AfxLoadString(AFX_IDS_APP_TITLE), QStringLiteral("Job Runner"));
    EXPECT_TRUE(AfxLoadString(1).isEmpty());
    EXPECT_TRUE(AfxLoadString(AFX_IDS_UNTITLED).isEmpty());

    EXPECT_EQ(AfxLoadString(ID_TOOLS_RUN), QStringLiteral("Run the job\nRun"));
}

} // namespace
