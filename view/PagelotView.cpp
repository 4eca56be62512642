#include "view/PagelotView.h"

#include "document/PagelotDoc.h"
#include "framework/Dc.h"
#include "framework/KeyState.h"

CPagelotView::CPagelotView() { MapPrintCommands(); }

CPagelotView::~CPagelotView() = default;

CPagelotDoc *CPagelotView::GetDocument() const
{
    return static_cast<CPagelotDoc *>(CScrollView::GetDocument());
}

void CPagelotView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    UpdateScrollSizes();
    emit documentUpdated();
}

void CPagelotView::OnUpdate(CView *, LPARAM lHint, CObject *)
{
    if (lHint == 0)
        UpdateScrollSizes();
    emit documentUpdated();
}

void CPagelotView::UpdateScrollSizes()
{
    CSize total;
    if (CPagelotDoc *pDoc = GetDocument())
        total = pDoc->GetDisplayPage().m_size;
    CRect client;
    GetClientRect(&client);
    client = NormalizedRect(client);
    const CSize page(client.Width(), client.Height());
    const CSize line(client.Width() / 25, client.Height() / 25);
    SetScrollSizes(MM_TEXT, total, page, line);
    Invalidate(TRUE);
}

void CPagelotView::OnDraw(CDC *pDC)
{
    CPagelotDoc *pDoc = GetDocument();
    CSize shown;
    if (pDoc)
        shown = pDoc->GetDisplayPage().m_size;
    const CRect page = NormalizedRect(CRect(0, 0, shown.cx, shown.cy));
    CRect clip;
    pDC->GetClipBox(&clip);
    clip = NormalizedRect(clip);

    CRect background;
    if (SubtractRect(&background, clip, page)) {
        if (!m_brushBackground.GetSafeHandle())
            CreateBackgroundBrush();
        CBrush *pOldBrush = pDC->SelectObject(&m_brushBackground);
        pDC->PatBlt(background.left, background.top, background.Width(), background.Height(),
                    PATCOPY);
        pDC->SelectObject(pOldBrush);
    }
    // Without a page or a DIB this draws nothing; the grey already covers the clip box.
    if (pDoc)
        pDoc->GetDisplayPage().Draw(pDC);
}

void CPagelotView::CreateBackgroundBrush()
{
    if (m_brushBackground.GetSafeHandle())
        m_brushBackground.DeleteObject();
    m_brushBackground.Attach(::CreateSolidBrush(BACKGROUND));
}

void CPagelotView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const bool bControl = GetAsyncKeyState(VK_CONTROL) != 0;
    UINT message = WM_VSCROLL;
    UINT code = 0;
    switch (nChar) {
    case VK_PRIOR:
        code = SB_PAGEUP;
        break;
    case VK_NEXT:
        code = SB_PAGEDOWN;
        break;
    case VK_END:
        message = bControl ? WM_HSCROLL : WM_VSCROLL;
        code = bControl ? SB_RIGHT : SB_BOTTOM;
        break;
    case VK_HOME:
        message = bControl ? WM_HSCROLL : WM_VSCROLL;
        code = bControl ? SB_LEFT : SB_TOP;
        break;
    case VK_LEFT:
        message = WM_HSCROLL;
        code = SB_LINELEFT;
        break;
    case VK_UP:
        code = SB_LINEUP;
        break;
    case VK_RIGHT:
        message = WM_HSCROLL;
        code = SB_LINERIGHT;
        break;
    case VK_DOWN:
        code = SB_LINEDOWN;
        break;
    default:
        CScrollView::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    SendMessage(message, MAKEWPARAM(code, 0), 0);
}
