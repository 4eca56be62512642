#include "view/PagelotView.h"

#include "document/PagelotDoc.h"
#include "framework/Dc.h"
#include "framework/FrameWnd.h"
#include "resources/Resource.h"

#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

CPagelotView::CPagelotView()
{
    MapPrintCommands();
    MapGoToPageCommand();
}

CPagelotView::~CPagelotView() = default;

BOOL CPagelotView::PreCreateWindow(CREATESTRUCT &cs) { return CScrollView::PreCreateWindow(cs); }

CPagelotDoc *CPagelotView::GetDocument() const
{
    return static_cast<CPagelotDoc *>(CScrollView::GetDocument());
}

void CPagelotView::OnUpdate(CView *, LPARAM lHint, CObject *)
{
    if (lHint == 0) {
        UpdateScrollSizes();
        ScrollToShownPage();
    }
    emit documentUpdated();
}

void CPagelotView::resizeEvent(QResizeEvent *event)
{
    CScrollView::resizeEvent(event);
    if (CPagelotDoc *pDoc = GetDocument())
        pDoc->OnScreenChanged();
}

bool CPagelotView::event(QEvent *event)
{
    const bool handled = CScrollView::event(event);
    // Qt 6.4 tells a widget of a new screen, and so of a new device pixel ratio, only
    // through this event.
    if (event->type() == QEvent::ScreenChangeInternal)
        if (CPagelotDoc *pDoc = GetDocument())
            pDoc->OnScreenChanged();
    return handled;
}

void CPagelotView::ScrollToShownPage()
{
    const CPagelotDoc *pDoc = GetDocument();
    if (!pDoc)
        return;
    const bool newFile = pDoc->GetLoadSerial() != m_nShownSerial;
    const bool newPage = pDoc->GetCurrentPage() != m_nShownPage;
    m_nShownSerial = pDoc->GetLoadSerial();
    m_nShownPage = pDoc->GetCurrentPage();
    // A zoom or a turn keeps the scroll position; a new page is read from its top (its
    // bottom when paged back into) where the last one was read across.
    if (newFile)
        ScrollToPosition(CPoint(0, 0));
    else if (newPage)
        ScrollToPosition(
            CPoint(GetScrollPosition().x, m_bShowFromBottom ? verticalScrollBar()->maximum() : 0));
}

void CPagelotView::UpdateScrollSizes()
{
    CSize total;
    if (CPagelotDoc *pDoc = GetDocument())
        total = pDoc->GetDisplayPage().ShownSize();
    CRect client;
    GetClientRect(&client);
    const CSize page(client.Width(), client.Height());
    const CSize line(client.Width() / 25, client.Height() / 25);
    SetScrollSizes(MM_TEXT, total, page, line);
    Invalidate(TRUE);
}

void CPagelotView::OnDraw(CDC *pDC)
{
    CPagelotDoc *pDoc = GetDocument();
    CPageBitmap *pPage = pDoc ? &pDoc->GetDisplayPage() : nullptr;
    // Grey beside the page, and where the page would be when it has no DIB to draw.
    const CSize shown = pPage && pPage->m_pDib ? pPage->ShownSize() : CSize();
    CRect clip;
    pDC->GetClipBox(&clip);
    const QRegion background = QRegion(clip.left, clip.top, clip.Width(), clip.Height())
                                   .subtracted(QRect(0, 0, shown.cx, shown.cy));
    if (!background.isEmpty()) {
        if (!m_brushBackground.GetSafeHandle())
            CreateBackgroundBrush();
        CBrush *pOldBrush = pDC->SelectObject(&m_brushBackground);
        for (const QRect &part : background)
            pDC->PatBlt(part.x(), part.y(), part.width(), part.height(), PATCOPY);
        pDC->SelectObject(pOldBrush);
    }
    if (pPage && pPage->m_pDib)
        pPage->Draw(pDC);
}

void CPagelotView::CreateBackgroundBrush() { m_brushBackground.CreateSolidBrush(BACKGROUND); }

