#include "framework/CmdUI.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void CCmdUI::Enable(BOOL bOn)
{
    m_bEnabled = bOn ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    m_nCheck = nCheck;
    m_bHasCheck = TRUE;
    m_bRadio = FALSE;
}

void CCmdUI::SetRadio(BOOL bOn)
{
    m_nCheck = bOn ? 1 : 0;
    m_bHasCheck = TRUE;
    m_bRadio = TRUE;
}

void CCmdUI::SetText(const CString &text)
{
    m_strText = text;
    m_bTextSet = TRUE;
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

CActionCmdUI::CActionCmdUI(UINT nID, QAction *pAction)
    : CCmdUI(nID)
    , m_pAction(pAction)
{
}

void CActionCmdUI::Enable(BOOL bOn)
{
    CCmdUI::Enable(bOn);
    m_pAction->setEnabled(bOn != FALSE);
}

void CActionCmdUI::SetCheck(int nCheck)
{
    CCmdUI::SetCheck(nCheck);
    m_pAction->setCheckable(true);
    m_pAction->setChecked(nCheck != 0);
}

void CActionCmdUI::SetRadio(BOOL bOn)
{
    CCmdUI::SetRadio(bOn);
    m_pAction->setCheckable(true);
    m_pAction->setChecked(bOn != FALSE);
}

void CActionCmdUI::SetText(const CString &text)
{
    CCmdUI::SetText(text);
    m_pAction->setText(text);
}

CPaneCmdUI::CPaneCmdUI(UINT nID, QLabel *pLabel)
    : CCmdUI(nID)
    , m_pLabel(pLabel)
{
}

void CPaneCmdUI::Enable(BOOL bOn)
{
    CCmdUI::Enable(bOn);
    m_pLabel->setEnabled(bOn != FALSE);
}

void CPaneCmdUI::SetText(const CString &text)
{
    CCmdUI::SetText(text);
    // Idle updates run after every event: leave the label alone when nothing changed.
    if (m_pLabel->text() != text)
        m_pLabel->setText(text);
}

void AfxSetActionId(QAction *pAction, UINT nID) { pAction->setData(QVariant::fromValue(nID)); }

UINT AfxGetActionId(const QAction *pAction)
{
    bool ok = false;
    UINT nID = pAction->data().toUInt(&ok);
    return ok ? nID : 0;
}

void AfxUpdateActions(CCmdTarget *pTarget, const QList<QAction *> &actions, BOOL bDisableIfNoHndler)
{
    for (QAction *pAction : actions) {
        if (pAction->isSeparator() || pAction->menu())
            continue;
        UINT nID = AfxGetActionId(pAction);
        if (nID == 0)
            continue;
        CActionCmdUI state(nID, pAction);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}
