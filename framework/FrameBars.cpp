// The frame's creation from the program's resources, its shared command actions, bars and their
// saved layout, and the idle update of the command states.

#include "framework/FrameWnd.h"

#include "framework/AfxRes.h"
#include "framework/CmdUI.h"
#include "framework/Document.h"
#include "framework/ResourceModule.h"
#include "framework/RuntimeClass.h"
#include "framework/StatusBar.h"
#include "framework/StringResources.h"
#include "framework/ToolBar.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QWindow>

namespace {

const QString kLayoutKey = QStringLiteral("Layout");
const QString kStatusBarKey = QStringLiteral("StatusBar");

} // namespace

QAction *CFrameWnd::GetCommandAction(UINT nID)
{
    if (auto it = m_commandActions.find(nID); it != m_commandActions.end())
        return it->second;
    auto *action = new QAction(this);
    AfxSetActionId(action, nID);
    const CString prompt = AfxLoadString(nID);
    CString text;
    if (AfxExtractSubString(text, prompt, 0))
        action->setStatusTip(text);
    if (AfxExtractSubString(text, prompt, 1))
        action->setToolTip(text);
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
    CActionCmdUI state(nID, GetCommandAction(nID));
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
    QMenuBar *bar = menuBar();
    bar->clear();
    for (const MenuResource &menuResource : resources.menus) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(menuResource.title));
        for (const MenuItemResource &item : menuResource.items) {
            if (item.nID == 0) {
                menu->addSeparator();
                continue;
            }
            QAction *action = GetCommandAction(item.nID);
            action->setText(QString::fromUtf8(item.text));
            if (action->toolTip().isEmpty() || !AfxLoadString(item.nID).contains(u'\n')) {
                // Without a tooltip of its own an action would show its menu text.
                QString plain = action->text().section(u'\t', 0, 0);
                action->setToolTip(plain.remove(u'&'));
            }
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
    ON_COMMAND(ID_VIEW_TOOLBAR, [this] { OnBarCheck(findChild<CToolBar *>()); });
    ON_COMMAND(ID_VIEW_STATUS_BAR, [this] { OnBarCheck(findChild<CStatusBar *>()); });
    const auto updateBarCheck = [this](QWidget *pBar, CCmdUI *pCmdUI) {
        pCmdUI->Enable(pBar != nullptr);
        pCmdUI->SetCheck(pBar && !pBar->isHidden());
    };
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, [this, updateBarCheck](CCmdUI *pCmdUI) {
        updateBarCheck(findChild<CToolBar *>(), pCmdUI);
    });
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, [this, updateBarCheck](CCmdUI *pCmdUI) {
        updateBarCheck(findChild<CStatusBar *>(), pCmdUI);
    });
    if (OnCreate(pContext) == -1)
        return FALSE;
    // Idle time is when the event loop is about to wait for the next event.
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CFrameWnd::OnIdleUpdateCmdUI);
    return TRUE;
}

int CFrameWnd::OnCreate(CCreateContext *pContext) { return OnCreateClient(pContext) ? 0 : -1; }

BOOL CFrameWnd::OnCreateClient(CCreateContext *pContext)
{
    if (!pContext || !pContext->m_pNewViewClass)
        return TRUE;
    CObject *pObject = pContext->m_pNewViewClass->CreateObject();
    auto *pView = dynamic_cast<CView *>(pObject);
    if (!pView) {
        delete pObject;
        return FALSE;
    }
    setCentralWidget(pView);
    if (pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(pView);
    SetActiveView(pView);
    return TRUE;
}

void CFrameWnd::InitialUpdateFrame(CDocument *pDoc, BOOL bMakeVisible)
{
    if (CView *pView = GetActiveView())
        pView->OnInitialUpdate();
    OnUpdateFrameTitle(pDoc != nullptr);
    if (bMakeVisible) {
        ActivateFrame();
        if (CView *pView = GetActiveView())
            pView->setFocus();
    }
    OnIdleUpdateCmdUI();
}

void CFrameWnd::ActivateFrame()
{
    // A new main window takes most of the screen, as the platform's default size does.
    if (!isVisible()) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            resize(area.width() * 3 / 4, area.height() * 3 / 4);
            move(area.topLeft() + QPoint(area.width() / 16, area.height() / 16));
        }
    }
    show();
}

void CFrameWnd::EnableDocking(DWORD)
{
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
}

void CFrameWnd::DockControlBar(CToolBar *pBar)
{
    if (pBar && toolBarArea(pBar) == Qt::NoToolBarArea)
        addToolBar(Qt::TopToolBarArea, pBar);
}

void CFrameWnd::SaveBarState(const CString &profileName) const
{
    CWinApp *pApp = AfxGetApp();
    if (!pApp)
        return;
    pApp->WriteProfileValue(profileName, kLayoutKey, saveState());
    if (auto *pStatusBar = findChild<CStatusBar *>())
        pApp->WriteProfileValue(profileName, kStatusBarKey, !pStatusBar->isHidden());
}

void CFrameWnd::LoadBarState(const CString &profileName)
{
    CWinApp *pApp = AfxGetApp();
    if (!pApp)
        return;
    const QByteArray layout = pApp->GetProfileValue(profileName, kLayoutKey).toByteArray();
    // A damaged record is ignored by restoreState, leaving the default layout.
    if (!layout.isEmpty())
        restoreState(layout);
    if (auto *pStatusBar = findChild<CStatusBar *>()) {
        const QVariant visible = pApp->GetProfileValue(profileName, kStatusBarKey);
        if (visible.isValid())
            pStatusBar->setVisible(visible.toBool());
    }
}

void CFrameWnd::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_bFirstExposeSeen && !event->spontaneous())
        if (QWindow *window = windowHandle())
            window->installEventFilter(this);
}

bool CFrameWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && !m_bFirstExposeSeen
        && windowHandle()->isExposed()) {
        m_bFirstExposeSeen = true;
        watched->removeEventFilter(this);
        RemapFloatingBars();
    }
    return QMainWindow::eventFilter(watched, event);
}

// A restored floating bar is mapped while the frame is still hidden. The window manager
// reads WM_TRANSIENT_FOR when it takes a window on, finds no frame to keep the bar above,
// and stacks the frame over it from then on. Mapped again once the frame is on screen,
// the bar is the frame's tool window and stays above it.
void CFrameWnd::RemapFloatingBars()
{
    for (QToolBar *pBar : findChildren<QToolBar *>(Qt::FindDirectChildrenOnly)) {
        if (!pBar->isFloating() || !pBar->isVisible())
            continue;
        pBar->hide();
        pBar->show();
    }
}

void CFrameWnd::OnBarCheck(QWidget *pBar)
{
    if (pBar)
        pBar->setVisible(pBar->isHidden());
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    // Update handlers may pump events; one pass at a time.
    if (m_bInIdleUpdate)
        return;
    m_bInIdleUpdate = true;
    // Every command action, not only those on a visible bar: shortcuts act on the same
    // actions when the toolbar is hidden.
    QList<QAction *> actions;
    actions.reserve(qsizetype(m_commandActions.size()));
    for (const auto &[nID, pAction] : m_commandActions)
        actions << pAction;
    AfxUpdateActions(this, actions);
    if (auto *pStatusBar = findChild<CStatusBar *>(); pStatusBar && !pStatusBar->isHidden())
        pStatusBar->OnUpdateCmdUI(this, FALSE);
    m_bInIdleUpdate = false;
}

void CFrameWnd::OnClose() {}

void CFrameWnd::closeEvent(QCloseEvent *event)
{
    OnClose();
    event->accept();
}
