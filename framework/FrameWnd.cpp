#include "framework/FrameWnd.h"

#include "framework/AfxRes.h"
#include "framework/Document.h"
#include "framework/ResourceModule.h"
#include "framework/RuntimeClass.h"
#include "framework/WinApp.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QWindow>

CFrameWnd::~CFrameWnd()
{
    if (CWinApp *pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

CDocument *CFrameWnd::GetActiveDocument() const
{
    return m_pActiveView ? m_pActiveView->GetDocument() : nullptr;
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    const CString appTitle = AfxGetAppName();
    CDocument *pDocument = GetActiveDocument();
    if (!bAddToTitle || !pDocument) {
        setWindowTitle(appTitle);
        return;
    }
    const CString title = pDocument->GetTitle();
    setWindowTitle((title.isEmpty() ? AfxLoadString(AFX_IDS_UNTITLED) : title)
                   + QStringLiteral(" - ") + appTitle);
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

int CFrameWnd::OnCreate(CCreateContext *pContext)
{
    if (!pContext || !pContext->m_pNewViewClass)
        return 0;
    CView *pView = pContext->m_pNewViewClass->CreateObject<CView>();
    if (!pView)
        return -1;
    CREATESTRUCT cs{pView->windowFlags()};
    if (!pView->PreCreateWindow(cs)) {
        delete pView;
        return -1;
    }
    if (cs.style != pView->windowFlags())
        pView->setWindowFlags(cs.style);
    setCentralWidget(pView);
    if (pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(pView);
    SetActiveView(pView);
    return 0;
}

void CFrameWnd::InitialUpdateFrame(CDocument *pDoc, BOOL bMakeVisible)
{
    if (CView *pView = GetActiveView())
        pView->OnInitialUpdate();
    OnUpdateFrameTitle(pDoc != nullptr);
    if (bMakeVisible) {
        ActivateFrame();
        if (CView *pView = GetActiveView())
            pView->setFocus();
    }
    OnIdleUpdateCmdUI();
}

void CFrameWnd::ActivateFrame()
{
    // A new main window takes most of the screen, as the platform's default size does.
    if (!isVisible()) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            resize(area.width() * 3 / 4, area.height() * 3 / 4);
            move(area.topLeft() + QPoint(area.width() / 16, area.height() / 16));
        }
    }
    show();
}

void CFrameWnd::closeEvent(QCloseEvent *event)
{
    OnClose();
    event->accept();
}

void CFrameWnd::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_bFirstExposeSeen && !event->spontaneous())
        if (QWindow *window = windowHandle())
            window->installEventFilter(this);
}

// A restored floating bar is mapped while the frame is still hidden. The window manager
// reads WM_TRANSIENT_FOR when it takes a window on, finds no frame to keep the bar above,
// and stacks the frame over it from then on. Mapped again once the frame is on screen,
// the bar is the frame's tool window and stays above it.
bool CFrameWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && !m_bFirstExposeSeen
        && windowHandle()->isExposed()) {
        m_bFirstExposeSeen = true;
        watched->removeEventFilter(this);
        for (QToolBar *pBar : findChildren<QToolBar *>(Qt::FindDirectChildrenOnly)) {
            if (pBar->isFloating() && pBar->isVisible()) {
                pBar->hide();
                pBar->show();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
