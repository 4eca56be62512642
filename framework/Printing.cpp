#include "framework/Printing.h"

#include "framework/AfxRes.h"
#include "framework/Dc.h"
#include "framework/Document.h"
#include "framework/MessageBox.h"
#include "framework/PrintPreview.h"
#include "framework/ResourceModule.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>

namespace {

PrintDialogHook g_printDialogHook;
PrintPreviewHook g_printPreviewHook;
QDialog *g_pProgressBox = nullptr;

// The small box shown while a job prints: the document's name, "Page N of M" and
// Cancel. It prints one sheet per pass of its own event loop, so it repaints, and
// Cancel or a request to quit takes effect before the next sheet starts. Closing it
// in any way (Cancel, Escape, its close box, a request to quit) cancels the job. It
// is not modal: a modal box would swallow the close box of the window printed from,
// its owner. The owner takes no input while the box is up instead, and asking it to
// close asks whether to stop the job.
class CPrintProgressDlg : public QDialog
{
public:
    enum class Step { Printed, Complete, Stopped };
    // printNextSheet prints the next sheet, or says the job is complete or must stop.
    CPrintProgressDlg(const CString &docName, UINT sheets, QWidget &owner,
                      std::function<Step(CPrintProgressDlg &)> printNextSheet)
        : QDialog(&owner)
        , m_owner(owner)
        , m_nSheets(sheets)
        , m_printNextSheet(std::move(printNextSheet))
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
        // The box would be as narrow as its labels and its caption cut short.
        layout->addItem(new QSpacerItem(GetCaptionWidth(font(), windowTitle()), 0,
                                        QSizePolicy::Minimum, QSizePolicy::Fixed));
        layout->setSizeConstraint(QLayout::SetFixedSize);
        SetSheet(1);
        m_nextSheet.setSingleShot(true);
        connect(&m_nextSheet, &QTimer::timeout, this, [this] {
            const Step step = m_printNextSheet(*this);
            if (step == Step::Complete)
                accept();
            else if (step == Step::Stopped)
                reject();
            else if (!m_bEnded)
                m_nextSheet.start();
        });
    }

    void SetSheet(UINT n)
    {
        m_pPage->setText(QStringLiteral("Page %1 of %2").arg(n).arg(m_nSheets));
    }

    // Shows the box over its owner and prints until the job is complete (accepted),
    // stops or is cancelled (rejected).
    void Run()
    {
        // Disabled, the owner gives up its keyboard focus; it takes it back afterwards.
        const QPointer<QWidget> focus = m_owner.focusWidget();
        const bool ownerEnabled = m_owner.isEnabled();
        m_owner.installEventFilter(this);
        BlockOwner(true);
        const QScopedValueRollback<QDialog *> running(g_pProgressBox, this);
        QEventLoop loop;
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        show();
        activateWindow();
        m_nextSheet.start();
        loop.exec();
        // The loop may also end without the box, when the application quits.
        m_bEnded = true;
        m_nextSheet.stop();
        m_owner.removeEventFilter(this);
        m_owner.setEnabled(ownerEnabled);
        if (focus)
            focus->setFocus();
    }

    // No sheet starts once the job has ended: OnEndPrinting may run an event loop.
    void done(int result) override
    {
        m_bEnded = true;
        m_nextSheet.stop();
        QDialog::done(result);
    }

    // Whether the owner was asked to close and the user chose to stop the job; it is
    // left open for the job to close once it has ended.
    bool m_bOwnerCloseRequested = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && watched == &m_owner && isVisible()) {
            event->ignore();
            if (AskToStop()) {
                m_bOwnerCloseRequested = true;
                if (!m_bEnded)
                    reject();
            }
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

private:
    // Disabling the owner blocks its mouse, keys and shortcuts, but not its close box.
    // The box, a window of its own, is enabled again inside it.
    void BlockOwner(bool bBlock)
    {
        m_owner.setEnabled(!bBlock);
        setEnabled(true);
    }

    // The job waits for the answer. The question's box belongs to the main window,
    // which takes input again meanwhile: the box, modal, keeps it from the rest.
    bool AskToStop()
    {
        m_nextSheet.stop();
        BlockOwner(false);
        const bool stop =
            AfxMessageBox(AfxLoadString(AFX_IDP_STOP_PRINTING_TO_QUIT), MB_YESNO | MB_ICONQUESTION)
            == IDYES;
        BlockOwner(true);
        if (!m_bEnded) {
            // The keys go to Cancel again, not to the owner that takes none.
            activateWindow();
            m_nextSheet.start();
        }
        return stop;
    }

    QWidget &m_owner;
    QLabel *m_pPage = nullptr;
    UINT m_nSheets;
    std::function<Step(CPrintProgressDlg &)> m_printNextSheet;
    QTimer m_nextSheet;
    bool m_bEnded = false;
};

// A job to a file writes it under a name that says it is unfinished, and gives it
// the name chosen only once the job is complete: a cancelled or failed job, or one
// cut short by a crash, leaves nothing that looks like the whole job, and a file of
// that name from before stays as it was.
class CPrintFile
{
public:
    explicit CPrintFile(QPrinter &printer)
        : m_printer(printer)
        , m_strName(printer.outputFileName())
    {
        if (!m_strName.isEmpty())
            m_printer.setOutputFileName(m_strName + QStringLiteral(".part"));
    }
    ~CPrintFile()
    {
        if (m_strName.isEmpty())
            return;
        const QString part = m_printer.outputFileName();
        m_printer.setOutputFileName(m_strName);
        if (m_bKeep)
            std::rename(QFile::encodeName(part).constData(),
                        QFile::encodeName(m_strName).constData());
        else
            QFile::remove(part);
    }
    // Called once the printer has written the whole job.
    void Keep() { m_bKeep = true; }

private:
    QPrinter &m_printer;
    const QString m_strName;
    bool m_bKeep = false;
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
    CPrintFile file(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    CDC dc(painter);
    dc.m_bPrinting = TRUE;
    OnBeginPrinting(&dc, &info);
    UINT page = first;
    using Step = CPrintProgressDlg::Step;
    CPrintProgressDlg box(info.m_strDocName, last - first + 1, *window(),
                          [&](CPrintProgressDlg &progress) {
                              if (info.m_bAbortJob)
                                  return Step::Stopped;
                              if (page > last || !info.m_bContinuePrinting)
                                  return Step::Complete;
                              if (page != first && !printer.newPage())
                                  return Step::Stopped;
                              progress.SetSheet(page - first + 1);
                              PrintSheet(&dc, &info, page);
                              ++page;
                              return Step::Printed;
                          });
    box.Run();
    if (box.result() != QDialog::Accepted)
        info.m_bAbortJob = TRUE;
    OnEndPrinting(&dc, &info);
    if (!info.m_bAbortJob) {
        painter.end();
        file.Keep();
    } else if (!printer.abort()) {
        // Qt's PDF and CUPS printers cannot abort: CUPS is handed the sheets done when
        // the job ends. A file is removed all the same.
        painter.end();
    }
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
