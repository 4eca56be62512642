#pragma once

#include <QRect>
#include <QRgb>

#include <cstdint>

class QPainter;
class QTransform;

// An 8-bit image enlarged pixel for pixel onto a raster device. Qt's own transformed
// drawing fetches and converts every device pixel through its generic path, which on
// a screen of device pixel ratio 2 costs four times the page itself; here each device
// row is converted once, and rows that repeat the one above are copied.
struct Enlargement
{
    const std::uint8_t *pixels;
    std::int64_t stride; // bytes from one row in memory to the next
    QRgb table[256];     // opaque colours of the indices
    QRect source;        // the part drawn, in memory rows
};

// Whether drawEnlarged takes a drawing mapped by toDevice (source pixels to device
// pixels): a painter on a raster device and a scale, flip or translation that makes no
// source pixel smaller than a device pixel.
bool canDrawEnlarged(const QPainter &painter, const QTransform &toDevice);

// Draws the source rectangle mapped by toDevice, (0, 0) being its top-left corner in
// memory. Each device pixel shows the source pixel under its centre, whatever part is
// painted, so a strip painted alone matches the same strip of a whole paint. Only the
// device pixels inside the painter's clip are built. worldFromDevice takes device pixels
// back to the painter's untransformed coordinates; the painter's world transform is left
// changed. False when the working rows cannot be had: nothing is drawn then.
bool drawEnlarged(QPainter &painter, const Enlargement &image, const QTransform &toDevice,
                  const QTransform &worldFromDevice);
