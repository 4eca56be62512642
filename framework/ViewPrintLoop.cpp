#include "framework/View.h"

#include "framework/Document.h"
#include "framework/Printing.h"
#include "framework/WinApp.h"

namespace {

// The print loop's callbacks, handed on to the view's overrides.
class ViewPrintCallbacks : public CPrintCallbacks
{
public:
    explicit ViewPrintCallbacks(CView &view)
        : m_view(view)
    {
    }
    void OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo) override
    {
        m_view.OnBeginPrinting(pDC, pInfo);
    }
    void OnPrepareDC(CDC *pDC, CPrintInfo *pInfo) override { m_view.OnPrepareDC(pDC, pInfo); }
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override { m_view.OnPrint(pDC, pInfo); }
    void OnEndPrinting(CDC *pDC, CPrintInfo *pInfo) override { m_view.OnEndPrinting(pDC, pInfo); }

private:
    CView &m_view;
};

} // namespace

BOOL CView::OnPreparePrinting(CPrintInfo *pInfo) { return DoPreparePrinting(pInfo); }

void CView::OnBeginPrinting(CDC *, CPrintInfo *) {}

void CView::OnPrepareDC(CDC *, CPrintInfo *) {}

void CView::OnPrint(CDC *pDC, CPrintInfo *) { OnDraw(pDC); }

void CView::OnEndPrinting(CDC *, CPrintInfo *) {}

BOOL CView::DoPreparePrinting(CPrintInfo *pInfo)
{
    return ::DoPreparePrinting(pInfo, *AfxGetPrinter(), window());
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (m_pDocument)
        info.m_strDocName = m_pDocument->GetTitle();
    if (!OnPreparePrinting(&info))
        return;
    ViewPrintCallbacks callbacks(*this);
    RunPrintLoop(*AfxGetPrinter(), callbacks, info, window());
}

void CView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (m_pDocument)
        info.m_strDocName = m_pDocument->GetTitle();
    if (!OnPreparePrinting(&info))
        return;
    info.m_bPreview = FALSE;
    ViewPrintCallbacks callbacks(*this);
    RunPrintPreview(*AfxGetPrinter(), callbacks, info, window());
}
