#include "tests/app/AppTestFixture.h"

#include "app/AboutDlg.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "document/PagelotDoc.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/ResourceModule.h"
#include "framework/RuntimeClass.h"
#include "resources/Resource.h"
#include "view/PagelotView.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Every command that needs a page on screen.
const UINT kPageCommands[] = {
    ID_PAGE_FIRST,        ID_PAGE_PREVIOUS,  ID_PAGE_NEXT,       ID_PAGE_LAST,
    ID_ZOOM_FITWIDTH,     ID_ZOOM_FITHEIGHT, ID_ZOOM_ACTUALSIZE, ID_ZOOM_33,
    ID_ZOOM_50,           ID_ROTATE_NONE,    ID_ROTATE_LEFT,     ID_ROTATE_RIGHT,
    ID_ROTATE_UPSIDEDOWN, ID_VIEW_ANTIALIAS, ID_FILE_PRINT,      ID_FILE_PRINT_PREVIEW,
};

} // namespace

TEST_F(AppTest, WithoutAFileStartsUntitledWithEveryPageCommandDisabled)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(m_pApp->GetRegistryKey(), QStringLiteral("Brackwater Systems"));
    EXPECT_EQ(m_pApp->GetAppName(), QStringLiteral("Fax Viewer"));
    EXPECT_TRUE(pFrame->isVisible());
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("Untitled - Fax Viewer"));

    UpdateAllCommands();
    for (UINT nID : kPageCommands)
        EXPECT_FALSE(Action(nID)->isEnabled()) << nID;
    for (UINT nID : {ID_FILE_OPEN, ID_VIEW_TOOLTIPS, ID_APP_EXIT, ID_APP_ABOUT, ID_HELP_CONTENTS,
                     ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_FILE_PRINT_SETUP})
        EXPECT_TRUE(Action(nID)->isEnabled()) << nID;
    EXPECT_EQ(pFrame->GetStatusBar().GetPaneText(1), QStringLiteral("Page 0 of 0"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(AppTest, TheApplicationHandsTheFrameworkItsStringTable)
{
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(AfxLoadString(AFX_IDS_APP_TITLE), QStringLiteral("Fax Viewer"));
    EXPECT_EQ(AfxLoadString(AFX_IDS_UNTITLED), QStringLiteral("Untitled"));
    EXPECT_EQ(AfxLoadString(ID_INDICATOR_SIZE), QStringLiteral("0 x 0 pixels"));
    EXPECT_EQ(AfxLoadString(ID_PAGE_NEXT), QStringLiteral("View the next page\nNext Page"));
    EXPECT_EQ(AfxLoadString(ID_ZOOM_33), QStringLiteral("Scale to 33% of actual size"));
}

TEST_F(AppTest, WithAFileShowsPageOneAndTitlesTheWindowAfterIt)
{
    const std::string path = WriteFax("0042.tif", 3);
    CMainFrame *pFrame = Start({QString::fromStdString(path)});
    ASSERT_NE(pFrame, nullptr);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("0042.tif - Fax Viewer"));

    CPagelotDoc *pDoc = Document();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetCurrentPage(), 0);
    // A 1280-pixel screen shows the first page at one half.
    EXPECT_EQ(pDoc->GetDisplayPage().m_size, CSize(864, 1100));

    UpdateAllCommands();
    EXPECT_EQ(pFrame->GetStatusBar().GetPaneText(1), QStringLiteral("Page 1 of 3"));
    EXPECT_EQ(pFrame->GetStatusBar().GetPaneText(3), QStringLiteral("1728 x 2200 pixels"));
    EXPECT_FALSE(Action(ID_PAGE_PREVIOUS)->isEnabled());
    EXPECT_TRUE(Action(ID_PAGE_NEXT)->isEnabled());
    EXPECT_TRUE(Action(ID_ZOOM_50)->isChecked());
    EXPECT_TRUE(Action(ID_ROTATE_NONE)->isChecked());
}

