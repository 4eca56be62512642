#include "view/PagelotView.h"

#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "resources/Resource.h"
#include "view/GoToPageDlg.h"

void CPagelotView::MapGoToPageCommand()
{
    ON_COMMAND(ID_PAGE_GOTO, &CPagelotView::OnPageGoTo);
    ON_UPDATE_COMMAND_UI(ID_PAGE_GOTO, &CPagelotView::OnUpdatePageGoTo);
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
    pCmdUI->Enable(pDoc && pDoc->GetDisplayPage().m_pPixels && pDoc->GetPageCount() > 0);
}
