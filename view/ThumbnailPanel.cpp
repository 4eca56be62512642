#include "view/ThumbnailPanel.h"

#include "display/ImagingErrorText.h"
#include "document/PagelotDoc.h"
#include "framework/ResourceModule.h"
#include "framework/View.h"
#include "resources/Resource.h"

#include <QEvent>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>

namespace {

// Thumbnail above its page number, both centred.
class ThumbnailDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *pOption, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(pOption, index);
        pOption->decorationPosition = QStyleOptionViewItem::Top;
        pOption->decorationAlignment = Qt::AlignHCenter;
        pOption->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    }
};

// A list view that repaints a thumbnail as it arrives without laying the list out again.
// Rendered thumbnails, placeholders and page numbers all fill boxes of one size, so a new
// picture or tooltip changes no entry's size, yet the list view proper answers every
// change by laying out and repainting all the entries: with the whole panel in view that
// costs tens of milliseconds per thumbnail delivered.
class ThumbnailList : public QListView
{
public:
    using QListView::QListView;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles) override
    {
        const bool pictureOnly =
            !roles.isEmpty() && std::all_of(roles.begin(), roles.end(), [](int role) {
                return role == Qt::DecorationRole || role == Qt::ToolTipRole;
            });
        if (pictureOnly)
            QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        else
            QListView::dataChanged(topLeft, bottomRight, roles);
    }
};

QImage blankBox(CSize box, QColor fill, QColor frame)
{
    QImage image(box.cx, box.cy, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    QPainter painter(&image);
    painter.setPen(frame);
    painter.drawRect(0, 0, box.cx - 1, box.cy - 1);
    return image;
}

QImage unreadableBox(CSize box)
{
    QImage image = blankBox(box, QColor(250, 250, 250), QColor(160, 160, 160));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(190, 40, 40), 3));
    const int side = std::min(box.cx, box.cy) / 3;
    const QRect cross(box.cx / 2 - side / 2, box.cy / 2 - side / 2, side, side);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
    return image;
}

} // namespace

CThumbnailModel::CThumbnailModel(CSize box, QObject *pParent)
    : QAbstractListModel(pParent)
    , m_box(box)
    , m_cache(CACHE_BYTES)
    , m_pending(blankBox(box, QColor(235, 235, 235), QColor(200, 200, 200)))
    , m_unreadable(unreadableBox(box))
{
}

void CThumbnailModel::Reset(std::int32_t pages)
{
    beginResetModel();
    m_nPages = std::max(pages, 0);
    m_cache.clear();
    m_failed.clear();
    endResetModel();
}

QImage CThumbnailModel::Boxed(const QImage &image) const
{
    // Composed by hand: QPainter hands even a fill this small to Qt's thread pool and
    // waits for it, and this runs on the user-interface thread for every thumbnail.
    QImage boxed(m_box.cx, m_box.cy, QImage::Format_ARGB32_Premultiplied);
    boxed.fill(Qt::transparent);
    const QImage page = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The page centred in the box, cut to it when larger.
    const QRect placed((m_box.cx - page.width()) / 2, (m_box.cy - page.height()) / 2, page.width(),
                       page.height());
    const QRect shown = placed.intersected(boxed.rect());
    if (shown.isEmpty())
        return boxed;
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        const auto *pFrom = reinterpret_cast<const QRgb *>(page.constScanLine(y - placed.top()));
        auto *pTo = reinterpret_cast<QRgb *>(boxed.scanLine(y));
        std::copy_n(pFrom + (shown.left() - placed.left()), shown.width(), pTo + shown.left());
    }
    // A one-pixel frame on the page's edges, where they fall inside the box.
    const QRgb frame = qRgb(120, 120, 120);
    for (int x = shown.left(); x <= shown.right(); ++x) {
        if (placed.top() == shown.top())
            boxed.setPixel(x, shown.top(), frame);
        if (placed.bottom() == shown.bottom())
            boxed.setPixel(x, shown.bottom(), frame);
    }
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        if (placed.left() == shown.left())
            boxed.setPixel(shown.left(), y, frame);
        if (placed.right() == shown.right())
            boxed.setPixel(shown.right(), y, frame);
    }
    return boxed;
}

