#include "framework/Dc.h"

#include <QPaintDevice>
#include <QPainter>

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
    if (CanDraw())
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

void CDC::SetMapMode(int mode)
{
    m_nMapMode = mode;
    if (mode != MM_ANISOTROPIC)
        m_windowExt = m_viewportExt = CSize(1, 1);
    ApplyMapping();
}

void CDC::SetExtent(CSize &extent, CSize size)
{
    if (m_nMapMode == MM_ANISOTROPIC && size.cx != 0 && size.cy != 0) {
        extent = size;
        ApplyMapping();
    }
}

void CDC::SetViewportOrg(int x, int y)
{
    m_viewportOrg = CPoint(x, y);
    ApplyMapping();
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

void CDC::GetClipBox(CRect *rect) const
{
    const QRect clip = CanDraw() ? m_pPainter->clipBoundingRect().toAlignedRect() : QRect();
    *rect = CRect(clip.left(), clip.top(), clip.left() + clip.width(), clip.top() + clip.height());
}
