#include "framework/Dc.h"

#include <QPaintDevice>
#include <QPainter>

CDC::CDC(QPaintDevice *device)
    : m_pDevice(device)
{
    if (!device)
        return;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device))
        return;
    m_pOwnedPainter = std::move(painter);
    m_pPainter = m_pOwnedPainter.get();
}

CDC::CDC(QPainter &painter)
    : m_pDevice(painter.device())
    , m_pPainter(&painter)
    , m_deviceTransform(painter.worldTransform())
{
}

CDC::CDC(QPaintDevice &capsDevice, QPainter *pPainter)
    : m_pDevice(&capsDevice)
    , m_pPainter(pPainter)
    , m_deviceTransform(pPainter ? pPainter->worldTransform() : QTransform())
{
}

CDC::~CDC()
{
    if (m_pOwnedPainter)
        m_pOwnedPainter->end();
    else if (CanDraw())
        m_pPainter->setWorldTransform(m_deviceTransform);
}

bool CDC::CanDraw() const { return m_pPainter && m_pPainter->isActive(); }

void CDC::ApplyMapping()
{
    if (!CanDraw())
        return;
    QTransform map = QTransform::fromTranslate(m_viewportOrg.x, m_viewportOrg.y);
    if (m_nMapMode == MM_ANISOTROPIC)
        map.scale(double(m_viewportExt.cx) / m_windowExt.cx,
                  double(m_viewportExt.cy) / m_windowExt.cy);
    m_pPainter->setWorldTransform(map * m_deviceTransform);
}

int CDC::GetDeviceCaps(int index) const
{
    if (!m_pDevice)
        return 0;
    switch (index) {
    case HORZRES:
        return m_pDevice->width();
    case VERTRES:
        return m_pDevice->height();
    case LOGPIXELSX:
        return m_pDevice->logicalDpiX();
    case LOGPIXELSY:
        return m_pDevice->logicalDpiY();
    case RASTERCAPS:
        return m_nRasterCaps;
    default:
        return 0;
    }
}

int CDC::SetMapMode(int mode)
{
    if (mode != MM_TEXT && mode != MM_ANISOTROPIC)
        return 0;
    const int previous = m_nMapMode;
    m_nMapMode = mode;
    if (mode == MM_TEXT) {
        m_windowExt = CSize(1, 1);
        m_viewportExt = CSize(1, 1);
    }
    ApplyMapping();
    return previous;
}

CSize CDC::SetExtent(CSize &extent, int x, int y)
{
    const CSize previous = extent;
    if (m_nMapMode == MM_ANISOTROPIC && x != 0 && y != 0) {
        extent = CSize(x, y);
        ApplyMapping();
    }
    return previous;
}

CSize CDC::SetWindowExt(int x, int y) { return SetExtent(m_windowExt, x, y); }

CSize CDC::SetViewportExt(int x, int y) { return SetExtent(m_viewportExt, x, y); }

CPoint CDC::SetViewportOrg(int x, int y)
{
    const CPoint previous = m_viewportOrg;
    m_viewportOrg = CPoint(x, y);
    ApplyMapping();
    return previous;
}

CBrush *CDC::SelectObject(CBrush *brush)
{
    CBrush *previous = m_pBrush;
    m_pBrush = brush;
    return previous;
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    if (!CanDraw() || rop != PATCOPY)
        return FALSE;
    const QColor *colour = m_pBrush ? m_pBrush->GetSafeHandle() : nullptr;
    m_pPainter->fillRect(QRect(x, y, width, height).normalized(), colour ? *colour : Qt::white);
    return TRUE;
}

int CDC::GetClipBox(CRect *rect) const
{
    if (!rect || !CanDraw())
        return RGN_ERROR;
    QRect logical;
    if (m_pPainter->hasClipping()) {
        logical = m_pPainter->clipBoundingRect().toAlignedRect();
    } else {
        bool invertible = true;
        const QTransform toLogical = m_pPainter->worldTransform().inverted(&invertible);
        if (!invertible)
            return RGN_ERROR;
        const QRectF device(0, 0, m_pDevice->width(), m_pDevice->height());
        logical = toLogical.mapRect(device).toAlignedRect();
    }
    *rect = fromQRect(logical);
    return logical.isEmpty() ? NULLREGION : SIMPLEREGION;
}

int GetDeviceCaps(HDC dc, int index) { return dc ? dc->GetDeviceCaps(index) : 0; }

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage,
                  DWORD rop)
{
    return dc ? dc->StretchDIBits(xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth,
                                  srcHeight, bits, info, usage, rop)
              : 0;
}