void CThumbnailModel::SetThumbnail(std::int32_t page, const QImage &image)
{
    if (page < 0 || page >= m_nPages)
        return;
    auto *pBoxed = new QImage(Boxed(image));
    m_cache.insert(page, pBoxed, pBoxed->sizeInBytes());
    const QModelIndex changed = index(page);
    emit dataChanged(changed, changed, {Qt::DecorationRole});
}

void CThumbnailModel::SetFailed(std::int32_t page, const CString &reason)
{
    if (page < 0 || page >= m_nPages)
        return;
    m_failed.insert(page, reason);
    const QModelIndex changed = index(page);
    emit dataChanged(changed, changed, {Qt::DecorationRole, Qt::ToolTipRole});
}

bool CThumbnailModel::IsKnown(std::int32_t page) const
{
    return m_cache.contains(page) || m_failed.contains(page);
}

int CThumbnailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_nPages;
}

QVariant CThumbnailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_nPages)
        return {};
    const std::int32_t page = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(page + 1);
    case Qt::DecorationRole:
        if (const QImage *pImage = m_cache.object(page))
            return *pImage;
        return m_failed.contains(page) ? m_unreadable : m_pending;
    case Qt::ToolTipRole:
        return m_failed.value(page);
    default:
        return {};
    }
}

CThumbnailPanel::CThumbnailPanel(QWidget *pParent)
    : QDockWidget(pParent)
    , m_pList(new ThumbnailList(this))
    , m_pModel(new CThumbnailModel(CSize(THUMBNAIL_WIDTH, THUMBNAIL_HEIGHT), this))
{
    // The command's tooltip names the panel.
    setWindowTitle(AfxLoadString(ID_VIEW_THUMBNAILS).section(u'\n', 1, 1));
    // The bar layout saves and restores docks by name.
    setObjectName(QStringLiteral("PageThumbnails"));

    m_pList->setModel(m_pModel);
    m_pList->setItemDelegate(new ThumbnailDelegate(m_pList));
    m_pList->setUniformItemSizes(true);
    m_pList->setIconSize(QSize(THUMBNAIL_WIDTH, THUMBNAIL_HEIGHT));
    m_pList->setSpacing(4);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setMinimumWidth(THUMBNAIL_WIDTH + 40);
    // The keys stay with the page: a press on the list's scroll bar, which takes no focus
    // itself, would hand the focus up to the first parent that takes it from a click, the
    // list. Tab still reaches the list from the keyboard.
    m_pList->setFocusPolicy(Qt::TabFocus);
    m_pList->viewport()->installEventFilter(this);
    setWidget(m_pList);

    connect(m_pList, &QListView::clicked, this, [this](const QModelIndex &index) {
        GoTo(index);
        // Reading goes on from the keyboard: a click hands the keys back to the page.
        if (CView *pView = m_pDoc ? m_pDoc->GetFirstView() : nullptr)
            pView->setFocus(Qt::MouseFocusReason);
    });
    connect(m_pList, &QListView::activated, this, &CThumbnailPanel::GoTo);
    connect(m_pList->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &CThumbnailPanel::ScheduleRequest);

    m_pRenderer = std::make_unique<CThumbnailRenderer>(
        this,
        [this](std::uint64_t generation, std::int32_t page, const QImage &image,
               std::uint32_t code) { Deliver(generation, page, image, code); },
        CSize(THUMBNAIL_WIDTH, THUMBNAIL_HEIGHT));
}

CThumbnailPanel::~CThumbnailPanel() = default;

void CThumbnailPanel::SetDocument(CPagelotDoc *pDoc)
{
    m_pDoc = pDoc;
    SyncWithDocument();
}

