#include "view/PagelotView.h"

#include "document/PagelotDoc.h"
#include "framework/Dc.h"
#include "framework/Printing.h"
#include "resources/Resource.h"

#include <cmath>
#include <limits>

namespace {

// A page pixel is 1.06 / Dx inch wide and 1.08 / Dy inch high on paper: the page
// prints a little under its physical size. Zero when the resolution gives no
// extent (none, or one so large the extent would not fit in a logical unit).
CSize printWindowExtent(CSize resolution)
{
    if (resolution.cx <= 0 || resolution.cy <= 0)
        return CSize();
    const double x = std::trunc(resolution.cx * 1.06);
    const double y = std::trunc(resolution.cy * 1.08);
    constexpr double MAX_EXTENT = std::numeric_limits<std::int32_t>::max();
    if (x > MAX_EXTENT || y > MAX_EXTENT)
        return CSize();
    return CSize(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
}

} // namespace

void CPagelotView::MapPrintCommands()
{
    ON_COMMAND(ID_FILE_PRINT, &CPagelotView::OnFilePrint);
    ON_COMMAND(ID_FILE_PRINT_DIRECT, &CPagelotView::OnFilePrint);
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CPagelotView::OnFilePrintPreview);
}

BOOL CPagelotView::OnPreparePrinting(CPrintInfo *pInfo)
{
    CPagelotDoc *pDoc = GetDocument();
    pInfo->SetMaxPage(pDoc ? static_cast<UINT>(pDoc->GetPageCount()) : 0);
    return DoPreparePrinting(pInfo);
}

void CPagelotView::OnBeginPrinting(CDC *, CPrintInfo *) {}

void CPagelotView::OnEndPrinting(CDC *, CPrintInfo *) {}

// Every failure leaves the sheet blank and says nothing: the loop goes on with the
// next page.
void CPagelotView::OnPrint(CDC *pDC, CPrintInfo *pInfo)
{
    CPagelotDoc *pDoc = GetDocument();
    if (!pDoc || !pDC || !pInfo)
        return;
    CPageBitmap &page = pDoc->GetPrintPage();
    const auto index = static_cast<std::int32_t>(pInfo->m_nCurPage) - 1;
    if (page.LoadPrintPage(pDoc->GetPath(), index) != 0)
        return;

    // The shown page's resolution maps every printed page: a file's pages share the
    // resolution of its first page.
    const CSize extent = printWindowExtent(pDoc->GetSourcePage().m_resolution);
    if (extent.cx == 0)
        return;
    const int dpiX = pDC->GetDeviceCaps(LOGPIXELSX);
    const int dpiY = pDC->GetDeviceCaps(LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0)
        return;
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(extent);
    pDC->SetViewportExt(dpiX, dpiY);
    if (pDC->GetDeviceCaps(RASTERCAPS) & RC_STRETCHDIB)
        page.Draw(pDC);
}
