#include "app/MainFrame.h"

#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "view/PagelotView.h"
#include "view/ThumbnailPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QLabel>

#include <vector>

namespace {

const UINT kIndicators[] = {
    ID_SEPARATOR, // message pane
    ID_INDICATOR_PAGE,
    ID_INDICATOR_RESOLUTION,
    ID_INDICATOR_SIZE,
};

const QString kBarState = QStringLiteral("BarState");

} // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate(CCreateContext *pContext)
{
    if (CFrameWnd::OnCreate(pContext) == -1)
        return -1;

    if (!m_wndToolBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR)
        || !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)
        || !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;
    m_wndStatusBar.SetPaneInfo(1, ID_INDICATOR_PAGE, SBPS_NORMAL, 80);
    m_wndStatusBar.SetPaneInfo(2, ID_INDICATOR_RESOLUTION, SBPS_NORMAL, 80);
    m_wndStatusBar.SetPaneInfo(3, ID_INDICATOR_SIZE, SBPS_NORMAL, 100);
    m_wndStatusBar.GetPane(1)->installEventFilter(this);

    const BOOL bTips = CPagelotDoc::ReadEnableTipsSetting();
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_GRIPPER
                             | (bTips ? CBRS_TOOLTIPS : 0));

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    CreateThumbnailPanel();

    LoadBarState(kBarState);
    GroupRadioCommands();
    return 0;
}

// Radio marks show as bullets in a menu only for actions of one exclusive group; none of
// a group may be marked (the fit modes mark no zoom item).
void CMainFrame::GroupRadioCommands()
{
    std::vector<UINT> zoomGroup;
    for (const ZoomModeInfo &zoom : ZoomModes())
        if (zoom.bRadio)
            zoomGroup.push_back(zoom.nID);
    const std::vector<UINT> groups[] = {
        zoomGroup,
        {ID_ROTATE_NONE, ID_ROTATE_LEFT, ID_ROTATE_RIGHT, ID_ROTATE_UPSIDEDOWN},
    };
    for (const auto &ids : groups) {
        auto *group = new QActionGroup(this);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        for (UINT nID : ids)
            group->addAction(GetCommandAction(nID));
    }
}

// Off until the user shows it; the saved bar layout then restores where it was.
void CMainFrame::CreateThumbnailPanel()
{
    m_pThumbnails = new CThumbnailPanel(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_pThumbnails);
    m_pThumbnails->hide();
    if (auto *pView = dynamic_cast<CPagelotView *>(GetActiveView())) {
        connect(pView, &CPagelotView::documentUpdated, m_pThumbnails,
                &CThumbnailPanel::SyncWithDocument);
        m_pThumbnails->SetDocument(pView->GetDocument());
    }
    ON_COMMAND(ID_VIEW_THUMBNAILS,
               [this] { m_pThumbnails->setVisible(m_pThumbnails->isHidden()); });
    ON_UPDATE_COMMAND_UI(ID_VIEW_THUMBNAILS, [this](CCmdUI *pCmdUI) {
        pCmdUI->Enable(TRUE);
        pCmdUI->SetCheck(!m_pThumbnails->isHidden());
    });
}

void CMainFrame::OnClose()
{
    SaveBarState(kBarState);
    CFrameWnd::OnClose();
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_wndStatusBar.GetPane(1)) {
        // The command's update rule decides, as for Ctrl+G.
        RunCommand(ID_PAGE_GOTO);
        return true;
    }
    return CFrameWnd::eventFilter(watched, event);
}

void CMainFrame::ShowToolbarTips(BOOL bShow)
{
    DWORD dwStyle = m_wndToolBar.GetBarStyle();
    if (bShow)
        dwStyle |= CBRS_TOOLTIPS;
    else
        dwStyle &= ~CBRS_TOOLTIPS;
    m_wndToolBar.SetBarStyle(dwStyle);
}
