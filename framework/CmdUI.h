#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QList>

class QAction;
class QLabel;

// The user-interface state of one command, set by its update handler. The base class
// records the last state asked for (tests read it); the bindings below also apply it to
// a QAction or to a status-bar pane.
class CCmdUI
{
public:
    explicit CCmdUI(UINT nID = 0)
        : m_nID(nID)
    {
    }
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked, 2 indeterminate (shown as checked).
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(const CString &text);

    // Asks the routing from pTarget for an update handler. Without one, a command that has
    // a handler somewhere on the route is enabled and any other is disabled, when
    // bDisableIfNoHndler says so. TRUE when an update handler answered.
    BOOL DoUpdate(CCmdTarget *pTarget, BOOL bDisableIfNoHndler);

    UINT m_nID = 0;
    BOOL m_bEnableChanged = FALSE;

    // The last state set; m_bHasCheck is TRUE once SetCheck or SetRadio was called.
    BOOL m_bEnabled = TRUE;
    int m_nCheck = 0;
    BOOL m_bHasCheck = FALSE;
    BOOL m_bRadio = FALSE;
    CString m_strText;
    BOOL m_bTextSet = FALSE;
};

// Binds the state to a menu or toolbar action: enabled, checkable and checked. A radio
// mark needs the action to sit in an exclusive QActionGroup to show as a bullet in menus.
class CActionCmdUI : public CCmdUI
{
public:
    CActionCmdUI(UINT nID, QAction *pAction);

    void Enable(BOOL bOn = TRUE) override;
    void SetCheck(int nCheck = 1) override;
    void SetRadio(BOOL bOn = TRUE) override;
    void SetText(const CString &text) override;

private:
    QAction *m_pAction;
};

// Binds the state to a status-bar pane shown as a label: enabled and text.
class CPaneCmdUI : public CCmdUI
{
public:
    CPaneCmdUI(UINT nID, QLabel *pLabel);

    void Enable(BOOL bOn = TRUE) override;
    void SetText(const CString &text) override;

private:
    QLabel *m_pLabel;
};

// Command ids travel on actions as QAction::data(); 0 means no command.
void AfxSetActionId(QAction *pAction, UINT nID);
UINT AfxGetActionId(const QAction *pAction);

// The update pass: runs the update handler of every action that carries a command id,
// routed from pTarget (normally the main frame). Wired to a menu's aboutToShow and to
// the idle processing of the toolbar.
void AfxUpdateActions(CCmdTarget *pTarget, const QList<QAction *> &actions,
                      BOOL bDisableIfNoHndler = TRUE);
