#include "framework/KeyState.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

const QKeyEvent *g_pCurrentKeyEvent = nullptr;

} // namespace

UINT AfxVirtualKeyOf(const QKeyEvent *event)
{
    const int key = event->key();
    switch (key) {
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    default:
        break;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<UINT>(key);
    return 0;
}

short GetAsyncKeyState(int vKey)
{
    Qt::KeyboardModifier modifier;
    switch (vKey) {
    case VK_CONTROL:
        modifier = Qt::ControlModifier;
        break;
    case VK_SHIFT:
        modifier = Qt::ShiftModifier;
        break;
    case VK_MENU:
        modifier = Qt::AltModifier;
        break;
    default:
        return 0;
    }
    const Qt::KeyboardModifiers held = g_pCurrentKeyEvent
                                           ? g_pCurrentKeyEvent->modifiers()
                                           : QGuiApplication::queryKeyboardModifiers();
    return held.testFlag(modifier) ? static_cast<short>(0x8000) : 0;
}

CKeyEventScope::CKeyEventScope(const QKeyEvent *event)
    : m_pPrevious(g_pCurrentKeyEvent)
{
    g_pCurrentKeyEvent = event;
}

CKeyEventScope::~CKeyEventScope() { g_pCurrentKeyEvent = m_pPrevious; }
