#include "view/PagelotView.h"

#include "display/ImagingErrorText.h"
#include "document/PagelotDoc.h"
#include "framework/Dc.h"
#include "framework/FilePath.h"
#include "framework/MessageBox.h"
#include "framework/Printing.h"
#include "framework/ResourceModule.h"
#include "resources/Resource.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
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

struct PrintMapping
{
    CSize window;
    CSize viewport;
};

// The page at its printed size when that fits the printable area; otherwise reduced,
// keeping its proportions, just enough to fit, so nothing of a long page is lost.
PrintMapping fitPrintMapping(CSize page, CSize extent, CSize dpi, CSize printable)
{
    const PrintMapping asIs{extent, dpi};
    const std::int64_t across = std::int64_t{page.cx} * dpi.cx;
    const std::int64_t down = std::int64_t{page.cy} * dpi.cy;
    if (printable.cx <= 0 || printable.cy <= 0
        || (across <= std::int64_t{printable.cx} * extent.cx
            && down <= std::int64_t{printable.cy} * extent.cy))
        return asIs;
    const double width = double(across) / extent.cx;
    const double height = double(down) / extent.cy;
    const double scale = std::min(printable.cx / width, printable.cy / height);
    const auto fitted = [](double size, std::int32_t limit) {
        return std::clamp(static_cast<std::int32_t>(std::floor(size)), 1, limit);
    };
    return {page, CSize(fitted(width * scale, printable.cx), fitted(height * scale, printable.cy))};
}

// "2, 4-6, 9": the pages in the order printed, runs of neighbours joined.
CString pageList(const std::vector<UINT> &pages)
{
    constexpr std::size_t MAX_RUNS = 20;
    QStringList runs;
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t end = i;
        while (end + 1 < pages.size() && pages[end + 1] == pages[end] + 1)
            ++end;
        if (runs.size() == MAX_RUNS) {
            runs << QStringLiteral("...");
            break;
        }
        runs << (end == i ? QString::number(pages[i])
                          : QStringLiteral("%1-%2").arg(pages[i]).arg(pages[end]));
        i = end + 1;
    }
    return runs.join(QStringLiteral(", "));
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
    if (pDoc && !pDoc->CheckFileUnchanged())
        return FALSE;
    pInfo->SetMaxPage(pDoc ? static_cast<UINT>(pDoc->GetPageCount()) : 0);
    if (pDoc && pDoc->GetDisplayPage().m_pPixels) {
        pInfo->m_nShownPage = static_cast<UINT>(pDoc->GetCurrentPage()) + 1;
        // Beside the fax and named after it, rather than where the last job went.
        // The PDF is written under Qt's own encoding of its name, so it is proposed as
        // text: bytes of the fax's name that are not text become U+FFFD, and a folder
        // whose name is not text gets no proposal.
        const QFileInfo fax(pDoc->GetPath());
        const CString folder = fax.absolutePath();
        if (PathForDisplay(folder) == folder)
            pInfo->m_strPdfFileName = QDir(folder).filePath(PathForDisplay(fax.completeBaseName())
                                                            + QStringLiteral(".pdf"));
    }
    return DoPreparePrinting(pInfo);
}

void CPagelotView::OnBeginPrinting(CDC *, CPrintInfo *)
{
    m_printFailures.clear();
    m_nSheetsPrinted = 0;
}

void CPagelotView::OnEndPrinting(CDC *, CPrintInfo *pInfo)
{
    if (m_bStoppedForChange) {
        m_bStoppedForChange = false;
        m_printFailures.clear();
        if (CPagelotDoc *pDoc = GetDocument())
            pDoc->CheckFileUnchanged();
        return;
    }
    // The preview repaints its sheets at will; only a job on paper reports.
    if (!pInfo || pInfo->m_bPreview)
        return;
    // Blank paper, or a file of blank sheets, is no print of the fax.
    if (m_nSheetsPrinted == 0)
        pInfo->m_bAbortJob = TRUE;
    if (m_printFailures.empty())
        return;
    CPagelotDoc *pDoc = GetDocument();
    const CString file = pDoc ? PathForDisplay(QFileInfo(pDoc->GetPath()).fileName()) : CString();
    AfxMessageBox(PrintFailureText(file, m_printFailures), MB_OK | MB_ICONEXCLAMATION);
    m_printFailures.clear();
}

