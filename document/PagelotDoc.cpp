#include "document/PagelotDoc.h"

#include "display/ImagingErrorText.h"
#include "display/PagePrefetcher.h"
#include "display/PageRender.h"
#include "framework/CmdUI.h"
#include "framework/FileDialog.h"
#include "framework/FilePath.h"
#include "framework/MessageBox.h"
#include "framework/ResourceModule.h"
#include "framework/SystemMetrics.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A full-screen client area wider than this shows a new file at one half, else one third.
constexpr std::int32_t HALF_SIZE_SCREEN_WIDTH = 864;
// Page counts stop here; a file with more pages is said so when it opens.
constexpr std::int32_t MAX_PAGE_COUNT = 65535;

const QString kTipsSection = QStringLiteral("Settings");
const QString kTipsEntry = QStringLiteral("EnableTips");

} // namespace

CPagelotDoc::CPagelotDoc()
    : m_bEnableTips(ReadEnableTipsSetting())
    , m_pPrefetcher(std::make_unique<CPagePrefetcher>())
{
    MapCommands();
}

BOOL CPagelotDoc::ReadEnableTipsSetting()
{
    CWinApp *pApp = AfxGetApp();
    return !pApp || pApp->GetProfileInt(kTipsSection, kTipsEntry, 1) != 0;
}

void CPagelotDoc::WriteEnableTipsSetting(BOOL bEnable)
{
    if (CWinApp *pApp = AfxGetApp())
        pApp->WriteProfileInt(kTipsSection, kTipsEntry, bEnable ? 1 : 0);
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
    for (const bool next : {true, false}) {
        const UINT nID = next ? ID_FAX_NEXT_IN_FOLDER : ID_FAX_PREVIOUS_IN_FOLDER;
        ON_COMMAND(nID, [this, next] { OnFolderStep(next); });
        ON_UPDATE_COMMAND_UI(nID,
                             [this, next](CCmdUI *pCmdUI) { OnUpdateFolderStep(next, pCmdUI); });
    }

    ON_COMMAND(ID_ZOOM_FITWIDTH, &CPagelotDoc::OnZoomFitWidth);
    ON_COMMAND(ID_ZOOM_FITHEIGHT, &CPagelotDoc::OnZoomFitHeight);
    ON_COMMAND(ID_ZOOM_ACTUALSIZE, &CPagelotDoc::OnZoomActualSize);
    ON_COMMAND(ID_ZOOM_33, &CPagelotDoc::OnZoom33);
    ON_COMMAND(ID_ZOOM_50, &CPagelotDoc::OnZoom50);
    for (const ZoomModeInfo &zoom : ZoomModes())
        ON_UPDATE_COMMAND_UI(zoom.nID,
                             [this, &zoom](CCmdUI *pCmdUI) { OnUpdateZoom(zoom, pCmdUI); });
    for (const bool larger : {true, false}) {
        const UINT nID = larger ? ID_ZOOM_IN : ID_ZOOM_OUT;
        ON_COMMAND(nID, [this, larger] { OnZoomStep(larger); });
        ON_UPDATE_COMMAND_UI(nID,
                             [this, larger](CCmdUI *pCmdUI) { OnUpdateZoomStep(larger, pCmdUI); });
    }
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
    if (const std::uint32_t code =
            ReadShownPage(m_sourcePage, m_strPath, index, pPageCount, m_bAntiAlias)) {
        ShowReadError(index, code);
        return false;
    }
    return true;
}

void CPagelotDoc::LoadFaxFile(const CString &path, BOOL setTitle)
{
    const CString shownPath = m_strPath;
    const CSize shownResolution = m_sourcePage.m_resolution;
    m_strPath = path;
    // Taken before the read: a file that changes while it is read counts as changed.
    const FileIdentity identity = FileIdentityOf(path);
    std::int32_t nPageCount = 0;
    const bool read = ReadSourcePage(0, &nPageCount);
    // A fax whose cover sheet came through damaged still opens when it has other pages:
    // they are reached from an empty page 1. Anything else leaves the shown fax as it was.
    if (!read && nPageCount < 2) {
        m_shownRender.reset();
        // The previous page stays on screen: keep reading and printing from its file, and
        // with its resolution, not the one that just failed.
        if (HasFile()) {
            m_strPath = shownPath;
            m_sourcePage.m_resolution = shownResolution;
        }
        return;
    }

    // Pages prepared from the file before go, and so do their blocks.
    m_pPrefetcher->Drop();
    m_nRotation = Rotation::None;
    m_bUpsideDown = FALSE;
    m_nCurrentPage = 0;
    m_nPageCount = nPageCount;
    ++m_nLoadSerial;
    m_fileIdentity = identity;
    m_folder.SetShown(m_strPath);

    const CSize size = m_sourcePage.m_size;
    const bool half = GetSystemMetrics(SM_CXFULLSCREEN) > HALF_SIZE_SCREEN_WIDTH;
    const std::int32_t divisor = half ? 2 : 3;
    const RenderTarget render{CSize(size.cx / divisor, size.cy / divisor), false, Screen().ratio,
                              m_bAntiAlias};
    m_shownRender.reset();
    if (read) {
        RenderPage(m_displayPage, m_sourcePage, render);
        m_shownRender = render;
    } else {
        m_displayPage.Free();
    }
    m_nZoomMode = half ? ZoomMode::Scale50 : ZoomMode::Scale33;

    if (setTitle)
        SetTitle(PathForDisplay(QFileInfo(m_strPath).fileName()));
    if (m_nPageCount == MAX_PAGE_COUNT && CPageBitmap::HasUncountedPages(m_strPath))
        AfxMessageBox(AfxLoadString(IDS_PAGES_PAST_LIMIT), MB_OK | MB_ICONINFORMATION);
}

