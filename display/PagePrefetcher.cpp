#include "display/PagePrefetcher.h"

#include <QFile>
#include <QTimer>

#include <algorithm>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

CPagePrefetcher::CPagePrefetcher()
    : m_receiver([this] { DeliverFinished(); })
    , m_thread([this] { Run(); })
{
}

CPagePrefetcher::~CPagePrefetcher()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bQuit = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void CPagePrefetcher::Prepare(const CString &path, std::vector<std::int32_t> pages, BOOL smooth,
                              Plan plan)
{
    if (!m_bEnabled) {
        Drop();
        return;
    }
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        generation = ++m_nGeneration;
        m_queue.clear();
        m_strPath = path;
        m_plan = plan;
        m_bSmooth = smooth;
    }
    // What is ready stays only if this state would make it just so.
    for (auto it = m_ready.begin(); it != m_ready.end();) {
        const PreparedPage &page = *it->second;
        const bool wanted = std::find(pages.begin(), pages.end(), it->first) != pages.end();
        if (wanted && page.path == path && plan(page.source.m_size) == page.render) {
            ++it;
            continue;
        }
        std::shared_ptr<PreparedPage> dropped = it->second;
        it = m_ready.erase(it);
        CountReady();
        GiveBack(std::move(dropped));
    }
    std::erase_if(pages, [this](std::int32_t index) { return IsReady(index); });
    // Started once the event loop is idle: after the repaint of the page just shown.
    QTimer::singleShot(0, &m_receiver, [this, generation, pages = std::move(pages)] {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (generation != m_nGeneration)
                return;
            m_queue.assign(pages.begin(), pages.end());
        }
        m_wake.notify_all();
    });
}

void CPagePrefetcher::Drop()
{
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_nGeneration;
    m_queue.clear();
    m_strPath.clear();
    m_plan = nullptr;
    m_spares.clear();
    m_ready.clear();
    m_nReady = 0;
    std::lock_guard<std::mutex> finished(m_finishedLock);
    m_finished.clear();
}

void CPagePrefetcher::SetEnabled(bool enabled)
{
    m_bEnabled = enabled;
    if (!enabled)
        Drop();
}

void CPagePrefetcher::CountReady() { m_nReady = m_ready.size(); }

std::shared_ptr<PreparedPage> CPagePrefetcher::Take(std::int32_t index, const CString &path,
                                                    const Plan &plan)
{
    auto it = m_ready.find(index);
    if (it == m_ready.end())
        return nullptr;
    std::shared_ptr<PreparedPage> page = it->second;
    m_ready.erase(it);
    CountReady();
    if (page->path == path && plan(page->source.m_size) == page->render
        && FileIdentityOf(path) == page->identity)
        return page;
    GiveBack(std::move(page));
    return nullptr;
}

void CPagePrefetcher::GiveBack(std::shared_ptr<PreparedPage> page)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (page && m_spares.size() + m_nReady < MAX_PAGES)
        m_spares.push_back(std::move(page));
}

void CPagePrefetcher::Keep(std::shared_ptr<PreparedPage> page)
{
    std::size_t spares = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        spares = m_spares.size();
    }
    if (!m_bEnabled || !page || IsReady(page->index) || spares + m_ready.size() >= MAX_PAGES) {
        GiveBack(std::move(page));
        return;
    }
    const std::int32_t index = page->index;
    m_ready[index] = std::move(page);
    CountReady();
}

bool CPagePrefetcher::IsIdle() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::lock_guard<std::mutex> finished(m_finishedLock);
    return m_queue.empty() && !m_bBusy && m_finished.empty();
}

std::shared_ptr<PreparedPage> CPagePrefetcher::SpareOrNew()
{
    if (m_spares.empty())
        return std::make_shared<PreparedPage>();
    std::shared_ptr<PreparedPage> page = std::move(m_spares.back());
    m_spares.pop_back();
    return page;
}

void CPagePrefetcher::DeliverFinished()
{
    std::vector<std::pair<std::uint64_t, std::shared_ptr<PreparedPage>>> finished;
    {
        // The worker runs at the lowest priority: should it be preempted holding the
        // lock, the user-interface thread comes back later rather than wait for it.
        std::unique_lock<std::mutex> lock(m_finishedLock, std::try_to_lock);
        if (!lock.owns_lock()) {
            m_receiver.Post();
            return;
        }
        finished.swap(m_finished);
    }
    for (auto &[generation, page] : finished)
        Deliver(generation, std::move(page));
}

void CPagePrefetcher::Deliver(std::uint64_t generation, std::shared_ptr<PreparedPage> page)
{
    if (generation == m_nGeneration && m_ready.size() < MAX_PAGES) {
        m_ready[page->index] = std::move(page);
        CountReady();
    } else {
        GiveBack(std::move(page));
    }
}

void CPagePrefetcher::Run()
{
    // Below the thumbnail workers (10): a page turn waits for neither, but the panel
    // the user watches fills first. Linux gives each thread its own nice value.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    for (;;) {
        std::shared_ptr<PreparedPage> page;
        Plan plan;
        BOOL smooth = TRUE;
        std::uint64_t generation = 0;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_bBusy = false;
            m_wake.wait(lock, [this] { return m_bQuit || !m_queue.empty(); });
            if (m_bQuit)
                return;
            m_bBusy = true;
            page = SpareOrNew();
            page->index = m_queue.front();
            m_queue.pop_front();
            page->path = m_strPath;
            plan = m_plan;
            smooth = m_bSmooth;
            generation = m_nGeneration;
        }
        page->identity = FileIdentityOf(page->path);
        bool ready =
            page->identity.IsKnown() && plan
            && ReadShownPage(page->source, page->path, page->index, nullptr, smooth) == IMG_OK;
        const std::optional<RenderTarget> render = ready ? plan(page->source.m_size) : std::nullopt;
        if (render) {
            page->render = *render;
            RenderPage(page->display, page->source, *render);
            page->display.MakeDib();
        }
        // A file written to while it was read may have given a page of neither state.
        ready = render && page->display.m_pDib && FileIdentityOf(page->path) == page->identity;
        if (ready) {
            {
                std::lock_guard<std::mutex> lock(m_finishedLock);
                m_finished.emplace_back(generation, std::move(page));
            }
            m_receiver.Post();
        } else {
            GiveBack(std::move(page));
        }
    }
}