namespace {

struct ScrollKey
{
    int key;
    Qt::Orientation orientation;
    QAbstractSlider::SliderAction action;
    // Ctrl turns Home and End sideways; the other keys scroll the same with or without it.
    Qt::Orientation orientationWithCtrl;
};

constexpr ScrollKey SCROLL_KEYS[] = {
    {Qt::Key_PageUp, Qt::Vertical, QAbstractSlider::SliderPageStepSub, Qt::Vertical},
    {Qt::Key_PageDown, Qt::Vertical, QAbstractSlider::SliderPageStepAdd, Qt::Vertical},
    {Qt::Key_Home, Qt::Vertical, QAbstractSlider::SliderToMinimum, Qt::Horizontal},
    {Qt::Key_End, Qt::Vertical, QAbstractSlider::SliderToMaximum, Qt::Horizontal},
    {Qt::Key_Left, Qt::Horizontal, QAbstractSlider::SliderSingleStepSub, Qt::Horizontal},
    {Qt::Key_Right, Qt::Horizontal, QAbstractSlider::SliderSingleStepAdd, Qt::Horizontal},
    {Qt::Key_Up, Qt::Vertical, QAbstractSlider::SliderSingleStepSub, Qt::Vertical},
    {Qt::Key_Down, Qt::Vertical, QAbstractSlider::SliderSingleStepAdd, Qt::Vertical},
};

} // namespace

bool CPagelotView::RunCommand(UINT nID, bool showFromBottom)
{
    CFrameWnd *pFrame = GetParentFrame();
    if (!pFrame)
        return false;
    m_bShowFromBottom = showFromBottom;
    const bool ran = pFrame->RunCommand(nID) != FALSE;
    m_bShowFromBottom = false;
    return ran;
}

bool CPagelotView::AtEnd(bool down) const
{
    const QScrollBar *bar = verticalScrollBar();
    return down ? bar->value() >= bar->maximum() : bar->value() <= bar->minimum();
}

bool CPagelotView::TurnPageAtEnd(bool down)
{
    if (!AtEnd(down))
        return false;
    RunCommand(down ? ID_PAGE_NEXT : ID_PAGE_PREVIOUS, !down);
    return true;
}

void CPagelotView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const Qt::KeyboardModifiers held = Qt::KeyboardModifiers::fromInt(static_cast<int>(nFlags));
    const Qt::KeyboardModifiers modifiers = held & ~Qt::KeypadModifier;
    const int key = static_cast<int>(nChar);
    const bool plain = modifiers == Qt::NoModifier;
    switch (key) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        // Away from the end, the key table scrolls.
        if (TurnPageAtEnd(key == Qt::Key_PageDown))
            return;
        break;
    case Qt::Key_Space:
        if (plain || modifiers == Qt::ShiftModifier) {
            if (!TurnPageAtEnd(plain))
                verticalScrollBar()->triggerAction(plain ? QAbstractSlider::SliderPageStepAdd
                                                         : QAbstractSlider::SliderPageStepSub);
            return;
        }
        break;
    case Qt::Key_N:
    case Qt::Key_P:
        if (plain) {
            RunCommand(key == Qt::Key_N ? ID_PAGE_NEXT : ID_PAGE_PREVIOUS);
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (modifiers == Qt::AltModifier) {
            RunCommand(key == Qt::Key_Home ? ID_PAGE_FIRST : ID_PAGE_LAST);
            return;
        }
        break;
    default:
        break;
    }
    // Every key-down scrolls once, auto-repeated ones included: the repeat count is not
    // consulted.
    for (const ScrollKey &entry : SCROLL_KEYS) {
        if (entry.key != key)
            continue;
        const bool ctrl = held.testFlag(Qt::ControlModifier);
        const bool vertical =
            (ctrl ? entry.orientationWithCtrl : entry.orientation) == Qt::Vertical;
        (vertical ? verticalScrollBar() : horizontalScrollBar())->triggerAction(entry.action);
        return;
    }
    CScrollView::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CPagelotView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    // Turns in the other direction start the count again. One notch is 120 eighths of a
    // degree; a touchpad's small steps add up to one before anything happens.
    const auto addTurn = [delta](int &turned) {
        turned = (turned < 0) == (delta < 0) ? turned + delta : delta;
        const int notches = std::abs(turned) / 120;
        turned %= 120;
        return notches;
    };
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        // A zoom step for each notch, a page turn below for each event at most.
        for (int notches = delta != 0 ? addTurn(m_nWheelZoom) : 0; notches > 0; --notches)
            RunCommand(delta > 0 ? ID_ZOOM_IN : ID_ZOOM_OUT);
        event->accept();
        return;
    }
    const bool sideways = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool down = delta < 0;
    const bool atEnd = !sideways && delta != 0 && AtEnd(down);
    CScrollView::wheelEvent(event);
    if (!atEnd) {
        m_nWheelTurn = 0;
        return;
    }
    if (addTurn(m_nWheelTurn) > 0) {
        m_nWheelTurn = 0;
        TurnPageAtEnd(down);
    }
}
