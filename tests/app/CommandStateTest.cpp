#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/FileDialog.h"
#include "framework/MessageBox.h"
#include "framework/Printing.h"
#include "resources/Resource.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

// The menu's update pass, as opening the File menu runs it.
void openFileMenu(CMainFrame *pFrame)
{
    QMenu *file = pFrame->menuBar()->actions().constFirst()->menu();
    ASSERT_NE(file, nullptr);
    emit file->aboutToShow();
}

} // namespace

// With the toolbar hidden, Ctrl+P follows the document: without a page it opens no
// print dialog (it would offer pages 1 to 0), and once a file is open it prints at once,
// with no menu opened in between.
TEST_F(AppTest, CtrlPWithTheToolbarHiddenFollowsTheDocument)
{
    CMainFrame *pFrame = Start();
    ASSERT_NE(pFrame, nullptr);
    pFrame->ExecuteCommand(ID_VIEW_TOOLBAR);
    ASSERT_TRUE(pFrame->GetToolBar().isHidden());
    int dialogs = 0;
    SetPrintDialogHook([&](QPrinter &, CPrintInfo &) -> BOOL {
        ++dialogs;
        return FALSE;
    });

    QAction *print = Action(ID_FILE_PRINT);
    ASSERT_EQ(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    pFrame->OnIdleUpdateCmdUI();
    EXPECT_FALSE(print->isEnabled());
    print->trigger();
    // Even an action left enabled runs only what its update rule allows now.
    print->setEnabled(true);
    print->trigger();
    EXPECT_EQ(dialogs, 0);

    openFileMenu(pFrame);
    const std::string path = WriteFax("two.tif", 2);
    AfxSetFileDialogHook([&](const CFileDialog &, CString *pPathName) -> INT_PTR {
        *pPathName = QString::fromStdString(path);
        return IDOK;
    });
    Action(ID_FILE_OPEN)->trigger();
    AfxSetFileDialogHook({});
    ASSERT_EQ(Document()->GetPageCount(), 2);
    pFrame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(print->isEnabled());
    print->trigger();
    EXPECT_EQ(dialogs, 1);
    SetPrintDialogHook({});
}

// A file named on the command line that cannot be read is reported over the main
// window, which is already on screen at its first size.
TEST_F(AppTest, StartUpErrorComesUpOverTheShownMainWindow)
{
    const std::string path = m_dir.write("scan.tif", "II*\0 this is no fax");
    bool frameShown = false;
    QSize frameSize;
    AfxSetMessageBoxHook([&](const CString &text, const CString &, UINT) {
        m_messages.push_back(text);
        if (CFrameWnd *pFrame = AfxGetMainWnd()) {
            frameShown = pFrame->isVisible();
            frameSize = pFrame->size();
        }
        return IDOK;
    });
    CMainFrame *pFrame = Start({QString::fromStdString(path)});
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(frameShown);
    // Shown once, at the size the start-up gives it, not again resized afterwards.
    EXPECT_EQ(frameSize, pFrame->size());
    EXPECT_TRUE(pFrame->isVisible());
}
