#pragma once

// Device contexts over QPainter: the drawing calls of the classes above, each a
// few lines over Qt. Logical coordinates reach the painter through the mapping
// mode, which the device context keeps as the painter's world transform.

#include "framework/Brush.h"
#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QTransform>

#include <memory>

class QPaintDevice;
class QPainter;

// GetDeviceCaps indices.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// RASTERCAPS bits.
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;

constexpr UINT DIB_RGB_COLORS = 0;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ANISOTROPIC = 8;

// GetClipBox results.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

// What stands behind an HDC. `device` answers GetDeviceCaps; `painter` draws on
// it and is null for a context that only reports capabilities.
struct HDC__
{
    HDC__();
    ~HDC__();
    HDC__(const HDC__ &) = delete;
    HDC__ &operator=(const HDC__ &) = delete;

    QPaintDevice *device = nullptr;
    QPainter *painter = nullptr;
    std::unique_ptr<QPainter> ownedPainter;
    // Real devices stretch DIBs; a test clears the bit to get a device that cannot.
    int rasterCaps = RC_BITBLT | RC_STRETCHBLT | RC_STRETCHDIB;
    int mapMode = MM_TEXT;
    CSize windowExt{1, 1};
    CSize viewportExt{1, 1};
    CPoint windowOrg;
    CPoint viewportOrg;
    // The painter's transform when the context was made: device space.
    QTransform deviceTransform;
    HBRUSH brush = nullptr;

    // Logical to device coordinates, as the mapping mode, extents and origins say.
    QTransform mapping() const;
    void applyMapping();
};

// A context with its own painter on the device; null when painting cannot begin
// there (a device already painted on, a printer that fails to start).
HDC CreateDC(QPaintDevice *device);
// A context over a painter that is already active (a paint event, the print
// loop's painter); the painter stays the caller's and gets its transform back
// when the context is deleted.
HDC CreatePainterDC(QPainter *painter);
// A context that answers GetDeviceCaps for the device and draws nothing.
HDC CreateIC(QPaintDevice *device);
BOOL DeleteDC(HDC dc);

int GetDeviceCaps(HDC dc, int index);

int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
// Extents are only taken in MM_ANISOTROPIC, as in the system this stands in for;
// a zero extent fails.
BOOL SetWindowExtEx(HDC dc, int x, int y, CSize *previous);
BOOL SetViewportExtEx(HDC dc, int x, int y, CSize *previous);
BOOL SetWindowOrgEx(HDC dc, int x, int y, CPoint *previous);
BOOL SetViewportOrgEx(HDC dc, int x, int y, CPoint *previous);
BOOL LPtoDP(HDC dc, CPoint *points, int count);
BOOL DPtoLP(HDC dc, CPoint *points, int count);

HBRUSH SelectObject(HDC dc, HBRUSH brush);
// Fills the logical rectangle with the selected brush (PATCOPY), black or white.
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// The bounds of what can be drawn, in logical units: the device's area, narrowed
// by the painter's clip (a paint event's painter should clip to its region).
int GetClipBox(HDC dc, CRect *rect);

// Draws the source rectangle of a packed DIB (1, 8 or 24 bits, uncompressed; rows
// bottom-up for a positive height, padded to 4 bytes) stretched onto the logical
// destination rectangle. The rows are wrapped, never copied; `info` holds the
// header and the colour table. Returns the number of scan lines drawn, 0 on
// failure. Only DIB_RGB_COLORS and SRCCOPY.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage,
                  DWORD rop);

// A device context as the view and printing code see it: drawing goes to the
// output handle, capabilities come from the attribute handle. Both are the same
// unless print preview pairs a screen output with a printer's attributes. The
// handle attached is owned and deleted with the object.
class CDC
{
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;

    BOOL Attach(HDC dc);
    HDC Detach();
    void SetAttribDC(HDC dc);
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    int GetDeviceCaps(int index) const;

    int SetMapMode(int mode);
    int GetMapMode() const;
    CSize SetWindowExt(int x, int y);
    CSize SetWindowExt(CSize size) { return SetWindowExt(size.cx, size.cy); }
    CSize SetViewportExt(int x, int y);
    CSize SetViewportExt(CSize size) { return SetViewportExt(size.cx, size.cy); }
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(CPoint point) { return SetWindowOrg(point.x, point.y); }
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(CPoint point) { return SetViewportOrg(point.x, point.y); }
    CPoint GetViewportOrg() const;
    CPoint GetWindowOrg() const;
    void LPtoDP(CRect *rect) const;
    void DPtoLP(CRect *rect) const;

    // Returns the brush selected before: the stock white brush at first.
    CBrush *SelectObject(CBrush *brush);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    int GetClipBox(CRect *rect) const;
    int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void *bits, const BITMAPINFO *info,
                      UINT usage, DWORD rop);

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    BOOL m_bPrinting = FALSE;

private:
    CBrush *m_pSelectedBrush = nullptr;
    // Stands for a brush this object did not select (the stock brush at first),
    // so SelectObject can hand it back; it never deletes that handle.
    CBrush m_foundBrush;
};
