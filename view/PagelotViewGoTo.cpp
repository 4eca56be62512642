#include "view/PagelotView.h"

#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/FilePath.h"
#include "resources/Resource.h"
#include "view/FaxPropertiesDlg.h"
#include "view/GoToPageDlg.h"

#include <QFileInfo>

void CPagelotView::MapGoToPageCommand()
{
    ON_COMMAND(ID_PAGE_GOTO, &CPagelotView::OnPageGoTo);
    ON_UPDATE_COMMAND_UI(ID_PAGE_GOTO, &CPagelotView::OnUpdatePageGoTo);
    ON_COMMAND(ID_FILE_FAX_PROPERTIES, &CPagelotView::OnFaxProperties);
    ON_UPDATE_COMMAND_UI(ID_FILE_FAX_PROPERTIES, &CPagelotView::OnUpdateFaxProperties);
}

void CPagelotView::OnPageGoTo()
{
    CPagelotDoc *pDoc = GetDocument();
    if (!pDoc || pDoc->GetPageCount() < 1)
        return;
    CGoToPageDlg dialog(pDoc->GetCurrentPage() + 1, pDoc->GetPageCount(), window());
    if (dialog.exec() == QDialog::Accepted)
        pDoc->GoToPage(dialog.GetPage() - 1);
}

void CPagelotView::OnUpdatePageGoTo(CCmdUI *pCmdUI)
{
    CPagelotDoc *pDoc = GetDocument();
    pCmdUI->Enable(pDoc && pDoc->HasFile());
}

void CPagelotView::OnFaxProperties()
{
    CPagelotDoc *pDoc = GetDocument();
    if (!pDoc || !pDoc->GetDisplayPage().m_pPixels)
        return;
    // One at a time, for the fax shown when asked.
    if (m_pProperties)
        m_pProperties->close();
    m_pProperties = new CFaxPropertiesDlg(PathForDisplay(QFileInfo(pDoc->GetPath()).fileName()),
                                          ReadFaxFacts(pDoc->GetPath()), window());
    m_pProperties->show();
}

void CPagelotView::OnUpdateFaxProperties(CCmdUI *pCmdUI)
{
    CPagelotDoc *pDoc = GetDocument();
    pCmdUI->Enable(pDoc && pDoc->GetDisplayPage().m_pPixels);
}

CFaxPropertiesDlg *CPagelotView::GetFaxPropertiesDialog() const { return m_pProperties.data(); }
