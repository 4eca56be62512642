#include "display/PagePrefetcher.h"
#include "display/PageRender.h"
#include "document/PageFit.h"
#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

// The turn that takes the shown page from one rotation to another, indexed [from][to];
// -1 where nothing turns.
constexpr std::int32_t TURN_BETWEEN[4][4] = {
    {-1, IMG_ROT_CCW90, IMG_ROT_180, IMG_ROT_CW90},
    {IMG_ROT_CW90, -1, IMG_ROT_CCW90, IMG_ROT_180},
    {IMG_ROT_180, IMG_ROT_CW90, -1, IMG_ROT_CCW90},
    {IMG_ROT_CCW90, IMG_ROT_180, IMG_ROT_CW90, -1},
};

std::int32_t turnBetween(Rotation from, Rotation to)
{
    return TURN_BETWEEN[static_cast<int>(from)][static_cast<int>(to)];
}

bool isQuarterTurned(Rotation rotation)
{
    return rotation == Rotation::Left || rotation == Rotation::Right;
}

} // namespace

void CPagelotDoc::ChangePage(std::int32_t index)
{
    // The update rules keep the index in range; a command that slips past a stale
    // toolbar state must not read a page that is not there.
    if (!HasFile() || index < 0 || index >= m_nPageCount || !CheckFileUnchanged())
        return;
    // Only a half turn is carried to the new page, so the fits never swap the sides.
    const RenderPlan plan = PlanZoom(ZoomModeInfoOf(m_nZoomMode),
                                     m_bUpsideDown ? Rotation::UpsideDown : Rotation::None);
    // A change that stops early leaves the page held, its number and the panes on the
    // same page: a fit with no room at all is refused before anything is read.
    if (!plan.HasRoom())
        return;
    const auto rule = [&plan](CSize page) { return plan.For(page); };
    if (std::shared_ptr<PreparedPage> prepared = m_pPrefetcher->Take(index, m_strPath, rule)) {
        // Read and rendered ahead for this very state: swapped in, bitmap and all. The
        // page it replaces is a neighbour now: kept as prepared when it is rendered for
        // the state asked for, else its blocks go to the next page prepared.
        const std::optional<RenderTarget> left = m_shownRender;
        m_sourcePage.Swap(prepared->source);
        m_displayPage.Swap(prepared->display);
        m_shownRender = prepared->render;
        if (left) {
            // Shown only while the file was the one opened.
            prepared->index = m_nCurrentPage;
            prepared->render = *left;
            prepared->identity = m_fileIdentity;
            m_pPrefetcher->Keep(std::move(prepared));
        } else {
            m_pPrefetcher->GiveBack(std::move(prepared));
        }
    } else {
        // The new page is read into the blocks of the one it replaces.
        if (const std::uint32_t code =
                ReadShownPage(m_sourcePage, m_strPath, index, nullptr, m_bAntiAlias)) {
            m_shownRender.reset();
            ShowReadError(index, code);
            return;
        }
        const std::optional<RenderTarget> render = plan.For(m_sourcePage.m_size);
        if (!render) {
            // A page too narrow to show a pixel of at this fit: the page shown stays, and
            // so does the page it was rendered from.
            if (ReadShownPage(m_sourcePage, m_strPath, m_nCurrentPage, nullptr, m_bAntiAlias))
                m_shownRender.reset();
            return;
        }
        RenderPage(m_displayPage, m_sourcePage, *render);
        m_displayPage.MakeDib();
        m_shownRender = render;
    }
    if (!m_bUpsideDown)
        m_nRotation = Rotation::None;
    m_nCurrentPage = index;
    ShowDisplay();
}

void CPagelotDoc::GoToPage(std::int32_t index)
{
    if (index != m_nCurrentPage)
        ChangePage(index);
}

void CPagelotDoc::OnPageFirst() { ChangePage(0); }

void CPagelotDoc::OnPagePrevious() { ChangePage(m_nCurrentPage - 1); }

void CPagelotDoc::OnPageNext() { ChangePage(m_nCurrentPage + 1); }

void CPagelotDoc::OnPageLast() { ChangePage(m_nPageCount - 1); }

