#include "framework/StatusBar.h"

#include "framework/AfxRes.h"
#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/StringResources.h"

#include <QLabel>

namespace {

// A pane of cxWidth pixels that still grows to its text: fonts here are larger than those
// the widths were chosen for, and a clipped "1728 x 2292 pixels" would tell the user nothing.
class PaneLabel : public QLabel
{
public:
    using QLabel::QLabel;
    int m_cxWidth = 0;

    QSize sizeHint() const override
    {
        QSize hint = QLabel::sizeHint();
        hint.setWidth(std::max(hint.width(), m_cxWidth));
        return hint;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace

CStatusBar::CStatusBar() { setObjectName(QStringLiteral("StatusBar")); }

BOOL CStatusBar::Create(CFrameWnd *pParentWnd, DWORD, UINT)
{
    if (!pParentWnd)
        return FALSE;
    pParentWnd->setStatusBar(this);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT *lpIDArray, int nIDCount)
{
    if (!lpIDArray || nIDCount < 1)
        return FALSE;
    for (Pane &pane : m_panes) {
        removeWidget(pane.pLabel);
        delete pane.pLabel;
    }
    m_panes.clear();
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane;
        pane.nID = lpIDArray[i];
        auto *label = new PaneLabel;
        pane.pLabel = label;
        if (pane.nID == ID_SEPARATOR) {
            // A normal widget: the status bar hides it while a prompt is shown.
            label->setText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
            addWidget(label, 1);
        } else {
            label->setText(AfxLoadString(pane.nID));
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            addPermanentWidget(label);
        }
        m_panes.push_back(pane);
    }
    return TRUE;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    Pane &pane = m_panes[nIndex];
    pane.nID = nID;
    pane.cxWidth = cxWidth;
    auto *label = static_cast<PaneLabel *>(pane.pLabel);
    label->m_cxWidth = cxWidth;
    label->updateGeometry();
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].nID : ID_SEPARATOR;
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    QLabel *label = GetPane(nIndex);
    return label ? label->text() : CString();
}

QLabel *CStatusBar::GetPane(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].pLabel : nullptr;
}

int CStatusBar::GetPaneWidth(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].cxWidth : 0;
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget *pTarget, BOOL bDisableIfNoHndler)
{
    for (const Pane &pane : m_panes) {
        if (pane.nID == ID_SEPARATOR)
            continue;
        CPaneCmdUI state(pane.nID, pane.pLabel);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}
