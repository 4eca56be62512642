#include "framework/SystemMetrics.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include <map>

namespace {

std::map<int, int> g_overrides;

} // namespace

int GetSystemMetrics(int nIndex)
{
    if (auto it = g_overrides.find(nIndex); it != g_overrides.end())
        return it->second;
    switch (nIndex) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return QApplication::style()
                   ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent)
                   : 0;
    default:
        break;
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    switch (nIndex) {
    case SM_CXSCREEN:
        return screen->geometry().width();
    case SM_CYSCREEN:
        return screen->geometry().height();
    case SM_CXFULLSCREEN:
        return screen->availableGeometry().width();
    case SM_CYFULLSCREEN:
        return screen->availableGeometry().height();
    default:
        return 0;
    }
}

void AfxOverrideSystemMetric(int nIndex, int nValue) { g_overrides[nIndex] = nValue; }

void AfxResetSystemMetrics() { g_overrides.clear(); }
