#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <map>

using LPARAM = std::intptr_t;
using INT_PTR = std::intptr_t;

class CCmdUI;

// Root of the framework's object classes; hint objects of UpdateAllViews are of this type.
class CObject
{
public:
    virtual ~CObject() = default;
};

// Notification codes of OnCmdMsg: run the command, or ask for its user-interface state.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// Filled, instead of running the handler, when a caller only asks whether a command has one.
struct AFX_CMDHANDLERINFO
{
    class CCmdTarget *pTarget = nullptr;
};

// An object that answers commands by id. Each target keeps a table from command id to
// handler and from command id to update handler; OnCmdMsg looks there and then passes
// the message on along the routing order (view, document, frame, application).
class CCmdTarget : public CObject
{
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;

    // nCode CN_COMMAND runs the command (pCmdUI unused); with pHandlerInfo set it only
    // reports whether a handler exists. CN_UPDATE_COMMAND_UI calls the update handler with
    // pCmdUI. TRUE when this target or one it routes to answered.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo);

    // Runs command nID along the routing from this target; TRUE when some target handled it.
    BOOL ExecuteCommand(UINT nID) { return OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr); }

protected:
    // Message-map entries, registered in the constructor of the derived class:
    //     ON_COMMAND(ID_PAGE_NEXT, &CPagelotDoc::OnPageNext);
    //     ON_UPDATE_COMMAND_UI(ID_PAGE_NEXT, &CPagelotDoc::OnUpdatePageNext);
    template <class T> void ON_COMMAND(UINT nID, void (T::*handler)())
    {
        T *self = static_cast<T *>(this);
        m_commandMap[nID] = [self, handler] { (self->*handler)(); };
    }
    template <class T> void ON_UPDATE_COMMAND_UI(UINT nID, void (T::*handler)(CCmdUI *))
    {
        T *self = static_cast<T *>(this);
        m_updateMap[nID] = [self, handler](CCmdUI *pCmdUI) { (self->*handler)(pCmdUI); };
    }
    void ON_COMMAND(UINT nID, std::function<void()> handler);
    void ON_UPDATE_COMMAND_UI(UINT nID, std::function<void(CCmdUI *)> handler);

    // Looks only in this target's own tables; the routing overrides call it first.
    BOOL DispatchOwnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo);

private:
    std::map<UINT, std::function<void()>> m_commandMap;
    std::map<UINT, std::function<void(CCmdUI *)>> m_updateMap;
};
