#include "framework/ToolBar.h"

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceModule.h"

#include <QActionEvent>

CToolBar::CToolBar()
{
    setObjectName(QStringLiteral("ToolBar"));
    setWindowTitle(tr("Toolbar"));
    setIconSize(QSize(16, 15));
}

BOOL CToolBar::Create(CFrameWnd *pParentWnd, DWORD dwStyle, UINT)
{
    if (!pParentWnd)
        return FALSE;
    m_pFrame = pParentWnd;
    pParentWnd->addToolBar(
        (dwStyle & CBRS_ALIGN_BOTTOM) ? Qt::BottomToolBarArea : Qt::TopToolBarArea, this);
    setVisible((dwStyle & WS_VISIBLE) != 0);
    SetBarStyle(dwStyle & ~(WS_CHILD | WS_VISIBLE));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT)
{
    if (!m_pFrame)
        return FALSE;
    clear();
    for (UINT nID : AfxGetResourceModule().toolBar) {
        if (nID == 0)
            addSeparator();
        else
            addAction(m_pFrame->GetCommandAction(nID));
    }
    return TRUE;
}

void CToolBar::SetBarStyle(DWORD dwStyle)
{
    m_dwStyle = dwStyle;
    setMovable((dwStyle & CBRS_GRIPPER) != 0);
}

void CToolBar::EnableDocking(DWORD dwDockStyle)
{
    Qt::ToolBarAreas areas;
    areas.setFlag(Qt::TopToolBarArea, dwDockStyle & CBRS_ALIGN_TOP);
    areas.setFlag(Qt::BottomToolBarArea, dwDockStyle & CBRS_ALIGN_BOTTOM);
    areas.setFlag(Qt::LeftToolBarArea, dwDockStyle & CBRS_ALIGN_LEFT);
    areas.setFlag(Qt::RightToolBarArea, dwDockStyle & CBRS_ALIGN_RIGHT);
    setAllowedAreas(areas);
    setFloatable(true);
}

UINT CToolBar::GetItemID(int nIndex) const
{
    const QList<QAction *> items = actions();
    return nIndex >= 0 && nIndex < items.size() ? AfxGetActionId(items[nIndex]) : 0;
}

void CToolBar::actionEvent(QActionEvent *event)
{
    QToolBar::actionEvent(event);
    // Watch every button as it is made, to hold back its tooltips when they are off.
    if (event->type() == QEvent::ActionAdded)
        if (QWidget *button = widgetForAction(event->action()))
            button->installEventFilter(this);
}

bool CToolBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !(m_dwStyle & CBRS_TOOLTIPS))
        return true;
    return QToolBar::eventFilter(watched, event);
}
