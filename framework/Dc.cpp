#include "framework/Dc.h"

#include <QPaintDevice>
#include <QPainter>

namespace {

HDC makeDC(QPaintDevice *device, QPainter *painter)
{
    auto *dc = new HDC__;
    dc->device = device;
    dc->painter = painter;
    if (painter)
        dc->deviceTransform = painter->worldTransform();
    dc->brush = GetStockBrush(WHITE_BRUSH);
    return dc;
}

bool canDraw(HDC dc) { return dc && dc->painter && dc->painter->isActive(); }

} // namespace

HDC__::HDC__() = default;
HDC__::~HDC__() = default;

QTransform HDC__::mapping() const
{
    QTransform map;
    map.translate(viewportOrg.x, viewportOrg.y);
    if (mapMode == MM_ANISOTROPIC)
        map.scale(double(viewportExt.cx) / windowExt.cx, double(viewportExt.cy) / windowExt.cy);
    map.translate(-windowOrg.x, -windowOrg.y);
    return map;
}

void HDC__::applyMapping()
{
    if (painter && painter->isActive())
        painter->setWorldTransform(mapping() * deviceTransform);
}

HDC CreateDC(QPaintDevice *device)
{
    if (!device)
        return nullptr;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device))
        return nullptr;
    HDC dc = makeDC(device, painter.get());
    dc->ownedPainter = std::move(painter);
    return dc;
}

HDC CreatePainterDC(QPainter *painter)
{
    if (!painter || !painter->isActive())
        return nullptr;
    return makeDC(painter->device(), painter);
}

HDC CreateIC(QPaintDevice *device) { return device ? makeDC(device, nullptr) : nullptr; }

BOOL DeleteDC(HDC dc)
{
    if (!dc)
        return FALSE;
    if (dc->ownedPainter)
        dc->ownedPainter->end();
    else if (canDraw(dc))
        dc->painter->setWorldTransform(dc->deviceTransform);
    delete dc;
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!dc || !dc->device)
        return 0;
    switch (index) {
    case HORZRES:
        return dc->device->width();
    case VERTRES:
        return dc->device->height();
    case LOGPIXELSX:
        return dc->device->logicalDpiX();
    case LOGPIXELSY:
        return dc->device->logicalDpiY();
    case RASTERCAPS:
        return dc->rasterCaps;
    default:
        return 0;
    }
}

int SetMapMode(HDC dc, int mode)
{
    if (!dc || (mode != MM_TEXT && mode != MM_ANISOTROPIC))
        return 0;
    const int previous = dc->mapMode;
    dc->mapMode = mode;
    if (mode == MM_TEXT) {
        dc->windowExt = CSize(1, 1);
        dc->viewportExt = CSize(1, 1);
    }
    dc->applyMapping();
    return previous;
}

int GetMapMode(HDC dc) { return dc ? dc->mapMode : 0; }

namespace {

BOOL setExtent(HDC dc, CSize HDC__::*extent, int x, int y, CSize *previous)
{
    if (!dc || x == 0 || y == 0)
        return FALSE;
    if (previous)
        *previous = dc->*extent;
    if (dc->mapMode == MM_ANISOTROPIC) {
        dc->*extent = CSize(x, y);
        dc->applyMapping();
    }
    return TRUE;
}

BOOL setOrigin(HDC dc, CPoint HDC__::*origin, int x, int y, CPoint *previous)
{
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->*origin;
    dc->*origin = CPoint(x, y);
    dc->applyMapping();
    return TRUE;
}

BOOL mapPoints(HDC dc, CPoint *points, int count, bool toDevice)
{
    if (!dc || (!points && count > 0))
        return FALSE;
    bool invertible = true;
    const QTransform forward = dc->mapping();
    const QTransform map = toDevice ? forward : forward.inverted(&invertible);
    if (!invertible)
        return FALSE;
    for (int i = 0; i < count; ++i) {
        const QPoint mapped = map.map(QPointF(points[i].x, points[i].y)).toPoint();
        points[i] = CPoint(mapped.x(), mapped.y());
    }
    return TRUE;
}

} // namespace

BOOL SetWindowExtEx(HDC dc, int x, int y, CSize *previous)
{
    return setExtent(dc, &HDC__::windowExt, x, y, previous);
}

BOOL SetViewportExtEx(HDC dc, int x, int y, CSize *previous)
{
    return setExtent(dc, &HDC__::viewportExt, x, y, previous);
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, CPoint *previous)
{
    return setOrigin(dc, &HDC__::windowOrg, x, y, previous);
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, CPoint *previous)
{
    return setOrigin(dc, &HDC__::viewportOrg, x, y, previous);
}

BOOL LPtoDP(HDC dc, CPoint *points, int count) { return mapPoints(dc, points, count, true); }

BOOL DPtoLP(HDC dc, CPoint *points, int count) { return mapPoints(dc, points, count, false); }

