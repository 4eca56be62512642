#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"

// The panes describe the page as read, whatever zoom, turn or smoothing shows it.

void CPagelotDoc::OnUpdateIndicatorPage(CCmdUI *pCmdUI)
{
    pCmdUI->Enable();
    if (m_sourcePage.m_pPixels)
        pCmdUI->SetText(QString::asprintf("Page %d of %d", m_nCurrentPage + 1, m_nPageCount));
    else
        pCmdUI->SetText(QStringLiteral("Page 0 of 0"));
}

void CPagelotDoc::OnUpdateIndicatorResolution(CCmdUI *pCmdUI)
{
    pCmdUI->Enable();
    if (m_sourcePage.m_pPixels)
        pCmdUI->SetText(QString::asprintf("%d x %d dpi", m_sourcePage.m_resolution.cx,
                                          m_sourcePage.m_resolution.cy));
    else
        pCmdUI->SetText(QStringLiteral("0 x 0 dpi"));
}

void CPagelotDoc::OnUpdateIndicatorSize(CCmdUI *pCmdUI)
{
    pCmdUI->Enable();
    if (m_sourcePage.m_pPixels)
        pCmdUI->SetText(
            QString::asprintf("%d x %d pixels", m_sourcePage.m_size.cx, m_sourcePage.m_size.cy));
    else
        pCmdUI->SetText(QStringLiteral("0 x 0 pixels"));
}
