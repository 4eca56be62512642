#pragma once

#include "platform/WinTypes.h"

#include <QColor>

#include <optional>

using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

// A solid brush: a colour once created, nothing before. Creating it again replaces the
// colour; there is no handle to delete.
class CBrush
{
public:
    void CreateSolidBrush(COLORREF colour)
    {
        m_colour = QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                          static_cast<int>((colour >> 16) & 0xFF));
    }
    // Null until created.
    const QColor *GetSafeHandle() const { return m_colour ? &*m_colour : nullptr; }

private:
    std::optional<QColor> m_colour;
};
