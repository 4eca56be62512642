#pragma once

#include "framework/Brush.h"
#include "framework/ScrollView.h"

class CPagelotDoc;

// The viewer's only view: the document's shown page at one screen pixel per page pixel,
// at the top-left of the scrolled area, on a mid-grey background. The zoom is already in
// the page's pixels, so painting never scales.
class CPagelotView : public CScrollView
{
    Q_OBJECT

public:
    CPagelotView();
    ~CPagelotView() override;

    CPagelotDoc *GetDocument() const;

    void OnInitialUpdate() override;
    // Hint 0 (every document change) rescrolls and repaints; other hints are ignored.
    void OnUpdate(CView *pSender, LPARAM lHint, CObject *pHint) override;
    void OnDraw(CDC *pDC) override;

    // Scroll sizes from the shown page: total = the page, page step = the client area,
    // line step = a 25th of it. Invalidates the whole window.
    void UpdateScrollSizes();

    // Cursor and paging keys become scroll messages; Ctrl turns Home and End sideways.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;

    static constexpr COLORREF BACKGROUND = RGB(128, 128, 128);

signals:
    // After every update from the document, for what follows it beside the view.
    void documentUpdated();

public:
    // Printing: one fax page per sheet, read again from the file and sized by the shown
    // page's resolution, whatever the screen's zoom, turn or smoothing.
    BOOL OnPreparePrinting(CPrintInfo *pInfo) override;
    void OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo) override;
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override;
    void OnEndPrinting(CDC *pDC, CPrintInfo *pInfo) override;

protected:
    void CreateBackgroundBrush();
    void MapPrintCommands();

    CBrush m_brushBackground;
};
