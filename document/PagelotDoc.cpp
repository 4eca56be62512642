#include "document/PagelotDoc.h"

#include "display/ImagingErrorText.h"
#include "framework/FileDialog.h"
#include "framework/MessageBox.h"
#include "framework/SystemMetrics.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"

#include <QFileInfo>

namespace {

// Fine-mode faxes are 196 dpi, normal mode 98: below this the rows are doubled so both
// show with the same aspect.
constexpr std::int32_t MIN_UNDOUBLED_DPI = 190;
// A full-screen client area wider than this shows a new file at one half, else one third.
constexpr std::int32_t HALF_SIZE_SCREEN_WIDTH = 864;

void showReadError(std::uint32_t code)
{
    AfxMessageBox(ImagingErrorText(code), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

CPagelotDoc::CPagelotDoc()
{
    if (CWinApp *pApp = AfxGetApp())
        m_bEnableTips =
            pApp->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("EnableTips"), 1) != 0;
    MapCommands();
}

CPagelotDoc::~CPagelotDoc() = default;

void CPagelotDoc::MapCommands()
{
    ON_COMMAND(ID_FILE_OPEN, &CPagelotDoc::OnFileOpen);

    ON_COMMAND(ID_PAGE_FIRST, &CPagelotDoc::OnPageFirst);
    ON_COMMAND(ID_PAGE_PREVIOUS, &CPagelotDoc::OnPagePrevious);
    ON_COMMAND(ID_PAGE_NEXT, &CPagelotDoc::OnPageNext);
    ON_COMMAND(ID_PAGE_LAST, &CPagelotDoc::OnPageLast);
    ON_UPDATE_COMMAND_UI(ID_PAGE_FIRST, &CPagelotDoc::OnUpdatePageFirstPrevious);
    ON_UPDATE_COMMAND_UI(ID_PAGE_PREVIOUS, &CPagelotDoc::OnUpdatePageFirstPrevious);
    ON_UPDATE_COMMAND_UI(ID_PAGE_NEXT, &CPagelotDoc::OnUpdatePageNextLast);
    ON_UPDATE_COMMAND_UI(ID_PAGE_LAST, &CPagelotDoc::OnUpdatePageNextLast);

    ON_COMMAND(ID_ZOOM_FITWIDTH, &CPagelotDoc::OnZoomFitWidth);
    ON_COMMAND(ID_ZOOM_FITHEIGHT, &CPagelotDoc::OnZoomFitHeight);
    ON_COMMAND(ID_ZOOM_ACTUALSIZE, &CPagelotDoc::OnZoomActualSize);
    ON_COMMAND(ID_ZOOM_33, &CPagelotDoc::OnZoom33);
    ON_COMMAND(ID_ZOOM_50, &CPagelotDoc::OnZoom50);
    ON_UPDATE_COMMAND_UI(ID_ZOOM_FITWIDTH, &CPagelotDoc::OnUpdateHasPage);
    ON_UPDATE_COMMAND_UI(ID_ZOOM_FITHEIGHT, &CPagelotDoc::OnUpdateHasPage);
    ON_UPDATE_COMMAND_UI(ID_ZOOM_ACTUALSIZE, &CPagelotDoc::OnUpdateZoomActualSize);
    ON_UPDATE_COMMAND_UI(ID_ZOOM_33, &CPagelotDoc::OnUpdateZoom33);
    ON_UPDATE_COMMAND_UI(ID_ZOOM_50, &CPagelotDoc::OnUpdateZoom50);
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, &CPagelotDoc::OnUpdateHasPage);
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, &CPagelotDoc::OnUpdateHasPage);

