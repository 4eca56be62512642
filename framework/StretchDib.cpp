#include "framework/Dc.h"

#include "framework/DibEnlargement.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

struct DibFormat
{
    QImage::Format format;
    int tableEntries;
};

bool dibFormat(const BITMAPINFOHEADER &header, DibFormat &result)
{
    switch (header.biBitCount) {
    case 1:
        result = {QImage::Format_Mono, 2};
        return true;
    case 8:
        result = {QImage::Format_Indexed8, 256};
        return true;
    case 24:
        result = {QImage::Format_BGR888, 0};
        return true;
    default:
        return false;
    }
}

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
        std::memcpy(&quad, quads + 4 * i, sizeof quad);
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

} // namespace

int CDC::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                       int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info,
                       UINT usage, DWORD rop)
{
    if (!CanDraw() || !bits || !info || usage != DIB_RGB_COLORS || rop != SRCCOPY || srcWidth <= 0
        || srcHeight <= 0)
        return 0;
    const BITMAPINFOHEADER &header = info->bmiHeader;
    DibFormat format;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB
        || header.biWidth <= 0 || header.biHeight == 0 || !dibFormat(header, format))
        return 0;

    const qsizetype rows = std::llabs(qint64(header.biHeight));
    const qsizetype stride = (qsizetype(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    // The const constructor wraps the caller's rows: no copy, and none later either.
    QImage image(static_cast<const uchar *>(bits), header.biWidth, rows, stride, format.format);
    if (image.isNull())
        return 0;
    if (format.tableEntries)
        image.setColorTable(colourTable(info, format.tableEntries));
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
    // What lies between the world and the device's pixels: the device pixel ratio and
    // the offset of a widget in its window.
    bool invertible = true;
    const QTransform deviceFromWorld = logical.inverted(&invertible) * painter.deviceTransform();
    const QTransform worldFromDevice = deviceFromWorld.inverted(&invertible);
    if (invertible) {
        const QTransform toDevice =
            snappedToPixels(place * logical * deviceFromWorld, srcWidth, srcHeight);
        const QRect source(xSrc, ySrc, srcWidth, srcHeight);
        if (format.format == QImage::Format_Indexed8 && image.rect().contains(source)
            && canDrawEnlarged(painter, toDevice)) {
            Enlargement enlargement{image.constBits(), image.bytesPerLine(), {}, source};
            const QList<QRgb> table = image.colorTable();
            std::copy_n(table.begin(), std::min<qsizetype>(table.size(), 256), enlargement.table);
            const bool drawn = drawEnlarged(painter, enlargement, toDevice, worldFromDevice);
            painter.setWorldTransform(logical);
            return drawn ? srcHeight : 0;
        }
        painter.setWorldTransform(toDevice * worldFromDevice);
    } else {
        painter.setWorldTransform(place * logical);
    }
    painter.drawImage(QRectF(0, 0, srcWidth, srcHeight), image,
                      QRectF(xSrc, ySrc, srcWidth, srcHeight));
    painter.setWorldTransform(logical);
    return srcHeight;
}
