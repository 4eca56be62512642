#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QAbstractScrollArea>

class CDC;
class CDocument;
class CFrameWnd;

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

private:
    friend class CDocument;
    CDocument *m_pDocument = nullptr;
};
