#include "framework/Printing.h"

#include "framework/PrintPreview.h"
#include "framework/PrintProgress.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

PrintDialogHook &printDialogHook()
{
    static PrintDialogHook hook;
    return hook;
}

PrintPreviewHook &printPreviewHook()
{
    static PrintPreviewHook hook;
    return hook;
}

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

// A new sheet starts from the device's own coordinates, as a printer's page does.
void resetForPage(CDC &dc, CPrintInfo &info)
{
    dc.SetMapMode(MM_TEXT);
    dc.SetViewportOrg(0, 0);
    info.m_rectDraw = CRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
}

} // namespace

BOOL RunPrintLoop(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info, QWidget *parent)
{
    // An empty range prints nothing: starting the job would still give a sheet.
    const UINT first = std::max(info.GetFromPage(), info.GetMinPage());
    const UINT last = std::min(info.GetToPage(), info.GetMaxPage());
    if (first > last)
        return FALSE;
    if (!info.m_strDocName.isEmpty())
        printer.setDocName(info.m_strDocName);
    QPainter painter;
    if (!painter.begin(&printer))
        return FALSE;
    CDC dc(painter);
    dc.m_bPrinting = TRUE;

    info.m_bContinuePrinting = TRUE;
    callbacks.OnBeginPrinting(&dc, &info);
    // One sheet per pass of the box's own event loop: the box repaints, and Cancel, a
    // request to quit or the close of the window printed from takes effect before the
    // next sheet starts.
    CPrintProgressDlg box(info.m_strDocName, last - first + 1, parent);
    UINT page = first;
    QTimer nextSheet;
    nextSheet.setSingleShot(true);
    QObject::connect(&nextSheet, &QTimer::timeout, &box, [&] {
        if (page > last || !info.m_bContinuePrinting || (page != first && !printer.newPage())) {
            box.accept();
            return;
        }
        box.SetSheet(page - first + 1);
        PrintSheet(dc, callbacks, info, page);
        ++page;
        nextSheet.start();
    });
    nextSheet.start();
    box.Run();
    nextSheet.stop();
    callbacks.OnEndPrinting(&dc, &info);
    // A cancelled job still ends the document properly: a PDF keeps the sheets done.
    const BOOL bEnded = painter.end() ? TRUE : FALSE;
    // The window printed from closes as it was asked to, once the command that printed
    // has returned.
    if (QWidget *owner = parent ? parent->window() : nullptr; owner && box.IsOwnerCloseRequested())
        QTimer::singleShot(0, owner, [owner] {
            if (owner->isVisible())
                owner->close();
        });
    return bEnded;
}

void PrintSheet(CDC &dc, CPrintCallbacks &callbacks, CPrintInfo &info, UINT page)
{
    info.m_nCurPage = page;
    resetForPage(dc, info);
    callbacks.OnPrepareDC(&dc, &info);
    callbacks.OnPrint(&dc, &info);
}

BOOL DoPreparePrinting(CPrintInfo *info, QPrinter &printer, QWidget *parent)
{
    if (!info)
        return FALSE;
    if (info->m_bPreview)
        return TRUE;
    // Every job starts from all pages: a range left on the shared printer by an
    // earlier job, perhaps of another file, would otherwise print only part of this one.
    printer.setPrintRange(QPrinter::AllPages);
    // Before the dialog, which proposes its file from these, not from the last job's.
    if (!info->m_strDocName.isEmpty())
        printer.setDocName(info->m_strDocName);
    // A native printer stays chosen: a file name would turn the job into a PDF.
    if (!info->m_strPdfFileName.isEmpty() && printer.outputFormat() == QPrinter::PdfFormat)
        printer.setOutputFileName(info->m_strPdfFileName);
    if (const PrintDialogHook &hook = printDialogHook())
        return hook(printer, *info);
    return showPrintDialog(printer, *info, parent);
}

void RunPrintPreview(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                     QWidget *parent)
{
    bool print = false;
    {
        CPrintPreviewDlg dialog(printer, callbacks, info, parent);
        // The preview takes the place of the window it was opened from, as big as
        // that, rather than a dialog's small default size.
        if (parent)
            dialog.setGeometry(parent->window()->geometry());
        if (const PrintPreviewHook &hook = printPreviewHook())
            hook(dialog);
        else
            dialog.exec();
        print = dialog.IsPrintRequested();
    }
    // The preview has ended its use of the callbacks before the job begins its own.
    if (print && DoPreparePrinting(&info, printer, parent))
        RunPrintLoop(printer, callbacks, info, parent);
}

void SetPrintDialogHook(PrintDialogHook hook) { printDialogHook() = std::move(hook); }

void SetPrintPreviewHook(PrintPreviewHook hook) { printPreviewHook() = std::move(hook); }
