#include "framework/Dc.h"
#include "framework/EnlargedRow.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

// Indices beyond a short table draw black rather than whatever Qt would make of
// a missing entry.
QList<QRgb> colourTable(const BITMAPINFO *info, int entries)
{
    QList<QRgb> table(entries, qRgb(0, 0, 0));
    const DWORD used = info->bmiHeader.biClrUsed;
    const int given = used == 0 || used > DWORD(entries) ? entries : int(used);
    const auto *quads = reinterpret_cast<const BYTE *>(info) + info->bmiHeader.biSize;
    for (int i = 0; i < given; ++i) {
        RGBQUAD quad;
        std::memcpy(&quad, quads + 4 * std::size_t(i), sizeof quad);
        table[i] = qRgb(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
    }
    return table;
}

// A destination that covers as many device pixels as the source has (the page at
// a device pixel ratio, scrolled to a fractional device position) is placed on
// whole device pixels and copied unscaled, rather than stretched by a fraction of
// a pixel, which would double or drop a row somewhere.
QTransform snappedToPixels(const QTransform &toDevice, int width, int height)
{
    if (toDevice.type() > QTransform::TxScale)
        return toDevice;
    const double sx = toDevice.m11(), sy = toDevice.m22();
    if (std::abs(std::abs(sx) - 1) * width >= 1 || std::abs(std::abs(sy) - 1) * height >= 1)
        return toDevice;
    return QTransform(sx < 0 ? -1 : 1, 0, 0, sy < 0 ? -1 : 1, std::round(toDevice.dx()),
                      std::round(toDevice.dy()));
}

// About a quarter of a megabyte per band: converted and copied out while it is still
// in the cache, however wide the window.
constexpr qsizetype BAND_BYTES = qsizetype(256) * 1024;

// The first and one past the last device pixel of [from, to), rounded as Qt rounds the
// edges of a filled rectangle: the background beside the page then meets it without a
// pixel left unpainted or painted by both.
std::pair<int, int> pixelsWithin(double from, double to)
{
    return {int(std::floor(from + 0.5)), int(std::floor(to + 0.5))};
}

// For each device pixel of [first, first + count), the source index under its centre:
// device = scale * source + offset, clamped to the source's [0, size).
std::vector<int> sourceIndices(int first, int count, double scale, double offset, int size)
{
    std::vector<int> indices(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const double at = std::floor((first + i + 0.5 - offset) / scale);
        indices[std::size_t(i)] = int(std::clamp(at, 0.0, double(size - 1)));
    }
    return indices;
}

// The device's own pixels, when the enlargement of `area` may be written straight into
// them and come out as drawImage would draw it: an opaque 32-bit image, drawn over with
// no opacity or blending, and clipped by nothing but rectangles holding the whole area.
// Else null, and the enlargement goes through drawImage. Written straight, a paint
// touches each device pixel once instead of twice.
QImage *writableDevice(QPainter &painter, const QRect &area)
{
    QPaintEngine *engine = painter.paintEngine();
    QPaintDevice *device = engine->paintDevice();
    if (device->devType() != QInternal::Image || painter.opacity() != 1.0
        || (painter.compositionMode() != QPainter::CompositionMode_SourceOver
            && painter.compositionMode() != QPainter::CompositionMode_Source))
        return nullptr;
    auto *image = static_cast<QImage *>(device);
    const QImage::Format format = image->format();
    // A shared image would be copied by the first write, away from the one painted on.
    if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
         && format != QImage::Format_ARGB32_Premultiplied)
        || !image->isDetached() || !image->rect().contains(area))
        return nullptr;
    // The clip set on the painter: its bounding rectangle already bounds the area, so a
    // single rectangle holds it.
    if (painter.hasClipping() && painter.clipRegion().rectCount() > 1)
        return nullptr;
    // What the window system leaves of a widget in its window's backing store.
    const QRegion system = engine->systemClip();
    if (!system.isEmpty() && system.intersected(area) != QRegion(area))
        return nullptr;
    return image;
}

