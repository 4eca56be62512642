#pragma once

#include "display/PostedCall.h"
#include "framework/Geometry.h"

#include <QImage>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QObject;

// Renders page thumbnails of one file on worker threads, in the order last asked
// for. Results reach the receiver on the receiver's thread, tagged with the generation
// they were asked under, at most DELIVERY_BATCH per turn of its event loop; results of
// an older generation are dropped. The worker reads only the file, never the document.
//
// Sharing the cores: the user-interface thread runs at the normal priority and must
// always find one. The thumbnail workers are one fewer than the cores (at least one,
// at most MAX_WORKERS) at nice 10; the page prefetcher's one worker runs at nice 19.
// Workers post one queued call per batch of results rather than one per thumbnail:
// each post takes the receiving thread's event-queue lock, and a low-priority worker
// preempted while holding it keeps the user-interface thread waiting.
class CThumbnailRenderer
{
public:
    // code is 0 with an image of at most the box size, else the imaging error code.
    using Delivery = std::function<void(std::uint64_t generation, std::int32_t page,
                                        const QImage &image, std::uint32_t code)>;

    CThumbnailRenderer(QObject *pReceiver, Delivery deliver, CSize box);
    // Drops what is queued, waits for the pages in hand and ends the threads.
    ~CThumbnailRenderer();
    CThumbnailRenderer(const CThumbnailRenderer &) = delete;
    CThumbnailRenderer &operator=(const CThumbnailRenderer &) = delete;

    // Starts over on another file (an empty path: none). Queued pages are dropped;
    // pages being rendered are delivered under the old generation, which the receiver
    // discards. Returns the new generation.
    std::uint64_t Reset(const CString &path);
    // Replaces the queue with these pages, first first.
    void Request(std::vector<std::int32_t> pages);

    static constexpr int MAX_WORKERS = 3;
    static constexpr std::size_t DELIVERY_BATCH = 8;
    // The workers for a machine of `cores` cores.
    static int WorkerCount(unsigned cores);

private:
    struct Result
    {
        std::uint64_t generation;
        std::int32_t page;
        QImage image;
        std::uint32_t code;
    };
    // Results on their way to the receiver, under a lock of their own.
    struct Mailbox
    {
        Delivery deliver;
        std::mutex lock;
        std::deque<Result> results;
        std::uint64_t generation = 0;
        bool posted = false;
    };

    void Run();
    void Post(Result result);
    // Hands the receiver at most DELIVERY_BATCH results, on the receiver's thread.
    void DeliverBatch();

    const CSize m_box;
    Mailbox m_mailbox;
    CPostedCall m_delivery;

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::int32_t> m_queue;
    CString m_strPath;
    std::uint64_t m_nGeneration = 0;
    bool m_bQuit = false;
    std::vector<std::thread> m_threads;
};
