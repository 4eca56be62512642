#include "framework/Brush.h"

HBRUSH CreateSolidBrush(COLORREF colour) { return new HBRUSH__{toQColor(colour), false}; }

HBRUSH GetStockBrush(int index)
{
    static HBRUSH__ white{QColor(255, 255, 255), true};
    static HBRUSH__ gray{QColor(128, 128, 128), true};
    static HBRUSH__ black{QColor(0, 0, 0), true};
    switch (index) {
    case WHITE_BRUSH:
        return &white;
    case GRAY_BRUSH:
        return &gray;
    case BLACK_BRUSH:
        return &black;
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HBRUSH brush)
{
    if (!brush || brush->stock)
        return FALSE;
    delete brush;
    return TRUE;
}

CBrush::CBrush(COLORREF colour)
    : m_hObject(::CreateSolidBrush(colour))
{
}

CBrush::~CBrush() { DeleteObject(); }

BOOL CBrush::CreateSolidBrush(COLORREF colour)
{
    if (m_hObject)
        return FALSE;
    return Attach(::CreateSolidBrush(colour));
}

BOOL CBrush::Attach(HBRUSH brush)
{
    if (m_hObject || !brush)
        return FALSE;
    m_hObject = brush;
    return TRUE;
}

HBRUSH CBrush::Detach()
{
    HBRUSH brush = m_hObject;
    m_hObject = nullptr;
    return brush;
}

BOOL CBrush::DeleteObject() { return m_hObject ? ::DeleteObject(Detach()) : FALSE; }
