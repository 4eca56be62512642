#pragma once

#include "framework/View.h"

class CDC;
class CPrintInfo;

// A view over a logical area larger than the window, with scroll bars. In MM_TEXT one
// logical unit is one logical pixel; painting gets a device context whose viewport
// origin is minus the scroll position, so OnDraw draws in document coordinates.
class CScrollView : public CView
{
    Q_OBJECT

public:
    explicit CScrollView(QWidget *parent = nullptr);

    // Only MM_TEXT. The steps become the scroll bars' page and single steps; a zero page
    // size means a tenth of the total, a zero line a tenth of the page.
    void SetScrollSizes(int nMapMode, CSize sizeTotal, const CSize &sizePage = CSize(),
                        const CSize &sizeLine = CSize());
    CPoint GetScrollPosition() const;
    void ScrollToPosition(CPoint pt);

    void OnPrepareDC(CDC *pDC, CPrintInfo *pInfo = nullptr) override;

protected:
    // Every key press of the view, auto-repeated ones included: nChar is the Qt key code,
    // nRepCnt the number of presses the event stands for and nFlags the keyboard
    // modifiers held (Qt::KeyboardModifiers). The base gives the key to the scroll
    // area's own handling.
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void UpdateBars();

    CSize m_totalLog;
    // The key OnKeyDown is called for, for the base's handling of it.
    QKeyEvent *m_pCurrentKey = nullptr;
};
