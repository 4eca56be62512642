#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/ResourceModule.h"
#include "resources/Resource.h"

// The panes describe the page as read, whatever zoom, turn or smoothing shows it. Without
// a page they show their string-table text, as the status bar starts them.

void CPagelotDoc::OnUpdateIndicatorPage(CCmdUI *pCmdUI)
{
    pCmdUI->Enable();
    if (m_sourcePage.m_pPixels)
        pCmdUI->SetText(QString::asprintf("Page %d of %d", m_nCurrentPage + 1, m_nPageCount));
    else
        pCmdUI->SetText(AfxLoadString(ID_INDICATOR_PAGE));
}

void CPagelotDoc::OnUpdateIndicatorResolution(CCmdUI *pCmdUI)
{
    pCmdUI->Enable();
    if (m_sourcePage.m_pPixels)
        pCmdUI->SetText(QString::asprintf("%d x %d dpi", m_sourcePage.m_resolution.cx,
                                          m_sourcePage.m_resolution.cy));
    else
        pCmdUI->SetText(AfxLoadString(ID_INDICATOR_RESOLUTION));
}

void CPagelotDoc::OnUpdateIndicatorSize(CCmdUI *pCmdUI)
{
    pCmdUI->Enable();
    if (m_sourcePage.m_pPixels)
        pCmdUI->SetText(QString::asprintf("%d x %d pixels", m_sourcePage.m_size.cx,
                                          m_sourcePage.HeightAsRead()));
    else
        pCmdUI->SetText(AfxLoadString(ID_INDICATOR_SIZE));
}