void CPagelotDoc::OnUpdatePageFirstPrevious(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(HasFile() && m_nCurrentPage > 0);
}

void CPagelotDoc::OnUpdatePageNextLast(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(HasFile() && m_nCurrentPage < m_nPageCount - 1);
}

RenderPlan CPagelotDoc::PlanZoom(const ZoomModeInfo &zoom, Rotation turn) const
{
    return RenderPlan{zoom,
                      Screen(),
                      m_displayPage.ShownSize(),
                      isQuarterTurned(turn),
                      m_bAntiAlias,
                      turnBetween(Rotation::None, turn)};
}

bool CPagelotDoc::RenderZoom(const ZoomModeInfo &zoom, Rotation turn)
{
    const std::optional<RenderTarget> render = PlanZoom(zoom, turn).For(m_sourcePage.m_size);
    if (!render || !m_sourcePage.m_pPixels)
        return false;
    RenderPage(m_displayPage, m_sourcePage, *render);
    m_shownRender = render;
    return true;
}

void CPagelotDoc::SetZoom(ZoomMode mode)
{
    m_nZoomMode = mode;
    RefreshDisplay();
}

void CPagelotDoc::OnZoom(const ZoomModeInfo &zoom)
{
    if (zoom.fit == ZoomFit::None && m_nZoomMode == zoom.mode)
        return;
    if (RenderZoom(zoom, m_nRotation))
        SetZoom(zoom.mode);
}

void CPagelotDoc::OnZoomFitWidth() { OnZoom(ZoomModeInfoOf(ZoomMode::FitWidth)); }

void CPagelotDoc::OnZoomFitHeight() { OnZoom(ZoomModeInfoOf(ZoomMode::FitHeight)); }

void CPagelotDoc::OnZoomActualSize() { OnZoom(ZoomModeInfoOf(ZoomMode::ActualSize)); }

void CPagelotDoc::OnZoom33() { OnZoom(ZoomModeInfoOf(ZoomMode::Scale33)); }

void CPagelotDoc::OnZoom50() { OnZoom(ZoomModeInfoOf(ZoomMode::Scale50)); }

const ZoomModeInfo *CPagelotDoc::ZoomStep(bool larger) const
{
    const std::int32_t pageWidth = m_sourcePage.m_size.cx;
    if (!HasPage() || pageWidth <= 0)
        return nullptr;
    // Scales compare by the width they give the page's own width: a fixed scale's exactly,
    // a fit's as shown, across the page after a quarter turn.
    const ZoomModeInfo &current = ZoomModeInfoOf(m_nZoomMode);
    std::int32_t shownWidth = 0;
    if (current.fit == ZoomFit::None) {
        shownWidth = pageWidth / current.divisor;
    } else {
        const CSize shown = m_displayPage.ShownSize();
        shownWidth = isQuarterTurned(m_nRotation) ? shown.cy : shown.cx;
    }
    const ZoomModeInfo *step = nullptr;
    std::int32_t stepWidth = 0;
    for (const ZoomModeInfo &zoom : ZoomModes()) {
        if (zoom.fit != ZoomFit::None || zoom.mode == m_nZoomMode)
            continue;
        const std::int32_t width = pageWidth / zoom.divisor;
        const bool onTheWay = larger ? width > shownWidth : width < shownWidth;
        const bool nearer = !step || (larger ? width < stepWidth : width > stepWidth);
        if (onTheWay && nearer) {
            step = &zoom;
            stepWidth = width;
        }
    }
    return step;
}

void CPagelotDoc::OnZoomStep(bool larger)
{
    if (const ZoomModeInfo *zoom = ZoomStep(larger))
        OnZoom(*zoom);
}

void CPagelotDoc::OnUpdateZoomStep(bool larger, CCmdUI *pCmdUI)
{
    pCmdUI->Enable(ZoomStep(larger) != nullptr);
}

void CPagelotDoc::OnUpdateHasPage(CCmdUI *pCmdUI) { pCmdUI->Enable(HasPage()); }

void CPagelotDoc::UpdateRadio(CCmdUI *pCmdUI, bool selected)
{
    pCmdUI->Enable(HasPage());
    pCmdUI->SetRadio(selected);
}

