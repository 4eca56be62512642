#include "framework/Geometry.h"

QRect toQRect(const CRect &rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }

CRect fromQRect(const QRect &rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

QSize toQSize(const CSize &size) { return QSize(size.cx, size.cy); }

CSize fromQSize(const QSize &size) { return CSize(size.width(), size.height()); }
