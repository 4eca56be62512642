#pragma once

// The print information record a view's printing overrides read and set, and the
// seams that stand in for the print dialog and the preview in headless runs. CView
// runs the dialog, the job and the preview.

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <algorithm>
#include <functional>

class CPrintPreviewDlg;
class QDialog;
class QPrinter;

// Pages are counted from 1. The dialog offers GetMinPage() to GetMaxPage(); the
// range chosen there, kept within those, is GetFromPage() to GetToPage().
class CPrintInfo
{
public:
    void SetMaxPage(UINT page) { m_nMaxPage = page; }
    UINT GetMinPage() const { return 1; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return std::max(m_nFromPage, GetMinPage()); }
    UINT GetToPage() const { return m_nToPage ? std::min(m_nToPage, m_nMaxPage) : m_nMaxPage; }
    // 0, 0 chooses every page.
    void SetPageRange(UINT from, UINT to)
    {
        m_nFromPage = from;
        m_nToPage = to;
    }

    UINT m_nCurPage = 1;
    BOOL m_bPreview = FALSE;
    // Cleared by OnPrepareDC or OnPrint to end the job after the current page.
    BOOL m_bContinuePrinting = TRUE;
    // Set by the job's overrides (or by Cancel) to end it after the current page as a
    // job that never happened: the printer aborts it and a file being written is removed.
    BOOL m_bAbortJob = FALSE;
    // The document printed, named in the progress box and as the job's name (the title
    // of a PDF), from which the dialog proposes a file name.
    CString m_strDocName;
    // The page being read, which the dialog offers as "Current page"; 0 offers none.
    UINT m_nShownPage = 0;
    // The file proposed when the printer writes PDF; empty leaves the printer's own.
    CString m_strPdfFileName;

private:
    UINT m_nMaxPage = 0xFFFF;
    UINT m_nFromPage = 0;
    UINT m_nToPage = 0;
};

// Seams for headless runs: a replacement for the print dialog (return FALSE to
// cancel; it may set the page range) and for showing the preview dialog (instead
// of its modal exec). An empty function restores the real dialog.
using PrintDialogHook = std::function<BOOL(QPrinter &printer, CPrintInfo &info)>;
using PrintPreviewHook = std::function<void(CPrintPreviewDlg &dialog)>;
void SetPrintDialogHook(PrintDialogHook hook);
void SetPrintPreviewHook(PrintPreviewHook hook);

// The "Printing" box of the job under way, or null. It is not modal, yet runs an event
// loop of its own while the job lasts; closing it cancels the job.
QDialog *GetPrintProgressBox();
