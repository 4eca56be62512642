#include "document/PageFit.h"

#include <algorithm>

std::int32_t FitWidthTarget(const CRect &client, std::int32_t scrollBar, CSize shown)
{
    std::int32_t target = client.Width() - 1;
    if (shown.cy <= client.Height())
        target -= scrollBar;
    return target;
}

std::int32_t FitHeightTarget(const CRect &client, std::int32_t scrollBar, CSize shown)
{
    std::int32_t target = client.Height() - 1;
    if (shown.cx > client.Width())
        target += scrollBar;
    return target;
}

CSize FitToWidth(CSize page, std::int32_t target)
{
    if (page.cx <= 0 || page.cy <= 0)
        return CSize();
    const std::int64_t width = std::min(target, page.cx);
    return CSize(static_cast<std::int32_t>(width),
                 static_cast<std::int32_t>(std::int64_t(page.cy) * width / page.cx));
}

CSize FitToHeight(CSize page, std::int32_t target)
{
    if (page.cx <= 0 || page.cy <= 0)
        return CSize();
    const std::int64_t height = std::min(target, page.cy);
    return CSize(static_cast<std::int32_t>(std::int64_t(page.cx) * height / page.cy),
                 static_cast<std::int32_t>(height));
}

namespace {

std::int32_t fitTarget(const RenderPlan &plan)
{
    const ScreenState &screen = plan.screen;
    return plan.zoom.fit == ZoomFit::Width
               ? FitWidthTarget(screen.client, screen.nScrollBar, plan.shownNow)
               : FitHeightTarget(screen.client, screen.nScrollBar, plan.shownNow);
}

} // namespace

bool RenderPlan::HasRoom() const
{
    return zoom.fit == ZoomFit::None || (screen.bHasView && fitTarget(*this) >= 1);
}

std::optional<RenderTarget> RenderPlan::For(CSize page) const
{
    if (page.cx <= 0 || page.cy <= 0 || !HasRoom())
        return std::nullopt;
    RenderTarget render{CSize(), zoom.divisor == 1, screen.ratio, bSmooth, nTurn};
    if (zoom.fit != ZoomFit::None) {
        // After a quarter turn the page's height becomes the shown width, and its width
        // the shown height.
        const bool alongWidth = (zoom.fit == ZoomFit::Width) != bQuarterTurned;
        const std::int32_t target = fitTarget(*this);
        render.shown = alongWidth ? FitToWidth(page, target) : FitToHeight(page, target);
    } else if (!render.bActualSize) {
        render.shown = CSize(page.cx / zoom.divisor, page.cy / zoom.divisor);
    }
    // Nothing to show at such a size; a refused reduction would leave a black page.
    if (!render.bActualSize && (render.shown.cx < 1 || render.shown.cy < 1))
        return std::nullopt;
    return render;
}
