#include "framework/CmdTarget.h"

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo)
{
    return DispatchOwnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo);
}

BOOL CCmdTarget::DispatchOwnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI,
                                   AFX_CMDHANDLERINFO *pHandlerInfo)
{
    if (nCode == CN_UPDATE_COMMAND_UI) {
        auto it = m_updateMap.find(nID);
        if (it == m_updateMap.end() || !pCmdUI)
            return FALSE;
        it->second(pCmdUI);
        return TRUE;
    }
    auto it = m_commandMap.find(nID);
    if (nCode != CN_COMMAND || it == m_commandMap.end())
        return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    // A copy, so a handler may replace its own table entry while it runs.
    auto handler = it->second;
    handler();
    return TRUE;
}
