#include "framework/ToolBar.h"

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceModule.h"

#include <QActionEvent>
#include <QToolButton>

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
    setParent(pParentWnd);
    m_dwStyle = dwStyle & ~(WS_CHILD | WS_VISIBLE);
    Qt::ToolBarArea area = Qt::TopToolBarArea;
    if (dwStyle & CBRS_ALIGN_BOTTOM)
        area = Qt::BottomToolBarArea;
    else if (dwStyle & CBRS_ALIGN_LEFT)
        area = Qt::LeftToolBarArea;
    else if (dwStyle & CBRS_ALIGN_RIGHT)
        area = Qt::RightToolBarArea;
    pParentWnd->addToolBar(area, this);
    setVisible((dwStyle & WS_VISIBLE) != 0);
    SetBarStyle(m_dwStyle);
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
    if (dwDockStyle & CBRS_ALIGN_TOP)
        areas |= Qt::TopToolBarArea;
    if (dwDockStyle & CBRS_ALIGN_BOTTOM)
        areas |= Qt::BottomToolBarArea;
    if (dwDockStyle & CBRS_ALIGN_LEFT)
        areas |= Qt::LeftToolBarArea;
    if (dwDockStyle & CBRS_ALIGN_RIGHT)
        areas |= Qt::RightToolBarArea;
    setAllowedAreas(areas);
    setFloatable(true);
}

int CToolBar::GetCount() const { return static_cast<int>(actions().size()); }

UINT CToolBar::GetItemID(int nIndex) const
{
    const QList<QAction *> items = actions();
    if (nIndex < 0 || nIndex >= items.size() || items[nIndex]->isSeparator())
        return 0;
    return AfxGetActionId(items[nIndex]);
}

void CToolBar::actionEvent(QActionEvent *event)
{
    QToolBar::actionEvent(event);
    // Watch every button as it is made, to hold back its tooltips when they are off.
    if (event->type() == QEvent::ActionAdded) {
        if (QWidget *button = widgetForAction(event->action()))
            button->installEventFilter(this);
    }
}

bool CToolBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !(m_dwStyle & CBRS_TOOLTIPS))
        return true;
    return QToolBar::eventFilter(watched, event);
}
