#include "framework/Printing.h"

#include "framework/Dc.h"
#include "framework/Document.h"
#include "framework/PrintPreview.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace {

PrintDialogHook g_printDialogHook;
PrintPreviewHook g_printPreviewHook;
QDialog *g_pProgressBox = nullptr;

// The small box shown while a job prints: the document's name, "Page N of M" and
// Cancel. Closing it in any way (Cancel, Escape, its close box, a request to quit)
// cancels the job. It is not modal: a modal box would swallow the close box of the
// window printed from, its owner. The owner takes no input while the box is up
// instead, and asking it to close cancels the job as well.
class CPrintProgressDlg : public QDialog
{
public:
    CPrintProgressDlg(const CString &docName, UINT sheets, QWidget &owner)
        : QDialog(&owner)
        , m_owner(owner)
        , m_nSheets(sheets)
    {
        setWindowTitle(QStringLiteral("Printing"));
        auto *layout = new QVBoxLayout(this);
        auto *name = new QLabel(docName, this);
        name->setTextFormat(Qt::PlainText);
        layout->addWidget(name);
        m_pPage = new QLabel(this);
        layout->addWidget(m_pPage);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        SetSheet(1);
    }

    void SetSheet(UINT n)
    {
        m_pPage->setText(QStringLiteral("Page %1 of %2").arg(n).arg(m_nSheets));
    }

    // Shows the box over its owner and runs events until the box is closed.
    void Run()
    {
        // Disabling the owner blocks its mouse, keys and shortcuts, but not its close
        // box. The box, a window of its own, is enabled again inside it.
        const bool ownerEnabled = m_owner.isEnabled();
        // Disabled, the owner gives up its keyboard focus; it takes it back afterwards.
        const QPointer<QWidget> focus = m_owner.focusWidget();
        m_owner.installEventFilter(this);
        m_owner.setEnabled(false);
        setEnabled(true);
        const QScopedValueRollback<QDialog *> running(g_pProgressBox, this);
        QEventLoop loop;
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        show();
        activateWindow();
        loop.exec();
        m_owner.removeEventFilter(this);
        m_owner.setEnabled(ownerEnabled);
        if (focus)
            focus->setFocus();
    }

    // Whether the owner was asked to close while the box was up; it is left open for
    // the job to close once it has ended.
    bool m_bOwnerCloseRequested = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && watched == &m_owner && isVisible()) {
            m_bOwnerCloseRequested = true;
            event->ignore();
            reject();
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

private:
    QWidget &m_owner;
    QLabel *m_pPage = nullptr;
    UINT m_nSheets;
};

} // namespace

QDialog *GetPrintProgressBox() { return g_pProgressBox; }

void SetPrintDialogHook(PrintDialogHook hook) { g_printDialogHook = std::move(hook); }

void SetPrintPreviewHook(PrintPreviewHook hook) { g_printPreviewHook = std::move(hook); }

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
    QPrintDialog dialog(&printer, window());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    const bool offerShown =
        pInfo->m_nShownPage >= pInfo->GetMinPage() && pInfo->m_nShownPage <= pInfo->GetMaxPage();
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, offerShown);
    dialog.setMinMax(int(pInfo->GetMinPage()), int(pInfo->GetMaxPage()));
    if (dialog.exec() != QDialog::Accepted)
        return FALSE;
    if (printer.printRange() == QPrinter::PageRange)
        pInfo->SetPageRange(UINT(printer.fromPage()), UINT(printer.toPage()));
    else if (printer.printRange() == QPrinter::CurrentPage)
        pInfo->SetPageRange(pInfo->m_nShownPage, pInfo->m_nShownPage);
    return TRUE;
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
    if (QWidget *owner = window(); box.m_bOwnerCloseRequested)
        QTimer::singleShot(0, owner, [owner] {
            if (owner->isVisible())
                owner->close();
        });
}

void CView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = TRUE;
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