// An 8-bit image enlarged pixel for pixel onto a raster device, where toDevice (source
// pixels to device pixels) makes no source pixel smaller than a device pixel. Qt's own
// transformed drawing fetches and converts every device pixel through its generic path,
// which on a screen of device pixel ratio 2 costs four times the page itself; here each
// device row is converted once, run by run, and rows that repeat the one above are
// copied.
//
// Draws the part `source` of the image (with a full 256-entry table), (0, 0) being its
// top-left corner in memory. Each device pixel shows the source pixel under its centre,
// so a strip painted alone matches the same strip of a whole paint; only the device
// pixels inside the painter's clip are built. worldFromDevice takes device pixels back
// to the painter's world, whose transform is left changed. False when the working rows
// cannot be had: nothing is drawn then. Kept out of line: inlined into StretchDIBits,
// GCC 12 makes its row loop about a third slower.
[[gnu::noinline]] bool drawEnlarged(QPainter &painter, const QImage &image, const QRect &source,
                                    const QTransform &toDevice, const QTransform &worldFromDevice)
{
    ClearUpperVectorHalves();
    const QRectF target = toDevice.mapRect(QRectF(0, 0, source.width(), source.height()));
    const QPaintDevice *device = painter.paintEngine()->paintDevice();
    const QRectF paintable = painter.hasClipping()
                                 ? painter.deviceTransform().mapRect(painter.clipBoundingRect())
                                 : QRectF(0, 0, device->width(), device->height());
    const QRectF area = target.intersected(paintable);
    const auto [left, right] = pixelsWithin(area.left(), area.right());
    const auto [top, bottom] = pixelsWithin(area.top(), area.bottom());
    const int width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0)
        return true;

    std::vector<int> columns =
        sourceIndices(left, width, toDevice.m11(), toDevice.dx(), source.width());
    for (int &column : columns)
        column += source.left();
    const std::vector<int> rows =
        sourceIndices(top, height, toDevice.m22(), toDevice.dy(), source.height());
    const QList<QRgb> table = image.colorTable();
    const CEnlargedRow enlarged(std::move(columns), image.width(), table.constData());
    const std::size_t rowBytes = std::size_t(width) * sizeof(QRgb);
    // Device row i into out: a copy of the row above (null when there is none at hand)
    // where both show the same source row.
    const auto drawRow = [&](int i, QRgb *out, const uchar *above) {
        const std::size_t row = std::size_t(rows[std::size_t(i)]);
        if (above && row == std::size_t(rows[std::size_t(i) - 1]))
            std::memcpy(out, above, rowBytes);
        else
            enlarged.Draw(out, image.constScanLine(source.top() + int(row)));
    };

    if (QImage *pixels = writableDevice(painter, QRect(left, top, width, height))) {
        const qsizetype stride = pixels->bytesPerLine();
        uchar *first = pixels->bits() + qsizetype(top) * stride + qsizetype(left) * 4;
        for (int i = 0; i < height; ++i) {
            uchar *out = first + qsizetype(i) * stride;
            drawRow(i, reinterpret_cast<QRgb *>(out), i > 0 ? out - stride : nullptr);
        }
        return true;
    }

    painter.setWorldTransform(worldFromDevice);
    const int bandRows = int(std::clamp<qsizetype>(BAND_BYTES / (qsizetype(width) * 4), 1, height));
    // The band's memory is kept from paint to paint: a block this size is one the
    // allocator may hand out fresh from the kernel every time, and every page of it
    // would be a fault on each paint.
    thread_local std::vector<QRgb> bandPixels;
    const std::size_t bandSize = std::size_t(width) * std::size_t(bandRows);
    if (bandPixels.size() < bandSize) {
        try {
            bandPixels.resize(bandSize);
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    QImage band(reinterpret_cast<uchar *>(bandPixels.data()), width, bandRows,
                qsizetype(width) * qsizetype(sizeof(QRgb)), QImage::Format_RGB32);
    if (band.isNull())
        return false;
    for (int first = 0; first < height; first += bandRows) {
        const int count = std::min(bandRows, height - first);
        for (int i = 0; i < count; ++i)
            drawRow(first + i, reinterpret_cast<QRgb *>(band.scanLine(i)),
                    i > 0 ? band.constScanLine(i - 1) : nullptr);
        painter.drawImage(QPoint(left, top + first), band, QRect(0, 0, width, count));
        ClearUpperVectorHalves();
    }
    return true;
}

} // namespace

