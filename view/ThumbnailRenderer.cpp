#include "view/ThumbnailRenderer.h"

#include "display/PageThumbnail.h"

#include <QObject>

#include <algorithm>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

CThumbnailRenderer::CThumbnailRenderer(QObject *pReceiver, Delivery deliver, CSize box)
    : m_box(box)
    , m_delivery([this] { DeliverBatch(); })
{
    m_delivery.moveToThread(pReceiver->thread());
    m_mailbox.deliver = std::move(deliver);
    const int workers = WorkerCount(std::thread::hardware_concurrency());
    for (int i = 0; i < workers; ++i)
        m_threads.emplace_back([this] { Run(); });
}

int CThumbnailRenderer::WorkerCount(unsigned cores)
{
    return std::clamp(int(cores) - 1, 1, MAX_WORKERS);
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
    ++m_nGeneration;
    {
        std::lock_guard<std::mutex> mail(m_mailbox.lock);
        m_mailbox.generation = m_nGeneration;
        m_mailbox.results.clear();
    }
    return m_nGeneration;
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
        Post(Result{generation, page, std::move(image), code});
    }
}

void CThumbnailRenderer::Post(Result result)
{
    {
        std::lock_guard<std::mutex> lock(m_mailbox.lock);
        if (result.generation != m_mailbox.generation)
            return;
        m_mailbox.results.push_back(std::move(result));
        if (m_mailbox.posted)
            return;
        m_mailbox.posted = true;
    }
    m_delivery.Post();
}

void CThumbnailRenderer::DeliverBatch()
{
    std::vector<Result> batch;
    bool more = false;
    {
        std::lock_guard<std::mutex> lock(m_mailbox.lock);
        while (!m_mailbox.results.empty() && batch.size() < DELIVERY_BATCH) {
            batch.push_back(std::move(m_mailbox.results.front()));
            m_mailbox.results.pop_front();
        }
        more = !m_mailbox.results.empty();
        m_mailbox.posted = more;
    }
    // The rest waits for the next turn, after the events that came in meanwhile.
    if (more)
        m_delivery.Post();
    for (const Result &result : batch)
        m_mailbox.deliver(result.generation, result.page, result.image, result.code);
}
