#include "framework/DibEnlargement.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// About a quarter of a megabyte per band: converted and copied out while it is still
// in the cache, however wide the window.
constexpr qsizetype BAND_BYTES = 256 * 1024;

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

// The device pixels that can show anything: the painter's clip, or the whole device.
QRectF paintable(const QPainter &painter)
{
    if (painter.hasClipping())
        return painter.deviceTransform().mapRect(painter.clipBoundingRect());
    const QPaintDevice *device = painter.paintEngine()->paintDevice();
    return QRectF(0, 0, device->width(), device->height());
}

} // namespace

bool canDrawEnlarged(const QPainter &painter, const QTransform &toDevice)
{
    const QPaintEngine *engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice())
        return false;
    return toDevice.type() <= QTransform::TxScale && std::abs(toDevice.m11()) >= 1
           && std::abs(toDevice.m22()) >= 1;
}

bool drawEnlarged(QPainter &painter, const Enlargement &image, const QTransform &toDevice,
                  const QTransform &worldFromDevice)
{
    const QRect &source = image.source;
    const QRectF target = toDevice.mapRect(QRectF(0, 0, source.width(), source.height()));
    const QRectF area = target.intersected(paintable(painter));
    const auto [left, right] = pixelsWithin(area.left(), area.right());
    const auto [top, bottom] = pixelsWithin(area.top(), area.bottom());
    const int width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0)
        return true;

    std::vector<int> columns =
        sourceIndices(left, width, toDevice.m11(), toDevice.dx(), source.width());
    for (int &column : columns)
        column += source.left();
    std::vector<int> rows =
        sourceIndices(top, height, toDevice.m22(), toDevice.dy(), source.height());

    painter.setWorldTransform(worldFromDevice);
    const int bandRows = int(std::clamp<qsizetype>(BAND_BYTES / (qsizetype(width) * 4), 1, height));
    QImage band(width, bandRows, QImage::Format_RGB32);
    if (band.isNull())
        return false;
    for (int first = 0; first < height; first += bandRows) {
        const int count = std::min(bandRows, height - first);
        for (int i = 0; i < count; ++i) {
            const int row = rows[std::size_t(first + i)];
            auto *out = reinterpret_cast<QRgb *>(band.scanLine(i));
            if (i > 0 && row == rows[std::size_t(first + i - 1)]) {
                std::memcpy(out, band.constScanLine(i - 1), std::size_t(width) * sizeof(QRgb));
                continue;
            }
            const std::uint8_t *in = image.pixels + (source.top() + row) * image.stride;
            for (int x = 0; x < width; ++x)
                out[x] = image.table[in[columns[std::size_t(x)]]];
        }
        painter.drawImage(QPoint(left, top + first), band, QRect(0, 0, width, count));
    }
    return true;
}