TEST_F(AppTest, AnUnreadableFileIsReportedOnceThenTheEmptyViewerIsTitledAfterIt)
{
    const std::string path = m_dir.write("scan.tif", std::string("II*\0 this is no fax", 19));
    CMainFrame *pFrame = Start({QString::fromStdString(path)});
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_FALSE(m_messages[0].isEmpty());
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("scan.tif - Fax Viewer"));
    UpdateAllCommands();
    for (UINT nID : kPageCommands)
        EXPECT_FALSE(Action(nID)->isEnabled()) << nID;
    EXPECT_EQ(m_messages.size(), 1u);
}

TEST_F(AppTest, ExitClosesTheMainWindow)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    Action(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(pFrame->isVisible());
}

TEST_F(AppTest, HelpIsSilentWhenTheHelpFileIsMissing)
{
    CPagelotApp::SetProgramFolderForTesting(QString::fromStdString(m_dir.path()));
    ASSERT_NE(Start(), nullptr);
    const auto windowsBefore = QApplication::topLevelWidgets().size();
    Action(ID_HELP_CONTENTS)->trigger();
    EXPECT_EQ(m_pApp->GetHelpWindow(), nullptr);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
}

TEST_F(AppTest, HelpIsSilentWhenTheHelpFileIsDamaged)
{
    CPagelotApp::SetProgramFolderForTesting(QString::fromStdString(m_dir.path()));
    m_dir.write("Pagelot.chm", std::string(4096, 'x'));
    ASSERT_NE(Start(), nullptr);
    Action(ID_HELP_CONTENTS)->trigger();
    EXPECT_EQ(m_pApp->GetHelpWindow(), nullptr);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(AppTest, HelpOpensTheCompiledTopicsFromTheProgramFolder)
{
    // The folder holds the help file under its fixed name, whatever the program is called.
    const QString folder = QString::fromStdString(m_dir.path());
    ASSERT_TRUE(QFile::copy(QStringLiteral(PAGELOT_CHM_PATH), folder + "/Pagelot.chm"));
    CPagelotApp::SetProgramFolderForTesting(folder);
    EXPECT_EQ(CPagelotApp::HelpFilePath(), folder + "/Pagelot.chm");

    ASSERT_NE(Start(), nullptr);
    Action(ID_HELP_CONTENTS)->trigger();
    CHelpWindow *pHelp = m_pApp->GetHelpWindow();
    ASSERT_NE(pHelp, nullptr);
    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_FALSE(pHelp->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(pHelp->windowTitle(), QStringLiteral("Fax Viewer Help"));
    EXPECT_EQ(pHelp->CurrentTopic(), QStringLiteral("/index.htm"));
    EXPECT_TRUE(pHelp->Browser()->toPlainText().contains(QStringLiteral("Fax Viewer shows")));

    // Links between topics are read from the same file.
    emit pHelp->Browser()->anchorClicked(QUrl(QStringLiteral("chm:/statusbar.htm")));
    EXPECT_EQ(pHelp->CurrentTopic(), QStringLiteral("/statusbar.htm"));
    EXPECT_TRUE(pHelp->Browser()->toPlainText().contains(QStringLiteral("Page 0 of 0")));

    // A second request brings the same window forward.
    Action(ID_HELP_CONTENTS)->trigger();
    EXPECT_EQ(m_pApp->GetHelpWindow(), pHelp);
    EXPECT_TRUE(m_messages.empty());
}

TEST(HelpTopics, EveryMenuCommandAndThePanesAreExplained)
{
    CChmFile chm;
    ASSERT_TRUE(chm.Open(QStringLiteral(PAGELOT_CHM_PATH)));
    QString all;
    for (const auto &topic : chm.Contents())
        all += QString::fromUtf8(chm.Read(topic.path));
    for (const char *text : {"Open...",
                             "Print...",
                             "Print Preview",
                             "Print Setup...",
                             "Exit",
                             "Toolbar",
                             "Status Bar",
                             "ToolTips",
                             "Anti-Alias",
                             "First",
                             "Previous",
                             "Next",
                             "Last",
                             "Go to Page... (Ctrl+G)",
                             "Current page",
                             "Fit to Width",
                             "Fit to Height",
                             "Actual Size",
                             "Scale to 33%",
                             "Scale to 50%",
                             "None",
                             "Left",
                             "Right",
                             "Upside Down",
                             "Fax Viewer Help",
                             "About Fax Viewer...",
                             "Page 2 of 5",
                             "204 x 196 dpi",
                             "Ready"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(chm.Contents().size(), 10);
}

TEST(AboutBox, ShowsTheProductLineVersionAndAnOkButton)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Fax Viewer"));
    QStringList texts;
    bool hasIcon = false;
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        texts << label->text();
        hasIcon = hasIcon || !label->pixmap().isNull();
    }
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(texts.contains(QStringLiteral("Fax Viewer Version 2.1")));
    EXPECT_EQ(texts.size(), 4); // icon, product line, two notice lines
    ASSERT_NE(dialog.OkButton(), nullptr);
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    // Run modally as Help > About does: OK gives IDOK, Escape IDCANCEL.
    QTimer::singleShot(0, dialog.OkButton(), &QPushButton::click);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(dialog.isVisible());
    QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

namespace {

// A frame whose window cannot be made, as when a bar fails to load.
class FailingFrame : public CFrameWnd
{
protected:
    int OnCreate(CCreateContext *) override { return -1; }
};

// A view that refuses to be made.
class RefusingView : public CPagelotView
{
public:
    BOOL PreCreateWindow(CREATESTRUCT &) override { return FALSE; }
};

} // namespace

TEST_F(AppTest, AFrameThatCannotBeCreatedFailsTheStartUp)
{
    const struct
    {
        const char *what;
        const CRuntimeClass *pFrameClass;
        const CRuntimeClass *pViewClass;
    } rows[] = {
        {"frame", RUNTIME_CLASS(FailingFrame), RUNTIME_CLASS(CPagelotView)},
        {"view", RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(RefusingView)},
    };
    for (const auto &row : rows) {
        m_pApp = std::make_unique<CPagelotApp>();
        auto *pTemplate = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPagelotDoc),
                                                 row.pFrameClass, row.pViewClass);
        m_pApp->AddDocTemplate(pTemplate);
        CCommandLineInfo cmdInfo;
        m_pApp->ParseCommandLine(cmdInfo, {QStringLiteral("pagelot")});
        EXPECT_FALSE(m_pApp->ProcessShellCommand(cmdInfo)) << row.what;
        EXPECT_EQ(m_pApp->m_pMainWnd, nullptr) << row.what;
        EXPECT_EQ(pTemplate->GetFrame(), nullptr) << row.what;
        EXPECT_EQ(pTemplate->GetDocument(), nullptr) << row.what;
        EXPECT_TRUE(m_messages.empty()) << row.what;
    }
}

TEST(CommandLine, TheFirstArgumentThatIsNoSwitchNamesTheFile)
{
    const struct
    {
        QStringList arguments;
        bool open;
        const char *file;
    } rows[] = {
        {{"pagelot"}, false, ""},
        {{"pagelot", "fax.tif"}, true, "fax.tif"},
        {{"pagelot", "-nologo", "/tmp/a b.tif", "second.tif"}, true, "/tmp/a b.tif"},
        {{"pagelot", "-"}, true, "-"},
    };
    CWinApp app;
    for (const auto &row : rows) {
        CCommandLineInfo info;
        app.ParseCommandLine(info, row.arguments);
        EXPECT_EQ(info.m_nShellCommand == CCommandLineInfo::FileOpen, row.open);
        EXPECT_EQ(info.m_strFileName, QString::fromUtf8(row.file));
    }
}
