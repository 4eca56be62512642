#include "framework/FrameWnd.h"

#include "framework/Document.h"
#include "framework/View.h"
#include "framework/WinApp.h"

CFrameWnd::CFrameWnd(QWidget *parent)
    : QMainWindow(parent)
{
}

CFrameWnd::~CFrameWnd()
{
    if (CWinApp *pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
    // The view, a child, is destroyed by the QWidget base after this object has stopped
    // being a frame: its destroyed signal must not reach the frame's slot then.
    if (m_pActiveView)
        disconnect(m_pActiveView, &QObject::destroyed, this, nullptr);
    m_pActiveView = nullptr;
}

void CFrameWnd::SetActiveView(CView *pView)
{
    if (m_pActiveView == pView)
        return;
    if (m_pActiveView)
        disconnect(m_pActiveView, &QObject::destroyed, this, nullptr);
    m_pActiveView = pView;
    if (pView)
        // A view destroyed first must not be routed to afterwards.
        connect(pView, &QObject::destroyed, this, [this, pView] {
            if (m_pActiveView == pView)
                m_pActiveView = nullptr;
        });
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
    if (bAddToTitle && pDocument && !pDocument->GetTitle().isEmpty())
        setWindowTitle(pDocument->GetTitle() + QStringLiteral(" - ") + appTitle);
    else
        setWindowTitle(appTitle);
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
