#include "framework/PrintPreview.h"

#include "framework/Dc.h"
#include "framework/Printing.h"
#include "framework/View.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

// Logical pixels around and between the sheets.
constexpr int GAP = 12;
// 0 shows whole sheets; each step in doubles.
constexpr int MAX_ZOOM = 2;
// Drawn at this resolution at least (or the printer's, if lower) before a reduction:
// fax pages of up to about 300 dpi keep every pixel there.
constexpr double DETAIL_DPI = 300;

} // namespace

// Paints the sheets shown on a grey desk, each with a thin frame.
class CPrintPreviewDlg::Pane : public QWidget
{
public:
    using QWidget::QWidget;

    struct Placed
    {
        QRect rect;
        QImage image;
    };
    std::vector<Placed> m_placed;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(128, 128, 128));
        for (const Placed &sheet : m_placed) {
            painter.fillRect(sheet.rect.adjusted(-1, -1, 1, 1), Qt::black);
            painter.drawImage(sheet.rect, sheet.image);
        }
    }
};

CPrintPreviewDlg::CPrintPreviewDlg(QPrinter &printer, CView &view, CPrintInfo &info)
    : QDialog(view.window())
    , m_printer(printer)
    , m_view(view)
    , m_info(info)
    , m_nPage(info.GetMinPage())
{
    setWindowTitle(QStringLiteral("Print Preview"));
    // The preview takes the place of the window it was opened from, as big as that,
    // rather than a dialog's small default size.
    setGeometry(view.window()->geometry());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QToolBar(this);
    bar->addAction(QStringLiteral("Print..."), this, &QDialog::accept);
    m_pNext = bar->addAction(QStringLiteral("Next Page"), this, [this] { ShowPage(m_nPage + 1); });
    m_pPrev = bar->addAction(QStringLiteral("Prev Page"), this, [this] { ShowPage(m_nPage - 1); });
    m_pTwo = bar->addAction(QStringLiteral("Two Page"), this, [this] {
        m_bTwoPages = !m_bTwoPages;
        UpdateSheets();
    });
    m_pZoomIn = bar->addAction(QStringLiteral("Zoom In"), this, [this] { Zoom(1); });
    m_pZoomOut = bar->addAction(QStringLiteral("Zoom Out"), this, [this] { Zoom(-1); });
    bar->addAction(QStringLiteral("Close"), this, &QDialog::reject);
    // Shortcuts rather than key events: the scroll area would take Page Down itself.
    m_pNext->setShortcut(QKeySequence(Qt::Key_PageDown));
    m_pPrev->setShortcut(QKeySequence(Qt::Key_PageUp));
    const struct
    {
        const char *text;
        Qt::Key key;
        UINT (CPrintInfo::*page)() const;
    } ends[] = {{"First Sheet", Qt::Key_Home, &CPrintInfo::GetMinPage},
                {"Last Sheet", Qt::Key_End, &CPrintInfo::GetMaxPage}};
    for (const auto &end : ends) {
        auto *action = new QAction(QString::fromLatin1(end.text), this);
        action->setShortcut(QKeySequence(end.key));
        connect(action, &QAction::triggered, this,
                [this, page = end.page] { ShowPage((m_info.*page)()); });
        addAction(action);
    }
    m_pPageLabel = new QLabel(this);
    bar->addWidget(m_pPageLabel);
    layout->addWidget(bar);
    m_pScroll = new QScrollArea(this);
    m_pScroll->setAlignment(Qt::AlignCenter);
    m_pPane = new Pane;
    m_pScroll->setWidget(m_pPane);
    layout->addWidget(m_pScroll);

    CDC dc(m_printer, nullptr);
    dc.m_bPrinting = TRUE;
    m_view.OnBeginPrinting(&dc, &m_info);
}

CPrintPreviewDlg::~CPrintPreviewDlg()
{
    CDC dc(m_printer, nullptr);
    dc.m_bPrinting = TRUE;
    m_view.OnEndPrinting(&dc, &m_info);
}

int CPrintPreviewDlg::GetSheetsShown() const
{
    if (m_info.GetMaxPage() < m_info.GetMinPage())
        return 0;
    return m_bTwoPages && m_nPage < m_info.GetMaxPage() ? 2 : 1;
}

void CPrintPreviewDlg::ShowPage(UINT page)
{
    if (page < m_info.GetMinPage() || page > m_info.GetMaxPage())
        return;
    m_nPage = page;
    UpdateSheets();
}

void CPrintPreviewDlg::Zoom(int step)
{
    m_nZoom = std::clamp(m_nZoom + step, 0, MAX_ZOOM);
    UpdateSheets();
}

