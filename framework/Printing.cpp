#include "framework/Printing.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
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
    dialog.setMinMax(int(info.GetMinPage()), int(info.GetMaxPage()));
    if (dialog.exec() != QDialog::Accepted)
        return FALSE;
    if (printer.printRange() == QPrinter::PageRange)
        info.SetPageRange(UINT(printer.fromPage()), UINT(printer.toPage()));
    else
        info.SetPageRange(0, 0);
    return TRUE;
}

// A new sheet starts from the device's own coordinates, as a printer's page does.
void resetForPage(CDC &dc, CPrintInfo &info)
{
    dc.SetMapMode(MM_TEXT);
    dc.SetViewportOrg(0, 0);
    info.m_rectDraw = CRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
}

// The preview paints its sheets into pictures; its print button hands over the
// printer itself, after its own print dialog, to print for real.
bool isPreviewing(QPrinter &printer)
{
    const QPaintEngine *engine = printer.paintEngine();
    return engine && engine->type() == QPaintEngine::Picture;
}

} // namespace

BOOL RunPrintLoop(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info)
{
    // An empty range prints nothing: starting the job would still give a sheet.
    const UINT first = std::max(info.GetFromPage(), info.GetMinPage());
    const UINT last = std::min(info.GetToPage(), info.GetMaxPage());
    if (first > last)
        return FALSE;
    QPainter painter;
    if (!painter.begin(&printer))
        return FALSE;
    CDC dc(painter);
    dc.m_bPrinting = TRUE;

    info.m_bContinuePrinting = TRUE;
    callbacks.OnBeginPrinting(&dc, &info);
    for (UINT page = first; page <= last && info.m_bContinuePrinting; ++page) {
        if (page != first && !printer.newPage())
            break;
        info.m_nCurPage = page;
        resetForPage(dc, info);
        callbacks.OnPrepareDC(&dc, &info);
        callbacks.OnPrint(&dc, &info);
    }
    callbacks.OnEndPrinting(&dc, &info);
    return painter.end() ? TRUE : FALSE;
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
    if (const PrintDialogHook &hook = printDialogHook())
        return hook(printer, *info);
    return showPrintDialog(printer, *info, parent);
}

void RunPrintPreview(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                     QWidget *parent)
{
    // Its print button's dialog starts from all pages too.
    printer.setPrintRange(QPrinter::AllPages);
    QPrintPreviewDialog dialog(&printer, parent);
    // The preview takes the place of the window it was opened from, as big as that,
    // rather than the dialog's small default size.
    if (parent)
        dialog.setGeometry(parent->window()->geometry());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        const bool preview = isPreviewing(*target);
        info.m_bPreview = preview ? TRUE : FALSE;
        if (!preview && target->printRange() == QPrinter::PageRange)
            info.SetPageRange(UINT(target->fromPage()), UINT(target->toPage()));
        else
            info.SetPageRange(0, 0);
        RunPrintLoop(*target, callbacks, info);
        info.m_bPreview = FALSE;
    });
    if (const PrintPreviewHook &hook = printPreviewHook())
        hook(dialog);
    else
        dialog.exec();
}

void SetPrintDialogHook(PrintDialogHook hook) { printDialogHook() = std::move(hook); }

void SetPrintPreviewHook(PrintPreviewHook hook) { printPreviewHook() = std::move(hook); }