void CPagelotDoc::OnUpdateZoom(const ZoomModeInfo &zoom, CCmdUI *pCmdUI)
{
    if (zoom.bRadio)
        UpdateRadio(pCmdUI, m_nZoomMode == zoom.mode);
    else
        OnUpdateHasPage(pCmdUI);
}

void CPagelotDoc::RotateTo(Rotation target)
{
    if (m_nRotation == target)
        return;
    // Turns the page already rendered; nothing is read or reduced again.
    m_displayPage.Rotate(turnBetween(m_nRotation, target));
    // A half turn of the page is what rendering it turned gives; a quarter turn keeps the
    // size of the page unturned, which no render for the new turn gives.
    if (m_shownRender && !isQuarterTurned(m_nRotation) && !isQuarterTurned(target))
        m_shownRender->nTurn = turnBetween(Rotation::None, target);
    else
        m_shownRender.reset();
    m_nRotation = target;
    m_bUpsideDown = target == Rotation::UpsideDown;
    RefreshDisplay();
}

void CPagelotDoc::OnRotateNone() { RotateTo(Rotation::None); }

void CPagelotDoc::OnRotateLeft() { RotateTo(Rotation::Left); }

void CPagelotDoc::OnRotateRight() { RotateTo(Rotation::Right); }

void CPagelotDoc::OnRotateUpsideDown() { RotateTo(Rotation::UpsideDown); }

void CPagelotDoc::OnUpdateRotateNone(CCmdUI *pCmdUI)
{
    UpdateRadio(pCmdUI, m_nRotation == Rotation::None);
}

void CPagelotDoc::OnUpdateRotateLeft(CCmdUI *pCmdUI)
{
    UpdateRadio(pCmdUI, m_nRotation == Rotation::Left);
}

void CPagelotDoc::OnUpdateRotateRight(CCmdUI *pCmdUI)
{
    UpdateRadio(pCmdUI, m_nRotation == Rotation::Right);
}

void CPagelotDoc::OnUpdateRotateUpsideDown(CCmdUI *pCmdUI)
{
    UpdateRadio(pCmdUI, m_nRotation == Rotation::UpsideDown);
}

void CPagelotDoc::OnViewAntiAlias()
{
    m_bAntiAlias = !m_bAntiAlias;
    m_shownRender.reset();
    // Merged rows were averaged or kept black by the old setting: merge them afresh,
    // for the next rendering too when this one waits.
    if (m_sourcePage.HasMergedRows() && !HasFileChanged()) {
        CPageBitmap merged;
        merged.Swap(m_sourcePage);
        if (m_sourcePage.LoadPage(m_strPath, m_nCurrentPage) != IMG_OK
            || !m_sourcePage.NeedsRowMerging() || m_sourcePage.MergeRows(m_bAntiAlias) != IMG_OK)
            m_sourcePage.Swap(merged);
    }
    // An unreduced page is not smoothed: the new setting waits for the next reduction.
    if (m_nZoomMode == ZoomMode::ActualSize)
        return;
    // Same shown size, taken before the quarter turn; a fit is not fitted again.
    const CSize shown = m_displayPage.ShownSize();
    const CSize unturned = isQuarterTurned(m_nRotation) ? CSize(shown.cy, shown.cx) : shown;
    // Nothing to show at such a size; a refused reduction would leave a black page.
    if (unturned.cx < 1 || unturned.cy < 1 || !m_sourcePage.m_pPixels)
        return;
    RenderPage(m_displayPage, m_sourcePage,
               RenderTarget{unturned, false, Screen().ratio, m_bAntiAlias,
                            turnBetween(Rotation::None, m_nRotation)});
    RefreshDisplay();
}

void CPagelotDoc::OnViewToolTips()
{
    m_bEnableTips = !m_bEnableTips;
    if (CFrameWnd *pFrame = AfxGetMainWnd())
        pFrame->ShowToolbarTips(m_bEnableTips);
    WriteEnableTipsSetting(m_bEnableTips);
}

void CPagelotDoc::OnUpdateViewAntiAlias(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(HasPage());
    pCmdUI->SetCheck(m_bAntiAlias ? 1 : 0);
}

void CPagelotDoc::OnUpdateViewToolTips(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_bEnableTips ? 1 : 0);
}
