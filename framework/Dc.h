#pragma once

// The device context: the drawing calls of the classes above, each a few lines over
// a QPainter. Logical coordinates reach the painter through the mapping mode, kept as
// the painter's world transform.

#include "framework/Brush.h"
#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QTransform>

class QPaintDevice;
class QPainter;

// GetDeviceCaps indices.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

constexpr int RC_STRETCHDIB = 0x2000; // RASTERCAPS: the device stretches DIBs
constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr int MM_TEXT = 1;
constexpr int MM_ANISOTROPIC = 8;

// Draws through a painter that is already active (a paint event's, the print loop's),
// which it borrows and hands back with its transform as it found it. With a null or
// inactive painter it draws nothing.
class CDC
{
public:
    explicit CDC(QPainter &painter);
    // Answers GetDeviceCaps for one device while drawing with a painter on another, or
    // with none: the print preview draws a printer's sheets on images, and needs the
    // printer's resolution without starting a job on it.
    CDC(QPaintDevice &capsDevice, QPainter *pPainter);
    ~CDC();
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;

    // What imgDrawDib is handed.
    HDC GetSafeHdc() { return this; }
    BOOL IsPrinting() const { return m_bPrinting; }

    int GetDeviceCaps(int index) const;

    void SetMapMode(int mode);
    // Extents are only taken in MM_ANISOTROPIC, as in the system this stands in for;
    // a zero extent is refused.
    void SetWindowExt(CSize size) { SetExtent(m_windowExt, size); }
    void SetViewportExt(CSize size) { SetExtent(m_viewportExt, size); }
    CSize GetWindowExt() const { return m_windowExt; }
    CSize GetViewportExt() const { return m_viewportExt; }
    // The scroll view moves its drawing by the scroll position here.
    void SetViewportOrg(int x, int y);

    // Returns the brush selected before, null for the context's own white one; null
    // selects that again. The context never deletes a brush.
    CBrush *SelectObject(CBrush *brush);
    // Fills the logical rectangle with the selected brush; only PATCOPY.
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    // The painter's clip in logical units; empty without a clip. Only the view's OnDraw
    // asks, and its paint event always clips.
    void GetClipBox(CRect *rect) const;
    // Draws the source rectangle of a packed DIB (1, 8 or 24 bits, uncompressed; rows
    // bottom-up for a positive height, padded to 4 bytes) stretched onto the logical
    // destination rectangle. The rows are wrapped, never copied; `info` holds the
    // header and the colour table. Returns the number of scan lines drawn, 0 on
    // failure. Only DIB_RGB_COLORS and SRCCOPY.
    int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info,
                      UINT usage, DWORD rop);

    BOOL m_bPrinting = FALSE;
    // Real devices stretch DIBs; a test clears the bit to get a device that cannot.
    int m_nRasterCaps = RC_STRETCHDIB;

private:
    bool CanDraw() const;
    void ApplyMapping();
    void SetExtent(CSize &extent, CSize size);

    QPaintDevice *m_pDevice;
    QPainter *m_pPainter;
    // The painter's transform when the context was made: device space.
    QTransform m_deviceTransform;
    int m_nMapMode = MM_TEXT;
    CSize m_windowExt{1, 1};
    CSize m_viewportExt{1, 1};
    CPoint m_viewportOrg;
    CBrush *m_pBrush = nullptr;
};
