#include "framework/Printing.h"

#include "framework/Dc.h"
#include "framework/Document.h"
#include "framework/PrintPreview.h"
#include "framework/PrintProgress.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

namespace {

PrintDialogHook g_printDialogHook;
PrintPreviewHook g_printPreviewHook;

BOOL showPrintDialog(QPrinter &printer, CPrintInfo &info, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    const bool offerShown =
        info.m_nShownPage >= info.GetMinPage() && info.m_nShownPage <= info.GetMaxPage();
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, offerShown);
    dialog.setMinMax(int(info.GetMinPage()), int(info.GetMaxPage()));
    if (dialog.exec() != QDialog::Accepted)
        return FALSE;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        info.SetPageRange(UINT(printer.fromPage()), UINT(printer.toPage()));
        break;
    case QPrinter::CurrentPage:
        info.SetPageRange(info.m_nShownPage, info.m_nShownPage);
        break;
    default:
        info.SetPageRange(0, 0);
        break;
    }
    return TRUE;
}

} // namespace

void SetPrintDialogHook(PrintDialogHook hook) { g_printDialogHook = std::move(hook); }

void SetPrintPreviewHook(PrintPreviewHook hook) { g_printPreviewHook = std::move(hook); }

BOOL CView::OnPreparePrinting(CPrintInfo *pInfo) { return DoPreparePrinting(pInfo); }

void CView::OnBeginPrinting(CDC *, CPrintInfo *) {}

void CView::OnPrepareDC(CDC *, CPrintInfo *) {}

void CView::OnPrint(CDC *pDC, CPrintInfo *) { OnDraw(pDC); }

void CView::OnEndPrinting(CDC *, CPrintInfo *) {}

BOOL CView::DoPreparePrinting(CPrintInfo *pInfo)
{
    if (pInfo->m_bPreview)
        return TRUE;
    QPrinter &printer = *AfxGetPrinter();
    // Every job starts from all pages: a range left on the shared printer by an
    // earlier job, perhaps of another file, would otherwise print only part of this one.
    printer.setPrintRange(QPrinter::AllPages);
    // Before the dialog, which proposes its file from these, not from the last job's.
    if (!pInfo->m_strDocName.isEmpty())
        printer.setDocName(pInfo->m_strDocName);
    // A native printer stays chosen: a file name would turn the job into a PDF.
    if (!pInfo->m_strPdfFileName.isEmpty() && printer.outputFormat() == QPrinter::PdfFormat)
        printer.setOutputFileName(pInfo->m_strPdfFileName);
    if (g_printDialogHook)
        return g_printDialogHook(printer, *pInfo);
    return showPrintDialog(printer, *pInfo, window());
}

void CView::PrintSheet(CDC *pDC, CPrintInfo *pInfo, UINT nPage)
{
    pInfo->m_nCurPage = nPage;
    // A new sheet starts from the device's own coordinates, as a printer's page does.
    pDC->SetMapMode(MM_TEXT);
    pDC->SetViewportOrg(0, 0);
    OnPrepareDC(pDC, pInfo);
    OnPrint(pDC, pInfo);
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (m_pDocument)
        info.m_strDocName = m_pDocument->GetTitle();
    if (!OnPreparePrinting(&info))
        return;
    const UINT first = info.GetFromPage();
    const UINT last = info.GetToPage();
    // An empty range prints nothing: starting the job would still give a sheet.
    if (first > last)
        return;
    QPrinter &printer = *AfxGetPrinter();
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    CDC dc(painter);
    dc.m_bPrinting = TRUE;
    OnBeginPrinting(&dc, &info);
    // One sheet per pass of the box's own event loop: the box repaints, and Cancel, a
    // request to quit or the close of the window printed from takes effect before the
    // next sheet starts.
    CPrintProgressDlg box(info.m_strDocName, last - first + 1, *window());
    UINT page = first;
    QTimer nextSheet;
    nextSheet.setSingleShot(true);
    QObject::connect(&nextSheet, &QTimer::timeout, &box, [&] {
        if (page > last || !info.m_bContinuePrinting || (page != first && !printer.newPage())) {
            box.accept();
            return;
        }
        box.SetSheet(page - first + 1);
        PrintSheet(&dc, &info, page);
        ++page;
        nextSheet.start();
    });
    nextSheet.start();
    box.Run();
    // OnEndPrinting may run a message box's event loop: no sheet may start in it.
    nextSheet.stop();
    OnEndPrinting(&dc, &info);
    // A cancelled job still ends the document properly: a PDF keeps the sheets done.
    painter.end();
    // The window printed from closes as it was asked to, once this command has returned.
    if (QWidget *owner = window(); box.IsOwnerCloseRequested())
        QTimer::singleShot(0, owner, [owner] {
            if (owner->isVisible())
                owner->close();
        });
}

void CView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (m_pDocument)
        info.m_strDocName = m_pDocument->GetTitle();
    if (!OnPreparePrinting(&info))
        return;
    {
        CPrintPreviewDlg dialog(*AfxGetPrinter(), *this, info);
        if (g_printPreviewHook)
            g_printPreviewHook(dialog);
        else
            dialog.exec();
        if (dialog.result() != QDialog::Accepted)
            return;
    }
    // The preview has ended its use of the overrides before the job begins its own.
    OnFilePrint();
}
