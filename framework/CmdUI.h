#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QList>

class QAction;
class QLabel;

// The user-interface state of one command, set by its update handler: recorded here
// (tests read it) and applied to the action or status-bar pane it is bound to, if any.
class CCmdUI
{
public:
    explicit CCmdUI(UINT nID = 0, QAction *pAction = nullptr, QLabel *pPane = nullptr)
        : m_nID(nID)
        , m_pAction(pAction)
        , m_pPane(pPane)
    {
    }

    void Enable(BOOL bOn = TRUE);
    // 0 unchecked, else checked.
    void SetCheck(int nCheck = 1);
    // A radio mark shows as a bullet in a menu only on an action of an exclusive group.
    void SetRadio(BOOL bOn = TRUE);
    void SetText(const CString &text);

    // Asks the routing from pTarget for an update handler. Without one, a command that has
    // a handler somewhere on the route is enabled and any other is disabled, when
    // bDisableIfNoHndler says so. TRUE when an update handler answered.
    BOOL DoUpdate(CCmdTarget *pTarget, BOOL bDisableIfNoHndler);

    UINT m_nID;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bEnabled = TRUE;
    int m_nCheck = 0;
    // TRUE once SetCheck or SetRadio was called.
    BOOL m_bHasCheck = FALSE;
    BOOL m_bRadio = FALSE;
    CString m_strText;

private:
    QAction *m_pAction;
    QLabel *m_pPane;
};

// Command ids travel on actions as QAction::data(); 0 means no command.
void AfxSetActionId(QAction *pAction, UINT nID);
UINT AfxGetActionId(const QAction *pAction);

// The update pass over the actions that carry a command id, routed from pTarget.
void AfxUpdateActions(CCmdTarget *pTarget, const QList<QAction *> &actions);
