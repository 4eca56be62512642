#include "resources/Icons.h"

#include "resources/Resource.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

using DrawFn = void (*)(QPainter &);

const QColor kInk(0x30, 0x30, 0x30);
const QColor kBlue(0x1f, 0x5f, 0xbf);
const QColor kDarkBlue(0x10, 0x35, 0x75);

// Draws a design laid out on a grid of design units (16 x 15 for toolbar buttons) scaled
// to the size asked for. Strokes lie on half units, so at whole scales they cover whole
// pixels and the 1x image has no blurred edges.
class PaintedIconEngine : public QIconEngine
{
public:
    PaintedIconEngine(DrawFn draw, QSizeF design)
        : m_draw(draw)
        , m_design(design)
    {
    }

    QIconEngine *clone() const override { return new PaintedIconEngine(m_draw, m_design); }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap image = pixmap((QSizeF(rect.size()) * dpr).toSize(), mode, state);
        image.setDevicePixelRatio(dpr);
        painter->drawPixmap(rect.topLeft(), image);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return QPixmap();
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            const qreal scale =
                std::min(size.width() / m_design.width(), size.height() / m_design.height());
            painter.translate((size.width() - m_design.width() * scale) / 2,
                              (size.height() - m_design.height() * scale) / 2);
            painter.scale(scale, scale);
            m_draw(painter);
        }
        if (mode == QIcon::Disabled)
            fadeToGrey(image);
        return QPixmap::fromImage(image);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }

private:
    static void fadeToGrey(QImage &image)
    {
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = 96 + qGray(row[x]) * 5 / 8;
                row[x] = qRgba(grey, grey, grey, qAlpha(row[x]) * 3 / 4);
            }
        }
    }

    DrawFn m_draw;
    QSizeF m_design;
};

QPen inkPen(const QColor &colour = kInk)
{
    QPen pen(colour, 1.0);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

enum class Top { Up, Left, Down, Right };

// A sheet with a dark header band (the sending machine's line) on the side that is the
// page's top, and grey text lines parallel to it.
void drawSheet(QPainter &p, const QRectF &sheet, Top top)
{
    p.setPen(inkPen());
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(Qt::NoPen);
    const QRectF inner = sheet.adjusted(1.5, 1.5, -1.5, -1.5);
    const bool across = top == Top::Up || top == Top::Down;
    const qreal depth = across ? inner.height() : inner.width();
    for (qreal at = 0; at < depth; at += 2) {
        const bool header = at == 0;
        p.setBrush(header ? kDarkBlue : QColor(0x80, 0x80, 0x80));
        // Distance from the top side, measured inwards.
        switch (top) {
        case Top::Up:
            p.drawRect(QRectF(inner.left(), inner.top() + at, inner.width(), 1));
            break;
        case Top::Down:
            p.drawRect(QRectF(inner.left(), inner.bottom() - at - 1, inner.width(), 1));
            break;
        case Top::Left:
            p.drawRect(QRectF(inner.left() + at, inner.top(), 1, inner.height()));
            break;
        case Top::Right:
            p.drawRect(QRectF(inner.right() - at - 1, inner.top(), 1, inner.height()));
            break;
        }
        if (header)
            at += 1;
    }
}

const QRectF kUprightSheet(3.5, 1.5, 9, 12);

void drawArrowHead(QPainter &p, QPointF tip, QPointF direction)
{
    const qreal len = std::hypot(direction.x(), direction.y());
    const QPointF d = direction / len;
    const QPointF n(-d.y(), d.x());
    const QPointF base = tip - d * 3.0;
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({tip + d * 0.5, base + n * 2.5, base - n * 2.5}));
}

// A curved arrow over the top of the sheet: clockwise when cw, else counter-clockwise.
void drawTurnArrow(QPainter &p, bool cw)
{
    QPainterPath arc;
    const QRectF box(3, 0.5, 10, 9);
    if (cw) {
        arc.arcMoveTo(box, 160);
        arc.arcTo(box, 160, -130);
    } else {
        arc.arcMoveTo(box, 20);
        arc.arcTo(box, 20, 130);
    }
    QPen pen(kBlue, 1.6);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    const QPointF end = arc.currentPosition();
    const QPointF dir = cw ? QPointF(0.4, 1) : QPointF(-0.4, 1);
    drawArrowHead(p, end + dir * 1.5, dir);
}

void drawOpen(QPainter &p)
{
    p.setPen(inkPen(QColor(0x80, 0x5c, 0x00)));
    p.setBrush(QColor(0xe3, 0xb0, 0x2a));
    p.drawPolygon(
        QPolygonF({{0.5, 2.5}, {5.5, 2.5}, {6.5, 3.5}, {12.5, 3.5}, {12.5, 13.5}, {0.5, 13.5}}));
    p.setBrush(QColor(0xf8, 0xd8, 0x70));
    p.drawPolygon(QPolygonF({{0.5, 13.5}, {3.5, 6.5}, {15.5, 6.5}, {12.5, 13.5}}));
}

void drawPrint(QPainter &p)
{
    p.setPen(inkPen());
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 0.5, 9, 6));
    p.setBrush(QColor(0xb8, 0xb8, 0xb8));
    p.drawRect(QRectF(0.5, 5.5, 15, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xb0, 0x30));
    p.drawRect(QRectF(12, 7, 2, 1));
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRectF(5, 11, 6, 1));
    p.drawRect(QRectF(5, 2, 6, 1));
}

