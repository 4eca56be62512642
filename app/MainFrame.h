#pragma once

#include "framework/FrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"

class CThumbnailPanel;

// The main window: menu, dockable toolbar, status bar with the three page panes, and the
// one view. Restores the bar layout at creation and saves it on close.
class CMainFrame : public CFrameWnd
{
    Q_OBJECT

public:
    CMainFrame();
    ~CMainFrame() override;

    void ShowToolbarTips(BOOL bShow) override;

    CToolBar &GetToolBar() { return m_wndToolBar; }
    CStatusBar &GetStatusBar() { return m_wndStatusBar; }
    CThumbnailPanel *GetThumbnailPanel() const { return m_pThumbnails; }

protected:
    int OnCreate(CCreateContext *pContext) override;
    void OnClose() override;
    // A double-click on the page number pane asks which page to go to.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void GroupRadioCommands();
    void CreateThumbnailPanel();

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CThumbnailPanel *m_pThumbnails = nullptr;
};