    ON_COMMAND(ID_ROTATE_NONE, &CPagelotDoc::OnRotateNone);
    ON_COMMAND(ID_ROTATE_LEFT, &CPagelotDoc::OnRotateLeft);
    ON_COMMAND(ID_ROTATE_RIGHT, &CPagelotDoc::OnRotateRight);
    ON_COMMAND(ID_ROTATE_UPSIDEDOWN, &CPagelotDoc::OnRotateUpsideDown);
    ON_UPDATE_COMMAND_UI(ID_ROTATE_NONE, &CPagelotDoc::OnUpdateRotateNone);
    ON_UPDATE_COMMAND_UI(ID_ROTATE_LEFT, &CPagelotDoc::OnUpdateRotateLeft);
    ON_UPDATE_COMMAND_UI(ID_ROTATE_RIGHT, &CPagelotDoc::OnUpdateRotateRight);
    ON_UPDATE_COMMAND_UI(ID_ROTATE_UPSIDEDOWN, &CPagelotDoc::OnUpdateRotateUpsideDown);

    ON_COMMAND(ID_VIEW_ANTIALIAS, &CPagelotDoc::OnViewAntiAlias);
    ON_COMMAND(ID_VIEW_TOOLTIPS, &CPagelotDoc::OnViewToolTips);
    ON_UPDATE_COMMAND_UI(ID_VIEW_ANTIALIAS, &CPagelotDoc::OnUpdateViewAntiAlias);
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLTIPS, &CPagelotDoc::OnUpdateViewToolTips);

    ON_UPDATE_COMMAND_UI(ID_INDICATOR_PAGE, &CPagelotDoc::OnUpdateIndicatorPage);
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_RESOLUTION, &CPagelotDoc::OnUpdateIndicatorResolution);
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SIZE, &CPagelotDoc::OnUpdateIndicatorSize);
}

bool CPagelotDoc::ReadSourcePage(std::int32_t index, std::int32_t *pPageCount)
{
    const std::uint32_t code = m_sourcePage.LoadPage(m_strPath, index);
    if (code != 0) {
        showReadError(code);
        return false;
    }
    // Taken before row doubling, which starts the page afresh.
    if (pPageCount)
        *pPageCount = m_sourcePage.m_nPageCount;
    if (m_sourcePage.m_resolution.cy < MIN_UNDOUBLED_DPI)
        m_sourcePage.DoubleRows();
    return true;
}

void CPagelotDoc::LoadFaxFile(const CString &path, BOOL setTitle)
{
    const CString shownPath = m_strPath;
    m_strPath = path;
    std::int32_t nPageCount = 0;
    if (!ReadSourcePage(0, &nPageCount)) {
        // The previous page stays on screen: keep reading and printing from its file, not
        // from the one that just failed.
        if (HasPage())
            m_strPath = shownPath;
        return;
    }

    m_nRotation = Rotation::None;
    m_bUpsideDown = FALSE;
    m_nCurrentPage = 0;
    m_nPageCount = nPageCount;
    ++m_nLoadSerial;

    const CSize size = m_sourcePage.m_size;
    if (GetSystemMetrics(SM_CXFULLSCREEN) > HALF_SIZE_SCREEN_WIDTH) {
        m_displayPage.ScaleFrom(m_sourcePage, size.cx / 2, size.cy / 2, m_bAntiAlias);
        m_nZoomMode = ZoomMode::Scale50;
    } else {
        m_displayPage.ScaleFrom(m_sourcePage, size.cx / 3, size.cy / 3, m_bAntiAlias);
        m_nZoomMode = ZoomMode::Scale33;
    }

    if (setTitle)
        SetTitle(QFileInfo(m_strPath).fileName());
}

void CPagelotDoc::RefreshDisplay()
{
    m_displayPage.MakeDib();
    UpdateAllViews(nullptr, 0, nullptr);
}

BOOL CPagelotDoc::OnOpenDocument(const CString &pathName)
{
    LoadFaxFile(pathName, FALSE);
    m_displayPage.MakeDib();
    return TRUE;
}

void CPagelotDoc::OnFileOpen()
{
    CFileDialog dialog(TRUE, {}, {}, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       QStringLiteral("TIFF Files (*.tif)|*.tif||"));
    dialog.m_ofn.lpstrTitle = QStringLiteral("Open Fax Document");
    if (dialog.DoModal() != IDOK)
        return;
    LoadFaxFile(dialog.GetPathName(), TRUE);
    RefreshDisplay();
}