void drawRotateNone(QPainter &p) { drawSheet(p, kUprightSheet, Top::Up); }

// Turned a quarter, the sheet lies across the lower part under the arrow.
const QRectF kLyingSheet(1.5, 6.5, 13, 8);

void drawRotateLeft(QPainter &p)
{
    drawSheet(p, kLyingSheet, Top::Left);
    drawTurnArrow(p, false);
}

void drawRotateRight(QPainter &p)
{
    drawSheet(p, kLyingSheet, Top::Right);
    drawTurnArrow(p, true);
}

void drawUpsideDown(QPainter &p)
{
    drawSheet(p, QRectF(0.5, 1.5, 9, 12), Top::Down);
    QPainterPath arc;
    const QRectF box(7.5, 2.5, 7, 10);
    arc.arcMoveTo(box, 90);
    arc.arcTo(box, 90, -180);
    QPen pen(kBlue, 1.6);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    drawArrowHead(p, arc.currentPosition() + QPointF(-1.5, 0), QPointF(-1, 0));
}

void drawDoubleArrow(QPainter &p, QPointF from, QPointF to)
{
    const QPointF d = to - from;
    QPen pen(kBlue, 1.6);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    p.drawLine(from + u * 2.5, to - u * 2.5);
    drawArrowHead(p, to - u * 0.5, u);
    drawArrowHead(p, from + u * 0.5, -u);
}

void drawFitWidth(QPainter &p)
{
    drawSheet(p, kUprightSheet, Top::Up);
    drawDoubleArrow(p, QPointF(0, 8), QPointF(16, 8));
}

void drawFitHeight(QPainter &p)
{
    drawSheet(p, kUprightSheet, Top::Up);
    drawDoubleArrow(p, QPointF(8, 0), QPointF(8, 15));
}

// Navigation: solid triangles, with a bar for the first and last page.
void drawTriangle(QPainter &p, qreal tipX, qreal baseX)
{
    p.setPen(inkPen(kDarkBlue));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({{tipX, 7.5}, {baseX, 2.5}, {baseX, 12.5}}));
}

void drawBar(QPainter &p, qreal x)
{
    p.setPen(inkPen(kDarkBlue));
    p.setBrush(kBlue);
    p.drawRect(QRectF(x, 2.5, 2, 10));
}

void drawFirst(QPainter &p)
{
    drawBar(p, 2.5);
    drawTriangle(p, 5.5, 12.5);
}

void drawPrevious(QPainter &p) { drawTriangle(p, 4.5, 11.5); }
void drawNext(QPainter &p) { drawTriangle(p, 11.5, 4.5); }

void drawLast(QPainter &p)
{
    drawTriangle(p, 10.5, 3.5);
    drawBar(p, 11.5);
}

// 32 x 32 design: a fax sheet coming out of a machine.
void drawApplication(QPainter &p)
{
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 1.5, 17, 21));
    p.setPen(Qt::NoPen);
    p.setBrush(kDarkBlue);
    p.drawRect(QRectF(9.5, 3.5, 13, 2));
    p.setBrush(QColor(0x70, 0x70, 0x70));
    for (int y = 8; y < 20; y += 3)
        p.drawRect(QRectF(9.5, y, y == 17 ? 8 : 13, 1.5));
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(QColor(0x4a, 0x78, 0xc8));
    p.drawRoundedRect(QRectF(1.5, 18.5, 29, 12), 2, 2);
    p.setBrush(QColor(0x20, 0x40, 0x80));
    p.drawRect(QRectF(6.5, 20.5, 19, 2));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9d, 0xe0, 0x8a));
    p.drawRect(QRectF(5, 25, 8, 3));
    p.setBrush(Qt::white);
    for (int x = 16; x < 28; x += 4)
        p.drawRect(QRectF(x, 25, 2.5, 3));
}

QIcon painted(DrawFn draw, QSizeF design) { return QIcon(new PaintedIconEngine(draw, design)); }

} // namespace

QIcon ToolBarIcon(UINT nID)
{
    static const struct
    {
        UINT nID;
        DrawFn draw;
    } kButtons[] = {
        {ID_FILE_OPEN, drawOpen},
        {ID_FILE_PRINT, drawPrint},
        {ID_ROTATE_NONE, drawRotateNone},
        {ID_ROTATE_LEFT, drawRotateLeft},
        {ID_ROTATE_UPSIDEDOWN, drawUpsideDown},
        {ID_ROTATE_RIGHT, drawRotateRight},
        {ID_ZOOM_FITWIDTH, drawFitWidth},
        {ID_ZOOM_FITHEIGHT, drawFitHeight},
        {ID_PAGE_FIRST, drawFirst},
        {ID_PAGE_PREVIOUS, drawPrevious},
        {ID_PAGE_NEXT, drawNext},
        {ID_PAGE_LAST, drawLast},
    };
    for (const auto &button : kButtons) {
        if (button.nID == nID)
            return painted(button.draw, QSizeF(16, 15));
    }
    return QIcon();
}

QIcon ApplicationIcon() { return painted(drawApplication, QSizeF(32, 32)); }
void DrawApplicationIcon(QPainter &painter) { drawApplication(painter); }
