#include "framework/FrameWnd.h"

#include "framework/AfxRes.h"
#include "framework/Document.h"
#include "framework/StringResources.h"
#include "framework/View.h"
#include "framework/WinApp.h"

CFrameWnd::CFrameWnd(QWidget *parent)
    : QMainWindow(parent)
{
}

CFrameWnd::~CFrameWnd()
{
    // Child views die in the QWidget destructor, after this part of the frame is gone.
    disconnect(m_activeViewDestroyed);
    if (CWinApp *pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

void CFrameWnd::SetActiveView(CView *pView)
{
    if (m_pActiveView == pView)
        return;
    disconnect(m_activeViewDestroyed);
    m_pActiveView = pView;
    if (pView)
        // A view destroyed first must not be routed to afterwards.
        m_activeViewDestroyed =
            connect(pView, &QObject::destroyed, this, [this] { m_pActiveView = nullptr; });
}

CDocument *CFrameWnd::GetActiveDocument() const
{
    return m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
}

void CFrameWnd::ShowToolbarTips(BOOL) {}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    const CString appTitle = AfxGetAppName();
    CDocument *pDocument = GetActiveDocument();
    if (!bAddToTitle || !pDocument) {
        setWindowTitle(appTitle);
        return;
    }
    CString title = pDocument->GetTitle();
    if (title.isEmpty())
        title = AfxLoadString(AFX_IDS_UNTITLED);
    setWindowTitle(title + QStringLiteral(" - ") + appTitle);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo)
{
    if (m_pActiveView && m_pActiveView->OnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo))
        return TRUE;
    if (DispatchOwnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo))
        return TRUE;
    CWinApp *pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo);
}
