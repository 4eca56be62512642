#include "display/FaxThumbnail.h"

#include "display/PageBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CSize FitThumbnail(CSize page, std::int32_t size)
{
    if (page.cx <= 0 || page.cy <= 0 || size <= 0)
        return CSize(0, 0);
    const std::int32_t longer = std::max(page.cx, page.cy);
    if (longer <= size)
        return page;
    const double scale = double(size) / double(longer);
    auto side = [&](std::int32_t length) {
        return static_cast<std::int32_t>(std::clamp(std::round(length * scale), 1.0, double(size)));
    };
    return CSize(side(page.cx), side(page.cy));
}

std::uint32_t RenderFaxThumbnail(const CString &path, std::int32_t size, QImage *pImage)
{
    *pImage = QImage();
    if (size <= 0)
        return IMG_ERR_BAD_PARAM;
    CPageBitmap page;
    if (std::uint32_t code = page.LoadPageAsPrinted(path, 0))
        return code;
    if (std::uint32_t code = page.ShapeAsShown(TRUE))
        return code;

    const CSize fitted = FitThumbnail(page.m_size, size);
    CPageBitmap reduced;
    CPageBitmap *pShown = &page;
    if (fitted != page.m_size) {
        if (std::uint32_t code =
                reduced.ScaleFrom(page, std::uint32_t(fitted.cx), std::uint32_t(fitted.cy), TRUE))
            return code;
        pShown = &reduced;
    }

    PixelAccess pixels(*pShown);
    if (!pixels)
        return IMG_ERR_NO_MEMORY;
    QImage image(fitted.cx, fitted.cy, QImage::Format_Grayscale8);
    if (image.isNull())
        return IMG_ERR_NO_MEMORY;
    for (std::int32_t y = 0; y < fitted.cy; ++y)
        std::memcpy(image.scanLine(y), pixels.get() + std::size_t(y) * std::size_t(fitted.cx),
                    std::size_t(fitted.cx));
    *pImage = image;
    return IMG_OK;
}