QImage CPrintPreviewDlg::GrabSheet(int i)
{
    if (i < 0 || size_t(i) >= m_pPane->m_placed.size())
        return QImage();
    return m_pPane->grab(m_pPane->m_placed[size_t(i)].rect).toImage();
}

// A hidden dialog gets its resize event as it is shown: the first sheets are drawn here.
void CPrintPreviewDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    UpdateSheets();
}

// Sheet `page` as an image of `size` device pixels, drawn now unless held.
const QImage &CPrintPreviewDlg::Sheet(UINT page, QSize size)
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
    m_sheets.push_front({page, Render(page, size)});
    return m_sheets.front().image;
}

// Draws the sheet through the view onto an image, the context answering GetDeviceCaps
// for the printer, so the sheet is what would print. A sheet shown smaller than the
// detail resolution is drawn at that first and reduced with averaging, so thin strokes
// of a bilevel page show grey instead of vanishing.
QImage CPrintPreviewDlg::Render(UINT page, QSize size)
{
    const double dpi = m_printer.logicalDpiX();
    const double detail = std::min(DETAIL_DPI, dpi) / dpi;
    const bool reduce = double(size.width()) / m_printer.width() < detail;
    const QSize drawn = reduce ? QSize(std::max(1, int(m_printer.width() * detail)),
                                       std::max(1, int(m_printer.height() * detail)))
                               : size;
    QImage image(drawn, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, reduce);
        painter.scale(double(drawn.width()) / m_printer.width(),
                      double(drawn.height()) / m_printer.height());
        CDC dc(m_printer, &painter);
        dc.m_bPrinting = TRUE;
        m_view.PrintSheet(&dc, &m_info, page);
    }
    return reduce ? image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : image;
}

// Lays the shown sheets out at the zoom's size, draws those not held, and updates the
// toolbar to match.
void CPrintPreviewDlg::UpdateSheets()
{
    layout()->activate();
    m_pPane->m_placed.clear();
    const int shown = GetSheetsShown();
    // The room the scroll area has without scroll bars, so showing them changes nothing.
    const QSize view = m_pScroll->maximumViewportSize();
    const int width = m_printer.width();
    const int height = m_printer.height();
    if (shown > 0 && width > 0 && height > 0) {
        // The last page alone in two-page mode keeps the size of a pair's sheets.
        const int places = m_bTwoPages ? 2 : 1;
        const double fit = std::min(double(view.width() - (places + 1) * GAP) / (places * width),
                                    double(view.height() - 2 * GAP) / height);
        const double scale = std::max(fit, 0.01) * (1 << m_nZoom);
        const QSize logical(std::max(1, int(width * scale)), std::max(1, int(height * scale)));
        const qreal ratio = devicePixelRatioF();
        const QSize device = (QSizeF(logical) * ratio).toSize();
        const QSize content(shown * logical.width() + (shown + 1) * GAP,
                            logical.height() + 2 * GAP);
        m_pPane->resize(content.expandedTo(view));
        const int left = std::max(GAP, (m_pPane->width() - content.width()) / 2 + GAP);
        const int top = std::max(GAP, (m_pPane->height() - content.height()) / 2 + GAP);
        for (int i = 0; i < shown; ++i) {
            QImage image = Sheet(m_nPage + UINT(i), device);
            image.setDevicePixelRatio(ratio);
            const QPoint at(left + i * (logical.width() + GAP), top);
            m_pPane->m_placed.push_back({QRect(at, logical), image});
        }
    }
    m_pPane->update();

    const UINT last = m_nPage + UINT(std::max(shown, 1)) - 1;
    m_pNext->setEnabled(last < m_info.GetMaxPage());
    m_pPrev->setEnabled(m_nPage > m_info.GetMinPage());
    m_pTwo->setText(m_bTwoPages ? QStringLiteral("One Page") : QStringLiteral("Two Page"));
    m_pZoomIn->setEnabled(m_nZoom < MAX_ZOOM);
    m_pZoomOut->setEnabled(m_nZoom > 0);
    const UINT count = m_info.GetMaxPage() - m_info.GetMinPage() + 1;
    if (shown == 0)
        m_pPageLabel->clear();
    else if (shown == 2)
        m_pPageLabel->setText(
            QStringLiteral("Sheets %1-%2 of %3").arg(m_nPage).arg(m_nPage + 1).arg(count));
    else
        m_pPageLabel->setText(QStringLiteral("Sheet %1 of %2").arg(m_nPage).arg(count));
}
