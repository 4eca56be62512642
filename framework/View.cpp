#include "framework/View.h"

#include "framework/Document.h"
#include "framework/FrameWnd.h"

CView::CView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    // The client area meets the window edge, as a framework view does.
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
}

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CFrameWnd *CView::GetParentFrame() const { return dynamic_cast<CFrameWnd *>(window()); }

BOOL CView::OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo)
{
    if (DispatchOwnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo);
}
