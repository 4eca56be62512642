#pragma once

#include "platform/WinTypes.h"

#include <QColor>

using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

constexpr BYTE GetRValue(COLORREF colour) { return BYTE(colour); }
constexpr BYTE GetGValue(COLORREF colour) { return BYTE(colour >> 8); }
constexpr BYTE GetBValue(COLORREF colour) { return BYTE(colour >> 16); }

inline QColor toQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// A brush handle; only solid brushes exist here.
struct HBRUSH__
{
    QColor colour;
    bool stock = false;
};
using HBRUSH = HBRUSH__ *;

constexpr int WHITE_BRUSH = 0;
constexpr int GRAY_BRUSH = 2;
constexpr int BLACK_BRUSH = 4;

HBRUSH CreateSolidBrush(COLORREF colour);
// Stock brushes live for the whole run; deleting one does nothing.
HBRUSH GetStockBrush(int index);
// FALSE for a null handle or a stock brush.
BOOL DeleteObject(HBRUSH brush);

// Owns the brush handle it holds and deletes it when destroyed.
class CBrush
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour);
    ~CBrush();
    CBrush(const CBrush &) = delete;
    CBrush &operator=(const CBrush &) = delete;

    // FALSE when a handle is already held.
    BOOL CreateSolidBrush(COLORREF colour);
    BOOL Attach(HBRUSH brush);
    HBRUSH Detach();
    BOOL DeleteObject();
    HBRUSH GetSafeHandle() const { return m_hObject; }
    operator HBRUSH() const { return m_hObject; }

    HBRUSH m_hObject = nullptr;
};