void CThumbnailPanel::SyncWithDocument()
{
    const std::int32_t pages = m_pDoc ? m_pDoc->GetPageCount() : 0;
    const CString path = m_pDoc && pages > 0 ? m_pDoc->GetPath() : CString();
    const std::uint32_t serial = m_pDoc ? m_pDoc->GetLoadSerial() : 0;
    if (serial != m_nLoadSerial || path != m_strPath || pages != m_pModel->rowCount()) {
        m_nLoadSerial = serial;
        m_strPath = path;
        m_nGeneration = m_pRenderer->Reset(path);
        m_pModel->Reset(path.isEmpty() ? 0 : pages);
    }
    if (m_pModel->rowCount() > 0) {
        const QModelIndex current = m_pModel->index(m_pDoc->GetCurrentPage());
        m_pList->setCurrentIndex(current);
        m_pList->scrollTo(current, QAbstractItemView::EnsureVisible);
    }
    ScheduleRequest();
}

void CThumbnailPanel::GoTo(const QModelIndex &index)
{
    if (m_pDoc && index.isValid())
        m_pDoc->GoToPage(index.row());
    // A page that could not be read leaves the document where it was.
    SyncWithDocument();
}

void CThumbnailPanel::showEvent(QShowEvent *pEvent)
{
    QDockWidget::showEvent(pEvent);
    ScheduleRequest();
}

void CThumbnailPanel::hideEvent(QHideEvent *pEvent)
{
    QDockWidget::hideEvent(pEvent);
    m_pRenderer->Request({});
}

bool CThumbnailPanel::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (pWatched == m_pList->viewport() && pEvent->type() == QEvent::Resize)
        ScheduleRequest();
    return QDockWidget::eventFilter(pWatched, pEvent);
}

void CThumbnailPanel::ScheduleRequest()
{
    if (m_bRequestScheduled)
        return;
    m_bRequestScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_bRequestScheduled = false;
        RequestNearVisible();
    });
}

void CThumbnailPanel::RequestNearVisible()
{
    const std::int32_t pages = m_pModel->rowCount();
    // Pages of a file replaced or grown since it was opened are not this fax's.
    if (isHidden() || pages == 0 || (m_pDoc && m_pDoc->HasFileChanged())) {
        m_pRenderer->Request({});
        return;
    }
    const QRect area = m_pList->viewport()->rect();
    const int x = area.center().x();
    QModelIndex top = m_pList->indexAt(QPoint(x, area.top() + 1));
    QModelIndex bottom = m_pList->indexAt(QPoint(x, area.bottom() - 1));
    const std::int32_t first = top.isValid() ? top.row() : 0;
    // Below the last entry, or before the list is laid out, count rows by their height.
    const int rowHeight =
        std::max(m_pList->visualRect(m_pModel->index(first)).height(), THUMBNAIL_HEIGHT / 2);
    const std::int32_t last = bottom.isValid()
                                  ? bottom.row()
                                  : std::min(pages - 1, first + area.height() / rowHeight + 1);
    const std::int32_t margin = std::max(last - first + 1, 1);

    std::vector<std::int32_t> wanted;
    auto want = [&](std::int32_t page) {
        if (page >= 0 && page < pages && !m_pModel->IsKnown(page))
            wanted.push_back(page);
    };
    for (std::int32_t page = first; page <= last; ++page)
        want(page);
    for (std::int32_t step = 1; step <= margin; ++step) {
        want(last + step);
        want(first - step);
    }
    m_pRenderer->Request(std::move(wanted));
}

void CThumbnailPanel::Deliver(std::uint64_t generation, std::int32_t page, const QImage &image,
                              std::uint32_t code)
{
    if (generation != m_nGeneration || (m_pDoc && m_pDoc->HasFileChanged()))
        return;
    if (code == 0)
        m_pModel->SetThumbnail(page, image);
    else
        m_pModel->SetFailed(page, ImagingErrorText(code));
}
