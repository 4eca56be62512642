#pragma once

#include "framework/View.h"

class CDC;
class CPrintInfo;
class QKeyEvent;

constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;

// Scroll codes of WM_HSCROLL / WM_VSCROLL.
constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINELEFT = 0;
constexpr UINT SB_LINEDOWN = 1;
constexpr UINT SB_LINERIGHT = 1;
constexpr UINT SB_PAGEUP = 2;
constexpr UINT SB_PAGELEFT = 2;
constexpr UINT SB_PAGEDOWN = 3;
constexpr UINT SB_PAGERIGHT = 3;
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_THUMBTRACK = 5;
constexpr UINT SB_TOP = 6;
constexpr UINT SB_LEFT = 6;
constexpr UINT SB_BOTTOM = 7;
constexpr UINT SB_RIGHT = 7;
constexpr UINT SB_ENDSCROLL = 8;

using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;

inline WPARAM MAKEWPARAM(UINT low, UINT high)
{
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// A view over a logical area larger than the window, with scroll bars. In MM_TEXT one
// logical unit is one pixel; painting gets a device context whose viewport origin is
// minus the scroll position, so OnDraw draws in document coordinates. Scrolling moves
// the pixels already on screen and repaints only the strip uncovered.
class CScrollView : public CView
{
    Q_OBJECT

public:
    explicit CScrollView(QWidget *parent = nullptr);

    // A zero page size means a tenth of the total, a zero line a tenth of the page.
    void SetScrollSizes(int nMapMode, CSize sizeTotal, const CSize &sizePage = CSize(),
                        const CSize &sizeLine = CSize());
    CSize GetTotalSize() const { return m_totalLog; }
    CSize GetPageSize() const { return m_pageDev; }
    CSize GetLineSize() const { return m_lineDev; }
    CPoint GetScrollPosition() const;
    void ScrollToPosition(CPoint pt);

    virtual void OnPrepareDC(CDC *pDC, CPrintInfo *pInfo = nullptr);

    // Carries out WM_HSCROLL and WM_VSCROLL (scroll code in the low word of wParam, thumb
    // position in the high word); other messages return 0 and do nothing.
    virtual LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Scrolls one bar; TRUE when the position changed.
    BOOL OnScrollBy(UINT nBar, UINT nSBCode, int nPos);

    // Key-down handling of the view: nChar is the virtual-key code. The base passes the
    // key to the default handling.
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

protected:
    // The default handling of the key being handled (the scroll area's own).
    void DefaultKeyDown();

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void UpdateBars();

    int m_nMapMode = 1; // MM_TEXT
    CSize m_totalLog;
    CSize m_pageDev;
    CSize m_lineDev;
    QKeyEvent *m_pCurrentKey = nullptr;
};
