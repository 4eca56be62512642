#pragma once

// Printing and print preview as the framework offers them to a view: the print
// information record, the print dialog, and one page loop that drives both the
// printer and the preview.

#include "framework/Dc.h"
#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <functional>

class CPrintPreviewDlg;
class QPrinter;
class QWidget;

// Pages are counted from 1. The dialog offers GetMinPage() to GetMaxPage(); the
// range chosen there is GetFromPage() to GetToPage().
class CPrintInfo
{
public:
    void SetMaxPage(UINT page) { m_nMaxPage = page; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return m_nFromPage ? m_nFromPage : m_nMinPage; }
    UINT GetToPage() const { return m_nToPage ? m_nToPage : m_nMaxPage; }
    void SetPageRange(UINT from, UINT to)
    {
        m_nFromPage = from;
        m_nToPage = to;
    }

    UINT m_nCurPage = 1;
    BOOL m_bPreview = FALSE;
    // Cleared by OnPrepareDC or OnPrint to end the loop after the current page.
    BOOL m_bContinuePrinting = TRUE;
    // The printable area of the sheet in logical units, set before each OnPrint.
    CRect m_rectDraw;
    // The document printed, named in the progress box and as the job's name (the title
    // of a PDF); set before the dialog, which proposes a file name from it.
    CString m_strDocName;
    // The page being read, which the dialog offers as "Current page"; 0 offers none.
    UINT m_nShownPage = 0;
    // The file proposed when the printer writes PDF; empty leaves the printer's own.
    CString m_strPdfFileName;

private:
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF;
    UINT m_nFromPage = 0; // 0: the whole range
    UINT m_nToPage = 0;
};

// What the loop calls, in this order: OnBeginPrinting once, then for every page
// OnPrepareDC and OnPrint, then OnEndPrinting once.
class CPrintCallbacks
{
public:
    virtual ~CPrintCallbacks() = default;
    virtual void OnBeginPrinting(CDC *, CPrintInfo *) {}
    virtual void OnPrepareDC(CDC *, CPrintInfo *) {}
    virtual void OnPrint(CDC *dc, CPrintInfo *info) = 0;
    virtual void OnEndPrinting(CDC *, CPrintInfo *) {}
};

// Prints GetFromPage() to GetToPage() (kept within the minimum and maximum), one
// sheet per page, with a device context on the printer: GetDeviceCaps(LOGPIXELSX) is
// the printer's resolution. Each sheet starts in MM_TEXT with the origin at 0. While it
// runs, a "Printing" box shows the progress and parent's window takes no input; Cancel,
// anything closing the box, or a request to close parent's window ends the job after the
// current sheet and keeps the sheets done. That window then closes once the caller has
// returned to the event loop. FALSE, with no callback made, when the range is empty or
// the printer cannot start.
BOOL RunPrintLoop(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                  QWidget *parent = nullptr);

// Starts sheet `page` on the context (MM_TEXT, origin at 0, m_rectDraw the device's
// area) and draws it with OnPrepareDC and OnPrint.
void PrintSheet(CDC &dc, CPrintCallbacks &callbacks, CPrintInfo &info, UINT page);

// Shows the print dialog for the printer with the range GetMinPage() to
// GetMaxPage(), all pages chosen at first (and m_nShownPage offered as the current page),
// and stores the range chosen. The printer takes m_strDocName and, when it writes PDF,
// m_strPdfFileName first. FALSE when the user cancels. In preview no dialog is shown.
BOOL DoPreparePrinting(CPrintInfo *info, QPrinter &printer, QWidget *parent = nullptr);

// Shows the preview of the pages GetMinPage() to GetMaxPage(), one or two sheets at
// a time, each drawn through the same callbacks when it is shown (m_bPreview set
// meanwhile). Its Print button closes it and prints with the print dialog, as the
// Print command does.
void RunPrintPreview(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                     QWidget *parent = nullptr);

// Seams for headless runs: a replacement for the print dialog (return FALSE to
// cancel; it may set the page range) and for showing the preview dialog (instead
// of its modal exec). An empty function restores the real dialog.
using PrintDialogHook = std::function<BOOL(QPrinter &printer, CPrintInfo &info)>;
using PrintPreviewHook = std::function<void(CPrintPreviewDlg &dialog)>;
void SetPrintDialogHook(PrintDialogHook hook);
void SetPrintPreviewHook(PrintPreviewHook hook);
