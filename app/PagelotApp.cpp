#include "app/PagelotApp.h"

#include "app/AboutDlg.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "document/PagelotDoc.h"
#include "framework/DocTemplate.h"
#include "framework/FrameWnd.h"
#include "framework/RuntimeClass.h"
#include "resources/Resource.h"
#include "resources/ResourceTables.h"
#include "view/PagelotView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>

namespace {

CString g_strProgramFolder;

} // namespace

CPagelotApp::CPagelotApp()
{
    AfxSetResourceModule(&ProgramResources());
    ON_COMMAND(ID_APP_ABOUT, &CPagelotApp::OnAppAbout);
    ON_COMMAND(ID_HELP_CONTENTS, &CPagelotApp::OnHelpContents);
    ON_COMMAND(ID_FILE_NEW, [this] { OnFileNew(); });
    ON_COMMAND(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    ON_COMMAND(ID_APP_EXIT, [this] { OnAppExit(); });
}

CPagelotApp::~CPagelotApp()
{
    delete m_pHelpWindow;
    CloseAllDocuments(TRUE);
    AfxSetResourceModule(nullptr);
}

BOOL CPagelotApp::InitInstance()
{
    // Dialog controls are drawn three-dimensional by the toolkit already.
    SetRegistryKey(QStringLiteral("Brackwater Systems"));

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPagelotDoc),
                                          RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CPagelotView)));

    CCommandLineInfo cmdInfo;
    if (m_arguments.isEmpty())
        ParseCommandLine(cmdInfo);
    else
        ParseCommandLine(cmdInfo, m_arguments);
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;
    return TRUE;
}

int CPagelotApp::ExitInstance()
{
    delete m_pHelpWindow;
    return CWinApp::ExitInstance();
}

void CPagelotApp::OnAppAbout()
{
    CAboutDlg dialog(m_pMainWnd);
    dialog.DoModal();
}

void CPagelotApp::SetProgramFolderForTesting(const CString &folder) { g_strProgramFolder = folder; }

CString CPagelotApp::HelpFilePath()
{
    const CString folder =
        g_strProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_strProgramFolder;
    return QDir(folder).filePath(QStringLiteral("Pagelot.chm"));
}

// A missing or unreadable help file is passed over in silence.
void CPagelotApp::OnHelpContents()
{
    const CString path = HelpFilePath();
    if (!QFileInfo::exists(path))
        return;
    if (m_pHelpWindow) {
        m_pHelpWindow->show();
        m_pHelpWindow->raise();
        m_pHelpWindow->activateWindow();
        return;
    }
    auto *window = new CHelpWindow;
    if (!window->Open(path)) {
        delete window;
        return;
    }
    m_pHelpWindow = window;
    if (QWidget *pOwner = AfxGetMainWnd()) {
        const QScreen *screen = pOwner->screen();
        window->PlaceBeside(*pOwner, screen->availableGeometry());
    }
    window->show();
}
