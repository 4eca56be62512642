#pragma once

#include "framework/Brush.h"
#include "framework/ScrollView.h"

#include <QPointer>

#include <cstdint>
#include <vector>

class CFaxPropertiesDlg;
class CPagelotDoc;

// The viewer's only view: the document's shown page at the top-left of the scrolled area,
// on a mid-grey background. The zoom is already in the page's pixels, rendered for the
// screen's device pixels, so painting copies them unscaled (only Actual Size and a fit
// wider than the page are enlarged, pixel for pixel, on a high-density screen).
class CPagelotView : public CScrollView
{
    Q_OBJECT

public:
    CPagelotView();
    ~CPagelotView() override;

    CPagelotDoc *GetDocument() const;

    // Makes the view as the scroll view is made.
    BOOL PreCreateWindow(CREATESTRUCT &cs) override;

    // Hint 0 (every document change) rescrolls and repaints; other hints are ignored.
    void OnUpdate(CView *pSender, LPARAM lHint, CObject *pHint) override;
    void OnDraw(CDC *pDC) override;

    // Scroll sizes from the shown page: total = the page, page step = the client area,
    // line step = a 25th of it. Invalidates the whole window.
    void UpdateScrollSizes();

    static constexpr COLORREF BACKGROUND = RGB(128, 128, 128);

signals:
    // After every update from the document, for what follows it beside the view.
    void documentUpdated();

public:
    // Printing: one fax page per sheet, read again from the file and sized by its own
    // resolution, whatever the screen's zoom, turn or smoothing; reduced only when it
    // would not fit the printable area. Pages that cannot be read print blank and are
    // named in one message when the job (not a preview) ends; a long job whose first
    // sheets all come out blank asks before it goes on, and a job of nothing but blank
    // sheets is aborted, leaving no file.
    BOOL OnPreparePrinting(CPrintInfo *pInfo) override;
    void OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo) override;
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override;
    void OnEndPrinting(CDC *pDC, CPrintInfo *pInfo) override;

    struct PrintFailure
    {
        UINT nPage;
        std::uint32_t code;
    };
    // "Page 2 of fax.tif was not printed:" and the error text on its own line, one
    // paragraph per reason.
    static CString PrintFailureText(const CString &file, const std::vector<PrintFailure> &failures);
    // A job of more than LONG_JOB_SHEETS sheets whose first BLANK_START_SHEETS cannot
    // be read stops to ask whether to print the rest.
    static constexpr UINT LONG_JOB_SHEETS = 100;
    static constexpr std::size_t BLANK_START_SHEETS = 5;

protected:
    // Cursor and paging keys scroll; Ctrl turns Home and End sideways. Page Down and
    // Space at the page's bottom go on to the next page, Page Up and Shift+Space at its
    // top back to the previous one; N, P, Alt+Home and Alt+End turn pages. Other keys go
    // to the scroll area's own handling.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    // A wheel step down at the page's bottom (up at its top) turns the page as Page Down
    // (Page Up) does; Ctrl with the wheel zooms in and out.
    void wheelEvent(QWheelEvent *event) override;
    // A new client area or device pixel ratio: the document prepares its neighbours
    // for it, so the next page command still only swaps a page in.
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

    void CreateBackgroundBrush();
    void MapPrintCommands();
    void MapGoToPageCommand();
    // Asks for a page number and shows that page as the page commands do; reads only it.
    void OnPageGoTo();
    void OnUpdatePageGoTo(CCmdUI *pCmdUI);
    // Shows what the fax says about itself in a dialog beside the page.
    void OnFaxProperties();
    void OnUpdateFaxProperties(CCmdUI *pCmdUI);
    void AskAfterBlankStart(CPrintInfo *pInfo);

    // Runs a page or zoom command through the frame, so a key does exactly what the
    // command's update rule allows. A page reached backwards is shown from its bottom.
    bool RunCommand(UINT nID, bool showFromBottom = false);
    // Scrolled to the page's bottom (down) or top; a page that fits is at both.
    bool AtEnd(bool down) const;
    // At the page's end, turns on to the next page's top or back to the previous page's
    // bottom and says so; elsewhere does nothing.
    bool TurnPageAtEnd(bool down);
    // After a page change the new page from its top, keeping the horizontal position;
    // after a new file page 1 from its top-left.
    void ScrollToShownPage();

    CBrush m_brushBackground;
    // The page last shown, to tell a page change or a new file from a zoom or a turn.
    std::uint32_t m_nShownSerial = 0;
    std::int32_t m_nShownPage = -1;
    bool m_bShowFromBottom = false;
    // Wheel turns toward the next page or zoom step, in eighths of a degree.
    int m_nWheelTurn = 0;
    int m_nWheelZoom = 0;
    std::vector<PrintFailure> m_printFailures;
    UINT m_nSheetsPrinted = 0;
    bool m_bStoppedForChange = false;

public:
    // The Fax Properties dialog while it is open, else null.
    CFaxPropertiesDlg *GetFaxPropertiesDialog() const;

protected:
    QPointer<CFaxPropertiesDlg> m_pProperties;
};
