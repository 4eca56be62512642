#include "framework/CmdUI.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void CCmdUI::Enable(BOOL bOn)
{
    m_bEnabled = bOn ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
    if (m_pAction)
        m_pAction->setEnabled(m_bEnabled);
    if (m_pPane)
        m_pPane->setEnabled(m_bEnabled);
}

void CCmdUI::SetCheck(int nCheck)
{
    m_nCheck = nCheck;
    m_bHasCheck = TRUE;
    m_bRadio = FALSE;
    if (m_pAction) {
        m_pAction->setCheckable(true);
        m_pAction->setChecked(nCheck != 0);
    }
}

void CCmdUI::SetRadio(BOOL bOn)
{
    SetCheck(bOn ? 1 : 0);
    m_bRadio = TRUE;
}

void CCmdUI::SetText(const CString &text)
{
    m_strText = text;
    if (m_pAction)
        m_pAction->setText(text);
    // Idle updates run after every event: leave the label alone when nothing changed.
    if (m_pPane && m_pPane->text() != text)
        m_pPane->setText(text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget *pTarget, BOOL bDisableIfNoHndler)
{
    if (!pTarget)
        return FALSE;
    m_bEnableChanged = FALSE;
    if (pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr))
        return TRUE;
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info;
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return FALSE;
}

void AfxSetActionId(QAction *pAction, UINT nID) { pAction->setData(QVariant::fromValue(nID)); }

UINT AfxGetActionId(const QAction *pAction) { return pAction->data().toUInt(); }

void AfxUpdateActions(CCmdTarget *pTarget, const QList<QAction *> &actions)
{
    for (QAction *pAction : actions)
        if (UINT nID = AfxGetActionId(pAction); nID != 0 && !pAction->menu())
            CCmdUI(nID, pAction).DoUpdate(pTarget, TRUE);
}
