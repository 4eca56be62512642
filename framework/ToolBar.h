#pragma once

#include "framework/AfxRes.h"
#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QToolBar>

class CFrameWnd;

// Bar styles, with the framework's values.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | 0x0800;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | 0x0200;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;

// The dockable toolbar: one button per command id, sharing the frame's action for that
// id, so menu, toolbar and shortcut show one state. While the CBRS_TOOLTIPS bit is clear
// the buttons show no tooltips; their prompts in the status bar stay either way.
class CToolBar : public QToolBar
{
    Q_OBJECT

public:
    CToolBar();

    // Docks the bar at the top, or the bottom for CBRS_ALIGN_BOTTOM; shown with WS_VISIBLE.
    BOOL Create(CFrameWnd *pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT nID = AFX_IDW_TOOLBAR);
    // Adds the buttons of the program's toolbar resource, separators included.
    BOOL LoadToolBar(UINT nIDResource);

    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle);
    // Which frame edges the bar may dock at (CBRS_ALIGN_*); it may always float.
    void EnableDocking(DWORD dwDockStyle);

    // Button command ids in order, 0 for separators.
    int GetCount() const { return int(actions().size()); }
    UINT GetItemID(int nIndex) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void actionEvent(QActionEvent *event) override;

private:
    CFrameWnd *m_pFrame = nullptr;
    DWORD m_dwStyle = 0;
};