HBRUSH SelectObject(HDC dc, HBRUSH brush)
{
    if (!dc || !brush)
        return nullptr;
    HBRUSH previous = dc->brush;
    dc->brush = brush;
    return previous;
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    if (!canDraw(dc))
        return FALSE;
    QColor colour;
    if (rop == PATCOPY && dc->brush)
        colour = dc->brush->colour;
    else if (rop == BLACKNESS)
        colour = Qt::black;
    else if (rop == WHITENESS)
        colour = Qt::white;
    else
        return FALSE;
    dc->painter->fillRect(QRect(x, y, width, height).normalized(), colour);
    return TRUE;
}

int GetClipBox(HDC dc, CRect *rect)
{
    if (!dc || !rect || !dc->device)
        return RGN_ERROR;
    QRectF area(0, 0, dc->device->width(), dc->device->height());
    QTransform toDevice = dc->mapping() * dc->deviceTransform;
    if (canDraw(dc)) {
        toDevice = dc->painter->worldTransform();
        if (dc->painter->hasClipping())
            area &= toDevice.mapRect(dc->painter->clipBoundingRect());
    }
    bool invertible = true;
    const QTransform toLogical = toDevice.inverted(&invertible);
    if (!invertible)
        return RGN_ERROR;
    const QRect logical = toLogical.mapRect(area).toAlignedRect();
    *rect = fromQRect(logical);
    return logical.isEmpty() ? NULLREGION : SIMPLEREGION;
}

CDC::~CDC()
{
    if (m_hAttribDC && m_hAttribDC != m_hDC)
        DeleteDC(m_hAttribDC);
    if (m_hDC)
        DeleteDC(m_hDC);
    m_foundBrush.Detach();
}

BOOL CDC::Attach(HDC dc)
{
    if (!dc || m_hDC)
        return FALSE;
    m_hDC = dc;
    m_hAttribDC = dc;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    if (m_hAttribDC == m_hDC)
        m_hAttribDC = nullptr;
    m_hDC = nullptr;
    return dc;
}

void CDC::SetAttribDC(HDC dc) { m_hAttribDC = dc; }

int CDC::GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hAttribDC, index); }

// Mapping changes go to both handles, so that the attribute side reports the
// same coordinates as the output side draws in.
int CDC::SetMapMode(int mode)
{
    if (m_hDC != m_hAttribDC)
        ::SetMapMode(m_hDC, mode);
    return ::SetMapMode(m_hAttribDC, mode);
}

namespace {

// Mapping changes go to the output device and, when it is another one, to the
// attribute device too, so both agree on what a logical unit is.
template <typename Value, typename Setter>
Value setOnBoth(HDC output, HDC attribute, Setter set, int x, int y)
{
    Value previous;
    if (output != attribute)
        set(output, x, y, &previous);
    set(attribute, x, y, &previous);
    return previous;
}

} // namespace

int CDC::GetMapMode() const { return ::GetMapMode(m_hAttribDC); }

CSize CDC::SetWindowExt(int x, int y)
{
    return setOnBoth<CSize>(m_hDC, m_hAttribDC, SetWindowExtEx, x, y);
}

CSize CDC::SetViewportExt(int x, int y)
{
    return setOnBoth<CSize>(m_hDC, m_hAttribDC, SetViewportExtEx, x, y);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    return setOnBoth<CPoint>(m_hDC, m_hAttribDC, SetWindowOrgEx, x, y);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    return setOnBoth<CPoint>(m_hDC, m_hAttribDC, SetViewportOrgEx, x, y);
}

CPoint CDC::GetViewportOrg() const { return m_hAttribDC ? m_hAttribDC->viewportOrg : CPoint(); }

CPoint CDC::GetWindowOrg() const { return m_hAttribDC ? m_hAttribDC->windowOrg : CPoint(); }

namespace {

void mapRect(HDC dc, CRect *rect, BOOL (*map)(HDC, CPoint *, int))
{
    if (!rect)
        return;
    CPoint corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    if (map(dc, corners, 2))
        *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

} // namespace

void CDC::LPtoDP(CRect *rect) const { mapRect(m_hAttribDC, rect, ::LPtoDP); }

void CDC::DPtoLP(CRect *rect) const { mapRect(m_hAttribDC, rect, ::DPtoLP); }

CBrush *CDC::SelectObject(CBrush *brush)
{
    if (!brush || !brush->m_hObject)
        return nullptr;
    if (m_hDC != m_hAttribDC)
        ::SelectObject(m_hAttribDC, brush->m_hObject);
    HBRUSH previous = ::SelectObject(m_hDC, brush->m_hObject);
    if (!previous)
        return nullptr;
    CBrush *selected = m_pSelectedBrush;
    if (!selected || selected->m_hObject != previous) {
        m_foundBrush.Detach();
        m_foundBrush.Attach(previous);
        selected = &m_foundBrush;
    }
    m_pSelectedBrush = brush;
    return selected;
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

int CDC::GetClipBox(CRect *rect) const { return ::GetClipBox(m_hDC, rect); }

int CDC::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                       int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info,
                       UINT usage, DWORD rop)
{
    return ::StretchDIBits(m_hDC, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth,
                           srcHeight, bits, info, usage, rop);
}
