#include "framework/CmdTarget.h"

#include "framework/CmdUI.h"

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo)
{
    return DispatchOwnCmdMsg(nID, nCode, pCmdUI, pHandlerInfo);
}

void CCmdTarget::ON_COMMAND(UINT nID, std::function<void()> handler)
{
    m_commandMap[nID] = std::move(handler);
}

void CCmdTarget::ON_UPDATE_COMMAND_UI(UINT nID, std::function<void(CCmdUI *)> handler)
{
    m_updateMap[nID] = std::move(handler);
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
    if (nCode != CN_COMMAND)
        return FALSE;
    auto it = m_commandMap.find(nID);
    if (it == m_commandMap.end())
        return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    // A copy, so a handler may replace its own map entry while it runs.
    auto handler = it->second;
    handler();
    return TRUE;
}