void CPagelotDoc::ShowReadError(std::int32_t index, std::uint32_t code) const
{
    // The reason stays the error text as it is, on a line of its own below the file.
    const CString where = QStringLiteral("Cannot read page %1 of %2:")
                              .arg(index + 1)
                              .arg(PathForDisplay(QDir::toNativeSeparators(m_strPath)));
    AfxMessageBox(where + QLatin1Char('\n') + ImagingErrorText(code), MB_OK | MB_ICONEXCLAMATION);
}

ScreenState CPagelotDoc::Screen() const
{
    ScreenState screen;
    if (const CView *pView = GetFirstView()) {
        screen.bHasView = true;
        pView->GetClientRect(&screen.client);
        screen.ratio = pView->devicePixelRatioF();
    }
    screen.nScrollBar = GetSystemMetrics(SM_CXVSCROLL);
    return screen;
}

void CPagelotDoc::RefreshDisplay()
{
    m_displayPage.MakeDib();
    ShowDisplay();
}

void CPagelotDoc::ShowDisplay()
{
    UpdateAllViews(nullptr, 0, nullptr);
    PrepareNeighbours();
}

void CPagelotDoc::PrepareNeighbours()
{
    if (!HasPage())
        return;
    std::vector<std::int32_t> pages;
    for (const std::int32_t page : {m_nCurrentPage + 1, m_nCurrentPage - 1})
        if (page >= 0 && page < m_nPageCount)
            pages.push_back(page);
    m_preparedScreen = Screen();
    // As the page commands will render them: only a half turn is carried over.
    const RenderPlan plan = PlanZoom(ZoomModeInfoOf(m_nZoomMode),
                                     m_bUpsideDown ? Rotation::UpsideDown : Rotation::None);
    m_pPrefetcher->Prepare(m_strPath, std::move(pages), m_bAntiAlias,
                           [plan](CSize page) { return plan.For(page); });
}

void CPagelotDoc::OnScreenChanged()
{
    // Resizes come in bursts while a window edge is dragged; one that leaves the
    // screen as it was prepared for costs only this comparison.
    if (HasPage() && Screen() != m_preparedScreen)
        PrepareNeighbours();
}

BOOL CPagelotDoc::OnOpenDocument(const CString &pathName)
{
    LoadFaxFile(pathName, FALSE);
    m_displayPage.MakeDib();
    PrepareNeighbours();
    return TRUE;
}

void CPagelotDoc::OnFileOpen()
{
    // Faxes come as .tif and .tiff in any letter case.
    CFileDialog dialog(TRUE, {}, {}, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       QStringLiteral("TIFF Files (*.tif)|*.tif;*.tiff|All Files (*)|*||"));
    dialog.m_ofn.lpstrTitle = QStringLiteral("Open Fax Document");
    dialog.m_ofn.lpstrInitialDir =
        HasFile() ? QFileInfo(m_strPath).absolutePath() : QDir::currentPath();
    if (dialog.DoModal() != IDOK)
        return;
    LoadFaxFile(dialog.GetPathName(), TRUE);
    RefreshDisplay();
}

void CPagelotDoc::OnFolderStep(bool next)
{
    if (!HasFile())
        return;
    const FolderFax *pFax = m_folder.Step(next);
    if (!pFax)
        return;
    const CString path = pFax->path;
    const ZoomMode zoom = m_nZoomMode;
    const std::uint32_t serial = m_nLoadSerial;
    LoadFaxFile(path, TRUE);
    // A fax that cannot be opened leaves the shown one as it was; the next step goes on
    // past it.
    if (m_nLoadSerial == serial)
        return;
    // Reading through a folder at one zoom: the fax opens as it would, then takes it.
    if (zoom != m_nZoomMode && (!HasPage() || RenderZoom(ZoomModeInfoOf(zoom), Rotation::None)))
        m_nZoomMode = zoom;
    RefreshDisplay();
}

void CPagelotDoc::OnUpdateFolderStep(bool next, CCmdUI *pCmdUI)
{
    pCmdUI->Enable(HasFile() && m_folder.CanStep(next));
}

bool CPagelotDoc::HasFileChanged() const
{
    // A file gone for the moment is no other file: reading it fails on its own.
    const FileIdentity now = FileIdentityOf(m_strPath);
    return HasFile() && now.IsKnown() && !(now == m_fileIdentity);
}

bool CPagelotDoc::CheckFileUnchanged()
{
    if (!HasFileChanged())
        return true;
    const CString text = QStringLiteral("The file %1 has changed since it was opened.\n\n"
                                        "Open it again from page 1?")
                             .arg(PathForDisplay(QDir::toNativeSeparators(m_strPath)));
    if (AfxMessageBox(text, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
        LoadFaxFile(m_strPath, TRUE);
        RefreshDisplay();
    }
    return false;
}
