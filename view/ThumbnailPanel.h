#pragma once

#include "view/ThumbnailRenderer.h"

#include <QAbstractListModel>
#include <QCache>
#include <QDockWidget>
#include <QHash>
#include <QImage>

#include <memory>

class CPagelotDoc;
class QListView;

// One entry per page of the open file: its thumbnail once rendered, its number, and
// for a page that cannot be read a placeholder with the reason as its tooltip.
// Rendered thumbnails are kept up to a fixed number of bytes, whatever the page count.
class CThumbnailModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr qsizetype CACHE_BYTES = 64 * 1024 * 1024;

    explicit CThumbnailModel(CSize box, QObject *pParent = nullptr);

    // Forgets every thumbnail and shows `pages` entries.
    void Reset(std::int32_t pages);
    void SetThumbnail(std::int32_t page, const QImage &image);
    void SetFailed(std::int32_t page, const CString &reason);
    // Rendered, failed or neither: whether the page still needs rendering.
    bool IsKnown(std::int32_t page) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QImage Boxed(const QImage &image) const;

    const CSize m_box;
    std::int32_t m_nPages = 0;
    QCache<std::int32_t, QImage> m_cache;
    QHash<std::int32_t, CString> m_failed;
    QImage m_pending;
    QImage m_unreadable;
};

// The page thumbnails beside the page: a dockable panel that follows the document's
// page, goes to the page clicked as the page commands do, and renders on a worker
// thread only the thumbnails in and near the visible part of its list.
class CThumbnailPanel : public QDockWidget
{
    Q_OBJECT

public:
    // Logical size of the box every thumbnail is fitted into.
    static constexpr std::int32_t THUMBNAIL_WIDTH = 96;
    static constexpr std::int32_t THUMBNAIL_HEIGHT = 136;

    explicit CThumbnailPanel(QWidget *pParent = nullptr);
    ~CThumbnailPanel() override;

    void SetDocument(CPagelotDoc *pDoc);
    // Starts over when the document holds another file (or the same file read
    // again), and highlights the current page and scrolls it into view.
    void SyncWithDocument();

    QListView *GetList() const { return m_pList; }
    CThumbnailModel *GetModel() const { return m_pModel; }

protected:
    void showEvent(QShowEvent *pEvent) override;
    void hideEvent(QHideEvent *pEvent) override;
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void GoTo(const QModelIndex &index);
    // Asks the worker for the visible thumbnails first, then for those a screenful
    // either side; once per turn of the event loop however often it is called.
    void ScheduleRequest();
    void RequestNearVisible();
    void Deliver(std::uint64_t generation, std::int32_t page, const QImage &image,
                 std::uint32_t code);

    CPagelotDoc *m_pDoc = nullptr;
    QListView *m_pList;
    CThumbnailModel *m_pModel;
    CString m_strPath;
    std::uint32_t m_nLoadSerial = 0;
    std::uint64_t m_nGeneration = 0;
    bool m_bRequestScheduled = false;
    std::unique_ptr<CThumbnailRenderer> m_pRenderer;
};
