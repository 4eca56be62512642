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