int CDC::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                       int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info,
                       UINT usage, DWORD rop)
{
    if (!CanDraw() || !bits || !info || usage != DIB_RGB_COLORS || rop != SRCCOPY || srcWidth <= 0
        || srcHeight <= 0)
        return 0;
    const BITMAPINFOHEADER &header = info->bmiHeader;
    const QImage::Format format = header.biBitCount == 1    ? QImage::Format_Mono
                                  : header.biBitCount == 8  ? QImage::Format_Indexed8
                                  : header.biBitCount == 24 ? QImage::Format_BGR888
                                                            : QImage::Format_Invalid;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB
        || header.biWidth <= 0 || header.biHeight == 0 || format == QImage::Format_Invalid)
        return 0;

    // A height of INT_MIN has no positive count of rows an image can hold.
    const qint64 rows = std::llabs(qint64(header.biHeight));
    if (rows > std::numeric_limits<int>::max())
        return 0;
    const qsizetype stride = (qsizetype(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    // The const constructor wraps the caller's rows: no copy, and none later either.
    QImage image(static_cast<const uchar *>(bits), header.biWidth, int(rows), stride, format);
    if (image.isNull())
        return 0;
    if (header.biBitCount <= 8)
        image.setColorTable(colourTable(info, 1 << header.biBitCount));
    Q_ASSERT(image.constBits() == bits);

    // Bottom-up rows keep their memory order: image row 0 is the bottom row, the
    // DIB's source origin is its lower-left corner, and a flip in the transform
    // sets the rows the right way up.
    const bool bottomUp = header.biHeight > 0;
    QTransform place;
    place.translate(xDest, bottomUp ? yDest + destHeight : yDest);
    place.scale(double(destWidth) / srcWidth, (bottomUp ? -1.0 : 1.0) * destHeight / srcHeight);

    QPainter &painter = *m_pPainter;
    const QTransform logical = painter.worldTransform();
    // The device transform adds to the world the device pixel ratio and the offset of a
    // widget in its window; a world that cannot be inverted shows nothing.
    bool invertible = false;
    const QTransform worldFromDevice = painter.deviceTransform().inverted(&invertible) * logical;
    if (!invertible)
        return 0;
    const QTransform toDevice =
        snappedToPixels(place * painter.deviceTransform(), srcWidth, srcHeight);
    const QRect source(xSrc, ySrc, srcWidth, srcHeight);
    const QPaintEngine *engine = painter.paintEngine();
    if (format == QImage::Format_Indexed8 && image.rect().contains(source)
        && engine->type() == QPaintEngine::Raster && engine->paintDevice()
        && toDevice.type() <= QTransform::TxScale && std::abs(toDevice.m11()) >= 1
        && std::abs(toDevice.m22()) >= 1) {
        const bool drawn = drawEnlarged(painter, image, source, toDevice, worldFromDevice);
        painter.setWorldTransform(logical);
        return drawn ? srcHeight : 0;
    }
    painter.setWorldTransform(toDevice * worldFromDevice);
    painter.drawImage(QRectF(0, 0, srcWidth, srcHeight), image,
                      QRectF(xSrc, ySrc, srcWidth, srcHeight));
    painter.setWorldTransform(logical);
    return srcHeight;
}
