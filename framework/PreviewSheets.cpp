#include "framework/PreviewSheets.h"

#include "framework/Dc.h"
#include "framework/Printing.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

// Drawn at this resolution at least (or the printer's, if lower) before a reduction:
// fax pages of up to about 300 dpi keep every pixel there.
constexpr double DETAIL_DPI = 300;

QImage drawSheet(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info, UINT page,
                 QSize size, bool smooth)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.scale(double(size.width()) / printer.width(), double(size.height()) / printer.height());
    CDC dc(printer, &painter);
    dc.m_bPrinting = TRUE;
    const BOOL preview = info.m_bPreview;
    info.m_bPreview = TRUE;
    PrintSheet(dc, callbacks, info, page);
    info.m_bPreview = preview;
    return image;
}

} // namespace

QImage RenderPreviewSheet(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                          UINT page, QSize size)
{
    if (size.isEmpty() || printer.width() <= 0 || printer.height() <= 0)
        return QImage();
    const double shownDpi = double(size.width()) / printer.width() * printer.logicalDpiX();
    const double detailDpi = std::min<double>(DETAIL_DPI, printer.logicalDpiX());
    if (shownDpi >= detailDpi)
        return drawSheet(printer, callbacks, info, page, size, false);
    const double scale = detailDpi / printer.logicalDpiX();
    const QSize detail(std::max(1, int(printer.width() * scale)),
                       std::max(1, int(printer.height() * scale)));
    return drawSheet(printer, callbacks, info, page, detail, true)
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

CPreviewSheets::CPreviewSheets(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info)
    : m_printer(printer)
    , m_callbacks(callbacks)
    , m_info(info)
{
}

const QImage &CPreviewSheets::Sheet(UINT page, QSize size)
{
    auto held = std::find_if(m_sheets.begin(), m_sheets.end(), [&](const Held &sheet) {
        return sheet.page == page && sheet.image.size() == size;
    });
    if (held != m_sheets.end()) {
        m_sheets.splice(m_sheets.begin(), m_sheets, held);
        return m_sheets.front().image;
    }
    // The oldest goes before the new one is drawn, so no more than MAX_HELD exist.
    if (m_sheets.size() >= MAX_HELD)
        m_sheets.pop_back();
    m_sheets.push_front({page, RenderPreviewSheet(m_printer, m_callbacks, m_info, page, size)});
    ++m_nRendered;
    m_nPeakHeld = std::max(m_nPeakHeld, int(m_sheets.size()));
    return m_sheets.front().image;
}
