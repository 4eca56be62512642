#pragma once

#include "platform/WinTypes.h"

class QKeyEvent;

// Virtual-key codes of the keys the views look at; letters and digits are their ASCII codes.
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;

// The virtual-key code of a key event, 0 for keys without one here.
UINT AfxVirtualKeyOf(const QKeyEvent *event);

// Nonzero (the high bit set) while the key is down. While a key event is being handled
// the modifier keys read as that event saw them, so a key and the state it was pressed in
// always agree; otherwise the keyboard is asked.
short GetAsyncKeyState(int vKey);

// Marks the key event being handled for GetAsyncKeyState, for a scope.
class CKeyEventScope
{
public:
    explicit CKeyEventScope(const QKeyEvent *event);
    ~CKeyEventScope();
    CKeyEventScope(const CKeyEventScope &) = delete;
    CKeyEventScope &operator=(const CKeyEventScope &) = delete;

private:
    const QKeyEvent *m_pPrevious;
};
