#include "view/ThumbnailRenderer.h"

#include "display/PageThumbnail.h"

#include <QMetaObject>
#include <QObject>

#include <sys/resource.h>
#include <unistd.h>

CThumbnailRenderer::CThumbnailRenderer(QObject *pReceiver, Delivery deliver, CSize box)
    : m_pReceiver(pReceiver)
    , m_deliver(std::move(deliver))
    , m_box(box)
{
    for (int i = 0; i < WORKERS; ++i)
        m_threads.emplace_back([this] { Run(); });
}

CThumbnailRenderer::~CThumbnailRenderer()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bQuit = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

std::uint64_t CThumbnailRenderer::Reset(const CString &path)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.clear();
    m_strPath = path;
    return ++m_nGeneration;
}

void CThumbnailRenderer::Request(std::vector<std::int32_t> pages)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_queue.assign(pages.begin(), pages.end());
    }
    m_wake.notify_all();
}

void CThumbnailRenderer::Run()
{
    // Linux gives each thread its own nice value; failing that, it runs as is.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    for (;;) {
        std::int32_t page = 0;
        CString path;
        std::uint64_t generation = 0;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_bQuit || !m_queue.empty(); });
            if (m_bQuit)
                return;
            page = m_queue.front();
            m_queue.pop_front();
            path = m_strPath;
            generation = m_nGeneration;
        }
        if (path.isEmpty())
            continue;

        QImage image;
        const std::uint32_t code = RenderPageThumbnail(path, page, m_box.cx, &image);
        // A page taller than the box (a long receipt, say) is fitted into it whole.
        if (code == 0 && image.height() > m_box.cy)
            image = image.scaled(m_box.cx, m_box.cy, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        // Queued on the receiver: Qt drops the call if the receiver is gone by then.
        QMetaObject::invokeMethod(
            m_pReceiver,
            [deliver = m_deliver, generation, page, image, code] {
                deliver(generation, page, image, code);
            },
            Qt::QueuedConnection);
    }
}
