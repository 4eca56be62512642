#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QAbstractScrollArea>

class CDC;
class CDocument;
class CFrameWnd;
class CPrintInfo;

// What a window is made with, for PreCreateWindow to adjust: its Qt window flags.
struct CREATESTRUCT
{
    Qt::WindowFlags style;
};

// Base of every view: a scroll area whose viewport is the client area. Commands reach
// the view first, then its document.
class CView : public QAbstractScrollArea, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CView(QWidget *parent = nullptr);
    ~CView() override;

    CDocument *GetDocument() const { return m_pDocument; }
    // The frame window the view sits in, or null.
    CFrameWnd *GetParentFrame() const;

    // Called by the frame before it takes the view in, with what the view is made with;
    // FALSE fails the frame's creation. The base changes nothing.
    virtual BOOL PreCreateWindow(CREATESTRUCT &) { return TRUE; }
    // Called once after the document is set up.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    // Called by UpdateAllViews; the base repaints the whole client area.
    virtual void OnUpdate(CView *, LPARAM, CObject *) { Invalidate(TRUE); }
    // Draws the document; a scroll view calls it from paintEvent.
    virtual void OnDraw(CDC *pDC) = 0;

    // The client area: the viewport, inside the scroll bars, with its origin at (0, 0).
    void GetClientRect(CRect *pRect) const
    {
        *pRect = CRect(0, 0, viewport()->width(), viewport()->height());
    }
    void Invalidate(BOOL = TRUE) { viewport()->update(); }

    BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo) override;

    // Printing: OnPreparePrinting before the job (FALSE ends it), OnBeginPrinting once,
    // OnPrepareDC and OnPrint for every sheet, OnEndPrinting once.
    virtual BOOL OnPreparePrinting(CPrintInfo *pInfo) { return DoPreparePrinting(pInfo); }
    virtual void OnBeginPrinting(CDC *, CPrintInfo *) {}
    virtual void OnPrepareDC(CDC *, CPrintInfo * = nullptr) {}
    virtual void OnPrint(CDC *pDC, CPrintInfo *) { OnDraw(pDC); }
    virtual void OnEndPrinting(CDC *, CPrintInfo *) {}
    // The print dialog on the application's printer (AfxGetPrinter), every page chosen
    // at first and m_nShownPage offered as the current page; it stores the range chosen.
    // The printer takes m_strDocName and, when it writes PDF, m_strPdfFileName first.
    // FALSE when cancelled; in preview no dialog is shown.
    BOOL DoPreparePrinting(CPrintInfo *pInfo);
    // Starts sheet nPage in MM_TEXT at origin 0 and draws it with OnPrepareDC and OnPrint.
    void PrintSheet(CDC *pDC, CPrintInfo *pInfo, UINT nPage);

    // The print commands. OnFilePrint prints the pages chosen in the dialog, a sheet each,
    // with GetDeviceCaps(LOGPIXELSX) the printer's resolution. A "Printing" box shows the
    // progress while the window printed from takes no input. Cancel, closing the box or
    // m_bAbortJob aborts the job after the current sheet and leaves no file. A request to
    // close that window asks first; stopped that way, the window then closes once the
    // command has returned.
    // OnFilePrintPreview shows every page; its Print button closes it and prints.
    void OnFilePrint();
    void OnFilePrintPreview();

private:
    friend class CDocument;
    CDocument *m_pDocument = nullptr;
};
