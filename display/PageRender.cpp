#include "display/PageRender.h"

std::uint32_t ReadShownPage(CPageBitmap &source, const CString &path, std::int32_t index,
                            std::int32_t *pPageCount, BOOL smooth)
{
    const std::uint32_t code = source.LoadPage(path, index);
    // Taken before the rows are reshaped, which starts the page afresh; a page that
    // cannot be read still gives the file's count.
    if (pPageCount)
        *pPageCount = source.m_nPageCount;
    if (code)
        return code;
    // The one correction of the pixels' shape on the screen's road.
    source.ShapeAsShown(smooth);
    return IMG_OK;
}

std::uint32_t RenderPage(CPageBitmap &display, CPageBitmap &source, const RenderTarget &render)
{
    const std::uint32_t code =
        render.bActualSize
            ? display.CopyFrom(source)
            : display.ScaleForScreen(source, render.shown, render.ratio, render.bSmooth);
    if (render.nTurn != RenderTarget::NO_TURN)
        display.Rotate(render.nTurn);
    return code;
}
