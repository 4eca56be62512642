#pragma once

#include "framework/Geometry.h"

#include <QImage>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QObject;

// Renders page thumbnails of one file on worker threads, in the order last asked
// for. Each result reaches the receiver on the receiver's thread through a queued
// call, tagged with the generation it was asked under; the worker reads only the
// file, never the document.
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

    // One per core this machine is meant for; they run below the user-interface
    // thread's priority so scrolling stays smooth while they work.
    static constexpr int WORKERS = 2;

private:
    void Run();

    QObject *m_pReceiver;
    Delivery m_deliver;
    const CSize m_box;

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::int32_t> m_queue;
    CString m_strPath;
    std::uint64_t m_nGeneration = 0;
    bool m_bQuit = false;
    std::vector<std::thread> m_threads;
};
