#pragma once

#include "framework/AfxRes.h"
#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QStatusBar>

#include <vector>

class CCmdTarget;
class CFrameWnd;
class QLabel;

constexpr UINT ID_SEPARATOR = 0;
constexpr UINT SBPS_NORMAL = 0x0000;

// The status bar: a message pane that stretches, showing the prompt of the menu item or
// button under the pointer and the idle text "Ready" otherwise, then fixed panes bound to
// command ids whose texts come from update handlers at idle time.
class CStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    CStatusBar() { setObjectName(QStringLiteral("StatusBar")); }

    BOOL Create(CFrameWnd *pParentWnd, DWORD dwStyle = 0, UINT nID = AFX_IDW_STATUS_BAR);
    // Index 0 is the message pane (ID_SEPARATOR); the others start with their
    // string-table text.
    BOOL SetIndicators(const UINT *lpIDArray, int nIDCount);
    // A pane is at least cxWidth pixels wide, and wider when its text needs it.
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);

    int GetCount() const { return int(m_panes.size()); }
    UINT GetItemID(int nIndex) const;
    CString GetPaneText(int nIndex) const;
    // The label of pane nIndex (0 is the idle message), or null.
    QLabel *GetPane(int nIndex) const;
    int GetPaneWidth(int nIndex) const;

    // The idle update of the panes, routed from pTarget.
    void OnUpdateCmdUI(CCmdTarget *pTarget, BOOL bDisableIfNoHndler);

private:
    class PaneLabel;
    struct Pane
    {
        UINT nID;
        PaneLabel *pLabel;
    };
    const Pane *Find(int nIndex) const;

    std::vector<Pane> m_panes;
};