CString CPagelotView::PrintFailureText(const CString &file,
                                       const std::vector<PrintFailure> &failures)
{
    // One paragraph per reason, in the order the reasons first came up.
    std::vector<std::uint32_t> codes;
    for (const PrintFailure &failure : failures)
        if (std::find(codes.begin(), codes.end(), failure.code) == codes.end())
            codes.push_back(failure.code);
    QStringList paragraphs;
    for (const std::uint32_t code : codes) {
        std::vector<UINT> pages;
        for (const PrintFailure &failure : failures)
            if (failure.code == code)
                pages.push_back(failure.nPage);
        const CString what = pages.size() == 1 ? QStringLiteral("Page %1 of %2 was not printed:")
                                               : QStringLiteral("Pages %1 of %2 were not printed:");
        paragraphs << what.arg(pageList(pages), file) + QLatin1Char('\n') + ImagingErrorText(code);
    }
    return paragraphs.join(QStringLiteral("\n\n"));
}

// A long job whose first sheets all failed is most likely a file that has gone or been
// replaced: ask once, before the rest of the paper goes the same way.
void CPagelotView::AskAfterBlankStart(CPrintInfo *pInfo)
{
    const UINT first = pInfo->GetFromPage();
    const UINT last = pInfo->GetToPage();
    if (last < first || last - first + 1 <= LONG_JOB_SHEETS)
        return;
    if (m_printFailures.size() != BLANK_START_SHEETS
        || pInfo->m_nCurPage != first + UINT(BLANK_START_SHEETS) - 1)
        return;
    CPagelotDoc *pDoc = GetDocument();
    const CString file = pDoc ? PathForDisplay(QFileInfo(pDoc->GetPath()).fileName()) : CString();
    const CString text = AfxLoadString(IDS_PRINT_BLANK_START)
                             .arg(BLANK_START_SHEETS)
                             .arg(file)
                             .arg(ImagingErrorText(m_printFailures.front().code))
                             .arg(last - pInfo->m_nCurPage);
    if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
        pInfo->m_bAbortJob = TRUE;
}

// A page that cannot be read or drawn leaves its sheet blank; the loop goes on with the
// next page, and the pages that could not be read are reported when the job ends.
void CPagelotView::OnPrint(CDC *pDC, CPrintInfo *pInfo)
{
    CPagelotDoc *pDoc = GetDocument();
    if (!pDoc || !pDC || !pInfo)
        return;
    // No sheet of another file under this fax's name: the job stops, and says why at its end.
    if (pDoc->HasFileChanged()) {
        if (!pInfo->m_bPreview) {
            m_bStoppedForChange = true;
            pInfo->m_bContinuePrinting = FALSE;
        }
        return;
    }
    CPageBitmap &page = pDoc->GetPrintPage();
    const auto index = static_cast<std::int32_t>(pInfo->m_nCurPage) - 1;
    if (const std::uint32_t code = page.LoadPrintPage(pDoc->GetPath(), index); code != 0) {
        if (!pInfo->m_bPreview) {
            m_printFailures.push_back({pInfo->m_nCurPage, code});
            AskAfterBlankStart(pInfo);
        }
        return;
    }

    // Each page by its own resolution: fax machines switch between normal and fine
    // mode within one call.
    CSize extent = printWindowExtent(page.m_resolution);
    if (extent.cx == 0)
        extent = printWindowExtent(CSize(200, 200));
    const CSize dpi(pDC->GetDeviceCaps(LOGPIXELSX), pDC->GetDeviceCaps(LOGPIXELSY));
    if (dpi.cx <= 0 || dpi.cy <= 0)
        return;
    const CSize printable(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    const PrintMapping mapping = fitPrintMapping(page.m_size, extent, dpi, printable);
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(mapping.window);
    pDC->SetViewportExt(mapping.viewport);
    if (pDC->GetDeviceCaps(RASTERCAPS) & RC_STRETCHDIB) {
        page.Draw(pDC);
        ++m_nSheetsPrinted;
    }
}
