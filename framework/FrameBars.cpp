// The frame's creation from the program's resources, its shared command actions, bars and
// their saved layout, and the idle update of the command states.

#include "framework/FrameWnd.h"

#include "framework/AfxRes.h"
#include "framework/CmdUI.h"
#include "framework/ResourceModule.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

const QString kLayoutKey = QStringLiteral("Layout");
const QString kStatusBarKey = QStringLiteral("StatusBar");

int g_nCanPlaceWindowsOverride = -1;

} // namespace

bool CFrameWnd::CanPlaceOwnWindows()
{
    if (g_nCanPlaceWindowsOverride >= 0)
        return g_nCanPlaceWindowsOverride != 0;
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void CFrameWnd::OverrideCanPlaceOwnWindows(int nCanPlace)
{
    g_nCanPlaceWindowsOverride = nCanPlace;
}

std::vector<CFrameWnd::BarPlace> CFrameWnd::BarPlaces() const
{
    std::vector<BarPlace> places;
    for (QToolBar *pBar : findChildren<QToolBar *>(Qt::FindDirectChildrenOnly))
        places.push_back({pBar, toolBarArea(pBar), pBar->isFloating(), pBar->isHidden()});
    return places;
}

QAction *CFrameWnd::GetCommandAction(UINT nID)
{
    if (auto it = m_commandActions.find(nID); it != m_commandActions.end())
        return it->second;
    auto *action = new QAction(this);
    AfxSetActionId(action, nID);
    const CString prompt = AfxLoadString(nID);
    action->setStatusTip(prompt.section(u'\n', 0, 0));
    action->setToolTip(prompt.section(u'\n', 1, 1));
    action->setIcon(AfxLoadIcon(nID));
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, nID] { RunCommand(nID); });
    m_commandActions.emplace(nID, action);
    return action;
}

BOOL CFrameWnd::RunCommand(UINT nID)
{
    // Shortcuts fire whatever the action showed when the state last changed: ask the
    // update rule now, so no route runs a command its rule disables.
    CCmdUI state(nID, GetCommandAction(nID));
    state.DoUpdate(this, TRUE);
    if (!state.m_bEnabled)
        return FALSE;
    OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
    // A command may change what the bars show: bring them up to date at once.
    OnIdleUpdateCmdUI();
    return TRUE;
}

void CFrameWnd::BuildMenus()
{
    const CResourceModule &resources = AfxGetResourceModule();
    menuBar()->clear();
    for (const MenuResource &menuResource : resources.menus) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(menuResource.title));
        for (const MenuItemResource &item : menuResource.items) {
            if (item.nID == 0) {
                menu->addSeparator();
                continue;
            }
            QAction *action = GetCommandAction(item.nID);
            action->setText(QString::fromUtf8(item.text));
            // Without a tooltip of its own an action would show its menu text.
            if (action->toolTip().isEmpty() || !AfxLoadString(item.nID).contains(u'\n'))
                action->setToolTip(action->text().section(u'\t', 0, 0).remove(u'&'));
            menu->addAction(action);
        }
        connect(menu, &QMenu::aboutToShow, this,
                [this, menu] { AfxUpdateActions(this, menu->actions()); });
    }
    for (const AcceleratorResource &accelerator : resources.accelerators) {
        // A command may have several keys, as Zoom In has Ctrl++ and Ctrl+=.
        QAction *action = GetCommandAction(accelerator.nID);
        action->setShortcuts(action->shortcuts() << QKeySequence(accelerator.key));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, CCreateContext *pContext)
{
    setWindowIcon(AfxLoadIcon(nIDResource));
    setWindowTitle(AfxGetAppName());
    BuildMenus();
    // The bars' show and hide commands, made before OnCreate makes the bars.
    const auto barCommand = [this](UINT nID, auto findBar) {
        ON_COMMAND(nID, [findBar] {
            if (QWidget *pBar = findBar())
                pBar->setVisible(pBar->isHidden());
        });
        ON_UPDATE_COMMAND_UI(nID, [findBar](CCmdUI *pCmdUI) {
            QWidget *pBar = findBar();
            pCmdUI->Enable(pBar != nullptr);
            pCmdUI->SetCheck(pBar && !pBar->isHidden());
        });
    };
    barCommand(ID_VIEW_TOOLBAR, [this] { return findChild<CToolBar *>(); });
    barCommand(ID_VIEW_STATUS_BAR, [this] { return findChild<CStatusBar *>(); });
    if (OnCreate(pContext) == -1)
        return FALSE;
    // Idle time is when the event loop is about to wait for the next event.
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CFrameWnd::OnIdleUpdateCmdUI);
    return TRUE;
}

void CFrameWnd::DockControlBar(CToolBar *pBar)
{
    if (pBar && toolBarArea(pBar) == Qt::NoToolBarArea)
        addToolBar(Qt::TopToolBarArea, pBar);
}

void CFrameWnd::SaveBarState(const CString &profileName) const
{
    if (CWinApp *pApp = AfxGetApp()) {
        // Bars docked only because this platform could not place them floating, and
        // left so, keep the record they came from: a later run on X11 floats them again.
        const bool untouched = !m_dockedLayout.isEmpty() && BarPlaces() == m_dockedPlaces;
        pApp->WriteProfileValue(profileName, kLayoutKey, untouched ? m_dockedLayout : saveState());
        if (auto *pStatusBar = findChild<CStatusBar *>())
            pApp->WriteProfileValue(profileName, kStatusBarKey, !pStatusBar->isHidden());
    }
}

void CFrameWnd::LoadBarState(const CString &profileName)
{
    CWinApp *pApp = AfxGetApp();
    if (!pApp)
        return;
    // A damaged record is ignored by restoreState, leaving the default layout.
    const QByteArray layout = pApp->GetProfileValue(profileName, kLayoutKey).toByteArray();
    restoreState(layout);
    // A Wayland client cannot place its own windows: a floating bar would land wherever
    // the compositor puts a new window, as often as not over the page. Docked at the
    // top instead, where a user looks for it.
    m_dockedLayout.clear();
    if (!CanPlaceOwnWindows()) {
        bool docked = false;
        for (QToolBar *pBar : findChildren<QToolBar *>(Qt::FindDirectChildrenOnly)) {
            if (pBar->isFloating()) {
                addToolBar(Qt::TopToolBarArea, pBar);
                docked = true;
            }
        }
        if (docked) {
            m_dockedLayout = layout;
            m_dockedPlaces = BarPlaces();
        }
    }
    const QVariant visible = pApp->GetProfileValue(profileName, kStatusBarKey);
    if (auto *pStatusBar = findChild<CStatusBar *>(); pStatusBar && visible.isValid())
        pStatusBar->setVisible(visible.toBool());
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    // Update handlers may pump events; one pass at a time.
    if (m_bInIdleUpdate)
        return;
    m_bInIdleUpdate = true;
    // Every command action, not only those on a visible bar: shortcuts act on the same
    // actions when the toolbar is hidden.
    for (const auto &[nID, pAction] : m_commandActions)
        CCmdUI(nID, pAction).DoUpdate(this, TRUE);
    if (auto *pStatusBar = findChild<CStatusBar *>(); pStatusBar && !pStatusBar->isHidden())
        pStatusBar->OnUpdateCmdUI(this, FALSE);
    m_bInIdleUpdate = false;
}
