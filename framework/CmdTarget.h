#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

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

// An object that answers commands by id, from a table of handlers and one of update
// handlers. OnCmdMsg looks there, then passes the message on along the routing order
// (view, document, frame, application).
class CCmdTarget : public CObject
{
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;

    // CN_COMMAND runs the command, or with pHandlerInfo only reports whether it has a
    // handler; CN_UPDATE_COMMAND_UI calls the update handler with pCmdUI. TRUE when this
    // target or one it routes to answered.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo);

    BOOL ExecuteCommand(UINT nID) { return OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr); }

protected:
    // Table entries, registered by the derived class's constructor:
    //     ON_COMMAND(ID_PAGE_NEXT, &CPagelotDoc::OnPageNext);
    template <class T> void ON_COMMAND(UINT nID, void (T::*handler)())
    {
        ON_COMMAND(nID, std::bind_front(handler, static_cast<T *>(this)));
    }
    template <class T> void ON_UPDATE_COMMAND_UI(UINT nID, void (T::*handler)(CCmdUI *))
    {
        ON_UPDATE_COMMAND_UI(nID, std::bind_front(handler, static_cast<T *>(this)));
    }
    void ON_COMMAND(UINT nID, std::function<void()> handler)
    {
        m_commandMap[nID] = std::move(handler);
    }
    void ON_UPDATE_COMMAND_UI(UINT nID, std::function<void(CCmdUI *)> handler)
    {
        m_updateMap[nID] = std::move(handler);
    }

    // Looks only in this target's own tables; the routing overrides call it first.
    BOOL DispatchOwnCmdMsg(UINT nID, int nCode, CCmdUI *pCmdUI, AFX_CMDHANDLERINFO *pHandlerInfo);

private:
    std::map<UINT, std::function<void()>> m_commandMap;
    std::map<UINT, std::function<void(CCmdUI *)>> m_updateMap;
};
