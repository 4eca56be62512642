#pragma once

#include "display/FileIdentity.h"
#include "display/PageBitmap.h"
#include "document/FaxFolder.h"
#include "document/PageFit.h"
#include "document/ZoomModes.h"
#include "framework/Document.h"

#include <cstdint>
#include <memory>
#include <optional>

class CCmdUI;
class CPagePrefetcher;

enum class Rotation : std::int32_t {
    None = 0,
    Left = 1,
    UpsideDown = 2,
    Right = 3,
};

// The viewer's one document: the open fax file, the page shown and how it is shown.
// The page as read lives in the source page; what the view draws is derived from it
// (reduced or copied, then turned) into the display page. Only a page change or a new
// file reads the file again.
class CPagelotDoc : public CDocument
{
public:
    CPagelotDoc();
    ~CPagelotDoc() override;

    // Reads page 1 of path and renders it at a third or a half of its size, as the screen
    // allows. Shows the error text when the page cannot be read. The caller rebuilds the
    // display bitmap (RefreshDisplay or MakeDib).
    void LoadFaxFile(const CString &path, BOOL setTitle);
    // Rebuilds the display bitmap and tells the views to rescroll and repaint.
    void RefreshDisplay();
    // The neighbours of the page shown, read and rendered ahead for what is shown now.
    CPagePrefetcher &GetPrefetcher() { return *m_pPrefetcher; }
    // The view's client area or device pixel ratio may have changed: neighbours prepared
    // for another screen are prepared again, as the next page command would render them.
    void OnScreenChanged();
    // The command-line open: reports success even when the page cannot be read, so the
    // framework still records the path and titles the window after it.
    BOOL OnOpenDocument(const CString &pathName) override;

    // The ToolTips choice kept in the settings store, on when nothing is kept.
    static BOOL ReadEnableTipsSetting();
    static void WriteEnableTipsSetting(BOOL bEnable);

    CPageBitmap &GetSourcePage() { return m_sourcePage; }
    CPageBitmap &GetDisplayPage() { return m_displayPage; }
    CPageBitmap &GetPrintPage() { return m_printPage; }
    const CString &GetPath() const { return m_strPath; }
    std::int32_t GetPageCount() const { return m_nPageCount; }
    std::int32_t GetCurrentPage() const { return m_nCurrentPage; }
    ZoomMode GetZoomMode() const { return m_nZoomMode; }
    Rotation GetRotation() const { return m_nRotation; }
    BOOL IsUpsideDown() const { return m_bUpsideDown; }
    BOOL IsAntiAlias() const { return m_bAntiAlias; }
    BOOL IsEnableTips() const { return m_bEnableTips; }
    // Counts the files read in, so a file read again at the same path shows as new.
    std::uint32_t GetLoadSerial() const { return m_nLoadSerial; }

    // Shows page index (0-based) as the page commands do, keeping Upside Down; nothing
    // for the page shown or one out of range.
    void GoToPage(std::int32_t index);
    // A fax is open: a page is shown, or its page 1 could not be read but it has others,
    // which the page commands still reach.
    bool HasFile() const { return m_nPageCount > 0; }
    // The file at the path is no longer the one opened (replaced, grown, rewritten).
    bool HasFileChanged() const;
    // True while the file is the one opened. Otherwise says so once and offers to open it
    // again from page 1; false either way, so no page of the other file is shown or
    // printed under this fax's name.
    bool CheckFileUnchanged();

protected:
    void OnFileOpen();

    void OnPageFirst();
    void OnPagePrevious();
    void OnPageNext();
    void OnPageLast();
    void OnUpdatePageFirstPrevious(CCmdUI *pCmdUI);
    void OnUpdatePageNextLast(CCmdUI *pCmdUI);
    // Opens the fax received after (before) the one shown in its folder, as File > Open
    // does but keeping the zoom.
    void OnFolderStep(bool next);
    void OnUpdateFolderStep(bool next, CCmdUI *pCmdUI);

