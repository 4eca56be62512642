#include "framework/ScrollView.h"

#include "framework/Dc.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

CScrollView::CScrollView(QWidget *parent)
    : CView(parent)
{
    // The view paints every pixel of its client area itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
}

void CScrollView::SetScrollSizes(int, CSize sizeTotal, const CSize &sizePage, const CSize &sizeLine)
{
    m_totalLog = CSize(std::max(0, sizeTotal.cx), std::max(0, sizeTotal.cy));
    const auto setSteps = [](QScrollBar *bar, int total, int page, int line) {
        page = page != 0 ? page : total / 10;
        line = line != 0 ? line : page / 10;
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(std::max(1, line));
    };
    setSteps(horizontalScrollBar(), m_totalLog.cx, sizePage.cx, sizeLine.cx);
    setSteps(verticalScrollBar(), m_totalLog.cy, sizePage.cy, sizeLine.cy);
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

    horizontalScrollBar()->setRange(0, std::max(0, m_totalLog.cx - width));
    verticalScrollBar()->setRange(0, std::max(0, m_totalLog.cy - height));
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
    const CPoint position = GetScrollPosition();
    pDC->SetViewportOrg(-position.x, -position.y);
}

void CScrollView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setClipRegion(event->region());
    CDC dc(painter);
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
    // Moves what is on screen and repaints only the strip uncovered. At a fractional
    // device pixel ratio a step moves by part of a device pixel: the moved pixels and
    // the new strip would round apart and leave a seam, so everything is repainted.
    const qreal ratio = viewport()->devicePixelRatioF();
    if (ratio == std::floor(ratio))
        viewport()->scroll(dx, dy);
    else
        viewport()->update();
}

void CScrollView::keyPressEvent(QKeyEvent *event)
{
    m_pCurrentKey = event;
    OnKeyDown(static_cast<UINT>(event->key()), static_cast<UINT>(event->count()),
              static_cast<UINT>(event->modifiers().toInt()));
    m_pCurrentKey = nullptr;
}

void CScrollView::OnKeyDown(UINT, UINT, UINT)
{
    if (m_pCurrentKey)
        CView::keyPressEvent(m_pCurrentKey);
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
        bar->setValue(bar->value() + (pixels == 0 ? (eighths > 0 ? -1 : 1) : pixels));
    };
    scroll(horizontalScrollBar(), delta.x());
    scroll(verticalScrollBar(), delta.y());
    event->accept();
}
