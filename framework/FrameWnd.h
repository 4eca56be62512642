#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QMainWindow>

class CDocument;
class CView;

// Base of the main window. Routes commands to the active view (and through it to the
// document), then to its own table, then to the application.
class CFrameWnd : public QMainWindow, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CFrameWnd(QWidget *parent = nullptr);
    ~CFrameWnd() override;

    CView *GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView *pView);
    // The active view's document, or null.
    CDocument *GetActiveDocument() const;

    // Switches the toolbar's tooltips; the application's main frame overrides it.
    virtual void ShowToolbarTips(BOOL bShow);

    // Titles the window "document title - application title" ("Untitled" for a document
    // without a title), or the application title alone without a document.
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);

    BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo) override;

private:
    CView *m_pActiveView = nullptr;
    QMetaObject::Connection m_activeViewDestroyed;
};
