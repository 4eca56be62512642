#include "framework/ScrollView.h"

#include "framework/Dc.h"
#include "framework/KeyState.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

CScrollView::CScrollView(QWidget *parent)
    : CView(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The view paints every pixel of its client area itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
}

void CScrollView::SetScrollSizes(int nMapMode, CSize sizeTotal, const CSize &sizePage,
                                 const CSize &sizeLine)
{
    m_nMapMode = nMapMode;
    m_totalLog = CSize(std::max(0, sizeTotal.cx), std::max(0, sizeTotal.cy));
    m_pageDev = sizePage;
    if (m_pageDev.cx == 0)
        m_pageDev.cx = m_totalLog.cx / 10;
    if (m_pageDev.cy == 0)
        m_pageDev.cy = m_totalLog.cy / 10;
    m_lineDev = sizeLine;
    if (m_lineDev.cx == 0)
        m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0)
        m_lineDev.cy = m_pageDev.cy / 10;
    UpdateBars();
}

// Shows a bar only where the area is larger than the window, counting the room the other
// bar takes when it is shown.
void CScrollView::UpdateBars()
{
    const QSize maximum = maximumViewportSize();
    const int vExtent = verticalScrollBar()->sizeHint().width();
    const int hExtent = horizontalScrollBar()->sizeHint().height();
    bool needH = m_totalLog.cx > maximum.width();
    bool needV = m_totalLog.cy > maximum.height();
    if (needH && !needV)
        needV = m_totalLog.cy > maximum.height() - hExtent;
    if (needV && !needH)
        needH = m_totalLog.cx > maximum.width() - vExtent;
    const int width = maximum.width() - (needV ? vExtent : 0);
    const int height = maximum.height() - (needH ? hExtent : 0);

    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, std::max(0, m_totalLog.cx - width));
    h->setPageStep(std::max(1, m_pageDev.cx));
    h->setSingleStep(std::max(1, m_lineDev.cx));
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, m_totalLog.cy - height));
    v->setPageStep(std::max(1, m_pageDev.cy));
    v->setSingleStep(std::max(1, m_lineDev.cy));
    // Lay the bars out now rather than at the next event, so the client area read right
    // after a change of sizes is already the one on screen.
    QEvent layout(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &layout);
}

CPoint CScrollView::GetScrollPosition() const
{
    return CPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CScrollView::ScrollToPosition(CPoint pt)
{
    horizontalScrollBar()->setValue(pt.x);
    verticalScrollBar()->setValue(pt.y);
}

void CScrollView::OnPrepareDC(CDC *pDC, CPrintInfo *)
{
    if (!pDC || pDC->IsPrinting())
        return;
    pDC->SetMapMode(m_nMapMode);
    const CPoint position = GetScrollPosition();
    pDC->SetViewportOrg(-position.x, -position.y);
}

LRESULT CScrollView::SendMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_HSCROLL && message != WM_VSCROLL)
        return 0;
    const UINT code = static_cast<UINT>(wParam & 0xFFFF);
    const int position = static_cast<int>((wParam >> 16) & 0xFFFF);
    OnScrollBy(message, code, position);
    return 0;
}

BOOL CScrollView::OnScrollBy(UINT nBar, UINT nSBCode, int nPos)
{
    const bool vertical = nBar == WM_VSCROLL;
    QScrollBar *bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int line = vertical ? m_lineDev.cy : m_lineDev.cx;
    const int page = vertical ? m_pageDev.cy : m_pageDev.cx;
    const int before = bar->value();
    int target = before;
    switch (nSBCode) {
    case SB_LINEUP:
        target = before - line;
        break;
    case SB_LINEDOWN:
        target = before + line;
        break;
    case SB_PAGEUP:
        target = before - page;
        break;
    case SB_PAGEDOWN:
        target = before + page;
        break;
    case SB_TOP:
        target = bar->minimum();
        break;
    case SB_BOTTOM:
        target = bar->maximum();
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        target = nPos;
        break;
    default:
        return FALSE;
    }
    bar->setValue(std::clamp(target, bar->minimum(), bar->maximum()));
    return bar->value() != before;
}

void CScrollView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setClipRegion(event->region());
    CDC dc;
    if (!dc.Attach(CreatePainterDC(&painter)))
        return;
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CScrollView::resizeEvent(QResizeEvent *event)
{
    CView::resizeEvent(event);
    UpdateBars();
}

void CScrollView::scrollContentsBy(int dx, int dy)
{
    // Moves what is on screen and repaints only the strip uncovered.
    viewport()->scroll(dx, dy);
}

void CScrollView::wheelEvent(QWheelEvent *event)
{
    QPoint delta = event->angleDelta();
    // Shift turns the wheel sideways, as in most viewers.
    if (event->modifiers() & Qt::ShiftModifier)
        delta = QPoint(delta.y(), delta.x());
    const int lines = QApplication::wheelScrollLines();
    auto scroll = [lines](QScrollBar *bar, int eighths) {
        if (eighths == 0 || bar->maximum() == 0)
            return;
        // 120 eighths of a degree are one notch: that many lines.
        const int pixels = -eighths * lines * bar->singleStep() / 120;
        bar->setValue(std::clamp(bar->value() + (pixels == 0 ? (eighths > 0 ? -1 : 1) : pixels),
                                 bar->minimum(), bar->maximum()));
    };
    scroll(horizontalScrollBar(), delta.x());
    scroll(verticalScrollBar(), delta.y());
    event->accept();
}

void CScrollView::keyPressEvent(QKeyEvent *event)
{
    const UINT nChar = AfxVirtualKeyOf(event);
    CKeyEventScope scope(event);
    m_pCurrentKey = event;
    OnKeyDown(nChar, 1, event->isAutoRepeat() ? 0x4000 : 0);
    m_pCurrentKey = nullptr;
}

void CScrollView::OnKeyDown(UINT, UINT, UINT) { DefaultKeyDown(); }

void CScrollView::DefaultKeyDown()
{
    if (m_pCurrentKey)
        CView::keyPressEvent(m_pCurrentKey);
}
