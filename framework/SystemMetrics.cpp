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
    if (nIndex == SM_CXVSCROLL && QApplication::style())
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (nIndex == SM_CXFULLSCREEN && screen)
        return screen->availableGeometry().width();
    return 0;
}

void AfxOverrideSystemMetric(int nIndex, int nValue) { g_overrides[nIndex] = nValue; }

void AfxResetSystemMetrics() { g_overrides.clear(); }
