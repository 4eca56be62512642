#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QAbstractScrollArea>

class CDC;
class CDocument;
class CFrameWnd;
class CPrintInfo;

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

    // Called once after the document is set up; the base calls OnUpdate(nullptr, 0, nullptr).
    virtual void OnInitialUpdate();
    // Called by UpdateAllViews; the base repaints the whole client area.
    virtual void OnUpdate(CView *pSender, LPARAM lHint, CObject *pHint);
    // Draws the document; a scroll view calls it from paintEvent.
    virtual void OnDraw(CDC *pDC) = 0;

    // The client area: the viewport, inside the scroll bars, with its origin at (0, 0).
    void GetClientRect(CRect *pRect) const;
    void Invalidate(BOOL bErase = TRUE);

    BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo) override;

    // Printing, called by the print loop in this order: OnPreparePrinting before the job
    // (FALSE ends it), OnBeginPrinting once, OnPrepareDC and OnPrint for every page,
    // OnEndPrinting once. The base OnPreparePrinting returns DoPreparePrinting; the base
    // OnPrint draws the view with OnDraw.
    virtual BOOL OnPreparePrinting(CPrintInfo *pInfo);
    virtual void OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo);
    virtual void OnPrepareDC(CDC *pDC, CPrintInfo *pInfo = nullptr);
    virtual void OnPrint(CDC *pDC, CPrintInfo *pInfo);
    virtual void OnEndPrinting(CDC *pDC, CPrintInfo *pInfo);
    // The print dialog on the application's printer (AfxGetPrinter), or nothing in preview.
    BOOL DoPreparePrinting(CPrintInfo *pInfo);

    // The framework's print commands, for the view's command table: the print dialog and
    // the pages chosen there, or the preview of every page.
    void OnFilePrint();
    void OnFilePrintPreview();

private:
    friend class CDocument;
    CDocument *m_pDocument = nullptr;
};
