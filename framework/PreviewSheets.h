#pragma once

#include "platform/WinTypes.h"

#include <QImage>
#include <QSize>

#include <list>

class CPrintCallbacks;
class CPrintInfo;
class QPrinter;

// The preview's rendered sheets: a sheet is drawn through the print callbacks when
// it is asked for, at the size it is shown, and only the last few asked for are
// kept, so memory does not grow with the number of pages.
class CPreviewSheets
{
public:
    static constexpr int MAX_HELD = 4;

    CPreviewSheets(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info);

    // Sheet `page` as an image of `size` device pixels, drawn now unless held.
    const QImage &Sheet(UINT page, QSize size);
    // Drops every sheet held (the size shown changed).
    void Clear() { m_sheets.clear(); }

    int GetPeakHeldCount() const { return m_nPeakHeld; }
    int GetRenderCount() const { return m_nRendered; }

private:
    struct Held
    {
        UINT page;
        QImage image;
    };

    QImage Render(UINT page, QSize size);

    QPrinter &m_printer;
    CPrintCallbacks &m_callbacks;
    CPrintInfo &m_info;
    std::list<Held> m_sheets; // most recently asked for first
    int m_nPeakHeld = 0;
    int m_nRendered = 0;
};

// Draws sheet `page` through the callbacks onto an image of `size` pixels, the
// context answering GetDeviceCaps for the printer, so the sheet is what would print.
// A sheet shown smaller than the printer draws it is drawn larger first and reduced
// with averaging, so thin strokes of a bilevel page show grey instead of vanishing.
QImage RenderPreviewSheet(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                          UINT page, QSize size);
