#include "framework/StatusBar.h"

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceModule.h"

#include <QLabel>

// A pane of cxWidth pixels that still grows to its text: fonts here are larger than those
// the widths were chosen for, and a clipped "1728 x 2292 pixels" would tell the user nothing.
class CStatusBar::PaneLabel : public QLabel
{
public:
    using QLabel::QLabel;
    int m_cxWidth = 0;

    QSize sizeHint() const override { return QLabel::sizeHint().expandedTo(QSize(m_cxWidth, 0)); }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

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
    for (const Pane &pane : m_panes)
        delete pane.pLabel;
    m_panes.clear();
    for (int i = 0; i < nIDCount; ++i) {
        auto *label = new PaneLabel;
        m_panes.push_back({lpIDArray[i], label});
        if (lpIDArray[i] == ID_SEPARATOR) {
            // A normal widget: the status bar hides it while a prompt is shown.
            label->setText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
            addWidget(label, 1);
        } else {
            label->setText(AfxLoadString(lpIDArray[i]));
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            addPermanentWidget(label);
        }
    }
    return TRUE;
}

const CStatusBar::Pane *CStatusBar::Find(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? &m_panes[size_t(nIndex)] : nullptr;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    Pane &pane = m_panes[size_t(nIndex)];
    pane.nID = nID;
    pane.pLabel->m_cxWidth = cxWidth;
    pane.pLabel->updateGeometry();
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return Find(nIndex) ? Find(nIndex)->nID : ID_SEPARATOR;
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return Find(nIndex) ? Find(nIndex)->pLabel->text() : CString();
}

QLabel *CStatusBar::GetPane(int nIndex) const
{
    return Find(nIndex) ? Find(nIndex)->pLabel : nullptr;
}

int CStatusBar::GetPaneWidth(int nIndex) const
{
    return Find(nIndex) ? Find(nIndex)->pLabel->m_cxWidth : 0;
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget *pTarget, BOOL bDisableIfNoHndler)
{
    for (const Pane &pane : m_panes)
        if (pane.nID != ID_SEPARATOR)
            CCmdUI(pane.nID, nullptr, pane.pLabel).DoUpdate(pTarget, bDisableIfNoHndler);
}
