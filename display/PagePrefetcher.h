#pragma once

#include "display/FileIdentity.h"
#include "display/PageRender.h"
#include "display/PostedCall.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// A page read and rendered ahead: the source and display pages a page change would
// make, the display bitmap built, with what they were made from.
struct PreparedPage
{
    CString path;
    FileIdentity identity;
    std::int32_t index = -1;
    RenderTarget render;
    CPageBitmap source;
    CPageBitmap display;
};

// Reads and renders the neighbours of the page shown on one worker thread at the
// lowest priority, so a page command whose page is ready only swaps it in. It reads
// through the imaging and display layers only; results carry the generation they were
// asked under and reach the user-interface thread through an outbox under the lock,
// drained there on a posted event, where a newer request discards them. A page that cannot be read
// is not remembered: the command reads it again and shows the error as it would have.
//
// Memory: at most MAX_PAGES prepared pages are kept, ready or as blocks to reuse.
class CPagePrefetcher
{
public:
    // The render of a page of a given size for the state the pages are asked under;
    // nothing when such a page would show nothing. Runs on the worker: a value.
    using Plan = std::function<std::optional<RenderTarget>(CSize page)>;
    static constexpr std::size_t MAX_PAGES = 2;

    CPagePrefetcher();
    // Waits for the page in hand and ends the thread.
    ~CPagePrefetcher();
    CPagePrefetcher(const CPagePrefetcher &) = delete;
    CPagePrefetcher &operator=(const CPagePrefetcher &) = delete;

    // Starts a new generation: drops what was prepared under another plan or of pages
    // no longer asked for, and prepares `pages` of path (first first) once the event
    // loop is idle, read with smoothing as `smooth` says (merged rows depend on it).
    // Pages already ready for this state are kept.
    void Prepare(const CString &path, std::vector<std::int32_t> pages, BOOL smooth, Plan plan);
    // Forgets everything and gives back every block (the file closes).
    void Drop();
    // On unless switched off; off, nothing is prepared and every page is read on
    // demand, to measure what preparing ahead costs and saves.
    void SetEnabled(bool enabled);
    // The page prepared for index if it was read from path as the file is now and
    // rendered as plan renders it now; else null, and the page is read on demand.
    std::shared_ptr<PreparedPage> Take(std::int32_t index, const CString &path, const Plan &plan);
    // A page's blocks, for the next page prepared to be read into.
    void GiveBack(std::shared_ptr<PreparedPage> page);
    // A page the document stops showing, read and rendered as its fields say: ready as
    // it is, for as long as the state asked for next would render it so.
    void Keep(std::shared_ptr<PreparedPage> page);

    bool IsReady(std::int32_t index) const { return m_ready.count(index) != 0; }
    // Nothing queued, in hand or finished and not yet taken (what was asked for is
    // ready or failed).
    bool IsIdle() const;

private:
    void Run();
    // Takes what the worker has finished, on the user-interface thread.
    void DeliverFinished();
    void Deliver(std::uint64_t generation, std::shared_ptr<PreparedPage> page);
    std::shared_ptr<PreparedPage> SpareOrNew();
    // Publishes the size of m_ready to the worker.
    void CountReady();

    CPostedCall m_receiver;
    // User-interface thread only.
    std::map<std::int32_t, std::shared_ptr<PreparedPage>> m_ready;
    bool m_bEnabled = true;

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::int32_t> m_queue;
    CString m_strPath;
    Plan m_plan;
    BOOL m_bSmooth = TRUE;
    // Changed under the lock, read without it where the user-interface thread only
    // looks: the worker, preempted at its low priority while it holds the lock, would
    // keep that thread waiting (measured: 26 ms).
    std::atomic<std::uint64_t> m_nGeneration = 0;
    std::vector<std::shared_ptr<PreparedPage>> m_spares;
    // Finished by the worker, not yet taken, under a lock of their own that the worker
    // holds only to add one: the page passes through it rather than through Qt's event
    // queue, so every tool that follows the program's own locks (ThreadSanitizer among
    // them) sees the hand-over.
    mutable std::mutex m_finishedLock;
    std::vector<std::pair<std::uint64_t, std::shared_ptr<PreparedPage>>> m_finished;
    std::atomic<std::size_t> m_nReady = 0;
    bool m_bBusy = false;
    bool m_bQuit = false;
    std::thread m_thread;
};
