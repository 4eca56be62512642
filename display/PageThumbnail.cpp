#include "display/PageThumbnail.h"

#include "display/PageBitmap.h"
#include "framework/FilePath.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

struct SourceCloser
{
    void operator()(DataSource *source) const { imgCloseSource(source); }
};
using SourcePtr = std::unique_ptr<DataSource, SourceCloser>;

QImage toImage(CPageBitmap &page)
{
    PixelAccess access(page);
    if (!access || page.m_size.cx <= 0 || page.m_size.cy <= 0)
        return {};
    QImage image(page.m_size.cx, page.m_size.cy, QImage::Format_Grayscale8);
    if (image.isNull())
        return {};
    for (std::int32_t y = 0; y < page.m_size.cy; ++y)
        std::memcpy(image.scanLine(y), access.get() + std::size_t(y) * std::size_t(page.m_size.cx),
                    std::size_t(page.m_size.cx));
    return image;
}

} // namespace

std::int32_t ThumbnailHeight(CSize page, std::int32_t xResolution, std::int32_t yResolution,
                             std::int32_t shownWidth)
{
    if (page.cx <= 0 || page.cy <= 0 || shownWidth <= 0)
        return 1;
    double aspect = double(page.cy) / double(page.cx);
    if (xResolution > 0 && yResolution > 0)
        aspect *= double(xResolution) / double(yResolution);
    const double height = std::round(aspect * shownWidth);
    return static_cast<std::int32_t>(std::clamp(height, 1.0, 4.0 * shownWidth));
}

std::uint32_t RenderPageThumbnail(const CString &path, std::int32_t page, std::int32_t width,
                                  QImage *pImage)
{
    *pImage = QImage();
    if (width <= 0)
        return IMG_ERR_BAD_PARAM;
    const QByteArray name = PathBytes(path);
    SourcePtr source(imgOpenFileSource(name.constData()));
    if (!source)
        return imgGetLastError();
    TiffResolution resolution{0, 0, 0};
    imgGetTiffPageResolution(source.get(), page, &resolution);
    imgSeekSource(source.get(), 0, 0);

    CPageBitmap read;
    if (std::uint32_t code = read.ReadPage(source.get(), page))
        return code;
    source.reset();

    const std::int32_t height =
        ThumbnailHeight(read.m_size, resolution.xResolution, resolution.yResolution, width);
    // The smoothing scaler only reduces; a page smaller than its thumbnail is
    // enlarged by Qt instead.
    if (width <= read.m_size.cx && height <= read.m_size.cy) {
        CPageBitmap shown;
        if (std::uint32_t code =
                shown.ScaleFrom(read, std::uint32_t(width), std::uint32_t(height), TRUE))
            return code;
        *pImage = toImage(shown);
    } else {
        *pImage =
            toImage(read).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return pImage->isNull() ? IMG_ERR_NO_MEMORY : IMG_OK;
}