    // The zoom commands, each its mode's row of the zoom table.
    void OnZoomFitWidth();
    void OnZoomFitHeight();
    void OnZoomActualSize();
    void OnZoom33();
    void OnZoom50();
    // A fixed scale chosen again does nothing; a fit fits the page to the window again.
    void OnZoom(const ZoomModeInfo &zoom);
    void OnUpdateZoom(const ZoomModeInfo &zoom, CCmdUI *pCmdUI);
    // Zoom In and Out step through the fixed scales from what is shown; a fit steps to
    // the nearest scale in that direction.
    void OnZoomStep(bool larger);
    void OnUpdateZoomStep(bool larger, CCmdUI *pCmdUI);
    void OnUpdateHasPage(CCmdUI *pCmdUI);
    // Enabled while a page is shown, with the radio mark where the choice is current.
    void UpdateRadio(CCmdUI *pCmdUI, bool selected);

    void OnRotateNone();
    void OnRotateLeft();
    void OnRotateRight();
    void OnRotateUpsideDown();
    void OnUpdateRotateNone(CCmdUI *pCmdUI);
    void OnUpdateRotateLeft(CCmdUI *pCmdUI);
    void OnUpdateRotateRight(CCmdUI *pCmdUI);
    void OnUpdateRotateUpsideDown(CCmdUI *pCmdUI);

    void OnViewAntiAlias();
    void OnViewToolTips();
    void OnUpdateViewAntiAlias(CCmdUI *pCmdUI);
    void OnUpdateViewToolTips(CCmdUI *pCmdUI);

    void OnUpdateIndicatorPage(CCmdUI *pCmdUI);
    void OnUpdateIndicatorResolution(CCmdUI *pCmdUI);
    void OnUpdateIndicatorSize(CCmdUI *pCmdUI);

private:
    void MapCommands();
    void ChangePage(std::int32_t index);
    // Tells the views the display page changed, and has its neighbours prepared ahead.
    void ShowDisplay();
    void PrepareNeighbours();
    // Reads page index into the source page as the screen shows it, with the file's page
    // count into pPageCount when given; false, after the error box, when it cannot be read.
    bool ReadSourcePage(std::int32_t index, std::int32_t *pPageCount);
    // The message box of a page of the open file that cannot be read.
    void ShowReadError(std::int32_t index, std::uint32_t code) const;
    // The screen as the first view gives it, taken once before a page is rendered.
    ScreenState Screen() const;
    // How a page is rendered for zoom, turned to `turn` afterwards, on the screen now.
    RenderPlan PlanZoom(const ZoomModeInfo &zoom, Rotation turn) const;
    // Renders the display page from the source page for zoom, turned to `turn`. False,
    // with the display page untouched, when there is nothing to show.
    bool RenderZoom(const ZoomModeInfo &zoom, Rotation turn);
    void RotateTo(Rotation target);
    void SetZoom(ZoomMode mode);
    // The fixed scale next larger or smaller than the page shown, or null at that end or
    // without a page.
    const ZoomModeInfo *ZoomStep(bool larger) const;
    bool HasPage() const { return m_displayPage.m_pPixels != nullptr; }

    CPageBitmap m_sourcePage;
    CPageBitmap m_displayPage;
    CPageBitmap m_printPage;
    CString m_strPath;
    Rotation m_nRotation = Rotation::None;
    BOOL m_bUpsideDown = FALSE;
    ZoomMode m_nZoomMode = ZoomMode::FitWidth;
    std::int32_t m_nPageCount = 0;
    std::int32_t m_nCurrentPage = 0;
    std::uint32_t m_nLoadSerial = 0;
    BOOL m_bEnableTips = TRUE;
    BOOL m_bAntiAlias = TRUE;
    CFaxFolderCursor m_folder;
    FileIdentity m_fileIdentity;
    std::unique_ptr<CPagePrefetcher> m_pPrefetcher;
    // The screen the neighbours were last asked for.
    ScreenState m_preparedScreen;
    // What the display page was rendered for from the source page, while the two are
    // exactly that; nothing once either is changed another way. A page left for its
    // neighbour stays prepared when its state is still the one asked for.
    std::optional<RenderTarget> m_shownRender;
};
