#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"
#include "framework/View.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <vector>

class QToolBar;

class CDocument;
class CToolBar;
struct CRuntimeClass;

// What the frame needs to make its view: the view's class and the document it shows.
struct CCreateContext
{
    const CRuntimeClass *m_pNewViewClass = nullptr;
    CDocument *m_pCurrentDoc = nullptr;
};

// Base of the main window. Routes commands to the active view (and through it to the
// document), then to its own table, then to the application.
class CFrameWnd : public QMainWindow, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CFrameWnd(QWidget *parent = nullptr)
        : QMainWindow(parent)
    {
    }
    ~CFrameWnd() override;

    CView *GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView *pView) { m_pActiveView = pView; }
    // The active view's document, or null.
    CDocument *GetActiveDocument() const;

    // Switches the toolbar's tooltips; the application's main frame overrides it.
    virtual void ShowToolbarTips(BOOL) {}

    // Titles the window "document title - application title" ("Untitled" for a document
    // without a title), or the application title alone without a document.
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);

    BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo) override;

    // Creation from resource nIDResource: menus and accelerators, icon, then OnCreate,
    // which makes the view of pContext. FALSE when OnCreate returns -1.
    BOOL LoadFrame(UINT nIDResource, CCreateContext *pContext = nullptr);
    // Sends the view its initial update, titles the frame and shows it.
    void InitialUpdateFrame(CDocument *pDoc, BOOL bMakeVisible);
    // Shows the frame, at most of the screen when it was hidden.
    void ActivateFrame();

    // The one action of command nID shared by menu, toolbar and shortcuts; made on first
    // use with its prompt as status tip and its tooltip from the string table.
    QAction *GetCommandAction(UINT nID);
    // Runs command nID as its menu item or key would: only when its update rule enables
    // it, then brings the bars up to date. FALSE, with nothing run, when it is disabled.
    BOOL RunCommand(UINT nID);

    void EnableDocking(DWORD) { setDockOptions(AnimatedDocks | AllowNestedDocks); }
    void DockControlBar(CToolBar *pBar);
    // The bar layout (toolbar docking side, position, floating place and visibility, and
    // the status bar's visibility) under settings group profileName.
    void SaveBarState(const CString &profileName) const;
    void LoadBarState(const CString &profileName);
    // Whether a window of this program can be put where it was (not on Wayland); where
    // not, bars saved floating are restored docked. Tests override it: 0 or 1, -1 resets.
    static bool CanPlaceOwnWindows();
    static void OverrideCanPlaceOwnWindows(int nCanPlace);

    // The idle update: toolbar buttons and status panes take their command states.
    void OnIdleUpdateCmdUI();

protected:
    // Builds the view of the creation context; -1 aborts the creation of the window.
    virtual int OnCreate(CCreateContext *pContext);
    // Closing the frame ends the application; derived frames save their state first.
    virtual void OnClose() {}
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildMenus();

    // Null once the view is gone: a view destroyed first is not routed to afterwards.
    QPointer<CView> m_pActiveView;
    std::map<UINT, QAction *> m_commandActions;
    bool m_bInIdleUpdate = false;
    bool m_bFirstExposeSeen = false;

    // Where each toolbar is: side, floating, hidden.
    struct BarPlace
    {
        const QToolBar *pBar;
        Qt::ToolBarArea area;
        bool bFloating;
        bool bHidden;
        bool operator==(const BarPlace &) const = default;
    };
    std::vector<BarPlace> BarPlaces() const;
    // The saved layout whose floating bars were docked at load, and where the bars were
    // then; empty when nothing was docked.
    QByteArray m_dockedLayout;
    std::vector<BarPlace> m_dockedPlaces;
};
