#include "view/PagelotView.h"

#include "document/PagelotDoc.h"
#include "framework/Dc.h"

#include <QKeyEvent>

CPagelotView::CPagelotView()
{
    MapPrintCommands();
    MapGoToPageCommand();
}

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
        total = pDoc->GetDisplayPage().ShownSize();
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
        shown = pDoc->GetDisplayPage().ShownSize();
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
    m_brushBackground.DeleteObject();
    m_brushBackground.CreateSolidBrush(BACKGROUND);
}

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

void CPagelotView::keyPressEvent(QKeyEvent *event)
{
    // Every key-down scrolls once, auto-repeated ones included.
    for (const ScrollKey &entry : SCROLL_KEYS) {
        if (entry.key != event->key())
            continue;
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        ScrollAction(ctrl ? entry.orientationWithCtrl : entry.orientation, entry.action);
        return;
    }
    CScrollView::keyPressEvent(event);
}
